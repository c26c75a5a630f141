// Key tips of the ribbon: letter badges over the File button, the tabs and the controls of the
// selected tab; typed letters select a tab or act as a control's click.
#include <algorithm>
#include <cwctype>

#include <wx/dcbuffer.h>
#include <wx/popupwin.h>

#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "QorpRibbonBackstage.h"
#include "ribbon_internal.h"

namespace {

// The frame's keys: Alt shows the badges, then letters and Esc go to the ribbon.
class QorpKeyTipHandler : public wxEvtHandler {
 public:
  explicit QorpKeyTipHandler(CQORPRibbonBar* pRibbon) : m_pRibbon(pRibbon) {}
  void OnCharHook(wxKeyEvent& e) {
    const int k = e.GetKeyCode();
    if (m_pRibbon->AreKeyTipsShown()) {
      if (k == WXK_ALT) return;  // held or pressed again: the badges stay
      if (k == WXK_ESCAPE) {
        m_pRibbon->OnKeyTipKey(VK_ESCAPE);
        return;
      }
      const wxChar ch = e.GetUnicodeKey();
      if (ch != WXK_NONE && ch > 32) {
        m_pRibbon->OnKeyTipKey(static_cast<UINT>(ch));
        return;
      }
      m_pRibbon->ShowKeyTips(FALSE);
      e.Skip();
      return;
    }
    if (k == WXK_ALT && !e.ControlDown() && !e.ShiftDown()) {
      m_pRibbon->ShowKeyTips(TRUE);
      return;
    }
    e.Skip();
  }

 private:
  CQORPRibbonBar* m_pRibbon;
};

// One badge: a small framed box with the letters, over the ribbon.
class QorpKeyTipBadge : public wxPopupWindow {
 public:
  QorpKeyTipBadge(wxWindow* pParent, const wxString& text, bool bEnabled)
      : wxPopupWindow(pParent, wxBORDER_NONE), m_text(text), m_bEnabled(bEnabled) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    wxFont f = GetFont();
    f.SetPointSize(std::max(f.GetPointSize() - 1, 7));
    SetFont(f);
    const wxSize ext = GetTextExtent(text);
    SetSize(ext.x + 8, ext.y + 4);
    Bind(wxEVT_PAINT, [this](wxPaintEvent&) {
      wxAutoBufferedPaintDC dc(this);
      const CQORPThemeColors& c = CQORPPaintManager::Get()->GetColors();
      dc.SetBackground(wxBrush(QorpWx(c.GetColor(QORP_CLR_POPUP_BACK))));
      dc.Clear();
      const COLORREF back = c.GetColor(QORP_CLR_POPUP_BACK);
      const COLORREF ink = CQORPDrawHelpers::ReadableText(c.GetColor(QORP_CLR_TAB_LABEL), back, 7.0);
      dc.SetPen(wxPen(QorpWx(ink)));
      dc.SetBrush(*wxTRANSPARENT_BRUSH);
      dc.DrawRectangle(GetClientRect());
      dc.SetFont(GetFont());
      dc.SetTextForeground(QorpWx(m_bEnabled ? ink : CQORPDrawHelpers::ReadableText(c.GetColor(QORP_CLR_DISABLED_LABEL), back)));
      dc.DrawText(m_text, 4, 2);
    });
  }

 private:
  wxString m_text;
  bool m_bEnabled;
};

wxChar UpperOf(wxChar c) { return static_cast<wxChar>(lw::ToUpperChar(static_cast<wchar_t>(c))); }

// The mnemonic letter of a caption ("&Home" -> 'H'), or 0.
wchar_t MnemonicOf(const CString& s) {
  for (int i = 0; i + 1 < s.GetLength(); ++i)
    if (s[i] == L'&') {
      if (s[i + 1] == L'&') {
        ++i;
        continue;
      }
      return static_cast<wchar_t>(UpperOf(s[i + 1]));
    }
  return 0;
}

}  // namespace

void CQORPRibbonBar::SetKeyTip(CQORPControl* pControl, const wchar_t* lpszKeys) {
  if (!pControl) return;
  CString keys;
  for (const wchar_t* p = lpszKeys; p && *p; ++p) keys += static_cast<wchar_t>(UpperOf(*p));
  if (keys.IsEmpty())
    m_pImpl->keyTips.erase(pControl);
  else
    m_pImpl->keyTips[pControl] = keys;
}

CString CQORPRibbonBar::GetKeyTip(const CQORPControl* pControl) const {
  if (pControl && pControl == m_pSystemButton) {
    const wchar_t m = MnemonicOf(pControl->GetCaption());
    return CString(m ? m : L'F');
  }
  auto it = m_pImpl->keyTips.find(pControl);
  return it == m_pImpl->keyTips.end() ? CString() : it->second;
}

CString CQORPRibbonBar::GetTabKeyTip(int nTab) const {
  std::vector<wchar_t> used;
  if (m_pSystemButton) used.push_back(GetKeyTip(m_pSystemButton)[0]);
  for (int i = 0; i < GetTabCount(); ++i) {
    const CString caption = GetTab(i)->GetCaption();
    wchar_t pick = MnemonicOf(caption);
    if (pick && std::find(used.begin(), used.end(), pick) != used.end()) pick = 0;
    for (int k = 0; !pick && k < caption.GetLength(); ++k) {
      const wchar_t c = static_cast<wchar_t>(UpperOf(caption[k]));
      if (std::iswalnum(static_cast<wint_t>(c)) && std::find(used.begin(), used.end(), c) == used.end()) pick = c;
    }
    if (!pick) pick = static_cast<wchar_t>(L'1' + std::min(i, 8));
    used.push_back(pick);
    if (i == nTab) return CString(pick);
  }
  return CString();
}

