// Blocks, composition, frames and resizing.
#include <gtest/gtest.h>

#include <vector>

#include "BitmapCreator.h"
#include "BitmapCreatorTesting.h"
#include "ImageTestUtil.h"
#include "QorPixelRoutines.h"

using namespace QorPixelmill;
using pixeltest::Argb;
using pixeltest::MakeImage;
using pixeltest::Pixels;
using P = std::vector<DWORD>;

namespace {

CQorObjImage Numbers3x3(int bits) { return MakeImage(bits, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}); }

TEST(QorBlocks, CoverBlockPlacement) {
  struct Case {
    const char* name;
    int x, y, w, h;  // w, h < 0: the three-argument form
    bool result;
    P pixels;        // the 3 x 3 target (all 0 before) afterwards
  };
  const Case cases[] = {
      {"at (-1, -1)", -1, -1, -1, -1, true, {5, 6, 0, 8, 9, 0, 0, 0, 0}},
      {"at (2, 1)", 2, 1, -1, -1, true, {0, 0, 0, 0, 0, 1, 0, 0, 4}},
      {"fully outside", 3, 0, -1, -1, false, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"far outside", -0x7FFFFFFF, 0x7FFFFFFF, -1, -1, false, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"first 2 x 1 pixels", 0, 1, 2, 1, true, {0, 0, 0, 1, 2, 0, 0, 0, 0}},
      {"limits above the source", 0, 0, 9, 9, true, {1, 2, 3, 4, 5, 6, 7, 8, 9}},
      {"empty limit", 0, 0, 0, 3, false, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (int bits : {8, 24, 32}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << c.name << " at " << bits << " bits");
      CQorObjImage target(3, 3, bits);
      const CQorObjImage src = Numbers3x3(bits);
      const bool r = c.w < 0 ? target.CoverBlock(src, c.x, c.y) : target.CoverBlock(src, c.x, c.y, c.w, c.h);
      EXPECT_EQ(r, c.result);
      EXPECT_EQ(Pixels(target), c.pixels);
    }
  }
  CQorObjImage rgb(3, 3, 24);
  EXPECT_FALSE(rgb.CoverBlock(Numbers3x3(32), 0, 0)) << "depths differ";
  CQorObjImage mono(8, 1, 1);
  EXPECT_FALSE(mono.CoverBlock(MakeImage(1, {{1}}), 0, 0)) << "below 8 bits";
}

TEST(QorBlocks, CoverBlockOntoItself) {
  struct Case {
    int x, y;
    P pixels;
  };
  const Case cases[] = {
      {1, 1, {1, 2, 3, 4, 1, 2, 7, 4, 5}},
      {-1, -1, {5, 6, 3, 8, 9, 6, 7, 8, 9}},
      {1, 0, {1, 1, 2, 4, 4, 5, 7, 7, 8}},
      {0, 2, {1, 2, 3, 4, 5, 6, 1, 2, 3}},
  };
  for (const Case& c : cases) {
    CQorObjImage img = Numbers3x3(24);
    EXPECT_TRUE(img.CoverBlock(img, c.x, c.y));
    EXPECT_EQ(Pixels(img), c.pixels) << c.x << "," << c.y;
    // The same through a second image attached to the same block.
    CQorObjImage block = Numbers3x3(24);
    CQorObjImage alias;
    BITMAPINFOHEADER* raw = block.Detch();
    alias.Attach(raw);
    CQorObjImage other(alias);
    EXPECT_TRUE(alias.CoverBlock(other, c.x, c.y));
    EXPECT_EQ(Pixels(alias), c.pixels);
    alias.Destroy();
    other.Destroy();
    delete[] raw;
  }
}

TEST(QorBlocks, CoverBlockOntoAnAttachedSheet) {
  BITMAPINFOHEADER* sheet = CBitmapCreator::CreateDibImage(4, 3, 24, 0);
  CQorObjImage img;
  img.Attach(sheet);
  EXPECT_TRUE(img.CoverBlock(MakeImage(24, {{0xAAAAAA, 0xBBBBBB}}), 1, 2));
  EXPECT_EQ(img.Detch(), sheet);
  const BYTE* bottomRow = reinterpret_cast<const BYTE*>(sheet) + 40;  // picture row 2, first in memory
  EXPECT_EQ(bottomRow[3], 0xAA);
  EXPECT_EQ(bottomRow[6], 0xBB);
  EXPECT_EQ(bottomRow[9], 0);
  delete[] sheet;
}

