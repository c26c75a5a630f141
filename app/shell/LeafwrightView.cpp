#include "LeafwrightView.h"

#include <algorithm>
#include <cmath>
#include <map>

#include <CharProperties.h>
#include <PreviewScenes.h>
#include <QorpGallery.h>
#include <SelectionReaders.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>
#include <vectorloom/UnitConv.h>
#include <gdiplus/gdiplus.h>

#include "LeafwrightApp.h"
#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "MainFrame.h"
#include "PageBusiPage.h"
#include "ShellIds.h"
#include "StampsTool.h"
#include "ViewRibbonValues.h"
#include "ZoomPane.h"

const ZoomLevel g_zoomLevels[kZoomLevels] = {
    {0.125f, 32872}, {1.0f / 6.0f, 32871}, {0.2f, 32870}, {0.25f, 32869}, {0.5f, 32868}, {0.75f, 32867},
    {1.0f, ViewCmd::kZoomActualSize}, {1.25f, 32856}, {1.5f, 32857}, {1.75f, 32858}, {2.0f, 32859}, {2.5f, 32860},
    {3.0f, 32861}, {4.0f, 32862}, {5.0f, 32863}, {6.0f, 32864}, {7.0f, 32865}, {8.0f, 32866},
};

namespace {

bool SameFactor(float a, float b) { return std::fabs(static_cast<double>(a) - static_cast<double>(b)) < kZoomTolerance; }

}  // namespace

