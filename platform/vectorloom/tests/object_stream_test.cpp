// Object streams: the pinned byte layout, round trips of every object kind, and loading of
// truncated and corrupted streams.
#include <gtest/gtest.h>

#include <afxbinio.h>

#include <cstring>

#include "ObjectStreamTestSupport.h"

using namespace vltest;

namespace {

// Field writers for spelling out expected streams.
struct Bytes {
  std::vector<uint8_t> v;
  Bytes& U8(uint8_t x) {
    v.push_back(x);
    return *this;
  }
  Bytes& U32(uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
    return *this;
  }
  Bytes& I64(int64_t x) {
    for (int i = 0; i < 8; ++i) v.push_back(static_cast<uint8_t>(static_cast<uint64_t>(x) >> (8 * i)));
    return *this;
  }
  Bytes& F32(float f) {
    uint32_t x;
    std::memcpy(&x, &f, 4);
    return U32(x);
  }
  Bytes& Str(const std::u16string& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (char16_t c : s) v.push_back(static_cast<uint8_t>(c)), v.push_back(static_cast<uint8_t>(c >> 8));
    return *this;
  }
  // type word, record version, name, matrix, two lengths, shadow flag, offset, colour, transparency
  Bytes& Base(uint32_t type, const std::u16string& name, float dx, float dy, uint32_t version = 2) {
    U32(type).U32(version).Str(name);
    F32(1).F32(0).F32(0).F32(1).F32(dx).F32(dy);
    F32(0).F32(0);
    U32(0).F32(5).F32(5).U32(0x808080).U32(128);
    return *this;
  }
  // Record version 2's tail of the shape record: fill rule, start, end and dash caps, join,
  // miter limit, dash offset, dash count and dashes.
  Bytes& StrokeStyle(uint32_t rule, uint32_t start, uint32_t end, uint32_t dashCap, uint32_t join, float miter,
                     float offset, std::initializer_list<float> dashes) {
    U32(rule).U32(start).U32(end).U32(dashCap).U32(join).F32(miter).F32(offset).U32(static_cast<uint32_t>(dashes.size()));
    for (float d : dashes) F32(d);
    return *this;
  }
  // kind, colour, transparency, gradient type, angle, no stops, no picture
  Bytes& PlainDefinition(uint32_t kind, uint32_t color) {
    return U32(kind).U32(color).U32(0).U32(0).F32(0).U32(0).U32(0);
  }
};

CCustomPathObj* MakeSmallRectangle() {
  auto* s = new CCustomPathObj;
  s->SetObjectName(CString(L"A"));
  s->SetTransMatrix(CQorTransMatrix::Translation(3, 4), false);
  s->AddRectanglePath(CQorVectorRect<float>(0, 0, 1, 2));
  return s;
}

}  // namespace

TEST(ObjectStreamFormat, GoldenBytesOfAGroupHoldingARectangle) {
  auto* group = new CRenderGroupObj;
  Held held(group);
  group->SetObjectName(CString(L"G"));
  group->AddChild(MakeSmallRectangle());

  Bytes expected;
  expected.Base(2, u"G", 0, 0);  // group record: the base part only
  expected.U32(1);               // child count
  expected.Base(0, u"A", 3, 4);  // the shape's base part
  expected.U32(1).U32(1).F32(1).U32(0);                 // fill on, stroke on, width 1, solid line
  expected.PlainDefinition(1, 0xFFFFFF);                // fill: solid white
  expected.PlainDefinition(1, 0x000000);                // stroke: solid black
  expected.StrokeStyle(0, 0, 0, 0, 0, 10, 0, {});       // even-odd, flat, miter 10, no dashes
  expected.U32(1);                                      // one sub-path
  expected.U32(3).U32(4);                               // closed | rectangle, four nodes
  const float corners[4][2] = {{0, 0}, {1, 0}, {1, 2}, {0, 2}};
  for (const auto& c : corners) {
    for (int k = 0; k < 3; ++k) expected.F32(c[0]).F32(c[1]);  // point, out and in controls
    expected.U8(0).U8(0);
  }
  EXPECT_EQ(SaveObject(*group), expected.v);
}

