// Cutting Type 1 and bare CFF programs down to the glyphs a document shows. Both readers take
// untrusted bytes (programs of imported PDFs): every offset, count and length is checked against
// the data before it is read, and work on charstrings is bounded. A program that cannot be read
// here is left to the caller, which embeds it whole.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "writer_internal.h"

namespace pagesieve {

namespace {

// Adobe's standard encoding from code 32 on, space separated; "-" marks a code without a glyph.
constexpr const char* kStandardEncoding =
    "space exclam quotedbl numbersign dollar percent ampersand quoteright parenleft parenright asterisk plus comma "
    "hyphen period slash zero one two three four five six seven eight nine colon semicolon less equal greater "
    "question at A B C D E F G H I J K L M N O P Q R S T U V W X Y Z bracketleft backslash bracketright "
    "asciicircum underscore quoteleft a b c d e f g h i j k l m n o p q r s t u v w x y z braceleft bar "
    "braceright asciitilde - "
    // 128 to 160
    "- - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - - "
    // 161 on
    "exclamdown cent sterling fraction yen florin section currency quotesingle quotedblleft guillemotleft "
    "guilsinglleft guilsinglright fi fl - endash dagger daggerdbl periodcentered - paragraph bullet "
    "quotesinglbase quotedblbase quotedblright guillemotright ellipsis perthousand - questiondown - grave acute "
    "circumflex tilde macron breve dotaccent dieresis - ring cedilla - hungarumlaut ogonek caron emdash "
    "- - - - - - - - - - - - - - - - AE - ordfeminine - - - - Lslash Oslash OE ordmasculine - - - - - ae - - - "
    "dotlessi - - lslash oslash oe germandbls - - - -";

struct StandardTable {
  std::string names[256];
  int sid[256] = {};  // CFF string id of the code's glyph; 0 when none
  StandardTable() {
    std::string_view all(kStandardEncoding);
    int code = 32, next = 1;
    while (!all.empty() && code < 256) {
      const size_t sp = all.find(' ');
      const std::string_view word = all.substr(0, sp);
      if (word != "-") {
        names[code] = std::string(word);
        sid[code] = next++;
      }
      ++code;
      all = sp == std::string_view::npos ? std::string_view() : all.substr(sp + 1);
    }
  }
};

const StandardTable& Standard() {
  static const StandardTable table;
  return table;
}

// ---------------------------------------------------------------------------------------------
// Type 1

constexpr uint16_t kEexecKey = 55665, kCharStringKey = 4330;

std::vector<uint8_t> Decrypt(const uint8_t* data, size_t size, uint16_t key) {
  std::vector<uint8_t> out(size);
  uint16_t r = key;
  for (size_t i = 0; i < size; ++i) {
    const uint8_t c = data[i];
    out[i] = static_cast<uint8_t>(c ^ (r >> 8));
    r = static_cast<uint16_t>((c + r) * 52845u + 22719u);
  }
  return out;
}

std::vector<uint8_t> Encrypt(const std::vector<uint8_t>& plain, uint16_t key) {
  std::vector<uint8_t> out(plain.size());
  uint16_t r = key;
  for (size_t i = 0; i < plain.size(); ++i) {
    const uint8_t c = static_cast<uint8_t>(plain[i] ^ (r >> 8));
    out[i] = c;
    r = static_cast<uint16_t>((c + r) * 52845u + 22719u);
  }
  return out;
}

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsSpace(uint8_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == 0; }
bool IsDelimiter(uint8_t c) { return std::strchr("()<>[]{}/%", c) != nullptr && c != 0; }

// The encrypted part as bytes: hexadecimal when its first four bytes are hex digits (white space
// between digits skipped, reading stops at anything else), else binary.
std::vector<uint8_t> EncryptedBytes(const uint8_t* data, size_t size) {
  bool hex = size >= 4;
  for (size_t i = 0; hex && i < 4; ++i) hex = HexValue(data[i]) >= 0;
  if (!hex) return std::vector<uint8_t>(data, data + size);
  std::vector<uint8_t> out;
  out.reserve(size / 2);
  int high = -1;
  for (size_t i = 0; i < size; ++i) {
    if (IsSpace(data[i])) continue;
    const int v = HexValue(data[i]);
    if (v < 0) break;
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<uint8_t>(high << 4 | v));
      high = -1;
    }
  }
  return out;
}

