// Frames that make their view from a creation context, the single-document template, the
// document manager, and the application's documents, profile and recent-file list.
#include <algorithm>
#include <cstdlib>

#include <filesystem>
#include <string>
#include <system_error>

#include <wx/aui/framemanager.h>
#include <wx/frame.h>

#include <afxdlgs.h>
#include <lwstr.h>

#include "profile_file.h"
#include "wnd_state.h"

IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)
IMPLEMENT_DYNAMIC(CDocManager, CObject)

namespace {

const wchar_t kRecentSection[] = L"Recent File List";

// The document's questions go to the message box (and so to the test hook).
struct DocumentPromptInstaller {
  DocumentPromptInstaller() {
    CDocumentHooks& h = CDocument::Hooks();
    if (!h.pfnMessageBox) h.pfnMessageBox = [](const wchar_t* text, UINT nType) { return AfxMessageBox(text, nType); };
    if (!h.pfnPromptSaveName)
      h.pfnPromptSaveName = [](CDocument* pDoc, CString& rName, BOOL bReplace) -> BOOL {
        CWinApp* app = AfxGetApp();
        if (!app || !app->m_pDocManager) return FALSE;
        return app->m_pDocManager->DoPromptFileName(rName, bReplace ? AFX_IDS_SAVEFILE : AFX_IDS_SAVEFILECOPY,
                                                    OFN_HIDEREADONLY | OFN_PATHMUSTEXIST, FALSE,
                                                    pDoc->GetDocTemplate());
      };
    if (!h.pfnAddToRecentFileList)
      h.pfnAddToRecentFileList = [](const wchar_t* path) {
        if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(path);
      };
  }
} g_documentPromptInstaller;

// The user's configuration folder: $XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config.
wxString ConfigFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return wxString::FromUTF8(xdg);
  const char* home = std::getenv("HOME");
  return wxString::FromUTF8(home && home[0] ? home : "/tmp") + "/.config";
}

}  // namespace

int AfxMessageBox(const wchar_t* lpszText, UINT nType, UINT) {
  if (CWnd* pMain = AfxGetMainWnd()) return pMain->MessageBox(lpszText, nullptr, nType);
  CWnd none;
  return none.MessageBox(lpszText, nullptr, nType);
}

// ---------------------------------------------------------------------------------------------
// Frames and their views

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_CLOSE()
  ON_WM_SIZE()
  ON_WM_DROPFILES()
END_MESSAGE_MAP()

namespace {

using lwwnd::ChildWindows;

bool IsShown(CWnd* pWnd) {
  CWndState* st = pWnd->GetState();
  return st->headless ? st->headlessShown : st->wx && st->wx->IsShown();
}

// A bar's height: what it has, or what it asks for before it was ever sized.
int BarHeight(CWnd* pBar) {
  CRect rc;
  pBar->GetWindowRect(&rc);
  if (rc.Height() > 0) return rc.Height();
  wxWindow* w = pBar->GetWxWindow();
  return w ? std::max(0, w->GetBestSize().y) : 0;
}

}  // namespace

void CFrameWnd::RecalcLayout(BOOL) {
  if (!m_hWnd) return;
  // A frame whose client area the docking manager lays out is left to it.
  if (wxWindow* w = GetWxWindow())
    if (wxAuiManager::GetManager(w)) return;
  CRect client;
  GetClientRect(&client);
  int top = client.top, bottom = client.bottom;
  CWnd* pPane = nullptr;
  CWnd* pViewParent = GetViewParent();
  std::vector<CWnd*> statusBars;
  for (CWnd* pChild : ChildWindows(this)) {
    const UINT id = static_cast<UINT>(pChild->GetDlgCtrlID());
    if (id == AFX_IDW_PANE_FIRST || (pViewParent != this && pChild == pViewParent)) {
      if (!pPane) pPane = pChild;
      continue;
    }
    if (id < AFX_IDW_CONTROLBAR_FIRST || id > AFX_IDW_CONTROLBAR_LAST || !IsShown(pChild)) continue;
    if (id == AFX_IDW_STATUS_BAR) {
      statusBars.push_back(pChild);
      continue;
    }
    const int h = std::min(BarHeight(pChild), std::max(0, bottom - top));
    pChild->MoveWindow(client.left, top, client.Width(), h, FALSE);
    top += h;
  }
  for (CWnd* pBar : statusBars) {
    const int h = std::min(BarHeight(pBar), std::max(0, bottom - top));
    bottom -= h;
    pBar->MoveWindow(client.left, bottom, client.Width(), h, FALSE);
  }
  if (pPane) pPane->MoveWindow(client.left, top, client.Width(), std::max(0, bottom - top), FALSE);
}

void CFrameWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnDropFiles(HDROP hDropInfo) {
  if (!hDropInfo) return;
  CString first;
  if (DragQueryFile(hDropInfo, 0xFFFFFFFFu, nullptr, 0) > 0) {
    const UINT length = DragQueryFile(hDropInfo, 0, nullptr, 0);
    std::wstring name(length + 1, L'\0');
    DragQueryFile(hDropInfo, 0, name.data(), length + 1);
    first = name.c_str();
  }
  DragFinish(hDropInfo);  // before the open, which may show a dialog
  if (wxWindow* w = GetWxWindow()) w->Raise();
  // One document at a time: the first file is the one opened.
  if (!first.IsEmpty())
    if (CWinApp* pApp = AfxGetApp()) pApp->OpenDocumentFile(first);
}

BOOL CFrameWnd::LoadFrame(UINT, DWORD dwDefaultStyle, CWnd* pParentWnd, CCreateContext* pContext) {
  const wchar_t* title = AfxGetApp() && AfxGetApp()->m_pszAppName ? AfxGetApp()->m_pszAppName : L"";
  return Create(nullptr, title, dwDefaultStyle & ~WS_VISIBLE, rectDefault, pParentWnd, 0, pContext);
}

int CFrameWnd::OnCreate(LPCREATESTRUCT lpcs) {
  auto* pContext = static_cast<CCreateContext*>(lpcs ? lpcs->lpCreateParams : nullptr);
  return OnCreateClient(lpcs, pContext) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  if (pContext && pContext->m_pNewViewClass) return CreateView(pContext, AFX_IDW_PANE_FIRST) != nullptr;
  return TRUE;
}

CWnd* CFrameWnd::CreateView(CCreateContext* pContext, UINT nID) {
  if (!pContext || !pContext->m_pNewViewClass) return nullptr;
  CObject* pObject = pContext->m_pNewViewClass->CreateObject();
  CWnd* pView = dynamic_cast<CWnd*>(pObject);
  if (!pView) {
    delete pObject;
    return nullptr;
  }
  CWnd* pParent = GetViewParent();
  if (!pParent) pParent = this;
  if (!pParent->m_hWnd) {
    delete pView;
    return nullptr;
  }
  const bool deletesItself = dynamic_cast<CView*>(pView) != nullptr;
  if (!pView->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), pParent, nID, pContext)) {
    // Its window was made and destroyed again (WM_CREATE refused): a view has deleted itself
    // in PostNcDestroy; another window object is deleted here.
    if (!deletesItself) delete pView;
    return nullptr;
  }
  return pView;
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL bMakeVisible) {
  if (!GetActiveView())
    if (CWnd* pParent = GetViewParent())
      if (auto* pView = dynamic_cast<CView*>(pParent->GetDlgItem(AFX_IDW_PANE_FIRST))) SetActiveView(pView, FALSE);
  SendMessageToDescendants(WM_INITIALUPDATE, 0, 0, TRUE, TRUE);
  if (bMakeVisible) ShowWindow(SW_SHOW);
}

void CFrameWnd::PostNcDestroy() {
  if (m_bAutoDelete) delete this;
}

void CFrameWnd::OnClose() {
  if (CWinApp* pApp = AfxGetApp())
    if (pApp->m_pMainWnd == this && !pApp->SaveAllModified()) return;
  CWnd::OnClose();
}

BEGIN_MESSAGE_MAP(CView, CWnd)
  ON_WM_CREATE()
  ON_WM_PAINT()
  ON_MESSAGE(WM_INITIALUPDATE, &CView::OnInitialUpdateMessage)
END_MESSAGE_MAP()

int CView::OnCreate(LPCREATESTRUCT lpcs) {
  auto* pContext = static_cast<CCreateContext*>(lpcs ? lpcs->lpCreateParams : nullptr);
  if (pContext && pContext->m_pCurrentDoc) pContext->m_pCurrentDoc->AddView(this);
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Single-document template

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource),
      m_pDocClass(pDocClass),
      m_pFrameClass(pFrameClass),
      m_pViewClass(pViewClass),
      m_pOnlyDoc(nullptr) {}