TEST(ObjectStreamFormat, GoldenBytesOfAStrokeStyle) {
  Held held(MakeSmallRectangle());
  auto* shape = static_cast<CCustomPathObj*>(held.p);
  shape->SetFillRule(FILL_RULE_NONZERO);
  shape->SetStartCap(LINE_CAP_ROUND);
  shape->SetEndCap(LINE_CAP_ARROW_ANCHOR);
  shape->SetDashCap(DASH_CAP_ROUND);
  shape->SetLineJoin(LINE_JOIN_BEVEL);
  shape->SetMiterLimit(4);
  ASSERT_TRUE(shape->SetDashPattern({3, 1.5f}));
  shape->SetDashOffset(0.5f);
  Bytes expected;
  expected.Base(0, u"A", 3, 4);
  expected.U32(1).U32(1).F32(1).U32(5);  // custom dashes
  expected.PlainDefinition(1, 0xFFFFFF).PlainDefinition(1, 0x000000);
  expected.StrokeStyle(1, 2, 0x14, 2, 1, 4, 0.5f, {3, 1.5f});
  const std::vector<uint8_t> bytes = SaveObject(*shape);
  ASSERT_GT(bytes.size(), expected.v.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(expected.v.size())), expected.v);

  CBitmapResObjsList bitmaps;
  Held back(LoadObject(bytes, bitmaps));
  ASSERT_NE(back.p, nullptr);
  auto* b = static_cast<CCustomPathObj*>(back.p);
  EXPECT_EQ(b->GetFillRule(), FILL_RULE_NONZERO);
  EXPECT_EQ(b->GetStartCap(), LINE_CAP_ROUND);
  EXPECT_EQ(b->GetEndCap(), LINE_CAP_ARROW_ANCHOR);
  EXPECT_EQ(b->GetDashCap(), DASH_CAP_ROUND);
  EXPECT_EQ(b->GetLineJoin(), LINE_JOIN_BEVEL);
  EXPECT_EQ(b->GetMiterLimit(), 4.0f);
  EXPECT_EQ(b->GetDashType(), DASH_CUSTOM);
  EXPECT_EQ(b->GetDashPattern(), (std::vector<float>{3, 1.5f}));
  EXPECT_EQ(b->GetDashOffset(), 0.5f);
}

TEST(ObjectStreamFormat, RecordVersionOneReadsAsBefore) {
  // A version 1 shape record has no stroke style: it loads with the style every shape had then
  // and is written back as version 2.
  Bytes v1;
  v1.Base(0, u"A", 3, 4, 1);
  v1.U32(1).U32(1).F32(2).U32(DASH_DASHDOT);
  v1.PlainDefinition(1, 0xFFFFFF).PlainDefinition(1, 0x000000);
  v1.U32(1).U32(1).U32(2);  // one closed sub-path of two nodes
  for (float x : {0.0f, 5.0f}) {
    for (int k = 0; k < 3; ++k) v1.F32(x).F32(x);
    v1.U8(0).U8(0);
  }
  CBitmapResObjsList bitmaps;
  uint64_t consumed = 0;
  Held back(LoadObject(v1.v, bitmaps, &consumed));
  ASSERT_NE(back.p, nullptr);
  EXPECT_EQ(consumed, v1.v.size());
  auto* b = static_cast<CCustomPathObj*>(back.p);
  EXPECT_EQ(b->GetDashType(), DASH_DASHDOT);
  EXPECT_EQ(b->GetStrokeWidth(), 2.0f);
  EXPECT_EQ(b->GetFillRule(), FILL_RULE_EVEN_ODD);
  EXPECT_EQ(b->GetStartCap(), LINE_CAP_FLAT);
  EXPECT_EQ(b->GetEndCap(), LINE_CAP_FLAT);
  EXPECT_EQ(b->GetLineJoin(), LINE_JOIN_MITER);
  EXPECT_EQ(b->GetMiterLimit(), 10.0f);
  EXPECT_TRUE(b->GetDashPattern().empty());
  ASSERT_EQ(b->GetSubPathsCount(), 1);
  EXPECT_TRUE(b->GetSubPath(0).IsClosed());
  const std::vector<uint8_t> again = SaveObject(*b);
  EXPECT_EQ(lw::bin::GetLE32(again.data() + 4), 2u);

  // Version 1 knows no custom dashes.
  std::vector<uint8_t> custom = v1.v;
  lw::bin::PutLE32(custom.data() + 66 + 12, DASH_CUSTOM);  // base record with a one-unit name, then two flags and the width
  EXPECT_EQ(LoadObject(custom, bitmaps), nullptr);
}

