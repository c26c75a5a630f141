// Object lists, pages, groups, shapes and picture resources.
#include <gtest/gtest.h>

#include <gdiplus.h>

#include "ObjectStreamTestSupport.h"

using namespace vltest;

namespace {

// An object that counts its deletions.
struct Probe : CRenderBaseObj {
  explicit Probe(int* deleted) : deleted_(deleted) {}
  ~Probe() override { ++*deleted_; }
  int* deleted_;
};

}  // namespace

TEST(RenderObjectList, HoldsOneReferencePerEntry) {
  int deleted = 0;
  auto* a = new Probe(&deleted);
  auto* b = new Probe(&deleted);
  {
    CRenderBaseObjectList list;
    list.AddElement(a);
    list.AddElement(b);
    list.InsertElement(0, b);
    EXPECT_EQ(b->GetRefCount(), 2);
    EXPECT_EQ(list.Find(a), 1);
    CRenderBaseObjectList copy = list;
    EXPECT_EQ(a->GetRefCount(), 2);
    copy.RemoveAllElements();
    EXPECT_TRUE(list.RemoveElement(b));  // first occurrence only
    EXPECT_EQ(list.GetCount(), 2);
    // Detaching hands the list's reference over.
    CRenderBaseObj* detached = list.DetachElementAt(0);
    EXPECT_EQ(detached, a);
    EXPECT_EQ(a->GetRefCount(), 1);
    detached->Release();
    EXPECT_EQ(deleted, 1);
    EXPECT_FALSE(list.RemoveElementAt(5));
  }
  EXPECT_EQ(deleted, 2);
}

TEST(RenderPagesArray, OrderOperations) {
  CRenderPagesArray pages;
  CRenderPage* p[4];
  for (auto& page : p) {
    page = new CRenderPage;
    pages.AddPage(page);
  }
  pages.ReverseOrder();
  EXPECT_EQ(pages.IndexOf(p[0]), 3);
  EXPECT_TRUE(pages.SwapPages(0, 3));
  EXPECT_EQ(pages[0], p[0]);
  EXPECT_FALSE(pages.SwapPages(0, 4));
  p[1]->AddRef();
  EXPECT_TRUE(pages.RemovePage(p[1]));
  EXPECT_EQ(p[1]->GetRefCount(), 1);
  pages.InsertPage(99, p[1]);  // clamped to the end
  EXPECT_EQ(pages.IndexOf(p[1]), 3);
  p[1]->Release();
  CRenderPage* taken = pages.DetachPage(0);
  EXPECT_EQ(taken, p[0]);
  taken->Release();
  EXPECT_EQ(pages.GetAt(7), nullptr);
  EXPECT_EQ(pages.GetCount(), 3);
}

TEST(RenderPage, CloneIsDeep) {
  auto* page = new CRenderPage;
  page->AddRef();
  page->SetPageAttribute(0x1234);
  page->SetBackgroundRenderObj(MakeShape(RENDER_KIND_SOLID));
  auto* group = new CRenderGroupObj;
  group->AddChild(MakeShape(RENDER_KIND_BITMAP));
  page->AddShapeObject(group);
  CRenderPage* copy = page->Clone();
  copy->AddRef();
  EXPECT_EQ(copy->GetPageAttribute(), 0x1234u);
  ASSERT_NE(copy->GetBackgroundRenderObj(), nullptr);
  EXPECT_NE(copy->GetBackgroundRenderObj(), page->GetBackgroundRenderObj());
  auto* copiedGroup = static_cast<CRenderGroupObj*>(copy->GetRenderObjectList()[0]);
  ASSERT_NE(copiedGroup, group);
  auto* s0 = static_cast<CBaseShapeObj*>(group->GetChildList()[0]);
  auto* s1 = static_cast<CBaseShapeObj*>(copiedGroup->GetChildList()[0]);
  EXPECT_NE(s0, s1);
  // Pictures are shared, not copied.
  EXPECT_EQ(s0->GetFillDefinition().GetRenderBitmap(), s1->GetFillDefinition().GetRenderBitmap());
  page->Release();
  EXPECT_EQ(s1->GetFillDefinition().GetRenderBitmap()->GetRefCount(), 1);
  copy->Release();
}

TEST(GroupObject, BoundsAndTransformsFollowTheChildren) {
  auto* group = new CRenderGroupObj;
  Held held(group);
  auto* a = new CCustomPathObj;
  a->AddRectanglePath({0, 0, 10, 10});
  auto* b = new CCustomPathObj;
  b->AddRectanglePath({0, 0, 10, 10});
  b->SetTransMatrix(CQorTransMatrix::Translation(20, 5), false);
  group->AddChild(a);
  group->AddChild(b);
  EXPECT_EQ(group->CalcuBoundRect(), (CQorVectorRect<float>(0, 0, 30, 15)));
  group->TransformObject(CQorTransMatrix::Translation(1, 2), true);
  EXPECT_EQ(group->CalcuBoundRect(), (CQorVectorRect<float>(1, 2, 31, 17)));
  group->ResizeObject({0, 0, 60, 15});  // twice as wide, in the group's own coordinates
  EXPECT_EQ(group->CalcuBoundRect(), (CQorVectorRect<float>(1, 2, 61, 17)));
  EXPECT_TRUE(group->HitTest({45, 10}, 0));
  EXPECT_FALSE(group->HitTest({35, 3}, 0));  // the gap between the children
}

