// Drives the writer with arbitrary drawing and text calls (any coordinates, any sizes) and
// checks that the saved movie decodes tag by tag: whatever the caller asks, the file is valid.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "swf/ming.h"
#include "../tests/swf_reader_support.h"

using namespace swftest;

namespace {
struct Input {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (!n) return 0;
    --n;
    return *p++;
  }
  double Number() {
    uint8_t kind = Byte();
    if (kind < 200) return (int16_t(Byte() | (Byte() << 8))) / 4.0;
    double d = 0;
    uint8_t raw[8];
    for (auto& b : raw) b = Byte();
    std::memcpy(&d, raw, 8);  // any double: huge, tiny, infinite, not a number
    return d;
  }
  int Int() { return int16_t(Byte() | (Byte() << 8)) * (Byte() + 1); }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovie_setDimension(m, in.Number(), in.Number());
  SWFMovie_setRate(m, in.Number());
  SWFShape shape = newSWFShape();
  SWFShape glyph = newSWFGlyphShape();
  SWFFillStyle style = newSWFSolidFillStyle(1, 2, 3, 4);
  SWFFill fill = newSWFFill(style);
  SWFFont font = newSWFFont();
  SWFText text = newSWFText();
  SWFText_setFont(text, font);
  Ming_setCubicThreshold(1 + in.Byte() % 40);
  int ops = 0;
  while (in.n && ops++ < 400) {
    SWFShape s = (in.Byte() & 1) ? glyph : shape;
    switch (in.Byte() % 10) {
      case 0: SWFShape_movePenTo(s, in.Number(), in.Number()); break;
      case 1: SWFShape_drawLineTo(s, in.Number(), in.Number()); break;
      case 2: SWFShape_drawCurveTo(s, in.Number(), in.Number(), in.Number(), in.Number()); break;
      case 3:
        SWFShape_drawCubicTo(s, in.Number(), in.Number(), in.Number(), in.Number(), in.Number(),
                             in.Number());
        break;
      case 4: SWFShape_setRightFill(s, (in.Byte() & 1) ? fill : nullptr); break;
      case 5:
        if (in.Byte() & 1) {
          SWFShape_setLine(s, uint16_t(in.Byte() * 300), 1, 2, 3, 255);
        } else {
          // Any width, cap and join kinds (unknown ones too) and miter limit; any fill rule.
          const int width = in.Int(), start = in.Byte() % 5 - 1, end = in.Byte() % 5 - 1, join = in.Byte() % 5 - 1;
          SWFShape_setLineTwips(s, width, 1, 2, 3, 255, start, end, join, in.Number());
          SWFShape_setFillRule(s, in.Byte() % 3);
        }
        break;
      case 6: SWFFill_setMatrix(fill, in.Number(), in.Number(), in.Number(), in.Number(), in.Number(), in.Number()); break;
      case 7: {
        SWFShape g = newSWFGlyphShape();
        SWFShape_drawScaledLineTo(g, in.Number(), in.Number());
        SWFFont_addGlyph(font, in.Byte(), g, in.Int());
        destroySWFShape(g);
        break;
      }
      case 8: {
        SWFText_setHeight(text, in.Number());
        SWFText_setSpacing(text, in.Number());
        SWFText_moveTo(text, in.Number(), in.Number());
        unsigned short chars[300];
        size_t count = in.Byte() + 45;
        for (size_t i = 0; i < count; ++i) chars[i] = in.Byte();
        SWFText_addWideString(text, chars, int(count), nullptr);
        break;
      }
      case 9: SWFFont_addGlyph(font, in.Byte(), glyph, in.Int()); break;
    }
  }
  SWFDisplayItem item = SWFMovie_add(m, shape);
  SWFDisplayItem_setMatrix(item, in.Number(), in.Number(), in.Number(), in.Number(), in.Number(), in.Number());
  SWFMovie_add(m, text);
  std::vector<uint8_t> bytes;
  if (!SWFMovie_saveToBuffer(m, &bytes)) __builtin_trap();
  Movie movie;
  std::string error;
  if (!ParseMovie(bytes, &movie, &error)) __builtin_trap();
  for (const Tag& t : movie.tags) {
    bool ok = true;
    if (t.code == kDefineShape4) {
      Shape sh;
      ok = ParseShape4(t, &sh, &error);
    } else if (t.code == kDefineFont2) {
      Font f;
      ok = ParseFont2(t, &f, &error);
    } else if (t.code == kDefineText || t.code == kDefineText2) {
      Text tx;
      ok = ParseText(t, &tx, &error);
    } else if (t.code == kPlaceObject2) {
      Place pl;
      ok = ParsePlace2(t, &pl, &error);
    }
    if (!ok) __builtin_trap();
  }
  destroySWFText(text);
  destroySWFFont(font);
  destroySWFFill(fill);
  destroySWFFillStyle(style);
  destroySWFShape(glyph);
  destroySWFShape(shape);
  destroySWFMovie(m);
  return 0;
}
