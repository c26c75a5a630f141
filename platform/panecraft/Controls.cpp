// The control registry, command bars and the update pass of the toolkit controls.
#include "QorpControls.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CQORPControl, CCmdTarget)
IMPLEMENT_DYNAMIC(CQORPControlButton, CQORPControl)
IMPLEMENT_DYNAMIC(CQORPControlCheckBox, CQORPControl)
IMPLEMENT_DYNAMIC(CQORPControlLabel, CQORPControl)
IMPLEMENT_DYNAMIC(CQORPControlEdit, CQORPControl)
IMPLEMENT_DYNAMIC(CQORPControlComboBox, CQORPControl)
IMPLEMENT_DYNAMIC(CQORPControlScrollBar, CQORPControl)

bool QORPSplitCommandString(const CString& strEntry, CString& strDescription, CString& strCaption,
                            CString& strLabel) {
  strDescription.Empty();
  strCaption.Empty();
  strLabel.Empty();
  if (strEntry.IsEmpty()) return false;
  const int nFirst = strEntry.Find(L'\n');
  if (nFirst < 0) {
    strCaption = strEntry;
    strDescription = strEntry;
    return true;
  }
  strDescription = strEntry.Left(nFirst);
  const int nSecond = strEntry.Find(L'\n', nFirst + 1);
  if (nSecond < 0) {
    strCaption = strEntry.Mid(nFirst + 1);
  } else {
    strCaption = strEntry.Mid(nFirst + 1, nSecond - nFirst - 1);
    const int nThird = strEntry.Find(L'\n', nSecond + 1);
    strLabel = nThird < 0 ? strEntry.Mid(nSecond + 1) : strEntry.Mid(nSecond + 1, nThird - nSecond - 1);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------

CQORPControl::CQORPControl(QORPControlType nType, int nId) : m_nType(nType), m_nId(nId) {}

CQORPControl::~CQORPControl() = default;

CQORPControl* CQORPControl::FromUI(CCmdUI* pCmdUI) {
  auto* pUI = dynamic_cast<CQORPCmdUI*>(pCmdUI);
  return pUI ? pUI->GetControl() : nullptr;
}

void CQORPControl::SetEnabled(BOOL bEnabled) {
  m_bEnabled = bEnabled ? TRUE : FALSE;
  if (m_pAction) m_pAction->SetEnabled(m_bEnabled);
}

void CQORPControl::SetChecked(int nChecked) {
  m_nChecked = nChecked;
  if (m_pAction && nChecked != -1) m_pAction->SetChecked(nChecked);
}

void CQORPControl::SetCommandString(const CString& strEntry) {
  CString strDescription, strCaption, strLabel;
  if (!QORPSplitCommandString(strEntry, strDescription, strCaption, strLabel)) return;
  m_strCaption = strCaption;
  m_strTooltip = strCaption;
  m_strDescription = strDescription;
  m_strLabel = strLabel;
}

CQORPCommandBar* CQORPControl::GetCommandBar() {
  switch (m_nType) {
    case QORP_CONTROL_POPUP:
    case QORP_CONTROL_BUTTON_POPUP:
    case QORP_CONTROL_SPLIT_BUTTON_POPUP:
    case QORP_CONTROL_COMBO_BOX:
    case QORP_CONTROL_GALLERY:
      if (!m_pPopupBar) m_pPopupBar = std::make_unique<CQORPCommandBar>(this);
      return m_pPopupBar.get();
    default:
      return nullptr;
  }
}

// ---------------------------------------------------------------------------------------------

CQORPControl* CQORPCommandBar::Add(std::unique_ptr<CQORPControl> pControl) {
  if (!pControl) return nullptr;
  CQORPControl* p = pControl.get();
  p->m_pParent = this;
  m_controls.push_back(std::move(pControl));
  if (CQORPCommandBars* pBars = GetCommandBars()) pBars->OnControlAdded(p);
  return p;
}

CQORPControl* CQORPCommandBar::GetAt(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetCount()) return nullptr;
  return m_controls[static_cast<size_t>(nIndex)].get();
}

CQORPCommandBars* CQORPCommandBar::GetCommandBars() const {
  const CQORPCommandBar* pBar = this;
  // A pop-up bar belongs to the command bars of its owner's bar.
  while (pBar && !pBar->m_pCommandBars) pBar = pBar->m_pOwner ? pBar->m_pOwner->m_pParent : nullptr;
  return pBar ? pBar->m_pCommandBars : nullptr;
}

// ---------------------------------------------------------------------------------------------

CQORPCmdUI::CQORPCmdUI(CQORPControl* pControl) : m_pControl(pControl) {
  m_nID = static_cast<UINT>(pControl->GetID());
}

void CQORPCmdUI::Enable(BOOL bOn) {
  CCmdUI::Enable(bOn);
  m_pControl->SetEnabled(bOn);
}

void CQORPCmdUI::SetCheck(int nCheck) {
  CCmdUI::SetCheck(nCheck);
  m_pControl->SetChecked(nCheck);
}

void CQORPCmdUI::SetText(const wchar_t* lpszText) {
  CCmdUI::SetText(lpszText);
  m_pControl->SetCaption(lpszText ? lpszText : L"");
}

BOOL CQORPCmdUI::HasCommandHandler(CCmdTarget* pTarget) {
  if (CCmdUI::HasCommandHandler(pTarget)) return TRUE;
  // A drop-down or split button with something in its list can always open it.
  switch (m_pControl->GetType()) {
    case QORP_CONTROL_POPUP:
    case QORP_CONTROL_BUTTON_POPUP:
    case QORP_CONTROL_SPLIT_BUTTON_POPUP:
      if (const CQORPCommandBar* pBar = static_cast<const CQORPControl*>(m_pControl)->GetCommandBar())
        if (pBar->GetCount() > 0) return TRUE;
      break;
    default:
      break;
  }
  if (!m_pControl->IsValueControl()) return FALSE;
  // A value control carries its command out by notification.
  AFX_CMDHANDLERINFO info{nullptr, nullptr};
  return pTarget->OnCmdMsg(m_nID, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY), nullptr, &info);
}

