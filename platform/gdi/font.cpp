// Font objects over fontconfig and FreeType: creation, the per-LOGFONT face cache, text metrics
// by GDI's rules, glyph outlines, Unicode ranges, font tables and font file descriptions.
//
// Glyphs are loaded unhinted (FT_LOAD_NO_HINTING): the callers take every outline at one large
// reference size and scale it, so outlines must be the font's own shapes, not shapes fitted to
// one pixel grid. lfWidth is not applied (glyphs keep their designed proportions), and bold or
// italic are not simulated when the matched family has no such style.
#include <cstring>
#include <cwctype>
#include <map>
#include <tuple>

#include <lwstr.h>

#include "gdi_fonts.h"

#include FT_TRUETYPE_TABLES_H
#include FT_SFNT_NAMES_H
#include FT_TRUETYPE_IDS_H

namespace lwgdi {

FontFace::~FontFace() {
  if (face) {
    LwFreeTypeLock lock;
    FT_Done_Face(face);
  }
}

namespace {

constexpr int kMaxPpem = 16384;
constexpr int kDefaultCellHeight = 16;

// round(v * num / den) with halves away from zero, den > 0.
LONG ScaleRound(int64_t v, int64_t num, int64_t den) {
  const int64_t p = v * num;
  const int64_t r = p >= 0 ? (2 * p + den) / (2 * den) : -((-2 * p + den) / (2 * den));
  return static_cast<LONG>(r);
}

using CacheKey = std::tuple<LONG, LONG, LONG, BYTE, BYTE, BYTE, std::wstring>;

std::map<CacheKey, std::shared_ptr<FontFace>>& Cache() {
  static auto* cache = new std::map<CacheKey, std::shared_ptr<FontFace>>();
  return *cache;
}

std::wstring FoldedFace(const wchar_t* face) {
  std::wstring s;
  for (int i = 0; i < LF_FACESIZE && face[i]; ++i) {
    s += lw::ToLowerChar(face[i]);
  }
  return s;
}

std::wstring FaceString(const wchar_t* face) {
  std::wstring s;
  for (int i = 0; i < LF_FACESIZE && face[i]; ++i) s += face[i];
  return s;
}

void CollectRanges(FontFace* ff) {
  FT_UInt gindex = 0;
  FT_ULong c = FT_Get_First_Char(ff->face, &gindex);
  while (gindex != 0 && c <= 0xFFFF) {
    if (!ff->ranges.empty() && ff->ranges.back().wcLow + ff->ranges.back().cGlyphs == c &&
        ff->ranges.back().cGlyphs < 0xFFFF) {
      ++ff->ranges.back().cGlyphs;
    } else {
      ff->ranges.push_back(WCRANGE{static_cast<uint16_t>(c), 1});
    }
    ++ff->glyphsSupported;
    const FT_ULong next = FT_Get_Next_Char(ff->face, c, &gindex);
    if (next <= c) break;
    c = next;
  }
}

DC* DCOf(HDC hdc) { return As<DC>(hdc, OBJ_DC); }

std::shared_ptr<FontFace> FaceOfDC(HDC hdc) {
  DC* dc = DCOf(hdc);
  if (!dc || !dc->font) return nullptr;
  return FaceOf(dc->font);
}

}  // namespace

int PixelsPerEm(FT_Face face, LONG lfHeight) {
  int64_t ppem;
  if (lfHeight < 0) {
    ppem = -int64_t{lfHeight};
  } else {
    const int64_t cellHeight = lfHeight == 0 ? kDefaultCellHeight : lfHeight;
    int64_t cell = 0;
    if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF)
      cell = int64_t{os2->usWinAscent} + os2->usWinDescent;
    if (cell <= 0) cell = int64_t{face->ascender} - face->descender;
    if (cell <= 0) cell = face->units_per_EM;
    ppem = cell > 0 ? ScaleRound(cellHeight, face->units_per_EM, cell) : cellHeight;
  }
  if (ppem < 1) ppem = 1;
  if (ppem > kMaxPpem) ppem = kMaxPpem;
  return static_cast<int>(ppem);
}

