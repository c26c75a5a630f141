#include "FuzzSeeds.h"

#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <glyphweave/EmbedFontRes.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/VideoObj.h>
#include <vectorloom/VariableStream.h>

#include "FontPrograms.h"
#include "LeafwrightDoc.h"
#include "LfwTestKit.h"
#include "PageBusiPage.h"
#include "PageGroupObj.h"
#include "PageVideoObj.h"
#include "PdfFixtures.h"

namespace fuzzseeds {

namespace {

using GlyphweaveLib::CEmbedFontMapWrap;
using GlyphweaveLib::CEmbedFontResouce;
using GlyphweaveLib::TagMapCodeSpace;
using GlyphweaveLib::TagMapRange;
using lfwtest::W;

TagMapRange Range(uint16_t low, int extent, int kind, uint16_t value) {
  return {low, static_cast<uint16_t>((extent << 2) | kind), value};
}

std::vector<uint8_t> BytesOf(const Vectorloom::CVariableStream& s) {
  return std::vector<uint8_t>(s.GetBuffer(), s.GetBuffer() + s.GetLength());
}

// A to-Unicode map with one range of each kind (a single code, a run of codes, codes through
// the table, a code of several values) and a map it uses.
CEmbedFontMapWrap ToUnicodeMap() {
  CEmbedFontMapWrap map;
  map.SetCMapName("Seed-UCS2");
  map.SetCMapUseName("Seed-Used");
  const TagMapCodeSpace space[] = {{2, 0, 0xFFFF}};
  map.SetCodeSpace(space, 1);
  const TagMapRange ranges[] = {Range(1, 0, CEmbedFontMapWrap::kSingle, 0x20),
                                Range(2, 1, CEmbedFontMapWrap::kRange, 0x41),
                                Range(4, 2, CEmbedFontMapWrap::kTable, 0),
                                Range(8, 0, CEmbedFontMapWrap::kMulti, 3)};
  map.SetRanges(ranges, 4);
  const uint16_t table[] = {0x61, 0x62, 0x63, 2, 0x66, 0x69};
  map.SetTable(table, 6);
  auto* used = new CEmbedFontMapWrap;
  used->SetCMapName("Seed-Used");
  const TagMapRange usedRanges[] = {Range(0x10, 0, CEmbedFontMapWrap::kSingle, 0x2026)};
  used->SetRanges(usedRanges, 1);
  map.SetNextFontMapWrap(used);
  return map;
}

std::vector<uint8_t> CMapRecord() {
  Vectorloom::CVariableStream s(256, 256);
  if (!ToUnicodeMap().PutBinaryContent(&s)) throw std::runtime_error("the character map was not written");
  return BytesOf(s);
}

// A font record with every part: names, metrics, the three maps and the program block (a bare
// CFF program).
std::vector<uint8_t> FontRecord() {
  CEmbedFontResouce f;
  f.SetFontID(1);
  f.SetFontFlag(0x20004);
  f.SetItalicAngle(-12);
  f.SetFontAscent(800);
  f.SetFontDescent(-200);
  f.SetCapHeight(700);
  f.SetXHeight(500);
  f.SetMissingWidth(250);
  f.SetEmbedFontFlag(1);
  f.SetFontBox({0, -200, 600, 800});
  f.SetFontType("Type0");
  f.SetFontSubType("CIDFontType0");
  f.SetFontRegistry("Adobe");
  f.SetFontOrdering("Identity");
  f.SetBaseEncodingName("WinAnsiEncoding");
  f.SetCodeNameCount(67);
  f.SetCodeName(32, "space");
  f.SetCodeName(65, "A");
  f.SetCodeName(66, "B");
  const unsigned char hDefault[8] = {0, 0, 0, 0, 0x58, 0x02, 0, 0};
  const unsigned char hEntries[16] = {1, 0, 3, 0, 0x58, 0x02, 0, 0, 4, 0, 4, 0, 0xfa, 0, 0, 0};
  f.SetHorzMetrics(hDefault, hEntries, 2);
  const unsigned char vDefault[10] = {0x70, 0x03, 0, 0, 0x18, 0xfc, 0, 0, 0, 0};
  f.SetVertMetrics(vDefault, vDefault, 1);

  CEmbedFontMapWrap encoding;
  encoding.SetCMapName("Identity-H");
  const TagMapCodeSpace space[] = {{2, 0, 0xFFFF}};
  encoding.SetCodeSpace(space, 1);
  const TagMapRange identity[] = {Range(0, 0x3FFF, CEmbedFontMapWrap::kRange, 0)};
  encoding.SetRanges(identity, 1);
  f.SetEncodingMap(&encoding);
  CEmbedFontMapWrap toTrueType;
  const TagMapRange letters[] = {Range(2, 1, CEmbedFontMapWrap::kRange, 0x41)};
  toTrueType.SetRanges(letters, 1);
  f.Set2ttfCMap(&toTrueType);
  const CEmbedFontMapWrap toUnicode = ToUnicodeMap();
  f.SetUtfCMap(&toUnicode);

  GlyphweaveLib::CPdfEmbedFontDesc program;
  program.SetFontName("SEEDAA+GwTest");
  program.m_nFirstWord = 3;
  program.m_nHintingWord = 1;
  program.m_vProgram = lwtest::MakeBareCff();
  program.m_vCid2Gid = {0, 1, 2, 3};
  program.m_vCid2Unicode = {0, 0x20, 0x41, 0x42};
  f.SetEmbedPdfFontContent(&program);
  f.RebuildUid2CidMap();
  Vectorloom::CVariableStream s(1024, 1024);
  if (!f.PutBinaryContent(&s)) throw std::runtime_error("the font record was not written");
  return BytesOf(s);
}

class CSeedDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

// The imported text with the most characters of the PDF seed's first page, as its text record
// and as its page object stream (after the type word).
void TextSeeds(const lfwtest::fs::path& pdf, std::vector<uint8_t>& record, std::vector<uint8_t>& object) {
  auto* source = new CCachePdfPageContent(W(pdf).c_str());
  source->AddRef();
  {
    CSeedDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    if (!page->LoadPageContent(&doc)) throw std::runtime_error("the PDF seed did not import");
    page->IntegrateTexts();
    CDDrawTextObj* longest = nullptr;
    for (auto* obj : page->GetRenderObjectList())
      if (auto* t = dynamic_cast<CDDrawTextObj*>(obj))
        if (!longest || t->GetArrayOfTextCharacters().size() > longest->GetArrayOfTextCharacters().size()) longest = t;
    if (!longest) throw std::runtime_error("the PDF seed gave no text");
    Vectorloom::CVariableStream s(1024, 1024);
    if (!longest->PutBinaryContent(&s, L"2010")) throw std::runtime_error("the text record was not written");
    record = BytesOf(s);
    CMemFile mem(1024);
    if (!longest->Save(mem, CString(L"2000"))) throw std::runtime_error("the page text was not written");
    const uint8_t* p = mem.GetBufferPtr();
    object.assign(p + 4, p + mem.GetLength());  // the reader starts after the type word
  }
  source->Release();
}

// A document of two pages. Page 1: shapes of every fill kind (one filled with a picture), the
// imported first page of the PDF seed (texts in its embedded font, its pictures) and a group of
// a text, a shape and a video. Page 2 (centimetres): a second picture fill and the video again.
std::vector<uint8_t> DocumentFile(const lfwtest::fs::path& pdf, const lfwtest::fs::path& dir) {
  const lfwtest::fs::path clip = dir / "clip.flv";
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i color=c=blue:size=16x16:rate=5:duration=0.4 -c:v flv '" +
                          clip.string() + "'";
  if (std::system(cmd.c_str()) != 0) return {};

  auto* source = new CCachePdfPageContent(W(pdf).c_str());
  source->AddRef();
  std::vector<uint8_t> file;
  {
    CLeafwrightDoc doc;
    auto* page1 = new CPageBusiPage;
    auto* page2 = new CPageBusiPage;
    auto* imported = new CPageBusiPage;
    for (CPageBusiPage* p : {page1, page2, imported}) doc.GetRenderPagesArray().AddPage(p);
    page1->SetPageContentLoaded(1);
    page2->SetPageContentLoaded(1);
    page2->SetPageLogUnit(Vectorloom::UNIT_CENTIMETER);
    page2->SetLogWidth(10.5f);
    page2->SetLogHeight(14.8f);
    imported->SetPageSourceContent(source);
    imported->SetPageSourceIndex(0);
    if (!imported->LoadPageContent(&doc)) throw std::runtime_error("the PDF seed did not import");

    auto* pictureA = lfwtest::MakePicture(L"/pictures/a.png", 1234, 1700000000, 10);
    auto* pictureB = lfwtest::MakePicture(L"/pictures/b.png", 99, 5, 200);
    const int kinds[] = {Vectorloom::RENDER_KIND_NONE, Vectorloom::RENDER_KIND_SOLID, Vectorloom::RENDER_KIND_GRADIENT,
                         Vectorloom::RENDER_KIND_BITMAP};
    float x = 10;
    for (int kind : kinds) {
      page1->AddShapeObject(lfwtest::MakeShape(x, 20, 40, 30, kind, pictureA));
      x += 50;
    }
    auto video = [&clip](float vx, float vy) {
      auto* v = new CPageVideoObj;
      v->SetVideoFullPathName(W(clip));
      v->SetVideoObjectSize({16, 16});
      v->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(vx, vy), false);
      Quirebook::SetVideoPoster(v);
      return v;
    };
    auto* group = new CPageGroupObj;
    group->SetObjectName(L"Group-1");
    for (auto* obj : imported->GetRenderObjectList())
      if (dynamic_cast<CDDrawTextObj*>(obj)) {
        group->AddChild(obj->Clone());
        break;
      }
    group->AddChild(lfwtest::MakeShape(20, 100, 20, 20, Vectorloom::RENDER_KIND_SOLID));
    group->AddChild(video(60, 100));
    page1->AddShapeObject(group);
    page2->AddShapeObject(lfwtest::MakeShape(1, 1, 3, 3, Vectorloom::RENDER_KIND_BITMAP, pictureB));
    page2->AddShapeObject(video(2, 5));

    CMemFile mem(4096);
    CString why;
    if (!WriteLfwDocument(&doc, mem, nullptr, &why)) throw std::runtime_error("the document was not written");
    file.assign(mem.GetBufferPtr(), mem.GetBufferPtr() + mem.GetLength());
    doc.GetRenderPagesArray().RemoveAllPages();
  }
  source->Release();
  return file;
}

}  // namespace

