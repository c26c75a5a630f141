// Themes and skins under Xvfb: the three themes switch the status bar, docking panes and pop-up
// colours live (checked on screen), dialogs follow the loaded skin and let go of it, and the
// progress pane visibly advances while the user-interface thread is busy (two screenshots taken
// mid-operation, with no event delivered in between).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <QorpControls.h>
#include <QorpDockingPane.h>
#include <QorpDrawHelpers.h>
#include <QorpGallery.h>
#include <QorpGalleryWindows.h>
#include <QorpPaintManager.h>
#include <QorpRibbonBackstage.h>
#include <QorpSkinManager.h>
#include <QorpStatusBar.h>
#include <TestSupport.h>

#include "GuiTestHarness.h"

using namespace guitest;

namespace {

constexpr UINT WM_TEST_POSTED = WM_USER + 11;
// Where the program's folder would be; nothing is there, the themes are built in.
constexpr const wchar_t* kModule = L"/nonexistent/leafwright/Office2010.dll";
constexpr const wchar_t* kSkinFile = L"/nonexistent/leafwright/Office2010.cjstyles";

class CPostFrame : public CFrameWnd {
 public:
  int posted = 0;
  LRESULT OnPosted(WPARAM, LPARAM) {
    ++posted;
    return 0;
  }
  void OnHandled() {}  // commands with a handler, so that their pop-up entries are enabled
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPostFrame, CFrameWnd)
  ON_MESSAGE(WM_TEST_POSTED, &CPostFrame::OnPosted)
  ON_COMMAND(32771, &CPostFrame::OnHandled)
  ON_COMMAND(32773, &CPostFrame::OnHandled)
END_MESSAGE_MAP()

// The whole screen as the X server has it now, taken without running the event loop.
bool Screenshot(const lwtest::TempDir& dir, const char* pszName, wxImage& image) {
  const std::string path = (dir / pszName).string();
  const long rc = wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS);
  if (rc != 0) {
    std::fprintf(stderr, "import failed (%ld): is ImageMagick installed?\n", rc);
    return false;
  }
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  return image.LoadFile(path, wxBITMAP_TYPE_PNG);
}

COLORREF PixelAt(const wxImage& image, CPoint pt) {
  if (pt.x < 0 || pt.y < 0 || pt.x >= image.GetWidth() || pt.y >= image.GetHeight()) return 0xFFFFFFFF;  // off the screen
  return RGB(image.GetRed(pt.x, pt.y), image.GetGreen(pt.x, pt.y), image.GetBlue(pt.x, pt.y));
}

bool Near(COLORREF a, COLORREF b, int tol = 6) {
  return std::abs(GetRValue(a) - GetRValue(b)) <= tol && std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
         std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

// The share of the progress pane's track that is filled, read from a screenshot.
double ProgressFill(const wxImage& image, CWnd* pBar, const CQORPStatusBarPane* pPane) {
  const CRect r = pPane->GetRect(), pad = pPane->GetPadding();
  CPoint left(r.left + pad.left + 2, (r.top + r.bottom) / 2), right(r.right - pad.right - 2, left.y);
  pBar->ClientToScreen(&left);
  pBar->ClientToScreen(&right);
  int filled = 0;
  for (int x = left.x; x < right.x; ++x)
    if (Near(PixelAt(image, CPoint(x, left.y)), RGB(0x3C, 0xB3, 0x71))) ++filled;
  return static_cast<double>(filled) / std::max(right.x - left.x, 1);
}

class ThemedFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CPostFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Themes", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 420)));
    CRect rc;
    frame->GetClientRect(&rc);
    ASSERT_TRUE(site.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, rc.Width(), rc.Height() - CQORPStatusBar::kHeight),
                            frame, 1));
    ASSERT_TRUE(client.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &site, 2));
    ASSERT_TRUE(thumbs.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &site, 59649));
    ASSERT_TRUE(panes.InstallDockingPanes(&site));
    panes.SetClientWindow(&client);
    CQORPDockingPane* pane = panes.CreatePane(300, CRect(0, 0, 200, 120), QORP_PANE_DOCK_LEFT);
    ASSERT_NE(pane, nullptr);
    pane->SetTitle(L"Thumbnail");
    ASSERT_TRUE(pane->Attach(&thumbs));
    bar = new CQORPStatusBar;
    ASSERT_TRUE(bar->Create(frame));
    bar->AddPane(QORP_STATUS_PANE_TEXT, 1020)->SetText(L"Page: 1 of 1");
    auto* pProgress = static_cast<CQORPStatusBarProgressPane*>(bar->AddPane(QORP_STATUS_PANE_PROGRESS, 1022));
    pProgress->SetWidth(400);
    pProgress->SetPadding(3, 0, 3, 0);
    bar->AddPane(QORP_STATUS_PANE_STRETCH, 0)->SetWidth(1);
    ASSERT_TRUE(PumpUntil([&] { return bar->GetWxWindow()->IsShownOnScreen() && thumbs.GetWxWindow()->IsShownOnScreen(); }));
    PumpUntil([] { return false; }, 100);
  }
  void TearDown() override {
    CQORPResourceTheme::SetImageHandle(kModule, kQorpThemeBlue);
    if (bar->m_hWnd) bar->DestroyWindow();
    delete bar;
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpUntil([] { return false; }, 20);
    delete frame;
  }
  CPostFrame* frame = nullptr;
  CWnd site, client, thumbs;
  CQORPDockingPaneManager panes;
  CQORPStatusBar* bar = nullptr;
  lwtest::TempDir shots;
};

