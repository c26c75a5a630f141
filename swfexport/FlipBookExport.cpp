// The flip-book export: the steps that write the package, the page list, and the folder helpers.
#include "flarewing/FlipBook.h"
#include "flarewing/SwfExport.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QorProgress.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/RenderObj.h>
#include <quirebook/VideoObj.h>
#include <win32/lwreplace.h>
#include <win32/lwstr.h>

namespace fs = std::filesystem;

namespace QorSWFExportingLib {

namespace {

// A weighted share of the caller's progress, closed when it goes out of scope (null-safe).
class ProgressRange {
 public:
  ProgressRange(CQorCommonProgress* progress, float weight) : m_progress(progress) {
    if (m_progress) m_progress->PushRange(weight);
  }
  ~ProgressRange() {
    if (m_progress) m_progress->PopRange();
  }
  ProgressRange(const ProgressRange&) = delete;
  ProgressRange& operator=(const ProgressRange&) = delete;
  void Set(float fraction) {
    if (m_progress) m_progress->SetProgress(fraction);
  }

 private:
  CQorCommonProgress* m_progress;
};

// One level below an existing folder; true when it exists as a folder afterwards.
bool MakeSubfolder(const std::string& folder, const std::string& name, std::string* made) {
  if (folder.empty()) return false;
  *made = JoinPath(folder, name);
  std::error_code ec;
  if (fs::is_directory(*made, ec)) return true;
  return fs::create_directory(*made, ec) && !ec;
}

// The Flash player every package carries (Ruffle's web build): the folder named by
// LEAFWRIGHT_RUFFLE_DIR, else ruffle/ beside this library (where the build and the install put
// it), else ruffle/ beside the program.
std::vector<fs::path> PlayerFolderCandidates() {
  if (const char* env = std::getenv("LEAFWRIGHT_RUFFLE_DIR"); env && *env) return {fs::path(env)};
  std::vector<fs::path> found;
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&PlayerFolderCandidates), &info) && info.dli_fname)
    found.push_back(fs::path(info.dli_fname).parent_path() / "ruffle");
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) found.push_back(self.parent_path() / "ruffle");
  return found;
}

bool CopyBrowserRuntime(const fs::path& from, const std::string& folder) {
  std::error_code ec;
  std::string to;
  if (!MakeSubfolder(folder, "ruffle", &to)) return false;
  for (const fs::directory_entry& e : fs::directory_iterator(from, ec)) {
    if (!e.is_regular_file(ec)) continue;
    const std::string name = e.path().filename().string();
    const bool wanted = name.ends_with(".js") || name.ends_with(".wasm") || name.starts_with("LICENSE");
    if (wanted && !fs::copy_file(e.path(), fs::path(to) / name, fs::copy_options::overwrite_existing, ec)) return false;
  }
  return !ec;
}

}  // namespace

fs::path FlipBookPlayerFolder() {
  std::error_code ec;
  for (const fs::path& dir : PlayerFolderCandidates()) {
    bool wasm = false;
    for (const fs::directory_entry& e : fs::directory_iterator(dir, ec))
      wasm = wasm || (e.path().extension() == ".wasm" && e.is_regular_file(ec));
    if (wasm && fs::is_regular_file(dir / "ruffle.js", ec)) return dir;
  }
  return {};
}

std::wstring MissingPlayerMessage() {
  std::wstring where;
  for (const fs::path& dir : PlayerFolderCandidates()) {
    if (!where.empty()) where += L" or ";
    where += L"\"" + lw::Utf8ToWide(dir.string()) + L"\"";
  }
  return L"The flip-book player (Ruffle) is missing: it was looked for in " + where +
         L". Without it browsers cannot play the publication, so none was written. Build or install the "
         L"program again, then save the publication again.";
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

namespace {

// What a finished book holds at its top level; anything else in a book's folder is the user's.
constexpr std::string_view kBookEntries[] = {"videos", "pages", "xml", "swf", "index.html", "txt", "js", "ruffle"};

// A book's own entry, or the hidden temporary file that a file replacement of the export (".<file>.lwsave-"
// and 8 of its digits) leaves when the export is killed while writing it.
bool IsBookEntry(const std::string& name) {
  for (std::string_view entry : kBookEntries)
    if (name == entry) return true;
  constexpr std::string_view kMark = ".lwsave-";
  constexpr size_t kDigits = 8;
  if (name.size() < 2 + kMark.size() + kDigits || name[0] != '.' ||
      name.compare(name.size() - kDigits - kMark.size(), kMark.size(), kMark) != 0)
    return false;
  for (size_t i = name.size() - kDigits; i < name.size(); ++i)
    if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'z'))) return false;
  return true;
}

