// The status bar: pane model, layout, painting through cairo, clicks and the paint-only redraw.
#include <wx/control.h>
#include <wx/evtloop.h>
#include <wx/window.h>

#include <cairo.h>

#include "QorpControls.h"
#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "QorpStatusBar.h"
#include "GalleryView.h"
#include <lwstr.h>

#include <algorithm>
#include <chrono>
#include <cmath>

void CQORPStatusBarPane::SetText(const wchar_t* lpsz) {
  m_strText = lpsz;
  Changed(m_nWidth == 0);
}

void CQORPStatusBarPane::SetPadding(int cxLeft, int cyTop, int cxRight, int cyBottom) {
  m_rcPadding = CRect(std::max(cxLeft, 0), std::max(cyTop, 0), std::max(cxRight, 0), std::max(cyBottom, 0));
  Changed(true);
}

void CQORPStatusBarPane::SetVisible(BOOL bVisible) {
  if ((bVisible != FALSE) == (m_bVisible != FALSE)) return;
  m_bVisible = bVisible ? TRUE : FALSE;
  if (m_pChild && m_pChild->GetSafeHwnd()) m_pChild->ShowWindow(m_bVisible ? SW_SHOW : SW_HIDE);
  Changed(true);
}

void CQORPStatusBarPane::SetEnabled(BOOL bEnabled) {
  m_bEnabled = bEnabled ? TRUE : FALSE;
  Changed(false);
}

void CQORPStatusBarPane::Changed(bool bRelayout) {
  if (m_pBar) m_pBar->PaneChanged(this, bRelayout);
}

void CQORPStatusBarProgressPane::SetRange(int nLower, int nUpper) {
  m_nLower = std::min(nLower, nUpper);
  m_nUpper = std::max(nLower, nUpper);
  SetPos(m_nPos);
}

void CQORPStatusBarProgressPane::SetPos(int nPos) {
  m_nPos = std::clamp(nPos, m_nLower, m_nUpper);
  Changed(false);
}

void CQORPStatusBarSliderPane::SetRange(int nMin, int nMax) {
  m_nMin = std::min(nMin, nMax);
  m_nMax = std::max(nMin, nMax);
  SetPos(m_nPos);
}

void CQORPStatusBarSliderPane::SetPos(int nPos) {
  m_nPos = std::clamp(nPos, m_nMin, m_nMax);
  Changed(false);
}

int CQORPStatusBarSliderPane::HitTest(int x, int& nPos) const {
  const CRect rc = GetRect();
  nPos = m_nPos;
  if (rc.IsRectEmpty() || x < rc.left || x >= rc.right) return -1;
  const int left = rc.left + GetPadding().left, right = rc.right - GetPadding().right;
  if (x < left + kButtonWidth) return SB_LINELEFT;
  if (x >= right - kButtonWidth) return SB_LINERIGHT;
  const int trackLeft = left + kButtonWidth + kThumbWidth / 2, trackRight = right - kButtonWidth - kThumbWidth / 2;
  const int span = std::max(trackRight - trackLeft, 1);
  const int range = m_nMax - m_nMin;
  const int thumbX = trackLeft + static_cast<int>(static_cast<long long>(m_nPos - m_nMin) * span / std::max(range, 1));
  if (std::abs(x - thumbX) <= kThumbWidth / 2) {
    nPos = PosFromX(x);
    return SB_THUMBTRACK;
  }
  return x < thumbX ? SB_PAGELEFT : SB_PAGERIGHT;
}

int CQORPStatusBarSliderPane::PosFromX(int x) const {
  const CRect rc = GetRect();
  const int left = rc.left + GetPadding().left, right = rc.right - GetPadding().right;
  const int trackLeft = left + kButtonWidth + kThumbWidth / 2, trackRight = right - kButtonWidth - kThumbWidth / 2;
  const int span = std::max(trackRight - trackLeft, 1);
  const int clampedX = std::clamp(x, trackLeft, std::max(trackLeft, trackRight));
  return m_nMin + static_cast<int>(static_cast<long long>(clampedX - trackLeft) * (m_nMax - m_nMin) / span);
}

