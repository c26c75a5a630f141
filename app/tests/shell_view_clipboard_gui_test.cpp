// The editing view's Copy, Cut, Paste and Delete through the desktop clipboard (under Xvfb):
// objects copied from one document paste into another as copies named "Copy Of ...", Delete and
// Cut ask first and keep everything on No, Paste with nothing of ours reports it, and the
// commands are enabled only when they can act.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "GuiTestHarness.h"

#include <lwstr.h>

#include "../../resources/resource.h"
#include "EditTestKit.h"
#include <quirebook/TextTools.h>
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PageShapeObj.h"
#include "TestSupport.h"

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
  bool enabled = false;
};

std::vector<std::wstring> g_boxes;
int g_answer = IDYES;
int AnswerBox(const wchar_t* text, const wchar_t*, UINT) {
  g_boxes.emplace_back(text);
  return g_answer;
}

// A new one-page document and its view; `shapes` named rectangles on the page.
struct Side {
  explicit Side(const std::vector<const wchar_t*>& names) {
    doc.m_bAutoDelete = FALSE;
    EXPECT_TRUE(doc.OnNewDocument());
    view = new CLeafwrightView;
    doc.AddView(view);
    view->SetViewHost(&host);
    view->OnUpdate(nullptr, 3, nullptr);
    float x = 10;
    for (const wchar_t* name : names) {
      auto* shape = new CPageShapeObj;
      shape->AddRectanglePath(Vectorloom::CQorVectorRect<float>(0, 0, 40, 30));
      shape->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, 20), true);
      shape->SetObjectName(name);
      shape->CreatePathStorage();
      view->GetShownPage()->AddShapeObject(shape);
      x += 60;
    }
  }
  ~Side() {
    doc.RemoveView(view);
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> out;
    for (Vectorloom::CRenderBaseObj* o : view->GetShownPage()->GetRenderObjectList())
      out.push_back(lw::Utf8ToWide(lw::WideToUtf8(std::wstring(o->GetObjectName().GetString()))));
    return out;
  }
  Vectorloom::CRenderBaseObj* At(int i) const { return view->GetShownPage()->GetRenderObjectList()[i]; }
  bool Enabled(UINT id) {
    UpdateProbe probe(id);
    view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &probe, nullptr);
    return probe.enabled;
  }
  void Run(UINT id) { view->OnCmdMsg(id, CN_COMMAND, nullptr, nullptr); }

  Host host;
  CLeafwrightDoc doc;
  CLeafwrightView* view = nullptr;
};

void ClearClipboard() {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
}

struct BoxHook {
  BoxHook() {
    g_boxes.clear();
    lwmfc::SetMessageBoxHook(&AnswerBox);
  }
  ~BoxHook() { lwmfc::SetMessageBoxHook(&guitest::UnexpectedMessageBox); }
};

CString Text(UINT id) {
  CString s;
  s.LoadString(id);
  return s;
}

}  // namespace

TEST(EditingViewClipboard, CopiedObjectsPasteIntoAnotherDocumentInPageOrder) {
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  ClearClipboard();
  BoxHook hook;
  Side from({L"A", L"B", L"C"});
  Side into({L"Own"});
  EXPECT_FALSE(from.Enabled(ID_EDIT_COPY));
  EXPECT_FALSE(into.Enabled(ID_EDIT_PASTE));
  // Selected last-to-first; the copy keeps the page's order.
  from.view->SelectRenderObject(from.At(2), false);
  from.view->SelectRenderObject(from.At(0), true);
  EXPECT_TRUE(from.Enabled(ID_EDIT_COPY));
  EXPECT_TRUE(from.Enabled(ID_EDIT_CUT));
  EXPECT_TRUE(from.Enabled(ID_EDIT_CLEAR));
  from.Run(ID_EDIT_COPY);
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_TRUE(into.Enabled(ID_EDIT_PASTE));
  into.Run(ID_EDIT_PASTE);
  EXPECT_TRUE(g_boxes.empty());
  EXPECT_EQ(into.Names(), (std::vector<std::wstring>{L"Own", L"Copy Of A", L"Copy Of C"}));
  // The pasted objects are selected, the copied ones untouched, and Undo takes the paste back.
  EXPECT_EQ(into.view->GetSelectedObjectsCount(), 2);
  EXPECT_EQ(from.Names(), (std::vector<std::wstring>{L"A", L"B", L"C"}));
  into.Run(Vectorloom::kIdEditUndo);
  EXPECT_EQ(into.Names(), (std::vector<std::wstring>{L"Own"}));
}

TEST(EditingViewClipboard, DeleteAndCutAskFirst) {
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  struct Case {
    const char* what;
    UINT command;
    int answer;
    std::vector<std::wstring> left;
    bool onClipboard;
  } cases[] = {
      {"delete, no", ID_EDIT_CLEAR, IDNO, {L"A", L"B"}, false},
      {"delete, yes", ID_EDIT_CLEAR, IDYES, {L"A"}, false},
      {"cut, no", ID_EDIT_CUT, IDNO, {L"A", L"B"}, true},
      {"cut, yes", ID_EDIT_CUT, IDYES, {L"A"}, true},
  };
  for (const Case& c : cases) {
    ClearClipboard();
    BoxHook hook;
    g_answer = c.answer;
    Side side({L"A", L"B"});
    side.view->SelectRenderObject(side.At(1), false);
    side.Run(c.command);
    ASSERT_EQ(g_boxes.size(), 1u) << c.what;
    EXPECT_EQ(g_boxes[0], std::wstring(Text(IDS_DELETE_SELECTED).GetString())) << c.what;
    EXPECT_EQ(side.Names(), c.left) << c.what;
    EXPECT_EQ(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"Norvane Leafwright")) != FALSE, c.onClipboard)
        << c.what;
  }
  g_answer = IDYES;
}

