// Parser of ActionScript 1/2 source into a syntax tree.
#pragma once

#include <string_view>

#include "as_ast.h"

namespace swf::as {

// Parses a whole script; returns a Block node holding its statements. Nodes
// are allocated in pool. Throws CompileFailure on a syntax error.
Node* ParseProgram(std::string_view source, NodePool& pool);

}  // namespace swf::as
