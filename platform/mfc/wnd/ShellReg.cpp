// The shell's file types on a Linux desktop: a desktop entry that opens the program with a file
// and a shared-mime-info type for each document extension, in the user's XDG data folder.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "wnd_state.h"

#include <lwreplace.h>
#include <lwstr.h>

extern char** environ;

namespace {

std::string Utf8(const CString& s) { return lw::WideToUtf8(static_cast<const wchar_t*>(s)); }

// $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
std::string DataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home && home[0] ? home : "/tmp") + "/.local/share";
}

std::string ExecutablePath() {
  std::vector<char> buf(PATH_MAX + 1);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  return n > 0 ? std::string(buf.data(), static_cast<size_t>(n)) : std::string();
}

// The lower-case file name of the program without its extension.
std::string ProgramName(const std::string& exe) {
  std::string name = exe.substr(exe.find_last_of('/') + 1);
  const size_t dot = name.find('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  std::string out;
  for (char c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    out += (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ? c : '-';
  }
  return out.empty() ? std::string("program") : out;
}

bool MakeFolders(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i != path.size() && path[i] != '/') continue;
    const std::string part = path.substr(0, i);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return true;
}

bool SameContent(const std::string& path, const std::string& text) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string have;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0 && have.size() <= text.size()) have.append(buf, n);
  std::fclose(f);
  return have == text;
}

// Replaces the file whole (lw::FileReplacement), so a reader never sees half of it and a link
// there (a desktop entry kept with the user's other settings) stays; false when it could not be
// written.
bool WriteWhole(const std::string& path, const std::string& text) { return lw::ReplaceFileContents(path, text); }

// Runs a desktop tool when it is installed; its absence or failure changes nothing.
void RunIfPresent(const char* tool, const std::string& arg) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char> a0(tool, tool + std::char_traits<char>::length(tool) + 1);
  std::vector<char> a1(arg.begin(), arg.end());
  a1.push_back('\0');
  char* argv[] = {a0.data(), a1.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, tool, &actions, nullptr, argv, environ) == 0) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  posix_spawn_file_actions_destroy(&actions);
}

std::string XmlEscape(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

// A desktop entry string value: one line, backslashes doubled.
std::string DesktopValue(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\n' || c == '\r' || c == '\t') out += ' ';
    else if (c == '\\') out += "\\\\";
    else out += c;
  }
  return out;
}

// The program's path as one quoted argument of the Exec key ('"', '`', '$' and '\' escaped,
// then the string value's own escaping).
std::string ExecArgument(const std::string& path) {
  std::string quoted = "\"";
  for (char c : path) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
    if (c == '%') quoted += '%';
    quoted += c;
  }
  quoted += '"';
  return DesktopValue(quoted);
}

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

struct FileType {
  std::string comment;
  std::vector<std::string> globs;  // "*.lfw"
};

// "Leafwright Files (*.LFW)" -> "Leafwright Files".
std::string WithoutPatterns(std::string name) {
  const size_t open = name.rfind(" (");
  if (open != std::string::npos && !name.empty() && name.back() == ')') name.resize(open);
  return name;
}

bool g_shellOpenEnabled = false;

}  // namespace

void CWinApp::EnableShellOpen() { g_shellOpenEnabled = true; }

void CWinApp::RegisterShellFileTypes(BOOL) {
  const std::string exe = ExecutablePath();
  if (exe.empty() || !m_pDocManager) return;
  const std::string name = ProgramName(exe);
  std::vector<FileType> types;
  std::string title;
  POSITION pos = m_pDocManager->GetFirstDocTemplatePosition();
  while (pos) {
    CDocTemplate* pTemplate = m_pDocManager->GetNextDocTemplate(pos);
    CString exts, filterName, windowTitle;
    if (!pTemplate || !pTemplate->GetDocString(exts, CDocTemplate::filterExt)) continue;
    FileType type;
    if (pTemplate->GetDocString(filterName, CDocTemplate::filterName)) type.comment = WithoutPatterns(Utf8(filterName));
    if (title.empty() && pTemplate->GetDocString(windowTitle, CDocTemplate::windowTitle)) title = Utf8(windowTitle);
    std::string list = Utf8(exts);
    size_t start = 0;
    while (start <= list.size()) {
      size_t end = list.find(';', start);
      if (end == std::string::npos) end = list.size();
      std::string ext = list.substr(start, end - start);
      start = end + 1;
      while (!ext.empty() && (ext[0] == '.' || ext[0] == '*')) ext.erase(0, 1);
      if (ext.empty() || ext.find_first_of("/*?[]\"<>&") != std::string::npos) continue;
      type.globs.push_back("*." + Lower(ext));
    }
    if (type.globs.empty()) continue;
    if (type.comment.empty()) type.comment = type.globs.front().substr(2) + " document";
    types.push_back(std::move(type));
  }
  if (types.empty()) return;
  if (title.empty()) title = m_pszAppName ? lw::WideToUtf8(m_pszAppName) : name;

  // One MIME type per template: application/x-<program>, then -2, -3 for further templates.
  std::vector<std::string> mimeTypes;
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
  for (size_t i = 0; i < types.size(); ++i) {
    const std::string mime = "application/x-" + name + (i ? "-" + std::to_string(i + 1) : std::string());
    mimeTypes.push_back(mime);
    xml += "  <mime-type type=\"" + mime + "\">\n";
    xml += "    <comment>" + XmlEscape(types[i].comment) + "</comment>\n";
    for (const std::string& g : types[i].globs) xml += "    <glob pattern=\"" + g + "\"/>\n";
    xml += "  </mime-type>\n";
  }
  xml += "</mime-info>\n";

  std::string desktop =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=" + DesktopValue(title) + "\n"
      "Exec=" + ExecArgument(exe) + " %f\n"
      "Terminal=false\n"
      "Categories=Office;Publishing;\n"
      "MimeType=";
  for (const std::string& m : mimeTypes) desktop += m + ";";
  desktop += "\n";

  const std::string data = DataFolder();
  const std::string appsFolder = data + "/applications";
  const std::string mimeFolder = data + "/mime";
  const std::string desktopPath = appsFolder + "/" + name + ".desktop";
  const std::string xmlPath = mimeFolder + "/packages/" + name + ".xml";
  if (!SameContent(xmlPath, xml) && MakeFolders(mimeFolder + "/packages") && WriteWhole(xmlPath, xml))
    RunIfPresent("update-mime-database", mimeFolder);
  if (!SameContent(desktopPath, desktop) && MakeFolders(appsFolder) && WriteWhole(desktopPath, desktop))
    RunIfPresent("update-desktop-database", appsFolder);
}
