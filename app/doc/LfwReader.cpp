// The page content source over a document file and the video folder it unpacks clips into.
#include "LfwReader.h"

#include "LfdExtract.h"

#include <afxbinio.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/EmbedFontRes.h>
#include <lwstr.h>
#include <objidl.h>
#include <quirebook/StoredPath.h>
#include <quirebook/VideoObj.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/StreamReader.h>
#include <vectorloom/UnitConv.h>
#include <winfile.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

#include "CreateObjectFactory.h"
#include "FinishLoadedObjects.h"
#include "PageObjectRecords.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Clips in use by the documents of this process.

std::mutex& ClipsLock() {
  static std::mutex lock;
  return lock;
}

std::multimap<const void*, std::wstring>& Clips() {
  static std::multimap<const void*, std::wstring> clips;
  return clips;
}

// Index entry words of a table kept by a section reader.
const uint32_t* EntryWords(const std::vector<uint32_t>& table, unsigned entrySize, unsigned index) {
  return table.data() + static_cast<size_t>(index) * (entrySize / 4);
}

struct SectionHeader {
  char tag[4];
  uint32_t indexPos;
  uint32_t length;
};

}  // namespace

void AddInUseVideoClip(const void* owner, const std::wstring& path) {
  if (path.empty()) return;
  std::lock_guard<std::mutex> guard(ClipsLock());
  auto range = Clips().equal_range(owner);
  for (auto it = range.first; it != range.second; ++it)
    if (it->second == path) return;
  Clips().emplace(owner, path);
}

void ReleaseInUseVideoClips(const void* owner) {
  std::lock_guard<std::mutex> guard(ClipsLock());
  Clips().erase(owner);
}

bool IsVideoClipInUse(const std::wstring& path) {
  std::lock_guard<std::mutex> guard(ClipsLock());
  for (const auto& [owner, clip] : Clips())
    if (clip == path) return true;
  return false;
}

std::wstring GetLfwVideoFolder() {
  wchar_t documents[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, TRUE)) return std::wstring();
  std::wstring folder = documents;
  while (folder.size() > 1 && (folder.back() == L'/' || folder.back() == L'\\')) folder.pop_back();
  folder += L"/Leafwright Videos";
  std::error_code ec;
  const std::filesystem::path os(lw::NativePath(folder));
  std::filesystem::create_directories(os, ec);
  if (!std::filesystem::is_directory(os, ec)) return std::wstring();
  return folder;
}

void EmptyLfwVideoFolder(const std::wstring& folder) {
  if (folder.empty()) return;
  std::error_code ec;
  std::filesystem::directory_iterator it(std::filesystem::path(lw::NativePath(folder)), ec), end;
  for (; !ec && it != end; it.increment(ec)) {
    std::error_code statusError;
    if (it->is_symlink(statusError)) continue;
    const std::wstring name = lw::Utf8ToWide(it->path().filename().string());
    const std::wstring path = folder + L"/" + name;
    std::error_code removeError;
    if (it->is_directory(statusError)) {
      // A folder a clip was unpacked into goes with its clip; other folders stay.
      if (!Quirebook::IsUnpackedClipFolderName(name)) continue;
      bool inUse = false;
      std::error_code listError;
      std::filesystem::directory_iterator inner(it->path(), listError);
      for (; !listError && inner != end; inner.increment(listError))
        inUse = inUse || IsVideoClipInUse(path + L"/" + lw::Utf8ToWide(inner->path().filename().string()));
      if (!inUse && !listError) std::filesystem::remove_all(it->path(), removeError);
      continue;
    }
    if (!it->is_regular_file(statusError) || IsVideoClipInUse(path)) continue;
    std::filesystem::remove(it->path(), removeError);
  }
}

// ---------------------------------------------------------------------------------------------
// Page fingerprints