TEST_F(ThemedFrame, ThreeThemesSwitchLive) {
  struct Theme {
    const wchar_t* pszIni;
    const char* pszShot;
  } themes[] = {
      {kQorpThemeSilver, "silver.png"},
      {kQorpThemeBlack, "black.png"},
      {kQorpThemeBlue, "blue.png"},
      {kQorpThemeBlack, "black-again.png"},  // the same theme twice in a row still applies
  };
  COLORREF seen[4];
  int n = 0;
  for (const Theme& t : themes) {
    SCOPED_TRACE(t.pszShot);
    std::string text;
    ASSERT_TRUE(CQORPResourceTheme::LoadThemeText(kModule, t.pszIni, text));
    CQORPThemeColors want;
    ASSERT_TRUE(want.Parse(text));
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, t.pszIni));
    // At once, without a trip through the event loop.
    EXPECT_EQ(bar->GetBackColor(), want.GetColor(QORP_CLR_STATUSBAR_BACK));
    EXPECT_EQ(bar->GetTextColor(), want.GetColor(QORP_CLR_STATUSBAR_TEXT));
    EXPECT_EQ(panes.GetBackColor(), want.GetColor(QORP_CLR_DOCKING_PANE));
    for (int c : {QORP_CLR_POPUP_BACK, QORP_CLR_GALLERY_LABEL_BAND, QORP_CLR_WORD_PANE_BACKGROUND, QORP_CLR_SELECTED_FILL})
      EXPECT_EQ(CQORPPaintManager::Get()->GetColor(c), want.GetColor(c)) << CQORPThemeColors::GetKeyName(c);
    // And on screen: the empty stretch pane shows the bar's background.
    bar->RedrawNow(TRUE);
    wxImage shot;
    ASSERT_TRUE(Screenshot(shots, t.pszShot, shot));
    const CRect rcStretch = bar->FindPane(0)->GetRect();
    CPoint pt(rcStretch.CenterPoint().x, rcStretch.top + 4);
    bar->ClientToScreen(&pt);
    seen[n++] = PixelAt(shot, pt);
    EXPECT_TRUE(Near(seen[n - 1], want.GetColor(QORP_CLR_STATUSBAR_BACK), 2))
        << std::hex << seen[n - 1] << " on screen, want " << want.GetColor(QORP_CLR_STATUSBAR_BACK);
  }
  EXPECT_NE(seen[0], seen[1]);
  EXPECT_NE(seen[1], seen[2]);
  // An unknown theme keeps the colours on screen and in the panes.
  EXPECT_FALSE(CQORPResourceTheme::SetImageHandle(kModule, L"OFFICE2013WHITE.INI"));
  EXPECT_EQ(bar->GetBackColor(), RGB(0x3A, 0x3A, 0x3A));
}

