// Menu tables, pop-up bars filled from menus, the plain menu standing for a pop-up bar, and the
// way commands and notifications of the ribbon reach the frame.
#include <wx/window.h>

#include "popup_seam.h"
#include "ribbon_internal.h"

namespace {

QorpMenuChooser& Chooser() {
  static QorpMenuChooser chooser;
  return chooser;
}

bool IsMenuLike(const CQORPControl* p) {
  switch (p->GetType()) {
    case QORP_CONTROL_BUTTON:
    case QORP_CONTROL_POPUP:
    case QORP_CONTROL_BUTTON_POPUP:
    case QORP_CONTROL_SPLIT_BUTTON_POPUP:
    case QORP_CONTROL_CHECK_BOX:
    case QORP_CONTROL_RADIO_BUTTON:
      return true;
    default:
      return false;
  }
}

}  // namespace

BOOL QORPMenuFromTable(CMenu& menu, const QORP_MENU_ENTRY* pEntries, int nCount) {
  if (!pEntries || nCount < 0) return FALSE;
  if (!menu.m_hMenu && !menu.CreatePopupMenu()) return FALSE;
  for (int i = 0; i < nCount; ++i) {
    const QORP_MENU_ENTRY& e = pEntries[i];
    if (e.nID == 0)
      menu.AppendMenu(MF_SEPARATOR);
    else
      menu.AppendMenu(MF_STRING, e.nID, e.lpszText ? e.lpszText : L"");
  }
  return TRUE;
}

int QORPLoadPopupFromMenu(CQORPCommandBar* pBar, const CMenu& menu) {
  if (!pBar) return 0;
  int nAdded = 0;
  const UINT nCount = menu.GetMenuItemCount();
  for (UINT i = 0; i < nCount; ++i) {
    const UINT nID = menu.GetMenuItemID(static_cast<int>(i));
    if (nID == 0 || nID == static_cast<UINT>(-1)) continue;
    CString strText;
    menu.GetMenuString(i, strText, MF_BYPOSITION);
    CQORPControl* p = pBar->Add(std::make_unique<CQORPControlButton>(static_cast<int>(nID)));
    // The menu's own text wins over the string table, as the menu is what the caller gave.
    if (!strText.IsEmpty()) p->SetCaption(strText);
    ++nAdded;
  }
  return nAdded;
}

int QORPMenuFromPopupBar(const CQORPCommandBar* pBar, CMenu& menu) {
  if (!pBar) return 0;
  if (!menu.m_hMenu && !menu.CreatePopupMenu()) return 0;
  int nItems = 0;
  for (int i = 0; i < pBar->GetCount(); ++i) {
    const CQORPControl* p = pBar->GetAt(i);
    if (!p || !p->IsVisible() || p->GetID() == 0 || !IsMenuLike(p)) continue;
    CString strCaption = QORPStripMnemonic(p->GetCaption());
    if (strCaption.IsEmpty()) strCaption.Format(L"#%d", p->GetID());
    UINT nFlags = MF_STRING;
    if (!p->GetEnabled()) nFlags |= MF_GRAYED;
    int nChecked = p->GetChecked();
    if (nChecked == -1 && p->GetAction()) nChecked = p->GetAction()->GetChecked();
    if (nChecked == 1) nFlags |= MF_CHECKED;
    menu.AppendMenu(nFlags, static_cast<UINT>(p->GetID()), strCaption);
    ++nItems;
  }
  return nItems;
}

CString QORPStripMnemonic(const CString& strCaption) {
  CString out;
  const int n = strCaption.GetLength();
  for (int i = 0; i < n; ++i) {
    const wchar_t c = strCaption[i];
    if (c == L'&') {
      if (i + 1 < n && strCaption[i + 1] == L'&') {
        out += L'&';
        ++i;
      }
      continue;
    }
    out += c;
  }
  return out;
}

std::unique_ptr<CQORPControl> QORPCreateControl(QORPControlType nType, int nId) {
  switch (nType) {
    case QORP_CONTROL_BUTTON:
    case QORP_CONTROL_POPUP:
    case QORP_CONTROL_BUTTON_POPUP:
    case QORP_CONTROL_SPLIT_BUTTON_POPUP:
    case QORP_CONTROL_RADIO_BUTTON:
      return std::make_unique<CQORPControlButton>(nId, nType);
    case QORP_CONTROL_CHECK_BOX:
      return std::make_unique<CQORPControlCheckBox>(nId);
    case QORP_CONTROL_LABEL:
      return std::make_unique<CQORPControlLabel>(nId);
    case QORP_CONTROL_EDIT:
      return std::make_unique<CQORPControlEdit>(nId);
    case QORP_CONTROL_COMBO_BOX:
      return std::make_unique<CQORPControlComboBox>(nId);
    case QORP_CONTROL_SCROLL_BAR:
      return std::make_unique<CQORPControlScrollBar>(nId);
    default:
      return nullptr;
  }
}

void QorpSetMenuChooser(QorpMenuChooser chooser) { Chooser() = std::move(chooser); }

void QorpPostCommand(CFrameWnd* pFrame, int nId) {
  if (!pFrame || nId <= 0 || !pFrame->GetSafeHwnd()) return;
  ::PostMessageW(pFrame->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(static_cast<UINT>(nId), 0), 0);
}

UINT QorpShowFallbackMenu(CMenu& menu, CFrameWnd* pFrame, const wxPoint& ptScreen) {
  if (!pFrame || menu.GetMenuItemCount() == 0) return 0;
  if (Chooser()) {
    pFrame->OnInitMenuPopup(&menu, 0, FALSE);
    const UINT nID = Chooser()(menu);
    if (nID == 0) return 0;
    const UINT nState = menu.GetMenuState(nID, MF_BYCOMMAND);
    if (nState == static_cast<UINT>(-1) || (nState & (MF_GRAYED | MF_DISABLED))) return 0;
    QorpPostCommand(pFrame, static_cast<int>(nID));
    return nID;
  }
  const UINT nID = static_cast<UINT>(menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RETURNCMD, ptScreen.x, ptScreen.y, pFrame));
  if (nID != 0) QorpPostCommand(pFrame, static_cast<int>(nID));
  return nID;
}

void QorpOpenControlPopup(CQORPControl* pControl, CFrameWnd* pFrame, wxWindow* pOwner, const wxRect& rcScreen) {
  if (!pControl) return;
  if (QorpOpenPopup(pControl, pOwner, rcScreen)) return;
  CMenu menu;
  if (QORPMenuFromPopupBar(pControl->GetCommandBar(), menu) == 0) return;
  QorpShowFallbackMenu(menu, pFrame, rcScreen.GetBottomLeft());
}

