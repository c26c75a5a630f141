// The publication document and its pages. A page may hold its content only lazily: until it is
// needed it is bound to a content source (an opened PDF file or the program's own document file)
// and a page index in it.
//
// Threading rule: all content work on the pages of one document is serialised by that
// document's content lock (GetContentLock / LockContent). CDrawingPage::LoadPageContent takes
// it itself, and so do the document's own operations over its pages (ClearSouceContent, the
// destructor). Clearing a page (Clear) and editing a page's objects from any thread other than
// the only one that uses the document must be done while holding LockContent(). A content
// source is shared by the pages bound to it and is therefore only ever called under the lock of
// the document it loads into: one thread at a time.
// The embedded-font manager (GetEmbedFontResManager) guards its own table: page loads add fonts
// under the content lock while typing and drawing look them up under the glyph cache's lock.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include <glyphweave/EmbedFontRes.h>
#include <glyphweave/FontCacheManager.h>
#include <vectorloom/RenderPage.h>
#include <vectorloom/UnitConv.h>
#include <vectorloom/VectorTypes.h>
#include <vectorloom/WorkspaceDoc.h>

namespace Quirebook {

class CDrawingPage;
class CPublicationDoc;
class CVideoFilePathsMap;

// Where a page's content comes from. Page numbers are 1-based.
class IPageContentSource : public Vectorloom::CRefObj {
 public:
  virtual bool LoadPageContent(CDrawingPage* page, int number, CPublicationDoc* doc) = 0;
  virtual int GetPagesCount() = 0;
};

class CDrawingPage : public Vectorloom::CRenderPage {
 public:
  static constexpr unsigned long kFlagIntegrateTexts = 0x1;

  CDrawingPage() = default;
  ~CDrawingPage() override;
  CDrawingPage(const CDrawingPage&) = delete;
  // The base page (references to its objects), then size, unit, loaded flag, flags, source index
  // and the source as a counted reference.
  CDrawingPage& operator=(const CDrawingPage& other);

  float GetLogWidth() const { return m_fLogWidth; }
  float GetLogHeight() const { return m_fLogHeight; }
  void SetLogWidth(float w) { m_fLogWidth = w; }
  void SetLogHeight(float h) { m_fLogHeight = h; }
  int GetPageLogUnit() const { return m_nLogUnit; }
  void SetPageLogUnit(int unit) { m_nLogUnit = unit; }
  int IsPageContentLoaded() const { return m_bContentLoaded; }
  void SetPageContentLoaded(int loaded) { m_bContentLoaded = loaded ? 1 : 0; }
  unsigned long GetPageFlags() const { return m_dwPageFlags; }
  void SetPageFlags(unsigned long flags) { m_dwPageFlags = static_cast<uint32_t>(flags); }
  bool IsNeedIntegrateTexts() const { return (m_dwPageFlags & kFlagIntegrateTexts) != 0; }
  void SetNeedIntegrateTextsFlag(bool on) {
    m_dwPageFlags = on ? (m_dwPageFlags | kFlagIntegrateTexts) : (m_dwPageFlags & ~static_cast<uint32_t>(kFlagIntegrateTexts));
  }
  IPageContentSource* GetPageContentSource() const { return m_pSource; }
  // Nothing happens for the source already held; otherwise the old one is released and a
  // reference taken on the new one (null allowed).
  void SetPageSourceContent(IPageContentSource* source);
  void SetPageSourceIndex(int index) { m_nSourceIndex = index; }
  int GetPageSourceIndex() const { return m_nSourceIndex; }

  // The logical size in another unit (pixels at the screen's resolution).
  Vectorloom::CQorVectorSize<float> GetPageSize(int unit) const;

  // Loads the content once: true at once when loaded; false without a source; otherwise asks the
  // source for page index + 1. A failed load leaves the page empty and unloaded, so a later call
  // asks again. Runs under doc's content lock (no lock without a document).
  bool LoadPageContent(CPublicationDoc* doc);

  // Removes and releases every object; the loaded flag stays.
  void Clear();

  // After a PDF page was parsed onto this page: for every text, first to last, builds its glyphs
  // and normalises it (CDDrawTextObj::NormalizePDFText(true)); then marks the page's texts to be
  // merged (also for a page without objects).
  void OnImportPDFDone(const GlyphweaveLib::CEmbedFontResManager* fonts, GlyphweaveLib::CFontCacheManager* cache);
  // Merges the page's imported text pieces into lines and blocks of text, keeping the stacking
  // order against the other objects. The editing view calls it when it is given a page whose
  // texts are still to be merged (IsNeedIntegrateTexts) and clears the flag afterwards; the flag
  // is not touched here.
  void IntegrateTexts();

  // Appends every video object (type 4) of the page, also inside groups, to list (references taken).
  void CollectVideoObjects(Vectorloom::CRenderBaseObjectList& list) const;
  static void CollectVideoObjects(const Vectorloom::CRenderBaseObjectList& objects,
                                  Vectorloom::CRenderBaseObjectList& list);
  // Registers the clip of every video object of the page, also inside groups, in map (for the
  // video section written after the pages).
  void CollectVideoObjects(CVideoFilePathsMap* map) const;

