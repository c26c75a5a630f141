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
  }
  // The layout follows even without glyphs: the flag announces it and players read it.
  w.U16(ClampU16(ascent));
  w.U16(ClampU16(descent));
  w.U16(uint16_t(ClampS16(leading)));
  for (int a : advances) w.U16(uint16_t(ClampS16(a)));
  for (const auto& s : shapes) WriteRect(w, s->edgeBounds);
  w.U16(0);  // no kerning pairs
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

namespace {

bool FitsS16(int64_t v) { return v >= -32768 && v <= 32767; }

// Runs [begin, end) of a text written as one DefineText whose matrix moves to the origin; every
// moved run of the part lies within 16 bits of it.
struct TextPart {
  size_t begin = 0, end = 0;
  int32_t originX = 0, originY = 0;
};

// Splits the runs where a moved run lies out of 16-bit reach of the current part's origin. The
// first moved run of a part sets its origin when it cannot be reached from (0, 0).
std::vector<TextPart> SplitText(const std::vector<SWFText_s::Run>& runs) {
  std::vector<TextPart> parts;
  TextPart cur;
  bool placed = false;
  for (size_t i = 0; i < runs.size(); ++i) {
    const SWFText_s::Run& r = runs[i];
    if (!r.moved) continue;
    if (placed && FitsS16(int64_t(r.x) - cur.originX) && FitsS16(int64_t(r.y) - cur.originY)) continue;
    if (placed) {
      cur.end = i;
      parts.push_back(cur);
      cur = TextPart{i, 0, 0, 0};
    }
    if (!FitsS16(r.x) || !FitsS16(r.y)) {
      cur.originX = r.x;
      cur.originY = r.y;
    }
    placed = true;
  }
  cur.end = runs.size();
  parts.push_back(cur);
  return parts;
}

// Writes the DefineText or DefineText2 tag of one part. A part that draws no glyph is left out
// when skipEmpty is set; returns whether the tag was written.
bool WriteTextPart(const std::vector<SWFText_s::Run>& runs, const TextPart& part, SaveContext& ctx,
                   int id, bool skipEmpty) {
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
  for (size_t i = part.begin; i < part.end; ++i)
    if (runs[i].a != 255) alpha = true;
  const int32_t originX = part.originX, originY = part.originY;

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

  for (size_t ri = part.begin; ri < part.end; ++ri) {
    const SWFText_s::Run& run = runs[ri];
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
          // Within reach of the origin: SplitText started a new part for any move that is not.
          o.setX = o.setY = true;
          o.x = int32_t(moveX) - originX;
          o.y = int32_t(moveY) - originY;
          penX = moveX;
          penY = moveY;
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
  if (out.empty() && skipEmpty) return false;

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
  return true;
}

}  // namespace

int SWFText_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  for (const Run& r : runs)
    if (r.font) r.font->Define(ctx);

  // Text offsets are 16-bit twips (about 1,638 px) from the text's origin. A text whose runs lie
  // farther apart is written as several texts, each with its own origin, placed together in a
  // clip that stands for the whole.
  std::vector<TextPart> parts = SplitText(runs);
  if (parts.size() == 1) {
    int id = ctx.NewId(this);
    WriteTextPart(runs, parts[0], ctx, id, false);
    return id;
  }
  std::vector<int> ids;
  for (const TextPart& part : parts) {
    int id = ctx.NewAnonymousId();  // stays unused when the part draws nothing
    if (WriteTextPart(runs, part, ctx, id, true)) ids.push_back(id);
  }
  Writer control;
  for (size_t i = 0; i < ids.size(); ++i) {
    Writer place;
    place.U8(0x02);  // a character, at the clip's origin
    place.U16(uint32_t(i + 1));
    place.U16(uint32_t(ids[i]));
    WriteTag(control, kTagPlaceObject2, place.bytes);
  }
  WriteTag(control, kTagShowFrame, {});
  WriteTag(control, kTagEnd, {});
  int id = ctx.NewId(this);
  Writer w;
  w.U16(uint32_t(id));
  w.U16(1);  // one frame
  w.Bytes(control.bytes);
  WriteTag(ctx.tags, kTagDefineSprite, w.bytes);
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

// ---- text fields ------------------------------------------------------------------------------

int SWFTextField_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  const int fontId = font ? font->Define(ctx) : 0;
  const int id = ctx.NewId(this);
  Writer w;
  w.U16(uint32_t(id));
  Rect bounds;
  bounds.Add(0, 0);
  bounds.Add(width, height);
  WriteRect(w, bounds);
  // First byte: HasText, WordWrap, Multiline, Password, ReadOnly, HasTextColor, HasMaxLength,
  // HasFont; second: HasFontClass, AutoSize, HasLayout, NoSelect, Border, WasStatic, HTML,
  // UseOutlines.
  uint32_t first = uint32_t(flags) & 0x78;
  if (!text.empty()) first |= 0x80;
  first |= 0x04;  // colour
  if (fontId) first |= 0x01;
  uint32_t second = (uint32_t(flags) >> 8) & 0x5b;
  second |= 0x20;  // layout
  w.U8(first);
  w.U8(second);
  if (fontId) {
    w.U16(uint32_t(fontId));
    w.U16(uint32_t(fontHeight));
  }
  w.U8(r);
  w.U8(g);
  w.U8(b);
  w.U8(a);
  w.U8(uint32_t(alignment));
  w.U16(0);  // left margin
  w.U16(0);  // right margin
  w.U16(0);  // indent
  w.U16(0);  // leading
  w.String("");  // no variable
  if (!text.empty()) w.String(text);
  WriteTag(ctx.tags, kTagDefineEditText, w.bytes);
  return id;
}

SWFTextField newSWFTextField() { return new SWFTextField_s; }
void destroySWFTextField(SWFTextField field) {
  if (field) field->Release();
}
void SWFTextField_setFont(SWFTextField field, SWFFont font) {
  if (field) field->font = Ref<SWFFont_s>(font);
}
void SWFTextField_setBounds(SWFTextField field, double width, double height) {
  if (!field) return;
  field->width = std::max(0, ToTwips(width));
  field->height = std::max(0, ToTwips(height));
}
void SWFTextField_setHeight(SWFTextField field, double height) {
  if (field) field->fontHeight = std::clamp(ToTwips(height), 0, 0xffff);
}
void SWFTextField_setColor(SWFTextField field, int r, int g, int b, int a) {
  if (!field) return;
  field->r = uint8_t(r);
  field->g = uint8_t(g);
  field->b = uint8_t(b);
  field->a = uint8_t(a);
}
void SWFTextField_setAlignment(SWFTextField field, SWFTextFieldAlignment alignment) {
  if (field) field->alignment = std::clamp(int(alignment), 0, 3);
}
void SWFTextField_setFlags(SWFTextField field, int flags) {
  if (field) field->flags = flags;
}
void SWFTextField_addString(SWFTextField field, const char* text) {
  if (!field || !text) return;
  field->text += text;
  // The tag ends the text at its first zero byte; nothing more can follow one.
  field->text.erase(std::find(field->text.begin(), field->text.end(), '\0'), field->text.end());
}
