// Gallery items, collections, layout and the gallery control; the item drawing context; the
// colour drop-down control and the size combo box's reading of typed sizes.
#include "QorpDrawHelpers.h"
#include "QorpGallery.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include "QorpPaintManager.h"
#include <lwstr.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>
#include <map>
#include <mutex>
#include <string>
#include <utility>

IMPLEMENT_DYNAMIC(CQORPControlGallery, CQORPControl)
IMPLEMENT_DYNAMIC(CQORPControlPopupColor, CQORPControl)
IMPLEMENT_DYNAMIC(CQORPControlSizeComboBox, CQORPControlComboBox)

// The layer's one COLORREF-to-cairo conversion (GalleryView.cpp; its header brings in the
// toolkit, which this file keeps out).
namespace qorp {
void SetColour(cairo_t* cr, COLORREF clr);
}
using qorp::SetColour;

namespace {

constexpr double kPixelsPerPoint = 96.0 / 72.0;

std::string FaceUtf8(const wchar_t* lpszFace) {
  if (!lpszFace || !*lpszFace) return "sans-serif";
  return lw::WideToUtf8(lpszFace);
}

void SelectFont(cairo_t* cr, const wchar_t* lpszFace, double dPointSize, BOOL bBold) {
  cairo_select_font_face(cr, FaceUtf8(lpszFace).c_str(), CAIRO_FONT_SLANT_NORMAL,
                         bBold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, std::clamp(dPointSize, 1.0, 400.0) * kPixelsPerPoint);
}

double TextWidth(cairo_t* cr, const std::string& s) {
  cairo_text_extents_t ext;
  cairo_text_extents(cr, s.c_str(), &ext);
  return ext.x_advance;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Drawing context

CQORPGalleryDC::CQORPGalleryDC(void* pCairo) : m_pCairo(pCairo) { AttachCairo(pCairo); }

void CQORPGalleryDC::FillSolidRect(const RECT& rc, COLORREF clr) {
  auto* cr = static_cast<cairo_t*>(m_pCairo);
  if (!cr || rc.right <= rc.left || rc.bottom <= rc.top) return;
  SetColour(cr, clr);
  cairo_rectangle(cr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
  cairo_fill(cr);
}

void CQORPGalleryDC::HorzLine(int x0, int x1, int y, COLORREF clr) { FillSolidRect(RECT{x0, y, x1, y + 1}, clr); }

void CQORPGalleryDC::VertLine(int x, int y0, int y1, COLORREF clr) { FillSolidRect(RECT{x, y0, x + 1, y1}, clr); }

void CQORPGalleryDC::FrameRect(const RECT& rc, COLORREF clr) {
  if (rc.right <= rc.left || rc.bottom <= rc.top) return;
  HorzLine(rc.left, rc.right, rc.top, clr);
  HorzLine(rc.left, rc.right, rc.bottom - 1, clr);
  VertLine(rc.left, rc.top, rc.bottom, clr);
  VertLine(rc.right - 1, rc.top, rc.bottom, clr);
}

int CQORPGalleryDC::GetTextWidth(const wchar_t* lpszText, const wchar_t* lpszFace, double dPointSize, BOOL bBold) {
  auto* cr = static_cast<cairo_t*>(m_pCairo);
  if (!cr || !lpszText) return 0;
  cairo_save(cr);
  SelectFont(cr, lpszFace, dPointSize, bBold);
  const double w = TextWidth(cr, lw::WideToUtf8(lpszText));
  cairo_restore(cr);
  return static_cast<int>(std::ceil(w));
}

CString CQORPGalleryDC::FaceShowing(const wchar_t* lpszFace, const wchar_t* lpszText) {
  if (!lpszFace || !*lpszFace || !lpszText || !*lpszText) return CString(lpszFace ? lpszFace : L"");
  // Asked for every paint of every item: each answer is kept.
  static std::mutex lock;
  static std::map<std::pair<std::wstring, std::wstring>, CString> known;
  const std::lock_guard<std::mutex> hold(lock);
  const auto key = std::make_pair(std::wstring(lpszFace), std::wstring(lpszText));
  if (const auto it = known.find(key); it != known.end()) return it->second;

  FcCharSet* need = FcCharSetCreate();
  for (const wchar_t* p = lpszText; *p; ++p) FcCharSetAddChar(need, static_cast<FcChar32>(*p));
  auto match = [&](const std::string& family, bool bWithCharacters) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    if (bWithCharacters) FcPatternAddCharSet(pattern, FC_CHARSET, need);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* font = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    return font;
  };
  auto covers = [&](FcPattern* font) {
    FcCharSet* have = nullptr;
    return font && FcPatternGetCharSet(font, FC_CHARSET, 0, &have) == FcResultMatch && FcCharSetIsSubset(need, have);
  };
  CString face = lpszFace;
  FcPattern* own = match(lw::WideToUtf8(lpszFace), false);
  if (!covers(own)) {
    face.Empty();
    FcPattern* other = match("sans-serif", true);
    FcChar8* family = nullptr;
    if (covers(other) && FcPatternGetString(other, FC_FAMILY, 0, &family) == FcResultMatch)
      face = lw::Utf8ToWide(reinterpret_cast<const char*>(family)).c_str();
    if (other) FcPatternDestroy(other);
  }
  if (own) FcPatternDestroy(own);
  FcCharSetDestroy(need);
  known.emplace(key, face);
  return face;
}

void CQORPGalleryDC::DrawText(const wchar_t* lpszText, const RECT& rc, COLORREF clr, const wchar_t* lpszFace,
                              double dPointSize, BOOL bBold, BOOL bCentre) {
  auto* cr = static_cast<cairo_t*>(m_pCairo);
  if (!cr || !lpszText || !*lpszText || rc.right <= rc.left || rc.bottom <= rc.top) return;
  cairo_save(cr);
  cairo_rectangle(cr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
  cairo_clip(cr);
  SelectFont(cr, lpszFace, dPointSize, bBold);
  const double cxAvail = rc.right - rc.left;
  std::wstring text(lpszText);
  std::string utf8 = lw::WideToUtf8(text);
  if (TextWidth(cr, utf8) > cxAvail) {
    // Cut at the longest prefix that fits with the ellipsis (binary search on the prefix length).
    size_t lo = 0, hi = text.size();
    while (lo < hi) {
      const size_t mid = (lo + hi + 1) / 2;
      if (TextWidth(cr, lw::WideToUtf8(text.substr(0, mid) + L"\u2026")) <= cxAvail)
        lo = mid;
      else
        hi = mid - 1;
    }
    utf8 = lw::WideToUtf8(text.substr(0, lo) + L"\u2026");
  }
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  const double w = TextWidth(cr, utf8);
  const double x = bCentre ? rc.left + std::max(0.0, (cxAvail - w) / 2) : rc.left;
  const double y = rc.top + ((rc.bottom - rc.top) - (fe.ascent + fe.descent)) / 2 + fe.ascent;
  SetColour(cr, clr);
  cairo_move_to(cr, std::floor(x), std::round(y));
  cairo_show_text(cr, utf8.c_str());
  cairo_restore(cr);
}

// ---------------------------------------------------------------------------------------------
// Items

CQORPControlGalleryItem::CQORPControlGalleryItem() = default;
CQORPControlGalleryItem::~CQORPControlGalleryItem() = default;

// A gallery's items sit on white.
COLORREF CQORPControlGalleryItem::GetItemBackColor(BOOL bEnabled, BOOL bSelected, BOOL bPressed, BOOL bChecked) {
  const CQORPPaintManager* pm = CQORPPaintManager::Get();
  if (bEnabled && (bSelected || bPressed)) return pm->GetColor(QORP_CLR_HIGHLIGHTED_FILL);
  if (bEnabled && bChecked) return pm->GetColor(QORP_CLR_SELECTED_FILL);
  return RGB(255, 255, 255);
}

void CQORPControlGalleryItem::DrawItemBackground(CDC* pDC, CRect rcItem, BOOL bEnabled, BOOL bSelected,
                                                 BOOL bPressed, BOOL bChecked) {
  auto* dc = dynamic_cast<CQORPGalleryDC*>(pDC);
  if (!dc) return;
  const CQORPPaintManager* pm = CQORPPaintManager::Get();
  if (!bEnabled) return;
  if (bSelected || bPressed) {
    dc->FillSolidRect(rcItem, pm->GetColor(QORP_CLR_HIGHLIGHTED_FILL));
    dc->FrameRect(rcItem, pm->GetColor(QORP_CLR_HIGHLIGHTED_FRAME));
  } else if (bChecked) {
    dc->FillSolidRect(rcItem, pm->GetColor(QORP_CLR_SELECTED_FILL));
    dc->FrameRect(rcItem, pm->GetColor(QORP_CLR_SELECTED_FRAME));
  }
}

void CQORPControlGalleryItem::Draw(CDC* pDC, CQORPControlGallery*, CRect rcItem, BOOL bEnabled, BOOL bSelected,
                                   BOOL bPressed, BOOL bChecked) {
  auto* dc = dynamic_cast<CQORPGalleryDC*>(pDC);
  if (!dc) return;
  const CQORPPaintManager* pm = CQORPPaintManager::Get();
  if (m_bLabel) {
    dc->FillSolidRect(rcItem, pm->GetColor(QORP_CLR_GALLERY_LABEL_BAND));
    dc->HorzLine(rcItem.left, rcItem.right, rcItem.bottom - 1, pm->GetColor(QORP_CLR_HOVER_FRAME));
    CRect rcText = rcItem;
    rcText.left += 6;
    dc->DrawText(m_strCaption, rcText,
                 CQORPDrawHelpers::ReadableText(pm->GetColor(QORP_CLR_PANEL_LABEL), pm->GetColor(QORP_CLR_GALLERY_LABEL_BAND), 7.0),
                 nullptr, 9.0, TRUE);
    return;
  }
  DrawItemBackground(pDC, rcItem, bEnabled, bSelected, bPressed, bChecked);
  CRect rcText = rcItem;
  rcText.DeflateRect(4, 0);
  if (m_pItems && m_nImage >= 0 && m_nImage < m_pItems->GetImageCount()) {
    const CSize szImage = m_pItems->GetImageSize();
    const int x = m_strCaption.IsEmpty() ? rcItem.left + (rcItem.Width() - szImage.cx) / 2 : rcItem.left + 3;
    const int y = rcItem.top + (rcItem.Height() - szImage.cy) / 2;
    auto* cr = static_cast<cairo_t*>(dc->GetCairo());
    // Premultiply the image's pixels into a surface of its own.
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, szImage.cx, szImage.cy);
    if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
      cairo_surface_flush(s);
      unsigned char* data = cairo_image_surface_get_data(s);
      const int stride = cairo_image_surface_get_stride(s);
      const std::vector<uint32_t>& px = m_pItems->GetImagePixels();
      const int cxStrip = m_pItems->GetImageStripWidth();
      for (int row = 0; row < szImage.cy; ++row) {
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(row) * static_cast<size_t>(stride));
        for (int col = 0; col < szImage.cx; ++col) {
          uint32_t p = px[static_cast<size_t>(row) * static_cast<size_t>(cxStrip) +
                          static_cast<size_t>(m_nImage * szImage.cx + col)];
          const uint32_t a = p >> 24;
          auto pm8 = [a](uint32_t c) { return (c * a + 127) / 255; };
          out[col] = (a << 24) | (pm8((p >> 16) & 0xFF) << 16) | (pm8((p >> 8) & 0xFF) << 8) | pm8(p & 0xFF);
        }
      }
      cairo_surface_mark_dirty(s);
      cairo_save(cr);
      cairo_set_source_surface(cr, s, x, y);
      cairo_paint_with_alpha(cr, bEnabled ? 1.0 : 0.4);
      cairo_restore(cr);
    }
    cairo_surface_destroy(s);
    rcText.left = x + szImage.cx + 4;
  }
  if (!m_strCaption.IsEmpty() && rcText.right > rcText.left) {
    const COLORREF clr = CQORPDrawHelpers::ReadableText(
        bEnabled ? pm->GetColor(QORP_CLR_PANEL_LABEL) : pm->GetColor(QORP_CLR_DISABLED_LABEL),
        GetItemBackColor(bEnabled, bSelected, bPressed, bChecked), bEnabled ? 7.0 : 4.5);
    dc->DrawText(m_strCaption, rcText, clr);
  }
}

