// Reads arbitrary bytes as an INI file through every profile reader, then changes it once.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "lwstr.h"
#include "windows.h"

namespace {

const std::wstring& FilePath() {
  static const std::wstring path = [] {
    // A memory file system keeps the synced rewrites cheap.
    std::string folder = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string p = folder + "/lw_profile_fuzz_" + std::to_string(getpid()) + ".ini";
    static struct Remover {
      std::string file;
      ~Remover() { unlink(file.c_str()); }
    } remover{p};
    return lw::Utf8ToWide(p);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::wstring& path = FilePath();
  const std::string native = lw::WideToUtf8(path);
  FILE* f = std::fopen(native.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);

  wchar_t small[7];
  wchar_t big[512];
  const DWORD sizes[] = {1, 2, 7};
  for (DWORD n : sizes) {
    DWORD got = GetPrivateProfileStringW(nullptr, nullptr, L"", small, n, path.c_str());
    if (got >= n) std::abort();
  }
  GetPrivateProfileStringW(nullptr, nullptr, L"", big, 512, path.c_str());
  // Ask about the first listed section and its first key, if any.
  const std::wstring section = big;
  GetPrivateProfileStringW(section.c_str(), nullptr, L"", big, 512, path.c_str());
  const std::wstring key = big;
  if (GetPrivateProfileStringW(section.c_str(), key.c_str(), L"default", small, 7, path.c_str()) > 6) std::abort();
  GetPrivateProfileIntW(section.c_str(), key.c_str(), 5, path.c_str());
  if (GetPrivateProfileSectionW(section.c_str(), small, 7, path.c_str()) > 6) std::abort();

  WritePrivateProfileStringW(section.c_str(), L"fuzz", L"value", path.c_str());
  if (GetPrivateProfileStringW(section.c_str(), L"fuzz", L"", big, 512, path.c_str()) != 5 &&
      section.find_first_of(L"]\r\n") == std::wstring::npos)
    std::abort();
  WritePrivateProfileStringW(section.c_str(), nullptr, nullptr, path.c_str());
  return 0;
}
