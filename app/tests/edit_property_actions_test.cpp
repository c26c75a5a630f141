// Character values and the undoable property actions: conversions of each property, range
// clamping, the font size steps, and for every property an action that records only what would
// change, undoes and redoes exactly, lays the text out only where the property needs it and keeps
// its values when the text no longer holds them.
#include <CharProperties.h>
#include <TextPropertyActions.h>

#include <cmath>
#include <limits>

#include "EditTestKit.h"

using namespace Quirebook;
using namespace edittest;
using Vectorloom::CRenderBaseObj;
using Vectorloom::PaintColorValue;

namespace {

// Four rows: "ab", "cd", "ef", "gh" (indexes 0-1, 3-4, 6-7, 9-10; the marks at 2, 5, 8).
const wchar_t kFourRows[] = L"ab\rcd\ref\rgh";

template <class A>
std::vector<typename A::Element> ReadAll(CDDrawTextObj& text) {
  std::vector<typename A::Element> v;
  SaveRangeValues<A>(text, 0, -1, v);
  return v;
}

std::vector<float> Sizes(CDDrawTextObj& text) {
  std::vector<float> v;
  for (const auto& c : text.GetArrayOfTextCharacters()) v.push_back(c.GetFontPointSize());
  return v;
}

struct DocWithPage {
  DocWithPage() {
    page = new CDrawingPage;
    doc.GetRenderPagesArray().AddPage(page);
  }
  ~DocWithPage() { doc.DeleteContents(); }
  RecordingDoc doc;
  CDrawingPage* page;
};

}  // namespace

// Each property reads and writes a character as its table says.
TEST(CharacterValues, ConversionsOfTheProperties) {
  CCharacterItem c;
  const struct {
    float skew;
    int italic;
  } skews[] = {{0.0f, 0}, {0.00005f, 0}, {-0.00005f, 0}, {0.0000501f, 1}, {-0.2f, 1}, {0.36397f, 1}};
  for (const auto& s : skews) {
    c.SetItalicSkew(s.skew);
    EXPECT_EQ(CAccessTextObjItalicProp::Read(c), s.italic) << s.skew;
  }
  CAccessTextObjItalicProp::Write(c, 1);
  EXPECT_EQ(c.GetItalicSkew(), -0.36397f);
  CAccessTextObjItalicProp::Write(c, 0);
  EXPECT_EQ(c.GetItalicSkew(), 0.0f);

  // Colours read the switch too, always as a solid paint; the kind written is not kept.
  c.SetFillInside(false);
  c.SetRenderColor(0x123456);
  EXPECT_EQ(CAccessTextObjFilledColorProp::Read(c), PaintColorValue(0, 1, 0x123456));
  EXPECT_NE(CAccessTextObjFilledColorProp::Read(c), PaintColorValue(1, 1, 0x123456));
  CAccessTextObjStrokeColorProp::Write(c, PaintColorValue(7, 3, 0xABCDEF));
  EXPECT_EQ(CAccessTextObjStrokeColorProp::Read(c), PaintColorValue(1, 1, 0xABCDEF));

  // A transparency keeps the low byte.
  CAccessTextObjFilledTransparencyProp::Write(c, 0x1FF);
  EXPECT_EQ(CAccessTextObjFilledTransparencyProp::Read(c), 255);

  // The font size is the actual size: point size x |Y scale|; a Y scale of 0 leaves the point
  // size as it was instead of dividing by it.
  c.SetFontPointSize(10.0f);
  c.SetCharYScale(-2.0f);
  EXPECT_EQ(CAccessTextObjFontSizeProp::Read(c), 20.0f);
  CAccessTextObjFontSizeProp::Write(c, 30.0f);
  EXPECT_EQ(c.GetFontPointSize(), 15.0f);
  c.SetCharYScale(0.0f);
  CAccessTextObjFontSizeProp::Write(c, 30.0f);
  EXPECT_EQ(c.GetFontPointSize(), 15.0f);

  EXPECT_TRUE(CAccessTextObjFontSizeProp::kRelayout && CAccessTextObjBoldProp::kRelayout &&
              CAccessTextObjStrikeThroughProp::kRelayout && CAccessTextObjScriptFlagProp::kRelayout);
  EXPECT_FALSE(CAccessTextObjUnderlineProp::kRelayout || CAccessTextObjFilledInsideFlagProp::kRelayout ||
               CAccessTextObjFilledColorProp::kRelayout || CAccessTextObjFilledTransparencyProp::kRelayout);
}