void QORPLayoutStatusPanes(const std::vector<CQORPStatusBarPane*>& panes, int cx, int cy,
                           int (*pfnMeasure)(const CQORPStatusBarPane*, void*), void* pContext) {
  std::vector<int> widths(panes.size(), 0);
  int total = 0;
  int stretch = -1;
  for (size_t i = 0; i < panes.size(); ++i) {
    const CQORPStatusBarPane* p = panes[i];
    if (!p->IsVisible()) continue;
    int content = p->GetWidth();
    if (content == 0 && p->GetKind() != QORP_STATUS_PANE_STRETCH && pfnMeasure) content = pfnMeasure(p, pContext);
    widths[i] = std::max(content, 0) + p->GetPadding().left + p->GetPadding().right;
    total += widths[i];
    if (stretch < 0 && p->GetKind() == QORP_STATUS_PANE_STRETCH) stretch = static_cast<int>(i);
  }
  if (stretch >= 0 && total < cx) widths[static_cast<size_t>(stretch)] += cx - total;
  int x = 0;
  for (size_t i = 0; i < panes.size(); ++i) {
    CQORPStatusBarPane* p = panes[i];
    if (!p->IsVisible()) {
      p->m_rcPane = CRect(0, 0, 0, 0);
      continue;
    }
    p->m_rcPane = CRect(x, 0, x + widths[i], cy);
    x += widths[i];
  }
}

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CQORPStatusBar, CWnd)
  ON_WM_PAINT()
  ON_WM_SIZE()
  ON_WM_LBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONUP()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CQORPStatusBar::CQORPStatusBar() {
  CQORPPaintManager* pm = CQORPPaintManager::Get();
  m_clrBack = pm->GetColor(QORP_CLR_STATUSBAR_BACK);
  m_clrText = pm->GetColor(QORP_CLR_STATUSBAR_TEXT);
  m_nThemeCookie = pm->AddListener([this] {
    CQORPPaintManager* p = CQORPPaintManager::Get();
    SetColors(p->GetColor(QORP_CLR_STATUSBAR_BACK), p->GetColor(QORP_CLR_STATUSBAR_TEXT));
  });
}

CQORPStatusBar::~CQORPStatusBar() {
  DetachFromFrame();
  CQORPPaintManager::Get()->RemoveListener(m_nThemeCookie);
  for (auto& p : m_panes) p->m_pBar = nullptr;
}

BOOL CQORPStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  CRect rc(0, 0, 100, kHeight);
  if (pParentWnd) {
    CRect rcParent;
    pParentWnd->GetClientRect(&rcParent);
    rc = CRect(0, std::max(0, rcParent.Height() - kHeight), std::max(rcParent.Width(), 1),
               std::max(rcParent.Height(), static_cast<int>(kHeight)));
  }
  if (!CWnd::Create(nullptr, L"", dwStyle | WS_CHILD, rc, pParentWnd, nID)) return FALSE;
  RecalcLayout();
  // The panes join the update pass of the frame the bar belongs to.
  CFrameWnd* pFrame = pParentWnd ? dynamic_cast<CFrameWnd*>(pParentWnd) : nullptr;
  if (!pFrame && pParentWnd) pFrame = pParentWnd->GetParentFrame();
  if (pFrame && pFrame->GetSafeHwnd()) {
    lwmfc::AttachStatusPanes(pFrame, this);
    m_hUpdateFrame = pFrame->GetSafeHwnd();
  }
  return TRUE;
}

void CQORPStatusBar::DetachFromFrame() {
  const HWND hFrame = m_hUpdateFrame;
  m_hUpdateFrame = nullptr;
  // A frame whose window is gone has no update pass left to leave.
  if (!hFrame || !::IsWindow(hFrame)) return;
  if (auto* pFrame = dynamic_cast<CFrameWnd*>(CWnd::FromHandle(hFrame))) lwmfc::DetachStatusPanes(pFrame, this);
}

void CQORPStatusBar::OnDestroy() {
  DetachFromFrame();
  CWnd::OnDestroy();
}

UINT CQORPStatusBar::GetStatusPaneID(int nIndex) const {
  const CQORPStatusBarPane* p = GetPane(nIndex);
  return p ? p->GetID() : 0;
}

BOOL CQORPStatusBar::IsStatusPaneEnabled(int nIndex) const {
  const CQORPStatusBarPane* p = GetPane(nIndex);
  return p ? p->IsEnabled() : FALSE;
}

void CQORPStatusBar::SetStatusPaneEnabled(int nIndex, BOOL bEnabled) {
  if (CQORPStatusBarPane* p = GetPane(nIndex)) p->SetEnabled(bEnabled);
}

CString CQORPStatusBar::GetStatusPaneText(int nIndex) const {
  const CQORPStatusBarPane* p = GetPane(nIndex);
  return p ? p->GetText() : CString();
}

void CQORPStatusBar::SetStatusPaneText(int nIndex, const wchar_t* lpszText) {
  if (CQORPStatusBarPane* p = GetPane(nIndex)) p->SetText(lpszText ? lpszText : L"");
}

