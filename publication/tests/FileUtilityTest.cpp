#include <gtest/gtest.h>

#include <filesystem>

#include <afxwin.h>
#include <quirebook/FileUtility.h>

#include "TestSupport.h"

TEST(FileUtility, DepictsFileLength) {
  const struct {
    unsigned n;
    const wchar_t* text;
  } cases[] = {{0, L"0 Bytes"}, {1024, L"1024 Bytes"}, {1025, L"1.00 K"}, {1048576, L"1024.00 K"},
               {1048577, L"1.00 M"}, {0xFFFFFFFFu, L"4096.00 M"}};
  for (const auto& c : cases) EXPECT_STREQ(CFileUtility::DepictsFileLength(c.n).GetString(), c.text) << c.n;
}

TEST(FileUtility, CalcuMaskShift) {
  const struct {
    uint32_t mask;
    int shift, bits;
  } cases[] = {{0xF800, 11, 5}, {0x07E0, 5, 6}, {0x001F, 0, 5}, {0xFF000000u, 24, 8}, {0, 0, 0}, {0x5, 0, 1}};
  for (const auto& c : cases) {
    int shift = -1, bits = -1;
    CVarConvUtility::CalcuMaskShift(c.mask, shift, bits);
    EXPECT_EQ(shift, c.shift) << c.mask;
    EXPECT_EQ(bits, c.bits) << c.mask;
  }
  EXPECT_EQ(CVarConvUtility::Swap(uint16_t{0x1234}), 0x3412);
  EXPECT_EQ(CVarConvUtility::Swap(uint32_t{0x12345678u}), 0x78563412u);
}

TEST(FileUtility, FilesAndTempNames) {
  lwtest::TempDir dir;
  const CString folder(lw::Utf8ToWide(dir.path().string()).c_str());
  CString first = CFileUtility::GenerateNonentityTempFileName(folder, CString(L"ext"));
  EXPECT_EQ(std::filesystem::path(lw::WideToUtf8(first.GetString())).filename(), "temp0.ext");
  lwtest::WriteFileBytes(dir.path() / "temp0.ext", std::vector<uint8_t>(1500, 1));
  CString second = CFileUtility::GenerateNonentityTempFileName(folder, CString(L"ext"));
  EXPECT_EQ(std::filesystem::path(lw::WideToUtf8(second.GetString())).filename(), "temp1.ext");

  EXPECT_EQ(CFileUtility::GetFileLength(first), 1500u);
  EXPECT_EQ(CFileUtility::GetFileLength(second), 0u);
  EXPECT_EQ(CFileUtility::GetFileLength(nullptr), 0u);

  // The temp name is reserved by a file of its own and nothing else is left behind.
  for (const wchar_t* ext : {L"lfw", L".lfw", L""}) {
    CString a = CFileUtility::GenerateTempFilePathName(CString(ext));
    CString b = CFileUtility::GenerateTempFilePathName(CString(ext));
    ASSERT_FALSE(a.IsEmpty());
    EXPECT_NE(a, b);
    const std::filesystem::path pa(lw::WideToUtf8(a.GetString()));
    EXPECT_TRUE(std::filesystem::exists(pa));
    if (*ext) {
      EXPECT_EQ(pa.extension(), ".lfw");
    }
    std::filesystem::remove(pa);
    std::filesystem::remove(lw::WideToUtf8(b.GetString()));
  }
  EXPECT_FALSE(CFileUtility::GetAppPathName().IsEmpty());
}

TEST(FileUtility, HotKeysAndRegions) {
  CHotKeys k;
  EXPECT_FALSE(k.IsValidHotKey());
  k.m_bAlt = 1;
  k.m_bKey = 'S';
  EXPECT_TRUE(k.IsValidHotKey());
  EXPECT_EQ(k.IsSpecifiedHotKey('S'), 1);
  EXPECT_EQ(k.IsSpecifiedHotKey('T'), 0);
  CHotKeys c = k;
  c.m_bCtrl = 1;
  EXPECT_EQ(c.IsSpecifiedHotKey('S'), 0);
  EXPECT_NE(c, k);
  EXPECT_EQ(k.RegisterHotKey(nullptr, 1), 0);
  c.Reset();
  EXPECT_EQ(c, CHotKeys());

  HRGN rgn = CreateRectRgn(10, 10, 20, 20);
  const struct {
    RECT rc;
    int in;
  } cases[] = {{{10, 10, 20, 20}, 1}, {{12, 12, 15, 15}, 1}, {{5, 5, 5, 9}, 1},
               {{9, 10, 20, 20}, 0}, {{10, 10, 21, 20}, 0}, {{100, 100, 101, 101}, 0}};
  for (const auto& c2 : cases) EXPECT_EQ(CRegionUtility::IsRectInRegion(rgn, c2.rc), c2.in) << c2.rc.left;
  DeleteObject(rgn);
}

namespace {

class HeadlessWnd : public CWnd {
 protected:
  BOOL CreatesHeadless() const override { return TRUE; }
};

}  // namespace

// Direct children change, grandchildren and the parent keep their state.
TEST(ControlsUtility, EnablesEveryDirectChild) {
  HeadlessWnd parent;
  ASSERT_TRUE(parent.Create(nullptr, L"parent", WS_VISIBLE, CRect(0, 0, 100, 100), nullptr, 1));
  HeadlessWnd a, b, c, grandchild;
  for (HeadlessWnd* w : {&a, &b, &c}) ASSERT_TRUE(w->Create(nullptr, L"child", WS_CHILD, CRect(0, 0, 10, 10), &parent, 2));
  ASSERT_TRUE(grandchild.Create(nullptr, L"grandchild", WS_CHILD, CRect(0, 0, 5, 5), &b, 3));
  EXPECT_EQ(::GetWindow(parent.m_hWnd, GW_CHILD), a.m_hWnd);
  EXPECT_EQ(::GetWindow(b.m_hWnd, GW_HWNDNEXT), c.m_hWnd);
  EXPECT_EQ(::GetWindow(c.m_hWnd, GW_HWNDNEXT), nullptr);

  CControlsUtility::EnableAllSubControls(parent.m_hWnd, FALSE);
  for (HeadlessWnd* w : {&a, &b, &c}) EXPECT_FALSE(::IsWindowEnabled(w->m_hWnd));
  EXPECT_TRUE(::IsWindowEnabled(grandchild.m_hWnd));
  EXPECT_TRUE(::IsWindowEnabled(parent.m_hWnd));
  CControlsUtility::EnableAllSubControls(parent.m_hWnd, TRUE);
  for (HeadlessWnd* w : {&a, &b, &c}) EXPECT_TRUE(::IsWindowEnabled(w->m_hWnd));
  CControlsUtility::EnableAllSubControls(nullptr, FALSE);  // no window: nothing happens
  grandchild.DestroyWindow();
  for (HeadlessWnd* w : {&a, &b, &c}) w->DestroyWindow();
  parent.DestroyWindow();
}
