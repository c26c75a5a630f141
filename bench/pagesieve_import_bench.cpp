// Parsing every page of a generated 100-page PDF (text in an embedded TrueType subset, paths, a
// gradient and an image on each page) through the PDF engine, with a parser that copies nothing.
// Reports pages per second (items_per_second); compare with
//   mutool draw -F stext -o /dev/null <the same file>
// on the file this bench writes to the temporary folder.
//
// BM_ImportOneLargeImageOnManyPages: one 8000 x 8000 image (arg 0: Flate-packed RGB, arg 1:
// JPEG) drawn over the whole of each of 32 letter pages; reports the peak resident size of the
// process as peak_rss_mb (ru_maxrss: the largest of the whole run, so run that case alone with
// --benchmark_filter to read it for that case). The file is made once in the temporary folder and
// kept: the first run's peak includes making it, a second run's is the import's alone.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <zlib.h>

#include <filesystem>
#include <string>
#include <vector>

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

// One 8000 x 8000 image drawn over the whole of each of 32 pages.
const std::filesystem::path& LargeImagePages(bool jpeg) {
  static std::filesystem::path paths[2];
  std::filesystem::path& p = paths[jpeg ? 1 : 0];
  if (!p.empty()) return p;
  p = std::filesystem::temp_directory_path() / (jpeg ? "pagesieve_bench_8000_jpeg.pdf" : "pagesieve_bench_8000.pdf");
  // Made once and left there: a second run measures the import alone.
  std::error_code ec;
  if (std::filesystem::file_size(p, ec) > 0 && !ec) return p;
  constexpr int kSide = 8000;
  lwtest::PdfBuilder b;
  int img;
  if (jpeg) {
    img = b.AddStream("/Type /XObject /Subtype /Image /Width 8000 /Height 8000 /ColorSpace /DeviceRGB "
                      "/BitsPerComponent 8 /Filter /DCTDecode",
                      lwtest::MakeJpeg(kSide, kSide));
  } else {
    std::vector<uint8_t> rgb(static_cast<size_t>(kSide) * kSide * 3);
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        uint8_t* px = rgb.data() + (static_cast<size_t>(y) * kSide + x) * 3;
        px[0] = static_cast<uint8_t>(x * 255 / kSide);
        px[1] = static_cast<uint8_t>(y * 255 / kSide);
        px[2] = static_cast<uint8_t>((x ^ y) & 0xFF);
      }
    uLongf packed = compressBound(static_cast<uLong>(rgb.size()));
    std::vector<uint8_t> data(packed);
    compress2(data.data(), &packed, rgb.data(), static_cast<uLong>(rgb.size()), 6);
    data.resize(packed);
    img = b.AddStream("/Type /XObject /Subtype /Image /Width 8000 /Height 8000 /ColorSpace /DeviceRGB "
                      "/BitsPerComponent 8 /Filter /FlateDecode",
                      data);
  }
  const std::vector<std::string> contents(32, "q 612 0 0 792 0 0 cm /Im1 Do Q");
  lwtest::WriteFileBytes(p, b.FinishPages(contents, "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>"));
  return p;
}

void BM_ImportOneLargeImageOnManyPages(benchmark::State& state) {
  const std::wstring path = lw::Utf8ToWide(LargeImagePages(state.range(0) != 0).string());
  for (auto _ : state) {
    cpdfEngine engine(path.c_str(), false);
    Counter c;
    const int n = engine.Get_Pages_Counts();
    for (int page = 1; page <= n; ++page) engine.parse_pdf_page(page, &c);
    benchmark::DoNotOptimize(c.records);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_rss_mb"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_ImportOneLargeImageOnManyPages)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
