// Section writers of the document file: pages and pictures, and the whole-file sequence.
#include "LfwSections.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <stdexcept>
#include <tuple>

#include <QorProgress.h>
#include <afxbinio.h>
#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <objidl.h>
#include <quirebook/StoredPath.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/StreamReader.h>
#include <vectorloom/UnitConv.h>
#include <vectorloom/VariableStream.h>

#include "FinishLoadedObjects.h"
#include "LeafwrightDoc.h"
#include "LfwReader.h"
#include "PageObjectRecords.h"

namespace {

// A malloc copy of a memory file's bytes; null when it cannot be made.
unsigned char* DetachBytes(const uint8_t* data, size_t length, unsigned long& rawLength) {
  rawLength = 0;
  auto* block = static_cast<unsigned char*>(std::malloc(length ? length : 1));
  if (!block) return nullptr;
  if (length) std::memcpy(block, data, length);
  rawLength = static_cast<unsigned long>(length);
  return block;
}

bool IsRecordedObjectType(int type) { return type == 0 || type == 2 || type == 3 || type == 4; }

CString PageError(int index, const wchar_t* what) {
  CString s;
  s.Format(L"Page %d cannot be saved: %ls", index + 1, what);
  return s;
}

}  // namespace

void WriteLfwFileHeader(CFile& file) {
  file.Write(kLfwFileTag, 4);
  file.Write(kLfwVersion1, 4);
  file.Write(kLfwVersion2, 4);
}

void EncodeLfwPathField(const CString& path, uint8_t field[kLfwPathUnits * 2]) {
  static_assert(kLfwPathUnits == Quirebook::kStoredPathUnits);
  const std::u16string units = Quirebook::FitStoredPath(path.str());
  std::memset(field, 0, kLfwPathUnits * 2);
  for (size_t i = 0; i < units.size(); ++i) lw::bin::PutLE16(field + 2 * i, static_cast<uint16_t>(units[i]));
}

CString DecodeLfwPathField(const uint8_t field[kLfwPathUnits * 2]) {
  CStreamReader in(field, kLfwPathUnits * 2);
  std::wstring wide;
  Quirebook::ReadStoredPath(in, wide);
  return CString(wide.c_str());
}

bool GetPngEncoderClsid(CLSID* clsid) {
  if (!clsid) return false;
  UINT count = 0, size = 0;
  if (Gdiplus::GdipGetImageEncodersSize(&count, &size) != Gdiplus::Ok || count == 0 || size == 0) return false;
  std::vector<uint8_t> buffer(size);
  auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  if (Gdiplus::GdipGetImageEncoders(count, size, codecs) != Gdiplus::Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, L"image/png") == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

Gdiplus::Bitmap* DecodePictureBytes(const unsigned char* data, unsigned length,
                                    std::optional<Gdiplus::Status>* pRefusedStatus) {
  if (!data || length == 0) return nullptr;
  IStream* stream = SHCreateMemStream(data, length);
  if (!stream) return nullptr;
  Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromStream(stream);
  stream->Release();
  if (!bitmap) return nullptr;
  // GetLastStatus gives the status once (it is reset by the reading): read it once.
  const Gdiplus::Status status = bitmap->GetLastStatus();
  if (status != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) {
    if (pRefusedStatus) *pRefusedStatus = status;
    delete bitmap;
    bitmap = nullptr;
  }
  return bitmap;
}

bool PeekPictureSize(const unsigned char* data, size_t length, uint32_t* width, uint32_t* height) {
  if (!data || !width || !height) return false;
  const auto be16 = [&](size_t at) { return static_cast<uint32_t>(data[at] << 8 | data[at + 1]); };
  const auto le16 = [&](size_t at) { return static_cast<uint32_t>(data[at] | data[at + 1] << 8); };
  const auto le32 = [&](size_t at) { return le16(at) | le16(at + 2) << 16; };
  static constexpr unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (length >= 24 && std::memcmp(data, kPng, 8) == 0 && std::memcmp(data + 12, "IHDR", 4) == 0) {
    *width = be16(16) << 16 | be16(18);
    *height = be16(20) << 16 | be16(22);
    return true;
  }
  if (length >= 10 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0)) {
    *width = le16(6);
    *height = le16(8);
    return true;
  }
  if (length >= 26 && data[0] == 'B' && data[1] == 'M') {
    const uint32_t header = le32(14);
    if (header == 12) {
      *width = le16(18);
      *height = le16(20);
      return true;
    }
    if (header < 40 || length < 26) return false;
    const auto w = static_cast<int32_t>(le32(18)), h = static_cast<int32_t>(le32(22));
    if (w <= 0 || h == 0 || h == INT32_MIN) return false;
    *width = static_cast<uint32_t>(w);
    *height = static_cast<uint32_t>(h < 0 ? -h : h);
    return true;
  }
  if (length >= 4 && data[0] == 0xFF && data[1] == 0xD8) {
    // Markers up to the first frame header (SOF0-SOF15 but DHT, JPG and DAC).
    size_t at = 2;
    while (at + 4 <= length) {
      if (data[at] != 0xFF) return false;
      const unsigned char marker = data[at + 1];
      if (marker == 0xFF) {
        ++at;
        continue;
      }
      if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
        at += 2;
        continue;
      }
      const size_t segment = be16(at + 2);
      if (segment < 2) return false;
      if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC) {
        if (at + 9 > length) return false;
        *height = be16(at + 5);
        *width = be16(at + 7);
        return true;
      }
      if (marker == 0xD9 || marker == 0xDA) return false;
      at += 2 + segment;
    }
  }
  return false;
}

