// The video section: gathering clips, packing them into the document file and unpacking them.
#include "quirebook/VideoStore.h"

#include <QorProgress.h>
#include <afxbinio.h>
#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <lwreplace.h>
#include <lwstr.h>
#include <winfile.h>
#include <winstring.h>
#include <zlib.h>

#include <clipdeck/Clipdeck.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>

#include <vectorloom/GroupObj.h>
#include <vectorloom/StreamReader.h>

#include "quirebook/PublicationDoc.h"
#include "quirebook/StoredPath.h"
#include "quirebook/VideoObj.h"

namespace Quirebook {

namespace {

constexpr char kVideoTag[4] = {'a', 'v', 's', 't'};
constexpr uint64_t kMaxPosition = 0xFFFFFFFFull;

bool WriteAll(int fd, const unsigned char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Size (low 32 bits) and modification time of a file; false when it cannot be read.
bool GetFileSizeAndTime(const std::wstring& path, uint32_t& size, int64_t& time) {
  struct stat st {};
  if (::stat(lw::NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  size = static_cast<uint32_t>(static_cast<uint64_t>(st.st_size) & 0xFFFFFFFFu);
  time = static_cast<int64_t>(st.st_mtime);
  return true;
}

// True unless both files exist and are different files.
bool MayBeSameFile(const std::wstring& a, const std::wstring& b) {
  struct stat sa {}, sb {};
  if (::stat(lw::NativePath(a).c_str(), &sa) != 0 || ::stat(lw::NativePath(b).c_str(), &sb) != 0) return true;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// The part after the last '\' or '/'.
std::wstring BaseName(const std::wstring& path) {
  const size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? path : path.substr(cut + 1);
}

// Writes a zero-filled field of 260 units; false when the units do not fit (with their zero).
bool WriteUnits(CFile* file, const std::u16string& units) {
  if (units.size() >= kVideoPathUnits) return false;
  uint8_t field[kVideoPathUnits * 2] = {};
  for (size_t i = 0; i < units.size(); ++i) lw::bin::PutLE16(field + i * 2, static_cast<uint16_t>(units[i]));
  file->Write(field, sizeof(field));
  return true;
}

bool WriteField(CFile* file, const std::wstring& text) { return WriteUnits(file, lw::WideToUtf16(text)); }

// Packs a whole file into `out` as one zlib stream. 1 = done, 0 = the source cannot be opened,
// -1 = it could not be read or packed whole.
int DeflateFile(const std::wstring& source, CFile* out) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(std::fopen(lw::NativePath(source).c_str(), "rb"), &std::fclose);
  if (!in) return 0;
  z_stream zs{};
  if (deflateInit(&zs, 5) != Z_OK) return -1;
  std::vector<unsigned char> inBuf(kVideoChunkSize), outBuf(kVideoChunkSize);
  int result = 1;
  int flush = Z_NO_FLUSH;
  try {
    do {
      const size_t got = std::fread(inBuf.data(), 1, inBuf.size(), in.get());
      if (std::ferror(in.get())) {
        result = -1;
        break;
      }
      flush = std::feof(in.get()) ? Z_FINISH : Z_NO_FLUSH;
      zs.next_in = inBuf.data();
      zs.avail_in = static_cast<uInt>(got);
      do {
        zs.next_out = outBuf.data();
        zs.avail_out = static_cast<uInt>(outBuf.size());
        const int rc = deflate(&zs, flush);
        if (rc == Z_STREAM_ERROR) {
          result = -1;
          break;
        }
        const size_t have = outBuf.size() - zs.avail_out;
        if (have) out->Write(outBuf.data(), static_cast<UINT>(have));
      } while (zs.avail_out == 0);
    } while (result == 1 && flush != Z_FINISH);
  } catch (...) {
    deflateEnd(&zs);
    throw;
  }
  deflateEnd(&zs);
  return result;
}

}  // namespace

std::wstring FoldVideoPath(const std::wstring& path) {
  std::wstring folded = path;
  for (wchar_t& c : folded) c = lw::ToLowerChar(c);
  return folded;
}

bool VideoKeyLess(const std::wstring& a, const std::wstring& b) {
  const std::u16string ua = lw::WideToUtf16(a), ub = lw::WideToUtf16(b);
  return ua < ub;  // char16_t compares as an unsigned unit
}

bool _TheVideoFilePathKey::operator<(const _TheVideoFilePathKey& o) const {
  if (VideoKeyLess(folded, o.folded)) return true;
  if (VideoKeyLess(o.folded, folded)) return false;
  return VideoKeyLess(original, o.original);
}

// ---------------------------------------------------------------------------------------------
// CVideoFilePathsMap

void CVideoFilePathsMap::AddVideoPath(const std::wstring& fullPath) {
  const std::wstring folded = FoldVideoPath(fullPath);
  for (auto it = m_map.lower_bound({folded, std::wstring()}); it != m_map.end() && it->first.folded == folded; ++it)
    if (it->first.original == fullPath || MayBeSameFile(it->first.original, fullPath)) return;
  const std::wstring stored = FindUniqueFileName(BaseName(fullPath));
  m_map.emplace(_TheVideoFilePathKey{folded, fullPath}, stored);
}

bool CVideoFilePathsMap::IsNameAlreadyExisted(const std::wstring& name) const {
  for (const auto& [key, stored] : m_map)
    if (stored == name) return true;
  return false;
}

std::wstring CVideoFilePathsMap::FindUniqueFileName(const std::wstring& name) const {
  if (!IsNameAlreadyExisted(name)) return name;
  const size_t dot = name.rfind(L'.');
  const std::wstring base = dot == std::wstring::npos ? name : name.substr(0, dot);
  const std::wstring ext = dot == std::wstring::npos ? std::wstring() : name.substr(dot);
  for (unsigned long n = 2;; ++n) {
    const std::wstring candidate = base + std::to_wstring(n) + ext;
    if (!IsNameAlreadyExisted(candidate)) return candidate;
  }
}

std::wstring CVideoFilePathsMap::GetStoredName(const std::wstring& fullPath) const {
  const std::wstring folded = FoldVideoPath(fullPath);
  const std::wstring* first = nullptr;
  for (auto it = m_map.lower_bound({folded, std::wstring()}); it != m_map.end() && it->first.folded == folded; ++it) {
    if (it->first.original == fullPath) return it->second;
    if (!first && MayBeSameFile(it->first.original, fullPath)) first = &it->second;
  }
  return first ? *first : std::wstring();
}

// ---------------------------------------------------------------------------------------------
// CDeflateSavingVideos

bool CDeflateSavingVideos::SavingBlockTag(CFile* file) {
  const ULONGLONG pos = file->GetPosition();
  if (pos + 12 > kMaxPosition) return false;
  m_nHeaderPos = static_cast<uint32_t>(pos);
  file->Write(kVideoTag, 4);
  lw::bin::WriteU32(*file, 0);
  lw::bin::WriteU32(*file, 0);
  return true;
}

bool CDeflateSavingVideos::SavingIndexs(CFile* file) const {
  using namespace lw::bin;
  WriteU32(*file, static_cast<uint32_t>(m_map.GetCount()));
  for (const auto& [key, stored] : m_map.GetMap()) {
    WriteU32(*file, 0);
    WriteU32(*file, 0);
    // The path is recorded as given, so that the clip can be found in place on a file system
    // that tells case apart; readers compare it folded. A path too long for its field is
    // recorded as its reference.
    if (!WriteUnits(file, FitStoredPath(key.original)) || !WriteField(file, stored)) return false;
    uint32_t size = 0;
    int64_t time = 0;
    if (!GetFileSizeAndTime(key.original, size, time)) size = 0, time = 0;
    WriteU32(*file, size);
    WriteI64(*file, time);
  }
  return true;
}

bool CDeflateSavingVideos::SavingBlocks(CFile* file, const CString&, const CString&, CQorCommonProgress* progress) {
  using namespace lw::bin;
  const size_t count = m_map.GetCount();
  const ULONGLONG indexPos = file->GetPosition();
  if (indexPos > kMaxPosition) return false;
  if (!SavingIndexs(file)) return false;
  const ULONGLONG firstEntry = indexPos + 4;
  size_t i = 0;
  for (const auto& [key, stored] : m_map.GetMap()) {
    const ULONGLONG start = file->GetPosition();
    if (start > kMaxPosition) return false;
    if (DeflateFile(key.original, file) < 0) return false;
    const ULONGLONG end = file->GetPosition();
    if (end > kMaxPosition) return false;
    file->Seek(static_cast<LONGLONG>(firstEntry + i * kVideoEntrySize), CFile::begin);
    WriteU32(*file, static_cast<uint32_t>(start));
    WriteU32(*file, static_cast<uint32_t>(end - start));
    file->Seek(static_cast<LONGLONG>(end), CFile::begin);
    ++i;
    if (progress) progress->SetProgress(static_cast<float>(i) / static_cast<float>(count));
  }
  const ULONGLONG end = file->GetPosition();
  if (end > kMaxPosition) return false;
  file->Seek(m_nHeaderPos + 4, CFile::begin);
  WriteU32(*file, static_cast<uint32_t>(indexPos));
  WriteU32(*file, static_cast<uint32_t>(end - indexPos));
  file->Seek(static_cast<LONGLONG>(end), CFile::begin);
  return true;
}

// ---------------------------------------------------------------------------------------------
// CDeflateRomExtractVideos

bool CDeflateRomExtractVideos::ReadBlocksTag(CFile* file) {
  uint8_t head[12];
  if (file->Read(head, 12) != 12 || std::memcmp(head, kVideoTag, 4) != 0) return false;
  CStreamReader in(head + 4, 8);
  return in.ReadU32(m_nIndexPos) && in.ReadU32(m_nSectionLength);
}

bool CDeflateRomExtractVideos::ReadIndexs(CFile* file) {
  static_assert(kVideoPathUnits == kStoredPathUnits);
  m_entries.clear();
  m_unpacked.clear();
  const ULONGLONG length = file->GetLength();
  if (static_cast<ULONGLONG>(m_nIndexPos) + 4 > length) return false;
  file->Seek(m_nIndexPos, CFile::begin);
  uint32_t count = 0;
  if (!lw::bin::ReadU32(*file, count)) return false;
  const ULONGLONG firstEntry = static_cast<ULONGLONG>(m_nIndexPos) + 4;
  if (count == 0) return true;
  if (count > (length - firstEntry) / kVideoEntrySize) return false;
  std::vector<uint8_t> table(static_cast<size_t>(count) * kVideoEntrySize);
  if (!lw::bin::ReadBytes(*file, table.data(), table.size())) return false;
  const ULONGLONG tableEnd = firstEntry + table.size();
  std::vector<Entry> entries;
  entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    CStreamReader in(&table[static_cast<size_t>(i) * kVideoEntrySize], kVideoEntrySize);
    Entry e;
    if (!in.ReadU32(e.position) || !in.ReadU32(e.length)) return false;
    if (e.length && (e.position < tableEnd || static_cast<ULONGLONG>(e.position) + e.length > length)) return false;
    if (!ReadStoredPath(in, e.sourcePath) || !ReadStoredPath(in, e.storedName)) return false;
    if (!in.ReadU32(e.sourceSize) || !in.ReadI64(e.sourceTime)) return false;
    entries.push_back(std::move(e));
  }
  m_entries = std::move(entries);
  return true;
}

const CDeflateRomExtractVideos::Entry* CDeflateRomExtractVideos::FindEntry(const std::wstring& fullPath) const {
  const Entry* first = nullptr;
  for (const Entry& e : m_entries) {
    if (StoredPathMatches(e.sourcePath, fullPath)) return &e;
    if (!first && StoredPathMatchesFolded(e.sourcePath, fullPath)) first = &e;
  }
  return first;
}

std::wstring CDeflateRomExtractVideos::SafeStoredName(const std::wstring& stored) {
  const std::wstring name = BaseName(stored);
  if (name.empty() || name == L"." || name == L"..") return std::wstring();
  return name;
}

uint64_t CDeflateRomExtractVideos::UnpackLimit(const Entry& entry) {
  return entry.sourceSize != 0 && entry.sourceSize < kMaxUnpackedClipSize ? entry.sourceSize : kMaxUnpackedClipSize;
}

bool CDeflateRomExtractVideos::UnpackEntry(CFile* file, const Entry& entry, const std::wstring& target) const {
  if (entry.length == 0) return false;
  // The clip may not grow past the size its entry records, nor past the cap: a small file
  // could otherwise inflate to gigabytes on disk.
  const uint64_t limit = UnpackLimit(entry);
  uint64_t written = 0;
  // A clip already there (another document may be playing it) is replaced only by a whole one.
  lw::FileReplacement out;
  if (!out.Begin(lw::NativePath(target))) return false;
  z_stream zs{};
  bool ok = inflateInit(&zs) == Z_OK;
  if (ok) {
    std::vector<unsigned char> inBuf(kVideoChunkSize), outBuf(kVideoChunkSize);
    uint32_t left = entry.length;
    int rc = Z_OK;
    file->Seek(entry.position, CFile::begin);
    while (ok && rc != Z_STREAM_END) {
      if (left == 0) {
        ok = false;  // the stored stream ends before the zlib stream does
        break;
      }
      const UINT want = left < inBuf.size() ? left : static_cast<UINT>(inBuf.size());
      const UINT got = file->Read(inBuf.data(), want);
      if (got == 0) {
        ok = false;
        break;
      }
      left -= got;
      zs.next_in = inBuf.data();
      zs.avail_in = got;
      do {
        zs.next_out = outBuf.data();
        zs.avail_out = static_cast<uInt>(outBuf.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
          ok = false;
          break;
        }
        const size_t have = outBuf.size() - zs.avail_out;
        written += have;
        if (written > limit || (have && !WriteAll(out.Fd(), outBuf.data(), have))) {
          ok = false;
          break;
        }
        if (rc == Z_BUF_ERROR && zs.avail_in == 0) break;
      } while (rc != Z_STREAM_END && (zs.avail_out == 0 || zs.avail_in > 0));
    }
    inflateEnd(&zs);
  }
  if (!ok) {
    out.Abandon();
    return false;
  }
  return out.Commit();
}

bool CDeflateRomExtractVideos::ExtractVideo(CFile* file, CBaseVideoObj* video, const CString&, const CString&) {
  if (!file || !video) return false;
  const std::wstring asked = video->GetVideoFullPathName();
  const Entry* entry = FindEntry(asked);
  if (!entry) return false;
  // An entry found through a reference stands for the path the object asked with.
  const std::wstring source = FoldVideoPath(entry->sourcePath) == FoldVideoPath(asked) ? entry->sourcePath : asked;
  uint32_t size = 0;
  int64_t time = 0;
  const bool inPlace = !source.empty() && GetFileSizeAndTime(source, size, time) && size == entry->sourceSize &&
                       time == entry->sourceTime;
  if (inPlace) {
    video->SetVideoFullPathName(source);
  } else {
    // A clip is unpacked once however many objects play it; one that failed is not tried again.
    const size_t index = static_cast<size_t>(entry - m_entries.data());
    auto done = m_unpacked.find(index);
    if (done == m_unpacked.end()) {
      std::wstring target;
      const std::wstring name = SafeStoredName(entry->storedName);
      const std::wstring folder = name.empty() || m_strFolder.empty() ? std::wstring() : MakeUnpackedClipFolder(m_strFolder);
      if (!folder.empty()) {
        target = folder + L"/" + name;
        if (!UnpackEntry(file, *entry, target)) {
          ::rmdir(lw::NativePath(folder).c_str());
          target.clear();
        }
      }
      done = m_unpacked.emplace(index, target).first;
    }
    if (done->second.empty()) return false;
    video->SetVideoFullPathName(done->second);
  }
  return SetVideoPoster(video);
}

namespace {
constexpr wchar_t kUnpackedPrefix[] = L"unpacked-";
constexpr size_t kUnpackedDigits = 16;
}  // namespace

std::wstring MakeUnpackedClipFolder(const std::wstring& folder) {
  std::wstring base = folder;
  while (base.size() > 1 && (base.back() == L'/' || base.back() == L'\\')) base.pop_back();
  if (base.empty()) return std::wstring();
  static std::mutex lock;
  static std::mt19937_64 random{std::random_device{}() ^ (static_cast<uint64_t>(::getpid()) << 32)};
  for (int attempt = 0; attempt < 64; ++attempt) {
    uint64_t n;
    {
      std::lock_guard<std::mutex> guard(lock);
      n = random();
    }
    wchar_t digits[kUnpackedDigits + 1] = {};
    for (size_t i = 0; i < kUnpackedDigits; ++i) digits[i] = L"0123456789abcdef"[(n >> (4 * i)) & 15];
    const std::wstring path = base + L"/" + kUnpackedPrefix + digits;
    if (::mkdir(lw::NativePath(path).c_str(), 0700) == 0) return path;
    if (errno != EEXIST) return std::wstring();
  }
  return std::wstring();
}

bool IsUnpackedClipFolderName(const std::wstring& name) {
  const std::wstring prefix = kUnpackedPrefix;
  if (name.size() != prefix.size() + kUnpackedDigits || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i)
    if (!((name[i] >= L'0' && name[i] <= L'9') || (name[i] >= L'a' && name[i] <= L'f'))) return false;
  return true;
}

bool SetVideoPoster(CBaseVideoObj* video) {
  if (!video) return false;
  const std::string path = lw::WideToUtf8(video->GetVideoFullPathName());
  HAVOVERVIEW overview = AVOverviewOpen(path.c_str());
  if (!overview) return false;
  avOverviewInfo info;
  info.requestFlags = AVOVERVIEW_PROPERTIES | AVOVERVIEW_POSTER;
  AVGetOverviewInfo(overview, &info, -1.0, 0, 0);
  AVOverviewClose(overview);
  if (!info.poster) return false;
  Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromHBITMAP(info.poster, nullptr);
  DeleteObject(info.poster);
  if (!bitmap) return false;
  auto* res = new Vectorloom::CVideoClipResObj();
  res->SetGdiBitmap(bitmap, nullptr, 1);
  video->GetFillDefinition().SetRenderBitmap(res);
  video->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
  video->CreatePathStorage();
  video->RecalcuLayout();
  return true;
}

}  // namespace Quirebook

namespace Quirebook {

namespace {

void CollectVideoPaths(const Vectorloom::CRenderBaseObjectList& objects, CVideoFilePathsMap* map) {
  for (Vectorloom::CRenderBaseObj* obj : objects) {
    if (!obj) continue;
    if (obj->GetObjectType() == 4) {
      if (const auto* video = dynamic_cast<const CBaseVideoObj*>(obj)) map->AddVideoPath(video->GetVideoFullPathName());
    } else if (obj->GetObjectType() == 2) {
      CollectVideoPaths(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), map);
    }
  }
}

}  // namespace

void CDrawingPage::CollectVideoObjects(CVideoFilePathsMap* map) const {
  if (map) CollectVideoPaths(m_objList, map);
}

}  // namespace Quirebook
