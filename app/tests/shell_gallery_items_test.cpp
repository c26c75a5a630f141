// The ribbon's gallery collections and their hover preview, without a window: the theme colours
// (60 swatches, their captions, borders, heights and shades), the standard colours, the value
// galleries, the swatch drawing in each state, and the preview of the item under the pointer on
// a stand-in view: by the gallery's own id, on the edited text or the selection, the shown flag
// only with a preview scene, and the restore when the highlighting ends.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <cairo.h>

#include <QorpDrawHelpers.h>

#include "GalleryItems.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "ShellIds.h"

namespace {

std::map<std::string, std::vector<std::wstring>> captions;  // of the stamps file, by type

const CGalleryItemFontColor* Swatch(const CQORPControlGalleryItems& items, int index) {
  return dynamic_cast<const CGalleryItemFontColor*>(items.GetItem(index));
}

TEST(GalleryColors, ThemeColorsAreShadesOfTenColumnsInSixRows) {
  CQORPControlGalleryItems items;
  FillThemeColorItems(&items);
  ASSERT_EQ(items.GetItemCount(), 60);
  const struct {
    int row, col;
    const wchar_t* caption;
    COLORREF base;
    int percent;
  } cases[] = {
      {0, 0, L"White, Background 1", RGB(255, 255, 255), 0},
      {0, 1, L"Black, Text 1", RGB(0, 0, 0), 0},
      {1, 0, L"White, Background 1, Darker 5%", RGB(255, 255, 255), -5},
      {1, 1, L"Black, Text 1, Lighter 50%", RGB(0, 0, 0), 50},
      {1, 3, L"Dark Blue, Text 2, Lighter 80%", RGB(31, 73, 125), 80},
      {3, 2, L"Tan, Background 2, Darker 50%", RGB(238, 236, 225), -50},
      {4, 9, L"Orange, Accent 6, Darker 25%", RGB(247, 150, 70), -25},
      {5, 4, L"Blue, Accent 1, Darker 50%", RGB(79, 129, 189), -50},
      {5, 1, L"Black, Text 1, Lighter 5%", RGB(0, 0, 0), 5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "row " << c.row << " column " << c.col);
    const CGalleryItemFontColor* p = Swatch(items, c.row * 10 + c.col);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetCaption(), c.caption);
    EXPECT_EQ(p->GetToolTip(), c.caption);
    EXPECT_EQ(static_cast<COLORREF>(p->GetID()), p->GetColor()) << "the id is the colour";
    double h0, s0, l0, h, s, l;
    CQORPDrawHelpers::RGBtoHSL(c.base, h0, s0, l0);
    CQORPDrawHelpers::RGBtoHSL(p->GetColor(), h, s, l);
    const double expected = c.percent >= 0 ? l0 + (1 - l0) * c.percent / 100.0 : l0 * (1 + c.percent / 100.0);
    EXPECT_NEAR(l, expected, 0.004);
    if (c.percent == 0) EXPECT_EQ(p->GetColor(), c.base);
  }
  // Row 0 stands apart; rows 1 to 5 make one framed column.
  const struct {
    BOOL top, bottom;
    int height;
  } rows[] = {{TRUE, TRUE, 17}, {TRUE, FALSE, 15}, {FALSE, FALSE, 13}, {FALSE, FALSE, 13}, {FALSE, FALSE, 13}, {FALSE, TRUE, 15}};
  for (int row = 0; row < 6; ++row)
    for (int col = 0; col < 10; ++col) {
      const CGalleryItemFontColor* p = Swatch(items, row * 10 + col);
      EXPECT_EQ(p->HasTopBorder(), rows[row].top) << row;
      EXPECT_EQ(p->HasBottomBorder(), rows[row].bottom) << row;
      EXPECT_EQ(p->GetSize(), CSize(17, rows[row].height)) << row;
    }
}

