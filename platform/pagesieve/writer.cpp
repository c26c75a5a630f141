// cpdfEngine::saving_pdf: writes the pages its caller hands over as a new PDF file, through
// MuPDF's pdf_* object API. Content streams, font dictionaries, widths and ToUnicode maps are
// ours; SFNT fonts are embedded as Type0 fonts with glyph ids as codes (Identity-H), Type 1 and
// bare CFF programs as simple fonts whose one-byte codes name their glyphs.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H
#include FT_CID_H

#include <fontconfig/fontconfig.h>
#include <hb.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <unordered_map>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

#include <lwreplace.h>
#include <lwstr.h>

#include "LatinAccents.h"
#include "cpdfEngine.h"
#include "writer_internal.h"

namespace pagesieve {

void FreeProgram(PdfFontProgram* p) {
  if (!p) return;
  std::free(const_cast<uint8_t*>(p->program));
  std::free(const_cast<uint16_t*>(p->cid_to_gid));
  std::free(const_cast<uint16_t*>(p->cid_to_ucs));
  std::free(p);
}

namespace {

void FreeCMap(const qv_cmap_s* map) {
  // A use chain is freed with the map that uses it.
  while (map) {
    const qv_cmap_s* next = map->usecmap;
    std::free(map->ranges);
    std::free(map->table);
    std::free(const_cast<qv_cmap_s*>(map));
    map = next;
  }
}

}  // namespace

void FreeFontRecordParts(PdfFontRecord* r) {
  std::free(const_cast<PdfHMetric*>(r->hmetrics));
  std::free(const_cast<PdfVMetric*>(r->vmetrics));
  FreeCMap(r->to_ttf_cmap);
  FreeCMap(r->encoding_cmap);
  FreeCMap(r->unicode_cmap);
  FreeProgram(const_cast<PdfFontProgram*>(r->program));
  // The glyph names point into the caller's fonts: they are not ours to free.
  r->hmetrics = nullptr, r->vmetrics = nullptr, r->program = nullptr;
  r->to_ttf_cmap = r->encoding_cmap = r->unicode_cmap = nullptr;
}

namespace {

void FreePage(PdfSavePage* page) {
  if (!page) return;
  if (PdfSaveResources* res = page->resources) {
    for (int i = 0; res->fonts && i < res->font_count; ++i) FreeFontRecordParts(&res->fonts[i]);
    std::free(res->fonts);
    if (PdfSaveContent* content = res->content) {
      for (int i = 0; content->elements && i < content->element_count; ++i) {
        PdfSaveEntry* e = content->elements[i];
        if (!e) continue;
        if (e->kind == kPdfSaveText && e->element) {
          auto* block = static_cast<PdfSaveTextBlock*>(e->element);
          for (int r = 0; block->runs && r < block->run_count; ++r) {
            if (block->runs[r]) std::free(block->runs[r]->chars);
            std::free(block->runs[r]);
          }
          std::free(block->runs);
        } else if (e->kind == kPdfSavePath && e->element) {
          auto* path = static_cast<PdfSavePath*>(e->element);
          std::free(path->line_style);
          std::free(path->segments);
        } else if (e->kind == kPdfSaveImage && e->element) {
          std::free(static_cast<PdfSaveImage*>(e->element)->data);
        }
        std::free(e->element);
        std::free(e);
      }
      std::free(content->elements);
      std::free(content);
    }
    std::free(res);
  }
  std::free(page);
}

struct PageDeleter {
  void operator()(PdfSavePage* p) const { FreePage(p); }
};

// A number for a content stream: NaN and infinities become 0, and huge values are bounded.
std::string Num(double v) {
  if (!std::isfinite(v)) v = 0;
  v = std::fmax(-32767.0, std::fmin(32767.0, v));
  // Four decimals, as printf's "%.4f" writes them, less trailing zeros. The value in ten
  // thousandths is within 4e-8 of exact (|v| < 2^15), so unless it lies that close to a half its
  // nearest whole number is the rounding printf makes; near a half, to_chars rounds the exact
  // value as printf does.
  char buf[32];
  char* end = buf;
  const double scaled = v * 10000.0;
  const double whole = std::nearbyint(scaled);
  if (std::fabs(std::fabs(scaled - whole) - 0.5) > 1e-6) {
    long long n = static_cast<long long>(whole);
    if (n < 0) *end++ = '-', n = -n;
    end = std::to_chars(end, buf + sizeof buf, n / 10000).ptr;
    int frac = static_cast<int>(n % 10000);
    if (frac) {
      *end++ = '.';
      for (int d = 1000; d > 0 && frac; d /= 10) *end++ = static_cast<char>('0' + frac / d), frac %= d;
    }
  } else {
    end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 4).ptr;
    while (end > buf && end[-1] == '0') --end;
    if (end > buf && end[-1] == '.') --end;
  }
  std::string s(buf, end);
  if (s == "-0" || s.empty()) s = "0";
  return s;
}

// A glyph or character code as a PDF hex string of at least two digits (one byte) or four.
void AppendHexCode(std::string& s, unsigned code, bool oneByte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  int digits = oneByte ? 2 : 4;
  while (digits < 8 && (code >> (4 * digits)) != 0) ++digits;
  char buf[10];
  buf[0] = '<';
  for (int k = 0; k < digits; ++k) buf[1 + k] = kDigits[(code >> (4 * (digits - 1 - k))) & 15];
  buf[1 + digits] = '>';
  s.append(buf, static_cast<size_t>(digits) + 2);
}

double Unit(float v) { return std::isfinite(v) ? std::fmax(0.0, std::fmin(1.0, v)) : 1.0; }

// Characters an import gives as their code (codes that map to no Unicode value, from 6400 up;
// those below come as private-use characters the font's tables map).
constexpr int kCodesAsCharactersFrom = 6400;

// One font of the document as it goes into the file.
struct OutFont {
  std::string base;  // with its subset tag
  bool cff = false;
  bool cidKeyed = false;  // a bare CID-keyed CFF program, embedded whole; its codes are CIDs
  std::vector<uint8_t> program;     // the subset program
  std::vector<uint8_t> whole;       // the whole program the face reads, once `program` is cut
  std::map<uint16_t, uint16_t> used;  // glyph id -> its character (0 when none)
  std::unordered_map<uint16_t, uint16_t> gidOf;  // character -> glyph id
  PdfFontRecord desc{};  // descriptor values only
  // The fallback font is subset when the document is done; its face stays open until then.
  FT_Face face = nullptr;
  FT_Face widthFace = nullptr;  // an SFNT program's face for its advances, until it is cut
  std::unordered_map<uint16_t, int> writtenWidth;  // glyph id -> its width in the file (-1: none)
  bool fallback = false;
  // A Type 1 or bare CFF program goes out as simple fonts: one-byte codes from 1 up, each naming
  // its glyph. The record's font holds the face and the parts (itself first, then its copies
  // when more than 255 glyphs are shown); each part keeps its codes' glyph names and widths.
  int simple = 0;  // 0: SFNT; kPdfProgramType1 or kPdfProgramCff
  int length1 = 0, length2 = 0, length3 = 0;  // the parts of a Type 1 program
  std::vector<int> parts;
  std::unordered_map<uint16_t, std::pair<int, uint16_t>> codeOfGid;  // glyph id -> part, code
  std::vector<std::string> names{std::string()};  // by code; code 0 unused, an empty name a code unused
  std::vector<int> widthOfCode{0};
  size_t nextCode = 1;  // the next code a glyph other than the space takes (never 32)
  // Ligatures of the record's font, longest first: the letters, the glyph and its advance
  // (thousandths of an em). Codes shown for a ligature and the letters they stand for.
  struct Ligature {
    std::u16string letters;
    uint16_t gid;
    int width;
  };
  std::vector<Ligature> ligatures;
  std::map<uint16_t, std::u16string> lettersOf;
};

// The letters of a Unicode ligature (U+FB00 to U+FB06), else empty.
std::u16string LigatureLetters(int u) {
  static const char16_t* const kLetters[] = {u"ff", u"fi", u"fl", u"ffi", u"ffl", u"\u017Ft", u"st"};
  return u >= 0xFB00 && u <= 0xFB06 ? std::u16string(kLetters[u - 0xFB00]) : std::u16string();
}

// A Type 1 program as a PDF embeds it: clear text, encrypted part and trailer one after the other
// (the segment headers of a PFB file dropped), with the lengths of the three parts. False when
// the bytes hold no eexec section.
bool Type1Parts(const uint8_t* data, size_t size, std::vector<uint8_t>* out, int* l1, int* l2, int* l3) {
  out->clear();
  if (size >= 6 && data[0] == 0x80 && data[1] == 1) {
    size_t at = 0;
    int segment = 0;
    *l1 = *l2 = *l3 = 0;
    while (at + 6 <= size && data[at] == 0x80 && data[at + 1] != 3) {
      const int type = data[at + 1];
      const size_t n = size_t(data[at + 2]) | size_t(data[at + 3]) << 8 | size_t(data[at + 4]) << 16 |
                       size_t(data[at + 5]) << 24;
      at += 6;
      if (n > size - at || (type != 1 && type != 2)) return false;
      out->insert(out->end(), data + at, data + at + n);
      int& len = type == 2 ? *l2 : segment == 0 ? *l1 : *l3;
      len += static_cast<int>(n);
      if (type == 1 && segment == 0 && *l1 == 0) return false;
      if (type == 2) segment = 1;
      at += n;
    }
    return *l1 > 0 && *l2 > 0;
  }
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t e = text.find("eexec");
  if (e == std::string_view::npos) return false;
  e += 5;
  while (e < size && (text[e] == '\r' || text[e] == '\n' || text[e] == ' ' || text[e] == '\t')) ++e;
  // The trailer: the zeros before cleartomark, when there are any.
  size_t end = size;
  const size_t mark = text.rfind("cleartomark");
  if (mark != std::string_view::npos && mark > e) {
    size_t z = mark;
    int zeros = 0;
    while (z > e && (text[z - 1] == '0' || text[z - 1] == '\r' || text[z - 1] == '\n' || text[z - 1] == ' ' ||
                     text[z - 1] == '\t'))
      zeros += text[--z] == '0';
    if (zeros >= 64) end = z;
  }
  if (end <= e) return false;
  out->assign(data, data + size);
  *l1 = static_cast<int>(e);
  *l2 = static_cast<int>(end - e);
  *l3 = static_cast<int>(size - end);
  return true;
}

// The value of a code in an engine CMap (its use chain included), the first one of a code with
// several (`count`, when given, says how many the code has); false when no range holds the code.
bool LookupCMap(const qv_cmap_s* map, int code, int* value, int* count = nullptr) {
  if (count) *count = 1;
  for (int depth = 0; map && depth < 8; map = map->usecmap, ++depth) {
    for (int i = 0; map->ranges && i < map->rlen; ++i) {
      const qv_cmap_range_s& r = map->ranges[i];
      const int extent = r.extent_flags >> 2, kind = r.extent_flags & 3;
      if (code < r.low || code > r.low + extent) continue;
      const int v = r.offset + code - r.low;
      if (kind <= 1) {
        *value = v;
        return true;
      }
      if (!map->table) return false;
      if (kind == 2) {
        if (v >= map->tlen) return false;
        *value = map->table[v];
        return true;
      }
      const int at = r.offset;
      if (at + 1 >= map->tlen || map->table[at] < 1) return false;
      *value = map->table[at + 1];
      if (count) *count = map->table[at];
      return true;
    }
  }
  return false;
}

// The default font of runs whose font id has no usable record: fontconfig's best sans face.
bool DefaultFontFile(std::string* path, int* index) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return false;
  FcPattern* pat = FcNameParse(reinterpret_cast<const FcChar8*>("sans-serif"));
  bool ok = false;
  if (pat) {
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pat, &result);
    FcChar8* file = nullptr;
    if (match && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
      *path = reinterpret_cast<const char*>(file);
      *index = 0;
      FcPatternGetInteger(match, FC_INDEX, 0, index);
      ok = true;
    }
    if (match) FcPatternDestroy(match);
    FcPatternDestroy(pat);
  }
  FcConfigDestroy(config);
  return ok;
}

