// Drawing of shapes and pages through the GDI+ layer, checked by probing pixels.
#include <gtest/gtest.h>

#include <gdiplus.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ObjectStreamTestSupport.h"

using namespace vltest;

namespace {

struct Canvas {
  Gdiplus::Bitmap bitmap{100, 100, Gdiplus::PixelFormat32bppARGB};
  Gdiplus::Graphics g{&bitmap};
  Canvas() { g.Clear(Gdiplus::Color(255, 255, 255, 255)); }
  COLORREF At(int x, int y) {
    Gdiplus::Color c;
    bitmap.GetPixel(x, y, &c);
    return RGB(c.GetRed(), c.GetGreen(), c.GetBlue());
  }
};

bool Near(COLORREF a, COLORREF b, int tolerance = 3) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance && std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

// A 50 x 50 square at (10, 10), filled red, not stroked.
CCustomPathObj* Square() {
  auto* s = new CCustomPathObj;
  s->AddRectanglePath({0, 0, 50, 50});
  s->SetTransMatrix(CQorTransMatrix::Translation(10, 10), true);
  s->SetFillColor(RGB(255, 0, 0));
  s->SetStrokeOutlineFlag(0);
  return s;
}

struct Probe {
  int x, y;
  COLORREF expected;
};

void Check(Canvas& c, std::initializer_list<Probe> probes, int tolerance = 3) {
  for (const Probe& p : probes)
    EXPECT_TRUE(Near(c.At(p.x, p.y), p.expected, tolerance))
        << "at " << p.x << "," << p.y << ": " << std::hex << c.At(p.x, p.y) << " expected " << p.expected;
}

const Gdiplus::Matrix kIdentity;

}  // namespace

TEST(ShapeDrawing, SolidFillAndTransparency) {
  Canvas c;
  Held s(Square());
  s->Draw(&c.g, kIdentity);
  Check(c, {{35, 35, RGB(255, 0, 0)}, {5, 5, RGB(255, 255, 255)}, {65, 35, RGB(255, 255, 255)}});

  Canvas half;
  static_cast<CBaseShapeObj*>(s.p)->SetFilledTransparency(128);  // about half over white
  s->Draw(&half.g, kIdentity);
  Check(half, {{35, 35, RGB(255, 127, 127)}});

  Canvas off;
  static_cast<CBaseShapeObj*>(s.p)->SetFillInsideFlag(0);
  s->Draw(&off.g, kIdentity);
  Check(off, {{35, 35, RGB(255, 255, 255)}});
}

TEST(ShapeDrawing, GradientFills) {
  Held s(Square());
  auto* shape = static_cast<CBaseShapeObj*>(s.p);
  CLocalGradientColorsDefine g;
  g.AddColorStop(RGB(255, 0, 0), 255, 0);
  g.AddColorStop(RGB(0, 0, 255), 255, 4096);
  shape->GetFillDefinition().SetGradientDefiniton(g);
  shape->SetFillKind(RENDER_KIND_GRADIENT);
  Canvas linear;
  s->Draw(&linear.g, kIdentity);
  Check(linear, {{11, 35, RGB(250, 0, 5)}, {58, 35, RGB(10, 0, 245)}, {35, 35, RGB(127, 0, 128)}});
  EXPECT_TRUE(Near(linear.At(35, 12), linear.At(35, 58)));  // angle 0: no change down the square

  shape->GetFillDefinition().GetGradientDefinition().SetGradientType(GRADIENT_RADIAL);
  Canvas radial;
  s->Draw(&radial.g, kIdentity);
  Check(radial, {{35, 35, RGB(255, 0, 0)}, {5, 5, RGB(255, 255, 255)}}, 8);
  EXPECT_GT(GetBValue(radial.At(35, 12)), 150);  // near the edge: the outer colour

  // A middle stop counts for both kinds: green half-way out from the centre, and half-way across.
  shape->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(0, 255, 0), 255, 2048);
  Canvas radial3;
  s->Draw(&radial3.g, kIdentity);
  Check(radial3, {{35, 35, RGB(255, 0, 0)}, {22, 35, RGB(0, 255, 0)}, {35, 48, RGB(0, 255, 0)}}, 24);
  shape->GetFillDefinition().GetGradientDefinition().SetGradientType(GRADIENT_LINEAR);
  Canvas linear3;
  s->Draw(&linear3.g, kIdentity);
  Check(linear3, {{35, 35, RGB(0, 255, 0)}}, 8);
}