// PostScript tokens of the decrypted part, with the binary strings that follow "n RD " skipped.
struct Tokenizer {
  const std::vector<uint8_t>& s;
  size_t at;
  std::set<std::string> readers{"RD", "-|"};  // procedures that read a binary string
  struct Token {
    size_t start = 0, end = 0;
    std::string_view text;
  };
  Tokenizer(const std::vector<uint8_t>& bytes, size_t from) : s(bytes), at(from) {}

  std::string_view View(size_t from, size_t to) const {
    return std::string_view(reinterpret_cast<const char*>(s.data()) + from, to - from);
  }

  // False at the end of the data or on an unterminated string.
  bool Next(Token* t) {
    for (;;) {
      while (at < s.size() && IsSpace(s[at])) ++at;
      if (at >= s.size()) return false;
      if (s[at] != '%') break;
      while (at < s.size() && s[at] != '\r' && s[at] != '\n') ++at;
    }
    t->start = at;
    const uint8_t c = s[at];
    if (c == '(') {
      int depth = 0;
      for (; at < s.size(); ++at) {
        if (s[at] == '\\') {
          ++at;
          continue;
        }
        if (s[at] == '(') ++depth;
        if (s[at] == ')' && --depth == 0) break;
      }
      if (at >= s.size()) return false;
      ++at;
    } else if (c == '<' && at + 1 < s.size() && s[at + 1] == '<') {
      at += 2;
    } else if (c == '>' && at + 1 < s.size() && s[at + 1] == '>') {
      at += 2;
    } else if (c == '<') {
      while (at < s.size() && s[at] != '>') ++at;
      if (at >= s.size()) return false;
      ++at;
    } else if (c == '{' || c == '}' || c == '[' || c == ']') {
      ++at;
    } else {
      ++at;  // a name's slash, or the first character of a word
      while (at < s.size() && !IsSpace(s[at]) && !IsDelimiter(s[at])) ++at;
    }
    t->end = at;
    t->text = View(t->start, t->end);
    return true;
  }
};

bool ParseInt(std::string_view t, long* v) {
  if (t.empty() || t.size() > 9) return false;
  size_t i = 0;
  bool neg = false;
  if (t[0] == '-' || t[0] == '+') neg = t[0] == '-', i = 1;
  if (i >= t.size()) return false;
  long n = 0;
  for (; i < t.size(); ++i) {
    if (t[i] < '0' || t[i] > '9') return false;
    n = n * 10 + (t[i] - '0');
  }
  *v = neg ? -n : n;
  return true;
}

// The glyphs a Type 1 charstring builds with seac (standard-encoding codes of base and accent).
// False when it calls seac with operands that cannot be known here.
bool Type1SeacCodes(const uint8_t* cs, size_t size, int lenIV, std::vector<int>* codes) {
  std::vector<uint8_t> plain;
  if (lenIV >= 0) {
    plain = Decrypt(cs, size, kCharStringKey);
    if (static_cast<size_t>(lenIV) > plain.size()) return false;
    plain.erase(plain.begin(), plain.begin() + lenIV);
  } else {
    plain.assign(cs, cs + size);
  }
  struct Value {
    long v;
    bool known;
  };
  std::vector<Value> stack;
  for (size_t i = 0; i < plain.size();) {
    const uint8_t v = plain[i++];
    if (v >= 32) {
      long n = 0;
      if (v <= 246) {
        n = v - 139;
      } else if (v <= 254) {
        if (i >= plain.size()) return false;
        const long w = plain[i++];
        n = v <= 250 ? (v - 247) * 256 + w + 108 : -(v - 251) * 256 - w - 108;
      } else {
        if (i + 4 > plain.size()) return false;
        n = static_cast<int32_t>(uint32_t(plain[i]) << 24 | uint32_t(plain[i + 1]) << 16 | uint32_t(plain[i + 2]) << 8 |
                                 plain[i + 3]);
        i += 4;
      }
      if (stack.size() >= 64) return false;
      stack.push_back({n, true});
      continue;
    }
    if (v != 12) {
      stack.clear();
      continue;
    }
    if (i >= plain.size()) return false;
    const uint8_t e = plain[i++];
    if (e == 6) {  // seac: asb adx ady bchar achar
      if (stack.size() < 5 || !stack[stack.size() - 1].known || !stack[stack.size() - 2].known) return false;
      codes->push_back(static_cast<int>(std::clamp(stack[stack.size() - 2].v, -1L, 256L)));
      codes->push_back(static_cast<int>(std::clamp(stack[stack.size() - 1].v, -1L, 256L)));
      stack.clear();
    } else if (e == 12) {  // div
      if (stack.size() < 2) return false;
      stack.pop_back();
      stack.back().known = false;
    } else if (e == 17) {  // pop: a value from the PostScript stack
      if (stack.size() >= 64) return false;
      stack.push_back({0, false});
    } else {
      stack.clear();
    }
  }
  return true;
}

}  // namespace

