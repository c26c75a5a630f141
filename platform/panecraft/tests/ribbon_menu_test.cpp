// What of the ribbon needs no window: menu tables into pop-up bars, the plain menu that stands
// for a pop-up bar, captions without mnemonics, controls by kind, and the rule that a drop-down
// with a list can always be opened.
#include <gtest/gtest.h>

#include <QorpRibbon.h>

#include <memory>
#include <vector>

namespace {

struct MenuItem {
  UINT nID;
  CString strText;
  UINT nFlags;  // MF_GRAYED / MF_CHECKED bits
};

std::vector<MenuItem> ItemsOf(const CMenu& menu) {
  std::vector<MenuItem> out;
  for (UINT i = 0; i < menu.GetMenuItemCount(); ++i) {
    MenuItem item;
    item.nID = menu.GetMenuItemID(static_cast<int>(i));
    menu.GetMenuString(i, item.strText, MF_BYPOSITION);
    item.nFlags = menu.GetMenuState(i, MF_BYPOSITION) & (MF_GRAYED | MF_CHECKED | MF_SEPARATOR);
    out.push_back(item);
  }
  return out;
}

TEST(RibbonMenus, ZoomTableFillsAPopupBarInOrderWithoutSeparators) {
  const QORP_MENU_ENTRY zoomIn[] = {{32856, L"125%"}, {32857, L"150%"}, {0, nullptr}, {32866, L"800%"}};
  CMenu menu;
  ASSERT_TRUE(QORPMenuFromTable(menu, zoomIn, 4));
  EXPECT_EQ(menu.GetMenuItemCount(), 4u);
  EXPECT_FALSE(QORPMenuFromTable(menu, nullptr, 1));

  CQORPCommandBars bars;
  bars.SetStringLoader([](UINT nId, CString& s) {
    if (nId != 32857) return false;
    s = L"Zoom to one and a half\nZoom 150";
    return true;
  });
  CQORPCommandBar* pBar = bars.AddBar();
  auto* pSplit = pBar->Add(QORPCreateControl(QORP_CONTROL_SPLIT_BUTTON_POPUP, 32873));
  EXPECT_EQ(QORPLoadPopupFromMenu(pSplit->GetCommandBar(), menu), 3);
  CQORPCommandBar* pList = pSplit->GetCommandBar();
  ASSERT_EQ(pList->GetCount(), 3);
  const int ids[] = {32856, 32857, 32866};
  const wchar_t* captions[] = {L"125%", L"150%", L"800%"};  // the menu's text wins
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(pList->GetAt(i)->GetID(), ids[i]);
    EXPECT_EQ(pList->GetAt(i)->GetCaption(), captions[i]);
  }
  EXPECT_EQ(pList->GetAt(1)->GetDescription(), L"Zoom to one and a half") << "the string table still describes it";
  EXPECT_EQ(bars.FindControl(QORP_CONTROL_BUTTON, 32866), pList->GetAt(2)) << "the items are registered";
  EXPECT_EQ(QORPLoadPopupFromMenu(nullptr, menu), 0);
}

TEST(RibbonMenus, PlainMenuOfAPopupBarKeepsButtonLikeControlsWithTheirState) {
  CQORPCommandBars bars;
  CQORPCommandBar* pBar = bars.AddBar();
  CQORPControl* pOwner = pBar->Add(QORPCreateControl(QORP_CONTROL_POPUP, 32777));
  CQORPCommandBar* pList = pOwner->GetCommandBar();
  struct Row {
    QORPControlType nType;
    int nId;
    const wchar_t* pszCaption;
    BOOL bEnabled;
    int nChecked;
    BOOL bVisible;
  } rows[] = {
      {QORP_CONTROL_BUTTON, 9948, L"&Automatic", TRUE, -1, TRUE},
      {QORP_CONTROL_LABEL, 0, L"Theme Colors", TRUE, -1, TRUE},      // a label: left out
      {QORP_CONTROL_EDIT, 153, L"Line", TRUE, -1, TRUE},             // an edit: left out
      {QORP_CONTROL_BUTTON, 32908, L"More Filled Colors", FALSE, 0, TRUE},
      {QORP_CONTROL_CHECK_BOX, 32778, L"Fill Needed", TRUE, 1, TRUE},
      {QORP_CONTROL_BUTTON, 32780, L"", TRUE, -1, TRUE},              // no caption: "#id"
      {QORP_CONTROL_BUTTON, 32781, L"Hidden", TRUE, -1, FALSE},       // hidden: left out
      {QORP_CONTROL_BUTTON, 0, L"No command", TRUE, -1, TRUE},        // id 0: left out
      {QORP_CONTROL_SPLIT_BUTTON_POPUP, 32802, L"Move Forward", TRUE, -1, TRUE},
  };
  for (const Row& r : rows) {
    CQORPControl* p = pList->Add(QORPCreateControl(r.nType, r.nId));
    p->SetCaption(r.pszCaption);
    p->SetEnabled(r.bEnabled);
    p->SetChecked(r.nChecked);
    p->SetVisible(r.bVisible);
  }
  // A second control of 32802 elsewhere checked the shared action: the split shows it checked.
  pBar->Add(QORPCreateControl(QORP_CONTROL_BUTTON, 32802))->SetChecked(1);

  CMenu menu;
  ASSERT_EQ(QORPMenuFromPopupBar(pList, menu), 5);
  const std::vector<MenuItem> want = {
      {9948, L"Automatic", 0},
      {32908, L"More Filled Colors", MF_GRAYED},
      {32778, L"Fill Needed", MF_CHECKED},
      {32780, L"#32780", 0},
      {32802, L"Move Forward", MF_CHECKED},
  };
  const std::vector<MenuItem> got = ItemsOf(menu);
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(got[i].nID, want[i].nID);
    EXPECT_EQ(got[i].strText, want[i].strText);
    EXPECT_EQ(got[i].nFlags, want[i].nFlags);
  }
  CMenu empty;
  EXPECT_EQ(QORPMenuFromPopupBar(nullptr, empty), 0);
}

