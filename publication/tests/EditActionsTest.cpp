// Undoable text edits, font-face changes and page commands of the document model.
#include <gtest/gtest.h>

#include <gdi/wingdi.h>
#include <lwstr.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/FontFaceActions.h>
#include <quirebook/PageActions.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/TextEditActions.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

#include <cwchar>
#include <string>
#include <vector>

using GlyphweaveLib::CEditableTextObj;
using GlyphweaveLib::CRichFontDesc;
using GlyphweaveLib::TFontRunInfo;
using Quirebook::CReplaceEditableTextObjActionT;
using Quirebook::CUpdateEditableTextObjActionT;

namespace {

// A document that records the hints it sends to its views.
class RecordingDoc : public CPublicationDoc {
 public:
  struct Hint {
    LPARAM hint;
    Vectorloom::CRenderPage* page;
  };
  void UpdateAllViews(CView*, LPARAM hint, CObject* obj) override {
    hints.push_back({hint, Vectorloom::CWorkspaceDoc::HintPage(obj)});
  }
  std::vector<Hint> hints;
};

CRichFontDesc Face(const wchar_t* name, float size = 12.0f) {
  CRichFontDesc f;
  f.SetFontFaceName(name);
  f.m_fFontSize = size;
  return f;
}

// A laid-out text made of pieces, each typed in its own face.
CDDrawTextObj* MakeText(CPublicationDoc& doc, const std::vector<std::pair<std::wstring, const wchar_t*>>& pieces) {
  auto* text = new CDDrawTextObj;
  text->SetLayoutBox(400.0f, 200.0f);
  HDC dc = GetDC(nullptr);
  for (const auto& [chars, face] : pieces) {
    const std::wstring units = GlyphweaveLib::TextUnitsFromCodePoints(chars);
    text->InsertString(static_cast<int>(text->GetArrayOfTextCharacters().size()), units.c_str(),
                       static_cast<int>(units.size()), dc, Face(face), doc.GetEmbedFontResManager(),
                       doc.GetFontGlyphCacheManager());
  }
  ReleaseDC(nullptr, dc);
  text->RecalcuLayout(0);
  return text;
}

std::wstring Chars(const CEditableTextObj& t) { return GlyphweaveLib::CodePointsFromTextUnits(t.GetCharacters(0, -1)); }

// "len:face" for every run.
std::string Runs(const CEditableTextObj& t) {
  std::string s;
  const auto& runs = t.GetFontRuns();
  for (int r = 0; r < runs.GetSize(); ++r) {
    const std::wstring face = runs.GetAt(r).m_FontDesc.GetFontFaceNameW();
    s += std::to_string(runs.GetAt(r).m_nLength) + ":" + std::string(face.begin(), face.end()) + " ";
  }
  return s;
}

std::string Runs(const Quirebook::FontRunList& runs) {
  std::string s;
  for (const auto& r : runs) {
    const std::wstring face = r.m_FontDesc.GetFontFaceNameW();
    s += std::to_string(r.m_nLength) + ":" + std::string(face.begin(), face.end()) + " ";
  }
  return s;
}

int RowTotal(const CEditableTextObj& t) {
  int n = 0;
  const auto& rows = t.GetParagraphsLinesInfo();
  for (int r = 0; r < rows.GetSize(); ++r) n += static_cast<int>(rows.GetAt(r).m_nCharCount);
  return n;
}

// The editing tool as the actions see it.
struct FakeCaretHolder : Quirebook::ITextCaretHolder {
  const Vectorloom::CRenderBaseObj* text = nullptr;
  int caret = 0;
  const Vectorloom::CRenderBaseObj* GetEditingTextObject() const override { return text; }
  int GetCaretCode() const override { return caret; }
  void SetCaretCode(int code) override { caret = code; }
};
FakeCaretHolder g_holder;
Quirebook::ITextCaretHolder* LookupHolder(Vectorloom::CWorkspaceDoc*) { return &g_holder; }

class TextActions : public ::testing::Test {
 protected:
  void SetUp() override {
    savedLookup = Quirebook::SetCaretHolderLookup(&LookupHolder);
    page = new CDrawingPage;
    doc.GetRenderPagesArray().AddPage(page);
  }
  void TearDown() override {
    Quirebook::SetCaretHolderLookup(savedLookup);
    g_holder = FakeCaretHolder();
  }
  Quirebook::CaretHolderLookup savedLookup = nullptr;
  CDDrawTextObj* Add(CDDrawTextObj* text) {
    page->AddShapeObject(text);
    g_holder.text = text;
    return text;
  }

