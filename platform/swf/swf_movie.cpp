// Movies, movie clips, display items, and the pieces of the file format every tag shares.
#include "swf_internal.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include <lwreplace.h>

namespace swfw {

namespace {
thread_local std::string g_lastError;
}

void SetLastError(const std::string& message) { g_lastError = message; }

int UBits(uint32_t v) {
  int n = 0;
  while (v) {
    ++n;
    v >>= 1;
  }
  return n;
}

int SBits(int32_t v) {
  uint32_t m = v < 0 ? ~uint32_t(v) : uint32_t(v);
  return UBits(m) + 1;
}

void Rect::Add(int64_t x, int64_t y) {
  int32_t cx = int32_t(std::clamp<int64_t>(x, INT32_MIN / 2, INT32_MAX / 2));
  int32_t cy = int32_t(std::clamp<int64_t>(y, INT32_MIN / 2, INT32_MAX / 2));
  if (empty) {
    xmin = xmax = cx;
    ymin = ymax = cy;
    empty = false;
    return;
  }
  xmin = std::min(xmin, cx);
  xmax = std::max(xmax, cx);
  ymin = std::min(ymin, cy);
  ymax = std::max(ymax, cy);
}

void Rect::Add(const Rect& r) {
  if (r.empty) return;
  Add(r.xmin, r.ymin);
  Add(r.xmax, r.ymax);
}

void WriteRect(Writer& w, const Rect& r) {
  w.Align();
  int n = std::max({SBits(r.xmin), SBits(r.xmax), SBits(r.ymin), SBits(r.ymax)});
  if (r.empty) n = 1;
  w.UB(uint32_t(n), 5);
  w.SB(r.empty ? 0 : r.xmin, n);
  w.SB(r.empty ? 0 : r.xmax, n);
  w.SB(r.empty ? 0 : r.ymin, n);
  w.SB(r.empty ? 0 : r.ymax, n);
  w.Align();
}

namespace {
int32_t Fixed16(double v) {
  if (!std::isfinite(v)) return 0;
  double f = std::round(v * 65536.0);
  return int32_t(std::clamp(f, double(INT32_MIN), double(INT32_MAX)));
}
}  // namespace

void WriteMatrix(Writer& w, const Matrix& m) {
  w.Align();
  int32_t a = Fixed16(m.a), b = Fixed16(m.b), c = Fixed16(m.c), d = Fixed16(m.d);
  bool hasScale = a != 0x10000 || d != 0x10000;
  w.UB(hasScale, 1);
  if (hasScale) {
    int n = std::max(SBits(a), SBits(d));
    w.UB(uint32_t(n), 5);
    w.SB(a, n);
    w.SB(d, n);
  }
  bool hasRotate = b != 0 || c != 0;
  w.UB(hasRotate, 1);
  if (hasRotate) {
    int n = std::max(SBits(b), SBits(c));
    w.UB(uint32_t(n), 5);
    w.SB(b, n);  // RotateSkew0: x into y
    w.SB(c, n);  // RotateSkew1: y into x
  }
  int32_t tx = ClampCoord(m.tx), ty = ClampCoord(m.ty);
  int n = (tx == 0 && ty == 0) ? 0 : std::max(SBits(tx), SBits(ty));
  w.UB(uint32_t(n), 5);
  if (n) {
    w.SB(tx, n);
    w.SB(ty, n);
  }
  w.Align();
}

// Coordinates are kept well inside 31 bits so that sums and deltas of two never overflow.
int32_t ClampCoord(double units) {
  if (!std::isfinite(units)) return 0;
  constexpr double kLimit = 1 << 29;
  return int32_t(std::lround(std::clamp(units, -kLimit, kLimit)));
}

int32_t ToTwips(double pixels) {
  if (!std::isfinite(pixels)) return 0;
  return ClampCoord(pixels * 20.0);
}

void WriteTag(Writer& out, int code, const std::vector<uint8_t>& body, bool forceLong) {
  if (body.size() < 0x3f && !forceLong) {
    out.U16(uint32_t(code << 6) | uint32_t(body.size()));
  } else {
    out.U16(uint32_t(code << 6) | 0x3f);
    out.U32(uint32_t(body.size()));
  }
  out.Bytes(body);
}

}  // namespace swfw