// A font name as PDF takes it: printable ASCII without delimiters, and any subset tag the record
// carries ("ABCDE+") taken off into `tag`.
std::string CleanFontName(const char* name, std::string* tag) {
  std::string n = name ? name : "";
  if (n.size() > 6 && n[5] == '+' && std::all_of(n.begin(), n.begin() + 5, [](char c) { return c >= 'A' && c <= 'Z'; })) {
    if (tag) *tag = n.substr(0, 5);
    n = n.substr(6);
  }
  std::string clean;
  for (char c : n)
    if (c > ' ' && c < 127 && !std::strchr("()<>[]{}/%#", c)) clean += c;
  if (clean.empty()) clean = "Font";
  return clean;
}

// A six-letter subset tag: the record's five letters (or letters made from the glyphs) and one more.
// Only a program cut down to the glyphs used carries one: readers take a tagged font for a subset.
std::string TaggedName(const char* name, const std::map<uint16_t, uint16_t>& used) {
  uint32_t h = 2166136261u;
  for (const auto& [g, u] : used) h = (h ^ g ^ (uint32_t(u) << 16)) * 16777619u;
  std::string tag;
  const std::string clean = CleanFontName(name, &tag);
  if (tag.empty())
    for (int i = 0; i < 5; ++i, h /= 26) tag += char('A' + h % 26);
  tag += char('A' + h % 26);
  return tag + "+" + clean;
}

// The metrics of a font descriptor, from the record; numbers that are not finite become 0.
void PutDescriptorMetrics(fz_context* ctx, pdf_obj* fd, const PdfFontRecord& desc) {
  fz_rect box = fz_make_rect(desc.font_box[0], desc.font_box[1], desc.font_box[2], desc.font_box[3]);
  for (float* v : {&box.x0, &box.y0, &box.x1, &box.y1})
    if (!std::isfinite(*v)) *v = 0;
  pdf_dict_put_rect(ctx, fd, PDF_NAME(FontBBox), box);
  auto fin = [](float v) { return std::isfinite(v) ? v : 0.0f; };
  pdf_dict_put_real(ctx, fd, PDF_NAME(ItalicAngle), fin(desc.italic_angle));
  pdf_dict_put_real(ctx, fd, PDF_NAME(Ascent), fin(desc.ascent));
  pdf_dict_put_real(ctx, fd, PDF_NAME(Descent), fin(desc.descent));
  pdf_dict_put_real(ctx, fd, PDF_NAME(CapHeight), fin(desc.cap_height));
  pdf_dict_put_int(ctx, fd, PDF_NAME(StemV), 80);
}

struct Writer {
  FT_Library ft = nullptr;
  std::vector<std::unique_ptr<OutFont>> fonts;
  std::unordered_map<int, int> fontOfId;  // record id -> index in fonts (-1: unusable)
  int fallback = -2;                      // index of the fallback font; -1 when none can be made
  std::map<std::pair<int, int>, int> gstates;  // (fill alpha, stroke alpha) x 1000 -> index
  struct Image {
    std::vector<uint8_t> data;
  };
  std::vector<Image> images;
  std::unordered_multimap<size_t, int> imageOfHash;  // the bytes' hash -> index in images
  struct Page {
    float width = 0, height = 0;
    std::string content;
    std::set<int> fonts, images, gstates;
  };
  std::vector<Page> pages;

  ~Writer() {
    CloseWidthFaces();
    for (auto& f : fonts)
      if (f->face) FT_Done_Face(f->face);
    if (ft) FT_Done_FreeType(ft);
  }

  int GState(double fill, double stroke) {
    const auto key = std::make_pair(int(std::lround(fill * 1000)), int(std::lround(stroke * 1000)));
    auto it = gstates.find(key);
    if (it != gstates.end()) return it->second;
    const int n = static_cast<int>(gstates.size());
    gstates.emplace(key, n);
    return n;
  }

  int Fallback() {
    if (fallback != -2) return fallback;
    fallback = -1;
    std::string path;
    int index = 0;
    if (!ft && FT_Init_FreeType(&ft) != 0) return -1;
    FT_Face face = nullptr;
    if (!DefaultFontFile(&path, &index) || FT_New_Face(ft, path.c_str(), index, &face) != 0) return -1;
    auto f = std::make_unique<OutFont>();
    f->face = face;
    f->fallback = true;
    f->cff = FaceHasCff(face);
    f->base = face->family_name ? face->family_name : "Sans";
    fonts.push_back(std::move(f));
    fallback = static_cast<int>(fonts.size()) - 1;
    return fallback;
  }

