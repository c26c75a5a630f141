// Settings file and log of the renderer (MMLog.h).
#include "MMLog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <windows.h>
#include <winprofile.h>
#include <lwstr.h>

namespace reelpane {
namespace {

constexpr size_t kLineChars = 2048;
constexpr uint64_t kMarkerAfter = 0x3C00000;
const char kHeader[] = "-------------Multimedia log file-------------\n";
const char kMarker[] = "-------Multimedia log file-------\n";

std::wstring FolderOf(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring HostPath() {
  wchar_t buf[4096];
  const DWORD n = GetModuleFileNameW(nullptr, buf, 4096);
  return n > 0 && n < 4096 ? std::wstring(buf, n) : std::wstring();
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder that log files go to, or empty when none is to be written.
std::string LogFolder(const std::wstring& programFolder) {
  const std::string program = lw::WideToUtf8(programFolder);
  if (access(program.c_str(), W_OK) == 0) {
    const std::string log = program + "/log";
    return IsFolder(log) ? log : std::string();
  }
  std::string state;
  if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && xdg[0] == '/') state = xdg;
  else if (const char* home = std::getenv("HOME"); home && home[0] == '/') state = std::string(home) + "/.local/state";
  else return std::string();
  const std::string log = state + "/Leafwright/log";
  std::error_code ec;
  std::filesystem::create_directories(log, ec);
  return IsFolder(log) ? log : std::string();
}

}  // namespace

std::wstring SettingsPathFor(const std::wstring& hostPath) {
  const size_t slash = hostPath.find_last_of(L"/\\");
  if (slash == std::wstring::npos) return std::wstring();
  std::wstring name = hostPath.substr(slash + 1);
  const size_t dot = name.find_last_of(L'.');
  name = dot == std::wstring::npos ? std::wstring() : name.substr(0, dot);
  return hostPath.substr(0, slash) + L"/config/" + name + L".multimedia.ini";
}

MMLog& MMLog::Instance() {
  static MMLog* log = new MMLog();  // stays for messages logged while the process ends
  return *log;
}

void MMLog::Open(const char* module) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (!m_open) OpenLocked(module, HostPath());
}

void MMLog::Reopen(const char* module, const std::wstring& hostPath) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_file) fclose(m_file);
  m_file = nullptr;
  m_path.clear();
  m_level = 4;
  m_target = 0;
  OpenLocked(module, hostPath);
}

void MMLog::OpenLocked(const char* module, const std::wstring& hostPath) {
  m_open = true;
  m_count = 0;
  const std::wstring ini = SettingsPathFor(hostPath);
  if (!ini.empty()) {
    wchar_t section[2047];
    if (GetPrivateProfileSectionW(L"debug", section, 2047, ini.c_str()) != 0) {
      m_level = static_cast<int>(GetPrivateProfileIntW(L"debug", L"filter_level", m_level, ini.c_str()));
      m_target = static_cast<int>(GetPrivateProfileIntW(L"debug", L"filter_target", m_target, ini.c_str()));
    } else {
      const wchar_t empty[2] = {0, 0};
      WritePrivateProfileSectionW(L"debug", empty, ini.c_str());
      WritePrivateProfileStringW(L"debug", L"filter_level", std::to_wstring(m_level).c_str(), ini.c_str());
      WritePrivateProfileStringW(L"debug", L"filter_target", std::to_wstring(m_target).c_str(), ini.c_str());
    }
  }
  if (!(m_target & 1)) return;
  const std::string folder = LogFolder(FolderOf(hostPath));
  if (folder.empty()) return;
  SYSTEMTIME t;
  GetLocalTime(&t);
  char name[512];
  snprintf(name, sizeof name, "%s_%d_%02d_%02d_%02d_%02d_%02d.log", module ? module : "Core",
           static_cast<int>(GetCurrentProcessId()), t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond);
  m_path = folder + "/" + name;
  m_file = fopen(m_path.c_str(), "wb");
  if (!m_file) {
    m_path.clear();
    return;
  }
  fputs(kHeader, m_file);
  fflush(m_file);
}

void MMLog::Write(const char* format, ...) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (!m_open) OpenLocked("Core", HostPath());
  if (m_level > 3 || m_target == 0) return;
  char line[kLineChars];
  SYSTEMTIME t;
  GetLocalTime(&t);
  int n = snprintf(line, sizeof line, "[%02d:%02d:%02d]", t.wHour, t.wMinute, t.wSecond);
  va_list ap;
  va_start(ap, format);
  const int m = vsnprintf(line + n, sizeof line - 1 - n, format, ap);  // room kept for the line feed
  va_end(ap);
  if (m > 0) n += std::min<int>(m, static_cast<int>(sizeof line) - 2 - n);
  // A message that ends in a line feed of its own keeps it; every line ends in exactly one.
  if (n == 0 || line[n - 1] != '\n') line[n++] = '\n';
  line[n] = '\0';
  m_count += static_cast<uint64_t>(n);
  if (m_target & 2) OutputDebugStringW(lw::Utf8ToWide(line).c_str());
  if (m_file) {
    fwrite(line, 1, static_cast<size_t>(n), m_file);
    if (m_count > kMarkerAfter) fputs(kMarker, m_file);
    fflush(m_file);
  }
}

int MMLog::Level() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_level;
}

int MMLog::Target() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_target;
}

std::string MMLog::FilePath() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_path;
}

uint64_t MMLog::Count() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_count;
}

void MMLog::SetCountForTesting(uint64_t count) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_count = count;
}

}  // namespace reelpane
