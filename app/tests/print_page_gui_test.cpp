// The backstage Print page under Xvfb: sheets and navigation with a document of nine pages, the
// preview worker started on showing and stopped on leaving, and a photograph in each theme.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include <cairo.h>
#include <lwstr.h>

#include <wx/filename.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <afxwin.h>
#include <afxdialog.h>

#include <AppPrinter.h>
#include <BackstagePagePrint.h>
#include <PrinterPropertiesDlg.h>
#include <SkinFrameDlg.h>
#include <Themes.h>
#include <resource.h>

#include <TestSupport.h>

#include "GuiTestHarness.h"
#include "PrintTestKit.h"

namespace fs = std::filesystem;

namespace {

// The window drawn by the toolkit into an image, written as a PNG under the screenshots folder.
bool Photograph(CWnd* p, const std::string& name) {
  wxWindow* w = p->GetWxWindow();
  w->Refresh();
  w->Update();
  guitest::PumpUntil([] { return false; }, 300);
  using PFN_DRAW = void (*)(void*, cairo_t*);
  static auto draw = reinterpret_cast<PFN_DRAW>(dlsym(RTLD_DEFAULT, "gtk_widget_draw"));
  if (!draw || !w->GetHandle()) return false;
  const wxSize size = w->GetSize();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.x, size.y);
  cairo_t* cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 0, 1);
  cairo_paint(cr);
  draw(w->GetHandle(), cr);
  cairo_destroy(cr);
  wxFileName::Mkdir(LW_SCREENSHOT_DIR, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  const std::string path = std::string(LW_SCREENSHOT_DIR) + "/" + name + ".png";
  const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
  cairo_surface_destroy(surface);
  return ok;
}

// The grey level of the sheet's pixel at (x, y) from the top.
int SheetGray(const BITMAPINFOHEADER* dib, int x, int y) {
  const int stride = ((24 * dib->biWidth + 31) / 32) * 4;
  const BYTE* p = reinterpret_cast<const BYTE*>(dib) + dib->biSize + static_cast<size_t>(stride) * (dib->biHeight - 1 - y) + 3 * x;
  return (p[0] + p[1] + p[2]) / 3;
}

CString Text(CWnd* page, int id) {
  CString s;
  page->GetDlgItem(id)->GetWindowText(s);
  return s;
}

struct PrintPageFixture {
  FakeDoc fx{std::vector<std::pair<float, float>>(9, {100.0f, 130.0f})};
  CWnd host;
  CBackstagePagePrint page;

  PrintPageFixture() {
    host.Create(nullptr, L"Print page", WS_VISIBLE, CRect(0, 0, 1000, 640), nullptr, 0);
    page.m_getDocument = [this] { return &fx.doc; };
    EXPECT_TRUE(page.Create(&host));
    page.MoveWindow(0, 0, 1000, 640);
    page.ShowWindow(SW_SHOW);
    page.OnSetActive();  // as the backstage view does when the page comes into view
  }
  ~PrintPageFixture() {
    page.OnKillActive();
    page.DestroyWindow();
    host.DestroyWindow();
  }
  // Waits until the preview placed `n` pages on the sheet in view.
  bool Placed(int n) {
    return guitest::PumpUntil([&] { return page.GetPreview().GetPlacedPages() >= n; }, 10000);
  }
};