bool EncodePictureAsPng(Vectorloom::CBitmapResObj& picture, std::vector<uint8_t>& png) {
  png.clear();
  Gdiplus::Bitmap* bitmap = picture.GetGdiBitmap();
  CLSID clsid;
  if (!bitmap || !GetPngEncoderClsid(&clsid)) {
    picture.SetLastStatus(Gdiplus::InvalidParameter);
    return false;
  }
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream) {
    picture.SetLastStatus(Gdiplus::OutOfMemory);
    return false;
  }
  const Gdiplus::Status status = bitmap->Save(stream, &clsid, nullptr);
  picture.SetLastStatus(status);
  bool ok = status == Gdiplus::Ok;
  if (ok) {
    STATSTG stat{};
    LARGE_INTEGER zero{};
    ok = SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && stat.cbSize.QuadPart > 0 &&
         stat.cbSize.QuadPart < 0x7FFFFFFFull && SUCCEEDED(stream->Seek(zero, STREAM_SEEK_SET, nullptr));
    if (ok) {
      png.resize(static_cast<size_t>(stat.cbSize.QuadPart));
      ULONG got = 0;
      ok = SUCCEEDED(stream->Read(png.data(), static_cast<ULONG>(png.size()), &got)) && got == png.size();
    }
  }
  stream->Release();
  if (!ok) png.clear();
  return ok;
}

// ---------------------------------------------------------------------------------------------
// CZipSavingPdfPages

CZipSavingPdfPages::CZipSavingPdfPages(CPublicationDoc* doc, Vectorloom::CBitmapResObjsList& bitmaps,
                                       CVideoFilePathsMap* videos)
    : CZipSavingInterface("Page"), m_pDoc(doc), m_bitmaps(bitmaps), m_pVideos(videos) {}

unsigned CZipSavingPdfPages::GetBlocksCount() const {
  return m_pDoc ? static_cast<unsigned>(m_pDoc->GetPagesCount()) : 0u;
}

bool CZipSavingPdfPages::SavingIndexs(CFile* file) const {
  const unsigned n = GetBlocksCount();
  lw::bin::WriteU32(*file, n);
  const uint8_t zeros[kLfwPageEntrySize] = {};
  for (unsigned i = 0; i < n; ++i) file->Write(zeros, sizeof(zeros));
  return true;
}

