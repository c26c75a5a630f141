// Page objects of the program: factory and drawing defaults, group records, page copies, covered
// screen areas, embedded-font merging and the private clipboard format.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <mfc/afxbinio.h>

#include "ClipboardFormat.h"
#include "CreateObjectFactory.h"
#include "DocTestKit.h"
#include "FinishLoadedObjects.h"
#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "ObjectOccurArea.h"
#include "PageBusiPage.h"
#include "PageGroupObj.h"
#include "PageObjectRecords.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"

using namespace Vectorloom;
using namespace doctest;

// ---------------------------------------------------------------------------------------------
// Factory and creation defaults

TEST(PageObjectFactory, TypeCodesGiveTheProgramsClasses) {
  enum Kind { None, Shape, Group, Text, Video };
  const struct {
    int code;
    Kind factory;
    Kind drawn;
  } cases[] = {
      {0, Shape, Shape}, {1, None, None}, {2, Group, Group}, {3, Text, Text},
      {4, Video, None},  {5, None, None}, {-1, None, None},  {0x10000, None, None},
  };
  auto kindOf = [](CRenderBaseObj* obj) {
    if (!obj) return None;
    if (dynamic_cast<CPageShapeObj*>(obj)) return Shape;
    if (dynamic_cast<CPageGroupObj*>(obj)) return Group;
    if (dynamic_cast<CPageTextObj*>(obj)) return Text;
    if (dynamic_cast<CPageVideoObj*>(obj)) return Video;
    return None;
  };
  CCreateObjectFactory factory;
  CLeafwrightDoc doc;
  for (const auto& c : cases) {
    Ref<CRenderBaseObj> made(factory.CreateObject(c.code));
    Ref<CRenderBaseObj> drawn(doc.CreateNewObject(c.code));
    EXPECT_EQ(kindOf(made.get()), c.factory) << c.code;
    EXPECT_EQ(kindOf(drawn.get()), c.drawn) << c.code;
    if (made) {
      EXPECT_EQ(made->GetObjectType(), c.code);
    }
  }
}

TEST(PageObjectDefaults, NewObjectsTakeTheApplicationState) {
  CLocalGradientColorsDefine custom;
  custom.AddColorStop(0x0000FF, 255, 0);
  const struct {
    COLORREF fill, stroke;
    int dpiX, dpiY;
    bool customGradient;
  } cases[] = {
      {RGB(0, 128, 0), RGB(255, 153, 0), 96, 96, false},  // the start-up state
      {RGB(1, 2, 3), RGB(4, 5, 6), 120, 144, true},
  };
  for (const auto& c : cases) {
    AppStateScope app;
    if (c.fill != RGB(0, 128, 0)) {
      app.state.SetDefaultFillColor(c.fill);
      app.state.SetDefaultStrokeColor(c.stroke);
      app.state.SetScreenDpi(c.dpiX, c.dpiY);
    }
    if (c.customGradient) app.state.SetDefaultGradient(custom);
    const CLocalGradientColorsDefine& gradient =
        c.customGradient ? custom : CDefaultLeafwrightAppState::MakePresetGradient0();

    CPageShapeObj shape;
    EXPECT_EQ(shape.GetFillColor(), c.fill);
    EXPECT_EQ(shape.GetStrokeColor(), c.stroke);
    EXPECT_EQ(shape.GetStrokeKind(), RENDER_KIND_SOLID);
    EXPECT_TRUE(shape.IsStroked());
    EXPECT_FLOAT_EQ(shape.GetStrokeWidth(), 2.0f * c.dpiX / 72.0f);  // 2 points
    EXPECT_EQ(shape.GetFillDefinition().GetGradientDefinition(), gradient);
    EXPECT_EQ(shape.GetStrokeDefinition().GetGradientDefinition(), gradient);

    CPageTextObj text;
    EXPECT_FLOAT_EQ(text.GetLengthX(), 0.03f * c.dpiX);  // 0.03 inch
    EXPECT_FLOAT_EQ(text.GetLengthY(), 0.03f * c.dpiY);
  }
  // The preset itself: green to white along the whole gradient.
  const CLocalGradientColorsDefine preset = CDefaultLeafwrightAppState::MakePresetGradient0();
  ASSERT_EQ(preset.GetColorStopsCount(), 2);
  RGBQUAD q;
  int pos;
  ASSERT_TRUE(preset.GetColorStop(0, q, pos));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ((q.rgbRed << 16) | (q.rgbGreen << 8) | q.rgbBlue, 0x3ED411);  // COLORREF 0x11D43E
  ASSERT_TRUE(preset.GetColorStop(1, q, pos));
  EXPECT_EQ(pos, 4096);
}

