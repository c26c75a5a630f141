#include "FontPrograms.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace lwtest {

namespace {

// A DICT real operand: 30, then the number's nibbles (digits, '.' a, 'E' b, 'E-' c, '-' e),
// ended by f.
std::vector<unsigned char> RealOperand(const std::string& text) {
  std::vector<unsigned char> nibbles;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      nibbles.push_back(static_cast<unsigned char>(c - '0'));
    } else if (c == '.') {
      nibbles.push_back(0xa);
    } else if (c == '-') {
      nibbles.push_back(0xe);
    } else if (c == 'e' || c == 'E') {
      const bool negative = i + 1 < text.size() && text[i + 1] == '-';
      nibbles.push_back(negative ? 0xc : 0xb);
      if (negative) ++i;
    }
  }
  nibbles.push_back(0xf);
  if (nibbles.size() % 2) nibbles.push_back(0xf);
  std::vector<unsigned char> out{30};
  for (size_t i = 0; i < nibbles.size(); i += 2) out.push_back(static_cast<unsigned char>(nibbles[i] << 4 | nibbles[i + 1]));
  return out;
}

using Bytes = std::vector<unsigned char>;

// A charstring or DICT integer of up to two bytes.
void CsNum(Bytes& b, int v) {
  if (v >= -107 && v <= 107) {
    b.push_back(static_cast<unsigned char>(v + 139));
  } else if (v >= 108 && v <= 1131) {
    b.push_back(static_cast<unsigned char>((v - 108) / 256 + 247));
    b.push_back(static_cast<unsigned char>((v - 108) % 256));
  } else {
    b.push_back(static_cast<unsigned char>((-v - 108) / 256 + 251));
    b.push_back(static_cast<unsigned char>((-v - 108) % 256));
  }
}

// A DICT integer as five bytes.
void DictLong(Bytes& b, int v) {
  b.push_back(29);
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A CFF INDEX with two-byte offsets.
Bytes CffIndex(const std::vector<Bytes>& items) {
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
}

}  // namespace

std::vector<unsigned char> MakeBareCff(const std::vector<std::string>& fontMatrix) {
  using Bytes = std::vector<unsigned char>;
  auto num = CsNum;
  auto long32 = DictLong;
  auto index = CffIndex;
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
    if (!fontMatrix.empty()) {
      for (const std::string& v : fontMatrix) {
        const Bytes r = RealOperand(v);
        d.insert(d.end(), r.begin(), r.end());
      }
      d.push_back(12), d.push_back(7);  // FontMatrix
    }
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

}  // namespace lwtest

