// Printing several pages per sheet into a PDF file, checked with pdfinfo and pdftoppm.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

#include <PrintJob.h>
#include <QorBaseThread.h>
#include <pixelmill/BitmapCreatorTesting.h>
#include <RenderQueues.h>
#include <TestSupport.h>

#include "PrintTestKit.h"

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

TEST(PrintSheets, PagesPerSheetIntoAPdfFile) {
  // Pages as tall as A4 (100 x 141 px); each is black over its left half.
  struct Case {
    int pages, rows, columns;
    short orientation;
    int sheets;
    // On the last sheet: which cells hold a page.
    std::vector<bool> lastSheetCells;
  } cases[] = {
      {9, 2, 2, DMORIENT_PORTRAIT, 3, {true, false, false, false}},
      {13, 3, 2, DMORIENT_PORTRAIT, 3, {true, false, false, false, false, false}},
      {5, 1, 2, DMORIENT_LANDSCAPE, 3, {true, false}},
      {1, 1, 1, DMORIENT_PORTRAIT, 1, {true}},
  };
  for (const Case& c : cases) {
    std::vector<std::pair<float, float>> sizes(c.pages, {100.0f, 141.0f});
    FakeDoc fx(sizes);
    CPrintLayout layout;
    layout.nRows = c.rows;
    layout.nColumns = c.columns;
    for (int i = 0; i < c.pages; ++i) layout.pages.push_back(i);
    layout.pages.push_back(c.pages + 5);  // not a page of the document: skipped

    DEVMODEW dm{};
    dm.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH | DM_ORIENTATION | DM_PRINTQUALITY | DM_YRESOLUTION;
    dm.dmPaperWidth = 2100;
    dm.dmPaperLength = 2970;
    dm.dmOrientation = c.orientation;
    dm.dmPrintQuality = dm.dmYResolution = 72;
    HDC dc = CreateDCW(nullptr, L"", nullptr, &dm);
    ASSERT_NE(dc, nullptr);
    lwtest::TempDir dir;
    const std::wstring out = (dir / "job.pdf").wstring();
    DOCINFOW info{sizeof(DOCINFOW), L"Job", out.c_str(), nullptr, 0};
    const std::string label = std::to_string(c.pages) + " pages " + std::to_string(c.rows) + "x" + std::to_string(c.columns);
    EXPECT_EQ(PrintSheets(&fx.doc, layout, dc, info), c.sheets) << label;
    DeleteDC(dc);

    const std::string pdfinfo = Capture("pdfinfo '" + (dir / "job.pdf").string() + "'");
    EXPECT_NE(pdfinfo.find("Pages:           " + std::to_string(c.sheets) + "\n"), std::string::npos) << label << pdfinfo;
    const bool landscape = c.orientation == DMORIENT_LANDSCAPE;
    EXPECT_NE(pdfinfo.find(landscape ? "841.89 x 595.276 pts" : "595.276 x 841.89 pts"), std::string::npos) << pdfinfo;
    // Every page was loaded for its drawing and emptied again.
    EXPECT_EQ(fx.source->loads, c.pages) << label;
    EXPECT_EQ(fx.Page(0)->IsPageContentLoaded(), 0);

    // On the last sheet, a cell with a page is dark in the left half of its page, an empty cell
    // white.
    const Gray g = RenderPage(dir / "job.pdf", c.sheets, 72);
    ASSERT_GT(g.width, 0) << label;
    const float cw = static_cast<float>(g.width) / c.columns, ch = static_cast<float>(g.height) / c.rows;
    for (int k = 0; k < c.rows * c.columns; ++k) {
      const float cx = cw * (k % c.columns) + cw / 2, cy = ch * (k / c.columns) + ch / 2;
      // The page is centred in its cell at the cell's scale; probe a quarter of the page's
      // width left of the centre, inside its black half.
      const float s = std::min(cw / 100.0f, ch / 141.0f);
      const int x = static_cast<int>(cx - 25.0f * s), y = static_cast<int>(cy);
      if (c.lastSheetCells[k]) EXPECT_LT(g.at(x, y), 64) << label << " cell " << k;
      else EXPECT_GT(g.at(x, y), 192) << label << " cell " << k;
      EXPECT_GT(g.at(static_cast<int>(cx + 25.0f * s), y), 192) << label << " cell " << k;  // right half white
    }
  }
}