TEST(PageObjectDefaults, OutlineToolsDrawUnfilledShapesButStoredFillsStay) {
  const struct {
    eLeafwrightTool tool;
    bool filled;
  } cases[] = {
      {eLeafwrightTool::None, true},      {eLeafwrightTool::Rectangle, false}, {eLeafwrightTool::Oval, false},
      {eLeafwrightTool::RoundRect, false}, {eLeafwrightTool::Line, false},     {eLeafwrightTool::Polygon, false},
      {eLeafwrightTool::MoveAnchor, true}, {eLeafwrightTool::Other, true},
  };
  // A filled shape stored earlier.
  Bytes stored;
  {
    Ref<CPageShapeObj> filled(MakeShape(0, 0, 10, 10, L"Filled"));
    stored = SaveObject(*filled);
  }
  for (const auto& c : cases) {
    AppStateScope app;
    CLeafwrightDoc doc;
    MetricsView view(100, 0, 0, c.tool);
    doc.AddView(&view);
    EXPECT_EQ(doc.EditingViewTool(), c.tool);
    Ref<CRenderBaseObj> drawn(doc.CreateNewObject(0));
    auto* shape = dynamic_cast<CPageShapeObj*>(drawn.get());
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->IsFilled(), c.filled) << static_cast<int>(c.tool);
    EXPECT_TRUE(shape->IsStroked());
    // Reading never looks at the tool.
    Ref<CRenderBaseObj> read(LoadObject(stored));
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(static_cast<CPageShapeObj*>(read.get())->IsFilled());
  }
}

// ---------------------------------------------------------------------------------------------
// Group records

TEST(PageObjectList, GroupOfShapeTextAndNestedGroupRoundTrips) {
  Ref<CPageGroupObj> group(MakeGroup(L"Outer"));
  Ref<CPageShapeObj> shape(MakeShape(0, 0, 40, 30, L"Box"));
  Ref<CPageTextObj> text(MakeText(L"Hello\r", -1, L"Words"));
  Ref<CPageGroupObj> inner(MakeGroup(L"Inner"));
  Ref<CPageVideoObj> video(MakeVideo(L"/clips/a.mp4"));
  Ref<CPageShapeObj> shape2(MakeShape(5, 5, 8, 8, L"Dot"));
  group->AddChild(shape.get());
  group->AddChild(text.get());
  group->AddChild(inner.get());
  inner->AddChild(video.get());
  inner->AddChild(shape2.get());

  const Bytes bytes = SaveObject(*group);

  // group record, 3, shape, text, nested group record, 2, video, shape.
  Bytes expected = BaseRecord(*group);
  AppendU32(expected, 3);
  Append(expected, SaveObject(*shape));
  Append(expected, SaveObject(*text));
  Append(expected, BaseRecord(*inner));
  AppendU32(expected, 2);
  Append(expected, SaveObject(*video));
  Append(expected, SaveObject(*shape2));
  EXPECT_EQ(bytes, expected);

  Ref<CRenderBaseObj> back(LoadObject(bytes));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(DescribeTree(*back), "Group:Outer(Shape:Box,Text:Words,Group:Inner(Video:,Shape:Dot))");
  EXPECT_EQ(DescribeTree(*back), DescribeTree(*group));
  EXPECT_EQ(SaveObject(*back), bytes);
  auto* backVideo = dynamic_cast<CPageVideoObj*>(
      static_cast<CPageGroupObj*>(static_cast<CPageGroupObj*>(back.get())->GetChildList()[2])->GetChildList()[0]);
  ASSERT_NE(backVideo, nullptr);
  EXPECT_EQ(backVideo->GetVideoFullPathName(), L"/clips/a.mp4");
}

