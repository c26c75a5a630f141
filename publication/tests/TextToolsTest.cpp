// The text tools through a publication view without a window: key and mouse sequences in, the
// text, the caret, the selection and the undo history out.
#include <gtest/gtest.h>

#include <gdi/wingdi.h>
#include <glyphweave/EmbedFontRes.h>
#include <winuser.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>

#include <quirebook/TextBoxGrowth.h>

#include "FontPrograms.h"
#include "PubViewTestKit.h"

using GlyphweaveLib::CEditableTextObj;
using pubtest::PubViewFixture;

namespace {

CEditingTextTool& Tool() { return CPublicationView::g_EditingTextTool; }

std::wstring Chars(const CEditableTextObj& t) { return GlyphweaveLib::CodePointsFromTextUnits(t.GetCharacters(0, -1)); }

std::string Runs(const CEditableTextObj& t) {
  std::string s;
  const auto& runs = t.GetFontRuns();
  for (int r = 0; r < runs.GetSize(); ++r) {
    const std::wstring face = runs.GetAt(r).m_FontDesc.GetFontFaceNameW();
    s += std::to_string(runs.GetAt(r).m_nLength) + ":" + std::string(face.begin(), face.end()) + " ";
  }
  return s;
}

GlyphweaveLib::CRichFontDesc Face(const wchar_t* name) {
  GlyphweaveLib::CRichFontDesc f;
  f.SetFontFaceName(name);
  f.m_fFontSize = 12.0f;
  return f;
}

// A text of the page at (20, 20), 300 x 100, holding `chars` in DejaVu Sans.
CDDrawTextObj* AddText(PubViewFixture& f, const std::wstring& chars) {
  auto* text = new CDDrawTextObj;
  text->SetLayoutBox(300, 100);
  text->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(20, 20), true);
  const std::wstring units = GlyphweaveLib::TextUnitsFromCodePoints(chars);
  HDC dc = GetDC(nullptr);
  if (!units.empty())
    text->InsertString(0, units.c_str(), static_cast<int>(units.size()), dc, Face(L"DejaVu Sans"), nullptr,
                       f.doc.GetFontGlyphCacheManager());
  ReleaseDC(nullptr, dc);
  text->RecalcuLayout(0);
  f.page->AddShapeObject(text);
  return text;
}

// One step of a key sequence.
struct Op {
  enum Kind { Type, Key, ShiftKey, Font, Caret } kind;
  std::wstring text;
  UINT value = 0;
};
Op T(const std::wstring& s) { return {Op::Type, s}; }
Op K(UINT vk) { return {Op::Key, L"", vk}; }
Op SK(UINT vk) { return {Op::ShiftKey, L"", vk}; }
Op F(const wchar_t* face) { return {Op::Font, face}; }
Op C(UINT code) { return {Op::Caret, L"", code}; }

void RunOps(PubViewFixture& f, const std::vector<Op>& ops) {
  for (const Op& op : ops) {
    switch (op.kind) {
      case Op::Type: f.Type(op.text); break;
      case Op::Key: f.view->OnKeyDown(op.value, 1, 0); break;
      case Op::ShiftKey: Tool().MoveCaretByKey(f.view, op.value, true); break;
      case Op::Font: Tool().SetCurrentFont(Face(op.text.c_str())); break;
      case Op::Caret: Tool().SetCaretCode(static_cast<int>(op.value)); break;
    }
  }
}

constexpr UINT kBehind = 0x40000000;

struct KeyCase {
  const char* name;
  std::wstring start;
  std::vector<Op> ops;
  std::wstring text;  // after the sequence
  int caret;          // plain index after the sequence
  int steps;          // undo steps the sequence recorded
};

}  // namespace

