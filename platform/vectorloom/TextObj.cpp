#include "TextObj.h"

#include <wingdi.h>

#include "UnitConv.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace Vectorloom {

namespace {

// Outlines are read at this em size and scaled down, so fractional sizes keep their precision.
constexpr int kReferenceEm = 1024;
// Longest text laid (characters); longer texts are cut.
constexpr int kMaxChars = 4096;

float FixedToFloat(const FIXED& f) { return static_cast<float>(LwFixedToDouble(f)); }

// Appends the contours of one GGO_NATIVE outline (TrueType polygon records) as closed sub-paths,
// moved by (dx, baseline) with y turned downwards and scaled. Stops at the first malformed record.
void AddNativeOutline(const std::vector<uint8_t>& buf, float dx, float baseline, float scale,
                      std::vector<CBaseCustomPath>& out) {
  auto map = [&](const POINTFX& p) {
    return CQorVectorPoint<float>(dx + FixedToFloat(p.x) * scale, baseline - FixedToFloat(p.y) * scale);
  };
  size_t pos = 0;
  while (pos + sizeof(TTPOLYGONHEADER) <= buf.size()) {
    TTPOLYGONHEADER head;
    std::memcpy(&head, buf.data() + pos, sizeof head);
    if (head.cb < sizeof head || head.cb > buf.size() - pos || head.dwType != TT_POLYGON_TYPE) return;
    const size_t end = pos + head.cb;
    std::vector<CQorVectorEdgeNode> nodes{CQorVectorEdgeNode(map(head.pfxStart))};
    size_t at = pos + sizeof head;
    while (at + 4 <= end) {
      WORD type, count;
      std::memcpy(&type, buf.data() + at, 2);
      std::memcpy(&count, buf.data() + at + 2, 2);
      at += 4;
      if (count > (end - at) / sizeof(POINTFX)) return;
      std::vector<CQorVectorPoint<float>> pts(count);
      for (WORD i = 0; i < count; ++i) {
        POINTFX p;
        std::memcpy(&p, buf.data() + at + i * sizeof(POINTFX), sizeof p);
        pts[i] = map(p);
      }
      at += count * sizeof(POINTFX);
      auto cubic = [&](const CQorVectorPoint<float>& c1, const CQorVectorPoint<float>& c2, const CQorVectorPoint<float>& p) {
        nodes.back().ptOut = c1;
        nodes.back().bHasOut = 1;
        CQorVectorEdgeNode n(p);
        n.ptIn = c2;
        n.bHasIn = 1;
        nodes.push_back(n);
      };
      if (type == TT_PRIM_LINE) {
        for (const auto& p : pts) nodes.emplace_back(p);
      } else if (type == TT_PRIM_QSPLINE) {
        // A quadratic B-spline: each control point but the last ends its curve half-way to the
        // next one; each quadratic piece becomes a cubic.
        for (size_t i = 0; i + 1 < pts.size(); ++i) {
          const CQorVectorPoint<float> p0 = nodes.back().pt, c = pts[i];
          const CQorVectorPoint<float> p1 =
              i + 2 == pts.size() ? pts[i + 1]
                                  : CQorVectorPoint<float>((pts[i].x + pts[i + 1].x) / 2, (pts[i].y + pts[i + 1].y) / 2);
          cubic({p0.x + (c.x - p0.x) * 2 / 3, p0.y + (c.y - p0.y) * 2 / 3},
                {p1.x + (c.x - p1.x) * 2 / 3, p1.y + (c.y - p1.y) * 2 / 3}, p1);
        }
      } else if (type == TT_PRIM_CSPLINE) {
        for (size_t i = 0; i + 2 < pts.size(); i += 3) cubic(pts[i], pts[i + 1], pts[i + 2]);
      } else {
        return;
      }
    }
    // The contour ends where it started: the start node takes the last one's incoming control.
    if (nodes.size() > 1 && nodes.back().pt == nodes.front().pt) {
      nodes.front().ptIn = nodes.back().ptIn;
      nodes.front().bHasIn = nodes.back().bHasIn;
      nodes.pop_back();
    }
    if (nodes.size() > 1) {
      CBaseCustomPath sub;
      for (const auto& n : nodes) sub.AddNode(n);
      sub.SetClosed(true);
      out.push_back(sub);
    }
    pos = end;
  }
}

}  // namespace

