#include "BackstagePagePrint.h"

#include <QorpRibbonBackstage.h>
#include <afxdlgs.h>

#include <algorithm>

#include <AppPrinter.h>
#include <PrintJob.h>
#include <PrinterUtil.h>
#include <PrinterPropertiesDlg.h>

#include "CommandIcons.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "PagesListView.h"
#include <quirebook/PublicationDoc.h>

namespace {

enum {
  IDC_TITLE_PRINT = 1000, IDC_TITLE_PRINTER = 1001, IDC_TITLE_SETTINGS = 1004, IDC_PREVIEW_PLACE = 1036,
  IDC_PRINT = 1037, IDC_COPIES = 1040, IDC_PRINTERS = 1041, IDC_PAGE_CHOICE = 1043, IDC_PAGE_RANGE = 1044,
  IDC_PER_SHEET = 1045, IDC_FIRST = 1046, IDC_PREVIOUS = 1047, IDC_GOTO = 1048, IDC_SHEETS = 1049,
  IDC_LAST = 1051, IDC_NEXT = 1052, IDC_PREVIEW = 1053, IDC_RANGE_HINT = 1054, IDC_PROPERTIES = 1055,
  IDC_NO_PRINTER = 1056, IDC_COPIES_LABEL = 1057, IDC_RULE_PRINT = 1035, IDC_RULE_PRINTER = 1002,
  IDC_RULE_SETTINGS = 1003,
};

// Sent by the two number edits' Enter (wParam: the edit's id).
constexpr UINT WM_LW_PAGE_NUMBER_ENTERED = 2057;

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kItems[] = {
    {lwmfc::dlgStatic, IDC_TITLE_PRINT, L"Print", 7, 4, 160, 14, SS_LEFT},
    {lwmfc::dlgStatic, IDC_RULE_PRINT, L"", 7, 19, 160, 2, SS_LEFT},
    {lwmfc::dlgButton, IDC_PRINT, L"Print", 7, 25, 54, 44, WS_TABSTOP | BS_PUSHBUTTON},
    {lwmfc::dlgStatic, IDC_COPIES_LABEL, L"Copies:", 70, 40, 34, 12, SS_LEFT},
    {lwmfc::dlgEdit, IDC_COPIES, L"1", 106, 38, 40, 14, WS_TABSTOP | ES_NUMBER | ES_AUTOHSCROLL},
    {lwmfc::dlgStatic, IDC_TITLE_PRINTER, L"Printer", 7, 76, 160, 14, SS_LEFT},
    {lwmfc::dlgStatic, IDC_RULE_PRINTER, L"", 7, 90, 160, 2, SS_LEFT},
    {lwmfc::dlgComboBox, IDC_PRINTERS, L"", 7, 95, 160, 100, WS_TABSTOP | CBS_DROPDOWNLIST},
    {lwmfc::dlgStatic, IDC_NO_PRINTER, L"No printer is installed.", 7, 113, 160, 12, SS_LEFT},
    {lwmfc::dlgButton, IDC_PROPERTIES, L"Printer Property...", 7, 127, 90, 14, WS_TABSTOP | BS_PUSHBUTTON},
    {lwmfc::dlgStatic, IDC_TITLE_SETTINGS, L"Settings", 7, 149, 160, 14, SS_LEFT},
    {lwmfc::dlgStatic, IDC_RULE_SETTINGS, L"", 7, 163, 160, 2, SS_LEFT},
    {lwmfc::dlgComboBox, IDC_PAGE_CHOICE, L"", 7, 168, 160, 100, WS_TABSTOP | CBS_DROPDOWNLIST,
     L"Print All Pages\nPrint Current Page(s)\nPrint Customized Page(s)\nPrint Odd Pages\nPrint Even Pages"},
    {lwmfc::dlgStatic, IDC_RANGE_HINT, L"Pages: (eg: 1, 4,5, 7-12, 16,19)", 7, 186, 160, 12, SS_LEFT},
    {lwmfc::dlgEdit, IDC_PAGE_RANGE, L"", 7, 198, 160, 14, WS_TABSTOP | ES_AUTOHSCROLL},
    {lwmfc::dlgComboBox, IDC_PER_SHEET, L"", 7, 218, 160, 100, WS_TABSTOP | CBS_DROPDOWNLIST,
     L"1 page per sheet\n4 pages per sheet\n9 pages per sheet\n16 pages per sheet"},
    {lwmfc::dlgStatic, IDC_PREVIEW_PLACE, L"", 175, 7, 338, 262, SS_LEFT},
    {lwmfc::dlgButton, IDC_FIRST, L"|<", 270, 276, 20, 14, WS_TABSTOP | BS_PUSHBUTTON},
    {lwmfc::dlgButton, IDC_PREVIOUS, L"<", 292, 276, 20, 14, WS_TABSTOP | BS_PUSHBUTTON},
    {lwmfc::dlgEdit, IDC_GOTO, L"1", 316, 276, 28, 14, WS_TABSTOP | ES_NUMBER},
    {lwmfc::dlgStatic, IDC_SHEETS, L"/1", 347, 278, 26, 12, SS_LEFT},
    {lwmfc::dlgButton, IDC_NEXT, L">", 374, 276, 20, 14, WS_TABSTOP | BS_PUSHBUTTON},
    {lwmfc::dlgButton, IDC_LAST, L">|", 396, 276, 20, 14, WS_TABSTOP | BS_PUSHBUTTON},
};
const lwmfc::DialogTemplate kTemplate = {L"Print", 520, 297, L"MS Shell Dlg", 8, kItems,
                                         static_cast<int>(sizeof kItems / sizeof kItems[0])};
const bool kRegistered = lwmfc::RegisterDialogTemplate(CBackstagePagePrint::IDD, &kTemplate);

}  // namespace

