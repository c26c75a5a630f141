// The editing view's ribbon commands through its routing: every command id is answered, and its
// update rule enables it only where it can act (with nothing, one shape, two shapes or one group
// selected); gallery picks reach the objects and the galleries show the selection's value.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "GuiTestHarness.h"

#include <QorpControls.h>
#include <QorpGallery.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/UnitConv.h>

#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "TestSupport.h"
#include "ViewRibbonValues.h"
#include <PrintJob.h>
#include <lwstr.h>

#include "PdfFixtures.h"

using namespace Vectorloom;

namespace {

class Host : public IViewHost {
 public:
  void InvalidateRect(const RECT*) override {}
  void SetTimer(UINT_PTR, UINT) override {}
  void KillTimer(UINT_PTR) override {}
  void SetCapture() override {}
  void ReleaseCapture() override {}
  bool HasCapture() const override { return false; }
  void SetCursor(HCURSOR) override {}
  CDC* GetDC() override { return nullptr; }
  void ReleaseDC(CDC*) override {}
  CSize GetClientSize() const override { return CSize(1000, 1200); }
};

struct Probe : CCmdUI {
  explicit Probe(UINT id) { m_nID = id; }
  void Enable(BOOL on) override { enabled = on ? 1 : 0; }
  void SetCheck(int c) override { checked = c; }
  int enabled = -1, checked = -1;
};

// A one-page document with two stroked rectangles (3 pt outline, not filled) and its view.
struct Fixture {
  Fixture() {
    setenv("HOME", dir.path().c_str(), 1);
    doc.m_bAutoDelete = FALSE;
    EXPECT_TRUE(doc.OnNewDocument());
    view = new CLeafwrightView;
    doc.AddView(view);
    view->SetViewHost(&host);
    view->OnUpdate(nullptr, 3, nullptr);
    for (int i = 0; i < 2; ++i) {
      auto* shape = new CPageShapeObj;
      shape->AddRectanglePath(CQorVectorRect<float>(0, 0, 40, 30));
      shape->SetTransMatrix(CQorTransMatrix::Translation(20.0f + 60 * i, 20), true);
      shape->SetStrokeOutlineFlag(1);
      shape->SetStrokeKind(RENDER_KIND_SOLID);
      shape->SetStrokeWidth(4);
      shape->CreatePathStorage();
      view->GetShownPage()->AddShapeObject(shape);
      shapes.push_back(shape);
    }
  }
  ~Fixture() {
    doc.RemoveView(view);
    view->m_pDocument = nullptr;
    delete view;
    doc.DeleteContents();
  }
  void Select(std::vector<CRenderBaseObj*> objects) {
    view->DeseleteAllRenderObjects();
    for (CRenderBaseObj* o : objects) view->SelectRenderObject(o, true);
  }
  Probe Update(UINT id) {
    Probe p(id);
    handled = view->OnCmdMsg(id, CN_UPDATE_COMMAND_UI, &p, nullptr) != FALSE;
    return p;
  }
  bool Answers(UINT id, int code) {
    AFX_CMDHANDLERINFO info{};
    return view->OnCmdMsg(id, code, nullptr, &info) != FALSE;
  }
  // Picks item `index` of a gallery of `count` items and sends it as the ribbon does.
  void Pick(UINT id, int index, int count) {
    CQORPControlGalleryItems items;
    for (int i = 0; i < count; ++i) items.AddItem(L"item");
    CQORPControlGallery gallery(static_cast<int>(id));
    gallery.SetItems(&items);
    gallery.SetSelectedItem(index);
    NMQORPCONTROL nm{};
    nm.hdr.idFrom = id;
    nm.hdr.code = QORP_CN_EXECUTE;
    nm.pControl = &gallery;
    LRESULT result = 0;
    AFX_NOTIFY notify{&result, &nm.hdr};
    view->OnCmdMsg(id, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY), &notify, nullptr);
    EXPECT_EQ(result, 1);
  }
  CPageShapeObj* S(int i) const { return shapes[static_cast<size_t>(i)]; }

  lwtest::TempDir dir;
  Host host;
  CLeafwrightDoc doc;
  CLeafwrightView* view = nullptr;
  std::vector<CPageShapeObj*> shapes;
  bool handled = false;
};

enum Route { kCommand, kNotify, kUpdateOnly };
constexpr int kOff = 0, kOn = 1, kAny = -1;

}  // namespace