TEST(RibbonMenus, MnemonicsAreStrippedAndDoubledAmpersandsKept) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"&Home", L"Home"}, {L"F&ont", L"Font"}, {L"Op&tions", L"Options"}, {L"Save && Close", L"Save & Close"},
      {L"", L""},          {L"end&", L"end"},   {L"&&&x", L"&x"},
  };
  for (const auto& c : cases) EXPECT_EQ(QORPStripMnemonic(c.in), c.out) << static_cast<const void*>(c.in);
}

TEST(RibbonMenus, ControlsByKind) {
  const struct {
    QORPControlType nType;
    CRuntimeClass* pClass;
  } cases[] = {
      {QORP_CONTROL_BUTTON, RUNTIME_CLASS(CQORPControlButton)},
      {QORP_CONTROL_POPUP, RUNTIME_CLASS(CQORPControlButton)},
      {QORP_CONTROL_BUTTON_POPUP, RUNTIME_CLASS(CQORPControlButton)},
      {QORP_CONTROL_SPLIT_BUTTON_POPUP, RUNTIME_CLASS(CQORPControlButton)},
      {QORP_CONTROL_CHECK_BOX, RUNTIME_CLASS(CQORPControlCheckBox)},
      {QORP_CONTROL_LABEL, RUNTIME_CLASS(CQORPControlLabel)},
      {QORP_CONTROL_EDIT, RUNTIME_CLASS(CQORPControlEdit)},
      {QORP_CONTROL_COMBO_BOX, RUNTIME_CLASS(CQORPControlComboBox)},
      {QORP_CONTROL_SCROLL_BAR, RUNTIME_CLASS(CQORPControlScrollBar)},
  };
  for (const auto& c : cases) {
    std::unique_ptr<CQORPControl> p = QORPCreateControl(c.nType, 42);
    ASSERT_NE(p, nullptr) << c.nType;
    EXPECT_EQ(p->GetType(), c.nType);
    EXPECT_EQ(p->GetID(), 42);
    EXPECT_TRUE(p->IsKindOf(c.pClass)) << c.nType;
  }
  EXPECT_EQ(QORPCreateControl(QORP_CONTROL_ERROR, 1), nullptr);
  EXPECT_EQ(QORPCreateControl(QORP_CONTROL_GALLERY, 1), nullptr) << "galleries are made by their own code";
}

// A drop-down with a list opens even when nothing handles its own id (the zoom and
// reverse-order lists); an empty one, or a plain button, is disabled without a handler.
class CEmptyFrame : public CFrameWnd {};

TEST(RibbonMenus, DropDownsWithAListStayEnabledWithoutAHandler) {
  CQORPCommandBars bars;
  CQORPCommandBar* pBar = bars.AddBar();
  const struct {
    QORPControlType nType;
    bool bWithList;
    BOOL bEnabled;
  } cases[] = {
      {QORP_CONTROL_POPUP, true, TRUE},           {QORP_CONTROL_BUTTON_POPUP, true, TRUE},
      {QORP_CONTROL_SPLIT_BUTTON_POPUP, true, TRUE}, {QORP_CONTROL_POPUP, false, FALSE},
      {QORP_CONTROL_BUTTON, false, FALSE},
  };
  std::vector<CQORPControl*> controls;
  int nId = 32823;
  for (const auto& c : cases) {
    CQORPControl* p = pBar->Add(QORPCreateControl(c.nType, nId++));
    if (c.bWithList) p->GetCommandBar()->Add(QORPCreateControl(QORP_CONTROL_BUTTON, 32824));
    controls.push_back(p);
  }
  CEmptyFrame frame;
  bars.UpdateCommandUI(&frame);
  for (size_t i = 0; i < controls.size(); ++i) EXPECT_EQ(controls[i]->GetEnabled(), cases[i].bEnabled) << i;
}

}  // namespace
