// A small SWF reader for tests: decodes the header, the tag list and the tags the writer makes
// (shapes, fonts, texts, bitmaps, placements, sprites, actions, video streams) so that tests
// check structure rather than bytes. Every parser checks its reads against the data it was given
// and fails with a message on bad input.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace swftest {

struct Tag {
  int code = 0;
  std::vector<uint8_t> body;
};

struct Rect {
  int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

struct Matrix {
  double a = 1, b = 0, c = 0, d = 1;  // x' = a x + c y + tx, y' = b x + d y + ty
  int32_t tx = 0, ty = 0;             // twips
};

struct Movie {
  std::string signature;  // "FWS" or "CWS"
  int version = 0;
  uint32_t fileLength = 0;
  Rect frame;
  double rate = 0;
  int frameCount = 0;
  std::vector<Tag> tags;  // up to and including End
};

struct GradientEntry {
  int ratio = 0;
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct FillStyle {
  int type = 0;
  uint8_t r = 0, g = 0, b = 0, a = 0;
  Matrix matrix;
  int spread = 0, interpolation = 0;
  std::vector<GradientEntry> gradient;
  int bitmapId = 0;
};

struct LineStyle {
  int width = 0;
  int startCap = 0, join = 0, endCap = 0;
  bool hasFill = false;
  uint8_t r = 0, g = 0, b = 0, a = 0;
};

struct ShapeRecord {
  enum Kind { kStyle, kLine, kCurve } kind = kStyle;
  // Style change.
  bool hasMove = false, hasFill0 = false, hasFill1 = false, hasLine = false;
  int32_t moveX = 0, moveY = 0;
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  // Edges: deltas, the bit count used, and the absolute end point.
  int32_t dx = 0, dy = 0, cdx = 0, cdy = 0;
  int bits = 0;
  int32_t x = 0, y = 0;
};

struct Shape {
  int id = 0;
  Rect bounds, edgeBounds;
  int flags = 0;
  std::vector<FillStyle> fills;
  std::vector<LineStyle> lines;
  int fillBits = 0, lineBits = 0;
  std::vector<ShapeRecord> records;
};

struct Font {
  int id = 0;
  int flags = 0;
  int language = 0;
  std::string name;
  std::vector<std::vector<ShapeRecord>> glyphs;
  std::vector<uint16_t> codes;
  int ascent = 0, descent = 0, leading = 0;
  std::vector<int16_t> advances;
  std::vector<Rect> bounds;
  int kerningCount = 0;
};

struct TextRecord {
  bool hasFont = false, hasColor = false, hasX = false, hasY = false;
  int fontId = 0;
  uint8_t r = 0, g = 0, b = 0, a = 255;
  int16_t x = 0, y = 0;
  int height = 0;
  std::vector<std::pair<uint32_t, int32_t>> glyphs;  // index, advance
};

struct Text {
  int id = 0;
  bool alpha = false;  // DefineText2
  Rect bounds;
  Matrix matrix;
  int glyphBits = 0, advanceBits = 0;
  std::vector<TextRecord> records;
};

struct Place {
  int flags = 0;
  int depth = 0;
  int characterId = 0;
  bool hasMatrix = false;
  Matrix matrix;
  std::string name;
};

struct Sprite {
  int id = 0;
  int frameCount = 0;
  std::vector<Tag> tags;
};

struct Bitmap {
  int id = 0;
  bool jpeg = false;
  int format = 0, width = 0, height = 0;
  std::vector<uint8_t> data;  // JPEG bytes, or inflated ARGB pixels (premultiplied)
};

struct VideoStream {
  int id = 0, frames = 0, width = 0, height = 0, flags = 0, codec = 0;
};

struct Action {
  int code = 0;
  std::vector<uint8_t> payload;
};

// Tag codes the writer uses.
enum {
  kEnd = 0, kShowFrame = 1, kSetBackgroundColor = 9, kDefineText = 11, kDoAction = 12,
  kDefineBitsJPEG2 = 21, kPlaceObject2 = 26, kDefineText2 = 33, kDefineBitsLossless2 = 36,
  kDefineSprite = 39, kDefineFont2 = 48, kDefineVideoStream = 60, kFileAttributes = 69,
  kDefineShape4 = 83,
};

bool ParseMovie(const std::vector<uint8_t>& file, Movie* out, std::string* error);
bool ParseTags(const uint8_t* data, size_t size, std::vector<Tag>* out, std::string* error);
bool ParseShape4(const Tag& tag, Shape* out, std::string* error);
bool ParseFont2(const Tag& tag, Font* out, std::string* error);
bool ParseText(const Tag& tag, Text* out, std::string* error);
bool ParsePlace2(const Tag& tag, Place* out, std::string* error);
bool ParseSprite(const Tag& tag, Sprite* out, std::string* error);
bool ParseBitmap(const Tag& tag, Bitmap* out, std::string* error);
bool ParseVideoStream(const Tag& tag, VideoStream* out, std::string* error);
bool ParseActions(const std::vector<uint8_t>& body, std::vector<Action>* out, std::string* error);

// Tags with the given code, in order.
std::vector<const Tag*> FindTags(const std::vector<Tag>& tags, int code);

}  // namespace swftest