// Each sequence: the text and caret it leaves, then every step undone ("Undo Edit Text" on the
// way) back to the starting text and faces, and redone ("Redo Edit Text") to the same result.
TEST(EditingTextTool, KeySequencesEditAndUndoStepByStep) {
  const KeyCase cases[] = {
      {"typing", L"", {T(L"Hello")}, L"Hello", 5, 5},
      {"enter starts a paragraph", L"", {T(L"ab\rc")}, L"ab\rc", 4, 4},
      {"shift+left selection, backspace", L"", {T(L"Hello"), K(VK_LEFT), K(VK_LEFT), SK(VK_LEFT), SK(VK_LEFT), T(L"\b")},
       L"Hlo", 1, 6},
      {"typing over a selection", L"Hello", {K(VK_HOME), SK(VK_RIGHT), SK(VK_RIGHT), T(L"J")}, L"Jllo", 1, 1},
      {"typing a pair over a selection", L"Hello", {SK(VK_RIGHT), SK(VK_RIGHT), SK(VK_RIGHT), T(L"\U0001F600")},
       L"\U0001F600lo", 2, 1},
      {"backspace across runs", L"", {F(L"DejaVu Sans"), T(L"abc"), F(L"DejaVu Serif"), T(L"def"), K(VK_LEFT), K(VK_LEFT),
        K(VK_LEFT), K(VK_LEFT), SK(VK_RIGHT), SK(VK_RIGHT), T(L"\b")}, L"abef", 2, 7},
      {"delete at a run boundary", L"", {F(L"DejaVu Sans"), T(L"abc"), F(L"DejaVu Serif"), T(L"def"), K(VK_LEFT),
        K(VK_LEFT), K(VK_LEFT), K(VK_DELETE)}, L"abcef", 3, 7},
      {"clear key deletes with an undo step", L"abc", {K(VK_RIGHT), K(VK_CLEAR)}, L"ac", 1, 1},
      {"clear at the end changes nothing", L"abc", {C(3), K(VK_CLEAR)}, L"abc", 3, 0},
      {"right at the end stays", L"ab", {K(VK_RIGHT), K(VK_RIGHT), K(VK_RIGHT), T(L"c")}, L"abc", 3, 1},
      {"backspace at 0 records nothing", L"ab", {T(L"\b")}, L"ab", 0, 0},
      {"control characters type nothing", L"ab", {T(L"\x01\x1b\x7f")}, L"ab", 0, 0},
      {"pair moves and deletes whole", L"", {T(L"\U0001F600x"), K(VK_LEFT), K(VK_LEFT), K(VK_RIGHT), T(L"\b")}, L"x", 0,
       3},
      {"caret behind a character: right", L"abc", {C(1 | kBehind), K(VK_RIGHT), T(L"X")}, L"abcX", 4, 1},
      {"caret behind a character: left", L"abc", {C(1 | kBehind), K(VK_LEFT), T(L"X")}, L"aXbc", 2, 1},
      {"caret behind a character: backspace", L"abc", {C(1 | kBehind), T(L"\b")}, L"ac", 1, 1},
      {"caret behind the last character: backspace", L"abc", {C(2 | kBehind), T(L"\b")}, L"ab", 2, 1},
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(c.name);
    PubViewFixture f;
    CDDrawTextObj* text = AddText(f, c.start);
    const std::string startRuns = Runs(*text);
    f.DblClk(30, 30);
    ASSERT_EQ(f.view->GetEditingTool(), &Tool());
    ASSERT_EQ(Tool().GetEditingText(), text);
    EXPECT_EQ(Tool().GetCaretPos(), 0);
    Tool().SetCurrentFont(Face(L"DejaVu Sans"));
    RunOps(f, c.ops);
    EXPECT_EQ(Chars(*text), c.text);
    EXPECT_EQ(Tool().GetCaretIndex(), c.caret);
    EXPECT_FALSE(Tool().HasSelection());
    const std::string doneRuns = Runs(*text);
    ASSERT_EQ(f.doc.GetUndoCount(), c.steps);
    for (int i = 0; i < c.steps; ++i) {
      EXPECT_EQ(f.doc.GetUndoMenuText(), CString(L"Undo Edit Text"));
      f.view->OnEditUndo();
      EXPECT_EQ(f.doc.GetRedoMenuText(), CString(L"Redo Edit Text"));
      ASSERT_EQ(f.view->GetEditingTool(), &Tool()) << "undo ended the editing";
    }
    EXPECT_EQ(Chars(*text), c.start);
    EXPECT_EQ(Runs(*text), startRuns);
    for (int i = 0; i < c.steps; ++i) f.view->OnEditRedo();
    EXPECT_EQ(Chars(*text), c.text);
    EXPECT_EQ(Runs(*text), doneRuns);
    if (c.steps) {
      EXPECT_EQ(Tool().GetCaretIndex(), c.caret);
    }
  }
}