BOOL CQORPRibbonBar::AreKeyTipsShown() const { return m_pImpl->bKeyTips ? TRUE : FALSE; }

int CQORPRibbonBar::GetKeyTipBadgeCount() const { return static_cast<int>(m_pImpl->badges.size()); }

void CQORPRibbonBar::ShowKeyTips(BOOL bShow) {
  if (bShow && m_pImpl->bDirty) RecalcLayout();
  m_pImpl->bKeyTips = bShow && m_pImpl->pRibbon;
  m_pImpl->bKeyTipsOnControls = false;
  m_pImpl->strTyped.Empty();
  if (m_pImpl->bKeyTips)
    m_pImpl->ShowBadges();
  else
    m_pImpl->HideBadges();
}

BOOL CQORPRibbonBar::OnKeyTipKey(UINT nChar) {
  CQORPRibbonBarImpl& d = *m_pImpl;
  if (!d.bKeyTips) return FALSE;
  if (nChar == VK_ESCAPE) {
    if (d.bKeyTipsOnControls) {  // back to the tabs
      d.bKeyTipsOnControls = false;
      d.strTyped.Empty();
      d.ShowBadges();
    } else {
      ShowKeyTips(FALSE);
    }
    return TRUE;
  }
  const CString typed = d.strTyped + static_cast<wchar_t>(UpperOf(static_cast<wxChar>(nChar)));
  if (!d.bKeyTipsOnControls) {
    // First level: the tabs and the File button.
    for (int i = 0; i < GetTabCount(); ++i)
      if (GetTabKeyTip(i) == typed) {
        SelectTab(GetTab(i));
        d.bKeyTipsOnControls = true;
        d.strTyped.Empty();
        d.ShowBadges();
        return TRUE;
      }
    if (m_pSystemButton && GetKeyTip(m_pSystemButton) == typed) {
      ShowKeyTips(FALSE);
      d.Execute(m_pSystemButton, false);
      return TRUE;
    }
    return FALSE;
  }
  // Second level: the controls of the selected tab.
  bool bPrefix = false;
  if (CQORPRibbonTab* pTab = GetSelectedTab())
    for (int g = 0; g < pTab->GetGroupCount(); ++g)
      for (int i = 0; i < pTab->GetGroup(g)->GetCount(); ++i) {
        CQORPControl* p = pTab->GetGroup(g)->GetAt(i);
        const CString tip = GetKeyTip(p);
        if (tip.IsEmpty()) continue;
        if (tip == typed) {
          d.strTyped.Empty();
          if (!p->GetEnabled()) return TRUE;  // the badges stay; nothing runs
          ShowKeyTips(FALSE);
          d.Execute(p, false);
          return TRUE;
        }
        if (tip.GetLength() > typed.GetLength() && tip.Left(typed.GetLength()) == typed) bPrefix = true;
      }
  if (bPrefix) {
    d.strTyped = typed;
    return TRUE;
  }
  d.strTyped.Empty();
  return FALSE;
}

void CQORPRibbonBarImpl::HideBadges() {
  for (wxWindow* w : badges) w->Destroy();
  badges.clear();
}

void CQORPRibbonBarImpl::ShowBadges() {
  HideBadges();
  if (!pRibbon) return;
  auto add = [&](const CString& text, const wxPoint& ptScreen, bool bEnabled) {
    auto* b = new QorpKeyTipBadge(pRibbon, wxString(static_cast<const wchar_t*>(text)), bEnabled);
    b->Position(ptScreen - wxPoint(b->GetSize().x / 2, 0), wxSize(0, 0));
    b->Show();
    badges.push_back(b);
  };
  CRect rc;
  if (bKeyTipsOnControls) {
    if (CQORPRibbonTab* pTab = pOwner->GetSelectedTab())
      for (int g = 0; g < pTab->GetGroupCount(); ++g)
        for (int i = 0; i < pTab->GetGroup(g)->GetCount(); ++i) {
          CQORPControl* p = pTab->GetGroup(g)->GetAt(i);
          auto it = keyTips.find(p);
          if (it == keyTips.end() || !pOwner->GetControlScreenRect(p, rc)) continue;
          add(it->second, wxPoint(rc.CenterPoint().x, rc.bottom - 8), p->GetEnabled() != FALSE);
        }
    return;
  }
  if (pOwner->m_pSystemButton && pOwner->GetControlScreenRect(pOwner->m_pSystemButton, rc))
    add(pOwner->GetKeyTip(pOwner->m_pSystemButton), wxPoint(rc.CenterPoint().x, rc.bottom - 6), true);
  for (int i = 0; i < pOwner->GetTabCount(); ++i) {
    const wxRect r = static_cast<QorpWxRibbonBar*>(pRibbon)->TabRect(static_cast<size_t>(i));
    if (r.IsEmpty()) continue;
    const wxPoint pt = pRibbon->ClientToScreen(wxPoint(r.x + r.width / 2, r.GetBottom() - 6));
    add(pOwner->GetTabKeyTip(i), pt, true);
  }
}

void QorpBindKeyTips(CQORPRibbonBarImpl* pImpl, CFrameWnd* pFrame) {
  if (!pFrame || !pFrame->GetWxWindow()) return;
  auto* pHandler = new QorpKeyTipHandler(pImpl->pOwner);
  pImpl->pKeyHandler.reset(pHandler);
  pFrame->GetWxWindow()->Bind(wxEVT_CHAR_HOOK, &QorpKeyTipHandler::OnCharHook, pHandler);
}
