// The lines of an INI file as every reader of the program sees them: "[Section]" headers,
// "key=value" entries (a bare "key" too), comments starting with ';' and blank lines. Names and
// values are trimmed of spaces and tabs; names compare with lw::EqualNoCase.
#pragma once

#include <string_view>

namespace lw::ini {

std::wstring_view Trim(std::wstring_view s);

struct Line {
  enum Kind { kBlank, kComment, kSection, kEntry } kind = kBlank;
  std::wstring_view name;   // the section's name or the entry's key
  std::wstring_view value;  // the entry's value (empty without '=')
  bool closed = false;      // a section header with its ']'
  bool hasEquals = false;   // an entry with '='
};

// One line, without its line end.
Line ParseLine(std::wstring_view line);

}  // namespace lw::ini
