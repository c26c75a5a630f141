// The view hands events to the acting tool, ends drags whose capture was lost, and the add
// action puts objects back where they were.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ViewTestKit.h"

namespace {

using namespace vltest;

// A tool that writes down what reaches it; a button press can be refused and switch the view to
// the selection tool, as the text editing tool does when a click lands outside its text.
class RecordingTool : public CDefaultTool {
 public:
  int OnLButtonDown(CWorkspaceView* v, UINT, int x, int y) override { return Note(v, "down", x, y); }
  int OnMouseMove(CWorkspaceView* v, UINT, int x, int y) override { return Note(v, "move", x, y); }
  int OnLButtonUp(CWorkspaceView* v, UINT, int x, int y) override { return Note(v, "up", x, y); }
  int OnLButtonDblClk(CWorkspaceView* v, UINT, int x, int y) override { return Note(v, "dbl", x, y); }
  int OnRButtonDown(CWorkspaceView* v, UINT, int x, int y) override { return Note(v, "rdown", x, y); }
  int OnKeyDown(CWorkspaceView* v, UINT c, UINT, UINT) override { return Note(v, "key", static_cast<int>(c), 0); }
  int OnChar(CWorkspaceView* v, UINT c, UINT, UINT) override { return Note(v, "char", static_cast<int>(c), 0); }
  int OnTimer(CWorkspaceView* v, UINT_PTR id) override { return Note(v, "timer", static_cast<int>(id), 0); }
  void ToolInitalize(CWorkspaceView* v) override {
    log += "init;";
    v->GetViewHost().SetTimer(7, 500);
  }
  void ToolUnInitalize(CWorkspaceView* v) override {
    log += "uninit;";
    v->GetViewHost().KillTimer(7);
  }

