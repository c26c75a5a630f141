// The program run through its real entry under Xvfb: the start-up New is silent, a later New
// asks with the new-document dialog in the current dialog skin (cancel keeps the document as it
// was; OK makes the pages asked for, in their unit); Save As offers the document type only and
// names the file ".lfw"; the Style drop-down of the tab row switches the three themes with a
// check mark on the current one, recolours the window (photographed into screenshots/ for
// looking at) and gives later dialogs that theme's skin; About shows the program's name, its
// licence, where its source is and the icon credits, with links to the licence and the icons.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <afxdlgs.h>
#include <gdiplus/gdiplus.h>
#include <lwstr.h>

#include "AboutDlg.h"
#include "LeafwrightApp.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "MyDocManager.h"
#include "NewPdfDlg.h"
#include "ProgramHarness.h"
#include "QorpGalleryWindows.h"
#include "QorpPaintManager.h"
#include "RibbonLayout.h"
#include "ScreenPhoto.h"
#include "ShellIds.h"
#include "TestSupport.h"
#include "Themes.h"

namespace fs = std::filesystem;

namespace {

using programharness::Check;
using screenphoto::InkContrast;

// The dialogs the program shows: each is answered by the next body, and noted.
std::vector<std::function<void(CDialog*)>> g_dialogBodies;
std::vector<std::string> g_dialogsShown;
void AnswerDialog(CDialog* p) {
  g_dialogsShown.emplace_back(dynamic_cast<CNewPdfDlg*>(p) ? "new" : dynamic_cast<CAboutDlg*>(p) ? "about" : "other");
  if (g_dialogBodies.empty()) {
    Check(false, "a dialog nobody expected");
    p->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  auto body = std::move(g_dialogBodies.front());
  g_dialogBodies.erase(g_dialogBodies.begin());
  body(p);
}
void Press(CDialog* p, int id) { p->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// What the skin loader was asked, in order ("<section>" or "-" for an unload).
struct RecordingSkinLoader : IDialogSkinLoader {
  std::vector<std::wstring> calls;
  BOOL LoadSkin(const wchar_t* path, const wchar_t* section) override {
    calls.emplace_back(path && *path ? std::wstring(section) : L"-");
    return TRUE;
  }
} g_skins;

lwmfc::FileDialogRequest g_asked;
std::wstring g_saveAnswer;
int g_fileDialogs = 0;
BOOL AnswerFileDialog(lwmfc::FileDialogRequest& req) {
  ++g_fileDialogs;
  g_asked = req;
  if (g_saveAnswer.empty()) return FALSE;
  req.fileName = g_saveAnswer;
  return TRUE;
}

// The colours a theme's file gives.
CQORPThemeColors ThemeColors(const wchar_t* ini) {
  CQORPThemeColors colors;
  std::string text;
  if (CQORPResourceTheme::LoadThemeText(kQorpThemeModule, ini, text)) colors.Parse(text);
  return colors;
}
bool SameColors(const CQORPThemeColors& a, const CQORPThemeColors& b) {
  for (int i = 0; i < QORP_CLR_COUNT; ++i)
    if (a.GetColor(i) != b.GetColor(i)) return false;
  return true;
}




std::vector<std::wstring> g_linksOpened;
BOOL RecordLink(const wchar_t* url) {
  g_linksOpened.emplace_back(url);
  return TRUE;
}

bool Near(float a, float b) { return std::abs(a - b) <= std::abs(b) * 1e-5f; }

class CScriptedApp : public CLeafwrightApp {
 public:
  fs::path dir;
  int step = 0;

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }
  CString PaneText(UINT id) {
    CQORPStatusBarPane* p = Frame()->GetStatusBar().FindPane(id);
    return p ? p->GetText() : CString(L"<none>");
  }
  void Command(UINT id) { Frame()->SendMessage(WM_COMMAND, id); }
  CQORPControl* Control(int id) { return Frame()->GetCommandBars()->FindControl(QORP_CONTROL_ERROR, id, FALSE, TRUE); }
  int CheckedTheme() {
    int checked = 0, count = 0;
    for (int id : {ID_THEME_OFFICE2010_BLUE, ID_THEME_OFFICE2010_SILVER, ID_THEME_OFFICE2010_BLACK}) {
      CQORPControl* p = Control(id);
      if (p && p->GetChecked() == 1) checked = id, ++count;
    }
    return count == 1 ? checked : -count;
  }
  // Picks a theme as the Style drop-down's item does: its command posted to the frame.
  void PickTheme(int id) {
    CQORPControl* item = Control(id);
    Check(item && item->GetEnabled(), "the theme item is enabled");
    Frame()->PostMessage(WM_COMMAND, static_cast<WPARAM>(id));
    photo.BeginWait();
  }
  // A step that waits until the window shows theme `id` (its item checked) on the Edit tab,
  // photographed as `shot` once repainted.
  programharness::Photo photo;
  bool ThemeShown(int id, const char* what, const char* shot) {
    CQORPRibbonBar& ribbon = Frame()->GetRibbonBar();
    return photo.Of(CheckedTheme() == id && ribbon.GetSelectedTab() == ribbon.GetTab(1), what, shot);
  }
  void CheckTheme(int id, const wchar_t* ini) {
    Check(GetCurrentTheme() == id, "the frame keeps the theme");
    Check(CQORPPaintManager::Get()->GetTheme() == 6, "paint theme 6");
    Check(SameColors(CQORPPaintManager::Get()->GetColors(), ThemeColors(ini)), "the window takes the theme's colours");
    const std::string png = photo.Path();
    const char* shot = png.c_str();
    // The command icons show on the theme's ribbon (3:1 for a picture): the large "Add Stamp"
    // of the Edit tab (shown since the Style check) and the quick access bar's New, Open and
    // Save As (enabled while a document is open).
    {
      CQORPControl* button = nullptr;
      CQORPCommandBars* bars = Frame()->GetCommandBars();
      for (int i = 0; !button && i < bars->GetCount(); ++i)
        for (int j = 0; j < bars->GetAt(i)->GetCount(); ++j)
          if (bars->GetAt(i)->GetAt(j)->GetID() == ID_ADD_STAMP && Frame()->GetRibbonBar().HasLargeIcon(ID_ADD_STAMP)) {
            CRect rc;
            if (Frame()->GetRibbonBar().GetControlScreenRect(bars->GetAt(i)->GetAt(j), rc) && rc.Height() > 40)
              button = bars->GetAt(i)->GetAt(j);
          }
      CRect rc;
      Check(button && Frame()->GetRibbonBar().GetControlScreenRect(button, rc) && button->GetEnabled(),
            "the large button is on screen and enabled");
      if (button) {
        const int cx = rc.CenterPoint().x;
        rc = CRect(cx - 16, rc.top + 2, cx + 16, rc.top + 36);  // the 32-pixel icon, above the caption
        const double k = InkContrast(png, rc);
        if (k < 3.0) std::fprintf(stderr, "icon %d: %.2f in %s (%ld,%ld,%ld,%ld)\n", ID_ADD_STAMP, k, shot, rc.left, rc.top, rc.right, rc.bottom);
        Check(k >= 3.0, "the icon shows on the ribbon");
      }
    }
    CQORPCommandBar* quick = Frame()->GetRibbonBar().GetQuickAccessControls();
    for (int i = 0; quick && i < 3 && i < quick->GetCount(); ++i) {
      CQORPControl* button = quick->GetAt(i);
      CRect rc;
      Check(Frame()->GetRibbonBar().GetControlScreenRect(button, rc) && button->GetEnabled(),
            "the quick access button is on screen and enabled");
      const CPoint c = rc.CenterPoint();
      rc = CRect(c.x - 9, c.y - 9, c.x + 9, c.y + 9);  // the 16-pixel icon, the item's only content
      const double k = InkContrast(png, rc);
      if (k < 3.0) std::fprintf(stderr, "icon %d: %.2f in %s (%ld,%ld,%ld,%ld)\n", button->GetID(), k, shot, rc.left, rc.top, rc.right, rc.bottom);
      Check(k >= 3.0, "the small icon shows on the quick access bar");
    }
  }

  programharness::Wait wait;
  bool PageTextBecomes(const wchar_t* text, const char* what) {
    return wait.For(PaneText(ID_INDICATOR_PAGE_NUMBER) == text, what);
  }

  BOOL OnIdle(LONG lCount) override {
    CLeafwrightApp::OnIdle(lCount);
    if (!Frame() || !Doc()) return TRUE;
    const int current = step;
    ++step;
    switch (current) {
      case 0: {
        Check(dynamic_cast<CMyDocManager*>(m_pDocManager) != nullptr, "the program's document manager is installed");
        Check(g_dialogsShown.empty(), "the start-up New asks nothing");
        Check(Doc()->GetPagesCount() == 1, "one page at start");
        // A later New asks; cancelled, the document keeps its page.
        CDrawingPage* before = Doc()->GetDrawingPage(0);
        g_skins.calls.clear();
        g_dialogBodies.push_back([](CDialog* p) { Press(p, IDCANCEL); });
        Command(ID_FILE_NEW);
        Check(g_dialogsShown == std::vector<std::string>{"new"}, "the second New shows the new-document dialog");
        Check(g_skins.calls == std::vector<std::wstring>{L"NormalBlue.ini", L"-"},
              "the dialog is skinned in the current theme and the skin goes with it");
        Check(Doc()->GetPagesCount() == 1 && Doc()->GetDrawingPage(0) == before, "cancel leaves the document");
        // OK with three custom pages of 10 x 20 cm.
        g_dialogBodies.push_back([](CDialog* p) {
          lwmfc::SimulateControlClick(p->GetDlgItem(IDC_RADIO_CUSTOM));
          lwmfc::SimulateSelection(p->GetDlgItem(IDC_COMBO_UNITS), 1);
          lwmfc::SimulateTyping(p->GetDlgItem(IDC_EDIT_WIDTH), L"10");
          lwmfc::SimulateTyping(p->GetDlgItem(IDC_EDIT_HEIGHT), L"20");
          lwmfc::SimulateTyping(p->GetDlgItem(IDC_EDIT_PAGECOUNT), L"3");
          Press(p, IDOK);
        });
        Command(ID_FILE_NEW);
        Check(g_dialogsShown.size() == 2, "the third New asks as well");
        Check(Doc()->GetPagesCount() == 3, "three pages made");
        bool sized = Doc()->GetPagesCount() == 3;
        for (int i = 0; sized && i < 3; ++i) {
          const CDrawingPage* page = Doc()->GetDrawingPage(i);
          sized = Near(page->GetLogWidth(), 10.0f) && Near(page->GetLogHeight(), 20.0f) &&
                  page->GetPageLogUnit() == Vectorloom::UNIT_CENTIMETER && page->IsPageContentLoaded();
        }
        Check(sized, "each page is 10 x 20 cm, loaded");
        Check(!Doc()->IsModified(), "a new document is not modified");
        break;
      }
      case 1: {
        if (!PageTextBecomes(L"Page: 1 of 3", "\"Page: 1 of 3\"")) return --step, TRUE;
        // Save As: the document type only, the name given ".lfw".
        g_saveAnswer = lw::Utf8ToWide((dir / "three").string());
        Command(ID_FILE_SAVE_AS);
        Check(g_fileDialogs == 1, "Save As asks for a name");
        Check(g_asked.kind == lwmfc::FileDialogRequest::saveFile, "a save dialog");
        Check(g_asked.filters.size() == 1 && g_asked.filters[0].name == L"Norvane Leafwright Files (*.LFW)",
              "one filter entry, the document type");
        Check(g_asked.defaultExt == L"lfw", "\"lfw\" proposed");
        Check(fs::exists(dir / "three.lfw"), "the file is named with .lfw");
        Check(Doc()->GetPathName() == lw::Utf8ToWide((dir / "three.lfw").string()).c_str(), "the document is that file");
        // The Style drop-down at the right of the tab row lists the three themes; Blue at start.
        CQORPCommandBar* tabRow = Frame()->GetRibbonBar().GetTabRowControls();
        CQORPControl* style = tabRow && tabRow->GetCount() > 0 ? tabRow->GetAt(0) : nullptr;
        Check(style && style->GetCaption() == L"Style" && style->GetCommandBar(), "a \"Style\" drop-down");
        if (style && style->GetCommandBar()) {
          CQORPCommandBar* list = style->GetCommandBar();
          std::vector<std::pair<int, std::wstring>> items;
          for (int i = 0; i < list->GetCount(); ++i)
            items.emplace_back(list->GetAt(i)->GetID(), list->GetAt(i)->GetCaption().GetString());
          Check(items == std::vector<std::pair<int, std::wstring>>{{ID_THEME_OFFICE2010_BLUE, L"Office 2010 Blue"},
                                                                    {ID_THEME_OFFICE2010_SILVER, L"Office 2010 Silver"},
                                                                    {ID_THEME_OFFICE2010_BLACK, L"Office 2010 Black"}},
                "its three themes");
        }
        // The Edit tab, whose "Add Stamp" shows a large enabled icon in each theme below.
        Frame()->GetRibbonBar().SelectTab(Frame()->GetRibbonBar().GetTab(1));
        photo.BeginWait();
        break;
      }
      case 2:
        if (!ThemeShown(ID_THEME_OFFICE2010_BLUE, "Blue is checked at start", "program-theme-blue.png")) return --step, TRUE;
        CheckTheme(ID_THEME_OFFICE2010_BLUE, kQorpThemeBlue);
        PickTheme(ID_THEME_OFFICE2010_BLACK);
        break;
      case 3:
        if (!ThemeShown(ID_THEME_OFFICE2010_BLACK, "Black is checked, alone", "program-theme-black.png")) return --step, TRUE;
        CheckTheme(ID_THEME_OFFICE2010_BLACK, kQorpThemeBlack);
        PickTheme(ID_THEME_OFFICE2010_SILVER);
        break;
      case 4: {
        if (!ThemeShown(ID_THEME_OFFICE2010_SILVER, "Silver is checked, alone", "program-theme-silver.png"))
          return --step, TRUE;
        CheckTheme(ID_THEME_OFFICE2010_SILVER, kQorpThemeSilver);
        // The Style drop-down opened, as a click on it does.
        CQORPControl* style = Frame()->GetRibbonBar().GetTabRowControls()->GetAt(0);
        Check(Frame()->GetRibbonBar().ExecuteControl(style, TRUE) && QORPGetOpenPopupControl() == style,
              "the Style drop-down opens its list");
        photo.BeginWait();
        break;
      }
      case 5: {
        if (!ThemeShown(ID_THEME_OFFICE2010_SILVER, "Silver stays checked", "program-style-menu.png")) return --step, TRUE;
        QORPClosePopupBar();
        Check(QORPGetOpenPopupControl() == nullptr, "the list closes");
        // A dialog opened now takes the silver skin.
        g_skins.calls.clear();
        g_dialogBodies.push_back([](CDialog* p) { Press(p, IDCANCEL); });
        Command(ID_FILE_NEW);
        Check(g_skins.calls == std::vector<std::wstring>{L"NormalSilver.ini", L"-"}, "the dialog takes the silver skin");
        // About, from the tab row's button: its texts, and links that open their addresses.
        CQORPCommandBar* tabRow = Frame()->GetRibbonBar().GetTabRowControls();
        CQORPControl* about = tabRow && tabRow->GetCount() > 1 ? tabRow->GetAt(1) : nullptr;
        Check(about && about->GetID() == ID_APP_ABOUT && about->GetEnabled(), "an enabled About button follows Style");
        g_skins.calls.clear();
        g_dialogBodies.push_back([](CDialog* p) {
          CString caption, product, maker, licence, credits;
          p->GetWindowText(caption);
          p->GetDlgItemText(IDC_STATIC_PRODUCT, product);
          p->GetDlgItemText(IDC_STATIC_MAKER, maker);
          p->GetDlgItemText(IDC_STATIC_LICENCE, licence);
          p->GetDlgItemText(IDC_STATIC_CREDITS, credits);
          Check(caption == L"About Norvane Leafwright", "the About caption");
          Check(product == L"Norvane Leafwright" && maker == L"Norvane", "product and maker");
          Check(licence.Find(L"GNU Affero General Public License,\nversion 3 or later") >= 0 &&
                    licence.Find(L"source code") >= 0,
                "the licence and where the source is");
          Check(credits.Find(L"Breeze icon theme by the KDE Visual Design\nGroup") >= 0, "the icon credits");
          screenphoto::Screenshot("program-about.png");
          auto* dlg = static_cast<CAboutDlg*>(p);
          for (CQORPHyperLink* link : {&dlg->m_linkHomePage, &dlg->m_linkSales, &dlg->m_linkSupport, &dlg->m_linkAuthor})
            link->Open();
          Press(p, IDOK);
        });
        g_linksOpened.clear();
        Command(ID_APP_ABOUT);
        Check(g_dialogsShown.back() == "about", "About shows the About dialog");
        Check(g_skins.calls == std::vector<std::wstring>{L"NormalSilver.ini", L"-"}, "About takes the silver skin");
        Check(g_linksOpened == std::vector<std::wstring>{L"https://www.gnu.org/licenses/agpl-3.0.html",
                                                         L"https://invent.kde.org/frameworks/breeze-icons"},
              "the links open the licence and the icons' page; the two without an address are hidden");
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
    Check(step >= 6, "every step ran");
    Check(g_dialogBodies.empty(), "every expected dialog came");
    Check(programharness::MessageBoxes().empty(), "no message box");
    return programharness::Failures() == 0 ? 0 : 3;
  }
};

}  // namespace

int main(int argc, char** argv) {
  (void)argc;
  programharness::Environment env;
  lwmfc::SetFileDialogRequestHook(&AnswerFileDialog);
  lwmfc::SetModalDialogHook(&AnswerDialog);
  SetDialogSkinLoader(&g_skins);
  lwqorp::SetLinkOpener(&RecordLink);
  CScriptedApp app;
  app.dir = env.files();
  const int rc = programharness::RunProgram(argv[0]);
  SetDialogSkinLoader(nullptr);
  return rc;
}
