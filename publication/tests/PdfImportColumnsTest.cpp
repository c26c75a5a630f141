// A generated page of running text in columns, imported through the PDF engine and merged: the
// pieces of each line join into lines, the lines of a paragraph into blocks, and nothing joins
// across the gutter between two columns.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <win32/lwstr.h>

#include "ColumnPdf.h"
#include "TestSupport.h"

namespace {

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

// One merged text box: its characters ('|' for a carriage return) and its place on the page.
struct Box {
  std::string text;
  float left, top, right, bottom;
};

struct ImportedPage {
  int before = 0;          // text objects straight after the import
  std::vector<Box> boxes;  // texts after merging, in page order
  int others = 0;          // objects that are not text
};

ImportedPage ImportAndMerge(const std::vector<uint8_t>& pdf) {
  ImportedPage out;
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "in.pdf", pdf);
  auto* source = new CCachePdfPageContent((dir / "in.pdf").wstring().c_str());
  source->AddRef();
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    EXPECT_TRUE(page->LoadPageContent(&doc));
    for (auto* obj : page->GetRenderObjectList()) out.before += dynamic_cast<CDDrawTextObj*>(obj) ? 1 : 0;
    page->IntegrateTexts();
    for (auto* obj : page->GetRenderObjectList()) {
      auto* t = dynamic_cast<CDDrawTextObj*>(obj);
      if (!t) {
        ++out.others;
        continue;
      }
      std::wstring w = t->GetCharacters(0, -1);
      std::replace(w.begin(), w.end(), L'\r', L'|');
      const auto& m = t->GetTransMatrix();
      out.boxes.push_back({lw::WideToUtf8(w), m.dx, m.dy, m.dx + t->GetLayoutBox().cx, m.dy + t->GetLayoutBox().cy});
    }
  }
  source->Release();
  return out;
}

std::vector<std::string> SplitRows(const std::string& text) {
  std::vector<std::string> rows;
  size_t start = 0;
  for (size_t bar; (bar = text.find('|', start)) != std::string::npos; start = bar + 1)
    rows.push_back(text.substr(start, bar - start));
  if (start < text.size()) rows.push_back(text.substr(start));
  return rows;
}

// Merging joins the two pieces of each first line (a bold word and the rest) and stacks the lines
// of a paragraph into blocks. A block stops early where its last row ends well short of the
// block's right edge (that row reads as the end of a paragraph), so a ragged paragraph may come
// as more than one block; but a block never holds lines of two paragraphs or two columns, and
// the blocks of a column read its lines in order.
TEST(PdfImportColumns, LinesJoinIntoBlocksPerColumnAndNeverAcrossTheGutter) {
  for (const int columns : {1, 2, 3}) {
    SCOPED_TRACE(std::to_string(columns) + " columns");
    const lwtest::ColumnsPdf pdf = lwtest::MakeColumnsPdf(1, columns);
    const ImportedPage page = ImportAndMerge(pdf.bytes);
    EXPECT_EQ(page.others, 2);  // the title bar and the rule stay as they were

    size_t lines = 0, paragraphs = 0, joinedRows = 0, placed = 0;
    for (int c = 0; c < columns; ++c) {
      // The boxes inside this column (page units are points x 1.33), in page order; a box that
      // reached into the gutter would belong to no column and be missed below.
      const auto [x0, x1] = pdf.column_x[c];
      std::vector<std::vector<std::string>> blocks;
      for (const Box& b : page.boxes)
        if (b.left >= x0 * 1.33 - 1 && b.right <= x1 * 1.33 + 1) blocks.push_back(SplitRows(b.text));
      placed += blocks.size();

      // Walk the column's paragraphs and the blocks side by side.
      size_t block = 0;
      for (const auto& paragraph : pdf.columns[c]) {
        ++paragraphs;
        lines += paragraph.size();
        size_t line = 0;
        while (line < paragraph.size()) {
          ASSERT_LT(block, blocks.size()) << "missing: " << paragraph[line];
          const std::vector<std::string>& rows = blocks[block++];
          ASSERT_FALSE(rows.empty());
          ASSERT_LE(line + rows.size(), paragraph.size()) << "a block runs into the next paragraph: " << rows[0];
          for (const std::string& row : rows) EXPECT_EQ(row, paragraph[line++]);
          if (rows.size() > 1) joinedRows += rows.size();
        }
      }
      EXPECT_EQ(block, blocks.size()) << "boxes left over in column " << c;
    }
    EXPECT_EQ(placed, page.boxes.size()) << "a box lies across a gutter";
    // The engine delivers each first line as two pieces (the coloured bold word, then the rest),
    // every other line as one; the two pieces join into one line.
    EXPECT_EQ(page.before, static_cast<int>(lines + paragraphs));
    // Most lines end up in blocks with their neighbours.
    EXPECT_GE(joinedRows * 4, lines * 3) << joinedRows << " of " << lines;
    std::printf("%d columns: %zu lines, %zu paragraphs, %zu boxes, %zu rows in blocks, %d pieces imported\n", columns,
                lines, paragraphs, page.boxes.size(), joinedRows, page.before);
  }
}

}  // namespace
