#include "lwini.h"

namespace lw::ini {

std::wstring_view Trim(std::wstring_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == L' ' || s[b] == L'\t')) ++b;
  while (e > b && (s[e - 1] == L' ' || s[e - 1] == L'\t')) --e;
  return s.substr(b, e - b);
}

Line ParseLine(std::wstring_view line) {
  Line l;
  const std::wstring_view t = Trim(line);
  if (t.empty()) return l;
  if (t[0] == L';') {
    l.kind = Line::kComment;
    return l;
  }
  if (t[0] == L'[') {
    l.kind = Line::kSection;
    const size_t close = t.find(L']');
    l.closed = close != std::wstring_view::npos;
    l.name = Trim(t.substr(1, l.closed ? close - 1 : std::wstring_view::npos));
    return l;
  }
  l.kind = Line::kEntry;
  const size_t eq = t.find(L'=');
  l.hasEquals = eq != std::wstring_view::npos;
  l.name = Trim(t.substr(0, eq));
  if (l.hasEquals) l.value = Trim(t.substr(eq + 1));
  return l;
}

}  // namespace lw::ini
