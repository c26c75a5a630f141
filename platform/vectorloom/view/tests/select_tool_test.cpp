// The selection tool: selecting, moving (snapped to whole pixels), resizing and rotating, each
// undoable, and locked objects left alone.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewTestKit.h"

namespace {

using namespace vltest;

void ExpectMatrixNear(const CQorTransMatrix& a, const CQorTransMatrix& b, float tol = 1e-3f) {
  EXPECT_NEAR(a.m11, b.m11, tol);
  EXPECT_NEAR(a.m12, b.m12, tol);
  EXPECT_NEAR(a.m21, b.m21, tol);
  EXPECT_NEAR(a.m22, b.m22, tol);
  EXPECT_NEAR(a.dx, b.dx, tol);
  EXPECT_NEAR(a.dy, b.dy, tol);
}

// ---------------------------------------------------------------------------------------------
// Selecting

struct SelectCase {
  const char* name;
  std::vector<Step> steps;
  std::vector<int> selected;  // indexes of the page objects selected afterwards, in order
};

class SelectTest : public ::testing::TestWithParam<SelectCase> {};

TEST_P(SelectTest, SelectsWhatThePointerPicks) {
  ViewFixture f;
  f.AddRect(10, 10, 60, 60);     // 0
  f.AddRect(100, 10, 160, 60);   // 1
  f.AddRect(40, 40, 120, 120);   // 2, over 0 and 1
  f.Run(GetParam().steps);
  const std::vector<int>& want = GetParam().selected;
  ASSERT_EQ(f.view->GetSelectedObjectsCount(), static_cast<int>(want.size()));
  for (size_t i = 0; i < want.size(); ++i)
    EXPECT_EQ(f.view->GetSelectedObjectsList().GetAt(static_cast<int>(i)), f.Objects().GetAt(want[i])) << i;
  EXPECT_FALSE(f.doc.CanUndo()) << "selecting is no edit";
  EXPECT_FALSE(f.host.capture);
}

INSTANTIATE_TEST_SUITE_P(
    Select, SelectTest,
    ::testing::Values(SelectCase{"ClickPicksTheTopmost", {Down(50, 50), Up(50, 50)}, {2}},
                      SelectCase{"ClickElsewhereReplaces", {Down(50, 50), Up(50, 50), Down(150, 20), Up(150, 20)}, {1}},
                      SelectCase{"ShiftClickAdds",
                                 {Down(20, 20), Up(20, 20), Down(150, 20, MK_SHIFT), Up(150, 20, MK_SHIFT)},
                                 {0, 1}},
                      SelectCase{"CtrlClickTakesOut",
                                 {Down(20, 20), Up(20, 20), Down(150, 20, MK_SHIFT), Up(150, 20, MK_SHIFT),
                                  Down(20, 20, MK_CONTROL), Up(20, 20, MK_CONTROL)},
                                 {1}},
                      SelectCase{"ClickOnEmptyPageDeselects", {Down(20, 20), Up(20, 20), Down(300, 250), Up(300, 250)},
                                 {}},
                      SelectCase{"RubberBandTakesWhatLiesWhollyInside",
                                 {Down(5, 5), Move(100, 80), Move(170, 70), Up(170, 70)},
                                 {0, 1}},
                      SelectCase{"RubberBandDraggedBackwards", {Down(170, 130), Move(30, 30), Up(30, 30)}, {2}},
                      SelectCase{"ShiftRubberBandAdds",
                                 {Down(20, 20), Up(20, 20), Down(170, 130, MK_SHIFT), Move(95, 5), Up(95, 5, MK_SHIFT)},
                                 {0, 1}}),
    [](const ::testing::TestParamInfo<SelectCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Moving, resizing, rotating

struct DragCase {
  const char* name;
  float zoom;
  std::vector<Step> steps;
  CQorTransMatrix expected;             // the object's matrix afterwards
  CQorVectorRect<float> expectedBox;    // its own box afterwards
  const wchar_t* undoText;
};

class DragSelectionTest : public ::testing::TestWithParam<DragCase> {};

TEST_P(DragSelectionTest, ChangesTheObjectAndUndoes) {
  const DragCase& c = GetParam();
  ViewFixture f(c.zoom);
  CCustomPathObj* obj = f.AddRect(100, 50, 200, 100);  // 100 x 50
  f.view->SelectRenderObject(obj, false);
  const CQorTransMatrix before = obj->GetTransMatrix();
  const CQorVectorRect<float> boxBefore = obj->GetObjectBox();
  f.Run(c.steps);
  EXPECT_FALSE(f.host.capture);
  ExpectMatrixNear(obj->GetTransMatrix(), c.expected);
  const CQorVectorRect<float> box = obj->GetObjectBox();
  EXPECT_NEAR(box.Width(), c.expectedBox.Width(), 0.01f);
  EXPECT_NEAR(box.Height(), c.expectedBox.Height(), 0.01f);
  ASSERT_EQ(f.doc.GetUndoCount(), 1);
  EXPECT_EQ(f.doc.GetUndoMenuText(), CString(c.undoText));

  f.Undo();
  ExpectMatrixNear(obj->GetTransMatrix(), before, 1e-4f);
  EXPECT_NEAR(obj->GetObjectBox().Width(), boxBefore.Width(), 0.01f);
  EXPECT_NEAR(obj->GetObjectBox().Height(), boxBefore.Height(), 0.01f);
  EXPECT_EQ(f.view->GetLastSelectedObject(), obj) << "undo keeps the selection of objects still on the page";
  f.Redo();
  ExpectMatrixNear(obj->GetTransMatrix(), c.expected);
  EXPECT_NEAR(obj->GetObjectBox().Width(), c.expectedBox.Width(), 0.01f);
}

const CQorTransMatrix kAt100_50 = CQorTransMatrix::Translation(100, 50);

INSTANTIATE_TEST_SUITE_P(
    Drag, DragSelectionTest,
    ::testing::Values(
        DragCase{"Move", 100, {Down(150, 75), Move(160, 80), Move(170, 95), Up(170, 95)},
                 CQorTransMatrix::Translation(120, 70), {0, 0, 100, 50}, L"Undo Move"},
        // At 150 % a pointer step of 16 client pixels is 10.67 page pixels: the object lands on
        // whole pixels (111, 61), not on (110.67, 60.67).
        DragCase{"MoveSnapsToWholePixelsWhenZoomed", 150, {Down(150, 75), Up(150 + 10.6667f, 75 + 10.6667f)},
                 CQorTransMatrix::Translation(111, 61), {0, 0, 100, 50}, L"Undo Move"},
        DragCase{"MoveAt33PercentSnaps", 33, {Down(150, 75), Up(150 + 3 / 0.33f, 75 - 4 / 0.33f)},
                 CQorTransMatrix::Translation(109, 38), {0, 0, 100, 50}, L"Undo Move"},
        DragCase{"ResizeBottomRight", 100, {Down(200, 100), Move(230, 120), Up(250, 130)}, kAt100_50,
                 {0, 0, 150, 80}, L"Undo Resize"},
        DragCase{"ResizeRightEdgeKeepsTheHeight", 100, {Down(200, 75), Up(260, 140)}, kAt100_50, {0, 0, 160, 50},
                 L"Undo Resize"},
        DragCase{"ResizeTopLeftKeepsTheBottomRight", 100, {Down(100, 50), Up(80, 20)}, kAt100_50, {0, 0, 120, 80},
                 L"Undo Resize"},
        DragCase{"ShiftResizeKeepsTheProportions", 100,
                 {Down(200, 100), Move(300, 110, MK_LBUTTON | MK_SHIFT), Up(300, 110, MK_SHIFT)}, kAt100_50,
                 {0, 0, 200, 100}, L"Undo Resize"},
        DragCase{"ResizePastTheOppositeSideStopsAtAPixel", 100, {Down(200, 100), Up(50, 20)}, kAt100_50,
                 {0, 0, 1, 1}, L"Undo Resize"},
        // The grip is 20 pixels above the top edge's middle (150, 30); dragging it to the right
        // of the centre (150, 75) turns the object a quarter clockwise about the centre.
        DragCase{"RotateAboutTheCentre", 100, {Down(150, 30), Move(180, 40), Up(250, 75)},
                 CQorTransMatrix::Translation(100, 50) * CQorTransMatrix::RotationAt(90, 150, 75), {0, 0, 100, 50},
                 L"Undo Rotate"},
        DragCase{"ShiftRotateSnapsTo15Degrees", 100, {Down(150, 30), Up(250, 70, MK_SHIFT)},
                 CQorTransMatrix::Translation(100, 50) * CQorTransMatrix::RotationAt(90, 150, 75), {0, 0, 100, 50},
                 L"Undo Rotate"}),
    [](const ::testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST(SelectToolDetails, ArrowKeysMakeOneStepEach) {
  ViewFixture f;
  CCustomPathObj* obj = f.AddRect(100, 50, 200, 100);
  f.view->SelectRenderObject(obj, false);
  f.Run({Key(VK_RIGHT), Key(VK_RIGHT), Key(VK_UP)});
  ExpectMatrixNear(obj->GetTransMatrix(), CQorTransMatrix::Translation(102, 49));
  EXPECT_EQ(f.doc.GetUndoCount(), 3);
  f.Undo();
  ExpectMatrixNear(obj->GetTransMatrix(), CQorTransMatrix::Translation(102, 50));
}

TEST(SelectToolDetails, MovingSeveralObjectsMovesThemTogetherAsOneStep) {
  ViewFixture f;
  CCustomPathObj* a = f.AddRect(10, 10, 60, 60);
  CCustomPathObj* b = f.AddRect(100, 10, 160, 60);
  f.view->SelectRenderObject(a, false);
  f.view->SelectRenderObject(b, true);
  f.Run({Down(120, 30), Move(125, 40), Up(130, 50)});
  ExpectMatrixNear(a->GetTransMatrix(), CQorTransMatrix::Translation(20, 30));
  ExpectMatrixNear(b->GetTransMatrix(), CQorTransMatrix::Translation(110, 30));
  EXPECT_EQ(f.doc.GetUndoCount(), 1);
  f.Undo();
  ExpectMatrixNear(a->GetTransMatrix(), CQorTransMatrix::Translation(10, 10));
  ExpectMatrixNear(b->GetTransMatrix(), CQorTransMatrix::Translation(100, 10));
}

TEST(SelectToolDetails, MovingAGroupMovesItsChildren) {
  ViewFixture f;
  auto* group = new CRenderGroupObj;
  auto* child = new CCustomPathObj;
  child->AddRectanglePath(CQorVectorRect<float>(0, 0, 40, 40));
  child->SetTransMatrix(CQorTransMatrix::Translation(50, 50), true);
  group->AddChild(child);
  f.page->AddShapeObject(group);
  f.Run({Down(70, 70), Up(90, 75)});
  ASSERT_EQ(f.view->GetLastSelectedObject(), group);
  ExpectMatrixNear(child->GetTransMatrix(), CQorTransMatrix::Translation(70, 55));
  f.Undo();
  ExpectMatrixNear(child->GetTransMatrix(), CQorTransMatrix::Translation(50, 50));
  ExpectMatrixNear(group->GetTransMatrix(), CQorTransMatrix());
}

TEST(SelectToolDetails, AClickOnASelectedObjectChangesNothing) {
  ViewFixture f;
  CCustomPathObj* obj = f.AddRect(100, 50, 200, 100);
  f.Run({Down(150, 75), Move(150.4f, 75), Up(150, 75)});
  EXPECT_EQ(f.view->GetLastSelectedObject(), obj);
  EXPECT_FALSE(f.doc.CanUndo());
  ExpectMatrixNear(obj->GetTransMatrix(), CQorTransMatrix::Translation(100, 50));
}

TEST(SelectToolDetails, EscapeDuringADragPutsTheObjectBack) {
  ViewFixture f;
  CCustomPathObj* obj = f.AddRect(100, 50, 200, 100);
  f.view->SelectRenderObject(obj, false);
  f.Run({Down(200, 100), Move(260, 160), Key(VK_ESCAPE), Up(260, 160)});
  EXPECT_NEAR(obj->GetObjectBox().Width(), 100, 0.01f);
  f.Run({Down(150, 75), Move(190, 95), Key(VK_ESCAPE), Up(190, 95)});
  ExpectMatrixNear(obj->GetTransMatrix(), CQorTransMatrix::Translation(100, 50));
  EXPECT_FALSE(f.doc.CanUndo());
  EXPECT_FALSE(f.host.capture);
}

TEST(SelectToolDetails, LockedObjectsRefuseEachDragOnceWithTheirEvent) {
  struct {
    std::vector<Step> steps;
    int event;
  } cases[] = {
      {{Down(150, 75), Move(160, 80), Move(170, 90), Up(170, 90)}, VIEW_EVENT_MOVE_LOCKED},
      {{Down(200, 100), Move(230, 120), Up(230, 120)}, VIEW_EVENT_RESIZE_LOCKED},
      {{Down(150, 30), Move(250, 75), Up(250, 75)}, VIEW_EVENT_ROTATE_LOCKED},
      {{Key(VK_LEFT)}, VIEW_EVENT_NUDGE_LOCKED},
  };
  for (const auto& c : cases) {
    ViewFixture f;
    CCustomPathObj* obj = f.AddRect(100, 50, 200, 100);
    f.view->locked.insert(obj);
    f.view->SelectRenderObject(obj, false);
    f.Run(c.steps);
    ASSERT_EQ(f.view->events.size(), 1u) << c.event;
    EXPECT_EQ(f.view->events[0].first, c.event);
    ExpectMatrixNear(obj->GetTransMatrix(), CQorTransMatrix::Translation(100, 50));
    EXPECT_NEAR(obj->GetObjectBox().Width(), 100, 0.01f);
    EXPECT_FALSE(f.doc.CanUndo());
    EXPECT_FALSE(f.host.capture);
  }
}

// ---------------------------------------------------------------------------------------------
// Undo and redo commands

class RecordingCmdUI : public CCmdUI {
 public:
  void Enable(BOOL on) override { enabled = on; }
  void SetText(const wchar_t* text) override { this->text = text; }
  BOOL enabled = -1;
  CString text;
};

TEST(UndoRedoCommands, ShowTheNextActionAndStepThroughTheHistory) {
  ViewFixture f;
  RecordingCmdUI undo, redo;
  f.view->OnUpdateEditUndo(&undo);
  f.view->OnUpdateEditRedo(&redo);
  EXPECT_FALSE(undo.enabled);
  EXPECT_FALSE(redo.enabled);
  EXPECT_EQ(undo.text, CString(L"Undo"));

  f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRectangleTool);
  f.Run({Down(10, 10), Up(60, 60)});
  f.view->OnDefaultMode();
  f.Run({Down(30, 30), Up(50, 30)});
  f.view->OnUpdateEditUndo(&undo);
  EXPECT_TRUE(undo.enabled);
  EXPECT_EQ(undo.text, CString(L"Undo Move"));

  // Through the command routing, as the menu and the keys send them.
  EXPECT_TRUE(f.view->OnCmdMsg(kIdEditUndo, CN_COMMAND, nullptr, nullptr));
  f.view->OnUpdateEditRedo(&redo);
  EXPECT_TRUE(redo.enabled);
  EXPECT_EQ(redo.text, CString(L"Redo Move"));
  f.view->OnUpdateEditUndo(&undo);
  EXPECT_EQ(undo.text, CString(L"Undo Draw Rectangle"));
  EXPECT_TRUE(f.view->OnCmdMsg(kIdEditUndo, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(f.Objects().GetCount(), 0);
  EXPECT_TRUE(f.view->OnCmdMsg(kIdEditRedo, CN_COMMAND, nullptr, nullptr));
  EXPECT_TRUE(f.view->OnCmdMsg(kIdEditRedo, CN_COMMAND, nullptr, nullptr));
  ASSERT_EQ(f.Objects().GetCount(), 1);
  ExpectMatrixNear(f.Objects().GetHead()->GetTransMatrix(), CQorTransMatrix::Translation(30, 10));
}

TEST(UndoRedoCommands, UndoEndsAPreviewFirst) {
  class CountingScene : public CBasePreviewScene {
   public:
    explicit CountingScene(int* n) : restores(n) {}
    int Restore(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList&) override { return ++*restores; }
    int* restores;
  };
  ViewFixture f;
  f.view->UpdateEditingTool(&CWorkspaceView::g_DrawRectangleTool);
  f.Run({Down(10, 10), Up(60, 60)});
  int restores = 0;
  f.view->SetPreviewScene(new CountingScene(&restores));
  f.Undo();
  EXPECT_EQ(restores, 1);
  EXPECT_EQ(f.view->GetPreviewScene(), nullptr);
}

}  // namespace

namespace {

using namespace vltest;

TEST(SelectToolGroups, ResizingAndRotatingAGroupChangeItsChildrenAndUndoPutsThemBack) {
  ViewFixture f;
  auto* group = new CRenderGroupObj;
  auto* a = new CCustomPathObj;
  a->AddRectanglePath(CQorVectorRect<float>(0, 0, 50, 50));
  a->SetTransMatrix(CQorTransMatrix::Translation(100, 100), true);
  auto* b = new CCustomPathObj;
  b->AddRectanglePath(CQorVectorRect<float>(0, 0, 50, 50));
  b->SetTransMatrix(CQorTransMatrix::Translation(150, 150), true);
  group->AddChild(a);
  group->AddChild(b);
  f.page->AddShapeObject(group);
  f.view->SelectRenderObject(group, false);
  ASSERT_EQ(group->CalcuBoundRect(), CQorVectorRect<float>(100, 100, 200, 200));

  // The bottom-right handle to (300, 250): the group doubles in width and grows by half in height.
  f.Run({Down(200, 200), Move(250, 220), Up(300, 250)});
  const CQorVectorRect<float> grown = group->CalcuBoundRect();
  EXPECT_NEAR(grown.right, 300, 0.01f);
  EXPECT_NEAR(grown.bottom, 250, 0.01f);
  EXPECT_NEAR(b->CalcuBoundRect().left, 200, 0.01f) << "the second child moved with the stretch";
  f.Undo();
  EXPECT_NEAR(a->CalcuBoundRect().right, 150, 0.01f);
  EXPECT_NEAR(b->CalcuBoundRect().left, 150, 0.01f);
  EXPECT_NEAR(group->CalcuBoundRect().right, 200, 0.01f);

  // The grip, 20 pixels above (150, 100), dragged to the left of the centre (150, 150): a
  // quarter turn back.
  f.Run({Down(150, 80), Move(120, 100), Up(50, 150)});
  EXPECT_EQ(group->GetRotatedAngle(), 270);
  EXPECT_NEAR(a->CalcuBoundRect().left, 100, 0.01f);
  EXPECT_NEAR(a->CalcuBoundRect().top, 150, 0.01f) << "the first child turned to the bottom left";
  f.Undo();
  EXPECT_EQ(group->GetRotatedAngle(), 0);
  EXPECT_NEAR(a->CalcuBoundRect().top, 100, 0.01f);
  f.Redo();
  EXPECT_NEAR(a->CalcuBoundRect().top, 150, 0.01f);
}

TEST(SelectToolGroups, SeveralSelectedObjectsTurnAboutTheirCommonCentre) {
  ViewFixture f;
  CCustomPathObj* a = f.AddRect(100, 100, 150, 150);
  CCustomPathObj* b = f.AddRect(150, 150, 200, 200);
  f.view->SelectRenderObject(a, false);
  f.view->SelectRenderObject(b, true);
  // b's grip sits 20 pixels above (175, 150); a half turn about the common centre (150, 150)
  // takes it to the other side.
  f.Run({Down(175, 130), Move(200, 150), Up(125, 170)});
  EXPECT_NEAR(a->CalcuBoundRect().left, 150, 0.5f);
  EXPECT_NEAR(a->CalcuBoundRect().top, 150, 0.5f);
  EXPECT_NEAR(b->CalcuBoundRect().left, 100, 0.5f);
  EXPECT_EQ(f.doc.GetUndoCount(), 1);
}

}  // namespace
