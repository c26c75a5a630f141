// The extract dialog's answer for each choice, including range texts that are hostile: huge
// numbers and spans are refused quickly, never wrap round to a small page, never crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExtractDlg.h"

namespace {

TEST(ExtractChoice, PagesOrTheRefusedEdit) {
  const struct {
    const char* what;
    int choice;
    long from, to;
    const wchar_t* text;
    int pageCount;
    std::vector<int> selected;
    int current;
    int bad;
    std::vector<int> pages;
  } cases[] = {
      {"from 5 to 2", kExtractFromTo, 5, 2, L"", 10, {}, 0, 0, {1, 2, 3, 4}},
      {"from 0", kExtractFromTo, 0, 2, L"", 10, {}, 0, IDC_EDIT_FROM_PAGE, {}},
      {"to beyond", kExtractFromTo, 1, 11, L"", 10, {}, 0, IDC_EDIT_TO_PAGE, {}},
      {"negative from", kExtractFromTo, -3, 2, L"", 10, {}, 0, IDC_EDIT_FROM_PAGE, {}},
      {"range with a repeat", kExtractRange, 0, 0, L"2-4, 3", 10, {}, 0, 0, {1, 2, 3}},
      {"range beyond", kExtractRange, 0, 0, L"1-3,5", 4, {}, 0, IDC_EDIT_PAGE_RANGE, {}},
      {"12 of 10", kExtractRange, 0, 0, L"12", 10, {}, 0, IDC_EDIT_PAGE_RANGE, {}},
      {"10 of 10", kExtractRange, 0, 0, L"10", 10, {}, 0, 0, {9}},
      {"the example", kExtractRange, 0, 0, L"1, 4,5, 7-12, 16,19", 20, {}, 0, 0, {0, 3, 4, 6, 7, 8, 9, 10, 11, 15, 18}},
      {"no number", kExtractRange, 0, 0, L"abc", 10, {}, 0, 0, {}},
      {"a span of billions", kExtractRange, 0, 0, L"1-4000000000", 10, {}, 0, IDC_EDIT_PAGE_RANGE, {}},
      {"a number that would wrap to 2", kExtractRange, 0, 0, L"4294967298", 10, {}, 0, IDC_EDIT_PAGE_RANGE, {}},
      {"digits without end", kExtractRange, 0, 0, L"99999999999999999999999999999999", 10, {}, 0, IDC_EDIT_PAGE_RANGE, {}},
      {"only dashes and commas", kExtractRange, 0, 0, L"-,-,--,,", 10, {}, 0, 0, {}},
      {"current: selected 3 and 1, page 5 shown", kExtractCurrent, 0, 0, L"", 10, {2, 0}, 4, 0, {0, 2, 4}},
      {"current: a page gone and no shown page", kExtractCurrent, 0, 0, L"", 10, {-1, 3, 12}, -1, 0, {3}},
  };
  for (const auto& c : cases) {
    std::vector<int> pages = {77};
    EXPECT_EQ(ExtractPagesForChoice(c.choice, c.from, c.to, c.text, c.pageCount, c.selected, c.current, pages), c.bad)
        << c.what;
    EXPECT_EQ(pages, c.pages) << c.what;
  }
}

}  // namespace

#include <winprocess.h>

#include "PublishPrompts.h"

namespace {

// The second instance's command line splits back into the program and the page file, whatever
// the names hold.
TEST(ExtractSecondInstance, CommandLineArgumentsSurviveQuoting) {
  const wchar_t* names[] = {L"/d/Pages From report1.lfd", L"/d/a \"quoted\" name.lfd", L"/d/ends with\\",
                            L"/d/back\\\\slash\\\"quote", L"", L"$(touch x); `y` 'z'"};
  for (const wchar_t* name : names) {
    const CString line = QuoteCommandLineArgument(L"/opt/leafwright/Leafwright") + L" " + QuoteCommandLineArgument(name);
    const std::vector<std::wstring> args = lw::SplitCommandLine(line.GetString());
    ASSERT_EQ(args.size(), 2u) << name;
    EXPECT_EQ(args[0], L"/opt/leafwright/Leafwright");
    EXPECT_EQ(args[1], name);
  }
}

}  // namespace
