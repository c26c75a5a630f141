#include "as_parser.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "as_error.h"
#include "as_lexer.h"

namespace swf::as {
namespace {

int BinaryPrecedence(const Token& t) {
  if (t.kind == Tok::Keyword) return t.text == "instanceof" ? 7 : 0;
  if (t.kind != Tok::Punct) return 0;
  const std::string& s = t.text;
  if (s == "||") return 1;
  if (s == "&&") return 2;
  if (s == "|") return 3;
  if (s == "^") return 4;
  if (s == "&") return 5;
  if (s == "==" || s == "!=" || s == "===" || s == "!==") return 6;
  if (s == "<" || s == ">" || s == "<=" || s == ">=") return 7;
  if (s == "<<" || s == ">>" || s == ">>>") return 8;
  if (s == "+" || s == "-") return 9;
  if (s == "*" || s == "/" || s == "%") return 10;
  return 0;
}

bool IsAssignOp(const Token& t) {
  if (t.kind != Tok::Punct) return false;
  static constexpr std::string_view kOps[] = {
      "=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>=", ">>>="};
  for (std::string_view op : kOps)
    if (t.text == op) return true;
  return false;
}

std::string Describe(const Token& t) {
  switch (t.kind) {
    case Tok::End:
      return "the end of the script";
    case Tok::Number:
      return "a number";
    case Tok::String:
      return "a string";
    default:
      return "'" + t.text + "'";
  }
}

class Parser {
 public:
  Parser(std::vector<Token> tokens, NodePool& pool) : toks_(std::move(tokens)), pool_(pool) {}

  Node* Program() {
    Node* block = pool_.Make(NodeKind::Block, 1, 1);
    while (Cur().kind != Tok::End) block->list.push_back(Statement());
    return block;
  }

 private:
  // Counts nesting while parsing one construct and refuses input nested
  // deeper than kMaxNesting.
  class Nest {
   public:
    Nest(Parser& p) : p_(p) {
      if (++p_.depth_ > kMaxNesting) p_.Error("the script is nested too deeply");
    }
    ~Nest() { --p_.depth_; }

   private:
    Parser& p_;
  };

  const Token& Cur() const { return toks_[pos_]; }
  const Token& Peek(size_t ahead = 1) const { return toks_[std::min(pos_ + ahead, toks_.size() - 1)]; }
  const Token& Advance() {
    const Token& t = toks_[pos_];
    if (pos_ + 1 < toks_.size()) ++pos_;
    return t;
  }
  [[noreturn]] void Error(std::string message) const { Fail(Cur().line, Cur().column, std::move(message)); }
  // Refuses a reserved word the compiler does not translate.
  void RefuseUnsupported(const Token& t) const {
    if (t.kind == Tok::Keyword && IsUnsupportedWord(t.text))
      Fail(t.line, t.column, "'" + t.text + "' is not supported");
  }
  [[noreturn]] void Unexpected() const {
    if (Cur().kind == Tok::End) Error("unexpected end of the script");
    Error("unexpected " + Describe(Cur()));
  }
  void Expect(std::string_view punct) {
    if (!Cur().Is(punct)) Error("expected '" + std::string(punct) + "' but found " + Describe(Cur()));
    Advance();
  }
  std::string ExpectIdent(const char* what) {
    RefuseUnsupported(Cur());
    if (Cur().kind != Tok::Ident) Error(std::string("expected ") + what + " but found " + Describe(Cur()));
    return Advance().text;
  }
  Node* Make(NodeKind kind, const Token& at) { return pool_.Make(kind, at.line, at.column); }

  // Ends a simple statement: a ';', or a line break, '}' or the end of the
  // script where a semicolon may be left out.
  void EndStatement() {
    if (Cur().Is(";")) {
      Advance();
      return;
    }
    if (Cur().Is("}") || Cur().kind == Tok::End || Cur().newlineBefore) return;
    Error("expected ';' but found " + Describe(Cur()));
  }

  // Skips an ActionScript 2 type annotation (": Type" or ": pkg.Type").
  void SkipTypeAnnotation() {
    if (!Cur().Is(":")) return;
    Advance();
    if (Cur().kind != Tok::Ident && !Cur().IsKeyword("function")) Error("expected a type name");
    Advance();
    while (Cur().Is(".")) {
      Advance();
      ExpectIdent("a type name");
    }
  }

  // ---- statements ----

