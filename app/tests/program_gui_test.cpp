// The program run through its real entry under Xvfb, driven from its idle time as a user would
// drive it: it starts on one blank letter page with "Page: 1 of 1"; opening a 40-page PDF reads
// 32 pages and leaves 8 to be read, with the loading message and progress in the status bar
// while it reads and neither afterwards; the page buttons move through the pages; Save asks for a
// document name (the PDF is never overwritten) and writes it; closing the window ends the run.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <lwstr.h>

#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "PdfFixtures.h"
#include "ProgramHarness.h"
#include "ShellIds.h"
#include "ZoomPane.h"
#include "StampsTool.h"
#include "TestSupport.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;

std::wstring g_saveAnswer;
int g_saveDialogs = 0;
BOOL AnswerFileDialog(BOOL bOpen, CString& rFileName, const wchar_t*) {
  if (bOpen) return FALSE;
  ++g_saveDialogs;
  rFileName = g_saveAnswer.c_str();
  return TRUE;
}

// Sits between the document's progress and the frame's status bar and notes what the bar showed.
struct WatchingStatusBar : CQorProgressStatusBar {
  CMainFrame* frame = nullptr;
  CQorProgressStatusBar* inner = nullptr;
  std::vector<std::wstring> messages;
  int positions = 0;
  bool panesShownWhileReporting = true;
  bool Shown(UINT id) {
    CQORPStatusBarPane* p = frame->GetStatusBar().FindPane(id);
    return p && p->IsVisible();
  }
  void ShowProgress(const CString* message) override {
    messages.emplace_back(message ? message->GetString() : L"");
    inner->ShowProgress(message);
  }
  void HideProgress() override { inner->HideProgress(); }
  bool SetProgressPanePos(int paneId, int position) override {
    ++positions;
    panesShownWhileReporting = panesShownWhileReporting && Shown(ID_INDICATOR_TIP_MESSAGE) && Shown(ID_INDICATOR_PROGRESS);
    return inner->SetProgressPanePos(paneId, position);
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
  CString PaneText(UINT id) {
    CQORPStatusBarPane* p = Frame()->GetStatusBar().FindPane(id);
    return p ? p->GetText() : CString(L"<none>");
  }
  // The page box of the status bar: its text and item count ("<none>", -1 without it).
  std::pair<CString, int> PageBox() {
    CQORPStatusBarPane* p = Frame()->GetStatusBar().FindPane(ID_INDICATOR_PAGE_COMBO);
    auto* box = p ? dynamic_cast<CPageIndexComboBox*>(p->GetChild()) : nullptr;
    if (!box) return {CString(L"<none>"), -1};
    CString s;
    box->GetWindowText(s);
    return {s, box->GetCount()};
  }
  bool PaneShown(UINT id) {
    CQORPStatusBarPane* p = Frame()->GetStatusBar().FindPane(id);
    return p && p->IsVisible();
  }
  // What the backstage's Recent page lists when it is shown (the backstage is closed again).
  std::vector<std::wstring> RecentListed() {
    Frame()->GetBackstageView().ShowBackstage(TRUE);
    CBackstagePageRecent& page = Frame()->GetRecentPage();
    page.OnSetActive();
    std::vector<std::wstring> out;
    for (int i = 0; i < page.m_wndRecentFiles.GetCount(); ++i) {
      CString s;
      page.m_wndRecentFiles.GetText(i, s);
      out.emplace_back(s.GetString());
    }
    Frame()->GetBackstageView().ShowBackstage(FALSE);
    return out;
  }
  int LazyPages() {
    int n = 0;
    for (int i = 0; i < Doc()->GetPagesCount(); ++i) n += Doc()->GetDrawingPage(i)->IsPageContentLoaded() ? 0 : 1;
    return n;
  }

  // A step that waits for a posted command: true once the page pane reads `text` (or, failing
  // the check, after the wait's time limit).
  programharness::Wait wait;
  programharness::Photo photo;
  int level = 0;
  bool photoDue = false;
  bool stampsPlaced = false, stampsShot = false;
  bool PageTextBecomes(const wchar_t* text, const char* what) {
    return wait.For(PaneText(ID_INDICATOR_PAGE_NUMBER) == text, what);
  }

  BOOL OnIdle(LONG lCount) override {
    CLeafwrightApp::OnIdle(lCount);  // the update pass first
    if (!Frame() || !Doc()) return TRUE;
    const int current = step;
    ++step;
    switch (current) {
      case 0: {
        Check(!m_bStartupNewDocument, "the start-up is over");
        Check(Doc()->GetPagesCount() == 1, "one page at start");
        const CDrawingPage* page = Doc()->GetDrawingPage(0);
        Check(page->GetLogWidth() == 8.5f && page->GetLogHeight() == 11.0f &&
                  page->GetPageLogUnit() == Vectorloom::UNIT_INCH,
              "the first page is 8.5 x 11 inches");
        Check(PaneText(ID_INDICATOR_PAGE_NUMBER) == L"Page: 1 of 1", "\"Page: 1 of 1\"");
        Check(PaneText(ID_INDICATOR_ZOOM) == L"100%", "\"100%\"");
        {
          // The navigation panes in their order, the page box between previous and next, the
          // zoom slider after the zoom text.
          const CQORPStatusBar& bar = Frame()->GetStatusBar();
          const std::vector<UINT> tail = {ID_GOTO_FIRST_PAGE, ID_GOTO_PREVIOUS_PAGE, ID_INDICATOR_PAGE_COMBO,
                                          ID_GOTO_NEXT_PAGE,  ID_GOTO_LAST_PAGE,     ID_INDICATOR_ZOOM,
                                          ID_INDICATOR_ZOOM_SLIDER};
          std::vector<UINT> ids;
          for (int i = bar.GetPaneCount() - static_cast<int>(tail.size()); i < bar.GetPaneCount(); ++i)
            ids.push_back(i >= 0 ? bar.GetPane(i)->GetID() : 0);
          Check(ids == tail, "the status bar's navigation and zoom panes in order");
          const CQORPStatusBarPane* box = bar.FindPane(ID_INDICATOR_PAGE_COMBO);
          // Width 0: the pane fits the box to its widest page text (a fixed 90 px cut "104 / 311").
          Check(box && box->GetKind() == QORP_STATUS_PANE_CONTROL && box->GetWidth() == 0 && !box->GetText().IsEmpty() &&
                    box->GetCaption() == L"View Specified Page" && box->GetValue() == L"specified page" &&
                    box->GetTooltip() == L"Go to the page which its index is specified by edit box." &&
                    box->GetChild() && box->GetChild()->GetDlgCtrlID() == IDC_PAGE_INDEX_COMBO,
                "the page box pane");
          const auto* slider = dynamic_cast<const CQORPStatusBarSliderPane*>(bar.FindPane(ID_INDICATOR_ZOOM_SLIDER));
          Check(slider && slider->GetWidth() == 180 && slider->GetRangeMin() == 0 && slider->GetRangeMax() == 1000 &&
                    slider->GetPos() == 500 && slider->GetCaption() == L"&Zoom Slider" && slider->GetTooltip() == L"Zoom" &&
                    slider->GetLeftTooltip() == L"Zoom Out" && slider->GetRightTooltip() == L"Zoom In",
                "the zoom slider pane");
          Check(PageBox() == std::make_pair(CString(L"1 / 1"), 1), "the page box shows \"1 / 1\" with one item");
        }
        {
          // Thumbnail View hides the pane of thumbnails and shows it again, checked while shown.
          struct Probe : CCmdUI {
            Probe() { m_nID = ID_VIEW_THUMBNAIL; }
            void Enable(BOOL on) override { enabled = on ? 1 : 0; }
            void SetCheck(int c) override { checked = c; }
            int enabled = -1, checked = -1;
          };
          CQORPDockingPaneManager& panes = Frame()->GetDockingPaneManager();
          for (const bool shownAfter : {false, true}) {
            Frame()->SendMessage(WM_COMMAND, ID_VIEW_THUMBNAIL);
            Probe probe;
            Check(Frame()->OnCmdMsg(ID_VIEW_THUMBNAIL, CN_UPDATE_COMMAND_UI, &probe, nullptr) != FALSE,
                  "Thumbnail View is answered");
            Check(panes.IsPaneClosed(ID_PANE_THUMBNAILS) == (shownAfter ? FALSE : TRUE), "the pane follows Thumbnail View");
            Check(probe.enabled == 1 && probe.checked == (shownAfter ? 1 : 0), "Thumbnail View is checked while shown");
          }
        }
        Check(!PaneShown(ID_INDICATOR_TIP_MESSAGE) && !PaneShown(ID_INDICATOR_PROGRESS), "no progress at start");
        Check(GetRecentFileCount() == 0, "no recent files yet");
        Check(RecentListed().empty(), "the backstage's Recent page lists nothing");
        // Open a 40-page PDF.
        watch.frame = Frame();
        watch.inner = CLeafwrightDoc::ShellHooks().pStatusBar;
        Check(watch.inner != nullptr, "the document reports progress to the frame");
        CLeafwrightDoc::ShellHooks().pStatusBar = &watch;
        Check(OpenDocumentFile(lw::Utf8ToWide((dir / "forty.pdf").string()).c_str()) != nullptr, "the PDF opens");
        Check(Doc()->GetPagesCount() == 40, "40 pages");
        Check(LazyPages() == 8, "8 pages left to be read");
        Check(watch.messages == std::vector<std::wstring>{L"Loading from file 'forty.pdf'..."}, "the loading message");
        Check(watch.positions > 0 && watch.panesShownWhileReporting, "progress shows while reading");
        Check(!PaneShown(ID_INDICATOR_TIP_MESSAGE) && !PaneShown(ID_INDICATOR_PROGRESS), "and goes afterwards");
        Check(GetRecentFileCount() == 1, "the PDF is a recent file");
        break;
      }
      case 1: {
        if (!PageTextBecomes(L"Page: 1 of 40", "\"Page: 1 of 40\"")) return --step, TRUE;
        Check(PageBox() == std::make_pair(CString(L"1 / 40"), 40), "the page box follows the page count");
        if (CQORPStatusBarPane* p = Frame()->GetStatusBar().FindPane(ID_INDICATOR_PAGE_COMBO)) {
          // Picking the fifth item shows the fifth page.
          lwmfc::SimulateSelection(p->GetChild(), 4);
          Check(Frame()->GetLeafwrightView()->GetPageIndex() == 4, "a pick in the page box shows that page");
          Check(PageBox().first == L"5 / 40", "and the box names it");
        }
        // The backstage's Recent page lists the PDF, and only it.
        const std::vector<std::wstring> listed = RecentListed();
        Check(listed.size() == 1, "one recent document");
        Check(!listed.empty() && listed[0].size() >= 9 && listed[0].substr(listed[0].size() - 9) == L"forty.pdf",
              "it names the PDF");
        Frame()->PostMessage(WM_COMMAND, ID_GOTO_LAST_PAGE);
        break;
      }
      case 2:
        if (!PageTextBecomes(L"Page: 40 of 40", "the last page is shown")) return --step, TRUE;
        Check(PageBox() == std::make_pair(CString(L"40 / 40"), 40), "the page box follows the page shown");
        Frame()->PostMessage(WM_COMMAND, ID_GOTO_PREVIOUS_PAGE);
        break;
      case 3: {
        if (!PageTextBecomes(L"Page: 39 of 40", "the page before it")) return --step, TRUE;
        Check(PageBox() == std::make_pair(CString(L"39 / 40"), 40), "the page box shows the page before it");
        // Through the eighteen zoom levels, from 12.5 % to 800 %, each by its own command; the
        // page is photographed at 100 % and at 400 %.
        if (level < kZoomLevels) {
          if (photoDue) {
            if (!photo.Take()) return --step, TRUE;
            photoDue = false;
            ++level;
            return --step, TRUE;
          }
          const ZoomLevel& z = g_zoomLevels[level];
          Frame()->SendMessage(WM_COMMAND, z.nCommand);
          CLeafwrightView* view = Frame()->GetLeafwrightView();
          Check(view->GetZoom() == z.fFactor * 100.0f, "the level's zoom");
          const long w = static_cast<long>(std::floor(816 * z.fFactor + 0.5f));
          Check(view->GetPageRect().Width() == w, "the page is drawn at the level's size");
          Check(PaneText(ID_INDICATOR_ZOOM) == ZoomPaneText(z.fFactor * 100.0f), "the zoom pane shows the level");
          if (z.fFactor == 1.0f || z.fFactor == 4.0f) {
            photo.Begin(z.fFactor == 1.0f ? "editing-view-100.png" : "editing-view-400.png");
            photoDue = true;
          } else {
            ++level;
          }
          return --step, TRUE;
        }
        if (!stampsPlaced) {
          // Every stamp of the three galleries placed on the page, seen whole at 75 %.
          Frame()->SendMessage(WM_COMMAND, 32867);
          CLeafwrightView* view = Frame()->GetLeafwrightView();
          CDrawingPage* page = view->GetShownPage();
          const int before = page->GetRenderObjectList().GetCount();
          int n = 0;
          for (const UINT galleryId : {ViewCmd::kStampsSignHere, ViewCmd::kStampsBusiness, ViewCmd::kStampsDynamic}) {
            const StampGallery* gallery = FindStampGallery(galleryId);
            for (int i = 0; i < gallery->nCount; ++i, ++n) {
              const auto lp = view->MapFromPic({140.0f + 270.0f * static_cast<float>(n % 3), 60.0f + 72.0f * static_cast<float>(n / 3)});
              const CPoint scroll = view->GetDeviceScrollPosition();
              const CPoint at(static_cast<long>(lp.x) - scroll.x, static_cast<long>(lp.y) - scroll.y);
              view->PickStamp(galleryId, i);
              view->OnMouseMove(0, at);
              view->OnLButtonDown(MK_LBUTTON, at);
            }
          }
          Check(page->GetRenderObjectList().GetCount() == before + 22, "every stamp is placed");
          view->DeseleteAllRenderObjects();
          view->InvalidateView();
          stampsPlaced = true;
          photo.Begin("editing-view-stamps.png");
          return --step, TRUE;
        }
        if (!stampsShot) {
          if (!photo.Take()) return --step, TRUE;
          stampsShot = true;
          // Undo every stamp: the document goes back to what the PDF gave.
          for (int i = 0; i < 22; ++i) Frame()->SendMessage(WM_COMMAND, 57643);
        }
        const auto pdfBefore = lwtest::ReadFileBytes(dir / "forty.pdf");
        g_saveAnswer = lw::Utf8ToWide((dir / "forty.lfw").string());
        Frame()->SendMessage(WM_COMMAND, ID_FILE_SAVE);
        Check(g_saveDialogs == 1, "Save of a document read from a PDF asks for a name");
        Check(lwtest::ReadFileBytes(dir / "forty.pdf") == pdfBefore, "the PDF is untouched");
        Check(fs::exists(dir / "forty.lfw"), "the document file is written");
        Check(Doc()->GetPathName() == g_saveAnswer.c_str(), "the document is now the saved file");
        Check(watch.messages.back() == L"Saving to file \"forty.lfw\"", "the saving message");
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
    Check(step >= 4, "every step ran");
    Check(programharness::MessageBoxes().empty(), "no message box");
    return programharness::Failures() == 0 ? 0 : 3;
  }
};

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  programharness::Environment env;
  lwmfc::SetFileDialogHook(&AnswerFileDialog);
  CScriptedApp app;
  app.dir = env.files();
  // Made before the toolkit starts: the maker resets cairo's caches, which live windows use.
  lwtest::WriteFileBytes(env.files() / "forty.pdf", lwtest::MakeCairoPdf(40));
  return programharness::RunProgram(argv[0]);
}