TEST(ObjectStreamFormat, ArtworkStreamBeginsWithItsSignature) {
  Held shape(MakeShape(RENDER_KIND_SOLID));
  CMemFile f;
  ASSERT_TRUE(CLoadingObject::SaveSerialized(f, *shape.p));
  const std::vector<uint8_t> bytes = FileBytes(f);
  ASSERT_GT(bytes.size(), 12u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 8), "obj#2009");
  EXPECT_EQ(lw::bin::GetLE32(bytes.data() + 8), 1u);

  CBitmapResObjsList bitmaps;
  CDefaultObjectFactory factory;
  {
    BytesFile in(bytes);
    Held loaded(CLoadingObject::LoadSerialized(in.file(), nullptr, bitmaps, factory));
    ASSERT_NE(loaded.p, nullptr);
    EXPECT_EQ(loaded->GetObjectName(), CString(L"Shape-1"));
  }
  std::vector<uint8_t> wrong = bytes;
  wrong[3] = 'X';
  BytesFile in(wrong);
  EXPECT_EQ(CLoadingObject::LoadSerialized(in.file(), nullptr, bitmaps, factory), nullptr);
}

namespace {

CRenderBaseObj* MakeNestedGroups() {
  auto* outer = new CRenderGroupObj;
  outer->SetObjectName(CString(L"Group-1"));
  outer->AddChild(MakeShape(RENDER_KIND_SOLID, CString(L"first")));
  auto* inner = new CRenderGroupObj;
  inner->AddChild(MakeShape(RENDER_KIND_GRADIENT, CString(L"second")));
  inner->AddChild(new CRenderGroupObj);  // an empty group keeps its place
  inner->TransformObject(CQorTransMatrix::Rotation(30), false);
  outer->AddChild(inner);
  outer->AddChild(MakeShape(RENDER_KIND_BITMAP, CString(L"third")));
  return outer;
}

}  // namespace

TEST(ObjectStreamRoundTrip, EveryKindLoadsBackAndSavesIdentically) {
  struct Case {
    const char* what;
    CRenderBaseObj* (*make)();
  } cases[] = {
      {"solid shape", [] { return static_cast<CRenderBaseObj*>(MakeShape(RENDER_KIND_SOLID)); }},
      {"gradient shape", [] { return static_cast<CRenderBaseObj*>(MakeShape(RENDER_KIND_GRADIENT)); }},
      {"picture shape", [] { return static_cast<CRenderBaseObj*>(MakeShape(RENDER_KIND_BITMAP)); }},
      {"unfilled shape without paths",
       [] {
         auto* s = new CCustomPathObj;
         s->SetFillInsideFlag(0);
         s->SetStrokeKind(RENDER_KIND_NONE);
         return static_cast<CRenderBaseObj*>(s);
       }},
      {"nested groups", MakeNestedGroups},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Held original(c.make());
    const std::vector<uint8_t> first = SaveObject(*original.p);
    CBitmapResObjsList bitmaps;
    uint64_t consumed = 0;
    Held loaded(LoadObject(first, bitmaps, &consumed));
    ASSERT_NE(loaded.p, nullptr);
    EXPECT_EQ(consumed, first.size());
    EXPECT_EQ(loaded->GetObjectType(), original->GetObjectType());
    EXPECT_EQ(loaded->GetObjectName(), original->GetObjectName());
    EXPECT_EQ(loaded->GetTransMatrix(), original->GetTransMatrix());
    EXPECT_EQ(SaveObject(*loaded.p), first);
  }
}

