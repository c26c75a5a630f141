// The page content source over document files: damaged files, damaged pages, fonts that collide
// with the document's own, untouched and edited pages written back, and the video folder.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>
#include <map>

#include <mfc/afxbinio.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/VideoObj.h>
#include <vectorloom/VariableStream.h>

#include "CreateObjectFactory.h"
#include "FinishLoadedObjects.h"
#include "LeafwrightDoc.h"
#include "LfwTestKit.h"
#include "PageBusiPage.h"
#include "PageGroupObj.h"
#include "PageObjectRecords.h"
#include "PageShapeObj.h"
#include "PageVideoObj.h"
#include "PdfFixtures.h"

using namespace lfwtest;
using Vectorloom::CRenderBaseObj;

namespace {

// Writes ready page records as a "Page" section with entries of `entrySize` bytes.
class CRawPagesWriter : public CZipSavingInterface {
 public:
  CRawPagesWriter(std::vector<Bytes> blocks, unsigned entrySize)
      : CZipSavingInterface("Page"), m_blocks(std::move(blocks)), m_entrySize(entrySize) {}
  unsigned GetBlocksCount() const override { return static_cast<unsigned>(m_blocks.size()); }
  bool SavingIndexs(CFile* file) const override {
    lw::bin::WriteU32(*file, GetBlocksCount());
    const Bytes zeros(m_entrySize, 0);
    for (size_t i = 0; i < m_blocks.size(); ++i) file->Write(zeros.data(), m_entrySize);
    return true;
  }
  unsigned char* MakeBlockContent(int index, unsigned long& raw, const CString&, const CString&) override {
    const Bytes& b = m_blocks[static_cast<size_t>(index)];
    auto* p = static_cast<unsigned char*>(std::malloc(b.size() + 1));
    if (!b.empty()) std::memcpy(p, b.data(), b.size());
    raw = b.size();
    return p;
  }

 private:
  std::vector<Bytes> m_blocks;
  unsigned m_entrySize;
};

// A document file of ready page records and empty picture, font and video sections.
Bytes CraftFile(std::vector<Bytes> pages, unsigned pageEntrySize = kLfwPageEntrySize) {
  CMemFile mem(1024);
  WriteLfwFileHeader(mem);
  CRawPagesWriter pageWriter(std::move(pages), pageEntrySize);
  Vectorloom::CBitmapResObjsList noPictures;
  CZipSavingBitmapResObjs pictures(noPictures);
  GlyphweaveLib::CEmbedFontResManager noFonts;
  CBaseZipSavingEmbedFont fonts(noFonts);
  CVideoFilePathsMap noClips;
  CDeflateSavingVideos clips(noClips);
  pageWriter.SavingBlockTag(&mem);
  pictures.SavingBlockTag(&mem);
  fonts.SavingBlockTag(&mem);
  clips.SavingBlockTag(&mem);
  EXPECT_TRUE(pageWriter.SavingBlocks(&mem, L"2000", L"2010", nullptr));
  EXPECT_TRUE(pictures.SavingBlocks(&mem, L"2000", L"2010", nullptr));
  EXPECT_TRUE(fonts.SavingBlocks(&mem, L"2000", L"2010", nullptr));
  EXPECT_TRUE(clips.SavingBlocks(&mem, L"2000", L"2010", nullptr));
  return Bytes(mem.GetBufferPtr(), mem.GetBufferPtr() + mem.GetLength());
}

void PutF32(Bytes& b, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(bits >> (8 * i)));
}
void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

Bytes TypedRecord(CRenderBaseObj& obj) {
  CMemFile mem(1024);
  EXPECT_TRUE(SavePageObject(mem, obj, L"2010"));
  return Bytes(mem.GetBufferPtr(), mem.GetBufferPtr() + mem.GetLength());
}

// A page record: header, then the count and the given records (count may differ on purpose).
Bytes PageRecord(uint32_t unit, const std::vector<Bytes>& objects, int64_t count = -1) {
  Bytes b;
  PutF32(b, 8.5f);
  PutF32(b, 11.0f);
  PutU32(b, unit);
  PutU32(b, 0);
  PutU32(b, count < 0 ? static_cast<uint32_t>(objects.size()) : static_cast<uint32_t>(count));
  for (const Bytes& o : objects) b.insert(b.end(), o.begin(), o.end());
  return b;
}

Bytes ShapeRecord() {
  CPageShapeObj* shape = MakeShape(1, 2, 3, 4, Vectorloom::RENDER_KIND_SOLID);
  shape->AddRef();
  Bytes b = TypedRecord(*shape);
  shape->Release();
  return b;
}

// A small real document: two pages of shapes, one picture.
Bytes SmallDocument() {
  CLeafwrightDoc doc;
  for (int i = 0; i < 2; ++i) {
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    page->AddShapeObject(MakeShape(10.0f * i, 5, 20, 20, Vectorloom::RENDER_KIND_SOLID));
    doc.GetRenderPagesArray().AddPage(page);
  }
  doc.GetDrawingPage(1)->AddShapeObject(
      MakeShape(0, 0, 8, 8, Vectorloom::RENDER_KIND_BITMAP, MakePicture(L"/p/one.png", 10, 20, 30)));
  return WriteToBytes(doc);
}

int PagesOf(const Bytes& bytes) {
  CCacheLfwPageContent* source = OpenBytes(bytes);
  source->AddRef();
  const int n = source->GetPagesCount();
  source->Release();
  return n;
}

struct ReaderFixture : ::testing::Test {
  void SetUp() override { TestHome(); }
};

}  // namespace

