// Cutting Type 1 and bare CFF programs down to some of their glyphs: what is kept draws as it did,
// and programs that cannot be read are refused (the caller then embeds them whole).
#include <gtest/gtest.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_FONT_FORMATS_H

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "../writer_internal.h"
#include "FontPrograms.h"

namespace {

using pagesieve::SubsetCff;
using pagesieve::SubsetType1;
using pagesieve::Type1Subset;
using Bytes = std::vector<uint8_t>;

// The three parts of a Type 1 program of FontPrograms: clear text up to the line after eexec,
// the encrypted part, then 8 lines of zeros and cleartomark.
struct Parts {
  int l1 = 0, l2 = 0, l3 = 0;
};
Parts SplitType1(const Bytes& t1) {
  const std::string text(t1.begin(), t1.end());
  Parts p;
  p.l1 = int(text.find("eexec\n") + 6);
  p.l3 = 8 * 65 + 12;
  p.l2 = int(t1.size()) - p.l1 - p.l3;
  return p;
}

Bytes Crypt(const Bytes& in, uint16_t key, bool decrypt) {
  Bytes out(in.size());
  uint16_t r = key;
  for (size_t i = 0; i < in.size(); ++i) {
    out[i] = uint8_t(in[i] ^ (r >> 8));
    r = uint16_t(((decrypt ? in[i] : out[i]) + r) * 52845u + 22719u);
  }
  return out;
}

// A binary Type 1 program with its decrypted part edited by `edit`.
Bytes EditType1(const std::function<void(std::string&)>& edit) {
  const Bytes t1 = lwtest::MakeType1(false);
  const Parts p = SplitType1(t1);
  const Bytes secret(t1.begin() + p.l1, t1.begin() + p.l1 + p.l2);
  const Bytes plain = Crypt(secret, 55665, true);
  std::string text(plain.begin(), plain.end());
  edit(text);
  const Bytes again = Crypt(Bytes(text.begin(), text.end()), 55665, false);
  Bytes out(t1.begin(), t1.begin() + p.l1);
  out.insert(out.end(), again.begin(), again.end());
  out.insert(out.end(), t1.end() - p.l3, t1.end());
  return out;
}

// The Type 1 program of FontPrograms with a hexadecimal encrypted part whose four leading bytes
// encrypt to `lead`: written binary, "1234" reads as hexadecimal and " 234" loses its space.
Bytes HexType1WithLead(const char* lead) {
  const Bytes t1 = lwtest::MakeType1(false);
  const Parts p = SplitType1(t1);
  Bytes plain = Crypt(Bytes(t1.begin() + p.l1, t1.end() - p.l3), 55665, true);
  uint16_t r = 55665;
  for (int i = 0; i < 4; ++i) {
    plain[size_t(i)] = uint8_t(lead[i] ^ (r >> 8));
    r = uint16_t(uint8_t(lead[i]) + r) * 52845u + 22719u;
  }
  const Bytes secret = Crypt(plain, 55665, false);
  Bytes out(t1.begin(), t1.begin() + p.l1);
  for (size_t i = 0; i < secret.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02x", secret[i]);
    out.insert(out.end(), hex, hex + 2);
    if (i % 32 == 31) out.push_back('\n');
  }
  out.push_back('\n');
  out.insert(out.end(), t1.end() - p.l3, t1.end());
  return out;
}

struct Face {
  FT_Library lib = nullptr;
  FT_Face face = nullptr;
  explicit Face(const Bytes& bytes) : data(bytes) {
    if (FT_Init_FreeType(&lib) == 0 && FT_New_Memory_Face(lib, data.data(), FT_Long(data.size()), 0, &face) != 0)
      face = nullptr;
  }
  ~Face() {
    if (face) FT_Done_Face(face);
    if (lib) FT_Done_FreeType(lib);
  }
  std::set<std::string> Names() const {
    std::set<std::string> out;
    for (FT_Long g = 0; face && g < face->num_glyphs; ++g) {
      char name[64] = {};
      FT_Get_Glyph_Name(face, FT_UInt(g), name, sizeof name);
      out.insert(name);
    }
    return out;
  }
  // Advance and outline points of a glyph, by name.
  std::vector<long> Glyph(const char* name) const {
    std::vector<long> out;
    const FT_UInt g = std::strcmp(name, ".notdef") == 0 ? 0 : FT_Get_Name_Index(face, name);
    if ((g == 0 && std::strcmp(name, ".notdef") != 0) || FT_Load_Glyph(face, g, FT_LOAD_NO_SCALE) != 0) return out;
    out.push_back(face->glyph->advance.x);
    for (int i = 0; i < face->glyph->outline.n_points; ++i)
      out.insert(out.end(), {face->glyph->outline.points[i].x, face->glyph->outline.points[i].y});
    return out;
  }
  Bytes data;
};

// Glyph ids of the test CFF fonts: .notdef, space, A, B, acute, Aacute.
enum { kSpace = 1, kA = 2, kB = 3, kAcute = 4, kAacute = 5 };
const char* const kNames[] = {".notdef", "space", "A", "B", "acute", "Aacute"};

TEST(SimpleSubset, KeepsTheGlyphsAskedForNotdefAndThePartsOfAccentedGlyphs) {
  struct Case {
    const char* what;
    std::vector<uint32_t> keep;          // glyph ids (names for Type 1)
    std::set<std::string> expected;      // glyphs of the cut
  };
  const std::vector<Case> cases = {
      {"an accented glyph brings its letter and accent", {kAacute}, {".notdef", "A", "acute", "Aacute"}},
      {"a glyph drawn by subroutines", {kB}, {".notdef", "B"}},
      {"nothing asked for", {}, {".notdef"}},
      {"every glyph", {kSpace, kA, kB, kAcute, kAacute}, {".notdef", "space", "A", "B", "acute", "Aacute"}},
  };
  struct Program {
    const char* what;
    Bytes bytes;
    bool type1;
  };
  const std::vector<Program> programs = {{"Type 1, binary", lwtest::MakeType1(false), true},
                                         {"Type 1, hexadecimal", lwtest::MakeType1(true), true},
                                         {"Type 1, hexadecimal from digits", HexType1WithLead("1234"), true},
                                         {"Type 1, hexadecimal from a space", HexType1WithLead(" 234"), true},
                                         {"CFF", lwtest::MakeAccentedCff(), false}};
  for (const Program& prog : programs) {
    const Face whole(prog.bytes);
    ASSERT_TRUE(whole.face) << prog.what;
    ASSERT_EQ(whole.Names().size(), 6u) << prog.what;
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(prog.what) + ": " + c.what);
      Bytes cut;
      if (prog.type1) {
        std::vector<std::string> names;
        for (uint32_t g : c.keep) names.push_back(kNames[g]);
        const Parts p = SplitType1(prog.bytes);
        Type1Subset out;
        ASSERT_TRUE(SubsetType1(prog.bytes.data(), prog.bytes.size(), p.l1, p.l2, p.l3, names, &out));
        // Clear text and trailer as they were; the encrypted part binary, as long as it says.
        EXPECT_EQ(out.length1, p.l1);
        EXPECT_EQ(out.length3, p.l3);
        ASSERT_EQ(out.program.size(), size_t(out.length1 + out.length2 + out.length3));
        EXPECT_TRUE(std::equal(prog.bytes.begin(), prog.bytes.begin() + p.l1, out.program.begin()));
        EXPECT_TRUE(std::equal(prog.bytes.end() - p.l3, prog.bytes.end(), out.program.end() - p.l3));
        cut = out.program;
      } else {
        std::vector<uint32_t> newGid;
        ASSERT_TRUE(SubsetCff(prog.bytes.data(), prog.bytes.size(), c.keep, &cut, &newGid));
        // New ids in the old order, 0 for glyphs left out.
        ASSERT_EQ(newGid.size(), 6u);
        uint32_t next = 0;
        for (uint32_t g = 0; g < 6; ++g) EXPECT_EQ(newGid[g], c.expected.count(kNames[g]) ? next++ : 0u) << kNames[g];
      }
      const Face part(cut);
      ASSERT_TRUE(part.face);
      EXPECT_STREQ(FT_Get_Font_Format(part.face), FT_Get_Font_Format(whole.face));
      EXPECT_EQ(part.Names(), c.expected);
      for (const std::string& name : c.expected) {
        EXPECT_FALSE(part.Glyph(name.c_str()).empty()) << name;
        EXPECT_EQ(part.Glyph(name.c_str()), whole.Glyph(name.c_str())) << name;
      }
    }
  }
}

