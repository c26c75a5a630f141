#include "swf_reader_support.h"

#include <zlib.h>

#include <stdexcept>

namespace swftest {
namespace {

struct Bad : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Little-endian bytes and MSB-first bits over a bounded buffer.
class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  size_t left() const { return n_ - pos_; }
  size_t pos() const { return pos_; }
  uint32_t U8() {
    Align();
    Need(1);
    return p_[pos_++];
  }
  uint32_t U16() {
    uint32_t lo = U8();
    return lo | (U8() << 8);
  }
  uint32_t U32() {
    uint32_t lo = U16();
    return lo | (U16() << 16);
  }
  std::vector<uint8_t> Bytes(size_t n) {
    Align();
    Need(n);
    std::vector<uint8_t> v(p_ + pos_, p_ + pos_ + n);
    pos_ += n;
    return v;
  }
  std::string String() {
    Align();
    std::string s;
    while (true) {
      uint32_t c = U8();
      if (c == 0) return s;
      s.push_back(char(c));
    }
  }
  uint32_t UB(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i) {
      if (bit_ == 0) {
        Need(1);
        cur_ = p_[pos_++];
        bit_ = 8;
      }
      --bit_;
      v = (v << 1) | ((cur_ >> bit_) & 1);
    }
    return v;
  }
  int32_t SB(int n) {
    if (n == 0) return 0;
    uint32_t v = UB(n);
    if (n < 32 && (v & (1u << (n - 1)))) v |= ~((1u << n) - 1);
    return int32_t(v);
  }
  void Align() { bit_ = 0; }
  void Skip(size_t n) {
    Align();
    Need(n);
    pos_ += n;
  }

 private:
  void Need(size_t n) {
    if (n > n_ - pos_) throw Bad("read past the end of the data");
  }
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
  int bit_ = 0;
  uint8_t cur_ = 0;
};

Rect ReadRect(Reader& r) {
  r.Align();
  int n = int(r.UB(5));
  Rect rc;
  rc.xmin = r.SB(n);
  rc.xmax = r.SB(n);
  rc.ymin = r.SB(n);
  rc.ymax = r.SB(n);
  r.Align();
  return rc;
}

Matrix ReadMatrix(Reader& r) {
  r.Align();
  Matrix m;
  if (r.UB(1)) {
    int n = int(r.UB(5));
    m.a = r.SB(n) / 65536.0;
    m.d = r.SB(n) / 65536.0;
  }
  if (r.UB(1)) {
    int n = int(r.UB(5));
    m.b = r.SB(n) / 65536.0;
    m.c = r.SB(n) / 65536.0;
  }
  int n = int(r.UB(5));
  m.tx = r.SB(n);
  m.ty = r.SB(n);
  r.Align();
  return m;
}

size_t ReadCount(Reader& r) {
  size_t n = r.U8();
  if (n == 0xff) n = r.U16();
  return n;
}

FillStyle ReadFill(Reader& r) {
  FillStyle f;
  f.type = int(r.U8());
  if (f.type == 0x00) {
    f.r = uint8_t(r.U8());
    f.g = uint8_t(r.U8());
    f.b = uint8_t(r.U8());
    f.a = uint8_t(r.U8());
  } else if (f.type == 0x10 || f.type == 0x12) {
    f.matrix = ReadMatrix(r);
    uint32_t head = r.U8();
    f.spread = int(head >> 6);
    f.interpolation = int((head >> 4) & 3);
    for (uint32_t i = 0; i < (head & 15); ++i) {
      GradientEntry e;
      e.ratio = int(r.U8());
      e.r = uint8_t(r.U8());
      e.g = uint8_t(r.U8());
      e.b = uint8_t(r.U8());
      e.a = uint8_t(r.U8());
      f.gradient.push_back(e);
    }
  } else if (f.type >= 0x40 && f.type <= 0x43) {
    f.bitmapId = int(r.U16());
    f.matrix = ReadMatrix(r);
  } else {
    throw Bad("unknown fill style type");
  }
  return f;
}

LineStyle ReadLine2(Reader& r) {
  LineStyle l;
  l.width = int(r.U16());
  l.startCap = int(r.UB(2));
  l.join = int(r.UB(2));
  l.hasFill = r.UB(1);
  r.UB(3);  // no-scale flags, hinting
  r.UB(5);  // reserved
  r.UB(1);  // no close
  l.endCap = int(r.UB(2));
  r.Align();
  if (l.join == 2) r.U16();
  if (l.hasFill) {
    ReadFill(r);
  } else {
    l.r = uint8_t(r.U8());
    l.g = uint8_t(r.U8());
    l.b = uint8_t(r.U8());
    l.a = uint8_t(r.U8());
  }
  return l;
}

