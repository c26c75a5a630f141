// A whole document written through the section writers and read back through the page content
// source: pages, objects at every depth, shared pictures, embedded fonts and video clips.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <functional>
#include <string>

#include <quirebook/PdfPageParser.h>
#include <quirebook/VideoObj.h>
#include <zlib.h>

#include "FinishLoadedObjects.h"
#include "LeafwrightDoc.h"
#include "LfdExtract.h"
#include "LfwTestKit.h"
#include "PageBusiPage.h"
#include "PageGroupObj.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"
#include "PdfFixtures.h"

using namespace lfwtest;
using Vectorloom::CRenderBaseObj;
using Vectorloom::CRenderBaseObjectList;

namespace {

bool HaveFfmpeg() { return std::system("ffmpeg -v quiet -version > /dev/null 2>&1") == 0; }

// A short FLV clip made by ffmpeg.
fs::path MakeClip(const fs::path& dir) {
  const fs::path clip = dir / "clip one.flv";
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i color=c=blue:size=64x48:rate=10:duration=1 -c:v flv '" +
                          clip.string() + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  return clip;
}

CPageVideoObj* MakeVideo(const fs::path& clip, float x, float y) {
  auto* video = new CPageVideoObj;
  video->SetVideoFullPathName(W(clip));
  video->SetVideoObjectSize({64, 48});
  video->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), false);
  EXPECT_TRUE(Quirebook::SetVideoPoster(video));
  return video;
}

// One line per object, depth first: type, name, fill kind, characters of texts, clip of videos.
void Describe(const CRenderBaseObjectList& list, std::string& out, int depth = 0) {
  for (CRenderBaseObj* obj : list) {
    out += std::string(static_cast<size_t>(depth) * 2, ' ') + std::to_string(obj->GetObjectType()) + " " +
           lw::WideToUtf8(obj->GetObjectName().GetString());
    if (auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(obj))
      out += " fill " + std::to_string(shape->GetFillKind()) + " stroke " + std::to_string(shape->GetStrokeWidth());
    if (auto* text = dynamic_cast<CDDrawTextObj*>(obj)) out += " \"" + lw::WideToUtf8(text->GetCharacters(0, -1)) + "\"";
    if (auto* video = dynamic_cast<CBaseVideoObj*>(obj)) out += " " + lw::WideToUtf8(video->GetVideoFullPathName());
    out += "\n";
    if (obj->IsGroupObject()) Describe(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), out, depth + 1);
  }
}

std::string Describe(CDrawingPage* page) {
  std::string out = std::to_string(page->GetLogWidth()) + "x" + std::to_string(page->GetLogHeight()) + " unit " +
                    std::to_string(page->GetPageLogUnit()) + " flags " + std::to_string(page->GetPageFlags()) + "\n";
  Describe(page->GetRenderObjectList(), out);
  return out;
}

template <class T>
std::vector<T*> FindAll(const CRenderBaseObjectList& list) {
  std::vector<T*> out;
  Vectorloom::WalkRenderObjects(list, [&](CRenderBaseObj* obj) {
    if (auto* t = dynamic_cast<T*>(obj)) out.push_back(t);
  });
  return out;
}

Vectorloom::CBitmapResObj* FillPicture(CRenderBaseObj* obj) {
  auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(obj);
  return shape ? shape->GetFillDefinition().GetRenderBitmap() : nullptr;
}

bool HasGlyphs(CDDrawTextObj* text) {
  for (const auto& ch : text->GetArrayOfTextCharacters())
    if (ch.GetCharGlyphPath()) return true;
  return false;
}

