#include "FontPrograms.h"

#include <initializer_list>

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

}  // namespace

std::vector<unsigned char> MakeBareCff(const std::vector<std::string>& fontMatrix) {
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
