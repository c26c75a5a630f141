// Command targets, command routing and update handlers, documents, and the window classes.
//
// The window half (CWnd and what derives from it) lives in the library lw_mfcwnd, over
// wxWidgets; this header includes no toolkit header, and the command and document classes stay
// usable without any window (lw_mfc alone). A CWnd is a plain object that refers to a toolkit
// window which it created or adopted; the window's events become messages dispatched through
// the message maps (afxmsg_.h).
//
// Differences from Win32 worth knowing:
// - Default() and an unhandled message ask the toolkit to run its own handling of the event,
//   and that handling runs after the handler returns, not inside Default().
// - Cross-thread sends follow the rules in winuser.h (cancelled when not started in time).
#pragma once

#include <utility>
#include <vector>

#include "afx.h"
#include "atltypes.h"
#include "afxmsg_.h"

class wxWindow;
class wxCursor;

#ifndef MM_TEXT
#define MM_TEXT 1
#endif

// The id of a frame's main view window.
#define AFX_IDW_PANE_FIRST 0xE900
// Standard commands.
#define ID_FILE_NEW 0xE100
#define ID_FILE_OPEN 0xE101
#define ID_FILE_MRU_FILE1 0xE110
#define ID_FILE_MRU_FILE16 0xE11F
// Standard commands of the edit, print and help sets (the keys of the main frame use them).
#ifndef ID_FILE_SAVE
#define ID_FILE_SAVE 0xE103
#endif
#ifndef ID_FILE_SAVE_AS
#define ID_FILE_SAVE_AS 0xE104
#endif
#ifndef ID_FILE_PRINT
#define ID_FILE_PRINT 0xE107
#endif
#define ID_EDIT_CLEAR 0xE120
#define ID_EDIT_COPY 0xE122
#define ID_EDIT_CUT 0xE123
#define ID_EDIT_PASTE 0xE125
#define ID_EDIT_UNDO 0xE12B
#define ID_EDIT_REDO 0xE12C
#define ID_CONTEXT_HELP 0xE145
#define ID_HELP 0xE146
#define ID_NEXT_PANE 0xE150
#define ID_PREV_PANE 0xE151
// Ids of a frame's control bars: laid out along the frame's edges by RecalcLayout.
#define AFX_IDW_CONTROLBAR_FIRST 0xE800
#define AFX_IDW_CONTROLBAR_LAST 0xE8FF
#define AFX_IDW_TOOLBAR 0xE800
#define AFX_IDW_STATUS_BAR 0xE801

class CView;
class CDocTemplate;
class CDocument;
class CFrameWnd;
class CWnd;
class CMenu;
class CWinApp;
struct CCreateContext;

// ---------------------------------------------------------------------------------------------
// Command targets

class CCmdTarget : public CObject {
  DECLARE_DYNAMIC(CCmdTarget)
 public:
  CCmdTarget() = default;
  ~CCmdTarget() override = default;

  // Looks for a handler of the command (nCode CN_COMMAND), update handler (CN_UPDATE_COMMAND_UI,
  // pExtra the CCmdUI*) or notification (MAKELONG(code, WM_NOTIFY), pExtra an AFX_NOTIFY*) in
  // this object's message maps and calls it; TRUE when one was found (for update handlers: and
  // did not ask to continue routing). With pHandlerInfo only reports where the handler is.
  // Derived classes extend the search to other objects (routing).
  virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo);

  // The first entry of this object's maps (own map, then base maps) for a window message.
  const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT message) const;

  // The wait cursor over the whole program while at least one Begin is not yet ended (calls
  // nest). Restore shows it again after something (a message box) changed the cursor.
  void BeginWaitCursor();
  void EndWaitCursor();
  void RestoreWaitCursor();

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

// The state of one user-interface item during an update pass: the update handler calls Enable,
// SetCheck, SetRadio or SetText. This base records what was asked; the variants for controls,
// menu items and status panes push it into their item.
class CCmdUI {
 public:
  CCmdUI();
  virtual ~CCmdUI() = default;

  virtual void Enable(BOOL bOn = TRUE);
  virtual void SetCheck(int nCheck = 1);  // 0 clear, 1 checked, 2 indeterminate
  virtual void SetRadio(BOOL bOn = TRUE);
  virtual void SetText(const wchar_t* lpszText);
  // Lets the routing go on to the next command target after this update handler.
  void ContinueRouting() { m_bContinueRouting = TRUE; }

  // Runs the item's update handler found from pTarget. With bDisableIfNoHndler, an item whose
  // handler did not call Enable is enabled exactly when something handles its command.
  virtual BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler);
  // Whether pTarget's routing has a handler that carries the command out (query only). Value
  // controls that work by notification widen this.
  virtual BOOL HasCommandHandler(CCmdTarget* pTarget);

  UINT m_nID;
  UINT m_nIndex;
  UINT m_nIndexMax;
  CMenu* m_pMenu;
  CMenu* m_pSubMenu;
  CMenu* m_pParentMenu;
  CWnd* m_pOther;
  BOOL m_bEnableChanged;
  BOOL m_bContinueRouting;

  // What the handlers asked for (-1 / not set when they did not).
  BOOL m_bEnabled;
  int m_nCheck;
  BOOL m_bTextChanged;
  CString m_strText;
};