TEST(PrintPageGui, SheetsNavigationAndTheWorker) {
  PrintPageFixture f;
  CPrintPreviewWnd& preview = f.page.GetPreview();
  EXPECT_TRUE(preview.IsWorkerRunning());
  EXPECT_TRUE(f.page.GetPrintButton().HasImage()) << "the Print button shows the printer picture";
  ASSERT_TRUE(f.Placed(1));
  EXPECT_EQ(Text(&f.page, 1049), L"/9");
  {
    // The sheet count reads on one line with the number box beside it.
    guitest::PumpUntil([] { return false; }, 200);
    const wxRect box = f.page.GetDlgItem(1048)->GetWxWindow()->GetScreenRect();
    const wxRect count = f.page.GetDlgItem(1049)->GetWxWindow()->GetScreenRect();
    const int textHeight = f.page.GetDlgItem(1049)->GetWxWindow()->GetBestSize().y;
    const int textMiddle = count.y + std::min(count.height, textHeight) / 2;
    EXPECT_NEAR(textMiddle, box.y + box.height / 2, 2) << "box " << box.y << "+" << box.height << ", count " << count.y
                                                       << "+" << count.height << ", text " << textHeight;
  }

  // 4 pages per sheet: "/3"; the third sheet holds one page, in the top-left cell.
  lwmfc::SimulateSelection(f.page.GetDlgItem(1045), 1);
  EXPECT_EQ(Text(&f.page, 1049), L"/3");
  lwmfc::SimulateControlClick(f.page.GetDlgItem(1051));
  EXPECT_EQ(Text(&f.page, 1048), L"3");
  EXPECT_FALSE(f.page.GetDlgItem(1052)->IsWindowEnabled());
  ASSERT_TRUE(f.Placed(1));
  guitest::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(preview.GetPlacedPages(), 1);
  const BITMAPINFOHEADER* sheet = preview.GetSheet();
  ASSERT_NE(sheet, nullptr);
  const int w = sheet->biWidth, h = sheet->biHeight;
  // Each page is black over its left half: the top-left cell has black left of its centre.
  EXPECT_LT(SheetGray(sheet, w / 4 - w / 20, h / 4), 64);
  EXPECT_GT(SheetGray(sheet, 3 * w / 4 - w / 20, h / 4), 192);
  EXPECT_GT(SheetGray(sheet, w / 4 - w / 20, 3 * h / 4), 192);

  // From 1 page per sheet at sheet 6 to 4 per sheet: sheet "2".
  lwmfc::SimulateSelection(f.page.GetDlgItem(1045), 0);
  f.page.GetDlgItem(1048)->SetWindowText(L"6");
  f.page.SendMessage(2057, 1048, 0);
  EXPECT_EQ(Text(&f.page, 1048), L"6");
  lwmfc::SimulateSelection(f.page.GetDlgItem(1045), 1);
  EXPECT_EQ(Text(&f.page, 1048), L"2");
  EXPECT_EQ(Text(&f.page, 1049), L"/3");
  // A sheet number out of range leaves the sheet and rewrites the edit; Enter in the edit commits
  // it (the key reaches the page before the edit, as every key of the page's windows does).
  auto enterIn = [&](int id) {
    MSG msg{f.page.GetDlgItem(id)->GetSafeHwnd(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    return f.page.PreTranslateMessage(&msg);
  };
  f.page.GetDlgItem(1048)->SetWindowText(L"4");
  EXPECT_TRUE(enterIn(1048));
  EXPECT_EQ(Text(&f.page, 1048), L"2");
  f.page.GetDlgItem(1048)->SetWindowText(L"3");
  EXPECT_TRUE(enterIn(1048));
  EXPECT_EQ(Text(&f.page, 1048), L"3");
  EXPECT_FALSE(enterIn(1040)) << "Enter in the copies edit is not a page number";
  {  // A real Enter key typed into the focused go-to edit.
    f.page.GetDlgItem(1048)->SetWindowText(L"1");
    f.page.GetDlgItem(1048)->SetFocus();
    guitest::PumpUntil([&] { return CWnd::GetFocus() == f.page.GetDlgItem(1048); }, 2000);
    wxUIActionSimulator sim;
    sim.Char(WXK_RETURN);
    EXPECT_TRUE(guitest::PumpUntil([&] { return preview.m_model.CurrentSheet() == 0; }, 3000)) << "Enter typed";
  }
  // A range typed into the custom edit: pages 2, 4 and 9 on one sheet of four.
  lwmfc::SimulateSelection(f.page.GetDlgItem(1043), 2);
  EXPECT_TRUE(f.page.GetDlgItem(1044)->IsWindowVisible());
  f.page.GetDlgItem(1044)->SetWindowText(L"2, 4, 9");
  EXPECT_TRUE(enterIn(1044));
  EXPECT_EQ(preview.m_model.Pages(), (std::vector<int>{1, 3, 8}));
  EXPECT_EQ(Text(&f.page, 1049), L"/1");
  EXPECT_EQ(Text(&f.page, 1048), L"1");

  // Odd pages: five pages, two sheets of four; the sheet in view is clamped.
  lwmfc::SimulateSelection(f.page.GetDlgItem(1043), 3);
  EXPECT_EQ(preview.m_model.Pages(), (std::vector<int>{0, 2, 4, 6, 8}));
  EXPECT_EQ(Text(&f.page, 1049), L"/2");

  // Printed into a file with the page's choices: odd pages (1, 3, 5, 7, 9) at 4 per sheet give
  // two sheets; the preview worker runs again afterwards.
  {
    lwtest::TempDir dir;
    const std::wstring out = (dir / "odd.pdf").wstring();
    EXPECT_EQ(f.page.PrintTo(out.c_str()), 2);
    EXPECT_TRUE(preview.IsWorkerRunning());
    FILE* p = popen(("pdfinfo '" + (dir / "odd.pdf").string() + "'").c_str(), "r");
    ASSERT_NE(p, nullptr);
    char buf[2048] = {};
    const size_t n = fread(buf, 1, sizeof buf - 1, p);
    pclose(p);
    EXPECT_NE(std::string(buf, n).find("Pages:           2\n"), std::string::npos) << buf;
  }

  // Leaving stops the worker; showing again restarts it with all pages on the first sheet.
  f.page.OnKillActive();
  EXPECT_FALSE(preview.IsWorkerRunning());
  f.page.OnSetActive();
  EXPECT_TRUE(preview.IsWorkerRunning());
  EXPECT_EQ(preview.m_model.Pages().size(), 9u);
  EXPECT_EQ(preview.m_model.CurrentSheet(), 0);
  EXPECT_EQ(Text(&f.page, 1048), L"1");

  // Without an installed printer the page says so; the file printers keep Print on and the
  // preview has a paper.
  EXPECT_TRUE(GetAppPrinter().HasPrinter());
  EXPECT_EQ(f.page.GetDlgItem(1056)->IsWindowVisible() == TRUE, !GetAppPrinter().HasInstalledPrinter());
  EXPECT_TRUE(f.page.GetDlgItem(1037)->IsWindowEnabled());
  EXPECT_GT(GetAppPrinter().PaperPixels().cx, 0);

  // An empty custom range: no sheet, and the navigation says so ("0 /0").
  lwmfc::SimulateSelection(f.page.GetDlgItem(1043), 2);
  f.page.GetDlgItem(1044)->SetWindowText(L"");
  EXPECT_TRUE(enterIn(1044));
  EXPECT_EQ(Text(&f.page, 1048), L"0");
  EXPECT_EQ(Text(&f.page, 1049), L"/0");
}

std::string g_printAnswer;
std::wstring g_printProposed;
BOOL AnswerPrintFile(BOOL bOpen, CString& name, const wchar_t*) {
  if (bOpen) return FALSE;
  g_printProposed = name.GetString();
  name = lw::Utf8ToWide(g_printAnswer).c_str();
  return TRUE;
}

std::string RunText(const std::string& cmd) {
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return {};
  std::string out;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  pclose(p);
  return out;
}

// The two file printers are always listed after the installed ones; Print asks for the file and
// prints the sheets into it.
TEST(PrintPageGui, FilePrintersPrintTheSheetsIntoTheNamedFile) {
  PrintPageFixture f;
  auto* list = static_cast<CComboBox*>(f.page.GetDlgItem(1041));
  const int count = list->GetCount();
  ASSERT_GE(count, 2);
  CString pdfName, psName;
  list->GetLBText(count - 2, pdfName);
  list->GetLBText(count - 1, psName);
  EXPECT_EQ(pdfName, L"Print to File (PDF)");
  EXPECT_EQ(psName, L"Print to File (PostScript)");
  lwmfc::SimulateSelection(f.page.GetDlgItem(1045), 1);  // 4 pages per sheet: 3 sheets

  lwtest::TempDir dir;
  lwmfc::SetFileDialogHook(&AnswerPrintFile);
  struct Case {
    int item;
    const char* answer;    // what the user types
    const char* written;   // the file printed into
    const char* proposed;  // the end of the name proposed
  } cases[] = {{count - 2, "sheets", "sheets.pdf", "Untitled.pdf"}, {count - 1, "sheets.ps", "sheets.ps", "Untitled.ps"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    lwmfc::SimulateSelection(list, c.item);
    EXPECT_TRUE(GetAppPrinter().PrintsToFile());
    EXPECT_FALSE(f.page.GetDlgItem(1040)->IsWindowEnabled()) << "a file holds one copy";
    g_printAnswer = (dir / c.answer).string();
    g_printProposed.clear();
    lwmfc::SimulateControlClick(f.page.GetDlgItem(1037));
    EXPECT_EQ(g_printProposed.substr(g_printProposed.find_last_of(L'/') + 1), lw::Utf8ToWide(c.proposed));
    const std::string out = (dir / c.written).string();
    ASSERT_TRUE(fs::exists(out));
    if (std::string(c.written).ends_with(".ps")) {
      EXPECT_EQ(lwtest::ReadFileBytes(out).at(0), '%');
      EXPECT_EQ(lwtest::ReadFileBytes(out).at(1), '!');
      continue;
    }
    EXPECT_NE(RunText("pdfinfo '" + out + "'").find("Pages:           3\n"), std::string::npos);
    // The first sheet rendered: each page is black over its left half, so the top-left cell is
    // dark left of its centre and white right of it.
    ASSERT_NE(RunText("pdftoppm -gray -r 20 -f 1 -l 1 '" + out + "' '" + (dir / "sheet").string() + "' && echo ok"), "");
    const auto pgm = lwtest::ReadFileBytes(dir / "sheet-1.pgm");
    int w = 0, h = 0, max = 0, consumed = 0;
    ASSERT_EQ(std::sscanf(reinterpret_cast<const char*>(pgm.data()), "P5 %d %d %d%n", &w, &h, &max, &consumed), 3);
    const size_t data = static_cast<size_t>(consumed) + 1;
    auto gray = [&](int x, int y) { return pgm.at(data + static_cast<size_t>(y) * w + x); };
    EXPECT_LT(gray(w / 4 - w / 20, h / 4), 64);
    EXPECT_GT(gray(w / 4 + w / 20, h / 4), 192);
  }
  lwmfc::SetFileDialogHook(nullptr);
  // Back to the first printer for the other tests.
  lwmfc::SimulateSelection(list, 0);
}

TEST(PrintPageGui, PrinterPropertiesDialogChangesOnlyOnOk) {
  DEVMODEW dm{};
  LwGetPrinterDefaults(L"", &dm);
  ApplyPrinterChoice(dm, 0, false, 300);  // Letter portrait
  struct Case {
    int button;
    short width;
    short orientation;
    short dpi;
  } cases[] = {{IDOK, 2100, DMORIENT_LANDSCAPE, 600}, {IDCANCEL, 2159, DMORIENT_PORTRAIT, 300}};
  for (const Case& c : cases) {
    static int s_button;
    s_button = c.button;
    lwmfc::SetModalDialogHook([](CDialog* d) {
      EXPECT_EQ(static_cast<CComboBox*>(d->GetDlgItem(1001))->GetCurSel(), 0);  // Letter shown
      lwmfc::SimulateSelection(d->GetDlgItem(1001), 4);                          // A4
      lwmfc::SimulateControlClick(d->GetDlgItem(1003));                          // landscape
      lwmfc::SimulateSelection(d->GetDlgItem(1004), 2);                          // 600 dpi
      lwmfc::SimulateControlClick(d->GetDlgItem(s_button));
    });
    CPrinterPropertiesDlg dlg(dm);
    const INT_PTR result = dlg.DoModal();
    lwmfc::SetModalDialogHook(nullptr);
    EXPECT_EQ(result, c.button);
    const DEVMODEW& out = dlg.Settings();
    EXPECT_EQ(out.dmPaperWidth, c.width);
    EXPECT_EQ(out.dmOrientation, c.orientation);
    EXPECT_EQ(out.dmPrintQuality, c.dpi);
  }
}

TEST(PrintPageGui, PhotographedInEachTheme) {
  struct Theme {
    int id;
    const char* name;
  } themes[] = {{ID_THEME_OFFICE2010_BLUE, "blue"}, {ID_THEME_OFFICE2010_SILVER, "silver"},
                {ID_THEME_OFFICE2010_BLACK, "black"}};
  for (const Theme& t : themes) {
    SCOPED_TRACE(t.name);
    SetCurrentTheme(t.id);
    static std::string s_shot;
    s_shot = std::string("printer_properties_") + t.name;
    lwmfc::SetModalDialogHook([](CDialog* d) {
      EXPECT_TRUE(Photograph(d, s_shot));
      d->EndDialog(IDCANCEL);
    });
    {
      DEVMODEW dm{};
      LwGetPrinterDefaults(L"", &dm);
      CSkinFrameDlg<CPrinterPropertiesDlg> dlg(dm);
      dlg.DoModal();
    }
    lwmfc::SetModalDialogHook(nullptr);
    PrintPageFixture f;
    lwmfc::SimulateSelection(f.page.GetDlgItem(1045), 1);
    ASSERT_TRUE(f.Placed(4));
    EXPECT_TRUE(Photograph(&f.page, std::string("print_page_") + t.name));
  }
  SetCurrentTheme(ID_THEME_OFFICE2010_BLUE);
}

}  // namespace
