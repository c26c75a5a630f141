// Fonts built by hand (DefineFont2), font collections and static text (DefineText).
#include <gtest/gtest.h>

#include "swf/ming.h"
#include "swf_reader_support.h"
#include "swf_samples_support.h"

using namespace swftest;

namespace {

// A glyph of `edges` straight edges (a zig-zag box) of the given size, in em units.
SWFShape Glyph(int size, int edges = 4) {
  SWFShape g = newSWFGlyphShape();
  SWFShape_moveScaledPenTo(g, 0, 0);
  if (edges == 4) {
    SWFShape_drawScaledLineTo(g, 0, -size);
    SWFShape_drawScaledLineTo(g, size, -size);
    SWFShape_drawScaledLineTo(g, size, 0);
    SWFShape_drawScaledLineTo(g, 0, 0);
  } else {
    for (int i = 1; i <= edges; ++i) SWFShape_drawScaledLineTo(g, (i % 2) * size, -i * 3);
  }
  return g;
}

void AddGlyph(SWFFont f, unsigned short code, int size, int advance, int edges = 4) {
  SWFShape g = Glyph(size, edges);
  SWFFont_addGlyph(f, code, g, advance);
  destroySWFShape(g);
}

struct Decoded {
  Movie movie;
  std::vector<Font> fonts;
  std::vector<Text> texts;
};

Decoded Save(SWFText text) {
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovie_add(m, text);
  Decoded d;
  std::string error;
  EXPECT_TRUE(SaveAndParse(m, &d.movie, &error)) << error;
  destroySWFMovie(m);
  for (const Tag* t : FindTags(d.movie.tags, kDefineFont2)) {
    d.fonts.emplace_back();
    EXPECT_TRUE(ParseFont2(*t, &d.fonts.back(), &error)) << error;
  }
  for (const Tag& t : d.movie.tags) {
    if (t.code != kDefineText && t.code != kDefineText2) continue;
    d.texts.emplace_back();
    EXPECT_TRUE(ParseText(t, &d.texts.back(), &error)) << error;
  }
  return d;
}

}  // namespace

// Glyphs inserted in any order end up in ascending code order; a text's glyph indices are the
// ones of the finished font, even for glyphs added after the text.
TEST(SwfFont, CodeTableSortedAndIndicesResolvedAtSave) {
  SWFFont font = newSWFFont();
  SWFFont_setFlags(font, 132 | SWF_FONT_ISBOLD | SWF_FONT_ANSI | SWF_FONT_WIDEOFFSETS);
  SWFFont_setName(font, "Liberation Sans");
  SWFFont_setMetrics(font, 905, 212, 33);
  AddGlyph(font, 'C', 600, 700);
  EXPECT_EQ(SWFFont_findGlyph(font, 'C'), 0);

  SWFText text = newSWFText();
  SWFText_setFont(text, font);
  const unsigned short s[] = {'C', 'A', 'x', 'C'};  // 'x' never gets a glyph
  SWFText_addWideString(text, s, 4, nullptr);

  EXPECT_EQ(SWFFont_addGlyph(font, 'C', nullptr, 1), -1);
  AddGlyph(font, 'A', 500, 512);
  AddGlyph(font, 0x4E2D, 900, 1024);
  SWFShape notGlyph = newSWFShape();
  EXPECT_EQ(SWFFont_addGlyph(font, 'Z', notGlyph, 1), -1);
  destroySWFShape(notGlyph);
  EXPECT_EQ(SWFFont_getGlyphCount(font), 3);
  EXPECT_EQ(SWFFont_findGlyph(font, 'C'), 1);
  SWFFont_buildReverseMapping(font);

  Decoded d = Save(text);
  destroySWFText(text);
  destroySWFFont(font);
  ASSERT_EQ(d.fonts.size(), 1u);
  const Font& f = d.fonts[0];
  EXPECT_EQ(f.name, "Liberation Sans");
  EXPECT_EQ(f.flags, 0x80 | 0x04 | 0x01);  // layout, wide codes, bold; small: narrow offsets
  EXPECT_EQ(f.language, 0);
  EXPECT_EQ(f.codes, (std::vector<uint16_t>{'A', 'C', 0x4E2D}));
  EXPECT_EQ(f.advances, (std::vector<int16_t>{512, 700, 1024}));
  EXPECT_EQ(f.ascent, 905);
  EXPECT_EQ(f.descent, 212);
  EXPECT_EQ(f.leading, 33);
  EXPECT_EQ(f.kerningCount, 0);
  ASSERT_EQ(f.bounds.size(), 3u);
  EXPECT_EQ(f.bounds[0].xmax, 500);
  EXPECT_EQ(f.bounds[0].ymin, -500);
  EXPECT_EQ(f.bounds[0].ymax, 0);
  for (const auto& g : f.glyphs) {
    ASSERT_FALSE(g.empty());
    EXPECT_TRUE(g[0].hasFill0);  // a glyph's first record selects fill 0 = 1
    EXPECT_EQ(g[0].fill0, 1u);
    EXPECT_FALSE(g[0].hasFill1 || g[0].hasLine);
    EXPECT_EQ(g.back().x, 0);
  }

  ASSERT_EQ(d.texts.size(), 1u);
  const Text& t = d.texts[0];
  ASSERT_EQ(t.records.size(), 1u);
  std::vector<uint32_t> indices;
  for (auto [index, advance] : t.records[0].glyphs) indices.push_back(index);
  EXPECT_EQ(indices, (std::vector<uint32_t>{1, 0, 1}));  // 'x' left out
  EXPECT_EQ(t.records[0].fontId, f.id);
}