TEST(PageObjectList, ChildrenWithoutRecordsAreNotCounted) {
  Ref<CPageGroupObj> group(MakeGroup(L"G"));
  Ref<CRenderBaseObj> coreText(new CRenderBaseObj(RENDER_OBJ_CORETEXT));
  Ref<CPageShapeObj> shape(MakeShape(0, 0, 1, 1, L"S"));
  group->AddChild(coreText.get());
  group->AddChild(shape.get());
  const Bytes bytes = SaveObject(*group);
  const size_t head = BaseRecord(*group).size();
  ASSERT_GE(bytes.size(), head + 4);
  EXPECT_EQ(lw::bin::GetLE32(bytes.data() + head), 1u);
  Ref<CRenderBaseObj> back(LoadObject(bytes));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(DescribeTree(*back), "Group:G(Shape:S)");
}

TEST(PageObjectList, DamagedRecordsFailTheWholeGroup) {
  Ref<CPageGroupObj> group(MakeGroup(L"G"));
  Ref<CPageShapeObj> shape(MakeShape(0, 0, 10, 10, L"S"));
  Ref<CPageTextObj> text(MakeText(L"ab\r", -1, L"T"));
  group->AddChild(shape.get());
  group->AddChild(text.get());
  const Bytes good = SaveObject(*group);
  const size_t countAt = BaseRecord(*group).size();
  const size_t firstChildAt = countAt + 4;

  const struct {
    const char* what;
    std::function<void(Bytes&)> damage;
  } cases[] = {
      {"huge child count", [&](Bytes& b) { lw::bin::PutLE32(b.data() + countAt, 0xFFFFFFFFu); }},
      {"count one too many", [&](Bytes& b) { lw::bin::PutLE32(b.data() + countAt, 3); }},
      {"core text child code", [&](Bytes& b) { lw::bin::PutLE32(b.data() + firstChildAt, 1); }},
      {"unknown child code", [&](Bytes& b) { lw::bin::PutLE32(b.data() + firstChildAt, 7); }},
      {"video code on a shape record", [&](Bytes& b) { lw::bin::PutLE32(b.data() + firstChildAt, 4); }},
      {"group record version newer than the reader", [&](Bytes& b) { lw::bin::PutLE32(b.data() + 4, 3); }},
  };
  for (const auto& c : cases) {
    Bytes b = good;
    c.damage(b);
    EXPECT_EQ(LoadObject(b), nullptr) << c.what;
    // Through the list loader directly: failure, and no half-filled group left behind.
    CPageGroupObj target;
    CMemFile in(b.data(), static_cast<UINT>(b.size()));
    uint32_t type;
    ASSERT_TRUE(lw::bin::ReadU32(in, type));
    CBitmapResObjsList bitmaps;
    EXPECT_EQ(LoadPageObjectList(target, in, nullptr, bitmaps, kVersion), 0) << c.what;
    EXPECT_EQ(target.GetChildList().GetCount(), 0) << c.what;
  }
  // Every cut of the record fails, none crashes or hangs.
  for (size_t n = 0; n < good.size(); ++n) EXPECT_EQ(LoadObject(Bytes(good.begin(), good.begin() + n)), nullptr) << n;
  // Bytes after the record are not read.
  Bytes longer = good;
  longer.push_back(0xEE);
  EXPECT_NE(LoadObject(longer), nullptr);
}

TEST(PageObjectList, NestingIsBoundedOnBothSides) {
  auto nest = [](int depth) {
    Ref<CPageGroupObj> top(MakeGroup(L"N"));
    CPageGroupObj* cur = top.get();
    for (int i = 1; i < depth; ++i) {
      auto* g = new CPageGroupObj;
      cur->AddChild(g);
      cur = g;
    }
    return top;
  };
  Ref<CPageGroupObj> deepest(nest(kMaxPageGroupDepth));
  const Bytes ok = SaveObject(*deepest);
  EXPECT_NE(LoadObject(ok), nullptr);

  Ref<CPageGroupObj> tooDeep(nest(kMaxPageGroupDepth + 1));
  CMemFile out;
  EXPECT_EQ(SavePageObjectList(*tooDeep, out, kVersion), 0);
  // A stream one level deeper than allowed, made by hand: the innermost group's record and an
  // empty child list, wrapped again and again.
  const Bytes record = BaseRecord(*deepest);
  Bytes stream;
  for (int i = 0; i < kMaxPageGroupDepth + 1; ++i) {
    Append(stream, record);
    AppendU32(stream, i == kMaxPageGroupDepth ? 0 : 1);
  }
  EXPECT_EQ(LoadObject(stream), nullptr);
  stream.erase(stream.begin(), stream.begin() + static_cast<long>(record.size() + 4));
  EXPECT_NE(LoadObject(stream), nullptr);
}

