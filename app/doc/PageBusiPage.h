// The program's page.
#pragma once

#include <quirebook/PublicationDoc.h>

// A new page is 8.5 x 11 inches, not loaded, no flags.
class CPageBusiPage : public CDrawingPage {
 public:
  CPageBusiPage();
  ~CPageBusiPage() override;
  // A deep copy: the same size, unit, flags, loaded flag, attribute word, content source (one more
  // reference) and source index; clones of the background and of every object with their paths
  // and effects rebuilt. A lazy page gives a lazy copy bound to the same source page.
  Vectorloom::CRenderPage* Clone() const override;
};
