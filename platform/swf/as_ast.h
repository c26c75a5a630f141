// Syntax tree of ActionScript 1/2 source. Nodes live in one NodePool and refer
// to each other by plain pointers, so freeing a deep tree never recurses.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace swf::as {

enum class NodeKind {
  // expressions
  Number,  // number
  String,  // text
  True,
  False,
  Null,
  Undefined,
  Ident,        // text: name (also this, _root, _parent, _global)
  Array,        // list: elements
  Object,       // list: Property nodes
  Property,     // text: key, a: value
  Function,     // text: name (empty for an expression), names: parameters, list: body
  Unary,        // text: ! - + ~ typeof delete; a: operand
  Update,       // text: ++ or --; prefix; a: target
  Binary,       // text: operator; a, b
  Logical,      // text: && or ||; a, b
  Conditional,  // a ? b : c
  Assign,       // text: = += -= ...; a: target, b: value
  Member,       // a.text
  Index,        // a[b]
  Call,         // a(list)
  New,          // new a(list)
  Sequence,     // list, comma-separated
  // statements
  Var,       // list: VarItem nodes
  VarItem,   // text: name, a: initial value or null
  ExprStmt,  // a
  Block,     // list
  If,        // if (a) b else c
  While,     // while (a) b
  DoWhile,   // do b while (a)
  For,       // for (a; b; c) d; a is a statement (Var or ExprStmt) or null
  ForIn,     // for ([var] text in b) d; prefix: declared with var
  Break,
  Continue,
  Return,        // a or null
  FunctionDecl,  // a: Function node
  Empty,
};

struct Node {
  NodeKind kind;
  int line = 0;
  int column = 0;
  std::string text;
  double number = 0;
  bool prefix = false;
  Node* a = nullptr;
  Node* b = nullptr;
  Node* c = nullptr;
  Node* d = nullptr;
  std::vector<Node*> list;
  std::vector<std::string> names;
};

class NodePool {
 public:
  Node* Make(NodeKind kind, int line, int column) {
    Node& n = nodes_.emplace_back();
    n.kind = kind;
    n.line = line;
    n.column = column;
    return &n;
  }

 private:
  std::deque<Node> nodes_;
};

}  // namespace swf::as
