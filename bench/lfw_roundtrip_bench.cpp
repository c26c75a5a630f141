// Document files: a 300-page document imported from a generated PDF, written and read back.
// Counters: pages per second and MB/s of the file; beside them raw zlib packing and unpacking of
// the same block bytes, to show what the format itself costs.
//
// BM_LfwTexManualSizeByRecord saves the generated 300-page TeX-like manual (tests/support/
// TexLikePdf) as a document file, its texts as imported (0) or merged as the view merges them (1),
// and reports where the file's bytes go: pdf_kb (the source), file_kb, the packed sections
// (page_kb, font_kb), the page blocks unpacked (page_raw_kb) and, of those, per kind of record:
// *_raw_kb the bytes and *_zip_kb the same bytes packed on their own (a share of page_kb):
// char (the 52-byte character records with the character count and align word), run (the font
// runs with their set header), gap (row gaps), frame (the text object's stream before its text
// record: base record, name, layout box, length), shape (every other object), head (the page
// headers).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <memory>
#include <vector>

#include <glyphweave/EditableTextObj.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <vectorloom/VariableStream.h>
#include <zlib.h>

#include "LeafwrightDoc.h"
#include "LfwReader.h"
#include "LfwSections.h"
#include "PageBusiPage.h"
#include "PdfFixtures.h"
#include "TestSupport.h"
#include "TexLikePdf.h"

namespace {

constexpr int kPages = 300;

// The imported document and its file, made once.
struct Corpus {
  lwtest::TempDir dir;
  CLeafwrightDoc doc;
  std::vector<uint8_t> file;
  std::vector<std::vector<uint8_t>> blocks;  // every block of the file, unpacked
  size_t blockBytes = 0;

  Corpus() {
    setenv("HOME", dir.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir.path() / ".config").c_str(), 1);
    lwtest::WriteFileBytes(dir / "in.pdf", lwtest::MakeCairoPdf(kPages));
    auto* pdf = new CCachePdfPageContent((dir / "in.pdf").wstring().c_str());
    pdf->AddRef();
    for (int i = 0; i < pdf->GetPagesCount(); ++i) {
      auto* page = new CPageBusiPage;
      page->SetPageSourceContent(pdf);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
      page->LoadPageContent(&doc);
    }
    doc.ClearSouceContent();
    pdf->Release();
    file = Write(doc);

    // The block bytes of the three block sections, as the writer packed them.
    auto le32 = [&](size_t at) {
      return static_cast<uint32_t>(file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) |
                                   (static_cast<uint32_t>(file[at + 3]) << 24));
    };
    const unsigned entrySizes[3] = {kLfwPageEntrySize, kLfwDibsEntrySize, kLfwFontEntrySize};
    for (int s = 0; s < 3; ++s) {
      const uint32_t index = le32(16 + 12 * s);
      const uint32_t count = le32(index);
      for (uint32_t i = 0; i < count; ++i) {
        const size_t e = index + 4 + static_cast<size_t>(i) * entrySizes[s];
        std::vector<uint8_t> raw(le32(e + 4));
        uLongf len = raw.size();
        uncompress(raw.data(), &len, file.data() + le32(e), le32(e + 8));
        blockBytes += raw.size();
        blocks.push_back(std::move(raw));
      }
    }
  }

  static std::vector<uint8_t> Write(CPublicationDoc& d) {
    CMemFile mem(1 << 20);
    CString error;
    if (!WriteLfwDocument(&d, mem, nullptr, &error)) std::abort();
    return std::vector<uint8_t>(mem.GetBufferPtr(), mem.GetBufferPtr() + mem.GetLength());
  }
};

Corpus& TheCorpus() {
  static Corpus corpus;
  return corpus;
}

