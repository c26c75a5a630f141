// The renderer's settings file and log, shared by every renderer of the process.
//
// Settings: "<program folder>/config/<program name up to its last dot>.multimedia.ini" (a name
// without a dot gives ".multimedia.ini"), section "debug": filter_level (default 4; messages are
// logged at 3 or less) and filter_target (default 0; bit 0 a log file, bit 1 standard error as the
// debugger output). A file without the section is rewritten with the defaults; a missing "config"
// folder stores nothing.
// Log file: "<program folder>/log/<module>_<pid>_<month>_<day>_<hour>_<minute>_<second>.log", UTF-8,
// one "[hh:mm:ss]" line per message. A missing "log" folder writes no file; when the program
// folder itself is not writable the log goes to "$XDG_STATE_HOME/Leafwright/log" (default
// ~/.local/state), made when missing.
//
// Messages are narrow printf formats (UTF-8 text, "%s" takes a char string). Any thread may log.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace reelpane {

class MMLog {
 public:
  static MMLog& Instance();

  // Opens the log once per process under the module name; later calls do nothing.
  void Open(const char* module);
  // Closes and opens again for another host program path (tests run this in a child process).
  void Reopen(const char* module, const std::wstring& hostPath);
  void Write(const char* format, ...) __attribute__((format(printf, 2, 3)));

  int Level() const;
  int Target() const;
  std::string FilePath() const;
  // Characters written so far (the marker line follows every message past 0x3C00000).
  uint64_t Count() const;
  void SetCountForTesting(uint64_t count);

 private:
  MMLog() = default;
  void OpenLocked(const char* module, const std::wstring& hostPath);

  mutable std::mutex m_lock;
  bool m_open = false;
  int m_level = 4;
  int m_target = 0;
  FILE* m_file = nullptr;
  std::string m_path;
  uint64_t m_count = 0;
};

// The settings file path for a host program path (empty when the path has no folder).
std::wstring SettingsPathFor(const std::wstring& hostPath);

}  // namespace reelpane

#define MMTRACE(...) ::reelpane::MMLog::Instance().Write(__VA_ARGS__)
