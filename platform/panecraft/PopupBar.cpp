// The pop-up bar: the drop-down window of pop-up and split buttons. It lays out the controls of
// the button's pop-up bar top to bottom (galleries, labels, buttons), draws them itself, tracks
// the highlighted gallery item and tells the frame (4115/4113, then 100 or WM_COMMAND on a pick).
#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/eventfilter.h>
#include <wx/popupwin.h>
#include <wx/weakref.h>

#include <cairo.h>

#include "GalleryView.h"
#include "QorpGalleryWindows.h"
#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "popup_seam.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

using qorp::GalleryView;

constexpr int kRowHeight = 22;
constexpr int kSliderInset = 10;  // the slider's track ends this far in from the bar's sides
constexpr int kGripHeight = 9;
constexpr int kMinGalleryHeight = 40;

class PopupBarWindow;
PopupBarWindow* g_pOpen = nullptr;

// While a pop-up bar is open, keys typed anywhere in the program go to it: a pop-up window
// never becomes the active window, so the toolkit delivers keys to the frame.
class PopupKeyFilter : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override;
};
PopupKeyFilter g_keyFilter;
bool g_bFilterOn = false;


void SetKeyFilter(bool bOn) {
  if (bOn == g_bFilterOn) return;
  g_bFilterOn = bOn;
  if (bOn)
    wxEvtHandler::AddFilter(&g_keyFilter);
  else
    wxEvtHandler::RemoveFilter(&g_keyFilter);
}

struct Row {
  enum Kind { kGallery, kLabel, kButton, kScrollBar } kind;
  CQORPControl* pControl;
  wxRect rc;
  std::unique_ptr<GalleryView> view;
};

