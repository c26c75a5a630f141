// The spin edit, the one the ribbon's strip and any other window host: the edit's label, a
// native edit and up/down arrows drawn by us (GTK's own spin button is wide and horizontal; an
// edit without spin buttons has none). Enter, and leaving the edit after changing it, send 100;
// the arrows send 4104 (+step) and 4105 (-step). A disabled edit sends nothing.
#include <wx/dcclient.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include <cairo.h>

#include "GalleryView.h"
#include "QorpGalleryWindows.h"
#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "QorpRibbon.h"
#include "spin_edit.h"

#include <algorithm>

namespace {

constexpr int kArrowWidth = 14;

class SpinEditWindow : public wxWindow {
 public:
  SpinEditWindow(CQORPControlEdit* pEdit, wxWindow* pParent, int nWidth)
      : wxWindow(pParent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE), m_pEdit(pEdit) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_cxArrows = pEdit->IsSpinButtonsVisible() ? kArrowWidth : 0;
    m_pText = new wxTextCtrl(this, wxID_ANY, wxString(pEdit->GetEditText().GetString()), wxDefaultPosition,
                             wxDefaultSize, wxTE_PROCESS_ENTER);
    m_strKnown = m_pText->GetValue();
    const CString label = QORPStripMnemonic(pEdit->GetLabel());
    m_cxLabel = label.IsEmpty() ? 0 : GetTextExtent(wxString(label.GetString())).x + 6;
    const int cy = std::max(m_pText->GetBestSize().y, 22);
    SetSize(std::max(nWidth, m_cxLabel + m_cxArrows + 30), cy);
    SetMinSize(GetSize());
    PlaceChildren();
    Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
      PlaceChildren();
      e.Skip();
    });
    Bind(wxEVT_PAINT, &SpinEditWindow::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &SpinEditWindow::OnLeftDown, this);
    Bind(wxEVT_LEFT_DCLICK, &SpinEditWindow::OnLeftDown, this);
    Bind(wxEVT_IDLE, &SpinEditWindow::OnIdle, this);
    m_pText->Bind(wxEVT_TEXT, [this](wxCommandEvent& e) {
      if (m_bQuiet || qorp::WindowGoing(this)) return;
      m_strKnown = m_pText->GetValue();
      m_pEdit->SetEditText(m_strKnown.wc_str());
      m_bDirty = true;
      e.Skip();
    });
    m_pText->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) {
      if (!qorp::WindowGoing(this)) Execute();
    });
    m_pText->Bind(wxEVT_SET_FOCUS, [this](wxFocusEvent& e) {
      if (!qorp::WindowGoing(this)) m_pEdit->SetFocused(TRUE);
      e.Skip();
    });
    m_pText->Bind(wxEVT_KILL_FOCUS, [this](wxFocusEvent& e) {
      e.Skip();
      if (qorp::TopLevelGoing(this)) return;
      m_pEdit->SetFocused(FALSE);
      // Leaving the edit after typing carries the value out; leaving it untouched does not.
      if (m_bDirty) CallAfter([this] {
        if (!qorp::WindowGoing(this)) Execute();
      });
    });
    Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& e) {
      if (e.GetEventObject() == this && !qorp::TopLevelGoing(this)) m_pEdit->SetFocused(FALSE);
      e.Skip();
    });
  }

  wxTextCtrl* Text() const { return m_pText; }

  wxRect ArrowRect(bool bUp) const {
    if (m_cxArrows == 0) return wxRect();
    const wxSize sz = GetClientSize();
    const int half = sz.y / 2;
    return bUp ? wxRect(sz.x - m_cxArrows, 0, m_cxArrows, half) : wxRect(sz.x - m_cxArrows, half, m_cxArrows, sz.y - half);
  }

  void SetBack(COLORREF clr) {
    if (m_bOwnBack && clr == m_clrBack) return;
    m_bOwnBack = true;
    m_clrBack = clr;
    Refresh();
  }

  // An arrow's click: the handler reads the text, adds the step and writes the sum back.
  bool ClickArrow(bool bUp) {
    if (qorp::WindowGoing(this) || m_cxArrows == 0 || !m_pEdit->GetEnabled()) return false;
    const int step = std::max(m_pEdit->GetSpinStep(), 1);
    m_strKnown = m_pText->GetValue();
    m_pEdit->SetEditText(m_strKnown.wc_str());
    m_bDirty = false;
    m_nPressed = bUp ? 1 : 2;
    Refresh();
    qorp::SendControlNotify(Frame(), m_pEdit, bUp ? QORP_CN_SPINUP : QORP_CN_SPINDOWN, bUp ? step : -step);
    m_nPressed = 0;
    Refresh();
    return true;
  }

  // The control's state reaches the window (the update pass sets it).
  void Sync() {
    if (qorp::WindowGoing(this)) return;
    const bool bEnabled = m_pEdit->GetEnabled() != FALSE;
    if (IsEnabled() != bEnabled) {
      Enable(bEnabled);
      Refresh();
    }
    const wxString text(m_pEdit->GetEditText().GetString());
    if (text != m_strKnown) {
      m_strKnown = text;
      if (text != m_pText->GetValue()) {
        m_bQuiet = true;
        m_pText->ChangeValue(text);
        m_bQuiet = false;
      }
      m_bDirty = false;
    }
  }

 private:
  void PlaceChildren() {
    const wxSize sz = GetClientSize();
    m_pText->SetSize(m_cxLabel, 0, std::max(10, sz.x - m_cxLabel - m_cxArrows - (m_cxArrows ? 1 : 0)), sz.y);
    Refresh();
  }

  HWND Frame() { return qorp::FrameFor(m_pEdit, this); }

  void Execute() {
    if (!m_pText) return;
    m_bDirty = false;
    if (!m_pEdit->GetEnabled()) return;
    m_strKnown = m_pText->GetValue();
    m_pEdit->SetEditText(m_strKnown.wc_str());
    qorp::SendControlNotify(Frame(), m_pEdit, QORP_CN_EXECUTE);
  }

  void OnLeftDown(wxMouseEvent& e) {
    const wxPoint pt = e.GetPosition();
    if (ArrowRect(true).Contains(pt)) ClickArrow(true);
    else if (ArrowRect(false).Contains(pt)) ClickArrow(false);
  }

  // The control's state reaches the window at idle time too (the update pass sets it there).
  void OnIdle(wxIdleEvent& e) {
    if (qorp::WindowGoing(this)) return;
    e.Skip();
    Sync();
  }

  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (qorp::WindowGoing(this)) return;
    auto* cr = static_cast<cairo_t*>(dc.GetHandle());
    if (!cr) return;
    const CQORPPaintManager* pm = CQORPPaintManager::Get();
    const COLORREF back = m_bOwnBack ? m_clrBack : pm->GetColor(QORP_CLR_RIBBON_PRIMARY);
    qorp::SetColour(cr, back);
    cairo_paint(cr);
    CQORPGalleryDC gdc(cr);
    const wxSize sz = GetClientSize();
    const bool bEnabled = m_pEdit->GetEnabled() != FALSE;
    // The label in the colour of the ribbon's control captions.
    if (m_cxLabel > 0)
      gdc.DrawText(QORPStripMnemonic(m_pEdit->GetLabel()), CRect(0, 0, m_cxLabel, sz.y),
                   CQORPDrawHelpers::ReadableText(pm->GetColor(bEnabled ? QORP_CLR_TAB_LABEL : QORP_CLR_DISABLED_LABEL), back));
    for (int i = 0; i < (m_cxArrows ? 2 : 0); ++i) {
      const wxRect r = ArrowRect(i == 0);
      const CRect rc(r.x, r.y, r.GetRight() + 1, r.GetBottom() + 1);
      gdc.FillSolidRect(rc, m_nPressed == i + 1 ? pm->GetColor(QORP_CLR_HOVER_FILL) : RGB(0xF4, 0xF4, 0xF4));
      gdc.FrameRect(rc, RGB(0xAB, 0xAB, 0xAB));
      // A small triangle pointing up or down.
      const double cx = r.x + r.width / 2.0, cy = r.y + r.height / 2.0;
      qorp::SetColour(cr, bEnabled ? RGB(0x30, 0x30, 0x30) : RGB(0xA0, 0xA0, 0xA0));
      const double d = i == 0 ? -1.5 : 1.5;
      cairo_move_to(cr, cx - 3.5, cy - d);
      cairo_line_to(cr, cx + 3.5, cy - d);
      cairo_line_to(cr, cx, cy + d);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
  }

  CQORPControlEdit* m_pEdit;
  wxTextCtrl* m_pText = nullptr;
  int m_cxLabel = 0;
  int m_cxArrows = 0;
  int m_nPressed = 0;
  bool m_bOwnBack = false;
  COLORREF m_clrBack = 0;
  bool m_bDirty = false;
  bool m_bQuiet = false;
  wxString m_strKnown;  // the text both the window and the control last agreed on
};

}  // namespace

