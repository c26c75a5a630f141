// What the dialog sources of this folder share: the state of a template row once its control
// exists, the data-exchange failure, and the control notifications.
#pragma once

#include <memory>

#include <wx/window.h>

#include <afxwin.h>

namespace lwmfc {

// The name of the hidden member that each radio-button group of a dialog has, checked when no
// visible member is.
inline constexpr const char* kNoneRadioName = "lw-none-radio";

// A combo box drawn by its CComboBox (CBS_OWNERDRAWFIXED or CBS_OWNERDRAWVARIABLE in style).
wxWindow* MakeOwnerDrawnCombo(wxWindow* parent, int id, const wxString& text, const wxPoint& pos, const wxSize& size,
                              const wxArrayString& items, DWORD style);

struct DialogItemState {
  const DialogItemTemplate* row = nullptr;
  wxWindow* wx = nullptr;        // the control (null once the dialog's window is gone)
  CDialog* owner = nullptr;
  std::unique_ptr<CWnd> temp;    // the control's CWnd until a member takes it over
  CWnd* member = nullptr;        // the member bound by DDX_Control / SubclassDlgItem
  wxWindow* buddy = nullptr;     // an up-down control's automatic buddy
  CWnd* Wnd() const;
};

// Thrown by CDataExchange::Fail, caught by UpdateData.
struct DataExchangeFailure {};

// A whole-text integer (blanks around it allowed); false for anything else or out of range.
bool ParseInteger(const CString& text, bool bSigned, long long& value);

// Ties an up-down control to its buddy (UDS_SETBUDDYINT: the position goes into its text).
void SetSpinBuddy(wxWindow* pSpin, wxWindow* pBuddy, bool bSetBuddyInt);

// Turns the native controls' events under w into messages to pDlg.
void BindDialogEvents(CDialog* pDlg, wxWindow* w);
// WM_COMMAND with nCode from the control to its parent (after the control's own reflected
// handler, which may take it).
void SendControlNotify(CWnd* pControl, UINT nCode);

}  // namespace lwmfc
