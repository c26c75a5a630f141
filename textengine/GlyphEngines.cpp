// The glyph outline engines: GDI for installed fonts, FreeType for embedded font programs, and
// the facade that chooses between them.
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <cwchar>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <gdi/ftlibrary.h>
#include <gdi/lwdpi.h>
#include <gdi/wingdi.h>
#include <winfile.h>

#include "glyphweave/AccessTextsOutline.h"
#include "glyphweave/CharsFontDesc.h"
#include "glyphweave/EmbedFontRes.h"

using Gdiplus::GraphicsPath;
using Gdiplus::Matrix;
using Gdiplus::PointF;

namespace GlyphweaveLib {

namespace {

constexpr int kReferenceEmPoints = 1024;
// The largest outline buffer a glyph may ask for; a bigger answer is taken as an error.
constexpr DWORD kMaxOutlineBuffer = 16u << 20;

MAT2 IdentityMat2() {
  MAT2 m{};
  m.eM11.value = 1;
  m.eM22.value = 1;
  return m;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// GDI engine

CFontAccessEngine::~CFontAccessEngine() { Release(); }

void CFontAccessEngine::Release() {
  m_vBuffer.clear();
  m_vBuffer.shrink_to_fit();
  if (m_hDC && m_hFont) SelectObject(m_hDC, m_hOldFont);
  if (m_hFont) DeleteObject(m_hFont);
  m_hFont = nullptr;
  m_hOldFont = nullptr;
  m_hDC = nullptr;
  m_fAscent = m_fDescent = m_fExternalLeading = 0.0f;
}

bool CFontAccessEngine::SetAccessFont(HDC dc, const _CharsFontDesc& font) {
  Release();
  if (!dc) return false;
  m_hDC = dc;
  m_hOldFont = GetCurrentObject(dc, OBJ_FONT);
  m_vBuffer.resize(kOutlineBufferSize);
  LOGFONTW lf;
  font.RetrieveLogFont(dc, lf, kReferenceEmPoints);  // height -MulDiv(1024, LOGPIXELSY, 72), weight 400
  m_hFont = CreateFontIndirectW(&lf);
  if (!m_hFont) return false;
  SelectObject(dc, m_hFont);
  TEXTMETRICW tm{};
  if (!GetTextMetricsW(dc, &tm)) return false;
  m_fAscent = static_cast<float>(tm.tmAscent);
  m_fDescent = static_cast<float>(tm.tmDescent);
  m_fExternalLeading = static_cast<float>(tm.tmExternalLeading);
  return true;
}

bool CFontAccessEngine::PrepareGlyph(unsigned ch, Matrix& m, GraphicsPath& path, float* advanceX,
                                     float* advanceY) {
  if (ch == 13 || ch == 10) ch = 32;
  if (!m_hDC || !m_hFont || ch >= kGlyphIdKey) return false;
  const MAT2 identity = IdentityMat2();
  GLYPHMETRICS gm{};
  // The outline is not kept, so the buffer is sized to what the glyph needs.
  DWORD size = GetGlyphOutlineW(m_hDC, ch, GGO_NATIVE, &gm, 0, nullptr, &identity);
  if (size != GDI_ERROR && size > m_vBuffer.size()) {
    if (size > kMaxOutlineBuffer)
      size = GDI_ERROR;
    else
      m_vBuffer.resize(size);
  }
  if (size != GDI_ERROR && size > 0)
    size = GetGlyphOutlineW(m_hDC, ch, GGO_NATIVE, &gm, static_cast<DWORD>(m_vBuffer.size()), m_vBuffer.data(),
                            &identity);
  if (size == GDI_ERROR) {
    if (GetGlyphOutlineW(m_hDC, ch, GGO_METRICS, &gm, 0, nullptr, &identity) == GDI_ERROR) return false;
    size = 0;  // no outline: only the advance counts
  }
  PointF advance(static_cast<float>(gm.gmCellIncX), static_cast<float>(-gm.gmCellIncY));
  m.TransformPoints(&advance, 1);
  if (advanceX) *advanceX = advance.X;
  if (advanceY) *advanceY = advance.Y;
  path.Reset();
  return AddNativeOutlineToPath(m_vBuffer.data(), size, m, path);
}

// A character the font does not map comes out as the font's missing-glyph outline (glyph 0):
// the character is there when its outline or advance differs from that glyph's.
bool CFontAccessEngine::HasGlyphBeyondBasicPlane(uint32_t ch) {
  if (!m_hDC || !m_hFont || ch > 0x10FFFF) return false;
  const MAT2 identity = IdentityMat2();
  auto outline = [&](UINT code, UINT flags, GLYPHMETRICS& gm, std::vector<unsigned char>& bytes) {
    const DWORD size = GetGlyphOutlineW(m_hDC, code, GGO_NATIVE | flags, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR || size > kMaxOutlineBuffer) return false;
    bytes.resize(size);
    return size == 0 ||
           GetGlyphOutlineW(m_hDC, code, GGO_NATIVE | flags, &gm, size, bytes.data(), &identity) == size;
  };
  GLYPHMETRICS gmChar{}, gmMissing{};
  std::vector<unsigned char> charBytes, missingBytes;
  if (!outline(ch, 0, gmChar, charBytes)) return false;
  if (!outline(0, GGO_GLYPH_INDEX, gmMissing, missingBytes)) return true;
  return charBytes != missingBytes || gmChar.gmCellIncX != gmMissing.gmCellIncX;
}

bool CFontAccessEngine::IsContainCharacters(const wchar_t* text) {
  if (!text || !*text) return true;
  if (!m_hDC || !m_hFont) return false;
  const DWORD size = GetFontUnicodeRanges(m_hDC, nullptr);
  if (size < sizeof(GLYPHSET)) return false;
  std::vector<unsigned char> buffer(size);
  auto* set = reinterpret_cast<GLYPHSET*>(buffer.data());
  if (GetFontUnicodeRanges(m_hDC, set) == 0) return false;
  const DWORD ranges = std::min<DWORD>(set->cRanges, (size - offsetof(GLYPHSET, ranges)) / sizeof(WCRANGE));
  for (const wchar_t* p = text; *p; ++p) {
    const auto c = static_cast<uint32_t>(*p);
    if (c < 32) continue;  // breaks and tabs are drawn as spaces
    if (c > 0xFFFF) {  // the ranges cover the basic plane only
      if (!HasGlyphBeyondBasicPlane(c)) return false;
      continue;
    }
    bool found = false;
    for (DWORD r = 0; r < ranges && !found; ++r) {
      const WCRANGE& range = set->ranges[r];
      found = c >= range.wcLow && c < static_cast<uint32_t>(range.wcLow) + range.cGlyphs;
    }
    if (!found) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// FreeType engine

FT_Library CFFTypeFontEngine::m_library = nullptr;
bool CFFTypeFontEngine::m_library_initialized = false;
unsigned CFFTypeFontEngine::m_library_generation = 0;

bool CFFTypeFontEngine::FFTypeInitialize() {
  LwFreeTypeLock lock;
  if (m_library_initialized) return true;
  m_library_initialized = FT_Init_FreeType(&m_library) == 0;
  if (!m_library_initialized) m_library = nullptr;
  ++m_library_generation;
  return m_library_initialized;
}

void CFFTypeFontEngine::FFTypeUninitialize() {
  LwFreeTypeLock lock;
  if (!m_library_initialized) return;
  FT_Done_FreeType(m_library);
  m_library = nullptr;
  m_library_initialized = false;
  ++m_library_generation;
}

bool CFFTypeFontEngine::IsFFTypeInitialized() {
  LwFreeTypeLock lock;
  return m_library_initialized;
}

bool CFFTypeFontEngine::GetCIDFontFilePath(const char* fontName, std::string& path) {
  path.clear();
  if (!fontName) return false;
  const void* nul = std::memchr(fontName, 0, CPdfEmbedFontDesc::kNameSize);
  const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - fontName)
                            : static_cast<size_t>(CPdfEmbedFontDesc::kNameSize - 1);
  const std::string name(fontName, length);
  if (name.empty() || name == "." || name == "..") return false;
  for (const char c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 32) return false;
  const std::string folder = lw::NativePath(lw::ProgramFolder());
  if (folder.empty()) return false;
  path = folder + "/CIDFont/" + name;
  return true;
}

CFFTypeFontEngine::CFFTypeFontEngine(HDC dc, unsigned faceIndex, const CEmbedFontResouce* resource, bool hinting) {
  SetAccessFont(dc, faceIndex, resource, hinting);
}

CFFTypeFontEngine::~CFFTypeFontEngine() { ReleaseFace(); }

void CFFTypeFontEngine::ReleaseFace() {
  if (!m_face) return;
  LwFreeTypeLock lock;
  // A face of a library that has stopped since went with it.
  if (m_nGeneration == m_library_generation) FT_Done_Face(m_face);
  m_face = nullptr;
}

bool CFFTypeFontEngine::SetAccessFont(HDC dc, unsigned faceIndex, const CEmbedFontResouce* resource, bool hinting) {
  LwFreeTypeLock lock;
  if (!m_library_initialized) return false;
  m_pResource = resource;
  ReleaseFace();
  m_nLastError = 0;
  const CPdfEmbedFontDesc* program = resource ? resource->GetEmbedPdfFontContent() : nullptr;
  const int flag = resource ? resource->GetEmbedFontFlag() : -1;
  if ((flag == 0 || flag == 1) && program && !program->m_vProgram.empty()) {
    // The face reads the resource's bytes in place: the resource outlives the engine.
    m_nLastError = FT_New_Memory_Face(m_library, program->m_vProgram.data(),
                                      static_cast<FT_Long>(program->m_vProgram.size()),
                                      static_cast<FT_Long>(faceIndex), &m_face);
  } else if (flag == 2 && program) {
    std::string path;
    struct stat st {};
    // Only a regular file is opened: a device or a pipe there would block or never end.
    if (GetCIDFontFilePath(program->GetFontName(), path) && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
      m_nLastError = FT_New_Face(m_library, path.c_str(), static_cast<FT_Long>(faceIndex), &m_face);
    else
      m_nLastError = FT_Err_Cannot_Open_Resource;
  } else {
    m_nLastError = FT_Err_Invalid_Argument;  // nothing to open
  }
  if (m_nLastError != 0 || !m_face) {
    m_face = nullptr;
    if (m_nLastError == 0) m_nLastError = FT_Err_Invalid_Argument;
    return false;
  }
  m_nGeneration = m_library_generation;
  (void)hinting;
  m_nResolution = lw::PixelsPerInch(dc, LOGPIXELSX);
  m_nLastError = FT_Set_Char_Size(m_face, 0x10000, 0x10000, static_cast<FT_UInt>(m_nResolution),
                                  static_cast<FT_UInt>(m_nResolution));
  if (m_nLastError != 0) {
    ReleaseFace();
    return false;
  }
  return true;
}

FT_UInt CFFTypeFontEngine::GlyphIndexOf(unsigned ch) const {
  if (ch >= kGlyphIdKey) {
    const unsigned gid = ch - kGlyphIdKey;
    return m_pResource && gid < static_cast<unsigned>(m_face->num_glyphs) ? gid : 0;
  }
  FT_UInt index = FT_Get_Char_Index(m_face, ch);
  // The program's own maps hold basic-plane units only.
  if (index == 0 && m_pResource && ch <= 0xFFFF)
    index = static_cast<FT_UInt>(m_pResource->GetGlyphGid(static_cast<wchar_t>(ch & 0xFFFF), m_face));
  return index;
}

bool CFFTypeFontEngine::PrepareGlyph(unsigned ch, Matrix& m, GraphicsPath& path, float* advanceX,
                                     float* advanceY) {
  // Paragraph and line breaks take the space's glyph, so that an empty line keeps its height.
  if (ch == 13 || ch == 10) ch = 32;
  LwFreeTypeLock lock;
  if (!m_face) return false;
  const FT_UInt index = GlyphIndexOf(ch);
  if (index == 0) return ch == 32 && PrepareBlankSpace(m, path, advanceX, advanceY);
  if (!(m_face->face_flags & FT_FACE_FLAG_SCALABLE)) return false;
  // The outline in font units (no hinting program runs), scaled here to the reference em.
  m_nLastError = FT_Load_Glyph(m_face, index, FT_LOAD_NO_SCALE);
  if (m_nLastError != 0) return false;
  const FT_GlyphSlot slot = m_face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return false;
  const double units = m_face->units_per_EM;
  if (units <= 0) return false;
  // A damaged font matrix or unit size gives glyphs thousands of ems wide: such a glyph is
  // refused rather than made at that size.
  FT_BBox box;
  FT_Outline_Get_CBox(&slot->outline, &box);
  const double limit = kMaxGlyphEms * units;
  for (const FT_Pos v : {box.xMin, box.yMin, box.xMax, box.yMax, slot->advance.x, slot->advance.y})
    if (static_cast<double>(v < 0 ? -v : v) > limit) return false;
  // AddOutlineToPath reads 26.6 values: the font units are taken times 64.
  const double scale = static_cast<double>(m_nResolution) * kReferenceEmPoints / 72.0 / units;
  Matrix toPath(static_cast<float>(64.0 * scale), 0, 0, static_cast<float>(64.0 * scale), 0, 0);
  toPath.Multiply(&m, Gdiplus::MatrixOrderAppend);
  if (!AddOutlineToPath(slot->outline, toPath, m_bFlipY != 0, path)) return false;
  PointF advance(static_cast<float>(slot->advance.x * scale), static_cast<float>(slot->advance.y * scale));
  m.TransformPoints(&advance, 1);
  if (advanceX) *advanceX = advance.X;
  if (advanceY) *advanceY = advance.Y;
  return true;
}

// A space the program has no glyph for (TeX's fonts, subsets cut without one) still advances: by
// half the font's "n", about what a font's own space is, else by a quarter of an em.
bool CFFTypeFontEngine::PrepareBlankSpace(Matrix& m, GraphicsPath& path, float* advanceX, float* advanceY) {
  if (!(m_face->face_flags & FT_FACE_FLAG_SCALABLE)) return false;
  const double units = m_face->units_per_EM;
  if (units <= 0) return false;
  double width = units / 4;
  const FT_UInt n = GlyphIndexOf('n');
  if (n != 0 && FT_Load_Glyph(m_face, n, FT_LOAD_NO_SCALE) == 0) {
    const double half = m_face->glyph->advance.x / 2.0;
    if (half > 0 && half <= kMaxGlyphEms * units) width = half;
  }
  const double scale = static_cast<double>(m_nResolution) * kReferenceEmPoints / 72.0 / units;
  PointF advance(static_cast<float>(width * scale), 0);
  m.TransformPoints(&advance, 1);
  path.Reset();
  if (advanceX) *advanceX = advance.X;
  if (advanceY) *advanceY = advance.Y;
  return true;
}

float CFFTypeFontEngine::GetFontAscent() const {
  LwFreeTypeLock lock;
  if (!m_face) return 0.0f;
  if (m_face->ascender != 0) return static_cast<float>(m_face->ascender);
  return static_cast<float>(m_nResolution) * kReferenceEmPoints / 72.0f * kAscentFallback;
}

float CFFTypeFontEngine::GetFontDescent() const {
  LwFreeTypeLock lock;
  if (!m_face) return 0.0f;
  if (m_face->descender != 0) return static_cast<float>(m_face->descender < 0 ? -m_face->descender : m_face->descender);
  return static_cast<float>(m_nResolution) * kReferenceEmPoints / 72.0f * kDescentFallback;
}

bool CFFTypeFontEngine::IsContainCharacters(const wchar_t* text) {
  LwFreeTypeLock lock;
  if (!m_face) return false;
  if (!text) return true;
  for (const wchar_t* p = text; *p; ++p) {
    const auto c = static_cast<uint32_t>(*p);
    if (c < 32) continue;  // breaks and tabs are drawn as spaces
    const FT_UInt index = GlyphIndexOf(c);
    if (index == 0) return false;
    if (!(m_face->face_flags & FT_FACE_FLAG_SCALABLE)) return false;
    if (FT_Load_Glyph(m_face, index, FT_LOAD_NO_SCALE) != 0) return false;
    if (m_face->glyph->format != FT_GLYPH_FORMAT_OUTLINE || m_face->glyph->outline.n_contours <= 0) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// The facade

const CEmbedFontResouce* CAccessTextsOutline::FindFontProgram(const _CharsFontDesc& font,
                                                              const CEmbedFontResManager* fonts) {
  if (font.GetEmbedFontID() < 0 || !fonts) return nullptr;
  const CEmbedFontResouce* res = fonts->FindEmbedFontResource(font.GetEmbedFontID());
  if (!res) return nullptr;  // an id without resource is served by the face name
  const int flag = res->GetEmbedFontFlag();
  if (flag != 0 && flag != 1) return nullptr;  // not embedded: the installed font of that name
  const CPdfEmbedFontDesc* program = res->GetEmbedPdfFontContent();
  if (!program || program->m_vProgram.empty()) return nullptr;  // no program to open
  return res;
}

bool CAccessTextsOutline::SetAccessFont(HDC dc, const _CharsFontDesc& font, const CEmbedFontResManager* fonts) {
  const CEmbedFontResouce* res = FindFontProgram(font, fonts);
  if (!res) {
    m_nEngine = kGdiEngine;
    return m_gdiEngine.SetAccessFont(dc, font);
  }
  m_nEngine = kFreeTypeEngine;
  m_pFtEngine = &m_ftEngine;
  const bool hinting = res->GetEmbedPdfFontContent()->m_nHintingWord != 0;
  return m_ftEngine.SetAccessFont(dc, 0, res, hinting);
}

void CAccessTextsOutline::UseFreeTypeEngine(CFFTypeFontEngine* engine) {
  m_nEngine = kFreeTypeEngine;
  m_pFtEngine = engine ? engine : &m_ftEngine;
}

bool CAccessTextsOutline::PrepareGlyph(unsigned ch, Matrix& m, GraphicsPath& path, float* advanceX,
                                       float* advanceY) {
  return m_nEngine == kFreeTypeEngine ? m_pFtEngine->PrepareGlyph(ch, m, path, advanceX, advanceY)
                                      : m_gdiEngine.PrepareGlyph(ch, m, path, advanceX, advanceY);
}

float CAccessTextsOutline::GetFontAscent() const {
  return m_nEngine == kFreeTypeEngine ? m_pFtEngine->GetFontAscent() : m_gdiEngine.GetFontAscent();
}

float CAccessTextsOutline::GetFontDescent() const {
  return m_nEngine == kFreeTypeEngine ? m_pFtEngine->GetFontDescent() : m_gdiEngine.GetFontDescent();
}

float CAccessTextsOutline::GetFontExternalLeading() const {
  return m_nEngine == kFreeTypeEngine ? m_pFtEngine->GetFontExternalLeading() : m_gdiEngine.GetFontExternalLeading();
}

bool CAccessTextsOutline::IsContainCharacters(const wchar_t* text) {
  return m_nEngine == kFreeTypeEngine ? m_pFtEngine->IsContainCharacters(text) : m_gdiEngine.IsContainCharacters(text);
}

}  // namespace GlyphweaveLib
