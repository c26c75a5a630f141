#include "AppPrinter.h"

#include <algorithm>

#include "PrintLayout.h"

void CAppPrinter::Load() {
  std::wstring def;
  LwEnumPrinters(&m_printers, &def);
  m_current = !def.empty() ? def : m_printers.empty() ? std::wstring() : m_printers.front();
  LwGetPrinterDefaults(m_current.c_str(), &m_dm);
}

bool CAppPrinter::Select(const std::wstring& name) {
  if (std::find(m_printers.begin(), m_printers.end(), name) == m_printers.end()) return false;
  m_current = name;
  LwGetPrinterDefaults(m_current.c_str(), &m_dm);
  return true;
}

SIZE CAppPrinter::PaperPixels() const {
  const int dpiX = m_dm.dmPrintQuality > 0 ? m_dm.dmPrintQuality : kLwDefaultPrinterDpi;
  const int dpiY = m_dm.dmYResolution > 0 ? m_dm.dmYResolution : dpiX;
  return PaperSizeInPixels(m_dm.dmPaperWidth, m_dm.dmPaperLength, m_dm.dmOrientation == DMORIENT_LANDSCAPE, dpiX, dpiY);
}

CAppPrinter& GetAppPrinter() {
  static CAppPrinter printer = [] {
    CAppPrinter p;
    p.Load();
    return p;
  }();
  return printer;
}
