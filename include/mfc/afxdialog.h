// Dialogs built from dialog-template tables, their data exchange, and the standard controls.
// Included by afxwin.h; no toolkit header.
//
// A dialog template is a C++ table (lwmfc::DialogTemplate) registered as an RT_DIALOG resource
// under the dialog's id. The dialog makes one native control per row, with the row's id (1 and
// 2 are the toolkit's OK and Cancel), at the row's place in dialog units: a horizontal unit is a
// quarter of the dialog font's average character width, a vertical unit an eighth of its
// height, stretched a little because the desktop's controls are taller than Windows' ones.
// Tab order is the order of the rows.
//
// Controls tell their parent what happened as on Windows: WM_COMMAND with BN_CLICKED (buttons,
// check boxes, radio buttons), EN_CHANGE (typing in an edit), CBN_SELCHANGE, LBN_SELCHANGE and
// LBN_DBLCLK (the user's picks only, never a change made by code); up-down controls send
// WM_NOTIFY UDN_DELTAPOS (a nonzero result refuses the step) and then WM_VSCROLL with
// SB_THUMBPOSITION; sliders send WM_HSCROLL (or WM_VSCROLL when vertical) with the scroll code
// and position. The scroll messages carry the control's CWnd* as lParam.
//
// Auto radio buttons form groups as on Windows: from a row with WS_GROUP to the next row with
// WS_GROUP; a row of the template lists its radio buttons next to each other.
#pragma once

#include <memory>
#include <vector>

// Dialog styles and control styles of the templates.
#define WS_GROUP 0x00020000L
#define WS_POPUP 0x80000000L
#define WS_CAPTION 0x00C00000L
#define WS_SYSMENU 0x00080000L
#define DS_MODALFRAME 0x80L
#define DS_SETFONT 0x40L
#define DS_CENTER 0x0800L

#define BS_PUSHBUTTON 0x0L
#define BS_DEFPUSHBUTTON 0x1L
#define BS_CHECKBOX 0x2L
#define BS_AUTOCHECKBOX 0x3L
#define BS_RADIOBUTTON 0x4L
#define BS_GROUPBOX 0x7L
#define BS_AUTORADIOBUTTON 0x9L
#define BS_TYPEMASK 0xFL

#define ES_LEFT 0x0L
#define ES_CENTER 0x1L
#define ES_RIGHT 0x2L
#define ES_MULTILINE 0x4L
#define ES_PASSWORD 0x20L
#define ES_AUTOHSCROLL 0x80L
#define ES_READONLY 0x800L
#define ES_NUMBER 0x2000L

#define SS_LEFT 0x0L
#define SS_CENTER 0x1L
#define SS_RIGHT 0x2L

#define LBS_NOTIFY 0x1L
#define LBS_SORT 0x2L
#define LBS_HASSTRINGS 0x40L

#define CBS_DROPDOWN 0x2L
#define CBS_DROPDOWNLIST 0x3L
#define CBS_SORT 0x100L
#define CBS_HASSTRINGS 0x200L
#define CBS_OWNERDRAWFIXED 0x10L
#define CBS_OWNERDRAWVARIABLE 0x20L

// Owner drawing: what a control's DrawItem and MeasureItem are handed.
#define WM_DRAWITEM 0x002B
#define WM_MEASUREITEM 0x002C
#define ODT_COMBOBOX 3
#define ODA_DRAWENTIRE 0x0001
#define ODA_SELECT 0x0002
#define ODA_FOCUS 0x0004
#define ODS_SELECTED 0x0001
#define ODS_DISABLED 0x0004
#define ODS_FOCUS 0x0010
#define ODS_COMBOBOXEDIT 0x1000

struct DRAWITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;  // (UINT)-1 when the box is empty
  UINT itemAction;
  UINT itemState;
  HWND hwndItem;
  HDC hDC;
  RECT rcItem;
  ULONG_PTR itemData;
};
typedef DRAWITEMSTRUCT* LPDRAWITEMSTRUCT;

struct MEASUREITEMSTRUCT {
  UINT CtlType;
  UINT CtlID;
  UINT itemID;
  UINT itemWidth;
  UINT itemHeight;
  ULONG_PTR itemData;
};
typedef MEASUREITEMSTRUCT* LPMEASUREITEMSTRUCT;

#define UDS_SETBUDDYINT 0x2L
#define UDS_ALIGNRIGHT 0x4L
#define UDS_AUTOBUDDY 0x10L
#define UDS_ARROWKEYS 0x20L
#define UDS_NOTHOUSANDS 0x80L