// GDI's text metrics of a TrueType face at `ppem` pixels per em:
// - ascent and descent are the OS/2 usWinAscent and usWinDescent scaled to the em and rounded
//   to the nearest pixel (hhea ascender and descender when the OS/2 values are both 0);
// - the internal leading is the rest of the cell above the em: ascent + descent - em;
// - the external leading is the part of the hhea line gap that the Windows cell does not
//   already hold: max(0, lineGap - ((winAscent + winDescent) - (hheaAscender - hheaDescender))),
//   scaled and rounded. For Liberation Sans (winAscent 1854, winDescent 434, hhea 1854/-434,
//   line gap 67, 2048 units) at an em of 1365 pixels this gives 1236, 289 and 45.
void ComputeTextMetrics(FT_Face face, int ppem, const LOGFONTW& lf, TEXTMETRICW* tm) {
  *tm = TEXTMETRICW{};
  const int64_t upem = face->units_per_EM > 0 ? face->units_per_EM : 2048;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version == 0xFFFF) os2 = nullptr;
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  const int64_t hAsc = hhea ? hhea->Ascender : face->ascender;
  const int64_t hDesc = hhea ? hhea->Descender : face->descender;
  const int64_t lineGap = hhea ? hhea->Line_Gap : std::max<int64_t>(0, face->height - (hAsc - hDesc));
  int64_t asc, desc, ext;
  if (os2 && int64_t{os2->usWinAscent} + os2->usWinDescent > 0) {
    asc = os2->usWinAscent;
    desc = os2->usWinDescent;
    ext = std::max<int64_t>(0, lineGap - ((asc + desc) - (hAsc - hDesc)));
  } else {
    asc = hAsc;
    desc = -hDesc;
    ext = std::max<int64_t>(0, lineGap);
  }
  tm->tmAscent = ScaleRound(asc, ppem, upem);
  tm->tmDescent = ScaleRound(desc, ppem, upem);
  tm->tmHeight = tm->tmAscent + tm->tmDescent;
  tm->tmInternalLeading = tm->tmHeight - ppem;
  tm->tmExternalLeading = ScaleRound(ext, ppem, upem);
  int64_t avg = os2 ? os2->xAvgCharWidth : 0;
  if (avg <= 0) {
    const FT_UInt x = FT_Get_Char_Index(face, 'x');
    if (x && FT_Load_Glyph(face, x, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) == 0) avg = face->glyph->advance.x;
  }
  tm->tmAveCharWidth = ScaleRound(avg, ppem, upem);
  tm->tmMaxCharWidth = ScaleRound(face->max_advance_width, ppem, upem);
  tm->tmWeight = os2 && os2->usWeightClass ? os2->usWeightClass
                                           : ((face->style_flags & FT_STYLE_FLAG_BOLD) ? FW_BOLD : FW_NORMAL);
  tm->tmOverhang = 0;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  if (os2) {
    tm->tmFirstChar = os2->usFirstCharIndex;
    tm->tmLastChar = os2->usLastCharIndex;
    tm->tmDefaultChar = os2->version >= 2 && os2->usDefaultChar ? os2->usDefaultChar : tm->tmFirstChar;
    tm->tmBreakChar = os2->version >= 2 && os2->usBreakChar ? os2->usBreakChar : 0x20;
  } else {
    tm->tmFirstChar = 0x20;
    tm->tmLastChar = 0xFFFC;
    tm->tmDefaultChar = 0x20;
    tm->tmBreakChar = 0x20;
  }
  tm->tmItalic = (face->style_flags & FT_STYLE_FLAG_ITALIC) ? 255 : 0;
  tm->tmUnderlined = lf.lfUnderline ? 255 : 0;
  tm->tmStruckOut = lf.lfStrikeOut ? 255 : 0;
  // TMPF_FIXED_PITCH set means a variable-pitch font.
  BYTE pf = TMPF_VECTOR;
  if (FT_IS_SFNT(face)) pf |= TMPF_TRUETYPE;
  if (!FT_IS_FIXED_WIDTH(face)) pf |= TMPF_FIXED_PITCH;
  BYTE family = FF_DONTCARE;
  if (os2) {
    const BYTE kind = os2->panose[0], serif = os2->panose[1], proportion = os2->panose[3];
    if (kind == 2) {
      if (proportion == 9) family = FF_MODERN;
      else if (serif >= 11 && serif <= 13) family = FF_SWISS;
      else family = FF_ROMAN;
    } else if (kind == 3) {
      family = FF_SCRIPT;
    } else if (kind == 4 || kind == 5) {
      family = FF_DECORATIVE;
    }
  }
  if (family == FF_DONTCARE && FT_IS_FIXED_WIDTH(face)) family = FF_MODERN;
  tm->tmPitchAndFamily = static_cast<BYTE>(pf | family);
  tm->tmCharSet = lf.lfCharSet;
}