  int Note(CWorkspaceView* v, const char* what, int a, int b) {
    log += std::string(what) + "(" + std::to_string(a) + "," + std::to_string(b) + ");";
    if (refuseDown && std::string(what) == "down") {
      v->OnDefaultMode();
      return 0;
    }
    return 1;
  }
  std::string log;
  bool refuseDown = false;
};

TEST(ViewEvents, EveryEventReachesTheCurrentToolWithClientPoints) {
  ViewFixture f;
  RecordingTool tool;
  f.view->UpdateEditingTool(&tool);
  EXPECT_EQ(f.host.timers.count(7), 1u) << "the tool was taken up";
  f.view->OnLButtonDown(MK_LBUTTON, CPoint(5, 6));
  f.view->OnMouseMove(MK_LBUTTON, CPoint(7, 8));
  f.view->OnLButtonUp(0, CPoint(9, 10));
  f.view->OnLButtonDblClk(MK_LBUTTON, CPoint(1, 2));
  f.view->OnRButtonDown(MK_RBUTTON, CPoint(3, 4));
  f.view->OnKeyDown(VK_LEFT, 1, 0);
  f.view->OnChar('a', 1, 0);
  f.view->OnTimer(7);
  EXPECT_EQ(tool.log, "init;down(5,6);move(7,8);up(9,10);dbl(1,2);rdown(3,4);key(37,0);char(97,0);timer(7,0);");
  f.view->OnDefaultMode();
  EXPECT_EQ(f.host.timers.count(7), 0u) << "the tool was left";
  EXPECT_EQ(tool.log.substr(tool.log.size() - 7), "uninit;");
}

TEST(ViewEvents, APressTheToolRefusesGoesToTheToolThatTookOver) {
  ViewFixture f;
  CCustomPathObj* obj = f.AddRect(10, 10, 60, 60);
  RecordingTool tool;
  tool.refuseDown = true;
  f.view->UpdateEditingTool(&tool);
  f.Run({Down(30, 30), Up(30, 30)});
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  EXPECT_EQ(f.view->GetLastSelectedObject(), obj) << "the selection tool handled the same press";
}

TEST(ViewEvents, LosingTheCaptureEndsADragWhereThePointerWas) {
  ViewFixture f;
  CCustomPathObj* obj = f.AddRect(10, 10, 60, 60);
  f.Run({Down(30, 30), Move(50, 45)});
  ASSERT_TRUE(f.view->HasToolCapture());
  f.host.capture = false;  // another window took the mouse
  f.view->OnCaptureChanged(nullptr);
  EXPECT_FALSE(f.view->HasToolCapture());
  EXPECT_FALSE(f.host.capture);
  EXPECT_EQ(obj->GetTransMatrix(), CQorTransMatrix::Translation(30, 25));
  EXPECT_EQ(f.doc.GetUndoCount(), 1);
  // The button coming up later changes nothing more.
  f.Run({Move(80, 80), Up(80, 80)});
  EXPECT_EQ(obj->GetTransMatrix(), CQorTransMatrix::Translation(30, 25));
  EXPECT_EQ(f.doc.GetUndoCount(), 1);
}

TEST(ViewEvents, SwitchingPagesOrLosingThePageDropsTheSelection) {
  ViewFixture f;
  CCustomPathObj* obj = f.AddRect(10, 10, 60, 60);
  f.view->SelectRenderObject(obj, false);
  auto* other = new CRenderPage;
  f.doc.m_arrPages.AddPage(other);
  f.view->SetRenderPage(other);
  EXPECT_EQ(f.view->GetSelectedObjectsCount(), 0);
  f.view->SetRenderPage(f.page);
  f.view->SelectRenderObject(obj, false);
  // The page leaves the document: the view lets it go when told.
  f.page->AddRef();
  f.doc.m_arrPages.RemovePage(f.page);
  f.view->OnUpdate(nullptr, kHintRepaint, nullptr);
  EXPECT_EQ(f.view->GetRenderPage(), nullptr);
  EXPECT_EQ(f.view->GetSelectedObjectsCount(), 0);
  f.page->Release();
  f.page = other;
}

TEST(ViewEvents, ObjectAreasAreInvalidatedInClientPixels) {
  class RectHost : public RecordingHost {
   public:
    void InvalidateRect(const RECT* r) override {
      if (r) rects.emplace_back(*r);
    }
    std::vector<CRect> rects;
  };
  ViewFixture f(200);
  RectHost host;
  f.view->SetViewHost(&host);
  CCustomPathObj* obj = f.AddRect(10, 10, 60, 60);
  f.view->InvalidateObjRect(obj, 0);
  ASSERT_FALSE(host.rects.empty());
  const CRect r = host.rects.back();
  const CPoint o = f.view->GetPageOriginOnClient();
  // The object covers client pixels o + (20..120); the invalidated area holds them.
  EXPECT_LE(r.left, o.x + 20);
  EXPECT_LE(r.top, o.y + 20);
  EXPECT_GE(r.right, o.x + 120);
  EXPECT_GE(r.bottom, o.y + 120);
  EXPECT_LE(r.Width(), 100 + 2 * 12) << "and not much more";
  // The object asks the same of the view.
  host.rects.clear();
  obj->InvalidateObjRect(f.view, 0);
  ASSERT_EQ(host.rects.size(), 1u);
  EXPECT_EQ(host.rects[0], r);
  obj->InvalidateObjRect(nullptr, 1);
  EXPECT_EQ(host.rects.size(), 1u);
  f.view->SetViewHost(&f.host);
}

// ---------------------------------------------------------------------------------------------
// Add actions

TEST(AddObjectAction, UndoTakesTheObjectsOffAndRedoPutsThemBackInPlace) {
  ViewFixture f;
  CCustomPathObj* a = f.AddRect(0, 0, 10, 10);
  CCustomPathObj* b = f.AddRect(20, 0, 30, 10);
  CCustomPathObj* c = f.AddRect(40, 0, 50, 10);
  // b and c were added in one step; without an object named, the page's last one is taken.
  auto* action = new CAddObjectAction(f.page, L"Add Stamp");
  action->AddObject(b);
  action->BackupSelectedObject(f.view->GetSelectedObjectsList());
  EXPECT_EQ(action->GetObjects().GetCount(), 2);
  EXPECT_EQ(action->GetObjects().GetAt(0), c);
  f.doc.AddEditAction(action);
  EXPECT_EQ(f.doc.GetUndoMenuText(), CString(L"Undo Add Stamp"));
  f.doc.OnEditUndo();
  ASSERT_EQ(f.Objects().GetCount(), 1);
  EXPECT_EQ(f.Objects().GetAt(0), a);
  EXPECT_EQ(f.doc.GetRedoMenuText(), CString(L"Redo Add Stamp"));
  // Something else lands on the page meanwhile; redo still puts b and c at their places.
  CCustomPathObj* d = f.AddRect(60, 0, 70, 10);
  f.doc.OnEditRedo();
  ASSERT_EQ(f.Objects().GetCount(), 4);
  EXPECT_EQ(f.Objects().GetAt(0), a);
  EXPECT_EQ(f.Objects().GetAt(1), b);
  EXPECT_EQ(f.Objects().GetAt(2), c);
  EXPECT_EQ(f.Objects().GetAt(3), d);
}

TEST(AddObjectAction, TheActionKeepsItsObjectsAliveOffThePage) {
  ViewFixture f;
  CCustomPathObj* a = f.AddRect(0, 0, 10, 10);
  a->AddRef();
  f.doc.AddEditAction(new CAddObjectAction(f.page, L"Draw Rectangle", a));
  f.doc.OnEditUndo();
  EXPECT_EQ(a->Release(), 1) << "the undone action still holds the object";
  f.doc.ClearUndoHistory();
}

}  // namespace

