// The filter driver and the two bases of the per-pixel filters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "BitmapCreator.h"
#include "BitmapCreatorTesting.h"
#include "ImageTestUtil.h"
#include "QorPixelProcess.h"

using namespace QorPixelmill;
using pixeltest::Argb;
using pixeltest::MakeImage;
using pixeltest::Pixels;

namespace {

// Records every call; ProcessPixel writes x + 10 y into the pixel's first byte.
struct RecordingProcess : CQorInterfacePixelProcess {
  bool accept = true;
  PROCESS_TYPE type = PROCESS_TYPE_SINGLE_PIXEL;
  bool emptyOnEnter = false;
  std::vector<std::string> calls;
  std::vector<BYTE*> pixels;

  bool ValidateColorBits(const CQorObjImage*) override {
    calls.push_back("validate");
    return accept;
  }
  bool ValidateColorBits_Selection(const CQorObjImage*) override { return false; }
  PROCESS_TYPE QueryProcessType() override {
    calls.push_back("type");
    return type;
  }
  void OnEnterProcess(CQorObjImage* image) override {
    calls.push_back("enter");
    if (emptyOnEnter) image->Destroy();
  }
  void ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) override {
    calls.push_back("pixel " + std::to_string(x) + "," + std::to_string(y));
    pixels.push_back(pixel);
    *pixel = static_cast<unsigned char>(x + 10 * y);
  }
  int ProcessWholeImage(CQorObjImage*, CQorCommonProgress*) override {
    calls.push_back("whole");
    return 7;
  }
  void OnLeaveProcess(CQorObjImage*) override { calls.push_back("leave"); }
};

struct RecordingProgress : CQorCommonProgress {
  std::vector<float> reports;
  size_t cancelAfter = 0;  // 0: never
  float SetProgress(float fraction) override {
    reports.push_back(fraction);
    if (cancelAfter && reports.size() >= cancelAfter) m_bInterrupted = true;
    return CQorCommonProgress::SetProgress(fraction);
  }
};

using Calls = std::vector<std::string>;

