#include "quirebook/TextTools.h"

#include <gdiplus/gdiplus.h>
#include <gdi/wingdi.h>
#include <glyphweave/AccessTextsOutline.h>
#include <vectorloom/WorkspaceView.h>
#include <winuser.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "quirebook/DDrawTextObj.h"
#include "quirebook/PublicationDoc.h"
#include "quirebook/PublicationView.h"
#include "quirebook/TextBoxGrowth.h"

namespace Quirebook {

using Vectorloom::CQorTransMatrix;
using Vectorloom::CQorVectorPoint;
using Vectorloom::CQorVectorRect;
using Vectorloom::CWorkspaceView;
using TextUpdateAction = CUpdateEditableTextObjActionT<CDDrawTextObj>;
using TextReplaceAction = CReplaceEditableTextObjActionT<CDDrawTextObj>;

namespace {

constexpr float kOutlineDash = 4.0f;

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

CPublicationDoc* PublicationDocOf(CWorkspaceView* pView) {
  return pView ? dynamic_cast<CPublicationDoc*>(pView->GetDocument()) : nullptr;
}

// A screen context for building glyphs, released at the end of the scope.
class CScreenContext {
 public:
  CScreenContext() : m_hDC(GetDC(nullptr)) {}
  ~CScreenContext() {
    if (m_hDC) ReleaseDC(nullptr, m_hDC);
  }
  CScreenContext(const CScreenContext&) = delete;
  CScreenContext& operator=(const CScreenContext&) = delete;
  HDC Get() const { return m_hDC; }

