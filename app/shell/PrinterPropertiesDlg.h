// The printer's properties as the program keeps them: paper, orientation and resolution.
#pragma once

#include <afxwin.h>
#include <afxdialog.h>

#include <winspool.h>

class CPrinterPropertiesDlg : public CDialog {
 public:
  enum { IDD = 374 };
  // Edits a copy of dm; after IDOK, Settings() holds the choice.
  explicit CPrinterPropertiesDlg(const DEVMODEW& dm, CWnd* pParent = nullptr);
  const DEVMODEW& Settings() const { return m_dm; }

  BOOL OnInitDialog() override;
  void OnOK() override;

 private:
  DEVMODEW m_dm;
};
