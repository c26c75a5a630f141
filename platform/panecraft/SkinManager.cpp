// The dialog skin: the skin file reader, and the recolouring of dialogs while a skin is loaded.
#include <wx/dialog.h>
#include <wx/event.h>
#include <wx/eventfilter.h>
#include <wx/panel.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>

#include "GalleryView.h"
#include "QorpSkinManager.h"
#include "theme_resources.h"
#include <lwstr.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace {

struct SkinKey {
  const char* pszKey;
  COLORREF clrDefault;
};

constexpr SkinKey kSkinKeys[QORP_SKIN_COUNT] = {
    {"DialogBack", RGB(0xDF, 0xE9, 0xF5)},
    {"StaticText", RGB(0x1E, 0x39, 0x5B)},
    {"GroupBoxText", RGB(0x15, 0x42, 0x8B)},
};

// A window the skin changed, with what it had before.
struct Skinned {
  wxWeakRef<wxWindow> pWindow;
  bool bHadBack, bHadFore;
  wxColour clrBack, clrFore;
};

std::vector<Skinned>& SkinnedWindows() {
  static std::vector<Skinned> windows;
  return windows;
}

void Remember(wxWindow* pWindow) {
  auto& windows = SkinnedWindows();
  // Windows destroyed meanwhile are forgotten.
  windows.erase(std::remove_if(windows.begin(), windows.end(), [](const Skinned& s) { return !s.pWindow; }),
                windows.end());
  for (const Skinned& s : windows)
    if (s.pWindow.get() == pWindow) return;
  windows.push_back({pWindow, pWindow->UseBgCol(), pWindow->UseForegroundColour(), pWindow->GetBackgroundColour(),
                     pWindow->GetForegroundColour()});
}

void ApplyTree(wxWindow* pWindow, const CQORPSkinColors& colors, bool bTop) {
  if (pWindow->IsKindOf(wxCLASSINFO(wxStaticText))) {
    Remember(pWindow);
    pWindow->SetForegroundColour(QorpWx(colors.GetColor(QORP_SKIN_STATIC_TEXT)));
  } else if (pWindow->IsKindOf(wxCLASSINFO(wxStaticBox))) {
    Remember(pWindow);
    pWindow->SetForegroundColour(QorpWx(colors.GetColor(QORP_SKIN_GROUPBOX_TEXT)));
  } else if (bTop || pWindow->IsKindOf(wxCLASSINFO(wxPanel))) {
    Remember(pWindow);
    pWindow->SetBackgroundColour(QorpWx(colors.GetColor(QORP_SKIN_DIALOG_BACK)));
  }
  // Native controls keep their colours; static texts and panels further down are still reached.
  for (wxWindow* pChild : pWindow->GetChildren())
    if (!pChild->IsTopLevel()) ApplyTree(pChild, colors, false);
  pWindow->Refresh();
}

void RestoreAll() {
  auto windows = std::move(SkinnedWindows());
  SkinnedWindows().clear();
  for (Skinned& s : windows) {
    wxWindow* p = s.pWindow.get();
    if (!p) continue;
    p->SetBackgroundColour(s.bHadBack ? s.clrBack : wxNullColour);
    p->SetForegroundColour(s.bHadFore ? s.clrFore : wxNullColour);
    p->Refresh();
  }
}

// Skins each dialog as it is shown, while a skin is loaded.
class SkinFilter : public wxEventFilter {
 public:
  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_SHOW || type == wxEVT_INIT_DIALOG) {
      // (IsKindOf rather than wxDynamicCast, which casts before it checks.)
      wxObject* pObject = event.GetEventObject();
      auto* pDialog = pObject && pObject->IsKindOf(wxCLASSINFO(wxDialog)) ? static_cast<wxDialog*>(pObject) : nullptr;
      const bool bShown = type != wxEVT_SHOW || static_cast<wxShowEvent&>(event).IsShown();
      CQORPSkinManager* pSkins = CQORPSkinManager::Get();
      if (pDialog && bShown && pSkins->IsLoaded()) ApplyTree(pDialog, pSkins->GetColors(), true);
    }
    return Event_Skip;
  }
};

SkinFilter* g_pFilter = nullptr;

bool ReadSkinFile(const std::string& strPath, std::string& strText) {
  std::error_code ec;
  const auto path = std::filesystem::u8path(strPath);
  if (std::filesystem::is_regular_file(path, ec)) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    strText.assign(CQORPSkinColors::kMaxFileSize + 1, '\0');
    in.read(strText.data(), static_cast<std::streamsize>(strText.size()));
    strText.resize(static_cast<size_t>(in.gcount()));
    return true;  // an oversized file is refused by the parser
  }
  if (std::filesystem::exists(path, ec)) return false;  // a folder or another kind of file
  return QorpFindBuiltinResource(strPath, "", strText);
}

}  // namespace