int FindZoomLevelIndex(float f) {
  int low = 0, high = kZoomLevels - 1, middle = 0;
  while (low <= high) {
    middle = (low + high) / 2;
    if (SameFactor(g_zoomLevels[middle].fFactor, f)) break;
    if (g_zoomLevels[middle].fFactor <= f)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return middle;
}

float StepZoomFactor(float f, bool bIn) {
  const int i = FindZoomLevelIndex(f);
  const int last = kZoomLevels - 1;
  const float at = g_zoomLevels[i].fFactor;
  const float up = g_zoomLevels[std::min(i + 1, last)].fFactor;
  const float down = g_zoomLevels[std::max(i - 1, 0)].fFactor;
  if (SameFactor(at, f)) return bIn ? up : down;
  if (at < f) return bIn ? up : at;
  return bIn ? at : down;
}

CString NextObjectNameForEvent(int nEvent) {
  // The application's counters; without the application (a test), counters of this process.
  static CObjectNameCounters own;
  auto* app = dynamic_cast<CObjectNameCounters*>(AfxGetApp());
  CObjectNameCounters& names = app ? *app : own;
  switch (nEvent) {
    case Vectorloom::VIEW_EVENT_SHAPE_CREATED: return names.NextShapeObjectName();
    case Vectorloom::VIEW_EVENT_TEXT_CREATED: return names.NextTextObjectName();
    case Vectorloom::VIEW_EVENT_IMAGE_CREATED: return names.NextImageObjectName();
    case Vectorloom::VIEW_EVENT_GROUP_CREATED: return names.NextGroupObjectName();
    default: return CString();
  }
}

IMPLEMENT_DYNCREATE(CLeafwrightView, CPublicationView)

BEGIN_MESSAGE_MAP(CLeafwrightView, CPublicationView)
  // The go-to-page commands are the document's (they also select the page in the thumbnails).
  ON_UPDATE_COMMAND_UI(ID_INDICATOR_PAGE_NUMBER, &CLeafwrightView::OnUpdatePageNumber)
  ON_UPDATE_COMMAND_UI(ID_INDICATOR_ZOOM, &CLeafwrightView::OnUpdateZoomPane)
  ON_WM_KEYDOWN()
  ON_WM_MOUSEWHEEL()
  ON_COMMAND(ViewCmd::kZoomActualSize, &CLeafwrightView::OnZoomActualSize)
  ON_UPDATE_COMMAND_UI(ViewCmd::kZoomActualSize, &CLeafwrightView::OnUpdateZoomActualSize)
  ON_COMMAND(ViewCmd::kZoomIn, &CLeafwrightView::OnZoomIn)
  ON_UPDATE_COMMAND_UI(ViewCmd::kZoomIn, &CLeafwrightView::OnUpdateZoomIn)
  ON_COMMAND(ViewCmd::kZoomOut, &CLeafwrightView::OnZoomOut)
  ON_UPDATE_COMMAND_UI(ViewCmd::kZoomOut, &CLeafwrightView::OnUpdateZoomOut)
  ON_COMMAND_RANGE(ViewCmd::kZoomLevelFirst, ViewCmd::kZoomLevelLast, &CLeafwrightView::OnZoomLevel)
  ON_UPDATE_COMMAND_UI_RANGE(ViewCmd::kZoomLevelFirst, ViewCmd::kZoomLevelLast, &CLeafwrightView::OnUpdateZoomLevel)
  ON_NOTIFY(QORP_CN_EXECUTE, ViewCmd::kStampsDynamic, &CLeafwrightView::OnDynamicStampGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ViewCmd::kStampsSignHere, &CLeafwrightView::OnSignStampGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ViewCmd::kStampsBusiness, &CLeafwrightView::OnBusinessStampGallery)
  ON_COMMAND(ViewCmd::kStampsDynamic, &CLeafwrightView::OnDynamicStampCommand)
  ON_COMMAND(ViewCmd::kStampsSignHere, &CLeafwrightView::OnSignStampCommand)
  ON_COMMAND(ViewCmd::kStampsBusiness, &CLeafwrightView::OnBusinessStampCommand)
  ON_UPDATE_COMMAND_UI(ViewCmd::kStampsDynamic, &CLeafwrightView::OnUpdateStampGallery)
  ON_UPDATE_COMMAND_UI(ViewCmd::kStampsSignHere, &CLeafwrightView::OnUpdateStampGallery)
  ON_UPDATE_COMMAND_UI(ViewCmd::kStampsBusiness, &CLeafwrightView::OnUpdateStampGallery)
  ON_COMMAND(ViewCmd::kCustomStrokeWidth, &CLeafwrightView::OnCustomStrokeWidth)
  ON_UPDATE_COMMAND_UI(ViewCmd::kCustomStrokeWidth, &CLeafwrightView::OnUpdateCustomStrokeWidth)
  ON_COMMAND(ViewCmd::kCustomRotation, &CLeafwrightView::OnCustomRotation)
  ON_UPDATE_COMMAND_UI(ViewCmd::kCustomRotation, &CLeafwrightView::OnUpdateCustomRotation)
  ON_COMMAND(ViewCmd::kCustomFillTransparency, &CLeafwrightView::OnCustomFillTransparency)
  ON_COMMAND(ViewCmd::kCustomStrokeTransparency, &CLeafwrightView::OnCustomStrokeTransparency)
  ON_UPDATE_COMMAND_UI(ViewCmd::kCustomFillTransparency, &CLeafwrightView::OnUpdateCustomTransparency)
  ON_UPDATE_COMMAND_UI(ViewCmd::kCustomStrokeTransparency, &CLeafwrightView::OnUpdateCustomTransparency)
  ON_NOTIFY(QORP_CN_EXECUTE, ViewCmd::kLineSpacing, &CLeafwrightView::OnLineSpacing)
  ON_NOTIFY(QORP_CN_SPINUP, ViewCmd::kLineSpacing, &CLeafwrightView::OnLineSpacingSpin)
  ON_NOTIFY(QORP_CN_SPINDOWN, ViewCmd::kLineSpacing, &CLeafwrightView::OnLineSpacingSpin)
  ON_UPDATE_COMMAND_UI(ViewCmd::kLineSpacing, &CLeafwrightView::OnUpdateLineSpacing)
  ON_COMMAND(ViewCmd::kGrowFontSize, &CLeafwrightView::OnGrowFontSize)
  ON_COMMAND(ViewCmd::kShrinkFontSize, &CLeafwrightView::OnShrinkFontSize)
  ON_UPDATE_COMMAND_UI(ViewCmd::kGrowFontSize, &CLeafwrightView::OnUpdateFontSizeStep)
  ON_UPDATE_COMMAND_UI(ViewCmd::kShrinkFontSize, &CLeafwrightView::OnUpdateFontSizeStep)
  ON_COMMAND(ViewCmd::kBold, &CLeafwrightView::OnBold)
  ON_COMMAND(ViewCmd::kItalic, &CLeafwrightView::OnItalic)
  ON_COMMAND(ViewCmd::kUnderline, &CLeafwrightView::OnUnderline)
  ON_COMMAND(ViewCmd::kStrikeOut, &CLeafwrightView::OnStrikeOut)
  ON_COMMAND(ViewCmd::kSubscript, &CLeafwrightView::OnSubscript)
  ON_COMMAND(ViewCmd::kSuperscript, &CLeafwrightView::OnSuperscript)
  ON_COMMAND(ViewCmd::kFillInside, &CLeafwrightView::OnFillInside)
  ON_COMMAND(ViewCmd::kStrokeOutline, &CLeafwrightView::OnStrokeOutline)
  ON_UPDATE_COMMAND_UI(ViewCmd::kBold, &CLeafwrightView::OnUpdateTextProperty)
  ON_UPDATE_COMMAND_UI(ViewCmd::kItalic, &CLeafwrightView::OnUpdateTextProperty)
  ON_UPDATE_COMMAND_UI(ViewCmd::kUnderline, &CLeafwrightView::OnUpdateTextProperty)
  ON_UPDATE_COMMAND_UI(ViewCmd::kStrikeOut, &CLeafwrightView::OnUpdateTextProperty)
  ON_UPDATE_COMMAND_UI(ViewCmd::kSubscript, &CLeafwrightView::OnUpdateTextProperty)
  ON_UPDATE_COMMAND_UI(ViewCmd::kSuperscript, &CLeafwrightView::OnUpdateTextProperty)
  ON_UPDATE_COMMAND_UI(ViewCmd::kFillInside, &CLeafwrightView::OnUpdateTextProperty)
  ON_UPDATE_COMMAND_UI(ViewCmd::kStrokeOutline, &CLeafwrightView::OnUpdateTextProperty)
  ON_COMMAND(ViewCmd::kInsertText, &CLeafwrightView::OnInsertText)
  ON_UPDATE_COMMAND_UI(ViewCmd::kInsertText, &CLeafwrightView::OnUpdateInsert)
  ON_COMMAND(ViewCmd::kInsertImage, &CLeafwrightView::OnInsertImage)
  ON_UPDATE_COMMAND_UI(ViewCmd::kInsertImage, &CLeafwrightView::OnUpdateInsert)
  ON_COMMAND(ViewCmd::kInsertVideo, &CLeafwrightView::OnInsertVideo)
  ON_UPDATE_COMMAND_UI(ViewCmd::kInsertVideo, &CLeafwrightView::OnUpdateInsert)
  ON_COMMAND(ID_EDIT_COPY, &CLeafwrightView::OnEditCopy)
  ON_COMMAND(ID_EDIT_CUT, &CLeafwrightView::OnEditCut)
  ON_COMMAND(ID_EDIT_PASTE, &CLeafwrightView::OnEditPaste)
  ON_COMMAND(ID_EDIT_CLEAR, &CLeafwrightView::OnEditClear)
  ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, &CLeafwrightView::OnUpdateEditSelection)
  ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, &CLeafwrightView::OnUpdateEditSelection)
  ON_UPDATE_COMMAND_UI(ID_EDIT_CLEAR, &CLeafwrightView::OnUpdateEditSelection)
  ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, &CLeafwrightView::OnUpdateEditPaste)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_STROKE_WIDTH_GALLERY, &CLeafwrightView::OnStrokeWidthGallery)
  ON_UPDATE_COMMAND_UI(ID_STROKE_WIDTH_GALLERY, &CLeafwrightView::OnUpdateStrokeWidthGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_DASH_TYPE_GALLERY, &CLeafwrightView::OnDashTypeGallery)
  ON_UPDATE_COMMAND_UI(ID_DASH_TYPE_GALLERY, &CLeafwrightView::OnUpdateDashTypeGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_ROTATE_GALLERY, &CLeafwrightView::OnRotateGallery)
  ON_UPDATE_COMMAND_UI(ID_ROTATE_GALLERY, &CLeafwrightView::OnUpdateRotateGallery)
  ON_COMMAND(ID_FILLED_COLOR, &CLeafwrightView::OnFilledColor)
  ON_UPDATE_COMMAND_UI(ID_FILLED_COLOR, &CLeafwrightView::OnUpdateAlwaysEnabled)
  ON_COMMAND(ID_STROKED_COLOR, &CLeafwrightView::OnStrokedColor)
  ON_UPDATE_COMMAND_UI(ID_STROKED_COLOR, &CLeafwrightView::OnUpdateAlwaysEnabled)
  ON_COMMAND(ID_GROUPING, &CLeafwrightView::OnGroupObjects)
  ON_UPDATE_COMMAND_UI(ID_GROUPING, &CLeafwrightView::OnUpdateGroupObjects)
  ON_COMMAND(ID_NO_OPERATION, &CLeafwrightView::OnNoOperation)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_ROUNDNESS_BAR, &CLeafwrightView::OnRoundnessBar)
  ON_UPDATE_COMMAND_UI(ID_ROUNDNESS_BAR, &CLeafwrightView::OnUpdateAlwaysEnabled)
  ON_COMMAND(ID_FILE_PRINT, &CLeafwrightView::OnFilePrint)
  ON_UPDATE_COMMAND_UI(ID_FILE_PRINT, &CLeafwrightView::OnUpdateFilePrint)
  ON_COMMAND(ID_FILE_PRINT_DIRECT, &CLeafwrightView::OnFilePrint)
  ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_DIRECT, &CLeafwrightView::OnUpdateFilePrint)
  ON_COMMAND(ID_FILE_PRINT_PREVIEW, &CLeafwrightView::OnFilePrintPreview)
  ON_UPDATE_COMMAND_UI(ID_FILE_PRINT_PREVIEW, &CLeafwrightView::OnUpdateFilePrintPreview)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_FILL_TRANSPARENCY_GALLERY, &CLeafwrightView::OnFillTransparencyGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_STROKE_TRANSPARENCY_GALLERY, &CLeafwrightView::OnStrokeTransparencyGallery)
  ON_UPDATE_COMMAND_UI(ID_FILL_TRANSPARENCY_GALLERY, &CLeafwrightView::OnUpdateTransparencyGallery)
  ON_UPDATE_COMMAND_UI(ID_STROKE_TRANSPARENCY_GALLERY, &CLeafwrightView::OnUpdateTransparencyGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_FILL_COLOR_GALLERY, &CLeafwrightView::OnFillColorGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_STROKE_COLOR_GALLERY, &CLeafwrightView::OnStrokeColorGallery)
  ON_UPDATE_COMMAND_UI(ID_FILL_COLOR_GALLERY, &CLeafwrightView::OnUpdateColorGallery)
  ON_UPDATE_COMMAND_UI(ID_STROKE_COLOR_GALLERY, &CLeafwrightView::OnUpdateColorGallery)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_FONT_SIZE, &CLeafwrightView::OnFontSizeCombo)
  ON_UPDATE_COMMAND_UI(ID_FONT_SIZE, &CLeafwrightView::OnUpdateFontSize)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_GALLERY_FONT_SIZE, &CLeafwrightView::OnFontSizeCombo)
  ON_UPDATE_COMMAND_UI(ID_GALLERY_FONT_SIZE, &CLeafwrightView::OnUpdateFontSize)
