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
