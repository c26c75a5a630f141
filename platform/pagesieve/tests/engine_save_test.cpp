// Writing PDFs: records built here go through cpdfEngine::saving_pdf, and the file is checked with
// qpdf and poppler's tools (structure, embedded subsets, text, pixels).
#include <gtest/gtest.h>
#include <zlib.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "FontPrograms.h"
#include "PdfFixtures.h"
#include "TestSupport.h"
#include "cpdfEngine.h"
#include "lwstr.h"

namespace {

const char* kSans = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
const char* kCollection = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

template <typename T>
T* Alloc(size_t extra = 0) {
  return static_cast<T*>(std::calloc(1, sizeof(T) + extra));
}

std::string Shell(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = pclose(p);
  if (status) *status = rc;
  return out;
}

// A PNG of RGBA pixels, made with zlib.
std::vector<uint8_t> Png(int w, int h, const std::vector<uint32_t>& rgba) {
  auto be32 = [](std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
  };
  std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  auto chunk = [&](const char* type, const std::vector<uint8_t>& data) {
    be32(out, uint32_t(data.size()));
    std::vector<uint8_t> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    be32(out, uint32_t(crc32(0, body.data(), uInt(body.size()))));
  };
  std::vector<uint8_t> ihdr;
  be32(ihdr, uint32_t(w));
  be32(ihdr, uint32_t(h));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  chunk("IHDR", ihdr);
  std::vector<uint8_t> raw;
  for (int y = 0; y < h; ++y) {
    raw.push_back(0);
    for (int x = 0; x < w; ++x) be32(raw, rgba[size_t(y * w + x)]);
  }
  uLongf len = compressBound(uLong(raw.size()));
  std::vector<uint8_t> z(len);
  compress(z.data(), &len, raw.data(), uLong(raw.size()));
  z.resize(len);
  chunk("IDAT", z);
  chunk("IEND", {});
  return out;
}

// A system-font record as the exporter makes it: the face subset by qv_Extra_font.
PdfFontRecord SystemFont(int id, const char* file, int faceIndex, const std::u16string& chars, const char* name) {
  PdfFontRecord r{};
  r.font_id = id;
  std::strcpy(r.font_subtype, "CIDFontType2");
  std::strcpy(r.registry, "Adobe");
  std::strcpy(r.ordering, "Identity");
  std::strcpy(r.encoding_name, "Identity-H");
  r.embed_flag = 1;
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, file, faceIndex, &face) == 0) {
    EXPECT_EQ(qv_Extra_font(face, chars.data(), int(chars.size()), &r), 0) << file;
    FT_Done_Face(face);
  }
  if (lib) FT_Done_FreeType(lib);
  if (r.program) std::snprintf(const_cast<PdfFontProgram*>(r.program)->name, 32, "%s", name);
  return r;
}

PdfSaveEntry* Entry(int kind, void* element) {
  auto* e = Alloc<PdfSaveEntry>();
  e->kind = kind;
  e->element = element;
  return e;
}

PdfSaveEntry* TextLine(float x, float y, int fontId, float size, const std::u16string& text, float rgb[3],
                       float alpha = 1) {
  auto* run = Alloc<PdfSaveTextRun>();
  run->font_id = fontId;
  run->font_size = size;
  run->horizontal_scale = 1;
  run->fill_on = 1;
  run->fill_kind = run->stroke_kind = 1;
  for (int i = 0; i < 3; ++i) run->fill_rgba[i] = rgb[i];
  run->fill_rgba[3] = alpha;
  run->char_count = int(text.size());
  run->chars = static_cast<PdfRunChar*>(std::calloc(text.size(), sizeof(PdfRunChar)));
  for (size_t i = 0; i < text.size(); ++i) run->chars[i].character = text[i];
  auto* block = Alloc<PdfSaveTextBlock>();
  const float m[6] = {1, 0, 0, 1, x, y};
  std::memcpy(block->matrix, m, sizeof m);
  block->run_count = 1;
  block->runs = static_cast<PdfSaveTextRun**>(std::malloc(sizeof(void*)));
  block->runs[0] = run;
  return Entry(kPdfSaveText, block);
}

PdfSaveEntry* Rect(float x0, float y0, float x1, float y1, float r, float g, float b, float alpha = 1,
                   bool stroke = false) {
  auto* p = Alloc<PdfSavePath>();
  const float m[6] = {1, 0, 0, 1, 0, 0};
  std::memcpy(p->matrix, m, sizeof m);
  p->fill_on = 1;
  p->stroke_on = stroke;
  p->fill_rgba[0] = r, p->fill_rgba[1] = g, p->fill_rgba[2] = b, p->fill_rgba[3] = alpha;
  p->stroke_rgba[3] = 1;
  if (stroke) {
    p->line_style = Alloc<PdfSaveLineStyle>();
    p->line_style->width = 2;
    p->line_style->miter_limit = 10;
  }
  p->segment_count = 2;
  p->segments = static_cast<PdfPathSegment*>(std::calloc(2, sizeof(PdfPathSegment)));
  p->segments[0] = PdfPathSegment{kPdfRectangle, x0, y0, x1, y1, 0, 0};
  p->segments[1] = PdfPathSegment{kPdfCloseWithSegment, 0, 0, 0, 0, 0, 0};
  return Entry(kPdfSavePath, p);
}

PdfSaveEntry* Image(float x, float y, float w, float h, const std::vector<uint8_t>& file, bool alpha) {
  auto* im = Alloc<PdfSaveImage>();
  im->kind = 1;
  const float m[6] = {w, 0, 0, h, x, y};
  std::memcpy(im->matrix, m, sizeof m);
  im->alpha = 1;
  im->has_alpha = alpha;
  im->data_length = int(file.size());
  im->data = static_cast<uint8_t*>(std::malloc(file.size()));
  std::memcpy(im->data, file.data(), file.size());
  return Entry(kPdfSaveImage, im);
}

struct PageSpec {
  float width = 300, height = 200;
  std::vector<PdfFontRecord> fonts;
  std::vector<PdfSaveEntry*> elements;
};

PdfSavePage* Build(const PageSpec& s) {
  auto* page = Alloc<PdfSavePage>();
  page->head[0] = page->head[2] = page->head[3] = 1;
  page->width = s.width;
  page->height = s.height;
  auto* res = Alloc<PdfSaveResources>();
  page->resources = res;
  res->font_count = int(s.fonts.size());
  if (!s.fonts.empty()) {
    res->fonts = static_cast<PdfFontRecord*>(std::malloc(s.fonts.size() * sizeof(PdfFontRecord)));
    std::memcpy(res->fonts, s.fonts.data(), s.fonts.size() * sizeof(PdfFontRecord));
  }
  res->content = Alloc<PdfSaveContent>();
  res->content->element_count = int(s.elements.size());
  res->content->elements = static_cast<PdfSaveEntry**>(std::malloc((s.elements.size() + 1) * sizeof(void*)));
  for (size_t i = 0; i < s.elements.size(); ++i) res->content->elements[i] = s.elements[i];
  return page;
}

class Source : public CPdfSavingInterface {
 public:
  std::vector<PageSpec> pages;
  std::vector<float> progress;
  int nullAt = -1;
  int GetPageCount() override { return int(pages.size()); }
  PdfSavePage* GetPageRecord(int i) override { return i == nullAt ? nullptr : Build(pages[size_t(i)]); }
  void SetProgress(float v) override { progress.push_back(v); }
};

// RGB of a pixel of page 1 rendered at 72 dpi (y from the top).
struct Raster {
  int w = 0, h = 0;
  std::vector<uint8_t> rgb;
  uint32_t At(int x, int y) const {
    const size_t o = (size_t(y) * size_t(w) + size_t(x)) * 3;
    return (uint32_t(rgb[o]) << 16) | (uint32_t(rgb[o + 1]) << 8) | rgb[o + 2];
  }
};

