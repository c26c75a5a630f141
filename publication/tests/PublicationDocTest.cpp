#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <quirebook/PublicationDoc.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

using Vectorloom::CBaseShapeObj;
using Vectorloom::CRenderBaseObjectList;
using Vectorloom::CRenderGroupObj;

namespace {

// A source with shared, unguarded state (like a file position) that notices overlapping calls.
class CFakeSource : public IPageContentSource {
 public:
  explicit CFakeSource(int pages) : m_nPages(pages) {}
  bool LoadPageContent(CDrawingPage* page, int number, CPublicationDoc*) override {
    if (m_bBusy.exchange(true)) m_nOverlaps++;
    ++m_nCalls;
    m_nLastNumber = number;
    bool ok = !m_bFail;
    // Objects are added even on failure: the page must drop them.
    page->AddShapeObject(new CBaseShapeObj);
    if (ok) page->AddShapeObject(new CBaseShapeObj);
    m_bBusy = false;
    return ok;
  }
  int GetPagesCount() override { return m_nPages; }

  int m_nPages;
  int m_nCalls = 0;
  int m_nLastNumber = 0;
  bool m_bFail = false;
  std::atomic<bool> m_bBusy{false};
  std::atomic<int> m_nOverlaps{0};
};

CDrawingPage* NewPage(CPublicationDoc& doc, IPageContentSource* src, int index) {
  auto* page = new CDrawingPage;
  page->SetPageSourceContent(src);
  page->SetPageSourceIndex(index);
  doc.GetRenderPagesArray().AddPage(page);
  return page;
}

}  // namespace

TEST(PublicationDoc, NewValues) {
  CDrawingPage page;
  EXPECT_EQ(page.GetLogWidth(), 531.0f);
  EXPECT_EQ(page.GetLogHeight(), 666.0f);
  EXPECT_EQ(page.GetPageLogUnit(), 4);
  EXPECT_EQ(page.IsPageContentLoaded(), 0);
  EXPECT_EQ(page.GetPageFlags(), 0u);
  EXPECT_EQ(page.GetPageContentSource(), nullptr);
  EXPECT_EQ(page.GetPageSourceIndex(), -1);
  page.SetPageFlags(0x6);
  page.SetNeedIntegrateTextsFlag(true);
  EXPECT_EQ(page.GetPageFlags(), 0x7u);
  page.SetNeedIntegrateTextsFlag(false);
  EXPECT_EQ(page.GetPageFlags(), 0x6u);

  CPublicationDoc doc;
  EXPECT_EQ(doc.GetDocLogSize(0), (Vectorloom::CQorVectorSize<float>(8.5f, 11.0f)));
  EXPECT_TRUE(doc.IsAllContentLoaded());
  EXPECT_FALSE(doc.IsModified());
  doc.SetModifiedFlag(TRUE);
  EXPECT_TRUE(doc.IsModified());
  CObject* made = RUNTIME_CLASS(CPublicationDoc)->CreateObject();
  ASSERT_NE(made, nullptr);
  delete made;
}

TEST(PublicationDoc, UnitConversion) {
  const struct {
    float w, h;
    int from, to;
    float ew, eh;
  } cases[] = {
      {531, 666, 4, 4, 531, 666},        {531, 666, 4, 0, 7.375f, 9.25f},   {8.5f, 11, 0, 4, 612, 792},
      {1, 1, 0, 1, 2.54f, 2.54f},        {1, 1, 1, 2, 10, 10},              {10, 10, 2, 4, 28.346457f, 28.346457f},
      {1, 2, 0, 3, 96, 192},             {96, 96, 3, 0, 1, 1},              {531, 666, 4, 9, 531, 666},
      {531, 666, 7, 0, 531, 666},
  };
  for (const auto& c : cases) {
    auto s = Quirebook::ConvertLogSize(c.w, c.h, c.from, c.to, 96, 96);
    EXPECT_NEAR(s.cx, c.ew, 1e-4) << c.from << "->" << c.to;
    EXPECT_NEAR(s.cy, c.eh, 1e-4) << c.from << "->" << c.to;
  }
  // A resolution of 0 does not divide by zero: pixels are then left unconverted.
  auto z = Quirebook::ConvertLogSize(10, 10, 3, 0, 0, 0);
  EXPECT_EQ(z.cx, 10.0f);
  CDrawingPage page;
  EXPECT_NEAR(page.GetPageSize(0).cx, 7.375f, 1e-5);
  EXPECT_NEAR(page.GetPageSize(3).cy, 666.0f / 72 * 96, 1e-3);  // headless screen: 96 dpi
}

