// Texts of the page movies: static SWF text whose fonts carry the outlines the editor draws the
// characters with (the text engine's glyphs, emboldened for bold characters), so a page shows its
// fonts without any font on the reader's machine and stays sharp at any zoom.
#include "flarewing/FlipBook.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <glyphweave/AccessTextsOutline.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <glyphweave/CharsFontDesc.h>
#include <glyphweave/EditableTextObj.h>
#include <swf/ming.h>
#include <vectorloom/TransMatrix.h>
#include <win32/lwstr.h>

namespace QorSWFExportingLib {

using GlyphweaveLib::_CharsFontDesc;
using GlyphweaveLib::CCharacterGlyphRes;
using GlyphweaveLib::CCharacterItem;
using Vectorloom::CQorTransMatrix;

namespace {

constexpr float kPointsPerPixel = 0.7518797f;
constexpr float kBoldStrength = 24.0f;  // as the editor emboldens bold characters (glyph units)
constexpr int kGlyphCubicThreshold = 3;

bool Finite(float v) { return std::isfinite(v); }

// A glyph outline (reference units, y down) as an SWF glyph shape; null when it has no points or
// a point that is not finite.
SWFShape GlyphShape(const Gdiplus::GraphicsPath& path) {
  const int n = path.GetPointCount();
  if (n <= 0) return nullptr;
  std::vector<Gdiplus::PointF> pts(static_cast<size_t>(n));
  std::vector<BYTE> types(static_cast<size_t>(n));
  if (path.GetPathPoints(pts.data(), n) != Gdiplus::Ok || path.GetPathTypes(types.data(), n) != Gdiplus::Ok) return nullptr;
  for (const Gdiplus::PointF& p : pts)
    if (!Finite(p.X) || !Finite(p.Y) || std::fabs(p.X) > 30000 || std::fabs(p.Y) > 30000) return nullptr;
  SWFShape shape = newSWFGlyphShape();
  if (!shape) return nullptr;
  // Cubic pieces are replaced by quadratics within 3 reference units (1/455 of the em): at 400 %
  // a 48 pt glyph strays at most about half a pixel.
  Ming_setCubicThreshold(kGlyphCubicThreshold);
  Gdiplus::PointF start, pen;
  bool open = false;
  auto close = [&] {
    if (open && (pen.X != start.X || pen.Y != start.Y)) SWFShape_drawScaledLineTo(shape, start.X, start.Y);
    open = false;
  };
  for (int i = 0; i < n; ++i) {
    const int kind = types[static_cast<size_t>(i)] & Gdiplus::PathPointTypePathTypeMask;
    int last = i;
    if (kind == Gdiplus::PathPointTypeStart) {
      close();
      SWFShape_moveScaledPenTo(shape, pts[i].X, pts[i].Y);
      start = pen = pts[i];
      open = true;
    } else if (kind == Gdiplus::PathPointTypeBezier && i + 2 < n) {
      SWFShape_drawScaledCubicTo(shape, pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y, pts[i + 2].X, pts[i + 2].Y);
      pen = pts[i + 2];
      last = i + 2;
    } else {
      SWFShape_drawScaledLineTo(shape, pts[i].X, pts[i].Y);
      pen = pts[i];
    }
    if ((types[static_cast<size_t>(last)] & Gdiplus::PathPointTypeCloseSubpath) != 0) close();
    i = last;
  }
  close();  // glyphs are filled: every contour ends where it started
  return shape;
}

// What places a character's glyph: the text item's matrix part (x stretch and slant over the
// glyph height, and the sign of y) and the glyph's height.
struct Placement {
  float ratio = 1, slant = 0, ySign = 1;  // item matrix [ratio slant; 0 ySign]
  float height = 0;                        // pixels of text space a 1024-unit em takes
  float x = 0, y = 0;                      // the glyph origin before the item matrix
  bool SameItem(const Placement& o) const { return ratio == o.ratio && slant == o.slant && ySign == o.ySign; }
};

// The character's placement from the matrix the editor draws its glyph with; false when the
// glyph cannot be placed by a text item (turned, flat or not finite).
bool PlaceCharacter(const CCharacterItem& c, Placement* p) {
  Gdiplus::Matrix m;
  c.GetGdiplusTransMatrix(m);
  const float* e = m.LwElements();  // x' = e0 x + e2 y + e4, y' = e1 x + e3 y + e5
  for (int i = 0; i < 6; ++i)
    if (!Finite(e[i])) return false;
  if (e[1] != 0 || e[0] == 0 || e[3] == 0) return false;
  const float hd = std::fabs(e[3]);
  p->height = hd * 1024.0f;
  p->ratio = e[0] / hd;
  p->slant = e[2] / hd;
  p->ySign = e[3] > 0 ? 1.0f : -1.0f;
  p->y = e[5] * p->ySign;
  p->x = (e[4] - p->slant * p->y) / p->ratio;
  return Finite(p->height) && Finite(p->x) && Finite(p->y) && Finite(p->ratio) && Finite(p->slant);
}

}  // namespace

// ---- fonts of a page ------------------------------------------------------------------------------

PageFonts::~PageFonts() {
  for (auto& entry : m_fonts)
    for (SWFFont f : entry.second) destroySWFFont(f);
}

SWFFont PageFonts::FontFor(const _CharsFontDesc& desc, bool bold, char16_t code, const CCharacterGlyphRes* glyph) {
  std::vector<SWFFont>& list = m_fonts[{desc, bold}];
  for (SWFFont f : list)
    if (SWFFont_findGlyph(f, code) >= 0) return f;
  if (!glyph) return nullptr;
  const Gdiplus::GraphicsPath* outline = glyph->GetGlyphPathDataPointer();
  Gdiplus::GraphicsPath emboldened;
  if (bold && GlyphweaveLib::EmboldenOutlineXY(*outline, emboldened, kBoldStrength, kBoldStrength) == 1 &&
      emboldened.GetPointCount() > 0)
    outline = &emboldened;
  SWFShape shape = GlyphShape(*outline);
  if (!shape) return nullptr;  // no outline: the character is left out
  if (list.empty() || SWFFont_getGlyphCount(list.back()) >= kGlyphsPerFont) {
    SWFFont font = newSWFFont();
    if (!font) {
      destroySWFShape(shape);
      return nullptr;
    }
    SWFFont_setFlags(font, SWF_FONT_HASLAYOUT | SWF_FONT_WIDECODES | (bold ? SWF_FONT_ISBOLD : 0));
    const std::wstring face = desc.GetFontFaceNameW();
    SWFFont_setName(font, face.empty() ? "Unknown Font" : lw::WideToUtf8(face).c_str());
    auto unit = [](float v) { return Finite(v) ? static_cast<int>(std::clamp(v, -32767.0f, 32767.0f)) : 0; };
    SWFFont_setMetrics(font, unit(glyph->GetCharsAscent()), unit(glyph->GetCharsDescent()),
                       unit(glyph->GetCharsExternalLeading()));
    list.push_back(font);
  }
  const float inc = glyph->GetReferIncx();
  const int advance = Finite(inc) ? static_cast<int>(std::clamp(inc, -32767.0f, 32767.0f)) : 0;
  const int added = SWFFont_addGlyph(list.back(), code, shape, advance);
  destroySWFShape(shape);
  return added >= 0 ? list.back() : nullptr;
}

// ---- texts ----------------------------------------------------------------------------------------

namespace {

struct PendingRecord {
  SWFFont font = nullptr;
  COLORREF color = 0;
  int alpha = 255;
  Placement first;
  std::vector<char16_t> codes;
  std::vector<float> xs;  // glyph origins before the item matrix
};

class TextWriter {
 public:
  TextWriter(SWFMovieClip clip, const CQorTransMatrix& objMatrix) : m_clip(clip), m_obj(objMatrix) {}
  ~TextWriter() { CloseItem(); }

