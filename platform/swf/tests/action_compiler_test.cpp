// Structural tests of the ActionScript compiler: the emitted action records
// are disassembled and compared as text.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "ActionCompiler.h"

namespace {

// Renders action records as "name args; name args; ...". Branch targets are
// shown as the index of the target record (">3"); function bodies are nested
// in braces. Malformed input gives a text starting with "BAD".
class Disassembler {
 public:
  explicit Disassembler(const std::vector<uint8_t>& code) : code_(code) {}

  std::string Run() { return Block(0, code_.size()); }

 private:
  static std::string Name(uint8_t op) {
    static const std::map<uint8_t, const char*> names = {
        {0x00, "end"},         {0x04, "nextFrame"},     {0x05, "prevFrame"},   {0x06, "play"},
        {0x07, "stop"},        {0x0B, "subtract"},      {0x0C, "multiply"},    {0x0D, "divide"},
        {0x12, "not"},         {0x17, "pop"},           {0x1C, "getVariable"}, {0x1D, "setVariable"},
        {0x26, "trace"},       {0x34, "getTime"},       {0x3A, "delete"},      {0x3B, "delete2"},
        {0x3C, "defineLocal"}, {0x3D, "callFunction"},  {0x3E, "return"},      {0x3F, "modulo"},
        {0x40, "newObject"},   {0x41, "defineLocal2"},  {0x42, "initArray"},   {0x43, "initObject"},
        {0x44, "typeOf"},      {0x47, "add2"},          {0x48, "less2"},       {0x49, "equals2"},
        {0x4A, "toNumber"},    {0x4C, "pushDuplicate"}, {0x4D, "stackSwap"},   {0x4E, "getMember"},
        {0x4F, "setMember"},   {0x50, "increment"},     {0x51, "decrement"},   {0x52, "callMethod"},
        {0x53, "newMethod"},   {0x54, "instanceOf"},    {0x55, "enumerate2"},  {0x60, "bitAnd"},
        {0x61, "bitOr"},       {0x62, "bitXor"},        {0x63, "bitLShift"},   {0x64, "bitRShift"},
        {0x65, "bitURShift"},  {0x66, "strictEquals"},  {0x67, "greater"},
        {0x08, "toggleQuality"}, {0x09, "stopSounds"},  {0x14, "stringLength"}, {0x15, "stringExtract"},
        {0x18, "toInteger"},   {0x22, "getProperty"},   {0x23, "setProperty"}, {0x24, "cloneSprite"},
        {0x25, "removeSprite"}, {0x28, "endDrag"},      {0x30, "random"},      {0x31, "mbStringLength"},
        {0x32, "charToAscii"}, {0x33, "asciiToChar"},   {0x35, "mbStringExtract"}, {0x36, "mbCharToAscii"},
        {0x37, "mbAsciiToChar"}, {0x45, "targetPath"},
    };
    auto it = names.find(op);
    return it == names.end() ? "op" + std::to_string(op) : it->second;
  }

  uint32_t U16(size_t p) const { return code_[p] | (code_[p + 1] << 8); }
  uint32_t U32(size_t p) const { return U16(p) | (U16(p + 2) << 16); }
  std::string Str(size_t& p, size_t end, bool& ok) const {
    std::string s;
    while (p < end && code_[p] != 0) s += static_cast<char>(code_[p++]);
    ok = p < end;
    ++p;
    return s;
  }

