// Font descriptors, character formats, the arrays and the preset font sizes.
#include <gtest/gtest.h>

#include <wingdi.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "glyphweave/CharacterItem.h"
#include "glyphweave/CharsFontDesc.h"

using namespace GlyphweaveLib;

TEST(FontDesc, DefaultsAndStoredForm) {
  const _CharsFontDesc d;
  EXPECT_EQ(d.GetFontFaceName()[0], 0);
  EXPECT_EQ(d.GetCharSet(), 1);
  EXPECT_EQ(d.GetPitchFamily(), 0);
  EXPECT_EQ(d.GetEmbedFontID(), -1);

  _CharsFontDesc f(L"Ab\U0001F600", 134, 0x22, 7);
  unsigned char rec[264];
  f.ToBytes(rec);
  const unsigned char head[] = {'A', 0, 'b', 0, 0x3d, 0xd8, 0x00, 0xde, 0, 0};
  EXPECT_TRUE(std::equal(std::begin(head), std::end(head), rec));
  EXPECT_TRUE(std::all_of(rec + 10, rec + 256, [](unsigned char b) { return b == 0; }));
  EXPECT_EQ(rec[256], 134);
  EXPECT_EQ(rec[257], 0x22);
  EXPECT_EQ(rec[258] | rec[259], 0);
  EXPECT_EQ(rec[260], 7);
  _CharsFontDesc back;
  back.FromBytes(rec);
  EXPECT_EQ(back.GetFontFaceNameW(), L"Ab\U0001F600");
  EXPECT_EQ(back.GetCharSet(), 134);
  EXPECT_EQ(back.GetEmbedFontID(), 7);
}

TEST(FontDesc, FaceIsKeptTo126Units) {
  _CharsFontDesc d;
  d.SetFontFaceName(std::wstring(200, L'q').c_str());
  EXPECT_EQ(d.GetFontFaceNameW(), std::wstring(126, L'q'));
  // A pair that would end at unit 127 is left out whole.
  d.SetFontFaceName((std::wstring(125, L'q') + L"\U0001F600").c_str());
  EXPECT_EQ(d.GetFontFaceNameW(), std::wstring(125, L'q'));
  d.Reset();
  EXPECT_EQ(d, _CharsFontDesc());
}

TEST(FontDesc, EqualityAndOrder) {
  struct Case {
    const char* name;
    _CharsFontDesc a, b;
    bool equal, less, greater;
  };
  const Case cases[] = {
      {"same id, other faces", {L"X", 1, 0, 3}, {L"Y", 2, 9, 3}, true, false, false},
      {"ids -1 and -5", {L"Arial", 1, 0, -1}, {L"Arial", 1, 0, -5}, true, false, false},
      {"system before embedded", {L"Zzz", 1, 0, -1}, {L"Aaa", 1, 0, 0}, false, true, false},
      {"embedded by id", {L"", 1, 0, 2}, {L"", 1, 0, 10}, false, true, false},
      {"prefix first", {L"Arial", 1, 0, -1}, {L"Arial Black", 1, 0, -1}, false, true, false},
      {"code units", {L"B", 1, 0, -1}, {L"a", 1, 0, -1}, false, true, false},
      {"units unsigned", {L"\u00e9", 1, 0, -1}, {L"\uff21", 1, 0, -1}, false, true, false},
      {"then charset", {L"A", 0, 5, -1}, {L"A", 1, 0, -1}, false, true, false},
      {"then pitch", {L"A", 1, 1, -1}, {L"A", 1, 2, -1}, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.a == c.b, c.equal);
    EXPECT_EQ(c.b == c.a, c.equal);
    EXPECT_EQ(c.a != c.b, !c.equal);
    EXPECT_EQ(c.a < c.b, c.less);
    EXPECT_EQ(c.b < c.a, c.greater || (!c.equal && !c.less));
    EXPECT_EQ(CFontDescCollection::CompareFontDesc(&c.a, &c.b), c.equal ? 0 : (c.less ? -1 : 1));
  }
}

// The descriptor is a map key: < must be a strict weak order consistent with ==.
TEST(FontDesc, StrictWeakOrder) {
  std::mt19937 rng(5);
  const wchar_t* faces[] = {L"", L"A", L"Arial", L"Arial Black", L"a", L"\u5b8b\u4f53"};
  std::vector<_CharsFontDesc> v;
  for (int i = 0; i < 60; ++i)
    v.emplace_back(faces[rng() % 6], static_cast<BYTE>(rng() % 3), static_cast<BYTE>(rng() % 2),
                   static_cast<int>(rng() % 6) - 3);
  for (const auto& a : v) {
    EXPECT_FALSE(a < a);
    for (const auto& b : v) {
      if (a < b) {
        EXPECT_FALSE(b < a);
      }
      EXPECT_EQ(!(a < b) && !(b < a), a == b);
      for (const auto& c : v)
        if (a < b && b < c) {
          EXPECT_TRUE(a < c);
        }
    }
  }
}

TEST(FontDesc, RetrieveLogFont) {
  _CharsFontDesc d(std::wstring(40, L'f').c_str(), 2, 0x31, -1);
  HDC dc = GetDC(nullptr);
  LOGFONTW lf;
  std::memset(&lf, 0x5a, sizeof(lf));
  d.RetrieveLogFont(dc, lf, 12);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(lf.lfHeight, -16);  // 12 points at 96 dots per inch
  EXPECT_EQ(lf.lfWidth, 0);
  EXPECT_EQ(lf.lfWeight, 400);
  EXPECT_EQ(lf.lfItalic, 0);
  EXPECT_EQ(lf.lfCharSet, 2);
  EXPECT_EQ(lf.lfQuality, 4);
  EXPECT_EQ(lf.lfPitchAndFamily, 0x31);
  EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(31, L'f'));
}