#define TBS_HORZ 0x0L
#define TBS_VERT 0x2L
#define TBS_NOTICKS 0x10L

// Control notifications besides those of winuser.h.
#define BN_DOUBLECLICKED 5
#define EN_KILLFOCUS 0x0200
#define CBN_DROPDOWN 7
#define LBN_DBLCLK 2
#define UDN_FIRST (0U - 721U)
#define UDN_DELTAPOS (UDN_FIRST - 1)
// Slider scroll codes.
#define TB_LINEUP 0
#define TB_LINEDOWN 1
#define TB_PAGEUP 2
#define TB_PAGEDOWN 3
#define TB_THUMBPOSITION 4
#define TB_THUMBTRACK 5
#define TB_TOP 6
#define TB_BOTTOM 7
#define TB_ENDTRACK 8

// Check states and list results.
#define BST_UNCHECKED 0
#define BST_CHECKED 1
#define BST_INDETERMINATE 2
#define LB_ERR (-1)
#define CB_ERR (-1)

#define IDC_STATIC (-1)

// Framework strings (the layer registers their texts).
#define AFX_IDP_PARSE_INT 0xF110
#define AFX_IDP_PARSE_REAL 0xF111
#define AFX_IDP_PARSE_INT_RANGE 0xF112
#define AFX_IDP_PARSE_REAL_RANGE 0xF113
#define AFX_IDP_PARSE_STRING_SIZE 0xF114
#define AFX_IDP_PARSE_UINT 0xF116

// Notifications a control handles itself before its parent sees them (a handled one does not
// reach the parent): void OnX(NMHDR*, LRESULT*) and void OnX().
#define WM_REFLECT_BASE 0xBC00
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                \
  {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(WORD)(wNotifyCode), 0, 0,                                 \
   LW_MSG_THUNK(void (ThisClass::*lw_pmf)(NMHDR*, LRESULT*) = memberFxn;                         \
                AFX_NOTIFY* lw_n = static_cast<AFX_NOTIFY*>(lw_args.pExtra);                     \
                (lw_pThis->*lw_pmf)(lw_n->pNMHDR, lw_n->pResult); return 1;)},
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                               \
  {WM_REFLECT_BASE + WM_COMMAND, (UINT)(WORD)(wNotifyCode), 0, 0,                                \
   LW_MSG_CALL(void (ThisClass::*)(), memberFxn, (), 1)},
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)

// A right click (or the menu key) in a window: void OnContextMenu(CWnd* pWnd, CPoint pos), pos
// in screen coordinates.
#define WM_CONTEXTMENU 0x007B
#define ON_WM_CONTEXTMENU()                                                                      \
  LW_ON_WM(WM_CONTEXTMENU, void (ThisClass::*)(CWnd*, CPoint), OnContextMenu,                    \
           (CWnd::FromHandle(reinterpret_cast<HWND>(lw_args.wParam)), CPoint(lw_args.lParam)), 0)

struct NMUPDOWN {
  NMHDR hdr;
  int iPos;
  int iDelta;
};
typedef NMUPDOWN* LPNMUPDOWN;

class CDialog;
class CDataExchange;

namespace lwmfc {

// The kind of control a template row makes.
enum DialogItemKind {
  dlgButton,    // push button, default button, check box, radio button or group box (by style)
  dlgEdit,      // one-line edit
  dlgStatic,    // text
  dlgListBox,   // list box
  dlgComboBox,  // CBS_DROPDOWNLIST: a pick list; CBS_DROPDOWN: an edit with a list
  dlgUpDown,    // spin arrows (UDS_AUTOBUDDY: the row before is its buddy)
  dlgSlider,    // track bar
};

// One control of a template: place and size in dialog units; style as on Windows (WS_GROUP,
// WS_TABSTOP, WS_DISABLED, the kind's own bits). lpszInit lists the initial items of a list or
// combo box, separated by '\n' (null for none).
struct DialogItemTemplate {
  DialogItemKind kind;
  int nID;
  const wchar_t* lpszText;
  short x, y, cx, cy;
  DWORD style;
  const wchar_t* lpszInit = nullptr;
};

struct DialogTemplate {
  const wchar_t* lpszCaption;
  short cx, cy;  // client size in dialog units
  const wchar_t* lpszFont;
  WORD nPointSize;
  const DialogItemTemplate* pItems;
  int nItems;
};

// Registers a template under a dialog id (an RT_DIALOG resource); the table is not copied.
bool RegisterDialogTemplate(UINT nIDTemplate, const DialogTemplate* pTemplate);
bool RegisterDialogTemplate(const wchar_t* lpszName, const DialogTemplate* pTemplate);
// The template registered under the id or name (null when none).
const DialogTemplate* FindDialogTemplate(const wchar_t* lpszTemplateName);

// Called once a modal dialog is up, inside its modal loop (tests answer dialogs with it; the
// hook may change controls, click buttons or end the dialog). Null: nobody is asked.
typedef void (*PFN_MODALDIALOGHOOK)(CDialog* pDialog);
void SetModalDialogHook(PFN_MODALDIALOGHOOK pfn);
PFN_MODALDIALOGHOOK GetModalDialogHook();

// Sends the notification a user's action on the control would send (a click of a button, check
// box or radio button with the auto behaviour, a pick in a list or combo box, a typed edit
// text, a spin step of +1 or -1). For tests and keyboard helpers.
void SimulateControlClick(CWnd* pControl);
void SimulateSelection(CWnd* pControl, int nIndex);
void SimulateTyping(CWnd* pControl, const wchar_t* lpszText);
void SimulateSpin(CWnd* pControl, int nDelta);

struct DialogItemState;  // a created row (Dialog.cpp)

}  // namespace lwmfc