TEST(SimpleSubset, Type1ProgramsItCannotReadAreRefused) {
  const Bytes good = lwtest::MakeType1(false);
  const Parts p = SplitType1(good);
  auto replace = [](const std::string& from, const std::string& to) {
    return EditType1([=](std::string& s) {
      const size_t at = s.find(from);
      ASSERT_NE(at, std::string::npos) << from;
      s.replace(at, from.size(), to);
    });
  };
  struct Case {
    const char* what;
    Bytes bytes;
    std::vector<std::string> keep;
  };
  const std::vector<Case> cases = {
      {"a glyph it does not have", good, {"C"}},
      {"a second set of glyphs", replace("end\nreadonly put", "/CharStrings 1 dict dup begin end\nend\nreadonly put"), {"A"}},
      {"a glyph longer than the program", replace("/A ", "/A 99"), {"A"}},
      {"a glyph of negative length", replace("/A ", "/A -"), {"A"}},
      {"glyphs without their end", replace("\nend\nend", "\n"), {"A"}},
      {"a lenIV beyond any charstring", replace("/password", "/lenIV 1000 def /password"), {"A"}},
      {"no glyphs", replace("/CharStrings 6", "/Glyphs 6"), {}},
      {"an accent built by a subroutine from its caller's operands", lwtest::MakeType1(false, true), {"A"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Type1Subset out;
    EXPECT_FALSE(SubsetType1(c.bytes.data(), c.bytes.size(), p.l1, int(c.bytes.size()) - p.l1 - p.l3, p.l3, c.keep, &out));
    EXPECT_TRUE(out.program.empty());
  }
  // Lengths that do not add up to the program, or leave no encrypted part.
  Type1Subset out;
  EXPECT_FALSE(SubsetType1(good.data(), good.size(), p.l1, p.l2 + 1, p.l3, {}, &out));
  EXPECT_FALSE(SubsetType1(good.data(), good.size(), 0, p.l1 + p.l2, p.l3, {}, &out));
  EXPECT_FALSE(SubsetType1(good.data(), good.size(), p.l1 + p.l2, 0, p.l3, {}, &out));
  // Cut anywhere before the end of its glyphs, the program is refused; never read past its end.
  const Bytes plain = Crypt(Bytes(good.begin() + p.l1, good.end() - p.l3), 55665, true);
  const size_t glyphsEnd = size_t(p.l1) + std::string(plain.begin(), plain.end()).find("\nend\nend");
  for (size_t n = size_t(p.l1) + 4; n < good.size() - size_t(p.l3); ++n) {
    const Bytes head(good.begin(), good.begin() + long(n));
    Type1Subset cut;
    const bool ok = SubsetType1(head.data(), head.size(), p.l1, int(n) - p.l1, 0, {"A"}, &cut);
    if (n < glyphsEnd) {
      EXPECT_FALSE(ok) << n;
    }
  }
}

TEST(SimpleSubset, CffProgramsItCannotReadAreRefused) {
  const Bytes good = lwtest::MakeAccentedCff();
  // Edits of the bytes that follow `pattern` (its first occurrence).
  auto edit = [&](const Bytes& pattern, const Bytes& to) {
    Bytes b = good;
    const auto at = std::search(b.begin(), b.end(), pattern.begin(), pattern.end());
    EXPECT_NE(at, b.end());
    if (at != b.end()) std::copy(to.begin(), to.end(), at);
    return b;
  };
  // "-107 callsubr" in B, "-107 callgsubr" in the local subroutine.
  const Bytes callsubr = {32, 10}, callgsubr = {32, 29};
  struct Case {
    const char* what;
    Bytes bytes;
    std::vector<uint32_t> keep;
  };
  const std::vector<Case> cases = {
      {"a glyph id beyond its glyphs", good, {6}},
      {"a call of a subroutine it does not have", edit(callsubr, {39, 10}), {kB}},
      {"a subroutine that calls itself", edit(callgsubr, {32, 10}), {kB}},
      {"a version it does not know", edit({1, 0, 4, 2}, {2, 0, 4, 2}), {kA}},
      {"an offset size of 5", edit({0, 1, 2, 0, 1}, {0, 1, 5, 0, 1}), {kA}},
      {"an accent the font lacks", edit({247, 194 - 108, 14}, {247, 200 - 108, 14}), {kAacute}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Bytes out;
    std::vector<uint32_t> newGid;
    EXPECT_FALSE(SubsetCff(c.bytes.data(), c.bytes.size(), c.keep, &out, &newGid));
  }
  // Cut anywhere, the program is refused (its Private DICT and subroutines come last); never
  // read past its end.
  for (size_t n = 0; n < good.size(); ++n) {
    Bytes out;
    std::vector<uint32_t> newGid;
    EXPECT_FALSE(SubsetCff(good.data(), n, {kB}, &out, &newGid)) << n;
  }
}

}  // namespace
