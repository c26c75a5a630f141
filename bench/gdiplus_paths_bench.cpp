// Drawing a page-sized scene of paths as the page view does: an A4 page at 96 dpi (794 x 1123
// pixels), antialiased, under a zoom matrix, with filled and stroked shapes, gradient fills,
// dashed outlines and some thousand small glyph-like outlines.
#include <benchmark/benchmark.h>
#include <gdiplus.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace Gdiplus;

namespace {

constexpr INT kPageW = 794, kPageH = 1123;

struct Scene {
  std::vector<GraphicsPath> shapes;  // filled and stroked
  std::vector<GraphicsPath> glyphs;  // filled only
};

// A closed outline of Beziers shaped like a letter 'o', 8 units across.
void AddGlyph(GraphicsPath& p, REAL x, REAL y) {
  p.AddEllipse(x, y, 8.0f, 10.0f);
  p.AddEllipse(x + 2, y + 2, 4.0f, 6.0f);
}

const Scene& BuildScene() {
  static const Scene scene = [] {
    Scene s;
    for (int i = 0; i < 60; ++i) {
      GraphicsPath p(FillModeWinding);
      const REAL x = static_cast<REAL>(40 + (i % 6) * 120), y = static_cast<REAL>(40 + (i / 6) * 100);
      switch (i % 3) {
        case 0:
          p.AddRectangle(RectF(x, y, 90, 70));
          break;
        case 1:
          p.AddEllipse(x, y, 90.0f, 70.0f);
          break;
        default:
          p.AddBezier(x, y + 70, x + 10, y - 20, x + 80, y + 90, x + 90, y);
          p.AddLine(x + 90, y, x + 45, y + 70);
          p.CloseFigure();
          break;
      }
      s.shapes.push_back(std::move(p));
    }
    // Forty lines of sixty glyphs, grouped ten to a path as a text box holds one per character.
    for (int line = 0; line < 40; ++line) {
      for (int word = 0; word < 6; ++word) {
        GraphicsPath p(FillModeAlternate);
        for (int c = 0; c < 10; ++c) {
          AddGlyph(p, static_cast<REAL>(30 + word * 120 + c * 11), static_cast<REAL>(20 + line * 27));
        }
        s.glyphs.push_back(std::move(p));
      }
    }
    return s;
  }();
  return scene;
}

void DrawScene(Graphics& g, const Scene& s) {
  SolidBrush white(Color(Color::White));
  g.FillRectangle(&white, 0, 0, kPageW, kPageH);
  LinearGradientBrush gradient(PointF(0, 0), PointF(200, 120), Color(255, 30, 90, 200), Color(255, 250, 220, 60));
  SolidBrush fill(Color(200, 200, 40, 40));
  Pen outline(Color(255, 20, 20, 20), 2.5f);
  Pen dashed(Color(255, 0, 120, 0), 1.5f);
  dashed.SetDashStyle(DashStyleDash);
  SolidBrush ink(Color(Color::Black));
  for (size_t i = 0; i < s.shapes.size(); ++i) {
    g.FillPath(i % 2 ? static_cast<const Brush*>(&gradient) : &fill, &s.shapes[i]);
    g.DrawPath(i % 4 == 3 ? &dashed : &outline, &s.shapes[i]);
  }
  for (const GraphicsPath& p : s.glyphs) g.FillPath(&ink, &p);
}

void BM_DrawPageScene(benchmark::State& state) {
  const Scene& scene = BuildScene();
  Bitmap page(kPageW, kPageH, PixelFormat32bppARGB);
  for (auto _ : state) {
    Graphics g(&page);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.SetInterpolationMode(InterpolationModeHighQualityBicubic);
    Matrix zoom;
    zoom.Scale(0.9f, 0.9f, MatrixOrderAppend);
    zoom.Translate(30, 40, MatrixOrderAppend);
    g.SetTransform(&zoom);
    DrawScene(g, scene);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(scene.shapes.size() + scene.glyphs.size()));
}
BENCHMARK(BM_DrawPageScene)->Unit(benchmark::kMillisecond);

// The same scene drawn through a clip that is not a plain intersection (drawn through a mask).
void BM_DrawPageSceneMaskedClip(benchmark::State& state) {
  const Scene& scene = BuildScene();
  Bitmap page(kPageW, kPageH, PixelFormat32bppARGB);
  for (auto _ : state) {
    Graphics g(&page);
    g.SetSmoothingMode(SmoothingModeAntiAlias);
    g.SetClip(RectF(0, 0, kPageW, kPageH));
    g.SetClip(RectF(200, 300, 300, 300), CombineModeExclude);
    DrawScene(g, scene);
  }
}
BENCHMARK(BM_DrawPageSceneMaskedClip)->Unit(benchmark::kMillisecond);

}  // namespace
