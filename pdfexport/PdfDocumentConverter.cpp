// PDF export: the converter that turns the pages of a publication document into the PDF engine's
// page records, and the entry that runs the engine over it.
#include "pressmark/PdfExport.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <QorProgress.h>
#include <gdi/fontfiles.h>
#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/AccessTextsOutline.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <glyphweave/EditableTextObj.h>
#include <glyphweave/EmbedFontMapWrap.h>
#include <glyphweave/EmbedFontRes.h>
#include <glyphweave/FontCacheManager.h>
#include <pagesieve/cpdfEngine.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>
#include <win32/lwbytes.h>
#include <win32/lwstr.h>
#include <win32/objidl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <set>

namespace QorPDFExportingLib {

using GlyphweaveLib::_CharsFontDesc;
using GlyphweaveLib::CCharacterItem;
using GlyphweaveLib::CEditableTextObj;
using GlyphweaveLib::CEmbedFontResouce;
using Vectorloom::CQorTransMatrix;
using Vectorloom::CRenderBaseObj;

namespace {

template <typename T>
T* Calloc(size_t count = 1) {
  return static_cast<T*>(std::calloc(count ? count : 1, sizeof(T)));
}

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const CQorTransMatrix& m) {
  return Finite(m.m11) && Finite(m.m12) && Finite(m.m21) && Finite(m.m22) && Finite(m.dx) && Finite(m.dy);
}
void PutMatrix(const CQorTransMatrix& m, float out[6]) { m.GetElements(out); }

void PutRgba(COLORREF c, int transparency, float out[4]) {
  out[0] = static_cast<float>(c & 0xFF) / 255.0f;
  out[1] = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
  out[2] = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
  const int t = std::clamp(transparency, 0, 255);
  out[3] = static_cast<float>(255 - t) / 255.0f;
}

void CopyBounded(char* dest, size_t size, const char* src) {
  std::memset(dest, 0, size);
  if (!src) return;
  size_t n = 0;
  while (n + 1 < size && src[n]) ++n;
  std::memcpy(dest, src, n);
}

std::mutex g_indexLock;
std::vector<InstalledFontEntry> g_index;

// A source of capitals for subset names, seeded once per process.
unsigned NextRandom() {
  static std::mutex lock;
  static std::mt19937 engine{std::random_device{}()};
  std::lock_guard<std::mutex> guard(lock);
  return static_cast<unsigned>(engine());
}

}  // namespace

CQorTransMatrix PageToPixelMap(float pageHeightPoints) {
  return {kPagePixelsPerPoint, 0, 0, -kPagePixelsPerPoint, 0, kPagePixelsPerPoint * pageHeightPoints};
}

int NextSystemFontId(const std::vector<int>& ids) {
  if (ids.empty()) return 1;
  for (size_t i = 0; i < ids.size(); ++i) {
    const long long next = static_cast<long long>(ids[i]) + 1;
    if (next > INT32_MAX) continue;
    if (!std::binary_search(ids.begin(), ids.end(), static_cast<int>(next))) return static_cast<int>(next);
  }
  return 1;  // every id up to the largest int is taken: not reachable with real documents
}

std::string MakeSubsetFontName(const std::string& face, unsigned (*random)()) {
  std::string name;
  for (int i = 0; i < 5; ++i) name += static_cast<char>('A' + (random ? random() : 0u) % 26);
  name += '+';
  name += face;
  if (name.size() > 31) name.resize(31);
  return name;
}

const InstalledFontEntry* FindInstalledFont(const std::vector<InstalledFontEntry>& index, const std::wstring& face) {
  if (face.empty()) return nullptr;
  const InstalledFontEntry* best = nullptr;
  size_t bestPos = std::wstring::npos;
  for (const InstalledFontEntry& e : index) {
    const size_t pos = e.description.find(face);
    if (pos != std::wstring::npos && (best == nullptr || pos < bestPos)) {
      best = &e;
      bestPos = pos;
    }
  }
  return best;
}

const std::vector<InstalledFontEntry>& RebuildInstalledFontIndex() {
  std::lock_guard<std::mutex> guard(g_indexLock);
  g_index.clear();
  std::set<std::wstring> seen;
  for (const LwInstalledFont& f : LwInstalledFonts()) {
    std::wstring d = f.description.substr(0, 64);
    if (!seen.insert(d).second) continue;  // the first file of a description wins
    g_index.push_back({std::move(d), f.path, f.faceIndex});
  }
  return g_index;
}

// ---------------------------------------------------------------------------------------------
// Font records.