// The panes of a status bar as the frame's update pass sees them. A status bar implements it
// and registers with lwmfc::AttachStatusPanes; indexes run from 0 to the count.
class CStatusPaneSource {
 public:
  virtual ~CStatusPaneSource() = default;
  virtual int GetStatusPaneCount() const = 0;
  // 0 for a pane without a command id (it takes no part in the pass).
  virtual UINT GetStatusPaneID(int nIndex) const = 0;
  virtual BOOL IsStatusPaneEnabled(int nIndex) const = 0;
  virtual void SetStatusPaneEnabled(int nIndex, BOOL bEnabled) = 0;
  virtual CString GetStatusPaneText(int nIndex) const = 0;
  virtual void SetStatusPaneText(int nIndex, const wchar_t* lpszText) = 0;
};

// The update-handler state of one status pane: Enable and SetText reach the pane only when
// they change it; SetCheck and SetRadio show nothing on a pane.
class CStatusPaneCmdUI : public CCmdUI {
 public:
  CStatusPaneCmdUI(CStatusPaneSource* pSource, int nIndex);
  void Enable(BOOL bOn = TRUE) override;
  void SetText(const wchar_t* lpszText) override;
  // Runs the update handler of every pane with an id, pTarget routing. A pane nobody updates
  // keeps its state (panes are not disabled for want of a handler).
  static void UpdatePanes(CStatusPaneSource* pSource, CCmdTarget* pTarget);

 private:
  CStatusPaneSource* m_pSource;
};

// ---------------------------------------------------------------------------------------------
// Documents and their templates

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
  // SaveModified's question (MB_YESNOCANCEL) and ReportSaveLoadException's message (MB_OK);
  // without it the question's answer is IDCANCEL and the message is not shown.
  int (*pfnMessageBox)(const wchar_t* lpszText, UINT nType) = nullptr;
};

// What a frame needs to make its view and join it to the document.
struct CCreateContext {
  CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

// The template that makes a document with its frame and views. Only the routing part is here;
// the single-document template builds on it.
class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)
 public:
  ~CDocTemplate() override = default;

  // The parts of the template's description string, split at '\n'.
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
  // One part of m_strDocStrings; FALSE (and empty) when it is missing or empty.
  virtual BOOL GetDocString(CString& rString, DocStringIndex index) const {
    rString.Empty();
    const wchar_t* p = m_strDocStrings;
    for (int i = 0; i < static_cast<int>(index) && *p; ++p)
      if (*p == L'\n') ++i;
    while (*p && *p != L'\n') rString += *p++;
    return !rString.IsEmpty();
  }
  // The description: "title\ndocument name\nnew name\nfilter name\n.ext\ntype id\ntype name"
  // (the string resource of the template's id; the application sets it).
  CString m_strDocStrings;

  // The documents of the template (the single-document template has at most one).
  virtual POSITION GetFirstDocPosition() const { return nullptr; }
  virtual CDocument* GetNextDoc(POSITION& rPos) const {
    rPos = nullptr;
    return nullptr;
  }
  // Opens the file in a document (a new document without a path); null on failure.
  virtual CDocument* OpenDocumentFile(const wchar_t* lpszPathName, BOOL bAddToMRU = TRUE, BOOL bMakeVisible = TRUE) {
    (void)lpszPathName, (void)bAddToMRU, (void)bMakeVisible;
    return nullptr;
  }
  // Asks every document to save its changes; FALSE when one was cancelled.
  virtual BOOL SaveAllModified() { return TRUE; }

 protected:
  CDocTemplate() = default;
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
  // A modified document asks "Save changes to <name>?": Yes saves (FALSE when the save
  // fails), No goes on, Cancel returns FALSE. TRUE when the document may be let go.
  virtual BOOL SaveModified();

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
  // Lets Serialize write a new file that replaces lpszPathName only once it is complete and on
  // disk (lw::FileReplacement: a link is followed and kept; a reader that holds the old file,
  // such as pages still to be read from it, keeps reading the old bytes). FALSE, with the old
  // file untouched and the failure reported, when anything fails. Clears the modified flag.
  virtual BOOL OnSaveDocument(const wchar_t* lpszPathName);
  // Closes the frames through the hooks, empties the document and deletes it when m_bAutoDelete.
  virtual void OnCloseDocument();
  virtual void OnDocumentEvent(DocumentEvent deEvent);
  // Saves under lpszPathName, or under a name asked for when it is null. A failed save leaves
  // whatever was under the name as it was. bReplace makes the name the document's path.
  virtual BOOL DoSave(const wchar_t* lpszPathName, BOOL bReplace = TRUE);
  virtual BOOL DoFileSave();

  // The file object used by OnOpenDocument and OnSaveDocument (null with *pError filled). With
  // modeCreate (and no modeNoTruncate) it writes a temporary file beside the target that Close
  // renames over the target and Abort removes.
  virtual CFile* GetFile(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError);
  virtual void ReleaseFile(CFile* pFile, BOOL bAbort);
  // Called when opening or saving fails: shows "Could not save/open <path>." and the reason
  // through Hooks().pfnMessageBox (the window layer's message box).
  virtual void ReportSaveLoadException(const wchar_t* lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault);

  // Own maps, then the document's template.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;

  static CDocumentHooks& Hooks();

  CString m_strTitle;
  CString m_strPathName;
  CDocTemplate* m_pDocTemplate;
  CList<CView*, CView*> m_viewList;
  BOOL m_bModified;
  BOOL m_bAutoDelete;
  BOOL m_bEmbedded;
};

