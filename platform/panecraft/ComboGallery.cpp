// The combo box with a gallery drop-down: a wxComboCtrl whose popup is our gallery window. The
// edit text and focus follow the control (GetEditText/SetEditText/HasFocus), typing completes
// to an item caption, Enter and a pick send 100 from the combo's id.
#include <wx/combo.h>
#include <wx/dcclient.h>
#include <wx/textctrl.h>

#include <cairo.h>

#include "GalleryView.h"
#include "QorpGalleryWindows.h"
#include "QorpPaintManager.h"

#include <algorithm>

namespace {

using qorp::GalleryView;

constexpr int kGripHeight = 9;
constexpr int kMinHeight = 40;

class ComboWindow;

// The drop-down: one gallery filling the window, a grip at the bottom for resizable galleries.
class GalleryPopup : public wxWindow, public wxComboPopup {
 public:
  explicit GalleryPopup(ComboWindow* pOwner) : m_pOwner(pOwner) {}
  ~GalleryPopup() override;

  bool Create(wxWindow* pParent) override {
    if (!wxWindow::Create(pParent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE)) return false;
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &GalleryPopup::OnPaint, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
      Place();
      Refresh();
      e.Skip();
    });
    Bind(wxEVT_MOTION, &GalleryPopup::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
      if (!HasCapture()) Hover(wxPoint(-1, -1));
      e.Skip();
    });
    Bind(wxEVT_LEFT_DOWN, &GalleryPopup::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &GalleryPopup::OnLeftUp, this);
    Bind(wxEVT_MOUSEWHEEL, [this](wxMouseEvent& e) {
      if (!m_pView) return;
      const int lines = e.GetWheelDelta() ? e.GetWheelRotation() / e.GetWheelDelta() : 0;
      m_pView->ScrollBy(-lines * 3 * m_pView->GetLineHeight());
      Hover(e.GetPosition());
      Refresh();
    });
    Bind(wxEVT_KEY_DOWN, &GalleryPopup::OnKey, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, [this](wxMouseCaptureLostEvent&) { EndDrag(); });
    return true;
  }

  wxWindow* GetControl() override { return this; }
  void SetStringValue(const wxString&) override {}
  wxString GetStringValue() const override;
  void OnPopup() override;
  void OnDismiss() override;
  wxSize GetAdjustedSize(int minWidth, int prefHeight, int maxHeight) override;
  bool FindItem(const wxString& item, wxString*) override;

  CQORPControlGallery* Gallery() const;
  GalleryView* View() { return m_pView.get(); }
  void Place() {
    if (!m_pView) return;
    const wxSize sz = GetClientSize();
    const bool bGrip = Gallery() && Gallery()->IsResizable();
    m_pView->SetRect(wxRect(0, 0, sz.x, std::max(0, sz.y - (bGrip ? kGripHeight : 0))));
  }
  // Picks an item (keyboard Enter or a click).
  void Pick(int nIndex);
  void Hover(const wxPoint& pt);
  bool IsPicking() const { return m_bPicking; }

 private:
  void OnPaint(wxPaintEvent&);
  void OnMotion(wxMouseEvent& e);
  void OnLeftDown(wxMouseEvent& e);
  void OnLeftUp(wxMouseEvent& e);
  void OnKey(wxKeyEvent& e);
  void EndDrag() {
    m_bResizing = false;
    if (m_pView) m_pView->EndThumbDrag();
    if (HasCapture()) ReleaseMouse();
  }
  wxRect GripRect() const {
    const wxSize sz = GetClientSize();
    return wxRect(0, sz.y - kGripHeight, sz.x, kGripHeight);
  }

  ComboWindow* m_pOwner;
  std::unique_ptr<GalleryView> m_pView;
  int m_nPressed = -1;
  bool m_bPicking = false;
  bool m_bResizing = false;
  int m_nResizeStartY = 0, m_nResizeStartHeight = 0;
};

