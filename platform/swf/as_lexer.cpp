#include "as_lexer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "as_error.h"

namespace swf::as {
namespace {

constexpr std::string_view kKeywords[] = {
    "break",      "continue", "delete", "do",     "else", "false",  "for",       "function", "if",   "in",
    "instanceof", "new",      "null",   "return", "true", "typeof", "undefined", "var",      "while"};

// Reserved words of the language that this compiler does not translate. They
// are keywords, so they stay usable as member names (o.default); the parser
// refuses them where they would start a statement or an expression. The words
// that are only special before 'class' (dynamic, intrinsic) are plain names.
constexpr std::string_view kUnsupported[] = {"switch", "case",       "default", "with",  "try",
                                             "catch",  "finally",    "throw",   "class", "interface",
                                             "extends", "implements", "import", "void"};

constexpr std::string_view kPuncts[] = {
    ">>>=", "===", "!==", ">>>", "<<=", ">>=", "==", "!=", "<=", ">=", "&&", "||", "++", "--", "+=", "-=",
    "*=",   "/=",  "%=",  "&=",  "|=",  "^=",  "<<", ">>", "{",  "}",  "(",  ")",  "[",  "]",  ";",  ",",
    ".",    "?",   ":",   "=",   "<",   ">",   "+",  "-",  "*",  "/",  "%",  "&",  "|",  "^",  "!",  "~"};

bool IsIdentStart(uint32_t c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
         (c >= 0x80 && c != 0xA0 && c != 0xFEFF && c != 0x2028 && c != 0x2029);
}
bool IsIdentPart(uint32_t c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendUtf8(std::string& s, uint32_t c) {
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
}

class Lexer {
 public:
  explicit Lexer(std::string_view src) : src_(src) {}

  std::vector<Token> Run() {
    std::vector<Token> out;
    if (src_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;  // byte-order mark
    bool newline = false;
    for (;;) {
      newline = SkipSpaceAndComments() || newline;
      Token t;
      t.line = line_;
      t.column = column_;
      t.newlineBefore = newline;
      newline = false;
      if (pos_ >= src_.size()) {
        t.kind = Tok::End;
        out.push_back(std::move(t));
        return out;
      }
      ReadToken(t);
      out.push_back(std::move(t));
    }
  }

 private:
  // Decodes the code point at pos_ without consuming it; *len gets its size.
  uint32_t Peek(size_t* len) const {
    auto b = [&](size_t i) { return static_cast<uint8_t>(src_[pos_ + i]); };
    size_t left = src_.size() - pos_;
    uint8_t c0 = b(0);
    if (c0 < 0x80) {
      *len = 1;
      return c0;
    }
    size_t n = c0 >= 0xF0 ? 4 : c0 >= 0xE0 ? 3 : c0 >= 0xC0 ? 2 : 0;
    if (n == 0 || c0 > 0xF4 || n > left) BadUtf8();
    uint32_t c = c0 & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
      if ((b(i) & 0xC0) != 0x80) BadUtf8();
      c = (c << 6) | (b(i) & 0x3F);
    }
    static constexpr uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) BadUtf8();
    *len = n;
    return c;
  }
  [[noreturn]] void BadUtf8() const { Fail(line_, column_, "the source is not valid UTF-8"); }

  // Consumes one code point, keeping the line and column up to date.
  uint32_t Next() {
    size_t len = 0;
    uint32_t c = Peek(&len);
    pos_ += len;
    if (c == '\n' || (c == '\r' && (pos_ >= src_.size() || src_[pos_] != '\n'))) {
      ++line_;
      column_ = 1;
    } else if (c != '\r') {
      ++column_;
    }
    return c;
  }
  bool AtEnd() const { return pos_ >= src_.size(); }
  char Cur(size_t ahead = 0) const { return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : '\0'; }

  // Returns true when a line break was skipped.
  bool SkipSpaceAndComments() {
    bool newline = false;
    while (!AtEnd()) {
      char c = Cur();
      if (c == '\n' || c == '\r') {
        newline = true;
        Next();
      } else if (c == ' ' || c == '\t' || c == '\v' || c == '\f') {
        Next();
      } else if (c == '/' && Cur(1) == '/') {
        while (!AtEnd() && Cur() != '\n' && Cur() != '\r') Next();
      } else if (c == '/' && Cur(1) == '*') {
        int line = line_, column = column_;
        Next();
        Next();
        for (;;) {
          if (AtEnd()) Fail(line, column, "unterminated comment");
          if (Cur() == '*' && Cur(1) == '/') {
            Next();
            Next();
            break;
          }
          if (Cur() == '\n' || Cur() == '\r') newline = true;
          Next();
        }
      } else if (static_cast<uint8_t>(c) >= 0x80) {
        size_t len = 0;
        uint32_t cp = Peek(&len);
        if (cp == 0xA0 || cp == 0xFEFF) {
          Next();
        } else if (cp == 0x2028 || cp == 0x2029) {
          newline = true;
          Next();
        } else {
          break;
        }
      } else {
        break;
      }
    }
    return newline;
  }

  void ReadToken(Token& t) {
    char c = Cur();
    size_t len = 0;
    uint32_t cp = Peek(&len);
    if (IsDigit(c) || (c == '.' && IsDigit(Cur(1)))) return ReadNumber(t);
    if (c == '"' || c == '\'') return ReadString(t);
    if (IsIdentStart(cp)) return ReadWord(t);
    for (std::string_view p : kPuncts) {
      if (src_.substr(pos_, p.size()) == p) {
        t.kind = Tok::Punct;
        t.text = std::string(p);
        for (size_t i = 0; i < p.size(); ++i) Next();
        return;
      }
    }
    Fail(line_, column_,
         cp >= 0x20 && cp < 0x7F ? std::string("unexpected character '") + c + "'" : "unexpected character");
  }

  void ReadWord(Token& t) {
    size_t start = pos_;
    size_t len = 0;
    while (!AtEnd() && IsIdentPart(Peek(&len))) Next();
    t.text = std::string(src_.substr(start, pos_ - start));
    t.kind = Tok::Ident;
    for (std::string_view k : kKeywords)
      if (t.text == k) t.kind = Tok::Keyword;
    if (IsUnsupportedWord(t.text)) t.kind = Tok::Keyword;
  }

  void ReadNumber(Token& t) {
    t.kind = Tok::Number;
    size_t start = pos_;
    if (Cur() == '0' && (Cur(1) == 'x' || Cur(1) == 'X')) {
      Next();
      Next();
      double v = 0;
      int digits = 0;
      while (HexValue(Cur()) >= 0) {
        v = v * 16 + HexValue(Cur());
        ++digits;
        Next();
      }
      if (digits == 0) Fail(t.line, t.column, "malformed number");
      t.number = v;
    } else {
      while (IsDigit(Cur())) Next();
      if (Cur() == '.') {
        Next();
        while (IsDigit(Cur())) Next();
      }
      if (Cur() == 'e' || Cur() == 'E') {
        Next();
        if (Cur() == '+' || Cur() == '-') Next();
        if (!IsDigit(Cur())) Fail(t.line, t.column, "malformed number");
        while (IsDigit(Cur())) Next();
      }
      std::string_view text = src_.substr(start, pos_ - start);
      double v = 0;
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
      if (ec == std::errc::result_out_of_range) {
        // Beyond the range of a double: infinity or zero, as the player makes it.
        size_t e = text.find_first_of("eE");
        bool negExponent = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
        std::string_view whole = text.substr(0, std::min(text.find('.'), e));
        bool wholeIsZero = whole.find_first_not_of('0') == std::string_view::npos;
        v = negExponent || (e == std::string_view::npos && wholeIsZero) ? 0.0 : HUGE_VAL;
      } else if (ec != std::errc() || end != text.data() + text.size()) {
        Fail(t.line, t.column, "malformed number");
      }
      t.number = v;
    }
    size_t len = 0;
    if (!AtEnd() && IsIdentPart(Peek(&len))) Fail(t.line, t.column, "malformed number");
  }

  void ReadString(Token& t) {
    t.kind = Tok::String;
    char quote = Cur();
    Next();
    for (;;) {
      if (AtEnd() || Cur() == '\n' || Cur() == '\r') Fail(t.line, t.column, "unterminated string");
      if (Cur() == quote) {
        Next();
        return;
      }
      if (Cur() != '\\') {
        size_t start = pos_;
        Next();
        t.text.append(src_.substr(start, pos_ - start));
        continue;
      }
      int line = line_, column = column_;
      Next();
      if (AtEnd()) Fail(t.line, t.column, "unterminated string");
      char e = Cur();
      uint32_t value = 0;
      switch (e) {
        case 'n':
          value = '\n';
          break;
        case 'r':
          value = '\r';
          break;
        case 't':
          value = '\t';
          break;
        case 'b':
          value = '\b';
          break;
        case 'f':
          value = '\f';
          break;
        case 'v':
          value = '\v';
          break;
        case '0':
          if (IsDigit(Cur(1))) Fail(line, column, "octal escapes are not supported");
          value = 0;
          break;
        case 'x':
        case 'u': {
          int digits = e == 'x' ? 2 : 4;
          for (int i = 0; i < digits; ++i) {
            int h = HexValue(Cur(1 + i));
            if (h < 0) Fail(line, column, "malformed escape sequence");
            value = value * 16 + h;
          }
          for (int i = 0; i < digits; ++i) Next();
          if (value >= 0xD800 && value <= 0xDBFF && Cur(1) == '\\' && Cur(2) == 'u') {
            // A surrogate pair written as two escapes is one character.
            uint32_t low = 0;
            bool ok = true;
            for (int i = 0; i < 4 && ok; ++i) {
              int h = HexValue(Cur(3 + i));
              ok = h >= 0;
              low = low * 16 + (h < 0 ? 0 : h);
            }
            if (ok && low >= 0xDC00 && low <= 0xDFFF) {
              for (int i = 0; i < 6; ++i) Next();
              value = 0x10000 + ((value - 0xD800) << 10) + (low - 0xDC00);
            }
          }
          if (value >= 0xD800 && value <= 0xDFFF) Fail(line, column, "escape of an unpaired surrogate");
          break;
        }
        case '\n':
        case '\r':
          Fail(t.line, t.column, "unterminated string");
        default: {
          // Any other escaped character stands for itself.
          size_t start = pos_;
          Next();
          t.text.append(src_.substr(start, pos_ - start));
          continue;
        }
      }
      if (value == 0) Fail(line, column, "a string cannot hold the character U+0000");
      AppendUtf8(t.text, value);
      Next();
    }
  }

  std::string_view src_;
  size_t pos_ = 0;
  int line_ = 1;
  int column_ = 1;
};

}  // namespace

bool IsUnsupportedWord(std::string_view word) {
  for (std::string_view k : kUnsupported)
    if (word == k) return true;
  return false;
}

std::vector<Token> Tokenize(std::string_view source) { return Lexer(source).Run(); }

}  // namespace swf::as