  // Takes the first record of every font id.
  void AddFont(const PdfFontRecord& r) {
    if (fontOfId.count(r.font_id)) return;
    const PdfFontProgram* p = r.program;
    const bool present = p && p->program && p->program_length > 0;
    const bool sfnt = present && (p->program_kind == kPdfProgramTrueType || p->program_kind == kPdfProgramOpenType);
    const bool simple = present && (p->program_kind == kPdfProgramType1 || p->program_kind == kPdfProgramCff);
    if (!sfnt && !simple) {
      fontOfId[r.font_id] = -1;
      return;
    }
    auto f = std::make_unique<OutFont>();
    f->cff = p->program_kind == kPdfProgramOpenType;
    if (p->program_kind == kPdfProgramType1) {
      if (!Type1Parts(p->program, static_cast<size_t>(p->program_length), &f->program, &f->length1, &f->length2,
                      &f->length3)) {
        fontOfId[r.font_id] = -1;
        return;
      }
    } else {
      f->program.assign(p->program, p->program + p->program_length);
    }
    if (simple) {
      // The program must be what the record says it is, keyed by glyph names: a CID-keyed CFF
      // program or bytes of another kind take the default font.
      FT_Face sf = nullptr;
      if ((!ft && FT_Init_FreeType(&ft) != 0) ||
          FT_New_Memory_Face(ft, f->program.data(), static_cast<FT_Long>(f->program.size()), 0, &sf) != 0)
        sf = nullptr;
      const char* format = sf ? FT_Get_Font_Format(sf) : nullptr;
      const char* want = p->program_kind == kPdfProgramType1 ? "Type 1" : "CFF";
      FT_Bool cidKeyed = 0;
      if (sf && p->program_kind == kPdfProgramCff) FT_Get_CID_Is_Internally_CID_Keyed(sf, &cidKeyed);
      if (sf && format && std::strcmp(format, want) == 0 && cidKeyed) {
        // A CID-keyed CFF program goes in whole as a CIDFontType0 font: its codes are the CIDs,
        // which its face takes as glyph indices.
        f->face = sf;
        f->cff = true;
        f->cidKeyed = true;
      } else if (!sf || !format || std::strcmp(format, want) != 0 || cidKeyed || !FT_HAS_GLYPH_NAMES(sf)) {
        if (sf) FT_Done_Face(sf);
        fontOfId[r.font_id] = -1;
        return;
      } else {
        f->face = sf;
        f->simple = p->program_kind;
      }
    }
    f->desc.flags = r.flags;
    f->desc.italic_angle = r.italic_angle;
    f->desc.ascent = r.ascent;
    f->desc.descent = r.descent;
    f->desc.cap_height = r.cap_height;
    std::memcpy(f->desc.font_box, r.font_box, sizeof r.font_box);
    f->base = p->name;
    // Characters to glyphs as the text engine draws them: a character the font's Unicode table
    // knows goes through its CID, any other is taken as the CID itself.
    std::unordered_map<uint16_t, uint16_t> cidOfUnicode;
    // The Unicode CMap first, then the program's CID-to-Unicode table; the first CID of a
    // character wins, unless a later one has a glyph where it has none (a subset may hold one of
    // two codes of a character).
    auto hasGlyph = [&](int cid) {
      return !r.to_ttf_cmap && p->cid_to_gid && cid >= 0 && cid < p->cid_to_gid_count && p->cid_to_gid[cid] != 0;
    };
    auto offer = [&](uint16_t u, uint16_t cid) {
      auto [at, fresh] = cidOfUnicode.emplace(u, cid);
      if (!fresh && !hasGlyph(at->second) && hasGlyph(cid)) at->second = cid;
    };
    for (const qv_cmap_s* m = r.unicode_cmap; m; m = nullptr) {
      for (int i = 0; m->ranges && i < m->rlen; ++i) {
        const qv_cmap_range_s& range = m->ranges[i];
        const int last = std::min(0xFFFF, range.low + (range.extent_flags >> 2));
        for (int code = range.low; code <= last; ++code) {
          // A code of several characters (a ligature's letters) stands for none of them alone.
          int u = 0, n = 1;
          if (LookupCMap(r.unicode_cmap, code, &u, &n) && n == 1 && u > 0 && u <= 0xFFFF)
            offer(static_cast<uint16_t>(u), static_cast<uint16_t>(code));
        }
      }
    }
    for (int cid = 0; p->cid_to_ucs && cid < p->cid_to_ucs_count; ++cid)
      if (p->cid_to_ucs[cid]) offer(p->cid_to_ucs[cid], static_cast<uint16_t>(cid));
    // A font with a CID-to-TrueType map finds its glyphs through the program's own cmap.
    FT_Face face = nullptr;
    if (r.to_ttf_cmap && (ft || FT_Init_FreeType(&ft) == 0) &&
        FT_New_Memory_Face(ft, f->program.data(), static_cast<FT_Long>(f->program.size()), 0, &face) != 0)
      face = nullptr;
    for (int c = 0; c < 0x10000; ++c) {
      auto it = cidOfUnicode.find(static_cast<uint16_t>(c));
      // Only the characters an import gives for codes without Unicode (from 6400 up) are CIDs
      // themselves: a space or a letter the font's tables do not know has no glyph here, whatever
      // glyph its value would name as a code. (A font with a CID-to-TrueType map looks it up in
      // the program's cmap, as the text engine does.)
      if (it == cidOfUnicode.end() && c < kCodesAsCharactersFrom && !r.to_ttf_cmap) continue;
      int cid = it != cidOfUnicode.end() ? it->second : c;
      if (r.to_ttf_cmap) {
        int value = 0;
        if (LookupCMap(r.to_ttf_cmap, cid, &value)) cid = value;
        if (!face || cid < 0) continue;
        FT_UInt gid = FT_Get_Char_Index(face, static_cast<FT_ULong>(cid));
        if (gid == 0) gid = FT_Get_Char_Index(face, static_cast<FT_ULong>(cid) + 0xF000);
        if (gid == 0 && cid == 0x22EF) gid = FT_Get_Char_Index(face, 0x2026);
        if (gid > 0 && gid <= 0xFFFF) f->gidOf.emplace(static_cast<uint16_t>(c), static_cast<uint16_t>(gid));
        continue;
      }
      if (!p->cid_to_gid || cid >= p->cid_to_gid_count || !p->cid_to_gid[cid]) continue;
      f->gidOf.emplace(static_cast<uint16_t>(c), p->cid_to_gid[cid]);
    }
    if (face) FT_Done_Face(face);
    // Ligatures, found as the text engine finds them: a code whose Unicode is two to four Latin
    // letters, or a Unicode ligature.
    if (!r.to_ttf_cmap && p->cid_to_gid) {
      std::map<std::u16string, uint16_t> found;
      for (int cid = 0; cid < p->cid_to_gid_count && cid < 0x10000; ++cid) {
        if (!p->cid_to_gid[cid]) continue;
        std::u16string letters;
        for (int depth = 0, done = 0; !done && depth < 1; ++depth) {
          for (const qv_cmap_s* m = r.unicode_cmap; m && !done; m = m->usecmap) {
            for (int i = 0; m->ranges && i < m->rlen && !done; ++i) {
              const qv_cmap_range_s& range = m->ranges[i];
              if ((range.extent_flags & 3) != 3 || cid < range.low || cid > range.low + (range.extent_flags >> 2)) continue;
              done = 1;
              const int at = range.offset;
              if (!m->table || at >= m->tlen) continue;
              const int n = m->table[at];
              if (n < 2 || n > 4 || at + n >= m->tlen) continue;
              for (int k = 1; k <= n; ++k) {
                const uint16_t ch = m->table[at + k];
                if (!((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'))) {
                  letters.clear();
                  break;
                }
                letters += static_cast<char16_t>(ch);
              }
            }
          }
        }
        if (letters.empty()) {
          int u = 0;
          if (!LookupCMap(r.unicode_cmap, cid, &u) && p->cid_to_ucs && cid < p->cid_to_ucs_count) u = p->cid_to_ucs[cid];
          letters = LigatureLetters(u);
        }
        if (!letters.empty()) found.emplace(letters, p->cid_to_gid[cid]);
      }
      if (!found.empty()) {
        FT_Face lf = f->face;
        if (!lf && (ft || FT_Init_FreeType(&ft) == 0) &&
            FT_New_Memory_Face(ft, f->program.data(), static_cast<FT_Long>(f->program.size()), 0, &lf) != 0)
          lf = nullptr;
        for (const auto& [letters, gid] : found) {
          int width = -1;
          if (lf && FT_Load_Glyph(lf, gid, FT_LOAD_NO_SCALE) == 0)
            width = static_cast<int>(std::lround(lf->glyph->metrics.horiAdvance * 1000.0 /
                                                 (lf->units_per_EM ? lf->units_per_EM : 1000)));
          if (width >= 0) f->ligatures.push_back({letters, gid, width});
        }
        if (lf && lf != f->face) FT_Done_Face(lf);
        std::stable_sort(f->ligatures.begin(), f->ligatures.end(),
                         [](const OutFont::Ligature& a, const OutFont::Ligature& b) { return a.letters.size() > b.letters.size(); });
      }
    }
    fonts.push_back(std::move(f));
    fontOfId[r.font_id] = static_cast<int>(fonts.size()) - 1;
    if (fonts.back()->simple) fonts.back()->parts.push_back(static_cast<int>(fonts.size()) - 1);
  }

  // The part and one-byte code of a glyph of a simple font: glyphs take codes in the order they
  // are first shown, 255 a part; {-1, 0} for a glyph without a name.
  std::pair<int, uint16_t> SimpleCode(int owner, uint16_t gid) {
    OutFont& f = *fonts[static_cast<size_t>(owner)];
    auto found = f.codeOfGid.find(gid);
    if (found != f.codeOfGid.end()) return found->second;
    char name[64] = {};
    if (gid == 0 || FT_Get_Glyph_Name(f.face, gid, name, sizeof name) != 0 || !name[0] ||
        std::strcmp(name, ".notdef") == 0)
      return {-1, 0};
    int width = 0;
    const double upem = f.face->units_per_EM ? f.face->units_per_EM : 1000;
    if (FT_Load_Glyph(f.face, gid, FT_LOAD_NO_SCALE) == 0)
      width = static_cast<int>(std::lround(f.face->glyph->metrics.horiAdvance * 1000.0 / upem));
    // Code 32 is the space's, for readers that take that code as a word space: the font's space
    // glyph takes it, any other glyph the next code but 32.
    const bool space = std::strcmp(name, "space") == 0;
    auto codeFor = [&](const OutFont& p) -> size_t {
      if (space && (p.names.size() <= 32 || p.names[32].empty())) return 32;
      return p.nextCode == 32 ? 33 : p.nextCode;
    };
    if (codeFor(*fonts[static_cast<size_t>(f.parts.back())]) > 255) {
      auto part = std::make_unique<OutFont>();
      part->program = f.program;
      part->desc = f.desc;
      part->base = f.base;
      part->simple = f.simple;
      part->length1 = f.length1, part->length2 = f.length2, part->length3 = f.length3;
      fonts.push_back(std::move(part));
      f.parts.push_back(static_cast<int>(fonts.size()) - 1);
    }
    const int at = f.parts.back();
    OutFont& part = *fonts[static_cast<size_t>(at)];
    const size_t at32 = codeFor(part);
    const auto code = static_cast<uint16_t>(at32);
    if (part.names.size() <= at32) part.names.resize(at32 + 1), part.widthOfCode.resize(at32 + 1, 0);
    part.names[at32] = name;
    part.widthOfCode[at32] = width;
    if (at32 != 32 || part.nextCode == 32) part.nextCode = std::max(part.nextCode, at32 + 1);
    f.codeOfGid.emplace(gid, std::make_pair(at, code));
    return {at, code};
  }

  // A TJ shift, rounded to a hundredth of a thousandth of an em (a thousandth of a point at 100
  // points): the float noise of a layout then writes the same numbers again.
  static std::string Shift(double adj) {
    if (!std::isfinite(adj)) return std::string();
    const double put = std::round(adj * 100) / 100;
    return put == 0 ? std::string() : Num(put) + " ";
  }

  // The width a glyph of a font has in the file, thousandths of an em (as Widths writes it); -1
  // when it cannot be read.
  double WrittenWidth(int font, uint16_t gid) {
    OutFont& f = *fonts[static_cast<size_t>(font)];
    if (f.simple) return gid < f.widthOfCode.size() ? f.widthOfCode[gid] : -1;
    const auto known = f.writtenWidth.find(gid);
    if (known != f.writtenWidth.end()) return known->second;
    FT_Face face = f.face;
    if (!face) {
      if (!f.widthFace && !f.program.empty() && (ft || FT_Init_FreeType(&ft) == 0) &&
          FT_New_Memory_Face(ft, f.program.data(), static_cast<FT_Long>(f.program.size()), 0, &f.widthFace) != 0)
        f.widthFace = nullptr;
      face = f.widthFace;
    }
    int width = -1;
    if (face && FT_Load_Glyph(face, gid, FT_LOAD_NO_SCALE) == 0) {
      const double upem = face->units_per_EM ? face->units_per_EM : 1000;
      width = static_cast<int>(std::lround(face->glyph->metrics.horiAdvance * 1000.0 / upem));
    }
    f.writtenWidth.emplace(gid, width);
    return width;
  }
  void CloseWidthFaces() {
    for (auto& f : fonts)
      if (f->widthFace) FT_Done_Face(f->widthFace), f->widthFace = nullptr;
  }

  // The advance of a glyph of the default font, thousandths of an em.
  double FallbackWidth(uint16_t gid) {
    if (fallback < 0) return 0;
    FT_Face face = fonts[static_cast<size_t>(fallback)]->face;
    const double upem = face->units_per_EM ? face->units_per_EM : 1000;
    return FT_Load_Glyph(face, gid, FT_LOAD_NO_SCALE) == 0 ? face->glyph->metrics.horiAdvance * 1000.0 / upem : 0;
  }

  // Outline box of a glyph of a simple font's face, thousandths of an em: left, width, top, and
  // whether it has one.
  struct Box {
    double left = 0, width = 0, top = 0;
    bool ok = false;
  };
  Box GlyphBox(FT_Face face, uint16_t gid) {
    Box b;
    if (!face || FT_Load_Glyph(face, gid, FT_LOAD_NO_SCALE) != 0) return b;
    const double k = 1000.0 / (face->units_per_EM ? face->units_per_EM : 1000);
    const FT_Glyph_Metrics& m = face->glyph->metrics;
    b.left = m.horiBearingX * k, b.width = m.width * k, b.top = m.horiBearingY * k;
    b.ok = m.width > 0 || m.height > 0;
    return b;
  }

  // Makes `font` at `size` the font of the text array being written, opening the array (and
  // closing the one of another font) as needed.
  void UseFont(Page& page, int font, double size, int& current, bool& open) {
    std::string& s = page.content;
    if (font != current) {
      if (open) s += "] TJ\n";
      s += "/F" + std::to_string(font) + " " + Num(size) + " Tf [";
      page.fonts.insert(font);
      current = font;
      open = true;
    } else if (!open) {
      s += "[";
      open = true;
    }
  }

  // A precomposed Latin letter a Type 1 or CFF font lacks, drawn as the text engine draws it: the
  // letter (a dotless i or j where the font has one) and a spacing accent of the font centred over
  // it, raised by as much as the letter stands above the font's "x" (marks below the letter are
  // not raised); the next character moves on from the caller's advance. False when the font
  // cannot draw it so.
  bool Compose(Page& page, int recordFont, const PdfSaveTextRun* run, int i, double size, float& carry, int& current,
               bool& open) {
    if (recordFont < 0) return false;
    OutFont& rf = *fonts[static_cast<size_t>(recordFont)];
    const uint16_t c = static_cast<uint16_t>(run->chars[i].character & 0xFFFF);
    if (!rf.simple || rf.gidOf.count(c)) return false;
    const latin_accents::Composed* parts = latin_accents::Decompose(c);
    if (!parts) return false;
    auto gidOf = [&](char16_t ch) -> int {
      auto it = rf.gidOf.find(ch);
      return it == rf.gidOf.end() ? -1 : it->second;
    };
    int base = -1;
    char16_t baseChar = parts->base;
    if (parts->base == 'i' || parts->base == 'j') {
      baseChar = parts->base == 'i' ? 0x0131 : 0x0237;
      base = gidOf(baseChar);
    }
    if (base < 0) baseChar = parts->base, base = gidOf(baseChar);
    int accent = -1;
    char16_t accentChar = 0;
    for (const latin_accents::Spacing& sp : latin_accents::kSpacing)
      if (sp.mark == parts->mark && (accent = gidOf(sp.spacing)) >= 0) {
        accentChar = sp.spacing;
        break;
      }
    if (base < 0 || accent < 0) return false;
    const Box letter = GlyphBox(rf.face, static_cast<uint16_t>(base));
    const Box mark = GlyphBox(rf.face, static_cast<uint16_t>(accent));
    if (!letter.ok || !mark.ok) return false;
    const auto [bf, bc] = SimpleCode(recordFont, static_cast<uint16_t>(base));
    const auto [af, ac] = SimpleCode(recordFont, static_cast<uint16_t>(accent));
    if (bf < 0 || af < 0) return false;
    double dy = 0;
    const bool below = parts->mark == 0x0327 || parts->mark == 0x0328;
    const int x = gidOf('x');
    if (!below && x >= 0) {
      const Box xb = GlyphBox(rf.face, static_cast<uint16_t>(x));
      if (xb.ok && letter.top > xb.top) dy = letter.top - xb.top;
    }
    const double dx = letter.left + letter.width / 2 - (mark.left + mark.width / 2);
    const int wLetter = fonts[static_cast<size_t>(bf)]->widthOfCode[bc];
    const int wMark = fonts[static_cast<size_t>(af)]->widthOfCode[ac];
    std::string& s = page.content;
    auto put = [&](int font, uint16_t code, float adj) {
      UseFont(page, font, size, current, open);
      s += Shift(adj);
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", code);
      s += hex;
    };
    // The two glyphs copy as the precomposed letter.
    if (open) s += "] TJ\n";
    open = false;
    char actual[64];
    std::snprintf(actual, sizeof actual, "/Span <</ActualText <FEFF%04X>>> BDC\n", static_cast<unsigned>(c));
    s += actual;
    // The accent first, over where the letter goes, then the letter: the pen ends after the
    // letter, as TeX writes an accented letter, so that readers take it and the letters after it
    // for one word.
    const float adj = std::isfinite(run->chars[i].adjustment) ? run->chars[i].adjustment : 0;
    const std::string rise = Num(-run->baseline_shift / 1.33f);
    if (dy != 0) s += Num(-run->baseline_shift / 1.33f + dy / 1000 * size) + " Ts ";
    put(af, ac, static_cast<float>(adj + carry - dx));
    // The accent copies as the letter: the letter's code stands for the letter alone.
    fonts[static_cast<size_t>(af)]->used.emplace(ac, accentChar);
    if (dy != 0) {
      s += "] TJ\n" + rise + " Ts [";
      open = true;
    }
    put(bf, bc, static_cast<float>(dx + wMark));
    fonts[static_cast<size_t>(bf)]->used.emplace(bc, baseChar);
    s += "] TJ\n";
    s += "EMC\n";
    open = false;
    const float given = run->chars[i].advance > 0 && std::isfinite(run->chars[i].advance) ? run->chars[i].advance : 0;
    carry = static_cast<float>(wLetter - (given > 0 ? given : wLetter));
    return true;
  }

  // The font and glyph of one character of a run.
  std::pair<int, uint16_t> Glyph(int fontIndex, uint16_t c) {
    if (fontIndex >= 0) {
      OutFont& f = *fonts[static_cast<size_t>(fontIndex)];
      auto it = f.gidOf.find(c);
      if (it != f.gidOf.end()) {
        if (!f.simple) return {fontIndex, it->second};
        const auto placed = SimpleCode(fontIndex, it->second);
        if (placed.first >= 0) return placed;
      }
    }
    const int fb = Fallback();
    if (fb < 0) return {-1, 0};
    OutFont& f = *fonts[static_cast<size_t>(fb)];
    auto it = f.gidOf.find(c);
    if (it != f.gidOf.end()) return {fb, it->second};
    const FT_UInt gid = FT_Get_Char_Index(f.face, c);
    f.gidOf.emplace(c, static_cast<uint16_t>(gid));
    return {fb, static_cast<uint16_t>(gid)};
  }

  void Path(Page& page, const PdfSavePath& p) {
    std::string& s = page.content;
    s += "q " + Matrix(p.matrix) + " cm\n";
    const double fa = Unit(p.fill_rgba[3]), sa = Unit(p.stroke_rgba[3]);
    if ((p.fill_on && fa < 1) || (p.stroke_on && sa < 1)) {
      const int g = GState(p.fill_on ? fa : 1, p.stroke_on ? sa : 1);
      page.gstates.insert(g);
      s += "/GS" + std::to_string(g) + " gs\n";
    }
    if (p.fill_on) s += Num(Unit(p.fill_rgba[0])) + " " + Num(Unit(p.fill_rgba[1])) + " " + Num(Unit(p.fill_rgba[2])) + " rg\n";
    if (p.stroke_on) {
      s += Num(Unit(p.stroke_rgba[0])) + " " + Num(Unit(p.stroke_rgba[1])) + " " + Num(Unit(p.stroke_rgba[2])) + " RG\n";
      const PdfSaveLineStyle* ls = p.line_style;
      const double w = ls ? ls->width : 1.0;
      const double miter = ls && std::isfinite(ls->miter_limit) && ls->miter_limit >= 1 ? ls->miter_limit : 10.0;
      s += Num(std::isfinite(w) && w >= 0 ? w : 1.0) + " w " + Num(miter) + " M\n";
      if (ls && (ls->line_cap == 1 || ls->line_cap == 2)) s += std::to_string(ls->line_cap) + " J\n";
      if (ls && (ls->line_join == 1 || ls->line_join == 2)) s += std::to_string(ls->line_join) + " j\n";
      if (ls && ls->dash_count > 0 && ls->dash_count <= kPdfSaveMaxDashes) {
        std::string array;
        double total = 0;
        bool ok = true;
        for (int i = 0; ok && i < ls->dash_count; ++i) {
          const float d = ls->dashes[i];
          ok = std::isfinite(d) && d >= 0;
          total += ok ? d : 0;
          array += (i ? " " : "") + Num(d);
        }
        if (ok && total > 0) {
          // The phase within one period of the pattern (twice the list when it is odd).
          const double period = ls->dash_count % 2 ? 2 * total : total;
          double phase = std::isfinite(ls->dash_phase) ? std::fmod(double(ls->dash_phase), period) : 0;
          if (phase < 0) phase += period;
          s += "[" + array + "] " + Num(phase) + " d\n";
        }
      }
    }
    for (int i = 0; p.segments && i < p.segment_count; ++i) {
      const PdfPathSegment& g = p.segments[i];
      switch (g.op) {
        case kPdfMoveTo: s += Num(g.x1) + " " + Num(g.y1) + " m\n"; break;
        case kPdfLineTo: s += Num(g.x1) + " " + Num(g.y1) + " l\n"; break;
        case kPdfCurveTo:
          s += Num(g.x1) + " " + Num(g.y1) + " " + Num(g.x2) + " " + Num(g.y2) + " " + Num(g.x3) + " " + Num(g.y3) + " c\n";
          break;
        case kPdfCurveToV: s += Num(g.x1) + " " + Num(g.y1) + " " + Num(g.x2) + " " + Num(g.y2) + " v\n"; break;
        case kPdfCurveToY: s += Num(g.x1) + " " + Num(g.y1) + " " + Num(g.x2) + " " + Num(g.y2) + " y\n"; break;
        case kPdfRectangle:
          s += Num(g.x1) + " " + Num(g.y1) + " " + Num(double(g.x2) - g.x1) + " " + Num(double(g.y2) - g.y1) + " re\n";
          break;
        default: break;  // 8 ends the path
      }
      if (g.op == kPdfCloseWithSegment) break;
    }
    const char* eo = p.even_odd ? "*" : "";
    if (p.fill_on && p.stroke_on) s += std::string("B") + eo;
    else if (p.fill_on) s += std::string("f") + eo;
    else if (p.stroke_on) s += "S";
    else s += "n";
    s += "\nQ\n";
  }

  void ImageEl(Page& page, const PdfSaveImage& im) {
    if (!im.data || im.data_length <= 0) return;
    // A picture shown several times (on several pages) goes into the file once.
    std::string_view bytes(reinterpret_cast<const char*>(im.data), static_cast<size_t>(im.data_length));
    const size_t hash = std::hash<std::string_view>{}(bytes);
    int n = -1;
    for (auto [at, end] = imageOfHash.equal_range(hash); at != end && n < 0; ++at) {
      const std::vector<uint8_t>& known = images[static_cast<size_t>(at->second)].data;
      if (known.size() == bytes.size() && std::memcmp(known.data(), bytes.data(), bytes.size()) == 0) n = at->second;
    }
    if (n < 0) {
      Image img;
      img.data.assign(im.data, im.data + im.data_length);
      images.push_back(std::move(img));
      n = static_cast<int>(images.size()) - 1;
      imageOfHash.emplace(hash, n);
    }
    page.images.insert(n);
    std::string& s = page.content;
    s += "q ";
    const double a = Unit(im.alpha);
    if (a < 1) {
      const int g = GState(a, a);
      page.gstates.insert(g);
      s += "/GS" + std::to_string(g) + " gs ";
    }
    s += Matrix(im.matrix) + " cm /Im" + std::to_string(n) + " Do Q\n";
  }

  void Text(Page& page, const PdfSaveTextBlock& b) {
    std::string& s = page.content;
    // Emboldened runs set a line width and join of their own: the block keeps them to itself.
    bool thickened = false;
    for (int r = 0; b.runs && r < b.run_count && !thickened; ++r)
      thickened = b.runs[r] && Embolden(*b.runs[r]) > 0;
    // A line width counts in user space: the em there is the font size scaled by the line matrix.
    const double lineScale = std::sqrt(std::fabs(double(b.matrix[0]) * b.matrix[3] - double(b.matrix[1]) * b.matrix[2]));
    if (thickened) s += "q 1 j ";
    s += "BT " + Matrix(b.matrix) + " Tm\n";
    for (int r = 0; b.runs && r < b.run_count; ++r) {
      const PdfSaveTextRun* run = b.runs[r];
      if (!run || !run->chars || run->char_count <= 0) continue;
      auto it = fontOfId.find(run->font_id);
      const int recordFont = it == fontOfId.end() ? -1 : it->second;
      const double size = std::isfinite(run->font_size) ? run->font_size : 0;
      s += Num(run->char_spacing / 1.33f) + " Tc " + Num(double(run->horizontal_scale) * 100) + " Tz " +
           Num(-run->baseline_shift / 1.33f) + " Ts ";
      // Bold by thickening: the outline is stroked as wide as it grows, in the fill colour (a filled
      // run), or the run's stroke is as much wider.
      const double grow = Embolden(*run) / 1000.0 * size * lineScale;
      const bool bold = grow > 0 && std::isfinite(grow) && (run->fill_on || run->stroke_on);
      const bool strokes = run->stroke_on || bold;
      const float* strokeRgba = run->stroke_on || !bold ? run->stroke_rgba : run->fill_rgba;
      const int mode = run->fill_on && strokes ? 2 : run->fill_on ? 0 : strokes ? 1 : 3;
      s += std::to_string(mode) + " Tr ";
      s += Num(Unit(run->fill_rgba[0])) + " " + Num(Unit(run->fill_rgba[1])) + " " + Num(Unit(run->fill_rgba[2])) + " rg ";
      s += Num(Unit(strokeRgba[0])) + " " + Num(Unit(strokeRgba[1])) + " " + Num(Unit(strokeRgba[2])) + " RG\n";
      if (thickened) s += Num(bold ? grow + (run->stroke_on ? 1 : 0) : 1) + " w\n";
      const double fa = run->fill_on ? Unit(run->fill_rgba[3]) : 1, sa = strokes ? Unit(strokeRgba[3]) : 1;
      if (fa < 1 || sa < 1) {
        const int g = GState(fa, sa);
        page.gstates.insert(g);
        s += "/GS" + std::to_string(g) + " gs\n";
      }
      // Characters go out in pieces of one font: a character the run's font lacks takes the fallback.
      int current = -2;
      bool open = false;
      // What the default font's glyphs advance more than the caller laid them out with, taken
      // off the next character's shift.
      float carry = 0;
      // Whether the caller gives advances: then a character's advance of 0 is one.
      bool advances = false;
      for (int k = 0; k < run->char_count && !advances; ++k)
        advances = run->chars[k].advance > 0 && std::isfinite(run->chars[k].advance);
      const double th = std::isfinite(run->horizontal_scale) && run->horizontal_scale > 0 ? run->horizontal_scale : 1;
      const double tc = std::isfinite(run->char_spacing) ? run->char_spacing / 1.33 : 0;
      for (int i = 0; i < run->char_count; ++i) {
        const uint16_t c = static_cast<uint16_t>(run->chars[i].character & 0xFFFF);
        const float given = run->chars[i].advance > 0 && std::isfinite(run->chars[i].advance) ? run->chars[i].advance : 0;
        if (c == ' ' && recordFont >= 0 && !fonts[static_cast<size_t>(recordFont)]->gidOf.count(c)) {
          // A word space the font has no glyph for (TeX's fonts) stays a gap, as wide as the
          // caller laid it out.
          if (std::isfinite(run->chars[i].adjustment)) carry += run->chars[i].adjustment;
          carry -= given;
          continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < run->char_count &&
            (run->chars[i + 1].character & 0xFFFF) >= 0xDC00 && (run->chars[i + 1].character & 0xFFFF) <= 0xDFFF) {
          // A character beyond the basic plane: no font here maps one, so it is one missing glyph
          // of the default font with one advance, copying as the character.
          const int fb = Fallback();
          if (fb < 0) {
            ++i;
            continue;
          }
          const PdfRunChar& low = run->chars[i + 1];
          const float lowGiven = low.advance > 0 && std::isfinite(low.advance) ? low.advance : 0;
          UseFont(page, fb, size, current, open);
          float adj = std::isfinite(run->chars[i].adjustment) ? run->chars[i].adjustment : 0;
          adj += carry;
          carry = std::isfinite(low.adjustment) ? low.adjustment : 0;
          s += Shift(adj);
          s += "<0000>";
          OutFont& fbf = *fonts[static_cast<size_t>(fb)];
          fbf.used.emplace(0, 0);
          fbf.lettersOf[0] = std::u16string{static_cast<char16_t>(c), static_cast<char16_t>(low.character & 0xFFFF)};
          if (given + lowGiven > 0 && size > 0) {
            const double extra = (WrittenWidth(fb, 0) / 1000 * size + tc) * th - (given + lowGiven) / 1000.0 * size;
            const double more = extra * 1000 / (size * th);
            if (std::isfinite(more)) carry += static_cast<float>(more);
          }
          ++i;
          continue;
        }
        // A ligature's letters in a row are drawn with its glyph, as the text engine draws them.
        int take = 1, font = -1;
        uint16_t gid = 0;
        int ligWidth = -1;
        if (recordFont >= 0) {
          OutFont& rf = *fonts[static_cast<size_t>(recordFont)];
          for (const OutFont::Ligature& lig : rf.ligatures) {
            const int n = static_cast<int>(lig.letters.size());
            if (i + n > run->char_count) continue;
            bool same = true;
            for (int k = 0; k < n && same; ++k) same = run->chars[i + k].character == static_cast<int32_t>(lig.letters[size_t(k)]);
            if (!same) continue;
            if (rf.simple) {
              const auto placed = SimpleCode(recordFont, lig.gid);
              if (placed.first < 0) continue;
              font = placed.first, gid = placed.second;
            } else {
              font = recordFont, gid = lig.gid;
            }
            take = n;
            ligWidth = lig.width;
            fonts[static_cast<size_t>(font)]->lettersOf[gid] = lig.letters;
            break;
          }
        }
        if (take == 1 && Compose(page, recordFont, run, i, size, carry, current, open)) continue;
        if (take == 1) std::tie(font, gid) = Glyph(recordFont, c);
        if (font < 0) continue;
        UseFont(page, font, size, current, open);
        float adj = std::isfinite(run->chars[i].adjustment) ? run->chars[i].adjustment : 0;
        adj += carry;
        carry = 0;
        s += Shift(adj);
        if (take > 1) {
          // The letters' own shifts, and the ligature's width against the letters' advances (a
          // letter the font has no glyph for of its own may be laid out with none).
          float letters = 0;
          for (int k = 1; k < take; ++k) {
            const PdfRunChar& lc = run->chars[i + k];
            if (std::isfinite(lc.adjustment)) carry += lc.adjustment;
            if (lc.advance > 0 && std::isfinite(lc.advance)) letters += lc.advance;
          }
          if (advances && size > 0) {
            const double extra = (ligWidth / 1000.0 * size + tc) * th - (given + letters) / 1000.0 * size;
            const double more = extra * 1000 / (size * th);
            if (std::isfinite(more)) carry += static_cast<float>(more);
          }
          fonts[static_cast<size_t>(font)]->used.emplace(gid, c);
          AppendHexCode(s, gid, fonts[static_cast<size_t>(font)]->simple);
          i += take - 1;
          continue;
        }
        if (given > 0 && size > 0) {
          // The glyph advances by the width the file gives it (whole thousandths of an em), the
          // caller laid it out with its own: the next character takes the difference, so that
          // every glyph is where the editor put it and an import of the file finds it there.
          const double w = WrittenWidth(font, gid);
          if (w >= 0) {
            const double extra = (w / 1000 * size + tc) * th - given / 1000.0 * size;
            carry = static_cast<float>(extra * 1000 / (size * th));
            if (!std::isfinite(carry) || std::fabs(carry) < 1e-4f) carry = 0;
          }
        }
        AppendHexCode(s, gid, fonts[static_cast<size_t>(font)]->simple);
        fonts[static_cast<size_t>(font)]->used.emplace(gid, c);
      }
      if (open) s += "] TJ\n";
    }
    s += thickened ? "ET Q\n" : "ET\n";
  }

  // A run's emboldening in thousandths of an em; 0 when none or not a sane width (up to an em).
  static double Embolden(const PdfSaveTextRun& r) {
    return std::isfinite(r.embolden) && r.embolden > 0 && r.embolden <= 1000 ? r.embolden : 0;
  }

  static std::string Matrix(const float m[6]) {
    std::string s;
    for (int i = 0; i < 6; ++i) s += (i ? " " : "") + Num(m[i]);
    return s;
  }

  bool TakePage(const PdfSavePage& rec) {
    Page page;
    page.width = std::isfinite(rec.width) && rec.width > 0 ? rec.width : 612;
    page.height = std::isfinite(rec.height) && rec.height > 0 ? rec.height : 792;
    const PdfSaveResources* res = rec.resources;
    if (res) {
      for (int i = 0; res->fonts && i < res->font_count; ++i) AddFont(res->fonts[i]);
      const PdfSaveContent* content = res->content;
      for (int i = 0; content && content->elements && i < content->element_count; ++i) {
        const PdfSaveEntry* e = content->elements[i];
        if (!e || !e->element) continue;
        if (e->kind == kPdfSaveText) Text(page, *static_cast<const PdfSaveTextBlock*>(e->element));
        else if (e->kind == kPdfSavePath) Path(page, *static_cast<const PdfSavePath*>(e->element));
        else if (e->kind == kPdfSaveImage) ImageEl(page, *static_cast<const PdfSaveImage*>(e->element));
      }
    }
    pages.push_back(std::move(page));
    return true;
  }

  // A Type 1 or CFF part of a font cut down to its glyphs (`gids` of the whole program's face),
  // checked against the whole program glyph by glyph: false, the part untouched, when the cut
  // cannot be made or draws any glyph otherwise.
  bool CutSimple(OutFont& part, FT_Face whole, const std::vector<uint16_t>& gids) {
    std::vector<uint8_t> cut;
    Type1Subset t1;
    if (part.simple == kPdfProgramType1) {
      std::vector<std::string> names;
      for (uint16_t g : gids) {
        char name[64] = {};
        if (FT_Get_Glyph_Name(whole, g, name, sizeof name) != 0 || !name[0]) return false;
        names.emplace_back(name);
      }
      if (!SubsetType1(part.program.data(), part.program.size(), part.length1, part.length2, part.length3, names, &t1))
        return false;
      cut = std::move(t1.program);
    } else {
      std::vector<uint32_t> keep(gids.begin(), gids.end()), newGidOf;
      if (!SubsetCff(part.program.data(), part.program.size(), keep, &cut, &newGidOf)) return false;
    }
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(ft, cut.data(), static_cast<FT_Long>(cut.size()), 0, &face) != 0) return false;
    const char* format = FT_Get_Font_Format(face);
    const char* wholeFormat = FT_Get_Font_Format(whole);
    bool same = FT_HAS_GLYPH_NAMES(face) && format && wholeFormat && std::strcmp(format, wholeFormat) == 0;
    std::vector<uint16_t> all(gids);
    all.push_back(0);
    for (size_t i = 0; same && i < all.size(); ++i) {
      char name[64] = {};
      FT_UInt other = 0;
      if (all[i] != 0) {
        same = FT_Get_Glyph_Name(whole, all[i], name, sizeof name) == 0 && name[0];
        other = same ? FT_Get_Name_Index(face, name) : 0;
        same = same && other != 0;
      }
      same = same && SameGlyph(whole, all[i], face, other);
    }
    FT_Done_Face(face);
    if (!same) return false;
    if (part.face) part.whole = std::move(part.program);
    part.program = std::move(cut);
    if (part.simple == kPdfProgramType1) part.length1 = t1.length1, part.length2 = t1.length2, part.length3 = t1.length3;
    return true;
  }

  // Whether two glyphs load alike: the same advance and the same outline, point by point.
  static bool SameGlyph(FT_Face a, FT_UInt ga, FT_Face b, FT_UInt gb) {
    const bool okA = FT_Load_Glyph(a, ga, FT_LOAD_NO_SCALE) == 0;
    std::vector<FT_Vector> points;
    std::vector<char> tags;
    std::vector<std::remove_pointer_t<decltype(FT_Outline::contours)>> contours;
    FT_Pos advance = 0;
    if (okA) {
      const FT_Outline& o = a->glyph->outline;
      points.assign(o.points, o.points + o.n_points);
      tags.assign(o.tags, o.tags + o.n_points);
      contours.assign(o.contours, o.contours + o.n_contours);
      advance = a->glyph->advance.x;
    }
    const bool okB = FT_Load_Glyph(b, gb, FT_LOAD_NO_SCALE) == 0;
    if (okA != okB) return false;
    if (!okA) return true;
    const FT_Outline& o = b->glyph->outline;
    return b->glyph->advance.x == advance && o.n_points == static_cast<int>(points.size()) &&
           o.n_contours == static_cast<int>(contours.size()) &&
           std::equal(points.begin(), points.end(), o.points,
                      [](const FT_Vector& p, const FT_Vector& q) { return p.x == q.x && p.y == q.y; }) &&
           std::equal(tags.begin(), tags.end(), o.tags) && std::equal(contours.begin(), contours.end(), o.contours);
  }

  // Subsets every font to the glyphs the document shows.
  bool FinishFonts() {
    CloseWidthFaces();  // they read the whole programs, which the cuts below replace
    // The glyphs of every part of a Type 1 or CFF font, with the face of its whole program.
    std::unordered_map<const OutFont*, std::pair<FT_Face, std::vector<uint16_t>>> simpleGlyphs;
    for (auto& fp : fonts) {
      if (!fp->simple || !fp->face) continue;
      for (const auto& [gid, placed] : fp->codeOfGid) {
        auto& entry = simpleGlyphs[fonts[static_cast<size_t>(placed.first)].get()];
        entry.first = fp->face;
        entry.second.push_back(gid);
      }
    }
    for (auto& fp : fonts) {
      OutFont& f = *fp;
      if (f.used.empty()) continue;
      bool cut = false;
      if (f.cidKeyed) {
        cut = false;  // no cutter reads CID-keyed programs: it goes in whole
      } else if (f.simple) {
        // A program this cannot cut, or whose cut draws a glyph otherwise, goes in whole.
        const auto glyphs = simpleGlyphs.find(&f);
        if (glyphs != simpleGlyphs.end()) cut = CutSimple(f, glyphs->second.first, glyphs->second.second);
      } else if (f.fallback) {
        std::vector<char16_t> chars;
        for (const auto& [g, u] : f.used)
          if (u) chars.push_back(u);
        PdfFontRecord rec{};
        if (qv_Extra_font(f.face, chars.data(), static_cast<int>(chars.size()), &rec) != 0 || !rec.program) {
          FreeFontRecordParts(&rec);
          return false;
        }
        f.program.assign(rec.program->program, rec.program->program + rec.program->program_length);
        f.desc = rec;
        f.desc.program = nullptr, f.desc.hmetrics = nullptr;
        FreeFontRecordParts(&rec);
        cut = true;
      } else {
        hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(f.program.data()),
                                         static_cast<unsigned>(f.program.size()), HB_MEMORY_MODE_READONLY, nullptr, nullptr);
        hb_face_t* face = hb_face_create(blob, 0);
        std::vector<uint32_t> gids{0}, unicodes;
        for (const auto& [g, u] : f.used) {
          gids.push_back(g);
          if (u) unicodes.push_back(u);
        }
        std::vector<uint8_t> subset = SubsetFace(face, gids, unicodes);
        hb_face_destroy(face);
        hb_blob_destroy(blob);
        if (!subset.empty()) {
          f.program = std::move(subset);
          cut = true;
        }
      }
      f.base = cut ? TaggedName(f.base.c_str(), f.used) : CleanFontName(f.base.c_str(), nullptr);
    }
    return true;
  }
};

