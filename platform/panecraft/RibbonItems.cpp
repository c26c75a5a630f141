// Drawn rows of ribbon items: the File button, the items at the right of the tab row and the
// quick access bar.
#include <algorithm>

#include <wx/dcbuffer.h>

#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "ribbon_internal.h"

namespace {

constexpr int kPad = 8;
constexpr int kArrow = 10;
constexpr int kIconItem = 24;  // a quick access item shown by its 16-pixel icon

bool HasArrow(const CQORPControl* p) {
  return p->GetType() == QORP_CONTROL_POPUP || p->GetType() == QORP_CONTROL_BUTTON_POPUP ||
         p->GetType() == QORP_CONTROL_SPLIT_BUTTON_POPUP;
}

// The brightness wx asks for when it greys a picture for a disabled item: the row's own.
unsigned char RelativeBrightness(const wxColour& back) {
  return static_cast<unsigned char>((back.Red() * 299 + back.Green() * 587 + back.Blue() * 114) / 1000);
}

wxString CaptionOf(const CQORPControl* p) {
  CString s = QORPStripMnemonic(p->GetCaption());
  if (s.IsEmpty()) s.Format(L"#%d", p->GetID());
  return wxString(static_cast<const wchar_t*>(s));
}

}  // namespace

QorpItemRow::QorpItemRow(wxWindow* pParent, CQORPRibbonBarImpl* pImpl, CQORPCommandBar* pBar, bool bFileButton)
    : wxWindow(pParent, wxID_ANY), m_pImpl(pImpl), m_pBar(pBar), m_bFile(bFileButton) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &QorpItemRow::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &QorpItemRow::OnLeftDown, this);
  Bind(wxEVT_MOTION, &QorpItemRow::OnMotion, this);
  Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) {
    m_nHover = -1;
    Refresh(false);
  });
}

// The quick access bar shows a command by its icon alone (the caption is its tooltip); the File
// button and the tab-row items show their captions.
bool QorpItemRow::IconOnly(const CQORPControl* p) const {
  if (m_bFile || m_pImpl->pQuickRow != this) return false;
  const UINT nId = static_cast<UINT>(p->GetID());
  const auto st = m_pImpl->svgIcons.find(nId);
  if (st != m_pImpl->svgIcons.end() && st->second.count(16) && !st->second.at(16).empty()) return true;
  const auto it = m_pImpl->icons.find(nId);
  return it != m_pImpl->icons.end() && it->second.count(16);
}

int QorpItemRow::ItemWidth(const CQORPControl* p) {
  if (IconOnly(p)) return kIconItem + (HasArrow(p) ? kArrow : 0);
  return GetTextExtent(CaptionOf(p)).x + kPad * 2 + (HasArrow(p) ? kArrow : 0) + (m_bFile ? kPad * 2 : 0);
}

std::vector<wxRect> QorpItemRow::ItemRects() {
  std::vector<wxRect> rects;
  const int h = std::max(GetClientSize().y, 1);
  int x = m_bFile ? 0 : 2;
  for (int i = 0; i < m_pBar->GetCount(); ++i) {
    const CQORPControl* p = m_pBar->GetAt(i);
    // The File button's row holds the option buttons of the groups too: only the first counts.
    if (m_bFile && p != m_pImpl->pOwner->GetSystemButton()) {
      rects.emplace_back();
      continue;
    }
    if (!p->IsVisible()) {
      rects.emplace_back();
      continue;
    }
    const int w = ItemWidth(p);
    rects.emplace_back(x, 0, w, h);
    x += w;
  }
  return rects;
}

wxSize QorpItemRow::BestSize() {
  int w = 0;
  for (int i = 0; i < m_pBar->GetCount(); ++i) {
    const CQORPControl* p = m_pBar->GetAt(i);
    if ((m_bFile && p != m_pImpl->pOwner->GetSystemButton()) || !p->IsVisible()) continue;
    w += ItemWidth(p);
  }
  return wxSize(std::max(w + 4, 8), 24);
}

wxRect QorpItemRow::GetItemRect(const CQORPControl* pControl) {
  const std::vector<wxRect> rects = ItemRects();
  for (int i = 0; i < m_pBar->GetCount() && i < static_cast<int>(rects.size()); ++i)
    if (m_pBar->GetAt(i) == pControl) return rects[static_cast<size_t>(i)];
  return wxRect();
}

