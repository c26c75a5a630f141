#include "PrintLayout.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cwctype>

#include <vectorloom/UnitConv.h>

int SheetCount(int pages, int perSheet) {
  if (pages <= 0 || perSheet <= 0) return 0;
  return pages / perSheet + (pages % perSheet ? 1 : 0);
}

POINT CellImageOrigin(float cw, float ch, int k, int columns, int bw, int bh) {
  if (columns <= 0) columns = 1;
  const int c = k % columns;
  const int r = k / columns;
  POINT p;
  p.x = static_cast<LONG>(static_cast<int>(cw * c + 0.5f) + static_cast<int>((cw - bw) * 0.5f + 0.5f));
  p.y = static_cast<LONG>(static_cast<int>(ch * r + 0.5f) + static_cast<int>((ch - bh) * 0.5f + 0.5f));
  return p;
}

int SheetAfterLayoutChange(int listSize, int oldPerSheet, int current, int newPerSheet) {
  if (listSize <= 0 || newPerSheet <= 0) return 0;
  if (oldPerSheet <= 0) oldPerSheet = 1;
  const int sheets = SheetCount(listSize, newPerSheet);
  const long long first = static_cast<long long>(std::max(current, 0)) * oldPerSheet;
  if (first >= listSize) return sheets - 1;
  // Only the positions of the old sheet that hold a page count.
  int left = static_cast<int>(std::min<long long>(oldPerSheet, listSize - first));
  const int q = static_cast<int>(first / newPerSheet);
  const int rem = static_cast<int>(first % newPerSheet);
  int best = 0, bestLen = -1, run = 0;
  int len = std::min(newPerSheet - rem, left);
  while (left > 0) {
    if (len > bestLen) {
      bestLen = len;
      best = run;
    }
    left -= len;
    ++run;
    len = std::min(newPerSheet, left);
  }
  return std::min(q + best, sheets - 1);
}

PaperMeasure MeasurePaper(int widthTenthsMm, int lengthTenthsMm) {
  PaperMeasure m;
  const long long w = widthTenthsMm, l = lengthTenthsMm;
  if ((w * 10) % 254 == 0 && (l * 10) % 254 == 0) {
    m.unit = Vectorloom::UNIT_INCH;
    m.width = static_cast<float>(w / 254.0);
    m.height = static_cast<float>(l / 254.0);
  } else if (w % 10 == 0 && l % 10 == 0) {
    m.unit = Vectorloom::UNIT_CENTIMETER;
    m.width = static_cast<float>(w / 100.0);
    m.height = static_cast<float>(l / 100.0);
  } else {
    m.unit = Vectorloom::UNIT_MILLIMETER;
    m.width = static_cast<float>(w / 10.0);
    m.height = static_cast<float>(l / 10.0);
  }
  return m;
}

SIZE PaperSizeInPixels(int widthTenthsMm, int lengthTenthsMm, bool landscape, int dpiX, int dpiY) {
  SIZE size{0, 0};
  if (widthTenthsMm <= 0 || lengthTenthsMm <= 0 || dpiX <= 0 || dpiY <= 0) return size;
  PaperMeasure m = MeasurePaper(widthTenthsMm, lengthTenthsMm);
  if (landscape) std::swap(m.width, m.height);
  const double cx = Vectorloom::CUnitConv::It2PixelD(m.width, m.unit, dpiX);
  const double cy = Vectorloom::CUnitConv::It2PixelD(m.height, m.unit, dpiY);
  if (!(cx >= 1.0) || !(cy >= 1.0) || cx > 1e6 || cy > 1e6) return size;
  size.cx = static_cast<LONG>(cx);
  size.cy = static_cast<LONG>(cy);
  return size;
}

SIZE PreviewSheetSize(SIZE paper, int clientW, int clientH) {
  SIZE out{0, 0};
  if (paper.cx <= 0 || paper.cy <= 0 || clientW <= 0 || clientH <= 0) return out;
  double s = std::min(static_cast<double>(clientW) / paper.cx, static_cast<double>(clientH) / paper.cy);
  s = std::min(s, 1.0);
  out.cx = static_cast<LONG>(paper.cx * s + 0.5);
  out.cy = static_cast<LONG>(paper.cy * s + 0.5);
  if (out.cx <= 0 || out.cy <= 0) out = SIZE{0, 0};
  return out;
}

namespace {
// Numbers are kept below this (longer digit runs saturate) and a span is listed one by one only
// up to it, so that a typed "1-999999999" neither overflows nor fills the memory; its end
// number is still listed, so it reads as beyond the page count.
constexpr int kLargestListedPage = 100000;
constexpr int kNumberCap = 1000000000;
}  // namespace