// Widths in thousandths of an em, from the program that goes into the file.
std::vector<std::pair<uint16_t, int>> Widths(const OutFont& f) {
  std::vector<std::pair<uint16_t, int>> out;
  if (f.simple) {
    for (size_t code = 1; code < f.widthOfCode.size(); ++code)
      out.emplace_back(static_cast<uint16_t>(code), f.widthOfCode[code]);
    return out;
  }
  if (f.cidKeyed) {
    const double upem = f.face && f.face->units_per_EM ? f.face->units_per_EM : 1000;
    for (const auto& [g, u] : f.used) {
      int w = 0;
      if (f.face && FT_Load_Glyph(f.face, g, FT_LOAD_NO_SCALE) == 0)
        w = static_cast<int>(std::lround(f.face->glyph->metrics.horiAdvance * 1000.0 / upem));
      out.emplace_back(g, w);
    }
    return out;
  }
  hb_blob_t* blob = hb_blob_create(reinterpret_cast<const char*>(f.program.data()), static_cast<unsigned>(f.program.size()),
                                   HB_MEMORY_MODE_READONLY, nullptr, nullptr);
  hb_face_t* face = hb_face_create(blob, 0);
  hb_font_t* font = hb_font_create(face);
  const unsigned upem = hb_face_get_upem(face);
  for (const auto& [g, u] : f.used)
    out.emplace_back(g, static_cast<int>(std::lround(hb_font_get_glyph_h_advance(font, g) * 1000.0 / (upem ? upem : 1000))));
  hb_font_destroy(font);
  hb_face_destroy(face);
  hb_blob_destroy(blob);
  return out;
}

