// File dialog filters on arbitrary text, in both forms: the list never reads past its bound,
// every entry has a name and patterns, and the any-case form of a pattern is never shorter than
// the pattern.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <afxdlgs.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  // Two bytes a character, so that NULs, bars and letters all turn up.
  std::vector<wchar_t> text;
  for (size_t i = 0; i + 1 < size; i += 2) text.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
  const std::vector<wchar_t> bounded = text;  // no closing NUL: the bound alone stops the reader
  text.push_back(0);
  for (bool nul : {false, true}) {
    const auto entries = nul ? lwmfc::ParseFileFilter(bounded.data(), true, bounded.size())
                             : lwmfc::ParseFileFilter(text.data(), false);
    for (const auto& e : entries) {
      if (e.name.empty() || e.patterns.empty()) std::abort();
      for (const auto& p : e.patterns)
        if (p.empty() || lwmfc::CaseInsensitivePattern(p).size() < p.size()) std::abort();
    }
    const std::wstring wildcard = lwmfc::ToolkitWildcard(entries);
    if (entries.empty() != wildcard.empty()) std::abort();
  }
  lwmfc::NormalizeDefaultExtension(text.data());
  return 0;
}