std::vector<uint8_t> MakeSeedPdf() {
  lwtest::PdfBuilder b;
  const int cff = b.AddStream("/Subtype /Type1C", lwtest::MakeBareCff());
  const std::string descriptor =
      "/Flags 32 /FontBBox [0 0 600 800] /ItalicAngle 0 /Ascent 800 /Descent 0 /CapHeight 700 /StemV 80 "
      "/FontFile3 " +
      std::to_string(cff) + " 0 R";
  std::string widths = "250";  // space, nothing from 33 to 64, then A and B
  for (int c = 33; c <= 64; ++c) widths += " 0";
  widths += " 600 600";
  const int embedded = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /GwTest /FirstChar 32 /LastChar 66 /Widths [" +
                             widths + "] /FontDescriptor " +
                             std::to_string(b.Add("<< /Type /FontDescriptor /FontName /GwTest " + descriptor + " >>")) +
                             " 0 R >>");
  const int standard = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  const int toUnicode = b.AddStream("",
                                    "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                    "/CMapName /Seed-UCS def /CMapType 2 def\n"
                                    "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                                    "2 beginbfchar <0002> <0041> <0003> <00660069> endbfchar\n"
                                    "1 beginbfrange <0001> <0001> <0020> endbfrange\n"
                                    "endcmap CMapName currentdict /CMap defineresource pop end end\n");
  const int cidFont = b.Add(
      "<< /Type /Font /Subtype /CIDFontType0 /BaseFont /GwTest /CIDSystemInfo << /Registry (Adobe) /Ordering "
      "(Identity) /Supplement 0 >> /DW 600 /W [1 [250]] /FontDescriptor " +
      std::to_string(b.Add("<< /Type /FontDescriptor /FontName /GwTest " + descriptor + " >>")) + " 0 R >>");
  const int composite = b.Add("<< /Type /Font /Subtype /Type0 /BaseFont /GwTest /Encoding /Identity-H /DescendantFonts [" +
                              std::to_string(cidFont) + " 0 R] /ToUnicode " + std::to_string(toUnicode) + " 0 R >>");
  const std::vector<uint8_t> rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255,
                                    0,   0, 0, 128, 128, 128, 255, 255, 0, 0, 255, 255};
  const int raw = b.AddStream("/Type /XObject /Subtype /Image /Width 4 /Height 2 /ColorSpace /DeviceRGB /BitsPerComponent 8",
                              rgb);
  const int jpeg = b.AddStream(
      "/Type /XObject /Subtype /Image /Width 8 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode",
      lwtest::MakeJpeg(8, 8, true));
  const std::vector<uint8_t> stencilBits = {0x18, 0x3c, 0x7e, 0xff, 0xff, 0x7e, 0x3c, 0x18};
  const int stencil = b.AddStream("/Type /XObject /Subtype /Image /Width 8 /Height 8 /ImageMask true /BitsPerComponent 1",
                                  stencilBits);
  const int shading = b.Add(
      "<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [300 150 400 150] /Function << /FunctionType 2 /Domain [0 1] "
      "/C0 [1 0 0] /C1 [0 0 1] /N 1 >> /Extend [true true] >>");
  const int form = b.AddStream(
      "/Type /XObject /Subtype /Form /BBox [0 0 200 100] /Resources << /Font << /F2 " + std::to_string(standard) +
          " 0 R >> >>",
      std::string("0 0.5 0 rg 10 10 80 40 re f BT /F2 9 Tf 10 60 Td (in a form) Tj ET\n"));
  const std::string content =
      "q 0.9 0.2 0.2 rg 60 80 200 120 re f Q\n"
      "q 0 0.4 0.8 RG 4 w [6 3] 0 d 1 J 1 j 300 500 m 350 600 400 400 450 500 c S Q\n"
      "q 0.2 0.6 0.2 rg 0 0 1 RG 2 w 100 300 m 200 300 l 150 380 l h B Q\n"
      "q 0.5 g 300 300 m 400 300 l 350 380 l h 320 310 m 380 310 l 350 360 l h f* Q\n"
      "q 50 650 100 50 re W n 0 0 1 rg 40 640 200 200 re f Q\n"
      "BT /F1 24 Tf 72 720 Td (ABBA BA) Tj ET\n"
      "BT /F2 12 Tf 72 700 Td [(Hello) -250 (World)] TJ ET\n"
      "BT /F3 18 Tf 72 680 Td <0002000300010002> Tj ET\n"
      "BT /F2 10 Tf 3 Tr 72 660 Td (unseen) Tj 1 Tr 100 0 Td (outlined) Tj 0 Tr 120 Tz 5 Ts 100 0 Td (wide) Tj ET\n"
      "q 40 0 0 20 400 700 cm /Im1 Do Q\n"
      "q 40 0 0 40 450 700 cm /Im2 Do Q\n"
      "q 1 0 0 rg 20 0 0 20 500 700 cm /Im3 Do Q\n"
      "q 300 150 100 50 re W n /Sh1 sh Q\n"
      "q 1 0 0 1 20 20 cm /Fm1 Do Q\n";
  const std::string resources = "<< /Font << /F1 " + std::to_string(embedded) + " 0 R /F2 " + std::to_string(standard) +
                                " 0 R /F3 " + std::to_string(composite) + " 0 R >> /XObject << /Im1 " +
                                std::to_string(raw) + " 0 R /Im2 " + std::to_string(jpeg) + " 0 R /Im3 " +
                                std::to_string(stencil) + " 0 R /Fm1 " + std::to_string(form) +
                                " 0 R >> /Shading << /Sh1 " + std::to_string(shading) + " 0 R >> >>";
  return b.FinishPages({content, "BT /F1 12 Tf 10 10 Td (BAB) Tj ET 0 0 1 rg 5 5 20 20 re f\n"}, resources,
                       {"[0 0 612 792]", "[0 0 200 100]"});
}

