// Code generation notes
// - Functions: DefineFunction2 (SWF 7 and later) or DefineFunction (SWF 6).
//   Parameters and `var` locals are named variables of the function's
//   activation, never registers, so that function expressions close over
//   them as the player expects (a nested function sees the scope chain of its
//   definition). DefineFunction2 is used only for its private register set: no
//   preloads or suppressions, three registers.
// - Registers 0 to 2 are scratch space for assignments whose value is used,
//   compound member assignments and for ... in loops. Every use stores and
//   reloads a register with no sub-expression evaluated in between, so nested
//   expressions cannot clobber each other's values.
// - Strings are pushed inline (no ConstantPool): a function that outlives its
//   DoAction may run under another action list's pool in some players.
// - Function declarations are hoisted to the top of their body, as the
//   language requires, so a function may be called before it is declared.
#include "as_codegen.h"

#include <cmath>
#include <cstring>
#include <iterator>

#include <lwbytes.h>
#include <string>
#include <utility>

#include "as_error.h"

namespace swf::as {
namespace {

enum Op : uint8_t {
  kEnd = 0x00,
  kNextFrame = 0x04,
  kPrevFrame = 0x05,
  kPlay = 0x06,
  kStop = 0x07,
  kToggleQuality = 0x08,
  kStopSounds = 0x09,
  kSubtract = 0x0B,
  kMultiply = 0x0C,
  kDivide = 0x0D,
  kNot = 0x12,
  kStringLength = 0x14,
  kStringExtract = 0x15,
  kPop = 0x17,
  kToInteger = 0x18,
  kGetVariable = 0x1C,
  kSetVariable = 0x1D,
  kGetProperty = 0x22,
  kSetProperty = 0x23,
  kCloneSprite = 0x24,
  kRemoveSprite = 0x25,
  kTrace = 0x26,
  kEndDrag = 0x28,
  kRandomNumber = 0x30,
  kMBStringLength = 0x31,
  kCharToAscii = 0x32,
  kAsciiToChar = 0x33,
  kGetTime = 0x34,
  kMBStringExtract = 0x35,
  kMBCharToAscii = 0x36,
  kMBAsciiToChar = 0x37,
  kDelete = 0x3A,
  kDelete2 = 0x3B,
  kDefineLocal = 0x3C,
  kCallFunction = 0x3D,
  kReturn = 0x3E,
  kModulo = 0x3F,
  kNewObject = 0x40,
  kDefineLocal2 = 0x41,
  kInitArray = 0x42,
  kInitObject = 0x43,
  kTypeOf = 0x44,
  kTargetPath = 0x45,
  kAdd2 = 0x47,
  kLess2 = 0x48,
  kEquals2 = 0x49,
  kToNumber = 0x4A,
  kPushDuplicate = 0x4C,
  kStackSwap = 0x4D,
  kGetMember = 0x4E,
  kSetMember = 0x4F,
  kIncrement = 0x50,
  kDecrement = 0x51,
  kCallMethod = 0x52,
  kNewMethod = 0x53,
  kInstanceOf = 0x54,
  kEnumerate2 = 0x55,
  kBitAnd = 0x60,
  kBitOr = 0x61,
  kBitXor = 0x62,
  kBitLShift = 0x63,
  kBitRShift = 0x64,
  kBitURShift = 0x65,
  kStrictEquals = 0x66,
  kGreater = 0x67,
  kStoreRegister = 0x87,
  kDefineFunction2 = 0x8E,
  kPush = 0x96,
  kJump = 0x99,
  kGetURL2 = 0x9A,
  kDefineFunction = 0x9B,
  kIf = 0x9D,
  kCall = 0x9E,
  kGotoFrame2 = 0x9F,
};

constexpr uint8_t kScratchValue = 0;   // value of an assignment expression
constexpr uint8_t kScratchObject = 1;  // object of a compound member assignment
constexpr uint8_t kScratchKey = 2;     // key of a compound member assignment
constexpr uint8_t kFunctionRegisters = 3;

void PutU16(std::vector<uint8_t>& v, uint32_t x) { lw::AppendLE16(v, static_cast<uint16_t>(x)); }
void PutU32(std::vector<uint8_t>& v, uint32_t x) { lw::AppendLE32(v, x); }
void PutString(std::vector<uint8_t>& v, const std::string& s) {
  v.insert(v.end(), s.begin(), s.end());
  v.push_back(0);
}

// The action records of one body (the program or a function), with labels
// resolved once the body is complete.
class Emitter {
 public:
  void Op(uint8_t op) { code_.push_back(op); }
  void Append(const std::vector<uint8_t>& bytes) { code_.insert(code_.end(), bytes.begin(), bytes.end()); }

