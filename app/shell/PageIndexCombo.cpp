#include "PageIndexCombo.h"

#include <wingdi.h>

#include <QorpPaintManager.h>

#include "LeafwrightDoc.h"
#include "PageNumberEdits.h"

bool GoToTypedPage(CLeafwrightDoc* doc, const CString& text, CString& newText) {
  if (!doc || text.IsEmpty()) return false;
  const long n = ParsePageNumber(text.GetString());
  const int count = doc->GetPagesCount();
  if (n < 1 || n > count) return false;
  doc->GoToPage(static_cast<int>(n - 1));
  newText.Format(L"%ld / %d", n, count);
  return true;
}

IMPLEMENT_DYNAMIC(CPageIndexComboBox, CQORPComboBox)

BEGIN_MESSAGE_MAP(CPageIndexComboBox, CQORPComboBox)
  ON_CONTROL_REFLECT(CBN_SELCHANGE, &CPageIndexComboBox::OnSelectionChanged)
END_MESSAGE_MAP()

CLeafwrightDoc* CPageIndexComboBox::ActiveDocument() {
  auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
  return frame ? dynamic_cast<CLeafwrightDoc*>(frame->GetActiveDocument()) : nullptr;
}

BOOL CPageIndexComboBox::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_CHAR) {
    const UINT ch = static_cast<UINT>(pMsg->wParam);
    if (ch == L' ' || PageEditCharVerdict(ch, false) == ePageKey::Pass || ch == L',') return CQORPComboBox::PreTranslateMessage(pMsg);
    if (PageEditCharVerdict(ch, false) == ePageKey::Enter) return TRUE;  // the key-down did the work
    MessageBeep(0x0FFFFFFF);
    return TRUE;
  }
  if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == 10)) {
    CString text, shown;
    GetWindowText(text);
    if (GoToTypedPage(ActiveDocument(), text, shown)) SetWindowText(shown);
    return TRUE;
  }
  return CQORPComboBox::PreTranslateMessage(pMsg);
}

void CPageIndexComboBox::OnSelectionChanged() {
  const int i = GetCurSel();
  CLeafwrightDoc* doc = ActiveDocument();
  if (i < 0 || !doc || i >= doc->GetPagesCount()) return;
  doc->GoToPage(i);
  CString shown;
  shown.Format(L"%d / %d", i + 1, GetCount());
  SetWindowText(shown);
}

void CPageIndexComboBox::DrawItem(LPDRAWITEMSTRUCT d) {
  if (!d || !d->hDC || d->itemID == static_cast<UINT>(-1)) return;
  const CQORPThemeColors& colors = CQORPPaintManager::Get()->GetColors();
  const bool selected = (d->itemState & ODS_SELECTED) != 0;
  const COLORREF back = selected ? colors.GetColor(QORP_CLR_SELECTED_FILL) : RGB(255, 255, 255);
  HBRUSH brush = CreateSolidBrush(back);
  FillRect(d->hDC, &d->rcItem, brush);
  DeleteObject(brush);
  CString text;
  text.Format(L"%u / %d", d->itemID + 1, GetCount());
  SetBkMode(d->hDC, TRANSPARENT);
  SetTextColor(d->hDC, RGB(0, 0, 0));  // black reads on white and on the light selection fills
  RECT r = d->rcItem;
  r.left += 3;
  DrawTextW(d->hDC, text.GetString(), text.GetLength(), &r, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
}

void CPageIndexComboBox::MeasureItem(LPMEASUREITEMSTRUCT m) {
  if (!m) return;
  m->itemHeight = static_cast<UINT>(std::max(16, GetSystemMetrics(SM_CYVSCROLL) - GetSystemMetrics(SM_CYEDGE)));
  m->itemWidth = 0;
}
