// Global memory blocks and the memory streams over them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

LARGE_INTEGER Li(LONGLONG v) {
  LARGE_INTEGER l;
  l.QuadPart = v;
  return l;
}
ULARGE_INTEGER Uli(ULONGLONG v) {
  ULARGE_INTEGER l;
  l.QuadPart = v;
  return l;
}

std::string ReadAll(IStream* s) {
  std::string out;
  char buf[3];
  ULONG got = 0;
  while (SUCCEEDED(s->Read(buf, sizeof(buf), &got)) && got > 0) out.append(buf, got);
  return out;
}

}  // namespace

TEST(GlobalMemory, FixedAndMoveableBlocks) {
  HGLOBAL fixed = GlobalAlloc(GPTR, 8);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(GlobalLock(fixed), fixed);  // a fixed block's handle is its address
  EXPECT_EQ(static_cast<BYTE*>(fixed)[7], 0);
  EXPECT_EQ(GlobalSize(fixed), 8u);

  HGLOBAL moveable = GlobalAlloc(GHND, 4);
  ASSERT_NE(moveable, nullptr);
  auto* p = static_cast<BYTE*>(GlobalLock(moveable));
  ASSERT_NE(p, nullptr);
  EXPECT_NE(static_cast<void*>(p), moveable);
  EXPECT_EQ(p[3], 0);  // GHND zeroes
  std::memcpy(p, "abcd", 4);
  EXPECT_EQ(GlobalUnlock(moveable), FALSE);  // last lock gone

  // Growing a moveable block keeps its handle and bytes; GMEM_ZEROINIT clears the new tail.
  EXPECT_EQ(GlobalReAlloc(moveable, 100000, GMEM_MOVEABLE | GMEM_ZEROINIT), moveable);
  EXPECT_EQ(GlobalSize(moveable), 100000u);
  p = static_cast<BYTE*>(GlobalLock(moveable));
  EXPECT_EQ(std::memcmp(p, "abcd", 4), 0);
  EXPECT_EQ(p[99999], 0);
  GlobalUnlock(moveable);

  // A fixed block grows only when it may move, and then changes its handle.
  EXPECT_EQ(GlobalReAlloc(fixed, 1 << 20, 0), nullptr);
  EXPECT_EQ(GlobalSize(fixed), 8u);
  HGLOBAL moved = GlobalReAlloc(fixed, 1 << 20, GMEM_MOVEABLE);
  ASSERT_NE(moved, nullptr);
  EXPECT_EQ(GlobalSize(moved), size_t(1) << 20);

  EXPECT_EQ(GlobalFree(moveable), nullptr);
  EXPECT_EQ(GlobalFree(moved), nullptr);
  // Freed or foreign handles are refused, not touched.
  int local = 0;
  EXPECT_EQ(GlobalSize(moveable), 0u);
  EXPECT_EQ(GlobalLock(&local), nullptr);
  EXPECT_EQ(GlobalFree(&local), static_cast<HGLOBAL>(&local));
  EXPECT_EQ(GlobalReAlloc(&local, 4, GMEM_MOVEABLE), nullptr);
}

