#include "RenderObj.h"

#include <afxbinio.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>

#include "GroupObj.h"
#include "ObjectStreamIO.h"

namespace Vectorloom {

// ---------------------------------------------------------------------------------------------
// CRenderBaseObjectList

CRenderBaseObjectList::~CRenderBaseObjectList() { RemoveAllElements(); }

CRenderBaseObjectList::CRenderBaseObjectList(const CRenderBaseObjectList& other) : m_items(other.m_items) {
  for (CRenderBaseObj* obj : m_items) obj->AddRef();
}

CRenderBaseObjectList& CRenderBaseObjectList::operator=(const CRenderBaseObjectList& other) {
  if (this == &other) return *this;
  for (CRenderBaseObj* obj : other.m_items) obj->AddRef();
  std::vector<CRenderBaseObj*> old;
  old.swap(m_items);
  m_items = other.m_items;
  for (CRenderBaseObj* obj : old) obj->Release();
  return *this;
}

void CRenderBaseObjectList::AddElement(CRenderBaseObj* pObj) {
  if (!pObj) return;
  pObj->AddRef();
  m_items.push_back(pObj);
}

void CRenderBaseObjectList::InsertElement(int index, CRenderBaseObj* pObj) {
  if (!pObj) return;
  index = std::clamp(index, 0, GetCount());
  pObj->AddRef();
  m_items.insert(m_items.begin() + index, pObj);
}

int CRenderBaseObjectList::Find(const CRenderBaseObj* pObj) const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i] == pObj) return static_cast<int>(i);
  return -1;
}

bool CRenderBaseObjectList::FindObject(const CRenderBaseObj* pObj) const {
  if (!pObj) return false;
  for (CRenderBaseObj* obj : m_items) {
    if (obj == pObj) return true;
    if (obj->IsGroupObject() && static_cast<CRenderGroupObj*>(obj)->GetChildList().FindObject(pObj)) return true;
  }
  return false;
}

bool CRenderBaseObjectList::RemoveElement(CRenderBaseObj* pObj) { return RemoveElementAt(Find(pObj)); }

bool CRenderBaseObjectList::RemoveElementAt(int index) {
  CRenderBaseObj* obj = DetachElementAt(index);
  if (!obj) return false;
  obj->Release();
  return true;
}

CRenderBaseObj* CRenderBaseObjectList::DetachElementAt(int index) {
  if (index < 0 || index >= GetCount()) return nullptr;
  CRenderBaseObj* obj = m_items[static_cast<size_t>(index)];
  m_items.erase(m_items.begin() + index);
  return obj;
}

bool CRenderBaseObjectList::DetachElement(CRenderBaseObj* pObj) { return DetachElementAt(Find(pObj)) != nullptr; }

void CRenderBaseObjectList::RemoveAllElements() {
  // Objects may hold lists of their own; empty this one before releasing anything.
  std::vector<CRenderBaseObj*> old;
  old.swap(m_items);
  for (CRenderBaseObj* obj : old) obj->Release();
}

bool CRenderBaseObjectList::SwapElements(int i, int j) {
  if (i < 0 || j < 0 || i >= GetCount() || j >= GetCount()) return false;
  std::swap(m_items[static_cast<size_t>(i)], m_items[static_cast<size_t>(j)]);
  return true;
}

void CRenderBaseObjectList::ReverseOrder() { std::reverse(m_items.begin(), m_items.end()); }

// ---------------------------------------------------------------------------------------------
// CRenderBaseObj

CRenderBaseObj::CRenderBaseObj(uint32_t typeWord) : m_dwType(typeWord) {}

CRenderBaseObj::CRenderBaseObj(const CRenderBaseObj& other)
    : CRefObj(),
      m_dwType(other.m_dwType),
      m_matTrans(other.m_matTrans),
      m_strName(other.m_strName),
      m_fLengthX(other.m_fLengthX),
      m_fLengthY(other.m_fLengthY),
      m_bShadow(other.m_bShadow),
      m_ptShadowOffset(other.m_ptShadowOffset),
      m_crShadow(other.m_crShadow),
      m_nShadowTransparency(other.m_nShadowTransparency) {}

