// Start and end of the library: the text engine's FreeType library lives as long as Quirebook is
// loaded.
#include <glyphweave/AccessTextsOutline.h>

namespace Quirebook {
namespace {

struct CLibraryLifetime {
  CLibraryLifetime() { GlyphweaveLib::CFFTypeFontEngine::FFTypeInitialize(); }
  ~CLibraryLifetime() { GlyphweaveLib::CFFTypeFontEngine::FFTypeUninitialize(); }
};

const CLibraryLifetime g_libraryLifetime;

}  // namespace
}  // namespace Quirebook
