// The view's editing commands: which objects each one changes, the selection and events it
// leaves, its update rule, its one undo step, and how commands and undo end a live preview.
#include <gdiplus.h>
#include <gtest/gtest.h>
#include <lwstr.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

#include <vectorloom/CorePreviews.h>
#include <vectorloom/ImageObjects.h>
#include <vectorloom/ObjectCommands.h>

#include "ViewTestKit.h"

using namespace vltest;

namespace {

class RecordingCmdUI : public CCmdUI {
 public:
  void Enable(BOOL bOn) override { enabled = bOn != FALSE; }
  bool enabled = false;
};

// A host whose clipboard holds a packed DIB.
class ClipboardHost : public RecordingHost {
 public:
  bool GetClipboardDib(std::vector<uint8_t>& out) override {
    out = dib;
    return !dib.empty();
  }
  std::vector<uint8_t> dib;
};

// The page's order, each object's matrix and its stroke and fill: what undo must give back.
struct State {
  std::vector<CRenderBaseObj*> order;
  std::vector<std::vector<float>> values;
  bool operator==(const State& o) const { return order == o.order && values == o.values; }
};

void Capture(CRenderBaseObj* obj, State& s) {
  std::vector<float> v(6);
  obj->GetTransMatrix().GetElements(v.data());
  if (auto* shape = dynamic_cast<CBaseShapeObj*>(obj)) {
    v.push_back(shape->GetStrokeWidth());
    v.push_back(static_cast<float>(shape->GetDashType()));
    v.push_back(static_cast<float>(shape->GetStrokeOutlineFlag()));
    v.push_back(static_cast<float>(shape->GetFillInsideFlag()));
    v.push_back(static_cast<float>(shape->GetFillColor()));
    v.push_back(static_cast<float>(shape->GetStrokeColor()));
  }
  s.values.push_back(v);
  if (obj->IsGroupObject())
    for (CRenderBaseObj* child : static_cast<CRenderGroupObj*>(obj)->GetChildList()) Capture(child, s);
}

class ViewCommands : public ::testing::Test, public ViewFixture {
 protected:
  ViewCommands() {
    a = AddRect(10, 10, 30, 20);
    b = AddRect(50, 40, 60, 70);
    c = AddRect(100, 100, 140, 140);
    d = AddRect(5, 70, 35, 90);
  }
  void Select(const std::string& letters) {
    view->DeseleteAllRenderObjects();
    for (char ch : letters) view->SelectRenderObject(Letter(ch), true);
  }
  CCustomPathObj* Letter(char ch) const { return ch == 'A' ? a : ch == 'B' ? b : ch == 'C' ? c : d; }
  std::string Order() const {
    std::string out;
    for (CRenderBaseObj* obj : Objects()) {
      char ch = 'G';
      for (char l : std::string("ABCD"))
        if (obj == Letter(l)) ch = l;
      out += ch;
    }
    return out;
  }
  State Now() const {
    State s;
    for (CRenderBaseObj* obj : Objects()) {
      s.order.push_back(obj);
      Capture(obj, s);
    }
    return s;
  }
  CCustomPathObj *a, *b, *c, *d;
};

struct CommandCase {
  const char* what;
  void (CWorkspaceView::*command)();
  const char* selection;
  const char* order;  // the page's order afterwards
  const char* menu;   // the undo menu text afterwards
  int selectedAfter;
};

class ViewCommandTable : public ViewCommands, public ::testing::WithParamInterface<CommandCase> {};

TEST_P(ViewCommandTable, RecordsOneStepThatUndoesAndRedoesExactly) {
  const CommandCase& k = GetParam();
  Select(k.selection);
  const State before = Now();
  (view->*k.command)();
  EXPECT_EQ(Order(), k.order) << k.what;
  EXPECT_EQ(doc.GetUndoCount(), 1) << k.what;
  EXPECT_EQ(doc.GetUndoMenuText(), CString(k.menu)) << k.what;
  EXPECT_EQ(view->GetSelectedObjectsCount(), k.selectedAfter) << k.what;
  const State after = Now();
  EXPECT_FALSE(after == before) << k.what;
  for (int round = 0; round < 2; ++round) {
    Undo();
    EXPECT_TRUE(Now() == before) << k.what;
    Redo();
    EXPECT_TRUE(Now() == after) << k.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ViewCommandTable,
    ::testing::Values(CommandCase{"front", &CWorkspaceView::OnMoveObjectsToFront, "B", "ACDB", "Undo Bring to Front", 1},
                      CommandCase{"back", &CWorkspaceView::OnMoveObjectsBack, "C", "CABD", "Undo Send to Back", 1},
                      CommandCase{"forward", &CWorkspaceView::OnMoveObjectsForward, "B", "ACBD", "Undo Bring Forward", 1},
                      CommandCase{"backward", &CWorkspaceView::OnMoveObjectsBackward, "C", "ACBD", "Undo Send Backward", 1},
                      CommandCase{"group", &CWorkspaceView::OnCreateGroup, "CA", "BGD", "Undo Group", 1},
                      CommandCase{"left", &CWorkspaceView::OnAlignLeft, "AB", "ABCD", "Undo Align Left", 2},
                      CommandCase{"centre", &CWorkspaceView::OnAlignCenter, "AB", "ABCD", "Undo Align Center", 2},
                      CommandCase{"right", &CWorkspaceView::OnAlignRight, "AB", "ABCD", "Undo Align Right", 2},
                      CommandCase{"top", &CWorkspaceView::OnAlignTop, "AB", "ABCD", "Undo Align Top", 2},
                      CommandCase{"middle", &CWorkspaceView::OnAlignMiddle, "AB", "ABCD", "Undo Align Middle", 2},
                      CommandCase{"bottom", &CWorkspaceView::OnAlignBottom, "AB", "ABCD", "Undo Align Bottom", 2},
                      CommandCase{"mirror", &CWorkspaceView::OnMirrorShapeObjects, "A", "ABCD", "Undo Mirror", 1},
                      CommandCase{"flip", &CWorkspaceView::OnFilpShapeObjects, "A", "ABCD", "Undo Flip", 1},
                      CommandCase{"width", &CWorkspaceView::OnMakeSameWidth, "AB", "ABCD", "Undo Make Same Width", 2},
                      CommandCase{"height", &CWorkspaceView::OnMakeSameHeight, "AB", "ABCD", "Undo Make Same Height", 2},
                      CommandCase{"size", &CWorkspaceView::OnMakeSameSize, "BA", "ABCD", "Undo Make Same Size", 2},
                      CommandCase{"clear", &CWorkspaceView::DoEditClear, "BD", "AC", "Undo Delete", 0}));

TEST_F(ViewCommands, MakeSameSizeTakesTheLastSelectedObjectsSize) {
  Select("AB");  // B (10 x 30) last
  view->OnMakeSameSize();
  const CQorVectorRect<float> r = a->CalcuBoundRect();
  EXPECT_FLOAT_EQ(r.Width(), 10);
  EXPECT_FLOAT_EQ(r.Height(), 30);
  EXPECT_FLOAT_EQ(r.left, 10);
  EXPECT_FLOAT_EQ(r.top, 10);
}

TEST_F(ViewCommands, GroupSelectsTheGroupAndUngroupItsMembers) {
  Select("AC");
  view->OnCreateGroup();
  ASSERT_EQ(view->GetSelectedObjectsCount(), 1);
  CRenderBaseObj* group = view->GetLastSelectedObject();
  EXPECT_TRUE(group->IsGroupObject());
  ASSERT_EQ(view->events.size(), 1u);
  EXPECT_EQ(view->events[0].first, VIEW_EVENT_GROUP_CREATED);
  EXPECT_EQ(view->events[0].second, reinterpret_cast<LPARAM>(group));
  view->OnDrawUngroup();
  EXPECT_EQ(Order(), "BACD");
  ASSERT_EQ(view->GetSelectedObjectsCount(), 2);
  EXPECT_EQ(view->GetSelectedObjectsList()[0], a);
  EXPECT_EQ(view->GetSelectedObjectsList()[1], c);
  Undo();  // the group is back, and the view keeps only what is on the page selected
  EXPECT_EQ(Order(), "BGD");
  EXPECT_EQ(view->GetSelectedObjectsCount(), 0);
}

TEST_F(ViewCommands, OrderCommandsSayWhenTheSelectionIsAtTheEndAlready) {
  struct Case {
    void (CWorkspaceView::*command)();
    const char* selection;
    int event;
  };
  for (const Case& k : {Case{&CWorkspaceView::OnMoveObjectsToFront, "D", VIEW_EVENT_ALREADY_FRONT},
                        Case{&CWorkspaceView::OnMoveObjectsForward, "CD", VIEW_EVENT_ALREADY_FRONT},
                        Case{&CWorkspaceView::OnMoveObjectsBack, "A", VIEW_EVENT_ALREADY_BACK},
                        Case{&CWorkspaceView::OnMoveObjectsBackward, "AB", VIEW_EVENT_ALREADY_BACK}}) {
    view->events.clear();
    Select(k.selection);
    (view->*k.command)();
    ASSERT_EQ(view->events.size(), 1u) << k.selection;
    EXPECT_EQ(view->events[0].first, k.event);
  }
  view->events.clear();
  Select("");
  view->OnMoveObjectsToFront();
  EXPECT_TRUE(view->events.empty());  // nothing selected: nothing to say
  EXPECT_FALSE(doc.CanUndo());
}

TEST_F(ViewCommands, LockedObjectsAreNotAlignedResizedOrRotated) {
  struct Case {
    std::function<void()> command;
    int event;
  };
  view->locked.insert(b);
  for (const Case& k : {Case{[&] { view->OnAlignLeft(); }, VIEW_EVENT_ALIGN_LOCKED},
                        Case{[&] { view->OnMakeSameSize(); }, VIEW_EVENT_RESIZE_LOCKED},
                        Case{[&] { view->OnMirrorShapeObjects(); }, VIEW_EVENT_RESIZE_LOCKED},
                        Case{[&] { view->DoModifyRenderObjsRotatedAngle(45); }, VIEW_EVENT_ROTATE_LOCKED}}) {
    view->events.clear();
    Select("AB");
    const State before = Now();
    k.command();
    EXPECT_TRUE(Now() == before);
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_EQ(view->events[0].first, k.event);
    EXPECT_EQ(view->events[0].second, reinterpret_cast<LPARAM>(b));
  }
  EXPECT_FALSE(doc.CanUndo());
}

TEST_F(ViewCommands, UpdateRulesFollowTheSelection) {
  using Update = void (CWorkspaceView::*)(CCmdUI*);
  struct Rule {
    const char* what;
    Update update;
    bool none, one, two, group;  // nothing, A, A and B, a group alone
  };
  const Rule rules[] = {
      {"front", &CWorkspaceView::OnUpdateMoveObjectsToFront, false, true, true, true},
      {"forward", &CWorkspaceView::OnUpdateMoveObjectsForward, false, true, true, true},
      {"backward", &CWorkspaceView::OnUpdateMoveObjectsBackward, false, true, true, true},
      {"back", &CWorkspaceView::OnUpdateMoveObjectsBack, false, true, true, true},
      {"group", &CWorkspaceView::OnUpdateCreateGroup, false, false, true, false},
      {"ungroup", &CWorkspaceView::OnUpdateDrawUngroup, false, false, false, true},
      {"align", &CWorkspaceView::OnUpdateAlignLeft, false, false, true, false},
      {"middle", &CWorkspaceView::OnUpdateAlignMiddle, false, false, true, false},
      {"mirror", &CWorkspaceView::OnUpdateMirrorShapeObjects, false, true, true, true},
      {"flip", &CWorkspaceView::OnUpdateFlipShapeObjects, false, true, true, true},
      {"same width", &CWorkspaceView::OnUpdateMakeSameWidth, false, false, true, false},
      {"same size", &CWorkspaceView::OnUpdateMakeSize, false, false, true, false},
  };
  auto enabled = [&](Update u) {
    RecordingCmdUI ui;
    (view->*u)(&ui);
    return ui.enabled;
  };
  for (const Rule& r : rules) {
    Select("");
    EXPECT_EQ(enabled(r.update), r.none) << r.what;
    Select("A");
    EXPECT_EQ(enabled(r.update), r.one) << r.what;
    Select("AB");
    EXPECT_EQ(enabled(r.update), r.two) << r.what;
  }
  Select("CD");
  view->OnCreateGroup();
  for (const Rule& r : rules) EXPECT_EQ(enabled(r.update), r.group) << r.what << " (group)";
  // Selected objects that left the page do not count.
  Select("AB");
  page->RemoveShapeObject(a);
  page->RemoveShapeObject(b);
  for (const Rule& r : rules) EXPECT_FALSE(enabled(r.update)) << r.what << " (off the page)";
}

// --- property commands and previews -----------------------------------------------------------

TEST_F(ViewCommands, PropertyCommandsRecordOneStepEach) {
  struct Case {
    std::function<void()> command;
    const char* menu;
    std::function<bool(const CBaseShapeObj&)> done;
  };
  const Case cases[] = {
      {[&] { view->DoModifyShapeObjectsStrokenWidth(4); }, "Undo Change Stroke Width",
       [](const CBaseShapeObj& s) { return s.GetStrokeWidth() == 4; }},
      {[&] { view->DoModifyShapeObjsDashType(DASH_DASHDOT); }, "Undo Change Dash Type",
       [](const CBaseShapeObj& s) { return s.GetDashType() == DASH_DASHDOT; }},
      {[&] { view->DoModifyShapeObjsRenderColor(0x0000FF, 1); }, "Undo Change Filled Color",
       [](const CBaseShapeObj& s) { return s.GetFillColor() == 0x0000FF; }},
      {[&] { view->DoModifyShapeObjsRenderColor(0x00FF00, 0); }, "Undo Change Stroke Color",
       [](const CBaseShapeObj& s) { return s.GetStrokeColor() == 0x00FF00; }},
      {[&] { view->DoFillSelectedShapeObjs(0); }, "Undo Enable/Disable Fill Inside",
       [](const CBaseShapeObj& s) { return s.GetFillInsideFlag() == 0; }},
      {[&] { view->DoStrokeSelectedShapeObjs(0); }, "Undo Enable/Disable Stroke",
       [](const CBaseShapeObj& s) { return s.GetStrokeOutlineFlag() == 0; }},
      {[&] { view->DoModifyRenderObjsRotatedAngle(30); }, "Undo Rotate",
       [](const CBaseShapeObj& s) { return s.GetRotatedAngle() == 30; }},
  };
  for (const Case& k : cases) {
    doc.ClearUndoHistory();
    Select("AB");
    const State before = Now();
    k.command();
    EXPECT_EQ(doc.GetUndoCount(), 1) << k.menu;
    EXPECT_EQ(doc.GetUndoMenuText(), CString(k.menu));
    EXPECT_TRUE(k.done(*a) && k.done(*b)) << k.menu;
    EXPECT_FALSE(k.done(*c)) << k.menu;
    Undo();
    EXPECT_TRUE(Now() == before) << k.menu;
  }
  // Values out of range change nothing.
  doc.ClearUndoHistory();
  view->DoModifyShapeObjectsStrokenWidth(-1);
  view->DoModifyShapeObjectsStrokenWidth(std::nanf(""));
  view->DoModifyShapeObjsDashType(99);
  view->DoModifyShapeObjsDashType(DASH_CUSTOM);
  view->DoModifyShapeObjsDashType(-1);
  EXPECT_FALSE(doc.CanUndo());
}

// A preview stands; then a command. Whatever the command, its undo gives back the values from
// before the preview, and no scene is left.
TEST_F(ViewCommands, EveryCommandEndsAPreviewBeforeItRecords) {
  const std::function<void()> commands[] = {
      [&] { view->DoModifyShapeObjectsStrokenWidth(8); },
      [&] { view->DoModifyShapeObjsRenderColor(0x0000FF, 1); },
      [&] { view->DoModifyRenderObjsRotatedAngle(10); },
      [&] { view->OnAlignLeft(); },
      [&] { view->OnMirrorShapeObjects(); },
      [&] { view->OnMakeSameSize(); },
      [&] { view->OnMoveObjectsToFront(); },
      [&] { view->OnCreateGroup(); },
      [&] { view->DoEditClear(); },
  };
  const std::function<void()> previews[] = {
      [&] { view->PreviewModifyShapeObjsStrokeWidth(5); },
      [&] { view->PreviewModifyRenderObjsRotatedAngle(60); },
  };
  int n = 0;
  for (const auto& preview : previews) {
    for (const auto& command : commands) {
      SCOPED_TRACE(n++);
      doc.ClearUndoHistory();
      Select("AB");
      const State before = Now();
      preview();
      ASSERT_NE(view->GetPreviewScene(), nullptr);
      command();
      EXPECT_EQ(view->GetPreviewScene(), nullptr);
      ASSERT_EQ(doc.GetUndoCount(), 1);
      Undo();
      EXPECT_TRUE(Now() == before);
    }
  }
}

TEST_F(ViewCommands, PreviewSequencesLeaveTheObjectsAsTheyWere) {
  Select("AB");
  const State before = Now();
  // Hover three widths, move to the dash gallery, then to the rotation gallery, then leave.
  view->PreviewModifyShapeObjsStrokeWidth(2);
  view->PreviewModifyShapeObjsStrokeWidth(6);
  EXPECT_EQ(a->GetStrokeWidth(), 6);
  view->PreviewModifyShapeObjsDashStyle(DASH_DOT);
  EXPECT_EQ(a->GetStrokeWidth(), 1);  // the width preview was put back before it went
  EXPECT_EQ(a->GetDashType(), DASH_DOT);
  view->PreviewModifyRenderObjsRotatedAngle(45);
  EXPECT_EQ(a->GetDashType(), DASH_SOLID);
  EXPECT_EQ(a->GetRotatedAngle(), 45);
  view->RestorePrevScene();
  view->RestorePrevScene();  // restoring twice does not turn them again
  EXPECT_TRUE(Now() == before);
  view->DestroyPreviewScene();
  EXPECT_EQ(view->GetPreviewScene(), nullptr);
  EXPECT_TRUE(Now() == before);
  EXPECT_FALSE(doc.CanUndo());
  EXPECT_FALSE(doc.IsModified());

  // Undo while a preview stands ends it first: the undone step sees the real values.
  view->DoModifyShapeObjectsStrokenWidth(3);
  view->PreviewModifyShapeObjsStrokeWidth(9);
  Undo();
  EXPECT_EQ(view->GetPreviewScene(), nullptr);
  EXPECT_TRUE(Now() == before);
}

TEST(ViewPreviewLifetime, AViewClosedMidPreviewLeavesNoPreviewValues) {
  CCustomPathObj* shape = nullptr;
  {
    ViewFixture f;
    shape = f.AddRect(10, 10, 50, 50);
    shape->AddRef();
    f.view->SelectRenderObject(shape, false);
    f.view->PreviewModifyShapeObjsStrokeWidth(9);
    f.view->PreviewModifyRenderObjsRotatedAngle(30);
    EXPECT_EQ(shape->GetRotatedAngle(), 30);
  }  // the view goes with its scene still in force
  EXPECT_EQ(shape->GetStrokeWidth(), 1);
  EXPECT_EQ(shape->GetRotatedAngle(), 0);
  EXPECT_EQ(shape->GetTransMatrix(), CQorTransMatrix::Translation(10, 10));
  shape->Release();
}

// --- paste, import ----------------------------------------------------------------------------

TEST_F(ViewCommands, PastedObjectsGoOnThePageSelectedAsOneStep) {
  Select("A");
  CRenderBaseObjectList list;
  auto* p = new CCustomPathObj;
  p->AddRectanglePath(CQorVectorRect<float>(0, 0, 5, 5));
  auto* q = new CCustomPathObj;
  q->AddRectanglePath(CQorVectorRect<float>(0, 0, 7, 7));
  list.AddElement(p);
  list.AddElement(q);
  const State before = Now();
  EXPECT_TRUE(view->PasteObjsFromClipboard(list));
  EXPECT_EQ(Objects().GetCount(), 6);
  EXPECT_EQ(Objects()[4], p);
  EXPECT_EQ(Objects()[5], q);
  ASSERT_EQ(view->GetSelectedObjectsCount(), 2);
  EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Paste"));
  const State after = Now();
  Undo();
  EXPECT_TRUE(Now() == before);
  EXPECT_EQ(view->GetSelectedObjectsCount(), 0);
  Redo();
  EXPECT_TRUE(Now() == after);
  CRenderBaseObjectList empty;
  EXPECT_FALSE(view->PasteObjsFromClipboard(empty));
  EXPECT_EQ(doc.GetUndoCount(), 1);
}

// A packed DIB of w x h pixels, 24 bits, bottom-up, every pixel the colour (blue, green, red).
std::vector<uint8_t> MakeDib(int w, int h, uint8_t bl, uint8_t gr, uint8_t rd) {
  std::vector<uint8_t> d;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) d.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    d.push_back(static_cast<uint8_t>(v));
    d.push_back(static_cast<uint8_t>(v >> 8));
  };
  const int stride = (w * 3 + 3) / 4 * 4;
  u32(40), u32(static_cast<uint32_t>(w)), u32(static_cast<uint32_t>(h)), u16(1), u16(24), u32(0);
  u32(static_cast<uint32_t>(stride * h)), u32(3780), u32(3780), u32(0), u32(0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < stride; ++x) d.push_back(x < w * 3 ? (x % 3 == 0 ? bl : x % 3 == 1 ? gr : rd) : 0);
  return d;
}

