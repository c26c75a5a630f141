// Opening a 300-page PDF as a document: the time from the open call until the first page is
// drawn as the page view draws it, beside MuPDF's own `mutool draw` of that page (a process of
// its own, start-up included); and the save of the opened document as a document file, with the
// 268 pages still to be read taken from the PDF.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <spawn.h>

#include <cstdlib>
#include <memory>
#include <string>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>

#include "LeafwrightDoc.h"
#include "LfwReader.h"
#include "PdfFixtures.h"
#include "TestSupport.h"

extern char** environ;

namespace {

constexpr int kPages = 300;

struct Corpus {
  lwtest::TempDir dir;
  std::wstring pdf;
  Corpus() {
    setenv("HOME", dir.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir.path() / ".config").c_str(), 1);
    lwtest::WriteFileBytes(dir / "in.pdf", lwtest::MakeCairoPdf(kPages));
    pdf = lw::Utf8ToWide((dir / "in.pdf").string());
  }
};
Corpus& GetCorpus() {
  static Corpus corpus;
  return corpus;
}

// The first page drawn at 100 % (96 pixels an inch) on white, as the view draws it.
void DrawFirstPage(CLeafwrightDoc& doc) {
  CDrawingPage* page = doc.GetDrawingPage(0);
  page->LoadPageContent(&doc);
  const auto px = page->GetPageSize(Vectorloom::UNIT_PIXEL);
  Gdiplus::Bitmap canvas(static_cast<int>(px.cx + 0.5f), static_cast<int>(px.cy + 0.5f), Gdiplus::PixelFormat32bppARGB);
  Gdiplus::Graphics g(&canvas);
  g.Clear(Gdiplus::Color(255, 255, 255, 255));
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  page->DrawAllObjects(&g, Gdiplus::Matrix(1, 0, 0, 1, 0, 0));  // objects are in pixels already
}

void BM_OpenPdfToFirstPageDrawn(benchmark::State& state) {
  Corpus& c = GetCorpus();
  for (auto _ : state) {
    CLeafwrightDoc doc;
    doc.m_bAutoDelete = FALSE;
    if (!doc.OnOpenDocument(c.pdf.c_str()) || doc.GetPagesCount() != kPages) {
      state.SkipWithError("the PDF did not open");
      return;
    }
    DrawFirstPage(doc);
  }
}
BENCHMARK(BM_OpenPdfToFirstPageDrawn)->Unit(benchmark::kMillisecond)->UseRealTime();

// `mutool draw -r 96 -o out.png in.pdf 1`: MuPDF's own time to the first page, as a process.
void BM_MutoolDrawFirstPage(benchmark::State& state) {
  Corpus& c = GetCorpus();
  const std::string in = (c.dir / "in.pdf").string(), out = (c.dir / "page1.png").string();
  for (auto _ : state) {
    const char* argv[] = {"mutool", "draw", "-q", "-r", "96", "-o", out.c_str(), in.c_str(), "1", nullptr};
    pid_t pid;
    if (posix_spawnp(&pid, "mutool", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
      state.SkipWithError("mutool is not installed (mupdf-tools)");
      return;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("mutool failed");
      return;
    }
  }
}
BENCHMARK(BM_MutoolDrawFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SaveOpenedPdfAsDocument(benchmark::State& state) {
  Corpus& c = GetCorpus();
  const std::wstring out = lw::Utf8ToWide((c.dir / "out.lfw").string());
  for (auto _ : state) {
    state.PauseTiming();
    CLeafwrightDoc doc;
    doc.m_bAutoDelete = FALSE;
    doc.OnOpenDocument(c.pdf.c_str());
    state.ResumeTiming();
    if (!doc.OnSaveDocument(out.c_str())) {
      state.SkipWithError("the save failed");
      return;
    }
  }
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SaveOpenedPdfAsDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