TEST(EditingViewCommands, EveryRibbonCommandIsAnsweredWithItsUpdateRule) {
  struct Case {
    unsigned id;
    const char* name;
    Route route;
    int none, one, two;  // enabled with nothing, one shape, two shapes selected (kAny: not checked)
  } cases[] = {
      {0xE107, "Print", kCommand, kAny, kAny, kAny},  // needs a printer
      {0xE108, "Quick Print", kCommand, kAny, kAny, kAny},
      {0xE109, "Print Preview", kCommand, kOff, kOff, kOff},  // no main window here
      {ID_EDIT_PASTE, "Paste", kCommand, kAny, kAny, kAny},    // follows the clipboard
      {ID_EDIT_CUT, "Cut", kCommand, kOff, kOn, kOn},
      {ID_EDIT_COPY, "Copy", kCommand, kOff, kOn, kOn},
      {ID_EDIT_CLEAR, "Erase", kCommand, kOff, kOn, kOn},
      {32775, "Add Text", kCommand, kOn, kOn, kOn},
      {32776, "Add Image", kCommand, kOn, kOn, kOn},
      {32912, "Add Video", kCommand, kOn, kOn, kOn},
      {32774, "Selection Tool", kCommand, kOn, kOn, kOn},
      {ID_STROKE_WIDTH_GALLERY, "Stroke Width", kNotify, kOff, kOn, kOn},
      {32785, "Custom width", kCommand, kOn, kOn, kOn},
      {ID_DASH_TYPE_GALLERY, "Dash Type", kNotify, kOff, kOn, kOn},
      {ID_FILLED_COLOR, "Filled Color", kCommand, kOn, kOn, kOn},
      {ID_STROKED_COLOR, "Stroked Color", kCommand, kOn, kOn, kOn},
      {ViewCmd::kFillInside, "Fill Needed", kCommand, kOff, kOn, kOn},
      {ViewCmd::kStrokeOutline, "Stroke Needed", kCommand, kOff, kOn, kOn},
      {ID_ROTATE_GALLERY, "Rotate", kNotify, kOff, kOn, kOn},
      {32808, "Custom Angle", kCommand, kOn, kOn, kOn},
      {ID_GROUPING, "Group", kCommand, kOff, kOff, kOn},
      {ID_NO_OPERATION, "no-op", kCommand, kAny, kAny, kAny},
      {ID_ROUNDNESS_BAR, "Roundness", kNotify, kOn, kOn, kOn},
      {32904, "stamps", kNotify, kOn, kOn, kOn},
      {32907, "stamps", kNotify, kOn, kOn, kOn},
      {32900, "stamps", kNotify, kOn, kOn, kOn},
      {32875, "Actual Size", kCommand, kAny, kAny, kAny},
      {32873, "Zoom In", kCommand, kOn, kOn, kOn},
      {32874, "Zoom Out", kCommand, kOn, kOn, kOn},
      {32856, "zoom level", kCommand, kOn, kOn, kOn},
      {32872, "zoom level", kCommand, kOn, kOn, kOn},
      // Character formats: their rules are the text commands' own (not editing here: subscript,
      // superscript and line spacing are off).
      // The face and size combos act on texts only (none among the rectangles); the spacing and
      // shift spinners on an edited text only.
      {110, "Font", kNotify, kOff, kOff, kOff},
      {101, "Font Face", kNotify, kOff, kOff, kOff},
      {111, "Font Size", kNotify, kOff, kOff, kOff},
      {102, "Font Size", kNotify, kOff, kOff, kOff},
      {105, "Bold", kCommand, kAny, kAny, kAny},
      {106, "Italic", kCommand, kAny, kAny, kAny},
      {103, "Grow Font", kCommand, kOff, kOff, kOff},  // shapes only: no text to size
      {104, "Shrink Font", kCommand, kOff, kOff, kOff},
      {107, "Underline", kCommand, kAny, kAny, kAny},
      {120, "Strikethrough", kCommand, kAny, kAny, kAny},
      {121, "Subscript", kCommand, kOff, kOff, kOff},
      {124, "Superscript", kCommand, kOff, kOff, kOff},
      {153, "Line:", kNotify, kOff, kOff, kOff},
      {130, "Character:", kNotify, kOff, kOff, kOff},
      {132, "Baseline:", kNotify, kOff, kOff, kOff},
      {133, "Horizon:", kNotify, kOff, kOff, kOff},
      {32779, "Transparency (fill)", kNotify, kOff, kOn, kOn},
      {32780, "Custom Transparency (fill)", kCommand, kOff, kOn, kOn},
      {32788, "Transparency (stroke)", kNotify, kOff, kOn, kOn},
      {32789, "Custom Transparency (stroke)", kCommand, kOff, kOn, kOn},
      {32883, "stroke colours", kNotify, kOff, kOn, kOn},
      {32909, "More Stroked Colors", kCommand, kOff, kOn, kOn},
      {32791, "fill colours", kNotify, kOff, kOn, kOn},
      {32908, "More Filled Colors", kCommand, kOff, kOn, kOn},
  };
  // The core view's own commands, answered through the same routing.
  const unsigned core[] = {32800, 32802, 32803, 32801, 32810, 32811, 32793, 32795, 32794, 32796, 32797, 32798,
                           32805, 32806, 32852, 32853, 32854, 32836, 32837, 32838, 32839, 32840, 32890, 32892,
                           32891, 32893, 32894, 32896};
  Fixture f;
  for (const Case& c : cases) {
    const std::string what = std::to_string(c.id) + " " + c.name;
    if (c.route == kCommand) EXPECT_TRUE(f.Answers(c.id, CN_COMMAND)) << what;
    if (c.route == kNotify) EXPECT_TRUE(f.Answers(c.id, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY))) << what;
    const int expected[3] = {c.none, c.one, c.two};
    const std::vector<CRenderBaseObj*> selections[3] = {{}, {f.S(0)}, {f.S(0), f.S(1)}};
    for (int s = 0; s < 3; ++s) {
      f.Select(selections[s]);
      const Probe p = f.Update(c.id);
      if (c.id == ID_NO_OPERATION) continue;  // leaves the state alone
      EXPECT_TRUE(f.handled) << what;
      if (expected[s] != kAny) EXPECT_EQ(p.enabled, expected[s]) << what << " with " << s << " selected";
    }
  }
  for (unsigned id : core) {
    EXPECT_TRUE(f.Answers(id, CN_COMMAND)) << id;
    f.Update(id);
    EXPECT_TRUE(f.handled) << id;
  }
}

