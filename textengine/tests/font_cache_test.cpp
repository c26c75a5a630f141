// The glyph cache: sharing and lifetime of glyphs, keys, metrics of system and embedded fonts,
// failed glyphs, the character geometry and the placement matrix, and use from several threads.
#include <gtest/gtest.h>

#include <gdi/wingdi.h>

#include <atomic>
#include <memory>
#include <string_view>
#include <thread>
#include <vector>

#include "GlyphTestFonts.h"
#include "glyphweave/AccessTextsOutline.h"
#include "glyphweave/CharacterGlyphRes.h"
#include "glyphweave/CharacterItem.h"
#include "glyphweave/EmbedFontRes.h"
#include "glyphweave/FontCacheManager.h"

using Gdiplus::Matrix;
using Gdiplus::PointF;
using namespace GlyphweaveLib;
using namespace gwglyph;

namespace {

class ScreenDC {
 public:
  ScreenDC() : dc(GetDC(nullptr)) {}
  ~ScreenDC() { ReleaseDC(nullptr, dc); }
  HDC dc;
};

CCharacterItem Item(char16_t ch, float size = 12.0f) {
  CCharacterItem item;
  item.SetCharacter(ch);
  item.SetFontPointSize(size);
  return item;
}

const _CharsFontDesc kArial(L"Arial", ANSI_CHARSET, 0, -1);

class FontCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CFFTypeFontEngine::FFTypeInitialize()); }
  ScreenDC screen;
  CFontCacheManager cache;
};

}  // namespace

TEST_F(FontCacheTest, ItemsShareOneGlyphThatOutlivesAReset) {
  CCharacterItem a = Item('A'), b = Item('A');
  ASSERT_TRUE(a.BuildGlyph(screen.dc, kArial, nullptr, &cache));
  ASSERT_TRUE(b.BuildGlyph(screen.dc, kArial, nullptr, &cache));
  CCharacterGlyphRes* glyph = a.GetCharGlyphPath();
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(b.GetCharGlyphPath(), glyph);
  EXPECT_EQ(glyph->GetRefCount(), 3);  // the map and two items
  CCharacterGlyphsMap* map = cache.Lookup(kArial);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->Lookup(L'A'), glyph);
  EXPECT_EQ(glyph->GetOwnerGlyphsMap(), map);
  EXPECT_EQ(glyph->GetGlyphPathDataPointer()->GetFillMode(), Gdiplus::FillModeWinding);
  EXPECT_FALSE(a.IsEmptyGlyphPath());
  EXPECT_EQ(cache.GetCount(), 1);

  const float ascent = a.GetCharAscent(), descent = a.GetCharDescent();
  EXPECT_NEAR(ascent, map->GetCharsAscent() * 12.0f / 1024.0f, 1e-4f);

  // The cache lets go; the items' glyph stays, forgets its map and keeps its metrics.
  cache.Reset();
  EXPECT_EQ(cache.Lookup(kArial), nullptr);
  EXPECT_EQ(glyph->GetRefCount(), 2);
  EXPECT_EQ(glyph->GetOwnerGlyphsMap(), nullptr);
  EXPECT_EQ(a.GetCharAscent(), ascent);
  EXPECT_EQ(b.GetCharDescent(), descent);

  // Rebuilt after the reset: a new glyph in a new map; the last holder of the old one frees it.
  ASSERT_TRUE(a.BuildGlyph(screen.dc, kArial, nullptr, &cache));
  EXPECT_NE(a.GetCharGlyphPath(), glyph);
  EXPECT_EQ(glyph->GetRefCount(), 1);
  b.SetCharGlyphRes(nullptr);  // deleted here (the leak checker of the sanitizer build sees it)
  EXPECT_EQ(a.GetCharGlyphPath()->GetRefCount(), 2);
}

TEST_F(FontCacheTest, KeysAndOrderedCharacters) {
  for (char16_t c : std::u16string_view(u"cab")) {
    CCharacterItem item = Item(c);
    ASSERT_TRUE(item.BuildGlyph(screen.dc, kArial, nullptr, &cache));
  }
  const CCharacterGlyphsMap* map = cache.Lookup(L"Arial", ANSI_CHARSET, 0, -1);
  ASSERT_NE(map, nullptr);
  EXPECT_EQ(map->GetCharacterKeys(), (std::vector<wchar_t>{L'a', L'b', L'c'}));
  EXPECT_EQ(cache.Lookup(L"Arial", DEFAULT_CHARSET, 0, -1), nullptr);
  EXPECT_EQ(cache.Lookup(L"Arial", ANSI_CHARSET, FF_SWISS, -1), nullptr);
  EXPECT_EQ(cache.Lookup(L"Arial", ANSI_CHARSET, 0, -7), map);  // all negative ids are system fonts
}

