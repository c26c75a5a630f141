#include "popup_seam.h"

#include <atomic>

namespace {
std::atomic<QorpPopupOpener> g_opener{nullptr};
}

void QorpSetPopupOpener(QorpPopupOpener opener) { g_opener.store(opener); }

QorpPopupOpener QorpGetPopupOpener() { return g_opener.load(); }

bool QorpOpenPopup(CQORPControl* pControl, wxWindow* pOwner, const wxRect& rcAnchorScreen) {
  QorpPopupOpener opener = g_opener.load();
  return opener != nullptr && opener(pControl, pOwner, rcAnchorScreen);
}