TEST(PrintSheets, TopUpKeepsTheWorkerTwoSheetsAhead) {
  struct Case {
    int queued, perSheet, remaining, add;
  } cases[] = {
      {0, 1, 10, 3},   // one per sheet: 2 x 1 + 1 queued after the first top-up
      {2, 1, 10, 1},   {3, 1, 10, 0},   {0, 4, 100, 9},  {0, 4, 5, 5},
      {8, 4, 100, 1},  {9, 4, 100, 0},  {0, 6, 0, 0},    {0, 0, 10, 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RequestsToTopUp(c.queued, c.perSheet, c.remaining), c.add)
        << c.queued << " queued, " << c.perSheet << " per sheet, " << c.remaining << " left";
}

TEST(PrintSheets, NothingToPrintStartsNoDocument) {
  FakeDoc fx({{100, 141}});
  DEVMODEW dm{};
  LwGetPrinterDefaults(L"", &dm);
  dm.dmPrintQuality = dm.dmYResolution = 36;
  HDC dc = CreateDCW(nullptr, L"", nullptr, &dm);
  ASSERT_NE(dc, nullptr);
  lwtest::TempDir dir;
  const std::wstring out = (dir / "none.pdf").wstring();
  DOCINFOW info{sizeof(DOCINFOW), L"Job", out.c_str(), nullptr, 0};
  CPrintLayout empty;
  EXPECT_EQ(PrintSheets(&fx.doc, empty, dc, info), 0);
  EXPECT_FALSE(std::filesystem::exists(dir / "none.pdf"));
  EXPECT_EQ(PrintSheets(nullptr, empty, dc, info), -1);
  // A document that cannot be started leaves no worker behind and reports failure.
  CPrintLayout one;
  one.pages = {0};
  DOCINFOW bad{sizeof(DOCINFOW), L"Job", L"/nonexistent-folder/x.pdf", nullptr, 0};
  EXPECT_EQ(PrintSheets(&fx.doc, one, dc, bad), -1);
  DeleteDC(dc);
}

}  // namespace

namespace {

// A worker that answers `answers` requests and then ends, as one does when it cannot make an
// image or its drawing throws.
class EndingWorker : public CQorBaseThread {
 public:
  EndingWorker(CLockedQueue<CRenderedPage>& results, int answers) : m_results(results), m_nAnswers(answers) {}
  ~EndingWorker() override { Stop(); }

 protected:
  bool Prepare() override { return true; }
  DWORD Run() override {
    for (int i = 0; i < m_nAnswers; ++i) m_results.Push(CRenderedPage{i, 1.0f, 1.0f, nullptr, nullptr});
    return 0;
  }
  void RequestStop() override {}
  void Cleanup() override {}

 private:
  CLockedQueue<CRenderedPage>& m_results;
  int m_nAnswers;
};

}  // namespace

// The printer takes what a worker answered before it ended, and then gives up instead of waiting
// for answers that never come; a worker that never ran gives nothing at once.
TEST(PrintSheets, TakingResultsEndsWhenTheWorkerHasEnded) {
  for (int answers : {0, 1, 3}) {
    CLockedQueue<CRenderedPage> results;
    EndingWorker worker(results, answers);
    ASSERT_TRUE(CQorBaseThread::Start(&worker));
    for (int i = 0; i < answers; ++i) {
      CRenderedPage r;
      ASSERT_EQ(TakeRenderedPage(results, worker, r), kQueueOk) << answers;
      EXPECT_EQ(r.nSheet, i);
    }
    CRenderedPage r;
    EXPECT_EQ(TakeRenderedPage(results, worker, r), kQueueWaitFailed) << answers;
    worker.Stop();
  }
  CLockedQueue<CRenderedPage> results;
  EndingWorker never(results, 0);
  CRenderedPage r;
  EXPECT_EQ(TakeRenderedPage(results, never, r), kQueueWaitFailed);
}

// A sheet bitmap that cannot be made (a large sheet at a high resolution) fails the job before
// anything is printed; it does not send blank sheets.
TEST(PrintSheets, ASheetThatCannotBeMadeFailsTheJob) {
  FakeDoc fx({{100, 141}, {100, 141}});
  DEVMODEW dm{};
  LwGetPrinterDefaults(L"", &dm);
  dm.dmPrintQuality = dm.dmYResolution = 36;
  HDC dc = CreateDCW(nullptr, L"", nullptr, &dm);
  ASSERT_NE(dc, nullptr);
  lwtest::TempDir dir;
  const std::wstring out = (dir / "job.pdf").wstring();
  DOCINFOW info{sizeof(DOCINFOW), L"Job", out.c_str(), nullptr, 0};
  CPrintLayout layout;
  layout.pages = {0, 1};
  PixelmillFailNextAllocations(1);
  EXPECT_EQ(PrintSheets(&fx.doc, layout, dc, info), -1);
  PixelmillFailNextAllocations(0);
  EXPECT_FALSE(std::filesystem::exists(dir / "job.pdf"));
  // The next job prints.
  EXPECT_EQ(PrintSheets(&fx.doc, layout, dc, info), 2);
  DeleteDC(dc);
}
