// Internal failure type of the ActionScript compiler: thrown by the lexer,
// parser and code generator, caught at the public entry point.
#pragma once

#include <string>

namespace swf::as {

struct CompileFailure {
  int line;
  int column;
  std::string message;
};

[[noreturn]] inline void Fail(int line, int column, std::string message) {
  throw CompileFailure{line, column, std::move(message)};
}

// Deepest nesting of statements and expressions the parser accepts; deeper
// input is refused with an error instead of exhausting the stack.
inline constexpr int kMaxNesting = 150;
// Deepest tree the code generator walks (left-leaning operator chains are
// walked iteratively and do not count).
inline constexpr int kMaxTreeDepth = 400;

}  // namespace swf::as
