// Feeds arbitrary bytes to the test SWF reader, as a whole file and as each kind of tag body:
// it must fail cleanly, never crash, hang or read past the data.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "../tests/swf_reader_support.h"

using namespace swftest;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> bytes(data, data + size);
  std::string error;
  Movie movie;
  ParseMovie(bytes, &movie, &error);
  Tag tag;
  tag.body = bytes;
  Shape shape;
  tag.code = kDefineShape4;
  ParseShape4(tag, &shape, &error);
  Font font;
  tag.code = kDefineFont2;
  ParseFont2(tag, &font, &error);
  Text text;
  tag.code = size % 2 ? kDefineText : kDefineText2;
  ParseText(tag, &text, &error);
  Place place;
  tag.code = kPlaceObject2;
  ParsePlace2(tag, &place, &error);
  Sprite sprite;
  tag.code = kDefineSprite;
  ParseSprite(tag, &sprite, &error);
  Bitmap bitmap;
  tag.code = size % 3 ? kDefineBitsLossless2 : kDefineBitsJPEG2;
  ParseBitmap(tag, &bitmap, &error);
  std::vector<Action> actions;
  ParseActions(bytes, &actions, &error);
  return 0;
}
