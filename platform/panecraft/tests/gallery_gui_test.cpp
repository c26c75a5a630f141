// Galleries under Xvfb with real pointer and key input: the hover preview on a test view (4115
// on each new item, 4113 when highlighting ends, 4113 then 100 on a pick), Esc and a click
// outside, keyboard navigation, the ribbon's colour split button following the picked colour at
// the next idle pass, the font combo with hundreds of faces (scrolling, auto-complete, pick), and the spin
// edit's arrows, Enter and focus loss reaching ON_NOTIFY handlers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/combo.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/utils.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <QorpControls.h>
#include <QorpGallery.h>
#include <QorpGalleryWindows.h>
#include <QorpDrawHelpers.h>
#include <QorpPaintManager.h>
#include <QorpRibbon.h>
#include <QorpSkinManager.h>
#include <TestSupport.h>

#include "GuiTestHarness.h"
#include "popup_seam.h"
#include "ribbon_internal.h"

using namespace guitest;

namespace {

constexpr UINT kFillButton = 32777, kFillGallery = 32791, kMoreFill = 32908;
constexpr UINT kFontCombo = 110, kFontGallery = 101, kSpacing = 130;
constexpr UINT kRoundRect = 32891, kRoundness = 1003;
constexpr COLORREF kStartFill = RGB(0, 128, 0);

// Everything the frame and the view saw, in order.
struct Event {
  UINT nMessage;  // QORP_WM_GALLERYNOTIFY, WM_NOTIFY or WM_COMMAND
  UINT nCode;
  UINT nId;
  int nSelected;     // the gallery's GetSelectedItem() as the handler saw it (-2: not a gallery)
  bool bPopupOpen;   // whether a pop-up window was still open then
  int nStep;
  std::wstring strText;
};

// A swatch: fills its rectangle with its colour (the id), frames the highlighted one.
class CTestSwatch : public CQORPControlGalleryItem {
 public:
  void Draw(CDC* pDC, CQORPControlGallery*, CRect rc, BOOL, BOOL bSelected, BOOL, BOOL bChecked) override {
    auto* dc = dynamic_cast<CQORPGalleryDC*>(pDC);
    ASSERT_NE(dc, nullptr);
    dc->FillSolidRect(CRect(rc.left + 2, rc.top + 2, rc.right - 2, rc.bottom - 2), static_cast<COLORREF>(GetID()));
    if (bSelected) dc->FrameRect(rc, RGB(242, 148, 54));
    else if (bChecked) dc->FrameRect(rc, RGB(239, 72, 16));
  }
};

class CPageView : public CView {
 public:
  std::vector<Event>* pLog = nullptr;
  COLORREF fill = kStartFill;     // the committed fill
  COLORREF shown = kStartFill;    // what the page shows (the preview while one is on)
  bool bPreview = false;
  double spacing = 0;
  bool bSpacingDisabled = false;

