// Queries of a text and range operations of its character array.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "TextTestSupport.h"
#include "glyphweave/CharacterGlyphRes.h"

using namespace GlyphweaveLib;

namespace {

std::u16string Chars(const CArrayOfTextCharacters& a) {
  std::u16string s;
  for (const CCharacterItem& c : a) s.push_back(c.GetCharacter());
  return s;
}

CArrayOfTextCharacters Make(const std::u16string& s) {
  gwtest::TestText t;
  gwtest::FillText(t, s);
  return t.GetArrayOfTextCharacters();
}

void AddRow(gwtest::TestText& t, uint32_t count) {
  TTextLineInfo row;
  row.m_nCharCount = count;
  t.GetParagraphsLinesInfo().Add(row);
}

}  // namespace

TEST(TextQuery, LinesAndCharacters) {
  gwtest::TestText t;
  gwtest::FillText(t, u"ab\rcd\r\re");
  struct LineCase {
    int index, line;
  };
  for (const LineCase& c : {LineCase{-1, -1}, {0, 0}, {2, 0}, {3, 1}, {6, 2}, {7, 3}, {8, -1}})
    EXPECT_EQ(t.GetAbsoluteLineNo(c.index), c.line) << c.index;

  struct RangeCase {
    int first, last;
    std::wstring text;
  };
  for (const RangeCase& c : {RangeCase{0, -1, L"ab\rcd\r\re"}, {2, 1, L""}, {3, 4, L"cd"}, {7, 7, L"e"},
                             {0, 8, L""}, {8, -1, L""}})
    EXPECT_EQ(t.GetCharacters(c.first, c.last), c.text) << c.first << "," << c.last;

  gwtest::TestText empty;
  EXPECT_EQ(empty.GetAbsoluteLineNo(0), -1);
  EXPECT_EQ(empty.GetCharacters(0, -1), L"");

  std::unique_ptr<wchar_t[]> content(t.GetArrayOfTextCharacters().GetTextContent());
  EXPECT_EQ(std::wstring(content.get()), L"ab\rcd\r\re");
}

TEST(TextQuery, ParagraphPredicates) {
  // Starting: at least 5 spaces at the start of row 0, counted within the row.
  struct StartCase {
    std::u16string text;
    uint32_t row0;
    bool starting;
  };
  for (const StartCase& c : {StartCase{u"     a", 6, true}, {u"    a", 5, false}, {u"      ", 4, false},
                             {u"a     ", 6, false}}) {
    gwtest::TestText t;
    gwtest::FillText(t, c.text);
    AddRow(t, c.row0);
    EXPECT_EQ(t.IsStartingAsParagraph(), c.starting);
  }
  gwtest::TestText noRows;
  gwtest::FillText(noRows, u"      a");
  EXPECT_FALSE(noRows.IsStartingAsParagraph());
  EXPECT_FALSE(std::as_const(noRows).IsEndingAsParagraph());

  // Ending: trailing spaces and breaks of the last row, then the room right of the last
  // visible character against 10 advances (here 12 each: size 12, advance 1024 at the reference).
  auto* glyph = new CCharacterGlyphRes;
  glyph->SetReferIncx(1024.0f);
  glyph->AddRef();
  struct EndCase {
    std::u16string text;
    uint32_t lastRow;
    float box;
    bool ending;
  };
  for (const EndCase& c : {EndCase{u"ab", 2, 200.0f, true}, {u"ab", 2, 100.0f, false},
                           {u"ab      ", 8, 100.0f, true}, {u"ab     ", 7, 100.0f, false},
                           {u"ab  ", 2, 100.0f, true}, {u"ab\r", 3, 100.0f, false}, {u" \r ", 3, 100.0f, true}}) {
    gwtest::TestText t;
    gwtest::FillText(t, c.text);
    t.m_fBoxWidth = c.box;
    AddRow(t, c.lastRow);
    for (size_t i = 0; i < c.text.size(); ++i) {
      t.GetArrayOfTextCharacters()[i].SetCharOffset({10.0f * static_cast<float>(i), 0.0f});
      t.GetArrayOfTextCharacters()[i].SetCharGlyphRes(glyph);
    }
    EXPECT_EQ(std::as_const(t).IsEndingAsParagraph(), c.ending) << std::string(c.text.begin(), c.text.end()) << " " << c.box;
  }
  EXPECT_EQ(glyph->GetRefCount(), 1);
  glyph->Release();
}

