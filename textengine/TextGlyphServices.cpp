#include "glyphweave/TextGlyphServices.h"

namespace GlyphweaveLib {

namespace {
TTextGlyphServices& Services() {
  static TTextGlyphServices s;
  return s;
}
}  // namespace

TTextGlyphServices SetTextGlyphServices(const TTextGlyphServices& services) {
  const TTextGlyphServices old = Services();
  Services() = services;
  return old;
}

const TTextGlyphServices& GetTextGlyphServices() { return Services(); }

}  // namespace GlyphweaveLib
