// Text boxes that grow with their edits. Layout stops at the bottom of a text's box, so
// characters pushed past it by typing, pasting or a larger format would no longer be drawn and
// the caret could not reach them. An edit made in the program therefore grows the box of every
// text it leaves with characters outside the rows: taller, and wider only where one character is
// wider than the box. The growth is part of the edit's own undo step. Texts read from files and
// imported pages keep their boxes until they are edited.
#pragma once

#include <vector>

#include <vectorloom/EditAction.h>
#include <vectorloom/VectorTypes.h>
#include <vectorloom/WorkspaceDoc.h>

namespace Quirebook {

class CDDrawTextObj;

// Whether every character of the text lies in one of its laid-out rows.
bool AreAllCharactersInRows(const CDDrawTextObj& text);

// Grows the text's box to the smallest height (and, when a character is wider than the box, the
// width) at which every character lies in a row, and lays the text out in it. False, with the box
// and layout as they were, when every character is in a row already or no box would hold them.
bool GrowBoxToHoldAllCharacters(CDDrawTextObj& text);

// An edit and the boxes it grew, as one undoable step: Undo undoes the edit, then puts the boxes
// back; Redo redoes the edit, then grows them again. The menu text is the edit's.
class CGrowTextBoxesAction : public Vectorloom::CBaseEditAction {
 public:
  explicit CGrowTextBoxesAction(Vectorloom::CBaseEditAction* edit);
  ~CGrowTextBoxesAction() override;

  // A box the edit grew (one reference to the text is held).
  void AddBox(CDDrawTextObj* text, const Vectorloom::CQorVectorSize<float>& before,
              const Vectorloom::CQorVectorSize<float>& after);
  int GetBoxCount() const { return static_cast<int>(m_boxes.size()); }
  Vectorloom::CBaseEditAction* GetEdit() const { return m_pEdit; }

  int Undo(Vectorloom::CWorkspaceDoc* pDoc) override;
  int Redo(Vectorloom::CWorkspaceDoc* pDoc) override;

 private:
  struct Box {
    CDDrawTextObj* text;
    Vectorloom::CQorVectorSize<float> before, after;
  };
  void SetBoxes(Vectorloom::CWorkspaceDoc* pDoc, bool grown);

  Vectorloom::CBaseEditAction* m_pEdit;
  std::vector<Box> m_boxes;
};

// After an edit of the texts, recorded as `edit` and not yet handed to the document: grows the
// box of each text that has characters outside its rows. Returns what to hand to
// CWorkspaceDoc::AddEditAction: `edit` itself when no box grew, else an action that holds the
// edit and the grown boxes. A null edit grows nothing.
Vectorloom::CBaseEditAction* GrowTextBoxesOfEdit(Vectorloom::CBaseEditAction* edit,
                                                 const std::vector<CDDrawTextObj*>& texts);

}  // namespace Quirebook