  void Add(SWFFont font, const CCharacterItem& c, const Placement& p) {
    const int alpha = 255 - c.GetFilledTransparency();
    // A new slant or width ratio needs a text matrix of its own: what is pending or open goes
    // out with the old one.
    if ((m_item || !m_pending.codes.empty()) && !m_look.SameItem(p)) CloseItem();
    if (!m_pending.codes.empty() &&
        (font != m_pending.font || c.GetRenderColor() != m_pending.color || alpha != m_pending.alpha ||
         p.height != m_pending.first.height || p.y != m_pending.first.y))
      Flush();
    if (m_pending.codes.empty()) {
      m_pending.font = font;
      m_pending.color = c.GetRenderColor();
      m_pending.alpha = alpha;
      m_pending.first = p;
    }
    m_look = p;
    m_pending.codes.push_back(c.GetCharacter());
    m_pending.xs.push_back(p.x);
    m_lastAdvance = c.GetIncreaseDeltaX();
  }

  // A character that is not written (blank, line break, no glyph) ends the record.
  void Break() { Flush(); }
  void EndRow() { CloseItem(); }
  int Items() const { return m_items; }

 private:
  void Flush() {
    if (m_pending.codes.empty()) return;
    if (!m_item) m_item = newSWFText();
    const PendingRecord& r = m_pending;
    SWFText_setFont(m_item, r.font);
    SWFText_setColor(m_item, GetRValue(r.color), GetGValue(r.color), GetBValue(r.color), r.alpha);
    SWFText_setHeight(m_item, r.first.height);
    SWFText_moveTo(m_item, r.first.x, r.first.y);
    // Each glyph where layout put it: advances are the distances between the origins.
    std::vector<int> advances(r.codes.size());
    for (size_t i = 0; i < r.codes.size(); ++i) {
      const float next = i + 1 < r.xs.size() ? r.xs[i + 1] : r.xs[i] + m_lastAdvance / r.first.ratio;
      const double tw = std::round((next - r.xs[i]) * 20.0);
      advances[i] = static_cast<int>(std::clamp(Finite(static_cast<float>(tw)) ? tw : 0.0, -1e6, 1e6));
    }
    SWFText_addWideString(m_item, r.codes.data(), static_cast<int>(r.codes.size()), advances.data());
    m_pending = PendingRecord{};
  }

