// Fonts built glyph by glyph (DefineFont2), font collections and static text (DefineText).
#include "swf_internal.h"

#include <algorithm>
#include <cmath>

using namespace swfw;

// ---- fonts -----------------------------------------------------------------------------------------

int SWFFont_s::Find(uint16_t code) const {
  auto it = std::lower_bound(codes.begin(), codes.end(), code);
  return (it != codes.end() && *it == code) ? int(it - codes.begin()) : -1;
}

namespace {
int16_t ClampS16(int64_t v) { return int16_t(std::clamp<int64_t>(v, -32768, 32767)); }
uint16_t ClampU16(int64_t v) { return uint16_t(std::clamp<int64_t>(v, 0, 65535)); }
}  // namespace

int SWFFont_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  int id = ctx.NewId(this);
  size_t n = codes.size();
  std::vector<std::vector<uint8_t>> glyphBytes(n);
  size_t total = 0;
  for (size_t i = 0; i < n; ++i) {
    Writer g;
    g.UB(1, 4);  // one fill bit
    g.UB(0, 4);  // no line bits
    shapes[i]->WriteRecords(g, 1, 0);
    glyphBytes[i] = std::move(g.bytes);
    total += glyphBytes[i].size();
  }
  // Offsets count from the start of the offset table; they are 32-bit only when 16 bits
  // cannot reach the code table.
  bool wide = (n + 1) * 2 + total > 0xffff;
  size_t entry = wide ? 4 : 2;

  Writer w;
  w.U16(uint32_t(id));
  int f = (flags & (SWF_FONT_ISBOLD | SWF_FONT_ISITALIC | SWF_FONT_SMALLTEXT)) | SWF_FONT_HASLAYOUT |
          SWF_FONT_WIDECODES | (wide ? SWF_FONT_WIDEOFFSETS : 0);
  w.U8(uint32_t(f));
  w.U8(0);  // language: none
  std::string nm = name.substr(0, 255);
  w.U8(uint32_t(nm.size()));
  w.Bytes(reinterpret_cast<const uint8_t*>(nm.data()), nm.size());
  w.U16(uint32_t(n));
  if (n > 0) {
    size_t offset = (n + 1) * entry;
    for (size_t i = 0; i <= n; ++i) {
      if (wide)
        w.U32(uint32_t(offset));
      else
        w.U16(uint32_t(offset));
      if (i < n) offset += glyphBytes[i].size();
    }
    for (const auto& g : glyphBytes) w.Bytes(g);
    for (uint16_t c : codes) w.U16(c);
    w.U16(ClampU16(ascent));
    w.U16(ClampU16(descent));
    w.U16(uint16_t(ClampS16(leading)));
    for (int a : advances) w.U16(uint16_t(ClampS16(a)));
    for (const auto& s : shapes) WriteRect(w, s->edgeBounds);
    w.U16(0);  // no kerning pairs
  }
  WriteTag(ctx.tags, kTagDefineFont2, w.bytes, true);
  return id;
}

SWFFont newSWFFont() { return new SWFFont_s; }
void destroySWFFont(SWFFont font) {
  if (font) font->Release();
}
void SWFFont_setFlags(SWFFont font, int flags) {
  if (font) font->flags = flags;
}
void SWFFont_setName(SWFFont font, const char* name) {
  if (font) font->name = std::string(name ? name : "").substr(0, 255);
}
void SWFFont_setMetrics(SWFFont font, int ascent, int descent, int leading) {
  if (!font) return;
  font->ascent = ascent;
  font->descent = descent;
  font->leading = leading;
}

int SWFFont_addGlyph(SWFFont font, unsigned short code, SWFShape glyph, int advance) {
  if (!font || !glyph || !glyph->glyph) {
    SetLastError("no font or not a glyph shape");
    return -1;
  }
  auto it = std::lower_bound(font->codes.begin(), font->codes.end(), code);
  if (it != font->codes.end() && *it == code) return -1;
  if (font->codes.size() >= 0xffff) {
    SetLastError("font is full");
    return -1;
  }
  size_t i = size_t(it - font->codes.begin());
  font->codes.insert(it, code);
  font->shapes.insert(font->shapes.begin() + i, Ref<SWFShape_s>(glyph));
  font->advances.insert(font->advances.begin() + i, advance);
  return int(i);
}