std::vector<Seed> MakeSeeds() {
  lfwtest::TestHome();
  lwtest::TempDir dir;
  const std::vector<uint8_t> pdf = MakeSeedPdf();
  lwtest::WriteFileBytes(dir / "seed.pdf", pdf);
  std::vector<uint8_t> textRecord, textObject;
  TextSeeds(dir / "seed.pdf", textRecord, textObject);
  const std::vector<uint8_t> document = DocumentFile(dir / "seed.pdf", dir.path());
  if (document.empty()) return {};
  // A small PNG picture, behind the harness's 'I' for the picture-header reader.
  std::vector<uint8_t> picture{'I'};
  {
    Vectorloom::CExternalBmpResObj* res = lfwtest::MakePicture(L"/p/seed.png", 1, 2, 3);
    res->AddRef();
    std::vector<uint8_t> png;
    const bool encoded = EncodePictureAsPng(*res, png);
    res->Release();
    if (!encoded) return {};
    picture.insert(picture.end(), png.begin(), png.end());
  }
  std::vector<uint8_t> outline{2};  // the harness's font-program reader
  const std::vector<uint8_t> cff = lwtest::MakeBareCff();
  outline.insert(outline.end(), cff.begin(), cff.end());
  return {
      {"app", "app_lfwreader_fuzzer", "document.lfw", document},
      {"app", "app_lfwreader_fuzzer", "picture-header", picture},
      {"publication", "publication_pdfimport_fuzzer", "objects.pdf", pdf},
      {"platform/pagesieve", "pagesieve_parse_fuzzer", "objects.pdf", pdf},
      {"publication", "publication_textobj_fuzzer", "imported-text", textObject},
      {"textengine", "textengine_text_record_fuzz", "imported-text", textRecord},
      {"textengine", "textengine_font_record_fuzz", "every-range", FontRecord()},
      {"textengine", "textengine_cmap_record_fuzz", "every-range", CMapRecord()},
      {"textengine", "textengine_glyph_outline_fuzz", "bare-cff", outline},
      // One small font program of each kind the tests make, for the system font reader.
      {"platform/gdi", "gdi_font_bytes_fuzz", "bare.cff", cff},
      {"platform/gdi", "gdi_font_bytes_fuzz", "accented.cff", lwtest::MakeAccentedCff()},
      {"platform/gdi", "gdi_font_bytes_fuzz", "hex.pfa", lwtest::MakeType1(true)},
      {"platform/gdi", "gdi_font_bytes_fuzz", "binary.pfb", lwtest::MakeType1(false, true)},
  };
}

}  // namespace fuzzseeds
