#include <gtest/gtest.h>

#include <afxtempl.h>

#include <map>

namespace {

template <class Fn>
bool ThrowsInvalidArg(Fn f) {
  try {
    f();
  } catch (CException* e) {
    const bool ok = e->IsKindOf(RUNTIME_CLASS(CInvalidArgException));
    e->Delete();
    return ok;
  }
  return false;
}

}  // namespace

TEST(CArrayBasics, AddInsertRemoveAndBounds) {
  CArray<int, int> a;
  EXPECT_EQ(a.Add(1), 0);
  EXPECT_EQ(a.Add(3), 1);
  a.InsertAt(1, 2);
  a.InsertAt(5, 9, 2);  // past the end: the array grows up to the index
  ASSERT_EQ(a.GetSize(), 7);
  const int expected[] = {1, 2, 3, 0, 0, 9, 9};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(a[i], expected[i]);
  a.RemoveAt(3, 2);
  EXPECT_EQ(a.GetSize(), 5);
  EXPECT_EQ(a.GetAt(3), 9);
  a.SetAtGrow(6, 7);
  EXPECT_EQ(a.GetUpperBound(), 6);
  EXPECT_EQ(a.GetData()[6], 7);

  CArray<int, int> b;
  b.Copy(a);
  EXPECT_EQ(b.Append(a), 7);
  EXPECT_EQ(b.GetCount(), 14);

  EXPECT_TRUE(ThrowsInvalidArg([&] { a.GetAt(7); }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a[-1] = 0; }));
  EXPECT_TRUE(ThrowsInvalidArg([&] { a.RemoveAt(6, 2); }));
  a.RemoveAll();
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(a.GetData(), nullptr);
}

TEST(CListBasics, PositionsWalkBothWays) {
  CList<CString, const CString&> l;
  l.AddTail(CString(L"b"));
  POSITION first = l.AddHead(CString(L"a"));
  POSITION last = l.AddTail(CString(L"d"));
  l.InsertBefore(last, CString(L"c"));
  l.InsertAfter(last, CString(L"e"));
  EXPECT_EQ(l.GetCount(), 5);

  CString joined;
  for (POSITION pos = l.GetHeadPosition(); pos;) joined += l.GetNext(pos);
  EXPECT_EQ(joined, L"abcde");
  joined.Empty();
  for (POSITION pos = l.GetTailPosition(); pos;) joined += l.GetPrev(pos);
  EXPECT_EQ(joined, L"edcba");

  EXPECT_EQ(l.Find(CString(L"c")), l.FindIndex(2));
  EXPECT_EQ(l.Find(CString(L"a"), first), nullptr);  // search starts after the given position
  EXPECT_EQ(l.FindIndex(5), nullptr);
  l.SetAt(first, CString(L"A"));
  l.RemoveAt(l.FindIndex(1));
  EXPECT_EQ(l.RemoveHead(), L"A");
  EXPECT_EQ(l.RemoveTail(), L"e");
  EXPECT_EQ(l.GetHead(), L"c");
  EXPECT_EQ(l.GetTail(), L"d");
  l.RemoveAll();
  EXPECT_TRUE(l.IsEmpty());
  EXPECT_EQ(l.GetHeadPosition(), nullptr);
  EXPECT_TRUE(ThrowsInvalidArg([&] { l.RemoveHead(); }));
}

TEST(CMapBasics, IntegerAndStringKeys) {
  CMap<int, int, CString, const CString&> byId;
  for (int i = 0; i < 100; ++i) byId.SetAt(i * 7, CString(L"v") + CString(std::to_wstring(i)));
  EXPECT_EQ(byId.GetCount(), 100);
  CString v;
  EXPECT_TRUE(byId.Lookup(21, v));
  EXPECT_EQ(v, L"v3");
  EXPECT_FALSE(byId.Lookup(22, v));
  byId[21] = L"changed";
  EXPECT_EQ(byId[21], L"changed");
  EXPECT_TRUE(byId.RemoveKey(21));
  EXPECT_FALSE(byId.RemoveKey(21));
  EXPECT_EQ(byId.GetCount(), 99);

  // The walk visits every pair once.
  std::map<int, CString> seen;
  POSITION pos = byId.GetStartPosition();
  while (pos) {
    int key;
    CString value;
    byId.GetNextAssoc(pos, key, value);
    EXPECT_TRUE(seen.emplace(key, value).second);
  }
  EXPECT_EQ(seen.size(), 99u);
  EXPECT_EQ(seen[14], L"v2");

  CMap<CString, const wchar_t*, void*, void*> byName;
  int target = 0;
  byName.SetAt(L"\u4e2d\U0001F600", &target);
  void* found = nullptr;
  EXPECT_TRUE(byName.Lookup(CString(L"\u4e2d\U0001F600"), found));
  EXPECT_EQ(found, &target);
  EXPECT_FALSE(byName.Lookup(L"other", found));
  byName.RemoveAll();
  EXPECT_EQ(byName.GetStartPosition(), nullptr);
}