std::shared_ptr<FontFace> FaceOf(Font* font) {
  LwFreeTypeLock lock;
  if (font->face) return font->face;
  const LOGFONTW& lf = font->lf;
  const CacheKey key{lf.lfHeight, lf.lfWidth, lf.lfWeight, lf.lfItalic ? 1 : 0, lf.lfCharSet, lf.lfPitchAndFamily,
                     FoldedFace(lf.lfFaceName)};
  auto it = Cache().find(key);
  if (it != Cache().end()) return font->face = it->second;

  const std::wstring requested = FaceString(lf.lfFaceName);
  ResolvedFont r;
  if (!ResolveFont(requested.c_str(), lf.lfWeight, lf.lfItalic != 0, lf.lfCharSet, &r)) return nullptr;
  FT_Library lib = LwFreeType::Acquire();
  if (!lib) return nullptr;
  FT_Face face = nullptr;
  if (FT_New_Face(lib, r.path.c_str(), r.faceIndex, &face) != 0) return nullptr;
  auto ff = std::make_shared<FontFace>();
  ff->face = face;
  if (!FT_IS_SCALABLE(face)) return nullptr;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  ff->ppem = PixelsPerEm(face, lf.lfHeight);
  if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(ff->ppem)) != 0) return nullptr;
  LOGFONTW effective = lf;
  if (effective.lfCharSet == DEFAULT_CHARSET) effective.lfCharSet = static_cast<BYTE>(LanguageCharset(r.lang));
  ComputeTextMetrics(face, ff->ppem, effective, &ff->tm);
  // A face in our alias table, or one found under its own name, keeps the name it was asked
  // by; anything else reports the family that stands in for it.
  const std::wstring folded = FoldedFace(lf.lfFaceName);
  const bool sameName = !requested.empty() && FoldedFace(r.family.c_str()) == folded;
  ff->faceName = (r.aliased || sameName) ? requested : r.family;
  CollectRanges(ff.get());
  Cache().emplace(key, ff);
  return font->face = ff;
}

namespace {

std::wstring DecodeName(const FT_SfntName& n) {
  std::wstring s;
  if (!n.string) return s;
  if (n.platform_id == TT_PLATFORM_MICROSOFT || n.platform_id == TT_PLATFORM_APPLE_UNICODE) {
    // UTF-16BE; a dangling odd byte is dropped.
    std::u16string u;
    for (FT_UInt i = 0; i + 1 < n.string_len; i += 2)
      u += static_cast<char16_t>((n.string[i] << 8) | n.string[i + 1]);
    return lw::Utf16ToWide(u);
  }
  for (FT_UInt i = 0; i < n.string_len; ++i) s += static_cast<wchar_t>(n.string[i] < 0x80 ? n.string[i] : L'?');
  return s;
}

}  // namespace

std::wstring FaceFullName(FT_Face face) {
  std::wstring best;
  int bestRank = 0;
  const FT_UInt count = FT_Get_Sfnt_Name_Count(face);
  for (FT_UInt i = 0; i < count; ++i) {
    FT_SfntName n;
    if (FT_Get_Sfnt_Name(face, i, &n) != 0 || n.name_id != TT_NAME_ID_FULL_NAME) continue;
    int rank = 1;
    if (n.platform_id == TT_PLATFORM_MICROSOFT) rank = n.language_id == TT_MS_LANGID_ENGLISH_UNITED_STATES ? 4 : 3;
    else if (n.platform_id == TT_PLATFORM_MACINTOSH && n.language_id == TT_MAC_LANGID_ENGLISH) rank = 2;
    if (rank <= bestRank) continue;
    std::wstring s = DecodeName(n);
    if (s.empty()) continue;
    best = std::move(s);
    bestRank = rank;
  }
  if (!best.empty()) return best;
  if (face->family_name) {
    best = lw::Utf8ToWide(face->family_name);
    if (face->style_name && std::strcmp(face->style_name, "Regular") != 0) {
      best += L' ';
      best += lw::Utf8ToWide(face->style_name);
    }
  }
  return best;
}

void ExerciseFontBytes(const uint8_t* data, size_t size) {
  LwFreeTypeLock lock;
  FT_Library lib = LwFreeType::Acquire();
  if (!lib) return;
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(lib, data, static_cast<FT_Long>(size), 0, &face) != 0) return;
  FaceFullName(face);
  if (FT_IS_SCALABLE(face) && FT_Set_Pixel_Sizes(face, 0, 100) == 0) {
    LOGFONTW lf{};
    TEXTMETRICW tm;
    ComputeTextMetrics(face, PixelsPerEm(face, 40), lf, &tm);
    std::vector<uint8_t> records;
    const FT_Long n = std::min<FT_Long>(face->num_glyphs, 32);
    for (FT_Long g = 0; g < n; ++g) {
      if (FT_Load_Glyph(face, static_cast<FT_UInt>(g), FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) continue;
      if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE) continue;
      records.clear();
      BuildNativeOutline(face->glyph->outline, &records);
    }
  }
  FT_Done_Face(face);
}

}  // namespace lwgdi