TEST(EditingViewCommands, GrowAndShrinkFontWantATextInTheSelection) {
  Fixture f;
  auto* text = new CPageTextObj;
  text->SetLayoutBox(100.0f, 20.0f);
  f.view->GetShownPage()->AddShapeObject(text);
  auto* group = new CRenderGroupObj;
  auto* inner = new CPageTextObj;
  group->AddChild(inner);
  f.view->GetShownPage()->AddShapeObject(group);
  const struct {
    const char* what;
    std::vector<CRenderBaseObj*> selection;
    int enabled;
  } cases[] = {
      {"nothing", {}, 0},
      {"a shape", {f.S(0)}, 0},
      {"a text", {text}, 1},
      {"a shape and a text", {f.S(1), text}, 1},
      {"a group holding a text", {group}, 1},
  };
  for (const auto& c : cases) {
    f.Select(c.selection);
    for (UINT id : {103u, 104u}) EXPECT_EQ(f.Update(id).enabled, c.enabled) << id << " with " << c.what;
  }
}

TEST(EditingViewCommands, GalleryItemsForTheSelectionsValue) {
  const struct {
    float points;
    int index;
  } widths[] = {{1, 0}, {7, 6}, {10, 7}, {15, 8}, {8, -1}, {15.9f, 8}, {0.5f, -1}};
  for (const auto& w : widths)
    EXPECT_EQ(StrokeWidthGalleryIndex(CUnitConv::Weight2Pixel(w.points, kScreenDpi), kScreenDpi), w.index) << w.points;
  const struct {
    int value, rotation, alpha;
  } others[] = {{0, -1, 0}, {5, 0, -1}, {100, -1, -1}, {255, -1, 5}, {345, 15, -1}, {128, -1, 3}};
  for (const auto& o : others) {
    EXPECT_EQ(RotationGalleryIndex(o.value), o.rotation) << o.value;
    EXPECT_EQ(TransparencyGalleryIndex(o.value), o.alpha) << o.value;
  }
  int v = 0;
  EXPECT_FALSE(StrokeWidthOfItem(9, v));
  EXPECT_FALSE(RotationOfItem(-1, v));
}

