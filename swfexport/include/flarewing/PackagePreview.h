// Preview of a flip-book package: its folder served over HTTP on the loopback address, so that a
// browser runs the package's player as it would from a web server (browsers do not run it from
// file://). Headless: no window code.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace QorSWFExportingLib {

// The file a request path names inside the served folder, or nothing when the request must be
// refused: a ".." segment, a backslash or NUL, a name that leads (through a symbolic link or
// otherwise) out of the folder, or anything that is not a regular file. requestPath is the path
// of the request after percent-decoding; "/" names index.html. root must be canonical.
std::optional<std::filesystem::path> ResolvePreviewFile(const std::filesystem::path& root, std::string_view requestPath);

// The Content-Type a package file is served with (by its extension).
const char* PreviewContentType(const std::filesystem::path& file);

// Serves one folder on 127.0.0.1 at a free port, from a thread of its own, until Stop or
// destruction. GET and HEAD only; no folder is ever listed.
class CPackagePreviewServer {
 public:
  CPackagePreviewServer();
  ~CPackagePreviewServer();
  CPackagePreviewServer(const CPackagePreviewServer&) = delete;
  CPackagePreviewServer& operator=(const CPackagePreviewServer&) = delete;

  // False when the folder does not exist or no port could be bound.
  bool Start(const std::filesystem::path& folder);
  void Stop();
  bool IsRunning() const;
  int Port() const;
  const std::filesystem::path& Folder() const;
  // "http://127.0.0.1:<port>/index.html".
  std::string StartAddress() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

// The process's previews: starts (or reuses) the server of the folder and returns the address to
// open, empty when the folder cannot be served. Every server stops at StopPackagePreviews and at
// the end of the process.
std::string PreviewPackageFolder(const std::filesystem::path& folder);
void StopPackagePreviews();

}  // namespace QorSWFExportingLib