void CopyEmbeddedFontRecord(const CEmbedFontResouce& font, PdfFontRecord* r) {
  std::memset(r, 0, sizeof *r);
  r->font_id = font.GetFontID();
  r->flags = static_cast<int32_t>(font.GetFontFlag());
  r->italic_angle = font.GetItalicAngle();
  r->ascent = font.GetFontAscent();
  r->descent = font.GetFontDescent();
  r->cap_height = font.GetCapHeight();
  r->x_height = font.GetXHeight();
  r->missing_width = font.GetMissingWidth();
  const auto box = font.GetFontBox();
  r->font_box[0] = box.left, r->font_box[1] = box.top, r->font_box[2] = box.right, r->font_box[3] = box.bottom;
  CopyBounded(r->font_type, sizeof r->font_type, font.GetFontType());
  CopyBounded(r->font_subtype, sizeof r->font_subtype, font.GetFontSubType());
  CopyBounded(r->registry, sizeof r->registry, font.GetFontRegistry());
  CopyBounded(r->ordering, sizeof r->ordering, font.GetFontOrdering());
  r->supplement = font.GetSupplement();
  r->base_encoding = static_cast<int32_t>(font.GetBaseEncoding());
  CopyBounded(r->encoding_name, sizeof r->encoding_name, font.GetBaseEncodingName());
  r->glyph_name_count = std::clamp(font.GetCodeNameCount(), 0, 256);
  // The names stay the document's: the engine never frees them.
  for (int i = 0; i < r->glyph_name_count; ++i) {
    const char* name = font.GetCodeName(i);
    r->glyph_names[i] = name && *name ? name : nullptr;
  }
  auto hmetric = [](const unsigned char* p) {
    PdfHMetric m;
    m.lo = lw::GetLE16(p);
    m.hi = lw::GetLE16(p + 2);
    m.w = static_cast<int32_t>(lw::GetLE32(p + 4));
    return m;
  };
  auto vmetric = [](const unsigned char* p) {
    PdfVMetric m;
    m.lo = lw::GetLE16(p);
    m.hi = lw::GetLE16(p + 2);
    m.x = static_cast<int16_t>(lw::GetLE16(p + 4));
    m.y = static_cast<int16_t>(lw::GetLE16(p + 6));
    m.w = static_cast<int16_t>(lw::GetLE16(p + 8));
    return m;
  };
  r->default_hmetric = hmetric(font.GetHorzDefault());
  r->default_vmetric = vmetric(font.GetVertDefault());
  if (const int n = font.GetHorzCount(); n > 0) {
    auto* table = Calloc<PdfHMetric>(static_cast<size_t>(n));
    if (table) {
      for (int i = 0; i < n; ++i) table[i] = hmetric(font.GetHorzTable() + 8 * i);
      r->hmetrics = table;
      r->hmetric_count = n;
    }
  }
  if (const int n = font.GetVertCount(); n > 0) {
    auto* table = Calloc<PdfVMetric>(static_cast<size_t>(n));
    if (table) {
      for (int i = 0; i < n; ++i) table[i] = vmetric(font.GetVertTable() + 10 * i);
      r->vmetrics = table;
      r->vmetric_count = n;
    }
  }
  // The engine's slot order: to-TrueType, encoding, Unicode.
  r->to_ttf_cmap = font.Get2ttfCMap() ? font.Get2ttfCMap()->Convert2PdfMap() : nullptr;
  r->encoding_cmap = font.GetEncodingMap() ? font.GetEncodingMap()->Convert2PdfMap() : nullptr;
  r->unicode_cmap = font.GetUtfCMap() ? font.GetUtfCMap()->Convert2PdfMap() : nullptr;
  r->embed_flag = font.GetEmbedFontFlag();

  auto* program = Calloc<PdfFontProgram>();
  if (!program) return;
  if (const GlyphweaveLib::CPdfEmbedFontDesc* desc = font.GetEmbedPdfFontContent()) {
    CopyBounded(program->name, sizeof program->name, desc->GetFontName());
    program->program_kind = desc->m_nFirstWord;
    program->bold = desc->m_nSecondWord;
    program->italic = desc->m_nHintingWord;
    program->reserved = desc->m_nFourthWord;
    // Copies: the engine frees what it is handed, the document keeps its own.
    if (!desc->m_vProgram.empty()) {
      if (auto* bytes = static_cast<uint8_t*>(std::malloc(desc->m_vProgram.size()))) {
        std::memcpy(bytes, desc->m_vProgram.data(), desc->m_vProgram.size());
        program->program = bytes;
        program->program_length = static_cast<int32_t>(desc->m_vProgram.size());
      }
    }
    auto copyTable = [](const std::vector<uint16_t>& v, int32_t* count) -> const uint16_t* {
      if (v.empty()) return nullptr;
      auto* t = Calloc<uint16_t>(v.size());
      if (!t) return nullptr;
      std::memcpy(t, v.data(), v.size() * sizeof(uint16_t));
      *count = static_cast<int32_t>(v.size());
      return t;
    };
    program->cid_to_gid = copyTable(desc->m_vCid2Gid, &program->cid_to_gid_count);
    program->cid_to_ucs = copyTable(desc->m_vCid2Unicode, &program->cid_to_ucs_count);
  }
  r->program = program;
}

// ---------------------------------------------------------------------------------------------
// The converter.

namespace {

void FreeCMap(const qv_cmap_s* map) {
  while (map) {
    const qv_cmap_s* next = map->usecmap;
    std::free(map->ranges);
    std::free(map->table);
    std::free(const_cast<qv_cmap_s*>(map));
    map = next;
  }
}

// Frees what a font record points to, the way the engine does (everything but the glyph names).
void FreeFontRecordParts(PdfFontRecord& r) {
  std::free(const_cast<PdfHMetric*>(r.hmetrics));
  std::free(const_cast<PdfVMetric*>(r.vmetrics));
  FreeCMap(r.to_ttf_cmap);
  FreeCMap(r.encoding_cmap);
  FreeCMap(r.unicode_cmap);
  if (auto* p = const_cast<PdfFontProgram*>(r.program)) {
    std::free(const_cast<uint8_t*>(p->program));
    std::free(const_cast<uint16_t*>(p->cid_to_gid));
    std::free(const_cast<uint16_t*>(p->cid_to_ucs));
    std::free(p);
  }
}

template <typename T>
const T* CopyBlock(const T* src, int32_t count) {
  if (!src || count <= 0) return nullptr;
  auto* out = static_cast<T*>(std::malloc(sizeof(T) * static_cast<size_t>(count)));
  if (out) std::memcpy(out, src, sizeof(T) * static_cast<size_t>(count));
  return out;
}

const qv_cmap_s* CopyCMap(const qv_cmap_s* src) {
  if (!src) return nullptr;
  auto* out = static_cast<qv_cmap_s*>(std::malloc(sizeof(qv_cmap_s)));
  if (!out) return nullptr;
  *out = *src;
  out->ranges = const_cast<qv_cmap_range_s*>(CopyBlock(src->ranges, src->rlen));
  out->table = const_cast<uint16_t*>(CopyBlock(src->table, src->tlen));
  out->usecmap = const_cast<qv_cmap_s*>(CopyCMap(src->usecmap));
  return out;
}

// A record with blocks of its own (the glyph names stay shared: nobody frees them).
void CopyFontRecord(const PdfFontRecord& src, PdfFontRecord* out) {
  *out = src;
  out->hmetrics = CopyBlock(src.hmetrics, src.hmetric_count);
  out->vmetrics = CopyBlock(src.vmetrics, src.vmetric_count);
  out->to_ttf_cmap = CopyCMap(src.to_ttf_cmap);
  out->encoding_cmap = CopyCMap(src.encoding_cmap);
  out->unicode_cmap = CopyCMap(src.unicode_cmap);
  out->program = nullptr;
  if (src.program) {
    auto* p = static_cast<PdfFontProgram*>(std::malloc(sizeof(PdfFontProgram)));
    if (p) {
      *p = *src.program;
      p->program = CopyBlock(src.program->program, src.program->program_length);
      p->cid_to_gid = CopyBlock(src.program->cid_to_gid, src.program->cid_to_gid_count);
      p->cid_to_ucs = CopyBlock(src.program->cid_to_ucs, src.program->cid_to_ucs_count);
    }
    out->program = p;
  }
}

// Frees an element and all it points to, the way the engine does.
void FreeElement(int kind, void* element) {
  if (kind == kPdfSaveText) {
    auto* block = static_cast<PdfSaveTextBlock*>(element);
    for (int k = 0; block && block->runs && k < block->run_count; ++k) {
      if (block->runs[k]) std::free(block->runs[k]->chars);
      std::free(block->runs[k]);
    }
    if (block) std::free(block->runs);
  } else if (kind == kPdfSavePath) {
    auto* path = static_cast<PdfSavePath*>(element);
    if (path) std::free(path->line_style), std::free(path->segments);
  } else if (kind == kPdfSaveImage) {
    if (element) std::free(static_cast<PdfSaveImage*>(element)->data);
  }
  std::free(element);
}

void FreeEntry(PdfSaveEntry* e) {
  if (!e) return;
  FreeElement(e->kind, e->element);
  std::free(e);
}

}  // namespace