  void Action(uint8_t op, const std::vector<uint8_t>& data, const Node* at) {
    if (data.size() > 0xFFFF) Fail(at->line, at->column, "an action record is too long (over 65535 bytes)");
    code_.push_back(op);
    PutU16(code_, static_cast<uint32_t>(data.size()));
    code_.insert(code_.end(), data.begin(), data.end());
  }

  void PushString(const std::string& s, const Node* at) {
    std::vector<uint8_t> d{0};
    PutString(d, s);
    Action(kPush, d, at);
  }
  void PushNumber(double v, const Node* at) {
    std::vector<uint8_t> d;
    bool integral = std::isfinite(v) && v == std::floor(v) && v >= -2147483648.0 && v <= 2147483647.0 &&
                    !(v == 0 && std::signbit(v));
    if (integral) {
      d.push_back(7);
      PutU32(d, static_cast<uint32_t>(static_cast<int32_t>(v)));
    } else {
      // A pushed double is stored high 32 bits first, each half little-endian.
      uint64_t bits;
      std::memcpy(&bits, &v, sizeof bits);
      d.push_back(6);
      PutU32(d, static_cast<uint32_t>(bits >> 32));
      PutU32(d, static_cast<uint32_t>(bits));
    }
    Action(kPush, d, at);
  }
  void PushBool(bool b, const Node* at) { Action(kPush, {5, static_cast<uint8_t>(b ? 1 : 0)}, at); }
  void PushNull(const Node* at) { Action(kPush, {2}, at); }
  void PushUndefined(const Node* at) { Action(kPush, {3}, at); }
  void PushRegister(uint8_t r, const Node* at) { Action(kPush, {4, r}, at); }
  void StoreRegister(uint8_t r, const Node* at) { Action(kStoreRegister, {r}, at); }

  int NewLabel() {
    labels_.push_back(-1);
    return static_cast<int>(labels_.size()) - 1;
  }
  void Place(int label) { labels_[label] = static_cast<long>(code_.size()); }
  // Jump or If to a label.
  void Branch(uint8_t op, int label, const Node* at) {
    code_.push_back(op);
    PutU16(code_, 2);
    fixups_.push_back({code_.size(), label, at->line, at->column});
    PutU16(code_, 0);
  }

  std::vector<uint8_t> Finish() {
    for (const Fixup& f : fixups_) {
      long offset = labels_[f.label] - static_cast<long>(f.pos + 2);
      if (offset < -32768 || offset > 32767)
        Fail(f.line, f.column,
             "this block of code is too large for a jump (over 32 KB); split it into functions");
      code_[f.pos] = static_cast<uint8_t>(offset);
      code_[f.pos + 1] = static_cast<uint8_t>(static_cast<uint16_t>(offset) >> 8);
    }
    return std::move(code_);
  }

 private:
  struct Fixup {
    size_t pos;
    int label;
    int line;
    int column;
  };
  std::vector<uint8_t> code_;
  std::vector<long> labels_;
  std::vector<Fixup> fixups_;
};

struct Loop {
  int breakLabel;
  int continueLabel;
  bool forIn;  // leaves enumerated names on the stack until it ends
};

struct Body {
  Emitter em;
  std::vector<Loop> loops;
  bool isFunction = false;
};

class Generator {
 public:
  explicit Generator(int version) : version_(version) {}

  std::vector<uint8_t> Program(const Node* program) {
    Body body;
    body_ = &body;
    Statements(program->list);
    body.em.Op(kEnd);
    return body.em.Finish();
  }

 private:
  class Deeper {
   public:
    Deeper(Generator& g, const Node* n) : g_(g) {
      if (++g_.depth_ > kMaxTreeDepth) Fail(n->line, n->column, "the expression is too complex");
    }
    ~Deeper() { --g_.depth_; }

   private:
    Generator& g_;
  };

  Emitter& E() { return body_->em; }

  // A body's statements, function declarations first.
  void Statements(const std::vector<Node*>& list) {
    for (const Node* s : list)
      if (s->kind == NodeKind::FunctionDecl) Function(s->a, true);
    for (const Node* s : list)
      if (s->kind != NodeKind::FunctionDecl) Statement(s);
  }

