// A workspace view without a window: a recording host, a document with one page, and mouse
// sequences given in page coordinates.
#pragma once

#include <vectorloom/GroupObj.h>
#include <vectorloom/ViewActions.h>
#include <vectorloom/WorkspaceView.h>

#include <map>
#include <set>
#include <vector>

#include <ostream>

inline void PrintTo(const CRect& r, std::ostream* os) {
  *os << "(" << r.left << ", " << r.top << ")-(" << r.right << ", " << r.bottom << ")";
}
inline void PrintTo(const CPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace vltest {

using namespace Vectorloom;

class RecordingHost : public IViewHost {
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
  CSize GetClientSize() const override { return client; }

  int invalidations = 0;
  bool capture = false;
  HCURSOR cursor = nullptr;  // the last one the view set
  std::map<UINT_PTR, UINT> timers;
  CSize client{800, 600};
};

class TestView : public CWorkspaceView {
 public:
  TestView() = default;
  void ProcessEvent(int nEvent, LPARAM lParam) override { events.emplace_back(nEvent, lParam); }
  bool IsObjectLocked(const CRenderBaseObj* pObj) const override { return locked.count(pObj) != 0; }
  // Puts a preview in force (the view owns the scene from then on).
  void SetPreviewScene(CBasePreviewScene* scene) { m_pPreviewScene = scene; }

  std::vector<std::pair<int, LPARAM>> events;
  std::set<const CRenderBaseObj*> locked;
};

// One mouse or key event; points in page coordinates.
struct Step {
  enum Kind { Down, Move, Up, DblClk, Key } kind;
  float x = 0, y = 0;
  UINT flags = 0;  // MK_ flags, or the virtual key
};

inline Step Down(float x, float y, UINT f = 0) { return {Step::Down, x, y, f}; }
inline Step Move(float x, float y, UINT f = MK_LBUTTON) { return {Step::Move, x, y, f}; }
inline Step Up(float x, float y, UINT f = 0) { return {Step::Up, x, y, f}; }
inline Step Dbl(float x, float y) { return {Step::DblClk, x, y, 0}; }
inline Step Key(UINT vk) { return {Step::Key, 0, 0, vk}; }

// A document of one 400 x 300 page, shown 800 x 600 at a zoom.
struct ViewFixture {
  explicit ViewFixture(float zoom = 100) {
    doc.SetDocumentSize(CQorVectorSize<float>(400, 300), 0);
    page = new CRenderPage;
    doc.m_arrPages.AddPage(page);
    view = new TestView;
    view->m_pDocument = &doc;
    view->SetViewHost(&host);
    view->SetRenderPage(page);
    view->ZoomView(zoom);
  }
  ~ViewFixture() {
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  ViewFixture(const ViewFixture&) = delete;
  ViewFixture& operator=(const ViewFixture&) = delete;

  CPoint Client(float x, float y) const {
    const CQorVectorPoint<float> lp = view->MapFromPic(CQorVectorPoint<float>(x, y));
    const CPoint scroll = view->GetDeviceScrollPosition();
    return CPoint(static_cast<long>(std::lround(lp.x)) - scroll.x, static_cast<long>(std::lround(lp.y)) - scroll.y);
  }
  void Run(const std::vector<Step>& steps) {
    for (const Step& s : steps) {
      const CPoint p = Client(s.x, s.y);
      switch (s.kind) {
        case Step::Down: view->OnLButtonDown(s.flags | MK_LBUTTON, p); break;
        case Step::Move: view->OnMouseMove(s.flags, p); break;
        case Step::Up: view->OnLButtonUp(s.flags, p); break;
        case Step::DblClk: view->OnLButtonDblClk(MK_LBUTTON, p); break;
        case Step::Key: view->OnKeyDown(s.flags, 1, 0); break;
      }
    }
  }
  // A filled rectangle shape on the page at (l, t) - (r, b), its matrix a translation.
  CCustomPathObj* AddRect(float l, float t, float r, float b) {
    auto* s = new CCustomPathObj;
    s->AddRectanglePath(CQorVectorRect<float>(0, 0, r - l, b - t));
    s->SetTransMatrix(CQorTransMatrix::Translation(l, t), true);
    page->AddShapeObject(s);
    return s;
  }
  const CRenderBaseObjectList& Objects() const { return page->GetRenderObjectList(); }
  void Undo() { view->OnEditUndo(); }
  void Redo() { view->OnEditRedo(); }

  CWorkspaceDoc doc;
  CRenderPage* page;
  RecordingHost host;
  TestView* view;
};

}  // namespace vltest
