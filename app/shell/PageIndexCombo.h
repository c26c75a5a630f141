// The page combo box: one owner-drawn item per page ("3 / 12"); a typed page number and Enter, or
// a picked item, show that page of the active document. Only digits, blanks and commas can be
// typed.
#pragma once

#include <afxwin.h>

#include <QorpDialogControls.h>

class CLeafwrightDoc;

// Shows page `text` names (1 to the page count, read as ParsePageNumber reads it) and puts
// "n / count" into newText; false, with nothing changed, for any other text or no document.
bool GoToTypedPage(CLeafwrightDoc* doc, const CString& text, CString& newText);

class CPageIndexComboBox : public CQORPComboBox {
  DECLARE_DYNAMIC(CPageIndexComboBox)
 public:
  // Characters: digits, blank, ',' and backspace pass; others beep and are eaten. Enter goes to
  // the typed page and is always eaten.
  BOOL PreTranslateMessage(MSG* pMsg) override;
  // The owner calls this on the box's selection change.
  void OnSelectionChanged();
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
  void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;

 private:
  static CLeafwrightDoc* ActiveDocument();

 protected:
  // A picked item reaches OnSelectionChanged before the parent sees it.
  DECLARE_MESSAGE_MAP()
};
