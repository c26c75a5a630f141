// Printer contexts: their device capabilities, the document calls, and the files they print to
// (checked with poppler's pdfinfo and pdftoppm).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <TestSupport.h>
#include <winspool.h>

namespace {

std::string Capture(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
  }
  return out;
}

// A grey image of one page of a PDF at `dpi`, read from pdftoppm's PGM output.
struct Gray {
  int width = 0, height = 0;
  std::vector<unsigned char> px;
  int at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
};
Gray RenderPage(const std::filesystem::path& pdf, int page, int dpi) {
  const auto root = pdf.parent_path() / ("page" + std::to_string(page));
  const std::string cmd = "pdftoppm -gray -singlefile -r " + std::to_string(dpi) + " -f " + std::to_string(page) + " -l " +
                          std::to_string(page) + " '" + pdf.string() + "' '" + root.string() + "'";
  Gray g;
  if (std::system(cmd.c_str()) != 0) return g;
  std::ifstream in(root.string() + ".pgm", std::ios::binary);
  std::string magic;
  int maxval = 0;
  in >> magic >> g.width >> g.height >> maxval;
  in.get();
  g.px.resize(static_cast<size_t>(g.width) * g.height);
  in.read(reinterpret_cast<char*>(g.px.data()), static_cast<std::streamsize>(g.px.size()));
  if (magic != "P5" || !in) g = Gray{};
  return g;
}

DEVMODEW Paper(short w, short l, short orientation, short dpi) {
  DEVMODEW dm{};
  dm.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH | DM_ORIENTATION | DM_PRINTQUALITY | DM_YRESOLUTION;
  dm.dmPaperWidth = w;
  dm.dmPaperLength = l;
  dm.dmOrientation = orientation;
  dm.dmPrintQuality = dpi;
  dm.dmYResolution = dpi;
  return dm;
}

TEST(PrinterDC, DeviceCapsFollowPaperOrientationAndResolution) {
  struct Case {
    short w, l, orientation, dpi;
    int horz, vert;
  } cases[] = {
      {2159, 2794, DMORIENT_PORTRAIT, 300, 2550, 3300},
      {2159, 2794, DMORIENT_LANDSCAPE, 300, 3300, 2550},
      {2100, 2970, DMORIENT_PORTRAIT, 72, 595, 841},
      {2100, 2970, DMORIENT_LANDSCAPE, 150, 1753, 1240},
  };
  for (const Case& c : cases) {
    const DEVMODEW dm = Paper(c.w, c.l, c.orientation, c.dpi);
    HDC dc = CreateDCW(L"WINSPOOL", L"", nullptr, &dm);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, TECHNOLOGY), DT_RASPRINTER);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), c.dpi);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), c.dpi);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), c.horz) << c.w << " " << c.orientation;
    EXPECT_EQ(GetDeviceCaps(dc, VERTRES), c.vert) << c.w << " " << c.orientation;
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), c.horz);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 0);
    EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_DC));
    EXPECT_EQ(SelectObject(dc, CreateCompatibleBitmap(dc, 4, 4)), nullptr);  // its page stays
    EXPECT_TRUE(DeleteDC(dc));
  }
  DEVMODEW none = Paper(0, 2970, DMORIENT_PORTRAIT, 300);
  EXPECT_EQ(CreateDCW(nullptr, L"", nullptr, &none), nullptr);
  DEVMODEW huge = Paper(32000, 32000, DMORIENT_PORTRAIT, 2400);
  EXPECT_EQ(CreateDCW(nullptr, L"", nullptr, &huge), nullptr);
}

TEST(PrinterDC, DocumentCallsInOrderOnly) {
  lwtest::TempDir dir;
  const DEVMODEW dm = Paper(2100, 2970, DMORIENT_PORTRAIT, 36);
  HDC dc = CreateDCW(nullptr, L"", nullptr, &dm);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(StartPage(dc), SP_ERROR);  // no document
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  DOCINFOW toPrinter{sizeof(DOCINFOW), L"x", nullptr, nullptr, 0};
  EXPECT_EQ(StartDocW(dc, &toPrinter), SP_ERROR);  // no printer name and no file
  DOCINFOW bad{sizeof(DOCINFOW), L"x", L"/nonexistent-folder/out.pdf", nullptr, 0};
  EXPECT_EQ(StartDocW(dc, &bad), SP_ERROR);
  const std::wstring out = (dir / "aborted.pdf").wstring();
  DOCINFOW info{sizeof(DOCINFOW), L"x", out.c_str(), nullptr, 0};
  ASSERT_GT(StartDocW(dc, &info), 0);
  EXPECT_EQ(StartDocW(dc, &info), SP_ERROR);  // one document at a time
  EXPECT_EQ(EndPage(dc), SP_ERROR);           // no page
  ASSERT_GT(StartPage(dc), 0);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_GT(AbortDoc(dc), 0);
  EXPECT_FALSE(std::filesystem::exists(out));
  EXPECT_TRUE(DeleteDC(dc));
  EXPECT_EQ(StartDocW(nullptr, &info), SP_ERROR);
}

