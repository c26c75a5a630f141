// The publication view in a frame under Xvfb: a text box drawn with the mouse, typed into,
// undone and redone (in each theme), and a generated clip played in place, its frames arriving
// from the player's thread at the clip's rate and shown on the page. Each state is checked on
// the screen and kept as a screenshot; set LW_KEEP_SHOTS to a folder to keep them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <QorpPaintManager.h>
#include <TestSupport.h>
#include <lwstr.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/PublicationView.h>

#include "GuiTestHarness.h"

using namespace guitest;
using namespace Vectorloom;

namespace {

constexpr const wchar_t* kModule = L"/nonexistent/leafwright/Office2010.dll";

bool Screenshot(const lwtest::TempDir& dir, const std::string& name, wxImage& image) {
  const std::string path = (dir / name).string();
  const long rc = wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS);
  if (rc != 0) {
    std::fprintf(stderr, "import failed (%ld): is ImageMagick installed?\n", rc);
    return false;
  }
  if (const char* keep = std::getenv("LW_KEEP_SHOTS")) {
    std::error_code ec;
    std::filesystem::create_directories(keep, ec);
    std::filesystem::copy_file(path, std::filesystem::path(keep) / name,
                               std::filesystem::copy_options::overwrite_existing, ec);
  }
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  return image.LoadFile(path, wxBITMAP_TYPE_PNG);
}

// Dark pixels (text, caret) in a screen rectangle.
int DarkPixels(const wxImage& image, const CRect& rc) {
  int n = 0;
  for (int y = std::max<long>(0, rc.top); y < std::min<long>(image.GetHeight(), rc.bottom); ++y)
    for (int x = std::max<long>(0, rc.left); x < std::min<long>(image.GetWidth(), rc.right); ++x)
      if (image.GetRed(x, y) < 100 && image.GetGreen(x, y) < 100 && image.GetBlue(x, y) < 100) ++n;
  return n;
}

class CTextDoc : public CPublicationDoc {
 public:
  CRenderBaseObj* CreateNewObject(int type) override {
    return type == RENDER_OBJ_TEXT ? new CDDrawTextObj : CPublicationDoc::CreateNewObject(type);
  }
};

// The view, counting the frames that reach it and when.
class CCountingView : public CPublicationView {
 public:
  std::vector<std::chrono::steady_clock::time_point> frames;
  LRESULT OnFrame(WPARAM wParam, LPARAM lParam) {
    frames.push_back(std::chrono::steady_clock::now());
    return OnVideoFrameUpdate(wParam, lParam);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCountingView, CPublicationView)
  ON_MESSAGE(Quirebook::kVideoFrameMessage, &CCountingView::OnFrame)
END_MESSAGE_MAP()

class PublicationViewFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.SetDocumentSize(CQorVectorSize<float>(400, 300), 0);
    page = new CDrawingPage;
    doc.GetRenderPagesArray().AddPage(page);
    frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"Publication view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 700, 520)));
    CRect rc;
    frame->GetClientRect(&rc);
    view = new CCountingView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL, rc, frame,
                             AFX_IDW_PANE_FIRST));
    view->m_pDocument = &doc;
    doc.AddView(view);
    view->SetRenderPage(page);
    view->ZoomView(100);
    ASSERT_TRUE(PumpUntil([&] { return view->GetWxWindow()->IsShownOnScreen(); }));
    PumpUntil([] { return false; }, 150);
  }
  void TearDown() override {
    view->UpdateEditingTool(nullptr);
    CQORPResourceTheme::SetImageHandle(kModule, kQorpThemeBlue);
    doc.RemoveView(view);
    if (frame->m_hWnd) frame->DestroyWindow();  // the view goes with its window
    PumpUntil([] { return false; }, 20);
    delete frame;
    doc.DeleteContents();
  }

  CPoint Client(float x, float y) const {
    const CQorVectorPoint<float> lp = view->MapFromPic(CQorVectorPoint<float>(x, y));
    const CPoint scroll = view->GetDeviceScrollPosition();
    return CPoint(static_cast<long>(lp.x) - scroll.x, static_cast<long>(lp.y) - scroll.y);
  }
  CPoint Screen(float x, float y) const {
    CPoint p = Client(x, y);
    view->ClientToScreen(&p);
    return p;
  }
  CRect ScreenRect(float l, float t, float r, float b) const {
    const CPoint a = Screen(l, t), c = Screen(r, b);
    return CRect(a.x, a.y, c.x, c.y);
  }
  void Mouse(UINT msg, float x, float y, UINT flags = 0) {
    const CPoint p = Client(x, y);
    view->SendMessage(msg, flags, MAKELPARAM(p.x, p.y));
  }
  void Drag(float x0, float y0, float x1, float y1) {
    Mouse(WM_LBUTTONDOWN, x0, y0, MK_LBUTTON);
    for (int i = 1; i <= 4; ++i) Mouse(WM_MOUSEMOVE, x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4, MK_LBUTTON);
    Mouse(WM_LBUTTONUP, x1, y1);
  }
  void Settle(int ms = 120) {
    view->UpdateWindow();
    PumpUntil([] { return false; }, ms);
  }

  CTextDoc doc;
  CDrawingPage* page = nullptr;
  CFrameWnd* frame = nullptr;
  CCountingView* view = nullptr;
  lwtest::TempDir shots;
};

