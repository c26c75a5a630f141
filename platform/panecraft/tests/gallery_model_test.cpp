// Galleries without windows: where items sit, what the pointer and the arrow keys reach, the
// highlighted / selected / checked state, item collections, typed font sizes, the colour bar of
// a colour button's icon, and the pixels the item drawing context touches.
#include <gtest/gtest.h>

#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <QorpGallery.h>

#include <memory>
#include <vector>

namespace {

// The colour gallery's shape: a label, six rows of ten swatches 17 wide (heights 17, 15, 13, 13,
// 13, 15), a label and one row of ten 17 x 17.
std::unique_ptr<CQORPControlGalleryItems> MakeColours() {
  auto items = std::make_unique<CQORPControlGalleryItems>(32791);
  items->SetItemSize(CSize(17, 13));
  items->AddLabel(L"Theme Colors");
  const int heights[6] = {17, 15, 13, 13, 13, 15};
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 10; ++col)
      items->AddItem(L"", static_cast<int>(RGB(row * 40, col * 20, 7)))->SetSize(CSize(17, heights[row]));
  items->AddLabel(L"Standard Colors");
  for (int col = 0; col < 10; ++col) items->AddItem(L"", static_cast<int>(RGB(255, col, 0)))->SetSize(CSize(17, 17));
  return items;
}

TEST(PanecraftGalleryLayout, ColourGridRowsLabelsAndGaps) {
  auto items = MakeColours();
  const QORPGalleryLayout layout = QORPGalleryLayout::Compute(items.get(), 171);
  ASSERT_EQ(layout.rcItems.size(), 72u);
  const int L = QORPGalleryLayout::kLabelHeight;
  struct Case {
    int nIndex;
    CRect rc;
  } cases[] = {
      {0, CRect(0, 0, 171, L)},                                  // label across the gallery
      {1, CRect(0, L, 17, L + 17)},                              // row 0, column 0
      {10, CRect(153, L, 170, L + 17)},                          // row 0, column 9: ten fit in 171
      {11, CRect(0, L + 17, 17, L + 32)},                        // row 1 starts below the tallest of row 0
      {51, CRect(0, L + 17 + 15 + 13 * 3, 17, L + 17 + 15 + 13 * 3 + 15)},  // row 5
      {61, CRect(0, L + 86, 171, 2 * L + 86)},                   // second label
      {62, CRect(0, 2 * L + 86, 17, 2 * L + 103)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nIndex);
    EXPECT_EQ(layout.rcItems[static_cast<size_t>(c.nIndex)], c.rc);
  }
  EXPECT_EQ(layout.cyContent, 2 * L + 103);

  struct Hit {
    CPoint pt;
    int nExpected;
  } hits[] = {
      {CPoint(5, 5), 0},          // on the label
      {CPoint(8, L + 8), 1},      // first swatch
      {CPoint(169, L + 8), 10},   // last pixel column of the last swatch
      {CPoint(170, L + 8), -1},   // the gap right of the row
      {CPoint(8, L + 17), 11},    // first pixel row of row 1
      {CPoint(8, 500), -1},       // below everything
      {CPoint(-1, L + 8), -1},
  };
  for (const Hit& h : hits) EXPECT_EQ(layout.HitTest(h.pt), h.nExpected) << h.pt.x << "," << h.pt.y;
}

TEST(PanecraftGalleryLayout, FullWidthAndOversizedItemsTakeARow) {
  CQORPControlGalleryItems items(102);
  items.SetItemSize(CSize(0, 17));  // "gallery width x 17"
  for (int i = 0; i < 3; ++i) items.AddItem(L"12");
  items.AddItem(L"wide")->SetSize(CSize(500, 30));  // wider than the gallery
  items.AddItem(L"small")->SetSize(CSize(10, 10));
  const QORPGalleryLayout layout = QORPGalleryLayout::Compute(&items, 42);
  EXPECT_EQ(layout.rcItems[0], CRect(0, 0, 42, 17));
  EXPECT_EQ(layout.rcItems[2], CRect(0, 34, 42, 51));
  EXPECT_EQ(layout.rcItems[3], CRect(0, 51, 42, 81)) << "clamped to the width, on a row of its own";
  EXPECT_EQ(layout.rcItems[4], CRect(0, 81, 10, 91));
  EXPECT_EQ(layout.cyContent, 91);
  EXPECT_TRUE(QORPGalleryLayout::Compute(nullptr, 100).rcItems.empty());
  EXPECT_EQ(QORPGalleryLayout::Compute(&items, 0).rcItems.size(), 5u) << "a zero width still lays out";
}

