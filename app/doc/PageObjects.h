// The program's page objects, its page class, the object factory, the document class and the
// object records of pages, groups and the clipboard.
//
// Entry points for the file and clipboard code:
//   CCreateObjectFactory::CreateObject(type)    0 shape, 2 group, 3 text, 4 video, else null.
//   CLeafwrightDoc::CreateNewObject(type)       what drawing tools make (0, 2, 3 only).
//   SavePageObjectList / LoadPageObjectList     a group: its record, u32 child count, typed children.
//   SavePageObject / LoadPageObject             one typed object (u32 type + stream) of a page
//                                               block or clipboard list; groups go through the
//                                               two functions above.
//   SaveObjectList / LoadObjectList             u32 count + typed objects (the object part of a
//                                               page block and the clipboard "Objs" block).
//   FinishLoadedObjects                         after a list is read and the document's fonts are
//                                               settled: paths, glyphs of texts at every depth
//                                               (inside groups too), layout and effects. A group
//                                               load builds no glyphs itself, because fonts of a
//                                               page or paste are resolved after its objects
//                                               are read; readers call this once fonts are in.
//   CollectEmbedFontIDs / RemapEmbedFontIDs     font ids of texts at every depth, and one
//                                               old -> new map applied to them in one pass.
//   MergeEmbedFonts                             moves read fonts into a document's manager and
//                                               returns the one map that RemapEmbedFontIDs takes.
//   GetLeafwrightClipboardFormat()              the private clipboard format "Norvane Leafwright".
//
// Object records are those of docs/formats.md ("Object streams"); the program's group child list
// also carries texts (3) and videos (4), so grouping a video survives a save and a paste.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include <QorProgress.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/VideoObj.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ObjectLoader.h>
#include <vectorloom/ShapeObj.h>

namespace Vectorloom {
class CWorkspaceView;
}

// ---------------------------------------------------------------------------------------------
// Application state the object classes read. The running program installs its own; without one
// the defaults of a freshly started program apply (96 dpi, the first preset gradient, the default
// colours, no active drawing tool), so the classes work headless.

// The tools of the editing view that change how shapes are made and measured.
enum class eLeafwrightTool {
  None = 0,        // the selection tool or no view
  Rectangle,
  Oval,
  RoundRect,
  Line,
  Polygon,
  MoveAnchor,
  AddAnchor,
  ConvertAnchor,
  Other,
};

// How a view shows its page: zoom in percent and where the page's (0, 0) lands on the device.
struct LeafwrightViewMetrics {
  double zoomPercent = 100.0;
  int originX = 0;
  int originY = 0;
};

class ILeafwrightAppState {
 public:
  virtual ~ILeafwrightAppState() = default;
  virtual COLORREF GetDefaultFillColor() const = 0;
  virtual COLORREF GetDefaultStrokeColor() const = 0;
  // Preset gradient 0: the fill and stroke gradient of every new shape.
  virtual const Vectorloom::CLocalGradientColorsDefine& GetDefaultGradient() const = 0;
  virtual int GetScreenDpiX() const = 0;
  virtual int GetScreenDpiY() const = 0;
  // The active tool of the document's editing view.
  virtual eLeafwrightTool GetActiveTool() const = 0;
  // Zoom and origin of a view; false when the view is unknown (100 %, origin 0 are used).
  virtual bool GetViewMetrics(const Vectorloom::CWorkspaceView* view, LeafwrightViewMetrics& out) const = 0;
};

// A settable state with the start-up values: fill RGB(0, 128, 0), stroke RGB(255, 153, 0),
// gradient 0x11D43E at 0 to 0xFFFFFF at 4096, 96 x 96 dpi, no tool; every view at 100 %, origin 0
// unless SetViewMetrics says otherwise.
class CDefaultLeafwrightAppState : public ILeafwrightAppState {
 public:
  CDefaultLeafwrightAppState();
  COLORREF GetDefaultFillColor() const override { return m_clrFill; }
  COLORREF GetDefaultStrokeColor() const override { return m_clrStroke; }
  const Vectorloom::CLocalGradientColorsDefine& GetDefaultGradient() const override { return m_gradient; }
  int GetScreenDpiX() const override { return m_nDpiX; }
  int GetScreenDpiY() const override { return m_nDpiY; }
  eLeafwrightTool GetActiveTool() const override { return m_tool; }
  bool GetViewMetrics(const Vectorloom::CWorkspaceView* view, LeafwrightViewMetrics& out) const override;

  void SetDefaultFillColor(COLORREF c) { m_clrFill = c; }
  void SetDefaultStrokeColor(COLORREF c) { m_clrStroke = c; }
  void SetDefaultGradient(const Vectorloom::CLocalGradientColorsDefine& g) { m_gradient = g; }
  // Values below 1 are taken as 96.
  void SetScreenDpi(int x, int y);
  void SetActiveTool(eLeafwrightTool tool) { m_tool = tool; }
  // Metrics for every view (null view included).
  void SetViewMetrics(const LeafwrightViewMetrics& m) { m_view = m; }