LfwPageFingerprint MakeLfwPageFingerprint(const CDrawingPage& page) {
  CMemFile mem(4096);
  lw::bin::WriteF32(mem, page.GetLogWidth());
  lw::bin::WriteF32(mem, page.GetLogHeight());
  lw::bin::WriteU32(mem, static_cast<uint32_t>(page.GetPageLogUnit()));
  lw::bin::WriteU32(mem, static_cast<uint32_t>(page.GetPageFlags()));
  SaveObjectList(mem, page.GetRenderObjectList(), CString(kLfwVersion2));
  const uint8_t* p = mem.GetBufferPtr();
  const auto n = static_cast<size_t>(mem.GetLength());
  // Two unrelated hashes: FNV-1a and a multiply-xorshift over the same bytes.
  LfwPageFingerprint fp;
  fp.length = n;
  uint64_t h1 = 0xcbf29ce484222325ull, h2 = 0x9E3779B97F4A7C15ull ^ n;
  for (size_t i = 0; i < n; ++i) {
    h1 = (h1 ^ p[i]) * 0x100000001b3ull;
    h2 = (h2 + p[i] + 1) * 0xff51afd7ed558ccdull;
    h2 ^= h2 >> 29;
  }
  fp.hash1 = h1;
  fp.hash2 = h2;
  return fp;
}

// ---------------------------------------------------------------------------------------------
// Section readers

bool CZipRomExtractPageContent::IsPossiblePageSize(float width, float height, uint32_t unit) {
  if (unit > Vectorloom::UNIT_POINT || !std::isfinite(width) || !std::isfinite(height)) return false;
  const double perUnit = Vectorloom::CUnitConv::It2PixelD(1.0, static_cast<int>(unit), 72);
  const double w = width * perUnit, h = height * perUnit;
  // A little room above the largest size for the rounding of a float in another unit.
  const double most = kMaxPagePoints * 1.0001;
  return w >= kMinPagePoints && h >= kMinPagePoints && w <= most && h <= most;
}

bool CZipRomExtractPageContent::ExtractBlockContent(const unsigned*, const unsigned char* data, unsigned length,
                                                    const CString&, const CString& s2) {
  if (!m_pPage || !m_pBitmaps || !data || length < kLfwPageHeaderSize) return false;
  CMemFile mem(const_cast<BYTE*>(data), length);
  float width = 0, height = 0;
  uint32_t unit = 0, flags = 0;
  if (!lw::bin::ReadF32(mem, width) || !lw::bin::ReadF32(mem, height) || !lw::bin::ReadU32(mem, unit) ||
      !lw::bin::ReadU32(mem, flags))
    return false;
  // A unit the conversions do not know would leave lengths unconverted, or divide by zero at
  // the next save.
  if (unit > Vectorloom::UNIT_POINT || !IsPossiblePageSize(width, height, unit)) return false;

  Vectorloom::CRenderBaseObjectList objects;
  {
    CObjectCountBudget budget(kMaxPageObjects);
    if (!LoadObjectList(mem, objects, &m_module, *m_pBitmaps, s2)) return false;
  }

  int dpiX = 96, dpiY = 96;
  Quirebook::GetScreenDpi(dpiX, dpiY);
  const float f = static_cast<float>(Vectorloom::CUnitConv::It2PixelD(1.0, static_cast<int>(unit), dpiX));
  const float g = static_cast<float>(Vectorloom::CUnitConv::It2PixelD(1.0, static_cast<int>(unit), dpiY));
  for (Vectorloom::CRenderBaseObj* obj : objects) obj->ScaleLengthParam(f, g);

  m_pPage->Clear();
  m_pPage->SetLogWidth(width);
  m_pPage->SetLogHeight(height);
  m_pPage->SetPageLogUnit(static_cast<int>(unit));
  m_pPage->SetPageFlags(flags);
  for (Vectorloom::CRenderBaseObj* obj : objects) m_pPage->AddShapeObject(obj);
  return true;
}

int CZipRomExtractBitmapResObj::FindEntry(const CString& path, uint32_t size, int64_t time) const {
  for (unsigned i = 0; i < m_nCount; ++i) {
    const uint32_t* w = EntryWords(m_vEntries, m_nEntrySize, i);
    const int64_t entryTime = static_cast<int64_t>(static_cast<uint64_t>(w[5]) | (static_cast<uint64_t>(w[6]) << 32));
    if (w[4] != size || entryTime != time) continue;
    uint8_t field[kLfwPathUnits * 2];
    for (unsigned k = 0; k < kLfwPathUnits / 2; ++k) lw::bin::PutLE32(field + 4 * k, w[7 + k]);
    if (Quirebook::StoredPathMatches(DecodeLfwPathField(field).str(), path.str())) return static_cast<int>(i);
  }
  return -1;
}