CSingleDocTemplate::~CSingleDocTemplate() {
  CDocument* pDoc = m_pOnlyDoc;
  m_pOnlyDoc = nullptr;
  if (pDoc) {
    // Views still on screen keep no pointer to it.
    POSITION pos = pDoc->GetFirstViewPosition();
    std::vector<CView*> views;
    while (pos) views.push_back(pDoc->GetNextView(pos));
    for (CView* pView : views) pDoc->RemoveView(pView);
    delete pDoc;
  }
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const {
  return m_pOnlyDoc ? reinterpret_cast<POSITION>(const_cast<CDocument**>(&m_pOnlyDoc)) : nullptr;
}

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const {
  CDocument* pDoc = rPos ? m_pOnlyDoc : nullptr;
  rPos = nullptr;
  return pDoc;
}

CDocument* CSingleDocTemplate::CreateNewDocument() {
  if (!m_pDocClass) return nullptr;
  CObject* pObject = m_pDocClass->CreateObject();
  auto* pDoc = dynamic_cast<CDocument*>(pObject);
  if (!pDoc) {
    delete pObject;
    return nullptr;
  }
  pDoc->m_pDocTemplate = this;
  return pDoc;
}

CFrameWnd* CSingleDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
  CCreateContext context;
  context.m_pCurrentFrame = pOther;
  context.m_pCurrentDoc = pDoc;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  if (!m_pFrameClass) return nullptr;
  CObject* pObject = m_pFrameClass->CreateObject();
  auto* pFrame = dynamic_cast<CFrameWnd*>(pObject);
  if (!pFrame) {
    delete pObject;
    return nullptr;
  }
  if (!pFrame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW, nullptr, &context)) {
    delete pFrame;
    return nullptr;
  }
  pFrame->m_bAutoDelete = TRUE;
  return pFrame;
}

void CSingleDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
  pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument) { pDocument->SetTitle(L"Untitled"); }

BOOL CSingleDocTemplate::SaveAllModified() { return !m_pOnlyDoc || m_pOnlyDoc->SaveModified(); }

CDocument* CSingleDocTemplate::OpenDocumentFile(const wchar_t* lpszPathName, BOOL bAddToMRU, BOOL bMakeVisible) {
  CDocument* pDocument = m_pOnlyDoc;
  CFrameWnd* pFrame = nullptr;
  bool newDocument = false;
  if (pDocument) {
    if (!pDocument->SaveModified()) return nullptr;  // the document stays as it was
    POSITION pos = pDocument->GetFirstViewPosition();
    if (pos)
      if (CView* pView = pDocument->GetNextView(pos)) pFrame = pView->GetParentFrame();
  } else {
    pDocument = CreateNewDocument();
    if (!pDocument) return nullptr;
    m_pOnlyDoc = pDocument;
    newDocument = true;
  }

  bool newFrame = false;
  if (!pFrame) {
    pFrame = CreateNewFrame(pDocument, nullptr);
    if (!pFrame) {
      if (newDocument) {
        m_pOnlyDoc = nullptr;
        delete pDocument;
      }
      return nullptr;
    }
    newFrame = true;
  }
  auto dropNewFrame = [&] {
    if (!newFrame) return;
    if (pFrame->m_hWnd)
      pFrame->DestroyWindow();  // deletes the frame
    else
      delete pFrame;
    pFrame = nullptr;
  };

  if (!lpszPathName) {
    SetDefaultTitle(pDocument);
    if (!pDocument->OnNewDocument()) {
      dropNewFrame();
      return nullptr;
    }
  } else {
    const BOOL bWasModified = pDocument->IsModified();
    pDocument->SetModifiedFlag(FALSE);
    if (!pDocument->OnOpenDocument(lpszPathName)) {
      dropNewFrame();
      if (!pDocument->IsModified()) {
        pDocument->SetModifiedFlag(bWasModified);  // untouched: as it was
      } else {
        // Loading damaged it: start over with a blank document.
        SetDefaultTitle(pDocument);
        if (!pDocument->OnNewDocument()) {
          // Nothing sound is left in it.
          pDocument->DeleteContents();
          pDocument->SetModifiedFlag(FALSE);
        }
      }
      return nullptr;
    }
    pDocument->SetPathName(lpszPathName, bAddToMRU);
    pDocument->OnDocumentEvent(CDocument::onAfterOpenDocument);
  }

  if (CWinApp* pApp = AfxGetApp())
    if (newFrame && !pApp->m_pMainWnd) pApp->m_pMainWnd = pFrame;
  InitialUpdateFrame(pFrame, pDocument, bMakeVisible);
  return pDocument;
}

