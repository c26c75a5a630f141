// Video objects on pages and the frame sink of in-place playback.
//
// CBaseVideoObj is a rectangular shape (type word 4) that shows a poster picture (its fill
// picture, fill kind 3) and remembers the clip's file. Its stream, after the shape part:
// f32 video width, f32 video height, u32 path length in UTF-16 units, then the units (no
// terminator). Posters are never stored: they are made again from the clip.
//
// CMyReelpane is the frame sink handed to the player (which owns it from then on and calls it
// from its own thread). Each frame is converted into a 24-bit bottom-up bitmap laid out as a BMP
// file image ("BM" header, BITMAPINFOHEADER, rows), and a copy of that block goes to the view:
// message kVideoFrameMessage (wParam 0, lParam the block's first byte) sent to the attached window
// with SendMessageTimeoutW (50 ms). The copy lives until the send returns; the window layer
// either runs the handler within that time (the sender waits while it runs) or cancels the
// message, so the handler reads a block nobody writes and must take what it needs before it
// returns. A frame receiver set on the sink takes the frames instead (it then owns its copy).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <clipdeck/Clipdeck.h>
#include <reelpane/IReelpane.h>
#include <vectorloom/ShapeObj.h>
#include <vectorloom/VectorTypes.h>

namespace Quirebook {

class CBaseVideoObj : public Vectorloom::CBaseShapeObj {
 public:
  CBaseVideoObj();
  CBaseVideoObj(const CBaseVideoObj& other) = default;
  CBaseVideoObj& operator=(const CBaseVideoObj& other) = default;
  ~CBaseVideoObj() override;

  Vectorloom::CRenderBaseObj* Clone() const override;
  // The fill picture stretched over (0, 0, box width, box height), clipped to the object's path
  // (object matrix, then viewMatrix); the graphics' world transform and clip are restored
  // afterwards.
  void Draw(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix) override;
  // True in the lower band of the box (left and top inclusive, right and bottom exclusive).
  bool HitTestInnerElements(const Vectorloom::CQorVectorPoint<float>& pt) const override;
  int Save(CFile& file, const CString& version) override;
  // 0 when the stream is short or its path length does not fit in what is left of the file.
  int Load(CFile& file, const Vectorloom::CResourceModule* pModule, Vectorloom::CBitmapResObjsList& bitmaps,
           const CString& version) override;
  void ResizeObject(const Vectorloom::CQorVectorRect<float>& rect) override;
  void ScaleLengthParam(const float& sx, const float& sy) override;
  // One rectangle (0, 0, video width, video height).
  void CreateBasePathStorage(Gdiplus::GraphicsPath& path) const override;

  const std::wstring& GetVideoFullPathName() const { return m_strPath; }
  void SetVideoFullPathName(const std::wstring& path) { m_strPath = path; }
  void SetVideoFullPathName(const wchar_t* path) { m_strPath = path ? path : L""; }
  Vectorloom::CQorVectorSize<float> GetVideoObjectSize() const { return m_size; }
  void SetVideoObjectSize(const Vectorloom::CQorVectorSize<float>& size) { m_size = size; }
  float GetHeightRatio() const { return m_fHeightRatio; }
  // The lower band takes 20 % of the displayed height, at most 64 units.
  void RecalcuLayout();
  void Copy(const CBaseVideoObj& other) { *this = other; }

 private:
  // Horizontal and vertical scale of the object's transform.
  float ScaleX() const;
  float ScaleY() const;

  std::wstring m_strPath;
  Vectorloom::CQorVectorSize<float> m_size;
  float m_fHeightRatio = 0.8f;
};

// Message number the view receives frames under (wParam 0, lParam the frame block).
inline constexpr UINT kVideoFrameMessage = 2101;

class CMyReelpane final : public IReelpane {
 public:
  using FrameBlock = std::shared_ptr<const std::vector<uint8_t>>;
  // Called on the player's thread with the target window and a frame block of its own; without
  // one, frames go to the window as messages.
  using FrameReceiver = std::function<void(HWND window, FrameBlock frame)>;

  explicit CMyReelpane(HWND window = nullptr, FrameReceiver receiver = {});

  int GetType(int* type) override;  // writes 1
  int GetSubType(int* value) override;  // writes 0
  int GetErrorText(wchar_t* buffer, int length) override;
  int Release() override;  // deletes the sink
  // Nothing when the size is unchanged; otherwise a new block with its headers (none for an
  // empty or oversized picture), and the sent flag cleared.
  int SetVideoSize(int width, int height) override;
  int GetVideoSize(int* width, int* height) override;
  // Converts the frame into the block (bottom-up rows) and, when a window is attached and the
  // previous copy has been let go, hands a copy to the receiver or sends it to the window.
  // Ignored without a block.
  int RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) override;
  // Keeps the window (a null handle detaches); the mode is not used.
  int Attach(HWND window, int mode) override;
  // Drops the window and the block.
  int Detach() override;
  int SetRenderFlag() override;

  void SetFrameReceiver(FrameReceiver receiver);
  // A copy of the current block (empty without one).
  std::vector<uint8_t> GetFrameBlock() const;
  bool IsFrameSent() const;
  HWND GetWindow() const;

  // Bytes of one 24-bit row, padded to 4 bytes.
  static size_t RowSize(int width) { return ((24 * static_cast<size_t>(width) + 31) / 32) * 4; }

 private:
  ~CMyReelpane();

  mutable std::mutex m_lock;
  HWND m_hWnd = nullptr;
  FrameReceiver m_receiver;
  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<uint8_t> m_block;
  std::weak_ptr<const std::vector<uint8_t>> m_pending;
  bool m_bSent = false;
  bool m_bRenderFlag = false;
};

// Play start of in-place playback: an overview of the object's clip at times -1.0 and 0.0 (no
// poster asked), then a player with a new sink for `window` (frames go to `receiver`), attached
// to that window. Null when the player cannot be opened; the player has then already released
// the sink and the audio renderer. Without a receiver the frames reach the window as messages
// kVideoFrameMessage. `overviewTime` (may be null) receives the clip length that
// the overview at time 0.0 reported (0.0 without one).
HAVPLAYER StartVideoPlayback(const CBaseVideoObj& video, HWND window, CMyReelpane::FrameReceiver receiver,
                             double* overviewTime = nullptr);

}  // namespace Quirebook

using Quirebook::CBaseVideoObj;
using Quirebook::CMyReelpane;