// ---------------------------------------------------------------------------------------------
// Device contexts on the window side

// A device context object. Window painting goes through CPaintDC, whose cairo context draws
// into the window during one paint; m_hDC is a GDI context when there is one.
class CDC : public CObject {
  DECLARE_DYNAMIC(CDC)
 public:
  CDC() = default;
  ~CDC() override = default;
  // The GDI handle (a paint context makes its GDI surface on first use); null when none.
  HDC GetSafeHdc() const;
  operator HDC() const { return GetSafeHdc(); }

  // Mapping: MM_TEXT only (one logical unit is one pixel, y down). The viewport origin is where
  // logical (0,0) lands in the window; on a paint context it moves the cairo drawing with it.
  int SetMapMode(int nMapMode);
  int GetMapMode() const { return MM_TEXT; }
  CPoint SetViewportOrg(int x, int y);
  CPoint SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
  CPoint GetViewportOrg() const { return m_ptViewportOrg; }

  // GDI on m_hDC (window contexts from CClientDC or CWnd::GetDC, memory contexts). A context
  // without a GDI handle (a paint context) measures like the screen: 96 dots per inch.
  int GetDeviceCaps(int nIndex) const;
  // The drawable area in logical coordinates (a paint context: the area to repaint); returns
  // the region kind, NULLREGION (1) when nothing can be drawn.
  int GetClipBox(LPRECT lpRect) const;
  // The width of the characters with the selected font (advances added up, as GDI does) and
  // the font's height; a context without a GDI handle measures with the screen's default font.
  CSize GetTextExtent(const wchar_t* lpszString, int nCount) const;
  CSize GetTextExtent(const CString& str) const;
  HGDIOBJ SelectObject(HGDIOBJ hObject);
  BOOL BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop);
  void FillSolidRect(LPCRECT lpRect, COLORREF clr);
  COLORREF GetPixel(int x, int y) const;
  COLORREF GetPixel(POINT point) const { return GetPixel(point.x, point.y); }

  HDC m_hDC = nullptr;

 protected:
  // The cairo context the origin applies to (a cairo_t*), and its transform when attached.
  void AttachCairo(void* pCairo);
  // Makes m_hDC when the context can have one on demand (a paint context); FALSE when none.
  virtual BOOL PrepareGdi() { return m_hDC != nullptr; }

 private:
  CPoint m_ptViewportOrg{0, 0};
  void* m_pOriginCairo = nullptr;
  double m_baseMatrix[6] = {1, 0, 0, 1, 0, 0};
};

// Constructed in a WM_PAINT handler: the window's paint context for this paint. Draw through
// GetCairo(), or with GDI through GetSafeHdc() and the CDC members: the first GDI use makes an
// offscreen GDI surface clipped to the area to repaint, whose drawn pixels are laid over the
// cairo drawing when the paint context goes (so draw one way or the other in one paint).
// m_ps.rcPaint is the bounding box of the area to repaint, in client coordinates.
class CPaintDC : public CDC {
  DECLARE_DYNAMIC(CPaintDC)
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;
  // The cairo context of the window for this paint (typed void* to keep cairo out of here:
  // cast to cairo_t*); null when the window cannot be painted.
  void* GetCairo() const { return m_pCairo; }

  PAINTSTRUCT m_ps;

 protected:
  BOOL PrepareGdi() override;

 private:
  // Lays what GDI drew over the cairo drawing and lets the GDI surface go.
  void EndGdi();
  void* m_pPaintDC = nullptr;
  void* m_pCairo = nullptr;
  CWnd* m_pWnd = nullptr;
  HBITMAP m_hGdiBitmap = nullptr;
  HGDIOBJ m_hGdiOldBitmap = nullptr;
  void* m_pGdiBits = nullptr;
  int m_gdiCx = 0, m_gdiCy = 0;
};

// A context for drawing into a window outside its paint (GDI calls on m_hDC; measuring works
// as on the screen). On GTK a window cannot be drawn on outside its paint, so the drawing goes
// into an offscreen copy of the client area; when the context is released, the pixels that
// were drawn reach the window at once: the window repaints that area and lays them over its
// own painting. A later Invalidate or InvalidateRect of the window replaces them, as on
// Windows. Raster operations that read the destination see the offscreen copy, not the screen.
class CClientDC : public CDC {
  DECLARE_DYNAMIC(CClientDC)
 public:
  explicit CClientDC(CWnd* pWnd);
  // Releases the context: what was drawn appears in the window.
  ~CClientDC() override;

 protected:
  HWND m_hWnd;

 private:
  CWnd* m_pWnd;
  HBITMAP m_hBitmap = nullptr;
  HGDIOBJ m_hOldBitmap = nullptr;
  void* m_pBits = nullptr;
  int m_cx = 0, m_cy = 0;
};

// ---------------------------------------------------------------------------------------------
// Windows

struct CWndState;  // toolkit side of a CWnd

class CWnd : public CCmdTarget {
  DECLARE_DYNCREATE(CWnd)
 public:
  CWnd();
  // Destroys a window it created (without messages); an adopted window is only let go.
  ~CWnd() override;

