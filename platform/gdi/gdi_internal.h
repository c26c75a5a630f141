// Inner objects of the GDI layer: what a handle points at, the device context object shared by
// every kind of DC, and the pixel helpers the blits and fills are built on.
#pragma once

#include <cairo.h>
#include <wingdi.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace lwgdi {

constexpr uint32_t kObjectMagic = 0x4C574749;  // "LWGI"

struct Object {
  explicit Object(DWORD t) : type(t) {}
  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  uint32_t magic = kObjectMagic;
  DWORD type;            // OBJ_*
  HGDIOBJ handle = nullptr;  // given by Register, never given to another object
  bool stock = false;    // never deleted
  // Changed only under the table lock: a pen, brush, font or bitmap may be selected into the
  // DCs of several threads at once.
  int selections = 0;    // DCs that hold it selected
  bool deletePending = false;  // DeleteObject came while it was selected
};

// A bitmap: a DIB section or a device-compatible bitmap (32 bits, top-down, no colour table).
struct Bitmap : Object {
  Bitmap() : Object(OBJ_BITMAP) {}
  ~Bitmap() override;

  int width = 0;
  int height = 0;
  int bpp = 32;
  bool topDown = true;
  bool isDib = false;
  bool bitfields = false;
  DWORD masks[3] = {0, 0, 0};
  std::vector<RGBQUAD> palette;
  BITMAPINFOHEADER header{};  // as given (DIB sections)
  uint8_t* bits = nullptr;
  size_t stride = 0;
  bool ownsBits = false;
  // Surfaces handed out by LwGdiBeginDraw over this bitmap and not yet destroyed (not owned):
  // whatever GDI writes into the bitmap is copied into them (see PixelsWritten).
  std::vector<cairo_surface_t*> drawSurfaces;

  uint8_t* Row(int y) const { return bits + stride * static_cast<size_t>(topDown ? y : height - 1 - y); }
};

struct Pen : Object {
  Pen() : Object(OBJ_PEN) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

struct Brush : Object {
  Brush() : Object(OBJ_BRUSH) {}
  int style = BS_SOLID;
  COLORREF color = 0;
};

// A region as a list of disjoint rectangles (right and bottom edges excluded).
struct Region : Object {
  Region() : Object(OBJ_REGION) {}
  std::vector<RECT> rects;
};

struct FontFace;  // font.cpp

struct Font : Object {
  Font() : Object(OBJ_FONT) {}
  LOGFONTW lf{};
  std::shared_ptr<FontFace> face;  // resolved when first used
};

struct PrinterJob;  // printer_internal.h

enum class DCKind { Screen, Memory };

// The screen's resolution along either axis, which screen and memory contexts report.
constexpr int kScreenPixelsPerInch = 96;

// One device context. Window and printer contexts are further kinds of the same object.
struct DC : Object {
  DC() : Object(OBJ_DC) {}
  ~DC() override;

  DCKind kind = DCKind::Memory;
  int dpiX = kScreenPixelsPerInch;
  int dpiY = kScreenPixelsPerInch;
  Bitmap* bitmap = nullptr;
  Pen* pen = nullptr;
  Brush* brush = nullptr;
  Font* font = nullptr;
  std::optional<std::vector<RECT>> clip;  // device coordinates; none = whole surface
  POINT viewportOrg{0, 0};
  POINT windowOrg{0, 0};
  POINT brushOrg{0, 0};
  POINT position{0, 0};
  int rop2 = R2_COPYPEN;
  int bkMode = OPAQUE;
  int stretchMode = BLACKONWHITE;
  int polyFillMode = ALTERNATE;
  COLORREF bkColor = RGB(255, 255, 255);
  COLORREF textColor = 0;
  // A printer context: a memory context over its own page bitmap (which cannot be swapped) and
  // the document being printed. Owned.
  PrinterJob* printer = nullptr;

  // Logical to device coordinates.
  int DevX(int x) const { return x - windowOrg.x + viewportOrg.x; }
  int DevY(int y) const { return y - windowOrg.y + viewportOrg.y; }
};

// The handle table: every live object is registered under a handle of its own, a number that is
// never handed out again (not the object's address), so a stale handle is refused even after its
// memory went to a new object, and a foreign one is never followed. The table, the selection
// counts and pending deletions are guarded by one lock; Register, Lookup and Release take it.
// Register gives the object its handle and returns it.
HGDIOBJ Register(Object* obj);
Object* Lookup(const void* handle, DWORD type);  // type 0: any type
template <class T>
T* As(const void* handle, DWORD type) { return static_cast<T*>(Lookup(handle, type)); }
// The handle of a registered object (null for null).
inline HGDIOBJ HandleOf(const Object* obj) { return obj ? obj->handle : nullptr; }
// Removes a selection reference; deletes the object when a delete was pending.
void Release(Object* obj);

// Stock objects.
Bitmap* DefaultBitmap();
Font* DefaultFont();

// Pixels as 0x00RRGGBB words (the byte order of a 32-bit DIB).
inline uint32_t ColorRefToPixel(COLORREF c) {
  return (static_cast<uint32_t>(GetRValue(c)) << 16) | (static_cast<uint32_t>(GetGValue(c)) << 8) | GetBValue(c);
}
inline COLORREF PixelToColorRef(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

uint32_t ReadPixel(const Bitmap& bm, const uint8_t* row, int x);
void WritePixel(Bitmap& bm, uint8_t* row, int x, uint32_t pixel);

// Whether a device pixel may be drawn (inside the bitmap and the clip).
bool InClip(const DC& dc, int x, int y);
// Clip rectangles of the DC intersected with the bitmap bounds.
std::vector<RECT> DrawableRects(const DC& dc);

// Brings the device pixels of `area` (clamped to the bitmap) from the bitmap into every surface
// LwGdiBeginDraw handed out over it, after GDI wrote there, so that a live Graphics does not later
// put stale pixels back. Nothing to do while no surface is out.
void PixelsWritten(Bitmap& bm, RECT area);
// Cuts the bitmap's outstanding draw surfaces loose from it (the bitmap is going away).
void DetachDrawSurfaces(Bitmap& bm);

// Fills a rectangle of device pixels through a binary raster operation (clipped).
void FillDeviceRect(DC& dc, RECT r, uint32_t pixel, int rop2);

// Builds a view over a packed DIB handed in by a caller (not owned). False for headers this
// layer does not draw (compressed, odd bit counts, sizes out of range).
bool DibView(const BITMAPINFO* info, const void* bits, UINT usage, Bitmap* out);

// Region scan conversion, shared by CreatePolygonRgn and Polygon.
std::vector<RECT> PolygonRects(const POINT* pts, int count, int fillMode);

}  // namespace lwgdi
