// Command icons drawn from SVG text with wx's SVG renderer. Icon sets such as Breeze draw
// one-colour icons with fill "currentColor" and name the colour by a class ("ColorScheme-Text",
// "ColorScheme-Highlight", ...) set in a <style> block; the renderer reads neither, so the text
// is rewritten first: each element's currentColor becomes its class's colour, and the text
// class (or no class) becomes the colour asked for.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include <wx/bmpbndl.h>
#include <wx/image.h>

#include "QorpRibbon.h"
#include "ribbon_internal.h"

namespace {

std::string Hex(COLORREF c) {
  char s[8];
  std::snprintf(s, sizeof s, "#%02x%02x%02x", GetRValue(c), GetGValue(c), GetBValue(c));
  return s;
}

// ".ColorScheme-Name { color:#rrggbb; }" entries of the style block.
std::map<std::string, std::string> ClassColours(const std::string& svg) {
  std::map<std::string, std::string> colours;
  size_t pos = 0;
  while ((pos = svg.find('.', pos)) != std::string::npos) {
    size_t end = pos + 1;
    while (end < svg.size() && (std::isalnum(static_cast<unsigned char>(svg[end])) || svg[end] == '-' || svg[end] == '_')) ++end;
    const std::string name = svg.substr(pos + 1, end - pos - 1);
    size_t brace = end;
    while (brace < svg.size() && std::isspace(static_cast<unsigned char>(svg[brace]))) ++brace;
    if (name.empty() || brace >= svg.size() || svg[brace] != '{') {
      pos = end;
      continue;
    }
    const size_t close = svg.find('}', brace);
    if (close == std::string::npos) break;
    const std::string body = svg.substr(brace + 1, close - brace - 1);
    const size_t c = body.find("color:");
    if (c != std::string::npos) {
      size_t v = c + 6;
      while (v < body.size() && std::isspace(static_cast<unsigned char>(body[v]))) ++v;
      size_t ve = v;
      while (ve < body.size() && body[ve] != ';' && !std::isspace(static_cast<unsigned char>(body[ve]))) ++ve;
      colours[name] = body.substr(v, ve - v);
    }
    pos = close;
  }
  return colours;
}

}  // namespace

std::string QorpResolveSvgColours(const std::string& svg, COLORREF clrText) {
  const std::map<std::string, std::string> colours = ClassColours(svg);
  const std::string text = Hex(clrText);
  std::string out;
  out.reserve(svg.size());
  size_t pos = 0;
  while (pos < svg.size()) {
    const size_t open = svg.find('<', pos);
    if (open == std::string::npos) {
      out.append(svg, pos, std::string::npos);
      break;
    }
    const size_t close = svg.find('>', open);
    out.append(svg, pos, open - pos);
    if (close == std::string::npos) {
      out.append(svg, open, std::string::npos);
      break;
    }
    std::string tag = svg.substr(open, close - open + 1);
    if (tag.find("currentColor") != std::string::npos) {
      std::string colour = text;
      const size_t k = tag.find("class=\"");
      if (k != std::string::npos) {
        const size_t e = tag.find('"', k + 7);
        const std::string cls = tag.substr(k + 7, e == std::string::npos ? std::string::npos : e - k - 7);
        const auto it = colours.find(cls);
        if (cls != "ColorScheme-Text" && it != colours.end()) colour = it->second;
      }
      size_t at = 0;
      while ((at = tag.find("currentColor", at)) != std::string::npos) {
        tag.replace(at, 12, colour);
        at += colour.size();
      }
    }
    out += tag;
    pos = close + 1;
  }
  return out;
}

wxBitmap QorpRenderSvgIcon(const std::string& svg, int nSize, COLORREF clrText) {
  if (svg.empty() || nSize <= 0) return wxBitmap();
  const std::string resolved = QorpResolveSvgColours(svg, clrText);
  const wxBitmapBundle bundle = wxBitmapBundle::FromSVG(resolved.c_str(), wxSize(nSize, nSize));
  if (!bundle.IsOk()) return wxBitmap();
  return bundle.GetBitmap(wxSize(nSize, nSize));
}

BOOL QORPRenderSvgIcon(const char* pszSvg, int nSize, COLORREF clrText, std::vector<BYTE>& bgra) {
  bgra.clear();
  if (!pszSvg) return FALSE;
  const wxBitmap bmp = QorpRenderSvgIcon(pszSvg, nSize, clrText);
  if (!bmp.IsOk()) return FALSE;
  const wxImage img = bmp.ConvertToImage();
  if (img.GetWidth() != nSize || img.GetHeight() != nSize) return FALSE;
  bgra.resize(static_cast<size_t>(nSize) * nSize * 4);
  for (int y = 0; y < nSize; ++y)
    for (int x = 0; x < nSize; ++x) {
      BYTE* px = bgra.data() + (static_cast<size_t>(y) * nSize + x) * 4;
      const int a = img.HasAlpha() ? img.GetAlpha(x, y) : 255;
      // The rendered bitmap comes back premultiplied; part-covered pixels get their own colour
      // back (straight alpha), so that they are not taken for a darker colour.
      auto straight = [a](int c) { return static_cast<BYTE>(a > 0 && a < 255 ? std::min(255, (c * 255 + a / 2) / a) : c); };
      px[0] = straight(img.GetBlue(x, y));
      px[1] = straight(img.GetGreen(x, y));
      px[2] = straight(img.GetRed(x, y));
      px[3] = static_cast<BYTE>(a);
    }
  return TRUE;
}

void CQORPRibbonBar::SetIconSvg(UINT nId, const char* pszSvg16, const char* pszSvg32) {
  auto& svgs = m_pImpl->svgIcons[nId];
  svgs[16] = pszSvg16 ? pszSvg16 : "";
  svgs[32] = pszSvg32 ? pszSvg32 : "";
  StructureChanged();
}