TEST_F(ThemedFrame, DisabledPaneTextStaysReadableInEachTheme) {
  // Solid blocks, so that whole pixels carry the text colour.
  CQORPStatusBarPane* pDim = bar->AddPane(QORP_STATUS_PANE_TEXT, 1021);
  pDim->SetText(L"\u2588\u2588\u2588");
  pDim->SetEnabled(FALSE);
  bar->RecalcLayout();
  for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack}) {
    SCOPED_TRACE(wxString(ini).ToStdString());
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, ini));
    bar->RedrawNow(TRUE);
    wxImage shot;
    ASSERT_TRUE(Screenshot(shots, "dimmed.png", shot));
    const CRect r = pDim->GetRect();
    double best = 1.0;
    COLORREF strongest = bar->GetBackColor();
    for (int y = r.top + 2; y < r.bottom - 2; ++y)
      for (int x = r.left + 2; x < r.right - 2; ++x) {
        CPoint pt(x, y);
        bar->ClientToScreen(&pt);
        const COLORREF c = PixelAt(shot, pt);
        if (c == 0xFFFFFFFF) continue;
        const double k = CQORPDrawHelpers::ContrastRatio(c, bar->GetBackColor());
        if (k > best) best = k, strongest = c;
      }
    EXPECT_GE(best, 4.5) << std::hex << strongest << " on " << bar->GetBackColor();
    EXPECT_LT(best, CQORPDrawHelpers::ContrastRatio(bar->GetTextColor(), bar->GetBackColor()) - 0.5)
        << "a disabled pane still looks dimmed";
  }
}