BEGIN_MESSAGE_MAP(CBackstagePagePrint, CQORPRibbonBackstagePage)
  ON_BN_CLICKED(IDC_PRINT, &CBackstagePagePrint::OnPrint)
  ON_CBN_SELCHANGE(IDC_PER_SHEET, &CBackstagePagePrint::OnPagesPerSheetChanged)
  ON_CBN_SELCHANGE(IDC_PAGE_CHOICE, &CBackstagePagePrint::OnPageChoiceChanged)
  ON_CBN_SELCHANGE(IDC_PRINTERS, &CBackstagePagePrint::OnPrinterChanged)
  ON_BN_CLICKED(IDC_PROPERTIES, &CBackstagePagePrint::OnPrinterProperties)
  ON_BN_CLICKED(IDC_FIRST, &CBackstagePagePrint::OnFirstSheet)
  ON_BN_CLICKED(IDC_PREVIOUS, &CBackstagePagePrint::OnPreviousSheet)
  ON_BN_CLICKED(IDC_NEXT, &CBackstagePagePrint::OnNextSheet)
  ON_BN_CLICKED(IDC_LAST, &CBackstagePagePrint::OnLastSheet)
  ON_MESSAGE(WM_LW_PAGE_NUMBER_ENTERED, &CBackstagePagePrint::OnPageNumberEntered)
  ON_WM_SIZE()
END_MESSAGE_MAP()

CBackstagePagePrint::CBackstagePagePrint() : CQORPRibbonBackstagePage(IDD) { (void)kRegistered; }

CBackstagePagePrint::~CBackstagePagePrint() { m_preview.StopWorker(); }

Quirebook::CPublicationDoc* CBackstagePagePrint::Document() const {
  if (m_getDocument) return m_getDocument();
  auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
  return frame ? dynamic_cast<Quirebook::CPublicationDoc*>(frame->GetActiveDocument()) : nullptr;
}

int CBackstagePagePrint::PageCount() const {
  Quirebook::CPublicationDoc* doc = Document();
  return doc ? doc->GetPagesCount() : 0;
}

