// The program's compiled-in command icons: every command of the icon table has a 16- and a
// 32-pixel drawing that renders to a picture with something drawn, its one-colour parts in the
// colour asked for; every button the ribbon, its backstage view and the status bar show has an
// icon in the table.
#include <gtest/gtest.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <wx/image.h>

#include <QorpRibbon.h>

#include "CommandIcons.h"
#include "GuiTestHarness.h"
#include "RibbonLayout.h"
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
  // Every command the ribbon shows as a button (in a group, on the quick access bar or the
  // tab row, in the backstage view) and the status bar's page buttons.
  std::vector<UINT> shown = RibbonQuickAccess();
  for (const RibbonTabSpec& tab : RibbonTabs())
    for (const RibbonGroupSpec& group : tab.groups)
      for (const RibbonItem& item : group.items)
        switch (item.kind) {
          case RibbonKind::Button:
          case RibbonKind::SplitButton:
          case RibbonKind::DropDown:
          case RibbonKind::MenuButton:
          case RibbonKind::ColorDropDown:
            shown.push_back(item.id);
            break;
          default:
            break;
        }
  for (UINT id : BackstageCommandsBeforeTabs()) shown.push_back(id);
  for (UINT id : BackstageCommandsAfterTabs()) shown.push_back(id);
  for (UINT id : std::initializer_list<UINT>{ID_APP_ABOUT, ID_GOTO_FIRST_PAGE, ID_GOTO_PREVIOUS_PAGE, ID_GOTO_NEXT_PAGE,
                  ID_GOTO_LAST_PAGE})
    shown.push_back(id);
  for (UINT id : shown) EXPECT_TRUE(ids.count(id)) << id << " has an icon";
}

}  // namespace