  void Function(const Node* fn, bool declaration) {
    Body body;
    body.isFunction = true;
    Body* outer = body_;
    body_ = &body;
    Statements(fn->list);
    body_ = outer;
    std::vector<uint8_t> code = body.em.Finish();
    if (code.size() > 0xFFFF) Fail(fn->line, fn->column, "the function body is too large (over 64 KB)");

    std::string name = declaration ? fn->text : std::string();
    std::vector<uint8_t> d;
    PutString(d, name);
    if (fn->names.size() > 0xFFFF) Fail(fn->line, fn->column, "too many parameters");
    PutU16(d, static_cast<uint32_t>(fn->names.size()));
    if (version_ >= 7) {
      d.push_back(kFunctionRegisters);
      PutU16(d, 0);  // flags: nothing preloaded, nothing suppressed
      for (const std::string& p : fn->names) {
        d.push_back(0);  // parameter kept as a named variable
        PutString(d, p);
      }
    } else {
      for (const std::string& p : fn->names) PutString(d, p);
    }
    PutU16(d, static_cast<uint32_t>(code.size()));
    E().Action(version_ >= 7 ? kDefineFunction2 : kDefineFunction, d, fn);
    E().Append(code);  // the body follows the definition record
  }

  void Statement(const Node* s) {
    Deeper deeper(*this, s);
    Emitter& em = E();
    switch (s->kind) {
      case NodeKind::Var:
        for (const Node* item : s->list) {
          em.PushString(item->text, item);
          if (item->a) {
            Expr(item->a, true);
            em.Op(kDefineLocal);
          } else {
            em.Op(kDefineLocal2);
          }
        }
        break;
      case NodeKind::ExprStmt:
        Expr(s->a, false);
        break;
      case NodeKind::Block:
        for (const Node* child : s->list) Statement(child);
        break;
      case NodeKind::FunctionDecl:
        Function(s->a, true);
        break;
      case NodeKind::Empty:
        break;
      case NodeKind::If: {
        int elseLabel = em.NewLabel(), endLabel = em.NewLabel();
        Condition(s->a, elseLabel, s);
        Statement(s->b);
        if (s->c) {
          em.Branch(kJump, endLabel, s);
          em.Place(elseLabel);
          Statement(s->c);
        } else {
          em.Place(elseLabel);
        }
        em.Place(endLabel);
        break;
      }
      case NodeKind::While: {
        int top = em.NewLabel(), end = em.NewLabel();
        em.Place(top);
        Condition(s->a, end, s);
        LoopBody(s->b, end, top, false);
        em.Branch(kJump, top, s);
        em.Place(end);
        break;
      }
      case NodeKind::DoWhile: {
        int top = em.NewLabel(), next = em.NewLabel(), end = em.NewLabel();
        em.Place(top);
        LoopBody(s->b, end, next, false);
        em.Place(next);
        Expr(s->a, true);
        em.Branch(kIf, top, s);
        em.Place(end);
        break;
      }
      case NodeKind::For: {
        if (s->a) Statement(s->a);
        int top = em.NewLabel(), next = em.NewLabel(), end = em.NewLabel();
        em.Place(top);
        if (s->b) Condition(s->b, end, s);
        LoopBody(s->d, end, next, false);
        em.Place(next);
        if (s->c) Expr(s->c, false);
        em.Branch(kJump, top, s);
        em.Place(end);
        break;
      }
      case NodeKind::ForIn: {
        // Enumerate2 pushes a null marker and then the names; each turn
        // takes one name off the stack until the marker comes up.
        Expr(s->b, true);
        em.Op(kEnumerate2);
        int top = em.NewLabel(), drain = em.NewLabel(), end = em.NewLabel();
        em.Place(top);
        em.StoreRegister(kScratchValue, s);
        em.PushNull(s);
        em.Op(kEquals2);
        em.Branch(kIf, end, s);
        em.PushString(s->text, s);
        em.PushRegister(kScratchValue, s);
        em.Op(s->prefix ? kDefineLocal : kSetVariable);
        LoopBody(s->d, drain, top, true);
        em.Branch(kJump, top, s);
        em.Place(drain);
        Drain(s);
        em.Place(end);
        break;
      }
      case NodeKind::Break:
      case NodeKind::Continue: {
        bool isBreak = s->kind == NodeKind::Break;
        if (body_->loops.empty())
          Fail(s->line, s->column, isBreak ? "'break' outside a loop" : "'continue' outside a loop");
        const Loop& loop = body_->loops.back();
        em.Branch(kJump, isBreak ? loop.breakLabel : loop.continueLabel, s);
        break;
      }
      case NodeKind::Return: {
        if (!body_->isFunction) Fail(s->line, s->column, "'return' outside a function");
        if (s->a)
          Expr(s->a, true);
        else
          em.PushUndefined(s);
        int open = 0;
        for (const Loop& l : body_->loops) open += l.forIn ? 1 : 0;
        if (open > 0) {
          // Clear the names of unfinished for ... in loops first.
          em.StoreRegister(kScratchValue, s);
          em.Op(kPop);
          for (int i = 0; i < open; ++i) Drain(s);
          em.PushRegister(kScratchValue, s);
        }
        em.Op(kReturn);
        break;
      }
      default:
        Fail(s->line, s->column, "internal error: not a statement");
    }
  }

