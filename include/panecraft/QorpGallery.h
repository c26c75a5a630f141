// Galleries: item collections that the program creates once and keeps, the items that draw
// themselves, the gallery control that shows a collection in a drop-down, the colour drop-down
// control and the size combo box. No toolkit header here: the windows live in the layer's
// sources (QorpGalleryWindows.h opens them).
#pragma once

#include <QorpControls.h>

#include <cstdint>
#include <memory>
#include <vector>

class CQORPControlGallery;
class CQORPControlGalleryItems;

// The drawing context an item draws into: one paint of a gallery window. Coordinates are the
// window's pixels; colours are COLORREF (red in the low byte).
class CQORPGalleryDC : public CDC {
 public:
  // pCairo is a cairo_t* (kept as void* so that no drawing header leaks from here).
  explicit CQORPGalleryDC(void* pCairo);
  void* GetCairo() const { return m_pCairo; }

  void FillSolidRect(const RECT& rc, COLORREF clr);
  // A one-pixel frame just inside rc.
  void FrameRect(const RECT& rc, COLORREF clr);
  // One-pixel lines covering the pixels x0..x1-1 of row y, or y0..y1-1 of column x.
  void HorzLine(int x0, int x1, int y, COLORREF clr);
  void VertLine(int x, int y0, int y1, COLORREF clr);
  // One line of text inside rc, vertically centred, cut with an ellipsis when it does not fit.
  // lpszFace null or empty means the user-interface face; the size is in points at 96 dpi.
  void DrawText(const wchar_t* lpszText, const RECT& rc, COLORREF clr, const wchar_t* lpszFace = nullptr,
                double dPointSize = 9.0, BOOL bBold = FALSE, BOOL bCentre = FALSE);
  // Width in pixels of one line of text in that face and size.
  int GetTextWidth(const wchar_t* lpszText, const wchar_t* lpszFace = nullptr, double dPointSize = 9.0,
                   BOOL bBold = FALSE);
  // The face that shows a text: lpszFace when the font the system gives for it has every
  // character of the text, else a face of the system that has them (empty, the user-interface
  // face, when none has). A face name written in its own face thus never shows as empty boxes.
  static CString FaceShowing(const wchar_t* lpszFace, const wchar_t* lpszText);

 private:
  void* m_pCairo;
};

// One gallery item. The program's item classes derive from it and override Draw.
class CQORPControlGalleryItem {
 public:
  CQORPControlGalleryItem();
  virtual ~CQORPControlGalleryItem();
  CQORPControlGalleryItem(const CQORPControlGalleryItem&) = delete;
  CQORPControlGalleryItem& operator=(const CQORPControlGalleryItem&) = delete;

  int GetID() const { return m_nId; }
  void SetID(int nId) { m_nId = nId; }
  // The position in its collection (-1 before it joins one).
  int GetIndex() const { return m_nIndex; }
  CQORPControlGalleryItems* GetItems() const { return m_pItems; }

  CString GetCaption() const { return m_strCaption; }
  void SetCaption(const wchar_t* lpsz) { m_strCaption = lpsz ? lpsz : L""; }
  // The tooltip shown over the item; the caption when none was set.
  CString GetToolTip() const { return m_strToolTip.IsEmpty() ? m_strCaption : m_strToolTip; }
  void SetToolTip(const wchar_t* lpsz) { m_strToolTip = lpsz ? lpsz : L""; }
  // Index into the collection's image strip; -1 for none.
  int GetImageIndex() const { return m_nImage; }
  void SetImageIndex(int nImage) { m_nImage = nImage; }
  BOOL GetEnabled() const { return m_bEnabled; }
  void SetEnabled(BOOL bEnabled) { m_bEnabled = bEnabled ? TRUE : FALSE; }
  // A label is a caption band across the gallery; it cannot be highlighted or picked.
  BOOL IsLabel() const { return m_bLabel; }
  void SetLabel(BOOL bLabel) { m_bLabel = bLabel ? TRUE : FALSE; }
  // The item's size: 0 in cx means the gallery's width, 0 in cy (or both 0) the collection's
  // item size.
  CSize GetSize() const { return m_szItem; }
  void SetSize(CSize sz) { m_szItem = sz; }
  DWORD_PTR GetData() const { return m_dwData; }
  void SetData(DWORD_PTR dwData) { m_dwData = dwData; }

  // Draws the item into rcItem. The toolkit's version paints the background and state
  // (DrawItemBackground), then the image and caption; a label draws its band.
  virtual void Draw(CDC* pDC, CQORPControlGallery* pGallery, CRect rcItem, BOOL bEnabled, BOOL bSelected,
                    BOOL bPressed, BOOL bChecked);

