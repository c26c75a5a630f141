// Printer look-ups for the Print page and the printer in use: the printers CUPS offers, the
// printer a settings block belongs to, a printer's default settings and the paper settings
// select. Thin calls over the printer layer (winspool.h); no state of its own.
#pragma once

#include <string>
#include <vector>

#include <windows.h>
#include <winspool.h>

class CPrinterUtil {
 public:
  // The names of every printer, as CUPS lists them.
  static std::vector<std::wstring> EnumeratePrinterNames();
  // The printer named in settings (dmDeviceName up to its first zero); empty for none.
  static std::wstring GetDeviceName(const DEVMODEW& dm);
  // The index in names of the printer settings name: the same name, else the one name that
  // begins with a device name cut to fit its field; -1 when none.
  static int FindDeviceName(const std::vector<std::wstring>& names, const std::wstring& deviceName);
  // The default settings of a printer of the list (its name in dmDeviceName); false, with dm
  // left alone, for a name that is not a printer.
  static bool GetPrinterDevice(const wchar_t* name, DEVMODEW& dm);
  // The paper the settings select, in tenths of a millimetre: their paper width and length when
  // both are flagged, else the paper of the printer they name (else of the locale). Its name is
  // the form name when flagged, else the name of a known paper of that size either way round,
  // else "W x H mm". False when no paper has a size.
  static bool GetSelectedPaperNameSize(const DEVMODEW& dm, std::wstring& name, SIZE& size);
};