  static Vectorloom::CLocalGradientColorsDefine MakePresetGradient0();

 private:
  COLORREF m_clrFill;
  COLORREF m_clrStroke;
  Vectorloom::CLocalGradientColorsDefine m_gradient;
  int m_nDpiX = 96;
  int m_nDpiY = 96;
  eLeafwrightTool m_tool = eLeafwrightTool::None;
  LeafwrightViewMetrics m_view;
};

// The state in force (a built-in CDefaultLeafwrightAppState until one is installed).
ILeafwrightAppState& GetLeafwrightAppState();
// Installs a state (not owned; it must outlive its use); null goes back to the built-in one.
// Returns the state installed before.
ILeafwrightAppState* SetLeafwrightAppState(ILeafwrightAppState* state);

// ---------------------------------------------------------------------------------------------
// Page objects.

// A shape (code 0). New shapes take the application's colours, are stroked 2 points wide and
// carry the default gradient in both definitions.
class CPageShapeObj : public Vectorloom::CCustomPathObj {
 public:
  CPageShapeObj();
  ~CPageShapeObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  // The same for given view metrics and active tool.
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected, eLeafwrightTool tool) const;
};

// A text box (code 3) whose two object lengths start at 0.03 inch in screen pixels.
class CPageTextObj : public CDDrawTextObj {
 public:
  CPageTextObj();
  ~CPageTextObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const;
  // The layout box (0, 0, width, height): what the handles frame and the bounds are made of.
  Vectorloom::CQorVectorRect<float> GetObjectBox() const override;
};

// A group (code 2).
class CPageGroupObj : public Vectorloom::CRenderGroupObj {
 public:
  CPageGroupObj();
  ~CPageGroupObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const;
};

// A video (code 4).
class CPageVideoObj : public CBaseVideoObj {
 public:
  CPageVideoObj();
  ~CPageVideoObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const;
};

// The two rotation handle points of an object on the device (after its matrix and then
// `deviceMatrix`): p0 the centre of its box, p1 the middle of its top edge. The rotation grip
// sits 20 pixels beyond p1, away from p0.
void GetRotationHandles(const Vectorloom::CRenderBaseObj& obj, const Vectorloom::CQorTransMatrix& deviceMatrix,
                        Vectorloom::CQorVectorPoint<float>& p0, Vectorloom::CQorVectorPoint<float>& p1);

// A page of the program: a new one is 8.5 x 11 inches, not loaded, no flags.
class CPageBusiPage : public CDrawingPage {
 public:
  CPageBusiPage();
  ~CPageBusiPage() override;
  // A deep copy: the same size, unit, flags, loaded flag, attribute word, content source (one more
  // reference) and source index; clones of the background and of every object with their paths
  // and effects rebuilt. A lazy page gives a lazy copy bound to the same source page.
  Vectorloom::CRenderPage* Clone() const override;
};

// ---------------------------------------------------------------------------------------------
// Object factory and document.

class CCreateObjectFactory : public Vectorloom::CBaseObjectFactory {
 public:
  // 0 CPageShapeObj, 2 CPageGroupObj, 3 CPageTextObj, 4 CPageVideoObj; null for anything else.
  // The object comes with no reference taken.
  Vectorloom::CRenderBaseObj* CreateObject(int type) override;
};

class CLeafwrightDoc : public CPublicationDoc {
  DECLARE_DYNCREATE(CLeafwrightDoc)

 public:
  CLeafwrightDoc();
  ~CLeafwrightDoc() override;

  // Also gives up the clips unpacked for this document (the program reuses one document object
  // for every New and Open).
  void DeleteContents() override;

  // 0 shape, 2 group, 3 text; null for every other code (videos are never drawn). A shape made
  // while a rectangle, oval, rounded-rectangle, line or polygon tool is active is outline only.
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override;

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

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  void MakeBlankPages(float width, float height, int unit, int count);
  CQorCommonProgress* m_pSaveProgress = nullptr;
  bool m_bOpenFailed = false;
};

// ---------------------------------------------------------------------------------------------
// Object records.

// Deepest group nesting that is written or read (a top-level group is depth 1).
inline constexpr int kMaxPageGroupDepth = Vectorloom::CRenderGroupObj::kMaxGroupDepth;

// Whether a group's child list carries a record for an object of this code (0, 2, 3, 4). Other
// children are left out and not counted, so the count always matches the records.
bool IsPageObjectListChildType(int type);