// How the hidden folders of the book folder called `book` begin: ".<book>.lwbook-", the name cut
// (whole UTF-8 characters) to leave room for the digits within the file system's name limit.
std::string StagingPrefix(std::string book) {
  constexpr size_t kMaxBook = 200;
  if (book.size() > kMaxBook) {
    size_t cut = kMaxBook;
    while (cut > 0 && (static_cast<unsigned char>(book[cut]) & 0xC0) == 0x80) --cut;
    book.resize(cut);
  }
  return "." + book + ".lwbook-";
}

// Whether `name` is one MakeStagingFolder makes for the book folder called `book`: its prefix and
// 16 lower-case hexadecimal digits.
bool IsStagingName(const std::string& name, const std::string& book) {
  const std::string head = StagingPrefix(book);
  if (name.size() != head.size() + 16 || name.compare(0, head.size(), head) != 0) return false;
  for (size_t i = head.size(); i < name.size(); ++i)
    if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'f'))) return false;
  return true;
}

// Moves into `book` the user's own entries of a folder that held the book (those that are no part
// of a book and that the book lacks), then removes the folder with what is left.
void ReleaseOldBook(const fs::path& old, const fs::path& book) {
  std::error_code ec;
  for (fs::directory_iterator it(old, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (IsBookEntry(name)) continue;
    std::error_code statError;
    if (!fs::exists(fs::symlink_status(book / name, statError))) {
      std::error_code moveError;
      fs::rename(it->path(), book / name, moveError);
    }
  }
  fs::remove_all(old, ec);
}

}  // namespace

StagingFolder::~StagingFolder() {
  if (fd >= 0) ::close(fd);
}

// A new hidden folder beside `target` (on its file system, so that the finished book can replace
// the old one by a rename) that the book is built in, held locked while this export runs so that
// no other export takes it for one that was killed; false when none can be made.
bool MakeStagingFolder(const fs::path& target, StagingFolder* staging) {
  const fs::path parent = target.parent_path();
  std::random_device random;
  for (int attempt = 0; attempt < 32; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, "%08x%08x", random(), random());
    const fs::path path = parent / (StagingPrefix(target.filename().string()) + suffix);
    if (::mkdir(path.c_str(), 0755) != 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // Another export's clean-up may have taken the folder between its making and the lock: it is
    // then gone, and the next name is tried.
    struct stat held {}, named {};
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &held) != 0 || ::stat(path.c_str(), &named) != 0 ||
        held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
      ::close(fd);
      continue;
    }
    staging->path = path.string();
    staging->fd = fd;
    return true;
  }
  errno = EEXIST;
  return false;
}

// Removes what killed exports of the book at `target` left beside it: hidden folders of exactly
// our naming that no running export holds. A folder left between the swap and its removal holds
// the old book and may hold files of the user's: those go into the book first.
void RemoveStaleStagingFolders(const fs::path& target) {
  const std::string book = target.filename().string();
  std::error_code ec;
  std::vector<fs::path> stale;
  for (fs::directory_iterator it(target.parent_path(), ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code statError;
    if (IsStagingName(it->path().filename().string(), book) && fs::is_directory(it->symlink_status(statError)))
      stale.push_back(it->path());
  }
  for (const fs::path& folder : stale) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) ReleaseOldBook(folder, target);
    ::close(fd);
  }
}