TEST(ShapeDrawing, PictureFillIsStretchedOverTheShape) {
  auto* picture = new Gdiplus::Bitmap(2, 2, Gdiplus::PixelFormat32bppARGB);
  picture->SetPixel(0, 0, Gdiplus::Color(255, 255, 0, 0));
  picture->SetPixel(1, 0, Gdiplus::Color(255, 0, 255, 0));
  picture->SetPixel(0, 1, Gdiplus::Color(255, 0, 0, 255));
  picture->SetPixel(1, 1, Gdiplus::Color(255, 0, 0, 0));
  auto* res = new CExternalBmpResObj(CString(L"p.png"), 1, 1);
  res->SetGdiBitmap(picture, nullptr, 1);
  Held s(Square());
  auto* shape = static_cast<CBaseShapeObj*>(s.p);
  shape->GetFillDefinition().SetRenderBitmap(res);
  shape->SetFillKind(RENDER_KIND_BITMAP);
  // Pixel edges on whole numbers: the square covers pixels 10 to 59 exactly (see the next test for
  // squares that fall between pixels).
  Canvas c;
  c.g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  s->Draw(&c.g, kIdentity);
  Check(c, {{22, 22, RGB(255, 0, 0)}, {47, 22, RGB(0, 255, 0)}, {22, 47, RGB(0, 0, 255)}, {47, 47, RGB(0, 0, 0)},
            {65, 65, RGB(255, 255, 255)}});

  shape->SetFilledTransparency(128);  // about half over white
  Canvas faded;
  faded.g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  s->Draw(&faded.g, kIdentity);
  Check(faded, {{22, 22, RGB(255, 127, 127)}, {47, 47, RGB(127, 127, 127)}});
}

// A picture at a fractional position covers every pixel it touches, whole, as PDF renderers draw
// images: no light fringe of half-covered pixels on its edges; turned pictures are drawn as they
// fall. The pixel offset decides where pixel edges are.
TEST(ShapeDrawing, UprightPicturesCoverWholePixels) {
  struct Case {
    Gdiplus::PixelOffsetMode mode;
    float x, y;       // where the 10.3 x 5.2 picture goes
    int first, last;  // the first and last columns it covers
    int top, bottom;  // rows
  };
  const Case cases[] = {{Gdiplus::PixelOffsetModeHalf, 10.3f, 20.4f, 10, 20, 20, 25},
                        {Gdiplus::PixelOffsetModeNone, 10.3f, 20.4f, 10, 21, 20, 26}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.mode));
    auto* picture = new Gdiplus::Bitmap(1, 1, Gdiplus::PixelFormat32bppARGB);
    picture->SetPixel(0, 0, Gdiplus::Color(255, 0, 0, 255));
    auto* res = new CExternalBmpResObj(CString(L"p.png"), 1, 1);
    res->SetGdiBitmap(picture, nullptr, 1);
    auto* s = new CCustomPathObj;
    Held held(s);
    s->AddRectanglePath({0, 0, 10.3f, 5.2f});
    s->SetTransMatrix(CQorTransMatrix::Translation(c.x, c.y), true);
    s->SetStrokeOutlineFlag(0);
    s->GetFillDefinition().SetRenderBitmap(res);
    s->SetFillKind(RENDER_KIND_BITMAP);
    Canvas canvas;
    canvas.g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    canvas.g.SetPixelOffsetMode(c.mode);
    s->Draw(&canvas.g, kIdentity);
    const COLORREF blue = RGB(0, 0, 255), white = RGB(255, 255, 255);
    Check(canvas, {{c.first, 22, blue}, {c.last, 22, blue}, {c.first - 1, 22, white}, {c.last + 1, 22, white},
                   {15, c.top, blue}, {15, c.bottom, blue}, {15, c.top - 1, white}, {15, c.bottom + 1, white}});
  }
}

TEST(ShapeDrawing, StrokesWithDashAndTransparency) {
  Held s(Square());
  auto* shape = static_cast<CBaseShapeObj*>(s.p);
  shape->SetFillInsideFlag(0);
  shape->SetStrokeOutlineFlag(1);
  shape->SetStrokeColor(RGB(0, 0, 0));
  shape->SetStrokeWidth(3);
  auto countInk = [](Canvas& c) {
    int ink = 0;
    for (int x = 14; x < 56; ++x) ink += GetRValue(c.At(x, 10)) < 128;
    return ink;
  };
  Canvas solid;
  s->Draw(&solid.g, kIdentity);
  EXPECT_EQ(countInk(solid), 42);
  Check(solid, {{35, 35, RGB(255, 255, 255)}});

  shape->SetDashType(DASH_DASH);
  Canvas dashed;
  s->Draw(&dashed.g, kIdentity);
  const int ink = countInk(dashed);
  EXPECT_GT(ink, 10);
  EXPECT_LT(ink, 38);

  shape->SetDashType(DASH_SOLID);
  shape->SetStrokeTransparency(255);
  Canvas invisible;
  s->Draw(&invisible.g, kIdentity);
  EXPECT_EQ(countInk(invisible), 0);
}

