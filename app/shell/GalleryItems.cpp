#include "GalleryItems.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include <QorpDrawHelpers.h>
#include <QorpPaintManager.h>
#include <vectorloom/UnitConv.h>

#include "LeafwrightApp.h"
#include "ShellIds.h"

// ---------------------------------------------------------------------------------------------
// Items

void CGalleryItemFontColor::Draw(CDC* pDC, CQORPControlGallery*, CRect rcItem, BOOL, BOOL bSelected, BOOL,
                                 BOOL bChecked) {
  auto* dc = dynamic_cast<CQORPGalleryDC*>(pDC);
  if (!dc) return;
  CRect rc = rcItem;
  rc.DeflateRect(2, 0);
  if (m_bTopBorder) rc.top += 2;
  if (m_bBottomBorder) rc.bottom -= 2;
  dc->FillSolidRect(rc, m_clr);
  if (bSelected) {
    dc->FrameRect(rc, RGB(242, 148, 54));
    dc->FrameRect(CRect(rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1), RGB(255, 226, 148));
  } else if (bChecked) {
    dc->FrameRect(rc, RGB(239, 72, 16));
    dc->FrameRect(CRect(rc.left + 1, rc.top + 1, rc.right - 1, rc.bottom - 1), RGB(255, 226, 148));
  } else {
    const COLORREF grey = RGB(197, 197, 197);
    if (m_bTopBorder) dc->HorzLine(rc.left, rc.right, rc.top, grey);
    dc->VertLine(rc.left, rc.top, rc.bottom, grey);
    dc->VertLine(rc.right - 1, rc.top, rc.bottom, grey);
    if (m_bBottomBorder) dc->HorzLine(rc.left, rc.right, rc.bottom - 1, grey);
  }
}

void CGalleryItemFontFace::Draw(CDC* pDC, CQORPControlGallery*, CRect rcItem, BOOL bEnabled, BOOL bSelected,
                                BOOL bPressed, BOOL bChecked) {
  auto* dc = dynamic_cast<CQORPGalleryDC*>(pDC);
  if (!dc) return;
  DrawItemBackground(pDC, rcItem, bEnabled, bSelected, bPressed, bChecked);
  const CQORPPaintManager* pm = CQORPPaintManager::Get();
  const COLORREF clrText = CQORPDrawHelpers::ReadableText(
      pm->GetColor(bEnabled ? QORP_CLR_PANEL_LABEL : QORP_CLR_DISABLED_LABEL),
      GetItemBackColor(bEnabled, bSelected, bPressed, bChecked), bEnabled ? 7.0 : 4.5);
  CRect rcText = rcItem;
  rcText.left += 4;
  rcText.right -= 2;
  const CString face = GetFaceName();
  // The name in its own face when that face can show it (a symbol face or one without the
  // name's script would show boxes).
  dc->DrawText(face, rcText, clrText, CQORPGalleryDC::FaceShowing(face, face), 15.0);
}

void CGalleryItemStamp::Draw(CDC* pDC, CQORPControlGallery*, CRect rcItem, BOOL bEnabled, BOOL bSelected, BOOL bPressed,
                             BOOL bChecked) {
  auto* dc = dynamic_cast<CQORPGalleryDC*>(pDC);
  if (!dc) return;
  DrawItemBackground(pDC, rcItem, bEnabled, bSelected, bPressed, bChecked);
  CRect rc = rcItem;
  rc.DeflateRect(6, 3);
  const COLORREF back = GetItemBackColor(bEnabled, bSelected, bPressed, bChecked);
  const COLORREF ink = CQORPDrawHelpers::ReadableText(bEnabled ? m_clr : RGB(0x80, 0x80, 0x80), back);
  for (int i = 0; i < 2; ++i) dc->FrameRect(CRect(rc.left + i, rc.top + i, rc.right - i, rc.bottom - i), ink);
  dc->DrawText(GetCaption(), CRect(rc.left + 4, rc.top + 2, rc.right - 4, rc.bottom - 2), ink, nullptr, 9.0, TRUE, TRUE);
}

