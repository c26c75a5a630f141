// Docking panes over a site window (the frame's content panel): panes by id, docked at a side
// with a caption and a close button; shown, closed and asked about by id.
#pragma once

#include <afxwin.h>

#include <memory>
#include <vector>

enum QORPDockingDirection : int {
  QORP_PANE_DOCK_LEFT = 0,
  QORP_PANE_DOCK_RIGHT = 1,
  QORP_PANE_DOCK_TOP = 2,
  QORP_PANE_DOCK_BOTTOM = 3,
};

class CQORPDockingPaneManager;

class CQORPDockingPane {
 public:
  UINT GetID() const { return m_nID; }
  CString GetTitle() const { return m_strTitle; }
  void SetTitle(const wchar_t* lpsz);
  // The window shown in the pane (not owned); it becomes a child of the site. The pane opens at
  // the size it was created with, whatever the site's size, and keeps the extent the user drags
  // its sash to across site resizes and closing and showing it again.
  BOOL Attach(CWnd* pWnd);
  CWnd* GetChild() const { return m_pChild; }

 private:
  friend class CQORPDockingPaneManager;
  CQORPDockingPane(CQORPDockingPaneManager* pManager, UINT nID) : m_pManager(pManager), m_nID(nID) {}
  CQORPDockingPaneManager* m_pManager;
  UINT m_nID;
  CString m_strTitle;
  CWnd* m_pChild = nullptr;
  CSize m_size{0, 0};
  QORPDockingDirection m_nDirection = QORP_PANE_DOCK_LEFT;
};

class CQORPDockingPaneManager {
 public:
  CQORPDockingPaneManager();
  ~CQORPDockingPaneManager();
  CQORPDockingPaneManager(const CQORPDockingPaneManager&) = delete;
  CQORPDockingPaneManager& operator=(const CQORPDockingPaneManager&) = delete;

  // Manages the site window's children; the client window fills what the panes leave.
  BOOL InstallDockingPanes(CWnd* pSite);
  void SetClientWindow(CWnd* pClient);
  // A pane of the given size docked at a side; null without a site or when the id is taken.
  CQORPDockingPane* CreatePane(UINT nID, const CRect& rc, QORPDockingDirection nDirection);
  CQORPDockingPane* FindPane(UINT nID) const;
  void ShowPane(UINT nID);
  void ClosePane(UINT nID);
  // True for a closed pane and for an id without a pane.
  BOOL IsPaneClosed(UINT nID) const;
  // Pane colours: background, caption, caption text. The paint manager's "DockingPane" and dock
  // caption colours are taken on installation and whenever the theme changes.
  void SetColors(COLORREF clrBack, COLORREF clrCaption, COLORREF clrCaptionText);
  COLORREF GetBackColor() const;
  void RecalcLayout();

 private:
  friend class CQORPDockingPane;
  void Update();
  // The pane's extent across its dock: taken from the dock before it closes, given back to the
  // dock when the pane is laid out anew.
  void KeepExtent(CQORPDockingPane* pPane);
  void RestoreExtent(CQORPDockingPane* pPane);
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
  void ApplyTheme();
  std::vector<std::unique_ptr<CQORPDockingPane>> m_panes;
  int m_nThemeCookie = 0;
};
