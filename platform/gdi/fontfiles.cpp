// Windows face names to font files, through our alias table and fontconfig.
#include <fontfiles.h>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cwctype>
#include <cwchar>
#include <mutex>

#include <lwstr.h>

#include "gdi_internal.h"
#include "gdi_fonts.h"

namespace lwgdi {

namespace {

struct Alias {
  const wchar_t* windows;
  const wchar_t* family;
  const char* lang;  // language the face stands for, or null
};

constexpr const wchar_t* kCjk = L"WenQuanYi Zen Hei";

// Windows faces and the installed families that stand in for them. The CJK faces appear under
// their English and their native names, as documents name them either way.
const Alias kAliases[] = {
    {L"Arial", L"Liberation Sans", nullptr},
    {L"Helvetica", L"Liberation Sans", nullptr},
    {L"Microsoft Sans Serif", L"Liberation Sans", nullptr},
    {L"MS Sans Serif", L"Liberation Sans", nullptr},
    {L"MS Shell Dlg", L"Liberation Sans", nullptr},
    {L"MS Shell Dlg 2", L"Liberation Sans", nullptr},
    {L"System", L"Liberation Sans", nullptr},
    {L"Arial Narrow", L"Liberation Sans Narrow", nullptr},
    {L"Times New Roman", L"Liberation Serif", nullptr},
    {L"Times", L"Liberation Serif", nullptr},
    {L"Courier New", L"Liberation Mono", nullptr},
    {L"Courier", L"Liberation Mono", nullptr},
    {L"Calibri", L"Carlito", nullptr},
    {L"Cambria", L"Caladea", nullptr},
    {L"Tahoma", L"DejaVu Sans", nullptr},
    {L"Verdana", L"DejaVu Sans", nullptr},
    {L"Segoe UI", L"DejaVu Sans", nullptr},
    {L"Georgia", L"DejaVu Serif", nullptr},
    {L"Lucida Console", L"DejaVu Sans Mono", nullptr},
    {L"Consolas", L"DejaVu Sans Mono", nullptr},
    // Simplified Chinese.
    {L"SimSun", kCjk, "zh-cn"},
    {L"NSimSun", kCjk, "zh-cn"},
    {L"SimHei", kCjk, "zh-cn"},
    {L"SimKai", kCjk, "zh-cn"},
    {L"KaiTi", kCjk, "zh-cn"},
    {L"KaiTi_GB2312", kCjk, "zh-cn"},
    {L"FangSong", kCjk, "zh-cn"},
    {L"FangSong_GB2312", kCjk, "zh-cn"},
    {L"Microsoft YaHei", kCjk, "zh-cn"},
    {L"Microsoft YaHei UI", kCjk, "zh-cn"},
    {L"SimSun-ExtB", kCjk, "zh-cn"},
    {L"\u5B8B\u4F53", kCjk, "zh-cn"},                  // SimSun
    {L"\u65B0\u5B8B\u4F53", kCjk, "zh-cn"},            // NSimSun
    {L"\u9ED1\u4F53", kCjk, "zh-cn"},                  // SimHei
    {L"\u6977\u4F53", kCjk, "zh-cn"},                  // KaiTi
    {L"\u6977\u4F53_GB2312", kCjk, "zh-cn"},           // KaiTi_GB2312
    {L"\u4EFF\u5B8B", kCjk, "zh-cn"},                  // FangSong
    {L"\u4EFF\u5B8B_GB2312", kCjk, "zh-cn"},           // FangSong_GB2312
    {L"\u5FAE\u8F6F\u96C5\u9ED1", kCjk, "zh-cn"},      // Microsoft YaHei
    // Traditional Chinese.
    {L"PMingLiU", kCjk, "zh-tw"},
    {L"MingLiU", kCjk, "zh-tw"},
    {L"DFKai-SB", kCjk, "zh-tw"},
    {L"Microsoft JhengHei", kCjk, "zh-tw"},
    {L"\u65B0\u7D30\u660E\u9AD4", kCjk, "zh-tw"},      // PMingLiU
    {L"\u7D30\u660E\u9AD4", kCjk, "zh-tw"},            // MingLiU
    {L"\u6A19\u6977\u9AD4", kCjk, "zh-tw"},            // DFKai-SB
    {L"\u5FAE\u8EDF\u6B63\u9ED1\u9AD4", kCjk, "zh-tw"},  // Microsoft JhengHei
    // Japanese.
    {L"MS Mincho", kCjk, "ja"},
    {L"MS PMincho", kCjk, "ja"},
    {L"MS Gothic", kCjk, "ja"},
    {L"MS PGothic", kCjk, "ja"},
    {L"MS UI Gothic", kCjk, "ja"},
    {L"Meiryo", kCjk, "ja"},
    {L"Yu Gothic", kCjk, "ja"},
    {L"\uFF2D\uFF33 \u660E\u671D", kCjk, "ja"},              // MS Mincho
    {L"\uFF2D\uFF33 \uFF30\u660E\u671D", kCjk, "ja"},        // MS PMincho
    {L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF", kCjk, "ja"},  // MS Gothic
    {L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF", kCjk, "ja"},  // MS PGothic
    {L"\u30E1\u30A4\u30EA\u30AA", kCjk, "ja"},              // Meiryo
    // Korean.
    {L"Batang", kCjk, "ko"},
    {L"BatangChe", kCjk, "ko"},
    {L"Gulim", kCjk, "ko"},
    {L"GulimChe", kCjk, "ko"},
    {L"Dotum", kCjk, "ko"},
    {L"DotumChe", kCjk, "ko"},
    {L"Gungsuh", kCjk, "ko"},
    {L"Malgun Gothic", kCjk, "ko"},
    {L"\uBC14\uD0D5", kCjk, "ko"},          // Batang
    {L"\uAD74\uB9BC", kCjk, "ko"},          // Gulim
    {L"\uB3CB\uC6C0", kCjk, "ko"},          // Dotum
    {L"\uAD81\uC11C", kCjk, "ko"},          // Gungsuh
    {L"\uB9D1\uC740 \uACE0\uB515", kCjk, "ko"},  // Malgun Gothic
};

bool SameFace(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    const wchar_t x = lw::ToLowerChar(*a), y = lw::ToLowerChar(*b);
    if (x != y) return false;
    if (!x) return true;
  }
}

const Alias* FindAlias(const wchar_t* face) {
  if (!face) return nullptr;
  for (const Alias& a : kAliases)
    if (SameFace(a.windows, face)) return &a;
  return nullptr;
}

std::mutex& FcMutex() {
  static auto* m = new std::mutex();
  return *m;
}

// Our own fontconfig configuration, loaded at first use and released when the process ends
// (the process-wide default one would stay allocated).
struct FcHolder {
  FcConfig* config = nullptr;
  ~FcHolder() {
    if (config) FcConfigDestroy(config);
  }
};

FcConfig* Config() {
  static FcHolder holder;
  if (!holder.config) holder.config = FcInitLoadConfigAndFonts();
  return holder.config;
}

}  // namespace

const char* CharsetLanguage(int charset) {
  switch (charset) {
    case SHIFTJIS_CHARSET: return "ja";
    case HANGUL_CHARSET: case JOHAB_CHARSET: return "ko";
    case GB2312_CHARSET: return "zh-cn";
    case CHINESEBIG5_CHARSET: return "zh-tw";
    case GREEK_CHARSET: return "el";
    case TURKISH_CHARSET: return "tr";
    case VIETNAMESE_CHARSET: return "vi";
    case HEBREW_CHARSET: return "he";
    case ARABIC_CHARSET: return "ar";
    case BALTIC_CHARSET: return "lt";
    case RUSSIAN_CHARSET: return "ru";
    case THAI_CHARSET: return "th";
    case EASTEUROPE_CHARSET: return "pl";
    default: return nullptr;
  }
}

int LanguageCharset(const char* lang) {
  if (!lang) return ANSI_CHARSET;
  const std::string l = lang;
  if (l == "zh-cn") return GB2312_CHARSET;
  if (l == "zh-tw") return CHINESEBIG5_CHARSET;
  if (l == "ja") return SHIFTJIS_CHARSET;
  if (l == "ko") return HANGUL_CHARSET;
  return ANSI_CHARSET;
}

// A full face name ("Arial Bold", "Times New Roman Bold Italic") names a family and its style, as
// GDI takes it: the style goes to the weight and slant, the family is what is left.
std::wstring StripStyle(const wchar_t* face, int* weight, bool* italic) {
  std::wstring name = face ? face : L"";
  static const struct {
    const wchar_t* suffix;
    bool bold, italic;
  } kStyles[] = {{L" Bold Italic", true, true}, {L" Bold Oblique", true, true}, {L" Bold", true, false},
                 {L" Italic", false, true},     {L" Oblique", false, true}};
  for (const auto& st : kStyles) {
    const size_t n = std::wcslen(st.suffix);
    if (name.size() <= n || !SameFace(name.c_str() + (name.size() - n), st.suffix)) continue;
    name.resize(name.size() - n);
    if (st.bold) *weight = std::max(*weight, static_cast<int>(FW_BOLD));
    if (st.italic) *italic = true;
    break;
  }
  return name;
}

bool ResolveFont(const wchar_t* requested, int weight, bool italic, int charset, ResolvedFont* out) {
  const std::wstring stripped = StripStyle(requested, &weight, &italic);
  const wchar_t* face = requested ? stripped.c_str() : nullptr;
  const Alias* alias = FindAlias(face);
  std::wstring family = alias ? alias->family : (face ? face : L"");
  if (family.empty()) family = L"sans-serif";
  const char* lang = CharsetLanguage(charset);
  if (!lang && alias) lang = alias->lang;

  std::lock_guard<std::mutex> lock(FcMutex());
  FcConfig* config = Config();
  if (!config) return false;
  FcPattern* pat = FcPatternCreate();
  if (!pat) return false;
  const std::string utf8 = lw::WideToUtf8(family);
  FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.c_str()));
  FcPatternAddInteger(pat, FC_WEIGHT, FcWeightFromOpenType(weight <= 0 ? FW_NORMAL : std::min(weight, 1000)));
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  if (lang) FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>(lang));
  FcConfigSubstitute(config, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config, pat, &result);
  FcPatternDestroy(pat);
  if (!match) return false;
  FcChar8* file = nullptr;
  int index = 0;
  FcChar8* fam = nullptr;
  FcBool scalable = FcFalse;
  bool ok = FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file;
  if (ok) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    out->path = reinterpret_cast<const char*>(file);
    out->faceIndex = index;
    out->family.clear();
    if (FcPatternGetString(match, FC_FAMILY, 0, &fam) == FcResultMatch && fam)
      out->family = lw::Utf8ToWide(reinterpret_cast<const char*>(fam));
    if (FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable) ok = false;
    int matchedWeight = FC_WEIGHT_REGULAR, matchedSlant = FC_SLANT_ROMAN;
    FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
    FcPatternGetInteger(match, FC_SLANT, 0, &matchedSlant);
    // fontconfig's synthetic styles mark a face that is only emboldened or slanted.
    FcBool embolden = FcFalse;
    FcMatrix* slanting = nullptr;
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    out->bold = matchedWeight >= FC_WEIGHT_DEMIBOLD && !embolden;
    out->italic = matchedSlant != FC_SLANT_ROMAN && FcPatternGetMatrix(match, FC_MATRIX, 0, &slanting) != FcResultMatch;
  }
  FcPatternDestroy(match);
  out->aliased = alias != nullptr;
  out->lang = lang;
  return ok;
}

}  // namespace lwgdi