// %1 and %2 of a string resource replaced by the arguments; the id itself when it is missing.
void AfxFormatString1(CString& rString, UINT nIDS, const wchar_t* lpsz1);
void AfxFormatString2(CString& rString, UINT nIDS, const wchar_t* lpsz1, const wchar_t* lpsz2);
// A message box with string resource nIDPrompt (an empty text when it is missing).
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = (UINT)-1);

// The wait cursor for the life of the object.
class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
  void Restore();
};

namespace lwmfc {
// How many wait cursors are asked for now (0: the normal cursor).
int GetWaitCursorDepth();
// What shows and hides the wait cursor (the window layer installs the toolkit's busy cursor).
void SetWaitCursorHooks(void (*pfnShow)(), void (*pfnHide)());
}  // namespace lwmfc

// System metrics, the beep and a window's scroll bar by handle.
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CYMENU 15
#define SM_CXFULLSCREEN 16
#define SM_CYFULLSCREEN 17
#define SM_CYVSCROLL 20
#define SM_CXHSCROLL 21
#define SM_CXDOUBLECLK 36
#define SM_CYDOUBLECLK 37
#define SM_CXEDGE 45
#define SM_CYEDGE 46
#define SM_CXSMICON 49
#define SM_CYSMICON 50
#define SM_CXDRAG 68
#define SM_CYDRAG 69
#define SM_XVIRTUALSCREEN 76
#define SM_YVIRTUALSCREEN 77
#define SM_CXVIRTUALSCREEN 78
#define SM_CYVIRTUALSCREEN 79
#define SM_CMONITORS 80
// The desktop's value for the metric (screen sizes from the displays, scroll bar and icon sizes
// from the toolkit); without a display, those of a 1024 x 768 screen. 0 for an unknown index.
int GetSystemMetrics(int nIndex);
// The desktop's bell; always TRUE.
BOOL MessageBeep(UINT uType);
int SetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi, BOOL bRedraw);
BOOL GetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi);

