// The ribbon: tabs of groups of controls along the top of the frame, with the File button, the
// items on the right of the tab row and the quick access bar above the tabs. Every control is a
// CQORPControl of the frame's command bars, so FindControl and the update pass reach it. No
// toolkit header here.
//
// Behaviour:
// - A click on a button, a split button's main part, a check box, a tab-row or quick access
//   item posts WM_COMMAND (id, lParam 0) to the frame, which routes it and refuses it while the
//   command's update handler disables it. A disabled control sends nothing.
// - A drop-down, or a split button's arrow, opens the control's pop-up bar through the pop-up
//   windows of the layer; when none can, a plain menu of the pop-up bar's buttons is shown
//   (their update handlers run first) and the chosen command is posted.
// - The group option button (bottom right of a group) posts WM_COMMAND of its own id.
// - Edits, combo boxes and scroll bars of a group send WM_NOTIFY code 100 (QORP_CN_EXECUTE) on
//   Enter, a pick from the list or a scroll end; an edit's spin arrows send QORP_CN_SPINUP /
//   QORP_CN_SPINDOWN with a signed step. The record is NMQORPCONTROL with the frame as sender.
// - The frame's idle update pass runs every control's update handler, then pushes the enabled
//   and checked states and captions that changed to the windows.
// - Colours follow the paint manager's theme at once.
#pragma once

#include <QorpControls.h>

#include <memory>
#include <vector>

class CQORPRibbonBar;
class CQORPRibbonTab;
class CQORPBackstageView;
struct CQORPRibbonBarImpl;

// One entry of a menu table: a command id and its text; id 0 is a separator.
struct QORP_MENU_ENTRY {
  UINT nID;
  const wchar_t* lpszText;
};

// Builds a pop-up menu from a table (creating the menu when it has none yet). FALSE when the
// table is null or the menu cannot be made.
BOOL QORPMenuFromTable(CMenu& menu, const QORP_MENU_ENTRY* pEntries, int nCount);

// Renders an SVG icon at nSize x nSize pixels into BGRA rows (straight alpha), one-colour
// parts in clrText as the ribbon draws them. FALSE when the text is no drawing.
BOOL QORPRenderSvgIcon(const char* pszSvg, int nSize, COLORREF clrText, std::vector<BYTE>& bgra);
// Fills a pop-up bar with one button per command item of the menu (captions from the menu,
// separators skipped); returns how many were added.
int QORPLoadPopupFromMenu(CQORPCommandBar* pBar, const CMenu& menu);
// The plain menu standing for a pop-up bar: one item per visible button-like control with an
// id (buttons, check boxes, drop-downs), in order, with its caption ("#id" when it has none)
// and its enabled and checked state; labels, edits, combo boxes, galleries and scroll bars are
// left out. Creates the menu when needed; returns the number of items.
int QORPMenuFromPopupBar(const CQORPCommandBar* pBar, CMenu& menu);
// A control of the kind with this layer's own class (the pop-up kinds are buttons); null for
// a kind it does not make.
std::unique_ptr<CQORPControl> QORPCreateControl(QORPControlType nType, int nId);
// A caption as the ribbon shows it: '&' marks are removed, "&&" stands for '&'.
CString QORPStripMnemonic(const CString& strCaption);

class CQORPRibbonGroup {
 public:
  CQORPRibbonGroup(const CQORPRibbonGroup&) = delete;
  CQORPRibbonGroup& operator=(const CQORPRibbonGroup&) = delete;

  int GetID() const { return m_nId; }
  CString GetCaption() const { return m_strCaption; }
  void SetCaption(const wchar_t* lpszCaption);
  CQORPRibbonTab* GetParentTab() const { return m_pTab; }

  // Adds a control of the kind at the end of the group; null for a kind that cannot be made.
  CQORPControl* Add(QORPControlType nType, int nId);
  // Adds a control made by the caller (its own class); the group keeps it.
  CQORPControl* Add(std::unique_ptr<CQORPControl> pControl);
  int GetCount() const;
  CQORPControl* GetAt(int nIndex) const;
  // The command bar holding the group's controls.
  CQORPCommandBar* GetControls() const { return m_pBar; }

