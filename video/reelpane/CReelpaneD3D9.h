// The Direct3D 9 renderer (CreateReelpane(2)): each YV12 frame is converted into one dynamic
// X8R8G8B8 texture of the video size, stretched (linear filtering) into the back buffer, whole or
// letterboxed, and presented. A moved or resized window and a lost device are noticed once per
// frame: the owner thread (the one that last attached) resets the device, any other thread makes
// a new one and becomes the owner. The renderer has no lock: a host calls it from one thread at a
// time.
#pragma once

#include <d3d9.h>

#include <IReelpane.h>

namespace reelpane {

class CReelpaneD3D9 final : public IReelpane {
 public:
  // Converter of parameter list 1 (destination, pitch, Y, U, V, luma stride, chroma stride,
  // width, height, flip).
  typedef void (*Converter)(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                            int yStride, int uvStride, int width, int height, int flip);

  CReelpaneD3D9() = default;

  int GetType(int* type) override;
  int GetSubType(int* value) override;
  int GetErrorText(wchar_t* buffer, int length) override;
  int Release() override;
  int SetVideoSize(int width, int height) override;
  int GetVideoSize(int* width, int* height) override;
  int RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) override;
  int Attach(HWND window, int mode) override;
  int Detach() override;
  int SetRenderFlag() override;

  // Where the picture goes in a client area of W x H: mode 1 keeps the video's aspect ratio with
  // the spare split exactly in half (an odd pixel goes right or down); any other mode, or no video
  // size, fills the client area.
  static RECT DestRect(int mode, int clientWidth, int clientHeight, int videoWidth, int videoHeight);

  // For tests: the device (null while detached) and the converter chosen from the texture.
  IDirect3DDevice9* Device() const { return m_device; }
  Converter CurrentConverter() const { return m_converter; }

 private:
  ~CReelpaneD3D9();

  int FindWindowAdapter(HWND window);
  bool CreateD3DDevice(HWND window);
  void ResetD3DDevice();
  void SetupProjection(int width, int height);
  void ReleaseD3DObjects();
  void ReleaseTexture();
  void DrawScene();
  int ResetScene();
  bool ReadWindowRect(RECT* rect) const;
  D3DPRESENT_PARAMETERS PresentParameters(bool reset) const;

  // Device part.
  IDirect3DDevice9* m_device = nullptr;
  HWND m_window = nullptr;
  int m_clientWidth = 0, m_clientHeight = 0;
  IDirect3D9* m_d3d = nullptr;
  D3DXMATRIX m_projection{};

  IDirect3DTexture9* m_texture = nullptr;
  IDirect3DSurface9* m_surface = nullptr;
  Converter m_converter = nullptr;
  RECT m_windowRect{0, 0, 0, 0};
  HWND m_attached = nullptr;
  int m_videoWidth = 0, m_videoHeight = 0;  // no video size until the host gives one
  int m_flag = 0;
  int m_mode = 0;
  DWORD m_owner = 0;
};

}  // namespace reelpane
