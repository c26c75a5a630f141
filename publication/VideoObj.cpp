// The video object and the frame sink of in-place playback.
#include "quirebook/VideoObj.h"

#include <afxbinio.h>
#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <reelpane/ColorConv.h>
#include <soundpane/Soundpane.h>
#include <winuser.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace Quirebook {

using Vectorloom::CQorVectorPoint;
using Vectorloom::CQorVectorRect;

namespace {

// The band below the picture is at most this high (page units).
constexpr float kMaxBandHeight = 64.0f;
constexpr float kBandShare = 0.2f;
constexpr float kDefaultHeightRatio = 0.8f;

// Frames above this many pixels a side are refused (no block is made for them).
constexpr int kMaxFrameSide = 16384;
constexpr size_t kBmpHeadersSize = 54;
// How long the player's thread waits for the view to take a frame.
constexpr UINT kFrameSendTimeoutMs = 50;

int TruncToInt(float v) {
  if (!std::isfinite(v)) return 0;
  if (v >= static_cast<float>(std::numeric_limits<int>::max())) return std::numeric_limits<int>::max();
  if (v <= static_cast<float>(std::numeric_limits<int>::min())) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CBaseVideoObj

CBaseVideoObj::CBaseVideoObj() : CBaseShapeObj(Vectorloom::RENDER_OBJ_VIDEO) {}

CBaseVideoObj::~CBaseVideoObj() = default;

Vectorloom::CRenderBaseObj* CBaseVideoObj::Clone() const { return new CBaseVideoObj(*this); }

float CBaseVideoObj::ScaleX() const {
  const auto& m = GetTransMatrix();
  return std::sqrt(m.m11 * m.m11 + m.m12 * m.m12);
}

float CBaseVideoObj::ScaleY() const {
  const auto& m = GetTransMatrix();
  return std::sqrt(m.m21 * m.m21 + m.m22 * m.m22);
}

void CBaseVideoObj::RecalcuLayout() {
  const float h = GetObjectBox().Height() * ScaleY();
  m_fHeightRatio = kDefaultHeightRatio;
  if (h * kBandShare > kMaxBandHeight) m_fHeightRatio = 1.0f - kMaxBandHeight / h;
}

bool CBaseVideoObj::HitTestInnerElements(const CQorVectorPoint<float>& pt) const {
  Vectorloom::CQorTransMatrix inverse = GetTransMatrix();
  if (!inverse.Invert()) return false;
  const CQorVectorPoint<float> p = inverse.Transform(pt);
  const int x = TruncToInt(p.x + 0.5f);
  const int y = TruncToInt(p.y + 0.5f);
  const CQorVectorRect<float> box = GetObjectBox();
  const float sx = ScaleX(), sy = ScaleY();
  const int top = TruncToInt(box.Height() * sy * m_fHeightRatio);
  const int right = TruncToInt(box.Width() * sx);
  const int bottom = TruncToInt(box.Height() * sy);
  return x >= 0 && x < right && y >= top && y < bottom;
}

void CBaseVideoObj::Draw(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix) {
  if (!pGraphics || !GetFillInsideFlag()) return;
  Vectorloom::CBitmapResObj* res = GetFillDefinition().GetRenderBitmap();
  Gdiplus::Bitmap* bitmap = res ? res->GetGdiBitmap() : nullptr;
  if (!bitmap) return;
  Gdiplus::Matrix saved;
  pGraphics->GetTransform(&saved);
  const auto& t = GetTransMatrix();
  Gdiplus::Matrix world(t.m11, t.m12, t.m21, t.m22, t.dx, t.dy);
  world.Multiply(&viewMatrix, Gdiplus::MatrixOrderAppend);
  pGraphics->SetTransform(&world);
  Gdiplus::GraphicsPath path;
  CreateBasePathStorage(path);
  Gdiplus::Region previous;
  pGraphics->GetClip(&previous);
  pGraphics->SetClip(&path, Gdiplus::CombineModeIntersect);
  const CQorVectorRect<float> box = GetObjectBox();
  pGraphics->DrawImage(bitmap, Gdiplus::RectF(0, 0, box.Width(), box.Height()));
  pGraphics->SetClip(&previous, Gdiplus::CombineModeReplace);
  pGraphics->SetTransform(&saved);
}

void CBaseVideoObj::CreateBasePathStorage(Gdiplus::GraphicsPath& path) const {
  path.AddRectangle(Gdiplus::RectF(0, 0, m_size.cx, m_size.cy));
}

void CBaseVideoObj::ResizeObject(const CQorVectorRect<float>& rect) {
  CQorVectorRect<float> target = rect;
  target.Normalize();
  CRenderBaseObj::ResizeObject(target);
  m_size = {target.Width(), target.Height()};
  CreatePathStorage();
  RecalcuLayout();
}

void CBaseVideoObj::ScaleLengthParam(const float& sx, const float& sy) {
  CRenderBaseObj::ScaleLengthParam(sx, sy);
  m_fStrokeWidth *= sx;
  m_size.cx *= sx;
  m_size.cy *= sy;
}

int CBaseVideoObj::Save(CFile& file, const CString& version) {
  using namespace lw::bin;
  if (!CBaseShapeObj::Save(file, version)) return 0;
  WriteF32(file, m_size.cx);
  WriteF32(file, m_size.cy);
  const std::u16string units = lw::WideToUtf16(m_strPath);
  WriteU32(file, static_cast<uint32_t>(units.size()));
  for (char16_t c : units) WriteU16(file, static_cast<uint16_t>(c));
  return 1;
}

int CBaseVideoObj::Load(CFile& file, const Vectorloom::CResourceModule* pModule,
                        Vectorloom::CBitmapResObjsList& bitmaps, const CString& version) {
  using namespace lw::bin;
  if (!CBaseShapeObj::Load(file, pModule, bitmaps, version)) return 0;
  float w = 0, h = 0;
  uint32_t count = 0;
  if (!ReadF32(file, w) || !ReadF32(file, h) || !ReadU32(file, count)) return 0;
  if (!CountFits(file, count, 2)) return 0;
  std::vector<uint8_t> raw(static_cast<size_t>(count) * 2);
  if (count && !ReadBytes(file, raw.data(), raw.size())) return 0;
  std::u16string units;
  units.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    const char16_t c = static_cast<char16_t>(GetLE16(&raw[i * 2]));
    if (c == 0) break;  // the path ends at the first zero unit
    units.push_back(c);
  }
  m_size = {w, h};
  m_strPath = lw::Utf16ToWide(units);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// CMyReelpane

CMyReelpane::CMyReelpane(HWND window, FrameReceiver receiver) : m_hWnd(window), m_receiver(std::move(receiver)) {}

CMyReelpane::~CMyReelpane() = default;

int CMyReelpane::GetType(int* type) {
  if (type) *type = 1;
  return 0;
}

int CMyReelpane::GetSubType(int* value) {
  if (value) *value = 0;
  return 0;
}

int CMyReelpane::GetErrorText(wchar_t*, int) { return 0; }

int CMyReelpane::Release() {
  delete this;
  return 0;
}

int CMyReelpane::SetVideoSize(int width, int height) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (width == m_nWidth && height == m_nHeight) return 0;
  m_nWidth = width;
  m_nHeight = height;
  m_bSent = false;
  std::vector<uint8_t>().swap(m_block);
  if (width <= 0 || height <= 0 || width > kMaxFrameSide || height > kMaxFrameSide) return 0;
  const size_t rowSize = RowSize(width);
  const size_t size = rowSize * static_cast<size_t>(height) + kBmpHeadersSize + 24;
  try {
    m_block.assign(size, 0);
  } catch (const std::bad_alloc&) {
    std::vector<uint8_t>().swap(m_block);
    return 0;
  }
  uint8_t* p = m_block.data();
  p[0] = 'B';
  p[1] = 'M';
  lw::bin::PutLE32(p + 2, static_cast<uint32_t>(size));
  lw::bin::PutLE32(p + 6, 0);
  lw::bin::PutLE32(p + 10, kBmpHeadersSize);
  lw::bin::PutLE32(p + 14, 40);
  lw::bin::PutLE32(p + 18, static_cast<uint32_t>(width));
  lw::bin::PutLE32(p + 22, static_cast<uint32_t>(height));
  lw::bin::PutLE16(p + 26, 1);
  lw::bin::PutLE16(p + 28, 24);
  return 0;
}

int CMyReelpane::GetVideoSize(int* width, int* height) {
  std::lock_guard<std::mutex> lock(m_lock);
  if (width) *width = m_nWidth;
  if (height) *height = m_nHeight;
  return 0;
}

int CMyReelpane::RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) {
  FrameReceiver receiver;
  HWND window = nullptr;
  FrameBlock frame;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_block.empty() || !y || !u || !v || stride < m_nWidth) return 0;
    ConvertYUV420ToRGB24(m_block.data() + kBmpHeadersSize, static_cast<int>(RowSize(m_nWidth)), y, u, v, stride,
                         stride / 2, m_nWidth, m_nHeight, 1);
    if (!m_hWnd || !m_pending.expired()) return 0;
    auto copy = std::make_shared<const std::vector<uint8_t>>(m_block);
    m_pending = copy;
    frame = std::move(copy);
    receiver = m_receiver;
    window = m_hWnd;
    m_bSent = true;
  }
  if (receiver) {
    receiver(window, std::move(frame));
    return 0;
  }
  // The handler runs while we wait, or never: the copy outlives every read of it.
  SendMessageTimeoutW(window, kVideoFrameMessage, 0, reinterpret_cast<LPARAM>(frame->data()),
                      SMTO_BLOCK | SMTO_ABORTIFHUNG, kFrameSendTimeoutMs, nullptr);
  return 0;
}

