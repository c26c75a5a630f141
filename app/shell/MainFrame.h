// The main window: the ribbon along the top, the page view, and the status bar with the page
// number, the progress of long document operations, page navigation and the zoom.
#pragma once

#include <memory>

#include <QorpDockingPane.h>
#include <QorpFrameWnd.h>
#include <QorpRibbon.h>
#include <QorpRibbonBackstage.h>
#include <QorpStatusBar.h>

#include <QorProgress.h>

#include "BackstagePagePrint.h"
#include "BackstagePageRecent.h"
#include "GalleryItems.h"
#include "PageIndexCombo.h"
#include "Themes.h"

class CLeafwrightView;
class CPagesListView;

// The docking pane of the thumbnails, and the thumbnail view's window id.
inline constexpr UINT ID_PANE_THUMBNAILS = 300;
inline constexpr UINT ID_VIEW_THUMBNAILS = 59649;

class CMainFrame : public CQORPFrameWnd, public IThemeSwitchTarget {
  DECLARE_DYNCREATE(CMainFrame)

 public:
  CMainFrame();
  ~CMainFrame() override;

  // The tip pane shows the message and the progress pane appears at 0; both go again with
  // HideProgress. The bar is laid out and repainted at once.
  void ShowProgress(const CString* message);
  void HideProgress();
  CQORPStatusBar& GetStatusBar() { return m_wndStatusBar; }
  CQORPRibbonBar& GetRibbonBar() { return m_wndRibbon; }
  CQORPBackstageView& GetBackstageView() { return m_wndBackstage; }
  CBackstagePageRecent& GetRecentPage() { return m_pageRecent; }
  CBackstagePagePrint& GetPrintPage() { return m_pagePrint; }
  CLeafwrightView* GetLeafwrightView() const;
  // The thumbnail pane's view (MainFramePanes.cpp); null before the frame made it.
  CPagesListView* GetPagesListView() const { return m_pPagesList; }
  CQORPDockingPaneManager& GetDockingPaneManager() { return m_paneManager; }
  // What the document's progress reports to (the status bar of this frame).
  CQorProgressStatusBar* GetProgressStatusBar() { return &m_progressBar; }

  // Shows a zoom (percent) in the status bar: the slider's position and the text beside it.
  void UpdateZoomPane(float fZoom);

  // The idle pass: every update handler of the ribbon, the backstage and the status bar, and
  // the window title.
  void OnUpdateCmdUIAll() override;
  // "<document> - Leafwright", with "*" in front while the document has unsaved changes.
  static CString MakeWindowTitle(const CString& documentTitle, bool modified);
  void UpdateWindowTitle();

  // The Style menu's themes (32771-32773): the whole switch runs for any of them, the current
  // one included; also run once when the frame is made, with the current theme.
  afx_msg void OnSwitchTheme(UINT nId);
  afx_msg void OnUpdateSwitchTheme(CCmdUI* pCmdUI);

  // The steps of a theme switch carried out on this frame's toolkit windows.
  void SelectPaintTheme(int nPaintTheme) override;
  bool LoadThemeModule(const CString& strModulePath) override;
  void SetImageHandle(const CString& strModulePath, const wchar_t* lpszIniName) override;
  void SetDockingTheme(int nDockingTheme) override;
  void SetFileButtonStyle(int nStyle) override;
  void RebuildBackstage() override;
  void RedrawAll() override;
  void ApplyStatusFont() override;
  int GetFileButtonStyle() const { return m_nFileButtonStyle; }

  // The gallery collections of the ribbon (made once, before the ribbon).
  CGalleryCollections& GetGalleryCollections() { return m_galleries; }
  // The view that previews the gallery item under the pointer: the active view when it can.
  virtual IGalleryPreviewView* GetGalleryPreviewView() const;

  // Routing: a ribbon command whose handler is not written yet is disabled while nothing
  // answers it (the reasons are in RibbonLayout.cpp).
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

 protected:
  // The page view and the thumbnail pane sit in a panel that the docking panes share
  // (MainFramePanes.cpp).
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override;
  CWnd* GetViewParent() override;
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  // The File button: shows or hides the backstage view; always enabled.
  afx_msg void OnFileButton();
  afx_msg void OnUpdateFileButton(CCmdUI* pCmdUI);
  // 0x2862 from the galleries: 4115 previews the highlighted item, 4113 ends the preview.
  afx_msg LRESULT OnGalleryNotify(WPARAM wParam, LPARAM lParam);
  // "Add Stamp" itself does nothing (its list holds the stamps); it stays enabled.
  afx_msg void OnAddStamp() {}
  // The zoom slider and its - and + buttons zoom the page view.
  afx_msg void OnZoomSliderNotify(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnViewStatusBar();
  afx_msg void OnUpdateViewStatusBar(CCmdUI* pCmdUI);
  // Thumbnail View: shows or hides the pane of page thumbnails; checked while it shows.
  afx_msg void OnViewThumbnail();
  afx_msg void OnUpdateViewThumbnail(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

 private:
  // The status bar seen as the progress reporter's bar.
  class CProgressBarSite : public CQorProgressStatusBar {
   public:
    explicit CProgressBarSite(CMainFrame* pFrame) : m_pFrame(pFrame) {}
    void ShowProgress(const CString* message) override { m_pFrame->ShowProgress(message); }
    void HideProgress() override { m_pFrame->HideProgress(); }
    bool SetProgressPanePos(int paneId, int position) override;
    void UpdateWindow() override;

   private:
    CMainFrame* m_pFrame;
  };

  BOOL CreateStatusBar();
  // Keeps the page box of the status bar at the active view's page and page count.
  void SyncPageCombo();
  void AddPageComboPane();
  BOOL CreateRibbonBar();
  void LoadCommandIcons();
  // The File button's backstage view: its commands, the Recent tab and its page (filled again
  // after each theme switch by RebuildBackstage).
  BOOL CreateBackstage();
  void FillBackstage();

  CQORPStatusBar m_wndStatusBar;
  CPageIndexComboBox m_wndPageCombo;  // in the status bar, between the previous and next buttons
  CGalleryCollections m_galleries;
  mutable std::unique_ptr<IGalleryPreviewView> m_pViewPreview;  // the active view seen by the galleries
  CQORPRibbonBar m_wndRibbon;
  CQORPBackstageView m_wndBackstage;
  CBackstagePageRecent m_pageRecent;
  CBackstagePagePrint m_pagePrint;
  CProgressBarSite m_progressBar{this};
  int m_nFileButtonStyle = 0;
  CWnd m_wndPanel;  // the page view's parent, laid out by the docking panes
  CQORPDockingPaneManager m_paneManager;
  CPagesListView* m_pPagesList = nullptr;  // deleted with its window
};