TEST(QorBlocks, GetSubBlock) {
  CQorObjImage pal;
  ASSERT_TRUE(pal.Create(3, 3, 8, 16));
  const RGBQUAD entry{1, 2, 3, 0};
  pal.SetColorTable(5, 1, &entry);
  pal.SetPixelData(2, 2, 5);
  CQorObjImage out;
  EXPECT_TRUE(pal.GetSubBlock(&out, RECT{1, 1, 10, 10}));
  EXPECT_EQ(out.Width(), 2);
  EXPECT_EQ(out.Height(), 2);
  EXPECT_EQ(out.GetPaletteEntryCount(), 16);
  EXPECT_EQ(Pixels(out), (P{0, 0, 0, 5}));
  RGBQUAD copied{};
  out.GetColorTable(5, 1, &copied);
  EXPECT_EQ(copied.rgbRed, 3);

  const CQorObjImage nums = Numbers3x3(32);
  EXPECT_TRUE(nums.GetSubBlock(&out, RECT{0, 1, 2, 2}));
  EXPECT_EQ(Pixels(out), (P{4, 5}));
  EXPECT_FALSE(nums.GetSubBlock(&out, RECT{3, 0, 5, 2})) << "outside";
  EXPECT_FALSE(nums.GetSubBlock(nullptr, RECT{0, 0, 1, 1}));
  CQorObjImage self = Numbers3x3(24);
  EXPECT_FALSE(self.GetSubBlock(&self, RECT{0, 0, 1, 1}));
  EXPECT_FALSE(MakeImage(4, {{1}}).GetSubBlock(&out, RECT{0, 0, 1, 1}));
}

TEST(QorBlocks, TileBlock) {
  struct Case {
    int x, y;
    P pixels;
  };
  const CQorObjImage tile = MakeImage(8, {{1, 2}});
  const Case cases[] = {
      {0, 0, {1, 2, 1, 1, 2, 1}},
      {1, 1, {0, 0, 0, 0, 1, 2}},
      {-1, 0, {2, 1, 2, 2, 1, 2}},
      {-0x7FFFFFFF, -0x7FFFFFFF, {2, 1, 2, 2, 1, 2}},  // starts at the first tile that meets the image
  };
  for (const Case& c : cases) {
    CQorObjImage img(3, 2, 8);
    img.TileBlock(tile, c.x, c.y);
    EXPECT_EQ(Pixels(img), c.pixels) << c.x << "," << c.y;
  }
}

TEST(QorBlocks, CombineImage) {
  struct Case {
    int percent;
    DWORD result;
  };
  // Source 50% opaque blue over opaque red.
  const Case cases[] = {
      // sA = 128 x 50 / 100 = 64: d = 65025, red (191 x 255 x 255) / 65025 = 191, blue 64
      {50, Argb(255, 191, 0, 64)},
      {100, Argb(255, 127, 0, 128)},
      {150, Argb(255, 127, 0, 128)},
      {0, Argb(255, 255, 0, 0)},
      {-20, Argb(255, 255, 0, 0)},
  };
  for (const Case& c : cases) {
    CQorObjImage dst = MakeImage(32, {{Argb(255, 255, 0, 0), Argb(0, 0, 0, 0)}});
    const CQorObjImage src = MakeImage(32, {{Argb(128, 0, 0, 255)}});
    EXPECT_TRUE(dst.CombineImage(src, 0, 0, c.percent));
    EXPECT_EQ(Pixels(dst), (P{c.result, 0})) << c.percent;
  }
  CQorObjImage dst = MakeImage(32, {{0}});
  EXPECT_FALSE(dst.CombineImage(MakeImage(24, {{0}}), 0, 0, 100));
  EXPECT_FALSE(dst.CombineImage(MakeImage(32, {{0}}), 1, 0, 100));
}

