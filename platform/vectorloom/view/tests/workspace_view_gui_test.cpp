// The workspace view in a frame under Xvfb, in each theme: a rectangle is drawn, moved and
// resized with the mouse, an oval drawn and the two grouped by the Group command, then every
// step undone; each state is checked on the screen (pixels of the shapes and of the page) and
// kept as a screenshot. Set LW_KEEP_SHOTS to a folder to keep the screenshots.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <wx/app.h>
#include <wx/cursor.h>
#include <wx/window.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/utils.h>

#include <QorpPaintManager.h>
#include <QorpStatusBar.h>
#include <TestSupport.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/WorkspaceView.h>

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

COLORREF PixelAt(const wxImage& image, CPoint pt) {
  if (pt.x < 0 || pt.y < 0 || pt.x >= image.GetWidth() || pt.y >= image.GetHeight()) return 0xFFFFFFFF;
  return RGB(image.GetRed(pt.x, pt.y), image.GetGreen(pt.x, pt.y), image.GetBlue(pt.x, pt.y));
}

bool Near(COLORREF a, COLORREF b, int tol = 8) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tol && std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

// Shapes in the program's start-up colours: green inside, an orange outline.
class CColourDoc : public CWorkspaceDoc {
 public:
  CRenderBaseObj* CreateNewObject(int type) override {
    CRenderBaseObj* obj = CWorkspaceDoc::CreateNewObject(type);
    if (auto* shape = dynamic_cast<CCustomPathObj*>(obj)) {
      shape->SetFillColor(RGB(0, 128, 0));
      shape->SetStrokeColor(RGB(255, 153, 0));
      shape->SetStrokeWidth(3);
    }
    return obj;
  }
};

class CTestWorkspaceView : public CWorkspaceView {
 public:
  CTestWorkspaceView() = default;
};

class WorkspaceViewFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    doc.SetDocumentSize(CQorVectorSize<float>(400, 300), 0);
    page = new CRenderPage;
    doc.m_arrPages.AddPage(page);
    frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"Workspace view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 700, 520)));
    CRect rc;
    frame->GetClientRect(&rc);
    bar = new CQORPStatusBar;
    ASSERT_TRUE(bar->Create(frame));
    pane = bar->AddPane(QORP_STATUS_PANE_TEXT, 1020);
    pane->SetText(L"Ready");
    pane->SetWidth(300);
    bar->AddPane(QORP_STATUS_PANE_STRETCH, 0)->SetWidth(1);
    view = new CTestWorkspaceView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_HSCROLL | WS_VSCROLL,
                             CRect(0, 0, rc.Width(), rc.Height() - CQORPStatusBar::kHeight), frame,
                             AFX_IDW_PANE_FIRST));
    doc.AddView(view);
    view->SetRenderPage(page);
    view->ZoomView(100);
    ASSERT_TRUE(PumpUntil([&] { return view->GetWxWindow()->IsShownOnScreen(); }));
    PumpUntil([] { return false; }, 150);
  }
  void TearDown() override {
    CQORPResourceTheme::SetImageHandle(kModule, kQorpThemeBlue);
    if (bar->m_hWnd) bar->DestroyWindow();
    delete bar;
    if (frame->m_hWnd) frame->DestroyWindow();  // the view goes with its window
    PumpUntil([] { return false; }, 20);
    delete frame;
    doc.DeleteContents();
  }

  // A page point on the screen.
  CPoint Screen(float x, float y) const {
    const CQorVectorPoint<float> lp = view->MapFromPic(CQorVectorPoint<float>(x, y));
    const CPoint scroll = view->GetDeviceScrollPosition();
    CPoint p(static_cast<long>(lp.x) - scroll.x, static_cast<long>(lp.y) - scroll.y);
    view->ClientToScreen(&p);
    return p;
  }
  void Mouse(UINT msg, float x, float y, UINT flags = 0) {
    const CQorVectorPoint<float> lp = view->MapFromPic(CQorVectorPoint<float>(x, y));
    const CPoint scroll = view->GetDeviceScrollPosition();
    view->SendMessage(msg, flags, MAKELPARAM(static_cast<int>(lp.x) - scroll.x, static_cast<int>(lp.y) - scroll.y));
  }
  void Drag(float x0, float y0, float x1, float y1, UINT flags = 0) {
    Mouse(WM_LBUTTONDOWN, x0, y0, MK_LBUTTON | flags);
    for (int i = 1; i <= 4; ++i)
      Mouse(WM_MOUSEMOVE, x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4, MK_LBUTTON | flags);
    Mouse(WM_LBUTTONUP, x1, y1, flags);
  }
  void Settle() {
    pane->SetText(doc.GetUndoMenuText().GetString());
    view->UpdateWindow();
    PumpUntil([] { return false; }, 120);
  }

  CColourDoc doc;
  CRenderPage* page = nullptr;
  CFrameWnd* frame = nullptr;
  CQORPStatusBar* bar = nullptr;
  CQORPStatusBarPane* pane = nullptr;
  CTestWorkspaceView* view = nullptr;
  lwtest::TempDir shots;
};