  HWND m_hWnd;

  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }
  // The CWnd of a live handle; null for stale or foreign handles and off the user-interface
  // thread.
  static CWnd* FromHandle(HWND hWnd);
  static CWnd* FromHandlePermanent(HWND hWnd) { return FromHandle(hWnd); }
  // The toolkit window behind this object (null before creation and after destruction).
  wxWindow* GetWxWindow() const;
  // The CWnd bound to a toolkit window or to its nearest ancestor that has one (null when none).
  static CWnd* FromWxOrAncestor(const wxWindow* pWindow);
  // TRUE for a window made without a toolkit window (see CreatesHeadless).
  BOOL IsHeadless() const;

  // Creates a plain child window of pParentWnd (or a top-level one without a parent); sends
  // WM_CREATE with a CREATESTRUCT whose lpCreateParams is pContext. FALSE when WM_CREATE
  // returns -1 (the window is destroyed again).
  virtual BOOL Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                      CWnd* pParentWnd, UINT nID, CCreateContext* pContext = nullptr);
  // Binds an existing toolkit window (made elsewhere) to this object: its events become this
  // object's messages. FALSE when this object already has a window or the window has a CWnd.
  BOOL AdoptWx(wxWindow* pWindow, UINT nID = 0);
  // Lets the window go without destroying it; its events no longer reach this object.
  wxWindow* Detach();
  // Takes over the control nID of pParent (a dialog's control made from its template): its
  // messages reach this object from then on. FALSE when there is no such control or this
  // object already has a window.
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
  // Called when this object has just taken over a window (SubclassDlgItem); a control class
  // sets up its look here.
  virtual void PreSubclassWindow() {}
  // Sends WM_DESTROY, removes the handle and calls PostNcDestroy (which may delete the object).
  virtual BOOL DestroyWindow();

  // Messages.
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, BOOL bDeep = TRUE,
                                BOOL bOnlyPerm = FALSE);
  virtual BOOL PreTranslateMessage(MSG* pMsg);

  // Timers: one per id; setting an id again replaces its timer. Ticks arrive as WM_TIMER, or
  // call lpfnTimer when given.
  UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer);
  BOOL KillTimer(UINT_PTR nIDEvent);

  // Painting: "repaint this now" is InvalidateRect + UpdateWindow.
  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void UpdateWindow();
  BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, void* prgnUpdate = nullptr,
                    UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
  void ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect = nullptr, LPCRECT lpClipRect = nullptr);
  // A context for drawing into the client area now (a CClientDC made with new); ReleaseDC
  // shows what was drawn and deletes it. 1 when released, 0 for a context not from GetDC.
  CDC* GetDC();
  int ReleaseDC(CDC* pDC);
  // The window's menu bar (frames): shown through the toolkit; the items' update handlers run
  // when a pop-up opens and in the idle pass; a chosen item sends WM_COMMAND with lParam 0 to
  // the window. The window does not own the menu: destroying the menu takes it off the window,
  // and a menu detached from every CMenu goes with the window. FALSE for windows that are not
  // frames. SetMenu(nullptr) removes the bar.
  BOOL SetMenu(CMenu* pMenu);
  CMenu* GetMenu() const;
  // Shows structural changes (items or pop-ups added) of the menu bar's menus.
  void DrawMenuBar();

  // Mouse capture.
  CWnd* SetCapture();
  static CWnd* GetCapture();

  // Geometry (client coordinates start at 0,0; window rectangles are in screen coordinates).
  void GetClientRect(LPRECT lpRect) const;
  void GetWindowRect(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  // Positions are in the parent's client coordinates (screen for top-level windows).
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);

  // State.
  BOOL ShowWindow(int nCmdShow);
  // Returns whether the window was disabled before.
  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsWindowVisible() const;
  // The nearest toolkit ancestor that has a CWnd (helper panels between are skipped).
  CWnd* GetParent() const;
  CFrameWnd* GetParentFrame() const;
  CWnd* GetDlgItem(int nID) const;
  int GetDlgCtrlID() const;
  int SetDlgCtrlID(int nID);
  CWnd* SetFocus();
  static CWnd* GetFocus();
  void SetWindowText(const wchar_t* lpszString);
  void GetWindowText(CString& rString) const;
  int GetWindowText(wchar_t* lpszStringBuf, int nMaxCount) const;
  int GetWindowTextLength() const;
  void DragAcceptFiles(BOOL bAccept = TRUE);
  // The window's own scroll bar nBar (SB_HORZ, SB_VERT). While a scroll message is handled,
  // SIF_TRACKPOS gives the full thumb position, which the message carries in 16 bits only.
  BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask = SIF_ALL) const;
  // Sets the range, page and position of the window's own scroll bar (a window made with
  // WS_HSCROLL / WS_VSCROLL); returns the position. The position is kept inside the range. A
  // page of 0 reads back as 1 (the toolkit's bars have a thumb of at least one unit).
  int SetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, BOOL bRedraw = TRUE);
  // A modal message box (or the installed test hook's answer); IDOK, IDCANCEL, IDYES, IDNO...
  int MessageBox(const wchar_t* lpszText, const wchar_t* lpszCaption = nullptr, UINT nType = MB_OK);

  // Message handling.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // What happens to a message nobody handled: WM_CLOSE destroys the window; other messages
  // let the toolkit run its own handling of the event (after the handler returns).
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // DefWindowProc of the message being handled.
  LRESULT Default();
  // WM_COMMAND: a menu, accelerator or toolkit command (lParam 0) whose update handler disables
  // it is refused; otherwise routed through OnCmdMsg.
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual void PostNcDestroy();

  // Default handlers: each passes the message on to Default().
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnClose();
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDblClk(UINT nFlags, CPoint point);
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnCaptureChanged(CWnd* pWnd);
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnKillFocus(CWnd* pNewWnd);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDropFiles(HDROP hDropInfo);

  CWndState* GetState() const { return m_pState; }

 protected:
  // Makes the toolkit window for Create; derived classes make their own kind.
  virtual wxWindow* CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                                   UINT nID);
  // TRUE makes Create build this window without a toolkit window, so that code making frames
  // and views runs headless: messages, ids, the parent chain, children, showing and
  // destruction work; what needs a screen does nothing. Children of such a window are made
  // the same way.
  virtual BOOL CreatesHeadless() const { return FALSE; }

 private:
  CWndState* m_pState;
};

