// An exported PDF imported again and exported again comes out as it went in: the same pixels and
// the same words, for real PDFs of other producers and for a document made here.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <pressmark/PdfExport.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <win32/lwstr.h>

#include "ExportTestKit.h"
#include "TestSupport.h"

namespace {

using exporttest::PageWords;
using exporttest::Shell;
using exporttest::TextDoc;

const std::string kFixtures = LW_PDF_PRODUCERS_DIR;

// Imports every page of `in` into a new document and exports it to `out`.
bool ImportAndExport(const std::string& in, const std::string& out, int* pages) {
  auto* source = new CCachePdfPageContent(lw::Utf8ToWide(in).c_str());
  source->AddRef();
  bool ok = false;
  {
    TextDoc doc;
    *pages = source->GetPagesCount();
    for (int i = 0; i < *pages; ++i) {
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
    }
    ok = *pages > 0 && SaveDocumentAsPdfDocument(&doc, lw::Utf8ToWide(out).c_str(), nullptr);
  }
  source->Release();
  return ok;
}

// poppler's drawing of a page, grey at 96 dots per inch: the PGM file's bytes.
std::vector<uint8_t> PageGrey(const std::string& pdf, int page, const std::string& prefix) {
  const std::string n = std::to_string(page);
  Shell("pdftoppm -r 96 -gray -singlefile -f " + n + " -l " + n + " '" + pdf + "' '" + prefix + "'");
  std::vector<uint8_t> bytes = lwtest::ReadFileBytes(prefix + ".pgm");
  std::filesystem::remove(prefix + ".pgm");
  return bytes;
}

// Pixels of two PGM images of one size that differ; -1 when the sizes differ.
long DifferentPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size() || a.empty()) return -1;
  long n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

TEST(PdfExportRoundTrip, ExportsOfRealPdfsImportBackAsTheyWereExported) {
  for (const char* file : {"pdftex", "groff", "cairo", "cairo-cff", "libreoffice", "chromium", "standard-fonts", "type3"}) {
    SCOPED_TRACE(file);
    lwtest::TempDir dir;
    const std::string first = (dir / "first.pdf").string(), second = (dir / "second.pdf").string();
    int pages = 0, again = 0;
    ASSERT_TRUE(ImportAndExport(kFixtures + "/" + file + ".pdf", first, &pages));
    ASSERT_TRUE(ImportAndExport(first, second, &again));
    ASSERT_EQ(again, pages);
    for (int p = 1; p <= pages; ++p) {
      SCOPED_TRACE(p);
      const std::vector<std::wstring> words = PageWords(first, p);
      EXPECT_GT(words.size(), 5u);
      EXPECT_EQ(PageWords(second, p), words);
      const long off = DifferentPixels(PageGrey(first, p, (dir / "a").string()), PageGrey(second, p, (dir / "b").string()));
      EXPECT_EQ(off, 0) << "pixels that differ between the first and the second export";
      if (const char* dump = std::getenv("LEAFWRIGHT_TEST_DUMP")) {
        const auto to = std::filesystem::path(dump) / (std::string(file) + "-roundtrip");
        std::filesystem::create_directories(to);
        std::filesystem::copy_file(first, to / "first.pdf", std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(second, to / "second.pdf", std::filesystem::copy_options::overwrite_existing);
      }
    }
  }
}

}  // namespace
