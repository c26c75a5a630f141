// The video object (layout, hit test, stream) and the playback frame sink.
#include <gtest/gtest.h>

#include <afxbinio.h>
#include <clipdeck/Clipdeck.h>
#include <lwstr.h>
#include <quirebook/VideoObj.h>
#include <gdiplus/gdiplus.h>
#include <soundpane/Soundpane.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "TestSupport.h"

using Quirebook::CBaseVideoObj;
using Quirebook::CMyReelpane;

namespace {

CBaseVideoObj MakeVideo(float w, float h) {
  CBaseVideoObj v;
  v.SetVideoObjectSize({w, h});
  v.CreatePathStorage();
  v.RecalcuLayout();
  return v;
}

std::vector<uint8_t> SaveToBytes(CBaseVideoObj& v) {
  CMemFile f;
  v.Save(f, CString(L"2010"));
  const ULONGLONG n = f.GetLength();
  std::vector<uint8_t> bytes(static_cast<size_t>(n));
  f.SeekToBegin();
  f.Read(bytes.data(), static_cast<UINT>(n));
  return bytes;
}

// Loads an object stream after its type word.
int LoadFromBytes(std::vector<uint8_t> bytes, CBaseVideoObj& v) {
  bytes.push_back(0);
  CMemFile f(bytes.data(), static_cast<UINT>(bytes.size() - 1));
  uint32_t type = 0;
  if (!lw::bin::ReadU32(f, type) || type != 4) return -1;
  Vectorloom::CBitmapResObjsList bitmaps;
  return v.Load(f, nullptr, bitmaps, CString(L"2010"));
}

HWND FakeWindow() { return reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234)); }

}  // namespace

TEST(VideoObj, BandIsAFifthOfTheHeightAtMost64) {
  const struct {
    float h, scale, ratio;
  } cases[] = {{400, 1, 0.84f}, {200, 1, 0.8f}, {320, 1, 0.8f}, {200, 2, 0.84f}, {1000, 1, 0.936f}};
  for (const auto& c : cases) {
    CBaseVideoObj v = MakeVideo(100, c.h);
    v.SetTransMatrix(Vectorloom::CQorTransMatrix::Scale(1, c.scale), false);
    v.RecalcuLayout();
    EXPECT_NEAR(v.GetHeightRatio(), c.ratio, 1e-6) << c.h << " x " << c.scale;
  }
}

TEST(VideoObj, HitTestCoversTheLowerBandHalfOpen) {
  CBaseVideoObj v = MakeVideo(100, 200);  // band from 160 to 200
  const struct {
    float x, y;
    bool hit;
  } cases[] = {{0, 160, true},     {99.4f, 199.4f, true}, {99.5f, 170, false}, {50, 199.5f, false},
               {50, 159.4f, false}, {50, 159.5f, true},   {50, 100, false},    {150, 170, false}};
  for (const auto& c : cases) EXPECT_EQ(v.HitTestInnerElements({c.x, c.y}), c.hit) << c.x << "," << c.y;
  v.SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(1000, 50), false);
  EXPECT_TRUE(v.HitTestInnerElements({1010, 215}));
  EXPECT_FALSE(v.HitTestInnerElements({10, 170}));
}

