// The seed inputs of the reader fuzz harnesses, made by the program's own writers: a document
// file with pictures, an embedded font and a group holding a video; a PDF with one object of each
// kind; the text record and the page text object of a text imported from it; a font record and
// a character map with every kind of range; a font program for the outline reader.
//
// make_fuzz_seeds writes them under the source tree, to <folder>/fuzz/seeds/<harness>/<name>,
// where scripts/run-fuzzers.sh finds them; the seed test checks that each committed seed is still
// read whole by its reader.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fuzzseeds {

struct Seed {
  std::string folder;   // the library folder holding the harness, from the source root
  std::string harness;  // the fuzz harness's name
  std::string name;     // the seed file's name
  std::vector<uint8_t> bytes;
};

// Every seed; empty when a tool the document seed needs (ffmpeg, for its clip) is missing.
std::vector<Seed> MakeSeeds();

// The PDF seed alone: one page with a text in an embedded CFF font, in a standard font not
// embedded and in a composite font with a ToUnicode map; filled, stroked, dashed and clipped
// paths; an RGB image, a JPEG image and a stencil mask; a shading; and a form holding a path and
// a text. A second, smaller page has its own size.
std::vector<uint8_t> MakeSeedPdf();

}  // namespace fuzzseeds