CTextObj::CTextObj(const CString& text, float fPointSize, COLORREF color)
    : m_strText(text), m_fPointSize(fPointSize), m_strFace(L"Arial") {
  SetTypeWord(RENDER_OBJ_CORETEXT);
  SetFillInsideFlag(1);
  SetFillKind(RENDER_KIND_SOLID);
  SetFillColor(color);
  SetStrokeOutlineFlag(0);
  SetFillRule(FILL_RULE_NONZERO);
}

CRenderBaseObj* CTextObj::Clone() const { return new CTextObj(*this); }

void CTextObj::SetAllCharsFaceName(const wchar_t* lpszFace, BYTE charSet, BYTE pitchAndFamily) {
  m_strFace = lpszFace ? lpszFace : L"";
  m_nCharSet = charSet;
  m_nPitchAndFamily = pitchAndFamily;
  RemoveAllSubPaths();
}

void CTextObj::SetAllCharsBold(bool bBold) {
  m_bBold = bBold;
  RemoveAllSubPaths();
}

void CTextObj::SetAllCharsItalic(bool bItalic) {
  m_bItalic = bItalic;
  RemoveAllSubPaths();
}

bool CTextObj::BuildGlyphPath() {
  RemoveAllSubPaths();
  m_szExtent = {};
  const int length = std::min(m_strText.GetLength(), kMaxChars);
  if (length == 0 || !(m_fPointSize > 0) || !std::isfinite(m_fPointSize) || m_fPointSize > 1e5f) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return false;
  HFONT font = CreateFontW(-kReferenceEm, 0, 0, 0, m_bBold ? FW_BOLD : FW_NORMAL, m_bItalic ? 1 : 0, 0, 0, m_nCharSet,
                           0, 0, 0, m_nPitchAndFamily, m_strFace.GetString());
  if (!font) {
    DeleteDC(dc);
    return false;
  }
  HGDIOBJ old = SelectObject(dc, font);
  const float emPixels = m_fPointSize * kScreenDpi / 72.0f;
  const float scale = emPixels / kReferenceEm;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const float baseline = static_cast<float>(tm.tmAscent) * scale;
  const MAT2 identity{LwDoubleToFixed(1), LwDoubleToFixed(0), LwDoubleToFixed(0), LwDoubleToFixed(1)};
  std::vector<CBaseCustomPath> paths;
  std::vector<uint8_t> buf;
  float x = 0;
  const wchar_t* text = m_strText.GetString();
  for (int i = 0; i < length; ++i) {
    GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineW(dc, static_cast<UINT>(text[i]), GGO_NATIVE | GGO_UNHINTED, &gm, 0, nullptr, &identity);
    if (size != GDI_ERROR && size > 0) {
      buf.assign(size, 0);
      if (GetGlyphOutlineW(dc, static_cast<UINT>(text[i]), GGO_NATIVE | GGO_UNHINTED, &gm, size, buf.data(), &identity) ==
          size)
        AddNativeOutline(buf, x, baseline, scale, paths);
    } else if (size == GDI_ERROR) {
      GetGlyphOutlineW(dc, static_cast<UINT>(text[i]), GGO_METRICS, &gm, 0, nullptr, &identity);
    }
    x += static_cast<float>(gm.gmCellIncX) * scale;
  }
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  for (const CBaseCustomPath& p : paths) AddSubPath(p);
  m_szExtent = {x, static_cast<float>(tm.tmAscent + tm.tmDescent) * scale};
  CreatePathStorage();
  return true;
}

CCustomPathObj* CTextObj::ConvertToShapeObj(CWorkspaceDoc* pDoc) const {
  CCustomPathObj* shape = nullptr;
  if (pDoc) {
    CRenderBaseObj* made = pDoc->CreateNewObject(RENDER_OBJ_SHAPE);
    shape = dynamic_cast<CCustomPathObj*>(made);
    if (!shape) {
      if (made) {
        made->AddRef();
        made->Release();
      }
      return nullptr;
    }
  } else {
    shape = new CCustomPathObj;
  }
  for (const CBaseCustomPath& p : GetSubPaths()) shape->AddSubPath(p);
  shape->SetObjectName(GetObjectName());
  shape->SetFillInsideFlag(1);
  shape->SetFillKind(RENDER_KIND_SOLID);
  shape->SetFillColor(GetFillColor());
  shape->SetFilledTransparency(GetFilledTransparency());
  shape->SetStrokeOutlineFlag(0);
  shape->SetFillRule(FILL_RULE_NONZERO);
  shape->SetTransMatrix(GetTransMatrix(), true);
  return shape;
}

}  // namespace Vectorloom
