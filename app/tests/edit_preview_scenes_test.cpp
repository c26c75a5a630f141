// Live previews of transparency, colour and font size on the view: values shown on the real
// objects and taken back exactly when the preview ends, with nothing added to the undo list.
#include <PreviewScenes.h>
#include <PubViewTestKit.h>
#include <SelectionReaders.h>

#include <cstring>

#include "EditTestKit.h"

using namespace Quirebook;
using namespace edittest;
using Vectorloom::CRenderBaseObj;
using Vectorloom::PaintColorValue;

namespace {

class Previews : public ::testing::Test, public pubtest::PubViewFixture {
 protected:
  void SetUp() override { doc.SetModifiedFlag(FALSE); }
  void TearDown() override { CPublicationView::g_EditingTextTool.SetEditingText(nullptr); }

  void Add(CRenderBaseObj* obj) { page->AddShapeObject(obj); }
  void Select(std::initializer_list<CRenderBaseObj*> objs) {
    view->DeseleteAllRenderObjects();
    for (auto* o : objs) view->SelectRenderObject(o, true);
  }
  // Edits text with characters [s, e) selected.
  void Edit(CDDrawTextObj* text, int s, int e) {
    CEditingTextTool& tool = CPublicationView::g_EditingTextTool;
    tool.SetEditingText(text);
    view->UpdateEditingTool(&tool);
    tool.SetCaretCode(e);
    tool.SetSelection(s, e);
  }
  void EndPreview() {
    view->RestorePrevScene();
    view->DestroyPreviewScene();
  }
  void ExpectNothingRecorded() {
    EXPECT_EQ(doc.GetUndoCount(), 0);
    EXPECT_EQ(doc.GetRedoCount(), 0);
    EXPECT_FALSE(doc.IsModified());
  }
};

std::vector<float> Sizes(CDDrawTextObj& text) {
  std::vector<float> v;
  SaveRangeValues<CAccessTextObjFontSizeProp>(text, 0, -1, v);
  return v;
}

}  // namespace

// Three fill colours hovered in turn over a shape, then the hover ends: the shape's paint is the
// one from before, and nothing was recorded.
TEST_F(Previews, HoveredColoursLeaveNothingBehind) {
  auto* shape = new CountingShape;
  shape->SetFillInsideFlag(false);
  shape->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
  shape->SetFillColor(0x010203);
  Add(shape);
  Select({shape});
  for (COLORREF c : {0xFF0000u, 0x00FF00u, 0x0000FFu}) {
    PreviewRenderObjsFilledColor(view, PaintColorValue(1, 1, c));
    EXPECT_EQ(shape->GetFillColor(), c);
    EXPECT_TRUE(shape->GetFillInsideFlag());
  }
  EndPreview();
  EXPECT_EQ(shape->GetFillColor(), 0x010203u);
  EXPECT_FALSE(shape->GetFillInsideFlag());
  EXPECT_EQ(shape->GetFillKind(), Vectorloom::RENDER_KIND_GRADIENT);
  EXPECT_EQ(view->GetPreviewScene(), nullptr);
  ExpectNothingRecorded();
}

// A font size over characters 2..4 changes exactly those and lays the text out; ending the
// preview puts them back. Without the editing tool or a selection nothing happens.
TEST_F(Previews, FontSizeOnTheSelectedCharacters) {
  CDDrawTextObj* text = MakeText(L"ab\rcdefg", 12.0f);
  Add(text);
  PreviewEditingTextFontSize(view, 30.0f);  // the tool is not active
  EXPECT_EQ(view->GetPreviewScene(), nullptr);
  Edit(text, 3, 3);
  PreviewEditingTextFontSize(view, 30.0f);  // no selection
  EXPECT_EQ(view->GetPreviewScene(), nullptr);

  Edit(text, 2, 5);
  const auto before = Sizes(*text);
  MarkRows(*text);
  for (float size : {20.0f, 30.0f}) PreviewEditingTextFontSize(view, size);
  EXPECT_EQ(Sizes(*text), (std::vector<float>{12, 12, 30, 30, 30, 12, 12, 12}));
  EXPECT_EQ(FirstRelaidRow(*text), 0);
  ASSERT_NE(view->GetPreviewScene(), nullptr);
  EXPECT_STREQ(view->GetPreviewScene()->GetRuntimeClass()->m_lpszClassName, "CPreviewChangeEditingTextPropertiesSence");
  EXPECT_EQ(view->GetPreviewScene()->GetRuntimeClass()->m_wSchema, 0xFFFFu);
  MarkRows(*text);
  EndPreview();
  EXPECT_EQ(Sizes(*text), before);
  EXPECT_EQ(FirstRelaidRow(*text), 0);
  ExpectNothingRecorded();
}

// A preview ended before a command: the command records the values from before the preview, so
// its undo gives them back.
TEST_F(Previews, CommandAfterAPreviewUndoesToThePreviewFreeValue) {
  auto* shape = new CountingShape;
  shape->SetFilledTransparency(7);
  CDDrawTextObj* text = MakeText(L"abc");
  Add(shape);
  Add(text);
  Select({shape, text});
  PreviewRenderObjsFilledTransparency(view, 128);
  EXPECT_EQ(shape->GetFilledTransparency(), 128);
  EXPECT_EQ(Char(*text, 1).GetFilledTransparency(), 128);

  EndPreview();
  auto* action = new CFilledTransparencyObjsAction(kChangeFilledTransparencyName);
  const auto selected = GatherSelectedObjects(view);
  ASSERT_EQ(action->RecordObjects(selected, 200), 2);
  doc.AddEditAction(action);
  CFilledTransparencyObjsAction::SetObjectsValue(200, selected);
  doc.OnEditUndo();
  EXPECT_EQ(shape->GetFilledTransparency(), 7);
  EXPECT_EQ(Char(*text, 1).GetFilledTransparency(), 0);
}