  void OnDraw(CDC*) override {}
  void Preview(COLORREF clr) {
    shown = clr;
    bPreview = true;
  }
  void Restore() {
    shown = fill;
    bPreview = false;
  }
  void Log(UINT nCode, NMHDR* pHdr, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMQORPCONTROL*>(pHdr);
    auto* g = dynamic_cast<CQORPControlGallery*>(nm->pControl);
    std::wstring text;
    if (auto* e = dynamic_cast<CQORPControlEdit*>(nm->pControl)) text = e->GetEditText().GetString();
    if (auto* c = dynamic_cast<CQORPControlComboBox*>(nm->pControl)) text = c->GetEditText().GetString();
    pLog->push_back(Event{WM_NOTIFY, nCode, static_cast<UINT>(pHdr->idFrom), g ? g->GetSelectedItem() : -2,
                          QORPGetOpenPopupWindow() != nullptr, nm->nStep, text});
    *pResult = 1;
  }
  void OnFillGallery(NMHDR* pHdr, LRESULT* pResult) {
    Log(QORP_CN_EXECUTE, pHdr, pResult);
    auto* g = dynamic_cast<CQORPControlGallery*>(reinterpret_cast<NMQORPCONTROL*>(pHdr)->pControl);
    if (!g) return;
    if (const CQORPControlGalleryItem* p = g->GetItem(g->GetSelectedItem())) fill = shown = static_cast<COLORREF>(p->GetID());
  }
  void OnFont(NMHDR* pHdr, LRESULT* pResult) { Log(QORP_CN_EXECUTE, pHdr, pResult); }
  void OnRoundness(NMHDR* pHdr, LRESULT* pResult) {
    Log(QORP_CN_EXECUTE, pHdr, pResult);
    if (auto* p = dynamic_cast<CQORPControlScrollBar*>(reinterpret_cast<NMQORPCONTROL*>(pHdr)->pControl)) roundness = p->GetPos();
  }
  int roundness = -1;
  // The spinner handler: the text as a number plus the step, written back.
  void OnSpin(UINT nCode, NMHDR* pHdr, LRESULT* pResult) {
    Log(nCode, pHdr, pResult);
    auto* e = dynamic_cast<CQORPControlEdit*>(reinterpret_cast<NMQORPCONTROL*>(pHdr)->pControl);
    if (!e) return;
    CString s;
    s.Format(L"%f", std::wcstod(e->GetEditText().GetString(), nullptr) + reinterpret_cast<NMQORPCONTROL*>(pHdr)->nStep);
    e->SetEditText(s);
  }
  void OnSpinUp(NMHDR* pHdr, LRESULT* pResult) { OnSpin(QORP_CN_SPINUP, pHdr, pResult); }
  void OnSpinDown(NMHDR* pHdr, LRESULT* pResult) { OnSpin(QORP_CN_SPINDOWN, pHdr, pResult); }
  void OnSpacing(NMHDR* pHdr, LRESULT* pResult) {
    Log(QORP_CN_EXECUTE, pHdr, pResult);
    spacing = std::wcstod(reinterpret_cast<CQORPControlEdit*>(reinterpret_cast<NMQORPCONTROL*>(pHdr)->pControl)
                              ->GetEditText()
                              .GetString(),
                          nullptr);
  }
  void OnMoreColors() { pLog->push_back(Event{WM_COMMAND, 0, kMoreFill, -2, QORPGetOpenPopupWindow() != nullptr, 0, {}}); }
  void OnFillButton() { pLog->push_back(Event{WM_COMMAND, 0, kFillButton, -2, false, 0, {}}); }
  // The colour button shows the current fill; the gallery checks it.
  void OnUpdateFill(CCmdUI* pCmdUI) {
    if (auto* p = dynamic_cast<CQORPControlPopupColor*>(CQORPControl::FromUI(pCmdUI))) p->SetColor(fill);
    pCmdUI->Enable(TRUE);
  }
  void OnUpdateFillGallery(CCmdUI* pCmdUI) {
    if (auto* g = dynamic_cast<CQORPControlGallery*>(CQORPControl::FromUI(pCmdUI))) g->SetCheckedItem(static_cast<int>(fill));
    pCmdUI->Enable(TRUE);
  }
  void OnUpdateSpacing(CCmdUI* pCmdUI) { pCmdUI->Enable(!bSpacingDisabled); }
  void OnUpdateEnable(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPageView, CView)
  ON_UPDATE_COMMAND_UI(kSpacing, &CPageView::OnUpdateSpacing)
  ON_UPDATE_COMMAND_UI(kFontGallery, &CPageView::OnUpdateEnable)
  ON_NOTIFY(QORP_CN_EXECUTE, kFillGallery, &CPageView::OnFillGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, kFontCombo, &CPageView::OnFont)
  ON_NOTIFY(QORP_CN_EXECUTE, kRoundness, &CPageView::OnRoundness)
  ON_NOTIFY(QORP_CN_SPINUP, kSpacing, &CPageView::OnSpinUp)
  ON_NOTIFY(QORP_CN_SPINDOWN, kSpacing, &CPageView::OnSpinDown)
  ON_NOTIFY(QORP_CN_EXECUTE, kSpacing, &CPageView::OnSpacing)
  ON_COMMAND(kMoreFill, &CPageView::OnMoreColors)
  ON_COMMAND(kFillButton, &CPageView::OnFillButton)
  ON_UPDATE_COMMAND_UI(kFillButton, &CPageView::OnUpdateFill)
  ON_UPDATE_COMMAND_UI(kFillGallery, &CPageView::OnUpdateFillGallery)
END_MESSAGE_MAP()

// The frame relays gallery hover to the active view, as the program's frame does.
class CGalleryFrame : public CFrameWnd {
 public:
  std::vector<Event> log;
  CPageView* pView = nullptr;
  LRESULT OnGalleryNotify(WPARAM wParam, LPARAM lParam) {
    auto* nm = reinterpret_cast<NMQORPCONTROL*>(lParam);
    auto* g = dynamic_cast<CQORPControlGallery*>(nm->pControl);
    log.push_back(Event{QORP_WM_GALLERYNOTIFY, static_cast<UINT>(wParam), static_cast<UINT>(nm->hdr.idFrom),
                        g ? g->GetSelectedItem() : -2, QORPGetOpenPopupWindow() != nullptr, 0, {}});
    if (!pView || !g) return 0;
    if (wParam == QORP_GN_HIGHLIGHT && g->GetID() == static_cast<int>(kFillGallery)) {
      if (const CQORPControlGalleryItem* p = g->GetItem(g->GetSelectedItem())) pView->Preview(static_cast<COLORREF>(p->GetID()));
    } else if (wParam == QORP_GN_HIGHLIGHTEND) {
      pView->Restore();
    }
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CGalleryFrame, CFrameWnd)
  ON_MESSAGE(QORP_WM_GALLERYNOTIFY, &CGalleryFrame::OnGalleryNotify)
END_MESSAGE_MAP()

void PumpFor(int ms) { PumpUntil([] { return false; }, ms); }

wxPoint Centre(const CRect& rc) { return wxPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2); }

// Moves the real pointer there and lets the events arrive.
void MoveTo(const wxPoint& pt) {
  wxUIActionSimulator sim;
  sim.MouseMove(pt);
  PumpFor(60);
}

void ClickAt(const wxPoint& pt) {
  wxUIActionSimulator sim;
  sim.MouseMove(pt);
  PumpFor(40);
  sim.MouseClick();
  PumpFor(60);
}

class GalleryGui : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CGalleryFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Galleries", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 700)));
    view = new CPageView;
    view->pLog = &frame->log;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 300, 900, 680), frame, AFX_IDW_PANE_FIRST));
    frame->SetActiveView(view);
    frame->pView = view;

    // The colour collection: "Theme Colors", 6 rows of 10, "Standard Colors", 10.
    colours.SetItemSize(CSize(17, 13));
    colours.AddLabel(L"Theme Colors");
    const int heights[6] = {17, 15, 13, 13, 13, 15};
    for (int row = 0; row < 6; ++row)
      for (int col = 0; col < 10; ++col)
      {
        CQORPControlGalleryItem* p =
            colours.AddItem(std::make_unique<CTestSwatch>(), static_cast<int>(RGB(20 * col + 10, 30 * row + 5, 99)));
        p->SetSize(CSize(17, heights[row]));
        p->SetToolTip((L"Swatch " + std::to_wstring(row * 10 + col)).c_str());
      }
    colours.AddLabel(L"Standard Colors");
    const COLORREF standard[10] = {RGB(192, 0, 0),   RGB(255, 0, 0),   RGB(255, 192, 0), RGB(255, 255, 0),
                                   RGB(146, 208, 80), RGB(0, 176, 80), RGB(0, 176, 240), RGB(0, 112, 192),
                                   RGB(0, 32, 96),   RGB(112, 48, 160)};
    for (COLORREF c : standard) colours.AddItem(std::make_unique<CTestSwatch>(), static_cast<int>(c))->SetSize(CSize(17, 17));

    bars.AddBar();  // a plain bar first, for the tests' own controls
    // The colour split button as the program has it: in a ribbon group.
    ASSERT_TRUE(ribbon.Create(frame, &bars));
    CQORPRibbonGroup* pGroup = ribbon.AddTab(L"Home")->AddGroup(L"Shape");
    fillButton = static_cast<CQORPControlPopupColor*>(pGroup->Add(std::make_unique<CQORPControlPopupColor>(kFillButton)));
    fillButton->SetCaption(L"Filled Color");
    QORPFillPopupColorBar(fillButton, kFillGallery, &colours, CSize(171, 145), kMoreFill, L"More Filled Colors");
    fillGallery = static_cast<CQORPControlGallery*>(fillButton->GetCommandBar()->GetAt(1));
    ribbon.RecalcLayout();
    // The frame's idle pass, as the application's idle time runs it.
    frame->GetWxWindow()->Bind(wxEVT_IDLE, [this](wxIdleEvent& e) {
      frame->OnUpdateCmdUIAll();
      e.Skip();
    });

    frame->GetWxWindow()->Raise();
    view->SetFocus();  // the page has the keyboard, as when the user works on it
    MoveTo(wxPoint(1200, 1000));  // away from where pop-ups open
    ASSERT_TRUE(PumpUntil([&] { return ribbon.GetImpl()->pRibbon && ribbon.GetImpl()->pRibbon->IsShownOnScreen(); }));
    button = ribbon.GetImpl()->placements.at(fillButton).pButtonBar;
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return button->IsShownOnScreen(); }));
    PumpFor(100);
  }

  // Where the colour button is on the screen.
  CRect ButtonRect() {
    CRect rc;
    EXPECT_TRUE(ribbon.GetControlScreenRect(fillButton, rc));
    return rc;
  }
  // The colour of the bar the ribbon's button shows now.
  COLORREF ShownColour() { return ribbon.GetImpl()->placements.at(fillButton).clrBar; }

  void TearDown() override {
    QORPClosePopupBar();
    PumpFor(20);
    if (ribbon.GetSafeHwnd()) ribbon.DestroyWindow();
    bars.DetachFromFrame();
    // The frame's window goes at idle time; the controls (members here) must outlive it.
    wxWeakRef<wxWindow> w(frame->GetWxWindow());
    if (frame->m_hWnd) frame->DestroyWindow();
    EXPECT_TRUE(PumpUntil([&] {
      wxTheApp->ProcessIdle();
      return !w;
    }));
    delete frame;
  }

  // Opens the colour drop-down with a real click on the button's arrow (the right end of the
  // small split button).
  void OpenByClick() {
    const CRect rc = ButtonRect();
    ClickAt(wxPoint(rc.right - 4, (rc.top + rc.bottom) / 2));
    ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }))
        << "the arrow opened the pop-up bar";
    PumpFor(100);
  }

  wxPoint ItemCentre(int nIndex) {
    const CRect rc = QORPGetPopupItemRect(fillGallery, nIndex);
    EXPECT_FALSE(rc.IsRectEmpty()) << "item " << nIndex << " is shown";
    return Centre(rc);
  }

  // The gallery messages and notifications since mark, as "code:selected" strings.
  std::vector<std::string> Since(size_t mark) const {
    std::vector<std::string> out;
    for (size_t i = mark; i < frame->log.size(); ++i) {
      const Event& e = frame->log[i];
      out.push_back(std::to_string(e.nCode) + ":" + std::to_string(e.nSelected));
    }
    return out;
  }

  static std::string H(int n) { return "4115:" + std::to_string(n); }
  static std::string End() { return "4113:-1"; }

  CGalleryFrame* frame = nullptr;
  CPageView* view = nullptr;
  CQORPCommandBars bars;
  CQORPControlGalleryItems colours{kFillGallery};
  CQORPControlPopupColor* fillButton = nullptr;
  CQORPControlGallery* fillGallery = nullptr;
  CQORPRibbonBar ribbon;
  wxWindow* button = nullptr;  // the button bar holding the colour button
};

