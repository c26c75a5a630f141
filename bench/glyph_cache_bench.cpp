// Glyphs of a page of text (about 3,000 characters in "Arial"): built into an empty glyph cache
// (cold: every distinct glyph is made by the GDI engine) and into a cache that already holds
// them (warm: lookups and references only).
#include <benchmark/benchmark.h>

#include <gdi/wingdi.h>

#include <string>
#include <vector>

#include <glyphweave/CharacterItem.h>
#include <glyphweave/CharsFontDesc.h>
#include <glyphweave/FontCacheManager.h>

using namespace GlyphweaveLib;

namespace {

std::u16string PageText() {
  const std::u16string paragraph =
      u"The quick brown fox jumps over the lazy dog. Pack my box with five dozen liquor jugs! "
      u"Sphinx of black quartz, judge my vow: 0123456789 (\"quoted\"), [brackets] & more; ";
  std::u16string text;
  while (text.size() < 3000) {
    text += paragraph;
    text += u'\r';
  }
  text.resize(3000);
  return text;
}

std::vector<CCharacterItem> PageItems() {
  std::vector<CCharacterItem> items;
  for (char16_t c : PageText()) {
    CCharacterItem item;
    item.SetCharacter(c);
    item.SetFontPointSize(11.0f);
    items.push_back(item);
  }
  return items;
}

const _CharsFontDesc kFont(L"Arial", ANSI_CHARSET, 0, -1);

void BuildPage(HDC dc, std::vector<CCharacterItem>& items, CFontCacheManager& cache) {
  for (CCharacterItem& item : items) benchmark::DoNotOptimize(item.BuildGlyph(dc, kFont, nullptr, &cache));
}

void BM_GlyphPageCold(benchmark::State& state) {
  HDC dc = GetDC(nullptr);
  std::vector<CCharacterItem> items = PageItems();
  for (auto _ : state) {
    CFontCacheManager cache;
    BuildPage(dc, items, cache);
    state.PauseTiming();
    for (CCharacterItem& item : items) item.SetCharGlyphRes(nullptr);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(items.size()));
  ReleaseDC(nullptr, dc);
}
BENCHMARK(BM_GlyphPageCold)->Unit(benchmark::kMillisecond);

void BM_GlyphPageWarm(benchmark::State& state) {
  HDC dc = GetDC(nullptr);
  std::vector<CCharacterItem> items = PageItems();
  CFontCacheManager cache;
  BuildPage(dc, items, cache);
  std::vector<CCharacterItem> fresh = PageItems();
  for (auto _ : state) {
    BuildPage(dc, fresh, cache);
    state.PauseTiming();
    for (CCharacterItem& item : fresh) item.SetCharGlyphRes(nullptr);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(fresh.size()));
  ReleaseDC(nullptr, dc);
}
BENCHMARK(BM_GlyphPageWarm)->Unit(benchmark::kMicrosecond);

}  // namespace