// ---------------------------------------------------------------------------------------------
// Document manager

CDocManager::~CDocManager() {
  for (CDocTemplate* pTemplate : m_templateList) delete pTemplate;
}

void CDocManager::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate && std::find(m_templateList.begin(), m_templateList.end(), pTemplate) == m_templateList.end())
    m_templateList.push_back(pTemplate);
}

POSITION CDocManager::GetFirstDocTemplatePosition() const {
  return m_templateList.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(1));
}

CDocTemplate* CDocManager::GetNextDocTemplate(POSITION& rPos) const {
  const auto index = reinterpret_cast<uintptr_t>(rPos);
  if (index == 0 || index > m_templateList.size()) {
    rPos = nullptr;
    return nullptr;
  }
  rPos = index < m_templateList.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
  return m_templateList[index - 1];
}

void CDocManager::OnFileNew() {
  if (!m_templateList.empty()) m_templateList.front()->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen() {
  CString name;
  if (!DoPromptFileName(name, AFX_IDS_OPENFILE, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, TRUE, nullptr)) return;
  OpenDocumentFile(name);
}

CString AfxFullPath(const wchar_t* lpszFileName) {
  if (!lpszFileName || !*lpszFileName) return CString();
  std::error_code ec;
  const std::filesystem::path given(lw::WideToUtf8(lpszFileName));
  std::filesystem::path full = std::filesystem::absolute(given, ec);
  if (ec) full = given;
  std::string text = full.lexically_normal().string();
  // A folder's trailing separator is not part of a file's name.
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return CString(lw::Utf8ToWide(text).c_str());
}

namespace {

// The full name of a file that is there; a name that names no file stays as given (its open
// reports it as given).
CString FullNameOfFile(const wchar_t* lpszFileName) {
  std::error_code ec;
  if (!lpszFileName || !std::filesystem::exists(std::filesystem::path(lw::WideToUtf8(lpszFileName)), ec))
    return CString(lpszFileName ? lpszFileName : L"");
  return AfxFullPath(lpszFileName);
}

}  // namespace

CDocument* CDocManager::OpenDocumentFile(const wchar_t* lpszFileName, BOOL bAddToMRU) {
  if (!lpszFileName || !*lpszFileName || m_templateList.empty()) return nullptr;
  // One file has one name, wherever the program was started from.
  const CString full = FullNameOfFile(lpszFileName);
  lpszFileName = full;
  for (CDocTemplate* pTemplate : m_templateList) {
    POSITION pos = pTemplate->GetFirstDocPosition();
    while (pos) {
      CDocument* pDoc = pTemplate->GetNextDoc(pos);
      if (pDoc && !pDoc->GetPathName().IsEmpty() && pDoc->GetPathName() == CString(lpszFileName)) {
        // Already open: bring its frame forward.
        POSITION viewPos = pDoc->GetFirstViewPosition();
        if (CView* pView = viewPos ? pDoc->GetNextView(viewPos) : nullptr)
          if (CFrameWnd* pFrame = pView->GetParentFrame()) {
            if (pFrame->GetWxWindow()) pFrame->GetWxWindow()->Raise();
          }
        return pDoc;
      }
    }
  }
  return m_templateList.front()->OpenDocumentFile(lpszFileName, bAddToMRU);
}

BOOL CDocManager::SaveAllModified() {
  for (CDocTemplate* pTemplate : m_templateList)
    if (!pTemplate->SaveAllModified()) return FALSE;
  return TRUE;
}

namespace {

// One template's entry: "<filter name>\0*.ext1;*.ext2\0"; the first extension becomes the
// default one when pDefExt is given and still empty.
void AppendTemplateFilter(CDocTemplate* pTemplate, std::wstring& filter, std::wstring* pDefExt, DWORD* pFilterIndex,
                          int entriesSoFar) {
  CString name, exts;
  if (!pTemplate->GetDocString(exts, CDocTemplate::filterExt) || !pTemplate->GetDocString(name, CDocTemplate::filterName))
    return;
  std::wstring patterns;
  const std::wstring list = static_cast<const wchar_t*>(exts);
  size_t start = 0;
  while (start <= list.size()) {
    size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    const std::wstring token = list.substr(start, end - start);
    start = end + 1;
    if (token.empty()) continue;
    if (pDefExt && pDefExt->empty()) {
      *pDefExt = token.substr(1);
      *pFilterIndex = static_cast<DWORD>(entriesSoFar + 1);
    }
    if (!patterns.empty()) patterns += L';';
    patterns += L"*" + token;
  }
  if (patterns.empty()) return;
  filter += static_cast<const wchar_t*>(name);
  filter += L'\0';
  filter += patterns;
  filter += L'\0';
}

}  // namespace

BOOL CDocManager::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                   CDocTemplate* pTemplate) {
  CFileDialog dlg(bOpenFileDialog, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, nullptr, 0);
  dlg.m_ofn.Flags |= lFlags;
  const wchar_t* title = nIDSTitle == AFX_IDS_OPENFILE || (nIDSTitle == 0 && bOpenFileDialog) ? L"Open" : L"Save As";
  std::wstring filter, defExt;
  int entries = 0;
  if (pTemplate) {
    AppendTemplateFilter(pTemplate, filter, &defExt, &dlg.m_ofn.nFilterIndex, entries);
    entries = filter.empty() ? 0 : 1;
  } else {
    for (CDocTemplate* t : m_templateList) {
      const size_t before = filter.size();
      AppendTemplateFilter(t, filter, &defExt, &dlg.m_ofn.nFilterIndex, entries);
      if (filter.size() != before) ++entries;
    }
  }
  filter += L"All Files (*.*)";
  filter += L'\0';
  filter += L"*.*";
  filter += L'\0';
  filter += L'\0';
  dlg.m_ofn.lpstrFilter = filter.c_str();
  dlg.m_ofn.lpstrTitle = title;
  if (!defExt.empty()) dlg.m_ofn.lpstrDefExt = defExt.c_str();
  const std::wstring initial = static_cast<const wchar_t*>(fileName);
  if (initial.size() < dlg.m_ofn.nMaxFile) std::copy(initial.c_str(), initial.c_str() + initial.size() + 1, dlg.m_ofn.lpstrFile);
  if (dlg.DoModal() != IDOK) return FALSE;
  fileName = dlg.GetPathName();
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Application: documents, profile, recent files

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
  ON_COMMAND_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, &CWinApp::OnRecentFileCommand)
