// The page view's drawing of an imported page: objects land where the PDF put them, at 100 %
// (4/3 pixel a point) from the page's corner, and nothing is drawn outside the page.
#include <gtest/gtest.h>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>

#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PdfFixtures.h"
#include "TestSupport.h"

namespace {

TEST(PageViewDrawing, ImportedObjectsLandWhereThePdfPutThem) {
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  lwtest::WriteFileBytes(dir / "one.pdf", lwtest::MakeCairoPdf(1));
  CLeafwrightDoc doc;
  doc.m_bAutoDelete = FALSE;
  ASSERT_TRUE(doc.OnOpenDocument(lw::Utf8ToWide((dir / "one.pdf").string()).c_str()));
  ASSERT_EQ(doc.GetPagesCount(), 1);

  const CRect rcPage(10, 20, 10 + 816, 20 + 1056);  // 612 x 792 points at 96 dpi
  Gdiplus::Bitmap canvas(900, 1100, Gdiplus::PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&canvas);
    g.Clear(Gdiplus::Color(255, 0x80, 0x80, 0x80));
    CLeafwrightView::DrawPage(g, *doc.GetDrawingPage(0), rcPage);
  }
  // A PDF point (x, y up) in the canvas.
  auto at = [&](double x, double y) {
    Gdiplus::Color c;
    canvas.GetPixel(static_cast<int>(rcPage.left + x * 96 / 72), static_cast<int>(rcPage.top + (792 - y) * 96 / 72), &c);
    return c;
  };
  struct Probe {
    double x, y;
    BYTE r, g, b;
    const char* what;
  } probes[] = {
      {150, 125, 255, 0, 0, "inside the red rectangle"},
      {305, 150, 255, 0, 0, "the red end of the gradient"},
      {495, 150, 0, 0, 255, "the blue end of the gradient"},
      {250, 125, 255, 255, 255, "paper between them"},
      {600, 20, 255, 255, 255, "paper near the corner"},
  };
  for (const Probe& p : probes) {
    const Gdiplus::Color c = at(p.x, p.y);
    EXPECT_NEAR(c.GetR(), p.r, 40) << p.what;
    EXPECT_NEAR(c.GetG(), p.g, 40) << p.what;
    EXPECT_NEAR(c.GetB(), p.b, 40) << p.what;
  }
  // Outside the page the desk stays as it was.
  Gdiplus::Color desk;
  canvas.GetPixel(5, 5, &desk);
  EXPECT_EQ(desk.GetR(), 0x80);
  canvas.GetPixel(870, 600, &desk);
  EXPECT_EQ(desk.GetR(), 0x80);
}

}  // namespace
