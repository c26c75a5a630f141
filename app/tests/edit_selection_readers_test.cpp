// What the ribbon reads of the selection: object readers over the view's selected objects (page
// order, groups walked, texts and videos passed over), the rotation reader, the list readers of
// the custom-value dialogs, and the character readers over the text being edited.
#include <PubViewTestKit.h>
#include <SelectionReaders.h>

#include <functional>

#include "EditTestKit.h"

using namespace Quirebook;
using namespace edittest;
using Vectorloom::CRenderBaseObj;
using Vectorloom::CStrokeParamValue;
using Vectorloom::PaintColorValue;

namespace {

// Each selection reader as "state:value" text, so one table covers all nine.
struct Reader {
  const char* name;
  std::function<std::string(const Vectorloom::CWorkspaceView*)> read;
};

template <class T, class Fn>
Reader MakeReader(const char* name, Fn fn, std::function<std::string(const T&)> show) {
  return {name, [fn, show](const Vectorloom::CWorkspaceView* view) {
            T value{};
            const int state = fn(view, value);
            return std::to_string(state) + ":" + (state < 0 ? std::string("-") : show(value));
          }};
}

std::string Int(const int& v) { return std::to_string(v); }
std::string Paint(const PaintColorValue& v) {
  return std::to_string(v.bEnabled) + "/" + std::to_string(v.nKind) + "/" + std::to_string(v.crColor);
}
template <class T>
std::string Stroke(const CStrokeParamValue<T>& v) {
  return std::to_string(v.bStroke) + "/" + std::to_string(v.value);
}

std::vector<Reader> AllReaders() {
  return {
      MakeReader<CStrokeParamValue<float>>("width", ReadSelectionStrokeWidth, Stroke<float>),
      MakeReader<CStrokeParamValue<int>>("dash", ReadSelectionDashType, Stroke<int>),
      MakeReader<int>("fill", ReadSelectionFillInside, Int),
      MakeReader<int>("stroke", ReadSelectionStrokeOutline, Int),
      MakeReader<int>("fill alpha", ReadSelectionFilledTransparency, Int),
      MakeReader<int>("stroke alpha", ReadSelectionStrokeTransparency, Int),
      MakeReader<int>("rotation", ReadSelectionRotatedAngle, Int),
      MakeReader<PaintColorValue>("outline colour", ReadSelectionOutlineColor, Paint),
      MakeReader<PaintColorValue>("fill colour", ReadSelectionFilledColor, Paint),
  };
}

CountingShape* Shape(float width, int stroke, int alpha, COLORREF fill) {
  auto* s = new CountingShape;
  s->SetStrokeWidth(width);
  s->SetStrokeOutlineFlag(stroke);
  s->SetDashType(0);
  s->SetFilledTransparency(alpha);
  s->SetStrokeTransparency(alpha);
  s->SetFillInsideFlag(true);
  s->SetFillColor(fill);
  s->SetStrokeColor(fill);
  return s;
}

class SelectionReaders : public ::testing::Test, public pubtest::PubViewFixture {
 protected:
  void Add(CRenderBaseObj* obj) { page->AddShapeObject(obj); }
  void Select(std::initializer_list<CRenderBaseObj*> objs) {
    view->DeseleteAllRenderObjects();
    for (auto* o : objs) view->SelectRenderObject(o, true);
  }
  std::string Read(const char* name) {
    for (const Reader& r : AllReaders())
      if (std::string(r.name) == name) return r.read(view);
    return "?";
  }
};

}  // namespace

