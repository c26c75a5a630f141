// Printer contexts over a page bitmap, documents written through cairo's PDF and PostScript
// surfaces, and CUPS (loaded with dlopen, so that the layer runs where CUPS is missing).
#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <string>

#include <winspool.h>

#include "gdi_internal.h"
#include "printer_internal.h"

namespace {

std::string ToUtf8(const std::wstring& w) {
  std::string out;
  for (wchar_t c : w) {
    const uint32_t u = static_cast<uint32_t>(c);
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x110000) {
      out += static_cast<char>(0xF0 | (u >> 18));
      out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::wstring FromUtf8(const char* s) {
  std::wstring out;
  if (!s) return out;
  const auto* p = reinterpret_cast<const unsigned char*>(s);
  while (*p) {
    uint32_t c = *p++;
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    if (more) c &= 0x3F >> more;
    for (; more > 0 && (*p & 0xC0) == 0x80; --more) c = (c << 6) | (*p++ & 0x3F);
    out += static_cast<wchar_t>(c);
  }
  return out;
}

// The parts of the CUPS client library used here, as its documented C interface gives them.
struct CupsOption {
  char* name;
  char* value;
};
struct CupsDest {
  char* name;
  char* instance;
  int is_default;
  int num_options;
  CupsOption* options;
};
struct Cups {
  int (*getDests)(CupsDest**) = nullptr;
  void (*freeDests)(int, CupsDest*) = nullptr;
  int (*printFile)(const char*, const char*, const char*, int, CupsOption*) = nullptr;
  const char* (*getOption)(const char*, int, CupsOption*) = nullptr;
  bool ok = false;
};

const Cups& CupsLibrary() {
  static Cups cups = [] {
    Cups c;
    void* lib = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return c;
    c.getDests = reinterpret_cast<decltype(c.getDests)>(dlsym(lib, "cupsGetDests"));
    c.freeDests = reinterpret_cast<decltype(c.freeDests)>(dlsym(lib, "cupsFreeDests"));
    c.printFile = reinterpret_cast<decltype(c.printFile)>(dlsym(lib, "cupsPrintFile"));
    c.getOption = reinterpret_cast<decltype(c.getOption)>(dlsym(lib, "cupsGetOption"));
    c.ok = c.getDests && c.freeDests && c.printFile && c.getOption;
    return c;
  }();
  return cups;
}

void CopyName(WCHAR* dst, size_t n, const std::wstring& src) {
  const size_t len = std::min(src.size(), n - 1);
  std::wmemcpy(dst, src.data(), len);
  dst[len] = 0;
}

}  // namespace

void LwEnumPrinters(std::vector<std::wstring>* names, std::wstring* defaultName) {
  if (names) names->clear();
  if (defaultName) defaultName->clear();
  const Cups& cups = CupsLibrary();
  if (!cups.ok) return;
  CupsDest* dests = nullptr;
  const int n = cups.getDests(&dests);
  for (int i = 0; i < n && dests; ++i) {
    if (dests[i].instance) continue;  // one entry per queue
    const std::wstring name = FromUtf8(dests[i].name);
    if (names) names->push_back(name);
    if (defaultName && dests[i].is_default) *defaultName = name;
  }
  if (dests) cups.freeDests(n, dests);
}

bool LwPaperFromMediaName(const char* media, short* widthTenthsMm, short* lengthTenthsMm) {
  if (!media) return false;
  const std::string s(media);
  const size_t us = s.rfind('_');
  const std::string dims = us == std::string::npos ? s : s.substr(us + 1);
  double w = 0, l = 0;
  char unit[4] = {};
  if (std::sscanf(dims.c_str(), "%lfx%lf%3s", &w, &l, unit) != 3) return false;
  double tenths = 0;
  if (std::strcmp(unit, "in") == 0) tenths = 254.0;
  else if (std::strcmp(unit, "mm") == 0) tenths = 10.0;
  else return false;
  const double tw = std::round(w * tenths), tl = std::round(l * tenths);
  if (!(tw >= 1 && tl >= 1 && tw <= 32767 && tl <= 32767)) return false;
  *widthTenthsMm = static_cast<short>(tw);
  *lengthTenthsMm = static_cast<short>(tl);
  return true;
}

void LwDefaultPaperForLocale(const char* locale, short* widthTenthsMm, short* lengthTenthsMm) {
  std::string name = locale ? locale : "";
  if (name.empty()) {
    for (const char* var : {"LC_ALL", "LC_PAPER", "LANG"}) {
      const char* v = std::getenv(var);
      if (v && *v) {
        name = v;
        break;
      }
    }
  }
  // The territory follows the underscore: "en_US.UTF-8" -> "US".
  std::string territory;
  const size_t us = name.find('_');
  if (us != std::string::npos) territory = name.substr(us + 1, 2);
  static const char* const kLetter[] = {"US", "CA", "MX", "PH", "CL", "CO", "VE", "CR",
                                        "GT", "PA", "SV", "DO", "PR", "NI"};
  const bool letter = std::any_of(std::begin(kLetter), std::end(kLetter), [&](const char* t) { return territory == t; });
  *widthTenthsMm = letter ? 2159 : 2100;
  *lengthTenthsMm = letter ? 2794 : 2970;
}

void LwGetPrinterDefaults(LPCWSTR device, DEVMODEW* out) {
  if (!out) return;
  *out = DEVMODEW{};
  CopyName(out->dmDeviceName, CCHDEVICENAME, device ? device : L"");
  LwDefaultPaperForLocale(nullptr, &out->dmPaperWidth, &out->dmPaperLength);
  out->dmOrientation = DMORIENT_PORTRAIT;
  out->dmCopies = 1;
  out->dmPrintQuality = kLwDefaultPrinterDpi;
  out->dmYResolution = kLwDefaultPrinterDpi;
  std::wstring form = out->dmPaperWidth == 2159 ? L"Letter" : L"A4";
  const Cups& cups = CupsLibrary();
  if (device && *device && cups.ok) {
    CupsDest* dests = nullptr;
    const int n = cups.getDests(&dests);
    const std::string want = ToUtf8(device);
    for (int i = 0; i < n && dests; ++i) {
      if (dests[i].instance || !dests[i].name || want != dests[i].name) continue;
      const char* media = cups.getOption("media", dests[i].num_options, dests[i].options);
      if (LwPaperFromMediaName(media, &out->dmPaperWidth, &out->dmPaperLength)) form = FromUtf8(media);
      break;
    }
    if (dests) cups.freeDests(n, dests);
  }
  CopyName(out->dmFormName, CCHFORMNAME, form);
  out->dmFields = DM_ORIENTATION | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_PRINTQUALITY | DM_YRESOLUTION |
                  DM_FORMNAME;
}

namespace lwgdi {

PrinterJob* NewPrinterJob(LPCWSTR device, const DEVMODEW* devMode) {
  DEVMODEW defaults;
  LwGetPrinterDefaults(device, &defaults);
  DEVMODEW dm = defaults;
  if (devMode) {
    const DWORD f = devMode->dmFields;
    if (f & DM_ORIENTATION) dm.dmOrientation = devMode->dmOrientation;
    if (f & DM_PAPERWIDTH) dm.dmPaperWidth = devMode->dmPaperWidth;
    if (f & DM_PAPERLENGTH) dm.dmPaperLength = devMode->dmPaperLength;
    if (f & DM_COPIES) dm.dmCopies = devMode->dmCopies;
    if (f & DM_PRINTQUALITY) dm.dmPrintQuality = devMode->dmPrintQuality;
    if (f & DM_YRESOLUTION) dm.dmYResolution = devMode->dmYResolution;
    if (f & DM_FORMNAME) std::wmemcpy(dm.dmFormName, devMode->dmFormName, CCHFORMNAME);
    dm.dmFormName[CCHFORMNAME - 1] = 0;
  }
  const int dpiX = dm.dmPrintQuality > 0 ? dm.dmPrintQuality : kLwDefaultPrinterDpi;
  const int dpiY = dm.dmYResolution > 0 ? dm.dmYResolution : dpiX;
  if (dm.dmPaperWidth <= 0 || dm.dmPaperLength <= 0 || dpiX > 2400 || dpiY > 2400) return nullptr;
  double w = dm.dmPaperWidth / 254.0 * dpiX, h = dm.dmPaperLength / 254.0 * dpiY;
  if (dm.dmOrientation == DMORIENT_LANDSCAPE) std::swap(w, h);
  auto* job = new PrinterJob;
  job->dm = dm;
  job->device = device ? device : L"";
  job->dpiX = dpiX;
  job->dpiY = dpiY;
  job->width = std::max(1, static_cast<int>(w));
  job->height = std::max(1, static_cast<int>(h));
  // Points of the paper (1/72 inch).
  job->widthPt = dm.dmPaperWidth / 254.0 * 72.0;
  job->heightPt = dm.dmPaperLength / 254.0 * 72.0;
  if (dm.dmOrientation == DMORIENT_LANDSCAPE) std::swap(job->widthPt, job->heightPt);
  return job;
}

void EndJobSurface(PrinterJob* job) {
  if (job->surface) {
    cairo_surface_finish(job->surface);
    cairo_surface_destroy(job->surface);
    job->surface = nullptr;
  }
}

void DeletePrinterJob(PrinterJob* job) {
  if (!job) return;
  if (job->surface) {
    EndJobSurface(job);
    if (job->toPrinter || job->failed) std::remove(job->path.c_str());
  }
  delete job;
}

}  // namespace lwgdi

using namespace lwgdi;

namespace {

DC* PrinterDC(HDC hdc) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  return dc && dc->printer ? dc : nullptr;
}

void ClearPage(DC& dc) {
  Bitmap& bm = *dc.bitmap;
  for (int y = 0; y < bm.height; ++y) std::memset(bm.Row(y), 0xFF, bm.stride);
}

}  // namespace

extern "C" {

int StartDocW(HDC hdc, const DOCINFOW* info) {
  DC* dc = PrinterDC(hdc);
  if (!dc || dc->printer->surface) return SP_ERROR;
  PrinterJob& job = *dc->printer;
  const bool toFile = info && info->lpszOutput && *info->lpszOutput;
  if (toFile) {
    job.path = ToUtf8(info->lpszOutput);
    job.toPrinter = false;
  } else {
    if (job.device.empty() || !CupsLibrary().ok) return SP_ERROR;
    char tmpl[] = "/tmp/leafwright-print-XXXXXX";
    const int fd = mkstemp(tmpl);
    if (fd < 0) return SP_ERROR;
    close(fd);
    job.path = tmpl;
    job.toPrinter = true;
  }
  job.title = info && info->lpszDocName ? ToUtf8(info->lpszDocName) : std::string("Leafwright");
  const bool ps = job.path.size() > 3 && job.path.compare(job.path.size() - 3, 3, ".ps") == 0;
  job.surface = ps ? cairo_ps_surface_create(job.path.c_str(), job.widthPt, job.heightPt)
                   : cairo_pdf_surface_create(job.path.c_str(), job.widthPt, job.heightPt);
  if (cairo_surface_status(job.surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(job.surface);
    job.surface = nullptr;
    if (job.toPrinter) std::remove(job.path.c_str());
    return SP_ERROR;
  }
  if (!ps) cairo_pdf_surface_set_metadata(job.surface, CAIRO_PDF_METADATA_TITLE, job.title.c_str());
  job.inPage = false;
  job.failed = false;
  job.pages = 0;
  static std::atomic<int> jobs{0};
  return ++jobs;
}

int StartPage(HDC hdc) {
  DC* dc = PrinterDC(hdc);
  if (!dc || !dc->printer->surface || dc->printer->inPage) return SP_ERROR;
  ClearPage(*dc);
  dc->printer->inPage = true;
  return 1;
}

int EndPage(HDC hdc) {
  DC* dc = PrinterDC(hdc);
  if (!dc || !dc->printer->surface || !dc->printer->inPage) return SP_ERROR;
  PrinterJob& job = *dc->printer;
  Bitmap& bm = *dc->bitmap;
  job.inPage = false;
  // The page bitmap is 32-bit 0x00RRGGBB, top-down: cairo's RGB24 layout.
  cairo_surface_t* img = cairo_image_surface_create_for_data(bm.bits, CAIRO_FORMAT_RGB24, bm.width, bm.height,
                                                             static_cast<int>(bm.stride));
  cairo_t* cr = cairo_create(job.surface);
  cairo_scale(cr, 72.0 / job.dpiX, 72.0 / job.dpiY);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_show_page(cr);
  const bool ok = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_destroy(img);
  if (!ok) {
    job.failed = true;
    return SP_ERROR;
  }
  ++job.pages;
  return 1;
}

int EndDoc(HDC hdc) {
  DC* dc = PrinterDC(hdc);
  if (!dc || !dc->printer->surface) return SP_ERROR;
  PrinterJob& job = *dc->printer;
  if (job.inPage) EndPage(hdc);
  const bool ok = !job.failed && cairo_surface_status(job.surface) == CAIRO_STATUS_SUCCESS;
  EndJobSurface(&job);
  if (!ok) {
    std::remove(job.path.c_str());
    return SP_ERROR;
  }
  if (!job.toPrinter) return 1;
  const Cups& cups = CupsLibrary();
  const std::string copies = std::to_string(std::max<int>(1, job.dm.dmCopies));
  CupsOption options[] = {{const_cast<char*>("copies"), const_cast<char*>(copies.c_str())}};
  const int id = cups.printFile(ToUtf8(job.device).c_str(), job.path.c_str(), job.title.c_str(), 1, options);
  std::remove(job.path.c_str());
  return id > 0 ? id : SP_ERROR;
}

int AbortDoc(HDC hdc) {
  DC* dc = PrinterDC(hdc);
  if (!dc || !dc->printer->surface) return SP_ERROR;
  dc->printer->failed = true;
  EndJobSurface(dc->printer);
  std::remove(dc->printer->path.c_str());
  dc->printer->inPage = false;
  return 1;
}

}  // extern "C"
