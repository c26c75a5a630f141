// Text records from hand-written content: spacing folded into adjustments, render modes, splitting
// at baseline changes, scaled text matrices, and glyph names.
#include <gtest/gtest.h>

#include <cmath>

#include "RecordingParser.h"

using namespace pstest;

namespace {

std::vector<uint8_t> HelveticaPage(const std::string& content, const std::string& font_extra = "") {
  lwtest::PdfBuilder b;
  int font = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
                   "/WinAnsiEncoding " +
                   font_extra + " >> >>");
  return b.FinishPages({content}, "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
}

std::vector<float> Adjustments(const Text& t) {
  std::vector<float> v;
  for (const auto& r : t.runs)
    for (const PdfRunChar& c : r.chars) v.push_back(std::round(c.adjustment));
  return v;
}

}  // namespace

TEST(PagesieveText, SpacingAndPositioningFoldIntoAdjustments) {
  struct Case {
    const char* name;
    std::string content;
    std::u16string text;
    std::vector<float> adjustments;
  };
  const Case cases[] = {
      {"plain", "BT /F1 10 Tf 72 700 Td (a b) Tj ET", u"a b", {0, 0, 0}},
      {"word spacing", "BT /F1 10 Tf 5 Tw 72 700 Td (a b) Tj ET", u"a b", {0, 0, -500}},
      {"char spacing", "BT /F1 10 Tf 1 Tc 72 700 Td (abc) Tj ET", u"abc", {0, -100, -100}},
      {"TJ both ways", "BT /F1 10 Tf 72 700 Td [(a) 300 (b) -1200 (c)] TJ ET", u"ab c", {0, 300, 0, -1200}},
      {"horizontal scale", "BT /F1 10 Tf 50 Tz 72 700 Td [(a) -1000 (b)] TJ ET", u"a b", {0, 0, -1000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingParser rec = ParsePage(HelveticaPage(c.content));
    ASSERT_EQ(rec.texts.size(), 1u);
    EXPECT_EQ(rec.texts[0].str(), c.text);
    EXPECT_EQ(Adjustments(rec.texts[0]), c.adjustments);
  }
}

// A gap between two glyphs as wide as a word space becomes a space character, flagged as one the
// PDF leaves as a gap; its adjustment is 0 and the next character's adjustment keeps the whole gap.
// Kerning, letter spacing and spaces the PDF draws give none.
TEST(PagesieveText, WordGapsBecomeFlaggedSpaces) {
  struct Case {
    const char* name;
    std::string content;
    std::u16string text;
    std::vector<float> adjustments;
    std::vector<size_t> flagged;  // indexes of the inserted spaces
  };
  const Case cases[] = {
      {"TJ gap", "BT /F1 10 Tf 72 700 Td [(ab) -333 (cd)] TJ ET", u"ab cd", {0, 0, 0, -333, 0}, {2}},
      {"moved by Td", "BT /F1 10 Tf 72 700 Td (ab) Tj 14.12 0 Td (c) Tj ET", u"ab c", {0, 0, 0, -300}, {2}},
      {"across fonts", "BT /F1 10 Tf 72 700 Td [(ab) -400] TJ /F1 12 Tf (c) Tj ET", u"ab c", {0, 0, 0, -333}, {2}},
      {"kerning", "BT /F1 10 Tf 72 700 Td [(A) 80 (V) -60 (o)] TJ ET", u"AVo", {0, 80, -60}, {}},
      {"letter spacing", "BT /F1 10 Tf 1 Tc 72 700 Td (abc) Tj ET", u"abc", {0, -100, -100}, {}},
      {"drawn space", "BT /F1 10 Tf 72 700 Td [(a ) -500 (b)] TJ ET", u"a b", {0, 0, -500}, {}},
      {"gap before a drawn space", "BT /F1 10 Tf 72 700 Td [(a) -500 ( b)] TJ ET", u"a b", {0, -500, 0}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingParser rec = ParsePage(HelveticaPage(c.content));
    ASSERT_EQ(rec.texts.size(), 1u);
    EXPECT_EQ(rec.texts[0].str(), c.text);
    EXPECT_EQ(Adjustments(rec.texts[0]), c.adjustments);
    std::vector<size_t> flagged;
    size_t i = 0;
    for (const auto& r : rec.texts[0].runs)
      for (const PdfRunChar& ch : r.chars) {
        if (ch.character & kPdfCharWordSpace) flagged.push_back(i);
        ++i;
      }
    EXPECT_EQ(flagged, c.flagged);
  }
}

TEST(PagesieveText, RenderModes) {
  struct Case {
    const char* mode;
    size_t texts;
    float red;  // fill colour's red of the delivered text
  };
  // Fill red, stroke blue.
  const Case cases[] = {{"0", 1, 1}, {"1", 1, 0}, {"2", 1, 1}, {"3", 0, 0}, {"7", 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    RecordingParser rec = ParsePage(
        HelveticaPage(std::string("1 0 0 rg 0 0 1 RG BT /F1 10 Tf ") + c.mode + " Tr 72 700 Td (Hi) Tj ET"));
    ASSERT_EQ(rec.texts.size(), c.texts);
    if (c.texts) {
      EXPECT_EQ(rec.texts[0].str(), u"Hi");
      EXPECT_FLOAT_EQ(rec.texts[0].runs[0].rec.fill_rgb[0], c.red);
    }
  }
}

TEST(PagesieveText, SplitsWhereTheTextLeavesItsLine) {
  struct Case {
    const char* name;
    std::string content;
    std::vector<std::u16string> texts;
  };
  const Case cases[] = {
      {"two lines in one block", "BT /F1 10 Tf 72 700 Td (one) Tj 0 -12 Td (two) Tj ET", {u"one", u"two"}},
      {"same line continues", "BT /F1 10 Tf 72 700 Td (one) Tj 30 0 Td (two) Tj ET", {u"one two"}},
      {"far jump splits", "BT /F1 10 Tf 72 700 Td (one) Tj 300 0 Td (two) Tj ET", {u"one", u"two"}},
      {"back jump splits", "BT /F1 10 Tf 72 700 Td (one) Tj -30 0 Td (two) Tj ET", {u"one", u"two"}},
      {"rise splits", "BT /F1 10 Tf 72 700 Td (x) Tj 4 Ts (2) Tj ET", {u"x", u"2"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingParser rec = ParsePage(HelveticaPage(c.content));
    std::vector<std::u16string> got;
    for (const Text& t : rec.texts) got.push_back(t.str());
    EXPECT_EQ(got, c.texts);
  }
}

// Size and scale of the text matrix and CTM travel in the run; the record matrix has unit rows.
TEST(PagesieveText, ScaledAndRotatedMatrices) {
  RecordingParser rec = ParsePage(HelveticaPage("q 2 0 0 2 0 0 cm BT /F1 1 Tf 6 0 0 6 36 350 Tm (A) Tj ET Q "
                                                "BT /F1 10 Tf 0 1 -1 0 300 300 Tm (B) Tj ET"));
  ASSERT_EQ(rec.texts.size(), 2u);
  const Text& a = rec.texts[0];
  EXPECT_NEAR(a.runs[0].rec.font_size, 12, 1e-4);
  EXPECT_NEAR(a.matrix[0], 1, 1e-5);
  EXPECT_NEAR(a.matrix[3], 1, 1e-5);
  EXPECT_NEAR(a.matrix[4], 72, 1e-3);
  EXPECT_NEAR(a.matrix[5], 700, 1e-3);
  const Text& b = rec.texts[1];
  EXPECT_NEAR(b.runs[0].rec.font_size, 10, 1e-4);
  EXPECT_NEAR(b.matrix[0], 0, 1e-5);
  EXPECT_NEAR(b.matrix[1], 1, 1e-5);
  EXPECT_NEAR(b.matrix[2], -1, 1e-5);
  EXPECT_NEAR(b.matrix[3], 0, 1e-5);
}

// Runs change with the font and the size; every font arrives before the text that uses it.
TEST(PagesieveText, RunsPerFontAndSize) {
  lwtest::PdfBuilder b;
  int f1 = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  int f2 = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-BoldItalic >>");
  std::vector<uint8_t> pdf = b.FinishPages(
      {"BT /F1 10 Tf 72 700 Td (ab) Tj /F2 10 Tf (cd) Tj /F2 14 Tf (e) Tj ET"},
      "<< /Font << /F1 " + std::to_string(f1) + " 0 R /F2 " + std::to_string(f2) + " 0 R >> >>");
  RecordingParser rec = ParsePage(pdf);
  EXPECT_EQ(rec.events, "PFFT");
  EXPECT_FALSE(rec.text_font_missing);
  ASSERT_EQ(rec.texts.size(), 1u);
  const Text& t = rec.texts[0];
  ASSERT_EQ(t.runs.size(), 3u);
  EXPECT_EQ(t.runs[0].str(), u"ab");
  EXPECT_EQ(t.runs[1].str(), u"cd");
  EXPECT_EQ(t.runs[2].str(), u"e");
  EXPECT_EQ(t.runs[0].rec.font_id, f1);
  EXPECT_EQ(t.runs[1].rec.font_id, f2);
  EXPECT_FLOAT_EQ(t.runs[2].rec.font_size, 14);
  const Font* times = rec.FontById(f2);
  ASSERT_NE(times, nullptr);
  EXPECT_STREQ(times->program.name, "Times New Roman");
  EXPECT_EQ(times->program.bold, 1);
  EXPECT_EQ(times->program.italic, 1);
}

TEST(PagesieveText, GlyphNamesAreBoundedToTheirSlots) {
  std::string long_name(60, 'g');
  RecordingParser rec =
      ParsePage(HelveticaPage("BT /F1 10 Tf 72 700 Td (AB) Tj ET", "/Differences [65 /" + long_name + " /Bee]"));
  ASSERT_EQ(rec.fonts.size(), 1u);
  const Font& f = rec.fonts[0];
  ASSERT_EQ(f.glyph_names.size(), 256u);
  EXPECT_EQ(f.glyph_names[65], std::string(31, 'g'));
  EXPECT_EQ(f.glyph_names[66], "Bee");
  EXPECT_EQ(f.glyph_names[67], "C");
}