TEST_F(SelectionReaders, EveryReaderFollowsTheStateConvention) {
  auto* a = Shape(2.0f, 1, 10, 0x0000FF);
  auto* b = Shape(2.0f, 1, 10, 0x0000FF);
  auto* c = Shape(5.0f, 0, 99, 0x00FF00);
  c->SetDashType(2);
  c->SetFillInsideFlag(false);
  c->SetTransMatrix(Vectorloom::CQorTransMatrix::Rotation(30.0f), true);
  CDDrawTextObj* text = MakeText(L"abc");
  auto* video = new CRenderBaseObj(Vectorloom::RENDER_OBJ_VIDEO);
  for (CRenderBaseObj* o : std::initializer_list<CRenderBaseObj*>{a, b, c, text, video}) Add(o);

  // Nothing selected: every reader -1; texts and videos alone: -1 but for rotation.
  Select({});
  for (const Reader& r : AllReaders()) EXPECT_EQ(r.read(view), "-1:-") << r.name;
  Select({text, video});
  for (const Reader& r : AllReaders())
    EXPECT_EQ(r.read(view), std::string(r.name) == "rotation" ? "0:0" : "-1:-") << r.name;
  // Two equal shapes and a text: the shapes alone, state 0.
  Select({a, text, b});
  EXPECT_EQ(Read("width"), "0:1/2.000000");
  EXPECT_EQ(Read("fill"), "0:1");
  EXPECT_EQ(Read("fill alpha"), "0:10");
  EXPECT_EQ(Read("fill colour"), "0:1/1/255");
  EXPECT_EQ(Read("outline colour"), "0:1/1/255");
  // A third shape that differs in everything: 1 with the first value met.
  Select({a, b, c});
  for (const Reader& r : AllReaders()) {
    const std::string got = r.read(view);
    EXPECT_EQ(got.substr(0, 2), "1:") << r.name << " " << got;
  }
  EXPECT_EQ(Read("width"), "1:1/2.000000");
  EXPECT_EQ(Read("rotation"), "1:0");
}

// Equal widths, one stroke switched off: the pairs differ.
TEST_F(SelectionReaders, StrokePairsCompareTheSwitchToo) {
  auto* a = Shape(3.0f, 1, 0, 0);
  auto* b = Shape(3.0f, 0, 0, 0);
  Add(a);
  Add(b);
  Select({a, b});
  EXPECT_EQ(Read("width"), "1:1/3.000000");
  EXPECT_EQ(Read("dash"), "1:1/0");
  // The dialog's list reader says the same for the same list.
  CStrokeParamValue<float> width;
  EXPECT_EQ(ReadObjsStrokeWidth(List({a, b}), width), 1);
}

// A group of two widths reads 1 although it is one object; rotation reads the group itself.
TEST_F(SelectionReaders, GroupsAreWalkedButRotatedAsOne) {
  auto* inner = Shape(1.0f, 1, 0, 0);
  auto* deeper = Shape(4.0f, 1, 0, 0);
  auto* group = MakeGroup({inner, MakeGroup({deeper})});
  inner->SetTransMatrix(Vectorloom::CQorTransMatrix::Rotation(45.0f), true);
  Add(group);
  Select({group});
  EXPECT_EQ(Read("width"), "1:1/1.000000");
  EXPECT_EQ(Read("rotation"), "0:0");
  int alpha = 0;
  EXPECT_EQ(ReadObjsFilledTransparency(List({group}), alpha), 0);
  deeper->SetFilledTransparency(64);
  EXPECT_EQ(ReadObjsFilledTransparency(List({group}), alpha), 1);
  EXPECT_EQ(alpha, 0);
  int angle = -1;
  EXPECT_EQ(ReadObjsRotatedAngle(List({}), angle), -1);
  EXPECT_EQ(angle, -1);
}

// Selected in the reverse of the drawing order: the first value is the first shape on the page.
TEST_F(SelectionReaders, PageOrderWinsOverSelectionOrder) {
  auto* first = Shape(1.0f, 1, 11, 0);
  auto* second = Shape(1.0f, 1, 22, 0);
  Add(first);
  Add(second);
  Select({second, first});
  EXPECT_EQ(Read("fill alpha"), "1:11");
  // The dialogs' list readers keep the list's own order.
  int alpha = 0;
  EXPECT_EQ(ReadObjsStrokeTransparency(List({second, first}), alpha), 1);
  EXPECT_EQ(alpha, 22);
}