bool ParsePageRangeText(std::set<int>& out, const std::wstring& text) {
  std::vector<int> list;
  int current = 0, previous = 0;
  bool hasDigits = false, previousDigits = false, dash = false;
  for (wchar_t ch : text) {
    if (ch >= L'0' && ch <= L'9') {
      current = current >= kNumberCap / 10 ? kNumberCap : current * 10 + (ch - L'0');
      hasDigits = true;
      continue;
    }
    const bool delimiter = ch == L',' || ch == L'-' || std::iswspace(static_cast<wint_t>(ch));
    if (!delimiter) continue;
    if (!hasDigits) {
      if (ch == L'-') dash = true;
      continue;
    }
    if (!dash) {
      list.push_back(current);
    } else if (previousDigits) {
      for (int n = previous + 1; n <= current && n <= kLargestListedPage; ++n) list.push_back(n);
      if (current > previous) list.push_back(current);
      dash = false;
    } else {
      list.push_back(current);
      dash = false;
    }
    previous = current;
    previousDigits = true;
    current = 0;
    hasDigits = false;
    if (ch == L'-') dash = true;
  }
  out.clear();
  for (int n : list)
    if (n != 0) out.insert(n);
  return !out.empty();
}

bool PageNumbersToIndices(std::vector<int>& indices, const std::set<int>& numbers, int pageCount) {
  bool beyond = false;
  for (int n : numbers) {
    if (n <= pageCount) indices.push_back(n - 1);
    else beyond = true;
  }
  return beyond;
}

std::vector<int> CPrintPageModel::PagesForChoice(int choice, int pageCount, const std::vector<int>& selected,
                                                 const std::wstring& rangeText) {
  std::vector<int> pages;
  if (pageCount <= 0) return pages;
  switch (choice) {
    case kPrintAll:
      for (int i = 0; i < pageCount; ++i) pages.push_back(i);
      break;
    case kPrintCurrent:
      for (int i : selected)
        if (i >= 0 && i < pageCount) pages.push_back(i);
      std::sort(pages.begin(), pages.end());
      pages.erase(std::unique(pages.begin(), pages.end()), pages.end());
      break;
    case kPrintCustom: {
      std::set<int> numbers;
      ParsePageRangeText(numbers, rangeText + L" ");
      PageNumbersToIndices(pages, numbers, pageCount);
      break;
    }
    case kPrintOdd:
      for (int i = 0; i < pageCount; i += 2) pages.push_back(i);
      break;
    case kPrintEven:
      for (int i = 1; i < pageCount; i += 2) pages.push_back(i);
      break;
    default: break;
  }
  return pages;
}

void CPrintPageModel::SetPages(std::vector<int> pages) {
  m_pages = std::move(pages);
  const int sheets = Sheets();
  m_nCurrentSheet = std::max(0, std::min(m_nCurrentSheet, sheets - 1));
}

void CPrintPageModel::Reset(std::vector<int> pages, int rows, int columns) {
  m_pages = std::move(pages);
  m_nRows = std::max(1, rows);
  m_nColumns = std::max(1, columns);
  m_nCurrentSheet = 0;
}

void CPrintPageModel::SetPagesPerSheet(int rows, int columns) {
  rows = std::max(1, rows);
  columns = std::max(1, columns);
  m_nCurrentSheet = SheetAfterLayoutChange(static_cast<int>(m_pages.size()), PerSheet(), m_nCurrentSheet, rows * columns);
  m_nRows = rows;
  m_nColumns = columns;
}

bool CPrintPageModel::First() {
  const bool moved = m_nCurrentSheet != 0;
  m_nCurrentSheet = 0;
  return moved;
}

bool CPrintPageModel::Previous() {
  if (m_nCurrentSheet <= 0) return false;
  --m_nCurrentSheet;
  return true;
}

bool CPrintPageModel::Next() {
  if (m_nCurrentSheet >= Sheets() - 1) return false;
  ++m_nCurrentSheet;
  return true;
}

bool CPrintPageModel::Last() {
  const int last = std::max(0, Sheets() - 1);
  if (m_nCurrentSheet == last) return false;
  m_nCurrentSheet = last;
  return true;
}

bool CPrintPageModel::GoTo(const std::wstring& text) {
  // The whole text must be a number (leading and trailing blanks allowed).
  size_t i = 0;
  while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
  long long k = 0;
  size_t digits = 0;
  while (i < text.size() && text[i] >= L'0' && text[i] <= L'9') {
    if (k < INT_MAX) k = k * 10 + (text[i] - L'0');
    ++i;
    ++digits;
  }
  while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i]))) ++i;
  if (!digits || i != text.size()) return false;
  if (k < 1 || k > Sheets()) return false;
  const int sheet = static_cast<int>(k - 1);
  const bool moved = sheet != m_nCurrentSheet;
  m_nCurrentSheet = sheet;
  return moved;
}

CPrintPageModel::Navigation CPrintPageModel::GetNavigation() const {
  Navigation n;
  const int sheets = Sheets();
  n.label = L"/" + std::to_wstring(sheets);
  // No pages, no sheet: "0 /0", never sheet 1 of none.
  n.edit = std::to_wstring(sheets > 0 ? m_nCurrentSheet + 1 : 0);
  n.first = m_nCurrentSheet != 0;
  n.previous = m_nCurrentSheet > 0;
  n.next = m_nCurrentSheet < sheets - 1;
  n.last = sheets > 0 && m_nCurrentSheet != sheets - 1;
  return n;
}