TEST(GalleryCollections, EachCollectionHoldsItsValues) {
  CGalleryCollections c;
  c.Create();
  ASSERT_EQ(c.fontSizes.GetItemCount(), 20);
  EXPECT_EQ(c.fontSizes.GetItem(18)->GetCaption(), L"48");
  EXPECT_EQ(c.fontSizes.GetItem(18)->GetID(), 18);
  // A label, then six swatches whose tooltips are their values.
  ASSERT_EQ(c.transparencies.GetItemCount(), 7);
  EXPECT_TRUE(c.transparencies.GetItem(0)->IsLabel());
  EXPECT_EQ(c.transparencies.GetItem(0)->GetCaption(), L"Transparency");
  EXPECT_EQ(c.transparencies.GetItem(6)->GetToolTip(), L"255");
  EXPECT_EQ(c.transparencies.GetItem(6)->GetID(), 5);
  EXPECT_EQ(c.transparencies.GetImageCount(), 6);
  EXPECT_EQ(c.transparencies.GetItemSize(), CSize(26, 26));
  ASSERT_EQ(c.strokeWidths.GetItemCount(), 9);
  EXPECT_EQ(c.strokeWidths.GetItem(7)->GetCaption(), L"10pt");
  EXPECT_EQ(c.strokeWidths.GetImageCount(), 9);
  EXPECT_EQ(c.dashStyles.GetItemCount(), 23);
  EXPECT_EQ(c.dashStyles.GetImageCount(), 23);
  EXPECT_EQ(c.stampsDynamic.GetItemCount(), 5);
  EXPECT_EQ(c.stampsSign.GetItemCount(), 5);
  EXPECT_EQ(c.stampsBusiness.GetItemCount(), 12);
  EXPECT_EQ(c.stampsBusiness.GetItem(7)->GetCaption(), L"NOT FOR PUBLIC RELEASE");
  EXPECT_EQ(c.stampsBusiness.GetItem(7)->GetID(), 7) << "the id is the place the view picks by";
  ASSERT_EQ(c.rotations.GetItemCount(), 16);
  EXPECT_EQ(c.rotations.GetItem(15)->GetCaption(), L"345");
  // Labels around the 60 theme and 10 standard colours.
  ASSERT_EQ(c.colors.GetItemCount(), 72);
  EXPECT_EQ(c.colors.GetItem(0)->GetCaption(), L"Theme Colors");
  EXPECT_EQ(c.colors.GetItem(61)->GetCaption(), L"Standard Colors");
  const CGalleryItemFontColor* red = Swatch(c.colors, 63);
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(red->GetCaption(), L"Red");
  EXPECT_EQ(red->GetColor(), RGB(255, 0, 0));
  EXPECT_TRUE(red->HasTopBorder() && red->HasBottomBorder());
  // Only scalable families become font faces.
  for (int i = 0; i < c.fontFaces.GetItemCount(); ++i) {
    const auto* p = dynamic_cast<const CGalleryItemFontFace*>(c.fontFaces.GetItem(i));
    ASSERT_NE(p, nullptr);
    ASSERT_NE(p->GetFontEntry(), nullptr);
    EXPECT_EQ(p->GetFontEntry()->m_dwFontType, QORP_FONTTYPE_SCALABLE);
    EXPECT_EQ(p->GetCaption(), p->GetFaceName());
  }
  // Each gallery of the ribbon over its collection, at its drop-down size.
  const struct {
    UINT id;
    CQORPControlGalleryItems* items;
    CSize size;
    int margin;
  } placed[] = {{ID_GALLERY_FONT_FACE, &c.fontFaces, CSize(290, 508), 0}, {ID_GALLERY_FONT_SIZE, &c.fontSizes, CSize(42, 272), 0},
                {ID_GALLERY_FILL_COLOR, &c.colors, CSize(171, 145), 0},   {ID_GALLERY_STROKE_COLOR, &c.colors, CSize(171, 145), 0},
                {ID_FILL_TRANSPARENCY, &c.transparencies, CSize(144, 50), 1}, {ID_STROKE_TRANSPARENCY, &c.transparencies, CSize(144, 50), 1},
                {ID_STROKE_WIDTH, &c.strokeWidths, CSize(160, 188), 1},   {ID_DASH_TYPE, &c.dashStyles, CSize(80, 460), 0},
                {ID_ROTATE, &c.rotations, CSize(60, 188), 1}};
  for (const auto& p : placed) {
    const GalleryPlacement g = PlaceGallery(c, p.id);
    EXPECT_EQ(g.pItems, p.items) << p.id;
    EXPECT_EQ(g.size, p.size) << p.id;
    EXPECT_EQ(g.nMarginY, p.margin) << p.id;
  }
  EXPECT_EQ(PlaceGallery(c, 12345).pItems, nullptr);
}

