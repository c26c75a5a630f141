// Photographs of the program's dialogs in the window tests: the dialog drawn by the desktop
// toolkit into an image and written to the build tree's screenshots/, with the contrast of the
// texts of chosen controls measured on it.
#pragma once

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <cairo.h>

#include <wx/filename.h>
#include <wx/window.h>

#include <afxwin.h>

#include "GuiTestHarness.h"

namespace dlgphoto {

inline double Luminance(COLORREF c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}
inline double Contrast(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The dialog drawn by the desktop toolkit into an image (a screen grab would race the X
// server), written as a PNG. With pInk: for each control id, the contrast of its text against
// its background (the strongest against the most common colour inside the control).
inline bool Photograph(CDialog* p, const std::string& name, std::map<int, double>* pInk = nullptr) {
  wxWindow* w = p->GetWxWindow();
  w->Refresh();
  w->Update();
  guitest::PumpUntil([] { return false; }, 300);
  using PFN_DRAW = void (*)(void*, cairo_t*);
  static auto draw = reinterpret_cast<PFN_DRAW>(dlsym(RTLD_DEFAULT, "gtk_widget_draw"));
  if (!draw || !w->GetHandle()) return false;
  const wxSize size = w->GetSize();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.x, size.y);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 0, 1);  // anything left unpainted shows up magenta
  cairo_paint(cr);
  draw(w->GetHandle(), cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  if (pInk) {
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (auto& [id, contrast] : *pInk) {
      wxWindow* c = p->GetDlgItem(id)->GetWxWindow();
      const wxPoint at = c->GetScreenPosition() - w->GetScreenPosition();
      const wxSize cs = c->GetSize();
      std::map<COLORREF, int> counts;
      std::vector<COLORREF> pixels;
      for (int y = std::max(0, at.y + 2); y < std::min(size.y, at.y + cs.y - 2); ++y)
        for (int x = std::max(0, at.x + 2); x < std::min(size.x, at.x + cs.x - 2); ++x) {
          const uint32_t px = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
          const COLORREF clr = RGB((px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
          ++counts[clr];
          pixels.push_back(clr);
        }
      COLORREF back = 0;
      int best = -1;
      for (auto& [clr, n] : counts)
        if (n > best) best = n, back = clr;
      contrast = 1.0;
      for (COLORREF clr : pixels) contrast = std::max(contrast, Contrast(clr, back));
    }
  }
  wxFileName::Mkdir(LW_SCREENSHOT_DIR, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  const std::string path = std::string(LW_SCREENSHOT_DIR) + "/" + name + ".png";
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

}  // namespace dlgphoto