#define LW_CHARACTER_SHIFT(id)                                                     \
  ON_NOTIFY_RANGE(QORP_CN_EXECUTE, id, id, &CLeafwrightView::OnCharacterShift)     \
  ON_NOTIFY_RANGE(QORP_CN_SPINUP, id, id, &CLeafwrightView::OnCharacterShiftSpin)  \
  ON_NOTIFY_RANGE(QORP_CN_SPINDOWN, id, id, &CLeafwrightView::OnCharacterShiftSpin) \
  ON_UPDATE_COMMAND_UI(id, &CLeafwrightView::OnUpdateCharacterShift)
  LW_CHARACTER_SHIFT(ID_CHARACTER_SPACING)
  LW_CHARACTER_SHIFT(ID_BASELINE_SHIFT)
  LW_CHARACTER_SHIFT(ID_HORIZONTAL_SHIFT)
#undef LW_CHARACTER_SHIFT
  ON_COMMAND(ID_MORE_FILL_COLORS, &CLeafwrightView::OnMoreFillColors)
  ON_COMMAND(ID_MORE_STROKE_COLORS, &CLeafwrightView::OnMoreStrokeColors)
  ON_UPDATE_COMMAND_UI(ID_MORE_FILL_COLORS, &CLeafwrightView::OnUpdateMoreColors)
  ON_UPDATE_COMMAND_UI(ID_MORE_STROKE_COLORS, &CLeafwrightView::OnUpdateMoreColors)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_FONT_FACE, &CLeafwrightView::OnFontFaceCombo)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_GALLERY_FONT_FACE, &CLeafwrightView::OnFontFaceCombo)
  ON_UPDATE_COMMAND_UI(ID_FONT_FACE, &CLeafwrightView::OnUpdateFontFace)
  ON_UPDATE_COMMAND_UI(ID_GALLERY_FONT_FACE, &CLeafwrightView::OnUpdateFontFace)