BOOL CBackstagePagePrint::OnInitDialog() {
  const int titles[] = {IDC_TITLE_PRINT, IDC_TITLE_PRINTER, IDC_TITLE_SETTINGS};
  const int rules[] = {IDC_RULE_PRINT, IDC_RULE_PRINTER, IDC_RULE_SETTINGS};
  for (int i = 0; i < 3; ++i) {
    m_titles[i].SubclassDlgItem(titles[i], this);
    m_titles[i].SetTextColor(kTitleColor);
    m_rules[i].SubclassDlgItem(rules[i], this);
  }
  m_wndPrint.SubclassDlgItem(IDC_PRINT, this);
  size_t nIcons = 0;
  const LwCommandIcon* icons = LwGetCommandIcons(&nIcons);
  for (size_t i = 0; i < nIcons; ++i)
    if (icons[i].nId == ID_FILE_PRINT) m_wndPrint.SetImageSvg(icons[i].pszSvg32);
  CQORPRibbonBackstagePage::OnInitDialog();
  auto* choice = static_cast<CComboBox*>(GetDlgItem(IDC_PAGE_CHOICE));
  auto* perSheet = static_cast<CComboBox*>(GetDlgItem(IDC_PER_SHEET));
  if (choice) choice->SetCurSel(0);
  if (perSheet) perSheet->SetCurSel(0);
  if (CWnd* w = GetDlgItem(IDC_PAGE_RANGE)) w->ShowWindow(SW_HIDE);
  if (CWnd* w = GetDlgItem(IDC_RANGE_HINT)) w->ShowWindow(SW_HIDE);
  if (CWnd* w = GetDlgItem(IDC_PREVIEW_PLACE)) w->ShowWindow(SW_HIDE);
  CAppPrinter& printer = GetAppPrinter();
  if (auto* list = static_cast<CComboBox*>(GetDlgItem(IDC_PRINTERS))) {
    // The installed printers, then the two that print into a file.
    const std::vector<std::wstring>& names = printer.Printers();
    for (const std::wstring& name : names) list->AddString(name.c_str());
    list->SetCurSel(CPrinterUtil::FindDeviceName(names, CPrinterUtil::GetDeviceName(printer.Settings())));
  }
  m_preview.Create(nullptr, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, CRect(0, 0, 10, 10), this, IDC_PREVIEW);
  UpdatePrinterState();
  Layout();
  return TRUE;
}

void CBackstagePagePrint::UpdatePrinterState() {
  CAppPrinter& printer = GetAppPrinter();
  const bool has = printer.HasPrinter();
  // The file printers are always there; the note says why no other is listed.
  if (CWnd* w = GetDlgItem(IDC_NO_PRINTER)) w->ShowWindow(printer.HasInstalledPrinter() ? SW_HIDE : SW_SHOW);
  if (CWnd* w = GetDlgItem(IDC_PRINTERS)) w->EnableWindow(has);
  if (CWnd* w = GetDlgItem(IDC_PRINT)) w->EnableWindow(has);
  if (CWnd* w = GetDlgItem(IDC_PROPERTIES)) w->EnableWindow(has);
  // A file holds one copy of the sheets.
  const bool copies = has && !printer.PrintsToFile();
  if (!copies) SetDlgItemInt(IDC_COPIES, 1);
  if (CWnd* w = GetDlgItem(IDC_COPIES)) w->EnableWindow(copies);
  m_preview.SetPaper(printer.PaperPixels());
}