// The document of the round trip. Page 1 (inches): shapes of every fill kind, the first picture,
// a group of a text, a shape and a video. Page 2 (centimetres): the first picture again (another
// resource with the same path, size and time), the second picture and the video. Page 3 (points):
// an imported PDF page, loaded. Page 4: another PDF page, still lazy.
struct BuiltDoc {
  BuiltDoc() {
    TestHome();
    lwtest::WriteFileBytes(dir / "in.pdf", lwtest::MakeCairoPdf(2));
    pdf = new CCachePdfPageContent(W(dir / "in.pdf").c_str());
    pdf->AddRef();
    clip = MakeClip(dir.path());

    auto* page1 = new CPageBusiPage;
    auto* page2 = new CPageBusiPage;
    auto* page3 = new CPageBusiPage;
    auto* page4 = new CPageBusiPage;
    for (CPageBusiPage* p : {page1, page2, page3, page4}) doc.GetRenderPagesArray().AddPage(p);
    page1->SetPageContentLoaded(1);
    page2->SetPageContentLoaded(1);
    page2->SetPageLogUnit(Vectorloom::UNIT_CENTIMETER);
    page2->SetLogWidth(21.0f);
    page2->SetLogHeight(29.7f);
    page2->SetPageFlags(0x10);
    page3->SetPageSourceContent(pdf);
    page3->SetPageSourceIndex(0);
    page4->SetPageSourceContent(pdf);
    page4->SetPageSourceIndex(1);
    EXPECT_TRUE(page3->LoadPageContent(&doc));

    auto* pictureA = MakePicture(L"/pictures/a.png", 1234, 1700000000, 10);
    auto* pictureA2 = MakePicture(L"/pictures/a.png", 1234, 1700000000, 10);
    auto* pictureB = MakePicture(L"/pictures/b \u00e9t\u00e9.png", 99, -5, 200);

    const int kinds[] = {Vectorloom::RENDER_KIND_NONE, Vectorloom::RENDER_KIND_SOLID, Vectorloom::RENDER_KIND_GRADIENT,
                         Vectorloom::RENDER_KIND_BITMAP};
    float x = 10;
    for (int kind : kinds) {
      CPageShapeObj* shape = MakeShape(x, 20, 90, 60, kind, pictureA);
      shape->SetObjectName(CString(L"Shape-") + CString(std::to_wstring(kind).c_str()));
      page1->AddShapeObject(shape);
      x += 100;
    }
    auto* group = new CPageGroupObj;
    group->SetObjectName(L"Group-1");
    CDDrawTextObj* imported = FindAll<CDDrawTextObj>(page3->GetRenderObjectList()).at(0);
    CRenderBaseObj* text = imported->Clone();
    text->SetObjectName(L"Text-1");
    group->AddChild(text);
    group->AddChild(MakeShape(20, 300, 40, 40, Vectorloom::RENDER_KIND_SOLID));
    group->AddChild(MakeVideo(clip, 100, 300));
    page1->AddShapeObject(group);

    page2->AddShapeObject(MakeShape(5, 5, 50, 50, Vectorloom::RENDER_KIND_BITMAP, pictureA2));
    page2->AddShapeObject(MakeShape(70, 5, 50, 50, Vectorloom::RENDER_KIND_BITMAP, pictureB));
    page2->AddShapeObject(MakeVideo(clip, 200, 200));
  }
  ~BuiltDoc() {
    doc.GetRenderPagesArray().RemoveAllPages();
    pdf->Release();
  }

  lwtest::TempDir dir;
  CLeafwrightDoc doc;
  CCachePdfPageContent* pdf = nullptr;
  fs::path clip;
};

Bytes Unpack(const Bytes& file, uint32_t pos, uint32_t raw, uint32_t packed) {
  Bytes out(raw);
  uLongf len = raw;
  EXPECT_EQ(uncompress(out.data(), &len, file.data() + pos, packed), Z_OK);
  EXPECT_EQ(len, raw);
  return out;
}

}  // namespace