// The group and child list bytes pinned here are the ones docs/formats.md describes.
TEST(PageObjectList, GoldenBytesOfAGroupHoldingAnEmptyGroup) {
  Ref<CPageGroupObj> outer(MakeGroup(L"G"));
  Ref<CPageGroupObj> inner(MakeGroup(L"H"));
  outer->AddChild(inner.get());
  const std::string base_tail =
      "0000803f 00000000 00000000 0000803f 00000000 00000000"  // identity matrix
      "00000000 00000000"                                      // two lengths
      "00000000 0000a040 0000a040 80808000 80000000";          // shadow off, (5, 5), grey, 128
  const Bytes golden = Hex(
      "02000000 02000000 01000000 4700" + base_tail +  // group "G", record version 2
      "01000000"                                       // one child
      "02000000 02000000 01000000 4800" + base_tail +  // group "H"
      "00000000");                                     // no children
  EXPECT_EQ(SaveObject(*outer), golden);
  Ref<CRenderBaseObj> back(LoadObject(golden));
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(DescribeTree(*back), "Group:G(Group:H())");
}

TEST(PageObjectList, CountedListsKeepOnlyTheAllowedCodes) {
  CRenderBaseObjectList list;
  Ref<CPageShapeObj> shape(MakeShape(0, 0, 3, 3, L"S"));
  Ref<CPageVideoObj> video(MakeVideo(L"/v.mp4"));
  Ref<CPageTextObj> text(MakeText(L"x\r", -1, L"T"));
  list.AddElement(shape.get());
  list.AddElement(video.get());
  list.AddElement(text.get());

  CMemFile all;
  EXPECT_EQ(SaveObjectList(all, list, kVersion), 3u);
  CMemFile noVideo;
  EXPECT_EQ(SaveObjectList(noVideo, list, kVersion, kClipboardObjectTypes), 2u);

  const struct {
    CMemFile* file;
    uint32_t allowed;
    bool ok;
    const char* objects;
  } cases[] = {
      {&all, kPageObjectTypes, true, "Shape:S,Video:,Text:T"},
      {&all, kClipboardObjectTypes, false, ""},
      {&noVideo, kClipboardObjectTypes, true, "Shape:S,Text:T"},
  };
  for (const auto& c : cases) {
    Bytes b(c.file->GetBufferPtr(), c.file->GetBufferPtr() + c.file->GetLength());
    CMemFile in(b.data(), static_cast<UINT>(b.size()));
    CRenderBaseObjectList out;
    Ref<CPageShapeObj> already(MakeShape(0, 0, 1, 1, L"Kept"));
    out.AddElement(already.get());
    CBitmapResObjsList bitmaps;
    EXPECT_EQ(LoadObjectList(in, out, nullptr, bitmaps, kVersion, c.allowed), c.ok);
    // What was in the list before stays; a failed read adds nothing.
    ASSERT_GE(out.GetCount(), 1);
    EXPECT_EQ(out[0], already.get());
    std::string names;
    for (int i = 1; i < out.GetCount(); ++i) names += (i > 1 ? "," : "") + DescribeTree(*out[i]);
    EXPECT_EQ(names, c.objects);
  }
}

