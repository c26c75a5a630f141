// PDF import: page content source and page parser (see quirebook/PdfPageParser.h).
#include "quirebook/PdfPageParser.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include <gdi/fontfiles.h>
#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/EditableTextObj.h>
#include <glyphweave/EmbedFontRes.h>
#include <glyphweave/FontCacheManager.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>
#include <win32/lwbytes.h>
#include <win32/lwstr.h>

#include "quirebook/DDrawTextObj.h"

namespace Quirebook {

using Vectorloom::CQorTransMatrix;
using Vectorloom::CRenderBaseObj;

namespace {

// Images larger than this many pixels are not imported (the engine never delivers them anyway).
constexpr int64_t kMaxImagePixels = int64_t{64} * 1024 * 1024;
constexpr float kCloseEpsilon = 5e-8f;

CQorTransMatrix MatrixOf(const float m[6]) { return {m[0], m[1], m[2], m[3], m[4], m[5]}; }

// Holds one reference on a new page object until it is handed to the page.
struct ObjectRef {
  explicit ObjectRef(CRenderBaseObj* p) : obj(p) {
    if (obj) obj->AddRef();
  }
  ~ObjectRef() {
    if (obj) obj->Release();
  }
  ObjectRef(const ObjectRef&) = delete;
  ObjectRef& operator=(const ObjectRef&) = delete;
  CRenderBaseObj* obj;
};

uint64_t Fnv1a(uint64_t h, const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < n; ++i) {
    h ^= p[i];
    h *= 1099511628211ull;
  }
  return h;
}

uint64_t HashInt(uint64_t h, int32_t v) {
  uint8_t b[4];
  lw::PutLE32(b, static_cast<uint32_t>(v));
  return Fnv1a(h, b, 4);
}

// A bounded copy of a C string of at most `limit` characters (null gives an empty string).
std::string BoundedString(const char* s, size_t limit) {
  if (!s) return {};
  size_t n = 0;
  while (n < limit && s[n]) ++n;
  return std::string(s, n);
}

void PutU16(std::vector<uint8_t>& out, uint16_t v) { lw::AppendLE16(out, v); }
void PutI32(std::vector<uint8_t>& out, int32_t v) { lw::AppendLE32(out, static_cast<uint32_t>(v)); }
std::vector<uint8_t> HMetricBytes(const PdfHMetric& m) {
  std::vector<uint8_t> out;
  PutU16(out, m.lo);
  PutU16(out, m.hi);
  PutI32(out, m.w);
  return out;
}
std::vector<uint8_t> VMetricBytes(const PdfVMetric& m) {
  std::vector<uint8_t> out;
  PutU16(out, m.lo);
  PutU16(out, m.hi);
  PutU16(out, static_cast<uint16_t>(m.x));
  PutU16(out, static_cast<uint16_t>(m.y));
  PutU16(out, static_cast<uint16_t>(m.w));
  return out;
}

// A GDI+ bitmap over a copy of raw pixels, or null. Rows come bottom-up with a 4-byte aligned
// stride; the bitmap starts at the last row and runs upwards. One byte a pixel is grey (a grey
// palette), two bytes a pixel (grey and alpha) become 24-bit grey, three 24-bit, four 32-bit ARGB.
Gdiplus::Bitmap* MakeRawBitmap(const PdfImageRecord& image, void** pixels) {
  *pixels = nullptr;
  const int w = image.width, h = image.height, bpp = image.bytes_per_pixel;
  if (!image.data || w <= 0 || h <= 0 || bpp < 1 || bpp > 4) return nullptr;
  if (static_cast<int64_t>(w) * h > kMaxImagePixels) return nullptr;
  const int64_t stride = (static_cast<int64_t>(w) * bpp * 8 + 31) / 32 * 4;
  if (image.data_length < 0 || static_cast<int64_t>(image.data_length) < stride * h) return nullptr;

  const int outBpp = bpp == 2 ? 3 : bpp;
  const int64_t outStride = (static_cast<int64_t>(w) * outBpp * 8 + 31) / 32 * 4;
  auto* buffer = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(outStride * h)));
  if (!buffer) return nullptr;
  if (bpp == 2) {
    for (int y = 0; y < h; ++y) {
      const uint8_t* src = image.data + y * stride;
      uint8_t* dst = buffer + y * outStride;
      for (int x = 0; x < w; ++x) dst[3 * x] = dst[3 * x + 1] = dst[3 * x + 2] = src[2 * x];
    }
  } else {
    std::memcpy(buffer, image.data, static_cast<size_t>(stride * h));
  }
  const Gdiplus::PixelFormat format = outBpp == 1   ? Gdiplus::PixelFormat8bppIndexed
                                      : outBpp == 4 ? Gdiplus::PixelFormat32bppARGB
                                                    : Gdiplus::PixelFormat24bppRGB;
  auto* bitmap = new (std::nothrow) Gdiplus::Bitmap(w, h, -static_cast<INT>(outStride), format,
                                                    buffer + (h - 1) * outStride);
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) {
    delete bitmap;
    std::free(buffer);
    return nullptr;
  }
  if (outBpp == 1) {
    std::vector<uint8_t> storage(sizeof(Gdiplus::ColorPalette) + 256 * sizeof(Gdiplus::ARGB));
    auto* palette = reinterpret_cast<Gdiplus::ColorPalette*>(storage.data());
    palette->Flags = 0;
    palette->Count = 256;
    for (uint32_t i = 0; i < 256; ++i) palette->Entries[i] = 0xFF000000u | (i << 16) | (i << 8) | i;
    bitmap->SetPalette(palette);
  }
  *pixels = buffer;
  return bitmap;
}