class ComboWindow : public wxComboCtrl {
 public:
  ComboWindow(CQORPControlComboBox* pCombo, wxWindow* pParent, int nWidth, bool bAutoComplete)
      : wxComboCtrl(pParent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(nWidth, -1), wxTE_PROCESS_ENTER),
        m_pCombo(pCombo),
        m_bAutoComplete(bAutoComplete) {
    m_pPopup = new GalleryPopup(this);
    SetPopupControl(m_pPopup);
    m_strKnown = wxString(pCombo->GetEditText().GetString());
    ChangeValue(m_strKnown);
    Bind(wxEVT_TEXT, &ComboWindow::OnText, this);
    Bind(wxEVT_TEXT_ENTER, &ComboWindow::OnEnter, this);
    Bind(wxEVT_IDLE, &ComboWindow::OnIdle, this);
    if (wxTextCtrl* pText = GetTextCtrl()) {
      pText->Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
        if (!qorp::WindowGoing(this)) m_pCombo->SetFocused(TRUE);
        e.Skip();
      });
      pText->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
        if (!qorp::TopLevelGoing(this)) m_pCombo->SetFocused(FALSE);
        e.Skip();
      });
    }
    Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& e) {
      if (e.GetEventObject() == this && !qorp::TopLevelGoing(this)) m_pCombo->SetFocused(FALSE);
      e.Skip();
    });
  }

  CQORPControlComboBox* Combo() const { return m_pCombo; }
  CQORPControlGallery* Gallery() const {
    const CQORPCommandBar* pBar = static_cast<const CQORPControl*>(m_pCombo)->GetCommandBar();
    return pBar ? dynamic_cast<CQORPControlGallery*>(pBar->GetAt(0)) : nullptr;
  }
  HWND Frame() { return qorp::FrameFor(m_pCombo, this); }
  GalleryPopup* PopupWindow() const { return m_pPopup; }

  // The first item whose caption starts with text (case folded); -1 when none.
  int FindPrefix(const wxString& text, bool bWhole) const {
    CQORPControlGallery* g = Gallery();
    if (!g || text.empty()) return -1;
    const wxString lower = text.Lower();
    for (int i = 0; i < g->GetItemCount(); ++i) {
      const CQORPControlGalleryItem* p = g->GetItem(i);
      if (p->IsLabel()) continue;
      const wxString caption = wxString(p->GetCaption().GetString()).Lower();
      if (bWhole ? caption == lower : caption.StartsWith(lower)) return i;
    }
    return -1;
  }

  // The drop-down picked an item: its caption becomes the text; 100 goes to the frame.
  void Picked(int nIndex) {
    CQORPControlGallery* g = Gallery();
    if (!g) return;
    if (const CQORPControlGalleryItem* p = g->GetItem(nIndex)) {
      m_pCombo->SetEditText(p->GetCaption());
      ChangeValue(wxString(p->GetCaption().GetString()));
      m_strKnown = GetValue();
      m_nTypedLength = GetValue().length();
    }
    qorp::SendControlNotify(Frame(), m_pCombo, QORP_CN_EXECUTE);
  }

 private:
  void OnText(wxCommandEvent& e) {
    e.Skip();
    if (qorp::WindowGoing(this)) return;
    wxString text = GetValue();
    if (m_bAutoComplete && text.length() > m_nTypedLength && GetInsertionPoint() == static_cast<long>(text.length())) {
      const int n = FindPrefix(text, false);
      CQORPControlGallery* g = Gallery();
      if (n >= 0 && g) {
        const wxString caption(g->GetItem(n)->GetCaption().GetString());
        const size_t typed = text.length();
        if (caption.length() > typed) {
          // Keep what was typed, complete with the rest of the caption, selected.
          ChangeValue(text + caption.Mid(typed));
          SetSelection(static_cast<long>(typed), static_cast<long>(caption.length()));
        }
        g->SetSelectedItem(n);
        if (IsPopupShown() && m_pPopup->View()) {
          m_pPopup->View()->EnsureVisible(n);
          m_pPopup->Refresh();
        }
        m_nTypedLength = typed;
        m_strKnown = GetValue();
        m_pCombo->SetEditText(m_strKnown.wc_str());
        return;
      }
    }
    m_nTypedLength = text.length();
    m_strKnown = text;
    m_pCombo->SetEditText(text.wc_str());
  }

  void OnEnter(wxCommandEvent&) {
    if (qorp::WindowGoing(this)) return;
    const wxString text = GetValue();
    m_strKnown = text;
    m_pCombo->SetEditText(text.wc_str());
    if (CQORPControlGallery* g = Gallery()) {
      const int n = FindPrefix(text, true);
      if (n >= 0) g->SetSelectedItem(n);
    }
    if (IsPopupShown()) Dismiss();
    qorp::SendControlNotify(Frame(), m_pCombo, QORP_CN_EXECUTE);
  }

  // The control's state reaches the window at idle time (the update pass sets it there).
  void OnIdle(wxIdleEvent& e) {
    e.Skip();
    if (qorp::WindowGoing(this)) return;
    const bool bEnabled = m_pCombo->GetEnabled() != FALSE;
    if (IsEnabled() != bEnabled) Enable(bEnabled);
    // The program changed the text (the window's own changes are known already).
    const wxString text(m_pCombo->GetEditText().GetString());
    if (text != m_strKnown) {
      m_strKnown = text;
      if (text != GetValue()) {
        ChangeValue(text);
        m_nTypedLength = text.length();
      }
    }
  }

  CQORPControlComboBox* m_pCombo;
  bool m_bAutoComplete;
  GalleryPopup* m_pPopup = nullptr;
  size_t m_nTypedLength = 0;
  wxString m_strKnown;  // the text both the window and the control last agreed on
};