TEST_F(WorkspaceViewFrame, DrawMoveResizeGroupAndUndoEachStepInEachTheme) {
  const struct {
    const wchar_t* ini;
    const char* name;
  } themes[] = {{kQorpThemeBlue, "blue"}, {kQorpThemeSilver, "silver"}, {kQorpThemeBlack, "black"}};
  const COLORREF paper = RGB(255, 255, 255);
  for (const auto& t : themes) {
    SCOPED_TRACE(t.name);
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, t.ini));
    doc.ClearUndoHistory();
    page->GetRenderObjectList().RemoveAllElements();
    view->DeseleteAllRenderObjects();
    Settle();
    auto shot = [&](const char* step) {
      wxImage image;
      EXPECT_TRUE(Screenshot(shots, std::string(t.name) + "-" + step + ".png", image));
      return image;
    };

    // Draw a rectangle from (40, 40) to (160, 120).
    view->OnDrawRectangle();
    Drag(40, 40, 160, 120);
    Settle();
    ASSERT_EQ(page->GetRenderObjectList().GetCount(), 1);
    auto* rect = dynamic_cast<CCustomPathObj*>(page->GetRenderObjectList().GetHead());
    ASSERT_NE(rect, nullptr);
    const COLORREF fill = rect->GetFillColor();
    wxImage drawn = shot("1-drawn");
    EXPECT_EQ(fill, RGB(0, 128, 0));
    EXPECT_TRUE(Near(PixelAt(drawn, Screen(100, 80)), fill));
    EXPECT_TRUE(Near(PixelAt(drawn, Screen(200, 200)), paper));

    // Move it by (100, 60) with the selection tool.
    view->OnDefaultMode();
    Drag(100, 80, 200, 140);
    Settle();
    wxImage moved = shot("2-moved");
    EXPECT_TRUE(Near(PixelAt(moved, Screen(200, 140)), fill));
    EXPECT_TRUE(Near(PixelAt(moved, Screen(60, 60)), paper));

    // Resize it by its bottom-right handle, now at (260, 180), to (300, 240).
    Drag(260, 180, 300, 240);
    Settle();
    wxImage resized = shot("3-resized");
    EXPECT_TRUE(Near(PixelAt(resized, Screen(285, 225)), fill));
    EXPECT_NEAR(rect->GetPathBoundRect(&rect->GetTransMatrix()).right, 300, 0.5f);
    EXPECT_NEAR(rect->GetPathBoundRect(&rect->GetTransMatrix()).bottom, 240, 0.5f);

    // An oval, then both selected and grouped.
    view->OnDrawOval();
    Drag(20, 170, 120, 270);
    view->OnDefaultMode();
    Mouse(WM_LBUTTONDOWN, 220, 160, MK_LBUTTON | MK_SHIFT);
    Mouse(WM_LBUTTONUP, 220, 160, MK_SHIFT);
    ASSERT_EQ(view->GetSelectedObjectsCount(), 2);
    view->SendMessage(WM_COMMAND, CWorkspaceView::ID_CREATE_GROUP, 0);
    Settle();
    wxImage grouped = shot("4-grouped");
    ASSERT_EQ(page->GetRenderObjectList().GetCount(), 1);
    EXPECT_TRUE(page->GetRenderObjectList().GetHead()->IsGroupObject());
    EXPECT_EQ(view->GetLastSelectedObject(), page->GetRenderObjectList().GetHead());
    EXPECT_TRUE(Near(PixelAt(grouped, Screen(70, 220)), fill));

    // Undo every step: group, oval, resize, move, draw.
    const struct {
      const char* step;
      int objects;
      float probeX, probeY;  // a point covered by the rectangle after this undo
    } undos[] = {{"5-ungrouped", 2, 285, 225},
                 {"6-no-oval", 1, 285, 225},
                 {"7-size-back", 1, 200, 140},
                 {"8-place-back", 1, 100, 80},
                 {"9-empty", 0, -1, -1}};
    for (const auto& u : undos) {
      view->SendMessage(WM_COMMAND, kIdEditUndo, 0);
      Settle();
      wxImage image = shot(u.step);
      EXPECT_EQ(page->GetRenderObjectList().GetCount(), u.objects) << u.step;
      if (u.probeX >= 0) {
        EXPECT_TRUE(Near(PixelAt(image, Screen(u.probeX, u.probeY)), fill)) << u.step;
      }
    }
    wxImage empty = shot("9-empty");
    EXPECT_TRUE(Near(PixelAt(empty, Screen(100, 80)), paper));
    EXPECT_TRUE(Near(PixelAt(empty, Screen(285, 225)), paper));
    EXPECT_FALSE(doc.CanUndo());
  }
  EXPECT_EQ(g_wxAsserts, 0);
}

}  // namespace

