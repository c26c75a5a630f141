// A property sheet under Xvfb: pages made when first shown, leaving a page validates it (a
// refused value keeps it shown), OK reaches every page that was made, tabs chosen by the user
// go through the same checks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/notebook.h>

#include <afxdlgs.h>

#include "GuiTestHarness.h"

namespace {

enum { IDD_PAGE_A = 9200, IDD_PAGE_B = 9201, IDC_COPIES = 9202, IDC_DUPLEX = 9203 };

const lwmfc::DialogItemTemplate kRowsA[] = {
    {lwmfc::dlgStatic, IDC_STATIC, L"Copies:", 7, 9, 40, 8, SS_LEFT},
    {lwmfc::dlgEdit, IDC_COPIES, L"", 50, 7, 40, 14, WS_TABSTOP | WS_GROUP},
};
const lwmfc::DialogItemTemplate kRowsB[] = {
    {lwmfc::dlgButton, IDC_DUPLEX, L"Both sides", 7, 7, 80, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
};
const lwmfc::DialogTemplate kPageA = {L"Copies", 120, 40, L"MS Shell Dlg", 8, kRowsA, int(std::size(kRowsA))};
const lwmfc::DialogTemplate kPageB = {L"Sides", 120, 40, L"MS Shell Dlg", 8, kRowsB, int(std::size(kRowsB))};
const bool kRegistered =
    lwmfc::RegisterDialogTemplate(IDD_PAGE_A, &kPageA) && lwmfc::RegisterDialogTemplate(IDD_PAGE_B, &kPageB);

std::vector<std::string> g_log;

class CCopiesPage : public CPropertyPage {
 public:
  CCopiesPage() : CPropertyPage(IDD_PAGE_A) {}
  int m_copies = 2;
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, IDC_COPIES, m_copies);
    DDV_MinMaxInt(pDX, m_copies, 1, 99);
  }
  BOOL OnSetActive() override {
    g_log.push_back("A shown");
    return CPropertyPage::OnSetActive();
  }
  BOOL OnKillActive() override {
    const BOOL ok = CPropertyPage::OnKillActive();
    g_log.push_back(ok ? "A left" : "A kept");
    return ok;
  }
  void OnOK() override { g_log.push_back("A ok"); }
};

class CSidesPage : public CPropertyPage {
 public:
  CSidesPage() : CPropertyPage(IDD_PAGE_B) {}
  int m_duplex = 0;
  void DoDataExchange(CDataExchange* pDX) override { DDX_Check(pDX, IDC_DUPLEX, m_duplex); }
  BOOL OnSetActive() override {
    g_log.push_back("B shown");
    return CPropertyPage::OnSetActive();
  }
  void OnOK() override { g_log.push_back("B ok"); }
  void OnCancel() override { g_log.push_back("B cancel"); }
};

std::vector<std::wstring> g_boxes;
int RecordBox(const wchar_t* text, const wchar_t*, UINT) {
  g_boxes.emplace_back(text);
  return IDOK;
}

TEST(PropertySheetGui, PagesAreValidatedWhenLeftAndToldOfOK) {
  ASSERT_TRUE(kRegistered);
  g_log.clear();
  g_boxes.clear();
  lwmfc::SetMessageBoxHook(&RecordBox);
  CCopiesPage a;
  CSidesPage b;
  CPropertySheet sheet(L"Print");
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  std::wstring tabs;
  bool bMadeLate = false;
  wxTheApp->CallAfter([&] {
    bMadeLate = b.m_hWnd == nullptr;  // the second page is made when first shown
    a.SetDlgItemText(IDC_COPIES, L"500");
    EXPECT_FALSE(sheet.SetActivePage(1));  // refused: the copies are out of range
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    a.SetDlgItemText(IDC_COPIES, L"7");
    EXPECT_TRUE(sheet.SetActivePage(&b));
    b.CheckDlgButton(IDC_DUPLEX, BST_CHECKED);
    EXPECT_TRUE(sheet.PressOK());
  });
  EXPECT_EQ(sheet.DoModal(), IDOK);
  lwmfc::SetMessageBoxHook(&guitest::UnexpectedMessageBox);
  EXPECT_TRUE(bMadeLate);
  EXPECT_EQ(g_log, (std::vector<std::string>{"A shown", "A kept", "A left", "B shown", "A ok", "B ok"}));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], L"Please enter an integer between 1 and 99.");
  EXPECT_EQ(a.m_copies, 7);
  EXPECT_EQ(b.m_duplex, 1);
  EXPECT_EQ(a.m_hWnd, nullptr);  // the pages went with the sheet
}

TEST(PropertySheetGui, TabsChosenByTheUserAndCancel) {
  g_log.clear();
  CCopiesPage a;
  CSidesPage b;
  CPropertySheet sheet(L"Print", nullptr, 1);  // opens on the second page
  sheet.AddPage(&a);
  sheet.AddPage(&b);
  wxTheApp->CallAfter([&] {
    wxWindow* book = b.GetWxWindow()->GetParent()->GetParent();
    static_cast<wxNotebook*>(book)->SetSelection(0);  // as a click on the first tab
    EXPECT_EQ(sheet.GetActiveIndex(), 0);
    sheet.GetWxWindow()->Close();  // the close box cancels
  });
  EXPECT_EQ(sheet.DoModal(), IDCANCEL);
  EXPECT_EQ(g_log, (std::vector<std::string>{"B shown", "A shown", "B cancel"}));
  EXPECT_EQ(a.m_copies, 2);
}

}  // namespace