// Ranges are clamped to the text: a stale end past the text reads and writes the characters up
// to the last, a start past the text does nothing; the common value reads the whole range.
TEST(CharacterValues, RangesStayInsideTheText) {
  CDDrawTextObj* text = MakeText(L"abcde");
  text->AddRef();
  for (int i = 0; i < 5; ++i) Char(*text, i).SetBold(i == 3 ? 1 : 0);
  const struct {
    int start, end;
    size_t saved;
    int state;
  } cases[] = {
      {0, -1, 5, 1}, {1, 2, 2, 0}, {2, 999, 3, 1}, {-3, 1, 2, 0}, {5, 9, 0, -1}, {4, 4, 1, 0}, {3, 1, 0, -1},
  };
  for (const auto& c : cases) {
    std::vector<int> saved;
    SaveRangeValues<CAccessTextObjBoldProp>(*text, c.start, c.end, saved);
    EXPECT_EQ(saved.size(), c.saved) << c.start << ".." << c.end;
    int value = 42, state = -1;
    ReadRangeCommonValue<CAccessTextObjBoldProp>(*text, c.start, c.end, value, state);
    EXPECT_EQ(state, c.state) << c.start << ".." << c.end;
    if (state < 0) EXPECT_EQ(value, 42);
  }
  // The state is shared over calls: two equal ranges stay 0, a third that differs makes it 1.
  int value = 0, state = -1;
  ReadRangeCommonValue<CAccessTextObjBoldProp>(*text, 0, 1, value, state);
  ReadRangeCommonValue<CAccessTextObjBoldProp>(*text, 4, 4, value, state);
  EXPECT_EQ(state, 0);
  ReadRangeCommonValue<CAccessTextObjBoldProp>(*text, 3, 3, value, state);
  EXPECT_EQ(state, 1);

  SetCharactersValue<CAccessTextObjBoldProp>(false, *text, 7, 3, 999);
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*text), (std::vector<int>{0, 0, 0, 7, 7}));
  SetCharactersValue<CAccessTextObjBoldProp>(false, *text, 9, 5, -1);
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*text), (std::vector<int>{0, 0, 0, 7, 7}));
  // Written back only whole: three values from 3 would run past the end.
  EXPECT_FALSE(WriteRangeValues<CAccessTextObjBoldProp>(*text, 3, {1, 1, 1}));
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*text), (std::vector<int>{0, 0, 0, 7, 7}));
  EXPECT_TRUE(WriteRangeValues<CAccessTextObjBoldProp>(*text, 2, {1, 1, 1}));
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*text), (std::vector<int>{0, 0, 1, 1, 1}));
  text->Release();
}

// Grow and shrink step the truncated point size through the gallery's sizes, never below 1.
TEST(CharacterValues, FontSizeStepsOfGrowAndShrink) {
  const auto& presets = GetFontSizePresets();
  const struct {
    float size;
    float grown, shrunk;
  } cases[] = {
      {10.7f, 11, 9},  {10.6f, 11, 9}, {12, 14, 11}, {75, 80, 72}, {72, 80, 48}, {80, 90, 72},
      {4, 5, 3},       {3.9f, 4, 2},   {1, 2, 1},    {0.5f, 1, 1}, {0, 1, 1},    {-5, 1, 1},
  };
  for (const auto& c : cases) {
    CDDrawTextObj* text = MakeText(L"x", c.size);
    text->AddRef();
    EnlargeFontSizes(*text, 0, -1, presets, true);
    EXPECT_EQ(Char(*text, 0).GetFontPointSize(), c.grown) << c.size;
    Char(*text, 0).SetFontPointSize(c.size);
    ShrinkFontSizes(*text, 0, -1, presets, true);
    EXPECT_EQ(Char(*text, 0).GetFontPointSize(), c.shrunk) << c.size;
    text->Release();
  }
  // Repeated shrinking stops at 1 point; a size that is no number is left alone.
  CDDrawTextObj* text = MakeText(L"ab", 5.0f);
  text->AddRef();
  Char(*text, 1).SetFontPointSize(std::numeric_limits<float>::quiet_NaN());
  for (int i = 0; i < 10; ++i) ShrinkFontSizes(*text, 0, 1, presets, false);
  EXPECT_EQ(Char(*text, 0).GetFontPointSize(), 1.0f);
  EXPECT_TRUE(std::isnan(Char(*text, 1).GetFontPointSize()));
  // The list form reaches texts inside groups.
  CDDrawTextObj* inner = MakeText(L"c", 12.0f);
  auto list = List({MakeGroup({MakeGroup({inner})})});
  EnlargeFontSizes(list, presets, true);
  EXPECT_EQ(Char(*inner, 0).GetFontPointSize(), 14.0f);
  text->Release();
}

