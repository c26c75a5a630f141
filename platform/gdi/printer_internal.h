// The printer side of a device context (printer.cpp).
#pragma once

#include <cairo.h>
#include <winspool.h>

#include <string>

namespace lwgdi {

struct PrinterJob {
  DEVMODEW dm{};
  std::wstring device;
  int dpiX = 0, dpiY = 0;
  int width = 0, height = 0;  // the page in printer pixels
  double widthPt = 0, heightPt = 0;
  // The open document, if any.
  cairo_surface_t* surface = nullptr;
  std::string path;
  std::string title;
  bool toPrinter = false;
  bool inPage = false;
  bool failed = false;
  int pages = 0;
};

// Null when the settings make no page.
PrinterJob* NewPrinterJob(LPCWSTR device, const DEVMODEW* devMode);
// Drops an open document (its file too when it was bound for a printer).
void DeletePrinterJob(PrinterJob* job);

}  // namespace lwgdi
