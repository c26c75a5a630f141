// Program-wide state of the application: object names count on per kind over the whole run, and
// the preset gradients every new shape starts from.
#include <gtest/gtest.h>

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

TEST(PresetGradients, FirstRunsFromGreenToWhiteAndEveryOneIsUsable) {
  const auto presets = MakePresetGradients();
  ASSERT_EQ(static_cast<int>(presets.size()), kPresetGradientCount);
  RGBQUAD c;
  int pos = -1;
  ASSERT_EQ(presets[0].GetColorStopsCount(), 2);
  ASSERT_TRUE(presets[0].GetColorStop(0, c, pos));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue), static_cast<COLORREF>(0x11D43E));  // as stored: 0x00BBGGRR
  EXPECT_EQ(c.rgbReserved, 255);
  ASSERT_TRUE(presets[0].GetColorStop(1, c, pos));
  EXPECT_EQ(pos, 4096);
  EXPECT_EQ(RGB(c.rgbRed, c.rgbGreen, c.rgbBlue), RGB(255, 255, 255));
  for (size_t i = 0; i < presets.size(); ++i) {
    const int n = presets[i].GetColorStopsCount();
    ASSERT_GE(n, 2) << i;
    ASSERT_TRUE(presets[i].GetColorStop(0, c, pos));
    EXPECT_EQ(pos, 0) << i;
    ASSERT_TRUE(presets[i].GetColorStop(n - 1, c, pos));
    EXPECT_EQ(pos, 4096) << i;
  }
}

}  // namespace