TEST_F(FontCacheTest, MetricsOfSystemAndEmbeddedFonts) {
  // System font: the GDI text metrics of the reference-size font.
  CFontAccessEngine gdi;
  ASSERT_TRUE(gdi.SetAccessFont(screen.dc, kArial));
  CCharacterGlyphsMap arial(kArial, nullptr);
  EXPECT_EQ(arial.GetCharsAscent(), gdi.GetFontAscent());
  EXPECT_EQ(arial.GetCharsDescent(), gdi.GetFontDescent());
  EXPECT_EQ(arial.GetCharsExternalLeading(), gdi.GetFontExternalLeading());
  EXPECT_GT(arial.GetCharsAscent(), 0.0f);

  CEmbedFontResManager fonts;
  fonts.AddEmbedFontResouce(MakeProgramResource(1, ReadFile(FontFileOf(L"Arial", ANSI_CHARSET))));
  fonts.AddEmbedFontResouce(MakeProgramResource(2, MakeBareCff()));
  fonts.AddEmbedFontResouce(MakeProgramResource(3, {1, 2, 3}));             // no font
  fonts.AddEmbedFontResouce(MakeProgramResource(4, MakeBareCff(), 0, 3));  // served by GDI

  // Liberation Sans: units 2048, ascender 1854, descender -434, max advance height 2355.
  CCharacterGlyphsMap sans(_CharsFontDesc(L"X", 0, 0, 1), &fonts);
  EXPECT_FLOAT_EQ(sans.GetCharsAscent(), 1854 * kEm / 2048);
  EXPECT_FLOAT_EQ(sans.GetCharsDescent(), 434 * kEm / 2048);
  EXPECT_FLOAT_EQ(sans.GetCharsExternalLeading(), 67 * kEm / 2048);

  // The CFF font has no descender: the glyph map takes 0.8 em.
  CCharacterGlyphsMap cff(_CharsFontDesc(L"X", 0, 0, 2), &fonts);
  EXPECT_FLOAT_EQ(cff.GetCharsAscent(), 800 * kEm / 1000);
  EXPECT_FLOAT_EQ(cff.GetCharsDescent(), kEm * CCharacterGlyphsMap::kDescentFallback);

  CCharacterGlyphsMap broken(_CharsFontDesc(L"X", 0, 0, 3), &fonts);
  EXPECT_EQ(broken.GetCharsAscent(), 0.0f);
  EXPECT_EQ(broken.GetCharsDescent(), 0.0f);

  // Fonts whose glyphs come from GDI by face name get GDI's metrics.
  for (int id : {4, 77}) {
    CCharacterGlyphsMap byFace(_CharsFontDesc(L"Arial", ANSI_CHARSET, 0, id), &fonts);
    EXPECT_EQ(byFace.GetCharsAscent(), arial.GetCharsAscent()) << id;
  }
}

// A character the font cannot draw is found out once: the miss is kept in the font's map (no
// glyph stored, the item keeps what it held) and answered from there until the cache is reset.
// All glyphs of an embedded font come from the one face its map opened.
TEST_F(FontCacheTest, FailedGlyphIsRememberedUntilTheCacheIsReset) {
  CEmbedFontResManager fonts;
  fonts.AddEmbedFontResouce(MakeProgramResource(5, MakeBareCff()));
  const _CharsFontDesc font(L"X", 0, 0, 5);
  CCharacterItem item = Item('A');
  ASSERT_TRUE(item.BuildGlyph(screen.dc, font, &fonts, &cache));
  CCharacterGlyphRes* a = item.GetCharGlyphPath();
  CCharacterGlyphsMap* map = cache.Lookup(font);
  ASSERT_NE(map, nullptr);
  ASSERT_NE(map->GetFontEngine(), nullptr);
  const FT_Face face = map->GetFontEngine()->GetFace();
  ASSERT_NE(face, nullptr);
  for (int round = 0; round < 3; ++round) {
    item.SetCharacter('H');  // not in the CFF font
    EXPECT_FALSE(item.BuildGlyph(screen.dc, font, &fonts, &cache)) << round;
    EXPECT_EQ(item.GetCharGlyphPath(), a) << round;  // keeps what it held
    EXPECT_EQ(map->Lookup(L'H'), nullptr) << round;
    EXPECT_TRUE(map->IsMiss(L'H')) << round;
    EXPECT_EQ(map->GetMissCount(), 1) << round;
    EXPECT_EQ(map->GetCount(), 1) << round;
  }
  item.SetCharacter('B');
  ASSERT_TRUE(item.BuildGlyph(screen.dc, font, &fonts, &cache));
  EXPECT_EQ(map->GetFontEngine()->GetFace(), face) << "one face for every glyph of the font";
  EXPECT_FALSE(map->IsMiss(L'B'));

  // A system font keeps its misses too (GDI draws no glyph by id).
  EXPECT_EQ(CCharacterItem::MakeGlyph(screen.dc, kArial, nullptr, &cache, kGlyphIdKey + 3), nullptr);
  EXPECT_TRUE(cache.Lookup(kArial)->IsMiss(static_cast<wchar_t>(kGlyphIdKey + 3)));

  // New fonts empty the cache first (as the document does): the misses go with it, and the font
  // under that id is asked afresh.
  cache.Reset();
  fonts.ClearAll();
  fonts.AddEmbedFontResouce(MakeProgramResource(5, FontFile2Of(lwtest::MakeCairoPdf())));
  item.SetCharacter('H');  // the TrueType subset of the new program has an H
  ASSERT_TRUE(item.BuildGlyph(screen.dc, font, &fonts, &cache));
  EXPECT_EQ(cache.Lookup(font)->Lookup(L'H'), item.GetCharGlyphPath());
  EXPECT_EQ(cache.Lookup(font)->GetMissCount(), 0);

  CCharacterItem none = Item('A');
  EXPECT_FALSE(none.BuildGlyph(screen.dc, font, &fonts, nullptr));
}