std::string ToUnicode(const OutFont& f) {
  std::string s =
      "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n/CIDSystemInfo << /Registry (Adobe) /Ordering "
      "(UCS) /Supplement 0 >> def\n/CMapName /Adobe-Identity-UCS def\n/CMapType 2 def\n1 begincodespacerange\n";
  s += f.simple ? "<00> <FF>\nendcodespacerange\n" : "<0000> <FFFF>\nendcodespacerange\n";
  // A ligature's code stands for its letters.
  std::vector<std::pair<uint16_t, std::u16string>> pairs;
  for (const auto& [g, u] : f.used) {
    auto letters = f.lettersOf.find(g);
    if (letters != f.lettersOf.end()) pairs.emplace_back(g, letters->second);
    else if (u) pairs.emplace_back(g, std::u16string(1, static_cast<char16_t>(u)));
  }
  for (size_t i = 0; i < pairs.size(); i += 100) {
    const size_t n = std::min<size_t>(100, pairs.size() - i);
    s += std::to_string(n) + " beginbfchar\n";
    for (size_t k = i; k < i + n; ++k) {
      char unit[16];
      std::snprintf(unit, sizeof unit, f.simple ? "<%02X> <" : "<%04X> <", pairs[k].first);
      s += unit;
      for (char16_t u : pairs[k].second) {
        std::snprintf(unit, sizeof unit, "%04X", static_cast<unsigned>(u));
        s += unit;
      }
      s += ">\n";
    }
    s += "endbfchar\n";
  }
  s += "endcmap\nCMapName currentdict /CMap defineresource pop\nend\nend\n";
  return s;
}