void CBackstagePagePrint::Layout() {
  if (!GetSafeHwnd() || !m_preview.GetSafeHwnd()) return;
  CRect client;
  GetClientRect(&client);
  CRect place(175, 7, 175, 7), nav(0, 0, 20, 14);
  MapDialogRect(&place);
  MapDialogRect(&nav);
  const int margin = place.top;
  const int navTop = client.bottom - margin - nav.Height();
  const CRect preview(place.left, place.top, std::max<int>(place.left + 1, client.right - margin),
                      std::max<int>(place.top + 1, navTop - margin));
  m_preview.MoveWindow(&preview);
  // The navigation row centred under the preview.
  const int ids[] = {IDC_FIRST, IDC_PREVIOUS, IDC_GOTO, IDC_SHEETS, IDC_NEXT, IDC_LAST};
  const int widths[] = {nav.Width(), nav.Width(), nav.Width() * 3 / 2, nav.Width() * 3 / 2, nav.Width(), nav.Width()};
  int total = 0;
  for (int w : widths) total += w + 4;
  int x = (preview.left + preview.right - total) / 2;
  for (int i = 0; i < 6; ++i) {
    if (CWnd* w = GetDlgItem(ids[i])) {
      // The sheet count is one line of text, centred on the number box beside it.
      // The toolkit may draw the box taller than asked, so its real height counts. (A line of the
      // dialog's font is 8 dialog units high.)
      int top = navTop, height = nav.Height();
      if (ids[i] == IDC_SHEETS) {
        CRect box(0, navTop, 0, navTop + nav.Height()), line(0, 0, 0, 8);
        if (CWnd* edit = GetDlgItem(IDC_GOTO)) {
          edit->GetWindowRect(&box);
          ScreenToClient(&box);
        }
        MapDialogRect(&line);
        height = std::min<int>(box.Height(), line.Height());
        top = box.top + (box.Height() - height) / 2;
      }
      w->MoveWindow(x, top, widths[i], height);
    }
    x += widths[i] + 4;
  }
}

void CBackstagePagePrint::OnSize(UINT nType, int cx, int cy) {
  CQORPRibbonBackstagePage::OnSize(nType, cx, cy);
  Layout();
}

BOOL CBackstagePagePrint::OnSetActive() {
  CQORPRibbonBackstagePage::OnSetActive();
  m_bActive = true;
  CAppPrinter& printer = GetAppPrinter();
  m_nCopies = std::max<int>(1, printer.Settings().dmCopies);
  SetDlgItemInt(IDC_COPIES, m_nCopies);
  auto* perSheet = static_cast<CComboBox*>(GetDlgItem(IDC_PER_SHEET));
  const int n = perSheet ? std::max(0, perSheet->GetCurSel()) + 1 : 1;
  if (auto* choice = static_cast<CComboBox*>(GetDlgItem(IDC_PAGE_CHOICE))) choice->SetCurSel(0);
  if (CWnd* w = GetDlgItem(IDC_PAGE_RANGE)) w->ShowWindow(SW_HIDE);
  if (CWnd* w = GetDlgItem(IDC_RANGE_HINT)) w->ShowWindow(SW_HIDE);
  m_preview.SetDocument(Document());
  m_preview.m_model.Reset(CPrintPageModel::PagesForChoice(kPrintAll, PageCount(), {}, L""), n, n);
  UpdatePrinterState();
  UpdateNavigation();
  m_preview.UpdatePreview();
  m_preview.StartWorker();
  return TRUE;
}

BOOL CBackstagePagePrint::OnKillActive() {
  m_bActive = false;
  m_preview.StopWorker();
  return CQORPRibbonBackstagePage::OnKillActive();
}

void CBackstagePagePrint::UpdateNavigation() {
  const CPrintPageModel::Navigation nav = m_preview.m_model.GetNavigation();
  SetDlgItemText(IDC_SHEETS, nav.label.c_str());
  SetDlgItemText(IDC_GOTO, nav.edit.c_str());
  const std::pair<int, bool> states[] = {
      {IDC_FIRST, nav.first}, {IDC_PREVIOUS, nav.previous}, {IDC_NEXT, nav.next}, {IDC_LAST, nav.last}};
  for (const auto& [id, on] : states)
    if (CWnd* w = GetDlgItem(id)) w->EnableWindow(on);
}

std::vector<int> PrintCurrentPages(const IPagesSelectionList* list, const Vectorloom::CRenderPagesArray& pages,
                                   int pageInView) {
  std::vector<int> out;
  for (int i = 0; list && i < list->GetSelectedCount(); ++i)
    if (const int index = pages.IndexOf(list->GetSelectedPage(i)); index >= 0) out.push_back(index);
  if (out.empty() && pageInView >= 0 && pageInView < pages.GetCount()) out.push_back(pageInView);
  return out;
}

