// Redrawing a page of 2,000 shapes through the core object library and GDI+: solid, gradient and
// translucent picture fills, strokes, rectangles and curves; and hit tests and bounds queries
// over the same page.
#include <benchmark/benchmark.h>
#include <gdiplus.h>
#include <vectorloom/Vectorloom.h>

#include <cmath>

using namespace Vectorloom;

namespace {

constexpr int kColumns = 50, kRows = 40;  // 2,000 objects
constexpr float kCell = 20;

// A photo-sized picture shared by the picture fills.
CBitmapResObj* MakePicture() {
  constexpr int kSide = 512;
  auto* bmp = new Gdiplus::Bitmap(kSide, kSide, Gdiplus::PixelFormat32bppARGB);
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) bmp->SetPixel(x, y, Gdiplus::Color(255, static_cast<BYTE>(x / 2), static_cast<BYTE>(y / 2), 128));
  auto* res = new CExternalBmpResObj(CString(L"bench.png"), 1, 1);
  res->SetGdiBitmap(bmp, nullptr, 1);
  return res;
}

CCustomPathObj* MakeShape(int i, CBitmapResObj* picture) {
  auto* s = new CCustomPathObj;
  const int kind = i % 4;
  if (kind == 0) {
    s->AddRectanglePath({0, 0, 16, 16});
  } else {
    // A closed curve of eight nodes with controls.
    CBaseCustomPath sub;
    for (int k = 0; k < 8; ++k) {
      const double a = k * 3.14159265358979 / 4, r = (k % 2) ? 5 : 8;
      CQorVectorEdgeNode n(static_cast<float>(8 + r * std::cos(a)), static_cast<float>(8 + r * std::sin(a)));
      n.ptOut = {n.pt.x + 1.5f, n.pt.y - 1.0f};
      n.ptIn = {n.pt.x - 1.5f, n.pt.y + 1.0f};
      n.bHasOut = n.bHasIn = 1;
      sub.AddNode(n);
    }
    sub.SetClosed(true);
    s->AddSubPath(sub);
  }
  s->SetTransMatrix(CQorTransMatrix::Translation((i % kColumns) * kCell, (i / kColumns) * kCell), false);
  s->SetStrokeColor(RGB(20, 20, 20));
  s->SetStrokeWidth(1.5f);
  switch (kind) {
    case 0:
      s->SetFillColor(RGB(200, 40, 40));
      break;
    case 1:
    case 2: {
      CLocalGradientColorsDefine g;
      g.SetGradientType(kind == 1 ? GRADIENT_LINEAR : GRADIENT_RADIAL);
      g.AddColorStop(RGB(255, 0, 0), 255, 0);
      g.AddColorStop(RGB(0, 255, 0), 255, 2048);
      g.AddColorStop(RGB(0, 0, 255), 255, 4096);
      s->GetFillDefinition().SetGradientDefiniton(g);
      s->SetFillKind(RENDER_KIND_GRADIENT);
      break;
    }
    default:
      s->GetFillDefinition().SetRenderBitmap(picture);
      s->SetFillKind(RENDER_KIND_BITMAP);
      s->SetFilledTransparency(100);
      break;
  }
  s->CreatePathStorage();
  return s;
}

struct Page {
  CRenderPage* page = new CRenderPage;
  Page() {
    page->AddRef();
    CBitmapResObj* picture = MakePicture();
    picture->AddRef();
    for (int i = 0; i < kColumns * kRows; ++i) page->GetRenderObjectList().AddElement(MakeShape(i, picture));
    picture->Release();
  }
  ~Page() { page->Release(); }
};

void BM_RedrawPageOf2000Shapes(benchmark::State& state) {
  Page p;
  Gdiplus::Bitmap target(static_cast<INT>(kColumns * kCell), static_cast<INT>(kRows * kCell), Gdiplus::PixelFormat32bppARGB);
  Gdiplus::Graphics g(&target);
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  const Gdiplus::Matrix view;
  for (auto _ : state) {
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    p.page->DrawAllObjects(&g, view);
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}
BENCHMARK(BM_RedrawPageOf2000Shapes)->Unit(benchmark::kMillisecond);

void BM_HitTestAndBoundsOf2000Shapes(benchmark::State& state) {
  Page p;
  for (auto _ : state) {
    int hits = 0;
    float area = 0;
    for (CRenderBaseObj* obj : p.page->GetRenderObjectList()) {
      const CQorVectorRect<float> b = obj->CalcuBoundRect();
      area += b.Width() * b.Height();
      hits += obj->HitTest({b.left + 8, b.top + 8}, 2) ? 1 : 0;
    }
    benchmark::DoNotOptimize(hits);
    benchmark::DoNotOptimize(area);
  }
  state.SetItemsProcessed(state.iterations() * kColumns * kRows);
}
BENCHMARK(BM_HitTestAndBoundsOf2000Shapes)->Unit(benchmark::kMillisecond);

}  // namespace
