// The About dialog: product, maker and version, and four links (home page; sales, support and
// author mail addresses) that open with the desktop's handler.
#pragma once

#include <afxwin.h>

#include <QorpDialogControls.h>

#include "resource.h"

class CAboutDlg : public CDialog {
  DECLARE_DYNAMIC(CAboutDlg)
 public:
  enum { IDD = IDD_ABOUTBOX };

  explicit CAboutDlg(CWnd* pParent = nullptr);

  CQORPHyperLink m_linkHomePage, m_linkSales, m_linkSupport, m_linkAuthor;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
};
