// The application's entry over the toolkit and the standard command line.
#include <cstdio>
#include <cwctype>

#include <wx/app.h>
#include <wx/init.h>

#include <lwstr.h>

#include "wnd_state.h"

namespace {

// The toolkit's application object: start-up and shut-down of ours, and idle time.
class LwApp : public wxApp {
 public:
  bool OnInit() override {
    CWinApp* app = AfxGetApp();
    if (!app) return false;
    wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                          const wxString& msg) {
      std::fprintf(stderr, "toolkit assert %s:%d %s: %s %s\n", file.utf8_str().data(), line,
                   func.utf8_str().data(), cond.utf8_str().data(), msg.utf8_str().data());
    });
    lwmfc::StartMessageDispatch();
    m_started = true;
    Bind(wxEVT_IDLE, [this](wxIdleEvent& e) {
      CWinApp* pApp = AfxGetApp();
      if (pApp && pApp->OnIdle(m_idleCount++))
        e.RequestMore();
      else
        m_idleCount = 0;
    });
    if (!app->InitInstance()) {
      m_exitCode = app->ExitInstance();
      if (m_exitCode == 0) m_exitCode = 1;
      return false;
    }
    return true;
  }
  int OnRun() override {
    wxApp::OnRun();
    CWinApp* app = AfxGetApp();
    m_exitCode = app ? app->ExitInstance() : 0;
    return m_exitCode;
  }
  int OnExit() override {
    if (m_started) lwmfc::StopMessageDispatch();
    m_started = false;
    return wxApp::OnExit();
  }
  int m_exitCode = 0;

 private:
  LONG m_idleCount = 0;
  bool m_started = false;
};

bool IsIgnoredSwitch(const std::wstring& s) {
  std::wstring lower;
  for (wchar_t c : s) lower += lw::ToLowerChar(c);
  return lower == L"p" || lower == L"pt" || lower == L"dde" || lower == L"embedding" || lower == L"automation";
}

}  // namespace

int AfxWinMain(int argc, char** argv) {
  CWinApp* app = AfxGetApp();
  if (!app) return 1;
  app->SetCommandLine(argc > 1 ? argc - 1 : 0, argv + 1);
  auto* wxapp = new LwApp;
  wxApp::SetInstance(wxapp);
  int wxArgc = argc > 0 ? 1 : 0;  // our command line is ours to parse
  char* wxArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
  const int rc = wxEntry(wxArgc, wxArgv);
  return rc;
}

void CCommandLineInfo::ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL) {
  if (bFlag || !pszParam) return;  // the known switches change nothing here
  if (m_strFileName.IsEmpty()) {
    m_strFileName = pszParam;
    m_nShellCommand = FileOpen;
  }
}

void CWinApp::SetCommandLine(int argc, const char* const* argv) {
  m_args.clear();
  for (int i = 0; i < argc && argv; ++i)
    if (argv[i]) m_args.emplace_back(lw::Utf8ToWide(argv[i]).c_str());
}

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
  for (size_t i = 0; i < m_args.size(); ++i) {
    const std::wstring arg = static_cast<const wchar_t*>(m_args[i]);
    const bool last = i + 1 == m_args.size();
    if (arg.size() > 1 && (arg[0] == L'/' || arg[0] == L'-') && IsIgnoredSwitch(arg.substr(1)))
      rCmdInfo.ParseParam(arg.c_str() + 1, TRUE, last);
    else
      rCmdInfo.ParseParam(arg.c_str(), FALSE, last);
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
  switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      OnFileNew();
      return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    default:
      return TRUE;
  }
}