// A change lays the text out again from the row before the one holding its first character
// when the property needs it, and not at all otherwise or for a range outside the text.
TEST(CharacterValues, RelayoutStartsAtTheChangedRow) {
  CDDrawTextObj* text = MakeText(kFourRows);
  text->AddRef();
  const struct {
    bool relayout;
    int first;
    int row;
  } cases[] = {{true, 6, 1}, {true, 1, 0}, {true, 9, 2}, {false, 6, -1}, {true, 11, -1}};
  for (const auto& c : cases) {
    MarkRows(*text);
    SetCharactersValue<CAccessTextObjFontSizeProp>(c.relayout, *text, 20.0f, c.first, -1);
    EXPECT_EQ(FirstRelaidRow(*text), c.row) << c.first;
  }
  text->Release();
}

// ---------------------------------------------------------------------------------------------
// The single-text action of every property

namespace {

template <class Action>
void CheckSingleTextAction(const char* label, typename Action::Value newValue, typename Action::Value other) {
  using A = typename Action::Access;
  SCOPED_TRACE(label);
  DocWithPage d;
  CDDrawTextObj* text = MakeText(kFourRows);
  d.page->AddShapeObject(text);
  SetCharactersValue<A>(false, *text, other, 0, -1);
  SetCharactersValue<A>(false, *text, newValue, 7, 7);  // characters 6..7 are mixed
  const auto before = ReadAll<A>(*text);

  // Characters that all carry the value already: nothing to record.
  {
    Action same(L"Same");
    EXPECT_FALSE(same.RecordCharacters(text, newValue, 7, 7));
    EXPECT_FALSE(same.RecordCharacters(text, newValue, 11, 20));  // no character
  }
  auto* action = new Action(L"Change It");
  ASSERT_TRUE(action->RecordCharacters(text, newValue, 6, 7));
  d.doc.AddEditAction(action);
  SetCharactersValue<A>(A::kRelayout, *text, newValue, 6, 7);
  const auto after = ReadAll<A>(*text);
  auto expected = before;
  expected[6] = expected[7] = static_cast<typename A::Element>(newValue);
  ASSERT_EQ(after, expected);
  EXPECT_EQ(d.doc.GetUndoMenuText(), CString(L"Undo Change It"));

  for (int round = 0; round < 2; ++round) {
    MarkRows(*text);
    d.doc.hints.clear();
    d.doc.OnEditUndo();
    EXPECT_EQ(ReadAll<A>(*text), before);
    EXPECT_EQ(FirstRelaidRow(*text), A::kRelayout ? 1 : -1);
    EXPECT_EQ(d.doc.GetRedoMenuText(), CString(L"Redo Change It"));
    ASSERT_EQ(d.doc.hints.size(), 1u);
    EXPECT_EQ(d.doc.hints[0].hint, 2);
    EXPECT_EQ(d.doc.hints[0].page, d.page);
    d.doc.OnEditRedo();
    EXPECT_EQ(ReadAll<A>(*text), after);
    EXPECT_EQ(d.doc.GetUndoMenuText(), CString(L"Undo Change It"));
  }
}

}  // namespace

