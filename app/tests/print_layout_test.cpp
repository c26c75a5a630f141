// Sheet layout, paper measures, page-range text and the Print page's navigation, by table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <PrintLayout.h>

namespace {

std::vector<int> Range(int from, int to) {
  std::vector<int> v;
  for (int i = from; i <= to; ++i) v.push_back(i);
  return v;
}

TEST(SheetLayout, SheetsAndCellsForEveryGrid) {
  // Pages per sheet 1, 2, 4, 6, 9, 16 in portrait (rows >= columns) and landscape grids.
  struct Grid {
    int rows, columns;
  } grids[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {3, 2}, {2, 3}, {3, 3}, {4, 4}};
  for (const Grid& g : grids) {
    const int per = g.rows * g.columns;
    for (int pages : {0, 1, per - 1, per, per + 1, 3 * per + 1}) {
      if (pages < 0) continue;
      const int sheets = SheetCount(pages, per);
      EXPECT_EQ(sheets, (pages + per - 1) / per) << per << " per sheet, " << pages << " pages";
      if (pages == 0) continue;
      // The last page sits on the last sheet; the cell of page i runs row by row.
      EXPECT_EQ((pages - 1) / per, sheets - 1);
    }
    // Every cell of a sheet lands where its row and column say, pages exactly cell-sized.
    const float cw = 600.0f / g.columns, ch = 800.0f / g.rows;
    for (int k = 0; k < per; ++k) {
      const POINT p = CellImageOrigin(cw, ch, k, g.columns, static_cast<int>(cw), static_cast<int>(ch));
      EXPECT_EQ(p.x, static_cast<int>(cw * (k % g.columns) + 0.5f)) << g.rows << "x" << g.columns << " cell " << k;
      EXPECT_EQ(p.y, static_cast<int>(ch * (k / g.columns) + 0.5f)) << g.rows << "x" << g.columns << " cell " << k;
    }
  }
  // A smaller page is centred in its cell.
  struct Centre {
    float cw, ch;
    int k, columns, bw, bh;
    LONG x, y;
  } centres[] = {
      {100, 50, 0, 2, 60, 50, 20, 0},
      {100, 50, 3, 2, 60, 20, 120, 65},
      {33.5f, 33.5f, 1, 3, 30, 30, 36, 2},
      {50, 50, 0, 1, 51, 50, 0, 0},  // one pixel wider: the half-pixel rounds up to 0
  };
  for (const Centre& c : centres) {
    const POINT p = CellImageOrigin(c.cw, c.ch, c.k, c.columns, c.bw, c.bh);
    EXPECT_EQ(p.x, c.x) << c.cw << " k" << c.k;
    EXPECT_EQ(p.y, c.y) << c.ch << " k" << c.k;
  }
}

TEST(SheetLayout, SheetAfterChangingPagesPerSheet) {
  struct Case {
    int list, oldPer, current, newPer, expected;
  } cases[] = {
      {12, 1, 5, 4, 1},    // the sixth page moves to the second sheet of four
      {12, 4, 1, 9, 0},    // positions 4..7 all lie on the first sheet of nine
      {12, 4, 2, 9, 1},    // positions 8..11: three of four on the second sheet
      {9, 4, 2, 9, 0},     // only position 8 holds a page: the one sheet there is
      {9, 1, 8, 4, 2},     // the last page at one per sheet
      {9, 16, 0, 1, 0},
      {20, 9, 2, 4, 4},    // positions 18, 19 of a short last sheet
      {5, 1, 7, 4, 1},     // a sheet out of range ends on the last sheet
      {0, 4, 3, 9, 0},
      {10, 4, 1, 4, 1},    // unchanged grid keeps the sheet
      {100, 16, 3, 9, 6},  // positions 48..63: 6 on sheet 5, 9 on sheet 6, 1 on sheet 7
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SheetAfterLayoutChange(c.list, c.oldPer, c.current, c.newPer), c.expected)
        << c.list << " pages, " << c.oldPer << "/sheet at " << c.current << " -> " << c.newPer;
  }
}