TEST(VideoObj, StreamRoundTripsAndRejectsDamage) {
  for (const std::wstring& path : {std::wstring(L"/home/u/Vid\u00e9os/clip \U0001F600.mp4"), std::wstring()}) {
    CBaseVideoObj v = MakeVideo(320, 240);
    v.SetVideoFullPathName(path);
    v.SetFillColor(0x123456);
    auto* poster = new Vectorloom::CVideoClipResObj();  // posters are made again, never stored
    poster->SetGdiBitmap(new Gdiplus::Bitmap(4, 4), nullptr, 1);
    v.GetFillDefinition().SetRenderBitmap(poster);
    v.SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
    const auto bytes = SaveToBytes(v);
    const std::u16string units = lw::WideToUtf16(path);
    // Tail: f32 width, f32 height, u32 unit count, units.
    const size_t tail = 12 + units.size() * 2;
    ASSERT_GE(bytes.size(), tail);
    EXPECT_EQ(lw::bin::GetLE32(&bytes[bytes.size() - tail + 8]), units.size());
    CBaseVideoObj back;
    ASSERT_EQ(LoadFromBytes(bytes, back), 1);
    EXPECT_EQ(back.GetVideoFullPathName(), path);
    EXPECT_EQ(back.GetVideoObjectSize().cx, 320);
    EXPECT_EQ(back.GetVideoObjectSize().cy, 240);
    EXPECT_EQ(back.GetFillColor(), 0x123456u);
    EXPECT_EQ(back.GetObjectType(), 4);
    EXPECT_EQ(back.GetFillKind(), Vectorloom::RENDER_KIND_BITMAP);
    EXPECT_EQ(back.GetFillDefinition().GetRenderBitmap(), nullptr);

    // Every cut of the stream fails, and so does a count beyond the bytes left.
    for (size_t n = 4; n < bytes.size(); ++n) {
      CBaseVideoObj cut;
      EXPECT_EQ(LoadFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n), cut), 0) << n;
    }
    for (uint32_t count : {0xFFFFFFFFu, 0x80000000u, static_cast<uint32_t>(units.size() + 1)}) {
      auto bad = bytes;
      lw::bin::PutLE32(&bad[bytes.size() - tail + 8], count);
      CBaseVideoObj b;
      EXPECT_EQ(LoadFromBytes(bad, b), 0) << count;
    }
  }
}

// Field order after the shape part: width, height, unit count, path units.
TEST(VideoObj, GoldenOffsetsOfTheSizeAndThePath) {
  CBaseVideoObj v = MakeVideo(320, 240);
  v.SetVideoFullPathName(L"/v/\U0001F600.mp4");
  CMemFile base;
  ASSERT_EQ(v.Vectorloom::CBaseShapeObj::Save(base, CString(L"2010")), 1);
  std::vector<uint8_t> expected(static_cast<size_t>(base.GetLength()));
  base.SeekToBegin();
  base.Read(expected.data(), static_cast<UINT>(expected.size()));
  const uint8_t tail[] = {0x00, 0x00, 0xA0, 0x43, 0x00, 0x00, 0x70, 0x43,  // 320.0f, 240.0f
                          0x09, 0x00, 0x00, 0x00,                          // 9 units
                          '/',  0,    'v',  0,    '/',  0,    0x3D, 0xD8, 0x00, 0xDE,
                          '.',  0,    'm',  0,    'p',  0,    '4',  0};
  expected.insert(expected.end(), tail, tail + sizeof tail);
  EXPECT_EQ(SaveToBytes(v), expected);
}

TEST(VideoObj, ScaleAndResize) {
  CBaseVideoObj v = MakeVideo(100, 50);
  v.SetStrokeWidth(2);
  v.ScaleLengthParam(2.0f, 3.0f);
  EXPECT_EQ(v.GetVideoObjectSize().cx, 200);
  EXPECT_EQ(v.GetVideoObjectSize().cy, 150);
  EXPECT_EQ(v.GetStrokeWidth(), 4);
  v.ResizeObject({10, 20, 410, 420});
  EXPECT_EQ(v.GetVideoObjectSize().cx, 400);
  EXPECT_EQ(v.GetVideoObjectSize().cy, 400);
  EXPECT_NEAR(v.GetHeightRatio(), 0.84f, 1e-6);
  CBaseVideoObj copy;
  copy.Copy(v);
  EXPECT_EQ(copy.GetVideoObjectSize().cx, 400);
}

