// Page movies of the flip-book export for a 100-page imported document, reported as ms_per_page
// and kb_per_page. The documents are generated PDFs opened as publications (as for a document
// just opened, pages unloaded: the exporter loads each page, writes its movie and unloads it):
// "columns", two columns of 10 pt running text in embedded subsets with a title bar on every page,
// and "sampler", cairo's sampler page (text, filled and stroked paths, a shading, a small image).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include <flarewing/FlipBook.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

#include "ColumnPdf.h"
#include "PdfFixtures.h"
#include "TestSupport.h"

namespace {

constexpr int kPages = 100;

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

const std::filesystem::path& File(int which) {
  static const std::filesystem::path files[2] = {
      [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "flarewing_bench_columns_100.pdf";
        lwtest::WriteFileBytes(p, lwtest::MakeColumnsPdf(kPages, 2).bytes);
        return p;
      }(),
      [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "flarewing_bench_sampler_100.pdf";
        lwtest::WriteFileBytes(p, lwtest::MakeCairoPdf(kPages));
        return p;
      }(),
  };
  return files[which];
}

void BM_PageMovies(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  state.SetLabel(which == 0 ? "columns" : "sampler");
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "flarewing_bench_pages";
  std::filesystem::create_directories(out);
  auto* source = new CCachePdfPageContent(File(which).wstring().c_str());
  source->AddRef();
  double seconds = 0, bytes = 0;
  for (auto _ : state) {
    CTextDoc doc;
    doc.SetDocLogSize(595, 842, Vectorloom::UNIT_POINT);
    for (int i = 0; i < kPages; ++i) {
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
    }
    QorSWFExportingLib::SwfExportContext context(&doc);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPages; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "page%03d.swf", i + 1);
      if (!QorSWFExportingLib::WritePageMovie(context, i, (out / name).string())) state.SkipWithError("a page failed");
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    bytes = 0;
    for (const auto& e : std::filesystem::directory_iterator(out)) bytes += static_cast<double>(e.file_size());
  }
  source->Release();
  std::filesystem::remove_all(out);
  const double pages = static_cast<double>(state.iterations()) * kPages;
  state.counters["ms_per_page"] = pages > 0 ? seconds * 1000.0 / pages : 0.0;
  state.counters["kb_per_page"] = bytes / 1024.0 / kPages;
  state.SetItemsProcessed(static_cast<int64_t>(pages));
}
BENCHMARK(BM_PageMovies)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
