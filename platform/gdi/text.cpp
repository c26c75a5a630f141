// Text drawing on memory device contexts: TextOutW, ExtTextOutW and DrawTextW with the selected
// font (FreeType glyphs, anti-aliased, blended in the text colour), an opaque background in the
// background mode OPAQUE, clipped like every other GDI drawing.
#include <algorithm>
#include <string>
#include <vector>

#include "gdi_fonts.h"
#include "gdi_internal.h"

using namespace lwgdi;

namespace {

bool Drawable(const DC& dc) { return dc.kind == DCKind::Memory && dc.bitmap && !dc.bitmap->stock; }

Font* FontOf(DC& dc) { return dc.font ? dc.font : DefaultFont(); }

// Advance of each character in pixels (missing glyphs advance by nothing).
std::vector<int> Advances(FontFace& ff, const wchar_t* text, int count) {
  std::vector<int> out;
  LwFreeTypeLock lock;
  FT_Set_Pixel_Sizes(ff.face, 0, static_cast<FT_UInt>(ff.ppem));
  for (int i = 0; i < count; ++i) {
    int adv = 0;
    if (FT_Load_Char(ff.face, static_cast<FT_ULong>(text[i]), FT_LOAD_DEFAULT) == 0)
      adv = static_cast<int>((ff.face->glyph->advance.x + 32) >> 6);
    out.push_back(adv);
  }
  return out;
}

// Draws the characters with their top-left cell corner at device (x, y).
void DrawRun(DC& dc, FontFace& ff, int x, int y, const wchar_t* text, int count, const INT* dx, RECT* touched) {
  Bitmap& bm = *dc.bitmap;
  const uint32_t color = ColorRefToPixel(dc.textColor);
  const int baseline = y + static_cast<int>(ff.tm.tmAscent);
  LwFreeTypeLock lock;
  FT_Set_Pixel_Sizes(ff.face, 0, static_cast<FT_UInt>(ff.ppem));
  int penX = x;
  for (int i = 0; i < count; ++i) {
    if (FT_Load_Char(ff.face, static_cast<FT_ULong>(text[i]), FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL) != 0) continue;
    const FT_GlyphSlot g = ff.face->glyph;
    const FT_Bitmap& b = g->bitmap;
    const int left = penX + g->bitmap_left, top = baseline - g->bitmap_top;
    if (b.pixel_mode == FT_PIXEL_MODE_GRAY && b.buffer) {
      for (unsigned r = 0; r < b.rows; ++r) {
        const int py = top + static_cast<int>(r);
        if (py < 0 || py >= bm.height) continue;
        uint8_t* row = bm.Row(py);
        for (unsigned c = 0; c < b.width; ++c) {
          const int px = left + static_cast<int>(c);
          const unsigned a = b.buffer[static_cast<size_t>(r) * static_cast<size_t>(std::abs(b.pitch)) + c];
          if (a == 0 || !InClip(dc, px, py)) continue;
          const uint32_t under = ReadPixel(bm, row, px);
          auto mix = [&](int shift) {
            const unsigned fg = (color >> shift) & 0xFF, bg = (under >> shift) & 0xFF;
            return ((fg * a + bg * (255 - a) + 127) / 255) << shift;
          };
          WritePixel(bm, row, px, mix(16) | mix(8) | mix(0));
        }
      }
      touched->left = std::min<LONG>(touched->left, left);
      touched->top = std::min<LONG>(touched->top, top);
      touched->right = std::max<LONG>(touched->right, left + static_cast<int>(b.width));
      touched->bottom = std::max<LONG>(touched->bottom, top + static_cast<int>(b.rows));
    }
    penX += dx ? dx[i] : static_cast<int>((g->advance.x + 32) >> 6);
  }
}

}  // namespace

