// The document's New, Open and Save: pages read from a PDF or a document file (the first ones at
// once, the rest when needed), written back through a file that replaces the old one only once
// it is complete.
#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include <lwstr.h>

#include <quirebook/PdfPageParser.h>

#include "LfwReader.h"
#include "LfwSections.h"
#include "LeafwrightAppState.h"
#include <vectorloom/WorkspaceView.h>

#include "LeafwrightDoc.h"
#include "PageBusiPage.h"
#include "PageCommands.h"

using namespace Vectorloom;

namespace {

// The file's name: what follows the last folder separator ('/' or '\').
CString FileNameOf(const wchar_t* path) {
  CString full(path ? path : L"");
  const int cut = std::max(full.ReverseFind(L'/'), full.ReverseFind(L'\\'));
  return cut >= 0 ? full.Mid(cut + 1) : full;
}

// The extension of the file's name, without its dot, lower-cased; empty when there is none.
CString LowerExtensionOf(const wchar_t* path) {
  const CString name = FileNameOf(path);
  const int dot = name.ReverseFind(L'.');
  if (dot < 0) return CString();
  CString ext = name.Mid(dot + 1);
  ext.MakeLower();
  return ext;
}

// Why a PDF or document file gave no pages, in words for the user. head: its first bytes.
CString DescribeUnreadableFile(IPageContentSource* source, const std::string& head) {
  if (auto* lfw = dynamic_cast<CCacheLfwPageContent*>(source))
    return lfw->GetOpenError().IsEmpty() ? CString(L"The file holds no pages.") : lfw->GetOpenError();
  auto* pdf = dynamic_cast<CCachePdfPageContent*>(source);
  // A PDF begins with its header within its first kilobyte.
  if (head.find("%PDF-") == std::string::npos) return L"The file is not a PDF document.";
  const std::string why = pdf ? pdf->GetOpenError() : "";
  if (why.empty()) return L"The PDF document has no pages.";
  if (why.find("password") != std::string::npos) return L"The PDF document is protected by a password.";
  CString text = L"The PDF document is damaged (";
  text += CString(lw::Utf8ToWide(why).c_str());
  text += L").";
  return text;
}

// "Page 3 could not be read." or "Pages 3, 7 and 9 could not be read."
CString DescribeUnreadablePages(const std::vector<int>& numbers) {
  CString text = numbers.size() == 1 ? L"Page " : L"Pages ";
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i > 0) text += i + 1 == numbers.size() ? L" and " : L", ";
    CString n;
    n.Format(L"%d", numbers[i]);
    text += n;
  }
  text += L" could not be read.";
  return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CLeafwrightDoc, CPublicationDoc)
  ON_COMMAND(ID_FILE_SAVE, &CLeafwrightDoc::OnFileSave)
  ON_COMMAND(ID_FILE_SAVE_AS, &CLeafwrightDoc::OnFileSaveAs)
  // Page commands (PageCommands.cpp).
  ON_COMMAND(ID_PAGES_NEW, &CLeafwrightDoc::OnNewPage)
  ON_COMMAND(ID_PAGES_DUPLICATE, &CLeafwrightDoc::OnDuplicatePages)
  ON_COMMAND(ID_PAGES_DELETE, &CLeafwrightDoc::OnDeletePages)
  ON_COMMAND(ID_PAGES_MOVE_FIRST, &CLeafwrightDoc::OnMoveToFirst)
  ON_COMMAND(ID_PAGES_MOVE_PREVIOUS, &CLeafwrightDoc::OnMovePreviously)
  ON_COMMAND(ID_PAGES_MOVE_LAST, &CLeafwrightDoc::OnMoveToLast)
  ON_COMMAND(ID_PAGES_MOVE_NEXT, &CLeafwrightDoc::OnMoveNext)
  ON_COMMAND(ID_PAGES_REVERSE_ALL, &CLeafwrightDoc::OnReverseAllPages)
  ON_COMMAND(ID_PAGES_REVERSE_SELECTED, &CLeafwrightDoc::OnReverseSelectedPages)
  ON_COMMAND(ID_PAGES_EXTRACT, &CLeafwrightDoc::OnExtractPages)
  ON_COMMAND(ID_PUBLISH_PDF, &CLeafwrightDoc::OnSaveAsPdf)
  ON_COMMAND(ID_PUBLISH_FLIPBOOK, &CLeafwrightDoc::OnSaveAsPageFlip)
  ON_UPDATE_COMMAND_UI(ID_PAGES_EXTRACT, &CLeafwrightDoc::OnUpdatePublish)
  ON_UPDATE_COMMAND_UI(ID_PUBLISH_PDF, &CLeafwrightDoc::OnUpdatePublish)
  ON_UPDATE_COMMAND_UI(ID_PUBLISH_FLIPBOOK, &CLeafwrightDoc::OnUpdatePublish)
  ON_COMMAND(ID_PAGES_GOTO_FIRST, &CLeafwrightDoc::OnGoToFirstPage)
  ON_COMMAND(ID_PAGES_GOTO_PREVIOUS, &CLeafwrightDoc::OnGoToPreviousPage)
  ON_COMMAND(ID_PAGES_GOTO_NEXT, &CLeafwrightDoc::OnGoToNextPage)
  ON_COMMAND(ID_PAGES_GOTO_LAST, &CLeafwrightDoc::OnGoToLastPage)
  ON_UPDATE_COMMAND_UI(ID_PAGES_NEW, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_DUPLICATE, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_DELETE, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_MOVE_FIRST, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_MOVE_PREVIOUS, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_MOVE_LAST, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_MOVE_NEXT, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_REVERSE_ALL, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_REVERSE_SELECTED, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI(ID_PAGES_REVERSE_MENU, &CLeafwrightDoc::OnUpdatePageCommand)
  ON_UPDATE_COMMAND_UI_RANGE(ID_PAGES_GOTO_FIRST, ID_PAGES_GOTO_LAST, &CLeafwrightDoc::OnUpdatePageCommand)
END_MESSAGE_MAP()

CLeafwrightDoc::CShellHooks& CLeafwrightDoc::ShellHooks() {
  static CShellHooks hooks;
  return hooks;
}

bool CLeafwrightDoc::IsDocumentFileName(const wchar_t* lpszPathName) {
  const CString ext = LowerExtensionOf(lpszPathName);
  return ext == L"lfw" || ext == L"lfd";
}

void CLeafwrightDoc::MakeBlankPages(float width, float height, int unit, int count) {
  {
    auto lock = LockContent();
    for (int i = 0; i < std::max(count, 1); ++i) {
      auto* page = new CPageBusiPage;
      page->SetLogWidth(width);
      page->SetLogHeight(height);
      page->SetPageLogUnit(unit);
      page->SetPageContentLoaded(1);
      GetRenderPagesArray().AddPage(page);
    }
  }
  SetDocLogSize(width, height, unit);
  SetDocumentSize(GetDocLogSize(UNIT_PIXEL), 0);
}

BOOL CLeafwrightDoc::OnNewDocument() {
  const CShellHooks& hooks = ShellHooks();
  const bool startup = !hooks.pfnIsStartupNew || hooks.pfnIsStartupNew();
  float width = 8.5f, height = 11.0f;
  int unit = UNIT_INCH, count = 1;
  if (!startup && hooks.pfnPromptNewPages && !hooks.pfnPromptNewPages(width, height, unit, count)) return FALSE;
  if (!CPublicationDoc::OnNewDocument()) return FALSE;
  m_bOpenFailed = false;
  MakeBlankPages(width, height, unit, count);
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CLeafwrightDoc::OnOpenDocument(const wchar_t* lpszPathName) {
  m_bOpenFailed = false;
  ULONGLONG fileLength = 0;
  std::string head;  // the first bytes, to tell a PDF from another file
  {
    // A file that cannot be opened for reading at all (gone, a folder, no permission) is the
    // framework's to report: the open document stays as it was and the caller learns that
    // nothing was opened (the recent-file list then drops the name).
    CFileException fe;
    CFile* pFile = GetFile(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &fe);
    if (!pFile) {
      ReportSaveLoadException(lpszPathName, &fe, FALSE, 0);
      return FALSE;
    }
    try {
      fileLength = pFile->GetLength();
      char bytes[1024];
      head.assign(bytes, pFile->Read(bytes, sizeof(bytes)));
    } catch (CException* e) {
      e->Delete();
    }
    ReleaseFile(pFile, TRUE);
  }
  const CString ext = LowerExtensionOf(lpszPathName);
  IPageContentSource* source = nullptr;
  const bool pdf = ext == L"pdf";
  // The whole path, however long: a cut path would open another file.
  if (pdf)
    source = new CCachePdfPageContent(lpszPathName);
  else if (ext == L"lfw" || ext == L"lfd")  // a document file, or pages extracted from one
    source = new CCacheLfwPageContent(lpszPathName);
  if (source) source->AddRef();
  const int total = source ? source->GetPagesCount() : 0;

  CString reason;
  if (fileLength == 0)
    reason = L"The file is empty.";
  else if (!source)
    reason = L"Leafwright opens PDF files (.pdf) and its own documents (.lfw, .lfd).";
  else if (total <= 0)
    reason = DescribeUnreadableFile(source, head);

  DeleteContents();
  std::vector<int> unreadable;  // 1-based numbers of the pages read at once that could not be read
  if (total > 0) {
    CString message;
    message.Format(L"Loading from file '%s'...", FileNameOf(lpszPathName).GetString());
    CLocalIOProgress progress(&message, ShellHooks().pStatusBar);
    progress.Begin();
    const int loadNow = std::min(total, kLoadedAtOpen);
    float lastWidth = 8.5f, lastHeight = 11.0f;
    int lastUnit = UNIT_INCH;
    progress.PushRange(0.8f);
    for (int i = 0; i < loadNow; ++i) {
      auto* page = new CPageBusiPage;
      page->AddRef();
      bool ok;
      {
        auto lock = LockContent();
        ok = source->LoadPageContent(page, i + 1, this);
      }
      if (ok) {
        page->SetPageContentLoaded(1);
        if (pdf) page->SetPageLogUnit(UNIT_POINT);
        lastWidth = page->GetLogWidth();
        lastHeight = page->GetLogHeight();
        lastUnit = page->GetPageLogUnit();
        auto lock = LockContent();
        GetRenderPagesArray().AddPage(page);
      } else {
        // The open is refused (a document with a page missing would lose it at the next save);
        // the others are still read so that the user learns every page that is damaged.
        unreadable.push_back(i + 1);
      }
      page->Release();
      progress.SetProgress(static_cast<float>(i + 1) / static_cast<float>(loadNow));
    }
    progress.PopRange();
    progress.PushRange(0.2f);
    if (unreadable.empty()) {
      auto lock = LockContent();
      for (int i = loadNow; i < total; ++i) {
        auto* page = new CPageBusiPage;
        page->SetLogWidth(lastWidth);
        page->SetLogHeight(lastHeight);
        page->SetPageLogUnit(lastUnit);
        page->SetPageSourceContent(source);
        page->SetPageSourceIndex(i);
        GetRenderPagesArray().AddPage(page);
        progress.SetProgress(static_cast<float>(i - loadNow + 1) / static_cast<float>(total - loadNow));
      }
    }
    progress.PopRange();
    progress.End();
    if (!unreadable.empty()) reason = DescribeUnreadablePages(unreadable);
  }
  if (source) source->Release();  // kept only by pages still to be read

  if (!reason.IsEmpty()) {
    DeleteContents();
    CString message;
    message.Format(L"Could not open \"%s\".\n%s", lpszPathName, reason.GetString());
    if (CDocument::Hooks().pfnMessageBox) CDocument::Hooks().pfnMessageBox(message, MB_OK | MB_ICONERROR);
    MakeBlankPages(8.5f, 11.0f, UNIT_INCH, 1);
    // Untitled: a Save must never write a blank document over the file that could not be read.
    ClearPathName();
    m_bOpenFailed = true;
    SetModifiedFlag(FALSE);
    UpdateAllViews(nullptr, 3, nullptr);
    return TRUE;
  }

  // The document is as large as its widest and its tallest page, in the first page's unit.
  const int unit = GetDrawingPage(0)->GetPageLogUnit();
  float maxWidth = 0, maxHeight = 0;
  for (int i = 0; i < GetPagesCount(); ++i) {
    const CDrawingPage* page = GetDrawingPage(i);
    const auto size = Quirebook::ConvertLogSize(page->GetLogWidth(), page->GetLogHeight(), page->GetPageLogUnit(), unit, 96, 96);
    maxWidth = std::max(maxWidth, size.cx);
    maxHeight = std::max(maxHeight, size.cy);
  }
  SetDocLogSize(maxWidth, maxHeight, unit);
  SetDocumentSize(GetDocLogSize(UNIT_PIXEL), 0);
  SetModifiedFlag(FALSE);
  UpdateAllViews(nullptr, 3, nullptr);
  return TRUE;
}

void CLeafwrightDoc::SetPathName(const wchar_t* lpszPathName, BOOL bAddToMRU) {
  if (m_bOpenFailed) {
    // The name of a file that could not be opened is not the document's.
    m_bOpenFailed = false;
    ClearPathName();
    SetTitle(L"Untitled");
    return;
  }
  CPublicationDoc::SetPathName(lpszPathName, bAddToMRU);
}

BOOL CLeafwrightDoc::OnSaveDocument(const wchar_t* lpszPathName) {
  // A live preview (a gallery hover, a dialog's value) is not the document: put the objects back
  // before anything is written.
  for (POSITION pos = GetFirstViewPosition(); pos;) {
    if (auto* view = dynamic_cast<Vectorloom::CWorkspaceView*>(GetNextView(pos))) {
      view->RestorePrevScene();
      view->DestroyPreviewScene();
    }
  }
  const bool allLoaded = IsAllContentLoaded();
  CString message;
  message.Format(L"Saving to file \"%s\"", FileNameOf(lpszPathName).GetString());
  CLocalIOProgress progress(&message, ShellHooks().pStatusBar);
  progress.Begin();
  m_pSaveProgress = &progress;
  BOOL saved = FALSE;
  try {
    saved = CPublicationDoc::OnSaveDocument(lpszPathName);
  } catch (...) {
    m_pSaveProgress = nullptr;
    progress.End();
    throw;
  }
  m_pSaveProgress = nullptr;
  progress.End();
  if (!saved) return FALSE;  // the old file and every page's binding stay as they were
  if (allLoaded) return TRUE;

  // Pages still to be read move to the new file, where they sit at their position in the
  // document. Should the new file not read back, they keep reading the old file's bytes (still
  // open, whatever now sits under its name).
  auto* fresh = new CCacheLfwPageContent(lpszPathName);
  fresh->AddRef();
  if (fresh->GetPagesCount() == GetPagesCount()) {
    auto lock = LockContent();
    for (int i = 0; i < GetPagesCount(); ++i) {
      CDrawingPage* page = GetDrawingPage(i);
      if (page->IsPageContentLoaded()) {
        page->SetPageSourceContent(nullptr);
        page->SetPageSourceIndex(-1);
      } else {
        page->SetPageSourceContent(fresh);
        page->SetPageSourceIndex(i);
      }
    }
  }
  fresh->Release();
  return TRUE;
}

CString CLeafwrightDoc::ProposeSaveName() const {
  CString ext = L".lfw";
  if (const CDocTemplate* pTemplate = GetDocTemplate()) {
    CString filterExt;
    // The template's ".LFW", written the way Linux names files.
    if (pTemplate->GetDocString(filterExt, CDocTemplate::filterExt) && filterExt[0] == L'.') ext = filterExt.MakeLower();
  }
  const CString& path = GetPathName();
  if (path.IsEmpty()) {
    CString title = GetTitle();
    if (title.IsEmpty()) title = L"Untitled";
    return title + ext;
  }
  if (IsDocumentFileName(path)) return path;
  const CString name = FileNameOf(path);
  const int dot = name.ReverseFind(L'.');
  return dot < 0 ? path + ext : path.Left(path.GetLength() - name.GetLength() + dot) + ext;
}

BOOL CLeafwrightDoc::DoSave(const wchar_t* lpszPathName, BOOL bReplace) {
  CString newName = lpszPathName ? lpszPathName : L"";
  if (newName.IsEmpty() || !IsDocumentFileName(newName)) {
    // Save As; also for a document read from a PDF, whose file a document must never replace.
    newName = ProposeSaveName();
    auto prompt = CDocument::Hooks().pfnPromptSaveName;
    if (!prompt || !prompt(this, newName, bReplace)) return FALSE;
  }
  if (!OnSaveDocument(newName)) return FALSE;  // nothing is removed: the old file is intact
  if (bReplace) {
    SetPathName(newName, TRUE);
    OnDocumentEvent(onAfterSaveDocument);
  }
  return TRUE;
}

void CLeafwrightDoc::OnFileSave() { DoFileSave(); }
void CLeafwrightDoc::OnFileSaveAs() { DoSave(nullptr); }