END_MESSAGE_MAP()

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (!m_pDocManager) m_pDocManager = new CDocManager;
  m_pDocManager->AddDocTemplate(pTemplate);
}

CDocument* CWinApp::OpenDocumentFile(const wchar_t* lpszFileName) {
  return m_pDocManager ? m_pDocManager->OpenDocumentFile(lpszFileName) : nullptr;
}

BOOL CWinApp::SaveAllModified() { return m_pDocManager ? m_pDocManager->SaveAllModified() : TRUE; }

void CWinApp::OnFileNew() {
  if (m_pDocManager) m_pDocManager->OnFileNew();
}

void CWinApp::OnFileOpen() {
  if (m_pDocManager) m_pDocManager->OnFileOpen();
}

void CWinApp::SetRegistryKey(const wchar_t* lpszRegistryKey) {
  m_strRegistryKey = lpszRegistryKey ? lpszRegistryKey : L"";
  if (m_strProfileName.IsEmpty() && m_pszAppName) m_strProfileName = m_pszAppName;
}

CString CWinApp::GetProfilePath() const {
  CString name = m_strProfileName.IsEmpty() ? CString(m_pszAppName ? m_pszAppName : L"") : m_strProfileName;
  if (name.IsEmpty()) return CString();
  wxString path = ConfigFolder();
  if (!m_strRegistryKey.IsEmpty()) path += "/" + wxString(static_cast<const wchar_t*>(m_strRegistryKey));
  path += "/" + wxString(static_cast<const wchar_t*>(name)) + ".ini";
  return CString(path.wc_str());
}

namespace {

std::string Utf8Path(const CString& path) { return lw::WideToUtf8(static_cast<const wchar_t*>(path)); }

}  // namespace