  void LoopBody(const Node* body, int breakLabel, int continueLabel, bool forIn) {
    body_->loops.push_back({breakLabel, continueLabel, forIn});
    Statement(body);
    body_->loops.pop_back();
  }

  // Pops enumerated names up to and including the null marker.
  void Drain(const Node* at) {
    Emitter& em = E();
    int again = em.NewLabel();
    em.Place(again);
    em.PushNull(at);
    em.Op(kEquals2);
    em.Op(kNot);
    em.Branch(kIf, again, at);
  }

  // Jumps to falseLabel when the condition is false.
  void Condition(const Node* cond, int falseLabel, const Node* at) {
    Expr(cond, true);
    E().Op(kNot);
    E().Branch(kIf, falseLabel, at);
  }

  void Expr(const Node* n, bool want) {
    Deeper deeper(*this, n);
    Emitter& em = E();
    switch (n->kind) {
      case NodeKind::Number:
        if (want) em.PushNumber(n->number, n);
        return;
      case NodeKind::String:
        if (want) em.PushString(n->text, n);
        return;
      case NodeKind::True:
      case NodeKind::False:
        if (want) em.PushBool(n->kind == NodeKind::True, n);
        return;
      case NodeKind::Null:
        if (want) em.PushNull(n);
        return;
      case NodeKind::Undefined:
        if (want) em.PushUndefined(n);
        return;
      case NodeKind::Ident:
        if (want) {
          em.PushString(n->text, n);
          em.Op(kGetVariable);
        }
        return;
      case NodeKind::Array:
        for (size_t i = n->list.size(); i-- > 0;) Expr(n->list[i], true);
        em.PushNumber(static_cast<double>(n->list.size()), n);
        em.Op(kInitArray);
        break;
      case NodeKind::Object:
        for (const Node* p : n->list) {
          em.PushString(p->text, p);
          Expr(p->a, true);
        }
        em.PushNumber(static_cast<double>(n->list.size()), n);
        em.Op(kInitObject);
        break;
      case NodeKind::Function:
        Function(n, false);
        break;
      case NodeKind::Unary:
        Unary(n);
        break;
      case NodeKind::Update:
        Update(n, want);
        return;
      case NodeKind::Binary:
        Binary(n);
        break;
      case NodeKind::Logical:
        Logical(n, want);
        return;
      case NodeKind::Conditional: {
        int yes = em.NewLabel(), end = em.NewLabel();
        Expr(n->a, true);
        em.Branch(kIf, yes, n);
        Expr(n->c, want);
        em.Branch(kJump, end, n);
        em.Place(yes);
        Expr(n->b, want);
        em.Place(end);
        return;
      }
      case NodeKind::Assign:
        Assign(n, want);
        return;
      case NodeKind::Member:
        Expr(n->a, true);
        em.PushString(n->text, n);
        em.Op(kGetMember);
        break;
      case NodeKind::Index:
        Expr(n->a, true);
        Expr(n->b, true);
        em.Op(kGetMember);
        break;
      case NodeKind::Call:
        if (Builtin(n, want)) return;
        Call(n);
        break;
      case NodeKind::New:
        New(n);
        break;
      case NodeKind::Sequence:
        for (size_t i = 0; i + 1 < n->list.size(); ++i) Expr(n->list[i], false);
        Expr(n->list.back(), want);
        return;
      default:
        Fail(n->line, n->column, "internal error: not an expression");
    }
    if (!want) em.Op(kPop);
  }

