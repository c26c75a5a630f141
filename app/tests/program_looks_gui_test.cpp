// How the program looks with a long PDF open, through its real entry under Xvfb: the whole window
// in each theme at 1280 and 1024 pixels wide (kept as screenshots/looks_<theme>_<width>.png),
// with the page box showing "104 / 311" whole and readable; the last sheet of a four-up print
// preview, whose empty cell is framed; and the window painted again at once where a modal dialog
// was, before the program goes back to its event loop (as after a dialog that a long load or
// save follows).
#include <cairo.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "AboutDlg.h"
#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "PdfFixtures.h"
#include "ProgramHarness.h"
#include "ShellIds.h"
#include "SkinFrameDlg.h"
#include "resource.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;

constexpr int kPages = 311;
constexpr int kPerSheet = 1045, kLastSheet = 1051;  // the Print page's pages-per-sheet list and last-sheet button

// The share of pixels inside rc that two photographs have alike.
double SameShare(const std::string& a, const std::string& b, const CRect& rc) {
  cairo_surface_t* x = cairo_image_surface_create_from_png(a.c_str());
  cairo_surface_t* y = cairo_image_surface_create_from_png(b.c_str());
  double share = 0;
  if (cairo_surface_status(x) == CAIRO_STATUS_SUCCESS && cairo_surface_status(y) == CAIRO_STATUS_SUCCESS &&
      cairo_image_surface_get_width(x) == cairo_image_surface_get_width(y) &&
      cairo_image_surface_get_height(x) == cairo_image_surface_get_height(y)) {
    cairo_surface_flush(x);
    cairo_surface_flush(y);
    const int w = cairo_image_surface_get_width(x), h = cairo_image_surface_get_height(x);
    long same = 0, all = 0;
    for (int r = std::max<int>(rc.top, 0); r < std::min<int>(rc.bottom, h); ++r) {
      const auto* px = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(x) + r * cairo_image_surface_get_stride(x));
      const auto* py = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(y) + r * cairo_image_surface_get_stride(y));
      for (int c = std::max<int>(rc.left, 0); c < std::min<int>(rc.right, w); ++c, ++all) same += px[c] == py[c];
    }
    share = all ? static_cast<double>(same) / all : 0;
  }
  cairo_surface_destroy(x);
  cairo_surface_destroy(y);
  return share;
}

