// Paths in fixed fields: kept whole when they fit, as a reference made from them otherwise.
#include <gtest/gtest.h>

#include <lwstr.h>
#include <quirebook/StoredPath.h>

using Quirebook::FitStoredPath;
using Quirebook::kStoredPathUnits;
using Quirebook::StoredPathMatches;
using Quirebook::StoredPathMatchesFolded;

namespace {

const std::wstring kClef = L"\U0001D11E";  // two UTF-16 units

std::wstring Repeat(const std::wstring& s, int n) {
  std::wstring out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

}  // namespace

// Up to 259 units a path is its own field; from 260 on it becomes a reference that fits, ends
// with the path's last units and never begins inside a surrogate pair.
TEST(StoredPath, LongPathsBecomeReferencesThatFit) {
  const struct {
    std::wstring path;
    bool whole;
  } cases[] = {
      {L"", true},
      {L"/" + std::wstring(258, L'a'), true},
      {L"/" + std::wstring(259, L'a'), false},
      {L"/" + std::wstring(128, L'a') + Repeat(kClef, 65), true},   // 259 units
      {L"/" + std::wstring(129, L'a') + Repeat(kClef, 65), false},  // 260 units
      {L"/" + Repeat(kClef, 300), false},                           // the cut falls inside a pair
      {L"/" + Repeat(kClef, 300) + L"x", false},
      {L"/" + std::wstring(5000, L'd') + L"/picture.png", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.size());
    const std::u16string units = lw::WideToUtf16(c.path);
    const std::u16string stored = FitStoredPath(c.path);
    ASSERT_LT(stored.size(), kStoredPathUnits);
    const std::wstring field = lw::Utf16ToWide(stored);
    EXPECT_TRUE(StoredPathMatches(field, c.path));
    EXPECT_TRUE(StoredPathMatchesFolded(field, c.path));
    if (c.whole) {
      EXPECT_EQ(stored, units);
      continue;
    }
    EXPECT_GE(stored.size(), kStoredPathUnits - 2);
    EXPECT_EQ(stored[0], u'*');
    EXPECT_EQ(stored[33], u'*');
    EXPECT_FALSE(stored[34] >= 0xDC00 && stored[34] <= 0xDFFF);
    EXPECT_EQ(units.compare(units.size() - (stored.size() - 34), std::u16string::npos, stored, 34), 0);
    // A reference is stable: the same path gives the same units every time.
    EXPECT_EQ(FitStoredPath(c.path), stored);
  }
}

// A reference stands for its own path only; up to case, for any path of the same fold.
TEST(StoredPath, ReferencesMatchTheirPathAndItsFold) {
  const std::wstring deep = L"/home/u/" + Repeat(L"Folder/", 40) + L"Clip.avi";
  const std::wstring field = lw::Utf16ToWide(FitStoredPath(deep));
  std::wstring upper = deep;
  for (wchar_t& c : upper) c = towupper(c);
  std::wstring otherTail = deep;
  otherTail.back() = L'x';
  std::wstring otherHead = deep;
  otherHead[1] = L'x';  // outside the units the reference keeps
  const struct {
    std::wstring path;
    bool exact, folded;
  } cases[] = {
      {deep, true, true},
      {upper, false, true},
      {otherTail, false, false},
      {otherHead, false, false},
      {L"/short/Clip.avi", false, false},
      {field, true, true},  // the reference's own text, as a path that fits
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(lw::WideToUtf8(c.path));
    EXPECT_EQ(StoredPathMatches(field, c.path), c.exact);
    EXPECT_EQ(StoredPathMatchesFolded(field, c.path), c.folded);
  }
}
