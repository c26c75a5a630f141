#include "lwini.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace lw::ini {

// Blanks around a name or value go, and so do carriage returns left at a line's end (a file cut
// after "\r\r", a lone "\r" before "\n"): a rewrite turns them into part of a line end, so keeping
// them would make a name another name once the file is written back.
std::wstring_view Trim(std::wstring_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == L' ' || s[b] == L'\t')) ++b;
  while (e > b && (s[e - 1] == L' ' || s[e - 1] == L'\t' || s[e - 1] == L'\r')) --e;
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

SplitText SplitLines(std::wstring_view text, bool loneCrEndsLine) {
  SplitText out;
  bool first = true;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find_first_of(loneCrEndsLine ? std::wstring_view(L"\r\n") : std::wstring_view(L"\n"), start);
    if (end == std::wstring_view::npos) {
      size_t lineEnd = text.size();
      if (lineEnd > start && text[lineEnd - 1] == L'\r') --lineEnd;
      out.lines.push_back(text.substr(start, lineEnd - start));
      break;
    }
    size_t lineEnd = end, next = end + 1;
    bool crlf = false;
    if (text[end] == L'\r') {
      crlf = next < text.size() && text[next] == L'\n';
      if (crlf) ++next;
    } else if (lineEnd > start && text[lineEnd - 1] == L'\r') {
      crlf = true;
      --lineEnd;
    }
    if (first) out.crlf = crlf;
    first = false;
    out.lines.push_back(text.substr(start, lineEnd - start));
    start = next;
  }
  return out;
}

bool LoadFile(const std::string& path, std::size_t maxBytes, std::string& bytes, bool* missing) {
  bytes.clear();
  *missing = false;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno != ENOENT) return false;
    *missing = true;
    return true;
  }
  auto fail = [&](int err) {
    close(fd);
    bytes.clear();
    errno = err;
    return false;
  };
  struct stat s {};
  if (fstat(fd, &s) != 0) return fail(errno);
  if (!S_ISREG(s.st_mode)) return fail(EISDIR);
  if (static_cast<unsigned long long>(s.st_size) > maxBytes) return fail(EFBIG);
  char buf[8192];
  for (;;) {
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      return fail(errno);
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<size_t>(n));
    if (bytes.size() > maxBytes) return fail(EFBIG);
  }
  close(fd);
  return true;
}

}  // namespace lw::ini
