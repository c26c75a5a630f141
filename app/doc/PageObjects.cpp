#include "PageObjects.h"

#include "LfwReader.h"

#include <mfc/afxbinio.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <new>
#include <set>

#include <vectorloom/UnitConv.h>

using namespace Vectorloom;

// ---------------------------------------------------------------------------------------------
// Application state

CDefaultLeafwrightAppState::CDefaultLeafwrightAppState()
    : m_clrFill(RGB(0, 128, 0)), m_clrStroke(RGB(255, 153, 0)), m_gradient(MakePresetGradient0()) {}

CLocalGradientColorsDefine CDefaultLeafwrightAppState::MakePresetGradient0() {
  CLocalGradientColorsDefine g;
  g.AddColorStop(0x11D43E, 255, 0);
  g.AddColorStop(0xFFFFFF, 255, kGradientPositionMax);
  return g;
}

void CDefaultLeafwrightAppState::SetScreenDpi(int x, int y) {
  m_nDpiX = x < 1 ? kScreenDpi : x;
  m_nDpiY = y < 1 ? kScreenDpi : y;
}

bool CDefaultLeafwrightAppState::GetViewMetrics(const CWorkspaceView*, LeafwrightViewMetrics& out) const {
  out = m_view;
  return true;
}

namespace {

CDefaultLeafwrightAppState& BuiltInState() {
  static CDefaultLeafwrightAppState state;
  return state;
}

std::atomic<ILeafwrightAppState*> g_pAppState{nullptr};

}  // namespace

ILeafwrightAppState& GetLeafwrightAppState() {
  ILeafwrightAppState* p = g_pAppState.load(std::memory_order_acquire);
  return p ? *p : BuiltInState();
}

ILeafwrightAppState* SetLeafwrightAppState(ILeafwrightAppState* state) {
  ILeafwrightAppState* old = g_pAppState.exchange(state, std::memory_order_acq_rel);
  return old ? old : &BuiltInState();
}

// ---------------------------------------------------------------------------------------------
// Occupied areas

