// Opening a generated 100-page PDF as a publication and loading every page: the PDF engine parses
// the page, the parser builds text, image and path objects and the document's fonts, the texts
// are normalised, and (in the merged cases) the page's text pieces are merged into lines and
// blocks as the view does when it first shows the page. Reported as ms_per_page.
//
// Two files: "columns", two columns of 10 pt running text with a title bar on every page (about
// 50 text pieces a page), and "sampler", cairo's sampler page (a line of text, filled and stroked
// paths, a shading the engine rasterises and a small image).
//
// BM_ImportKeepPagesHeap loads every page of "columns" once and keeps them all, as an open document
// does, and reports the heap the pages hold: heap_kb_per_page (growth of malloc's in-use bytes over
// the loaded pages, the open but unloaded document subtracted), chars_per_page, bytes_per_char
// (sizeof of the laid-out character) and char_kb_per_page (the character arrays' capacity).
//
// BM_MergeGlyphPieces merges one page of 5,000 one-glyph pieces.
//
// BM_MutoolStext times `mutool draw -F stext -o /dev/null` on the same files (MuPDF's own text
// extraction, a separate process; skipped when mutool, from mupdf-tools, is not installed).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <glyphweave/EditableTextObj.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

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

// The two files, written once to the temporary folder (and left there for comparison runs).
const std::filesystem::path& File(int which) {
  static const std::filesystem::path files[2] = {
      [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "quirebook_bench_columns_100.pdf";
        lwtest::WriteFileBytes(p, lwtest::MakeColumnsPdf(kPages, 2).bytes);
        return p;
      }(),
      [] {
        std::filesystem::path p = std::filesystem::temp_directory_path() / "quirebook_bench_sampler_100.pdf";
        lwtest::WriteFileBytes(p, lwtest::MakeCairoPdf(kPages));
        return p;
      }(),
  };
  return files[which];
}

const char* Name(int which) { return which == 0 ? "columns" : "sampler"; }

void SetMsPerPage(benchmark::State& state, double seconds) {
  const double pages = static_cast<double>(state.iterations()) * kPages;
  state.counters["ms_per_page"] = pages > 0 ? seconds * 1000.0 / pages : 0.0;
  state.SetItemsProcessed(static_cast<int64_t>(pages));
}

// Opens the file as a document (a content source and one unloaded page per PDF page) and loads
// every page in order; with `merge`, each page's texts are merged after loading.
void ImportAll(benchmark::State& state, bool merge) {
  const int which = static_cast<int>(state.range(0));
  const std::wstring path = File(which).wstring();
  state.SetLabel(Name(which));
  double seconds = 0;
  long objects = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    auto* source = new CCachePdfPageContent(path.c_str());
    source->AddRef();
    {
      CTextDoc doc;
      const int count = source->GetPagesCount();
      if (count != kPages) {
        state.SkipWithError("the generated file has the wrong page count");
        source->Release();
        break;
      }
      for (int i = 0; i < count; ++i) {
        auto* page = new CDrawingPage;
        page->SetPageSourceContent(source);
        page->SetPageSourceIndex(i);
        doc.GetRenderPagesArray().AddPage(page);
      }
      for (int i = 0; i < count; ++i) {
        CDrawingPage* page = doc.GetDrawingPage(i);
        if (!page->LoadPageContent(&doc)) state.SkipWithError("a page failed to load");
        if (merge) page->IntegrateTexts();
        objects += page->GetRenderObjectList().GetCount();
      }
    }
    source->Release();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  benchmark::DoNotOptimize(objects);
  SetMsPerPage(state, seconds);
}