TEST_F(GalleryGui, HoverPreviewsAndAPickCommitsAfterTheHighlightEnds) {
  EXPECT_TRUE(PumpUntil([&] { return ShownColour() == kStartFill; })) << "the bar shows the current fill";
  OpenByClick();
  EXPECT_EQ(QORPGetOpenPopupControl(), fillButton);
  const size_t mark = frame->log.size();
  const int A = 5, B = 16, C = 30, D = 63;  // row 0, row 1, row 2, "Red"
  const COLORREF clrA = static_cast<COLORREF>(colours.GetItem(A)->GetID());

  MoveTo(ItemCentre(A));
  ASSERT_TRUE(PumpUntil([&] { return view->shown == clrA; })) << "hover previews A";
  EXPECT_EQ(QORPGetOpenPopupWindow()->GetToolTipText(), L"Swatch 4") << "the item's tooltip";
  MoveTo(ItemCentre(B));
  EXPECT_EQ(view->shown, static_cast<COLORREF>(colours.GetItem(B)->GetID())) << "hover previews B";
  // The one-pixel gap right of the last swatch of row 1.
  const CRect rcLast = QORPGetPopupItemRect(fillGallery, 20);
  MoveTo(wxPoint(rcLast.right, (rcLast.top + rcLast.bottom) / 2));
  EXPECT_EQ(view->shown, kStartFill) << "a gap ends the preview";
  MoveTo(ItemCentre(C));
  // Leave the pop-up: the page view below it.
  CRect rcView;
  view->GetWindowRect(&rcView);
  MoveTo(wxPoint(rcView.left + 600, rcView.top + 200));
  EXPECT_EQ(view->shown, kStartFill) << "leaving restores";
  EXPECT_FALSE(view->bPreview);
  MoveTo(ItemCentre(D));
  EXPECT_TRUE(view->bPreview);
  ClickAt(ItemCentre(D));
  ASSERT_TRUE(PumpUntil([&] { return view->fill == RGB(255, 0, 0); })) << "the pick reached the view's ON_NOTIFY";

  EXPECT_EQ(Since(mark), (std::vector<std::string>{H(A), H(B), End(), H(C), End(), H(D), "4113:" + std::to_string(D),
                                                 "100:" + std::to_string(D)}))
      << "on a pick the gallery already reports the picked item when the highlight ends";
  const Event& last = frame->log.back();
  EXPECT_EQ(last.nMessage, static_cast<UINT>(WM_NOTIFY));
  EXPECT_EQ(last.nId, kFillGallery);
  EXPECT_FALSE(last.bPopupOpen) << "100 comes after the pop-up is hidden";
  EXPECT_EQ(QORPGetOpenPopupControl(), nullptr);
  EXPECT_FALSE(view->bPreview);

  // The next idle pass: the button's bar and the gallery's checked item follow the fill.
  EXPECT_TRUE(PumpUntil([&] { return ShownColour() == RGB(255, 0, 0); }));
  EXPECT_EQ(fillGallery->GetCheckedItem(), static_cast<int>(RGB(255, 0, 0)));
  EXPECT_EQ(fillGallery->GetSelectedItem(), D);
}

