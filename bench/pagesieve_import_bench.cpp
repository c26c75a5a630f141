// Parsing every page of a generated 100-page PDF (text in an embedded TrueType subset, paths, a
// gradient and an image on each page) through the PDF engine, with a parser that copies nothing.
// Reports pages per second (items_per_second); compare with
//   mutool draw -F stext -o /dev/null <the same file>
// on the file this bench writes to the temporary folder.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "PdfFixtures.h"
#include "TestSupport.h"
#include "cpdfEngine.h"
#include "lwstr.h"

namespace {

struct Counter : CPdfParseInterface {
  long records = 0;
  void OnTextObject(const PdfTextRecord*) override { ++records; }
  void OnImageObject(const PdfImageRecord*) override { ++records; }
  void OnPathObject(const PdfPathRecord*) override { ++records; }
  void OnFontResource(const PdfFontRecord*) override { ++records; }
};

const std::filesystem::path& HundredPages() {
  static const std::filesystem::path path = [] {
    std::filesystem::path p = std::filesystem::temp_directory_path() / "pagesieve_bench_100.pdf";
    lwtest::WriteFileBytes(p, lwtest::MakeCairoPdf(100));
    return p;
  }();
  return path;
}

void BM_ImportAllPages(benchmark::State& state) {
  std::wstring path = lw::Utf8ToWide(HundredPages().string());
  for (auto _ : state) {
    cpdfEngine engine(path.c_str(), false);
    Counter c;
    int n = engine.Get_Pages_Counts();
    for (int page = 1; page <= n; ++page) engine.parse_pdf_page(page, &c);
    benchmark::DoNotOptimize(c.records);
  }
  // items_per_second = pages per second; 1000 / that = milliseconds per page.
  state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_ImportAllPages)->Unit(benchmark::kMillisecond);

// One page of an open engine: the steady state of page loading.
void BM_ImportOnePage(benchmark::State& state) {
  cpdfEngine engine(lw::Utf8ToWide(HundredPages().string()).c_str(), false);
  int page = 1;
  for (auto _ : state) {
    Counter c;
    engine.parse_pdf_page(page, &c);
    page = page % 100 + 1;
    benchmark::DoNotOptimize(c.records);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ImportOnePage)->Unit(benchmark::kMillisecond);

}  // namespace