std::vector<StampLook> StampLooks(UINT nGalleryId) {
  const COLORREF blue = RGB(0x1F, 0x4E, 0x9A), green = RGB(0x1B, 0x7A, 0x2E), red = RGB(0xB3, 0x26, 0x1E);
  switch (nGalleryId) {
    case ID_STAMP_SIGN_HERE:
      return {{345, blue, L"SIGN HERE"}, {346, blue, L"INITIAL HERE"}, {347, blue, L"WITNESS"}, {348, green, L"ACCEPTED"},
              {349, red, L"REJECTED"}};
    case ID_STAMP_STANDARD_BUSINESS:
      return {{351, green, L"APPROVED"},        {352, red, L"NOT APPROVED"},        {353, blue, L"DRAFT"},
              {354, blue, L"FINAL"},            {355, green, L"COMPLETED"},         {356, red, L"CONFIDENTIAL"},
              {357, green, L"FOR PUBLIC RELEASE"}, {358, red, L"NOT FOR PUBLIC RELEASE"}, {359, blue, L"FOR COMMENT"},
              {360, red, L"VOID"},              {361, blue, L"PRELIMINARY RESULTS"}, {362, blue, L"INFORMATION ONLY"}};
    case ID_STAMP_DYNAMIC:
      return {{363, blue, L"REVISED"}, {364, blue, L"REVIEWED"}, {365, blue, L"RECEIVED"}, {366, green, L"APPROVED"},
              {367, blue, L"SIGNED"}};
    default:
      return {};
  }
}

// ---------------------------------------------------------------------------------------------
// Collections

CString FormatColorItemCaption(int nPercent, const wchar_t* lpszName, const wchar_t* lpszSlot) {
  CString s;
  s.Format(L"%s, %s", lpszName ? lpszName : L"", lpszSlot ? lpszSlot : L"");
  if (nPercent != 0) {
    CString more;
    more.Format(L", %s %i%%", nPercent > 0 ? L"Lighter" : L"Darker", std::abs(nPercent));
    s += more;
  }
  return s;
}

namespace {

struct ThemeColumn {
  COLORREF clr;
  const wchar_t* name;
  const wchar_t* slot;
};
constexpr ThemeColumn kThemeColumns[10] = {
    {RGB(255, 255, 255), L"White", L"Background 1"}, {RGB(0, 0, 0), L"Black", L"Text 1"},
    {RGB(238, 236, 225), L"Tan", L"Background 2"},   {RGB(31, 73, 125), L"Dark Blue", L"Text 2"},
    {RGB(79, 129, 189), L"Blue", L"Accent 1"},       {RGB(192, 80, 77), L"Red", L"Accent 2"},
    {RGB(155, 187, 89), L"Olive Green", L"Accent 3"}, {RGB(128, 100, 162), L"Purple", L"Accent 4"},
    {RGB(75, 172, 198), L"Aqua", L"Accent 5"},       {RGB(247, 150, 70), L"Orange", L"Accent 6"},
};
// Rows 0-5 by column group: column 0, column 1, column 2, columns 3 to 9.
constexpr int kRowPercents[6][4] = {{0, 0, 0, 0},      {-5, 50, -10, 80},  {-15, 35, -25, 60},
                                    {-25, 25, -50, 40}, {-35, 15, -75, -25}, {-50, 5, -90, -50}};

COLORREF Shade(COLORREF clr, int nPercent) {
  if (nPercent == 0) return clr;
  double h = 0, s = 0, l = 0;
  CQORPDrawHelpers::RGBtoHSL(clr, h, s, l);
  l = nPercent > 0 ? l + (1.0 - l) * nPercent / 100.0 : l * (1.0 + nPercent / 100.0);
  return CQORPDrawHelpers::HSLtoRGB(h, s, l);
}

// Item images: a strip of cx-wide pictures, 0xAARRGGBB, drawn in dark grey on transparent.
constexpr uint32_t kInk = 0xFF333333u;

struct Strip {
  int cxImage, cy, count;
  std::vector<uint32_t> px;
  Strip(int cxImage_, int cy_, int count_)
      : cxImage(cxImage_), cy(cy_), count(count_), px(static_cast<size_t>(cxImage_) * cy_ * count_, 0u) {}
  void Set(int image, int x, int y, uint32_t c) {
    if (x < 0 || x >= cxImage || y < 0 || y >= cy) return;
    px[static_cast<size_t>(y) * cxImage * count + static_cast<size_t>(image) * cxImage + x] = c;
  }
  void Apply(CQORPControlGalleryItems* pItems) { pItems->SetImageStrip(px, cxImage * count, cy, cxImage); }
};

// The dash patterns of the 23 dash styles, in units of the line's thickness (on, off, ...);
// style 0 is solid.
const std::vector<std::vector<int>>& DashPatterns() {
  static const std::vector<std::vector<int>> patterns = {
      {},           {3, 1},       {1, 1},          {3, 1, 1, 1},    {3, 1, 1, 1, 1, 1}, {6, 2},
      {6, 2, 1, 2}, {6, 2, 1, 2, 1, 2}, {2, 2},    {4, 4},          {8, 4},             {8, 4, 2, 4},
      {1, 3},       {2, 1},       {5, 1},          {5, 1, 1, 1},    {10, 3},            {10, 3, 3, 3},
      {10, 3, 1, 3, 1, 3}, {12, 6}, {1, 2},        {4, 2, 4, 6},    {6, 1, 1, 1, 1, 1, 1, 1},
  };
  return patterns;
}

}  // namespace

