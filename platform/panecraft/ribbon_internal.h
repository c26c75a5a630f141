// Inside the layer: the toolkit side of the ribbon, the small-control strip and the seams the
// window tests use. Includes wx headers: never include from a public header.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <wx/ribbon/bar.h>
#include <wx/ribbon/buttonbar.h>
#include <wx/ribbon/page.h>
#include <wx/ribbon/panel.h>
#include <wx/window.h>

#include "GalleryView.h"
#include "QorpRibbon.h"

class QorpItemRow;
class QorpStrip;
struct CQORPRibbonBarImpl;

// wxRibbonBar with the tab rectangles in reach (for the key tip badges).
class QorpWxRibbonBar : public wxRibbonBar {
 public:
  using wxRibbonBar::wxRibbonBar;
  wxRect TabRect(size_t nPage) const {
    return nPage < m_pages.GetCount() && m_pages.Item(nPage).shown ? m_pages.Item(nPage).rect : wxRect();
  }
};

// A group that steps down as its page runs short of width: 0 shows its buttons as laid out
// (large where the command has a large icon), 1 small buttons with labels, 2 icons only,
// 3 collapsed to one drop-down button that opens the whole group (at step 0) below it.
// (wx draws nothing for its smallest button class, so "icons only" is a small button whose
// label is set aside; a button without an icon keeps its label.)
class QorpRibbonPanel : public wxRibbonPanel {
 public:
  using wxRibbonPanel::wxRibbonPanel;
  struct Button {
    wxRibbonButtonBar* pBar;
    int nId;
    bool bLarge;
    bool bIcon;       // has a picture of its own
    wxString label;   // the caption it shows when labels are shown
    wxString shown;   // what it shows now
  };
  // A button's caption changed: shown now unless the group is down to icons.
  void SetButtonLabel(wxRibbonButtonBar* pBar, int nId, const wxString& label);
  std::vector<Button> buttons;
  int Step() const { return m_nStep; }
  void SetStep(int nStep);
  // Width at each step, measured once after the group is built (and again after a rebuild).
  int WidthAt(int nStep);
  bool Realize() override;

 private:
  void ApplyStep(int nStep);
  int m_nStep = 0;
  std::vector<int> m_widths;
  wxSize m_unminimised;  // the group's smallest size with its children shown
};

// A page that shrinks its groups from the right: every group that needs it drops to small
// buttons, right to left, then to icons only, then collapses, so the left groups keep their
// large buttons for as long as the tab fits.
class QorpRibbonPage : public wxRibbonPage {
 public:
  using wxRibbonPage::wxRibbonPage;
  bool Layout() override;
  bool Realize() override;
};

// Lets the frame's keys reach the key tips of the ribbon (while the ribbon lives).
void QorpBindKeyTips(CQORPRibbonBarImpl* pImpl, CFrameWnd* pFrame);

// How a plain menu standing for a pop-up bar is shown. The default runs the frame's update
// handlers of the items and tracks the menu; tests install a chooser that picks an item
// without a modal menu (return 0 for none).
using QorpMenuChooser = std::function<UINT(CMenu& menu)>;
void QorpSetMenuChooser(QorpMenuChooser chooser);
// Shows the menu for pFrame at a screen point and posts the chosen command; returns it (0 none).
UINT QorpShowFallbackMenu(CMenu& menu, CFrameWnd* pFrame, const wxPoint& ptScreen);

// An SVG icon at nSize pixels, one-colour parts in clrText (an invalid bitmap for no drawing);
// and the SVG text with each element's currentColor resolved (the text class to clrText).
wxBitmap QorpRenderSvgIcon(const std::string& svg, int nSize, COLORREF clrText);
std::string QorpResolveSvgColours(const std::string& svg, COLORREF clrText);

// Posts WM_COMMAND (nId, lParam 0) to the frame; nothing for id 0.
void QorpPostCommand(CFrameWnd* pFrame, int nId);

// Opens a control's pop-up bar below rcScreen: the pop-up windows of the layer, or else the
// plain menu of its buttons.
void QorpOpenControlPopup(CQORPControl* pControl, CFrameWnd* pFrame, wxWindow* pOwner, const wxRect& rcScreen);

// Colours as wx colours.

// Where a control of the ribbon is shown.
struct QorpPlacement {
  wxRibbonButtonBar* pButtonBar = nullptr;  // a button of a button bar (id nButtonId)
  int nButtonId = 0;
  QorpStrip* pStrip = nullptr;  // or an item of a small-control strip
  QorpItemRow* pRow = nullptr;  // or an item of the File button, tab row or quick access row
  // What was last pushed to a button.
  bool bEnabled = true;
  bool bChecked = false;
  COLORREF clrBar = 0xFFFFFFFFu;  // a colour button's bar colour (none yet)
  CString strCaption;
};

