// The editing view's ribbon property commands: stroke width, dash type and rotation galleries,
// the Filled Color and Stroked Color buttons, the transparency and colour galleries, Group, the
// rounded rectangle's roundness, printing the document.
#include <QorpControls.h>
#include <QorpGallery.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/UnitConv.h>

#include <algorithm>

#include <AppPrinter.h>
#include <PrintJob.h>

#include <CharProperties.h>

#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "SelectionReaders.h"
#include "TextPropertyActions.h"
#include "ViewRibbonValues.h"

using namespace Vectorloom;

namespace {

template <size_t N>
int IndexOf(const int (&table)[N], int value) {
  for (size_t i = 0; i < N; ++i)
    if (table[i] == value) return static_cast<int>(i);
  return -1;
}

template <size_t N>
bool ValueOf(const int (&table)[N], int id, int& value) {
  if (id < 0 || static_cast<size_t>(id) >= N) return false;
  value = table[id];
  return true;
}

// The id of the picked item of a gallery notification; -1 for another control or no pick.
int PickedItemId(NMHDR* pNMHDR) {
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  const auto* gallery = nm ? dynamic_cast<const CQORPControlGallery*>(nm->pControl) : nullptr;
  if (!gallery) return -1;
  const CQORPControlGalleryItem* item = gallery->GetItem(gallery->GetSelectedItem());
  return item ? item->GetID() : -1;
}

// Shows an item (or none) in the gallery an update stands for.
void ShowGalleryItem(CCmdUI* pCmdUI, int index) {
  if (auto* gallery = dynamic_cast<CQORPControlGallery*>(CQORPControl::FromUI(pCmdUI))) gallery->SetSelectedItem(index);
}

}  // namespace

int StrokeWidthGalleryIndex(float pixels, int dpi) {
  return IndexOf(kStrokeWidthPoints, static_cast<int>(CUnitConv::Pixel2Weight(pixels, dpi)));
}
int RotationGalleryIndex(int angle) { return IndexOf(kRotationAngles, angle); }
int TransparencyGalleryIndex(int alpha) { return IndexOf(kTransparencyAlphas, alpha); }
bool StrokeWidthOfItem(int id, int& points) { return ValueOf(kStrokeWidthPoints, id, points); }
bool RotationOfItem(int id, int& angle) { return ValueOf(kRotationAngles, id, angle); }

void CLeafwrightView::OnStrokeWidthGallery(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  int points = 0;
  if (!StrokeWidthOfItem(PickedItemId(pNMHDR), points)) return;
  DoModifyShapeObjectsStrokenWidth(CUnitConv::Weight2Pixel(static_cast<float>(points), kScreenDpi));
}

void CLeafwrightView::OnUpdateStrokeWidthGallery(CCmdUI* pCmdUI) {
  CStrokeParamValue<float> value;
  const int state = ::ReadSelectionStrokeWidth(this, value);
  pCmdUI->Enable(state != -1);
  ShowGalleryItem(pCmdUI, state == 0 ? StrokeWidthGalleryIndex(value.value, kScreenDpi) : -1);
}

void CLeafwrightView::OnDashTypeGallery(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  const int dash = PickedItemId(pNMHDR);
  if (dash >= 0) DoModifyShapeObjsDashType(dash);
}

void CLeafwrightView::OnUpdateDashTypeGallery(CCmdUI* pCmdUI) {
  CStrokeParamValue<int> value;
  const int state = ::ReadSelectionDashType(this, value);
  pCmdUI->Enable(state != -1);
  if (auto* gallery = dynamic_cast<CQORPControlGallery*>(CQORPControl::FromUI(pCmdUI)))
    gallery->SetCheckedItem(state == 0 ? value.value : -1);
}

void CLeafwrightView::OnRotateGallery(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  int angle = 0;
  if (RotationOfItem(PickedItemId(pNMHDR), angle)) DoModifyRenderObjsRotatedAngle(angle);
}

