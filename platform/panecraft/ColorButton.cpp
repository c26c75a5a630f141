// The colour split button: its icon carries a bar of the control's colour; the button part
// runs the command, the arrow opens the pop-up bar (toolkit button 9948, the colour gallery,
// "More Colors").
#include <wx/dcclient.h>
#include <wx/window.h>

#include <cairo.h>

#include "GalleryView.h"
#include "QorpGalleryWindows.h"
#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"

#include <algorithm>

namespace {

constexpr int kArrowWidth = 13;

class ColorButtonWindow : public wxWindow {
 public:
  ColorButtonWindow(CQORPControlPopupColor* pControl, wxWindow* pParent, const std::vector<uint32_t>& icon, int cxIcon,
                    int cyIcon)
      : wxWindow(pParent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxBORDER_NONE), m_pControl(pControl) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    if (cxIcon > 0 && cyIcon > 0 && cxIcon <= 256 && cyIcon <= 256 &&
        icon.size() == static_cast<size_t>(cxIcon) * static_cast<size_t>(cyIcon)) {
      m_icon = icon;
      m_cxIcon = cxIcon;
      m_cyIcon = cyIcon;
    } else {
      m_cxIcon = m_cyIcon = 16;
      m_icon.assign(16 * 16, 0u);  // transparent: the bar alone shows
    }
    m_clrShown = pControl->GetColor();
    m_nShownChange = pControl->GetColorChangeCount();
    const int cxCaption = pControl->GetCaption().IsEmpty()
                              ? 0
                              : GetTextExtent(wxString(pControl->GetCaption().GetString())).x + 6;
    SetSize(4 + m_cxIcon + 4 + cxCaption + kArrowWidth, std::max(m_cyIcon + 6, 22));
    SetMinSize(GetSize());
    Bind(wxEVT_PAINT, &ColorButtonWindow::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &ColorButtonWindow::OnLeftDown, this);
    Bind(wxEVT_ENTER_WINDOW, [this](wxMouseEvent& e) {
      m_bHot = true;
      Refresh();
      e.Skip();
    });
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent& e) {
      m_bHot = false;
      Refresh();
      e.Skip();
    });
    Bind(wxEVT_IDLE, &ColorButtonWindow::OnIdle, this);
  }

  COLORREF ShownColor() const { return m_clrShown; }
  wxRect ArrowRect() const {
    const wxSize sz = GetClientSize();
    return wxRect(sz.x - kArrowWidth, 0, kArrowWidth, sz.y);
  }

 private:
  void OnIdle(wxIdleEvent& e) {
    if (qorp::WindowGoing(this)) return;
    e.Skip();
    if (m_pControl->GetColorChangeCount() != m_nShownChange || m_pControl->GetColor() != m_clrShown) {
      m_nShownChange = m_pControl->GetColorChangeCount();
      m_clrShown = m_pControl->GetColor();
      Refresh();
    }
    const bool bEnabled = m_pControl->GetEnabled() != FALSE;
    if (IsEnabled() != bEnabled) {
      Enable(bEnabled);
      Refresh();
    }
  }

  void OnLeftDown(wxMouseEvent& e) {
    if (qorp::WindowGoing(this)) return;
    if (!m_pControl->GetEnabled()) return;
    if (ArrowRect().Contains(e.GetPosition())) {
      const wxRect rc = GetScreenRect();
      QORPOpenPopupBar(m_pControl, this, RECT{rc.x, rc.y, rc.x + rc.width, rc.y + rc.height});
      return;
    }
    qorp::SendCommand(qorp::FrameFor(m_pControl, this), m_pControl->GetID());
  }

  void OnPaint(wxPaintEvent&) {
    wxPaintDC dc(this);
    if (qorp::WindowGoing(this)) return;
    auto* cr = static_cast<cairo_t*>(dc.GetHandle());
    if (!cr) return;
    const CQORPPaintManager* pm = CQORPPaintManager::Get();
    const wxSize sz = GetClientSize();
    qorp::SetColour(cr, pm->GetColor(QORP_CLR_RIBBON_PRIMARY));
    cairo_paint(cr);
    CQORPGalleryDC gdc(cr);
    const bool bEnabled = m_pControl->GetEnabled() != FALSE;
    if (m_bHot && bEnabled) {
      gdc.FillSolidRect(CRect(0, 0, sz.x, sz.y), pm->GetColor(QORP_CLR_HOVER_FILL));
      gdc.FrameRect(CRect(0, 0, sz.x, sz.y), pm->GetColor(QORP_CLR_HOVER_FRAME));
      gdc.VertLine(sz.x - kArrowWidth, 1, sz.y - 1, pm->GetColor(QORP_CLR_HOVER_FRAME));
    }
    // The icon with the colour bar, premultiplied into a surface.
    std::vector<uint32_t> px = m_icon;
    QORPPaintColorBar(px, m_cxIcon, m_cyIcon, m_clrShown);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_cxIcon, m_cyIcon);
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
      cairo_surface_flush(s);
      unsigned char* data = cairo_image_surface_get_data(s);
      const int stride = cairo_image_surface_get_stride(s);
      for (int y = 0; y < m_cyIcon; ++y) {
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * static_cast<size_t>(stride));
        for (int x = 0; x < m_cxIcon; ++x) {
          const uint32_t p = px[static_cast<size_t>(y) * static_cast<size_t>(m_cxIcon) + static_cast<size_t>(x)];
          const uint32_t a = p >> 24;
          auto pm8 = [a](uint32_t c) { return (c * a + 127) / 255; };
          out[x] = (a << 24) | (pm8((p >> 16) & 0xFF) << 16) | (pm8((p >> 8) & 0xFF) << 8) | pm8(p & 0xFF);
        }
      }
      cairo_surface_mark_dirty(s);
      cairo_set_source_surface(cr, s, 4, (sz.y - m_cyIcon) / 2);
      cairo_paint_with_alpha(cr, bEnabled ? 1.0 : 0.4);
    }
    cairo_surface_destroy(s);
    const int xCaption = 4 + m_cxIcon + 4;
    gdc.DrawText(m_pControl->GetCaption(), CRect(xCaption, 0, sz.x - kArrowWidth, sz.y),
                 CQORPDrawHelpers::ReadableText(pm->GetColor(bEnabled ? QORP_CLR_PANEL_LABEL : QORP_CLR_DISABLED_LABEL),
                                                pm->GetColor(m_bHot && bEnabled ? QORP_CLR_HOVER_FILL : QORP_CLR_RIBBON_PRIMARY)));
    const wxRect a = ArrowRect();
    const double cx = a.x + a.width / 2.0, cy = a.y + a.height / 2.0;
    qorp::SetColour(cr, bEnabled ? RGB(0x30, 0x30, 0x30) : RGB(0xA0, 0xA0, 0xA0));
    cairo_move_to(cr, cx - 3, cy - 1.5);
    cairo_line_to(cr, cx + 3, cy - 1.5);
    cairo_line_to(cr, cx, cy + 1.5);
    cairo_close_path(cr);
    cairo_fill(cr);
  }

  CQORPControlPopupColor* m_pControl;
  std::vector<uint32_t> m_icon;
  int m_cxIcon = 0, m_cyIcon = 0;
  COLORREF m_clrShown = 0;
  unsigned m_nShownChange = 0;
  bool m_bHot = false;
};

}  // namespace