// The colour of a pixel of an ARGB32 surface.
COLORREF PixelAt(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const auto* row = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(s) +
                                                       static_cast<size_t>(y) * cairo_image_surface_get_stride(s));
  const uint32_t p = row[x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

// The stamps the galleries show are the program's stamps: each entry of resources/stamps (type,
// id, colour, caption) in the gallery the view picks that type from, in the same order.
TEST(GalleryStamps, TheGalleriesShowTheProgramsStamps) {
  std::ifstream in(std::string(LEAFWRIGHT_SOURCE_DIR) + "/resources/stamps/stamps.txt");
  ASSERT_TRUE(in.good());
  std::map<std::string, std::vector<StampLook>> fromFile;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream f(line);
    std::string type, colour, caption, word;
    int id, w, h, l, t, r, b;
    f >> type >> id >> w >> h >> colour >> l >> t >> r >> b;
    while (f >> word) caption += (caption.empty() ? "" : " ") + word;
    const unsigned v = std::stoul(colour, nullptr, 16);
    fromFile[type].push_back({id, RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF), nullptr});
    fromFile[type].back().caption = nullptr;
    captions[type].push_back(std::wstring(caption.begin(), caption.end()));
  }
  const struct {
    UINT gallery;
    const char* type;
  } galleries[] = {{ID_STAMP_DYNAMIC, "DYNAMIC"}, {ID_STAMP_SIGN_HERE, "STAMP"}, {ID_STAMP_STANDARD_BUSINESS, "STANDARDBUSINESS"}};
  for (const auto& g : galleries) {
    SCOPED_TRACE(g.type);
    const std::vector<StampLook> looks = StampLooks(g.gallery);
    ASSERT_EQ(looks.size(), fromFile[g.type].size());
    for (size_t i = 0; i < looks.size(); ++i) {
      EXPECT_EQ(looks[i].nId, fromFile[g.type][i].nId);
      EXPECT_EQ(looks[i].clr, fromFile[g.type][i].clr);
      EXPECT_EQ(std::wstring(looks[i].caption), captions[g.type][i]);
    }
  }
}

TEST(GalleryColors, SwatchDrawsItsFrameForEachState) {
  const COLORREF fill = RGB(10, 120, 200), grey = RGB(197, 197, 197);
  const struct {
    const char* what;
    BOOL top, bottom, highlighted, checked;
    int x, y;
    COLORREF expected;
  } cases[] = {
      {"highlighted outer frame", TRUE, TRUE, TRUE, FALSE, 2, 2, RGB(242, 148, 54)},
      {"highlighted inner frame", TRUE, TRUE, TRUE, FALSE, 3, 3, RGB(255, 226, 148)},
      {"highlighted centre", TRUE, TRUE, TRUE, FALSE, 8, 8, fill},
      {"checked outer frame", TRUE, TRUE, FALSE, TRUE, 14, 14, RGB(239, 72, 16)},
      {"checked inner frame", TRUE, TRUE, FALSE, TRUE, 13, 8, RGB(255, 226, 148)},
      {"plain top line", TRUE, FALSE, FALSE, FALSE, 8, 2, grey},
      {"plain left line", FALSE, FALSE, FALSE, FALSE, 2, 6, grey},
      {"plain right line", FALSE, FALSE, FALSE, FALSE, 14, 6, grey},
      {"no top line without a top border", FALSE, FALSE, FALSE, FALSE, 8, 0, fill},
      {"no bottom line without a bottom border", FALSE, FALSE, FALSE, FALSE, 8, 12, fill},
      {"plain bottom line", FALSE, TRUE, FALSE, FALSE, 8, 12, grey},
      {"outside the narrowed rectangle", FALSE, FALSE, FALSE, FALSE, 1, 6, RGB(255, 255, 255)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const int h = 13 + (c.top ? 2 : 0) + (c.bottom ? 2 : 0);
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 17, h);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    {
      CQORPGalleryDC dc(cr);
      CGalleryItemFontColor item(fill, c.top, c.bottom);
      item.Draw(&dc, nullptr, CRect(0, 0, 17, h), TRUE, c.highlighted, FALSE, c.checked);
    }
    EXPECT_EQ(PixelAt(s, c.x, c.y), c.expected);
    cairo_destroy(cr);
    cairo_surface_destroy(s);
  }
}