TEST(LfwRoundTrip, WholeDocumentWritesReadsBackAndWritesTheSameBytes) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  BuiltDoc built;
  const Bytes file = WriteToBytes(built.doc);
  ASSERT_FALSE(file.empty());

  // The lazy PDF page was read for the save and let go again.
  EXPECT_FALSE(built.doc.GetDrawingPage(3)->IsPageContentLoaded());
  EXPECT_EQ(built.doc.GetDrawingPage(3)->GetRenderObjectList().GetCount(), 0);

  // Header and section headers.
  ASSERT_GE(file.size(), 60u);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 12), "QLFW20002010");
  const char* tags[4] = {"Page", "Dibs", "Font", "avst"};
  uint32_t expectedPos = 60;
  uint32_t indexPos[4];
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(std::string(file.begin() + 12 + 12 * s, file.begin() + 16 + 12 * s), tags[s]);
    indexPos[s] = Le32(file, 16 + 12 * s);
    EXPECT_EQ(indexPos[s], expectedPos) << tags[s];
    expectedPos = indexPos[s] + Le32(file, 20 + 12 * s);
  }
  EXPECT_EQ(expectedPos, file.size());

  // Page index: 4 entries of 12 bytes, blocks right behind the index, one after another.
  ASSERT_EQ(Le32(file, 60), 4u);
  uint32_t next = 60 + 4 + 4 * 12;
  for (int i = 0; i < 4; ++i) {
    const size_t e = 64 + 12 * i;
    EXPECT_EQ(Le32(file, e), next) << "page " << i;
    const Bytes block = Unpack(file, Le32(file, e), Le32(file, e + 4), Le32(file, e + 8));
    ASSERT_GE(block.size(), 20u);
    const uint32_t units[4] = {0, 1, 4, 4};
    EXPECT_EQ(Le32(block, 8), units[i]) << "page " << i;
    next += Le32(file, e + 8);
  }
  // Pictures: a.png once (shared by pages 1 and 2), b.png, and the PDF pages' images.
  const uint32_t dibs = indexPos[1];
  const uint32_t pictures = Le32(file, dibs);
  EXPECT_GE(pictures, 3u);
  std::vector<std::string> paths;
  for (uint32_t i = 0; i < pictures; ++i) {
    const size_t e = dibs + 4 + 548 * static_cast<size_t>(i);
    uint8_t field[520];
    std::copy(file.begin() + e + 28, file.begin() + e + 548, field);
    paths.push_back(lw::WideToUtf8(DecodeLfwPathField(field).GetString()));
    if (paths.back() == "/pictures/a.png") {
      EXPECT_EQ(Le32(file, e + 16), 1234u);
      EXPECT_EQ(Le32(file, e + 20), 1700000000u);
      EXPECT_EQ(Le32(file, e + 24), 0u);
    }
  }
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "/pictures/a.png"), 1);
  EXPECT_EQ(std::count(paths.begin(), paths.end(), "/pictures/b \xc3\xa9t\xc3\xa9.png"), 1);
  // Fonts: one 16-byte entry per font of the document, carrying its id.
  const uint32_t fontIndex = indexPos[2];
  const auto* fonts = built.doc.GetEmbedFontResManager();
  ASSERT_EQ(Le32(file, fontIndex), static_cast<uint32_t>(fonts->GetCount()));
  ASSERT_GT(fonts->GetCount(), 0);
  for (int i = 0; i < fonts->GetCount(); ++i)
    EXPECT_EQ(static_cast<int>(Le32(file, fontIndex + 4 + 16 * i + 12)), fonts->GetAt(i)->GetFontID());
  // Videos: the one clip, used twice, stored once.
  EXPECT_EQ(Le32(file, indexPos[3]), 1u);

  // Read back.
  OpenedDoc opened(file);
  ASSERT_EQ(opened.source->GetPagesCount(), 4);
  EXPECT_TRUE(opened.source->GetFirstVersion() == L"2000");
  EXPECT_TRUE(opened.source->GetSecondVersion() == L"2010");
  ASSERT_TRUE(built.doc.GetDrawingPage(3)->LoadPageContent(&built.doc));
  for (int i = 0; i < 4; ++i) {
    CDrawingPage* page = opened.Load(i);
    EXPECT_EQ(Describe(page), Describe(built.doc.GetDrawingPage(i))) << "page " << i + 1;
  }

  // The app's classes are made, texts inside groups have glyphs.
  CDrawingPage* page1 = opened.Page(0);
  auto* group = dynamic_cast<CPageGroupObj*>(page1->GetRenderObjectList().GetAt(4));
  ASSERT_NE(group, nullptr);
  auto* groupedText = dynamic_cast<CPageTextObj*>(group->GetChildList().GetAt(0));
  ASSERT_NE(groupedText, nullptr);
  EXPECT_TRUE(HasGlyphs(groupedText));
  EXPECT_NE(dynamic_cast<CPageVideoObj*>(group->GetChildList().GetAt(2)), nullptr);

  // The picture of pages 1 and 2 is decoded once and shared.
  Vectorloom::CBitmapResObj* a1 = FillPicture(page1->GetRenderObjectList().GetAt(3));
  Vectorloom::CBitmapResObj* a2 = FillPicture(opened.Page(1)->GetRenderObjectList().GetAt(0));
  Vectorloom::CBitmapResObj* b = FillPicture(opened.Page(1)->GetRenderObjectList().GetAt(1));
  ASSERT_TRUE(a1 && a2 && b);
  EXPECT_EQ(a1, a2);
  ASSERT_TRUE(a1->HasBitmap() && b->HasBitmap());
  Gdiplus::Color c;
  ASSERT_EQ(a1->GetGdiBitmap()->GetPixel(2, 1, &c), Gdiplus::Ok);
  EXPECT_EQ(c.GetValue(), Gdiplus::Color(255, 80, 60, 10).GetValue());
  ASSERT_EQ(b->GetGdiBitmap()->GetPixel(4, 2, &c), Gdiplus::Ok);
  EXPECT_EQ(c.GetValue(), Gdiplus::Color(255, 160, 120, 200).GetValue());

  // Fonts: the same set, and every text's font is known to the document.
  EXPECT_EQ(opened.doc->GetEmbedFontResManager()->GetCount(), fonts->GetCount());
  for (int i = 0; i < 4; ++i) {
    std::vector<int> ids;
    CollectEmbedFontIDs(opened.Page(i)->GetRenderObjectList(), ids);
    for (int id : ids) EXPECT_NE(opened.doc->GetEmbedFontResManager()->FindEmbedFontResource(id), nullptr);
  }

  // The clip was unchanged, so it is played in place.
  for (CBaseVideoObj* video : FindAll<CBaseVideoObj>(opened.Page(1)->GetRenderObjectList()))
    EXPECT_EQ(video->GetVideoFullPathName(), W(built.clip));

  // Writing the read document again gives the same file.
  const Bytes again = WriteToBytes(*opened.doc);
  EXPECT_EQ(again.size(), file.size());
  EXPECT_TRUE(again == file);
}