namespace {

struct OccurRule {
  CQorVectorRect<float> bounds;     // unscaled
  float margin = 0;                 // already in device pixels
  bool rotation = false;            // selected and the class draws a rotation grip
  float e = 1;                      // added to right and bottom before rounding up
  bool shadow = false;              // unite the shadow rectangle
  bool shadowFromBounds = false;    // CalcuShadowBoundRect(&bounds) rather than (null)
};

double ZoomOf(const LeafwrightViewMetrics& view) {
  return view.zoomPercent > 0 && std::isfinite(view.zoomPercent) ? view.zoomPercent / 100.0 : 1.0;
}

// Rounds a device rectangle outwards into integers, clamped to the int range.
LONG ToDevice(double v) {
  if (!(v == v)) return 0;
  v = std::clamp(v, static_cast<double>(std::numeric_limits<LONG>::min() / 2),
                 static_cast<double>(std::numeric_limits<LONG>::max() / 2));
  return static_cast<LONG>(v);
}

RECT RoundOut(double l, double t, double r, double b, double e) {
  RECT rc;
  rc.left = ToDevice(std::floor(l));
  rc.top = ToDevice(std::floor(t));
  rc.right = ToDevice(std::ceil(r + e));
  rc.bottom = ToDevice(std::ceil(b + e));
  return rc;
}

RECT ComputeOccurArea(const CRenderBaseObj& obj, const LeafwrightViewMetrics& view, const OccurRule& rule) {
  const double zoom = ZoomOf(view);
  double l = rule.bounds.left * zoom, t = rule.bounds.top * zoom;
  double r = rule.bounds.right * zoom, b = rule.bounds.bottom * zoom;
  const double m = rule.margin;
  l -= m;
  t -= m;
  r += m + 1;
  b += m + 1;
  if (rule.rotation) {
    CQorVectorPoint<float> p0, p1;
    const float z = static_cast<float>(zoom);
    GetRotationHandles(obj, CQorTransMatrix::Scale(z, z), p0, p1);
    const double a = std::atan2(static_cast<double>(p1.y) - p0.y, static_cast<double>(p1.x) - p0.x);
    const double hx = p1.x + 20.0 * std::cos(a), hy = p1.y + 20.0 * std::sin(a);
    l = std::min(l, hx - 4);
    t = std::min(t, hy - 4);
    r = std::max(r, hx + 4 + 1);
    b = std::max(b, hy + 4 + 1);
  }
  RECT rc = RoundOut(l, t, r, b, rule.e);
  if (rule.shadow && obj.GetShadowFlag()) {
    const CQorVectorRect<float> s =
        rule.shadowFromBounds ? obj.CalcuShadowBoundRect(&rule.bounds) : obj.CalcuShadowBoundRect(nullptr);
    const RECT sr = RoundOut(s.left * zoom, s.top * zoom, s.right * zoom, s.bottom * zoom, rule.e);
    if (sr.right > sr.left && sr.bottom > sr.top) {
      rc.left = std::min(rc.left, sr.left);
      rc.top = std::min(rc.top, sr.top);
      rc.right = std::max(rc.right, sr.right);
      rc.bottom = std::max(rc.bottom, sr.bottom);
    }
  }
  rc.left += view.originX;
  rc.right += view.originX;
  rc.top += view.originY;
  rc.bottom += view.originY;
  return rc;
}

LeafwrightViewMetrics MetricsOf(CWorkspaceView* view) {
  LeafwrightViewMetrics m;
  if (!GetLeafwrightAppState().GetViewMetrics(view, m)) m = LeafwrightViewMetrics();
  return m;
}

bool IsAnchorTool(eLeafwrightTool tool) {
  return tool == eLeafwrightTool::MoveAnchor || tool == eLeafwrightTool::AddAnchor ||
         tool == eLeafwrightTool::ConvertAnchor;
}

bool IsOutlineTool(eLeafwrightTool tool) {
  return tool == eLeafwrightTool::Rectangle || tool == eLeafwrightTool::Oval || tool == eLeafwrightTool::RoundRect ||
         tool == eLeafwrightTool::Line || tool == eLeafwrightTool::Polygon;
}

constexpr float kHandleMargin = 4;
constexpr float kAnchorHandleMargin = 5;

}  // namespace

void GetRotationHandles(const CRenderBaseObj& obj, const CQorTransMatrix& deviceMatrix, CQorVectorPoint<float>& p0,
                        CQorVectorPoint<float>& p1) {
  const CQorVectorRect<float> box = obj.GetObjectBox();
  const CQorTransMatrix m = obj.GetTransMatrix() * deviceMatrix;
  const float cx = (box.left + box.right) * 0.5f, cy = (box.top + box.bottom) * 0.5f;
  p0 = m.Transform(CQorVectorPoint<float>(cx, cy));
  p1 = m.Transform(CQorVectorPoint<float>(cx, box.top));
}

// ---------------------------------------------------------------------------------------------
// Shape

CPageShapeObj::CPageShapeObj() {
  const ILeafwrightAppState& app = GetLeafwrightAppState();
  SetFillColor(app.GetDefaultFillColor());
  SetStrokeColor(app.GetDefaultStrokeColor());
  SetStrokeKind(RENDER_KIND_SOLID);
  SetStrokeWidth(CUnitConv::Weight2Pixel(2.0f, app.GetScreenDpiX()));
  GetFillDefinition().SetGradientDefiniton(app.GetDefaultGradient());
  GetStrokeDefinition().SetGradientDefiniton(app.GetDefaultGradient());
}

CPageShapeObj::~CPageShapeObj() = default;

CRenderBaseObj* CPageShapeObj::Clone() const {
  auto* copy = new CPageShapeObj;
  copy->CCustomPathObj::Copy(*this);
  return copy;
}

RECT CPageShapeObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected, GetLeafwrightAppState().GetActiveTool());
}

