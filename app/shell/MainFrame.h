// The main window: the ribbon along the top, the page view, and the status bar with the page
// number, the progress of long document operations, page navigation and the zoom.
#pragma once

#include <QorpFrameWnd.h>
#include <QorpRibbon.h>
#include <QorpStatusBar.h>

#include <QorProgress.h>

class CLeafwrightView;

class CMainFrame : public CQORPFrameWnd {
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
  CLeafwrightView* GetLeafwrightView() const;
  // What the document's progress reports to (the status bar of this frame).
  CQorProgressStatusBar* GetProgressStatusBar() { return &m_progressBar; }

  // The idle pass: the recent-file items follow the application's list first (one item per
  // file, numbered, the path shortened to 30 characters), then every update handler runs.
  void OnUpdateCmdUIAll() override;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnUpdateRecentList(CCmdUI* pCmdUI);
  afx_msg void OnRecentList() {}
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
  BOOL CreateRibbonBar();
  void LoadCommandIcons();

  CQORPStatusBar m_wndStatusBar;
  CQORPRibbonBar m_wndRibbon;
  CProgressBarSite m_progressBar{this};
  CQORPControl* m_pRecentList = nullptr;
};
