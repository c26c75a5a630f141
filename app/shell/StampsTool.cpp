#include "StampsTool.h"

#include <cstdlib>
#include <iomanip>
#include <locale>
#include <memory>
#include <mutex>
#include <sstream>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ObjectLoader.h>
#include <vectorloom/ShapeObj.h>
#include <vectorloom/TextObj.h>
#include <vectorloom/ViewActions.h>
#include <vectorloom/WorkspaceView.h>

#include "CreateObjectFactory.h"
#include "StampArtwork.h"

using namespace Vectorloom;

CDrawStampsTool g_DrawStampsTool;

namespace {

const StampGallery kGalleries[] = {
    {ViewCmd::kStampsSignHere, L"STAMP", {345, 346, 347, 348, 349}, 5},
    {ViewCmd::kStampsBusiness, L"STANDARDBUSINESS", {351, 352, 353, 354, 355, 356, 357, 358, 359, 360, 361, 362}, 12},
    {ViewCmd::kStampsDynamic, L"DYNAMIC", {363, 364, 365, 366, 367}, 5},
};

constexpr int kUserNameStamp = 367;

void RegisterStampArtwork() {
  static std::once_flag once;
  std::call_once(once, [] {
    size_t n = 0;
    const LwStampArtwork* table = LwGetStampArtwork(&n);
    for (size_t i = 0; i < n; ++i)
      lw::RegisterResource(table[i].type, MAKEINTRESOURCEW(table[i].id), table[i].data, static_cast<DWORD>(table[i].size));
  });
}

CQorVectorRect<float> Bounds(const CRenderBaseObj* obj) { return obj->GetBoundRect(); }

bool OnPage(const CQorVectorPoint<float>& p, const CQorVectorSize<float>& page) {
  return p.x >= 0 && p.y >= 0 && p.x < page.cx && p.y < page.cy;
}

// Moves the stamp so that the centre of its bounds lies on the point.
void CentreOn(CRenderBaseObj* stamp, const CQorVectorPoint<float>& p) {
  const CQorVectorRect<float> b = Bounds(stamp);
  stamp->TransformObject(CQorTransMatrix::Translation(p.x - b.Width() * 0.5f - b.left, p.y - b.Height() * 0.5f - b.top),
                         true);
}

}  // namespace

const StampGallery* FindStampGallery(UINT nCommand) {
  for (const StampGallery& g : kGalleries)
    if (g.nCommand == nCommand) return &g;
  return nullptr;
}

const StampGallery* FindStampGalleryByType(const CString& type) {
  for (const StampGallery& g : kGalleries)
    if (type == g.pszType) return &g;
  return nullptr;
}

CRenderBaseObj* LoadObjectsFromResource(const wchar_t* type, int id, CWorkspaceDoc*) {
  RegisterStampArtwork();
  HRSRC res = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
  if (!res) return nullptr;
  const DWORD size = SizeofResource(nullptr, res);
  auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(nullptr, res)));
  if (!bytes || size == 0) return nullptr;
  // The file reads the resource's bytes in place (never written).
  CMemFile file(bytes, size);
  CBitmapResObjsList bitmaps;
  CCreateObjectFactory factory;
  return CLoadingObject::LoadSerialized(file, nullptr, bitmaps, factory);
}

std::function<std::time_t()> CDrawStampsTool::s_clock = [] { return std::time(nullptr); };
std::function<CString()> CDrawStampsTool::s_user = [] { return CDrawStampsTool::GetLoginUserName(); };

CDrawStampsTool::~CDrawStampsTool() { ReleaseRefObj(m_pStamp); }

CString CDrawStampsTool::FormatStampTime(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  std::ostringstream os;
  os.imbue(std::locale::classic());
  os << std::put_time(&local, "%m/%d/%Y %H:%M:%S %p");
  return CString(lw::Utf8ToWide(os.str().substr(0, 260)).c_str());
}

CString CDrawStampsTool::GetLoginUserName() {
  wchar_t name[261] = {};
  DWORD size = 261;
  if (!GetUserNameW(name, &size)) return CString();
  return CString(name);
}

CString CDrawStampsTool::GetDynamicText() const {
  if (m_strType != L"DYNAMIC") return CString();
  return m_nId == kUserNameStamp ? s_user() : FormatStampTime(s_clock());
}

COLORREF CDrawStampsTool::GetStampColor(const CRenderBaseObj* stamp) {
  const CRenderBaseObj* first = stamp;
  if (const auto* group = dynamic_cast<const CRenderGroupObj*>(stamp)) first = group->GetChildList().GetHead();
  const auto* shape = dynamic_cast<const CBaseShapeObj*>(first);
  if (!shape) return 255;
  return shape->GetFillInsideFlag() && shape->GetFillKind() != RENDER_KIND_NONE ? shape->GetFillColor()
                                                                                  : shape->GetStrokeColor();
}

