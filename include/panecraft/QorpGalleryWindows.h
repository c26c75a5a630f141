// The windows behind pop-up bars, galleries, combo boxes with a gallery drop-down, spin edits
// and colour split buttons. Toolkit windows are only named (no toolkit header here).
//
// What the frame receives (the frame is the one the control's command bars are attached to, else
// the top-level window of the owner):
// - message 0x2862 with wParam = code and lParam = NMQORPCONTROL*: code 4115 each time the
//   highlighted gallery item changes to an item, code 4113 when highlighting ends (the pointer
//   leaves the drop-down or reaches a gap or a label, the drop-down closes by Esc or a click
//   outside, or an item is picked);
// - WM_NOTIFY code 100 through the routing when a gallery item is picked (after 4113 and after
//   the drop-down is hidden), when Enter is pressed in a combo box or a spin edit, and when a
//   spin edit loses the focus with changed text; codes 4104/4105 with the signed step in nStep
//   from a spin edit's arrows;
// - WM_COMMAND with the id of a button chosen in a pop-up bar (after it is hidden).
#pragma once

#include <QorpGallery.h>

class wxWindow;

// Opens pControl's pop-up bar below rcAnchorScreen (or above it when there is no room below),
// owned by pOwner's top-level window. Only one pop-up bar is open at a time: opening another
// closes the first. FALSE for a control without a pop-up bar or an empty one.
BOOL QORPOpenPopupBar(CQORPControl* pControl, wxWindow* pOwner, const RECT& rcAnchorScreen);
// The control whose pop-up bar is open (null when none).
CQORPControl* QORPGetOpenPopupControl();
// Closes the open pop-up bar as a click outside would (4113 for a gallery in it).
void QORPClosePopupBar();
// The window of the open pop-up bar (null when none), for tests and key handling.
wxWindow* QORPGetOpenPopupWindow();
// Where a gallery of the open pop-up bar shows an item, in screen coordinates; empty when the
// item is not shown (scrolled away, or no such gallery open).
CRect QORPGetPopupItemRect(const CQORPControlGallery* pGallery, int nIndex);
// Scrolls the gallery in the open pop-up bar so that the item is shown.
void QORPEnsurePopupItemVisible(const CQORPControlGallery* pGallery, int nIndex);

// A combo box (native edit with our own drop-down hosting the gallery that is the first control
// of pCombo's pop-up bar). The edit text follows GetEditText/SetEditText and the focus
// HasFocus; with bAutoComplete, typing completes to the first item caption starting with the
// typed text. The toolkit window is a child of pParent, nWidth pixels wide; it belongs to the
// parent and goes with it.
wxWindow* QORPCreateComboWindow(CQORPControlComboBox* pCombo, wxWindow* pParent, int nWidth, BOOL bAutoComplete);
// Opens or closes a combo window's drop-down.
void QORPShowComboDropDown(wxWindow* pComboWindow, BOOL bShow);
BOOL QORPIsComboDropDownShown(wxWindow* pComboWindow);
// Where the open drop-down shows an item, in screen coordinates (empty when not shown), and
// scrolling it; the native edit inside the combo window.
CRect QORPGetComboItemRect(wxWindow* pComboWindow, int nIndex);
void QORPEnsureComboItemVisible(wxWindow* pComboWindow, int nIndex);
int QORPGetComboScrollPos(wxWindow* pComboWindow);
wxWindow* QORPGetComboTextWindow(wxWindow* pComboWindow);

// The spin edit (the ribbon's strip hosts the same one): the edit's label, a native edit and our
// up and down arrows (which send the control's spin step; none when the control's spin buttons
// are not shown), nWidth pixels wide. The text follows GetEditText/SetEditText and the focus
// HasFocus; Enter, and leaving after typing, send 100. A disabled edit sends nothing.
wxWindow* QORPCreateSpinEditWindow(CQORPControlEdit* pEdit, wxWindow* pParent, int nWidth);
// The native edit inside a spin edit window (for focus and typing).
wxWindow* QORPGetSpinEditTextWindow(wxWindow* pSpinWindow);
// The spin edit window's arrows, in its client coordinates.
CRect QORPGetSpinArrowRect(wxWindow* pSpinWindow, BOOL bUp);

// Fills a colour drop-down: the toolkit's button 9948, the gallery nGalleryId over pColors and
// the "More Colors" command nMoreId with its caption.
void QORPFillPopupColorBar(CQORPControlPopupColor* pControl, int nGalleryId, CQORPControlGalleryItems* pColors,
                           CSize szGallery, int nMoreId, const wchar_t* lpszMoreCaption);