// 32-bit offsets only when the glyph table outgrows 16 bits, whatever the number of glyphs.
TEST(SwfFont, WideOffsetsFollowTheTableSize) {
  struct Case {
    int glyphs, edges;
    bool wide;
  } cases[] = {{300, 4, false}, {10, 4, false}, {300, 60, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.glyphs << " glyphs of " << c.edges << " edges");
    SWFFont font = newSWFFont();
    SWFText text = newSWFText();
    SWFText_setFont(text, font);
    std::vector<unsigned short> codes;
    for (int i = 0; i < c.glyphs; ++i) {
      AddGlyph(font, uint16_t(0x100 + i), 1000, 1000, c.edges);
      codes.push_back(uint16_t(0x100 + i));
    }
    SWFText_addWideString(text, codes.data(), int(codes.size()), nullptr);
    Decoded d = Save(text);
    destroySWFText(text);
    destroySWFFont(font);
    ASSERT_EQ(d.fonts.size(), 1u);  // the reader checks every offset against the glyphs
    EXPECT_EQ(bool(d.fonts[0].flags & 0x08), c.wide);
    EXPECT_EQ(d.fonts[0].glyphs.size(), size_t(c.glyphs));
  }
}

TEST(SwfText, RecordsStylesAdvancesAndBitCounts) {
  SWFFont a = newSWFFont(), b = newSWFFont();
  AddGlyph(a, 'H', 700, 600);
  AddGlyph(a, 'i', 300, 256);
  AddGlyph(b, 'H', 700, 1024);
  SWFFontCollection coll = newSWFFontCollection();
  SWFFontCollection_addFont(coll, a);
  SWFFontCollection_addFont(coll, b);
  EXPECT_EQ(SWFFontCollection_getFontCount(coll), 2);
  EXPECT_EQ(SWFFontCollection_getFont(coll, 1), b);
  EXPECT_EQ(SWFFontCollection_getFont(coll, 2), nullptr);

  SWFText text = newSWFText();
  SWFText_setFont(text, SWFFontCollection_getFont(coll, 0));
  SWFText_setColor(text, 255, 0, 0, 255);
  SWFText_setHeight(text, 51.2);  // 1024 twips: advances in twips equal em units
  SWFText_setSpacing(text, 1);    // 20 twips
  SWFText_moveTo(text, 10, 100);
  const char16_t hi[] = u"Hi";
  SWFText_addWideString(text, hi, 2, nullptr);
  // Same font and height, new colour, no move: only the colour is written.
  SWFText_setColor(text, 0, 0, 255, 255);
  SWFText_addWideString(text, hi, 1, nullptr);
  // Another font: font and height again; given advances replace the computed ones.
  SWFText_setFont(text, b);
  SWFText_setSpacing(text, 0);
  SWFText_moveTo(text, -5, 120);
  const int given[] = {-300};
  SWFText_addWideString(text, hi, 1, given);
  // 600 glyphs: records of 255, 255 and 90.
  SWFText_setFont(text, a);
  std::vector<unsigned short> many(600, 'i');
  SWFText_addWideString(text, many.data(), 600, nullptr);
  destroySWFFontCollection(coll);  // the text keeps its fonts
  destroySWFFont(a);
  destroySWFFont(b);

  Decoded d = Save(text);
  destroySWFText(text);
  ASSERT_EQ(d.fonts.size(), 2u);
  ASSERT_EQ(d.texts.size(), 1u);
  const Text& t = d.texts[0];
  EXPECT_FALSE(t.alpha);
  ASSERT_EQ(t.records.size(), 6u);
  const TextRecord& r0 = t.records[0];
  EXPECT_TRUE(r0.hasFont && r0.hasColor && r0.hasX && r0.hasY);
  EXPECT_EQ(r0.height, 1024);
  EXPECT_EQ(r0.x, 200);
  EXPECT_EQ(r0.y, 2000);
  EXPECT_EQ(r0.r, 255);
  EXPECT_EQ(r0.glyphs, (std::vector<std::pair<uint32_t, int32_t>>{{0, 620}, {1, 276}}));
  const TextRecord& r1 = t.records[1];
  EXPECT_TRUE(!r1.hasFont && r1.hasColor && !r1.hasX && !r1.hasY);
  EXPECT_EQ(r1.b, 255);
  const TextRecord& r2 = t.records[2];
  EXPECT_TRUE(r2.hasFont && !r2.hasColor && r2.hasX && r2.hasY);
  EXPECT_NE(r2.fontId, r0.fontId);
  EXPECT_EQ(r2.x, -100);
  EXPECT_EQ(r2.glyphs, (std::vector<std::pair<uint32_t, int32_t>>{{0, -300}}));
  EXPECT_EQ(t.records[3].glyphs.size(), 255u);
  EXPECT_TRUE(t.records[3].hasFont);
  EXPECT_EQ(t.records[4].glyphs.size(), 255u);
  EXPECT_EQ(t.records[5].glyphs.size(), 90u);
  EXPECT_FALSE(t.records[4].hasFont || t.records[4].hasColor || t.records[4].hasX);
  // Bits over the whole text: index 1 needs 1 bit; advances up to 620 and -300 need 11.
  EXPECT_EQ(t.glyphBits, 1);
  EXPECT_EQ(t.advanceBits, 11);
  // Bounds: the 'i's start where the negative advance left the pen (-100 - 300); the top is the
  // first 'H' (2000 - 700), the bottom the baseline of the second line.
  EXPECT_EQ(t.bounds.xmin, -400);
  EXPECT_EQ(t.bounds.ymin, 2000 - 700);
  EXPECT_EQ(t.bounds.ymax, 2400);
}