TEST(PaperSize, UnitChoiceAndPixels) {
  struct Case {
    const char* name;
    int w, l;
    int unit;
    float mw, ml;
  } cases[] = {
      {"Letter", 2159, 2794, 0, 8.5f, 11.0f},
      {"A4", 2100, 2970, 1, 21.0f, 29.7f},
      {"Legal", 2159, 3556, 0, 8.5f, 14.0f},
      {"odd size", 1005, 1483, 2, 100.5f, 148.3f},
  };
  for (const Case& c : cases) {
    const PaperMeasure m = MeasurePaper(c.w, c.l);
    EXPECT_EQ(m.unit, c.unit) << c.name;
    EXPECT_FLOAT_EQ(m.width, c.mw) << c.name;
    EXPECT_FLOAT_EQ(m.height, c.ml) << c.name;
  }
  struct Px {
    int w, l;
    bool landscape;
    int dpi;
    LONG cx, cy;
  } px[] = {
      {2159, 2794, false, 300, 2550, 3300},
      {2159, 2794, true, 300, 3300, 2550},
      {2100, 2970, false, 72, 595, 841},
      {2100, 2970, false, 0, 0, 0},   // no printer context
      {0, 2970, false, 300, 0, 0},    // no paper
  };
  for (const Px& p : px) {
    const SIZE s = PaperSizeInPixels(p.w, p.l, p.landscape, p.dpi, p.dpi);
    EXPECT_EQ(s.cx, p.cx) << p.w << "x" << p.l << " at " << p.dpi;
    EXPECT_EQ(s.cy, p.cy) << p.w << "x" << p.l << " at " << p.dpi;
  }
  // The sheet in the window: fitted, never above the paper; nothing for an empty window or paper.
  struct Fit {
    SIZE paper;
    int cw, ch;
    LONG w, h;
  } fits[] = {
      {{2550, 3300}, 510, 1000, 510, 660}, {{100, 200}, 1000, 1000, 100, 200},
      {{2550, 3300}, 0, 500, 0, 0},       {{0, 0}, 500, 500, 0, 0},
  };
  for (const Fit& f : fits) {
    const SIZE s = PreviewSheetSize(f.paper, f.cw, f.ch);
    EXPECT_EQ(s.cx, f.w);
    EXPECT_EQ(s.cy, f.h);
  }
}

TEST(PageRangeText, ParsesByTable) {
  struct Case {
    const wchar_t* text;
    std::vector<int> numbers;
  } cases[] = {
      {L"1, 4,5, 7-12, 16,19", {1, 4, 5, 7, 8, 9, 10, 11, 12, 16, 19}},
      {L"3 - 5", {3, 4, 5}},
      {L"7-3", {7}},
      {L"5-", {5}},
      {L"-5", {5}},
      {L"0", {}},
      {L"1 2", {1, 2}},
      {L"1.5", {15}},
      {L"2,2,1", {1, 2}},
      {L"abc", {}},
      {L"", {}},
  };
  for (const Case& c : cases) {
    std::set<int> out;
    const bool any = ParsePageRangeText(out, std::wstring(c.text) + L" ");
    EXPECT_EQ(std::vector<int>(out.begin(), out.end()), c.numbers) << std::wstring(c.text).size();
    EXPECT_EQ(any, !c.numbers.empty());
  }
  // A huge span neither hangs nor overflows, and still reads as beyond the pages.
  std::set<int> out;
  ASSERT_TRUE(ParsePageRangeText(out, L"1-99999999999999 "));
  std::vector<int> indices;
  EXPECT_TRUE(PageNumbersToIndices(indices, out, 10));
  EXPECT_EQ(indices, Range(0, 9));
  indices.clear();
  EXPECT_FALSE(PageNumbersToIndices(indices, {2, 4}, 10));
  EXPECT_EQ(indices, (std::vector<int>{1, 3}));
}

TEST(PrintPageModel, PageChoices) {
  struct Case {
    int choice;
    std::vector<int> selected;
    const wchar_t* range;
    std::vector<int> pages;
  } cases[] = {
      {kPrintAll, {}, L"", Range(0, 9)},
      {kPrintOdd, {}, L"", {0, 2, 4, 6, 8}},
      {kPrintEven, {}, L"", {1, 3, 5, 7, 9}},
      {kPrintCurrent, {7, 2, 7, 42, -1}, L"", {2, 7}},
      {kPrintCustom, {}, L"1, 3-4, 12", {0, 2, 3}},
      {kPrintCustom, {}, L"", {}},
      {99, {}, L"", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CPrintPageModel::PagesForChoice(c.choice, 10, c.selected, c.range), c.pages) << c.choice;
  EXPECT_TRUE(CPrintPageModel::PagesForChoice(kPrintAll, 0, {}, L"").empty());
}

TEST(PrintPageModel, NavigationAcrossSheets) {
  CPrintPageModel m;
  m.Reset(Range(0, 9), 2, 2);
  auto nav = m.GetNavigation();
  EXPECT_EQ(nav.label, L"/3");
  EXPECT_EQ(nav.edit, L"1");
  EXPECT_FALSE(nav.first);
  EXPECT_FALSE(nav.previous);
  EXPECT_TRUE(nav.next);
  EXPECT_TRUE(nav.last);
  EXPECT_TRUE(m.Last());
  nav = m.GetNavigation();
  EXPECT_EQ(nav.edit, L"3");
  EXPECT_FALSE(nav.next);
  EXPECT_FALSE(nav.last);
  EXPECT_FALSE(m.Next());
  // A shorter list on the last sheet moves to the new last sheet.
  m.SetPages({0, 2, 4, 6, 8});
  EXPECT_EQ(m.CurrentSheet(), 1);
  // Go-to: 0, S + 1 and text that is no number leave the sheet; the edit shows it again.
  for (const wchar_t* bad : {L"0", L"3", L"x", L"1x", L"", L"-1", L"99999999999"}) {
    EXPECT_FALSE(m.GoTo(bad)) << bad;
    EXPECT_EQ(m.CurrentSheet(), 1) << bad;
    EXPECT_EQ(m.GetNavigation().edit, L"2");
  }
  EXPECT_TRUE(m.GoTo(L" 1 "));
  EXPECT_EQ(m.CurrentSheet(), 0);
  // 9 pages at 4 per sheet: "/3"; from 1 per sheet at sheet 6 to 4 per sheet shows sheet 2.
  m.Reset(Range(0, 8), 1, 1);
  ASSERT_TRUE(m.GoTo(L"6"));
  m.SetPagesPerSheet(2, 2);
  EXPECT_EQ(m.GetNavigation().label, L"/3");
  EXPECT_EQ(m.GetNavigation().edit, L"2");
  // An empty list: nothing to navigate.
  m.Reset({}, 2, 2);
  nav = m.GetNavigation();
  EXPECT_EQ(nav.label, L"/0");
  EXPECT_EQ(nav.edit, L"0") << "no sheet 1 of none";
  EXPECT_FALSE(nav.first || nav.previous || nav.next || nav.last);
}

}  // namespace