const char* StandardEncodingName(int code) {
  return code >= 0 && code < 256 && !Standard().names[code].empty() ? Standard().names[code].c_str() : nullptr;
}

bool SubsetType1(const uint8_t* data, size_t size, int length1, int length2, int length3,
                 const std::vector<std::string>& keep, Type1Subset* out) {
  if (!data || length1 <= 0 || length2 < 4 || length3 < 0 ||
      static_cast<size_t>(length1) + static_cast<size_t>(length2) + static_cast<size_t>(length3) != size)
    return false;
  const std::vector<uint8_t> encrypted = EncryptedBytes(data + length1, static_cast<size_t>(length2));
  if (encrypted.size() < 4) return false;
  std::vector<uint8_t> plain = Decrypt(encrypted.data(), encrypted.size(), kEexecKey);

  // One pass over the private part: lenIV, the procedures that read binary strings, binary
  // strings outside the glyphs (subroutines), and the CharStrings dictionary with its entries.
  struct Entry {
    std::string name;
    size_t start = 0, end = 0;       // the whole entry, up to the next one
    size_t binary = 0, length = 0;  // its charstring
  };
  std::vector<Entry> entries;
  std::vector<std::pair<size_t, size_t>> otherBinaries;
  long lenIV = 4;
  size_t countStart = 0, countEnd = 0, entriesEnd = 0;
  bool sawCharStrings = false, closed = false;
  Tokenizer tk(plain, 4);
  Tokenizer::Token t, prev;
  auto skipBinary = [&](long n, size_t* where) {
    // One white-space character, then the bytes.
    if (n < 0 || tk.at >= plain.size() || !IsSpace(plain[tk.at])) return false;
    const size_t from = tk.at + 1;
    if (static_cast<size_t>(n) > plain.size() - std::min(from, plain.size())) return false;
    *where = from;
    tk.at = from + static_cast<size_t>(n);
    return true;
  };
  // Everything up to closefile is read, so that a second glyph set is seen.
  while (tk.Next(&t) && t.text != "closefile") {
    long n = 0;
    if (t.text == "/lenIV") {
      Tokenizer::Token v;
      if (!tk.Next(&v) || !ParseInt(v.text, &lenIV) || lenIV > 64) return false;
      continue;
    }
    // "/name {string currentfile exch readstring pop} ... def": a reader of binary strings.
    if (t.text.size() > 1 && t.text[0] == '/' && tk.at < plain.size()) {
      size_t look = tk.at;
      while (look < plain.size() && IsSpace(plain[look])) ++look;
      if (look < plain.size() && plain[look] == '{') {
        const size_t close = std::string_view(reinterpret_cast<const char*>(plain.data()), plain.size()).find('}', look);
        if (close != std::string_view::npos && close - look < 80 &&
            tk.View(look, close).find("readstring") != std::string_view::npos)
          tk.readers.insert(std::string(t.text.substr(1)));
      }
    }
    if (tk.readers.count(std::string(t.text)) && ParseInt(prev.text, &n)) {
      size_t where = 0;
      if (!skipBinary(n, &where)) return false;
      otherBinaries.emplace_back(where, static_cast<size_t>(n));
      prev = t;
      continue;
    }
    if (t.text == "/CharStrings") {
      if (sawCharStrings) return false;  // two glyph sets: not a program this reads
      sawCharStrings = true;
      Tokenizer::Token count;
      if (!tk.Next(&count) || !ParseInt(count.text, &n)) return false;
      countStart = count.start, countEnd = count.end;
      // "dict dup begin"
      Tokenizer::Token w;
      int words = 0;
      do {
        if (!tk.Next(&w) || ++words > 4) return false;
      } while (w.text != "begin");
      // Entries: /name length RD <binary> ND, up to "end".
      Tokenizer::Token name;
      if (!tk.Next(&name)) return false;
      while (name.text != "end") {
        if (name.text.size() < 2 || name.text[0] != '/' || entries.size() > 65535) return false;
        Entry e;
        e.name = std::string(name.text.substr(1));
        e.start = name.start;
        Tokenizer::Token len, rd;
        long bytes = 0;
        if (!tk.Next(&len) || !ParseInt(len.text, &bytes) || !tk.Next(&rd) || !skipBinary(bytes, &e.binary)) return false;
        e.length = static_cast<size_t>(bytes);
        // The words that close the entry, up to the next name or "end".
        int closing = 0;
        for (;;) {
          if (!tk.Next(&name) || ++closing > 4) return false;
          if (name.text[0] == '/' || name.text == "end") break;
        }
        e.end = name.start;
        entries.push_back(std::move(e));
      }
      entriesEnd = name.start;
      closed = true;
    }
    prev = t;
  }
  if (!closed || entries.empty()) return false;

  // The glyphs kept: the ones asked for, .notdef and the parts of accented glyphs.
  std::map<std::string, size_t> byName;
  for (size_t i = 0; i < entries.size(); ++i) byName.emplace(entries[i].name, i);
  std::set<size_t> kept;
  std::vector<std::string> pending(keep.begin(), keep.end());
  pending.push_back(".notdef");
  // A subroutine that builds an accented glyph keeps both its parts whatever glyph calls it.
  for (const auto& [at, length] : otherBinaries) {
    std::vector<int> codes;
    if (!Type1SeacCodes(plain.data() + at, length, static_cast<int>(lenIV), &codes)) return false;
    for (int c : codes) {
      const char* name = StandardEncodingName(c);
      if (!name) return false;
      pending.push_back(name);
    }
  }
  while (!pending.empty()) {
    const std::string name = std::move(pending.back());
    pending.pop_back();
    const auto found = byName.find(name);
    if (found == byName.end()) return false;
    if (!kept.insert(found->second).second) continue;
    const Entry& e = entries[found->second];
    std::vector<int> codes;
    if (!Type1SeacCodes(plain.data() + e.binary, e.length, static_cast<int>(lenIV), &codes)) return false;
    for (int c : codes) {
      const char* part = StandardEncodingName(c);
      if (!part) return false;
      pending.push_back(part);
    }
  }

  std::vector<uint8_t> cut(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(countStart));
  const std::string count = std::to_string(kept.size());
  cut.insert(cut.end(), count.begin(), count.end());
  cut.insert(cut.end(), plain.begin() + static_cast<std::ptrdiff_t>(countEnd),
             plain.begin() + static_cast<std::ptrdiff_t>(entries.front().start));
  for (size_t i : kept)
    cut.insert(cut.end(), plain.begin() + static_cast<std::ptrdiff_t>(entries[i].start),
               plain.begin() + static_cast<std::ptrdiff_t>(entries[i].end));
  cut.insert(cut.end(), plain.begin() + static_cast<std::ptrdiff_t>(entriesEnd), plain.end());

  // Readers take an encrypted part whose first four bytes are hex digits for hexadecimal, and
  // skip white space after eexec; the four leading bytes are free, so a first byte that would
  // encrypt to a digit or to white space is changed.
  const uint8_t first = static_cast<uint8_t>(cut[0] ^ (kEexecKey >> 8));
  if (HexValue(first) >= 0 || IsSpace(first)) cut[0] = 0;
  const std::vector<uint8_t> secret = Encrypt(cut, kEexecKey);
  out->program.assign(data, data + length1);
  out->program.insert(out->program.end(), secret.begin(), secret.end());
  out->program.insert(out->program.end(), data + length1 + length2, data + size);
  out->length1 = length1;
  out->length2 = static_cast<int>(secret.size());
  out->length3 = length3;
  return true;
}

