// Font records: descriptive values, glyph names, metrics, character maps and the font program of
// one PDF font, taken from MuPDF's loaded font.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <mutex>
#include <string>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include "engine_internal.h"

namespace pagesieve {

void CopyBounded(char* dst, size_t size, const char* s) {
  if (size == 0) return;
  size_t n = 0;
  if (s) {
    while (n + 1 < size && s[n] != '\0') ++n;
    std::memcpy(dst, s, n);
  }
  std::memset(dst + n, 0, size - n);
}

namespace {

constexpr int kMaxExtent = 0x3FFF;  // extent field: 14 bits

struct RangeBuilder {
  CMapCopy& out;
  bool open = false;
  int low = 0, extent = 0, value = 0;

  void Close() {
    if (!open) return;
    out.ranges.push_back(qv_cmap_range_s{static_cast<uint16_t>(low),
                                         static_cast<uint16_t>((extent << 2) | (extent ? 1 : 0)),
                                         static_cast<uint16_t>(value)});
    open = false;
  }
  void Single(int code, int v) {
    if (open && code == low + extent + 1 && v == value + extent + 1 && extent < kMaxExtent) {
      ++extent;
      return;
    }
    Close();
    open = true;
    low = code;
    extent = 0;
    value = v;
  }
  void Multi(int code, const uint16_t* values, int n) {
    Close();
    if (out.table.size() + n + 1 > 0xFFFF) return;  // offsets are 16-bit
    out.ranges.push_back(qv_cmap_range_s{static_cast<uint16_t>(code), 3,
                                         static_cast<uint16_t>(out.table.size())});
    out.table.push_back(static_cast<uint16_t>(n));
    out.table.insert(out.table.end(), values, values + n);
  }
};

int AppendUtf16(int v, uint16_t* dst) {
  if (v < 0 || v > 0x10FFFF) return 0;
  if (v <= 0xFFFF) {
    dst[0] = static_cast<uint16_t>(v);
    return 1;
  }
  v -= 0x10000;
  dst[0] = static_cast<uint16_t>(0xD800 + (v >> 10));
  dst[1] = static_cast<uint16_t>(0xDC00 + (v & 0x3FF));
  return 2;
}

}  // namespace

std::unique_ptr<CMapCopy> ConvertCMap(pdf_cmap* cmap, int limit, bool unicode_values) {
  if (!cmap) return nullptr;
  try {
    auto copy = std::make_unique<CMapCopy>();
    qv_cmap_s& m = copy->map;
    CopyBounded(m.cmap_name, sizeof m.cmap_name, cmap->cmap_name);
    // The use chain is flattened into this one map (lookups below follow it).
    m.usecmap = nullptr;
    m.wmode = cmap->wmode;
    int cs = 0;
    for (int i = 0; i < cmap->codespace_len && i < 40; ++i) {
      const auto& e = cmap->codespace[i];
      if (e.n < 1 || e.n > 2 || e.high > 0xFFFF || e.low > e.high) continue;
      m.codespace[cs++] = qv_cmap_codespace_s{static_cast<uint16_t>(e.n),
                                              static_cast<uint16_t>(e.low),
                                              static_cast<uint16_t>(e.high)};
    }
    m.codespace_len = cs;

    RangeBuilder rb{*copy};
    int out[256];
    uint16_t units[512];
    for (int code = 0; code < limit; ++code) {
      int n = pdf_lookup_cmap_full(cmap, static_cast<unsigned>(code), out);
      if (n <= 0) continue;
      n = std::min(n, 256);
      if (n == 1 && out[0] >= 0 && out[0] <= 0xFFFF) {
        rb.Single(code, out[0]);
        continue;
      }
      if (!unicode_values) {
        if (out[0] >= 0 && out[0] <= 0xFFFF) rb.Single(code, out[0]);
        continue;
      }
      int k = 0;
      for (int i = 0; i < n; ++i) k += AppendUtf16(out[i], units + k);
      if (k > 0) rb.Multi(code, units, k);
    }
    rb.Close();
    m.rlen = static_cast<int32_t>(copy->ranges.size());
    m.ranges = copy->ranges.empty() ? nullptr : copy->ranges.data();
    m.tlen = static_cast<int32_t>(copy->table.size());
    m.table = copy->table.empty() ? nullptr : copy->table.data();
    return copy;
  } catch (...) {
    return nullptr;
  }
}

namespace {

const char* NameOf(fz_context* ctx, pdf_obj* obj) {
  return pdf_is_name(ctx, obj) ? pdf_to_name(ctx, obj) : "";
}

std::string StripSubsetTag(const std::string& s) {
  if (s.size() > 7 && s[6] == '+' &&
      std::all_of(s.begin(), s.begin() + 6, [](char c) { return c >= 'A' && c <= 'Z'; }))
    return s.substr(7);
  return s;
}

bool Contains(const std::string& s, const char* word) { return s.find(word) != std::string::npos; }

// Whether fontconfig knows a family by exactly this name (not a substitute it would pick).
bool HasFamily(const char* family) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return false;
  bool found = false;
  FcPattern* pat = FcPatternCreate();
  FcObjectSet* set = FcObjectSetBuild(FC_FAMILY, nullptr);
  if (pat && set) {
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
    if (FcFontSet* fonts = FcFontList(config, pat, set)) {
      found = fonts->nfont > 0;
      FcFontSetDestroy(fonts);
    }
  }
  if (set) FcObjectSetDestroy(set);
  if (pat) FcPatternDestroy(pat);
  FcConfigDestroy(config);
  return found;
}

// The face of a standard font: URW's base-35 faces (the faces PDF readers draw the standard fonts
// with) where the system has them, else the system's metric twin.
struct StandardFace {
  const char* prefix;  // the standard name, alone or followed by '-' or ','
  const char* urw;
  const char* fallback;
};
const StandardFace kStandardFaces[] = {{"Helvetica", "Nimbus Sans", "Arial"},
                                       {"Times", "Nimbus Roman", "Times New Roman"},
                                       {"Courier", "Nimbus Mono PS", "Courier New"},
                                       {"Symbol", "Standard Symbols PS", "Symbol"},
                                       {"ZapfDingbats", "D050000L", "ZapfDingbats"}};

const char* StandardFaceName(const StandardFace& f) {
  static std::once_flag once;
  static bool urw[std::size(kStandardFaces)];
  std::call_once(once, [] {
    for (size_t i = 0; i < std::size(kStandardFaces); ++i) urw[i] = HasFamily(kStandardFaces[i].urw);
  });
  return urw[&f - kStandardFaces] ? f.urw : f.fallback;
}

// A face name the system fonts can match, from the base font name of a font that is not embedded.
std::string SystemFaceName(const std::string& base) {
  std::string s = StripSubsetTag(base);
  for (const StandardFace& f : kStandardFaces) {
    const size_t n = std::strlen(f.prefix);
    if (s.compare(0, n, f.prefix) == 0 && (s.size() == n || s[n] == '-' || s[n] == ',')) return StandardFaceName(f);
  }
  // Other names of the standard faces.
  struct Std {
    const char* prefix;
    const char* face;
  };
  static const Std kStd[] = {{"Arial", "Arial"}, {"Times", "Times New Roman"}, {"Courier", "Courier New"}};
  for (const Std& e : kStd)
    if (s.rfind(e.prefix, 0) == 0) return e.face;
  size_t cut = s.find_first_of(",-");
  if (cut != std::string::npos && cut > 0) s.resize(cut);
  for (const char* suffix : {"PSMT", "PS", "MT"}) {
    size_t n = std::strlen(suffix);
    if (s.size() > n && s.compare(s.size() - n, n, suffix) == 0) {
      s.resize(s.size() - n);
      break;
    }
  }
  std::string spaced;
  for (size_t i = 0; i < s.size(); ++i) {
    if (i > 0 && s[i] >= 'A' && s[i] <= 'Z' && s[i - 1] >= 'a' && s[i - 1] <= 'z') spaced += ' ';
    spaced += s[i];
  }
  return spaced;
}

int32_t ProgramKind(const unsigned char* p, size_t n) {
  if (!p || n < 4) return kPdfProgramNone;
  if (std::memcmp(p, "OTTO", 4) == 0) return kPdfProgramOpenType;
  if ((p[0] == 0 && p[1] == 1 && p[2] == 0 && p[3] == 0) || std::memcmp(p, "true", 4) == 0 ||
      std::memcmp(p, "ttcf", 4) == 0)
    return kPdfProgramTrueType;
  if (p[0] == '%' || (p[0] == 0x80 && p[1] == 0x01)) return kPdfProgramType1;
  if (p[0] == 1 && p[1] == 0) return kPdfProgramCff;
  return kPdfProgramNone;
}

// Glyph id of every CID below count; false when MuPDF failed.
bool FillCidToGid(fz_context* ctx, pdf_font_desc* desc, uint16_t* dst, int count) {
  int ok = 1;
  fz_try(ctx) {
    for (int cid = 0; cid < count; ++cid) {
      int gid = pdf_font_cid_to_gid(ctx, desc, cid);
      dst[cid] = static_cast<uint16_t>(gid < 0 || gid > 0xFFFF ? 0 : gid);
    }
  }
  fz_catch(ctx) { ok = 0; }
  return ok != 0;
}

const char* const kStdEncodings[] = {"WinAnsiEncoding", "MacRomanEncoding", "MacExpertEncoding",
                                     "StandardEncoding"};

void FillGlyphNames(fz_context* ctx, FontEntry& e, pdf_obj* enc, bool symbolic) {
  const char* names[256] = {};
  const char* base = pdf_is_name(ctx, enc) ? pdf_to_name(ctx, enc)
                                            : NameOf(ctx, pdf_dict_get(ctx, enc, PDF_NAME(BaseEncoding)));
  bool known = false;
  for (const char* s : kStdEncodings) known = known || std::strcmp(base, s) == 0;
  if (known)
    pdf_load_encoding(names, base);
  else if (!symbolic)
    pdf_load_encoding(names, "StandardEncoding");
  pdf_obj* diff = pdf_dict_get(ctx, enc, PDF_NAME(Differences));
  if (pdf_is_array(ctx, diff)) {
    int code = 0;
    int n = pdf_array_len(ctx, diff);
    for (int i = 0; i < n; ++i) {
      pdf_obj* item = pdf_array_get(ctx, diff, i);
      if (pdf_is_int(ctx, item))
        code = pdf_to_int(ctx, item);
      else if (pdf_is_name(ctx, item) && code >= 0 && code < 256)
        names[code++] = pdf_to_name(ctx, item);
    }
  }
  e.glyph_names.assign(256, std::array<char, 32>{});
  for (int c = 0; c < 256; ++c) {
    // Glyph names longer than 31 characters are cut to fit their slot.
    CopyBounded(e.glyph_names[c].data(), 32, names[c]);
    e.record.glyph_names[c] = e.glyph_names[c][0] ? e.glyph_names[c].data() : nullptr;
  }
  e.record.glyph_name_count = 256;
}

// A glyph of the font whose code maps to no character, or to a control character, is given the
// private-use character U+E000 + its code (codes below 6400), written into the CID-to-Unicode
// table so that the text engine finds the glyph back from the character (see UnmappedCharacter).
void GiveUnmappedGlyphsPrivateCodes(FontEntry& e) {
  const size_t limit = std::min<size_t>(e.cid_to_gid.size(), kPrivateCodes);
  for (size_t cid = 0; cid < limit; ++cid) {
    if (e.cid_to_gid[cid] == 0) continue;
    int ucs = -1;
    if (e.desc->to_unicode) {
      int out[8];
      const int n = pdf_lookup_cmap_full(e.desc->to_unicode, static_cast<unsigned>(cid), out);
      ucs = n == 1 ? out[0] : n > 1 ? 'a' : -1;  // several characters: mapped
    }
    if (ucs < 0 && cid < e.cid_to_ucs.size()) ucs = e.cid_to_ucs[cid];
    if (!IsUnmappedCharacter(ucs)) continue;
    if (e.cid_to_ucs.size() <= cid) e.cid_to_ucs.resize(cid + 1, 0);
    e.cid_to_ucs[cid] = static_cast<uint16_t>(kPrivateBase + cid);
  }
}

}  // namespace