 private:
  HDC m_hDC;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// CDrawTextTool

int CDrawTextTool::OnLButtonDown(CWorkspaceView* pView, UINT, int x, int y) {
  m_ptFirstPoint = m_ptLastPoint = pView->DpToLp(x, y);
  m_bDragging = true;
  m_dwMask |= Vectorloom::TOOL_MASK_DRAGGING;
  return 1;
}

int CDrawTextTool::OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y) {
  if (!(nFlags & MK_LBUTTON) || !m_bDragging) return 0;
  m_ptLastPoint = pView->DpToLp(x, y);
  if (!pView->HasToolCapture()) {
    pView->SetToolCapture();
    m_dwMask |= Vectorloom::TOOL_MASK_OUTLINE;
  }
  pView->InvalidateView();
  return 1;
}

int CDrawTextTool::OnLButtonUp(CWorkspaceView* pView, UINT, int x, int y) {
  const bool captured = pView->HasToolCapture() && m_bDragging;
  if (m_bDragging && captured) m_ptLastPoint = pView->DpToLp(x, y);
  m_bDragging = false;
  m_dwMask &= ~(Vectorloom::TOOL_MASK_OUTLINE | Vectorloom::TOOL_MASK_DRAGGING);
  CQorVectorRect<float> rc(std::min(m_ptFirstPoint.x, m_ptLastPoint.x), std::min(m_ptFirstPoint.y, m_ptLastPoint.y),
                           std::max(m_ptFirstPoint.x, m_ptLastPoint.x), std::max(m_ptFirstPoint.y, m_ptLastPoint.y));
  if (captured) pView->ReleaseToolCapture();
  pView->MapToPic(rc);
  Vectorloom::CWorkspaceDoc* pDoc = pView->GetDocument();
  const float w = rc.right - rc.left, h = rc.bottom - rc.top;
  CDDrawTextObj* text = nullptr;
  if (captured && w >= kMinBoxSide && h >= kMinBoxSide && pDoc && pView->GetRenderPage()) {
    Vectorloom::CRenderBaseObj* obj = pDoc->CreateNewObject(Vectorloom::RENDER_OBJ_TEXT);
    text = dynamic_cast<CDDrawTextObj*>(obj);
    if (!text && obj) {  // not a text after all: nothing is made
      obj->AddRef();
      obj->Release();
    }
  }
  if (!text) {
    pView->UpdateEditingTool(nullptr);
    pView->InvalidateView();
    return 1;
  }
  text->AddRef();
  text->SetLayoutBox(w, h);
  text->SetTransMatrix(CQorTransMatrix::Translation(rc.left, rc.top), true);
  text->RecalcuLayout(0);
  pView->AddShapeObj(text, L"Add Text Object");
  pView->ProcessEvent(Vectorloom::VIEW_EVENT_TEXT_CREATED, reinterpret_cast<LPARAM>(text));
  CPublicationView::g_EditingTextTool.SetEditingText(text);
  text->Release();
  pView->UpdateEditingTool(&CPublicationView::g_EditingTextTool);
  return 1;
}

void CDrawTextTool::DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                                float y) {
  if (!m_bDragging || !pGraphics) return;
  const CQorVectorPoint<float> a = pView->MapToPic(m_ptFirstPoint), b = pView->MapToPic(m_ptLastPoint);
  const float l = std::min(a.x, b.x) * sx + x, t = std::min(a.y, b.y) * sy + y;
  const float r = std::max(a.x, b.x) * sx + x, bt = std::max(a.y, b.y) * sy + y;
  // No inverting pens on this surface: a black line under white dashes shows on any colour.
  Gdiplus::Pen black(Gdiplus::Color(255, 0, 0, 0), 1.0f);
  Gdiplus::Pen white(Gdiplus::Color(255, 255, 255, 255), 1.0f);
  const Gdiplus::REAL dashes[2] = {kOutlineDash, kOutlineDash};
  white.SetDashPattern(dashes, 2);
  pGraphics->DrawRectangle(&black, l, t, r - l, bt - t);
  pGraphics->DrawRectangle(&white, l, t, r - l, bt - t);
}

void CDrawTextTool::ToolUnInitalize(CWorkspaceView* pView) {
  if (!m_bDragging) return;
  m_bDragging = false;
  m_dwMask &= ~(Vectorloom::TOOL_MASK_OUTLINE | Vectorloom::TOOL_MASK_DRAGGING);
  pView->ReleaseToolCapture();
  pView->InvalidateView();
}

// ---------------------------------------------------------------------------------------------
// CEditingTextTool

CEditingTextTool::CEditingTextTool() {
  m_font.SetFontFaceName(L"Arial");
  m_font.SetEmbedFontID(-1);
  m_font.m_fFontSize = 12.0f;
}

CEditingTextTool::~CEditingTextTool() { Vectorloom::ReleaseRefObj(m_pText); }

void CEditingTextTool::SetEditingText(CDDrawTextObj* pText) {
  if (pText == m_pText) return;
  if (pText) pText->AddRef();
  Vectorloom::ReleaseRefObj(m_pText);
  m_pText = pText;
}

const Vectorloom::CRenderBaseObj* CEditingTextTool::GetEditingTextObject() const { return m_pText; }

void CEditingTextTool::SetCaretCode(int code) {
  m_nCaret = code;
  m_nSelStart = m_nSelEnd = code;
}

int CEditingTextTool::CharacterCount() const {
  return m_pText ? static_cast<int>(m_pText->GetArrayOfTextCharacters().size()) : 0;
}

int CEditingTextTool::ResolveCaret(int code) const {
  if (code < 0) return -1;
  int index = code & kCaretIndexMask;
  if (code & kCaretBehind) ++index;
  return std::min(index, CharacterCount());
}

int CEditingTextTool::PrevCharIndex(int i) const {
  if (i <= 0) return 0;
  const auto& chars = m_pText->GetArrayOfTextCharacters();
  int p = i - 1;
  if (p > 0 && IsLowSurrogate(chars[static_cast<size_t>(p)].GetCharacter()) &&
      IsHighSurrogate(chars[static_cast<size_t>(p - 1)].GetCharacter()))
    --p;
  return p;
}

int CEditingTextTool::NextCharIndex(int i) const {
  const int count = CharacterCount();
  if (i >= count) return count;
  const auto& chars = m_pText->GetArrayOfTextCharacters();
  int n = i + 1;
  if (n < count && IsHighSurrogate(chars[static_cast<size_t>(i)].GetCharacter()) &&
      IsLowSurrogate(chars[static_cast<size_t>(n)].GetCharacter()))
    ++n;
  return n;
}

void CEditingTextTool::GetSelectionRange(int& s, int& e) const {
  s = ResolveCaret(m_nSelStart);
  e = ResolveCaret(m_nSelEnd);
  if (s < 0 || e < 0) {
    s = e = -1;
    return;
  }
  if (s > e) std::swap(s, e);
}

bool CEditingTextTool::HasSelection() const {
  int s = 0, e = 0;
  GetSelectionRange(s, e);
  return s >= 0 && s < e;
}

void CEditingTextTool::TakeFormatFromText() {
  if (!m_pText || CharacterCount() == 0) return;
  const int caret = std::max(0, ResolveCaret(m_nCaret));
  m_pText->GetCharFormatsDesc(&m_font, caret - 1);
  m_format.bPendingFace = m_format.bPendingSize = false;
  m_format.bPendingBold = m_format.bPendingItalic = m_format.bPendingUnderline = false;
  m_format.bMultiDescCurrent = false;
}

void CEditingTextTool::ToolInitalize(CWorkspaceView* pView) {
  m_nCaret = m_nSelStart = m_nSelEnd = 0;
  TakeFormatFromText();
  m_bCaretVisible = true;
  m_bSelecting = false;
  m_dwMask |= Vectorloom::TOOL_MASK_OUTLINE;
  pView->GetViewHost().SetTimer(kBlinkTimerId, kBlinkMs);
  pView->InvalidateView();
}

void CEditingTextTool::ToolUnInitalize(CWorkspaceView* pView) {
  SetEditingText(nullptr);
  m_nCaret = m_nSelStart = m_nSelEnd = -1;
  m_bSelecting = false;
  m_dwMask &= ~Vectorloom::TOOL_MASK_OUTLINE;
  pView->GetViewHost().KillTimer(kBlinkTimerId);
  pView->InvalidateView();
}

void CEditingTextTool::EndEditing(CWorkspaceView* pView) {
  m_nSelStart = m_nSelEnd = -1;
  pView->UpdateEditingTool(nullptr);  // runs ToolUnInitalize
}

int CEditingTextTool::OnTimer(CWorkspaceView* pView, UINT_PTR nIDEvent) {
  if (nIDEvent != kBlinkTimerId) return 0;
  m_bCaretVisible = !m_bCaretVisible;
  pView->InvalidateView();
  return 1;
}

// The I-beam over the text's box; the selection tool's cursor on the text's handles and grip
// (a press there resizes or turns the box), the arrow elsewhere.
HCURSOR CEditingTextTool::GetHandleCursor(CWorkspaceView* pView, int x, int y) {
  if (!m_pText) return nullptr;
  Vectorloom::CRenderBaseObj* handleObj = nullptr;
  if (pView->HitTestSelectedHandles(pView->ClientToPic(x, y), &handleObj) >= 0 && handleObj == m_pText)
    return Vectorloom::SelectionCursorAt(pView, x, y);
  bool inside = false;
  HitTest(pView, x, y, &inside);
  return inside ? LoadCursorW(nullptr, IDC_IBEAM) : nullptr;
}

// A text box is drawn out from the I-beam.
HCURSOR CDrawTextTool::GetHandleCursor(CWorkspaceView*, int, int) { return LoadCursorW(nullptr, IDC_IBEAM); }

int CEditingTextTool::HitTest(CWorkspaceView* pView, int x, int y, bool* pInside) const {
  *pInside = false;
  if (!m_pText) return -1;
  CQorTransMatrix toText = m_pText->GetTransMatrix();
  if (!toText.Invert()) return -1;
  const CQorVectorPoint<float> p = toText.Transform(pView->ClientToPic(x, y));
  const auto& box = m_pText->GetLayoutBox();
  if (p.x < 0 || p.y < 0 || p.x >= box.cx || p.y >= box.cy) return -1;
  *pInside = true;
  const int code = m_pText->HitTestCaretPos(p);
  // A place between the two units of a pair moves to the pair's near side.
  const int index = ResolveCaret(code);
  const auto& chars = m_pText->GetArrayOfTextCharacters();
  if (index > 0 && index < CharacterCount() && IsLowSurrogate(chars[static_cast<size_t>(index)].GetCharacter()) &&
      IsHighSurrogate(chars[static_cast<size_t>(index - 1)].GetCharacter()))
    return (code & kCaretBehind) ? index + 1 : index - 1;
  return code;
}

void CEditingTextTool::AfterCaretChange(CWorkspaceView* pView) {
  m_bCaretVisible = false;  // shown again at the next tick
  pView->InvalidateView();
}

int CEditingTextTool::OnLButtonDown(CWorkspaceView* pView, UINT, int x, int y) {
  if (m_pText) {
    Vectorloom::CRenderBaseObj* handleObj = nullptr;
    const int handle = pView->HitTestSelectedHandles(pView->ClientToPic(x, y), &handleObj);
    bool inside = false;
    const int hit = handle >= 0 && handleObj == m_pText ? -1 : HitTest(pView, x, y, &inside);
    if (inside) {
      if (hit >= 0) {
        m_nCaret = m_nSelStart = m_nSelEnd = hit;
        m_bSelecting = true;
        TakeFormatFromText();
        AfterCaretChange(pView);
      }
      return 1;
    }
  }
  EndEditing(pView);
  return 0;
}

int CEditingTextTool::OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y) {
  if (!m_pText) return 0;
  if ((nFlags & MK_LBUTTON) && m_bSelecting && m_nSelStart >= 0) {
    bool inside = false;
    const int hit = HitTest(pView, x, y, &inside);
    if (inside && hit >= 0) m_nSelEnd = m_nCaret = hit;
    pView->InvalidateView();
  }
  return 1;
}