TEST(PanecraftGalleryLayout, ArrowKeysSkipLabelsAndDisabledItems) {
  auto items = MakeColours();
  items->GetItem(13)->SetEnabled(FALSE);
  const QORPGalleryLayout layout = QORPGalleryLayout::Compute(items.get(), 171);
  struct Case {
    const char* pszWhat;
    int nFrom;
    UINT nKey;
    int nExpected;
  } cases[] = {
      {"first key picks the first item", -1, VK_DOWN, 1},
      {"up from nothing picks the last", -1, VK_UP, 71},
      {"right along a row", 1, VK_RIGHT, 2},
      {"right wraps to the next row", 10, VK_RIGHT, 11},
      {"left over a label", 62, VK_LEFT, 60},
      {"down keeps the column", 4, VK_DOWN, 14},
      {"down over a disabled item picks the nearest", 3, VK_DOWN, 12},
      {"down from the last theme row crosses the label", 55, VK_DOWN, 66},
      {"up from the standard row crosses the label", 66, VK_UP, 55},
      {"up from the first row stays", 5, VK_UP, 5},
      {"right at the very end stays", 71, VK_RIGHT, 71},
      {"home", 40, VK_HOME, 1},
      {"end", 40, VK_END, 71},
      {"other keys do nothing", 40, VK_RETURN, 40},
  };
  for (const Case& c : cases) EXPECT_EQ(layout.Move(items.get(), c.nFrom, c.nKey), c.nExpected) << c.pszWhat;

  CQORPControlGalleryItems labelsOnly;
  labelsOnly.AddLabel(L"A");
  const QORPGalleryLayout l2 = QORPGalleryLayout::Compute(&labelsOnly, 100);
  EXPECT_EQ(l2.Move(&labelsOnly, -1, VK_DOWN), -1) << "nothing can be highlighted";
  EXPECT_EQ(layout.Move(&labelsOnly, 3, VK_DOWN), 3) << "a layout of another collection is not used";
}

// The undo gallery's way of following the highlight.
class CCountingGallery : public CQORPControlGallery {
 public:
  using CQORPControlGallery::CQORPControlGallery;
  std::vector<int> seen;
  void OnSelectedItemChanged() override { seen.push_back(GetSelectedItem()); }
};

TEST(PanecraftGalleryControl, HighlightSelectionAndCheckedState) {
  CQORPControlGalleryItems items;
  items.AddLabel(L"Sizes");
  for (int i = 0; i < 5; ++i) items.AddItem(L"x", 100 + i);
  items.GetItem(4)->SetEnabled(FALSE);
  CCountingGallery g(102);
  g.SetItems(&items);
  EXPECT_TRUE(g.IsValueControl());
  EXPECT_EQ(g.GetType(), QORP_CONTROL_GALLERY);

  g.SetSelectedItem(3);
  EXPECT_EQ(g.GetSelectedItem(), 3);
  g.SetSelectedItem(99);
  EXPECT_EQ(g.GetSelectedItem(), -1) << "out of range means none";
  g.SetSelectedItem(2);

  g.BeginTracking();
  EXPECT_EQ(g.GetSelectedItem(), -1) << "while open, the highlighted item";
  EXPECT_EQ(g.GetSelectedItemShown(), 2);
  EXPECT_TRUE(g.SetHighlightedItem(1));
  EXPECT_FALSE(g.SetHighlightedItem(1)) << "no change, no call";
  EXPECT_TRUE(g.SetHighlightedItem(0)) << "a label ends the highlight";
  EXPECT_EQ(g.GetHighlightedItem(), -1);
  EXPECT_FALSE(g.SetHighlightedItem(4)) << "a disabled item cannot be highlighted";
  EXPECT_TRUE(g.SetHighlightedItem(5));
  EXPECT_EQ(g.seen, (std::vector<int>{1, -1, 5}));
  g.EndTracking(5);
  EXPECT_EQ(g.GetSelectedItem(), 5) << "the picked item";
  EXPECT_EQ(g.GetHighlightedItem(), -1);
  g.BeginTracking();
  g.EndTracking(-1);
  EXPECT_EQ(g.GetSelectedItem(), 5) << "closing without a pick keeps it";

  // Checked: by item id, or the selected item.
  g.SetSelectedItem(-1);
  g.SetCheckedItem(102);
  EXPECT_TRUE(g.IsItemChecked(items.GetItem(3)));
  EXPECT_FALSE(g.IsItemChecked(items.GetItem(2)));
  EXPECT_FALSE(g.IsItemChecked(items.GetItem(0))) << "labels are never checked";
  EXPECT_FALSE(g.IsItemChecked(nullptr));
  g.SetCheckedItem(-1);
  g.SetSelectedItem(2);
  EXPECT_TRUE(g.IsItemChecked(items.GetItem(2)));

  // A collection swapped for a shorter one drops a selection beyond its end.
  CQORPControlGalleryItems shorter;
  shorter.AddItem(L"only");
  g.SetSelectedItem(4);
  g.SetItems(&shorter);
  EXPECT_EQ(g.GetSelectedItem(), -1);
  EXPECT_EQ(g.GetItem(5), nullptr);
}