TEST(EditingViewCommands, PicksAndTogglesReachTheSelectedObjects) {
  Fixture f;
  f.Select({f.S(0), f.S(1)});
  // Last width item: 15 pt on both; one undo step gives 3 pt back.
  f.Pick(ID_STROKE_WIDTH_GALLERY, 8, 9);
  for (int i = 0; i < 2; ++i)
    EXPECT_NEAR(CUnitConv::Pixel2Weight(f.S(i)->GetStrokeWidth(), kScreenDpi), 15.0f, 1e-3f);
  f.view->OnCmdMsg(kIdEditUndo, CN_COMMAND, nullptr, nullptr);
  EXPECT_NEAR(f.S(0)->GetStrokeWidth(), 4.0f, 1e-3f);
  // An item past the table changes nothing.
  f.Pick(ID_STROKE_WIDTH_GALLERY, 12, 13);
  EXPECT_NEAR(f.S(0)->GetStrokeWidth(), 4.0f, 1e-3f);
  // Rotation item 3 is 70 degrees.
  f.Pick(ID_ROTATE_GALLERY, 3, 16);
  EXPECT_EQ(f.S(1)->GetRotatedAngle(), 70);
  // Fill transparency item 3 (alpha 128) on both, one undo step back; the stroke colour gallery's
  // item is the colour, which becomes the colour Stroked Color applies.
  const int alphaBefore = f.S(0)->GetFilledTransparency();
  f.Pick(ID_FILL_TRANSPARENCY_GALLERY, 3, 6);
  EXPECT_EQ(f.S(0)->GetFilledTransparency(), 128);
  EXPECT_EQ(f.S(1)->GetFilledTransparency(), 128);
  f.view->OnCmdMsg(kIdEditUndo, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.S(1)->GetFilledTransparency(), alphaBefore);
  {
    CQORPControlGalleryItems items;
    items.AddItem(L"blue", 0xFF0000);
    CQORPControlGallery gallery(static_cast<int>(ID_STROKE_COLOR_GALLERY));
    gallery.SetItems(&items);
    gallery.SetSelectedItem(0);
    NMQORPCONTROL nm{};
    nm.hdr.code = QORP_CN_EXECUTE;
    nm.pControl = &gallery;
    LRESULT result = 0;
    AFX_NOTIFY notify{&result, &nm.hdr};
    f.view->OnCmdMsg(ID_STROKE_COLOR_GALLERY, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY), &notify, nullptr);
    EXPECT_EQ(f.S(0)->GetStrokeDefinition().GetRenderColor() & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(GetLeafwrightAppState().GetDefaultStrokeColor(), 0xFF0000u);
  }
  // Fill Needed turns the fill off when both have it, on when only one has it; the box shows it.
  ASSERT_EQ(f.S(0)->GetFillInsideFlag(), 1);
  EXPECT_EQ(f.Update(ViewCmd::kFillInside).checked, 1);
  f.view->OnCmdMsg(ViewCmd::kFillInside, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.S(0)->GetFillInsideFlag(), 0);
  EXPECT_EQ(f.S(1)->GetFillInsideFlag(), 0);
  EXPECT_EQ(f.Update(ViewCmd::kFillInside).checked, 0);
  f.S(1)->SetFillInsideFlag(1);
  EXPECT_EQ(f.Update(ViewCmd::kFillInside).checked, 0);  // mixed
  f.view->OnCmdMsg(ViewCmd::kFillInside, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.S(0)->GetFillInsideFlag(), 1);
  EXPECT_EQ(f.S(1)->GetFillInsideFlag(), 1);
  // Stroke Needed turns the common stroke off.
  EXPECT_EQ(f.Update(ViewCmd::kStrokeOutline).checked, 1);
  f.view->OnCmdMsg(ViewCmd::kStrokeOutline, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.S(0)->GetStrokeOutlineFlag(), 0);
  // Group: two objects make a group; with that one group selected the command is enabled but
  // makes nothing more.
  f.Select({f.S(0), f.S(1)});
  f.view->OnCmdMsg(ID_GROUPING, CN_COMMAND, nullptr, nullptr);
  ASSERT_EQ(f.view->GetShownPage()->GetRenderObjectList().GetCount(), 1);
  CRenderBaseObj* group = f.view->GetShownPage()->GetRenderObjectList()[0];
  ASSERT_EQ(group->GetObjectType(), RENDER_OBJ_GROUP);
  f.Select({group});
  EXPECT_EQ(f.Update(ID_GROUPING).enabled, 1);
  f.view->OnCmdMsg(ID_GROUPING, CN_COMMAND, nullptr, nullptr);
  EXPECT_EQ(f.view->GetShownPage()->GetRenderObjectList().GetCount(), 1);
  EXPECT_EQ(f.view->GetShownPage()->GetRenderObjectList()[0], group);
}

