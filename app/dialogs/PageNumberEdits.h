// Edits for typing page numbers: the page-range edit (digits, blanks, commas and dashes) and the
// digits-only page edit. Enter sends WM_PAGE_NUMBER_ENTER (2057) to the parent with the edit's
// id; any other character beeps and is dropped. Arrow and Delete keys reach the edit as keys
// (never as characters), so the characters '%', ''' and '.' that share their codes are refused.
#pragma once

#include <afxwin.h>

#include <QorpDialogControls.h>

inline constexpr UINT WM_PAGE_NUMBER_ENTER = 0x0809;  // wParam: the edit's id, lParam 0

enum class ePageKey { Pass, Enter, Refuse };

// What an edit does with a typed character: digits and backspace pass; blank, ',' and '-' pass
// in the range edit only; carriage return and line feed are Enter; everything else is refused.
ePageKey PageEditCharVerdict(UINT ch, bool rangeEdit);

// The page number at the start of a text: a leading '+' is skipped and a leading '-' negates,
// ',' is skipped anywhere, digits accumulate and any other character ends the number ("12 / 30"
// reads 12, "1,234" 1234, "abc" 0). Numbers beyond 1,000,000,000 saturate there, so a long
// digit string never wraps round to a small page number.
long ParsePageNumber(const wchar_t* text);

class CCustomPageNumberEdit : public CQORPEdit {
  DECLARE_DYNAMIC(CCustomPageNumberEdit)
 protected:
  virtual bool IsRangeEdit() const { return true; }
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  DECLARE_MESSAGE_MAP()
};

class CGotoPageNumberEdit : public CCustomPageNumberEdit {
  DECLARE_DYNAMIC(CGotoPageNumberEdit)
 protected:
  bool IsRangeEdit() const override { return false; }
};