TEST(TextQuery, FontRunsByCharacter) {
  gwtest::TestText t;
  gwtest::FillText(t, u"abcdef");
  t.ClearFontRuns();
  for (uint32_t len : {2u, 0u, 3u}) {
    TFontRunInfo run;
    run.m_nLength = len;
    run.m_FontDesc.SetEmbedFontID(static_cast<int>(len));
    t.AppendFontRun(run);
  }
  struct Case {
    int index, run, start;
  };
  for (const Case& c : {Case{0, 0, 0}, {1, 0, 0}, {2, 2, 2}, {4, 2, 2}, {5, -1, -1}, {-1, -1, -1}}) {
    int start = 99;
    EXPECT_EQ(t.FindFontRun(c.index, &start), c.run) << c.index;
    EXPECT_EQ(start, c.start) << c.index;
  }
  EXPECT_EQ(t.GetFontRunDesc(2).GetEmbedFontID(), 3);
  for (int bad : {-1, 3}) {  // no run: the default descriptor, never an index out of range
    const _CharsFontDesc d = t.GetFontRunDesc(bad);
    EXPECT_EQ(d.GetEmbedFontID(), -1);
    EXPECT_EQ(d.GetCharSet(), 1);
  }
}

TEST(CharacterArray, RangeOperations) {
  struct Case {
    const char* name;
    int first, last;
    std::u16string copied, left;
    int copyResult, removeResult;
  };
  const Case cases[] = {
      {"middle", 1, 2, u"bc", u"ade", 1, 1},
      {"to the end", 3, -1, u"de", u"abc", 1, 1},
      {"last past the end", 3, 99, u"de", u"abc", 1, 1},
      {"first past the end", 5, 9, u"", u"abcde", 0, 0},
      {"last before first", 3, 1, u"", u"abcde", 0, 0},
      {"whole", 0, -1, u"abcde", u"", 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const CArrayOfTextCharacters src = Make(u"abcde");
    CArrayOfTextCharacters dest = Make(u"zz");
    EXPECT_EQ(src.CopySelection(dest, c.first, c.last), c.copyResult);
    EXPECT_EQ(Chars(dest), c.copied);

    CArrayOfTextCharacters cut = src;
    CArrayOfTextCharacters cutDest;
    EXPECT_EQ(cut.CutSelection(cutDest, c.first, c.last), c.copyResult);
    EXPECT_EQ(Chars(cutDest), c.copied);
    EXPECT_EQ(Chars(cut), c.left);

    CArrayOfTextCharacters removed = src;
    EXPECT_EQ(removed.RemoveSelection(c.first, c.last), c.removeResult);
    EXPECT_EQ(Chars(removed), c.left);
  }

  struct InsertCase {
    int pos;
    std::u16string result;
  };
  for (const InsertCase& c : {InsertCase{0, u"xyabc"}, {2, u"abxyc"}, {3, u"abcxy"}, {99, u"abcxy"}}) {
    CArrayOfTextCharacters a = Make(u"abc");
    EXPECT_EQ(a.InsertSelection(Make(u"xy"), c.pos), 1);
    EXPECT_EQ(Chars(a), c.result);
  }
  CArrayOfTextCharacters self = Make(u"abc");
  self.InsertSelection(self, 1);
  EXPECT_EQ(Chars(self), u"aabcbc");
}

TEST(CharacterArray, CopiesShareAndCountTheGlyph) {
  auto* glyph = new CCharacterGlyphRes;
  {
    CArrayOfTextCharacters a = Make(u"ab");
    for (CCharacterItem& c : a) c.SetCharGlyphRes(glyph);
    EXPECT_EQ(glyph->GetRefCount(), 2);
    {
      gwtest::TestText t;
      t.SetArrayOfTextCharacters(a);
      gwtest::TestText copy(t);
      EXPECT_EQ(glyph->GetRefCount(), 6);
    }
    EXPECT_EQ(glyph->GetRefCount(), 2);
    a[0].SetCharGlyphRes(glyph);  // the same glyph: no change
    EXPECT_EQ(glyph->GetRefCount(), 2);
    a[0] = a[1];
    EXPECT_EQ(glyph->GetRefCount(), 2);
    glyph->AddRef();  // keep it to look at it after the array is gone
  }
  EXPECT_EQ(glyph->GetRefCount(), 1);
  glyph->Release();
}