// ---------------------------------------------------------------------------------------------
// Collections

CQORPControlGalleryItems::CQORPControlGalleryItems(int nId) : m_nId(nId) {}
CQORPControlGalleryItems::~CQORPControlGalleryItems() = default;

CQORPControlGalleryItem* CQORPControlGalleryItems::AddItem(std::unique_ptr<CQORPControlGalleryItem> pItem, int nId,
                                                           int nImage) {
  if (!pItem) return nullptr;
  CQORPControlGalleryItem* p = pItem.get();
  p->m_pItems = this;
  p->m_nIndex = GetItemCount();
  p->m_nId = nId == -1 ? p->m_nIndex : nId;
  if (nImage != -1) p->m_nImage = nImage;
  m_items.push_back(std::move(pItem));
  ++m_nChanges;
  return p;
}

CQORPControlGalleryItem* CQORPControlGalleryItems::AddItem(const wchar_t* lpszCaption, int nId, int nImage) {
  auto pItem = std::make_unique<CQORPControlGalleryItem>();
  pItem->SetCaption(lpszCaption);
  return AddItem(std::move(pItem), nId, nImage);
}

CQORPControlGalleryItem* CQORPControlGalleryItems::AddLabel(const wchar_t* lpszCaption) {
  auto pItem = std::make_unique<CQORPControlGalleryItem>();
  pItem->SetCaption(lpszCaption);
  pItem->SetLabel(TRUE);
  return AddItem(std::move(pItem), -1, -1);
}

