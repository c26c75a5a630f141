// PDF writing: a document of text-heavy pages with shapes, saved through cpdfEngine::saving_pdf.
#include <benchmark/benchmark.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "cpdfEngine.h"
#include "lwstr.h"

namespace {

const char* kSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
const std::u16string kLine = u"The quick brown fox jumps over the lazy dog, again and again.";

template <typename T>
T* Alloc() {
  return static_cast<T*>(std::calloc(1, sizeof(T)));
}

class Source : public CPdfSavingInterface {
 public:
  int pages = 0;
  int GetPageCount() override { return pages; }
  void SetProgress(float) override {}
  PdfSavePage* GetPageRecord(int) override {
    constexpr int kLines = 40, kShapes = 50;
    auto* page = Alloc<PdfSavePage>();
    page->width = 595;
    page->height = 842;
    auto* res = Alloc<PdfSaveResources>();
    page->resources = res;
    res->font_count = 1;
    res->fonts = Alloc<PdfFontRecord>();
    res->fonts[0].font_id = 1;
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, kSans, 0, &face) == 0) {
      qv_Extra_font(face, kLine.data(), int(kLine.size()), &res->fonts[0]);
      FT_Done_Face(face);
    }
    if (lib) FT_Done_FreeType(lib);
    auto* content = Alloc<PdfSaveContent>();
    res->content = content;
    content->element_count = kLines + kShapes;
    content->elements = static_cast<PdfSaveEntry**>(std::malloc(sizeof(void*) * (kLines + kShapes)));
    for (int i = 0; i < kLines; ++i) {
      auto* run = Alloc<PdfSaveTextRun>();
      run->font_id = 1;
      run->font_size = 11;
      run->horizontal_scale = 1;
      run->fill_on = 1;
      run->fill_rgba[3] = 1;
      run->char_count = int(kLine.size());
      run->chars = static_cast<PdfRunChar*>(std::calloc(kLine.size(), sizeof(PdfRunChar)));
      for (size_t k = 0; k < kLine.size(); ++k) run->chars[k] = PdfRunChar{k ? -10.0f : 0.0f, int32_t(kLine[k])};
      auto* block = Alloc<PdfSaveTextBlock>();
      const float m[6] = {1, 0, 0, 1, 40, 800.0f - 18 * i};
      std::memcpy(block->matrix, m, sizeof m);
      block->run_count = 1;
      block->runs = static_cast<PdfSaveTextRun**>(std::malloc(sizeof(void*)));
      block->runs[0] = run;
      content->elements[i] = Alloc<PdfSaveEntry>();
      *content->elements[i] = PdfSaveEntry{kPdfSaveText, block};
    }
    for (int i = 0; i < kShapes; ++i) {
      auto* p = Alloc<PdfSavePath>();
      const float m[6] = {1, 0, 0, 1, float(10 * i), 20};
      std::memcpy(p->matrix, m, sizeof m);
      p->fill_on = 1;
      p->fill_rgba[0] = 0.5f;
      p->fill_rgba[3] = 0.8f;
      p->segment_count = 5;
      p->segments = static_cast<PdfPathSegment*>(std::calloc(5, sizeof(PdfPathSegment)));
      p->segments[0] = PdfPathSegment{kPdfMoveTo, 0, 0, 0, 0, 0, 0};
      p->segments[1] = PdfPathSegment{kPdfLineTo, 8, 0, 0, 0, 0, 0};
      p->segments[2] = PdfPathSegment{kPdfCurveTo, 8, 4, 4, 8, 0, 8};
      p->segments[3] = PdfPathSegment{kPdfLineTo, 0, 0, 0, 0, 0, 0};
      p->segments[4] = PdfPathSegment{kPdfCloseWithSegment, 0, 0, 0, 0, 0, 0};
      content->elements[kLines + i] = Alloc<PdfSaveEntry>();
      *content->elements[kLines + i] = PdfSaveEntry{kPdfSavePath, p};
    }
    return page;
  }
};

void BM_SaveTextPages(benchmark::State& state) {
  const std::filesystem::path out = std::filesystem::temp_directory_path() / "pagesieve_save_bench.pdf";
  Source src;
  src.pages = int(state.range(0));
  for (auto _ : state) {
    cpdfEngine engine(nullptr, false);
    if (!engine.saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src)) state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  std::filesystem::remove(out);
}
BENCHMARK(BM_SaveTextPages)->Arg(1)->Arg(20)->Unit(benchmark::kMillisecond);

}  // namespace
