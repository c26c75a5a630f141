// A document for the printing tests: pages of given pixel sizes bound to a content source
// that loads each page as one black box over its left half, counts the loads, and can fail or
// hold a load until released.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>
#include <vector>

#include <gdiplus.h>
#include <quirebook/PublicationDoc.h>

namespace {

// A black rectangle given in page pixels.
class BlackBox : public Vectorloom::CRenderBaseObj {
 public:
  BlackBox(float l, float t, float r, float b) : m_l(l), m_t(t), m_r(r), m_b(b) {}
  void Draw(Gdiplus::Graphics* g, const Gdiplus::Matrix& m) override {
    Gdiplus::PointF pts[2] = {{m_l, m_t}, {m_r, m_b}};
    m.TransformPoints(pts, 2);
    Gdiplus::SolidBrush black(Gdiplus::Color(255, 0, 0, 0));
    g->FillRectangle(&black, pts[0].X, pts[0].Y, pts[1].X - pts[0].X, pts[1].Y - pts[0].Y);
  }

 private:
  float m_l, m_t, m_r, m_b;
};

// Loads a page as one black box over its left half; counts loads; can fail or hold a load
// until released.
class FakeSource : public Quirebook::IPageContentSource {
 public:
  bool LoadPageContent(CDrawingPage* page, int, CPublicationDoc*) override {
    ++loads;
    if (gate) {
      std::unique_lock<std::mutex> lock(m);
      entered = true;
      cv.notify_all();
      cv.wait(lock, [this] { return opened; });
    }
    if (fail) return false;
    const auto size = page->GetPageSize(Vectorloom::UNIT_PIXEL);
    page->AddShapeObject(new BlackBox(0, 0, size.cx / 2, size.cy));
    return true;
  }
  int GetPagesCount() override { return 100; }
  void WaitEntered() {
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [this] { return entered; });
  }
  void Open() {
    std::lock_guard<std::mutex> lock(m);
    opened = true;
    cv.notify_all();
  }
  std::atomic<int> loads{0};
  bool fail = false;
  bool gate = false;

 private:
  std::mutex m;
  std::condition_variable cv;
  bool entered = false, opened = false;
};

// A document whose pages are given in pixels; the document size is that of the first page.
struct FakeDoc {
  explicit FakeDoc(std::vector<std::pair<float, float>> sizes) {
    source = new FakeSource;
    source->AddRef();
    doc.SetDocLogSize(sizes[0].first, sizes[0].second, Vectorloom::UNIT_PIXEL);
    for (size_t i = 0; i < sizes.size(); ++i) {
      auto* page = new CDrawingPage;
      page->SetPageLogUnit(Vectorloom::UNIT_PIXEL);
      page->SetLogWidth(sizes[i].first);
      page->SetLogHeight(sizes[i].second);
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(static_cast<int>(i));
      doc.GetRenderPagesArray().AddPage(page);
    }
  }
  ~FakeDoc() { source->Release(); }
  CDrawingPage* Page(int i) { return doc.GetDrawingPage(i); }
  CPublicationDoc doc;
  FakeSource* source;
};

}  // namespace