// ---------------------------------------------------------------------------------------------
// Menus: items kept here; a frame's menu bar (CWnd::SetMenu) and pop-up menus (TrackPopupMenu)
// are shown through the toolkit. Texts mark the mnemonic with '&' ("&&" is a literal '&'); what
// follows a tab (a shortcut's text) is not shown, since keys go through accelerator tables.

struct CMenuItem;

namespace lwmfc {
// One entry of a menu table, the form in which the program's menus are kept. Entries are
// listed in order; an entry with MF_POPUP opens a pop-up whose entries follow it; MF_END marks
// the last entry of the menu or pop-up it belongs to. Separators have MF_SEPARATOR.
struct MenuTableItem {
  UINT nFlags;
  UINT nID;
  const wchar_t* lpszText;
};
// Makes a table known under a resource id (CMenu::LoadMenu); the entries are not copied.
void RegisterMenuTable(UINT nIDResource, const MenuTableItem* pItems, int nCount);
// The toolkit cursor a cursor handle of LoadCursorW stands for (one object per handle for the
// whole run); null for any other handle.
const wxCursor* WxCursorOf(HCURSOR hCursor);
}  // namespace lwmfc

class CMenu : public CObject {
  DECLARE_DYNAMIC(CMenu)
 public:
  CMenu();
  // Destroys the menu it holds (and its pop-ups), unless it was detached.
  ~CMenu() override;

  // A menu bar; its pop-ups are appended with MF_POPUP.
  BOOL CreateMenu();
  BOOL CreatePopupMenu();
  // A menu bar built from the table registered under nIDResource (FALSE when there is none or
  // the table is malformed: a pop-up without entries or an MF_END missing).
  BOOL LoadMenu(UINT nIDResource);
  BOOL LoadMenuTable(const lwmfc::MenuTableItem* pItems, int nCount);
  // A pop-up that belongs to a menu is destroyed with that menu and is refused here; a menu
  // shown as a frame's menu bar leaves the frame first.
  BOOL DestroyMenu();
  // Takes a menu handle (FALSE for a stale one or when this object holds a menu) / lets it go.
  BOOL Attach(HMENU hMenu);
  HMENU Detach();
  HMENU GetSafeHmenu() const { return m_hMenu; }
  // The object for a live menu handle (kept by the menu; null for stale handles).
  static CMenu* FromHandle(HMENU hMenu);
  // MF_STRING (with MF_GRAYED, MF_DISABLED, MF_CHECKED), MF_SEPARATOR, or MF_POPUP with the
  // pop-up's HMENU as nIDNewItem: the pop-up then belongs to this menu. FALSE for a stale
  // pop-up handle, one that already belongs to a menu, or this menu itself.
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const wchar_t* lpszNewItem = nullptr);
  // The pop-up at nPos (null when the item there is not a pop-up).
  CMenu* GetSubMenu(int nPos) const;
  UINT GetMenuItemCount() const;
  // The command id at nPos; 0 for a separator, (UINT)-1 out of range.
  UINT GetMenuItemID(int nPos) const;
  // nID by command (MF_BYCOMMAND) or position (MF_BYPOSITION). Return the previous state, or
  // (UINT)-1 when there is no such item.
  UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
  UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck);
  UINT GetMenuState(UINT nID, UINT nFlags) const;
  BOOL ModifyMenuText(UINT nPos, const wchar_t* lpszNewItem);
  int GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const;

  // Runs the owner frame's OnInitMenuPopup (the update handlers of the items), shows the menu at
  // x, y (screen coordinates) and posts the chosen command to pWnd as WM_COMMAND with lParam 0;
  // with TPM_RETURNCMD returns the command instead. 0 when nothing was chosen.
  BOOL TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect = nullptr);

  HMENU m_hMenu;

 private:
  CMenuItem* Find(UINT nID, UINT nFlags) const;
  BOOL m_bTemporary = FALSE;  // made by FromHandle: never destroys the menu
};

