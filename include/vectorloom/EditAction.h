// Undo records and preview scenes.
#pragma once

#include <afx.h>

namespace Vectorloom {

class CWorkspaceDoc;
class CRenderPage;
class CRenderBaseObjectList;

// One undoable change. The action keeps its own menu text ("Undo " + the command name while it
// is on the undo side, "Redo " + the name while it is on the redo side; derived actions set it
// in Undo and Redo). Once handed to CWorkspaceDoc::AddEditAction the document owns it and
// deletes it through the virtual destructor.
class CBaseEditAction {
 public:
  CBaseEditAction() = default;
  explicit CBaseEditAction(const CString& menuText) : m_strMenuText(menuText) {}
  virtual ~CBaseEditAction() = default;
  CBaseEditAction(const CBaseEditAction&) = delete;
  CBaseEditAction& operator=(const CBaseEditAction&) = delete;

  // Takes the change back; nonzero on success.
  virtual int Undo(CWorkspaceDoc* pDoc) = 0;
  // Makes the change again; nonzero on success.
  virtual int Redo(CWorkspaceDoc* pDoc) = 0;

  const CString& GetMenuText() const { return m_strMenuText; }
  void SetMenuText(const CString& text) { m_strMenuText = text; }

 protected:
  CString m_strMenuText;
};

// The state a live preview changed, so that it can be put back. The view holds at most one
// scene: Backup records the objects' values before the preview writes its own; Restore puts
// them back. RestoreScene is what the view calls: it restores once, and a second call does
// nothing, so a preview is never applied again by restoring twice.
class CBasePreviewScene : public CObject {
  DECLARE_DYNAMIC(CBasePreviewScene)
 public:
  CBasePreviewScene() = default;
  ~CBasePreviewScene() override = default;

  // Records the state of the listed objects of the page; the base records nothing. Returns 1.
  virtual int Backup(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& objects);
  // Puts the recorded state back; the base has nothing to put back. Returns 1.
  virtual int Restore(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& objects);

  // Restore, once. Returns Restore's result, or 0 when the scene was restored already.
  int RestoreScene(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& objects);
  bool IsRestored() const { return m_bRestored; }

 private:
  bool m_bRestored = false;
};

}  // namespace Vectorloom
