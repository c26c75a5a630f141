// The clipboard's object, picture and font parts: the "Objs" block, a whole copy and paste in the
// clipboard stream framing, pasted names, pictures, font collisions, damaged parts and the order
// in which a paste is finished.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <glyphweave/CharacterGlyphRes.h>
#include <quirebook/ZipSections.h>

#include "ClipboardParts.h"
#include "ClipboardStream.h"
#include "DocTestKit.h"
#include "FinishLoadedObjects.h"
#include "LeafwrightDoc.h"
#include "LfwSections.h"
#include "LfwTestKit.h"
#include "PageBusiPage.h"
#include "PageGroupObj.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"
#include "PdfFixtures.h"

using namespace Vectorloom;
using doctest::AppendU32;
using doctest::Bytes;
using doctest::DescribeTree;
using doctest::FileBytes;
using doctest::Ref;

namespace {

const CString kV1(L"2000"), kV2(L"2010");

Bytes Unpack(const Bytes& packed, size_t rawLength) {
  Bytes raw(rawLength);
  uLongf n = static_cast<uLongf>(rawLength);
  EXPECT_EQ(uncompress(raw.data(), &n, packed.data(), static_cast<uLong>(packed.size())), Z_OK);
  raw.resize(n);
  return raw;
}

// Writes one section at the start of a memory file.
Bytes WriteSection(CZipSavingInterface& writer) {
  CMemFile f;
  EXPECT_TRUE(writer.SavingBlockTag(&f));
  EXPECT_TRUE(writer.SavingBlocks(&f, kV1, kV2, nullptr));
  return FileBytes(f);
}

// A writer of given blocks whose entries carry given tails.
class CRawWriter : public CZipSavingInterface {
 public:
  CRawWriter(const char* tag, std::vector<Bytes> blocks, std::vector<Bytes> tails)
      : CZipSavingInterface(tag), m_blocks(std::move(blocks)), m_tails(std::move(tails)) {}
  unsigned GetBlocksCount() const override { return static_cast<unsigned>(m_blocks.size()); }
  bool SavingIndexs(CFile* file) const override {
    lw::bin::WriteU32(*file, GetBlocksCount());
    for (size_t i = 0; i < m_blocks.size(); ++i) {
      for (int k = 0; k < 3; ++k) lw::bin::WriteU32(*file, 0);
      if (i < m_tails.size()) lw::bin::WriteBytes(*file, m_tails[i].data(), m_tails[i].size());
    }
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
  std::vector<Bytes> m_tails;
};

// The 536 tail bytes of a "Dibs" entry.
Bytes DibsTail(const wchar_t* path, uint32_t size, int64_t time) {
  Bytes t;
  AppendU32(t, 1);
  AppendU32(t, size);
  AppendU32(t, static_cast<uint32_t>(time));
  AppendU32(t, static_cast<uint32_t>(static_cast<uint64_t>(time) >> 32));
  uint8_t field[kLfwPathUnits * 2];
  EncodeLfwPathField(CString(path), field);
  t.insert(t.end(), field, field + sizeof field);
  return t;
}

Bytes PngOf(CBitmapResObj& picture) {
  std::vector<uint8_t> png;
  EXPECT_TRUE(EncodePictureAsPng(picture, png));
  return png;
}

// The parts of a copy in the clipboard stream framing: "EPDF" "2000" "2010", the three section
// headers "Objs", "Dibs", "Font", then the three sections.
Bytes CopyToStream(const CRenderBaseObjectList& objects, CPublicationDoc& from) {
  Bytes out;
  EXPECT_TRUE(WriteClipboardStream(objects, from, out));
  return out;
}

struct PasteResult {
  bool ok = false;
  CRenderBaseObjectList objects;
  int skippedPictures = 0;
};

// Reads a clipboard stream as the paste command does and finishes it in the safe order.
PasteResult PasteFromStream(Bytes bytes, CPublicationDoc& into) {
  PasteResult r;
  r.ok = ReadClipboardStream(bytes.data(), bytes.size(), into, r.objects, &r.skippedPictures);
  return r;
}

// A font whose program is the installed Liberation Sans, so its glyphs can be built.
GlyphweaveLib::CEmbedFontResouce* MakeRealFont(int id) {
  std::ifstream in(lwtest::LiberationSansPath(), std::ios::binary);
  std::vector<unsigned char> program((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_FALSE(program.empty());
  auto* res = new GlyphweaveLib::CEmbedFontResouce();
  res->SetFontID(id);
  res->SetFontType("TrueType");
  res->SetEmbedFontFlag(0);
  GlyphweaveLib::CPdfEmbedFontDesc desc;
  desc.SetFontName("LiberationSans");
  desc.m_nHintingWord = 1;
  desc.m_vProgram = program;
  res->SetEmbedPdfFontContent(&desc);
  return res;
}

CPageTextObj* TextIn(CRenderBaseObj* obj) {
  CPageTextObj* found = nullptr;
  CRenderBaseObjectList one;
  one.AddElement(obj);
  WalkRenderObjects(one, [&](CRenderBaseObj* o) {
    if (!found) found = dynamic_cast<CPageTextObj*>(o);
  });
  return found;
}

}  // namespace

TEST(ClipboardObjects, ObjsSectionHoldsOneBlockOfPixelRecords) {
  Ref<CPageShapeObj> shape(doctest::MakeShape(0, 0, 40, 30, L"S"));
  shape->SetTransMatrix(CQorTransMatrix::Translation(96, 48), true);
  Ref<CPageVideoObj> video(doctest::MakeVideo(L"/v.mp4"));
  Ref<CPageTextObj> text(doctest::MakeText(L"Hi\r", -1, L"T"));
  Ref<CPageGroupObj> group(doctest::MakeGroup(L"G"));
  Ref<CPageVideoObj> groupedVideo(doctest::MakeVideo(L"/w.mp4"));
  group->AddChild(groupedVideo.get());
  CRenderBaseObjectList list;
  for (CRenderBaseObj* o : std::initializer_list<CRenderBaseObj*>{shape.get(), video.get(), text.get(), group.get()})
    list.AddElement(o);
  const Bytes shapeBefore = doctest::SaveObject(*shape);

  CZipSavingClipedObjects writer(list);
  const Bytes s = WriteSection(writer);
  ASSERT_GE(s.size(), 28u);
  EXPECT_EQ(std::string(s.begin(), s.begin() + 4), "Objs");
  EXPECT_EQ(lw::bin::GetLE32(&s[4]), 12u);                      // index right behind the header
  EXPECT_EQ(lw::bin::GetLE32(&s[8]), s.size() - 12);            // index to the end
  EXPECT_EQ(lw::bin::GetLE32(&s[12]), 1u);                      // one block
  EXPECT_EQ(lw::bin::GetLE32(&s[16]), 28u);                     // 12-byte entry, block after it
  const uint32_t raw = lw::bin::GetLE32(&s[20]), packed = lw::bin::GetLE32(&s[24]);
  ASSERT_EQ(28u + packed, s.size());
  const Bytes block = Unpack(Bytes(s.begin() + 28, s.end()), raw);

  // Top-level videos are left out and not counted; the grouped one travels with its group.
  Bytes expected;
  AppendU32(expected, 3);
  doctest::Append(expected, shapeBefore);
  doctest::Append(expected, doctest::SaveObject(*text));
  doctest::Append(expected, doctest::SaveObject(*group));
  EXPECT_EQ(block, expected);
  // Lengths are pixels: the shape's matrix is written as it is, and the object is not touched.
  EXPECT_EQ(doctest::SaveObject(*shape), shapeBefore);
  EXPECT_EQ(shape->GetTransMatrix(), CQorTransMatrix::Translation(96, 48));
}

TEST(ClipboardObjects, CopyAndPasteThroughTheClipboardStream) {
  lfwtest::TestHome();
  CLeafwrightDoc from;
  from.GetEmbedFontResManager()->AddEmbedFontResouce(doctest::MakeFont(7, "Seven"));
  Ref<CExternalBmpResObj> picture(lfwtest::MakePicture(L"/pics/a.png", 1234, 1700000000, 200));
  Ref<CPageShapeObj> pictured(lfwtest::MakeShape(10, 20, 30, 40, RENDER_KIND_BITMAP, picture.get()));
  pictured->SetObjectName(L"Photo");
  Ref<CPageGroupObj> group(doctest::MakeGroup(L"Box"));
  Ref<CPageTextObj> text(doctest::MakeText(L"Ab\r", 7, L"Caption"));
  Ref<CPageVideoObj> video(doctest::MakeVideo(L"/clips/c.mp4"));
  group->AddChild(text.get());
  group->AddChild(video.get());
  CRenderBaseObjectList copied;
  copied.AddElement(pictured.get());
  copied.AddElement(group.get());

  const Bytes stream = CopyToStream(copied, from);
  // The framing: "EPDF" "2000" "2010", then the headers of the three parts.
  ASSERT_GE(stream.size(), 48u);
  EXPECT_EQ(std::string(stream.begin(), stream.begin() + 12), "EPDF20002010");
  EXPECT_EQ(std::string(stream.begin() + 12, stream.begin() + 16), "Objs");
  EXPECT_EQ(std::string(stream.begin() + 24, stream.begin() + 28), "Dibs");
  EXPECT_EQ(std::string(stream.begin() + 36, stream.begin() + 40), "Font");

  CLeafwrightDoc into;
  PasteResult pasted = PasteFromStream(stream, into);
  ASSERT_TRUE(pasted.ok);
  ASSERT_EQ(pasted.objects.GetCount(), 2);
  EXPECT_EQ(DescribeTree(*pasted.objects[0]), "Shape:Copy Of Photo");
  EXPECT_EQ(DescribeTree(*pasted.objects[1]), "Group:Copy Of Box(Text:Caption,Video:)");

  // The picture came through the "Dibs" part, decoded once, pixels intact.
  auto* shape = static_cast<CPageShapeObj*>(pasted.objects[0]);
  CBitmapResObj* res = shape->GetFillDefinition().GetRenderBitmap();
  ASSERT_NE(res, nullptr);
  ASSERT_TRUE(res->HasBitmap());
  Gdiplus::Color c;
  res->GetGdiBitmap()->GetPixel(2, 1, &c);
  EXPECT_EQ(c.GetRed(), 80);
  EXPECT_EQ(c.GetGreen(), 60);
  EXPECT_EQ(c.GetBlue(), 200);
  // The font moved into the document; the grouped text keeps its id and the video its clip.
  ASSERT_NE(into.GetEmbedFontResManager()->FindEmbedFontResource(7), nullptr);
  EXPECT_STREQ(into.GetEmbedFontResManager()->FindEmbedFontResource(7)->GetFontType(), "Seven");
  EXPECT_EQ(TextIn(pasted.objects[1])->GetFontRunDesc(0).GetEmbedFontID(), 7);
  auto* pastedVideo = static_cast<CPageVideoObj*>(static_cast<CPageGroupObj*>(pasted.objects[1])->GetChildList()[1]);
  EXPECT_EQ(pastedVideo->GetVideoFullPathName(), L"/clips/c.mp4");
  // The source objects are untouched.
  EXPECT_EQ(pictured->GetObjectName(), CString(L"Photo"));
}

// Pictures whose paths do not fit the "Dibs" field are copied under their reference and come
// back on paste under their whole paths, each with its own pixels.
TEST(ClipboardObjects, PicturesWithLongPathsArePasted) {
  lfwtest::TestHome();
  CLeafwrightDoc from;
  const std::wstring deep = L"/" + std::wstring(300, L'd') + L"/a.png";
  std::wstring twin = deep;
  twin[1] = L'e';
  Ref<CExternalBmpResObj> first(lfwtest::MakePicture(deep.c_str(), 5, 6, 11));
  Ref<CExternalBmpResObj> second(lfwtest::MakePicture(twin.c_str(), 5, 6, 22));
  Ref<CPageShapeObj> a(lfwtest::MakeShape(0, 0, 5, 5, RENDER_KIND_BITMAP, first.get()));
  Ref<CPageShapeObj> b(lfwtest::MakeShape(0, 0, 5, 5, RENDER_KIND_BITMAP, second.get()));
  CRenderBaseObjectList copied;
  copied.AddElement(a.get());
  copied.AddElement(b.get());

  CLeafwrightDoc into;
  PasteResult pasted = PasteFromStream(CopyToStream(copied, from), into);
  ASSERT_TRUE(pasted.ok);
  ASSERT_EQ(pasted.objects.GetCount(), 2);
  const struct {
    const std::wstring& path;
    BYTE blue;
  } expected[] = {{deep, 11}, {twin, 22}};
  for (int i = 0; i < 2; ++i) {
    auto* res = static_cast<CExternalBmpResObj*>(
        static_cast<CPageShapeObj*>(pasted.objects[i])->GetFillDefinition().GetRenderBitmap());
    ASSERT_NE(res, nullptr);
    EXPECT_TRUE(res->GetPathName() == CString(expected[i].path.c_str())) << i;
    ASSERT_TRUE(res->HasBitmap()) << i;
    Gdiplus::Color c;
    res->GetGdiBitmap()->GetPixel(0, 0, &c);
    EXPECT_EQ(c.GetBlue(), expected[i].blue) << i;
  }
}

// A damaged picture block (spoilt packed bytes, or a raw length the bytes do not give) leaves
// out that picture alone: the pictures after it are still pasted.
TEST(ClipboardObjects, ADamagedPictureIsSkippedAndThePicturesAfterItArePasted) {
  lfwtest::TestHome();
  const struct {
    const char* name;
    size_t word;  // entry word to spoil: 0 the packed bytes, 1 the raw length
  } cases[] = {{"packed bytes", 0}, {"raw length", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    CLeafwrightDoc from;
    CRenderBaseObjectList copied;
    std::vector<Ref<CPageShapeObj>> shapes;
    for (int i = 0; i < 3; ++i) {
      const std::wstring path = L"/pics/" + std::to_wstring(i) + L".png";
      Ref<CExternalBmpResObj> picture(lfwtest::MakePicture(path.c_str(), 1, 2, static_cast<BYTE>(10 * (i + 1))));
      shapes.emplace_back(lfwtest::MakeShape(0, 0, 5, 5, RENDER_KIND_BITMAP, picture.get()));
      copied.AddElement(shapes.back().get());
    }
    Bytes stream = CopyToStream(copied, from);
    const size_t entry = lw::bin::GetLE32(stream.data() + 28) + 4 + kLfwDibsEntrySize;  // the second picture
    const uint32_t position = lw::bin::GetLE32(stream.data() + entry);
    if (c.word == 0) {
      for (size_t k = 2; k < 10; ++k) stream[position + k] ^= 0x5A;
    } else {
      lw::bin::PutLE32(stream.data() + entry + 4, lw::bin::GetLE32(stream.data() + entry + 4) + 1);
    }

    CLeafwrightDoc into;
    PasteResult pasted = PasteFromStream(stream, into);
    ASSERT_TRUE(pasted.ok);
    ASSERT_EQ(pasted.objects.GetCount(), 3);
    EXPECT_EQ(pasted.skippedPictures, 1);
    for (int i = 0; i < 3; ++i) {
      CBitmapResObj* res = static_cast<CPageShapeObj*>(pasted.objects[i])->GetFillDefinition().GetRenderBitmap();
      ASSERT_NE(res, nullptr);
      EXPECT_EQ(res->HasBitmap(), i != 1) << i;
      if (!res->HasBitmap()) continue;
      Gdiplus::Color px;
      res->GetGdiBitmap()->GetPixel(0, 0, &px);
      EXPECT_EQ(px.GetBlue(), 10 * (i + 1)) << i;
    }
  }
}

TEST(ClipboardObjects, PastedNamesAreCutToFortyEightCharacters) {
  const struct {
    size_t length;
    size_t expected;
  } cases[] = {{0, 8}, {5, 13}, {40, 48}, {41, 48}, {45, 48}, {200, 48}};
  for (const auto& c : cases) {
    std::wstring name;
    for (size_t i = 0; i < c.length; ++i) name += static_cast<wchar_t>(L'a' + i % 26);
    const CString pasted = CZipExtractClipedObjects::MakePastedName(CString(name.c_str()));
    EXPECT_EQ(static_cast<size_t>(pasted.GetLength()), c.expected) << c.length;
    const std::wstring want = (L"Copy Of " + name).substr(0, 48);
    EXPECT_EQ(std::wstring(pasted.GetString()), want) << c.length;
  }
}

TEST(ClipboardObjects, PastedFontsJoinTheDocumentWithoutCollisions) {
  const struct {
    const char* what;
    const char* held7;  // content the document holds under id 7, or null
    int textId;         // the id the pasted texts end up with
    int fontsAfter;
  } cases[] = {
      {"font new to the document", nullptr, 7, 1},
      {"equal font adds nothing", "Seven", 7, 1},
      {"different font gets a fresh id", "Other", 8, 1 + 1},
  };
  for (const auto& c : cases) {
    CLeafwrightDoc from;
    from.GetEmbedFontResManager()->AddEmbedFontResouce(doctest::MakeFont(7, "Seven"));
    Ref<CPageTextObj> top(doctest::MakeText(L"a\r", 7, L"Top"));
    Ref<CPageGroupObj> group(doctest::MakeGroup(L"G"));
    Ref<CPageGroupObj> inner(doctest::MakeGroup(L"I"));
    Ref<CPageTextObj> deep(doctest::MakeText(L"b\r", 7, L"Deep"));
    group->AddChild(inner.get());
    inner->AddChild(deep.get());
    CRenderBaseObjectList copied;
    copied.AddElement(top.get());
    copied.AddElement(group.get());
    const Bytes stream = CopyToStream(copied, from);

    CLeafwrightDoc into;
    if (c.held7) into.GetEmbedFontResManager()->AddEmbedFontResouce(doctest::MakeFont(7, c.held7));
    PasteResult pasted = PasteFromStream(stream, into);
    ASSERT_TRUE(pasted.ok) << c.what;
    ASSERT_EQ(pasted.objects.GetCount(), 2);
    EXPECT_EQ(TextIn(pasted.objects[0])->GetFontRunDesc(0).GetEmbedFontID(), c.textId) << c.what;
    EXPECT_EQ(TextIn(pasted.objects[1])->GetFontRunDesc(0).GetEmbedFontID(), c.textId) << c.what;
    EXPECT_EQ(into.GetEmbedFontResManager()->GetCount(), c.fontsAfter) << c.what;
    EXPECT_STREQ(into.GetEmbedFontResManager()->FindEmbedFontResource(c.textId)->GetFontType(),
                 c.held7 && c.textId == 7 ? c.held7 : "Seven")
        << c.what;
    if (c.held7) {
      EXPECT_STREQ(into.GetEmbedFontResManager()->FindEmbedFontResource(7)->GetFontType(), c.held7);
    }
  }
}

TEST(ClipboardObjects, ADamagedObjectPartFailsTheWholePaste) {
  Ref<CPageShapeObj> shape(doctest::MakeShape(0, 0, 5, 5, L"S"));
  Ref<CPageVideoObj> video(doctest::MakeVideo(L"/v.mp4"));
  const Bytes shapeRecord = doctest::SaveObject(*shape);
  auto list = [](uint32_t count, std::vector<Bytes> records) {
    Bytes b;
    AppendU32(b, count);
    for (const Bytes& r : records) doctest::Append(b, r);
    return b;
  };
  auto recoded = [&](uint32_t code) {
    Bytes r = shapeRecord;
    lw::bin::PutLE32(r.data(), code);
    return list(1, {r});
  };
  const Bytes good = list(1, {shapeRecord});
  const struct {
    const char* what;
    Bytes block;
  } cases[] = {
      {"a video at the top level", list(1, {doctest::SaveObject(*video)})},
      {"the library's own text", recoded(1)},
      {"an unknown code", recoded(9)},
      {"fewer records than counted", list(2, {shapeRecord})},
      {"a huge count", list(0xFFFFFFFFu, {shapeRecord})},
      {"bytes after the last record", [&] {
         Bytes b = good;
         b.push_back(0);
         return b;
       }()},
      {"a cut record", Bytes(good.begin(), good.end() - 3)},
      {"an empty block", Bytes()},
  };
  for (const auto& c : cases) {
    // A good block first: its objects go too when a later block fails.
    CRawWriter writer("Objs", {good, c.block}, {});
    Bytes s = WriteSection(writer);
    CMemFile in(s.data(), static_cast<UINT>(s.size()));
    CLeafwrightDoc doc;
    CRenderBaseObjectList target;
    CZipExtractClipedObjects reader(&doc, target);
    ASSERT_TRUE(reader.ReadBlocksTag(&in));
    reader.ReadBlocks(&in, kV1, kV2);
    EXPECT_TRUE(reader.HasFailed()) << c.what;
    EXPECT_EQ(target.GetCount(), 0) << c.what;
  }
  // The good block alone pastes.
  CRawWriter writer("Objs", {good}, {});
  Bytes s = WriteSection(writer);
  CMemFile in(s.data(), static_cast<UINT>(s.size()));
  CLeafwrightDoc doc;
  CRenderBaseObjectList target;
  CZipExtractClipedObjects reader(&doc, target);
  ASSERT_TRUE(reader.ReadBlocksTag(&in));
  EXPECT_TRUE(reader.ReadBlocks(&in, kV1, kV2));
  EXPECT_FALSE(reader.HasFailed());
  EXPECT_EQ(target.GetCount(), 1);
}

TEST(ClipboardObjects, AFailedPasteLeavesTheDocumentsFontsAlone) {
  Ref<CPageVideoObj> video(doctest::MakeVideo(L"/v.mp4"));
  Bytes objsBlock;
  AppendU32(objsBlock, 1);
  doctest::Append(objsBlock, doctest::SaveObject(*video));
  GlyphweaveLib::CEmbedFontResManager source;
  source.AddEmbedFontResouce(doctest::MakeFont(3, "Three"));
  CRawWriter objs("Objs", {objsBlock}, {});
  CBaseZipSavingEmbedFont fonts(source);
  CMemFile f;
  objs.SavingBlockTag(&f);
  fonts.SavingBlockTag(&f);
  ASSERT_TRUE(objs.SavingBlocks(&f, kV1, kV2, nullptr));
  ASSERT_TRUE(fonts.SavingBlocks(&f, kV1, kV2, nullptr));
  Bytes s = FileBytes(f);

  CMemFile in(s.data(), static_cast<UINT>(s.size()));
  CLeafwrightDoc doc;
  CRenderBaseObjectList target;
  CZipExtractClipedObjects objReader(&doc, target);
  CZipExtractorEmbedFont fontReader(&doc, target);
  ASSERT_TRUE(objReader.ReadBlocksTag(&in));
  ASSERT_TRUE(fontReader.ReadBlocksTag(&in));
  objReader.ReadBlocks(&in, kV1, kV2);
  ASSERT_TRUE(fontReader.ReadBlocks(&in, kV1, kV2));
  EXPECT_EQ(fontReader.GetFontCount(), 1);
  EXPECT_TRUE(objReader.HasFailed());
  FinishClipboardExtracting(&fontReader, nullptr, &objReader);
  EXPECT_EQ(doc.GetEmbedFontResManager()->GetCount(), 0);
}

TEST(ClipboardObjects, PicturesAreSharedDecodedOrSkipped) {
  lfwtest::TestHome();
  CLeafwrightDoc doc;
  // The document already shows one picture on a page.
  Ref<CExternalBmpResObj> shown(lfwtest::MakePicture(L"/pics/shown.png", 10, 100, 1));
  Ref<CPageShapeObj> onPage(lfwtest::MakeShape(0, 0, 5, 5, RENDER_KIND_BITMAP, shown.get()));
  auto* page = new CPageBusiPage;
  page->SetPageContentLoaded(1);
  page->AddShapeObject(onPage.get());
  doc.GetRenderPagesArray().AddPage(page);

  Ref<CExternalBmpResObj> fresh(lfwtest::MakePicture(L"/pics/fresh.png", 20, 200, 2));
  const Bytes shownPng = PngOf(*shown), freshPng = PngOf(*fresh);
  CRawWriter writer("Dibs", {shownPng, freshPng, Bytes{1, 2, 3}, freshPng},
                    {DibsTail(L"/pics/shown.png", 10, 100), DibsTail(L"/pics/fresh.png", 20, 200),
                     DibsTail(L"/pics/broken.png", 30, 300), DibsTail(L"/pics/fresh.png", 20, 200)});
  Bytes s = WriteSection(writer);

  // Pasted shapes that refer to the three pictures, one inside a group.
  CRenderBaseObjectList target;
  auto pastedShape = [](const wchar_t* path, uint32_t size, int64_t time) {
    Ref<CExternalBmpResObj> ref(new CExternalBmpResObj(CString(path), size, time));
    return lfwtest::MakeShape(0, 0, 5, 5, RENDER_KIND_BITMAP, ref.get());
  };
  Ref<CPageShapeObj> a(pastedShape(L"/pics/shown.png", 10, 100));
  Ref<CPageShapeObj> b(pastedShape(L"/pics/fresh.png", 20, 200));
  Ref<CPageShapeObj> broken(pastedShape(L"/pics/broken.png", 30, 300));
  Ref<CPageGroupObj> group(doctest::MakeGroup(L"G"));
  group->AddChild(b.get());
  target.AddElement(a.get());
  target.AddElement(group.get());
  target.AddElement(broken.get());

  CMemFile in(s.data(), static_cast<UINT>(s.size()));
  CZipExtractBitmapResObjs reader(&doc, target);
  ASSERT_TRUE(reader.ReadBlocksTag(&in));
  ASSERT_TRUE(reader.ReadBlocks(&in, kV1, kV2));
  EXPECT_EQ(reader.GetShared().GetCount(), 1);
  EXPECT_EQ(reader.GetDecoded().GetCount(), 1);  // the repeated entry is decoded once
  EXPECT_EQ(reader.GetSkippedCount(), 1);
  reader.FinishExtracting();

  // Shared: the object now holds the document's own resource.
  EXPECT_EQ(a->GetFillDefinition().GetRenderBitmap(), shown.get());
  // Decoded: the grouped object shows the picture.
  CBitmapResObj* bRes = b->GetFillDefinition().GetRenderBitmap();
  ASSERT_NE(bRes, nullptr);
  ASSERT_TRUE(bRes->HasBitmap());
  Gdiplus::Color c;
  bRes->GetGdiBitmap()->GetPixel(1, 2, &c);
  EXPECT_EQ(c.GetBlue(), 2);
  EXPECT_EQ(c.GetGreen(), 120);
  // Skipped: no picture, no crash.
  EXPECT_FALSE(broken->GetFillDefinition().GetRenderBitmap()->HasBitmap());
  EXPECT_EQ(reader.GetDecoded().GetCount(), 0);
}

// Glyphs of pasted texts are built from the pasted font under its final id, whichever order the
// parts are finished in.
TEST(ClipboardObjects, GlyphsAreBuiltFromThePastedFontUnderItsFinalId) {
  enum Order { Safe, ObjectsFirst };
  const struct {
    Order order;
    bool held;   // the document holds a different font under the pasted id
    int finalId;
  } cases[] = {{Safe, true, 8}, {ObjectsFirst, true, 8}, {Safe, false, 7}, {ObjectsFirst, false, 7}};
  for (const auto& c : cases) {
    const Order order = c.order;
    CLeafwrightDoc from;
    from.GetEmbedFontResManager()->AddEmbedFontResouce(MakeRealFont(7));
    Ref<CPageGroupObj> group(doctest::MakeGroup(L"G"));
    Ref<CPageTextObj> text(doctest::MakeText(L"Ab\r", 7, L"T"));
    group->AddChild(text.get());
    CRenderBaseObjectList copied;
    copied.AddElement(group.get());
    Bytes stream = CopyToStream(copied, from);

    CLeafwrightDoc into;
    if (c.held) into.GetEmbedFontResManager()->AddEmbedFontResouce(doctest::MakeFont(7, "Other"));
    CMemFile f(stream.data(), static_cast<UINT>(stream.size()));
    f.Seek(12, CFile::begin);
    CRenderBaseObjectList target;
    CZipExtractClipedObjects objs(&into, target);
    CZipExtractBitmapResObjs dibs(&into, target);
    CZipExtractorEmbedFont fonts(&into, target);
    ASSERT_TRUE(objs.ReadBlocksTag(&f) && dibs.ReadBlocksTag(&f) && fonts.ReadBlocksTag(&f));
    ASSERT_TRUE(objs.ReadBlocks(&f, kV1, kV2) && dibs.ReadBlocks(&f, kV1, kV2) && fonts.ReadBlocks(&f, kV1, kV2));
    if (order == Safe) {
      FinishClipboardExtracting(&fonts, &dibs, &objs);
    } else {
      objs.FinishExtracting();
      dibs.FinishExtracting();
      fonts.FinishExtracting();
    }
    CPageTextObj* pasted = TextIn(target[0]);
    ASSERT_NE(pasted, nullptr);
    ASSERT_EQ(pasted->GetFontRunDesc(0).GetEmbedFontID(), c.finalId) << order;
    GlyphweaveLib::CCharacterGlyphsMap* map = into.GetFontGlyphCacheManager()->Lookup(L"", 0, 0, c.finalId);
    ASSERT_NE(map, nullptr) << order;
    GlyphweaveLib::CCharacterGlyphRes* glyph = pasted->GetArrayOfTextCharacters()[0].GetCharGlyphPath();
    ASSERT_NE(glyph, nullptr) << order;
    EXPECT_EQ(map->Lookup(L'A'), glyph) << order;
    EXPECT_FALSE(pasted->GetArrayOfTextCharacters()[0].IsEmptyGlyphPath()) << order;
    // The map's metrics are those of the pasted font's program.
    GlyphweaveLib::CEmbedFontResManager reference;
    reference.AddEmbedFontResouce(MakeRealFont(c.finalId));
    GlyphweaveLib::CFontCacheManager referenceCache;
    const GlyphweaveLib::_CharsFontDesc desc(L"", 0, 0, c.finalId);
    EXPECT_FLOAT_EQ(map->GetCharsAscent(), referenceCache.GetGlyphsMap(desc, &reference)->GetCharsAscent()) << order;
  }
}

// Streams from other programs: anything but our tag and first version, or a damaged object part,
// pastes nothing and leaves the document alone; the second version is not looked at.
TEST(ClipboardStream, ForeignAndDamagedStreamsPasteNothing) {
  lfwtest::TestHome();
  CLeafwrightDoc from;
  from.GetEmbedFontResManager()->AddEmbedFontResouce(doctest::MakeFont(7, "Seven"));
  Ref<CPageShapeObj> shape(doctest::MakeShape(0, 0, 40, 30, L"S"));
  Ref<CPageTextObj> text(doctest::MakeText(L"Ab\r", 7, L"T"));
  CRenderBaseObjectList copied;
  copied.AddElement(shape.get());
  copied.AddElement(text.get());
  const Bytes good = CopyToStream(copied, from);
  ASSERT_GE(good.size(), 64u);
  const uint32_t objsIndex = lw::bin::GetLE32(&good[16]);
  auto with = [&](std::function<void(Bytes&)> change) {
    Bytes b = good;
    change(b);
    return b;
  };
  const struct {
    const char* what;
    Bytes stream;
    bool pastes;
  } cases[] = {
      {"as copied", good, true},
      {"another second version", with([](Bytes& b) { std::memcpy(&b[8], "2099", 4); }), true},
      {"wrong tag", with([](Bytes& b) { b[0] = 'X'; }), false},
      {"wrong first version", with([](Bytes& b) { std::memcpy(&b[4], "2010", 4); }), false},
      {"only the framing", Bytes(good.begin(), good.begin() + 12), false},
      {"cut inside the headers", Bytes(good.begin(), good.begin() + 30), false},
      {"index past the end", with([](Bytes& b) { lw::bin::PutLE32(&b[16], 0xFFFFFFF0u); }), false},
      {"object block packed length past the end",
       with([&](Bytes& b) { lw::bin::PutLE32(&b[objsIndex + 4 + 8], 0x7FFFFFFFu); }), false},
      {"object block raw length too big", with([&](Bytes& b) { lw::bin::PutLE32(&b[objsIndex + 4 + 4], 0x7FFFFFFFu); }),
       false},
      {"cut in the object block", Bytes(good.begin(), good.begin() + objsIndex + 20), false},
      {"empty", Bytes(), false},
  };
  for (const auto& c : cases) {
    CLeafwrightDoc into;
    const int fontsBefore = into.GetEmbedFontResManager()->GetCount();
    CRenderBaseObjectList out;
    EXPECT_EQ(ReadClipboardStream(c.stream.data(), c.stream.size(), into, out), c.pastes) << c.what;
    EXPECT_EQ(out.GetCount(), c.pastes ? 2 : 0) << c.what;
    if (!c.pastes) EXPECT_EQ(into.GetEmbedFontResManager()->GetCount(), fontsBefore) << c.what;
  }
}

// Text from another program may carry no terminating zero: it is read to the block's end and no
// further.
TEST(ClipboardStream, TextIsReadUpToItsZeroOrTheBlocksEnd) {
  const struct {
    const char* what;
    std::vector<uint8_t> block;
    std::u16string text;
  } cases[] = {
      {"terminated", {'a', 0, 'b', 0, 0, 0, 'c', 0}, u"ab"},
      {"no terminator", {'a', 0, 'b', 0}, u"ab"},
      {"odd last byte", {'a', 0, 'b'}, u"a"},
      {"surrogate pair", {0x3D, 0xD8, 0x42, 0xDE}, u"\U0001F642"},
      {"empty", {}, u""},
  };
  for (const auto& c : cases) {
    // The block sits at the end of a larger buffer of non-zero bytes, so reading past it would
    // pick them up.
    std::vector<uint8_t> buffer(c.block);
    buffer.insert(buffer.end(), 16, 'z');
    EXPECT_EQ(ReadClipboardText(buffer.data(), c.block.size()), c.text) << c.what;
  }
  EXPECT_EQ(ReadClipboardText(nullptr, 8), u"");
}
