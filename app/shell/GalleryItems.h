// The ribbon's gallery item collections (font faces, font sizes, transparencies, stroke widths,
// dash styles, colours, rotation angles), the program's own item classes, and the live preview
// of the item under the pointer on the active view.
#pragma once

#include <afxwin.h>

#include <array>
#include <memory>
#include <vector>

#include <QorpFontList.h>
#include <QorpGallery.h>

// The values the galleries' item ids index.
inline constexpr std::array<int, 20> kGalleryFontSizes = {4,  5,  6,  7,  8,  9,  10, 11, 12, 14,
                                                          16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
inline constexpr std::array<int, 6> kGalleryTransparencies = {0, 32, 64, 128, 192, 255};
inline constexpr std::array<int, 9> kGalleryStrokeWidths = {1, 2, 3, 4, 5, 6, 7, 10, 15};  // points
inline constexpr std::array<int, 16> kGalleryRotations = {5,   25,  45,  70,  90,  115, 135, 155,
                                                          180, 200, 225, 245, 270, 290, 315, 345};
inline constexpr int kGalleryDashStyles = 23;

// A colour swatch of the colour galleries; its id is the colour.
class CGalleryItemFontColor : public CQORPControlGalleryItem {
 public:
  CGalleryItemFontColor(COLORREF clr, BOOL bTopBorder, BOOL bBottomBorder)
      : m_clr(clr), m_bTopBorder(bTopBorder), m_bBottomBorder(bBottomBorder) {}
  COLORREF GetColor() const { return m_clr; }
  BOOL HasTopBorder() const { return m_bTopBorder; }
  BOOL HasBottomBorder() const { return m_bBottomBorder; }
  void Draw(CDC* pDC, CQORPControlGallery* pGallery, CRect rcItem, BOOL bEnabled, BOOL bSelected, BOOL bPressed,
            BOOL bChecked) override;

 private:
  COLORREF m_clr;
  BOOL m_bTopBorder, m_bBottomBorder;
};

// A font family of the font-face gallery, written in its own face.
class CGalleryItemFontFace : public CQORPControlGalleryItem {
 public:
  explicit CGalleryItemFontFace(const CQORPFontEntry* pEntry) : m_pEntry(pEntry) {}
  const CQORPFontEntry* GetFontEntry() const { return m_pEntry; }
  CString GetFaceName() const { return m_pEntry ? m_pEntry->m_strFaceName : CString(); }
  void Draw(CDC* pDC, CQORPControlGallery* pGallery, CRect rcItem, BOOL bEnabled, BOOL bSelected, BOOL bPressed,
            BOOL bChecked) override;

 private:
  const CQORPFontEntry* m_pEntry;
};

// A stamp of the Add Stamp list: its frame band and caption in its colour, as the stamp looks on
// the page. The item's index is the stamp's place in its gallery.
class CGalleryItemStamp : public CQORPControlGalleryItem {
 public:
  explicit CGalleryItemStamp(COLORREF clr) : m_clr(clr) {}
  COLORREF GetColor() const { return m_clr; }
  void Draw(CDC* pDC, CQORPControlGallery* pGallery, CRect rcItem, BOOL bEnabled, BOOL bSelected, BOOL bPressed,
            BOOL bChecked) override;

 private:
  COLORREF m_clr;
};
// The stamps of one gallery (32900 dynamic, 32904 sign here, 32907 standard business), in the
// gallery's order: the resource id, colour and caption of each (as resources/stamps draws them).
struct StampLook {
  int nId;
  COLORREF clr;
  const wchar_t* caption;
};
std::vector<StampLook> StampLooks(UINT nGalleryId);

// "Name, Slot" and, for a percentage other than 0, ", Lighter 80%" or ", Darker 5%".
CString FormatColorItemCaption(int nPercent, const wchar_t* lpszName, const wchar_t* lpszSlot);
// The 60 theme colours (ten columns, six rows) and the 10 standard colours.
void FillThemeColorItems(CQORPControlGalleryItems* pItems);
void FillStandardColorItems(CQORPControlGalleryItems* pItems);
// One item per scalable family of the font list, in its order (the shared list when null).
void FillFontFaceItems(CQORPControlGalleryItems* pItems, const CQORPFontList* pList = nullptr);
// A stroke width in points as pixels at the screen's resolution.
float PointsToPixels(float fPoints);

// The seven collections the frame keeps for its lifetime.
struct CGalleryCollections {
  CQORPControlGalleryItems fontFaces{101};
  CQORPControlGalleryItems fontSizes{102};
  CQORPControlGalleryItems transparencies{32881};
  CQORPControlGalleryItems strokeWidths;
  CQORPControlGalleryItems dashStyles;
  CQORPControlGalleryItems colors{32791};
  CQORPControlGalleryItems rotations;
  CQORPControlGalleryItems stampsDynamic, stampsSign, stampsBusiness;
  void Create();
};

// What a gallery placed in the ribbon shows: its collection and the drop-down's size.
struct GalleryPlacement {
  CQORPControlGalleryItems* pItems = nullptr;
  CSize size{0, 0};
  BOOL bResizable = FALSE;
  int nMarginY = 0;  // free pixels above and below the items
};
GalleryPlacement PlaceGallery(CGalleryCollections& collections, UINT nGalleryId);

// The view's side of the live preview.
struct PreviewColor {
  COLORREF clr;
  bool bColorSet;  // both set by a gallery's preview
  bool bPaintSet;
};
class IGalleryPreviewView {
 public:
  virtual ~IGalleryPreviewView() = default;
  // Text being edited (the editing text tool is current) rather than a selection of objects.
  virtual bool IsEditingText() const = 0;
  virtual void PreviewFontSize(bool bText, float fSize) = 0;
  virtual void PreviewFilledTransparency(bool bText, int nAlpha) = 0;
  virtual void PreviewStrokedTransparency(bool bText, int nAlpha) = 0;
  virtual void PreviewFilledColor(bool bText, const PreviewColor& value) = 0;
  virtual void PreviewOutlineColor(bool bText, const PreviewColor& value) = 0;
  virtual void PreviewStrokeWidth(float fPixels) = 0;
  virtual void PreviewDashStyle(int nStyle) = 0;
  virtual void PreviewRotatedAngle(int nDegrees) = 0;
  virtual bool HasPreviewScene() const = 0;
  virtual void SetPreviewShown(bool bShown) = 0;
  // Both do nothing without a preview scene (a pick may restore before the highlight ends).
  virtual void RestorePrevScene() = 0;
  virtual void DestroyPreviewScene() = 0;
};

// The highlighted item of the gallery previewed on the view, by the gallery's own id; false for
// a gallery that previews nothing, no highlighted item or an id outside its table.
bool PreviewGalleryItem(IGalleryPreviewView* pView, const CQORPControlGallery* pGallery);
// The highlighting ended: the view's look before the preview comes back.
void EndGalleryPreview(IGalleryPreviewView* pView);
