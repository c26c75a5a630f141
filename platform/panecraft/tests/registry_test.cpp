// The control registry: finding controls, captions from the string table, FromUI and the update
// pass that the frame's idle update runs over every control kind.
#include <gtest/gtest.h>

#include <QorpControls.h>

#include <map>
#include <memory>

namespace {

enum : int {
  ID_UPDATE_ENABLES = 100,    // update handler enables, checks and retitles
  ID_UPDATE_DISABLES = 101,   // update handler disables; a command handler exists
  ID_COMMAND_ONLY = 102,      // command handler, no update handler
  ID_NOBODY = 103,            // nothing handles it
  ID_NOTIFY_ONLY = 104,       // notification handler only
  ID_TOGGLE = 105,            // toggle on two bars
  ID_POPUP_CHILD = 106,       // inside a pop-up bar
};

class CTestFrame : public CFrameWnd {
 public:
  void OnUpdateEnables(CCmdUI* pCmdUI) {
    CQORPControl* pControl = CQORPControl::FromUI(pCmdUI);
    seenKind = pControl ? pControl->GetType() : -1;
    pCmdUI->Enable(TRUE);
    pCmdUI->SetCheck(1);
    pCmdUI->SetText(L"Retitled");
  }
  void OnUpdateDisables(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
  void OnHandled() {}
  void OnValue(NMHDR*, LRESULT* pResult) { *pResult = 1; }
  int seenKind = -2;
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_UPDATE_COMMAND_UI(ID_UPDATE_ENABLES, &CTestFrame::OnUpdateEnables)
  ON_UPDATE_COMMAND_UI(ID_UPDATE_DISABLES, &CTestFrame::OnUpdateDisables)
  ON_COMMAND(ID_UPDATE_DISABLES, &CTestFrame::OnHandled)
  ON_COMMAND(ID_COMMAND_ONLY, &CTestFrame::OnHandled)
  ON_COMMAND(ID_POPUP_CHILD, &CTestFrame::OnHandled)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_NOTIFY_ONLY, &CTestFrame::OnValue)
END_MESSAGE_MAP()

template <class T, class... A>
T* AddTo(CQORPCommandBar* pBar, A... args) {
  return static_cast<T*>(pBar->Add(std::make_unique<T>(args...)));
}

TEST(PanecraftRegistry, FindControlByKindIdVisibilityAndDepth) {
  CQORPCommandBars bars;
  CQORPCommandBar* pRibbon = bars.AddBar();
  CQORPCommandBar* pHidden = bars.AddBar();
  pHidden->SetVisible(FALSE);
  auto* pButton = AddTo<CQORPControlButton>(pRibbon, ID_TOGGLE);
  auto* pCheck = AddTo<CQORPControlCheckBox>(pRibbon, ID_TOGGLE);
  auto* pHiddenButton = AddTo<CQORPControlButton>(pRibbon, ID_NOBODY);
  pHiddenButton->SetVisible(FALSE);
  auto* pOnHiddenBar = AddTo<CQORPControlButton>(pHidden, ID_COMMAND_ONLY);
  auto* pPopup = AddTo<CQORPControlButton>(pRibbon, 0, QORP_CONTROL_SPLIT_BUTTON_POPUP);
  auto* pChild = AddTo<CQORPControlButton>(pPopup->GetCommandBar(), ID_POPUP_CHILD);
  auto* pHiddenChild = AddTo<CQORPControlCheckBox>(pPopup->GetCommandBar(), ID_POPUP_CHILD);
  pHiddenChild->SetVisible(FALSE);

  struct Case {
    int nType, nId;
    BOOL bVisible, bRecursive;
    CQORPControl* pExpected;
  } cases[] = {
      {QORP_CONTROL_BUTTON, ID_TOGGLE, TRUE, TRUE, pButton},
      {QORP_CONTROL_CHECK_BOX, ID_TOGGLE, TRUE, TRUE, pCheck},
      {QORP_CONTROL_ERROR, ID_TOGGLE, TRUE, TRUE, pButton},  // any kind: the first
      {QORP_CONTROL_EDIT, ID_TOGGLE, TRUE, TRUE, nullptr},
      {QORP_CONTROL_BUTTON, ID_NOBODY, TRUE, TRUE, nullptr},
      {QORP_CONTROL_BUTTON, ID_NOBODY, FALSE, TRUE, pHiddenButton},
      {QORP_CONTROL_BUTTON, ID_COMMAND_ONLY, TRUE, TRUE, nullptr},
      {QORP_CONTROL_BUTTON, ID_COMMAND_ONLY, FALSE, TRUE, pOnHiddenBar},
      {QORP_CONTROL_BUTTON, ID_POPUP_CHILD, TRUE, TRUE, pChild},
      {QORP_CONTROL_BUTTON, ID_POPUP_CHILD, TRUE, FALSE, nullptr},
      {QORP_CONTROL_CHECK_BOX, ID_POPUP_CHILD, TRUE, TRUE, nullptr},
      {QORP_CONTROL_CHECK_BOX, ID_POPUP_CHILD, FALSE, TRUE, pHiddenChild},
      {QORP_CONTROL_BUTTON, 999, FALSE, TRUE, nullptr},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CQORPCommandBars::FindControl(&bars, c.nType, c.nId, c.bVisible, c.bRecursive), c.pExpected)
        << "type " << c.nType << " id " << c.nId << " visible " << c.bVisible << " recursive " << c.bRecursive;
  EXPECT_EQ(CQORPCommandBars::FindControl(nullptr, QORP_CONTROL_BUTTON, ID_TOGGLE), nullptr);
  EXPECT_EQ(pChild->GetParent()->GetOwner(), pPopup);
  EXPECT_EQ(static_cast<const CQORPControl*>(pButton)->GetCommandBar(), nullptr);
  EXPECT_EQ(pButton->GetCommandBar(), nullptr);  // a plain button has no pop-up bar
}

TEST(PanecraftRegistry, CaptionsFromTheStringTable) {
  const std::map<UINT, CString> table = {
      {ID_COMMAND_ONLY, L"Makes the selection bold\nBold"},
      {ID_NOTIFY_ONLY, L"Width of the outline\nOutline Width\nWidth:"},
  };
  CQORPCommandBars bars;
  bars.SetStringLoader([&](UINT nId, CString& strEntry) {
    auto it = table.find(nId);
    if (it == table.end()) return false;
    strEntry = it->second;
    return true;
  });
  CQORPCommandBar* pBar = bars.AddBar();
  auto* pButton = AddTo<CQORPControlButton>(pBar, ID_COMMAND_ONLY);
  auto* pPopup = AddTo<CQORPControlButton>(pBar, 0, QORP_CONTROL_POPUP);
  auto* pEdit = AddTo<CQORPControlEdit>(pPopup->GetCommandBar(), ID_NOTIFY_ONLY);
  auto* pUnknown = AddTo<CQORPControlButton>(pBar, ID_NOBODY);
  EXPECT_EQ(pButton->GetCaption(), L"Bold");
  EXPECT_EQ(pButton->GetTooltip(), L"Bold");
  EXPECT_EQ(pButton->GetDescription(), L"Makes the selection bold");
  EXPECT_EQ(pEdit->GetCaption(), L"Outline Width");
  EXPECT_EQ(pEdit->GetLabel(), L"Width:");
  EXPECT_TRUE(pUnknown->GetCaption().IsEmpty());
  EXPECT_TRUE(pPopup->GetCaption().IsEmpty());  // id 0 carries no command

  // A control made before its bar joined keeps its own caption until the strings are refreshed.
  CQORPCommandBar loose;
  auto* pLoose = AddTo<CQORPControlButton>(&loose, ID_COMMAND_ONLY);
  EXPECT_TRUE(pLoose->GetCaption().IsEmpty());
  pButton->SetCaption(L"Changed");
  bars.RefreshCommandStrings();
  EXPECT_EQ(pButton->GetCaption(), L"Bold");
}

TEST(PanecraftRegistry, UpdatePassReachesEveryKindThroughTheFrame) {
  CTestFrame frame;
  CQORPCommandBars bars;
  bars.AttachToFrame(&frame);
  CQORPCommandBar* pBar = bars.AddBar();
  struct Case {
    CQORPControl* pControl;
    BOOL bEnabled;
    int nChecked;
    const wchar_t* pszCaption;
  };
  auto* pPopup = AddTo<CQORPControlButton>(pBar, 0, QORP_CONTROL_BUTTON_POPUP);
  pPopup->SetEnabled(TRUE);
  std::vector<Case> cases = {
      {AddTo<CQORPControlButton>(pBar, ID_UPDATE_ENABLES), TRUE, 1, L"Retitled"},
      {AddTo<CQORPControlCheckBox>(pBar, ID_UPDATE_ENABLES), TRUE, 1, L"Retitled"},
      {AddTo<CQORPControlComboBox>(pBar, ID_UPDATE_ENABLES), TRUE, 1, L"Retitled"},
      {AddTo<CQORPControlButton>(pBar, ID_UPDATE_DISABLES), FALSE, -1, L""},
      {AddTo<CQORPControlButton>(pBar, ID_COMMAND_ONLY), TRUE, -1, L""},
      {AddTo<CQORPControlButton>(pBar, ID_NOBODY), FALSE, -1, L""},
      {AddTo<CQORPControlEdit>(pBar, ID_NOBODY), FALSE, -1, L""},
      {AddTo<CQORPControlEdit>(pBar, ID_NOTIFY_ONLY), TRUE, -1, L""},
      {AddTo<CQORPControlComboBox>(pBar, ID_NOTIFY_ONLY), TRUE, -1, L""},
      {AddTo<CQORPControlScrollBar>(pBar, ID_NOTIFY_ONLY), TRUE, -1, L""},
      {AddTo<CQORPControlButton>(pBar, ID_NOTIFY_ONLY), FALSE, -1, L""},  // a button needs a command
      {AddTo<CQORPControlButton>(pPopup->GetCommandBar(), ID_POPUP_CHILD), TRUE, -1, L""},
      {pPopup, TRUE, -1, L""},  // id 0: left alone
  };
  for (const Case& c : cases) c.pControl->SetEnabled(!c.bEnabled);
  pPopup->SetEnabled(TRUE);

  frame.OnUpdateCmdUIAll();
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "id " << c.pControl->GetID() << " kind " << c.pControl->GetType());
    EXPECT_EQ(c.pControl->GetEnabled(), c.bEnabled);
    EXPECT_EQ(c.pControl->GetChecked(), c.nChecked);
    EXPECT_EQ(c.pControl->GetCaption(), c.pszCaption);
  }
  EXPECT_EQ(frame.seenKind, QORP_CONTROL_COMBO_BOX);  // FromUI gave the control of each pass

