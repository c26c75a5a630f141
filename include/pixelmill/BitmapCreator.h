// Packed device-independent bitmaps: one allocation holding the 40-byte BITMAPINFOHEADER, the
// colour table and the bottom-up pixel rows. Every block made here (and by QorPixelmill's image
// class, which allocates through AllocateDibBlock) is an array of BITMAPINFOHEADER records, so
// whoever holds a block last frees it with `delete[] block` (or FreeDibImage).
#pragma once

#include <cstddef>

#include "windows.h"

class CBitmapCreator {
 public:
  // Largest block this library makes or accepts, so that byte offsets inside a block fit in an int.
  static constexpr size_t kMaxBlockBytes = 0x7FFFFFFF;

  // A zero-filled packed DIB of the given size and depth (1, 4, 8, 16, 24 or 32 bits) with
  // biSize 40, biPlanes 1, biCompression 0 and biClrUsed = colours. Depths up to 8 bits carry a
  // colour table of `colours` entries (2^bits when 0); deeper images carry none. Null for a size
  // below 1, another depth, a colour count below 0 or above 2^bits, a block above
  // kMaxBlockBytes, or when memory runs out.
  static BITMAPINFOHEADER* CreateDibImage(int width, int height, int bits, int colours);

  // Bytes of the block CreateDibImage would make; 0 when it would refuse the arguments.
  static size_t CalcDibBlockSize(int width, int height, int bits, int colours);

  // A zero-filled block of at least `bytes` bytes; null for 0, above kMaxBlockBytes, or when
  // memory runs out.
  static BITMAPINFOHEADER* AllocateDibBlock(size_t bytes);
  // The same block left unfilled, for a caller that writes all of its `bytes` bytes at once (a
  // copy of another block); the rounding past `bytes` is zero.
  static BITMAPINFOHEADER* AllocateDibBlockForCopy(size_t bytes);

  // Frees a block made by CreateDibImage or AllocateDibBlock; null is allowed.
  static void FreeDibImage(BITMAPINFOHEADER* block);
};