Raster Render(const std::filesystem::path& pdf, const lwtest::TempDir& dir) {
  Raster r;
  Shell("pdftoppm -r 72 -f 1 -l 1 -singlefile '" + pdf.string() + "' '" + (dir / "page").string() + "'");
  const std::vector<uint8_t> ppm = lwtest::ReadFileBytes(dir / "page.ppm");
  int maxv = 0, consumed = 0;
  if (ppm.size() < 16 || std::sscanf(reinterpret_cast<const char*>(ppm.data()), "P6 %d %d %d%n", &r.w, &r.h, &maxv,
                                     &consumed) != 3)
    return r;
  r.rgb.assign(ppm.begin() + consumed + 1, ppm.end());
  if (r.rgb.size() < size_t(r.w) * size_t(r.h) * 3) r.w = r.h = 0;
  return r;
}

TEST(SavePdf, PagesPathsImagesAndTextComeOutAsTheRecordsSay) {
  lwtest::TempDir dir;
  const auto out = dir / "out.pdf";
  float black[3] = {0, 0, 0};
  Source src;
  PageSpec p1;
  p1.fonts.push_back(SystemFont(3, kSans, 0, u"Hello Wrd", "ABCDE+Arial"));
  p1.elements.push_back(Rect(10, 10, 60, 60, 1, 0, 0));                      // red square, bottom left
  p1.elements.push_back(Rect(80, 10, 130, 60, 0, 0, 1, 0.5f));               // blue at half alpha
  // A 2x1 image: opaque green on the left, transparent on the right.
  p1.elements.push_back(Image(150, 10, 100, 50, Png(2, 1, {0x00FF00FF, 0xFF000000}), true));
  p1.elements.push_back(TextLine(20, 150, 3, 24, u"Hello World", black));
  src.pages.push_back(std::move(p1));
  PageSpec p2;
  p2.width = 400;
  p2.height = 100;
  // The same id again with another record: the first one stays; an unknown id takes the default font.
  p2.fonts.push_back(SystemFont(3, kSans, 0, u"x", "QQQQQ+Other"));
  p2.elements.push_back(TextLine(20, 50, 3, 20, u"Hello", black));
  p2.elements.push_back(TextLine(20, 20, 77, 20, u"Fallback", black));
  src.pages.push_back(std::move(p2));

  cpdfEngine engine(nullptr, false);
  ASSERT_TRUE(engine.saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  EXPECT_EQ(src.progress, (std::vector<float>{0.5f, 1.0f}));

  int status = -1;
  const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
  EXPECT_EQ(status, 0) << check;
  EXPECT_EQ(check.find("WARNING"), std::string::npos) << check;

  const std::string info = Shell("pdfinfo '" + out.string() + "'");
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("300 x 200 pts"), std::string::npos) << info;

  // Every font embedded as a subset, with a six-letter tag that keeps the record's five letters.
  const std::string fonts = Shell("pdffonts '" + out.string() + "'");
  EXPECT_NE(fonts.find("ABCDE"), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find("QQQQQ"), std::string::npos) << fonts;
  int rows = 0;
  for (size_t at = fonts.find("CID TrueType"); at != std::string::npos; at = fonts.find("CID TrueType", at + 1)) {
    const std::string line = fonts.substr(at, fonts.find('\n', at) - at);
    EXPECT_NE(line.find("yes yes yes"), std::string::npos) << fonts;  // emb sub uni
    ++rows;
  }
  EXPECT_EQ(rows, 2) << fonts;

  const std::string text = Shell("pdftotext '" + out.string() + "' -");
  EXPECT_NE(text.find("Hello World"), std::string::npos) << text;
  EXPECT_NE(text.find("Fallback"), std::string::npos) << text;

  const Raster r = Render(out, dir);
  ASSERT_EQ(r.w, 300);
  ASSERT_EQ(r.h, 200);
  EXPECT_EQ(r.At(35, 165), 0xFF0000u);
  const uint32_t half = r.At(105, 165);  // blue at half alpha over white
  EXPECT_NEAR(int(half >> 16), 127, 3);
  EXPECT_EQ(half & 0xFF, 0xFFu);
  EXPECT_EQ(r.At(175, 165), 0x00FF00u);
  EXPECT_EQ(r.At(225, 165), 0xFFFFFFu);  // the transparent half shows the page
  // Some dark pixels where the text is.
  int dark = 0;
  for (int y = 30; y < 55; ++y)
    for (int x = 20; x < 150; ++x) dark += (r.At(x, y) & 0xFF) < 100;
  EXPECT_GT(dark, 50);
}

TEST(SavePdf, JpegBytesGoInAsTheyAre) {
  lwtest::TempDir dir;
  const auto out = dir / "jpeg.pdf";
  const std::vector<uint8_t> jpeg = lwtest::MakeJpeg(16, 8);
  Source src;
  PageSpec p;
  p.elements.push_back(Image(10, 10, 160, 80, jpeg, false));
  src.pages.push_back(std::move(p));
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  int status = -1;
  const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
  EXPECT_EQ(status, 0) << check;
  // The image stream holds the JPEG file byte for byte.
  const std::vector<uint8_t> pdf = lwtest::ReadFileBytes(out);
  EXPECT_NE(std::search(pdf.begin(), pdf.end(), jpeg.begin(), jpeg.end()), pdf.end());
  const std::string list = Shell("pdfimages -list '" + out.string() + "'");
  EXPECT_NE(list.find("jpeg"), std::string::npos) << list;
  EXPECT_NE(list.find("16     8"), std::string::npos) << list;
}

TEST(SavePdf, BadNumbersNullRecordsAndUnwritablePathsAreHandled) {
  lwtest::TempDir dir;
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  float black[3] = {0, 0, 0};
  {
    Source src;
    PageSpec p;
    p.width = nan;
    p.elements.push_back(Rect(nan, 10, inf, -inf, nan, 0, 0, nan, true));
    PdfSaveEntry* t = TextLine(nan, inf, 1, nan, u"A", black);
    static_cast<PdfSaveTextBlock*>(t->element)->runs[0]->chars[0].adjustment = nan;
    p.elements.push_back(t);
    src.pages.push_back(std::move(p));
    const auto out = dir / "nan.pdf";
    ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
    int status = -1;
    const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
    EXPECT_EQ(status, 0) << check;
    const std::string content = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
    EXPECT_EQ(content.find("nan"), std::string::npos);
    EXPECT_EQ(content.find("inf"), std::string::npos);
  }
  {
    // A null record fails the save and leaves the old file as it was.
    const auto out = dir / "keep.pdf";
    lwtest::WriteFileBytes(out, {'o', 'l', 'd'});
    Source src;
    src.pages.resize(2);
    src.nullAt = 1;
    EXPECT_FALSE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
    EXPECT_EQ(lwtest::ReadFileBytes(out), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_FALSE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide((dir / "no/such/dir.pdf").string()).c_str(),
                                                       &src));
    EXPECT_FALSE(cpdfEngine(nullptr, false).saving_pdf(nullptr, &src));
    EXPECT_FALSE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), nullptr));
  }
}