// Files that are not whole, ordered document files open with 0 pages; the version words are
// carried, not checked.
TEST_F(ReaderFixture, DamagedFilesOpenWithNoPages) {
  const Bytes good = SmallDocument();
  ASSERT_EQ(PagesOf(good), 2);
  const uint32_t dibsIndex = Le32(good, 28);
  const struct {
    const char* name;
    std::function<Bytes()> make;
    int pages;
  } cases[] = {
      {"valid", [&] { return good; }, 2},
      {"empty", [] { return Bytes(); }, 0},
      {"wrong tag", [&] { Bytes b = good; b[0] = 'X'; return b; }, 0},
      {"short header", [&] { return Bytes(good.begin(), good.begin() + 59); }, 0},
      {"headers swapped",
       [&] {
         Bytes b = good;
         std::swap_ranges(b.begin() + 12, b.begin() + 24, b.begin() + 24);
         return b;
       },
       0},
      {"sections reordered", [&] { Bytes b = good; PutLe32(b, 28, 60); return b; }, 0},
      {"section past the end", [&] { Bytes b = good; PutLe32(b, 56, 5000); return b; }, 0},
      {"index count too large", [&] { Bytes b = good; PutLe32(b, 60, 1000); return b; }, 0},
      {"picture index count too large", [&] { Bytes b = good; PutLe32(b, dibsIndex, 7); return b; }, 0},
      {"block past the end", [&] { Bytes b = good; PutLe32(b, 72, 1u << 30); return b; }, 0},
      {"page entries of 16 bytes", [] { return CraftFile({PageRecord(0, {}), PageRecord(0, {})}, 16); }, 0},
      {"derived entry size 0", [&] { Bytes b = good; PutLe32(b, 64, 64); return b; }, 0},
      {"no pages", [] { return CraftFile({}); }, 0},
      {"second version word differs", [&] { Bytes b = good; b[11] = '9'; return b; }, 2},
      {"first version word differs", [&] { Bytes b = good; b[4] = '3'; return b; }, 2},
  };
  for (const auto& c : cases) EXPECT_EQ(PagesOf(c.make()), c.pages) << c.name;

  Bytes other = good;
  other[8] = '2', other[9] = '0', other[10] = '1', other[11] = '1';
  CCacheLfwPageContent* source = OpenBytes(other);
  source->AddRef();
  EXPECT_TRUE(source->GetSecondVersion() == L"2011");
  EXPECT_TRUE(source->GetOpenError().IsEmpty());
  source->Release();

  source = OpenBytes(Bytes(good.begin(), good.begin() + 20));
  source->AddRef();
  EXPECT_FALSE(source->GetOpenError().IsEmpty());
  source->Release();

  CCacheLfwPageContent missing(W(TestHome() / "no such file.lfw").c_str());
  EXPECT_EQ(missing.GetPagesCount(), 0);
}

// A damaged page fails on its own and is left empty; its neighbour loads.
TEST_F(ReaderFixture, ADamagedPageFailsAloneAndStaysEmpty) {
  const Bytes shape = ShapeRecord();
  Bytes cutShape(shape.begin(), shape.end() - 3);
  Bytes child = PageRecord(0, {shape});
  const struct {
    const char* name;
    Bytes page2;
  } cases[] = {
      {"unit 7", PageRecord(7, {shape})},
      {"count larger than the block", PageRecord(0, {shape}, -1 + 0x7FFFFFFF)},
      {"count of every bit", PageRecord(0, {shape}, 0xFFFFFFFF)},
      {"code 1", PageRecord(0, {[] { Bytes b; PutU32(b, 1); return b; }()})},
      {"code 9", PageRecord(0, {[] { Bytes b; PutU32(b, 9); return b; }()})},
      {"shape cut short", PageRecord(0, {cutShape})},
      {"header cut short", Bytes(child.begin(), child.begin() + 15)},
  };
  for (const auto& c : cases) {
    OpenedDoc opened(CraftFile({PageRecord(0, {shape}), c.page2}));
    ASSERT_EQ(opened.source->GetPagesCount(), 2) << c.name;
    EXPECT_FALSE(opened.Page(1)->LoadPageContent(opened.doc.get())) << c.name;
    EXPECT_EQ(opened.Page(1)->GetRenderObjectList().GetCount(), 0) << c.name;
    EXPECT_FALSE(opened.Page(1)->IsPageContentLoaded()) << c.name;
    EXPECT_EQ(opened.Load(0)->GetRenderObjectList().GetCount(), 1) << c.name;
  }

  // Block damage: packed bytes that do not unpack, or unpack to another length than stored. The
  // page must not get a previous block's content either.
  const Bytes good = CraftFile({PageRecord(0, {shape}), PageRecord(0, {shape, shape})});
  const uint32_t entry2 = 60 + 4 + 12;
  const struct {
    const char* name;
    std::function<void(Bytes&)> damage;
  } blocks[] = {
      {"packed bytes", [&](Bytes& b) { b[Le32(b, entry2) + 4] ^= 0x55; b[Le32(b, entry2) + 5] ^= 0x55; }},
      {"raw length larger", [&](Bytes& b) { PutLe32(b, entry2 + 4, Le32(b, entry2 + 4) + 1); }},
      {"raw length smaller", [&](Bytes& b) { PutLe32(b, entry2 + 4, Le32(b, entry2 + 4) - 1); }},
  };
  for (const auto& c : blocks) {
    Bytes bad = good;
    c.damage(bad);
    OpenedDoc opened(bad);
    ASSERT_EQ(opened.source->GetPagesCount(), 2) << c.name;
    EXPECT_EQ(opened.Load(0)->GetRenderObjectList().GetCount(), 1) << c.name;
    EXPECT_FALSE(opened.Page(1)->LoadPageContent(opened.doc.get())) << c.name;
    EXPECT_EQ(opened.Page(1)->GetRenderObjectList().GetCount(), 0) << c.name;
  }

  // Page numbers count from 1 and stay inside the file.
  OpenedDoc opened(good);
  CPageBusiPage page;
  page.AddRef();
  EXPECT_FALSE(opened.source->LoadPageContent(&page, 0, opened.doc.get()));
  EXPECT_FALSE(opened.source->LoadPageContent(&page, 3, opened.doc.get()));
  EXPECT_TRUE(opened.source->LoadPageContent(&page, 2, opened.doc.get()));
  EXPECT_EQ(page.GetRenderObjectList().GetCount(), 2);
}