TEST(PanecraftGalleryItems, IdsIndexesRemovalAndImages) {
  CQORPControlGalleryItems items(32881);
  EXPECT_EQ(items.AddItem(std::unique_ptr<CQORPControlGalleryItem>()), nullptr);
  CQORPControlGalleryItem* a = items.AddItem(L"0", -1, 0);
  CQORPControlGalleryItem* b = items.AddItem(L"32", 7);
  CQORPControlGalleryItem* c = items.AddItem(L"64");
  EXPECT_EQ(a->GetID(), 0);
  EXPECT_EQ(b->GetID(), 7);
  EXPECT_EQ(c->GetID(), 2) << "id defaults to the index";
  EXPECT_EQ(a->GetImageIndex(), 0);
  EXPECT_EQ(c->GetToolTip(), L"64") << "tooltip falls back to the caption";
  c->SetToolTip(L"sixty-four");
  EXPECT_EQ(c->GetToolTip(), L"sixty-four");
  const unsigned before = items.GetChangeCount();
  items.Remove(0);
  EXPECT_GT(items.GetChangeCount(), before);
  EXPECT_EQ(items.GetItem(0), b);
  EXPECT_EQ(b->GetIndex(), 0);
  EXPECT_EQ(c->GetIndex(), 1);
  items.Remove(5);  // ignored
  items.Remove(-1);
  EXPECT_EQ(items.GetItemCount(), 2);
  EXPECT_EQ(items.GetItem(2), nullptr);
  EXPECT_EQ(items.GetItem(-1), nullptr);

  struct Strip {
    size_t nPixels;
    int cxStrip, cy, cxImage;
    BOOL bOk;
    int nImages;
  } strips[] = {
      {144 * 24, 144, 24, 24, TRUE, 6},
      {144 * 24 - 1, 144, 24, 24, FALSE, 0},  // fewer pixels than the size says
      {96 * 16, 96, 16, 0, FALSE, 0},
      {96 * 16, 96, 16, 97, FALSE, 0},
      {0, 0, 0, 1, FALSE, 0},
  };
  for (const Strip& s : strips) {
    EXPECT_EQ(items.SetImageStrip(std::vector<uint32_t>(s.nPixels, 0xFF112233u), s.cxStrip, s.cy, s.cxImage), s.bOk);
    EXPECT_EQ(items.GetImageCount(), s.nImages);
  }
  items.RemoveAll();
  EXPECT_EQ(items.GetItemCount(), 0);
}

TEST(PanecraftSizeComboBox, TypedSizesInTwips) {
  struct Case {
    const wchar_t* pszText;
    int nTwips;
  } cases[] = {
      {L"12", 240},       {L"10.5", 210},  {L"10,5", 210},   {L" 8 pt", 160}, {L"8PT", 160},
      {L"7.25", 145},     {L"7.26", 145},  {L"7.275", 146},  {L"1", 20},      {L"1638", 32760},
      {L"1639", -1},      {L"0", -1},      {L"0.5", -1},     {L"-5", -1},     {L"", -1},
      {L"   ", -1},       {L"pt", -1},     {L"abc", -1},     {L"1e3", -1},    {L"12.5.1", -1},
      {L"99999999999999999999", -1},     {L".", -1},       {L"12 5", -1},
  };
  for (const Case& c : cases) EXPECT_EQ(CQORPControlSizeComboBox::GetTwipSize(c.pszText), c.nTwips) << c.pszText;
  EXPECT_EQ(CQORPControlSizeComboBox::GetTwipSize(nullptr), -1);
  CQORPControlSizeComboBox combo(111);
  EXPECT_TRUE(combo.IsKindOf(RUNTIME_CLASS(CQORPControlComboBox)));
}

