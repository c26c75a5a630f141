// Owner-drawn combo boxes under Xvfb: the control's DrawItem and MeasureItem are asked for each
// row and for the box's own field, and what they draw with GDI is what the screen shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/combo.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/odcombo.h>
#include <wx/utils.h>

#include <gdi/wingdi.h>
#include <afxwin.h>

#include "GuiTestHarness.h"

namespace {

enum { IDD_ODCOMBO = 9300, IDC_PAGES = 9301, IDC_PAGES_VAR = 9302 };

const lwmfc::DialogItemTemplate kRows[] = {
    {lwmfc::dlgComboBox, IDC_PAGES, L"", 7, 7, 80, 80, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | WS_TABSTOP,
     L"a\nb\nc\nd"},
    {lwmfc::dlgComboBox, IDC_PAGES_VAR, L"", 100, 7, 80, 80, CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | WS_TABSTOP,
     L"a\nb\nc"},
    {lwmfc::dlgButton, IDOK, L"OK", 7, 100, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
};
const lwmfc::DialogTemplate kTpl = {L"Pages", 200, 120, L"MS Shell Dlg", 8, kRows, int(std::size(kRows))};
const bool kRegistered = lwmfc::RegisterDialogTemplate(IDD_ODCOMBO, &kTpl);

constexpr int kRowHeight = 31;

// Each item in a colour of its own; selected rows in blue; the box's own field with a magenta
// bar on the left.
COLORREF ItemColour(UINT item) { return RGB(40 * (item + 1), 200, 60); }
const COLORREF kSelected = RGB(20, 40, 220);
const COLORREF kFieldMark = RGB(230, 0, 230);

class CRowCombo : public CComboBox {
 public:
  struct Drawn {
    UINT id, item, state;
    RECT rc;
    ULONG_PTR data;
  };
  std::vector<Drawn> drawn;
  std::vector<UINT> measured;
  int height = kRowHeight;

  void DrawItem(LPDRAWITEMSTRUCT p) override {
    drawn.push_back({p->CtlID, p->itemID, p->itemState, p->rcItem, p->itemData});
    HBRUSH fill = CreateSolidBrush((p->itemState & ODS_SELECTED) && !(p->itemState & ODS_COMBOBOXEDIT)
                                       ? kSelected
                                       : ItemColour(p->itemID));
    FillRect(p->hDC, &p->rcItem, fill);
    DeleteObject(fill);
    if (p->itemState & ODS_COMBOBOXEDIT) {
      HBRUSH mark = CreateSolidBrush(kFieldMark);
      RECT bar{p->rcItem.left, p->rcItem.top, p->rcItem.left + 4, p->rcItem.bottom};
      FillRect(p->hDC, &bar, mark);
      DeleteObject(mark);
    }
  }
  void MeasureItem(LPMEASUREITEMSTRUCT p) override {
    measured.push_back(p->itemID);
    EXPECT_GT(p->itemHeight, 0u);  // comes in as the toolkit's row height
    p->itemHeight = static_cast<UINT>(height + static_cast<int>(p->itemID));
  }
};

class CPagesDlg : public CDialog {
 public:
  CPagesDlg() : CDialog(IDD_ODCOMBO) {}
  CRowCombo m_pages, m_var;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_PAGES, m_pages);
    DDX_Control(pDX, IDC_PAGES_VAR, m_var);
  }
};

void Settle() {
  for (int i = 0; i < 15; ++i) {
    wxYield();
    wxMilliSleep(15);
  }
}

bool Shot(wxImage& image) {
  const std::string path = "/tmp/lw-odcombo-" + std::to_string(::getpid()) + ".png";
  if (wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS) != 0) return false;
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  const bool ok = image.LoadFile(path, wxBITMAP_TYPE_PNG);
  if (!std::getenv("LW_KEEP_SHOTS")) std::remove(path.c_str());
  return ok;
}

COLORREF At(const wxImage& im, wxPoint pt) {
  if (pt.x < 0 || pt.y < 0 || pt.x >= im.GetWidth() || pt.y >= im.GetHeight()) return CLR_INVALID;
  return RGB(im.GetRed(pt.x, pt.y), im.GetGreen(pt.x, pt.y), im.GetBlue(pt.x, pt.y));
}