TEST(PasteDib, AClipboardBitmapBecomesAnImageObject) {
  ClipboardHost host;  // outlives the view
  ViewFixture f;
  host.dib = MakeDib(3, 2, 0x10, 0x20, 0x30);
  f.view->SetViewHost(&host);
  CRenderBaseObjectList list;
  ASSERT_TRUE(f.view->PasteDIB(list, 0));
  ASSERT_EQ(list.GetCount(), 1);
  auto* image = dynamic_cast<CCustomPathObj*>(list[0]);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->GetFillKind(), RENDER_KIND_BITMAP);
  EXPECT_FALSE(image->GetStrokeOutlineFlag());
  const CQorVectorRect<float> r = image->CalcuBoundRect();
  EXPECT_FLOAT_EQ(r.Width(), 3);
  EXPECT_FLOAT_EQ(r.Height(), 2);
  CBitmapResObj* res = image->GetFillDefinition().GetRenderBitmap();
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(res->GetResourceKind(), BITMAP_RES_EXTERNAL);  // so the document writer keeps it
  Gdiplus::Color px;
  ASSERT_EQ(res->GetGdiBitmap()->GetPixel(0, 0, &px), Gdiplus::Ok);
  EXPECT_EQ(px.GetRed(), 0x30);
  EXPECT_EQ(px.GetBlue(), 0x10);
  // The same bytes again are the same picture to the writer.
  CRenderBaseObjectList again;
  ASSERT_TRUE(f.view->PasteDIB(again, 0));
  auto* res2 = static_cast<CExternalBmpResObj*>(static_cast<CCustomPathObj*>(again[0])->GetFillDefinition().GetRenderBitmap());
  EXPECT_TRUE(res2->IsSameResource(*static_cast<CExternalBmpResObj*>(res)));
  f.view->SetViewHost(&f.host);
}

