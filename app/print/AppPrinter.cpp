#include "AppPrinter.h"

#include <algorithm>
#include <cwchar>

#include "PrintLayout.h"
#include "PrinterUtil.h"

bool IsFilePrinter(const std::wstring& name) { return name == kPrintToPdfFile || name == kPrintToPsFile; }

void CAppPrinter::Load() {
  std::wstring def;
  LwEnumPrinters(&m_printers, &def);
  m_nInstalled = m_printers.size();
  m_current = !def.empty() ? def : m_printers.empty() ? std::wstring(kPrintToPdfFile) : m_printers.front();
  m_printers.push_back(kPrintToPdfFile);
  m_printers.push_back(kPrintToPsFile);
  LwGetPrinterDefaults(m_current.c_str(), &m_dm);
}

bool CAppPrinter::Select(const std::wstring& name) {
  if (std::find(m_printers.begin(), m_printers.end(), name) == m_printers.end()) return false;
  m_current = name;
  LwGetPrinterDefaults(m_current.c_str(), &m_dm);
  return true;
}

bool CAppPrinter::Use(const std::wstring& name, const DEVMODEW& dm) {
  if (std::find(m_printers.begin(), m_printers.end(), name) == m_printers.end()) return false;
  m_current = name;
  m_dm = dm;
  return true;
}

SIZE CAppPrinter::PaperPixels() const {
  std::wstring paper;
  SIZE tenthsMm{};
  if (!CPrinterUtil::GetSelectedPaperNameSize(m_dm, paper, tenthsMm)) return SIZE{0, 0};
  const int dpiX = m_dm.dmPrintQuality > 0 ? m_dm.dmPrintQuality : kLwDefaultPrinterDpi;
  const int dpiY = m_dm.dmYResolution > 0 ? m_dm.dmYResolution : dpiX;
  const bool landscape = m_dm.dmOrientation == DMORIENT_LANDSCAPE;
  return PaperSizeInPixels(tenthsMm.cx, tenthsMm.cy, landscape, dpiX, dpiY);
}

CAppPrinter& GetAppPrinter() {
  static CAppPrinter printer = [] {
    CAppPrinter p;
    p.Load();
    return p;
  }();
  return printer;
}

const std::vector<PaperChoice>& PaperChoices() {
  static const std::vector<PaperChoice> papers = {
      {L"Letter", 2159, 2794}, {L"Legal", 2159, 3556}, {L"Tabloid", 2794, 4318},
      {L"A3", 2970, 4200},     {L"A4", 2100, 2970},    {L"A5", 1480, 2100},
      {L"B5 (JIS)", 1820, 2570},
  };
  return papers;
}

int FindPaperChoice(const DEVMODEW& dm) {
  const auto& papers = PaperChoices();
  for (size_t i = 0; i < papers.size(); ++i) {
    const PaperChoice& p = papers[i];
    if ((p.width == dm.dmPaperWidth && p.length == dm.dmPaperLength) ||
        (p.width == dm.dmPaperLength && p.length == dm.dmPaperWidth))
      return static_cast<int>(i);
  }
  return -1;
}

void ApplyPrinterChoice(DEVMODEW& dm, int paper, bool landscape, int dpi) {
  const auto& papers = PaperChoices();
  if (paper >= 0 && paper < static_cast<int>(papers.size())) {
    dm.dmPaperWidth = papers[static_cast<size_t>(paper)].width;
    dm.dmPaperLength = papers[static_cast<size_t>(paper)].length;
    const std::wstring name = papers[static_cast<size_t>(paper)].name;
    const size_t n = std::min<size_t>(name.size(), CCHFORMNAME - 1);
    std::wmemcpy(dm.dmFormName, name.data(), n);
    dm.dmFormName[n] = 0;
  }
  dm.dmOrientation = landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
  if (dpi >= 72 && dpi <= 1200) dm.dmPrintQuality = dm.dmYResolution = static_cast<short>(dpi);
  dm.dmFields |= DM_PAPERWIDTH | DM_PAPERLENGTH | DM_FORMNAME | DM_ORIENTATION | DM_PRINTQUALITY | DM_YRESOLUTION;
}