END_MESSAGE_MAP()

namespace {
IOneValuePreview* ActiveViewPreview() { return GetActiveLeafwrightView(); }
}  // namespace

CLeafwrightView::CLeafwrightView() {
  // The preset sizes of the font size list are the steps of Grow and Shrink while editing.
  g_EditingTextTool.SetPresetFontSizes(&Quirebook::GetFontSizePresets());
  // The one-value dialogs preview on the active document's editing view.
  if (!GetActiveOneValuePreview()) SetActivePreviewSource(&ActiveViewPreview);
}

CLeafwrightDoc* CLeafwrightView::GetDocument() const { return dynamic_cast<CLeafwrightDoc*>(m_pDocument); }

int CLeafwrightView::GetPagesCount() const {
  const CLeafwrightDoc* doc = GetDocument();
  return doc ? doc->GetPagesCount() : 0;
}

int CLeafwrightView::GetPageIndex() const {
  CLeafwrightDoc* doc = GetDocument();
  const int i = doc && m_pRenderPage ? doc->GetRenderPagesArray().IndexOf(m_pRenderPage) : -1;
  return i >= 0 ? i : m_nPage;
}

CDrawingPage* CLeafwrightView::GetShownPage() const { return dynamic_cast<CDrawingPage*>(m_pRenderPage); }

void CLeafwrightView::ShowPage(CDrawingPage* page) {
  CLeafwrightDoc* doc = GetDocument();
  if (page && doc && !page->IsPageContentLoaded() && page->GetPageContentSource()) {
    // A page still in its file is read now; what it left out (or that it cannot be read at all)
    // is told as it is first shown.
    if (!page->LoadPageContent(doc) && m_toldUnreadable.insert(page).second)
      doc->AddDroppedItem({doc->GetRenderPagesArray().IndexOf(page) + 1, Quirebook::DroppedItem::kPageUnreadable, 0, 0});
    doc->ReportDroppedItems();
  }
  if (page != m_pRenderPage) {
    if (GetEditingTool()) UpdateEditingTool(nullptr);
    SetRenderPage(page);
  }
  const int i = doc && page ? doc->GetRenderPagesArray().IndexOf(page) : -1;
  m_nPage = std::max(i, 0);
}

void CLeafwrightView::GoToPage(int index) {
  CLeafwrightDoc* doc = GetDocument();
  const int count = GetPagesCount();
  ShowPage(count > 0 ? doc->GetDrawingPage(std::clamp(index, 0, count - 1)) : nullptr);
  ScrollToPosition(CPoint(0, 0));
  InvalidateView();
}