namespace lwtest {

namespace {

// A font file as CFF lays it out: header, name, Top DICT (FontBBox, charset, CharStrings and
// Private), strings, global subroutines, charset, charstrings, Private DICT, local subroutines.
Bytes AssembleCff(const std::string& name, const std::vector<Bytes>& strings, const std::vector<Bytes>& gsubrs,
                  const Bytes& charset, const std::vector<Bytes>& glyphs, const Bytes& privateOps,
                  const std::vector<Bytes>& subrs) {
  const Bytes names = CffIndex({Bytes(name.begin(), name.end())});
  const Bytes stringIndex = CffIndex(strings), gsubrIndex = CffIndex(gsubrs), charStrings = CffIndex(glyphs);
  const Bytes subrIndex = CffIndex(subrs);
  Bytes priv = privateOps;
  if (!subrs.empty()) {
    DictLong(priv, static_cast<int>(priv.size() + 6));
    priv.push_back(19);
  }
  auto topDict = [&](int charsetOff, int charStringsOff, int privOff) {
    Bytes d;
    for (int v : {0, 0, 600, 800}) CsNum(d, v);
    d.push_back(5);  // FontBBox
    DictLong(d, charsetOff), d.push_back(15);
    DictLong(d, charStringsOff), d.push_back(17);
    DictLong(d, static_cast<int>(priv.size())), DictLong(d, privOff), d.push_back(18);
    return d;
  };
  const Bytes header = {1, 0, 4, 2};
  const size_t topSize = CffIndex({topDict(0, 0, 0)}).size();
  const int charsetOff = static_cast<int>(header.size() + names.size() + topSize + stringIndex.size() + gsubrIndex.size());
  const int charStringsOff = charsetOff + static_cast<int>(charset.size());
  const int privOff = charStringsOff + static_cast<int>(charStrings.size());
  Bytes font = header;
  const Bytes top = CffIndex({topDict(charsetOff, charStringsOff, privOff)});
  for (const Bytes* part : std::initializer_list<const Bytes*>{&names, &top, &stringIndex, &gsubrIndex, &charset, &charStrings, &priv})
    font.insert(font.end(), part->begin(), part->end());
  if (!subrs.empty()) font.insert(font.end(), subrIndex.begin(), subrIndex.end());
  return font;
}

Bytes Encrypt(const Bytes& plain, uint16_t key) {
  Bytes out(plain.size());
  uint16_t r = key;
  for (size_t i = 0; i < plain.size(); ++i) {
    out[i] = static_cast<unsigned char>(plain[i] ^ (r >> 8));
    r = static_cast<uint16_t>((out[i] + r) * 52845u + 22719u);
  }
  return out;
}

// Type 1 charstring bytes: numbers, and operators given as negative values, -op, or -(1200 + op)
// for the escaped ones (so numbers from -31 to -1 and below -1131 cannot be written).
Bytes Type1Code(std::initializer_list<int> items) {
  Bytes b;
  for (int v : items) {
    if (v >= -31 && v < 0) {
      b.push_back(static_cast<unsigned char>(-v));
    } else if (v < -1200) {
      b.push_back(12);
      b.push_back(static_cast<unsigned char>(-v - 1200));
    } else {
      CsNum(b, v);
    }
  }
  return b;
}

}  // namespace

std::vector<unsigned char> MakeAccentedCff() {
  // Type 2 operators.
  constexpr unsigned char kRlineto = 5, kEndchar = 14, kRmoveto = 21, kHstemhm = 18, kVstemhm = 23, kHintmask = 19,
                          kCallsubr = 10, kCallgsubr = 29, kReturn = 11;
  auto cs = [](std::initializer_list<int> nums, unsigned char op) {
    Bytes b;
    for (int v : nums) CsNum(b, v);
    b.push_back(op);
    return b;
  };
  auto join = [](std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
  };
  const Bytes notdef = cs({500}, kEndchar), space = cs({250}, kEndchar);
  const Bytes a = join({cs({600, 100, 0}, kRmoveto), cs({400, 0}, kRlineto), cs({0, 700}, kRlineto),
                        cs({-400, 0}, kRlineto), cs({}, kEndchar)});
  // B: stems, a hint mask (two stems: one byte), then its outline from a local subroutine that
  // ends in a global one.
  Bytes b = join({cs({600, 0, 500}, kHstemhm), cs({100, 300}, kVstemhm), cs({}, kHintmask)});
  b.push_back(0xC0);
  b = join({b, cs({100, 0}, kRmoveto), cs({-107}, kCallsubr), cs({}, kEndchar)});
  const Bytes subr = join({cs({300, 0}, kRlineto), cs({0, 500}, kRlineto), cs({-107}, kCallgsubr), cs({}, kReturn)});
  const Bytes gsubr = join({cs({-300, 0}, kRlineto), cs({}, kReturn)});
  const Bytes acute = join({cs({600, 200, 750}, kRmoveto), cs({100, 0}, kRlineto), cs({0, 50}, kRlineto),
                            cs({-100, 0}, kRlineto), cs({}, kEndchar)});
  const Bytes aacute = cs({600, 0, 0, 'A', 194}, kEndchar);  // A with the acute (standard code 194)
  // space, A, B, acute (standard strings), Aacute (string 391, the first of the font's own).
  const Bytes charset = {0, 0, 1, 0, 34, 0, 35, 0, 125, 1, 135};
  Bytes priv;
  CsNum(priv, 0), priv.push_back(20);  // defaultWidthX
  CsNum(priv, 0), priv.push_back(21);  // nominalWidthX
  return AssembleCff("GwAccent", {Bytes{'A', 'a', 'c', 'u', 't', 'e'}}, {gsubr}, charset,
                     {notdef, space, a, b, acute, aacute}, priv, {subr});
}

std::vector<unsigned char> MakeType1(bool hexEncrypted, bool seacInSubr) {
  constexpr int kHsbw = -13, kRmoveto = -21, kHlineto = -6, kVlineto = -7, kClosepath = -9, kEndchar = -14,
                kCallsubr = -10, kReturn = -11, kSeac = -1206;
  auto encrypted = [](const Bytes& code) {
    Bytes plain = {0, 0, 0, 0};
    plain.insert(plain.end(), code.begin(), code.end());
    return Encrypt(plain, 4330);
  };
  std::vector<Bytes> subrs = {
      Type1Code({kReturn}), Type1Code({kReturn}), Type1Code({kReturn}), Type1Code({kReturn}),
      Type1Code({0, 0, kRmoveto, 300, kHlineto, 500, kVlineto, -300, kHlineto, kClosepath, kReturn})};
  if (seacInSubr) subrs.push_back(Type1Code({kSeac}));
  const std::vector<std::pair<std::string, Bytes>> glyphs = {
      {".notdef", Type1Code({0, 500, kHsbw, kEndchar})},
      {"space", Type1Code({0, 250, kHsbw, kEndchar})},
      {"A", Type1Code({100, 600, kHsbw, 0, 0, kRmoveto, 400, kHlineto, 700, kVlineto, -400, kHlineto, kClosepath,
                       kEndchar})},
      {"B", Type1Code({100, 600, kHsbw, 4, kCallsubr, kEndchar})},
      {"acute", Type1Code({200, 600, kHsbw, 0, 750, kRmoveto, 100, kHlineto, 50, kVlineto, -100, kHlineto,
                           kClosepath, kEndchar})},
      {"Aacute", seacInSubr ? Type1Code({100, 600, kHsbw, 200, 0, 0, 'A', 194, 5, kCallsubr})
                            : Type1Code({100, 600, kHsbw, 200, 0, 0, 'A', 194, kSeac})},
  };
  const std::string clear =
      "%!PS-AdobeFont-1.0: GwType1 001.000\n11 dict begin\n/FontInfo 2 dict dup begin\n/FullName (Gw Type One) "
      "readonly def\n/FamilyName (GwType1) readonly def\nend readonly def\n/FontName /GwType1 def\n/Encoding "
      "StandardEncoding def\n/PaintType 0 def\n/FontType 1 def\n/FontMatrix [0.001 0 0 0.001 0 0] readonly def\n"
      "/FontBBox {0 0 600 800} readonly def\ncurrentdict end\ncurrentfile eexec\n";
  std::string priv =
      "dup /Private 8 dict dup begin\n/RD{string currentfile exch readstring pop}executeonly def\n/ND{noaccess "
      "def}executeonly def\n/NP{noaccess put}executeonly def\n/BlueValues [] def\n/MinFeature{16 16}def\n/password "
      "5839 def\n/Subrs " +
      std::to_string(subrs.size()) + " array\n";
  for (size_t i = 0; i < subrs.size(); ++i) {
    const Bytes code = encrypted(subrs[i]);
    priv += "dup " + std::to_string(i) + " " + std::to_string(code.size()) + " RD " + std::string(code.begin(), code.end()) +
            " NP\n";
  }
  priv += "ND\n2 index /CharStrings " + std::to_string(glyphs.size()) + " dict dup begin\n";
  for (const auto& [name, code] : glyphs) {
    const Bytes bytes = encrypted(code);
    priv += "/" + name + " " + std::to_string(bytes.size()) + " RD " + std::string(bytes.begin(), bytes.end()) + " ND\n";
  }
  priv += "end\nend\nreadonly put\nnoaccess put\ndup /FontName get exch definefont pop\nmark currentfile closefile\n";
  Bytes plain = {0, 0, 0, 0};
  plain.insert(plain.end(), priv.begin(), priv.end());
  const Bytes secret = Encrypt(plain, 55665);
  Bytes font(clear.begin(), clear.end());
  if (hexEncrypted) {
    static const char kHex[] = "0123456789abcdef";
    for (size_t i = 0; i < secret.size(); ++i) {
      font.push_back(static_cast<unsigned char>(kHex[secret[i] >> 4]));
      font.push_back(static_cast<unsigned char>(kHex[secret[i] & 15]));
      if (i % 32 == 31) font.push_back('\n');
    }
    font.push_back('\n');
  } else {
    font.insert(font.end(), secret.begin(), secret.end());
  }
  for (int line = 0; line < 8; ++line) {
    font.insert(font.end(), 64, '0');
    font.push_back('\n');
  }
  const std::string mark = "cleartomark\n";
  font.insert(font.end(), mark.begin(), mark.end());
  return font;
}

}  // namespace lwtest
