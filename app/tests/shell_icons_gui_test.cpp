// The program's compiled-in command icons: every command of the icon table has a 16- and a
// 32-pixel drawing that renders to a picture with something drawn, its one-colour parts in the
// colour asked for; every button the ribbon shows has an icon in the table.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <wx/image.h>

#include <QorpRibbon.h>

#include "CommandIcons.h"
#include "GuiTestHarness.h"
#include "ShellIds.h"

namespace {

TEST(CommandIcons, EveryCommandRendersAt16And32Pixels) {
  size_t n = 0;
  const LwCommandIcon* icons = LwGetCommandIcons(&n);
  ASSERT_GT(n, 0u);
  std::set<UINT> ids;
  const COLORREF tint = RGB(0xFF, 0x00, 0xFF);  // a colour no Breeze drawing uses
  for (size_t i = 0; i < n; ++i) {
    const LwCommandIcon& icon = icons[i];
    EXPECT_TRUE(ids.insert(icon.nId).second) << icon.pszIdName << " listed twice";
    for (int size : {16, 32}) {
      const char* svg = size == 16 ? icon.pszSvg16 : icon.pszSvg32;
      ASSERT_TRUE(svg && std::string(svg).find("<svg") != std::string::npos) << icon.pszIdName << " " << size;
      std::vector<BYTE> bgra;
      ASSERT_TRUE(QORPRenderSvgIcon(svg, size, tint, bgra)) << icon.pszIcon << " " << size;
      int opaque = 0, tinted = 0;
      for (size_t p = 0; p + 3 < bgra.size(); p += 4) {
        if (bgra[p + 3] < 128) continue;
        ++opaque;
        if (bgra[p] > 200 && bgra[p + 1] < 60 && bgra[p + 2] > 200) ++tinted;
      }
      // Drawn, neither empty nor a filled square; one-colour icons take the colour asked for.
      EXPECT_GE(opaque, size / 2) << icon.pszIcon << " " << size;
      EXPECT_LT(opaque, size * size * 9 / 10) << icon.pszIcon << " " << size;
      EXPECT_GT(tinted, opaque / 2) << icon.pszIcon << " " << size << " keeps its one colour";
    }
  }
  // The commands the ribbon shows as buttons.
  for (UINT id : std::initializer_list<UINT>{ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE, ID_FILE_SAVE_AS, ID_FILE_RECENT_LIST, ID_GOTO_FIRST_PAGE,
                  ID_GOTO_PREVIOUS_PAGE, ID_GOTO_NEXT_PAGE, ID_GOTO_LAST_PAGE})
    EXPECT_TRUE(ids.count(id)) << id << " has an icon";
}

}  // namespace
