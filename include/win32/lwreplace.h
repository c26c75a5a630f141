// Replacing a file without ever losing it. The new content goes into a temporary file in the
// target's folder; only when that file is complete and on disk is it renamed over the target, and
// the folder is synced. Until then, and whenever anything fails, the target keeps every byte it
// had; a process that dies in the middle leaves either the old file or the whole new one.
//
// A symbolic link is followed: the file it points to is replaced and the link stays. Readers that
// hold the old file open (pages of a document read when first needed) keep reading the old
// content after the commit, because the rename gives the name to a new file and leaves theirs
// alone. Hard links of the old file keep the old content. The folder must be writable, and a
// file that the caller may not write (read-only, or on a read-only file system) is refused.
//
// Errors are reported through errno (callers on the Windows side turn it into the last error).
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace lw {

class FileReplacement {
 public:
  FileReplacement() = default;
  // Abandons a replacement that was begun and not committed.
  ~FileReplacement();
  FileReplacement(const FileReplacement&) = delete;
  FileReplacement& operator=(const FileReplacement&) = delete;

  // Starts replacing the file at path (a native UTF-8 path): makes an empty temporary file beside
  // the file the path resolves to, with the old file's permission bits (a new file gets the usual
  // 0666 less the umask). False with errno set: EISDIR for a folder, EACCES when the old file may
  // not be written, EINVAL for something that is not a regular file, ENOENT when the folder is
  // missing, ELOOP for a cycle of links.
  bool Begin(const std::string& path);
  bool Begin(std::wstring_view path);  // a Windows-side path: '\\' becomes '/'

  // The temporary file, open for reading and writing (-1 when nothing was begun). The caller
  // writes the new content here and leaves the descriptor open.
  int Fd() const { return m_fd; }
  // The file that is replaced (links resolved).
  const std::string& Target() const { return m_target; }
  // The temporary file's path.
  const std::string& Temporary() const { return m_temp; }
  bool Active() const { return m_fd >= 0; }

  // Syncs and closes the temporary file, renames it over the target and syncs the folder. On
  // failure (false, errno set) the temporary file is removed and the target is as it was.
  bool Commit();
  // As Commit, but a file that has appeared under the target's name meanwhile is kept and the
  // call fails with EEXIST.
  bool CommitNew();
  // Removes the temporary file; the target is untouched. Nothing happens when nothing is begun.
  void Abandon();

 private:
  bool Finish(bool replace);

  int m_fd = -1;
  std::string m_target;
  std::string m_temp;
};

// Replaces the file at path (native UTF-8) with the bytes. False with errno set.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

// The points of a replacement a test may stop a process at: the temporary file was made and is
// empty; Commit was called (content written, not yet synced); the temporary file is synced and
// about to be renamed; the rename is done and the folder not yet synced.
enum class ReplaceStep { kCreated, kWritten, kSynced, kRenamed };
using ReplaceStepHook = void (*)(ReplaceStep step);
// For tests only: called at each step of every replacement of the process (null: none).
void SetReplaceStepHook(ReplaceStepHook hook);

}  // namespace lw