CString CWinApp::GetProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszDefault) {
  const CString path = GetProfilePath();
  lwprofile::ProfileFile profile;
  if (!path.IsEmpty() && lpszSection && lpszEntry && lwprofile::Load(Utf8Path(path), profile))
    if (const std::wstring* value = profile.Find(lpszSection, lpszEntry)) return CString(value->c_str());
  return CString(lpszDefault ? lpszDefault : L"");
}

BOOL CWinApp::WriteProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszValue) {
  const CString path = GetProfilePath();
  lwprofile::ProfileFile profile;
  if (path.IsEmpty() || !lpszSection || !lwprofile::Load(Utf8Path(path), profile)) return FALSE;
  if (!lpszEntry)
    profile.RemoveSection(lpszSection);
  else if (!lpszValue)
    profile.Remove(lpszSection, lpszEntry);
  else
    profile.Set(lpszSection, lpszEntry, lpszValue);
  return lwprofile::Save(Utf8Path(path), profile);
}

UINT CWinApp::GetProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nDefault) {
  const CString text = GetProfileString(lpszSection, lpszEntry, nullptr);
  if (text.IsEmpty()) return static_cast<UINT>(nDefault);
  // Like the Windows profile: leading digits count, anything else reads as 0.
  return static_cast<UINT>(std::wcstol(text, nullptr, 10));
}

BOOL CWinApp::WriteProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nValue) {
  return WriteProfileString(lpszSection, lpszEntry, std::to_wstring(nValue).c_str());
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
  m_nMaxMRU = std::min(nMaxMRU, 16u);
  m_recentFiles.clear();
  for (UINT i = 1; i <= m_nMaxMRU; ++i) {
    CString name = GetProfileString(kRecentSection, (L"File" + std::to_wstring(i)).c_str(), nullptr);
    // Entries written before names were kept whole may be relative: they stay as written.
    if (!name.IsEmpty() && name[0] == L'/') name = AfxFullPath(name);
    if (!name.IsEmpty() && std::find(m_recentFiles.begin(), m_recentFiles.end(), name) == m_recentFiles.end())
      m_recentFiles.push_back(name);
  }
}

void CWinApp::AddToRecentFileList(const wchar_t* lpszPathName) {
  if (!lpszPathName || !*lpszPathName || m_nMaxMRU == 0) return;
  const CString name = FullNameOfFile(lpszPathName);
  m_recentFiles.erase(std::remove(m_recentFiles.begin(), m_recentFiles.end(), name), m_recentFiles.end());
  m_recentFiles.insert(m_recentFiles.begin(), name);
  if (m_recentFiles.size() > m_nMaxMRU) m_recentFiles.resize(m_nMaxMRU);
  WriteRecentFileList();
}

CString CWinApp::GetRecentFile(int nIndex) const {
  return nIndex >= 0 && nIndex < GetRecentFileCount() ? m_recentFiles[static_cast<size_t>(nIndex)] : CString();
}

void CWinApp::WriteRecentFileList() {
  const CString path = GetProfilePath();
  lwprofile::ProfileFile profile;
  if (path.IsEmpty() || !lwprofile::Load(Utf8Path(path), profile)) return;
  for (UINT i = 1; i <= 16; ++i) {
    const std::wstring key = L"File" + std::to_wstring(i);
    if (i <= m_recentFiles.size())
      profile.Set(kRecentSection, key, static_cast<const wchar_t*>(m_recentFiles[i - 1]));
    else
      profile.Remove(kRecentSection, key);
  }
  lwprofile::Save(Utf8Path(path), profile);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
  if (nID < ID_FILE_MRU_FILE1 || nID > ID_FILE_MRU_FILE16) return FALSE;
  const int index = static_cast<int>(nID - ID_FILE_MRU_FILE1);
  if (index >= GetRecentFileCount()) return FALSE;
  const CString name = m_recentFiles[static_cast<size_t>(index)];
  if (OpenDocumentFile(name)) return TRUE;
  // It could not be opened: it leaves the list.
  m_recentFiles.erase(std::remove(m_recentFiles.begin(), m_recentFiles.end(), name), m_recentFiles.end());
  WriteRecentFileList();
  return TRUE;
}

void CWinApp::OnRecentFileCommand(UINT nID) { OnOpenRecentFile(nID); }