  void Unary(const Node* n) {
    Emitter& em = E();
    const std::string& op = n->text;
    if (op == "delete") {
      const Node* t = n->a;
      if (t->kind == NodeKind::Member) {
        Expr(t->a, true);
        em.PushString(t->text, t);
        em.Op(kDelete);
      } else if (t->kind == NodeKind::Index) {
        Expr(t->a, true);
        Expr(t->b, true);
        em.Op(kDelete);
      } else if (t->kind == NodeKind::Ident) {
        em.PushString(t->text, t);
        em.Op(kDelete2);
      } else {
        Expr(t, false);
        em.PushBool(true, n);
      }
      return;
    }
    if (op == "-") em.PushNumber(0, n);
    Expr(n->a, true);
    if (op == "!") {
      em.Op(kNot);
    } else if (op == "-") {
      em.Op(kSubtract);  // 0 - a
    } else if (op == "+") {
      em.Op(kToNumber);
    } else if (op == "~") {
      em.PushNumber(-1, n);
      em.Op(kBitXor);
    } else if (op == "typeof") {
      em.Op(kTypeOf);
    }
  }

  // An operator with its action; "negate" adds a Not (a <= b is !(a > b), as the player's own
  // compiler writes it).
  void BinaryOp(const std::string& op, const Node* n) {
    struct BinaryAction {
      const char* op;
      uint8_t action;
      bool negate;
    };
    static constexpr BinaryAction kActions[] = {
        {"+", kAdd2, false},          {"-", kSubtract, false},
        {"*", kMultiply, false},      {"/", kDivide, false},
        {"%", kModulo, false},        {"==", kEquals2, false},
        {"!=", kEquals2, true},       {"===", kStrictEquals, false},
        {"!==", kStrictEquals, true}, {"<", kLess2, false},
        {">", kGreater, false},       {"<=", kGreater, true},
        {">=", kLess2, true},         {"&", kBitAnd, false},
        {"|", kBitOr, false},         {"^", kBitXor, false},
        {"<<", kBitLShift, false},    {">>", kBitRShift, false},
        {">>>", kBitURShift, false},  {"instanceof", kInstanceOf, false},
    };
    for (const BinaryAction& b : kActions) {
      if (op != b.op) continue;
      E().Op(b.action);
      if (b.negate) E().Op(kNot);
      return;
    }
    Fail(n->line, n->column, "internal error: unknown operator " + op);
  }

  // Left-leaning chains (a + b + c ...) are walked without recursion.
  void Binary(const Node* n) {
    std::vector<const Node*> chain;
    const Node* left = n;
    while (left->kind == NodeKind::Binary) {
      chain.push_back(left);
      left = left->a;
    }
    Expr(left, true);
    for (size_t i = chain.size(); i-- > 0;) {
      Expr(chain[i]->b, true);
      BinaryOp(chain[i]->text, chain[i]);
    }
  }

  void Logical(const Node* n, bool want) {
    Emitter& em = E();
    bool isAnd = n->text == "&&";
    int end = em.NewLabel();
    Expr(n->a, true);
    if (want) {
      em.Op(kPushDuplicate);
      if (isAnd) em.Op(kNot);
      em.Branch(kIf, end, n);
      em.Op(kPop);
      Expr(n->b, true);
    } else {
      if (isAnd) em.Op(kNot);
      em.Branch(kIf, end, n);
      Expr(n->b, false);
    }
    em.Place(end);
  }

  // [object, key] -> [object, key, object, key]
  void DuplicatePair(const Node* at) {
    Emitter& em = E();
    em.StoreRegister(kScratchKey, at);
    em.Op(kPop);
    em.StoreRegister(kScratchObject, at);
    em.PushRegister(kScratchKey, at);
    em.PushRegister(kScratchObject, at);
    em.PushRegister(kScratchKey, at);
  }

  // Pushes the object and key of a member target.
  void MemberTarget(const Node* t) {
    Expr(t->a, true);
    if (t->kind == NodeKind::Member)
      E().PushString(t->text, t);
    else
      Expr(t->b, true);
  }

  // [value] -> stores it in the variable; keeps it on the stack when wanted.
  void StoreVariable(const Node* target, bool want) {
    Emitter& em = E();
    if (want) em.Op(kPushDuplicate);
    em.PushString(target->text, target);
    em.Op(kStackSwap);
    em.Op(kSetVariable);
  }

  // The operator of a compound assignment: "+=" -> "+".
  void CompoundOp(const Node* n) { BinaryOp(n->text.substr(0, n->text.size() - 1), n); }