  Node* Statement() {
    Nest nest(*this);
    const Token& t = Cur();
    if (t.Is("{")) return Block();
    if (t.Is(";")) {
      Advance();
      return Make(NodeKind::Empty, t);
    }
    if (t.kind == Tok::Keyword) {
      RefuseUnsupported(t);
      if (t.text == "var") {
        Node* n = VarList();
        EndStatement();
        return n;
      }
      if (t.text == "function" && Peek().kind == Tok::Ident) {
        Node* decl = Make(NodeKind::FunctionDecl, t);
        decl->a = Function();
        return decl;
      }
      if (t.text == "if") return If();
      if (t.text == "while") {
        Node* n = Make(NodeKind::While, Advance());
        Expect("(");
        n->a = Expression();
        Expect(")");
        n->b = Statement();
        return n;
      }
      if (t.text == "do") {
        Node* n = Make(NodeKind::DoWhile, Advance());
        n->b = Statement();
        if (!Cur().IsKeyword("while")) Error("expected 'while' but found " + Describe(Cur()));
        Advance();
        Expect("(");
        n->a = Expression();
        Expect(")");
        if (Cur().Is(";")) Advance();
        return n;
      }
      if (t.text == "for") return For();
      if (t.text == "break" || t.text == "continue") {
        Node* n = Make(t.text == "break" ? NodeKind::Break : NodeKind::Continue, Advance());
        EndStatement();
        return n;
      }
      if (t.text == "return") {
        Node* n = Make(NodeKind::Return, Advance());
        if (!Cur().Is(";") && !Cur().Is("}") && Cur().kind != Tok::End && !Cur().newlineBefore)
          n->a = Expression();
        EndStatement();
        return n;
      }
      if (t.text == "else") Error("'else' without 'if'");
      if (t.text == "in") Unexpected();
    }
    // Flash's block statements of timeline actions; a block after the call would not parse.
    if (t.kind == Tok::Ident && Peek().Is("(")) {
      if (t.text == "tellTarget") Fail(t.line, t.column, "'tellTarget' is not supported; call the clip's methods");
      if (t.text == "ifFrameLoaded")
        Fail(t.line, t.column, "'ifFrameLoaded' is not supported; test the clip's _framesloaded");
    }
    Node* n = Make(NodeKind::ExprStmt, t);
    n->a = Expression();
    EndStatement();
    return n;
  }

  Node* Block() {
    Node* n = Make(NodeKind::Block, Cur());
    Expect("{");
    while (!Cur().Is("}")) {
      if (Cur().kind == Tok::End) Error("expected '}' but found the end of the script");
      n->list.push_back(Statement());
    }
    Advance();
    return n;
  }

  Node* If() {
    Node* n = Make(NodeKind::If, Advance());
    Expect("(");
    n->a = Expression();
    Expect(")");
    n->b = Statement();
    if (Cur().IsKeyword("else")) {
      Advance();
      n->c = Statement();
    }
    return n;
  }

  Node* VarItem() {
    Node* item = Make(NodeKind::VarItem, Cur());
    item->text = ExpectIdent("a variable name");
    SkipTypeAnnotation();
    if (Cur().Is("=")) {
      Advance();
      item->a = Assignment();
    }
    return item;
  }

  Node* VarList() {
    Node* n = Make(NodeKind::Var, Advance());
    n->list.push_back(VarItem());
    while (Cur().Is(",")) {
      Advance();
      n->list.push_back(VarItem());
    }
    return n;
  }

  Node* For() {
    const Token& forTok = Advance();
    Expect("(");
    Node* init = nullptr;
    if (Cur().IsKeyword("var")) {
      init = VarList();
      if (Cur().IsKeyword("in")) {
        if (init->list.size() != 1 || init->list[0]->a)
          Fail(init->line, init->column, "'for ... in' takes one variable without a value");
        return ForIn(forTok, init->list[0]->text, true);
      }
    } else if (!Cur().Is(";")) {
      const Token& at = Cur();
      Node* e = Expression();
      if (Cur().IsKeyword("in")) {
        if (e->kind != NodeKind::Ident || e->text == "this")
          Fail(e->line, e->column, "'for ... in' needs a variable name");
        return ForIn(forTok, e->text, false);
      }
      init = Make(NodeKind::ExprStmt, at);
      init->a = e;
    }
    Node* n = Make(NodeKind::For, forTok);
    n->a = init;
    Expect(";");
    if (!Cur().Is(";")) n->b = Expression();
    Expect(";");
    if (!Cur().Is(")")) n->c = Expression();
    Expect(")");
    n->d = Statement();
    return n;
  }

