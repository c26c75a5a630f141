// Dialogs from templates under Xvfb: data exchange both ways, refused values keeping the dialog
// open, notifications from the native controls reaching the dialog's message map, the ways a
// dialog ends, tab order and the string resources behind the messages.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/radiobut.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>

#include <afxwin.h>

#include "GuiTestHarness.h"

namespace {

enum {
  IDD_SAMPLE = 9100,
  IDC_NAME = 9101,
  IDC_COUNT = 9102,
  IDC_COUNT_SPIN = 9103,
  IDC_SCALE = 9104,
  IDC_RATIO = 9105,
  IDC_MODE_A = 9106,
  IDC_MODE_B = 9107,
  IDC_MODE_C = 9108,
  IDC_SIDE_L = 9109,
  IDC_SIDE_R = 9110,
  IDC_FLAG = 9111,
  IDC_UNITS = 9112,
  IDC_LIST = 9113,
  IDC_APPLY = 9114,
  IDC_OFFSET = 9115,
};

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_STATIC, L"Name:", 7, 9, 40, 8, SS_LEFT},
    {lwmfc::dlgEdit, IDC_NAME, L"", 50, 7, 80, 14, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP},
    {lwmfc::dlgEdit, IDC_COUNT, L"", 50, 25, 40, 14, ES_NUMBER | WS_TABSTOP},
    {lwmfc::dlgUpDown, IDC_COUNT_SPIN, L"", 92, 25, 10, 14, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT},
    {lwmfc::dlgEdit, IDC_SCALE, L"", 50, 43, 40, 14, WS_TABSTOP},
    {lwmfc::dlgEdit, IDC_RATIO, L"", 50, 61, 40, 14, WS_TABSTOP},
    {lwmfc::dlgEdit, IDC_OFFSET, L"", 100, 61, 30, 14, WS_TABSTOP},
    {lwmfc::dlgButton, IDC_MODE_A, L"A", 140, 7, 40, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDC_MODE_B, L"B", 140, 19, 40, 10, BS_AUTORADIOBUTTON},
    {lwmfc::dlgButton, IDC_MODE_C, L"C", 140, 31, 40, 10, BS_AUTORADIOBUTTON},
    {lwmfc::dlgListBox, IDC_LIST, L"", 140, 43, 60, 40, LBS_NOTIFY | WS_GROUP | WS_TABSTOP, L"one\ntwo\nthree"},
    {lwmfc::dlgButton, IDC_SIDE_L, L"Left", 210, 7, 40, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDC_SIDE_R, L"Right", 210, 19, 40, 10, BS_AUTORADIOBUTTON},
    {lwmfc::dlgButton, IDC_FLAG, L"Flag", 210, 31, 40, 10, BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgComboBox, IDC_UNITS, L"", 210, 43, 50, 60, CBS_DROPDOWNLIST | WS_TABSTOP, L"inches\ncm\nmm\npoints"},
    {lwmfc::dlgButton, IDC_APPLY, L"Apply", 7, 90, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
    {lwmfc::dlgButton, IDOK, L"OK", 150, 90, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
    {lwmfc::dlgButton, IDCANCEL, L"Cancel", 210, 90, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
};
const lwmfc::DialogTemplate kSample = {L"Sample", 270, 112, L"MS Shell Dlg", 8, kRows, int(std::size(kRows))};
const bool kRegistered = lwmfc::RegisterDialogTemplate(IDD_SAMPLE, &kSample);

class CSampleDlg : public CDialog {
 public:
  CSampleDlg() : CDialog(IDD_SAMPLE) {}

  CString m_name = L"first";
  UINT m_count = 12;
  float m_scale = 8.5f;
  double m_ratio = 0.125;
  int m_offset = -3;
  int m_mode = 1;
  int m_side = 0;
  int m_flag = 1;
  int m_unit = 2;
  CEdit m_nameEdit;
  CSpinButtonCtrl m_spin;
  CListBox m_list;
  std::vector<std::string> m_log;
  std::function<void(CSampleDlg*)> m_onInit;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_NAME, m_nameEdit);
    DDX_Control(pDX, IDC_COUNT_SPIN, m_spin);
    DDX_Control(pDX, IDC_LIST, m_list);
    DDX_Text(pDX, IDC_NAME, m_name);
    DDX_Text(pDX, IDC_COUNT, m_count);
    DDV_MinMaxUInt(pDX, m_count, 1, 3000);
    DDX_Text(pDX, IDC_SCALE, m_scale);
    DDX_Text(pDX, IDC_RATIO, m_ratio);
    DDX_Text(pDX, IDC_OFFSET, m_offset);
    DDX_Radio(pDX, IDC_MODE_A, m_mode);
    DDX_Radio(pDX, IDC_SIDE_L, m_side);
    DDX_Check(pDX, IDC_FLAG, m_flag);
    DDX_CBIndex(pDX, IDC_UNITS, m_unit);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_spin.SetRange32(1, 3000);
    m_spin.SetPos32(static_cast<int>(m_count));
    if (m_onInit) m_onInit(this);
    return TRUE;
  }
  void OnApply() { m_log.push_back("apply"); }
  void OnModeB() { m_log.push_back("mode-b"); }
  void OnNameChange() { m_log.push_back("name-change"); }
  void OnUnits() { m_log.push_back("units"); }
  void OnList() { m_log.push_back("list"); }
  void OnFlag() { m_log.push_back("flag"); }
  void OnDeltaPos(NMHDR* pHdr, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMUPDOWN*>(pHdr);
    m_log.push_back("delta " + std::to_string(nm->iPos) + " " + std::to_string(nm->iDelta));
    *pResult = nm->iPos + nm->iDelta == 20 ? 1 : 0;  // refuses the step to 20
  }
  void OnContextMenu(CWnd* pWnd, CPoint pos) {
    m_log.push_back("context " + std::to_string(pWnd ? pWnd->GetDlgCtrlID() : 0) + " " + std::to_string(pos.x) + "," +
                    std::to_string(pos.y));
  }
  void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pBar) {
    m_log.push_back("vscroll " + std::to_string(nSBCode) + " " + std::to_string(nPos) +
                    (reinterpret_cast<CWnd*>(pBar) == &m_spin ? " spin" : " other"));
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSampleDlg, CDialog)
  ON_BN_CLICKED(IDC_APPLY, &CSampleDlg::OnApply)
  ON_BN_CLICKED(IDC_MODE_B, &CSampleDlg::OnModeB)
  ON_BN_CLICKED(IDC_FLAG, &CSampleDlg::OnFlag)
  ON_EN_CHANGE(IDC_NAME, &CSampleDlg::OnNameChange)
  ON_CBN_SELCHANGE(IDC_UNITS, &CSampleDlg::OnUnits)
  ON_LBN_SELCHANGE(IDC_LIST, &CSampleDlg::OnList)
  ON_NOTIFY(UDN_DELTAPOS, IDC_COUNT_SPIN, &CSampleDlg::OnDeltaPos)
  ON_WM_VSCROLL()
  ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

