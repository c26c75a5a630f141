// Internal seam between the ribbon's drop-down and split buttons and the pop-up bar windows.
// The ribbon asks for a control's pop-up through QorpOpenPopup; the pop-up window code
// registers the opener once at start-up. Without an opener the ribbon falls back to a plain
// menu built from the pop-up bar's buttons.
#pragma once

#include <wx/gdicmn.h>

class CQORPControl;
class wxWindow;

// Opens the pop-up bar of pControl (a pop-up or split-button control) below or beside
// rcAnchorScreen, owned by pOwner's top-level window. Returns false when it cannot.
using QorpPopupOpener = bool (*)(CQORPControl* pControl, wxWindow* pOwner, const wxRect& rcAnchorScreen);

void QorpSetPopupOpener(QorpPopupOpener opener);
QorpPopupOpener QorpGetPopupOpener();

// Calls the registered opener; false when none is registered or it refused.
bool QorpOpenPopup(CQORPControl* pControl, wxWindow* pOwner, const wxRect& rcAnchorScreen);