TEST(QorDriver, CallSequences) {
  struct Case {
    const char* name;
    bool accept;
    int type;
    bool emptyOnEnter;
    size_t cancelAfter;
    int result;
    Calls calls;
    std::vector<float> reports;
  };
  const float r33 = static_cast<float>(33 / 100.0), r66 = static_cast<float>(66 / 100.0);
  const Case cases[] = {
      {"refused", false, 1, false, 0, 0, {"validate"}, {}},
      {"per pixel", true, 1, false, 0, 1,
       {"validate", "enter", "type", "pixel 0,0", "pixel 1,0", "pixel 0,1", "pixel 1,1", "pixel 0,2", "pixel 1,2", "leave"},
       {r33, r66, 1.0f}},
      {"cancelled after the first row", true, 1, false, 1, 0,
       {"validate", "enter", "type", "pixel 0,0", "pixel 1,0", "leave"}, {r33}},
      {"whole image", true, 0, false, 0, 7, {"validate", "enter", "type", "whole", "leave"}, {}},
      {"unknown type", true, 5, false, 0, 1, {"validate", "enter", "type", "leave"}, {}},
      {"image emptied on enter", true, 1, true, 0, 0, {"validate", "enter", "type", "leave"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CQorObjImage img(2, 3, 24);
    RecordingProcess process;
    process.accept = c.accept;
    process.type = static_cast<PROCESS_TYPE>(c.type);
    process.emptyOnEnter = c.emptyOnEnter;
    RecordingProgress progress;
    progress.cancelAfter = c.cancelAfter;
    EXPECT_EQ(img.SinglePixelProcessProc(process, &progress), c.result);
    EXPECT_EQ(process.calls, c.calls);
    EXPECT_EQ(progress.reports, c.reports);
  }
}

TEST(QorDriver, PixelAddressesAndNullProgress) {
  CQorObjImage img(2, 3, 24);
  RecordingProcess process;
  EXPECT_EQ(img.SinglePixelProcessProc(process, nullptr), 1);
  ASSERT_EQ(process.pixels.size(), 6u);
  EXPECT_EQ(process.pixels[0], img.GetBits(0));
  EXPECT_EQ(process.pixels[1], img.GetBits(0) + 3);
  EXPECT_EQ(process.pixels[5], img.GetBits(1, 2));
  EXPECT_EQ(Pixels(img), (std::vector<DWORD>{0, 1, 10, 11, 20, 21}));
}

// ProcessPixel inverts the colour bytes; used through the selection blend of the base.
struct InvertProcess : CQorSinglePixelProcessBase {
  void ProcessPixel(CQorObjImage*, int, int, unsigned char* p) override {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(255 - p[i]);
  }
};

TEST(QorSinglePixelBase, ValidationAndWeightedBlend) {
  InvertProcess invert;
  const int depths[] = {1, 8, 16, 24, 32};
  for (int bits : depths) {
    CQorObjImage img(1, 1, bits);
    EXPECT_EQ(invert.ValidateColorBits(&img), bits >= 24) << bits;
    EXPECT_EQ(invert.ValidateColorBits_Selection(&img), bits == 32) << bits;
  }
  CQorObjImage empty;
  EXPECT_FALSE(invert.ValidateColorBits(&empty));
  EXPECT_FALSE(invert.ValidateColorBits(nullptr));

  struct Case {
    unsigned char weight;
    BYTE in[4], out[4];
  };
  const Case cases[] = {
      {255, {0, 10, 200, 255}, {255, 245, 55, 0}},
      {0, {0, 10, 200, 255}, {0, 10, 200, 255}},
      // (255 x 128 + 0 x 127) / 255 = 128; (245 x 128 + 10 x 127) / 255 = 127; (55 x 128 + 200 x 127) / 255 = 127
      {128, {0, 10, 200, 100}, {128, 127, 127, 127}},
  };
  for (const Case& c : cases) {
    BYTE p[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
    invert.ProcessSelectedPixel(nullptr, 0, 0, p, c.weight);
    EXPECT_EQ(std::vector<BYTE>(p, p + 4), std::vector<BYTE>(c.out, c.out + 4)) << int(c.weight);
  }
}

// Reads the backup's right neighbour while it writes the image.
struct ShiftLeftProcess : CQorPixelBackupProcess {
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* p) override {
    const int sx = x + 1 < image->Width() ? x + 1 : x;
    const DWORD v = m_backup.GetPixelData(sx, y);
    p[0] = static_cast<BYTE>(v);
    p[1] = static_cast<BYTE>(v >> 8);
    p[2] = static_cast<BYTE>(v >> 16);
  }
};

TEST(QorBackupProcess, BackupIsAnOwnedCopyEvenOfAnAttachedImage) {
  BITMAPINFOHEADER* caller = CBitmapCreator::CreateDibImage(3, 1, 24, 0);
  CQorObjImage img;
  img.Attach(caller);
  img.SetPixelData(0, 0, 1);
  img.SetPixelData(1, 0, 2);
  img.SetPixelData(2, 0, 3);
  ShiftLeftProcess shift;
  EXPECT_EQ(img.SinglePixelProcessProc(shift, nullptr), 1);
  EXPECT_EQ(Pixels(img), (std::vector<DWORD>{2, 3, 3}));
  EXPECT_NE(shift.GetBackup().GetMemStart(), img.GetMemStart());
  EXPECT_EQ(Pixels(shift.GetBackup()), (std::vector<DWORD>{1, 2, 3}));
  ShiftLeftProcess copy(shift);
  EXPECT_NE(copy.GetBackup().GetMemStart(), shift.GetBackup().GetMemStart()) << "an owned backup is copied deep";
  img.Destroy();
  delete[] caller;
}

TEST(QorBackupProcess, FailedBackupFailsTheRunAndKeepsTheImage) {
  CQorObjImage img = MakeImage(24, {{1, 2, 3}});
  ShiftLeftProcess shift;
  PixelmillFailNextAllocations(1);
  EXPECT_EQ(img.SinglePixelProcessProc(shift, nullptr), 0);
  PixelmillFailNextAllocations(0);
  EXPECT_EQ(Pixels(img), (std::vector<DWORD>{1, 2, 3}));
  EXPECT_EQ(img.SinglePixelProcessProc(shift, nullptr), 1) << "the next run starts afresh";
}

}  // namespace
