// The loopback preview server of a package: what it serves, what it refuses (every way out of the
// folder: "..", encoded or not, symbolic links), where it listens and that it stops.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include <flarewing/PackagePreview.h>

#include "FlipTestKit.h"

namespace {

using namespace fliptest;
namespace flip = QorSWFExportingLib;

struct Reply {
  bool connected = false;
  int status = 0;
  std::string headers, body;
};

// Sends the request line exactly as given (no client normalises it) and reads the whole answer.
Reply RawRequest(const char* address, int port, const std::string& method, const std::string& target) {
  Reply reply;
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return reply;
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address, &sa.sin_addr);
  if (connect(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa) != 0) {
    close(fd);
    return reply;
  }
  reply.connected = true;
  const std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
  if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size())) {
    close(fd);
    return reply;
  }
  std::string all;
  char buf[65536];
  for (ssize_t n; (n = recv(fd, buf, sizeof buf, 0)) > 0;) all.append(buf, static_cast<size_t>(n));
  close(fd);
  const size_t split = all.find("\r\n\r\n");
  if (all.rfind("HTTP/1.1 ", 0) != 0 || split == std::string::npos) return reply;
  reply.status = std::stoi(all.substr(9, 3));
  reply.headers = all.substr(0, split);
  reply.body = all.substr(split + 4);
  return reply;
}

std::string HeaderValue(const Reply& r, const std::string& name) {
  const size_t at = r.headers.find("\r\n" + name + ": ");
  if (at == std::string::npos) return {};
  const size_t from = at + name.size() + 4;
  return r.headers.substr(from, r.headers.find("\r\n", from) - from);
}

// book/ is served; secret.txt and private/ lie beside it, reached only by ways out of the folder.
struct PackageFixture {
  TempDir tmp;
  fs::path book = tmp.path() / "book";
  PackageFixture() {
    fs::create_directories(book / "pages");
    fs::create_directories(book / "ruffle");
    fs::create_directories(tmp.path() / "private");
    std::ofstream(book / "index.html") << "<html>book</html>";
    std::ofstream(book / "pages/page001.swf") << "FWS-page-1";
    std::ofstream(book / "ruffle/core.wasm") << "wasm";
    std::ofstream(book / "pages/%2e%2e") << "a file named so";
    std::ofstream(tmp.path() / "secret.txt") << "SECRET";
    std::ofstream(tmp.path() / "private/key.txt") << "SECRET";
    fs::create_directory_symlink(tmp.path() / "private", book / "outside");
    fs::create_symlink(tmp.path() / "secret.txt", book / "secret-link.txt");
    fs::create_symlink("../secret.txt", book / "pages/relative-link.txt");
    fs::create_symlink(book / "index.html", book / "inside-link.html");
  }
};

