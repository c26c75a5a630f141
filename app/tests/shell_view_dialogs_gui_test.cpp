// The editing view's Custom Width and Custom Angle commands with their real dialogs (under Xvfb):
// the dialog opens with the selection's value and previews what is typed; Cancel leaves the
// document as it was; OK applies the value as one step whose Undo gives back the value from
// before the dialog, not a previewed one. A save while a preview shows writes the real values.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "GuiTestHarness.h"

#include <afxdialog.h>
#include <EditParam1Dlg.h>
#include <lwstr.h>

#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PageShapeObj.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

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

CLeafwrightView* g_view = nullptr;
IOneValuePreview* ActiveView() { return g_view; }

std::function<void(CDialog*)> g_body;
void RunBody(CDialog* p) {
  auto fn = std::move(g_body);
  g_body = nullptr;
  if (fn) fn(p);
}

// A new one-page document, its view, and a selected rectangle with a 4-pixel (3 pt) outline at
// no angle.
struct Fixture {
  Fixture() {
    setenv("HOME", dir.path().c_str(), 1);
    doc.m_bAutoDelete = FALSE;
    EXPECT_TRUE(doc.OnNewDocument());
    view = new CLeafwrightView;
    doc.AddView(view);
    view->SetViewHost(&host);
    view->OnUpdate(nullptr, 3, nullptr);
    shape = new CPageShapeObj;
    shape->AddRectanglePath(Vectorloom::CQorVectorRect<float>(0, 0, 100, 50));
    shape->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(200, 300), true);
    shape->SetStrokeOutlineFlag(1);
    shape->SetStrokeKind(Vectorloom::RENDER_KIND_SOLID);
    shape->SetStrokeWidth(4);
    shape->CreatePathStorage();
    view->GetShownPage()->AddShapeObject(shape);
    view->SelectRenderObject(shape, false);
    g_view = view;
    SetActivePreviewSource(&ActiveView);
    lwmfc::SetModalDialogHook(&RunBody);
  }
  ~Fixture() {
    lwmfc::SetModalDialogHook(nullptr);
    SetActivePreviewSource(nullptr);
    g_view = nullptr;
    doc.RemoveView(view);
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;

  lwtest::TempDir dir;
  Host host;
  CLeafwrightDoc doc;
  CLeafwrightView* view = nullptr;
  CPageShapeObj* shape = nullptr;
};

void Type(CDialog* p, const wchar_t* text) { lwmfc::SimulateTyping(p->GetDlgItem(IDC_EDITPARAM1_VALUE), text); }
void Press(CDialog* p, int id) { p->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

TEST(EditingViewDialogs, CancelLeavesTheDocumentOkIsOneStepUndoneToTheValueBefore) {
  struct Case {
    const char* what;
    UINT command;
    std::function<float(const CPageShapeObj&)> read;
    float before;       // the shape's value
    const wchar_t* opensWith;
    const wchar_t* typed;
    float previewed;    // the shape's value while the typed value shows
  } const cases[] = {
      {"width", ViewCmd::kCustomStrokeWidth, [](const CPageShapeObj& s) { return s.GetStrokeWidth(); }, 4, L"3", L"12", 16},
      {"angle", ViewCmd::kCustomRotation, [](const CPageShapeObj& s) { return static_cast<float>(s.GetRotatedAngle()); }, 0,
       L"0", L"90", 90},
  };
  for (const Case& c : cases) {
    for (const int answer : {IDCANCEL, IDOK}) {
      SCOPED_TRACE(std::string(c.what) + (answer == IDOK ? " OK" : " Cancel"));
      Fixture f;
      f.doc.SetModifiedFlag(FALSE);
      const CString undo = f.doc.GetUndoMenuText();
      CString shown;
      float whilePreviewed = -1;
      g_body = [&](CDialog* dlg) {
        dlg->GetDlgItem(IDC_EDITPARAM1_VALUE)->GetWindowText(shown);
        Type(dlg, c.typed);
        whilePreviewed = c.read(*f.shape);
        Press(dlg, answer);
      };
      f.view->OnCmdMsg(c.command, CN_COMMAND, nullptr, nullptr);
      EXPECT_EQ(shown, c.opensWith);
      EXPECT_FLOAT_EQ(whilePreviewed, c.previewed) << "the typed value is previewed";
      EXPECT_EQ(f.view->GetPreviewScene(), nullptr) << "the preview is over";
      if (answer == IDCANCEL) {
        EXPECT_FLOAT_EQ(c.read(*f.shape), c.before);
        EXPECT_EQ(f.doc.GetUndoMenuText(), undo);
        EXPECT_FALSE(f.doc.IsModified());
        continue;
      }
      EXPECT_FLOAT_EQ(c.read(*f.shape), c.previewed);
      EXPECT_NE(f.doc.GetUndoMenuText(), undo);
      EXPECT_TRUE(f.doc.IsModified());
      f.doc.OnEditUndo();
      EXPECT_FLOAT_EQ(c.read(*f.shape), c.before) << "Undo gives the value from before the dialog";
    }
  }
}

TEST(EditingViewDialogs, SavingDuringAPreviewWritesTheRealValues) {
  Fixture f;
  f.view->PreviewModifyShapeObjsStrokeWidth(20);
  ASSERT_FLOAT_EQ(f.shape->GetStrokeWidth(), 20);
  const fs::path saved = f.dir / "saved.lfw";
  ASSERT_TRUE(f.doc.OnSaveDocument(lw::Utf8ToWide(saved.string()).c_str()));
  EXPECT_FLOAT_EQ(f.shape->GetStrokeWidth(), 4);
  EXPECT_EQ(f.view->GetPreviewScene(), nullptr);

  CLeafwrightDoc again;
  again.m_bAutoDelete = FALSE;
  ASSERT_TRUE(again.OnOpenDocument(lw::Utf8ToWide(saved.string()).c_str()));
  CDrawingPage* page = again.GetDrawingPage(0);
  page->LoadPageContent(&again);
  auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(page->GetRenderObjectList().GetTail());
  ASSERT_NE(shape, nullptr);
  EXPECT_FLOAT_EQ(shape->GetStrokeWidth(), 4);
  again.DeleteContents();
}

}  // namespace