// The poster is stretched over the box, after the object's transform, and nowhere else; the
// caller's world transform and clip come back unchanged.
TEST(VideoObj, DrawsItsPosterOverTheBox) {
  CBaseVideoObj v = MakeVideo(20, 10);
  v.SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(5, 4), false);
  auto* poster = new Gdiplus::Bitmap(2, 2, Gdiplus::PixelFormat32bppARGB);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) poster->SetPixel(x, y, Gdiplus::Color(255, 0, 200, 0));
  auto* res = new Vectorloom::CVideoClipResObj();
  res->SetGdiBitmap(poster, nullptr, 1);
  v.GetFillDefinition().SetRenderBitmap(res);
  v.SetFillKind(Vectorloom::RENDER_KIND_BITMAP);

  Gdiplus::Bitmap canvas(40, 30, Gdiplus::PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&canvas);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    const Gdiplus::Matrix callers(2, 0, 0, 3, 7, 8);
    g.SetTransform(&callers);
    g.SetClip(Gdiplus::RectF(-10, -10, 100, 100));  // the whole canvas, in the caller's space
    Gdiplus::Matrix view(1, 0, 0, 1, 0, 0);
    v.Draw(&g, view);
    Gdiplus::Matrix after;
    g.GetTransform(&after);
    EXPECT_TRUE(after.Equals(&callers));
    Gdiplus::RectF clip;
    g.GetClipBounds(&clip);
    EXPECT_EQ(clip.X, -10.0f);
    EXPECT_EQ(clip.Y, -10.0f);
    EXPECT_EQ(clip.Width, 100.0f);
    EXPECT_EQ(clip.Height, 100.0f);
  }
  const struct {
    int x, y;
    bool green;
  } probes[] = {{15, 9, true}, {6, 5, true}, {23, 12, true}, {2, 2, false}, {27, 9, false}, {15, 16, false}};
  for (const auto& p : probes) {
    Gdiplus::Color c;
    canvas.GetPixel(p.x, p.y, &c);
    EXPECT_EQ(c.GetR() < 100 && c.GetG() > 150, p.green) << p.x << "," << p.y;
  }
}