// Undo and redo of one typed character put the caret back where it was before each step.
TEST(EditingTextTool, UndoAndRedoMoveTheCaret) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"ac");
  f.DblClk(30, 30);
  RunOps(f, {K(VK_RIGHT), T(L"b")});
  EXPECT_EQ(Chars(*text), L"abc");
  for (int round = 0; round < 2; ++round) {
    f.view->OnEditUndo();
    EXPECT_EQ(Tool().GetCaretIndex(), 1);
    f.view->OnEditRedo();
    EXPECT_EQ(Tool().GetCaretIndex(), 2);
  }
}

// Undo and redo shorten or lengthen the text under a selection: they leave the selection
// collapsed at the caret, so no selection end points past the text afterwards.
TEST(EditingTextTool, UndoLeavesNoSelectionPastTheText) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"abcde");
  f.DblClk(30, 30);
  RunOps(f, {C(5), T(L"X")});
  ASSERT_EQ(Chars(*text), L"abcdeX");
  for (int round = 0; round < 2; ++round) {
    Tool().SetSelection(2, 6);  // through the typed character
    f.view->OnEditUndo();
    ASSERT_EQ(Chars(*text), L"abcde") << round;
    EXPECT_EQ(Tool().GetSelectionStart(), Tool().GetCaretPos()) << round;
    EXPECT_EQ(Tool().GetSelectionEnd(), Tool().GetCaretPos()) << round;
    EXPECT_FALSE(Tool().HasSelection());
    Tool().SetSelection(0, 5);
    f.view->OnEditRedo();
    EXPECT_EQ(Tool().GetSelectionStart(), Tool().GetCaretPos()) << round;
    EXPECT_EQ(Tool().GetSelectionEnd(), Tool().GetCaretPos()) << round;
  }
}

// A font that lacks the typed character gives way to "Arial" for it and what follows.
TEST(EditingTextTool, MissingCharacterSwitchesToArial) {
  PubViewFixture f;
  auto* res = new GlyphweaveLib::CEmbedFontResouce();
  res->SetFontID(7);
  res->SetEmbedFontFlag(0);
  GlyphweaveLib::CPdfEmbedFontDesc desc;
  desc.SetFontName("GwTest");
  desc.m_nHintingWord = 1;
  desc.m_vProgram = lwtest::MakeBareCff();
  res->SetEmbedPdfFontContent(&desc);
  f.doc.GetEmbedFontResManager()->AddEmbedFontResouce(res);
  CDDrawTextObj* text = AddText(f, L"");
  f.DblClk(30, 30);
  GlyphweaveLib::CRichFontDesc embedded = Face(L"GwTest");
  embedded.SetEmbedFontID(7);
  Tool().SetCurrentFont(embedded);
  f.Type(L"AB");  // the font has A and B
  EXPECT_EQ(Tool().GetCurrentFont().GetEmbedFontID(), 7);
  f.Type(L"xA");
  EXPECT_EQ(Tool().GetCurrentFont().GetFontFaceNameW(), L"Arial");
  EXPECT_EQ(Tool().GetCurrentFont().GetEmbedFontID(), -1);
  EXPECT_EQ(Chars(*text), L"ABxA");
  ASSERT_EQ(text->GetFontRuns().GetSize(), 2);
  EXPECT_EQ(text->GetFontRuns().GetAt(0).m_nLength, 2u);
  EXPECT_EQ(text->GetFontRunDesc(1).GetFontFaceNameW(), L"Arial");
}