struct CPdfDocumentConverter::PageBuild {
  std::vector<PdfSaveEntry*> elements;
  std::vector<_CharsFontDesc> fonts;                    // in order of first use
  std::map<_CharsFontDesc, std::vector<char16_t>> used;  // characters shown per font
  HDC dc = nullptr;

  void Add(int kind, void* element) {
    auto* e = Calloc<PdfSaveEntry>();
    if (!e) return FreeElement(kind, element);
    e->kind = kind;
    e->element = element;
    elements.push_back(e);
  }
};

CPdfDocumentConverter::CPdfDocumentConverter(Quirebook::CPublicationDoc* doc, CQorCommonProgress* progress)
    : m_pDoc(doc), m_pProgress(progress) {
  RebuildInstalledFontIndex();
  if (!doc) return;
  GlyphweaveLib::CEmbedFontResManager* fonts = doc->GetEmbedFontResManager();
  for (int i = 0; i < fonts->GetCount(); ++i)
    if (const CEmbedFontResouce* f = fonts->GetAt(i)) m_arrFontIds.push_back(f->GetFontID());
  std::sort(m_arrFontIds.begin(), m_arrFontIds.end());
  m_arrFontIds.erase(std::unique(m_arrFontIds.begin(), m_arrFontIds.end()), m_arrFontIds.end());
}

CPdfDocumentConverter::~CPdfDocumentConverter() {
  for (auto& kept : m_mapSystemRecords) FreeFontRecordParts(kept.second);
  std::lock_guard<std::mutex> guard(g_indexLock);
  g_index.clear();
}

int CPdfDocumentConverter::GetPageCount() { return m_pDoc ? m_pDoc->GetPagesCount() : 0; }

void CPdfDocumentConverter::SetProgress(float done) {
  if (m_pProgress) m_pProgress->SetProgress(Finite(done) ? std::clamp(done, 0.0f, 1.0f) : 0.0f);
}

int CPdfDocumentConverter::GetSystemFontId(const _CharsFontDesc& font) {
  const auto it = m_mapSystemFontIds.find(font);
  if (it != m_mapSystemFontIds.end()) return it->second;
  const int id = NextSystemFontId(m_arrFontIds);
  m_arrFontIds.insert(std::lower_bound(m_arrFontIds.begin(), m_arrFontIds.end(), id), id);
  m_mapSystemFontIds.emplace(font, id);
  return id;
}

bool CPdfDocumentConverter::DrawnFromSystem(const _CharsFontDesc& font) const {
  return !font.IsEmbedFont() ||
         !GlyphweaveLib::CAccessTextsOutline::FindFontProgram(font, m_pDoc ? m_pDoc->GetEmbedFontResManager() : nullptr);
}

PdfSavePage* CPdfDocumentConverter::GetPageRecord(int index) {
  if (!m_pDoc) return nullptr;
  Quirebook::CDrawingPage* page = index >= 0 && index < m_pDoc->GetPagesCount() ? m_pDoc->GetDrawingPage(index) : nullptr;
  if (!page) return nullptr;
  auto lock = m_pDoc->LockContent();
  const bool loadedHere = !page->IsPageContentLoaded() && page->GetPageContentSource();
  if (loadedHere && !page->LoadPageContent(m_pDoc)) return nullptr;  // a page that cannot be read fails the save

  auto size = page->GetPageSize(Vectorloom::UNIT_POINT);
  if (!(Finite(size.cx) && size.cx > 0 && Finite(size.cy) && size.cy > 0)) size = {595.0f, 842.0f};
  CQorTransMatrix toPdf = PageToPixelMap(size.cy);
  toPdf.Invert();

  PageBuild build;
  build.dc = GetDC(nullptr);
  for (CRenderBaseObj* obj : page->GetRenderObjectList()) AddObject(build, obj, toPdf);
  if (build.dc) ReleaseDC(nullptr, build.dc);

  auto* record = Calloc<PdfSavePage>();
  auto* resources = Calloc<PdfSaveResources>();
  auto* content = Calloc<PdfSaveContent>();
  auto* entries = Calloc<PdfSaveEntry*>(build.elements.size());
  if (!record || !resources || !content || !entries) {
    std::free(record), std::free(resources), std::free(content), std::free(entries);
    for (PdfSaveEntry* e : build.elements) FreeEntry(e);
    if (loadedHere) {
      page->Clear();
      page->SetPageContentLoaded(0);
    }
    return nullptr;
  }
  record->head[0] = 1, record->head[2] = 1, record->head[3] = 1;
  record->width = size.cx;
  record->height = size.cy;
  record->resources = resources;
  resources->content = content;
  content->element_count = static_cast<int32_t>(build.elements.size());
  for (size_t i = 0; i < build.elements.size(); ++i) entries[i] = build.elements[i];
  content->elements = entries;
  build.elements.clear();

  // Fonts after the elements: the element walk gave the system fonts their ids and the
  // characters this page shows.
  std::vector<PdfFontRecord> fontRecords;
  GlyphweaveLib::CEmbedFontResManager* embedded = m_pDoc->GetEmbedFontResManager();
  for (const _CharsFontDesc& f : build.fonts) {
    PdfFontRecord r;
    if (!DrawnFromSystem(f)) {
      const CEmbedFontResouce* font = embedded->FindEmbedFontResource(f.GetEmbedFontID());
      if (!font) continue;  // the engine draws such text with its default font
      CopyEmbeddedFontRecord(*font, &r);
    } else {
      const auto it = build.used.find(f);
      if (!MakeSystemFontRecord(f, it == build.used.end() ? std::vector<char16_t>{} : it->second, &r)) continue;
    }
    fontRecords.push_back(r);
  }
  if (!fontRecords.empty()) {
    resources->fonts = Calloc<PdfFontRecord>(fontRecords.size());
    if (resources->fonts) {
      std::memcpy(resources->fonts, fontRecords.data(), fontRecords.size() * sizeof(PdfFontRecord));
      resources->font_count = static_cast<int32_t>(fontRecords.size());
    }
  }

  if (loadedHere) {
    page->Clear();
    page->SetPageContentLoaded(0);
  }
  return record;
}