  RecordingDoc doc;
  CDrawingPage* page = nullptr;
};

}  // namespace

// Copy, cut and insert of runs over character ranges, with runs "abc" (Sans) "de" (Serif)
// "fgh" (Mono).
TEST(FontRunRanges, CopyRemoveAndInsertOverRunBoundaries) {
  CPublicationDoc doc;
  const struct {
    int first, last;
    const char* copied;
    const char* left;
  } cases[] = {
      {3, 4, "2:DejaVu Serif ", "3:DejaVu Sans 3:DejaVu Sans Mono "},  // a run ending exactly at first adds nothing
      {2, 5, "1:DejaVu Sans 2:DejaVu Serif 1:DejaVu Sans Mono ", "2:DejaVu Sans 2:DejaVu Sans Mono "},
      {6, -1, "2:DejaVu Sans Mono ", "3:DejaVu Sans 2:DejaVu Serif 1:DejaVu Sans Mono "},
      {0, 0, "1:DejaVu Sans ", "2:DejaVu Sans 2:DejaVu Serif 3:DejaVu Sans Mono "},
      {9, 12, "", "3:DejaVu Sans 2:DejaVu Serif 3:DejaVu Sans Mono "},
  };
  for (const auto& c : cases) {
    CDDrawTextObj* text = MakeText(doc, {{L"abc", L"DejaVu Sans"}, {L"de", L"DejaVu Serif"}, {L"fgh", L"DejaVu Sans Mono"}});
    text->AddRef();
    const std::string before = Runs(*text);
    EXPECT_EQ(Runs(Quirebook::CopyFontRuns(*text, c.first, c.last)), c.copied) << c.first;
    const auto cut = Quirebook::CutFontRuns(*text, c.first, c.last);
    EXPECT_EQ(Runs(*text), c.left) << c.first;
    // Putting the cut runs back where they came from restores the runs.
    Quirebook::InsertFontRuns(*text, c.first, cut);
    text->OptimizationFontDescs(0, -1);
    EXPECT_EQ(Runs(*text), before) << c.first;
    text->Release();
  }
}

// Typing one character, then undo and redo twice: text, caret and menu texts come back after
// each pair.
TEST_F(TextActions, TypedCharacterUndoRedoTwice) {
  CDDrawTextObj* text = Add(MakeText(doc, {{L"Hello", L"DejaVu Sans"}}));
  const int caretBefore = 4 | CEditableTextObj::kCaretBehind;  // behind "o"
  HDC dc = GetDC(nullptr);
  doc.AddEditAction(new CUpdateEditableTextObjActionT<CDDrawTextObj>(text, caretBefore, 5, 1));
  text->InsertString(5, L"!", 1, dc, Face(L"DejaVu Serif"), nullptr, doc.GetFontGlyphCacheManager());
  ReleaseDC(nullptr, dc);
  g_holder.caret = 6;
  const std::string typedRuns = Runs(*text);
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Edit Text"));
  for (int round = 0; round < 2; ++round) {
    doc.OnEditUndo();
    EXPECT_EQ(Chars(*text), L"Hello");
    EXPECT_EQ(Runs(*text), "5:DejaVu Sans ");
    EXPECT_EQ(g_holder.caret, caretBefore);
    EXPECT_EQ(RowTotal(*text), 5);
    EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Edit Text"));
    EXPECT_FALSE(doc.CanUndo());
    doc.OnEditRedo();
    EXPECT_EQ(Chars(*text), L"Hello!");
    EXPECT_EQ(Runs(*text), typedRuns);
    EXPECT_EQ(g_holder.caret, 6);
    EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Edit Text"));
  }
  ASSERT_FALSE(doc.hints.empty());
  EXPECT_EQ(doc.hints.back().hint, 2);
  EXPECT_EQ(doc.hints.back().page, page);
}

