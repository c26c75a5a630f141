// The profile's INI file: parsing, writing and replacing it safely.
#include "profile_file.h"

#include <cwctype>
#include <filesystem>
#include <fstream>
#include <system_error>

#include <lwreplace.h>
#include <lwstr.h>

namespace lwprofile {

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::towlower(static_cast<wint_t>(a[i])) != std::towlower(static_cast<wint_t>(b[i]))) return false;
  return true;
}

std::wstring Trim(const std::wstring& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == L' ' || s[b] == L'\t')) ++b;
  while (e > b && (s[e - 1] == L' ' || s[e - 1] == L'\t' || s[e - 1] == L'\r')) --e;
  return s.substr(b, e - b);
}

// Line breaks inside a name or value would split it into other lines when read back.
std::wstring OneLine(const std::wstring& s) {
  std::wstring out = s;
  for (wchar_t& c : out)
    if (c == L'\n' || c == L'\r') c = L' ';
  return out;
}

}  // namespace

ProfileFile ProfileFile::Parse(const std::string& utf8) {
  ProfileFile file;
  const std::wstring text = lw::Utf8ToWide(utf8);
  Section* current = nullptr;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(L"\r\n", start);  // any line break, also a lone CR
    if (end == std::wstring::npos) end = text.size();
    const std::wstring line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == L';' || line[0] == L'#') continue;
    if (line.front() == L'[') {
      const std::size_t close = line.find(L']');
      if (close == std::wstring::npos) continue;
      const std::wstring name = Trim(line.substr(1, close - 1));
      current = file.FindSection(name);
      if (!current) {
        file.m_sections.push_back(Section{name, {}});
        current = &file.m_sections.back();
      }
      continue;
    }
    const std::size_t eq = line.find(L'=');
    if (!current || eq == std::wstring::npos) continue;
    const std::wstring key = Trim(line.substr(0, eq));
    if (key.empty()) continue;
    file.Set(current->name, key, Trim(line.substr(eq + 1)));
  }
  return file;
}

std::string ProfileFile::Serialize() const {
  std::wstring text;
  for (const Section& s : m_sections) {
    if (!text.empty()) text += L"\n";
    text += L"[" + OneLine(s.name) + L"]\n";
    for (const auto& e : s.entries) text += OneLine(e.first) + L"=" + OneLine(e.second) + L"\n";
  }
  return lw::WideToUtf8(text);
}

Section* ProfileFile::FindSection(const std::wstring& name) {
  for (Section& s : m_sections)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

const std::wstring* ProfileFile::Find(const std::wstring& section, const std::wstring& key) const {
  for (const Section& s : m_sections)
    if (SameName(s.name, section))
      for (const auto& e : s.entries)
        if (SameName(e.first, key)) return &e.second;
  return nullptr;
}

void ProfileFile::Set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
  Section* s = FindSection(section);
  if (!s) {
    m_sections.push_back(Section{section, {}});
    s = &m_sections.back();
  }
  for (auto& e : s->entries)
    if (SameName(e.first, key)) {
      e.second = value;
      return;
    }
  s->entries.emplace_back(key, value);
}

void ProfileFile::Remove(const std::wstring& section, const std::wstring& key) {
  if (Section* s = FindSection(section))
    for (auto it = s->entries.begin(); it != s->entries.end(); ++it)
      if (SameName(it->first, key)) {
        s->entries.erase(it);
        return;
      }
}

void ProfileFile::RemoveSection(const std::wstring& section) {
  for (auto it = m_sections.begin(); it != m_sections.end(); ++it)
    if (SameName(it->name, section)) {
      m_sections.erase(it);
      return;
    }
}

bool Load(const std::string& path, ProfileFile& out) {
  std::error_code ec;
  const std::filesystem::path p(path);
  if (!std::filesystem::exists(p, ec)) {
    out = ProfileFile();
    return !ec;
  }
  const auto size = std::filesystem::file_size(p, ec);
  if (ec || size > kMaxProfileBytes) return false;
  std::ifstream in(p, std::ios::binary);
  if (!in) return false;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  out = ProfileFile::Parse(bytes);
  return true;
}

bool Save(const std::string& path, const ProfileFile& profile) {
  std::error_code ec;
  const std::filesystem::path p(path);
  if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
  if (ec) return false;
  return lw::ReplaceFileContents(path, profile.Serialize());
}

}  // namespace lwprofile