CDrawingPage* CZipSavingPdfPages::GetBlockPage(int index) const {
  if (!m_pDoc || index < 0 || index >= m_pDoc->GetPagesCount()) return nullptr;
  return m_pDoc->GetDrawingPage(index);
}

void CZipSavingPdfPages::CollectPageResources(CDrawingPage* page) {
  for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList())
    if (obj) obj->CollectExternalBmpResObjs(m_bitmaps);
  if (m_pVideos) page->CollectVideoObjects(m_pVideos);
}

unsigned char* CZipSavingPdfPages::MakeBlockContent(int index, unsigned long& rawLength, const CString&,
                                                    const CString& s2) {
  rawLength = 0;
  CDrawingPage* page = GetBlockPage(index);
  if (!page) {
    m_strError = PageError(index, L"there is no such page.");
    return nullptr;
  }
  std::unique_lock<std::recursive_mutex> lock;
  if (m_pDoc) lock = m_pDoc->LockContent();

  // A page still bound to its source is read for the save and emptied again afterwards. One
  // that cannot be read fails the save: writing it empty would lose its content for good.
  bool loadedHere = false;
  if (!page->IsPageContentLoaded() && page->GetPageContentSource()) {
    if (!page->LoadPageContent(m_pDoc)) {
      m_strError = PageError(index, L"its content cannot be read from the file it was opened from.");
      return nullptr;
    }
    loadedHere = true;
  }
  struct Unload {
    CDrawingPage* page;
    bool active;
    ~Unload() {
      if (active) {
        page->Clear();
        page->SetPageContentLoaded(0);
      }
    }
  } unload{page, loadedHere};

  const int unit = page->GetPageLogUnit();
  if (unit < Vectorloom::UNIT_INCH || unit > Vectorloom::UNIT_POINT) {
    m_strError = PageError(index, L"its unit is not valid.");
    return nullptr;
  }
  for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList()) {
    if (!obj || !IsRecordedObjectType(obj->GetObjectType())) {
      m_strError = PageError(index, L"it holds an object of a kind that cannot be written.");
      return nullptr;
    }
  }

  CollectPageResources(page);

  // An untouched page read from a document file goes back as it was stored.
  if (auto* stored = dynamic_cast<CCacheLfwPageContent*>(page->GetPageContentSource())) {
    std::vector<uint8_t> block;
    if (stored->GetUnchangedPageBlock(page->GetPageSourceIndex() + 1, *page, block)) {
      unsigned char* copy = DetachBytes(block.data(), block.size(), rawLength);
      if (!copy) m_strError = PageError(index, L"out of memory.");
      return copy;
    }
  }

  // Lengths go to the file in the page's unit. Copies are converted and written, so the
  // document's objects keep their exact values whatever happens here.
  int dpiX = 96, dpiY = 96;
  Quirebook::GetScreenDpi(dpiX, dpiY);
  const float f = static_cast<float>(Vectorloom::CUnitConv::Pixel2ItD(1.0, unit, dpiX));
  const float g = static_cast<float>(Vectorloom::CUnitConv::Pixel2ItD(1.0, unit, dpiY));
  Vectorloom::CRenderBaseObjectList scaled;
  for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList()) {
    Vectorloom::CRenderBaseObj* copy = obj->Clone();
    if (!copy) {
      m_strError = PageError(index, L"an object cannot be copied.");
      return nullptr;
    }
    scaled.AddElement(copy);
    copy->ScaleLengthParam(f, g);
  }

  CMemFile mem(1024);
  lw::bin::WriteF32(mem, page->GetLogWidth());
  lw::bin::WriteF32(mem, page->GetLogHeight());
  lw::bin::WriteU32(mem, static_cast<uint32_t>(unit));
  lw::bin::WriteU32(mem, static_cast<uint32_t>(page->GetPageFlags()));
  const uint32_t written = SaveObjectList(mem, scaled, s2);
  if (written != static_cast<uint32_t>(scaled.GetCount())) {
    m_strError = PageError(index, L"an object cannot be written.");
    return nullptr;
  }
  const auto length = static_cast<size_t>(mem.GetLength());
  unsigned char* block = DetachBytes(mem.GetBufferPtr(), length, rawLength);
  if (!block) m_strError = PageError(index, L"out of memory.");
  return block;
}