int CEditingTextTool::OnLButtonUp(CWorkspaceView* pView, UINT, int, int) {
  if (!m_pText) return 0;
  m_bSelecting = false;
  if (HasSelection()) AfterCaretChange(pView);
  return 1;
}

void CEditingTextTool::MoveCaretByKey(CWorkspaceView* pView, UINT nChar, bool bExtend) {
  if (!m_pText) return;
  const int count = CharacterCount();
  const int i = ResolveCaret(m_nCaret);
  // Row moves start from the row the caret is drawn in: behind a character is the end of that
  // character's row, even when the next character begins the next row.
  const int rowRef = (m_nCaret >= 0 && (m_nCaret & kCaretBehind)) ? std::min(m_nCaret & kCaretIndexMask, count - 1) : i;
  int to = i;
  switch (nChar) {
    case VK_LEFT:
      if (i > 0) to = PrevCharIndex(i);
      break;
    case VK_RIGHT:
      if (i >= 0 && i < count) to = NextCharIndex(i);
      break;
    case VK_UP:
      if (i > 0) {
        const int p = m_pText->CalcuPrevRowCaretPos(rowRef);
        if (p >= 0) to = ResolveCaret(p);
      }
      break;
    case VK_DOWN:
      if (i >= 0 && count > 0) {
        const int p = m_pText->CalcuNextRowCaretPos(std::min(rowRef, count - 1));
        if (p >= 0) to = ResolveCaret(p);
      }
      break;
    case VK_HOME:
      if (i >= 0 && count > 0) {
        const int p = m_pText->CalcuRowStartedCaretPos(rowRef);
        if (p >= 0) to = ResolveCaret(p);
      }
      break;
    default:
      return;
  }
  if (to < 0) return;
  if (bExtend) {
    if (!HasSelection()) m_nSelStart = i;
    m_nSelEnd = to;
  } else {
    m_nSelStart = m_nSelEnd = to;
  }
  m_nCaret = to;
  TakeFormatFromText();
  AfterCaretChange(pView);
}

