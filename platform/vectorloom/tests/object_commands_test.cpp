// Editing commands on a page's objects: what each command does to the objects, their matrices
// and their order, and that undo and redo give back exactly the states before and after.
#include <functional>

#include "ObjectCommandsTestSupport.h"

using namespace vltest;

namespace {

struct ArrangeCase {
  int order;
  const char* selection;
  const char* expected;  // null: nothing moves and nothing is recorded
  const char* menu;
};

class ArrangeTest : public CommandFixture, public ::testing::WithParamInterface<ArrangeCase> {};

TEST_P(ArrangeTest, MovesTheSelectionInTheStack) {
  const ArrangeCase& c = GetParam();
  const PageSnapshot before = Snapshot(*page);
  const int moved = ArrangeRenderObjects(&doc, page, Select(c.selection), c.order);
  if (!c.expected) {
    EXPECT_EQ(moved, 0);
    EXPECT_EQ(Order(), "ABCD");
    EXPECT_FALSE(doc.CanUndo());
    EXPECT_FALSE(doc.IsModified());
    return;
  }
  EXPECT_GT(moved, 0);
  EXPECT_EQ(Order(), c.expected);
  EXPECT_EQ(doc.GetUndoCount(), 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo ") + CString(c.menu));
  ExpectUndoRedo(before, Snapshot(*page));
}

INSTANTIATE_TEST_SUITE_P(
    Orders, ArrangeTest,
    ::testing::Values(ArrangeCase{ARRANGE_TO_FRONT, "B", "ACDB", "Bring to Front"},
                      ArrangeCase{ARRANGE_TO_FRONT, "CA", "BDAC", "Bring to Front"},  // page order kept
                      ArrangeCase{ARRANGE_TO_FRONT, "D", nullptr, ""},
                      ArrangeCase{ARRANGE_TO_FRONT, "CD", nullptr, ""},
                      ArrangeCase{ARRANGE_TO_BACK, "C", "CABD", "Send to Back"},
                      ArrangeCase{ARRANGE_TO_BACK, "DB", "BDAC", "Send to Back"},
                      ArrangeCase{ARRANGE_TO_BACK, "AB", nullptr, ""},
                      ArrangeCase{ARRANGE_FORWARD, "B", "ACBD", "Bring Forward"},
                      ArrangeCase{ARRANGE_FORWARD, "AB", "CABD", "Bring Forward"},  // a block moves as one
                      ArrangeCase{ARRANGE_FORWARD, "BD", "ACBD", "Bring Forward"},
                      ArrangeCase{ARRANGE_FORWARD, "D", nullptr, ""},
                      ArrangeCase{ARRANGE_BACKWARD, "C", "ACBD", "Send Backward"},
                      ArrangeCase{ARRANGE_BACKWARD, "CD", "ACDB", "Send Backward"},
                      ArrangeCase{ARRANGE_BACKWARD, "A", nullptr, ""},
                      ArrangeCase{ARRANGE_BACKWARD, "", nullptr, ""}));

TEST_F(CommandFixture, ObjectsSelectedOffThePageAreLeftAlone) {
  CRenderPage* other = new CRenderPage;
  doc.GetRenderPagesArray().AddPage(other);
  CCustomPathObj* stranger = MakeRect(0, 0, 5, 5, L"X");
  other->AddShapeObject(stranger);
  CRenderBaseObjectList sel = Select("B");
  sel.AddElement(stranger);
  EXPECT_EQ(ArrangeRenderObjects(&doc, page, sel, ARRANGE_TO_FRONT), 1);
  EXPECT_EQ(Order(), "ACDB");
  EXPECT_EQ(other->GetRenderObjectList().GetCount(), 1);
  EXPECT_EQ(DeleteRenderObjects(&doc, page, CRenderBaseObjectList()), 0);
}

struct AlignCase {
  int kind;
  float a[4];  // expected bounds of A
  float b[4];  // expected bounds of B
  const char* menu;
};

class AlignTest : public CommandFixture, public ::testing::WithParamInterface<AlignCase> {};

// A is (10,10)-(30,20), B is (50,40)-(60,70): their common bounds are (10,10)-(60,70).
TEST_P(AlignTest, AlignsToTheCommonBounds) {
  const AlignCase& c = GetParam();
  const PageSnapshot before = Snapshot(*page);
  EXPECT_GT(AlignRenderObjects(&doc, page, Select("AB"), c.kind), 0);
  ExpectRect(objs[0]->CalcuBoundRect(), c.a[0], c.a[1], c.a[2], c.a[3], "A");
  ExpectRect(objs[1]->CalcuBoundRect(), c.b[0], c.b[1], c.b[2], c.b[3], "B");
  ExpectRect(objs[2]->CalcuBoundRect(), 100, 100, 140, 140, "C unselected");
  EXPECT_EQ(doc.GetUndoCount(), 1);
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo ") + CString(c.menu));
  ExpectUndoRedo(before, Snapshot(*page));
}

INSTANTIATE_TEST_SUITE_P(Kinds, AlignTest,
                         ::testing::Values(AlignCase{ALIGN_LEFT, {10, 10, 30, 20}, {10, 40, 20, 70}, "Align Left"},
                                           AlignCase{ALIGN_CENTER, {25, 10, 45, 20}, {30, 40, 40, 70}, "Align Center"},
                                           AlignCase{ALIGN_RIGHT, {40, 10, 60, 20}, {50, 40, 60, 70}, "Align Right"},
                                           AlignCase{ALIGN_TOP, {10, 10, 30, 20}, {50, 10, 60, 40}, "Align Top"},
                                           AlignCase{ALIGN_MIDDLE, {10, 35, 30, 45}, {50, 25, 60, 55}, "Align Middle"},
                                           AlignCase{ALIGN_BOTTOM, {10, 60, 30, 70}, {50, 40, 60, 70}, "Align Bottom"}));

TEST_F(CommandFixture, AlignNeedsTwoObjectsAndSomethingToMove) {
  EXPECT_EQ(AlignRenderObjects(&doc, page, Select("A"), ALIGN_LEFT), 0);
  objs[1]->TransformObject(CQorTransMatrix::Translation(-40, 0), true);  // B's left is now 10 like A's
  EXPECT_EQ(AlignRenderObjects(&doc, page, Select("AB"), ALIGN_LEFT), 0);
  EXPECT_FALSE(doc.CanUndo());
}

TEST_F(CommandFixture, MirrorAndFlipTurnEachShapeAboutItsOwnCentre) {
  struct Case {
    bool vertical;
    CQorTransMatrix a;  // A's matrix afterwards (A sits at (10,10), 20 x 10)
    const char* menu;
  };
  for (const Case& c : {Case{false, CQorTransMatrix(-1, 0, 0, 1, 30, 10), "Undo Mirror"},
                        Case{true, CQorTransMatrix(1, 0, 0, -1, 10, 20), "Undo Flip"}}) {
    const PageSnapshot before = Snapshot(*page);
    EXPECT_EQ(MirrorRenderObjects(&doc, page, Select("AB"), c.vertical), 2);
    EXPECT_EQ(objs[0]->GetTransMatrix(), c.a) << c.menu;
    ExpectRect(objs[0]->CalcuBoundRect(), 10, 10, 30, 20, c.menu);  // in place
    ExpectRect(objs[1]->CalcuBoundRect(), 50, 40, 60, 70, c.menu);
    EXPECT_EQ(doc.GetUndoMenuText(), CString(c.menu));
    ExpectUndoRedo(before, Snapshot(*page));
    doc.OnEditUndo();
  }
}

TEST_F(CommandFixture, MirrorLeavesTextAndVideoAlone) {
  auto* text = new CRenderBaseObj(RENDER_OBJ_TEXT);
  auto* video = new CRenderBaseObj(RENDER_OBJ_VIDEO);
  page->AddShapeObject(text);
  page->AddShapeObject(video);
  CRenderBaseObjectList sel;
  sel.AddElement(text);
  sel.AddElement(video);
  EXPECT_EQ(MirrorRenderObjects(&doc, page, sel, false), 0);
  EXPECT_FALSE(doc.CanUndo());
}

TEST_F(CommandFixture, MakeSameSizeScalesFromTheTopLeftToTheReference) {
  struct Case {
    int kind;
    float a[4];  // A's bounds afterwards; B (10 x 30) is the reference
    const char* menu;
  };
  for (const Case& c : {Case{MAKE_SAME_WIDTH, {10, 10, 20, 20}, "Undo Make Same Width"},
                        Case{MAKE_SAME_HEIGHT, {10, 10, 30, 40}, "Undo Make Same Height"},
                        Case{MAKE_SAME_SIZE, {10, 10, 20, 40}, "Undo Make Same Size"}}) {
    const PageSnapshot before = Snapshot(*page);
    EXPECT_EQ(MakeRenderObjectsSameSize(&doc, page, Select("AB"), objs[1], c.kind), 1) << c.menu;
    ExpectRect(objs[0]->CalcuBoundRect(), c.a[0], c.a[1], c.a[2], c.a[3], c.menu);
    ExpectRect(objs[1]->CalcuBoundRect(), 50, 40, 60, 70, c.menu);
    EXPECT_EQ(doc.GetUndoMenuText(), CString(c.menu));
    ExpectUndoRedo(before, Snapshot(*page));
    doc.OnEditUndo();
  }
}

TEST_F(CommandFixture, MakeSameSizeKeepsAZeroExtent) {
  // A horizontal line has no height to scale: it keeps it and still takes the width.
  auto* line = new CCustomPathObj;
  CBaseCustomPath sub;
  sub.AddNode(CQorVectorEdgeNode(0, 0));
  sub.AddNode(CQorVectorEdgeNode(40, 0));
  line->AddSubPath(sub);
  line->SetTransMatrix(CQorTransMatrix::Translation(0, 200), true);
  page->AddShapeObject(line);
  CRenderBaseObjectList sel = Select("B");
  sel.AddElement(line);
  EXPECT_EQ(MakeRenderObjectsSameSize(&doc, page, sel, objs[1], MAKE_SAME_SIZE), 1);
  ExpectRect(line->CalcuBoundRect(), 0, 200, 10, 200, "line");
  for (float e : {line->GetTransMatrix().m11, line->GetTransMatrix().m22}) EXPECT_TRUE(std::isfinite(e));
}

TEST_F(CommandFixture, RotateTurnsAboutTheCentreToTheAngle) {
  const PageSnapshot before = Snapshot(*page);
  EXPECT_EQ(RotateRenderObjects(&doc, page, Select("AB"), 90), 2);
  EXPECT_EQ(objs[0]->GetRotatedAngle(), 90);
  EXPECT_EQ(objs[1]->GetRotatedAngle(), 90);
  ExpectRect(objs[0]->CalcuBoundRect(), 15, 5, 25, 25, "A turned");
  const PageSnapshot after = Snapshot(*page);
  // The angle is absolute: asking again changes nothing.
  EXPECT_EQ(RotateRenderObjects(&doc, page, Select("AB"), 90), 0);
  EXPECT_EQ(RotateRenderObjects(&doc, page, Select("A"), 450), 0);
  EXPECT_EQ(doc.GetUndoCount(), 1);
  ExpectUndoRedo(before, after);
  EXPECT_EQ(RotateRenderObjects(&doc, page, Select("A"), -90), 1);
  EXPECT_EQ(objs[0]->GetRotatedAngle(), 270);
}

TEST_F(CommandFixture, TurningToOneAngleAfterAnotherKeepsTheShapesCentre) {
  // A right triangle: the centre of its bounds moves as it turns, the centre of its box does not.
  auto* tri = new CCustomPathObj;
  CBaseCustomPath sub;
  for (auto p : {CQorVectorPoint<float>(0, 0), CQorVectorPoint<float>(60, 0), CQorVectorPoint<float>(0, 20)})
    sub.AddNode(CQorVectorEdgeNode(p));
  sub.SetClosed(true);
  tri->AddSubPath(sub);
  tri->SetTransMatrix(CQorTransMatrix::Translation(200, 100), true);
  page->AddShapeObject(tri);
  CRenderBaseObjectList sel;
  sel.AddElement(tri);
  auto centre = [&] { return tri->GetTransMatrix().Transform(CQorVectorPoint<float>(30, 10)); };
  for (int angle : {37, 90, 200, 315, 0}) {
    RotateRenderObjects(&doc, page, sel, angle);
    EXPECT_EQ(tri->GetRotatedAngle(), angle);
    EXPECT_NEAR(centre().x, 230, 1e-3) << angle;
    EXPECT_NEAR(centre().y, 110, 1e-3) << angle;
  }
  ExpectRect(tri->CalcuBoundRect(), 200, 100, 260, 120, "back upright");
}

TEST_F(CommandFixture, GroupAndUngroupKeepThePlaceAndTheMembers) {
  const PageSnapshot start = Snapshot(*page);
  CRenderBaseObj* group = GroupRenderObjects(&doc, page, Select("CA"));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetObjectType(), RENDER_OBJ_GROUP);
  EXPECT_EQ(Order(), "BGD");  // where C, the front-most member, was
  const CRenderBaseObjectList& members = static_cast<CRenderGroupObj*>(group)->GetChildList();
  ASSERT_EQ(members.GetCount(), 2);
  EXPECT_EQ(members[0], objs[0]);
  EXPECT_EQ(members[1], objs[2]);
  ExpectRect(group->CalcuBoundRect(), 10, 10, 140, 140, "group");
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Group"));
  const PageSnapshot grouped = Snapshot(*page);
  ExpectUndoRedo(start, grouped);

  CRenderBaseObjectList chosen;
  CRenderBaseObjectList sel;
  sel.AddElement(group);
  sel.AddElement(objs[3]);
  EXPECT_EQ(UngroupRenderObjects(&doc, page, sel, chosen), 1);
  EXPECT_EQ(Order(), "BACD");
  ASSERT_EQ(chosen.GetCount(), 3);
  EXPECT_EQ(chosen[0], objs[0]);
  EXPECT_EQ(chosen[1], objs[2]);
  EXPECT_EQ(chosen[2], objs[3]);
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Ungroup"));
  ExpectUndoRedo(grouped, Snapshot(*page));

  EXPECT_EQ(GroupRenderObjects(&doc, page, Select("A")), nullptr);
  EXPECT_EQ(UngroupRenderObjects(&doc, page, Select("AB"), chosen), 0);
  EXPECT_EQ(doc.GetUndoCount(), 2);
}

TEST_F(CommandFixture, TransformsOfAGroupReachItsMembersAndUndoExactly) {
  CRenderBaseObj* group = GroupRenderObjects(&doc, page, Select("AB"));
  ASSERT_NE(group, nullptr);
  CRenderBaseObjectList sel;
  sel.AddElement(group);
  sel.AddElement(objs[2]);
  const PageSnapshot before = Snapshot(*page);
  EXPECT_EQ(RotateRenderObjects(&doc, page, sel, 33), 2);
  EXPECT_EQ(group->GetRotatedAngle(), 33);
  EXPECT_EQ(objs[0]->GetRotatedAngle(), 33);
  ExpectUndoRedo(before, Snapshot(*page));
  const PageSnapshot turned = Snapshot(*page);
  EXPECT_GT(MirrorRenderObjects(&doc, page, sel, true), 0);
  ExpectUndoRedo(turned, Snapshot(*page));
}

TEST_F(CommandFixture, DeleteAndAddAreUndone) {
  const PageSnapshot start = Snapshot(*page);
  EXPECT_EQ(DeleteRenderObjects(&doc, page, Select("BD")), 2);
  EXPECT_EQ(Order(), "AC");
  EXPECT_EQ(objs[1]->GetRefCount(), 1);  // the action keeps the deleted objects alive
  ExpectUndoRedo(start, Snapshot(*page));

  const PageSnapshot deleted = Snapshot(*page);
  CRenderBaseObjectList pasted;
  pasted.AddElement(MakeRect(1, 1, 2, 2, L"P"));
  pasted.AddElement(objs[0]);  // on the page already: skipped
  EXPECT_EQ(AddRenderObjects(&doc, page, pasted, CString(L"Paste")), 1);
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), 3);
  EXPECT_EQ(page->GetRenderObjectList().GetTail(), pasted[0]);
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Paste"));
  ExpectUndoRedo(deleted, Snapshot(*page));
}

