// Text formats and growing text boxes in the program's window under Xvfb, as a user makes them:
// two boxes of the same words, the second made bold with the Bold command, and a short box typed
// past its bottom, which grows to hold the words. The window is photographed in each theme; on
// the screen the bold words carry more ink than the regular ones, the grown box shows its last
// words, and the text reads at 4.5:1.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/TextBoxGrowth.h>

#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "PdfFixtures.h"
#include "ScreenPhoto.h"
#include "ShellIds.h"
#include "TestSupport.h"

namespace fs = std::filesystem;
using Quirebook::CDDrawTextObj;

namespace {

using screenphoto::InkContrast;
using screenphoto::Screenshot;

int g_failures = 0;
void Check(bool ok, const char* what) {
  if (!ok) {
    ++g_failures;
    std::fprintf(stderr, "check failed: %s\n", what);
  }
}

int g_messageBoxes = 0;
int RecordMessageBox(const wchar_t* text, const wchar_t*, UINT) {
  ++g_messageBoxes;
  std::fprintf(stderr, "message box: %ls\n", text);
  return IDOK;
}

// Dark pixels (luminance below half) of a screenshot inside a rectangle.
long DarkPixels(const std::string& png, const CRect& rc) {
  std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromFile(lw::Utf8ToWide(png).c_str()));
  if (!bmp || bmp->GetLastStatus() != Gdiplus::Ok) return 0;
  long n = 0;
  for (int y = std::max<LONG>(0, rc.top); y < std::min<LONG>(rc.bottom, bmp->GetHeight()); ++y)
    for (int x = std::max<LONG>(0, rc.left); x < std::min<LONG>(rc.right, bmp->GetWidth()); ++x) {
      Gdiplus::Color c;
      bmp->GetPixel(x, y, &c);
      if (c.GetR() * 299 + c.GetG() * 587 + c.GetB() * 114 < 128 * 1000) ++n;
    }
  return n;
}

