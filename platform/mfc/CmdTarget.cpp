// Message-map search, command routing between command targets, and the update-handler state.
// Nothing here needs a window: documents and their templates route commands headless.
#include <afxwin.h>

IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

namespace {

// Calls fn(entry) for each entry of the map chain until it returns true; returns that entry.
template <class Match>
const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* map, Match match) {
  for (; map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e && e->nMessage != 0; ++e)
      if (match(*e)) return e;
  }
  return nullptr;
}

}  // namespace

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(UINT message) const {
  if (message == WM_COMMAND || message == WM_NOTIFY || message == 0) return nullptr;
  return FindEntry(GetMessageMap(), [&](const AFX_MSGMAP_ENTRY& e) { return e.nMessage == message; });
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  // The code carries the message in its high word for notifications (MAKELONG(code, WM_NOTIFY)).
  UINT message = WM_COMMAND;
  UINT code = static_cast<UINT>(nCode);
  if (code != CN_UPDATE_COMMAND_UI) {
    message = HIWORD(code) ? HIWORD(code) : WM_COMMAND;
    code = LOWORD(code);
  }
  const AFX_MSGMAP_ENTRY* e = FindEntry(GetMessageMap(), [&](const AFX_MSGMAP_ENTRY& entry) {
    return entry.nMessage == message && entry.nCode == code && nID >= entry.nID && nID <= entry.nLastID;
  });
  if (!e) return FALSE;
  if (pHandlerInfo) {
    pHandlerInfo->pTarget = this;
    pHandlerInfo->pEntry = e;
    return TRUE;
  }
  AFX_MSGARGS args{message, 0, 0, nID, code, pExtra};
  e->pfn(this, args);
  if (code == CN_UPDATE_COMMAND_UI && message == WM_COMMAND && pExtra) {
    CCmdUI* pCmdUI = static_cast<CCmdUI*>(pExtra);
    const BOOL bHandled = !pCmdUI->m_bContinueRouting;
    pCmdUI->m_bContinueRouting = FALSE;
    return bHandled;
  }
  return TRUE;
}

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// ---------------------------------------------------------------------------------------------

CCmdUI::CCmdUI()
    : m_nID(0),
      m_nIndex(0),
      m_nIndexMax(0),
      m_pMenu(nullptr),
      m_pSubMenu(nullptr),
      m_pParentMenu(nullptr),
      m_pOther(nullptr),
      m_bEnableChanged(FALSE),
      m_bContinueRouting(FALSE),
      m_bEnabled(-1),
      m_nCheck(-1),
      m_bTextChanged(FALSE) {}

void CCmdUI::Enable(BOOL bOn) {
  m_bEnabled = bOn ? TRUE : FALSE;
  m_bEnableChanged = TRUE;
}

void CCmdUI::SetCheck(int nCheck) { m_nCheck = nCheck; }

void CCmdUI::SetRadio(BOOL bOn) { SetCheck(bOn ? 1 : 0); }

void CCmdUI::SetText(const wchar_t* lpszText) {
  m_strText = lpszText;
  m_bTextChanged = TRUE;
}

BOOL CCmdUI::HasCommandHandler(CCmdTarget* pTarget) {
  AFX_CMDHANDLERINFO info{nullptr, nullptr};
  return pTarget->OnCmdMsg(m_nID, CN_COMMAND, this, &info);
}

BOOL CCmdUI::DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler) {
  if (!pTarget) return FALSE;
  m_bEnableChanged = FALSE;
  m_bContinueRouting = FALSE;
  const BOOL bResult = pTarget->OnCmdMsg(m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), this, nullptr);
  if (bDisableIfNoHndler && !m_bEnableChanged) Enable(HasCommandHandler(pTarget));
  return bResult;
}