Vectorloom::CQorVectorSize<float> CLeafwrightView::GetRenderPageSize() const {
  if (const auto* page = dynamic_cast<const CDrawingPage*>(m_pRenderPage)) return page->GetPageSize(Vectorloom::UNIT_PIXEL);
  return CPublicationView::GetRenderPageSize();
}

void CLeafwrightView::OnInitialUpdate() {
  CPublicationView::OnInitialUpdate();
  GoToPage(0);
  // After an open: what the file's pages had to leave out.
  if (CLeafwrightDoc* doc = GetDocument()) doc->ReportDroppedItems();
}

void CLeafwrightView::OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) {
  CLeafwrightDoc* doc = GetDocument();
  auto* page = dynamic_cast<CDrawingPage*>(Vectorloom::CWorkspaceDoc::HintPage(pHint));
  const int count = GetPagesCount();
  const int given = doc && page ? doc->GetRenderPagesArray().IndexOf(page) : -1;
  const int kept = doc && m_pRenderPage ? doc->GetRenderPagesArray().IndexOf(m_pRenderPage) : -1;
  if ((lHint == 3 || lHint == 4) && given >= 0)
    ShowPage(page);
  else if (lHint == 3 && !page)
    ShowPage(count > 0 ? doc->GetDrawingPage(0) : nullptr);
  else if (kept < 0)  // the shown page left the document: the one now at its place
    ShowPage(count > 0 ? doc->GetDrawingPage(std::min(m_nPage, count - 1)) : nullptr);
  else
    m_nPage = kept;
  // The base keeps the selection to what is still on the page and repaints.
  CPublicationView::OnUpdate(pSender, lHint, pHint);
}

void CLeafwrightView::OnDraw(CDC* pDC) {
  // Nothing at all is drawn without a page, not even the desk.
  if (!m_pRenderPage) return;
  if (m_bOutlineSuppressed && !GetPreviewScene()) m_bOutlineSuppressed = 0;
  const DWORD mask = Vectorloom::CDefaultTool::m_dwMask;
  if (m_bOutlineSuppressed) Vectorloom::CDefaultTool::m_dwMask &= ~static_cast<DWORD>(Vectorloom::TOOL_MASK_OUTLINE);
  CPublicationView::OnDraw(pDC);
  Vectorloom::CDefaultTool::m_dwMask = mask;
}

void CLeafwrightView::DrawPage(Gdiplus::Graphics& g, CDrawingPage& page, const CRect& r) {
  Gdiplus::SolidBrush paper(Gdiplus::Color(255, 255, 255, 255));
  g.FillRectangle(&paper, r.left, r.top, r.Width(), r.Height());
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  // Objects are placed in pixels at the screen's 96 dots per inch, whatever the page's unit: at
  // 100 % they are drawn as they are, from the page's corner.
  g.SetClip(Gdiplus::Rect(r.left, r.top, r.Width(), r.Height()));
  page.DrawAllObjects(&g, Gdiplus::Matrix(1, 0, 0, 1, static_cast<float>(r.left), static_cast<float>(r.top)));
  g.ResetClip();
}

void CLeafwrightView::ProcessEvent(int nEvent, LPARAM lParam) {
  const CString name = NextObjectNameForEvent(nEvent);
  if (!name.IsEmpty()) {
    if (auto* obj = reinterpret_cast<Vectorloom::CRenderBaseObj*>(lParam)) obj->SetObjectName(name);
    if (nEvent == Vectorloom::VIEW_EVENT_SHAPE_CREATED || nEvent == Vectorloom::VIEW_EVENT_TEXT_CREATED)
      OnDefaultMode();
    return;
  }
  // A locked object, or a selection already at the front or back: say so.
  static const struct {
    int nEvent;
    UINT nString;
  } kNotices[] = {
      {Vectorloom::VIEW_EVENT_RESIZE_LOCKED, IDS_LOCKED_RESIZE}, {Vectorloom::VIEW_EVENT_ROTATE_LOCKED, IDS_LOCKED_ROTATE},
      {Vectorloom::VIEW_EVENT_MOVE_LOCKED, IDS_LOCKED_MOVE},     {Vectorloom::VIEW_EVENT_NUDGE_LOCKED, IDS_LOCKED_MOVE},
      {Vectorloom::VIEW_EVENT_ANCHOR_LOCKED, IDS_LOCKED_MOVE_ANCHOR}, {Vectorloom::VIEW_EVENT_ALIGN_LOCKED, IDS_LOCKED_ALIGN},
      {Vectorloom::VIEW_EVENT_ALREADY_FRONT, IDS_ALREADY_FRONT}, {Vectorloom::VIEW_EVENT_ALREADY_BACK, IDS_ALREADY_BACK},
  };
  for (const auto& notice : kNotices) {
    if (notice.nEvent != nEvent) continue;
    CString text, caption;
    text.LoadString(notice.nString);
    caption.LoadString(AFX_IDS_APP_TITLE);
    MessageBox(text, caption, MB_OK | MB_ICONINFORMATION);
    return;
  }
  CPublicationView::ProcessEvent(nEvent, lParam);
}