// What a test does inside the modal loop.
std::function<void(CDialog*)> g_inModal;
void RunInModal(CDialog* pDlg) {
  auto fn = std::move(g_inModal);
  g_inModal = nullptr;
  if (fn) fn(pDlg);
}

struct ModalScope {
  explicit ModalScope(std::function<void(CDialog*)> fn) {
    g_inModal = std::move(fn);
    lwmfc::SetModalDialogHook(&RunInModal);
  }
  ~ModalScope() {
    lwmfc::SetModalDialogHook(nullptr);
    g_inModal = nullptr;
  }
};

// Message boxes answered and recorded instead of the run's "unexpected" hook.
std::vector<std::wstring> g_boxes;
int RecordBox(const wchar_t* text, const wchar_t*, UINT) {
  g_boxes.emplace_back(text);
  return IDOK;
}
struct BoxScope {
  BoxScope() {
    g_boxes.clear();
    lwmfc::SetMessageBoxHook(&RecordBox);
  }
  ~BoxScope() { lwmfc::SetMessageBoxHook(&guitest::UnexpectedMessageBox); }
};

std::wstring TextOf(CDialog* p, int id) {
  CString s;
  p->GetDlgItemText(id, s);
  return s.GetString();
}

// A click as the toolkit delivers it from the native button.
void NativeClick(CDialog* p, int id) {
  wxWindow* w = p->GetDlgItem(id)->GetWxWindow();
  wxCommandEvent e(wxEVT_BUTTON, w->GetId());
  e.SetEventObject(w);
  w->ProcessWindowEvent(e);
}

