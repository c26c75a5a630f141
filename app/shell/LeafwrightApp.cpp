#include "LeafwrightApp.h"

#include "PublishPrompts.h"

#include <afxdlgs.h>

#include <gdiplus/gdiplus.h>
#include <QorpRecentFileList.h>

#include "AboutDlg.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "MyDocManager.h"
#include "NewPdfDlg.h"
#include "PublishCommands.h"
#include "ShellIds.h"
#include "SkinFrameDlg.h"

std::vector<Vectorloom::CLocalGradientColorsDefine> MakePresetGradients() {
  std::vector<Vectorloom::CLocalGradientColorsDefine> presets;
  presets.push_back(CDefaultLeafwrightAppState::MakePresetGradient0());
  // The others run from a colour of the wheel (eight lightness steps of a few hues) to white.
  const COLORREF hues[] = {RGB(0xD4, 0x3E, 0x11), RGB(0x11, 0x6E, 0xD4), RGB(0xD4, 0xB0, 0x11),
                           RGB(0x8E, 0x11, 0xD4), RGB(0x11, 0xB4, 0xD4), RGB(0x60, 0x60, 0x60)};
  for (int i = 1; i < kPresetGradientCount; ++i) {
    const COLORREF base = hues[(i - 1) % std::size(hues)];
    const int step = (i - 1) / static_cast<int>(std::size(hues));  // 0..7
    auto darker = [&](int c) { return static_cast<BYTE>(c * (8 - step / 2) / 8); };
    Vectorloom::CLocalGradientColorsDefine g;
    g.AddColorStop(RGB(darker(GetRValue(base)), darker(GetGValue(base)), darker(GetBValue(base))), 255, 0);
    g.AddColorStop(RGB(255, 255, 255), 255, 4096);
    presets.push_back(g);
  }
  return presets;
}

namespace {

CLeafwrightApp* g_pLeafwrightApp = nullptr;

bool IsStartupNew() { return g_pLeafwrightApp && g_pLeafwrightApp->m_bStartupNewDocument; }

// The new-document dialog in the current theme's skin, over the main window.
bool PromptNewPages(float& width, float& height, int& unit, int& count) {
  CSkinFrameDlg<CNewPdfDlg> dlg(AfxGetMainWnd());
  if (dlg.DoModal() != IDOK) return false;
  unit = dlg.m_eUnit;
  width = dlg.m_fWidth;
  height = dlg.m_fHeight;
  count = static_cast<int>(dlg.m_nPageCount);
  return true;
}

// File and folder dialogs open on the folder of the document's file.
std::wstring DocumentFolder() {
  CWnd* main = AfxGetMainWnd();
  auto* frame = main ? dynamic_cast<CFrameWnd*>(main) : nullptr;
  CDocument* doc = frame ? frame->GetActiveDocument() : nullptr;
  if (!doc) return std::wstring();
  const std::wstring path = doc->GetPathName().GetString();
  const size_t cut = path.find_last_of(L"/\\");
  return cut == std::wstring::npos || cut == 0 ? std::wstring() : path.substr(0, cut);
}

}  // namespace

CLeafwrightApp* GetLeafwrightApp() { return g_pLeafwrightApp; }

BEGIN_MESSAGE_MAP(CLeafwrightApp, CWinApp)
  ON_COMMAND(ID_APP_ABOUT, &CLeafwrightApp::OnAppAbout)
  ON_COMMAND(ID_FILE_NEW, &CWinApp::OnFileNew)
  ON_COMMAND(ID_FILE_OPEN, &CLeafwrightApp::OnFileOpen)
  ON_COMMAND(ID_APP_EXIT, &CLeafwrightApp::OnAppExit)
  ON_UPDATE_COMMAND_UI_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE16, &CLeafwrightApp::OnUpdateRecentFile)
END_MESSAGE_MAP()

CLeafwrightApp::CLeafwrightApp() : CWinApp(kAppTitle) { g_pLeafwrightApp = this; }

CLeafwrightApp::~CLeafwrightApp() {
  if (g_pLeafwrightApp == this) g_pLeafwrightApp = nullptr;
}

