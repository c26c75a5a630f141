#include "quirebook/PublicationView.h"

#include <gdiplus/gdiplus.h>
#include <objidl.h>
#include <winuser.h>

#include <cstring>

#include "quirebook/DDrawTextObj.h"
#include "quirebook/FontFaceActions.h"
#include "quirebook/PageActions.h"
#include "quirebook/PublicationDoc.h"

namespace Quirebook {

using Vectorloom::CWorkspaceView;

CDrawTextTool CPublicationView::g_DrawTextTool;
CEditingTextTool CPublicationView::g_EditingTextTool;
CVideoPlayerTool CPublicationView::g_playVideoTool;

namespace {

// The publication views of a document, first to last.
template <class Fn>
void ForEachPublicationView(Vectorloom::CWorkspaceDoc* doc, Fn fn) {
  if (!doc) return;
  POSITION pos = doc->GetFirstViewPosition();
  while (pos)
    if (auto* view = dynamic_cast<CPublicationView*>(doc->GetNextView(pos))) fn(view);
}

// The edit actions move the caret of the text tool when a view of the document edits with it.
ITextCaretHolder* FindDocumentCaretHolder(Vectorloom::CWorkspaceDoc* doc) {
  ITextCaretHolder* holder = nullptr;
  ForEachPublicationView(doc, [&](CPublicationView* view) {
    if (view->GetEditingTool() == &CPublicationView::g_EditingTextTool) holder = &CPublicationView::g_EditingTextTool;
  });
  return holder;
}

// Events of the document's actions go to its first workspace view.
void SendEventToFirstView(Vectorloom::CWorkspaceDoc* doc, int event, long value) {
  POSITION pos = doc->GetFirstViewPosition();
  while (pos)
    if (auto* view = dynamic_cast<CWorkspaceView*>(doc->GetNextView(pos))) {
      view->ProcessEvent(event, static_cast<LPARAM>(value));
      return;
    }
}

struct CViewLinks {
  CViewLinks() {
    SetCaretHolderLookup(&FindDocumentCaretHolder);
    SetViewEventSender(&SendEventToFirstView);
  }
};
const CViewLinks g_viewLinks;

constexpr size_t kBmpHeadersSize = 54;
constexpr int kMaxFrameSide = 16384;

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// The length of a frame block from its own headers: 24-bit rows bottom-up after a 54-byte
// header, plus the 24 bytes the sink keeps after the rows. 0 when the headers are not a frame's.
size_t FrameBlockLength(const uint8_t* block) {
  if (block[0] != 'B' || block[1] != 'M' || Le32(block + 14) != 40) return 0;
  const int32_t width = static_cast<int32_t>(Le32(block + 18)), height = static_cast<int32_t>(Le32(block + 22));
  const unsigned bits = block[28] | (block[29] << 8);
  if (bits != 24 || width <= 0 || height <= 0 || width > kMaxFrameSide || height > kMaxFrameSide) return 0;
  return ((static_cast<size_t>(bits) * width + 31) / 32) * height * 4 + 78;
}

}  // namespace

IMPLEMENT_DYNCREATE(CPublicationView, CWorkspaceView)

BEGIN_MESSAGE_MAP(CPublicationView, CWorkspaceView)
  ON_WM_CHAR()
  ON_WM_KEYDOWN()
  ON_WM_TIMER()
  ON_WM_LBUTTONDBLCLK()
  ON_MESSAGE(kVideoFrameMessage, &CPublicationView::OnVideoFrameUpdate)
  ON_COMMAND(Vectorloom::kIdEditUndo, &CPublicationView::OnEditUndo)
  ON_COMMAND(Vectorloom::kIdEditRedo, &CPublicationView::OnEditRedo)
END_MESSAGE_MAP()

CPublicationView::CPublicationView() = default;

CPublicationView::~CPublicationView() {
  // The process-wide tools must not keep this view's objects or player.
  if (m_pCurTool) m_pCurTool->ToolUnInitalize(this);
  m_pCurTool = nullptr;
}

int CPublicationView::IsSelectedTextObjects() const {
  for (Vectorloom::CRenderBaseObj* obj : m_selList)
    if (obj && obj->GetObjectType() == Vectorloom::RENDER_OBJ_TEXT) return 1;
  return 0;
}

void CPublicationView::PreviewChangeEditingTextObjFontFace(const GlyphweaveLib::_CharsFontDesc& desc) {
  if (m_pCurTool != &g_EditingTextTool) return;
  CDDrawTextObj* text = g_EditingTextTool.GetEditingText();
  int s = 0, e = 0;
  g_EditingTextTool.GetSelectionRange(s, e);
  if (!text || s < 0 || s >= e) return;
  if (m_pPreviewScene && !m_pPreviewScene->IsKindOf(RUNTIME_CLASS(CPreviewChangeEditingTextFontFaceSence))) {
    // Another preview is showing: put its values back before its scene goes.
    RestorePrevScene();
    DestroyPreviewScene();
  }
  if (!m_pPreviewScene) {
    auto* scene = new CPreviewChangeEditingTextFontFaceSence(GetDocument());
    scene->GetBackup()->BackupTextObject(text, s, e - 1);
    m_pPreviewScene = scene;
  }
  auto* doc = dynamic_cast<CPublicationDoc*>(GetDocument());
  text->SetSelectionCharsFormat(s, e - 1, desc, doc ? doc->GetEmbedFontResManager() : nullptr,
                                doc ? doc->GetFontGlyphCacheManager() : nullptr);
  InvalidateObjRect(text, 1);
}

void CPublicationView::DisableViewWindow() { EnableWindow(FALSE); }
void CPublicationView::EnableViewWindow() { EnableWindow(TRUE); }

void CPublicationView::SetRenderPage(Vectorloom::CRenderPage* pPage) {
  if (auto* page = dynamic_cast<CDrawingPage*>(pPage); page && page->IsNeedIntegrateTexts()) {
    auto* doc = dynamic_cast<CPublicationDoc*>(GetDocument());
    std::unique_lock<std::recursive_mutex> lock;
    if (doc) lock = doc->LockContent();
    page->IntegrateTexts();
    page->SetNeedIntegrateTextsFlag(false);
  }
  CWorkspaceView::SetRenderPage(pPage);
}

void CPublicationView::ProcessEvent(int nEvent, LPARAM lParam) {
  if (nEvent == kPagesRemovedEvent && m_pCurTool == &g_EditingTextTool) {
    CDDrawTextObj* text = g_EditingTextTool.GetEditingText();
    const bool onPage = text && m_pRenderPage && GetDocument() &&
                        GetDocument()->GetRenderPagesArray().IndexOf(m_pRenderPage) >= 0 &&
                        m_pRenderPage->GetRenderObjectList().Find(text) >= 0;
    if (!onPage) UpdateEditingTool(nullptr);
    return;
  }
  CWorkspaceView::ProcessEvent(nEvent, lParam);
}

void CPublicationView::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_pCurTool) m_pCurTool->OnChar(this, nChar, nRepCnt, nFlags);
  Default();
}

