#include "QorpPaintManager.h"
#include "theme_resources.h"

#include <lwstr.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

CQORPPaintManager* CQORPPaintManager::Get() {
  static CQORPPaintManager manager;
  return &manager;
}

void CQORPPaintManager::SetTheme(int nTheme) {
  m_nTheme = nTheme;
  Notify();
}

void CQORPPaintManager::SetColors(const CQORPThemeColors& colors) {
  m_colors = colors;
  Notify();
}

int CQORPPaintManager::AddListener(std::function<void()> fn) {
  m_listeners.emplace_back(m_nNextCookie, std::move(fn));
  return m_nNextCookie++;
}

void CQORPPaintManager::RemoveListener(int nCookie) {
  m_listeners.erase(std::remove_if(m_listeners.begin(), m_listeners.end(),
                                   [nCookie](const auto& l) { return l.first == nCookie; }),
                    m_listeners.end());
}

void CQORPPaintManager::Notify() {
  const auto listeners = m_listeners;  // a listener may add or remove listeners
  for (const auto& l : listeners)
    if (l.second) l.second();
}

bool CQORPResourceTheme::LoadThemeText(const wchar_t* lpszModule, const wchar_t* lpszIniName, std::string& strText,
                                       std::string* pstrError) {
  auto fail = [pstrError](std::string what) {
    if (pstrError) *pstrError = std::move(what);
    return false;
  };
  if (!lpszModule || !*lpszModule || !lpszIniName || !*lpszIniName) return fail("no theme module or INI name");
  const std::string module = lw::WideToUtf8(lpszModule), ini = lw::WideToUtf8(lpszIniName);
  // A theme is a name inside the module, never a path leading out of it.
  if (ini.find_first_of("/\\") != std::string::npos || ini == "." || ini == "..") return fail("bad theme name " + ini);
  std::error_code ec;
  if (std::filesystem::is_directory(std::filesystem::u8path(module), ec)) {
    std::string path = module;
    if (path.back() != '/') path += '/';
    path += ini;
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in) return fail("cannot open " + path);
    std::string text(CQORPThemeColors::kMaxFileSize + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    if (text.size() > CQORPThemeColors::kMaxFileSize) return fail("theme file too large: " + path);
    strText = std::move(text);
    return true;
  }
  if (QorpFindBuiltinResource(module, ini, strText)) return true;
  return fail("no theme " + ini + " in " + module);
}

bool CQORPResourceTheme::SetImageHandle(const wchar_t* lpszModule, const wchar_t* lpszIniName) {
  std::string text;
  if (!LoadThemeText(lpszModule, lpszIniName, text)) return false;
  CQORPThemeColors colors = CQORPPaintManager::Get()->GetColors();
  if (!colors.Parse(text)) return false;
  CQORPPaintManager::Get()->SetColors(colors);
  return true;
}