// Drawing a box: a drag of at least 3 x 3 makes an empty text there and edits it; a smaller one
// goes back to the selection tool.
TEST(DrawTextTool, DragMakesATextAndEditsIt) {
  const struct {
    float x0, y0, x1, y1;
    bool makes;
  } cases[] = {{50, 40, 150, 90, true}, {150, 90, 50, 40, true}, {50, 40, 52, 90, false}, {50, 40, 53, 43, true}};
  for (const auto& c : cases) {
    PubViewFixture f;
    f.view->UpdateEditingTool(&CPublicationView::g_DrawTextTool);
    f.Drag(c.x0, c.y0, c.x1, c.y1);
    EXPECT_FALSE(f.host.capture);
    if (!c.makes) {
      EXPECT_EQ(f.page->GetRenderObjectList().GetCount(), 0);
      EXPECT_EQ(f.view->GetEditingTool(), nullptr);
      EXPECT_FALSE(f.doc.CanUndo());
      continue;
    }
    ASSERT_EQ(f.page->GetRenderObjectList().GetCount(), 1);
    auto* text = dynamic_cast<CDDrawTextObj*>(f.page->GetRenderObjectList().GetHead());
    ASSERT_NE(text, nullptr);
    EXPECT_NEAR(text->GetLayoutBox().cx, std::fabs(c.x1 - c.x0), 0.01f);
    EXPECT_NEAR(text->GetLayoutBox().cy, std::fabs(c.y1 - c.y0), 0.01f);
    EXPECT_NEAR(text->GetTransMatrix().dx, std::min(c.x0, c.x1), 0.01f);
    EXPECT_NEAR(text->GetTransMatrix().dy, std::min(c.y0, c.y1), 0.01f);
    EXPECT_EQ(f.view->GetEditingTool(), &Tool());
    EXPECT_EQ(Tool().GetEditingText(), text);
    EXPECT_EQ(f.host.timers[CEditingTextTool::kBlinkTimerId], 500u);
    EXPECT_EQ(f.doc.GetUndoMenuText(), CString(L"Undo Add Text Object"));
    f.Type(L"Hi");
    EXPECT_EQ(Chars(*text), L"Hi");
    // Undoing the typing and then the new box: the box leaves the page and the editing ends.
    for (int i = 0; i < 3; ++i) f.view->OnEditUndo();
    EXPECT_EQ(f.page->GetRenderObjectList().GetCount(), 0);
    EXPECT_EQ(f.view->GetEditingTool(), nullptr);
    EXPECT_EQ(Tool().GetEditingText(), nullptr);
    f.Type(L"x");  // reaches no text
    EXPECT_EQ(f.doc.GetRedoCount(), 3);
  }
}

// Mouse in the edited text: a press places the caret, a drag selects; a press on a handle or
// outside ends the editing and leaves the press to the selection tool.
TEST(EditingTextTool, MousePlacesTheCaretAndSelects) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"Hello world");
  f.DblClk(30, 30);
  const int count = 11;
  f.Down(20.5f, 25);
  EXPECT_EQ(Tool().GetCaretIndex(), 0);
  f.Move(300, 25);
  f.Up(300, 25);
  int s = 0, e = 0;
  Tool().GetSelectionRange(s, e);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(e, count);
  f.Type(L"X");
  EXPECT_EQ(Chars(*text), L"X");
  f.view->OnEditUndo();
  EXPECT_EQ(Chars(*text), L"Hello world");

  // The text is selected: a press on its bottom-right handle is the selection tool's.
  ASSERT_TRUE(f.view->IsObjectSelected(text));
  f.Down(320, 120);
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  EXPECT_EQ(Tool().GetEditingText(), nullptr);
  f.Up(320, 120);
  f.DblClk(30, 30);
  ASSERT_EQ(f.view->GetEditingTool(), &Tool());
  f.Down(380, 250);  // beside the text
  EXPECT_EQ(f.view->GetEditingTool(), nullptr);
  EXPECT_FALSE(f.host.timers.count(CEditingTextTool::kBlinkTimerId));
}

// A press on either unit of a pair puts the caret beside the pair, never between its units.
TEST(EditingTextTool, PressOnAPairKeepsItWhole) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"a\U0001F600b");
  f.DblClk(30, 30);
  const auto& chars = text->GetArrayOfTextCharacters();
  ASSERT_EQ(chars.size(), 4u);
  for (size_t unit : {1u, 2u}) {
    const auto& c = chars[unit];
    const float x = 20 + c.GetCharOffset().x + c.GetIncreaseDeltaX() * (unit == 1 ? 0.7f : 0.3f);
    const float y = 20 + c.GetCharOffset().y - 4;
    f.Down(x, y);
    f.Up(x, y);
    const int caret = Tool().GetCaretIndex();
    EXPECT_TRUE(caret == 1 || caret == 3) << "unit " << unit << ": caret " << caret;
    f.Type(L"X");
    EXPECT_EQ(Chars(*text).find(L"\U0001F600"), caret == 1 ? 2u : 1u) << Chars(*text).size();
    f.view->OnEditUndo();
    EXPECT_EQ(Chars(*text), L"a\U0001F600b");
  }
}

