// One-value edit dialogs (in place of the maker's Sashwork dialogs): a caption, a label, a unit
// text and one integer between a lower and an upper bound, typed in an edit, stepped with spin
// arrows or slid with a track bar; the three follow each other. OK refuses a value outside the
// bounds with the framework's range message and keeps the dialog open.
#pragma once

#include <afxwin.h>

// The dialog template's id and its controls.
#define IDD_EDITPARAM1 30200
#define IDC_EDITPARAM1_LABEL 30201
#define IDC_EDITPARAM1_VALUE 30202
#define IDC_EDITPARAM1_SPIN 30203
#define IDC_EDITPARAM1_UNIT 30204
#define IDC_EDITPARAM1_SLIDER 30205

class CEditParam1Dlg : public CDialogEx {
  DECLARE_DYNAMIC(CEditParam1Dlg)
 public:
  // nUpper before nLower, as the callers pass them; bounds given the wrong way round are swapped
  // and the value is kept inside them.
  CEditParam1Dlg(const wchar_t* lpszCaption, const wchar_t* lpszLabel, const wchar_t* lpszUnit, int nUpper, int nLower,
                 int nValue, CWnd* pParent = nullptr);

  int GetValue() const { return m_nValue; }
  int GetLower() const { return m_nLower; }
  int GetUpper() const { return m_nUpper; }

  // The value: the initial one, then the user's latest in-range one; read after IDOK.
  int m_nValue;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  // Called with each new value the user picks (typed in range, slid or stepped).
  virtual void ValueChanged(int nValue);

  afx_msg void OnValueEdited();
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  DECLARE_MESSAGE_MAP()

  CString m_strCaption, m_strLabel, m_strUnit;
  int m_nUpper, m_nLower;
  CSliderCtrl m_slider;
  CSpinButtonCtrl m_spin;

 private:
  // Takes a new value from one of the controls and moves the other two.
  void Take(int nValue, int nFromID);
  BOOL m_bSyncing = FALSE;
};

// The same dialog with a notification of each change (the program previews the value live).
class CEditParam1DlgEx : public CEditParam1Dlg {
  DECLARE_DYNAMIC(CEditParam1DlgEx)
 public:
  using CEditParam1Dlg::CEditParam1Dlg;

 protected:
  // Each value the user picks, as it is picked.
  virtual void OnParamChanged(int nNewValue);
  void ValueChanged(int nValue) override { OnParamChanged(nValue); }
};
