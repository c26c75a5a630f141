// The new-document dialog: paper size from a preset (in either orientation) or custom, the unit
// of the size, and the number of pages. After IDOK the caller reads m_eUnit, m_fWidth,
// m_fHeight and m_nPageCount.
#pragma once

#include <afxwin.h>

#include <QorNumCtrls.h>
#include <UnitConv.h>

#include "resource.h"

class CNewPdfDlg : public CDialog {
  DECLARE_DYNAMIC(CNewPdfDlg)
 public:
  enum { IDD = IDD_NEWPDF_DLG };

  struct Preset {
    const wchar_t* lpszName;
    float fWidth, fHeight;  // inches, as shown in portrait
  };
  static const Preset kPresets[6];
  static constexpr int kDefaultPreset = 5;  // "US Letter"
  // Unit list index to unit: "inches", "cm", "mm", "points".
  static const int kUnitOfIndex[4];
  // The sizes a page may have, in inches: from the size edits' lower bound of 1 unit up to this
  // much. Beyond it the program's pixel sizes (scroll sizes, thumbnails, print sheets) overflow.
  static constexpr double kMaxPageInches = 200.0;
  static constexpr double kMinPageSize = 1.0;

  explicit CNewPdfDlg(CWnd* pParent = nullptr);

  // The largest width or height in a unit (200 inches in that unit).
  static double MaxPageSize(int eUnit);

  int m_eUnit = Vectorloom::UNIT_INCH;
  float m_fWidth = 0.0f;
  float m_fHeight = 0.0f;
  UINT m_nPageCount = 1;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  afx_msg void OnPresetChanged();
  afx_msg void OnBuiltIn();
  afx_msg void OnCustom();
  afx_msg void OnUnitChanged();
  DECLARE_MESSAGE_MAP()

  // Puts the selected preset, turned for the orientation, into the size edits in the current
  // unit; nothing without a selection.
  void ApplyPreset();
  void EnableCustom(BOOL bCustom);
  // The size edits' and spins' bounds for the current unit.
  void SetSizeRanges();
  // FALSE (with the range message, the edit focused) when a size edit's text is not a number
  // within the bounds.
  BOOL CheckSizeEdit(CQorFloatNumEdit& edit);

  CListBox m_listPresets;
  CComboBox m_comboUnits;
  CQorFloatNumEdit m_editWidth, m_editHeight;
  CQorNumSpinCtrl m_spinWidth, m_spinHeight;
  CSpinButtonCtrl m_spinPages;
};
