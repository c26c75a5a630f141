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