// Crafted pages that would cost far more than their records declare: impossible page sizes, a
// block that unpacks past what a page's records can hold, and more objects than a page may have.
TEST_F(ReaderFixture, PagesBeyondTheBudgetsAreRefused) {
  const Bytes shape = ShapeRecord();
  const auto sized = [&](float w, float h, uint32_t unit) {
    Bytes b = PageRecord(unit, {shape});
    std::memcpy(&b[0], &w, 4);
    std::memcpy(&b[4], &h, 4);
    return b;
  };
  const struct {
    float w, h;
    uint32_t unit;
    bool opens;
  } sizes[] = {
      {8.5f, 11.0f, Vectorloom::UNIT_INCH, true},   {200.0f, 200.0f, Vectorloom::UNIT_INCH, true},
      {14400.0f, 1.0f, Vectorloom::UNIT_POINT, true}, {0.0f, 11.0f, Vectorloom::UNIT_INCH, false},
      {8.5f, -11.0f, Vectorloom::UNIT_INCH, false}, {1e30f, 11.0f, Vectorloom::UNIT_INCH, false},
      {8.5f, 201.0f, Vectorloom::UNIT_INCH, false}, {0.5f, 0.5f, Vectorloom::UNIT_POINT, false},
      {8.5f, std::numeric_limits<float>::quiet_NaN(), Vectorloom::UNIT_INCH, false},
  };
  for (const auto& c : sizes) {
    OpenedDoc opened(CraftFile({PageRecord(0, {shape}), sized(c.w, c.h, c.unit)}));
    ASSERT_EQ(opened.source->GetPagesCount(), 2);
    EXPECT_EQ(opened.Page(1)->LoadPageContent(opened.doc.get()) != 0, c.opens) << c.w << " x " << c.h;
  }

  // 65 MiB of records behind a one-object page (it packs to about 65 KB): refused unread.
  Bytes huge = PageRecord(0, {shape});
  huge.resize(CZipRomExtractPageContent::kMaxPageBlockLength + 1, 0);
  OpenedDoc bloated(CraftFile({PageRecord(0, {shape}), huge}));
  ASSERT_EQ(bloated.source->GetPagesCount(), 2);
  EXPECT_FALSE(bloated.Page(1)->LoadPageContent(bloated.doc.get()));
  EXPECT_EQ(bloated.Load(0)->GetRenderObjectList().GetCount(), 1);

  // The object budget counts groups' children: 3 objects fit a budget of 3, a group of 3 does not.
  auto* group = new CPageGroupObj;
  for (int i = 0; i < 3; ++i) group->GetChildList().AddElement(MakeShape(i, 0, 2, 2, Vectorloom::RENDER_KIND_SOLID));
  group->AddRef();
  const Bytes groupRecord = TypedRecord(*group);
  group->Release();
  const auto load = [](const std::vector<Bytes>& records, size_t budget) {
    Bytes b;
    PutU32(b, static_cast<uint32_t>(records.size()));
    for (const Bytes& r : records) b.insert(b.end(), r.begin(), r.end());
    CMemFile mem(b.data(), static_cast<UINT>(b.size()));
    Vectorloom::CRenderBaseObjectList out;
    Vectorloom::CBitmapResObjsList pictures;
    CObjectCountBudget limit(budget);
    const bool ok = LoadObjectList(mem, out, nullptr, pictures, L"2010");
    EXPECT_EQ(limit.Exceeded(), !ok);
    return ok;
  };
  EXPECT_TRUE(load({shape, shape, shape}, 3));
  EXPECT_FALSE(load({shape, shape, shape, shape}, 3));
  EXPECT_TRUE(load({groupRecord}, 4));
  EXPECT_FALSE(load({groupRecord}, 3));
}

// Any cut of a valid file opens with 0 pages, and damage anywhere in its headers and indexes
// never crashes a load.
TEST_F(ReaderFixture, TruncatedAndCorruptedFilesNeverCrash) {
  const Bytes good = SmallDocument();
  for (size_t n = 0; n < good.size(); ++n) ASSERT_EQ(PagesOf(Bytes(good.begin(), good.begin() + n)), 0) << n;
  const size_t dibsEnd = Le32(good, 28) + 4 + 548;
  for (size_t at = 0; at < std::min(good.size(), dibsEnd); ++at) {
    for (uint8_t flip : {0x01, 0x80, 0xFF}) {
      Bytes bad = good;
      bad[at] ^= flip;
      OpenedDoc opened(bad);
      for (int i = 0; i < opened.source->GetPagesCount(); ++i) opened.Page(i)->LoadPageContent(opened.doc.get());
    }
  }
}

namespace {

GlyphweaveLib::CEmbedFontResouce* FontOf(CPublicationDoc& doc, CDDrawTextObj* text) {
  std::vector<int> ids;
  text->CollectEmbedFonts(ids);
  EXPECT_EQ(ids.size(), 1u);
  return ids.empty() ? nullptr : doc.GetEmbedFontResManager()->FindEmbedFontResource(ids[0]);
}

}  // namespace