BOOL CLeafwrightApp::InitInstance() {
  // The screen resolution, read once (the device context reports 96 dpi on every display so
  // that documents lay out alike everywhere).
  Quirebook::GetScreenDpi(m_nScreenDpiX, m_nScreenDpiY);
  Gdiplus::GdiplusStartupInput gdiplusInput;
  Gdiplus::GdiplusStartup(&m_gdiplusToken, &gdiplusInput, nullptr);

  // Settings under <config>/Norvane/, recent files among them.
  SetRegistryKey(L"Norvane");
  LoadStdProfileSettings(0);
  CQORPRecentFileList recent(0, L"Recent File List", L"File%d", 16, 30);
  recent.ReadList();

  // Program-wide defaults of new objects.
  m_gradients = MakePresetGradients();
  m_state.SetScreenDpi(m_nScreenDpiX, m_nScreenDpiY);
  m_state.SetDefaultFillColor(kDefaultFillColor);
  m_state.SetDefaultStrokeColor(kDefaultStrokeColor);
  m_state.SetDefaultGradient(m_gradients[0]);
  SetLeafwrightAppState(&m_state);

  // The program's own document manager: its Save As offers the document type only.
  delete m_pDocManager;
  m_pDocManager = new CMyDocManager;
  auto* pTemplate = new CSingleDocTemplate(IDR_MAINFRAME, RUNTIME_CLASS(CLeafwrightDoc), RUNTIME_CLASS(CMainFrame),
                                           RUNTIME_CLASS(CLeafwrightView));
  pTemplate->m_strDocStrings = kDocTemplateString;
  AddDocTemplate(pTemplate);
  CLeafwrightDoc::ShellHooks().pfnIsStartupNew = &IsStartupNew;
  CLeafwrightDoc::ShellHooks().pfnPromptNewPages = &PromptNewPages;
  InstallPublishPrompts();
  lwmfc::SetDialogStartFolderHook(&DocumentFolder);

  CCommandLineInfo cmdInfo;
  ParseCommandLine(cmdInfo);
  EnableShellOpen();
  RegisterShellFileTypes(TRUE);  // rewrites nothing that is already in place
  // A file to open waits until the window shows: reading its first pages takes a while, and the
  // status bar shows how far it got.
  if (cmdInfo.m_nShellCommand == CCommandLineInfo::FileOpen) {
    m_strStartFile = cmdInfo.m_strFileName;
    cmdInfo.m_nShellCommand = CCommandLineInfo::FileNew;
  }
  if (!ProcessShellCommand(cmdInfo)) return FALSE;

  if (auto* pFrame = dynamic_cast<CMainFrame*>(m_pMainWnd)) {
    CLeafwrightDoc::ShellHooks().pStatusBar = pFrame->GetProgressStatusBar();
    pFrame->UpdateWindowTitle();
  }
  // The work area first: a desktop without a window manager does not maximise windows.
  const int cx = GetSystemMetrics(SM_CXFULLSCREEN), cy = GetSystemMetrics(SM_CYFULLSCREEN);
  if (cx > 0 && cy > 0) m_pMainWnd->MoveWindow(0, 0, cx, cy);
  m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
  m_pMainWnd->UpdateWindow();
  m_pMainWnd->DragAcceptFiles(TRUE);
  m_bStartupNewDocument = FALSE;
  return TRUE;
}

BOOL CLeafwrightApp::OnIdle(LONG lCount) {
  const BOOL more = CWinApp::OnIdle(lCount);
  if (m_strStartFile.IsEmpty() || !m_pMainWnd) return more;
  const CString file = m_strStartFile;
  m_strStartFile.Empty();
  m_pMainWnd->UpdateWindow();
  OpenDocumentFile(file);
  return TRUE;
}

int CLeafwrightApp::ExitInstance() {
  CLeafwrightDoc::ShellHooks() = {};
  lwmfc::SetDialogStartFolderHook(nullptr);
  ClearPublishPrompts();
  StopPreviews();  // the publications served for preview go with the program
  SetLeafwrightAppState(nullptr);
  if (m_gdiplusToken) Gdiplus::GdiplusShutdown(m_gdiplusToken);
  m_gdiplusToken = 0;
  return CWinApp::ExitInstance();
}

void CLeafwrightApp::OnUpdateRecentFile(CCmdUI* pCmdUI) {
  pCmdUI->Enable(static_cast<int>(pCmdUI->m_nID - ID_FILE_MRU_FILE1) < GetRecentFileCount());
}

void CLeafwrightApp::OnFileOpen() {
  CFileDialog dlg(TRUE, nullptr, nullptr, 0x1044, kOpenFileFilter, m_pMainWnd);
  if (dlg.DoModal() != IDOK) return;
  OpenDocumentFile(dlg.GetPathName());
}

void CLeafwrightApp::OnAppExit() {
  // As the close box does: the frame asks to save a changed document first.
  if (m_pMainWnd && m_pMainWnd->GetSafeHwnd()) m_pMainWnd->SendMessage(WM_CLOSE);
}

void CLeafwrightApp::OnAppAbout() {
  CSkinFrameDlg<CAboutDlg> dlg(m_pMainWnd);
  dlg.DoModal();
}