// ---------------------------------------------------------------------------------------------
// Custom values

bool CLeafwrightView::IsEditingText() const { return GetEditingTool() == &g_EditingTextTool; }
void CLeafwrightView::PreviewModifyShapeObjsStrokeWidth(float f) { CPublicationView::PreviewModifyShapeObjsStrokeWidth(f); }
void CLeafwrightView::PreviewModifyRenderObjsRotatedAngle(int n) { CPublicationView::PreviewModifyRenderObjsRotatedAngle(n); }
void CLeafwrightView::RestorePrevScene() { CPublicationView::RestorePrevScene(); }
void CLeafwrightView::DestroyPreviewScene() { CPublicationView::DestroyPreviewScene(); }

namespace {

// The first object of the list, groups walked into depth first, for which `read` answers.
template <class Read>
bool FirstInSelection(const Vectorloom::CRenderBaseObjectList& list, Read read) {
  for (Vectorloom::CRenderBaseObj* obj : list) {
    if (auto* group = dynamic_cast<Vectorloom::CRenderGroupObj*>(obj)) {
      if (FirstInSelection(group->GetChildList(), read)) return true;
    } else if (read(obj)) {
      return true;
    }
  }
  return false;
}

// The selected objects that the shown page holds, in selection order.
Vectorloom::CRenderBaseObjectList SelectedOnPage(const Vectorloom::CWorkspaceView& view) {
  Vectorloom::CRenderBaseObjectList list;
  if (Vectorloom::CRenderPage* page = view.GetRenderPage())
    for (Vectorloom::CRenderBaseObj* obj : view.GetSelectedObjectsList())
      if (page->GetRenderObjectList().Find(obj) >= 0) list.AddElement(obj);
  return list;
}

}  // namespace

bool CLeafwrightView::ReadSelectionStrokeWidth(float& fPixels) const {
  return FirstInSelection(SelectedOnPage(*this), [&](Vectorloom::CRenderBaseObj* obj) {
    const auto* shape = dynamic_cast<const Vectorloom::CBaseShapeObj*>(obj);
    if (!shape) return false;
    fPixels = shape->GetStrokeWidth();
    return true;
  });
}

bool CLeafwrightView::ReadSelectionRotation(int& nAngle) const {
  return FirstInSelection(SelectedOnPage(*this), [&](Vectorloom::CRenderBaseObj* obj) {
    nAngle = obj->GetRotatedAngle();
    return true;
  });
}

void CLeafwrightView::OnCustomStrokeWidth() {
  float pixels = 0;
  if (!ReadSelectionStrokeWidth(pixels)) return;
  const int points = static_cast<int>(Vectorloom::CUnitConv::Pixel2Weight(pixels, Vectorloom::kScreenDpi));
  CEditOutlineWidthDlg dlg(points);
  RunOneValueDialog(dlg, [this](int value) { DoModifyShapeObjectsStrokenWidth(CEditOutlineWidthDlg::PointsToPixels(value)); });
}

void CLeafwrightView::OnCustomRotation() {
  int angle = 0;
  if (!ReadSelectionRotation(angle)) return;
  CEditRotatedAngleDlg dlg(std::clamp(angle, 0, 359));
  RunOneValueDialog(dlg, [this](int value) { DoModifyRenderObjsRotatedAngle(value); });
}

// Custom Width and Custom Angle stay enabled; the dialog opens only when something carries the
// value.
void CLeafwrightView::OnUpdateCustomStrokeWidth(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }
void CLeafwrightView::OnUpdateCustomRotation(CCmdUI* pCmdUI) { pCmdUI->Enable(TRUE); }

void CLeafwrightView::PreviewEditingTextFilledTransparency(int n) { ::PreviewEditingTextFilledTransparency(this, n); }
void CLeafwrightView::PreviewRenderObjsFilledTransparency(int n) { ::PreviewRenderObjsFilledTransparency(this, n); }
void CLeafwrightView::PreviewEditingTextStrokenTransparency(int n) { ::PreviewEditingTextStrokenTransparency(this, n); }
void CLeafwrightView::PreviewRenderObjsStrokenTransparency(int n) { ::PreviewRenderObjsStrokenTransparency(this, n); }

bool CLeafwrightView::ReadTransparency(bool bFill, int& nAlpha) const { return ReadTransparencyState(bFill, nAlpha) != -1; }

int CLeafwrightView::ReadTransparencyState(bool bFill, int& nAlpha) const {
  int state = -1;
  if (IsEditingText()) {
    if (bFill) {
      Quirebook::CAccessTextObjFilledTransparencyProp::Element v{};
      state = ::ReadEditingTextValue<Quirebook::CAccessTextObjFilledTransparencyProp>(g_EditingTextTool, v);
      nAlpha = static_cast<int>(v);
    } else {
      Quirebook::CAccessTextObjStrokeTransparencyProp::Element v{};
      state = ::ReadEditingTextValue<Quirebook::CAccessTextObjStrokeTransparencyProp>(g_EditingTextTool, v);
      nAlpha = static_cast<int>(v);
    }
  } else {
    state = bFill ? ::ReadSelectionFilledTransparency(this, nAlpha)
                  : ::ReadSelectionStrokeTransparency(this, nAlpha);
  }
  return state;
}