TEST(MemoryStream, ReadWriteSeekAndSize) {
  IStream* s = SHCreateMemStream(reinterpret_cast<const BYTE*>("hello"), 5);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(ReadAll(s), "hello");

  char buf[4];
  ULONG got = 99;
  EXPECT_EQ(s->Read(buf, 4, &got), S_FALSE);  // at the end
  EXPECT_EQ(got, 0u);

  ULARGE_INTEGER pos;
  struct SeekCase {
    LONGLONG move;
    DWORD origin;
    HRESULT hr;
    ULONGLONG pos;
  } seeks[] = {
      {1, STREAM_SEEK_SET, S_OK, 1},  {2, STREAM_SEEK_CUR, S_OK, 3},         {-1, STREAM_SEEK_END, S_OK, 4},
      {-5, STREAM_SEEK_CUR, STG_E_INVALIDFUNCTION, 4},                        {0, 7, STG_E_INVALIDFUNCTION, 4},
      {10, STREAM_SEEK_SET, S_OK, 10},  // past the end is allowed
  };
  for (const SeekCase& c : seeks) {
    EXPECT_EQ(s->Seek(Li(c.move), c.origin, &pos), c.hr) << c.move << " " << c.origin;
    s->Seek(Li(0), STREAM_SEEK_CUR, &pos);
    EXPECT_EQ(pos.QuadPart, c.pos);
  }

  // Writing past the end fills the gap with zeros.
  ULONG written = 0;
  ASSERT_EQ(s->Write("!", 1, &written), S_OK);
  EXPECT_EQ(written, 1u);
  STATSTG st;
  ASSERT_EQ(s->Stat(&st, STATFLAG_NONAME), S_OK);
  EXPECT_EQ(st.cbSize.QuadPart, 11u);
  EXPECT_EQ(st.type, static_cast<DWORD>(STGTY_STREAM));
  s->Seek(Li(0), STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(ReadAll(s), std::string("hello\0\0\0\0\0!", 11));

  ASSERT_EQ(s->SetSize(Uli(2)), S_OK);
  s->Seek(Li(0), STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(ReadAll(s), "he");
  EXPECT_EQ(s->SetSize(Uli(1ull << 40)), STG_E_MEDIUMFULL);

  // A clone shares the bytes and keeps its own position.
  IStream* c = nullptr;
  s->Seek(Li(1), STREAM_SEEK_SET, nullptr);
  ASSERT_EQ(s->Clone(&c), S_OK);
  EXPECT_EQ(ReadAll(c), "e");
  s->Write("X", 1, nullptr);
  c->Seek(Li(0), STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(ReadAll(c), "hX");

  void* unk = nullptr;
  EXPECT_EQ(s->QueryInterface(IID_IStream, &unk), S_OK);
  EXPECT_EQ(unk, static_cast<void*>(s));
  EXPECT_EQ(s->Release(), 1u);
  EXPECT_EQ(s->Release(), 0u);
  c->Seek(Li(0), STREAM_SEEK_SET, nullptr);
  EXPECT_EQ(ReadAll(c), "hX");  // the clone keeps the bytes alive
  c->Release();
}

TEST(MemoryStream, StreamOnHGlobalOwnsTheBlockOnlyWhenAsked) {
  // The program's pattern: encode into a stream on a new, empty moveable block that outlives the
  // stream.
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 0);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr);  // nothing to lock yet
  IStream* s = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(block, FALSE, &s), S_OK);
  std::vector<BYTE> data(70000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = BYTE(i * 7);
  for (size_t done = 0; done < data.size(); done += 1000)
    ASSERT_EQ(s->Write(data.data() + done, 1000, nullptr), S_OK);
  HGLOBAL h = nullptr;
  ASSERT_EQ(GetHGlobalFromStream(s, &h), S_OK);
  EXPECT_EQ(h, block);
  s->Release();
  ASSERT_EQ(GlobalSize(h), data.size());
  EXPECT_EQ(std::memcmp(GlobalLock(h), data.data(), data.size()), 0);
  GlobalUnlock(h);

  // Over an existing block the stream starts with the block's bytes; with deleteOnRelease the
  // last stream frees it.
  IStream* over = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(h, TRUE, &over), S_OK);
  STATSTG st;
  over->Stat(&st, STATFLAG_NONAME);
  EXPECT_EQ(st.cbSize.QuadPart, data.size());
  over->Release();
  EXPECT_EQ(GlobalSize(h), 0u);

  int local = 0;
  EXPECT_EQ(CreateStreamOnHGlobal(&local, FALSE, &s), E_INVALIDARG);
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, FALSE, nullptr), E_INVALIDARG);
}