TEST(DialogGui, MembersReachTheControlsAndComeBackOnOK) {
  ASSERT_TRUE(kRegistered);
  CSampleDlg dlg;
  std::map<int, std::wstring> shown;
  int checkedMode = 0, checkedSide = 0;
  UINT flag = 0;
  int unit = -1;
  ModalScope scope([&](CDialog* p) {
    for (int id : {IDC_NAME, IDC_COUNT, IDC_SCALE, IDC_RATIO, IDC_OFFSET}) shown[id] = TextOf(p, id);
    checkedMode = p->GetCheckedRadioButton(IDC_MODE_A, IDC_MODE_C);
    checkedSide = p->GetCheckedRadioButton(IDC_SIDE_L, IDC_SIDE_R);
    flag = p->IsDlgButtonChecked(IDC_FLAG);
    unit = static_cast<CComboBox*>(p->GetDlgItem(IDC_UNITS))->GetCurSel();
    // The user's changes.
    p->SetDlgItemText(IDC_NAME, L"  second ");
    p->SetDlgItemText(IDC_COUNT, L" 3000 ");
    p->SetDlgItemText(IDC_SCALE, L"1e3");
    p->SetDlgItemText(IDC_RATIO, L"-2.5");
    p->SetDlgItemText(IDC_OFFSET, L"-17");
    lwmfc::SimulateControlClick(p->GetDlgItem(IDC_MODE_C));
    lwmfc::SimulateControlClick(p->GetDlgItem(IDC_SIDE_R));
    lwmfc::SimulateControlClick(p->GetDlgItem(IDC_FLAG));
    lwmfc::SimulateSelection(p->GetDlgItem(IDC_UNITS), 3);
    NativeClick(p, IDOK);
  });
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(shown[IDC_NAME], L"first");
  EXPECT_EQ(shown[IDC_COUNT], L"12");
  EXPECT_EQ(shown[IDC_SCALE], L"8.5");
  EXPECT_EQ(shown[IDC_RATIO], L"0.125");
  EXPECT_EQ(shown[IDC_OFFSET], L"-3");
  EXPECT_EQ(checkedMode, IDC_MODE_B);
  EXPECT_EQ(checkedSide, IDC_SIDE_L);
  EXPECT_EQ(flag, 1u);
  EXPECT_EQ(unit, 2);

  EXPECT_EQ(dlg.m_name, L"  second ");
  EXPECT_EQ(dlg.m_count, 3000u);
  EXPECT_FLOAT_EQ(dlg.m_scale, 1000.0f);
  EXPECT_DOUBLE_EQ(dlg.m_ratio, -2.5);
  EXPECT_EQ(dlg.m_offset, -17);
  EXPECT_EQ(dlg.m_mode, 2);
  EXPECT_EQ(dlg.m_side, 1);
  EXPECT_EQ(dlg.m_flag, 0);
  EXPECT_EQ(dlg.m_unit, 3);
  // The window went with DoModal; the bound members let it go.
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_EQ(dlg.m_nameEdit.m_hWnd, nullptr);
}