  void CloseItem() {
    Flush();
    if (!m_item) return;
    const CQorTransMatrix m = CQorTransMatrix(m_look.ratio, 0, m_look.slant, m_look.ySign, 0, 0) * m_obj *
                              CQorTransMatrix::Scale(kPointsPerPixel, kPointsPerPixel);
    SWFDisplayItem item = SWFMovieClip_add(m_clip, m_item);
    if (item) SWFDisplayItem_setMatrix(item, m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
    destroySWFText(m_item);
    m_item = nullptr;
    ++m_items;
  }

  SWFMovieClip m_clip;
  CQorTransMatrix m_obj;
  SWFText m_item = nullptr;
  Placement m_look;
  PendingRecord m_pending;
  float m_lastAdvance = 0;
  int m_items = 0;
};

// Underlines and strike-outs, drawn as the editor draws them: a line per character in text space
// (its width a tenth, or a thirtieth, of the character's height, square ends), lines of
// neighbouring characters on the same height and in the same colour joined into one bar.
class DecorationWriter {
 public:
  DecorationWriter(SWFMovieClip clip, const CQorTransMatrix& objMatrix) : m_clip(clip), m_obj(objMatrix) {}
  ~DecorationWriter() { Flush(); }

  void Add(const CCharacterItem& c) {
    const CCharacterGlyphRes* glyph = c.GetCharGlyphPath();
    if (!glyph || (!c.IsFillInside() && !c.IsStrokeOutline()) || (!c.HasUnderline() && !c.HasStrikeOut())) return;
    const float scale = c.GetFontPointSize() / 1024.0f * c.GetCharYScale() * (c.GetShowAsScriptFlag() ? 2.0f / 3.0f : 1.0f);
    const float shift = c.GetTotalLineShift();
    const float a = glyph->GetCharsAscent() * scale - shift;
    const float d = glyph->GetCharsDescent() * scale + shift;
    const float e = glyph->GetCharsExternalLeading() * scale;
    const float x0 = c.GetCharOffset().x, y = c.GetCharOffset().y, x1 = x0 + c.GetIncreaseDeltaX();
    const COLORREF color = c.GetRenderColor();
    const int alpha = 255 - c.GetStrokeTransparency();
    if (c.HasUnderline() && (a + d) / 10.0f > 0.0f) Line(0, x0, x1, y + d + e / 2.0f, (a + d) / 10.0f, color, alpha);
    if (c.HasStrikeOut() && (a + d) / 30.0f > 0.0f) Line(1, x0, x1, y - a + 0.6f * (a + d), (a + d) / 30.0f, color, alpha);
  }

