#include <gtest/gtest.h>

#include <afxwin.h>

#include <afxbinio.h>

#include <memory>
#include <vector>

#include "TestSupport.h"

// Run-time classes as the program's own classes declare them.
class CShapeBase : public CObject {
  DECLARE_DYNAMIC(CShapeBase)
};
IMPLEMENT_DYNAMIC(CShapeBase, CObject)

class CCircleShape : public CShapeBase {
  DECLARE_DYNCREATE(CCircleShape)
 public:
  int m_nRadius = 5;
};
IMPLEMENT_DYNCREATE(CCircleShape, CShapeBase)

template <class T>
class CScene : public CShapeBase {
  DECLARE_DYNCREATE(CScene)
 public:
  T m_value{};
};
IMPLEMENT_DYNCREATE_T(CScene, T, CShapeBase)

TEST(RuntimeClasses, KindsCreationAndNames) {
  CCircleShape circle;
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CCircleShape)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CShapeBase)));
  EXPECT_TRUE(circle.IsKindOf(RUNTIME_CLASS(CObject)));
  EXPECT_FALSE(circle.IsKindOf(RUNTIME_CLASS(CFile)));
  EXPECT_STREQ(circle.GetRuntimeClass()->m_lpszClassName, "CCircleShape");
  EXPECT_EQ(RUNTIME_CLASS(CCircleShape)->m_pBaseClass, RUNTIME_CLASS(CShapeBase));

  std::unique_ptr<CObject> made(RUNTIME_CLASS(CCircleShape)->CreateObject());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(static_cast<CCircleShape*>(made.get())->m_nRadius, 5);
  EXPECT_EQ(RUNTIME_CLASS(CShapeBase)->CreateObject(), nullptr);  // not dynamically creatable

  EXPECT_EQ(CRuntimeClass::FromName("CCircleShape"), RUNTIME_CLASS(CCircleShape));
  EXPECT_EQ(CRuntimeClass::FromName(L"CMemFile"), RUNTIME_CLASS(CMemFile));  // from the library
  EXPECT_EQ(CRuntimeClass::FromName("CNoSuchClass"), nullptr);
  std::unique_ptr<CObject> byName(CRuntimeClass::CreateObject(L"CCircleShape"));
  EXPECT_TRUE(byName && byName->IsKindOf(RUNTIME_CLASS(CShapeBase)));

  // Each template instance has a class record of its own.
  CScene<int> si;
  CScene<float> sf;
  EXPECT_NE(si.GetRuntimeClass(), sf.GetRuntimeClass());
  EXPECT_TRUE(si.IsKindOf(RUNTIME_CLASS_T(CScene, int)));
  EXPECT_FALSE(si.IsKindOf(RUNTIME_CLASS_T(CScene, float)));
  EXPECT_TRUE(sf.IsKindOf(RUNTIME_CLASS(CShapeBase)));
  std::unique_ptr<CObject> scene(RUNTIME_CLASS_T(CScene, float)->CreateObject());
  EXPECT_TRUE(scene->IsKindOf(RUNTIME_CLASS_T(CScene, float)));
}

TEST(CTimeValues, LocalFieldsAndOrder) {
  const CTime t(2024, 2, 29, 13, 45, 30);
  EXPECT_EQ(t.GetYear(), 2024);
  EXPECT_EQ(t.GetMonth(), 2);
  EXPECT_EQ(t.GetDay(), 29);
  EXPECT_EQ(t.GetHour(), 13);
  EXPECT_EQ(t.GetMinute(), 45);
  EXPECT_EQ(t.GetSecond(), 30);
  EXPECT_EQ(t.GetDayOfWeek(), 5);  // Thursday
  EXPECT_EQ(CTime(2024, 2, 29, 13, 45, 31).GetTime() - t.GetTime(), 1);
  EXPECT_LT(t, CTime::GetCurrentTime());
  const CTime far(int64_t(1) << 34);  // beyond 2038
  EXPECT_GT(far.GetYear(), 2038);
}