TEST(PasteDib, MalformedBitmapsAreRefused) {
  const std::vector<uint8_t> good = MakeDib(3, 2, 1, 2, 3);
  auto with = [&](size_t at, uint32_t v, int bytes = 4) {
    std::vector<uint8_t> d = good;
    for (int i = 0; i < bytes; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
    return d;
  };
  struct Case {
    const char* what;
    std::vector<uint8_t> dib;
  };
  const Case cases[] = {
      {"empty", {}},
      {"short header", std::vector<uint8_t>(good.begin(), good.begin() + 20)},
      {"header size unknown", with(0, 41)},
      {"header size past the end", with(0, 124)},
      {"zero width", with(4, 0)},
      {"negative width", with(4, 0xFFFFFFF0u)},
      {"zero height", with(8, 0)},
      {"huge height", with(8, 0x7FFFFFFFu)},
      {"two planes", with(12, 2, 2)},
      {"bit count 7", with(14, 7, 2)},
      {"unknown compression", with(16, 9)},
      {"palette past the end", with(14, 8, 2)},
      {"rows missing", std::vector<uint8_t>(good.begin(), good.end() - 4)},
      {"png compression", with(16, 5)},
      {"run-length pixels too many", [&] {
         std::vector<uint8_t> d = with(14, 8, 2);  // 8 bits, run-length coded: rows need not be there
         for (size_t i = 16; i < 20; ++i) d[i] = i == 16 ? 1 : 0;
         for (size_t i = 4; i < 12; ++i) d[i] = i % 4 == 1 ? 0x40 : 0;  // 16384 x 16384
         d.resize(40 + 1024 + 4, 0);
         return d;
       }()},
  };
  ClipboardHost host;
  ViewFixture f;
  f.view->SetViewHost(&host);
  for (const Case& k : cases) {
    host.dib = k.dib;
    CRenderBaseObjectList list;
    EXPECT_FALSE(f.view->PasteDIB(list, 0)) << k.what;
    EXPECT_TRUE(list.IsEmpty()) << k.what;
    delete DecodePackedDib(k.dib.data(), k.dib.size());
  }
  f.view->SetViewHost(&f.host);
}

std::wstring WritePng(int w, int h) {
  char name[] = "/tmp/lw_import_XXXXXX.png";
  const int fd = mkstemps(name, 4);
  if (fd < 0) return {};
  close(fd);
  const std::wstring path = lw::Utf8ToWide(name);
  Gdiplus::Bitmap bitmap(w, h, Gdiplus::PixelFormat32bppARGB);
  if (bitmap.Save(path.c_str(), &Gdiplus::LwEncoderClsidPNG) != Gdiplus::Ok) return {};
  return path;
}

TEST_F(ViewCommands, ImportImageFitsCentresSelectsAndNamesTheImage) {
  struct Case {
    int w, h;
    float ew, eh;  // size on the 400 x 300 page: within 320 x 240, never enlarged
  };
  for (const Case& k : {Case{1000, 100, 320, 32}, Case{100, 50, 100, 50}, Case{600, 600, 240, 240}}) {
    const std::wstring path = WritePng(k.w, k.h);
    ASSERT_FALSE(path.empty());
    view->events.clear();
    const State before = Now();
    ASSERT_TRUE(view->DoImportImage(path.c_str(), 0));
    CRenderBaseObj* image = Objects().GetTail();
    const CQorVectorRect<float> r = image->CalcuBoundRect();
    EXPECT_FLOAT_EQ(r.Width(), k.ew);
    EXPECT_FLOAT_EQ(r.Height(), k.eh);
    EXPECT_FLOAT_EQ(r.left + r.right, 400);
    EXPECT_FLOAT_EQ(r.top + r.bottom, 300);
    EXPECT_EQ(view->GetLastSelectedObject(), image);
    EXPECT_EQ(view->GetSelectedObjectsCount(), 1);
    ASSERT_EQ(view->events.size(), 1u);
    EXPECT_EQ(view->events[0].first, VIEW_EVENT_IMAGE_CREATED);
    EXPECT_EQ(doc.GetUndoMenuText(), CString(L"Undo Import Image"));
    auto* res = static_cast<CExternalBmpResObj*>(static_cast<CBaseShapeObj*>(image)->GetFillDefinition().GetRenderBitmap());
    EXPECT_EQ(res->GetPathName(), CString(path.c_str()));
    Undo();
    EXPECT_TRUE(Now() == before);
    Redo();
    std::remove(lw::WideToUtf8(path).c_str());
  }
  // The same file twice shares one resource.
  const std::wstring path = WritePng(20, 10);
  ASSERT_TRUE(view->DoImportImage(path.c_str(), 0));
  ASSERT_TRUE(view->DoImportImage(path.c_str(), 0));
  const int n = Objects().GetCount();
  EXPECT_EQ(static_cast<CBaseShapeObj*>(Objects()[n - 1])->GetFillDefinition().GetRenderBitmap(),
            static_cast<CBaseShapeObj*>(Objects()[n - 2])->GetFillDefinition().GetRenderBitmap());
  std::remove(lw::WideToUtf8(path).c_str());
}

TEST_F(ViewCommands, ImportOfAMissingOrUnreadableFileChangesNothing) {
  const std::string junk = "/tmp/lw_import_junk.png";
  if (std::FILE* f = std::fopen(junk.c_str(), "wb")) {
    std::fputs("not a picture", f);
    std::fclose(f);
  }
  for (const wchar_t* path : {L"/nonexistent/picture.png", L"", L"/tmp", L"/tmp/lw_import_junk.png"}) {
    EXPECT_FALSE(view->DoImportImage(path, 0)) << lw::WideToUtf8(path);
  }
  EXPECT_FALSE(view->DoImportImage(nullptr, 0));
  EXPECT_EQ(Objects().GetCount(), 4);
  EXPECT_FALSE(doc.CanUndo());
  std::remove(junk.c_str());
}

}  // namespace