TEST(TextPropertyActions, EveryPropertyRecordsUndoesAndRedoesExactly) {
  CheckSingleTextAction<CFilledTransparencyTextAction>("filled transparency", 128, 0);
  CheckSingleTextAction<CStrokeTransparencyTextAction>("stroke transparency", 64, 255);
  CheckSingleTextAction<CFilledColorTextAction>("filled colour", {1, 1, 0xFF0000}, {1, 1, 0x00FF00});
  CheckSingleTextAction<COutlineColorTextAction>("outline colour", {1, 1, 0x0000FF}, {0, 1, 0x0000FF});
  CheckSingleTextAction<CFontSizeTextAction>("font size", 18.0f, 12.0f);
  CheckSingleTextAction<CFillInsideTextAction>("fill inside", 0, 1);
  CheckSingleTextAction<CStrokeOutlineTextAction>("stroke outline", 1, 0);
  CheckSingleTextAction<CBoldTextAction>("bold", 1, 0);
  CheckSingleTextAction<CItalicTextAction>("italic", 1, 0);
  CheckSingleTextAction<CUnderlineTextAction>("underline", true, false);
  CheckSingleTextAction<CStrikeThroughTextAction>("strike-out", true, false);
  CheckSingleTextAction<CScriptKindTextAction>("script", 1, 2);
  CheckSingleTextAction<CCharactersSpacingTextAction>("spacing", 2.5f, 0.0f);
  CheckSingleTextAction<CBaselineShiftTextAction>("baseline shift", -3.0f, 0.0f);
  CheckSingleTextAction<CHorizontalShiftTextAction>("horizontal shift", 1.5f, 0.0f);
}

// Italic is kept as a flag: undoing a change of a character skewed by -0.2 gives it the italic
// skew, not -0.2 (the flag is what the action knows).
TEST(TextPropertyActions, ItalicUndoWritesTheItalicSkew) {
  DocWithPage d;
  CDDrawTextObj* text = MakeText(L"ab");
  d.page->AddShapeObject(text);
  Char(*text, 0).SetItalicSkew(-0.2f);
  auto* action = new CItalicTextAction(kItalicTextName);
  ASSERT_TRUE(action->RecordCharacters(text, 0, 0, 1));
  d.doc.AddEditAction(action);
  SetCharactersValue<CAccessTextObjItalicProp>(true, *text, 0, 0, 1);
  EXPECT_EQ(Char(*text, 0).GetItalicSkew(), 0.0f);
  d.doc.OnEditUndo();
  EXPECT_EQ(Char(*text, 0).GetItalicSkew(), -0.36397f);
  EXPECT_EQ(Char(*text, 1).GetItalicSkew(), 0.0f);
  // Subscript while on: the command writes 0 under the name it has always had.
  CScriptKindTextAction sub(kSubscriptTextName);
  EXPECT_EQ(sub.GetMenuText(), CString(L"Undo Subcript Text"));
}

// When the text lost characters meanwhile, the exchange writes nothing and keeps its values (it
// never reads past the text), and lays the text out when the range starts inside it; once the
// characters are back, the values it kept are the ones it puts back.
TEST(TextPropertyActions, ExchangeOverAShortenedTextKeepsItsValues) {
  DocWithPage d;
  CDDrawTextObj* text = MakeText(kFourRows);  // 11 characters
  d.page->AddShapeObject(text);
  SetCharactersValue<CAccessTextObjBoldProp>(false, *text, 0, 0, -1);
  Char(*text, 7).SetBold(5);
  auto* action = new CBoldTextAction(kBoldTextName);
  ASSERT_TRUE(action->RecordCharacters(text, 1, 6, 8));
  d.doc.AddEditAction(action);
  SetCharactersValue<CAccessTextObjBoldProp>(true, *text, 1, 6, 8);
  const std::vector<int> recorded{0, 5, 0};
  ASSERT_EQ(action->GetRecord().GetValues(), recorded);

  auto& chars = text->GetArrayOfTextCharacters();
  const CCharacterItem tail = chars.back();
  chars.pop_back();
  chars.pop_back();
  chars.pop_back();  // 8 characters: 6..8 no longer all exist
  text->NormalizeFontRuns();
  text->RecalcuLayout(0);
  MarkRows(*text);
  d.doc.OnEditUndo();
  EXPECT_EQ(action->GetRecord().GetValues(), recorded);
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*text), (std::vector<int>{0, 0, 0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(FirstRelaidRow(*text), 1);

  // A record that starts past the end: nothing written, nothing laid out.
  chars.resize(5);
  text->NormalizeFontRuns();
  text->RecalcuLayout(0);
  MarkRows(*text);
  d.doc.OnEditRedo();
  EXPECT_EQ(action->GetRecord().GetValues(), recorded);
  EXPECT_EQ(FirstRelaidRow(*text), -1);

  chars.resize(11, tail);
  text->NormalizeFontRuns();
  text->RecalcuLayout(0);
  d.doc.OnEditUndo();
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*text)[7], 5);
}

