// The new-document dialog under Xvfb, driven as a user would: presets, orientation, custom
// sizes and units, page counts; the bounds of a page size; and each shell dialog opened skinned
// in each theme, photographed into the build tree (screenshots/) for looking at.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <cairo.h>

#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/textctrl.h>

#include <AboutDlg.h>
#include <EditParam1Dlg.h>
#include <NewPdfDlg.h>
#include <QorpSkinManager.h>
#include <SkinFrameDlg.h>
#include <Themes.h>

#include "DialogPhoto.h"
#include "GuiTestHarness.h"

namespace {

using Vectorloom::CUnitConv;
using dlgphoto::Contrast;
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

// Runs the dialog with body run inside it; message boxes are recorded.
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

CWnd* Item(CDialog* p, int id) { return p->GetDlgItem(id); }
std::wstring Text(CDialog* p, int id) {
  CString s;
  p->GetDlgItemText(id, s);
  return s.GetString();
}
void Click(CDialog* p, int id) { lwmfc::SimulateControlClick(Item(p, id)); }
void Pick(CDialog* p, int id, int index) { lwmfc::SimulateSelection(Item(p, id), index); }
void Type(CDialog* p, int id, const wchar_t* text) { lwmfc::SimulateTyping(Item(p, id), text); }
// OK as Enter gives it: no control loses the focus first.
void Enter(CDialog* p) { p->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
// OK as a click gives it: the focused edit is left first.
void ClickOK(CDialog* p) {
  if (CWnd* f = CWnd::GetFocus()) f->SendMessage(WM_KILLFOCUS);
  for (int id : {IDC_EDIT_WIDTH, IDC_EDIT_HEIGHT}) Item(p, id)->SendMessage(WM_KILLFOCUS);
  lwmfc::SimulateControlClick(Item(p, IDOK));
}

float Conv(double v, int from, int to) { return static_cast<float>(CUnitConv::ConvertValue(v, from, to)); }

TEST(NewPdfDlgGui, StartsOnUSLetterInInchesWithPresetsOnly) {
  CNewPdfDlg dlg;
  std::vector<std::wstring> presets;
  int sel = -1, unitSel = -1;
  bool builtIn = false, portrait = false, editsOff = false, listOn = false, comboOff = false;
  const INT_PTR r = RunDialog(dlg, [&](CDialog* p) {
    auto* list = static_cast<CListBox*>(Item(p, IDC_LIST_PRESETS));
    for (int i = 0; i < list->GetCount(); ++i) {
      CString s;
      list->GetText(i, s);
      presets.push_back(s.GetString());
    }
    sel = list->GetCurSel();
    unitSel = static_cast<CComboBox*>(Item(p, IDC_COMBO_UNITS))->GetCurSel();
    builtIn = p->IsDlgButtonChecked(IDC_RADIO_BUILTIN) == BST_CHECKED;
    portrait = p->IsDlgButtonChecked(IDC_RADIO_PORTRAIT) == BST_CHECKED;
    editsOff = !Item(p, IDC_EDIT_WIDTH)->IsWindowEnabled() && !Item(p, IDC_SPIN_HEIGHT)->IsWindowEnabled();
    comboOff = !Item(p, IDC_COMBO_UNITS)->IsWindowEnabled();
    listOn = Item(p, IDC_LIST_PRESETS)->IsWindowEnabled() && Item(p, IDC_RADIO_LANDSCAPE)->IsWindowEnabled();
    Enter(p);
  });
  EXPECT_EQ(r, IDOK);
  EXPECT_EQ(presets, (std::vector<std::wstring>{L"A3", L"A4", L"Envelope #10", L"Envelope DL", L"Legal", L"US Letter"}));
  EXPECT_EQ(sel, 5);
  EXPECT_EQ(unitSel, 0);  // "inches", found by its prefix "Inch"
  EXPECT_TRUE(builtIn && portrait && editsOff && comboOff && listOn);
  EXPECT_EQ(dlg.m_eUnit, 0);
  EXPECT_EQ(dlg.m_fWidth, 8.5f);
  EXPECT_EQ(dlg.m_fHeight, 11.0f);
  EXPECT_EQ(dlg.m_nPageCount, 1u);
}

TEST(NewPdfDlgGui, PresetsOrientationsAndUnitsGiveTheSizes) {
  struct Case {
    const char* name;
    std::function<void(CDialog*)> act;
    int unit;
    float width, height;
  } cases[] = {
      {"Legal landscape", [](CDialog* p) { Pick(p, IDC_LIST_PRESETS, 4); Click(p, IDC_RADIO_LANDSCAPE); }, 0, 14.0f, 8.5f},
      {"landscape then A4", [](CDialog* p) { Click(p, IDC_RADIO_LANDSCAPE); Pick(p, IDC_LIST_PRESETS, 1); }, 0, 11.5f, 8.25f},
      {"Envelope DL portrait is wide", [](CDialog* p) { Pick(p, IDC_LIST_PRESETS, 3); }, 0, 8.67f, 4.33f},
      {"Envelope DL landscape is upright",
       [](CDialog* p) { Pick(p, IDC_LIST_PRESETS, 3); Click(p, IDC_RADIO_LANDSCAPE); Click(p, IDC_RADIO_PORTRAIT);
                        Click(p, IDC_RADIO_LANDSCAPE); }, 0, 4.33f, 8.67f},
      {"custom in cm", [](CDialog* p) { Click(p, IDC_RADIO_CUSTOM); Pick(p, IDC_COMBO_UNITS, 1); }, 1,
       Conv(8.5, 0, 1), Conv(11.0, 0, 1)},
      {"custom cm and back to inches",
       [](CDialog* p) { Click(p, IDC_RADIO_CUSTOM); Pick(p, IDC_COMBO_UNITS, 1); Pick(p, IDC_COMBO_UNITS, 0); }, 0, 8.5f,
       11.0f},
      {"the same unit again changes nothing",
       [](CDialog* p) { Click(p, IDC_RADIO_CUSTOM); Pick(p, IDC_COMBO_UNITS, 0); }, 0, 8.5f, 11.0f},
      {"preset after mm is in mm",
       [](CDialog* p) { Click(p, IDC_RADIO_CUSTOM); Pick(p, IDC_COMBO_UNITS, 2); Click(p, IDC_RADIO_BUILTIN);
                        Pick(p, IDC_LIST_PRESETS, 0); }, 2, Conv(11.5, 0, 2), Conv(16.5, 0, 2)},
      {"points", [](CDialog* p) { Click(p, IDC_RADIO_CUSTOM); Pick(p, IDC_COMBO_UNITS, 3); }, 4, 612.0f, 792.0f},
      {"custom typed sizes",
       [](CDialog* p) { Click(p, IDC_RADIO_CUSTOM); Type(p, IDC_EDIT_WIDTH, L"5.5"); Type(p, IDC_EDIT_HEIGHT, L"7"); }, 0,
       5.5f, 7.0f},
      {"custom keeps its values through the mode switch",
       [](CDialog* p) { Click(p, IDC_RADIO_CUSTOM); Type(p, IDC_EDIT_WIDTH, L"6"); Click(p, IDC_RADIO_BUILTIN);
                        Click(p, IDC_RADIO_CUSTOM); }, 0, 8.5f, 11.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CNewPdfDlg dlg;
    EXPECT_EQ(RunDialog(dlg, [&](CDialog* p) { c.act(p); Enter(p); }), IDOK);
    EXPECT_EQ(dlg.m_eUnit, c.unit);
    EXPECT_NEAR(dlg.m_fWidth, c.width, std::fabs(c.width) * 1e-5);
    EXPECT_NEAR(dlg.m_fHeight, c.height, std::fabs(c.height) * 1e-5);
    EXPECT_TRUE(g_boxes.empty());
  }
}

TEST(NewPdfDlgGui, PageCountOutsideItsRangeKeepsTheDialogOpen) {
  struct Case {
    const wchar_t* typed;
    const wchar_t* message;
  } cases[] = {
      {L"0", L"Please enter an integer between 1 and 3000."},
      {L"3001", L"Please enter an integer between 1 and 3000."},
      {L"", L"Please enter a positive integer."},
      {L"many", L"Please enter a positive integer."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "'" << c.typed << "'");
    CNewPdfDlg dlg;
    bool stillOpen = false;
    const INT_PTR r = RunDialog(dlg, [&](CDialog* p) {
      Type(p, IDC_EDIT_PAGECOUNT, c.typed);
      Enter(p);
      stillOpen = p->m_hWnd && p->IsModal();
      Type(p, IDC_EDIT_PAGECOUNT, L"3000");
      Enter(p);
    });
    EXPECT_EQ(r, IDOK);
    EXPECT_TRUE(stillOpen);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0], c.message);
    EXPECT_EQ(dlg.m_nPageCount, 3000u);
  }
  // The arrows step the count and stop at its bounds.
  CNewPdfDlg dlg;
  std::vector<std::wstring> texts;
  RunDialog(dlg, [&](CDialog* p) {
    CWnd* spin = Item(p, IDC_SPIN_PAGECOUNT);
    lwmfc::SimulateSpin(spin, +1);
    lwmfc::SimulateSpin(spin, +1);
    texts.push_back(Text(p, IDC_EDIT_PAGECOUNT));
    for (int i = 0; i < 4; ++i) lwmfc::SimulateSpin(spin, -1);
    texts.push_back(Text(p, IDC_EDIT_PAGECOUNT));
    Enter(p);
  });
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"3", L"1"}));
  EXPECT_EQ(dlg.m_nPageCount, 1u);
}