bool CZipRomExtractBitmapResObj::ExtractBlockContent(const unsigned*, const unsigned char* data, unsigned length,
                                                     const CString&, const CString&) {
  m_nRefusedWidth = m_nRefusedHeight = 0;
  if (!m_pTarget) return false;
  std::optional<Gdiplus::Status> refused;
  Gdiplus::Bitmap* bitmap = DecodePictureBytes(data, length, &refused);
  if (!bitmap) {
    if (refused) m_pTarget->SetLastStatus(*refused);
    uint32_t w = 0, h = 0;
    if (refused == Gdiplus::OutOfMemory && PeekPictureSize(data, length, &w, &h)) {
      m_nRefusedWidth = w;
      m_nRefusedHeight = h;
    }
    return false;
  }
  m_pTarget->SetGdiBitmap(bitmap, nullptr, 1);
  return true;
}

int CZipRomExtractEmbedFont::FindEntry(int fontId) const {
  for (unsigned i = 0; i < m_nCount; ++i)
    if (static_cast<int32_t>(EntryWords(m_vEntries, m_nEntrySize, i)[3]) == fontId) return static_cast<int>(i);
  return -1;
}

bool CZipRomExtractEmbedFont::ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length,
                                                  const CString&, const CString&) {
  if (!m_pTarget || !tail || !data) return false;
  if (!m_pTarget->SetByBinaryContent(data, length)) return false;
  m_pTarget->SetFontID(static_cast<int32_t>(tail[0]));
  return true;
}

// ---------------------------------------------------------------------------------------------
// CCacheLfwPageContent

CCacheLfwPageContent::CCacheLfwPageContent(const wchar_t* path) {
  auto file = std::make_unique<CFile>();
  if (!path || !file->Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
    m_strOpenError = L"The file cannot be opened.";
    return;
  }
  m_file = std::move(file);
  m_bOpened = ReadHeaders();
}

CCacheLfwPageContent::CCacheLfwPageContent(std::unique_ptr<CFile> file) : m_file(std::move(file)) {
  if (!m_file) {
    m_strOpenError = L"The file cannot be opened.";
    return;
  }
  m_bOpened = ReadHeaders();
}

CCacheLfwPageContent::~CCacheLfwPageContent() {
  for (auto& [entry, res] : m_pictureCache) res->Release();
  if (m_file) m_file->Abort();
}

void CCacheLfwPageContent::SweepPictureCache() {
  for (auto it = m_pictureCache.begin(); it != m_pictureCache.end();) {
    if (it->second->GetRefCount() <= 1) {
      it->second->Release();
      it = m_pictureCache.erase(it);
    } else {
      ++it;
    }
  }
}