CQORPControlGalleryItem* CQORPControlGalleryItems::GetItem(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetItemCount()) return nullptr;
  return m_items[static_cast<size_t>(nIndex)].get();
}

void CQORPControlGalleryItems::Renumber() {
  for (size_t i = 0; i < m_items.size(); ++i) m_items[i]->m_nIndex = static_cast<int>(i);
  ++m_nChanges;
}

void CQORPControlGalleryItems::Remove(int nIndex) {
  if (nIndex < 0 || nIndex >= GetItemCount()) return;
  m_items.erase(m_items.begin() + nIndex);
  Renumber();
}

void CQORPControlGalleryItems::RemoveAll() {
  m_items.clear();
  ++m_nChanges;
}

void CQORPControlGalleryItems::SetItemSize(CSize sz) {
  m_szItem = CSize(std::max<LONG>(sz.cx, 0), std::max<LONG>(sz.cy, 1));
  ++m_nChanges;
}

BOOL CQORPControlGalleryItems::SetImageStrip(const std::vector<uint32_t>& pixels, int cxStrip, int cy, int cxImage) {
  m_pixels.clear();
  m_cxStrip = m_cyImage = m_cxImage = 0;
  ++m_nChanges;
  if (cxStrip <= 0 || cy <= 0 || cxImage <= 0 || cxImage > cxStrip || cxStrip > 65536 || cy > 65536) return FALSE;
  if (pixels.size() != static_cast<size_t>(cxStrip) * static_cast<size_t>(cy)) return FALSE;
  m_pixels = pixels;
  m_cxStrip = cxStrip;
  m_cyImage = cy;
  m_cxImage = cxImage;
  return TRUE;
}

