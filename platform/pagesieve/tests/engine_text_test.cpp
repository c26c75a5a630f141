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

// A ligature glyph comes as its letters: the first where the glyph is, each further one after
// the letter before, the last ending where the ligature ends, so that the glyph after it keeps
// its place. Code 1 is Times' "fi", 0.556 em wide; "f" and "i" are 0.333 and 0.278 em.
TEST(PagesieveText, LigaturesComeAsLettersAndKeepTheLineInPlace) {
  struct Case {
    const char* name;
    std::string to_unicode;  // bfchar target of code 1
  };
  const Case cases[] = {{"mapped to letters", "<00660069>"}, {"mapped to U+FB01", "<FB01>"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lwtest::PdfBuilder b;
    const int cmap = b.AddStream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                     "1 begincodespacerange <00> <FF> endcodespacerange\n"
                                     "3 beginbfchar <01> " + c.to_unicode + " <63> <0063> <6F> <006F> endbfchar\n"
                                     "endcmap CMapName currentdict /CMap defineresource pop end end\n");
    const int font = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman /Encoding << /Differences [1 /fi] "
                           ">> /ToUnicode " + std::to_string(cmap) + " 0 R >>");
    RecordingParser rec = ParsePage(b.FinishPages({"BT /F1 10 Tf 72 700 Td (o\\001c) Tj ET"},
                                                  "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>"));
    ASSERT_EQ(rec.texts.size(), 1u);
    EXPECT_EQ(rec.texts[0].str(), u"ofic");
    // "i" moves back by 333 + 278 - 556 = 55 to end with the ligature; "c" follows unshifted.
    EXPECT_EQ(Adjustments(rec.texts[0]), (std::vector<float>{0, 0, 55, 0}));
  }
}

// Accents drawn over or under a letter (as TeX draws them with the fonts of its old encoding)
// come as the precomposed letter, placed where the letter is; accents beside a letter stay.
TEST(PagesieveText, AccentsOverLettersComposeWithThem) {
  struct Case {
    const char* name;
    std::string content;
    std::u16string text;
    std::vector<float> adjustments;
    float x;  // where the text starts
  };
  // Helvetica: acute, dieresis and cedilla 333, e, n and o 556, c 500, dotless i 278. The composed
  // letter stands where the letter stands: "e" 1.11 pt left of the pen after "n"; the "o" after
  // "c" where the cedilla ends, 0.84 pt left of the end of "c"; "i" 0.28 pt left of the text's start.
  const Case cases[] = {
      {"acute before its letter", "BT /F1 10 Tf 72 700 Td [(n) 56 (\\264) 388 (e)] TJ ET", u"n\u00E9", {0, 111}, 72},
      {"cedilla after its letter", "BT /F1 10 Tf 72 700 Td [(c) 417 (\\270o)] TJ ET", u"\u00E7o", {0, 84}, 72},
      {"dieresis over a dotless i", "BT /F1 10 Tf 72 700 Td [(\\250) 361 (\\001)] TJ ET", u"\u00EF", {0}, 71.72f},
      {"beside a letter", "BT /F1 10 Tf 72 700 Td (e\\264) Tj ET", u"e\u00B4", {0, 0}, 72},
      // The acute reaches 1 pt into the "l" (222) before the dotless i, more than 30 % of the
      // narrower glyph, but its centre is over the i: it goes with the i.
      {"over the letter under its centre", "BT /F1 10 Tf 72 700 Td [(l) 100 (\\264) 233 (\\001)] TJ ET", u"l\u00ED",
       {0, 0}, 72},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingParser rec = ParsePage(HelveticaPage(c.content, "/Differences [1 /dotlessi]"));
    ASSERT_EQ(rec.texts.size(), 1u);
    EXPECT_EQ(rec.texts[0].str(), c.text);
    EXPECT_EQ(Adjustments(rec.texts[0]), c.adjustments);
    EXPECT_NEAR(rec.texts[0].matrix[4], c.x, 0.01);
  }
  // TeX raises an accent over a capital: the accent on a line of its own, the letter below it.
  RecordingParser rec = ParsePage(HelveticaPage("BT /F1 10 Tf 74.5 702.4 Td (\\264) Tj -2.5 -2.4 Td (Etude) Tj ET"));
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_EQ(rec.texts[0].str(), u"\u00C9tude");
  EXPECT_NEAR(rec.texts[0].matrix[4], 72, 0.01);
  EXPECT_NEAR(rec.texts[0].matrix[5], 700, 0.01);
  // A raised accent after its capital, in the middle of a text: "R" 7.22, "E" 6.67 pt; the acute
  // (3.33) centred over the E.
  rec = ParsePage(HelveticaPage("BT /F1 10 Tf 72 700 Td (RE) Tj 8.89 2.4 Td (\\264) Tj ET"));
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_EQ(rec.texts[0].str(), u"R\u00C9");
}