Gdiplus::Bitmap* MakeEncodedBitmap(const PdfImageRecord& image) {
  if (!image.data || image.data_length <= 0) return nullptr;
  IStream* stream = SHCreateMemStream(image.data, static_cast<UINT>(image.data_length));
  if (!stream) return nullptr;
  Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromStream(stream);
  stream->Release();
  if (bitmap && (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0)) {
    delete bitmap;
    bitmap = nullptr;
  }
  return bitmap;
}

// Builds the sub-paths of a path record's segments onto `shape`.
class PathWalker {
 public:
  PathWalker(Vectorloom::CCustomPathObj* shape, bool closeOpenPaths) : m_shape(shape), m_closeOpen(closeOpenPaths) {}

  void Walk(const PdfPathSegment* segs, int count) {
    for (int i = 0; i < count; ++i) Step(segs[i]);
    Finish();
  }

 private:
  using Node = Vectorloom::CQorVectorEdgeNode;

  int Count() const { return m_current.GetNodesCount(); }

  // Adds the closing node when the last node is away from the first, marks closed and adds.
  void CloseAndAdd() {
    const Node& first = m_current.GetNode(0);
    const Node& last = m_current.GetNode(Count() - 1);
    if (std::fabs(last.pt.x - first.pt.x) > kCloseEpsilon || std::fabs(last.pt.y - first.pt.y) > kCloseEpsilon)
      m_current.AddNode(Node(first.pt));
    m_current.SetClosed(true);
    Add();
  }
  void Add() {
    m_shape->AddSubPath(m_current);
    Drop();
  }
  void Drop() {
    m_current = Vectorloom::CBaseCustomPath();
    m_open = false;
  }
  // An unfinished sub-path: closed when only filled (a fill closes it anyway), else left open.
  void FlushOpen() {
    if (!m_open || Count() == 0) return Drop();
    if (m_closeOpen && Count() > 2) return CloseAndAdd();
    Add();
  }

