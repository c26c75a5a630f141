// The program's printer: the printers CUPS offers, the one in use and its settings. With no
// printer the settings still name a paper (Letter or A4 by the locale) for the preview.
#pragma once

#include <string>
#include <vector>

#include <winspool.h>

// The two printers that are always there, after the installed ones: they print the sheets into
// a PDF or a PostScript file that the user names.
inline constexpr const wchar_t* kPrintToPdfFile = L"Print to File (PDF)";
inline constexpr const wchar_t* kPrintToPsFile = L"Print to File (PostScript)";
bool IsFilePrinter(const std::wstring& name);

class CAppPrinter {
 public:
  // Reads the printer list (the installed printers, then the two file printers); the default
  // printer (else the first installed one, else the PDF file printer) becomes the one in use.
  void Load();
  // Uses a printer of the list (with its defaults); false for a name not in the list.
  bool Select(const std::wstring& name);
  // Uses a printer with the given settings (the name must be a printer of the list).
  bool Use(const std::wstring& name, const DEVMODEW& dm);

  const std::vector<std::wstring>& Printers() const { return m_printers; }
  const std::wstring& Current() const { return m_current; }
  bool HasPrinter() const { return !m_current.empty(); }
  // Whether some real printer is installed (the file printers are always there).
  bool HasInstalledPrinter() const { return m_nInstalled > 0; }
  bool PrintsToFile() const { return IsFilePrinter(m_current); }
  DEVMODEW& Settings() { return m_dm; }
  // The paper in printer pixels (the paper of the printer when the settings name none).
  SIZE PaperPixels() const;

 private:
  std::vector<std::wstring> m_printers;
  std::wstring m_current;
  size_t m_nInstalled = 0;
  DEVMODEW m_dm{};
};

CAppPrinter& GetAppPrinter();

// The papers offered in the printer's properties (sizes in tenths of a millimetre).
struct PaperChoice {
  const wchar_t* name;
  short width, length;
};
const std::vector<PaperChoice>& PaperChoices();
// The entry of PaperChoices with the settings' paper (either way round), or -1.
int FindPaperChoice(const DEVMODEW& dm);
// Sets the paper, orientation and resolution of dm (all flagged as set); a paper index out of
// range keeps the paper.
void ApplyPrinterChoice(DEVMODEW& dm, int paper, bool landscape, int dpi);
