// Feeds arbitrary bytes to the bitmap reader: it must refuse them or keep a bitmap that saves,
// never crash or read past the input.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "swf/ming.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SWFInput in = newSWFInput_bufferCopy(data, int(size));
  SWFBitmap bm = newSWFBitmap_fromInput(in);
  destroySWFInput(in);
  if (!bm) return 0;
  if (SWFBitmap_getWidth(bm) < 1 || SWFBitmap_getHeight(bm) < 1) __builtin_trap();
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFShape s = newSWFShape();
  SWFFillStyle style = newSWFBitmapFillStyle(bm, SWFFILL_CLIPPED_BITMAP);
  SWFFill fill = newSWFFill(style);
  SWFShape_setRightFill(s, fill);
  SWFShape_drawLineTo(s, 1, 1);
  SWFMovie_add(m, s);
  std::vector<uint8_t> out;
  if (!SWFMovie_saveToBuffer(m, &out)) __builtin_trap();
  destroySWFFill(fill);
  destroySWFFillStyle(style);
  destroySWFShape(s);
  destroySWFBitmap(bm);
  destroySWFMovie(m);
  return 0;
}
