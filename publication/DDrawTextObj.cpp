#include "quirebook/DDrawTextObj.h"

namespace Quirebook {

void CDDrawTextObj::ResizeObject(const Vectorloom::CQorVectorRect<float>& rect) {
  m_szLayoutBox = {rect.right - rect.left, rect.bottom - rect.top};
  SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(rect.left, rect.top) * GetTransMatrix(), false);
  RecalcuLayout(0);
}

void CDDrawTextObj::ScaleLengthParam(const float& sx, const float& sy) {
  CDDrawTextObjT<Vectorloom::CRenderBaseObj>::ScaleLengthParam(sx, sy);
  m_szLayoutBox.cx *= sx;
  m_szLayoutBox.cy *= sy;
}

}  // namespace Quirebook

#include <glyphweave/AccessTextsOutline.h>
#include <glyphweave/CharacterGlyphRes.h>

namespace Quirebook {

namespace {

constexpr float kScriptFactor = 0.6666667f;
constexpr float kBoldStrength = 24.0f;  // sqrt(1024) x 0.75 in glyph units

Gdiplus::Color ColorOf(COLORREF c, BYTE transparency) {
  return Gdiplus::Color(static_cast<BYTE>(255 - transparency), GetRValue(c), GetGValue(c), GetBValue(c));
}

Gdiplus::Matrix ToGdiplus(const Vectorloom::CQorTransMatrix& m) {
  return Gdiplus::Matrix(m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
}

void DrawCharacter(const GlyphweaveLib::CCharacterItem& c, const Gdiplus::Matrix& textToDevice,
                   Gdiplus::Graphics* graphics) {
  GlyphweaveLib::CCharacterGlyphRes* glyph = c.GetCharGlyphPath();
  if (!glyph || (!c.IsFillInside() && !c.IsStrokeOutline())) return;

  Gdiplus::Matrix world;
  c.GetGdiplusTransMatrix(world);
  world.Multiply(&textToDevice, Gdiplus::MatrixOrderAppend);
  graphics->SetTransform(&world);

  const Gdiplus::GraphicsPath* outline = glyph->GetGlyphPathDataPointer();
  Gdiplus::GraphicsPath bold;
  if (c.IsBold() != 0 && GlyphweaveLib::EmboldenOutlineXY(*outline, bold, kBoldStrength, kBoldStrength) == 1 &&
      bold.GetPointCount() > 0)
    outline = &bold;
  if (c.IsFillInside()) {
    Gdiplus::SolidBrush brush(ColorOf(c.GetRenderColor(), c.GetFilledTransparency()));
    graphics->FillPath(&brush, outline);
  }
  if (c.IsStrokeOutline()) {
    Gdiplus::Pen pen(ColorOf(c.GetStrokedColor(), c.GetStrokeTransparency()), 1.0f);
    pen.SetLineJoin(Gdiplus::LineJoinRound);
    pen.SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::DashCapRound);
    graphics->DrawPath(&pen, outline);
  }

  if (!c.HasUnderline() && !c.HasStrikeOut()) return;
  // Line metrics in text units from the glyph's font, scaled like the character.
  const float scale = c.GetFontPointSize() / 1024.0f * c.GetCharYScale() * (c.GetShowAsScriptFlag() ? kScriptFactor : 1.0f);
  const float shift = c.GetTotalLineShift();
  const float a = glyph->GetCharsAscent() * scale - shift;
  const float d = glyph->GetCharsDescent() * scale + shift;
  const float e = glyph->GetCharsExternalLeading() * scale;
  const float x0 = c.GetCharOffset().x, y = c.GetCharOffset().y;
  const float x1 = x0 + c.GetIncreaseDeltaX();
  graphics->SetTransform(&textToDevice);
  Gdiplus::Pen pen(ColorOf(c.GetRenderColor(), c.GetStrokeTransparency()), 1.0f);
  pen.SetLineJoin(Gdiplus::LineJoinRound);
  pen.SetLineCap(Gdiplus::LineCapSquare, Gdiplus::LineCapSquare, Gdiplus::DashCapFlat);
  // A character of no height has no lines (a zero pen width would mean one device pixel).
  if (c.HasUnderline() && (a + d) / 10.0f > 0.0f) {
    pen.SetWidth((a + d) / 10.0f);
    const float ly = y + d + e / 2.0f;
    graphics->DrawLine(&pen, x0, ly, x1, ly);
  }
  if (c.HasStrikeOut() && (a + d) / 30.0f > 0.0f) {
    pen.SetWidth((a + d) / 30.0f);
    const float ly = y - a + 0.6f * (a + d);
    graphics->DrawLine(&pen, x0, ly, x1, ly);
  }
}

}  // namespace

void DrawEditableTextGlyphs(const GlyphweaveLib::CEditableTextObj& text, const Vectorloom::CQorTransMatrix& objectMatrix,
                            Gdiplus::Graphics* graphics, const Gdiplus::Matrix& viewMatrix) {
  if (!graphics) return;
  Gdiplus::Matrix saved;
  graphics->GetTransform(&saved);
  Gdiplus::Matrix textToDevice = ToGdiplus(objectMatrix);
  textToDevice.Multiply(&viewMatrix, Gdiplus::MatrixOrderAppend);

  const auto& chars = text.GetArrayOfTextCharacters();
  const auto& rows = text.GetParagraphsLinesInfo();
  size_t next = 0;
  for (int r = 0; r < rows.GetSize() && next < chars.size(); ++r) {
    const size_t end = std::min(chars.size(), next + rows[r].m_nCharCount);
    for (; next < end; ++next) DrawCharacter(chars[next], textToDevice, graphics);
  }
  graphics->SetTransform(&saved);
}

}  // namespace Quirebook