bool CZipSavingPdfPages::GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& rawLength) {
  if (!m_pStoredSource) return false;
  CDrawingPage* page = GetBlockPage(index);
  if (!page || page->IsPageContentLoaded() || page->GetPageContentSource() != m_pStoredSource) return false;
  const int number = page->GetPageSourceIndex();
  if (number < 0) return false;
  std::unique_lock<std::recursive_mutex> lock;
  if (m_pDoc) lock = m_pDoc->LockContent();
  // A block that cannot be read is left to MakeBlockContent, which loads the page or fails.
  return m_pStoredSource->ReadStoredBlock(CCacheLfwPageContent::Section::Pages, static_cast<unsigned>(number), packed,
                                          rawLength);
}

// ---------------------------------------------------------------------------------------------
// CZipSavingPdfCustomPages

CZipSavingPdfCustomPages::CZipSavingPdfCustomPages(CPublicationDoc* doc, Vectorloom::CBitmapResObjsList& bitmaps,
                                                   const std::vector<int>& pages, std::vector<int>& fontIds,
                                                   CVideoFilePathsMap* videos)
    : CZipSavingPdfPages(doc, bitmaps, videos), m_pages(pages), m_fontIds(fontIds) {}

unsigned CZipSavingPdfCustomPages::GetBlocksCount() const { return static_cast<unsigned>(m_pages.size()); }

CDrawingPage* CZipSavingPdfCustomPages::GetBlockPage(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= m_pages.size()) throw std::out_of_range("invalid vector<T> subscript");
  return CZipSavingPdfPages::GetBlockPage(m_pages[static_cast<size_t>(index)]);
}

void CZipSavingPdfCustomPages::CollectPageResources(CDrawingPage* page) {
  for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList())
    if (obj) obj->CollectExternalBmpResObjs(m_bitmaps);
  CollectEmbedFontIDs(page->GetRenderObjectList(), m_fontIds);
  if (m_pVideos) page->CollectVideoObjects(m_pVideos);
}

// ---------------------------------------------------------------------------------------------
// CZipSavingBitmapResObjs

CZipSavingBitmapResObjs::CZipSavingBitmapResObjs(const Vectorloom::CBitmapResObjsList& bitmaps)
    : CZipSavingInterface("Dibs"), m_bitmaps(bitmaps) {}

std::vector<Vectorloom::CExternalBmpResObj*> CZipSavingBitmapResObjs::StoredPictures() const {
  std::vector<Vectorloom::CExternalBmpResObj*> out;
  for (Vectorloom::CBitmapResObj* res : m_bitmaps)
    if (res && res->GetResourceKind() == Vectorloom::BITMAP_RES_EXTERNAL && res->HasBitmap())
      out.push_back(static_cast<Vectorloom::CExternalBmpResObj*>(res));
  return out;
}

void CZipSavingBitmapResObjs::CarryStoredPictures(CCacheLfwPageContent* source, CPublicationDoc* doc) {
  m_pSource = source;
  m_pDoc = doc;
  m_carried.clear();
  if (!source) return;
  const auto pictures = StoredPictures();
  using Section = CCacheLfwPageContent::Section;
  const unsigned count = source->GetStoredCount(Section::Pictures);
  // The source's entries by (path field, size, time): the first of each is carried.
  std::vector<std::tuple<CString, uint32_t, int64_t>> seen;
  for (unsigned i = 0; i < count; ++i) {
    const uint32_t* tail = source->GetStoredEntryTail(Section::Pictures, i);
    if (!tail) continue;
    const uint32_t size = tail[1];
    const int64_t time = static_cast<int64_t>(static_cast<uint64_t>(tail[2]) | (static_cast<uint64_t>(tail[3]) << 32));
    uint8_t field[kLfwPathUnits * 2];
    for (unsigned k = 0; k < kLfwPathUnits / 2; ++k) lw::bin::PutLE32(field + 4 * k, tail[4 + k]);
    const CString stored = DecodeLfwPathField(field);
    bool held = false;
    for (const Vectorloom::CExternalBmpResObj* res : pictures)
      if (res->GetFileSize() == size && res->GetFileTime() == time &&
          Quirebook::StoredPathMatches(stored.str(), res->GetPathName().str())) {
        held = true;
        break;
      }
    for (const auto& [path, s2, t2] : seen)
      if (s2 == size && t2 == time && path == stored) held = true;
    if (held) continue;
    seen.emplace_back(stored, size, time);
    m_carried.push_back(i);
  }
}

