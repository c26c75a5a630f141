// Writing one page movie: 2,000 filled and stroked shapes (lines, quadratics and cubics) and
// 3,000 glyphs of text in rows of 60, in a font of 80 curved glyphs, built and saved into memory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "swf/ming.h"

namespace {

SWFShape GlyphOutline(int seed) {
  // A ring of eight quadratic arcs with a notch: about what a letter costs.
  SWFShape g = newSWFGlyphShape();
  const double cx = 300 + seed, cy = -350, r = 280;
  SWFShape_moveScaledPenTo(g, cx + r, cy);
  for (int i = 1; i <= 8; ++i) {
    double a0 = (i - 0.5) * M_PI / 4, a1 = i * M_PI / 4;
    SWFShape_drawScaledCurveTo(g, cx + r * 1.08 * std::cos(a0), cy + r * 1.08 * std::sin(a0),
                               cx + r * std::cos(a1), cy + r * std::sin(a1));
  }
  SWFShape_moveScaledPenTo(g, cx + 100, cy);
  SWFShape_drawScaledCubicTo(g, cx + 100, cy + 60, cx - 100, cy + 60, cx - 100, cy);
  SWFShape_drawScaledLineTo(g, cx + 100, cy);
  return g;
}

void BM_WritePageMovie(benchmark::State& state) {
  Ming_setCubicThreshold(10);
  size_t bytes = 0;
  for (auto _ : state) {
    SWFMovie movie = newSWFMovieWithVersion(8);
    SWFMovie_setBackground(movie, 255, 255, 255);
    SWFMovie_setDimension(movie, 612, 792);
    SWFMovie_setRate(movie, 20);
    SWFMovieClip clip = newSWFMovieClip();

    for (int i = 0; i < 2000; ++i) {
      SWFShape s = newSWFShape();
      SWFShape_useVersion(s, 4);
      SWFFillStyle style = newSWFSolidFillStyle(i & 255, (i * 7) & 255, (i * 13) & 255, 255);
      SWFFill fill = newSWFFill(style);
      SWFShape_setRightFill(s, fill);
      SWFShape_setLine(s, 1, 0, 0, 0, 255);
      double x = (i % 40) * 15.0, y = (i / 40) * 15.0;
      SWFShape_movePenTo(s, x, y);
      SWFShape_drawLineTo(s, x + 12, y);
      SWFShape_drawCurveTo(s, x + 14, y + 6, x + 12, y + 12);
      SWFShape_drawCubicTo(s, x + 8, y + 16, x + 4, y + 8, x, y + 12);
      SWFShape_drawLineTo(s, x, y);
      SWFDisplayItem item = SWFMovieClip_add(clip, s);
      SWFDisplayItem_setMatrix(item, 0.7518797, 0, 0, 0.7518797, 0, 0);
      destroySWFFill(fill);
      destroySWFFillStyle(style);
      destroySWFShape(s);
    }

    SWFFont font = newSWFFont();
    SWFFont_setFlags(font, 132);
    SWFFont_setName(font, "Bench Sans");
    SWFFont_setMetrics(font, 905, 212, 33);
    for (int c = 0; c < 80; ++c) {
      SWFShape g = GlyphOutline(c);
      SWFFont_addGlyph(font, uint16_t(0x21 + (c * 37) % 80), g, 600 + c);
      destroySWFShape(g);
    }
    std::vector<unsigned short> row(60);
    for (int line = 0; line < 50; ++line) {
      SWFText text = newSWFText();
      SWFText_setFont(text, font);
      SWFText_setColor(text, 0, 0, 0, 255);
      SWFText_setHeight(text, 12);
      SWFText_setSpacing(text, 0);
      SWFText_moveTo(text, 40, 40 + line * 14);
      for (int k = 0; k < 60; ++k) row[size_t(k)] = uint16_t(0x21 + (line * 60 + k) % 80);
      SWFText_addWideString(text, row.data(), 60, nullptr);
      SWFDisplayItem item = SWFMovieClip_add(clip, text);
      SWFDisplayItem_setMatrix(item, 0.7518797, 0, 0, 0.7518797, 0, 0);
      destroySWFText(text);
    }
    SWFFont_buildReverseMapping(font);
    destroySWFFont(font);

    SWFMovieClip_nextFrame(clip);
    SWFDisplayItem objects = SWFMovie_add(movie, clip);
    SWFDisplayItem_setName(objects, "objects");
    destroySWFMovieClip(clip);

    std::vector<uint8_t> out;
    if (!SWFMovie_saveToBuffer(movie, &out)) state.SkipWithError(Ming_getLastError());
    bytes = out.size();
    destroySWFMovie(movie);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["file_bytes"] = double(bytes);
}
BENCHMARK(BM_WritePageMovie)->Unit(benchmark::kMillisecond);

}  // namespace
