// Inside of the SWF writer: the objects behind the handles of ming.h, the bit writer and the
// per-save state that gives character ids.
#pragma once

#include "swf/ming.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace swfw {

void SetLastError(const std::string& message);

// Intrusive reference count shared by every block a caller can hand to another object.
class RefCounted {
 public:
  virtual ~RefCounted() = default;
  void AddRef() { ++refs_; }
  void Release() {
    if (--refs_ == 0) delete this;
  }

 private:
  int refs_ = 1;
};

// A held reference; copies take one, destruction lets it go.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : p_(p) {
    if (p_) p_->AddRef();
  }
  Ref(const Ref& o) : Ref(o.p_) {}
  Ref& operator=(const Ref& o) {
    Ref tmp(o);
    std::swap(p_, tmp.p_);
    return *this;
  }
  ~Ref() {
    if (p_) p_->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// Little-endian byte and MSB-first bit writer.
class Writer {
 public:
  std::vector<uint8_t> bytes;
  void U8(uint32_t v) {
    Align();
    bytes.push_back(uint8_t(v));
  }
  void U16(uint32_t v) {
    U8(v & 0xff);
    U8((v >> 8) & 0xff);
  }
  void U32(uint32_t v) {
    U16(v & 0xffff);
    U16(v >> 16);
  }
  void Bytes(const uint8_t* p, size_t n) {
    Align();
    bytes.insert(bytes.end(), p, p + n);
  }
  void Bytes(const std::vector<uint8_t>& v) { Bytes(v.data(), v.size()); }
  void String(const std::string& s) {  // zero-terminated
    Bytes(reinterpret_cast<const uint8_t*>(s.data()), s.size());
    U8(0);
  }
  void UB(uint32_t v, int n) {
    for (int i = n - 1; i >= 0; --i) Bit((v >> i) & 1);
  }
  void SB(int32_t v, int n) { UB(uint32_t(v) & (n >= 32 ? 0xffffffffu : ((1u << n) - 1)), n); }
  void Align() { bitPos_ = 0; }
  size_t size() const { return bytes.size(); }

 private:
  void Bit(uint32_t b) {
    if (bitPos_ == 0) bytes.push_back(0);
    if (b) bytes.back() |= uint8_t(0x80 >> bitPos_);
    bitPos_ = (bitPos_ + 1) & 7;
  }
  int bitPos_ = 0;
};

// Bits to hold v unsigned (0 for 0) and signed (at least 1).
int UBits(uint32_t v);
int SBits(int32_t v);

struct Rect {
  int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  bool empty = true;
  void Add(int64_t x, int64_t y);
  void Add(const Rect& r);
};
void WriteRect(Writer& w, const Rect& r);

// Affine matrix: x' = a x + c y + tx, y' = b x + d y + ty, tx and ty in twips.
struct Matrix {
  double a = 1, b = 0, c = 0, d = 1;
  double tx = 0, ty = 0;
};
void WriteMatrix(Writer& w, const Matrix& m);

// Twips from pixels, rounded, kept within the range the file can hold; not-a-number gives 0.
int32_t ToTwips(double pixels);
int32_t ClampCoord(double units);

// Tag with a short or long header (long forced when asked or when the body needs it).
void WriteTag(Writer& out, int code, const std::vector<uint8_t>& body, bool forceLong = false);

class SaveContext;

// A block that a movie or clip can take: a character (with an id) or an action.
class Block : public RefCounted {
 public:
  // Writes the definition tags of this block and of the blocks it needs into the root tag
  // stream, once per save. Returns the character id (0 for blocks without one).
  virtual int Define(SaveContext& ctx) = 0;
  // Whether the block reaches clip (to refuse cycles of clips).
  virtual bool Contains(const Block* /*clip*/) const { return false; }
};

enum TagCode {
  kTagEnd = 0,
  kTagShowFrame = 1,
  kTagSetBackgroundColor = 9,
  kTagDefineText = 11,
  kTagDoAction = 12,
  kTagDefineBitsLossless2 = 36,
  kTagDefineBitsJPEG2 = 21,
  kTagPlaceObject2 = 26,
  kTagDefineText2 = 33,
  kTagDefineSprite = 39,
  kTagDefineEditText = 37,
  kTagExportAssets = 56,
  kTagDefineFont2 = 48,
  kTagDefineVideoStream = 60,
  kTagFileAttributes = 69,
  kTagDefineShape4 = 83,
};

class SaveContext {
 public:
  Writer tags;  // the root tag stream after the header
  // The id already given to a block in this save, or 0.
  int IdOf(const RefCounted* block) const {
    auto it = ids_.find(block);
    return it == ids_.end() ? 0 : it->second;
  }
  int NewId(const RefCounted* block) {
    int id = nextId_++;
    ids_[block] = id;
    return id;
  }
  // An id for a character that no block stands for (a part of a block's definition).
  int NewAnonymousId() { return nextId_++; }
  bool OutOfIds() const { return nextId_ > 0xffff; }
  // Set when something did not fit the format (the save then fails with this message).
  std::string failure;

 private:
  std::map<const RefCounted*, int> ids_;
  int nextId_ = 1;
};

}  // namespace swfw

