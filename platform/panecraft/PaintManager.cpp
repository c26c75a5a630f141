#include "QorpPaintManager.h"

#include <lwstr.h>

#include <algorithm>

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

bool CQORPResourceTheme::SetImageHandle(const wchar_t* lpszResourceFolder, const wchar_t* lpszIniName) {
  if (!lpszResourceFolder || !lpszIniName || !*lpszIniName) return false;
  std::string path = lw::WideToUtf8(lpszResourceFolder);
  if (!path.empty() && path.back() != '/') path += '/';
  path += lw::WideToUtf8(lpszIniName);
  CQORPThemeColors colors = CQORPPaintManager::Get()->GetColors();
  if (!colors.LoadFile(path)) return false;
  CQORPPaintManager::Get()->SetColors(colors);
  return true;
}