TEST_F(FontCacheTest, BreaksAndSpacesHaveAdvancesButNoOutline) {
  CEmbedFontResManager fonts;
  fonts.AddEmbedFontResouce(MakeProgramResource(6, MakeBareCff()));
  for (const _CharsFontDesc& font : {kArial, _CharsFontDesc(L"X", 0, 0, 6)}) {
    CCharacterItem space = Item(' '), cr = Item(13);
    ASSERT_TRUE(space.BuildGlyph(screen.dc, font, &fonts, &cache));
    ASSERT_TRUE(cr.BuildGlyph(screen.dc, font, &fonts, &cache));
    EXPECT_TRUE(cr.IsEmptyGlyphPath());
    EXPECT_GT(cr.GetIncreaseDeltaX(), 0.0f);
    EXPECT_EQ(cr.GetIncreaseDeltaX(), space.GetIncreaseDeltaX());
    // An empty paragraph keeps the height of its font.
    EXPECT_GT(cr.GetCharTotalHeight(), 0.0f);
  }
  EXPECT_TRUE(Item('A').IsEmptyGlyphPath());
}

namespace {
// An item whose glyph carries the metrics A, D, L (no outline).
CCharacterItem WithMetrics(float a, float d, float l, float size, int script) {
  CCharacterItem item = Item('x', size);
  item.SetShowAsScriptFlag(script);
  auto* glyph = new CCharacterGlyphRes();
  glyph->SetFontMetrics(a, d, l);
  glyph->SetReferIncx(512.0f);
  glyph->SetReferIncy(0.0f);
  item.SetCharGlyphRes(glyph);
  return item;
}
}  // namespace

TEST(CharacterGeometry, ScriptShiftsAndHeights) {
  struct Case {
    int script;
    float shift, ascent, descent, leading;
  };
  // 12 pt, A 900, D 300, L 60: A k = 10.546875, D k = 3.515625, L k = 0.703125.
  const Case cases[] = {
      {0, 0.0f, 10.546875f, 3.515625f, 0.703125f},
      {2, -4.6875f, 11.71875f, 3.515625f * 0.6666667f - 4.6875f, 0.46875f},
      {1, 2.34375f, 10.546875f * 0.6666667f - 2.34375f, 3.515625f * 0.6666667f + 2.34375f, 0.46875f},
  };
  for (const Case& c : cases) {
    const CCharacterItem item = WithMetrics(900, 300, 60, 12, c.script);
    EXPECT_FLOAT_EQ(item.GetTotalLineShift(), c.shift) << c.script;
    EXPECT_FLOAT_EQ(item.GetSuperScriptLineShift(), c.script == 2 ? c.shift : 0.0f);
    EXPECT_FLOAT_EQ(item.GetSubScriptLineShift(), c.script == 1 ? c.shift : 0.0f);
    EXPECT_FLOAT_EQ(item.GetActualAscent(), 10.546875f);
    EXPECT_FLOAT_EQ(item.GetCharAscent(), c.ascent) << c.script;
    EXPECT_FLOAT_EQ(item.GetCharDescent(), c.descent) << c.script;
    EXPECT_FLOAT_EQ(item.GetCharTotalHeight(), c.ascent + c.descent) << c.script;
    EXPECT_FLOAT_EQ(item.GetCharExternalLeading(), c.leading) << c.script;
    EXPECT_FLOAT_EQ(item.GetIncreaseDeltaX(), c.script ? 4.0f : 6.0f);
  }
  // Without a glyph, or with a glyph that carries no metrics, the metrics are 0; spacing counts.
  CCharacterItem bare = Item('x');
  bare.SetCharSpacing(3.0f);
  bare.SetBaselineShift(5.0f);
  EXPECT_EQ(bare.GetCharAscent(), 0.0f);
  EXPECT_EQ(bare.GetTotalLineShift(), 0.0f);
  EXPECT_EQ(bare.GetIncreaseDeltaX(), 3.0f);
  EXPECT_EQ(bare.GetIncreaseDeltaY(), 0.0f);
  bare.SetShowAsScriptFlag(1);
  EXPECT_EQ(bare.GetIncreaseDeltaX(), 2.0f);
  bare.SetCharGlyphRes(new CCharacterGlyphRes());
  EXPECT_EQ(bare.GetCharDescent(), 0.0f);
}