TEST(ObjectStreamRoundTrip, ShapePropertiesAndTreeSurvive) {
  Held original(MakeNestedGroups());
  CBitmapResObjsList bitmaps;
  Held loaded(LoadObject(SaveObject(*original.p), bitmaps));
  ASSERT_NE(loaded.p, nullptr);
  auto& outer = static_cast<CRenderGroupObj&>(*loaded.p);
  ASSERT_EQ(outer.GetChildList().GetCount(), 3);
  auto* inner = outer.GetChildList()[1];
  ASSERT_TRUE(inner->IsGroupObject());
  ASSERT_EQ(static_cast<CRenderGroupObj*>(inner)->GetChildList().GetCount(), 2);

  auto* gradient = static_cast<CCustomPathObj*>(static_cast<CRenderGroupObj*>(inner)->GetChildList()[0]);
  EXPECT_EQ(gradient->GetFillKind(), RENDER_KIND_GRADIENT);
  EXPECT_EQ(gradient->GetFillColor(), RGB(12, 34, 56));
  EXPECT_EQ(gradient->GetFilledTransparency(), 64);
  EXPECT_EQ(gradient->GetStrokeTransparency(), 8);
  EXPECT_EQ(gradient->GetStrokeWidth(), 2.5f);
  EXPECT_EQ(gradient->GetDashType(), DASH_DASHDOT);
  EXPECT_TRUE(gradient->GetShadowFlag());
  RGBQUAD q;
  int pos = -1;
  ASSERT_EQ(gradient->GetFillDefinition().GetGradientDefinition().GetColorStopsCount(), 2);
  ASSERT_TRUE(gradient->GetFillDefinition().GetGradientDefinition().GetColorStop(1, q, pos));
  EXPECT_EQ(pos, 4096);
  EXPECT_EQ(q.rgbReserved, 128);
  ASSERT_EQ(gradient->GetSubPathsCount(), 2);
  CQorVectorRect<float> rect;
  EXPECT_TRUE(gradient->GetSubPath(0).IsRectangularPath(&rect));
  EXPECT_EQ(rect, CQorVectorRect<float>(0, 0, 40, 30));
  EXPECT_FALSE(gradient->GetSubPath(1).IsClosed());
  EXPECT_EQ(gradient->GetSubPath(1).GetNode(0).ptOut, (CQorVectorPoint<float>(10, -5)));

  // The picture is known by its path, size and time and lands in the loader's list.
  auto* picture = static_cast<CCustomPathObj*>(outer.GetChildList()[2]);
  ASSERT_EQ(bitmaps.GetCount(), 1);
  EXPECT_EQ(picture->GetFillDefinition().GetRenderBitmap(), bitmaps[0]);
  auto* ext = static_cast<CExternalBmpResObj*>(bitmaps[0]);
  EXPECT_TRUE(ext->IsSameResource(CString(L"C:\\pics\\a.png"), 1234, 1700000000));
  EXPECT_FALSE(ext->HasBitmap());
}

TEST(ObjectStreamRoundTrip, ObjectsOfOneLoadShareAPicture) {
  auto* group = new CRenderGroupObj;
  Held held(group);
  group->AddChild(MakeShape(RENDER_KIND_BITMAP));
  group->AddChild(MakeShape(RENDER_KIND_BITMAP));
  CBitmapResObjsList bitmaps;
  Held loaded(LoadObject(SaveObject(*group), bitmaps));
  ASSERT_NE(loaded.p, nullptr);
  const auto& kids = static_cast<CRenderGroupObj*>(loaded.p)->GetChildList();
  EXPECT_EQ(bitmaps.GetCount(), 1);
  EXPECT_EQ(static_cast<CBaseShapeObj*>(kids[0])->GetFillDefinition().GetRenderBitmap(),
            static_cast<CBaseShapeObj*>(kids[1])->GetFillDefinition().GetRenderBitmap());
}

