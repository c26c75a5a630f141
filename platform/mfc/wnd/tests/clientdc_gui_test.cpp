// Client contexts under Xvfb: measuring like the screen, and drawing outside the paint that
// reaches the window at once, over the window's own painting, until the window is invalidated.
// What the window shows is read back from the X server (no compositor on Xvfb).
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdint>

#include <cairo.h>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/window.h>

#include <afxwin.h>
#include <wingdi.h>

#include "GuiTestHarness.h"

using namespace guitest;

namespace {

// Reads one pixel of the screen through GDK (already loaded by the toolkit).
class ScreenReader {
 public:
  ScreenReader() {
    root_ = reinterpret_cast<void* (*)()>(dlsym(RTLD_DEFAULT, "gdk_get_default_root_window"));
    grab_ = reinterpret_cast<void* (*)(void*, int, int, int, int)>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_from_window"));
    pixels_ = reinterpret_cast<unsigned char* (*)(void*)>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_pixels"));
    unref_ = reinterpret_cast<void (*)(void*)>(dlsym(RTLD_DEFAULT, "g_object_unref"));
  }
  bool Usable() const { return root_ && grab_ && pixels_ && unref_; }
  // The colour at a client point of the window, as a COLORREF; CLR_INVALID when unreadable.
  COLORREF At(CWnd* pWnd, int x, int y) const {
    if (!Usable()) return CLR_INVALID;
    CPoint pt(x, y);
    pWnd->ClientToScreen(&pt);
    void* pixbuf = grab_(root_(), pt.x, pt.y, 1, 1);
    if (!pixbuf) return CLR_INVALID;
    const unsigned char* p = pixels_(pixbuf);
    const COLORREF c = RGB(p[0], p[1], p[2]);
    unref_(pixbuf);
    return c;
  }

 private:
  void* (*root_)() = nullptr;
  void* (*grab_)(void*, int, int, int, int) = nullptr;
  unsigned char* (*pixels_)(void*) = nullptr;
  void (*unref_)(void*) = nullptr;
};

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

// A window that paints itself white and counts its paints.
class CWhiteWnd : public CWnd {
 public:
  int paints = 0;
  CPoint origin{0, 0};
  CRect lastClip;
  int lastClipKind = -1;
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    ++paints;
    dc.SetViewportOrg(origin.x, origin.y);
    lastClipKind = dc.GetClipBox(&lastClip);
    dc.SetViewportOrg(0, 0);
    if (auto* cr = static_cast<cairo_t*>(dc.GetCairo())) {
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_paint(cr);
    }
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CWhiteWnd, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

// A view-like window that paints as the program's view does: white through cairo... or, with
// gdi set, a memory context the size of the clip box filled and blitted to the paint context.
class CBlitPaintWnd : public CWnd {
 public:
  COLORREF fill = RGB(0, 128, 0);
  CPoint origin{0, 0};
  CRect clip;
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    if (auto* cr = static_cast<cairo_t*>(dc.GetCairo())) {
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_paint(cr);
    }
    dc.SetViewportOrg(origin.x, origin.y);
    if (dc.GetClipBox(&clip) == NULLREGION) return;
    HDC mem = CreateCompatibleDC(dc.GetSafeHdc());
    HBITMAP bmp = CreateCompatibleBitmap(dc.GetSafeHdc(), clip.Width(), clip.Height());
    HGDIOBJ old = SelectObject(mem, bmp);
    SetViewportOrgEx(mem, -clip.left, -clip.top, nullptr);
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(mem, &clip, brush);
    DeleteObject(brush);
    SetViewportOrgEx(mem, 0, 0, nullptr);
    CDC memDC;
    memDC.m_hDC = mem;
    dc.BitBlt(clip.left, clip.top, clip.Width(), clip.Height(), &memDC, 0, 0, SRCCOPY);
    memDC.m_hDC = nullptr;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CBlitPaintWnd, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

class ClientDCTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(reader.Usable()) << "GDK is not loaded";
    frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"Client contexts", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 320, 240)));
    wnd = new CWhiteWnd;
    ASSERT_TRUE(wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 210, 160), frame, 100));
    ASSERT_TRUE(PumpUntil([&] { return wnd->GetWxWindow()->IsShownOnScreen() && wnd->paints > 0; }));
    ASSERT_TRUE(PumpUntil([&] { return reader.At(wnd, 50, 50) == kWhite; }));
  }
  void TearDown() override {
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpUntil([] { return false; }, 20);
    delete wnd;
    delete frame;
  }
  bool Shows(CWnd* pWnd, int x, int y, COLORREF c, int ms = 1000) {
    return PumpUntil([&] { return reader.At(pWnd, x, y) == c; }, ms);
  }
  ScreenReader reader;
  CFrameWnd* frame = nullptr;
  CWhiteWnd* wnd = nullptr;
};