TEST(EditingViewClipboard, PasteWithoutOurObjectsOrAPictureIsReported) {
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;  // what another program put under our format (empty: text only)
  } cases[] = {
      {"only text", {}},
      {"not our stream", {'E', 'P', 'D', 'F', '1', '9', '9', '9', 0, 0, 0, 0}},
      {"cut short", {'E', 'P', 'D', 'F', '2', '0', '0', '0', '2', '0', '1', '0', 'O', 'b'}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    const char16_t text[] = u"hello";
    HGLOBAL t = GlobalAlloc(GMEM_MOVEABLE, sizeof text);
    std::memcpy(GlobalLock(t), text, sizeof text);
    GlobalUnlock(t);
    SetClipboardData(CF_UNICODETEXT, t);
    if (!c.bytes.empty()) {
      HGLOBAL b = GlobalAlloc(GMEM_MOVEABLE, c.bytes.size());
      std::memcpy(GlobalLock(b), c.bytes.data(), c.bytes.size());
      GlobalUnlock(b);
      SetClipboardData(RegisterClipboardFormatW(L"Norvane Leafwright"), b);
    }
    CloseClipboard();
    BoxHook hook;
    Side side({L"A"});
    side.Run(ID_EDIT_PASTE);
    ASSERT_EQ(g_boxes.size(), 1u) << c.what;
    EXPECT_EQ(g_boxes[0], std::wstring(Text(IDS_PASTE_FAILED).GetString())) << c.what;
    EXPECT_EQ(side.Names(), (std::vector<std::wstring>{L"A"})) << c.what;
  }
}

namespace {

void PutText(const std::u16string& text, bool terminated) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const size_t bytes = (text.size() + (terminated ? 1 : 0)) * sizeof(char16_t);
  HGLOBAL t = GlobalAlloc(GMEM_MOVEABLE, bytes ? bytes : 2);
  std::memcpy(GlobalLock(t), text.c_str(), bytes);
  GlobalUnlock(t);
  SetClipboardData(CF_UNICODETEXT, t);
  CloseClipboard();
}

std::u16string Characters(const Quirebook::CDDrawTextObj& text) {
  std::u16string out;
  for (const auto& c : text.GetArrayOfTextCharacters()) out.push_back(c.GetCharacter());
  return out;
}

}  // namespace

// Text from another program pastes into the edited text at the caret or over the selected
// characters, line ends becoming paragraph breaks, as one step that Undo and Redo take back and
// forth; without an edited text, text alone on the clipboard pastes nothing.
TEST(EditingViewClipboard, TextPastesIntoTheEditedText) {
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  const struct {
    const char* what;
    std::u16string clip;
    bool terminated;
    int caret, selStart, selEnd;
    std::u16string after;
  } cases[] = {
      {"at the caret", u"xy", true, 1, 1, 1, u"axybcd"},
      {"over a selection", u"Z", true, 1, 1, 3, u"aZd"},
      {"line ends", u"1\r\n2\n3\t", true, 4, 4, 4, u"abcd1\r2\r3"},
      {"no terminator", u"pq", false, 0, 0, 0, u"pqabcd"},
      {"a character beyond the first plane", u"\U0001F642", true, 2, 2, 2, u"ab\U0001F642cd"},
  };
  for (const auto& c : cases) {
    BoxHook hook;
    Side side({});
    Quirebook::CDDrawTextObj* text = edittest::MakeText(L"abcd");
    side.view->GetShownPage()->AddShapeObject(text);
    side.view->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
    CEditingTextTool& tool = CPublicationView::g_EditingTextTool;
    tool.SetEditingText(text);
    tool.SetCaretCode(c.caret);
    tool.SetSelection(c.selStart, c.selEnd);
    PutText(c.clip, c.terminated);
    EXPECT_TRUE(side.Enabled(ID_EDIT_PASTE)) << c.what;
    side.Run(ID_EDIT_PASTE);
    EXPECT_TRUE(g_boxes.empty()) << c.what;
    EXPECT_EQ(Characters(*text), c.after) << c.what;
    side.Run(Vectorloom::kIdEditUndo);
    EXPECT_EQ(Characters(*text), u"abcd") << c.what;
    side.Run(Vectorloom::kIdEditRedo);
    EXPECT_EQ(Characters(*text), c.after) << c.what;
    tool.SetEditingText(nullptr);
    side.view->UpdateEditingTool(nullptr);
  }
  // Not editing: text alone is no paste.
  BoxHook hook;
  Side side({L"A"});
  PutText(u"hello", true);
  EXPECT_FALSE(side.Enabled(ID_EDIT_PASTE));
}