// A character beyond the basic plane typed in a face that has it stays in that face and is drawn
// as one glyph (its second unit advances by nothing).
TEST(EditingTextTool, TypedCharacterBeyondTheBasicPlaneKeepsAFaceThatHasIt) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"a");
  f.DblClk(30, 30);
  Tool().SetCaretCode(1);
  Tool().SetCurrentFont(Face(L"DejaVu Sans"));
  f.Type(L"\U0001F600");
  EXPECT_EQ(Tool().GetCurrentFont().GetFontFaceNameW(), L"DejaVu Sans");
  ASSERT_EQ(Chars(*text), L"a\U0001F600");
  const auto& chars = text->GetArrayOfTextCharacters();
  ASSERT_EQ(chars.size(), 3u);
  EXPECT_FALSE(chars[1].IsEmptyGlyphPath());
  EXPECT_TRUE(chars[2].IsEmptyGlyphPath());
  EXPECT_EQ(chars[2].GetIncreaseDeltaX(), 0.0f);
  EXPECT_GT(chars[1].GetIncreaseDeltaX(), 10.0f);
}

// The pointer shows the I-beam over the edited text, the resize arrow on its corner handle (a
// press there resizes), the arrow beside it; the text drawing tool shows the I-beam everywhere.
TEST(EditingTextTool, CursorFollowsWhatAPressWouldDo) {
  PubViewFixture f;
  AddText(f, L"Hello world");
  f.DblClk(30, 30);
  ASSERT_EQ(f.view->GetEditingTool(), &Tool());
  const struct {
    float x, y;
    LPCWSTR cursor;  // null: the arrow
  } cases[] = {{30, 30, IDC_IBEAM}, {300, 110, IDC_IBEAM}, {320, 120, IDC_SIZENWSE}, {170, 20, IDC_SIZENS},
               {380, 250, nullptr}};
  for (const auto& c : cases) {
    f.view->OnMouseMove(0, f.Client(c.x, c.y));
    EXPECT_EQ(f.host.cursor, c.cursor ? LoadCursorW(nullptr, c.cursor) : nullptr) << c.x << ", " << c.y;
  }
  f.view->UpdateEditingTool(&CPublicationView::g_DrawTextTool);
  f.view->OnMouseMove(0, f.Client(380, 250));
  EXPECT_EQ(f.host.cursor, LoadCursorW(nullptr, IDC_IBEAM));
}

// Behind the last character of a wrapped row, Home goes to the start of that row, not of the
// row below.
TEST(EditingTextTool, RowKeysStartFromTheRowTheCaretIsDrawnIn) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"aaaa bbbb cccc");
  text->SetLayoutBox(45, 100);
  text->RecalcuLayout(0);
  const auto& rows = text->GetParagraphsLinesInfo();
  ASSERT_GE(rows.GetSize(), 2);
  const int first = static_cast<int>(rows.GetAt(0).m_nCharCount);
  ASSERT_GT(first, 0);
  f.DblClk(30, 30);
  Tool().SetCaretCode((first - 1) | CEditingTextTool::kCaretBehind);
  f.view->OnKeyDown(VK_HOME, 1, 0);
  EXPECT_EQ(Tool().GetCaretIndex(), 0);
  Tool().SetCaretCode(first);  // before the first character of the second row
  f.view->OnKeyDown(VK_HOME, 1, 0);
  EXPECT_EQ(Tool().GetCaretIndex(), first);
  f.view->OnKeyDown(VK_UP, 1, 0);
  EXPECT_LT(Tool().GetCaretIndex(), first);
  f.view->OnKeyDown(VK_DOWN, 1, 0);
  EXPECT_GE(Tool().GetCaretIndex(), first);
}

namespace {

// The pixels the caret covers: the view painted with the caret shown, against without it.
CRect CaretBox(PubViewFixture& f) {
  auto paint = [&](bool caret) {
    if (Tool().IsCaretVisible() != caret) f.view->OnTimer(CEditingTextTool::kBlinkTimerId);
    auto bmp = std::make_unique<Gdiplus::Bitmap>(800, 600);
    {
      Gdiplus::Graphics g(bmp.get());
      f.view->PaintView(&g, CRect(0, 0, 800, 600));
    }
    return bmp;
  };
  auto on = paint(true), off = paint(false);
  CRect box(10000, 10000, -1, -1);
  for (int y = 0; y < 600; ++y)
    for (int x = 0; x < 800; ++x) {
      Gdiplus::Color a, b;
      on->GetPixel(x, y, &a);
      off->GetPixel(x, y, &b);
      if (a.GetValue() == b.GetValue()) continue;
      box.left = std::min<long>(box.left, x), box.top = std::min<long>(box.top, y);
      box.right = std::max<long>(box.right, x + 1), box.bottom = std::max<long>(box.bottom, y + 1);
    }
  return box;
}

}  // namespace