CQORPControlGallery* GalleryPopup::Gallery() const { return m_pOwner->Gallery(); }

GalleryPopup::~GalleryPopup() {
  // Gone with the combo while open: the gallery stops tracking (unless the whole frame is going,
  // controls and all).
  if (m_pView && !qorp::TopLevelGoing(m_pOwner) && m_pView->GetGallery()->IsTracking()) {
    m_pView->GetGallery()->SetHighlightedItem(-1);
    m_pView->GetGallery()->EndTracking(-1);
  }
}

wxString GalleryPopup::GetStringValue() const { return m_pOwner->GetValue(); }

bool GalleryPopup::FindItem(const wxString& item, wxString*) { return m_pOwner->FindPrefix(item, true) >= 0; }

wxSize GalleryPopup::GetAdjustedSize(int minWidth, int, int maxHeight) {
  CQORPControlGallery* g = Gallery();
  CSize sz = g ? g->GetControlSize() : CSize(0, 0);
  if (sz.cx <= 0) sz.cx = minWidth;
  if (sz.cy <= 0) sz.cy = 200;
  int cy = static_cast<int>(sz.cy) + (g && g->IsResizable() ? kGripHeight : 0);
  if (maxHeight > 0) cy = std::min(cy, maxHeight);
  return wxSize(std::max(minWidth, static_cast<int>(sz.cx)), std::max(cy, kMinHeight));
}

void GalleryPopup::OnPopup() {
  CQORPControlGallery* g = Gallery();
  m_pView = g ? std::make_unique<GalleryView>(g) : nullptr;
  m_nPressed = -1;
  m_bPicking = false;
  if (!g) return;
  g->BeginTracking();
  Place();
  m_pView->EnsureVisible(g->GetSelectedItemShown());
  Refresh();
}

void GalleryPopup::OnDismiss() {
  EndDrag();
  CQORPControlGallery* g = Gallery();
  if (!g || m_bPicking || !g->IsTracking()) return;
  // Closed by a click outside, Esc or the drop-down button: highlighting ends.
  g->SetHighlightedItem(-1);
  g->EndTracking(-1);
  qorp::SendGalleryNotify(m_pOwner->Frame(), g, QORP_GN_HIGHLIGHTEND);
}