  void Step(const PdfPathSegment& s) {
    switch (s.op) {
      case kPdfMoveTo:
        FlushOpen();
        m_current.AddNode(Node(s.x1, s.y1));
        m_open = true;
        break;
      case kPdfLineTo:
        if (m_open && Count() > 0) m_current.AddNode(Node(s.x1, s.y1));
        break;
      case kPdfCurveTo:
        if (m_open && Count() > 0) Curve({s.x1, s.y1}, {s.x2, s.y2}, {s.x3, s.y3});
        break;
      case kPdfCurveToV:
        if (m_open && Count() > 0) Curve(m_current.GetNode(Count() - 1).pt, {s.x1, s.y1}, {s.x2, s.y2});
        break;
      case kPdfCurveToY:
        if (m_open && Count() > 0) Curve({s.x1, s.y1}, {s.x2, s.y2}, {s.x2, s.y2});
        break;
      case kPdfClose:
        // Two nodes close too: a single curve closed by its chord.
        if (m_open && Count() >= 2) {
          m_current.SetClosed(true);
          Add();
        }
        break;
      case kPdfRectangle:
        if (m_open && Count() >= 2)
          Add();
        else
          Drop();
        m_shape->AddRectanglePath({s.x1, s.y1, s.x1 + s.x2, s.y1 + s.y2});
        break;
      case kPdfCloseWithSegment:
        if (m_open && Count() >= 2) CloseAndAdd();
        break;
      default:
        break;
    }
  }
  void Curve(Vectorloom::CQorVectorPoint<float> c1, Vectorloom::CQorVectorPoint<float> c2,
             Vectorloom::CQorVectorPoint<float> end) {
    Node& last = m_current.GetNode(Count() - 1);
    last.ptOut = c1;
    last.bHasOut = 1;
    Node node(end);
    node.ptIn = c2;
    node.bHasIn = 1;
    m_current.AddNode(node);
  }
  void Finish() { FlushOpen(); }

  Vectorloom::CCustomPathObj* m_shape;
  bool m_closeOpen;
  Vectorloom::CBaseCustomPath m_current;
  bool m_open = false;
};

}  // namespace

COLORREF PdfColorToRgb(const float rgb[3]) {
  uint32_t c[3];
  for (int i = 0; i < 3; ++i) {
    const float v = rgb[i] * 255.0f + 0.5f;
    c[i] = !(v >= 0.0f) ? 0u : v >= 255.0f ? 255u : static_cast<uint32_t>(v);
  }
  return c[0] | (c[1] << 8) | (c[2] << 16);
}

std::wstring MakePdfImageResourceName(const PdfImageRecord& image) {
  uint64_t h = 14695981039346656037ull;
  h = HashInt(h, image.kind == kPdfImageRaw ? kPdfImageRaw : kPdfImageEncoded);
  h = HashInt(h, image.width);
  h = HashInt(h, image.height);
  h = HashInt(h, image.kind == kPdfImageRaw ? image.bytes_per_pixel : 0);
  if (image.data && image.data_length > 0) h = Fnv1a(h, image.data, static_cast<size_t>(image.data_length));
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  return std::wstring(kPdfImageResourcePrefix) + L"#" + lw::Utf8ToWide(hex);
}

CQorTransMatrix CPDFPageParserImpl::PlaceMatrix(const CQorTransMatrix& own) const {
  const float height = m_pPage ? m_pPage->GetLogHeight() : 0.0f;
  return own * m_matPage * CQorTransMatrix(kPdfImportScale, 0, 0, -kPdfImportScale, 0, 0) *
         CQorTransMatrix::Translation(0, height * kPdfImportScale);
}

void CPDFPageParserImpl::PlaceObject(CRenderBaseObj* obj, const CQorTransMatrix& own) {
  obj->SetTransMatrix(PlaceMatrix(own), true);
  m_pPage->AddShapeObject(obj);
}

void CPDFPageParserImpl::OnPageBegin(const PdfPageRecord* page) {
  m_matPage.Reset();
  if (!page || !m_pPage) return;
  const float width = page->box[2] - page->box[0], height = page->box[3] - page->box[1];
  m_pPage->SetLogWidth(width);
  m_pPage->SetLogHeight(height);
  m_pPage->SetPageLogUnit(Vectorloom::UNIT_POINT);
  CQorTransMatrix flip(1, 0, 0, -1, 0, height);
  if (flip.Invert()) m_matPage = MatrixOf(page->matrix) * flip;
}

