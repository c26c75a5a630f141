// Small images and movies shared by the SWF writer's tests and its player check.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct SWFMovie_s;

namespace swftest {

// A 16 x 16 baseline JPEG of one colour, about (0x20, 0x60, 0xC0).
const std::vector<uint8_t>& TinyBaselineJpeg();

struct Movie;

// Saves the movie into memory and decodes it with the test reader.
bool SaveAndParse(SWFMovie_s* movie, Movie* out, std::string* error);

// The check movies for a real player, written into folder: fills.swf (a solid, a gradient, a
// JPEG bitmap, a lossless bitmap and a cubic-curved shape), text.swf (glyph text in a built font,
// compressed) and action.swf (a script moves a clip); with a script source given, also
// script.swf, whose only content is that script, and child.swf (red over the whole stage) for
// that script to load into a clip. Returns the files written, or an empty list
// with *error set.
std::vector<std::filesystem::path> WriteCheckMovies(const std::filesystem::path& folder,
                                                    std::string* error,
                                                    const std::string& scriptSource = "");

}  // namespace swftest