// A glyph whose code maps to no character or to a control character never puts a control
// character into the text: it comes as U+E000 + its code, and the font's CID-to-Unicode table maps
// that code to the same character, so the glyph is found back.
TEST(PagesieveText, UnmappedGlyphsGetPrivateCharacters) {
  lwtest::PdfBuilder b;
  const int program = b.AddStream("", lwtest::ReadFileBytes(lwtest::LiberationSansPath()));
  const int descriptor = b.Add("<< /Type /FontDescriptor /FontName /LiberationSans /Flags 32 /FontBBox [0 -200 1000 900] "
                               "/ItalicAngle 0 /Ascent 900 /Descent -200 /CapHeight 700 /StemV 80 /FontFile2 " +
                               std::to_string(program) + " 0 R >>");
  const int cmap = b.AddStream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                   "1 begincodespacerange <00> <FF> endcodespacerange\n"
                                   "2 beginbfchar <14> <0014> <42> <0042> endbfchar\n"
                                   "endcmap CMapName currentdict /CMap defineresource pop end end\n");
  // Code 20 draws the "A" glyph, but the file maps it to the control character U+0014.
  const int font = b.Add("<< /Type /Font /Subtype /TrueType /BaseFont /LiberationSans /Encoding << /BaseEncoding "
                         "/WinAnsiEncoding /Differences [20 /A] >> /FontDescriptor " +
                         std::to_string(descriptor) + " 0 R /ToUnicode " + std::to_string(cmap) + " 0 R >>");
  RecordingParser rec = ParsePage(b.FinishPages({"BT /F1 10 Tf 72 700 Td (\\024B) Tj ET"},
                                                "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>"));
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_EQ(rec.texts[0].str(), u"\uE014B");
  const Font* f = rec.FontById(font);
  ASSERT_NE(f, nullptr);
  ASSERT_GT(f->cid_to_ucs.size(), 0x14u);
  EXPECT_EQ(f->cid_to_ucs[0x14], 0xE014);
  for (char16_t c : rec.texts[0].str()) EXPECT_GE(c, 0x20) << "a control character";
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
  EXPECT_STREQ(times->program.name, "Nimbus Roman");
  EXPECT_EQ(times->program.bold, 1);
  EXPECT_EQ(times->program.italic, 1);
}

// A standard font that is not embedded is named by URW's face of it (installed with the build's
// packages), the face PDF readers draw it with; other names keep the system's metric twins.
TEST(PagesieveText, FontsNotEmbeddedAreNamedByTheFaceThatDrawsThem) {
  struct Case {
    const char* base;
    const char* face;
  };
  const Case cases[] = {
      {"Helvetica", "Nimbus Sans"},         {"Helvetica-BoldOblique", "Nimbus Sans"},
      {"Times-Roman", "Nimbus Roman"},      {"Times,Bold", "Nimbus Roman"},
      {"Courier-Oblique", "Nimbus Mono PS"}, {"Symbol", "Standard Symbols PS"},
      {"ZapfDingbats", "D050000L"},         {"ABCDEF+Helvetica", "Nimbus Sans"},
      {"TimesNewRomanPSMT", "Times New Roman"}, {"Arial,Bold", "Arial"},
      {"CourierNewPS-BoldMT", "Courier New"}, {"Helvetica2", "Helvetica2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base);
    lwtest::PdfBuilder b;
    const int f = b.Add(std::string("<< /Type /Font /Subtype /Type1 /BaseFont /") + c.base + " >>");
    RecordingParser rec =
        ParsePage(b.FinishPages({"BT /F1 10 Tf 72 700 Td (ab) Tj ET"}, "<< /Font << /F1 " + std::to_string(f) + " 0 R >> >>"));
    const Font* font = rec.FontById(f);
    ASSERT_NE(font, nullptr);
    EXPECT_STREQ(font->program.name, c.face);
  }
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