// Everything prepared for MuPDF, as plain data, so that the function holding fz_try keeps no C++
// object alive across MuPDF's calls.
struct PreparedFont {
  const OutFont* font = nullptr;
  std::vector<std::pair<uint16_t, int>> widths;
  std::string toUnicode;
  // The character collection: a CID-keyed program's own, else Adobe-Identity-0.
  std::string registry = "Adobe", ordering = "Identity";
  int supplement = 0;
};

PreparedFont Prepare(const OutFont& f) {
  PreparedFont pf{&f, Widths(f), ToUnicode(f)};
  const char* registry = nullptr;
  const char* ordering = nullptr;
  FT_Int supplement = 0;
  if (f.cidKeyed && f.face && FT_Get_CID_Registry_Ordering_Supplement(f.face, &registry, &ordering, &supplement) == 0 &&
      registry && ordering) {
    pf.registry = CleanFontName(registry, nullptr);
    pf.ordering = CleanFontName(ordering, nullptr);
    pf.supplement = supplement >= 0 && supplement < 1000 ? supplement : 0;
  }
  return pf;
}

pdf_obj* NewStream(fz_context* ctx, pdf_document* doc, const void* data, size_t size, pdf_obj* dict) {
  fz_buffer* buf = fz_new_buffer_from_copied_data(ctx, static_cast<const unsigned char*>(data), size);
  pdf_obj* ref = nullptr;
  fz_try(ctx) { ref = pdf_add_stream(ctx, doc, buf, dict, 0); }
  fz_always(ctx) { fz_drop_buffer(ctx, buf); }
  fz_catch(ctx) { fz_rethrow(ctx); }
  return ref;
}