void CPdfDocumentConverter::AddObject(PageBuild& build, CRenderBaseObj* obj, const CQorTransMatrix& toPdf) {
  if (!obj) return;
  switch (obj->GetObjectType()) {
    case Vectorloom::RENDER_OBJ_GROUP:
      // Children carry their own page matrices: the group adds nothing of its own.
      if (auto* group = dynamic_cast<Vectorloom::CRenderGroupObj*>(obj))
        for (CRenderBaseObj* child : group->GetChildList()) AddObject(build, child, toPdf);
      break;
    case Vectorloom::RENDER_OBJ_SHAPE:
      if (auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(obj)) AddShape(build, shape, toPdf);
      break;
    case Vectorloom::RENDER_OBJ_TEXT:
      if (auto* text = dynamic_cast<CEditableTextObj*>(obj)) AddText(build, text, obj->GetTransMatrix(), toPdf);
      break;
    default:
      break;  // videos and anything else draw nothing into the PDF
  }
}

namespace {

// The picture of a shape as PNG bytes, or the JPEG file it was read from while its pixels are that
// file's (the engine passes JPEG bytes through); false when it cannot be encoded.
bool EncodePicture(Gdiplus::Bitmap* bitmap, std::vector<uint8_t>* png) {
  if (!bitmap || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0) return false;
  if (const std::vector<BYTE>* jpeg = bitmap->LwJpegBytes()) {
    png->assign(jpeg->begin(), jpeg->end());
    return true;
  }
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) != S_OK || !stream) return false;
  bool ok = bitmap->Save(stream, &Gdiplus::LwEncoderClsidPNG) == Gdiplus::Ok;
  HGLOBAL block = nullptr;
  if (ok) ok = GetHGlobalFromStream(stream, &block) == S_OK && block;
  if (ok) {
    const SIZE_T n = GlobalSize(block);
    const auto* p = static_cast<const uint8_t*>(GlobalLock(block));
    ok = p && n > 0;
    if (ok) png->assign(p, p + n);
    if (p) GlobalUnlock(block);
  }
  stream->Release();
  return ok;
}

struct SegmentList {
  std::vector<PdfPathSegment> segs;
  bool finite = true;
  void Add(int op, float x1 = 0, float y1 = 0, float x2 = 0, float y2 = 0, float x3 = 0, float y3 = 0) {
    for (float v : {x1, y1, x2, y2, x3, y3})
      if (!Finite(v)) finite = false;
    segs.push_back({op, x1, y1, x2, y2, x3, y3});
  }
};

// The curve or line from node a to node b, by which controls are in use.
void AddEdge(SegmentList& out, const Vectorloom::CQorVectorEdgeNode& a, const Vectorloom::CQorVectorEdgeNode& b) {
  const bool c1 = a.bHasOut != 0, c2 = b.bHasIn != 0;
  if (c1 && c2)
    out.Add(kPdfCurveTo, a.ptOut.x, a.ptOut.y, b.ptIn.x, b.ptIn.y, b.pt.x, b.pt.y);
  else if (c2)
    out.Add(kPdfCurveToV, b.ptIn.x, b.ptIn.y, b.pt.x, b.pt.y);
  else if (c1)
    out.Add(kPdfCurveToY, a.ptOut.x, a.ptOut.y, b.pt.x, b.pt.y);
  else
    out.Add(kPdfLineTo, b.pt.x, b.pt.y);
}

// The segments of a shape in its own coordinates (those its page matrix maps, as the view draws it).
// The stroke's caps, join, miter limit and dashes as the view's pen draws them. Dash lengths and
// offset count in stroke widths; a dashed line takes its dash cap at every end (flat, else
// round), a solid one its own cap when both ends have the same flat, square or round one (ends
// drawn as shapes of their own go out butt). Patterns longer than the record takes go out solid.
void PutStrokeStyle(const Vectorloom::CBaseShapeObj& shape, PdfSaveLineStyle* style) {
  using namespace Vectorloom;
  style->miter_limit = Finite(shape.GetMiterLimit()) && shape.GetMiterLimit() >= 1 ? shape.GetMiterLimit() : 10.0f;
  const int join = shape.GetLineJoin();
  style->line_join = join == LINE_JOIN_ROUND ? 1 : join == LINE_JOIN_BEVEL ? 2 : 0;
  std::vector<float> dashes;
  switch (shape.GetDashType()) {
    case DASH_DASH: dashes = {3, 1}; break;
    case DASH_DOT: dashes = {1, 1}; break;
    case DASH_DASHDOT: dashes = {3, 1, 1, 1}; break;
    case DASH_DASHDOTDOT: dashes = {3, 1, 1, 1, 1, 1}; break;
    case DASH_CUSTOM: dashes = shape.GetDashPattern(); break;
    default: break;
  }
  // A list that is its first half twice is that half: PDF repeats an odd list itself.
  while (dashes.size() % 2 == 0 && !dashes.empty() &&
         std::equal(dashes.begin(), dashes.begin() + long(dashes.size() / 2), dashes.begin() + long(dashes.size() / 2)))
    dashes.resize(dashes.size() / 2);
  if (dashes.size() > static_cast<size_t>(kPdfSaveMaxDashes)) dashes.clear();
  const float unit = Finite(shape.GetStrokeWidth()) && shape.GetStrokeWidth() > 0 ? shape.GetStrokeWidth() : 1.0f;
  if (!dashes.empty()) {
    style->dash_count = static_cast<int32_t>(dashes.size());
    for (size_t i = 0; i < dashes.size(); ++i) style->dashes[i] = dashes[i] * unit;
    style->dash_phase = Finite(shape.GetDashOffset()) ? shape.GetDashOffset() * unit : 0.0f;
    style->line_cap = shape.GetDashCap() == DASH_CAP_FLAT ? 0 : 1;
    return;
  }
  const int start = shape.GetStartCap();
  if (start == shape.GetEndCap()) style->line_cap = start == LINE_CAP_ROUND ? 1 : start == LINE_CAP_SQUARE ? 2 : 0;
}