  Node* ForIn(const Token& forTok, std::string name, bool declared) {
    Advance();  // in
    Node* n = Make(NodeKind::ForIn, forTok);
    n->text = std::move(name);
    n->prefix = declared;
    n->b = Expression();
    Expect(")");
    n->d = Statement();
    return n;
  }

  // ---- expressions ----

  Node* Expression() {
    Node* first = Assignment();
    if (!Cur().Is(",")) return first;
    Node* seq = pool_.Make(NodeKind::Sequence, first->line, first->column);
    seq->list.push_back(first);
    while (Cur().Is(",")) {
      Advance();
      seq->list.push_back(Assignment());
    }
    return seq;
  }

  Node* Assignment() {
    Nest nest(*this);
    Node* target = Conditional();
    if (!IsAssignOp(Cur())) return target;
    if (target->kind != NodeKind::Member && target->kind != NodeKind::Index &&
        (target->kind != NodeKind::Ident || target->text == "this"))
      Fail(target->line, target->column, "cannot assign to this expression");
    const Token& op = Advance();
    Node* n = Make(NodeKind::Assign, op);
    n->text = op.text;
    n->a = target;
    n->b = Assignment();
    return n;
  }

  Node* Conditional() {
    Node* cond = Binary(1);
    if (!Cur().Is("?")) return cond;
    Node* n = Make(NodeKind::Conditional, Advance());
    n->a = cond;
    n->b = Assignment();
    Expect(":");
    n->c = Assignment();
    return n;
  }

  Node* Binary(int minPrec) {
    Node* left = Unary();
    for (;;) {
      int prec = BinaryPrecedence(Cur());
      if (prec == 0 || prec < minPrec) return left;
      const Token& op = Advance();
      Node* right = Binary(prec + 1);
      Node* n = Make(op.text == "&&" || op.text == "||" ? NodeKind::Logical : NodeKind::Binary, op);
      n->text = op.text;
      n->a = left;
      n->b = right;
      left = n;
    }
  }

  Node* Unary() {
    Nest nest(*this);
    const Token& t = Cur();
    bool unaryOp =
        (t.kind == Tok::Punct && (t.text == "!" || t.text == "-" || t.text == "+" || t.text == "~")) ||
        t.IsKeyword("typeof") || t.IsKeyword("delete");
    if (unaryOp) {
      Advance();
      Node* operand = Unary();
      if (t.text == "-" && operand->kind == NodeKind::Number) {
        operand->number = -operand->number;
        operand->line = t.line;
        operand->column = t.column;
        return operand;
      }
      Node* n = Make(NodeKind::Unary, t);
      n->text = t.text;
      n->a = operand;
      return n;
    }
    if (t.Is("++") || t.Is("--")) {
      Advance();
      Node* n = Make(NodeKind::Update, t);
      n->text = t.text;
      n->prefix = true;
      n->a = Unary();
      CheckUpdateTarget(n->a);
      return n;
    }
    Node* e = LeftHandSide();
    if ((Cur().Is("++") || Cur().Is("--")) && !Cur().newlineBefore) {
      const Token& op = Advance();
      Node* n = Make(NodeKind::Update, op);
      n->text = op.text;
      n->a = e;
      CheckUpdateTarget(e);
      return n;
    }
    return e;
  }

  void CheckUpdateTarget(Node* e) {
    if (e->kind != NodeKind::Member && e->kind != NodeKind::Index &&
        (e->kind != NodeKind::Ident || e->text == "this"))
      Fail(e->line, e->column, "cannot increment or decrement this expression");
  }

  std::vector<Node*> Arguments() {
    Expect("(");
    std::vector<Node*> args;
    if (!Cur().Is(")")) {
      args.push_back(Assignment());
      while (Cur().Is(",")) {
        Advance();
        args.push_back(Assignment());
      }
    }
    Expect(")");
    return args;
  }

  // Member access by name: any identifier or keyword may follow the dot.
  Node* MemberSuffix(Node* object) {
    Advance();  // .
    if (Cur().kind != Tok::Ident && Cur().kind != Tok::Keyword)
      Error("expected a member name but found " + Describe(Cur()));
    Node* n = pool_.Make(NodeKind::Member, object->line, object->column);
    n->text = Advance().text;
    n->a = object;
    return n;
  }

  Node* IndexSuffix(Node* object) {
    Advance();  // [
    Node* n = pool_.Make(NodeKind::Index, object->line, object->column);
    n->a = object;
    n->b = Expression();
    Expect("]");
    return n;
  }