void CPDFPageParserImpl::OnTextObject(const PdfTextRecord* text) {
  if (!text || !m_pDoc || !m_pPage || text->run_count <= 0 || !text->runs) return;
  GlyphweaveLib::CEmbedFontResManager* fonts = m_pDoc->GetEmbedFontResManager();

  // Only text with something visible makes an object; its fonts must be known up to there.
  bool visible = false;
  for (int r = 0; r < text->run_count && !visible; ++r) {
    const PdfTextRun* run = text->runs[r];
    if (!run) continue;
    if (!fonts->FindEmbedFontResource(DocumentFontId(run->font_id))) return;
    for (int i = 0; run->chars && i < run->char_count; ++i) {
      const int c = run->chars[i].character & 0xFFFF;
      if (c > 255 || !std::isspace(c)) {
        visible = true;
        break;
      }
    }
  }
  if (!visible) return;

  ObjectRef ref(m_pDoc->CreateNewObject(Vectorloom::RENDER_OBJ_TEXT));
  auto* editable = dynamic_cast<GlyphweaveLib::CEditableTextObj*>(ref.obj);
  if (!editable) return;

  GlyphweaveLib::CArrayOfTextCharacters& chars = editable->GetArrayOfTextCharacters();
  bool bold = false, italic = false;
  GlyphweaveLib::_CharsFontDesc runFont;
  // Characters whose width in the PDF is given: index, font (in runFonts), width in points.
  struct Measured {
    size_t index, font;
    float width;
  };
  std::vector<Measured> measured;
  std::vector<GlyphweaveLib::_CharsFontDesc> runFonts;
  // The page keeps its texts for as long as it is loaded: the array is sized once, with no spare.
  size_t total = 0;
  for (int r = 0; r < text->run_count; ++r)
    if (text->runs[r] && text->runs[r]->chars && text->runs[r]->char_count > 0)
      total += static_cast<size_t>(text->runs[r]->char_count);
  chars.reserve(chars.size() + total);
  for (int r = 0; r < text->run_count; ++r) {
    const PdfTextRun* run = text->runs[r];
    if (!run || run->char_count <= 0 || !run->chars) continue;
    const int fontId = DocumentFontId(run->font_id);
    const GlyphweaveLib::CEmbedFontResouce* font = fonts->FindEmbedFontResource(fontId);
    if (font) {
      const GlyphweaveLib::CPdfEmbedFontDesc* program = font->GetEmbedPdfFontContent();
      GlyphweaveLib::TFontRunInfo info;
      info.m_nLength = static_cast<uint32_t>(run->char_count);
      std::wstring face =
          program ? lw::Utf8ToWide(BoundedString(program->GetFontName(), GlyphweaveLib::CPdfEmbedFontDesc::kMaxNameLength))
                  : std::wstring();
      bold = program && program->m_nSecondWord != 0;
      italic = program && program->m_nHintingWord != 0;
      // A font that is not embedded and names a bold or italic style is drawn from the system's
      // face of that style where there is one ("Arial Bold"), not emboldened or slanted.
      if (program && program->m_vProgram.empty() && (bold || italic) && HasSystemStyle(fontId, face, bold, italic)) {
        face += bold && italic ? L" Bold Italic" : bold ? L" Bold" : L" Italic";
        bold = italic = false;
      }
      info.m_FontDesc = GlyphweaveLib::_CharsFontDesc(face.c_str(), 1, 0, fontId);
      editable->AppendFontRun(info);
      runFont = info.m_FontDesc;
    } else {
      // Characters of a font the document does not know stay in the previous run's font, so every
      // character keeps a font run.
      const auto& runs = editable->GetFontRuns();
      const int last = runs.GetSize() - 1;
      if (last < 0) continue;
      GlyphweaveLib::TFontRunInfo info = runs.GetAt(last);
      info.m_nLength += static_cast<uint32_t>(run->char_count);
      editable->SetFontRunAt(last, info);
      runFont = info.m_FontDesc;
    }
    const COLORREF colour = run->fill_given ? PdfColorToRgb(run->fill_rgb) : 0;
    // The run's format, which its characters share.
    GlyphweaveLib::CCharacterItem item;
    item.SetFontPointSize(run->font_size);
    item.SetBold(bold ? 1 : 0);
    item.SetItalicSkew(italic ? -0.36397f : 0.0f);
    item.SetCharSpacing(run->char_spacing);
    item.SetCharXScale(run->horizontal_scale * kPdfImportGlyphScale);
    item.SetCharYScale(kPdfImportGlyphScale);
    item.SetBaselineShift(run->rise);
    item.SetRenderColor(colour);
    for (int i = 0; i < run->char_count; ++i) {
      item.SetCharacter(static_cast<char16_t>(run->chars[i].character & 0xFFFF));
      item.SetHorizontalShift(-run->chars[i].adjustment * run->font_size / 1000.0f);
      if (run->advances_given) {
        if (i == 0) runFonts.push_back(runFont);
        measured.push_back({chars.size(), runFonts.size() - 1,
                            run->chars[i].advance / 1000.0f * run->font_size * run->horizontal_scale});
      }
      chars.push_back(item);
    }
  }
  // The shifts count each character with its width in the PDF; the face that draws it may give
  // it another (a system face for a font not embedded, hinted advances, a glyph the face lacks, a
  // word space the PDF leaves as a gap). The difference goes into the next character's shift, so
  // that every glyph stays where the PDF puts it.
  if (!measured.empty()) {
    HDC dc = GetDC(nullptr);
    GlyphweaveLib::CFontCacheManager* cache = m_pDoc->GetFontGlyphCacheManager();
    std::unique_lock<std::recursive_mutex> lock;
    if (cache) lock = std::unique_lock<std::recursive_mutex>(cache->GetLock());
    // The glyph map of each run's font, looked up once.
    std::vector<GlyphweaveLib::CCharacterGlyphsMap*> maps(runFonts.size(), nullptr);
    for (const Measured& m : measured) {
      if (m.index + 1 >= chars.size()) continue;
      if (cache && !maps[m.font]) maps[m.font] = cache->GetGlyphsMap(runFonts[m.font], fonts);
      chars[m.index].BuildGlyph(dc, maps[m.font], runFonts[m.font], fonts, cache);
      const float difference = m.width - chars[m.index].GetIncreaseDeltaX();
      if (std::fabs(difference) > 1e-5f)
        chars[m.index + 1].SetHorizontalShift(chars[m.index + 1].GetHorizontalShift() + difference);
    }
    if (dc) ReleaseDC(nullptr, dc);
  }
  PlaceObject(ref.obj, CQorTransMatrix(1, 0, 0, -1, 0, 0) * MatrixOf(text->matrix));
}