namespace {

TEST_F(WorkspaceViewFrame, ZoomedAndScrolledTheDrawingLandsUnderThePointer) {
  const struct {
    const wchar_t* ini;
    const char* name;
  } themes[] = {{kQorpThemeBlue, "blue"}, {kQorpThemeSilver, "silver"}, {kQorpThemeBlack, "black"}};
  for (const auto& t : themes) {
    SCOPED_TRACE(t.name);
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, t.ini));
    page->GetRenderObjectList().RemoveAllElements();
    view->DeseleteAllRenderObjects();
    view->ZoomView(250);
    view->ScrollToPosition(CPoint(200, 150));
    Settle();
    ASSERT_EQ(view->GetDeviceScrollPosition(), CPoint(200, 150));
    view->OnDrawOval();
    Drag(110, 80, 190, 140);
    view->OnDefaultMode();
    Settle();
    ASSERT_EQ(page->GetRenderObjectList().GetCount(), 1);
    auto* oval = dynamic_cast<CCustomPathObj*>(page->GetRenderObjectList().GetHead());
    ASSERT_NE(oval, nullptr);
    const CQorVectorRect<float> b = oval->GetPathBoundRect(&oval->GetTransMatrix());
    EXPECT_NEAR(b.left, 110, 0.5f);
    EXPECT_NEAR(b.bottom, 140, 0.5f);
    wxImage image;
    ASSERT_TRUE(Screenshot(shots, std::string(t.name) + "-zoomed.png", image));
    EXPECT_TRUE(Near(PixelAt(image, Screen(150, 110)), RGB(0, 128, 0))) << "the oval's middle";
    EXPECT_TRUE(Near(PixelAt(image, Screen(112, 82)), RGB(255, 255, 255))) << "outside the oval, inside its box";
    view->ZoomView(100);
  }
}

}  // namespace

namespace {

// A tool that starts a window timer when taken up and counts its ticks.
class TickingTool : public CDefaultTool {
 public:
  void ToolInitalize(CWorkspaceView* v) override { v->GetViewHost().SetTimer(4711, 15); }
  void ToolUnInitalize(CWorkspaceView* v) override { v->GetViewHost().KillTimer(4711); }
  int OnTimer(CWorkspaceView*, UINT_PTR id) override {
    if (id == 4711) ++ticks;
    return 1;
  }
  int ticks = 0;
};

TEST_F(WorkspaceViewFrame, TheWindowHostGivesToolsTimerTicksAndTheMouseCapture) {
  TickingTool tool;
  view->UpdateEditingTool(&tool);
  EXPECT_TRUE(PumpUntil([&] { return tool.ticks >= 3; }, 2000)) << "window timer ticks reach the tool";
  view->OnDefaultMode();
  const int ticks = tool.ticks;
  PumpUntil([] { return false; }, 100);
  EXPECT_LE(tool.ticks, ticks + 1) << "the timer stopped with the tool";

  // A press of the selection tool takes the window's capture; the release gives it back.
  CCustomPathObj* s = static_cast<CCustomPathObj*>(doc.CreateNewObject(RENDER_OBJ_SHAPE));
  s->AddRectanglePath(CQorVectorRect<float>(0, 0, 50, 50));
  s->SetTransMatrix(CQorTransMatrix::Translation(60, 60), true);
  page->AddShapeObject(s);
  Mouse(WM_LBUTTONDOWN, 80, 80, MK_LBUTTON);
  EXPECT_EQ(CWnd::GetCapture(), view);
  EXPECT_TRUE(view->GetViewHost().HasCapture());
  Mouse(WM_MOUSEMOVE, 90, 85, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 90, 85);
  EXPECT_EQ(CWnd::GetCapture(), nullptr);
  EXPECT_EQ(s->GetTransMatrix(), CQorTransMatrix::Translation(70, 65));
  Settle();
}

}  // namespace

