// The clipboard under Xvfb: what one running program publishes another one reads -- the
// program's private format byte for byte, text and pictures from any program -- and what the
// program sets and reads in itself. A second process of this test binary plays the other
// program: it publishes, says "ready" and serves the clipboard until its input closes.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>

#include <afxwin.h>

extern char** environ;

namespace {

int g_wxAsserts = 0;
constexpr const wchar_t* kPrivateName = L"Norvane Leafwright";

// Bytes that cover every value, zeros included, and are longer than one selection chunk.
std::vector<uint8_t> PrivateBytes() {
  std::vector<uint8_t> b(70001);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>((i * 7 + i / 256) & 0xFF);
  return b;
}

HGLOBAL Block(const void* data, size_t size) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(GlobalLock(h), data, size);
  GlobalUnlock(h);
  return h;
}

std::vector<uint8_t> BytesOf(HANDLE h) {
  if (!h) return {};
  const auto* p = static_cast<const uint8_t*>(GlobalLock(h));
  std::vector<uint8_t> out(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return out;
}

// A 3 x 2 picture: top row red, green, blue; bottom row white, black, grey.
wxImage SmallPicture() {
  wxImage image(3, 2);
  const unsigned char px[2][3][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {{255, 255, 255}, {0, 0, 0}, {128, 128, 128}}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) image.SetRGB(x, y, px[y][x][0], px[y][x][1], px[y][x][2]);
  return image;
}

// The other program: publishes by kind, then serves until its input closes.
int RunOwner(const std::string& kind) {
  if (kind == "instance") {
    // Another running copy of this program: through the clipboard calls.
    const UINT format = RegisterClipboardFormatW(kPrivateName);
    const std::vector<uint8_t> bytes = PrivateBytes();
    const char16_t text[] = u"copied";
    if (!OpenClipboard(nullptr) || !EmptyClipboard()) return 2;
    SetClipboardData(format, Block(bytes.data(), bytes.size()));
    SetClipboardData(CF_UNICODETEXT, Block(text, sizeof text));
    if (!CloseClipboard()) return 3;
  } else {
    // Another program: straight through the toolkit.
    if (!wxTheClipboard->Open()) return 2;
    auto* both = new wxDataObjectComposite;
    both->Add(new wxTextDataObject(wxString::FromUTF8("Grüße ✓ 🙂")));
    both->Add(new wxBitmapDataObject(wxBitmap(SmallPicture())));
    wxTheClipboard->SetData(both);
    wxTheClipboard->Close();
  }
  std::printf("ready\n");
  std::fflush(stdout);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (std::chrono::steady_clock::now() < end) {
    pollfd in{0, POLLIN, 0};
    if (poll(&in, 1, 0) > 0) break;  // input closed (or written): done
    loop->DispatchTimeout(10);
  }
  return 0;
}

// Starts this binary as the other program and waits for its "ready".
struct Owner {
  pid_t pid = -1;
  int toChild = -1;
  bool ready = false;

  explicit Owner(const char* kind) {
    int in[2], out[2];
    if (pipe(in) || pipe(out)) return;
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, in[0], 0);
    posix_spawn_file_actions_adddup2(&fa, out[1], 1);
    posix_spawn_file_actions_addclose(&fa, in[1]);
    posix_spawn_file_actions_addclose(&fa, out[0]);
    std::string arg = std::string("--clipboard-owner=") + kind;
    char exe[] = "/proc/self/exe";
    char* argv[] = {exe, arg.data(), nullptr};
    const int rc = posix_spawn(&pid, "/proc/self/exe", &fa, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&fa);
    close(in[0]);
    close(out[1]);
    toChild = in[1];
    if (rc != 0) {
      pid = -1;
      close(out[0]);
      return;
    }
    std::string line;
    char c;
    pollfd p{out[0], POLLIN, 0};
    while (poll(&p, 1, 20000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
    close(out[0]);
    ready = line == "ready";
  }
  // Closes the input and returns the exit status.
  int Finish() {
    if (toChild >= 0) close(toChild);
    toChild = -1;
    int status = 0;
    if (pid > 0) waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ~Owner() { Finish(); }
};

}  // namespace

TEST(Clipboard, PrivateFormatFromAnotherInstanceKeepsEveryByte) {
  Owner owner("instance");
  ASSERT_TRUE(owner.ready);
  const UINT format = RegisterClipboardFormatW(kPrivateName);
  EXPECT_TRUE(IsClipboardFormatAvailable(format));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB));
  EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Some Other Format")));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(BytesOf(GetClipboardData(format)), PrivateBytes());
  const std::vector<uint8_t> text = BytesOf(GetClipboardData(CF_UNICODETEXT));
  const char16_t expected[] = u"copied";
  ASSERT_EQ(text.size(), sizeof expected);
  EXPECT_EQ(std::memcmp(text.data(), expected, sizeof expected), 0);
  EXPECT_EQ(GetClipboardData(CF_DIB), nullptr);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(owner.Finish(), 0);
}

