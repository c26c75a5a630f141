// The profile's INI file: parsing, writing and replacing it safely.
#include "profile_file.h"

#include <cwctype>
#include <filesystem>
#include <system_error>

#include <lwini.h>
#include <lwreplace.h>
#include <lwstr.h>

namespace lwprofile {

namespace {

bool SameName(const std::wstring& a, const std::wstring& b) { return lw::EqualNoCase(a, b); }

// Line breaks inside a name or value would split it into other lines when read back.
std::wstring OneLine(const std::wstring& s) {
  std::wstring out = s;
  for (wchar_t& c : out)
    if (c == L'\n' || c == L'\r') c = L' ';
  return out;
}

}  // namespace

ProfileFile ProfileFile::Parse(const std::string& bytes) {
  ProfileFile file;
  const std::wstring text = lw::DecodeText(bytes);
  Section* current = nullptr;
  // Any line break ends a line here, a lone CR too.
  for (const std::wstring_view raw : lw::ini::SplitLines(text, true).lines) {
    const lw::ini::Line line = lw::ini::ParseLine(raw);
    if (line.kind == lw::ini::Line::kSection && line.closed) {
      const std::wstring name(line.name);
      current = file.FindSection(name);
      if (!current) {
        file.m_sections.push_back(Section{name, {}});
        current = &file.m_sections.back();
      }
      continue;
    }
    if (line.kind != lw::ini::Line::kEntry || !current || !line.hasEquals || line.name.empty()) continue;
    file.Set(current->name, std::wstring(line.name), std::wstring(line.value));
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
  std::string bytes;
  bool missing = false;
  if (!lw::ini::LoadFile(path, kMaxProfileBytes, bytes, &missing)) return false;
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
