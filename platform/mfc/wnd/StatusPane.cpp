// Status-bar panes in the frame's update pass: the CCmdUI variant of a pane and the pass that a
// status bar registers with its frame.
#include <afxwin.h>

CStatusPaneCmdUI::CStatusPaneCmdUI(CStatusPaneSource* pSource, int nIndex) : m_pSource(pSource) {
  m_nIndex = static_cast<UINT>(nIndex);
  m_nIndexMax = pSource ? static_cast<UINT>(pSource->GetStatusPaneCount()) : 0;
  m_nID = pSource ? pSource->GetStatusPaneID(nIndex) : 0;
}

void CStatusPaneCmdUI::Enable(BOOL bOn) {
  CCmdUI::Enable(bOn);
  const int i = static_cast<int>(m_nIndex);
  if (!m_pSource || i >= m_pSource->GetStatusPaneCount()) return;
  const BOOL want = bOn ? TRUE : FALSE;
  if ((m_pSource->IsStatusPaneEnabled(i) ? TRUE : FALSE) != want) m_pSource->SetStatusPaneEnabled(i, want);
}

void CStatusPaneCmdUI::SetText(const wchar_t* lpszText) {
  CCmdUI::SetText(lpszText);
  const int i = static_cast<int>(m_nIndex);
  if (!m_pSource || i >= m_pSource->GetStatusPaneCount()) return;
  const wchar_t* text = lpszText ? lpszText : L"";
  if (m_pSource->GetStatusPaneText(i) != text) m_pSource->SetStatusPaneText(i, text);
}

void CStatusPaneCmdUI::UpdatePanes(CStatusPaneSource* pSource, CCmdTarget* pTarget) {
  if (!pSource || !pTarget) return;
  // A handler may change the bar: the count is asked again for each pane.
  for (int i = 0; i < pSource->GetStatusPaneCount(); ++i) {
    if (pSource->GetStatusPaneID(i) == 0) continue;
    CStatusPaneCmdUI state(pSource, i);
    state.DoUpdate(pTarget, FALSE);
  }
}

namespace {

void StatusPanePass(CFrameWnd* pFrame, void* pContext) {
  CStatusPaneCmdUI::UpdatePanes(static_cast<CStatusPaneSource*>(pContext), pFrame);
}

}  // namespace

namespace lwmfc {

void AttachStatusPanes(CFrameWnd* pFrame, CStatusPaneSource* pSource) {
  if (pFrame && pSource) pFrame->AddUpdatePass(&StatusPanePass, pSource);
}

void DetachStatusPanes(CFrameWnd* pFrame, CStatusPaneSource* pSource) {
  if (pFrame && pSource) pFrame->RemoveUpdatePass(&StatusPanePass, pSource);
}

}  // namespace lwmfc