void FillThemeColorItems(CQORPControlGalleryItems* pItems) {
  if (!pItems) return;
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 10; ++col) {
      const int nPercent = kRowPercents[row][std::min(col, 3)];
      const COLORREF clr = Shade(kThemeColumns[col].clr, nPercent);
      const BOOL bTop = row <= 1, bBottom = row == 0 || row == 5;
      auto item = std::make_unique<CGalleryItemFontColor>(clr, bTop, bBottom);
      const CString caption = FormatColorItemCaption(nPercent, kThemeColumns[col].name, kThemeColumns[col].slot);
      item->SetCaption(caption);
      item->SetToolTip(caption);
      item->SetSize(CSize(17, 13 + (bTop ? 2 : 0) + (bBottom ? 2 : 0)));
      pItems->AddItem(std::move(item), static_cast<int>(clr));
    }
}

void FillStandardColorItems(CQORPControlGalleryItems* pItems) {
  if (!pItems) return;
  static constexpr ThemeColumn kStandard[10] = {
      {RGB(192, 0, 0), L"Dark Red", nullptr},   {RGB(255, 0, 0), L"Red", nullptr},
      {RGB(255, 192, 0), L"Orange", nullptr},   {RGB(255, 255, 0), L"Yellow", nullptr},
      {RGB(146, 208, 80), L"Light Green", nullptr}, {RGB(0, 176, 80), L"Green", nullptr},
      {RGB(0, 176, 240), L"Light Blue", nullptr}, {RGB(0, 112, 192), L"Blue", nullptr},
      {RGB(0, 32, 96), L"Dark Blue", nullptr},  {RGB(112, 48, 160), L"Purple", nullptr},
  };
  for (const ThemeColumn& c : kStandard) {
    auto item = std::make_unique<CGalleryItemFontColor>(c.clr, TRUE, TRUE);
    item->SetCaption(c.name);
    item->SetToolTip(c.name);
    item->SetSize(CSize(17, 17));
    pItems->AddItem(std::move(item), static_cast<int>(c.clr));
  }
}

void FillFontFaceItems(CQORPControlGalleryItems* pItems, const CQORPFontList* pList) {
  if (!pItems) return;
  if (!pList) {
    CQORPFontList* pShared = CQORPFontList::GetShared();
    pShared->Refresh();
    pList = pShared;
  }
  for (int i = 0; i < pList->GetCount(); ++i) {
    const CQORPFontEntry* pEntry = pList->GetAt(i);
    if (!pEntry || pEntry->m_dwFontType != QORP_FONTTYPE_SCALABLE) continue;
    auto item = std::make_unique<CGalleryItemFontFace>(pEntry);
    item->SetCaption(pEntry->m_strFaceName);
    pItems->AddItem(std::move(item));
  }
}

float PointsToPixels(float fPoints) {
  const CLeafwrightApp* app = GetLeafwrightApp();
  const double dpi = app && app->m_nScreenDpiX > 0 ? app->m_nScreenDpiX : Vectorloom::kScreenDpi;
  return Vectorloom::CUnitConv::Weight2Pixel(fPoints, dpi);
}