TEST_F(GalleryGui, EscapeAndAClickOutsideEndTheHighlight) {
  struct Case {
    const char* pszWhat;
    bool bEscape;
  } cases[] = {{"Esc", true}, {"click outside", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    OpenByClick();
    const size_t mark = frame->log.size();
    MoveTo(ItemCentre(7));
    ASSERT_TRUE(view->bPreview);
    if (c.bEscape) {
      wxUIActionSimulator sim;
      sim.Char(WXK_ESCAPE);
    } else {
      CRect rcView;
      view->GetWindowRect(&rcView);
      ClickAt(wxPoint(rcView.left + 700, rcView.top + 250));
    }
    ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() == nullptr; })) << "the pop-up closed";
    PumpFor(50);
    const std::vector<std::string> seen = Since(mark);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.front(), H(7));
    EXPECT_EQ(seen.back(), End());
    for (const Event& e : std::vector<Event>(frame->log.begin() + static_cast<long>(mark), frame->log.end()))
      EXPECT_NE(e.nMessage, static_cast<UINT>(WM_NOTIFY)) << "nothing was picked";
    EXPECT_FALSE(view->bPreview);
    EXPECT_EQ(view->fill, kStartFill);
  }
}

TEST_F(GalleryGui, KeysMoveTheHighlightAndEnterPicks) {
  // Opened through the ribbon's seam, anchored anywhere.
  ASSERT_NE(QorpGetPopupOpener(), nullptr) << "the pop-up bars registered their opener";
  const CRect rcButton = ButtonRect();
  wxRect anchor(rcButton.left, rcButton.top, rcButton.Width(), rcButton.Height());
  ASSERT_TRUE(QorpOpenPopup(fillButton, button, anchor));
  ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
  PumpFor(100);
  const CRect rcPopup = [] {
    const wxRect r = QORPGetOpenPopupWindow()->GetScreenRect();
    return CRect(r.x, r.y, r.GetRight() + 1, r.GetBottom() + 1);
  }();
  EXPECT_GE(rcPopup.top, anchor.GetBottom()) << "below its anchor";
  const size_t mark = frame->log.size();
  wxUIActionSimulator sim;
  for (int key : {WXK_DOWN, WXK_RIGHT, WXK_DOWN}) {
    sim.Char(key);
    PumpFor(60);
  }
  sim.Char(WXK_RETURN);
  ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() == nullptr; }));
  PumpFor(50);
  // First item, one right, one row down (same column), then the pick.
  EXPECT_EQ(Since(mark), (std::vector<std::string>{H(1), H(2), H(12), "4113:12", "100:12"}));
  EXPECT_EQ(view->fill, static_cast<COLORREF>(colours.GetItem(12)->GetID()));
}

TEST_F(GalleryGui, ButtonsOfTheDropDownAndTheSplitButtonRunCommands) {
  OpenByClick();
  // "More Filled Colors" sits below the gallery: the last row of the pop-up.
  const wxRect r = QORPGetOpenPopupWindow()->GetScreenRect();
  ClickAt(wxPoint(r.x + 40, r.GetBottom() - 8));
  ASSERT_TRUE(PumpUntil([&] { return !frame->log.empty() && frame->log.back().nMessage == WM_COMMAND; }));
  EXPECT_EQ(frame->log.back().nId, kMoreFill);
  EXPECT_FALSE(frame->log.back().bPopupOpen) << "the command runs after the pop-up is hidden";
  // The button part applies the current colour.
  const CRect rc = ButtonRect();
  ClickAt(wxPoint(rc.left + 8, (rc.top + rc.bottom) / 2));
  ASSERT_TRUE(PumpUntil([&] { return frame->log.back().nId == kFillButton; }));
  EXPECT_EQ(QORPGetOpenPopupWindow(), nullptr);
}