TEST(SavePdf, SubsetsTakeTheOpenedFaceOfACollectionAndCffOutlinesStayCff) {
  // Face 1 of the collection is the monospaced one: its 'i' is as wide as its 'M'.
  for (int face : {0, 1}) {
    PdfFontRecord r = SystemFont(5, kCollection, face, u"iM", "ABCDE+ZenHei");
    ASSERT_NE(r.program, nullptr);
    ASSERT_EQ(r.hmetric_count, 2);
    const int wi = r.hmetrics[0].lo == u'i' ? r.hmetrics[0].w : r.hmetrics[1].w;
    const int wm = r.hmetrics[0].lo == u'M' ? r.hmetrics[0].w : r.hmetrics[1].w;
    if (face == 1) EXPECT_EQ(wi, wm);
    else EXPECT_LT(wi, wm);
    // The subset program is cut from the same face: its glyphs have the same advances.
    FT_Library lib = nullptr;
    FT_Face sub = nullptr;
    ASSERT_EQ(FT_Init_FreeType(&lib), 0);
    ASSERT_EQ(FT_New_Memory_Face(lib, r.program->program, r.program->program_length, 0, &sub), 0);
    auto advance = [&](char16_t c) {
      EXPECT_LT(int(c), r.program->cid_to_gid_count);
      if (FT_Load_Glyph(sub, r.program->cid_to_gid[c], FT_LOAD_NO_SCALE) != 0) return -1L;
      return long(sub->glyph->metrics.horiAdvance * 1000 / sub->units_per_EM);
    };
    EXPECT_NEAR(advance(u'i'), wi, 1);
    EXPECT_NEAR(advance(u'M'), wm, 1);
    FT_Done_Face(sub);
    FT_Done_FreeType(lib);
    EXPECT_EQ(r.program->program_kind, kPdfProgramTrueType);
    std::free(const_cast<PdfHMetric*>(r.hmetrics));
    std::free(const_cast<uint8_t*>(r.program->program));
    std::free(const_cast<uint16_t*>(r.program->cid_to_gid));
    std::free(const_cast<uint16_t*>(r.program->cid_to_ucs));
    std::free(const_cast<PdfFontProgram*>(r.program));
  }

  const char* otf = "/usr/share/fonts/opentype/urw-base35/URWBookman-Light.otf";
  if (!std::filesystem::exists(otf)) GTEST_SKIP() << "no OpenType font with CFF outlines installed";
  lwtest::TempDir dir;
  const auto out = dir / "cff.pdf";
  float black[3] = {0, 0, 0};
  Source src;
  PageSpec p;
  p.fonts.push_back(SystemFont(2, otf, 0, u"Bookman", "ABCDE+Bookman"));
  ASSERT_EQ(p.fonts[0].program->program_kind, kPdfProgramOpenType);
  p.elements.push_back(TextLine(20, 100, 2, 30, u"Bookman", black));
  src.pages.push_back(std::move(p));
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  int status = -1;
  const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
  EXPECT_EQ(status, 0) << check;
  const std::string fonts = Shell("pdffonts '" + out.string() + "'");
  EXPECT_NE(fonts.find("CID Type 0"), std::string::npos) << fonts;  // not CID TrueType
  EXPECT_EQ(fonts.find("CID TrueType"), std::string::npos) << fonts;
  // The dictionaries say so too: a CFF program is no TrueType font.
  const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
  EXPECT_NE(objects.find("/Subtype /CIDFontType0"), std::string::npos);
  EXPECT_EQ(objects.find("/CIDFontType2"), std::string::npos);
  EXPECT_NE(objects.find("/FontFile3"), std::string::npos);
  EXPECT_NE(objects.find("/Subtype /OpenType"), std::string::npos);
  EXPECT_NE(Shell("pdftotext '" + out.string() + "' -").find("Bookman"), std::string::npos);
  const Raster r = Render(out, dir);
  int dark = 0;
  for (int y = 60; y < 110; ++y)
    for (int x = 20; x < 200 && x < r.w; ++x) dark += (r.At(x, y) & 0xFF) < 100;
  EXPECT_GT(dark, 50);
}

// A font as the import side delivers it from a PDF: a simple TrueType font with its whole program,
// a CID-to-glyph table by code and a CID-to-Unicode table, glyph names pointing into the caller's
// own storage.
PdfFontRecord ImportedFont(int id, const char* file, int kind, const char* const* names) {
  PdfFontRecord r{};
  r.font_id = id;
  std::strcpy(r.font_type, "TrueType");
  std::strcpy(r.font_subtype, "TrueType");
  r.glyph_name_count = 256;
  for (int i = 0; i < 256; ++i) r.glyph_names[i] = names[i];
  r.ascent = 900;
  r.descent = -200;
  auto* p = Alloc<PdfFontProgram>();
  std::strcpy(p->name, "LiberationSans");
  p->program_kind = kind;
  std::vector<uint8_t> bytes = lwtest::ReadFileBytes(file);
  p->program_length = int(bytes.size());
  auto* data = static_cast<uint8_t*>(std::malloc(bytes.size()));
  std::memcpy(data, bytes.data(), bytes.size());
  p->program = data;
  auto* gid = static_cast<uint16_t*>(std::calloc(256, 2));
  auto* ucs = static_cast<uint16_t*>(std::calloc(256, 2));
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&lib) == 0 && FT_New_Face(lib, file, 0, &face) == 0) {
    // Codes are shifted by one from their characters, so only the Unicode table finds the glyph.
    for (int code = 33; code < 200; ++code) {
      gid[code] = uint16_t(FT_Get_Char_Index(face, FT_ULong(code - 1)));
      ucs[code] = uint16_t(code - 1);
    }
    FT_Done_Face(face);
  }
  if (lib) FT_Done_FreeType(lib);
  p->cid_to_gid_count = p->cid_to_ucs_count = 256;
  p->cid_to_gid = gid;
  p->cid_to_ucs = ucs;
  r.program = p;
  auto* w = static_cast<PdfHMetric*>(std::malloc(sizeof(PdfHMetric)));
  *w = PdfHMetric{32, 200, 500};
  r.hmetric_count = 1;
  r.hmetrics = w;
  return r;
}

