// Printers and printer device contexts.
//
// A printer context draws into a page of the paper's size at the printer's resolution, with
// every GDI call a memory context takes; EndPage sends the page to the document being printed.
// A document goes to the file named by DOCINFOW::lpszOutput (a PDF file, or PostScript when
// the name ends in ".ps") or, without one, to the CUPS printer the context was made for (as a
// PDF job). Printers and their defaults come from CUPS (libcups, loaded when present): with no
// CUPS or no printer the list is empty, and the paper defaults to Letter or A4 by the locale.
#pragma once

#include <string>
#include <vector>

#include "wingdi.h"

#define CCHDEVICENAME 32
#define CCHFORMNAME 32

// dmFields bits.
#define DM_ORIENTATION 0x00000001u
#define DM_PAPERSIZE 0x00000002u
#define DM_PAPERLENGTH 0x00000004u
#define DM_PAPERWIDTH 0x00000008u
#define DM_COPIES 0x00000100u
#define DM_PRINTQUALITY 0x00000400u
#define DM_YRESOLUTION 0x00002000u
#define DM_FORMNAME 0x00010000u

#define DMORIENT_PORTRAIT 1
#define DMORIENT_LANDSCAPE 2

// The printer settings this layer knows (paper sizes in tenths of a millimetre, resolution in
// dots per inch). Fields not flagged in dmFields take the printer's defaults.
struct DEVMODEW {
  WCHAR dmDeviceName[CCHDEVICENAME];
  DWORD dmFields;
  short dmOrientation;
  short dmPaperLength;
  short dmPaperWidth;
  short dmCopies;
  short dmPrintQuality;  // x resolution
  short dmYResolution;
  WCHAR dmFormName[CCHFORMNAME];
};
typedef DEVMODEW* LPDEVMODEW;

struct DOCINFOW {
  int cbSize;
  LPCWSTR lpszDocName;
  LPCWSTR lpszOutput;  // a file to print to, or null for the printer
  LPCWSTR lpszDatatype;
  DWORD fwType;
};

#define SP_ERROR (-1)

// The resolution a printer context uses when the settings name none.
constexpr int kLwDefaultPrinterDpi = 300;

extern "C" {
// A printer context for `device` (a printer name; it is only looked up when a document goes to
// the printer) with `devMode` (null: the printer's defaults). driver and port are ignored. Null
// when the paper or resolution cannot make a page.
HDC CreateDCW(LPCWSTR driver, LPCWSTR device, LPCWSTR port, const DEVMODEW* devMode);
// A positive job number, or SP_ERROR (no context, a document already open, an output that
// cannot be written, no printer name without an output file).
int StartDocW(HDC hdc, const DOCINFOW* info);
// A white page; > 0, or SP_ERROR outside a document or inside a page.
int StartPage(HDC hdc);
// The page drawn since StartPage joins the document; > 0, or SP_ERROR.
int EndPage(HDC hdc);
// Finishes the document and hands it to its file or printer; > 0, or SP_ERROR (a page left
// open is ended first).
int EndDoc(HDC hdc);
// Drops the document (nothing is written or printed).
int AbortDoc(HDC hdc);
}

// CUPS printers: the names, and the default printer's name (empty when none).
void LwEnumPrinters(std::vector<std::wstring>* names, std::wstring* defaultName);
// The settings of a printer: its default paper when CUPS names one (else by locale), portrait,
// one copy, kLwDefaultPrinterDpi. The name is copied into dmDeviceName (cut to fit).
void LwGetPrinterDefaults(LPCWSTR device, DEVMODEW* out);
// The paper of a locale name such as "en_US.UTF-8" (Letter in the Americas that use it, else
// A4), in tenths of a millimetre; null or empty: the process's locale variables
// (LC_ALL, LC_PAPER, LANG).
void LwDefaultPaperForLocale(const char* locale, short* widthTenthsMm, short* lengthTenthsMm);
// A self-describing media name ("na_letter_8.5x11in", "iso_a4_210x297mm") in tenths of a
// millimetre; false when the name carries no size.
bool LwPaperFromMediaName(const char* media, short* widthTenthsMm, short* lengthTenthsMm);