TEST(PackagePreview, ServesThePackageAndRefusesEveryWayOutOfIt) {
  PackageFixture fx;
  flip::CPackagePreviewServer server;
  ASSERT_TRUE(server.Start(fx.book));
  ASSERT_GT(server.Port(), 0);
  EXPECT_EQ(server.StartAddress(), "http://127.0.0.1:" + std::to_string(server.Port()) + "/index.html");

  const struct {
    const char* target;
    int status;        // 404: refused (any 4xx answer)
    const char* body;  // null: not checked
    const char* type;  // null: not checked
  } cases[] = {
      {"/", 200, "<html>book</html>", "text/html; charset=iso-8859-1"},
      {"/index.html", 200, "<html>book</html>", nullptr},
      {"/./index.html", 200, "<html>book</html>", nullptr},
      {"/pages/page001.swf", 200, "FWS-page-1", "application/x-shockwave-flash"},
      {"/ruffle/core.wasm", 200, "wasm", "application/wasm"},
      {"/pages/%70age001.swf", 200, "FWS-page-1", nullptr},  // percent-encoding is decoded
      {"/inside-link.html", 200, "<html>book</html>", nullptr},
      {"/pages/%252e%252e", 200, "a file named so", nullptr},  // decoded once: a name, not a way up
      // Out of the folder by "..", plain, encoded, mixed, with backslashes.
      {"/../secret.txt", 404, nullptr, nullptr},
      {"/pages/../../secret.txt", 404, nullptr, nullptr},
      {"/%2e%2e/secret.txt", 404, nullptr, nullptr},
      {"/%2E%2E%2Fsecret.txt", 404, nullptr, nullptr},
      {"/pages/%2e./%2e%2e/secret.txt", 404, nullptr, nullptr},
      {"/..%2fsecret.txt", 404, nullptr, nullptr},
      {"/..%5csecret.txt", 404, nullptr, nullptr},
      {"/pages/..\\..\\secret.txt", 404, nullptr, nullptr},
      {"/pages/../index.html", 404, nullptr, nullptr},  // ".." is refused even when it stays inside
      // Out of the folder by symbolic links.
      {"/outside/key.txt", 404, nullptr, nullptr},
      {"/secret-link.txt", 404, nullptr, nullptr},
      {"/pages/relative-link.txt", 404, nullptr, nullptr},
      // Absolute paths, NUL, folders (never listed), files that are not there.
      {"//tmp/../etc/passwd", 404, nullptr, nullptr},
      {"/etc/passwd", 404, nullptr, nullptr},
      {"/index.html%00.txt", 404, nullptr, nullptr},
      {"/pages", 404, nullptr, nullptr},
      {"/pages/", 404, nullptr, nullptr},
      {"/missing.html", 404, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const Reply r = RawRequest("127.0.0.1", server.Port(), "GET", c.target);
    ASSERT_TRUE(r.connected);
    if (c.status == 404) {
      EXPECT_TRUE(r.status >= 400 && r.status < 500) << r.status;
    } else {
      EXPECT_EQ(r.status, c.status);
    }
    EXPECT_EQ(r.body.find("SECRET"), std::string::npos);
    if (c.body) EXPECT_EQ(r.body, c.body);
    if (c.type) EXPECT_EQ(HeaderValue(r, "Content-Type"), c.type);
  }
  // Nothing but reading.
  const Reply head = RawRequest("127.0.0.1", server.Port(), "HEAD", "/index.html");
  EXPECT_EQ(head.status, 200);
  EXPECT_TRUE(head.body.empty());
  EXPECT_EQ(RawRequest("127.0.0.1", server.Port(), "POST", "/index.html").status, 405);
  EXPECT_EQ(RawRequest("127.0.0.1", server.Port(), "DELETE", "/index.html").status, 405);
  EXPECT_TRUE(fs::exists(fx.book / "index.html"));

  // Bound to 127.0.0.1 alone: another loopback address (and so any other interface) is not answered.
  EXPECT_FALSE(RawRequest("127.0.0.2", server.Port(), "GET", "/").connected);

  server.Stop();
  EXPECT_FALSE(server.IsRunning());
  EXPECT_FALSE(RawRequest("127.0.0.1", server.Port(), "GET", "/").connected);
}

// One server a folder, reused while it runs; a folder that is not there is not served; all stop together.
TEST(PackagePreview, ProcessPreviewsAreOneServerAFolderUntilStopped) {
  PackageFixture a, b;
  const std::string first = flip::PreviewPackageFolder(a.book);
  ASSERT_EQ(first.rfind("http://127.0.0.1:", 0), 0u) << first;
  EXPECT_EQ(flip::PreviewPackageFolder(a.book.string() + "/"), first);
  const std::string second = flip::PreviewPackageFolder(b.book);
  ASSERT_FALSE(second.empty());
  EXPECT_NE(second, first);
  EXPECT_TRUE(flip::PreviewPackageFolder(a.tmp.path() / "missing").empty());
  EXPECT_TRUE(flip::PreviewPackageFolder(a.book / "index.html").empty());

  const int port = std::stoi(first.substr(17, first.find('/', 17) - 17));
  EXPECT_EQ(RawRequest("127.0.0.1", port, "GET", "/index.html").body, "<html>book</html>");
  flip::StopPackagePreviews();
  EXPECT_FALSE(RawRequest("127.0.0.1", port, "GET", "/index.html").connected);
}

}  // namespace
