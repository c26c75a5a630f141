// Internal: the one spin edit of the toolkit (label, native edit, drawn up/down arrows), as the
// ribbon's small-control strip hosts it. QORPCreateSpinEditWindow (QorpGalleryWindows.h) makes it.
#pragma once

#include <windows.h>

class wxWindow;

// The colour under the label and around the arrows (by default the ribbon's primary colour).
void QORPSetSpinEditBackground(wxWindow* pSpinWindow, COLORREF clrBack);
// Takes the control's text and enabled state now (otherwise the window takes them at idle time).
void QORPSyncSpinEdit(wxWindow* pSpinWindow);
// Acts as a click on the up (TRUE) or down arrow; FALSE when the edit has no arrows or is disabled.
BOOL QORPClickSpinArrow(wxWindow* pSpinWindow, BOOL bUp);