class CScriptedApp : public CLeafwrightApp {
 public:
  fs::path dir;
  int step = 0;
  CDDrawTextObj* regular = nullptr;
  CDDrawTextObj* bold = nullptr;
  CDDrawTextObj* grown = nullptr;
  float grownFrom = 0;  // the bottom of the grown box as it was dragged out (page units)

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_pMainWnd); }
  CLeafwrightDoc* Doc() { return Frame() ? dynamic_cast<CLeafwrightDoc*>(Frame()->GetActiveDocument()) : nullptr; }
  CLeafwrightView* View() { return Frame() ? Frame()->GetLeafwrightView() : nullptr; }

  CPoint Client(float x, float y) {
    const auto lp = View()->MapFromPic(Vectorloom::CQorVectorPoint<float>(x, y));
    const CPoint scroll = View()->GetDeviceScrollPosition();
    return CPoint(static_cast<long>(lp.x) - scroll.x, static_cast<long>(lp.y) - scroll.y);
  }
  // A rectangle of the page on the screen.
  CRect Screen(float l, float t, float r, float b) {
    const CPoint a = Client(l, t), z = Client(r, b);
    CRect rc(a.x, a.y, z.x, z.y);
    View()->ClientToScreen(&rc);
    return rc;
  }
  CRect ScreenOf(const CDDrawTextObj* text) {
    const auto m = text->GetTransMatrix();
    const auto& box = text->GetLayoutBox();
    return Screen(m.dx, m.dy, m.dx + box.cx, m.dy + box.cy);
  }

  // Drags out a text box with Add Text and types into it in the face and size given.
  CDDrawTextObj* TypeBox(float l, float t, float r, float b, const wchar_t* face, float size, const wchar_t* words) {
    CLeafwrightView* view = View();
    Frame()->SendMessage(WM_COMMAND, ViewCmd::kInsertText);
    view->OnLButtonDown(MK_LBUTTON, Client(l, t));
    view->OnMouseMove(MK_LBUTTON, Client(r, b));
    view->OnLButtonUp(0, Client(r, b));
    CDDrawTextObj* text = CPublicationView::g_EditingTextTool.GetEditingText();
    Check(text != nullptr, "Add Text makes a box being edited");
    if (!text) return nullptr;
    GlyphweaveLib::CRichFontDesc font;
    font.SetFontFaceName(face);
    font.SetEmbedFontID(-1);
    font.m_fFontSize = size;
    CPublicationView::g_EditingTextTool.SetCurrentFont(font);
    for (const wchar_t* p = words; *p; ++p) view->SendMessage(WM_CHAR, *p, 1);
    return text;
  }
  void ShowTheme(UINT theme) {
    Frame()->OnSwitchTheme(theme);
    View()->InvalidateView();
  }
  void Photograph(const char* shot) {
    const std::string png = Screenshot(shot);
    const long r = DarkPixels(png, ScreenOf(regular)), b = DarkPixels(png, ScreenOf(bold));
    std::printf("%s: regular words %ld dark pixels, bold words %ld\n", shot, r, b);
    Check(r > 200, "the regular words are on the screen");
    Check(b > r * 11 / 10, "the bold words are heavier on the screen");
    Check(InkContrast(png, ScreenOf(bold)) >= 4.5, "the bold words read at 4.5:1");
    const auto m = grown->GetTransMatrix();
    const CRect below = Screen(m.dx, m.dy + grownFrom + 2, m.dx + grown->GetLayoutBox().cx, m.dy + grown->GetLayoutBox().cy);
    Check(DarkPixels(png, below) > 50, "the words typed past the box's first bottom show");
  }

  BOOL OnIdle(LONG lCount) override {
    CLeafwrightApp::OnIdle(lCount);
    if (!Frame() || !Doc() || !View()) return TRUE;
    const int current = step++;
    switch (current) {
      case 0: {
        Check(OpenDocumentFile(lw::Utf8ToWide((dir / "one.pdf").string()).c_str()) != nullptr, "the PDF opens");
        regular = TypeBox(100, 260, 700, 310, L"Arial", 28, L"Words in Arial");
        bold = TypeBox(100, 330, 700, 380, L"Arial", 28, L"Words in Arial");
        if (!regular || !bold) return FALSE;
        CPublicationView::g_EditingTextTool.SetSelection(0, static_cast<int>(bold->GetArrayOfTextCharacters().size()));
        Frame()->SendMessage(WM_COMMAND, ViewCmd::kBold);
        Check(Doc()->GetUndoMenuText() == L"Undo Bold Text", "Bold is one undoable step");
        grownFrom = 24;
        grown = TypeBox(100, 420, 340, 420 + grownFrom, L"DejaVu Sans", 16,
                        L"A short box typed past its bottom grows to hold every word.");
        if (!grown) return FALSE;
        Check(grown->GetLayoutBox().cy > 3 * grownFrom, "the box grew");
        Check(Quirebook::AreAllCharactersInRows(*grown), "every typed character is in a row");
        View()->UpdateEditingTool(nullptr);
        View()->SelectRenderObject(grown, false);
        View()->InvalidateView();
        break;
      }
      case 1: ShowTheme(ID_THEME_OFFICE2010_BLUE); break;
      case 2:
        Photograph("text-edits-blue.png");
        ShowTheme(ID_THEME_OFFICE2010_SILVER);
        break;
      case 3:
        Photograph("text-edits-silver.png");
        ShowTheme(ID_THEME_OFFICE2010_BLACK);
        break;
      case 4:
        Photograph("text-edits-black.png");
        Doc()->SetModifiedFlag(FALSE);
        Frame()->PostMessage(WM_CLOSE);
        break;
      default:
        return FALSE;
    }
    return TRUE;
  }
  int ExitInstance() override {
    CLeafwrightApp::ExitInstance();
    Check(step >= 5, "every step ran");
    Check(g_messageBoxes == 0, "no message box");
    return g_failures == 0 ? 0 : 3;
  }
};

}  // namespace

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libgtk-3.so\nleak:libgdk-3.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
         "leak:libpango\nleak:libcairo.so\nleak:libatk\nleak:libgio-2.0.so\n";
}

int main(int argc, char** argv) {
  (void)argc;
  setenv("NO_AT_BRIDGE", "1", 1);
  setenv("GDK_SCALE", "1", 1);
  lwtest::TempDir home, files;
  setenv("HOME", home.path().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home.path() / "data").c_str(), 1);
  lwmfc::SetMessageBoxHook(&RecordMessageBox);
  CScriptedApp app;
  app.dir = files.path();
  lwtest::WriteFileBytes(files.path() / "one.pdf", lwtest::MakeCairoPdf(1));
  char* args[] = {argv[0], nullptr};
  const int rc = AfxWinMain(1, args);
  std::printf("exit %d, %d failed checks\n", rc, g_failures);
  return rc == 0 && g_failures == 0 ? 0 : 1;
}