// The figures of a path as segments.
void AddPathSegments(SegmentList& out, const Gdiplus::GraphicsPath& path) {
  const int n = path.GetPointCount();
  std::vector<Gdiplus::PointF> pts(static_cast<size_t>(std::max(n, 1)));
  std::vector<BYTE> types(static_cast<size_t>(std::max(n, 1)));
  if (n <= 0 || path.GetPathPoints(pts.data(), n) != Gdiplus::Ok || path.GetPathTypes(types.data(), n) != Gdiplus::Ok)
    return;
  Gdiplus::PointF start;
  for (int i = 0; i < n; ++i) {
    const int kind = types[i] & Gdiplus::PathPointTypePathTypeMask;
    if (kind == Gdiplus::PathPointTypeStart) {
      out.Add(kPdfMoveTo, pts[i].X, pts[i].Y);
      start = pts[i];
    } else if (kind == Gdiplus::PathPointTypeBezier && i + 2 < n) {
      out.Add(kPdfCurveTo, pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y, pts[i + 2].X, pts[i + 2].Y);
      i += 2;
    } else {
      out.Add(kPdfLineTo, pts[i].X, pts[i].Y);
    }
    if ((types[i] & 0x80) != 0) out.Add(kPdfLineTo, start.X, start.Y);
  }
}

// The ends the view's pen draws as shapes of their own (triangles, anchors, two different caps),
// as the drawing layer builds them; empty when the stroke's own caps draw them.
Gdiplus::GraphicsPath CapShapes(const Vectorloom::CBaseShapeObj& shape) {
  Gdiplus::GraphicsPath caps;
  if (!shape.IsStroked()) return caps;
  Gdiplus::GraphicsPath base;
  shape.BuildBasePath(base);
  if (std::unique_ptr<Gdiplus::Pen> pen = shape.CreateStrokePen(base)) pen->LwGetCapShapes(base, &caps);
  return caps;
}

SegmentList ShapeSegments(const Vectorloom::CBaseShapeObj& shape) {
  SegmentList out;
  if (const auto* custom = dynamic_cast<const Vectorloom::CCustomPathObj*>(&shape)) {
    for (const Vectorloom::CBaseCustomPath& sub : custom->GetSubPaths()) {
      Vectorloom::CQorVectorRect<float> rect;
      if (sub.IsRectangularPath(&rect)) {
        out.Add(kPdfRectangle, rect.left, rect.top, rect.right, rect.bottom);
        continue;
      }
      const int n = sub.GetNodesCount();
      if (n == 0) continue;
      out.Add(kPdfMoveTo, sub.GetNode(0).pt.x, sub.GetNode(0).pt.y);
      for (int i = 1; i < n; ++i) AddEdge(out, sub.GetNode(i - 1), sub.GetNode(i));
      if (sub.IsClosed() && n >= 2) AddEdge(out, sub.GetNode(n - 1), sub.GetNode(0));
    }
  } else {
    // Other shapes: their outline as the view builds it.
    Gdiplus::GraphicsPath path;
    shape.CreateBasePathStorage(path);
    AddPathSegments(out, path);
  }
  out.Add(kPdfCloseWithSegment);
  return out;
}

}  // namespace

void CPdfDocumentConverter::AddShape(PageBuild& build, Vectorloom::CBaseShapeObj* shape, const CQorTransMatrix& toPdf) {
  const CQorTransMatrix matrix = shape->GetTransMatrix() * toPdf;
  if (!Finite(matrix)) return;  // a damaged shape: nothing a PDF could hold

  // A picture shape (one rectangular sub-path filled with a picture) becomes an image over its
  // rectangle; a picture that cannot be encoded leaves the shape as a path.
  const auto* custom = dynamic_cast<const Vectorloom::CCustomPathObj*>(shape);
  const bool picture = custom && custom->GetSubPathsCount() == 1 && custom->GetSubPath(0).IsRectangularPath() &&
                       shape->IsFilled() && shape->GetFillKind() == Vectorloom::RENDER_KIND_BITMAP;
  if (picture) {
    Vectorloom::CBitmapResObj* res = shape->GetFillDefinition().GetRenderBitmap();
    Gdiplus::Bitmap* bitmap = res ? res->GetGdiBitmap() : nullptr;
    const Vectorloom::CQorVectorRect<float> r = shape->GetPathBoundRect();
    std::vector<uint8_t> png;
    if (bitmap && !r.IsEmpty() && Finite(r.left) && Finite(r.top) && Finite(r.right) && Finite(r.bottom) &&
        EncodePicture(bitmap, &png)) {
      const CQorTransMatrix m = CQorTransMatrix::Scale(r.Width(), -r.Height()) *
                                CQorTransMatrix::Translation(r.left, r.top + r.Height()) * matrix;
      auto* image = Calloc<PdfSaveImage>();
      auto* bytes = static_cast<uint8_t*>(std::malloc(png.size()));
      if (!image || !bytes || !Finite(m)) {
        std::free(image), std::free(bytes);
        return;
      }
      std::memcpy(bytes, png.data(), png.size());
      image->kind = 1;
      PutMatrix(m, image->matrix);
      image->width = static_cast<int32_t>(bitmap->GetWidth());
      image->height = static_cast<int32_t>(bitmap->GetHeight());
      const Gdiplus::PixelFormat f = bitmap->GetPixelFormat();
      image->format = f == Gdiplus::PixelFormat1bppIndexed || f == Gdiplus::PixelFormat4bppIndexed || f == Gdiplus::PixelFormat8bppIndexed ? 1 : 4;
      image->reserved0 = 1;
      float rgba[4];
      PutRgba(0, shape->GetFilledTransparency(), rgba);
      image->alpha = rgba[3];
      image->dpi_x = image->dpi_y = 96;
      image->data_length = static_cast<int32_t>(png.size());
      image->data = bytes;
      image->has_alpha = (bitmap->GetFlags() & Gdiplus::ImageFlagsHasAlpha) ? 1 : 0;
      build.Add(kPdfSaveImage, image);
      return;
    }
  }

  SegmentList segs = ShapeSegments(*shape);
  if (!segs.finite) return;
  auto* path = Calloc<PdfSavePath>();
  auto* table = Calloc<PdfPathSegment>(segs.segs.size());
  if (!path || !table) {
    std::free(path), std::free(table);
    return;
  }
  PutMatrix(matrix, path->matrix);
  path->fill_on = shape->IsFilled() ? 1 : 0;
  path->stroke_on = shape->IsStroked() ? 1 : 0;
  path->even_odd = shape->GetFillRule() == Vectorloom::FILL_RULE_EVEN_ODD ? 1 : 0;
  path->reserved0 = 1;
  path->fill_kind = 1;
  path->stroke_kind = 1;
  // Gradients go out as their solid colour.
  PutRgba(shape->GetFillColor(), shape->GetFilledTransparency(), path->fill_rgba);
  PutRgba(shape->GetStrokeColor(), shape->GetStrokeTransparency(), path->stroke_rgba);
  if (path->stroke_on) {
    if (auto* style = Calloc<PdfSaveLineStyle>()) {
      style->kind = 1;
      style->cap = 1;
      style->join = 1;
      style->width = Finite(shape->GetStrokeWidth()) ? shape->GetStrokeWidth() : 1.0f;
      PutStrokeStyle(*shape, style);
      path->line_style = style;
    }
  }
  std::memcpy(table, segs.segs.data(), segs.segs.size() * sizeof(PdfPathSegment));
  path->segment_count = static_cast<int32_t>(segs.segs.size());
  path->segments = table;
  build.Add(kPdfSavePath, path);
  if (path->stroke_on) AddCapShapes(build, *shape, matrix);
}