  void Assign(const Node* n, bool want) {
    Emitter& em = E();
    const Node* t = n->a;
    bool compound = n->text != "=";
    if (t->kind == NodeKind::Ident) {
      if (!want && !compound) {
        em.PushString(t->text, t);
        Expr(n->b, true);
        em.Op(kSetVariable);
        return;
      }
      if (compound) {
        Expr(t, true);
        Expr(n->b, true);
        CompoundOp(n);
      } else {
        Expr(n->b, true);
      }
      StoreVariable(t, want);
      return;
    }
    MemberTarget(t);
    if (compound) {
      DuplicatePair(n);
      em.Op(kGetMember);
      Expr(n->b, true);
      CompoundOp(n);
    } else {
      Expr(n->b, true);
    }
    if (want) em.StoreRegister(kScratchValue, n);
    em.Op(kSetMember);
    if (want) em.PushRegister(kScratchValue, n);
  }

  void Update(const Node* n, bool want) {
    Emitter& em = E();
    const Node* t = n->a;
    uint8_t step = n->text == "++" ? kIncrement : kDecrement;
    bool postfix = !n->prefix;
    if (t->kind == NodeKind::Ident) {
      if (!want) {
        em.PushString(t->text, t);
        Expr(t, true);
        em.Op(step);
        em.Op(kSetVariable);
        return;
      }
      Expr(t, true);
      if (postfix) {
        em.Op(kToNumber);
        em.Op(kPushDuplicate);
        em.Op(step);
        StoreVariable(t, false);
      } else {
        em.Op(step);
        StoreVariable(t, true);
      }
      return;
    }
    MemberTarget(t);
    DuplicatePair(n);
    em.Op(kGetMember);
    if (!want) {
      em.Op(step);
      em.Op(kSetMember);
    } else if (postfix) {
      em.Op(kToNumber);
      em.StoreRegister(kScratchValue, n);
      em.Op(step);
      em.Op(kSetMember);
      em.PushRegister(kScratchValue, n);
    } else {
      em.Op(step);
      em.StoreRegister(kScratchValue, n);
      em.Op(kSetMember);
      em.PushRegister(kScratchValue, n);
    }
  }

  void Arguments(const Node* n) {
    for (size_t i = n->list.size(); i-- > 0;) Expr(n->list[i], true);
    E().PushNumber(static_cast<double>(n->list.size()), n);
  }

  void Call(const Node* n) {
    Emitter& em = E();
    const Node* callee = n->a;
    Arguments(n);
    if (callee->kind == NodeKind::Ident) {
      em.PushString(callee->text, callee);
      em.Op(kCallFunction);
    } else if (callee->kind == NodeKind::Member || callee->kind == NodeKind::Index) {
      MemberTarget(callee);
      em.Op(kCallMethod);
    } else {
      // Calling the value of an expression: a method call with no name.
      Expr(callee, true);
      em.PushUndefined(n);
      em.Op(kCallMethod);
    }
  }

  void New(const Node* n) {
    Emitter& em = E();
    const Node* callee = n->a;
    Arguments(n);
    if (callee->kind == NodeKind::Ident) {
      em.PushString(callee->text, callee);
      em.Op(kNewObject);
    } else if (callee->kind == NodeKind::Member || callee->kind == NodeKind::Index) {
      MemberTarget(callee);
      em.Op(kNewMethod);
    } else {
      Expr(callee, true);
      em.PushUndefined(n);
      em.Op(kNewMethod);
    }
  }

  // The GetURL2 flags: the low two bits hold the method of sending the timeline's variables.
  static constexpr uint8_t kUrlLoadTarget = 0x40;     // the target is a clip, not a window or level
  static constexpr uint8_t kUrlLoadVariables = 0x80;  // load variables rather than a movie or page
  // The player adds this to the depth of a clip duplicated by the global function.
  static constexpr int kCloneDepthBias = 16384;

  // The optional method argument: a literal "GET" or "POST".
  uint8_t UrlMethod(const Node* call, size_t index) {
    if (call->list.size() <= index) return 0;
    const Node* m = call->list[index];
    std::string upper;
    if (m->kind == NodeKind::String)
      for (char c : m->text) upper += static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    if (upper != "GET" && upper != "POST")
      Fail(m->line, m->column, "the method of " + call->a->text + " must be \"GET\" or \"POST\"");
    return upper == "GET" ? 1 : 2;
  }

