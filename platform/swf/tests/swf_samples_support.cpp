#include "swf_samples_support.h"

#include "swf/ming.h"
#include "swf_reader_support.h"

namespace swftest {

const std::vector<uint8_t>& TinyBaselineJpeg() {
  static const std::vector<uint8_t> bytes = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x02, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x08, 0x04, 0x04, 0x04, 0x04, 0x04, 0x05,
    0x05, 0x05, 0x05, 0x05, 0x05, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x06, 0x06, 0x07, 0x07, 0x07, 0x08, 0x08, 0x08, 0x07, 0x07, 0x07, 0x06, 0x06, 0x07, 0x07, 0x08,
    0x08, 0x08, 0x08, 0x09, 0x09, 0x09, 0x08, 0x08, 0x08, 0x08, 0x09, 0x09, 0x0a, 0x0a, 0x0a, 0x0c,
    0x0c, 0x0b, 0x0b, 0x0e, 0x0e, 0x0e, 0x11, 0x11, 0x14, 0xff, 0xc4, 0x01, 0xa2, 0x00, 0x00, 0x01,
    0x05, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01,
    0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x01, 0x00, 0x03, 0x01, 0x01, 0x01,
    0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04,
    0x05, 0x06, 0x07, 0x08, 0x09, 0x0a, 0x0b, 0x10, 0x00, 0x02, 0x01, 0x03, 0x03, 0x02, 0x04, 0x03,
    0x05, 0x05, 0x04, 0x04, 0x00, 0x00, 0x01, 0x7d, 0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12,
    0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08,
    0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52, 0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16,
    0x17, 0x18, 0x19, 0x1a, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39,
    0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59,
    0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79,
    0x7a, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98,
    0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3, 0xd4,
    0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea,
    0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa, 0x11, 0x00, 0x02, 0x01, 0x02, 0x04,
    0x04, 0x03, 0x04, 0x07, 0x05, 0x04, 0x04, 0x00, 0x01, 0x02, 0x77, 0x00, 0x01, 0x02, 0x03, 0x11,
    0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71, 0x13, 0x22, 0x32, 0x81, 0x08,
    0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33, 0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a,
    0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18, 0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35,
    0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55,
    0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75,
    0x76, 0x77, 0x78, 0x79, 0x7a, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93,
    0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa,
    0xb2, 0xb3, 0xb4, 0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8,
    0xc9, 0xca, 0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6,
    0xe7, 0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa, 0xff, 0xc0, 0x00,
    0x11, 0x08, 0x00, 0x10, 0x00, 0x10, 0x03, 0x01, 0x12, 0x00, 0x02, 0x12, 0x00, 0x03, 0x12, 0x00,
    0xff, 0xda, 0x00, 0x0c, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0xe5, 0xa8,
    0xaf, 0xbb, 0x03, 0xe5, 0xc0, 0x28, 0xa0, 0x00, 0x0f, 0xff, 0xd9,
  };
  return bytes;
}

bool SaveAndParse(SWFMovie movie, Movie* out, std::string* error) {
  std::vector<uint8_t> bytes;
  if (!SWFMovie_saveToBuffer(movie, &bytes)) {
    *error = Ming_getLastError();
    return false;
  }
  return ParseMovie(bytes, out, error);
}

namespace {

// A rectangle path in pixels.
void DrawRect(SWFShape s, double x, double y, double w, double h) {
  SWFShape_movePenTo(s, x, y);
  SWFShape_drawLineTo(s, x + w, y);
  SWFShape_drawLineTo(s, x + w, y + h);
  SWFShape_drawLineTo(s, x, y + h);
  SWFShape_drawLineTo(s, x, y);
}

// Adds a shape filled with the style over the rectangle; the caller's handles are released.
void AddFilledRect(SWFMovie m, SWFFillStyle style, double x, double y, double w, double h,
                   void (*fit)(SWFFill, double, double, double, double) = nullptr) {
  SWFShape s = newSWFShape();
  SWFShape_useVersion(s, 4);
  SWFFill f = newSWFFill(style);
  if (fit) fit(f, x, y, w, h);
  SWFShape_setRightFill(s, f);
  DrawRect(s, x, y, w, h);
  SWFMovie_add(m, s);
  destroySWFFill(f);
  destroySWFFillStyle(style);
  destroySWFShape(s);
}

bool Save(SWFMovie m, const std::filesystem::path& p, std::vector<std::filesystem::path>* out,
          std::string* error) {
  if (SWFMovie_save(m, p.c_str()) < 0) {
    *error = std::string("cannot save ") + p.string() + ": " + Ming_getLastError();
    destroySWFMovie(m);
    return false;
  }
  destroySWFMovie(m);
  out->push_back(p);
  return true;
}

SWFMovie NewStage() {
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovie_setBackground(m, 255, 255, 255);
  SWFMovie_setDimension(m, 400, 300);
  SWFMovie_setRate(m, 20);
  return m;
}

}  // namespace

