// The thumbnail pane and the page commands through the program's real entry under Xvfb, as a
// user drives them: on a 5-page document, pages selected in the pane are duplicated (the copies
// selected), the duplication undone, three pages reversed, Delete refused with every page
// selected; the pane is photographed in each theme (captions at 4.5:1); the order survives a
// save and a new open; pages 2-3 are extracted beside the document next to an existing extract
// and the page file opens; a 300-page document reads only the pages scrolled into view, and
// only once scrolling has paused.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <thread>

#include <signal.h>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>

#include "ExtractDlg.h"
#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "PagesListView.h"
#include "PdfFixtures.h"
#include "ProgramHarness.h"
#include "PublishPrompts.h"
#include "ScreenPhoto.h"
#include "ShellIds.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;
using screenphoto::InkContrast;
using screenphoto::Screenshot;

std::wstring g_saveAnswer;
BOOL AnswerFileDialog(BOOL bOpen, CString& rFileName, const wchar_t*) {
  if (bOpen) return FALSE;
  rFileName = g_saveAnswer.c_str();
  return TRUE;
}



// Extract asks for "2-3" as the dialog's page-range text would give it.
bool PromptRange23(CLeafwrightDoc* doc, std::vector<int>& pages) {
  const int bad = ExtractPagesForChoice(kExtractRange, 0, 0, L"2-3", doc->GetPagesCount(), {}, 0, pages);
  return bad == 0;
}
std::vector<std::wstring> g_started;
bool RecordStart(const CString& file) {
  g_started.emplace_back(file.GetString());
  return true;
}

