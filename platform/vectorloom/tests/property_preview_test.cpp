// Property commands on the selected objects and the live previews of stroke width, dash style
// and rotation: values written, one undo action per command, exact undo and redo, and previews
// that leave nothing behind.
#include <functional>

#include "ObjectCommandsTestSupport.h"
#include <vectorloom/CorePreviews.h>

using namespace vltest;

namespace {

// A: plain shape; B: in a group with D; C: unselected. The selection is A and the group.
class PropertyFixture : public CommandFixture {
 protected:
  void SetUp() override {
    CommandFixture::SetUp();
    group = GroupRenderObjects(&doc, page, Select("BD"));
    ASSERT_NE(group, nullptr);
    doc.ClearUndoHistory();
    doc.SetModifiedFlag(FALSE);
    selection = Select("A");
    selection.AddElement(group);
  }
  CRenderBaseObj* group = nullptr;
  CRenderBaseObjectList selection;
};

struct PropertyCase {
  const char* menu;
  std::function<int(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList&)> apply;
  // The value the command writes, as the shape shows it; and a way to give D that value first.
  std::function<bool(const CBaseShapeObj&)> hasNewValue;
  std::function<void(CBaseShapeObj&)> giveNewValue;
};

class PropertyTest : public PropertyFixture, public ::testing::WithParamInterface<PropertyCase> {};

TEST_P(PropertyTest, WritesTheSelectionAndGroupMembersAsOneUndoableAction) {
  const PropertyCase& c = GetParam();
  c.giveNewValue(*objs[3]);  // D already has the value: not recorded
  const PageSnapshot before = Snapshot(*page);
  EXPECT_EQ(c.apply(&doc, page, selection), 2) << c.menu;  // A and B
  for (int i : {0, 1, 3}) EXPECT_TRUE(c.hasNewValue(*objs[i])) << c.menu << " object " << i;
  EXPECT_FALSE(c.hasNewValue(*objs[2])) << c.menu << ": C is not selected";
  EXPECT_EQ(doc.GetUndoCount(), 1);
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo ") + CString(c.menu));
  const PageSnapshot after = Snapshot(*page);
  ExpectUndoRedo(before, after);
  doc.OnEditUndo();
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo ") + CString(c.menu));
  doc.OnEditRedo();
  // Again: everything has the value now, so nothing is recorded.
  EXPECT_EQ(c.apply(&doc, page, selection), 0);
  EXPECT_EQ(doc.GetUndoCount(), 1);
}

template <class W>
std::function<int(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList&)> Apply(typename W::ValueType v,
                                                                                   const wchar_t* name) {
  return [v, name](CWorkspaceDoc* d, CRenderPage* p, const CRenderBaseObjectList& s) {
    return ModifyRenderObjsProperty<W>(d, p, s, v, CString(name));
  };
}

INSTANTIATE_TEST_SUITE_P(
    Properties, PropertyTest,
    ::testing::Values(
        PropertyCase{"Change Stroke Width", Apply<CModifyShapeObjStrokenWidthWrap>({1, 6.5f}, kStrokeWidthCommandName),
                     [](const CBaseShapeObj& s) { return s.GetStrokeWidth() == 6.5f && s.GetStrokeOutlineFlag(); },
                     [](CBaseShapeObj& s) { s.SetStrokeWidth(6.5f); }},
        PropertyCase{"Change Dash Type", Apply<CModifyShapeObjDashTypeWrap>({1, DASH_DOT}, kDashTypeCommandName),
                     [](const CBaseShapeObj& s) { return s.GetDashType() == DASH_DOT && s.GetStrokeOutlineFlag(); },
                     [](CBaseShapeObj& s) { s.SetDashType(DASH_DOT); }},
        PropertyCase{"Change Filled Color",
                     Apply<CModifyShapeObjFilledColorWrap>(PaintColorValue(1, RENDER_KIND_SOLID, 0x123456),
                                                           kFilledColorCommandName),
                     [](const CBaseShapeObj& s) {
                       return s.GetFillColor() == 0x123456 && s.GetFillKind() == RENDER_KIND_SOLID && s.GetFillInsideFlag();
                     },
                     [](CBaseShapeObj& s) { s.SetFillColor(0x123456); }},
        PropertyCase{"Change Stroke Color",
                     Apply<CModifyShapeObjOutlineColorWrap>(PaintColorValue(1, RENDER_KIND_SOLID, 0xABCDEF),
                                                            kStrokeColorCommandName),
                     [](const CBaseShapeObj& s) { return s.GetStrokeColor() == 0xABCDEF && s.GetStrokeOutlineFlag(); },
                     [](CBaseShapeObj& s) { s.SetStrokeColor(0xABCDEF); }},
        PropertyCase{"Enable/Disable Fill Inside", Apply<CModifyShapeObjFillInsideFlagWrap>(0, kFillInsideCommandName),
                     [](const CBaseShapeObj& s) { return s.GetFillInsideFlag() == 0; },
                     [](CBaseShapeObj& s) { s.SetFillInsideFlag(0); }},
        PropertyCase{"Enable/Disable Stroke", Apply<CModifyShapeObjStrokeOutlineFlagWrap>(0, kStrokeOutlineCommandName),
                     [](const CBaseShapeObj& s) { return s.GetStrokeOutlineFlag() == 0; },
                     [](CBaseShapeObj& s) { s.SetStrokeOutlineFlag(0); }},
        PropertyCase{"Change Filled Transparency",
                     Apply<CModifyShapeObjFilledTransparencyWrap>(128, L"Change Filled Transparency"),
                     [](const CBaseShapeObj& s) { return s.GetFilledTransparency() == 128; },
                     [](CBaseShapeObj& s) { s.SetFilledTransparency(128); }}));

TEST_F(PropertyFixture, AColourGivesBackTheEarlierPaintKindOnUndo) {
  objs[0]->SetFillKind(RENDER_KIND_GRADIENT);
  EXPECT_EQ(ModifyRenderObjsProperty<CModifyShapeObjFilledColorWrap>(&doc, page, Select("A"),
                                                                     PaintColorValue(1, RENDER_KIND_SOLID, 0xFF),
                                                                     CString(kFilledColorCommandName)),
            1);
  EXPECT_EQ(objs[0]->GetFillKind(), RENDER_KIND_SOLID);
  doc.OnEditUndo();
  EXPECT_EQ(objs[0]->GetFillKind(), RENDER_KIND_GRADIENT);
}

TEST_F(PropertyFixture, AnActionKeepsItsObjectsAliveAfterTheyLeaveThePage) {
  const int held = objs[0]->GetRefCount();  // the page's and the selection's
  EXPECT_EQ(ModifyRenderObjsProperty<CModifyShapeObjFilledTransparencyWrap>(&doc, page, Select("A"), 50,
                                                                            CString(L"Change Filled Transparency")),
            1);
  CCustomPathObj* a = objs[0];
  a->AddRef();
  EXPECT_EQ(DeleteRenderObjects(&doc, page, Select("A")), 1);
  doc.OnEditUndo();  // back on the page
  doc.OnEditUndo();  // transparency back
  EXPECT_EQ(a->GetFilledTransparency(), 0);
  doc.ClearUndoHistory();
  EXPECT_EQ(a->Release(), held);  // the history kept none
}

// Saved values held by value in a growing array: every copy and every move of the array keeps
// exactly one reference per item, so nothing is released twice or kept alive for ever.
TEST(PropertySet, ItemsHoldOneReferenceEachThroughGrowthAndCopies) {
  auto* shape = MakeRect(0, 0, 10, 10, L"S");
  shape->AddRef();
  {
    CArrayModifyRenderObjsRenderPropertiesSet<CModifyShapeObjFilledTransparencyWrap> set;
    for (int i = 0; i < 100; ++i) set.Add(CModifyObjRenderPropertiesItem<CModifyShapeObjFilledTransparencyWrap>(shape, i));
    EXPECT_EQ(shape->GetRefCount(), 101);
    set.InsertAt(0, set[50]);  // an element of the array itself, copied in front
    set.RemoveAt(10);
    EXPECT_EQ(shape->GetRefCount(), 101);
    EXPECT_EQ(set[0].GetValue(), 50);
    {
      CArrayModifyRenderObjsRenderPropertiesSet<CModifyShapeObjFilledTransparencyWrap> copy;
      copy.Copy(set);
      EXPECT_EQ(shape->GetRefCount(), 201);
    }
    EXPECT_EQ(shape->GetRefCount(), 101);
    set.SetSize(3);
    EXPECT_EQ(shape->GetRefCount(), 4);
  }
  EXPECT_EQ(shape->Release(), 0);
}

// --- previews ---------------------------------------------------------------------------------

class PreviewTest : public PropertyFixture {
 protected:
  void TearDown() override { DiscardPreview(scene); }
  void EndPreview() {
    RestorePreview(scene, &doc, page, selection);
    DiscardPreview(scene);
  }
  CBasePreviewScene* scene = nullptr;
};

TEST_F(PreviewTest, HoveringSeveralValuesThenLeavingChangesNothing) {
  struct Step {
    const char* what;
    std::function<void(int)> preview;
  };
  const Step steps[] = {
      {"width", [this](int i) { PreviewShapeObjsStrokeWidth(scene, &doc, page, selection, 3.0f * i); }},
      {"dash", [this](int i) { PreviewShapeObjsDashStyle(scene, &doc, page, selection, i); }},
      {"rotation", [this](int i) { PreviewRenderObjsRotatedAngle(scene, &doc, page, selection, 25 * i); }},
  };
  objs[0]->SetStrokeOutlineFlag(0);  // the preview turns it on; the end turns it off again
  for (const Step& s : steps) {
    const PageSnapshot before = Snapshot(*page);
    for (int i = 1; i <= 3; ++i) s.preview(i);
    EXPECT_FALSE(Snapshot(*page) == before) << s.what;
    EndPreview();
    EXPECT_TRUE(Snapshot(*page) == before) << s.what;
    EXPECT_EQ(scene, nullptr);
    EXPECT_FALSE(doc.CanUndo()) << s.what;
    EXPECT_FALSE(doc.IsModified()) << s.what;
  }
}

TEST_F(PreviewTest, PreviewsWriteTheValueIntoTheSelectionAndGroupMembers) {
  PreviewShapeObjsStrokeWidth(scene, &doc, page, selection, 9);
  for (int i : {0, 1, 3}) EXPECT_EQ(objs[i]->GetStrokeWidth(), 9) << i;
  EXPECT_EQ(objs[2]->GetStrokeWidth(), 1);
  DiscardPreview(scene);
  PreviewRenderObjsRotatedAngle(scene, &doc, page, selection, 45);
  EXPECT_EQ(objs[0]->GetRotatedAngle(), 45);
  EXPECT_EQ(group->GetRotatedAngle(), 45);
  EXPECT_EQ(objs[2]->GetRotatedAngle(), 0);
}

TEST_F(PreviewTest, APreviewOfAnotherKindRestoresTheFirstBeforeReplacingIt) {
  const PageSnapshot before = Snapshot(*page);
  PreviewShapeObjsStrokeWidth(scene, &doc, page, selection, 12);
  PreviewShapeObjsDashStyle(scene, &doc, page, selection, DASH_DASH);
  // The width scene is gone and its objects have their widths back; the dash shows.
  EXPECT_NE(dynamic_cast<CDashStylePreviewScene*>(scene), nullptr);
  EXPECT_EQ(objs[0]->GetStrokeWidth(), 1);
  EXPECT_EQ(objs[1]->GetStrokeWidth(), 1);
  EXPECT_EQ(objs[0]->GetDashType(), DASH_DASH);
  PreviewRenderObjsRotatedAngle(scene, &doc, page, selection, 90);
  EXPECT_EQ(objs[0]->GetDashType(), DASH_SOLID);
  EndPreview();
  EXPECT_TRUE(Snapshot(*page) == before);
}

TEST_F(PreviewTest, APreviewOnOtherObjectsPutsTheFirstOnesBackAndBacksUpTheNewOnes) {
  const PageSnapshot before = Snapshot(*page);
  CRenderBaseObjectList onlyA = Select("A"), onlyC = Select("C");
  PreviewShapeObjsStrokeWidth(scene, &doc, page, onlyA, 12);
  PreviewShapeObjsStrokeWidth(scene, &doc, page, onlyC, 14);  // the selection changed meanwhile
  EXPECT_EQ(objs[0]->GetStrokeWidth(), 1);
  EXPECT_EQ(objs[2]->GetStrokeWidth(), 14);
  PreviewShapeObjsStrokeWidth(scene, &doc, page, onlyC, 16);
  RestorePreview(scene, &doc, page, onlyC);
  DiscardPreview(scene);
  EXPECT_TRUE(Snapshot(*page) == before);
  // Another page, the same selection list.
  CRenderPage* other = new CRenderPage;
  doc.GetRenderPagesArray().AddPage(other);
  CCustomPathObj* x = MakeRect(0, 0, 5, 5, L"X");
  other->AddShapeObject(x);
  CRenderBaseObjectList both = Select("A");
  both.AddElement(x);
  PreviewShapeObjsStrokeWidth(scene, &doc, page, both, 20);
  PreviewShapeObjsStrokeWidth(scene, &doc, other, both, 20);
  EXPECT_EQ(objs[0]->GetStrokeWidth(), 1);
  EXPECT_EQ(x->GetStrokeWidth(), 20);
  RestorePreview(scene, &doc, other, both);
  EXPECT_EQ(x->GetStrokeWidth(), 1);
}

// A scene of the program's own (text previews keep theirs) follows the same rule.
class CountingScene : public CBasePreviewScene {
 public:
  CountingScene() = default;
  ~CountingScene() override { ++deleted; }
  int Restore(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList&) override {
    ++restored;
    return 1;
  }
  static inline int restored = 0, deleted = 0;
};

TEST_F(PreviewTest, AForeignSceneIsRestoredOnceBeforeItIsReplaced) {
  CountingScene::restored = CountingScene::deleted = 0;
  CountingScene* mine = GetPreviewScene<CountingScene>(scene, &doc, page, selection);
  EXPECT_EQ(GetPreviewScene<CountingScene>(scene, &doc, page, Select("C")), mine);  // cannot tell: kept
  PreviewShapeObjsStrokeWidth(scene, &doc, page, selection, 7);
  EXPECT_EQ(CountingScene::restored, 1);
  EXPECT_EQ(CountingScene::deleted, 1);
  EXPECT_EQ(objs[0]->GetStrokeWidth(), 7);
}

TEST_F(PreviewTest, RestoringTwiceDoesNotBringThePreviewBack) {
  const PageSnapshot before = Snapshot(*page);
  PreviewShapeObjsStrokeWidth(scene, &doc, page, selection, 12);
  RestorePreview(scene, &doc, page, selection);
  RestorePreview(scene, &doc, page, selection);
  EXPECT_TRUE(Snapshot(*page) == before);
  DiscardPreview(scene);
  DiscardPreview(scene);  // a second destroy is harmless
  EXPECT_TRUE(Snapshot(*page) == before);
}

TEST_F(PreviewTest, DeletingAnUnrestoredScenePutsTheValuesBackOnce) {
  const PageSnapshot before = Snapshot(*page);
  PreviewShapeObjsDashStyle(scene, &doc, page, selection, DASH_DOT);
  DiscardPreview(scene);  // no restore first
  EXPECT_TRUE(Snapshot(*page) == before);
  PreviewShapeObjsDashStyle(scene, &doc, page, selection, DASH_DOT);
  RestorePreview(scene, &doc, page, selection);
  objs[0]->SetDashType(DASH_DASH);  // a later change is not undone by deleting the restored scene
  DiscardPreview(scene);
  EXPECT_EQ(objs[0]->GetDashType(), DASH_DASH);
}

TEST_F(PreviewTest, ACommandAfterAPreviewRecordsThePreviewFreeValues) {
  const PageSnapshot before = Snapshot(*page);
  PreviewShapeObjsStrokeWidth(scene, &doc, page, selection, 12);
  EndPreview();
  EXPECT_EQ(ModifyRenderObjsProperty<CModifyShapeObjStrokenWidthWrap>(&doc, page, selection, {1, 12.0f},
                                                                      CString(kStrokeWidthCommandName)),
            3);  // A, B and D all change from their own width
  doc.OnEditUndo();
  EXPECT_TRUE(Snapshot(*page) == before);
}

TEST_F(PreviewTest, AScenesRunTimeClassTellsThePropertiesApart) {
  CStrokeWidthPreviewScene width;
  CDashStylePreviewScene dash;
  EXPECT_NE(width.GetRuntimeClass(), dash.GetRuntimeClass());
  EXPECT_STREQ(width.GetRuntimeClass()->m_lpszClassName, "CPreviewChangeRenderPropertiesSence");
  EXPECT_TRUE(width.IsKindOf(RUNTIME_CLASS(CBasePreviewScene)));
  EXPECT_FALSE(width.IsKindOf(dash.GetRuntimeClass()));
}

TEST_F(PreviewTest, AnEmptySelectionPreviewsNothing) {
  const PageSnapshot before = Snapshot(*page);
  CRenderBaseObjectList none;
  PreviewShapeObjsStrokeWidth(scene, &doc, page, none, 12);
  EXPECT_NE(scene, nullptr);
  RestorePreview(scene, &doc, page, none);
  DiscardPreview(scene);
  EXPECT_TRUE(Snapshot(*page) == before);
}

}  // namespace