bool CCacheLfwPageContent::ReadHeaders() {
  auto fail = [this](const wchar_t* why) {
    m_strOpenError = why;
    m_pages.Clear();
    m_pictures.Clear();
    m_fonts.Clear();
    return false;
  };
  try {
    CFile* file = m_file.get();
    const ULONGLONG fileLength = file->GetLength();
    uint8_t head[kLfwSectionsPos];
    file->SeekToBegin();
    if (fileLength < kLfwSectionsPos || !lw::bin::ReadBytes(*file, head, sizeof(head)))
      return fail(L"The file is too short to be a document file.");
    // A document file has four sections; an extracted page file ("EPDF") has three, or four
    // when it carries video clips.
    const bool extract = std::memcmp(head, kLfdFileTag, 4) == 0;
    if (!extract && std::memcmp(head, kLfwFileTag, 4) != 0) return fail(L"The file is not a document file.");
    int sections = 4;
    if (extract) {
      CStreamReader first(head + kLfwSectionHeadersPos + 4, 4);
      uint32_t pageIndexPos = 0;
      first.ReadU32(pageIndexPos);
      sections = std::memcmp(head + kLfwSectionHeadersPos + 36, "avst", 4) == 0 && pageIndexPos >= kLfwSectionsPos ? 4 : 3;
    }
    m_strVersion1 = CString(reinterpret_cast<const char*>(head + 4), 4);
    m_strVersion2 = CString(reinterpret_cast<const char*>(head + 8), 4);

    // The four headers in their fixed order, their sections one after another behind them.
    static constexpr const char* kTags[4] = {"Page", "Dibs", "Font", "avst"};
    SectionHeader headers[4];
    uint64_t sectionStart = kLfwSectionHeadersPos + 12u * static_cast<unsigned>(sections);
    CStreamReader in(head + kLfwSectionHeadersPos, sizeof(head) - kLfwSectionHeadersPos);
    for (int i = 0; i < sections; ++i) {
      if (!in.ReadData(headers[i].tag, 4) || !in.ReadU32(headers[i].indexPos) || !in.ReadU32(headers[i].length))
        return fail(L"The file is too short to be a document file.");
      if (std::memcmp(headers[i].tag, kTags[i], 4) != 0) return fail(L"The sections of the file are not in order.");
      if (headers[i].indexPos < sectionStart || headers[i].length < 4 ||
          static_cast<uint64_t>(headers[i].indexPos) + headers[i].length > fileLength)
        return fail(L"The sections of the file are damaged.");
      sectionStart = static_cast<uint64_t>(headers[i].indexPos) + headers[i].length;
    }

    file->Seek(kLfwSectionHeadersPos, CFile::begin);
    if (!m_pages.ReadBlocksTag(file) || !m_pictures.ReadBlocksTag(file) || !m_fonts.ReadBlocksTag(file) ||
        (sections == 4 && !m_videos.ReadBlocksTag(file)))
      return fail(L"The sections of the file are not in order.");

    // Each index: entries of exactly its section's size, all blocks inside the section.
    struct Check {
      CZipRomExtractInterface* reader;
      unsigned entrySize;
      const SectionHeader* header;
    } checks[3] = {{&m_pages, kLfwPageEntrySize, &headers[0]},
                   {&m_pictures, kLfwDibsEntrySize, &headers[1]},
                   {&m_fonts, kLfwFontEntrySize, &headers[2]}};
    for (const Check& c : checks) {
      if (!c.reader->ReadIndexs(file)) return fail(L"An index of the file is damaged.");
      if (c.reader->GetCount() == 0) continue;
      const uint64_t tableEnd =
          static_cast<uint64_t>(c.header->indexPos) + 4 + static_cast<uint64_t>(c.reader->GetCount()) * c.entrySize;
      const uint64_t sectionEnd = static_cast<uint64_t>(c.header->indexPos) + c.header->length;
      if (c.reader->GetEntrySize() != c.entrySize || tableEnd > sectionEnd)
        return fail(L"An index of the file is damaged.");
    }
    if (sections == 4 && !m_videos.ReadIndexs(file)) return fail(L"The video index of the file is damaged.");
    if (sections == 4) {
      const uint64_t tableEnd =
          static_cast<uint64_t>(headers[3].indexPos) + 4 + static_cast<uint64_t>(m_videos.GetCount()) * kLfwVideoEntrySize;
      if (tableEnd > static_cast<uint64_t>(headers[3].indexPos) + headers[3].length)
        return fail(L"The video index of the file is damaged.");
    }
    if (m_pages.GetCount() == 0) return fail(L"The file holds no pages.");
  } catch (CException* e) {
    e->Delete();
    return fail(L"The file cannot be read.");
  }

  m_strOpenError.Empty();
  m_strVideoFolder = GetLfwVideoFolder();
  EmptyLfwVideoFolder(m_strVideoFolder);
  m_videos.SetExtractFolderName(m_strVideoFolder);
  return true;
}

int CCacheLfwPageContent::GetPagesCount() { return m_bOpened ? static_cast<int>(m_pages.GetCount()) : 0; }

