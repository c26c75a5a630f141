// Device contexts without a display, the handle table and object selection.
#include "gdi_internal.h"
#include "printer_internal.h"

#include <cstdlib>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace lwgdi {

Object::~Object() { magic = 0; }

Bitmap::~Bitmap() {
  DetachDrawSurfaces(*this);
  if (ownsBits) std::free(bits);
}

DC::~DC() = default;

namespace {

// Handles start well above the small numbers some calls return in a handle's place (region
// kinds from SelectObject) and count up; a 64-bit count never wraps.
constexpr uintptr_t kFirstHandle = 0x10000;
constexpr uintptr_t kHandleStep = 4;

struct HandleTable {
  std::mutex mutex;
  std::unordered_map<uintptr_t, Object*> objects;
  uintptr_t next = kFirstHandle;
};

HandleTable& Table() {
  static auto* table = new HandleTable();
  return *table;
}

// The table lock must be held by the callers of the *Locked helpers.
Object* LookupLocked(const void* handle, DWORD type) {
  if (!handle) return nullptr;
  HandleTable& t = Table();
  const auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return nullptr;
  Object* obj = it->second;
  if (type != 0 && obj->type != type) return nullptr;
  return obj;
}

void UnregisterLocked(Object* obj) { Table().objects.erase(reinterpret_cast<uintptr_t>(obj->handle)); }

// Drops one selection; an object whose deletion was pending leaves the table and goes to dead,
// to be deleted once the lock is let go.
void ReleaseLocked(Object* obj, std::vector<Object*>& dead) {
  if (!obj) return;
  if (obj->selections > 0) --obj->selections;
  if (obj->selections == 0 && obj->deletePending && !obj->stock) {
    UnregisterLocked(obj);
    dead.push_back(obj);
  }
}

void DeleteAll(const std::vector<Object*>& dead) {
  for (Object* obj : dead) delete obj;
}

}  // namespace

HGDIOBJ Register(Object* obj) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  HandleTable& t = Table();
  const uintptr_t handle = t.next;
  t.next += kHandleStep;
  obj->handle = reinterpret_cast<HGDIOBJ>(handle);
  t.objects.emplace(handle, obj);
  return obj->handle;
}

Object* Lookup(const void* handle, DWORD type) {
  if (!handle) return nullptr;
  std::lock_guard<std::mutex> lock(Table().mutex);
  return LookupLocked(handle, type);
}

void Release(Object* obj) {
  if (!obj) return;
  std::vector<Object*> dead;
  {
    std::lock_guard<std::mutex> lock(Table().mutex);
    ReleaseLocked(obj, dead);
  }
  DeleteAll(dead);
}

namespace {

template <class T>
T* MakeStock(T* obj) {
  obj->stock = true;
  Register(obj);
  return obj;
}

struct Stock {
  Object* objects[20] = {};
  HGDIOBJ handles[20] = {};
  Bitmap* bitmap = nullptr;
  Font* font = nullptr;