void CPdfDocumentConverter::AddCapShapes(PageBuild& build, const Vectorloom::CBaseShapeObj& shape,
                                         const CQorTransMatrix& matrix) {
  const Gdiplus::GraphicsPath caps = CapShapes(shape);
  if (caps.GetPointCount() == 0) return;
  // Filled in the stroke's colour over the stroke, whose ends go out butt.
  SegmentList segs;
  AddPathSegments(segs, caps);
  if (!segs.finite || segs.segs.empty()) return;
  segs.Add(kPdfCloseWithSegment);
  auto* path = Calloc<PdfSavePath>();
  auto* table = Calloc<PdfPathSegment>(segs.segs.size());
  if (!path || !table) {
    std::free(path), std::free(table);
    return;
  }
  PutMatrix(matrix, path->matrix);
  path->fill_on = 1;
  path->stroke_on = 0;
  path->even_odd = 0;
  path->reserved0 = 1;
  path->fill_kind = 1;
  path->stroke_kind = 1;
  PutRgba(shape.GetStrokeColor(), shape.GetStrokeTransparency(), path->fill_rgba);
  PutRgba(shape.GetStrokeColor(), shape.GetStrokeTransparency(), path->stroke_rgba);
  std::memcpy(table, segs.segs.data(), segs.segs.size() * sizeof(PdfPathSegment));
  path->segment_count = static_cast<int32_t>(segs.segs.size());
  path->segments = table;
  build.Add(kPdfSavePath, path);
}

namespace {

// How much the editor thickens a bold character's outline, in glyph units (as it draws them).
constexpr float kBoldStrength = 24.0f;
// A slant below this is none (the editor draws such a character upright).
constexpr float kSkewThreshold = 0.00005f;

// What a run keeps the same over its characters.
struct RunLook {
  int fontId;
  float size, spacing, ratio, shift, embolden;
  bool fill, stroke;
  COLORREF fillColor, strokeColor;
  int fillT, strokeT;
  bool operator==(const RunLook& o) const {
    if (fontId != o.fontId || size != o.size || spacing != o.spacing || ratio != o.ratio || shift != o.shift ||
        embolden != o.embolden || fill != o.fill || stroke != o.stroke)
      return false;
    if (fill && (fillColor != o.fillColor || fillT != o.fillT)) return false;
    if (stroke && (strokeColor != o.strokeColor || strokeT != o.strokeT)) return false;
    return true;
  }
};

// How much a bold character's outline grows, in thousandths of its em (`em` in text units): the
// editor thickens the glyph's outline by kBoldStrength glyph units, which its matrix scales by
// the point size / 1024.
float Embolden(const CCharacterItem& c, float em) {
  if (!c.IsBold()) return 0;
  const float grow = kBoldStrength * c.GetFontPointSize() / 1024.0f * std::fabs(c.GetCharYScale()) / em * 1000.0f;
  return Finite(grow) && grow > 0 ? grow : 0;
}

struct OpenRun {
  RunLook look;
  std::vector<PdfRunChar> chars;
};

PdfSaveTextRun* MakeRun(const OpenRun& r) {
  auto* run = Calloc<PdfSaveTextRun>();
  auto* chars = Calloc<PdfRunChar>(r.chars.size());
  if (!run || !chars) {
    std::free(run), std::free(chars);
    return nullptr;
  }
  run->font_id = r.look.fontId;
  run->font_size = r.look.size;
  run->char_spacing = r.look.spacing;
  run->horizontal_scale = r.look.ratio;
  run->baseline_shift = r.look.shift;
  run->embolden = r.look.embolden;
  run->fill_on = r.look.fill ? 1 : 0;
  run->stroke_on = r.look.stroke ? 1 : 0;
  run->fill_kind = 1;
  run->stroke_kind = 1;
  PutRgba(r.look.fillColor, r.look.fillT, run->fill_rgba);
  PutRgba(r.look.strokeColor, r.look.strokeT, run->stroke_rgba);
  std::memcpy(chars, r.chars.data(), r.chars.size() * sizeof(PdfRunChar));
  run->char_count = static_cast<int32_t>(r.chars.size());
  run->chars = chars;
  return run;
}

}  // namespace

