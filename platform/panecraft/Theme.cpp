#include "QorpTheme.h"
#include "theme_resources.h"

#include <cctype>
#include <cstdio>
#include <fstream>
#include <string_view>

namespace {

struct KeyDefault {
  const char* pszKey;
  COLORREF clrDefault;
};

// Order of QORPThemeColor.
constexpr KeyDefault kKeys[QORP_CLR_COUNT] = {
    {"RibbonPrimary", RGB(0xDF, 0xE9, 0xF5)},
    {"RibbonSecondary", RGB(0xC5, 0xD7, 0xEC)},
    {"RibbonTertiary", RGB(0x8D, 0xB2, 0xE3)},
    {"TabLabel", RGB(0x1E, 0x39, 0x5B)},
    {"PanelLabel", RGB(0x1B, 0x3A, 0x66)},
    {"DisabledLabel", RGB(0x55, 0x55, 0x55)},
    {"HoverFill", RGB(0xFF, 0xE7, 0xA2)},
    {"HoverFrame", RGB(0xF2, 0xC7, 0x5C)},
    {"PopupBack", RGB(0xFA, 0xFA, 0xFA)},
    {"GalleryLabelBand", RGB(0xDD, 0xE7, 0xEE)},
    {"StatusBarBack", RGB(0xCF, 0xDD, 0xEE)},
    {"StatusBarText", RGB(0x1E, 0x39, 0x5B)},
    {"BackstageBack", RGB(0xFF, 0xFF, 0xFF)},
    {"BackstageAccent", RGB(0x2A, 0x57, 0x9A)},
    {"DockingPane", RGB(0xD6, 0xE3, 0xF2)},
    {"WordPaneBackground", RGB(0xAB, 0xBA, 0xD0)},
    {"SelectedFill", RGB(0xFF, 0xD5, 0x6B)},
    {"SelectedFrame", RGB(0xC2, 0x9B, 0x3D)},
    {"HighlightedFill", RGB(0xFF, 0xE7, 0xA2)},
    {"HighlightedFrame", RGB(0xF2, 0xC7, 0x5C)},
    {"DockCaptionActive", RGB(0xFF, 0xD5, 0x6B)},
    {"DockCaptionInactive", RGB(0xC5, 0xD7, 0xEC)},
    {"DockCaptionText", RGB(0x1E, 0x39, 0x5B)},
    {"DialogBack", RGB(0xDF, 0xE9, 0xF5)},
    {"StaticText", RGB(0x1E, 0x39, 0x5B)},
};

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseColor(std::string_view s, COLORREF& clr) {
  if (s.size() != 7 || s[0] != '#') return false;
  int v[6];
  for (int i = 0; i < 6; ++i)
    if ((v[i] = HexDigit(s[static_cast<size_t>(i) + 1])) < 0) return false;
  clr = RGB(v[0] * 16 + v[1], v[2] * 16 + v[3], v[4] * 16 + v[5]);
  return true;
}

}  // namespace

CQORPThemeColors::CQORPThemeColors() {
  for (int i = 0; i < QORP_CLR_COUNT; ++i) m_colors[static_cast<size_t>(i)] = kKeys[i].clrDefault;
}

const char* CQORPThemeColors::GetKeyName(int nColor) {
  return nColor >= 0 && nColor < QORP_CLR_COUNT ? kKeys[nColor].pszKey : nullptr;
}

int CQORPThemeColors::FindKey(const std::string& strKey) {
  for (int i = 0; i < QORP_CLR_COUNT; ++i)
    if (EqualNoCase(strKey, kKeys[i].pszKey)) return i;
  return -1;
}

COLORREF CQORPThemeColors::GetColor(int nColor) const {
  return nColor >= 0 && nColor < QORP_CLR_COUNT ? m_colors[static_cast<size_t>(nColor)] : 0;
}

void CQORPThemeColors::SetColor(int nColor, COLORREF clr) {
  if (nColor >= 0 && nColor < QORP_CLR_COUNT) m_colors[static_cast<size_t>(nColor)] = clr;
}

bool CQORPThemeColors::Parse(const std::string& strText, std::string* pstrError) {
  auto fail = [&](int nLine, const char* pszWhat) {
    if (pstrError) {
      char buf[128];
      std::snprintf(buf, sizeof buf, "line %d: %s", nLine, pszWhat);
      *pstrError = buf;
    }
    return false;
  };
  if (strText.size() > kMaxFileSize) return fail(0, "theme file too large");
  std::array<COLORREF, QORP_CLR_COUNT> colors = m_colors;
  std::string_view rest(strText);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  bool bInColors = false;
  int nLine = 0;
  while (!rest.empty()) {
    ++nLine;
    const size_t nEnd = rest.find('\n');
    std::string_view line = Trim(rest.substr(0, nEnd));
    rest = nEnd == std::string_view::npos ? std::string_view() : rest.substr(nEnd + 1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return fail(nLine, "unterminated section name");
      bInColors = EqualNoCase(Trim(line.substr(1, line.size() - 2)), "Colors");
      continue;
    }
    const size_t nEq = line.find('=');
    if (nEq == std::string_view::npos) return fail(nLine, "expected Key=Value");
    if (!bInColors) continue;
    const int nColor = FindKey(std::string(Trim(line.substr(0, nEq))));
    if (nColor < 0) continue;
    COLORREF clr = 0;
    if (!ParseColor(Trim(line.substr(nEq + 1)), clr)) return fail(nLine, "expected a colour #RRGGBB");
    colors[static_cast<size_t>(nColor)] = clr;
  }
  m_colors = colors;
  return true;
}

bool CQORPThemeColors::LoadFile(const std::string& strPath, std::string* pstrError) {
  std::ifstream in(strPath, std::ios::binary);
  if (!in) {
    if (pstrError) *pstrError = "cannot open " + strPath;
    return false;
  }
  std::string text;
  text.resize(kMaxFileSize + 1);
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<size_t>(in.gcount()));
  return Parse(text, pstrError);
}

// ---------------------------------------------------------------------------------------------
// Resources built into the layer.

std::string_view QorpFileNamePart(std::string_view path) {
  const size_t n = path.find_last_of("/\\");
  return n == std::string_view::npos ? path : path.substr(n + 1);
}

bool QorpFindBuiltinResource(std::string_view strModulePath, std::string_view strName, std::string& strText) {
  const std::string_view module = QorpFileNamePart(strModulePath);
  if (module.empty()) return false;
  size_t nCount = 0;
  const QorpBuiltinResource* pTable = QorpGetBuiltinResources(&nCount);
  for (size_t i = 0; i < nCount; ++i) {
    if (!EqualNoCase(module, pTable[i].pszModule) || !EqualNoCase(strName, pTable[i].pszName)) continue;
    strText.assign(reinterpret_cast<const char*>(pTable[i].pData), pTable[i].nSize);
    return true;
  }
  return false;
}

bool QorpEqualNoCase(std::string_view a, std::string_view b) { return EqualNoCase(a, b); }
std::string_view QorpTrim(std::string_view s) { return Trim(s); }
bool QorpParseHexColor(std::string_view s, COLORREF& clr) { return ParseColor(s, clr); }