// An action with nothing recorded (an empty preview scene) undoes and redoes without touching
// anything or telling the views.
TEST(TextPropertyActions, EmptyActionsUndoWithoutEffect) {
  RecordingDoc doc;
  CFontSizeTextAction single(L"");
  CFilledColorObjsAction objects(L"");
  CBoldTextsAction texts(L"");
  for (Vectorloom::CBaseEditAction* a : std::initializer_list<Vectorloom::CBaseEditAction*>{&single, &objects, &texts}) {
    EXPECT_EQ(a->Undo(&doc), 1);
    EXPECT_EQ(a->Redo(&doc), 1);
    EXPECT_EQ(a->Undo(nullptr), 1);
  }
  EXPECT_TRUE(doc.hints.empty());
}

// ---------------------------------------------------------------------------------------------
// Shapes, texts and groups together

namespace {

template <class Action>
void CheckObjectsAction(const char* label, typename Action::Value newValue, typename Action::Value other) {
  using W = typename Action::Wrap;
  using A = typename Action::Access;
  SCOPED_TRACE(label);
  DocWithPage d;
  auto* s1 = new CountingShape;
  auto* s2 = new CountingShape;
  auto* s3 = new CountingShape;
  CDDrawTextObj* text = MakeText(L"abc");
  CDDrawTextObj* done = MakeText(L"xyz");
  auto* video = new CRenderBaseObj(Vectorloom::RENDER_OBJ_VIDEO);
  W::Write(s1, other);
  W::Write(s2, newValue);  // already at the value: not recorded
  W::Write(s3, other);
  SetCharactersValue<A>(false, *text, other, 0, -1);
  SetCharactersValue<A>(false, *text, newValue, 1, 1);
  SetCharactersValue<A>(false, *done, newValue, 0, -1);
  auto* group = MakeGroup({s3, MakeGroup({text, done})});
  for (CRenderBaseObj* o : std::initializer_list<CRenderBaseObj*>{s1, s2, group, video}) d.page->AddShapeObject(o);
  const auto selection = List({s1, s2, group, video});

  auto shapeValue = [](CRenderBaseObj* s) {
    typename W::ValueType v{};
    EXPECT_TRUE(W::Read(s, v));
    return v;
  };
  const auto textBefore = ReadAll<A>(*text);
  auto* action = new Action(L"Paint");
  EXPECT_EQ(action->RecordObjects(selection, newValue), 3);
  EXPECT_EQ(action->GetShapeRecordCount(), 2);  // s1 and s3; the group itself never
  EXPECT_EQ(action->GetTextRecordCount(), 1);   // text, not done
  d.doc.AddEditAction(action);
  Action::SetObjectsValue(newValue, selection);
  for (auto* s : {s1, s2, s3}) EXPECT_EQ(shapeValue(s), newValue);
  EXPECT_EQ(ReadAll<A>(*text), std::vector<typename A::Element>(3, newValue));

  const int builds = s1->pathBuilds, effects = s1->effectBuilds;
  for (int round = 0; round < 2; ++round) {
    d.doc.hints.clear();
    d.doc.OnEditUndo();
    EXPECT_EQ(shapeValue(s1), other);
    EXPECT_EQ(shapeValue(s2), newValue);
    EXPECT_EQ(shapeValue(s3), other);
    EXPECT_EQ(ReadAll<A>(*text), textBefore);
    ASSERT_EQ(d.doc.hints.size(), 1u);
    EXPECT_EQ(d.doc.hints[0].page, d.page);
    d.doc.OnEditRedo();
    EXPECT_EQ(shapeValue(s1), newValue);
    EXPECT_EQ(ReadAll<A>(*text), std::vector<typename A::Element>(3, newValue));
  }
  // Colours rebuild the shape's paths and effects on every undo and redo; transparencies do not.
  const int steps = W::kRebuildShape ? 4 : 0;
  EXPECT_EQ(s1->pathBuilds - builds, steps);
  EXPECT_EQ(s1->effectBuilds - effects, steps);
  EXPECT_EQ(s2->effectBuilds, 0);

  // Everything at the value now: nothing to record.
  Action again(L"Paint");
  EXPECT_EQ(again.RecordObjects(selection, newValue), 0);
}

}  // namespace