  std::string Block(size_t begin, size_t end) {
    struct Item {
      size_t pos;
      std::string text;
      long target = -1;  // byte position of a branch target
    };
    std::vector<Item> items;
    size_t p = begin;
    while (p < end) {
      Item item{p, {}};
      uint8_t op = code_[p++];
      if (op < 0x80) {
        item.text = Name(op);
        items.push_back(item);
        continue;
      }
      if (p + 2 > end) return "BAD length";
      size_t len = U16(p);
      p += 2;
      if (p + len > end) return "BAD record";
      size_t d = p, dend = p + len;
      p = dend;
      bool ok = true;
      std::ostringstream o;
      switch (op) {
        case 0x96: {
          o << "push";
          while (d < dend && ok) {
            uint8_t type = code_[d++];
            o << ' ';
            if (type == 0) {
              o << '"' << Str(d, dend, ok) << '"';
            } else if (type == 2) {
              o << "null";
            } else if (type == 3) {
              o << "undefined";
            } else if (type == 4 && d < dend) {
              o << "r" << int(code_[d++]);
            } else if (type == 5 && d < dend) {
              o << (code_[d++] ? "true" : "false");
            } else if (type == 7 && d + 4 <= dend) {
              o << static_cast<int32_t>(U32(d));
              d += 4;
            } else if (type == 6 && d + 8 <= dend) {
              uint64_t bits = (static_cast<uint64_t>(U32(d)) << 32) | U32(d + 4);
              double v;
              std::memcpy(&v, &bits, 8);
              o << "d:" << v;
              d += 8;
            } else {
              ok = false;
            }
          }
          break;
        }
        case 0x87:
          ok = len == 1;
          o << "storeRegister r" << int(code_[d]);
          break;
        case 0x99:
        case 0x9D:
          ok = len == 2;
          o << (op == 0x99 ? "jump" : "if");
          item.target = static_cast<long>(dend) + static_cast<int16_t>(U16(d));
          break;
        case 0x9A:
          ok = len == 1;
          o << "getURL2 " << int(code_[d]);
          break;
        case 0x9F:
          ok = len == 1;
          o << "gotoFrame2 " << int(code_[d]);
          break;
        case 0x9E:
          ok = len == 0;
          o << "call";
          break;
        case 0x9B:
        case 0x8E: {
          o << (op == 0x9B ? "function " : "function2 ");
          o << Str(d, dend, ok) << '(';
          if (!ok || d + 2 > dend) return "BAD function";
          uint32_t n = U16(d);
          d += 2;
          std::string regs;
          if (op == 0x8E) {
            if (d + 3 > dend) return "BAD function";
            regs = " regs=" + std::to_string(code_[d]) + " flags=" + std::to_string(U16(d + 1));
            d += 3;
          }
          for (uint32_t i = 0; i < n && ok; ++i) {
            if (op == 0x8E) {
              if (d >= dend) return "BAD function";
              if (code_[d++] != 0) o << "r:";
            }
            o << (i ? "," : "") << Str(d, dend, ok);
          }
          if (!ok || d + 2 != dend) return "BAD function";
          size_t size = U16(d);
          if (p + size > end) return "BAD function body";
          o << ")" << regs << " {" << Disassembler(code_).Block(p, p + size) << "}";
          p += size;
          break;
        }
        default:
          o << "op" << int(op) << " len" << len;
      }
      if (!ok) return "BAD data of " + o.str();
      item.text = o.str();
      items.push_back(item);
    }
    std::string out;
    for (size_t i = 0; i < items.size(); ++i) {
      std::string text = items[i].text;
      if (items[i].target >= 0) {
        long index = -1;
        for (size_t j = 0; j < items.size(); ++j)
          if (static_cast<long>(items[j].pos) == items[i].target) index = static_cast<long>(j);
        if (items[i].target == static_cast<long>(end)) index = static_cast<long>(items.size());
        if (index < 0) return "BAD branch target";
        text += " >" + std::to_string(index);
      }
      out += (i ? "; " : "") + text;
    }
    return out;
  }