// Every caption reads at 4.5:1 or more against what it is drawn on, in each theme, measured on the
// screen: the strongest pixel inside the caption's strip against the strip's own background.
TEST_F(ThemedFrame, EveryCaptionReadsAgainstItsBackgroundOnScreenInEachTheme) {
  CQORPCommandBars bars;
  auto* owner = static_cast<CQORPControlButton*>(bars.AddBar()->Add(std::make_unique<CQORPControlButton>(32770, QORP_CONTROL_POPUP)));
  owner->GetCommandBar()->Add(std::make_unique<CQORPControlButton>(32771))->SetCaption(L"\u2588\u2588\u2588 Enabled");
  CQORPControl* pOff = owner->GetCommandBar()->Add(std::make_unique<CQORPControlButton>(32772));
  pOff->SetCaption(L"\u2588\u2588\u2588 Disabled");
  pOff->SetEnabled(FALSE);
  // A font-size-like list: a label band, then the sizes.
  CQORPControlGalleryItems sizes;
  sizes.SetItemSize(CSize(0, 17));
  sizes.AddLabel(L"\u2588\u2588\u2588 Sizes");
  for (const wchar_t* sz : {L"\u2588\u2588 8", L"\u2588\u2588 9", L"\u2588\u2588 10"}) sizes.AddItem(sz);
  auto* sizeOwner =
      static_cast<CQORPControlButton*>(bars.GetAt(0)->Add(std::make_unique<CQORPControlButton>(32773, QORP_CONTROL_POPUP)));
  auto pSizes = std::make_unique<CQORPControlGallery>(32773);
  pSizes->SetItems(&sizes);
  pSizes->SetControlSize(CSize(90, 80));
  auto* sizeList = static_cast<CQORPControlGallery*>(sizeOwner->GetCommandBar()->Add(std::move(pSizes)));
  // A disabled spin edit's label, on the bar's colour (the ribbon's colour button is measured
  // with the ribbon).
  auto* edit = static_cast<CQORPControlEdit*>(bars.GetAt(0)->Add(std::make_unique<CQORPControlEdit>(32774)));
  edit->SetLabel(L"\u2588\u2588\u2588:");
  edit->ShowSpinButtons();
  edit->SetEnabled(FALSE);
  wxWindow* spin = QORPCreateSpinEditWindow(edit, client.GetWxWindow(), 153);
  ASSERT_NE(spin, nullptr);
  spin->Move(60, 250);
  // The window draws its control, which the bar owns: it goes before the bar does.
  struct DestroyFirst {
    std::vector<wxWindow*> windows;
    ~DestroyFirst() {
      for (wxWindow* w : windows) w->Destroy();
    }
  } destroyFirst{{spin}};
  ASSERT_TRUE(PumpUntil([&] { return spin->IsShownOnScreen(); }));
  CQORPBackstageView backstage;
  ASSERT_TRUE(backstage.Create(frame, &bars));
  CQORPControl* pNew = backstage.AddCommand(57600);
  for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack}) {
    SCOPED_TRACE(wxString(ini).ToStdString());
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, ini));
    const CQORPPaintManager* pm = CQORPPaintManager::Get();
    // A disabled command of the backstage column, on the column's colour.
    backstage.ShowBackstage(TRUE);
    pNew->SetEnabled(FALSE);
    backstage.RefreshItems();
    ASSERT_TRUE(PumpUntil([&] { return backstage.GetWxWindow()->IsShownOnScreen(); }));
    PumpUntil([] { return false; }, 100);
    ASSERT_FALSE(pNew->GetCaption().IsEmpty());
    CRect rcNew = backstage.GetItemRect(0);
    backstage.ClientToScreen(&rcNew);
    rcNew.DeflateRect(2, 2);
    wxImage stage;
    ASSERT_TRUE(Screenshot(shots, "backstage.png", stage));
    backstage.ShowBackstage(FALSE);
    PumpUntil([] { return false; }, 30);

    CRect rcAnchor(520, 60, 560, 80);
    frame->ClientToScreen(&rcAnchor);
    ASSERT_TRUE(QORPOpenPopupBar(owner, frame->GetWxWindow(), rcAnchor));
    ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
    PumpUntil([] { return false; }, 150);
    const wxRect popup = QORPGetOpenPopupWindow()->GetScreenRect();
    wxImage shot;
    ASSERT_TRUE(Screenshot(shots, "captions.png", shot));
    QORPClosePopupBar();
    PumpUntil([] { return false; }, 30);
    ASSERT_TRUE(QORPOpenPopupBar(sizeOwner, frame->GetWxWindow(), rcAnchor));
    ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
    PumpUntil([] { return false; }, 150);
    CRect rcBand = QORPGetPopupItemRect(sizeList, 0), rcSize = QORPGetPopupItemRect(sizeList, 1);
    rcBand.DeflateRect(1, 1);
    rcBand.bottom -= 1;  // above the band's rule
    rcSize.DeflateRect(1, 1);
    wxImage list;
    ASSERT_TRUE(Screenshot(shots, "sizes.png", list));
    QORPClosePopupBar();
    PumpUntil([] { return false; }, 30);

    spin->Refresh();
    PumpUntil([] { return false; }, 60);
    const wxRect rcSpin = spin->GetScreenRect();
    wxImage bar;
    ASSERT_TRUE(Screenshot(shots, "bar.png", bar));

    // The docking pane's caption: the rows just above its window that carry the caption colour.
    const wxRect pane = thumbs.GetWxWindow()->GetScreenRect();
    const COLORREF caption = pm->GetColor(QORP_CLR_DOCK_CAPTION_ACTIVE);
    CRect rcCaption(pane.x + 1, 0, pane.x + pane.width / 2, 0);
    for (int y = pane.y - 1; y > pane.y - 40 && y >= 0; --y)
      if (Near(PixelAt(shot, CPoint(pane.x + pane.width * 3 / 5, y)), caption, 2)) {
        if (rcCaption.bottom == 0) rcCaption.bottom = y + 1;
        rcCaption.top = y;
      } else if (rcCaption.bottom) {
        break;
      }
    ASSERT_GT(rcCaption.Height(), 8) << "the pane caption is on the screen";
    const int half = popup.height / 2;
    const struct Strip {
      const char* name;
      CRect rc;
      COLORREF back;
      const wxImage* shot = nullptr;
    } strips[] = {
        {"dock caption", rcCaption, caption},
        {"pop-up button", CRect(popup.x + 26, popup.y + 3, popup.GetRight() - 4, popup.y + half - 1), pm->GetColor(QORP_CLR_POPUP_BACK)},
        {"disabled pop-up button", CRect(popup.x + 26, popup.y + half + 1, popup.GetRight() - 4, popup.GetBottom() - 3),
         pm->GetColor(QORP_CLR_POPUP_BACK)},
        {"disabled backstage command", rcNew, pm->GetColor(QORP_CLR_BACKSTAGE_ACCENT), &stage},
        {"size list label", rcBand, pm->GetColor(QORP_CLR_GALLERY_LABEL_BAND), &list},
        {"size list entry", rcSize, RGB(255, 255, 255), &list},
        {"disabled spin-edit label", CRect(rcSpin.x + 1, rcSpin.y + 2, rcSpin.x + 30, rcSpin.GetBottom() - 2),
         pm->GetColor(QORP_CLR_RIBBON_PRIMARY), &bar},
    };
    double strength[8] = {};
    for (const Strip& s : strips) {
      double best = 1.0;
      COLORREF strongest = s.back;
      for (int y = s.rc.top; y < s.rc.bottom; ++y)
        for (int x = s.rc.left; x < s.rc.right; ++x) {
          const COLORREF c = PixelAt(s.shot ? *s.shot : shot, CPoint(x, y));
          if (c == 0xFFFFFFFF) continue;
          const double k = CQORPDrawHelpers::ContrastRatio(c, s.back);
          if (k > best) best = k, strongest = c;
        }
      EXPECT_GE(best, 4.5) << s.name << ": " << std::hex << strongest << " on " << s.back;
      strength[&s - strips] = best;
    }
    EXPECT_GT(strength[1], strength[2] + 0.5) << "a disabled button still looks dimmed";
  }
}