void GalleryPopup::Pick(int nIndex) {
  CQORPControlGallery* g = Gallery();
  const CQORPControlGalleryItem* p = g ? g->GetItem(nIndex) : nullptr;
  if (!p || p->IsLabel() || !p->GetEnabled() || !g->GetEnabled()) return;
  m_bPicking = true;
  Dismiss();
  g->SetHighlightedItem(-1);
  g->EndTracking(nIndex);
  m_bPicking = false;
  const HWND hFrame = m_pOwner->Frame();
  qorp::SendGalleryNotify(hFrame, g, QORP_GN_HIGHLIGHTEND);
  m_pOwner->Picked(nIndex);
}

void GalleryPopup::Hover(const wxPoint& pt) {
  CQORPControlGallery* g = Gallery();
  if (!g || !m_pView || !g->IsTracking()) return;
  const int nBefore = g->GetHighlightedItem();
  const int n = GetClientRect().Contains(pt) && g->GetEnabled() ? m_pView->HitTest(pt) : -1;
  qorp::HoverGallery(m_pOwner->Frame(), g, n);
  if (g->GetHighlightedItem() != nBefore) {
    if (const CQORPControlGalleryItem* p = g->GetItem(g->GetHighlightedItem()))
      SetToolTip(wxString(p->GetToolTip().GetString()));
    else
      UnsetToolTip();
    Refresh();
  }
}

void GalleryPopup::OnMotion(wxMouseEvent& e) {
  const wxPoint pt = e.GetPosition();
  if (m_pView && m_pView->IsDraggingThumb()) {
    m_pView->OnThumbDrag(pt);
    Refresh();
    return;
  }
  if (m_bResizing) {
    const int cy = std::clamp(m_nResizeStartHeight + (pt.y - m_nResizeStartY), kMinHeight, 2000);
    wxWindow* pPopupWindow = GetParent();
    const wxSize sz = GetSize();
    SetSize(sz.x, cy);
    if (pPopupWindow) pPopupWindow->SetClientSize(sz.x, cy);
    if (CQORPControlGallery* g = Gallery())
      g->SetControlSize(CSize(g->GetControlSize().cx, std::max(cy - kGripHeight, kMinHeight)));
    return;
  }
  Hover(pt);
}

void GalleryPopup::OnLeftDown(wxMouseEvent& e) {
  const wxPoint pt = e.GetPosition();
  CQORPControlGallery* g = Gallery();
  if (!g || !m_pView) return;
  if (g->IsResizable() && GripRect().Contains(pt)) {
    m_bResizing = true;
    m_nResizeStartY = pt.y;
    m_nResizeStartHeight = GetClientSize().y;
    if (!HasCapture()) CaptureMouse();
    return;
  }
  if (m_pView->OnScrollBarDown(pt)) {
    if (m_pView->IsDraggingThumb() && !HasCapture()) CaptureMouse();
    Hover(pt);
    Refresh();
    return;
  }
  m_nPressed = m_pView->HitTest(pt);
  Refresh();
}

void GalleryPopup::OnLeftUp(wxMouseEvent& e) {
  const wxPoint pt = e.GetPosition();
  if (m_bResizing || (m_pView && m_pView->IsDraggingThumb())) {
    EndDrag();
    return;
  }
  const int nPressed = m_nPressed;
  m_nPressed = -1;
  if (!m_pView) return;
  const int n = GetClientRect().Contains(pt) ? m_pView->HitTest(pt) : -1;
  if (n >= 0 && n == nPressed)
    Pick(n);
  else
    Refresh();
}

void GalleryPopup::OnKey(wxKeyEvent& e) {
  CQORPControlGallery* g = Gallery();
  if (!g || !m_pView) {
    e.Skip();
    return;
  }
  UINT vk = 0;
  switch (e.GetKeyCode()) {
    case WXK_LEFT: vk = VK_LEFT; break;
    case WXK_RIGHT: vk = VK_RIGHT; break;
    case WXK_UP: vk = VK_UP; break;
    case WXK_DOWN: vk = VK_DOWN; break;
    case WXK_HOME: vk = VK_HOME; break;
    case WXK_END: vk = VK_END; break;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      if (g->GetHighlightedItem() >= 0) Pick(g->GetHighlightedItem());
      return;
    case WXK_ESCAPE:
      Dismiss();
      return;
    default:
      e.Skip();
      return;
  }
  int nFrom = g->GetHighlightedItem();
  if (nFrom < 0) nFrom = g->GetSelectedItemShown();
  const int n = m_pView->GetLayout().Move(g->GetItems(), nFrom, vk);
  if (n >= 0) {
    m_pView->EnsureVisible(n);
    qorp::HoverGallery(m_pOwner->Frame(), g, n);
  }
  Refresh();
}