TEST_F(GalleryGui, ASliderInADropDownCarriesItsPositionOutWhenLetGo) {
  // A split button whose list is a label and a slider at 50 (as "Rounded Rectangle" has).
  CQORPCommandBar* pBar = bars.AddBar();
  CQORPControl* pSplit = pBar->Add(std::make_unique<CQORPControlButton>(kRoundRect, QORP_CONTROL_SPLIT_BUTTON_POPUP));
  pSplit->GetCommandBar()->Add(std::make_unique<CQORPControlLabel>(0))->SetCaption(L"Roundness:");
  auto* pSlider = static_cast<CQORPControlScrollBar*>(
      pSplit->GetCommandBar()->Add(std::make_unique<CQORPControlScrollBar>(kRoundness)));
  pSlider->SetWidth(200);
  pSlider->SetPos(50);
  frame->OnUpdateCmdUIAll();
  ASSERT_TRUE(pSlider->GetEnabled()) << "the view answers it";
  ASSERT_TRUE(QORPOpenPopupBar(pSplit, frame->GetWxWindow(), CRect(300, 40, 340, 80)));
  ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
  PumpFor(60);
  const wxRect r = QORPGetOpenPopupWindow()->GetScreenRect();
  EXPECT_GE(r.width, 200) << "as wide as the slider asks";
  // Dragged from the middle to three quarters of its track and let go.
  const int y = r.GetBottom() - 12, x0 = r.x + 1 + 10, x1 = r.GetRight() - 1 - 10;
  wxUIActionSimulator sim;
  sim.MouseMove(wxPoint((x0 + x1) / 2, y));
  PumpFor(40);
  sim.MouseDown();
  PumpFor(40);
  sim.MouseMove(wxPoint(x0 + (x1 - x0) * 3 / 4, y));
  PumpFor(40);
  EXPECT_TRUE(frame->log.empty() || frame->log.back().nId != kRoundness) << "nothing is sent while it moves";
  sim.MouseUp();
  ASSERT_TRUE(PumpUntil([&] { return view->roundness >= 0; }));
  EXPECT_NEAR(view->roundness, 75, 2);
  EXPECT_EQ(pSlider->GetPos(), view->roundness);
  EXPECT_TRUE(frame->log.back().bPopupOpen) << "the list stays open for another try";
  QORPClosePopupBar();
  PumpFor(40);
}

TEST_F(GalleryGui, ACheckedButtonOfADropDownShowsATick) {
  // A Style-like list: the second entry is the checked one.
  CQORPControlButton* style =
      static_cast<CQORPControlButton*>(bars.GetAt(0)->Add(std::make_unique<CQORPControlButton>(32770, QORP_CONTROL_POPUP)));
  for (int id : {32771, 32772, 32773}) {
    CQORPControl* p = style->GetCommandBar()->Add(std::make_unique<CQORPControlButton>(id));
    p->SetCaption(L"Office 2010");
    p->SetChecked(id == 32772 ? 1 : 0);
  }
  ASSERT_TRUE(QORPOpenPopupBar(style, button, CRect(300, 100, 340, 120)));
  ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
  PumpFor(150);
  const wxRect popup = QORPGetOpenPopupWindow()->GetScreenRect();
  lwtest::TempDir dir;
  const std::string path = (dir / "tick.png").string();
  ASSERT_EQ(wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS), 0);
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  wxImage shot;
  ASSERT_TRUE(shot.LoadFile(path, wxBITMAP_TYPE_PNG));
  // The column before the captions holds ink of the label colour on the checked row only.
  const COLORREF ink = CQORPPaintManager::Get()->GetColor(QORP_CLR_PANEL_LABEL);
  auto isInk = [&](int x, int y) {
    return std::abs(shot.GetRed(x, y) - GetRValue(ink)) <= 24 && std::abs(shot.GetGreen(x, y) - GetGValue(ink)) <= 24 &&
           std::abs(shot.GetBlue(x, y) - GetBValue(ink)) <= 24;
  };
  std::vector<int> rowsWithInk;
  for (int y = popup.y; y < popup.GetBottom() && y < shot.GetHeight(); ++y)
    for (int x = popup.x + 6; x < popup.x + 20 && x < shot.GetWidth(); ++x)
      if (isInk(x, y)) {
        rowsWithInk.push_back(y - popup.y);
        break;
      }
  ASSERT_FALSE(rowsWithInk.empty()) << "a tick is drawn";
  const int third = popup.height / 3;
  EXPECT_GE(rowsWithInk.front(), third) << "nothing before the checked entry";
  EXPECT_LT(rowsWithInk.back(), 2 * third) << "nothing after it";
  QORPClosePopupBar();
}