// Puts the book built in `staging` in place of the folder `target` in one step (the old folder
// is whole until then), moves into the new book what the old folder held that is no part of a
// book (the user's own files), and removes the old book.
bool SwapInBook(const std::string& staging, const std::string& target) {
  // The old book is held too, so that while it waits under the hidden name for its removal no
  // other export takes it for one that a killed export left.
  const int old = ::open(target.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (old >= 0) ::flock(old, LOCK_EX | LOCK_NB);
  const bool swapped = ::renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, target.c_str(), RENAME_EXCHANGE) == 0;
  const int err = errno;
  if (swapped) ReleaseOldBook(staging, target);
  if (old >= 0) ::close(old);
  errno = err;
  return swapped;
}

std::string PagesXmlText(int pageCount, float widthPoints, float heightPoints) {
  char line[1024];
  std::snprintf(line, sizeof line,
                "<content width=\"%d\" height=\"%d\" bgcolor=\"cccccc\" loadercolor=\"ffffff\" panelcolor=\"5d5d61\" "
                "buttoncolor=\"5d5d61\" textcolor=\"ffffff\">\r\n",
                static_cast<int>(widthPoints + 0.5f), static_cast<int>(heightPoints + 0.5f));
  std::string text = line;
  for (int i = 1; i <= pageCount; ++i) {
    std::snprintf(line, sizeof line, "\t<page src=\"pages/page%03d.swf\"/>\r\n", i);
    text += line;
  }
  text += "</content>\r\n";
  return text;
}

bool SaveFlipBook(Quirebook::CPublicationDoc* document, const wchar_t* outputFolder, CQorCommonProgress* progress,
                  const FlipExportOptions& options) {
  if (!document || !outputFolder || !*outputFolder) return false;
  std::string folder = lw::WideToUtf8(outputFolder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  const MediaLibrary& media = options.media ? *options.media : DefaultMediaLibrary();
  const PageMovieWriter writePage = options.writePage ? options.writePage : PageMovieWriter(WritePageMovie);

  // Every package carries its player: without one, nothing is written.
  const fs::path player = FlipBookPlayerFolder();
  if (player.empty()) return false;

  // The book is built beside the target folder and replaces it only when whole: a failed or
  // killed export leaves the old book as it was.
  std::error_code resolveError;
  const fs::path target = fs::canonical(folder, resolveError);
  if (resolveError || !fs::is_directory(target, resolveError) || target.filename().empty()) return false;
  // What killed exports left goes first: on a nearly full disk the new book may need its room.
  RemoveStaleStagingFolders(target);
  StagingFolder stagingFolder;
  if (!MakeStagingFolder(target, &stagingFolder)) return false;
  const std::string staging = stagingFolder.path;
  folder = staging;

  SwfExportContext context(document);
  const int pageCount = document->GetPagesCount();

  // Clips of the pages loaded now (top level); the page movies add those of the other pages.
  {
    ProgressRange range(progress, 0.1f);
    for (int i = 0; i < pageCount; ++i) {
      range.Set(static_cast<float>(i + 1) / static_cast<float>(pageCount));
      const Quirebook::CDrawingPage* page = document->GetDrawingPage(i);
      if (!page || !page->IsPageContentLoaded()) continue;
      for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList()) {
        if (obj && obj->GetObjectType() == Vectorloom::RENDER_OBJ_VIDEO)
          if (auto* video = dynamic_cast<Quirebook::CBaseVideoObj*>(obj)) context.RegisterVideo(video->GetVideoFullPathName());
      }
    }
  }
  std::string sub;
  MakeSubfolder(folder, "videos", &sub);  // a clip that cannot be written does not fail the export
  CVideoConvertThread worker(context.Jobs(), folder, media);
  worker.Start();

  // The first failure's reason is kept for the caller (errno), whatever the clean-up does after it.
  int failure = 0;
  const auto step = [&failure](bool done) {
    if (!done && failure == 0) failure = errno != 0 ? errno : EIO;
    errno = 0;
    return done;
  };
  errno = 0;
  bool ok = true;
  {
    ProgressRange range(progress, 0.8f);
    std::string pages;
    ok = step(MakeSubfolder(folder, "pages", &pages));
    for (int i = 0; ok && i < pageCount; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "page%03d.swf", i + 1);
      ok = step(writePage(context, i, JoinPath(pages, name)));
      range.Set(static_cast<float>(i + 1) / static_cast<float>(pageCount));
    }
  }
  if (ok) {
    ProgressRange range(progress, 0.1f);
    const auto size = document->GetDocLogSize(Vectorloom::UNIT_POINT);
    ok = step(MakeSubfolder(folder, "xml", &sub) &&
              lw::ReplaceFileContents(JoinPath(sub, "Pages.xml"), PagesXmlText(pageCount, size.cx, size.cy)));
    range.Set(0.2f);
    ok = ok && step(MakeSubfolder(folder, "swf", &sub) && SaveFlipResource(JoinPath(sub, "Main.swf"), "SWF", kResMainSwf) &&
                    SaveFlipResource(JoinPath(sub, "Pages.swf"), "SWF", kResPagesSwf));
    range.Set(0.5f);
    ok = ok && step(SaveFlipResource(JoinPath(folder, "index.html"), "TXT", kResIndexHtml));
    range.Set(0.70f);
    ok = ok && step(MakeSubfolder(folder, "txt", &sub) && SaveFlipResource(JoinPath(sub, "Lang.txt"), "TXT", kResLangTxt));
    range.Set(0.85f);
    ok = ok && step(MakeSubfolder(folder, "js", &sub) &&
                    SaveFlipResource(JoinPath(sub, "AC_RunActiveContent.js"), "JSCRIPT", kResAcRunActiveContent) &&
                    SaveFlipResource(JoinPath(sub, "PopUpWin.js"), "JSCRIPT", kResPopUpWin));
    ok = ok && step(CopyBrowserRuntime(player, folder));
    range.Set(1.0f);
  }

  // The worker ends on the empty job, after every clip queued before it.
  context.Jobs().Push(VideoJob{});
  worker.Stop();
  ok = ok && step(SwapInBook(staging, target.string()));
  if (!ok) {
    std::error_code ec;
    fs::remove_all(staging, ec);
  }
  errno = failure;
  return ok;
}

}  // namespace QorSWFExportingLib