using namespace swfw;

namespace {
std::atomic<int> g_cubicThreshold{10};

void WritePlace(Writer& out, SaveContext& ctx, const SWFDisplayItem_s& item) {
  if (item.depth > 0xffff) ctx.failure = "too many display items in one timeline (at most 65535)";
  int id = item.block->Define(ctx);
  Writer w;
  uint8_t flags = 0x02 | 0x04;  // character, matrix
  if (!item.name.empty()) flags |= 0x20;
  w.U8(flags);
  w.U16(uint32_t(item.depth));
  w.U16(uint32_t(id));
  WriteMatrix(w, item.matrix);
  if (!item.name.empty()) w.String(item.name);
  WriteTag(out, kTagPlaceObject2, w.bytes);
}

// The file body without the 8-byte header: frame rect, rate, count, tags.
bool BuildFile(SWFMovie_s* m, std::vector<uint8_t>* out) {
  SaveContext ctx;
  Writer& tags = ctx.tags;
  if (m->version >= 8) {
    Writer fa;
    fa.U32(0);
    WriteTag(tags, kTagFileAttributes, fa.bytes);
  }
  if (m->hasBackground) {
    Writer bg;
    bg.U8(m->r);
    bg.U8(m->g);
    bg.U8(m->b);
    WriteTag(tags, kTagSetBackgroundColor, bg.bytes);
  }
  if (!m->exports.empty()) {
    Writer ex;
    ex.U16(uint32_t(m->exports.size()));
    for (const auto& e : m->exports) {
      ex.U16(uint32_t(e.first->Define(ctx)));
      ex.String(e.second);
    }
    WriteTag(tags, kTagExportAssets, ex.bytes);
  }
  int frames = m->timeline.Write(ctx, tags);
  WriteTag(tags, kTagEnd, {});
  if (ctx.OutOfIds()) ctx.failure = "too many characters for one movie (at most 65535)";
  if (!ctx.failure.empty()) {
    SetLastError(ctx.failure);
    return false;
  }

  Writer body;
  Rect frame;
  frame.Add(0, 0);
  frame.Add(ToTwips(m->width), ToTwips(m->height));
  WriteRect(body, frame);
  double rate = std::isfinite(m->rate) ? std::clamp(m->rate, 0.0, 255.0) : 0.0;
  body.U16(uint32_t(std::lround(rate * 256.0)));
  body.U16(uint32_t(std::min(frames, 0xffff)));
  body.Bytes(tags.bytes);

  uint64_t total = 8 + body.size();
  if (total > 0xffffffffull) {
    SetLastError("movie larger than 4 GiB");
    return false;
  }
  Writer file;
  file.U8(m->compression > 0 ? 'C' : 'F');
  file.U8('W');
  file.U8('S');
  file.U8(uint32_t(m->version));
  file.U32(uint32_t(total));
  if (m->compression > 0) {
    uLongf bound = compressBound(uLong(body.size()));
    std::vector<uint8_t> packed(bound);
    if (compress2(packed.data(), &bound, body.bytes.data(), uLong(body.size()),
                  std::clamp(m->compression, 1, 9)) != Z_OK) {
      SetLastError("zlib compression failed");
      return false;
    }
    packed.resize(bound);
    file.Bytes(packed);
  } else {
    file.Bytes(body.bytes);
  }
  *out = std::move(file.bytes);
  return true;
}

}  // namespace

// ---- timelines --------------------------------------------------------------------------------