// ---------------------------------------------------------------------------------------------
// Dialogs

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)
 public:
  CDialog();
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  explicit CDialog(const wchar_t* lpszTemplateName, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Modal: makes the dialog from its template, runs it until EndDialog and destroys it.
  // Returns the EndDialog value, or -1 when the template is missing or creation failed.
  virtual INT_PTR DoModal();
  // Modeless: makes the dialog (shown when its template says WS_VISIBLE or on ShowWindow).
  using CWnd::Create;
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  BOOL Create(const wchar_t* lpszTemplateName, CWnd* pParentWnd = nullptr);
  // Ends a modal dialog with nResult (DoModal returns it); hides a modeless one.
  void EndDialog(int nResult);

  // After the controls exist; the base exchanges data into the controls. TRUE lets the first
  // control that takes the focus have it.
  virtual BOOL OnInitDialog();
  // The default button and Enter: validates the data (the dialog stays open when that fails)
  // and ends the dialog with IDOK.
  virtual void OnOK();
  // The cancel button, Escape and the close box: ends the dialog with IDCANCEL.
  virtual void OnCancel();

  // TRUE: controls to members with validation; FALSE: members to controls. FALSE when a value
  // was refused (the message was shown and the control has the focus).
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  virtual void DoDataExchange(CDataExchange* pDX);

  // Controls by id.
  void CheckDlgButton(int nIDButton, UINT nCheck);
  UINT IsDlgButtonChecked(int nIDButton) const;
  // Checks nIDCheckButton and clears the other radio buttons nIDFirstButton..nIDLastButton.
  void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
  int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;
  void SetDlgItemText(int nID, const wchar_t* lpszString);
  int GetDlgItemText(int nID, CString& rString) const;
  void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
  UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
  void GotoDlgCtrl(CWnd* pWndCtrl);
  void SetDefID(UINT nID);
  DWORD GetDefID() const;
  // The window's place in the dialog's tab order, by id; the controls of a radio group.
  const std::vector<lwmfc::DialogItemState*>& GetItems() const { return m_items; }
  lwmfc::DialogItemState* FindItem(int nID) const;
  lwmfc::DialogItemState* FindItem(const CWnd* pWnd) const;

  // TRUE while DoModal runs and EndDialog has not been called.
  BOOL IsModal() const { return m_bModal && !m_bEndCalled; }
  UINT GetTemplateID() const { return m_nIDTemplate; }
  const lwmfc::DialogTemplate* GetTemplate() const { return m_pTemplate; }
  // Pixels of a rectangle given in dialog units (the dialog's own conversion).
  void MapDialogRect(LPRECT lpRect) const;

  // Makes the window from the template as a child of pParentWnd (a property page) or as a
  // dialog; used by Create, DoModal and the property sheet.
  BOOL CreateFromTemplate(CWnd* pParentWnd, BOOL bChild);
  // The same as a child of a toolkit window that has no CWnd (a sheet's tab).
  BOOL CreateChildIn(wxWindow* pParent);

 protected:
  afx_msg void OnClose();
  afx_msg void OnOKButton() { OnOK(); }
  afx_msg void OnCancelButton() { OnCancel(); }
  afx_msg LRESULT OnInitDialogMessage(WPARAM wParam, LPARAM lParam);
  void PostNcDestroy() override;
  DECLARE_MESSAGE_MAP()

  UINT m_nIDTemplate = 0;
  const wchar_t* m_lpszTemplateName = nullptr;
  CWnd* m_pParentWnd = nullptr;
  UINT m_nIDHelp = 0;

 private:
  friend struct lwmfc::DialogItemState;
  void ResolveTemplate();
  void ReleaseItems();
  const lwmfc::DialogTemplate* m_pTemplate = nullptr;
  std::vector<lwmfc::DialogItemState*> m_items;
  BOOL m_bModal = FALSE;
  BOOL m_bEndedEarly = FALSE;
  BOOL m_bEndCalled = FALSE;
  int m_nModalResult = -1;
  UINT m_nDefID = IDOK;
  wxWindow* m_pChildParent = nullptr;
};

// The same dialog with the later framework's name.
class CDialogEx : public CDialog {
  DECLARE_DYNAMIC(CDialogEx)
 public:
  CDialogEx() = default;
  explicit CDialogEx(UINT nIDTemplate, CWnd* pParentWnd = nullptr) : CDialog(nIDTemplate, pParentWnd) {}
  explicit CDialogEx(const wchar_t* lpszTemplateName, CWnd* pParentWnd = nullptr)
      : CDialog(lpszTemplateName, pParentWnd) {}
};

// ---------------------------------------------------------------------------------------------
// Data exchange

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);
  // The control with that id, remembered as the one to give the focus when a value is refused.
  CWnd* PrepareCtrl(int nIDC);
  CWnd* PrepareEditCtrl(int nIDC);
  // Gives the last prepared control the focus and ends the exchange (UpdateData returns FALSE).
  [[noreturn]] void Fail();

  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  int m_idLastControl = 0;
  BOOL m_bEditLastControl = FALSE;
};

// Binds rControl to the dialog's control nIDC (the control's messages reach rControl from then on).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
// Text of an edit (or any control) to a value; a text that is not a number of that kind shows
// the framework's message and fails.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, unsigned long& value);
void DDX_Text(CDataExchange* pDX, int nIDC, float& value);
void DDX_Text(CDataExchange* pDX, int nIDC, double& value);
// The index of the checked radio button of the group starting at nIDC (-1 when none).
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index);
void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index);
// Range checks after DDX_Text when saving: the framework's range message and failure.
void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal);
void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal);
void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal);
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

// ---------------------------------------------------------------------------------------------
// Controls: each works on the native control it is bound to (DDX_Control, SubclassDlgItem).

class CStatic : public CWnd {
  DECLARE_DYNAMIC(CStatic)
};

class CButton : public CWnd {
  DECLARE_DYNAMIC(CButton)
 public:
  // BST_ values; push buttons are always unchecked.
  int GetCheck() const;
  void SetCheck(int nCheck);
  UINT GetButtonStyle() const;
};

