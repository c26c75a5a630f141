// The workspace view's interactive paths on a page of 2,000 shapes: one mouse step of a drag that
// moves 500 selected shapes, and one paint of an 800 x 600 view with their selection marks.
#include <benchmark/benchmark.h>
#include <gdiplus.h>
#include <vectorloom/WorkspaceView.h>

using namespace Vectorloom;

namespace {

constexpr int kColumns = 50, kRows = 40;  // 2,000 objects, 20 pixels apart
constexpr int kSelected = 500;

class QuietHost : public IViewHost {
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
  CSize GetClientSize() const override { return CSize(800, 600); }
};

class BenchView : public CWorkspaceView {
 public:
  BenchView() = default;
};

struct Scene {
  CWorkspaceDoc doc;
  CRenderPage* page = new CRenderPage;
  QuietHost host;
  BenchView* view = new BenchView;
  Scene() {
    doc.SetDocumentSize(CQorVectorSize<float>(kColumns * 20.0f, kRows * 20.0f), 0);
    doc.m_arrPages.AddPage(page);
    for (int i = 0; i < kColumns * kRows; ++i) {
      auto* s = new CCustomPathObj;
      s->AddRectanglePath({0, 0, 16, 16});
      s->SetFillColor(RGB(200, 40, 40));
      s->SetTransMatrix(CQorTransMatrix::Translation((i % kColumns) * 20.0f, (i / kColumns) * 20.0f), true);
      page->AddShapeObject(s);
    }
    view->m_pDocument = &doc;
    view->SetViewHost(&host);
    view->SetRenderPage(page);
    for (int i = 0; i < kSelected; ++i) view->SelectRenderObject(page->GetRenderObjectList().GetAt(i), true);
  }
  ~Scene() {
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
};

void BM_DragStepOf500SelectedShapes(benchmark::State& state) {
  Scene s;
  const CQorVectorPoint<float> lp = s.view->MapFromPic(CQorVectorPoint<float>(8, 8));
  const CPoint start(static_cast<long>(lp.x), static_cast<long>(lp.y));
  s.view->OnLButtonDown(MK_LBUTTON, start);
  int step = 0;
  for (auto _ : state) {
    step = (step + 1) % 8;
    s.view->OnMouseMove(MK_LBUTTON, CPoint(start.x + 5 + step, start.y + 5));
  }
  s.view->OnLButtonUp(0, CPoint(start.x + 5, start.y + 5));
  state.SetItemsProcessed(state.iterations() * kSelected);
}
BENCHMARK(BM_DragStepOf500SelectedShapes)->Unit(benchmark::kMicrosecond);

void BM_PaintViewWith500SelectedShapes(benchmark::State& state) {
  Scene s;
  Gdiplus::Bitmap target(800, 600, Gdiplus::PixelFormat32bppARGB);
  for (auto _ : state) {
    Gdiplus::Graphics g(&target);
    s.view->PaintView(&g, CRect(0, 0, 800, 600));
  }
}
BENCHMARK(BM_PaintViewWith500SelectedShapes)->Unit(benchmark::kMillisecond);

}  // namespace
