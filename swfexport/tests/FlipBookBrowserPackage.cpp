// Writes the package that scripts/swf-check/flipbook.mjs opens in Ruffle (headless Chromium):
// three pages of 400 x 300 points filled red, green and blue, with a clip (made here by the ffmpeg
// command) on page 2. Runs only when LEAFWRIGHT_FLIPBOOK_CHECK_DIR names the folder to write.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <flarewing/FlipBook.h>
#include <swf/ming.h>

#include "FlipTestKit.h"

namespace {

using namespace fliptest;
namespace flip = QorSWFExportingLib;

void AddFilledRect(SWFMovie movie, double w, double h, int r, int g, int b) {
  SWFShape shape = newSWFShape();
  SWFFillStyle style = newSWFSolidFillStyle(r, g, b, 255);
  SWFFill fill = newSWFFill(style);
  SWFShape_setRightFill(shape, fill);
  SWFShape_movePenTo(shape, 0, 0);
  SWFShape_drawLineTo(shape, w, 0);
  SWFShape_drawLineTo(shape, w, h);
  SWFShape_drawLineTo(shape, 0, h);
  SWFShape_drawLineTo(shape, 0, 0);
  SWFMovie_add(movie, shape);
  destroySWFFill(fill);
  destroySWFFillStyle(style);
  destroySWFShape(shape);
}

TEST(FlipBookBrowserPackage, WriteForTheBrowserCheck) {
  const char* dir = std::getenv("LEAFWRIGHT_FLIPBOOK_CHECK_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "LEAFWRIGHT_FLIPBOOK_CHECK_DIR is not set";
  const fs::path out = dir;
  fs::remove_all(out);
  fs::create_directories(out);
  TempDir clips;
  const fs::path clip = clips.path() / "Check Clip.mkv";
  int status = 0;
  const std::string log = Shell("ffmpeg -v error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=4 -f lavfi "
                                "-i sine=f=440:r=44100:d=4 -c:v mpeg4 -q:v 3 -c:a pcm_s16le '" + clip.string() + "'",
                                &status);
  ASSERT_EQ(status, 0) << log;

  CPublicationDoc doc;
  AddPages(doc, 3, 400.0f, 300.0f);
  // 240 x 180 pixels at (40, 40) pixels: (30, 30) to (210, 165) points on page 2.
  auto* video = AddVideo(doc.GetDrawingPage(1), clip.wstring());
  video->SetVideoObjectSize({240.0f, 180.0f});
  flip::FlipExportOptions options;
  options.writePage = [](flip::SwfExportContext& ctx, int index, const std::string& path) {
    static const int colours[3][3] = {{255, 0, 0}, {0, 200, 0}, {0, 0, 255}};
    SWFMovie movie = flip::NewPageMovie(*ctx.Document());
    AddFilledRect(movie, 400, 300, colours[index][0], colours[index][1], colours[index][2]);
    const bool ok = flip::AddPageObjects(ctx, index, movie) && SWFMovie_save(movie, path.c_str()) > 0;
    destroySWFMovie(movie);
    return ok;
  };
  ASSERT_TRUE(flip::SaveFlipBook(&doc, out.wstring().c_str(), nullptr, options));
  EXPECT_TRUE(fs::exists(out / "videos/videos001.flv"));
  EXPECT_TRUE(fs::exists(out / "ruffle/ruffle.js"));
}

}  // namespace