  // Pushes "<prefix><value>": folded when the value is a literal.
  void PushPrefixed(const std::string& prefix, const Node* value) {
    Emitter& em = E();
    if (value->kind == NodeKind::String) {
      em.PushString(prefix + value->text, value);
    } else if (value->kind == NodeKind::Number && value->number >= 0 && value->number <= 2147483647.0 &&
               value->number == std::floor(value->number)) {
      em.PushString(prefix + std::to_string(static_cast<long>(value->number)), value);
    } else {
      em.PushString(prefix, value);
      Expr(value, true);
      em.Op(kAdd2);
    }
  }

  // The index of a clip property named by getProperty and setProperty.
  static int PropertyIndex(const Node* p) {
    static constexpr const char* kProperties[] = {
        "_x",       "_y",      "_xscale",      "_yscale",    "_currentframe", "_totalframes",
        "_alpha",   "_visible", "_width",      "_height",    "_rotation",     "_target",
        "_framesloaded", "_name", "_droptarget", "_url",     "_highquality",  "_focusrect",
        "_soundbuftime", "_quality", "_xmouse", "_ymouse"};
    if (p->kind != NodeKind::Ident && p->kind != NodeKind::String) return -1;
    for (int i = 0; i < static_cast<int>(std::size(kProperties)); ++i)
      if (p->text == kProperties[i]) return i;
    return -1;
  }

