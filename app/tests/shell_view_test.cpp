// The editing view without a window: the zoom levels and their commands, where the page lies in
// the window, which page the document's updates show, what a paint puts on the screen and how
// new objects are named.
#include <gtest/gtest.h>

#include <gdi/wingdi.h>
#include <lwstr.h>
#include <vectorloom/ShapeObj.h>

#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PdfFixtures.h"
#include "ShellIds.h"
#include "TestSupport.h"

namespace {

class Host : public Vectorloom::IViewHost {
 public:
  void InvalidateRect(const RECT*) override { ++invalidations; }
  void SetTimer(UINT_PTR, UINT) override {}
  void KillTimer(UINT_PTR) override {}
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HasCapture() const override { return false; }
  void SetCursor(HCURSOR) override {}
  CDC* GetDC() override { return nullptr; }
  void ReleaseDC(CDC*) override {}
  CSize GetClientSize() const override { return client; }
  int invalidations = 0;
  CSize client{1000, 1200};
};

// What an update handler set.
struct UpdateProbe : CCmdUI {
  explicit UpdateProbe(UINT id) { m_nID = id; }
  void Enable(BOOL on) override { enabled = on != FALSE; }
  void SetCheck(int n) override { checked = n; }
  void SetText(const wchar_t* s) override { text = s; }
  bool enabled = false;
  int checked = -1;
  CString text;
};

// A document read from a PDF of `pages` letter pages (816 x 1056 pixels), with a view on it.
struct Fixture {
  explicit Fixture(int pages = 3) {
    setenv("HOME", dir.path().c_str(), 1);
    lwtest::WriteFileBytes(dir / "doc.pdf", lwtest::MakeCairoPdf(pages));
    doc.m_bAutoDelete = FALSE;
    EXPECT_TRUE(doc.OnOpenDocument(lw::Utf8ToWide((dir / "doc.pdf").string()).c_str()));
    view = new CLeafwrightView;
    view->m_pDocument = &doc;
    view->SetViewHost(&host);
    view->OnUpdate(nullptr, 3, nullptr);
  }
  ~Fixture() {
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  Fixture(const Fixture&) = delete;
  Fixture& operator=(const Fixture&) = delete;
  UpdateProbe Update(UINT id) {
    UpdateProbe probe(id);
    probe.DoUpdate(view, FALSE);
    return probe;
  }
  lwtest::TempDir dir;
  Host host;
  CLeafwrightDoc doc;
  CLeafwrightView* view = nullptr;
};

TEST(EditingViewZoom, StepsReachTheNextLevelInTheAskedDirection) {
  const struct {
    float from;
    bool in;
    float to;
  } cases[] = {
      {7.99f, true, 8.0f},   {0.13f, false, 0.125f}, {1.1f, true, 1.25f}, {1.1f, false, 1.0f},
      {1.0f, true, 1.25f},   {1.0f, false, 0.75f},   {8.0f, true, 8.0f},  {0.125f, false, 0.125f},
      {0.2f, false, 1.0f / 6.0f}, {1.0f / 6.0f, true, 0.2f},
  };
  for (const auto& c : cases)
    EXPECT_FLOAT_EQ(StepZoomFactor(c.from, c.in), c.to) << c.from << (c.in ? " in" : " out");
}

TEST(EditingViewZoom, CommandsAndTheirUpdateRules) {
  Fixture f(1);
  struct Case {
    float zoom;
    UINT command;  // 0: none, only the rules are looked at
    float after;
    bool actualSize, zoomIn, zoomOut;
  } cases[] = {
      {100, ID_ZOOM_IN, 125, false, true, true},
      {799, ID_ZOOM_IN, 800, true, true, true},
      {800, ID_ZOOM_IN, 800, true, false, true},
      {13, ID_ZOOM_OUT, 12.5f, true, true, true},
      {12.5f, ID_ZOOM_OUT, 12.5f, true, true, false},
      {110, ID_ZOOM_OUT, 100, true, true, true},
      {250, ID_ZOOM_ACTUAL_SIZE, 100, true, true, true},
      {100, 32862, 400, false, true, true},
      {100, 32871, 100.0f / 6.0f, false, true, true},
      {100, 32872, 12.5f, false, true, true},
  };
  for (const Case& c : cases) {
    f.view->ZoomView(c.zoom);
    EXPECT_EQ(f.Update(ID_ZOOM_ACTUAL_SIZE).enabled, c.actualSize) << c.zoom;
    EXPECT_EQ(f.Update(ID_ZOOM_IN).enabled, c.zoomIn) << c.zoom;
    EXPECT_EQ(f.Update(ID_ZOOM_OUT).enabled, c.zoomOut) << c.zoom;
    f.view->OnCmdMsg(c.command, CN_COMMAND, nullptr, nullptr);
    EXPECT_FLOAT_EQ(f.view->GetZoom(), c.after) << c.zoom << " then " << c.command;
  }
  // The level list checks the entry of the zoom, 1/6 included, and no entry between levels
  // (Actual Size has its own rule, above).
  f.view->ZoomView(100.0f / 6.0f);
  for (const ZoomLevel& level : g_zoomLevels)
    if (level.nCommand != ID_ZOOM_ACTUAL_SIZE)
      EXPECT_EQ(f.Update(level.nCommand).checked, level.nCommand == 32871 ? 1 : 0) << level.nCommand;
  f.view->ZoomView(110);
  for (const ZoomLevel& level : g_zoomLevels)
    if (level.nCommand != ID_ZOOM_ACTUAL_SIZE) EXPECT_EQ(f.Update(level.nCommand).checked, 0) << level.nCommand;
  EXPECT_EQ(f.Update(ID_INDICATOR_ZOOM).text, L"110.0%");
}

TEST(EditingViewPlacement, WideWindowsCentreThePageNarrowOnesStartAtTheMargin) {
  Fixture f(1);
  const struct {
    CSize client;
    float zoom;
    CRect page;
    CSize scroll;
  } cases[] = {
      {{1000, 1200}, 100, {92, 72, 908, 1128}, {816 + 48, 1056 + 48}},
      {{500, 400}, 100, {24, 24, 840, 1080}, {816 + 48, 1056 + 48}},
      {{1000, 1200}, 50, {296, 336, 704, 864}, {408 + 48, 528 + 48}},
      {{1000, 1200}, 400, {24, 24, 24 + 3264, 24 + 4224}, {3264 + 48, 4224 + 48}},
  };
  for (const auto& c : cases) {
    f.host.client = c.client;
    f.view->ZoomView(c.zoom);
    EXPECT_EQ(f.view->GetPageRect(), c.page) << c.client.cx << " at " << c.zoom;
    EXPECT_EQ(f.view->GetTotalSize(), c.scroll) << c.client.cx << " at " << c.zoom;
  }
}

TEST(EditingViewUpdates, HintsShowThePageAndFollowItThroughOrderChanges) {
  Fixture f(3);
  CDrawingPage* first = f.doc.GetDrawingPage(0);
  CDrawingPage* third = f.doc.GetDrawingPage(2);
  EXPECT_EQ(f.view->GetShownPage(), first);
  const CRect placed = f.view->GetPageRect();
  const CSize scroll = f.view->GetTotalSize();

  // Hint 3 with a page shows it; a page of the same size keeps the page rectangle and scroll sizes.
  f.view->OnUpdate(nullptr, 3, Vectorloom::CWorkspaceDoc::PageHint(third));
  EXPECT_EQ(f.view->GetShownPage(), third);
  EXPECT_TRUE(third->IsPageContentLoaded());
  EXPECT_EQ(f.view->GetPageIndex(), 2);
  EXPECT_EQ(f.view->GetPageRect(), placed);
  EXPECT_EQ(f.view->GetTotalSize(), scroll);

  // The page moves to the front and the document says so without a page: the view repaints and
  // the page number follows the page.
  f.doc.GetRenderPagesArray().DetachPage(2);
  f.doc.GetRenderPagesArray().InsertPage(0, third);
  third->Release();  // the array took a reference of its own
  const int before = f.host.invalidations;
  f.view->OnUpdate(nullptr, 4, nullptr);
  EXPECT_GT(f.host.invalidations, before);
  EXPECT_EQ(f.view->GetShownPage(), third);
  EXPECT_EQ(f.Update(ID_INDICATOR_PAGE_NUMBER).text, L"Page: 1 of 3");

  // Hint 4 with a page shows it; hint 2 repaints only.
  f.view->OnUpdate(nullptr, 4, Vectorloom::CWorkspaceDoc::PageHint(first));
  EXPECT_EQ(f.view->GetShownPage(), first);
  const int again = f.host.invalidations;
  f.view->OnUpdate(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(third));
  EXPECT_EQ(f.view->GetShownPage(), first);
  EXPECT_GT(f.host.invalidations, again);
  EXPECT_EQ(f.Update(ID_INDICATOR_PAGE_NUMBER).text, L"Page: 2 of 3");
}

// Paints the view into a bitmap of the client's size filled with `fill` first.
struct Painted {
  Painted(CLeafwrightView& view, CSize size, COLORREF fill) {
    dc = CreateCompatibleDC(nullptr);
    bmp = CreateCompatibleBitmap(dc, size.cx, size.cy);
    old = SelectObject(dc, bmp);
    const RECT all{0, 0, size.cx, size.cy};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    CDC cdc;
    cdc.m_hDC = dc;
    view.OnDraw(&cdc);
    cdc.m_hDC = nullptr;
  }
  ~Painted() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
};

TEST(EditingViewPaint, ShadowFrameAndDeskAroundThePageNothingWithoutAPage) {
  Fixture f(1);
  f.view->ZoomView(100);
  const CRect r = f.view->GetPageRect();
  {
    Painted p(*f.view, f.host.client, RGB(1, 2, 3));
    EXPECT_EQ(p.At(r.right + 3, r.bottom + 3), RGB(111, 111, 111)) << "the shadow";
    EXPECT_EQ(p.At(r.left - 1, r.top + 10), RGB(0, 0, 0)) << "the frame";
    EXPECT_NE(p.At(r.right + 20, r.top + 100), RGB(1, 2, 3)) << "the desk beyond the shadow";
    EXPECT_EQ(p.At(r.right + 20, r.top + 100), p.At(5, 5)) << "the desk is one colour";
    EXPECT_EQ(p.At(r.left + 2, r.top + 2), RGB(255, 255, 255)) << "the paper";
  }
  f.view->ShowPage(nullptr);
  Painted none(*f.view, f.host.client, RGB(1, 2, 3));
  for (const CPoint pt : {CPoint(5, 5), CPoint(r.left + 2, r.top + 2), CPoint(r.right + 3, r.bottom + 3)})
    EXPECT_EQ(none.At(pt.x, pt.y), RGB(1, 2, 3)) << "nothing is drawn without a page";
}

TEST(EditingViewNaming, NewObjectsAreNumberedPerKindForTheWholeRun) {
  const struct {
    int event;
    const wchar_t* name;
    bool selectionToolBack;
  } cases[] = {
      {Vectorloom::VIEW_EVENT_TEXT_CREATED, L"Text-1", true},
      {Vectorloom::VIEW_EVENT_TEXT_CREATED, L"Text-2", true},
      {Vectorloom::VIEW_EVENT_IMAGE_CREATED, L"Image-1", false},
      {Vectorloom::VIEW_EVENT_SHAPE_CREATED, L"Shape-1", true},
      {Vectorloom::VIEW_EVENT_GROUP_CREATED, L"Group-1", false},
  };
  {
    Fixture f(1);
    for (const auto& c : cases) {
      f.view->UpdateEditingTool(&Vectorloom::CWorkspaceView::g_DrawOvalTool);
      auto* obj = new Vectorloom::CCustomPathObj;
      f.view->ProcessEvent(c.event, reinterpret_cast<LPARAM>(obj));
      EXPECT_EQ(obj->GetObjectName(), c.name);
      EXPECT_EQ(f.view->GetEditingTool() == nullptr, c.selectionToolBack) << c.name;
      f.view->UpdateEditingTool(nullptr);
      obj->Release();
    }
  }
  // Another document does not start the numbers again.
  Fixture g(1);
  auto* obj = new Vectorloom::CCustomPathObj;
  g.view->ProcessEvent(Vectorloom::VIEW_EVENT_TEXT_CREATED, reinterpret_cast<LPARAM>(obj));
  EXPECT_EQ(obj->GetObjectName(), L"Text-3");
  obj->Release();
}

}  // namespace