// ---------------------------------------------------------------------------------------------
// Extracted page files

namespace {

Bytes ExtractToBytes(CLeafwrightDoc& doc, const std::vector<int>& pages, CString* error = nullptr) {
  CMemFile mem(1024);
  CString why;
  const bool ok = WriteExtractedPages(&doc, pages, mem, nullptr, &why);
  if (error) *error = why;
  if (!ok) return {};
  return Bytes(mem.GetBufferPtr(), mem.GetBufferPtr() + mem.GetLength());
}

std::vector<int> FontIdsOfPages(CPublicationDoc& doc, const std::vector<int>& pages) {
  std::vector<int> ids;
  for (int i : pages) {
    EXPECT_TRUE(doc.GetDrawingPage(i)->LoadPageContent(&doc));
    CollectEmbedFontIDs(doc.GetDrawingPage(i)->GetRenderObjectList(), ids);
  }
  std::sort(ids.begin(), ids.end());
  ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
  return ids;
}

}  // namespace

// Pages 3 and 4 (read from a PDF, no clips): "EPDF" with three sections, the two pages, only the
// fonts they use, each once; the document file reader opens it and every text finds its font.
TEST(LfdExtract, ChosenPagesWithTheirFontsOnlyAndTheReaderOpensTheFile) {
  BuiltDoc built;
  const std::vector<int> chosen = {2, 3};
  const int documentFonts = built.doc.GetEmbedFontResManager()->GetCount();
  const Bytes file = ExtractToBytes(built.doc, chosen);
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(std::string(file.begin(), file.begin() + 12), "EPDF20002010");
  const char* tags[3] = {"Page", "Dibs", "Font"};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(std::string(file.begin() + 12 + 12 * i, file.begin() + 16 + 12 * i), tags[i]);
  EXPECT_EQ(Le32(file, 16), 48u);  // the page section follows the three headers
  EXPECT_EQ(Le32(file, 48), 2u);   // two pages

  const std::vector<int> used = FontIdsOfPages(built.doc, chosen);
  ASSERT_FALSE(used.empty());
  const uint32_t fontIndex = Le32(file, 40);
  ASSERT_EQ(Le32(file, fontIndex), static_cast<uint32_t>(used.size()));
  for (size_t i = 0; i < used.size(); ++i)
    EXPECT_EQ(static_cast<int>(Le32(file, fontIndex + 4 + 16 * i + 12)), used[i]);
  // The document's own fonts are all still there.
  EXPECT_EQ(built.doc.GetEmbedFontResManager()->GetCount(), documentFonts);

  OpenedDoc opened(file);
  ASSERT_EQ(opened.source->GetPagesCount(), 2);
  for (int i = 0; i < 2; ++i) {
    CDrawingPage* page = opened.Load(i);
    EXPECT_EQ(Describe(page), Describe(built.doc.GetDrawingPage(chosen[static_cast<size_t>(i)]))) << "page " << i + 1;
    std::vector<int> ids;
    CollectEmbedFontIDs(page->GetRenderObjectList(), ids);
    for (int id : ids) EXPECT_NE(opened.doc->GetEmbedFontResManager()->FindEmbedFontResource(id), nullptr);
  }
}