void BM_ImportPages(benchmark::State& state) { ImportAll(state, false); }
BENCHMARK(BM_ImportPages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ImportAndMergePages(benchmark::State& state) { ImportAll(state, true); }
BENCHMARK(BM_ImportAndMergePages)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

double HeapInUse() {
  malloc_trim(0);
  return static_cast<double>(mallinfo2().uordblks);
}

void BM_ImportKeepPagesHeap(benchmark::State& state) {
  const std::wstring path = File(0).wstring();
  state.SetLabel(Name(0));
  double perPage = 0, chars = 0, charBytes = 0;
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
      const double before = HeapInUse();
      for (int i = 0; i < count; ++i)
        if (!doc.GetDrawingPage(i)->LoadPageContent(&doc)) state.SkipWithError("a page failed to load");
      perPage = (HeapInUse() - before) / count;
      chars = charBytes = 0;
      for (int i = 0; i < count; ++i)
        for (auto* obj : doc.GetDrawingPage(i)->GetRenderObjectList())
          if (auto* text = dynamic_cast<GlyphweaveLib::CEditableTextObj*>(obj)) {
            chars += static_cast<double>(text->GetArrayOfTextCharacters().size());
            charBytes += static_cast<double>(text->GetArrayOfTextCharacters().capacity() *
                                             sizeof(GlyphweaveLib::CCharacterItem));
          }
      chars /= count;
      charBytes /= count;
    }
    source->Release();
  }
  state.counters["heap_kb_per_page"] = perPage / 1024.0;
  state.counters["chars_per_page"] = chars;
  state.counters["char_kb_per_page"] = charBytes / 1024.0;
  state.counters["bytes_per_char"] = static_cast<double>(sizeof(GlyphweaveLib::CCharacterItem));
}
BENCHMARK(BM_ImportKeepPagesHeap)->Iterations(1)->Unit(benchmark::kMillisecond);

// A page that arrives as one piece per glyph (some PDF writers place every glyph on its own):
// 5,000 pieces in 100 lines of 50, in Helvetica 6 pt. Only the merge is timed.
const std::filesystem::path& GlyphPiecesFile() {
  static const std::filesystem::path path = [] {
    lwtest::PdfBuilder pdf;
    const int font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    std::string content;
    const char* letters = "abcdefghijklmnopqrstuvwxyz";
    for (int line = 0; line < 100; ++line)
      for (int i = 0; i < 50; ++i) {
        const int x = 40 + i * 5 + (i / 8) * 3;  // words of eight letters
        const int y = 760 - line * 7;
        content += "BT /F1 6 Tf " + std::to_string(x) + " " + std::to_string(y) + " Td (" + letters[(line + i) % 26] +
                   ") Tj ET\n";
      }
    std::filesystem::path p = std::filesystem::temp_directory_path() / "quirebook_bench_glyph_pieces.pdf";
    lwtest::WriteFileBytes(p, pdf.FinishPages({content}, "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>"));
    return p;
  }();
  return path;
}

void BM_MergeGlyphPieces(benchmark::State& state) {
  auto* source = new CCachePdfPageContent(GlyphPiecesFile().wstring().c_str());
  source->AddRef();
  long pieces = 0, merged = 0;
  for (auto _ : state) {
    state.PauseTiming();
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    if (!page->LoadPageContent(&doc)) {
      state.SkipWithError("the page failed to load");
      break;
    }
    pieces = page->GetRenderObjectList().GetCount();
    state.ResumeTiming();
    page->IntegrateTexts();
    merged = page->GetRenderObjectList().GetCount();
  }
  source->Release();
  state.counters["pieces"] = static_cast<double>(pieces);
  state.counters["texts_after"] = static_cast<double>(merged);
}
BENCHMARK(BM_MergeGlyphPieces)->Unit(benchmark::kMillisecond);


void BM_MutoolStext(benchmark::State& state) {
  const int which = static_cast<int>(state.range(0));
  state.SetLabel(Name(which));
  const std::string mutool = FindMutool();
  if (mutool.empty()) {
    state.SkipWithError("mutool is not installed (Debian package mupdf-tools)");
    return;
  }
  const std::string file = File(which).string();
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    if (!Run({mutool, "draw", "-F", "stext", "-o", "/dev/null", file})) {
      state.SkipWithError("mutool failed");
      break;
    }
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  SetMsPerPage(state, seconds);
}
// The child's time is not this process's CPU time: real time only.
BENCHMARK(BM_MutoolStext)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