// A drop-down stands apart from what lies under it: a frame runs round all four edges in a colour
// that stands out from the pop-up's background, in each theme.
TEST_F(GalleryGui, APopUpHasAFrameOnEveryEdge) {
  CQORPControlButton* style =
      static_cast<CQORPControlButton*>(bars.GetAt(0)->Add(std::make_unique<CQORPControlButton>(32770, QORP_CONTROL_POPUP)));
  for (int id : {32771, 32772, 32773}) style->GetCommandBar()->Add(std::make_unique<CQORPControlButton>(id))->SetCaption(L"Item");
  constexpr const wchar_t* kModule = L"/nonexistent/leafwright/Office2010.dll";
  for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack}) {
    SCOPED_TRACE(wxString(ini).ToStdString());
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kModule, ini));
    ASSERT_TRUE(QORPOpenPopupBar(style, button, CRect(300, 100, 340, 120)));
    ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
    PumpFor(150);
    const wxRect popup = QORPGetOpenPopupWindow()->GetScreenRect();
    lwtest::TempDir dir;
    const std::string path = (dir / "frame.png").string();
    ASSERT_EQ(wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS), 0);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage shot;
    ASSERT_TRUE(shot.LoadFile(path, wxBITMAP_TYPE_PNG));
    const COLORREF back = CQORPPaintManager::Get()->GetColor(QORP_CLR_POPUP_BACK);
    const struct Edge {
      const char* name;
      int x, y;
    } edges[] = {
        {"left", popup.x, popup.y + popup.height / 2},
        {"right", popup.GetRight(), popup.y + popup.height / 2},
        {"top", popup.x + popup.width / 2, popup.y},
        {"bottom", popup.x + popup.width / 2, popup.GetBottom()},
    };
    for (const Edge& e : edges) {
      ASSERT_TRUE(e.x >= 0 && e.y >= 0 && e.x < shot.GetWidth() && e.y < shot.GetHeight()) << e.name;
      const COLORREF c = RGB(shot.GetRed(e.x, e.y), shot.GetGreen(e.x, e.y), shot.GetBlue(e.x, e.y));
      EXPECT_GE(CQORPDrawHelpers::ContrastRatio(c, back), 3.0)
          << e.name << " edge " << std::hex << c << " on " << back;
    }
    QORPClosePopupBar();
    PumpFor(50);
  }
  CQORPResourceTheme::SetImageHandle(kModule, kQorpThemeBlue);
}

TEST_F(GalleryGui, AGalleryTallerThanItsDropDownScrollsAndItsGripResizesIt) {
  // Rotation angles: 16 full-width items 17 high in a drop-down 60 x 100 with 1-pixel margins.
  CQORPControlGalleryItems angles(32807);
  angles.SetItemSize(CSize(0, 17));
  for (int a : {5, 25, 45, 70, 90, 115, 135, 155, 180, 200, 225, 245, 270, 290, 315, 345})
    angles.AddItem(std::to_wstring(a).c_str());
  CQORPControlButton* rotate =
      static_cast<CQORPControlButton*>(bars.GetAt(0)->Add(std::make_unique<CQORPControlButton>(32807, QORP_CONTROL_POPUP)));
  auto pGallery = std::make_unique<CQORPControlGallery>(32807);
  pGallery->SetItems(&angles);
  pGallery->SetControlSize(CSize(60, 100));
  pGallery->SetItemsMargin(0, 1, 0, 1);
  pGallery->SetResizable(TRUE);
  auto* g = static_cast<CQORPControlGallery*>(rotate->GetCommandBar()->Add(std::move(pGallery)));
  ASSERT_TRUE(QORPOpenPopupBar(rotate, button, CRect(300, 100, 340, 120)));
  ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
  PumpFor(100);
  const CRect first = QORPGetPopupItemRect(g, 0);
  ASSERT_FALSE(first.IsRectEmpty());
  EXPECT_EQ(first.Height(), 17);
  EXPECT_LT(first.Width(), 60) << "a scroll bar takes room beside the items";
  EXPECT_TRUE(QORPGetPopupItemRect(g, 15).IsRectEmpty()) << "the last angle is scrolled away";

  // Dragging the thumb to the bottom shows the last angle.
  wxUIActionSimulator sim;
  const wxPoint thumb(first.right + 5, first.top + 3);
  sim.MouseMove(thumb);
  PumpFor(40);
  sim.MouseDown();
  PumpFor(40);
  sim.MouseMove(thumb + wxPoint(0, 150));
  PumpFor(40);
  sim.MouseUp();
  PumpFor(60);
  EXPECT_FALSE(QORPGetPopupItemRect(g, 15).IsRectEmpty());
  EXPECT_TRUE(QORPGetPopupItemRect(g, 0).IsRectEmpty());

  // The grip under the gallery makes it tall enough for every angle.
  const wxRect r = QORPGetOpenPopupWindow()->GetScreenRect();
  const wxPoint grip(r.x + 20, r.GetBottom() - 3);
  sim.MouseMove(grip);
  PumpFor(40);
  sim.MouseDown();
  PumpFor(40);
  sim.MouseMove(grip + wxPoint(0, 200));
  PumpFor(40);
  sim.MouseUp();
  PumpFor(60);
  EXPECT_EQ(g->GetControlSize().cy, 300);
  EXPECT_FALSE(QORPGetPopupItemRect(g, 0).IsRectEmpty());
  EXPECT_FALSE(QORPGetPopupItemRect(g, 15).IsRectEmpty());
  EXPECT_EQ(QORPGetPopupItemRect(g, 0).Width(), 60) << "no scroll bar once everything fits";
  QORPClosePopupBar();
  EXPECT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() == nullptr; }));
}

// The font combo: hundreds of faces, typing completes, the drop-down scrolls and picks.
class FontComboGui : public GalleryGui {
 protected:
  void SetUp() override {
    GalleryGui::SetUp();
    faces.SetItemSize(CSize(0, 26));
    faces.AddItem(L"DejaVu Sans");
    faces.AddItem(L"Liberation Serif");
    for (int i = 0; i < 320; ++i) {
      wchar_t name[32];
      std::swprintf(name, 32, L"Face %03d", i);
      faces.AddItem(name);
    }
    CQORPCommandBar* pBar = bars.AddBar();
    combo = static_cast<CQORPControlComboBox*>(pBar->Add(std::make_unique<CQORPControlComboBox>(kFontCombo)));
    combo->SetStyle(5);
    auto pGallery = std::make_unique<CQORPControlGallery>(kFontGallery);
    pGallery->SetItems(&faces);
    pGallery->SetControlSize(CSize(290, 508));
    pGallery->SetResizable(TRUE);
    gallery = static_cast<CQORPControlGallery*>(combo->GetCommandBar()->Add(std::move(pGallery)));
    window = QORPCreateComboWindow(combo, frame->GetWxWindow(), 158, TRUE);
    ASSERT_NE(window, nullptr);
    window->Move(200, 20);
    ASSERT_TRUE(PumpUntil([&] { return window->IsShownOnScreen(); }));
  }
  CQORPControlGalleryItems faces{kFontGallery};
  CQORPControlComboBox* combo = nullptr;
  CQORPControlGallery* gallery = nullptr;
  wxWindow* window = nullptr;
};

