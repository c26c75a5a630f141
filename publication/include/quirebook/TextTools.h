// The text tools of the publication view: CDrawTextTool drags out a new text box, and
// CEditingTextTool edits the characters of one text in place (caret, selection, typing,
// Backspace and Delete, every change undoable with "Undo Edit Text" / "Redo Edit Text").
//
// Caret codes: the low 24 bits are a character index (UTF-16 units of the text); bit 30 means
// "behind that character" and comes only from hit testing. Every move and edit first resolves a
// code to a plain index (index + 1 with bit 30) clamped to the text, and stores plain indexes
// afterwards. A character outside the Basic Multilingual Plane is two units: the caret never
// stops between them, and Backspace and Delete take both.
#pragma once

#include <glyphweave/CharsFontDesc.h>
#include <vectorloom/DefaultTool.h>

#include "quirebook/TextEditActions.h"

namespace Quirebook {

class CDDrawTextObj;

class CDrawTextTool : public Vectorloom::CDefaultTool {
 public:
  // The smallest box (page units) a drag makes a text of.
  static constexpr float kMinBoxSide = 3.0f;

  int OnLButtonDown(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonUp(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  void DrawOutline(Vectorloom::CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                   float y) override;
  void ToolUnInitalize(Vectorloom::CWorkspaceView* pView) override;
  HCURSOR GetHandleCursor(Vectorloom::CWorkspaceView* pView, int x, int y) override;

 private:
  bool m_bDragging = false;
};

class CEditingTextTool : public Vectorloom::CDefaultTool, public ITextCaretHolder {
 public:
  static constexpr UINT_PTR kBlinkTimerId = 1001;
  static constexpr UINT kBlinkMs = 500;
  static constexpr int kCaretBehind = 0x40000000;
  static constexpr int kCaretIndexMask = 0x00FFFFFF;

  CEditingTextTool();
  ~CEditingTextTool() override;

  int OnLButtonDown(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonUp(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  // Every key counts as handled while the tool edits, so the view's own keys (nudging the
  // selection) stay out. Shift with a caret key extends the selection.
  int OnKeyDown(Vectorloom::CWorkspaceView* pView, UINT nChar, UINT nRepCnt, UINT nFlags) override;
  // nChar is a code point. Backspace (8) deletes, Enter (13) starts a paragraph; other control
  // characters are ignored.
  int OnChar(Vectorloom::CWorkspaceView* pView, UINT nChar, UINT nRepCnt, UINT nFlags) override;
  // Inserts code points at the caret, or in place of the selected characters, as one undoable
  // step, as typing does: Enter (13) starts a paragraph, a line feed alone or after a carriage
  // return counts as one Enter, other control characters and values that are no character are
  // left out. When the typing face lacks a glyph of the text, Arial is typed instead. False when
  // nothing was inserted.
  bool InsertText(Vectorloom::CWorkspaceView* pView, const std::wstring& codePoints);
  int OnTimer(Vectorloom::CWorkspaceView* pView, UINT_PTR nIDEvent) override;
  HCURSOR GetHandleCursor(Vectorloom::CWorkspaceView* pView, int x, int y) override;
  void DrawOutline(Vectorloom::CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                   float y) override;
  void ToolUnInitalize(Vectorloom::CWorkspaceView* pView) override;
  void ToolInitalize(Vectorloom::CWorkspaceView* pView) override;

  // A caret key, with bExtend (Shift) extending the selection from where the caret stood.
  void MoveCaretByKey(Vectorloom::CWorkspaceView* pView, UINT nChar, bool bExtend);

  // The text being edited (one reference held; the previous one released).
  CDDrawTextObj* GetEditingText() const { return m_pText; }
  void SetEditingText(CDDrawTextObj* pText);

  int GetCaretPos() const { return m_nCaret; }
  // The caret as a plain index, or -1.
  int GetCaretIndex() const { return ResolveCaret(m_nCaret); }
  int GetSelectionStart() const { return m_nSelStart; }
  int GetSelectionEnd() const { return m_nSelEnd; }
  void SetSelection(int start, int end) {
    m_nSelStart = start;
    m_nSelEnd = end;
  }
  // The selected characters as plain indexes [s, e), ordered; both -1 without a selection.
  void GetSelectionRange(int& s, int& e) const;
  bool HasSelection() const;
  bool IsCaretVisible() const { return m_bCaretVisible; }

  // The format typed characters get: face, size, bold, italic, underline, colour (and the
  // spacing and shifts the ribbon shows for the caret).
  const GlyphweaveLib::CRichFontDesc& GetCurrentFont() const { return m_font; }
  void SetCurrentFont(const GlyphweaveLib::CRichFontDesc& font) { m_font = font; }
  // Typing takes the format of the character before the caret (the first character at caret 0)
  // whenever editing starts or the caret is put somewhere with the mouse or a caret key; what
  // the ribbon set for typing is dropped then. An empty text keeps the format as it is.
  void TakeFormatFromText();

  // What the page-editing commands keep in the tool between commands: which parts of the typing
  // format the ribbon set and still wait for the next typed character, the selection's format as
  // last read (with which parts are valid), the description of a selection of several formats,
  // and the preset font sizes the editing view hands over when it is made.
  struct CFormatState {
    bool bPendingFace = false;
    bool bPendingSize = false;
    bool bPendingBold = false;
    bool bPendingItalic = false;
    bool bPendingUnderline = false;
    GlyphweaveLib::_CharsFontDesc selectionFace;
    float fSelectionSize = 0.0f;
    bool bSelectionFaceValid = false;
    bool bSelectionSizeValid = false;
    GlyphweaveLib::CCharFormatsDesc multiDesc;
    bool bMultiDescCurrent = false;
  };
  CFormatState& GetFormatState() { return m_format; }
  const GlyphweaveLib::CPresetFontSizeManager* GetPresetFontSizes() const { return m_pPresetSizes; }
  void SetPresetFontSizes(const GlyphweaveLib::CPresetFontSizeManager* presets) { m_pPresetSizes = presets; }

  // A caret code as a plain index clamped to the text (-1 for a negative code).
  int ResolveCaret(int code) const;

  // ITextCaretHolder (the edit actions put the caret back on undo and redo).
  const Vectorloom::CRenderBaseObj* GetEditingTextObject() const override;
  int GetCaretCode() const override { return m_nCaret; }
  void SetCaretCode(int code) override;

 private:
  int CharacterCount() const;
  // The index one character before / after i (a surrogate pair is one character).
  int PrevCharIndex(int i) const;
  int NextCharIndex(int i) const;
  // Hit test of a client point in the text's own coordinates; -1 outside the box.
  int HitTest(Vectorloom::CWorkspaceView* pView, int x, int y, bool* pInside) const;
  // Deletes [s, e) as one undoable step; caret at s.
  bool DeleteRange(Vectorloom::CWorkspaceView* pView, int s, int e);
  void AfterCaretChange(Vectorloom::CWorkspaceView* pView);
  void EndEditing(Vectorloom::CWorkspaceView* pView);

  CDDrawTextObj* m_pText = nullptr;
  int m_nCaret = -1;
  int m_nSelStart = -1;
  int m_nSelEnd = -1;
  bool m_bCaretVisible = false;
  bool m_bSelecting = false;
  GlyphweaveLib::CRichFontDesc m_font;
  CFormatState m_format;
  const GlyphweaveLib::CPresetFontSizeManager* m_pPresetSizes = nullptr;
};

}  // namespace Quirebook

using Quirebook::CDrawTextTool;
using Quirebook::CEditingTextTool;
