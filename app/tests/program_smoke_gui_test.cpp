// The program as a user starts it: without a display it says how to run it and fails; under a
// virtual display it starts with a PDF given on the command line, shows its window without any
// toolkit assertion, and the screen is photographed once painted (kept in screenshots/).
// Arguments: the program.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "PdfFixtures.h"
#include "ProgramHarness.h"

namespace {

using programharness::Check;

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <program>\n", argv[0]);
    return 2;
  }
  const std::string program = argv[1];
  programharness::Environment env;
  const std::string log = (env.files() / "program.log").string();

  // 1. No display.
  {
    programharness::Process p({program}, log, false);
    const int rc = p.Wait();
    const std::string said = ReadText(log);
    Check(rc != 0, "without a display the program fails");
    Check(said.find("xvfb-run") != std::string::npos, "and names xvfb-run");
    if (rc == 0 || said.find("xvfb-run") == std::string::npos) std::fprintf(stderr, "it said: %s\n", said.c_str());
  }

  // 2. Under the virtual display, with a PDF: the window comes up and the page is painted.
  const std::string pdf = (env.files() / "sample.pdf").string();
  lwtest::WriteFileBytes(pdf, lwtest::MakeCairoPdf(3));
  {
    programharness::Process p({program, pdf}, log);
    const bool shown = programharness::PollFor(
        [&] { return !p.Running() || !programharness::WindowsTitled("Leafwright", false).empty(); },
        std::chrono::seconds(60));
    Check(shown && p.Running(), "the window appears");
    // The ribbon, the page and the status bar differ in colour once painted.
    const std::string png = std::string(LW_SCREENSHOT_DIR) + "/program.png";
    int colours = 0;
    programharness::PollFor(
        [&] {
          programharness::PhotographSettled("program.png");
          colours = programharness::Colours(png);
          return colours > 20 || !p.Running();
        },
        std::chrono::seconds(40));
    Check(p.Running(), "the program keeps running");
    Check(colours > 20, "the screen shows the window painted");
    std::printf("screenshot: %s (%d colours)\n", png.c_str(), colours);
  }
  const std::string said = ReadText(log);
  Check(said.find("toolkit assert") == std::string::npos, "no toolkit assertion");
  if (programharness::Failures() != 0) std::fprintf(stderr, "the program said:\n%s\n", said.c_str());
  std::printf("%d failed checks\n", programharness::Failures());
  return programharness::Failures() == 0 ? 0 : 1;
}
