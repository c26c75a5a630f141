#include <gtest/gtest.h>

#include <vector>

#include "QorProgress.h"

namespace {

TEST(QorProgress, RangeArithmetic) {
  struct Step {
    char op;  // 'u' push, 'o' pop, 's' set
    float value;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    float offset;     // offset afterwards
    float report;     // SetProgress(at) afterwards
    float at;
  };
  const Case cases[] = {
      {"fresh", {}, 0.0f, 0.5f, 0.5f},
      {"after a closed range", {{'u', 0.6f}, {'o', 0}, {'u', 0.15f}}, 0.6f, 0.75f, 1.0f},
      {"nested ranges multiply", {{'u', 0.5f}, {'u', 0.5f}, {'o', 0}}, 0.25f, 0.25f, 0.0f},
      {"pop on a fresh object", {{'o', 0}}, 1.0f, 1.5f, 0.5f},
      {"extra pops count 1.0 each", {{'o', 0}, {'o', 0}}, 2.0f, 2.0f, 0.0f},
      {"first of two ranges", {{'u', 0.8f}}, 0.0f, 0.4f, 0.5f},
      {"second of two ranges", {{'u', 0.8f}, {'o', 0}, {'u', 0.2f}}, 0.8f, 0.9f, 0.5f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CQorCommonProgress p;
    for (const Step& s : c.steps) {
      if (s.op == 'u') p.PushRange(s.value);
      if (s.op == 'o') p.PopRange();
    }
    EXPECT_FLOAT_EQ(p.m_fOffset, c.offset);
    EXPECT_FLOAT_EQ(p.SetProgress(c.at), c.report);
    EXPECT_EQ(p.m_fScale, 1.0f);
    EXPECT_FALSE(p.m_bInterrupted);
  }
}

TEST(QorProgress, WorkedExampleMapsEndsExactly) {
  CQorCommonProgress p;
  p.PushRange(0.8f);
  EXPECT_EQ(p.SetProgress(0.0f), 0.0f);
  EXPECT_EQ(p.SetProgress(1.0f), 0.8f);
  p.PopRange();
  p.PushRange(0.2f);
  EXPECT_EQ(p.SetProgress(0.0f), 0.8f);
  EXPECT_FLOAT_EQ(p.SetProgress(1.0f), 1.0f);
  // float steps: (0.2 x 0.5) + 0.8 rounded to float at each step
  EXPECT_EQ(p.SetProgress(0.5f), (0.2f * 0.5f) + 0.8f);
}

struct FakeStatusBar : CQorProgressStatusBar {
  bool hasPane = true;
  std::vector<int> positions;
  int repaints = 0, shown = 0, hidden = 0;
  const CString* message = nullptr;
  void ShowProgress(const CString* m) override {
    ++shown;
    message = m;
  }
  void HideProgress() override { ++hidden; }
  bool SetProgressPanePos(int paneId, int position) override {
    if (!hasPane || paneId != 1022) return false;
    positions.push_back(position);
    return true;
  }
  void UpdateWindow() override { ++repaints; }
};

TEST(QorProgress, StatusBarPercent) {
  struct Case {
    float fraction;
    int shown;
  };
  const Case cases[] = {{0.125f, 13}, {0.004f, 0}, {0.999f, 100}, {0.0f, 0}, {1.0f, 100}, {1.7f, 100}, {-0.2f, 0}};
  const CString* message = reinterpret_cast<const CString*>(&cases);  // borrowed, never read here
  for (const Case& c : cases) {
    FakeStatusBar bar;
    CLocalIOProgress p(message, &bar);
    p.Begin();
    EXPECT_EQ(p.SetProgress(c.fraction), c.fraction);
    p.End();
    ASSERT_EQ(bar.positions.size(), 1u);
    EXPECT_EQ(bar.positions[0], c.shown) << c.fraction;
    EXPECT_EQ(bar.repaints, 1);
    EXPECT_EQ(bar.shown, 1);
    EXPECT_EQ(bar.hidden, 1);
    EXPECT_EQ(bar.message, message);
  }
}

TEST(QorProgress, MissingPaneOrBarStillReportsTheFraction) {
  FakeStatusBar bar;
  bar.hasPane = false;
  CLocalIOProgress p(nullptr, &bar);
  p.PushRange(0.5f);
  EXPECT_EQ(p.SetProgress(0.5f), 0.25f);
  EXPECT_TRUE(bar.positions.empty());
  CLocalIOProgress silent(nullptr);
  silent.Begin();
  EXPECT_EQ(silent.SetProgress(0.5f), 0.5f);
  silent.End();
}

}  // namespace