bool CCacheLfwPageContent::LoadPageContent(CDrawingPage* page, int number, CPublicationDoc* doc) {
  if (!m_bOpened || !page || !doc) return false;
  if (number < 1 || static_cast<unsigned>(number) > m_pages.GetCount()) return false;
  try {
    Vectorloom::CBitmapResObjsList pageBitmaps;
    m_pages.SetTarget(page, &pageBitmaps);
    const bool read = m_pages.ReadBlock(m_file.get(), number - 1, m_strVersion1, m_strVersion2);
    m_pages.SetTarget(nullptr, nullptr);
    if (!read) {
      page->Clear();
      return false;
    }
    ResolvePictures(page, number, doc, pageBitmaps);
    const bool renamed = ResolveFonts(page, number, doc);
    FinishLoadedObjects(page->GetRenderObjectList(), *doc);
    const bool moved = PlaceVideos(page, doc);
    // A page whose records now differ from its block (fonts renamed, clips moved) must be written
    // from its objects; otherwise its block can be written back as it is.
    if (renamed || moved)
      m_fingerprints.erase(number - 1);
    else
      m_fingerprints[number - 1] = MakeLfwPageFingerprint(*page);
  } catch (CException* e) {
    e->Delete();
    m_pages.SetTarget(nullptr, nullptr);
    page->Clear();
    return false;
  }
  return true;
}

void CCacheLfwPageContent::ResolvePictures(CDrawingPage* page, int number, CPublicationDoc* doc,
                                           Vectorloom::CBitmapResObjsList& pageBitmaps) {
  Vectorloom::CBitmapResObjsList used;
  for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList()) obj->CollectExternalBmpResObjs(used);
  for (Vectorloom::CBitmapResObj* res : pageBitmaps) used.AddUnique(res);

  SweepPictureCache();
  Vectorloom::CBitmapResObjsList shared;
  for (Vectorloom::CBitmapResObj* res : used) {
    if (!res || res->GetResourceKind() != Vectorloom::BITMAP_RES_EXTERNAL || res->HasBitmap()) continue;
    auto* ext = static_cast<Vectorloom::CExternalBmpResObj*>(res);
    // A picture another page already shows is shared, not decoded again.
    Vectorloom::CExternalBmpResObj* found =
        doc->FindBitmapResObject(ext->GetPathName(), ext->GetFileSize(), ext->GetFileTime());
    if (found && found != ext && found->HasBitmap()) {
      shared.AddUnique(found);
      continue;
    }
    const int entry = m_pictures.FindEntry(ext->GetPathName(), ext->GetFileSize(), ext->GetFileTime());
    if (entry < 0) continue;  // saved without its pixels: there was nothing to keep
    const auto cached = m_pictureCache.find(entry);
    if (cached != m_pictureCache.end() && cached->second->HasBitmap()) {
      shared.AddUnique(cached->second);
      continue;
    }
    m_pictures.SetTarget(ext);
    const bool decoded = m_pictures.ReadBlock(m_file.get(), entry, m_strVersion1, m_strVersion2);
    m_pictures.SetTarget(nullptr);
    if (!decoded) {
      // The picture's place stays empty; the user learns why.
      const uint32_t w = m_pictures.GetRefusedWidth(), h = m_pictures.GetRefusedHeight();
      Quirebook::DroppedItem item{number, Quirebook::DroppedItem::kPictureUnreadable, 0, 0};
      if (w > 0 && h > 0) {
        item.kind = Quirebook::DroppedItem::kImageTooLarge;
        item.width = static_cast<int>(std::min<uint32_t>(w, INT32_MAX));
        item.height = static_cast<int>(std::min<uint32_t>(h, INT32_MAX));
      }
      doc->AddDroppedItem(item);
      continue;
    }
    ext->AddRef();
    if (cached != m_pictureCache.end()) {
      cached->second->Release();
      cached->second = ext;
    } else {
      m_pictureCache.emplace(entry, ext);
    }
  }
  if (!shared.IsEmpty())
    for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList()) obj->AssignExternalBmpRes2(shared);
}

bool CCacheLfwPageContent::GetUnchangedPageBlock(int number, const CDrawingPage& page, std::vector<uint8_t>& block) {
  block.clear();
  if (!m_bOpened) return false;
  const auto it = m_fingerprints.find(number - 1);
  if (it == m_fingerprints.end() || !(it->second == MakeLfwPageFingerprint(page))) return false;
  try {
    return m_pages.ReadUnpackedBlock(m_file.get(), number - 1, block);
  } catch (CException* e) {
    e->Delete();
    block.clear();
    return false;
  }
}