// An object preview reaches shapes and texts of groups at any depth (font size: texts only) and
// ending it puts each one back.
TEST_F(Previews, GroupsAtDepthAndFontSizeOnTextsOnly) {
  auto* outer = new CountingShape;
  auto* inner = new CountingShape;
  CDDrawTextObj* text = MakeText(L"xy", 10.0f);
  CDDrawTextObj* loose = MakeText(L"z", 14.0f);
  auto* group = MakeGroup({outer, MakeGroup({inner, text})});
  Add(group);
  Add(loose);
  Select({group, loose});

  const bool stroked = inner->GetStrokeOutlineFlag();
  PreviewRenderObjsOutlineColor(view, PaintColorValue(!stroked, 1, 0x00AA00));
  EXPECT_EQ(inner->GetStrokeColor(), 0x00AA00u);
  EXPECT_EQ(inner->GetStrokeOutlineFlag(), !stroked);
  EXPECT_EQ(Char(*text, 0).IsStrokeOutline(), !stroked);
  EndPreview();
  EXPECT_EQ(inner->GetStrokeColor(), 0u);
  EXPECT_EQ(inner->GetStrokeOutlineFlag(), stroked);
  EXPECT_FALSE(Char(*text, 0).IsStrokeOutline());

  const float width = outer->GetStrokeWidth();
  PreviewRenderObjsFontSize(view, 36.0f);
  EXPECT_EQ(Sizes(*text), (std::vector<float>{36, 36}));
  EXPECT_EQ(Sizes(*loose), (std::vector<float>{36}));
  EXPECT_EQ(outer->GetStrokeWidth(), width);
  EndPreview();
  EXPECT_EQ(Sizes(*text), (std::vector<float>{10, 10}));
  EXPECT_EQ(Sizes(*loose), (std::vector<float>{14}));
  ExpectNothingRecorded();
}

// A preview of another property puts the running one back before replacing its scene, so no
// preview value stays on an object; restoring twice does not show the preview again; an empty
// selection makes a scene that restores nothing.
TEST_F(Previews, ScenesAreRestoredOnceAndNeverDroppedUnrestored) {
  auto* shape = new CountingShape;
  shape->SetFillColor(0x111111);
  shape->SetFilledTransparency(5);
  Add(shape);
  Select({shape});
  PreviewRenderObjsFilledColor(view, PaintColorValue(1, 1, 0x999999));
  CRuntimeClass* colourScene = view->GetPreviewScene()->GetRuntimeClass();
  PreviewRenderObjsFilledTransparency(view, 250);
  EXPECT_NE(view->GetPreviewScene()->GetRuntimeClass(), colourScene);
  EXPECT_EQ(shape->GetFillColor(), 0x111111u);  // the colour preview was taken back
  EXPECT_EQ(shape->GetFilledTransparency(), 250);
  view->RestorePrevScene();
  view->RestorePrevScene();
  EXPECT_EQ(shape->GetFilledTransparency(), 5);
  view->DestroyPreviewScene();

  // The same with the editing-text scenes: a font size preview after a colour preview.
  CDDrawTextObj* text = MakeText(L"abcd", 12.0f);
  Add(text);
  Edit(text, 1, 3);
  PreviewEditingTextFilledColor(view, PaintColorValue(1, 1, 0xABCDEF));
  EXPECT_EQ(Char(*text, 1).GetRenderColor(), 0xABCDEFu);
  PreviewEditingTextFontSize(view, 40.0f);
  EXPECT_EQ(Char(*text, 1).GetRenderColor(), 0u);
  EXPECT_EQ(Char(*text, 1).GetFontPointSize(), 40.0f);
  // The selection moved meanwhile: the scene of the old characters goes back first.
  Edit(text, 2, 4);
  PreviewEditingTextFontSize(view, 50.0f);
  EXPECT_EQ(Sizes(*text), (std::vector<float>{12, 12, 50, 50}));
  EndPreview();
  EXPECT_EQ(Sizes(*text), (std::vector<float>{12, 12, 12, 12}));

  view->UpdateEditingTool(nullptr);
  Select({});
  PreviewRenderObjsStrokenTransparency(view, 77);
  EXPECT_NE(view->GetPreviewScene(), nullptr);
  EndPreview();
  EXPECT_EQ(shape->GetStrokeTransparency(), 0);
  ExpectNothingRecorded();
}

// Each property has a scene class of its own, so type tests tell the scenes apart.
TEST(PreviewSceneClasses, EveryPropertyHasItsOwnRunTimeClass) {
  CFilledColorTextScene a;
  CFontSizeTextScene b;
  CFilledColorObjsScene c;
  CFontSizeObjsScene d;
  EXPECT_NE(a.GetRuntimeClass(), b.GetRuntimeClass());
  EXPECT_NE(c.GetRuntimeClass(), d.GetRuntimeClass());
  EXPECT_TRUE(a.IsKindOf(RUNTIME_CLASS(CBasePreviewScene)));
  EXPECT_FALSE(a.IsKindOf(b.GetRuntimeClass()));
  EXPECT_STREQ(d.GetRuntimeClass()->m_lpszClassName, "CPreviewChangeRenderPropertiesSence");
}