TEST(ObjectPropertyActions, ShapesTextsAndGroupMembersUndoAndRedoExactly) {
  CheckObjectsAction<CFilledTransparencyObjsAction>("filled transparency", 192, 0);
  CheckObjectsAction<CStrokeTransparencyObjsAction>("stroke transparency", 32, 255);
  CheckObjectsAction<CFilledColorObjsAction>("filled colour", {1, 1, 0x3399FF}, {1, 1, 0x000000});
  CheckObjectsAction<COutlineColorObjsAction>("outline colour", {1, 1, 0x3399FF}, {0, 1, 0x3399FF});
}

// A shape's paint kind comes back with undo; a text of the same colour as a gradient-filled shape
// is not the same paint.
TEST(ObjectPropertyActions, UndoGivesAShapeItsPaintKindBack) {
  DocWithPage d;
  auto* shape = new CountingShape;
  shape->SetFillInsideFlag(true);
  shape->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
  shape->SetFillColor(0x112233);
  d.page->AddShapeObject(shape);
  auto* action = new CFilledColorObjsAction(kChangeFilledColorName);
  EXPECT_EQ(action->RecordObjects(List({shape}), PaintColorValue(1, 1, 0x112233)), 1);
  d.doc.AddEditAction(action);
  CFilledColorObjsAction::SetObjectsValue(PaintColorValue(1, 1, 0x112233), List({shape}));
  EXPECT_EQ(shape->GetFillKind(), Vectorloom::RENDER_KIND_SOLID);
  d.doc.OnEditUndo();
  EXPECT_EQ(shape->GetFillKind(), Vectorloom::RENDER_KIND_GRADIENT);
  EXPECT_EQ(d.doc.GetRedoMenuText(), CString(L"Redo Change Filled Color"));
}

// Texts only: an already-bold text gets no record and is left alone by undo; an empty text gets
// none; texts in groups are found; the views hear once, of the first record's page; a text
// deleted from its page is still restored, with no page named.
TEST(ObjectPropertyActions, SeveralTextsActionRecordsOnlyTextsThatChange) {
  DocWithPage d;
  auto* second = new CDrawingPage;
  d.doc.GetRenderPagesArray().AddPage(second);
  CDDrawTextObj* plain = MakeText(L"ab");
  CDDrawTextObj* bold = MakeText(L"cd");
  CDDrawTextObj* empty = MakeText(L"");
  CDDrawTextObj* deep = MakeText(L"ef");
  SetCharactersValue<CAccessTextObjBoldProp>(false, *bold, 1, 0, -1);
  Char(*deep, 1).SetBold(1);
  auto* shape = new CountingShape;
  d.page->AddShapeObject(plain);
  second->AddShapeObject(bold);
  auto* group = MakeGroup({shape, MakeGroup({empty, deep})});
  second->AddShapeObject(group);
  const auto selection = List({plain, bold, group});

  auto* action = new CBoldTextsAction(kBoldTextName);
  EXPECT_EQ(action->CollectTextItems(selection, 1), 2);  // plain and deep
  d.doc.AddEditAction(action);
  CBoldTextsAction::SetObjectsValue(1, selection);
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*deep), (std::vector<int>{1, 1}));
  Char(*bold, 0).SetBold(3);  // not recorded: undo must not touch it
  d.doc.hints.clear();
  d.doc.OnEditUndo();
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*plain), (std::vector<int>{0, 0}));
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*deep), (std::vector<int>{0, 1}));
  EXPECT_EQ(Char(*bold, 0).IsBold(), 3);
  ASSERT_EQ(d.doc.hints.size(), 1u);
  EXPECT_EQ(d.doc.hints[0].page, d.page);
  EXPECT_EQ(d.doc.GetRedoMenuText(), CString(L"Redo Bold Text"));

  // The first text leaves its page; redo and undo still exchange its values.
  plain->AddRef();
  d.page->GetRenderObjectList().RemoveElement(plain);
  d.doc.hints.clear();
  d.doc.OnEditRedo();
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*plain), (std::vector<int>{1, 1}));
  ASSERT_EQ(d.doc.hints.size(), 1u);
  EXPECT_EQ(d.doc.hints[0].page, nullptr);
  d.doc.OnEditUndo();
  EXPECT_EQ(ReadAll<CAccessTextObjBoldProp>(*plain), (std::vector<int>{0, 0}));
  d.doc.ClearUndoHistory();
  plain->Release();
}