void CLeafwrightView::OnUpdateRotateGallery(CCmdUI* pCmdUI) {
  int angle = 0;
  const int state = ::ReadSelectionRotatedAngle(this, angle);
  pCmdUI->Enable(state != -1);
  ShowGalleryItem(pCmdUI, state == 0 ? RotationGalleryIndex(angle) : -1);
}

void CLeafwrightView::OnFilledColor() { DoModifyShapeObjsRenderColor(GetLeafwrightAppState().GetDefaultFillColor(), 1); }
void CLeafwrightView::OnStrokedColor() {
  DoModifyShapeObjsRenderColor(GetLeafwrightAppState().GetDefaultStrokeColor(), 0);
}
void CLeafwrightView::OnUpdateAlwaysEnabled(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CLeafwrightView::OnGroupObjects() {
  if (GetSelectedObjectsCount() >= 2) OnCreateGroup();
}

void CLeafwrightView::OnUpdateGroupObjects(CCmdUI* pCmdUI) {
  const int n = GetSelectedObjectsCount();
  pCmdUI->Enable(n > 1 || (n == 1 && GetLastSelectedObject()->GetObjectType() == RENDER_OBJ_GROUP));
}

void CLeafwrightView::OnNoOperation() {}

void CLeafwrightView::OnRoundnessBar(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  if (const auto* bar = nm ? dynamic_cast<const CQORPControlScrollBar*>(nm->pControl) : nullptr)
    CWorkspaceView::g_DrawRoundRectTool.m_nRoundness = bar->GetPos();
}

void CLeafwrightView::OnUpdateNotYetAvailable(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }

CPrintLayout DocumentPrintLayout(const CLeafwrightDoc& doc) {
  CPrintLayout layout;
  layout.nRows = std::max(1, doc.GetPrintRows());
  layout.nColumns = std::max(1, doc.GetPrintColumns());
  for (int page : doc.GetPrintPages())
    if (page >= 0 && page < doc.GetPagesCount()) layout.pages.push_back(page);
  if (layout.pages.empty())
    for (int i = 0; i < doc.GetPagesCount(); ++i) layout.pages.push_back(i);
  return layout;
}

// Print and Quick Print: the document's print layout (every page, one to a sheet, when it has
// none yet) on the printer in use; a job that cannot be printed is reported.
void CLeafwrightView::OnFilePrint() {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc || doc->GetPagesCount() == 0) return;
  CAppPrinter& printer = GetAppPrinter();
  if (!printer.HasPrinter()) {
    AfxMessageBox(L"There is no printer to print to.", MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  const CPrintLayout layout = DocumentPrintLayout(*doc);
  HDC dc = CreateDCW(nullptr, printer.Current().c_str(), nullptr, &printer.Settings());
  DOCINFOW info{sizeof(DOCINFOW), L"Leafwright", nullptr, nullptr, 0};
  const int sheets = dc ? PrintSheets(doc, layout, dc, info) : -1;
  if (dc) DeleteDC(dc);
  if (sheets < 0) AfxMessageBox(L"The document could not be printed.", MB_OK | MB_ICONEXCLAMATION);
}

void CLeafwrightView::OnUpdateFilePrint(CCmdUI* pCmdUI) {
  const CLeafwrightDoc* doc = GetDocument();
  pCmdUI->Enable(doc && doc->GetPagesCount() > 0 && GetAppPrinter().HasPrinter());
}

namespace {

// The backstage tab that shows the Print page, or -1 (no main window or no such tab).
int PrintPageTab(CMainFrame*& frame) {
  frame = dynamic_cast<CMainFrame*>(AfxGetMainWnd());
  if (!frame || !frame->GetBackstageView().GetSafeHwnd()) return -1;
  CQORPBackstageView& backstage = frame->GetBackstageView();
  for (int i = 0; i < backstage.GetItemCount(); ++i)
    if (backstage.IsTab(i) && backstage.GetTabPage(i) == &frame->GetPrintPage()) return i;
  return -1;
}

}  // namespace

// Print Preview: the backstage's Print page, which shows the sheets as they will print.
void CLeafwrightView::OnFilePrintPreview() {
  CMainFrame* frame = nullptr;
  const int tab = PrintPageTab(frame);
  if (tab < 0) return;
  frame->GetBackstageView().ShowBackstage(TRUE);
  frame->GetBackstageView().SetActiveTab(tab);
}

void CLeafwrightView::OnUpdateFilePrintPreview(CCmdUI* pCmdUI) {
  CMainFrame* frame = nullptr;
  pCmdUI->Enable(PrintPageTab(frame) >= 0);
}

// ---------------------------------------------------------------------------------------------
// Transparency and colour galleries: on the selected characters while a text is edited, else on
// the selected objects (shapes, texts, group members); each pick is one undoable step.

void CLeafwrightView::OnFillTransparencyGallery(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  int alpha = 0;
  if (ValueOf(kTransparencyAlphas, PickedItemId(pNMHDR), alpha)) ApplyFilledTransparency(alpha);
}

void CLeafwrightView::OnStrokeTransparencyGallery(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  int alpha = 0;
  if (ValueOf(kTransparencyAlphas, PickedItemId(pNMHDR), alpha)) ApplyStrokeTransparency(alpha);
}

void CLeafwrightView::OnUpdateTransparencyGallery(CCmdUI* pCmdUI) {
  // While a text is edited the gallery stays enabled (a pick may reach no character).
  const bool fill = pCmdUI->m_nID == ID_FILL_TRANSPARENCY_GALLERY;
  int alpha = 0;
  const int state = ReadTransparencyState(fill, alpha);
  pCmdUI->Enable(IsEditingText() || state != -1);
  ShowGalleryItem(pCmdUI, state == 0 ? TransparencyGalleryIndex(alpha) : -1);
}

void CLeafwrightView::OnFillColorGallery(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  const int id = PickedItemId(pNMHDR);
  if (id < 0) return;
  const COLORREF color = static_cast<COLORREF>(id) & 0xFFFFFF;
  if (auto* state = dynamic_cast<CDefaultLeafwrightAppState*>(&GetLeafwrightAppState())) state->SetDefaultFillColor(color);
  ApplyFilledColor(color);
}

void CLeafwrightView::OnStrokeColorGallery(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 1;
  const int id = PickedItemId(pNMHDR);
  if (id < 0) return;
  const COLORREF color = static_cast<COLORREF>(id) & 0xFFFFFF;
  if (auto* state = dynamic_cast<CDefaultLeafwrightAppState*>(&GetLeafwrightAppState()))
    state->SetDefaultStrokeColor(color);
  ApplyOutlineColor(color);
}

void CLeafwrightView::OnUpdateColorGallery(CCmdUI* pCmdUI) {
  const bool fill = pCmdUI->m_nID == ID_FILL_COLOR_GALLERY;
  PaintColorValue paint;
  int state = -1;
  if (IsEditingText()) {
    if (fill) {
      Quirebook::CAccessTextObjFilledColorProp::Element v{};
      state = ::ReadEditingTextValue<Quirebook::CAccessTextObjFilledColorProp>(g_EditingTextTool, v);
      paint = v;
    } else {
      Quirebook::CAccessTextObjStrokeColorProp::Element v{};
      state = ::ReadEditingTextValue<Quirebook::CAccessTextObjStrokeColorProp>(g_EditingTextTool, v);
      paint = v;
    }
  } else {
    state = fill ? ::ReadSelectionFilledColor(this, paint) : ::ReadSelectionOutlineColor(this, paint);
  }
  pCmdUI->Enable(state != -1);
  if (auto* gallery = dynamic_cast<CQORPControlGallery*>(CQORPControl::FromUI(pCmdUI)))
    gallery->SetCheckedItem(state == 0 && paint.bEnabled && paint.nKind == RENDER_KIND_SOLID
                                ? static_cast<int>(paint.crColor & 0xFFFFFF)
                                : -1);
}