void CBackstagePagePrint::OnPageChoiceChanged() {
  auto* choice = static_cast<CComboBox*>(GetDlgItem(IDC_PAGE_CHOICE));
  const int sel = choice ? choice->GetCurSel() : -1;
  if (sel < 0) return;
  CString range;
  GetDlgItemText(IDC_PAGE_RANGE, range);
  std::vector<int> selected;
  if (m_getSelectedPages) {
    selected = m_getSelectedPages();
  } else if (auto* frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd())) {
    CLeafwrightView* view = frame->GetLeafwrightView();
    if (CLeafwrightDoc* doc = view ? view->GetDocument() : nullptr)
      selected = PrintCurrentPages(frame->GetPagesListView(), doc->GetRenderPagesArray(), view->GetPageIndex());
  }
  m_preview.m_model.SetPages(CPrintPageModel::PagesForChoice(sel, PageCount(), selected, std::wstring(range.GetString())));
  m_preview.UpdatePreview();
  const int show = sel == kPrintCustom ? SW_SHOW : SW_HIDE;
  if (CWnd* w = GetDlgItem(IDC_PAGE_RANGE)) {
    w->ShowWindow(show);
    if (sel == kPrintCustom) w->SetFocus();
  }
  if (CWnd* w = GetDlgItem(IDC_RANGE_HINT)) w->ShowWindow(show);
  UpdateNavigation();
}

void CBackstagePagePrint::OnPagesPerSheetChanged() {
  auto* perSheet = static_cast<CComboBox*>(GetDlgItem(IDC_PER_SHEET));
  const int sel = perSheet ? perSheet->GetCurSel() : -1;
  if (sel < 0) return;
  m_preview.SetPagesPerSheet(sel + 1, sel + 1);
  UpdateNavigation();
}

LRESULT CBackstagePagePrint::OnPageNumberEntered(WPARAM wParam, LPARAM) {
  if (wParam == IDC_PAGE_RANGE) {
    CString range;
    GetDlgItemText(IDC_PAGE_RANGE, range);
    m_preview.m_model.SetPages(CPrintPageModel::PagesForChoice(kPrintCustom, PageCount(), {}, std::wstring(range.GetString())));
    m_preview.UpdatePreview();
  } else if (wParam == IDC_GOTO) {
    CString text;
    GetDlgItemText(IDC_GOTO, text);
    if (m_preview.m_model.GoTo(std::wstring(text.GetString()))) m_preview.UpdatePreview();
  }
  UpdateNavigation();
  return 0;
}

BOOL CBackstagePagePrint::PreTranslateMessage(MSG* pMsg) {
  if (pMsg && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN) {
    for (int id : {IDC_PAGE_RANGE, IDC_GOTO}) {
      CWnd* edit = GetDlgItem(id);
      if (edit && edit->GetSafeHwnd() == pMsg->hwnd) {
        SendMessage(WM_LW_PAGE_NUMBER_ENTERED, static_cast<WPARAM>(id), 0);
        return TRUE;
      }
    }
  }
  return CQORPRibbonBackstagePage::PreTranslateMessage(pMsg);
}

void CBackstagePagePrint::OnFirstSheet() {
  m_preview.m_model.First();
  m_preview.UpdatePreview();
  UpdateNavigation();
}

void CBackstagePagePrint::OnPreviousSheet() {
  if (m_preview.m_model.Previous()) m_preview.UpdatePreview();
  UpdateNavigation();
}

void CBackstagePagePrint::OnNextSheet() {
  if (m_preview.m_model.Next()) m_preview.UpdatePreview();
  UpdateNavigation();
}

void CBackstagePagePrint::OnLastSheet() {
  if (m_preview.m_model.Last()) m_preview.UpdatePreview();
  UpdateNavigation();
}

void CBackstagePagePrint::OnPrinterChanged() {
  auto* list = static_cast<CComboBox*>(GetDlgItem(IDC_PRINTERS));
  const int sel = list ? list->GetCurSel() : -1;
  if (sel < 0) return;
  CString name;
  list->GetLBText(sel, name);
  if (!GetAppPrinter().Select(name.GetString())) return;  // the printer's own settings
  UpdatePrinterState();
  m_preview.UpdatePreview();
}