 private:
  struct Bar {
    float left, right, y, width;
    COLORREF color;
    int alpha;
  };

  void Line(int kind, float x0, float x1, float y, float width, COLORREF color, int alpha) {
    if (!Finite(x0) || !Finite(x1) || !Finite(y) || !Finite(width)) return;
    Bar& open = m_open[kind];
    const bool joins = m_has[kind] && open.y == y && open.width == width && open.color == color &&
                       open.alpha == alpha && x0 - width / 2 <= open.right + width / 2 &&
                       x1 + width / 2 >= open.left - width / 2;
    if (joins) {
      open.left = std::min(open.left, x0 - width / 2);
      open.right = std::max(open.right, x1 + width / 2);
      return;
    }
    if (m_has[kind]) m_bars.push_back(open);
    open = {std::min(x0, x1) - width / 2, std::max(x0, x1) + width / 2, y, width, color, alpha};
    m_has[kind] = true;
  }

  void Flush() {
    for (int k = 0; k < 2; ++k)
      if (m_has[k]) m_bars.push_back(m_open[k]), m_has[k] = false;
    for (const Bar& b : m_bars) {
      const float top = b.y - b.width / 2, bottom = b.y + b.width / 2;
      const float s = ShapeDrawScale(std::max({std::fabs(b.left), std::fabs(b.right), std::fabs(top), std::fabs(bottom)}));
      if (s <= 0) continue;
      SWFShape shape = newSWFShape();
      SWFShape_useVersion(shape, 4);
      SWFFillStyle style = newSWFSolidFillStyle(GetRValue(b.color), GetGValue(b.color), GetBValue(b.color), b.alpha);
      SWFFill fill = newSWFFill(style);
      destroySWFFillStyle(style);
      SWFShape_setRightFill(shape, fill);
      destroySWFFill(fill);
      SWFShape_movePenTo(shape, b.left * s, top * s);
      SWFShape_drawLineTo(shape, b.right * s, top * s);
      SWFShape_drawLineTo(shape, b.right * s, bottom * s);
      SWFShape_drawLineTo(shape, b.left * s, bottom * s);
      SWFShape_drawLineTo(shape, b.left * s, top * s);
      const CQorTransMatrix m = CQorTransMatrix::Scale(1.0f / s, 1.0f / s) * m_obj *
                                CQorTransMatrix::Scale(kPointsPerPixel, kPointsPerPixel);
      if (SWFDisplayItem item = SWFMovieClip_add(m_clip, shape))
        SWFDisplayItem_setMatrix(item, m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
      destroySWFShape(shape);
    }
    m_bars.clear();
  }

  SWFMovieClip m_clip;
  CQorTransMatrix m_obj;
  Bar m_open[2]{};
  bool m_has[2] = {false, false};
  std::vector<Bar> m_bars;
};

// Characters whose outline is stroked: a text record only fills its glyphs, so each stroked
// glyph goes out as its outline (emboldened like the editor's for bold characters), placed by the
// character's matrix in text space and drawn with the editor's pen (one glyph unit wide, round
// joins and caps) in the stroke colour; neighbouring characters of one colour share a shape.
class OutlineWriter {
 public:
  OutlineWriter(SWFMovieClip clip, const CQorTransMatrix& objMatrix) : m_clip(clip), m_obj(objMatrix) {}
  ~OutlineWriter() { Flush(); }