TEST(PageObjectList, GroupedTextsGetGlyphsOnceFinished) {
  Ref<CPageGroupObj> group(MakeGroup(L"G"));
  Ref<CPageGroupObj> inner(MakeGroup(L"I"));
  Ref<CPageTextObj> text(MakeText(L"Ab\r", -1, L"T"));
  group->AddChild(inner.get());
  inner->AddChild(text.get());
  Ref<CRenderBaseObj> back(LoadObject(SaveObject(*group)));
  ASSERT_NE(back, nullptr);
  auto* backText = dynamic_cast<CPageTextObj*>(
      static_cast<CPageGroupObj*>(static_cast<CPageGroupObj*>(back.get())->GetChildList()[0])->GetChildList()[0]);
  ASSERT_NE(backText, nullptr);
  EXPECT_EQ(backText->GetArrayOfTextCharacters()[0].GetCharGlyphPath(), nullptr);

  CLeafwrightDoc doc;
  CRenderBaseObjectList list;
  list.AddElement(back.get());
  FinishLoadedObjects(list, doc);
  EXPECT_NE(backText->GetArrayOfTextCharacters()[0].GetCharGlyphPath(), nullptr);
  EXPECT_NE(backText->GetArrayOfTextCharacters()[1].GetCharGlyphPath(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Copies

TEST(PageObjectCopies, ClonesKeepTheClassAndAreIndependent) {
  Ref<CPageShapeObj> shape(MakeShape(0, 0, 10, 10, L"S"));
  Ref<CPageTextObj> text(MakeText(L"t\r", -1, L"T"));
  Ref<CPageVideoObj> video(MakeVideo(L"/v.mp4"));
  Ref<CPageGroupObj> group(MakeGroup(L"G"));
  Ref<CPageShapeObj> child(MakeShape(1, 1, 2, 2, L"C"));
  group->AddChild(child.get());
  {
    AppStateScope app;  // the clone's fresh defaults must not leak into the copy
    app.state.SetDefaultFillColor(RGB(9, 9, 9));
    app.state.SetScreenDpi(300, 300);
    for (CRenderBaseObj* obj : std::vector<CRenderBaseObj*>{shape.get(), text.get(), video.get(), group.get()}) {
      Ref<CRenderBaseObj> copy(obj->Clone());
      ASSERT_NE(copy, nullptr);
      CRenderBaseObj& made = *copy;
      EXPECT_EQ(typeid(made), typeid(*obj));
      EXPECT_EQ(SaveObject(*copy), SaveObject(*obj)) << DescribeTree(*obj);
    }
  }
  Ref<CRenderBaseObj> copy(group->Clone());
  auto* copiedChild = static_cast<CPageShapeObj*>(static_cast<CPageGroupObj*>(copy.get())->GetChildList()[0]);
  ASSERT_NE(copiedChild, child.get());
  copiedChild->SetFillColor(RGB(1, 1, 1));
  EXPECT_NE(child->GetFillColor(), RGB(1, 1, 1));
}

TEST(PageCopies, PageCloneIsDeep) {
  Ref<CPageBusiPage> page(new CPageBusiPage);
  EXPECT_FLOAT_EQ(page->GetLogWidth(), 8.5f);
  EXPECT_FLOAT_EQ(page->GetLogHeight(), 11.0f);
  EXPECT_EQ(page->GetPageLogUnit(), UNIT_INCH);
  EXPECT_EQ(page->IsPageContentLoaded(), 0);

  page->SetLogWidth(5.0f);
  page->SetPageFlags(1);
  page->SetPageContentLoaded(1);
  page->SetPageAttribute(0xABCD);
  Ref<CPageShapeObj> bg(MakeShape(0, 0, 100, 100, L"Bg"));
  page->SetBackgroundRenderObj(bg.get());
  Ref<CPageGroupObj> group(MakeGroup(L"G"));
  Ref<CPageShapeObj> inGroup(MakeShape(0, 0, 5, 5, L"In"));
  group->AddChild(inGroup.get());
  page->AddShapeObject(group.get());
  Ref<CPageTextObj> text(MakeText(L"x\r", -1, L"T"));
  page->AddShapeObject(text.get());

  Ref<CRenderPage> copyBase(page->Clone());
  auto* copy = dynamic_cast<CPageBusiPage*>(copyBase.get());
  ASSERT_NE(copy, nullptr);
  EXPECT_FLOAT_EQ(copy->GetLogWidth(), 5.0f);
  EXPECT_EQ(copy->GetPageFlags(), 1u);
  EXPECT_EQ(copy->IsPageContentLoaded(), 1);
  EXPECT_EQ(copy->GetPageAttribute(), 0xABCDu);
  ASSERT_NE(copy->GetBackgroundRenderObj(), nullptr);
  EXPECT_NE(copy->GetBackgroundRenderObj(), bg.get());
  ASSERT_EQ(copy->GetRenderObjectList().GetCount(), 2);
  std::string before, after;
  for (CRenderBaseObj* o : page->GetRenderObjectList()) before += DescribeTree(*o) + ";";
  for (CRenderBaseObj* o : copy->GetRenderObjectList()) after += DescribeTree(*o) + ";";
  EXPECT_EQ(after, before);
  // Editing the copy leaves the original alone.
  auto* copiedGroup = static_cast<CPageGroupObj*>(copy->GetRenderObjectList()[0]);
  ASSERT_NE(copiedGroup, group.get());
  copiedGroup->GetChildList().RemoveAllElements();
  copy->RemoveShapeObject(copy->GetRenderObjectList()[1]);
  EXPECT_EQ(group->GetChildList().GetCount(), 1);
  EXPECT_EQ(page->GetRenderObjectList().GetCount(), 2);
  // Copied shapes come with their paths built.
  auto* copiedBg = static_cast<CPageShapeObj*>(copy->GetBackgroundRenderObj());
  EXPECT_NE(copiedBg->GetPathStorage(), nullptr);
}

TEST(PageCopies, LazyPageClonesLazyOnTheSameSource) {
  class CCountingSource : public IPageContentSource {
   public:
    bool LoadPageContent(CDrawingPage*, int, CPublicationDoc*) override { return true; }
    int GetPagesCount() override { return 3; }
  };
  Ref<CCountingSource> source(new CCountingSource);
  Ref<CPageBusiPage> page(new CPageBusiPage);
  page->SetPageSourceContent(source.get());
  page->SetPageSourceIndex(2);
  Ref<CRenderPage> copyBase(page->Clone());
  auto* copy = static_cast<CPageBusiPage*>(copyBase.get());
  EXPECT_EQ(copy->IsPageContentLoaded(), 0);
  EXPECT_EQ(copy->GetPageContentSource(), source.get());
  EXPECT_EQ(copy->GetPageSourceIndex(), 2);
  EXPECT_EQ(source->GetRefCount(), 3);  // the test, the page and the copy
  copyBase.reset();
  EXPECT_EQ(source->GetRefCount(), 2);
}

// ---------------------------------------------------------------------------------------------
// Covered screen areas

TEST(OccurArea, ClassesCoverTheirBoundsHandlesAndShadows) {
  auto text = [](bool shadow) {
    CPageTextObj* t = MakeText(L"x\r", -1, L"T");
    t->SetLayoutBox(100, 20);
    t->SetTransMatrix(CQorTransMatrix::Translation(10, 30), false);
    t->SetShadowFlag(shadow);
    return Ref<CRenderBaseObj>(t);
  };
  auto shape = [](bool shadow) {
    CPageShapeObj* s = MakeShape(0, 0, 10, 10, L"S");  // stroke 2 pt = 2.667 px
    s->SetShadowFlag(shadow);
    return Ref<CRenderBaseObj>(s);
  };
  auto group = [](bool shadow) {
    CPageGroupObj* g = MakeGroup(L"G");
    CPageShapeObj* s = MakeShape(0, 0, 10, 10, L"S");
    g->AddChild(s);
    g->SetShadowFlag(shadow);
    return Ref<CRenderBaseObj>(g);
  };
  auto video = [](bool shadow) {
    CPageVideoObj* v = MakeVideo(L"/v.mp4");
    v->SetVideoObjectSize({16, 12});
    v->SetShadowFlag(shadow);
    return Ref<CRenderBaseObj>(v);
  };
  using Make = std::function<Ref<CRenderBaseObj>(bool)>;
  const struct {
    const char* what;
    Make make;
    double zoom;
    int originX, originY;
    bool selected, shadow;
    eLeafwrightTool tool;
    RECT expected;
  } cases[] = {
      // Bounds x 2 = (20, 60, 220, 100), +-4, +1 right/bottom, grip box around (120, 40), +1.
      {"text selected 200%", text, 200, 0, 0, true, false, eLeafwrightTool::None, {16, 36, 226, 106}},
      {"text plain 200%", text, 200, 0, 0, false, false, eLeafwrightTool::None, {20, 60, 222, 102}},
      {"text shadow 200%", text, 200, 0, 0, false, true, eLeafwrightTool::None, {20, 60, 231, 111}},
      {"text origin", text, 100, 7, -3, false, false, eLeafwrightTool::None, {17, 27, 119, 49}},
      {"shape plain", shape, 100, 0, 0, false, false, eLeafwrightTool::None, {-2, -2, 14, 14}},
      {"shape selected", shape, 100, 0, 0, true, false, eLeafwrightTool::None, {-4, -24, 16, 16}},
      {"shape anchor tool", shape, 100, 0, 0, true, false, eLeafwrightTool::MoveAnchor, {-5, -5, 17, 17}},
      {"shape shadow", shape, 100, 0, 0, false, true, eLeafwrightTool::None, {-2, -2, 18, 18}},
      {"group selected", group, 100, 0, 0, true, false, eLeafwrightTool::None, {-4, -24, 15, 15}},
      {"group plain", group, 100, 0, 0, false, false, eLeafwrightTool::None, {0, 0, 11, 11}},
      {"group shadow", group, 100, 0, 0, false, true, eLeafwrightTool::None, {0, 0, 15, 15}},
      {"video selected", video, 100, 0, 0, true, false, eLeafwrightTool::None, {-4, -24, 22, 18}},
      {"video shadow ignored", video, 100, 0, 0, false, true, eLeafwrightTool::None, {0, 0, 18, 14}},
  };
  for (const auto& c : cases) {
    AppStateScope app;
    MetricsView view(c.zoom, c.originX, c.originY, c.tool);
    Ref<CRenderBaseObj> obj = c.make(c.shadow);
    obj->CreatePathStorage();
    const RECT r = obj->CalcuObjectOccurArea(&view, c.selected ? 1 : 0);
    EXPECT_EQ(r.left, c.expected.left) << c.what;
    EXPECT_EQ(r.top, c.expected.top) << c.what;
    EXPECT_EQ(r.right, c.expected.right) << c.what;
    EXPECT_EQ(r.bottom, c.expected.bottom) << c.what;
  }
}

TEST(OccurArea, RotationGripFollowsTheObjectsTurn) {
  // A 20 x 10 text turned 90 degrees clockwise at (100, 100): it covers (90, 100)-(100, 120) and
  // its top edge now faces right, so the grip sits 20 px right of (100, 110).
  Ref<CPageTextObj> t(MakeText(L"x\r", -1, L"T"));
  t->SetLayoutBox(20, 10);
  t->SetTransMatrix(CQorTransMatrix(0, 1, -1, 0, 100, 100), false);
  CQorVectorPoint<float> p0, p1;
  CWorkspaceView::GetRotationHandles(*t, CQorTransMatrix(), p0, p1);
  EXPECT_NEAR(p0.x, 95, 1e-4);
  EXPECT_NEAR(p0.y, 110, 1e-4);
  EXPECT_NEAR(p1.x, 100, 1e-4);
  EXPECT_NEAR(p1.y, 110, 1e-4);
  const RECT sel = t->CalcuOccurArea({}, 1);
  EXPECT_EQ(sel.left, 86);
  EXPECT_EQ(sel.top, 96);
  EXPECT_EQ(sel.right, 126);   // grip box right edge 124 + 1, then + 1
  EXPECT_EQ(sel.bottom, 126);  // bounds 120 + 4 + 1, then + 1
}

// ---------------------------------------------------------------------------------------------
// Embedded fonts

TEST(EmbedFonts, MergeDecidesAgainstHeldFontsAndRemapsOnceAtEveryDepth) {
  const struct {
    const char* what;
    std::vector<std::pair<int, const char*>> held;      // id, content
    std::vector<std::pair<int, const char*>> incoming;  // id, content
    std::map<int, int> remap;
    std::vector<std::pair<int, const char*>> after;
  } cases[] = {
      {"new id kept", {{1, "A"}}, {{2, "B"}}, {}, {{1, "A"}, {2, "B"}}},
      {"equal font dropped", {{1, "A"}}, {{1, "A"}}, {}, {{1, "A"}}},
      {"unequal font renamed", {{1, "A"}}, {{1, "B"}}, {{1, 2}}, {{1, "A"}, {2, "B"}}},
      // The fresh id must not be one a later pasted font keeps, and a renamed text must not be
      // renamed again by a later entry.
      {"no chain", {{1, "A"}, {3, "C"}}, {{1, "X"}, {2, "Y"}, {3, "Z"}}, {{1, 4}, {3, 5}},
       {{1, "A"}, {2, "Y"}, {3, "C"}, {4, "X"}, {5, "Z"}}},
      {"fresh id equals an old id", {{0, "A"}, {2, "C"}}, {{0, "B"}, {1, "D"}}, {{0, 3}},
       {{0, "A"}, {1, "D"}, {2, "C"}, {3, "B"}}},
  };
  for (const auto& c : cases) {
    GlyphweaveLib::CEmbedFontResManager manager;
    for (const auto& [id, content] : c.held) manager.AddEmbedFontResouce(MakeFont(id, content));
    std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>> fonts;
    for (const auto& [id, content] : c.incoming) fonts.emplace_back(MakeFont(id, content));
    const std::map<int, int> remap = MergeEmbedFonts(manager, fonts);
    EXPECT_TRUE(fonts.empty());
    EXPECT_EQ(remap, c.remap) << c.what;
    ASSERT_EQ(manager.GetCount(), static_cast<int>(c.after.size())) << c.what;
    for (size_t i = 0; i < c.after.size(); ++i) {
      EXPECT_EQ(manager.GetAt(static_cast<int>(i))->GetFontID(), c.after[i].first) << c.what;
      EXPECT_STREQ(manager.GetAt(static_cast<int>(i))->GetFontType(), c.after[i].second) << c.what;
    }

    // Texts at the top and inside nested groups follow the map once.
    CRenderBaseObjectList list;
    Ref<CPageGroupObj> group(MakeGroup(L"G"));
    Ref<CPageGroupObj> inner(MakeGroup(L"I"));
    group->AddChild(inner.get());
    list.AddElement(group.get());
    std::vector<CPageTextObj*> texts;
    for (const auto& [id, content] : c.incoming) {
      CPageTextObj* t = MakeText(L"q\r", id, L"T");
      texts.push_back(t);
      (texts.size() % 2 ? inner->GetChildList() : list).AddElement(t);
    }
    RemapEmbedFontIDs(list, remap);
    for (size_t i = 0; i < texts.size(); ++i) {
      const int old = c.incoming[i].first;
      const int want = remap.count(old) ? remap.at(old) : old;
      EXPECT_EQ(texts[i]->GetFontRunDesc(0).GetEmbedFontID(), want) << c.what << " text " << i;
    }
    std::vector<int> ids;
    CollectEmbedFontIDs(list, ids);
    EXPECT_EQ(ids.size(), c.incoming.size()) << c.what;
  }
}

// ---------------------------------------------------------------------------------------------
// Clipboard format

TEST(ClipboardFormat, RegisteredOnceUnderTheProgramsName) {
  const UINT id = GetLeafwrightClipboardFormat();
  EXPECT_GE(id, 0xC000u);
  EXPECT_EQ(g_nLeafwrightClipFormat, id);
  EXPECT_EQ(RegisterClipboardFormatW(L"Norvane Leafwright"), id);
  wchar_t name[64];
  ASSERT_GT(GetClipboardFormatNameW(id, name, 64), 0);
  EXPECT_EQ(std::wstring(name), L"Norvane Leafwright");
}

namespace {

TEST(OccurArea, IsInTheViewsLogicalPointsWhateverTheScroll) {
  // A 10 x 10 shape at (20, 30) on a page placed at (40, 50) of the view at 200 %; the area
  // stays where the page lies among the view's logical points when the view scrolls.
  Ref<CPageShapeObj> shape(MakeShape(0, 0, 10, 10, L"S"));
  shape->SetStrokeOutlineFlag(0);
  shape->SetTransMatrix(CQorTransMatrix::Translation(20, 30), true);
  MetricsView view(200, 40, 50);
  const RECT still = shape->CalcuObjectOccurArea(&view, 0);
  EXPECT_EQ(still.left, 40 + 40);
  EXPECT_EQ(still.top, 50 + 60);
  view.SetScrollSizes(MM_TEXT, CSize(2000, 2000));
  view.ScrollToPosition(CPoint(30, 20));
  ASSERT_EQ(view.GetDeviceScrollPosition(), CPoint(30, 20));
  const RECT scrolled = shape->CalcuObjectOccurArea(&view, 0);
  EXPECT_EQ(scrolled.left, still.left);
  EXPECT_EQ(scrolled.top, still.top);
  EXPECT_EQ(scrolled.right, still.right);
  EXPECT_EQ(scrolled.bottom, still.bottom);
}

}  // namespace
