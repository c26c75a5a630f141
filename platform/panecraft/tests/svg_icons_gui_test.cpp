// SVG command icons: one-colour parts drawn in the colour asked for (the text colour class and
// class-less currentColor), other colour classes in their own colour, literal colours kept;
// text that is no drawing gives nothing; the ribbon's buttons show the SVG icon in the theme's
// caption colour and a clear picture (no made-up letter) for a command without an icon.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <wx/image.h>

#include <QorpPaintManager.h>
#include <QorpRibbon.h>

#include "GuiTestHarness.h"
#include "ribbon_internal.h"

namespace {

const char kStyle[] =
    "<defs><style type=\"text/css\" id=\"current-color-scheme\">"
    ".ColorScheme-Text { color:#232629; } .ColorScheme-Highlight { color:#3daee9; }</style></defs>";

std::string Svg(const std::string& body) {
  return std::string("<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 16 16\">") + kStyle + body + "</svg>";
}

// The colour of the pixel at (x, y) and its alpha.
struct Px {
  int r, g, b, a;
};
Px At(const std::vector<BYTE>& bgra, int size, int x, int y) {
  const BYTE* p = bgra.data() + (static_cast<size_t>(y) * size + x) * 4;
  return {p[2], p[1], p[0], p[3]};
}

TEST(SvgIcons, OneColourPartsTakeTheirColour) {
  const COLORREF tint = RGB(0xF0, 0x10, 0x80);
  const struct {
    const char* what;
    std::string body;
    int r, g, b;
  } cases[] = {
      {"text class", "<rect x=\"0\" y=\"0\" width=\"16\" height=\"16\" style=\"fill:currentColor\" class=\"ColorScheme-Text\"/>", 0xF0, 0x10, 0x80},
      {"no class", "<rect x=\"0\" y=\"0\" width=\"16\" height=\"16\" style=\"fill:currentColor\"/>", 0xF0, 0x10, 0x80},
      {"highlight class", "<rect x=\"0\" y=\"0\" width=\"16\" height=\"16\" style=\"fill:currentColor\" class=\"ColorScheme-Highlight\"/>", 0x3D, 0xAE, 0xE9},
      {"literal colour", "<rect x=\"0\" y=\"0\" width=\"16\" height=\"16\" style=\"fill:#20bcfa\"/>", 0x20, 0xBC, 0xFA},
      {"attribute fill", "<rect x=\"0\" y=\"0\" width=\"16\" height=\"16\" fill=\"currentColor\" class=\"ColorScheme-Text\"/>", 0xF0, 0x10, 0x80},
  };
  for (const auto& c : cases)
    for (int size : {16, 32}) {
      std::vector<BYTE> bgra;
      ASSERT_TRUE(QORPRenderSvgIcon(Svg(c.body).c_str(), size, tint, bgra)) << c.what;
      ASSERT_EQ(bgra.size(), static_cast<size_t>(size) * size * 4) << c.what;
      const Px p = At(bgra, size, size / 2, size / 2);
      EXPECT_EQ(p.a, 255) << c.what << " at " << size;
      EXPECT_NEAR(p.r, c.r, 2) << c.what << " at " << size;
      EXPECT_NEAR(p.g, c.g, 2) << c.what << " at " << size;
      EXPECT_NEAR(p.b, c.b, 2) << c.what << " at " << size;
    }
}

TEST(SvgIcons, PartlyCoveredPixelsKeepTheColourWithTheirAlpha) {
  // Straight alpha: a half-transparent part and the anti-aliased rim of a circle are the tint
  // itself at part coverage, not the tint darkened toward black.
  const COLORREF tint = RGB(0xF0, 0x10, 0x80);
  const std::string svg =
      Svg("<rect x=\"0\" y=\"0\" width=\"16\" height=\"8\" fill=\"currentColor\" fill-opacity=\".5\" class=\"ColorScheme-Text\"/>"
          "<circle cx=\"8\" cy=\"12\" r=\"3.3\" fill=\"currentColor\" class=\"ColorScheme-Text\"/>");
  for (int size : {16, 32}) {
    std::vector<BYTE> bgra;
    ASSERT_TRUE(QORPRenderSvgIcon(svg.c_str(), size, tint, bgra));
    const Px half = At(bgra, size, size / 2, size / 4);
    EXPECT_NEAR(half.a, 128, 2) << size;
    int partial = 0;
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        const Px p = At(bgra, size, x, y);
        if (p.a < 24) continue;
        partial += p.a < 255 ? 1 : 0;
        // Premultiplied to eight bits and back, a faint pixel's colour is only known roughly.
        const double tol = 4.0 + 2.0 * 255.0 / p.a;
        EXPECT_NEAR(p.r, 0xF0, tol) << x << "," << y << " alpha " << p.a << " at " << size;
        EXPECT_NEAR(p.g, 0x10, tol) << x << "," << y << " alpha " << p.a << " at " << size;
        EXPECT_NEAR(p.b, 0x80, tol) << x << "," << y << " alpha " << p.a << " at " << size;
      }
    EXPECT_GT(partial, size) << "part-covered pixels were looked at";
  }
}

