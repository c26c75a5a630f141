// The lines of an INI file as every reader of the program sees them: "[Section]" headers,
// "key=value" entries (a bare "key" too), comments starting with ';' and blank lines. Names and
// values are trimmed of spaces and tabs; names compare with lw::EqualNoCase.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

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

// A text cut into its lines, without their line ends. A line ends at "\n" or "\r\n" (a "\r" left
// at the very end of the text is dropped too); a lone "\r" inside a line ends it only with
// loneCrEndsLine. A text that ends with a line end has no empty line after it.
struct SplitText {
  std::vector<std::wstring_view> lines;  // views into the text
  bool crlf = false;                     // the first line end is "\r\n"
};
SplitText SplitLines(std::wstring_view text, bool loneCrEndsLine);

// Reads a whole settings file of at most maxBytes bytes. A missing file gives empty bytes with
// *missing set. False, with errno set, when it cannot be read, is not a regular file (EISDIR) or
// is larger than maxBytes (EFBIG, also for a file that grows while it is read).
bool LoadFile(const std::string& path, std::size_t maxBytes, std::string& bytes, bool* missing);

}  // namespace lw::ini
