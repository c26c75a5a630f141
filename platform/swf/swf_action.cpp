// Actions: ActionScript source compiled into the records of a DoAction tag.
#include "swf_internal.h"

#include "swf/ActionCompiler.h"

using namespace swfw;

SWFAction newSWFAction(const char* source) {
  auto* a = new SWFAction_s;
  if (!source) {
    a->failed = true;
    a->error = "no script source";
    SetLastError(a->error);
    return a;
  }
  a->source = source;
  swf::ActionCompileError error;
  // Every movie this writer makes is of version 8 or later, whose players run SWF 8 actions.
  if (!swf::CompileActionScript(a->source, 8, &a->code, &error)) {
    a->failed = true;
    a->code.clear();
    a->error = error.message.empty() ? "script does not compile" : error.message;
    a->errorLine = error.line;
    a->errorColumn = error.column;
    SetLastError(a->error);
  }
  return a;
}

void destroySWFAction(SWFAction action) {
  if (action) action->Release();
}

const char* SWFAction_getError(SWFAction action, int* line, int* column) {
  if (!action || !action->failed) return nullptr;
  if (line) *line = action->errorLine;
  if (column) *column = action->errorColumn;
  return action->error.c_str();
}