RECT CPageShapeObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected, eLeafwrightTool tool) const {
  const bool anchor = IsAnchorTool(tool);
  const double zoom = ZoomOf(view);
  OccurRule rule;
  rule.bounds = anchor && selected ? CalcuCoordBoundRect() : CBaseShapeObj::CalcuBoundRect();
  const float half = IsStroked() ? static_cast<float>(GetStrokeWidth() * zoom * 0.5) : 0.0f;
  rule.margin = selected ? std::max(half, anchor ? kAnchorHandleMargin : kHandleMargin) : half;
  rule.rotation = selected && !anchor;
  rule.e = 1;
  rule.shadow = true;
  rule.shadowFromBounds = false;
  return ComputeOccurArea(*this, view, rule);
}

// ---------------------------------------------------------------------------------------------
// Text

CPageTextObj::CPageTextObj() {
  const ILeafwrightAppState& app = GetLeafwrightAppState();
  SetLengths(static_cast<float>(CUnitConv::It2PixelD(0.03, UNIT_INCH, app.GetScreenDpiX())),
             static_cast<float>(CUnitConv::It2PixelD(0.03, UNIT_INCH, app.GetScreenDpiY())));
}

CPageTextObj::~CPageTextObj() = default;

CRenderBaseObj* CPageTextObj::Clone() const {
  auto* copy = new CPageTextObj;
  copy->CDDrawTextObjT::Copy(*this);
  return copy;
}

CQorVectorRect<float> CPageTextObj::GetObjectBox() const {
  return {0.0f, 0.0f, m_szLayoutBox.cx, m_szLayoutBox.cy};
}

RECT CPageTextObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected);
}

RECT CPageTextObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const {
  OccurRule rule;
  rule.bounds = GetBoundRect();
  rule.margin = selected ? kHandleMargin : 0;
  rule.rotation = selected != 0;
  rule.e = 1;
  rule.shadow = true;
  rule.shadowFromBounds = true;
  return ComputeOccurArea(*this, view, rule);
}

// ---------------------------------------------------------------------------------------------
// Group

CPageGroupObj::CPageGroupObj() = default;
CPageGroupObj::~CPageGroupObj() = default;

CRenderBaseObj* CPageGroupObj::Clone() const {
  auto* copy = new CPageGroupObj;
  copy->CRenderGroupObj::Copy(*this);
  return copy;
}

RECT CPageGroupObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected);
}

RECT CPageGroupObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const {
  OccurRule rule;
  rule.bounds = selected ? CRenderGroupObj::CalcuBoundRect() : GetBoundRect();
  rule.margin = selected ? kHandleMargin : 0;
  rule.rotation = selected != 0;
  rule.e = 0;
  rule.shadow = true;
  rule.shadowFromBounds = true;
  return ComputeOccurArea(*this, view, rule);
}

// ---------------------------------------------------------------------------------------------
// Video

CPageVideoObj::CPageVideoObj() = default;
CPageVideoObj::~CPageVideoObj() = default;

CRenderBaseObj* CPageVideoObj::Clone() const {
  auto* copy = new CPageVideoObj;
  copy->CBaseVideoObj::Copy(*this);
  return copy;
}

RECT CPageVideoObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected);
}

RECT CPageVideoObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const {
  OccurRule rule;
  rule.bounds = CBaseShapeObj::CalcuBoundRect();
  rule.margin = selected ? kHandleMargin : 0;
  rule.rotation = selected != 0;
  rule.e = 1;
  rule.shadow = false;
  return ComputeOccurArea(*this, view, rule);
}

// ---------------------------------------------------------------------------------------------
// Page

CPageBusiPage::CPageBusiPage() {
  m_fLogWidth = 8.5f;
  m_fLogHeight = 11.0f;
  m_nLogUnit = UNIT_INCH;
  m_bContentLoaded = 0;
  m_dwPageFlags = 0;
}

CPageBusiPage::~CPageBusiPage() = default;

namespace {

// Rebuilds what a clone does not carry over: paths (and stroke outlines), then effects.
void RebuildClone(CRenderBaseObj* obj) {
  switch (obj->GetObjectType()) {
    case RENDER_OBJ_SHAPE:
    case RENDER_OBJ_CORETEXT:
      obj->CreatePathStorage();
      if (auto* shape = dynamic_cast<CBaseShapeObj*>(obj)) shape->CreateStrokenPathStorage();
      break;
    case RENDER_OBJ_GROUP:
      if (auto* group = dynamic_cast<CRenderGroupObj*>(obj)) group->BuildAllShapeObjectsPath();
      break;
    default:
      break;
  }
  obj->CreateEffectsDIBs(3, 0);
}

}  // namespace