// A stand-in view that records the preview calls.
struct FakeView : IGalleryPreviewView {
  bool editing = false, scene = false;
  std::vector<std::string> calls;
  int shown = -1;
  bool IsEditingText() const override { return editing; }
  static std::string Where(bool text) { return text ? "text" : "selection"; }
  void PreviewFontSize(bool t, float v) override { calls.push_back("size " + Where(t) + " " + std::to_string(v)); }
  void PreviewFilledTransparency(bool t, int v) override { calls.push_back("fill-alpha " + Where(t) + " " + std::to_string(v)); }
  void PreviewStrokedTransparency(bool t, int v) override { calls.push_back("stroke-alpha " + Where(t) + " " + std::to_string(v)); }
  void PreviewFilledColor(bool t, const PreviewColor& v) override {
    calls.push_back("fill-colour " + Where(t) + " " + std::to_string(v.clr) + (v.bColorSet && v.bPaintSet ? " set" : " unset"));
  }
  void PreviewOutlineColor(bool t, const PreviewColor& v) override {
    calls.push_back("outline-colour " + Where(t) + " " + std::to_string(v.clr) + (v.bColorSet && v.bPaintSet ? " set" : " unset"));
  }
  void PreviewStrokeWidth(float px) override { calls.push_back("width " + std::to_string(px)); }
  void PreviewDashStyle(int v) override { calls.push_back("dash " + std::to_string(v)); }
  void PreviewRotatedAngle(int v) override { calls.push_back("angle " + std::to_string(v)); }
  bool HasPreviewScene() const override { return scene; }
  void SetPreviewShown(bool b) override { shown = b ? 1 : 0; }
  void RestorePrevScene() override { calls.push_back("restore"); }
  void DestroyPreviewScene() override { calls.push_back("destroy"); }
};

TEST(GalleryPreview, TheHighlightedItemIsPreviewedByTheGallerysOwnId) {
  CGalleryCollections c;
  c.Create();
  const struct {
    UINT gallery;
    int index;  // the highlighted item
    bool editing;
    std::string call;  // empty: nothing previewed
  } cases[] = {
      {ID_GALLERY_FONT_SIZE, 18, true, "size text 48.000000"},
      {ID_GALLERY_FONT_SIZE, 0, false, "size selection 4.000000"},
      {ID_FILL_TRANSPARENCY, 6, false, "fill-alpha selection 255"},
      {ID_STROKE_TRANSPARENCY, 2, true, "stroke-alpha text 32"},
      {ID_GALLERY_FILL_COLOR, 63, true, "fill-colour text 255 set"},
      {ID_GALLERY_STROKE_COLOR, 63, false, "outline-colour selection 255 set"},
      {ID_STROKE_WIDTH, 8, true, "width 20.000000"},  // 15 pt at 96 dpi, whatever the tool
      {ID_STROKE_WIDTH, 2, false, "width 4.000000"},
      {ID_DASH_TYPE, 22, false, "dash 22"},
      {ID_ROTATE, 4, false, "angle 90"},
      {ID_GALLERY_FONT_FACE, 0, false, ""},  // faces are not previewed
      {4242, 0, false, ""},                   // a gallery not in the table
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(testing::Message() << "gallery " << k.gallery << " item " << k.index);
    CQORPControlGallery gallery(static_cast<int>(k.gallery));
    CQORPControlGalleryItems* items = PlaceGallery(c, k.gallery).pItems;
    gallery.SetItems(items ? items : &c.fontSizes);
    gallery.BeginTracking();
    gallery.SetHighlightedItem(k.index);
    for (bool scene : {false, true}) {
      FakeView view;
      view.editing = k.editing;
      view.scene = scene;
      EXPECT_EQ(PreviewGalleryItem(&view, &gallery), !k.call.empty());
      EXPECT_EQ(view.calls, k.call.empty() ? std::vector<std::string>{} : std::vector<std::string>{k.call});
      // The shown flag is set after a preview only when the view holds a preview scene.
      EXPECT_EQ(view.shown, scene && !k.call.empty() ? 1 : -1);
    }
  }
  // No highlighted item, or no view: nothing.
  CQORPControlGallery gallery(ID_GALLERY_FONT_SIZE);
  gallery.SetItems(&c.fontSizes);
  gallery.BeginTracking();
  FakeView view;
  EXPECT_FALSE(PreviewGalleryItem(&view, &gallery));
  EXPECT_TRUE(view.calls.empty());
  gallery.SetHighlightedItem(3);
  EXPECT_FALSE(PreviewGalleryItem(nullptr, &gallery));
}