CRenderBaseObj& CRenderBaseObj::operator=(const CRenderBaseObj& other) {
  if (this == &other) return *this;
  m_dwType = other.m_dwType;
  m_matTrans = other.m_matTrans;
  m_strName = other.m_strName;
  m_fLengthX = other.m_fLengthX;
  m_fLengthY = other.m_fLengthY;
  m_bShadow = other.m_bShadow;
  m_ptShadowOffset = other.m_ptShadowOffset;
  m_crShadow = other.m_crShadow;
  m_nShadowTransparency = other.m_nShadowTransparency;
  return *this;
}

CRenderBaseObj::~CRenderBaseObj() = default;

CRenderBaseObj* CRenderBaseObj::Clone() const { return new CRenderBaseObj(*this); }

void CRenderBaseObj::Draw(Gdiplus::Graphics*, const Gdiplus::Matrix&) {}

namespace {

// A device coordinate from a float that may be huge or not a number.
LONG ToDevice(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<LONG>(std::clamp(v, -1e9, 1e9));
}

}  // namespace

RECT CRenderBaseObj::CalcuObjectOccurArea(CWorkspaceView*, int) {
  const CQorVectorRect<float> r = CalcuBoundRect();
  RECT rc;
  rc.left = ToDevice(std::floor(r.left));
  rc.top = ToDevice(std::floor(r.top));
  rc.right = ToDevice(std::ceil(r.right));
  rc.bottom = ToDevice(std::ceil(r.bottom));
  return rc;
}

CQorVectorRect<float> CRenderBaseObj::GetObjectBox() const { return {}; }

CQorVectorRect<float> CRenderBaseObj::CalcuBoundRect() const { return m_matTrans.TransformRect(GetObjectBox()); }

bool CRenderBaseObj::HitTest(const CQorVectorPoint<float>& pt, float tolerance) const {
  CQorVectorRect<float> r = CalcuBoundRect();
  r.Inflate(tolerance, tolerance);
  return r.PtInRect(pt);
}

void CRenderBaseObj::GetHandlePoints(CQorVectorPoint<float> pts[8]) const {
  const CQorVectorRect<float> b = GetObjectBox();
  const float cx = (b.left + b.right) * 0.5f, cy = (b.top + b.bottom) * 0.5f;
  const CQorVectorPoint<float> local[8] = {{b.left, b.top},  {cx, b.top},        {b.right, b.top}, {b.right, cy},
                                           {b.right, b.bottom}, {cx, b.bottom}, {b.left, b.bottom}, {b.left, cy}};
  for (int i = 0; i < 8; ++i) pts[i] = m_matTrans.Transform(local[i]);
}

int CRenderBaseObj::HitTestHandles(const CQorVectorPoint<float>& pt, float radius) const {
  CQorVectorPoint<float> pts[8];
  GetHandlePoints(pts);
  for (int i = 0; i < 8; ++i)
    if (std::fabs(pt.x - pts[i].x) <= radius && std::fabs(pt.y - pts[i].y) <= radius) return i;
  return HANDLE_NONE;
}

bool CRenderBaseObj::HitTestInnerElements(const CQorVectorPoint<float>&) const { return false; }

void CRenderBaseObj::CreatePathStorage() {}

int CRenderBaseObj::CreateEffectsDIBs(int, int) { return 1; }

namespace {
thread_local int g_silhouetteDepth = 0;  // silhouettes being drawn on this thread
}  // namespace

bool CRenderBaseObj::IsDrawingSilhouette() { return g_silhouetteDepth > 0; }