// Deletions recorded before they happen (Backspace over a selection across runs, a single
// character, a surrogate pair) come back with their faces.
TEST_F(TextActions, DeletionsComeBackWithTheirRuns) {
  const struct {
    int first, count;
    const wchar_t* left;
  } cases[] = {{2, 4, L"ab\U0001F600g"}, {0, 1, L"bcdef\U0001F600g"}, {6, 2, L"abcdefg"}};
  for (const auto& c : cases) {
    CDDrawTextObj* text = Add(MakeText(doc, {{L"abc", L"DejaVu Sans"}, {L"def", L"DejaVu Serif"}, {L"\U0001F600g", L"DejaVu Sans Mono"}}));
    const std::wstring before = Chars(*text);
    const std::string runs = Runs(*text);
    auto* action = new CUpdateEditableTextObjActionT<CDDrawTextObj>(text, c.first + c.count, false, c.first, c.count);
    ASSERT_TRUE(text->DeleteString(c.first, c.count));
    doc.AddEditAction(action);
    EXPECT_EQ(Chars(*text), c.left);
    doc.OnEditUndo();
    EXPECT_EQ(Chars(*text), before) << c.first;
    EXPECT_EQ(Runs(*text), runs) << c.first;
    EXPECT_EQ(RowTotal(*text), 9);
    doc.OnEditRedo();
    EXPECT_EQ(Chars(*text), c.left);
    page->RemoveShapeObject(text);
    doc.ClearUndoHistory();
  }
}

// Typing over a selection: the action knows how many characters replaced the range, so undo
// restores the exact text and its faces, and redo puts the typed text back.
TEST_F(TextActions, ReplaceUndoesByTheInsertedLength) {
  const struct {
    int first, last;
    const wchar_t* typed;
    const wchar_t* after;
  } cases[] = {
      {1, 4, L"X", L"aXfgh"},
      {1, 4, L"XYZWV", L"aXYZWVfgh"},  // longer than the range
      {0, -1, L"\U0001F600", L"\U0001F600"},
      {3, 3, L"", L"abcefgh"},  // a plain removal
  };
  for (const auto& c : cases) {
    CDDrawTextObj* text = Add(MakeText(doc, {{L"abc", L"DejaVu Sans"}, {L"de", L"DejaVu Serif"}, {L"fgh", L"DejaVu Sans Mono"}}));
    const std::string runs = Runs(*text);
    const std::wstring units = GlyphweaveLib::TextUnitsFromCodePoints(c.typed);
    const int n = static_cast<int>(units.size());
    auto* action = new CReplaceEditableTextObjActionT<CDDrawTextObj>(text, c.first, c.last, n);
    const int last = c.last < 0 ? 7 : c.last;
    text->DeleteString(c.first, last - c.first + 1);
    if (n) text->InsertString(c.first, units.c_str(), n, nullptr, Face(L"DejaVu Sans"), nullptr, nullptr);
    doc.AddEditAction(action);
    EXPECT_EQ(Chars(*text), c.after);
    g_holder.caret = 77;
    doc.OnEditUndo();
    EXPECT_EQ(Chars(*text), L"abcdefgh") << c.typed;
    EXPECT_EQ(Runs(*text), runs) << c.typed;
    EXPECT_EQ(g_holder.caret, c.first);
    EXPECT_EQ(action->GetMenuText(), CString(L"Redo Edit Text"));
    doc.OnEditRedo();
    EXPECT_EQ(Chars(*text), c.after);
    EXPECT_EQ(action->GetMenuText(), CString(L"Undo Edit Text"));
    doc.OnEditUndo();
    EXPECT_EQ(Chars(*text), L"abcdefgh");
    page->RemoveShapeObject(text);
    doc.ClearUndoHistory();
  }
}

