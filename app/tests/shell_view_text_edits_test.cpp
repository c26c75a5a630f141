// Text formats and text boxes through the editing view's commands, headless, with real fonts:
// Bold, Italic and Underline on selected characters show on the page and at a bare caret go on
// with typing; typed characters take the format at the caret; undoing a size lays the text out
// again; and an edit never leaves characters outside the rows - the box grows with them, in the
// same undo step.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/CharacterItem.h>
#include <lwstr.h>
#include <quirebook/TextBoxGrowth.h>

#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PdfFixtures.h"
#include "ShellIds.h"

#include <QorpControls.h>

#include <CharProperties.h>
#include <TextPropertyActions.h>

#include "TestSupport.h"

using namespace Quirebook;

namespace {

class Host : public Vectorloom::IViewHost {
 public:
  void InvalidateRect(const RECT*) override {}
  void SetTimer(UINT_PTR, UINT) override {}
  void KillTimer(UINT_PTR) override {}
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HasCapture() const override { return false; }
  void SetCursor(HCURSOR) override {}
  CDC* GetDC() override { return nullptr; }
  void ReleaseDC(CDC*) override {}
  CSize GetClientSize() const override { return CSize(1000, 1200); }
};

struct UpdateProbe : CCmdUI {
  explicit UpdateProbe(UINT id) { m_nID = id; }
  void Enable(BOOL on) override { enabled = on != FALSE; }
  void SetCheck(int n) override { checked = n; }
  bool enabled = false;
  int checked = -1;
};

CEditingTextTool& Tool() { return CPublicationView::g_EditingTextTool; }

GlyphweaveLib::CRichFontDesc Font(const wchar_t* face, float size) {
  GlyphweaveLib::CRichFontDesc f;
  f.SetFontFaceName(face);
  f.SetEmbedFontID(-1);
  f.m_fFontSize = size;
  return f;
}

// The one-page PDF of the test fixtures ("Hello page 1" in an embedded Liberation Sans subset)
// opened in a view.
struct Fixture {
  Fixture() {
    setenv("HOME", dir.path().c_str(), 1);
    lwtest::WriteFileBytes(dir / "doc.pdf", lwtest::MakeCairoPdf(1));
    doc.m_bAutoDelete = FALSE;
    EXPECT_TRUE(doc.OnOpenDocument(lw::Utf8ToWide((dir / "doc.pdf").string()).c_str()));
    view = new CLeafwrightView;
    view->m_pDocument = &doc;
    view->SetViewHost(&host);
    view->OnUpdate(nullptr, 3, nullptr);
    page = view->GetShownPage();
    Tool().GetFormatState() = {};  // nothing set for typing by an earlier test
  }
  ~Fixture() {
    if (view->GetEditingTool()) view->UpdateEditingTool(nullptr);
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;

  CPoint Client(float x, float y) const {
    const auto lp = view->MapFromPic(Vectorloom::CQorVectorPoint<float>(x, y));
    const CPoint scroll = view->GetDeviceScrollPosition();
    return CPoint(static_cast<long>(std::lround(lp.x)) - scroll.x, static_cast<long>(std::lround(lp.y)) - scroll.y);
  }
  // A text box dragged out with Add Text over (x0, y0)-(x1, y1), being edited, empty.
  CDDrawTextObj* DrawTextBox(float x0, float y0, float x1, float y1) {
    view->OnCmdMsg(ViewCmd::kInsertText, CN_COMMAND, nullptr, nullptr);
    view->OnLButtonDown(MK_LBUTTON, Client(x0, y0));
    view->OnMouseMove(MK_LBUTTON, Client(x1, y1));
    view->OnLButtonUp(0, Client(x1, y1));
    EXPECT_EQ(view->GetEditingTool(), &Tool());
    return Tool().GetEditingText();
  }
  void Type(const std::wstring& s) {
    for (wchar_t c : s) view->OnChar(static_cast<UINT>(c), 1, 0);
  }
  void Command(UINT id) { view->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }
  UpdateProbe Update(UINT id) {
    UpdateProbe probe(id);
    probe.DoUpdate(view, FALSE);
    return probe;
  }
  // Ink the page's objects leave inside a rectangle of the page (0 white .. 765 black per pixel).
  long Ink(const CRect& r) {
    Gdiplus::Bitmap bitmap(r.Width(), r.Height(), Gdiplus::PixelFormat32bppARGB);
    {
      Gdiplus::Graphics g(&bitmap);
      CLeafwrightView::DrawPage(g, *page, CRect(-r.left, -r.top, -r.left + 816, -r.top + 1056));
    }
    long ink = 0;
    for (int y = 0; y < r.Height(); ++y)
      for (int x = 0; x < r.Width(); ++x) {
        Gdiplus::Color c;
        bitmap.GetPixel(x, y, &c);
        ink += 765 - c.GetR() - c.GetG() - c.GetB();
      }
    return ink;
  }

  lwtest::TempDir dir;
  Host host;
  CLeafwrightDoc doc;
  CLeafwrightView* view = nullptr;
  CDrawingPage* page = nullptr;
};

int Count(const CDDrawTextObj* text) { return static_cast<int>(text->GetArrayOfTextCharacters().size()); }
const GlyphweaveLib::CCharacterItem& At(const CDDrawTextObj* text, int i) {
  return text->GetArrayOfTextCharacters()[static_cast<size_t>(i)];
}

// The imported text of the fixture PDF.
CDDrawTextObj* ImportedText(CDrawingPage* page) {
  for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList())
    if (auto* text = TextOfRenderObj<CDDrawTextObj>(obj)) return text;
  return nullptr;
}

CRect AreaOf(const CDDrawTextObj* text) {
  const auto m = text->GetTransMatrix();
  const auto& box = text->GetLayoutBox();
  return CRect(static_cast<int>(m.dx) - 4, static_cast<int>(m.dy) - 4, static_cast<int>(m.dx + box.cx) + 8,
               static_cast<int>(m.dy + box.cy) + 8);
}

}  // namespace

