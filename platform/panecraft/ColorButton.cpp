// The colour drop-down's content: the toolkit's button 9948, the colour gallery and "More
// Colors". The colour split button itself is the ribbon's (a split button whose icon carries a
// bar of the control's colour).
#include "GalleryView.h"
#include "QorpGalleryWindows.h"

void QORPFillPopupColorBar(CQORPControlPopupColor* pControl, int nGalleryId, CQORPControlGalleryItems* pColors,
                           CSize szGallery, int nMoreId, const wchar_t* lpszMoreCaption) {
  if (!pControl) return;
  CQORPCommandBar* pBar = pControl->GetCommandBar();
  if (!pBar) return;
  pBar->Add(std::make_unique<CQORPControlButton>(QORP_ID_POPUPCOLOR_AUTOMATIC));
  auto pGallery = std::make_unique<CQORPControlGallery>(nGalleryId);
  pGallery->SetItems(pColors);
  pGallery->SetControlSize(szGallery);
  pBar->Add(std::move(pGallery));
  CQORPControl* pMore = pBar->Add(std::make_unique<CQORPControlButton>(nMoreId));
  if (lpszMoreCaption && pMore->GetCaption().IsEmpty()) pMore->SetCaption(lpszMoreCaption);
}
