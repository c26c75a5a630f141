// The status bar's zoom: the slider (0 to 1000) and the text beside it.
#pragma once

#include <afxwin.h>

// The zoom in percent of a slider position: 0 is 10 %, 500 is 100 %, 1000 is 800 %, straight
// lines between.
float ZoomFromSliderPos(int nPos);
// The slider position that shows a zoom (the reverse of ZoomFromSliderPos, truncated).
int SliderPosFromZoom(float fZoom);
// The zoom pane's text: "100%" for whole percents, "12.5%" otherwise (tenths, truncated).
CString ZoomPaneText(float fZoom);
// The zoom the slider asks for from zoom z with a scroll code of the slider (SB_LINELEFT and
// SB_PAGELEFT 10 less, SB_LINERIGHT and SB_PAGERIGHT 10 more, within 10..800; SB_THUMBTRACK
// the thumb's position, near 100 % snapping to it; SB_LEFT 12.5; SB_RIGHT 800); other codes
// keep z.
float ZoomForSliderCode(float fZoom, int nCode, int nPos);