namespace {

using namespace vltest;

TEST(ViewLifetime, AViewClosedInTheMiddleOfADragLeavesNoDragBehind) {
  CCustomPathObj* stale = nullptr;
  {
    ViewFixture f;
    stale = f.AddRect(10, 10, 60, 60);
    stale->AddRef();
    f.Run({Down(30, 30), Move(50, 45)});  // the window closes before the button comes up
  }
  EXPECT_EQ(stale->Release(), 0) << "the selection tool let go of the closed view's objects";
  ViewFixture g;
  CCustomPathObj* obj = g.AddRect(100, 100, 150, 150);
  g.Run({Down(120, 120), Move(130, 125), Up(130, 125)});
  EXPECT_EQ(obj->GetTransMatrix(), CQorTransMatrix::Translation(110, 105));
  EXPECT_EQ(g.doc.GetUndoCount(), 1);
  EXPECT_EQ(CDefaultTool::m_dwMask & TOOL_MASK_DRAGGING, 0u);
}

}  // namespace

namespace {

using namespace vltest;

TEST(ViewScrolling, ADragPastTheWindowsEdgeScrollsAndTheObjectFollowsThePointer) {
  ViewFixture f;
  f.host.client = CSize(300, 200);  // smaller than the page and its margins (448 x 348)
  f.view->ZoomView(100);
  ASSERT_EQ(f.view->GetPageRect(), CRect(24, 24, 424, 324));
  CCustomPathObj* obj = f.AddRect(40, 40, 80, 80);
  f.view->OnLButtonDown(MK_LBUTTON, CPoint(24 + 50, 24 + 50));
  f.view->OnMouseMove(MK_LBUTTON, CPoint(299, 150));  // at the right edge: 7 pixels past the band
  const CPoint scroll = f.view->GetDeviceScrollPosition();
  EXPECT_EQ(scroll, CPoint(7, 0));
  f.view->OnLButtonUp(0, CPoint(299, 150));
  // The pointer ended at logical (306, 150), page (282, 126): the object moved by (232, 76).
  EXPECT_EQ(obj->GetTransMatrix(), CQorTransMatrix::Translation(40 + 232, 40 + 76));
  // Past the end of the scroll range nothing more scrolls.
  f.view->OnLButtonDown(MK_LBUTTON, CPoint(200, 100));
  for (int i = 0; i < 100; ++i) f.view->OnMouseMove(MK_LBUTTON, CPoint(350, 260));
  EXPECT_EQ(f.view->GetDeviceScrollPosition(), CPoint(448 - 300, 348 - 200));
  f.view->OnLButtonUp(0, CPoint(350, 260));
}

TEST(ViewScrolling, InsideTheWindowNothingScrolls) {
  ViewFixture f;
  for (CPoint p : {CPoint(8, 8), CPoint(792, 592), CPoint(400, 300)}) EXPECT_FALSE(f.view->ScrollView(p.x, p.y));
  EXPECT_EQ(f.view->GetDeviceScrollPosition(), CPoint(0, 0));
}

}  // namespace

