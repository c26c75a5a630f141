#include "quirebook/VideoPlayerTool.h"

#include <vectorloom/WorkspaceView.h>
#include <winuser.h>

namespace Quirebook {

CVideoPlayerTool::~CVideoPlayerTool() {
  ClosePlayer();
  Vectorloom::ReleaseRefObj(m_pVideo);
}

void CVideoPlayerTool::SetVideoObject(CBaseVideoObj* pVideo) {
  if (pVideo == m_pVideo) return;
  if (pVideo) pVideo->AddRef();
  Vectorloom::ReleaseRefObj(m_pVideo);
  m_pVideo = pVideo;
}

bool CVideoPlayerTool::StartPlayback(HWND window) {
  ClosePlayer();
  if (!m_pVideo) return false;
  m_hPlayer = StartVideoPlayback(*m_pVideo, window, {}, &m_dOverview);
  return m_hPlayer != nullptr;
}

void CVideoPlayerTool::ClosePlayer() {
  if (!m_hPlayer) return;
  HAVPLAYER player = m_hPlayer;
  m_hPlayer = nullptr;
  AVPlayerClose(player);  // waits for the player's thread: no frame is sent after this
}

int CVideoPlayerTool::OnLButtonDown(Vectorloom::CWorkspaceView* pView, UINT, int x, int y) {
  if (!m_pVideo) return 0;
  if (m_pVideo->HitTest(pView->ClientToPic(x, y), Vectorloom::CWorkspaceView::kHandleRadius / pView->GetZoomFactor()))
    return 1;
  // A press beside the video stops the playback; the selection tool takes the press.
  pView->UpdateEditingTool(nullptr);
  return 0;
}

int CVideoPlayerTool::OnMouseMove(Vectorloom::CWorkspaceView*, UINT, int, int) { return m_pVideo ? 1 : 0; }

int CVideoPlayerTool::OnLButtonUp(Vectorloom::CWorkspaceView*, UINT, int, int) { return m_pVideo ? 1 : 0; }

// The arrow (null: the view shows its default arrow).
HCURSOR CVideoPlayerTool::GetHandleCursor(Vectorloom::CWorkspaceView*, int, int) { return nullptr; }

void CVideoPlayerTool::ToolUnInitalize(Vectorloom::CWorkspaceView* pView) {
  ClosePlayer();
  if (m_pVideo && pView) pView->InvalidateObjRect(m_pVideo, 0);
  Vectorloom::ReleaseRefObj(m_pVideo);
  m_dOverview = 0.0;
}

}  // namespace Quirebook