// The page-navigation buttons (icon-button panes that carry an arrow as their text) stand out in
// every theme: each has a solid mark of pixels at 4.5:1 or more against the bar, whole strokes
// rather than a faint anti-aliased hairline.
TEST_F(ThemedFrame, NavigationButtonsAreClearlyVisibleInEachTheme) {
  const wchar_t* arrows[] = {L"\u00AB", L"\u2039", L"\u203A", L"\u00BB"};
  std::vector<CQORPStatusBarPane*> buttons;
  for (int i = 0; i < 4; ++i) {
    CQORPStatusBarPane* p = bar->AddPane(QORP_STATUS_PANE_ICON_BUTTON, 32915 + i);
    p->SetText(arrows[i]);
    p->SetPadding(4, 0, 4, 0);
    buttons.push_back(p);
  }
  bar->RecalcLayout();
  for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack}) {
    SCOPED_TRACE(wxString(ini).ToStdString());
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, ini));
    bar->RedrawNow(TRUE);
    wxImage shot;
    ASSERT_TRUE(Screenshot(shots, "navigation.png", shot));
    for (int i = 0; i < 4; ++i) {
      const CRect r = buttons[i]->GetRect();
      ASSERT_FALSE(r.IsRectEmpty());
      int strong = 0;
      for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
          CPoint pt(x, y);
          bar->ClientToScreen(&pt);
          const COLORREF c = PixelAt(shot, pt);
          if (c != 0xFFFFFFFF && CQORPDrawHelpers::ContrastRatio(c, bar->GetBackColor()) >= 4.5) ++strong;
        }
      EXPECT_GE(strong, 20) << "button " << i << ": " << strong << " pixels at 4.5:1";
    }
  }
}

TEST_F(ThemedFrame, ProgressAdvancesOnScreenDuringABusyOperation) {
  auto* pProgress = static_cast<CQORPStatusBarProgressPane*>(bar->FindPane(1022));
  pProgress->SetPos(0);
  ASSERT_TRUE(frame->PostMessage(WM_TEST_POSTED));
  struct Shot {
    int nAt;
    const char* pszName;
    double fFill = -1;
  } shotsAt[] = {{30, "progress-30.png"}, {70, "progress-70.png"}};
  for (int i = 1; i <= 100; ++i) {  // the operation: busy on this thread, no event loop
    pProgress->SetPos(i);
    bar->RedrawNow(FALSE);
    for (Shot& s : shotsAt) {
      if (s.nAt != i) continue;
      bar->RedrawNow(TRUE);
      wxImage image;
      ASSERT_TRUE(Screenshot(shots, s.pszName, image));
      s.fFill = ProgressFill(image, bar, pProgress);
    }
  }
  EXPECT_EQ(frame->posted, 0) << "nothing but paint ran during the operation";
  EXPECT_NEAR(shotsAt[0].fFill, 0.30, 0.05);
  EXPECT_NEAR(shotsAt[1].fFill, 0.70, 0.05);
  EXPECT_GT(shotsAt[1].fFill, shotsAt[0].fFill + 0.3) << "the bar visibly advanced";
  EXPECT_TRUE(PumpUntil([&] { return frame->posted == 1; }));
}

