// Laying out and hit-testing a font-face gallery of many faces, as each drop-down opening and
// each pointer move over it does.
#include <benchmark/benchmark.h>

#include <QorpGallery.h>

#include <string>

namespace {

void FillFaces(CQORPControlGalleryItems& items, int n) {
  items.SetItemSize(CSize(0, 26));
  for (int i = 0; i < n; ++i) items.AddItem((L"Face " + std::to_wstring(i)).c_str());
}

void BM_LayoutFaces(benchmark::State& state) {
  CQORPControlGalleryItems items;
  FillFaces(items, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(QORPGalleryLayout::Compute(&items, 290).cyContent);
}
BENCHMARK(BM_LayoutFaces)->Arg(300)->Arg(2000);

void BM_HitTestFaces(benchmark::State& state) {
  CQORPControlGalleryItems items;
  FillFaces(items, static_cast<int>(state.range(0)));
  const QORPGalleryLayout layout = QORPGalleryLayout::Compute(&items, 290);
  int y = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(layout.HitTest(CPoint(100, y)));
    y = (y + 37) % layout.cyContent;
  }
}
BENCHMARK(BM_HitTestFaces)->Arg(300)->Arg(2000);

}  // namespace