int CQORPControlGalleryItems::GetImageCount() const { return m_cxImage > 0 ? m_cxStrip / m_cxImage : 0; }

// ---------------------------------------------------------------------------------------------
// Layout

QORPGalleryLayout QORPGalleryLayout::Compute(const CQORPControlGalleryItems* pItems, int cxContent) {
  QORPGalleryLayout layout;
  if (!pItems) return layout;
  const int cx = std::max(cxContent, 1);
  const CSize szDefault = pItems->GetItemSize();
  layout.rcItems.resize(static_cast<size_t>(pItems->GetItemCount()));
  int x = 0, y = 0, cyRow = 0;
  auto newRow = [&] {
    if (x > 0) y += cyRow;
    x = 0;
    cyRow = 0;
  };
  for (int i = 0; i < pItems->GetItemCount(); ++i) {
    const CQORPControlGalleryItem* p = pItems->GetItem(i);
    CSize sz = p->GetSize();
    if (sz.cx == 0 && sz.cy == 0) sz = szDefault;
    if (sz.cy <= 0) sz.cy = std::max<LONG>(szDefault.cy, 1);
    if (sz.cx < 0) sz.cx = 0;
    if (p->IsLabel()) sz = CSize(0, kLabelHeight);
    const bool bFullRow = sz.cx == 0 || sz.cx >= cx;
    if (bFullRow || x + sz.cx > cx) newRow();
    const int w = bFullRow ? cx : static_cast<int>(sz.cx);
    layout.rcItems[static_cast<size_t>(i)] = CRect(x, y, x + w, y + static_cast<int>(sz.cy));
    cyRow = std::max(cyRow, static_cast<int>(sz.cy));
    x += w;
    if (bFullRow) newRow();
  }
  layout.cyContent = y + (x > 0 ? cyRow : 0);
  return layout;
}

