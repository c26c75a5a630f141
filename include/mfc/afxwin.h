// Command targets and documents. The window classes (CWnd, CView, frames, dialogs) belong to the
// GUI part of this layer; the document keeps its views as CView pointers and reaches them only
// through CDocumentHooks, which that part fills in.
#pragma once

#include "afx.h"

class CView;
class CDocTemplate;
class CDocument;

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;
};

// What a document asks of the window layer. Every member may be null (headless use).
struct CDocumentHooks {
  // A view was added to or removed from a document's list (sets the view's document pointer).
  void (*pfnViewAttached)(CView* pView, CDocument* pDoc) = nullptr;
  void (*pfnViewDetached)(CView* pView, CDocument* pDoc) = nullptr;
  // UpdateAllViews: tells one view of the change.
  void (*pfnUpdateView)(CView* pView, CView* pSender, LPARAM lHint, CObject* pHint) = nullptr;
  // OnCloseDocument: closes the frames that show the document's views.
  void (*pfnCloseFrames)(CDocument* pDoc) = nullptr;
  // DoSave without a path (Save As): asks for a file name; FALSE when cancelled.
  BOOL (*pfnPromptSaveName)(CDocument* pDoc, CString& rName, BOOL bReplace) = nullptr;
  // SetPathName with bAddToMRU: records the file in the recent-file list.
  void (*pfnAddToRecentFileList)(const wchar_t* lpszPathName) = nullptr;
};

class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)
 public:
  enum DocumentEvent { onAfterNewDocument, onAfterOpenDocument, onAfterSaveDocument, onAfterCloseDocument };

  CDocument();
  ~CDocument() override;

  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(const wchar_t* lpszTitle);
  const CString& GetPathName() const { return m_strPathName; }
  // Also sets the title to the file's name (folders split at '\' or '/').
  virtual void SetPathName(const wchar_t* lpszPathName, BOOL bAddToMRU = TRUE);
  void ClearPathName() { m_strPathName.Empty(); }
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

  virtual BOOL IsModified();
  virtual void SetModifiedFlag(BOOL bModified = TRUE);

  // Views: the document does not own them.
  virtual POSITION GetFirstViewPosition() const;
  virtual CView* GetNextView(POSITION& rPosition) const;
  void AddView(CView* pView);
  void RemoveView(CView* pView);
  // Tells every view but the sender; nothing happens without views.
  virtual void UpdateAllViews(CView* pSender, LPARAM lHint = 0L, CObject* pHint = nullptr);
  virtual void OnChangedViewList();

  // Empties the document; nothing to do here.
  virtual void DeleteContents();
  virtual BOOL OnNewDocument();
  // Opens the file for reading (write sharing denied), empties the document and lets Serialize
  // read it; FALSE when the file cannot be opened or Serialize throws a CException*.
  virtual BOOL OnOpenDocument(const wchar_t* lpszPathName);
  // Creates the file and lets Serialize write it; FALSE on failure. Clears the modified flag.
  virtual BOOL OnSaveDocument(const wchar_t* lpszPathName);
  // Closes the frames through the hooks, empties the document and deletes it when m_bAutoDelete.
  virtual void OnCloseDocument();
  virtual void OnDocumentEvent(DocumentEvent deEvent);
  // Saves under lpszPathName, or under a name asked for when it is null (a name that was then
  // created is removed again when the save fails). bReplace makes the name the document's path.
  virtual BOOL DoSave(const wchar_t* lpszPathName, BOOL bReplace = TRUE);
  virtual BOOL DoFileSave();

  // The file object used by OnOpenDocument and OnSaveDocument (null with *pError filled).
  virtual CFile* GetFile(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError);
  virtual void ReleaseFile(CFile* pFile, BOOL bAbort);
  // Called when opening or saving fails; the window layer shows a message.
  virtual void ReportSaveLoadException(const wchar_t* lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault);

  static CDocumentHooks& Hooks();

  CString m_strTitle;
  CString m_strPathName;
  CDocTemplate* m_pDocTemplate;
  CList<CView*, CView*> m_viewList;
  BOOL m_bModified;
  BOOL m_bAutoDelete;
  BOOL m_bEmbedded;
};
