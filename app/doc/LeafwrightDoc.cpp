#include "LeafwrightDoc.h"

#include <vectorloom/WorkspaceView.h>

#include "LeafwrightAppState.h"
#include "LfwReader.h"
#include "PageGroupObj.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"

using namespace Vectorloom;

namespace {

bool IsOutlineTool(eLeafwrightTool tool) {
  return tool == eLeafwrightTool::Rectangle || tool == eLeafwrightTool::Oval || tool == eLeafwrightTool::RoundRect ||
         tool == eLeafwrightTool::Line || tool == eLeafwrightTool::Polygon;
}

}  // namespace

IMPLEMENT_DYNCREATE(CLeafwrightDoc, CPublicationDoc)

eLeafwrightTool CLeafwrightDoc::EditingViewTool() const {
  POSITION pos = GetFirstViewPosition();
  while (pos) {
    if (auto* view = dynamic_cast<const CWorkspaceView*>(GetNextView(pos))) return LeafwrightToolOf(view);
  }
  return eLeafwrightTool::None;
}

CLeafwrightDoc::CLeafwrightDoc() = default;
// The clips this document unpacked into the videos folder may be cleared away by later openings.
CLeafwrightDoc::~CLeafwrightDoc() { ReleaseInUseVideoClips(this); }

void CLeafwrightDoc::DeleteContents() {
  CPublicationDoc::DeleteContents();
  ReleaseInUseVideoClips(this);
  m_arrPrintPages.clear();
  TakeDroppedItems();
}

void CLeafwrightDoc::ReportDroppedItems() {
  const std::wstring text = Quirebook::ComposeDroppedItemsMessage(TakeDroppedItems());
  if (text.empty() || !CDocument::Hooks().pfnMessageBox) return;
  const std::wstring message = L"Some content of this document could not be shown and was left out:\n" + text;
  CDocument::Hooks().pfnMessageBox(message.c_str(), MB_OK | MB_ICONWARNING);
}

void CLeafwrightDoc::SetPrintLayout(int nRows, int nColumns, const std::vector<int>& pages) {
  m_nPrintRows = nRows;
  m_nPrintColumns = nColumns;
  m_arrPrintPages = pages;
}

CRenderBaseObj* CLeafwrightDoc::CreateNewObject(int type) {
  switch (type) {
    case RENDER_OBJ_SHAPE: {
      auto* shape = new CPageShapeObj;
      if (IsOutlineTool(EditingViewTool())) {
        shape->SetStrokeKind(RENDER_KIND_SOLID);
        shape->SetFillKind(RENDER_KIND_NONE);
      }
      return shape;
    }
    case RENDER_OBJ_GROUP:
      return new CPageGroupObj;
    case RENDER_OBJ_TEXT:
      return new CPageTextObj;
    default:
      return nullptr;
  }
}
