// Where the GDI layer and the GDI+ layer meet: drawing with cairo into a device context.
// Only the two layers include this header.
//
// GDI+ drawing on a device context is immediate on Windows: a view paints into a memory DC
// through a Graphics and blits that DC to the window while the Graphics is still alive, and
// printing reads a DIB section's memory. Here the drawing goes to an ARGB32 copy of the DC's
// bitmap, kept in step with the bitmap call by call:
//
// - after each drawing call the GDI+ side hands the device area it may have touched to
//   LwGdiSyncDraw, which converts that area (only) into the bitmap at once, so every reader of
//   the bitmap - blits, GetPixel, GetDIBits, and callers holding a DIB section's memory - sees it;
// - every GDI call that writes the bitmap's pixels (fills, lines, blits, SetPixel, DIBs to the
//   device) copies the area it wrote into each surface still out over that bitmap, so the GDI+
//   side never puts stale pixels back over GDI's drawing.
//
// Pixels written straight into a DIB section's memory while a surface is out are not seen by
// the surface, and a later drawing call over them, or LwGdiEndDraw, replaces them.
#pragma once

#include <cairo.h>

#include <windows.h>

// Returns an ARGB32 cairo surface onto the pixels of the bitmap selected into a memory device
// context (a new reference that the caller destroys), or null when the DC has no bitmap. The
// surface is linked to that bitmap until it is destroyed (or the bitmap is); its device offset
// carries the DC's origins, so drawing in logical coordinates lands where GDI's would.
cairo_surface_t* LwGdiBeginDraw(HDC hdc);

// Writes the pixels of `area` (surface pixels, device offset not applied; clamped to the
// bitmap) from the surface into the bitmap, in the bitmap's own format. Call it after each
// drawing call with the area the call may have touched. Nothing happens when the DC no longer
// holds the bitmap the surface was made for.
void LwGdiSyncDraw(HDC hdc, cairo_surface_t* surface, const RECT& area);

// Writes the whole surface into the bitmap (LwGdiSyncDraw over the full area): for flushes and
// the end of drawing. The surface stays usable and linked until it is destroyed.
void LwGdiEndDraw(HDC hdc, cairo_surface_t* surface);