  // The option button in the group's caption: a click posts WM_COMMAND nId. Its caption and
  // description come from the string table like any control's.
  CQORPControl* SetOptionButton(int nId);
  CQORPControl* GetControlGroupOption() const { return m_pOption; }

 private:
  friend class CQORPRibbonTab;
  friend struct CQORPRibbonBarImpl;
  CQORPRibbonGroup(CQORPRibbonTab* pTab, int nId, CQORPCommandBar* pBar);
  CQORPRibbonTab* m_pTab;
  int m_nId;
  CString m_strCaption;
  CQORPCommandBar* m_pBar;
  CQORPControl* m_pOption = nullptr;
};

class CQORPRibbonTab {
 public:
  CQORPRibbonTab(const CQORPRibbonTab&) = delete;
  CQORPRibbonTab& operator=(const CQORPRibbonTab&) = delete;
  ~CQORPRibbonTab();

  int GetID() const { return m_nId; }
  CString GetCaption() const { return m_strCaption; }
  void SetCaption(const wchar_t* lpszCaption);
  CQORPRibbonBar* GetRibbonBar() const { return m_pRibbon; }

  // A group captioned by the caption field of the string-table entry of nId.
  CQORPRibbonGroup* AddGroup(int nId);
  CQORPRibbonGroup* AddGroup(const wchar_t* lpszCaption, int nId = 0);
  int GetGroupCount() const { return static_cast<int>(m_groups.size()); }
  CQORPRibbonGroup* GetGroup(int nIndex) const;
  CQORPRibbonGroup* FindGroup(int nId) const;

  void Select();
  BOOL IsSelected() const;

 private:
  friend class CQORPRibbonBar;
  friend class CQORPRibbonGroup;
  friend struct CQORPRibbonBarImpl;
  CQORPRibbonTab(CQORPRibbonBar* pRibbon, int nId);
  CQORPRibbonBar* m_pRibbon;
  int m_nId;
  CString m_strCaption;
  std::vector<std::unique_ptr<CQORPRibbonGroup>> m_groups;
};

class CQORPRibbonBar : public CWnd {
 public:
  // The ribbon's window id: a control bar of the frame, laid out along its top edge.
  static constexpr UINT kBarId = 0xE80A;

  CQORPRibbonBar();
  ~CQORPRibbonBar() override;

  // Creates the ribbon as a child of pFrame. Its controls join pCommandBars, which it attaches
  // to the frame and whose update pass it takes over (it runs the handlers, then refreshes the
  // windows). FALSE when the frame has no window or the command bars are missing.
  using CWnd::Create;
  BOOL Create(CFrameWnd* pFrame, CQORPCommandBars* pCommandBars, const wchar_t* lpszTitle = L"The Ribbon");
  CQORPCommandBars* GetCommandBars() const { return m_pCommandBars; }
  CFrameWnd* GetFrame() const { return m_pFrame; }
  CString GetTitle() const { return m_strTitle; }

  // Tabs: a tab captioned by the caption field of the string-table entry of nId, or by text.
  CQORPRibbonTab* AddTab(int nId);
  CQORPRibbonTab* AddTab(const wchar_t* lpszCaption, int nId = 0);
  int GetTabCount() const { return static_cast<int>(m_tabs.size()); }
  CQORPRibbonTab* GetTab(int nIndex) const;
  CQORPRibbonTab* FindTab(int nId) const;
  CQORPRibbonTab* GetSelectedTab() const;
  void SelectTab(CQORPRibbonTab* pTab);

  // The File button at the left of the tab row: its click shows the backstage view (when one
  // is set) or else posts its command.
  CQORPControl* AddSystemButton(int nId);
  CQORPControl* GetSystemButton() const { return m_pSystemButton; }
  void SetBackstageView(CQORPBackstageView* pBackstage) { m_pBackstage = pBackstage; }
  CQORPBackstageView* GetBackstageView() const { return m_pBackstage; }

