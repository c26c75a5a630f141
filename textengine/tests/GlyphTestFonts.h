// Font programs for the glyph tests: installed font files, the TrueType subset that cairo embeds
// in a PDF, and the small bare CFF font of the test support, with a helper that wraps a program
// into an embedded-font resource.
#pragma once

#include <gtest/gtest.h>
#include <zlib.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <gdi/fontfiles.h>
#include <gdi/ftlibrary.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "FontPrograms.h"
#include "PdfFixtures.h"
#include "glyphweave/EmbedFontRes.h"

namespace gwglyph {

inline std::vector<unsigned char> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The file our font layer uses for a Windows face, and its face index.
inline std::string FontFileOf(const wchar_t* face, int charset, int* index = nullptr) {
  std::string path;
  int faceIndex = 0;
  if (!LwResolveFontFile(face, 400, false, charset, &path, &faceIndex)) return {};
  if (index) *index = faceIndex;
  return path;
}

// The FontFile2 stream of the first font in a PDF, inflated.
inline std::vector<unsigned char> FontFile2Of(const std::vector<uint8_t>& pdf) {
  const std::string s(pdf.begin(), pdf.end());
  const size_t ref = s.find("/FontFile2 ");
  if (ref == std::string::npos) throw std::runtime_error("no FontFile2");
  const int num = std::atoi(s.c_str() + ref + 11);
  const size_t obj = s.find("\n" + std::to_string(num) + " 0 obj");
  size_t start = s.find("stream", obj);
  if (obj == std::string::npos || start == std::string::npos) throw std::runtime_error("no font stream");
  start += 6;
  if (s[start] == '\r') ++start;
  if (s[start] == '\n') ++start;
  std::vector<unsigned char> out(4u << 20);
  z_stream z{};
  inflateInit(&z);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(s.data() + start));
  z.avail_in = static_cast<uInt>(s.size() - start);
  z.next_out = out.data();
  z.avail_out = static_cast<uInt>(out.size());
  const int r = inflate(&z, Z_FINISH);
  out.resize(z.total_out);
  inflateEnd(&z);
  if (r != Z_STREAM_END) throw std::runtime_error("font stream does not inflate");
  return out;
}

using lwtest::MakeBareCff;

// An embedded-font resource holding program (embed flag 0), with the given id.
inline GlyphweaveLib::CEmbedFontResouce* MakeProgramResource(int id, const std::vector<unsigned char>& program,
                                                            int hintingWord = 1, int embedFlag = 0) {
  auto* res = new GlyphweaveLib::CEmbedFontResouce();
  res->SetFontID(id);
  res->SetEmbedFontFlag(embedFlag);
  GlyphweaveLib::CPdfEmbedFontDesc desc;
  desc.SetFontName("TestFont");
  desc.m_nHintingWord = hintingWord;
  desc.m_vProgram = program;
  res->SetEmbedPdfFontContent(&desc);
  return res;
}

// Unscaled facts of one glyph of a font file: bounds and advance in font units.
struct GlyphFacts {
  int units = 0;
  long xMin = 0, yMin = 0, xMax = 0, yMax = 0, advance = 0;
};
inline GlyphFacts FactsOf(const std::vector<unsigned char>& program, int faceIndex, unsigned ch) {
  GlyphFacts f;
  LwFreeTypeLock lock;
  FT_Face face = nullptr;
  if (FT_New_Memory_Face(LwFreeType::Acquire(), program.data(), static_cast<FT_Long>(program.size()), faceIndex,
                         &face) != 0)
    return f;
  f.units = face->units_per_EM;
  const FT_UInt index = FT_Get_Char_Index(face, ch);
  if (index && FT_Load_Glyph(face, index, FT_LOAD_NO_SCALE) == 0) {
    FT_BBox box;
    FT_Outline_Get_CBox(&face->glyph->outline, &box);
    f.xMin = box.xMin, f.yMin = box.yMin, f.xMax = box.xMax, f.yMax = box.yMax;
    f.advance = face->glyph->advance.x;
  }
  FT_Done_Face(face);
  return f;
}

// Pixels of the reference em (1024 points at 96 dpi).
constexpr float kEm = 96.0f * 1024.0f / 72.0f;

}  // namespace gwglyph
