// The shared font list: the filter over what the system reports, and the list of this machine.
#include <gtest/gtest.h>

#include <QorpFontList.h>
#include <lwstr.h>

#include <string>
#include <vector>

namespace {

struct Expected {
  const wchar_t* pszFace;
  DWORD dwType;
  BYTE nCharSet, nPitch;
};

TEST(PanecraftFontList, FilterDropsMergesAndSorts) {
  const std::vector<QORPRawFontFamily> raw = {
      {"Liberation Sans", true, false, false},
      {"@WenQuanYi Zen Hei", true, false, false},  // vertical face
      {".Hidden UI", true, false, false},
      {"", true, false, false},
      {"   ", true, false, false},
      {"Bad\nName", true, false, false},
      {"  DejaVu Sans Mono ", true, true, false},   // trimmed; monospaced
      {"Fixed", false, true, false},                  // bitmap only
      {"fixed", false, true, false},                  // the same family, other case
      {"Terminus", false, true, false},
      {"Terminus", true, true, false},                // one scalable member makes it scalable
      {"Liberation Sans", true, false, false},        // another style of a family listed before
      {"OpenSymbol", true, false, true},
      {"\xC3\x89" "crit", true, false, false},          // non-ASCII sorts after ASCII letters
      {"arial", true, false, false},
      {"Arial", true, false, false},                   // case twins: one entry, the upper-case spelling
  };
  const std::vector<Expected> want = {
      {L"Arial", QORP_FONTTYPE_SCALABLE, 1, 0},
      {L"DejaVu Sans Mono", QORP_FONTTYPE_SCALABLE, 1, 1},
      {L"Fixed", QORP_FONTTYPE_BITMAP, 1, 1},
      {L"Liberation Sans", QORP_FONTTYPE_SCALABLE, 1, 0},
      {L"OpenSymbol", QORP_FONTTYPE_SCALABLE, 2, 0},
      {L"Terminus", QORP_FONTTYPE_SCALABLE, 1, 1},
      {L"\u00c9crit", QORP_FONTTYPE_SCALABLE, 1, 0},
  };
  const std::vector<CQORPFontEntry> got = QORPFilterFontFamilies(raw);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(lw::WideToUtf8(want[i].pszFace));
    EXPECT_EQ(got[i].m_strFaceName, want[i].pszFace);
    EXPECT_EQ(got[i].m_dwFontType, want[i].dwType);
    EXPECT_EQ(got[i].m_nCharSet, want[i].nCharSet);
    EXPECT_EQ(got[i].m_nPitchAndFamily, want[i].nPitch);
  }
  EXPECT_TRUE(QORPFilterFontFamilies({}).empty());
}

TEST(PanecraftFontList, SharedListOfThisMachine) {
  CQORPFontList* list = CQORPFontList::GetShared();
  ASSERT_EQ(list, CQORPFontList::GetShared()) << "one list for the process";
  ASSERT_GT(list->GetCount(), 0);
  // The test fonts the build machine installs.
  for (const wchar_t* face : {L"Liberation Sans", L"liberation serif", L"DejaVu Sans"}) {
    const CQORPFontEntry* e = list->Find(face);
    ASSERT_NE(e, nullptr) << lw::WideToUtf8(face);
    EXPECT_EQ(e->m_dwFontType, QORP_FONTTYPE_SCALABLE);
  }
  EXPECT_EQ(list->Find(L"No Such Family 42"), nullptr);
  EXPECT_EQ(list->GetAt(-1), nullptr);
  EXPECT_EQ(list->GetAt(list->GetCount()), nullptr);
  for (int i = 0; i < list->GetCount(); ++i) {
    const CString& name = list->GetAt(i)->m_strFaceName;
    ASSERT_FALSE(name.IsEmpty());
    EXPECT_NE(name.GetString()[0], L'@');
    if (i > 0) {
      EXPECT_LT(list->GetAt(i - 1)->m_strFaceName.CompareNoCase(name), 0) << lw::WideToUtf8(name.GetString());
    }
  }
  // Entries handed out stay valid across a refresh.
  const CQORPFontEntry* kept = list->GetAt(0);
  const CString keptName = kept->m_strFaceName;
  list->Refresh();
  EXPECT_EQ(kept->m_strFaceName, keptName);
  EXPECT_NE(list->Find(keptName), nullptr);
}

}  // namespace

// A face's name is written in that face only when the face has the name's characters: a Latin
// face asked for a CJK name hands it to a face of the system that has them.
#include <QorpGallery.h>

namespace {

TEST(PanecraftFontList, NamesShowInAFaceThatHasTheirCharacters) {
  EXPECT_EQ(CQORPGalleryDC::FaceShowing(L"DejaVu Sans", L"DejaVu Sans"), L"DejaVu Sans");
  EXPECT_EQ(CQORPGalleryDC::FaceShowing(L"WenQuanYi Zen Hei", L"文泉驿正黑"), L"WenQuanYi Zen Hei");
  const CString other = CQORPGalleryDC::FaceShowing(L"DejaVu Sans", L"文泉驿正黑");
  EXPECT_NE(other, L"DejaVu Sans");
  EXPECT_TRUE(other.Find(L"WenQuanYi") == 0) << lw::WideToUtf8(other.GetString());
  // Asked again, the same answer (kept).
  EXPECT_EQ(CQORPGalleryDC::FaceShowing(L"DejaVu Sans", L"文泉驿正黑"), other);
  EXPECT_EQ(CQORPGalleryDC::FaceShowing(nullptr, L"x"), L"");
}

}  // namespace