namespace {

using namespace vltest;

// An object that says it covers a logical rectangle of the view (as the program's classes do:
// its bounds at the zoom, moved by where the page lies), with a wide margin around it.
class WideObj : public CCustomPathObj {
 public:
  RECT CalcuObjectOccurArea(CWorkspaceView* view, int) override {
    const CQorVectorRect<float> b = CalcuBoundRect();
    const float z = view->GetZoomFactor();
    const CRect& page = view->GetPageRect();
    return CRect(page.left + static_cast<int>(b.left * z) - 50, page.top + static_cast<int>(b.top * z) - 50,
                 page.left + static_cast<int>(b.right * z) + 50, page.top + static_cast<int>(b.bottom * z) + 50);
  }
};

TEST(ViewScrolling, AnObjectsOwnAreaIsTakenInLogicalPointsAndInvalidatedInClientPoints) {
  class RectHost : public RecordingHost {
   public:
    void InvalidateRect(const RECT* r) override {
      if (r) rects.emplace_back(*r);
    }
    std::vector<CRect> rects;
  };
  ViewFixture f;
  RectHost host;
  host.client = CSize(300, 200);
  f.view->SetViewHost(&host);
  f.view->ZoomView(100);
  f.view->ScrollToPosition(CPoint(100, 60));
  ASSERT_EQ(f.view->GetDeviceScrollPosition(), CPoint(100, 60));
  auto* obj = new WideObj;
  obj->AddRectanglePath(CQorVectorRect<float>(0, 0, 20, 20));
  obj->SetTransMatrix(CQorTransMatrix::Translation(150, 100), true);
  f.page->AddShapeObject(obj);
  host.rects.clear();
  f.view->InvalidateObjRect(obj, 0);
  ASSERT_EQ(host.rects.size(), 1u);
  // Logical (24 + 150 - 50, 24 + 100 - 50) - (24 + 170 + 50, 24 + 120 + 50), less the scroll.
  EXPECT_EQ(host.rects[0], CRect(124 - 100, 74 - 60, 244 - 100, 194 - 60));
  // ReDrawContent takes the same logical points.
  host.rects.clear();
  f.view->ReDrawContent(CRect(124, 74, 244, 194));
  ASSERT_EQ(host.rects.size(), 1u);
  EXPECT_EQ(host.rects[0], CRect(24, 14, 144, 134));
  f.view->SetViewHost(&f.host);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Painting, headless

#include <gdiplus.h>

namespace {

using namespace vltest;

// The view painted into a bitmap of its client size.
struct Painted {
  explicit Painted(CWorkspaceView* view, CSize size) : bitmap(size.cx, size.cy, Gdiplus::PixelFormat32bppARGB) {
    Gdiplus::Graphics g(&bitmap);
    view->PaintView(&g, CRect(0, 0, size.cx, size.cy));
  }
  COLORREF At(CPoint p) {
    Gdiplus::Color c;
    bitmap.GetPixel(p.x, p.y, &c);
    return c.ToCOLORREF();
  }
  Gdiplus::Bitmap bitmap;
};

// The selection marks drawn the plain way: every mark of every selected object by itself, object
// after object, over a paint of the page without them.
void DrawMarksOneByOne(CWorkspaceView* view, Gdiplus::Bitmap* bitmap, const std::vector<CRenderBaseObj*>& selected) {
  using namespace Gdiplus;
  Graphics g(bitmap);
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  const float z = view->GetZoomFactor();
  const CPoint o = view->GetPageOriginOnClient();
  const CQorTransMatrix dev(z, 0, 0, z, static_cast<float>(o.x), static_cast<float>(o.y));
  Pen frame(Color(255, 0, 120, 215), 1.0f);
  Pen edge(Color(255, 0, 0, 0), 1.0f);
  SolidBrush fill(Color(255, 255, 255, 255));
  SolidBrush grip(Color(255, 0, 170, 0));
  const float r = CWorkspaceView::kHandleRadius;
  for (CRenderBaseObj* obj : selected) {
    CQorVectorPoint<float> pts[8];
    obj->GetHandlePoints(pts);
    PointF dp[8];
    for (int i = 0; i < 8; ++i) {
      const CQorVectorPoint<float> p = dev.Transform(pts[i]);
      dp[i] = PointF(std::round(p.x), std::round(p.y));
    }
    const PointF corners[4] = {dp[HANDLE_TOPLEFT], dp[HANDLE_TOPRIGHT], dp[HANDLE_BOTTOMRIGHT], dp[HANDLE_BOTTOMLEFT]};
    g.DrawPolygon(&frame, corners, 4);
    CQorVectorPoint<float> p0, p1;
    CWorkspaceView::GetRotationHandles(*obj, dev, p0, p1);
    CQorVectorPoint<float> gp = CWorkspaceView::GetRotationGrip(p0, p1);
    gp = CQorVectorPoint<float>(std::round(gp.x), std::round(gp.y));
    g.DrawLine(&frame, dp[HANDLE_TOP], PointF(gp.x, gp.y));
    g.FillEllipse(&grip, gp.x - r, gp.y - r, 2 * r, 2 * r);
    g.DrawEllipse(&edge, gp.x - r, gp.y - r, 2 * r, 2 * r);
    for (const PointF& p : dp) {
      g.FillRectangle(&fill, p.X - 3, p.Y - 3, 6.0f, 6.0f);
      g.DrawRectangle(&edge, p.X - 3, p.Y - 3, 6.0f, 6.0f);
    }
  }
}

// Marks that meet (neighbours whose handles overlap, a rotated object over them, objects too small
// for their handles to stand apart) come out pixel for pixel as when drawn one by one.
TEST(ViewPainting, SelectionMarksMatchDrawingEachMarkByItself) {
  for (const float zoom : {100.0f, 150.0f}) {
    SCOPED_TRACE(zoom);
    ViewFixture f(zoom);
    std::vector<CRenderBaseObj*> selected;
    for (int i = 0; i < 24; ++i)  // a grid of 16-unit squares 20 apart: neighbouring handles overlap
      selected.push_back(f.AddRect(20.0f + (i % 6) * 20, 20.0f + (i / 6) * 20, 36.0f + (i % 6) * 20, 36.0f + (i / 6) * 20));
    CCustomPathObj* turned = f.AddRect(50, 40, 120, 90);
    turned->SetTransMatrix(CQorTransMatrix::RotationAt(30, 85, 65) * turned->GetTransMatrix(), true);
    selected.push_back(turned);
    selected.push_back(f.AddRect(200, 150, 203, 152));  // handles on top of one another
    selected.push_back(f.AddRect(300, 40, 380, 120));   // standing apart
    selected.push_back(f.AddRect(201, 151, 260, 200));  // over the small one's marks
    for (CRenderBaseObj* o : selected) f.view->SelectRenderObject(o, true);

    const CSize size = f.host.client;
    Painted painted(f.view, size);
    f.view->DeseleteAllRenderObjects();
    ASSERT_EQ(f.view->GetSelectedObjectsCount(), 0);
    Painted reference(f.view, size);
    DrawMarksOneByOne(f.view, &reference.bitmap, selected);
    int differing = 0;
    for (int y = 0; y < size.cy; ++y)
      for (int x = 0; x < size.cx; ++x)
        if (painted.At(CPoint(x, y)) != reference.At(CPoint(x, y)) && ++differing <= 5)
          ADD_FAILURE() << "pixel " << x << ", " << y;
    EXPECT_EQ(differing, 0);
  }
}

TEST(ViewPainting, ThePageTheSelectionMarksAndADragOutlineAreDrawnInThePaint) {
  ViewFixture f;
  CCustomPathObj* obj = f.AddRect(100, 100, 200, 150);
  obj->SetFillColor(RGB(0, 128, 0));
  obj->SetStrokeOutlineFlag(0);
  {
    Painted p(f.view, f.host.client);
    EXPECT_EQ(p.At(f.Client(150, 125)), RGB(0, 128, 0)) << "the object";
    EXPECT_EQ(p.At(f.Client(300, 250)), RGB(255, 255, 255)) << "the paper";
    EXPECT_EQ(p.At(f.Client(-10, 150)), RGB(0xAB, 0xAB, 0xAB)) << "the desk";
    EXPECT_EQ(p.At(f.Client(150, 302)), RGB(111, 111, 111)) << "the page's shadow";
    EXPECT_EQ(p.At(f.Client(100, 80)), RGB(255, 255, 255)) << "no grip while nothing is selected";
  }
  f.view->SelectRenderObject(obj, false);
  {
    Painted p(f.view, f.host.client);
    // The handle at the top-left corner (white inside a black edge) and the grip above the top.
    EXPECT_EQ(p.At(f.Client(100, 100) + CPoint(-1, -1)), RGB(255, 255, 255));
    EXPECT_EQ(p.At(f.Client(100, 100) + CPoint(-3, 0)), RGB(0, 0, 0));
    EXPECT_EQ(p.At(f.Client(150, 80)), RGB(0, 170, 0));
  }
  // While a rectangle is dragged out, its outline shows; after the release only the shape does.
  f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRectangleTool);
  f.Run({Down(250, 200), Move(300, 260)});
  {
    Painted p(f.view, f.host.client);
    int dark = 0;
    for (int y = 205; y < 255; ++y) dark += p.At(f.Client(250, static_cast<float>(y))) == RGB(0, 0, 0) ? 1 : 0;
    // Whole coordinates are pixel centres: a line there covers its pixels fully, not half.
    EXPECT_GT(dark, 10) << "the outline's left side, black under white dashes";
    EXPECT_LT(dark, 50);
  }
  f.Run({Up(300, 260)});
  {
    Painted p(f.view, f.host.client);
    EXPECT_EQ(CDefaultTool::m_dwMask & TOOL_MASK_OUTLINE, 0u);
    // The new shape is drawn; its inside is its fill, not an outline's dashes.
    auto* drawn = dynamic_cast<CCustomPathObj*>(f.Objects().GetTail());
    ASSERT_NE(drawn, nullptr);
    EXPECT_EQ(p.At(f.Client(275, 230)), drawn->GetFillColor());
  }
}

}  // namespace

namespace {

using namespace vltest;

TEST(ViewPainting, TheDragOutlineHasTheShapeTheReleaseWillMake) {
  ViewFixture f;
  // A rounded rectangle as round as it gets: no corners.
  CWorkspaceView::g_DrawRoundRectTool.m_nRoundness = 100;
  f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRoundRectTool);
  f.Run({Down(100, 100), Move(200, 160)});
  Painted p(f.view, f.host.client);
  CWorkspaceView::g_DrawRoundRectTool.m_nRoundness = 20;
  auto darkNear = [&](float x, float y) {
    int dark = 0;
    for (int dx = -2; dx <= 2; ++dx)
      for (int dy = -2; dy <= 2; ++dy) {
        const COLORREF c = p.At(f.Client(x, y) + CPoint(dx, dy));
        dark += GetRValue(c) < 0x60 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60 ? 1 : 0;
      }
    return dark > 0;
  };
  // On the middles of its sides, not at the corners of its box.
  int onCurve = 0;
  for (auto [x, y] : {std::pair{100.0f, 130.0f}, {200.0f, 130.0f}, {150.0f, 100.0f}, {150.0f, 160.0f}})
    onCurve += darkNear(x, y) ? 1 : 0;
  EXPECT_GE(onCurve, 2) << "dashes cover at least some of the four extremes";
  // Where a square corner's sides would run.
  for (auto [x, y] : {std::pair{100.0f, 106.0f}, {106.0f, 100.0f}, {200.0f, 154.0f}, {194.0f, 160.0f}})
    EXPECT_FALSE(darkNear(x, y)) << x << ", " << y;
  f.Run({Up(200, 160)});
}

}  // namespace