void CRenderBaseObj::DrawShadow(Gdiplus::Graphics* g, const Gdiplus::Matrix& viewMatrix) {
  if (!g || !m_bShadow || g_silhouetteDepth > 0) return;
  // The shadow's place on the device: the object's bounds (widened for strokes and caps) moved
  // by the offset, through the view, cut to what the target shows.
  CQorVectorRect<float> r = CalcuShadowBoundRect(nullptr);
  r.Inflate(2, 2);  // antialiased edges
  Gdiplus::Matrix saved;
  g->GetTransform(&saved);
  g->ResetTransform();
  Gdiplus::RectF visible;
  const bool clipped = g->GetClipBounds(&visible) == Gdiplus::Ok;
  g->SetTransform(&saved);
  Gdiplus::PointF corners[4] = {{r.left, r.top}, {r.right, r.top}, {r.right, r.bottom}, {r.left, r.bottom}};
  viewMatrix.TransformPoints(corners, 4);
  double lx = corners[0].X, ly = corners[0].Y, hx = lx, hy = ly;
  for (const auto& c : corners) {
    lx = std::min<double>(lx, c.X), ly = std::min<double>(ly, c.Y);
    hx = std::max<double>(hx, c.X), hy = std::max<double>(hy, c.Y);
  }
  if (clipped) {
    lx = std::max<double>(lx, visible.X), ly = std::max<double>(ly, visible.Y);
    hx = std::min<double>(hx, static_cast<double>(visible.X) + visible.Width);
    hy = std::min<double>(hy, static_cast<double>(visible.Y) + visible.Height);
  }
  constexpr double kMaxSide = 4096;  // larger shadows are cut (a view shows less than that)
  if (!(hx > lx) || !(hy > ly) || !std::isfinite(lx + ly + hx + hy)) return;
  const double left = std::floor(lx), top = std::floor(ly);
  const int w = static_cast<int>(std::min(kMaxSide, std::ceil(hx) - left));
  const int h = static_cast<int>(std::min(kMaxSide, std::ceil(hy) - top));
  if (w <= 0 || h <= 0) return;
  Gdiplus::Bitmap silhouette(w, h, Gdiplus::PixelFormat32bppARGB);
  if (silhouette.GetLastStatus() != Gdiplus::Ok) return;
  {
    Gdiplus::Graphics off(&silhouette);
    off.SetSmoothingMode(g->GetSmoothingMode());
    off.SetPixelOffsetMode(g->GetPixelOffsetMode());
    Gdiplus::Matrix m(1, 0, 0, 1, m_ptShadowOffset.x, m_ptShadowOffset.y);
    m.Multiply(&viewMatrix, Gdiplus::MatrixOrderAppend);
    m.Translate(static_cast<Gdiplus::REAL>(-left), static_cast<Gdiplus::REAL>(-top), Gdiplus::MatrixOrderAppend);
    ++g_silhouetteDepth;
    Draw(&off, m);
    --g_silhouetteDepth;
  }
  // Every pixel takes the shadow colour; its coverage scales the shadow's opacity.
  Gdiplus::Rect all(0, 0, w, h);
  Gdiplus::BitmapData data;
  if (silhouette.LockBits(&all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeWrite,
                          Gdiplus::PixelFormat32bppARGB, &data) != Gdiplus::Ok)
    return;
  const int opacity = 255 - std::clamp(m_nShadowTransparency, 0, 255);
  const uint8_t cr = GetRValue(m_crShadow), cg = GetGValue(m_crShadow), cb = GetBValue(m_crShadow);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    for (int x = 0; x < w; ++x) {
      uint8_t* px = row + 4 * x;  // B, G, R, A in memory
      const int a = px[3] * opacity / 255;
      px[0] = cb, px[1] = cg, px[2] = cr, px[3] = static_cast<uint8_t>(a);
    }
  }
  silhouette.UnlockBits(&data);
  g->ResetTransform();
  g->DrawImage(&silhouette, static_cast<INT>(left), static_cast<INT>(top), w, h);
  g->SetTransform(&saved);
}