// The frame with a stand-in view, reached by the galleries' message as the toolkit sends it.
class CPreviewFrame : public CMainFrame {
 public:
  FakeView view;
  IGalleryPreviewView* GetGalleryPreviewView() const override { return const_cast<FakeView*>(&view); }
  LRESULT Notify(UINT code, CQORPControl* p) {
    NMQORPCONTROL nm{};
    nm.hdr.code = code;
    nm.pControl = p;
    return OnGalleryNotify(code, reinterpret_cast<LPARAM>(&nm));
  }
};

TEST(GalleryPreview, HoverPreviewsAndLeavingRestores) {
  CGalleryCollections c;
  c.Create();
  CQORPControlGallery gallery(ID_GALLERY_FILL_COLOR);
  gallery.SetItems(&c.colors);
  gallery.BeginTracking();
  CPreviewFrame frame;
  frame.view.scene = true;
  gallery.SetHighlightedItem(1);  // White, Background 1
  EXPECT_EQ(frame.Notify(QORP_GN_HIGHLIGHT, &gallery), 0);
  gallery.SetHighlightedItem(2);  // Black, Text 1
  frame.Notify(QORP_GN_HIGHLIGHT, &gallery);
  EXPECT_EQ(frame.view.shown, 1);
  frame.Notify(QORP_GN_HIGHLIGHTEND, &gallery);
  EXPECT_EQ(frame.view.calls, (std::vector<std::string>{"fill-colour selection 16777215 set", "fill-colour selection 0 set",
                                                        "restore", "destroy"}));
  EXPECT_EQ(frame.view.shown, 0);
  // Other codes leave the view alone.
  frame.view.calls.clear();
  frame.Notify(4114, &gallery);
  EXPECT_TRUE(frame.view.calls.empty());
}

TEST(GalleryPreview, TheEditingViewTakesThePreviewAndAnEndWithoutASceneDoesNothing) {
  CMainFrame frame;
  EXPECT_EQ(frame.GetGalleryPreviewView(), nullptr) << "no view, no preview";
  CLeafwrightView view;
  frame.SetActiveView(&view);
  IGalleryPreviewView* p = frame.GetGalleryPreviewView();
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->IsEditingText()) << "the selection tool is current";
  EXPECT_FALSE(p->HasPreviewScene());
  // A pick restores before the highlight ends: both scene calls are harmless without a scene.
  view.m_bOutlineSuppressed = 1;
  EndGalleryPreview(p);
  EndGalleryPreview(p);
  EXPECT_FALSE(p->HasPreviewScene());
  EXPECT_EQ(view.m_bOutlineSuppressed, 0);
  // Nothing selected on no page: each gallery's preview reaches the view; the outline is kept
  // away exactly while a scene is held, and ending the preview drops the scene.
  CGalleryCollections c;
  c.Create();
  for (UINT id : {ID_STROKE_WIDTH, ID_DASH_TYPE, ID_ROTATE, ID_GALLERY_FILL_COLOR, ID_GALLERY_STROKE_COLOR,
                  ID_FILL_TRANSPARENCY, ID_GALLERY_FONT_SIZE}) {
    CQORPControlGallery gallery(static_cast<int>(id));
    gallery.SetItems(PlaceGallery(c, id).pItems);
    gallery.BeginTracking();
    gallery.SetHighlightedItem(3);
    EXPECT_TRUE(PreviewGalleryItem(p, &gallery)) << id;
    EXPECT_EQ(view.m_bOutlineSuppressed, p->HasPreviewScene() ? 1 : 0) << id;
    EndGalleryPreview(p);
    EXPECT_FALSE(p->HasPreviewScene()) << id;
    EXPECT_EQ(view.m_bOutlineSuppressed, 0) << id;
  }
  frame.SetActiveView(nullptr);
}

}  // namespace