  // The toolkit's background and state frame of an item (theme colours), for item classes
  // that draw their own content on it.
  static void DrawItemBackground(CDC* pDC, CRect rcItem, BOOL bEnabled, BOOL bSelected, BOOL bPressed, BOOL bChecked);
  // The colour DrawItemBackground leaves under the item's content (white where it paints none),
  // for choosing a readable text colour on it.
  static COLORREF GetItemBackColor(BOOL bEnabled, BOOL bSelected, BOOL bPressed, BOOL bChecked);

 private:
  friend class CQORPControlGalleryItems;
  int m_nId = 0;
  int m_nIndex = -1;
  CQORPControlGalleryItems* m_pItems = nullptr;
  CString m_strCaption, m_strToolTip;
  int m_nImage = -1;
  BOOL m_bEnabled = TRUE;
  BOOL m_bLabel = FALSE;
  CSize m_szItem{0, 0};
  DWORD_PTR m_dwData = 0;
};

// An item collection: owns its items. Galleries only point to it, so it must outlive them
// (the program keeps its collections for its lifetime).
class CQORPControlGalleryItems {
 public:
  explicit CQORPControlGalleryItems(int nId = 0);
  ~CQORPControlGalleryItems();
  CQORPControlGalleryItems(const CQORPControlGalleryItems&) = delete;
  CQORPControlGalleryItems& operator=(const CQORPControlGalleryItems&) = delete;

  int GetID() const { return m_nId; }
  // Takes ownership of pItem; nId -1 gives the item its index as id. Returns the item (null for
  // a null item).
  CQORPControlGalleryItem* AddItem(std::unique_ptr<CQORPControlGalleryItem> pItem, int nId = -1, int nImage = -1);
  CQORPControlGalleryItem* AddItem(const wchar_t* lpszCaption, int nId = -1, int nImage = -1);
  CQORPControlGalleryItem* AddLabel(const wchar_t* lpszCaption);
  int GetItemCount() const { return static_cast<int>(m_items.size()); }
  // Null out of range.
  CQORPControlGalleryItem* GetItem(int nIndex) const;
  void Remove(int nIndex);
  void RemoveAll();

  // The default item size (20 x 20 until set).
  CSize GetItemSize() const { return m_szItem; }
  void SetItemSize(CSize sz);

  // Item images: a strip of images cxImage wide, pixels 0xAARRGGBB row by row (not
  // premultiplied). FALSE (and no images) for sizes that do not fit the pixels given.
  BOOL SetImageStrip(const std::vector<uint32_t>& pixels, int cxStrip, int cy, int cxImage);
  int GetImageCount() const;
  CSize GetImageSize() const { return CSize(m_cxImage, m_cyImage); }
  // The pixels of the strip (empty without images) and its width.
  const std::vector<uint32_t>& GetImagePixels() const { return m_pixels; }
  int GetImageStripWidth() const { return m_cxStrip; }

  // Grows with every change, so windows showing the collection know to lay out again.
  unsigned GetChangeCount() const { return m_nChanges; }

 private:
  void Renumber();
  int m_nId;
  std::vector<std::unique_ptr<CQORPControlGalleryItem>> m_items;
  CSize m_szItem{20, 20};
  std::vector<uint32_t> m_pixels;
  int m_cxStrip = 0, m_cyImage = 0, m_cxImage = 0;
  unsigned m_nChanges = 0;
};

// Where the items of a gallery sit for a given width: rows filled left to right; a label, and
// an item whose width is 0 or wider than the row, takes a row of its own. Rectangles are in
// content coordinates (0,0 is the top-left corner inside the margins).
struct QORPGalleryLayout {
  std::vector<CRect> rcItems;  // by item index
  int cyContent = 0;
  static constexpr int kLabelHeight = 20;

  static QORPGalleryLayout Compute(const CQORPControlGalleryItems* pItems, int cxContent);
  // The item under pt (content coordinates); -1 in a gap or outside.
  int HitTest(CPoint pt) const;
  // Keyboard movement from nIndex (-1: nothing yet) by VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME
  // or VK_END over the items that can be highlighted; returns nIndex when there is nowhere to go.
  int Move(const CQORPControlGalleryItems* pItems, int nIndex, UINT nKey) const;
};

