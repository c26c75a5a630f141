// Running filters over small images in tests: a case names a filter maker, an input image and the
// pixels expected afterwards.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ImageTestUtil.h"
#include "QorPixelmill.h"

namespace pixeltest {

using Rows = std::vector<std::vector<DWORD>>;
using FilterMaker = std::function<std::unique_ptr<QorPixelmill::CQorInterfacePixelProcess>()>;

template <class F, class... Args>
FilterMaker Make(Args... args) {
  return [=]() { return std::unique_ptr<QorPixelmill::CQorInterfacePixelProcess>(new F(args...)); };
}

inline QorPixelmill::CQorObjImage ImageOf(int bits, const Rows& rows) {
  QorPixelmill::CQorObjImage img;
  img.Create(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), bits, 0);
  for (size_t y = 0; y < rows.size(); ++y)
    for (size_t x = 0; x < rows[y].size(); ++x) img.SetPixelData(static_cast<int>(x), static_cast<int>(y), rows[y][x]);
  return img;
}

inline Rows RowsOf(const QorPixelmill::CQorObjImage& img) {
  Rows out(static_cast<size_t>(img.Height()));
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) out[y].push_back(img.GetPixelData(x, y));
  return out;
}

// A uniform w x h image.
inline Rows Uniform(int w, int h, DWORD v) { return Rows(static_cast<size_t>(h), std::vector<DWORD>(w, v)); }

struct FilterCase {
  std::string name;
  FilterMaker make;
  int bits;
  Rows in;
  Rows out;       // expected pixels; ignored when the run is refused
  int result = 1;  // what the driver returns
};

inline void RunFilterCases(const std::vector<FilterCase>& cases) {
  for (const FilterCase& c : cases) {
    SCOPED_TRACE(c.name);
    QorPixelmill::CQorObjImage img = ImageOf(c.bits, c.in);
    auto filter = c.make();
    EXPECT_EQ(img.SinglePixelProcessProc(*filter, nullptr), c.result);
    const Rows got = RowsOf(img);
    if (c.result == 0) {
      EXPECT_EQ(got, c.in) << "a refused run changes nothing";
    } else {
      ASSERT_EQ(got.size(), c.out.size());
      for (size_t y = 0; y < got.size(); ++y)
        for (size_t x = 0; x < got[y].size(); ++x)
          EXPECT_EQ(got[y][x], c.out[y][x]) << std::hex << "at " << std::dec << x << "," << y;
    }
  }
}

// 0x00RRGGBB of a 24-bit pixel.
constexpr DWORD Rgb(int r, int g, int b) { return Argb(0, r, g, b); }
constexpr DWORD Gray3(int v) { return Rgb(v, v, v); }

}  // namespace pixeltest
