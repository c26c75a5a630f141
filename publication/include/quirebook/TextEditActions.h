// Undoable edits of the characters of one text object, and the font-run range operations they
// are built on.
//
// Both actions keep what they need to swap the text between its two states: Undo and Redo run
// the same swap and differ only in the menu text they leave ("Redo Edit Text" after Undo, "Undo
// Edit Text" after Redo; a new action reads "Undo Edit Text").
//
// CUpdateEditableTextObjActionT records an insertion or a deletion of `length` characters at
// `position`: while its characters are in the text the swap cuts them out (with their font runs)
// into the action, otherwise it puts them back. The caret word kept in the action is swapped with
// the editing tool's caret when that tool edits the same text, so each step puts the caret back
// where it was before the previous one.
//
// CReplaceEditableTextObjActionT records a range [first, last] that was replaced by `newLength`
// characters: the swap cuts the `newLength` characters now in the text and puts the saved ones
// back, remembering how many it put back for the next swap. The editing tool's caret goes to the
// start of the range on Undo and behind the new characters on Redo.
#pragma once

#include <vector>

#include <glyphweave/EditableTextObj.h>
#include <vectorloom/EditAction.h>
#include <vectorloom/RenderObj.h>
#include <vectorloom/WorkspaceDoc.h>

namespace Quirebook {

class CDDrawTextObj;

using FontRunList = std::vector<GlyphweaveLib::TFontRunInfo>;

// Font runs over a character range first..last (both included; last < 0 means the last
// character). A run that ends before `first` is not touched, so a run ending exactly where the
// range starts contributes nothing.
// The runs covering the range, the first and the last cut to the part inside it.
FontRunList CopyFontRuns(const GlyphweaveLib::CEditableTextObj& text, int first, int last);
// Shortens every run by its part inside the range; emptied runs go.
void RemoveFontRuns(GlyphweaveLib::CEditableTextObj& text, int first, int last);
// CopyFontRuns, then RemoveFontRuns.
FontRunList CutFontRuns(GlyphweaveLib::CEditableTextObj& text, int first, int last);
// Puts runs in before character `at` (clamped to the run total), splitting the run that holds it.
void InsertFontRuns(GlyphweaveLib::CEditableTextObj& text, int at, const FontRunList& runs);
// Characters the runs count.
int CountFontRunCharacters(const FontRunList& runs);

// Lays the text out again from the row before the one that holds character `index` (characters
// may move up after a change); row 0 when no row holds it.
void RelayoutFromCharacter(GlyphweaveLib::CEditableTextObj& text, int index);

// The text tool that edits a text in the document's active view, as the edit actions see it.
class ITextCaretHolder {
 public:
  virtual const Vectorloom::CRenderBaseObj* GetEditingTextObject() const = 0;
  virtual int GetCaretCode() const = 0;
  // Moves the caret and drops the selection.
  virtual void SetCaretCode(int code) = 0;

 protected:
  ~ITextCaretHolder() = default;
};
// The view layer registers how to find the caret holder of a document's active view; without a
// registration (or without an editing tool) the actions leave every caret alone. Returns the
// lookup registered before.
using CaretHolderLookup = ITextCaretHolder* (*)(Vectorloom::CWorkspaceDoc* doc);
CaretHolderLookup SetCaretHolderLookup(CaretHolderLookup lookup);
// The holder that edits `text` now, or null.
ITextCaretHolder* FindCaretHolderEditing(Vectorloom::CWorkspaceDoc* doc, const Vectorloom::CRenderBaseObj* text);

// Tells the views that a text changed (hint 2 with the page that owns it).
void UpdateViewsOfText(Vectorloom::CWorkspaceDoc* doc, const Vectorloom::CRenderBaseObj* text);

inline const wchar_t kUndoEditText[] = L"Undo Edit Text";
inline const wchar_t kRedoEditText[] = L"Redo Edit Text";

template <class TText>
class CUpdateEditableTextObjActionT : public Vectorloom::CBaseEditAction {
 public:
  // Characters [position, position + length - 1] were just inserted and are in the text.
  CUpdateEditableTextObjActionT(TText* text, int caretCode, int position, int length)
      : CBaseEditAction(CString(kUndoEditText)), m_pText(text), m_bInText(true), m_nPosition(position),
        m_nLength(length < 0 ? 0 : length), m_nCaret(caretCode) {
    if (m_pText) m_pText->AddRef();
  }
  // inserted true: as above. inserted false: the characters [start, start + count - 1] are about
  // to be deleted; they and their font runs are copied now.
  CUpdateEditableTextObjActionT(TText* text, int caretCode, bool inserted, int start, int count)
      : CUpdateEditableTextObjActionT(text, caretCode, start, count) {
    if (inserted || !m_pText || m_nLength < 1) return;
    m_bInText = false;
    m_pText->GetArrayOfTextCharacters().CopySelection(m_savedChars, start, start + m_nLength - 1);
    m_savedRuns = CopyFontRuns(*m_pText, start, start + m_nLength - 1);
  }
  ~CUpdateEditableTextObjActionT() override {
    if (m_pText) m_pText->Release();
  }

  int Undo(Vectorloom::CWorkspaceDoc* doc) override {
    Swap(doc);
    SetMenuText(CString(kRedoEditText));
    return 1;
  }
  int Redo(Vectorloom::CWorkspaceDoc* doc) override {
    Swap(doc);
    SetMenuText(CString(kUndoEditText));
    return 1;
  }