// Pasting over a selection (the replace action) and at the caret (the update action), at the
// start, inside and at the end of the text, and with nothing to take away: undo restores the
// characters and faces exactly, redo the pasted ones; an empty range never stands for the whole
// text.
TEST_F(TextActions, PastesOverRangesUndoExactly) {
  const struct {
    const char* name;
    bool replace;
    int first, count;  // the range taken away (count 0: none)
    const wchar_t* pasted;
    const wchar_t* after;
    int caretAfterUndo;
  } cases[] = {
      {"abc over five", true, 1, 5, L"abc", L"aabcgh", 1},
      {"over the end", true, 6, 2, L"xyz", L"abcdefxyz", 6},
      {"over the start", true, 0, 3, L"Q", L"Qdefgh", 0},
      {"nothing taken, replace", true, 3, 0, L"12", L"abc12defgh", 3},
      {"at the start", false, 0, 0, L"12", L"12abcdefgh", 0},
      {"at the end", false, 8, 0, L"!", L"abcdefgh!", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CDDrawTextObj* text = Add(MakeText(doc, {{L"abc", L"DejaVu Sans"}, {L"de", L"DejaVu Serif"}, {L"fgh", L"DejaVu Sans Mono"}}));
    const std::string runs = Runs(*text);
    const int n = static_cast<int>(std::wcslen(c.pasted));
    Vectorloom::CBaseEditAction* action = nullptr;
    if (c.replace) {
      action = new CReplaceEditableTextObjActionT<CDDrawTextObj>(text, c.first, c.first + c.count - 1, n);
      if (c.count) text->DeleteString(c.first, c.count);
    } else {
      action = new CUpdateEditableTextObjActionT<CDDrawTextObj>(text, c.first, c.first, n);
    }
    text->InsertString(c.first, c.pasted, n, nullptr, Face(L"DejaVu Sans Mono"), nullptr, nullptr);
    doc.AddEditAction(action);
    ASSERT_EQ(Chars(*text), c.after);
    const std::string pastedRuns = Runs(*text);
    g_holder.caret = c.first + n;
    for (int round = 0; round < 2; ++round) {
      doc.OnEditUndo();
      EXPECT_EQ(Chars(*text), L"abcdefgh");
      EXPECT_EQ(Runs(*text), runs);
      EXPECT_EQ(RowTotal(*text), 8);
      EXPECT_EQ(g_holder.caret, c.caretAfterUndo);
      EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Edit Text"));
      doc.OnEditRedo();
      EXPECT_EQ(Chars(*text), c.after);
      EXPECT_EQ(Runs(*text), pastedRuns);
      EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Edit Text"));
    }
    page->RemoveShapeObject(text);
    doc.ClearUndoHistory();
  }
  // An update that recorded no characters (position 0, length 0) changes nothing either way.
  CDDrawTextObj* text = Add(MakeText(doc, {{L"abc", L"DejaVu Sans"}}));
  for (bool inserted : {true, false}) {
    doc.AddEditAction(new CUpdateEditableTextObjActionT<CDDrawTextObj>(text, 0, inserted, 0, 0));
    doc.OnEditUndo();
    EXPECT_EQ(Chars(*text), L"abc") << inserted;
    doc.OnEditRedo();
    EXPECT_EQ(Chars(*text), L"abc") << inserted;
  }
}

// The caret of a tool that edits another text is left alone.
TEST_F(TextActions, CaretOfAnotherTextStays) {
  CDDrawTextObj* text = Add(MakeText(doc, {{L"ab", L"DejaVu Sans"}}));
  CDDrawTextObj* other = Add(MakeText(doc, {{L"xy", L"DejaVu Sans"}}));
  g_holder.text = other;
  g_holder.caret = 1;
  doc.AddEditAction(new CUpdateEditableTextObjActionT<CDDrawTextObj>(text, 0, false, 0, 1));
  text->DeleteString(0, 1);
  doc.OnEditUndo();
  EXPECT_EQ(Chars(*text), L"ab");
  EXPECT_EQ(g_holder.caret, 1);
}

// ---------------------------------------------------------------------------------------------
// Font faces

TEST(FontFaceActions, ChangeOverThreeTextsIsUndoneInOneStep) {
  RecordingDoc doc;
  auto* page1 = new CDrawingPage;
  auto* page2 = new CDrawingPage;
  doc.GetRenderPagesArray().AddPage(page1);
  doc.GetRenderPagesArray().AddPage(page2);
  CDDrawTextObj* a = MakeText(doc, {{L"one", L"DejaVu Sans"}, {L"\r", L"DejaVu Sans"}});
  CDDrawTextObj* b = MakeText(doc, {{L"two", L"DejaVu Serif"}});
  CDDrawTextObj* c = MakeText(doc, {{L"thr", L"DejaVu Sans"}, {L"ee", L"DejaVu Sans Mono"}});
  auto* shape = new Vectorloom::CBaseShapeObj;
  auto* group = new Vectorloom::CRenderGroupObj;
  group->GetChildList().AddElement(c);
  page2->AddShapeObject(a);
  page2->AddShapeObject(shape);
  page2->AddShapeObject(group);
  page1->AddShapeObject(b);
  Vectorloom::CRenderBaseObjectList selection;
  selection.AddElement(a);
  selection.AddElement(shape);
  selection.AddElement(b);
  selection.AddElement(group);
  const std::string runsA = Runs(*a), runsB = Runs(*b), runsC = Runs(*c);
  const float widthA = a->GetParagraphsLinesInfo().GetAt(0).m_fWidth;

  auto* action = new CUpdateTextsFontFaceAction;
  EXPECT_EQ(action->BackupTextObject(shape, 0, -1), 0);
  EXPECT_EQ(action->BackupTextObject(nullptr, 0, -1), 0);
  GlyphweaveLib::_CharsFontDesc mono(L"DejaVu Sans Mono", 0, 0, -1);
  doc.UpdateAllTextsFontFace(mono, selection, action);
  ASSERT_EQ(action->GetSegmentCount(), 3);
  EXPECT_EQ(Runs(*a), "3:DejaVu Sans Mono 1:DejaVu Sans ");  // the closing mark keeps its face
  EXPECT_EQ(Runs(*c), "5:DejaVu Sans Mono ");
  EXPECT_NE(a->GetParagraphsLinesInfo().GetAt(0).m_fWidth, widthA);  // laid out in the new face

  doc.AddEditAction(action);
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Change Font"));
  doc.hints.clear();
  doc.OnEditUndo();
  EXPECT_EQ(Runs(*a), runsA);
  EXPECT_EQ(Runs(*b), runsB);
  EXPECT_EQ(Runs(*c), runsC);
  EXPECT_FLOAT_EQ(a->GetParagraphsLinesInfo().GetAt(0).m_fWidth, widthA);
  ASSERT_EQ(doc.hints.size(), 1u);
  EXPECT_EQ(doc.hints[0].hint, 2);
  EXPECT_EQ(doc.hints[0].page, page2);
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo Change Font"));
  doc.OnEditRedo();
  EXPECT_EQ(Runs(*b), "3:DejaVu Sans Mono ");

  // Texts that have the face already leave nothing in a new action.
  auto* again = new CUpdateTextsFontFaceAction;
  doc.UpdateAllTextsFontFace(mono, selection, again);
  EXPECT_EQ(again->GetSegmentCount(), 0);
  delete again;
}

TEST(FontFaceActions, PreviewSceneRestoresTheRunsFromBeforeThePreview) {
  RecordingDoc doc;
  CDDrawTextObj* text = MakeText(doc, {{L"abc", L"DejaVu Sans"}, {L"def", L"DejaVu Serif"}});
  text->AddRef();
  const std::string before = Runs(*text);
  CPreviewChangeEditingTextFontFaceSence scene;
  EXPECT_EQ(scene.GetBackup()->BackupTextObject(text, 1, 4), 1);
  for (const wchar_t* face : {L"DejaVu Sans Mono", L"DejaVu Serif"})
    text->SetSelectionCharsFormat(1, 4, GlyphweaveLib::_CharsFontDesc(face, 0, 0, -1), nullptr,
                                  doc.GetFontGlyphCacheManager());
  EXPECT_NE(Runs(*text), before);
  Vectorloom::CBasePreviewScene* base = &scene;
  EXPECT_TRUE(base->IsKindOf(RUNTIME_CLASS(CPreviewChangeEditingTextFontFaceSence)));
  base->RestoreScene(&doc, nullptr, Vectorloom::CRenderBaseObjectList());
  EXPECT_EQ(Runs(*text), before);

  // Deleted unrestored (its view went mid-preview): the faces come back all the same; deleted
  // after its backup became an undo step: the faces stay.
  for (bool committed : {false, true}) {
    auto* open = new CPreviewChangeEditingTextFontFaceSence(&doc);
    open->GetBackup()->BackupTextObject(text, 0, 2);
    text->SetSelectionCharsFormat(0, 2, GlyphweaveLib::_CharsFontDesc(L"DejaVu Sans Mono", 0, 0, -1), nullptr,
                                  doc.GetFontGlyphCacheManager());
    std::unique_ptr<CUpdateTextsFontFaceAction> step(committed ? open->DetachBackup() : nullptr);
    delete open;
    EXPECT_EQ(Runs(*text) == before, !committed) << committed;
    if (step) step->Undo(&doc);
    EXPECT_EQ(Runs(*text), before);
  }
  text->Release();
}

// ---------------------------------------------------------------------------------------------
// Pages

namespace {

struct PageEvent {
  Vectorloom::CWorkspaceDoc* doc;
  int event;
};
std::vector<PageEvent> g_events;
void RecordEvent(Vectorloom::CWorkspaceDoc* doc, int event, long) { g_events.push_back({doc, event}); }

class PageActions : public ::testing::Test {
 protected:
  void SetUp() override { Reset(); }
  void Reset() {
    doc.ClearUndoHistory();
    doc.GetRenderPagesArray().RemoveAllPages();
    for (int i = 0; i < 5; ++i) {
      pages[i] = new CDrawingPage;
      doc.GetRenderPagesArray().AddPage(pages[i]);
    }
    g_events.clear();
  }
  void TearDown() override { Quirebook::SetViewEventSender(savedSender); }
  Quirebook::ViewEventSender savedSender = Quirebook::SetViewEventSender(&RecordEvent);
  // The document's pages as their original numbers, "13245".
  std::string Order() const {
    std::string s;
    for (auto* p : doc.GetRenderPagesArray())
      for (int i = 0; i < 5; ++i)
        if (p == pages[i]) s += static_cast<char>('1' + i);
    return s;
  }
  RecordingDoc doc;
  CDrawingPage* pages[5] = {};
};

}  // namespace

// Each page command as the page commands record it: the state after the command, after Undo
// and after Redo.
TEST_F(PageActions, CommandsUndoAndRedo) {
  const struct {
    const char* command;
    std::vector<int> selection;  // 0-based
    const char* done;
  } cases[] = {
      {"Delete Pages", {1, 3}, "135"},
      {"Move to First", {2, 4}, "35124"},
      {"Move to Last", {0, 1}, "34512"},
      {"Move Next", {1}, "13245"},
      {"Reverse Order", {}, "54321"},
  };
  for (const auto& c : cases) {
    Reset();
    Vectorloom::CBaseEditAction* action = nullptr;
    auto& arr = doc.GetRenderPagesArray();
    const std::string command = c.command;
    if (command == "Delete Pages") {
      auto* a = new CUpdateRenderPagesAction(CString(L"Delete Pages"), false);
      for (int k = static_cast<int>(c.selection.size()) - 1; k >= 0; --k) {
        a->BackupPageAndOrder(arr.GetAt(c.selection[k]), c.selection[k]);
        arr.RemovePage(c.selection[k]);
      }
      action = a;
    } else if (command == "Reverse Order") {
      arr.ReverseOrder();
      action = new CReverseAllPagesOrderAction;
    } else {
      auto* a = new CUpdateRenderPagesOrderAction(CString(lw::Utf8ToWide(command).c_str()));
      std::vector<Vectorloom::CRenderPage*> moved;
      for (int i : c.selection) {
        a->BackupPageItem(arr.GetAt(i), i);
        moved.push_back(arr.GetAt(i));
      }
      for (auto* p : moved) {
        p->AddRef();
        arr.RemovePage(p);
      }
      int at = command == "Move to First" ? 0 : command == "Move Next" ? c.selection[0] + 1 : arr.GetCount();
      for (auto* p : moved) {
        arr.InsertPage(at++, p);
        p->Release();
      }
      action = a;
    }
    ASSERT_EQ(Order(), c.done) << c.command;
    doc.AddEditAction(action);
    EXPECT_EQ(doc.GetUndoMenuText(), L"Undo " + CString(lw::Utf8ToWide(command).c_str()));
    doc.OnEditUndo();
    EXPECT_EQ(Order(), "12345") << c.command;
    EXPECT_EQ(doc.GetRedoMenuText(), L"Redo " + CString(lw::Utf8ToWide(command).c_str()));
    doc.OnEditRedo();
    EXPECT_EQ(Order(), c.done) << c.command;
    EXPECT_EQ(doc.GetUndoMenuText(), L"Undo " + CString(lw::Utf8ToWide(command).c_str()));
    doc.OnEditUndo();
    EXPECT_EQ(Order(), "12345") << c.command;
  }
}

// Pages deleted and undone come back at their places as the same objects; every removal tells
// the editing view (event 13) and the views are sent to a page that is in the document.
TEST_F(PageActions, RemovalsTellTheViewAndShowAPageOfTheDocument) {
  auto& arr = doc.GetRenderPagesArray();
  auto* del = new CUpdateRenderPagesAction(CString(L"Delete Pages"), false);
  for (int i : {3, 1}) {
    del->BackupPageAndOrder(arr.GetAt(i), i);
    arr.RemovePage(i);
  }
  doc.AddEditAction(del);
  doc.OnEditUndo();
  EXPECT_EQ(Order(), "12345");
  EXPECT_EQ(arr.GetAt(1), pages[1]);
  EXPECT_EQ(arr.GetAt(3), pages[3]);
  EXPECT_TRUE(g_events.empty());  // nothing left the document
  ASSERT_FALSE(doc.hints.empty());
  EXPECT_EQ(doc.hints.back().hint, 3);
  EXPECT_EQ(doc.hints.back().page, pages[1]);
  doc.OnEditRedo();
  EXPECT_EQ(Order(), "135");
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(g_events[0].event, 13);
  EXPECT_EQ(doc.hints.back().page, pages[2]);  // now at index 1

  // A new last page, then Undo: the page leaves, the view goes to the page now last.
  auto* added = new CDrawingPage;
  arr.AddPage(added);
  auto* add = new CUpdateRenderPagesAction(CString(L"New Page"), true);
  add->BackupPageOrder(arr.GetCount() - 1);
  doc.AddEditAction(add);
  g_events.clear();
  doc.OnEditUndo();
  EXPECT_EQ(Order(), "135");
  ASSERT_EQ(g_events.size(), 1u);
  EXPECT_EQ(doc.hints.back().hint, 3);
  EXPECT_EQ(doc.hints.back().page, pages[4]);
  EXPECT_EQ(doc.GetRedoMenuText(), CString(L"Redo New Page"));
  doc.OnEditRedo();
  EXPECT_EQ(arr.GetAt(3), added);
  EXPECT_EQ(g_events.size(), 1u);
}

TEST_F(PageActions, BackupKeepsIndexesAscending) {
  CUpdateRenderPagesAction a(CString(L"Delete Pages"), false);
  a.BackupPageAndOrder(pages[3], 3);
  a.BackupPageAndOrder(pages[0], 0);
  a.BackupPageAndOrder(pages[2], 2);
  a.BackupPageAndOrder(pages[4], 2);  // equal indexes keep their order
  const int expected[] = {0, 2, 2, 3};
  const CDrawingPage* expectedPages[] = {pages[0], pages[2], pages[4], pages[3]};
  ASSERT_EQ(a.GetRecordCount(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(a.GetRecordedIndex(i), expected[i]);
    EXPECT_EQ(a.GetRecordedPage(i), expectedPages[i]);
  }
}
