// The extract dialog under Xvfb, driven as a user would: each of the three choices answers with
// its pages, a range beyond the document keeps the dialog open with the message and the focus
// on the range, the page edits take only what a page number can hold, and the dialog is
// photographed skinned in each theme (its texts at 4.5:1, also on the disabled edits).
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <wx/textctrl.h>

#include <QorpSkinManager.h>
#include <SkinFrameDlg.h>
#include <Themes.h>

#include "DialogPhoto.h"
#include "ExtractDlg.h"
#include "GuiTestHarness.h"
#include "LeafwrightDoc.h"
#include "PageBusiPage.h"

namespace {

using dlgphoto::Photograph;

std::function<void(CDialog*)> g_body;
void RunBody(CDialog* p) {
  auto fn = std::move(g_body);
  g_body = nullptr;
  if (fn) fn(p);
}
std::vector<std::wstring> g_boxes;
int RecordBox(const wchar_t* text, const wchar_t*, UINT) {
  g_boxes.emplace_back(text);
  return IDOK;
}
template <class Dlg>
INT_PTR RunDialog(Dlg& dlg, std::function<void(CDialog*)> body) {
  g_boxes.clear();
  lwmfc::SetMessageBoxHook(&RecordBox);
  g_body = std::move(body);
  lwmfc::SetModalDialogHook(&RunBody);
  const INT_PTR r = dlg.DoModal();
  lwmfc::SetModalDialogHook(nullptr);
  lwmfc::SetMessageBoxHook(&guitest::UnexpectedMessageBox);
  return r;
}
std::wstring Text(CDialog* p, int id) {
  CString s;
  p->GetDlgItemText(id, s);
  return s.GetString();
}
void SetText(CDialog* p, int id, const wchar_t* text) { p->SetDlgItemText(id, text); }
void Click(CDialog* p, int id) { lwmfc::SimulateControlClick(p->GetDlgItem(id)); }

class ShownView : public CView, public IPageEditingView {
 public:
  CDrawingPage* shown = nullptr;
  CDrawingPage* GetShownPage() const override { return shown; }
  void OnDraw(CDC*) override {}
};
class SelectionList : public CView, public IPagesSelectionList {
 public:
  std::vector<CDrawingPage*> pages;
  int GetSelectedCount() const override { return static_cast<int>(pages.size()); }
  CDrawingPage* GetSelectedPage(int i) const override { return pages[static_cast<size_t>(i)]; }
  void ClearSelection() override { pages.clear(); }
  void AddSelectedPage(CDrawingPage* p) override { pages.push_back(p); }
  void RedrawPageRow(int) override {}
  void OnDraw(CDC*) override {}
};

// A 10-page document showing page 5, with pages 3 and 1 selected in the thumbnails.
struct TenPages {
  CLeafwrightDoc doc;
  ShownView view;
  SelectionList list;
  TenPages() {
    for (int i = 0; i < 10; ++i) {
      auto* p = new CPageBusiPage;
      p->SetPageContentLoaded(1);
      doc.GetRenderPagesArray().AddPage(p);
    }
    doc.AddView(&view);
    doc.AddView(&list);
    view.shown = doc.GetDrawingPage(4);
    list.pages = {doc.GetDrawingPage(2), doc.GetDrawingPage(0)};
  }
  ~TenPages() {
    doc.RemoveView(&list);
    doc.RemoveView(&view);
  }
};

TEST(ExtractDlgGui, EachChoiceAnswersWithItsPages) {
  const struct {
    const char* what;
    int radio;
    const wchar_t *from, *to, *range;
    std::vector<int> pages;
  } cases[] = {
      {"current pages", IDC_RADIO_CURRENT_PAGES, L"", L"", L"", {0, 2, 4}},
      {"from 5 to 2", IDC_RADIO_FROM_TO, L"5", L"2", L"", {1, 2, 3, 4}},
      {"a range with a repeat", IDC_RADIO_PAGE_RANGE, L"", L"", L"2-4, 3", {1, 2, 3}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TenPages ten;
    CSkinFrameDlg<CExtractDlg> dlg(&ten.doc);
    const INT_PTR r = RunDialog(dlg, [&](CDialog* p) {
      EXPECT_EQ(Text(p, IDC_STATIC_PAGE_COUNT), L"of       10");
      EXPECT_EQ(Text(p, IDC_EDIT_FROM_PAGE), L"5");
      EXPECT_FALSE(p->GetDlgItem(IDC_EDIT_PAGE_RANGE)->IsWindowEnabled());
      Click(p, c.radio);
      EXPECT_EQ(p->GetDlgItem(IDC_EDIT_FROM_PAGE)->IsWindowEnabled() != FALSE, c.radio == IDC_RADIO_FROM_TO);
      EXPECT_EQ(p->GetDlgItem(IDC_EDIT_PAGE_RANGE)->IsWindowEnabled() != FALSE, c.radio == IDC_RADIO_PAGE_RANGE);
      if (*c.from) SetText(p, IDC_EDIT_FROM_PAGE, c.from);
      if (*c.to) SetText(p, IDC_EDIT_TO_PAGE, c.to);
      if (*c.range) SetText(p, IDC_EDIT_PAGE_RANGE, c.range);
      Click(p, IDOK);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_EQ(dlg.m_pages, c.pages);
    EXPECT_TRUE(g_boxes.empty());
  }
}

TEST(ExtractDlgGui, ARangeBeyondTheDocumentKeepsTheDialogOpen) {
  TenPages ten;
  CSkinFrameDlg<CExtractDlg> dlg(&ten.doc);
  bool stayed = false;
  const INT_PTR r = RunDialog(dlg, [&](CDialog* p) {
    Click(p, IDC_RADIO_PAGE_RANGE);
    SetText(p, IDC_EDIT_PAGE_RANGE, L"1-4000000000");
    Click(p, IDOK);
    stayed = p->GetSafeHwnd() && p->IsWindowVisible();
    EXPECT_EQ(CWnd::GetFocus(), p->GetDlgItem(IDC_EDIT_PAGE_RANGE));
    SetText(p, IDC_EDIT_PAGE_RANGE, L"10");
    Click(p, IDOK);
  });
  EXPECT_TRUE(stayed);
  EXPECT_EQ(g_boxes, std::vector<std::wstring>{L"Please enter a valid page range."});
  EXPECT_EQ(r, IDOK);
  EXPECT_EQ(dlg.m_pages, std::vector<int>{9});
}

// A key typed into an edit as the toolkit delivers it; true when the edit passed it on to the
// toolkit's own typing (false: dropped).
bool TypeKey(CWnd* edit, wchar_t ch) {
  wxWindow* w = edit->GetWxWindow();
  wxKeyEvent e(wxEVT_CHAR);
  e.m_keyCode = ch;
  e.m_uniChar = ch;
  e.SetEventObject(w);
  return !w->GetEventHandler()->ProcessEvent(e);
}

TEST(ExtractDlgGui, PageEditsTakeOnlyPageText) {
  TenPages ten;
  CSkinFrameDlg<CExtractDlg> dlg(&ten.doc);
  RunDialog(dlg, [&](CDialog* p) {
    Click(p, IDC_RADIO_PAGE_RANGE);
    Click(p, IDC_RADIO_FROM_TO);
    p->GetDlgItem(IDC_EDIT_PAGE_RANGE)->EnableWindow(TRUE);
    std::wstring range, from;
    for (wchar_t ch : std::wstring(L"1a.%'-3, 5x")) {
      if (TypeKey(p->GetDlgItem(IDC_EDIT_PAGE_RANGE), ch)) range += ch;
      if (TypeKey(p->GetDlgItem(IDC_EDIT_FROM_PAGE), ch)) from += ch;
    }
    EXPECT_EQ(range, L"1-3, 5");
    EXPECT_EQ(from, L"135");
    // Enter in a page edit does not close the dialog.
    EXPECT_FALSE(TypeKey(p->GetDlgItem(IDC_EDIT_FROM_PAGE), L'\r'));
    EXPECT_TRUE(p->IsWindowVisible());
    p->EndDialog(IDCANCEL);
  });
}

TEST(ExtractDlgGui, PhotographedInEachTheme) {
  const struct {
    int id;
    const char* name;
  } themes[] = {{ID_THEME_OFFICE2010_BLUE, "blue"}, {ID_THEME_OFFICE2010_SILVER, "silver"},
                {ID_THEME_OFFICE2010_BLACK, "black"}};
  for (const auto& t : themes) {
    SCOPED_TRACE(t.name);
    SetCurrentTheme(t.id);
    TenPages ten;
    CSkinFrameDlg<CExtractDlg> dlg(&ten.doc);
    RunDialog(dlg, [&](CDialog* p) {
      CString caption;
      p->GetWindowText(caption);
      EXPECT_EQ(caption, L"Extract Pages");
      // The edits are disabled with "Current Page(s)" checked: their texts must stay readable.
      std::map<int, double> ink = {{IDC_EDIT_FROM_PAGE, 0}, {IDC_EDIT_TO_PAGE, 0}, {IDC_EDIT_PAGE_RANGE, 0},
                                   {IDC_STATIC_PAGE_COUNT, 0}, {IDC_RADIO_CURRENT_PAGES, 0}};
      EXPECT_TRUE(Photograph(p, std::string("extract-pages-") + t.name, &ink));
      for (auto& [id, contrast] : ink) {
        SCOPED_TRACE(id);
        EXPECT_GE(contrast, 4.5);
      }
      p->EndDialog(IDCANCEL);
    });
  }
  SetCurrentTheme(ID_THEME_OFFICE2010_BLUE);
}

}  // namespace