void CRenderBaseObj::SetTransMatrix(const CQorTransMatrix& matrix, bool bRebuild) {
  m_matTrans = matrix;
  if (bRebuild) CreatePathStorage();
}

void CRenderBaseObj::TransformObject(const CQorTransMatrix& m, bool bRebuild) {
  m_matTrans = m_matTrans * m;
  if (bRebuild) CreatePathStorage();
}

void CRenderBaseObj::CollectExternalBmpResObjs(CBitmapResObjsList&) const {}
void CRenderBaseObj::AssignExternalBmpRes(const CBitmapResObjsList&) {}
void CRenderBaseObj::AssignExternalBmpRes2(const CBitmapResObjsList&) {}

CQorVectorRect<float> CRenderBaseObj::CalcuShadowBoundRect(const CQorVectorRect<float>* pBounds) const {
  CQorVectorRect<float> r = pBounds ? *pBounds : CalcuBoundRect();
  r.Offset(m_ptShadowOffset.x, m_ptShadowOffset.y);
  return r;
}

int CRenderBaseObj::Save(CFile& file, const CString&) {
  using namespace lw::bin;
  WriteU32(file, m_dwType);
  WriteU32(file, kObjectRecordVersion);
  WriteString16(file, m_strName);
  float e[6];
  m_matTrans.GetElements(e);
  for (float v : e) WriteF32(file, v);
  WriteF32(file, m_fLengthX);
  WriteF32(file, m_fLengthY);
  WriteU32(file, m_bShadow ? 1 : 0);
  WriteF32(file, m_ptShadowOffset.x);
  WriteF32(file, m_ptShadowOffset.y);
  WriteU32(file, m_crShadow & 0xFFFFFF);
  WriteU32(file, static_cast<uint32_t>(std::clamp(m_nShadowTransparency, 0, 255)));
  return 1;
}

int CRenderBaseObj::Load(CFile& file, const CResourceModule*, CBitmapResObjsList&, const CString&) {
  using namespace lw::bin;
  uint32_t version = 0;
  if (!ReadU32(file, version) || version < 1 || version > kObjectRecordVersion) return 0;
  CString name;
  if (!ReadString16(file, name)) return 0;
  float e[6];
  for (float& v : e)
    if (!ReadF32(file, v)) return 0;
  float lx, ly, sx, sy;
  int shadow;
  uint32_t color, transparency;
  if (!ReadF32(file, lx) || !ReadF32(file, ly) || !io::ReadBool32(file, shadow) || !ReadF32(file, sx) ||
      !ReadF32(file, sy) || !io::ReadBounded(file, 0xFFFFFF, color) || !io::ReadBounded(file, 255, transparency))
    return 0;
  m_strName = name;
  m_matTrans.SetElements(e);
  m_fLengthX = lx;
  m_fLengthY = ly;
  m_bShadow = shadow != 0;
  m_ptShadowOffset = {sx, sy};
  m_crShadow = color;
  m_nShadowTransparency = static_cast<int>(transparency);
  m_nLoadedVersion = version;
  return 1;
}

void CRenderBaseObj::ResizeObject(const CQorVectorRect<float>& rect) {
  // The base object has no box of its own: moving it to the rectangle's corner is all it can do.
  m_matTrans.Prepend(CQorTransMatrix::Translation(rect.left, rect.top));
}

void CRenderBaseObj::ScaleLengthParam(const float& sx, const float& sy) {
  m_matTrans.dx *= sx;
  m_matTrans.dy *= sy;
  m_fLengthX *= sx;
  m_fLengthY *= sy;
  m_ptShadowOffset.x *= sx;
  m_ptShadowOffset.y *= sy;
}

int CRenderBaseObj::GetRotatedAngle() const {
  const float angle = m_matTrans.RotationAngle();
  if (!std::isfinite(angle)) return 0;
  int a = static_cast<int>(std::lround(angle));
  a %= 360;
  if (a < 0) a += 360;
  return a;
}

}  // namespace Vectorloom