// Bold through the command, on text typed into a new box and on imported text: the characters
// are drawn heavier on the page, and Undo draws them as before.
TEST(EditingViewTextFormats, BoldShowsOnTheSelectedCharacters) {
  Fixture f;
  const struct {
    const char* what;
    const wchar_t* face;  // typed in this face; null: the imported text
  } cases[] = {{"typed in Arial", L"Arial"}, {"typed in DejaVu Sans", L"DejaVu Sans"}, {"imported", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CDDrawTextObj* text = nullptr;
    if (c.face) {
      text = f.DrawTextBox(100, 300, 500, 360);
      ASSERT_NE(text, nullptr);
      Tool().SetCurrentFont(Font(c.face, 24));
      f.Type(L"Bold Hello");
    } else {
      text = ImportedText(f.page);
      ASSERT_NE(text, nullptr);
      f.view->UpdateEditingTool(nullptr);
      Tool().SetEditingText(text);
      f.view->UpdateEditingTool(&Tool());
    }
    ASSERT_GT(Count(text), 5);
    Tool().SetSelection(0, Count(text));
    const CRect area = AreaOf(text);
    const long regular = f.Ink(area);
    ASSERT_GT(regular, 100 * 765);
    f.Command(ViewCmd::kBold);
    EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Bold Text");
    EXPECT_EQ(f.Update(ViewCmd::kBold).checked, 1);
    const long bold = f.Ink(area);
    EXPECT_GT(bold, regular * 21 / 20) << regular;
    f.doc.OnEditUndo();
    EXPECT_NEAR(static_cast<double>(f.Ink(area)), static_cast<double>(regular), regular * 0.01);
    f.view->UpdateEditingTool(nullptr);
  }
}

// Bold, Italic and Underline at a bare caret change no character and record nothing, but the
// next typed characters take the style and the button shows it; pressed again, typing goes on
// without it. A caret put elsewhere takes the style of the text there again.
TEST(EditingViewTextFormats, StylesAtABareCaretGoOnWithTyping) {
  const struct {
    UINT id;
    bool (*has)(const GlyphweaveLib::CCharacterItem&);
  } cases[] = {
      {ViewCmd::kBold, [](const GlyphweaveLib::CCharacterItem& c) { return c.IsBold() != 0; }},
      {ViewCmd::kItalic, [](const GlyphweaveLib::CCharacterItem& c) { return c.GetItalicSkew() != 0.0f; }},
      {ViewCmd::kUnderline, [](const GlyphweaveLib::CCharacterItem& c) { return c.HasUnderline(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    Fixture f;
    CDDrawTextObj* text = f.DrawTextBox(100, 300, 500, 360);
    ASSERT_NE(text, nullptr);
    Tool().SetCurrentFont(Font(L"DejaVu Sans", 14));
    f.Type(L"ab");
    const int steps = f.doc.GetUndoCount();
    EXPECT_EQ(f.Update(c.id).checked, 0);
    f.Command(c.id);
    EXPECT_EQ(f.doc.GetUndoCount(), steps) << "nothing to change, nothing recorded";
    EXPECT_FALSE(c.has(At(text, 1)));
    EXPECT_EQ(f.Update(c.id).checked, 1) << "the button shows what typing gets";
    f.Type(L"cd");
    EXPECT_TRUE(c.has(At(text, 2)) && c.has(At(text, 3)));
    EXPECT_EQ(f.Update(c.id).checked, 1);
    f.Command(c.id);
    EXPECT_EQ(f.Update(c.id).checked, 0);
    f.Type(L"e");
    EXPECT_FALSE(c.has(At(text, 4)));
    // The caret moved into the styled characters: typing takes their style.
    f.view->OnKeyDown(VK_LEFT, 1, 0);
    f.view->OnKeyDown(VK_LEFT, 1, 0);
    EXPECT_EQ(f.Update(c.id).checked, 1);
    f.Type(L"x");
    EXPECT_TRUE(c.has(At(text, 3)));
    EXPECT_EQ(f.doc.GetUndoMenuText(), L"Undo Edit Text");
  }
}

// Typed characters take the face, size, style and colour of the character before the caret,
// also inside imported text; the first character of a text gives them at its start.
TEST(EditingViewTextFormats, TypingTakesTheFormatAtTheCaret) {
  Fixture f;
  CDDrawTextObj* text = f.DrawTextBox(100, 300, 600, 400);
  ASSERT_NE(text, nullptr);
  GlyphweaveLib::CRichFontDesc serif = Font(L"DejaVu Serif", 20);
  serif.m_bItalic = 1;
  serif.m_crRenderColor = RGB(200, 0, 0);
  Tool().SetCurrentFont(serif);
  f.Type(L"Serif");
  Tool().SetCurrentFont(Font(L"DejaVu Sans", 9));
  f.Type(L"sans");
  // Editing starts again: the caret at 0 takes the first character's format.
  f.view->UpdateEditingTool(nullptr);
  Tool().SetEditingText(text);
  f.view->UpdateEditingTool(&Tool());
  f.view->OnKeyDown(VK_RIGHT, 1, 0);
  f.Type(L"X");
  ASSERT_EQ(Count(text), 10);
  const auto& x = At(text, 1);
  EXPECT_FLOAT_EQ(x.GetActualFontSize(), 20.0f);
  EXPECT_NE(x.GetItalicSkew(), 0.0f);
  EXPECT_EQ(x.GetRenderColor(), RGB(200, 0, 0));
  EXPECT_EQ(Tool().GetCurrentFont().GetFontFaceNameW(), L"DejaVu Serif");
  EXPECT_EQ(text->GetFontRuns().GetSize(), 2) << "the typed character joins the serif run";

  // A size picked for typing at a bare caret is what typing gets until the caret moves.
  {
    CQORPControlComboBox combo(static_cast<int>(ID_FONT_SIZE));
    combo.SetEditText(L"30");
    NMQORPCONTROL nm{};
    nm.hdr.code = QORP_CN_EXECUTE;
    nm.pControl = &combo;
    LRESULT result = 0;
    AFX_NOTIFY notify{&result, &nm.hdr};
    f.view->OnCmdMsg(ID_FONT_SIZE, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY), &notify, nullptr);
    f.Type(L"Z");
    EXPECT_FLOAT_EQ(At(text, 2).GetActualFontSize(), 30.0f);
    f.doc.OnEditUndo();
  }

  // Behind the last character: the sans format.
  f.view->OnKeyDown(VK_DOWN, 1, 0);
  for (int i = 0; i < 12; ++i) f.view->OnKeyDown(VK_RIGHT, 1, 0);
  f.Type(L"y");
  EXPECT_FLOAT_EQ(At(text, 10).GetActualFontSize(), 9.0f);
  EXPECT_EQ(At(text, 10).GetItalicSkew(), 0.0f);


  // Inside the imported text: its embedded face (when it has the character) and its size.
  CDDrawTextObj* imported = ImportedText(f.page);
  ASSERT_NE(imported, nullptr);
  f.view->UpdateEditingTool(nullptr);
  Tool().SetEditingText(imported);
  f.view->UpdateEditingTool(&Tool());
  f.view->OnKeyDown(VK_RIGHT, 1, 0);
  f.view->OnKeyDown(VK_RIGHT, 1, 0);
  const float size = At(imported, 1).GetActualFontSize();
  f.Type(L"l");
  EXPECT_FLOAT_EQ(At(imported, 2).GetActualFontSize(), size);
  EXPECT_NE(Tool().GetCurrentFont().GetEmbedFontID(), -1) << "the subset has an 'l'";
}

// Undoing a larger size of the last characters, which the larger size had pushed out of the
// rows, lays them out again.
TEST(EditingViewTextFormats, UndoingASizeLaysTheTextOutAgain) {
  for (const bool grow : {false, true}) {
    SCOPED_TRACE(grow ? "grow font" : "font size");
    Fixture f;
    CDDrawTextObj* text = f.DrawTextBox(100, 300, 400, 330);
    Tool().SetCurrentFont(Font(L"DejaVu Sans", 12));
    f.Type(L"one two");
    ASSERT_TRUE(AreAllCharactersInRows(*text));
    // The change as an action recorded without the box growth of the commands.
    auto* action = new CFontSizeTextAction(kChangeFontSizeName);
    ASSERT_TRUE(action->RecordAllCharacters(text, 4, 6));
    f.doc.AddEditAction(action);
    if (grow)
      for (int i = 0; i < 6; ++i) EnlargeFontSizes(*text, 4, 6, GetFontSizePresets(), true);
    else
      SetCharactersValue<CAccessTextObjFontSizeProp>(true, *text, 72.0f, 4, 6);
    ASSERT_FALSE(AreAllCharactersInRows(*text)) << "pushed below the box";
    f.doc.OnEditUndo();
    EXPECT_TRUE(AreAllCharactersInRows(*text));
    EXPECT_FLOAT_EQ(At(text, 5).GetActualFontSize(), 12.0f);
  }
}

// Typing, pasting and the size commands never leave characters outside the rows: the box grows
// (taller; wider only for a character wider than the box) in the same undo step, and Undo
// gives the box back; Redo grows it again.
TEST(EditingViewTextFormats, EditsGrowTheBoxInTheSameUndoStep) {
  const struct {
    const char* what;
    float width, height;  // the box dragged out
    void (*edit)(Fixture&, CDDrawTextObj*);
    bool wider;
  } cases[] = {
      {"typing past the bottom", 200, 24,
       [](Fixture& f, CDDrawTextObj*) { f.Type(L"one two three four five six seven eight nine ten"); }, false},
      {"pasting lines", 200, 24,
       [](Fixture& f, CDDrawTextObj*) { Tool().InsertText(f.view, L"first\nsecond\nthird\nfourth"); }, false},
      {"a larger font size", 200, 24,
       [](Fixture& f, CDDrawTextObj* t) {
         f.Type(L"some words");
         Tool().SetSelection(0, Count(t));
         EXPECT_TRUE(f.view->ApplyFontSize(48));
       },
       false},
      {"grow font", 200, 24,
       [](Fixture& f, CDDrawTextObj* t) {
         f.Type(L"some words");
         Tool().SetSelection(0, Count(t));
         for (int i = 0; i < 8; ++i) f.Command(ViewCmd::kGrowFontSize);
       },
       false},
      {"a letter wider than a narrow box", 6, 40, [](Fixture& f, CDDrawTextObj*) { f.Type(L"W"); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Fixture f;
    CDDrawTextObj* text = f.DrawTextBox(100, 300, 100 + c.width, 300 + c.height);
    ASSERT_NE(text, nullptr);
    Tool().SetCurrentFont(Font(L"DejaVu Sans", 14));
    const auto before = text->GetLayoutBox();
    const int stepsBefore = f.doc.GetUndoCount();
    c.edit(f, text);
    const auto grown = text->GetLayoutBox();
    const int steps = f.doc.GetUndoCount() - stepsBefore;
    EXPECT_TRUE(AreAllCharactersInRows(*text));
    EXPECT_EQ(grown.cx > before.cx, c.wider);
    if (!c.wider) EXPECT_GT(grown.cy, before.cy);
    // The edit's own steps take the box back, and nothing else does.
    const CString name = f.doc.GetUndoMenuText();
    EXPECT_TRUE(name == L"Undo Edit Text" || name.Left(5) == L"Undo ") << name.GetString();
    for (int i = 0; i < steps; ++i) f.doc.OnEditUndo();
    EXPECT_EQ(text->GetLayoutBox(), before);
    for (int i = 0; i < steps; ++i) f.doc.OnEditRedo();
    EXPECT_EQ(text->GetLayoutBox(), grown);
    EXPECT_EQ(f.doc.GetUndoMenuText(), name);
    EXPECT_TRUE(AreAllCharactersInRows(*text));
  }
}

// A text read from a file keeps its box when it does not hold all its characters, until it is
// edited.
TEST(EditingViewTextFormats, ImportedBoxesKeepTheirSizeUntilEdited) {
  Fixture f;
  CDDrawTextObj* imported = ImportedText(f.page);
  ASSERT_NE(imported, nullptr);
  const auto box = imported->GetLayoutBox();
  imported->SetLayoutBox(box.cx * 0.5f, box.cy);
  imported->RecalcuLayout(0);
  ASSERT_FALSE(AreAllCharactersInRows(*imported));
  f.view->UpdateEditingTool(nullptr);
  Tool().SetEditingText(imported);
  f.view->UpdateEditingTool(&Tool());
  f.view->OnKeyDown(VK_RIGHT, 1, 0);
  EXPECT_FALSE(AreAllCharactersInRows(*imported)) << "moving the caret is no edit";
  f.Type(L"l");
  EXPECT_TRUE(AreAllCharactersInRows(*imported));
  EXPECT_FLOAT_EQ(imported->GetLayoutBox().cx, box.cx * 0.5f);
}