class CScriptedApp : public CLeafwrightApp {
 public:
  fs::path dir;
  int step = 0;

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }
  CPagesListView* List() { return Frame() ? Frame()->GetPagesListView() : nullptr; }

  // Pages are named by a number kept in their flags (it is saved with them); a copy shows "'".
  std::map<CDrawingPage*, int> names;
  void NamePages() {
    names.clear();
    for (int i = 0; i < Doc()->GetPagesCount(); ++i) {
      CDrawingPage* p = Doc()->GetDrawingPage(i);
      p->SetPageFlags(static_cast<unsigned long>(i + 1) << 8);
      names[p] = i + 1;
    }
  }
  std::string Order() {
    std::string s;
    for (int i = 0; i < Doc()->GetPagesCount(); ++i) {
      CDrawingPage* p = Doc()->GetDrawingPage(i);
      s += (s.empty() ? "" : ",") + std::to_string(p->GetPageFlags() >> 8) + (names.count(p) ? "" : "'");
    }
    return s;
  }
  std::string Selected() {
    std::string s;
    for (int i = 0; i < List()->GetSelectedCount(); ++i)
      s += (s.empty() ? "" : ",") + std::to_string(Doc()->GetRenderPagesArray().IndexOf(List()->GetSelectedPage(i)) + 1);
    return s;
  }
  // Clicks the cell of 1-based page n in the pane (scrolled into view first).
  void ClickPage(int n, UINT flags = 0) {
    CPagesListView* list = List();
    const CPagesListLayout& l = list->GetLayout();
    list->ScrollToPosition(CPoint(0, (n - 1) * l.cellHeight));
    const CPoint at = l.CellRect(n - 1).CenterPoint() - list->GetScrollPosition();
    list->SendMessage(WM_LBUTTONDOWN, flags, MAKELPARAM(at.x, at.y));
  }
  int Loaded() {
    int n = 0;
    for (int i = 0; i < Doc()->GetPagesCount(); ++i) n += Doc()->GetDrawingPage(i)->IsPageContentLoaded() ? 1 : 0;
    return n;
  }
  void ShowTheme(UINT theme) {
    Frame()->OnSwitchTheme(theme);
    List()->ScrollToPosition(CPoint(0, 0));
    List()->Invalidate();
  }
  // A step that photographs the pane once the theme's repaint has settled, then measures it.
  programharness::Photo photo;
  bool PanePhotographed(const char* shot) {
    if (!photo.Of(true, "the pane shows", shot)) return false;
    PhotographPane(shot);
    return true;
  }
  void PhotographPane(const char* shot) {
    const std::string png = photo.Path();
    CRect pane;
    List()->GetWindowRect(&pane);
    // Page 1 is selected (the cell's fill), page 2 not (the pane's background).
    for (int row : {0, 1}) {
      CRect caption = List()->GetLayout().CaptionRect(row);
      caption.OffsetRect(pane.TopLeft());
      caption.IntersectRect(caption, pane);
      const double k = InkContrast(png, caption);
      std::printf("caption %d: %.2f:1 in %s\n", row + 1, k, shot);
      Check(k >= 4.5, "the caption reads at 4.5:1");
    }
  }

  // The program itself started on the page file as Extract starts it: its main window comes up
  // at full size, with no message box (a file it cannot read is reported in a small window of
  // the same title before the main window shows).
  static std::string Windows() { return programharness::WindowsTitled("Leafwright\"", false); }
  void SecondInstanceOpens(const fs::path& lfd) {
    const std::string before = Windows();
    const std::string screenBefore = Screenshot("pages-before-second-instance.png");
    DWORD pid = 0;
    Check(StartProgramOn(lw::Utf8ToWide(LW_PROGRAM).c_str(), lw::Utf8ToWide(lfd.string()).c_str(), &pid),
          "the second instance starts");
    if (!pid) return;
    std::string now;
    programharness::PollFor([&] { return Windows().size() > before.size(); }, std::chrono::seconds(30));
    // Its pages are read and painted: photographed until the screen has changed and settled.
    Check(programharness::PhotographSettled("pages-second-instance.png", std::chrono::seconds(30), screenBefore),
          "the second instance's window is painted");
    now = Windows();
    std::printf("windows with the program's title:\n%s", now.c_str());
    // Main windows are titled "<document> - Leafwright"; a message box "Norvane Leafwright".
    int full = 0, small = 0;
    size_t at = 0;
    while ((at = now.find("Leafwright\"", at)) != std::string::npos) {
      const bool main = at >= 3 && now.compare(at - 3, 3, " - ") == 0;
      const bool box = at >= 9 && now.compare(at - 9, 9, "\"Norvane ") == 0;
      const size_t size = now.find(')', at) + 1;
      const int w = std::atoi(now.c_str() + now.find_first_not_of(' ', size));
      if (main && w >= 800) ++full;
      if (box) ++small;
      at = size;
    }
    Check(full == 2, "the second instance shows its main window");
    Check(small == 0, "and no message box");
    kill(static_cast<pid_t>(pid), SIGTERM);
  }

  BOOL OnIdle(LONG lCount) override {
    CLeafwrightApp::OnIdle(lCount);
    if (!Frame() || !Doc() || !List()) return TRUE;
    const int current = step++;
    switch (current) {
      case 0: {
        Check(OpenDocumentFile(lw::Utf8ToWide((dir / "five.pdf").string()).c_str()) != nullptr, "the PDF opens");
        Check(Doc()->GetPagesCount() == 5, "5 pages");
        NamePages();
        Check(List()->GetLayout().cellHeight > 36, "the pane is laid out");
        ClickPage(2);
        ClickPage(4, MK_CONTROL);
        Check(Selected() == "2,4", "pages 2 and 4 selected");
        Frame()->SendMessage(WM_COMMAND, ID_PAGES_DUPLICATE);
        Check(Order() == "1,2,2',3,4,4',5", "duplicate copies each selected page after itself");
        Check(Selected() == "3,6", "the copies are selected");
        Doc()->OnEditUndo();
        Check(Order() == "1,2,3,4,5", "undo takes the copies away");
        Check(List()->GetSelectedCount() == 1 && Selected() == "3", "the page now in their place is selected alone");
        ClickPage(1);
        ClickPage(3, MK_CONTROL);
        ClickPage(4, MK_CONTROL);
        Frame()->SendMessage(WM_COMMAND, ID_PAGES_REVERSE_SELECTED);
        Check(Order() == "4,2,3,1,5", "reverse selected");
        ClickPage(1);
        ClickPage(5, MK_SHIFT);
        Check(List()->GetSelectedCount() == 5, "every page selected");
        Check(!Doc()->IsPageCommandEnabled(ID_PAGES_DELETE), "Delete is disabled with every page selected");
        Frame()->SendMessage(WM_COMMAND, ID_PAGES_DELETE);
        Check(Doc()->GetPagesCount() == 5, "and deletes nothing when sent anyway");
        ClickPage(1);
        break;
      }
      case 1: ShowTheme(ID_THEME_OFFICE2010_BLUE); break;
      case 2:
        if (!PanePhotographed("pages-pane-blue.png")) return --step, TRUE;
        ShowTheme(ID_THEME_OFFICE2010_SILVER);
        break;
      case 3:
        if (!PanePhotographed("pages-pane-silver.png")) return --step, TRUE;
        ShowTheme(ID_THEME_OFFICE2010_BLACK);
        break;
      case 4: {
        if (!PanePhotographed("pages-pane-black.png")) return --step, TRUE;
        g_saveAnswer = lw::Utf8ToWide((dir / "report.lfw").string());
        Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE);
        Check(fs::exists(dir / "report.lfw"), "saved");
        names.clear();
        Check(OpenDocumentFile(g_saveAnswer.c_str()) != nullptr, "reopened");
        for (int i = 0; i < Doc()->GetPagesCount(); ++i) names[Doc()->GetDrawingPage(i)] = 0;
        Check(Order() == "4,2,3,1,5", "the order survives saving and opening");
        // Extract pages 2-3 beside a page file of that name.
        std::ofstream(dir / "Pages From report.lfd") << "not ours";
        PublishHooks().pfnPromptExtractPages = &PromptRange23;
        PublishHooks().pfnStartInstance = &RecordStart;
        Frame()->SendMessage(WM_COMMAND, ID_PAGES_EXTRACT);
        const fs::path lfd = dir / "Pages From report1.lfd";
        Check(g_started.size() == 1 && g_started[0] == lw::Utf8ToWide(lfd.string()), "the page file is opened");
        std::ifstream in(lfd, std::ios::binary);
        std::string head(12, '\0');
        in.read(head.data(), 12);
        Check(head == "EPDF20002010", "the page file's header");
        SecondInstanceOpens(lfd);
        Check(OpenDocumentFile(lw::Utf8ToWide(lfd.string()).c_str()) != nullptr, "the program opens the page file");
        Check(Doc()->GetPagesCount() == 2, "two pages");
        names.clear();
        for (int i = 0; i < Doc()->GetPagesCount(); ++i) names[Doc()->GetDrawingPage(i)] = 0;
        Check(Order() == "2,3", "pages 2 and 3");
        // 300 pages: 32 read at opening.
        Check(OpenDocumentFile(lw::Utf8ToWide((dir / "many.pdf").string()).c_str()) != nullptr, "300 pages open");
        Check(Doc()->GetPagesCount() == 300, "300 pages");
        const int atOpen = Loaded();
        Check(atOpen == CLeafwrightDoc::kLoadedAtOpen, "the first pages are read at opening");
        CPagesListView* list = List();
        list->ScrollToPosition(CPoint(0, 150 * list->GetLayout().cellHeight));
        list->GetDebounce().Scrolled(100000);
        list->OnLoadTimer(100200);
        Check(Loaded() == atOpen, "nothing is read while scrolling");
        list->OnLoadTimer(100301);
        CRect client;
        list->GetClientRect(&client);
        const int visible = client.Height() / list->GetLayout().cellHeight + 2;
        const int read = Loaded() - atOpen;
        Check(read >= 1 && read <= visible, "only the visible pages are read once scrolling paused");
        Check(Doc()->GetDrawingPage(150)->IsPageContentLoaded() != 0, "the page in view is read");
        Check(!Doc()->GetDrawingPage(100)->IsPageContentLoaded() && !Doc()->GetDrawingPage(299)->IsPageContentLoaded(),
              "pages out of view are not");
        std::printf("300 pages: %d read at opening, %d read after scrolling to page 151 (%d rows fit)\n", atOpen, read,
                    visible - 2);
        Screenshot("pages-pane-scrolled.png");
        Frame()->PostMessage(WM_CLOSE);
        break;
      }
      default:
        return FALSE;
    }
    return TRUE;
  }
  int ExitInstance() override {
    CLeafwrightApp::ExitInstance();
    Check(step >= 5, "every step ran");
    Check(programharness::MessageBoxes().empty(), "no message box");
    return programharness::Failures() == 0 ? 0 : 3;
  }
};

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  programharness::Environment env;
  programharness::MessageBoxAnswer() = IDYES;
  lwmfc::SetFileDialogHook(&AnswerFileDialog);
  CScriptedApp app;
  app.dir = env.files();
  lwtest::WriteFileBytes(env.files() / "five.pdf", lwtest::MakeCairoPdf(5));
  lwtest::WriteFileBytes(env.files() / "many.pdf", lwtest::MakeCairoPdf(300));
  return programharness::RunProgram(argv[0]);
}