  void Add(const CCharacterItem& c, const CCharacterGlyphRes& glyph) {
    const Gdiplus::GraphicsPath* outline = glyph.GetGlyphPathDataPointer();
    Gdiplus::GraphicsPath bold;
    if (c.IsBold() && GlyphweaveLib::EmboldenOutlineXY(*outline, bold, kBoldStrength, kBoldStrength) == 1 &&
        bold.GetPointCount() > 0)
      outline = &bold;
    Gdiplus::Matrix m;
    c.GetGdiplusTransMatrix(m);
    const float* e = m.LwElements();
    const float width = std::sqrt(std::fabs(e[0] * e[3] - e[1] * e[2]));
    const int n = outline->GetPointCount();
    if (n <= 0 || !Finite(width)) return;
    Glyph g;
    g.pts.resize(static_cast<size_t>(n));
    g.types.resize(static_cast<size_t>(n));
    if (outline->GetPathPoints(g.pts.data(), n) != Gdiplus::Ok || outline->GetPathTypes(g.types.data(), n) != Gdiplus::Ok)
      return;
    for (Gdiplus::PointF& p : g.pts) {
      const float x = p.X, y = p.Y;
      p.X = e[0] * x + e[2] * y + e[4];
      p.Y = e[1] * x + e[3] * y + e[5];
      if (!Finite(p.X) || !Finite(p.Y)) return;
    }
    const COLORREF color = c.GetStrokedColor();
    const int alpha = 255 - c.GetStrokeTransparency();
    if (!m_glyphs.empty() && (color != m_color || alpha != m_alpha || width != m_width)) Flush();
    m_color = color, m_alpha = alpha, m_width = width;
    m_glyphs.push_back(std::move(g));
  }