int CMyReelpane::Attach(HWND window, int) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_hWnd = window;
  return 0;
}

int CMyReelpane::Detach() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_hWnd = nullptr;
  std::vector<uint8_t>().swap(m_block);
  m_nWidth = m_nHeight = 0;
  return 0;
}

int CMyReelpane::SetRenderFlag() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_bRenderFlag = true;
  return 0;
}

void CMyReelpane::SetFrameReceiver(FrameReceiver receiver) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_receiver = std::move(receiver);
}

std::vector<uint8_t> CMyReelpane::GetFrameBlock() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_block;
}

bool CMyReelpane::IsFrameSent() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_bSent;
}

HWND CMyReelpane::GetWindow() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_hWnd;
}

// ---------------------------------------------------------------------------------------------
// Play start

HAVPLAYER StartVideoPlayback(const CBaseVideoObj& video, HWND window, CMyReelpane::FrameReceiver receiver,
                             double* overviewTime) {
  const std::string path = lw::WideToUtf8(video.GetVideoFullPathName());
  double kept = 0.0;
  if (HAVOVERVIEW overview = AVOverviewOpen(path.c_str())) {
    avOverviewInfo info;
    AVGetOverviewInfo(overview, &info, -1.0, 0, 0);
    avOverviewInfo atStart;
    if (AVGetOverviewInfo(overview, &atStart, 0.0, 0, 0)) kept = atStart.duration;
    AVOverviewClose(overview);
  }
  if (overviewTime) *overviewTime = kept;
  auto* sink = new CMyReelpane(window, std::move(receiver));
  HAVPLAYER player = AVPlayerOpen(path.c_str(), sink, CreateAudioRender(0));
  if (player) AVPlayerSetRenderWindow(player, window);
  return player;
}

}  // namespace Quirebook