// A page may be at most 200 inches (in any unit) and at least 1 unit: larger sizes overflowed
// the pixel sizes made from them later.
TEST(NewPdfDlgGui, PageSizesStayWithinWhatAPageCanBe) {
  struct Case {
    const char* name;
    int unitIndex;
    const wchar_t* width;
    bool byClick;      // leaves the edit first (which puts it right); Enter does not
    float wantWidth;   // when the dialog closes on the first OK
    const wchar_t* message;  // when it stays open
  } cases[] = {
      {"huge by click", 0, L"1e30", true, 200.0f, nullptr},
      {"largest float by click", 0, L"3.4028235e38", true, 200.0f, nullptr},
      {"huge in mm by click", 2, L"99999", true, Conv(200, 0, 2), nullptr},
      {"zero by click", 0, L"0", true, 1.0f, nullptr},
      {"empty by click", 3, L"", true, 1.0f, nullptr},
      {"at the cap", 0, L"200", false, 200.0f, nullptr},
      {"huge by Enter", 0, L"1e30", false, 0, L"Please enter a number between 1 and 200."},
      {"huge in cm by Enter", 1, L"600", false, 0, L"Please enter a number between 1 and 508."},
      {"half by Enter", 0, L"0.5", false, 0, L"Please enter a number between 1 and 200."},
      {"empty by Enter", 0, L"", false, 0, L"Please enter a number between 1 and 200."},
      {"text by Enter", 0, L"wide", false, 0, L"Please enter a number between 1 and 200."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CNewPdfDlg dlg;
    bool stillOpen = false, focusOnWidth = false;
    const INT_PTR r = RunDialog(dlg, [&](CDialog* p) {
      Click(p, IDC_RADIO_CUSTOM);
      Pick(p, IDC_COMBO_UNITS, c.unitIndex);
      Type(p, IDC_EDIT_WIDTH, c.width);
      if (c.byClick) ClickOK(p);
      else Enter(p);
      if (!p->m_hWnd || !p->IsModal()) return;
      stillOpen = true;
      focusOnWidth = guitest::PumpUntil([&] { return CWnd::GetFocus() == Item(p, IDC_EDIT_WIDTH); }, 1000);
      Type(p, IDC_EDIT_WIDTH, L"9");
      Enter(p);
    });
    EXPECT_EQ(r, IDOK);
    if (c.message) {
      EXPECT_TRUE(stillOpen);
      EXPECT_TRUE(focusOnWidth);
      ASSERT_EQ(g_boxes.size(), 1u);
      EXPECT_EQ(g_boxes[0], c.message);
      EXPECT_EQ(dlg.m_fWidth, 9.0f);
    } else {
      EXPECT_FALSE(stillOpen);
      EXPECT_TRUE(g_boxes.empty());
      EXPECT_NEAR(dlg.m_fWidth, c.wantWidth, c.wantWidth * 1e-5);
    }
    EXPECT_GE(dlg.m_fWidth, 1.0f);
    EXPECT_LE(CUnitConv::ConvertValue(dlg.m_fWidth, dlg.m_eUnit, 0), 200.0 + 1e-3);
  }
  // The spin stops at the cap too.
  CNewPdfDlg dlg;
  RunDialog(dlg, [&](CDialog* p) {
    Click(p, IDC_RADIO_CUSTOM);
    Type(p, IDC_EDIT_HEIGHT, L"199.5");
    lwmfc::SimulateSpin(Item(p, IDC_SPIN_HEIGHT), +1);
    lwmfc::SimulateSpin(Item(p, IDC_SPIN_HEIGHT), +1);
    Enter(p);
  });
  EXPECT_EQ(dlg.m_fHeight, 200.0f);
}

// ---------------------------------------------------------------------------------------------
// Looks: each dialog skinned in each theme.

TEST(NewPdfDlgGui, DialogsOpenSkinnedInEachThemeAndArePhotographed) {
  struct Theme {
    int id;
    const char* name;
  } themes[] = {{ID_THEME_OFFICE2010_BLUE, "blue"}, {ID_THEME_OFFICE2010_SILVER, "silver"},
                {ID_THEME_OFFICE2010_BLACK, "black"}};
  for (const Theme& t : themes) {
    SCOPED_TRACE(t.name);
    SetCurrentTheme(t.id);
    {
      CSkinFrameDlg<CNewPdfDlg> dlg;
      CQORPSkinManager* skins = CQORPSkinManager::Get();
      EXPECT_TRUE(skins->IsLoaded());
      EXPECT_EQ(skins->GetIniFileName(), DialogSkinSection(t.id));
      const CQORPSkinColors& colors = skins->GetColors();
      EXPECT_GE(Contrast(colors.GetColor(QORP_SKIN_STATIC_TEXT), colors.GetColor(QORP_SKIN_DIALOG_BACK)), 4.5);
      EXPECT_GE(Contrast(colors.GetColor(QORP_SKIN_GROUPBOX_TEXT), colors.GetColor(QORP_SKIN_DIALOG_BACK)), 4.5);
      COLORREF back = 0;
      RunDialog(dlg, [&](CDialog* p) {
        const wxColour c = p->GetWxWindow()->GetBackgroundColour();
        back = RGB(c.Red(), c.Green(), c.Blue());
        // Disabled edits and the disabled unit combo (preset mode) must stay readable.
        std::map<int, double> ink = {{IDC_EDIT_WIDTH, 0}, {IDC_EDIT_HEIGHT, 0}, {IDC_COMBO_UNITS, 0},
                                     {IDC_EDIT_PAGECOUNT, 0}};
        EXPECT_TRUE(Photograph(p, std::string("new-document-") + t.name, &ink));
        for (auto& [id, contrast] : ink) {
          SCOPED_TRACE(id);
          EXPECT_GE(contrast, 4.5);
        }
        CString caption;
        p->GetWindowText(caption);
        EXPECT_EQ(caption, L"New Document");
        p->EndDialog(IDCANCEL);
      });
      EXPECT_EQ(back, colors.GetColor(QORP_SKIN_DIALOG_BACK));
    }
    EXPECT_FALSE(CQORPSkinManager::Get()->IsLoaded());  // the frame unloaded it

    {
      CSkinFrameDlg<CEditParam1DlgEx> dlg(L"Custom Transparency", L"Transparency", L"", 255, 0, 128);
      RunDialog(dlg, [&](CDialog* p) {
        EXPECT_TRUE(Photograph(p, std::string("one-value-") + t.name));
        p->EndDialog(IDCANCEL);
      });
    }
    {
      // The About dialog: every text and link reads against the skin.
      CSkinFrameDlg<CAboutDlg> dlg;
      RunDialog(dlg, [&](CDialog* p) {
        std::map<int, double> ink = {{IDC_STATIC_PRODUCT, 0}, {IDC_STATIC_MAKER, 0}, {IDC_STATIC_VERSION, 0},
                                     {IDC_LINK_HOMEPAGE, 0},  {IDC_LINK_SALES, 0},   {IDC_STATIC_LICENCE, 0},
                                     {IDC_STATIC_CREDITS, 0}};
        EXPECT_TRUE(Photograph(p, std::string("about-") + t.name, &ink));
        for (auto& [id, contrast] : ink) {
          SCOPED_TRACE(id);
          EXPECT_GE(contrast, 4.5);
        }
        p->EndDialog(IDOK);
      });
    }
    {
      CSkinFrameDlg<CEditParam1DlgEx> dlg(L"Custom Width", L"Width", L"pt", 100, 0, 2);
      RunDialog(dlg, [&](CDialog* p) {
        EXPECT_TRUE(Photograph(p, std::string("one-value-unit-") + t.name));
        p->EndDialog(IDCANCEL);
      });
    }
  }
  SetCurrentTheme(ID_THEME_OFFICE2010_BLUE);
}

}  // namespace