TEST(MyReelpane, HeaderOfA3x2Frame) {
  CMyReelpane* sink = new CMyReelpane();
  int type = 0, sub = 7;
  EXPECT_EQ(sink->GetType(&type), 0);
  EXPECT_EQ(type, 1);
  sink->GetSubType(&sub);
  EXPECT_EQ(sub, 0);
  sink->SetVideoSize(3, 2);
  const auto block = sink->GetFrameBlock();
  // Rows of 12 bytes (9 padded to 4): 2 x 12 + 78.
  ASSERT_EQ(block.size(), 102u);
  const uint8_t expected[54] = {'B', 'M', 102, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
                                40, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  EXPECT_TRUE(std::equal(expected, expected + 54, block.begin()));
  int w = 0, h = 0;
  sink->GetVideoSize(&w, &h);
  EXPECT_EQ(w * 10 + h, 32);
  sink->Release();
}

TEST(MyReelpane, ConvertsFlipsAndHandsOverOwnedFrames) {
  std::vector<CMyReelpane::FrameBlock> received;
  CMyReelpane* sink = new CMyReelpane(nullptr, [&](HWND w, CMyReelpane::FrameBlock f) {
    EXPECT_EQ(w, FakeWindow());
    received.push_back(std::move(f));
  });
  // No block yet: frames are ignored.
  const uint8_t y[4] = {235, 235, 16, 16}, u[1] = {128}, v[1] = {128};  // top row white, bottom black
  EXPECT_EQ(sink->RenderFrame(y, u, v, 2), 0);
  EXPECT_TRUE(sink->GetFrameBlock().empty());

  sink->SetVideoSize(2, 2);
  sink->RenderFrame(y, u, v, 2);  // no window: converted, not handed over
  auto block = sink->GetFrameBlock();
  ASSERT_EQ(block.size(), 2u * 8 + 78);
  // Bottom-up: the first row in memory is the black one; white is 253 (vector family).
  const std::vector<uint8_t> row0(block.begin() + 54, block.begin() + 60), row1(block.begin() + 62, block.begin() + 68);
  EXPECT_EQ(row0, std::vector<uint8_t>(6, 0));
  EXPECT_EQ(row1, std::vector<uint8_t>(6, 253));
  EXPECT_TRUE(received.empty());
  EXPECT_FALSE(sink->IsFrameSent());

  sink->Attach(FakeWindow(), 0);
  sink->RenderFrame(y, u, v, 2);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(*received[0], sink->GetFrameBlock());
  EXPECT_TRUE(sink->IsFrameSent());
  sink->RenderFrame(y, u, v, 2);  // the view still holds the last frame: dropped
  EXPECT_EQ(received.size(), 1u);

  const uint8_t red[4] = {81, 81, 81, 81}, ru[1] = {90}, rv[1] = {240};
  received.clear();  // the view lets go
  sink->RenderFrame(red, ru, rv, 2);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ((*received[0])[54], 0);
  EXPECT_EQ((*received[0])[55], 0);
  EXPECT_EQ((*received[0])[56], 253);

  sink->SetVideoSize(2, 2);  // same size: block and sent flag kept
  EXPECT_TRUE(sink->IsFrameSent());
  EXPECT_EQ(sink->GetFrameBlock().size(), 94u);
  sink->SetVideoSize(4, 2);
  EXPECT_FALSE(sink->IsFrameSent());

  // A frame held by the view outlives the sink.
  CMyReelpane::FrameBlock kept = received[0];
  received.clear();
  sink->Detach();
  EXPECT_TRUE(sink->GetFrameBlock().empty());
  sink->Release();
  EXPECT_EQ(kept->size(), 94u);
}

// The player drives the sink from its own thread; the first frame of a test pattern comes through.
TEST(MyReelpane, PlayerDeliversFramesOfAGeneratedClip) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  lwtest::TempDir dir;
  const auto clip = dir / "clip.mp4";
  const std::string cmd = "ffmpeg -v error -y -f lavfi -i color=c=red:size=64x32:rate=10:duration=1 -pix_fmt yuv420p '" +
                          clip.string() + "'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  std::mutex m;
  std::condition_variable cv;
  CMyReelpane::FrameBlock first;
  CBaseVideoObj video;
  video.SetVideoFullPathName(lw::Utf8ToWide(clip.string()));
  double length = -1;
  HAVPLAYER player = Quirebook::StartVideoPlayback(video, FakeWindow(), [&](HWND w, CMyReelpane::FrameBlock f) {
    EXPECT_EQ(w, FakeWindow());
    std::lock_guard<std::mutex> lock(m);
    if (!first) first = std::move(f);
    cv.notify_all();
  }, &length);
  ASSERT_NE(player, nullptr);
  EXPECT_NEAR(length, 1.0, 0.2);
  {
    std::unique_lock<std::mutex> lock(m);
    cv.wait_for(lock, std::chrono::seconds(20), [&] { return first != nullptr; });
  }
  AVPlayerClose(player);
  ASSERT_NE(first, nullptr);
  ASSERT_EQ(first->size(), 32u * CMyReelpane::RowSize(64) + 78);
  EXPECT_EQ(lw::bin::GetLE32(first->data() + 18), 64u);
  // Pure red after the round trip through limited-range 4:2:0: B and G near 0, R near the top.
  const uint8_t* px = first->data() + 54 + 16 * CMyReelpane::RowSize(64) + 32 * 3;
  EXPECT_LE(px[0], 4);
  EXPECT_LE(px[1], 4);
  EXPECT_GE(px[2], 248);
}

TEST(MyReelpane, PlayStartFailsWithoutAPlayableClip) {
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "junk.avi", std::vector<uint8_t>(64, 0x11));
  for (const std::string& path : {std::string("/no/such/clip.mp4"), (dir / "junk.avi").string()}) {
    CBaseVideoObj video;
    video.SetVideoFullPathName(lw::Utf8ToWide(path));
    double length = -1;
    EXPECT_EQ(Quirebook::StartVideoPlayback(video, FakeWindow(), {}, &length), nullptr) << path;  // nothing leaks
    EXPECT_EQ(length, 0.0);
  }
}