TEST(PublicationDoc, LazyLoading) {
  CPublicationDoc doc;
  auto* src = new CFakeSource(3);
  src->AddRef();
  CDrawingPage* page = NewPage(doc, src, 2);
  EXPECT_EQ(src->GetRefCount(), 2);
  page->SetPageSourceContent(src);  // the same source: no new reference
  EXPECT_EQ(src->GetRefCount(), 2);
  EXPECT_FALSE(doc.IsAllContentLoaded());

  src->m_bFail = true;
  EXPECT_FALSE(page->LoadPageContent(&doc));
  EXPECT_EQ(src->m_nCalls, 1);
  EXPECT_EQ(src->m_nLastNumber, 3);
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), 0);
  EXPECT_EQ(page->IsPageContentLoaded(), 0);

  src->m_bFail = false;
  EXPECT_TRUE(page->LoadPageContent(&doc));
  EXPECT_EQ(src->m_nCalls, 2);
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), 2);

  // Copying a page takes its own reference to the source.
  CDrawingPage copy;
  copy = *page;
  EXPECT_EQ(src->GetRefCount(), 3);
  EXPECT_EQ(copy.IsPageContentLoaded(), 1);
  EXPECT_EQ(copy.GetPageSourceIndex(), 2);
  copy.SetPageSourceContent(nullptr);

  doc.ClearSouceContent();
  EXPECT_TRUE(doc.IsAllContentLoaded());
  EXPECT_EQ(page->GetPageSourceIndex(), -1);
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), 2);
  EXPECT_EQ(src->GetRefCount(), 1);
  src->Release();  // the source is gone; a loaded page never asks again
  EXPECT_TRUE(page->LoadPageContent(&doc));

  CDrawingPage orphan;
  EXPECT_FALSE(orphan.LoadPageContent(&doc));
}

TEST(PublicationDoc, CollectVideoObjectsDescendsGroups) {
  CDrawingPage page;
  auto* video = new CBaseShapeObj(4);
  auto* inner = new CRenderGroupObj;
  auto* outer = new CRenderGroupObj;
  auto* deepVideo = new CBaseShapeObj(4);
  inner->GetChildList().AddElement(deepVideo);
  outer->GetChildList().AddElement(inner);
  page.AddShapeObject(video);
  page.AddShapeObject(new CBaseShapeObj);
  page.AddShapeObject(outer);
  CRenderBaseObjectList found;
  page.CollectVideoObjects(found);
  ASSERT_EQ(found.GetCount(), 2);
  EXPECT_EQ(found[0], video);
  EXPECT_EQ(found[1], deepVideo);
  EXPECT_EQ(video->GetRefCount(), 2);  // the page and the list
  page.Clear();
  EXPECT_EQ(page.GetRenderObjectList().GetCount(), 0);
}

TEST(PublicationDoc, TwoThreadsLoadPagesOfOneDocument) {
  constexpr int kPages = 64, kRounds = 20;
  CPublicationDoc doc;
  auto* src = new CFakeSource(kPages);
  src->AddRef();
  for (int i = 0; i < kPages; ++i) NewPage(doc, src, i);

  std::atomic<int> failures{0};
  auto worker = [&](bool backwards) {
    for (int r = 0; r < kRounds; ++r) {
      for (int k = 0; k < kPages; ++k) {
        CDrawingPage* page = doc.GetDrawingPage(backwards ? kPages - 1 - k : k);
        if ((k + r) % 3 == 0) {
          // Like the exporters: load, convert, then empty the page again, all under the
          // document's lock (the other thread may empty the page between two unlocked steps).
          auto lock = doc.LockContent();
          if (!page->LoadPageContent(&doc)) failures++;
          if (page->GetRenderObjectList().GetCount() != 2) failures++;
          page->Clear();
          page->SetPageContentLoaded(0);
        } else if (!page->LoadPageContent(&doc)) {
          failures++;
        }
      }
    }
  };
  std::thread a(worker, false), b(worker, true);
  a.join();
  b.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(src->m_nOverlaps.load(), 0);
  for (int i = 0; i < kPages; ++i) {
    CDrawingPage* page = doc.GetDrawingPage(i);
    if (page->IsPageContentLoaded()) {
      EXPECT_EQ(page->GetRenderObjectList().GetCount(), 2);
    }
  }
  src->Release();
}
