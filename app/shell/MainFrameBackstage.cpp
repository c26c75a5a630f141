// The main frame's backstage view: what the File button opens.
#include "MainFrame.h"

#include "ShellIds.h"

namespace {

// The backstage's items from top to bottom: commands, and tabs showing one of the frame's pages
// (a page at its size in the view; 0: the view's room). Captions come from the string table
// like every command's; these stand in where it has none.
enum BackstagePage { kCommand, kRecentPage, kPrintPage };
struct BackstageItem {
  UINT nId;
  const wchar_t* pszCaption;
  const wchar_t* pszDescription;
  BackstagePage nPage;
  int cxPage, cyPage;
};
const BackstageItem kBackstageItems[] = {
    {ID_FILE_NEW, L"&New", L"Create a new document", kCommand, 0, 0},
    {ID_FILE_OPEN, L"&Open", L"Open a PDF or a Leafwright document", kCommand, 0, 0},
    {ID_FILE_SAVE, L"&Save", L"Save the document", kCommand, 0, 0},
    {ID_FILE_SAVE_AS, L"Save &As", L"Save the document under a new name", kCommand, 0, 0},
    {ID_SAVE_AS_PDF, L"Save As PDF", L"Publish the document as a PDF file", kCommand, 0, 0},
    {ID_SAVE_AS_FLIPBOOK, L"Save As Page-Flip Publication", L"Publish the document as a page-flip book", kCommand, 0, 0},
    {IDS_TAB_RECENT, L"Recent", L"The documents opened lately", kRecentPage, 650, 400},
    {IDS_TAB_PRINT, L"Print", L"Print the document, several pages to a sheet", kPrintPage, 0, 0},
    {ID_APP_OPTIONS, L"Op&tions", L"Settings of the program", kCommand, 0, 0},
    {ID_APP_EXIT, L"Exit", L"Close the program", kCommand, 0, 0},
};

void FillCaption(CQORPControl* p, const wchar_t* pszCaption, const wchar_t* pszDescription) {
  if (!p) return;
  if (p->GetCaption().IsEmpty() || p->GetCaption()[0] == L'#') p->SetCaption(pszCaption);
  if (p->GetDescription().IsEmpty()) p->SetDescription(pszDescription);
}

}  // namespace

BOOL CMainFrame::CreateBackstage() {
  if (!m_wndBackstage.Create(this, &m_commandBars)) return FALSE;
  // The File button at the left of the tab row opens the view.
  CQORPControl* pFile = m_wndRibbon.GetSystemButton();
  if (!pFile) pFile = m_wndRibbon.AddSystemButton(ID_FILE_BUTTON);
  FillCaption(pFile, L"&File", L"Click here to see everything you can do with PDF document");
  m_wndRibbon.SetBackstageView(&m_wndBackstage);
  FillBackstage();
  m_wndRibbon.RecalcLayout();
  return TRUE;
}

void CMainFrame::FillBackstage() {
  for (const BackstageItem& item : kBackstageItems) {
    // A page of the frame (a property page: the view makes it and tells it when it shows).
    CWnd* pPage = nullptr;
    switch (item.nPage) {
      case kRecentPage: pPage = &m_pageRecent; break;
      case kPrintPage: pPage = &m_pagePrint; break;
      case kCommand: break;
    }
    CQORPControl* p = pPage ? m_wndBackstage.AddTab(pPage, static_cast<int>(item.nId), item.cxPage, item.cyPage)
                            : m_wndBackstage.AddCommand(static_cast<int>(item.nId));
    FillCaption(p, item.pszCaption, item.pszDescription);
  }
}

void CMainFrame::RebuildBackstage() {
  if (!m_wndBackstage.GetSafeHwnd()) return;
  m_wndBackstage.ShowBackstage(FALSE);
  m_wndBackstage.RemoveAll();
  FillBackstage();
}

void CMainFrame::OnFileButton() {
  if (m_wndBackstage.GetSafeHwnd()) m_wndBackstage.ShowBackstage(!m_wndBackstage.IsBackstageVisible());
}

void CMainFrame::OnUpdateFileButton(CCmdUI* pCmdUI) { pCmdUI->Enable(m_wndBackstage.GetSafeHwnd() != nullptr); }
