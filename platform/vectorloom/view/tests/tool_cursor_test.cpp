// The cursor each tool shows as the pointer moves over a selected rectangle, its handles and
// grip, other objects and the empty page, as the object lies, turned or mirrored, and while a
// drag is open.
#include <gtest/gtest.h>

#include <functional>

#include "ViewTestKit.h"

namespace {

using namespace vltest;

enum Tool { kSelect, kRectangle, kCustomShape, kMoveAnchor };

struct CursorCase {
  const char* name;
  Tool tool;
  CQorTransMatrix turn;  // applied to the rectangle about its middle
  // The pointer, in page coordinates, from the rectangle's handle points (TL, T, TR, R, BR, B,
  // BL, L) and its grip.
  std::function<CQorVectorPoint<float>(const CQorVectorPoint<float>* handles, CQorVectorPoint<float> grip)> at;
  LPCWSTR cursor;  // null: the arrow
  std::vector<Step> before = {};  // steps run before the pointer moves there (page coordinates)
};

CQorVectorPoint<float> Handle(const CQorVectorPoint<float>* h, int i) { return h[i]; }

std::ostream& operator<<(std::ostream& os, const CursorCase& c) { return os << c.name; }

class ToolCursorTest : public ::testing::TestWithParam<CursorCase> {};

TEST_P(ToolCursorTest, PointerGetsTheToolsCursor) {
  const CursorCase& c = GetParam();
  ViewFixture f;
  CCustomPathObj* rect = f.AddRect(100, 100, 200, 160);
  f.AddRect(300, 200, 350, 250);  // another object, not selected
  CQorTransMatrix m = CQorTransMatrix::Translation(-150, -130);
  m.Append(c.turn);
  m.Append(CQorTransMatrix::Translation(150, 130));
  rect->SetTransMatrix(CQorTransMatrix::Translation(100, 100) * m, true);
  f.view->SelectRenderObject(rect, false);
  ASSERT_TRUE(f.view->IsObjectSelected(rect));

  CQorVectorPoint<float> handles[8];
  rect->GetHandlePoints(handles);
  CQorVectorPoint<float> p0, p1;
  CWorkspaceView::GetRotationHandles(*rect, CQorTransMatrix(), p0, p1);
  const CQorVectorPoint<float> grip = CWorkspaceView::GetRotationGrip(p0, p1);

  switch (c.tool) {
    case kSelect: break;
    case kRectangle: f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRectangleTool); break;
    case kCustomShape: f.view->UpdateEditingTool(&CWorkspaceView::g_CustomShapeTool); break;
    case kMoveAnchor: f.view->UpdateEditingTool(&CWorkspaceView::g_MoveAnchorTool); break;
  }
  f.Run(c.before);
  const CQorVectorPoint<float> p = c.at(handles, grip);
  f.Run({Move(p.x, p.y, c.before.empty() ? 0 : MK_LBUTTON)});
  EXPECT_EQ(f.host.cursor, c.cursor ? LoadCursorW(nullptr, c.cursor) : nullptr);
}

const CQorTransMatrix kStraight;
const CQorTransMatrix kQuarter = CQorTransMatrix::Rotation(90);
const CQorTransMatrix kMirrored = CQorTransMatrix::Scale(-1, 1);

auto AtHandle(int i) {
  return [i](const CQorVectorPoint<float>* h, CQorVectorPoint<float>) { return Handle(h, i); };
}
auto AtGrip() {
  return [](const CQorVectorPoint<float>*, CQorVectorPoint<float> g) { return g; };
}
auto AtPage(float x, float y) {
  return [x, y](const CQorVectorPoint<float>*, CQorVectorPoint<float>) { return CQorVectorPoint<float>(x, y); };
}

