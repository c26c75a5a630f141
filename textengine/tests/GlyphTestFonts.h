// Font programs for the glyph tests: installed font files, the TrueType subset that cairo embeds
// in a PDF, and a small bare CFF font (the FontFile3 form) built here, with a helper that wraps a
// program into an embedded-font resource.
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

// A bare CFF font "GwTest" of 1000 units with the glyphs .notdef, space (no contours, advance
// 250), A (advance 600: a box from (100,0) to (500,700) whose top is a cubic curve up to y = 775,
// control points at y = 800) and B (advance 600: the box (100,0)-(400,500)). FontBBox
// [0 0 600 800]: no descender.
inline std::vector<unsigned char> MakeBareCff() {
  using Bytes = std::vector<unsigned char>;
  auto num = [](Bytes& b, int v) {  // charstring / DICT small integers
    if (v >= -107 && v <= 107) {
      b.push_back(static_cast<unsigned char>(v + 139));
    } else if (v >= 108 && v <= 1131) {
      b.push_back(static_cast<unsigned char>((v - 108) / 256 + 247));
      b.push_back(static_cast<unsigned char>((v - 108) % 256));
    } else {
      b.push_back(static_cast<unsigned char>((-v - 108) / 256 + 251));
      b.push_back(static_cast<unsigned char>((-v - 108) % 256));
    }
  };
  auto long32 = [](Bytes& b, int v) {
    b.push_back(29);
    for (int i = 3; i >= 0; --i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
  };
  auto index = [](const std::vector<Bytes>& items) {
    Bytes b;
    b.push_back(static_cast<unsigned char>(items.size() >> 8));
    b.push_back(static_cast<unsigned char>(items.size()));
    if (items.empty()) return b;
    b.push_back(2);  // offset size
    unsigned off = 1;
    auto put = [&](unsigned v) {
      b.push_back(static_cast<unsigned char>(v >> 8));
      b.push_back(static_cast<unsigned char>(v));
    };
    put(off);
    for (const Bytes& it : items) put(off += static_cast<unsigned>(it.size()));
    for (const Bytes& it : items) b.insert(b.end(), it.begin(), it.end());
    return b;
  };
  // Charstrings: width first, then the outline.
  Bytes notdef, space, a, bee;
  num(notdef, 500);
  notdef.push_back(14);
  num(space, 250);
  space.push_back(14);
  num(a, 600);
  num(a, 100), num(a, 0), a.push_back(21);                   // rmoveto (100,0)
  num(a, 400), num(a, 0), a.push_back(5);                    // rlineto (500,0)
  num(a, 0), num(a, 700), a.push_back(5);                    // rlineto (500,700)
  for (int v : {-100, 100, -200, 0, -100, -100}) num(a, v);  // curve to (100,700)
  a.push_back(8);
  a.push_back(14);
  num(bee, 600);
  num(bee, 100), num(bee, 0), bee.push_back(21);
  num(bee, 300), num(bee, 0), bee.push_back(5);
  num(bee, 0), num(bee, 500), bee.push_back(5);
  num(bee, -300), num(bee, 0), bee.push_back(5);
  bee.push_back(14);
  const Bytes charStrings = index({notdef, space, a, bee});
  const Bytes charset = {0, 0, 1, 0, 34, 0, 35};  // format 0: space, A, B (standard SIDs)
  Bytes priv;
  num(priv, 0), priv.push_back(20);  // defaultWidthX
  num(priv, 0), priv.push_back(21);  // nominalWidthX

  const Bytes header = {1, 0, 4, 1};
  const Bytes names = index({Bytes{'G', 'w', 'T', 'e', 's', 't'}});
  const Bytes strings = index({});
  const Bytes gsubrs = index({});
  // The Top DICT has a fixed size (offsets as 5-byte integers): lay out first, then fill in.
  auto topDict = [&](int charsetOff, int charStringsOff, int privOff) {
    Bytes d;
    for (int v : {0, 0, 600, 800}) {
      d.push_back(28);
      d.push_back(static_cast<unsigned char>(v >> 8));
      d.push_back(static_cast<unsigned char>(v));
    }
    d.push_back(5);  // FontBBox
    long32(d, charsetOff), d.push_back(15);
    long32(d, charStringsOff), d.push_back(17);
    long32(d, static_cast<int>(priv.size())), long32(d, privOff), d.push_back(18);
    return d;
  };
  const size_t topSize = index({topDict(0, 0, 0)}).size();
  const int charsetOff = static_cast<int>(header.size() + names.size() + topSize + strings.size() + gsubrs.size());
  const int charStringsOff = charsetOff + static_cast<int>(charset.size());
  const int privOff = charStringsOff + static_cast<int>(charStrings.size());
  Bytes font = header;
  font.insert(font.end(), names.begin(), names.end());
  const Bytes top = index({topDict(charsetOff, charStringsOff, privOff)});
  for (const Bytes* part : std::initializer_list<const Bytes*>{&top, &strings, &gsubrs, &charset, &charStrings, &priv})
    font.insert(font.end(), part->begin(), part->end());
  return font;
}

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