TEST(DialogGui, RadioGroupWithNoneCheckedRoundTripsMinusOne) {
  // (value loaded, value put back by code before OK) -> what the group shows and what comes back.
  struct Case {
    int loaded;
    int reloaded;  // -2: no reload
    int shownAfterLoad, shownAtOK, back;
  } cases[] = {
      {-1, -2, 0, 0, -1},  // none checked from the start
      {1, -1, IDC_MODE_B, 0, -1},  // a checked button cleared by code
      {-1, 2, 0, IDC_MODE_C, 2},
      {0, -2, IDC_MODE_A, IDC_MODE_A, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.loaded << " " << c.reloaded);
    CSampleDlg dlg;
    dlg.m_mode = c.loaded;
    int afterLoad = -5, atOK = -5;
    ModalScope scope([&](CDialog* p) {
      auto* d = static_cast<CSampleDlg*>(p);
      afterLoad = p->GetCheckedRadioButton(IDC_MODE_A, IDC_MODE_C);
      if (c.reloaded != -2) {
        d->m_mode = c.reloaded;
        d->UpdateData(FALSE);
      }
      atOK = p->GetCheckedRadioButton(IDC_MODE_A, IDC_MODE_C);
      NativeClick(p, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(afterLoad, c.shownAfterLoad);
    EXPECT_EQ(atOK, c.shownAtOK);
    EXPECT_EQ(dlg.m_mode, c.back);
    EXPECT_EQ(dlg.m_side, 0);  // the other group is left alone
  }
}

TEST(DialogGui, RefusedValuesKeepTheDialogOpenWithTheFrameworkMessage) {
  struct Case {
    int id;
    const wchar_t* text;
    const wchar_t* message;
  } cases[] = {
      {IDC_COUNT, L"0", L"Please enter an integer between 1 and 3000."},
      {IDC_COUNT, L"3001", L"Please enter an integer between 1 and 3000."},
      {IDC_COUNT, L"", L"Please enter a positive integer."},
      {IDC_COUNT, L"-4", L"Please enter a positive integer."},
      {IDC_COUNT, L"12abc", L"Please enter a positive integer."},
      {IDC_COUNT, L"99999999999", L"Please enter a positive integer."},
      {IDC_SCALE, L"abc", L"Please enter a number."},
      {IDC_SCALE, L"1e39", L"Please enter a number."},  // beyond a float
      {IDC_RATIO, L"nan", L"Please enter a number."},
      {IDC_OFFSET, L"2.5", L"Please enter an integer."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.id << " '" << c.text << "'");
    BoxScope boxes;
    CSampleDlg dlg;
    bool stillOpen = false, focusOnField = false;
    ModalScope scope([&](CDialog* p) {
      p->SetDlgItemText(c.id, c.text);
      NativeClick(p, IDOK);
      stillOpen = p->m_hWnd && static_cast<wxDialog*>(p->GetWxWindow())->IsModal();
      focusOnField = guitest::PumpUntil([&] { return CWnd::GetFocus() == p->GetDlgItem(c.id); }, 1000);
      // Put right, it goes through.
      p->SetDlgItemText(c.id, c.id == IDC_OFFSET ? L"7" : L"25");
      NativeClick(p, IDOK);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(focusOnField);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], c.message);
  }
}

TEST(DialogGui, NativeEventsReachTheMessageMapAsNotifications) {
  CSampleDlg dlg;
  std::wstring countText;
  int spinPos = 0;
  ModalScope scope([&](CDialog* pDlg) {
    auto* p = static_cast<CSampleDlg*>(pDlg);
    NativeClick(p, IDC_APPLY);
    // Text changed by the user (SetValue sends the toolkit's text event; SetWindowText does not).
    static_cast<wxTextCtrl*>(p->GetDlgItem(IDC_NAME)->GetWxWindow())->SetValue(L"typed");
    p->SetDlgItemText(IDC_NAME, L"by code");
    {
      wxWindow* l = p->GetDlgItem(IDC_LIST)->GetWxWindow();
      static_cast<wxListBox*>(l)->SetSelection(1);
      wxCommandEvent e(wxEVT_LISTBOX, l->GetId());
      e.SetEventObject(l);
      e.SetInt(1);
      l->ProcessWindowEvent(e);
    }
    p->m_list.SetCurSel(2);  // by code: no notification
    lwmfc::SimulateSelection(p->GetDlgItem(IDC_UNITS), 1);
    // Spin steps by clicks on the arrows: 12 -> 13, then down once; the step to 20 is refused.
    wxWindow* s = p->m_spin.GetWxWindow();
    auto step = [&](int dir) {
      const int y = dir > 0 ? 2 : s->GetClientSize().y - 3;
      for (wxEventType t : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
        wxMouseEvent m(t);
        m.m_x = s->GetClientSize().x / 2;
        m.m_y = y;
        m.SetEventObject(s);
        s->ProcessWindowEvent(m);
      }
    };
    step(+1);
    step(-1);
    p->m_spin.SetPos32(19);
    step(+1);
    {
      // A right click on the list: the dialog hears of it with the list and the screen point.
      wxWindow* l = p->GetDlgItem(IDC_LIST)->GetWxWindow();
      wxContextMenuEvent e(wxEVT_CONTEXT_MENU, l->GetId(), wxPoint(321, 123));
      e.SetEventObject(l);
      l->ProcessWindowEvent(e);
    }
    countText = TextOf(p, IDC_COUNT);
    spinPos = p->m_spin.GetPos32();
    p->EndDialog(IDCANCEL);
  });
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  const std::vector<std::string> want = {"apply",  "name-change", "list",       "units",  "delta 12 1",
                                         "vscroll 4 13 spin", "delta 13 -1", "vscroll 4 12 spin", "delta 19 1",
                                         "context " + std::to_string(IDC_LIST) + " 321,123"};
  EXPECT_EQ(dlg.m_log, want);
  EXPECT_EQ(countText, L"12");  // the buddy follows the spin; the refused step changed nothing
  EXPECT_EQ(spinPos, 19);
  EXPECT_EQ(dlg.m_count, 12u);  // Cancel: nothing exchanged back
}

TEST(DialogGui, WaysToEndAndTabOrder) {
  struct Case {
    const char* name;
    std::function<void(CDialog*)> act;
    INT_PTR result;
  } cases[] = {
      {"cancel button", [](CDialog* p) { NativeClick(p, IDCANCEL); }, IDCANCEL},
      {"close box", [](CDialog* p) { static_cast<wxDialog*>(p->GetWxWindow())->Close(); }, IDCANCEL},
      {"escape", [](CDialog* p) {
         wxKeyEvent k(wxEVT_CHAR_HOOK);
         k.m_keyCode = WXK_ESCAPE;
         k.SetEventObject(p->GetWxWindow());
         p->GetWxWindow()->ProcessWindowEvent(k);
       }, IDCANCEL},
      {"end dialog", [](CDialog* p) { p->EndDialog(42); }, 42},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CSampleDlg dlg;
    std::vector<int> order;
    bool defaultIsOK = false, modalBefore = false, modalAfter = true;
    ModalScope scope([&](CDialog* p) {
      modalBefore = p->IsModal();
      for (wxWindow* w : p->GetWxWindow()->GetChildren()) {
        if (w->GetName() == "lw-none-radio") continue;  // a radio group's hidden member, never reached
        if (CWnd* q = CWnd::FromWxOrAncestor(w)) order.push_back(q->GetDlgCtrlID());
      }
      auto* def = dynamic_cast<wxButton*>(static_cast<wxDialog*>(p->GetWxWindow())->GetDefaultItem());
      defaultIsOK = def && def == p->GetDlgItem(IDOK)->GetWxWindow();
      c.act(p);
      modalAfter = p->IsModal();  // ended, though its window is still up until DoModal returns
    });
    EXPECT_EQ(dlg.DoModal(), c.result);
    EXPECT_TRUE(modalBefore);
    EXPECT_FALSE(modalAfter);
    EXPECT_FALSE(dlg.IsModal());
    std::vector<int> rows;
    for (const DialogItemTemplate& r : kRows) rows.push_back(r.nID);
    EXPECT_EQ(order, rows);
    EXPECT_TRUE(defaultIsOK);
  }

  // Ended from OnInitDialog: never shows.
  CSampleDlg early;
  early.m_onInit = [](CSampleDlg* p) { p->EndDialog(7); };
  bool hookRan = false;
  ModalScope scope([&](CDialog*) { hookRan = true; });
  EXPECT_EQ(early.DoModal(), 7);
  guitest::PumpUntil([] { return false; }, 50);
  EXPECT_FALSE(hookRan);
}

TEST(DialogGui, ModelessDialogsAndMissingTemplates) {
  CDialog missing(9999);
  EXPECT_EQ(missing.DoModal(), -1);
  EXPECT_FALSE(missing.Create(9999));

  CSampleDlg dlg;
  ASSERT_TRUE(dlg.Create(IDD_SAMPLE));
  EXPECT_EQ(TextOf(&dlg, IDC_NAME), L"first");  // OnInitDialog ran
  dlg.ShowWindow(SW_SHOW);
  EXPECT_TRUE(dlg.IsWindowVisible());
  dlg.EndDialog(IDOK);  // a modeless dialog only hides
  EXPECT_FALSE(dlg.IsWindowVisible());
  EXPECT_NE(dlg.m_hWnd, nullptr);
  dlg.DestroyWindow();
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST(DialogGui, StringsAndFormattedMessages) {
  BoxScope boxes;
  CString s;
  EXPECT_TRUE(s.LoadString(AFX_IDP_PARSE_INT_RANGE));
  AfxFormatString2(s, AFX_IDP_PARSE_INT_RANGE, L"1", L"3000");
  EXPECT_EQ(s, L"Please enter an integer between 1 and 3000.");
  EXPECT_FALSE(s.LoadString(9998));
  EXPECT_TRUE(s.IsEmpty());
  AfxMessageBox(AFX_IDP_PARSE_REAL);
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], L"Please enter a number.");
}

}  // namespace
