// The library's own text object: one line of text in one font, turned into glyph outlines. The
// program draws its editable texts itself; this object serves artwork that carries a line of text
// filled in at run time (the dynamic stamps). It keeps type code 1, which object streams never
// carry: ConvertToShapeObj turns it into an ordinary shape for a page.
#pragma once

#include "ShapeObj.h"
#include "WorkspaceDoc.h"

namespace Vectorloom {

class CTextObj : public CCustomPathObj {
 public:
  // A text of the size in points (at the 96-dpi screen) painted in the colour, in "Arial".
  CTextObj(const CString& text, float fPointSize, COLORREF color);
  CTextObj(const CTextObj& other) = default;
  CTextObj& operator=(const CTextObj& other) = default;

  CRenderBaseObj* Clone() const override;

  // Font of every character: face (with its character set and pitch-and-family byte), weight
  // and slant. Changing them forgets the outline until BuildGlyphPath runs again.
  void SetAllCharsFaceName(const wchar_t* lpszFace, BYTE charSet = 1, BYTE pitchAndFamily = 0);
  void SetAllCharsBold(bool bBold);
  void SetAllCharsItalic(bool bItalic);

  const CString& GetText() const { return m_strText; }
  float GetPointSize() const { return m_fPointSize; }
  COLORREF GetTextColor() const { return GetFillColor(); }
  const CString& GetFaceName() const { return m_strFace; }
  bool IsBold() const { return m_bBold; }
  bool IsItalic() const { return m_bItalic; }

  // Lays the glyph outlines of the text along one line: the line's top (the font's ascent above
  // the baseline) at y = 0, the first character at x = 0, in the object's own coordinates.
  // False (and no outline) when the text is empty, the size is not a positive number or the
  // font cannot be made.
  bool BuildGlyphPath();
  // The advance width and the height (ascent plus descent) of the line laid by BuildGlyphPath.
  CQorVectorSize<float> GetTextExtent() const { return m_szExtent; }

  // A new shape holding the outline, the matrix and the colour (filled, no stroke): of the
  // document's class for code 0 when a document is given, else a CCustomPathObj. No reference is
  // taken (the caller owns it); null when the document makes no custom path shape.
  CCustomPathObj* ConvertToShapeObj(CWorkspaceDoc* pDoc = nullptr) const;

 private:
  CString m_strText;
  float m_fPointSize;
  CString m_strFace;
  BYTE m_nCharSet = 1;
  BYTE m_nPitchAndFamily = 0;
  bool m_bBold = false;
  bool m_bItalic = false;
  CQorVectorSize<float> m_szExtent;
};

}  // namespace Vectorloom
