// Where the GDI layer and the GDI+ layer meet: drawing with cairo into a device context.
// Only the two layers include this header.
#pragma once

#include <cairo.h>

#include <windows.h>

// Returns an ARGB32 cairo surface onto the pixels of the bitmap selected into a memory device
// context (a new reference that the caller destroys), or null when the DC has no bitmap. Pixels
// drawn into it reach the bitmap when LwGdiEndDraw is called with the same surface.
cairo_surface_t* LwGdiBeginDraw(HDC hdc);
void LwGdiEndDraw(HDC hdc, cairo_surface_t* surface);