TEST(SavePdf, ImportedFontsAreReembeddedByGlyphAndTheirNamesStayTheCallers) {
  lwtest::TempDir dir;
  const auto out = dir / "imported.pdf";
  // The caller's glyph-name storage: the engine must never free these.
  static char storage[256][32];
  const char* names[256];
  for (int i = 0; i < 256; ++i) {
    std::snprintf(storage[i], 32, "g%d", i);
    names[i] = storage[i];
  }
  float blue[3] = {0, 0, 1};
  Source src;
  PageSpec p;
  p.fonts.push_back(ImportedFont(12, kSans, kPdfProgramTrueType, names));
  // A bare CFF program cannot go in as it is: its text takes the default font.
  PdfFontRecord cff = ImportedFont(13, kSans, kPdfProgramCff, names);
  p.fonts.push_back(cff);
  p.elements.push_back(TextLine(20, 120, 12, 24, u"Imported", blue));
  p.elements.push_back(TextLine(20, 60, 13, 24, u"Replaced", blue));
  // A character the Unicode table does not know is not taken as a code of the font (code 199
  // holds the glyph of U+00C6): the default font draws it, as the editor does.
  src.pages.push_back(std::move(p));
  PageSpec p2;
  p2.elements.push_back(TextLine(20, 20, 12, 24, u"\u00C7", blue));
  src.pages.push_back(std::move(p2));
  // A font whose glyphs are found through a CID-to-TrueType map and the program's cmap only.
  PageSpec p3;
  PdfFontRecord symbolic = ImportedFont(14, kSans, kPdfProgramTrueType, names);
  auto* prog = const_cast<PdfFontProgram*>(symbolic.program);
  std::free(const_cast<uint16_t*>(prog->cid_to_gid));
  std::free(const_cast<uint16_t*>(prog->cid_to_ucs));
  prog->cid_to_gid = prog->cid_to_ucs = nullptr;
  prog->cid_to_gid_count = prog->cid_to_ucs_count = 0;
  auto* map = Alloc<qv_cmap_s>();
  map->rlen = 1;
  map->ranges = static_cast<qv_cmap_range_s*>(std::malloc(sizeof(qv_cmap_range_s)));
  map->ranges[0] = qv_cmap_range_s{33, uint16_t((93 << 2) | 1), 33};  // 33..126 to themselves
  symbolic.to_ttf_cmap = map;
  p3.fonts.push_back(symbolic);
  p3.elements.push_back(TextLine(20, 20, 14, 24, u"Symbolic", blue));
  src.pages.push_back(std::move(p3));
  // A font whose characters are known only through its Unicode CMap (codes shifted by one).
  PageSpec p4;
  PdfFontRecord mapped = ImportedFont(15, kSans, kPdfProgramTrueType, names);
  prog = const_cast<PdfFontProgram*>(mapped.program);
  std::free(const_cast<uint16_t*>(prog->cid_to_ucs));
  prog->cid_to_ucs = nullptr;
  prog->cid_to_ucs_count = 0;
  auto* umap = Alloc<qv_cmap_s>();
  umap->rlen = 1;
  umap->ranges = static_cast<qv_cmap_range_s*>(std::malloc(sizeof(qv_cmap_range_s)));
  umap->ranges[0] = qv_cmap_range_s{33, uint16_t((166 << 2) | 1), 32};  // codes 33..199 to U+0020..
  mapped.unicode_cmap = umap;
  p4.fonts.push_back(mapped);
  p4.elements.push_back(TextLine(20, 20, 15, 24, u"A", blue));
  src.pages.push_back(std::move(p4));
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  EXPECT_STREQ(storage[65], "g65");

  int status = -1;
  const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
  EXPECT_EQ(status, 0) << check;
  const std::string fonts = Shell("pdffonts '" + out.string() + "'");
  EXPECT_NE(fonts.find("+LiberationSans "), std::string::npos) << fonts;
  int rows = 0;
  for (size_t at = fonts.find("CID TrueType"); at != std::string::npos; at = fonts.find("CID TrueType", at + 1)) {
    EXPECT_NE(fonts.substr(at, fonts.find('\n', at) - at).find("yes yes yes"), std::string::npos) << fonts;
    ++rows;
  }
  EXPECT_EQ(rows, 4) << fonts;  // fonts 12, 14 and 15, and the default font
  const std::string text = Shell("pdftotext '" + out.string() + "' -");
  EXPECT_NE(text.find("Imported"), std::string::npos) << text;
  EXPECT_NE(text.find("Replaced"), std::string::npos) << text;
  EXPECT_NE(text.find("\u00C7"), std::string::npos) << text;
  const std::string second = Shell("pdffonts -f 2 -l 2 '" + out.string() + "'");
  EXPECT_EQ(second.find("+LiberationSans "), std::string::npos) << second;
  EXPECT_NE(second.find("+DejaVuSans "), std::string::npos) << second;
  EXPECT_EQ(second.find("CID TrueType"), second.rfind("CID TrueType")) << second;  // one font only
  const std::string third = Shell("pdffonts -f 3 -l 3 '" + out.string() + "'");
  EXPECT_NE(third.find("+LiberationSans "), std::string::npos) << third;
  EXPECT_EQ(third.find("CID TrueType"), third.rfind("CID TrueType")) << third;
  EXPECT_NE(text.find("Symbolic"), std::string::npos) << text;
  // Page 4 shows the glyph of 'A' (through code 66), not the one that code 65 holds.
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, kSans, 0, &face), 0);
  char want[16];
  std::snprintf(want, sizeof want, "[<%04X>] TJ", FT_Get_Char_Index(face, 'A'));
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
  EXPECT_NE(objects.find(want), std::string::npos) << want;
  const Raster r = Render(out, dir);
  int blueInk = 0;
  for (int y = 55; y < 85; ++y)
    for (int x = 20; x < 150 && x < r.w; ++x) blueInk += r.At(x, y) != 0xFFFFFFu && (r.At(x, y) & 0xFF) > 200;
  EXPECT_GT(blueInk, 50);
}

// A simple font as the import side delivers it from a PDF with a Type 1 or bare CFF program: tables
// by code, which here is the character itself, for the first `codes` codes.
PdfFontRecord NameKeyedFont(int id, int kind, const std::vector<uint8_t>& bytes, int codes, const char* name) {
  PdfFontRecord r{};
  r.font_id = id;
  std::strcpy(r.font_type, "Type1");
  std::strcpy(r.font_subtype, "Type1");
  r.flags = 32;
  r.ascent = 800;
  r.descent = -200;
  r.font_box[2] = r.font_box[3] = 1000;
  auto* p = Alloc<PdfFontProgram>();
  std::snprintf(p->name, sizeof p->name, "%s", name);
  p->program_kind = kind;
  auto* data = static_cast<uint8_t*>(std::malloc(bytes.size()));
  std::memcpy(data, bytes.data(), bytes.size());
  p->program = data;
  p->program_length = int(bytes.size());
  auto* gid = static_cast<uint16_t*>(std::calloc(size_t(codes), 2));
  auto* ucs = static_cast<uint16_t*>(std::calloc(size_t(codes), 2));
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&lib) == 0 && FT_New_Memory_Face(lib, bytes.data(), FT_Long(bytes.size()), 0, &face) == 0) {
    for (int code = 32; code < codes; ++code) {
      gid[code] = uint16_t(FT_Get_Char_Index(face, FT_ULong(code)));
      if (gid[code]) ucs[code] = uint16_t(code);
    }
    FT_Done_Face(face);
  }
  if (lib) FT_Done_FreeType(lib);
  p->cid_to_gid_count = p->cid_to_ucs_count = codes;
  p->cid_to_gid = gid;
  p->cid_to_ucs = ucs;
  r.program = p;
  return r;
}

// A Type 1 program with a binary encrypted part as a PFB file: its three parts in segments.
std::vector<uint8_t> Pfb(const std::vector<uint8_t>& t1, size_t* clearText) {
  const std::string text(t1.begin(), t1.end());
  size_t e = text.find("eexec");
  if (e == std::string::npos) return {};
  e += 5;
  while (e < text.size() && (text[e] == '\r' || text[e] == '\n')) ++e;
  size_t z = text.rfind("cleartomark");
  while (z > e && (text[z - 1] == '0' || text[z - 1] == '\r' || text[z - 1] == '\n')) --z;
  std::vector<uint8_t> out;
  auto segment = [&](int type, size_t from, size_t to) {
    const size_t n = to - from;
    out.insert(out.end(), {0x80, uint8_t(type), uint8_t(n), uint8_t(n >> 8), uint8_t(n >> 16), uint8_t(n >> 24)});
    out.insert(out.end(), t1.begin() + long(from), t1.begin() + long(to));
  };
  segment(1, 0, e);
  segment(2, e, z);
  segment(1, z, t1.size());
  out.insert(out.end(), {0x80, 3});
  *clearText = e;
  return out;
}