TEST(PanecraftColorButton, ColourBarOnTheIcon) {
  struct Case {
    int cx, cy;
    int nBarRows;
  } cases[] = {{16, 16, 4}, {32, 32, 8}, {16, 8, 3}, {4, 2, 2}};
  for (const Case& c : cases) {
    std::vector<uint32_t> px(static_cast<size_t>(c.cx * c.cy), 0x00000000u);
    QORPPaintColorBar(px, c.cx, c.cy, RGB(0x12, 0x34, 0x56));
    int rows = 0;
    for (int y = 0; y < c.cy; ++y) {
      const uint32_t p = px[static_cast<size_t>(y * c.cx)];
      if (p == 0xFF123456u)
        ++rows;
      else
        EXPECT_EQ(p, 0u) << "row " << y << " above the bar is untouched";
    }
    EXPECT_EQ(rows, c.nBarRows) << c.cx << "x" << c.cy;
    EXPECT_EQ(px.back(), 0xFF123456u);
  }
  std::vector<uint32_t> wrong(10, 0u);
  QORPPaintColorBar(wrong, 4, 4, RGB(255, 0, 0));  // size does not match: nothing written
  EXPECT_EQ(wrong, std::vector<uint32_t>(10, 0u));

  CQORPControlPopupColor color(32777);
  EXPECT_EQ(color.GetType(), QORP_CONTROL_SPLIT_BUTTON_POPUP);
  const unsigned n = color.GetColorChangeCount();
  color.SetColor(RGB(1, 2, 3));
  color.SetColor(RGB(1, 2, 3));
  EXPECT_EQ(color.GetColorChangeCount(), n + 1) << "only a real change counts";
}

// The pixel at x, y of an RGB24 surface, as COLORREF.
COLORREF PixelAt(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const auto* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  const uint32_t p = reinterpret_cast<const uint32_t*>(row)[x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

TEST(PanecraftGalleryDC, FramesLinesAndClippedText) {
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 60, 30);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  {
    CQORPGalleryDC dc(cr);
    dc.FrameRect(CRect(2, 2, 12, 12), RGB(255, 0, 0));
    dc.HorzLine(20, 25, 4, RGB(0, 0, 255));
    dc.FillSolidRect(CRect(5, 5, 5, 9), RGB(0, 0, 0));  // empty: nothing
    dc.DrawText(L"A very long caption that cannot fit", CRect(30, 0, 50, 30), RGB(0, 0, 0));
    EXPECT_GT(dc.GetTextWidth(L"Wide text"), dc.GetTextWidth(L"W"));
    EXPECT_EQ(dc.GetTextWidth(nullptr), 0);
  }
  struct Px {
    int x, y;
    COLORREF clr;
  } pixels[] = {
      {2, 2, RGB(255, 0, 0)},    {11, 11, RGB(255, 0, 0)},  {11, 2, RGB(255, 0, 0)},
      {12, 12, RGB(255, 255, 255)}, {7, 7, RGB(255, 255, 255)}, {1, 2, RGB(255, 255, 255)},
      {20, 4, RGB(0, 0, 255)},   {24, 4, RGB(0, 0, 255)},   {25, 4, RGB(255, 255, 255)},
      {5, 5, RGB(255, 255, 255)},
  };
  for (const Px& p : pixels) EXPECT_EQ(PixelAt(s, p.x, p.y), p.clr) << p.x << "," << p.y;
  int inked = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x) {
      const bool bInk = PixelAt(s, x, y) != RGB(255, 255, 255);
      if (x >= 30 && bInk) ++inked;
      if (x >= 50) {
        EXPECT_FALSE(bInk) << "text drawn outside its rectangle at " << x << "," << y;
      }
    }
  EXPECT_GT(inked, 0) << "the cut caption still shows";
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  // Lets the leak checker see cairo's font caches and fontconfig's configuration go.
  cairo_debug_reset_static_data();
  FcFini();
}

}  // namespace