// A Type 1 or bare CFF program as a simple font: its codes name their glyphs through the
// encoding's differences.
pdf_obj* WriteSimpleFont(fz_context* ctx, pdf_document* doc, const PreparedFont& pf) {
  const OutFont& f = *pf.font;
  const bool type1 = f.simple == kPdfProgramType1;
  pdf_obj* ffdict = pdf_new_dict(ctx, doc, 4);
  if (type1) {
    pdf_dict_put_int(ctx, ffdict, PDF_NAME(Length1), f.length1);
    pdf_dict_put_int(ctx, ffdict, PDF_NAME(Length2), f.length2);
    pdf_dict_put_int(ctx, ffdict, PDF_NAME(Length3), f.length3);
  } else {
    pdf_dict_put(ctx, ffdict, PDF_NAME(Subtype), PDF_NAME(Type1C));
  }
  pdf_obj* file = NewStream(ctx, doc, f.program.data(), f.program.size(), ffdict);
  pdf_drop_obj(ctx, ffdict);

  pdf_obj* fd = pdf_new_dict(ctx, doc, 10);
  pdf_dict_put(ctx, fd, PDF_NAME(Type), PDF_NAME(FontDescriptor));
  pdf_dict_put_name(ctx, fd, PDF_NAME(FontName), f.base.c_str());
  // Symbolic: the codes mean what the encoding gives them, not a standard encoding.
  pdf_dict_put_int(ctx, fd, PDF_NAME(Flags), (f.desc.flags & ~32) | 4);
  PutDescriptorMetrics(ctx, fd, f.desc);
  pdf_dict_put_drop(ctx, fd, type1 ? PDF_NAME(FontFile) : PDF_NAME(FontFile3), file);
  pdf_obj* fdref = pdf_add_object_drop(ctx, doc, fd);

  const int last = static_cast<int>(f.names.size()) - 1;
  pdf_obj* font = pdf_new_dict(ctx, doc, 10);
  pdf_dict_put(ctx, font, PDF_NAME(Type), PDF_NAME(Font));
  pdf_dict_put(ctx, font, PDF_NAME(Subtype), PDF_NAME(Type1));
  pdf_dict_put_name(ctx, font, PDF_NAME(BaseFont), f.base.c_str());
  pdf_dict_put_int(ctx, font, PDF_NAME(FirstChar), 1);
  pdf_dict_put_int(ctx, font, PDF_NAME(LastChar), last);
  pdf_obj* widths = pdf_dict_put_array(ctx, font, PDF_NAME(Widths), static_cast<int>(pf.widths.size()));
  for (const auto& [code, width] : pf.widths) pdf_array_push_int(ctx, widths, width);
  pdf_obj* enc = pdf_dict_put_dict(ctx, font, PDF_NAME(Encoding), 2);
  pdf_dict_put(ctx, enc, PDF_NAME(Type), PDF_NAME(Encoding));
  pdf_obj* diff = pdf_dict_put_array(ctx, enc, PDF_NAME(Differences), last + 1);
  pdf_array_push_int(ctx, diff, 1);
  for (int code = 1; code <= last; ++code) {
    const std::string& n = f.names[static_cast<size_t>(code)];
    pdf_array_push_name(ctx, diff, n.empty() ? ".notdef" : n.c_str());
  }
  pdf_dict_put_drop(ctx, font, PDF_NAME(FontDescriptor), fdref);
  pdf_dict_put_drop(ctx, font, PDF_NAME(ToUnicode),
                    NewStream(ctx, doc, pf.toUnicode.data(), pf.toUnicode.size(), nullptr));
  return pdf_add_object_drop(ctx, doc, font);
}

