// A page of running text set in columns, written by cairo's PDF surface with Liberation Sans
// (embedded subsets): ragged-right paragraphs whose first word is bold and dark blue, a coloured
// title bar and a thin rule under it. The words are chosen by a fixed seed, so every call gives
// the same file.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace lwtest {

struct ColumnsPdf {
  std::vector<uint8_t> bytes;
  // What the first page holds: for each column, left to right, its paragraphs top to bottom,
  // each as its lines (words joined by single spaces, no line-end space).
  std::vector<std::vector<std::vector<std::string>>> columns;
  // The column boxes of the first page in PDF points (x0, x1), left to right.
  std::vector<std::pair<double, double>> column_x;
};

struct ColumnsLayout {
  static constexpr double kMargin = 54;        // left, right and bottom margins
  static constexpr double kTop = 120;          // distance of the first baseline from the top edge
  static constexpr double kGutter = 24;        // space between two columns
  static constexpr double kSize = 10;          // font size
  static constexpr double kLeading = 13;       // baseline to baseline within a paragraph
  static constexpr double kParagraphGap = 13;  // extra space between paragraphs
};

// `pages` pages of 612 x 792 points with `columns` columns each (1 to 4); the text of each page
// differs. Throws std::runtime_error when Liberation Sans is not installed.
ColumnsPdf MakeColumnsPdf(int pages, int columns);

}  // namespace lwtest