 protected:
  float m_fLogWidth = 531.0f;
  float m_fLogHeight = 666.0f;
  int32_t m_nLogUnit = Vectorloom::UNIT_POINT;
  int32_t m_bContentLoaded = 0;
  uint32_t m_dwPageFlags = 0;
  IPageContentSource* m_pSource = nullptr;
  int32_t m_nSourceIndex = -1;
};

// Something a reader left out of a document to stay within what a file may make it spend.
struct DroppedItem {
  enum Kind {
    kImageTooLarge,   // an image of width x height pixels over the size cap
    kPageSimplified,  // the page had more objects or data than a page may hold
    kPictureUnreadable,  // a picture whose stored bytes do not decode
    kFontUnreadable,     // an embedded font whose record or program cannot be read
    kPartUnreadable,     // part of the page's data cannot be read (damaged or nested too deep)
    kPageUnreadable,     // a page read after the open that cannot be read at all
  };
  int page = 0;  // 1-based
  Kind kind = kImageTooLarge;
  int width = 0, height = 0;

  bool operator==(const DroppedItem&) const = default;
};

// The text telling the user what was left out: one line per item ("Page 7: an image of
// 60,000 x 60,000 pixels was left out"), at most `maxLines` of them and a count of the rest.
// Empty for no items.
std::wstring ComposeDroppedItemsMessage(const std::vector<DroppedItem>& items, size_t maxLines = 10);

class CPublicationDoc : public Vectorloom::CWorkspaceDoc {
  DECLARE_DYNCREATE(CPublicationDoc)
  DECLARE_MESSAGE_MAP()

 public:
  CPublicationDoc();
  ~CPublicationDoc() override;

  // Empties the document: the undo history and the pages, then the glyph cache and the embedded
  // fonts (all under the content lock and the cache's lock), so that nothing of the old content
  // is found by the next one. A new font generation starts.
  void DeleteContents() override;

  // The generation of the document's fonts: a number no other document and no earlier content of
  // this one had. Sources of pages remember the fonts they gave under it.
  uint64_t GetFontsGeneration() const { return m_nFontsGeneration; }

  GlyphweaveLib::CEmbedFontResManager* GetEmbedFontResManager() { return &m_fontManager; }
  GlyphweaveLib::CFontCacheManager* GetFontGlyphCacheManager() { return &m_glyphCache; }

  float GetDocLogWidth() const { return m_fLogWidth; }
  float GetDocLogHeight() const { return m_fLogHeight; }
  int GetDocLogUnit() const { return m_nLogUnit; }
  void SetDocLogSize(float width, float height, int unit) {
    m_fLogWidth = width;
    m_fLogHeight = height;
    m_nLogUnit = unit;
  }
  Vectorloom::CQorVectorSize<float> GetDocLogSize(int unit) const;

  CDrawingPage* GetDrawingPage(int index) const { return static_cast<CDrawingPage*>(m_arrPages.GetAt(index)); }

  // True when no page is bound to a content source any more.
  bool IsAllContentLoaded() const;
  // Unbinds every page from its source (objects and loaded flags stay).
  void ClearSouceContent();

  // Gives every text of objects (groups walked) the face desc over all its characters but a
  // closing paragraph mark. With an action (a CUpdateTextsFontFaceAction) each text is backed up
  // into it first; a text that already had the face leaves no entry.
  void UpdateAllTextsFontFace(const GlyphweaveLib::_CharsFontDesc& desc, const Vectorloom::CRenderBaseObjectList& objects,
                              Vectorloom::CBaseEditAction* action);

  // The lock that serialises loading, clearing and editing page content of this document.
  std::recursive_mutex& GetContentLock() const { return m_contentLock; }
  std::unique_lock<std::recursive_mutex> LockContent() const { return std::unique_lock(m_contentLock); }

  // What readers left out of this document since the list was last taken (any thread); an item
  // already listed is not listed twice.
  void AddDroppedItem(const DroppedItem& item);
  std::vector<DroppedItem> TakeDroppedItems();

  BOOL IsModified() override { return m_bModified; }
  void SetModifiedFlag(BOOL bModified = TRUE) override { m_bModified = bModified ? TRUE : FALSE; }

 protected:
  float m_fLogWidth = 8.5f;
  float m_fLogHeight = 11.0f;
  int32_t m_nLogUnit = Vectorloom::UNIT_INCH;
  BOOL m_bModified = FALSE;
  GlyphweaveLib::CEmbedFontResManager m_fontManager;
  GlyphweaveLib::CFontCacheManager m_glyphCache;
  mutable std::recursive_mutex m_contentLock;
  uint64_t m_nFontsGeneration = 0;
  std::mutex m_droppedLock;
  std::vector<DroppedItem> m_dropped;
};

// A logical size converted between units (eUnit codes; pixels at dpiX / dpiY). Codes outside
// 0..4 give the size unconverted, and so does a pixel conversion without a usable resolution.
Vectorloom::CQorVectorSize<float> ConvertLogSize(float width, float height, int from, int to, int dpiX, int dpiY);
// The screen's resolution (96 when no screen reports one).
void GetScreenDpi(int& dpiX, int& dpiY);

}  // namespace Quirebook

using Quirebook::CDrawingPage;
using Quirebook::CPublicationDoc;
using Quirebook::IPageContentSource;