TEST(CharacterFormat, SizesAndProps) {
  _CharacterDesc d;
  d.SetCharYScale(-1.5f);
  d.SetActualFontSize(18.0f);
  EXPECT_FLOAT_EQ(d.GetFontPointSize(), 12.0f);
  EXPECT_FLOAT_EQ(d.GetActualFontSize(), 18.0f);
  EXPECT_FLOAT_EQ(d.GetFontPixelSize(), 16.0f);

  CRichFontDesc rich;
  EXPECT_EQ(rich.m_fFontSize, 12.0f);
  EXPECT_FLOAT_EQ(rich.GetFontPixelSize(), 16.0f);
  rich.m_fFontSize = 30.0f;
  rich.m_bBold = 1;
  rich.m_bItalic = 1;
  rich.m_bUnderline = 1;
  rich.m_crRenderColor = RGB(9, 8, 7);
  CCharacterItem item;
  item.SetCharYScale(2.0f);
  item.SetCharSpacing(3.0f);
  item.SetByCharacterProps(rich);
  EXPECT_FLOAT_EQ(item.GetFontPointSize(), 15.0f);
  EXPECT_EQ(item.IsBold(), 1);
  EXPECT_EQ(item.GetItalicSkew(), kItalicSkew);
  EXPECT_TRUE(item.HasUnderline());
  EXPECT_EQ(item.GetRenderColor(), RGB(9, 8, 7));
  EXPECT_EQ(item.GetCharSpacing(), 3.0f);
  EXPECT_EQ(item.GetIncreaseDeltaX(), 3.0f);  // no glyph: the spacing only
  item.SetShowAsScriptFlag(1);
  EXPECT_FLOAT_EQ(item.GetIncreaseDeltaX(), 2.0f);

  CCharFormatsDesc summary;
  EXPECT_EQ(summary.m_nCommonMask, 0u);
  EXPECT_EQ(summary.GetCharSet(), 1);
}

TEST(Arrays, BaseArrayRules) {
  _BaseArray<int> a;
  for (int i = 0; i < 5; ++i) a.Add(i);
  EXPECT_EQ(a.GetCapacity(), 8);
  a.RemoveAt(-1);
  a.RemoveAt(a.GetSize());
  EXPECT_EQ(a.GetSize(), 5);
  EXPECT_EQ(a.InsertAt(99, 7), 5);
  EXPECT_EQ(a.InsertAt(0, 9), 0);
  EXPECT_EQ(a.GetAt(0), 9);
  a.SetGrowStep(0);  // a step that could never make room
  EXPECT_EQ(a.GetGrowStep(), 4);
  a.SetGrowStep(-3);
  EXPECT_EQ(a.GetGrowStep(), 4);
  a.Shrink(2);
  EXPECT_EQ(a.GetSize(), 2);
  const int data[] = {4, 5, 6};
  a.SetBufferData(data, 3);
  EXPECT_EQ(a.GetSize(), 3);
  EXPECT_EQ(a.GetAt(2), 6);
  a.Clear();
  EXPECT_EQ(a.GetCapacity(), 0);
  EXPECT_EQ(a.GetSize(), 0);
}

TEST(Arrays, SortedFontSet) {
  CFontDescCollection set;
  int pos = 5;
  EXPECT_FALSE(set.FindAt(_CharsFontDesc(), &pos));
  EXPECT_EQ(pos, -1);
  const _CharsFontDesc items[] = {{L"Times", 1, 0, -1}, {L"", 1, 0, 4}, {L"Arial", 1, 0, -1}, {L"", 1, 0, 1},
                                  {L"Courier", 1, 0, -1}, {L"Other", 1, 0, 4}};
  for (const auto& d : items) set.Add(d);
  ASSERT_EQ(set.GetSize(), 5);  // the second id 4 is the same font
  for (int i = 1; i < set.GetSize(); ++i) EXPECT_TRUE(set.GetAt(i - 1) < set.GetAt(i));
  EXPECT_TRUE(set.FindAt(_CharsFontDesc(L"Courier", 1, 0, -2), &pos));
  EXPECT_EQ(pos, 1);
  set.Add(items[0]);
  EXPECT_EQ(set.GetSize(), 5);
}

TEST(PresetFontSizes, EnlargeAndShrink) {
  const unsigned char presets[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48, 72};
  CPresetFontSizeManager m;
  m.m_pPresetSizes = presets;
  m.m_nPresetCount = sizeof(presets);
  struct Case {
    int size, enlarged, shrunk;
  };
  for (const Case& c : {Case{7, 8, 6}, {8, 9, 7}, {13, 14, 12}, {14, 16, 12}, {72, 80, 48}, {75, 80, 72},
                        {85, 90, 72}, {100, 110, 90}, {2, 3, 1}, {1, 2, 1}})
    EXPECT_EQ(std::make_pair(m.CalcuNextEnlargeFontSize(c.size), m.CalcuNextShrinkFontSize(c.size)),
              std::make_pair(c.enlarged, c.shrunk))
        << c.size;
  CPresetFontSizeManager empty;  // no list: one point up or down
  EXPECT_EQ(empty.CalcuNextEnlargeFontSize(10), 11);
  EXPECT_EQ(empty.CalcuNextShrinkFontSize(10), 9);
}