TEST_F(ClientDCTest, MeasuringWorksAsOnTheScreen) {
  CClientDC dc(wnd);
  ASSERT_NE(dc.GetSafeHdc(), nullptr);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSX), 96);
  EXPECT_EQ(dc.GetDeviceCaps(LOGPIXELSY), 96);
  CDC plain;  // no GDI handle: the screen answers
  EXPECT_EQ(plain.GetDeviceCaps(LOGPIXELSY), 96);

  const CSize empty = dc.GetTextExtent(L"", 0);
  const CSize one = dc.GetTextExtent(L"M", 1);
  const CSize two = dc.GetTextExtent(CString(L"MM"));
  EXPECT_EQ(empty.cx, 0);
  EXPECT_GT(empty.cy, 0) << "the height of the font even for no text";
  EXPECT_GT(one.cx, 0);
  EXPECT_EQ(two.cx, 2 * one.cx);
  EXPECT_EQ(dc.GetTextExtent(L"MMxyz", 2).cx, two.cx) << "only nCount characters";
  EXPECT_EQ(plain.GetTextExtent(L"MM", 2), two) << "the same default font as the screen";

  HFONT big = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  ASSERT_NE(big, nullptr);
  HGDIOBJ old = dc.SelectObject(big);
  const CSize large = dc.GetTextExtent(L"M", 1);
  EXPECT_GT(large.cx, one.cx);
  EXPECT_GE(large.cy, 40);
  dc.SelectObject(old);
  DeleteObject(big);

  CRect clip;
  EXPECT_EQ(dc.GetClipBox(&clip), SIMPLEREGION);
  EXPECT_EQ(clip, CRect(0, 0, 200, 150));
  dc.SetViewportOrg(-5, -7);
  dc.GetClipBox(&clip);
  EXPECT_EQ(clip, CRect(5, 7, 205, 157)) << "logical coordinates follow the origin";
}

TEST_F(ClientDCTest, PaintContextClipBoxIsTheAreaToRepaintInLogicalCoordinates) {
  wnd->origin = CPoint(-10, -20);  // scrolled by (10, 20)
  CRect area(30, 40, 70, 90);
  wnd->InvalidateRect(&area);
  wnd->UpdateWindow();
  ASSERT_TRUE(PumpUntil([&] { return wnd->lastClip == CRect(40, 60, 80, 110); }))
      << wnd->lastClip.left << "," << wnd->lastClip.top << "," << wnd->lastClip.right << "," << wnd->lastClip.bottom;
  EXPECT_EQ(wnd->lastClipKind, SIMPLEREGION);
}

TEST_F(ClientDCTest, DrawingReachesTheWindowAtOnceUntilItIsInvalidated) {
  const int paintsBefore = wnd->paints;
  CDC* pDC = wnd->GetDC();
  ASSERT_NE(pDC, nullptr);
  pDC->FillSolidRect(CRect(20, 20, 60, 50), kRed);
  EXPECT_EQ(wnd->ReleaseDC(pDC), 1);
  EXPECT_GT(wnd->paints, paintsBefore) << "released drawing repaints the window at once";
  struct Probe {
    int x, y;
    COLORREF c;
  } const drawn[] = {{20, 20, kRed}, {59, 49, kRed}, {60, 50, kWhite}, {100, 100, kWhite}, {19, 30, kWhite}};
  for (const Probe& p : drawn) EXPECT_TRUE(Shows(wnd, p.x, p.y, p.c)) << p.x << "," << p.y;

  // An unrelated repaint elsewhere leaves it; invalidating its area gives the window's painting.
  CRect other(150, 100, 190, 140);
  wnd->InvalidateRect(&other);
  wnd->UpdateWindow();
  EXPECT_TRUE(Shows(wnd, 30, 30, kRed));
  CRect area(0, 0, 100, 100);
  wnd->InvalidateRect(&area);
  wnd->UpdateWindow();
  EXPECT_TRUE(Shows(wnd, 30, 30, kWhite));
  EXPECT_EQ(wnd->ReleaseDC(nullptr), 0);
}