  Stock() {
    auto brush = [](COLORREF c, int style) {
      auto* b = new Brush();
      b->color = c;
      b->style = style;
      return MakeStock(b);
    };
    auto pen = [](COLORREF c, int style) {
      auto* p = new Pen();
      p->color = c;
      p->style = style;
      return MakeStock(p);
    };
    objects[WHITE_BRUSH] = brush(RGB(255, 255, 255), BS_SOLID);
    objects[LTGRAY_BRUSH] = brush(RGB(192, 192, 192), BS_SOLID);
    objects[GRAY_BRUSH] = brush(RGB(128, 128, 128), BS_SOLID);
    objects[DKGRAY_BRUSH] = brush(RGB(64, 64, 64), BS_SOLID);
    objects[BLACK_BRUSH] = brush(RGB(0, 0, 0), BS_SOLID);
    objects[NULL_BRUSH] = brush(0, BS_NULL);
    objects[DC_BRUSH] = brush(RGB(255, 255, 255), BS_SOLID);
    objects[WHITE_PEN] = pen(RGB(255, 255, 255), PS_SOLID);
    objects[BLACK_PEN] = pen(RGB(0, 0, 0), PS_SOLID);
    objects[NULL_PEN] = pen(0, PS_NULL);
    objects[DC_PEN] = pen(RGB(0, 0, 0), PS_SOLID);

    // A new memory DC holds a 1 x 1 monochrome bitmap until a real one is selected.
    bitmap = new Bitmap();
    bitmap->width = bitmap->height = 1;
    bitmap->bpp = 1;
    bitmap->stride = 2;
    bitmap->bits = static_cast<uint8_t*>(std::calloc(1, 2));
    bitmap->ownsBits = true;
    bitmap->palette = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
    MakeStock(bitmap);

    auto makeFont = [](const wchar_t* face, LONG height, LONG weight) {
      auto* f = new Font();
      f->lf.lfHeight = height;
      f->lf.lfWeight = weight;
      f->lf.lfCharSet = DEFAULT_CHARSET;
      std::wcsncpy(f->lf.lfFaceName, face, LF_FACESIZE - 1);
      return MakeStock(f);
    };
    font = makeFont(L"System", 16, FW_BOLD);
    objects[SYSTEM_FONT] = font;
    objects[DEFAULT_GUI_FONT] = makeFont(L"MS Shell Dlg", -11, FW_NORMAL);
    for (int i = 0; i < 20; ++i) handles[i] = HandleOf(objects[i]);
  }
};

Stock& Stocks() {
  static auto* s = new Stock();
  return *s;
}

DC* NewDC(DCKind kind) {
  auto* dc = new DC();
  dc->kind = kind;
  Stock& s = Stocks();
  dc->pen = static_cast<Pen*>(s.objects[BLACK_PEN]);
  dc->brush = static_cast<Brush*>(s.objects[WHITE_BRUSH]);
  dc->font = s.font;
  if (kind == DCKind::Memory) dc->bitmap = s.bitmap;
  Register(dc);
  return dc;
}

void DestroyDC(DC* dc) {
  DeletePrinterJob(dc->printer);
  dc->printer = nullptr;
  Stock& s = Stocks();
  std::vector<Object*> dead;
  {
    std::lock_guard<std::mutex> lock(Table().mutex);
    if (dc->bitmap != s.bitmap) ReleaseLocked(dc->bitmap, dead);
    ReleaseLocked(dc->pen, dead);
    ReleaseLocked(dc->brush, dead);
    ReleaseLocked(dc->font, dead);
    UnregisterLocked(dc);
  }
  DeleteAll(dead);
  delete dc;
}

// Under the table lock.
template <class T>
HGDIOBJ SwapLocked(T*& slot, T* obj, std::vector<Object*>& dead) {
  T* old = slot;
  if (old == obj) return HandleOf(old);
  ++obj->selections;
  slot = obj;
  HGDIOBJ result = HandleOf(old);
  ReleaseLocked(old, dead);  // may delete an object whose deletion was pending; the handle is then stale
  return result;
}

}  // namespace

Bitmap* DefaultBitmap() { return Stocks().bitmap; }
Font* DefaultFont() { return Stocks().font; }

}  // namespace lwgdi

using namespace lwgdi;

extern "C" {

HDC GetDC(HWND hwnd) {
  // Window contexts belong to the window layer; here only the screen exists.
  if (hwnd) return nullptr;
  return reinterpret_cast<HDC>(HandleOf(NewDC(DCKind::Screen)));
}

int ReleaseDC(HWND, HDC hdc) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || dc->kind != DCKind::Screen) return 0;
  DestroyDC(dc);
  return 1;
}

HDC CreateCompatibleDC(HDC hdc) {
  if (hdc && !As<DC>(hdc, OBJ_DC)) return nullptr;
  return reinterpret_cast<HDC>(HandleOf(NewDC(DCKind::Memory)));
}

