// The index of installed font faces over fontconfig.
#include <gtest/gtest.h>

#include <filesystem>

#include <fontfiles.h>

namespace {

TEST(InstalledFonts, ListsEveryFaceOfACollectionWithItsIndexInAStableOrder) {
  const std::vector<LwInstalledFont> fonts = LwInstalledFonts();
  ASSERT_FALSE(fonts.empty());
  bool sansBold = false;
  std::vector<std::pair<std::wstring, int>> zenhei;
  for (size_t i = 0; i < fonts.size(); ++i) {
    const LwInstalledFont& f = fonts[i];
    EXPECT_FALSE(f.description.empty());
    EXPECT_TRUE(std::filesystem::exists(f.path)) << f.path;
    if (i > 0) {
      const LwInstalledFont& p = fonts[i - 1];
      EXPECT_TRUE(p.path < f.path || (p.path == f.path && p.faceIndex <= f.faceIndex)) << f.path;
    }
    if (f.description == L"Liberation Sans Bold") sansBold = true;
    if (f.path.find("wqy-zenhei.ttc") != std::string::npos) zenhei.emplace_back(f.description, f.faceIndex);
  }
  EXPECT_TRUE(sansBold);
  // The collection's three faces, each with its own index: the mono face is not face 0.
  ASSERT_EQ(zenhei.size(), 3u);
  for (const auto& [name, index] : zenhei) {
    if (name == L"WenQuanYi Zen Hei Mono") EXPECT_EQ(index, 1);
    if (name == L"WenQuanYi Zen Hei") EXPECT_EQ(index, 0);
  }
  const std::vector<LwInstalledFont> again = LwInstalledFonts();
  ASSERT_EQ(again.size(), fonts.size());
  for (size_t i = 0; i < fonts.size(); ++i) EXPECT_EQ(again[i].path, fonts[i].path);
}

}  // namespace