TEST(ShapeDrawing, SelfOverlappingStarFollowsItsFillRule) {
  // A five-pointed star drawn in one stroke around (50, 50): its middle is wound twice.
  auto* star = new CCustomPathObj;
  Held held(star);
  CBaseCustomPath sub;
  for (int k = 0; k < 5; ++k) {
    const double a = (-90 + 144 * k) * 3.14159265358979 / 180;
    sub.AddNode(CQorVectorEdgeNode(static_cast<float>(50 + 40 * std::cos(a)), static_cast<float>(50 + 40 * std::sin(a))));
  }
  sub.SetClosed(true);
  star->AddSubPath(sub);
  star->SetFillColor(RGB(0, 0, 255));
  star->SetStrokeOutlineFlag(0);
  star->CreatePathStorage();
  const COLORREF blue = RGB(0, 0, 255), white = RGB(255, 255, 255);
  struct Case {
    int rule;
    COLORREF middle;
  } cases[] = {{FILL_RULE_EVEN_ODD, white}, {FILL_RULE_NONZERO, blue}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rule);
    star->SetFillRule(c.rule);
    Canvas canvas;
    star->Draw(&canvas.g, kIdentity);
    // The middle, a point of the star, and outside between two points.
    Check(canvas, {{50, 52, c.middle}, {50, 16, blue}, {50, 85, white}});
    EXPECT_EQ(star->HitTest({50, 52}, 0), c.middle == blue);
  }
}