// ---------------------------------------------------------------------------------------------

CQORPCommandBars::CQORPCommandBars() = default;

CQORPCommandBars::~CQORPCommandBars() { DetachFromFrame(); }

CQORPCommandBar* CQORPCommandBars::AddBar() {
  m_bars.push_back(std::make_unique<CQORPCommandBar>());
  m_bars.back()->m_pCommandBars = this;
  return m_bars.back().get();
}

CQORPCommandBar* CQORPCommandBars::GetAt(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetCount()) return nullptr;
  return m_bars[static_cast<size_t>(nIndex)].get();
}

namespace {

// Visits the controls of a bar and, with bRecursive, of their pop-up bars, until fn says stop.
// With bVisible hidden controls and hidden top-level bars are skipped; a pop-up bar is hidden
// until it opens, so its controls count as visible with their owner.
template <class Fn>
bool ForEachControl(const CQORPCommandBar* pBar, bool bVisible, bool bRecursive, Fn&& fn, bool bPopup = false) {
  if (!pBar || (bVisible && !bPopup && !pBar->IsVisible())) return false;
  for (int i = 0; i < pBar->GetCount(); ++i) {
    CQORPControl* p = pBar->GetAt(i);
    if (bVisible && !p->IsVisible()) continue;
    if (fn(p)) return true;
    const CQORPCommandBar* pPopup = static_cast<const CQORPControl*>(p)->GetCommandBar();
    if (bRecursive && pPopup && ForEachControl(pPopup, bVisible, true, fn, true)) return true;
  }
  return false;
}

}  // namespace

CQORPControl* CQORPCommandBars::FindControl(int nType, int nId, BOOL bVisible, BOOL bRecursive) const {
  CQORPControl* pFound = nullptr;
  for (const auto& pBar : m_bars) {
    if (ForEachControl(pBar.get(), bVisible != FALSE, bRecursive != FALSE, [&](CQORPControl* p) {
          if (p->GetID() != nId || (nType != QORP_CONTROL_ERROR && p->GetType() != nType)) return false;
          pFound = p;
          return true;
        }))
      break;
  }
  return pFound;
}

CQORPControl* CQORPCommandBars::FindControl(const CQORPCommandBars* pCommandBars, int nType, int nId,
                                            BOOL bVisible, BOOL bRecursive) {
  return pCommandBars ? pCommandBars->FindControl(nType, nId, bVisible, bRecursive) : nullptr;
}

std::shared_ptr<CQORPControlAction> CQORPCommandBars::GetAction(int nId) {
  for (const auto& p : m_actions)
    if (p->GetId() == nId) return p;
  m_actions.push_back(std::make_shared<CQORPControlAction>(nId));
  return m_actions.back();
}

void CQORPCommandBars::OnControlAdded(CQORPControl* pControl) {
  if (pControl->GetID() != 0) {
    pControl->m_pAction = GetAction(pControl->GetID());
    CString strEntry;
    if (m_loader && m_loader(static_cast<UINT>(pControl->GetID()), strEntry)) pControl->SetCommandString(strEntry);
  }
  if (const CQORPCommandBar* pPopup = static_cast<const CQORPControl*>(pControl)->GetCommandBar())
    for (int i = 0; i < pPopup->GetCount(); ++i) OnControlAdded(pPopup->GetAt(i));
}

void CQORPCommandBars::SetStringLoader(StringLoader loader) { m_loader = std::move(loader); }

CString CQORPCommandBars::LoadCaption(int nId) const {
  CString strEntry, strDescription, strCaption, strLabel;
  if (m_loader && m_loader(static_cast<UINT>(nId), strEntry) &&
      QORPSplitCommandString(strEntry, strDescription, strCaption, strLabel))
    return strCaption;
  CString s;
  s.Format(L"#%d", nId);
  return s;
}

void CQORPCommandBars::RefreshCommandStrings() {
  if (!m_loader) return;
  for (const auto& pBar : m_bars)
    ForEachControl(pBar.get(), false, true, [&](CQORPControl* p) {
      CString strEntry;
      if (p->GetID() != 0 && m_loader(static_cast<UINT>(p->GetID()), strEntry)) p->SetCommandString(strEntry);
      return false;
    });
}

void CQORPCommandBars::UpdateCommandUI(CCmdTarget* pTarget) {
  if (!pTarget) return;
  for (const auto& pBar : m_bars)
    ForEachControl(pBar.get(), false, true, [&](CQORPControl* p) {
      if (p->GetID() == 0) return false;  // carries no command
      CQORPCmdUI ui(p);
      ui.DoUpdate(pTarget, TRUE);
      return false;
    });
}

void CQORPCommandBars::UpdatePass(CFrameWnd* pFrame, void* pContext) {
  static_cast<CQORPCommandBars*>(pContext)->UpdateCommandUI(pFrame);
}

void CQORPCommandBars::AttachToFrame(CFrameWnd* pFrame, BOOL bUpdatePass) {
  DetachFromFrame();
  m_pFrame = pFrame;
  if (m_pFrame && bUpdatePass) m_pFrame->AddUpdatePass(&CQORPCommandBars::UpdatePass, this);
}

void CQORPCommandBars::DetachFromFrame() {
  if (m_pFrame) m_pFrame->RemoveUpdatePass(&CQORPCommandBars::UpdatePass, this);
  m_pFrame = nullptr;
}