CQORPStatusBarPane* CQORPStatusBar::AddPane(QORPStatusPaneKind nKind, UINT nID) {
  std::unique_ptr<CQORPStatusBarPane> p;
  switch (nKind) {
    case QORP_STATUS_PANE_PROGRESS: p = std::make_unique<CQORPStatusBarProgressPane>(nID); break;
    case QORP_STATUS_PANE_SLIDER: p = std::make_unique<CQORPStatusBarSliderPane>(nID); break;
    default: p = std::make_unique<CQORPStatusBarPane>(nKind, nID); break;
  }
  p->m_pBar = this;
  m_panes.push_back(std::move(p));
  RecalcLayout();
  return m_panes.back().get();
}

CQORPStatusBarPane* CQORPStatusBar::GetPane(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetPaneCount()) return nullptr;
  return m_panes[static_cast<size_t>(nIndex)].get();
}

int CQORPStatusBar::CommandToIndex(UINT nID) const {
  for (size_t i = 0; i < m_panes.size(); ++i)
    if (m_panes[i]->GetID() == nID) return static_cast<int>(i);
  return -1;
}

CQORPStatusBarPane* CQORPStatusBar::FindPane(UINT nID) const { return GetPane(CommandToIndex(nID)); }

BOOL CQORPStatusBar::RemovePane(UINT nID) {
  const int n = CommandToIndex(nID);
  if (n < 0) return FALSE;
  m_panes.erase(m_panes.begin() + n);
  RecalcLayout();
  return TRUE;
}

