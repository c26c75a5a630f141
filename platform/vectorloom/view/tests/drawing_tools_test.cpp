// The drawing tools: mouse sequences in, shapes on the page, undo and redo out.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewTestKit.h"

namespace {

using namespace vltest;

CQorVectorRect<float> PathBounds(const CRenderBaseObj* obj) {
  auto* s = dynamic_cast<const CCustomPathObj*>(obj);
  return s ? s->CalcuCoordBoundRect() : CQorVectorRect<float>();
}

void ExpectRectNear(const CQorVectorRect<float>& r, float l, float t, float rt, float b, float tol = 0.01f) {
  EXPECT_NEAR(r.left, l, tol);
  EXPECT_NEAR(r.top, t, tol);
  EXPECT_NEAR(r.right, rt, tol);
  EXPECT_NEAR(r.bottom, b, tol);
}

struct DragCase {
  const char* name;
  CDefaultTool* tool;
  std::vector<Step> steps;
  // Expected: a shape (or none), its node bounds, its sub-path shape and the undo name.
  bool makesShape;
  CQorVectorRect<float> bounds;
  int nodes;
  bool closed;
  const wchar_t* undoText;
};

class DragToolTest : public ::testing::TestWithParam<DragCase> {};

TEST_P(DragToolTest, MakesTheShapeSelectsItAndUndoes) {
  const DragCase& c = GetParam();
  ViewFixture f;
  f.view->UpdateEditingTool(c.tool);
  f.Run(c.steps);
  EXPECT_FALSE(f.host.capture) << "the drag let the mouse go";
  EXPECT_EQ(CDefaultTool::m_dwMask & (TOOL_MASK_OUTLINE | TOOL_MASK_DRAGGING), 0u);
  if (!c.makesShape) {
    EXPECT_EQ(f.Objects().GetCount(), 0);
    EXPECT_FALSE(f.doc.CanUndo());
    EXPECT_TRUE(f.view->events.empty());
    return;
  }
  ASSERT_EQ(f.Objects().GetCount(), 1);
  CRenderBaseObj* obj = f.Objects().GetHead();
  auto* shape = dynamic_cast<CCustomPathObj*>(obj);
  ASSERT_NE(shape, nullptr);
  ExpectRectNear(PathBounds(obj), c.bounds.left, c.bounds.top, c.bounds.right, c.bounds.bottom, 0.05f);
  // The nodes start at (0, 0) and the matrix carries the place, so that moving is a matrix.
  const CQorTransMatrix& m = obj->GetTransMatrix();
  EXPECT_NEAR(m.dx, c.bounds.left, 0.05f);
  EXPECT_NEAR(m.dy, c.bounds.top, 0.05f);
  ASSERT_EQ(shape->GetSubPathsCount(), 1);
  EXPECT_EQ(shape->GetSubPath(0).GetNodesCount(), c.nodes);
  EXPECT_EQ(shape->GetSubPath(0).IsClosed(), c.closed);
  // Selected alone and reported for naming.
  EXPECT_EQ(f.view->GetSelectedObjectsCount(), 1);
  EXPECT_EQ(f.view->GetLastSelectedObject(), obj);
  ASSERT_EQ(f.view->events.size(), 1u);
  EXPECT_EQ(f.view->events[0].first, VIEW_EVENT_SHAPE_CREATED);
  EXPECT_EQ(f.view->events[0].second, reinterpret_cast<LPARAM>(obj));

  EXPECT_EQ(f.doc.GetUndoMenuText(), CString(c.undoText));
  f.Undo();
  EXPECT_EQ(f.Objects().GetCount(), 0);
  EXPECT_EQ(f.view->GetSelectedObjectsCount(), 0) << "the selection lets go of what left the page";
  f.Redo();
  ASSERT_EQ(f.Objects().GetCount(), 1);
  EXPECT_EQ(f.Objects().GetHead(), obj);
  ExpectRectNear(PathBounds(obj), c.bounds.left, c.bounds.top, c.bounds.right, c.bounds.bottom, 0.05f);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, DragToolTest,
    ::testing::Values(
        DragCase{"Rectangle", &CWorkspaceView::g_DrawRectangleTool,
                 {Down(150, 100), Move(170, 130), Move(200, 160), Up(210, 170)}, true, {150, 100, 210, 170}, 4, true,
                 L"Undo Draw Rectangle"},
        DragCase{"RectangleDraggedUpLeft", &CWorkspaceView::g_DrawRectangleTool,
                 {Down(210, 170), Move(180, 120), Up(150, 100)}, true, {150, 100, 210, 170}, 4, true,
                 L"Undo Draw Rectangle"},
        DragCase{"ShiftMakesASquareOfTheLongerSide", &CWorkspaceView::g_DrawRectangleTool,
                 {Down(100, 100), Move(140, 120, MK_LBUTTON | MK_SHIFT), Up(140, 120, MK_SHIFT)}, true,
                 {100, 100, 140, 140}, 4, true, L"Undo Draw Rectangle"},
        DragCase{"Oval", &CWorkspaceView::g_DrawOvalTool, {Down(20, 30), Move(60, 70), Up(120, 90)}, true,
                 {20, 30, 120, 90}, 4, true, L"Undo Draw Oval"},
        DragCase{"RoundRectangle", &CWorkspaceView::g_DrawRoundRectTool, {Down(20, 30), Up(120, 90)}, true,
                 {20, 30, 120, 90}, 8, true, L"Undo Draw Round Rectangle"},
        DragCase{"Line", &CWorkspaceView::g_DrawLineTool, {Down(10, 10), Move(50, 50), Up(110, 60)}, true,
                 {10, 10, 110, 60}, 2, false, L"Undo Draw Line"},
        DragCase{"ShiftSnapsALineTo45Degrees", &CWorkspaceView::g_DrawLineTool,
                 {Down(10, 10), Up(110, 20, MK_SHIFT)}, true, {10, 10, 10 + 100.4988f, 10}, 2, false,
                 L"Undo Draw Line"},
        DragCase{"Arrow", &CWorkspaceView::g_DrawLineArrowTool, {Down(10, 10), Up(110, 60)}, true, {10, 10, 110, 60},
                 2, false, L"Undo Draw Arrow"},
        DragCase{"AClickMakesNothing", &CWorkspaceView::g_DrawRectangleTool, {Down(100, 100), Up(100, 100)}, false,
                 {}, 0, false, L""},
        DragCase{"AFlatDragMakesNoRectangle", &CWorkspaceView::g_DrawOvalTool, {Down(100, 100), Up(180, 101)}, false,
                 {}, 0, false, L""},
        DragCase{"EscapeDropsTheDrag", &CWorkspaceView::g_DrawRectangleTool,
                 {Down(100, 100), Move(150, 150), Key(VK_ESCAPE), Up(150, 150)}, false, {}, 0, false, L""}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST(DrawToolDetails, ArrowLineHasAnArrowAtTheEndWhereTheDragStoppedAndNoFill) {
  ViewFixture f;
  for (CDefaultTool* tool : {static_cast<CDefaultTool*>(&CWorkspaceView::g_DrawLineTool),
                             static_cast<CDefaultTool*>(&CWorkspaceView::g_DrawLineArrowTool)}) {
    f.view->UpdateEditingTool(tool);
    f.Run({Down(10, 10), Up(110, 60)});
  }
  ASSERT_EQ(f.Objects().GetCount(), 2);
  auto* line = dynamic_cast<CCustomPathObj*>(f.Objects().GetAt(0));
  auto* arrow = dynamic_cast<CCustomPathObj*>(f.Objects().GetAt(1));
  EXPECT_EQ(line->GetEndCap(), LINE_CAP_FLAT);
  EXPECT_EQ(arrow->GetEndCap(), LINE_CAP_ARROW_ANCHOR);
  EXPECT_EQ(arrow->GetStartCap(), LINE_CAP_FLAT);
  for (auto* s : {line, arrow}) {
    EXPECT_EQ(s->GetFillInsideFlag(), 0);
    EXPECT_TRUE(s->IsStroked());
  }
  // The end where the drag stopped is the second node.
  const CQorTransMatrix& m = arrow->GetTransMatrix();
  const CQorVectorPoint<float> end = m.Transform(arrow->GetSubPath(0).GetNode(1).pt);
  EXPECT_NEAR(end.x, 110, 0.01f);
  EXPECT_NEAR(end.y, 60, 0.01f);
}

TEST(DrawToolDetails, OvalNodesLieOnTheEllipseAndRoundnessShapesTheCorners) {
  ViewFixture f;
  f.view->UpdateEditingTool(&CWorkspaceView::g_DrawOvalTool);
  f.Run({Down(0, 0), Up(200, 100)});
  auto* oval = dynamic_cast<CCustomPathObj*>(f.Objects().GetTail());
  ASSERT_NE(oval, nullptr);
  for (const CQorVectorEdgeNode& n : oval->GetSubPath(0).GetNodes()) {
    const float ex = (n.pt.x - 100) / 100, ey = (n.pt.y - 50) / 50;
    EXPECT_NEAR(ex * ex + ey * ey, 1.0f, 1e-4f);
    EXPECT_TRUE(n.bHasIn && n.bHasOut);
  }

  struct {
    int roundness;
    int nodes;
    float firstX;  // where the top edge's straight part ends (the radius before the right side)
  } cases[] = {{0, 4, 0}, {100, 8, 100 - 25}, {50, 8, 100 - 12.5f}};
  for (const auto& c : cases) {
    CWorkspaceView::g_DrawRoundRectTool.m_nRoundness = c.roundness;
    f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRoundRectTool);
    f.Run({Down(0, 0), Up(100, 50)});
    auto* rr = dynamic_cast<CCustomPathObj*>(f.Objects().GetTail());
    ASSERT_NE(rr, nullptr);
    EXPECT_EQ(rr->GetSubPath(0).GetNodesCount(), c.nodes) << c.roundness;
    if (c.nodes == 8) {
      EXPECT_NEAR(rr->GetSubPath(0).GetNode(0).pt.x, c.firstX, 1e-3f) << c.roundness;
    }
  }
  CWorkspaceView::g_DrawRoundRectTool.m_nRoundness = 20;
}

TEST(DrawToolDetails, ToolCommandsSwitchAndUncheckTheTool) {
  ViewFixture f;
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  f.view->OnDrawOval();
  EXPECT_EQ(f.view->GetEditingTool(), &CWorkspaceView::g_DrawOvalTool);
  f.view->OnDrawOval();  // the same command again goes back to the selection tool
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  f.view->OnDrawLineArrow();
  EXPECT_EQ(f.view->GetActingTool(), &CWorkspaceView::g_DrawLineArrowTool);
  f.view->OnDefaultMode();
  EXPECT_EQ(f.view->GetActingTool(), &CWorkspaceView::g_SelectTool);
}

TEST(DrawToolDetails, ChangingToolsInTheMiddleOfADragReleasesTheMouse) {
  ViewFixture f;
  f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRectangleTool);
  f.Run({Down(10, 10), Move(60, 60)});
  EXPECT_TRUE(f.host.capture);
  f.view->OnDefaultMode();
  EXPECT_FALSE(f.host.capture);
  EXPECT_EQ(CDefaultTool::m_dwMask & TOOL_MASK_OUTLINE, 0u);
  f.Run({Up(60, 60)});
  EXPECT_EQ(f.Objects().GetCount(), 0);
}

// ---------------------------------------------------------------------------------------------
// Point-by-point shapes

struct PointsCase {
  const char* name;
  CDefaultTool* tool;
  std::vector<Step> steps;
  int shapes;
  int nodes;
  bool closed;
  int curvedNodes;
};

class PointsToolTest : public ::testing::TestWithParam<PointsCase> {};

TEST_P(PointsToolTest, PlacesNodesAndEnds) {
  const PointsCase& c = GetParam();
  ViewFixture f;
  f.view->UpdateEditingTool(c.tool);
  f.Run(c.steps);
  ASSERT_EQ(f.Objects().GetCount(), c.shapes);
  EXPECT_FALSE(f.host.capture);
  if (!c.shapes) return;
  auto* s = dynamic_cast<CCustomPathObj*>(f.Objects().GetHead());
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->GetSubPath(0).GetNodesCount(), c.nodes);
  EXPECT_EQ(s->GetSubPath(0).IsClosed(), c.closed);
  int curved = 0;
  for (const CQorVectorEdgeNode& n : s->GetSubPath(0).GetNodes()) curved += n.bHasOut ? 1 : 0;
  EXPECT_EQ(curved, c.curvedNodes);
  f.Undo();
  EXPECT_EQ(f.Objects().GetCount(), 0);
  f.Redo();
  EXPECT_EQ(f.Objects().GetCount(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, PointsToolTest,
    ::testing::Values(
        // A double click: press, release, double-click message, release.
        PointsCase{"PolygonEndsOnDoubleClick", &CWorkspaceView::g_DrawPolygonTool2,
                   {Down(10, 10), Up(10, 10), Down(100, 10), Up(100, 10), Down(60, 80), Up(60, 80), Dbl(60, 80),
                    Up(60, 80)},
                   1, 3, true, 0},
        PointsCase{"PolygonClosesOnTheFirstNode", &CWorkspaceView::g_DrawPolygonTool2,
                   {Down(10, 10), Up(10, 10), Down(100, 10), Up(100, 10), Down(100, 80), Up(100, 80), Down(10, 80),
                    Up(10, 80), Down(11, 11), Up(11, 11)},
                   1, 4, true, 0},
        PointsCase{"PolygonEndsOnEnter", &CWorkspaceView::g_DrawPolygonTool2,
                   {Down(10, 10), Up(10, 10), Down(100, 10), Up(100, 10), Down(60, 80), Up(60, 80), Key(VK_RETURN)},
                   1, 3, true, 0},
        PointsCase{"TwoCornersMakeNoPolygon", &CWorkspaceView::g_DrawPolygonTool2,
                   {Down(10, 10), Up(10, 10), Down(100, 10), Up(100, 10), Dbl(100, 10), Up(100, 10)}, 0, 0, false, 0},
        PointsCase{"EscapeDropsThePolygon", &CWorkspaceView::g_DrawPolygonTool2,
                   {Down(10, 10), Up(10, 10), Down(100, 10), Up(100, 10), Down(60, 80), Up(60, 80), Key(VK_ESCAPE)}, 0,
                   0, false, 0},
        PointsCase{"CustomShapeDragsPullCurves", &CWorkspaceView::g_CustomShapeTool,
                   {Down(10, 10), Move(30, 10), Up(30, 10), Down(100, 50), Up(100, 50), Down(150, 10), Move(170, 30),
                    Up(170, 30), Key(VK_RETURN)},
                   1, 3, false, 2},
        PointsCase{"CustomShapeClosesOnTheFirstNode", &CWorkspaceView::g_CustomShapeTool,
                   {Down(10, 10), Up(10, 10), Down(100, 50), Up(100, 50), Down(150, 10), Up(150, 10), Down(12, 9),
                    Up(12, 9)},
                   1, 3, true, 0}),
    [](const ::testing::TestParamInfo<PointsCase>& info) { return std::string(info.param.name); });

TEST(PointsToolDetails, CustomShapeControlsMirrorAroundTheNode) {
  ViewFixture f;
  f.view->UpdateEditingTool(&CWorkspaceView::g_CustomShapeTool);
  f.Run({Down(50, 50), Move(70, 40), Up(70, 40), Down(150, 50), Up(150, 50), Key(VK_RETURN)});
  auto* s = dynamic_cast<CCustomPathObj*>(f.Objects().GetHead());
  ASSERT_NE(s, nullptr);
  const CQorTransMatrix& m = s->GetTransMatrix();
  const CQorVectorEdgeNode& n = s->GetSubPath(0).GetNode(0);
  const CQorVectorPoint<float> pt = m.Transform(n.pt), out = m.Transform(n.ptOut), in = m.Transform(n.ptIn);
  EXPECT_NEAR(pt.x, 50, 0.01f);
  EXPECT_NEAR(out.x, 70, 0.01f);
  EXPECT_NEAR(out.y, 40, 0.01f);
  EXPECT_NEAR(in.x, 30, 0.01f);
  EXPECT_NEAR(in.y, 60, 0.01f);
  EXPECT_EQ(s->GetFillInsideFlag(), 0) << "an open shape is not filled";
}

}  // namespace