  // Global functions that the player only knows as actions of their own. Flash's
  // own compilers translate these names whatever the script defines, and so does
  // this one. Returns false for an ordinary call.
  bool Builtin(const Node* n, bool want) {
    const Node* callee = n->a;
    if (callee->kind != NodeKind::Ident) return false;
    const std::string& name = callee->text;
    Emitter& em = E();
    size_t argc = n->list.size();
    auto need = [&](size_t lo, size_t hi, const char* what) {
      if (argc < lo || argc > hi) Fail(n->line, n->column, name + " takes " + what);
    };
    auto args = [&](size_t from, size_t to) {
      for (size_t i = from; i < to && i < argc; ++i) Expr(n->list[i], true);
    };

    // Names the compiler refuses rather than call as functions that do not exist.
    static constexpr std::pair<const char*, const char*> kRefused[] = {
        {"startDrag", "; call the clip's startDrag method"},
        {"nextScene", ": a movie has one scene"},
        {"prevScene", ": a movie has one scene"},
        {"print", ""},
        {"printNum", ""},
        {"printAsBitmap", ""},
        {"printAsBitmapNum", ""},
    };
    for (const auto& [word, hint] : kRefused)
      if (name == word) Fail(n->line, n->column, "'" + name + "' is not supported" + hint);

    // Actions without arguments or result.
    static constexpr std::pair<const char*, uint8_t> kPlain[] = {
        {"stop", kStop},           {"play", kPlay},
        {"nextFrame", kNextFrame}, {"prevFrame", kPrevFrame},
        {"stopAllSounds", kStopSounds}, {"toggleHighQuality", kToggleQuality},
        {"stopDrag", kEndDrag}};
    // Actions that take their arguments in order and leave one value.
    struct Valued {
      const char* name;
      size_t argc;
      uint8_t action;
      const char* what;
    };
    static constexpr Valued kValued[] = {
        {"int", 1, kToInteger, "one argument"},
        {"random", 1, kRandomNumber, "one argument (the number of values)"},
        {"eval", 1, kGetVariable, "one argument (a variable name)"},
        {"targetPath", 1, kTargetPath, "one argument (a clip)"},
        {"length", 1, kStringLength, "one argument"},
        {"mblength", 1, kMBStringLength, "one argument"},
        {"ord", 1, kCharToAscii, "one argument"},
        {"mbord", 1, kMBCharToAscii, "one argument"},
        {"chr", 1, kAsciiToChar, "one argument"},
        {"mbchr", 1, kMBAsciiToChar, "one argument"},
        {"substring", 3, kStringExtract, "three arguments (string, index, count)"},
        {"mbsubstring", 3, kMBStringExtract, "three arguments (string, index, count)"},
        {"getTimer", 0, kGetTime, "no arguments"},
    };

    for (const auto& [word, action] : kPlain) {
      if (name != word) continue;
      need(0, 0, "no arguments");
      em.Op(action);
      if (want) em.PushUndefined(n);
      return true;
    }
    for (const Valued& v : kValued) {
      if (name != v.name) continue;
      need(v.argc, v.argc, v.what);
      args(0, argc);
      em.Op(v.action);
      if (!want) em.Op(kPop);
      return true;
    }

    if (name == "trace") {
      need(1, 1, "one argument");
      Expr(n->list[0], true);
      em.Op(kTrace);
    } else if (name == "gotoAndStop" || name == "gotoAndPlay") {
      need(1, 1, "one argument (a frame number or label)");
      Expr(n->list[0], true);
      em.Action(kGotoFrame2, {static_cast<uint8_t>(name == "gotoAndPlay" ? 1 : 0)}, n);
    } else if (name == "call") {
      need(1, 1, "one argument (a frame number or label)");
      Expr(n->list[0], true);
      em.Action(kCall, {}, n);
    } else if (name == "getURL") {
      need(1, 3, "one to three arguments (address, window, method)");
      uint8_t method = UrlMethod(n, 2);
      Expr(n->list[0], true);
      if (argc >= 2)
        Expr(n->list[1], true);
      else
        em.PushString("", n);
      em.Action(kGetURL2, {method}, n);
    } else if (name == "loadMovie" || name == "loadVariables") {
      need(2, 3, "two or three arguments (address, clip, method)");
      uint8_t flags = UrlMethod(n, 2) | kUrlLoadTarget | (name == "loadVariables" ? kUrlLoadVariables : 0);
      args(0, 2);
      em.Action(kGetURL2, {flags}, n);
    } else if (name == "loadMovieNum" || name == "loadVariablesNum") {
      need(2, 3, "two or three arguments (address, level, method)");
      uint8_t flags = UrlMethod(n, 2) | (name == "loadVariablesNum" ? kUrlLoadVariables : 0);
      Expr(n->list[0], true);
      PushPrefixed("_level", n->list[1]);
      em.Action(kGetURL2, {flags}, n);
    } else if (name == "unloadMovie") {
      need(1, 1, "one argument (a clip)");
      em.PushString("", n);
      Expr(n->list[0], true);
      em.Action(kGetURL2, {kUrlLoadTarget}, n);
    } else if (name == "unloadMovieNum") {
      need(1, 1, "one argument (a level)");
      em.PushString("", n);
      PushPrefixed("_level", n->list[0]);
      em.Action(kGetURL2, {0}, n);
    } else if (name == "fscommand") {
      need(1, 2, "one or two arguments (command, parameters)");
      PushPrefixed("FSCommand:", n->list[0]);
      if (argc == 2)
        Expr(n->list[1], true);
      else
        em.PushString("", n);
      em.Action(kGetURL2, {0}, n);
    } else if (name == "removeMovieClip") {
      need(1, 1, "one argument (a clip)");
      Expr(n->list[0], true);
      em.Op(kRemoveSprite);
    } else if (name == "duplicateMovieClip") {
      need(3, 3, "three arguments (clip, new name, depth)");
      args(0, 2);
      const Node* depth = n->list[2];
      if (depth->kind == NodeKind::Number && std::fabs(depth->number) < 1e9 &&
          depth->number == std::floor(depth->number)) {
        em.PushNumber(depth->number + kCloneDepthBias, depth);
      } else {
        em.PushNumber(kCloneDepthBias, depth);
        Expr(depth, true);
        em.Op(kAdd2);
      }
      em.Op(kCloneSprite);
    } else if (name == "getProperty" || name == "setProperty") {
      bool set = name == "setProperty";
      need(set ? 3 : 2, set ? 3 : 2, set ? "three arguments (clip, property, value)" : "two arguments (clip, property)");
      int index = PropertyIndex(n->list[1]);
      if (index < 0) Fail(n->list[1]->line, n->list[1]->column, "unknown clip property for " + name);
      Expr(n->list[0], true);
      em.PushNumber(index, n->list[1]);
      if (!set) {
        em.Op(kGetProperty);
        if (!want) em.Op(kPop);
        return true;
      }
      Expr(n->list[2], true);
      em.Op(kSetProperty);
    } else if (name == "set") {
      need(2, 2, "two arguments (variable name, value)");
      args(0, 2);
      em.Op(kSetVariable);
    } else {
      return false;
    }
    if (want) em.PushUndefined(n);
    return true;
  }

  int version_;
  int depth_ = 0;
  Body* body_ = nullptr;
};

}  // namespace

std::vector<uint8_t> GenerateProgram(const Node* program, int swfVersion) {
  return Generator(swfVersion).Program(program);
}

}  // namespace swf::as