std::vector<std::filesystem::path> WriteCheckMovies(const std::filesystem::path& folder,
                                                    std::string* error,
                                                    const std::string& scriptSource) {
  std::vector<std::filesystem::path> files;

  // fills.swf: red solid at (20,20)-(120,120); blue-to-green linear gradient over
  // (140,20)-(240,120); the JPEG stretched over (260,20)-(360,120); a lossless magenta bitmap
  // with a half-transparent quarter over (20,160)-(120,260); a yellow disc of cubic curves
  // centred at (200,210), radius 40, with a black 4-pixel outline.
  {
    SWFMovie m = NewStage();
    AddFilledRect(m, newSWFSolidFillStyle(255, 0, 0, 255), 20, 20, 100, 100);

    SWFGradient g = newSWFGradient();
    SWFGradient_addEntry(g, 0.0, 0, 0, 255, 255);
    SWFGradient_addEntry(g, 1.0, 0, 255, 0, 255);
    AddFilledRect(m, newSWFGradientFillStyle(g, SWFFILL_LINEAR_GRADIENT), 140, 20, 100, 100,
                  [](SWFFill f, double x, double y, double w, double h) {
                    SWFFill_rotateTo(f, 0);
                    SWFFill_scaleXYTo(f, w / 1638.4, h / 1638.4);
                    SWFFill_moveTo(f, x + w / 2, y + h / 2);
                  });
    destroySWFGradient(g);

    SWFInput in = newSWFInput_bufferCopy(TinyBaselineJpeg().data(), int(TinyBaselineJpeg().size()));
    SWFBitmap jpeg = newSWFBitmap_fromInput(in);
    destroySWFInput(in);
    if (!jpeg) {
      *error = std::string("JPEG refused: ") + Ming_getLastError();
      destroySWFMovie(m);
      return {};
    }
    AddFilledRect(m, newSWFBitmapFillStyle(jpeg, SWFFILL_CLIPPED_BITMAP), 260, 20, 100, 100,
                  [](SWFFill f, double x, double y, double w, double h) {
                    SWFFill_scaleXYTo(f, w * 20 / 16, h * 20 / 16);
                    SWFFill_moveTo(f, x, y);
                  });
    destroySWFBitmap(jpeg);

    // 2 x 2 pixels: magenta, magenta, magenta, and half-transparent magenta at the bottom right.
    const uint8_t px[16] = {255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0, 255, 128};
    SWFBitmap lossless = newSWFBitmap_fromPixels(px, 2, 2, 8, SWF_PIXELS_BGRA32);
    AddFilledRect(m, newSWFBitmapFillStyle(lossless, SWFFILL_NONSMOOTHED_CLIPPED_BITMAP), 20, 160,
                  100, 100, [](SWFFill f, double x, double y, double w, double h) {
                    SWFFill_scaleXYTo(f, w * 20 / 2, h * 20 / 2);
                    SWFFill_moveTo(f, x, y);
                  });
    destroySWFBitmap(lossless);

    SWFShape disc = newSWFShape();
    SWFShape_useVersion(disc, 4);
    SWFFillStyle yellow = newSWFSolidFillStyle(255, 255, 0, 255);
    SWFFill fill = newSWFFill(yellow);
    SWFShape_setRightFill(disc, fill);
    SWFShape_setLine(disc, 4, 0, 0, 0, 255);
    Ming_setCubicThreshold(10);
    const double cx = 200, cy = 210, r = 40, k = 0.5522847498 * r;
    SWFShape_movePenTo(disc, cx + r, cy);
    SWFShape_drawCubicTo(disc, cx + r, cy + k, cx + k, cy + r, cx, cy + r);
    SWFShape_drawCubicTo(disc, cx - k, cy + r, cx - r, cy + k, cx - r, cy);
    SWFShape_drawCubicTo(disc, cx - r, cy - k, cx - k, cy - r, cx, cy - r);
    SWFShape_drawCubicTo(disc, cx + k, cy - r, cx + r, cy - k, cx + r, cy);
    SWFMovie_add(m, disc);
    destroySWFFill(fill);
    destroySWFFillStyle(yellow);
    destroySWFShape(disc);
    if (!Save(m, folder / "fills.swf", &files, error)) return {};
  }

  // text.swf (compressed): glyph 'A' is a solid square of 800 x 800 units standing on the
  // baseline, advance 1024; "ABA" at height 100 px from (50, 150): squares over
  // (50,72)-(128,150) and (150,72)-(228,150) in black; 'B' has no glyph and is left out.
  // A second text starts far off the stage at (-1800, -1800) and draws 'A' at height 30 px from
  // (300, 250): a square over (300,226)-(324,250), out of 16-bit reach of the first string. A
  // third text draws with a font that has no glyph at all (nothing appears).
  {
    SWFMovie m = NewStage();
    SWFMovie_setCompression(m, 9);
    SWFFont font = newSWFFont();
    SWFFont_setFlags(font, 132);
    SWFFont_setName(font, "Check Square");
    SWFFont_setMetrics(font, 900, 200, 0);
    SWFShape glyph = newSWFGlyphShape();
    SWFShape_moveScaledPenTo(glyph, 0, 0);
    SWFShape_drawScaledLineTo(glyph, 0, -800);
    SWFShape_drawScaledLineTo(glyph, 800, -800);
    SWFShape_drawScaledLineTo(glyph, 800, 0);
    SWFShape_drawScaledLineTo(glyph, 0, 0);
    SWFFont_addGlyph(font, 'A', glyph, 1024);
    destroySWFShape(glyph);
    SWFFont_buildReverseMapping(font);

    SWFMovieClip clip = newSWFMovieClip();
    SWFText text = newSWFText();
    SWFText_setFont(text, font);
    SWFText_setColor(text, 0, 0, 0, 255);
    SWFText_setHeight(text, 100);
    SWFText_setSpacing(text, 0);
    SWFText_moveTo(text, 50, 150);
    const unsigned short aba[] = {'A', 'B', 'A'};
    SWFText_addWideString(text, aba, 3, nullptr);
    SWFMovieClip_add(clip, text);

    SWFText far = newSWFText();
    SWFText_setFont(far, font);
    SWFText_setColor(far, 0, 0, 0, 255);
    SWFText_setHeight(far, 30);
    const unsigned short a[] = {'A'};
    SWFText_moveTo(far, -1800, -1800);
    SWFText_addWideString(far, a, 1, nullptr);
    SWFText_moveTo(far, 300, 250);
    SWFText_addWideString(far, a, 1, nullptr);
    SWFMovieClip_add(clip, far);

    SWFFont empty = newSWFFont();
    SWFFont_setName(empty, "Check Empty");
    SWFFont_setMetrics(empty, 900, 200, 0);
    SWFText none = newSWFText();
    SWFText_setFont(none, empty);
    SWFText_moveTo(none, 300, 50);
    SWFText_addWideString(none, a, 1, nullptr);
    SWFMovieClip_add(clip, none);

    SWFMovieClip_nextFrame(clip);
    SWFDisplayItem item = SWFMovie_add(m, clip);
    SWFDisplayItem_setName(item, "objects");
    destroySWFText(text);
    destroySWFText(far);
    destroySWFText(none);
    destroySWFFont(empty);
    destroySWFFont(font);
    destroySWFMovieClip(clip);
    if (!Save(m, folder / "text.swf", &files, error)) return {};
  }

  // action.swf: a red 100 x 100 square clip "box" placed at (20, 100); a script moves it to x 200.
  {
    SWFMovie m = NewStage();
    SWFMovieClip box = newSWFMovieClip();
    SWFShape sq = newSWFShape();
    SWFShape_useVersion(sq, 4);
    SWFFillStyle red = newSWFSolidFillStyle(255, 0, 0, 255);
    SWFFill fill = newSWFFill(red);
    SWFShape_setRightFill(sq, fill);
    DrawRect(sq, 0, 0, 100, 100);
    SWFMovieClip_add(box, sq);
    SWFMovieClip_nextFrame(box);
    SWFDisplayItem item = SWFMovie_add(m, box);
    SWFDisplayItem_setName(item, "box");
    SWFDisplayItem_moveTo(item, 20, 100);
    SWFAction action = newSWFAction(
        "var steps = 0;\n"
        "for (var i = 0; i < 4; i++) { steps += 45; }\n"
        "function place(clip, x) { clip._x = x; }\n"
        "place(box, steps + 20);\n"
        "stop();\n");
    int line = 0, column = 0;
    if (const char* why = SWFAction_getError(action, &line, &column)) {
      *error = "check script does not compile: " + std::string(why) + " at " +
               std::to_string(line) + ":" + std::to_string(column);
    } else {
      SWFMovie_add(m, action);
    }
    destroySWFAction(action);
    destroySWFFill(fill);
    destroySWFFillStyle(red);
    destroySWFShape(sq);
    destroySWFMovieClip(box);
    if (!error->empty()) {
      destroySWFMovie(m);
      return {};
    }
    if (!Save(m, folder / "action.swf", &files, error)) return {};
  }

  // script.swf: the given script alone on the root timeline.
  if (!scriptSource.empty()) {
    SWFMovie m = NewStage();
    SWFAction action = newSWFAction(scriptSource.c_str());
    int line = 0, column = 0;
    if (const char* why = SWFAction_getError(action, &line, &column)) {
      *error = "script does not compile: " + std::string(why) + " at " + std::to_string(line) +
               ":" + std::to_string(column);
      destroySWFAction(action);
      destroySWFMovie(m);
      return {};
    }
    SWFMovie_add(m, action);
    destroySWFAction(action);
    if (!Save(m, folder / "script.swf", &files, error)) return {};

    // child.swf: red over the whole stage; the self-check script loads it into a clip.
    SWFMovie child = NewStage();
    AddFilledRect(child, newSWFSolidFillStyle(255, 0, 0, 255), 0, 0, 400, 300);
    if (!Save(child, folder / "child.swf", &files, error)) return {};
  }
  return files;
}

}  // namespace swftest