// A colour that is not opaque makes the text a DefineText2 with RGBA colours; positions beyond
// 16 bits move into the text matrix.
TEST(SwfText, AlphaAndFarPositions) {
  SWFFont f = newSWFFont();
  AddGlyph(f, 'o', 500, 500);
  SWFText text = newSWFText();
  SWFText_setFont(text, f);
  SWFText_setColor(text, 1, 2, 3, 128);
  SWFText_moveTo(text, 3000, 10);
  const unsigned short o[] = {'o'};
  SWFText_addWideString(text, o, 1, nullptr);
  destroySWFFont(f);
  Decoded d = Save(text);
  destroySWFText(text);
  ASSERT_EQ(d.texts.size(), 1u);
  const Text& t = d.texts[0];
  EXPECT_TRUE(t.alpha);
  EXPECT_EQ(t.records[0].a, 128);
  EXPECT_EQ(t.matrix.tx + t.records[0].x, 60000);
  EXPECT_EQ(t.matrix.ty + t.records[0].y, 200);
}

// A font that no string drew a glyph from is still written with the layout its flags announce.
TEST(SwfFont, FontWithoutGlyphsKeepsItsLayout) {
  SWFFont font = newSWFFont();
  SWFFont_setMetrics(font, 880, 120, 40);
  SWFText text = newSWFText();
  SWFText_setFont(text, font);
  const unsigned short s[] = {'q'};
  SWFText_addWideString(text, s, 1, nullptr);
  destroySWFFont(font);
  Decoded d = Save(text);
  destroySWFText(text);
  ASSERT_EQ(d.fonts.size(), 1u);  // the reader refuses a font shorter or longer than its flags say
  const Font& f = d.fonts[0];
  EXPECT_TRUE(f.flags & 0x80);
  EXPECT_TRUE(f.glyphs.empty());
  EXPECT_EQ(f.ascent, 880);
  EXPECT_EQ(f.descent, 120);
  EXPECT_EQ(f.leading, 40);
  EXPECT_EQ(f.kerningCount, 0);
}