unsigned CZipSavingBitmapResObjs::GetBlocksCount() const {
  return static_cast<unsigned>(StoredPictures().size() + m_carried.size());
}

bool CZipSavingBitmapResObjs::SavingIndexs(CFile* file) const {
  const auto pictures = StoredPictures();
  std::vector<uint8_t> entries((pictures.size() + m_carried.size()) * kLfwDibsEntrySize, 0);
  for (size_t i = 0; i < pictures.size(); ++i) {
    const Vectorloom::CExternalBmpResObj* res = pictures[i];
    uint8_t* e = entries.data() + i * kLfwDibsEntrySize;
    lw::bin::PutLE32(e + 12, res->GetResourceID());
    lw::bin::PutLE32(e + 16, res->GetFileSize());
    lw::bin::PutLE64(e + 20, static_cast<uint64_t>(res->GetFileTime()));
    EncodeLfwPathField(res->GetPathName(), e + 28);
  }
  // Carried entries keep their stored words behind the three leading ones.
  for (size_t i = 0; i < m_carried.size(); ++i) {
    const uint32_t* tail = m_pSource->GetStoredEntryTail(CCacheLfwPageContent::Section::Pictures, m_carried[i]);
    if (!tail) return false;
    uint8_t* e = entries.data() + (pictures.size() + i) * kLfwDibsEntrySize;
    for (unsigned k = 0; k < (kLfwDibsEntrySize - Quirebook::kBlockEntryHeadSize) / 4; ++k)
      lw::bin::PutLE32(e + Quirebook::kBlockEntryHeadSize + 4 * k, tail[k]);
  }
  lw::bin::WriteU32(*file, static_cast<uint32_t>(pictures.size() + m_carried.size()));
  if (!entries.empty()) file->Write(entries.data(), static_cast<UINT>(entries.size()));
  return true;
}

unsigned char* CZipSavingBitmapResObjs::MakeBlockContent(int index, unsigned long& rawLength, const CString&,
                                                         const CString&) {
  rawLength = 0;
  const auto pictures = StoredPictures();
  if (index < 0 || static_cast<size_t>(index) >= pictures.size()) {
    m_strError = L"A picture of the file the document was opened from cannot be read.";
    return nullptr;
  }
  Vectorloom::CExternalBmpResObj* res = pictures[static_cast<size_t>(index)];
  std::vector<uint8_t> png;
  if (!EncodePictureAsPng(*res, png)) {
    m_strError.Format(L"The picture \"%ls\" cannot be saved: it cannot be encoded as PNG.",
                      res->GetPathName().GetString());
    return nullptr;
  }
  unsigned char* block = DetachBytes(png.data(), png.size(), rawLength);
  if (!block) m_strError = L"Out of memory while saving the pictures.";
  return block;
}

bool CZipSavingBitmapResObjs::GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& rawLength) {
  const size_t own = StoredPictures().size();
  if (index < 0 || static_cast<size_t>(index) < own || static_cast<size_t>(index) - own >= m_carried.size())
    return false;
  std::unique_lock<std::recursive_mutex> lock;
  if (m_pDoc) lock = m_pDoc->LockContent();
  return m_pSource->ReadStoredBlock(CCacheLfwPageContent::Section::Pictures, m_carried[static_cast<size_t>(index) - own],
                                    packed, rawLength);
}

// ---------------------------------------------------------------------------------------------
// CZipSavingDocumentFonts

