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
#include "ProgramHarness.h"
#include "ShellIds.h"

namespace fs = std::filesystem;
using Quirebook::CDDrawTextObj;

namespace {

using programharness::Check;
using programharness::InkContrast;

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
  // The words in the settled photograph `shot`, once taken: true then.
  bool Photograph(const char* shot) {
    if (!photo.Of(true, shot, shot)) return false;
    const std::string png = photo.Path();
    const long r = DarkPixels(png, ScreenOf(regular)), b = DarkPixels(png, ScreenOf(bold));
    std::printf("%s: regular words %ld dark pixels, bold words %ld\n", shot, r, b);
    Check(r > 200, "the regular words are on the screen");
    Check(b > r * 11 / 10, "the bold words are heavier on the screen");
    Check(InkContrast(png, ScreenOf(bold)) >= 4.5, "the bold words read at 4.5:1");
    const auto m = grown->GetTransMatrix();
    const CRect below = Screen(m.dx, m.dy + grownFrom + 2, m.dx + grown->GetLayoutBox().cx, m.dy + grown->GetLayoutBox().cy);
    Check(DarkPixels(png, below) > 50, "the words typed past the box's first bottom show");
    return true;
  }
  programharness::Photo photo;

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
        if (!Photograph("text-edits-blue.png")) return --step, TRUE;
        ShowTheme(ID_THEME_OFFICE2010_SILVER);
        break;
      case 3:
        if (!Photograph("text-edits-silver.png")) return --step, TRUE;
        ShowTheme(ID_THEME_OFFICE2010_BLACK);
        break;
      case 4:
        if (!Photograph("text-edits-black.png")) return --step, TRUE;
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
  lwtest::WriteFileBytes(env.files() / "one.pdf", lwtest::MakeCairoPdf(1));
  return programharness::RunProgram(argv[0]);
}