// Type 1 and bare CFF programs cannot be keyed by glyph id: they go in as simple fonts whose
// one-byte codes name their glyphs, with their own widths, and a font of more than 255 glyphs
// shown is split, each part cut down to its own glyphs. None of their text may take the default font.
TEST(SavePdf, Type1AndBareCffProgramsGoInAsSimpleFontsNamingTheirGlyphs) {
  const char* t1 = "/usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1";
  struct Case {
    const char* what;
    int kind;
    std::vector<uint8_t> program;
    const char* type;  // as pdffonts names it
  };
  std::vector<Case> cases = {{"bare CFF", kPdfProgramCff, lwtest::MakeBareCff(), "Type 1C"}};
  size_t clearText = 0;
  if (std::filesystem::exists(t1)) {
    cases.push_back({"Type 1", kPdfProgramType1, lwtest::ReadFileBytes(t1), "Type 1 "});
    cases.push_back({"Type 1 as PFB", kPdfProgramType1, Pfb(lwtest::ReadFileBytes(t1), &clearText), "Type 1 "});
  } else std::printf("  no Type 1 program installed (%s): only the CFF case runs\n", t1);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lwtest::TempDir dir;
    const auto out = dir / "simple.pdf";
    float black[3] = {0, 0, 0};
    Source src;
    PageSpec p;
    p.fonts.push_back(NameKeyedFont(21, c.kind, c.program, 0x180, "Probe"));
    // "AB" at 100 points: the CFF's A is a box from x 10 to 50 points, its B starts 60 points on.
    p.elements.push_back(TextLine(20, 50, 21, 100, u"AB", black));
    std::u16string all;
    if (c.kind == kPdfProgramType1) {
      // No-break space left out: pdftotext gives it back as a space.
      for (char16_t ch = 0x21; ch < 0x180; ++ch)
        if (p.fonts[0].program->cid_to_gid[ch] && ch != 0xA0) all += ch;
      for (size_t at = 0; at < all.size(); at += 60)
        p.elements.push_back(TextLine(10, float(180 - at / 60 * 10), 21, 6, all.substr(at, 60), black));
    }
    src.pages.push_back(std::move(p));
    ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));

    int status = -1;
    const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
    EXPECT_EQ(status, 0) << check;
    const std::string fonts = Shell("pdffonts '" + out.string() + "'");
    EXPECT_EQ(fonts.find("CID TrueType"), std::string::npos) << "the default font stands in:\n" << fonts;
    // Each part cut down to its glyphs, so named with a subset tag of its own.
    int parts = 0;
    std::set<std::string> tags;
    for (size_t at = fonts.find("+Probe "); at != std::string::npos; at = fonts.find("+Probe ", at + 1)) {
      const size_t start = fonts.rfind('\n', at) + 1;
      const std::string row = fonts.substr(start, fonts.find('\n', at) - start);
      EXPECT_EQ(at - start, 6u) << row;
      tags.insert(row.substr(0, 6));
      EXPECT_NE(row.find(c.type), std::string::npos) << fonts;
      EXPECT_NE(row.find("yes yes yes"), std::string::npos) << fonts;
      ++parts;
    }
    EXPECT_EQ(tags.size(), size_t(parts)) << fonts;
    EXPECT_EQ(fonts.find("\nProbe "), std::string::npos) << "embedded whole:\n" << fonts;
    const std::string text = Shell("pdftotext -enc UTF-8 '" + out.string() + "' -");
    EXPECT_NE(text.find("AB"), std::string::npos) << text;
    if (c.kind == kPdfProgramType1) {
      // The program goes in without the PFB's segment headers: its clear text as long as the file's.
      const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
      EXPECT_NE(objects.find("/Length1 " + std::to_string(clearText)), std::string::npos);
      // Each part holds its own glyphs only: the two together, some 340 of the font's 855 glyphs,
      // well under half the whole program.
      long cutBytes = 0;
      int cutParts = 0;
      for (size_t at = objects.find("/Length2 "); at != std::string::npos; at = objects.find("/Length2 ", at + 1), ++cutParts)
        cutBytes += std::stol(objects.substr(at + 9));
      EXPECT_EQ(cutParts, 2);
      EXPECT_LT(cutBytes, long(c.program.size() / 2));
      ASSERT_GT(all.size(), 255u);
      EXPECT_EQ(parts, 2) << fonts;
      const std::wstring back = lw::Utf8ToWide(text);
      int missing = 0;
      for (char16_t ch : all) missing += back.find(wchar_t(ch)) == std::wstring::npos;
      EXPECT_EQ(missing, 0) << text;
    } else {
      EXPECT_EQ(parts, 1) << fonts;
      // Pixels: A's box, the gap before B (A advances 600 units), B's box.
      const Raster r = Render(out, dir);
      ASSERT_GT(r.w, 150);
      auto dark = [&](int x, int y) { return (r.At(x, y) & 0xFF) < 100; };
      EXPECT_TRUE(dark(50, 120));
      EXPECT_FALSE(dark(78, 130));
      EXPECT_TRUE(dark(105, 130));
      EXPECT_FALSE(dark(125, 130));
    }
  }
}

// Glyphs the run's font lacks: a word space stays a gap as wide as the caller laid it out (no
// default font for it), and a glyph of the default font moves the next character by as much as
// it is wider or narrower than the caller's advance. A ligature's code (several characters in
// the Unicode CMap) stands for none of its letters alone, but draws them where they follow each
// other.
TEST(SavePdf, RunsKeepTheirPlacesAroundGlyphsTheFontLacks) {
  lwtest::TempDir dir;
  const auto out = dir / "gaps.pdf";
  static char storage[256][32];
  const char* names[256];
  for (int i = 0; i < 256; ++i) {
    std::snprintf(storage[i], 32, "g%d", i);
    names[i] = storage[i];
  }
  float black[3] = {0, 0, 0};
  Source src;
  PageSpec p;
  p.width = 400;
  // Codes 34..199 hold the glyph of the character before; code 33 (the space) none.
  PdfFontRecord font = ImportedFont(31, kSans, kPdfProgramTrueType, names);
  const_cast<uint16_t*>(font.program->cid_to_gid)[33] = 0;
  const_cast<uint16_t*>(font.program->cid_to_ucs)[33] = 0;
  // Code 40 (the glyph of "'") says "ff" in the Unicode CMap; code 103 says "f".
  auto* umap = Alloc<qv_cmap_s>();
  umap->rlen = 2;
  umap->ranges = static_cast<qv_cmap_range_s*>(std::malloc(2 * sizeof(qv_cmap_range_s)));
  umap->ranges[0] = qv_cmap_range_s{40, uint16_t((0 << 2) | 3), 0};
  umap->ranges[1] = qv_cmap_range_s{103, uint16_t((0 << 2) | 0), 'f'};
  umap->tlen = 3;
  umap->table = static_cast<uint16_t*>(std::malloc(3 * sizeof(uint16_t)));
  umap->table[0] = 2, umap->table[1] = 'f', umap->table[2] = 'f';
  font.unicode_cmap = umap;
  p.fonts.push_back(font);
  // "f X": the space laid out 300 units wide.
  PdfSaveEntry* line = TextLine(20, 150, 31, 20, u"f X", black);
  static_cast<PdfSaveTextBlock*>(line->element)->runs[0]->chars[1].advance = 300;
  p.elements.push_back(line);
  // A ligature's letters in a row are drawn with its glyph, and copied as the letters.
  p.elements.push_back(TextLine(20, 100, 31, 20, u"off", black));
  // The euro sign is in no table of the font: the default font draws it, laid out 1000 units wide.
  line = TextLine(20, 40, 31, 100, u"\u20ACI", black);
  static_cast<PdfSaveTextBlock*>(line->element)->runs[0]->chars[0].advance = 1000;
  p.elements.push_back(line);
  src.pages.push_back(std::move(p));
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));

  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, kSans, 0, &face), 0);
  char want[64];
  std::snprintf(want, sizeof want, "[<%04x>-300 <%04x>] TJ", FT_Get_Char_Index(face, 'f'), FT_Get_Char_Index(face, 'X'));
  char ligature[64];
  std::snprintf(ligature, sizeof ligature, "[<%04x><%04x>] TJ", FT_Get_Char_Index(face, 'o'), FT_Get_Char_Index(face, '\''));
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
  EXPECT_NE(objects.find(want), std::string::npos) << want;
  EXPECT_NE(objects.find(ligature), std::string::npos) << ligature;
  EXPECT_NE(Shell("pdftotext '" + out.string() + "' -").find("off"), std::string::npos);
  const std::string fonts = Shell("pdffonts '" + out.string() + "'");
  int rows = 0;
  for (size_t at = fonts.find("CID TrueType"); at != std::string::npos; at = fonts.find("CID TrueType", at + 1)) ++rows;
  EXPECT_EQ(rows, 2) << "the font and the default font, which only the euro sign needs:\n" << fonts;
  // The I stands 100 points after the euro sign's start (x 120), whatever width the default
  // font gives the euro sign: nothing of the I before x 115, its stem by x 135.
  const Raster r = Render(out, dir);
  ASSERT_GT(r.w, 200);
  int early = 0, stem = 0;
  for (int y = 100; y < 150; ++y) {
    for (int x = 90; x < 115; ++x) early += (r.At(x, y) & 0xFF) < 100;
    for (int x = 115; x < 140; ++x) stem += (r.At(x, y) & 0xFF) < 100;
  }
  EXPECT_EQ(early, 0);
  EXPECT_GT(stem, 100);
}