bool LwResolveFontFile(const wchar_t* face, int weight, bool italic, int charset, std::string* path, int* faceIndex) {
  lwgdi::ResolvedFont r;
  if (!lwgdi::ResolveFont(face, weight, italic, charset, &r)) return false;
  if (path) *path = r.path;
  if (faceIndex) *faceIndex = r.faceIndex;
  return true;
}

bool LwHasFontStyle(const wchar_t* face, bool bold, bool italic) {
  lwgdi::ResolvedFont r;
  if (!lwgdi::ResolveFont(face, bold ? FW_BOLD : FW_NORMAL, italic, DEFAULT_CHARSET, &r)) return false;
  return r.bold == bold && r.italic == italic;
}

const wchar_t* LwFontAlias(const wchar_t* face) {
  const lwgdi::Alias* a = lwgdi::FindAlias(face);
  return a ? a->family : nullptr;
}

std::vector<LwInstalledFont> LwInstalledFonts() {
  std::vector<LwInstalledFont> out;
  std::lock_guard<std::mutex> lock(lwgdi::FcMutex());
  FcConfig* config = lwgdi::Config();
  if (!config) return out;
  FcPattern* pat = FcPatternCreate();
  FcObjectSet* set = FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FULLNAME, FC_FAMILY, FC_STYLE, FC_SCALABLE, nullptr);
  FcFontSet* fonts = (pat && set) ? FcFontList(config, pat, set) : nullptr;
  if (set) FcObjectSetDestroy(set);
  if (pat) FcPatternDestroy(pat);
  if (!fonts) return out;
  for (int i = 0; i < fonts->nfont; ++i) {
    FcPattern* p = fonts->fonts[i];
    FcChar8* file = nullptr;
    FcBool scalable = FcFalse;
    if (FcPatternGetString(p, FC_FILE, 0, &file) != FcResultMatch || !file) continue;
    if (FcPatternGetBool(p, FC_SCALABLE, 0, &scalable) == FcResultMatch && !scalable) continue;
    LwInstalledFont f;
    f.path = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(p, FC_INDEX, 0, &f.faceIndex);
    FcChar8* s = nullptr;
    if (FcPatternGetString(p, FC_FULLNAME, 0, &s) == FcResultMatch && s) {
      f.description = lw::Utf8ToWide(reinterpret_cast<const char*>(s));
    } else if (FcPatternGetString(p, FC_FAMILY, 0, &s) == FcResultMatch && s) {
      f.description = lw::Utf8ToWide(reinterpret_cast<const char*>(s));
      FcChar8* style = nullptr;
      if (FcPatternGetString(p, FC_STYLE, 0, &style) == FcResultMatch && style)
        f.description += L" " + lw::Utf8ToWide(reinterpret_cast<const char*>(style));
    }
    if (f.description.empty()) continue;
    out.push_back(std::move(f));
  }
  FcFontSetDestroy(fonts);
  std::sort(out.begin(), out.end(), [](const LwInstalledFont& a, const LwInstalledFont& b) {
    return a.path != b.path ? a.path < b.path : a.faceIndex < b.faceIndex;
  });
  return out;
}