class PopupBarWindow : public wxPopupTransientWindow {
 public:
  PopupBarWindow(wxWindow* pParent, CQORPControl* pOwnerControl, HWND hFrame)
      : wxPopupTransientWindow(pParent, wxBORDER_NONE), m_pOwnerControl(pOwnerControl), m_hFrame(hFrame) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // Keys reach a pop-up window only through a focus widget of its own.
    SetCanFocus(true);
    Bind(wxEVT_PAINT, &PopupBarWindow::OnPaint, this);
    Bind(wxEVT_MOTION, &PopupBarWindow::OnMotion, this);
    Bind(wxEVT_LEFT_DOWN, &PopupBarWindow::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &PopupBarWindow::OnLeftUp, this);
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
      if (!HasCapture()) Hover(wxPoint(-1, -1));
      e.Skip();
    });
    Bind(wxEVT_MOUSEWHEEL, &PopupBarWindow::OnWheel, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { EndDrag(); });
  }

  ~PopupBarWindow() override {
    if (g_pOpen == this) {
      g_pOpen = nullptr;
      SetKeyFilter(false);
    }
    // Gone with its owner while open: the galleries stop tracking (unless the whole frame is
    // going, controls and all).
    if (!qorp::TopLevelGoing(GetParent()))
      for (Row& r : m_rows)
      if (r.view && r.view->GetGallery()->IsTracking()) {
        r.view->GetGallery()->SetHighlightedItem(-1);
        r.view->GetGallery()->EndTracking(-1);
      }
  }

  CQORPControl* GetOwnerControl() const { return m_pOwnerControl; }

  bool Build() {
    CQORPCommandBar* pBar = m_pOwnerControl->GetCommandBar();
    if (!pBar) return false;
    int cx = 120;
    wxClientDC measure(this);
    for (int i = 0; i < pBar->GetCount(); ++i) {
      CQORPControl* p = pBar->GetAt(i);
      if (!p->IsVisible()) continue;
      Row row{Row::kButton, p, wxRect(), nullptr};
      if (auto* pGallery = dynamic_cast<CQORPControlGallery*>(p)) {
        row.kind = Row::kGallery;
        row.view = std::make_unique<GalleryView>(pGallery);
        CSize sz = pGallery->GetControlSize();
        if (sz.cx <= 0) sz.cx = 200;
        if (sz.cy <= 0) {
          row.view->SetRect(wxRect(0, 0, sz.cx, 10000));
          sz.cy = std::clamp(row.view->GetLayout().cyContent + static_cast<int>(pGallery->GetItemsMargin().top +
                                                                                pGallery->GetItemsMargin().bottom),
                             kMinGalleryHeight, 400);
        }
        row.rc = wxRect(0, 0, sz.cx, sz.cy);
        cx = std::max(cx, static_cast<int>(sz.cx));
      } else {
        if (p->GetType() == QORP_CONTROL_LABEL) row.kind = Row::kLabel;
        const wxString caption(Caption(p).GetString());
        if (p->GetType() == QORP_CONTROL_SCROLL_BAR) {
          // A slider across the bar, as wide as the control asks (0..100).
          row.kind = Row::kScrollBar;
          cx = std::max(cx, (p->GetWidth() > 0 ? p->GetWidth() : 120) + 2 * kSliderInset);
        } else {
          cx = std::max(cx, measure.GetTextExtent(caption).x + 40);
        }
        row.rc = wxRect(0, 0, 0, row.kind == Row::kLabel ? QORPGalleryLayout::kLabelHeight : kRowHeight);
      }
      m_rows.push_back(std::move(row));
    }
    if (m_rows.empty()) return false;
    m_cx = cx;
    Arrange();
    return true;
  }

  // Places the rows top to bottom at the current gallery heights; sizes the window.
  // The rows sit inside a frame of kFrame pixels that the paint draws round the window.
  void Arrange() {
    int y = kFrame;
    for (Row& r : m_rows) {
      // A gallery keeps its own width (its grid depends on it); other rows span the bar.
      r.rc = wxRect(kFrame, y, r.view ? std::min(r.rc.width, m_cx) : m_cx, r.rc.height);
      if (r.view) r.view->SetRect(r.rc);
      y += r.rc.height;
    }
    m_rcGrip = wxRect();
    if (ResizableRow()) {
      m_rcGrip = wxRect(kFrame, y, m_cx, kGripHeight);
      y += kGripHeight;
    }
    SetClientSize(m_cx + 2 * kFrame, y + kFrame);
  }

  void Open(const wxRect& rcAnchor) {
    for (Row& r : m_rows)
      if (r.view) r.view->GetGallery()->BeginTracking();
    // Show the current item of each gallery.
    for (Row& r : m_rows)
      if (r.view) r.view->EnsureVisible(r.view->GetGallery()->GetSelectedItemShown());
    const wxSize sz = GetSize();
    const int nDisplay = wxDisplay::GetFromPoint(rcAnchor.GetTopLeft());
    const wxRect screen = wxDisplay(nDisplay == wxNOT_FOUND ? 0u : static_cast<unsigned>(nDisplay)).GetGeometry();
    int x = std::clamp(rcAnchor.x, screen.x, std::max(screen.x, screen.GetRight() + 1 - sz.x));
    int y = rcAnchor.GetBottom() + 1;
    if (y + sz.y > screen.GetBottom() + 1 && rcAnchor.y - sz.y >= screen.y) y = rcAnchor.y - sz.y;
    Move(x, y);
    g_pOpen = this;
    SetKeyFilter(true);
    Popup();
  }

  // Our own closing: Esc (bByUser), a pick, or a new pop-up replacing this one.
  void CloseFromCode(CQORPControlGallery* pPicked, int nPicked, int nCommand) {
    if (m_bClosed) return;
    m_bOwnClose = true;
    Finish(pPicked, nPicked, nCommand);
  }

  // wx calls this on a click outside (sometimes without OnDismiss); our code calls it too.
  void Dismiss() override {
    wxPopupTransientWindow::Dismiss();
    if (!m_bOwnClose) Finish(nullptr, -1, 0);
  }

  void OnDismiss() override {}

  bool ProcessLeftDown(wxMouseEvent&) override { return false; }

  // Screen rectangle of a shown gallery item.
  CRect ItemScreenRect(const CQORPControlGallery* pGallery, int nIndex) {
    for (Row& r : m_rows) {
      if (!r.view || r.view->GetGallery() != pGallery) continue;
      wxRect rc = r.view->GetItemRect(nIndex);
      rc.Intersect(r.rc);
      if (rc.IsEmpty()) return CRect(0, 0, 0, 0);
      const wxPoint pt = ClientToScreen(rc.GetTopLeft());
      return CRect(pt.x, pt.y, pt.x + rc.width, pt.y + rc.height);
    }
    return CRect(0, 0, 0, 0);
  }

  void EnsureVisible(const CQORPControlGallery* pGallery, int nIndex) {
    for (Row& r : m_rows)
      if (r.view && r.view->GetGallery() == pGallery) r.view->EnsureVisible(nIndex);
    Refresh();
    Update();
  }

 private:
  static CString Caption(CQORPControl* p) {
    CString s = p->GetCaption();
    if (s.IsEmpty() && p->GetID() == QORP_ID_POPUPCOLOR_AUTOMATIC) s = L"Automatic";
    return s;
  }

  Row* ResizableRow() {
    for (Row& r : m_rows)
      if (r.view && r.view->GetGallery()->IsResizable()) return &r;
    return nullptr;
  }

  Row* RowAt(const wxPoint& pt) {
    if (!GetClientRect().Contains(pt)) return nullptr;
    for (Row& r : m_rows)
      if (r.rc.Contains(pt)) return &r;
    return nullptr;
  }

  // Pointer at pt (client coordinates; outside the window when it left): highlight changes.
  void Hover(const wxPoint& pt) {
    Row* pRow = RowAt(pt);
    bool bChanged = false;
    for (Row& r : m_rows) {
      if (!r.view) continue;
      CQORPControlGallery* g = r.view->GetGallery();
      int nIndex = -1;
      if (&r == pRow && g->GetEnabled()) nIndex = r.view->HitTest(pt);
      const int nBefore = g->GetHighlightedItem();
      qorp::HoverGallery(m_hFrame, g, nIndex);
      if (g->GetHighlightedItem() != nBefore) {
        bChanged = true;
        const CQORPControlGalleryItem* pItem = g->GetItem(g->GetHighlightedItem());
        if (pItem)
          SetToolTip(wxString(pItem->GetToolTip().GetString()));
        else
          UnsetToolTip();
      }
      if (m_bClosed) return;  // a handler closed us
    }
    CQORPControl* pHotButton = pRow && pRow->kind == Row::kButton ? pRow->pControl : nullptr;
    if (pHotButton != m_pHotButton) {
      m_pHotButton = pHotButton;
      bChanged = true;
    }
    if (bChanged) Refresh();
  }

  // A slider row's position (0..100) for a point, from its track.
  static int SliderPosAt(const Row& r, const wxPoint& pt) {
    const int x0 = r.rc.x + kSliderInset, w = std::max(r.rc.width - 2 * kSliderInset, 1);
    return std::clamp((pt.x - x0) * 100 / w, 0, 100);
  }

  void OnMotion(wxMouseEvent& e) {
    const wxPoint pt = e.GetPosition();
    if (m_pSliding) {
      static_cast<CQORPControlScrollBar*>(m_pSliding->pControl)->SetPos(SliderPosAt(*m_pSliding, pt));
      Refresh();
      return;
    }
    if (m_pThumbDrag) {
      m_pThumbDrag->OnThumbDrag(pt);
      Refresh();
      return;
    }
    if (m_bResizing) {
      Row* pRow = ResizableRow();
      if (pRow) {
        const int cy = std::clamp(m_nResizeStartHeight + (pt.y - m_nResizeStartY), kMinGalleryHeight, 2000);
        pRow->rc.height = cy;
        pRow->view->GetGallery()->SetControlSize(CSize(pRow->view->GetGallery()->GetControlSize().cx, cy));
        Arrange();
        Refresh();
      }
      return;
    }
    Hover(pt);
  }

  void OnLeftDown(wxMouseEvent& e) {
    const wxPoint pt = e.GetPosition();
    if (!GetClientRect().Contains(pt)) {
      Dismiss();
      return;
    }
    if (!m_rcGrip.IsEmpty() && m_rcGrip.Contains(pt)) {
      if (Row* pRow = ResizableRow()) {
        m_bResizing = true;
        m_nResizeStartY = pt.y;
        m_nResizeStartHeight = pRow->rc.height;
        if (!HasCapture()) CaptureMouse();
      }
      return;
    }
    Row* pRow = RowAt(pt);
    if (!pRow) return;
    if (pRow->view) {
      if (pRow->view->OnScrollBarDown(pt)) {
        if (pRow->view->IsDraggingThumb()) {
          m_pThumbDrag = pRow->view.get();
          if (!HasCapture()) CaptureMouse();
        }
        Hover(pt);
        Refresh();
        return;
      }
      m_nPressed = pRow->view->HitTest(pt);
      m_pPressedView = pRow->view.get();
      Refresh();
    } else if (pRow->kind == Row::kButton) {
      m_pPressedButton = pRow->pControl;
    } else if (pRow->kind == Row::kScrollBar && pRow->pControl->GetEnabled()) {
      m_pSliding = pRow;
      static_cast<CQORPControlScrollBar*>(pRow->pControl)->SetPos(SliderPosAt(*pRow, pt));
      if (!HasCapture()) CaptureMouse();
      Refresh();
    }
  }

  void EndDrag() {
    m_bResizing = false;
    m_pSliding = nullptr;
    if (m_pThumbDrag) m_pThumbDrag->EndThumbDrag();
    m_pThumbDrag = nullptr;
    if (HasCapture()) ReleaseMouse();
  }

  void OnLeftUp(wxMouseEvent& e) {
    const wxPoint pt = e.GetPosition();
    if (m_pSliding) {
      // The slider let go: its position is carried out; the bar stays open.
      CQORPControl* p = m_pSliding->pControl;
      static_cast<CQORPControlScrollBar*>(p)->SetPos(SliderPosAt(*m_pSliding, pt));
      m_pSliding = nullptr;
      if (HasCapture()) ReleaseMouse();
      Refresh();
      qorp::SendControlNotify(m_hFrame, p, QORP_CN_EXECUTE);
      return;
    }
    if (m_bResizing || m_pThumbDrag) {
      EndDrag();
      return;
    }
    Row* pRow = RowAt(pt);
    GalleryView* pPressedView = m_pPressedView;
    const int nPressed = m_nPressed;
    CQORPControl* pPressedButton = m_pPressedButton;
    m_pPressedView = nullptr;
    m_nPressed = -1;
    m_pPressedButton = nullptr;
    if (!pRow) return;
    if (pRow->view && pRow->view.get() == pPressedView) {
      const int n = pRow->view->HitTest(pt);
      CQORPControlGallery* g = pRow->view->GetGallery();
      const CQORPControlGalleryItem* pItem = g->GetItem(n);
      if (n >= 0 && n == nPressed && g->GetEnabled() && pItem && !pItem->IsLabel() && pItem->GetEnabled())
        CloseFromCode(g, n, 0);
      else
        Refresh();
    } else if (pRow->kind == Row::kButton && pRow->pControl == pPressedButton && pPressedButton->GetEnabled() &&
               pPressedButton->GetID() != 0) {
      CloseFromCode(nullptr, -1, pPressedButton->GetID());
    }
  }

  void OnWheel(wxMouseEvent& e) {
    Row* pRow = RowAt(e.GetPosition());
    if (!pRow || !pRow->view) return;
    const int lines = e.GetWheelDelta() ? e.GetWheelRotation() / e.GetWheelDelta() : 0;
    pRow->view->ScrollBy(-lines * 3 * pRow->view->GetLineHeight());
    Hover(e.GetPosition());
    Refresh();
  }

  GalleryView* KeyboardView() {
    for (Row& r : m_rows)
      if (r.view && r.view->GetGallery()->GetHighlightedItem() >= 0) return r.view.get();
    for (Row& r : m_rows)
      if (r.view && r.view->GetGallery()->GetEnabled()) return r.view.get();
    return nullptr;
  }

  // A key for the pop-up: Esc closes, arrows move the highlight, Enter picks. Returns false for
  // keys it does not use.
 public:
  bool HandleKey(int key) {
    if (key == WXK_ESCAPE) {
      CloseFromCode(nullptr, -1, 0);
      return true;
    }
    GalleryView* v = KeyboardView();
    if (!v) return false;
    CQORPControlGallery* g = v->GetGallery();
    UINT vk = 0;
    switch (key) {
      case WXK_LEFT: vk = VK_LEFT; break;
      case WXK_RIGHT: vk = VK_RIGHT; break;
      case WXK_UP: vk = VK_UP; break;
      case WXK_DOWN: vk = VK_DOWN; break;
      case WXK_HOME: vk = VK_HOME; break;
      case WXK_END: vk = VK_END; break;
      case WXK_RETURN:
      case WXK_NUMPAD_ENTER: {
        const int n = g->GetHighlightedItem();
        if (n >= 0) CloseFromCode(g, n, 0);
        return true;
      }
      default:
        return false;
    }
    int nFrom = g->GetHighlightedItem();
    if (nFrom < 0) nFrom = g->GetSelectedItemShown();
    const int n = v->GetLayout().Move(g->GetItems(), nFrom, vk);
    if (n >= 0) {
      v->EnsureVisible(n);
      qorp::HoverGallery(m_hFrame, g, n);
    }
    if (!m_bClosed) Refresh();
    return true;
  }

 private:

  // Ends the pop-up: hides it, ends every gallery's tracking and tells the frame.
  void Finish(CQORPControlGallery* pPicked, int nPicked, int nCommand) {
    if (m_bClosed) return;
    m_bClosed = true;
    if (HasCapture()) ReleaseMouse();
    if (g_pOpen == this) {
      g_pOpen = nullptr;
      SetKeyFilter(false);
    }
    if (IsShown()) wxPopupTransientWindow::Dismiss();
    const HWND hFrame = m_hFrame;
    std::vector<CQORPControlGallery*> galleries;
    std::vector<bool> highlighted;
    for (Row& r : m_rows)
      if (r.view) {
        CQORPControlGallery* g = r.view->GetGallery();
        highlighted.push_back(g->GetHighlightedItem() >= 0);
        g->SetHighlightedItem(-1);
        g->EndTracking(g == pPicked ? nPicked : -1);
        galleries.push_back(g);
      }
    m_rows.clear();
    // Destroyed once the current event is over, unless its owner took it along first.
    wxWeakRef<wxWindow> self(this);
    wxTheApp->CallAfter([self] {
      if (self) self->Destroy();
    });
    // Highlighting ends: for every gallery on a close by Esc or outside click, for the picked
    // one, and for any that still had an item highlighted.
    for (size_t i = 0; i < galleries.size(); ++i) {
      const bool bClose = !pPicked && nCommand == 0;
      if (bClose || galleries[i] == pPicked || highlighted[i])
        qorp::SendGalleryNotify(hFrame, galleries[i], QORP_GN_HIGHLIGHTEND);
    }
    if (pPicked) qorp::SendControlNotify(hFrame, pPicked, QORP_CN_EXECUTE);
    if (nCommand != 0) qorp::SendCommand(hFrame, nCommand);
  }

  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (qorp::TopLevelGoing(GetParent())) return;
    auto* cr = static_cast<cairo_t*>(dc.GetHandle());
    if (!cr) return;
    const CQORPPaintManager* pm = CQORPPaintManager::Get();
    qorp::SetColour(cr, pm->GetColor(QORP_CLR_POPUP_BACK));
    cairo_paint(cr);
    CQORPGalleryDC gdc(cr);
    for (Row& r : m_rows) {
      const CRect rc(r.rc.x, r.rc.y, r.rc.GetRight() + 1, r.rc.GetBottom() + 1);
      if (r.view) {
        r.view->Paint(cr, r.view.get() == m_pPressedView ? m_nPressed : -1);
        continue;
      }
      const CString caption = Caption(r.pControl);
      if (r.kind == Row::kLabel) {
        gdc.FillSolidRect(rc, pm->GetColor(QORP_CLR_GALLERY_LABEL_BAND));
        gdc.DrawText(caption, CRect(rc.left + 6, rc.top, rc.right, rc.bottom),
                     CQORPDrawHelpers::ReadableText(pm->GetColor(QORP_CLR_PANEL_LABEL), pm->GetColor(QORP_CLR_GALLERY_LABEL_BAND), 7.0),
                     nullptr, 9.0, TRUE);
        continue;
      }
      const BOOL bEnabled = r.pControl->GetEnabled();
      if (r.kind == Row::kScrollBar) {
        // A track across the row and a thumb at the position, in the pop-up's ink.
        const COLORREF back = pm->GetColor(QORP_CLR_POPUP_BACK);
        const COLORREF ink = CQORPDrawHelpers::ReadableText(pm->GetColor(bEnabled ? QORP_CLR_PANEL_LABEL : QORP_CLR_DISABLED_LABEL),
                                                            back, 3.0);
        const int x0 = rc.left + kSliderInset, x1 = rc.right - kSliderInset, midY = (rc.top + rc.bottom) / 2;
        gdc.FillSolidRect(CRect(x0, midY - 1, x1, midY + 1), ink);
        const int pos = std::clamp(static_cast<CQORPControlScrollBar*>(r.pControl)->GetPos(), 0, 100);
        const int xt = x0 + (x1 - x0) * pos / 100;
        gdc.FillSolidRect(CRect(xt - 3, rc.top + 4, xt + 4, rc.bottom - 4), bEnabled ? pm->GetColor(QORP_CLR_SELECTED_FILL) : back);
        gdc.FrameRect(CRect(xt - 3, rc.top + 4, xt + 4, rc.bottom - 4), ink);
        continue;
      }
      if (bEnabled && r.pControl == m_pHotButton) {
        gdc.FillSolidRect(rc, pm->GetColor(QORP_CLR_HOVER_FILL));
        gdc.FrameRect(rc, pm->GetColor(QORP_CLR_HOVER_FRAME));
      }
      if (r.pControl->GetChecked() == 1) {
        // A tick in a selected box before the caption.
        const CRect box(rc.left + 4, rc.top + 4, rc.left + 18, rc.bottom - 4);
        gdc.FillSolidRect(box, pm->GetColor(QORP_CLR_SELECTED_FILL));
        gdc.FrameRect(box, pm->GetColor(QORP_CLR_SELECTED_FRAME));
        const double midY = (box.top + box.bottom) / 2.0;
        cairo_save(cr);
        qorp::SetColour(cr, pm->GetColor(QORP_CLR_PANEL_LABEL));
        cairo_set_line_width(cr, 2.0);
        cairo_move_to(cr, box.left + 3, midY);
        cairo_line_to(cr, box.left + 6, midY + 3);
        cairo_line_to(cr, box.right - 3, midY - 4);
        cairo_stroke(cr);
        cairo_restore(cr);
      }
      // On a light pop-up of a dark theme the bar's own label colours are light too.
      const COLORREF back = bEnabled && r.pControl == m_pHotButton ? pm->GetColor(QORP_CLR_HOVER_FILL) : pm->GetColor(QORP_CLR_POPUP_BACK);
      gdc.DrawText(caption, CRect(rc.left + 26, rc.top, rc.right - 4, rc.bottom),
                   CQORPDrawHelpers::ReadableText(pm->GetColor(bEnabled ? QORP_CLR_PANEL_LABEL : QORP_CLR_DISABLED_LABEL), back,
                                                  bEnabled ? 7.0 : 4.5));
    }
    if (!m_rcGrip.IsEmpty()) {
      const CRect g(m_rcGrip.x, m_rcGrip.y, m_rcGrip.GetRight() + 1, m_rcGrip.GetBottom() + 1);
      gdc.FillSolidRect(g, pm->GetColor(QORP_CLR_GALLERY_LABEL_BAND));
      for (int i = 0; i < 3; ++i) gdc.FillSolidRect(CRect(g.right - 12 + 4 * i, g.top + 3, g.right - 10 + 4 * i, g.top + 5),
                                                     RGB(0x80, 0x80, 0x80));
    }
    // The frame: black (white on a dark pop-up) taken halfway to the background, no further than
    // still standing out from it.
    const wxSize sz = GetClientSize();
    const COLORREF back = pm->GetColor(QORP_CLR_POPUP_BACK);
    const COLORREF ink = CQORPDrawHelpers::ContrastRatio(back, RGB(0, 0, 0)) >= CQORPDrawHelpers::ContrastRatio(back, RGB(255, 255, 255))
                             ? RGB(0, 0, 0)
                             : RGB(255, 255, 255);
    gdc.FrameRect(CRect(0, 0, sz.x, sz.y), CQORPDrawHelpers::DimmedText(ink, back, 0.5));
  }
  static constexpr int kFrame = 1;

  CQORPControl* m_pOwnerControl;
  HWND m_hFrame;
  std::vector<Row> m_rows;
  int m_cx = 0;
  wxRect m_rcGrip;
  bool m_bClosed = false;
  bool m_bOwnClose = false;
  bool m_bResizing = false;
  int m_nResizeStartY = 0, m_nResizeStartHeight = 0;
  GalleryView* m_pThumbDrag = nullptr;
  GalleryView* m_pPressedView = nullptr;
  int m_nPressed = -1;
  CQORPControl* m_pPressedButton = nullptr;
  CQORPControl* m_pHotButton = nullptr;
  Row* m_pSliding = nullptr;  // the slider row being dragged
};