TEST(CharacterGeometry, PlacementMatrix) {
  struct Case {
    const char* name;
    float size, xScale, skew, baseline;
    int script;
    PointF in, out;
  };
  const Case cases[] = {
      {"shear", 1024, 1, kItalicSkew, 0, 0, {0, -100}, {10 + 36.397f, -80}},
      {"skew under the threshold", 1024, 1, 0.00004f, 0, 0, {0, -100}, {10, -80}},
      // k = 12/1024: (1024,-1024) -> (24,-12) -> baseline (24,-11) -> 2/3 (16,-7.333333)
      // -> subscript h / 6 with h = 5.6875 + 10.546875 -> offset.
      {"subscript", 12, 2, 0, 1, 1, {1024, -1024}, {21, 20 - 7.3333333f + 16.234375f / 6}},
      {"superscript", 12, 2, 0, 1, 2, {1024, -1024}, {21, 20 - 7.3333333f - (3.515625f * 0.6666667f + 1 - 4.6875f + 10.546875f) / 3}},
  };
  for (const Case& c : cases) {
    CCharacterItem item = WithMetrics(900, 300, 0, c.size, c.script);
    item.SetCharXScale(c.xScale);
    item.SetItalicSkew(c.skew);
    item.SetBaselineShift(c.baseline);
    item.SetCharOffset(Vectorloom::CQorVectorPoint<float>(10, 20));
    if (c.script) item.SetCharOffset(Vectorloom::CQorVectorPoint<float>(5, 20));
    Matrix m(9, 9, 9, 9, 9, 9);
    item.GetGdiplusTransMatrix(m);
    PointF p = c.in;
    m.TransformPoints(&p, 1);
    EXPECT_NEAR(p.X, c.out.X, 1e-3f) << c.name;
    EXPECT_NEAR(p.Y, c.out.Y, 1e-3f) << c.name;
  }
}

TEST_F(FontCacheTest, ThreadsShareTheCache) {
  CEmbedFontResManager fonts;
  fonts.AddEmbedFontResouce(MakeProgramResource(7, MakeBareCff()));
  const _CharsFontDesc faces[] = {kArial, _CharsFontDesc(L"Times New Roman", ANSI_CHARSET, 0, -1),
                                  _CharsFontDesc(L"X", 0, 0, 7)};
  const std::u16string text = u"AB ab\r";
  std::atomic<int> built{0};
  auto worker = [&](int seed) {
    ScreenDC dc;
    for (int round = 0; round < 40; ++round) {
      std::vector<CCharacterItem> items;
      for (char16_t c : text) {
        CCharacterItem item = Item(c);
        if (item.BuildGlyph(dc.dc, faces[(round + seed) % 3], &fonts, &cache)) ++built;
        items.push_back(item);  // copies share the glyph
      }
      for (const CCharacterItem& item : items) (void)item.GetCharTotalHeight();
      if (seed == 0 && round % 10 == 9) cache.Reset();
    }
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) threads.emplace_back(worker, t);
  for (std::thread& t : threads) t.join();
  EXPECT_GT(built.load(), 0);
  // Every glyph of every font is in the cache at most once.
  for (const _CharsFontDesc& face : faces) {
    const CCharacterGlyphsMap* map = cache.Lookup(face);
    if (!map) continue;
    for (wchar_t c : map->GetCharacterKeys()) EXPECT_EQ(map->Lookup(c)->GetRefCount(), 1);
  }
}
