#include "PrinterUtil.h"

#include <algorithm>
#include <cwchar>

#include "AppPrinter.h"

std::vector<std::wstring> CPrinterUtil::EnumeratePrinterNames() {
  std::vector<std::wstring> names;
  LwEnumPrinters(&names, nullptr);
  return names;
}

std::wstring CPrinterUtil::GetDeviceName(const DEVMODEW& dm) {
  const wchar_t* end = std::find(dm.dmDeviceName, dm.dmDeviceName + CCHDEVICENAME, L'\0');
  return std::wstring(dm.dmDeviceName, end);
}

int CPrinterUtil::FindDeviceName(const std::vector<std::wstring>& names, const std::wstring& deviceName) {
  if (deviceName.empty()) return -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == deviceName) return static_cast<int>(i);
  if (deviceName.size() < CCHDEVICENAME - 1) return -1;
  int found = -1;
  for (size_t i = 0; i < names.size(); ++i) {
    if (names[i].compare(0, deviceName.size(), deviceName) != 0) continue;
    if (found >= 0) return -1;  // the cut name could be either
    found = static_cast<int>(i);
  }
  return found;
}

bool CPrinterUtil::GetPrinterDevice(const wchar_t* name, DEVMODEW& dm) {
  if (!name || !*name) return false;
  const std::vector<std::wstring> names = EnumeratePrinterNames();
  if (std::find(names.begin(), names.end(), name) == names.end()) return false;
  LwGetPrinterDefaults(name, &dm);
  return true;
}

bool CPrinterUtil::GetSelectedPaperNameSize(const DEVMODEW& dm, std::wstring& name, SIZE& size) {
  short width = dm.dmPaperWidth, length = dm.dmPaperLength;
  if ((dm.dmFields & (DM_PAPERWIDTH | DM_PAPERLENGTH)) != (DM_PAPERWIDTH | DM_PAPERLENGTH)) {
    DEVMODEW defaults{};
    const std::wstring device = GetDeviceName(dm);
    LwGetPrinterDefaults(device.c_str(), &defaults);
    width = defaults.dmPaperWidth;
    length = defaults.dmPaperLength;
  }
  if (width <= 0 || length <= 0) return false;
  size.cx = width;
  size.cy = length;
  const wchar_t* formEnd = std::find(dm.dmFormName, dm.dmFormName + CCHFORMNAME, L'\0');
  if ((dm.dmFields & DM_FORMNAME) && formEnd != dm.dmFormName) {
    name.assign(dm.dmFormName, formEnd);
    return true;
  }
  DEVMODEW probe{};
  probe.dmPaperWidth = width;
  probe.dmPaperLength = length;
  const int known = FindPaperChoice(probe);
  if (known >= 0) {
    name = PaperChoices()[static_cast<size_t>(known)].name;
    return true;
  }
  wchar_t text[64];
  std::swprintf(text, 64, L"%g x %g mm", width / 10.0, length / 10.0);
  name = text;
  return true;
}