// ---- objects behind the handles --------------------------------------------------------------

struct SWFGradient_s : swfw::RefCounted {
  struct Entry {
    uint8_t ratio, r, g, b, a;
  };
  std::vector<Entry> entries;
};

struct SWFBitmap_s : swfw::Block {
  bool jpeg = false;
  int width = 0, height = 0;
  std::vector<uint8_t> data;  // JPEG bytes, or premultiplied ARGB rows
  int Define(swfw::SaveContext& ctx) override;
};

struct SWFFillStyle_s : swfw::RefCounted {
  int kind = SWFFILL_SOLID;
  uint8_t r = 0, g = 0, b = 0, a = 255;
  swfw::Ref<SWFGradient_s> gradient;
  swfw::Ref<SWFBitmap_s> bitmap;
  swfw::Matrix matrix;
  // Parts from which the fill calls rebuild the matrix.
  double sx = 1, sy = 1, rotation = 0, x = 0, y = 0;
  void Rebuild();
  void Write(swfw::Writer& w, swfw::SaveContext& ctx) const;
};

struct SWFFill_s : swfw::RefCounted {
  swfw::Ref<SWFFillStyle_s> style;
};

struct SWFShape_s : swfw::Block {
  struct LineStyle {
    uint16_t width;
    uint8_t r, g, b, a;
    uint8_t startCap = 0, endCap = 0, join = 0;  // round
    uint16_t miter = 0;                           // 8.8 fixed, for miter joins
    bool operator==(const LineStyle&) const = default;
  };
  struct Record {
    enum Kind : uint8_t { kStyle, kLine, kCurve } kind;
    bool hasMove = false, hasFill0 = false, hasFill1 = false, hasLine = false;
    uint32_t fill0 = 0, fill1 = 0, line = 0;
    int32_t x = 0, y = 0;    // move target (style) or anchor delta (edges)
    int32_t cx = 0, cy = 0;  // control delta (curves)
  };
  bool glyph = false;
  bool nonZero = false;  // fills by the nonzero winding rule
  std::vector<swfw::Ref<SWFFillStyle_s>> fills;
  std::vector<LineStyle> lines;
  std::vector<Record> records;
  int32_t penX = 0, penY = 0;
  Record pending{Record::kStyle};  // style change waiting for the next edge
  bool pendingSet = false;
  bool anyEdge = false;
  swfw::Rect edgeBounds;
  uint32_t widestLine = 0;  // twips the widest line reaches out from its edges, both sides