void CPdfDocumentConverter::AddText(PageBuild& build, CEditableTextObj* text, const CQorTransMatrix& objMatrix,
                                    const CQorTransMatrix& toPdf) {
  GlyphweaveLib::CArrayOfTextCharacters& chars = text->GetArrayOfTextCharacters();
  const auto& rows = text->GetParagraphsLinesInfo();
  const auto& fontRuns = text->GetFontRuns();
  if (chars.empty() || rows.GetSize() == 0) return;

  // Advances need glyphs: the characters without one get theirs (a character its font cannot
  // draw, such as a word space of a subset without a space, stays without, at the cost of a
  // look-up). Building only adds to the document's cache, never resets it.
  text->BuildMissingGlyphs(m_pDoc->GetEmbedFontResManager(), m_pDoc->GetFontGlyphCacheManager());

  const CQorTransMatrix base = objMatrix * toPdf;
  if (!Finite(base)) return;

  // The font of each character, from the runs.
  std::vector<int> runOf(chars.size(), -1);
  {
    size_t at = 0;
    for (int r = 0; r < fontRuns.GetSize() && at < chars.size(); ++r)
      for (uint32_t k = 0; k < fontRuns.GetAt(r).m_nLength && at < chars.size(); ++k) runOf[at++] = r;
  }
  // Per run: its font's id in the file, whether it is drawn from an installed face, and whether
  // the page's font list has it yet.
  std::vector<int> runIds(static_cast<size_t>(fontRuns.GetSize()), 0);
  std::vector<char> runSystem(runIds.size(), 0), runListed(runIds.size(), 0);
  for (int r = 0; r < fontRuns.GetSize(); ++r) {
    const _CharsFontDesc& f = fontRuns.GetAt(r).m_FontDesc;
    runSystem[static_cast<size_t>(r)] = DrawnFromSystem(f);
    runIds[static_cast<size_t>(r)] = runSystem[static_cast<size_t>(r)] ? GetSystemFontId(f) : f.GetEmbedFontID();
  }
  std::vector<std::vector<char16_t>*> runUsed(runIds.size(), nullptr);

  size_t rowStart = 0;
  for (int row = 0; row < rows.GetSize() && rowStart < chars.size(); ++row) {
    const size_t rowEnd = std::min(chars.size(), rowStart + rows.GetAt(row).m_nCharCount);
    std::vector<OpenRun> runs;
    int lastRun = -2;
    const CCharacterItem* prev = nullptr;
    CQorTransMatrix block;
    bool broken = false;
    float blockSkew = 0;
    // A block of the runs so far, at `block`.
    auto flush = [&]() {
      if (broken || runs.empty()) return;
      auto* element = Calloc<PdfSaveTextBlock>();
      auto* table = Calloc<PdfSaveTextRun*>(runs.size());
      if (!element || !table) {
        std::free(element), std::free(table);
        return;
      }
      PutMatrix(block, element->matrix);
      int n = 0;
      for (const OpenRun& r : runs)
        if (PdfSaveTextRun* run = MakeRun(r)) table[n++] = run;
      element->run_count = n;
      element->runs = table;
      build.Add(kPdfSaveText, element);
    };
    for (size_t i = rowStart; i < rowEnd; ++i) {
      const CCharacterItem& c = chars[i];
      const char16_t code = c.GetCharacter();
      if (code == 13 || code == 10) {
        prev = nullptr;  // line breaks are never written; a new line starts after them
        continue;
      }
      // Italic is drawn slanted: characters of another slant start a block of their own, whose
      // line matrix slants as the editor's glyph matrix does (about the baseline).
      const float skew = std::fabs(c.GetItalicSkew()) > kSkewThreshold && Finite(c.GetItalicSkew()) ? c.GetItalicSkew() : 0;
      if (!runs.empty() && skew != blockSkew) {
        flush();
        runs.clear();
        lastRun = -2;
        prev = nullptr;
      }
      // The glyph's em in text units is its point size at the screen's 96 dots per inch (x Y scale);
      // the line matrix scales by 1.33, so the PDF size is that em / 1.33, a hair above the point
      // size. Sized by the point size alone every glyph would come out 0.25 % narrower than the
      // editor draws it, and a line would drift left by as much.
      const float em = c.GetFontPixelSize() * std::fabs(c.GetCharYScale());
      const float size = em / kPagePixelsPerPoint;
      const auto off = c.GetCharOffset();
      if (!Finite(size) || !(size > 0) || !Finite(off.x) || !Finite(off.y) || !Finite(c.GetCharXScale()) ||
          !Finite(c.GetCharSpacing()) || !Finite(c.GetBaselineShift()))
        continue;  // a character a PDF cannot place
      float adjustment = 0;
      if (!runs.empty() && prev) {
        // Where layout put it against where the previous character's advance leaves the pen.
        const float delta = off.x - (prev->GetCharOffset().x + prev->GetIncreaseDeltaX());
        adjustment = -delta / em * 1000.0f;
        if (!Finite(adjustment)) adjustment = 0;
      }
      if (runs.empty()) {
        // The line's origin: the first character on its baseline.
        block = CQorTransMatrix(1, 0, -skew, 1, 0, 0) * CQorTransMatrix(1, 0, 0, -1, 0, 0) *
                CQorTransMatrix::Scale(kPagePixelsPerPoint, kPagePixelsPerPoint) *
                CQorTransMatrix::Translation(off.x, off.y) * base;
        blockSkew = skew;
        if (!Finite(block)) {
          broken = true;
          break;
        }
      }
      const int fr = runOf[i];
      const float yScale = std::fabs(c.GetCharYScale());
      RunLook look{fr >= 0 ? runIds[static_cast<size_t>(fr)] : -1,
                   size,
                   c.GetCharSpacing(),
                   yScale > 0 ? c.GetCharXScale() / yScale : 1.0f,
                   c.GetBaselineShift(),
                   Embolden(c, em),
                   c.IsFillInside(),
                   c.IsStrokeOutline(),
                   c.GetRenderColor(),
                   c.GetStrokedColor(),
                   c.GetFilledTransparency(),
                   c.GetStrokeTransparency()};
      if (!Finite(look.ratio)) look.ratio = 1;
      if (runs.empty() || fr != lastRun || !(runs.back().look == look)) runs.push_back({look, {}});
      lastRun = fr;
      // The advance layout gave the character, which the next one's adjustment counts with.
      float advance = c.GetIncreaseDeltaX() / em * 1000.0f;
      if (!Finite(advance) || advance < 0) advance = 0;
      runs.back().chars.push_back({adjustment, static_cast<int32_t>(code), advance});
      if (fr >= 0) {
        const auto k = static_cast<size_t>(fr);
        const _CharsFontDesc& f = fontRuns.GetAt(fr).m_FontDesc;
        if (!runListed[k]) {
          if (std::find(build.fonts.begin(), build.fonts.end(), f) == build.fonts.end()) build.fonts.push_back(f);
          runListed[k] = 1;
        }
        if (runSystem[k]) {
          if (!runUsed[k]) runUsed[k] = &build.used[f];
          runUsed[k]->push_back(code);
        }
      }
      prev = &c;
    }
    rowStart = rowEnd;
    flush();
  }
}

