// Font programs made at test time.
#pragma once

#include <string>
#include <vector>

namespace lwtest {

// A bare CFF font "GwTest" of 1000 units with the glyphs .notdef, space (no contours, advance
// 250), A (advance 600: a box from (100,0) to (500,700) whose top is a cubic curve up to y = 775,
// control points at y = 800) and B (advance 600: the box (100,0)-(400,500)). FontBBox
// [0 0 600 800]: no descender. A font matrix, when given, is written in the Top DICT as its
// six numbers (decimal text such as "0.001" or "1e6").
std::vector<unsigned char> MakeBareCff(const std::vector<std::string>& fontMatrix = {});

}  // namespace lwtest
