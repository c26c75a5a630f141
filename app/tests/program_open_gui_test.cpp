// Starting with a file and opening files, through the program's real entry under Xvfb: started
// with a 300-page PDF named relative to the current folder, the window shows first (on its blank
// page) and the file is read after, with the loading message and progress in the status bar; the
// title bar names the document and marks unsaved changes; the recent-file list keeps one absolute
// name per file however it was typed; files that cannot be opened are reported with the reason.
// The screen is photographed while the file loads.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include <lwstr.h>

#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "MainFrame.h"
#include "PdfFixtures.h"
#include "ProgramHarness.h"
#include "ShellIds.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;
using programharness::MessageBoxes;

class CScriptedApp;
CScriptedApp* g_app = nullptr;

// Between the document's progress and the frame's status bar: notes what the window showed when
// the loading began.
struct WatchingStatusBar : CQorProgressStatusBar {
  CMainFrame* frame = nullptr;
  CQorProgressStatusBar* inner = nullptr;
  std::vector<std::wstring> messages;
  bool windowShownAtStart = false;
  int pagesAtStart = -1;
  int positions = 0;
  bool photographed = false;
  void ShowProgress(const CString* message) override;
  void HideProgress() override { inner->HideProgress(); }
  bool SetProgressPanePos(int paneId, int position) override {
    ++positions;
    const bool ok = inner->SetProgressPanePos(paneId, position);
    // Part way through the pages read at once: the screen as the user sees it then.
    if (!photographed && position >= 40) {
      inner->UpdateWindow();
      screenphoto::Screenshot("open_loading.png");
      photographed = true;
    }
    return ok;
  }
  void UpdateWindow() override { inner->UpdateWindow(); }
};

