// AVM1 code generation from the syntax tree.
#pragma once

#include <cstdint>
#include <vector>

#include "as_ast.h"

namespace swf::as {

// Generates the action records of a program (a Block from ParseProgram),
// ending with ActionEnd. Throws CompileFailure on constructs that cannot be
// translated (return outside a function, jumps or bodies too large, ...).
std::vector<uint8_t> GenerateProgram(const Node* program, int swfVersion);

}  // namespace swf::as