wxWindow* QORPCreateColorButtonWindow(CQORPControlPopupColor* pControl, wxWindow* pParent,
                                      const std::vector<uint32_t>& icon, int cxIcon, int cyIcon) {
  if (!pControl || !pParent) return nullptr;
  return new ColorButtonWindow(pControl, pParent, icon, cxIcon, cyIcon);
}

COLORREF QORPGetColorButtonShownColor(wxWindow* pButtonWindow) {
  auto* p = dynamic_cast<ColorButtonWindow*>(pButtonWindow);
  return p ? p->ShownColor() : static_cast<COLORREF>(0xFFFFFFFFu);
}

CRect QORPGetColorButtonArrowRect(wxWindow* pButtonWindow) {
  auto* p = dynamic_cast<ColorButtonWindow*>(pButtonWindow);
  if (!p) return CRect(0, 0, 0, 0);
  const wxRect r = p->ArrowRect();
  return CRect(r.x, r.y, r.GetRight() + 1, r.GetBottom() + 1);
}

void QORPFillPopupColorBar(CQORPControlPopupColor* pControl, int nGalleryId, CQORPControlGalleryItems* pColors,
                           CSize szGallery, int nMoreId, const wchar_t* lpszMoreCaption) {
  if (!pControl) return;
  CQORPCommandBar* pBar = pControl->GetCommandBar();
  if (!pBar) return;
  pBar->Add(std::make_unique<CQORPControlButton>(QORP_ID_POPUPCOLOR_AUTOMATIC));
  auto pGallery = std::make_unique<CQORPControlGallery>(nGalleryId);
  pGallery->SetItems(pColors);
  pGallery->SetControlSize(szGallery);
  pBar->Add(std::move(pGallery));
  CQORPControl* pMore = pBar->Add(std::make_unique<CQORPControlButton>(nMoreId));
  if (lpszMoreCaption && pMore->GetCaption().IsEmpty()) pMore->SetCaption(lpszMoreCaption);
}
