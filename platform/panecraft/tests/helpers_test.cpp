// String-table entries split into description, caption and label; HSL conversions.
#include <gtest/gtest.h>

#include <QorpControls.h>
#include <QorpDrawHelpers.h>

#include <lwstr.h>

#include <cmath>

namespace {

TEST(PanecraftHelpers, SplitCommandString) {
  struct Case {
    const wchar_t* pszEntry;
    bool bOk;
    const wchar_t *pszDescription, *pszCaption, *pszLabel;
  } cases[] = {
      {L"Makes the text bold\nBold", true, L"Makes the text bold", L"Bold", L""},
      {L"Outline width\nWidth\nWidth:", true, L"Outline width", L"Width", L"Width:"},
      {L"Caption only", true, L"Caption only", L"Caption only", L""},
      {L"\nCaption", true, L"", L"Caption", L""},
      {L"Desc\n\nLabel", true, L"Desc", L"", L"Label"},
      {L"Desc\nCap\nLabel\nextra", true, L"Desc", L"Cap", L"Label"},
      {L"Desc\n", true, L"Desc", L"", L""},
      {L"", false, L"", L"", L""},
  };
  for (const Case& c : cases) {
    CString d = L"x", cap = L"x", lab = L"x";
    EXPECT_EQ(QORPSplitCommandString(c.pszEntry, d, cap, lab), c.bOk) << lw::WideToUtf8(c.pszEntry);
    EXPECT_EQ(d, c.pszDescription);
    EXPECT_EQ(cap, c.pszCaption);
    EXPECT_EQ(lab, c.pszLabel);
  }
}

TEST(PanecraftHelpers, HslKnownValues) {
  struct Case {
    COLORREF clr;
    double h, s, l;
  } cases[] = {
      {RGB(255, 0, 0), 0.0, 1.0, 0.5},         {RGB(0, 255, 0), 1.0 / 3, 1.0, 0.5},
      {RGB(0, 0, 255), 2.0 / 3, 1.0, 0.5},     {RGB(255, 255, 255), 0.0, 0.0, 1.0},
      {RGB(0, 0, 0), 0.0, 0.0, 0.0},           {RGB(128, 128, 128), 0.0, 0.0, 128.0 / 255},
      {RGB(255, 0, 255), 5.0 / 6, 1.0, 0.5},   {RGB(0x80, 0x40, 0x00), 1.0 / 12, 1.0, 0.25098},
  };
  for (const Case& c : cases) {
    double h, s, l;
    CQORPDrawHelpers::RGBtoHSL(c.clr, h, s, l);
    EXPECT_NEAR(h, c.h, 1e-4) << std::hex << c.clr;
    EXPECT_NEAR(s, c.s, 1e-4) << std::hex << c.clr;
    EXPECT_NEAR(l, c.l, 1e-4) << std::hex << c.clr;
    EXPECT_EQ(CQORPDrawHelpers::HSLtoRGB(c.h, c.s, c.l), c.clr);
  }
}

TEST(PanecraftHelpers, HslRoundTripAndRanges) {
  for (int r = 0; r < 256; r += 15)
    for (int g = 0; g < 256; g += 15)
      for (int b = 0; b < 256; b += 15) {
        double h, s, l;
        const COLORREF clr = RGB(r, g, b);
        CQORPDrawHelpers::RGBtoHSL(clr, h, s, l);
        ASSERT_TRUE(h >= 0 && h < 1 && s >= 0 && s <= 1 && l >= 0 && l <= 1) << std::hex << clr;
        ASSERT_EQ(CQORPDrawHelpers::HSLtoRGB(h, s, l), clr);
      }
  // Hue wraps; saturation and luminance clamp; nothing finite or not turns into garbage.
  EXPECT_EQ(CQORPDrawHelpers::HSLtoRGB(1.0, 1.0, 0.5), RGB(255, 0, 0));
  EXPECT_EQ(CQORPDrawHelpers::HSLtoRGB(-1.0 / 3, 1.0, 0.5), RGB(0, 0, 255));
  EXPECT_EQ(CQORPDrawHelpers::HSLtoRGB(0.0, 2.0, 0.5), RGB(255, 0, 0));
  EXPECT_EQ(CQORPDrawHelpers::HSLtoRGB(0.3, 0.5, 1.5), RGB(255, 255, 255));
  EXPECT_EQ(CQORPDrawHelpers::HSLtoRGB(NAN, NAN, NAN), RGB(0, 0, 0));
}

}  // namespace

namespace {

TEST(PanecraftHelpers, DimmedTextStaysReadableOnEachThemeBackground) {
  struct Case {
    const char* name;
    COLORREF text, back;
    double t;
  } cases[] = {
      {"blue status bar", RGB(0x1E, 0x39, 0x5B), RGB(0xCF, 0xDD, 0xEE), 0.6},
      {"silver status bar", RGB(0x3B, 0x3B, 0x3B), RGB(0xE3, 0xE6, 0xE8), 0.6},
      {"black status bar", RGB(0xF0, 0xF0, 0xF0), RGB(0x3A, 0x3A, 0x3A), 0.6},
      {"black on white, a little", RGB(0, 0, 0), RGB(255, 255, 255), 0.3},
      {"all the way", RGB(0, 0, 0), RGB(255, 255, 255), 1.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const COLORREF dimmed = CQORPDrawHelpers::DimmedText(c.text, c.back, c.t);
    EXPECT_GE(CQORPDrawHelpers::ContrastRatio(dimmed, c.back), 4.5);
    EXPECT_NE(dimmed, c.text) << "still dimmed";
    EXPECT_LT(CQORPDrawHelpers::ContrastRatio(dimmed, c.back), CQORPDrawHelpers::ContrastRatio(c.text, c.back));
  }
  // Where the plain mix reads, it is the mix.
  EXPECT_EQ(CQORPDrawHelpers::DimmedText(RGB(0, 0, 0), RGB(255, 255, 255), 0.2), RGB(51, 51, 51));
  // A text that does not read even undimmed is kept as it is.
  EXPECT_EQ(CQORPDrawHelpers::DimmedText(RGB(0x80, 0x80, 0x80), RGB(0x90, 0x90, 0x90), 0.6), RGB(0x80, 0x80, 0x80));
  EXPECT_NEAR(CQORPDrawHelpers::ContrastRatio(RGB(0, 0, 0), RGB(255, 255, 255)), 21.0, 1e-9);
}

}  // namespace