  // Detached, the idle pass no longer reaches the controls.
  bars.DetachFromFrame();
  cases[0].pControl->SetEnabled(FALSE);
  frame.OnUpdateCmdUIAll();
  EXPECT_FALSE(cases[0].pControl->GetEnabled());
}

TEST(PanecraftRegistry, FromUIOnlyForToolkitCmdUI) {
  CCmdUI plain;
  EXPECT_EQ(CQORPControl::FromUI(&plain), nullptr);
  EXPECT_EQ(CQORPControl::FromUI(nullptr), nullptr);
  CQORPControlCheckBox check(ID_TOGGLE);
  CQORPCmdUI ui(&check);
  EXPECT_EQ(CQORPControl::FromUI(&ui), &check);
  EXPECT_EQ(ui.m_nID, static_cast<UINT>(ID_TOGGLE));
}

TEST(PanecraftRegistry, ControlsOfOneIdShareTheCheckedState) {
  CQORPCommandBars bars;
  CQORPCommandBar* pBar = bars.AddBar();
  auto* pA = AddTo<CQORPControlButton>(pBar, ID_TOGGLE);
  auto* pB = AddTo<CQORPControlButton>(bars.AddBar(), ID_TOGGLE);
  ASSERT_NE(pA->GetAction(), nullptr);
  EXPECT_EQ(pA->GetAction(), pB->GetAction());
  EXPECT_EQ(pA->GetChecked(), -1);
  EXPECT_EQ(pA->GetAction()->GetChecked(), -1);
  pA->SetChecked(1);
  EXPECT_EQ(pB->GetChecked(), -1);  // the other control is "not set": its action holds the state
  EXPECT_EQ(pB->GetAction()->GetChecked(), 1);
  pA->SetChecked(-1);  // clearing one control's own state keeps the shared one
  EXPECT_EQ(pB->GetAction()->GetChecked(), 1);
}

}  // namespace
