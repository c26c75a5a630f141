// The library's text object: glyph outlines laid along a line, its font switches, drawing, and
// the shape it converts to.
#include <gtest/gtest.h>

#include <gdiplus.h>

#include <cmath>

#include "ObjectStreamTestSupport.h"
#include <vectorloom/TextObj.h>

using namespace vltest;

namespace {

constexpr const wchar_t* kFace = L"Liberation Sans";  // the metric twin of Arial

CQorVectorRect<float> OutlineBounds(const CTextObj& t) { return t.CalcuCoordBoundRect(); }

CTextObj Laid(const wchar_t* text, float size, bool bold = false, bool italic = false) {
  CTextObj t(CString(text), size, RGB(200, 0, 0));
  t.SetAllCharsFaceName(kFace);
  t.SetAllCharsBold(bold);
  t.SetAllCharsItalic(italic);
  EXPECT_TRUE(t.BuildGlyphPath()) << text;
  return t;
}

TEST(TextObj, GlyphsAreLaidOnOneLineAtTheSizeInPoints) {
  struct Case {
    const wchar_t* text;
    float size;  // points
  };
  for (const Case& c : {Case{L"H", 14}, Case{L"HHHH", 14}, Case{L"H", 10}, Case{L"H", 72}}) {
    const CTextObj t = Laid(c.text, c.size);
    const float em = c.size * 96 / 72;
    const CQorVectorRect<float> b = OutlineBounds(t);
    // The capital H stands 1409/2048 em tall on the baseline; the line starts at x = 0.
    EXPECT_NEAR(b.Height(), 1409.0f / 2048 * em, 0.01f * em) << c.size;
    EXPECT_NEAR(b.bottom, t.GetTextExtent().cy * 0.905f / (0.905f + 0.212f), 0.03f * em);  // the baseline
    EXPECT_GE(b.left, 0);
    EXPECT_LE(b.right, t.GetTextExtent().cx);
    EXPECT_NEAR(t.GetTextExtent().cx, 0.722f * em * std::wcslen(c.text), 0.02f * em * std::wcslen(c.text));
    EXPECT_EQ(t.GetSubPathsCount(), static_cast<int>(std::wcslen(c.text)));  // H is one contour
    for (const CBaseCustomPath& p : t.GetSubPaths()) EXPECT_TRUE(p.IsClosed());
  }
}

TEST(TextObj, CurvesComeOutAsBezierNodes) {
  const CTextObj t = Laid(L"O", 40);
  ASSERT_EQ(t.GetSubPathsCount(), 2);  // outer and inner ring
  int curved = 0;
  for (const CBaseCustomPath& p : t.GetSubPaths())
    for (const CQorVectorEdgeNode& n : p.GetNodes()) curved += n.bHasOut;
  EXPECT_GT(curved, 4);
  const CQorVectorRect<float> b = OutlineBounds(t);
  EXPECT_NEAR(b.Width() / b.Height(), 1.0f, 0.1f);  // round, not flattened or stretched
}

TEST(TextObj, BoldWidensAndItalicLeans) {
  const CTextObj regular = Laid(L"Hello", 20);
  const CTextObj bold = Laid(L"Hello", 20, true);
  const CTextObj italic = Laid(L"l", 40, false, true);
  const CTextObj upright = Laid(L"l", 40);
  EXPECT_GT(bold.GetTextExtent().cx, regular.GetTextExtent().cx * 1.03f);
  EXPECT_TRUE(bold.IsBold());
  // An upright l is a bar as wide as its stem; a leaning one spans much more than its stem.
  EXPECT_GT(OutlineBounds(italic).Width(), OutlineBounds(upright).Width() * 2);
}

TEST(TextObj, NothingToLayGivesNoOutline) {
  struct Case {
    const wchar_t* text;
    float size;
  };
  for (const Case& c : {Case{L"", 12}, Case{L"A", 0}, Case{L"A", -3}, Case{L"A", std::nanf("")},
                        Case{L"A", std::numeric_limits<float>::infinity()}}) {
    CTextObj t(CString(c.text), c.size, 0);
    EXPECT_FALSE(t.BuildGlyphPath()) << c.size;
    EXPECT_EQ(t.GetSubPathsCount(), 0);
  }
  // Blanks lay an advance and no outline.
  CTextObj blank(CString(L"   "), 12, 0);
  EXPECT_TRUE(blank.BuildGlyphPath());
  EXPECT_EQ(blank.GetSubPathsCount(), 0);
  EXPECT_GT(blank.GetTextExtent().cx, 0);
  // A change of font forgets the outline.
  CTextObj t = Laid(L"A", 12);
  t.SetAllCharsBold(true);
  EXPECT_EQ(t.GetSubPathsCount(), 0);
}

// A document whose code 0 makes something that is not a path shape.
class OddDoc : public CWorkspaceDoc {
 public:
  CRenderBaseObj* CreateNewObject(int type) override {
    return type == RENDER_OBJ_SHAPE ? new CRenderBaseObj(RENDER_OBJ_SHAPE) : nullptr;
  }
};

TEST(TextObj, ConvertsToAPlainFilledShape) {
  CTextObj t = Laid(L"Ab", 14);
  t.SetTransMatrix(CQorTransMatrix::Translation(30, 40), true);
  CWorkspaceDoc doc;
  for (CWorkspaceDoc* pDoc : {static_cast<CWorkspaceDoc*>(nullptr), &doc}) {
    CCustomPathObj* s = t.ConvertToShapeObj(pDoc);
    ASSERT_NE(s, nullptr);
    s->AddRef();
    EXPECT_EQ(s->GetObjectType(), RENDER_OBJ_SHAPE);
    EXPECT_EQ(s->GetSubPaths(), t.GetSubPaths());
    EXPECT_EQ(s->GetTransMatrix(), t.GetTransMatrix());
    EXPECT_EQ(s->GetFillColor(), RGB(200, 0, 0));
    EXPECT_TRUE(s->IsFilled());
    EXPECT_FALSE(s->IsStroked());
    EXPECT_EQ(s->GetFillRule(), FILL_RULE_NONZERO);
    EXPECT_EQ(s->CalcuBoundRect(), t.CalcuBoundRect());
    s->Release();
  }
  EXPECT_EQ(t.GetObjectType(), RENDER_OBJ_CORETEXT);
  OddDoc odd;
  EXPECT_EQ(t.ConvertToShapeObj(&odd), nullptr);
}

TEST(TextObj, DrawsItsGlyphsInItsColour) {
  CTextObj t(CString(L"I"), 60, RGB(0, 0, 255));
  t.SetAllCharsFaceName(kFace);
  ASSERT_TRUE(t.BuildGlyphPath());
  t.SetTransMatrix(CQorTransMatrix::Translation(10, 0), true);
  Gdiplus::Bitmap bitmap(100, 100, Gdiplus::PixelFormat32bppARGB);
  Gdiplus::Graphics g(&bitmap);
  g.Clear(Gdiplus::Color(255, 255, 255, 255));
  Gdiplus::Matrix identity;
  t.Draw(&g, identity);
  const CQorVectorRect<float> b = t.CalcuBoundRect();
  Gdiplus::Color inside, outside;
  bitmap.GetPixel(static_cast<INT>((b.left + b.right) / 2), static_cast<INT>((b.top + b.bottom) / 2), &inside);
  bitmap.GetPixel(static_cast<INT>(b.right) + 5, static_cast<INT>((b.top + b.bottom) / 2), &outside);
  EXPECT_EQ(inside.GetBlue(), 255);
  EXPECT_LT(inside.GetRed(), 10);
  EXPECT_EQ(outside.GetRed(), 255);
}

}  // namespace