TEST(PrinterDC, PrintsDibsToPdfAndPostScriptFiles) {
  lwtest::TempDir dir;
  // A4 landscape at 72 dpi: one printer pixel per point.
  const DEVMODEW dm = Paper(2100, 2970, DMORIENT_LANDSCAPE, 72);
  // A 2 x 2 bottom-up 24-bit DIB: black on the top row, white below.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = 2;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  const unsigned char bits[16] = {255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  for (const char* name : {"sheets.pdf", "sheets.ps"}) {
    HDC dc = CreateDCW(nullptr, L"", nullptr, &dm);
    ASSERT_NE(dc, nullptr);
    const std::wstring out = (dir / name).wstring();
    DOCINFOW info{sizeof(DOCINFOW), L"Sheets", out.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc, &info), 0);
    // Page 1: the DIB copied 1:1 at the top-left; page 2: stretched over the left half.
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 2, 2, 0, 0, 0, 2, bits, &bi, DIB_RGB_COLORS), 2);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(StartPage(dc), 0);
    EXPECT_GT(StretchDIBits(dc, 0, 0, 421, 596, 0, 0, 2, 2, bits, &bi, DIB_RGB_COLORS, SRCCOPY), 0);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    EXPECT_TRUE(DeleteDC(dc));
    ASSERT_TRUE(std::filesystem::exists(dir / name)) << name;
  }
  const std::string info = Capture("pdfinfo '" + (dir / "sheets.pdf").string() + "'");
  EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
  EXPECT_NE(info.find("Page size:       841.89 x 595.276 pts (A4)"), std::string::npos) << info;
  EXPECT_NE(info.find("Title:           Sheets"), std::string::npos) << info;
  const Gray p1 = RenderPage(dir / "sheets.pdf", 1, 72);
  ASSERT_EQ(p1.width, 842);
  EXPECT_LT(p1.at(0, 0), 64);     // the black row, top-left
  EXPECT_GT(p1.at(0, 1), 192);    // white below it
  EXPECT_GT(p1.at(400, 300), 192);
  const Gray p2 = RenderPage(dir / "sheets.pdf", 2, 72);
  ASSERT_EQ(p2.height, 596);  // 595.28 points, rounded up by pdftoppm
  EXPECT_LT(p2.at(200, 100), 64);   // the top half of the stretched DIB is black
  EXPECT_GT(p2.at(200, 500), 192);  // its lower half white
  EXPECT_GT(p2.at(700, 100), 192);  // the right half untouched
  const auto ps = lwtest::ReadFileBytes(dir / "sheets.ps");
  const std::string text(ps.begin(), ps.end());
  EXPECT_EQ(text.rfind("%!PS", 0), 0u);
  EXPECT_NE(text.find("%%Pages: 2"), std::string::npos);
}

TEST(PrinterSettings, PaperNamesAndLocaleDefaults) {
  struct Media {
    const char* name;
    bool ok;
    short w, l;
  } media[] = {
      {"na_letter_8.5x11in", true, 2159, 2794}, {"iso_a4_210x297mm", true, 2100, 2970},
      {"na_legal_8.5x14in", true, 2159, 3556},  {"iso_a5_148x210mm", true, 1480, 2100},
      {"Letter", false, 0, 0},                  {"custom_x_0x0mm", false, 0, 0},
      {"huge_99999x99999in", false, 0, 0},      {nullptr, false, 0, 0},
  };
  for (const Media& m : media) {
    short w = 0, l = 0;
    EXPECT_EQ(LwPaperFromMediaName(m.name, &w, &l), m.ok) << (m.name ? m.name : "null");
    if (m.ok) {
      EXPECT_EQ(w, m.w) << m.name;
      EXPECT_EQ(l, m.l) << m.name;
    }
  }
  struct Locale {
    const char* name;
    short w;
  } locales[] = {{"en_US.UTF-8", 2159}, {"fr_CA.UTF-8", 2159}, {"es_MX", 2159},
                 {"en_GB.UTF-8", 2100}, {"de_DE.UTF-8", 2100}, {"C.UTF-8", 2100}};
  for (const Locale& c : locales) {
    short w = 0, l = 0;
    LwDefaultPaperForLocale(c.name, &w, &l);
    EXPECT_EQ(w, c.w) << c.name;
    EXPECT_EQ(l, c.w == 2159 ? 2794 : 2970) << c.name;
  }
  // A printer's defaults carry its name, one copy and a usable paper.
  DEVMODEW dm;
  LwGetPrinterDefaults(L"No Such Printer", &dm);
  EXPECT_EQ(std::wstring(dm.dmDeviceName), L"No Such Printer");
  EXPECT_EQ(dm.dmCopies, 1);
  EXPECT_GT(dm.dmPaperWidth, 0);
  EXPECT_EQ(dm.dmPrintQuality, kLwDefaultPrinterDpi);
}

}  // namespace
