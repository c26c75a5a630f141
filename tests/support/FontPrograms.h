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

// A bare CFF font "GwAccent" of 1000 units with the glyphs .notdef, space, A (the box
// (100,0)-(500,700)), B (the box (100,0)-(400,500), drawn after stem hints and a hint mask by a
// local subroutine that ends in a global one), acute (the box (200,750)-(300,800)) and Aacute
// (A with the acute, built by endchar from standard codes 65 and 194); all advance 600.
std::vector<unsigned char> MakeAccentedCff();

// A Type 1 font "GwType1" (clear text, eexec part binary or hexadecimal, trailer) of 1000 units
// with the same glyphs as MakeAccentedCff: .notdef, space, A, B (from subroutine 4), acute and
// Aacute (seac of standard codes 65 and 194; with `seacInSubr` the seac is subroutine 5, which
// takes the operands Aacute leaves). Subroutines 0 to 3 only return.
std::vector<unsigned char> MakeType1(bool hexEncrypted, bool seacInSubr = false);

}  // namespace lwtest
