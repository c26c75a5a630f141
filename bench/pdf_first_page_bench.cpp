// Opening a long PDF and showing its first page: the time from the open call until page 1 is
// drawn at 96 dots per inch (the engine opened, page 1 imported and merged, its objects drawn), on
// a generated manual of 300 pages of two-column text; beside `mutool draw -r 96` of the same page
// as a whole process. And what keeping imported pages costs: the growth of the heap in use while
// 110 pages are imported and kept (reported as MB and KB a page; the heap, unlike the resident
// size, does not hide what a run before freed).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

#include "ColumnPdf.h"
#include "TestSupport.h"
#include "BenchProcess.h"

extern char** environ;

namespace {

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

// The generated manual of `pages` pages, written once to the temporary folder.
std::filesystem::path Manual(int pages) {
  const std::filesystem::path p =
      std::filesystem::temp_directory_path() / ("quirebook_bench_manual_" + std::to_string(pages) + ".pdf");
  if (!std::filesystem::exists(p)) lwtest::WriteFileBytes(p, lwtest::MakeColumnsPdf(pages, 2).bytes);
  return p;
}

// Heap bytes in use.
double HeapInUse() { return static_cast<double>(mallinfo2().uordblks); }

void BM_OpenAndDrawFirstPage(benchmark::State& state) {
  const std::wstring path = Manual(300).wstring();
  for (auto _ : state) {
    auto* source = new CCachePdfPageContent(path.c_str());
    source->AddRef();
    {
      CTextDoc doc;
      const int count = source->GetPagesCount();
      for (int i = 0; i < count; ++i) {
        auto* page = new CDrawingPage;
        page->SetPageSourceContent(source);
        page->SetPageSourceIndex(i);
        doc.GetRenderPagesArray().AddPage(page);
      }
      CDrawingPage* first = doc.GetDrawingPage(0);
      if (!first || !first->LoadPageContent(&doc)) {
        state.SkipWithError("page 1 failed to load");
        source->Release();
        break;
      }
      first->IntegrateTexts();
      const int w = static_cast<int>(first->GetLogWidth() * 96 / 72 + 0.5f);
      const int h = static_cast<int>(first->GetLogHeight() * 96 / 72 + 0.5f);
      Gdiplus::Bitmap canvas(w, h, Gdiplus::PixelFormat32bppARGB);
      {
        Gdiplus::Graphics g(&canvas);
        g.Clear(Gdiplus::Color(255, 255, 255, 255));
        g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        const float k = (96.0f / 72.0f) / Quirebook::kPdfImportScale;
        first->DrawAllObjects(&g, Gdiplus::Matrix(k, 0, 0, k, 0, 0));
      }
      benchmark::DoNotOptimize(canvas.GetWidth());
      state.PauseTiming();  // closing the document is not part of showing it
    }
    source->Release();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_OpenAndDrawFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();


// `mutool draw -r 96 -o <png> <file> 1`, a whole process.
void BM_MutoolDrawFirstPage(benchmark::State& state) {
  const std::string mutool = FindMutool();
  if (mutool.empty()) {
    state.SkipWithError("mutool is not installed (Debian package mupdf-tools)");
    return;
  }
  const std::string file = Manual(300).string();
  const std::string png = (std::filesystem::temp_directory_path() / "quirebook_bench_first_page.png").string();
  for (auto _ : state)
    if (!Run({mutool, "draw", "-r", "96", "-o", png, file, "1"})) {
      state.SkipWithError("mutool failed");
      break;
    }
}
BENCHMARK(BM_MutoolDrawFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

// Heap grown by importing 110 pages and keeping them (the document, its fonts and the engine stay
// open).
void BM_KeptPagesMemory(benchmark::State& state) {
  constexpr int kPages = 110;
  const std::wstring path = Manual(kPages).wstring();
  double grown = 0;
  for (auto _ : state) {
    const double before = HeapInUse();
    auto* source = new CCachePdfPageContent(path.c_str());
    source->AddRef();
    {
      CTextDoc doc;
      for (int i = 0; i < kPages; ++i) {
        auto* page = new CDrawingPage;
        page->SetPageSourceContent(source);
        page->SetPageSourceIndex(i);
        doc.GetRenderPagesArray().AddPage(page);
        page->LoadPageContent(&doc);
        page->IntegrateTexts();
      }
      grown = HeapInUse() - before;
      state.PauseTiming();
    }
    source->Release();
    state.ResumeTiming();
  }
  state.counters["grown_MB"] = grown / (1024.0 * 1024.0);
  state.counters["KB_per_page"] = grown / 1024.0 / kPages;
}
BENCHMARK(BM_KeptPagesMemory)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