  Node* LeftHandSide() {
    Node* e = Cur().IsKeyword("new") ? New() : Primary();
    for (;;) {
      if (Cur().Is(".")) {
        e = MemberSuffix(e);
      } else if (Cur().Is("[")) {
        e = IndexSuffix(e);
      } else if (Cur().Is("(")) {
        Node* call = pool_.Make(NodeKind::Call, e->line, e->column);
        call->a = e;
        call->list = Arguments();
        e = call;
      } else {
        return e;
      }
    }
  }

  Node* New() {
    Nest nest(*this);
    Node* n = Make(NodeKind::New, Advance());
    Node* callee = Cur().IsKeyword("new") ? New() : Primary();
    for (;;) {
      if (Cur().Is(".")) {
        callee = MemberSuffix(callee);
      } else if (Cur().Is("[")) {
        callee = IndexSuffix(callee);
      } else {
        break;
      }
    }
    n->a = callee;
    if (Cur().Is("(")) n->list = Arguments();
    return n;
  }

  Node* Primary() {
    const Token& t = Cur();
    switch (t.kind) {
      case Tok::Number: {
        Node* n = Make(NodeKind::Number, Advance());
        n->number = t.number;
        return n;
      }
      case Tok::String: {
        Node* n = Make(NodeKind::String, Advance());
        n->text = t.text;
        return n;
      }
      case Tok::Ident: {
        Node* n = Make(NodeKind::Ident, Advance());
        n->text = t.text;
        return n;
      }
      case Tok::Keyword:
        RefuseUnsupported(t);
        if (t.text == "true") return Make(NodeKind::True, Advance());
        if (t.text == "false") return Make(NodeKind::False, Advance());
        if (t.text == "null") return Make(NodeKind::Null, Advance());
        if (t.text == "undefined") return Make(NodeKind::Undefined, Advance());
        if (t.text == "function") return Function();
        break;
      case Tok::Punct:
        if (t.text == "(") {
          Advance();
          Node* e = Expression();
          Expect(")");
          return e;
        }
        if (t.text == "[") return ArrayLiteral();
        if (t.text == "{") return ObjectLiteral();
        break;
      case Tok::End:
        break;
    }
    if (t.kind == Tok::End) Error("unexpected end of the script");
    Error("expected an expression but found " + Describe(t));
  }

  Node* ArrayLiteral() {
    Node* n = Make(NodeKind::Array, Advance());
    if (!Cur().Is("]")) {
      n->list.push_back(Assignment());
      while (Cur().Is(",")) {
        Advance();
        n->list.push_back(Assignment());
      }
    }
    Expect("]");
    return n;
  }

  Node* ObjectLiteral() {
    Node* n = Make(NodeKind::Object, Advance());
    if (!Cur().Is("}")) {
      for (;;) {
        const Token& key = Cur();
        Node* prop = Make(NodeKind::Property, key);
        if (key.kind == Tok::Ident || key.kind == Tok::Keyword || key.kind == Tok::String) {
          prop->text = key.text;
        } else if (key.kind == Tok::Number) {
          prop->text = NumberKey(key.number);
        } else {
          Error("expected a property name but found " + Describe(key));
        }
        Advance();
        Expect(":");
        prop->a = Assignment();
        n->list.push_back(prop);
        if (!Cur().Is(",")) break;
        Advance();
      }
    }
    Expect("}");
    return n;
  }

  static std::string NumberKey(double v) {
    if (v > -1e15 && v < 1e15 && v == std::floor(v)) return std::to_string(static_cast<long long>(v));
    char buf[32];
    snprintf(buf, sizeof buf, "%.15g", v);
    return buf;
  }

  Node* Function() {
    Nest nest(*this);
    Node* n = Make(NodeKind::Function, Advance());  // function
    if (Cur().kind == Tok::Ident) n->text = Advance().text;
    Expect("(");
    if (!Cur().Is(")")) {
      for (;;) {
        n->names.push_back(ExpectIdent("a parameter name"));
        SkipTypeAnnotation();
        if (!Cur().Is(",")) break;
        Advance();
      }
    }
    Expect(")");
    SkipTypeAnnotation();
    Expect("{");
    while (!Cur().Is("}")) {
      if (Cur().kind == Tok::End) Error("expected '}' but found the end of the script");
      n->list.push_back(Statement());
    }
    Advance();
    return n;
  }

  std::vector<Token> toks_;
  size_t pos_ = 0;
  int depth_ = 0;
  NodePool& pool_;
};

}  // namespace

Node* ParseProgram(std::string_view source, NodePool& pool) {
  return Parser(Tokenize(source), pool).Program();
}

}  // namespace swf::as