bool CPDFPageParserImpl::HasSystemStyle(int fontId, const std::wstring& face, bool bold, bool italic) {
  const auto it = m_systemStyles.find(fontId);
  if (it != m_systemStyles.end()) return it->second;
  const bool has = LwHasFontStyle(face.c_str(), bold, italic);
  m_systemStyles.emplace(fontId, has);
  return has;
}

void CPDFPageParserImpl::OnImageObject(const PdfImageRecord* image) {
  if (!image || !m_pDoc || !m_pPage) return;
  Vectorloom::CExternalBmpResObj* resource = nullptr;
  const auto known = m_pImages && image->image_id != 0 ? m_pImages->find(image->image_id) : ImageCache::iterator();
  if (m_pImages && image->image_id != 0 && known != m_pImages->end()) {
    resource = known->second;
    resource->AddRef();
  } else {
    void* pixels = nullptr;
    Gdiplus::Bitmap* bitmap = image->kind == kPdfImageRaw ? MakeRawBitmap(*image, &pixels) : MakeEncodedBitmap(*image);
    if (!bitmap) return;
    // Known by content alone: the name hashes the pixels and the time is kPdfImageResourceTime, so
    // the same picture imported at any moment is one picture to the writer.
    resource = new Vectorloom::CExternalBmpResObj(CString(MakePdfImageResourceName(*image).c_str()),
                                                  static_cast<uint32_t>(image->data_length), kPdfImageResourceTime);
    resource->AddRef();
    resource->SetGdiBitmap(bitmap, pixels, 1);
    if (m_pImages && image->image_id != 0) {
      resource->AddRef();
      (*m_pImages)[image->image_id] = resource;
    }
  }
  // The rectangle only has to match the matrix; an encoded image without a size takes its own.
  const bool sized = image->width > 0 && image->height > 0;
  Gdiplus::Bitmap* shown = resource->GetGdiBitmap();
  const float w = static_cast<float>(sized ? image->width : shown ? static_cast<int>(shown->GetWidth()) : 1);
  const float h = static_cast<float>(sized ? image->height : shown ? static_cast<int>(shown->GetHeight()) : 1);

  ObjectRef ref(m_pDoc->CreateNewObject(Vectorloom::RENDER_OBJ_SHAPE));
  auto* shape = dynamic_cast<Vectorloom::CCustomPathObj*>(ref.obj);
  if (shape) {
    shape->AddRectanglePath({0, 0, w, h});
    shape->SetFillInsideFlag(1);
    shape->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
    shape->GetFillDefinition().SetRenderBitmap(resource);
    shape->SetStrokeOutlineFlag(0);
    PlaceObject(shape, CQorTransMatrix(1 / w, 0, 0, 1 / h, 0, 0) * MatrixOf(image->matrix));
    shape->CreateStrokenPathStorage();
  }
  resource->Release();
}