void QorpItemRow::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const CQORPThemeColors& c = CQORPPaintManager::Get()->GetColors();
  wxColour back = QorpWx(c.GetColor(m_bFile ? QORP_CLR_BACKSTAGE_ACCENT : QORP_CLR_RIBBON_SECONDARY));
  if (!m_bFile && GetParent() == m_pImpl->pRibbon && m_pImpl->pRibbon->GetArtProvider())
    back = m_pImpl->pRibbon->GetArtProvider()->GetColour(wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR);
  dc.SetBackground(wxBrush(back));
  dc.Clear();
  dc.SetFont(GetFont());
  const std::vector<wxRect> rects = ItemRects();
  for (int i = 0; i < m_pBar->GetCount() && i < static_cast<int>(rects.size()); ++i) {
    wxRect r = rects[static_cast<size_t>(i)];
    if (r.IsEmpty()) continue;
    const CQORPControl* p = m_pBar->GetAt(i);
    int nChecked = p->GetChecked();
    if (nChecked == -1 && p->GetAction()) nChecked = p->GetAction()->GetChecked();
    if (p->GetEnabled() && (i == m_nHover || nChecked == 1)) {
      dc.SetBrush(wxBrush(QorpWx(c.GetColor(nChecked == 1 ? QORP_CLR_SELECTED_FILL : QORP_CLR_HOVER_FILL))));
      dc.SetPen(wxPen(QorpWx(c.GetColor(nChecked == 1 ? QORP_CLR_SELECTED_FRAME : QORP_CLR_HOVER_FRAME))));
      dc.DrawRectangle(r.Deflate(1));
    }
    // Captions keep 4.5:1 against the row in every theme (a disabled one too).
    const COLORREF clrBack = RGB(back.Red(), back.Green(), back.Blue());
    const COLORREF clrText = p->GetEnabled() ? (m_bFile ? RGB(255, 255, 255) : c.GetColor(QORP_CLR_TAB_LABEL))
                                             : c.GetColor(QORP_CLR_DISABLED_LABEL);
    const wxColour text = QorpWx(CQORPDrawHelpers::ReadableText(clrText, clrBack, p->GetEnabled() ? 7.0 : 4.5));
    dc.SetTextForeground(text);
    int x = 0;
    wxSize ext(0, 0);
    if (IconOnly(p)) {
      wxBitmap icon = m_pImpl->IconFor(p, 16);
      if (!p->GetEnabled() && icon.IsOk()) icon = icon.ConvertToDisabled(RelativeBrightness(back));
      x = r.x + (kIconItem - 16) / 2;
      if (icon.IsOk()) dc.DrawBitmap(icon, x, r.y + (r.height - 16) / 2, true);
      ext = wxSize(16, 16);
    } else {
      const wxString s = CaptionOf(p);
      ext = dc.GetTextExtent(s);
      x = r.x + (m_bFile ? (r.width - ext.x) / 2 : kPad);
      dc.DrawText(s, x, r.y + (r.height - ext.y) / 2);
    }
    if (HasArrow(p)) {
      dc.SetBrush(wxBrush(text));
      dc.SetPen(*wxTRANSPARENT_PEN);
      const int ax = x + ext.x + kArrow / 2 + 1, ay = r.y + r.height / 2;
      const wxPoint tri[3] = {wxPoint(ax - 3, ay - 1), wxPoint(ax + 3, ay - 1), wxPoint(ax, ay + 2)};
      dc.DrawPolygon(3, tri);
    }
  }
}

void QorpItemRow::ClickAt(const wxPoint& pt) {
  const std::vector<wxRect> rects = ItemRects();
  for (int i = 0; i < m_pBar->GetCount() && i < static_cast<int>(rects.size()); ++i)
    if (rects[static_cast<size_t>(i)].Contains(pt)) {
      m_pImpl->Execute(m_pBar->GetAt(i), HasArrow(m_pBar->GetAt(i)));
      return;
    }
}

void QorpItemRow::OnLeftDown(wxMouseEvent& e) { ClickAt(e.GetPosition()); }

void QorpItemRow::ForgetHover() {
  if (m_nHover < 0) return;
  m_nHover = -1;
  UnsetToolTip();
  Refresh(false);
}

void QorpItemRow::OnMotion(wxMouseEvent& e) {
  int nHover = -1;
  const std::vector<wxRect> rects = ItemRects();
  for (size_t i = 0; i < rects.size(); ++i)
    if (rects[i].Contains(e.GetPosition())) nHover = static_cast<int>(i);
  if (nHover != m_nHover) {
    m_nHover = nHover;
    const CQORPControl* p = nHover >= 0 ? m_pBar->GetAt(nHover) : nullptr;
    if (p) {
      CString strTip = QORPStripMnemonic(p->GetCaption());
      if (!p->GetDescription().IsEmpty() && p->GetDescription() != p->GetCaption()) strTip += L"\n" + p->GetDescription();
      SetToolTip(wxString(static_cast<const wchar_t*>(strTip)));
    } else {
      UnsetToolTip();
    }
    Refresh(false);
  }
}