SWFDisplayItem_s* Timeline::Place(Block* block) {
  Entry e{Entry::kPlace, std::make_unique<SWFDisplayItem_s>(), {}};
  e.item->block = Ref<Block>(block);
  e.item->depth = nextDepth++;
  SWFDisplayItem_s* item = e.item.get();
  entries.push_back(std::move(e));
  return item;
}

void Timeline::AddAction(SWFAction_s* action) {
  entries.push_back(Entry{Entry::kAction, nullptr, Ref<SWFAction_s>(action)});
}

int Timeline::Write(SaveContext& ctx, Writer& out) {
  int frames = 0;
  bool open = false;
  for (const Entry& e : entries) {
    switch (e.kind) {
      case Entry::kPlace:
        WritePlace(out, ctx, *e.item);
        open = true;
        break;
      case Entry::kAction:
        if (!e.action->failed && !e.action->code.empty()) {
          WriteTag(out, kTagDoAction, e.action->code);
          open = true;
        }
        break;
      case Entry::kShowFrame:
        WriteTag(out, kTagShowFrame, {});
        ++frames;
        open = false;
        break;
    }
  }
  if (open || frames == 0) {
    WriteTag(out, kTagShowFrame, {});
    ++frames;
  }
  return frames;
}

int SWFMovieClip_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  // Control tags go into the sprite; the definitions they need land in the root stream first.
  Writer control;
  int frames = timeline.Write(ctx, control);
  WriteTag(control, kTagEnd, {});
  int id = ctx.NewId(this);
  Writer w;
  w.U16(uint32_t(id));
  w.U16(uint32_t(std::min(frames, 0xffff)));
  w.Bytes(control.bytes);
  WriteTag(ctx.tags, kTagDefineSprite, w.bytes);
  return id;
}

bool SWFMovieClip_s::Contains(const Block* clip) const {
  if (clip == this) return true;
  for (const auto& e : timeline.entries)
    if (e.kind == Timeline::Entry::kPlace && e.item->block->Contains(clip)) return true;
  return false;
}

// ---- public calls -------------------------------------------------------------------------------

const char* Ming_getLastError() { return g_lastError.c_str(); }

void Ming_setCubicThreshold(int threshold) { g_cubicThreshold = std::max(threshold, 1); }
int Ming_getCubicThreshold() { return g_cubicThreshold; }

SWFMovie newSWFMovieWithVersion(int version) {
  if (version < 8 || version > 255) {
    SetLastError("SWF version must be 8 or later");
    return nullptr;
  }
  auto* m = new SWFMovie_s;
  m->version = version;
  return m;
}

void destroySWFMovie(SWFMovie movie) { delete movie; }

void SWFMovie_setBackground(SWFMovie movie, int r, int g, int b) {
  if (!movie) return;
  movie->hasBackground = true;
  movie->r = uint8_t(r);
  movie->g = uint8_t(g);
  movie->b = uint8_t(b);
}

void SWFMovie_setDimension(SWFMovie movie, double width, double height) {
  if (!movie) return;
  movie->width = width;
  movie->height = height;
}

void SWFMovie_setRate(SWFMovie movie, double rate) {
  if (movie) movie->rate = rate;
}

void SWFMovie_setCompression(SWFMovie movie, int level) {
  if (movie) movie->compression = std::clamp(level, 0, 9);
}

namespace {
SWFDisplayItem AddTo(Timeline* t, Block* block) {
  if (!t || !block) return nullptr;
  return t->Place(block);
}
SWFDisplayItem AddToClip(SWFMovieClip clip, Block* block) {
  if (!clip || !block) return nullptr;
  if (block->Contains(clip)) {
    SetLastError("a movie clip cannot hold itself");
    return nullptr;
  }
  return clip->timeline.Place(block);
}
}  // namespace

SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFShape shape) {
  return AddTo(movie ? &movie->timeline : nullptr, shape);
}
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFMovieClip clip) {
  return AddTo(movie ? &movie->timeline : nullptr, clip);
}
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFText text) {
  return AddTo(movie ? &movie->timeline : nullptr, text);
}
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFTextField field) {
  return AddTo(movie ? &movie->timeline : nullptr, field);
}
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFVideoStream stream) {
  return AddTo(movie ? &movie->timeline : nullptr, stream);
}
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFAction action) {
  if (movie && action) movie->timeline.AddAction(action);
  return nullptr;
}

void SWFMovie_addExport(SWFMovie movie, SWFMovieClip clip, const char* name) {
  if (!movie || !clip || !name || !*name) return;
  for (const auto& e : movie->exports)
    if (e.second == name) return;
  movie->exports.emplace_back(Ref<SWFMovieClip_s>(clip), name);
}

bool SWFMovie_saveToBuffer(SWFMovie movie, std::vector<uint8_t>* out) {
  if (!movie || !out) {
    SetLastError("no movie or no output");
    return false;
  }
  return BuildFile(movie, out);
}

int SWFMovie_save(SWFMovie movie, const char* path) {
  if (!path || !*path) {
    SetLastError("no file name");
    return -1;
  }
  std::vector<uint8_t> bytes;
  if (!SWFMovie_saveToBuffer(movie, &bytes)) return -1;
  if (bytes.size() > size_t(INT32_MAX)) {
    SetLastError("movie too large");
    return -1;
  }
  // Replaces the target whole: an old file survives a failed save, a link there stays.
  if (!lw::ReplaceFileContents(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()))) {
    SetLastError(std::string("cannot write ") + path + ": " + std::strerror(errno));
    return -1;
  }
  return int(bytes.size());
}

SWFMovieClip newSWFMovieClip() { return new SWFMovieClip_s; }
void destroySWFMovieClip(SWFMovieClip clip) {
  if (clip) clip->Release();
}
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFShape shape) { return AddToClip(clip, shape); }
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFMovieClip inner) {
  return AddToClip(clip, inner);
}
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFText text) { return AddToClip(clip, text); }
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFTextField field) { return AddToClip(clip, field); }
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFVideoStream stream) {
  return AddToClip(clip, stream);
}
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFAction action) {
  if (clip && action) clip->timeline.AddAction(action);
  return nullptr;
}
void SWFMovieClip_nextFrame(SWFMovieClip clip) {
  if (clip) clip->timeline.entries.push_back(Timeline::Entry{Timeline::Entry::kShowFrame, nullptr, {}});
}

void SWFDisplayItem_moveTo(SWFDisplayItem item, double x, double y) {
  if (!item) return;
  item->matrix.tx = ToTwips(x);
  item->matrix.ty = ToTwips(y);
}

void SWFDisplayItem_setName(SWFDisplayItem item, const char* name) {
  if (item) item->name = name ? name : "";
}

void SWFDisplayItem_setMatrix(SWFDisplayItem item, double a, double b, double c, double d,
                              double x, double y) {
  if (!item) return;
  item->matrix = Matrix{a, b, c, d, double(ToTwips(x)), double(ToTwips(y))};
}

SWFVideoStream newSWFVideoStream() { return new SWFVideoStream_s; }
void destroySWFVideoStream(SWFVideoStream stream) {
  if (stream) stream->Release();
}
void SWFVideoStream_setDimension(SWFVideoStream stream, int width, int height) {
  if (!stream) return;
  stream->width = std::clamp(width, 0, 0xffff);
  stream->height = std::clamp(height, 0, 0xffff);
}

int SWFVideoStream_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  int id = ctx.NewId(this);
  Writer w;
  w.U16(uint32_t(id));
  w.U16(0);  // frames: none, the stream is fed by a NetStream
  w.U16(uint32_t(width));
  w.U16(uint32_t(height));
  w.U8(0);  // no deblocking, no smoothing
  w.U8(0);  // codec: none yet
  WriteTag(ctx.tags, kTagDefineVideoStream, w.bytes);
  return id;
}