int CEditingTextTool::OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT, UINT) {
  if (!m_pText) return 1;
  switch (nChar) {
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
    case VK_HOME:
      MoveCaretByKey(pView, nChar, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
      break;
    case VK_DELETE:
    case VK_CLEAR: {  // the character after the caret, or the selection
      int s = 0, e = 0;
      GetSelectionRange(s, e);
      if (s < 0 || s >= e) {
        s = ResolveCaret(m_nCaret);
        e = s < 0 ? s : NextCharIndex(s);
      }
      if (s >= 0 && s < e) DeleteRange(pView, s, e);
      break;
    }
    default:
      break;
  }
  return 1;
}

bool CEditingTextTool::DeleteRange(CWorkspaceView* pView, int s, int e) {
  Vectorloom::CWorkspaceDoc* pDoc = pView->GetDocument();
  auto* action = new TextUpdateAction(m_pText, m_nCaret, false, s, e - s);
  if (!m_pText->DeleteString(s, e - s) || !pDoc) {
    delete action;
    return false;
  }
  pDoc->AddEditAction(action);
  pDoc->SetModifiedFlag(TRUE);
  m_nCaret = m_nSelStart = m_nSelEnd = s;
  AfterCaretChange(pView);
  pDoc->UpdateAllViews(nullptr, Vectorloom::kHintRepaint,
                       Vectorloom::CWorkspaceDoc::PageHint(pDoc->FindOwnerPage(m_pText)));
  return true;
}

int CEditingTextTool::OnChar(CWorkspaceView* pView, UINT nChar, UINT, UINT) {
  if (!m_pText) return 0;
  Vectorloom::CWorkspaceDoc* pDoc = pView->GetDocument();
  if (!pDoc) return 0;
  if (nChar == VK_BACK) {
    int s = 0, e = 0;
    GetSelectionRange(s, e);
    if (s < 0 || s >= e) {
      e = ResolveCaret(m_nCaret);
      s = e > 0 ? PrevCharIndex(e) : e;
    }
    if (s >= 0 && s < e) DeleteRange(pView, s, e);
    return 1;
  }
  // Control characters other than Enter type nothing; nor does a value that is no character.
  if ((nChar < 32 && nChar != 13) || nChar == 127 || nChar > 0x10FFFF || (nChar >= 0xD800 && nChar <= 0xDFFF))
    return 1;

  InsertText(pView, std::wstring(1, static_cast<wchar_t>(nChar)));
  return 1;
}

bool CEditingTextTool::InsertText(CWorkspaceView* pView, const std::wstring& codePoints) {
  if (!m_pText || !pView) return false;
  Vectorloom::CWorkspaceDoc* pDoc = pView->GetDocument();
  if (!pDoc) return false;
  std::wstring text;
  text.reserve(codePoints.size());
  for (size_t i = 0; i < codePoints.size(); ++i) {
    const auto c = static_cast<uint32_t>(codePoints[i]);
    if (c == 10) {
      if (i == 0 || codePoints[i - 1] != 13) text.push_back(13);
      continue;
    }
    if ((c < 32 && c != 13) || c == 127 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) continue;
    text.push_back(static_cast<wchar_t>(c));
  }
  if (text.empty()) return false;

  CPublicationDoc* pPub = PublicationDocOf(pView);
  const GlyphweaveLib::CEmbedFontResManager* fonts = pPub ? pPub->GetEmbedFontResManager() : nullptr;
  GlyphweaveLib::CFontCacheManager* cache = pPub ? pPub->GetFontGlyphCacheManager() : nullptr;
  CScreenContext dc;
  std::wstring printable;
  for (wchar_t c : text)
    if (c != 13) printable.push_back(c);
  if (!printable.empty()) {
    GlyphweaveLib::CAccessTextsOutline access;
    if (!access.SetAccessFont(dc.Get(), m_font, fonts) || !access.IsContainCharacters(printable.c_str())) {
      m_font.SetFontFaceName(L"Arial");
      m_font.SetCharSet(1);
      m_font.SetPitchFamily(0);
      m_font.SetEmbedFontID(-1);
    }
  }
  const std::wstring units = GlyphweaveLib::TextUnitsFromCodePoints(text);
  const int n = static_cast<int>(units.size());
  int s = 0, e = 0;
  GetSelectionRange(s, e);
  int at = 0;
  Vectorloom::CBaseEditAction* action = nullptr;
  if (s >= 0 && s < e) {
    // The text replaces the selection and lands where it began.
    action = new TextReplaceAction(m_pText, s, e - 1, n);
    m_pText->DeleteString(s, e - s);
    at = s;
  } else {
    at = std::max(0, ResolveCaret(m_nCaret));
    action = new TextUpdateAction(m_pText, m_nCaret < 0 ? at : m_nCaret, at, n);
  }
  m_pText->InsertString(at, units.c_str(), n, dc.Get(), m_font, fonts, cache);
  pDoc->AddEditAction(GrowTextBoxesOfEdit(action, {m_pText}));  // nothing typed goes out of sight
  pDoc->SetModifiedFlag(TRUE);
  m_nCaret = m_nSelStart = m_nSelEnd = at + n;
  AfterCaretChange(pView);
  pDoc->UpdateAllViews(nullptr, Vectorloom::kHintRepaint,
                       Vectorloom::CWorkspaceDoc::PageHint(pDoc->FindOwnerPage(m_pText)));
  return true;
}

// ---------------------------------------------------------------------------------------------
// Caret and selection

void CEditingTextTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                                   float y) {
  if (!m_pText || !pGraphics) return;
  const CQorTransMatrix m =
      m_pText->GetTransMatrix() * CQorTransMatrix::Scale(sx, sy) * CQorTransMatrix::Translation(x, y);
  const auto& chars = m_pText->GetArrayOfTextCharacters();
  const int count = static_cast<int>(chars.size());
  auto toDevice = [&](float px, float py) {
    const CQorVectorPoint<float> p = m.Transform(CQorVectorPoint<float>(px, py));
    return Gdiplus::PointF(p.x, p.y);
  };

  int s = 0, e = 0;
  GetSelectionRange(s, e);
  if (s >= 0 && s < e) {
    // One band per row, from the first selected character's left edge to the last one's right
    // edge, as high as the row's characters.
    Gdiplus::SolidBrush band(Gdiplus::Color(110, 0, 120, 215));
    const auto& rows = m_pText->GetParagraphsLinesInfo();
    int start = 0;
    for (int r = 0; r < rows.GetSize() && start < e; ++r) {
      const int end = std::min(count, start + static_cast<int>(rows.GetAt(r).m_nCharCount));
      const int a = std::max(start, s), b = std::min(end, e) - 1;
      if (a <= b) {
        float top = 3.4e38f, bottom = -3.4e38f;
        for (int i = a; i <= b; ++i) {
          const auto& c = chars[static_cast<size_t>(i)];
          top = std::min(top, c.GetCharOffset().y - c.GetCharAscent());
          bottom = std::max(bottom, c.GetCharOffset().y + c.GetCharDescent());
        }
        const float left = chars[static_cast<size_t>(a)].GetCharOffset().x;
        const auto& last = chars[static_cast<size_t>(b)];
        const float right = last.GetCharOffset().x + last.GetIncreaseDeltaX();
        const Gdiplus::PointF quad[4] = {toDevice(left, top), toDevice(right, top), toDevice(right, bottom),
                                         toDevice(left, bottom)};
        pGraphics->FillPolygon(&band, quad, 4);
      }
      start = end;
    }
    return;
  }
  if (m_nCaret < 0 || !m_bCaretVisible) return;

  float cx = 0, top = 0, bottom = 0;
  const int index = ResolveCaret(m_nCaret);
  if (count == 0) {
    int dpiY = 96, dpiX = 96;
    GetScreenDpi(dpiX, dpiY);
    bottom = std::fabs(dpiY * m_font.m_fFontSize / 72.0f);
  } else {
    // Behind a character (the hit test's code, or the end of the text) or before one.
    int k = index;
    bool behind = false;
    if (m_nCaret & kCaretBehind) {
      k = std::min(count - 1, m_nCaret & kCaretIndexMask);
      behind = true;
    } else if (index >= count) {
      k = count - 1;
      behind = true;
    }
    const auto& c = chars[static_cast<size_t>(std::max(0, k))];
    top = c.GetCharOffset().y - c.GetCharAscent();
    bottom = c.GetCharOffset().y + c.GetCharDescent();
    cx = c.GetCharOffset().x + (behind ? c.GetIncreaseDeltaX() : 0.0f);
    if (behind && index >= count && c.GetCharacter() == 13) {  // a new row after the last break
      float rowsHeight = 0;
      const auto& rows = m_pText->GetParagraphsLinesInfo();
      for (int r = 0; r < rows.GetSize(); ++r)
        rowsHeight += std::fabs(rows.GetAt(r).m_fAscent) + std::fabs(rows.GetAt(r).m_fDescent) +
                      std::fabs(rows.GetAt(r).m_fLeading);
      const float h = bottom - top;
      cx = 0;
      top = rowsHeight;
      bottom = rowsHeight + h;
    }
  }
  Gdiplus::Pen pen(Gdiplus::Color(255, 0, 0, 0), 2.0f);
  pGraphics->DrawLine(&pen, toDevice(cx, top), toDevice(cx, bottom));
}

}  // namespace Quirebook
