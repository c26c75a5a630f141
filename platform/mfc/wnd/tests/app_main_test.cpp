// A minimal application run through its real entry under Xvfb: InitInstance registers the file
// type, makes the document and shows its frame from the command line, idle time reaches OnIdle,
// closing the frame ends the message loop and the process exits with ExitInstance's 0.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <afxwin.h>

#include "TestSupport.h"

namespace {

int g_failures = 0;
void Check(bool ok, const char* what) {
  if (!ok) {
    ++g_failures;
    std::fprintf(stderr, "check failed: %s\n", what);
  }
}

int UnexpectedMessageBox(const wchar_t* text, const wchar_t*, UINT) {
  ++g_failures;
  std::fprintf(stderr, "unexpected message box: %ls\n", text);
  return IDCANCEL;
}

class CAppDoc : public CDocument {
  DECLARE_DYNCREATE(CAppDoc)
 public:
  BOOL OnOpenDocument(const wchar_t*) override { return TRUE; }
};
IMPLEMENT_DYNCREATE(CAppDoc, CDocument)

class CAppView : public CView {
  DECLARE_DYNCREATE(CAppView)
 public:
  void OnDraw(CDC*) override {}
};
IMPLEMENT_DYNCREATE(CAppView, CView)

class CAppFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CAppFrame)
};
IMPLEMENT_DYNCREATE(CAppFrame, CFrameWnd)

class CMinimalApp : public CWinApp {
 public:
  CMinimalApp() : CWinApp(L"Minimal") {}
  bool initialised = false;
  bool closeSent = false;
  BOOL InitInstance() override {
    initialised = true;
    auto* pTemplate =
        new CSingleDocTemplate(128, RUNTIME_CLASS(CAppDoc), RUNTIME_CLASS(CAppFrame), RUNTIME_CLASS(CAppView));
    pTemplate->m_strDocStrings = L"Minimal\n\nnewMin\nMinimal Files (*.MIN)\n.MIN\nMinimal.Document\nMinimal Document";
    AddDocTemplate(pTemplate);
    CCommandLineInfo info;
    ParseCommandLine(info);
    Check(info.m_nShellCommand == CCommandLineInfo::FileOpen, "a file on the command line is opened");
    Check(info.m_strFileName == L"/tmp/some folder/file.lfw", "the first name is the file, /p is ignored");
    EnableShellOpen();
    RegisterShellFileTypes(TRUE);
    if (!ProcessShellCommand(info)) return FALSE;
    m_pMainWnd->ShowWindow(SW_SHOWMAXIMIZED);
    m_pMainWnd->UpdateWindow();
    m_pMainWnd->DragAcceptFiles(TRUE);
    Check(m_pMainWnd && m_pMainWnd->IsWindowVisible(), "the frame is shown");
    return TRUE;
  }
  BOOL OnIdle(LONG lCount) override {
    // The first idle time: everything is up, so the frame is closed as a person would.
    if (!closeSent && m_pMainWnd) {
      closeSent = true;
      Check(AfxGetMainWnd() == m_pMainWnd, "the main window");
      m_pMainWnd->PostMessage(WM_CLOSE);
    }
    return CWinApp::OnIdle(lCount);
  }
  int ExitInstance() override {
    Check(initialised && closeSent, "InitInstance ran and the frame was closed");
    Check(m_pMainWnd == nullptr, "the closed frame is no longer the main window");
    return g_failures == 0 ? 0 : 3;
  }
};

}  // namespace

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libgtk-3.so\nleak:libgdk-3.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
         "leak:libpango\nleak:libcairo.so\nleak:libatk\nleak:libgio-2.0.so\n";
}

int main(int argc, char** argv) {
  (void)argc;
  setenv("NO_AT_BRIDGE", "1", 1);
  setenv("GDK_SCALE", "1", 1);
  lwtest::TempDir config, data;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  setenv("XDG_DATA_HOME", data.path().c_str(), 1);
  lwmfc::SetMessageBoxHook(&UnexpectedMessageBox);
  CMinimalApp app;
  char p[] = "/p";
  char file[] = "/tmp/some folder/file.lfw";
  char* args[] = {argv[0], p, file, nullptr};
  const int rc = AfxWinMain(3, args);
  const std::string program = std::filesystem::read_symlink("/proc/self/exe").filename().string();
  Check(std::filesystem::exists(data.path() / "applications" / (program + ".desktop")), "the desktop entry is written");
  Check(std::filesystem::exists(data.path() / "mime" / "packages" / (program + ".xml")), "the file type is written");
  std::printf("exit %d, %d failed checks\n", rc, g_failures);
  return rc == 0 && g_failures == 0 ? 0 : 1;
}