namespace {
std::vector<std::wstring> g_notices;
int RecordNotice(const wchar_t* text, const wchar_t*, UINT) {
  g_notices.emplace_back(text);
  return IDOK;
}
}  // namespace

// The core view's events about locked objects and a selection already in front or at the back
// are told to the user; the naming events are not.
TEST(EditingViewCommands, LockedObjectEventsAreToldToTheUser) {
  Fixture f;
  const struct {
    int event;
    const wchar_t* starts;  // the message's beginning; null: no message
  } cases[] = {
      {VIEW_EVENT_RESIZE_LOCKED, L"Your selected object is locked.\r\nIf you want to resize it,"},
      {VIEW_EVENT_ROTATE_LOCKED, L"Your selected object is locked.\r\nIf you want to rotate it,"},
      {VIEW_EVENT_MOVE_LOCKED, L"Your selected object is locked.\r\nIf you want to move it,"},
      {VIEW_EVENT_NUDGE_LOCKED, L"Your selected object is locked.\r\nIf you want to move it,"},
      {VIEW_EVENT_ANCHOR_LOCKED, L"Your selected object is locked.\r\nIf you want to move its anchor,"},
      {VIEW_EVENT_ALIGN_LOCKED, L"Your selected object is locked.\r\nIf you want to move it,"},
      {VIEW_EVENT_ALREADY_FRONT, L"Your selected object(s) has/have been in front!"},
      {VIEW_EVENT_ALREADY_BACK, L"Your selected object(s) has/have been back!"},
      {VIEW_EVENT_IMAGE_CREATED, nullptr},
      {99, nullptr},
  };
  lwmfc::SetMessageBoxHook(&RecordNotice);
  for (const auto& c : cases) {
    g_notices.clear();
    f.view->ProcessEvent(c.event, c.event == VIEW_EVENT_IMAGE_CREATED ? reinterpret_cast<LPARAM>(f.S(0)) : 0);
    if (!c.starts) {
      EXPECT_TRUE(g_notices.empty()) << c.event;
      continue;
    }
    ASSERT_EQ(g_notices.size(), 1u) << c.event;
    EXPECT_EQ(g_notices[0].rfind(c.starts, 0), 0u) << c.event;
  }
  lwmfc::SetMessageBoxHook(&guitest::UnexpectedMessageBox);
}

// Print and Quick Print before the Print page was ever used print every page one to a sheet; a
// grid left at zero is one by one; pages no longer in the document are left out.
TEST(EditingViewCommands, PrintLayoutOfTheDocument) {
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  lwtest::WriteFileBytes(dir / "doc.pdf", lwtest::MakeCairoPdf(3));
  CLeafwrightDoc doc;
  doc.m_bAutoDelete = FALSE;
  ASSERT_TRUE(doc.OnOpenDocument(lw::Utf8ToWide((dir / "doc.pdf").string()).c_str()));
  ASSERT_EQ(doc.GetPagesCount(), 3);
  const struct {
    const char* what;
    int rows, columns;
    std::vector<int> pages;
    int wantRows, wantColumns;
    std::vector<int> want;
  } cases[] = {
      {"never printed", 1, 1, {}, 1, 1, {0, 1, 2}},
      {"grid of zero", 0, 0, {2}, 1, 1, {2}},
      {"two by two", 2, 2, {2, 0}, 2, 2, {2, 0}},
      {"pages gone", 1, 2, {5, -1, 1}, 1, 2, {1}},
      {"only pages gone", 1, 1, {7}, 1, 1, {0, 1, 2}},
  };
  for (const auto& c : cases) {
    doc.SetPrintLayout(c.rows, c.columns, c.pages);
    const CPrintLayout layout = DocumentPrintLayout(doc);
    EXPECT_EQ(layout.nRows, c.wantRows) << c.what;
    EXPECT_EQ(layout.nColumns, c.wantColumns) << c.what;
    EXPECT_EQ(layout.pages, c.want) << c.what;
  }
  doc.DeleteContents();
}
