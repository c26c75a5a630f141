// Typing into and deleting from a long text: one insert (or delete) and the relayout it causes,
// at the end and in the middle of a 10,000-character text in "Arial" at 12 points.
#include <benchmark/benchmark.h>

#include <string>

#include <wingdi.h>

#include "glyphweave/EditableTextObj.h"
#include "glyphweave/FontCacheManager.h"

using namespace GlyphweaveLib;

namespace {

class PageText final : public CEditableTextObj {
 public:
  Vectorloom::CQorVectorSize<float> GetTextOccurArea() const override { return {600.0f, 100000.0f}; }
};

CRichFontDesc Arial() {
  CRichFontDesc f;
  f.SetFontFaceName(L"Arial");
  f.m_fFontSize = 12.0f;
  return f;
}

// About 10,000 characters of words, with a paragraph break every 600 characters.
std::wstring LongText() {
  const std::wstring words = L"the quick brown fox jumps over the lazy dog while leafwright lays out rows ";
  std::wstring s;
  while (s.size() < 10000) {
    s += words;
    if (s.size() % 600 < words.size()) s += L'\r';
  }
  s.resize(10000);
  return s;
}

struct Fixture {
  Fixture() : dc(GetDC(nullptr)) {
    const std::wstring s = LongText();
    text.InsertString(0, s.c_str(), static_cast<int>(s.size()), dc, font, nullptr, &cache);
  }
  ~Fixture() { ReleaseDC(nullptr, dc); }
  HDC dc;
  CRichFontDesc font = Arial();
  CFontCacheManager cache;
  PageText text;
};

void BM_InsertAndRelayout(benchmark::State& state, bool middle) {
  Fixture f;
  for (auto _ : state) {
    const int count = static_cast<int>(f.text.GetArrayOfTextCharacters().size());
    const int pos = middle ? count / 2 : count;
    f.text.InsertString(pos, L"a", 1, f.dc, f.font, nullptr, &f.cache);
    state.PauseTiming();
    f.text.DeleteString(pos, 1);
    f.text.RecalcuLayout(0);
    state.ResumeTiming();
  }
}

void BM_DeleteAndRelayout(benchmark::State& state, bool middle) {
  Fixture f;
  for (auto _ : state) {
    const int count = static_cast<int>(f.text.GetArrayOfTextCharacters().size());
    const int pos = middle ? count / 2 : count - 1;
    f.text.DeleteString(pos, 1);
    state.PauseTiming();
    f.text.InsertString(pos, L"a", 1, f.dc, f.font, nullptr, &f.cache);
    state.ResumeTiming();
  }
}

}  // namespace

BENCHMARK_CAPTURE(BM_InsertAndRelayout, at_end, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_InsertAndRelayout, in_middle, true)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DeleteAndRelayout, at_end, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DeleteAndRelayout, in_middle, true)->Unit(benchmark::kMicrosecond);