  void Flush() {
    if (m_glyphs.empty()) return;
    float extent = 0;
    for (const Glyph& g : m_glyphs)
      for (const Gdiplus::PointF& p : g.pts) extent = std::max({extent, std::fabs(p.X), std::fabs(p.Y)});
    const float s = ShapeDrawScale(extent);
    if (s > 0) {
      SWFShape shape = newSWFShape();
      SWFShape_useVersion(shape, 4);
      const float twips = m_width * s * 20.0f;
      SWFShape_setLineTwips(shape, static_cast<int>(std::clamp(std::lround(twips), 1L, 65535L)), GetRValue(m_color),
                            GetGValue(m_color), GetBValue(m_color), m_alpha, SWF_LINE_CAP_ROUND, SWF_LINE_CAP_ROUND,
                            SWF_LINE_JOIN_ROUND);
      Ming_setCubicThreshold(kGlyphCubicThreshold);
      for (const Glyph& g : m_glyphs) Draw(shape, g, s);
      const CQorTransMatrix m = CQorTransMatrix::Scale(1.0f / s, 1.0f / s) * m_obj *
                                CQorTransMatrix::Scale(kPointsPerPixel, kPointsPerPixel);
      if (SWFDisplayItem item = SWFMovieClip_add(m_clip, shape))
        SWFDisplayItem_setMatrix(item, m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
      destroySWFShape(shape);
      ++m_shapes;
    }
    m_glyphs.clear();
  }
  int Shapes() const { return m_shapes; }

 private:
  struct Glyph {
    std::vector<Gdiplus::PointF> pts;
    std::vector<BYTE> types;
  };

  static void Draw(SWFShape shape, const Glyph& g, float s) {
    const size_t n = g.pts.size();
    Gdiplus::PointF start, pen;
    bool open = false;
    auto close = [&] {
      if (open && (pen.X != start.X || pen.Y != start.Y)) SWFShape_drawLineTo(shape, start.X * s, start.Y * s);
      open = false;
    };
    for (size_t i = 0; i < n; ++i) {
      const int kind = g.types[i] & Gdiplus::PathPointTypePathTypeMask;
      size_t last = i;
      const Gdiplus::PointF& p = g.pts[i];
      if (kind == Gdiplus::PathPointTypeStart) {
        close();
        SWFShape_movePenTo(shape, p.X * s, p.Y * s);
        start = pen = p;
        open = true;
      } else if (kind == Gdiplus::PathPointTypeBezier && i + 2 < n) {
        SWFShape_drawCubicTo(shape, p.X * s, p.Y * s, g.pts[i + 1].X * s, g.pts[i + 1].Y * s, g.pts[i + 2].X * s,
                             g.pts[i + 2].Y * s);
        pen = g.pts[i + 2];
        last = i + 2;
      } else {
        SWFShape_drawLineTo(shape, p.X * s, p.Y * s);
        pen = p;
      }
      if ((g.types[last] & Gdiplus::PathPointTypeCloseSubpath) != 0) close();
      i = last;
    }
    close();  // glyph contours are closed figures
  }

  SWFMovieClip m_clip;
  CQorTransMatrix m_obj;
  std::vector<Glyph> m_glyphs;
  COLORREF m_color = 0;
  int m_alpha = 255;
  float m_width = 0;
  int m_shapes = 0;
};

}  // namespace

int AddTextToClip(SWFMovieClip clip, GlyphweaveLib::CEditableTextObj& text, const CQorTransMatrix& objMatrix,
                  PageFonts& fonts, const GlyphweaveLib::CEmbedFontResManager* embedded,
                  GlyphweaveLib::CFontCacheManager* cache) {
  if (!clip) return 0;
  const CQorTransMatrix check = objMatrix;
  if (!Finite(check.m11) || !Finite(check.m12) || !Finite(check.m21) || !Finite(check.m22) || !Finite(check.dx) ||
      !Finite(check.dy))
    return 0;
  GlyphweaveLib::CArrayOfTextCharacters& chars = text.GetArrayOfTextCharacters();
  const auto& rows = text.GetParagraphsLinesInfo();
  const auto& runs = text.GetFontRuns();
  if (chars.empty() || rows.GetSize() == 0) return 0;
  bool missing = false;
  for (const CCharacterItem& c : chars)
    if (!c.GetCharGlyphPath() && c.GetCharacter() != 13 && c.GetCharacter() != 10) missing = true;
  if (missing && embedded && cache) text.BuildAllGlypths(embedded, cache);

  // The font description of each character, from the runs.
  std::vector<const _CharsFontDesc*> fontOf(chars.size(), nullptr);
  {
    size_t at = 0;
    for (int r = 0; r < runs.GetSize() && at < chars.size(); ++r)
      for (uint32_t k = 0; k < runs.GetAt(r).m_nLength && at < chars.size(); ++k) fontOf[at++] = &runs.GetAt(r).m_FontDesc;
  }

  TextWriter writer(clip, objMatrix);
  DecorationWriter decorations(clip, objMatrix);
  OutlineWriter outlines(clip, objMatrix);
  size_t rowStart = 0;
  for (int row = 0; row < rows.GetSize() && rowStart < chars.size(); ++row) {
    const size_t rowEnd = std::min(chars.size(), rowStart + rows.GetAt(row).m_nCharCount);
    for (size_t i = rowStart; i < rowEnd; ++i) {
      const CCharacterItem& c = chars[i];
      const char16_t code = c.GetCharacter();
      decorations.Add(c);
      const CCharacterGlyphRes* glyph = c.GetCharGlyphPath();
      // A part of a ligature shows its own letter.
      if (glyph && glyph->IsLigaturePart()) glyph = glyph->GetPlainGlyph();
      const bool drawn = code != 13 && code != 10 && glyph && glyph->GetGlyphPathDataPointer()->GetPointCount() > 0;
      // The stroke, where the character has one, is drawn over the fill, as the editor draws it.
      if (drawn && c.IsStrokeOutline()) outlines.Add(c, *glyph);
      Placement p;
      if (!drawn || !c.IsFillInside() || !fontOf[i] || !PlaceCharacter(c, &p)) {
        writer.Break();
        continue;
      }
      SWFFont font = fonts.FontFor(*fontOf[i], c.IsBold() != 0, code, glyph);
      if (!font) {
        writer.Break();  // no outline could be made: the character is left out
        continue;
      }
      writer.Add(font, c, p);
    }
    writer.EndRow();
    outlines.Flush();
    rowStart = rowEnd;
  }
  writer.EndRow();
  outlines.Flush();
  return writer.Items() + outlines.Shapes();
}

}  // namespace QorSWFExportingLib