// Font size over several texts: grow and shrink record every text without comparing, and undo
// lays each text out again; underline never lays out, strike-out does.
TEST(ObjectPropertyActions, FontSizeAndDecorationsOverTexts) {
  DocWithPage d;
  CDDrawTextObj* a = MakeText(kFourRows, 10.7f);
  CDDrawTextObj* b = MakeText(L"x", 75.0f);
  auto* shape = new CountingShape;
  for (CRenderBaseObj* o : std::initializer_list<CRenderBaseObj*>{a, b, shape}) d.page->AddShapeObject(o);
  const auto selection = List({a, shape, b});
  auto* grow = new CFontSizeTextsAction(kGrowFontSizeName);
  EXPECT_EQ(grow->RecordAllObjects(selection), 2);
  d.doc.AddEditAction(grow);
  EnlargeFontSizes(selection, GetFontSizePresets(), true);
  EXPECT_EQ(Char(*a, 0).GetFontPointSize(), 11.0f);
  EXPECT_EQ(Char(*b, 0).GetFontPointSize(), 80.0f);
  MarkRows(*a);
  d.doc.OnEditUndo();
  EXPECT_EQ(Char(*a, 0).GetFontPointSize(), 10.7f);
  EXPECT_EQ(Char(*b, 0).GetFontPointSize(), 75.0f);
  EXPECT_EQ(FirstRelaidRow(*a), 0);
  EXPECT_EQ(d.doc.GetRedoMenuText(), CString(L"Redo Grow Font Size"));

  // Shrink over selected characters of the edited text: recorded without comparing, undone to
  // the exact sizes.
  auto* shrink = new CFontSizeTextAction(kShrinkFontSizeName);
  ASSERT_TRUE(shrink->RecordAllCharacters(a, 6, 7));
  EXPECT_FALSE(CFontSizeTextAction(kShrinkFontSizeName).RecordAllCharacters(a, 11, 20));
  d.doc.AddEditAction(shrink);
  ShrinkFontSizes(*a, 6, 7, GetFontSizePresets(), true);
  EXPECT_EQ(Sizes(*a)[5], 10.7f);
  EXPECT_EQ(Sizes(*a)[6], 9.0f);
  d.doc.OnEditUndo();
  EXPECT_EQ(Sizes(*a), std::vector<float>(11, 10.7f));
  EXPECT_EQ(d.doc.GetRedoMenuText(), CString(L"Redo Shrink Font Size"));

  const struct {
    bool strike;
    int row;
  } decorations[] = {{false, -1}, {true, 1}};
  for (const auto& c : decorations) {
    bool applied = false;
    if (c.strike) {
      auto* act = new CStrikeThroughTextAction(kStrikeOutTextName);
      applied = act->RecordCharacters(a, true, 6, 7);
      d.doc.AddEditAction(act);
    } else {
      auto* act = new CUnderlineTextAction(kUnderlineTextName);
      applied = act->RecordCharacters(a, true, 6, 7);
      d.doc.AddEditAction(act);
    }
    ASSERT_TRUE(applied);
    MarkRows(*a);
    d.doc.OnEditUndo();
    EXPECT_EQ(FirstRelaidRow(*a), c.row) << c.strike;
  }
}