TEST(ShapeDrawing, StrokeStyleReachesThePen) {
  // An open corner (20, 80) - (50, 20) - (80, 80) and a line (10, 92) - (60, 92), 6 wide.
  auto* shape = new CCustomPathObj;
  Held held(shape);
  CBaseCustomPath corner, line;
  for (auto [x, y] : {std::pair{20.0f, 80.0f}, {50.0f, 20.0f}, {80.0f, 80.0f}}) corner.AddNode(CQorVectorEdgeNode(x, y));
  line.AddNode(CQorVectorEdgeNode(10, 92));
  line.AddNode(CQorVectorEdgeNode(60, 92));
  shape->AddSubPath(corner);
  shape->AddSubPath(line);
  shape->SetFillInsideFlag(0);
  shape->SetStrokeWidth(6);
  const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255);
  struct Case {
    const char* name;
    std::function<void(CCustomPathObj&)> style;
    std::vector<Probe> probes;
  };
  // The miter's point reaches y = 13.3 (3 / sin 26.6 degrees above the corner), a bevel y = 18.7.
  const Case cases[] = {
      {"miter join, flat caps", [](CCustomPathObj&) {}, {{50, 15, black}, {63, 92, white}, {7, 92, white}, {35, 92, black}}},
      {"miter limit below the miter's length", [](CCustomPathObj& s) { s.SetMiterLimit(2); }, {{50, 15, white}, {50, 20, black}}},
      {"round join", [](CCustomPathObj& s) { s.SetLineJoin(LINE_JOIN_ROUND); }, {{50, 15, white}, {50, 18, black}}},
      {"arrow at the end, round start",
       [](CCustomPathObj& s) {
         s.SetEndCap(LINE_CAP_ARROW_ANCHOR);
         s.SetStartCap(LINE_CAP_ROUND);
       },
       {{63, 92, black}, {56, 88, black}, {8, 92, black}, {50, 15, black}}},
      {"custom dashes with an offset",
       [](CCustomPathObj& s) {
         s.SetDashPattern({2, 2});  // 12 on, 12 off
         s.SetDashOffset(1);
       },
       {{13, 92, black}, {22, 92, white}, {31, 92, black}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Held copy(shape->Clone());
    auto* s = static_cast<CCustomPathObj*>(copy.p);
    c.style(*s);
    Canvas canvas;
    s->Draw(&canvas.g, kIdentity);
    for (const Probe& p : c.probes)
      EXPECT_TRUE(Near(canvas.At(p.x, p.y), p.expected, 40)) << "at " << p.x << "," << p.y << ": " << std::hex << canvas.At(p.x, p.y);
  }
}

TEST(ShapeDrawing, ShadowsFollowTheSilhouette) {
  // The red square (10..60) with a shadow 5 down and right: black at transparency 128 is grey
  // over white where the square does not cover it.
  const COLORREF red = RGB(255, 0, 0), white = RGB(255, 255, 255), grey = RGB(127, 127, 127);
  auto shadowed = [](CRenderBaseObj* obj) {
    obj->SetShadowFlag(true);
    obj->SetShadowOffset({5, 5});
    obj->SetShadowColor(RGB(0, 0, 0));
    obj->SetShadowTransparency(128);
    return obj;
  };
  struct Case {
    const char* name;
    std::function<CRenderBaseObj*()> make;
    Gdiplus::Matrix view;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"filled square", [&] { return shadowed(Square()); }, Gdiplus::Matrix(),
       {{35, 35, red}, {62, 62, grey}, {62, 20, grey}, {12, 62, white}, {62, 12, white}, {67, 67, white}}},
      {"shadow off", [&] { CRenderBaseObj* o = shadowed(Square()); o->SetShadowFlag(false); return o; },
       Gdiplus::Matrix(), {{62, 62, white}}},
      {"outline only: the inside casts nothing",
       [&] {
         auto* s = static_cast<CBaseShapeObj*>(shadowed(Square()));
         s->SetFillInsideFlag(0);
         s->SetStrokeOutlineFlag(1);
         s->SetStrokeWidth(4);
         return s;
       },
       Gdiplus::Matrix(), {{35, 35, white}, {64, 40, grey}, {40, 64, grey}, {40, 40, white}}},
      {"through a zooming view", [&] { return shadowed(Square()); }, Gdiplus::Matrix(0.5f, 0, 0, 0.5f, 0, 0),
       {{20, 20, red}, {31, 31, grey}, {33, 33, white}}},
      {"a group casts one shadow",
       [&] {
         auto* group = new CRenderGroupObj;
         group->AddChild(Square());
         auto* second = new CCustomPathObj;
         second->AddRectanglePath({0, 0, 20, 20});
         second->SetTransMatrix(CQorTransMatrix::Translation(70, 70), true);
         second->SetFillColor(RGB(255, 0, 0));
         second->SetStrokeOutlineFlag(0);
         group->AddChild(second);
         return shadowed(group);
       },
       Gdiplus::Matrix(), {{62, 62, grey}, {92, 92, grey}, {35, 35, red}, {80, 80, red}, {66, 66, white}}},
      {"a group's shadow holds no shadows of its children",
       [&] {
         auto* group = new CRenderGroupObj;
         group->AddChild(shadowed(Square()));
         return shadowed(group);
       },
       // The child's shadow and the group's fall on 15..65; a shadow of the child's shadow would reach 70.
       Gdiplus::Matrix(), {{62, 62, RGB(63, 63, 63)}, {66, 66, white}, {35, 35, red}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Held obj(c.make());
    Canvas canvas;
    obj->Draw(&canvas.g, c.view);
    for (const Probe& p : c.probes)
      EXPECT_TRUE(Near(canvas.At(p.x, p.y), p.expected, 4)) << "at " << p.x << "," << p.y << ": " << std::hex << canvas.At(p.x, p.y);
  }
}

TEST(ShapeDrawing, KeptPathsFollowEveryChange) {
  // The shape keeps its path between draws, hit tests and bounds queries: each change of its
  // geometry must show at once. The square starts at (10, 10) - (60, 60); after each change the
  // point probe lies inside the shape and the old point does not.
  struct Case {
    const char* name;
    std::function<void(CCustomPathObj&)> change;
    CQorVectorPoint<float> now, before;
  };
  const Case cases[] = {
      {"sub-path added", [](CCustomPathObj& s) { s.AddRectanglePath({60, 60, 80, 80}); }, {75, 75}, {95, 95}},
      {"sub-paths replaced",
       [](CCustomPathObj& s) {
         s.RemoveAllSubPaths();
         s.AddSubPath(CBaseCustomPath(CQorVectorRect<float>(70, 0, 80, 10)));
       },
       {85, 15}, {35, 35}},
      {"node moved through GetSubPath",
       [](CCustomPathObj& s) { s.GetSubPath(0).GetNode(2).pt = {80, 80}; }, {75, 75}, {95, 95}},
      {"resized", [](CCustomPathObj& s) { s.ResizeObject({0, 0, 20, 20}); }, {25, 25}, {45, 45}},
      {"lengths scaled", [](CCustomPathObj& s) { s.ScaleLengthParam(0.5f, 0.5f); }, {20, 20}, {50, 50}},
      {"copied from another shape",
       [](CCustomPathObj& s) {
         CCustomPathObj other;
         other.AddRectanglePath({-20, -20, -10, -10});
         other.SetTransMatrix(CQorTransMatrix::Translation(80, 80), false);
         other.SetFillColor(RGB(255, 0, 0));
         s.Copy(other);
       },
       {65, 65}, {35, 35}},
      {"loaded", [](CCustomPathObj& s) {
         CCustomPathObj other;
         other.AddRectanglePath({0, 0, 30, 5});
         other.SetFillColor(RGB(255, 0, 0));
         CMemFile f;
         other.Save(f, CString(L"2010"));
         const std::vector<uint8_t> bytes = FileBytes(f);
         BytesFile in(std::vector<uint8_t>(bytes.begin() + 4, bytes.end()));  // after the type word
         CBitmapResObjsList bitmaps;
         ASSERT_TRUE(s.Load(in.file(), nullptr, bitmaps, CString(L"2010")));
       }, {25, 2}, {35, 35}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Held held(Square());
    auto* s = static_cast<CCustomPathObj*>(held.p);
    Canvas first;
    s->Draw(&first.g, kIdentity);  // the path is kept from here on
    ASSERT_TRUE(s->HitTest({35, 35}, 0));
    c.change(*s);
    EXPECT_TRUE(s->HitTest(c.now, 0));
    EXPECT_FALSE(s->HitTest(c.before, 0));
    Canvas after;
    s->Draw(&after.g, kIdentity);
    const COLORREF ink = after.At(static_cast<int>(c.now.x), static_cast<int>(c.now.y));
    EXPECT_TRUE(Near(ink, RGB(255, 0, 0))) << std::hex << ink;
    const CQorVectorRect<float> b = s->CalcuBoundRect();
    EXPECT_TRUE(b.PtInRect(c.now)) << b.left << "," << b.top << " " << b.right << "," << b.bottom;
  }
}

TEST(ShapeDrawing, FadedPictureFollowsThePictureAndTheTransparency) {
  auto solid = [](Gdiplus::Color c) {
    auto* bmp = new Gdiplus::Bitmap(4, 4, Gdiplus::PixelFormat32bppARGB);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) bmp->SetPixel(x, y, c);
    return bmp;
  };
  auto* res = new CExternalBmpResObj(CString(L"p.png"), 1, 1);
  res->SetGdiBitmap(solid(Gdiplus::Color(255, 255, 0, 0)), nullptr, 1);
  Held s(Square());
  auto* shape = static_cast<CBaseShapeObj*>(s.p);
  shape->GetFillDefinition().SetRenderBitmap(res);
  shape->SetFillKind(RENDER_KIND_BITMAP);
  shape->SetFilledTransparency(128);
  Canvas first;
  s->Draw(&first.g, kIdentity);
  Check(first, {{35, 35, RGB(255, 127, 127)}});
  shape->SetFilledTransparency(0);
  Canvas opaque;
  s->Draw(&opaque.g, kIdentity);
  Check(opaque, {{35, 35, RGB(255, 0, 0)}});
  shape->SetFilledTransparency(191);  // about a quarter
  Canvas quarter;
  s->Draw(&quarter.g, kIdentity);
  Check(quarter, {{35, 35, RGB(255, 191, 191)}});
  res->SetGdiBitmap(solid(Gdiplus::Color(255, 0, 0, 255)), nullptr, 1);
  Canvas replaced;
  s->Draw(&replaced.g, kIdentity);
  Check(replaced, {{35, 35, RGB(191, 191, 255)}});
}

TEST(PageDrawing, DrawsBackgroundThenObjectsInOrderThroughTheViewMatrix) {
  Held page(nullptr);
  auto* p = new CRenderPage;
  p->AddRef();
  auto* bg = new CCustomPathObj;
  bg->AddRectanglePath({0, 0, 50, 50});
  bg->SetFillColor(RGB(0, 255, 0));
  bg->SetStrokeOutlineFlag(0);
  p->SetBackgroundRenderObj(bg);
  CCustomPathObj* first = Square();
  CCustomPathObj* second = Square();
  second->SetFillColor(RGB(0, 0, 255));
  second->TransformObject(CQorTransMatrix::Translation(10, 0), true);
  auto* group = new CRenderGroupObj;
  group->AddChild(second);
  p->AddShapeObject(first);
  p->AddShapeObject(group);

  Canvas c;
  Gdiplus::Matrix view;
  view.Scale(0.5f, 0.5f);  // the page at half size
  p->DrawAllObjects(&c.g, view);
  Check(c, {{2, 2, RGB(0, 255, 0)},       // background only
            {7, 15, RGB(255, 0, 0)},      // first square only
            {20, 20, RGB(0, 0, 255)},     // the group's square lies over the first
            {40, 40, RGB(255, 255, 255)}});
  p->Release();
}