// A document whose content is a list of numbers.
class CNumbersDoc : public CDocument {
 public:
  std::vector<uint32_t> m_numbers;
  int m_nDeleted = 0;
  void DeleteContents() override {
    m_numbers.clear();
    ++m_nDeleted;
  }
  void Serialize(CArchive& ar) override {
    CFile& f = *ar.GetFile();
    if (ar.IsStoring()) {
      lw::bin::WriteU32(f, static_cast<uint32_t>(m_numbers.size()));
      for (uint32_t n : m_numbers) lw::bin::WriteU32(f, n);
      return;
    }
    uint32_t count = 0, n = 0;
    if (!lw::bin::ReadU32(f, count)) AfxThrowFileException(CFileException::endOfFile);
    for (uint32_t i = 0; i < count; ++i) {
      if (!lw::bin::ReadU32(f, n)) AfxThrowFileException(CFileException::endOfFile);
      m_numbers.push_back(n);
    }
  }
};

namespace {
std::vector<std::pair<CView*, LPARAM>> g_updates;
}

TEST(CDocumentHeadless, PathTitleFlagViewsAndFiles) {
  CNumbersDoc doc;
  doc.m_bAutoDelete = FALSE;
  doc.SetPathName(L"C:\\books\\Spring.lfw", FALSE);
  EXPECT_EQ(doc.GetTitle(), L"Spring.lfw");
  EXPECT_FALSE(doc.IsModified());
  doc.SetModifiedFlag();
  EXPECT_TRUE(doc.IsModified());

  // Views are plain pointers to the document; updates go through the window layer's hook.
  CView* v1 = reinterpret_cast<CView*>(0x10);
  CView* v2 = reinterpret_cast<CView*>(0x20);
  doc.UpdateAllViews(nullptr, 3);  // no views, no hook: nothing happens
  doc.AddView(v1);
  doc.AddView(v2);
  doc.AddView(v1);  // once only
  CDocument::Hooks().pfnUpdateView = [](CView* v, CView*, LPARAM hint, CObject*) { g_updates.emplace_back(v, hint); };
  doc.UpdateAllViews(v1, 4);
  CDocument::Hooks().pfnUpdateView = nullptr;
  ASSERT_EQ(g_updates.size(), 1u);
  EXPECT_EQ(g_updates[0].first, v2);
  EXPECT_EQ(g_updates[0].second, 4);
  POSITION pos = doc.GetFirstViewPosition();
  EXPECT_EQ(doc.GetNextView(pos), v1);
  EXPECT_EQ(doc.GetNextView(pos), v2);
  EXPECT_EQ(pos, nullptr);
  doc.RemoveView(v1);
  doc.RemoveView(v2);
  EXPECT_EQ(doc.GetFirstViewPosition(), nullptr);

  lwtest::TempDir dir;
  const CString path = CString::FromUtf8((dir / "numbers.bin").string());
  doc.m_numbers = {7, 8, 9};
  EXPECT_TRUE(doc.DoSave(path));
  EXPECT_EQ(doc.GetPathName(), path);
  EXPECT_EQ(doc.GetTitle(), L"numbers.bin");
  EXPECT_FALSE(doc.IsModified());

  EXPECT_TRUE(doc.OnNewDocument());
  EXPECT_TRUE(doc.m_numbers.empty());
  EXPECT_TRUE(doc.OnOpenDocument(path));
  EXPECT_EQ(doc.m_numbers, (std::vector<uint32_t>{7, 8, 9}));
  EXPECT_FALSE(doc.IsModified());

  // A file cut short: Serialize throws, the open fails and the document is emptied again.
  lwtest::WriteFileBytes(dir / "short.bin", {5, 0, 0, 0, 1, 0});
  EXPECT_FALSE(doc.OnOpenDocument(CString::FromUtf8((dir / "short.bin").string())));
  EXPECT_TRUE(doc.m_numbers.empty());
  EXPECT_FALSE(doc.OnOpenDocument(CString::FromUtf8((dir / "none.bin").string())));
  EXPECT_FALSE(doc.DoSave(nullptr));  // Save As needs the window layer to ask for a name
}