// A page with a video object keeps its clip: the file then carries the clips section too.
TEST(LfdExtract, PagesWithVideoObjectsCarryTheirClips) {
  if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  BuiltDoc built;
  const Bytes file = ExtractToBytes(built.doc, {1});
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(std::string(file.begin() + 48, file.begin() + 52), "avst");
  EXPECT_EQ(Le32(file, Le32(file, 52)), 1u);  // one clip
  // The clip moved away from where it was recorded: it is unpacked from the page file.
  const fs::path moved = built.dir / "moved.flv";
  fs::rename(built.clip, moved);
  OpenedDoc opened(file);
  ASSERT_EQ(opened.source->GetPagesCount(), 1);
  CDrawingPage* page = opened.Load(0);
  const auto videos = FindAll<CBaseVideoObj>(page->GetRenderObjectList());
  ASSERT_EQ(videos.size(), 1u);
  const std::string unpacked = lw::WideToUtf8(videos[0]->GetVideoFullPathName());
  EXPECT_TRUE(fs::exists(unpacked)) << unpacked;
  EXPECT_EQ(fs::file_size(unpacked), fs::file_size(moved));
}

TEST(LfdExtract, AnEmptyOrOutOfRangePageListWritesNothing) {
  BuiltDoc built;
  for (const std::vector<int>& pages : {std::vector<int>{}, std::vector<int>{4}, std::vector<int>{-1}}) {
    CString error;
    EXPECT_TRUE(ExtractToBytes(built.doc, pages, &error).empty());
    EXPECT_FALSE(error.IsEmpty());
  }
}

TEST(LfdExtract, FileNameIsTheFirstFreeOne) {
  static std::set<std::wstring> taken;
  auto exists = [](const CString& p) { return taken.count(p.GetString()) > 0; };
  struct Case {
    const wchar_t* doc;
    std::vector<const wchar_t*> present;
    const wchar_t* expected;
  } cases[] = {
      {L"/d/report.lfw", {}, L"/d/Pages From report.lfd"},
      {L"/d/report.lfw", {L"/d/Pages From report.lfd"}, L"/d/Pages From report1.lfd"},
      {L"/d/report.lfw", {L"/d/Pages From report.lfd", L"/d/Pages From report1.lfd"}, L"/d/Pages From report2.lfd"},
      {L"", {}, L"/cwd/Pages From untitled.lfd"},
      {L"C:\\docs\\my.book.pdf", {}, L"C:\\docs/Pages From my.book.lfd"},
      {L"noslash.lfw", {}, L"/cwd/Pages From noslash.lfd"},
  };
  for (const Case& c : cases) {
    taken.clear();
    for (const wchar_t* p : c.present) taken.insert(p);
    EXPECT_EQ(std::wstring(ChooseExtractFileName(c.doc, L"/cwd", exists).GetString()), c.expected) << c.doc;
  }
}

// A damaged page file is refused or read as far as it is sound; never read past its end.
TEST(LfdExtract, DamagedPageFilesAreRefusedSafely) {
  BuiltDoc built;
  const Bytes good = ExtractToBytes(built.doc, {2});
  ASSERT_FALSE(good.empty());
  std::vector<Bytes> bad;
  for (size_t n : {size_t{0}, size_t{4}, size_t{12}, size_t{47}, size_t{48}, size_t{59}, size_t{60}, good.size() / 2,
                   good.size() - 1})
    bad.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(std::min(n, good.size())));
  // The fourth header claims clips; the page section claims to start inside the headers; a
  // section runs past the end.
  Bytes clipsClaimed = good;
  std::copy_n("avst", 4, clipsClaimed.begin() + 48);
  bad.push_back(clipsClaimed);
  Bytes early = good;
  PutLe32(early, 16, 20);
  bad.push_back(early);
  Bytes longSection = good;
  PutLe32(longSection, 20, 0x7FFFFFFF);
  bad.push_back(longSection);
  Bytes wrongTag = good;
  std::copy_n("Font", 4, wrongTag.begin() + 24);
  bad.push_back(wrongTag);
  for (const Bytes& b : bad) {
    OpenedDoc opened(b);
    for (int i = 0; i < opened.source->GetPagesCount(); ++i) opened.Page(i)->LoadPageContent(opened.doc.get());
  }
  OpenedDoc sound(good);
  EXPECT_EQ(sound.source->GetPagesCount(), 1);
}
