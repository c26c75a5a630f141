// The tool of in-place video playback: while it is the view's tool, the player plays its video
// object's clip and the frames replace the object's picture (see CPublicationView). Leaving the
// tool closes the player.
#pragma once

#include <clipdeck/Clipdeck.h>
#include <vectorloom/DefaultTool.h>

#include "quirebook/VideoObj.h"

namespace Quirebook {

class CVideoPlayerTool : public Vectorloom::CDefaultTool {
 public:
  CVideoPlayerTool() = default;
  ~CVideoPlayerTool() override;

  // Handled when the press lies on the video object.
  int OnLButtonDown(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonUp(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  HCURSOR GetHandleCursor(Vectorloom::CWorkspaceView* pView, int x, int y) override;
  // Closes the player and lets the video object go.
  void ToolUnInitalize(Vectorloom::CWorkspaceView* pView) override;

  // The object to play (one reference held; the previous one released).
  CBaseVideoObj* GetVideoObject() const { return m_pVideo; }
  void SetVideoObject(CBaseVideoObj* pVideo);
  // Opens the player for the object's clip, its frames going to window; true when a player runs.
  // A player already running is closed first.
  bool StartPlayback(HWND window);
  void ClosePlayer();
  bool IsPlaying() const { return m_hPlayer != nullptr; }
  double GetOverviewTime() const { return m_dOverview; }

 private:
  CBaseVideoObj* m_pVideo = nullptr;
  HAVPLAYER m_hPlayer = nullptr;
  double m_dOverview = 0.0;
};

}  // namespace Quirebook

using Quirebook::CVideoPlayerTool;