namespace {

TEST_F(WorkspaceViewFrame, APolygonsNodesShowAndMoveWithTheAnchorToolInEachTheme) {
  const struct {
    const wchar_t* ini;
    const char* name;
  } themes[] = {{kQorpThemeBlue, "blue"}, {kQorpThemeSilver, "silver"}, {kQorpThemeBlack, "black"}};
  for (const auto& t : themes) {
    SCOPED_TRACE(t.name);
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, t.ini));
    page->GetRenderObjectList().RemoveAllElements();
    view->DeseleteAllRenderObjects();
    // A triangle, clicked corner by corner and closed on its first corner.
    view->OnDrawPolygon2();
    for (auto [x, y] : {std::pair{60.0f, 200.0f}, {160.0f, 60.0f}, {260.0f, 200.0f}, {60.0f, 200.0f}}) {
      Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON);
      Mouse(WM_LBUTTONUP, x, y);
    }
    ASSERT_EQ(page->GetRenderObjectList().GetCount(), 1);
    view->OnMoveAnchorTool();
    Drag(160, 60, 200, 40);  // the apex moves up and right
    Settle();
    wxImage image;
    ASSERT_TRUE(Screenshot(shots, std::string(t.name) + "-anchors.png", image));
    // The node marks: a white square with a black edge at each corner (the edge three pixels out).
    for (auto [x, y] : {std::pair{60.0f, 200.0f}, {200.0f, 40.0f}, {260.0f, 200.0f}}) {
      const CPoint p = Screen(x, y);
      EXPECT_TRUE(Near(PixelAt(image, p + CPoint(-1, -1)), RGB(255, 255, 255)) ||
                  Near(PixelAt(image, p + CPoint(-1, -1)), RGB(0, 120, 215)))
          << x << ", " << y;
      EXPECT_TRUE(Near(PixelAt(image, p + CPoint(-3, 0)), RGB(0, 0, 0))) << x << ", " << y;
    }
    EXPECT_TRUE(doc.CanUndo());
    EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Move Anchor"));
    view->OnDefaultMode();
  }
}

}  // namespace

// The window shows the tool's cursor: a resize arrow over a selected rectangle's corner handle,
// the move cursor inside it, the arrow on the empty page; and SetCursor while the view holds the
// mouse capture sets the view's own cursor.
TEST_F(WorkspaceViewFrame, ThePointerOverAHandleGetsTheResizeCursor) {
  auto* rect = new CCustomPathObj;
  rect->AddRectanglePath(CQorVectorRect<float>(0, 0, 100, 60));
  rect->SetTransMatrix(CQorTransMatrix::Translation(100, 100), true);
  page->AddShapeObject(rect);
  view->SelectRenderObject(rect, false);
  Settle();
  auto shows = [&](LPCWSTR id) {
    const wxCursor* want = lwmfc::WxCursorOf(LoadCursorW(nullptr, id));
    return want && view->GetWxWindow()->GetCursor().IsSameAs(*want);
  };
  const struct {
    float x, y;
    LPCWSTR cursor;
  } steps[] = {{200, 160, IDC_SIZENWSE}, {150, 100, IDC_SIZENS}, {150, 130, IDC_SIZEALL}, {300, 250, IDC_ARROW}};
  for (const auto& s : steps) {
    Mouse(WM_MOUSEMOVE, s.x, s.y);
    EXPECT_TRUE(shows(s.cursor)) << s.x << ", " << s.y;
  }
  view->SetCapture();
  const HCURSOR before = ::SetCursor(LoadCursorW(nullptr, IDC_CROSS));
  EXPECT_TRUE(shows(IDC_CROSS));
  EXPECT_EQ(::SetCursor(before), LoadCursorW(nullptr, IDC_CROSS));
  ::ReleaseCapture();
}