using namespace lwgdi;

namespace {

int32_t FixedRaw(FIXED f) { return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(f.value)) << 16) | f.fract); }

}  // namespace

extern "C" {

HFONT CreateFontIndirectW(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  auto* f = new Font();
  f->lf = *lf;
  f->lf.lfFaceName[LF_FACESIZE - 1] = 0;
  return reinterpret_cast<HFONT>(Register(f));
}

HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                  DWORD quality, DWORD pitchAndFamily, LPCWSTR face) {
  LOGFONTW lf{};
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = escapement;
  lf.lfOrientation = orientation;
  lf.lfWeight = weight;
  lf.lfItalic = static_cast<BYTE>(italic);
  lf.lfUnderline = static_cast<BYTE>(underline);
  lf.lfStrikeOut = static_cast<BYTE>(strikeOut);
  lf.lfCharSet = static_cast<BYTE>(charSet);
  lf.lfOutPrecision = static_cast<BYTE>(outPrecision);
  lf.lfClipPrecision = static_cast<BYTE>(clipPrecision);
  lf.lfQuality = static_cast<BYTE>(quality);
  lf.lfPitchAndFamily = static_cast<BYTE>(pitchAndFamily);
  if (face) std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return CreateFontIndirectW(&lf);
}

BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm) {
  if (!tm) return FALSE;
  auto ff = FaceOfDC(hdc);
  if (!ff) return FALSE;
  *tm = ff->tm;
  return TRUE;
}

int GetTextFaceW(HDC hdc, int count, LPWSTR name) {
  auto ff = FaceOfDC(hdc);
  if (!ff) return 0;
  const int len = static_cast<int>(ff->faceName.size());
  if (!name) return len + 1;
  if (count <= 0) return 0;
  const int n = std::min(len, count - 1);
  std::wmemcpy(name, ff->faceName.data(), static_cast<size_t>(n));
  name[n] = 0;
  return n + 1;
}