TEST_F(PublicationViewFrame, TextBoxDrawnTypedUndoneAndRedoneInEachTheme) {
  const struct {
    const wchar_t* ini;
    const char* name;
  } themes[] = {{kQorpThemeBlue, "blue"}, {kQorpThemeSilver, "silver"}, {kQorpThemeBlack, "black"}};
  const std::wstring typed = L"Leafwright \U0001F600 ok";
  for (const auto& t : themes) {
    SCOPED_TRACE(t.name);
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, t.ini));
    view->UpdateEditingTool(nullptr);
    doc.ClearUndoHistory();
    page->GetRenderObjectList().RemoveAllElements();
    view->DeseleteAllRenderObjects();
    Settle();
    auto shot = [&](const char* step) {
      wxImage image;
      EXPECT_TRUE(Screenshot(shots, std::string("text-") + t.name + "-" + step + ".png", image));
      return image;
    };
    const CRect box = ScreenRect(44, 44, 336, 116);  // inside the box, clear of its outline

    view->UpdateEditingTool(&CPublicationView::g_DrawTextTool);
    Mouse(WM_LBUTTONDOWN, 40, 40, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 200, 90, MK_LBUTTON);
    Mouse(WM_MOUSEMOVE, 340, 120, MK_LBUTTON);
    Settle();
    const wxImage band = shot("0-dragging");
    EXPECT_GT(DarkPixels(band, ScreenRect(38, 38, 342, 42)), 100) << "no rubber band along the top edge";
    Mouse(WM_LBUTTONUP, 340, 120);
    ASSERT_EQ(page->GetRenderObjectList().GetCount(), 1);
    auto* text = dynamic_cast<CDDrawTextObj*>(page->GetRenderObjectList().GetHead());
    ASSERT_NE(text, nullptr);
    ASSERT_EQ(view->GetEditingTool(), &CPublicationView::g_EditingTextTool);
    GlyphweaveLib::CRichFontDesc font = CPublicationView::g_EditingTextTool.GetCurrentFont();
    font.m_fFontSize = 24;
    CPublicationView::g_EditingTextTool.SetCurrentFont(font);
    Settle();
    const int emptyDark = DarkPixels(shot("1-drawn"), box);

    for (wchar_t c : typed) view->SendMessage(WM_CHAR, static_cast<WPARAM>(c), 0);
    Settle();
    EXPECT_EQ(GlyphweaveLib::CodePointsFromTextUnits(text->GetCharacters(0, -1)), typed);
    const int typedDark = DarkPixels(shot("2-typed"), box);
    EXPECT_GT(typedDark, emptyDark + 300) << "the typed text is not on the screen";
    EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Edit Text"));

    // Undo the typing character by character: the editing goes on, the text empties.
    const int steps = static_cast<int>(typed.size());
    for (int i = 0; i < steps; ++i) view->SendMessage(WM_COMMAND, kIdEditUndo, 0);
    Settle();
    EXPECT_EQ(text->GetArrayOfTextCharacters().size(), 0u);
    EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Edit Text"));
    EXPECT_EQ(view->GetEditingTool(), &CPublicationView::g_EditingTextTool);
    const int undoneDark = DarkPixels(shot("3-undone"), box);
    EXPECT_LT(undoneDark, emptyDark + 60);

    for (int i = 0; i < steps; ++i) view->SendMessage(WM_COMMAND, kIdEditRedo, 0);
    Settle();
    EXPECT_EQ(GlyphweaveLib::CodePointsFromTextUnits(text->GetCharacters(0, -1)), typed);
    const int redoneDark = DarkPixels(shot("4-redone"), box);
    EXPECT_NEAR(redoneDark, typedDark, typedDark / 10 + 40);

    // Shift+Left twice, then a selection band over the last two characters.
    CPublicationView::g_EditingTextTool.MoveCaretByKey(view, VK_LEFT, true);
    CPublicationView::g_EditingTextTool.MoveCaretByKey(view, VK_LEFT, true);
    Settle();
    shot("5-selected");
    EXPECT_TRUE(CPublicationView::g_EditingTextTool.HasSelection());
  }
  EXPECT_EQ(g_wxAsserts, 0);
}

