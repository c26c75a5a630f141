// Lookup-table filters: the value each rule gives, with the edges and the bounds that keep the
// tables defined for any argument.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

struct LutCase {
  const char* name;
  FilterMaker make;
  std::vector<std::pair<int, int>> values;  // channel value in -> out, all three channels selected
};

TEST(QorLUTFilters, ValueTables) {
  const double inf = std::numeric_limits<double>::infinity();
  const std::vector<LutCase> cases = {
      {"brightness 50", Make<CQorPixelBrightness>(50, CHANNEL_RGB), {{0, 0}, {3, 1}, {200, 100}, {255, 127}}},
      {"brightness 100 is the identity", Make<CQorPixelBrightness>(100, CHANNEL_RGB), {{0, 0}, {77, 77}, {255, 255}}},
      {"brightness 300 clamps", Make<CQorPixelBrightness>(300, CHANNEL_RGB), {{50, 150}, {86, 255}}},
      {"negative brightness behaves as 0", Make<CQorPixelBrightness>(-20, CHANNEL_RGB), {{0, 0}, {200, 0}, {255, 0}}},
      {"huge brightness saturates", Make<CQorPixelBrightness>(INT_MAX, CHANNEL_RGB), {{0, 0}, {1, 255}, {2, 255}, {255, 255}}},
      {"contrast 50", Make<CQorPixelContrast>(50, CHANNEL_RGB), {{0, 64}, {1, 65}, {127, 128}, {129, 128}, {255, 191}}},
      {"contrast 0 gives 128", Make<CQorPixelContrast>(0, CHANNEL_RGB), {{0, 128}, {255, 128}}},
      {"huge contrast saturates", Make<CQorPixelContrast>(INT_MAX, CHANNEL_RGB), {{0, 0}, {127, 0}, {128, 128}, {130, 255}}},
      {"invert", Make<CQorPixelInvert>(CHANNEL_RGB), {{0, 255}, {100, 155}, {255, 0}}},
      {"gamma 2.2", Make<CQorPixelGamma>(2.2, CHANNEL_RGB), {{0, 0}, {1, 21}, {64, 136}, {128, 186}, {200, 228}, {255, 255}}},
      {"gamma 0.5", Make<CQorPixelGamma>(0.5, CHANNEL_RGB), {{64, 16}, {128, 64}, {200, 157}}},
      {"gamma 1 is the identity", Make<CQorPixelGamma>(1.0, CHANNEL_RGB), {{0, 0}, {1, 1}, {128, 128}, {254, 254}, {255, 255}}},
      {"gamma 0 is the limit towards 0", Make<CQorPixelGamma>(0.0, CHANNEL_RGB), {{0, 0}, {1, 0}, {254, 0}, {255, 255}}},
      {"negative gamma as gamma 0", Make<CQorPixelGamma>(-3.0, CHANNEL_RGB), {{0, 0}, {200, 0}, {255, 255}}},
      {"tiny gamma as gamma 0", Make<CQorPixelGamma>(1e-300, CHANNEL_RGB), {{0, 0}, {1, 0}, {254, 0}, {255, 255}}},
      {"not-a-number gamma as gamma 0", Make<CQorPixelGamma>(std::nan(""), CHANNEL_RGB), {{100, 0}, {255, 255}}},
      {"infinite gamma: every value 255", Make<CQorPixelGamma>(inf, CHANNEL_RGB), {{0, 255}, {1, 255}, {128, 255}, {255, 255}}},
      {"solarize 100", Make<CQorPixelSolarize>(100, CHANNEL_RGB), {{99, 99}, {100, 155}, {255, 0}}},
      {"solarize 0 inverts", Make<CQorPixelSolarize>(0, CHANNEL_RGB), {{0, 255}, {10, 245}, {255, 0}}},
      {"solarize 255 turns only 255", Make<CQorPixelSolarize>(255, CHANNEL_RGB), {{0, 0}, {254, 254}, {255, 0}}},
      {"solarize bounds its threshold", Make<CQorPixelSolarize>(-9, CHANNEL_RGB), {{0, 255}, {255, 0}}},
      {"posterize 4", Make<CQorPixelPosterize>(4, CHANNEL_RGB),
       {{42, 0}, {43, 85}, {127, 85}, {128, 170}, {212, 170}, {213, 255}}},
      {"posterize 2", Make<CQorPixelPosterize>(2, CHANNEL_RGB), {{0, 0}, {127, 0}, {128, 255}, {255, 255}}},
      {"posterize below 3 behaves as 2", Make<CQorPixelPosterize>(-5, CHANNEL_RGB), {{127, 0}, {128, 255}}},
      {"posterize 5", Make<CQorPixelPosterize>(5, CHANNEL_RGB), {{31, 0}, {32, 64}, {100, 128}, {160, 191}, {224, 255}}},
      {"posterize with many levels keeps every value", Make<CQorPixelPosterize>(INT_MAX, CHANNEL_RGB),
       {{0, 0}, {1, 1}, {128, 128}, {254, 254}, {255, 255}}},
  };
  for (const LutCase& c : cases) {
    Rows in(1), out(1);
    for (auto [v, r] : c.values) {
      in[0].push_back(Gray3(v));
      out[0].push_back(Gray3(r));
    }
    RunFilterCases({{c.name, c.make, 24, in, out}});
  }
}

TEST(QorLUTFilters, ChannelsAndAlpha) {
  RunFilterCases({
      {"channel 0 changes nothing", Make<CQorPixelInvert>(static_cast<IMAGE_CHANNEL>(0)), 32,
       {{Argb(9, 10, 20, 30)}}, {{Argb(9, 10, 20, 30)}}},
      {"red only", Make<CQorPixelInvert>(CHANNEL_RED), 32, {{Argb(9, 10, 20, 30)}}, {{Argb(9, 245, 20, 30)}}},
      {"green and blue, alpha untouched", Make<CQorPixelBrightness>(0, static_cast<IMAGE_CHANNEL>(CHANNEL_GREEN | CHANNEL_BLUE)),
       32, {{Argb(9, 10, 20, 30)}}, {{Argb(9, 10, 0, 0)}}},
      {"8-bit images are refused", Make<CQorPixelInvert>(CHANNEL_RGB), 8, {{3}}, {}, 0},
  });
}

TEST(QorLUTFilters, TableRebuiltEachRunAndCopied) {
  CQorPixelPosterize p(4, CHANNEL_RGB);
  CQorObjImage a = ImageOf(24, {{Gray3(43)}});
  ASSERT_EQ(a.SinglePixelProcessProc(p, nullptr), 1);
  EXPECT_EQ(p.GetTable()[213], 255);
  CQorPixelPosterize copy(p);
  EXPECT_EQ(copy.GetTable(), p.GetTable());
  CQorObjImage b = ImageOf(24, {{Gray3(212)}});
  ASSERT_EQ(b.SinglePixelProcessProc(copy, nullptr), 1);
  EXPECT_EQ(b.GetPixelData(0, 0), Gray3(170));
}

}  // namespace