namespace {

int MeasurePane(const CQORPStatusBarPane* p, void* pContext) {
  if (p->GetKind() == QORP_STATUS_PANE_ICON_BUTTON) return 16;
  const auto* pWindow = static_cast<const wxWindow*>(pContext);
  if (!pWindow || p->GetText().IsEmpty()) return 0;
  const wxString text(p->GetText().GetString());
  // A pane with a control is as wide as the control needs to show the text in its own font
  // (its borders, margins and drop-down button included).
  if (CWnd* pChild = p->GetChild())
    if (const auto* pControl = dynamic_cast<const wxControl*>(pChild->GetSafeHwnd() ? pChild->GetWxWindow() : nullptr)) {
      const int cxText = pControl->GetTextExtent(text).GetWidth() + pControl->GetCharWidth();  // room for the caret
      return std::max(pControl->GetSizeFromTextSize(cxText).GetWidth(), cxText);
    }
  return pWindow->GetTextExtent(text).GetWidth();
}

using qorp::SetColour;

COLORREF Mix(COLORREF a, COLORREF b, double t) {
  auto m = [t](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
  return RGB(m(GetRValue(a), GetRValue(b)), m(GetGValue(a), GetGValue(b)), m(GetBValue(a), GetBValue(b)));
}

}  // namespace

void CQORPStatusBar::RecalcLayout() {
  std::vector<CQORPStatusBarPane*> panes;
  for (auto& p : m_panes) panes.push_back(p.get());
  CRect rc(0, 0, 0, kHeight);
  if (GetSafeHwnd()) GetClientRect(&rc);
  QORPLayoutStatusPanes(panes, rc.Width(), rc.Height(), &MeasurePane, GetSafeHwnd() ? GetWxWindow() : nullptr);
  for (auto& p : m_panes) {
    CWnd* pChild = p->GetChild();
    if (!pChild || !pChild->GetSafeHwnd() || !p->IsVisible()) continue;
    const CRect r = p->GetRect(), pad = p->GetPadding();
    pChild->MoveWindow(r.left + pad.left, r.top + pad.top, std::max(r.Width() - pad.left - pad.right, 1),
                       std::max(r.Height() - pad.top - pad.bottom, 1));
  }
  if (GetSafeHwnd()) Invalidate(FALSE);
}

void CQORPStatusBar::PaneChanged(CQORPStatusBarPane* pPane, bool bRelayout) {
  if (bRelayout) {
    RecalcLayout();
  } else if (GetSafeHwnd()) {
    const CRect rc = pPane->GetRect();
    InvalidateRect(&rc, FALSE);
  }
}

void CQORPStatusBar::SetColors(COLORREF clrBack, COLORREF clrText) {
  m_clrBack = clrBack;
  m_clrText = clrText;
  if (GetSafeHwnd()) Invalidate(FALSE);
}

void CQORPStatusBar::RedrawNow(BOOL bForce) {
  if (!GetSafeHwnd()) return;
  const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
  if (!bForce && now - m_nLastRedrawMs < 50) return;
  m_nLastRedrawMs = now;
  Invalidate(FALSE);
  UpdateWindow();
  if (wxEventLoopBase* pLoop = wxEventLoopBase::GetActive()) pLoop->YieldFor(wxEVT_CATEGORY_UI);
}

void CQORPStatusBar::OnSize(UINT, int, int) { RecalcLayout(); }

void CQORPStatusBar::OnPaint() {
  CPaintDC dc(this);
  auto* cr = static_cast<cairo_t*>(dc.GetCairo());
  if (!cr) return;
  CRect rcClient;
  GetClientRect(&rcClient);
  SetColour(cr, m_clrBack);
  cairo_paint(cr);
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 12);
  for (auto& pPane : m_panes) {
    const CQORPStatusBarPane* p = pPane.get();
    if (!p->IsVisible()) continue;
    const CRect r = p->GetRect(), pad = p->GetPadding();
    const double x0 = r.left + pad.left, y0 = r.top + 3, x1 = r.right - pad.right, y1 = r.bottom - 3;
    const COLORREF clrText = p->IsEnabled() ? m_clrText : CQORPDrawHelpers::DimmedText(m_clrText, m_clrBack, 0.6);
    switch (p->GetKind()) {
      case QORP_STATUS_PANE_PROGRESS: {
        const auto* pg = static_cast<const CQORPStatusBarProgressPane*>(p);
        int lo, hi;
        pg->GetRange(lo, hi);
        const double f = hi > lo ? static_cast<double>(pg->GetPos() - lo) / (hi - lo) : 0.0;
        SetColour(cr, RGB(255, 255, 255));
        cairo_rectangle(cr, x0, y0, x1 - x0, y1 - y0);
        cairo_fill(cr);
        SetColour(cr, RGB(0x3C, 0xB3, 0x71));
        cairo_rectangle(cr, x0, y0, (x1 - x0) * f, y1 - y0);
        cairo_fill(cr);
        SetColour(cr, Mix(m_clrText, m_clrBack, 0.5));
        cairo_rectangle(cr, x0 + 0.5, y0 + 0.5, x1 - x0 - 1, y1 - y0 - 1);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        break;
      }
      case QORP_STATUS_PANE_SLIDER: {
        const auto* ps = static_cast<const CQORPStatusBarSliderPane*>(p);
        const double my = (r.top + r.bottom) / 2.0, bw = CQORPStatusBarSliderPane::kButtonWidth;
        SetColour(cr, clrText);
        cairo_set_line_width(cr, 2);
        cairo_move_to(cr, x0 + 4, my);  // minus
        cairo_line_to(cr, x0 + bw - 4, my);
        cairo_move_to(cr, x1 - bw + 4, my);  // plus
        cairo_line_to(cr, x1 - 4, my);
        cairo_move_to(cr, x1 - bw / 2, my - 4);
        cairo_line_to(cr, x1 - bw / 2, my + 4);
        cairo_stroke(cr);
        const double tl = x0 + bw + CQORPStatusBarSliderPane::kThumbWidth / 2,
                     tr = x1 - bw - CQORPStatusBarSliderPane::kThumbWidth / 2;
        cairo_set_line_width(cr, 1);
        cairo_move_to(cr, tl, my + 0.5);
        cairo_line_to(cr, tr, my + 0.5);
        cairo_stroke(cr);
        const int range = std::max(ps->GetRangeMax() - ps->GetRangeMin(), 1);
        const double tx = tl + (tr - tl) * (ps->GetPos() - ps->GetRangeMin()) / range;
        cairo_rectangle(cr, tx - CQORPStatusBarSliderPane::kThumbWidth / 2.0, my - 6,
                        CQORPStatusBarSliderPane::kThumbWidth, 12);
        cairo_fill(cr);
        break;
      }
      case QORP_STATUS_PANE_STRETCH:
      case QORP_STATUS_PANE_CONTROL:
        break;
      case QORP_STATUS_PANE_ICON_BUTTON: {
        // A button's text is its glyph. The four page arrows are drawn as solid chevrons (a
        // font's guillemets are hairlines at this size); any other glyph in bold at 15 px.
        const CString glyph = p->GetText();
        if (glyph.IsEmpty()) break;
        const double cx = (x0 + x1) / 2.0, my = (r.top + r.bottom) / 2.0;
        int nChevrons = 0, nDir = 0;
        if (glyph == L"\u00AB") nChevrons = 2, nDir = -1;
        if (glyph == L"\u2039") nChevrons = 1, nDir = -1;
        if (glyph == L"\u203A") nChevrons = 1, nDir = 1;
        if (glyph == L"\u00BB") nChevrons = 2, nDir = 1;
        SetColour(cr, clrText);
        if (nChevrons) {
          cairo_set_line_width(cr, 2.5);
          cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
          cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
          const double h = 5, w = 4, gap = nChevrons == 2 ? 3 : 0;
          for (int i = 0; i < nChevrons; ++i) {
            const double tip = cx + nDir * (w / 2 + (i - (nChevrons - 1) / 2.0) * gap * 2);
            cairo_move_to(cr, tip - nDir * w, my - h);
            cairo_line_to(cr, tip, my);
            cairo_line_to(cr, tip - nDir * w, my + h);
            cairo_stroke(cr);
          }
          break;
        }
        const std::string text = lw::WideToUtf8(glyph.GetString());
        cairo_save(cr);
        cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 15);
        cairo_text_extents_t ext;
        cairo_text_extents(cr, text.c_str(), &ext);
        cairo_move_to(cr, cx - ext.width / 2 - ext.x_bearing, my - ext.height / 2 - ext.y_bearing);
        cairo_show_text(cr, text.c_str());
        cairo_restore(cr);
        break;
      }
      default: {
        const std::string text = lw::WideToUtf8(p->GetText().GetString());
        if (text.empty()) break;
        cairo_text_extents_t ext;
        cairo_text_extents(cr, text.c_str(), &ext);
        SetColour(cr, clrText);
        cairo_save(cr);
        cairo_rectangle(cr, r.left, r.top, r.Width(), r.Height());
        cairo_clip(cr);
        cairo_move_to(cr, x0, (r.top + r.bottom) / 2.0 + 4);
        cairo_show_text(cr, text.c_str());
        cairo_restore(cr);
        break;
      }
    }
  }
}

