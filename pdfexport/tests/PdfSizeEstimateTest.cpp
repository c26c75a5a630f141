// The room a PDF export is told it needs before it starts: never more than the file it writes (a
// disk with room enough is not refused) and not far below it (a disk without the room is refused).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

#include <gdiplus/gdiplus.h>
#include <pressmark/PdfExport.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>
#include <win32/lwstr.h>

#include "ExportTestKit.h"
#include "TestSupport.h"

namespace {

using exporttest::MakePage;
using exporttest::MakeText;
using exporttest::Own;

// A picture of width x height: noise (which no compression shrinks), or one flat colour; with
// alpha, its alpha runs across the picture.
Vectorloom::CBitmapResObj* Picture(int width, int height, bool noise, bool alpha = false) {
  auto* bitmap = new Gdiplus::Bitmap(width, height, alpha ? Gdiplus::PixelFormat32bppARGB : Gdiplus::PixelFormat24bppRGB);
  std::mt19937 random(7);
  Gdiplus::BitmapData data{};
  Gdiplus::Rect all(0, 0, width, height);
  bitmap->LockBits(&all, Gdiplus::ImageLockModeWrite, Gdiplus::PixelFormat32bppARGB, &data);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride);
    for (int x = 0; x < width; ++x) {
      const uint32_t colour = noise ? random() & 0xFFFFFF : 0x3366AA;
      const uint32_t a = alpha ? static_cast<uint32_t>(x * 255 / width) : 255;
      row[x] = a << 24 | colour;
    }
  }
  bitmap->UnlockBits(&data);
  auto* res = new Vectorloom::CBitmapResObj;
  res->AddRef();
  res->SetGdiBitmap(bitmap, nullptr, 1);
  return res;
}

// A rectangle on the page filled with the picture.
void Show(CDrawingPage* page, Vectorloom::CBitmapResObj* res, float left = 50, float top = 50) {
  auto* shape = new Vectorloom::CCustomPathObj;
  shape->AddRectanglePath({left, top, left + 300, top + 300});
  shape->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
  shape->GetFillDefinition().SetRenderBitmap(res);
  shape->SetStrokeOutlineFlag(0);
  Own(page, shape);
}

// The document `make` builds: its estimate is at most the file its export writes and at least
// half of it.
void Check(const std::function<void(exporttest::TextDoc&)>& make) {
  lwtest::TempDir dir;
  const std::filesystem::path out = dir / "out.pdf";
  exporttest::TextDoc doc;
  make(doc);
  const uint64_t estimate = QorPDFExportingLib::EstimatePdfBytes(doc);
  ASSERT_TRUE(SaveDocumentAsPdfDocument(&doc, lw::Utf8ToWide(out.string()).c_str(), nullptr));
  const uint64_t written = std::filesystem::file_size(out);
  EXPECT_LE(estimate, written);
  EXPECT_GE(estimate, written / 2) << "estimate " << estimate << " of " << written;
}

// Documents of pages, pictures, texts and paths.
TEST(PdfSizeEstimate, IsNeverMoreThanTheFileAndNotFarBelowIt) {
  const struct {
    const char* name;
    std::function<void(exporttest::TextDoc&)> make;
  } cases[] = {
      {"40 empty pages",
       [](exporttest::TextDoc& doc) {
         for (int i = 0; i < 40; ++i) MakePage(doc, 595, 842);
       }},
      {"a noisy picture",
       [](exporttest::TextDoc& doc) {
         Vectorloom::CBitmapResObj* res = Picture(500, 400, true);
         Show(MakePage(doc, 595, 842), res);
         res->Release();
       }},
      {"a noisy picture with alpha",
       [](exporttest::TextDoc& doc) {
         Vectorloom::CBitmapResObj* res = Picture(400, 300, true, true);
         Show(MakePage(doc, 595, 842), res);
         res->Release();
       }},
      {"one noisy picture on six pages, twice on the first",
       [](exporttest::TextDoc& doc) {
         Vectorloom::CBitmapResObj* res = Picture(300, 300, true);
         for (int i = 0; i < 6; ++i) Show(MakePage(doc, 595, 842), res);
         Show(doc.GetDrawingPage(0), res, 300, 400);
         res->Release();
       }},
      {"a flat picture of 2000 x 1500",
       [](exporttest::TextDoc& doc) {
         Vectorloom::CBitmapResObj* res = Picture(2000, 1500, false);
         Show(MakePage(doc, 595, 842), res);
         res->Release();
       }},
      {"texts and paths",
       [](exporttest::TextDoc& doc) {
         for (int p = 0; p < 3; ++p) {
           CDrawingPage* page = MakePage(doc, 595, 842);
           Own(page, MakeText(doc, L"A first line of words\rand a second one under it", L"DejaVu Sans", 14));
           Own(page, MakeText(doc, L"Serif words close the page", L"Liberation Serif", 18, 60, 600));
           auto* path = new Vectorloom::CCustomPathObj;
           Vectorloom::CBaseCustomPath sub;
           for (int i = 0; i < 400; ++i)
             sub.AddNode(Vectorloom::CQorVectorEdgeNode(100.0f + (i * 37) % 500, 100.0f + (i * 53) % 700));
           path->AddSubPath(sub);
           path->SetFillColor(RGB(0, 160, 0));
           Own(page, path);
         }
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Check(c.make);
  }
}

// Pages imported from PDFs of several makers, read before the export: their embedded fonts (CFF,
// Type 1, TrueType subsets), the standard faces drawn from installed ones, and JPEG pictures.
TEST(PdfSizeEstimate, HoldsForImportedPagesWithTheirFontsAndPictures) {
  for (const char* name : {"cairo-cff.pdf", "pdftex.pdf", "libreoffice.pdf", "standard-fonts.pdf", "groff.pdf"}) {
    SCOPED_TRACE(name);
    Check([name](exporttest::TextDoc& doc) {
      auto* source = new CCachePdfPageContent(lw::Utf8ToWide(std::string(LW_PDF_PRODUCERS_DIR "/") + name).c_str());
      source->AddRef();
      for (int i = 0; i < source->GetPagesCount(); ++i) {
        auto* page = new CDrawingPage;
        page->SetPageSourceContent(source);
        page->SetPageSourceIndex(i);
        doc.GetRenderPagesArray().AddPage(page);
        EXPECT_TRUE(page->LoadPageContent(&doc));
      }
      source->Release();
    });
  }
}

}  // namespace