wxWindow* QORPCreateSpinEditWindow(CQORPControlEdit* pEdit, wxWindow* pParent, int nWidth) {
  if (!pEdit || !pParent) return nullptr;
  return new SpinEditWindow(pEdit, pParent, nWidth);
}

wxWindow* QORPGetSpinEditTextWindow(wxWindow* pSpinWindow) {
  auto* p = dynamic_cast<SpinEditWindow*>(pSpinWindow);
  return p ? p->Text() : nullptr;
}

void QORPSetSpinEditBackground(wxWindow* pSpinWindow, COLORREF clrBack) {
  if (auto* p = dynamic_cast<SpinEditWindow*>(pSpinWindow)) p->SetBack(clrBack);
}

void QORPSyncSpinEdit(wxWindow* pSpinWindow) {
  if (auto* p = dynamic_cast<SpinEditWindow*>(pSpinWindow)) p->Sync();
}

BOOL QORPClickSpinArrow(wxWindow* pSpinWindow, BOOL bUp) {
  auto* p = dynamic_cast<SpinEditWindow*>(pSpinWindow);
  return p && p->ClickArrow(bUp != FALSE) ? TRUE : FALSE;
}

CRect QORPGetSpinArrowRect(wxWindow* pSpinWindow, BOOL bUp) {
  auto* p = dynamic_cast<SpinEditWindow*>(pSpinWindow);
  if (!p) return CRect(0, 0, 0, 0);
  const wxRect r = p->ArrowRect(bUp != FALSE);
  return CRect(r.x, r.y, r.GetRight() + 1, r.GetBottom() + 1);
}