// Text offsets reach 16-bit twips (about 1,638 px) from the text's origin. Strings farther from
// the first are not pulled back: the text becomes a clip of texts, each with an origin of its own.
TEST(SwfText, StringsOutOfReachOfTheFirstSplitTheText) {
  struct Case {
    const char* what;
    std::vector<std::pair<double, double>> moves;  // pixels; one string "oo" after each
    size_t texts;                                  // 1: a plain text, more: a clip of texts
  };
  const Case cases[] = {
      {"all within reach", {{10, 10}, {1600, 1500}, {-1500, 10}}, 1},
      {"far below", {{10, 10}, {10, 3000}}, 2},
      {"far right, then back near the first", {{10, 10}, {2000, 10}, {20, 30}}, 3},
      {"far first, others near it", {{3000, 4000}, {3010, 4500}}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SWFFont f = newSWFFont();
    AddGlyph(f, 'o', 500, 500);
    SWFText text = newSWFText();
    SWFText_setFont(text, f);
    SWFText_setHeight(text, 51.2);  // advances in twips equal em units
    const unsigned short oo[] = {'o', 'o'};
    for (auto [x, y] : c.moves) {
      SWFText_moveTo(text, x, y);
      SWFText_addWideString(text, oo, 2, nullptr);
    }
    destroySWFFont(f);
    Decoded d = Save(text);
    destroySWFText(text);
    ASSERT_EQ(d.texts.size(), c.texts);
    std::vector<const Tag*> sprites = FindTags(d.movie.tags, kDefineSprite);
    ASSERT_EQ(sprites.size(), c.texts > 1 ? 1u : 0u);

    // Where each string starts, in twips, as a player draws it; every text sets its font.
    std::vector<std::pair<int64_t, int64_t>> starts;
    for (const Text& t : d.texts) {
      ASSERT_FALSE(t.records.empty());
      EXPECT_TRUE(t.records[0].hasFont && t.records[0].hasColor);
      EXPECT_EQ(t.records[0].height, 1024);
      for (const TextRecord& r : t.records) {
        ASSERT_TRUE(r.hasX && r.hasY);
        starts.emplace_back(int64_t(t.matrix.tx) + r.x, int64_t(t.matrix.ty) + r.y);
      }
    }
    std::vector<std::pair<int64_t, int64_t>> want;
    for (auto [x, y] : c.moves) want.emplace_back(int64_t(x * 20), int64_t(y * 20));
    EXPECT_EQ(starts, want);

    if (c.texts > 1) {
      // The clip places each text once, in order, at its own origin.
      Sprite sp;
      std::string error;
      ASSERT_TRUE(ParseSprite(*sprites[0], &sp, &error)) << error;
      EXPECT_EQ(sp.frameCount, 1);
      std::vector<int> placed;
      for (const Tag* t : FindTags(sp.tags, kPlaceObject2)) {
        Place p;
        ASSERT_TRUE(ParsePlace2(*t, &p, &error)) << error;
        EXPECT_FALSE(p.hasMatrix);
        EXPECT_EQ(p.depth, int(placed.size()) + 1);
        placed.push_back(p.characterId);
      }
      std::vector<int> ids;
      for (const Text& t : d.texts) ids.push_back(t.id);
      EXPECT_EQ(placed, ids);
      // The movie places the clip, not the texts.
      Place root;
      ASSERT_TRUE(ParsePlace2(*FindTags(d.movie.tags, kPlaceObject2).at(0), &root, &error)) << error;
      Sprite whole;
      ASSERT_TRUE(ParseSprite(*sprites[0], &whole, &error));
      EXPECT_EQ(root.characterId, whole.id);
    }
  }
}

// A text field in the player's own sans-serif face (a font without glyphs named "_sans"), in a clip
// exported for attachMovie: the font, the field, the clip and the export come in that order, before
// the root timeline; the field's flags, font, height, colour, layout and first text are as set.
TEST(SwfTextField, DeviceFontFieldInAnExportedClip) {
  SWFFont sans = newSWFFont();
  SWFFont_setName(sans, "_sans");
  SWFTextField field = newSWFTextField();
  SWFTextField_setFont(field, sans);
  SWFTextField_setBounds(field, 100, 20);
  SWFTextField_setHeight(field, 12);
  SWFTextField_setColor(field, 0x11, 0x22, 0x33, 0xff);
  SWFTextField_setAlignment(field, SWFTEXTFIELD_ALIGN_CENTER);
  SWFTextField_setFlags(field, SWFTEXTFIELD_NOEDIT | SWFTEXTFIELD_NOSELECT);
  SWFTextField_addString(field, "H");
  SWFTextField_addString(field, "i");
  SWFMovieClip clip = newSWFMovieClip();
  SWFDisplayItem_setName(SWFMovieClip_add(clip, field), "label_txt");
  SWFMovieClip other = newSWFMovieClip();
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovie_addExport(m, clip, "flipLabel");
  SWFMovie_addExport(m, other, "flipLabel");  // the name is taken: ignored
  SWFMovie_add(m, other);
  destroySWFMovieClip(other);
  destroySWFMovieClip(clip);
  destroySWFTextField(field);
  destroySWFFont(sans);
  Movie movie;
  std::string error;
  ASSERT_TRUE(SaveAndParse(m, &movie, &error)) << error;
  destroySWFMovie(m);

  std::vector<int> codes;
  for (const Tag& t : movie.tags)
    if (t.code != 69) codes.push_back(t.code);
  EXPECT_EQ(codes, (std::vector<int>{kDefineFont2, 37, kDefineSprite, 56, kDefineSprite, kPlaceObject2, kShowFrame, kEnd}));

  const Tag& fontTag = *FindTags(movie.tags, kDefineFont2)[0];
  Font font;
  ASSERT_TRUE(ParseFont2(fontTag, &font, &error)) << error;
  EXPECT_EQ(font.name, "_sans");
  EXPECT_TRUE(font.glyphs.empty());

  const Tag& edit = *FindTags(movie.tags, 37)[0];
  ASSERT_GE(edit.body.size(), 9u);
  const int fieldId = edit.body[0] | edit.body[1] << 8;
  const int rectBits = edit.body[2] >> 3;
  const size_t at = 2 + (5 + 4 * rectBits + 7) / 8;
  const std::vector<uint8_t> rest(edit.body.begin() + long(at), edit.body.end());
  const std::vector<uint8_t> want = {0x8D, 0x30,          // text, read-only, colour, font; layout, no select
                                     uint8_t(font.id), uint8_t(font.id >> 8), 240, 0,  // the font, 12 px
                                     0x11, 0x22, 0x33, 0xff,  // colour
                                     2, 0, 0, 0, 0, 0, 0, 0, 0,  // centred, no margins, indent or leading
                                     0,                      // no variable
                                     'H', 'i', 0};
  EXPECT_EQ(rest, want);

  Sprite sprite;
  ASSERT_TRUE(ParseSprite(*FindTags(movie.tags, kDefineSprite)[0], &sprite, &error)) << error;
  Place place;
  ASSERT_TRUE(ParsePlace2(*FindTags(sprite.tags, kPlaceObject2)[0], &place, &error)) << error;
  EXPECT_EQ(place.characterId, fieldId);
  EXPECT_EQ(place.name, "label_txt");

  const Tag& exports = *FindTags(movie.tags, 56)[0];
  const std::vector<uint8_t> wantExports = {1, 0, uint8_t(sprite.id), uint8_t(sprite.id >> 8),
                                            'f', 'l', 'i', 'p', 'L', 'a', 'b', 'e', 'l', 0};
  EXPECT_EQ(exports.body, wantExports);
}
