// The program's backstage view run through its real entry under Xvfb: the File button opens it
// over the window with its commands (those without a handler yet disabled) and the Recent page;
// the page lists the recent files afresh each time it is shown, newest first; picking one gives
// the view way and opens it; picking a file that is gone reports it and drops it from the list
// (the open document stays); a pick that leaves nothing selected sends nothing; Exit closes the
// program. The Recent page is photographed in each theme (screenshots/) and its title measured.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>

#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "PdfFixtures.h"
#include "ProgramHarness.h"
#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "ScreenPhoto.h"
#include "ShellIds.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;
using programharness::MessageBoxes;
using screenphoto::InkContrast;

class CScriptedApp : public CLeafwrightApp {
 public:
  fs::path dir;
  int step = 0;

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }
  std::wstring Path(const char* name) { return lw::Utf8ToWide((dir / name).string()); }
  CQORPBackstageView& Backstage() { return Frame()->GetBackstageView(); }
  CBackstagePageRecent& Page() { return Frame()->GetRecentPage(); }
  std::vector<std::wstring> Listed() {
    std::vector<std::wstring> out;
    for (int i = 0; i < Page().m_wndRecentFiles.GetCount(); ++i) {
      CString s;
      Page().m_wndRecentFiles.GetText(i, s);
      out.emplace_back(s.GetString());
    }
    return out;
  }
  std::vector<std::wstring> Recent() {
    std::vector<std::wstring> out;
    for (int i = 0; i < GetRecentFileCount(); ++i) out.emplace_back(GetRecentFile(i).GetString());
    return out;
  }
  int ItemIndex(int id) {
    for (int i = 0; i < Backstage().GetItemCount(); ++i)
      if (Backstage().GetItem(i)->GetID() == id) return i;
    return -1;
  }
  // Opens the view with the File button, as its click does.
  void OpenBackstage() {
    Check(Frame()->GetRibbonBar().GetSystemButton() != nullptr, "a File button");
    Check(Frame()->GetRibbonBar().ExecuteControl(Frame()->GetRibbonBar().GetSystemButton()) != FALSE,
          "the File button acts");
    photo.BeginWait();
  }
  // A step that waits for the Recent page on screen, photographed in `theme` once painted.
  programharness::Photo photo;
  bool PageShown(const char* what, const char* theme) {
    return photo.Of(Backstage().IsBackstageVisible() && Page().IsWindowVisible(), what,
                    std::string("backstage-recent-") + theme + ".png");
  }
  // The photograph of the Recent page measured: its title, first entry and column captions.
  void Photograph(const char* theme) {
    const std::string png = photo.Path();
    CRect rc;
    Page().m_wndTitle.GetWindowRect(&rc);
    const double k = InkContrast(png, rc);
    if (k < 4.5) std::fprintf(stderr, "title %.2f in %s\n", k, theme);
    Check(k >= 4.5, "the page's title reads at 4.5:1");
    Page().m_wndRecentFiles.GetWindowRect(&rc);
    rc.DeflateRect(4, 4);
    rc.bottom = rc.top + 20;  // the first entry
    Check(InkContrast(png, rc) >= 4.5, "the first entry reads at 4.5:1");
    // Every caption of the column, enabled or not, the selected tab's included.
    for (int i = 0; i < Backstage().GetItemCount(); ++i) {
      rc = Backstage().GetItemRect(i);
      Backstage().ClientToScreen(&rc);
      rc.DeflateRect(2, 2);
      const double k = InkContrast(png, rc);
      if (k < 4.5) std::fprintf(stderr, "item %d: %.2f in %s\n", i, k, theme);
      Check(k >= 4.5, "the column's caption reads at 4.5:1");
    }
  }
  void Theme(UINT id) {
    Frame()->OnSwitchTheme(id);
    OpenBackstage();
  }
  // The page's list-box pick with the selection as it is now.
  void Pick(int nIndex) {
    if (nIndex >= 0) {
      lwmfc::SimulateSelection(&Page().m_wndRecentFiles, nIndex);
    } else {
      Page().m_wndRecentFiles.SetCurSel(-1);
      Page().SendMessage(WM_COMMAND, MAKEWPARAM(IDC_RECENT_FILE_LIST, LBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(Page().m_wndRecentFiles.GetSafeHwnd()));
    }
  }

  BOOL OnIdle(LONG lCount) override {
    CLeafwrightApp::OnIdle(lCount);  // the update pass first
    if (!Frame() || !Doc()) return TRUE;
    const int current = step;
    ++step;
    switch (current) {
      case 0: {
        Check(!Backstage().IsBackstageVisible(), "the view starts hidden");
        for (const char* name : {"a.pdf", "b.pdf"})
          Check(OpenDocumentFile(Path(name).c_str()) != nullptr, "a PDF opens");
        AddToRecentFileList(Path("gone.lfw").c_str());
        OpenBackstage();
        break;
      }
      case 1: {
        if (!PageShown("the Recent page shows", "blue")) return --step, TRUE;
        // The column: commands, the Recent tab and Exit, in order; commands without a handler
        // stay disabled (Options has none; the two exports are enabled once the exporters'
        // handlers are there, so either state is right for them).
        struct Row {
          int id;
          const wchar_t* caption;
          int enabled;  // -1: as the exporters' handlers decide
        } const rows[] = {{ID_FILE_NEW, L"&New", 1},
                          {ID_FILE_OPEN, L"&Open", 1},
                          {ID_FILE_SAVE, L"&Save", 1},
                          {ID_FILE_SAVE_AS, L"Save &As", 1},
                          {ID_SAVE_AS_PDF, L"Save As PDF", -1},
                          {ID_SAVE_AS_FLIPBOOK, L"Save As Page-Flip Publication", -1},
                          {IDS_TAB_RECENT, L"Recent", 1},
                          {IDS_TAB_PRINT, L"&Print", 1},
                          {ID_APP_OPTIONS, L"Op&tions", 0},
                          {ID_APP_EXIT, L"Exit", 1}};
        Check(Backstage().GetItemCount() == static_cast<int>(std::size(rows)), "ten items");
        for (int i = 0; i < Backstage().GetItemCount() && i < static_cast<int>(std::size(rows)); ++i) {
          CQORPControl* p = Backstage().GetItem(i);
          Check(p->GetID() == rows[i].id && p->GetCaption() == rows[i].caption, "the item's id and caption");
          if (rows[i].enabled >= 0)
            Check((p->GetEnabled() != FALSE) == (rows[i].enabled == 1), "the item is enabled as its handler says");
        }
        Check(Backstage().IsTab(ItemIndex(IDS_TAB_RECENT)) && Backstage().GetShownPage() == &Page(),
              "the Recent tab shows its page");
        CRect rc;
        Page().GetClientRect(&rc);
        Check(rc.Width() == 650 && rc.Height() == 400, "the page is 650 x 400");
        Check(Listed() == std::vector<std::wstring>{Path("gone.lfw"), Path("b.pdf"), Path("a.pdf")},
              "the recent files, newest first");
        Photograph("blue");
        Pick(2);  // a.pdf
        Check(!Backstage().IsBackstageVisible(), "the view gives way");
        Check(Doc()->GetPathName() == Path("a.pdf").c_str(), "the picked file opens");
        Check(Recent() == std::vector<std::wstring>{Path("a.pdf"), Path("gone.lfw"), Path("b.pdf")},
              "and comes first in the list");
        Theme(ID_THEME_OFFICE2010_BLACK);
        break;
      }
      case 2: {
        if (!PageShown("the Recent page shows in black", "black")) return --step, TRUE;
        Check(Listed() == std::vector<std::wstring>{Path("a.pdf"), Path("gone.lfw"), Path("b.pdf")},
              "the list is read again when the page shows");
        Photograph("black");
        Pick(1);  // gone.lfw
        Check(!Backstage().IsBackstageVisible(), "the view gives way");
        Check(MessageBoxes().size() == 1 && MessageBoxes()[0].rfind(L"Could not open \"" + Path("gone.lfw") + L"\".", 0) == 0,
              "the missing file is reported");
        Check(Recent() == std::vector<std::wstring>{Path("a.pdf"), Path("b.pdf")}, "and leaves the list");
        Check(Doc()->GetPathName() == Path("a.pdf").c_str() && Doc()->GetPagesCount() == 2,
              "the open document stays as it was");
        Theme(ID_THEME_OFFICE2010_SILVER);
        break;
      }
      case 3: {
        if (!PageShown("the Recent page shows in silver", "silver")) return --step, TRUE;
        Check(Listed() == std::vector<std::wstring>{Path("a.pdf"), Path("b.pdf")}, "two entries left");
        Photograph("silver");
        Pick(-1);
        Check(!Backstage().IsBackstageVisible(), "the view gives way");
        Check(Doc()->GetPathName() == Path("a.pdf").c_str() && Recent().size() == 2, "nothing selected: nothing opens");
        OpenBackstage();
        break;
      }
      case 4: {
        if (!PageShown("the Recent page shows again", "silver-again")) return --step, TRUE;
        // The Print tab: its preview worker runs while it is in view, with the document's pages.
        CBackstagePagePrint& print = Frame()->GetPrintPage();
        Check(Backstage().ClickItem(ItemIndex(IDS_TAB_PRINT)) != FALSE, "the Print tab is clicked");
        Check(Backstage().GetShownPage() == &print, "the Print page shows");
        Check(print.GetPreview().IsWorkerRunning(), "its preview worker runs");
        Check(print.GetPreview().m_model.Pages() == std::vector<int>{0, 1}, "with all pages of the document");
        lwmfc::SimulateSelection(print.GetDlgItem(1045), 1);  // 4 pages per sheet: both on one sheet
        photo.BeginWait();
        break;
      }
      case 5: {
        // Photographed once both pages are on the sheet; its titles and texts read at 4.5:1.
        CBackstagePagePrint& print = Frame()->GetPrintPage();
        if (!photo.Of(print.GetPreview().GetPlacedPages() >= 2, "the preview shows both pages", "backstage-print-silver.png"))
          return --step, TRUE;
        if (print.GetPreview().GetPlacedPages() < 2)
          std::fprintf(stderr, "placed %d, sheet %p, worker %d\n", print.GetPreview().GetPlacedPages(),
                       static_cast<const void*>(print.GetPreview().GetSheet()), print.GetPreview().IsWorkerRunning() ? 1 : 0);
        const std::string png = photo.Path();
        for (int id : {1000, 1001, 1004, 1057, 1056, 1037, 1055}) {
          CRect rc;
          print.GetDlgItem(id)->GetWindowRect(&rc);
          const double k = InkContrast(png, rc);
          if (k < 4.5) std::fprintf(stderr, "print page text %d: %.2f\n", id, k);
          Check(k >= 4.5, "the Print page's texts read at 4.5:1");
        }
        Frame()->GetLeafwrightView()->GoToPage(1);
        lwmfc::SimulateSelection(print.GetDlgItem(1043), 1);  // "Print Current Page(s)"
        Check(print.GetPreview().m_model.Pages() == std::vector<int>{1}, "the current pages: the page in view");
        {  // Printed into a file: one sheet, and the document keeps the layout it printed.
          const std::string out = (fs::temp_directory_path() / "lw-backstage-print.pdf").string();
          Check(print.PrintTo(lw::Utf8ToWide(out).c_str()) == 1, "the current page prints on one sheet");
          Check(Doc()->GetPrintRows() == 2 && Doc()->GetPrintColumns() == 2 &&
                    Doc()->GetPrintPages() == std::vector<int>{1},
                "the document keeps the print layout");
          Check(print.GetPreview().IsWorkerRunning(), "the preview worker runs again after printing");
          fs::remove(out);
        }
        Check(Backstage().ClickItem(ItemIndex(IDS_TAB_RECENT)) != FALSE, "back to Recent");
        Check(!print.GetPreview().IsWorkerRunning(), "leaving the Print page stops the worker");
        Check(Backstage().ClickItem(ItemIndex(ID_APP_EXIT)) != FALSE, "Exit is clicked");
        break;
      }
      default:
        if (step > 400) {
          Check(false, "Exit closes the program");
          return FALSE;
        }
        break;
    }
    return TRUE;
  }
  int ExitInstance() override {
    CLeafwrightApp::ExitInstance();
    Check(step >= 6, "every step ran");
    Check(MessageBoxes().size() == 1, "one message box");
    return programharness::Failures() == 0 ? 0 : 3;
  }
};

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  programharness::Environment env;
  CScriptedApp app;
  app.dir = env.files();
  // Made before the toolkit starts: the maker resets cairo's caches, which live windows use.
  lwtest::WriteFileBytes(env.files() / "a.pdf", lwtest::MakeCairoPdf(2));
  lwtest::WriteFileBytes(env.files() / "b.pdf", lwtest::MakeCairoPdf(3));
  return programharness::RunProgram(argv[0]);
}