// Fonts of a page whose ids the document already holds with other content get fresh ids, and
// every text of the page follows its own font, inside groups too; equal fonts are not added
// twice. A page whose fonts were renamed is saved from its objects, with the new ids.
TEST_F(ReaderFixture, CollidingFontIdsAreRenamedOncePerPage) {
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "in.pdf", lwtest::MakeCairoPdf(1));
  auto* pdf = new CCachePdfPageContent(W(dir / "in.pdf").c_str());
  pdf->AddRef();

  // The written document: text A on font p, text B (in a group) on font q = p + 2, a copy of p
  // with other flags.
  Bytes file;
  GlyphweaveLib::CEmbedFontResouce fontP, fontQ;
  int p = -1, q = -1;
  {
    CLeafwrightDoc doc;
    auto* source = new CPageBusiPage;
    source->SetPageSourceContent(pdf);
    source->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(source);
    ASSERT_TRUE(source->LoadPageContent(&doc));
    CDDrawTextObj* imported = nullptr;
    for (CRenderBaseObj* obj : source->GetRenderObjectList())
      if ((imported = dynamic_cast<CDDrawTextObj*>(obj))) break;
    ASSERT_NE(imported, nullptr);
    std::vector<int> ids;
    imported->CollectEmbedFonts(ids);
    ASSERT_EQ(ids.size(), 1u);
    p = ids[0];
    q = p + 2;
    fontP = *doc.GetEmbedFontResManager()->FindEmbedFontResource(p);
    fontQ = fontP;
    fontQ.SetFontID(q);
    fontQ.SetFontFlag(fontP.GetFontFlag() ^ 0x40000);
    doc.GetEmbedFontResManager()->AddEmbedFontResouce(new GlyphweaveLib::CEmbedFontResouce(fontQ));

    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    CRenderBaseObj* a = imported->Clone();
    a->SetObjectName(L"A");
    page->AddShapeObject(a);
    auto* group = new CPageGroupObj;
    CRenderBaseObj* b = imported->Clone();
    b->SetObjectName(L"B");
    group->AddChild(b);
    page->AddShapeObject(group);
    Vectorloom::CRenderBaseObjectList only;
    only.AddElement(b);
    RemapEmbedFontIDs(only, {{p, q}});
    doc.GetRenderPagesArray().RemoveAllPages();
    doc.GetRenderPagesArray().AddPage(page);
    file = WriteToBytes(doc);
    ASSERT_FALSE(file.empty());
  }
  pdf->Release();

  auto textsOf = [](CDrawingPage* page) {
    CDDrawTextObj* a = dynamic_cast<CDDrawTextObj*>(page->GetRenderObjectList().GetAt(0));
    auto* group = dynamic_cast<CPageGroupObj*>(page->GetRenderObjectList().GetAt(1));
    CDDrawTextObj* b = group ? dynamic_cast<CDDrawTextObj*>(group->GetChildList().GetAt(0)) : nullptr;
    EXPECT_TRUE(a && b);
    return std::make_pair(a, b);
  };

  // A document already holding other fonts under p and p + 1.
  auto* into = new CLeafwrightDoc;
  GlyphweaveLib::CEmbedFontResouce other = fontP;
  other.SetFontFlag(fontP.GetFontFlag() ^ 0x1000);
  into->GetEmbedFontResManager()->AddEmbedFontResouce(new GlyphweaveLib::CEmbedFontResouce(other));
  other.SetFontID(p + 1);
  into->GetEmbedFontResManager()->AddEmbedFontResouce(new GlyphweaveLib::CEmbedFontResouce(other));
  Bytes saved;
  {
    OpenedDoc opened(file, into);
    auto [a, b] = textsOf(opened.Load(0));
    ASSERT_TRUE(a && b);
    GlyphweaveLib::CEmbedFontResouce* fa = FontOf(*opened.doc, a);
    GlyphweaveLib::CEmbedFontResouce* fb = FontOf(*opened.doc, b);
    ASSERT_TRUE(fa && fb);
    EXPECT_NE(fa->GetFontID(), p);
    EXPECT_EQ(fa->GetFontFlag(), fontP.GetFontFlag());
    EXPECT_EQ(fb->GetFontFlag(), fontQ.GetFontFlag());
    EXPECT_EQ(opened.doc->GetEmbedFontResManager()->GetCount(), 4);
    saved = WriteToBytes(*opened.doc);
  }
  // What was saved after the renaming reads back on the right fonts.
  {
    OpenedDoc opened(saved);
    auto [a, b] = textsOf(opened.Load(0));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(FontOf(*opened.doc, a)->GetFontFlag(), fontP.GetFontFlag());
    EXPECT_EQ(FontOf(*opened.doc, b)->GetFontFlag(), fontQ.GetFontFlag());
  }
  // A document that holds the same fonts gets nothing new and keeps the ids.
  auto* same = new CLeafwrightDoc;
  same->GetEmbedFontResManager()->AddEmbedFontResouce(new GlyphweaveLib::CEmbedFontResouce(fontP));
  same->GetEmbedFontResManager()->AddEmbedFontResouce(new GlyphweaveLib::CEmbedFontResouce(fontQ));
  {
    OpenedDoc opened(file, same);
    auto [a, b] = textsOf(opened.Load(0));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(opened.doc->GetEmbedFontResManager()->GetCount(), 2);
    EXPECT_EQ(FontOf(*opened.doc, a)->GetFontID(), p);
    EXPECT_EQ(FontOf(*opened.doc, b)->GetFontID(), q);
  }
}

// An untouched page goes back to the file as stored; an edited one is written from its objects.
TEST_F(ReaderFixture, EditedPagesAreWrittenFromTheirObjects) {
  const Bytes file = SmallDocument();
  OpenedDoc opened(file);
  opened.Load(0);
  opened.Load(1);
  EXPECT_TRUE(WriteToBytes(*opened.doc) == file);

  opened.Page(0)->GetRenderObjectList().GetAt(0)->SetObjectName(L"Renamed");
  opened.Page(1)->SetPageFlags(4);
  const Bytes edited = WriteToBytes(*opened.doc);
  OpenedDoc again(edited);
  EXPECT_TRUE(again.Load(0)->GetRenderObjectList().GetAt(0)->GetObjectName() == L"Renamed");
  EXPECT_EQ(again.Load(1)->GetPageFlags(), 4u);
}

// Opening a document file empties the video folder of its files, except clips a document of
// this process still uses; subfolders are left alone.
TEST_F(ReaderFixture, OpeningEmptiesTheVideoFolderExceptClipsInUse) {
  const Bytes file = SmallDocument();
  fs::create_directories(VideoFolder() / "sub");
  lwtest::WriteFileBytes(VideoFolder() / "old clip.flv", {1, 2, 3});
  lwtest::WriteFileBytes(VideoFolder() / "kept.flv", {4, 5});
  lwtest::WriteFileBytes(VideoFolder() / "sub" / "inner.flv", {6});
  int owner = 0;
  AddInUseVideoClip(&owner, W(VideoFolder() / "kept.flv"));

  EXPECT_EQ(PagesOf(file), 2);
  EXPECT_FALSE(fs::exists(VideoFolder() / "old clip.flv"));
  EXPECT_TRUE(fs::exists(VideoFolder() / "kept.flv"));
  EXPECT_TRUE(fs::exists(VideoFolder() / "sub" / "inner.flv"));

  ReleaseInUseVideoClips(&owner);
  EXPECT_EQ(PagesOf(file), 2);
  EXPECT_FALSE(fs::exists(VideoFolder() / "kept.flv"));

  // A file that is not a document file leaves the folder alone.
  lwtest::WriteFileBytes(VideoFolder() / "other.flv", {7});
  EXPECT_EQ(PagesOf(Bytes(file.begin(), file.begin() + 30)), 0);
  EXPECT_TRUE(fs::exists(VideoFolder() / "other.flv"));
}