void GalleryPopup::OnPaint(wxPaintEvent&) {
  wxPaintDC dc(this);
  if (qorp::WindowGoing(m_pOwner)) return;
  auto* cr = static_cast<cairo_t*>(dc.GetHandle());
  if (!cr) return;
  qorp::SetColour(cr, CQORPPaintManager::Get()->GetColor(QORP_CLR_POPUP_BACK));
  cairo_paint(cr);
  if (m_pView) m_pView->Paint(cr, m_nPressed);
  CQORPControlGallery* g = Gallery();
  if (g && g->IsResizable()) {
    const wxRect r = GripRect();
    CQORPGalleryDC gdc(cr);
    gdc.FillSolidRect(CRect(r.x, r.y, r.GetRight() + 1, r.GetBottom() + 1),
                      CQORPPaintManager::Get()->GetColor(QORP_CLR_GALLERY_LABEL_BAND));
  }
}

ComboWindow* AsCombo(wxWindow* w) { return dynamic_cast<ComboWindow*>(w); }

}  // namespace

wxWindow* QORPCreateComboWindow(CQORPControlComboBox* pCombo, wxWindow* pParent, int nWidth, BOOL bAutoComplete) {
  if (!pCombo || !pParent) return nullptr;
  return new ComboWindow(pCombo, pParent, std::max(nWidth, 30), bAutoComplete != FALSE);
}

void QORPShowComboDropDown(wxWindow* pComboWindow, BOOL bShow) {
  ComboWindow* c = AsCombo(pComboWindow);
  if (!c) return;
  if (bShow && !c->IsPopupShown())
    c->Popup();
  else if (!bShow && c->IsPopupShown())
    c->Dismiss();
}

BOOL QORPIsComboDropDownShown(wxWindow* pComboWindow) {
  ComboWindow* c = AsCombo(pComboWindow);
  return c && c->IsPopupShown() ? TRUE : FALSE;
}

CRect QORPGetComboItemRect(wxWindow* pComboWindow, int nIndex) {
  ComboWindow* c = AsCombo(pComboWindow);
  if (!c || !c->IsPopupShown() || !c->PopupWindow()->View()) return CRect(0, 0, 0, 0);
  GalleryPopup* p = c->PopupWindow();
  wxRect rc = p->View()->GetItemRect(nIndex);
  rc.Intersect(p->View()->GetRect());
  if (rc.IsEmpty()) return CRect(0, 0, 0, 0);
  const wxPoint pt = p->ClientToScreen(rc.GetTopLeft());
  return CRect(pt.x, pt.y, pt.x + rc.width, pt.y + rc.height);
}

void QORPEnsureComboItemVisible(wxWindow* pComboWindow, int nIndex) {
  ComboWindow* c = AsCombo(pComboWindow);
  if (!c || !c->PopupWindow()->View()) return;
  c->PopupWindow()->View()->EnsureVisible(nIndex);
  c->PopupWindow()->Refresh();
  c->PopupWindow()->Update();
}

int QORPGetComboScrollPos(wxWindow* pComboWindow) {
  ComboWindow* c = AsCombo(pComboWindow);
  return c && c->PopupWindow()->View() ? c->PopupWindow()->View()->GetScrollPos() : 0;
}

wxWindow* QORPGetComboTextWindow(wxWindow* pComboWindow) {
  ComboWindow* c = AsCombo(pComboWindow);
  return c ? c->GetTextCtrl() : nullptr;
}
