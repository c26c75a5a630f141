// Program-wide state of the application: object names count on per kind over the whole run, and
// the preset gradients every new shape starts from.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "LeafwrightApp.h"

namespace {

TEST(ObjectNameCounters, EachKindCountsOnByItselfFromOne) {
  CObjectNameCounters names;
  struct Step {
    CString (CObjectNameCounters::*next)();
    const wchar_t* expected;
  } steps[] = {
      {&CObjectNameCounters::NextShapeObjectName, L"Shape-1"}, {&CObjectNameCounters::NextShapeObjectName, L"Shape-2"},
      {&CObjectNameCounters::NextTextObjectName, L"Text-1"},   {&CObjectNameCounters::NextImageObjectName, L"Image-1"},
      {&CObjectNameCounters::NextGroupObjectName, L"Group-1"}, {&CObjectNameCounters::NextShapeObjectName, L"Shape-3"},
      {&CObjectNameCounters::NextGroupObjectName, L"Group-2"}, {&CObjectNameCounters::NextTextObjectName, L"Text-2"},
  };
  for (const Step& s : steps) EXPECT_EQ((names.*s.next)(), s.expected);
}

TEST(PresetGradients, EntriesHoldTheirStopsInOrder) {
  const auto presets = MakePresetGradients();
  ASSERT_EQ(static_cast<int>(presets.size()), kPresetGradientCount);
  auto stopsOf = [&](int i) {
    std::vector<std::pair<COLORREF, int>> out;
    RGBQUAD c;
    int pos = -1;
    for (int k = 0; k < presets[i].GetColorStopsCount(); ++k) {
      EXPECT_TRUE(presets[i].GetColorStop(k, c, pos));
      EXPECT_EQ(c.rgbReserved, 255) << i << "/" << k;
      out.emplace_back(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue), pos);  // as stored: 0x00BBGGRR
    }
    return out;
  };
  using Stops = std::vector<std::pair<COLORREF, int>>;
  const struct {
    int entry;
    Stops stops;
  } samples[] = {
      {0, {{0x11D43E, 0}, {0xFFFFFF, 4096}}},
      {1, {{0xFFFFFF, 0}, {0x0072B6, 4096}}},
      {3, {{0xFFFFFF, 0}, {0xE90D87, 4096}}},
      {11, {{0xFFFFFF, 0}, {0xFFF203, 4096}}},
      {14, {{0xFFFFFF, 0}, {0x8078B3, 4096}}},
      {16, {{0xF6F1B2, 0}, {0xCAE3CC, 1228}, {0x98D8E3, 2457}, {0x6AB6CB, 3276}}},
      {28, {{0xFFFFFF, 81}, {0x688634, 491}, {0x0E1406, 3194}, {0x0E1406, 3645}, {0x0E1406, 4096}}},
      {33, {{0xFD7C00, 0}, {0x002874, 4096}}},
  };
  for (const auto& s : samples) EXPECT_EQ(stopsOf(s.entry), s.stops) << s.entry;

  // The forms by range: stop counts and the places the stops stand at.
  auto positions = [&](int i) {
    std::vector<int> p;
    for (const auto& s : stopsOf(i)) p.push_back(s.second);
    return p;
  };
  for (int i = 1; i <= 14; ++i) {
    EXPECT_EQ(positions(i), (std::vector<int>{0, 4096})) << i;
    EXPECT_EQ(stopsOf(i)[0].first, static_cast<COLORREF>(0xFFFFFF)) << i;
  }
  const std::vector<int> five{0, 1024, 2048, 3072, 4096}, six{0, 819, 1638, 2457, 3276, 4096};
  for (int i = 15; i <= 32; ++i) {
    const auto p = positions(i);
    EXPECT_GE(p.size(), 3u) << i;
    EXPECT_LE(p.size(), 6u) << i;
    if (i != 16 && i != 28 && p.size() == 5) EXPECT_EQ(p, five) << i;
    if (p.size() == 6) EXPECT_EQ(p, six) << i;
  }
  for (int i = 33; i <= 37; ++i) EXPECT_EQ(positions(i), (std::vector<int>{0, 4096})) << i;
  for (int i = 38; i <= 40; ++i) EXPECT_EQ(positions(i), (std::vector<int>{0, 2048, 4096})) << i;
  for (int i = 41; i <= 44; ++i) EXPECT_EQ(positions(i), (std::vector<int>{204, 1433, 2662, 3891})) << i;
  EXPECT_EQ(positions(45), (std::vector<int>{0, 614, 1228, 1925, 2621, 3235, 4096}));
  EXPECT_EQ(stopsOf(45).front().first, static_cast<COLORREF>(0xE02181));
  EXPECT_EQ(stopsOf(45).back().first, static_cast<COLORREF>(0xE02181));
  for (int i = 0; i < kPresetGradientCount; ++i) {
    const auto p = positions(i);
    EXPECT_TRUE(std::is_sorted(p.begin(), p.end())) << i;
    EXPECT_GE(p.front(), 0) << i;
    EXPECT_LE(p.back(), 4096) << i;
  }
}

}  // namespace