void CLeafwrightView::OnCustomFillTransparency() {
  int alpha = 0;
  if (!ReadTransparency(true, alpha)) return;
  CEditTransparencyDlg dlg(CEditTransparencyDlg::kFill, std::clamp(alpha, 0, 255));
  RunOneValueDialog(dlg, [this](int value) { ApplyFilledTransparency(value); });
}

void CLeafwrightView::OnCustomStrokeTransparency() {
  int alpha = 0;
  if (!ReadTransparency(false, alpha)) return;
  CEditTransparencyDlg dlg(CEditTransparencyDlg::kStroke, std::clamp(alpha, 0, 255));
  RunOneValueDialog(dlg, [this](int value) { ApplyStrokeTransparency(value); });
}

void CLeafwrightView::OnUpdateCustomTransparency(CCmdUI* pCmdUI) {
  // As the transparency galleries: always enabled while a text is edited.
  int alpha = 0;
  pCmdUI->Enable(IsEditingText() || ReadTransparency(pCmdUI->m_nID == ViewCmd::kCustomFillTransparency, alpha));
}

// ---------------------------------------------------------------------------------------------
// Stamp galleries


void CLeafwrightView::PickStamp(UINT nGallery, int nIndex) {
  const StampGallery* gallery = FindStampGallery(nGallery);
  if (!gallery || nIndex < 0 || nIndex >= gallery->nCount) return;
  UpdateEditingTool(&g_DrawStampsTool);
  g_DrawStampsTool.SetStamp(gallery->pszType, gallery->nIds[nIndex]);
  m_lastStamps[nGallery] = nIndex;
}

void CLeafwrightView::OnStampGallery(UINT nId, NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  if (const auto* gallery = nm ? dynamic_cast<const CQORPControlGallery*>(nm->pControl) : nullptr)
    PickStamp(nId, gallery->GetSelectedItem());
  if (pResult) *pResult = 1;
}


void CLeafwrightView::OnStampCommand(UINT nId) {
  // From a menu entry (no item picked): the stamp chosen last from that gallery, else its first.
  const auto it = m_lastStamps.find(nId);
  PickStamp(nId, it == m_lastStamps.end() ? 0 : it->second);
}

void CLeafwrightView::OnDynamicStampCommand() { OnStampCommand(ViewCmd::kStampsDynamic); }
void CLeafwrightView::OnSignStampCommand() { OnStampCommand(ViewCmd::kStampsSignHere); }
void CLeafwrightView::OnBusinessStampCommand() { OnStampCommand(ViewCmd::kStampsBusiness); }

void CLeafwrightView::OnDynamicStampGallery(NMHDR* p, LRESULT* r) { OnStampGallery(ViewCmd::kStampsDynamic, p, r); }
void CLeafwrightView::OnSignStampGallery(NMHDR* p, LRESULT* r) { OnStampGallery(ViewCmd::kStampsSignHere, p, r); }
void CLeafwrightView::OnBusinessStampGallery(NMHDR* p, LRESULT* r) { OnStampGallery(ViewCmd::kStampsBusiness, p, r); }

int CLeafwrightView::GetStampGallerySelection(UINT nGallery) const {
  const StampGallery* gallery = FindStampGallery(nGallery);
  if (!gallery || GetEditingTool() != &g_DrawStampsTool || g_DrawStampsTool.GetResourceType() != gallery->pszType)
    return -1;
  for (int i = 0; i < gallery->nCount; ++i)
    if (gallery->nIds[i] == g_DrawStampsTool.GetResourceId()) return i;
  return -1;
}

void CLeafwrightView::OnUpdateStampGallery(CCmdUI* pCmdUI) {
  pCmdUI->Enable(TRUE);
  if (auto* gallery = dynamic_cast<CQORPControlGallery*>(CQORPControl::FromUI(pCmdUI)))
    gallery->SetSelectedItem(GetStampGallerySelection(pCmdUI->m_nID));
}

// ---------------------------------------------------------------------------------------------
// Zoom

void CLeafwrightView::SetZoomPercent(float fPercent) {
  ZoomView(fPercent);
  // The status bar's slider and text follow every zoom.
  if (auto* main = dynamic_cast<CMainFrame*>(GetParentFrame())) main->UpdateZoomPane(GetZoom());
  if (CFrameWnd* frame = GetParentFrame()) frame->OnUpdateCmdUIAll();
}

PageScrollStep StepPageScroll(int y, int maxY, int dy, int page, int pages) {
  PageScrollStep step;
  step.nScrollY = y;
  if (dy > 0) {
    if (y < maxY)
      step.nScrollY = std::min(y + dy, maxY);
    else if (page + 1 < pages)
      step.nPageDelta = 1, step.nScrollY = 0;
  } else if (dy < 0) {
    if (y > 0)
      step.nScrollY = std::max(y + dy, 0);
    else if (page > 0)
      step.nPageDelta = -1, step.nScrollY = 0, step.bToEnd = true;
  }
  return step;
}