CRenderPage* CPageBusiPage::Clone() const {
  auto* copy = new CPageBusiPage;
  copy->m_fLogWidth = m_fLogWidth;
  copy->m_fLogHeight = m_fLogHeight;
  copy->m_nLogUnit = m_nLogUnit;
  copy->m_dwPageFlags = m_dwPageFlags;
  copy->m_bContentLoaded = m_bContentLoaded;
  copy->SetPageSourceContent(m_pSource);
  copy->m_nSourceIndex = m_nSourceIndex;
  copy->SetPageAttribute(GetPageAttribute());
  if (CRenderBaseObj* bg = GetBackgroundRenderObj()) {
    if (CRenderBaseObj* c = bg->Clone()) {
      RebuildClone(c);
      copy->SetBackgroundRenderObj(c);
    }
  }
  for (CRenderBaseObj* obj : m_objList) {
    CRenderBaseObj* c = obj->Clone();
    if (!c) continue;
    RebuildClone(c);
    copy->AddShapeObject(c);
  }
  return copy;
}

// ---------------------------------------------------------------------------------------------
// Factory and document

CRenderBaseObj* CCreateObjectFactory::CreateObject(int type) {
  switch (type) {
    case RENDER_OBJ_SHAPE:
      return new (std::nothrow) CPageShapeObj;
    case RENDER_OBJ_GROUP:
      return new (std::nothrow) CPageGroupObj;
    case RENDER_OBJ_TEXT:
      return new (std::nothrow) CPageTextObj;
    case RENDER_OBJ_VIDEO:
      return new (std::nothrow) CPageVideoObj;
    default:
      return nullptr;
  }
}

IMPLEMENT_DYNCREATE(CLeafwrightDoc, CPublicationDoc)

CLeafwrightDoc::CLeafwrightDoc() = default;
// The clips this document unpacked into the videos folder may be cleared away by later openings.
CLeafwrightDoc::~CLeafwrightDoc() { ReleaseInUseVideoClips(this); }

void CLeafwrightDoc::DeleteContents() {
  CPublicationDoc::DeleteContents();
  ReleaseInUseVideoClips(this);
}