// A clip that changed since the save is unpacked into the video folder; it survives the opening
// of other documents while its document uses it.
TEST_F(ReaderFixture, UnpackedClipsOfAnOpenDocumentSurviveOtherOpenings) {
  lwtest::TempDir dir;
  const fs::path clip = dir / "movie.flv";
  lwtest::WriteFileBytes(clip, Bytes(3000, 0x42));
  Bytes file;
  {
    CLeafwrightDoc doc;
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    auto* video = new CPageVideoObj;
    video->SetVideoFullPathName(W(clip));
    video->SetVideoObjectSize({32, 24});
    page->AddShapeObject(video);
    doc.GetRenderPagesArray().AddPage(page);
    file = WriteToBytes(doc);
    ASSERT_FALSE(file.empty());
  }
  lwtest::WriteFileBytes(clip, Bytes(10, 0x43));  // changed: not playable in place any more

  auto* first = new OpenedDoc(file);
  CDrawingPage* page = first->Load(0);
  auto* video = dynamic_cast<CBaseVideoObj*>(page->GetRenderObjectList().GetAt(0));
  ASSERT_NE(video, nullptr);
  // Unpacked under its own name, in a folder of its own inside the video folder.
  const fs::path unpacked = lw::WideToUtf8(video->GetVideoFullPathName());
  EXPECT_EQ(unpacked.filename(), "movie.flv");
  EXPECT_EQ(unpacked.parent_path().parent_path(), VideoFolder());
  EXPECT_EQ(lwtest::ReadFileBytes(unpacked), Bytes(3000, 0x42));

  EXPECT_EQ(PagesOf(SmallDocument()), 2);
  EXPECT_TRUE(fs::exists(unpacked));

  // Saving writes the clip from its unpacked copy; the page is written from its objects.
  const Bytes resaved = WriteToBytes(*first->doc);
  ASSERT_FALSE(resaved.empty());

  const void* owner = first->doc.get();
  delete first;
  ReleaseInUseVideoClips(owner);
  EXPECT_EQ(PagesOf(SmallDocument()), 2);
  EXPECT_FALSE(fs::exists(unpacked.parent_path()));  // the clip goes with its folder

  OpenedDoc reopened(resaved);
  auto* back = dynamic_cast<CBaseVideoObj*>(reopened.Load(0)->GetRenderObjectList().GetAt(0));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(lwtest::ReadFileBytes(back->GetVideoFullPathName()), Bytes(3000, 0x42));
}

// The program reuses one document object for every New and Open: deleting its contents gives up
// the clips unpacked for it, so the next opening clears them away; folders of the user's own in
// the video folder stay.
TEST_F(ReaderFixture, DeletingTheContentsGivesUpTheUnpackedClips) {
  lwtest::TempDir dir;
  const fs::path clip = dir / "movie.flv";
  lwtest::WriteFileBytes(clip, Bytes(2000, 0x51));
  Bytes file;
  {
    CLeafwrightDoc doc;
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    auto* video = new CPageVideoObj;
    video->SetVideoFullPathName(W(clip));
    video->SetVideoObjectSize({32, 24});
    page->AddShapeObject(video);
    doc.GetRenderPagesArray().AddPage(page);
    file = WriteToBytes(doc);
    ASSERT_FALSE(file.empty());
  }
  lwtest::WriteFileBytes(clip, Bytes(10, 0x52));  // changed: unpacked on opening
  fs::create_directories(VideoFolder() / "unpacked-mine");
  lwtest::WriteFileBytes(VideoFolder() / "unpacked-mine" / "kept.flv", {1});

  OpenedDoc opened(file);
  auto* video = dynamic_cast<CBaseVideoObj*>(opened.Load(0)->GetRenderObjectList().GetAt(0));
  ASSERT_NE(video, nullptr);
  const fs::path unpacked = lw::WideToUtf8(video->GetVideoFullPathName());
  ASSERT_EQ(lwtest::ReadFileBytes(unpacked), Bytes(2000, 0x51));
  EXPECT_EQ(PagesOf(SmallDocument()), 2);
  EXPECT_TRUE(fs::exists(unpacked));  // still in use

  opened.doc->DeleteContents();  // the document object lives on, as for the next New or Open
  EXPECT_EQ(opened.doc->GetRenderPagesArray().GetCount(), 0);
  EXPECT_EQ(PagesOf(SmallDocument()), 2);
  EXPECT_FALSE(fs::exists(unpacked.parent_path()));
  EXPECT_TRUE(fs::exists(VideoFolder() / "unpacked-mine" / "kept.flv"));
}

// A picture decoded for one page is reused by the next page that shows it while anything still
// holds it, even when the first page was let go in between (as a save does with lazy pages).
TEST_F(ReaderFixture, APictureIsDecodedOnceWhileAnyoneHoldsIt) {
  CLeafwrightDoc doc;
  for (int i = 0; i < 3; ++i) {
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    page->AddShapeObject(MakeShape(0, 0, 8, 8, Vectorloom::RENDER_KIND_BITMAP, MakePicture(L"/p/same.png", 1, 2, 3)));
    doc.GetRenderPagesArray().AddPage(page);
  }
  OpenedDoc opened(WriteToBytes(doc));
  auto pictureOf = [&](int i) {
    auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(opened.Load(i)->GetRenderObjectList().GetAt(0));
    EXPECT_NE(shape, nullptr);
    return shape ? shape->GetFillDefinition().GetRenderBitmap() : nullptr;
  };
  Vectorloom::CBitmapResObj* first = pictureOf(0);
  ASSERT_NE(first, nullptr);
  ASSERT_TRUE(first->HasBitmap());
  Vectorloom::CBitmapResObjsList held;
  held.Add(first);
  opened.Page(0)->Clear();
  opened.Page(0)->SetPageContentLoaded(0);
  EXPECT_EQ(pictureOf(1), first);

  // Once nobody holds it, it is let go and the next page decodes its own.
  held.RemoveAll();
  opened.Page(1)->Clear();
  opened.Page(1)->SetPageContentLoaded(0);
  Vectorloom::CBitmapResObj* third = pictureOf(2);
  ASSERT_NE(third, nullptr);
  EXPECT_TRUE(third->HasBitmap());
}

