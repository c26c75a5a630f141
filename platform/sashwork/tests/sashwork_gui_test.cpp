// The one-value dialog under Xvfb: edit, arrows and track bar follow each other, each new value
// is told once, and OK keeps a value inside the bounds.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <wx/slider.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include <EditParam1Dlg.h>

#include "GuiTestHarness.h"

namespace {

class CProbeDlg : public CEditParam1DlgEx {
 public:
  using CEditParam1DlgEx::CEditParam1DlgEx;
  std::vector<int> m_told;
  CSliderCtrl& Slider() { return m_slider; }
  CSpinButtonCtrl& Spin() { return m_spin; }

 protected:
  void OnParamChanged(int nNewValue) override { m_told.push_back(nNewValue); }
};

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

void Slide(CSliderCtrl& s, int pos) {
  wxSlider* w = static_cast<wxSlider*>(s.GetWxWindow());
  w->SetValue(pos);
  wxCommandEvent e(wxEVT_SLIDER, w->GetId());
  e.SetEventObject(w);
  e.SetInt(pos);
  w->ProcessWindowEvent(e);
}

void Arrow(CSpinButtonCtrl& s, int dir) {
  wxWindow* w = s.GetWxWindow();
  for (wxEventType t : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent m(t);
    m.m_x = w->GetClientSize().x / 2;
    m.m_y = dir > 0 ? 2 : w->GetClientSize().y - 3;
    w->ProcessWindowEvent(m);
  }
}

void Type(CDialog* p, const wchar_t* text) {
  static_cast<wxTextCtrl*>(p->GetDlgItem(IDC_EDITPARAM1_VALUE)->GetWxWindow())->SetValue(text);
}

TEST(SashworkGui, ControlsFollowEachOtherAndEachNewValueIsTold) {
  CProbeDlg dlg(L"Custom Width", L"Width", L"pt", 100, 0, 4);
  std::wstring caption, label, unit;
  std::vector<std::wstring> texts;
  std::vector<int> slider, spin;
  g_body = [&](CDialog* pDlg) {
    auto* p = static_cast<CProbeDlg*>(pDlg);
    CString s;
    p->GetWindowText(s);
    caption = s.GetString();
    p->GetDlgItemText(IDC_EDITPARAM1_LABEL, s);
    label = s.GetString();
    p->GetDlgItemText(IDC_EDITPARAM1_UNIT, s);
    unit = s.GetString();
    auto snap = [&] {
      CString t;
      p->GetDlgItemText(IDC_EDITPARAM1_VALUE, t);
      texts.push_back(t.GetString());
      slider.push_back(p->Slider().GetPos());
      spin.push_back(p->Spin().GetPos32());
    };
    snap();
    Type(p, L"50");
    snap();
    Slide(p->Slider(), 70);
    snap();
    Arrow(p->Spin(), +1);
    snap();
    Type(p, L"500");  // outside: nothing moves, nobody is told
    Type(p, L"x");
    snap();
    Slide(p->Slider(), 71);  // the same value again is not told
    Arrow(p->Spin(), -1);
    snap();
    p->EndDialog(IDOK);
  };
  lwmfc::SetModalDialogHook(&RunBody);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  lwmfc::SetModalDialogHook(nullptr);
  EXPECT_EQ(caption, L"Custom Width");
  EXPECT_EQ(label, L"Width");
  EXPECT_EQ(unit, L"pt");
  EXPECT_EQ(texts, (std::vector<std::wstring>{L"4", L"50", L"70", L"71", L"x", L"70"}));
  EXPECT_EQ(slider, (std::vector<int>{4, 50, 70, 71, 71, 70}));
  EXPECT_EQ(spin, (std::vector<int>{4, 50, 70, 71, 71, 70}));
  EXPECT_EQ(dlg.m_told, (std::vector<int>{50, 70, 71, 70}));
  EXPECT_EQ(dlg.m_nValue, 70);
}

TEST(SashworkGui, OKKeepsTheValueInsideTheBounds) {
  struct Case {
    int upper, lower, value;
    const wchar_t* typed;
    const wchar_t* message;
    int result;
  } cases[] = {
      {255, 0, 128, L"256", L"Please enter an integer between 0 and 255.", 20},
      {359, 0, 0, L"-1", L"Please enter an integer between 0 and 359.", 20},
      {100, 0, 1, L"ten", L"Please enter an integer.", 20},
      {0, 100, 500, nullptr, nullptr, 100},  // bounds swapped, value kept inside them
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.upper);
    g_boxes.clear();
    lwmfc::SetMessageBoxHook(&RecordBox);
    CProbeDlg dlg(L"Custom", L"Value", L"", c.upper, c.lower, c.value);
    bool stillOpen = false;
    g_body = [&](CDialog* p) {
      if (c.typed) {
        Type(p, c.typed);
        p->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        stillOpen = p->m_hWnd != nullptr && p->IsModal();
        Type(p, L"20");
      }
      p->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    };
    lwmfc::SetModalDialogHook(&RunBody);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    lwmfc::SetModalDialogHook(nullptr);
    lwmfc::SetMessageBoxHook(&guitest::UnexpectedMessageBox);
    EXPECT_EQ(dlg.m_nValue, c.result);
    if (c.message) {
      EXPECT_TRUE(stillOpen);
      ASSERT_EQ(g_boxes.size(), 1u);
      EXPECT_EQ(g_boxes[0], c.message);
    } else {
      EXPECT_TRUE(g_boxes.empty());
    }
  }
}

}  // namespace