// ---------------------------------------------------------------------------------------------
// Frames, views, the single-document template, the document manager and the application

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)
 public:
  CFrameWnd();
  ~CFrameWnd() override;

  // Creates the top-level frame window.
  BOOL Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
              const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, UINT nID = 0,
              CCreateContext* pContext = nullptr) override;

  // Creates the frame with its client (the view from pContext); nIDResource names the
  // resources, of which only the title is used here.
  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW, CWnd* pParentWnd = nullptr,
                         CCreateContext* pContext = nullptr);
  // Makes the view of pContext as a child of GetViewParent() with the id nID.
  CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);
  // Makes the pane-first view active when none is, sends WM_INITIALUPDATE to every view under
  // the frame and shows the frame when bMakeVisible.
  virtual void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
  // Where views are created (the frame itself; a frame with panes gives the client panel).
  virtual CWnd* GetViewParent() { return this; }
  // Lays out the frame's client area: visible control bars (ids AFX_IDW_CONTROLBAR_FIRST to
  // AFX_IDW_CONTROLBAR_LAST) at the top, the status bar at the bottom, each keeping its
  // height, and the pane-first view in what is left. Runs on every WM_SIZE of the frame; a
  // frame whose client area a docking manager lays out is left to it.
  virtual void RecalcLayout(BOOL bNotify = TRUE);

  // The view that receives commands first. Views that may not be activated are ignored.
  CView* GetActiveView() const { return m_pViewActive; }
  virtual void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
  virtual CDocument* GetActiveDocument();

  // Active view (then its document and the document's template), own maps, the application.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // Keys matching the accelerator table become WM_COMMAND (through the enabled test), from
  // whichever window of the frame has the focus.
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // The accelerator table registered under nIDResource (lwmfc::RegisterAcceleratorTable).
  BOOL LoadAccelTable(UINT nIDResource);
  // The frame's accelerator table (not owned): set it directly or with LoadAccelTable.
  HACCEL m_hAccelTable = nullptr;
  // Runs the update handlers of a pop-up menu's items with this frame as the target; items
  // nobody handles are disabled.
  virtual void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  // The update pass over the frame's command items; runs the registered passes (toolkit
  // controls, status panes) with this frame as the target.
  virtual void OnUpdateCmdUIAll();
  // A pass run by OnUpdateCmdUIAll (a command bar registers itself); removing takes it off.
  typedef void (*PFN_UPDATEPASS)(CFrameWnd* pFrame, void* pContext);
  void AddUpdatePass(PFN_UPDATEPASS pfn, void* pContext);
  void RemoveUpdatePass(PFN_UPDATEPASS pfn, void* pContext);

  static const CRect rectDefault;
  // When TRUE the frame deletes itself once its window is destroyed (frames made by a document
  // template); frames made by hand are deleted by their owner.
  BOOL m_bAutoDelete = FALSE;

 protected:
  void PostNcDestroy() override;
  wxWindow* CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                           UINT nID) override;
  // WM_CREATE: OnCreateClient with the context; -1 when it fails.
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
  // Asks the application to save modified documents before the frame closes.
  afx_msg void OnClose();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  // Files dropped on the frame (DragAcceptFiles): the application opens the first one.
  afx_msg void OnDropFiles(HDROP hDropInfo);
  DECLARE_MESSAGE_MAP()
  CView* m_pViewActive;

 private:
  std::vector<std::pair<PFN_UPDATEPASS, void*>> m_updatePasses;
};

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)
 public:
  ~CView() override;
  CDocument* GetDocument() const { return m_pDocument; }
  // Own maps, then the document's routing.
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) override;
  // UpdateAllViews reaches here (repaints by default).
  virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
  // WM_INITIALUPDATE (sent when the document was made new or opened) reaches here; calls
  // OnUpdate(nullptr, 0, nullptr).
  virtual void OnInitialUpdate();
  // Prepares the paint context before OnDraw (nothing here; the scroll view sets the origin).
  virtual void OnPrepareDC(CDC* pDC, void* pInfo = nullptr);
  virtual void OnDraw(CDC* pDC) = 0;

  // A click makes the view the frame's active view (unless m_bActivateOnClick is FALSE) and
  // gives it the focus; the event bridge calls this before the button message.
  void ActivateOnClick();

  // When FALSE the view never becomes the frame's active view (a side pane keeps commands
  // going to the main view).
  BOOL m_bActivateOnClick;
  CDocument* m_pDocument;

 protected:
  CView();
  // The view's window paints itself completely (no toolkit background).
  wxWindow* CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                           UINT nID) override;
  // A view's window going away deletes the view (views are made with new).
  void PostNcDestroy() override;
  // Paints through CPaintDC: OnPrepareDC, then OnDraw.
  afx_msg void OnPaint();
  afx_msg LRESULT OnInitialUpdateMessage(WPARAM wParam, LPARAM lParam);
  // Joins the document of the creation context.
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  DECLARE_MESSAGE_MAP()
};

// A view larger than its window: the window owns its scroll bars, their messages scroll the
// view, and OnPrepareDC moves the drawing origin by the scroll position. Sizes are in pixels
// (MM_TEXT).
class CScrollView : public CView {
  DECLARE_DYNAMIC(CScrollView)
 public:
  // Passing sizeDefault for the page or line takes a tenth of the total, or of the page.
  static const SIZE sizeDefault;