namespace {

// Three pages: two imported PDF pages (texts on embedded fonts, the PDF's images) and between
// them a page of two pictures, one of them also on the third page.
Bytes RichDocument() {
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "in.pdf", lwtest::MakeCairoPdf(2));
  auto* pdf = new CCachePdfPageContent(W(dir / "in.pdf").c_str());
  pdf->AddRef();
  CLeafwrightDoc doc;
  for (int i = 0; i < 3; ++i) {
    auto* page = new CPageBusiPage;
    doc.GetRenderPagesArray().AddPage(page);
    if (i == 1) {
      page->SetPageContentLoaded(1);
      continue;
    }
    page->SetPageSourceContent(pdf);
    page->SetPageSourceIndex(i / 2);
    EXPECT_TRUE(page->LoadPageContent(&doc));
  }
  doc.ClearSouceContent();
  pdf->Release();
  doc.GetDrawingPage(1)->AddShapeObject(
      MakeShape(0, 0, 8, 8, Vectorloom::RENDER_KIND_BITMAP, MakePicture(L"/p/one.png", 10, 20, 30)));
  doc.GetDrawingPage(1)->AddShapeObject(
      MakeShape(9, 0, 8, 8, Vectorloom::RENDER_KIND_BITMAP, MakePicture(L"/p/two.png", 11, 21, 31)));
  doc.GetDrawingPage(2)->AddShapeObject(
      MakeShape(0, 0, 8, 8, Vectorloom::RENDER_KIND_BITMAP, MakePicture(L"/p/one.png", 10, 20, 30)));
  EXPECT_GT(doc.GetEmbedFontResManager()->GetCount(), 0);
  return WriteToBytes(doc);
}

// Every page of a document file loaded, page by page: whether its pictures show, the fonts its
// texts use (record length and flags), and its fingerprint once those fonts are numbered from 0
// (so a renamed font does not count as a change).
std::vector<std::string> LoadedPages(const Bytes& file) {
  OpenedDoc opened(file);
  std::vector<std::string> out;
  for (int i = 0; i < opened.source->GetPagesCount(); ++i) {
    CDrawingPage* page = opened.Load(i);
    std::string line;
    Vectorloom::CBitmapResObjsList pictures;
    for (CRenderBaseObj* obj : page->GetRenderObjectList()) obj->CollectExternalBmpResObjs(pictures);
    for (Vectorloom::CBitmapResObj* res : pictures) line += res->HasBitmap() ? "picture " : "no-picture ";
    std::vector<int> ids;
    CollectEmbedFontIDs(page->GetRenderObjectList(), ids);
    std::map<int, int> numbered;
    for (int id : ids) {
      const GlyphweaveLib::CEmbedFontResouce* font = opened.doc->GetEmbedFontResManager()->FindEmbedFontResource(id);
      CVariableStream record(1024);
      line += font && font->PutBinaryContent(&record) ? "font " + std::to_string(record.GetLength()) + "/" +
                                                            std::to_string(font->GetFontFlag()) + " "
                                                      : "no-font ";
      numbered.emplace(id, static_cast<int>(numbered.size()));
    }
    RemapEmbedFontIDs(page->GetRenderObjectList(), numbered);
    const LfwPageFingerprint fp = MakeLfwPageFingerprint(*page);
    line += std::to_string(fp.length) + ":" + std::to_string(fp.hash1) + ":" + std::to_string(fp.hash2);
    out.push_back(line);
  }
  return out;
}

}  // namespace

// Pages never loaded since the file was opened are copied as their stored blocks, with the file's
// pictures and fonts: the saved file is byte for byte what saving with every page loaded gives,
// and nothing was read into the document.
TEST_F(ReaderFixture, NeverLoadedPagesAreCopiedAsStored) {
  const Bytes file = RichDocument();
  ASSERT_FALSE(file.empty());

  Bytes full;
  {
    OpenedDoc opened(file);
    for (int i = 0; i < 3; ++i) opened.Load(i);
    full = WriteToBytes(*opened.doc);
  }
  ASSERT_TRUE(full == file);

  {
    OpenedDoc lazy(file);
    const Bytes copied = WriteToBytes(*lazy.doc);
    EXPECT_TRUE(copied == full);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(lazy.Page(i)->IsPageContentLoaded()) << i;
    EXPECT_EQ(lazy.doc->GetEmbedFontResManager()->GetCount(), 0);  // no page was read
  }

  // One page loaded: the others are copied, and every page reads back as before with its
  // pictures and fonts, each picture and font stored once.
  const std::vector<std::string> expected = LoadedPages(file);
  for (int loaded = 0; loaded < 3; ++loaded) {
    SCOPED_TRACE(loaded);
    OpenedDoc mixed(file);
    mixed.Load(loaded);
    EXPECT_EQ(FindStoredPagesSource(mixed.doc.get()), mixed.source);  // its fonts are the file's
    const Bytes saved = WriteToBytes(*mixed.doc);
    EXPECT_EQ(LoadedPages(saved), expected);
    EXPECT_EQ(Le32(saved, Le32(saved, 28)), Le32(file, Le32(file, 28)));  // pictures
    EXPECT_EQ(Le32(saved, Le32(saved, 40)), Le32(file, Le32(file, 40)));  // fonts
  }
}

