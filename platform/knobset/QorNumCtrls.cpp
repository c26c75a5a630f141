// The float edit and its spin button.
#include "QorNumCtrls.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cwchar>

IMPLEMENT_DYNAMIC(CQorFloatNumEdit, CEdit)
IMPLEMENT_DYNAMIC(CQorNumSpinCtrl, CSpinButtonCtrl)

namespace {

// A whole text that is a finite number; false otherwise.
bool ParseNumber(const CString& text, double& value) {
  CString s(text);
  s.Trim();
  if (s.IsEmpty()) return false;
  errno = 0;
  wchar_t* end = nullptr;
  const double v = std::wcstod(s, &end);
  if (!end || *end || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  return true;
}

}  // namespace

BEGIN_MESSAGE_MAP(CQorFloatNumEdit, CEdit)
  ON_WM_KILLFOCUS()
END_MESSAGE_MAP()

void CQorFloatNumEdit::SetRange(double dLower, double dUpper) {
  m_dLower = std::min(dLower, dUpper);
  m_dUpper = std::max(dLower, dUpper);
}

void CQorFloatNumEdit::GetRange(double& dLower, double& dUpper) const {
  dLower = m_dLower;
  dUpper = m_dUpper;
}

CString CQorFloatNumEdit::FormatValue(double dValue) {
  CString s;
  s.Format(L"%.6g", dValue);
  return s;
}

float CQorFloatNumEdit::GetValue() const {
  CString text;
  GetWindowText(text);
  double v = m_dLower;
  if (!ParseNumber(text, v)) v = m_dLower;
  return static_cast<float>(std::clamp(v, m_dLower, m_dUpper));
}

void CQorFloatNumEdit::SetValue(double dValue) {
  const double v = std::isfinite(dValue) ? std::clamp(dValue, m_dLower, m_dUpper) : m_dLower;
  SetWindowText(FormatValue(v));
}

BOOL CQorFloatNumEdit::IsTextInRange() const {
  CString text;
  GetWindowText(text);
  double v = 0;
  return ParseNumber(text, v) && v >= m_dLower && v <= m_dUpper;
}

void CQorFloatNumEdit::OnKillFocus(CWnd* pNewWnd) {
  if (!IsTextInRange()) SetValue(GetValue());
  CEdit::OnKillFocus(pNewWnd);
}

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CQorNumSpinCtrl, CSpinButtonCtrl)
  ON_NOTIFY_REFLECT(UDN_DELTAPOS, &CQorNumSpinCtrl::OnDeltaPos)
END_MESSAGE_MAP()

void CQorNumSpinCtrl::SetRange(double dLower, double dUpper) {
  m_dLower = std::min(dLower, dUpper);
  m_dUpper = std::max(dLower, dUpper);
}

void CQorNumSpinCtrl::GetRange(double& dLower, double& dUpper) const {
  dLower = m_dLower;
  dUpper = m_dUpper;
}

void CQorNumSpinCtrl::SetDelta(double dDelta) {
  if (std::isfinite(dDelta) && dDelta > 0) m_dDelta = dDelta;
}

void CQorNumSpinCtrl::Step(int nSteps) {
  CQorFloatNumEdit* pEdit = dynamic_cast<CQorFloatNumEdit*>(GetBuddy());
  if (!pEdit || nSteps == 0) return;
  const double v = std::clamp(static_cast<double>(pEdit->GetValue()) + nSteps * m_dDelta, m_dLower, m_dUpper);
  const HWND hEdit = pEdit->m_hWnd;
  pEdit->SetValue(v);
  if (CWnd* pParent = CWnd::FromHandle(hEdit) ? pEdit->GetParent() : nullptr)
    pParent->SendMessage(WM_COMMAND, MAKEWPARAM(pEdit->GetDlgCtrlID(), EN_CHANGE), reinterpret_cast<LPARAM>(hEdit));
}

void CQorNumSpinCtrl::OnDeltaPos(NMHDR* pNMHDR, LRESULT* pResult) {
  const NMUPDOWN* nm = reinterpret_cast<const NMUPDOWN*>(pNMHDR);
  Step(nm->iDelta);
  *pResult = 1;  // the value lives in the edit; the arrows' own position never moves
}