// ---------------------------------------------------------------------------------------------
// CFF

namespace {

struct Index {
  size_t start = 0, end = 0;  // the whole INDEX in the font
  std::vector<uint32_t> offsets;  // count + 1 offsets, from the start of the data
  size_t data = 0;                // where the data starts
  size_t Count() const { return offsets.empty() ? 0 : offsets.size() - 1; }
  size_t ItemStart(size_t i) const { return data + offsets[i]; }
  size_t ItemSize(size_t i) const { return offsets[i + 1] - offsets[i]; }
};

bool ReadIndex(const uint8_t* d, size_t size, size_t at, Index* ix) {
  ix->start = at;
  if (at > size || size - at < 2) return false;
  const size_t count = size_t(d[at]) << 8 | d[at + 1];
  if (count == 0) {
    ix->end = at + 2;
    ix->offsets.clear();
    return true;
  }
  if (size - at < 3) return false;
  const int offSize = d[at + 2];
  if (offSize < 1 || offSize > 4) return false;
  const size_t table = at + 3, tableBytes = (count + 1) * static_cast<size_t>(offSize);
  if (size - table < tableBytes) return false;
  ix->data = table + tableBytes - 1;  // offsets count from 1
  ix->offsets.resize(count + 1);
  for (size_t i = 0; i <= count; ++i) {
    uint32_t v = 0;
    for (int k = 0; k < offSize; ++k) v = v << 8 | d[table + i * static_cast<size_t>(offSize) + static_cast<size_t>(k)];
    if (v < 1 || (i > 0 && v < ix->offsets[i - 1])) return false;
    ix->offsets[i] = v;
  }
  if (ix->offsets.back() > size - ix->data) return false;
  ix->end = ix->data + ix->offsets.back();
  return true;
}

// One operator of a DICT with its operands: the bytes as they stand, and their values.
struct DictEntry {
  int op = 0;  // 12 x as 1200 + x
  std::vector<uint8_t> operands;
  std::vector<double> values;
};

bool ReadDict(const uint8_t* d, size_t from, size_t to, std::vector<DictEntry>* out) {
  DictEntry cur;
  size_t at = from;
  while (at < to) {
    const uint8_t b = d[at];
    const size_t opStart = at;
    if (b <= 21) {
      if (b == 12) {
        if (at + 1 >= to) return false;
        cur.op = 1200 + d[at + 1];
        at += 2;
      } else {
        cur.op = b;
        at += 1;
      }
      out->push_back(std::move(cur));
      cur = DictEntry();
      continue;
    }
    double v = 0;
    if (b == 28) {
      if (to - at < 3) return false;
      v = static_cast<int16_t>(d[at + 1] << 8 | d[at + 2]);
      at += 3;
    } else if (b == 29) {
      if (to - at < 5) return false;
      v = static_cast<int32_t>(uint32_t(d[at + 1]) << 24 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 8 | d[at + 4]);
      at += 5;
    } else if (b == 30) {
      // A real: its value is not needed here, only its extent.
      ++at;
      bool done = false;
      while (!done && at < to) {
        const uint8_t n = d[at++];
        done = (n >> 4) == 0xf || (n & 0xf) == 0xf;
      }
      if (!done) return false;
    } else if (b >= 32 && b <= 246) {
      v = b - 139;
      at += 1;
    } else if (b >= 247 && b <= 254) {
      if (to - at < 2) return false;
      v = b <= 250 ? (b - 247) * 256 + d[at + 1] + 108 : -(b - 251) * 256 - d[at + 1] - 108;
      at += 2;
    } else {
      return false;
    }
    if (cur.values.size() >= 48) return false;
    cur.operands.insert(cur.operands.end(), d + opStart, d + at);
    cur.values.push_back(v);
  }
  return cur.values.empty();  // operands without an operator: broken
}

const DictEntry* Find(const std::vector<DictEntry>& dict, int op) {
  for (const DictEntry& e : dict)
    if (e.op == op) return &e;
  return nullptr;
}

// A non-negative integer offset or size of a DICT entry, at most `limit`.
bool Offset(const DictEntry* e, size_t which, size_t limit, size_t* v) {
  if (!e || e->values.size() <= which) return false;
  const double x = e->values[which];
  if (!(x >= 0) || x > static_cast<double>(limit) || x != static_cast<double>(static_cast<size_t>(x))) return false;
  *v = static_cast<size_t>(x);
  return true;
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<uint8_t>(v >> s));
}

