// The status bar's zoom and the page keys through the program's real entry under Xvfb, as a
// user drives them on a 40-page document: the slider's - and + buttons and its thumb zoom the
// page and follow the ribbon's zoom and Ctrl + wheel; the slider at 400 % is photographed in each
// theme (the zoom text at 4.5:1); Page Down, Page Up and the wheel turn the page when it fits the
// window and scroll it first when it does not; Last Page brings its thumbnail into view, and one
// wheel notch scrolls the thumbnails by one page. While a text is edited the ribbon's transparency
// and colour galleries are enabled and pointing at an item previews it on the selected
// characters.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <lwstr.h>

#include <QorpControls.h>
#include <QorpGallery.h>

#include <CharProperties.h>

#include "EditTestKit.h"
#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "PagesListView.h"
#include "PdfFixtures.h"
#include "ProgramHarness.h"
#include "ShellIds.h"
#include "ZoomPane.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;
using programharness::InkContrast;

class CScriptedApp : public CLeafwrightApp {
 public:
  fs::path dir;
  int step = 0;

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }
  CLeafwrightView* View() { return Frame() ? Frame()->GetLeafwrightView() : nullptr; }
  CPagesListView* List() { return Frame() ? Frame()->GetPagesListView() : nullptr; }
  CQORPStatusBarSliderPane* Slider() {
    return dynamic_cast<CQORPStatusBarSliderPane*>(Frame()->GetStatusBar().FindPane(ID_INDICATOR_ZOOM_SLIDER));
  }
  CString ZoomText() { return Frame()->GetStatusBar().FindPane(ID_INDICATOR_ZOOM)->GetText(); }
  // The zoom, the slider and its text agree on a value.
  void ShowsZoom(float zoom, const char* what) {
    const float now = View()->GetZoom();
    std::printf("%s: zoom %.2f, slider %d, \"%ls\"\n", what, static_cast<double>(now), Slider()->GetPos(),
                ZoomText().GetString());
    Check(std::abs(now - zoom) < 1e-3f, std::string(what) + ": the zoom");
    Check(Slider()->GetPos() == SliderPosFromZoom(zoom), std::string(what) + ": the slider follows");
    Check(ZoomText() == ZoomPaneText(zoom), std::string(what) + ": the zoom text");
  }
  // A click on the status bar at x within the slider pane (from its left edge, or its right when
  // negative).
  void ClickSlider(int x) {
    const CRect r = Slider()->GetRect();
    const int at = x >= 0 ? r.left + x : r.right + x;
    Frame()->GetStatusBar().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at, r.CenterPoint().y));
    Frame()->GetStatusBar().SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(at, r.CenterPoint().y));
  }
  void Wheel(CWnd* wnd, int notches, UINT keys = 0) {
    CRect r;
    wnd->GetWindowRect(&r);
    wnd->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<short>(notches * WHEEL_DELTA)),
                     MAKELPARAM(r.CenterPoint().x, r.CenterPoint().y));
  }
  void Key(UINT key) { View()->SendMessage(WM_KEYDOWN, key, 1); }
  void ShowTheme(UINT theme) {
    Frame()->OnSwitchTheme(theme);
    Frame()->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  }
  // The zoom text in the settled photograph `shot`, once taken: true then.
  bool PhotographSlider(const char* shot) {
    if (!photo.Of(true, shot, shot)) return false;
    const std::string png = photo.Path();
    CRect bar;
    Frame()->GetStatusBar().GetWindowRect(&bar);
    CRect text = Frame()->GetStatusBar().FindPane(ID_INDICATOR_ZOOM)->GetRect();
    text.OffsetRect(bar.TopLeft());
    const double k = InkContrast(png, text);
    std::printf("zoom text: %.2f:1 in %s\n", k, shot);
    Check(k >= 4.5, std::string("the zoom text reads at 4.5:1 in ") + shot);
    return true;
  }
  programharness::Photo photo;
  // The cell of a page lies whole inside the thumbnail pane.
  bool ThumbnailInView(int index) {
    CRect client;
    List()->GetClientRect(&client);
    CRect cell = List()->GetLayout().CellRect(index);
    cell.OffsetRect(-List()->GetScrollPosition());
    return cell.top >= 0 && cell.bottom <= client.bottom;
  }

  // The alpha of each character of a text.
  static std::vector<int> Alphas(Quirebook::CDDrawTextObj* text) {
    std::vector<int> out;
    for (const auto& c : text->GetArrayOfTextCharacters())
      out.push_back(Quirebook::CAccessTextObjFilledTransparencyProp::Read(c));
    return out;
  }
  // A gallery of the ribbon: the first gallery in the list of its drop-down.
  CQORPControlGallery* RibbonGallery(UINT dropDown) {
    CQORPControl* control = Frame()->GetCommandBars()->FindControl(QORP_CONTROL_ERROR, dropDown, FALSE, FALSE);
    if (!control || !control->GetCommandBar()) return nullptr;
    for (int i = 0; i < control->GetCommandBar()->GetCount(); ++i)
      if (auto* g = dynamic_cast<CQORPControlGallery*>(control->GetCommandBar()->GetAt(i))) return g;
    return nullptr;
  }
  void EditedTextGalleries() {
    auto* text = edittest::MakeText(L"abcd", 24);
    View()->GetShownPage()->AddShapeObject(text);
    View()->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
    CPublicationView::g_EditingTextTool.SetEditingText(text);
    CPublicationView::g_EditingTextTool.SetSelection(1, 3);
    Frame()->OnUpdateCmdUIAll();
    for (UINT id : {ID_FILL_TRANSPARENCY, ID_STROKE_TRANSPARENCY, ID_FILL_COLOR, ID_STROKE_COLOR}) {
      CQORPControlGallery* g = RibbonGallery(id);
      Check(g && g->GetEnabled(), "the gallery of " + std::to_string(id) + " is enabled while a text is edited");
    }
    CQORPControlGallery* fill = RibbonGallery(ID_FILL_TRANSPARENCY);
    if (!fill) return;
    const std::vector<int> before = Alphas(text);
    int item = -1;  // the item of alpha 128
    for (int i = 0; i < fill->GetItemCount(); ++i)
      if (fill->GetItem(i) && fill->GetItem(i)->GetID() == 3) item = i;
    fill->SetSelectedItem(item);
    NMQORPCONTROL nm{{nullptr, ID_FILL_TRANSPARENCY, QORP_GN_HIGHLIGHT}, fill, 0, 0};
    Frame()->SendMessage(QORP_WM_GALLERYNOTIFY, QORP_GN_HIGHLIGHT, reinterpret_cast<LPARAM>(&nm));
    const std::vector<int> shown = Alphas(text);
    Check(shown[1] == 128 && shown[2] == 128 && shown[0] == before[0], "pointing previews on the selected characters");
    Check(View()->GetPreviewScene() != nullptr, "the view holds the preview");
    Frame()->SendMessage(QORP_WM_GALLERYNOTIFY, QORP_GN_HIGHLIGHTEND, reinterpret_cast<LPARAM>(&nm));
    Check(Alphas(text) == before, "leaving the list restores the characters");
    View()->UpdateEditingTool(nullptr);
  }

  BOOL OnIdle(LONG lCount) override {
    CLeafwrightApp::OnIdle(lCount);
    if (!Frame() || !Doc() || !View() || !List()) return TRUE;
    const int current = step++;
    switch (current) {
      case 0: {
        Check(OpenDocumentFile(lw::Utf8ToWide((dir / "forty.pdf").string()).c_str()) != nullptr, "the PDF opens");
        Check(Doc()->GetPagesCount() == 40, "40 pages");
        ShowsZoom(100, "at opening");
        ClickSlider(-4);  // the + button
        ShowsZoom(110, "the + button");
        ClickSlider(4);  // the - button
        ClickSlider(4);
        ShowsZoom(90, "the - button twice");
        // The thumb dragged to 560, then to 520 (near 100 %, which it snaps to).
        for (int pos : {560, 520}) {
          NMQORPCONTROL nm{{Frame()->GetStatusBar().GetSafeHwnd(), ID_INDICATOR_ZOOM_SLIDER, QORP_CN_SLIDER}, nullptr,
                           SB_THUMBTRACK, pos};
          Frame()->SendMessage(WM_NOTIFY, ID_INDICATOR_ZOOM_SLIDER, reinterpret_cast<LPARAM>(&nm));
          ShowsZoom(pos == 560 ? 184 : 100, pos == 560 ? "the thumb at 560" : "the thumb at 520");
        }
        Frame()->SendMessage(WM_COMMAND, ID_ZOOM_IN);
        ShowsZoom(125, "the ribbon's Zoom In");
        Wheel(View(), 2, MK_CONTROL);
        ShowsZoom(175, "Ctrl + wheel, two notches up");
        Wheel(View(), -1, MK_CONTROL);
        ShowsZoom(150, "Ctrl + wheel, one notch down");
        Frame()->SendMessage(WM_COMMAND, 32862);  // 400 %
        ShowsZoom(400, "the ribbon's 400 %");
        ShowTheme(ID_THEME_OFFICE2010_BLUE);
        break;
      }
      case 1:
        if (!PhotographSlider("zoom-slider-400-blue.png")) return --step, TRUE;
        ShowTheme(ID_THEME_OFFICE2010_SILVER);
        break;
      case 2:
        if (!PhotographSlider("zoom-slider-400-silver.png")) return --step, TRUE;
        ShowTheme(ID_THEME_OFFICE2010_BLACK);
        break;
      case 3: {
        if (!PhotographSlider("zoom-slider-400-black.png")) return --step, TRUE;
        ShowsZoom(400, "after the theme switches");
        // At 400 % the page is taller than the window: Page Down scrolls within it.
        Key(VK_NEXT);
        Check(View()->GetPageIndex() == 0 && View()->GetScrollPosition().y > 0, "Page Down scrolls a tall page");
        // At 25 % the page fits: the keys and the wheel turn the page, the thumbnails follow.
        Frame()->SendMessage(WM_COMMAND, 32869);
        Key(VK_NEXT);
        Check(View()->GetPageIndex() == 1, "Page Down shows page 2");
        Check(List()->GetSelectedCount() == 1 && List()->GetSelectedPage(0) == Doc()->GetDrawingPage(1),
              "the thumbnails mark page 2");
        Key(VK_PRIOR);
        Check(View()->GetPageIndex() == 0, "Page Up shows page 1 again");
        Key(VK_PRIOR);
        Check(View()->GetPageIndex() == 0, "Page Up on the first page stays");
        Wheel(View(), -1);
        Check(View()->GetPageIndex() == 1, "the wheel down shows page 2");
        Wheel(View(), 1);
        Check(View()->GetPageIndex() == 0, "the wheel up shows page 1");
        // Last Page: the thumbnails scroll to it and mark it.
        Frame()->SendMessage(WM_COMMAND, ID_GOTO_LAST_PAGE);
        Check(View()->GetPageIndex() == 39, "Last Page shows page 40");
        Check(ThumbnailInView(39), "page 40's thumbnail is in view");
        Check(List()->GetSelectedCount() == 1 && List()->GetSelectedPage(0) == Doc()->GetDrawingPage(39),
              "and marked");
        break;
      }
      case 4: {
        if (!photo.Of(true, "the last page shown", "pages-pane-last-page.png")) return --step, TRUE;
        Doc()->GoToPage(4);
        Check(ThumbnailInView(4), "a page chosen by number comes into view");
        // One wheel notch scrolls the thumbnails by one page.
        List()->ScrollToPosition(CPoint(0, 0));
        Wheel(List(), -1);
        std::printf("one notch: %d pixels, cells of %d\n", static_cast<int>(List()->GetScrollPosition().y),
                    List()->GetLayout().cellHeight);
        Check(List()->GetScrollPosition().y == List()->GetLayout().cellHeight, "one notch scrolls one thumbnail");
        EditedTextGalleries();
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
  CScriptedApp app;
  app.dir = env.files();
  lwtest::WriteFileBytes(env.files() / "forty.pdf", lwtest::MakeCairoPdf(40));
  return programharness::RunProgram(argv[0]);
}
