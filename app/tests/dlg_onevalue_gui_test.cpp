// The one-value dialogs (outline width, transparency, rotation) under Xvfb with a stand-in for the
// editing view: each previews on the routine its kind and the view's tool call for, the width in
// screen pixels; only values inside the bounds are previewed or accepted; however the dialog
// closes the preview ends first (restored, then dropped) and OK commits once; each dialog is
// photographed in each theme.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The toolkit's headers before the program's (the window layer's names come after them).
#include "DialogPhoto.h"
#include "GuiTestHarness.h"

#include <OneValueDlgs.h>
#include <QorpSkinManager.h>
#include <Themes.h>

namespace {

// The editing view as the dialogs see it: every call noted.
class CFakeView : public IOneValuePreview {
 public:
  bool bEditingText = false;
  std::vector<std::string> calls;
  bool IsEditingText() const override { return bEditingText; }
  void PreviewModifyShapeObjsStrokeWidth(float f) override {
    char s[32];
    std::snprintf(s, sizeof s, "width:%.3f", f);
    calls.emplace_back(s);
  }
  void PreviewModifyRenderObjsRotatedAngle(int n) override { Note("angle", n); }
  void PreviewEditingTextFilledTransparency(int n) override { Note("text-fill", n); }
  void PreviewRenderObjsFilledTransparency(int n) override { Note("objects-fill", n); }
  void PreviewEditingTextStrokenTransparency(int n) override { Note("text-stroke", n); }
  void PreviewRenderObjsStrokenTransparency(int n) override { Note("objects-stroke", n); }
  void RestorePrevScene() override { calls.emplace_back("restore"); }
  void DestroyPreviewScene() override { calls.emplace_back("destroy"); }