  const std::vector<uint8_t>& code_;
};

std::string Compile(const std::string& source, int version = 8) {
  std::vector<uint8_t> out;
  swf::ActionCompileError error;
  if (!swf::CompileActionScript(source, version, &out, &error))
    return "ERROR " + std::to_string(error.line) + ":" + std::to_string(error.column) + " " + error.message;
  std::string text = Disassembler(out).Run();
  // Every program ends with ActionEnd; the tables below leave it out.
  const std::string tail = "; end";
  if (text == "end") return "";
  if (text.size() < tail.size() || text.compare(text.size() - tail.size(), tail.size(), tail) != 0)
    return "MISSING END " + text;
  return text.substr(0, text.size() - tail.size());
}

struct Case {
  const char* source;
  const char* expected;
};

void RunTable(const std::vector<Case>& cases, int version = 8) {
  for (const Case& c : cases) EXPECT_EQ(Compile(c.source, version), c.expected) << "source: " << c.source;
}

TEST(ActionCompiler, LiteralsAndVariables) {
  RunTable({
      {"", ""},
      {"x = 1;", "push \"x\"; push 1; setVariable"},
      {"var a = 2.5, b;", "push \"a\"; push d:2.5; defineLocal; push \"b\"; defineLocal2"},
      {"var n:Number = -7;", "push \"n\"; push -7; defineLocal"},
      {"x = 0x10 + 1e3 + 2147483648 + -0;",
       "push \"x\"; push 16; push 1000; add2; push d:2.14748e+09; add2; push d:-0; add2; setVariable"},
      {"x = [true, null, undefined];",
       "push \"x\"; push undefined; push null; push true; push 3; initArray; setVariable"},
      {"o = {a: 1, \"b c\": 'q', 5: x};",
       "push \"o\"; push \"a\"; push 1; push \"b c\"; push \"q\"; push \"5\"; push \"x\"; getVariable; "
       "push 3; initObject; setVariable"},
      {"s = \"\\u00e9\\t\\x41\\\"\";", "push \"s\"; push \"\xC3\xA9\tA\"\"; setVariable"},
      // A surrogate pair written as two escapes is one character of four UTF-8 bytes.
      {"s = '\\ud83d\\ude00';", "push \"s\"; push \"\xF0\x9F\x98\x80\"; setVariable"},
      {"t = this; r = _root._parent; g = _global;",
       "push \"t\"; push \"this\"; getVariable; setVariable; push \"r\"; push \"_root\"; getVariable; "
       "push \"_parent\"; getMember; setVariable; push \"g\"; push \"_global\"; getVariable; setVariable"},
      // Line breaks end statements where a semicolon is missing; comments are skipped.
      {"a = 1 // one\n/* two\n*/ b = 2\n",
       "push \"a\"; push 1; setVariable; push \"b\"; push 2; setVariable"},
      {"\xEF\xBB\xBFx = 'x'", "push \"x\"; push \"x\"; setVariable"},
  });
}

TEST(ActionCompiler, Operators) {
  RunTable({
      {"x = a + b * c - d / e % f;",
       "push \"x\"; push \"a\"; getVariable; push \"b\"; getVariable; push \"c\"; getVariable; multiply; "
       "add2; push \"d\"; getVariable; push \"e\"; getVariable; divide; push \"f\"; getVariable; modulo; "
       "subtract; setVariable"},
      {"x = a <= b;",
       "push \"x\"; push \"a\"; getVariable; push \"b\"; getVariable; greater; not; setVariable"},
      {"x = a >= b != c;",
       "push \"x\"; push \"a\"; getVariable; push \"b\"; getVariable; less2; not; push \"c\"; "
       "getVariable; equals2; not; setVariable"},
      {"x = a === b !== (c < d > e);",
       "push \"x\"; push \"a\"; getVariable; push \"b\"; getVariable; strictEquals; push \"c\"; "
       "getVariable; push \"d\"; getVariable; less2; push \"e\"; getVariable; greater; strictEquals; not; "
       "setVariable"},
      {"x = ~a & b | c ^ d << 1 >> 2 >>> 3;",
       "push \"x\"; push \"a\"; getVariable; push -1; bitXor; push \"b\"; getVariable; bitAnd; "
       "push \"c\"; getVariable; push \"d\"; getVariable; push 1; bitLShift; push 2; bitRShift; push 3; "
       "bitURShift; bitXor; bitOr; setVariable"},
      {"x = !a + -b + +c;",
       "push \"x\"; push \"a\"; getVariable; not; push 0; push \"b\"; getVariable; subtract; add2; "
       "push \"c\"; getVariable; toNumber; add2; setVariable"},
      {"x = typeof a; delete o.p; delete o[k]; delete v;",
       "push \"x\"; push \"a\"; getVariable; typeOf; setVariable; push \"o\"; getVariable; push \"p\"; "
       "delete; pop; push \"o\"; getVariable; push \"k\"; getVariable; delete; pop; push \"v\"; delete2; "
       "pop"},
      {"x = a instanceof B;",
       "push \"x\"; push \"a\"; getVariable; push \"B\"; getVariable; instanceOf; setVariable"},
      // Short circuits keep the deciding value.
      {"x = a && b;",
       "push \"x\"; push \"a\"; getVariable; pushDuplicate; not; if >9; pop; push \"b\"; getVariable; "
       "setVariable"},
      {"x = a || b;",
       "push \"x\"; push \"a\"; getVariable; pushDuplicate; if >8; pop; push \"b\"; getVariable; "
       "setVariable"},
      {"a || f();", "push \"a\"; getVariable; if >7; push 0; push \"f\"; callFunction; pop"},
      {"x = c ? 1 : 2;", "push \"x\"; push \"c\"; getVariable; if >6; push 2; jump >7; push 1; setVariable"},
  });
}

TEST(ActionCompiler, Assignments) {
  RunTable({
      {"x += 2;", "push \"x\"; getVariable; push 2; add2; push \"x\"; stackSwap; setVariable"},
      {"y = x = 3;", "push \"y\"; push 3; pushDuplicate; push \"x\"; stackSwap; setVariable; setVariable"},
      {"o.p = 1;", "push \"o\"; getVariable; push \"p\"; push 1; setMember"},
      {"y = o[k] = 1;",
       "push \"y\"; push \"o\"; getVariable; push \"k\"; getVariable; push 1; storeRegister r0; "
       "setMember; push r0; setVariable"},
      {"o.p -= 2;",
       "push \"o\"; getVariable; push \"p\"; storeRegister r2; pop; storeRegister r1; push r2; push r1; "
       "push r2; getMember; push 2; subtract; setMember"},
      {"a *= 2; a /= 2; a %= 2; a &= 2; a |= 2; a ^= 2; a <<= 2; a >>= 2; a >>>= 2;",
       "push \"a\"; getVariable; push 2; multiply; push \"a\"; stackSwap; setVariable; push \"a\"; "
       "getVariable; push 2; divide; push \"a\"; stackSwap; setVariable; push \"a\"; getVariable; push 2; "
       "modulo; push \"a\"; stackSwap; setVariable; push \"a\"; getVariable; push 2; bitAnd; push \"a\"; "
       "stackSwap; setVariable; push \"a\"; getVariable; push 2; bitOr; push \"a\"; stackSwap; "
       "setVariable; push \"a\"; getVariable; push 2; bitXor; push \"a\"; stackSwap; setVariable; "
       "push \"a\"; getVariable; push 2; bitLShift; push \"a\"; stackSwap; setVariable; push \"a\"; "
       "getVariable; push 2; bitRShift; push \"a\"; stackSwap; setVariable; push \"a\"; getVariable; "
       "push 2; bitURShift; push \"a\"; stackSwap; setVariable"},
      {"i++;", "push \"i\"; push \"i\"; getVariable; increment; setVariable"},
      {"y = i--;",
       "push \"y\"; push \"i\"; getVariable; toNumber; pushDuplicate; decrement; push \"i\"; stackSwap; "
       "setVariable; setVariable"},
      {"y = ++i;",
       "push \"y\"; push \"i\"; getVariable; increment; pushDuplicate; push \"i\"; stackSwap; "
       "setVariable; setVariable"},
      {"y = o.n++;",
       "push \"y\"; push \"o\"; getVariable; push \"n\"; storeRegister r2; pop; storeRegister r1; "
       "push r2; push r1; push r2; getMember; toNumber; storeRegister r0; increment; setMember; push r0; "
       "setVariable"},
      {"--o[0];",
       "push \"o\"; getVariable; push 0; storeRegister r2; pop; storeRegister r1; push r2; push r1; "
       "push r2; getMember; decrement; setMember"},
      // A line break before ++ ends the statement: the ++ belongs to the next line.
      {"a\n++b", "push \"b\"; push \"b\"; getVariable; increment; setVariable"},
  });
}

TEST(ActionCompiler, CallsAndConstruction) {
  RunTable({
      {"f();", "push 0; push \"f\"; callFunction; pop"},
      {"x = o.m(1, 'a');",
       "push \"x\"; push \"a\"; push 1; push 2; push \"o\"; getVariable; push \"m\"; callMethod; "
       "setVariable"},
      {"o[k](x);",
       "push \"x\"; getVariable; push 1; push \"o\"; getVariable; push \"k\"; getVariable; callMethod; pop"},
      {"f()(2);", "push 2; push 1; push 0; push \"f\"; callFunction; push undefined; callMethod; pop"},
      {"x = new Foo(1);", "push \"x\"; push 1; push 1; push \"Foo\"; newObject; setVariable"},
      {"x = new a.B;", "push \"x\"; push 0; push \"a\"; getVariable; push \"B\"; newMethod; setVariable"},
      {"x = new Array(3).length;",
       "push \"x\"; push 3; push 1; push \"Array\"; newObject; push \"length\"; getMember; setVariable"},
      {"trace('t'); x = getTimer(); stop(); play(); nextFrame(); prevFrame();",
       "push \"t\"; trace; push \"x\"; getTime; setVariable; stop; play; nextFrame; prevFrame"},
      {"gotoAndPlay(3); gotoAndStop('end'); getURL('a.html'); getURL(u, '_blank', 'post');",
       "push 3; gotoFrame2 1; push \"end\"; gotoFrame2 0; push \"a.html\"; push \"\"; getURL2 0; "
       "push \"u\"; getVariable; push \"_blank\"; getURL2 2"},
      // The two lines the exporter appends to the page and video scripts.
      {"videoTotal( 3 );", "push 3; push 1; push \"videoTotal\"; callFunction; pop"},
      {"main(\"../videos/videos001.flv\");",
       "push \"../videos/videos001.flv\"; push 1; push \"main\"; callFunction; pop"},
      // Other globals are ordinary functions and objects.
      {"id = setInterval(f, 100); m = Math.max(1, 2);",
       "push \"id\"; push 100; push \"f\"; getVariable; push 2; push \"setInterval\"; callFunction; "
       "setVariable; push \"m\"; push 2; push 1; push 2; push \"Math\"; getVariable; push \"max\"; "
       "callMethod; setVariable"},
      {"o.delete(1); o.if = 2;",
       "push 1; push 1; push \"o\"; getVariable; push \"delete\"; callMethod; pop; push \"o\"; "
       "getVariable; push \"if\"; push 2; setMember"},
  });
}

// The globals the player knows only as actions compile to those actions, never to a call of a
// function that does not exist (the player would do nothing, return undefined, or - for a
// load into a clip taken as a window name - replace the whole movie).
TEST(ActionCompiler, ActionOnlyGlobals) {
  RunTable({
      // Loads: GetURL2 flags 0x40 = the target is a clip, 0x80 = variables, low bits = method.
      {"loadMovie('child.swf', 'h');", "push \"child.swf\"; push \"h\"; getURL2 64"},
      {"loadMovie(u, h, 'POST');",
       "push \"u\"; getVariable; push \"h\"; getVariable; getURL2 66"},
      {"loadMovieNum('a.swf', 2);", "push \"a.swf\"; push \"_level2\"; getURL2 0"},
      {"loadMovieNum('a.swf', n, 'GET');",
       "push \"a.swf\"; push \"_level\"; push \"n\"; getVariable; add2; getURL2 1"},
      {"unloadMovie(h);", "push \"\"; push \"h\"; getVariable; getURL2 64"},
      {"unloadMovieNum(1);", "push \"\"; push \"_level1\"; getURL2 0"},
      {"loadVariables('v.txt', _root);", "push \"v.txt\"; push \"_root\"; getVariable; getURL2 192"},
      {"loadVariablesNum('v.txt', 0, 'post');", "push \"v.txt\"; push \"_level0\"; getURL2 130"},
      {"getURL('a.html', '_blank');", "push \"a.html\"; push \"_blank\"; getURL2 0"},
      {"fscommand('quit');", "push \"FSCommand:quit\"; push \"\"; getURL2 0"},
      {"fscommand(c, 'true');",
       "push \"FSCommand:\"; push \"c\"; getVariable; add2; push \"true\"; getURL2 0"},
      // Clips.
      {"removeMovieClip(kid);", "push \"kid\"; getVariable; removeSprite"},
      {"duplicateMovieClip(kid, 'k2', 5);", "push \"kid\"; getVariable; push \"k2\"; push 16389; cloneSprite"},
      {"duplicateMovieClip('kid', n, d);",
       "push \"kid\"; push \"n\"; getVariable; push 16384; push \"d\"; getVariable; add2; cloneSprite"},
      {"x = getProperty(kid, _x); setProperty('kid', _alpha, 50);",
       "push \"x\"; push \"kid\"; getVariable; push 0; getProperty; setVariable; push \"kid\"; push 6; "
       "push 50; setProperty"},
      {"p = targetPath(kid); stopDrag();",
       "push \"p\"; push \"kid\"; getVariable; targetPath; setVariable; endDrag"},
      // Values: each leaves its result, or pops it when unused.
      {"x = int(3.7); y = random(10); z = eval('a' + i);",
       "push \"x\"; push d:3.7; toInteger; setVariable; push \"y\"; push 10; random; setVariable; "
       "push \"z\"; push \"a\"; push \"i\"; getVariable; add2; getVariable; setVariable"},
      {"int(v); random(2);", "push \"v\"; getVariable; toInteger; pop; push 2; random; pop"},
      {"s = substring(t, 2, 3) + chr(65) + ord('A') + length(t);",
       "push \"s\"; push \"t\"; getVariable; push 2; push 3; stringExtract; push 65; asciiToChar; add2; "
       "push \"A\"; charToAscii; add2; push \"t\"; getVariable; stringLength; add2; setVariable"},
      {"s = mbsubstring(t, 1, 1) + mbchr(9731) + mbord(t) + mblength(t);",
       "push \"s\"; push \"t\"; getVariable; push 1; push 1; mbStringExtract; push 9731; mbAsciiToChar; "
       "add2; push \"t\"; getVariable; mbCharToAscii; add2; push \"t\"; getVariable; mbStringLength; "
       "add2; setVariable"},
      // Timeline and player actions; a value taken from one is undefined.
      {"call('f'); stopAllSounds(); toggleHighQuality(); set('v', 1);",
       "push \"f\"; call; stopSounds; toggleQuality; push \"v\"; push 1; setVariable"},
      {"x = stop();", "push \"x\"; stop; push undefined; setVariable"},
      // As methods they are the clip's own functions.
      {"h.loadMovie('c.swf'); h.removeMovieClip(); Math.random();",
       "push \"c.swf\"; push 1; push \"h\"; getVariable; push \"loadMovie\"; callMethod; pop; push 0; "
       "push \"h\"; getVariable; push \"removeMovieClip\"; callMethod; pop; push 0; push \"Math\"; "
       "getVariable; push \"random\"; callMethod; pop"},
  });
}

// Reserved words the compiler refuses as statements stay usable as names where the language
// allows them: member names everywhere, and the words only special before 'class' as variables.
TEST(ActionCompiler, ReservedWordsAsNames) {
  RunTable({
      {"x = o.default;", "push \"x\"; push \"o\"; getVariable; push \"default\"; getMember; setVariable"},
      {"o.class = 1; o.switch();",
       "push \"o\"; getVariable; push \"class\"; push 1; setMember; push 0; push \"o\"; getVariable; "
       "push \"switch\"; callMethod; pop"},
      {"var dynamic = 1; intrinsic = dynamic;",
       "push \"dynamic\"; push 1; defineLocal; push \"intrinsic\"; push \"dynamic\"; getVariable; "
       "setVariable"},
      {"x = {default: 1};", "push \"x\"; push \"default\"; push 1; push 1; initObject; setVariable"},
  });
}

TEST(ActionCompiler, ControlFlow) {
  RunTable({
      {"if (a) b = 1; else b = 2;",
       "push \"a\"; getVariable; not; if >8; push \"b\"; push 1; setVariable; jump >11; push \"b\"; "
       "push 2; setVariable"},
      {"if (a) { f(); }", "push \"a\"; getVariable; not; if >8; push 0; push \"f\"; callFunction; pop"},
      {"while (i < 3) { if (x) break; i++; continue; }",
       "push \"i\"; getVariable; push 3; less2; not; if >18; push \"x\"; getVariable; not; if >11; "
       "jump >18; push \"i\"; push \"i\"; getVariable; increment; setVariable; jump >0; jump >0"},
      {"do { i-- } while (i)",
       "push \"i\"; push \"i\"; getVariable; decrement; setVariable; push \"i\"; getVariable; if >0"},
      {"for (var i = 0; i < n; i++) continue;",
       "push \"i\"; push 0; defineLocal; push \"i\"; getVariable; push \"n\"; getVariable; less2; not; "
       "if >17; jump >11; push \"i\"; push \"i\"; getVariable; increment; setVariable; jump >3"},
      {"for (;;) break;", "jump >2; jump >0"},
      {"for (i = 0, j = 1; ; ) break;",
       "push \"i\"; push 0; setVariable; push \"j\"; push 1; setVariable; jump >8; jump >6"},
      {"for (var k in o) f(k);",
       "push \"o\"; getVariable; enumerate2; storeRegister r0; push null; equals2; if >21; push \"k\"; "
       "push r0; defineLocal; push \"k\"; getVariable; push 1; push \"f\"; callFunction; pop; jump >3; "
       "push null; equals2; not; if >17"},
      {"for (k in o) break;",
       "push \"o\"; getVariable; enumerate2; storeRegister r0; push null; equals2; if >16; push \"k\"; "
       "push r0; setVariable; jump >12; jump >3; push null; equals2; not; if >12"},
  });
}

TEST(ActionCompiler, Functions) {
  RunTable({
      // Declarations are hoisted; parameters and locals are named variables.
      {"f(1); function f(a, b) { var c = a; return c; }",
       "function2 f(a,b) regs=3 flags=0 {push \"c\"; push \"a\"; getVariable; defineLocal; push \"c\"; "
       "getVariable; return}; push 1; push 1; push \"f\"; callFunction; pop"},
      {"g = function () { return; };",
       "push \"g\"; function2 () regs=3 flags=0 {push undefined; return}; setVariable"},
      // A closure refers to the outer function's variable by name.
      {"function mk() { var n = 0; return function () { return ++n; }; }",
       "function2 mk() regs=3 flags=0 {push \"n\"; push 0; defineLocal; "
       "function2 () regs=3 flags=0 {push \"n\"; getVariable; increment; pushDuplicate; push \"n\"; "
       "stackSwap; setVariable; return}; return}"},
      // A return inside for ... in clears the loop's names first.
      {"function f(o) { for (var k in o) return k; }",
       "function2 f(o) regs=3 flags=0 {push \"o\"; getVariable; enumerate2; storeRegister r0; push null; "
       "equals2; if >25; push \"k\"; push r0; defineLocal; push \"k\"; getVariable; storeRegister r0; "
       "pop; push null; equals2; not; if >14; push r0; return; jump >3; push null; equals2; not; if >21}"},
      {"function a:Void(x:Number):String { }", "ERROR 1:11 expected '(' but found ':'"},
      {"function a(x:Number):String { }", "function2 a(x) regs=3 flags=0 {}"},
  });
  // SWF 6 has no DefineFunction2.
  RunTable({{"function f(a) { return a; }", "function f(a) {push \"a\"; getVariable; return}"}}, 6);
}

TEST(ActionCompiler, Errors) {
  struct ErrorCase {
    const char* source;
    int line;
    int column;
    const char* message;
  };
  const ErrorCase cases[] = {
      {"x = ;", 1, 5, "expected an expression but found ';'"},
      {"x = 1\ny = (2;", 2, 7, "expected ')' but found ';'"},
      {"if (a) {\n  b = 1;\n", 3, 1, "expected '}' but found the end of the script"},
      {"x = 'abc", 1, 5, "unterminated string"},
      {"x = \"a\nb\";", 1, 5, "unterminated string"},
      {"/* open", 1, 1, "unterminated comment"},
      {"x = 1 y = 2;", 1, 7, "expected ';' but found 'y'"},
      {"x = 12abc;", 1, 5, "malformed number"},
      {"x = 0x;", 1, 5, "malformed number"},
      {"x = 1e+;", 1, 5, "malformed number"},
      {"x = #;", 1, 5, "unexpected character '#'"},
      {"x = '\\u12g4';", 1, 6, "malformed escape sequence"},
      {"x = '\\0';", 1, 6, "a string cannot hold the character U+0000"},
      {"x = '\\01';", 1, 6, "octal escapes are not supported"},
      {"x = '\\ud800';", 1, 6, "escape of an unpaired surrogate"},
      {"\xC3\xA9 = \xFF;", 1, 5, "the source is not valid UTF-8"},
      {"return 1;", 1, 1, "'return' outside a function"},
      {"break;", 1, 1, "'break' outside a loop"},
      {"while (a) { function f() { continue; } }", 1, 28, "'continue' outside a loop"},
      {"f() = 1;", 1, 1, "cannot assign to this expression"},
      {"this = 1;", 1, 1, "cannot assign to this expression"},
      {"x = 1++;", 1, 5, "cannot increment or decrement this expression"},
      {"switch (a) {}", 1, 1, "'switch' is not supported"},
      {"x = 1;\n  try { x(); } catch (e) {}", 2, 3, "'try' is not supported"},
      {"x = void 0;", 1, 5, "'void' is not supported"},
      {"var default = 1;", 1, 5, "'default' is not supported"},
      {"function f(a, case) {}", 1, 15, "'case' is not supported"},
      {"x = 1;\nstartDrag(kid);", 2, 1, "'startDrag' is not supported; call the clip's startDrag method"},
      {"nextScene();", 1, 1, "'nextScene' is not supported: a movie has one scene"},
      {"printNum(0, 'bmax');", 1, 1, "'printNum' is not supported"},
      {"tellTarget('kid') { stop(); }", 1, 1, "'tellTarget' is not supported; call the clip's methods"},
      {"x = 1; ifFrameLoaded(5) play();", 1, 8, "'ifFrameLoaded' is not supported; test the clip's _framesloaded"},
      {"loadMovie('a.swf');", 1, 1, "loadMovie takes two or three arguments (address, clip, method)"},
      {"loadMovie('a.swf', h, 'PUT');", 1, 23, "the method of loadMovie must be \"GET\" or \"POST\""},
      {"x = int();", 1, 5, "int takes one argument"},
      {"duplicateMovieClip(kid, 'k');", 1, 1, "duplicateMovieClip takes three arguments (clip, new name, depth)"},
      {"x = getProperty(kid, _size);", 1, 22, "unknown clip property for getProperty"},
      {"else x = 1;", 1, 1, "'else' without 'if'"},
      {"for (a.b in o) ;", 1, 6, "'for ... in' needs a variable name"},
      {"for (var a = 1 in o) ;", 1, 6, "'for ... in' takes one variable without a value"},
      {"trace(1, 2);", 1, 1, "trace takes one argument"},
      {"getURL('a', '_self', 'PUT');", 1, 22, "the method of getURL must be \"GET\" or \"POST\""},
      {"o.;", 1, 3, "expected a member name but found ';'"},
      {"x = {a 1};", 1, 8, "expected ':' but found a number"},
      {"function (a, 1) {}", 1, 14, "expected a parameter name but found a number"},
      {"\tx = (", 1, 7, "unexpected end of the script"},
  };
  for (const ErrorCase& c : cases) {
    std::vector<uint8_t> out{1, 2, 3};
    swf::ActionCompileError error;
    EXPECT_FALSE(swf::CompileActionScript(c.source, 8, &out, &error)) << c.source;
    EXPECT_TRUE(out.empty()) << c.source;
    EXPECT_EQ(error.line, c.line) << c.source;
    EXPECT_EQ(error.column, c.column) << c.source;
    EXPECT_EQ(error.message, c.message) << c.source;
  }
  swf::ActionCompileError error;
  EXPECT_FALSE(swf::CompileActionScript("x = 1;", 5, nullptr, &error));
  EXPECT_EQ(error.message, "SWF version 5 is not supported (6 or later needed)");
}

TEST(ActionCompiler, LimitsFailCleanly) {
  swf::ActionCompileError error;
  std::vector<uint8_t> out;
  // Nesting beyond the limit is refused, not a stack overflow.
  EXPECT_FALSE(swf::CompileActionScript("x = " + std::string(100000, '(') + "1" + std::string(100000, ')'), 8,
                                        &out, &error));
  EXPECT_EQ(error.message, "the script is nested too deeply");
  EXPECT_FALSE(swf::CompileActionScript(std::string(5000, '!') + "x;", 8, &out, &error));
  EXPECT_EQ(error.message, "the script is nested too deeply");
  std::string blocks;
  for (int i = 0; i < 5000; ++i) blocks += "if (a) {";
  EXPECT_FALSE(swf::CompileActionScript(blocks, 8, &out, &error));
  EXPECT_EQ(error.message, "the script is nested too deeply");

  // A long chain of one operator is fine: it does not nest.
  std::string sum = "x = 1";
  for (int i = 0; i < 20000; ++i) sum += " + 1";
  EXPECT_TRUE(swf::CompileActionScript(sum + ";", 8, &out, &error)) << error.message;
  // A long chain of && does nest in the generated code and is refused beyond the limit.
  std::string all = "x = a";
  for (int i = 0; i < 20000; ++i) all += " && a";
  EXPECT_FALSE(swf::CompileActionScript(all + ";", 8, &out, &error));
  EXPECT_EQ(error.message, "the expression is too complex");

  // A loop body beyond the reach of a 16-bit jump, and a function beyond 64 KB.
  std::string big = "while (a) {\n";
  for (int i = 0; i < 3000; ++i) big += "  o.p = 'abcdefgh';\n";
  big += "}\n";
  EXPECT_FALSE(swf::CompileActionScript(big, 8, &out, &error));
  EXPECT_EQ(error.line, 1);
  EXPECT_EQ(error.column, 1);
  EXPECT_EQ(error.message,
            "this block of code is too large for a jump (over 32 KB); split it into functions");
  std::string fn = "function f() {\n";
  for (int i = 0; i < 3000; ++i) fn += "  o.p = 'abcdefghijklmnop';\n";
  fn += "}\n";
  EXPECT_FALSE(swf::CompileActionScript(fn, 8, &out, &error));
  EXPECT_EQ(error.message, "the function body is too large (over 64 KB)");
  EXPECT_FALSE(swf::CompileActionScript("x = '" + std::string(70000, 'a') + "';", 8, &out, &error));
  EXPECT_EQ(error.message, "an action record is too long (over 65535 bytes)");
}

// Finds a file of the source tree from the test's own location.
std::filesystem::path SourceFile(const std::string& relative) {
  std::filesystem::path here = std::filesystem::path(__FILE__).parent_path() / relative;
  if (here.is_absolute() && std::filesystem::exists(here)) return here;
  std::filesystem::path dir = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  for (; !dir.empty() && dir != dir.root_path(); dir = dir.parent_path()) {
    std::filesystem::path candidate = dir / "platform/swf/tests" / relative;
    if (std::filesystem::exists(candidate)) return candidate;
  }
  return here;
}

TEST(ActionCompiler, SelfCheckScriptCompiles) {
  std::ifstream in(SourceFile("scripts/selfcheck.as"), std::ios::binary);
  ASSERT_TRUE(in) << "scripts/selfcheck.as not found";
  std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GE(std::count(source.begin(), source.end(), '\n'), 300);
  for (int version : {6, 8}) {
    std::vector<uint8_t> out;
    swf::ActionCompileError error;
    ASSERT_TRUE(swf::CompileActionScript(source, version, &out, &error))
        << error.line << ":" << error.column << " " << error.message;
    std::string text = Disassembler(out).Run();
    EXPECT_EQ(text.find("BAD"), std::string::npos) << text.substr(text.find("BAD"));
    // Every construct the script exercises left its mark in the code.
    for (const char* action : {"enumerate2", "instanceOf", "newMethod", "newObject", "initArray",
                               "initObject", "callMethod", "typeOf", "delete", "strictEquals", "greater",
                               "modulo", "trace", "getTime", "decrement", "increment"})
      EXPECT_NE(text.find(action), std::string::npos) << action;
  }
}

}  // namespace
