#include "PrintPreviewWnd.h"

#include <algorithm>

#include <BitmapCreator.h>
#include <QorpPaintManager.h>
#include <wingdi.h>
#include <QorObjImage.h>
#include <QorPixelFilters.h>
#include <quirebook/PublicationDoc.h>

BEGIN_MESSAGE_MAP(CPrintPreviewWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_MESSAGE(WM_LW_PAGE_RENDERED, &CPrintPreviewWnd::OnPageRendered)
END_MESSAGE_MAP()

CPrintPreviewWnd::CPrintPreviewWnd() {
  m_worker.m_bPrintMode = false;
  m_worker.m_pRequests = &m_requests;
  m_worker.m_pResults = &m_results;
}

CPrintPreviewWnd::~CPrintPreviewWnd() {
  m_worker.Stop();
  delete[] m_pSheet;
}

bool CPrintPreviewWnd::StartWorker() {
  m_worker.m_pDocument = m_pDocument;
  HWND hwnd = GetSafeHwnd();
  m_worker.m_notify = [hwnd] { ::PostMessageW(hwnd, WM_LW_PAGE_RENDERED, 0, 0); };
  return CQorBaseThread::Start(&m_worker);
}

void CPrintPreviewWnd::StopWorker() { m_worker.Stop(); }

void CPrintPreviewWnd::UpdatePreview() {
  CRect client(0, 0, 0, 0);
  if (GetSafeHwnd()) GetClientRect(&client);
  const SIZE sheet = PreviewSheetSize(m_paper, client.Width(), client.Height());
  delete[] m_pSheet;
  m_pSheet = CBitmapCreator::CreateDibImage(sheet.cx, sheet.cy, 24, 0);
  m_nPlaced = 0;
  if (m_pSheet) {
    QorPixelmill::CQorObjImage image;
    image.Attach(m_pSheet);
    QorPixelmill::CQorPixelFillColor white(RGBQUAD{255, 255, 255, 0}, -1);
    image.SinglePixelProcessProc(white, nullptr);
    image.Detch();
  }
  m_requests.Clear();
  m_results.Clear();
  const int per = m_model.PerSheet();
  const std::vector<int>& pages = m_model.Pages();
  const int current = m_model.CurrentSheet();
  if (m_pSheet && m_pDocument && !pages.empty() && current >= 0 && current < m_model.Sheets()) {
    const float cw = static_cast<float>(m_pSheet->biWidth) / m_model.Columns();
    const float ch = static_cast<float>(m_pSheet->biHeight) / m_model.Rows();
    for (size_t i = static_cast<size_t>(current) * per; i < pages.size() && i < static_cast<size_t>(current + 1) * per; ++i)
      if (CDrawingPage* page = m_pDocument->GetDrawingPage(pages[i])) m_requests.Push(CRenderRequest{current, cw, ch, page});
  }
  if (GetSafeHwnd()) RedrawWindow();
}

void CPrintPreviewWnd::SetPagesPerSheet(int rows, int columns) {
  m_model.SetPagesPerSheet(rows, columns);
  UpdatePreview();
}

LRESULT CPrintPreviewWnd::OnPageRendered(WPARAM, LPARAM) {
  CRenderedPage r;
  bool placed = false;
  while (m_results.TryPop(r) == kQueueOk) {
    // Results of an older size, grid or sheet are dropped.
    const std::vector<int>& pages = m_model.Pages();
    const int k = m_pSheet && m_pDocument
                      ? CellOfRenderedPage(r.pPage, r.nSheet, r.fCellWidth, r.fCellHeight, r.pDib != nullptr,
                                           m_pSheet->biWidth, m_pSheet->biHeight, m_model.Rows(), m_model.Columns(),
                                           m_model.CurrentSheet(), static_cast<int>(pages.size()),
                                           [&](int i) { return m_pDocument->GetDrawingPage(pages[i]); })
                      : -1;
    if (k >= 0) {
      const POINT at = CellImageOrigin(r.fCellWidth, r.fCellHeight, k, m_model.Columns(), r.pDib->biWidth, r.pDib->biHeight);
      QorPixelmill::CQorObjImage sheet, page;
      sheet.Attach(m_pSheet);
      page.Attach(r.pDib);
      sheet.CoverBlock(page, at.x, at.y);
      page.Detch();
      sheet.Detch();
      ++m_nPlaced;
      placed = true;
    }
    delete[] r.pDib;
  }
  if (placed) RedrawWindow();
  return 0;
}

void CPrintPreviewWnd::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  // The page's background around the sheet.
  dc.FillSolidRect(&client, CQORPPaintManager::Get()->GetColor(QORP_CLR_BACKSTAGE_BACK));
  if (!m_pSheet) return;
  const int w = m_pSheet->biWidth, h = m_pSheet->biHeight;
  const int x = (client.right - w - client.left) / 2, y = (client.bottom - h - client.top) / 2;
  const BYTE* bits = reinterpret_cast<const BYTE*>(m_pSheet) + m_pSheet->biSize;
  ::SetDIBitsToDevice(dc.GetSafeHdc(), x, y, w, h, 0, 0, 0, h, bits, reinterpret_cast<const BITMAPINFO*>(m_pSheet),
                      DIB_RGB_COLORS);
  // A 2-pixel grey frame around the sheet.
  const COLORREF frame = RGB(0xC0, 0xC0, 0xC0);
  const CRect edges[] = {{x - 1, y - 1, x + w + 1, y + 1}, {x - 1, y + h - 1, x + w + 1, y + h + 1},
                         {x - 1, y - 1, x + 1, y + h + 1}, {x + w - 1, y - 1, x + w + 1, y + h + 1}};
  for (const CRect& e : edges) dc.FillSolidRect(&e, frame);
  // Cells of the sheet that get no page: a thin frame shows where the grid is.
  const int per = m_model.PerSheet(), columns = m_model.Columns(), rows = m_model.Rows();
  const long long first = static_cast<long long>(m_model.CurrentSheet()) * per;
  const long long onSheet = std::clamp<long long>(static_cast<long long>(m_model.Pages().size()) - first, 0, per);
  if (per <= 1 || m_model.Pages().empty()) return;
  const float cw = static_cast<float>(w) / columns, ch = static_cast<float>(h) / rows;
  const int inset = std::max(2, static_cast<int>(std::min(cw, ch) / 20));
  for (int k = static_cast<int>(onSheet); k < per; ++k) {
    const int cx = x + static_cast<int>(cw * (k % columns) + 0.5f), cy = y + static_cast<int>(ch * (k / columns) + 0.5f);
    const CRect cell(cx + inset, cy + inset, x + static_cast<int>(cw * (k % columns + 1) + 0.5f) - inset,
                     y + static_cast<int>(ch * (k / columns + 1) + 0.5f) - inset);
    if (cell.Width() < 2 || cell.Height() < 2) continue;
    const CRect sides[] = {{cell.left, cell.top, cell.right, cell.top + 1}, {cell.left, cell.bottom - 1, cell.right, cell.bottom},
                           {cell.left, cell.top, cell.left + 1, cell.bottom}, {cell.right - 1, cell.top, cell.right, cell.bottom}};
    for (const CRect& e : sides) dc.FillSolidRect(&e, frame);
  }
}

void CPrintPreviewWnd::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  UpdatePreview();
}

void CPrintPreviewWnd::OnDestroy() {
  m_worker.Stop();
  CWnd::OnDestroy();
  delete[] m_pSheet;
  m_pSheet = nullptr;
}