HDC CreateDCW(LPCWSTR, LPCWSTR device, LPCWSTR, const DEVMODEW* devMode) {
  PrinterJob* job = NewPrinterJob(device, devMode);
  if (!job) return nullptr;
  // The page: 32-bit, top-down, white.
  auto* page = new Bitmap();
  page->width = job->width;
  page->height = job->height;
  page->bpp = 32;
  page->topDown = true;
  page->stride = static_cast<size_t>(job->width) * 4;
  // A page above 1 GiB (a huge paper at a high resolution) is refused rather than tried.
  if (page->stride * static_cast<size_t>(job->height) > (size_t{1} << 30)) {
    delete page;
    DeletePrinterJob(job);
    return nullptr;
  }
  page->bits = static_cast<uint8_t*>(std::malloc(page->stride * static_cast<size_t>(job->height)));
  if (!page->bits) {
    delete page;
    DeletePrinterJob(job);
    return nullptr;
  }
  std::memset(page->bits, 0xFF, page->stride * static_cast<size_t>(job->height));
  page->ownsBits = true;
  Register(page);
  // Held by the context alone: it goes when the context does.
  page->selections = 1;
  page->deletePending = true;
  DC* dc = NewDC(DCKind::Memory);
  dc->bitmap = page;
  dc->dpiX = job->dpiX;
  dc->dpiY = job->dpiY;
  dc->printer = job;
  return reinterpret_cast<HDC>(HandleOf(dc));
}

BOOL DeleteDC(HDC hdc) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  DestroyDC(dc);
  return TRUE;
}

int GetDeviceCaps(HDC hdc, int index) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return 0;
  // The screen is a 1920 x 1080 true-colour display at 96 dots per inch, whatever the real one.
  const int width = dc->kind == DCKind::Memory ? dc->bitmap->width : 1920;
  const int height = dc->kind == DCKind::Memory ? dc->bitmap->height : 1080;
  if (dc->printer) {
    switch (index) {
      case TECHNOLOGY: return DT_RASPRINTER;
      case PHYSICALWIDTH: return width;
      case PHYSICALHEIGHT: return height;
      case PHYSICALOFFSETX: case PHYSICALOFFSETY: return 0;
      case ASPECTX: case ASPECTY: case ASPECTXY: return dc->dpiX;
      default: break;
    }
  }
  switch (index) {
    case TECHNOLOGY: return DT_RASDISPLAY;
    case LOGPIXELSX: return dc->dpiX;
    case LOGPIXELSY: return dc->dpiY;
    case HORZRES: case DESKTOPHORZRES: return width;
    case VERTRES: case DESKTOPVERTRES: return height;
    case HORZSIZE: return MulDiv(width, 254, dc->dpiX * 10);
    case VERTSIZE: return MulDiv(height, 254, dc->dpiY * 10);
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case ASPECTX: case ASPECTY: return 36;
    case ASPECTXY: return 51;
    default: return 0;
  }
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return nullptr;
  std::vector<Object*> dead;
  HGDIOBJ result = nullptr;
  {
    std::unique_lock<std::mutex> lock(Table().mutex);
    Object* o = LookupLocked(obj, 0);
    if (!o) return nullptr;
    switch (o->type) {
      case OBJ_PEN: result = SwapLocked(dc->pen, static_cast<Pen*>(o), dead); break;
      case OBJ_BRUSH: result = SwapLocked(dc->brush, static_cast<Brush*>(o), dead); break;
      case OBJ_FONT: result = SwapLocked(dc->font, static_cast<Font*>(o), dead); break;
      case OBJ_BITMAP: {
        if (dc->kind != DCKind::Memory || dc->printer) return nullptr;
        auto* bm = static_cast<Bitmap*>(o);
        // A bitmap lives in one memory DC at a time.
        if (bm != dc->bitmap && bm->selections > 0 && !bm->stock) return nullptr;
        Bitmap* old = dc->bitmap;
        if (old == bm) return obj;
        if (!bm->stock) ++bm->selections;
        dc->bitmap = bm;
        dc->clip.reset();
        result = HandleOf(old);
        if (!old->stock) ReleaseLocked(old, dead);
        break;
      }
      case OBJ_REGION: {
        lock.unlock();
        int r = SelectClipRgn(hdc, reinterpret_cast<HRGN>(obj));
        return reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(r));
      }
      default: return nullptr;
    }
  }
  DeleteAll(dead);
  return result;
}

