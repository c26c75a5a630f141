// Writes the packages that scripts/swf-check opens in Ruffle (headless Chromium): for flipbook.mjs
// three pages of 400 x 300 points filled red, green and blue, with a clip (made here by the ffmpeg
// command) on page 2, when LEAFWRIGHT_FLIPBOOK_CHECK_DIR names the folder to write; for book.mjs a
// book of 300 pages of 420 x 595 points, when LEAFWRIGHT_BOOK_CHECK_DIR names it.
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

// Each page of the book carries a block of its colour on its upper half: page 1 red, page 300 blue,
// page i between them the colour i % 6 of a table (book.mjs repeats it).
TEST(FlipBookBrowserPackage, WriteBookForTheBrowserCheck) {
  const char* dir = std::getenv("LEAFWRIGHT_BOOK_CHECK_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "LEAFWRIGHT_BOOK_CHECK_DIR is not set";
  const fs::path out = dir;
  fs::remove_all(out);
  fs::create_directories(out);
  CPublicationDoc doc;
  AddPages(doc, 300, 420.0f, 595.0f);
  flip::FlipExportOptions options;
  options.writePage = [](flip::SwfExportContext& ctx, int index, const std::string& path) {
    static const int table[6][3] = {{0, 160, 0}, {230, 160, 0}, {0, 160, 200}, {160, 0, 160}, {120, 120, 0}, {0, 90, 60}};
    int r = table[index % 6][0], g = table[index % 6][1], b = table[index % 6][2];
    if (index == 0) r = 255, g = 0, b = 0;
    if (index == 299) r = 0, g = 0, b = 255;
    SWFMovie movie = flip::NewPageMovie(*ctx.Document());
    SWFShape shape = newSWFShape();
    SWFFillStyle style = newSWFSolidFillStyle(r, g, b, 255);
    SWFFill fill = newSWFFill(style);
    SWFShape_setRightFill(shape, fill);
    SWFShape_movePenTo(shape, 40, 40);
    SWFShape_drawLineTo(shape, 380, 40);
    SWFShape_drawLineTo(shape, 380, 300);
    SWFShape_drawLineTo(shape, 40, 300);
    SWFShape_drawLineTo(shape, 40, 40);
    SWFMovie_add(movie, shape);
    destroySWFFill(fill);
    destroySWFFillStyle(style);
    destroySWFShape(shape);
    const bool ok = flip::AddPageObjects(ctx, index, movie) && SWFMovie_save(movie, path.c_str()) > 0;
    destroySWFMovie(movie);
    return ok;
  };
  ASSERT_TRUE(flip::SaveFlipBook(&doc, out.wstring().c_str(), nullptr, options));
  EXPECT_TRUE(fs::exists(out / "pages/page300.swf"));
  EXPECT_TRUE(fs::exists(out / "ruffle/ruffle.js")) << "set LEAFWRIGHT_RUFFLE_DIR to Ruffle's web build";
}

}  // namespace
