// The application profile's file: an INI text in UTF-8 ("[Section]" lines, "Key=Value" lines).
// Sections and keys compare without regard to case, as the Windows profile does; their order
// and spelling are kept.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace lwprofile {

// Files larger than this are not read (reads give defaults, writes fail, so nothing is lost).
constexpr std::size_t kMaxProfileBytes = 1u << 20;

struct Section {
  std::wstring name;
  std::vector<std::pair<std::wstring, std::wstring>> entries;
};

class ProfileFile {
 public:
  // Parses the file's bytes (lw::DecodeText: UTF-8, or UTF-16LE with a byte-order mark, as
  // Windows writes it); lines that are neither a section nor an entry (comments, blanks, entries
  // before the first section) are dropped. Bytes that are not UTF-8 become U+FFFD.
  static ProfileFile Parse(const std::string& bytes);
  std::string Serialize() const;

  // Null when the entry is not there.
  const std::wstring* Find(const std::wstring& section, const std::wstring& key) const;
  void Set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
  void Remove(const std::wstring& section, const std::wstring& key);
  void RemoveSection(const std::wstring& section);
  const std::vector<Section>& Sections() const { return m_sections; }

 private:
  Section* FindSection(const std::wstring& name);
  std::vector<Section> m_sections;
};

// Reads the file at path (UTF-8 path); false when it exists but cannot be read or is too large.
// A missing file reads as empty.
bool Load(const std::string& path, ProfileFile& out);
// Replaces the whole file (lw::FileReplacement: a link is followed and kept), making the folders
// first.
bool Save(const std::string& path, const ProfileFile& profile);

}  // namespace lwprofile
