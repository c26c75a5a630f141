#include "ShapeObj.h"

#include <afxbinio.h>
#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "ObjectStreamIO.h"

namespace Vectorloom {

namespace {

constexpr uint32_t kPictureNone = 0;
constexpr uint32_t kPictureExternal = 1;

// Smallest record sizes, for checking counts against what is left.
constexpr uint64_t kColorStopSize = 8;   // 4 colour bytes, u32 position
constexpr uint64_t kSubPathMinSize = 8;  // u32 flags, u32 node count
constexpr uint64_t kNodeSize = 26;       // 6 floats, 2 bytes
constexpr uint32_t kMaxDashTypeV1 = DASH_DASHDOTDOT;
constexpr uint32_t kMaxDashType = DASH_CUSTOM;
constexpr uint32_t kMaxDashCount = 64;  // longer patterns are not written
constexpr uint32_t kSubPathClosed = 1;
constexpr uint32_t kSubPathRectangle = 2;

CQorVectorRect<float> FromRectF(const Gdiplus::RectF& r) { return {r.X, r.Y, r.X + r.Width, r.Y + r.Height}; }

Gdiplus::Matrix ToGdiplus(const CQorTransMatrix& m) { return Gdiplus::Matrix(m.m11, m.m12, m.m21, m.m22, m.dx, m.dy); }

BYTE Opacity(int transparency) { return static_cast<BYTE>(255 - std::clamp(transparency, 0, 255)); }

Gdiplus::Color ColorOf(COLORREF c, int transparency) {
  return Gdiplus::Color(Opacity(transparency), GetRValue(c), GetGValue(c), GetBValue(c));
}

// A stop's colour with its own alpha scaled by the definition's opacity.
Gdiplus::Color StopColor(const RGBQUAD& q, int transparency) {
  const int a = q.rgbReserved * Opacity(transparency) / 255;
  return Gdiplus::Color(static_cast<BYTE>(a), q.rgbRed, q.rgbGreen, q.rgbBlue);
}

void WriteDefinition(CFile& file, const CRenderVectorShapeDef& def) {
  using namespace lw::bin;
  WriteU32(file, static_cast<uint32_t>(std::clamp(def.GetRenderKind(), 0, static_cast<int>(RENDER_KIND_BITMAP))));
  WriteU32(file, def.GetRenderColor() & 0xFFFFFF);
  WriteU32(file, static_cast<uint32_t>(def.GetTransparency()));
  const CLocalGradientColorsDefine& g = def.GetGradientDefinition();
  WriteU32(file, static_cast<uint32_t>(std::clamp(g.GetGradientType(), 0, static_cast<int>(GRADIENT_RADIAL))));
  WriteF32(file, g.GetAngle());
  WriteU32(file, static_cast<uint32_t>(g.GetColorStopsCount()));
  for (const auto& s : g.GetColorStops()) {
    WriteU8(file, s.color.rgbRed);
    WriteU8(file, s.color.rgbGreen);
    WriteU8(file, s.color.rgbBlue);
    WriteU8(file, s.color.rgbReserved);
    WriteU32(file, static_cast<uint32_t>(s.position));
  }
  const CBitmapResObj* res = def.GetRenderBitmap();
  if (res && res->GetResourceKind() == BITMAP_RES_EXTERNAL) {
    const auto* ext = static_cast<const CExternalBmpResObj*>(res);
    WriteU32(file, kPictureExternal);
    WriteString16(file, ext->GetPathName());
    WriteU32(file, ext->GetFileSize());
    WriteI64(file, ext->GetFileTime());
  } else {
    // Pictures made at run time (video posters, internal pictures) are not stored.
    WriteU32(file, kPictureNone);
  }
}

bool ReadDefinition(CFile& file, CRenderVectorShapeDef& def, CBitmapResObjsList& bitmaps) {
  using namespace lw::bin;
  uint32_t kind, color, transparency, type, count;
  float angle;
  if (!io::ReadBounded(file, RENDER_KIND_BITMAP, kind) || !io::ReadBounded(file, 0xFFFFFF, color) ||
      !io::ReadBounded(file, 255, transparency) || !io::ReadBounded(file, GRADIENT_RADIAL, type) ||
      !ReadF32(file, angle) || !ReadU32(file, count) || !io::CountFits(file, count, kColorStopSize))
    return false;
  CLocalGradientColorsDefine gradient;
  gradient.SetGradientType(static_cast<int>(type));
  gradient.SetAngle(angle);
  int lastPosition = 0;
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t r, g, b, a;
    uint32_t position;
    if (!ReadU8(file, r) || !ReadU8(file, g) || !ReadU8(file, b) || !ReadU8(file, a) ||
        !io::ReadBounded(file, kGradientPositionMax, position))
      return false;
    // Stops are written in order; a stream out of order was not written by this library.
    if (static_cast<int>(position) < lastPosition) return false;
    lastPosition = static_cast<int>(position);
    gradient.AddColorStop(RGB(r, g, b), a, static_cast<int>(position));
  }
  uint32_t pictureKind;
  if (!io::ReadBounded(file, kPictureExternal, pictureKind)) return false;
  CBitmapResObj* res = nullptr;
  if (pictureKind == kPictureExternal) {
    CString path;
    uint32_t size;
    int64_t time;
    if (!ReadString16(file, path) || !ReadU32(file, size) || !ReadI64(file, time)) return false;
    // Objects of one load share one resource per picture.
    res = bitmaps.FindExternal(path, size, time);
    if (!res) {
      res = new CExternalBmpResObj(path, size, time);
      bitmaps.Add(res);
    }
  }
  def.SetRenderKind(static_cast<int>(kind));
  def.SetRenderColor(color);
  def.SetTransparency(static_cast<int>(transparency));
  def.SetGradientDefiniton(gradient);
  def.SetRenderBitmap(res);
  return true;
}

void CollectFromDefinition(const CRenderVectorShapeDef& def, CBitmapResObjsList& list) {
  CBitmapResObj* res = def.GetRenderBitmap();
  if (res && res->GetResourceKind() == BITMAP_RES_EXTERNAL) list.AddUnique(res);
}

void AssignPicture(CRenderVectorShapeDef& def, const CBitmapResObjsList& list) {
  CBitmapResObj* res = def.GetRenderBitmap();
  if (!res || res->GetResourceKind() != BITMAP_RES_EXTERNAL) return;
  auto* ext = static_cast<CExternalBmpResObj*>(res);
  CExternalBmpResObj* src = list.FindExternal(ext->GetPathName(), ext->GetFileSize(), ext->GetFileTime());
  if (src && src != ext && src->HasBitmap()) ext->SharePictureOf(*src);
}

void AssignResource(CRenderVectorShapeDef& def, const CBitmapResObjsList& list) {
  CBitmapResObj* res = def.GetRenderBitmap();
  if (!res || res->GetResourceKind() != BITMAP_RES_EXTERNAL) return;
  auto* ext = static_cast<CExternalBmpResObj*>(res);
  CExternalBmpResObj* src = list.FindExternal(ext->GetPathName(), ext->GetFileSize(), ext->GetFileTime());
  if (src && src != ext) def.SetRenderBitmap(src);
}

// The brush of a definition over a path's bounds (object coordinates).
std::unique_ptr<Gdiplus::Brush> CreateBrush(const CRenderVectorShapeDef& def, const Gdiplus::GraphicsPath& path) {
  const int t = def.GetTransparency();
  switch (def.GetRenderKind()) {
    case RENDER_KIND_SOLID:
      return std::make_unique<Gdiplus::SolidBrush>(ColorOf(def.GetRenderColor(), t));
    case RENDER_KIND_GRADIENT: {
      const auto& stops = def.GetGradientDefinition().GetColorStops();
      if (stops.empty()) return nullptr;
      if (stops.size() == 1) return std::make_unique<Gdiplus::SolidBrush>(StopColor(stops[0].color, t));
      Gdiplus::RectF bounds;
      path.GetBounds(&bounds);
      if (bounds.Width <= 0) bounds.Width = 1;
      if (bounds.Height <= 0) bounds.Height = 1;
      // Interpolation colours must run from 0 to 1: the end colours extend to the ends.
      std::vector<Gdiplus::Color> colors;
      std::vector<Gdiplus::REAL> positions;
      if (stops.front().position > 0) {
        colors.push_back(StopColor(stops.front().color, t));
        positions.push_back(0);
      }
      for (const auto& s : stops) {
        colors.push_back(StopColor(s.color, t));
        positions.push_back(static_cast<Gdiplus::REAL>(s.position) / kGradientPositionMax);
      }
      if (stops.back().position < kGradientPositionMax) {
        colors.push_back(StopColor(stops.back().color, t));
        positions.push_back(1);
      }
      if (def.GetGradientDefinition().GetGradientType() == GRADIENT_RADIAL) {
        // From the centre (position 0) out to the ellipse round the bounds (4096); the brush
        // counts from its boundary in.
        Gdiplus::GraphicsPath ellipse;
        ellipse.AddEllipse(bounds);
        auto brush = std::make_unique<Gdiplus::PathGradientBrush>(&ellipse);
        std::reverse(colors.begin(), colors.end());
        std::reverse(positions.begin(), positions.end());
        for (Gdiplus::REAL& p : positions) p = 1 - p;
        brush->SetInterpolationColors(colors.data(), positions.data(), static_cast<INT>(colors.size()));
        return brush;
      }
      auto brush = std::make_unique<Gdiplus::LinearGradientBrush>(bounds, StopColor(stops.front().color, t),
                                                                   StopColor(stops.back().color, t),
                                                                   def.GetGradientDefinition().GetAngle(), TRUE);
      brush->SetInterpolationColors(colors.data(), positions.data(), static_cast<INT>(colors.size()));
      return brush;
    }
    case RENDER_KIND_BITMAP: {
      CBitmapResObj* res = def.GetRenderBitmap();
      Gdiplus::Bitmap* bmp = res ? res->GetGdiBitmap() : nullptr;
      if (!bmp || bmp->GetWidth() == 0 || bmp->GetHeight() == 0) return nullptr;
      Gdiplus::RectF bounds;
      path.GetBounds(&bounds);
      std::unique_ptr<Gdiplus::TextureBrush> brush;
      if (t > 0) {
        // The brush copies its image: hand it a copy whose alpha carries the transparency (kept
        // with the picture between draws).
        std::shared_ptr<Gdiplus::Bitmap> faded = res->GetFadedBitmap(Opacity(t));
        if (!faded) return nullptr;
        brush = std::make_unique<Gdiplus::TextureBrush>(faded.get(), Gdiplus::WrapModeTileFlipXY);
      } else {
        brush = std::make_unique<Gdiplus::TextureBrush>(bmp, Gdiplus::WrapModeTileFlipXY);
      }
      // The picture is stretched over the path's bounds (mirrored tiles keep its edges clean).
      brush->ScaleTransform(bounds.Width / static_cast<float>(bmp->GetWidth()),
                            bounds.Height / static_cast<float>(bmp->GetHeight()));
      brush->TranslateTransform(bounds.X, bounds.Y, Gdiplus::MatrixOrderAppend);
      return brush;
    }
    default:
      return nullptr;
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CLocalGradientColorsDefine

void CLocalGradientColorsDefine::AddColorStop(COLORREF color, int alpha, int position) {
  ColorStop s;
  s.color.rgbRed = GetRValue(color);
  s.color.rgbGreen = GetGValue(color);
  s.color.rgbBlue = GetBValue(color);
  s.color.rgbReserved = static_cast<BYTE>(std::clamp(alpha, 0, 255));
  s.position = std::clamp(position, 0, kGradientPositionMax);
  auto at = std::upper_bound(m_stops.begin(), m_stops.end(), s.position,
                             [](int p, const ColorStop& x) { return p < x.position; });
  m_stops.insert(at, s);
}

bool CLocalGradientColorsDefine::GetColorStop(int index, RGBQUAD& color, int& position) const {
  if (index < 0 || index >= GetColorStopsCount()) return false;
  color = m_stops[static_cast<size_t>(index)].color;
  position = m_stops[static_cast<size_t>(index)].position;
  return true;
}

bool CLocalGradientColorsDefine::operator==(const CLocalGradientColorsDefine& o) const {
  if (m_nType != o.m_nType || m_fAngle != o.m_fAngle || m_stops.size() != o.m_stops.size()) return false;
  for (size_t i = 0; i < m_stops.size(); ++i) {
    const auto &a = m_stops[i].color, &b = o.m_stops[i].color;
    if (m_stops[i].position != o.m_stops[i].position || a.rgbRed != b.rgbRed || a.rgbGreen != b.rgbGreen ||
        a.rgbBlue != b.rgbBlue || a.rgbReserved != b.rgbReserved)
      return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// CRenderVectorShapeDef

CRenderVectorShapeDef::CRenderVectorShapeDef(const CRenderVectorShapeDef& other)
    : m_nKind(other.m_nKind),
      m_crColor(other.m_crColor),
      m_nTransparency(other.m_nTransparency),
      m_gradient(other.m_gradient),
      m_pBitmap(AddRefObj(other.m_pBitmap)) {}

CRenderVectorShapeDef& CRenderVectorShapeDef::operator=(const CRenderVectorShapeDef& other) {
  if (this == &other) return *this;
  m_nKind = other.m_nKind;
  m_crColor = other.m_crColor;
  m_nTransparency = other.m_nTransparency;
  m_gradient = other.m_gradient;
  SetRenderBitmap(other.m_pBitmap);
  return *this;
}

CRenderVectorShapeDef::~CRenderVectorShapeDef() { ReleaseRefObj(m_pBitmap); }

void CRenderVectorShapeDef::SetTransparency(int t) { m_nTransparency = std::clamp(t, 0, 255); }

void CRenderVectorShapeDef::SetRenderBitmap(CBitmapResObj* pBitmap) {
  if (pBitmap == m_pBitmap) return;
  AddRefObj(pBitmap);
  ReleaseRefObj(m_pBitmap);
  m_pBitmap = pBitmap;
}

// ---------------------------------------------------------------------------------------------
// CBaseShapeObj

CBaseShapeObj::CBaseShapeObj(uint32_t typeWord) : CRenderBaseObj(typeWord) {
  m_fillDef.SetRenderColor(RGB(255, 255, 255));
  m_strokeDef.SetRenderColor(RGB(0, 0, 0));
}

CBaseShapeObj::CBaseShapeObj(const CBaseShapeObj& other)
    : CRenderBaseObj(other),
      m_bFillInside(other.m_bFillInside),
      m_bStrokeOutline(other.m_bStrokeOutline),
      m_fillDef(other.m_fillDef),
      m_strokeDef(other.m_strokeDef),
      m_fStrokeWidth(other.m_fStrokeWidth),
      m_nDashType(other.m_nDashType),
      m_dashPattern(other.m_dashPattern),
      m_fDashOffset(other.m_fDashOffset),
      m_nFillRule(other.m_nFillRule),
      m_nStartCap(other.m_nStartCap),
      m_nEndCap(other.m_nEndCap),
      m_nDashCap(other.m_nDashCap),
      m_nLineJoin(other.m_nLineJoin),
      m_fMiterLimit(other.m_fMiterLimit),
      m_pPathStorage(other.m_pPathStorage ? std::make_unique<Gdiplus::GraphicsPath>(*other.m_pPathStorage) : nullptr),
      m_rcStroken(other.m_rcStroken) {}

CBaseShapeObj& CBaseShapeObj::operator=(const CBaseShapeObj& other) {
  if (this == &other) return *this;
  CRenderBaseObj::operator=(other);
  m_bFillInside = other.m_bFillInside;
  m_bStrokeOutline = other.m_bStrokeOutline;
  m_fillDef = other.m_fillDef;
  m_strokeDef = other.m_strokeDef;
  m_fStrokeWidth = other.m_fStrokeWidth;
  m_nDashType = other.m_nDashType;
  m_dashPattern = other.m_dashPattern;
  m_fDashOffset = other.m_fDashOffset;
  m_nFillRule = other.m_nFillRule;
  m_nStartCap = other.m_nStartCap;
  m_nEndCap = other.m_nEndCap;
  m_nDashCap = other.m_nDashCap;
  m_nLineJoin = other.m_nLineJoin;
  m_fMiterLimit = other.m_fMiterLimit;
  m_pPathStorage = other.m_pPathStorage ? std::make_unique<Gdiplus::GraphicsPath>(*other.m_pPathStorage) : nullptr;
  m_rcStroken = other.m_rcStroken;
  InvalidateBasePath();
  return *this;
}

CBaseShapeObj::~CBaseShapeObj() = default;

CRenderBaseObj* CBaseShapeObj::Clone() const { return new CBaseShapeObj(*this); }

void CBaseShapeObj::CreateBasePathStorage(Gdiplus::GraphicsPath&) const {}

void CBaseShapeObj::BuildBasePath(Gdiplus::GraphicsPath& path) const {
  CreateBasePathStorage(path);
  path.SetFillMode(m_nFillRule == FILL_RULE_NONZERO ? Gdiplus::FillModeWinding : Gdiplus::FillModeAlternate);
}

const Gdiplus::GraphicsPath& CBaseShapeObj::BasePath(Gdiplus::GraphicsPath& scratch) const {
  if (!CachesBasePath()) {
    BuildBasePath(scratch);
    return scratch;
  }
  if (!m_bBasePathValid || !m_pBasePath) {
    auto path = std::make_unique<Gdiplus::GraphicsPath>();
    CreateBasePathStorage(*path);
    m_pBasePath = std::move(path);
    m_bBasePathValid = true;
  }
  // The fill rule is set as it is now: it is no part of the geometry.
  m_pBasePath->SetFillMode(m_nFillRule == FILL_RULE_NONZERO ? Gdiplus::FillModeWinding : Gdiplus::FillModeAlternate);
  return *m_pBasePath;
}

bool CBaseShapeObj::SetDashPattern(const std::vector<float>& dashes) {
  if (dashes.size() > kMaxDashCount) return false;
  for (float d : dashes)
    if (!(d > 0) || !std::isfinite(d)) return false;
  m_dashPattern = dashes;
  m_nDashType = dashes.empty() ? DASH_SOLID : DASH_CUSTOM;
  return true;
}

void CBaseShapeObj::CreatePathStorage() {
  InvalidateBasePath();
  Gdiplus::GraphicsPath scratch;
  auto path = std::make_unique<Gdiplus::GraphicsPath>(BasePath(scratch));
  const Gdiplus::Matrix m = ToGdiplus(m_matTrans);
  path->Transform(&m);
  m_pPathStorage = std::move(path);
  CreateStrokenPathStorage();
}

void CBaseShapeObj::CreateStrokenPathStorage() {
  m_rcStroken = CQorVectorRect<float>();
  if (!IsStroked()) return;
  Gdiplus::GraphicsPath scratch;
  const Gdiplus::GraphicsPath& base = BasePath(scratch);
  if (base.GetPointCount() == 0) return;
  const Gdiplus::Matrix m = ToGdiplus(m_matTrans);
  // Anchors reach a width beyond the line on each side.
  const bool anchors = m_nStartCap >= LINE_CAP_SQUARE_ANCHOR || m_nEndCap >= LINE_CAP_SQUARE_ANCHOR;
  Gdiplus::Pen pen(Gdiplus::Color(0, 0, 0), anchors ? 3 * m_fStrokeWidth : m_fStrokeWidth);
  Gdiplus::RectF r;
  base.GetBounds(&r, &m, &pen);
  m_rcStroken = FromRectF(r);
}

CQorVectorRect<float> CBaseShapeObj::GetPathBoundRect(const CQorTransMatrix* pMatrix) const {
  Gdiplus::GraphicsPath scratch;
  const Gdiplus::GraphicsPath& base = BasePath(scratch);
  if (base.GetPointCount() == 0) return {};
  Gdiplus::RectF r;
  if (pMatrix) {
    const Gdiplus::Matrix m = ToGdiplus(*pMatrix);
    base.GetBounds(&r, &m);
  } else {
    base.GetBounds(&r);
  }
  return FromRectF(r);
}

CQorVectorRect<float> CBaseShapeObj::GetObjectBox() const { return GetPathBoundRect(nullptr); }

CQorVectorRect<float> CBaseShapeObj::CalcuBoundRect() const { return GetPathBoundRect(&m_matTrans); }

bool CBaseShapeObj::HitTest(const CQorVectorPoint<float>& pt, float tolerance) const {
  Gdiplus::GraphicsPath scratch;
  const Gdiplus::GraphicsPath& cached = BasePath(scratch);
  if (cached.GetPointCount() == 0) return false;
  Gdiplus::GraphicsPath base(cached);
  const Gdiplus::Matrix m = ToGdiplus(m_matTrans);
  base.Transform(&m);
  if (IsFilled() && base.IsVisible(pt.x, pt.y)) return true;
  // The outline is hit within half the stroke and the tolerance; a shape that is neither filled
  // nor stroked is still picked by its outline.
  float sx = 1, sy = 1;
  m_matTrans.Scaling(sx, sy);
  const float width = (IsStroked() ? m_fStrokeWidth * std::max(sx, sy) : 0) + 2 * tolerance;
  Gdiplus::Pen pen(Gdiplus::Color(0, 0, 0), std::max(width, 1.0f));
  return base.IsOutlineVisible(pt.x, pt.y, &pen) != FALSE;
}

std::unique_ptr<Gdiplus::Brush> CBaseShapeObj::CreateFillBrush(const Gdiplus::GraphicsPath& basePath) const {
  if (!IsFilled()) return nullptr;
  return CreateBrush(m_fillDef, basePath);
}

std::unique_ptr<Gdiplus::Pen> CBaseShapeObj::CreateStrokePen(const Gdiplus::GraphicsPath& basePath) const {
  if (!IsStroked() || m_fStrokeWidth <= 0) return nullptr;
  std::unique_ptr<Gdiplus::Pen> pen;
  if (m_strokeDef.GetRenderKind() == RENDER_KIND_SOLID) {
    pen = std::make_unique<Gdiplus::Pen>(ColorOf(m_strokeDef.GetRenderColor(), m_strokeDef.GetTransparency()),
                                         m_fStrokeWidth);
  } else {
    std::unique_ptr<Gdiplus::Brush> brush = CreateBrush(m_strokeDef, basePath);
    if (!brush) return nullptr;
    pen = std::make_unique<Gdiplus::Pen>(brush.get(), m_fStrokeWidth);
  }
  const int dash = std::clamp(m_nDashType, 0, static_cast<int>(kMaxDashType));
  if (dash == DASH_CUSTOM && !m_dashPattern.empty())
    pen->SetDashPattern(m_dashPattern.data(), static_cast<INT>(m_dashPattern.size()));
  else if (dash != DASH_CUSTOM)
    pen->SetDashStyle(static_cast<Gdiplus::DashStyle>(dash));
  pen->SetDashOffset(m_fDashOffset);
  pen->SetLineCap(static_cast<Gdiplus::LineCap>(m_nStartCap), static_cast<Gdiplus::LineCap>(m_nEndCap),
                  static_cast<Gdiplus::DashCap>(m_nDashCap));
  pen->SetLineJoin(static_cast<Gdiplus::LineJoin>(m_nLineJoin));
  pen->SetMiterLimit(m_fMiterLimit);
  return pen;
}

namespace {

// A picture that fills an upright rectangle is drawn over whole pixels, as PDF renderers draw
// images: the rectangle is widened to cover every pixel it touches, so that a picture at a
// fractional position gets no light fringe of half-covered pixels. Returns the world transform
// that maps the path onto those pixels, or false when the picture is turned, sheared or not a
// rectangle.
bool PixelAlignedPicture(const Gdiplus::GraphicsPath& path, const Gdiplus::Matrix& world,
                         Gdiplus::PixelOffsetMode mode, Gdiplus::Matrix* aligned) {
  if (path.GetPointCount() != 4) return false;
  Gdiplus::RectF bounds;
  if (path.GetBounds(&bounds) != Gdiplus::Ok || !(bounds.Width > 0) || !(bounds.Height > 0)) return false;
  Gdiplus::PointF points[4];
  path.GetPathPoints(points, 4);
  for (const Gdiplus::PointF& p : points) {
    const bool onX = std::fabs(p.X - bounds.X) < 1e-4f || std::fabs(p.X - bounds.GetRight()) < 1e-4f;
    const bool onY = std::fabs(p.Y - bounds.Y) < 1e-4f || std::fabs(p.Y - bounds.GetBottom()) < 1e-4f;
    if (!onX || !onY) return false;
  }
  const float* m = world.LwElements();
  if (std::fabs(m[1]) > 1e-6f || std::fabs(m[2]) > 1e-6f || m[0] == 0 || m[3] == 0) return false;
  // Device pixel i covers [i, i + 1] after the pixel offset.
  const double shift = (mode == Gdiplus::PixelOffsetModeHalf || mode == Gdiplus::PixelOffsetModeHighQuality) ? 0 : 0.5;
  auto fit = [&](double scale, double offset, double lo, double hi, double* outScale, double* outOffset) {
    double a = lo * scale + offset + shift, b = hi * scale + offset + shift;
    const bool flipped = a > b;
    if (flipped) std::swap(a, b);
    if (!std::isfinite(a) || !std::isfinite(b)) return false;
    const double a2 = std::floor(a + 0.01), b2 = std::max(a2 + 1, std::ceil(b - 0.01));
    *outScale = (flipped ? -(b2 - a2) : (b2 - a2)) / (hi - lo);
    *outOffset = (flipped ? b2 : a2) - shift - *outScale * lo;
    return true;
  };
  double sx = 0, dx = 0, sy = 0, dy = 0;
  if (!fit(m[0], m[4], bounds.X, bounds.GetRight(), &sx, &dx) || !fit(m[3], m[5], bounds.Y, bounds.GetBottom(), &sy, &dy))
    return false;
  aligned->SetElements(static_cast<float>(sx), 0, 0, static_cast<float>(sy), static_cast<float>(dx),
                       static_cast<float>(dy));
  return true;
}

}  // namespace

void CBaseShapeObj::DrawBasePath(Gdiplus::Graphics* g, const Gdiplus::Matrix& viewMatrix,
                                 const Gdiplus::GraphicsPath& basePath) {
  if (!g || basePath.GetPointCount() == 0) return;
  Gdiplus::Matrix saved;
  g->GetTransform(&saved);
  Gdiplus::Matrix world = ToGdiplus(m_matTrans);
  world.Multiply(&viewMatrix, Gdiplus::MatrixOrderAppend);
  Gdiplus::Matrix aligned;
  if (m_bFillInside && GetFillKind() == RENDER_KIND_BITMAP && !IsStroked() &&
      PixelAlignedPicture(basePath, world, g->GetPixelOffsetMode(), &aligned))
    world.SetElements(aligned.LwElements()[0], 0, 0, aligned.LwElements()[3], aligned.LwElements()[4],
                      aligned.LwElements()[5]);
  g->SetTransform(&world);
  if (std::unique_ptr<Gdiplus::Brush> brush = CreateFillBrush(basePath)) g->FillPath(brush.get(), &basePath);
  if (std::unique_ptr<Gdiplus::Pen> pen = CreateStrokePen(basePath)) g->DrawPath(pen.get(), &basePath);
  g->SetTransform(&saved);
}

void CBaseShapeObj::Draw(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix) {
  DrawShadow(pGraphics, viewMatrix);
  Gdiplus::GraphicsPath scratch;
  DrawBasePath(pGraphics, viewMatrix, BasePath(scratch));
}

void CBaseShapeObj::CollectExternalBmpResObjs(CBitmapResObjsList& list) const {
  CollectFromDefinition(m_fillDef, list);
  CollectFromDefinition(m_strokeDef, list);
}

void CBaseShapeObj::AssignExternalBmpRes(const CBitmapResObjsList& list) {
  AssignPicture(m_fillDef, list);
  AssignPicture(m_strokeDef, list);
}

void CBaseShapeObj::AssignExternalBmpRes2(const CBitmapResObjsList& list) {
  AssignResource(m_fillDef, list);
  AssignResource(m_strokeDef, list);
}

CQorVectorRect<float> CBaseShapeObj::CalcuShadowBoundRect(const CQorVectorRect<float>* pBounds) const {
  CQorVectorRect<float> r = pBounds ? *pBounds : CalcuBoundRect();
  if (!pBounds && IsStroked()) {
    // Anchor caps reach a stroke width and a half beyond the line's end.
    float sx = 1, sy = 1;
    m_matTrans.Scaling(sx, sy);
    const bool anchors = m_nStartCap >= LINE_CAP_SQUARE_ANCHOR || m_nEndCap >= LINE_CAP_SQUARE_ANCHOR;
    const float reach = m_fStrokeWidth * std::max(sx, sy) * (anchors ? 1.5f : 0.5f);
    r.Inflate(reach, reach);
  }
  r.Offset(m_ptShadowOffset.x, m_ptShadowOffset.y);
  return r;
}

void CBaseShapeObj::SaveShapePart(CFile& file) {
  using namespace lw::bin;
  WriteU32(file, m_bFillInside ? 1 : 0);
  WriteU32(file, m_bStrokeOutline ? 1 : 0);
  WriteF32(file, m_fStrokeWidth);
  // A custom dash type without a pattern is a solid line.
  const int dash = std::clamp(m_nDashType, 0, static_cast<int>(kMaxDashType));
  WriteU32(file, static_cast<uint32_t>(dash == DASH_CUSTOM && m_dashPattern.empty() ? DASH_SOLID : dash));
  WriteDefinition(file, m_fillDef);
  WriteDefinition(file, m_strokeDef);
  // Record version 2: fill rule and stroke style.
  const bool custom = m_nDashType == DASH_CUSTOM && !m_dashPattern.empty();
  WriteU32(file, static_cast<uint32_t>(m_nFillRule));
  WriteU32(file, static_cast<uint32_t>(m_nStartCap));
  WriteU32(file, static_cast<uint32_t>(m_nEndCap));
  WriteU32(file, static_cast<uint32_t>(m_nDashCap));
  WriteU32(file, static_cast<uint32_t>(m_nLineJoin));
  WriteF32(file, m_fMiterLimit);
  WriteF32(file, m_fDashOffset);
  WriteU32(file, custom ? static_cast<uint32_t>(m_dashPattern.size()) : 0);
  if (custom)
    for (float d : m_dashPattern) WriteF32(file, d);
}

bool CBaseShapeObj::LoadShapePart(CFile& file, CBitmapResObjsList& bitmaps) {
  using namespace lw::bin;
  const bool v2 = m_nLoadedVersion >= 2;
  int fill, stroke;
  float width;
  uint32_t dash;
  if (!io::ReadBool32(file, fill) || !io::ReadBool32(file, stroke) || !ReadF32(file, width) ||
      !io::ReadBounded(file, v2 ? kMaxDashType : kMaxDashTypeV1, dash))
    return false;
  if (!ReadDefinition(file, m_fillDef, bitmaps) || !ReadDefinition(file, m_strokeDef, bitmaps)) return false;
  // Version 1 records have none of these: they keep the values every shape had then.
  uint32_t rule = FILL_RULE_EVEN_ODD, startCap = LINE_CAP_FLAT, endCap = LINE_CAP_FLAT, dashCap = DASH_CAP_FLAT,
           join = LINE_JOIN_MITER, dashCount = 0;
  float miter = 10, offset = 0;
  std::vector<float> pattern;
  if (v2) {
    if (!io::ReadBounded(file, FILL_RULE_NONZERO, rule) || !ReadU32(file, startCap) || !IsLineCap(static_cast<int>(startCap)) ||
        !ReadU32(file, endCap) || !IsLineCap(static_cast<int>(endCap)) || !ReadU32(file, dashCap) ||
        !IsDashCap(static_cast<int>(dashCap)) || !io::ReadBounded(file, LINE_JOIN_MITER_CLIPPED, join) ||
        !ReadF32(file, miter) || !(miter >= 1) || !std::isfinite(miter) || !ReadF32(file, offset) ||
        !std::isfinite(offset) || !io::ReadBounded(file, kMaxDashCount, dashCount))
      return false;
    // A pattern comes with custom dashes and only with them.
    if ((dashCount > 0) != (dash == DASH_CUSTOM)) return false;
    for (uint32_t i = 0; i < dashCount; ++i) {
      float d;
      if (!ReadF32(file, d) || !(d > 0) || !std::isfinite(d)) return false;
      pattern.push_back(d);
    }
  }
  m_bFillInside = fill;
  m_bStrokeOutline = stroke;
  m_fStrokeWidth = width;
  m_nDashType = static_cast<int>(dash);
  m_nFillRule = static_cast<int>(rule);
  m_nStartCap = static_cast<int>(startCap);
  m_nEndCap = static_cast<int>(endCap);
  m_nDashCap = static_cast<int>(dashCap);
  m_nLineJoin = static_cast<int>(join);
  m_fMiterLimit = miter;
  m_fDashOffset = offset;
  m_dashPattern = std::move(pattern);
  return true;
}

int CBaseShapeObj::Save(CFile& file, const CString& version) {
  CRenderBaseObj::Save(file, version);
  SaveShapePart(file);
  return 1;
}

int CBaseShapeObj::Load(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps,
                        const CString& version) {
  if (!CRenderBaseObj::Load(file, pModule, bitmaps, version)) return 0;
  return LoadShapePart(file, bitmaps) ? 1 : 0;
}

// ---------------------------------------------------------------------------------------------
// CBaseCustomPath

void CBaseCustomPath::SetRectangle(const CQorVectorRect<float>& rect) {
  m_nodes = {CQorVectorEdgeNode(rect.left, rect.top), CQorVectorEdgeNode(rect.right, rect.top),
             CQorVectorEdgeNode(rect.right, rect.bottom), CQorVectorEdgeNode(rect.left, rect.bottom)};
  m_bClosed = true;
  m_bRectangle = true;
}

bool CBaseCustomPath::IsRectangularPath(CQorVectorRect<float>* pRect) const {
  if (!m_bRectangle || m_nodes.size() != 4) return false;
  if (pRect) *pRect = CQorVectorRect<float>(m_nodes[0].pt.x, m_nodes[0].pt.y, m_nodes[2].pt.x, m_nodes[2].pt.y);
  return true;
}

void CBaseCustomPath::Offset(float dx, float dy) {
  for (CQorVectorEdgeNode& n : m_nodes) {
    n.pt = {n.pt.x + dx, n.pt.y + dy};
    n.ptOut = {n.ptOut.x + dx, n.ptOut.y + dy};
    n.ptIn = {n.ptIn.x + dx, n.ptIn.y + dy};
  }
}

void CBaseCustomPath::Scale(float sx, float sy) {
  for (CQorVectorEdgeNode& n : m_nodes) {
    n.pt = {n.pt.x * sx, n.pt.y * sy};
    n.ptOut = {n.ptOut.x * sx, n.ptOut.y * sy};
    n.ptIn = {n.ptIn.x * sx, n.ptIn.y * sy};
  }
}

namespace {

void AddSegment(Gdiplus::GraphicsPath& path, const CQorVectorEdgeNode& q, const CQorVectorEdgeNode& p) {
  if (q.bHasOut || p.bHasIn) {
    const CQorVectorPoint<float> c1 = q.bHasOut ? q.ptOut : q.pt;
    const CQorVectorPoint<float> c2 = p.bHasIn ? p.ptIn : p.pt;
    path.AddBezier(q.pt.x, q.pt.y, c1.x, c1.y, c2.x, c2.y, p.pt.x, p.pt.y);
  } else {
    path.AddLine(q.pt.x, q.pt.y, p.pt.x, p.pt.y);
  }
}

}  // namespace

void CBaseCustomPath::AddToPath(Gdiplus::GraphicsPath& path) const {
  if (m_nodes.empty()) return;
  path.StartFigure();
  if (m_nodes.size() == 1) {
    path.AddLine(m_nodes[0].pt.x, m_nodes[0].pt.y, m_nodes[0].pt.x, m_nodes[0].pt.y);
  } else {
    for (size_t i = 1; i < m_nodes.size(); ++i) AddSegment(path, m_nodes[i - 1], m_nodes[i]);
    // A closed sub-path gets its last segment back to the start by the same rule.
    if (m_bClosed && (m_nodes.back().bHasOut || m_nodes.front().bHasIn)) AddSegment(path, m_nodes.back(), m_nodes.front());
  }
  if (m_bClosed) path.CloseFigure();
}

// ---------------------------------------------------------------------------------------------
// CCustomPathObj

CRenderBaseObj* CCustomPathObj::Clone() const { return new CCustomPathObj(*this); }

void CCustomPathObj::CreateBasePathStorage(Gdiplus::GraphicsPath& path) const {
  for (const CBaseCustomPath& sub : m_paths) sub.AddToPath(path);
}

bool CCustomPathObj::IsIncludeClosedPath() const {
  return std::any_of(m_paths.begin(), m_paths.end(), [](const CBaseCustomPath& p) { return p.IsClosed(); });
}

CQorVectorRect<float> CCustomPathObj::CalcuCoordBoundRect() const {
  bool any = false;
  CQorVectorRect<float> r;
  auto add = [&](const CQorVectorPoint<float>& local) {
    const CQorVectorPoint<float> p = m_matTrans.Transform(local);
    if (!any) {
      r = {p.x, p.y, p.x, p.y};
      any = true;
      return;
    }
    r.left = std::min(r.left, p.x);
    r.top = std::min(r.top, p.y);
    r.right = std::max(r.right, p.x);
    r.bottom = std::max(r.bottom, p.y);
  };
  for (const CBaseCustomPath& sub : m_paths) {
    for (const CQorVectorEdgeNode& n : sub.GetNodes()) {
      add(n.pt);
      if (n.bHasOut) add(n.ptOut);
      if (n.bHasIn) add(n.ptIn);
    }
  }
  return r;
}

CQorVectorPoint<float> CCustomPathObj::NormalizePath() {
  const CQorVectorRect<float> b = GetPathBoundRect(nullptr);
  const CQorVectorPoint<float> offset(b.left, b.top);
  if (offset.x == 0 && offset.y == 0) return offset;
  for (CBaseCustomPath& sub : m_paths) sub.Offset(-offset.x, -offset.y);
  InvalidateBasePath();
  m_matTrans.Prepend(CQorTransMatrix::Translation(offset.x, offset.y));
  return offset;
}

void CCustomPathObj::ResizeObject(const CQorVectorRect<float>& rect) {
  CQorVectorRect<float> target = rect;
  target.Normalize();
  const CQorVectorRect<float> b = GetPathBoundRect(nullptr);
  const float sx = b.Width() > 0 ? target.Width() / b.Width() : 1;
  const float sy = b.Height() > 0 ? target.Height() / b.Height() : 1;
  for (CBaseCustomPath& sub : m_paths) {
    sub.Offset(-b.left, -b.top);
    sub.Scale(sx, sy);
    sub.Offset(target.left, target.top);
  }
  InvalidateBasePath();
  CreatePathStorage();
}

void CCustomPathObj::ScaleLengthParam(const float& sx, const float& sy) {
  CRenderBaseObj::ScaleLengthParam(sx, sy);
  for (CBaseCustomPath& sub : m_paths) sub.Scale(sx, sy);
  InvalidateBasePath();
  m_fStrokeWidth *= sx;
}

int CCustomPathObj::Save(CFile& file, const CString& version) {
  using namespace lw::bin;
  CBaseShapeObj::Save(file, version);
  WriteU32(file, static_cast<uint32_t>(m_paths.size()));
  for (const CBaseCustomPath& sub : m_paths) {
    WriteU32(file, (sub.IsClosed() ? kSubPathClosed : 0) | (sub.IsRectangle() ? kSubPathRectangle : 0));
    WriteU32(file, static_cast<uint32_t>(sub.GetNodesCount()));
    for (const CQorVectorEdgeNode& n : sub.GetNodes()) {
      WriteF32(file, n.pt.x);
      WriteF32(file, n.pt.y);
      WriteF32(file, n.ptOut.x);
      WriteF32(file, n.ptOut.y);
      WriteF32(file, n.ptIn.x);
      WriteF32(file, n.ptIn.y);
      WriteU8(file, n.bHasOut ? 1 : 0);
      WriteU8(file, n.bHasIn ? 1 : 0);
    }
  }
  return 1;
}

int CCustomPathObj::Load(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps,
                         const CString& version) {
  using namespace lw::bin;
  if (!CBaseShapeObj::Load(file, pModule, bitmaps, version)) return 0;
  uint32_t count;
  if (!ReadU32(file, count) || !io::CountFits(file, count, kSubPathMinSize)) return 0;
  std::vector<CBaseCustomPath> paths;
  paths.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t flags, nodes;
    if (!io::ReadBounded(file, kSubPathClosed | kSubPathRectangle, flags) || !ReadU32(file, nodes) ||
        !io::CountFits(file, nodes, kNodeSize))
      return 0;
    CBaseCustomPath sub;
    sub.m_nodes.reserve(nodes);
    for (uint32_t k = 0; k < nodes; ++k) {
      CQorVectorEdgeNode n;
      uint8_t hasOut, hasIn;
      if (!ReadF32(file, n.pt.x) || !ReadF32(file, n.pt.y) || !ReadF32(file, n.ptOut.x) || !ReadF32(file, n.ptOut.y) ||
          !ReadF32(file, n.ptIn.x) || !ReadF32(file, n.ptIn.y) || !ReadU8(file, hasOut) || !ReadU8(file, hasIn) ||
          hasOut > 1 || hasIn > 1)
        return 0;
      n.bHasOut = hasOut;
      n.bHasIn = hasIn;
      sub.m_nodes.push_back(n);
    }
    sub.m_bClosed = (flags & kSubPathClosed) != 0;
    // Only four corners closed make a rectangle.
    sub.m_bRectangle = (flags & kSubPathRectangle) != 0;
    if (sub.m_bRectangle && (nodes != 4 || !sub.m_bClosed)) return 0;
    paths.push_back(std::move(sub));
  }
  m_paths = std::move(paths);
  InvalidateBasePath();
  return 1;
}

}  // namespace Vectorloom