bool IsUnmappedCharacter(int ucs) {
  return ucs < 0x20 || (ucs >= 0x7F && ucs <= 0x9F) || ucs == 0xFFFD || ucs == 0xFFFE || ucs == 0xFFFF;
}

int UnmappedCharacter(const FontEntry& e, int gid) {
  const auto it = e.gid_to_cid.find(gid);
  if (it == e.gid_to_cid.end()) return 0xFFFD;
  const int cid = it->second;
  if (cid < static_cast<int>(kPrivateCodes) && static_cast<size_t>(cid) < e.cid_to_ucs.size() &&
      e.cid_to_ucs[static_cast<size_t>(cid)] == kPrivateBase + cid)
    return kPrivateBase + cid;
  return IsUnmappedCharacter(cid) ? 0xFFFD : cid;
}

void BuildFontRecord(fz_context* ctx, FontEntry& e) {
  PdfFontRecord& r = e.record;
  PdfFontProgram& p = e.program;
  r = PdfFontRecord{};
  p = PdfFontProgram{};
  r.font_id = e.id;
  r.program = &p;
  pdf_font_desc* d = e.desc;
  pdf_obj* dict = e.dict;

  bool type0 = false;
  pdf_obj* fd = nullptr;
  std::string base = fz_font_name(ctx, e.font);
  if (dict) {
    const char* subtype = NameOf(ctx, pdf_dict_get(ctx, dict, PDF_NAME(Subtype)));
    type0 = std::strcmp(subtype, "Type0") == 0;
    CopyBounded(r.font_type, sizeof r.font_type, subtype);
    CopyBounded(r.font_subtype, sizeof r.font_subtype, subtype);
    pdf_obj* bf = pdf_dict_get(ctx, dict, PDF_NAME(BaseFont));
    if (pdf_is_name(ctx, bf)) base = pdf_to_name(ctx, bf);
    pdf_obj* enc = pdf_dict_get(ctx, dict, PDF_NAME(Encoding));
    fd = pdf_dict_get(ctx, dict, PDF_NAME(FontDescriptor));
    if (type0) {
      pdf_obj* df = pdf_array_get(ctx, pdf_dict_get(ctx, dict, PDF_NAME(DescendantFonts)), 0);
      CopyBounded(r.font_subtype, sizeof r.font_subtype, NameOf(ctx, pdf_dict_get(ctx, df, PDF_NAME(Subtype))));
      pdf_obj* info = pdf_dict_get(ctx, df, PDF_NAME(CIDSystemInfo));
      CopyBounded(r.registry, sizeof r.registry, pdf_to_text_string(ctx, pdf_dict_get(ctx, info, PDF_NAME(Registry))));
      CopyBounded(r.ordering, sizeof r.ordering, pdf_to_text_string(ctx, pdf_dict_get(ctx, info, PDF_NAME(Ordering))));
      r.supplement = pdf_to_int(ctx, pdf_dict_get(ctx, info, PDF_NAME(Supplement)));
      fd = pdf_dict_get(ctx, df, PDF_NAME(FontDescriptor));
      r.base_encoding = kPdfEncodingCMap;
      if (pdf_is_name(ctx, enc))
        CopyBounded(r.encoding_name, sizeof r.encoding_name, pdf_to_name(ctx, enc));
      else if (d && d->encoding)
        CopyBounded(r.encoding_name, sizeof r.encoding_name, d->encoding->cmap_name);
    } else {
      r.base_encoding = kPdfEncodingByCode;
      CopyBounded(r.encoding_name, sizeof r.encoding_name,
                  pdf_is_name(ctx, enc) ? pdf_to_name(ctx, enc)
                                        : NameOf(ctx, pdf_dict_get(ctx, enc, PDF_NAME(BaseEncoding))));
      bool symbolic = d && (d->flags & PDF_FD_SYMBOLIC) && !(d->flags & PDF_FD_NONSYMBOLIC);
      FillGlyphNames(ctx, e, enc, symbolic);
    }
    pdf_obj* bbox = pdf_dict_get(ctx, fd, PDF_NAME(FontBBox));
    if (pdf_is_array(ctx, bbox) && pdf_array_len(ctx, bbox) == 4)
      for (int i = 0; i < 4; ++i) r.font_box[i] = pdf_array_get_real(ctx, bbox, i);
  }

  bool embedded = d && d->is_embedded;
  if (d) {
    r.flags = d->flags;
    r.italic_angle = d->italic_angle;
    r.ascent = d->ascent;
    r.descent = d->descent;
    r.cap_height = d->cap_height;
    r.x_height = d->x_height;
    r.missing_width = d->missing_width;
    r.default_hmetric = PdfHMetric{d->dhmtx.lo, d->dhmtx.hi, d->dhmtx.w};
    r.default_vmetric = PdfVMetric{d->dvmtx.lo, d->dvmtx.hi, d->dvmtx.x, d->dvmtx.y, d->dvmtx.w};
    for (int i = 0; d->hmtx && i < d->hmtx_len; ++i)
      e.hmetrics.push_back(PdfHMetric{d->hmtx[i].lo, d->hmtx[i].hi, d->hmtx[i].w});
    for (int i = 0; d->vmtx && i < d->vmtx_len; ++i)
      e.vmetrics.push_back(PdfVMetric{d->vmtx[i].lo, d->vmtx[i].hi, d->vmtx[i].x, d->vmtx[i].y, d->vmtx[i].w});

    // CIDs of simple fonts are their one-byte codes.
    int cid_limit = type0 || !dict ? 0x10000 : 0x100;
    e.cmaps[0] = ConvertCMap(d->to_ttf_cmap, cid_limit, false);
    bool one_byte = d->encoding && d->encoding->codespace_len > 0;
    for (int i = 0; d->encoding && i < d->encoding->codespace_len; ++i)
      one_byte = one_byte && d->encoding->codespace[i].n == 1;
    e.cmaps[1] = ConvertCMap(d->encoding, one_byte ? 0x100 : 0x10000, false);
    e.cmaps[2] = ConvertCMap(d->to_unicode, cid_limit, true);

    if (d->cid_to_ucs && d->cid_to_ucs_len > 0)
      e.cid_to_ucs.assign(d->cid_to_ucs, d->cid_to_ucs + std::min<size_t>(d->cid_to_ucs_len, 0x10000));

    if (embedded) {
      int count = 256;
      if (type0) {
        count = 0;
        if (e.cmaps[1])
          for (const qv_cmap_range_s& rg : e.cmaps[1]->ranges)
            if ((rg.extent_flags & 3) <= 1) count = std::max(count, rg.offset + (rg.extent_flags >> 2) + 1);
        count = std::min(count, 0x10000);
      }
      e.cid_to_gid.assign(static_cast<size_t>(count), 0);
      if (count > 0 && !FillCidToGid(ctx, d, e.cid_to_gid.data(), count)) e.cid_to_gid.clear();
      // Glyph ids the program does not have are no glyphs. The table of a composite font ends at
      // its last real glyph (CIDs past the end are looked up as glyph ids, which they then are not
      // either); a simple font keeps all 256 codes, so that a code without a glyph stays 0.
      if (auto* face = static_cast<FT_Face>(fz_font_ft_face(ctx, d->font)))
        for (uint16_t& gid : e.cid_to_gid)
          if (gid >= face->num_glyphs) gid = 0;
      if (type0)
        while (!e.cid_to_gid.empty() && e.cid_to_gid.back() == 0) e.cid_to_gid.pop_back();
      for (size_t cid = 0; cid < e.cid_to_gid.size(); ++cid) e.gid_to_cid.emplace(e.cid_to_gid[cid], static_cast<int>(cid));
      GiveUnmappedGlyphsPrivateCodes(e);
    } else if (!type0 && dict) {
      uint16_t gids[256];
      if (FillCidToGid(ctx, d, gids, 256))
        for (int code = 0; code < 256; ++code)
          if (gids[code]) e.gid_to_code.emplace(gids[code], code);
    }
  }
  r.hmetric_count = static_cast<int32_t>(e.hmetrics.size());
  r.hmetrics = e.hmetrics.empty() ? nullptr : e.hmetrics.data();
  r.vmetric_count = static_cast<int32_t>(e.vmetrics.size());
  r.vmetrics = e.vmetrics.empty() ? nullptr : e.vmetrics.data();
  r.to_ttf_cmap = e.cmaps[0] ? &e.cmaps[0]->map : nullptr;
  r.encoding_cmap = e.cmaps[1] ? &e.cmaps[1]->map : nullptr;
  r.unicode_cmap = e.cmaps[2] ? &e.cmaps[2]->map : nullptr;
  r.embed_flag = type0 ? (embedded ? kPdfEmbeddedComposite : kPdfNotEmbeddedComposite)
                       : (embedded ? kPdfEmbeddedSimple : kPdfNotEmbeddedSimple);

  // The program block.
  bool name_bold = Contains(base, "Bold") || Contains(base, "Black") || Contains(base, "Heavy");
  bool name_italic = Contains(base, "Italic") || Contains(base, "Oblique");
  float weight = fd ? pdf_to_real(ctx, pdf_dict_gets(ctx, fd, "FontWeight")) : 0.0f;
  if (embedded) {
    CopyBounded(p.name, 127, StripSubsetTag(base).c_str());
    unsigned char* data = nullptr;
    size_t len = e.font && e.font->buffer ? fz_buffer_storage(ctx, e.font->buffer, &data) : 0;
    if (data && len > 0 && len <= 0x7FFFFFFF) {
      p.program = data;
      p.program_length = static_cast<int32_t>(len);
      p.program_kind = ProgramKind(data, len);
    }
    p.bold = (r.flags & PDF_FD_FORCE_BOLD) && !name_bold && weight < 600 ? 1 : 0;
    p.italic = 0;
  } else {
    CopyBounded(p.name, 127, SystemFaceName(base).c_str());
    p.bold = name_bold || weight >= 600 || (r.flags & PDF_FD_FORCE_BOLD) ? 1 : 0;
    p.italic = name_italic || (r.flags & PDF_FD_ITALIC) ? 1 : 0;
  }
  p.cid_to_gid_count = static_cast<int32_t>(e.cid_to_gid.size());
  p.cid_to_gid = e.cid_to_gid.empty() ? nullptr : e.cid_to_gid.data();
  p.cid_to_ucs_count = static_cast<int32_t>(e.cid_to_ucs.size());
  p.cid_to_ucs = e.cid_to_ucs.empty() ? nullptr : e.cid_to_ucs.data();
  e.built = true;
}

}  // namespace pagesieve