  int Define(swfw::SaveContext& ctx) override;
  // The SHAPE records (style change, edges, end) with the given style bit counts.
  void WriteRecords(swfw::Writer& w, int fillBits, int lineBits) const;
  void MoveTo(double x, double y);
  void LineTo(double x, double y);
  void CurveTo(double cx, double cy, double x, double y);
  void CubicTo(double bx, double by, double cx, double cy, double dx, double dy);
  void FlushStyle();
  void EmitLine(int32_t x, int32_t y);
  void EmitCurve(double cx, double cy, double x, double y, int depth);
};

struct SWFFont_s : swfw::Block {
  int flags = SWF_FONT_HASLAYOUT | SWF_FONT_WIDECODES;
  std::string name;
  int ascent = 0, descent = 0, leading = 0;
  std::vector<uint16_t> codes;  // ascending
  std::vector<swfw::Ref<SWFShape_s>> shapes;
  std::vector<int> advances;
  int Find(uint16_t code) const;
  int Define(swfw::SaveContext& ctx) override;
};

struct SWFFontCollection_s {
  std::vector<swfw::Ref<SWFFont_s>> fonts;
};

struct SWFText_s : swfw::Block {
  struct Run {
    swfw::Ref<SWFFont_s> font;
    uint8_t r, g, b, a;
    int32_t height;       // twips
    double spacing;       // twips
    bool moved;
    int32_t x, y;         // twips, when moved
    std::vector<uint16_t> codes;
    std::vector<int> advances;  // twips, empty: from the font
  };
  swfw::Ref<SWFFont_s> font;
  uint8_t r = 0, g = 0, b = 0, a = 255;
  int32_t height = 240;
  double spacing = 0;
  bool moved = false;
  int32_t x = 0, y = 0;
  std::vector<Run> runs;
  int Define(swfw::SaveContext& ctx) override;
};

struct SWFTextField_s : swfw::Block {
  swfw::Ref<SWFFont_s> font;
  int32_t width = 0, height = 0;  // bounds, twips
  int32_t fontHeight = 240;       // twips
  uint8_t r = 0, g = 0, b = 0, a = 255;
  int alignment = 0;
  int flags = 0;
  std::string text;
  int Define(swfw::SaveContext& ctx) override;
};

struct SWFVideoStream_s : swfw::Block {
  int width = 0, height = 0;
  int Define(swfw::SaveContext& ctx) override;
};

struct SWFAction_s : swfw::Block {
  std::string source;
  std::vector<uint8_t> code;  // action records ending with ActionEnd; empty when it failed
  std::string error;
  int errorLine = 0, errorColumn = 0;
  bool failed = false;
  int Define(swfw::SaveContext&) override { return 0; }
};

struct SWFDisplayItem_s {
  swfw::Ref<swfw::Block> block;
  int depth = 0;
  swfw::Matrix matrix;
  std::string name;
};

// The timeline of a movie or clip: placements, actions and frame ends in order.
struct Timeline {
  struct Entry {
    enum Kind { kPlace, kAction, kShowFrame } kind;
    std::unique_ptr<SWFDisplayItem_s> item;  // kPlace
    swfw::Ref<SWFAction_s> action;           // kAction
  };
  std::vector<Entry> entries;
  int nextDepth = 1;
  SWFDisplayItem_s* Place(swfw::Block* block);
  void AddAction(SWFAction_s* action);
  // Defines what the entries need, then writes their control tags into out.
  // Returns the number of frames written (a last unfinished frame is ended).
  int Write(swfw::SaveContext& ctx, swfw::Writer& out);
};

struct SWFMovieClip_s : swfw::Block {
  Timeline timeline;
  int Define(swfw::SaveContext& ctx) override;
  bool Contains(const swfw::Block* clip) const override;
};

struct SWFMovie_s {
  int version = 8;
  bool hasBackground = false;
  uint8_t r = 255, g = 255, b = 255;
  double width = 0, height = 0;
  double rate = 12;
  int compression = 0;
  Timeline timeline;
  std::vector<std::pair<swfw::Ref<SWFMovieClip_s>, std::string>> exports;
};

struct SWFInput_s {
  std::vector<uint8_t> bytes;
};