  TText* GetText() const { return m_pText; }
  bool IsInText() const { return m_bInText; }
  int GetPosition() const { return m_nPosition; }
  int GetLength() const { return m_nLength; }
  int GetCaretCode() const { return m_nCaret; }

 private:
  void Swap(Vectorloom::CWorkspaceDoc* doc) {
    if (!m_pText) return;
    auto& chars = m_pText->GetArrayOfTextCharacters();
    const int count = static_cast<int>(chars.size());
    if (m_bInText) {
      m_savedChars.clear();
      if (m_nLength > 0 && m_nPosition < count) {
        const int last = m_nPosition + m_nLength - 1;
        m_savedRuns = CutFontRuns(*m_pText, m_nPosition, last);
        chars.CutSelection(m_savedChars, m_nPosition, last);
      } else {
        m_savedRuns.clear();
      }
    } else {
      const int at = m_nPosition > count ? count : (m_nPosition < 0 ? 0 : m_nPosition);
      chars.InsertSelection(m_savedChars, at);
      InsertFontRuns(*m_pText, at, m_savedRuns);
      m_savedChars.clear();
      m_savedRuns.clear();
      m_pText->OptimizationFontDescs(0, -1);
    }
    m_bInText = !m_bInText;
    m_pText->NormalizeFontRuns();
    const int total = static_cast<int>(chars.size());
    RelayoutFromCharacter(*m_pText, m_nPosition >= total ? total - 1 : m_nPosition);
    if (ITextCaretHolder* holder = FindCaretHolderEditing(doc, m_pText)) {
      const int caret = holder->GetCaretCode();
      holder->SetCaretCode(m_nCaret);
      m_nCaret = caret;
    }
    UpdateViewsOfText(doc, m_pText);
  }

  TText* m_pText;
  bool m_bInText;
  int m_nPosition;
  int m_nLength;
  int m_nCaret;
  FontRunList m_savedRuns;
  GlyphweaveLib::CArrayOfTextCharacters m_savedChars;
};

template <class TText>
class CReplaceEditableTextObjActionT : public Vectorloom::CBaseEditAction {
 public:
  // The characters [first, last] (last < 0: to the end) are about to be replaced by newLength
  // characters; they and their runs are copied now. newLength 0 records a plain removal.
  CReplaceEditableTextObjActionT(TText* text, int first, int last, int newLength = 0)
      : CBaseEditAction(CString(kUndoEditText)), m_pText(text), m_nPosition(first < 0 ? 0 : first),
        m_nLength(newLength < 0 ? 0 : newLength) {
    if (!m_pText) return;
    m_pText->AddRef();
    m_pText->GetArrayOfTextCharacters().CopySelection(m_savedChars, m_nPosition, last);
    if (!m_savedChars.empty()) m_savedRuns = CopyFontRuns(*m_pText, m_nPosition, last);
  }
  ~CReplaceEditableTextObjActionT() override {
    if (m_pText) m_pText->Release();
  }

  int Undo(Vectorloom::CWorkspaceDoc* doc) override {
    Swap(doc, false);
    SetMenuText(CString(kRedoEditText));
    return 1;
  }
  int Redo(Vectorloom::CWorkspaceDoc* doc) override {
    Swap(doc, true);
    SetMenuText(CString(kUndoEditText));
    return 1;
  }

  // The characters that now stand in the range (set by the caller when it inserted them after
  // constructing the action).
  void SetNewLength(int length) { m_nLength = length < 0 ? 0 : length; }
  int GetPosition() const { return m_nPosition; }
  int GetLength() const { return m_nLength; }
  TText* GetText() const { return m_pText; }

 private:
  // Undo leaves the editing caret at the start of the range, Redo behind the new characters.
  void Swap(Vectorloom::CWorkspaceDoc* doc, bool redo) {
    if (!m_pText) return;
    auto& chars = m_pText->GetArrayOfTextCharacters();
    const int count = static_cast<int>(chars.size());
    const int at = m_nPosition > count ? count : m_nPosition;
    GlyphweaveLib::CArrayOfTextCharacters cut;
    FontRunList cutRuns;
    if (m_nLength > 0 && at < count) {
      const int last = at + m_nLength - 1;
      cutRuns = CutFontRuns(*m_pText, at, last);
      chars.CutSelection(cut, at, last);
    }
    chars.InsertSelection(m_savedChars, at);
    InsertFontRuns(*m_pText, at, m_savedRuns);
    m_nLength = static_cast<int>(m_savedChars.size());
    m_pText->OptimizationFontDescs(0, -1);
    m_pText->NormalizeFontRuns();
    m_savedChars.swap(cut);
    m_savedRuns.swap(cutRuns);
    const int total = static_cast<int>(chars.size());
    RelayoutFromCharacter(*m_pText, at >= total ? total - 1 : at);
    if (ITextCaretHolder* holder = FindCaretHolderEditing(doc, m_pText)) holder->SetCaretCode(redo ? at + m_nLength : at);
    UpdateViewsOfText(doc, m_pText);
  }

  TText* m_pText;
  int m_nPosition;
  int m_nLength;
  FontRunList m_savedRuns;
  GlyphweaveLib::CArrayOfTextCharacters m_savedChars;
};

}  // namespace Quirebook