int CPDFPageParserImpl::DocumentFontId(int fileFontId) const {
  if (!m_pFontIds) return fileFontId;
  const auto it = m_pFontIds->find(fileFontId);
  return it == m_pFontIds->end() ? -1 : it->second;
}

void CPDFPageParserImpl::OnFontResource(const PdfFontRecord* font) {
  if (!font || !m_pDoc) return;
  GlyphweaveLib::CEmbedFontResManager* fonts = m_pDoc->GetEmbedFontResManager();
  int id = font->font_id;
  if (m_pFontIds) {
    if (m_pFontIds->count(id)) return;  // given on an earlier page
    // The id is another file's font (pasted, or left by other content): this one gets its own.
    if (fonts->FindEmbedFontResource(id)) id = fonts->CreateNewEmbedFontID();
  } else if (fonts->FindEmbedFontResource(id)) {
    return;
  }

  auto* res = new GlyphweaveLib::CEmbedFontResouce();
  res->SetFontID(id);
  res->SetFontFlag(static_cast<uint32_t>(font->flags));
  res->SetItalicAngle(font->italic_angle);
  res->SetFontAscent(font->ascent);
  res->SetFontDescent(font->descent);
  res->SetCapHeight(font->cap_height);
  res->SetXHeight(font->x_height);
  res->SetMissingWidth(font->missing_width);
  res->SetFontBox({font->font_box[0], font->font_box[1], font->font_box[2], font->font_box[3]});
  res->SetFontType(BoundedString(font->font_type, sizeof font->font_type - 1).c_str());
  res->SetFontSubType(BoundedString(font->font_subtype, sizeof font->font_subtype - 1).c_str());
  res->SetFontRegistry(BoundedString(font->registry, sizeof font->registry - 1).c_str());
  res->SetFontOrdering(BoundedString(font->ordering, sizeof font->ordering - 1).c_str());
  res->SetSupplement(font->supplement);
  res->SetBaseEncoding(static_cast<uint32_t>(font->base_encoding));
  res->SetBaseEncodingName(BoundedString(font->encoding_name, sizeof font->encoding_name - 1).c_str());
  const int names = font->glyph_name_count < 0 ? 0 : font->glyph_name_count > 256 ? 256 : font->glyph_name_count;
  res->SetCodeNameCount(names);
  for (int i = 0; i < names; ++i) res->SetCodeName(i, BoundedString(font->glyph_names[i], 31).c_str());

  std::vector<uint8_t> table;
  for (int i = 0; font->hmetrics && i < font->hmetric_count; ++i) {
    const auto e = HMetricBytes(font->hmetrics[i]);
    table.insert(table.end(), e.begin(), e.end());
  }
  res->SetHorzMetrics(HMetricBytes(font->default_hmetric).data(), table.empty() ? nullptr : table.data(),
                      static_cast<int>(table.size() / 8));
  table.clear();
  for (int i = 0; font->vmetrics && i < font->vmetric_count; ++i) {
    const auto e = VMetricBytes(font->vmetrics[i]);
    table.insert(table.end(), e.begin(), e.end());
  }
  res->SetVertMetrics(VMetricBytes(font->default_vmetric).data(), table.empty() ? nullptr : table.data(),
                      static_cast<int>(table.size() / 10));

  res->Set2ttfCMap(font->to_ttf_cmap);
  res->SetEncodingMap(font->encoding_cmap);
  res->SetUtfCMap(font->unicode_cmap);
  res->SetEmbedFontFlag(font->embed_flag);

  if (const PdfFontProgram* program = font->program) {
    GlyphweaveLib::CPdfEmbedFontDesc desc;
    desc.SetFontName(BoundedString(program->name, GlyphweaveLib::CPdfEmbedFontDesc::kMaxNameLength).c_str());
    desc.m_nFirstWord = program->program_kind;
    desc.m_nSecondWord = program->bold;
    desc.m_nHintingWord = program->italic;
    desc.m_nFourthWord = program->reserved;
    if (program->program && program->program_length > 0)
      desc.m_vProgram.assign(program->program, program->program + program->program_length);
    if (program->cid_to_gid && program->cid_to_gid_count > 0)
      desc.m_vCid2Gid.assign(program->cid_to_gid, program->cid_to_gid + program->cid_to_gid_count);
    if (program->cid_to_ucs && program->cid_to_ucs_count > 0)
      desc.m_vCid2Unicode.assign(program->cid_to_ucs, program->cid_to_ucs + program->cid_to_ucs_count);
    res->SetEmbedPdfFontContent(&desc);
  }
  res->RebuildUid2CidMap();
  if (fonts->AddEmbedFontResouce(res) < 0) {
    delete res;
    return;
  }
  if (m_pFontIds) (*m_pFontIds)[font->font_id] = id;
}