TEST(QorBlocks, AlphaBlend) {
  const DWORD W = Argb(255, 255, 255, 255);
  // Source: white at full alpha, and at alpha 0.
  const CQorObjImage src = MakeImage(32, {{W, Argb(0, 255, 255, 255)}});
  struct Case {
    const char* name;
    RECT dst, srcRect;
    int percent;
    bool result;
    P pixels;  // 4 x 1 black 24-bit target afterwards
  };
  const Case cases[] = {
      {"one to one", {1, 0, 3, 1}, {0, 0, 2, 1}, 100, true, {0, 0xFFFFFF, 0, 0}},
      {"scaled up", {0, 0, 4, 1}, {0, 0, 2, 1}, 100, true, {0xFFFFFF, 0xFFFFFF, 0, 0}},
      {"half strength", {0, 0, 1, 1}, {0, 0, 1, 1}, 50, true, {0x7F7F7F, 0, 0, 0}},
      // mapped through the whole rectangle, visited only inside the image
      {"clipped", {-2, 0, 2, 1}, {0, 0, 2, 1}, 100, true, {0, 0, 0, 0}},
      {"clipped left half", {-1, 0, 3, 1}, {0, 0, 2, 1}, 100, true, {0xFFFFFF, 0, 0, 0}},
      {"empty source", {0, 0, 4, 1}, {2, 0, 2, 1}, 100, false, {0, 0, 0, 0}},
      {"source outside", {0, 0, 4, 1}, {0, 0, 3, 1}, 100, false, {0, 0, 0, 0}},
      {"negative source", {0, 0, 4, 1}, {-1, 0, 1, 1}, 100, false, {0, 0, 0, 0}},
      {"destination outside", {4, 0, 6, 1}, {0, 0, 2, 1}, 100, false, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CQorObjImage dst(4, 1, 24);
    EXPECT_EQ(dst.AlphaBlend(src, c.dst, c.srcRect, c.percent), c.result);
    EXPECT_EQ(Pixels(dst), c.pixels);
  }
  CQorObjImage alphaKept = MakeImage(32, {{Argb(9, 0, 0, 0)}});
  EXPECT_TRUE(alphaKept.AlphaBlend(src, RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, 100));
  EXPECT_EQ(Pixels(alphaKept), (P{Argb(9, 255, 255, 255)})) << "the destination's alpha is not changed";
  CQorObjImage rgb(1, 1, 24);
  EXPECT_FALSE(rgb.AlphaBlend(MakeImage(24, {{1}}), RECT{0, 0, 1, 1}, RECT{0, 0, 1, 1}, 100));
}

TEST(QorBlocks, LogicalBlend) {
  struct Case {
    int op;
    BYTE result;
  };
  // destination first byte 0x0F, source first byte 0xFF / 0x3C
  const Case full[] = {{0, 0x0F}, {1, 0xFF}, {2, 0xF0}, {12, 0xFF}, {13, 0x00}, {7, 0x0F}};
  for (const Case& c : full) {
    CQorObjImage dst = MakeImage(32, {{0x0A0B0C0F}});
    EXPECT_TRUE(dst.LogicalBlend(MakeImage(32, {{0x112233FF}}), static_cast<LOGICAL_OP>(c.op), 0, 0));
    EXPECT_EQ(Pixels(dst), (P{0x0A0B0C00u | c.result})) << c.op << ": only the first byte changes";
  }
  const Case partial[] = {{0, 0x0C}, {1, 0x3F}, {2, 0x33}, {12, 0x0F}, {13, 0x0F}};
  for (const Case& c : partial) {
    CQorObjImage dst = MakeImage(8, {{0x0F}});
    EXPECT_TRUE(dst.LogicalBlend(MakeImage(8, {{0x3C}}), static_cast<LOGICAL_OP>(c.op), 0, 0));
    EXPECT_EQ(Pixels(dst), (P{c.result})) << c.op;
  }
  CQorObjImage img = MakeImage(8, {{1}});
  EXPECT_FALSE(img.LogicalBlend(img, LOGICAL_OR, 0, 0));
  EXPECT_FALSE(img.LogicalBlend(MakeImage(24, {{1}}), LOGICAL_OR, 0, 0));
}

TEST(QorFrames, ExpandFrame) {
  struct Case {
    bool replicate;
    int l, t, r, b;
    int w, h;
    P pixels;
  };
  const Case cases[] = {
      {true, 2, 1, 0, 0, 4, 3, {1, 1, 1, 2, 1, 1, 1, 2, 3, 3, 3, 4}},
      {false, 2, 1, 0, 0, 4, 3, {0, 0, 0, 0, 0, 0, 1, 2, 0, 0, 3, 4}},
      {true, 1, 1, 1, 1, 4, 4, {1, 1, 2, 2, 1, 1, 2, 2, 3, 3, 4, 4, 3, 3, 4, 4}},
      {true, 0, 0, 1, 0, 3, 2, {1, 2, 2, 3, 4, 4}},
      {true, 0, 0, 0, 0, 2, 2, {1, 2, 3, 4}},   // nothing to add
      {true, -1, 0, 1, 0, 2, 2, {1, 2, 3, 4}},  // refused
  };
  for (const Case& c : cases) {
    CQorObjImage img = MakeImage(24, {{1, 2}, {3, 4}});
    img.ExpandFrame(c.replicate, c.l, c.t, c.r, c.b);
    EXPECT_EQ(img.Width(), c.w);
    EXPECT_EQ(img.Height(), c.h);
    EXPECT_EQ(Pixels(img), c.pixels) << c.l << c.t << c.r << c.b;
  }
}

TEST(QorFrames, ExpandFrameKeepsThePaletteAndThePictureOnFailure) {
  CQorObjImage pal;
  ASSERT_TRUE(pal.Create(1, 1, 8, 2));
  const RGBQUAD t[2] = {{0, 0, 0, 0}, {9, 8, 7, 0}};
  pal.SetColorTable(0, 2, t);
  pal.SetPixelData(0, 0, 1);
  pal.ExpandFrame(true, 1, 0, 0, 0);
  RGBQUAD e{};
  pal.GetColorTable(1, 1, &e);
  EXPECT_EQ(pal.GetPaletteEntryCount(), 2);
  EXPECT_EQ(e.rgbBlue, 9);
  EXPECT_EQ(Pixels(pal), (P{1, 1}));

  CQorObjImage img = MakeImage(24, {{1}});
  PixelmillFailNextAllocations(2);
  img.ExpandFrame(true, 1, 1, 1, 1);
  img.Stretch(5, 5);
  PixelmillFailNextAllocations(0);
  EXPECT_EQ(img.Width(), 1);
  img.ExpandFrame(true, 0x7FFFFFFF, 0, 0x7FFFFFFF, 0);
  EXPECT_EQ(img.Width(), 1) << "a size beyond any block";
}

TEST(QorFrames, Stretch) {
  struct Case {
    int w, h;
    P pixels;
  };
  const Case cases[] = {
      {4, 1, {1, 1, 2, 2}},
      {1, 1, {1}},
      {3, 2, {1, 1, 2, 1, 1, 2}},
      {2, 1, {1, 2}},   // unchanged
      {0, 1, {1, 2}},   // refused
  };
  for (const Case& c : cases) {
    CQorObjImage img = MakeImage(16, {{1, 2}});
    img.Stretch(c.w, c.h);
    EXPECT_EQ(Pixels(img), c.pixels) << c.w << "x" << c.h;
  }
  CQorObjImage pal;
  ASSERT_TRUE(pal.Create(1, 1, 8, 3));
  const RGBQUAD t{5, 6, 7, 0};
  pal.SetColorTable(2, 1, &t);
  pal.Stretch(2, 2);
  RGBQUAD e{};
  pal.GetColorTable(2, 1, &e);
  EXPECT_EQ(e.rgbRed, 7) << "the colour table goes along";
  EXPECT_EQ(pal.GetPaletteEntryCount(), 3);
}

TEST(QorFrames, StretchSmooth) {
  struct Case {
    const char* name;
    int bits;
    std::initializer_list<std::initializer_list<DWORD>> rows;
    int w, h;
    int result;
    P pixels;
  };
  const DWORD c = 0x123456;
  const Case cases[] = {
      {"1 x 1 to 3 x 3", 24, {{c}}, 3, 3, 1, P(9, c)},
      {"2 x 1 to 4 x 1", 24, {{0, 0xC8C8C8}}, 4, 1, 1, {0, 0x646464, 0x969696, 0x969696}},  // the last column fix repeats 0.75
      {"unchanged", 24, {{0, 1}}, 2, 1, 1, {0, 1}},
      {"32-bit weighted by alpha", 32, {{Argb(0, 0, 0, 0), Argb(200, 0, 0, 200)}}, 4, 1, 1,
       {Argb(0, 0, 0, 0), Argb(100, 0, 0, 200), Argb(150, 0, 0, 200), Argb(150, 0, 0, 200)}},
      {"refused depth", 16, {{1, 2}}, 4, 1, 0, {1, 2}},
      {"refused size", 24, {{1, 2}}, 0, 1, 0, {1, 2}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    CQorObjImage img = MakeImage(k.bits, k.rows);
    EXPECT_EQ(img.Stretch_Smooth(k.w, k.h, nullptr), k.result);
    EXPECT_EQ(Pixels(img), k.pixels);
  }
}

struct CancelAt : CQorCommonProgress {
  std::vector<float> reports;
  size_t at;
  explicit CancelAt(size_t n) : at(n) {}
  float SetProgress(float f) override {
    reports.push_back(f);
    if (reports.size() == at) m_bInterrupted = true;
    return f;
  }
};

TEST(QorFrames, StretchSmoothProgressAndCancel) {
  CQorObjImage img = MakeImage(24, {{0x10, 0x20}, {0x30, 0x40}});
  CancelAt never(0);
  EXPECT_EQ(img.Stretch_Smooth(2, 3, &never), 1);
  EXPECT_EQ(never.reports, (std::vector<float>{static_cast<float>(33 / 100.0), static_cast<float>(66 / 100.0), 1.0f}));

  CQorObjImage cut = MakeImage(24, {{0x10, 0x20}, {0x30, 0x40}});
  CancelAt first(1);
  EXPECT_EQ(cut.Stretch_Smooth(2, 3, &first), 0);
  EXPECT_EQ(cut.Height(), 3) << "a cancelled resize keeps the new size";
  // the last column samples halfway between its neighbours: (0x10 + 0x20) / 2
  EXPECT_EQ(Pixels(cut), (P{0x10, 0x18, 0, 0, 0, 0}));
}

TEST(QorFrames, LargeCoordinatesDoNotOverflow) {
  // old width x new x passes 2^31 here: 46341 x 46341 = 2147488281.
  const int w = 46341;
  for (bool smooth : {false, true}) {
    CQorObjImage img(w, 1, 24);
    img.SetPixelData(w - 1, 0, 0xFFFFFF);
    if (smooth) {
      EXPECT_EQ(img.Stretch_Smooth(w + 1, 1, nullptr), 1);
    } else {
      img.Stretch(w + 1, 1);
    }
    ASSERT_EQ(img.Width(), w + 1);
    EXPECT_EQ(img.GetPixelData(0, 0), 0u);
    // nearest: source 46340; smooth: the last-column rule blends 46339 and 46340 at 46341 / 46342
    EXPECT_EQ(img.GetPixelData(w, 0), smooth ? 0xFEFEFEu : 0xFFFFFFu);
    EXPECT_EQ(img.GetPixelData(w - 2, 0), 0u);
  }

  // (x - dst.left) x source width passes 2^31: every visible column maps to source pixel 2.
  CQorObjImage dst(4, 1, 24);
  const CQorObjImage src =
      MakeImage(32, {{Argb(255, 1, 1, 1), Argb(255, 2, 2, 2), Argb(255, 3, 3, 3), Argb(255, 4, 4, 4)}});
  EXPECT_TRUE(dst.AlphaBlend(src, RECT{-0x40000000, 0, 0x40000000, 1}, RECT{0, 0, 4, 1}, 100));
  EXPECT_EQ(Pixels(dst), P(4, 0x030303));
}

TEST(QorFrames, StretchSmoothOfAnAttachedBlockLeavesItAlone) {
  BITMAPINFOHEADER* caller = CBitmapCreator::CreateDibImage(1, 1, 24, 0);
  CQorObjImage img;
  img.Attach(caller);
  img.SetPixelData(0, 0, 0x0A0B0C);
  EXPECT_EQ(img.Stretch_Smooth(2, 2, nullptr), 1);
  EXPECT_EQ(Pixels(img), P(4, 0x0A0B0C));
  EXPECT_EQ(caller->biWidth, 1);
  img.Destroy();
  delete[] caller;
}

}  // namespace
