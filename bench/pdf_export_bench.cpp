// PDF export of a 100-page document, reported as ms_per_page, beside `mutool convert` of the same
// source file (MuPDF rewriting the PDF in a separate process; skipped when mutool, from
// mupdf-tools, is not installed).
//
// The documents are generated PDFs opened as publications: "columns", two columns of 10 pt running
// text in embedded subsets with a title bar on every page, and "sampler", cairo's sampler page (text,
// filled and stroked paths, a rasterised shading and a small image). BM_ExportPages times the
// whole export with the pages still unloaded (the exporter loads each page, writes it and unloads
// it again, as for a document just opened); BM_ExportLoadedPages loads the pages first and times
// only the conversion and writing. BM_ExportEditedPages exports a document made in the editor (text
// in system faces, whose fonts are subset from the installed files).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <pressmark/PdfExport.h>
#include <gdi/wingdi.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/ShapeObj.h>

#include "ColumnPdf.h"
#include "PdfFixtures.h"
#include "TestSupport.h"
#include "BenchProcess.h"

extern char** environ;

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
        std::filesystem::path p = std::filesystem::temp_directory_path() / "pressmark_bench_columns_100.pdf";
        lwtest::WriteFileBytes(p, lwtest::MakeColumnsPdf(kPages, 2).bytes);
        return p;
      }(),
      [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "pressmark_bench_sampler_100.pdf";
        lwtest::WriteFileBytes(p, lwtest::MakeCairoPdf(kPages));
        return p;
      }(),
  };
  return files[which];
}

const char* Name(int which) { return which == 0 ? "columns" : "sampler"; }

std::filesystem::path OutFile() { return std::filesystem::temp_directory_path() / "pressmark_bench_out.pdf"; }

void SetMsPerPage(benchmark::State& state, double seconds) {
  const double pages = static_cast<double>(state.iterations()) * kPages;
  state.counters["ms_per_page"] = pages > 0 ? seconds * 1000.0 / pages : 0.0;
  state.SetItemsProcessed(static_cast<int64_t>(pages));
}

void Export(benchmark::State& state, bool preload) {
  const int which = static_cast<int>(state.range(0));
  state.SetLabel(Name(which));
  const std::wstring out = OutFile().wstring();
  double seconds = 0;
  auto* source = new CCachePdfPageContent(File(which).wstring().c_str());
  source->AddRef();
  for (auto _ : state) {
    CTextDoc doc;
    for (int i = 0; i < kPages; ++i) {
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
      if (preload && !page->LoadPageContent(&doc)) state.SkipWithError("a page failed to load");
    }
    const auto start = std::chrono::steady_clock::now();
    if (!SaveDocumentAsPdfDocument(&doc, out.c_str(), nullptr)) state.SkipWithError("the export failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  source->Release();
  std::error_code ec;
  state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(OutFile(), ec)) / 1024.0;
  SetMsPerPage(state, seconds);
}

void BM_ExportPages(benchmark::State& state) { Export(state, false); }
BENCHMARK(BM_ExportPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ExportLoadedPages(benchmark::State& state) { Export(state, true); }
BENCHMARK(BM_ExportLoadedPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// A document made in the editor: 100 pages, each with 30 lines of 11 pt text in two system faces
// and 20 filled and stroked shapes. Every page carries its fonts' records.
void BM_ExportEditedPages(benchmark::State& state) {
  state.SetLabel("edited");
  const std::wstring out = OutFile().wstring();
  CTextDoc doc;
  HDC dc = GetDC(nullptr);
  for (int p = 0; p < kPages; ++p) {
    auto* page = new CDrawingPage;
    page->SetLogWidth(595);
    page->SetLogHeight(842);
    page->SetPageLogUnit(Vectorloom::UNIT_POINT);
    page->SetPageContentLoaded(1);
    doc.GetRenderPagesArray().AddPage(page);
    for (int i = 0; i < 30; ++i) {
      auto* text = new CDDrawTextObj;
      text->SetLayoutBox(700, 40);
      GlyphweaveLib::CRichFontDesc font;
      font.SetFontFaceName(i % 2 ? L"DejaVu Sans" : L"Liberation Serif");
      font.m_fFontSize = 11;
      const std::wstring line = L"Page " + std::to_wstring(p) + L", line " + std::to_wstring(i) +
                                L": the quick brown fox jumps over the lazy dog.";
      text->InsertString(0, line.c_str(), -1, dc, font, doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
      text->RecalcuLayout(0);
      text->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(60, 60 + 34 * i), false);
      text->AddRef();
      page->AddShapeObject(text);
      text->Release();
    }
    for (int i = 0; i < 20; ++i) {
      auto* shape = new Vectorloom::CCustomPathObj;
      shape->AddRectanglePath({float(20 + 30 * i), 1000, float(40 + 30 * i), 1080});
      shape->SetFillColor(RGB(10 * i, 100, 200));
      shape->AddRef();
      page->AddShapeObject(shape);
      shape->Release();
    }
  }
  ReleaseDC(nullptr, dc);
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!SaveDocumentAsPdfDocument(&doc, out.c_str(), nullptr)) state.SkipWithError("the export failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::error_code ec;
  state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(OutFile(), ec)) / 1024.0;
  SetMsPerPage(state, seconds);
}
BENCHMARK(BM_ExportEditedPages)->Unit(benchmark::kMillisecond)->UseRealTime();


void BM_MutoolConvert(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  state.SetLabel(Name(which));
  const std::string mutool = FindMutool();
  if (mutool.empty()) {
    state.SkipWithError("mutool is not installed");
    return;
  }
  const std::string in = File(which).string(), out = OutFile().string();
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!Run({mutool, "convert", "-o", out, in})) state.SkipWithError("mutool convert failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  SetMsPerPage(state, seconds);
}
BENCHMARK(BM_MutoolConvert)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