TEST_F(PublicationViewFrame, ClipPlaysInPlaceAtItsRate) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  const std::string clip = (shots / "clip.mp4").string();
  const std::string cmd =
      "ffmpeg -v error -y -f lavfi -i color=c=red:size=160x120:rate=10:duration=4 -pix_fmt yuv420p '" + clip + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  auto* video = new CBaseVideoObj;
  video->SetVideoObjectSize({160, 120});
  video->SetVideoFullPathName(lw::Utf8ToWide(clip));
  video->CreatePathStorage();
  video->SetTransMatrix(CQorTransMatrix::Translation(60, 60), true);
  video->RecalcuLayout();
  page->AddShapeObject(video);
  Settle();
  wxImage before;
  ASSERT_TRUE(Screenshot(shots, "video-1-poster.png", before));
  const CPoint centre = Screen(140, 110);
  EXPECT_GT(before.GetGreen(centre.x, centre.y), 200) << "nothing drawn before playback";

  const CPoint p = Client(140, 100);
  view->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  ASSERT_EQ(view->GetEditingTool(), &CPublicationView::g_playVideoTool);
  ASSERT_TRUE(CPublicationView::g_playVideoTool.IsPlaying());
  ASSERT_TRUE(PumpUntil([&] { return view->frames.size() >= 3; }, 10000));
  PumpUntil([] { return false; }, 1500);
  const size_t n = view->frames.size();
  Settle(60);
  wxImage playing;
  ASSERT_TRUE(Screenshot(shots, "video-2-playing.png", playing));
  EXPECT_GT(playing.GetRed(centre.x, centre.y), 200);
  EXPECT_LT(playing.GetGreen(centre.x, centre.y), 60);
  EXPECT_LT(playing.GetBlue(centre.x, centre.y), 60);

  // Frames come at the clip's 10 per second: the middle spacing of the frames delivered while
  // the loop was free is 100 ms (a frame the busy loop could not take in 50 ms is dropped, which
  // only widens a few gaps).
  ASSERT_GE(n, 8u);
  std::vector<double> gaps;
  for (size_t i = 3; i < n; ++i)
    gaps.push_back(std::chrono::duration<double, std::milli>(view->frames[i] - view->frames[i - 1]).count());
  std::sort(gaps.begin(), gaps.end());
  const double median = gaps[gaps.size() / 2];
  std::printf("in-place playback: %zu frames, median spacing %.1f ms\n", n, median);
  EXPECT_NEAR(median, 100.0, 30.0);

  view->UpdateEditingTool(nullptr);  // stops the player
  EXPECT_FALSE(CPublicationView::g_playVideoTool.IsPlaying());
  const size_t stopped = view->frames.size();
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(view->frames.size(), stopped) << "frames after the player closed";
  EXPECT_EQ(g_wxAsserts, 0);
}

}  // namespace
