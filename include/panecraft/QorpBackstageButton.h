// The big button of a backstage page: a 32-pixel picture with its caption below. The picture is
// an SVG whose one-colour parts take the caption's colour; it is drawn again (in the new colour)
// each time the button's style is applied. No toolkit header here.
#pragma once

#include <afxwin.h>
#include <afxdialog.h>

#include <string>

class CQORPRibbonBackstageButton : public CButton {
  DECLARE_DYNAMIC(CQORPRibbonBackstageButton)
 public:
  // The picture drawn at 32 pixels (null or empty: none).
  void SetImageSvg(const char* pszSvg32);
  // Whether the button shows a picture now.
  BOOL HasImage() const;
  void PreSubclassWindow() override;
  void ApplyStyle();

 private:
  std::string m_svg;
};
