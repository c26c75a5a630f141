// Imports the first pages of arbitrary bytes opened as a PDF: the engine's records go through the
// page parser into page objects, embedded fonts and pictures, the texts' glyphs are built and the
// texts of each page merged.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <win32/lwstr.h>

namespace {

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char path[] = "/tmp/pdfimport_fuzz_XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return 0;
  const bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    auto* source = new CCachePdfPageContent(lw::Utf8ToWide(path).c_str());
    source->AddRef();
    CTextDoc doc;
    for (int number = 1; number <= source->GetPagesCount() && number <= 3; ++number) {
      auto* page = new CDrawingPage;
      page->AddRef();
      // A loaded page's texts are merged as the view merges them when it first shows the page.
      if (source->LoadPageContent(page, number, &doc)) page->IntegrateTexts();
      page->Release();
    }
    source->Release();
  }
  unlink(path);
  return 0;
}