// Shape records until the end record; styles of new style arrays are read and dropped.
std::vector<ShapeRecord> ReadRecords(Reader& r, int fillBits, int lineBits) {
  std::vector<ShapeRecord> out;
  int32_t x = 0, y = 0;
  while (true) {
    ShapeRecord rec;
    if (r.UB(1) == 0) {
      uint32_t flags = r.UB(5);
      if (flags == 0) break;
      bool newStyles = flags & 0x10;
      rec.kind = ShapeRecord::kStyle;
      rec.hasLine = flags & 0x08;
      rec.hasFill1 = flags & 0x04;
      rec.hasFill0 = flags & 0x02;
      rec.hasMove = flags & 0x01;
      if (rec.hasMove) {
        int n = int(r.UB(5));
        rec.moveX = x = r.SB(n);
        rec.moveY = y = r.SB(n);
      }
      if (rec.hasFill0) rec.fill0 = r.UB(fillBits);
      if (rec.hasFill1) rec.fill1 = r.UB(fillBits);
      if (rec.hasLine) rec.line = r.UB(lineBits);
      if (newStyles) {
        r.Align();
        size_t nf = ReadCount(r);
        for (size_t i = 0; i < nf; ++i) ReadFill(r);
        size_t nl = ReadCount(r);
        for (size_t i = 0; i < nl; ++i) ReadLine2(r);
        fillBits = int(r.UB(4));
        lineBits = int(r.UB(4));
      }
    } else if (r.UB(1) == 1) {
      rec.kind = ShapeRecord::kLine;
      rec.bits = int(r.UB(4)) + 2;
      if (r.UB(1)) {
        rec.dx = r.SB(rec.bits);
        rec.dy = r.SB(rec.bits);
      } else if (r.UB(1)) {
        rec.dy = r.SB(rec.bits);
      } else {
        rec.dx = r.SB(rec.bits);
      }
      rec.x = x += rec.dx;
      rec.y = y += rec.dy;
    } else {
      rec.kind = ShapeRecord::kCurve;
      rec.bits = int(r.UB(4)) + 2;
      rec.cdx = r.SB(rec.bits);
      rec.cdy = r.SB(rec.bits);
      rec.dx = r.SB(rec.bits);
      rec.dy = r.SB(rec.bits);
      rec.x = x += rec.cdx + rec.dx;
      rec.y = y += rec.cdy + rec.dy;
    }
    out.push_back(rec);
  }
  r.Align();
  return out;
}

template <class F>
bool Guard(std::string* error, F&& f) {
  try {
    f();
    return true;
  } catch (const Bad& e) {
    if (error) *error = e.what();
    return false;
  }
}

void Expect(const Tag& tag, std::initializer_list<int> codes) {
  for (int c : codes)
    if (tag.code == c) return;
  throw Bad("unexpected tag code " + std::to_string(tag.code));
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& in, size_t expected) {
  if (expected > (size_t(1) << 24)) throw Bad("declared size too large for a test file");
  std::vector<uint8_t> out(expected);
  uLongf len = uLongf(expected);
  if (uncompress(out.data(), &len, in.data(), uLong(in.size())) != Z_OK || len != expected)
    throw Bad("zlib data does not inflate to the declared size");
  return out;
}

}  // namespace

bool ParseTags(const uint8_t* data, size_t size, std::vector<Tag>* out, std::string* error) {
  return Guard(error, [&] {
    Reader r(data, size);
    out->clear();
    while (true) {
      uint32_t head = r.U16();
      Tag t;
      t.code = int(head >> 6);
      size_t len = head & 0x3f;
      if (len == 0x3f) len = r.U32();
      t.body = r.Bytes(len);
      out->push_back(std::move(t));
      if (out->back().code == kEnd) break;
    }
  });
}

bool ParseMovie(const std::vector<uint8_t>& file, Movie* m, std::string* error) {
  return Guard(error, [&] {
    Reader head(file.data(), file.size());
    std::vector<uint8_t> sig = head.Bytes(3);
    m->signature.assign(sig.begin(), sig.end());
    m->version = int(head.U8());
    m->fileLength = head.U32();
    if (m->fileLength < 8) throw Bad("file length too small");
    std::vector<uint8_t> body;
    if (m->signature == "FWS") {
      body.assign(file.begin() + 8, file.end());
      if (body.size() != m->fileLength - 8) throw Bad("file length does not match");
    } else if (m->signature == "CWS") {
      body = Inflate(std::vector<uint8_t>(file.begin() + 8, file.end()), m->fileLength - 8);
    } else {
      throw Bad("not an SWF file");
    }
    Reader r(body.data(), body.size());
    m->frame = ReadRect(r);
    uint32_t rate = r.U16();
    m->rate = rate / 256.0;
    m->frameCount = int(r.U16());
    std::string why;
    if (!ParseTags(body.data() + r.pos(), r.left(), &m->tags, &why)) throw Bad(why);
  });
}