void PutDictInt(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(29);
  Put32(b, v);
}

std::vector<uint8_t> WriteIndex(const std::vector<std::pair<const uint8_t*, size_t>>& items) {
  std::vector<uint8_t> b;
  b.push_back(static_cast<uint8_t>(items.size() >> 8));
  b.push_back(static_cast<uint8_t>(items.size()));
  if (items.empty()) return b;
  uint32_t last = 1;
  for (const auto& it : items) last += static_cast<uint32_t>(it.second);
  const int offSize = last < 0x100 ? 1 : last < 0x10000 ? 2 : last < 0x1000000 ? 3 : 4;
  b.push_back(static_cast<uint8_t>(offSize));
  auto put = [&](uint32_t v) {
    for (int k = offSize - 1; k >= 0; --k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
  };
  uint32_t off = 1;
  put(off);
  for (const auto& it : items) put(off += static_cast<uint32_t>(it.second));
  for (const auto& it : items) b.insert(b.end(), it.first, it.first + it.second);
  return b;
}

int SubrBias(size_t count) { return count < 1240 ? 107 : count < 33900 ? 1131 : 32768; }

// Walks Type 2 charstrings far enough to find the accented glyphs endchar builds (its four
// trailing operands), following subroutine calls. Hint masks are skipped by the stem count.
struct Type2Scan {
  const uint8_t* d;
  const Index& global;
  const Index& local;
  std::vector<int>* codes;
  struct Value {
    double v;
    bool known;
  };
  std::vector<Value> stack;
  size_t stems = 0;
  long budget = 200000;  // operators and operands, all calls included
  bool ended = false;

  Type2Scan(const uint8_t* data, const Index& g, const Index& l, std::vector<int>* out)
      : d(data), global(g), local(l), codes(out) {}

  // False on anything this cannot follow.
  bool Run(size_t at, size_t size, int depth) {
    if (depth > 10) return false;
    const size_t end = at + size;
    while (at < end && !ended) {
      if (--budget < 0) return false;
      const uint8_t b = d[at++];
      if (b == 28 || b >= 32) {
        double v = 0;
        if (b == 28) {
          if (end - at < 2) return false;
          v = static_cast<int16_t>(d[at] << 8 | d[at + 1]);
          at += 2;
        } else if (b <= 246) {
          v = b - 139;
        } else if (b <= 254) {
          if (at >= end) return false;
          v = b <= 250 ? (b - 247) * 256 + d[at] + 108 : -(b - 251) * 256 - d[at] - 108;
          ++at;
        } else {
          if (end - at < 4) return false;
          v = static_cast<int32_t>(uint32_t(d[at]) << 24 | uint32_t(d[at + 1]) << 16 | uint32_t(d[at + 2]) << 8 | d[at + 3]) /
              65536.0;
          at += 4;
        }
        if (stack.size() >= 96) return false;
        stack.push_back({v, true});
        continue;
      }
      switch (b) {
        case 1: case 3: case 18: case 23:  // stems
          stems += stack.size() / 2;
          stack.clear();
          break;
        case 19: case 20: {  // hintmask, cntrmask: a vstem list may come first
          stems += stack.size() / 2;
          stack.clear();
          const size_t bytes = (stems + 7) / 8;
          if (end - at < bytes) return false;
          at += bytes;
          break;
        }
        case 10: case 29: {  // callsubr, callgsubr
          if (stack.empty() || !stack.back().known) return false;
          const Index& subrs = b == 10 ? local : global;
          const double n = stack.back().v + SubrBias(subrs.Count());
          stack.pop_back();
          if (!(n >= 0) || n >= static_cast<double>(subrs.Count())) return false;
          const size_t i = static_cast<size_t>(n);
          if (!Run(subrs.ItemStart(i), subrs.ItemSize(i), depth + 1)) return false;
          break;
        }
        case 11:  // return
          return true;
        case 14:  // endchar; with four operands more (a width may come first): an accented glyph
          if (stack.size() >= 4) {
            const Value& base = stack[stack.size() - 2];
            const Value& accent = stack[stack.size() - 1];
            if (!base.known || !accent.known) return false;
            codes->push_back(static_cast<int>(std::clamp(base.v, -1.0, 256.0)));
            codes->push_back(static_cast<int>(std::clamp(accent.v, -1.0, 256.0)));
          }
          ended = true;
          return true;
        case 12: {
          if (at >= end) return false;
          const uint8_t e = d[at++];
          // Arithmetic leaves values this does not follow; how many it leaves is known.
          int pops = -1, pushes = 0;
          switch (e) {
            case 3: case 4: case 10: case 11: case 12: case 15: case 24: pops = 2, pushes = 1; break;
            case 5: case 9: case 14: case 26: pops = 1, pushes = 1; break;
            case 18: pops = 1; break;
            case 20: pops = 2; break;
            case 21: pops = 1, pushes = 1; break;
            case 22: pops = 4, pushes = 1; break;
            case 23: pops = 0, pushes = 1; break;
            case 27: pops = 1, pushes = 2; break;
            case 28: pops = 2, pushes = 2; break;
            case 29: pops = 1, pushes = 1; break;
            case 30: pops = 2; break;
            default: break;
          }
          if (pops < 0) {
            stack.clear();
            break;
          }
          // index and roll move values from deep in the stack: all of it becomes unknown.
          if (e == 29 || e == 30)
            for (Value& v : stack) v.known = false;
          if (stack.size() < static_cast<size_t>(pops)) return false;
          stack.resize(stack.size() - static_cast<size_t>(pops));
          for (int k = 0; k < pushes; ++k) stack.push_back({0, false});
          break;
        }
        default:  // path and other operators
          stack.clear();
          break;
      }
    }
    return true;
  }
};

}  // namespace