DWORD GetGlyphOutlineW(HDC hdc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize, LPVOID buffer,
                       const MAT2* matrix) {
  const UINT kind = format & ~static_cast<UINT>(GGO_GLYPH_INDEX | GGO_UNHINTED);
  if (kind != GGO_METRICS && kind != GGO_NATIVE) return GDI_ERROR;
  auto ff = FaceOfDC(hdc);
  if (!ff) return GDI_ERROR;
  LwFreeTypeLock lock;
  FT_Face face = ff->face;
  // A character the font does not map gives the font's default glyph, as in GDI.
  const FT_UInt index = (format & GGO_GLYPH_INDEX) ? ch : FT_Get_Char_Index(face, ch);
  if (index >= static_cast<FT_UInt>(face->num_glyphs)) return GDI_ERROR;
  if (FT_Load_Glyph(face, index, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0) return GDI_ERROR;
  FT_GlyphSlot slot = face->glyph;
  if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return GDI_ERROR;

  // MAT2 maps (x, y) to (x eM11 + y eM21, x eM12 + y eM22).
  FT_Matrix m{0x10000, 0, 0, 0x10000};
  if (matrix) {
    m.xx = FixedRaw(matrix->eM11);
    m.xy = FixedRaw(matrix->eM21);
    m.yx = FixedRaw(matrix->eM12);
    m.yy = FixedRaw(matrix->eM22);
  }
  const bool identity = m.xx == 0x10000 && m.yy == 0x10000 && m.xy == 0 && m.yx == 0;
  if (!identity) FT_Outline_Transform(&slot->outline, &m);

  GLYPHMETRICS gm{};
  if (slot->outline.n_points > 0) {
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    const FT_Pos l = box.xMin >> 6, r = (box.xMax + 63) >> 6, b = box.yMin >> 6, t = (box.yMax + 63) >> 6;
    gm.gmBlackBoxX = static_cast<UINT>(std::max<FT_Pos>(1, r - l));
    gm.gmBlackBoxY = static_cast<UINT>(std::max<FT_Pos>(1, t - b));
    gm.gmptGlyphOrigin = POINT{static_cast<LONG>(l), static_cast<LONG>(t)};
  } else {
    gm.gmBlackBoxX = 1;
    gm.gmBlackBoxY = 1;
  }
  // The advance (16.16 pixels, unhinted) through the matrix, rounded to whole pixels.
  const int64_t adv = slot->linearHoriAdvance;
  const int64_t incX = (adv * m.xx) / 65536, incY = (adv * m.yx) / 65536;
  gm.gmCellIncX = static_cast<SHORT>((incX + (incX >= 0 ? 0x8000 : -0x8000)) / 65536);
  gm.gmCellIncY = static_cast<SHORT>((incY + (incY >= 0 ? 0x8000 : -0x8000)) / 65536);
  if (metrics) *metrics = gm;
  if (kind == GGO_METRICS) return 1;

  std::vector<uint8_t> records;
  if (!BuildNativeOutline(slot->outline, &records)) return GDI_ERROR;
  const DWORD size = static_cast<DWORD>(records.size());
  if (!buffer || bufferSize == 0) return size;
  if (bufferSize < size) return GDI_ERROR;
  std::memcpy(buffer, records.data(), size);
  return size;
}

DWORD GetFontUnicodeRanges(HDC hdc, LPGLYPHSET glyphSet) {
  auto ff = FaceOfDC(hdc);
  if (!ff) return 0;
  const size_t n = ff->ranges.size();
  const DWORD size = static_cast<DWORD>(sizeof(GLYPHSET) + (n > 0 ? n - 1 : 0) * sizeof(WCRANGE));
  if (!glyphSet) return size;
  glyphSet->cbThis = size;
  glyphSet->cGlyphsSupported = ff->glyphsSupported;
  glyphSet->cRanges = static_cast<DWORD>(n);
  bool small = true;
  for (const WCRANGE& r : ff->ranges) small = small && r.wcLow + r.cGlyphs <= 0x100;
  glyphSet->flAccel = small ? GS_8BIT_INDICES : 0;
  if (n) std::memcpy(glyphSet->ranges, ff->ranges.data(), n * sizeof(WCRANGE));
  return size;
}

DWORD GetFontData(HDC hdc, DWORD table, DWORD offset, PVOID buffer, DWORD size) {
  auto ff = FaceOfDC(hdc);
  if (!ff) return GDI_ERROR;
  LwFreeTypeLock lock;
  // GDI's tag holds the four tag bytes in file order; FreeType wants them big-endian.
  const FT_ULong tag = table == 0 ? 0
                                  : ((table & 0xFF) << 24) | ((table & 0xFF00) << 8) | ((table >> 8) & 0xFF00) |
                                        (table >> 24);
  FT_ULong length = 0;
  if (FT_Load_Sfnt_Table(ff->face, tag, 0, nullptr, &length) != 0) return GDI_ERROR;
  if (offset > length) return GDI_ERROR;
  const FT_ULong avail = length - offset;
  if (!buffer || size == 0) return static_cast<DWORD>(avail);
  FT_ULong want = std::min<FT_ULong>(avail, size);
  if (FT_Load_Sfnt_Table(ff->face, tag, static_cast<FT_Long>(offset), static_cast<FT_Byte*>(buffer), &want) != 0)
    return GDI_ERROR;
  return static_cast<DWORD>(want);
}

BOOL GetFontResourceInfoW(LPCWSTR path, LPDWORD size, LPVOID buffer, DWORD type) {
  if (!path || !size || type != QFR_DESCRIPTION) return FALSE;
  std::wstring name;
  {
    LwFreeTypeLock lock;
    FT_Library lib = LwFreeType::Acquire();
    if (!lib) return FALSE;
    FT_Face face = nullptr;
    if (FT_New_Face(lib, lw::WideToUtf8(path).c_str(), 0, &face) != 0) return FALSE;
    name = FaceFullName(face);
    FT_Done_Face(face);
  }
  if (name.empty()) return FALSE;
  const DWORD capacity = *size / sizeof(wchar_t);
  if (!buffer) {
    *size = static_cast<DWORD>((name.size() + 1) * sizeof(wchar_t));
    return TRUE;
  }
  if (capacity == 0) return FALSE;
  const size_t n = std::min<size_t>(name.size(), capacity - 1);
  auto* out = static_cast<wchar_t*>(buffer);
  std::wmemcpy(out, name.data(), n);
  out[n] = 0;
  *size = static_cast<DWORD>((n + 1) * sizeof(wchar_t));
  return TRUE;
}

}  // extern "C"