TEST(CustomPathObject, NormalizeKeepsThePageGeometry) {
  CCustomPathObj s;
  s.AddRectanglePath({5, 7, 15, 17});
  s.SetTransMatrix(CQorTransMatrix::Scale(2, 2), false);
  const CQorVectorRect<float> before = s.CalcuBoundRect();
  const CQorVectorPoint<float> offset = s.NormalizePath();
  EXPECT_EQ(offset, (CQorVectorPoint<float>(5, 7)));
  EXPECT_EQ(s.GetObjectBox(), (CQorVectorRect<float>(0, 0, 10, 10)));
  EXPECT_EQ(s.CalcuBoundRect(), before);
  EXPECT_EQ(s.GetRotatedAngle(), 0);
  s.TransformObject(CQorTransMatrix::Rotation(90), false);
  EXPECT_EQ(s.GetRotatedAngle(), 90);
}

TEST(CustomPathObject, HitTestAndHandles) {
  CCustomPathObj s;
  s.AddRectanglePath({0, 0, 100, 50});
  s.SetTransMatrix(CQorTransMatrix::Translation(10, 10), true);
  s.SetStrokeWidth(4);
  struct Case {
    float x, y;
    bool filled, hit;
  } cases[] = {
      {60, 30, true, true}, {60, 30, false, false},  // inside: only a filled shape is hit
      {11, 30, false, true},                         // on the outline
      {200, 30, true, false},
  };
  for (const Case& c : cases) {
    s.SetFillInsideFlag(c.filled);
    EXPECT_EQ(s.HitTest({c.x, c.y}, 1), c.hit) << c.x << "," << c.y << " filled " << c.filled;
  }
  EXPECT_EQ(s.HitTestHandles({110, 60}, 3), HANDLE_BOTTOMRIGHT);
  EXPECT_EQ(s.HitTestHandles({60, 10}, 3), HANDLE_TOP);
  EXPECT_EQ(s.HitTestHandles({60, 30}, 3), HANDLE_NONE);
  ASSERT_NE(s.GetPathStorage(), nullptr);
  s.CreateStrokenPathStorage();  // after the change of width
  EXPECT_EQ(s.GetStrokenBoundRect(), (CQorVectorRect<float>(8, 8, 112, 62)));
}

TEST(GradientDefinition, StopsStayOrderedAndClamped) {
  CLocalGradientColorsDefine g;
  g.AddColorStop(RGB(255, 0, 0), 255, 4096);
  g.AddColorStop(RGB(0, 255, 0), 300, -5);
  g.AddColorStop(RGB(0, 0, 255), 10, 2048);
  g.AddColorStop(RGB(9, 9, 9), 20, 2048);  // after the stop already at 2048
  ASSERT_EQ(g.GetColorStopsCount(), 4);
  RGBQUAD q;
  int pos;
  ASSERT_TRUE(g.GetColorStop(0, q, pos));
  EXPECT_EQ(pos, 0);
  EXPECT_EQ(q.rgbGreen, 255);
  EXPECT_EQ(q.rgbReserved, 255);
  ASSERT_TRUE(g.GetColorStop(2, q, pos));
  EXPECT_EQ(q.rgbRed, 9);
  EXPECT_FALSE(g.GetColorStop(4, q, pos));
}

TEST(BitmapResources, PicturesAreSharedAndHandedOver) {
  // A document's resource holds the decoded picture; a loaded object has an empty one.
  auto* docRes = new CExternalBmpResObj(CString(L"p.png"), 10, 20);
  docRes->AddRef();
  docRes->SetGdiBitmap(new Gdiplus::Bitmap(2, 2), nullptr, 1);
  CBitmapResObjsList list;
  list.Add(docRes);

  CCustomPathObj a, b;
  a.GetFillDefinition().SetRenderBitmap(new CExternalBmpResObj(CString(L"p.png"), 10, 20));
  b.GetFillDefinition().SetRenderBitmap(new CExternalBmpResObj(CString(L"p.png"), 10, 20));
  CBitmapResObjsList collected;
  a.CollectExternalBmpResObjs(collected);
  b.CollectExternalBmpResObjs(collected);
  EXPECT_EQ(collected.GetCount(), 1);  // one per path, size and time

  // AssignExternalBmpRes gives the object's own resource the picture, which stays after the
  // list's resource lets go of it.
  a.AssignExternalBmpRes(list);
  CBitmapResObj* aRes = a.GetFillDefinition().GetRenderBitmap();
  EXPECT_NE(aRes, docRes);
  EXPECT_EQ(aRes->GetGdiBitmap(), docRes->GetGdiBitmap());
  docRes->SetGdiBitmap(nullptr, nullptr, 0);
  EXPECT_TRUE(aRes->HasBitmap());

  // AssignExternalBmpRes2 makes the object use the list's resource itself.
  b.AssignExternalBmpRes2(list);
  EXPECT_EQ(b.GetFillDefinition().GetRenderBitmap(), docRes);
  EXPECT_EQ(docRes->GetRefCount(), 3);
  list.RemoveAll();
  docRes->Release();
}