CRenderBaseObj* CLeafwrightDoc::CreateNewObject(int type) {
  switch (type) {
    case RENDER_OBJ_SHAPE: {
      auto* shape = new CPageShapeObj;
      if (IsOutlineTool(GetLeafwrightAppState().GetActiveTool())) {
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

// ---------------------------------------------------------------------------------------------
// Object records

namespace {

// The smallest typed record: a type word and a base record with an empty name.
constexpr uint64_t kMinTypedRecord = 4 + 60;

using lw::bin::BytesLeft;

bool InList(int type, uint32_t types) { return (PageObjectTypeBit(type) & types) != 0; }

// Drops an object that nobody holds yet.
void Discard(CRenderBaseObj* obj) {
  obj->AddRef();
  obj->Release();
}

// Removes and releases the objects of a list from index `from` on.
void TruncateList(CRenderBaseObjectList& list, int from) {
  while (list.GetCount() > from) list.RemoveElementAt(list.GetCount() - 1);
}

// One typed object after its type word was read; `depth` is the level a group would have.
CRenderBaseObj* LoadTypedBody(uint32_t type, CFile& file, const CResourceModule* module, CBitmapResObjsList& bitmaps,
                              const CString& version, int depth) {
  CCreateObjectFactory factory;
  CRenderBaseObj* obj = factory.CreateObject(static_cast<int>(type & 0xFFFF));
  if (!obj) return nullptr;
  obj->SetTypeWord(type);
  int ok;
  if (obj->GetObjectType() == RENDER_OBJ_GROUP)
    ok = LoadPageObjectList(static_cast<CPageGroupObj&>(*obj), file, module, bitmaps, version, depth);
  else
    ok = obj->Load(file, module, bitmaps, version);
  if (!ok) {
    Discard(obj);
    return nullptr;
  }
  return obj;
}

bool SaveTyped(CFile& file, CRenderBaseObj& obj, const CString& version, int depth) {
  const int type = obj.GetObjectType();
  if (!IsPageObjectListChildType(type)) return false;
  if (type == RENDER_OBJ_GROUP && obj.IsGroupObject()) {
    if (depth < 1 || depth > kMaxPageGroupDepth || !obj.Save(file, version)) return false;
    return static_cast<CRenderGroupObj&>(obj).SaveChildren(file, version, depth);
  }
  return obj.Save(file, version) != 0;
}

}  // namespace

bool IsPageObjectListChildType(int type) { return CRenderGroupObj::IsSavableChildType(type); }

int SavePageObjectList(CPageGroupObj& group, CFile& file, const CString& version, int depth) {
  return SaveTyped(file, group, version, depth) ? 1 : 0;
}

int LoadPageObjectList(CPageGroupObj& group, CFile& file, const CResourceModule* module, CBitmapResObjsList& bitmaps,
                       const CString& version, int depth) {
  if (depth < 1 || depth > kMaxPageGroupDepth) return 0;
  if (!group.CRenderGroupObj::Load(file, module, bitmaps, version)) return 0;
  CCreateObjectFactory factory;
  return group.LoadChildren(file, module, bitmaps, version, factory, depth);
}

bool SavePageObject(CFile& file, CRenderBaseObj& obj, const CString& version) {
  return SaveTyped(file, obj, version, 1);
}

CRenderBaseObj* LoadPageObject(CFile& file, const CResourceModule* module, CBitmapResObjsList& bitmaps,
                               const CString& version, uint32_t allowedTypes) {
  uint32_t type;
  if (!lw::bin::ReadU32(file, type)) return nullptr;
  if (!InList(static_cast<int>(type & 0xFFFF), allowedTypes)) return nullptr;
  return LoadTypedBody(type, file, module, bitmaps, version, 1);
}

uint32_t SaveObjectList(CFile& file, const CRenderBaseObjectList& list, const CString& version,
                        uint32_t savedTypes) {
  std::vector<CRenderBaseObj*> saved;
  for (CRenderBaseObj* obj : list) {
    const int type = obj->GetObjectType();
    if (InList(type, savedTypes) && IsPageObjectListChildType(type)) saved.push_back(obj);
  }
  lw::bin::WriteU32(file, static_cast<uint32_t>(saved.size()));
  uint32_t written = 0;
  for (CRenderBaseObj* obj : saved) {
    if (!SaveTyped(file, *obj, version, 1)) break;
    ++written;
  }
  return written;
}

bool LoadObjectList(CFile& file, CRenderBaseObjectList& out, const CResourceModule* module,
                    CBitmapResObjsList& bitmaps, const CString& version, uint32_t allowedTypes) {
  const int before = out.GetCount();
  uint32_t count;
  if (!lw::bin::ReadU32(file, count) || count > BytesLeft(file) / kMinTypedRecord) return false;
  for (uint32_t i = 0; i < count; ++i) {
    CRenderBaseObj* obj = LoadPageObject(file, module, bitmaps, version, allowedTypes);
    if (!obj) {
      TruncateList(out, before);
      return false;
    }
    out.AddElement(obj);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Finishing loaded objects and fonts

namespace {

GlyphweaveLib::CEditableTextObj* AsText(CRenderBaseObj* obj) {
  return obj->GetObjectType() == RENDER_OBJ_TEXT ? dynamic_cast<GlyphweaveLib::CEditableTextObj*>(obj) : nullptr;
}

}  // namespace

void BuildTextsGlyphs(const CRenderBaseObjectList& list, const GlyphweaveLib::CEmbedFontResManager* fonts,
                      GlyphweaveLib::CFontCacheManager* cache) {
  WalkRenderObjects(list, [&](CRenderBaseObj* obj) {
    if (GlyphweaveLib::CEditableTextObj* text = AsText(obj)) {
      text->BuildAllGlypths(fonts, cache);
      text->RecalcuLayout(0);
    }
  });
}

void FinishLoadedObjects(CRenderBaseObjectList& list, CPublicationDoc& doc) {
  for (CRenderBaseObj* obj : list) {
    switch (obj->GetObjectType()) {
      case RENDER_OBJ_SHAPE:
      case RENDER_OBJ_VIDEO:
        obj->CreatePathStorage();
        if (auto* shape = dynamic_cast<CBaseShapeObj*>(obj)) shape->CreateStrokenPathStorage();
        break;
      case RENDER_OBJ_GROUP:
        if (auto* group = dynamic_cast<CRenderGroupObj*>(obj)) group->BuildAllShapeObjectsPath();
        break;
      default:
        break;
    }
  }
  BuildTextsGlyphs(list, doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
  for (CRenderBaseObj* obj : list) obj->CreateEffectsDIBs(3, 0);
}

void CollectEmbedFontIDs(const CRenderBaseObjectList& list, std::vector<int>& ids) {
  WalkRenderObjects(list, [&](CRenderBaseObj* obj) {
    if (GlyphweaveLib::CEditableTextObj* text = AsText(obj)) text->CollectEmbedFonts(ids);
  });
}

void RemapEmbedFontIDs(const CRenderBaseObjectList& list, const std::map<int, int>& oldToNew) {
  if (oldToNew.empty()) return;
  WalkRenderObjects(list, [&](CRenderBaseObj* obj) {
    GlyphweaveLib::CEditableTextObj* text = AsText(obj);
    if (!text) return;
    const int runs = text->GetFontRuns().GetSize();
    for (int r = 0; r < runs; ++r) {
      GlyphweaveLib::TFontRunInfo run = text->GetFontRuns().GetAt(r);
      const auto it = oldToNew.find(run.m_FontDesc.GetEmbedFontID());
      if (it == oldToNew.end() || it->second == it->first) continue;
      run.m_FontDesc.SetEmbedFontID(it->second);
      text->SetFontRunAt(r, run);
    }
  });
}

std::map<int, int> MergeEmbedFonts(GlyphweaveLib::CEmbedFontResManager& into,
                                   std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>>& fonts) {
  std::map<int, int> remap;
  std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>> incoming = std::move(fonts);
  fonts.clear();
  std::sort(incoming.begin(), incoming.end(), [](const auto& a, const auto& b) {
    if (!a || !b) return b != nullptr;
    return a->GetFontID() < b->GetFontID();
  });
  // Decide every font against the fonts the document held before any was moved in.
  std::set<int> seen;
  std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>> kept, renamed;
  for (auto& font : incoming) {
    if (!font || font->GetFontID() < 0 || !seen.insert(font->GetFontID()).second) continue;
    const GlyphweaveLib::CEmbedFontResouce* held = into.FindEmbedFontResource(font->GetFontID());
    if (!held)
      kept.push_back(std::move(font));
    else if (!held->IsEqualEmbedFont(*font))
      renamed.push_back(std::move(font));
  }
  for (auto& font : kept)
    if (into.AddEmbedFontResouce(font.get()) >= 0) font.release();
  // Fresh ids are taken once every kept id is in, so none of them can be handed out twice.
  for (auto& font : renamed) {
    const int oldId = font->GetFontID();
    const int newId = into.CreateNewEmbedFontID();
    font->SetFontID(newId);
    if (into.AddEmbedFontResouce(font.get()) >= 0) {
      font.release();
      remap[oldId] = newId;
    }
  }
  return remap;
}

// ---------------------------------------------------------------------------------------------
// Clipboard format

UINT g_nLeafwrightClipFormat = RegisterClipboardFormatW(kLeafwrightClipboardFormatName);

UINT GetLeafwrightClipboardFormat() {
  if (!g_nLeafwrightClipFormat) g_nLeafwrightClipFormat = RegisterClipboardFormatW(kLeafwrightClipboardFormatName);
  return g_nLeafwrightClipFormat;
}
