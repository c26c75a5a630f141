// The document-file reader over arbitrary bytes: open the file from memory, save the document
// before any page is viewed (never-loaded pages are copied as stored), then load every page (at
// most 16) into the document, pictures, fonts and clips included. HOME points at a scratch
// folder, so the video folder that opening empties and clips unpack into is the harness's own.
//
// An input starting with 'P' is a page record rather than a file: it is packed into an otherwise
// valid file first, so that mutations reach the page and object readers instead of stopping at
// the block checksums. An input starting with 'I' is a stored picture's bytes, whose declared
// size is read from its header alone (what a refused picture is told by).
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <cstring>

#include <glyphweave/EmbedFontRes.h>

#include "LeafwrightDoc.h"
#include "LfwReader.h"
#include "LfwSections.h"
#include "PageBusiPage.h"

namespace {

// One ready page record as the "Page" section.
class CRawPageWriter : public CZipSavingInterface {
 public:
  CRawPageWriter(const uint8_t* data, size_t size) : CZipSavingInterface("Page"), m_data(data), m_size(size) {}
  unsigned GetBlocksCount() const override { return 1; }
  bool SavingIndexs(CFile* file) const override {
    const uint8_t entry[4 + kLfwPageEntrySize] = {1};
    file->Write(entry, sizeof(entry));
    return true;
  }
  unsigned char* MakeBlockContent(int, unsigned long& raw, const CString&, const CString&) override {
    auto* p = static_cast<unsigned char*>(std::malloc(m_size + 1));
    if (p && m_size) std::memcpy(p, m_data, m_size);
    raw = p ? m_size : 0;
    return p;
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
};

std::unique_ptr<CMemFile> FileOfPage(const uint8_t* data, size_t size) {
  auto mem = std::make_unique<CMemFile>(1024);
  WriteLfwFileHeader(*mem);
  CRawPageWriter pages(data, size);
  Vectorloom::CBitmapResObjsList noPictures;
  CZipSavingBitmapResObjs pictures(noPictures);
  GlyphweaveLib::CEmbedFontResManager noFonts;
  CBaseZipSavingEmbedFont fonts(noFonts);
  CVideoFilePathsMap noClips;
  CDeflateSavingVideos clips(noClips);
  pages.SavingBlockTag(mem.get());
  pictures.SavingBlockTag(mem.get());
  fonts.SavingBlockTag(mem.get());
  clips.SavingBlockTag(mem.get());
  const CString v1(kLfwVersion1), v2(kLfwVersion2);
  pages.SavingBlocks(mem.get(), v1, v2, nullptr);
  pictures.SavingBlocks(mem.get(), v1, v2, nullptr);
  fonts.SavingBlocks(mem.get(), v1, v2, nullptr);
  clips.SavingBlocks(mem.get(), v1, v2, nullptr);
  mem->SeekToBegin();
  return mem;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const auto home = std::filesystem::temp_directory_path() / ("lw_lfwreader_fuzz_" + std::to_string(::getpid()));
  std::filesystem::create_directories(home / "Documents");
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size && data[0] == 'I') {
    // A buffer of exactly the input's size, so a read past it is caught.
    const std::vector<uint8_t> copy(data + 1, data + size);
    uint32_t w = 0, h = 0;
    PeekPictureSize(copy.data(), copy.size(), &w, &h);
    return 0;
  }
  std::unique_ptr<CMemFile> file;
  if (size && data[0] == 'P') {
    file = FileOfPage(data + 1, size - 1);
  } else {
    file = std::make_unique<CMemFile>(1024);
    if (size) file->Write(data, static_cast<UINT>(size));
    file->SeekToBegin();
  }
  auto* source = new CCacheLfwPageContent(std::move(file));
  source->AddRef();
  {
    CLeafwrightDoc doc;
    const int pages = std::min(source->GetPagesCount(), 16);
    for (int i = 0; i < pages; ++i) {
      auto* page = new CPageBusiPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
    }
    if (pages > 0) {
      CMemFile saved(1024);
      CString error;
      WriteLfwDocument(&doc, saved, nullptr, &error);
    }
    for (int i = 0; i < pages; ++i) {
      CDrawingPage* page = doc.GetDrawingPage(i);
      if (page->LoadPageContent(&doc)) {
        std::vector<uint8_t> block;
        source->GetUnchangedPageBlock(i + 1, *page, block);
      }
    }
    // What the loads left out makes one message of bounded length.
    if (Quirebook::ComposeDroppedItemsMessage(doc.TakeDroppedItems()).size() > 4096) std::abort();
    ReleaseInUseVideoClips(&doc);
  }
  source->Release();
  return 0;
}