class CScriptedApp : public CLeafwrightApp {
 public:
  fs::path dir;
  int step = 0;
  WatchingStatusBar watch;

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }
  CString Title() {
    Frame()->OnUpdateCmdUIAll();  // the idle pass that keeps the title
    CString s;
    Frame()->GetWindowText(s);
    return s;
  }
  std::vector<std::wstring> Recent() {
    std::vector<std::wstring> out;
    for (int i = 0; i < GetRecentFileCount(); ++i) out.emplace_back(GetRecentFile(i).GetString());
    return out;
  }

  BOOL OnIdle(LONG lCount) override {
    if (step == 0 && Frame() && !watch.inner) {
      // Before the program's own idle work, which opens the file of the command line.
      watch.frame = Frame();
      watch.inner = CLeafwrightDoc::ShellHooks().pStatusBar;
      CLeafwrightDoc::ShellHooks().pStatusBar = &watch;
      Check(!GetStartFile().IsEmpty(), "the command line's file waits for the window");
      Check(Doc() && Doc()->GetPagesCount() == 1, "the window starts on its blank page");
    }
    CLeafwrightApp::OnIdle(lCount);
    if (!Frame() || !Doc()) return TRUE;
    const int current = step++;
    const fs::path many = dir / "many.pdf";
    switch (current) {
      case 0:
        Check(GetStartFile().IsEmpty(), "the file was opened");
        Check(watch.windowShownAtStart, "the window was on screen when the loading began");
        Check(watch.messages == std::vector<std::wstring>{L"Loading from file 'many.pdf'..."}, "the loading message");
        Check(watch.positions > 0, "progress while loading");
        Check(Doc()->GetPagesCount() == 300, "300 pages");
        Check(Doc()->GetPathName() == CString(lw::Utf8ToWide(many.string()).c_str()), "the document's name is absolute");
        Check(Recent() == std::vector<std::wstring>{lw::Utf8ToWide(many.string())}, "one absolute recent entry");
        break;
      case 1:
        Check(Title() == L"many.pdf - Leafwright", "the title names the document");
        Doc()->SetModifiedFlag(TRUE);
        break;
      case 2:
        Check(Title() == L"*many.pdf - Leafwright", "the title marks unsaved changes");
        Doc()->SetModifiedFlag(FALSE);
        // The same file by another name: still one entry.
        OpenDocumentFile(L"sub/../many.pdf");
        AddToRecentFileList(L"./sub/..//many.pdf");
        Check(Recent() == std::vector<std::wstring>{lw::Utf8ToWide(many.string())}, "one file is listed once");
        Check(Doc()->GetPagesCount() == 300, "the open document was not read again");
        Check(MessageBoxes().empty(), "no message box so far");
        break;
      case 3: {
        // Files that cannot be opened, with the reason; the window goes on, untitled.
        const std::pair<const char*, const wchar_t*> bad[] = {
            {"empty.pdf", L"The file is empty."},
            {"text.pdf", L"The file is not a PDF document."},
        };
        for (const auto& [name, reason] : bad) {
          MessageBoxes().clear();
          OpenDocumentFile(lw::Utf8ToWide(name).c_str());
          const std::wstring expected = L"Could not open \"" + lw::Utf8ToWide((dir / name).string()) + L"\".\n" + reason;
          Check(MessageBoxes() == std::vector<std::wstring>{expected}, name);
        }
        break;
      }
      case 4:
        Check(Title() == L"Untitled - Leafwright", "after a failed open the window is untitled");
        OpenDocumentFile(lw::Utf8ToWide(many.string()).c_str());
        break;
      case 5: case 6: case 7: {
        // The Print page in each theme, once its preview shows four pages on a sheet: the file
        // printers are listed, and no installed printer is said beside the list.
        const UINT themes[] = {ID_THEME_OFFICE2010_BLUE, ID_THEME_OFFICE2010_SILVER, ID_THEME_OFFICE2010_BLACK};
        const char* names[] = {"blue", "silver", "black"};
        const int t = current - 5;
        CBackstagePagePrint& print = Frame()->GetPrintPage();
        if (!printShown) {
          Frame()->OnSwitchTheme(themes[t]);
          CQORPRibbonBar& ribbon = Frame()->GetRibbonBar();
          ribbon.ExecuteControl(ribbon.GetSystemButton());
          CQORPBackstageView& backstage = Frame()->GetBackstageView();
          for (int i = 0; i < backstage.GetItemCount(); ++i)
            if (backstage.GetItem(i)->GetID() == IDS_TAB_PRINT) backstage.ClickItem(i);
          lwmfc::SimulateSelection(print.GetDlgItem(1045), 1);
          printShown = true;
          photo.BeginWait();
          return --step, TRUE;
        }
        if (!photo.Of(print.GetPreview().GetPlacedPages() >= 4, "the preview comes up",
                      std::string("open_print_") + names[t] + ".png"))
          return --step, TRUE;
        printShown = false;
        const std::string png = photo.Path();
        Check(print.GetPreview().GetPlacedPages() >= 4, "the preview shows a sheet of four pages");
        for (int id : {1000, 1001, 1004, 1057, 1056, 1037, 1055}) {
          CRect rc;
          print.GetDlgItem(id)->GetWindowRect(&rc);
          if (!print.GetDlgItem(id)->IsWindowVisible()) continue;
          const double k = screenphoto::InkContrast(png, rc);
          if (k < 4.5) std::fprintf(stderr, "print page text %d: %.2f in %s\n", id, k, names[t]);
          Check(k >= 4.5, "the Print page's texts read at 4.5:1");
        }
        CQORPBackstageView& backstage = Frame()->GetBackstageView();
        backstage.ShowBackstage(FALSE);
        if (t == 2) {
          Frame()->OnSwitchTheme(ID_THEME_OFFICE2010_BLUE);
          Frame()->PostMessage(WM_CLOSE);
        }
        break;
      }
      default:
        break;
    }
    return TRUE;
  }
  bool printShown = false;
  programharness::Photo photo;
  int ExitInstance() override {
    CLeafwrightApp::ExitInstance();
    Check(step >= 8, "every step ran");
    return programharness::Failures() == 0 ? 0 : 3;
  }
};

void WatchingStatusBar::ShowProgress(const CString* message) {
  messages.emplace_back(message ? message->GetString() : L"");
  windowShownAtStart = frame && frame->IsWindowVisible();
  if (CLeafwrightDoc* doc = g_app ? g_app->Doc() : nullptr) pagesAtStart = doc->GetPagesCount();
  inner->ShowProgress(message);
}

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  programharness::Environment env;
  const fs::path& files = env.files();
  lwtest::WriteFileBytes(files / "many.pdf", lwtest::MakeCairoPdf(300));
  lwtest::WriteFileBytes(files / "empty.pdf", {});
  const std::string text = "This is a letter, not a PDF.\n";
  lwtest::WriteFileBytes(files / "text.pdf", std::vector<uint8_t>(text.begin(), text.end()));
  fs::create_directories(files / "sub");
  // Started from the files' folder with a relative name, as from a shell.
  if (chdir(files.c_str()) != 0) return 1;
  CScriptedApp app;
  g_app = &app;
  app.dir = fs::canonical(files);
  return programharness::RunProgram(argv[0], {"many.pdf"});
}
