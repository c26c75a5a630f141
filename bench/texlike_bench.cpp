// A document set the way TeX sets it, each of our figures beside MuPDF's in the same run: a
// generated two-column manual in a bare CFF subset of Nimbus Roman that has no space glyph and
// draws fi and fl as ligatures, words placed by kerns with no space character (the import makes
// the word spaces, which the subset cannot draw). See tests/support/TexLikePdf.h.
//
// - BM_TexImport: whole-file import of 120 pages as an opened document does it, every page loaded
//   and its texts merged as the view merges them when it shows the page (ms_per_page), beside
//   BM_TexMutoolStext (`mutool draw -F stext` of the same file, a whole process).
// - BM_TexOpenFirstPage: a 300-page file opened and page 1 drawn at 96 dots per inch, beside
//   BM_TexMutoolDrawFirstPage (`mutool draw -r 96` of page 1, a whole process).
// - BM_TexExport: Save As PDF of the opened 120-page document, its pages still unloaded as after
//   an open (ms_per_page), beside BM_TexMutoolConvert (`mutool convert`).
// - BM_TexFlipBookPages: the flip-book export's page movies of the same document (ms_per_page),
//   beside BM_TexMutoolDrawPng (`mutool draw -F png -r 96` of every page).
// - BM_TexKeptPages: every page of the 300-page file loaded and kept, as a document whose page list
//   has shown every page holds them (0), or loaded, merged and kept, as after reading the document
//   through in the page view (1): kb_per_page (growth of malloc's in-use bytes over the
//   pages, the open but unloaded document subtracted), rss_mb (the process after the pages are
//   kept), and where the bytes go, per page: chars_per_page and texts_per_page, char_kb (the
//   laid-out characters' arrays), run_kb (font runs), row_kb (rows), glyphs_per_page and
//   glyph_kb (glyph resources the texts hold that the glyph cache does not: ligature and
//   surrogate parts, their outlines included) and object_kb (the text objects themselves).
// The mutool cases are skipped when mutool (Debian package mupdf-tools) is not installed.
//
// Beside the wall-clock figures, cpu_ms_per_page (cpu_ms for the first page) counts the processor
// time spent: this process's for our cases, the children's for mutool's. On a busy machine the
// wall clock measures the neighbours; processor time stays comparable.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <time.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unordered_set>

#include <flarewing/FlipBook.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <pressmark/PdfExport.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

#include "BenchProcess.h"
#include "TestSupport.h"
#include "TexLikePdf.h"

