// The anchor tools on the nodes of a custom shape, and the view's coordinates.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewTestKit.h"

namespace {

using namespace vltest;

// An open three-node line at (100, 100) on the page: nodes (0,0), (100,0), (100,100) in its own
// coordinates.
CCustomPathObj* AddPolyline(ViewFixture& f) {
  auto* s = new CCustomPathObj;
  CBaseCustomPath p;
  p.AddNode(CQorVectorEdgeNode(0, 0));
  p.AddNode(CQorVectorEdgeNode(100, 0));
  p.AddNode(CQorVectorEdgeNode(100, 100));
  s->AddSubPath(p);
  s->SetFillInsideFlag(0);
  s->SetTransMatrix(CQorTransMatrix::Translation(100, 100), true);
  f.page->AddShapeObject(s);
  f.view->SelectRenderObject(s, false);
  return s;
}

struct AnchorCase {
  const char* name;
  CDefaultTool* tool;
  std::vector<Step> steps;
  std::vector<CQorVectorPoint<float>> nodes;  // the nodes afterwards (own coordinates)
  int smooth;                                  // nodes with controls afterwards
  const wchar_t* undoText;                     // empty: nothing recorded
};

class AnchorToolTest : public ::testing::TestWithParam<AnchorCase> {};

TEST_P(AnchorToolTest, ChangesTheNodesAndUndoes) {
  const AnchorCase& c = GetParam();
  ViewFixture f;
  CCustomPathObj* s = AddPolyline(f);
  const std::vector<CBaseCustomPath> before = s->GetSubPaths();
  f.view->UpdateEditingTool(c.tool);
  f.Run(c.steps);
  EXPECT_FALSE(f.host.capture);
  const CBaseCustomPath& sub = s->GetSubPath(0);
  ASSERT_EQ(sub.GetNodesCount(), static_cast<int>(c.nodes.size()));
  int smooth = 0;
  for (int i = 0; i < sub.GetNodesCount(); ++i) {
    EXPECT_NEAR(sub.GetNode(i).pt.x, c.nodes[static_cast<size_t>(i)].x, 0.6f) << i;
    EXPECT_NEAR(sub.GetNode(i).pt.y, c.nodes[static_cast<size_t>(i)].y, 0.6f) << i;
    smooth += (sub.GetNode(i).bHasIn || sub.GetNode(i).bHasOut) ? 1 : 0;
  }
  EXPECT_EQ(smooth, c.smooth);
  if (!*c.undoText) {
    EXPECT_FALSE(f.doc.CanUndo());
    return;
  }
  EXPECT_EQ(f.doc.GetUndoMenuText(), CString(c.undoText));
  f.Undo();
  EXPECT_TRUE(s->GetSubPaths() == before);
  f.Redo();
  EXPECT_EQ(s->GetSubPath(0).GetNodesCount(), static_cast<int>(c.nodes.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Anchors, AnchorToolTest,
    ::testing::Values(
        AnchorCase{"MoveANode", &CWorkspaceView::g_MoveAnchorTool, {Down(200, 100), Move(210, 90), Up(220, 80)},
                   {{0, 0}, {120, -20}, {100, 100}}, 0, L"Undo Move Anchor"},
        AnchorCase{"AClickMovesNothing", &CWorkspaceView::g_MoveAnchorTool, {Down(200, 100), Up(200, 100)},
                   {{0, 0}, {100, 0}, {100, 100}}, 0, L""},
        AnchorCase{"AddOnAStraightSegment", &CWorkspaceView::g_AddAnchorTool, {Down(150, 101), Up(150, 101)},
                   {{0, 0}, {50, 0}, {100, 0}, {100, 100}}, 0, L"Undo Add Anchor"},
        AnchorCase{"AddAwayFromTheShape", &CWorkspaceView::g_AddAnchorTool, {Down(150, 150), Up(150, 150)},
                   {{0, 0}, {100, 0}, {100, 100}}, 0, L""},
        AnchorCase{"DeleteANode", &CWorkspaceView::g_DeleteAnchorTool, {Down(200, 100), Up(200, 100)},
                   {{0, 0}, {100, 100}}, 0, L"Undo Delete Anchor"},
        AnchorCase{"DeleteKeepsTwoNodes", &CWorkspaceView::g_DeleteAnchorTool,
                   {Down(200, 100), Up(200, 100), Down(100, 100), Up(100, 100)}, {{0, 0}, {100, 100}}, 0,
                   L"Undo Delete Anchor"},
        AnchorCase{"ConvertDragMakesASmoothNode", &CWorkspaceView::g_ConvertAnchorTool,
                   {Down(200, 100), Move(220, 100), Up(230, 100)}, {{0, 0}, {100, 0}, {100, 100}}, 1,
                   L"Undo Convert Anchor"}),
    [](const ::testing::TestParamInfo<AnchorCase>& info) { return std::string(info.param.name); });

TEST(AnchorToolDetails, ConvertTurnsASmoothNodeBackIntoACornerAndAddKeepsACurve) {
  ViewFixture f;
  CCustomPathObj* s = AddPolyline(f);
  f.view->UpdateEditingTool(&CWorkspaceView::g_ConvertAnchorTool);
  f.Run({Down(200, 100), Move(230, 100), Up(230, 100)});
  const CQorVectorEdgeNode& n = s->GetSubPath(0).GetNode(1);
  ASSERT_TRUE(n.bHasOut && n.bHasIn);
  EXPECT_NEAR(n.ptOut.x, 130, 0.01f);
  EXPECT_NEAR(n.ptIn.x, 70, 0.01f) << "the incoming control mirrors the outgoing one";

  // A node added on the curve between node 1 and 2 lies on the curve as it was drawn.
  const CQorVectorPoint<float> p0 = s->GetSubPath(0).GetNode(1).pt, c1 = s->GetSubPath(0).GetNode(1).ptOut,
                               p3 = s->GetSubPath(0).GetNode(2).pt;
  auto curve = [&](float t) {
    const float u = 1 - t;
    // Node 2 has no control: the segment's second control is its point.
    return CQorVectorPoint<float>(u * u * u * p0.x + 3 * u * u * t * c1.x + 3 * u * t * t * p3.x + t * t * t * p3.x,
                                  u * u * u * p0.y + 3 * u * u * t * c1.y + 3 * u * t * t * p3.y + t * t * t * p3.y);
  };
  const CQorVectorPoint<float> onCurve = curve(0.5f);
  f.view->UpdateEditingTool(&CWorkspaceView::g_AddAnchorTool);
  f.Run({Down(100 + onCurve.x, 100 + onCurve.y), Up(100 + onCurve.x, 100 + onCurve.y)});
  ASSERT_EQ(s->GetSubPath(0).GetNodesCount(), 4);
  const CQorVectorEdgeNode& added = s->GetSubPath(0).GetNode(2);
  EXPECT_NEAR(added.pt.x, onCurve.x, 1.0f);
  EXPECT_NEAR(added.pt.y, onCurve.y, 1.0f);
  EXPECT_TRUE(added.bHasIn && added.bHasOut);

  f.view->UpdateEditingTool(&CWorkspaceView::g_ConvertAnchorTool);
  f.Run({Down(200, 100), Up(200, 100)});
  EXPECT_FALSE(s->GetSubPath(0).GetNode(1).bHasIn || s->GetSubPath(0).GetNode(1).bHasOut);
  EXPECT_EQ(f.doc.GetUndoMenuText(), CString(L"Undo Convert Anchor"));
}

TEST(AnchorToolDetails, AClickOnAnotherShapeMakesItTheShapeWorkedOn) {
  ViewFixture f;
  AddPolyline(f);
  CCustomPathObj* other = f.AddRect(10, 10, 60, 60);
  f.view->UpdateEditingTool(&CWorkspaceView::g_MoveAnchorTool);
  f.Run({Down(30, 30), Up(30, 30)});
  EXPECT_EQ(f.view->GetLastSelectedObject(), other);
  EXPECT_FALSE(f.doc.CanUndo());
  f.Run({Down(60, 60), Up(70, 75)});
  EXPECT_NEAR(other->GetSubPath(0).GetNode(2).pt.x, 60, 0.01f);
  EXPECT_NEAR(other->GetSubPath(0).GetNode(2).pt.y, 65, 0.01f);
}

TEST(AnchorToolDetails, ALockedShapeKeepsItsNodes) {
  ViewFixture f;
  CCustomPathObj* s = AddPolyline(f);
  f.view->locked.insert(s);
  f.view->UpdateEditingTool(&CWorkspaceView::g_MoveAnchorTool);
  f.Run({Down(200, 100), Move(230, 120), Up(230, 120)});
  ASSERT_EQ(f.view->events.size(), 1u);
  EXPECT_EQ(f.view->events[0].first, VIEW_EVENT_ANCHOR_LOCKED);
  EXPECT_NEAR(s->GetSubPath(0).GetNode(1).pt.x, 100, 0.01f);
  EXPECT_FALSE(f.doc.CanUndo());
}

// ---------------------------------------------------------------------------------------------
// Coordinates

TEST(ViewCoordinates, PageIsCentredOrAtTheMarginAndPointsMapBothWays) {
  struct {
    float zoom;
    CSize client;
    CRect page;  // expected page rectangle (logical)
  } cases[] = {
      {100, {800, 600}, {200, 150, 600, 450}},  // centred
      {200, {800, 600}, {24, 24, 824, 624}},    // larger than the client: at the margins
      {50, {800, 600}, {300, 225, 500, 375}},
      {16.666667f, {100, 100}, {24, 25, 91, 75}},  // margin wins over centring in x
  };
  for (const auto& c : cases) {
    ViewFixture f;
    f.host.client = c.client;
    f.view->ZoomView(c.zoom);
    EXPECT_EQ(f.view->GetPageRect(), c.page) << c.zoom;
    EXPECT_EQ(f.view->GetTotalSize(),
              CSize(c.page.Width() + 2 * f.view->m_nHMargin, c.page.Height() + 2 * f.view->m_nVMargin));
    for (const CQorVectorPoint<float> pic : {CQorVectorPoint<float>(0, 0), CQorVectorPoint<float>(123.5f, 77.25f)}) {
      const CQorVectorPoint<float> lp = f.view->MapFromPic(pic);
      const CQorVectorPoint<float> back = f.view->MapToPic(lp);
      EXPECT_NEAR(back.x, pic.x, 1e-3f);
      EXPECT_NEAR(back.y, pic.y, 1e-3f);
    }
    const CQorVectorPoint<float> corner = f.view->MapToPic(CQorVectorPoint<float>(c.page.left, c.page.top));
    EXPECT_NEAR(corner.x, 0, 1e-4f);
    EXPECT_NEAR(corner.y, 0, 1e-4f);
  }
}

TEST(ViewCoordinates, ZoomKeepsOnlySensibleValues) {
  ViewFixture f;
  for (float bad : {0.0f, -5.0f, NAN, INFINITY}) {
    f.view->ZoomView(bad);
    EXPECT_EQ(f.view->GetZoom(), 100.0f) << bad;
  }
  f.view->ZoomView(1e6f);
  EXPECT_EQ(f.view->GetZoom(), 6400.0f);
}

TEST(ViewCoordinates, RotationGripSitsBeyondTheTopEdgeOfARotatedObject) {
  ViewFixture f;
  CCustomPathObj* s = f.AddRect(100, 50, 200, 100);
  s->SetTransMatrix(CQorTransMatrix::Translation(100, 50) * CQorTransMatrix::RotationAt(90, 150, 75), true);
  CQorVectorPoint<float> p0, p1;
  CWorkspaceView::GetRotationHandles(*s, CQorTransMatrix(), p0, p1);
  EXPECT_NEAR(p0.x, 150, 1e-3f);
  EXPECT_NEAR(p0.y, 75, 1e-3f);
  EXPECT_NEAR(p1.x, 175, 1e-3f) << "the top edge faces right after a quarter turn";
  EXPECT_NEAR(p1.y, 75, 1e-3f);
  const CQorVectorPoint<float> grip = CWorkspaceView::GetRotationGrip(p0, p1);
  EXPECT_NEAR(grip.x, 195, 1e-3f);
  f.view->SelectRenderObject(s, false);
  CRenderBaseObj* hit = nullptr;
  EXPECT_EQ(f.view->HitTestSelectedHandles(CQorVectorPoint<float>(195, 75), &hit), HANDLE_ROTATE);
  EXPECT_EQ(hit, s);
}

}  // namespace