CZipSavingDocumentFonts::CZipSavingDocumentFonts(const GlyphweaveLib::CEmbedFontResManager& manager,
                                                 CCacheLfwPageContent* source, CPublicationDoc* doc)
    : CBaseZipSavingEmbedFont(manager), m_manager(manager), m_pSource(source), m_pDoc(doc) {}

const std::vector<CZipSavingDocumentFonts::Item>& CZipSavingDocumentFonts::Items() const {
  if (m_bItemsMade) return m_items;
  m_bItemsMade = true;
  for (int i = 0; i < m_manager.GetCount(); ++i) m_items.push_back({m_manager.GetAt(i)->GetFontID(), i, 0});
  if (m_pSource) {
    using Section = CCacheLfwPageContent::Section;
    const unsigned count = m_pSource->GetStoredCount(Section::Fonts);
    for (unsigned i = 0; i < count; ++i) {
      const uint32_t* tail = m_pSource->GetStoredEntryTail(Section::Fonts, i);
      if (!tail) continue;
      const int id = static_cast<int32_t>(tail[0]);
      // The manager's font, or the source's first entry of the id, wins.
      const bool taken =
          std::any_of(m_items.begin(), m_items.end(), [&](const Item& item) { return item.id == id; });
      if (!taken) m_items.push_back({id, -1, i});
    }
  }
  std::stable_sort(m_items.begin(), m_items.end(), [](const Item& a, const Item& b) { return a.id < b.id; });
  return m_items;
}

unsigned CZipSavingDocumentFonts::GetBlocksCount() const { return static_cast<unsigned>(Items().size()); }

bool CZipSavingDocumentFonts::SavingIndexs(CFile* file) const {
  lw::bin::WriteU32(*file, GetBlocksCount());
  for (const Item& item : Items()) {
    const uint8_t zeros[12] = {};
    file->Write(zeros, sizeof(zeros));
    lw::bin::WriteI32(*file, item.id);
  }
  return true;
}

unsigned char* CZipSavingDocumentFonts::MakeBlockContent(int index, unsigned long& rawLength, const CString& s1,
                                                         const CString& s2) {
  rawLength = 0;
  const auto& items = Items();
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return nullptr;
  const Item& item = items[static_cast<size_t>(index)];
  if (item.managerIndex < 0) return nullptr;  // a stored font that could not be read
  return CBaseZipSavingEmbedFont::MakeBlockContent(item.managerIndex, rawLength, s1, s2);
}

bool CZipSavingDocumentFonts::GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& rawLength) {
  const auto& items = Items();
  if (index < 0 || static_cast<size_t>(index) >= items.size()) return false;
  const Item& item = items[static_cast<size_t>(index)];
  if (item.managerIndex >= 0 || !m_pSource) return false;
  std::unique_lock<std::recursive_mutex> lock;
  if (m_pDoc) lock = m_pDoc->LockContent();
  return m_pSource->ReadStoredBlock(CCacheLfwPageContent::Section::Fonts, item.fontEntry, packed, rawLength);
}

// ---------------------------------------------------------------------------------------------
// Never-loaded pages

CCacheLfwPageContent* FindStoredPagesSource(CPublicationDoc* doc) {
  if (!doc) return nullptr;
  std::unique_lock<std::recursive_mutex> lock = doc->LockContent();
  IPageContentSource* only = nullptr;
  for (int i = 0; i < doc->GetPagesCount(); ++i) {
    const CDrawingPage* page = doc->GetDrawingPage(i);
    if (!page || page->IsPageContentLoaded() || !page->GetPageContentSource()) continue;
    if (only && page->GetPageContentSource() != only) return nullptr;
    only = page->GetPageContentSource();
  }
  auto* source = dynamic_cast<CCacheLfwPageContent*>(only);
  // Clips are placed (in place or unpacked) when a page loads, which may change its records.
  if (!source || source->GetPagesCount() == 0 || source->GetStoredClipCount() != 0) return nullptr;

  // A stored font whose id the document holds must be the document's font to the byte: the
  // copied pages would otherwise name another font (loading them would rename theirs).
  const GlyphweaveLib::CEmbedFontResManager& fonts = *doc->GetEmbedFontResManager();
  using Section = CCacheLfwPageContent::Section;
  for (unsigned i = 0; i < source->GetStoredCount(Section::Fonts); ++i) {
    const uint32_t* tail = source->GetStoredEntryTail(Section::Fonts, i);
    if (!tail) return nullptr;
    const GlyphweaveLib::CEmbedFontResouce* held = fonts.FindEmbedFontResource(static_cast<int32_t>(tail[0]));
    if (!held) continue;
    std::vector<uint8_t> stored;
    CVariableStream mine(65536);
    if (!source->ReadStoredFontRecord(i, stored) || !held->PutBinaryContent(&mine) ||
        static_cast<size_t>(mine.GetLength()) != stored.size() ||
        !std::equal(stored.begin(), stored.end(), mine.GetBuffer()))
      return nullptr;
  }
  return source;
}