TEST(SvgIcons, ShapesKeepTheirPlaceAndTheRestIsClear) {
  // The left half filled: its pixels opaque, the right half clear.
  const std::string svg = Svg("<rect x=\"0\" y=\"0\" width=\"8\" height=\"16\" style=\"fill:currentColor\" class=\"ColorScheme-Text\"/>");
  for (int size : {16, 32}) {
    std::vector<BYTE> bgra;
    ASSERT_TRUE(QORPRenderSvgIcon(svg.c_str(), size, RGB(0, 0, 0), bgra));
    EXPECT_EQ(At(bgra, size, size / 4, size / 2).a, 255) << size;
    EXPECT_EQ(At(bgra, size, size * 3 / 4, size / 2).a, 0) << size;
  }
}

TEST(SvgIcons, TextThatIsNoDrawingGivesNothing) {
  for (const char* text : {"", "not a drawing", "<svg", "<html><body/></html>"}) {
    std::vector<BYTE> bgra;
    std::vector<BYTE> none;
    const BOOL ok = QORPRenderSvgIcon(text, 16, RGB(0, 0, 0), bgra);
    // Either refused, or a picture with nothing drawn.
    bool drawn = false;
    for (size_t i = 3; i < bgra.size(); i += 4) drawn = drawn || bgra[i] != 0;
    EXPECT_FALSE(ok && drawn) << text;
  }
  std::vector<BYTE> bgra;
  EXPECT_FALSE(QORPRenderSvgIcon(nullptr, 16, RGB(0, 0, 0), bgra));
}

TEST(SvgIcons, RibbonButtonsShowTheSvgIconOrNone) {
  // A square of the text class: the button's picture is that square in the captions' colour;
  // a command without an icon gets a picture with nothing drawn.
  const std::string svg = Svg("<rect x=\"2\" y=\"2\" width=\"12\" height=\"12\" style=\"fill:currentColor\" class=\"ColorScheme-Text\"/>");
  CQORPRibbonBar bar;
  bar.SetIconSvg(7001, svg.c_str(), svg.c_str());
  std::unique_ptr<CQORPControl> withIcon = QORPCreateControl(QORP_CONTROL_BUTTON, 7001);
  std::unique_ptr<CQORPControl> without = QORPCreateControl(QORP_CONTROL_BUTTON, 7002);
  without->SetCaption(L"Paste");
  const COLORREF caption = CQORPPaintManager::Get()->GetColor(QORP_CLR_TAB_LABEL);
  for (int size : {16, 32}) {
    const wxImage icon = bar.GetImpl()->IconFor(withIcon.get(), size).ConvertToImage();
    ASSERT_EQ(icon.GetWidth(), size);
    ASSERT_TRUE(icon.HasAlpha());
    EXPECT_EQ(icon.GetAlpha(size / 2, size / 2), 255) << size;
    EXPECT_NEAR(icon.GetRed(size / 2, size / 2), GetRValue(caption), 2) << size;
    EXPECT_NEAR(icon.GetGreen(size / 2, size / 2), GetGValue(caption), 2) << size;
    EXPECT_NEAR(icon.GetBlue(size / 2, size / 2), GetBValue(caption), 2) << size;
    EXPECT_EQ(icon.GetAlpha(0, 0), 0) << size;
    const wxImage none = bar.GetImpl()->IconFor(without.get(), size).ConvertToImage();
    ASSERT_EQ(none.GetWidth(), size);
    bool drawn = !none.HasAlpha();
    for (int y = 0; !drawn && y < size; ++y)
      for (int x = 0; x < size; ++x) drawn = drawn || none.GetAlpha(x, y) != 0;
    EXPECT_FALSE(drawn) << "a command without an icon shows no made-up picture, at " << size;
  }
}

}  // namespace