namespace {

using namespace vltest;

TEST(ViewPainting, AnAnchorToolShowsTheNodesInsteadOfTheBox) {
  ViewFixture f;
  // A triangle: its box's top-middle handle lies where no node is.
  auto* s = new CCustomPathObj;
  CBaseCustomPath tri;
  tri.AddNode(CQorVectorEdgeNode(0, 100));
  tri.AddNode(CQorVectorEdgeNode(150, 0));
  tri.AddNode(CQorVectorEdgeNode(200, 100));
  tri.SetClosed(true);
  s->AddSubPath(tri);
  s->SetStrokeOutlineFlag(0);
  s->SetFillColor(RGB(0, 128, 0));
  s->SetTransMatrix(CQorTransMatrix::Translation(50, 50), true);
  f.page->AddShapeObject(s);
  f.view->SelectRenderObject(s, false);
  const CPoint topMiddle = f.Client(150, 50), apex = f.Client(200, 50);
  {
    Painted p(f.view, f.host.client);
    EXPECT_EQ(p.At(topMiddle + CPoint(-3, 0)), RGB(0, 0, 0)) << "the box's handle";
    EXPECT_EQ(p.At(f.Client(150, 30)), RGB(0, 170, 0)) << "the rotation grip";
  }
  f.view->UpdateEditingTool(&CWorkspaceView::g_MoveAnchorTool);
  {
    Painted p(f.view, f.host.client);
    EXPECT_EQ(p.At(topMiddle + CPoint(-3, 0)), RGB(255, 255, 255)) << "no box handle";
    EXPECT_EQ(p.At(f.Client(150, 30)), RGB(255, 255, 255)) << "no rotation grip";
    EXPECT_EQ(p.At(apex + CPoint(-3, 0)), RGB(0, 0, 0)) << "the apex node's mark";
  }
}

}  // namespace