bool ParseShape4(const Tag& tag, Shape* s, std::string* error) {
  return Guard(error, [&] {
    Expect(tag, {kDefineShape4});
    Reader r(tag.body.data(), tag.body.size());
    s->id = int(r.U16());
    s->bounds = ReadRect(r);
    s->edgeBounds = ReadRect(r);
    s->flags = int(r.U8());
    size_t nf = ReadCount(r);
    for (size_t i = 0; i < nf; ++i) s->fills.push_back(ReadFill(r));
    size_t nl = ReadCount(r);
    for (size_t i = 0; i < nl; ++i) s->lines.push_back(ReadLine2(r));
    s->fillBits = int(r.UB(4));
    s->lineBits = int(r.UB(4));
    s->records = ReadRecords(r, s->fillBits, s->lineBits);
    if (r.left() != 0) throw Bad("bytes after the shape records");
  });
}

bool ParseFont2(const Tag& tag, Font* f, std::string* error) {
  return Guard(error, [&] {
    Expect(tag, {kDefineFont2});
    Reader r(tag.body.data(), tag.body.size());
    f->id = int(r.U16());
    f->flags = int(r.U8());
    f->language = int(r.U8());
    std::vector<uint8_t> name = r.Bytes(r.U8());
    f->name.assign(name.begin(), name.end());
    size_t n = r.U16();
    if (n == 0) {
      // No offset or code tables; the layout still follows when flagged.
      if (f->flags & 0x80) {
        f->ascent = int(r.U16());
        f->descent = int(r.U16());
        f->leading = int16_t(r.U16());
        f->kerningCount = int(r.U16());
        r.Skip(size_t(f->kerningCount) * ((f->flags & 0x04) ? 6 : 4));
      }
      if (r.left() != 0) throw Bad("bytes after the font");
      return;
    }
    bool wide = f->flags & 0x08;
    size_t tableStart = r.pos();
    std::vector<uint32_t> offsets(n + 1);
    if (r.left() < (n + 1) * (wide ? 4 : 2)) throw Bad("offset table runs past the end");
    for (auto& o : offsets) o = wide ? r.U32() : r.U16();
    for (size_t i = 0; i < n; ++i) {
      if (offsets[i] > offsets[i + 1] || tableStart + offsets[i] != r.pos())
        throw Bad("glyph offsets do not match the glyph shapes");
      std::vector<uint8_t> g = r.Bytes(offsets[i + 1] - offsets[i]);
      Reader gr(g.data(), g.size());
      int fb = int(gr.UB(4)), lb = int(gr.UB(4));
      f->glyphs.push_back(ReadRecords(gr, fb, lb));
    }
    if (tableStart + offsets[n] != r.pos()) throw Bad("code table offset is wrong");
    for (size_t i = 0; i < n; ++i) f->codes.push_back(uint16_t(f->flags & 0x04 ? r.U16() : r.U8()));
    if (f->flags & 0x80) {
      f->ascent = int(r.U16());
      f->descent = int(r.U16());
      f->leading = int16_t(r.U16());
      for (size_t i = 0; i < n; ++i) f->advances.push_back(int16_t(r.U16()));
      for (size_t i = 0; i < n; ++i) f->bounds.push_back(ReadRect(r));
      f->kerningCount = int(r.U16());
      r.Skip(size_t(f->kerningCount) * ((f->flags & 0x04) ? 6 : 4));
    }
    if (r.left() != 0) throw Bad("bytes after the font");
  });
}