void CGalleryCollections::Create() {
  // Font faces and sizes: rows as wide as the gallery.
  fontFaces.SetItemSize(CSize(0, 26));
  FillFontFaceItems(&fontFaces);
  fontSizes.SetItemSize(CSize(0, 17));
  for (size_t i = 0; i < kGalleryFontSizes.size(); ++i) {
    CString s;
    s.Format(L"%d", kGalleryFontSizes[i]);
    fontSizes.AddItem(s, static_cast<int>(i));
  }

  // Transparencies: a label, then six swatches over a checkerboard, more see-through to the left.
  transparencies.SetItemSize(CSize(26, 26));
  transparencies.AddLabel(L"Transparency");
  {
    Strip strip(24, 24, 6);
    for (int i = 0; i < 6; ++i)
      for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 24; ++x) {
          const bool dark = ((x / 4) + (y / 4)) % 2 == 0;
          const int back = dark ? 0x99 : 0xFF;
          const int a = kGalleryTransparencies[static_cast<size_t>(i)];
          // Blue (0x1F497D) over the checkerboard with the item's alpha.
          auto mix = [a, back](int c) { return (c * a + back * (255 - a)) / 255; };
          uint32_t c = 0xFF000000u | (static_cast<uint32_t>(mix(0x1F)) << 16) | (static_cast<uint32_t>(mix(0x49)) << 8) |
                       static_cast<uint32_t>(mix(0x7D));
          if (x == 0 || y == 0 || x == 23 || y == 23) c = kInk;
          strip.Set(i, x, y, c);
        }
    strip.Apply(&transparencies);
  }
  for (int i = 0; i < 6; ++i) {
    CString tip;
    tip.Format(L"%d", kGalleryTransparencies[static_cast<size_t>(i)]);
    CQORPControlGalleryItem* p = transparencies.AddItem(L"", i, i);
    p->SetToolTip(tip);
  }

  // Stroke widths: a line of each width beside its caption.
  strokeWidths.SetItemSize(CSize(0, 22));
  {
    Strip strip(96, 16, 9);
    for (int i = 0; i < 9; ++i) {
      const int t = std::clamp(static_cast<int>(std::lround(PointsToPixels(static_cast<float>(kGalleryStrokeWidths[static_cast<size_t>(i)])))), 1, 16);
      const int y0 = (16 - t) / 2;
      for (int y = y0; y < y0 + t; ++y)
        for (int x = 2; x < 94; ++x) strip.Set(i, x, y, kInk);
    }
    strip.Apply(&strokeWidths);
  }
  for (int i = 0; i < 9; ++i) {
    CString s;
    s.Format(L"%dpt", kGalleryStrokeWidths[static_cast<size_t>(i)]);
    strokeWidths.AddItem(s, i, i);
  }

  // Dash styles: a 2-pixel line in each pattern.
  dashStyles.SetItemSize(CSize(0, 20));
  {
    Strip strip(74, 16, kGalleryDashStyles);
    const auto& patterns = DashPatterns();
    for (int i = 0; i < kGalleryDashStyles; ++i) {
      const std::vector<int>& pat = patterns[static_cast<size_t>(i)];
      int period = 0;
      for (int v : pat) period += v * 2;
      for (int x = 2; x < 72; ++x) {
        bool on = true;
        if (period > 0) {
          int r = (x - 2) % period;
          for (size_t k = 0; k < pat.size(); ++k) {
            if (r < pat[k] * 2) {
              on = k % 2 == 0;
              break;
            }
            r -= pat[k] * 2;
          }
        }
        if (on)
          for (int y = 7; y < 9; ++y) strip.Set(i, x, y, kInk);
      }
    }
    strip.Apply(&dashStyles);
  }
  for (int i = 0; i < kGalleryDashStyles; ++i) dashStyles.AddItem(L"", i, i);

  // Colours.
  colors.SetItemSize(CSize(17, 13));
  colors.AddLabel(L"Theme Colors");
  FillThemeColorItems(&colors);
  colors.AddLabel(L"Standard Colors");
  FillStandardColorItems(&colors);

  // Stamps, one gallery each; the items are numbered by their place.
  for (auto [pItems, nGallery] : {std::pair{&stampsDynamic, ID_STAMP_DYNAMIC}, std::pair{&stampsSign, ID_STAMP_SIGN_HERE},
                                  std::pair{&stampsBusiness, ID_STAMP_STANDARD_BUSINESS}}) {
    pItems->SetItemSize(CSize(0, 30));
    for (const StampLook& look : StampLooks(nGallery)) {
      auto item = std::make_unique<CGalleryItemStamp>(look.clr);
      item->SetCaption(look.caption);
      pItems->AddItem(std::move(item));
    }
  }

  // Rotation angles.
  rotations.SetItemSize(CSize(0, 20));
  for (size_t i = 0; i < kGalleryRotations.size(); ++i) {
    CString s;
    s.Format(L"%d", kGalleryRotations[i]);
    rotations.AddItem(s, static_cast<int>(i));
  }
}

