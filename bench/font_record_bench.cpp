// Reading embedded-font records: a plain one (a short to-Unicode map and a program block) and a
// hostile one of about 131 KB whose to-Unicode map gives 16,384 codes one list of 65,000
// values each (a "multi" range over a whole extent).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include <vectorloom/VariableStream.h>

#include <glyphweave/EmbedFontRes.h>

using namespace GlyphweaveLib;

namespace {

std::vector<unsigned char> RecordOf(const CEmbedFontResouce& font) {
  Vectorloom::CVariableStream s(1024, 1024);
  font.PutBinaryContent(&s);
  return std::vector<unsigned char>(s.GetBuffer(), s.GetBuffer() + s.GetLength());
}

std::vector<unsigned char> PlainRecord() {
  CEmbedFontResouce font;
  font.SetFontID(1);
  CEmbedFontMapWrap uni;
  const TagMapRange ranges[] = {{0x20, (0x5E << 2) | CEmbedFontMapWrap::kRange, 0x20}};
  uni.SetRanges(ranges, 1);
  font.SetUtfCMap(&uni);
  CPdfEmbedFontDesc program;
  program.m_vProgram.assign(20000, 0);
  program.m_vCid2Gid.assign(200, 1);
  program.m_vCid2Unicode.assign(200, 0x41);
  font.SetEmbedPdfFontContent(&program);
  return RecordOf(font);
}

std::vector<unsigned char> HostileRecord() {
  CEmbedFontResouce font;
  font.SetFontID(1);
  CEmbedFontMapWrap uni;
  constexpr int kValues = 65000;
  std::vector<uint16_t> table(kValues + 1);
  table[0] = kValues;
  for (int i = 1; i <= kValues; ++i) table[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
  uni.SetTable(table.data(), static_cast<int>(table.size()));
  const TagMapRange ranges[] = {{0, (0x3FFF << 2) | CEmbedFontMapWrap::kMulti, 0}};
  uni.SetRanges(ranges, 1);
  font.SetUtfCMap(&uni);
  return RecordOf(font);
}

void Load(benchmark::State& state, const std::vector<unsigned char>& record) {
  for (auto _ : state) {
    CEmbedFontResouce font;
    benchmark::DoNotOptimize(font.SetByBinaryContent(record.data(), static_cast<unsigned>(record.size())));
  }
  state.counters["bytes"] = static_cast<double>(record.size());
}

void BM_LoadPlainFontRecord(benchmark::State& state) { Load(state, PlainRecord()); }
void BM_LoadHostileFontRecord(benchmark::State& state) { Load(state, HostileRecord()); }

}  // namespace

BENCHMARK(BM_LoadPlainFontRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadHostileFontRecord)->Unit(benchmark::kMillisecond);
