// The frame-sink interface that a video player drives: the renderers of Reelpane implement it, and
// so does the document library's in-place playback sink. The player calls SetVideoSize before the
// first RenderFrame (and again when the size changes), all from its own thread.
//
// Every operation returns a status: 0 = success. An object is released through Release(), never
// deleted by the caller.
#pragma once

#include <windows.h>

// The generic multimedia component: the first four operations.
class IMMComponent {
 public:
  virtual int GetType(int* type) = 0;                         // slot 0
  virtual int GetSubType(int* value) = 0;                     // slot 1
  virtual int GetErrorText(wchar_t* buffer, int length) = 0;  // slot 2
  virtual int Release() = 0;                                  // slot 3

 protected:
  ~IMMComponent() = default;
};

class IReelpane : public IMMComponent {
 public:
  virtual int SetVideoSize(int width, int height) = 0;    // slot 4
  virtual int GetVideoSize(int* width, int* height) = 0;  // slot 5
  // Planar 4:2:0 frame of the current video size: `stride` is the luma row length in bytes; the
  // U and V planes have exactly half of it and half the height.
  virtual int RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v,
                          int stride) = 0;                // slot 6
  virtual int Attach(HWND window, int mode) = 0;          // slot 7
  virtual int Detach() = 0;                               // slot 8
  virtual int SetRenderFlag() = 0;                        // slot 9: sets a flag that nothing reads

 protected:
  ~IReelpane() = default;
};
