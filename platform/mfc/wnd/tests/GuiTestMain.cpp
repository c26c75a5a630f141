#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include <wx/init.h>

#include "GuiTestHarness.h"

namespace guitest {

int g_wxAsserts = 0;
int g_unexpectedBoxes = 0;
wxEventLoopBase* g_loop = nullptr;

int UnexpectedMessageBox(const wchar_t* text, const wchar_t*, UINT) {
  ++g_unexpectedBoxes;
  std::fprintf(stderr, "unexpected message box: %ls\n", text);
  return IDCANCEL;
}

}  // namespace guitest

namespace {

class SummaryPrinter : public ::testing::EmptyTestEventListener {
  void OnTestProgramEnd(const ::testing::UnitTest& u) override {
    std::printf("%d passed, %d failed\n", u.successful_test_count(), u.failed_test_count());
  }
};

}  // namespace

// GTK and fontconfig keep caches for the life of the process; the leak checker of sanitizer
// builds is told to look away from them (our own allocations are still checked).
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libgtk-3.so\nleak:libgdk-3.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
         "leak:libpango\nleak:libcairo.so\nleak:libatk\nleak:libgio-2.0.so\n";
}

int main(int argc, char** argv) {
  using namespace guitest;
  setenv("NO_AT_BRIDGE", "1", 1);
  setenv("GTK_OVERLAY_SCROLLING", "0", 1);
  setenv("GDK_SCALE", "1", 1);
  lwmfc::SetMessageBoxHook(&UnexpectedMessageBox);  // before anything can open a box
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new SummaryPrinter);

  wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    ++g_wxAsserts;
    std::fprintf(stderr, "wx assert %s:%d %s: %s %s\n", file.utf8_str().data(), line, func.utf8_str().data(),
                 cond.utf8_str().data(), msg.utf8_str().data());
  });
  wxApp::SetInstance(new wxApp);
  int wxArgc = 1;
  char* wxArgv[] = {argv[0], nullptr};
  if (!wxEntryStart(wxArgc, wxArgv)) {
    std::fprintf(stderr, "cannot start the toolkit (no display?)\n");
    return 1;
  }
  wxTheApp->CallOnInit();
  wxGUIEventLoop* loop = new wxGUIEventLoop;
  wxEventLoopBase::SetActive(loop);
  g_loop = loop;
  lwmfc::StartMessageDispatch();

  int rc = RUN_ALL_TESTS();

  lwmfc::StopMessageDispatch();
  if (g_wxAsserts || g_unexpectedBoxes) {
    std::printf("%d toolkit asserts, %d unexpected message boxes\n", g_wxAsserts, g_unexpectedBoxes);
    rc = 1;
  }
  wxEventLoopBase::SetActive(nullptr);
  delete loop;
  wxEntryCleanup();
  return rc;
}
