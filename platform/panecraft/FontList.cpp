// The shared font list: the system's families through fontconfig, filtered and sorted.
#include <fontconfig/fontconfig.h>

#include "QorpFontList.h"
#include <lwstr.h>

#include <algorithm>
#include <cwctype>
#include <map>

namespace {

std::string TrimSpaces(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

bool Acceptable(const std::string& name) {
  if (name.empty() || name[0] == '@' || name[0] == '.') return false;
  for (unsigned char c : name)
    if (c < 0x20 || c == 0x7F) return false;
  return true;
}

// The key two names of one family share: the name folded to lower case.
std::wstring FoldKey(const std::wstring& name) {
  std::wstring key = name;
  for (wchar_t& c : key) c = lw::ToLowerChar(c);
  return key;
}

std::vector<QORPRawFontFamily> EnumerateSystemFamilies() {
  std::vector<QORPRawFontFamily> families;
  // A configuration of our own for this one listing, released at once (the process-wide default
  // one would stay allocated for the life of the process).
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return families;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_SCALABLE, FC_OUTLINE, FC_SPACING, FC_SYMBOL, nullptr);
  FcFontSet* set = pattern && objects ? FcFontList(config, pattern, objects) : nullptr;
  if (set) {
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* font = set->fonts[i];
      FcChar8* family = nullptr;
      // The first family name is the font's own (usually English) name; the others translate it.
      if (FcPatternGetString(font, FC_FAMILY, 0, &family) != FcResultMatch || !family) continue;
      QORPRawFontFamily f;
      f.strName = reinterpret_cast<const char*>(family);
      FcBool scalable = FcFalse, outline = FcFalse, symbol = FcFalse;
      FcPatternGetBool(font, FC_SCALABLE, 0, &scalable);
      FcPatternGetBool(font, FC_OUTLINE, 0, &outline);
      FcPatternGetBool(font, FC_SYMBOL, 0, &symbol);
      int spacing = 0;
      f.bScalable = scalable || outline;
      f.bMonospaced = FcPatternGetInteger(font, FC_SPACING, 0, &spacing) == FcResultMatch && spacing >= FC_MONO;
      f.bSymbol = symbol != FcFalse;
      families.push_back(std::move(f));
    }
    FcFontSetDestroy(set);
  }
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
  FcConfigDestroy(config);
  return families;
}

}  // namespace

std::vector<CQORPFontEntry> QORPFilterFontFamilies(const std::vector<QORPRawFontFamily>& families) {
  std::map<std::wstring, CQORPFontEntry> byKey;
  for (const QORPRawFontFamily& f : families) {
    const std::string name = TrimSpaces(f.strName);
    if (!Acceptable(name)) continue;
    const std::wstring wide = lw::Utf8ToWide(name);
    if (wide.empty()) continue;
    const std::wstring key = FoldKey(wide);
    auto it = byKey.find(key);
    if (it == byKey.end()) {
      CQORPFontEntry e;
      e.m_strFaceName = wide.c_str();
      e.m_dwFontType = f.bScalable ? QORP_FONTTYPE_SCALABLE : QORP_FONTTYPE_BITMAP;
      e.m_nCharSet = f.bSymbol ? 2 : 1;
      e.m_nPitchAndFamily = f.bMonospaced ? 1 : 0;
      byKey.emplace(key, std::move(e));
      continue;
    }
    // The same family again (another style, or another spelling of its case).
    CQORPFontEntry& e = it->second;
    if (f.bScalable) e.m_dwFontType = QORP_FONTTYPE_SCALABLE;
    if (wide < std::wstring(e.m_strFaceName.GetString())) e.m_strFaceName = wide.c_str();
  }
  std::vector<CQORPFontEntry> entries;
  entries.reserve(byKey.size());
  for (auto& kv : byKey) entries.push_back(std::move(kv.second));
  // The map's order is the folded name's; ties cannot occur (one entry per folded name).
  return entries;
}

CQORPFontList* CQORPFontList::GetShared() {
  static CQORPFontList* pList = [] {
    auto* p = new CQORPFontList;
    p->Refresh();
    return p;
  }();
  return pList;
}

const CQORPFontEntry* CQORPFontList::GetAt(int nIndex) const {
  return nIndex >= 0 && nIndex < GetCount() ? m_entries[static_cast<size_t>(nIndex)].get() : nullptr;
}

const CQORPFontEntry* CQORPFontList::Find(const wchar_t* lpszFaceName) const {
  if (!lpszFaceName) return nullptr;
  const std::wstring key = FoldKey(lpszFaceName);
  for (const auto& e : m_entries)
    if (FoldKey(e->m_strFaceName.GetString()) == key) return e.get();
  return nullptr;
}

void CQORPFontList::Refresh() {
  std::vector<std::shared_ptr<const CQORPFontEntry>> entries;
  for (CQORPFontEntry& e : QORPFilterFontFamilies(EnumerateSystemFamilies()))
    entries.push_back(std::make_shared<const CQORPFontEntry>(std::move(e)));
  // Galleries keep pointers to entries: the old ones stay alive with the list.
  m_retired.insert(m_retired.end(), m_entries.begin(), m_entries.end());
  m_entries = std::move(entries);
}