// A precomposed letter a Type 1 font lacks is drawn from the font's letter and spacing accent, as
// the text engine draws it, and copies as the precomposed letter: no default font.
TEST(SavePdf, AccentedLettersAFontLacksAreComposedFromItsLetterAndAccent) {
  const char* t1 = "/usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1";
  if (!std::filesystem::exists(t1)) GTEST_SKIP() << "no Type 1 program installed";
  lwtest::TempDir dir;
  const auto out = dir / "accents.pdf";
  float black[3] = {0, 0, 0};
  Source src;
  PageSpec p;
  // Tables for the first 128 codes only: the precomposed letters are in no table.
  PdfFontRecord r = NameKeyedFont(41, kPdfProgramType1, lwtest::ReadFileBytes(t1), 0x80, "Probe");
  auto* gid = const_cast<uint16_t*>(r.program->cid_to_gid);
  auto* ucs = const_cast<uint16_t*>(r.program->cid_to_ucs);
  // Code 1 holds the acute accent (U+00B4), code 2 the dotless i.
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, t1, 0, &face), 0);
  gid[1] = uint16_t(FT_Get_Char_Index(face, 0xB4)), ucs[1] = 0xB4;
  gid[2] = uint16_t(FT_Get_Char_Index(face, 0x131)), ucs[2] = 0x131;
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  ASSERT_NE(gid[1], 0);
  p.fonts.push_back(r);
  p.elements.push_back(TextLine(20, 50, 41, 100, u"\u00E9t\u00ED", black));
  src.pages.push_back(std::move(p));
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  int status = -1;
  const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
  EXPECT_EQ(status, 0) << check;
  const std::string fonts = Shell("pdffonts '" + out.string() + "'");
  EXPECT_EQ(fonts.find("CID TrueType"), std::string::npos) << "the default font stands in:\n" << fonts;
  EXPECT_NE(Shell("pdftotext -enc UTF-8 '" + out.string() + "' -").find("\u00E9t\u00ED"), std::string::npos);
  // The accent stands above the e's x-height, over the e (x 20 to 64).
  const Raster ras = Render(out, dir);
  ASSERT_GT(ras.w, 150);
  int over = 0, beside = 0;
  for (int y = 60; y < 100; ++y) {
    for (int x = 22; x < 64; ++x) over += (ras.At(x, y) & 0xFF) < 100;
    for (int x = 0; x < 20; ++x) beside += (ras.At(x, y) & 0xFF) < 100;
  }
  EXPECT_GT(over, 50);
  EXPECT_EQ(beside, 0);
}

}  // namespace

namespace {

// An accented glyph of a Type 1 or CFF program is built from its letter and accent: the cut keeps
// both even when only the accented glyph is shown. A program the cutter cannot read (an accent
// built by a subroutine from the operands its caller leaves) goes in whole, untagged, and still
// draws and copies right.
TEST(SavePdf, AccentedGlyphsKeepTheirPartsAndProgramsTheCutterCannotReadGoInWhole) {
  struct Case {
    const char* what;
    int kind;
    std::vector<uint8_t> program;
    bool cut;
  };
  const std::vector<Case> cases = {
      {"Type 1", kPdfProgramType1, lwtest::MakeType1(false), true},
      {"Type 1, hexadecimal", kPdfProgramType1, lwtest::MakeType1(true), true},
      {"CFF", kPdfProgramCff, lwtest::MakeAccentedCff(), true},
      {"Type 1, accent built by a subroutine", kPdfProgramType1, lwtest::MakeType1(false, true), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lwtest::TempDir dir;
    float black[3] = {0, 0, 0};
    // The ink of "AB" and of "\u00C1B": the accent adds a box of 10 x 5 points.
    long ink[2] = {0, 0};
    for (int accented = 0; accented < 2; ++accented) {
      const auto out = dir / ("accent" + std::to_string(accented) + ".pdf");
      Source src;
      PageSpec p;
      p.fonts.push_back(NameKeyedFont(51, c.kind, c.program, 0x100, "Probe"));
      ASSERT_NE(p.fonts[0].program->cid_to_gid[0xC1], 0);
      p.elements.push_back(TextLine(20, 50, 51, 100, accented ? u"\u00C1B" : u"AB", black));
      src.pages.push_back(std::move(p));
      ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
      int status = -1;
      const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
      EXPECT_EQ(status, 0) << check;
      const std::string fonts = Shell("pdffonts '" + out.string() + "'");
      if (c.cut) {
        EXPECT_NE(fonts.find("+Probe "), std::string::npos) << fonts;
        EXPECT_NE(fonts.find("yes yes yes"), std::string::npos) << fonts;
      } else {
        EXPECT_NE(fonts.find("\nProbe "), std::string::npos) << fonts;
        EXPECT_NE(fonts.find("yes no  yes"), std::string::npos) << fonts;
      }
      EXPECT_NE(Shell("pdftotext -enc UTF-8 '" + out.string() + "' -").find(accented ? "\u00C1B" : "AB"), std::string::npos);
      const Raster r = Render(out, dir);
      ASSERT_GT(r.w, 100);
      for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) ink[accented] += (r.At(x, y) & 0xFF) < 128;
    }
    EXPECT_GT(ink[0], 1000);
    EXPECT_GT(ink[1] - ink[0], 30);
    EXPECT_LT(ink[1] - ink[0], 80);
  }
}

}  // namespace

