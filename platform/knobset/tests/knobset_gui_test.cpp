// The float edit and its spin in a dialog under Xvfb: bounds, steps from the arrows, texts that
// are not numbers, and the parent told of changes.
#include <gtest/gtest.h>

#include <functional>

#include <wx/window.h>

#include <QorNumCtrls.h>

#include "GuiTestHarness.h"

namespace {

enum { IDD_KNOBS = 9300, IDC_SIZE = 9301, IDC_SIZE_SPIN = 9302 };

const lwmfc::DialogItemTemplate kRows[] = {
    {lwmfc::dlgEdit, IDC_SIZE, L"", 7, 7, 50, 14, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP},
    {lwmfc::dlgUpDown, IDC_SIZE_SPIN, L"", 57, 7, 10, 14, UDS_AUTOBUDDY | UDS_ALIGNRIGHT},
    {lwmfc::dlgButton, IDOK, L"OK", 7, 30, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
};
const lwmfc::DialogTemplate kKnobs = {L"Knobs", 120, 50, L"MS Shell Dlg", 8, kRows, int(std::size(kRows))};
const bool kRegistered = lwmfc::RegisterDialogTemplate(IDD_KNOBS, &kKnobs);

class CKnobDlg : public CDialog {
 public:
  CKnobDlg() : CDialog(IDD_KNOBS) {}
  CQorFloatNumEdit m_edit;
  CQorNumSpinCtrl m_spin;
  int m_changes = 0;
  std::function<void(CKnobDlg*)> m_test;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_SIZE, m_edit);
    DDX_Control(pDX, IDC_SIZE_SPIN, m_spin);
  }
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_edit.SetRange(1.0, 200.0);
    m_spin.SetRange(1.0, 200.0);
    m_spin.SetDelta(1.0);
    m_edit.SetValue(8.5);
    // Runs inside the dialog, after the test's body; the dialog ends right away.
    if (m_test) m_test(this);
    EndDialog(IDOK);
    return TRUE;
  }
  void OnSizeChange() { ++m_changes; }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CKnobDlg, CDialog)
  ON_EN_CHANGE(IDC_SIZE, &CKnobDlg::OnSizeChange)
END_MESSAGE_MAP()

CString Text(CWnd& w) {
  CString s;
  w.GetWindowText(s);
  return s;
}

void ClickArrow(CWnd& spin, int dir) {
  wxWindow* s = spin.GetWxWindow();
  for (wxEventType t : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent m(t);
    m.m_x = s->GetClientSize().x / 2;
    m.m_y = dir > 0 ? 2 : s->GetClientSize().y - 3;
    s->ProcessWindowEvent(m);
  }
}

TEST(KnobsetGui, TextsReadInsideTheBoundsAndArePutRightOnLeaving) {
  ASSERT_TRUE(kRegistered);
  struct Case {
    const wchar_t* typed;
    float value;
    const wchar_t* after;  // the text once the edit lost the focus
  } cases[] = {
      {L"12.25", 12.25f, L"12.25"}, {L" 3 ", 3.0f, L" 3 "},   {L"0.5", 1.0f, L"1"},     {L"0", 1.0f, L"1"},
      {L"", 1.0f, L"1"},            {L"abc", 1.0f, L"1"},     {L"1e9", 200.0f, L"200"}, {L"-7", 1.0f, L"1"},
      {L"inf", 1.0f, L"1"},         {L"3.4e38", 200.0f, L"200"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "'" << c.typed << "'");
    CKnobDlg dlg;
    float value = 0;
    CString after;
    dlg.m_test = [&](CKnobDlg* p) {
      p->m_edit.SetWindowText(c.typed);
      value = p->m_edit.GetValue();
      p->m_edit.SendMessage(WM_KILLFOCUS);
      after = Text(p->m_edit);
    };
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FLOAT_EQ(value, c.value);
    EXPECT_EQ(after, c.after);
  }
}

TEST(KnobsetGui, ArrowsStepTheEditWithinTheBoundsAndTellTheParent) {
  CKnobDlg dlg;
  std::vector<CString> texts;
  dlg.m_test = [&](CKnobDlg* p) {
    EXPECT_EQ(p->m_spin.GetBuddy(), &p->m_edit);  // the template's automatic buddy
    ClickArrow(p->m_spin, +1);
    texts.push_back(Text(p->m_edit));
    ClickArrow(p->m_spin, -1);
    ClickArrow(p->m_spin, -1);
    texts.push_back(Text(p->m_edit));
    p->m_edit.SetValue(1.4);
    ClickArrow(p->m_spin, -1);  // stops at the lower bound
    texts.push_back(Text(p->m_edit));
    p->m_edit.SetValue(199.5);
    ClickArrow(p->m_spin, +1);
    texts.push_back(Text(p->m_edit));
    p->m_spin.SetDelta(0.25);
    p->m_spin.SetDelta(-3);  // refused
    p->m_edit.SetValue(2);
    p->m_spin.Step(-2);
    texts.push_back(Text(p->m_edit));
  };
  dlg.DoModal();
  const std::vector<CString> want = {L"9.5", L"7.5", L"1", L"200", L"1.5"};
  EXPECT_EQ(texts, want);
  EXPECT_EQ(dlg.m_changes, 6);  // one per step; SetValue by code tells nobody
}

}  // namespace