namespace {

TEST(SheetLayout, RenderedPagesFindTheirCellOrAreDropped) {
  // A list of 10 pages (ids 100..109) at 2 x 2 on a 400 x 600 sheet; sheet 1 is in view
  // (positions 4..7).
  const int ids[] = {100, 101, 102, 103, 104, 105, 106, 107, 108, 109};
  auto pageAt = [&](int i) { return &ids[i]; };
  struct Case {
    const char* name;
    int page, sheet;
    float cw, ch;
    bool image;
    int sheetW, sheetH, rows, columns;
    int cell;
  } cases[] = {
      {"first cell of the sheet", 4, 1, 200, 300, true, 400, 600, 2, 2, 0},
      {"last cell", 7, 1, 200, 300, true, 400, 600, 2, 2, 3},
      {"made for the sheet before", 3, 0, 200, 300, true, 400, 600, 2, 2, -1},
      {"made before a resize", 5, 1, 150, 225, true, 400, 600, 2, 2, -1},
      {"made for another grid", 5, 1, 200, 300, true, 400, 600, 3, 3, -1},
      {"no image", 5, 1, 200, 300, false, 400, 600, 2, 2, -1},
      {"page not on the sheet", 9, 1, 200, 300, true, 400, 600, 2, 2, -1},
      {"no sheet", 5, 1, 200, 300, true, 0, 0, 2, 2, -1},
      {"at 3 x 3 position 4 lies on sheet 0", 4, 1, 401.0f / 3, 599.0f / 3, true, 401, 599, 3, 3, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CellOfRenderedPage(&ids[c.page], c.sheet, c.cw, c.ch, c.image, c.sheetW, c.sheetH, c.rows, c.columns, 1, 10,
                                 pageAt),
              c.cell)
        << c.name;
  }
  // At 3 x 3 the sheet in view (1) holds positions 9.. of which only 9 exists.
  EXPECT_EQ(CellOfRenderedPage(&ids[9], 1, 401.0f / 3, 599.0f / 3, true, 401, 599, 3, 3, 1, 10, pageAt), 0);
}

}  // namespace

#include <AppPrinter.h>

namespace {

TEST(PrinterChoices, PaperOrientationAndResolutionIntoTheSettings) {
  struct Case {
    short w, l;
    int found;
  } finds[] = {{2159, 2794, 0}, {2794, 2159, 0}, {2100, 2970, 4}, {1000, 1000, -1}};
  for (const Case& c : finds) {
    DEVMODEW dm{};
    dm.dmPaperWidth = c.w;
    dm.dmPaperLength = c.l;
    EXPECT_EQ(FindPaperChoice(dm), c.found) << c.w << "x" << c.l;
  }
  DEVMODEW dm{};
  LwGetPrinterDefaults(L"", &dm);
  ApplyPrinterChoice(dm, 3, true, 600);  // A3 landscape at 600 dpi
  EXPECT_EQ(dm.dmPaperWidth, 2970);
  EXPECT_EQ(dm.dmPaperLength, 4200);
  EXPECT_EQ(std::wstring(dm.dmFormName), L"A3");
  EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
  EXPECT_EQ(dm.dmPrintQuality, 600);
  const SIZE px = PaperSizeInPixels(dm.dmPaperWidth, dm.dmPaperLength, true, dm.dmPrintQuality, dm.dmYResolution);
  EXPECT_EQ(px.cx, 9921);  // 42 cm at 600 dpi
  ApplyPrinterChoice(dm, 99, false, 5000);  // out of range: paper and resolution stay
  EXPECT_EQ(dm.dmPaperWidth, 2970);
  EXPECT_EQ(dm.dmPrintQuality, 600);
  EXPECT_EQ(dm.dmOrientation, DMORIENT_PORTRAIT);
  // A printer context made from the settings has that page.
  HDC dc = CreateDCW(nullptr, L"", nullptr, &dm);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 7015);  // 29.7 cm at 600 dpi
  DeleteDC(dc);
}

}  // namespace