int QORPGalleryLayout::HitTest(CPoint pt) const {
  // Rows are in order, so a binary search on the tops would do; galleries hold hundreds of items
  // at most, and a linear scan keeps this obviously right.
  for (size_t i = 0; i < rcItems.size(); ++i)
    if (rcItems[i].PtInRect(pt)) return static_cast<int>(i);
  return -1;
}

int QORPGalleryLayout::Move(const CQORPControlGalleryItems* pItems, int nIndex, UINT nKey) const {
  if (!pItems || rcItems.size() != static_cast<size_t>(pItems->GetItemCount())) return nIndex;
  const int n = pItems->GetItemCount();
  auto usable = [&](int i) {
    const CQORPControlGalleryItem* p = pItems->GetItem(i);
    return p && !p->IsLabel() && p->GetEnabled();
  };
  auto first = [&](int from, int step) {
    for (int i = from; i >= 0 && i < n; i += step)
      if (usable(i)) return i;
    return -1;
  };
  if (nIndex < 0 || nIndex >= n) {
    const int f = (nKey == VK_UP || nKey == VK_LEFT || nKey == VK_END) ? first(n - 1, -1) : first(0, 1);
    return f < 0 ? nIndex : f;
  }
  switch (nKey) {
    case VK_HOME: {
      const int f = first(0, 1);
      return f < 0 ? nIndex : f;
    }
    case VK_END: {
      const int f = first(n - 1, -1);
      return f < 0 ? nIndex : f;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      const int f = first(nIndex + (nKey == VK_RIGHT ? 1 : -1), nKey == VK_RIGHT ? 1 : -1);
      return f < 0 ? nIndex : f;
    }
    case VK_UP:
    case VK_DOWN: {
      // The usable item of the nearest row above or below whose centre is nearest horizontally.
      const CRect& rc = rcItems[static_cast<size_t>(nIndex)];
      const int cxCentre = rc.CenterPoint().x;
      const bool bDown = nKey == VK_DOWN;
      int nBest = -1, nBestRowTop = 0, nBestDist = INT_MAX;
      for (int i = 0; i < n; ++i) {
        if (!usable(i)) continue;
        const CRect& r = rcItems[static_cast<size_t>(i)];
        const bool bOther = bDown ? r.top >= rc.bottom : r.bottom <= rc.top;
        if (!bOther) continue;
        const int dist = std::abs(r.CenterPoint().x - cxCentre);
        const bool bCloserRow = nBest < 0 || (bDown ? r.top < nBestRowTop : r.top > nBestRowTop);
        if (bCloserRow || (r.top == nBestRowTop && dist < nBestDist)) {
          nBest = i;
          nBestRowTop = r.top;
          nBestDist = dist;
        }
      }
      return nBest < 0 ? nIndex : nBest;
    }
    default:
      return nIndex;
  }
}

// ---------------------------------------------------------------------------------------------
// Gallery control

CQORPControlGallery::CQORPControlGallery(int nId) : CQORPControl(QORP_CONTROL_GALLERY, nId) {}
CQORPControlGallery::~CQORPControlGallery() = default;

void CQORPControlGallery::SetItems(CQORPControlGalleryItems* pItems) {
  m_pItems = pItems;
  m_nHighlighted = -1;
  if (m_nSelected >= GetItemCount()) m_nSelected = -1;
}

int CQORPControlGallery::GetSelectedItem() const { return m_bTracking ? m_nHighlighted : m_nSelected; }

void CQORPControlGallery::SetSelectedItem(int nIndex) { m_nSelected = nIndex >= 0 && nIndex < GetItemCount() ? nIndex : -1; }

