// Photographs of the whole virtual screen in the program's window tests, written to the build
// tree's screenshots/, and the contrast of what a rectangle of one of them shows.
#pragma once

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>

#include <afxwin.h>

#include "QorpDrawHelpers.h"

namespace screenphoto {

// The root window photographed into screenshots/<name>; the path either way.
inline std::string Screenshot(const std::string& name) {
  const std::string dir = LW_SCREENSHOT_DIR;
  std::filesystem::create_directories(dir);
  const std::string path = dir + "/" + name;
  const std::string cmd = "import -window root '" + path + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "no screenshot %s\n", name.c_str());
  return path;
}

// In a screenshot, the strongest contrast within the rectangle against its most common colour.
inline double InkContrast(const std::string& png, const CRect& rc) {
  std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromFile(lw::Utf8ToWide(png).c_str()));
  if (!bmp || bmp->GetLastStatus() != Gdiplus::Ok) return 0;
  std::map<COLORREF, int> counts;
  std::vector<COLORREF> pixels;
  for (int y = std::max<LONG>(0, rc.top); y < std::min<LONG>(rc.bottom, bmp->GetHeight()); ++y)
    for (int x = std::max<LONG>(0, rc.left); x < std::min<LONG>(rc.right, bmp->GetWidth()); ++x) {
      Gdiplus::Color c;
      bmp->GetPixel(x, y, &c);
      const COLORREF clr = RGB(c.GetR(), c.GetG(), c.GetB());
      ++counts[clr];
      pixels.push_back(clr);
    }
  COLORREF back = 0;
  int most = -1;
  for (auto& [clr, n] : counts)
    if (n > most) most = n, back = clr;
  double best = 1.0;
  for (COLORREF c : pixels) best = std::max(best, CQORPDrawHelpers::ContrastRatio(c, back));
  return best;
}

}  // namespace screenphoto
