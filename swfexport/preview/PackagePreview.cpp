// The loopback preview server of flip-book packages, over cpp-httplib.
#include "flarewing/PackagePreview.h"

#include <httplib.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <thread>

namespace fs = std::filesystem;

namespace QorSWFExportingLib {

std::optional<fs::path> ResolvePreviewFile(const fs::path& root, std::string_view requestPath) {
  if (requestPath.empty() || requestPath.front() != '/') return std::nullopt;
  if (requestPath.find('\\') != std::string_view::npos || requestPath.find('\0') != std::string_view::npos)
    return std::nullopt;
  fs::path relative;
  size_t start = 1;
  while (start <= requestPath.size()) {
    size_t end = requestPath.find('/', start);
    if (end == std::string_view::npos) end = requestPath.size();
    const std::string_view segment = requestPath.substr(start, end - start);
    if (segment == "..") return std::nullopt;
    if (!segment.empty() && segment != ".") relative /= std::string(segment);
    start = end + 1;
  }
  if (relative.empty()) relative = "index.html";
  std::error_code ec;
  // Every symbolic link on the way is followed: what is served must still lie inside the folder.
  const fs::path file = fs::canonical(root / relative, ec);
  if (ec || !fs::is_regular_file(file, ec) || ec) return std::nullopt;
  auto r = root.begin();
  auto f = file.begin();
  for (; r != root.end() && !r->empty(); ++r, ++f)
    if (f == file.end() || *f != *r) return std::nullopt;
  return file;
}

const char* PreviewContentType(const fs::path& file) {
  static const std::map<std::string, const char*> types = {
      {".html", "text/html; charset=iso-8859-1"},
      {".htm", "text/html; charset=iso-8859-1"},
      {".js", "text/javascript"},
      {".wasm", "application/wasm"},
      {".swf", "application/x-shockwave-flash"},
      {".xml", "text/xml"},
      {".txt", "text/plain; charset=utf-8"},
      {".flv", "video/x-flv"},
      {".png", "image/png"},
      {".jpg", "image/jpeg"},
      {".gif", "image/gif"},
      {".css", "text/css"},
      {".json", "application/json"},
      {".map", "application/json"}};
  std::string ext = file.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto it = types.find(ext);
  return it == types.end() ? "application/octet-stream" : it->second;
}

struct CPackagePreviewServer::Impl {
  httplib::Server server;
  std::thread thread;
  fs::path folder;
  int port = -1;
};

CPackagePreviewServer::CPackagePreviewServer() : m_impl(std::make_unique<Impl>()) {}

CPackagePreviewServer::~CPackagePreviewServer() { Stop(); }

bool CPackagePreviewServer::Start(const fs::path& folder) {
  Stop();
  std::error_code ec;
  const fs::path root = fs::canonical(folder, ec);
  if (ec || !fs::is_directory(root, ec)) return false;
  m_impl = std::make_unique<Impl>();
  m_impl->folder = root;
  httplib::Server& server = m_impl->server;
  // A few workers are plenty for one reader on this machine.
  server.new_task_queue = [] { return new httplib::ThreadPool(4); };
  server.set_keep_alive_timeout(2);
  server.set_read_timeout(5);
  server.set_write_timeout(5);
  server.set_payload_max_length(64 * 1024);
  auto serve = [root](const httplib::Request& req, httplib::Response& res) {
    const auto file = ResolvePreviewFile(root, req.path);
    if (!file && req.path == "/favicon.ico") {
      res.status = 204;  // a package has no icon: the browser's request is answered without one
      return;
    }
    if (!file) {
      res.status = 404;
      res.set_content("Not found", "text/plain");
      return;
    }
    std::ifstream in(*file, std::ios::binary);
    std::string body((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
      res.status = 500;
      return;
    }
    res.set_header("Cache-Control", "no-store");
    res.set_content(std::move(body), PreviewContentType(*file));
  };
  server.Get(".*", serve);
  // Only GET (and HEAD, answered like GET without the body) is served.
  auto refuse = [](const httplib::Request&, httplib::Response& res) { res.status = 405; };
  server.Post(".*", refuse);
  server.Put(".*", refuse);
  server.Delete(".*", refuse);
  server.Patch(".*", refuse);
  m_impl->port = server.bind_to_any_port("127.0.0.1");
  if (m_impl->port <= 0) {
    m_impl = std::make_unique<Impl>();
    return false;
  }
  m_impl->thread = std::thread([&server] { server.listen_after_bind(); });
  // Stop() before the loop runs would find nothing to stop: wait until it does.
  for (int i = 0; i < 2000 && !server.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

void CPackagePreviewServer::Stop() {
  if (!m_impl->thread.joinable()) return;
  m_impl->server.stop();
  m_impl->thread.join();
  m_impl = std::make_unique<Impl>();
}

bool CPackagePreviewServer::IsRunning() const { return m_impl->thread.joinable() && m_impl->server.is_running(); }

int CPackagePreviewServer::Port() const { return m_impl->port; }

const fs::path& CPackagePreviewServer::Folder() const { return m_impl->folder; }

std::string CPackagePreviewServer::StartAddress() const {
  return "http://127.0.0.1:" + std::to_string(m_impl->port) + "/index.html";
}

namespace {

struct Previews {
  std::mutex lock;
  std::map<fs::path, std::unique_ptr<CPackagePreviewServer>> servers;
  ~Previews() { StopAll(); }
  void StopAll() {
    std::lock_guard<std::mutex> hold(lock);
    servers.clear();  // each server stops and joins its thread
  }
};

Previews& ThePreviews() {
  static Previews previews;
  return previews;
}

}  // namespace

std::string PreviewPackageFolder(const fs::path& folder) {
  std::error_code ec;
  const fs::path root = fs::canonical(folder, ec);
  if (ec) return {};
  Previews& previews = ThePreviews();
  std::lock_guard<std::mutex> hold(previews.lock);
  auto& server = previews.servers[root];
  if (!server || !server->IsRunning()) {
    server = std::make_unique<CPackagePreviewServer>();
    if (!server->Start(root)) {
      previews.servers.erase(root);
      return {};
    }
  }
  return server->StartAddress();
}

void StopPackagePreviews() { ThePreviews().StopAll(); }

}  // namespace QorSWFExportingLib