void CBackstagePagePrint::OnPrinterProperties() {
  CAppPrinter& printer = GetAppPrinter();
  if (!printer.HasPrinter()) return;
  CPrinterPropertiesDlg dlg(printer.Settings(), this);
  if (dlg.DoModal() != IDOK) return;
  printer.Settings() = dlg.Settings();
  UpdatePrinterState();
  m_preview.UpdatePreview();
}

CString CBackstagePagePrint::ProposePrintFileName(bool postScript) const {
  CString name = L"Untitled";
  CString folder;
  if (const Quirebook::CPublicationDoc* doc = Document()) {
    const CString path = doc->GetPathName();
    const int cut = std::max(path.ReverseFind(L'/'), path.ReverseFind(L'\\'));
    if (cut >= 0) folder = path.Left(cut + 1);
    const CString title = doc->GetTitle();
    if (!title.IsEmpty()) name = title;
  }
  const int dot = name.ReverseFind(L'.');
  if (dot > 0) name = name.Left(dot);
  return folder + name + (postScript ? L".ps" : L".pdf");
}

void CBackstagePagePrint::OnPrint() {
  CAppPrinter& printer = GetAppPrinter();
  if (!printer.HasPrinter()) return;
  CString output;
  if (printer.PrintsToFile()) {
    const bool ps = printer.Current() == kPrintToPsFile;
    CFileDialog dlg(FALSE, ps ? L"ps" : L"pdf", ProposePrintFileName(ps), OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    ps ? L"PostScript Files (*.ps)|*.ps||" : L"PDF Files (*.pdf)|*.pdf||", this);
    dlg.m_ofn.lpstrTitle = L"Print to File";
    if (dlg.DoModal() != IDOK) return;
    output = dlg.GetPathName();
    // The printer layer writes PostScript for a name ending in ".ps" and PDF for any other.
    const bool named = output.GetLength() > 3 && output.Right(3) == L".ps";
    if (ps != named) output += ps ? L".ps" : L".pdf";
  }
  if (PrintTo(output.IsEmpty() ? nullptr : output.GetString()) < 0) {
    CString text = L"The document could not be printed.";
    if (!output.IsEmpty()) text = L"The document could not be printed into \"" + output + L"\".";
    MessageBox(text, L"Print", MB_OK | MB_ICONEXCLAMATION);
  }
}

int CBackstagePagePrint::PrintTo(const wchar_t* lpszOutput) {
  CAppPrinter& printer = GetAppPrinter();
  Quirebook::CPublicationDoc* doc = Document();
  if (!doc) return -1;
  CWaitCursor wait;
  // The preview worker must not load and empty pages while the print worker does.
  m_preview.StopWorker();
  BOOL ok = FALSE;
  const UINT copies = GetDlgItemInt(IDC_COPIES, &ok, FALSE);
  m_nCopies = ok ? static_cast<int>(std::clamp<UINT>(copies, 1, 999)) : 1;
  DEVMODEW& dm = printer.Settings();
  dm.dmCopies = static_cast<short>(m_nCopies);
  dm.dmFields |= DM_COPIES;
  CPrintLayout layout;
  layout.nRows = m_preview.m_model.Rows();
  layout.nColumns = m_preview.m_model.Columns();
  layout.pages = m_preview.m_model.Pages();
  // The document keeps the layout it was last printed with.
  if (auto* lfw = dynamic_cast<CLeafwrightDoc*>(doc)) lfw->SetPrintLayout(layout.nRows, layout.nColumns, layout.pages);
  HDC dc = CreateDCW(nullptr, printer.Current().c_str(), nullptr, &dm);
  DOCINFOW info{sizeof(DOCINFOW), L"Leafwright", lpszOutput, nullptr, 0};
  const int sheets = dc ? PrintSheets(doc, layout, dc, info) : -1;
  if (dc) DeleteDC(dc);
  if (m_bActive) {
    m_preview.UpdatePreview();
    m_preview.StartWorker();
  }
  return sheets;
}