bool SubsetCff(const uint8_t* d, size_t size, const std::vector<uint32_t>& keep, std::vector<uint8_t>* out,
               std::vector<uint32_t>* newGidOf) {
  if (!d || size < 4 || d[0] != 1) return false;
  const size_t headerSize = d[2];
  if (headerSize < 4 || headerSize > size) return false;
  Index names, tops, strings, gsubrs;
  if (!ReadIndex(d, size, headerSize, &names) || names.Count() != 1) return false;
  if (!ReadIndex(d, size, names.end, &tops) || tops.Count() != 1) return false;
  if (!ReadIndex(d, size, tops.end, &strings) || !ReadIndex(d, size, strings.end, &gsubrs)) return false;
  std::vector<DictEntry> top;
  if (!ReadDict(d, tops.ItemStart(0), tops.ItemStart(0) + tops.ItemSize(0), &top)) return false;
  // Name-keyed Type 2 programs only.
  for (int op : {1230, 1236, 1237, 1220})
    if (Find(top, op)) return false;
  if (const DictEntry* type = Find(top, 1206); type && (type->values.size() != 1 || type->values[0] != 2)) return false;

  size_t charStringsAt = 0, privSize = 0, privAt = 0, charsetAt = 0;
  if (!Offset(Find(top, 17), 0, size, &charStringsAt)) return false;
  Index glyphs;
  if (!ReadIndex(d, size, charStringsAt, &glyphs) || glyphs.Count() == 0) return false;
  const size_t nGlyphs = glyphs.Count();
  const DictEntry* priv = Find(top, 18);
  if (!priv || priv->values.size() != 2 || !Offset(priv, 0, size, &privSize) || !Offset(priv, 1, size, &privAt) ||
      privSize > size - privAt)
    return false;
  std::vector<DictEntry> privDict;
  if (!ReadDict(d, privAt, privAt + privSize, &privDict)) return false;
  Index locals;
  size_t localAt = 0;
  const DictEntry* subrs = Find(privDict, 19);
  if (subrs) {
    if (!Offset(subrs, 0, size - privAt, &localAt) || !ReadIndex(d, size, privAt + localAt, &locals)) return false;
  }

  // The string id of every glyph.
  std::vector<uint16_t> sidOf(nGlyphs, 0);
  if (const DictEntry* cs = Find(top, 15); cs && !Offset(cs, 0, size, &charsetAt)) return false;
  if (charsetAt == 0) {
    if (nGlyphs > 229) return false;  // the ISO Adobe charset names 229 glyphs
    for (size_t g = 0; g < nGlyphs; ++g) sidOf[g] = static_cast<uint16_t>(g);
  } else if (charsetAt <= 2) {
    return false;  // expert charsets: not for text fonts
  } else {
    size_t at = charsetAt;
    if (at >= size) return false;
    const uint8_t format = d[at++];
    size_t g = 1;
    if (format == 0) {
      if ((size - at) / 2 < nGlyphs - 1) return false;
      for (; g < nGlyphs; ++g, at += 2) sidOf[g] = static_cast<uint16_t>(d[at] << 8 | d[at + 1]);
    } else if (format == 1 || format == 2) {
      const size_t rangeSize = format == 1 ? 3 : 4;
      while (g < nGlyphs) {
        if (size - at < rangeSize) return false;
        const size_t first = size_t(d[at]) << 8 | d[at + 1];
        const size_t left = format == 1 ? d[at + 2] : (size_t(d[at + 2]) << 8 | d[at + 3]);
        at += rangeSize;
        for (size_t k = 0; k <= left && g < nGlyphs; ++k, ++g) sidOf[g] = static_cast<uint16_t>(first + k);
      }
    } else {
      return false;
    }
  }
  std::map<uint16_t, uint32_t> gidOfSid;
  for (size_t g = nGlyphs; g-- > 1;) gidOfSid[sidOf[g]] = static_cast<uint32_t>(g);

  // Glyphs kept: those asked for, .notdef and the parts of accented glyphs.
  std::set<uint32_t> kept;
  std::vector<uint32_t> pending(keep.begin(), keep.end());
  pending.push_back(0);
  while (!pending.empty()) {
    const uint32_t g = pending.back();
    pending.pop_back();
    if (g >= nGlyphs) return false;
    if (!kept.insert(g).second) continue;
    std::vector<int> codes;
    Type2Scan scan(d, gsubrs, locals, &codes);
    if (!scan.Run(glyphs.ItemStart(g), glyphs.ItemSize(g), 0)) return false;
    for (int c : codes) {
      const int sid = c >= 0 && c < 256 ? Standard().sid[c] : 0;
      const auto found = gidOfSid.find(static_cast<uint16_t>(sid));
      if (sid == 0 || found == gidOfSid.end()) return false;
      pending.push_back(found->second);
    }
  }

  // The new font: header, name, Top DICT, strings and global subroutines as they were; then a
  // charset, the kept charstrings, the Private DICT and its subroutines.
  std::vector<uint8_t> charset{0};
  std::vector<std::pair<const uint8_t*, size_t>> kept_strings;
  newGidOf->assign(nGlyphs, 0);
  for (uint32_t g : kept) {
    (*newGidOf)[g] = static_cast<uint32_t>(kept_strings.size());
    kept_strings.emplace_back(d + glyphs.ItemStart(g), glyphs.ItemSize(g));
    if (g != 0) charset.push_back(static_cast<uint8_t>(sidOf[g] >> 8)), charset.push_back(static_cast<uint8_t>(sidOf[g]));
  }
  const std::vector<uint8_t> charStrings = WriteIndex(kept_strings);

  std::vector<uint8_t> newPriv;
  for (const DictEntry& e : privDict) {
    if (e.op == 19) continue;
    newPriv.insert(newPriv.end(), e.operands.begin(), e.operands.end());
    if (e.op >= 1200) newPriv.push_back(12), newPriv.push_back(static_cast<uint8_t>(e.op - 1200));
    else newPriv.push_back(static_cast<uint8_t>(e.op));
  }
  if (subrs) {
    PutDictInt(newPriv, static_cast<uint32_t>(newPriv.size() + 6));
    newPriv.push_back(19);
  }

  auto topDict = [&](uint32_t charsetOff, uint32_t charStringsOff, uint32_t privOff) {
    std::vector<uint8_t> b;
    for (const DictEntry& e : top) {
      if (e.op == 15 || e.op == 16 || e.op == 17 || e.op == 18) continue;
      b.insert(b.end(), e.operands.begin(), e.operands.end());
      if (e.op >= 1200) b.push_back(12), b.push_back(static_cast<uint8_t>(e.op - 1200));
      else b.push_back(static_cast<uint8_t>(e.op));
    }
    PutDictInt(b, charsetOff), b.push_back(15);
    PutDictInt(b, charStringsOff), b.push_back(17);
    PutDictInt(b, static_cast<uint32_t>(newPriv.size())), PutDictInt(b, privOff), b.push_back(18);
    return b;
  };
  const std::vector<uint8_t> probe = topDict(0, 0, 0);
  const size_t topIndexSize = WriteIndex({{probe.data(), probe.size()}}).size();
  const size_t copied = (names.end - names.start) + (strings.end - strings.start) + (gsubrs.end - gsubrs.start);
  const size_t charsetOff = 4 + copied + topIndexSize;
  const size_t charStringsOff = charsetOff + charset.size();
  const size_t privOff = charStringsOff + charStrings.size();
  if (privOff + newPriv.size() + (locals.end - locals.start) > 0x7FFFFFFF) return false;
  const std::vector<uint8_t> topBytes =
      topDict(static_cast<uint32_t>(charsetOff), static_cast<uint32_t>(charStringsOff), static_cast<uint32_t>(privOff));

  out->assign({1, 0, 4, 4});
  out->insert(out->end(), d + names.start, d + names.end);
  const std::vector<uint8_t> topIndex = WriteIndex({{topBytes.data(), topBytes.size()}});
  out->insert(out->end(), topIndex.begin(), topIndex.end());
  out->insert(out->end(), d + strings.start, d + strings.end);
  out->insert(out->end(), d + gsubrs.start, d + gsubrs.end);
  out->insert(out->end(), charset.begin(), charset.end());
  out->insert(out->end(), charStrings.begin(), charStrings.end());
  out->insert(out->end(), newPriv.begin(), newPriv.end());
  if (subrs) out->insert(out->end(), d + locals.start, d + locals.end);
  return true;
}

}  // namespace pagesieve
