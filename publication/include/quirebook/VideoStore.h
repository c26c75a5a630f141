// The video section ("avst") of the document file: the clips that video objects play, each packed
// whole as one zlib stream (format in docs/formats.md).
//
// Paths: clips are matched by their case-folded full path, but files are always opened with the
// path exactly as given, and two paths that differ only in case stay two clips when they name two
// different files. Stored names are the clip's base name (split on '\' and '/'), made unique.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <mfc/afx.h>

class CQorCommonProgress;

namespace Quirebook {

class CBaseVideoObj;

// Characters of a path or name field (the last of its 260 units is always zero).
inline constexpr unsigned kVideoPathUnits = 260;
inline constexpr unsigned kVideoEntrySize = 1060;
// Chunk size of packing and unpacking.
inline constexpr unsigned kVideoChunkSize = 16384;

// A full path folded with the locale-independent lower-case mapping.
std::wstring FoldVideoPath(const std::wstring& path);
// Orders by unsigned UTF-16 unit (a prefix first), as the index is written.
bool VideoKeyLess(const std::wstring& a, const std::wstring& b);

struct _TheVideoFilePathKey {
  std::wstring folded;    // the case-folded path
  std::wstring original;  // the path as given (the file that is read)
  bool operator<(const _TheVideoFilePathKey& o) const;
};

class CVideoFilePathsMap {
 public:
  using Map = std::map<_TheVideoFilePathKey, std::wstring>;

  // Registers a clip. A path whose fold matches a registered one joins it when both name the
  // same file (or when either cannot be found on disk); otherwise it is a clip of its own.
  void AddVideoPath(const std::wstring& fullPath);
  bool IsNameAlreadyExisted(const std::wstring& name) const;
  std::wstring FindUniqueFileName(const std::wstring& name) const;

  // The stored name of a registered path (empty when none).
  std::wstring GetStoredName(const std::wstring& fullPath) const;
  const Map& GetMap() const { return m_map; }
  size_t GetCount() const { return m_map.size(); }
  void RemoveAll() { m_map.clear(); }

 private:
  Map m_map;
};

class CDeflateSavingVideos {
 public:
  explicit CDeflateSavingVideos(const CVideoFilePathsMap& map) : m_map(map) {}

  unsigned GetBlocksCount() const { return static_cast<unsigned>(m_map.GetCount()); }
  // The 12-byte header (tag, two zero words, patched by SavingBlocks). False past 4 GiB.
  bool SavingBlockTag(CFile* file);
  // The count and one entry per clip, positions and lengths 0. A path too long for its field is
  // written as its reference (quirebook/StoredPath.h). False when a stored name does not fit.
  bool SavingIndexs(CFile* file) const;
  // Index and blocks, then the patched entries and header. A clip that cannot be opened gets
  // stored length 0 and the save goes on; a clip that cannot be read or packed whole, or a
  // section past 4 GiB, fails the save (the file must then be abandoned).
  bool SavingBlocks(CFile* file, const CString& s1, const CString& s2, CQorCommonProgress* progress);

 private:
  const CVideoFilePathsMap& m_map;
  uint32_t m_nHeaderPos = 0;
};

class CDeflateRomExtractVideos {
 public:
  struct Entry {
    uint32_t position = 0;
    uint32_t length = 0;
    std::wstring sourcePath;
    std::wstring storedName;
    uint32_t sourceSize = 0;
    int64_t sourceTime = 0;
  };

  CDeflateRomExtractVideos() = default;

  void SetExtractFolderName(const std::wstring& folder) { m_strFolder = folder; }
  const std::wstring& GetExtractFolderName() const { return m_strFolder; }
  // The header at the current position; false for another tag or a short file.
  bool ReadBlocksTag(CFile* file);
  // Reads and checks the whole index (every block inside the file). False on any fault.
  bool ReadIndexs(CFile* file);
  unsigned GetCount() const { return static_cast<unsigned>(m_entries.size()); }
  const Entry& GetEntry(unsigned i) const { return m_entries[i]; }
  // The entry of a clip path (folded comparison, an exact match preferred; a recorded reference
  // matches the path it was made from); null when none.
  const Entry* FindEntry(const std::wstring& fullPath) const;

  // Uses the clip in place when its recorded file is unchanged, otherwise unpacks it into a new
  // folder of its own inside the extraction folder (see MakeUnpackedClipFolder), under its stored
  // name, and re-points the object; then gives the object its poster. Clips of the same name from
  // different documents or program instances so never overwrite each other, and each keeps its
  // own name. False when the clip is not in the index, cannot be unpacked whole (nothing is left
  // behind and the object keeps its path), or no poster can be made.
  bool ExtractVideo(CFile* file, CBaseVideoObj* video, const CString& s1, const CString& s2);
  // Unpacks one entry into `target`; false (and no file) when the stream is absent, damaged,
  // longer than its stored length or cut short, or unpacks to more than UnpackLimit.
  bool UnpackEntry(CFile* file, const Entry& entry, const std::wstring& target) const;
  // The most an entry may unpack to: the source size it records, never above the cap.
  static uint64_t UnpackLimit(const Entry& entry);
  static constexpr uint64_t kMaxUnpackedClipSize = uint64_t{1} << 30;
  // The file name an entry unpacks to: the stored name's last part; empty when unusable.
  static std::wstring SafeStoredName(const std::wstring& stored);

 private:
  uint32_t m_nIndexPos = 0;
  uint32_t m_nSectionLength = 0;
  std::vector<Entry> m_entries;
  std::wstring m_strFolder;
  // Where each entry (by index) was unpacked this session; empty when it could not be.
  std::map<size_t, std::wstring> m_unpacked;
};

// Creates a folder "unpacked-<16 hex digits>" inside `folder` that did not exist before (the
// creation itself decides, so two processes never get the same one); empty when it cannot.
std::wstring MakeUnpackedClipFolder(const std::wstring& folder);
// Whether a folder name is one that MakeUnpackedClipFolder makes.
bool IsUnpackedClipFolderName(const std::wstring& name);

// Gives the object the poster of its clip (first picture) as fill picture; false when none.
bool SetVideoPoster(CBaseVideoObj* video);

}  // namespace Quirebook

using Quirebook::CDeflateRomExtractVideos;
using Quirebook::CDeflateSavingVideos;
using Quirebook::CVideoFilePathsMap;