namespace {

using namespace vltest;

class RecordingCmdUI : public CCmdUI {
 public:
  void Enable(BOOL on) override { enabled = on; }
  void SetText(const wchar_t* text) override { this->text = text; }
  BOOL enabled = -1;
  CString text;
};

TEST(DocumentCommands, UndoAndRedoWorkWhenNoViewTakesThemAndTellTheViews) {
  ViewFixture f;
  f.doc.AddView(f.view);
  f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRectangleTool);
  f.Run({Down(10, 10), Up(60, 60)});
  ASSERT_EQ(f.view->GetSelectedObjectsCount(), 1);
  RecordingCmdUI ui;
  f.doc.OnUpdateUndoCommand(&ui);
  EXPECT_TRUE(ui.enabled);
  EXPECT_EQ(ui.text, CString(L"Undo Draw Rectangle"));
  // Through the document's own routing, as when the active view is not a workspace view.
  EXPECT_TRUE(f.doc.OnCmdMsg(kIdEditUndo, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(f.Objects().GetCount(), 0);
  EXPECT_EQ(f.view->GetSelectedObjectsCount(), 0) << "the view heard of it and let the object go";
  f.doc.OnUpdateUndoCommand(&ui);
  EXPECT_FALSE(ui.enabled);
  EXPECT_EQ(ui.text, CString(L"Undo"));
  f.doc.OnUpdateRedoCommand(&ui);
  EXPECT_TRUE(ui.enabled);
  EXPECT_EQ(ui.text, CString(L"Redo Draw Rectangle"));
  EXPECT_TRUE(f.doc.OnCmdMsg(kIdEditRedo, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(f.Objects().GetCount(), 1);
  f.doc.RemoveView(f.view);
}

}  // namespace