GalleryPlacement PlaceGallery(CGalleryCollections& c, UINT nGalleryId) {
  switch (nGalleryId) {
    case ID_GALLERY_FONT_FACE:
      return {&c.fontFaces, CSize(290, 508), TRUE, 0};
    case ID_GALLERY_FONT_SIZE:
      return {&c.fontSizes, CSize(42, 272), TRUE, 0};
    case ID_GALLERY_FILL_COLOR:
    case ID_GALLERY_STROKE_COLOR:
      return {&c.colors, CSize(171, 145), FALSE, 0};
    case ID_FILL_TRANSPARENCY:
    case ID_STROKE_TRANSPARENCY:
      return {&c.transparencies, CSize(144, 50), FALSE, 1};
    case ID_STROKE_WIDTH:
      return {&c.strokeWidths, CSize(160, 188), FALSE, 1};
    case ID_DASH_TYPE:
      return {&c.dashStyles, CSize(80, 460), FALSE, 0};
    case ID_ROTATE:
      return {&c.rotations, CSize(60, 188), FALSE, 1};
    case ID_STAMP_DYNAMIC:
      return {&c.stampsDynamic, CSize(220, 5 * 30), FALSE, 0};
    case ID_STAMP_SIGN_HERE:
      return {&c.stampsSign, CSize(220, 5 * 30), FALSE, 0};
    case ID_STAMP_STANDARD_BUSINESS:
      return {&c.stampsBusiness, CSize(220, 240), FALSE, 0};
    default:
      return {};
  }
}

// ---------------------------------------------------------------------------------------------
// Preview

bool PreviewGalleryItem(IGalleryPreviewView* pView, const CQORPControlGallery* pGallery) {
  if (!pView || !pGallery) return false;
  const CQORPControlGalleryItem* pItem = pGallery->GetItem(pGallery->GetSelectedItem());
  if (!pItem) return false;
  const int id = pItem->GetID();
  const bool bText = pView->IsEditingText();
  auto in = [id](const auto& table) { return id >= 0 && static_cast<size_t>(id) < table.size(); };
  switch (static_cast<UINT>(pGallery->GetID())) {
    case ID_GALLERY_FONT_SIZE:
      if (!in(kGalleryFontSizes)) return false;
      pView->PreviewFontSize(bText, static_cast<float>(kGalleryFontSizes[static_cast<size_t>(id)]));
      break;
    case ID_FILL_TRANSPARENCY:
      if (!in(kGalleryTransparencies)) return false;
      pView->PreviewFilledTransparency(bText, kGalleryTransparencies[static_cast<size_t>(id)]);
      break;
    case ID_STROKE_TRANSPARENCY:
      if (!in(kGalleryTransparencies)) return false;
      pView->PreviewStrokedTransparency(bText, kGalleryTransparencies[static_cast<size_t>(id)]);
      break;
    case ID_GALLERY_FILL_COLOR:
      pView->PreviewFilledColor(bText, PreviewColor{static_cast<COLORREF>(id), true, true});
      break;
    case ID_GALLERY_STROKE_COLOR:
      pView->PreviewOutlineColor(bText, PreviewColor{static_cast<COLORREF>(id), true, true});
      break;
    case ID_STROKE_WIDTH:
      if (!in(kGalleryStrokeWidths)) return false;
      pView->PreviewStrokeWidth(PointsToPixels(static_cast<float>(kGalleryStrokeWidths[static_cast<size_t>(id)])));
      break;
    case ID_DASH_TYPE:
      pView->PreviewDashStyle(id);
      break;
    case ID_ROTATE:
      if (!in(kGalleryRotations)) return false;
      pView->PreviewRotatedAngle(kGalleryRotations[static_cast<size_t>(id)]);
      break;
    default:
      return false;
  }
  if (pView->HasPreviewScene()) pView->SetPreviewShown(true);
  return true;
}

void EndGalleryPreview(IGalleryPreviewView* pView) {
  if (!pView) return;
  pView->RestorePrevScene();
  pView->DestroyPreviewScene();
  pView->SetPreviewShown(false);
}