namespace {

// The PDF's stroke style on an imported shape.
void ApplyStrokeStyle(Vectorloom::CBaseShapeObj& shape, const PdfPathRecord& path) {
  using namespace Vectorloom;
  static const int kCaps[4] = {LINE_CAP_FLAT, LINE_CAP_ROUND, LINE_CAP_SQUARE, LINE_CAP_TRIANGLE};
  static const int kJoins[4] = {LINE_JOIN_MITER, LINE_JOIN_ROUND, LINE_JOIN_BEVEL, LINE_JOIN_MITER_CLIPPED};
  shape.SetStartCap(kCaps[path.start_cap & 3]);
  shape.SetEndCap(kCaps[path.end_cap & 3]);
  shape.SetLineJoin(kJoins[path.line_join & 3]);
  shape.SetMiterLimit(std::isfinite(path.miter_limit) && path.miter_limit >= 1 ? path.miter_limit : 10);
  if (path.dash_count <= 0 || !path.dashes) return;
  // Dashes go into the shape in stroke widths (a hairline counts one unit of the path's space),
  // on and off in turn: an odd list runs twice, as the PDF repeats it.
  const float w = path.line_width > 0 && std::isfinite(path.line_width) ? path.line_width : 1.0f;
  const int n = std::min<int>(path.dash_count, 32);
  std::vector<float> dashes;
  double total = 0;
  for (int k = 0; k < (n % 2 ? 2 : 1); ++k)
    for (int i = 0; i < n; ++i) {
      const float d = path.dashes[i];
      if (!std::isfinite(d) || d < 0) return;  // not a pattern a PDF reader draws: solid
      dashes.push_back(d / w);
      total += d;
    }
  if (!(total > 0)) return;
  float offset = std::isfinite(path.dash_phase) ? path.dash_phase / w : 0;
  int dashCap = path.dash_cap & 3;
  if (dashCap == 2) {
    // Square dash ends: each dash half a width longer at both ends, each gap that much shorter.
    for (size_t i = 0; i < dashes.size(); ++i) dashes[i] += i % 2 == 0 ? 1.0f : -1.0f;
    offset += 0.5f;
    dashCap = 0;
  }
  // Zero lengths (dots of round caps, gaps closed by square ends) become the shortest the shape takes.
  for (float& d : dashes) d = std::max(d, 1e-3f);
  static const int kDashCaps[4] = {DASH_CAP_FLAT, DASH_CAP_ROUND, DASH_CAP_FLAT, DASH_CAP_TRIANGLE};
  shape.SetDashCap(kDashCaps[dashCap]);
  if (shape.SetDashPattern(dashes)) shape.SetDashOffset(offset);
}

}  // namespace