TEST(ObjectStreamRoundTrip, BaseRecordOfOtherKinds) {
  // Texts and videos of the program begin with the base record; it round-trips on its own.
  CRenderBaseObj text(RENDER_OBJ_TEXT);
  text.SetObjectName(CString(L"Text-1 \u00e9\u4e2d"));
  text.SetTransMatrix(CQorTransMatrix::RotationAt(15, 5, 5), false);
  text.SetLengths(2.88f, 2.88f);
  CMemFile f;
  text.Save(f, CString(L"2010"));
  const std::vector<uint8_t> bytes = FileBytes(f);
  EXPECT_EQ(lw::bin::GetLE32(bytes.data()), 3u);

  BytesFile in(std::vector<uint8_t>(bytes.begin() + 4, bytes.end()));
  CRenderBaseObj back(RENDER_OBJ_TEXT);
  CBitmapResObjsList bitmaps;
  ASSERT_TRUE(back.Load(in.file(), nullptr, bitmaps, CString(L"2010")));
  CMemFile again;
  back.Save(again, CString(L"2010"));
  EXPECT_EQ(FileBytes(again), bytes);
  EXPECT_EQ(back.GetLengthX(), 2.88f);
}

TEST(ObjectStreamLoad, EveryTruncationFails) {
  for (auto make : {MakeNestedGroups, +[] { return static_cast<CRenderBaseObj*>(MakeShape(RENDER_KIND_BITMAP)); }}) {
    Held original(make());
    const std::vector<uint8_t> bytes = SaveObject(*original.p);
    for (size_t n = 0; n < bytes.size(); ++n) {
      CBitmapResObjsList bitmaps;
      CRenderBaseObj* obj = LoadObject(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n), bitmaps);
      EXPECT_EQ(obj, nullptr) << "prefix of " << n << " bytes";
      if (obj) Held drop(obj);
    }
  }
}

TEST(ObjectStreamLoad, CorruptedFieldsFail) {
  // A group with one shape of one open two-node sub-path: offsets counted from the layout.
  auto* group = new CRenderGroupObj;
  Held held(group);
  auto* shape = new CCustomPathObj;
  CBaseCustomPath sub;
  sub.AddNode(CQorVectorEdgeNode(0, 0));
  sub.AddNode(CQorVectorEdgeNode(5, 5));
  shape->AddSubPath(sub);
  group->AddChild(shape);
  const std::vector<uint8_t> good = SaveObject(*group);
  const size_t n = good.size();
  const size_t groupRecord = 64;          // base record with an empty name
  const size_t nodes = n - 2 * 26;        // the two nodes end the stream
  struct Case {
    const char* what;
    size_t offset;
    uint32_t value;
  } cases[] = {
      {"record version 0", 4, 0},
      {"record version newer than this library", 4, 3},
      {"name longer than the stream", 8, 0x7FFFFFFF},
      {"child count larger than what is left", groupRecord, 1000},
      {"child count at its maximum", groupRecord, 0xFFFFFFFF},
      {"child of a type the factory does not make", groupRecord + 4, 1},
      {"shadow flag not 0 or 1", 44, 7},
      {"fill rule unknown", nodes - 44, 2},
      {"start cap unknown", nodes - 40, 4},
      {"end cap unknown", nodes - 36, 0x15},
      {"dash cap square (not a dash cap)", nodes - 32, 1},
      {"join unknown", nodes - 28, 4},
      {"miter limit below 1", nodes - 24, 0x3F000000},
      {"miter limit not a number", nodes - 24, 0x7FC00000},
      {"dash offset infinite", nodes - 20, 0x7F800000},
      {"dashes on a solid line", nodes - 16, 1},
      {"dash count above the limit", nodes - 16, 65},
      {"sub-path count larger than what is left", nodes - 12, 50},
      {"sub-path flags unknown", nodes - 8, 8},
      {"rectangle flag on an open two-node path", nodes - 8, 2},
      {"node count larger than what is left", nodes - 4, 3},
      {"node count at its maximum", nodes - 4, 0xFFFFFFFF},
  };
  {
    CBitmapResObjsList bitmaps;
    Held ok(LoadObject(good, bitmaps));
    ASSERT_NE(ok.p, nullptr);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bad = good;
    lw::bin::PutLE32(bad.data() + c.offset, c.value);
    CBitmapResObjsList bitmaps;
    CRenderBaseObj* obj = LoadObject(bad, bitmaps);
    EXPECT_EQ(obj, nullptr);
    if (obj) Held drop(obj);
  }
  // A has-control byte other than 0 or 1.
  std::vector<uint8_t> bad = good;
  bad[n - 1] = 2;
  CBitmapResObjsList bitmaps;
  EXPECT_EQ(LoadObject(bad, bitmaps), nullptr);
}