void CQORPStatusBar::SendSlider(CQORPStatusBarSliderPane* pPane, int nCode, int nPos) {
  CWnd* pOwner = GetParent();
  if (!pOwner) return;
  NMQORPCONTROL nm{{GetSafeHwnd(), pPane->GetID(), QORP_CN_SLIDER}, nullptr, nCode, nPos};
  pOwner->SendMessage(WM_NOTIFY, pPane->GetID(), reinterpret_cast<LPARAM>(&nm));
}

void CQORPStatusBar::OnMouseMove(UINT, CPoint point) {
  if (!m_nDragSlider) return;
  auto* ps = dynamic_cast<CQORPStatusBarSliderPane*>(FindPane(m_nDragSlider));
  if (!ps || !ps->IsVisible() || !ps->IsEnabled()) {
    m_nDragSlider = 0;
    if (GetCapture() == this) ReleaseCapture();
    return;
  }
  const int nPos = ps->PosFromX(point.x);
  if (nPos == ps->GetPos()) return;
  ps->SetPos(nPos);
  SendSlider(ps, SB_THUMBTRACK, nPos);
}

void CQORPStatusBar::OnLButtonUp(UINT, CPoint point) {
  if (!m_nDragSlider) return;
  auto* ps = dynamic_cast<CQORPStatusBarSliderPane*>(FindPane(m_nDragSlider));
  m_nDragSlider = 0;
  if (GetCapture() == this) ReleaseCapture();
  if (!ps) return;
  const int nPos = ps->PosFromX(point.x);
  ps->SetPos(nPos);
  SendSlider(ps, SB_THUMBPOSITION, nPos);
  SendSlider(ps, SB_ENDSCROLL, nPos);
}

void CQORPStatusBar::OnLButtonDown(UINT, CPoint point) {
  for (auto& pPane : m_panes) {
    CQORPStatusBarPane* p = pPane.get();
    if (!p->IsVisible() || !p->IsEnabled() || !p->GetRect().PtInRect(point)) continue;
    CWnd* pOwner = GetParent();
    if (!pOwner) return;
    if (p->GetKind() == QORP_STATUS_PANE_SLIDER) {
      auto* ps = static_cast<CQORPStatusBarSliderPane*>(p);
      int nPos = 0;
      const int nCode = ps->HitTest(point.x, nPos);
      if (nCode < 0) return;
      if (nCode == SB_THUMBTRACK) {  // pressed on the thumb: it follows the pointer until release
        m_nDragSlider = p->GetID();
        SetCapture();
      }
      SendSlider(ps, nCode, nPos);
    } else if (p->GetKind() == QORP_STATUS_PANE_ICON_BUTTON || p->GetKind() == QORP_STATUS_PANE_TEXT) {
      if (p->GetID() != 0) pOwner->SendMessage(WM_COMMAND, MAKEWPARAM(p->GetID(), 0), 0);
    }
    return;
  }
}
