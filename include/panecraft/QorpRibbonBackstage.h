// The backstage view that the ribbon's File button opens: a page over the whole client area of
// the frame with a column of commands and tabs on the left and the page of the selected tab on
// the right. No toolkit header here.
//
// - A command's click hides the view and posts WM_COMMAND (id, lParam 0) to the frame (refused
//   there while its update handler disables it); a disabled command does nothing.
// - A tab's click shows its page (a window the caller made; it is moved into the view while the
//   view lives and handed back to the frame when the view is emptied or destroyed).
// - Esc, the File button again, or the back control at the top of the column (where the File
//   button sat before the view covered it) hides the view.
// - A page that is a property page (CQORPRibbonBackstagePage, or any CPropertyPage) is told
//   each time it comes into view (OnSetActive, so it can refill itself) and each time it leaves
//   it (OnKillActive); a property page not made yet is made as a child of the view by AddTab.
#pragma once

#include <afxdlgs.h>

#include <QorpControls.h>

#include <memory>
#include <vector>

class QorpBackstageWindow;

class CQORPBackstageView : public CWnd {
 public:
  // Not a control bar: the frame's layout leaves it alone; it covers the client area itself.
  static constexpr UINT kViewId = 0xE90A;

  CQORPBackstageView();
  ~CQORPBackstageView() override;

  // Creates the view, hidden, as a child of pFrame; its commands join pCommandBars (whose update
  // pass enables them). FALSE when the frame has no window or the view exists.
  using CWnd::Create;
  BOOL Create(CFrameWnd* pFrame, CQORPCommandBars* pCommandBars);

  // A command of the left column, captioned from the string table.
  CQORPControl* AddCommand(int nId);
  // A tab of the left column captioned by the string-table entry of nId, showing pPage at the
  // right with the given size (0: the page's own size). pPage may be null (an empty page). A
  // property page without a window yet is made here (null when that fails).
  CQORPControl* AddTab(CWnd* pPage, int nId, int cxPage = 0, int cyPage = 0);
  // Removes every command and tab (the view is built again after a theme change).
  void RemoveAll();

  int GetItemCount() const { return static_cast<int>(m_items.size()); }
  CQORPControl* GetItem(int nIndex) const;
  BOOL IsTab(int nIndex) const;
  CWnd* GetTabPage(int nIndex) const;

  // The selected tab's index (-1 when none); selecting shows its page.
  int GetActiveTab() const { return m_nActive; }
  void SetActiveTab(int nIndex);

  void ShowBackstage(BOOL bShow);
  BOOL IsBackstageVisible() const;

  // Acts as a click on item nIndex would; FALSE when there is none or it is disabled.
  BOOL ClickItem(int nIndex);
  // Where item nIndex is drawn, in client coordinates.
  CRect GetItemRect(int nIndex) const;
  // The back control (a round button with a left arrow, above the items), in client coordinates.
  CRect GetBackRect() const;
  // Repaints the items when their state changed (called by the ribbon's update pass).
  void RefreshItems();
  // The page in view now (the active tab's while the view is shown), or null.
  CWnd* GetShownPage() const { return m_pShownPage; }

 private:
  friend class QorpBackstageWindow;
  struct Item {
    CQORPControl* pControl = nullptr;
    std::unique_ptr<CQORPControl> pOwnTab;  // tabs are not commands: kept out of the update pass
    CWnd* pPage = nullptr;
    int cx = 0, cy = 0;
    bool bLastEnabled = true;
  };
  void Layout();
  int ColumnWidth() const;
  void ReleasePages();
  // Tells the page leaving the view and the page coming into it.
  void SyncShownPage();
  CString CaptionOf(int nId) const;

  CFrameWnd* m_pFrame = nullptr;
  CQORPCommandBars* m_pCommandBars = nullptr;
  CQORPCommandBar* m_pBar = nullptr;
  std::vector<Item> m_items;
  int m_nActive = -1;
  int m_nThemeCookie = 0;
  void* m_pFrameSizeBinding = nullptr;
  CWnd* m_pShownPage = nullptr;
};

// A page of the backstage view, made from a dialog template. Its background is the view's and
// follows the theme each time the page comes into view.
class CQORPRibbonBackstagePage : public CPropertyPage {
  DECLARE_DYNAMIC(CQORPRibbonBackstagePage)
 public:
  explicit CQORPRibbonBackstagePage(UINT nIDTemplate, UINT nIDCaption = 0);
  // The view that shows the page (null until it is added to one).
  CQORPBackstageView* GetBackstageView() const { return m_pBackstageView; }
  BOOL OnSetActive() override;

 protected:
  BOOL OnInitDialog() override;

 private:
  friend class CQORPBackstageView;
  void ApplyTheme();
  CQORPBackstageView* m_pBackstageView = nullptr;
};

// The title of a backstage page: the page's title font (larger, bold) in a colour the caller
// picks, drawn at least 4.5:1 against the page (a colour that reads less is moved until it reads).
class CQORPRibbonBackstageLabel : public CStatic {
  DECLARE_DYNAMIC(CQORPRibbonBackstageLabel)
 public:
  void SetTextColor(COLORREF clrText);
  COLORREF GetTextColor() const { return m_clrText; }
  // The colour the label is drawn in on its background now.
  COLORREF GetShownTextColor() const;
  void PreSubclassWindow() override;
  void ApplyStyle();

 private:
  COLORREF m_clrText = RGB(0x5E, 0x5E, 0x5E);
};

// A thin horizontal line under a page's title.
class CQORPRibbonBackstageSeparator : public CStatic {
  DECLARE_DYNAMIC(CQORPRibbonBackstageSeparator)
 public:
  void PreSubclassWindow() override;
};
