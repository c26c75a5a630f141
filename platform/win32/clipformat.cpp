#include "winclip.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

#include "lwstr.h"
#include "winstring.h"

namespace {

constexpr UINT kFirstFormat = 0xC000;
constexpr UINT kLastFormat = 0xFFFF;

struct FormatTable {
  std::mutex lock;
  std::vector<std::wstring> names;  // names[i] has the identifier kFirstFormat + i
};

FormatTable& Table() {
  static FormatTable table;
  return table;
}

bool SameName(const std::wstring& a, const wchar_t* b) { return lw::EqualNoCase(a, b); }

}  // namespace

UINT RegisterClipboardFormatW(const wchar_t* lpszFormat) {
  if (!lpszFormat || !*lpszFormat) return 0;
  FormatTable& t = Table();
  std::lock_guard<std::mutex> hold(t.lock);
  for (size_t i = 0; i < t.names.size(); ++i)
    if (SameName(t.names[i], lpszFormat)) return kFirstFormat + static_cast<UINT>(i);
  if (t.names.size() > kLastFormat - kFirstFormat) return 0;
  t.names.emplace_back(lpszFormat);
  return kFirstFormat + static_cast<UINT>(t.names.size() - 1);
}

int GetClipboardFormatNameW(UINT format, wchar_t* lpszFormatName, int cchMaxCount) {
  if (!lpszFormatName || cchMaxCount < 1 || format < kFirstFormat) return 0;
  FormatTable& t = Table();
  std::lock_guard<std::mutex> hold(t.lock);
  const size_t index = format - kFirstFormat;
  if (index >= t.names.size()) return 0;
  const std::wstring& name = t.names[index];
  const size_t n = std::min(name.size(), static_cast<size_t>(cchMaxCount - 1));
  name.copy(lpszFormatName, n);
  lpszFormatName[n] = 0;
  return static_cast<int>(n);
}