CTextObj* CDrawStampsTool::MakeDynamicText() const {
  if (!m_pStamp || m_strType != L"DYNAMIC") return nullptr;
  const bool user = m_nId == kUserNameStamp;
  auto text = std::make_unique<CTextObj>(GetDynamicText(), user ? 14.0f : 10.0f, GetStampColor(m_pStamp));
  text->SetAllCharsFaceName(L"Arial Black", 1, 0);
  text->SetAllCharsBold(true);
  text->SetAllCharsItalic(true);
  if (!text->BuildGlyphPath()) return nullptr;
  const CQorVectorRect<float> b = Bounds(m_pStamp);
  text->TransformObject(CQorTransMatrix::Translation(b.left + 16, b.top + (user ? 11.0f : 36.0f)), true);
  return text.release();
}

int CDrawStampsTool::OnMouseMove(CWorkspaceView* pView, UINT, int x, int y) {
  CRenderPage* page = pView->GetRenderPage();
  if (!page) return 1;
  const CQorVectorPoint<float> lp = pView->DpToLp(x, y);
  const CQorVectorPoint<float> p = pView->MapToPic(lp);
  if (!m_pStamp) {
    m_ptFirstPoint = m_ptLastPoint = lp;
    if (!OnPage(p, pView->GetRenderPageSize())) return 1;
    CRenderBaseObj* stamp = LoadObjectsFromResource(m_strType, m_nId, pView->GetDocument());
    if (!stamp) return 1;
    stamp->AddRef();
    m_pStamp = stamp;
    CentreOn(stamp, p);
    page->AddShapeObject(stamp);
    m_dwMask |= TOOL_MASK_OUTLINE;
    pView->SetToolCapture();
    m_dwMask &= ~static_cast<DWORD>(TOOL_MASK_DRAGGING);
    pView->InvalidateObjRect(stamp, 0);
    return 1;
  }
  pView->InvalidateObjRect(m_pStamp, 0);
  const CQorVectorPoint<float> last = pView->MapToPic(m_ptLastPoint);
  m_pStamp->TransformObject(CQorTransMatrix::Translation(p.x - last.x, p.y - last.y), true);
  m_ptLastPoint = lp;
  pView->InvalidateObjRect(m_pStamp, 0);
  pView->ScrollView(x, y);
  return 1;
}

int CDrawStampsTool::OnLButtonDown(CWorkspaceView* pView, UINT, int x, int y) {
  pView->ReleaseToolCapture();
  CRenderPage* page = pView->GetRenderPage();
  const CQorVectorPoint<float> p = pView->ClientToPic(x, y);
  if (page && !m_pStamp && OnPage(p, pView->GetRenderPageSize())) {
    // A click with no move before it: the stamp goes on the page here, as a move would put it,
    // so that what the action records is on the page.
    if (CRenderBaseObj* stamp = LoadObjectsFromResource(m_strType, m_nId, pView->GetDocument())) {
      stamp->AddRef();
      m_pStamp = stamp;
      CentreOn(stamp, p);
      page->AddShapeObject(stamp);
    }
  }
  if (page && m_pStamp) Drop(pView);
  ReleaseRefObj(m_pStamp);
  m_dwMask &= ~static_cast<DWORD>(TOOL_MASK_OUTLINE);
  pView->OnDefaultMode();
  return 1;
}

void CDrawStampsTool::Drop(CWorkspaceView* pView) {
  CRenderPage* page = pView->GetRenderPage();
  const CQorVectorSize<float> size = pView->GetRenderPageSize();
  const CQorVectorRect<float> b = Bounds(m_pStamp);
  const bool overlaps = b.right > 0 && b.bottom > 0 && b.left < size.cx && b.top < size.cy;
  if (!overlaps) {
    pView->InvalidateObjRect(m_pStamp, 0);
    page->RemoveShapeObject(m_pStamp);
    return;
  }
  if (std::unique_ptr<CTextObj> text{MakeDynamicText()}) {
    CCustomPathObj* line = text->ConvertToShapeObj(pView->GetDocument());
    if (auto* group = dynamic_cast<CRenderGroupObj*>(m_pStamp); group && line)
      group->AddChild(line);
    else if (line)
      line->Release();
  }
  auto* action = new CAddObjectAction(page, L"Add Stamp", m_pStamp);
  action->BackupSelectedObject(pView->GetSelectedObjectsList());
  pView->CommitEditAction(action);
  pView->DeseleteAllRenderObjects();
  pView->SelectRenderObject(m_pStamp, false);
  if (CWorkspaceDoc* doc = pView->GetDocument()) doc->UpdateAllViews(nullptr, 2, CWorkspaceDoc::PageHint(page));
}

void CDrawStampsTool::ToolUnInitalize(CWorkspaceView* pView) {
  if (m_pStamp && pView->GetRenderPage()) {
    pView->InvalidateObjRect(m_pStamp, 0);
    pView->GetRenderPage()->RemoveShapeObject(m_pStamp);
  }
  ReleaseRefObj(m_pStamp);
  m_dwMask &= ~static_cast<DWORD>(TOOL_MASK_OUTLINE);
  pView->ReleaseToolCapture();
}

void CDrawStampsTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics* pGraphics, float sx, float sy, float x, float y) {
  if (!pGraphics) return;
  std::unique_ptr<CTextObj> text{MakeDynamicText()};
  if (!text) return;
  Gdiplus::Matrix m;
  m.Scale(sx, sy, Gdiplus::MatrixOrderAppend);
  m.Translate(x, y, Gdiplus::MatrixOrderAppend);
  text->Draw(pGraphics, m);
}
