// Internal: one gallery shown inside a window (a pop-up bar or a combo box's drop-down): layout,
// scrolling, painting, hit tests; and the messages the galleries send to the frame.
#pragma once

#include <wx/gdicmn.h>

#include "QorpGallery.h"

class wxColour;
class wxWindow;
typedef struct _cairo cairo_t;

namespace qorp {

// The frame that receives a control's messages: the frame its command bars are attached to,
// else the frame of the owner window.
HWND FrameFor(CQORPControl* pControl, wxWindow* pOwner);
// 0x2862 with the gallery code (4115 or 4113).
void SendGalleryNotify(HWND hFrame, CQORPControlGallery* pGallery, UINT nCode);
// WM_NOTIFY with the code (100, 4104, 4105) from the control's id; a control without an id
// sends nothing. The one sender of control notifications, for every window of the toolkit.
LRESULT SendControlNotify(HWND hFrame, CQORPControl* pControl, UINT nCode, int nStep = 0);
void SendCommand(HWND hFrame, int nId);

// Highlight change: 4115 when the highlight moves to an item, 4113 when it ends.
void HoverGallery(HWND hFrame, CQORPControlGallery* pGallery, int nIndex);

// A COLORREF as cairo's source colour, and as a wx colour: the one conversion of each kind.
void SetColour(cairo_t* cr, COLORREF clr);

// Whether the window, or its top-level window, is on its way out: a top-level window is only
// deleted at idle time, and the controls our windows show may be gone by then, so handlers
// stop touching them.
bool WindowGoing(const wxWindow* w);
// Only the top-level part of that (for destroy handlers: a window destroyed on its own still
// lets its control know).
bool TopLevelGoing(const wxWindow* w);

class GalleryView {
 public:
  explicit GalleryView(CQORPControlGallery* pGallery) : m_pGallery(pGallery) {}
  CQORPControlGallery* GetGallery() const { return m_pGallery; }

  // Where the gallery sits in its window (client coordinates).
  void SetRect(const wxRect& rc);
  const wxRect& GetRect() const { return m_rc; }

  static constexpr int kScrollBarWidth = 12;
  bool HasScrollBar();
  wxRect GetScrollBarRect();
  wxRect GetThumbRect();
  // Client rectangle of an item (may lie partly outside the visible part); empty when none.
  wxRect GetItemRect(int nIndex);
  // The item under the point (client coordinates) in the visible item area; -1 otherwise.
  int HitTest(const wxPoint& pt);
  bool InItemArea(const wxPoint& pt);

  int GetScrollPos() const { return m_nScroll; }
  void ScrollTo(int y);
  void ScrollBy(int dy) { ScrollTo(m_nScroll + dy); }
  void EnsureVisible(int nIndex);
  int GetLineHeight();
  // Scroll bar clicks: a page above or below the thumb, or the start of a thumb drag.
  // Returns true when pt was on the scroll bar.
  bool OnScrollBarDown(const wxPoint& pt);
  bool IsDraggingThumb() const { return m_nDragOffset >= 0; }
  void OnThumbDrag(const wxPoint& pt);
  void EndThumbDrag() { m_nDragOffset = -1; }

  void Paint(cairo_t* cr, int nPressed);
  const QORPGalleryLayout& GetLayout();

 private:
  wxRect ItemArea();  // the visible area of the items, inside the margins, without the bar
  int MaxScroll();
  CQORPControlGallery* m_pGallery;
  wxRect m_rc;
  int m_nScroll = 0;
  int m_nDragOffset = -1;
  QORPGalleryLayout m_layout;
  const CQORPControlGalleryItems* m_pLaidOut = nullptr;
  unsigned m_nLaidOutChange = ~0u;
  int m_cxLaidOut = -1;
};

}  // namespace qorp

// A COLORREF as a wx colour.
wxColour QorpWx(COLORREF clr);