// Objects that reach the page without an undo step of their own (a video clip, say) stay where
// they are when an earlier change of the page's list is undone or redone.
TEST_F(CommandFixture, UndoOfAListChangeKeepsObjectsAddedSinceWithoutAStep) {
  struct Case {
    const char* what;
    std::function<int()> command;
    const char* afterUndo;  // the page's order after the undo ('V' the clip, before its successor)
  };
  const Case cases[] = {
      {"group", [&] { return GroupRenderObjects(&doc, page, Select("AB")) ? 1 : 0; }, "ABVCD"},
      {"delete", [&] { return DeleteRenderObjects(&doc, page, Select("B")); }, "ABVCD"},
      {"front", [&] { return ArrangeRenderObjects(&doc, page, Select("A"), ARRANGE_TO_FRONT); }, "ABVCD"},
  };
  for (const Case& c : cases) {
    ASSERT_GT(c.command(), 0) << c.what;
    auto* clip = new CRenderBaseObj(RENDER_OBJ_VIDEO);
    page->InsertShapeObject(1, clip);  // after the first object, whatever it is now
    const CRenderBaseObj* next = page->GetRenderObjectList()[2];
    doc.OnEditUndo();
    std::string order;
    for (CRenderBaseObj* obj : page->GetRenderObjectList())
      order += obj == clip ? 'V' : obj->IsGroupObject() ? 'G' : static_cast<char>(obj->GetObjectName().GetString()[0]);
    EXPECT_EQ(order, c.afterUndo) << c.what;
    doc.OnEditRedo();
    EXPECT_GE(page->GetRenderObjectList().Find(clip), 0) << c.what;
    EXPECT_EQ(page->GetRenderObjectList()[page->GetRenderObjectList().Find(clip) + 1], next) << c.what;
    doc.OnEditUndo();
    page->RemoveShapeObject(clip);
    EXPECT_EQ(Order(), "ABCD") << c.what;
    doc.ClearUndoHistory();
  }
}

}  // namespace