BOOL CQORPControlGallery::IsItemChecked(const CQORPControlGalleryItem* pItem) const {
  if (!pItem || pItem->IsLabel()) return FALSE;
  return (m_nCheckedId != -1 && pItem->GetID() == m_nCheckedId) || pItem->GetIndex() == m_nSelected;
}

void CQORPControlGallery::SetControlSize(CSize sz) { m_szControl = CSize(std::max<LONG>(sz.cx, 0), std::max<LONG>(sz.cy, 0)); }

void CQORPControlGallery::SetItemsMargin(int nLeft, int nTop, int nRight, int nBottom) {
  m_rcMargin = CRect(std::max(nLeft, 0), std::max(nTop, 0), std::max(nRight, 0), std::max(nBottom, 0));
}

void CQORPControlGallery::BeginTracking() {
  m_bTracking = TRUE;
  m_nHighlighted = -1;
}

void CQORPControlGallery::EndTracking(int nPicked) {
  if (nPicked >= 0 && nPicked < GetItemCount()) m_nSelected = nPicked;
  m_bTracking = FALSE;
  m_nHighlighted = -1;
}

bool CQORPControlGallery::SetHighlightedItem(int nIndex) {
  const CQORPControlGalleryItem* p = GetItem(nIndex);
  if (!p || p->IsLabel() || !p->GetEnabled()) nIndex = -1;
  if (nIndex == m_nHighlighted) return false;
  m_nHighlighted = nIndex;
  OnSelectedItemChanged();
  return true;
}

// ---------------------------------------------------------------------------------------------
// Colour drop-down

void CQORPControlPopupColor::SetColor(COLORREF clr) {
  if (clr == m_clr) return;
  m_clr = clr;
  ++m_nChanges;
}

void QORPPaintColorBar(std::vector<uint32_t>& pixels, int cx, int cy, COLORREF clr) {
  if (cx <= 0 || cy <= 0 || pixels.size() != static_cast<size_t>(cx) * static_cast<size_t>(cy)) return;
  const int rows = std::min(cy, std::max(3, cy / 4));
  const uint32_t argb = 0xFF000000u | (static_cast<uint32_t>(GetRValue(clr)) << 16) |
                        (static_cast<uint32_t>(GetGValue(clr)) << 8) | GetBValue(clr);
  for (int y = cy - rows; y < cy; ++y)
    std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * cx, cx, argb);
}

// ---------------------------------------------------------------------------------------------
// Size combo box

int CQORPControlSizeComboBox::GetTwipSize(const wchar_t* lpszText) {
  if (!lpszText) return -1;
  std::wstring s(lpszText);
  auto isSpace = [](wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; };
  while (!s.empty() && isSpace(s.back())) s.pop_back();
  size_t b = 0;
  while (b < s.size() && isSpace(s[b])) ++b;
  s = s.substr(b);
  if (s.size() >= 2 && (s[s.size() - 2] == L'p' || s[s.size() - 2] == L'P') &&
      (s.back() == L't' || s.back() == L'T')) {
    s.resize(s.size() - 2);
    while (!s.empty() && isSpace(s.back())) s.pop_back();
  }
  if (s.empty() || s.size() > 32) return -1;
  // Digits, at most one decimal mark, nothing else; computed in whole twips without the locale.
  long long whole = 0;
  long long frac = 0, fracScale = 1;
  bool bMark = false, bDigit = false;
  for (wchar_t c : s) {
    if (c >= L'0' && c <= L'9') {
      bDigit = true;
      if (!bMark) {
        whole = whole * 10 + (c - L'0');
        if (whole > 100000) return -1;
      } else if (fracScale < 1000000) {
        frac = frac * 10 + (c - L'0');
        fracScale *= 10;
      }
    } else if ((c == L'.' || c == L',') && !bMark) {
      bMark = true;
    } else {
      return -1;
    }
  }
  if (!bDigit) return -1;
  // Twips, rounded to the nearest: whole * 20 + frac / fracScale * 20.
  const long long twips = whole * 20 + (frac * 20 * 2 + fracScale) / (2 * fracScale);
  if (twips < 20 || twips > 1638 * 20) return -1;
  return static_cast<int>(twips);
}