// Character readers: a state above 0 or a negative start returns at once, an end past the text
// is the last character, and the read stops at the first difference.
TEST(CharacterReaders, RangesAndSharedState) {
  CDDrawTextObj* text = MakeText(L"abcd");
  text->AddRef();
  Char(*text, 1).SetBold(1);
  const struct {
    int start, end, stateIn;
    int state, value;
  } cases[] = {
      {0, 0, -1, 0, 0},  {0, 1, -1, 1, 0},  {1, 1, -1, 0, 1},  {1, 99, -1, 1, 1}, {2, -1, -1, 0, 0},
      {-1, 3, -1, -1, 9}, {4, 9, -1, -1, 9}, {0, 3, 1, 1, 9},   {2, 3, 0, 1, 9},
  };
  for (const auto& c : cases) {
    int value = 9, state = c.stateIn;
    ReadCharsBold(*text, c.start, c.end, value, state);
    EXPECT_EQ(state, c.state) << c.start << ".." << c.end << " from " << c.stateIn;
    EXPECT_EQ(value, c.value) << c.start << ".." << c.end << " from " << c.stateIn;
  }
  // Every reader is the same walk over its own field.
  Char(*text, 2).SetFillInside(false);
  Char(*text, 3).SetHasUnderlineFlag(true);
  int state = -1, flag = 0;
  ReadCharsFillInside(*text, 0, 1, flag, state);
  EXPECT_EQ(state, 0);
  ReadCharsFillInside(*text, 2, 2, flag, state);
  EXPECT_EQ(state, 1);
  bool underline = false;
  state = -1;
  ReadCharsUnderline(*text, 0, 2, underline, state);
  EXPECT_EQ(state, 0);
  PaintColorValue colour;
  state = -1;
  ReadCharsFilledColor(*text, 1, 2, colour, state);
  EXPECT_EQ(state, 1);
  EXPECT_EQ(colour, PaintColorValue(1, 1, 0));
  text->Release();
}

// The editing tool: no text -1; a selection reads the selected characters; a caret reads the
// character typing continues (the one before it, the first at the start of the text) and never
// an index before 0 or past the text, whatever caret code it holds.
TEST_F(SelectionReaders, EditingToolReadsItsSelectionOrTheCaretCharacter) {
  CEditingTextTool& tool = CPublicationView::g_EditingTextTool;
  int bold = 7;
  EXPECT_EQ(ReadEditingTextValue<CAccessTextObjBoldProp>(tool, bold), -1);
  CDDrawTextObj* text = MakeText(L"abcd");
  Add(text);
  Char(*text, 0).SetBold(10);
  Char(*text, 1).SetBold(11);
  Char(*text, 3).SetBold(13);
  tool.SetEditingText(text);
  const int behind = CEditableTextObj::kCaretBehind;
  const struct {
    int caret, selStart, selEnd;
    int state, value;
  } cases[] = {
      {0, 0, 0, 0, 10},          {1, 1, 1, 0, 10},      {4, 4, 4, 0, 13},          {0 | behind, 0, 0, 0, 10},
      {2 | behind, 2, 2, 0, 0},  {999, 999, 999, 0, 13}, {0x00FFFFFF | behind, -1, -1, 0, 13},
      {1, 1, 3, 1, 11},          {3, 3, 1, 1, 11},      {0, 0, 1, 0, 10},
  };
  for (const auto& c : cases) {
    tool.SetCaretCode(c.caret);
    tool.SetSelection(c.selStart, c.selEnd);
    bold = -5;
    EXPECT_EQ(ReadEditingTextValue<CAccessTextObjBoldProp>(tool, bold), c.state) << c.caret;
    EXPECT_EQ(bold, c.value) << c.caret;
  }
  // The font controls read the same character, or the selection's description.
  GlyphweaveLib::CRichFontDesc single;
  GlyphweaveLib::CCharFormatsDesc multi;
  tool.SetCaretCode(0);
  EXPECT_EQ(ReadEditingTextCharFormats(tool, &single, &multi), 1);
  EXPECT_TRUE(single.m_bBold);
  tool.SetSelection(1, 3);
  EXPECT_EQ(ReadEditingTextCharFormats(tool, &single, &multi), 2);
  // An empty text has no character to show.
  CDDrawTextObj* empty = MakeText(L"");
  Add(empty);
  tool.SetEditingText(empty);
  tool.SetCaretCode(0);
  EXPECT_EQ(ReadEditingTextValue<CAccessTextObjBoldProp>(tool, bold), -1);
  EXPECT_EQ(ReadEditingTextCharFormats(tool, &single, &multi), 0);
  tool.SetEditingText(nullptr);
}
