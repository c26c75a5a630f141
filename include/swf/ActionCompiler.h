// ActionScript 1/2 compiler: turns script source into AVM1 action records
// for the body of a DoAction tag.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace swf {

// Where and why a compile failed. Line and column count from 1; the column
// counts characters (code points) of the source line.
struct ActionCompileError {
  int line = 0;
  int column = 0;
  std::string message;
};

// Compiles ActionScript 1/2 source (UTF-8) into the action records of a
// DoAction tag body, ending with ActionEnd (0x00).
// swfVersion selects the instruction set (6, 7 or 8; 5 and lower are refused).
// On success *out holds the records (previous contents replaced) and true is
// returned; on failure *error is filled in, *out is left empty and false is
// returned. Either pointer may be null.
bool CompileActionScript(std::string_view source, int swfVersion, std::vector<uint8_t>* out,
                         ActionCompileError* error);

}  // namespace swf
