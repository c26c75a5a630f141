// Floating-point number edit and the spin button tied to it (in place of the maker's Knobset
// controls). Both are bound to dialog controls (DDX_Control) like any other control.
//
// The edit holds a number between its lower and upper bound. Its value is what its text reads,
// kept inside the bounds: a text that is not a number reads as the lower bound, a number beyond
// a bound as that bound; when the edit loses the focus the text is rewritten to the value it
// reads. Values are shown with up to six significant digits ("8.5", "21.59", "1e+06").
#pragma once

#include <afxwin.h>

class CQorFloatNumEdit : public CEdit {
  DECLARE_DYNAMIC(CQorFloatNumEdit)
 public:
  CQorFloatNumEdit() = default;
  // Bounds of the value (swapped when given the wrong way round). The text is not touched.
  void SetRange(double dLower, double dUpper);
  void GetRange(double& dLower, double& dUpper) const;
  // The value the text reads, inside the bounds.
  float GetValue() const;
  // Writes the value, kept inside the bounds, into the text.
  void SetValue(double dValue);
  // Whether the text is a number inside the bounds as it stands.
  BOOL IsTextInRange() const;
  // The text shown for a value.
  static CString FormatValue(double dValue);

 protected:
  afx_msg void OnKillFocus(CWnd* pNewWnd);
  DECLARE_MESSAGE_MAP()

 private:
  double m_dLower = -3.4028234663852886e38;
  double m_dUpper = 3.4028234663852886e38;
};

// A spin button that steps the value of its edit (the buddy: given by SetBuddy or by the
// template's automatic buddy) by a step of its own, inside its own bounds. A step that would
// leave the bounds stops at the bound. The edit's parent is told of the change by EN_CHANGE.
class CQorNumSpinCtrl : public CSpinButtonCtrl {
  DECLARE_DYNAMIC(CQorNumSpinCtrl)
 public:
  CQorNumSpinCtrl() = default;
  void SetRange(double dLower, double dUpper);
  void GetRange(double& dLower, double& dUpper) const;
  void SetDelta(double dDelta);
  double GetDelta() const { return m_dDelta; }
  // Takes one step as the arrows do (nSteps > 0 up, < 0 down).
  void Step(int nSteps);

 protected:
  afx_msg void OnDeltaPos(NMHDR* pNMHDR, LRESULT* pResult);
  DECLARE_MESSAGE_MAP()

 private:
  double m_dLower = 0.0;
  double m_dUpper = 100.0;
  double m_dDelta = 1.0;
};