// A caret behind the last character of a wrapped row is drawn at the end of that row; the same
// place as a plain index is the start of the next row.
TEST(EditingTextTool, CaretBehindACharacterIsDrawnAtTheEndOfItsRow) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"aaaa bbbb cccc");
  text->SetLayoutBox(45, 100);
  text->RecalcuLayout(0);
  const int first = static_cast<int>(text->GetParagraphsLinesInfo().GetAt(0).m_nCharCount);
  f.DblClk(30, 30);
  f.view->DeseleteAllRenderObjects();  // no handles in the pictures
  const auto& last = text->GetArrayOfTextCharacters()[static_cast<size_t>(first - 1)];
  const CPoint rowEnd = f.Client(20 + last.GetCharOffset().x + last.GetIncreaseDeltaX(), 20 + last.GetCharOffset().y);
  const CPoint nextStart = f.Client(20, 20 + text->GetArrayOfTextCharacters()[static_cast<size_t>(first)].GetCharOffset().y);

  Tool().SetCaretCode((first - 1) | CEditingTextTool::kCaretBehind);
  const CRect behind = CaretBox(f);
  EXPECT_NEAR(behind.CenterPoint().x, rowEnd.x, 2);
  EXPECT_LT(behind.top, rowEnd.y);
  EXPECT_GT(behind.bottom, rowEnd.y - 2);

  Tool().SetCaretCode(first);
  const CRect before = CaretBox(f);
  EXPECT_NEAR(before.CenterPoint().x, nextStart.x, 2);
  EXPECT_GT(before.bottom, nextStart.y - 2);
  EXPECT_GT(before.top, behind.top + 5) << "drawn in the same row";
}

TEST(EditingTextTool, TimerBlinksTheCaretOnly) {
  PubViewFixture f;
  AddText(f, L"ab");
  f.DblClk(30, 30);
  const bool visible = Tool().IsCaretVisible();
  f.view->OnTimer(CEditingTextTool::kBlinkTimerId);
  EXPECT_NE(Tool().IsCaretVisible(), visible);
  f.view->OnTimer(77);
  EXPECT_NE(Tool().IsCaretVisible(), visible);
}

// Typing never leaves a character outside the rows: once the rows fill the box, the box grows
// with each row in the step of the character that needed it; undoing every step gives the box
// its first height back, and the stored box of a text that is only looked at stays as it was.
TEST(EditingTextTool, TypingPastTheBottomGrowsTheBoxInTheSameStep) {
  PubViewFixture f;
  CDDrawTextObj* text = AddText(f, L"");
  f.DblClk(30, 30);
  Tool().SetCurrentFont(Face(L"DejaVu Sans"));
  const auto box = text->GetLayoutBox();
  std::wstring typed;
  for (int i = 0; i < 12; ++i) typed += L"line\r";
  f.Type(typed);
  EXPECT_TRUE(Quirebook::AreAllCharactersInRows(*text));
  EXPECT_GT(text->GetLayoutBox().cy, box.cy);
  EXPECT_EQ(text->GetLayoutBox().cx, box.cx);
  EXPECT_EQ(f.doc.GetUndoCount(), static_cast<int>(typed.size()));
  EXPECT_EQ(f.doc.GetUndoMenuText(), CString(L"Undo Edit Text"));
  while (f.doc.CanUndo()) f.view->OnEditUndo();
  EXPECT_EQ(Chars(*text), L"");
  EXPECT_EQ(text->GetLayoutBox(), box);
  while (f.doc.CanRedo()) f.view->OnEditRedo();
  EXPECT_EQ(Chars(*text), typed);
  EXPECT_TRUE(Quirebook::AreAllCharactersInRows(*text));

  // Only looked at: a box too small for its text keeps its size.
  text->SetLayoutBox(box.cx, 30);
  text->RecalcuLayout(0);
  f.view->OnKeyDown(VK_DOWN, 1, 0);
  EXPECT_EQ(text->GetLayoutBox().cy, 30.0f);
  EXPECT_FALSE(Quirebook::AreAllCharactersInRows(*text));
}
