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

namespace {

// One colour stop of a preset: a COLORREF and its place along the gradient (0 to 4096).
struct PresetStop {
  COLORREF color;
  int position;
};

// The 45 presets after entry 0, stops in ascending position. 1-14 ramp from white to one colour;
// 15-32 blend three to six colours; 33-37 ramp between two strong colours; 38-40 have three stops at
// 0, 2048 and 4096; 41-44 four stops at 204, 1433, 2662 and 3891; 45 seven stops that start and end
// in the same colour.
const std::vector<std::vector<PresetStop>> kPresetStops = {
    {{0xFFFFFF, 0}, {0x0072B6, 4096}},
    {{0xFFFFFF, 0}, {0x00A9E0, 4096}},
    {{0xFFFFFF, 0}, {0xE90D87, 4096}},
    {{0xFFFFFF, 0}, {0x1A1AE6, 4096}},
    {{0xFFFFFF, 0}, {0x2E8B57, 4096}},
    {{0xFFFFFF, 0}, {0x0080FF, 4096}},
    {{0xFFFFFF, 0}, {0x8B008B, 4096}},
    {{0xFFFFFF, 0}, {0x00B4F0, 4096}},
    {{0xFFFFFF, 0}, {0x4F3F9C, 4096}},
    {{0xFFFFFF, 0}, {0x595959, 4096}},
    {{0xFFFFFF, 0}, {0xFFF203, 4096}},
    {{0xFFFFFF, 0}, {0x50D092, 4096}},
    {{0xFFFFFF, 0}, {0xC07000, 4096}},
    {{0xFFFFFF, 0}, {0x8078B3, 4096}},
    // 15-32: multi-stop blends.
    {{0x0000FF, 0}, {0x00FFFF, 1024}, {0x00FF00, 2048}, {0xFFFF00, 3072}, {0xFF0000, 4096}},
    {{0xF6F1B2, 0}, {0xCAE3CC, 1228}, {0x98D8E3, 2457}, {0x6AB6CB, 3276}},
    {{0x1E1E1E, 0}, {0xBFBFBF, 2048}, {0x1E1E1E, 4096}},
    {{0xFFFFFF, 0}, {0xE6C3A0, 819}, {0xC08040, 1638}, {0x804000, 2457}, {0xC08040, 3276}, {0xFFFFFF, 4096}},
    {{0x00204F, 0}, {0x2060A0, 1024}, {0x80C0FF, 2048}, {0x2060A0, 3072}, {0x00204F, 4096}},
    {{0x2090F0, 0}, {0x80D0FF, 2048}, {0xFFFFFF, 4096}},
    {{0x104010, 0}, {0x40A040, 1024}, {0xA0E0A0, 2048}, {0x40A040, 3072}, {0x104010, 4096}},
    {{0x9999FF, 0}, {0xCC66FF, 819}, {0xFF66CC, 1638}, {0xFF9999, 2457}, {0xFFCC99, 3276}, {0xFFFF99, 4096}},
    {{0xD8D8D8, 0}, {0x8C8C8C, 2048}, {0x404040, 4096}},
    {{0x0099FF, 0}, {0x66CCFF, 1024}, {0xFFFFFF, 2048}, {0x66CCFF, 3072}, {0x0099FF, 4096}},
    {{0x603000, 0}, {0xB07030, 1024}, {0xF0D0A0, 2048}, {0xB07030, 3072}, {0x603000, 4096}},
    {{0x000080, 0}, {0x0000FF, 819}, {0x00A0FF, 1638}, {0x00FFFF, 2457}, {0x80FFFF, 3276}, {0xFFFFFF, 4096}},
    {{0xE0B0FF, 0}, {0x9040C0, 2048}, {0x400060, 4096}},
    {{0xFFFFFF, 81}, {0x688634, 491}, {0x0E1406, 3194}, {0x0E1406, 3645}, {0x0E1406, 4096}},
    {{0x80FFFF, 0}, {0x00C0FF, 1024}, {0x0080FF, 2048}, {0x0040C0, 3072}, {0x002060, 4096}},
    {{0xF0F0F0, 0}, {0xC0C0C0, 819}, {0xF0F0F0, 1638}, {0xA0A0A0, 2457}, {0xE0E0E0, 3276}, {0x808080, 4096}},
    {{0xFFE0C0, 0}, {0xFF80A0, 2048}, {0x8000FF, 4096}},
    {{0x004000, 0}, {0x008040, 1024}, {0x00C080, 2048}, {0x40FFC0, 3072}, {0xC0FFF0, 4096}},
    // 33-37: two strong colours.
    {{0xFD7C00, 0}, {0x002874, 4096}},
    {{0x0000C0, 0}, {0xC0C000, 4096}},
    {{0x8000FF, 0}, {0x00C0FF, 4096}},
    {{0x008000, 0}, {0x800080, 4096}},
    {{0x0060FF, 0}, {0x602000, 4096}},
    // 38-40: three stops.
    {{0x0000FF, 0}, {0xFFFFFF, 2048}, {0xFF0000, 4096}},
    {{0x00C0FF, 0}, {0x0040FF, 2048}, {0x000080, 4096}},
    {{0x404040, 0}, {0xFFFFFF, 2048}, {0x404040, 4096}},
    // 41-44: four stops.
    {{0xFFFFFF, 204}, {0xFFC080, 1433}, {0xC06000, 2662}, {0x603000, 3891}},
    {{0xC0FFC0, 204}, {0x40C040, 1433}, {0x008000, 2662}, {0x004000, 3891}},
    {{0xFFC0FF, 204}, {0xC040C0, 1433}, {0x800080, 2662}, {0x400040, 3891}},
    {{0xC0FFFF, 204}, {0x40C0C0, 1433}, {0x008080, 2662}, {0x004040, 3891}},
    // 45: seven stops.
    {{0xE02181, 0}, {0x00A0FF, 614}, {0x00FFFF, 1228}, {0x00FF00, 1925}, {0xFFFF00, 2621}, {0xFF0000, 3235},
     {0xE02181, 4096}},
};

}  // namespace

std::vector<Vectorloom::CLocalGradientColorsDefine> MakePresetGradients() {
  std::vector<Vectorloom::CLocalGradientColorsDefine> presets;
  presets.push_back(CDefaultLeafwrightAppState::MakePresetGradient0());
  for (const auto& stops : kPresetStops) {
    Vectorloom::CLocalGradientColorsDefine g;
    for (const PresetStop& s : stops) g.AddColorStop(s.color, 255, s.position);
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
