#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gdi/wingdi.h>
#include <glyphweave/EmbedFontRes.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

#include "PdfFixtures.h"
#include "TestSupport.h"

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

namespace {

// Loads pages like an import does: under the document's content lock each page adds its own
// embedded fonts (ids counting down, so every font goes to the front of the table and moves all
// others) and a text in each of them whose glyphs are built at once.
class CFontPagesSource : public IPageContentSource {
 public:
  static constexpr int kFontsPerPage = 3;
  static constexpr const wchar_t* kFace = L"DejaVu Sans";  // what an id without program would draw

  CFontPagesSource(int pages, std::vector<uint8_t> program) : m_nPages(pages), m_program(std::move(program)) {}

  static int FontId(int page, int k) { return 100000 - (page * kFontsPerPage + k); }
  static GlyphweaveLib::CRichFontDesc Font(int id) {
    GlyphweaveLib::CRichFontDesc f;
    f.SetFontFaceName(kFace);
    f.SetEmbedFontID(id);
    f.m_fFontSize = 10.0f;
    return f;
  }
  std::unique_ptr<GlyphweaveLib::CEmbedFontResouce> MakeFont(int id) const {
    auto res = std::make_unique<GlyphweaveLib::CEmbedFontResouce>();
    res->SetFontID(id);
    res->SetEmbedFontFlag(0);
    GlyphweaveLib::CPdfEmbedFontDesc program;
    program.SetFontName("LiberationSans");
    program.m_vProgram.assign(m_program.begin(), m_program.end());
    res->SetEmbedPdfFontContent(&program);
    return res;
  }

  bool LoadPageContent(CDrawingPage* page, int number, CPublicationDoc* doc) override {
    GlyphweaveLib::CEmbedFontResManager* fonts = doc->GetEmbedFontResManager();
    HDC dc = GetDC(nullptr);
    for (int k = 0; k < kFontsPerPage; ++k) {
      const int id = FontId(number - 1, k);
      if (!fonts->FindEmbedFontResource(id)) {
        auto res = MakeFont(id);
        if (fonts->AddEmbedFontResouce(res.get()) >= 0) res.release();
      }
      auto* text = new CDDrawTextObj;
      text->SetLayoutBox(500.0f, 50.0f);
      text->InsertString(0, L"Page", -1, dc, Font(id), fonts, doc->GetFontGlyphCacheManager());
      page->AddShapeObject(text);
    }
    ReleaseDC(nullptr, dc);
    return true;
  }
  int GetPagesCount() override { return m_nPages; }

 private:
  int m_nPages;
  std::vector<uint8_t> m_program;
};

}  // namespace

// Typing builds glyphs (under the glyph cache's lock) while a worker loads pages that add fonts
// (under the document's content lock): every glyph of a font that was in the document is made
// from that font's own program, never from the face name, and no read meets a half-changed
// table. Built with LEAFWRIGHT_TSAN, the thread sanitizer checks the locking itself.
TEST(PublicationDoc, PagesAddFontsWhileAnotherThreadBuildsGlyphs) {
  constexpr int kPages = 24;
  const std::wstring kChars = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  auto* src = new CFontPagesSource(kPages, lwtest::ReadFileBytes(lwtest::LiberationSansPath()));
  src->AddRef();

  // The advances of the program's own glyphs, and a check that the face name draws others.
  std::vector<float> expected;
  {
    GlyphweaveLib::CEmbedFontResManager fonts;
    GlyphweaveLib::CFontCacheManager cache, faceCache;
    fonts.AddEmbedFontResouce(src->MakeFont(1).release());
    HDC dc = GetDC(nullptr);
    int differ = 0;
    for (wchar_t c : kChars) {
      GlyphweaveLib::CCharacterItem item, byFace;
      item.SetCharacter(static_cast<char16_t>(c));
      item.SetByCharacterProps(CFontPagesSource::Font(1));
      byFace = item;
      ASSERT_TRUE(item.BuildGlyph(dc, CFontPagesSource::Font(1), &fonts, &cache));
      ASSERT_TRUE(byFace.BuildGlyph(dc, CFontPagesSource::Font(1), nullptr, &faceCache));
      expected.push_back(item.GetIncreaseDeltaX());
      if (byFace.GetIncreaseDeltaX() != item.GetIncreaseDeltaX()) ++differ;
    }
    ReleaseDC(nullptr, dc);
    ASSERT_GT(differ, static_cast<int>(kChars.size()) / 2);
  }

  CPublicationDoc doc;
  for (int i = 0; i < kPages; ++i) NewPage(doc, src, i);
  std::atomic<int> loaded{0};
  std::thread loader([&] {
    for (int i = 0; i < kPages; ++i) {
      doc.GetDrawingPage(i)->LoadPageContent(&doc);
      loaded.store(i + 1, std::memory_order_release);
    }
  });

  // Typing: each new (font, character) pair misses the cache and looks its font up while
  // pages go on adding fonts.
  int built = 0, wrong = 0;
  HDC dc = GetDC(nullptr);
  for (size_t round = 0; loaded.load(std::memory_order_acquire) < kPages || round < kChars.size(); ++round) {
    const int pages = loaded.load(std::memory_order_acquire);
    if (pages == 0) {
      std::this_thread::yield();
      --round;
      continue;
    }
    const size_t ci = round % kChars.size();
    for (int p = 0; p < pages; ++p) {
      const int id = CFontPagesSource::FontId(p, static_cast<int>(round / kChars.size()) % CFontPagesSource::kFontsPerPage);
      GlyphweaveLib::CCharacterItem item;
      item.SetCharacter(static_cast<char16_t>(kChars[ci]));
      item.SetByCharacterProps(CFontPagesSource::Font(id));
      if (!item.BuildGlyph(dc, CFontPagesSource::Font(id), doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager()) ||
          item.GetIncreaseDeltaX() != expected[ci])
        ++wrong;
      ++built;
    }
  }
  ReleaseDC(nullptr, dc);
  loader.join();

  EXPECT_GT(built, kPages);
  EXPECT_EQ(wrong, 0) << "of " << built;
  GlyphweaveLib::CEmbedFontResManager* fonts = doc.GetEmbedFontResManager();
  ASSERT_EQ(fonts->GetCount(), kPages * CFontPagesSource::kFontsPerPage);
  for (int i = 0; i < fonts->GetCount(); ++i)
    EXPECT_EQ(fonts->GetAt(i)->GetFontID(), CFontPagesSource::FontId(kPages - 1, CFontPagesSource::kFontsPerPage - 1) + i);
  for (int i = 0; i < kPages; ++i)
    EXPECT_EQ(doc.GetDrawingPage(i)->GetRenderObjectList().GetCount(), CFontPagesSource::kFontsPerPage);
  src->Release();
}
