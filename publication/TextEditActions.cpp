#include "quirebook/TextEditActions.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace Quirebook {

using GlyphweaveLib::CEditableTextObj;
using GlyphweaveLib::TFontRunInfo;

namespace {

// The range first..last as [begin, end) over the characters the runs count; false when empty.
bool RunRange(const CEditableTextObj& text, int first, int last, int64_t& begin, int64_t& end) {
  int64_t total = 0;
  const auto& runs = text.GetFontRuns();
  for (int r = 0; r < runs.GetSize(); ++r) total += runs.GetAt(r).m_nLength;
  begin = std::max(0, first);
  end = last < 0 ? total : std::min<int64_t>(total, static_cast<int64_t>(last) + 1);
  return begin < end;
}

std::atomic<CaretHolderLookup> g_caretHolderLookup{nullptr};

}  // namespace

FontRunList CopyFontRuns(const CEditableTextObj& text, int first, int last) {
  FontRunList out;
  int64_t begin = 0, end = 0;
  if (!RunRange(text, first, last, begin, end)) return out;
  const auto& runs = text.GetFontRuns();
  int64_t start = 0;
  for (int r = 0; r < runs.GetSize() && start < end; ++r) {
    const TFontRunInfo& run = runs.GetAt(r);
    const int64_t runEnd = start + run.m_nLength;
    const int64_t part = std::min(runEnd, end) - std::max(start, begin);
    if (part > 0) {
      TFontRunInfo piece = run;
      piece.m_nLength = static_cast<uint32_t>(part);
      out.push_back(piece);
    }
    start = runEnd;
  }
  return out;
}

void RemoveFontRuns(CEditableTextObj& text, int first, int last) {
  int64_t begin = 0, end = 0;
  if (!RunRange(text, first, last, begin, end)) return;
  int64_t start = 0;
  for (int r = 0; r < text.GetFontRuns().GetSize() && start < end;) {
    TFontRunInfo run = text.GetFontRuns().GetAt(r);
    const int64_t runEnd = start + run.m_nLength;
    const int64_t part = std::max<int64_t>(0, std::min(runEnd, end) - std::max(start, begin));
    start = runEnd;
    if (part == 0) {
      ++r;
      continue;
    }
    run.m_nLength -= static_cast<uint32_t>(part);
    if (run.m_nLength == 0) {
      text.RemoveFontRunAt(r);
    } else {
      text.SetFontRunAt(r, run);
      ++r;
    }
  }
}

FontRunList CutFontRuns(CEditableTextObj& text, int first, int last) {
  FontRunList out = CopyFontRuns(text, first, last);
  RemoveFontRuns(text, first, last);
  return out;
}

void InsertFontRuns(CEditableTextObj& text, int at, const FontRunList& runs) {
  if (runs.empty()) return;
  const auto& set = text.GetFontRuns();
  int64_t start = 0;
  int r = 0;
  for (; r < set.GetSize(); ++r) {
    const int64_t runEnd = start + set.GetAt(r).m_nLength;
    if (at < runEnd) break;
    start = runEnd;
  }
  if (r < set.GetSize() && at > start) {  // split the run that holds `at`
    TFontRunInfo head = set.GetAt(r), tail = set.GetAt(r);
    head.m_nLength = static_cast<uint32_t>(at - start);
    tail.m_nLength -= head.m_nLength;
    text.SetFontRunAt(r, head);
    text.InsertFontRunAt(r + 1, tail);
    ++r;
  }
  for (const TFontRunInfo& run : runs) {
    if (run.m_nLength == 0) continue;
    text.InsertFontRunAt(r++, run);
  }
}

int CountFontRunCharacters(const FontRunList& runs) {
  int64_t n = 0;
  for (const TFontRunInfo& run : runs) n += run.m_nLength;
  return static_cast<int>(std::min<int64_t>(n, INT32_MAX));
}

void RelayoutFromCharacter(CEditableTextObj& text, int index) {
  const auto& rows = text.GetParagraphsLinesInfo();
  int row = -1;
  int64_t start = 0;
  for (int r = 0; r < rows.GetSize(); ++r) {
    const int64_t end = start + rows.GetAt(r).m_nCharCount;
    if (index >= start && index < end) {
      row = r;
      break;
    }
    start = end;
  }
  if (row < 0 && index >= start && rows.GetSize() > 0) row = rows.GetSize() - 1;  // past the rows
  text.RecalcuLayout(row > 0 ? row - 1 : 0);
}

CaretHolderLookup SetCaretHolderLookup(CaretHolderLookup lookup) { return g_caretHolderLookup.exchange(lookup); }

ITextCaretHolder* FindCaretHolderEditing(Vectorloom::CWorkspaceDoc* doc, const Vectorloom::CRenderBaseObj* text) {
  const CaretHolderLookup lookup = g_caretHolderLookup;
  if (!lookup || !text) return nullptr;
  ITextCaretHolder* holder = lookup(doc);
  return holder && holder->GetEditingTextObject() == text ? holder : nullptr;
}

void UpdateViewsOfText(Vectorloom::CWorkspaceDoc* doc, const Vectorloom::CRenderBaseObj* text) {
  if (!doc) return;
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(doc->FindOwnerPage(text)));
}

}  // namespace Quirebook
