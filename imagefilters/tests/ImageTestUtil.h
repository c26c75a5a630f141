// Small builders for image tests: images from rows of pixel values, and pixel reads.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "QorObjImage.h"

namespace pixeltest {

// An image whose pixel (x, y) is rows[y][x] (as SetPixelData takes it).
inline QorPixelmill::CQorObjImage MakeImage(int bits, std::initializer_list<std::initializer_list<DWORD>> rows) {
  const int h = static_cast<int>(rows.size());
  const int w = static_cast<int>(rows.begin()->size());
  QorPixelmill::CQorObjImage img;
  img.Create(w, h, bits, 0);
  int y = 0;
  for (const auto& row : rows) {
    int x = 0;
    for (DWORD v : row) img.SetPixelData(x++, y, v);
    ++y;
  }
  return img;
}

// Every pixel of an image, row by row from the top.
inline std::vector<DWORD> Pixels(const QorPixelmill::CQorObjImage& img) {
  std::vector<DWORD> out;
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) out.push_back(img.GetPixelData(x, y));
  return out;
}

// 0xAARRGGBB as a 32-bit pixel value; 24-bit images use the low three bytes.
constexpr DWORD Argb(int a, int r, int g, int b) {
  return static_cast<DWORD>(b) | static_cast<DWORD>(g) << 8 | static_cast<DWORD>(r) << 16 | static_cast<DWORD>(a) << 24;
}

}  // namespace pixeltest