TEST_F(FontComboGui, TypingCompletesAndEnterNotifies) {
  auto* text = dynamic_cast<wxTextCtrl*>(QORPGetComboTextWindow(window));
  ASSERT_NE(text, nullptr);
  text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return combo->HasFocus() != FALSE; })) << "focus reaches the control";
  wxUIActionSimulator sim;
  sim.Text("face 2");
  ASSERT_TRUE(PumpUntil([&] { return combo->GetEditText() == L"face 200"; })) << combo->GetEditText().GetString();
  long from = 0, to = 0;
  text->GetSelection(&from, &to);
  EXPECT_EQ(from, 6);
  EXPECT_EQ(to, 8) << "the completed part is selected";
  sim.Text("5");
  ASSERT_TRUE(PumpUntil([&] { return combo->GetEditText() == L"face 250"; }));
  sim.Char(WXK_BACK);  // removes the completion; no new one
  ASSERT_TRUE(PumpUntil([&] { return combo->GetEditText() == L"face 25"; }));
  PumpFor(60);
  EXPECT_EQ(combo->GetEditText(), L"face 25");
  sim.Text("9");
  ASSERT_TRUE(PumpUntil([&] { return combo->GetEditText() == L"face 259"; }));
  const size_t mark = frame->log.size();
  sim.Char(WXK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return frame->log.size() > mark; }));
  EXPECT_EQ(frame->log.back().nId, kFontCombo);
  EXPECT_EQ(frame->log.back().strText, L"face 259");
  EXPECT_EQ(gallery->GetSelectedItem(), 2 + 259) << "the typed face is the gallery's item";
  // Nothing starts with this: the text stays as typed.
  sim.Text("x");
  ASSERT_TRUE(PumpUntil([&] { return combo->GetEditText() == L"face 259x"; }));
  // The program's text reaches the window at idle time.
  view->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return combo->HasFocus() == FALSE; }));
  combo->SetEditText(L"Liberation Serif");
  EXPECT_TRUE(PumpUntil([&] { return text->GetValue() == L"Liberation Serif"; }));
}

TEST_F(FontComboGui, TheDropDownScrollsHoversAndPicks) {
  QORPShowComboDropDown(window, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return QORPIsComboDropDownShown(window) != FALSE; }));
  PumpFor(100);
  EXPECT_EQ(QORPGetComboScrollPos(window), 0);
  EXPECT_TRUE(QORPGetComboItemRect(window, 300).IsRectEmpty()) << "far down the list";
  const CRect first = QORPGetComboItemRect(window, 0);
  ASSERT_FALSE(first.IsRectEmpty());
  EXPECT_EQ(first.Height(), 26);
  // A click on the scroll bar below the thumb pages down.
  const wxPoint barPoint(first.right + 1 + 5, first.top + 400);
  ClickAt(barPoint);
  EXPECT_GT(QORPGetComboScrollPos(window), 300);
  EXPECT_TRUE(QORPIsComboDropDownShown(window)) << "scrolling keeps it open";

  QORPEnsureComboItemVisible(window, 300);
  PumpFor(50);
  const CRect rc = QORPGetComboItemRect(window, 300);
  ASSERT_FALSE(rc.IsRectEmpty());
  const size_t mark = frame->log.size();
  MoveTo(Centre(rc));
  ASSERT_TRUE(PumpUntil([&] { return frame->log.size() > mark; }));
  EXPECT_EQ(frame->log.back().nCode, static_cast<UINT>(QORP_GN_HIGHLIGHT));
  EXPECT_EQ(frame->log.back().nId, kFontGallery);
  EXPECT_EQ(frame->log.back().nSelected, 300);
  ClickAt(Centre(rc));
  ASSERT_TRUE(PumpUntil([&] { return frame->log.back().nMessage == WM_NOTIFY; }));
  ASSERT_GE(frame->log.size(), mark + 3);
  const Event& end = frame->log[frame->log.size() - 2];
  EXPECT_EQ(end.nCode, static_cast<UINT>(QORP_GN_HIGHLIGHTEND));
  EXPECT_EQ(frame->log.back().nId, kFontCombo);
  EXPECT_EQ(frame->log.back().strText, L"Face 298");
  EXPECT_FALSE(QORPIsComboDropDownShown(window));
  EXPECT_EQ(gallery->GetSelectedItem(), 300);

  // Closing without a pick ends the highlight too.
  QORPShowComboDropDown(window, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return QORPIsComboDropDownShown(window) != FALSE; }));
  PumpFor(100);
  const CRect again = QORPGetComboItemRect(window, 300);
  ASSERT_FALSE(again.IsRectEmpty()) << "the drop-down opens at the selected face";
  const size_t mark2 = frame->log.size();
  MoveTo(Centre(again) + wxPoint(0, 5));
  ASSERT_TRUE(PumpUntil([&] { return frame->log.size() > mark2; }));
  ASSERT_EQ(frame->log.back().nCode, static_cast<UINT>(QORP_GN_HIGHLIGHT));
  QORPShowComboDropDown(window, FALSE);
  ASSERT_TRUE(PumpUntil([&] { return frame->log.back().nCode == QORP_GN_HIGHLIGHTEND; }));
}

