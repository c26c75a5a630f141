#include "ActionCompiler.h"

#include <exception>
#include <new>
#include <string>

#include "as_codegen.h"
#include "as_error.h"
#include "as_parser.h"

namespace swf {

bool CompileActionScript(std::string_view source, int swfVersion, std::vector<uint8_t>* out,
                         ActionCompileError* error) {
  if (out) out->clear();
  auto fail = [&](int line, int column, std::string message) {
    if (error) *error = ActionCompileError{line, column, std::move(message)};
    return false;
  };
  if (swfVersion < 6)
    return fail(1, 1, "SWF version " + std::to_string(swfVersion) + " is not supported (6 or later needed)");
  try {
    as::NodePool pool;
    const as::Node* program = as::ParseProgram(source, pool);
    std::vector<uint8_t> code = as::GenerateProgram(program, swfVersion);
    if (out) *out = std::move(code);
    if (error) *error = ActionCompileError{};
    return true;
  } catch (const as::CompileFailure& f) {
    return fail(f.line, f.column, f.message);
  } catch (const std::bad_alloc&) {
    return fail(1, 1, "out of memory while compiling the script");
  } catch (const std::exception& e) {
    return fail(1, 1, std::string("internal error of the script compiler: ") + e.what());
  }
}

}  // namespace swf
