// A page of 20,000 squares about as large as the page, drawn as the pages pane draws a page's
// thumbnail: into a 160 x 200 picture, clipped to it, on a 200 x 1000 pane bitmap through a memory
// device context, the page scaled down to fit (each square's outline touches most of the
// picture). Arg 0 brings each drawing call's pixels to the pane's bitmap as it is made; arg 1
// holds them back until the page is drawn (LwHoldSync), as the pane does.
#include <benchmark/benchmark.h>

#include <gdiplus/gdiplus.h>
#include <gdi/wingdi.h>

#include "PageBusiPage.h"
#include "PageShapeObj.h"

namespace {

void BM_PagesPaneThumbnailOfManySquares(benchmark::State& state) {
  constexpr int kSquares = 20000;
  CPageBusiPage page;
  page.AddRef();
  for (int i = 0; i < kSquares; ++i) {
    auto* shape = new CPageShapeObj;
    shape->AddRectanglePath({0, 0, 760, 980});
    shape->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(static_cast<float>(i % 40), 10), false);
    shape->SetFillKind(Vectorloom::RENDER_KIND_SOLID);
    shape->CreatePathStorage();
    page.AddShapeObject(shape);
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 200, 1000);
  HGDIOBJ old = SelectObject(dc, bmp);
  for (auto _ : state) {
    Gdiplus::Graphics g(dc);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetClip(Gdiplus::Rect(20, 20, 160, 200));
    Gdiplus::Matrix m;
    m.Scale(0.2f, 0.2f, Gdiplus::MatrixOrderAppend);
    m.Translate(20, 20, Gdiplus::MatrixOrderAppend);
    if (state.range(0)) g.LwHoldSync();
    page.DrawAllObjects(&g, m);
    if (state.range(0)) g.LwReleaseSync();
  }
  state.SetItemsProcessed(state.iterations() * kSquares);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}
BENCHMARK(BM_PagesPaneThumbnailOfManySquares)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