extern "C" {

BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT* dx) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || (count > 0 && !text) || count > 0x7FFFFFFF) return FALSE;
  if (!Drawable(*dc)) return TRUE;
  if (rect && (options & ETO_OPAQUE)) {
    const RECT r{dc->DevX(rect->left), dc->DevY(rect->top), dc->DevX(rect->right), dc->DevY(rect->bottom)};
    FillDeviceRect(*dc, r, ColorRefToPixel(dc->bkColor), R2_COPYPEN);
  }
  std::shared_ptr<FontFace> ff = FaceOf(FontOf(*dc));
  if (!ff || count == 0) return TRUE;
  const int n = static_cast<int>(count);
  const int devX = dc->DevX(x), devY = dc->DevY(y);
  if (dc->bkMode == OPAQUE && !(rect && (options & ETO_OPAQUE))) {
    int width = 0;
    if (dx)
      for (int i = 0; i < n; ++i) width += dx[i];
    else
      for (int a : Advances(*ff, text, n)) width += a;
    FillDeviceRect(*dc, RECT{devX, devY, devX + width, devY + static_cast<int>(ff->tm.tmHeight)},
                   ColorRefToPixel(dc->bkColor), R2_COPYPEN);
  }
  // Clip to the rectangle when asked, on top of the DC's own clip.
  std::optional<std::vector<RECT>> savedClip = dc->clip;
  if (rect && (options & ETO_CLIPPED)) {
    const RECT r{dc->DevX(rect->left), dc->DevY(rect->top), dc->DevX(rect->right), dc->DevY(rect->bottom)};
    std::vector<RECT> clip;
    for (const RECT& c : savedClip ? *savedClip : std::vector<RECT>{RECT{0, 0, dc->bitmap->width, dc->bitmap->height}}) {
      const RECT i{std::max(c.left, r.left), std::max(c.top, r.top), std::min(c.right, r.right), std::min(c.bottom, r.bottom)};
      if (i.left < i.right && i.top < i.bottom) clip.push_back(i);
    }
    dc->clip = clip;
  }
  RECT touched{devX, devY, devX, devY};
  DrawRun(*dc, *ff, devX, devY, text, n, dx, &touched);
  dc->clip = savedClip;
  PixelsWritten(*dc->bitmap, RECT{0, 0, dc->bitmap->width, dc->bitmap->height});
  return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOutW(hdc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || !size || count < 0 || (count > 0 && !text)) return FALSE;
  std::shared_ptr<FontFace> ff = FaceOf(FontOf(*dc));
  if (!ff) return FALSE;
  int width = 0;
  for (int a : Advances(*ff, text, count)) width += a;
  size->cx = width;
  size->cy = static_cast<LONG>(ff->tm.tmHeight);
  return TRUE;
}

int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || !rect || !text) return 0;
  const std::wstring s = count < 0 ? std::wstring(text) : std::wstring(text, static_cast<size_t>(count));
  // One line: the characters up to the first line break (single-line text keeps them all).
  std::wstring line = s;
  if (!(format & DT_SINGLELINE)) line = s.substr(0, s.find_first_of(L"\r\n"));
  SIZE size{0, 0};
  if (!GetTextExtentPoint32W(hdc, line.c_str(), static_cast<int>(line.size()), &size)) return 0;
  if (format & DT_CALCRECT) {
    rect->right = rect->left + size.cx;
    rect->bottom = rect->top + size.cy;
    return size.cy;
  }
  int x = rect->left, y = rect->top;
  if (format & DT_CENTER) x = rect->left + (rect->right - rect->left - size.cx) / 2;
  else if (format & DT_RIGHT) x = rect->right - size.cx;
  if ((format & DT_SINGLELINE) && (format & DT_VCENTER)) y = rect->top + (rect->bottom - rect->top - size.cy) / 2;
  else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM)) y = rect->bottom - size.cy;
  const UINT options = (format & DT_NOCLIP) ? 0 : ETO_CLIPPED;
  ExtTextOutW(hdc, x, y, options, rect, line.c_str(), static_cast<UINT>(line.size()), nullptr);
  return size.cy;
}

}  // extern "C"