class CScriptedApp : public CLeafwrightApp {
 public:
  int step = 0;
  programharness::Photo photo;
  programharness::Wait wait;
  bool acted = false;
  programharness::Clock::time_point laidOutAt;
  // The modal dialog while it is open, where it was, and how long it has been on screen.
  CDialog* modal = nullptr;
  CRect modalRect;
  int modalIdles = 0;

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }
  CWnd* PageBox() {
    CQORPStatusBarPane* pane = Frame()->GetStatusBar().FindPane(ID_INDICATOR_PAGE_COMBO);
    return pane ? pane->GetChild() : nullptr;
  }

  // The frame is `width` wide with its status bar along its bottom, on screen, the page area above.
  bool LaidOut(int width) {
    CRect rcFrame, rcClient, rcBar;
    Frame()->GetWindowRect(&rcFrame);
    Frame()->GetClientRect(&rcClient);
    Frame()->ClientToScreen(&rcClient);
    CQORPStatusBar& bar = Frame()->GetStatusBar();
    if (!bar.GetSafeHwnd() || !bar.IsWindowVisible()) return false;
    bar.GetWindowRect(&rcBar);
    CRect rcView;
    Frame()->GetLeafwrightView()->GetWindowRect(&rcView);  // the page area ends above the bar
    return rcFrame.Width() == width && rcBar.bottom == rcClient.bottom && rcBar.Width() == rcClient.Width() &&
           rcView.bottom <= rcBar.top;
  }

  BOOL OnIdle(LONG lCount) override {
    if (modal) {  // inside the dialog's own loop
      if (modal->GetSafeHwnd() && modal->IsWindowVisible() && ++modalIdles > 20) {
        modal->GetWindowRect(&modalRect);
        modal->EndDialog(IDOK);
      }
      return TRUE;
    }
    CLeafwrightApp::OnIdle(lCount);
    if (!Frame() || !Doc()) return TRUE;
    switch (step) {
      case 0:
        if (!wait.For(GetStartFile().IsEmpty() && Doc()->GetPagesCount() == kPages, "the long PDF opened")) return TRUE;
        Frame()->GetLeafwrightView()->GoToPage(103);
        ++step;
        return TRUE;
      case 1: case 2: case 3: case 4: case 5: case 6: {
        const UINT themes[] = {ID_THEME_OFFICE2010_BLUE, ID_THEME_OFFICE2010_SILVER, ID_THEME_OFFICE2010_BLACK};
        const char* names[] = {"blue", "silver", "black"};
        const int t = (step - 1) / 2, width = (step - 1) % 2 ? 1024 : 1280;
        if (!acted) {
          Frame()->OnSwitchTheme(themes[t]);
          Frame()->ShowWindow(SW_RESTORE);
          Frame()->MoveWindow(0, 0, width, 760);
          acted = true;
          photo.BeginWait();
          return TRUE;
        }
        const std::string name = std::string("looks_") + names[t] + "_" + std::to_string(width) + ".png";
        // Laid out, then half a second for the toolkit to paint the new layout.
        if (LaidOut(width) && laidOutAt == programharness::Clock::time_point()) laidOutAt = programharness::Clock::now();
        const bool painted = laidOutAt != programharness::Clock::time_point() &&
                             programharness::Clock::now() - laidOutAt > std::chrono::milliseconds(500);
        if (!photo.Of(painted, "the window is laid out at its new width", name)) return TRUE;
        laidOutAt = programharness::Clock::time_point();
        acted = false;
        CWnd* box = PageBox();
        Check(box != nullptr, "the status bar holds the page box");
        if (box) {
          CString text;
          box->GetWindowText(text);
          Check(text == L"104 / 311", "the page box shows the page");
          CRect rc;
          box->GetWindowRect(&rc);
          const double k = programharness::InkContrast(photo.Path(), rc);
          if (k < 4.5) std::fprintf(stderr, "page box %s: %.2f\n", name.c_str(), k);
          Check(k >= 4.5, "the page box reads at 4.5:1");
        }
        ++step;
        return TRUE;
      }
      case 7: {
        // The last sheet of four pages a sheet holds three pages and one empty, framed cell.
        CBackstagePagePrint& print = Frame()->GetPrintPage();
        if (!acted) {
          Frame()->OnSwitchTheme(ID_THEME_OFFICE2010_BLUE);
          CQORPRibbonBar& ribbon = Frame()->GetRibbonBar();
          ribbon.ExecuteControl(ribbon.GetSystemButton());
          CQORPBackstageView& backstage = Frame()->GetBackstageView();
          for (int i = 0; i < backstage.GetItemCount(); ++i)
            if (backstage.GetItem(i)->GetID() == IDS_TAB_PRINT) backstage.ClickItem(i);
          lwmfc::SimulateSelection(print.GetDlgItem(kPerSheet), 1);
          print.SendMessage(WM_COMMAND, MAKEWPARAM(kLastSheet, BN_CLICKED),
                            reinterpret_cast<LPARAM>(print.GetDlgItem(kLastSheet)->GetSafeHwnd()));
          acted = true;
          photo.BeginWait();
          return TRUE;
        }
        if (!photo.Of(print.GetPreview().GetPlacedPages() >= 3, "the last sheet comes up", "looks_print_last_sheet.png"))
          return TRUE;
        acted = false;
        Check(print.GetPreview().GetPlacedPages() == 3, "the last sheet holds the last three pages");
        Frame()->GetBackstageView().ShowBackstage(FALSE);
        ++step;
        return TRUE;
      }
      case 8: {
        // A modal dialog over the page; the window is painted where it was as it closes, before
        // the event loop runs again.
        if (!photo.Of(!Frame()->GetBackstageView().IsBackstageVisible(), "the backstage closes", "looks_before_dialog.png"))
          return TRUE;
        const std::string before = photo.Path();
        CSkinFrameDlg<CAboutDlg> dlg(Frame());
        modal = &dlg;
        modalIdles = 0;
        dlg.DoModal();
        modal = nullptr;
        const std::string after = programharness::Screenshot("looks_after_dialog.png");
        Check(!modalRect.IsRectEmpty(), "the dialog was on screen");
        const double same = SameShare(before, after, modalRect);
        if (same < 0.98) std::fprintf(stderr, "where the dialog was, %.1f%% of the window came back\n", same * 100);
        Check(same >= 0.98, "the window is painted where the dialog was");
        Frame()->PostMessage(WM_CLOSE);
        ++step;
        return TRUE;
      }
      default:
        return TRUE;
    }
  }
  int ExitInstance() override {
    CLeafwrightApp::ExitInstance();
    Check(step >= 9, "every step ran");
    return programharness::Failures() == 0 ? 0 : 3;
  }
};

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  programharness::Environment env;
  const fs::path& files = env.files();
  lwtest::WriteFileBytes(files / "long.pdf", lwtest::MakeCairoPdf(kPages));
  CScriptedApp app;
  return programharness::RunProgram(argv[0], {(files / "long.pdf").string()});
}