bool SaveDocumentAsSWFFlipPages(Quirebook::CPublicationDoc* document, const wchar_t* outputFolder,
                                CQorCommonProgress* progress) {
  return QorSWFExportingLib::SaveFlipBook(document, outputFolder, progress, {});
}

bool FlipBookPlayerInstalled(std::wstring* message) {
  if (!QorSWFExportingLib::FlipBookPlayerFolder().empty()) return true;
  if (message) *message = QorSWFExportingLib::MissingPlayerMessage();
  return false;
}

namespace {

bool HasFiles(const fs::path& folder) {
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return false;
    const fs::file_status st = it->symlink_status(ec);
    if (ec) continue;
    if (!fs::is_directory(st)) return true;
    if (HasFiles(it->path())) return true;
  }
  return false;
}

bool RemoveBelow(const fs::path& folder, bool removeFolder) {
  std::error_code ec;
  std::vector<fs::path> entries;
  fs::directory_iterator it(folder, ec);
  if (ec) return false;
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) return false;
    entries.push_back(it->path());
  }
  for (const fs::path& p : entries) {
    const fs::file_status st = fs::symlink_status(p, ec);
    if (ec) return false;
    if (fs::is_directory(st)) {
      if (!RemoveBelow(p, removeFolder)) return false;
      if (removeFolder && (!fs::remove(p, ec) || ec)) return false;
    } else if (!fs::remove(p, ec) || ec) {  // a link goes, not what it points to
      return false;
    }
  }
  return true;
}

}  // namespace

bool bFolderHasFiles(const wchar_t* folder) {
  if (!folder || !*folder) return false;
  return HasFiles(fs::path(lw::WideToUtf8(folder)));
}

bool bRemoveAllFiles(const wchar_t* folder, bool removeFolder) {
  if (!folder || !*folder) return false;
  const fs::path root(lw::WideToUtf8(folder));
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(root, ec);
  if (!fs::exists(st)) return true;
  if (!fs::is_directory(st)) return false;
  if (!RemoveBelow(root, removeFolder)) return false;
  return !removeFolder || (fs::remove(root, ec) && !ec);
}