// The way the program's view repaints a rectangle at once: a memory context compatible with the
// window's, a bitmap of the rectangle, and a blit through the window context's origin.
TEST_F(ClientDCTest, BlitFromAMemoryContextThroughTheOrigin) {
  CClientDC* pDC = new CClientDC(wnd);
  pDC->SetViewportOrg(-5, -5);  // scrolled by (5, 5)
  HDC mem = CreateCompatibleDC(pDC->GetSafeHdc());
  HBITMAP bmp = CreateCompatibleBitmap(pDC->GetSafeHdc(), 30, 20);
  HGDIOBJ oldBmp = SelectObject(mem, bmp);
  RECT r{0, 0, 30, 20};
  HBRUSH blue = CreateSolidBrush(kBlue);
  FillRect(mem, &r, blue);
  CDC memDC;
  memDC.m_hDC = mem;
  EXPECT_TRUE(pDC->BitBlt(100, 60, 30, 20, &memDC, 0, 0, SRCCOPY));
  EXPECT_EQ(pDC->GetPixel(100, 60), kBlue) << "read back through the context";
  memDC.m_hDC = nullptr;
  SelectObject(mem, oldBmp);
  DeleteObject(bmp);
  DeleteObject(blue);
  DeleteDC(mem);
  delete pDC;  // released
  EXPECT_TRUE(Shows(wnd, 95, 55, kBlue));
  EXPECT_TRUE(Shows(wnd, 124, 74, kBlue));
  EXPECT_TRUE(Shows(wnd, 125, 75, kWhite));
  EXPECT_TRUE(Shows(wnd, 94, 60, kWhite));
}

// The paint of the program's view: GDI on the paint context reaches the window, clipped to the
// area to repaint, through the scroll origin.
TEST_F(ClientDCTest, PaintContextTakesGdiDrawingClippedToTheArea) {
  CBlitPaintWnd view;
  ASSERT_TRUE(view.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(220, 10, 300, 90), frame, 103));
  ASSERT_TRUE(Shows(&view, 40, 40, RGB(0, 128, 0)));
  view.fill = kBlue;
  view.origin = CPoint(-100, -200);
  CRect area(10, 10, 30, 20);
  view.InvalidateRect(&area);
  view.UpdateWindow();
  EXPECT_TRUE(Shows(&view, 10, 10, kBlue));
  EXPECT_TRUE(Shows(&view, 29, 19, kBlue));
  EXPECT_TRUE(Shows(&view, 40, 40, RGB(0, 128, 0))) << "outside the area nothing was painted";
  EXPECT_EQ(view.clip, CRect(110, 210, 130, 220)) << "the clip box in logical coordinates";
  view.DestroyWindow();
}

TEST_F(ClientDCTest, WindowWithoutPaintHandlerShowsTheDrawingToo) {
  CWnd plain;
  ASSERT_TRUE(plain.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(220, 10, 300, 90), frame, 101));
  ASSERT_TRUE(PumpUntil([&] { return plain.GetWxWindow()->IsShownOnScreen(); }));
  PumpUntil([] { return false; }, 50);
  {
    CClientDC dc(&plain);
    dc.FillSolidRect(CRect(10, 10, 40, 40), kRed);
  }
  EXPECT_TRUE(Shows(&plain, 20, 20, kRed));
  plain.DestroyWindow();
}

TEST_F(ClientDCTest, ContextOutlivingItsWindowIsReleasedSafely) {
  CWhiteWnd* child = new CWhiteWnd;
  ASSERT_TRUE(child->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(220, 100, 300, 180), frame, 102));
  CDC* pDC = child->GetDC();
  ASSERT_NE(pDC, nullptr);
  pDC->FillSolidRect(CRect(0, 0, 10, 10), kRed);
  child->DestroyWindow();
  EXPECT_EQ(child->ReleaseDC(pDC), 1);
  delete child;
  PumpUntil([] { return false; }, 20);
}

}  // namespace