  // Items at the right end of the tab row ("Style" drop-down, About) and the quick access bar
  // above the tabs: plain command bars; add controls with QORPCreateControl.
  CQORPCommandBar* GetTabRowControls() const { return m_pTabRow; }
  CQORPCommandBar* GetQuickAccessControls() const { return m_pQuickAccess; }
  CQORPControl* AddTabRowControl(QORPControlType nType, int nId);
  CQORPControl* AddQuickAccessControl(int nId);

  // Commands that have 32-pixel icons show as large buttons; the others as small ones.
  void SetLargeIcons(const UINT* pIds, int nCount);
  BOOL HasLargeIcon(UINT nId) const;
  // An icon for a command (BGRA rows, straight alpha, nWidth x nHeight); nSize 16 or 32.
  void SetIcon(UINT nId, int nSize, int nWidth, int nHeight, const BYTE* pBGRA);
  // An icon for a command as SVG text drawn for 16 and for 32 pixels, rendered when the
  // ribbon is built. One-colour drawings (fill "currentColor" of the text colour class) take
  // the colour of the buttons' captions in the current theme. An SVG icon wins over a SetIcon
  // one; a command with neither shows no picture.
  void SetIconSvg(UINT nId, const char* pszSvg16, const char* pszSvg32);

  // Builds the windows for what was added since (also done by the next update pass), sizes
  // the bar to its height and lets the frame lay out again.
  void RecalcLayout();
  int GetBarHeight() const;

  // Where a control is shown, in screen coordinates; FALSE when it is not on screen.
  BOOL GetControlScreenRect(const CQORPControl* pControl, CRect& rcScreen) const;
  // Acts as a click on the control would (a button's command, a drop-down's list, a check
  // box's command); FALSE when the control is disabled or not in this ribbon.
  BOOL ExecuteControl(CQORPControl* pControl, BOOL bDropDown = FALSE);

  // Runs the update handlers of every control, then refreshes the windows (the idle pass).
  void UpdateCommandUI();

  // Key tips. Alt pressed in the frame shows a letter badge over the File button and each tab;
  // typing a tab's letter selects that tab and shows badges over its controls that were given
  // key tips; typing a control's letters then acts as its click (the File button's letter opens
  // it at once). Esc goes back from the controls to the tabs, then hides the badges. A tab's
  // letter is the mnemonic of its caption, else its first letter not taken before it.
  void SetKeyTip(CQORPControl* pControl, const wchar_t* lpszKeys);
  CString GetKeyTip(const CQORPControl* pControl) const;
  CString GetTabKeyTip(int nTab) const;
  void ShowKeyTips(BOOL bShow);
  BOOL AreKeyTipsShown() const;
  // The badges shown now, with their letters (for tests and the screen reader).
  int GetKeyTipBadgeCount() const;
  // A key typed while the badges show (a character, or VK_ESCAPE); TRUE when it was used.
  BOOL OnKeyTipKey(UINT nChar);

  CQORPRibbonBarImpl* GetImpl() const { return m_pImpl.get(); }

 protected:
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

 private:
  friend class CQORPRibbonTab;
  friend class CQORPRibbonGroup;
  friend struct CQORPRibbonBarImpl;
  void StructureChanged();
  static void UpdatePass(CFrameWnd* pFrame, void* pContext);
  CString LoadCaption(int nId) const;

  CFrameWnd* m_pFrame = nullptr;
  CQORPCommandBars* m_pCommandBars = nullptr;
  CString m_strTitle;
  std::vector<std::unique_ptr<CQORPRibbonTab>> m_tabs;
  CQORPCommandBar* m_pSystemBar = nullptr;  // the File button and the group option buttons
  CQORPCommandBar* m_pTabRow = nullptr;
  CQORPCommandBar* m_pQuickAccess = nullptr;
  CQORPControl* m_pSystemButton = nullptr;
  CQORPBackstageView* m_pBackstage = nullptr;
  std::unique_ptr<CQORPRibbonBarImpl> m_pImpl;
};