bool CLeafwrightView::ScrollOrTurnPage(int dy) {
  const CPoint at = GetScrollPosition();
  const PageScrollStep step = StepPageScroll(at.y, GetMaxScrollPosition().y, dy, GetPageIndex(), GetPagesCount());
  if (step.nPageDelta == 0) {
    if (step.nScrollY == at.y) return false;
    ScrollToPosition(CPoint(at.x, step.nScrollY));
    return true;
  }
  // Through the document, so that the thumbnails follow.
  const int index = GetPageIndex() + step.nPageDelta;
  if (CLeafwrightDoc* doc = GetDocument()) doc->GoToPage(index);
  if (GetPageIndex() != index) GoToPage(index);
  ScrollToPosition(CPoint(0, step.bToEnd ? GetMaxScrollPosition().y : 0));
  InvalidateView();
  return true;
}

void CLeafwrightView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if ((nChar == VK_NEXT || nChar == VK_PRIOR) && !IsEditingText()) {
    CRect client;
    GetClientRect(&client);
    const int step = std::max(1, client.Height() - client.Height() / 10);
    ScrollOrTurnPage(nChar == VK_NEXT ? step : -step);
    return;
  }
  CPublicationView::OnKeyDown(nChar, nRepCnt, nFlags);
}

BOOL CLeafwrightView::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) {
  // Whole notches only; a touchpad's fractions add up until they make one.
  m_nWheelDelta += zDelta;
  const int notches = std::clamp(m_nWheelDelta / WHEEL_DELTA, -100, 100);
  m_nWheelDelta -= notches * WHEEL_DELTA;
  if (notches == 0) return FALSE;
  if (nFlags & MK_CONTROL) {
    for (int i = 0; i < std::abs(notches); ++i) notches > 0 ? OnZoomIn() : OnZoomOut();
    return TRUE;
  }
  const CPoint before = GetScrollPosition();
  CPublicationView::OnMouseWheel(nFlags, static_cast<short>(notches * WHEEL_DELTA), pt);
  if (GetScrollPosition() != before) return TRUE;
  return ScrollOrTurnPage(notches < 0 ? 1 : -1) ? TRUE : FALSE;
}

void CLeafwrightView::OnZoomActualSize() { SetZoomPercent(100); }
void CLeafwrightView::OnUpdateZoomActualSize(CCmdUI* pCmdUI) { pCmdUI->Enable(!SameFactor(GetZoom() / 100.0f, 1.0f)); }

void CLeafwrightView::OnZoomIn() {
  if (GetZoom() < 800) SetZoomPercent(StepZoomFactor(GetZoom() / 100.0f, true) * 100.0f);
}
void CLeafwrightView::OnUpdateZoomIn(CCmdUI* pCmdUI) { pCmdUI->Enable(GetZoom() < 800); }

void CLeafwrightView::OnZoomOut() {
  if (GetZoom() > 12.5f) SetZoomPercent(StepZoomFactor(GetZoom() / 100.0f, false) * 100.0f);
}
void CLeafwrightView::OnUpdateZoomOut(CCmdUI* pCmdUI) { pCmdUI->Enable(GetZoom() > 12.5f); }

void CLeafwrightView::OnZoomLevel(UINT nId) {
  float factor = 1.0f;
  for (const ZoomLevel& level : g_zoomLevels)
    if (level.nCommand == nId) factor = level.fFactor;
  SetZoomPercent(factor * 100.0f);
}

void CLeafwrightView::OnUpdateZoomLevel(CCmdUI* pCmdUI) {
  const float f = GetZoom() / 100.0f;
  const ZoomLevel& level = g_zoomLevels[FindZoomLevelIndex(f)];
  pCmdUI->Enable(TRUE);
  pCmdUI->SetCheck(SameFactor(level.fFactor, f) && level.nCommand == pCmdUI->m_nID);
}

void CLeafwrightView::OnUpdateZoomPane(CCmdUI* pCmdUI) {
  pCmdUI->SetText(ZoomPaneText(GetZoom()));
  pCmdUI->Enable(TRUE);
}

void CLeafwrightView::OnUpdatePageNumber(CCmdUI* pCmdUI) {
  CString s;
  s.Format(L"Page: %d of %d", GetPageIndex() + 1, std::max(GetPagesCount(), 1));
  pCmdUI->SetText(s);
  pCmdUI->Enable(TRUE);
}

CLeafwrightView* GetActiveLeafwrightView() {
  CWnd* main = AfxGetMainWnd();
  auto* frame = dynamic_cast<CFrameWnd*>(main);
  CDocument* doc = frame ? frame->GetActiveDocument() : nullptr;
  if (!doc) return nullptr;
  POSITION pos = doc->GetFirstViewPosition();
  while (pos) {
    if (auto* view = dynamic_cast<CLeafwrightView*>(doc->GetNextView(pos))) return view;
  }
  return nullptr;
}