CQORPSkinColors::CQORPSkinColors() {
  for (int i = 0; i < QORP_SKIN_COUNT; ++i) m_colors[static_cast<size_t>(i)] = kSkinKeys[i].clrDefault;
}

const char* CQORPSkinColors::GetKeyName(int nColor) {
  return nColor >= 0 && nColor < QORP_SKIN_COUNT ? kSkinKeys[nColor].pszKey : nullptr;
}

COLORREF CQORPSkinColors::GetColor(int nColor) const {
  return nColor >= 0 && nColor < QORP_SKIN_COUNT ? m_colors[static_cast<size_t>(nColor)] : 0;
}

void CQORPSkinColors::SetColor(int nColor, COLORREF clr) {
  if (nColor >= 0 && nColor < QORP_SKIN_COUNT) m_colors[static_cast<size_t>(nColor)] = clr;
}

bool CQORPSkinColors::Parse(const std::string& strText, const std::string& strSection, std::string* pstrError) {
  auto fail = [&](int nLine, const std::string& what) {
    if (pstrError) {
      char buf[32];
      std::snprintf(buf, sizeof buf, "line %d: ", nLine);
      *pstrError = buf + what;
    }
    return false;
  };
  if (strText.size() > kMaxFileSize) return fail(0, "skin file too large");
  std::array<COLORREF, QORP_SKIN_COUNT> colors = m_colors;
  std::string_view rest(strText);
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  bool bInSection = false, bFound = false, bFirst = true;
  int nLine = 0;
  while (!rest.empty()) {
    ++nLine;
    const size_t nEnd = rest.find('\n');
    const std::string_view line = QorpTrim(rest.substr(0, nEnd));
    rest = nEnd == std::string_view::npos ? std::string_view() : rest.substr(nEnd + 1);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return fail(nLine, "unterminated section name");
      const std::string_view name = QorpTrim(line.substr(1, line.size() - 2));
      // Only the first section of that name counts.
      bInSection = !bFound && (strSection.empty() ? bFirst : QorpEqualNoCase(name, strSection));
      bFound = bFound || bInSection;
      bFirst = false;
      continue;
    }
    const size_t nEq = line.find('=');
    if (nEq == std::string_view::npos) return fail(nLine, "expected Key=Value");
    if (!bInSection) continue;
    const std::string_view key = QorpTrim(line.substr(0, nEq));
    int nColor = -1;
    for (int i = 0; i < QORP_SKIN_COUNT; ++i)
      if (QorpEqualNoCase(key, kSkinKeys[i].pszKey)) nColor = i;
    if (nColor < 0) continue;
    COLORREF clr = 0;
    if (!QorpParseHexColor(QorpTrim(line.substr(nEq + 1)), clr)) return fail(nLine, "expected a colour #RRGGBB");
    colors[static_cast<size_t>(nColor)] = clr;
  }
  if (!bFound) return fail(nLine, strSection.empty() ? "no section" : "no section [" + strSection + "]");
  m_colors = colors;
  return true;
}

CQORPSkinManager* CQORPSkinManager::Get() {
  static CQORPSkinManager manager;
  return &manager;
}

BOOL CQORPSkinManager::LoadSkin(const wchar_t* lpszResourcePath, const wchar_t* lpszIniFileName) {
  if (!lpszResourcePath || !*lpszResourcePath) {
    Unload();
    return TRUE;
  }
  std::string text;
  CQORPSkinColors colors;
  const std::string section = lpszIniFileName ? lw::WideToUtf8(lpszIniFileName) : std::string();
  if (!ReadSkinFile(lw::WideToUtf8(lpszResourcePath), text) || !colors.Parse(text, section)) {
    Unload();
    return FALSE;
  }
  m_colors = colors;
  m_strPath = lpszResourcePath;
  m_strSection = lpszIniFileName ? lpszIniFileName : L"";
  m_bLoaded = TRUE;
  if (!g_pFilter) {
    g_pFilter = new SkinFilter;
    wxEvtHandler::AddFilter(g_pFilter);
  }
  ReapplyAll();
  return TRUE;
}

void CQORPSkinManager::Unload() {
  m_bLoaded = FALSE;
  m_colors = CQORPSkinColors();
  m_strPath.Empty();
  m_strSection.Empty();
  if (g_pFilter) {
    wxEvtHandler::RemoveFilter(g_pFilter);
    delete g_pFilter;
    g_pFilter = nullptr;
  }
  RestoreAll();
}

void CQORPSkinManager::ReapplyAll() {
  for (wxWindow* pTop : wxTopLevelWindows)
    if (pTop->IsKindOf(wxCLASSINFO(wxDialog)) && pTop->IsShown()) ApplyTree(pTop, m_colors, true);
}

void CQORPSkinManager::ApplyWindow(HWND hWnd) {
  if (!m_bLoaded) return;
  CWnd* pWnd = CWnd::FromHandle(hWnd);
  if (wxWindow* pWindow = pWnd ? pWnd->GetWxWindow() : nullptr) ApplyTree(pWindow, m_colors, true);
}
