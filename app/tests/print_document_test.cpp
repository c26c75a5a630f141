// The page-render worker over real documents: pages of an opened PDF and of a document file,
// loaded lazily by the worker while the user-interface thread loads and empties the same pages
// (run under the thread sanitizer tree too).
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <InsideLoadingThread.h>

#include "LeafwrightDoc.h"
#include "LfwTestKit.h"
#include "PdfFixtures.h"

namespace {

using namespace lfwtest;

// Whether the image holds a pixel of the pages' red rectangle.
bool HasRed(const BITMAPINFOHEADER* dib) {
  if (!dib) return false;
  const int stride = ((24 * dib->biWidth + 31) / 32) * 4;
  const auto* bits = reinterpret_cast<const BYTE*>(dib) + dib->biSize;
  for (int y = 0; y < dib->biHeight; ++y)
    for (int x = 0; x < dib->biWidth; ++x) {
      const BYTE* p = bits + static_cast<size_t>(stride) * y + 3 * x;
      if (p[2] > 200 && p[1] < 60 && p[0] < 60) return true;
    }
  return false;
}

std::unique_ptr<CLeafwrightDoc> OpenDoc(const fs::path& p) {
  auto doc = std::make_unique<CLeafwrightDoc>();
  doc->m_bAutoDelete = FALSE;
  if (!doc->OnOpenDocument(W(p).c_str())) return nullptr;
  return doc;
}

TEST(PrintDocumentPages, WorkerAndUserThreadShareLazyPages) {
  TestHome();
  lwtest::TempDir dir;
  constexpr int kPages = CLeafwrightDoc::kLoadedAtOpen + 8;
  lwtest::WriteFileBytes(dir / "pages.pdf", lwtest::MakeCairoPdf(kPages));
  std::unique_ptr<CLeafwrightDoc> pdfDoc = OpenDoc(dir / "pages.pdf");
  ASSERT_TRUE(pdfDoc);
  ASSERT_TRUE(pdfDoc->OnSaveDocument(W(dir / "pages.lfw").c_str()));
  std::unique_ptr<CLeafwrightDoc> lfwDoc = OpenDoc(dir / "pages.lfw");
  ASSERT_TRUE(lfwDoc);

  struct Case {
    const char* name;
    CLeafwrightDoc* doc;
  } cases[] = {{"opened PDF", pdfDoc.get()}, {"document file", lfwDoc.get()}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CLeafwrightDoc& doc = *c.doc;
    ASSERT_EQ(doc.GetPagesCount(), kPages);
    const int firstLazy = CLeafwrightDoc::kLoadedAtOpen;
    ASSERT_EQ(doc.GetDrawingPage(firstLazy)->IsPageContentLoaded(), 0);

    CInsideLoadingThreadEx worker;
    worker.m_pDocument = &doc;
    ASSERT_TRUE(CQorBaseThread::Start(&worker));
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round)
      for (int i = firstLazy - 2; i < kPages; ++i) worker.Requests().Push(CRenderRequest{i, 160, 160, doc.GetDrawingPage(i)});
    const int expected = kRounds * (kPages - firstLazy + 2);

    // Meanwhile this thread loads and empties the same lazy pages, as a view would, under the
    // document's content lock.
    int got = 0, red = 0;
    while (got < expected) {
      for (int i = firstLazy; i < kPages; ++i) {
        auto lock = doc.LockContent();
        CDrawingPage* page = doc.GetDrawingPage(i);
        const bool was = page->IsPageContentLoaded() != 0;
        EXPECT_TRUE(page->LoadPageContent(&doc));
        if (!was) {
          page->Clear();
          page->SetPageContentLoaded(0);
        }
      }
      CRenderedPage r;
      const Deadline d = DeadlineAfter(60000);
      ASSERT_EQ(worker.Results().PopWait(r, &d), kQueueOk) << "after " << got;
      EXPECT_EQ(r.pPage, doc.GetDrawingPage(r.nSheet));
      red += HasRed(r.pDib) ? 1 : 0;
      delete[] r.pDib;
      ++got;
    }
    worker.Stop();
    EXPECT_EQ(red, expected) << "every page image shows the page";
    // The lazy pages are held by nobody afterwards.
    for (int i = firstLazy; i < kPages; ++i) EXPECT_EQ(doc.GetDrawingPage(i)->IsPageContentLoaded(), 0) << i;
    EXPECT_EQ(doc.GetDrawingPage(0)->IsPageContentLoaded(), 1);
  }
}

}  // namespace

namespace {

using namespace lfwtest;

TEST(PrintDocumentPages, OpeningAnotherFileForgetsThePagesToPrint) {
  TestHome();
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "three.pdf", lwtest::MakeCairoPdf(3));
  lwtest::WriteFileBytes(dir / "one.pdf", lwtest::MakeCairoPdf(1));
  CLeafwrightDoc doc;
  doc.m_bAutoDelete = FALSE;
  ASSERT_TRUE(doc.OnOpenDocument(W(dir / "three.pdf").c_str()));
  EXPECT_TRUE(doc.GetPrintPages().empty());
  doc.SetPrintLayout(2, 3, {0, 2});
  EXPECT_EQ(doc.GetPrintPages(), (std::vector<int>{0, 2}));
  // Page indices of the old file mean nothing in the new one.
  ASSERT_TRUE(doc.OnOpenDocument(W(dir / "one.pdf").c_str()));
  EXPECT_TRUE(doc.GetPrintPages().empty());
  EXPECT_EQ(doc.GetPrintRows(), 2);
  EXPECT_EQ(doc.GetPrintColumns(), 3);
}

}  // namespace