void CPublicationView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  if (m_pCurTool && m_pCurTool->OnKeyDown(this, nChar, nRepCnt, nFlags)) return;
  CWorkspaceView::OnKeyDown(nChar, nRepCnt, nFlags);
}

void CPublicationView::OnTimer(UINT_PTR nIDEvent) {
  if (m_pCurTool) m_pCurTool->OnTimer(this, nIDEvent);
  Default();
}

void CPublicationView::OnLButtonDblClk(UINT nFlags, CPoint point) {
  if (m_pCurTool && m_pCurTool->OnLButtonDblClk(this, nFlags, point.x, point.y)) {
    Default();
    return;
  }
  Vectorloom::CRenderBaseObj* obj = HitTestRenderObject(ClientToPic(point.x, point.y));
  if (obj) {
    if (!IsObjectSelected(obj)) SelectRenderObject(obj, false);
    if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_TEXT) {
      if (auto* text = dynamic_cast<CDDrawTextObj*>(obj)) {
        g_EditingTextTool.SetEditingText(text);
        g_EditingTextTool.SetCaretCode(0);
        UpdateEditingTool(&g_EditingTextTool);
      }
    } else if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_VIDEO) {
      auto* video = dynamic_cast<CBaseVideoObj*>(obj);
      const bool playing = m_pCurTool == &g_playVideoTool && g_playVideoTool.GetVideoObject() == video;
      if (video && !playing) {
        // Switching videos keeps the player tool current: the old player stops here, so two
        // players never feed this view.
        g_playVideoTool.ClosePlayer();
        g_playVideoTool.SetVideoObject(video);
        UpdateEditingTool(&g_playVideoTool);
        g_playVideoTool.StartPlayback(m_hWnd);
      }
    }
  }
  Default();
}

LRESULT CPublicationView::OnVideoFrameUpdate(WPARAM, LPARAM lParam) {
  CBaseVideoObj* video = g_playVideoTool.GetVideoObject();
  const auto* block = reinterpret_cast<const uint8_t*>(lParam);
  if (m_pCurTool != &g_playVideoTool || !video || !block) return 0;
  const size_t length = FrameBlockLength(block);
  if (length < kBmpHeadersSize || length > UINT_MAX) return 0;
  // The block is valid only while this handler runs: the bitmap gets a copy of its pixels.
  IStream* stream = SHCreateMemStream(block, static_cast<UINT>(length));
  if (!stream) return 0;
  Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromStream(stream);
  stream->Release();
  if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok) {
    delete bitmap;
    return 0;
  }
  Vectorloom::CRenderVectorShapeDef& fill = video->GetFillDefinition();
  if (!fill.GetRenderBitmap()) {
    auto* res = new Vectorloom::CVideoClipResObj();
    fill.SetRenderBitmap(res);
  }
  fill.GetRenderBitmap()->SetGdiBitmap(bitmap, nullptr, 1);
  video->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
  video->SetFillInsideFlag(1);
  InvalidateObjRect(video, 0);
  return 0;
}

void CPublicationView::OnEditUndo() {
  if (m_pCurTool != &g_EditingTextTool || !g_EditingTextTool.GetEditingText()) {
    CWorkspaceView::OnEditUndo();
    return;
  }
  Vectorloom::CWorkspaceDoc* pDoc = GetDocument();
  if (!pDoc || !pDoc->CanUndo()) return;
  RestorePrevScene();
  DestroyPreviewScene();
  pDoc->OnEditUndo();
  ProcessEvent(kPagesRemovedEvent, 0);  // the edited text may have left the page
  ValidateSelection();
  InvalidateView();
}

void CPublicationView::OnEditRedo() {
  if (m_pCurTool != &g_EditingTextTool || !g_EditingTextTool.GetEditingText()) {
    CWorkspaceView::OnEditRedo();
    return;
  }
  Vectorloom::CWorkspaceDoc* pDoc = GetDocument();
  if (!pDoc || !pDoc->CanRedo()) return;
  RestorePrevScene();
  DestroyPreviewScene();
  pDoc->OnEditRedo();
  ProcessEvent(kPagesRemovedEvent, 0);
  ValidateSelection();
  InvalidateView();
}

}  // namespace Quirebook