namespace {

// A stroked line from (20, 100) to (280, 100), 4 wide, styled by `style`.
PdfSaveEntry* StyledLine(const std::function<void(PdfSaveLineStyle&)>& style) {
  auto* p = Alloc<PdfSavePath>();
  const float m[6] = {1, 0, 0, 1, 0, 0};
  std::memcpy(p->matrix, m, sizeof m);
  p->stroke_on = 1;
  p->stroke_rgba[3] = 1;
  p->line_style = Alloc<PdfSaveLineStyle>();
  p->line_style->kind = p->line_style->cap = p->line_style->join = 1;
  p->line_style->width = 4;
  p->line_style->miter_limit = 10;
  style(*p->line_style);
  p->segment_count = 3;
  p->segments = static_cast<PdfPathSegment*>(std::calloc(3, sizeof(PdfPathSegment)));
  p->segments[0] = PdfPathSegment{kPdfMoveTo, 20, 100, 0, 0, 0, 0};
  p->segments[1] = PdfPathSegment{kPdfLineTo, 280, 100, 0, 0, 0, 0};
  p->segments[2] = PdfPathSegment{kPdfCloseWithSegment, 0, 0, 0, 0, 0, 0};
  return Entry(kPdfSavePath, p);
}

// The line style's caps, join, miter limit and dashes reach the content stream; a zero-filled
// tail of the record is the plain stroke it always was, and values a PDF cannot take are left out.
TEST(SavePdf, StrokesGoOutWithTheirCapsJoinsAndDashes) {
  // Where callers put the fields: the first 32 bytes as they always were, the tail in the old
  // reserved bytes.
  static_assert(sizeof(PdfSaveLineStyle) == 160);
  static_assert(offsetof(PdfSaveLineStyle, width) == 16 && offsetof(PdfSaveLineStyle, miter_limit) == 20);
  static_assert(offsetof(PdfSaveLineStyle, dash_phase) == 24 && offsetof(PdfSaveLineStyle, dash_count) == 28);
  static_assert(offsetof(PdfSaveLineStyle, line_cap) == 32 && offsetof(PdfSaveLineStyle, line_join) == 33);
  static_assert(offsetof(PdfSaveLineStyle, dashes) == 36);
  auto dashes = [](PdfSaveLineStyle& s, std::initializer_list<float> d, float phase) {
    s.dash_count = int(d.size());
    std::copy(d.begin(), d.end(), s.dashes);
    s.dash_phase = phase;
  };
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    std::function<void(PdfSaveLineStyle&)> style;
    std::string stroke;  // the stroke's settings in the content stream
    bool dashed;
  };
  const std::vector<Case> cases = {
      {"plain", [](PdfSaveLineStyle&) {}, "4 w 10 M\n20 100 m", false},
      {"round caps, bevel join, miter limit 3, dash-dot (gaps wider than the caps)",
       [&](PdfSaveLineStyle& s) {
         s.line_cap = 1, s.line_join = 2, s.miter_limit = 3;
         dashes(s, {12, 8, 4, 8}, 6);
       },
       "4 w 3 M\n1 J\n2 j\n[12 8 4 8] 6 d\n", true},
      {"an odd list and a phase before its start", [&](PdfSaveLineStyle& s) { dashes(s, {10}, -5); },
       "4 w 10 M\n[10] 15 d\n", true},
      {"square caps, round join", [](PdfSaveLineStyle& s) { s.line_cap = 2, s.line_join = 1; }, "4 w 10 M\n2 J\n1 j\n",
       false},
      {"unknown cap and join, miter limit not finite",
       [&](PdfSaveLineStyle& s) { s.line_cap = 7, s.line_join = 3, s.miter_limit = nan; }, "4 w 10 M\n20 100 m", false},
      {"a length not finite", [&](PdfSaveLineStyle& s) { dashes(s, {10, nan}, 0); }, "4 w 10 M\n20 100 m", false},
      {"no length above 0", [&](PdfSaveLineStyle& s) { dashes(s, {0, 0}, 0); }, "4 w 10 M\n20 100 m", false},
      {"more lengths than the record holds", [](PdfSaveLineStyle& s) { s.dash_count = 40; }, "4 w 10 M\n20 100 m",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lwtest::TempDir dir;
    const auto out = dir / "strokes.pdf";
    Source src;
    PageSpec p;
    p.elements.push_back(StyledLine(c.style));
    src.pages.push_back(std::move(p));
    ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
    int status = -1;
    const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
    EXPECT_EQ(status, 0) << check;
    const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
    EXPECT_NE(objects.find(c.stroke), std::string::npos) << objects;
    // Along the line (row 100 from the top at 72 dpi): gaps between dashes, or none.
    const Raster r = Render(out, dir);
    ASSERT_GT(r.w, 280);
    int changes = 0;
    for (int x = 31; x < 270; ++x) changes += ((r.At(x, 100) & 0xFF) < 128) != ((r.At(x - 1, 100) & 0xFF) < 128);
    if (c.dashed) {
      EXPECT_GE(changes, 15);
    } else {
      EXPECT_EQ(changes, 0);
    }
  }
}

}  // namespace

namespace {

// The names of a simple font's /Differences in the file, by code (qpdf's uncompressed form).
std::vector<std::string> DifferencesOf(const std::string& objects, const std::string& baseFontSuffix) {
  std::vector<std::string> names;
  const size_t font = objects.find(baseFontSuffix);
  if (font == std::string::npos) return names;
  const size_t diff = objects.find("/Differences [", font);
  if (diff == std::string::npos) return names;
  std::string body = objects.substr(diff + 14, objects.find(']', diff) - diff - 14);
  std::replace(body.begin(), body.end(), '\n', ' ');
  size_t code = 0;
  for (size_t at = 0; at < body.size();) {
    while (at < body.size() && body[at] == ' ') ++at;
    size_t end = body.find(' ', at);
    if (end == std::string::npos) end = body.size();
    const std::string item = body.substr(at, end - at);
    at = end;
    if (item.empty()) continue;
    if (item[0] == '/') {
      if (names.size() <= code) names.resize(code + 1);
      names[code++] = item.substr(1);
    } else {
      code = size_t(std::stoul(item));
    }
  }
  return names;
}

}  // namespace

// Code 32 of a simple font is the space's: readers that take code 32 for a word space never take
// a letter for one. A word space the font's tables do not know (an import's gap between words)
// is not its value taken as a code, so it draws no glyph, and neither does a letter the font
// lacks: the default font draws it.
TEST(SavePdf, CodeThirtyTwoIsTheSpacesAndUnknownCharactersAreNoCodes) {
  struct Case {
    const char* what;
    bool spaceKnown;  // the font's tables map U+0020 to its space glyph
  };
  for (const Case& c : {Case{"space in the tables", true}, Case{"no space in the tables", false}}) {
    SCOPED_TRACE(c.what);
    lwtest::TempDir dir;
    const auto out = dir / "codes.pdf";
    float black[3] = {0, 0, 0};
    Source src;
    PageSpec p;
    p.width = 600;
    const char* t1 = "/usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1";
    if (!std::filesystem::exists(t1)) GTEST_SKIP() << "no Type 1 program installed: " << t1;
    PdfFontRecord font = NameKeyedFont(21, kPdfProgramType1, lwtest::ReadFileBytes(t1), 0x80, "Probe");
    auto* ucs = const_cast<uint16_t*>(font.program->cid_to_ucs);
    if (!c.spaceKnown) ucs[32] = 0;
    // The font's printable ASCII glyphs, each shown once, with spaces between them: more than 32
    // glyphs, so that code 32 falls to a letter unless it is kept.
    std::u16string shown;
    for (char16_t ch = 0x21; ch < 0x80; ++ch)
      if (font.program->cid_to_gid[ch]) shown += ch, shown += u' ';
    p.fonts.push_back(font);
    p.elements.push_back(TextLine(10, 100, 21, 8, shown, black));
    src.pages.push_back(std::move(p));
    ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
    const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
    const std::vector<std::string> names = DifferencesOf(objects, "+Probe");
    ASSERT_FALSE(names.empty()) << objects.substr(0, 2000);
    if (names.size() > 32) {
      EXPECT_TRUE(names[32] == "space" || names[32] == ".notdef") << names[32];
    }
    const std::string text = Shell("pdftotext -enc UTF-8 '" + out.string() + "' -");
    std::string letters;
    for (char ch : text)
      if (ch != ' ' && ch != '\n' && ch != '\f') letters += ch;
    std::string expected;
    for (char16_t ch : shown)
      if (ch != u' ') expected += char(ch);
    EXPECT_EQ(letters, expected);
  }
}

// A character beyond the basic plane that no font here has is one missing glyph with the advance
// the caller laid it out with, not two: the letter after it stays in its place, and the glyph
// copies as the character.
// Bold drawn by thickening: the run's glyphs are also stroked as wide as the outline grows (in user
// space: the line matrix scales the em), in the fill colour, or in the stroke colour that much
// wider; the line width and join stay inside the text.
TEST(SavePdf, EmboldenedRunsStrokeTheirGlyphsAsWideAsTheOutlineGrows) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  struct Case {
    const char* what;
    float embolden;
    bool stroke;
    std::string text;  // the block as written, up to its glyphs
  };
  const std::vector<Case> cases = {
      {"filled", 20, false, "q 1 j BT 2 0 0 2 20 100 Tm\n0 Tc 100 Tz 0 Ts 2 Tr 0 0 1 rg 0 0 1 RG\n0.8 w\n"},
      {"filled and stroked", 20, true, "q 1 j BT 2 0 0 2 20 100 Tm\n0 Tc 100 Tz 0 Ts 2 Tr 0 0 1 rg 1 0 0 RG\n1.8 w\n"},
      {"not emboldened", 0, false, "BT 2 0 0 2 20 100 Tm\n0 Tc 100 Tz 0 Ts 0 Tr 0 0 1 rg 1 0 0 RG\n/F"},
      {"not a number", nan, false, "BT 2 0 0 2 20 100 Tm\n0 Tc 100 Tz 0 Ts 0 Tr 0 0 1 rg 1 0 0 RG\n/F"},
      {"wider than an em", 5000, false, "BT 2 0 0 2 20 100 Tm\n0 Tc 100 Tz 0 Ts 0 Tr 0 0 1 rg 1 0 0 RG\n/F"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lwtest::TempDir dir;
    const auto out = dir / "bold.pdf";
    float blue[3] = {0, 0, 1};
    Source src;
    PageSpec p;
    p.fonts.push_back(SystemFont(5, kSans, 0, u"AB", "ABCDE+LiberationSans"));
    PdfSaveEntry* line = TextLine(20, 100, 5, 20, u"AB", blue);
    auto* block = static_cast<PdfSaveTextBlock*>(line->element);
    block->matrix[0] = block->matrix[3] = 2;
    PdfSaveTextRun* run = block->runs[0];
    run->embolden = c.embolden;
    run->stroke_on = c.stroke;
    run->stroke_rgba[0] = run->stroke_rgba[3] = 1;
    p.elements.push_back(line);
    src.pages.push_back(std::move(p));
    ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
    int status = -1;
    const std::string check = Shell("qpdf --check '" + out.string() + "'", &status);
    EXPECT_EQ(status, 0) << check;
    const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
    EXPECT_NE(objects.find(c.text), std::string::npos) << objects;
    EXPECT_EQ(objects.find("ET Q") != std::string::npos, c.text.rfind("q ", 0) == 0) << objects;
  }
}