void SetRates(benchmark::State& state, size_t bytes) {
  state.counters["pages/s"] = benchmark::Counter(static_cast<double>(kPages) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
  state.counters["MB/s"] = benchmark::Counter(static_cast<double>(bytes) * state.iterations() / 1e6,
                                              benchmark::Counter::kIsRate);
}

// Every page loaded in memory, written from its objects (lengths converted, pictures encoded).
void BM_LfwWriteLoadedDocument(benchmark::State& state) {
  Corpus& c = TheCorpus();
  size_t bytes = 0;
  for (auto _ : state) {
    bytes = Corpus::Write(c.doc).size();
    benchmark::DoNotOptimize(bytes);
  }
  SetRates(state, bytes);
}
BENCHMARK(BM_LfwWriteLoadedDocument)->Unit(benchmark::kMillisecond);

// Opening the file and loading every page (pictures, fonts, glyphs, layout).
void BM_LfwOpenAndLoadAllPages(benchmark::State& state) {
  Corpus& c = TheCorpus();
  for (auto _ : state) {
    auto mem = std::make_unique<CMemFile>(1024);
    mem->Write(c.file.data(), static_cast<UINT>(c.file.size()));
    mem->SeekToBegin();
    auto* source = new CCacheLfwPageContent(std::move(mem));
    source->AddRef();
    {
      CLeafwrightDoc doc;
      for (int i = 0; i < source->GetPagesCount(); ++i) {
        auto* page = new CPageBusiPage;
        page->SetPageSourceContent(source);
        page->SetPageSourceIndex(i);
        doc.GetRenderPagesArray().AddPage(page);
        if (!page->LoadPageContent(&doc)) std::abort();
      }
    }
    source->Release();
  }
  SetRates(state, c.file.size());
}
BENCHMARK(BM_LfwOpenAndLoadAllPages)->Unit(benchmark::kMillisecond);

// Saving a document opened from a file without viewing its pages: each page is copied as its
// stored block, with the file's pictures and fonts; the result is the file itself.
void BM_LfwResaveLazyDocument(benchmark::State& state) {
  Corpus& c = TheCorpus();
  auto mem = std::make_unique<CMemFile>(1024);
  mem->Write(c.file.data(), static_cast<UINT>(c.file.size()));
  mem->SeekToBegin();
  auto* source = new CCacheLfwPageContent(std::move(mem));
  source->AddRef();
  CLeafwrightDoc doc;
  for (int i = 0; i < source->GetPagesCount(); ++i) {
    auto* page = new CPageBusiPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(i);
    doc.GetRenderPagesArray().AddPage(page);
  }
  size_t bytes = 0;
  bool same = true;
  for (auto _ : state) {
    const std::vector<uint8_t> written = Corpus::Write(doc);
    bytes = written.size();
    same = same && written == c.file;
    benchmark::DoNotOptimize(bytes);
  }
  if (!same) state.SkipWithError("the resaved file differs from the file it was opened from");
  SetRates(state, bytes);
  doc.GetRenderPagesArray().RemoveAllPages();
  source->Release();
}
BENCHMARK(BM_LfwResaveLazyDocument)->Unit(benchmark::kMillisecond);

// Raw zlib over the same block bytes: compress2 at the default level, then uncompress.
void BM_ZlibPackSameBlocks(benchmark::State& state) {
  Corpus& c = TheCorpus();
  std::vector<uint8_t> out;
  for (auto _ : state) {
    for (const auto& b : c.blocks) {
      uLongf len = compressBound(b.size());
      out.resize(len);
      compress2(out.data(), &len, b.data(), b.size(), Z_DEFAULT_COMPRESSION);
      benchmark::DoNotOptimize(out.data());
    }
  }
  SetRates(state, c.blockBytes);
}
BENCHMARK(BM_ZlibPackSameBlocks)->Unit(benchmark::kMillisecond);

void BM_ZlibUnpackSameBlocks(benchmark::State& state) {
  Corpus& c = TheCorpus();
  std::vector<std::vector<uint8_t>> packed;
  for (const auto& b : c.blocks) {
    uLongf len = compressBound(b.size());
    std::vector<uint8_t> p(len);
    compress2(p.data(), &len, b.data(), b.size(), Z_DEFAULT_COMPRESSION);
    p.resize(len);
    packed.push_back(std::move(p));
  }
  std::vector<uint8_t> out;
  for (auto _ : state) {
    for (size_t i = 0; i < packed.size(); ++i) {
      uLongf len = c.blocks[i].size();
      out.resize(len + 1);
      uncompress(out.data(), &len, packed[i].data(), packed[i].size());
      benchmark::DoNotOptimize(out.data());
    }
  }
  SetRates(state, c.blockBytes);
}
BENCHMARK(BM_ZlibUnpackSameBlocks)->Unit(benchmark::kMillisecond);

// The packed sizes of the three block sections of a document file: Page, Dibs, Font.
std::vector<size_t> PackedSections(const std::vector<uint8_t>& file, size_t* pageRaw) {
  auto le32 = [&](size_t at) {
    return static_cast<uint32_t>(file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) |
                                 (static_cast<uint32_t>(file[at + 3]) << 24));
  };
  const unsigned entrySizes[3] = {kLfwPageEntrySize, kLfwDibsEntrySize, kLfwFontEntrySize};
  std::vector<size_t> packed(3, 0);
  *pageRaw = 0;
  for (int s = 0; s < 3; ++s) {
    const uint32_t index = le32(16 + 12 * s);
    const uint32_t count = le32(index);
    for (uint32_t i = 0; i < count; ++i) {
      const size_t e = index + 4 + static_cast<size_t>(i) * entrySizes[s];
      packed[s] += le32(e + 8);
      if (s == 0) *pageRaw += le32(e + 4);
    }
  }
  return packed;
}

