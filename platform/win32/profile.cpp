// Private INI files.
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "lwini.h"
#include "lwreplace.h"
#include "lwstr.h"
#include "winerror.h"
#include "winfile.h"
#include "winprofile.h"
#include "winstring.h"

namespace {

// Larger files are not settings files; reading them fails instead of filling memory.
constexpr size_t kMaxIniBytes = 16 << 20;

std::mutex g_writeLock;

struct IniText {
  std::vector<std::wstring> lines;  // without line ends
  const char* eol = "\n";
};

using lw::ini::Trim;

bool SameName(std::wstring_view a, std::wstring_view b) { return lw::EqualNoCase(a, b); }

bool IsSectionLine(std::wstring_view line, std::wstring_view* name) {
  const lw::ini::Line l = lw::ini::ParseLine(line);
  if (l.kind != lw::ini::Line::kSection) return false;
  if (name) *name = l.name;
  return true;
}

// A key line: "key=value" or a bare "key".
bool IsKeyLine(std::wstring_view line, std::wstring_view* key, std::wstring_view* value) {
  const lw::ini::Line l = lw::ini::ParseLine(line);
  if (l.kind != lw::ini::Line::kEntry) return false;
  if (key) *key = l.name;
  if (value) *value = l.value;
  return true;
}

// Reads the file. Missing file: an empty text and `missing` set. Unreadable: nullopt, errno set.
std::optional<IniText> Load(const std::string& path, bool* missing) {
  std::string bytes;
  if (!lw::ini::LoadFile(path, kMaxIniBytes, bytes, missing)) return std::nullopt;
  const std::wstring text = lw::DecodeText(bytes);
  const lw::ini::SplitText split = lw::ini::SplitLines(text, false);
  IniText ini;
  ini.eol = split.crlf ? "\r\n" : "\n";
  ini.lines.assign(split.lines.begin(), split.lines.end());
  return ini;
}

std::optional<IniText> LoadForReading(LPCWSTR fileName) {
  if (!fileName) return std::nullopt;
  bool missing = false;
  auto ini = Load(lw::NativePath(fileName), &missing);
  if (missing) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  return ini;
}

// Index of the first header line of the section, or npos.
size_t FindSection(const IniText& ini, std::wstring_view section) {
  section = Trim(section);
  for (size_t i = 0; i < ini.lines.size(); ++i) {
    std::wstring_view name;
    if (IsSectionLine(ini.lines[i], &name) && SameName(name, section)) return i;
  }
  return std::wstring::npos;
}

// One past the last line of the section whose header is at `header`.
size_t SectionEnd(const IniText& ini, size_t header) {
  size_t i = header + 1;
  while (i < ini.lines.size() && !IsSectionLine(ini.lines[i], nullptr)) ++i;
  return i;
}

// One past the last non-blank line of the section: where new keys go.
size_t SectionInsertPoint(const IniText& ini, size_t header) {
  size_t end = SectionEnd(ini, header);
  while (end > header + 1 && Trim(ini.lines[end - 1]).empty()) --end;
  return end;
}

std::optional<std::wstring> FindValue(const IniText& ini, std::wstring_view section, std::wstring_view key) {
  size_t header = FindSection(ini, section);
  if (header == std::wstring::npos) return std::nullopt;
  size_t end = SectionEnd(ini, header);
  for (size_t i = header + 1; i < end; ++i) {
    std::wstring_view k, v;
    if (IsKeyLine(ini.lines[i], &k, &v) && SameName(k, Trim(key))) {
      if (v.size() >= 2 && (v.front() == L'"' || v.front() == L'\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
      return std::wstring(v);
    }
  }
  return std::nullopt;
}

// Copies a list of strings (each terminated, with an extra final terminator) with Windows'
// truncation rule; returns the characters copied without the final terminator.
DWORD CopyList(const std::vector<std::wstring>& items, LPWSTR buffer, DWORD size) {
  std::wstring all;
  for (const auto& s : items) {
    all += s;
    all += L'\0';
  }
  all += L'\0';
  if (size < 2) {
    if (size == 1) buffer[0] = 0;
    return 0;
  }
  if (items.empty()) {
    buffer[0] = buffer[1] = 0;
    return 0;
  }
  if (all.size() <= size) {
    std::wmemcpy(buffer, all.data(), all.size());
    return static_cast<DWORD>(all.size() - 1);
  }
  std::wmemcpy(buffer, all.data(), size - 2);
  buffer[size - 2] = 0;
  buffer[size - 1] = 0;
  return size - 2;
}

DWORD CopyValue(std::wstring_view value, LPWSTR buffer, DWORD size) {
  if (value.size() < size) {
    std::wmemcpy(buffer, value.data(), value.size());
    buffer[value.size()] = 0;
    return static_cast<DWORD>(value.size());
  }
  std::wmemcpy(buffer, value.data(), size - 1);
  buffer[size - 1] = 0;
  return size - 1;
}

bool HasLineBreak(std::wstring_view s) { return s.find_first_of(L"\r\n") != std::wstring_view::npos; }

// Replaces the file with the text (through a link, the file it names); the old file is kept on
// failure.
bool Save(const std::string& path, const IniText& ini) {
  std::string bytes;
  // Text that starts with U+FEFF would read back with that character taken for a byte-order mark:
  // a mark of its own in front keeps it.
  if (!ini.lines.empty() && !ini.lines.front().empty() && ini.lines.front().front() == 0xFEFF) bytes = "\xEF\xBB\xBF";
  for (const auto& line : ini.lines) {
    bytes += lw::WideToUtf8(line);
    bytes += ini.eol;
  }
  if (!lw::ReplaceFileContents(path, bytes)) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : lw::ErrorFromErrno(errno));
    return false;
  }
  return true;
}

// Loads the file for a change, lets `edit` change the text (it returns whether anything
// changed, or nullopt to fail) and saves the result.
template <class Edit>
BOOL Modify(LPCWSTR fileName, bool createIfMissing, Edit edit) {
  if (!fileName || !*fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(g_writeLock);
  try {
    const std::string path = lw::NativePath(fileName);
    bool missing = false;
    auto ini = Load(path, &missing);
    if (!ini) {
      lw::SetLastErrorFromErrno(errno);
      return FALSE;
    }
    if (missing && !createIfMissing) return TRUE;
    std::optional<bool> changed = edit(*ini);
    if (!changed) return FALSE;
    if (!*changed) return TRUE;
    return Save(path, *ini) ? TRUE : FALSE;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
  }
}

bool ValidSection(LPCWSTR section) {
  std::wstring_view s(section);
  return !HasLineBreak(s) && s.find(L']') == std::wstring_view::npos;
}

bool ValidKey(LPCWSTR key) {
  std::wstring_view k = Trim(key);
  return !HasLineBreak(k) && k.find(L'=') == std::wstring_view::npos && (k.empty() || (k[0] != L'[' && k[0] != L';'));
}

// Removes every key line of the section; returns whether any was removed.
bool RemoveKeys(IniText& ini, size_t header, std::wstring_view key, bool allKeys) {
  bool removed = false;
  size_t end = SectionEnd(ini, header);
  for (size_t i = header + 1; i < end;) {
    std::wstring_view k;
    if (IsKeyLine(ini.lines[i], &k, nullptr) && (allKeys || SameName(k, key))) {
      ini.lines.erase(ini.lines.begin() + static_cast<ptrdiff_t>(i));
      --end;
      removed = true;
    } else {
      ++i;
    }
  }
  return removed;
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName) {
  if (!buffer || size == 0) return 0;
  try {
    auto ini = LoadForReading(fileName);
    if (!section || !key) {
      std::vector<std::wstring> names;
      if (ini) {
        if (!section) {
          for (const auto& line : ini->lines) {
            std::wstring_view name;
            if (IsSectionLine(line, &name)) names.emplace_back(name);
          }
        } else if (size_t header = FindSection(*ini, section); header != std::wstring::npos) {
          size_t end = SectionEnd(*ini, header);
          for (size_t i = header + 1; i < end; ++i) {
            std::wstring_view k;
            if (IsKeyLine(ini->lines[i], &k, nullptr)) names.emplace_back(k);
          }
        }
      }
      return CopyList(names, buffer, size);
    }
    std::optional<std::wstring> value;
    if (ini) value = FindValue(*ini, section, key);
    if (value) return CopyValue(*value, buffer, size);
    std::wstring_view def = defaultValue ? defaultValue : L"";
    while (!def.empty() && def.back() == L' ') def.remove_suffix(1);
    return CopyValue(def, buffer, size);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    buffer[0] = 0;
    return 0;
  }
}

UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName) {
  if (!section || !key) return static_cast<UINT>(defaultValue);
  std::optional<std::wstring> value;
  try {
    if (auto ini = LoadForReading(fileName)) value = FindValue(*ini, section, key);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
  if (!value || value->empty()) return static_cast<UINT>(defaultValue);
  const std::wstring& s = *value;
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
  int base = 10;
  if (i + 1 < s.size() && s[i] == L'0' && (s[i + 1] == L'x' || s[i + 1] == L'X')) {
    base = 16;
    i += 2;
  }
  uint64_t n = 0;
  for (; i < s.size(); ++i) {
    wchar_t c = s[i];
    int digit;
    if (c >= L'0' && c <= L'9')
      digit = c - L'0';
    else if (base == 16 && c >= L'a' && c <= L'f')
      digit = c - L'a' + 10;
    else if (base == 16 && c >= L'A' && c <= L'F')
      digit = c - L'A' + 10;
    else
      break;
    n = n * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
    if (n > UINT_MAX) n = UINT_MAX;
  }
  if (negative) return 0;
  return static_cast<UINT>(n);
}

DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD size, LPCWSTR fileName) {
  if (!buffer || size == 0) return 0;
  try {
    std::vector<std::wstring> items;
    auto ini = section ? LoadForReading(fileName) : std::nullopt;
    if (ini) {
      if (size_t header = FindSection(*ini, section); header != std::wstring::npos) {
        size_t end = SectionEnd(*ini, header);
        for (size_t i = header + 1; i < end; ++i) {
          std::wstring_view k, v;
          if (!IsKeyLine(ini->lines[i], &k, &v)) continue;
          std::wstring item(k);
          if (ini->lines[i].find(L'=') != std::wstring::npos) {
            item += L'=';
            item += v;
          }
          items.push_back(std::move(item));
        }
      }
    }
    return CopyList(items, buffer, size);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    buffer[0] = 0;
    return 0;
  }
}

BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName) {
  if (!section) {
    if (!key && !value) return TRUE;  // "flush the cache": nothing is cached here
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!ValidSection(section) || (key && !ValidKey(key)) || (value && HasLineBreak(value))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const bool removing = !key || !value;
  return Modify(fileName, !removing, [&](IniText& ini) -> std::optional<bool> {
    size_t header = FindSection(ini, section);
    if (!key) {
      bool changed = false;
      while (header != std::wstring::npos) {
        size_t end = SectionEnd(ini, header);
        ini.lines.erase(ini.lines.begin() + static_cast<ptrdiff_t>(header), ini.lines.begin() + static_cast<ptrdiff_t>(end));
        changed = true;
        header = FindSection(ini, section);
      }
      return changed;
    }
    if (header == std::wstring::npos) {
      if (!value) return false;
      ini.lines.emplace_back(std::wstring(L"[") + std::wstring(Trim(section)) + L"]");
      ini.lines.emplace_back(std::wstring(Trim(key)) + L"=" + value);
      return true;
    }
    if (!value) return RemoveKeys(ini, header, Trim(key), false);
    size_t end = SectionEnd(ini, header);
    for (size_t i = header + 1; i < end; ++i) {
      std::wstring_view k;
      if (IsKeyLine(ini.lines[i], &k, nullptr) && SameName(k, Trim(key))) {
        ini.lines[i] = std::wstring(k) + L"=" + value;  // keeps the key's spelling in the file
        return true;
      }
    }
    ini.lines.insert(ini.lines.begin() + static_cast<ptrdiff_t>(SectionInsertPoint(ini, header)),
                     std::wstring(Trim(key)) + L"=" + value);
    return true;
  });
}

BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR data, LPCWSTR fileName) {
  if (!section || !ValidSection(section)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!data) return WritePrivateProfileStringW(section, nullptr, nullptr, fileName);
  std::vector<std::wstring> items;
  for (const wchar_t* p = data; *p; p += wcslen(p) + 1) {
    std::wstring_view item(p);
    std::wstring_view key = item.substr(0, item.find(L'='));
    std::wstring keyText(key);
    if (HasLineBreak(item) || !ValidKey(keyText.c_str()) || Trim(item).empty()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    items.emplace_back(item);
  }
  return Modify(fileName, true, [&](IniText& ini) -> std::optional<bool> {
    size_t header = FindSection(ini, section);
    if (header == std::wstring::npos) {
      header = ini.lines.size();
      ini.lines.emplace_back(std::wstring(L"[") + std::wstring(Trim(section)) + L"]");
    } else {
      RemoveKeys(ini, header, {}, true);
    }
    ini.lines.insert(ini.lines.begin() + static_cast<ptrdiff_t>(SectionInsertPoint(ini, header)), items.begin(),
                     items.end());
    return true;
  });
}