  // The whole size of the view, the step of a page scroll and of a line scroll. Keeps the
  // position inside the new range and updates the bars.
  void SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage = sizeDefault,
                      const SIZE& sizeLine = sizeDefault);
  CSize GetTotalSize() const { return m_totalLog; }
  CPoint GetScrollPosition() const { return m_ptScroll; }
  CPoint GetDeviceScrollPosition() const { return m_ptScroll; }
  // Scrolls to pt (clamped to the range), moving the window content and the bars.
  void ScrollToPosition(POINT pt);
  // Origin at minus the scroll position.
  void OnPrepareDC(CDC* pDC, void* pInfo = nullptr) override;

 protected:
  CScrollView();
  wxWindow* CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                           UINT nID) override;
  // Scrolls by a bar code (SB_LINEUP...SB_BOTTOM, SB_THUMBTRACK/SB_THUMBPOSITION with nPos).
  virtual BOOL OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll = TRUE);
  virtual BOOL OnScrollBy(CSize sizeScroll, BOOL bDoScroll = TRUE);
  // The largest scroll position for the current window size.
  CPoint GetMaxScrollPosition() const;
  void UpdateBars();

  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  // Three lines per notch (WHEEL_DELTA) vertically, or horizontally when only that scrolls.
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
  DECLARE_MESSAGE_MAP()

  int m_nMapMode;
  CSize m_totalLog;
  CSize m_pageDev;
  CSize m_lineDev;
  CPoint m_ptScroll;
  int m_nWheelRemainder;
};

// The thread that runs the message loop. Only what routing and idle updates need is here.
class CWinThread : public CCmdTarget {
  DECLARE_DYNAMIC(CWinThread)
 public:
  CWinThread() = default;
  ~CWinThread() override = default;
  // Idle work; lCount counts the idle calls since the last message. The first call runs the
  // main frame's update pass. TRUE asks for more idle time.
  virtual BOOL OnIdle(LONG lCount);
  virtual CWnd* GetMainWnd() { return m_pMainWnd; }

  CWnd* m_pMainWnd = nullptr;
};

// ---------------------------------------------------------------------------------------------
// The single-document template: one document, made once and reused by every New and Open, in
// one frame with its view, all made from run-time classes.

class CSingleDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CSingleDocTemplate)
 public:
  CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                     CRuntimeClass* pViewClass);
  // Deletes the document (its frame is the application's to close).
  ~CSingleDocTemplate() override;

  POSITION GetFirstDocPosition() const override;
  CDocument* GetNextDoc(POSITION& rPos) const override;
  // Saves changes first (Cancel or a failed save: null, the document untouched), makes the
  // frame once, then a new document (no path) or the file. A failed open leaves an unmodified
  // document as it was and empties one that loading damaged.
  CDocument* OpenDocumentFile(const wchar_t* lpszPathName, BOOL bAddToMRU = TRUE, BOOL bMakeVisible = TRUE) override;
  BOOL SaveAllModified() override;

  virtual CDocument* CreateNewDocument();
  virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
  virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
  virtual void SetDefaultTitle(CDocument* pDocument);

  UINT m_nIDResource;
  CRuntimeClass* m_pDocClass;
  CRuntimeClass* m_pFrameClass;
  CRuntimeClass* m_pViewClass;
  CDocument* m_pOnlyDoc;
};

// The application's templates and the File New / Open commands.
class CDocManager : public CObject {
  DECLARE_DYNAMIC(CDocManager)
 public:
  CDocManager() = default;
  // Deletes the templates.
  ~CDocManager() override;

  void AddDocTemplate(CDocTemplate* pTemplate);
  POSITION GetFirstDocTemplatePosition() const;
  CDocTemplate* GetNextDocTemplate(POSITION& rPos) const;
  // A new document from the first template.
  virtual void OnFileNew();
  // Asks for a file name, then opens it.
  virtual void OnFileOpen();
  // A path that is already open is only brought forward; otherwise the first template opens it.
  virtual CDocument* OpenDocumentFile(const wchar_t* lpszFileName, BOOL bAddToMRU = TRUE);
  virtual BOOL SaveAllModified();
  // Asks for a file name through the file dialog; FALSE when cancelled.
  virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                CDocTemplate* pTemplate);

 private:
  std::vector<CDocTemplate*> m_templateList;
};

// The standard command line: a file name to open. The print and DDE switches (/p, /pt, /dde and
// their '-' forms) are recognised and ignored; anything else is the file, so a Linux path
// starting with '/' is a file, not a switch.
class CCommandLineInfo : public CObject {
 public:
  enum { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };
  ~CCommandLineInfo() override = default;
  // One argument: pszParam without its switch character when bFlag.
  virtual void ParseParam(const wchar_t* pszParam, BOOL bFlag, BOOL bLast);