wxColour Wx(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

struct TestDialog {
  wxDialog* dlg;
  wxStaticText* label;
  wxStaticBox* box;
  wxTextCtrl* edit;
  wxButton* ok;
  TestDialog() {
    dlg = new wxDialog(nullptr, wxID_ANY, "Skinned", wxPoint(40, 40), wxSize(360, 220));
    label = new wxStaticText(dlg, wxID_ANY, "Pages:", wxPoint(10, 12));
    edit = new wxTextCtrl(dlg, wxID_ANY, "1", wxPoint(90, 8), wxSize(80, -1));
    box = new wxStaticBox(dlg, wxID_ANY, "Size", wxPoint(10, 50), wxSize(200, 90));
    ok = new wxButton(dlg, wxID_OK, "OK", wxPoint(250, 150));
  }
  ~TestDialog() { dlg->Destroy(); }
  bool Skinned(const CQORPSkinColors& c) const {
    return dlg->UseBgCol() && dlg->GetBackgroundColour() == Wx(c.GetColor(QORP_SKIN_DIALOG_BACK)) &&
           label->GetForegroundColour() == Wx(c.GetColor(QORP_SKIN_STATIC_TEXT)) &&
           box->GetForegroundColour() == Wx(c.GetColor(QORP_SKIN_GROUPBOX_TEXT));
  }
  bool Plain() const { return !dlg->UseBgCol() && !label->UseForegroundColour() && !box->UseForegroundColour(); }
  bool NativeLeftAlone() const {
    return !edit->UseBgCol() && !edit->UseForegroundColour() && !ok->UseBgCol() && !ok->UseForegroundColour();
  }
};

TEST(SkinGui, DialogsFollowTheSkinAndLetGo) {
  CQORPSkinManager* skins = CQORPSkinManager::Get();
  lwtest::TempDir shots;
  {
    // A skinned dialog: the skin is loaded as it is built, then it is shown.
    ASSERT_TRUE(skins->LoadSkin(kSkinFile, kQorpSkinBlue));
    const CQORPSkinColors blue = skins->GetColors();
    TestDialog d;
    EXPECT_TRUE(d.Plain()) << "nothing is recoloured before it shows";
    d.dlg->Show();
    ASSERT_TRUE(PumpUntil([&] { return d.dlg->IsShownOnScreen(); }));
    EXPECT_TRUE(d.Skinned(blue));
    EXPECT_TRUE(d.NativeLeftAlone());

    // Live switch while the dialog is open.
    ASSERT_TRUE(skins->LoadSkin(kSkinFile, kQorpSkinBlack));
    const CQORPSkinColors black = skins->GetColors();
    EXPECT_TRUE(d.Skinned(black));
    EXPECT_TRUE(d.NativeLeftAlone());
    PumpUntil([] { return false; }, 150);
    wxImage shot;
    ASSERT_TRUE(Screenshot(shots, "dialog-black.png", shot));
    const wxPoint corner = d.dlg->ClientToScreen(wxPoint(300, 20));  // clear of every child
    const CPoint pt(corner.x, corner.y);
    EXPECT_TRUE(Near(PixelAt(shot, pt), black.GetColor(QORP_SKIN_DIALOG_BACK), 2))
        << std::hex << PixelAt(shot, pt) << " on screen";

    // The dialog ends: the skin is unloaded and the colours go back to the desktop's.
    EXPECT_TRUE(skins->LoadSkin(L"", L""));
    EXPECT_TRUE(d.Plain());
  }
  {
    // Without a skin a dialog stays plain; a skin loaded while it is open reaches it.
    TestDialog d;
    d.dlg->Show();
    ASSERT_TRUE(PumpUntil([&] { return d.dlg->IsShownOnScreen(); }));
    EXPECT_TRUE(d.Plain());
    ASSERT_TRUE(skins->LoadSkin(kSkinFile, kQorpSkinSilver));
    EXPECT_TRUE(d.Skinned(skins->GetColors()));
    // A skin that cannot be loaded leaves dialogs unskinned.
    EXPECT_FALSE(skins->LoadSkin(L"/nonexistent/leafwright/Missing.cjstyles", kQorpSkinSilver));
    EXPECT_TRUE(d.Plain());
  }
  PumpUntil([] { return false; }, 20);
}

}  // namespace