pdf_obj* WriteFont(fz_context* ctx, pdf_document* doc, const PreparedFont& pf) {
  const OutFont& f = *pf.font;
  if (f.simple) return WriteSimpleFont(ctx, doc, pf);
  pdf_obj* ffdict = pdf_new_dict(ctx, doc, 2);
  if (f.cidKeyed) pdf_dict_put(ctx, ffdict, PDF_NAME(Subtype), PDF_NAME(CIDFontType0C));
  else if (f.cff) pdf_dict_put(ctx, ffdict, PDF_NAME(Subtype), PDF_NAME(OpenType));
  pdf_obj* file = NewStream(ctx, doc, f.program.data(), f.program.size(), ffdict);
  pdf_drop_obj(ctx, ffdict);

  pdf_obj* fd = pdf_new_dict(ctx, doc, 10);
  pdf_dict_put(ctx, fd, PDF_NAME(Type), PDF_NAME(FontDescriptor));
  pdf_dict_put_name(ctx, fd, PDF_NAME(FontName), f.base.c_str());
  pdf_dict_put_int(ctx, fd, PDF_NAME(Flags), f.desc.flags ? f.desc.flags : 32);
  PutDescriptorMetrics(ctx, fd, f.desc);
  pdf_dict_put_drop(ctx, fd, f.cff ? PDF_NAME(FontFile3) : PDF_NAME(FontFile2), file);
  pdf_obj* fdref = pdf_add_object_drop(ctx, doc, fd);

  pdf_obj* cid = pdf_new_dict(ctx, doc, 8);
  pdf_dict_put(ctx, cid, PDF_NAME(Type), PDF_NAME(Font));
  pdf_dict_put(ctx, cid, PDF_NAME(Subtype), f.cff ? PDF_NAME(CIDFontType0) : PDF_NAME(CIDFontType2));
  pdf_dict_put_name(ctx, cid, PDF_NAME(BaseFont), f.base.c_str());
  pdf_obj* info = pdf_dict_put_dict(ctx, cid, PDF_NAME(CIDSystemInfo), 3);
  pdf_dict_put_string(ctx, info, PDF_NAME(Registry), pf.registry.c_str(), pf.registry.size());
  pdf_dict_put_string(ctx, info, PDF_NAME(Ordering), pf.ordering.c_str(), pf.ordering.size());
  pdf_dict_put_int(ctx, info, PDF_NAME(Supplement), pf.supplement);
  pdf_dict_put_drop(ctx, cid, PDF_NAME(FontDescriptor), fdref);
  pdf_dict_put_int(ctx, cid, PDF_NAME(DW), 1000);
  pdf_obj* w = pdf_new_array(ctx, doc, 4);
  pdf_dict_put_drop(ctx, cid, PDF_NAME(W), w);
  for (size_t i = 0; i < pf.widths.size(); ++i) {
    pdf_array_push_int(ctx, w, pf.widths[i].first);
    pdf_obj* one = pdf_array_push_array(ctx, w, 1);
    pdf_array_push_int(ctx, one, pf.widths[i].second);
  }
  if (!f.cff) pdf_dict_put(ctx, cid, PDF_NAME(CIDToGIDMap), PDF_NAME(Identity));
  pdf_obj* cidref = pdf_add_object_drop(ctx, doc, cid);

  pdf_obj* type0 = pdf_new_dict(ctx, doc, 6);
  pdf_dict_put(ctx, type0, PDF_NAME(Type), PDF_NAME(Font));
  pdf_dict_put(ctx, type0, PDF_NAME(Subtype), PDF_NAME(Type0));
  pdf_dict_put_name(ctx, type0, PDF_NAME(BaseFont), f.base.c_str());
  pdf_dict_put(ctx, type0, PDF_NAME(Encoding), PDF_NAME(Identity_H));
  pdf_obj* desc = pdf_dict_put_array(ctx, type0, PDF_NAME(DescendantFonts), 1);
  pdf_array_push_drop(ctx, desc, cidref);
  pdf_dict_put_drop(ctx, type0, PDF_NAME(ToUnicode),
                    NewStream(ctx, doc, pf.toUnicode.data(), pf.toUnicode.size(), nullptr));
  return pdf_add_object_drop(ctx, doc, type0);
}

}  // namespace
}  // namespace pagesieve

namespace {

using pagesieve::Writer;

void Quiet(void*, const char*) {}

// Adds an image file (PNG, JPEG, ...) as an image XObject; JPEGs stay as they are, an alpha
// channel becomes a soft mask.
pdf_obj* AddImage(fz_context* ctx, pdf_document* doc, const unsigned char* data, size_t size) {
  fz_buffer* buf = fz_new_buffer_from_copied_data(ctx, data, size);
  fz_image* img = nullptr;
  pdf_obj* ref = nullptr;
  fz_var(img);
  fz_try(ctx) {
    img = fz_new_image_from_buffer(ctx, buf);
    ref = pdf_add_image(ctx, doc, img);
  }
  fz_always(ctx) {
    fz_drop_image(ctx, img);
    fz_drop_buffer(ctx, buf);
  }
  fz_catch(ctx) { fz_rethrow(ctx); }
  return ref;
}

// Adds a page with its content and resources (which it releases).
void AddPage(fz_context* ctx, pdf_document* doc, const Writer::Page& page, pdf_obj* res) {
  fz_buffer* contents = nullptr;
  pdf_obj* pageObj = nullptr;
  fz_var(contents);
  fz_var(pageObj);
  fz_try(ctx) {
    contents = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(page.content.data()),
                                              page.content.size());
    pageObj = pdf_add_page(ctx, doc, fz_make_rect(0, 0, page.width, page.height), 0, res, contents);
    pdf_insert_page(ctx, doc, -1, pageObj);
  }
  fz_always(ctx) {
    pdf_drop_obj(ctx, pageObj);
    pdf_drop_obj(ctx, res);
    fz_drop_buffer(ctx, contents);
  }
  fz_catch(ctx) { fz_rethrow(ctx); }
}

// Builds the document from the prepared writer and writes it into `out`. Every MuPDF error is
// caught here; false on any.
bool BuildPdf(fz_context* ctx, const Writer& w, const std::vector<pagesieve::PreparedFont>& prepared, fz_buffer* out) {
  pdf_document* doc = nullptr;
  fz_output* o = nullptr;
  int ok = 0;
  fz_var(ok);
  fz_var(doc);
  fz_var(o);
  fz_try(ctx) {
    doc = pdf_create_document(ctx);
    const size_t nf = w.fonts.size(), ni = w.images.size();
    pdf_obj** fontRefs = static_cast<pdf_obj**>(fz_calloc(ctx, nf + 1, sizeof(pdf_obj*)));
    pdf_obj** imageRefs = static_cast<pdf_obj**>(fz_calloc(ctx, ni + 1, sizeof(pdf_obj*)));
    fz_try(ctx) {
      for (size_t i = 0; i < nf; ++i) {
        if (prepared[i].font) fontRefs[i] = pagesieve::WriteFont(ctx, doc, prepared[i]);
      }
      for (size_t i = 0; i < ni; ++i) {
        imageRefs[i] = AddImage(ctx, doc, w.images[i].data.data(), w.images[i].data.size());
      }
      char name[24];
      for (const Writer::Page& page : w.pages) {
        pdf_obj* res = pdf_new_dict(ctx, doc, 3);
        if (!page.fonts.empty()) {
          pdf_obj* d = pdf_dict_put_dict(ctx, res, PDF_NAME(Font), 4);
          for (int f : page.fonts)
            if (fontRefs[f]) {
              std::snprintf(name, sizeof name, "F%d", f);
              pdf_dict_puts(ctx, d, name, fontRefs[f]);
            }
        }
        if (!page.images.empty()) {
          pdf_obj* d = pdf_dict_put_dict(ctx, res, PDF_NAME(XObject), 4);
          for (int i : page.images)
            if (imageRefs[i]) {
              std::snprintf(name, sizeof name, "Im%d", i);
              pdf_dict_puts(ctx, d, name, imageRefs[i]);
            }
        }
        if (!page.gstates.empty()) {
          pdf_obj* d = pdf_dict_put_dict(ctx, res, PDF_NAME(ExtGState), 4);
          for (const auto& [key, n] : w.gstates) {
            if (!page.gstates.count(n)) continue;
            std::snprintf(name, sizeof name, "GS%d", n);
            pdf_obj* gs = pdf_dict_puts_dict(ctx, d, name, 3);
            pdf_dict_put(ctx, gs, PDF_NAME(Type), PDF_NAME(ExtGState));
            pdf_dict_put_real(ctx, gs, PDF_NAME(ca), key.first / 1000.0);
            pdf_dict_put_real(ctx, gs, PDF_NAME(CA), key.second / 1000.0);
          }
        }
        AddPage(ctx, doc, page, res);
      }
      o = fz_new_output_with_buffer(ctx, out);
      pdf_write_options opts = pdf_default_write_options;
      opts.do_compress = 1;
      opts.do_compress_fonts = 1;
      opts.do_garbage = 1;
      pdf_write_document(ctx, doc, o, &opts);
      fz_close_output(ctx, o);
    }
    fz_always(ctx) {
      for (size_t i = 0; i < nf; ++i) pdf_drop_obj(ctx, fontRefs[i]);
      for (size_t i = 0; i < ni; ++i) pdf_drop_obj(ctx, imageRefs[i]);
      fz_free(ctx, fontRefs);
      fz_free(ctx, imageRefs);
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
    ok = 1;
  }
  fz_always(ctx) {
    fz_drop_output(ctx, o);
    pdf_drop_document(ctx, doc);
  }
  fz_catch(ctx) { ok = 0; }
  return ok != 0;
}

}  // namespace

namespace {
fz_buffer* NewBuffer(fz_context* ctx) {
  fz_buffer* out = nullptr;
  fz_var(out);
  fz_try(ctx) { out = fz_new_buffer(ctx, 65536); }
  fz_catch(ctx) { out = nullptr; }
  return out;
}
}  // namespace

bool cpdfEngine::saving_pdf(const wchar_t* path, CPdfSavingInterface* source) {
  if (!path || !*path || !source) return false;
  Writer w;
  const int count = source->GetPageCount();
  if (count < 0) return false;
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<PdfSavePage, pagesieve::PageDeleter> page(source->GetPageRecord(i));
    if (!page) return false;
    w.TakePage(*page);
    source->SetProgress(static_cast<float>(i + 1) / static_cast<float>(count));
  }
  if (!w.FinishFonts()) return false;
  if (w.pages.empty()) w.pages.push_back(Writer::Page{612, 792, {}, {}, {}, {}});

  fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
  if (!ctx) return false;
  fz_set_error_callback(ctx, Quiet, nullptr);
  fz_set_warning_callback(ctx, Quiet, nullptr);
  fz_buffer* out = NewBuffer(ctx);
  std::vector<pagesieve::PreparedFont> prepared(w.fonts.size());
  for (size_t i = 0; i < w.fonts.size(); ++i) {
    const pagesieve::OutFont& f = *w.fonts[i];
    if (f.used.empty() || f.program.empty()) continue;
    prepared[i] = pagesieve::Prepare(f);
  }
  bool ok = out && BuildPdf(ctx, w, prepared, out);
  if (ok) {
    unsigned char* data = nullptr;
    const size_t size = fz_buffer_storage(ctx, out, &data);
    ok = lw::ReplaceFileContents(lw::WideToUtf8(path),
                                 std::string_view(reinterpret_cast<const char*>(data), size));
  }
  fz_drop_buffer(ctx, out);
  fz_drop_context(ctx);
  return ok;
}
