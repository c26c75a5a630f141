// The program's document class. Its members live in three files: making and dropping contents
// and the drawing tools' objects here (LeafwrightDoc.cpp), storing the whole file (Serialize,
// LfwSections.cpp), and New, Open and Save (DocCommands.cpp).
#pragma once

#include <vector>

#include <QorProgress.h>
#include <quirebook/PublicationDoc.h>

#include "LeafwrightAppState.h"
#include "PageCommands.h"
#include "PublishCommands.h"

class CLeafwrightDoc : public CPublicationDoc {
  DECLARE_DYNCREATE(CLeafwrightDoc)

 public:
  CLeafwrightDoc();
  ~CLeafwrightDoc() override;

  // Also gives up the clips unpacked for this document (the program reuses one document object
  // for every New and Open).
  void DeleteContents() override;
  // Tells the user, in one message, what the readers left out of the document since the last
  // report (images over the size cap, pages simplified); nothing when nothing was.
  void ReportDroppedItems();

  // 0 shape, 2 group, 3 text; null for every other code (videos are never drawn). A shape made
  // while a rectangle, oval, rounded-rectangle, line or polygon tool is active in the document's
  // editing view is outline only.
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override;
  // The kind of tool active in the document's editing view (its first workspace view).
  eLeafwrightTool EditingViewTool() const;

  // Storing writes the whole document file (WriteLfwDocument, LfwSections.cpp) into the archive's
  // file; a save through CDocument::DoSave hands it a temporary file that replaces the old file
  // only when complete, so pages still read from the old file stay readable throughout. A failed
  // write throws CLfwSaveException with the reason. Documents are read through
  // CCacheLfwPageContent, not an archive: loading throws CNotSupportedException.
  void Serialize(CArchive& ar) override;

  // ---- New, Open and Save

  // The first pages of an opened file are read at once; the others wait until they are needed.
  static constexpr int kLoadedAtOpen = 32;

  // What the window side gives the document: where progress shows, whether a New is the silent
  // one at start-up, and the new-document dialog. Any of them may be null (tests, tools).
  struct CShellHooks {
    CQorProgressStatusBar* pStatusBar = nullptr;
    // True while the program starts: that New makes one blank page without asking.
    bool (*pfnIsStartupNew)() = nullptr;
    // Asks for the size and count of the pages of a new document; false when cancelled.
    bool (*pfnPromptNewPages)(float& width, float& height, int& unit, int& count) = nullptr;
  };
  static CShellHooks& ShellHooks();

  // One blank 8.5 x 11 inch page at start-up; later the page size and count asked for (without a
  // dialog: one blank page). Cancelling leaves the document as it was (FALSE).
  BOOL OnNewDocument() override;
  // A PDF or a document file (extension without regard to case): the first kLoadedAtOpen pages
  // read with progress, the rest bound to the file by index with the size of the last page read.
  // A file that cannot be read is reported ("打开文件 \"<path>\" 失败!") and the document becomes
  // one blank page without a file name, so a later Save asks where to write.
  BOOL OnOpenDocument(const wchar_t* lpszPathName) override;
  // An open that failed keeps the document untitled (the name given is dropped once).
  void SetPathName(const wchar_t* lpszPathName, BOOL bAddToMRU = TRUE) override;
  // Writes the whole document through a temporary file beside the target that replaces it only
  // when complete, with progress ("Saving to file \"<name>\""); pages still waiting to be read
  // are then bound to the new file by their position.
  BOOL OnSaveDocument(const wchar_t* lpszPathName) override;
  // Save As when no name is given or when the document's file is not a document file (a PDF it
  // was opened from is never overwritten); the proposed name ends in ".lfw".
  BOOL DoSave(const wchar_t* lpszPathName, BOOL bReplace = TRUE) override;
  // The name proposed by Save As: the file's name with the document extension in place of its
  // own (kept when it is already the document extension, in any case), or the title + ".lfw".
  CString ProposeSaveName() const;
  // ".lfw" or ".lfd", without regard to case.
  static bool IsDocumentFileName(const wchar_t* lpszPathName);

  afx_msg void OnFileSave();
  afx_msg void OnFileSaveAs();

  // ---- Print layout: rows and columns of pages per sheet and the pages to print (0-based page
  // indices in printing order), written by the backstage Print page when it prints. Empty pages
  // at construction; DeleteContents empties them again.
  void SetPrintLayout(int nRows, int nColumns, const std::vector<int>& pages);
  int GetPrintRows() const { return m_nPrintRows; }
  int GetPrintColumns() const { return m_nPrintColumns; }
  const std::vector<int>& GetPrintPages() const { return m_arrPrintPages; }

  // ---- Page commands (PageCommands.cpp)

  // The thumbnail list and the editing view among the document's views (null when absent).
  IPagesSelectionList* FindPagesList() const;
  IPageEditingView* FindEditingView() const;
  // The index of the editing view's shown page; -1 without a view or when the page is gone.
  int GetCurrentPageIndex() const;
  // Loads the page if needed (it then stays in memory, unbound from its file), makes it the
  // thumbnail list's only selection and tells the views (hint 4 with the page).
  void GoToPage(int index);
  // Whether a page command (ID_PAGES_*) can run now.
  bool IsPageCommandEnabled(UINT nId) const;

  afx_msg void OnNewPage();
  afx_msg void OnDuplicatePages();
  // Asks first (the document's message box hook; without one nothing is deleted); never
  // deletes every page.
  afx_msg void OnDeletePages();
  afx_msg void OnMoveToFirst();
  afx_msg void OnMovePreviously();
  afx_msg void OnMoveToLast();
  afx_msg void OnMoveNext();
  afx_msg void OnReverseAllPages();
  afx_msg void OnReverseSelectedPages();
  afx_msg void OnGoToFirstPage();
  afx_msg void OnGoToPreviousPage();
  afx_msg void OnGoToNextPage();
  afx_msg void OnGoToLastPage();
  afx_msg void OnUpdatePageCommand(CCmdUI* pCmdUI);

  // ---- Extract and publishing (PublishCommands.cpp; dialogs through PublishHooks())

  // The name the PDF dialog proposes: the title (without folder and document extension) +
  // ".pdf", or "untitled.pdf".
  CString ProposePdfName() const;
  // Writes the pages into the first free "Pages From <name>.lfd" beside the document (or in the
  // current folder); its path, or empty after telling the user why nothing was written.
  CString ExtractPages(const std::vector<int>& pages);
  afx_msg void OnExtractPages();
  afx_msg void OnSaveAsPdf();
  afx_msg void OnSaveAsPageFlip();
  afx_msg void OnUpdatePublish(CCmdUI* pCmdUI);

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  void MakeBlankPages(float width, float height, int unit, int count);
  // The selected pages moved by delta places (every selected page lands at its index - delta or
  // + delta; the others keep their order).
  void MoveSelectedPages(IPagesSelectionList& list, int delta, bool towardsStart);
  void MovePages(const wchar_t* name, int which);
  CQorCommonProgress* m_pSaveProgress = nullptr;
  bool m_bOpenFailed = false;
  int32_t m_nPrintRows = 1;
  int32_t m_nPrintColumns = 1;
  std::vector<int> m_arrPrintPages;
};