TEST(ObjectStreamLoad, NestingDeeperThanTheLimitFails) {
  auto build = [](int depth) {
    auto* top = new CRenderGroupObj;
    CRenderGroupObj* g = top;
    for (int i = 1; i < depth; ++i) {
      auto* next = new CRenderGroupObj;
      g->AddChild(next);
      g = next;
    }
    return top;
  };
  // The same stream spelled out: each group's record and a count of one, the last count 0.
  auto stream = [](int depth) {
    CMemFile f;
    for (int i = 0; i < depth; ++i) {
      CRenderGroupObj g;
      g.Save(f, CString(L"2010"));
      lw::bin::WriteU32(f, i + 1 < depth ? 1 : 0);
    }
    return FileBytes(f);
  };
  for (int depth : {CRenderGroupObj::kMaxGroupDepth, CRenderGroupObj::kMaxGroupDepth + 1}) {
    const bool allowed = depth <= CRenderGroupObj::kMaxGroupDepth;
    Held tree(build(depth));
    CMemFile f;
    EXPECT_EQ(CLoadingObject::Save(f, *tree.p, CString(L"2010")), allowed) << depth;  // writers refuse it too
    if (allowed) EXPECT_EQ(FileBytes(f), stream(depth));
    CBitmapResObjsList bitmaps;
    CRenderBaseObj* obj = LoadObject(stream(depth), bitmaps);
    EXPECT_EQ(obj != nullptr, allowed) << depth;
    if (obj) Held drop(obj);
  }
}

TEST(ObjectStreamScaling, LengthsScaleAndComeBack) {
  Held group(MakeNestedGroups());
  auto* shape = static_cast<CCustomPathObj*>(static_cast<CRenderGroupObj*>(group.p)->GetChildList()[0]);
  const CQorVectorPoint<float> node = shape->GetSubPath(1).GetNode(1).pt;
  group->ScaleLengthParam(0.5f, 0.25f);
  EXPECT_EQ(shape->GetStrokeWidth(), 1.25f);
  EXPECT_EQ(shape->GetSubPath(1).GetNode(1).pt, (CQorVectorPoint<float>(node.x * 0.5f, node.y * 0.25f)));
  EXPECT_EQ(shape->GetTransMatrix().dx, 5.0f);
  EXPECT_EQ(shape->GetTransMatrix().dy, 5.0f);
  EXPECT_EQ(shape->GetTransMatrix().m22, 2.0f);  // the matrix's scale is not a length
  group->ScaleLengthParam(2.0f, 4.0f);
  EXPECT_EQ(shape->GetStrokeWidth(), 2.5f);
  EXPECT_EQ(shape->GetSubPath(1).GetNode(1).pt, node);
}