void CPDFPageParserImpl::OnPathObject(const PdfPathRecord* path) {
  if (!path || !m_pDoc || !m_pPage || path->segment_count <= 0 || !path->segments || path->ignore) return;
  ObjectRef ref(m_pDoc->CreateNewObject(Vectorloom::RENDER_OBJ_SHAPE));
  auto* shape = dynamic_cast<Vectorloom::CCustomPathObj*>(ref.obj);
  if (!shape) return;

  PathWalker(shape, path->fill_on && !path->stroke_on).Walk(path->segments, path->segment_count);
  shape->SetFillInsideFlag(path->fill_on ? 1 : 0);
  shape->SetFillKind(Vectorloom::RENDER_KIND_SOLID);
  shape->SetFillColor(PdfColorToRgb(path->fill_rgb));
  shape->SetStrokeOutlineFlag(path->stroke_on ? 1 : 0);
  shape->SetFillRule(path->even_odd ? Vectorloom::FILL_RULE_EVEN_ODD : Vectorloom::FILL_RULE_NONZERO);
  if (path->stroke_on) {
    shape->SetStrokeKind(Vectorloom::RENDER_KIND_SOLID);
    shape->SetStrokeWidth(std::isfinite(path->line_width) ? path->line_width : 1.0f);
    shape->SetStrokeColor(PdfColorToRgb(path->stroke_rgb));
    ApplyStrokeStyle(*shape, *path);
  }
  const Vectorloom::CQorVectorPoint<float> offset = shape->NormalizePath();
  PlaceObject(shape, CQorTransMatrix::Translation(offset.x, offset.y) * MatrixOf(path->matrix));
  shape->CreateStrokenPathStorage();
}

CCachePdfPageContent::~CCachePdfPageContent() {
  for (auto& [id, resource] : m_images) resource->Release();
}

bool CCachePdfPageContent::LoadPageContent(CDrawingPage* page, int number, CPublicationDoc* doc) {
  if (!page || !doc) return false;
  // The ids the file's fonts got hold for the fonts the document has now; emptied fonts (another
  // document, or this one refilled) take the file's fonts afresh.
  if (doc->GetFontsGeneration() != m_nFontsGeneration) {
    m_fontIds.clear();
    m_nFontsGeneration = doc->GetFontsGeneration();
  }
  CPDFPageParserImpl parser(doc, page, &m_fontIds);
  parser.SetImageCache(&m_images);
  const bool ok = m_engine.parse_pdf_page(number, &parser);
  for (const PdfPageOmission& o : m_engine.last_page_omissions()) {
    DroppedItem item;
    item.page = number;
    switch (o.kind) {
      case kPdfPageSimplified:
        item.kind = DroppedItem::kPageSimplified;
        break;
      case kPdfFontUnreadable:
        item.kind = DroppedItem::kFontUnreadable;
        break;
      case kPdfPartUnreadable:
        item.kind = DroppedItem::kPartUnreadable;
        break;
      default:
        item.kind = DroppedItem::kImageTooLarge;
        break;
    }
    item.width = o.width;
    item.height = o.height;
    doc->AddDroppedItem(item);
  }
  if (ok) page->OnImportPDFDone(doc->GetEmbedFontResManager(), doc->GetFontGlyphCacheManager());
  return ok;
}

void CDrawingPage::OnImportPDFDone(const GlyphweaveLib::CEmbedFontResManager* fonts,
                                   GlyphweaveLib::CFontCacheManager* cache) {
  for (CRenderBaseObj* obj : GetRenderObjectList()) {
    if (auto* text = dynamic_cast<GlyphweaveLib::CEditableTextObj*>(obj)) text->BuildAllGlypths(fonts, cache);
    if (auto* text = dynamic_cast<CDDrawTextObj*>(obj)) text->NormalizePDFText(true);
  }
  SetNeedIntegrateTextsFlag(true);
}

}  // namespace Quirebook