CZipRomExtractInterface* CCacheLfwPageContent::StoredReader(Section section) {
  return const_cast<CZipRomExtractInterface*>(std::as_const(*this).StoredReader(section));
}

const CZipRomExtractInterface* CCacheLfwPageContent::StoredReader(Section section) const {
  if (!m_bOpened) return nullptr;
  switch (section) {
    case Section::Pages:
      return &m_pages;
    case Section::Pictures:
      return &m_pictures;
    case Section::Fonts:
      return &m_fonts;
  }
  return nullptr;
}

unsigned CCacheLfwPageContent::GetStoredCount(Section section) const {
  const CZipRomExtractInterface* reader = StoredReader(section);
  return reader ? reader->GetCount() : 0u;
}

const uint32_t* CCacheLfwPageContent::GetStoredEntryTail(Section section, unsigned index) const {
  const CZipRomExtractInterface* reader = StoredReader(section);
  return reader ? reader->GetEntryTail(static_cast<int>(index)) : nullptr;
}

bool CCacheLfwPageContent::ReadStoredBlock(Section section, unsigned index, std::vector<uint8_t>& packed,
                                           uint32_t& rawLength) {
  CZipRomExtractInterface* reader = StoredReader(section);
  if (!reader) return false;
  try {
    return reader->ReadPackedBlock(m_file.get(), static_cast<int>(index), packed, rawLength);
  } catch (CException* e) {
    e->Delete();
    packed.clear();
    return false;
  }
}

bool CCacheLfwPageContent::ReadStoredFontRecord(unsigned index, std::vector<uint8_t>& record) {
  if (!m_bOpened) return false;
  try {
    return m_fonts.ReadUnpackedBlock(m_file.get(), static_cast<int>(index), record);
  } catch (CException* e) {
    e->Delete();
    record.clear();
    return false;
  }
}

bool CCacheLfwPageContent::ResolveFonts(CDrawingPage* page, int number, CPublicationDoc* doc) {
  std::vector<int> ids;
  CollectEmbedFontIDs(page->GetRenderObjectList(), ids);
  if (ids.empty()) return false;
  std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>> read;
  for (int id : ids) {
    const int entry = m_fonts.FindEntry(id);
    bool ok = entry >= 0;
    auto font = std::make_unique<GlyphweaveLib::CEmbedFontResouce>();
    if (ok) {
      m_fonts.SetTarget(font.get());
      ok = m_fonts.ReadBlock(m_file.get(), entry, m_strVersion1, m_strVersion2) && font->GetFontID() == id;
      m_fonts.SetTarget(nullptr);
    }
    if (ok)
      read.push_back(std::move(font));
    else
      doc->AddDroppedItem(Quirebook::DroppedItem{number, Quirebook::DroppedItem::kFontUnreadable, 0, 0});
  }
  // One old -> new map for the whole page, applied once.
  const std::map<int, int> remap = MergeEmbedFonts(*doc->GetEmbedFontResManager(), read);
  bool renamed = false;
  for (const auto& [from, to] : remap) renamed = renamed || from != to;
  if (renamed) RemapEmbedFontIDs(page->GetRenderObjectList(), remap);
  return renamed;
}

bool CCacheLfwPageContent::PlaceVideos(CDrawingPage* page, CPublicationDoc* doc) {
  Vectorloom::CRenderBaseObjectList videos;
  page->CollectVideoObjects(videos);
  bool moved = false;
  for (Vectorloom::CRenderBaseObj* obj : videos) {
    auto* video = dynamic_cast<CBaseVideoObj*>(obj);
    if (!video) continue;
    const std::wstring stored = video->GetVideoFullPathName();
    m_videos.ExtractVideo(m_file.get(), video, m_strVersion1, m_strVersion2);
    moved = moved || video->GetVideoFullPathName() != stored;
    AddInUseVideoClip(doc, video->GetVideoFullPathName());
  }
  return moved;
}
