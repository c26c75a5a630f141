// The backstage page's big button: a wx button with its bitmap above the caption.
#include <wx/button.h>

#include "QorpBackstageButton.h"
#include "ribbon_internal.h"

IMPLEMENT_DYNAMIC(CQORPRibbonBackstageButton, CButton)

void CQORPRibbonBackstageButton::SetImageSvg(const char* pszSvg32) {
  m_svg = pszSvg32 ? pszSvg32 : "";
  ApplyStyle();
}

BOOL CQORPRibbonBackstageButton::HasImage() const {
  auto* button = dynamic_cast<wxButton*>(GetWxWindow());
  return button && button->GetBitmap().IsOk();
}

void CQORPRibbonBackstageButton::PreSubclassWindow() {
  CButton::PreSubclassWindow();
  ApplyStyle();
}

void CQORPRibbonBackstageButton::ApplyStyle() {
  auto* button = dynamic_cast<wxButton*>(GetWxWindow());
  if (!button || m_svg.empty()) return;
  const wxColour text = button->GetForegroundColour();
  const COLORREF clr = RGB(text.Red(), text.Green(), text.Blue());
  const wxBitmap bmp = QorpRenderSvgIcon(m_svg, 32, clr);
  if (!bmp.IsOk()) return;
  button->SetBitmap(bmp, wxTOP);
  button->SetBitmapMargins(0, 4);
  button->InvalidateBestSize();
  button->Refresh();
}