// ---------------------------------------------------------------------------------------------
// The whole file

bool WriteLfwDocument(CPublicationDoc* doc, CFile& file, CQorCommonProgress* progress, CString* error) {
  CString message;
  auto fail = [&](const CString& why) {
    if (error) *error = why;
    return false;
  };
  if (!doc) return fail(L"There is no document to save.");

  Vectorloom::CBitmapResObjsList bitmaps;
  CVideoFilePathsMap videos;
  // Pages never loaded since the document was opened are copied as stored, with the pictures
  // and fonts of their file.
  CCacheLfwPageContent* stored = FindStoredPagesSource(doc);
  CZipSavingPdfPages pages(doc, bitmaps, &videos);
  pages.SetStoredPagesSource(stored);
  CZipSavingBitmapResObjs pictures(bitmaps);
  CZipSavingDocumentFonts fonts(*doc->GetEmbedFontResManager(), stored, doc);
  CDeflateSavingVideos clips(videos);
  const CString v1(kLfwVersion1), v2(kLfwVersion2);

  WriteLfwFileHeader(file);
  if (!pages.SavingBlockTag(&file) || !pictures.SavingBlockTag(&file) || !fonts.SavingBlockTag(&file) ||
      !clips.SavingBlockTag(&file))
    return fail(L"The file is too large.");

  auto section = [&](float share, auto&& body) {
    if (progress) progress->PushRange(share);
    const bool ok = body();
    if (progress) progress->PopRange();
    return ok;
  };
  if (!section(0.6f, [&] { return pages.SavingBlocks(&file, v1, v2, progress); }))
    return fail(pages.GetSaveError().IsEmpty() ? CString(L"The pages cannot be saved.") : pages.GetSaveError());
  pictures.CarryStoredPictures(stored, doc);
  if (!section(0.15f, [&] { return pictures.SavingBlocks(&file, v1, v2, progress); }))
    return fail(pictures.GetSaveError().IsEmpty() ? CString(L"The pictures cannot be saved.")
                                                  : pictures.GetSaveError());
  if (!section(0.15f, [&] { return fonts.SavingBlocks(&file, v1, v2, progress); }))
    return fail(L"The embedded fonts cannot be saved.");
  if (!section(0.1f, [&] { return clips.SavingBlocks(&file, v1, v2, progress); }))
    return fail(L"The video clips cannot be saved (a clip cannot be read, or its path is too long).");
  return true;
}

BOOL CLfwSaveException::GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  if (!lpszError || nMaxError == 0) return FALSE;
  const UINT n = std::min<UINT>(static_cast<UINT>(m_strReason.GetLength()), nMaxError - 1);
  std::wmemcpy(lpszError, m_strReason.GetString(), n);
  lpszError[n] = L'\0';
  return TRUE;
}

void CLeafwrightDoc::Serialize(CArchive& ar) {
  if (!ar.IsStoring()) AfxThrowNotSupportedException();
  CString reason;
  if (!WriteLfwDocument(this, *ar.GetFile(), m_pSaveProgress, &reason)) throw new CLfwSaveException(reason);
}