int PopupKeyFilter::FilterEvent(wxEvent& event) {
  const wxEventType t = event.GetEventType();
  if (!g_pOpen || (t != wxEVT_CHAR_HOOK && t != wxEVT_KEY_DOWN)) return Event_Skip;
  const int key = static_cast<wxKeyEvent&>(event).GetKeyCode();
  return g_pOpen->HandleKey(key) ? Event_Processed : Event_Skip;
}

bool OpenFromSeam(CQORPControl* pControl, wxWindow* pOwner, const wxRect& rc) {
  return QORPOpenPopupBar(pControl, pOwner, RECT{rc.x, rc.y, rc.x + rc.width, rc.y + rc.height}) != FALSE;
}

// The ribbon's drop-down and split buttons open their pop-up bars here.
const bool g_registered = [] {
  QorpSetPopupOpener(&OpenFromSeam);
  return true;
}();

}  // namespace

BOOL QORPOpenPopupBar(CQORPControl* pControl, wxWindow* pOwner, const RECT& rcAnchorScreen) {
  (void)g_registered;
  if (!pControl || !pOwner) return FALSE;
  const CQORPCommandBar* pBar = static_cast<const CQORPControl*>(pControl)->GetCommandBar();
  if (!pBar || pBar->GetCount() == 0) return FALSE;
  if (g_pOpen) g_pOpen->CloseFromCode(nullptr, -1, 0);
  wxWindow* pTop = wxGetTopLevelParent(pOwner);
  if (!pTop) return FALSE;
  const HWND hFrame = qorp::FrameFor(pControl, pOwner);
  // The bar shows current state when it opens.
  if (CQORPCommandBars* pBars = pControl->GetParent() ? pControl->GetParent()->GetCommandBars() : nullptr)
    if (CWnd* pFrame = CWnd::FromHandle(hFrame)) pBars->UpdateCommandUI(pFrame);
  auto* pWindow = new PopupBarWindow(pTop, pControl, hFrame);
  if (!pWindow->Build()) {
    pWindow->Destroy();
    return FALSE;
  }
  pWindow->Open(wxRect(rcAnchorScreen.left, rcAnchorScreen.top, rcAnchorScreen.right - rcAnchorScreen.left,
                       rcAnchorScreen.bottom - rcAnchorScreen.top));
  return TRUE;
}

CQORPControl* QORPGetOpenPopupControl() { return g_pOpen ? g_pOpen->GetOwnerControl() : nullptr; }

void QORPClosePopupBar() {
  if (g_pOpen) g_pOpen->Dismiss();
}

wxWindow* QORPGetOpenPopupWindow() { return g_pOpen; }

CRect QORPGetPopupItemRect(const CQORPControlGallery* pGallery, int nIndex) {
  return g_pOpen ? g_pOpen->ItemScreenRect(pGallery, nIndex) : CRect(0, 0, 0, 0);
}

void QORPEnsurePopupItemVisible(const CQORPControlGallery* pGallery, int nIndex) {
  if (g_pOpen) g_pOpen->EnsureVisible(pGallery, nIndex);
}
