// The arithmetic of printed sheets: several pages on one sheet in a grid of rows and columns,
// the paper's size in printer pixels, page-range text, and the state of the Print page's sheet
// navigation. No window here.
#pragma once

#include <set>
#include <string>
#include <vector>

#include <windows.h>

// Sheets needed for `pages` pages at `perSheet` per sheet (0 for no pages or no cells).
int SheetCount(int pages, int perSheet);

// Where a page image of bw x bh lands on a sheet whose cells are cw x ch: cell k runs row by row
// (column k mod columns, row k div columns) and the image is centred in it, top-down.
POINT CellImageOrigin(float cw, float ch, int k, int columns, int bw, int bh);

// The sheet to show after the pages per sheet change from oldPerSheet to newPerSheet while sheet
// `current` is shown: the new sheet that holds most of the pages in view (the first on a tie),
// counting only positions that hold a page, and never past the last sheet.
int SheetAfterLayoutChange(int listSize, int oldPerSheet, int current, int newPerSheet);

// The cell of the sheet in view that a rendered page goes to, or -1 when the result is stale
// (made for another sheet, sheet size or grid: exact float comparison of the cell, as the
// request computed it), has no image, or its page is not on the sheet. pageAt(i) gives the page
// at list position i.
template <class Page, class PageAt>
int CellOfRenderedPage(const Page* resultPage, int resultSheet, float resultCellW, float resultCellH, bool hasImage,
                       int sheetW, int sheetH, int rows, int columns, int currentSheet, int listSize, PageAt pageAt) {
  if (!hasImage || sheetW <= 0 || sheetH <= 0 || rows <= 0 || columns <= 0) return -1;
  if (resultSheet != currentSheet || resultCellW != static_cast<float>(sheetW) / columns ||
      resultCellH != static_cast<float>(sheetH) / rows)
    return -1;
  const int per = rows * columns;
  const long long base = static_cast<long long>(currentSheet) * per;
  for (int k = 0; k < per && base + k < listSize; ++k)
    if (pageAt(static_cast<int>(base + k)) == resultPage) return k;
  return -1;
}

// A paper size given in tenths of a millimetre, in the unit it is measured in: inches when
// width x 10 and length x 10 are both multiples of 254; else centimetres when both sides are whole
// millimetres; else millimetres.
struct PaperMeasure {
  int unit = 0;  // Vectorloom::eUnit: 0 inch, 1 cm, 2 mm
  float width = 0.0f;
  float height = 0.0f;
};
PaperMeasure MeasurePaper(int widthTenthsMm, int lengthTenthsMm);
// The paper in printer pixels at dpiX x dpiY (landscape swaps the sides); 0 x 0 when the paper,
// or the resolution, is missing.
SIZE PaperSizeInPixels(int widthTenthsMm, int lengthTenthsMm, bool landscape, int dpiX, int dpiY);
// The sheet shown in a client area of clientW x clientH for a paper of paper.cx x paper.cy pixels
// (scaled to fit, never above 1): 0 x 0 when either is empty.
SIZE PreviewSheetSize(SIZE paper, int clientW, int clientH);

// Page-range text: numbers separated by white space, commas or dashes ("1, 4,5, 7-12, 16,19");
// a-b adds the ascending span, other characters are skipped (1.5 reads as 15), 0 is dropped.
// The caller appends one space. True when some number was named.
bool ParsePageRangeText(std::set<int>& out, const std::wstring& text);
// 0-based indices of the numbers up to pageCount, appended in order; true when some number was
// above pageCount (those are left out).
bool PageNumbersToIndices(std::vector<int>& indices, const std::set<int>& numbers, int pageCount);

// Which pages the Print page prints.
enum ePrintPageChoice { kPrintAll = 0, kPrintCurrent = 1, kPrintCustom = 2, kPrintOdd = 3, kPrintEven = 4 };

// The page list, the grid and the sheet in view of the Print page, with its navigation state.
class CPrintPageModel {
 public:
  // The page list for a choice: all, the selected pages (sorted, without duplicates, in range),
  // the pages named by rangeText, odd or even page numbers.
  static std::vector<int> PagesForChoice(int choice, int pageCount, const std::vector<int>& selected,
                                         const std::wstring& rangeText);

  const std::vector<int>& Pages() const { return m_pages; }
  int Rows() const { return m_nRows; }
  int Columns() const { return m_nColumns; }
  int PerSheet() const { return m_nRows * m_nColumns; }
  int CurrentSheet() const { return m_nCurrentSheet; }
  int Sheets() const { return SheetCount(static_cast<int>(m_pages.size()), PerSheet()); }

  // A new list: the sheet in view is kept, or the last one when the list got shorter.
  void SetPages(std::vector<int> pages);
  // Everything anew: the list, the grid and sheet 0.
  void Reset(std::vector<int> pages, int rows, int columns);
  // A new grid keeping the pages in view as far as possible.
  void SetPagesPerSheet(int rows, int columns);
  // Sheet navigation; false when the sheet stayed.
  bool First();
  bool Previous();
  bool Next();
  bool Last();
  // The go-to edit: a sheet number 1..S shows that sheet; anything else changes nothing.
  bool GoTo(const std::wstring& text);

  struct Navigation {
    std::wstring label;  // "/S"
    std::wstring edit;   // the 1-based sheet in view ("0" when there is no sheet)
    bool first = false, previous = false, next = false, last = false;
  };
  Navigation GetNavigation() const;

 private:
  std::vector<int> m_pages;
  int m_nRows = 1;
  int m_nColumns = 1;
  int m_nCurrentSheet = 0;
};
