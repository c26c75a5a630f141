// Tokens of ActionScript 1/2 source.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace swf::as {

enum class Tok {
  End,
  Number,
  String,
  Ident,
  Keyword,  // text holds the keyword
  Punct,    // text holds the operator or punctuator
};

struct Token {
  Tok kind = Tok::End;
  std::string text;   // identifier name, keyword, punctuator, or decoded string value
  double number = 0;  // value of a Number token
  int line = 1;
  int column = 1;
  bool newlineBefore = false;  // a line break lies between this token and the previous one

  bool Is(std::string_view punct) const { return kind == Tok::Punct && text == punct; }
  bool IsKeyword(std::string_view word) const { return kind == Tok::Keyword && text == word; }
};

// Splits UTF-8 source into tokens, ending with a Tok::End token. Throws
// CompileFailure on malformed input (bad UTF-8, unterminated strings or
// comments, stray characters, malformed numbers).
std::vector<Token> Tokenize(std::string_view source);

// A reserved word the compiler does not translate ("switch", "class", ...).
// It comes out of Tokenize as a keyword.
bool IsUnsupportedWord(std::string_view word);

}  // namespace swf::as