// Writes the group's record, the u32 count of its recorded children and each child as a typed
// record (a child group recursively). 1 on success; 0 when groups nest deeper than
// kMaxPageGroupDepth (nothing is then guaranteed about what was written). A failing file throws.
int SavePageObjectList(CPageGroupObj& group, CFile& file, const CString& version, int depth = 1);
// Reads what SavePageObjectList wrote, after the group's type word. 1 on success. 0 on a short
// or malformed record, a child count larger than the bytes left can hold, a child code other than
// 0, 2, 3, 4, a failed child, or nesting deeper than kMaxPageGroupDepth; the group's children are
// then removed. Builds no glyphs (see FinishLoadedObjects).
int LoadPageObjectList(CPageGroupObj& group, CFile& file, const Vectorloom::CResourceModule* module,
                       Vectorloom::CBitmapResObjsList& bitmaps, const CString& version, int depth = 1);

// Sets of object type codes, one bit per code.
constexpr uint32_t PageObjectTypeBit(int type) { return type >= 0 && type < 32 ? (1u << type) : 0u; }
// Codes a page block and a group child list carry: 0, 2, 3, 4.
inline constexpr uint32_t kPageObjectTypes = PageObjectTypeBit(0) | PageObjectTypeBit(2) | PageObjectTypeBit(3) |
                                             PageObjectTypeBit(4);
// Codes the clipboard's object list carries at its top level: 0, 2, 3.
inline constexpr uint32_t kClipboardObjectTypes = PageObjectTypeBit(0) | PageObjectTypeBit(2) | PageObjectTypeBit(3);

// One typed object: its u32 type word and stream (a group with its child list). False, with
// nothing written, for an object whose code has no record (1).
bool SavePageObject(CFile& file, Vectorloom::CRenderBaseObj& obj, const CString& version);
// Reads one typed object through CCreateObjectFactory. Returns it with no reference taken, or
// null on any failure (type not in allowedTypes, short or malformed stream).
Vectorloom::CRenderBaseObj* LoadPageObject(CFile& file, const Vectorloom::CResourceModule* module,
                                           Vectorloom::CBitmapResObjsList& bitmaps, const CString& version,
                                           uint32_t allowedTypes = kPageObjectTypes);

// u32 count, then the typed records of the list's objects whose code is in savedTypes (only
// those are counted). Returns the number written.
uint32_t SaveObjectList(CFile& file, const Vectorloom::CRenderBaseObjectList& list, const CString& version,
                        uint32_t savedTypes = kPageObjectTypes);
// Reads a counted list into `out` (appended, one reference each). False on any failure, with
// everything this call appended removed again; a count larger than the bytes left can hold fails
// before anything is made.
bool LoadObjectList(CFile& file, Vectorloom::CRenderBaseObjectList& out, const Vectorloom::CResourceModule* module,
                    Vectorloom::CBitmapResObjsList& bitmaps, const CString& version,
                    uint32_t allowedTypes = kPageObjectTypes);

// After objects were read and the document's fonts settled: shapes and videos rebuild their
// paths, groups BuildAllShapeObjectsPath, texts at every depth BuildAllGlypths with the document's
// fonts and glyph cache and RecalcuLayout(0), every listed object CreateEffectsDIBs(3, 0).
void FinishLoadedObjects(Vectorloom::CRenderBaseObjectList& list, CPublicationDoc& doc);
// Only the glyphs and layout of texts at every depth.
void BuildTextsGlyphs(const Vectorloom::CRenderBaseObjectList& list, const GlyphweaveLib::CEmbedFontResManager* fonts,
                      GlyphweaveLib::CFontCacheManager* cache);

// Embedded-font ids (>= 0) used by texts at every depth, each once, appended to ids.
void CollectEmbedFontIDs(const Vectorloom::CRenderBaseObjectList& list, std::vector<int>& ids);
// Renames font ids of texts at every depth through one map, each run looked up once, so a new id
// that equals another old id is never renamed again.
void RemapEmbedFontIDs(const Vectorloom::CRenderBaseObjectList& list, const std::map<int, int>& oldToNew);

// Moves fonts into a document's manager. A font whose id the manager does not hold keeps its id;
// one equal to the manager's font of its id is dropped; one that differs gets a fresh id
// (CreateNewEmbedFontID, after every kept font is in) and an entry old -> new in the returned
// map. Comparisons are made against the fonts the manager held before the call. `fonts` is
// emptied; fonts with a negative or repeated id are dropped.
std::map<int, int> MergeEmbedFonts(GlyphweaveLib::CEmbedFontResManager& into,
                                   std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>>& fonts);

// ---------------------------------------------------------------------------------------------
// The private clipboard format "Norvane Leafwright", registered at start-up.
inline constexpr const wchar_t* kLeafwrightClipboardFormatName = L"Norvane Leafwright";
extern UINT g_nLeafwrightClipFormat;
UINT GetLeafwrightClipboardFormat();