// A gallery placed in a pop-up bar or a combo box's drop-down.
class CQORPControlGallery : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlGallery)
 public:
  explicit CQORPControlGallery(int nId = 0);
  ~CQORPControlGallery() override;

  void SetItems(CQORPControlGalleryItems* pItems);
  CQORPControlGalleryItems* GetItems() const { return m_pItems; }
  int GetItemCount() const { return m_pItems ? m_pItems->GetItemCount() : 0; }
  CQORPControlGalleryItem* GetItem(int nIndex) const { return m_pItems ? m_pItems->GetItem(nIndex) : nullptr; }

  // While the drop-down is open: the highlighted item (-1 for none). Otherwise the item last
  // picked or set by SetSelectedItem.
  int GetSelectedItem() const;
  // Shows an item as the current one (-1: none); indexes out of range mean none.
  void SetSelectedItem(int nIndex);
  // The item shown as the current one (the last picked or set), also while the drop-down is open.
  int GetSelectedItemShown() const { return m_nSelected; }
  // The id of the item shown checked (-1: none).
  int GetCheckedItem() const { return m_nCheckedId; }
  void SetCheckedItem(int nId) { m_nCheckedId = nId; }
  BOOL IsItemChecked(const CQORPControlGalleryItem* pItem) const;

  // The size of the gallery inside its drop-down, in pixels.
  CSize GetControlSize() const { return m_szControl; }
  void SetControlSize(CSize sz);
  // Whether the user may drag the drop-down's height.
  BOOL IsResizable() const { return m_bResizable; }
  void SetResizable(BOOL bResizable) { m_bResizable = bResizable ? TRUE : FALSE; }
  // Space left free around the items (left, top, right, bottom).
  CRect GetItemsMargin() const { return m_rcMargin; }
  void SetItemsMargin(int nLeft, int nTop, int nRight, int nBottom);

  // Called each time the highlighted item changes, to an item or to none.
  virtual void OnSelectedItemChanged() {}

  BOOL IsValueControl() const override { return TRUE; }

  // Used by the drop-down windows: highlight tracking while open.
  BOOL IsTracking() const { return m_bTracking; }
  void BeginTracking();
  // Ends tracking; a picked index (>= 0) becomes the selected item.
  void EndTracking(int nPicked);
  int GetHighlightedItem() const { return m_nHighlighted; }
  // Changes the highlighted item and calls OnSelectedItemChanged when it changed; returns
  // whether it did.
  bool SetHighlightedItem(int nIndex);

 private:
  CQORPControlGalleryItems* m_pItems = nullptr;
  int m_nSelected = -1;
  int m_nHighlighted = -1;
  int m_nCheckedId = -1;
  BOOL m_bTracking = FALSE;
  CSize m_szControl{0, 0};
  BOOL m_bResizable = FALSE;
  CRect m_rcMargin{0, 0, 0, 0};
};

// The id of the toolkit's own button at the top of a colour drop-down.
enum : int { QORP_ID_POPUPCOLOR_AUTOMATIC = 9948 };

// A colour split button: a click on the button runs its command; its drop-down holds the
// toolkit's button 9948, a colour gallery and a "More Colors" command. Its icon carries a bar
// of the current colour.
class CQORPControlPopupColor : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlPopupColor)
 public:
  explicit CQORPControlPopupColor(int nId) : CQORPControl(QORP_CONTROL_SPLIT_BUTTON_POPUP, nId) {}
  COLORREF GetColor() const { return m_clr; }
  void SetColor(COLORREF clr);
  // Grows with every colour change, so the button window repaints at the next idle pass.
  unsigned GetColorChangeCount() const { return m_nChanges; }

 private:
  COLORREF m_clr = 0;
  unsigned m_nChanges = 0;
};

// Paints the colour bar into the bottom rows of an icon (pixels 0xAARRGGBB, cx x cy, row by
// row): the bottom quarter of the icon, at least 3 rows, opaque.
void QORPPaintColorBar(std::vector<uint32_t>& pixels, int cx, int cy, COLORREF clr);

// The font-size combo box: understands the size typed into it.
class CQORPControlSizeComboBox : public CQORPControlComboBox {
  DECLARE_DYNAMIC(CQORPControlSizeComboBox)
 public:
  explicit CQORPControlSizeComboBox(int nId) : CQORPControlComboBox(nId) {}
  // The typed size in twips (a twentieth of a point): a decimal number of points, with "." or
  // "," as the decimal mark, optionally followed by "pt"; spaces around are ignored. -1 for
  // text that is not such a number or a size outside 1..1638 points.
  static int GetTwipSize(const wchar_t* lpszText);
};