int SWFFont_findGlyph(SWFFont font, unsigned short code) { return font ? font->Find(code) : -1; }
int SWFFont_getGlyphCount(SWFFont font) { return font ? int(font->codes.size()) : 0; }
void SWFFont_buildReverseMapping(SWFFont font) {
  // The table is kept sorted on insertion; nothing is left to build.
  (void)font;
}

SWFFontCollection newSWFFontCollection() { return new SWFFontCollection_s; }
void destroySWFFontCollection(SWFFontCollection collection) { delete collection; }
void SWFFontCollection_addFont(SWFFontCollection collection, SWFFont font) {
  if (collection && font) collection->fonts.push_back(Ref<SWFFont_s>(font));
}
int SWFFontCollection_getFontCount(SWFFontCollection collection) {
  return collection ? int(collection->fonts.size()) : 0;
}
SWFFont SWFFontCollection_getFont(SWFFontCollection collection, int index) {
  if (!collection || index < 0 || size_t(index) >= collection->fonts.size()) return nullptr;
  return collection->fonts[size_t(index)].get();
}

// ---- text ------------------------------------------------------------------------------------------

int SWFText_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  for (const Run& r : runs)
    if (r.font) r.font->Define(ctx);

  struct Glyph {
    uint32_t index;
    int32_t advance;
  };
  struct Out {
    bool setFont = false, setColor = false, setX = false, setY = false;
    int fontId = 0;
    uint16_t height = 0;
    uint8_t r = 0, g = 0, b = 0, a = 255;
    int32_t x = 0, y = 0;
    std::vector<Glyph> glyphs;
  };
  std::vector<Out> out;
  bool alpha = false;
  for (const Run& r : runs)
    if (r.a != 255) alpha = true;

  // Where the first string starts sets the text matrix, so that offsets stay within 16 bits.
  int32_t originX = 0, originY = 0;
  for (const Run& r : runs) {
    if (!r.moved) continue;
    if (r.x < -32768 || r.x > 32767 || r.y < -32768 || r.y > 32767) {
      originX = r.x;
      originY = r.y;
    }
    break;
  }

  const SWFFont_s* lastFont = nullptr;
  uint16_t lastHeight = 0;
  bool colorSet = false;
  uint8_t lr = 0, lg = 0, lb = 0, la = 0;
  bool pendingMove = false;
  int32_t moveX = 0, moveY = 0;
  int64_t penX = 0, penY = 0;
  Rect bounds;
  uint32_t maxIndex = 0;
  int advanceBits = 1;

  for (const Run& run : runs) {
    if (run.moved) {
      pendingMove = true;
      moveX = run.x;
      moveY = run.y;
    }
    std::vector<Glyph> glyphs;
    const SWFFont_s* font = run.font.get();
    for (size_t i = 0; font && i < run.codes.size(); ++i) {
      int idx = font->Find(run.codes[i]);
      if (idx < 0) continue;  // no glyph: left out
      int64_t adv = run.advances.empty()
                        ? std::llround(font->advances[size_t(idx)] * double(run.height) / 1024.0 + run.spacing)
                        : run.advances[i];
      glyphs.push_back({uint32_t(idx), int32_t(std::clamp<int64_t>(adv, -(1 << 30), 1 << 30))});
    }
    if (glyphs.empty()) continue;
    uint16_t height = ClampU16(run.height);
    for (size_t start = 0; start < glyphs.size(); start += 255) {
      Out o;
      if (start == 0) {
        if (font != lastFont || height != lastHeight) {
          o.setFont = true;
          o.fontId = ctx.IdOf(font);
          o.height = height;
          lastFont = font;
          lastHeight = height;
        }
        if (!colorSet || run.r != lr || run.g != lg || run.b != lb || run.a != la) {
          o.setColor = true;
          o.r = lr = run.r;
          o.g = lg = run.g;
          o.b = lb = run.b;
          o.a = la = run.a;
          colorSet = true;
        }
        if (pendingMove) {
          o.setX = o.setY = true;
          o.x = ClampS16(int64_t(moveX) - originX);
          o.y = ClampS16(int64_t(moveY) - originY);
          penX = int64_t(o.x) + originX;
          penY = int64_t(o.y) + originY;
          pendingMove = false;
        }
      }
      size_t end = std::min(glyphs.size(), start + 255);
      o.glyphs.assign(glyphs.begin() + long(start), glyphs.begin() + long(end));
      for (const Glyph& g : o.glyphs) {
        maxIndex = std::max(maxIndex, g.index);
        advanceBits = std::max(advanceBits, SBits(g.advance));
        const Rect& gb = font->shapes[g.index]->edgeBounds;
        if (!gb.empty) {
          double k = double(height) / 1024.0;
          bounds.Add(penX + std::llround(std::floor(gb.xmin * k)), penY + std::llround(std::floor(gb.ymin * k)));
          bounds.Add(penX + std::llround(std::ceil(gb.xmax * k)), penY + std::llround(std::ceil(gb.ymax * k)));
        }
        penX += g.advance;
      }
      out.push_back(std::move(o));
    }
  }

  int id = ctx.NewId(this);
  Writer w;
  w.U16(uint32_t(id));
  WriteRect(w, bounds);
  Matrix m;
  m.tx = originX;
  m.ty = originY;
  WriteMatrix(w, m);
  int glyphBits = std::max(1, UBits(maxIndex));
  w.U8(uint32_t(glyphBits));
  w.U8(uint32_t(advanceBits));
  for (const Out& o : out) {
    w.U8(0x80u | (o.setFont ? 0x08u : 0) | (o.setColor ? 0x04u : 0) | (o.setY ? 0x02u : 0) |
         (o.setX ? 0x01u : 0));
    if (o.setFont) w.U16(uint32_t(o.fontId));
    if (o.setColor) {
      w.U8(o.r);
      w.U8(o.g);
      w.U8(o.b);
      if (alpha) w.U8(o.a);
    }
    if (o.setX) w.U16(uint16_t(int16_t(o.x)));
    if (o.setY) w.U16(uint16_t(int16_t(o.y)));
    if (o.setFont) w.U16(o.height);
    w.U8(uint32_t(o.glyphs.size()));
    for (const Glyph& g : o.glyphs) {
      w.UB(g.index, glyphBits);
      w.SB(g.advance, advanceBits);
    }
    w.Align();
  }
  w.U8(0);  // end of records
  WriteTag(ctx.tags, alpha ? kTagDefineText2 : kTagDefineText, w.bytes);
  return id;
}