TEST(SavePdf, ACharacterBeyondTheBasicPlaneIsOneMissingGlyph) {
  lwtest::TempDir dir;
  const auto out = dir / "astral.pdf";
  float black[3] = {0, 0, 0};
  Source src;
  PageSpec p;
  p.fonts.push_back(SystemFont(5, kSans, 0, u"AB", "ABCDE+LiberationSans"));
  PdfSaveEntry* line = TextLine(20, 100, 5, 20, u"A\U0001F600B", black);
  PdfSaveTextRun* run = static_cast<PdfSaveTextBlock*>(line->element)->runs[0];
  ASSERT_EQ(run->char_count, 4);
  run->chars[0].advance = 667;
  run->chars[1].advance = 1000;  // the pair's advance on its first unit
  run->chars[3].advance = 667;
  run->chars[3].adjustment = -1000;  // an em apart, so that B is a word of its own
  p.elements.push_back(line);
  src.pages.push_back(std::move(p));
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  const std::string objects = Shell("qpdf --qdf --object-streams=disable '" + out.string() + "' -");
  const size_t bt = objects.find("BT ");
  ASSERT_NE(bt, std::string::npos);
  const std::string content = objects.substr(bt, objects.find("ET", bt) - bt);
  size_t missing = 0;
  for (size_t at = content.find("<0000>"); at != std::string::npos; at = content.find("<0000>", at + 1)) ++missing;
  EXPECT_EQ(missing, 1u) << "missing glyphs drawn";
  // B starts where A, the character's advance and the em put it: 20 + (0.667 + 1 + 1) x 20 points.
  const std::string boxes = Shell("pdftotext -bbox '" + out.string() + "' -");
  const size_t b = boxes.find(">B</word>");
  ASSERT_NE(b, std::string::npos) << boxes;
  const size_t xMin = boxes.rfind("xMin=\"", b);
  ASSERT_NE(xMin, std::string::npos);
  EXPECT_NEAR(std::stod(boxes.substr(xMin + 6)), 20 + 2.667 * 20, 0.6) << boxes;
  const std::string text = Shell("pdftotext -enc UTF-8 '" + out.string() + "' -");
  EXPECT_NE(text.find("\xF0\x9F\x98\x80"), std::string::npos) << text;
}

// A picture shown on two pages goes into the file once.
TEST(SavePdf, APictureShownTwiceIsWrittenOnce) {
  lwtest::TempDir dir;
  const auto out = dir / "twice.pdf";
  const std::vector<uint8_t> png = Png(4, 4, std::vector<uint32_t>(16, 0xFF2040C0u));
  Source src;
  for (int i = 0; i < 2; ++i) {
    PageSpec p;
    p.elements.push_back(Image(20, 20, 100, 100, png, false));
    p.elements.push_back(Image(150, 20, 50, 50, png, false));
    src.pages.push_back(std::move(p));
  }
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  const std::string list = Shell("pdfimages -list '" + out.string() + "'");
  std::set<std::string> objects;
  int shown = 0;
  std::istringstream rows(list);
  std::string row;
  for (int n = 0; std::getline(rows, row); ++n) {
    if (n < 2 || row.empty()) continue;
    std::istringstream cols(row);
    std::vector<std::string> c;
    for (std::string w; cols >> w;) c.push_back(w);
    ASSERT_GE(c.size(), 12u) << row;
    if (c[2] != "image") continue;  // soft masks go with their image
    objects.insert(c[10]);
    ++shown;
  }
  EXPECT_EQ(shown, 4) << list;
  EXPECT_EQ(objects.size(), 1u) << list;
}

// A ligature of a Type 1 font whose first letter the caller laid out with no advance (the font
// has no glyph of its own for it: the import gives it none, and its next letter ends where the
// ligature ends): the ligature's glyph stands for both, and the letters after it stay where the
// caller put them, not one letter's width further right.
TEST(SavePdf, ALigatureWhoseFirstLetterHasNoAdvanceKeepsTheWordInPlace) {
  const char* t1 = "/usr/share/fonts/type1/urw-base35/NimbusRoman-Regular.t1";
  if (!std::filesystem::exists(t1)) GTEST_SKIP() << "no Type 1 program installed: " << t1;
  lwtest::TempDir dir;
  const auto out = dir / "ligature.pdf";
  PdfFontRecord font = NameKeyedFont(21, kPdfProgramType1, lwtest::ReadFileBytes(t1), 0x80, "Probe");
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  ASSERT_EQ(FT_Init_FreeType(&lib), 0);
  ASSERT_EQ(FT_New_Face(lib, t1, 0, &face), 0);
  const FT_UInt fi = FT_Get_Char_Index(face, 0xFB01);
  FT_Done_Face(face);
  FT_Done_FreeType(lib);
  ASSERT_NE(fi, 0u);
  // Code 1 draws the ligature (U+FB01); the font has no "f" of its own.
  auto* gid = const_cast<uint16_t*>(font.program->cid_to_gid);
  auto* ucs = const_cast<uint16_t*>(font.program->cid_to_ucs);
  gid[1] = uint16_t(fi), ucs[1] = 0xFB01;
  gid['f'] = 0, ucs['f'] = 0;
  float black[3] = {0, 0, 0};
  Source src;
  PageSpec p;
  p.fonts.push_back(font);
  // "fil" at 20 points: f no advance, i (278) ending where the ligature (556) ends, l (278).
  PdfSaveEntry* line = TextLine(20, 100, 21, 20, u"fil", black);
  PdfSaveTextRun* run = static_cast<PdfSaveTextBlock*>(line->element)->runs[0];
  run->chars[0].advance = 0;
  run->chars[1].advance = 278;
  run->chars[1].adjustment = -278;
  run->chars[2].advance = 278;
  p.elements.push_back(line);
  src.pages.push_back(std::move(p));
  ASSERT_TRUE(cpdfEngine(nullptr, false).saving_pdf(lw::Utf8ToWide(out.string()).c_str(), &src));
  const std::string boxes = Shell("pdftotext -bbox '" + out.string() + "' -");
  const size_t word = boxes.find(">fil</word>");
  ASSERT_NE(word, std::string::npos) << boxes;
  const size_t xMax = boxes.rfind("xMax=\"", word);
  ASSERT_NE(xMax, std::string::npos);
  EXPECT_NEAR(std::stod(boxes.substr(xMax + 6)), 20 + (0.556 + 0.278) * 20, 0.3) << boxes;
}
