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

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
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
};