TEST(ObjectStreamGroups, TextsInGroupsAreWrittenAndCounted) {
  // Stamps hold texts in groups: a text child is written through its own Save and counted;
  // only a code without a record (1, the library's own text) is left out.
  struct TextFactory : CDefaultObjectFactory {
    CRenderBaseObj* CreateObject(int type) override {
      return type == RENDER_OBJ_TEXT ? new CRenderBaseObj(RENDER_OBJ_TEXT) : CDefaultObjectFactory::CreateObject(type);
    }
  } withTexts;
  auto* group = new CRenderGroupObj;
  Held held(group);
  auto* text = new CRenderBaseObj(RENDER_OBJ_TEXT);
  text->SetObjectName(CString(L"T"));
  group->AddChild(text);
  group->AddChild(new CRenderBaseObj(RENDER_OBJ_CORETEXT));
  auto* inner = new CRenderGroupObj;
  inner->AddChild(MakeSmallRectangle());
  auto* deepText = new CRenderBaseObj(RENDER_OBJ_TEXT);
  deepText->SetObjectName(CString(L"U"));
  inner->AddChild(deepText);
  group->AddChild(inner);
  CMemFile f;
  ASSERT_TRUE(CLoadingObject::SaveSerialized(f, *group));
  const std::vector<uint8_t> bytes = FileBytes(f);
  EXPECT_EQ(lw::bin::GetLE32(bytes.data() + 12 + 64), 2u);  // the text and the inner group

  CBitmapResObjsList bitmaps;
  {
    BytesFile in(bytes);
    Held loaded(CLoadingObject::LoadSerialized(in.file(), nullptr, bitmaps, withTexts));
    ASSERT_NE(loaded.p, nullptr);
    EXPECT_EQ(in.file().GetPosition(), bytes.size());
    const auto& kids = static_cast<CRenderGroupObj*>(loaded.p)->GetChildList();
    ASSERT_EQ(kids.GetCount(), 2);
    EXPECT_EQ(kids[0]->GetObjectName(), CString(L"T"));
    const auto& innerKids = static_cast<CRenderGroupObj*>(kids[1])->GetChildList();
    ASSERT_EQ(innerKids.GetCount(), 2);
    EXPECT_EQ(innerKids[1]->GetObjectType(), RENDER_OBJ_TEXT);
    EXPECT_EQ(innerKids[1]->GetObjectName(), CString(L"U"));
  }
  // A reader that cannot make texts fails the whole stream rather than dropping them.
  BytesFile in(bytes);
  CDefaultObjectFactory plain;
  EXPECT_EQ(CLoadingObject::LoadSerialized(in.file(), nullptr, bitmaps, plain), nullptr);
}

TEST(ObjectStreamGroups, AFailedChildListLeavesTheGroupAsItWas) {
  // Reading children into a group that already has one: a damaged list adds nothing.
  auto* source = new CRenderGroupObj;
  Held held(source);
  source->AddChild(MakeSmallRectangle());
  source->AddChild(MakeSmallRectangle());
  CMemFile f;
  ASSERT_TRUE(source->SaveChildren(f, CString(L"2010")));
  std::vector<uint8_t> bytes = FileBytes(f);
  bytes.resize(bytes.size() - 1);  // the second child is cut short
  CRenderGroupObj target;
  target.AddChild(MakeSmallRectangle());
  BytesFile in(bytes);
  CBitmapResObjsList bitmaps;
  CDefaultObjectFactory factory;
  EXPECT_EQ(target.LoadChildren(in.file(), nullptr, bitmaps, CString(L"2010"), factory), 0);
  EXPECT_EQ(target.GetChildList().GetCount(), 1);
}

TEST(ObjectStreamGroups, ChildrenComeFromTheCallersFactory) {
  // The program's factory makes its own classes, texts included, whose Load reads their record.
  struct TextFactory : CDefaultObjectFactory {
    CRenderBaseObj* CreateObject(int type) override {
      return type == RENDER_OBJ_TEXT ? new CRenderBaseObj(RENDER_OBJ_TEXT) : CDefaultObjectFactory::CreateObject(type);
    }
  } factory;
  CRenderBaseObj text(RENDER_OBJ_TEXT);
  text.SetObjectName(CString(L"Text-1"));
  CMemFile f;
  CRenderGroupObj group;
  group.Save(f, CString(L"2010"));
  lw::bin::WriteU32(f, 1);
  text.Save(f, CString(L"2010"));
  BytesFile in(FileBytes(f));
  CBitmapResObjsList bitmaps;
  Held loaded(CLoadingObject::Load(in.file(), nullptr, bitmaps, factory, CString(L"2010")));
  ASSERT_NE(loaded.p, nullptr);
  const CRenderBaseObjectList& kids = static_cast<CRenderGroupObj*>(loaded.p)->GetChildList();
  ASSERT_EQ(kids.GetCount(), 1);
  EXPECT_EQ(kids[0]->GetObjectType(), RENDER_OBJ_TEXT);
  EXPECT_EQ(kids[0]->GetObjectName(), CString(L"Text-1"));

  // The library's own factory does not make texts: the same stream fails.
  BytesFile again(FileBytes(f));
  CDefaultObjectFactory plain;
  EXPECT_EQ(CLoadingObject::Load(again.file(), nullptr, bitmaps, plain, CString(L"2010")), nullptr);
}