TEST_F(FontComboGui, ArrowKeysInTheEditMoveThroughTheDropDownAndTheGripResizesIt) {
  auto* text = dynamic_cast<wxTextCtrl*>(QORPGetComboTextWindow(window));
  text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return combo->HasFocus() != FALSE; }));
  QORPShowComboDropDown(window, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return QORPIsComboDropDownShown(window) != FALSE; }));
  PumpFor(100);
  const size_t mark = frame->log.size();
  wxUIActionSimulator sim;
  sim.Char(WXK_DOWN);
  sim.Char(WXK_DOWN);
  ASSERT_TRUE(PumpUntil([&] { return frame->log.size() >= mark + 2; }));
  EXPECT_EQ(Since(mark), (std::vector<std::string>{H(0), H(1)}));
  sim.Char(WXK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return frame->log.back().nMessage == WM_NOTIFY; }));
  EXPECT_EQ(frame->log.back().strText, L"Liberation Serif");
  EXPECT_FALSE(QORPIsComboDropDownShown(window));

  // The grip below the faces drags the drop-down's height; the next opening keeps it.
  QORPShowComboDropDown(window, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return QORPIsComboDropDownShown(window) != FALSE; }));
  PumpFor(100);
  wxWindow* popup = dynamic_cast<wxComboCtrl*>(window)->GetPopupWindow();
  ASSERT_NE(popup, nullptr);
  const wxRect before = popup->GetScreenRect();
  const wxPoint grip(before.x + before.width / 2, before.GetBottom() - 3);
  sim.MouseMove(grip);
  PumpFor(50);
  sim.MouseDown();
  PumpFor(50);
  sim.MouseMove(grip - wxPoint(0, 200));
  PumpFor(50);
  sim.MouseUp();
  PumpFor(50);
  EXPECT_NEAR(gallery->GetControlSize().cy, 508 - 200, 2);
  QORPShowComboDropDown(window, FALSE);
  PumpFor(50);
  QORPShowComboDropDown(window, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return QORPIsComboDropDownShown(window) != FALSE; }));
  PumpFor(50);
  EXPECT_NEAR(popup->GetClientSize().y, 508 - 200 + 9, 3);
  QORPShowComboDropDown(window, FALSE);
}

TEST_F(GalleryGui, SpinArrowsEnterAndFocusLossReachTheView) {
  CQORPCommandBar* pBar = bars.AddBar();
  auto* edit = static_cast<CQORPControlEdit*>(pBar->Add(std::make_unique<CQORPControlEdit>(kSpacing)));
  edit->SetLabel(L"Character:");
  edit->ShowSpinButtons();
  edit->SetEditText(L"0");
  wxWindow* spin = QORPCreateSpinEditWindow(edit, frame->GetWxWindow(), 153);
  ASSERT_NE(spin, nullptr);
  spin->Move(400, 20);
  ASSERT_TRUE(PumpUntil([&] { return spin->IsShownOnScreen(); }));
  auto* text = dynamic_cast<wxTextCtrl*>(QORPGetSpinEditTextWindow(spin));
  ASSERT_NE(text, nullptr);
  const wxPoint up = spin->ClientToScreen(Centre(QORPGetSpinArrowRect(spin, TRUE)));
  const wxPoint down = spin->ClientToScreen(Centre(QORPGetSpinArrowRect(spin, FALSE)));

  struct Step {
    wxPoint pt;
    UINT nCode;
    int nStep;
    const wchar_t* pszShown;
  } steps[] = {
      {up, QORP_CN_SPINUP, 1, L"1.000000"},
      {up, QORP_CN_SPINUP, 1, L"2.000000"},
      {down, QORP_CN_SPINDOWN, -1, L"1.000000"},
  };
  for (const Step& s : steps) {
    const size_t mark = frame->log.size();
    ClickAt(s.pt);
    ASSERT_TRUE(PumpUntil([&] { return frame->log.size() > mark; }));
    EXPECT_EQ(frame->log.back().nCode, s.nCode);
    EXPECT_EQ(frame->log.back().nId, kSpacing);
    EXPECT_EQ(frame->log.back().nStep, s.nStep);
    EXPECT_TRUE(PumpUntil([&] { return text->GetValue() == s.pszShown; })) << "the handler's text shows";
  }

  // Typing then Enter; typing then leaving; leaving untouched sends nothing.
  text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit->HasFocus() != FALSE; }));
  text->SelectAll();
  wxUIActionSimulator sim;
  sim.Text("2.5");
  ASSERT_TRUE(PumpUntil([&] { return edit->GetEditText() == L"2.5"; }));
  sim.Char(WXK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return view->spacing == 2.5; }));
  text->SelectAll();
  sim.Text("4");
  ASSERT_TRUE(PumpUntil([&] { return edit->GetEditText() == L"4"; }));
  const size_t mark = frame->log.size();
  view->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return view->spacing == 4.0; })) << "leaving the edit carries the value out";
  EXPECT_EQ(frame->log.size(), mark + 1);
  EXPECT_FALSE(edit->HasFocus());
  text->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit->HasFocus() != FALSE; }));
  view->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit->HasFocus() == FALSE; }));
  PumpFor(60);
  EXPECT_EQ(frame->log.size(), mark + 1) << "no change, no notification";

  // A disabled edit's arrows send nothing.
  view->bSpacingDisabled = true;
  ASSERT_TRUE(PumpUntil([&] { return !spin->IsEnabled(); }));
  ClickAt(up);
  EXPECT_EQ(frame->log.size(), mark + 1);
}

}  // namespace