INSTANTIATE_TEST_SUITE_P(
    Cursors, ToolCursorTest,
    ::testing::Values(
        CursorCase{"TopLeftCorner", kSelect, kStraight, AtHandle(HANDLE_TOPLEFT), IDC_SIZENWSE},
        CursorCase{"TopEdge", kSelect, kStraight, AtHandle(HANDLE_TOP), IDC_SIZENS},
        CursorCase{"TopRightCorner", kSelect, kStraight, AtHandle(HANDLE_TOPRIGHT), IDC_SIZENESW},
        CursorCase{"RightEdge", kSelect, kStraight, AtHandle(HANDLE_RIGHT), IDC_SIZEWE},
        CursorCase{"BottomRightCorner", kSelect, kStraight, AtHandle(HANDLE_BOTTOMRIGHT), IDC_SIZENWSE},
        CursorCase{"BottomEdge", kSelect, kStraight, AtHandle(HANDLE_BOTTOM), IDC_SIZENS},
        CursorCase{"BottomLeftCorner", kSelect, kStraight, AtHandle(HANDLE_BOTTOMLEFT), IDC_SIZENESW},
        CursorCase{"LeftEdge", kSelect, kStraight, AtHandle(HANDLE_LEFT), IDC_SIZEWE},
        CursorCase{"TurnedTopEdgeIsSideways", kSelect, kQuarter, AtHandle(HANDLE_TOP), IDC_SIZEWE},
        CursorCase{"TurnedLeftEdgeIsUpright", kSelect, kQuarter, AtHandle(HANDLE_LEFT), IDC_SIZENS},
        CursorCase{"TurnedCorner", kSelect, kQuarter, AtHandle(HANDLE_TOPLEFT), IDC_SIZENESW},
        CursorCase{"MirroredCorner", kSelect, kMirrored, AtHandle(HANDLE_TOPLEFT), IDC_SIZENESW},
        CursorCase{"RotationGrip", kSelect, kStraight, AtGrip(), IDC_HAND},
        CursorCase{"InsideTheSelection", kSelect, kStraight, AtPage(150, 130), IDC_SIZEALL},
        CursorCase{"OnAnUnselectedObject", kSelect, kStraight, AtPage(325, 225), nullptr},
        CursorCase{"OnTheEmptyPage", kSelect, kStraight, AtPage(30, 250), nullptr},
        // An open drag keeps its cursor wherever the pointer goes.
        CursorCase{"ResizeDragKeepsItsArrow", kSelect, kStraight, AtPage(30, 250), IDC_SIZENWSE,
                   {Down(200, 160)}},
        CursorCase{"MoveDragKeepsTheMoveCursor", kSelect, kStraight, AtPage(30, 250), IDC_SIZEALL,
                   {Down(150, 130)}},
        CursorCase{"RubberBandShowsTheArrow", kSelect, kStraight, AtPage(30, 250), nullptr, {Down(20, 20)}},
        CursorCase{"RectangleToolOnTheObject", kRectangle, kStraight, AtPage(150, 130), IDC_CROSS},
        CursorCase{"RectangleToolOnTheEmptyPage", kRectangle, kStraight, AtPage(30, 250), IDC_CROSS},
        CursorCase{"CustomShapeTool", kCustomShape, kStraight, AtPage(30, 250), IDC_CROSS},
        CursorCase{"AnchorTool", kMoveAnchor, kStraight, AtHandle(HANDLE_TOPLEFT), IDC_CROSS}),
    [](const ::testing::TestParamInfo<CursorCase>& i) { return std::string(i.param.name); });

// The system cursors: one handle per id for the whole run, distinct, and none for other names.
TEST(StockCursors, EachIdHasItsOwnLastingHandle) {
  const LPCWSTR ids[] = {IDC_ARROW,    IDC_IBEAM,  IDC_WAIT,    IDC_CROSS, IDC_SIZENWSE, IDC_SIZENESW,
                         IDC_SIZEWE,   IDC_SIZENS, IDC_SIZEALL, IDC_NO,    IDC_HAND};
  std::set<HCURSOR> seen;
  for (const LPCWSTR id : ids) {
    const HCURSOR h = LoadCursorW(nullptr, id);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(LoadCursorW(nullptr, id), h);
    seen.insert(h);
  }
  EXPECT_EQ(seen.size(), std::size(ids));
  EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  EXPECT_EQ(LoadCursorW(nullptr, L"arrow"), nullptr);
  EXPECT_EQ(LoadCursorW(reinterpret_cast<HINSTANCE>(1), IDC_ARROW), nullptr);
}

}  // namespace
