// Running text set the way TeX sets it: a bare CFF subset of URW's Nimbus Roman (Debian's
// fonts-urw-base35) cut with hb-subset, with the fi and fl ligatures and no space glyph, shown in
// TJ arrays whose word gaps are kerns (no space character anywhere), one BT block a column.
// The words are chosen by a fixed seed, so every call with the same options gives the same file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lwtest {

struct TexLikeOptions {
  int pages = 1;
  int columns = 2;  // 1 or 2
  // The characters the subset holds (besides the ligatures) and the words are made of; a
  // character the face lacks is left out. Never a space.
  std::string letters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.,;:-()";
  bool ligatures = true;  // fi and fl in the subset, and drawn for those letter pairs
  std::string base_font = "QXKVCR+NimbusRom-Regular";
  unsigned seed = 1;
  // From this 0-based page on, the text is set in a second font of the same subset (object 2,
  // as a document has a bold face for its later chapters); 0: one font throughout.
  int second_font_page = 0;
};

struct TexLikePdf {
  std::vector<uint8_t> bytes;
  // The words of the first page in reading order (ligatures as their letters).
  std::vector<std::string> first_page_words;
};

// The file of URW's Nimbus Roman Regular (OpenType CFF); throws std::runtime_error when
// fonts-urw-base35 is not installed.
std::string NimbusRomanPath();

// The font is the file's object 1 whatever the options (and the second font, when there is one,
// object 2), so two files made with different letters carry different subsets under one object
// number and one BaseFont name. Throws std::runtime_error when the font is missing or cannot be cut.
TexLikePdf MakeTexLikePdf(const TexLikeOptions& options);

}  // namespace lwtest
