// Copy in one running program, Paste in another (under Xvfb): this test starts a second process
// of itself that opens a document with a picture-filled shape and a group holding a text in an
// embedded font, selects them and runs the editing view's Copy, then serves the clipboard. This
// process pastes into a document that already holds a different font under the same id: the
// objects come in order with their names, the picture with its pixels, and the font under a
// fresh id that the grouped text follows.
#include <gtest/gtest.h>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>

#include <afxwin.h>

#include "DocTestKit.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "LfwTestKit.h"
#include "PageGroupObj.h"
#include "PageTextObj.h"

extern char** environ;

using namespace Vectorloom;

namespace {

int g_wxAsserts = 0;
int g_boxes = 0;
int CountBox(const wchar_t* text, const wchar_t*, UINT) {
  ++g_boxes;
  std::fprintf(stderr, "message box: %ls\n", text);
  return IDOK;
}

class Host : public IViewHost {
 public:
  void InvalidateRect(const RECT*) override {}
  void SetTimer(UINT_PTR, UINT) override {}
  void KillTimer(UINT_PTR) override {}
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HasCapture() const override { return false; }
  void SetCursor(HCURSOR) override {}
  CDC* GetDC() override { return nullptr; }
  void ReleaseDC(CDC*) override {}
  CSize GetClientSize() const override { return CSize(1000, 1200); }
};

// A new document with its view.
struct Side {
  Side() {
    doc.m_bAutoDelete = FALSE;
    EXPECT_TRUE(doc.OnNewDocument());
    view = new CLeafwrightView;
    doc.AddView(view);
    view->SetViewHost(&host);
    view->OnUpdate(nullptr, 3, nullptr);
  }
  ~Side() {
    doc.RemoveView(view);
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  CRenderBaseObjectList& Objects() { return view->GetShownPage()->GetRenderObjectList(); }
  Host host;
  CLeafwrightDoc doc;
  CLeafwrightView* view = nullptr;
};

// The copying program.
int RunCopier() {
  lfwtest::TestHome();
  Side side;
  side.doc.GetEmbedFontResManager()->AddEmbedFontResouce(doctest::MakeFont(7, "Seven"));
  CExternalBmpResObj* picture = lfwtest::MakePicture(L"/pics/a.png", 1234, 1700000000, 200);
  CPageShapeObj* shape = lfwtest::MakeShape(10, 20, 30, 40, RENDER_KIND_BITMAP, picture);
  shape->SetObjectName(L"Photo");
  CPageGroupObj* group = doctest::MakeGroup(L"Box");
  CPageTextObj* text = doctest::MakeText(L"Ab\r", 7, L"Caption");
  group->AddChild(text);
  // The objects stay alive for the whole (short) life of this process.
  side.view->GetShownPage()->AddShapeObject(shape);
  side.view->GetShownPage()->AddShapeObject(group);
  side.view->SelectRenderObject(group, false);
  side.view->SelectRenderObject(shape, true);
  side.view->OnCmdMsg(ID_EDIT_COPY, CN_COMMAND, nullptr, nullptr);
  if (g_boxes) return 2;
  std::printf("ready\n");
  std::fflush(stdout);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  while (std::chrono::steady_clock::now() < end) {
    pollfd in{0, POLLIN, 0};
    if (poll(&in, 1, 0) > 0) break;
    loop->DispatchTimeout(10);
  }
  return 0;
}

CPageTextObj* TextIn(CRenderBaseObj* obj) {
  CPageTextObj* found = nullptr;
  CRenderBaseObjectList one;
  one.AddElement(obj);
  WalkRenderObjects(one, [&](CRenderBaseObj* o) {
    if (!found) found = dynamic_cast<CPageTextObj*>(o);
  });
  return found;
}

}  // namespace

TEST(ClipboardBetweenPrograms, ObjectsPicturesAndFontsPasteIntoAnotherRunningProgram) {
  lfwtest::TestHome();
  int in[2], out[2];
  ASSERT_EQ(pipe(in), 0);
  ASSERT_EQ(pipe(out), 0);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, in[0], 0);
  posix_spawn_file_actions_adddup2(&fa, out[1], 1);
  posix_spawn_file_actions_addclose(&fa, in[1]);
  posix_spawn_file_actions_addclose(&fa, out[0]);
  char exe[] = "/proc/self/exe", arg[] = "--copier";
  char* argv[] = {exe, arg, nullptr};
  pid_t pid = -1;
  ASSERT_EQ(posix_spawn(&pid, exe, &fa, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&fa);
  close(in[0]);
  close(out[1]);
  std::string line;
  char c;
  pollfd p{out[0], POLLIN, 0};
  while (poll(&p, 1, 30000) > 0 && read(out[0], &c, 1) == 1 && c != '\n') line += c;
  close(out[0]);

  if (line == "ready") {
    Side into;
    into.doc.GetEmbedFontResManager()->AddEmbedFontResouce(doctest::MakeFont(7, "Other"));
    into.view->OnCmdMsg(ID_EDIT_PASTE, CN_COMMAND, nullptr, nullptr);
    EXPECT_EQ(g_boxes, 0);
    CRenderBaseObjectList& objects = into.Objects();
    ASSERT_EQ(objects.GetCount(), 2);
    EXPECT_EQ(doctest::DescribeTree(*objects[0]), "Shape:Copy Of Photo");
    EXPECT_EQ(doctest::DescribeTree(*objects[1]), "Group:Copy Of Box(Text:Caption)");
    // The picture's pixels came through.
    auto* shape = static_cast<CPageShapeObj*>(objects[0]);
    CBitmapResObj* res = shape->GetFillDefinition().GetRenderBitmap();
    ASSERT_NE(res, nullptr);
    ASSERT_TRUE(res->HasBitmap());
    Gdiplus::Color px;
    res->GetGdiBitmap()->GetPixel(2, 1, &px);
    EXPECT_EQ(px.GetRed(), 80);
    EXPECT_EQ(px.GetGreen(), 60);
    EXPECT_EQ(px.GetBlue(), 200);
    // Id 7 was taken by another font: the pasted one got a fresh id, followed by the text in
    // the group; the document's own font kept its id.
    const int pastedId = TextIn(objects[1])->GetFontRunDesc(0).GetEmbedFontID();
    EXPECT_NE(pastedId, 7);
    ASSERT_NE(into.doc.GetEmbedFontResManager()->FindEmbedFontResource(pastedId), nullptr);
    EXPECT_STREQ(into.doc.GetEmbedFontResManager()->FindEmbedFontResource(pastedId)->GetFontType(), "Seven");
    EXPECT_STREQ(into.doc.GetEmbedFontResManager()->FindEmbedFontResource(7)->GetFontType(), "Other");
  } else {
    ADD_FAILURE() << "the copying program did not get ready: " << line;
  }
  close(in[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

int main(int argc, char** argv) {
  setenv("NO_AT_BRIDGE", "1", 1);
  const bool copier = argc > 1 && std::strcmp(argv[1], "--copier") == 0;
  if (!copier) ::testing::InitGoogleTest(&argc, argv);
  lwmfc::SetMessageBoxHook(&CountBox);
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
  auto* loop = new wxGUIEventLoop;
  wxEventLoopBase::SetActive(loop);
  const int rc = copier ? RunCopier() : RUN_ALL_TESTS();
  wxEventLoopBase::SetActive(nullptr);
  delete loop;
  wxEntryCleanup();
  return g_wxAsserts ? 1 : rc;
}