struct CQORPRibbonBarImpl {
  explicit CQORPRibbonBarImpl(CQORPRibbonBar* pOwner) : pOwner(pOwner) {}
  CQORPRibbonBar* pOwner;
  wxRibbonBar* pRibbon = nullptr;
  QorpItemRow* pQuickRow = nullptr;
  QorpItemRow* pFileRow = nullptr;
  QorpItemRow* pTabRow = nullptr;
  std::vector<QorpStrip*> strips;
  std::map<const CQORPControl*, QorpPlacement> placements;
  std::map<wxRibbonPanel*, CQORPRibbonGroup*> panels;
  std::map<UINT, std::map<int, wxBitmap>> icons;  // id -> size -> bitmap
  std::map<UINT, std::map<int, std::string>> svgIcons;  // id -> size -> SVG text
  std::vector<UINT> largeIds;
  bool bDirty = true;
  int nThemeCookie = 0;

  // Key tips: letters by control, the typed prefix, the badges on screen, and the frame's
  // keys seen through a handler that goes with this object.
  std::map<const CQORPControl*, CString> keyTips;
  bool bKeyTips = false;
  bool bKeyTipsOnControls = false;  // a tab was chosen: its controls' badges show
  CString strTyped;
  std::vector<wxWindow*> badges;
  std::unique_ptr<wxEvtHandler> pKeyHandler;
  void ShowBadges();
  void HideBadges();

  void Build();
  void Destroy();
  void LayoutChildren();
  void ApplyTheme();
  void Refresh();  // pushes control state to the windows
  wxBitmap IconFor(const CQORPControl* pControl, int nSize);
  wxBitmap PlainIconFor(const CQORPControl* pControl, int nSize);  // without a colour bar
  void OnButton(wxRibbonButtonBarEvent& e, bool bDropDown);
  // Buttons and items drawn hot for a pointer that has gone: a menu, pop-up or modal dialog
  // held the pointer while it left, so their windows never heard it go. With bAll every hot
  // button is cleared (a modal dialog is opening over them); else those the pointer is not on.
  void ForgetStaleHover(bool bAll);
  bool Execute(CQORPControl* pControl, bool bDropDown);
  CQORPControl* ControlOf(wxRibbonButtonBar* pBar, int nButtonId) const;
};

// The small-control strip inside a group: check boxes, labels, edits with label and spin
// arrows, combo boxes and scroll bars, three to a column.
class QorpStrip : public wxWindow {
 public:
  QorpStrip(wxWindow* pParent, CQORPRibbonBarImpl* pImpl, std::vector<CQORPControl*> controls);
  ~QorpStrip() override;
  // Pushes control state (enabled, checked, texts) to the windows.
  void Refresh_();
  void ApplyTheme();
  const std::vector<CQORPControl*>& GetControls() const { return m_controls; }
  // The window of an item (a native edit, combo, slider, or the strip itself for drawn items).
  wxWindow* GetItemWindow(const CQORPControl* pControl) const;
  // The rectangle of an item in the strip, and of an edit's up and down arrows.
  wxRect GetItemRect(const CQORPControl* pControl) const;
  wxRect GetSpinRect(const CQORPControl* pControl, bool bUp) const;
  // A click at a point of the strip (what the mouse does).
  void ClickAt(const wxPoint& pt);

  struct Item;

 private:
  void OnPaint(wxPaintEvent& e);
  void OnLeftDown(wxMouseEvent& e);
  void Layout_();
  // The strip's background (the ribbon page's), as wx and as COLORREF.
  wxColour BackColour() const;
  COLORREF Back() const;
  CQORPRibbonBarImpl* m_pImpl;
  std::vector<CQORPControl*> m_controls;
  std::vector<std::unique_ptr<Item>> m_items;
};

// Layout of strip items in columns of up to three rows: item i goes to column i / 3; each
// column is as wide as its widest item. Returns the left edge of each item and the total width.
std::vector<int> QorpStripColumns(const std::vector<int>& widths, int nRows, int* pTotalWidth);

// A row of drawn items (the File button, the tab-row items, the quick access bar).
class QorpItemRow : public wxWindow {
 public:
  QorpItemRow(wxWindow* pParent, CQORPRibbonBarImpl* pImpl, CQORPCommandBar* pBar, bool bFileButton);
  wxSize BestSize();
  wxRect GetItemRect(const CQORPControl* pControl);
  int HoverIndex() const { return m_nHover; }
  void ForgetHover();
  void ClickAt(const wxPoint& pt);

 private:
  void OnPaint(wxPaintEvent& e);
  void OnLeftDown(wxMouseEvent& e);
  void OnMotion(wxMouseEvent& e);
  std::vector<wxRect> ItemRects();
  bool IconOnly(const CQORPControl* p) const;
  int ItemWidth(const CQORPControl* p);
  CQORPRibbonBarImpl* m_pImpl;
  CQORPCommandBar* m_pBar;
  bool m_bFile;
  int m_nHover = -1;
};