TEST(Clipboard, TextAndPictureFromAnotherProgram) {
  Owner owner("program");
  ASSERT_TRUE(owner.ready);
  EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormatW(kPrivateName)));
  ASSERT_TRUE(OpenClipboard(nullptr));
  // Text: UTF-16 (a surrogate pair for the emoji) with its terminating zero.
  const std::vector<uint8_t> text = BytesOf(GetClipboardData(CF_UNICODETEXT));
  const std::u16string expected = u"Grüße ✓ 🙂";
  ASSERT_EQ(text.size(), (expected.size() + 1) * 2);
  EXPECT_EQ(std::memcmp(text.data(), expected.c_str(), text.size()), 0);
  // Picture: a packed bottom-up 24-bit bitmap, rows padded to four bytes.
  const std::vector<uint8_t> dib = BytesOf(GetClipboardData(CF_DIB));
  ASSERT_EQ(dib.size(), 40u + 2 * 12);
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib.data(), sizeof h);
  EXPECT_EQ(h.biWidth, 3);
  EXPECT_EQ(h.biHeight, 2);
  EXPECT_EQ(h.biBitCount, 24);
  const uint8_t bottom[9] = {255, 255, 255, 0, 0, 0, 128, 128, 128}, top[9] = {0, 0, 255, 0, 255, 0, 255, 0, 0};
  EXPECT_EQ(std::memcmp(dib.data() + 40, bottom, 9), 0);
  EXPECT_EQ(std::memcmp(dib.data() + 52, top, 9), 0);
  EXPECT_TRUE(CloseClipboard());
  EXPECT_EQ(owner.Finish(), 0);
}

TEST(Clipboard, SetAndReadInOneProgram) {
  const UINT format = RegisterClipboardFormatW(kPrivateName);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));  // one opening at a time
  EXPECT_TRUE(EmptyClipboard());
  const uint8_t priv[] = {0, 1, 2, 0, 255};
  SetClipboardData(format, Block(priv, sizeof priv));
  // Text without a terminator is taken up to the end of its block.
  const char16_t text[] = {u'a', u'b', u'c'};
  SetClipboardData(CF_UNICODETEXT, Block(text, sizeof text));
  // A top-down 32-bit picture of 2 x 1: blue, red.
  std::vector<uint8_t> dib(40 + 8, 0);
  BITMAPINFOHEADER h{};
  h.biSize = 40;
  h.biWidth = 2;
  h.biHeight = -1;
  h.biPlanes = 1;
  h.biBitCount = 32;
  std::memcpy(dib.data(), &h, 40);
  const uint8_t px[8] = {255, 0, 0, 0, 0, 0, 255, 0};
  std::memcpy(dib.data() + 40, px, 8);
  SetClipboardData(CF_DIB, Block(dib.data(), dib.size()));
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(CloseClipboard());

  EXPECT_TRUE(IsClipboardFormatAvailable(format));
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(BytesOf(GetClipboardData(format)), std::vector<uint8_t>(priv, priv + sizeof priv));
  const std::vector<uint8_t> t = BytesOf(GetClipboardData(CF_UNICODETEXT));
  const char16_t abc[] = u"abc";
  ASSERT_EQ(t.size(), sizeof abc);
  EXPECT_EQ(std::memcmp(t.data(), abc, sizeof abc), 0);
  const std::vector<uint8_t> back = BytesOf(GetClipboardData(CF_DIB));
  ASSERT_EQ(back.size(), 40u + 8);
  const uint8_t row[6] = {255, 0, 0, 0, 0, 255};
  EXPECT_EQ(std::memcmp(back.data() + 40, row, 6), 0);
  EXPECT_TRUE(CloseClipboard());

  // Emptying and closing leaves nothing.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(EmptyClipboard());
  EXPECT_TRUE(CloseClipboard());
  EXPECT_FALSE(IsClipboardFormatAvailable(format));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST(Clipboard, PicturesThatCannotBePublishedAreLeftOut) {
  struct Case {
    const char* label;
    int width, height, bits;
    DWORD compression;
    size_t pixelBytes;
  } cases[] = {
      {"8-bit palette", 2, 2, 8, 0, 8},
      {"rows cut short", 4, 4, 24, 0, 20},
      {"run-length", 2, 2, 24, 1, 16},
      {"no width", 0, 2, 24, 0, 16},
      {"absurd height", 1, 0x7FFFFFFF, 24, 0, 16},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> dib(40 + c.pixelBytes, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = c.width;
    h.biHeight = c.height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(c.bits);
    h.biCompression = c.compression;
    std::memcpy(dib.data(), &h, 40);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    SetClipboardData(CF_DIB, Block(dib.data(), dib.size()));
    CloseClipboard();
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB)) << c.label;
  }
}

int main(int argc, char** argv) {
  setenv("NO_AT_BRIDGE", "1", 1);
  std::string ownerKind;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--clipboard-owner=", 18) == 0) ownerKind = argv[i] + 18;
  if (ownerKind.empty()) ::testing::InitGoogleTest(&argc, argv);
  wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg) {
    ++g_wxAsserts;
    std::fprintf(stderr, "wx assert %s:%d %s: %s %s\n", file.utf8_str().data(), line, func.utf8_str().data(),
                 cond.utf8_str().data(), msg.utf8_str().data());
  });
  wxApp::SetInstance(new wxApp);
  int wxArgc = 1;
  char* wxArgv[] = {argv[0], nullptr};
  if (!wxEntryStart(wxArgc, wxArgv)) {
    std::fprintf(stderr, "cannot start the toolkit (no display?)\n");
    return 1;
  }
  wxTheApp->CallOnInit();
  wxInitAllImageHandlers();
  auto* loop = new wxGUIEventLoop;
  wxEventLoopBase::SetActive(loop);
  const int rc = ownerKind.empty() ? RUN_ALL_TESTS() : RunOwner(ownerKind);
  wxEventLoopBase::SetActive(nullptr);
  delete loop;
  wxEntryCleanup();
  if (g_wxAsserts) std::printf("%d toolkit asserts\n", g_wxAsserts);
  return g_wxAsserts ? 1 : rc;
}