bool CPdfDocumentConverter::MakeSystemFontRecord(const _CharsFontDesc& font, const std::vector<char16_t>& pageChars,
                                                 PdfFontRecord* r) {
  // Later pages get a copy of the record the font's first page got: it already holds every
  // character of the face, and the face need not be opened and cut again.
  const auto kept = m_mapSystemRecords.find(GetSystemFontId(font));
  if (kept != m_mapSystemRecords.end()) {
    CopyFontRecord(kept->second, r);
    return true;
  }
  // The file the editor draws this face from (the same fontconfig substitution), else the index.
  const std::wstring face = font.GetFontFaceNameW();
  std::string path;
  int faceIndex = 0;
  if (!LwResolveFontFile(face.c_str(), 0, false, font.GetCharSet(), &path, &faceIndex)) {
    std::lock_guard<std::mutex> guard(g_indexLock);
    const InstalledFontEntry* e = FindInstalledFont(g_index, face);
    if (!e) return false;
    path = e->path;
    faceIndex = e->faceIndex;
  }
  // The characters: what the document's glyph cache holds for this font (read only: the cache is
  // never reset here, texts hold its glyphs) and what this page shows.
  std::set<char16_t> set(pageChars.begin(), pageChars.end());
  {
    GlyphweaveLib::CFontCacheManager* cache = m_pDoc->GetFontGlyphCacheManager();
    std::lock_guard<std::recursive_mutex> guard(cache->GetLock());
    if (GlyphweaveLib::CCharacterGlyphsMap* map = cache->Lookup(font))
      for (wchar_t ch : map->GetCharacterKeys())
        if (ch > 0 && ch <= 0xFFFF) set.insert(static_cast<char16_t>(ch));
  }
  FT_Library lib = nullptr;
  if (FT_Init_FreeType(&lib) != 0) return false;
  FT_Face ftFace = nullptr;
  if (FT_New_Face(lib, path.c_str(), faceIndex, &ftFace) != 0) {
    FT_Done_FreeType(lib);
    return false;
  }
  // The engine keeps the first record of an id and cuts its program down to the glyphs the file
  // shows. Characters of later pages may not be in the cache yet (pages of a document just opened
  // load as they are needed), so the first record offers every character of the face's basic plane.
  const int id = GetSystemFontId(font);
  const bool first = m_setRecordedIds.insert(id).second;
  if (first) {
    FT_UInt glyph = 0;
    for (FT_ULong ch = FT_Get_First_Char(ftFace, &glyph); glyph != 0; ch = FT_Get_Next_Char(ftFace, ch, &glyph))
      if (ch > 0 && ch <= 0xFFFF && (ch < 0xD800 || ch > 0xDFFF)) set.insert(static_cast<char16_t>(ch));
  }
  set.erase(13);
  set.erase(10);
  const std::vector<char16_t> chars(set.begin(), set.end());
  if (chars.empty()) {
    FT_Done_Face(ftFace);
    FT_Done_FreeType(lib);
    return false;
  }
  std::memset(r, 0, sizeof *r);
  r->font_id = id;
  CopyBounded(r->font_subtype, sizeof r->font_subtype, "CIDFontType2");
  CopyBounded(r->registry, sizeof r->registry, "Adobe");
  CopyBounded(r->ordering, sizeof r->ordering, "Identity");
  CopyBounded(r->encoding_name, sizeof r->encoding_name, "Identity-H");
  r->supplement = 0;
  r->base_encoding = kPdfEncodingCMap;
  r->default_hmetric = {0, 0, 1000};
  r->unicode_cmap = Calloc<qv_cmap_s>();
  r->embed_flag = kPdfEmbeddedComposite;
  qv_Extra_font(reinterpret_cast<FT_FaceRec_*>(ftFace), chars.data(), static_cast<int>(chars.size()), r);
  if (r->program) {
    const char* ps = FT_Get_Postscript_Name(ftFace);
    std::string name = ps && *ps ? ps : (ftFace->family_name ? ftFace->family_name : "Font");
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    auto* program = const_cast<PdfFontProgram*>(r->program);
    CopyBounded(program->name, sizeof program->name, MakeSubsetFontName(name, &NextRandom).c_str());
  }
  FT_Done_Face(ftFace);
  FT_Done_FreeType(lib);
  if (first) CopyFontRecord(*r, &m_mapSystemRecords[id]);
  return true;
}

void CPdfDocumentConverter::FreePageRecord(PdfSavePage* page) {
  if (!page) return;
  if (PdfSaveResources* res = page->resources) {
    for (int i = 0; res->fonts && i < res->font_count; ++i) FreeFontRecordParts(res->fonts[i]);
    std::free(res->fonts);
    if (PdfSaveContent* content = res->content) {
      for (int i = 0; content->elements && i < content->element_count; ++i) FreeEntry(content->elements[i]);
      std::free(content->elements);
      std::free(content);
    }
    std::free(res);
  }
  std::free(page);
}

}  // namespace QorPDFExportingLib

bool SaveDocumentAsPdfDocument(Quirebook::CPublicationDoc* doc, const wchar_t* path, CQorCommonProgress* progress) {
  if (!doc || !path || !*path) return false;
  QorPDFExportingLib::CPdfDocumentConverter converter(doc, progress);
  bool ok = false;
  {
    cpdfEngine engine(nullptr, false);
    ok = engine.saving_pdf(path, &converter);
  }  // the engine goes before the converter
  return ok;
}
