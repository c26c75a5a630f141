// A publication view without a window: a recording host, a document with one page, and points
// given in page coordinates.
#pragma once

#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/PublicationView.h>
#include <vectorloom/ViewHost.h>

#include <cmath>
#include <map>
#include <string>

namespace pubtest {

class RecordingHost : public Vectorloom::IViewHost {
 public:
  void InvalidateRect(const RECT*) override { ++invalidations; }
  void SetTimer(UINT_PTR id, UINT ms) override { timers[id] = ms; }
  void KillTimer(UINT_PTR id) override { timers.erase(id); }
  void SetCapture() override { capture = true; }
  void ReleaseCapture() override { capture = false; }
  bool HasCapture() const override { return capture; }
  void SetCursor(HCURSOR h) override { cursor = h; }
  CDC* GetDC() override { return nullptr; }
  void ReleaseDC(CDC*) override {}
  CSize GetClientSize() const override { return {800, 600}; }

  int invalidations = 0;
  bool capture = false;
  HCURSOR cursor = nullptr;  // the last one the view set
  std::map<UINT_PTR, UINT> timers;
};

// The program's document makes the text objects the text tool draws.
class TextMakingDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    return type == Vectorloom::RENDER_OBJ_TEXT ? new CDDrawTextObj : CPublicationDoc::CreateNewObject(type);
  }
};

class TestPublicationView : public CPublicationView {
 public:
  // Puts a preview scene in place as a preview command would.
  void SetPreviewSceneForTest(Vectorloom::CBasePreviewScene* scene) {
    DestroyPreviewScene();
    m_pPreviewScene = scene;
  }
};

// A document of one 400 x 300 page in a view at 100 %.
struct PubViewFixture {
  PubViewFixture() {
    doc.SetDocumentSize(Vectorloom::CQorVectorSize<float>(400, 300), 0);
    page = new CDrawingPage;
    doc.GetRenderPagesArray().AddPage(page);
    view = new TestPublicationView;
    view->m_pDocument = &doc;
    doc.AddView(view);
    view->SetViewHost(&host);
    view->SetRenderPage(page);
    view->ZoomView(100);
  }
  ~PubViewFixture() {
    view->UpdateEditingTool(nullptr);
    doc.RemoveView(view);
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  PubViewFixture(const PubViewFixture&) = delete;
  PubViewFixture& operator=(const PubViewFixture&) = delete;

  CPoint Client(float x, float y) const {
    const Vectorloom::CQorVectorPoint<float> lp = view->MapFromPic(Vectorloom::CQorVectorPoint<float>(x, y));
    const CPoint scroll = view->GetDeviceScrollPosition();
    return CPoint(static_cast<long>(std::lround(lp.x)) - scroll.x, static_cast<long>(std::lround(lp.y)) - scroll.y);
  }
  void Down(float x, float y) { view->OnLButtonDown(MK_LBUTTON, Client(x, y)); }
  void Move(float x, float y) { view->OnMouseMove(MK_LBUTTON, Client(x, y)); }
  void Up(float x, float y) { view->OnLButtonUp(0, Client(x, y)); }
  void Drag(float x0, float y0, float x1, float y1) {
    Down(x0, y0);
    Move((x0 + x1) / 2, (y0 + y1) / 2);
    Move(x1, y1);
    Up(x1, y1);
  }
  void DblClk(float x, float y) { view->OnLButtonDblClk(MK_LBUTTON, Client(x, y)); }
  // Types code points one by one as WM_CHAR brings them.
  void Type(const std::wstring& text) {
    for (wchar_t c : text) view->OnChar(static_cast<UINT>(c), 1, 0);
  }

  TextMakingDoc doc;
  CDrawingPage* page;
  RecordingHost host;
  TestPublicationView* view;
};

}  // namespace pubtest