bool ParseText(const Tag& tag, Text* t, std::string* error) {
  return Guard(error, [&] {
    Expect(tag, {kDefineText, kDefineText2});
    t->alpha = tag.code == kDefineText2;
    Reader r(tag.body.data(), tag.body.size());
    t->id = int(r.U16());
    t->bounds = ReadRect(r);
    t->matrix = ReadMatrix(r);
    t->glyphBits = int(r.U8());
    t->advanceBits = int(r.U8());
    if (t->glyphBits > 32 || t->advanceBits > 32) throw Bad("bit counts too large");
    while (true) {
      uint32_t flags = r.U8();
      if (flags == 0) break;
      if (!(flags & 0x80)) throw Bad("not a text record");
      TextRecord rec;
      rec.hasFont = flags & 0x08;
      rec.hasColor = flags & 0x04;
      rec.hasY = flags & 0x02;
      rec.hasX = flags & 0x01;
      if (rec.hasFont) rec.fontId = int(r.U16());
      if (rec.hasColor) {
        rec.r = uint8_t(r.U8());
        rec.g = uint8_t(r.U8());
        rec.b = uint8_t(r.U8());
        if (t->alpha) rec.a = uint8_t(r.U8());
      }
      if (rec.hasX) rec.x = int16_t(r.U16());
      if (rec.hasY) rec.y = int16_t(r.U16());
      if (rec.hasFont) rec.height = int(r.U16());
      uint32_t count = r.U8();
      for (uint32_t i = 0; i < count; ++i) {
        uint32_t index = r.UB(t->glyphBits);
        int32_t advance = r.SB(t->advanceBits);
        rec.glyphs.emplace_back(index, advance);
      }
      r.Align();
      t->records.push_back(std::move(rec));
    }
    if (r.left() != 0) throw Bad("bytes after the text records");
  });
}

bool ParsePlace2(const Tag& tag, Place* p, std::string* error) {
  return Guard(error, [&] {
    Expect(tag, {kPlaceObject2});
    Reader r(tag.body.data(), tag.body.size());
    p->flags = int(r.U8());
    p->depth = int(r.U16());
    if (p->flags & 0x02) p->characterId = int(r.U16());
    if (p->flags & 0x04) {
      p->hasMatrix = true;
      p->matrix = ReadMatrix(r);
    }
    if (p->flags & 0x08) throw Bad("colour transforms are not read");
    if (p->flags & 0x10) r.U16();
    if (p->flags & 0x20) p->name = r.String();
    if (p->flags & 0x40) r.U16();
    if (p->flags & 0x80) throw Bad("clip actions are not read");
    if (r.left() != 0) throw Bad("bytes after the placement");
  });
}

bool ParseSprite(const Tag& tag, Sprite* s, std::string* error) {
  return Guard(error, [&] {
    Expect(tag, {kDefineSprite});
    Reader r(tag.body.data(), tag.body.size());
    s->id = int(r.U16());
    s->frameCount = int(r.U16());
    std::string why;
    if (!ParseTags(tag.body.data() + r.pos(), r.left(), &s->tags, &why)) throw Bad(why);
  });
}

bool ParseBitmap(const Tag& tag, Bitmap* b, std::string* error) {
  return Guard(error, [&] {
    Expect(tag, {kDefineBitsJPEG2, kDefineBitsLossless2});
    Reader r(tag.body.data(), tag.body.size());
    b->id = int(r.U16());
    if (tag.code == kDefineBitsJPEG2) {
      b->jpeg = true;
      b->data = r.Bytes(r.left());
      return;
    }
    b->format = int(r.U8());
    b->width = int(r.U16());
    b->height = int(r.U16());
    if (b->format != 5) throw Bad("only 32-bit lossless bitmaps are read");
    b->data = Inflate(r.Bytes(r.left()), size_t(b->width) * size_t(b->height) * 4);
  });
}

bool ParseVideoStream(const Tag& tag, VideoStream* v, std::string* error) {
  return Guard(error, [&] {
    Expect(tag, {kDefineVideoStream});
    Reader r(tag.body.data(), tag.body.size());
    v->id = int(r.U16());
    v->frames = int(r.U16());
    v->width = int(r.U16());
    v->height = int(r.U16());
    v->flags = int(r.U8());
    v->codec = int(r.U8());
    if (r.left() != 0) throw Bad("bytes after the video stream");
  });
}

bool ParseActions(const std::vector<uint8_t>& body, std::vector<Action>* out, std::string* error) {
  return Guard(error, [&] {
    Reader r(body.data(), body.size());
    out->clear();
    while (true) {
      Action a;
      a.code = int(r.U8());
      if (a.code >= 0x80) a.payload = r.Bytes(r.U16());
      out->push_back(std::move(a));
      if (out->back().code == 0) break;
    }
    if (r.left() != 0) throw Bad("bytes after ActionEnd");
  });
}

std::vector<const Tag*> FindTags(const std::vector<Tag>& tags, int code) {
  std::vector<const Tag*> out;
  for (const Tag& t : tags)
    if (t.code == code) out.push_back(&t);
  return out;
}

}  // namespace swftest