BOOL DeleteObject(HGDIOBJ obj) {
  Object* dead = nullptr;
  {
    std::lock_guard<std::mutex> lock(Table().mutex);
    Object* o = LookupLocked(obj, 0);
    if (!o || o->type == OBJ_DC) return FALSE;
    if (o->stock) return TRUE;
    if (o->selections > 0) {
      // Still selected: it goes when the last DC lets it go, so no DC is left pointing at freed
      // memory.
      o->deletePending = true;
      return TRUE;
    }
    UnregisterLocked(o);
    dead = o;
  }
  delete dead;
  return TRUE;
}

HGDIOBJ GetStockObject(int index) {
  if (index < 0 || index >= static_cast<int>(sizeof(Stock::handles) / sizeof(HGDIOBJ))) return nullptr;
  return Stocks().handles[index];
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return HandleOf(dc->pen);
    case OBJ_BRUSH: return HandleOf(dc->brush);
    case OBJ_FONT: return HandleOf(dc->font);
    case OBJ_BITMAP: return dc->kind == DCKind::Memory ? HandleOf(dc->bitmap) : nullptr;
    default: return nullptr;
  }
}

DWORD GetObjectType(HGDIOBJ obj) {
  Object* o = Lookup(obj, 0);
  if (!o) return 0;
  if (o->type == OBJ_DC) {
    const DC* dc = static_cast<DC*>(o);
    return dc->kind == DCKind::Memory && !dc->printer ? OBJ_MEMDC : OBJ_DC;
  }
  return o->type;
}

int GetObjectW(HGDIOBJ obj, int size, LPVOID out) {
  Object* o = Lookup(obj, 0);
  if (!o || size < 0) return 0;
  switch (o->type) {
    case OBJ_BITMAP: {
      auto* bm = static_cast<Bitmap*>(o);
      BITMAP b{};
      b.bmType = 0;
      b.bmWidth = bm->width;
      b.bmHeight = bm->height;
      b.bmWidthBytes = static_cast<LONG>(bm->isDib ? bm->stride : ((static_cast<size_t>(bm->width) * bm->bpp + 15) / 16) * 2);
      b.bmPlanes = 1;
      b.bmBitsPixel = static_cast<WORD>(bm->bpp);
      b.bmBits = bm->isDib ? bm->bits : nullptr;
      if (!out) return bm->isDib ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
      if (bm->isDib && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = b;
        ds.dsBmih = bm->header;
        ds.dsBmih.biSize = sizeof(BITMAPINFOHEADER);
        ds.dsBmih.biSizeImage = static_cast<DWORD>(bm->stride * static_cast<size_t>(bm->height));
        if (bm->bitfields || bm->bpp == 16 || bm->bpp == 32) {
          for (int i = 0; i < 3; ++i) ds.dsBitfields[i] = bm->masks[i];
        }
        std::memcpy(out, &ds, sizeof ds);
        return sizeof(DIBSECTION);
      }
      if (size < static_cast<int>(sizeof(BITMAP))) return 0;
      std::memcpy(out, &b, sizeof b);
      return sizeof(BITMAP);
    }
    case OBJ_PEN: {
      auto* p = static_cast<Pen*>(o);
      if (!out) return sizeof(LOGPEN);
      if (size < static_cast<int>(sizeof(LOGPEN))) return 0;
      LOGPEN lp{static_cast<UINT>(p->style), POINT{p->width, 0}, p->color};
      std::memcpy(out, &lp, sizeof lp);
      return sizeof(LOGPEN);
    }
    case OBJ_BRUSH: {
      auto* b = static_cast<Brush*>(o);
      if (!out) return sizeof(LOGBRUSH);
      if (size < static_cast<int>(sizeof(LOGBRUSH))) return 0;
      LOGBRUSH lb{static_cast<UINT>(b->style), b->color, 0};
      std::memcpy(out, &lb, sizeof lb);
      return sizeof(LOGBRUSH);
    }
    case OBJ_FONT: {
      auto* f = static_cast<Font*>(o);
      if (!out) return sizeof(LOGFONTW);
      const int n = size < static_cast<int>(sizeof(LOGFONTW)) ? size : static_cast<int>(sizeof(LOGFONTW));
      std::memcpy(out, &f->lf, static_cast<size_t>(n));
      return n;
    }
    default: return 0;
  }
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  if (old) *old = dc->viewportOrg;
  dc->viewportOrg = POINT{x, y};
  return TRUE;
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT out) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || !out) return FALSE;
  *out = dc->viewportOrg;
  return TRUE;
}

BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  if (old) *old = dc->viewportOrg;
  dc->viewportOrg.x += dx;
  dc->viewportOrg.y += dy;
  return TRUE;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  if (old) *old = dc->windowOrg;
  dc->windowOrg = POINT{x, y};
  return TRUE;
}

BOOL GetWindowOrgEx(HDC hdc, LPPOINT out) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || !out) return FALSE;
  *out = dc->windowOrg;
  return TRUE;
}

BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  if (old) *old = dc->brushOrg;
  dc->brushOrg = POINT{x, y};
  return TRUE;
}

int SetMapMode(HDC hdc, int mode) {
  // Only MM_TEXT exists here; other modes are refused.
  if (!As<DC>(hdc, OBJ_DC) || mode != MM_TEXT) return 0;
  return MM_TEXT;
}

int GetMapMode(HDC hdc) { return As<DC>(hdc, OBJ_DC) ? MM_TEXT : 0; }

#define LW_DC_SETTER(Name, Getter, field, Type, fail)  \
  Type Name(HDC hdc, Type value) {                     \
    DC* dc = As<DC>(hdc, OBJ_DC);                      \
    if (!dc) return fail;                              \
    Type old = static_cast<Type>(dc->field);           \
    dc->field = value;                                 \
    return old;                                        \
  }                                                    \
  Type Getter(HDC hdc) {                               \
    DC* dc = As<DC>(hdc, OBJ_DC);                      \
    return dc ? static_cast<Type>(dc->field) : fail;   \
  }

LW_DC_SETTER(SetBkMode, GetBkMode, bkMode, int, 0)
LW_DC_SETTER(SetBkColor, GetBkColor, bkColor, COLORREF, CLR_INVALID)
LW_DC_SETTER(SetTextColor, GetTextColor, textColor, COLORREF, CLR_INVALID)
LW_DC_SETTER(SetStretchBltMode, GetStretchBltMode, stretchMode, int, 0)
#undef LW_DC_SETTER

int SetROP2(HDC hdc, int mode) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || mode < R2_BLACK || mode > R2_WHITE) return 0;
  int old = dc->rop2;
  dc->rop2 = mode;
  return old;
}

int GetROP2(HDC hdc) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  return dc ? dc->rop2 : 0;
}

int SetPolyFillMode(HDC hdc, int mode) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || (mode != ALTERNATE && mode != WINDING)) return 0;
  int old = dc->polyFillMode;
  dc->polyFillMode = mode;
  return old;
}

}  // extern "C"

namespace lw {

int PixelsPerInch(HDC dc, int axis) {
  constexpr int kFallback = 96;
  // The screen's without making a context for it: text layout asks for every character.
  if (!dc && (axis == LOGPIXELSX || axis == LOGPIXELSY)) return lwgdi::kScreenPixelsPerInch;
  HDC screen = dc ? nullptr : GetDC(nullptr);
  const int dpi = GetDeviceCaps(dc ? dc : screen, axis);
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kFallback;
}

}  // namespace lw