 private:
  void Note(const char* what, int n) { calls.push_back(std::string(what) + ":" + std::to_string(n)); }
};

CFakeView* g_view = nullptr;
IOneValuePreview* ActiveView() { return g_view; }

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

enum Kind { kWidth, kFill, kStroke, kAngle };
std::unique_ptr<CEditParam1DlgEx> Make(Kind kind, int value) {
  switch (kind) {
    case kWidth: return std::make_unique<CEditOutlineWidthDlg>(value);
    case kFill: return std::make_unique<CEditTransparencyDlg>(CEditTransparencyDlg::kFill, value);
    case kStroke: return std::make_unique<CEditTransparencyDlg>(CEditTransparencyDlg::kStroke, value);
    case kAngle: return std::make_unique<CEditRotatedAngleDlg>(value);
  }
  return nullptr;
}

void Type(CDialog* p, const wchar_t* text) { lwmfc::SimulateTyping(p->GetDlgItem(IDC_EDITPARAM1_VALUE), text); }
void Press(CDialog* p, int id) { p->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Runs the dialog as the commands do, with body inside it; the view's calls and the commits
// (as "commit:<value>") come back in one list.
struct Outcome {
  INT_PTR result;
  std::vector<std::string> calls;
};
Outcome RunAsCommand(CEditParam1DlgEx& dlg, CFakeView* view, std::function<void(CDialog*)> body) {
  g_view = view;
  g_boxes.clear();
  SetActivePreviewSource(&ActiveView);
  lwmfc::SetMessageBoxHook(&RecordBox);
  g_body = std::move(body);
  lwmfc::SetModalDialogHook(&RunBody);
  std::vector<std::string> commits;
  const INT_PTR r = RunOneValueDialog(dlg, [&](int v) {
    if (view) view->calls.push_back("commit:" + std::to_string(v));
    commits.push_back(std::to_string(v));
  });
  lwmfc::SetModalDialogHook(nullptr);
  lwmfc::SetMessageBoxHook(&guitest::UnexpectedMessageBox);
  SetActivePreviewSource(nullptr);
  g_view = nullptr;
  Outcome o{r, view ? view->calls : std::vector<std::string>{}};
  if (!view)
    for (const std::string& c : commits) o.calls.push_back("commit:" + c);
  return o;
}

using Calls = std::vector<std::string>;

TEST(OneValueDlgGui, EachDialogPreviewsThroughTheRoutineOfItsKindAndTheViewsTool) {
  struct Case {
    Kind kind;
    bool bEditingText;
    int value;
    const wchar_t* typed;
    Calls previews;
  } const cases[] = {
      // Points on the 96-dpi screen: 6 pt is 8 px, 12 pt 16 px (not 6 and 12).
      {kWidth, false, 6, L"12", {"width:8.000", "width:16.000"}},
      {kWidth, true, 3, L"0", {"width:4.000", "width:0.000"}},
      {kFill, true, 128, L"64", {"text-fill:128", "text-fill:64"}},
      {kFill, false, 128, L"64", {"objects-fill:128", "objects-fill:64"}},
      {kStroke, true, 0, L"255", {"text-stroke:0", "text-stroke:255"}},
      {kStroke, false, 0, L"255", {"objects-stroke:0", "objects-stroke:255"}},
      {kAngle, false, 45, L"90", {"angle:45", "angle:90"}},
      {kAngle, true, 359, L"0", {"angle:359", "angle:0"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << c.kind << (c.bEditingText ? ", editing text" : ""));
    CFakeView view;
    view.bEditingText = c.bEditingText;
    auto dlg = Make(c.kind, c.value);
    Calls whileOpen;
    const Outcome o = RunAsCommand(*dlg, &view, [&](CDialog* p) {
      Type(p, c.typed);
      whileOpen = view.calls;
      Press(p, IDCANCEL);
    });
    EXPECT_EQ(whileOpen, c.previews) << "the opening value, then each change";
    EXPECT_EQ(o.result, IDCANCEL);
  }
}

TEST(OneValueDlgGui, TextsAndBoundsOfTheThreeDialogs) {
  struct Case {
    Kind kind;
    const wchar_t *caption, *label, *unit;
    int lower, upper;
    std::string preview;  // the preview's name
  } const cases[] = {
      {kWidth, L"Custom Width", L"Width", L"pt", 0, 100, "width"},
      {kFill, L"Custom Transparency", L"Transparency", L"", 0, 255, "objects-fill"},
      {kAngle, L"Custom Rotation", L"Rotated Angle", L"", 0, 359, "angle"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.preview);
    CFakeView view;
    auto dlg = Make(c.kind, 1);
    CString caption, label, unit;
    const Outcome o = RunAsCommand(*dlg, &view, [&](CDialog* p) {
      p->GetWindowText(caption);
      p->GetDlgItemText(IDC_EDITPARAM1_LABEL, label);
      p->GetDlgItemText(IDC_EDITPARAM1_UNIT, unit);
      // Inside the bounds a value is previewed; one past either bound, or anything that is not
      // a whole number, is not.
      for (int v : {c.upper, c.upper + 1, c.lower, c.lower - 1}) Type(p, std::to_wstring(v).c_str());
      for (const wchar_t* bad : {L"1.5", L"12abc", L"", L"-", L"99999999999", L"0x10"}) Type(p, bad);
      Press(p, IDCANCEL);
    });
    EXPECT_EQ(caption, c.caption);
    EXPECT_EQ(label, c.label);
    EXPECT_EQ(unit, c.unit);
    Calls previews(o.calls.begin() + 1, o.calls.end() - 2);
    std::vector<std::string> expected;
    for (int v : {c.upper, c.lower}) {
      if (c.kind == kWidth) {
        char s[32];
        std::snprintf(s, sizeof s, "width:%.3f", v * 96.0 / 72.0);
        expected.emplace_back(s);
      } else {
        expected.push_back(c.preview + ":" + std::to_string(v));
      }
    }
    EXPECT_EQ(previews, expected);
  }
}

TEST(OneValueDlgGui, ThePreviewEndsHoweverTheDialogClosesAndOKCommitsOnce) {
  const std::string w8 = "width:8.000", w16 = "width:16.000", w4 = "width:4.000";
  struct Case {
    const char* what;
    std::function<void(CDialog*)> body;
    INT_PTR result;
    Calls calls;
    size_t boxes;
  } const cases[] = {
      {"Cancel after changes puts the value back",
       [](CDialog* p) {
         Type(p, L"12");
         Type(p, L"3");
         Press(p, IDCANCEL);
       },
       IDCANCEL,
       {w8, w16, w4, "restore", "destroy"},
       0},
      {"OK ends the preview, then commits the last value once",
       [](CDialog* p) {
         Type(p, L"12");
         Type(p, L"3");
         Press(p, IDOK);
       },
       IDOK,
       {w8, w16, w4, "restore", "destroy", "commit:3"},
       0},
      {"OK untouched commits the opening value",
       [](CDialog* p) { Press(p, IDOK); },
       IDOK,
       {w8, "restore", "destroy", "commit:6"},
       0},
      {"bad typing is never previewed nor accepted",
       [](CDialog* p) {
         Type(p, L"500");
         Press(p, IDOK);  // refused with the range message: the dialog stays
         Type(p, L"ten");
         Press(p, IDOK);  // refused again
         Press(p, IDCANCEL);
       },
       IDCANCEL,
       {w8, "restore", "destroy"},
       2},
      {"a refused value, then a good one",
       [](CDialog* p) {
         Type(p, L"101");
         Press(p, IDOK);
         Type(p, L"12");
         Press(p, IDOK);
       },
       IDOK,
       {w8, w16, "restore", "destroy", "commit:12"},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CFakeView view;
    CEditOutlineWidthDlg dlg(6);
    const Outcome o = RunAsCommand(dlg, &view, c.body);
    EXPECT_EQ(o.result, c.result);
    EXPECT_EQ(o.calls, c.calls);
    EXPECT_EQ(g_boxes.size(), c.boxes);
  }
}

TEST(OneValueDlgGui, WithoutAnEditingViewTheDialogStillOpensAndAnswers) {
  CEditTransparencyDlg dlg(CEditTransparencyDlg::kFill, 200);
  bool opened = false;
  const Outcome o = RunAsCommand(dlg, nullptr, [&](CDialog* p) {
    opened = p->IsWindowVisible() || p->GetSafeHwnd();
    Type(p, L"100");
    Press(p, IDOK);
  });
  EXPECT_TRUE(opened);
  EXPECT_EQ(o.result, IDOK);
  EXPECT_EQ(o.calls, (Calls{"commit:100"}));
}

TEST(OneValueDlgGui, EachDialogIsPhotographedInEachTheme) {
  struct Theme {
    int id;
    const char* name;
  } const themes[] = {{ID_THEME_OFFICE2010_BLUE, "blue"}, {ID_THEME_OFFICE2010_SILVER, "silver"},
                      {ID_THEME_OFFICE2010_BLACK, "black"}};
  struct Dialog {
    Kind kind;
    int value;
    const char* name;
  } const dialogs[] = {{kWidth, 2, "width"}, {kFill, 128, "transparency"}, {kAngle, 45, "rotation"}};
  for (const Theme& t : themes) {
    SetCurrentTheme(t.id);
    for (const Dialog& d : dialogs) {
      SCOPED_TRACE(std::string(t.name) + " " + d.name);
      CFakeView view;
      auto dlg = Make(d.kind, d.value);
      bool skinned = false;
      RunAsCommand(*dlg, &view, [&](CDialog* p) {
        skinned = CQORPSkinManager::Get()->IsLoaded() != FALSE;
        std::map<int, double> ink = {{IDC_EDITPARAM1_LABEL, 0}, {IDC_EDITPARAM1_VALUE, 0}};
        if (d.kind == kWidth) ink[IDC_EDITPARAM1_UNIT] = 0;
        EXPECT_TRUE(dlgphoto::Photograph(p, std::string("custom-") + d.name + "-" + t.name, &ink));
        for (auto& [id, contrast] : ink) {
          SCOPED_TRACE(id);
          EXPECT_GE(contrast, 4.5);
        }
        Press(p, IDCANCEL);
      });
      EXPECT_TRUE(skinned) << "the dialog opens in the theme's skin";
      EXPECT_FALSE(CQORPSkinManager::Get()->IsLoaded()) << "and lets it go";
    }
  }
  SetCurrentTheme(ID_THEME_OFFICE2010_BLUE);
}

}  // namespace