size_t Zipped(const std::vector<uint8_t>& bytes) {
  uLongf len = compressBound(bytes.size());
  std::vector<uint8_t> out(len);
  compress2(out.data(), &len, bytes.data(), bytes.size(), Z_DEFAULT_COMPRESSION);
  return len;
}

void BM_LfwTexManualSizeByRecord(benchmark::State& state) {
  const bool merged = state.range(0) != 0;
  state.SetLabel(merged ? "merged" : "imported");
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir.path() / ".config").c_str(), 1);
  lwtest::TexLikeOptions options;
  options.pages = 300;
  lwtest::WriteFileBytes(dir / "manual.pdf", lwtest::MakeTexLikePdf(options).bytes);
  std::map<std::string, std::vector<uint8_t>> kinds;
  std::vector<uint8_t> file;
  for (auto _ : state) {
    CLeafwrightDoc doc;
    auto* pdf = new CCachePdfPageContent((dir / "manual.pdf").wstring().c_str());
    pdf->AddRef();
    for (int i = 0; i < pdf->GetPagesCount(); ++i) {
      auto* page = new CPageBusiPage;
      page->SetPageSourceContent(pdf);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
      page->LoadPageContent(&doc);
      if (merged) page->IntegrateTexts();
    }
    doc.ClearSouceContent();
    pdf->Release();
    file = Corpus::Write(doc);

    kinds.clear();
    auto add = [&](const char* kind, const uint8_t* p, size_t n) { kinds[kind].insert(kinds[kind].end(), p, p + n); };
    const CString version(L"2000");
    for (int i = 0; i < doc.GetPagesCount(); ++i) {
      const uint8_t head[20] = {};
      add("head", head, sizeof head);
      for (auto* obj : doc.GetDrawingPage(i)->GetRenderObjectList()) {
        CMemFile mem(4096);
        obj->Save(mem, version);
        const uint8_t* bytes = mem.GetBufferPtr();
        const size_t total = static_cast<size_t>(mem.GetLength());
        auto* text = dynamic_cast<CDDrawTextObj*>(obj);
        Vectorloom::CVariableStream record(4096);
        if (!text || !text->PutBinaryContent(&record, version.GetString())) {
          add("shape", bytes, total);
          continue;
        }
        const size_t length = static_cast<size_t>(record.GetLength());
        const size_t chars = 8 + text->GetArrayOfTextCharacters().size() * GlyphweaveLib::_CharacterItem::kRecordSize;
        const size_t runs = 12 + static_cast<size_t>(text->GetFontRuns().GetSize()) * GlyphweaveLib::TFontRunInfo::kRecordSize;
        if (length > total || chars + runs > length) std::abort();
        const uint8_t* rec = bytes + (total - length);
        add("frame", bytes, total - length);
        add("char", rec, chars);
        add("run", rec + chars, runs);
        add("gap", rec + chars + runs, length - chars - runs);
      }
    }
  }
  size_t pageRaw = 0;
  const std::vector<size_t> packed = PackedSections(file, &pageRaw);
  state.counters["pdf_kb"] = static_cast<double>(std::filesystem::file_size(dir / "manual.pdf")) / 1024.0;
  state.counters["file_kb"] = static_cast<double>(file.size()) / 1024.0;
  state.counters["page_kb"] = static_cast<double>(packed[0]) / 1024.0;
  state.counters["font_kb"] = static_cast<double>(packed[2]) / 1024.0;
  state.counters["page_raw_kb"] = static_cast<double>(pageRaw) / 1024.0;
  for (const auto& [kind, bytes] : kinds) {
    state.counters[kind + "_raw_kb"] = static_cast<double>(bytes.size()) / 1024.0;
    state.counters[kind + "_zip_kb"] = static_cast<double>(Zipped(bytes)) / 1024.0;
  }
}
BENCHMARK(BM_LfwTexManualSizeByRecord)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