// A copied page must name the fonts the file stored: when the document holds another font under
// one of the file's ids, or the file holds clips, the pages are loaded and written from objects.
TEST_F(ReaderFixture, NeverLoadedPagesAreLoadedWhenTheirFontsOrClipsWouldChange) {
  const Bytes file = RichDocument();
  const std::vector<std::string> expected = LoadedPages(file);
  CCacheLfwPageContent* probe = OpenBytes(file);
  probe->AddRef();
  ASSERT_GT(probe->GetStoredCount(CCacheLfwPageContent::Section::Fonts), 0u);
  const int id = static_cast<int32_t>(probe->GetStoredEntryTail(CCacheLfwPageContent::Section::Fonts, 0)[0]);
  std::vector<uint8_t> record;
  ASSERT_TRUE(probe->ReadStoredFontRecord(0, record));
  probe->Release();
  GlyphweaveLib::CEmbedFontResouce theirs;
  ASSERT_TRUE(theirs.SetByBinaryContent(record.data(), static_cast<unsigned>(record.size())));

  // Another font under the file's id: the pages are loaded for the save, their font is renamed,
  // and they read back on the file's font.
  auto* into = new CLeafwrightDoc;
  GlyphweaveLib::CEmbedFontResouce other(theirs);
  other.SetFontID(id);
  other.SetFontFlag(theirs.GetFontFlag() ^ 0x1000);
  into->GetEmbedFontResManager()->AddEmbedFontResouce(new GlyphweaveLib::CEmbedFontResouce(other));
  {
    OpenedDoc opened(file, into);
    EXPECT_EQ(FindStoredPagesSource(opened.doc.get()), nullptr);
    EXPECT_EQ(LoadedPages(WriteToBytes(*opened.doc)), expected);
  }

  // The same font under the same id changes nothing: the pages are copied.
  auto* same = new CLeafwrightDoc;
  same->GetEmbedFontResManager()->AddEmbedFontResouce(new GlyphweaveLib::CEmbedFontResouce(theirs));
  {
    OpenedDoc opened(file, same);
    EXPECT_EQ(FindStoredPagesSource(opened.doc.get()), opened.source);
    EXPECT_EQ(LoadedPages(WriteToBytes(*opened.doc)), expected);
  }

  // A clip whose file is gone lives on only in the document: the page is loaded for the save so
  // that the clip is carried into the new file.
  lwtest::TempDir dir;
  const fs::path clip = dir / "gone.avi";
  const Bytes clipBytes(2000, 9);
  lwtest::WriteFileBytes(clip, clipBytes);
  Bytes withClip;
  {
    CLeafwrightDoc doc;
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    auto* video = new CPageVideoObj;
    video->SetVideoFullPathName(W(clip));
    video->SetVideoObjectSize({64, 48});
    page->AddShapeObject(video);
    doc.GetRenderPagesArray().AddPage(page);
    withClip = WriteToBytes(doc);
  }
  fs::remove(clip);
  Bytes resaved;
  {
    OpenedDoc opened(withClip);
    EXPECT_EQ(FindStoredPagesSource(opened.doc.get()), nullptr);
    resaved = WriteToBytes(*opened.doc);
  }
  OpenedDoc back(resaved);
  auto* video = dynamic_cast<CBaseVideoObj*>(back.Load(0)->GetRenderObjectList().GetAt(0));
  ASSERT_NE(video, nullptr);
  EXPECT_EQ(lwtest::ReadFileBytes(lw::WideToUtf8(video->GetVideoFullPathName())), clipBytes);
}

namespace {

using Section = CCacheLfwPageContent::Section;

// Copies one section of an opened file block by block (packed bytes as stored, the index entries'
// own words as stored), but for the blocks given new raw bytes.
class CCopiedSectionWriter : public CZipSavingInterface {
 public:
  CCopiedSectionWriter(const char* tag, CCacheLfwPageContent* source, Section section, unsigned entrySize,
                       std::map<unsigned, Bytes> replaced)
      : CZipSavingInterface(tag), m_source(source), m_section(section), m_entrySize(entrySize),
        m_replaced(std::move(replaced)) {}
  unsigned GetBlocksCount() const override { return m_source->GetStoredCount(m_section); }
  bool SavingIndexs(CFile* file) const override {
    lw::bin::WriteU32(*file, GetBlocksCount());
    for (unsigned i = 0; i < GetBlocksCount(); ++i) {
      Bytes entry(m_entrySize, 0);
      const uint32_t* tail = m_source->GetStoredEntryTail(m_section, i);
      for (unsigned k = 0; k < (m_entrySize - 12) / 4; ++k) PutLe32(entry, 12 + 4 * k, tail[k]);
      file->Write(entry.data(), m_entrySize);
    }
    return true;
  }
  bool GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& raw) override {
    if (m_replaced.count(static_cast<unsigned>(index))) return false;
    return m_source->ReadStoredBlock(m_section, static_cast<unsigned>(index), packed, raw);
  }
  unsigned char* MakeBlockContent(int index, unsigned long& raw, const CString&, const CString&) override {
    const Bytes& b = m_replaced.at(static_cast<unsigned>(index));
    auto* p = static_cast<unsigned char*>(std::malloc(b.size() + 1));
    if (!b.empty()) std::memcpy(p, b.data(), b.size());
    raw = b.size();
    return p;
  }

 private:
  CCacheLfwPageContent* m_source;
  Section m_section;
  unsigned m_entrySize;
  std::map<unsigned, Bytes> m_replaced;
};

// The file again with some picture and font blocks replaced by the given raw bytes.
Bytes WithBlocksReplaced(const Bytes& file, std::map<unsigned, Bytes> pictures, std::map<unsigned, Bytes> fonts) {
  CCacheLfwPageContent* source = OpenBytes(file);
  source->AddRef();
  CMemFile mem(1024);
  WriteLfwFileHeader(mem);
  CCopiedSectionWriter pages("Page", source, Section::Pages, kLfwPageEntrySize, {});
  CCopiedSectionWriter dibs("Dibs", source, Section::Pictures, kLfwDibsEntrySize, std::move(pictures));
  CCopiedSectionWriter fontWriter("Font", source, Section::Fonts, kLfwFontEntrySize, std::move(fonts));
  CVideoFilePathsMap noClips;
  CDeflateSavingVideos clips(noClips);
  CZipSavingInterface* const writers[] = {&pages, &dibs, &fontWriter};
  for (CZipSavingInterface* w : writers) w->SavingBlockTag(&mem);
  clips.SavingBlockTag(&mem);
  for (CZipSavingInterface* w : writers) EXPECT_TRUE(w->SavingBlocks(&mem, L"2000", L"2010", nullptr));
  EXPECT_TRUE(clips.SavingBlocks(&mem, L"2000", L"2010", nullptr));
  source->Release();
  return Bytes(mem.GetBufferPtr(), mem.GetBufferPtr() + mem.GetLength());
}

// One PNG chunk: length, type, data, checksum over type and data.
void PutPngChunk(Bytes& b, const char* type, const Bytes& data) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(data.size() >> s));
  const size_t start = b.size();
  b.insert(b.end(), type, type + 4);
  b.insert(b.end(), data.begin(), data.end());
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = start; i < b.size(); ++i) {
    crc ^= b[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc ^= 0xFFFFFFFFu;
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(crc >> s));
}