  int m_nShellCommand = FileNew;
  CString m_strFileName;
};

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)
 public:
  // The one application object of the process: AfxGetApp() returns it while it lives.
  explicit CWinApp(const wchar_t* lpszAppName = nullptr);
  ~CWinApp() override;

  virtual BOOL InitInstance() { return TRUE; }
  virtual int ExitInstance() { return 0; }

  // The command line given to AfxWinMain (or SetCommandLine), without the program name.
  void SetCommandLine(int argc, const char* const* argv);
  void ParseCommandLine(CCommandLineInfo& rCmdInfo);
  // New: a new document; Open: the file (FALSE when it does not open). FALSE also when no
  // document could be made.
  BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);

  // Documents (the manager is made by the first AddDocTemplate).
  void AddDocTemplate(CDocTemplate* pTemplate);
  virtual CDocument* OpenDocumentFile(const wchar_t* lpszFileName);
  virtual BOOL SaveAllModified();
  afx_msg void OnFileNew();
  afx_msg void OnFileOpen();

  // The shell's file types. EnableShellOpen only records the wish; RegisterShellFileTypes
  // writes, for every template with a filter extension, a desktop entry that opens the
  // program with a file and a shared-mime-info type for the extension, in the user's XDG
  // data folder ($XDG_DATA_HOME or ~/.local/share): "applications/<name>.desktop" and
  // "mime/packages/<name>.xml", <name> being the lower-case program name. Files already
  // holding the same text are left alone; the desktop and MIME databases are refreshed when
  // their tools are installed. Nothing here fails the start-up.
  void EnableShellOpen();
  void RegisterShellFileTypes(BOOL bCompat = FALSE);

  // The profile: an INI file <XDG config folder>/<registry key>/<profile name>.ini, written
  // through at once. SetRegistryKey names the folder (the file then takes the application's
  // name); without it the file is <profile name>.ini in the config folder.
  void SetRegistryKey(const wchar_t* lpszRegistryKey);
  CString GetProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszDefault = nullptr);
  BOOL WriteProfileString(const wchar_t* lpszSection, const wchar_t* lpszEntry, const wchar_t* lpszValue);
  UINT GetProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nDefault);
  BOOL WriteProfileInt(const wchar_t* lpszSection, const wchar_t* lpszEntry, int nValue);
  // The profile file's path (empty before the application has a name).
  CString GetProfilePath() const;

  // The recent-file list: up to nMaxMRU names, newest first, kept in section
  // "Recent File List" as "File1".."FileN".
  void LoadStdProfileSettings(UINT nMaxMRU = 4);
  virtual void AddToRecentFileList(const wchar_t* lpszPathName);
  int GetRecentFileCount() const { return static_cast<int>(m_recentFiles.size()); }
  CString GetRecentFile(int nIndex) const;
  // Opens recent file nID - ID_FILE_MRU_FILE1; a file that fails to open leaves the list.
  afx_msg BOOL OnOpenRecentFile(UINT nID);

  const wchar_t* m_pszAppName;
  CString m_strRegistryKey;
  CString m_strProfileName;
  CDocManager* m_pDocManager = nullptr;

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  void WriteRecentFileList();
  afx_msg void OnRecentFileCommand(UINT nID);
  std::vector<CString> m_args;
  UINT m_nMaxMRU = 0;
  std::vector<CString> m_recentFiles;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The program's entry: starts the toolkit with the application object (which must exist),
// runs InitInstance, the message loop with idle calls to OnIdle until the last frame closes,
// then ExitInstance, whose result it returns. 1 when the toolkit or InitInstance fails.
int AfxWinMain(int argc, char** argv);

// A message box over the main window (or the installed test hook's answer).
int AfxMessageBox(const wchar_t* lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

// ---------------------------------------------------------------------------------------------
// Test hooks: installed first by GUI tests so that a dialog never waits for a person.

namespace lwmfc {

// Answers MessageBox instead of showing it; called with the text, caption and type.
typedef int (*PFN_MESSAGEBOXHOOK)(const wchar_t* lpszText, const wchar_t* lpszCaption, UINT nType);
void SetMessageBoxHook(PFN_MESSAGEBOXHOOK pfn);
PFN_MESSAGEBOXHOOK GetMessageBoxHook();

// Answers a file dialog instead of showing it: bOpen, the proposed name (in/out), the filter.
// FALSE means cancelled.
typedef BOOL (*PFN_FILEDIALOGHOOK)(BOOL bOpen, CString& rFileName, const wchar_t* lpszFilter);
void SetFileDialogHook(PFN_FILEDIALOGHOOK pfn);
PFN_FILEDIALOGHOOK GetFileDialogHook();

// For a test's photograph of the screen, called on the user-interface thread: paints what the
// shown top-level windows have waiting, has the display server carry out everything drawn so
// far (a round trip) and says whether the screen now shows it: FALSE while events the server
// sent back meanwhile (an exposure of a window just shown, a new size) wait for the event loop,
// which handles and paints them on its next pass.
BOOL ScreenCaughtUp();

// Starts delivering cross-thread messages on the calling (user-interface) thread: call once
// after the toolkit is up (the application does). Stop cancels what is queued and wakes every
// waiting sender; later posts and sends fail.
void StartMessageDispatch();
void StopMessageDispatch();

// Registers an accelerator table under a resource id (LoadAcceleratorsW, LoadAccelTable); the
// entries are copied. A later registration under the same id replaces the table for later loads.
void RegisterAcceleratorTable(UINT nIDResource, const ACCEL* pAccel, int nCount);

// Makes the status bar's panes part of the frame's update pass (OnUpdateCmdUIAll, run at idle
// time); Detach takes them out (a status bar detaches before it goes).
void AttachStatusPanes(CFrameWnd* pFrame, CStatusPaneSource* pSource);
void DetachStatusPanes(CFrameWnd* pFrame, CStatusPaneSource* pSource);

}  // namespace lwmfc

// Dialogs, data exchange and the standard controls.
#include "afxdialog.h"