std::function<void(CDialog*)> g_inModal;
void RunInModal(CDialog* p) {
  auto fn = std::move(g_inModal);
  g_inModal = nullptr;
  if (fn) fn(p);
}

TEST(OwnerDrawnCombo, RowsAndFieldAreDrawnByTheControlAtTheHeightItMeasures) {
  ASSERT_TRUE(kRegistered);
  const int assertsBefore = guitest::g_wxAsserts;
  CPagesDlg dlg;
  bool ran = false;
  g_inModal = [&](CDialog* p) {
    ran = true;
    auto* d = static_cast<CPagesDlg*>(p);
    EXPECT_EQ(d->m_pages.GetCount(), 4);
    EXPECT_EQ(d->m_pages.SetCurSel(2), 2);
    EXPECT_EQ(d->m_pages.GetCurSel(), 2);
    EXPECT_EQ(d->m_pages.GetItemData(1), 0u);  // never set
    EXPECT_EQ(d->m_pages.SetItemData(1, 77), 0);
    EXPECT_EQ(d->m_pages.GetItemData(1), 77u);
    p->GetWxWindow()->Raise();
    Settle();
    auto* combo = static_cast<wxOwnerDrawnComboBox*>(d->m_pages.GetWxWindow());
    wxImage shot;
    ASSERT_TRUE(Shot(shot));
    // The box's own field shows item 2, drawn by the control.
    const wxRect field = combo->GetScreenRect();
    bool sawMark = false, sawItem = false;
    for (int x = field.x; x < field.x + field.width / 2; ++x) {
      const COLORREF c = At(shot, wxPoint(x, field.y + field.height / 2));
      sawMark |= c == kFieldMark;
      sawItem |= c == ItemColour(2);
    }
    EXPECT_TRUE(sawMark);
    EXPECT_TRUE(sawItem);
    bool fieldDrawn = false;
    for (const auto& r : d->m_pages.drawn)
      if ((r.state & ODS_COMBOBOXEDIT) && r.item == 2 && r.id == IDC_PAGES && r.rc.left == 0 && r.rc.top == 0)
        fieldDrawn = true;
    EXPECT_TRUE(fieldDrawn);

    // The list: rows of the measured height, each in its own colour, the chosen one selected.
    d->m_pages.drawn.clear();
    combo->Popup();
    Settle();
    ASSERT_TRUE(Shot(shot));
    const wxRect list = combo->GetPopupWindow()->GetScreenRect();
    int top = -1;  // the first row's top: the first line of item 0's colour
    for (int y = list.y; y < list.y + list.height && top < 0; ++y)
      if (At(shot, wxPoint(list.x + list.width / 3, y)) == ItemColour(0)) top = y;
    ASSERT_GE(top, 0);
    const COLORREF want[] = {ItemColour(0), ItemColour(1), kSelected, ItemColour(3)};
    for (int row = 0; row < 4; ++row) {
      SCOPED_TRACE(row);
      EXPECT_EQ(At(shot, wxPoint(list.x + list.width / 3, top + row * kRowHeight + 2)), want[row]);
      EXPECT_EQ(At(shot, wxPoint(list.x + list.width / 3, top + row * kRowHeight + kRowHeight - 2)), want[row]);
    }
    combo->Dismiss();
    Settle();
    bool dataReached = false;
    for (const auto& r : d->m_pages.drawn)
      if (r.item == 1) dataReached = r.data == 77;
    EXPECT_TRUE(dataReached);
    // A fixed box measures once, as item 0; a variable one each item.
    EXPECT_EQ(d->m_pages.measured, std::vector<UINT>{0});
    auto* var = static_cast<wxOwnerDrawnComboBox*>(d->m_var.GetWxWindow());
    var->Popup();
    Settle();
    var->Dismiss();
    std::vector<UINT> seen = d->m_var.measured;
    std::sort(seen.begin(), seen.end());
    seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
    EXPECT_EQ(seen, (std::vector<UINT>{0, 1, 2}));
    p->EndDialog(IDOK);
  };
  lwmfc::SetModalDialogHook(&RunInModal);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  lwmfc::SetModalDialogHook(nullptr);
  EXPECT_TRUE(ran);
  EXPECT_EQ(guitest::g_wxAsserts, assertsBefore);
}

}  // namespace
