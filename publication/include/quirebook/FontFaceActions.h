// Undoable font-face changes over the characters of one or more text objects, and the preview
// scene of a face shown live on the text being edited.
#pragma once

#include <memory>
#include <vector>

#include <vectorloom/EditAction.h>
#include <vectorloom/RenderObj.h>
#include <vectorloom/WorkspaceDoc.h>

#include "quirebook/TextEditActions.h"

namespace Quirebook {

// The font runs of one text over a character range, saved before its face changed. The swap puts
// them back (keeping the runs it replaces for the next swap), gives the characters the glyphs of
// their faces again and lays the text out from the range's row.
class CUpdateTextFontFaceSegment {
 public:
  // text must be a text object; [first, last] with last < 0 meaning the last character.
  CUpdateTextFontFaceSegment(Vectorloom::CRenderBaseObj* text, int first, int last);
  ~CUpdateTextFontFaceSegment();
  CUpdateTextFontFaceSegment(const CUpdateTextFontFaceSegment&) = delete;
  CUpdateTextFontFaceSegment& operator=(const CUpdateTextFontFaceSegment&) = delete;

  int Undo(Vectorloom::CWorkspaceDoc* doc);
  int Redo(Vectorloom::CWorkspaceDoc* doc) { return Undo(doc); }

  Vectorloom::CRenderBaseObj* GetTextObject() const { return m_pText; }
  int GetFirst() const { return m_nFirst; }
  const FontRunList& GetSavedRuns() const { return m_savedRuns; }

 private:
  Vectorloom::CRenderBaseObj* m_pText;
  int m_nFirst;
  FontRunList m_savedRuns;
};

// Face changes over several texts undone in one step. Reads "Undo Change Font" until undone.
class CUpdateTextsFontFaceAction : public Vectorloom::CBaseEditAction {
 public:
  CUpdateTextsFontFaceAction();
  ~CUpdateTextsFontFaceAction() override = default;

  // Saves the runs of [first, last] of a text object: 1; 0 (nothing recorded) for null or any
  // object that is not a text.
  int BackupTextObject(Vectorloom::CRenderBaseObj* object, int first, int last);
  // Drops the newest segment (a backup that turned out not to be needed).
  void RemoveLastSegment();
  int GetSegmentCount() const { return static_cast<int>(m_segments.size()); }
  const CUpdateTextFontFaceSegment* GetSegment(int i) const { return m_segments[static_cast<size_t>(i)].get(); }

  int Undo(Vectorloom::CWorkspaceDoc* doc) override;
  int Redo(Vectorloom::CWorkspaceDoc* doc) override;

 private:
  void SwapAll(Vectorloom::CWorkspaceDoc* doc);

  std::vector<std::unique_ptr<CUpdateTextFontFaceSegment>> m_segments;
};

// A face previewed on the selected characters of the text being edited: the backup holds the
// runs from before the first preview, and restoring undoes them. A scene deleted while it still
// holds its backup unrestored (its view closed mid-preview) restores first, so no previewed face
// stays in the document without an undo step.
class CPreviewChangeEditingTextFontFaceSence : public Vectorloom::CBasePreviewScene {
  DECLARE_DYNAMIC(CPreviewChangeEditingTextFontFaceSence)
 public:
  // doc: the document whose fonts rebuild the glyphs when the scene restores on deletion.
  explicit CPreviewChangeEditingTextFontFaceSence(Vectorloom::CWorkspaceDoc* doc = nullptr);
  ~CPreviewChangeEditingTextFontFaceSence() override;

  CUpdateTextsFontFaceAction* GetBackup() const { return m_pBackup.get(); }
  // Hands the backup over (to become an undo action when the preview is committed).
  CUpdateTextsFontFaceAction* DetachBackup() { return m_pBackup.release(); }

  int Restore(Vectorloom::CWorkspaceDoc* doc, Vectorloom::CRenderPage* page,
              const Vectorloom::CRenderBaseObjectList& objects) override;

 private:
  Vectorloom::CWorkspaceDoc* m_pDoc;
  std::unique_ptr<CUpdateTextsFontFaceAction> m_pBackup;
};

}  // namespace Quirebook

using Quirebook::CPreviewChangeEditingTextFontFaceSence;
using Quirebook::CUpdateTextFontFaceSegment;
using Quirebook::CUpdateTextsFontFaceAction;