class CEdit : public CWnd {
  DECLARE_DYNAMIC(CEdit)
 public:
  void SetSel(int nStartChar, int nEndChar, BOOL bNoScroll = FALSE);
  void GetSel(int& nStartChar, int& nEndChar) const;
  void ReplaceSel(const wchar_t* lpszNewText, BOOL bCanUndo = FALSE);
  void SetLimitText(UINT nMax);
  UINT GetLimitText() const;
  void SetReadOnly(BOOL bReadOnly = TRUE);
};

class CListBox : public CWnd {
  DECLARE_DYNAMIC(CListBox)
 public:
  int AddString(const wchar_t* lpszItem);
  int InsertString(int nIndex, const wchar_t* lpszItem);
  int DeleteString(UINT nIndex);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int nSelect);
  int GetText(int nIndex, CString& rString) const;
  int GetTextLen(int nIndex) const;
  // Prefix (FindString, SelectString) or whole-text (FindStringExact) search without regard to
  // case, starting after nStartAfter (-1: from the top) and wrapping round.
  int FindString(int nStartAfter, const wchar_t* lpszItem) const;
  int FindStringExact(int nIndexStart, const wchar_t* lpszFind) const;
  int SelectString(int nStartAfter, const wchar_t* lpszItem);
  DWORD_PTR GetItemData(int nIndex) const;
  int SetItemData(int nIndex, DWORD_PTR dwItemData);
};

class CComboBox : public CWnd {
  DECLARE_DYNAMIC(CComboBox)
 public:
  int AddString(const wchar_t* lpszString);
  int InsertString(int nIndex, const wchar_t* lpszString);
  int DeleteString(UINT nIndex);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int nSelect);
  void GetLBText(int nIndex, CString& rString) const;
  int GetLBTextLen(int nIndex) const;
  int FindString(int nStartAfter, const wchar_t* lpszString) const;
  int FindStringExact(int nIndexStart, const wchar_t* lpszFind) const;
  int SelectString(int nStartAfter, const wchar_t* lpszString);
  DWORD_PTR GetItemData(int nIndex) const;
  int SetItemData(int nIndex, DWORD_PTR dwItemData);

  // A box made in code, as a template would make it (CBS_DROPDOWN, CBS_DROPDOWNLIST, the
  // owner-drawn styles, CBS_SORT; the rectangle's height is that of the drop-down list, the box
  // is one line). A pick reaches the box's own reflection and then its parent as CBN_SELCHANGE.
  using CWnd::Create;
  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

  // Owner-drawn boxes (CBS_OWNERDRAWFIXED / CBS_OWNERDRAWVARIABLE in the template) call these on
  // the control itself, as the framework does when it reflects WM_DRAWITEM / WM_MEASUREITEM; the
  // parent does not see those messages. lpDrawItemStruct->hDC is a GDI context over the item,
  // with rcItem at its origin and the control's background already laid; what is drawn there
  // appears in the list and, for the item shown in a pick list's own field (ODS_COMBOBOXEDIT),
  // in the box. The base draws nothing. MeasureItem is asked once (item 0) for a fixed box and
  // for each item for a variable one; itemHeight comes in as the toolkit's row height.
  virtual void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct);
  virtual void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct);
};

class CSpinButtonCtrl : public CWnd {
  DECLARE_DYNAMIC(CSpinButtonCtrl)
 public:
  void SetRange(short nLower, short nUpper) { SetRange32(nLower, nUpper); }
  void SetRange32(int nLower, int nUpper);
  void GetRange32(int& nLower, int& nUpper) const;
  int SetPos(int nPos) { return SetPos32(nPos); }
  int SetPos32(int nPos);
  int GetPos32(BOOL* lpbError = nullptr) const;
  int GetPos() const { return GetPos32(); }
  // The buddy window (a spin with UDS_SETBUDDYINT writes its position there).
  CWnd* SetBuddy(CWnd* pWndBuddy);
  CWnd* GetBuddy() const;
};

class CSliderCtrl : public CWnd {
  DECLARE_DYNAMIC(CSliderCtrl)
 public:
  void SetRange(int nMin, int nMax, BOOL bRedraw = FALSE);
  void GetRange(int& nMin, int& nMax) const;
  int GetRangeMin() const;
  int GetRangeMax() const;
  void SetPos(int nPos);
  int GetPos() const;
  void SetTicFreq(int nFreq);
  int SetPageSize(int nSize);
  int SetLineSize(int nSize);
};