SWFText newSWFText() { return new SWFText_s; }
void destroySWFText(SWFText text) {
  if (text) text->Release();
}
void SWFText_setFont(SWFText text, SWFFont font) {
  if (text) text->font = Ref<SWFFont_s>(font);
}
void SWFText_setColor(SWFText text, int r, int g, int b, int a) {
  if (!text) return;
  text->r = uint8_t(r);
  text->g = uint8_t(g);
  text->b = uint8_t(b);
  text->a = uint8_t(a);
}
void SWFText_setHeight(SWFText text, double height) {
  if (text) text->height = std::clamp(ToTwips(height), 0, 0xffff);
}
void SWFText_setSpacing(SWFText text, double spacing) {
  if (text) text->spacing = ToTwips(spacing);
}
void SWFText_moveTo(SWFText text, double x, double y) {
  if (!text) return;
  text->moved = true;
  text->x = ToTwips(x);
  text->y = ToTwips(y);
}

void SWFText_addWideString(SWFText text, const unsigned short* string, int length,
                           const int* advances) {
  if (!text || !string || length <= 0) return;
  SWFText_s::Run run{text->font, text->r, text->g, text->b, text->a, text->height,
                     text->spacing, text->moved, text->x, text->y, {}, {}};
  run.codes.assign(string, string + length);
  if (advances) run.advances.assign(advances, advances + length);
  text->runs.push_back(std::move(run));
  text->moved = false;
}

void SWFText_addWideString(SWFText text, const char16_t* string, int length, const int* advances) {
  SWFText_addWideString(text, reinterpret_cast<const unsigned short*>(string), length, advances);
}
