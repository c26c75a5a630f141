#include "PageNumberEdits.h"

#include <cwctype>

ePageKey PageEditCharVerdict(UINT ch, bool rangeEdit) {
  if (ch >= L'0' && ch <= L'9') return ePageKey::Pass;
  if (ch == 8) return ePageKey::Pass;  // backspace
  if (ch == 13 || ch == 10) return ePageKey::Enter;
  if (rangeEdit && (ch == L' ' || ch == L',' || ch == L'-')) return ePageKey::Pass;
  return ePageKey::Refuse;
}

long ParsePageNumber(const wchar_t* text) {
  constexpr long kCap = 1000000000L;
  if (!text) return 0;
  long n = 0;
  bool negative = false;
  for (const wchar_t* p = text; *p; ++p) {
    const wchar_t c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(*p)));
    if (p == text && (c == L'+' || c == L'-')) {
      negative = c == L'-';
      continue;
    }
    if (c == L',') continue;
    if (c < L'0' || c > L'9') break;
    n = n >= kCap / 10 ? kCap : n * 10 + (c - L'0');
    if (n > kCap) n = kCap;
  }
  return negative ? -n : n;
}

IMPLEMENT_DYNAMIC(CCustomPageNumberEdit, CQORPEdit)
IMPLEMENT_DYNAMIC(CGotoPageNumberEdit, CCustomPageNumberEdit)

BEGIN_MESSAGE_MAP(CCustomPageNumberEdit, CQORPEdit)
  ON_WM_CHAR()
END_MESSAGE_MAP()

void CCustomPageNumberEdit::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  switch (PageEditCharVerdict(nChar, IsRangeEdit())) {
    case ePageKey::Pass: CQORPEdit::OnChar(nChar, nRepCnt, nFlags); break;
    case ePageKey::Enter:
      if (CWnd* parent = GetParent()) parent->SendMessage(WM_PAGE_NUMBER_ENTER, static_cast<WPARAM>(GetDlgCtrlID()), 0);
      break;
    case ePageKey::Refuse: MessageBeep(0x0FFFFFFF); break;
  }
}