namespace {

constexpr int kImportPages = 120;
constexpr int kOpenPages = 300;

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

// The manual of `pages` pages, written once to the temporary folder (and left there for
// comparison runs).
std::filesystem::path Manual(int pages) {
  const std::filesystem::path p =
      std::filesystem::temp_directory_path() / ("leafwright_bench_texlike_" + std::to_string(pages) + ".pdf");
  if (!std::filesystem::exists(p)) {
    lwtest::TexLikeOptions options;
    options.pages = pages;
    lwtest::WriteFileBytes(p, lwtest::MakeTexLikePdf(options).bytes);
  }
  return p;
}

// Processor time of this process, or of its finished children, in seconds.
double OwnCpu() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
double ChildrenCpu() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

void SetMsPerPage(benchmark::State& state, double seconds, int pages, double cpuSeconds) {
  const double total = static_cast<double>(state.iterations()) * pages;
  state.counters["ms_per_page"] = total > 0 ? seconds * 1000.0 / total : 0.0;
  state.counters["cpu_ms_per_page"] = total > 0 ? cpuSeconds * 1000.0 / total : 0.0;
  state.SetItemsProcessed(static_cast<int64_t>(total));
}

// A document over the file: one unloaded page per PDF page bound to the source.
int BindPages(CTextDoc& doc, CCachePdfPageContent* source) {
  const int count = source->GetPagesCount();
  for (int i = 0; i < count; ++i) {
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(i);
    doc.GetRenderPagesArray().AddPage(page);
  }
  return count;
}

void BM_TexImport(benchmark::State& state) {
  const std::wstring path = Manual(kImportPages).wstring();
  double seconds = 0, cpu = 0;
  long objects = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = OwnCpu();
    auto* source = new CCachePdfPageContent(path.c_str());
    source->AddRef();
    {
      CTextDoc doc;
      if (BindPages(doc, source) != kImportPages) state.SkipWithError("the generated file has the wrong page count");
      for (int i = 0; i < doc.GetPagesCount(); ++i) {
        CDrawingPage* page = doc.GetDrawingPage(i);
        if (!page->LoadPageContent(&doc)) state.SkipWithError("a page failed to load");
        page->IntegrateTexts();
        objects += page->GetRenderObjectList().GetCount();
      }
    }
    source->Release();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += OwnCpu() - cpuStart;
  }
  benchmark::DoNotOptimize(objects);
  SetMsPerPage(state, seconds, kImportPages, cpu);
}
BENCHMARK(BM_TexImport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TexMutoolStext(benchmark::State& state) {
  const std::string mutool = FindMutool();
  if (mutool.empty()) {
    state.SkipWithError("mutool is not installed (Debian package mupdf-tools)");
    return;
  }
  const std::string file = Manual(kImportPages).string();
  double seconds = 0;
  const double cpuStart = ChildrenCpu();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!Run({mutool, "draw", "-F", "stext", "-o", "/dev/null", file})) {
      state.SkipWithError("mutool failed");
      break;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  SetMsPerPage(state, seconds, kImportPages, ChildrenCpu() - cpuStart);
}
// The child's time is not this process's CPU time: real time only.
BENCHMARK(BM_TexMutoolStext)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TexOpenFirstPage(benchmark::State& state) {
  const std::wstring path = Manual(kOpenPages).wstring();
  double cpu = 0;
  for (auto _ : state) {
    const double cpuStart = OwnCpu();
    auto* source = new CCachePdfPageContent(path.c_str());
    source->AddRef();
    {
      CTextDoc doc;
      BindPages(doc, source);
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
      cpu += OwnCpu() - cpuStart;
    }
    source->Release();
    state.ResumeTiming();
  }
  state.counters["cpu_ms"] = state.iterations() ? cpu * 1000.0 / static_cast<double>(state.iterations()) : 0.0;
}
BENCHMARK(BM_TexOpenFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TexMutoolDrawFirstPage(benchmark::State& state) {
  const std::string mutool = FindMutool();
  if (mutool.empty()) {
    state.SkipWithError("mutool is not installed (Debian package mupdf-tools)");
    return;
  }
  const std::string file = Manual(kOpenPages).string();
  const std::string png = (std::filesystem::temp_directory_path() / "leafwright_bench_texlike_page1.png").string();
  const double cpuStart = ChildrenCpu();
  for (auto _ : state)
    if (!Run({mutool, "draw", "-r", "96", "-o", png, file, "1"})) {
      state.SkipWithError("mutool failed");
      break;
    }
  state.counters["cpu_ms"] =
      state.iterations() ? (ChildrenCpu() - cpuStart) * 1000.0 / static_cast<double>(state.iterations()) : 0.0;
}
BENCHMARK(BM_TexMutoolDrawFirstPage)->Unit(benchmark::kMillisecond)->UseRealTime();

std::filesystem::path OutFile() { return std::filesystem::temp_directory_path() / "leafwright_bench_texlike_out.pdf"; }

void BM_TexExport(benchmark::State& state) {
  const std::wstring out = OutFile().wstring();
  auto* source = new CCachePdfPageContent(Manual(kImportPages).wstring().c_str());
  source->AddRef();
  double seconds = 0, cpu = 0;
  for (auto _ : state) {
    CTextDoc doc;
    BindPages(doc, source);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = OwnCpu();
    if (!SaveDocumentAsPdfDocument(&doc, out.c_str(), nullptr)) state.SkipWithError("the export failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += OwnCpu() - cpuStart;
  }
  source->Release();
  std::error_code ec;
  state.counters["file_kb"] = static_cast<double>(std::filesystem::file_size(OutFile(), ec)) / 1024.0;
  SetMsPerPage(state, seconds, kImportPages, cpu);
}
BENCHMARK(BM_TexExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TexMutoolConvert(benchmark::State& state) {
  const std::string mutool = FindMutool();
  if (mutool.empty()) {
    state.SkipWithError("mutool is not installed (Debian package mupdf-tools)");
    return;
  }
  const std::string in = Manual(kImportPages).string(), out = OutFile().string();
  double seconds = 0;
  const double cpuStart = ChildrenCpu();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!Run({mutool, "convert", "-o", out, in})) state.SkipWithError("mutool convert failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  SetMsPerPage(state, seconds, kImportPages, ChildrenCpu() - cpuStart);
}
BENCHMARK(BM_TexMutoolConvert)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TexFlipBookPages(benchmark::State& state) {
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "leafwright_bench_texlike_movies";
  std::filesystem::create_directories(out);
  auto* source = new CCachePdfPageContent(Manual(kImportPages).wstring().c_str());
  source->AddRef();
  double seconds = 0, cpu = 0;
  for (auto _ : state) {
    CTextDoc doc;
    doc.SetDocLogSize(612, 792, Vectorloom::UNIT_POINT);
    BindPages(doc, source);
    QorSWFExportingLib::SwfExportContext context(&doc);
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = OwnCpu();
    for (int i = 0; i < kImportPages; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "page%03d.swf", i + 1);
      if (!QorSWFExportingLib::WritePageMovie(context, i, (out / name).string())) state.SkipWithError("a page failed");
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu += OwnCpu() - cpuStart;
  }
  source->Release();
  std::filesystem::remove_all(out);
  SetMsPerPage(state, seconds, kImportPages, cpu);
}
BENCHMARK(BM_TexFlipBookPages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TexMutoolDrawPng(benchmark::State& state) {
  const std::string mutool = FindMutool();
  if (mutool.empty()) {
    state.SkipWithError("mutool is not installed (Debian package mupdf-tools)");
    return;
  }
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "leafwright_bench_texlike_png";
  std::filesystem::create_directories(out);
  const std::string in = Manual(kImportPages).string(), pattern = (out / "page%d.png").string();
  double seconds = 0;
  const double cpuStart = ChildrenCpu();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!Run({mutool, "draw", "-F", "png", "-r", "96", "-o", pattern, in})) state.SkipWithError("mutool draw failed");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  std::filesystem::remove_all(out);
  SetMsPerPage(state, seconds, kImportPages, ChildrenCpu() - cpuStart);
}
BENCHMARK(BM_TexMutoolDrawPng)->Unit(benchmark::kMillisecond)->UseRealTime();

double HeapInUse() {
  malloc_trim(0);
  return static_cast<double>(mallinfo2().uordblks);
}

double ProcessRssMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  return 0.0;
}

// The bytes a glyph resource holds: the object and its outline.
double GlyphBytes(const GlyphweaveLib::CCharacterGlyphRes* g) {
  const Gdiplus::GraphicsPath* path = g->GetGlyphPathDataPointer();
  const int points = path->GetPointCount();
  return static_cast<double>(sizeof(GlyphweaveLib::CCharacterGlyphRes)) +
         static_cast<double>(points) * (sizeof(Gdiplus::PointF) + 1);
}

void BM_TexKeptPages(benchmark::State& state) {
  const bool merge = state.range(0) != 0;
  state.SetLabel(merge ? "merged" : "loaded");
  const std::wstring path = Manual(kOpenPages).wstring();
  double perPage = 0, rss = 0, chars = 0, texts = 0, charBytes = 0, runBytes = 0, rowBytes = 0, glyphs = 0,
         glyphBytes = 0, objectBytes = 0;
  for (auto _ : state) {
    auto* source = new CCachePdfPageContent(path.c_str());
    source->AddRef();
    {
      CTextDoc doc;
      const int count = BindPages(doc, source);
      const double before = HeapInUse();
      for (int i = 0; i < count; ++i) {
        CDrawingPage* page = doc.GetDrawingPage(i);
        if (!page->LoadPageContent(&doc)) state.SkipWithError("a page failed to load");
        if (merge) page->IntegrateTexts();
      }
      perPage = (HeapInUse() - before) / count;
      rss = ProcessRssMb();
      chars = texts = charBytes = runBytes = rowBytes = glyphs = glyphBytes = objectBytes = 0;
      std::unordered_set<const GlyphweaveLib::CCharacterGlyphRes*> seen;
      for (int i = 0; i < count; ++i)
        for (auto* obj : doc.GetDrawingPage(i)->GetRenderObjectList()) {
          auto* text = dynamic_cast<CDDrawTextObj*>(obj);
          if (!text) continue;
          const auto& characters = text->GetArrayOfTextCharacters();
          texts += 1;
          objectBytes += sizeof(CDDrawTextObj);
          chars += static_cast<double>(characters.size());
          charBytes += static_cast<double>(characters.capacity() * sizeof(GlyphweaveLib::CCharacterItem));
          runBytes += static_cast<double>(text->GetFontRuns().GetSize()) * sizeof(GlyphweaveLib::TFontRunInfo);
          rowBytes += static_cast<double>(text->GetParagraphsLinesInfo().GetSize()) *
                      sizeof(GlyphweaveLib::TTextLineInfo);
          for (const auto& c : characters) {
            const GlyphweaveLib::CCharacterGlyphRes* g = c.GetCharGlyphPath();
            if (!g || !g->IsLigaturePart() || !seen.insert(g).second) continue;
            glyphs += 1;
            glyphBytes += GlyphBytes(g);
          }
        }
      for (double* v : {&chars, &texts, &charBytes, &runBytes, &rowBytes, &glyphs, &glyphBytes, &objectBytes})
        *v /= count;
    }
    source->Release();
  }
  state.counters["kb_per_page"] = perPage / 1024.0;
  state.counters["rss_mb"] = rss;
  state.counters["chars_per_page"] = chars;
  state.counters["texts_per_page"] = texts;
  state.counters["char_kb"] = charBytes / 1024.0;
  state.counters["run_kb"] = runBytes / 1024.0;
  state.counters["row_kb"] = rowBytes / 1024.0;
  state.counters["glyphs_per_page"] = glyphs;
  state.counters["glyph_kb"] = glyphBytes / 1024.0;
  state.counters["object_kb"] = objectBytes / 1024.0;
}
BENCHMARK(BM_TexKeptPages)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