// A PNG file declaring w x h pixels of 8-bit RGB whose image data is 100 bytes of nothing.
Bytes PngHeader(uint32_t w, uint32_t h) {
  Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes header;
  for (uint32_t v : {w, h})
    for (int s = 24; s >= 0; s -= 8) header.push_back(static_cast<uint8_t>(v >> s));
  for (uint8_t v : {8, 2, 0, 0, 0}) header.push_back(v);
  PutPngChunk(b, "IHDR", header);
  PutPngChunk(b, "IDAT", Bytes(100, 0));
  PutPngChunk(b, "IEND", {});
  return b;
}

// The pages of a file loaded one by one into a document; what they left out, as told.
std::wstring LeftOutWhenLoaded(const Bytes& file) {
  OpenedDoc opened(file);
  for (int i = 0; i < opened.source->GetPagesCount(); ++i) opened.Load(i);
  return Quirebook::ComposeDroppedItemsMessage(opened.doc->TakeDroppedItems());
}

}  // namespace

// A picture or font of the file that cannot be read leaves its page readable, and each is named
// in what the open tells: the picture's declared size when it was refused as too large.
TEST_F(ReaderFixture, PicturesAndFontsThatCannotBeReadAreTold) {
  const Bytes file = RichDocument();
  ASSERT_EQ(LeftOutWhenLoaded(file), L"");

  // Which stored picture is /p/one.png (size 10; pages 2 and 3) and which /p/two.png (size 11,
  // page 2 only).
  CCacheLfwPageContent* probe = OpenBytes(file);
  probe->AddRef();
  unsigned one = ~0u, two = ~0u;
  for (unsigned i = 0; i < probe->GetStoredCount(Section::Pictures); ++i) {
    const uint32_t size = probe->GetStoredEntryTail(Section::Pictures, i)[1];
    if (size == 10) one = i;
    if (size == 11) two = i;
  }
  ASSERT_TRUE(one != ~0u && two != ~0u);
  ASSERT_GT(probe->GetStoredCount(Section::Fonts), 0u);
  std::vector<uint8_t> font;
  ASSERT_TRUE(probe->ReadStoredFontRecord(0, font));
  probe->Release();
  const size_t namesCount = 4 + 4 + 6 * 4 + 4 + 4 * 4 + 5 * GlyphweaveLib::CEmbedFontResouce::kStringSize + 4 + 4;
  ASSERT_GT(font.size(), namesCount + 4);
  const auto withCount = [&](size_t at, uint32_t count) {
    Bytes b = font;
    PutLe32(b, at, count);
    return b;
  };

  const struct {
    const char* name;
    std::map<unsigned, Bytes> pictures, fonts;
    std::wstring told;
  } cases[] = {
      {"picture over the size cap",
       {{one, PngHeader(60000, 60000)}},
       {},
       L"Page 2: an image of 60,000 x 60,000 pixels was left out\n"
       L"Page 3: an image of 60,000 x 60,000 pixels was left out"},
      {"picture of other bytes",
       {{two, Bytes(300, 0x5A)}},
       {},
       L"Page 2: a picture that cannot be read was left out"},
      {"picture cut after its header", {{two, [] { Bytes b = PngHeader(40, 40); b.resize(40); return b; }()}}, {},
       L"Page 2: a picture that cannot be read was left out"},
      {"font with a code name count past its slots", {}, {{0, withCount(namesCount, 0x7FFFFFFF)}},
       L"Page 1: a font that cannot be read was left out\nPage 3: a font that cannot be read was left out"},
      {"font with a negative code name count", {}, {{0, withCount(namesCount, 0xFFFFFFFF)}},
       L"Page 1: a font that cannot be read was left out\nPage 3: a font that cannot be read was left out"},
  };
  for (const auto& c : cases) {
    const Bytes damaged = WithBlocksReplaced(file, c.pictures, c.fonts);
    EXPECT_EQ(LeftOutWhenLoaded(damaged), c.told) << c.name;
    // Every page still opens with all its objects.
    OpenedDoc opened(damaged), intact(file);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(opened.Load(i)->GetRenderObjectList().GetCount(), intact.Load(i)->GetRenderObjectList().GetCount())
          << c.name << " page " << i + 1;
  }
}

// The declared size of each kind of picture file, from its header alone.
TEST(PictureHeaders, DeclaredSizesAreReadFromTheHeaderAlone) {
  const Bytes png = PngHeader(60000, 123);
  const Bytes gif = {'G', 'I', 'F', '8', '9', 'a', 0x10, 0x27, 0x05, 0x00};
  Bytes bmp(54, 0);
  bmp[0] = 'B', bmp[1] = 'M';
  PutLe32(bmp, 14, 40);
  PutLe32(bmp, 18, 70000);
  PutLe32(bmp, 22, static_cast<uint32_t>(-300));  // top-down rows
  const Bytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x4A, 0x46, 0xFF, 0xC2, 0x00, 0x11,
                      0x08, 0xEA, 0x60, 0x03, 0xE8, 0x03};
  const struct {
    const char* name;
    Bytes bytes;
    bool known;
    uint32_t w, h;
  } cases[] = {
      {"png", png, true, 60000, 123},
      {"png cut in its header", Bytes(png.begin(), png.begin() + 23), false, 0, 0},
      {"gif", gif, true, 10000, 5},
      {"bmp", bmp, true, 70000, 300},
      {"progressive jpeg behind an app segment", jpeg, true, 1000, 60000},
      {"jpeg cut in its frame header", Bytes(jpeg.begin(), jpeg.end() - 2), false, 0, 0},
      {"jpeg whose segment runs past the end", {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 0, 0}, false, 0, 0},
      {"other bytes", Bytes(64, 0x42), false, 0, 0},
      {"nothing", {}, false, 0, 0},
  };
  for (const auto& c : cases) {
    // Exactly the bytes, so that a read past them is caught by the sanitizer.
    std::vector<uint8_t> copy(c.bytes);
    uint32_t w = 0, h = 0;
    EXPECT_EQ(PeekPictureSize(copy.data(), copy.size(), &w, &h), c.known) << c.name;
    if (c.known) EXPECT_EQ(std::make_pair(w, h), std::make_pair(c.w, c.h)) << c.name;
  }
}
