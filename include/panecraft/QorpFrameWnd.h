// The toolkit's frame: a frame window that owns the command bars its ribbon, status bar and
// pop-up bars add their controls to. The command bars take part in the frame's idle update pass
// once InitCommandBars has run.
#pragma once

#include <QorpControls.h>

class CQORPFrameWnd : public CFrameWnd {
  DECLARE_DYNAMIC(CQORPFrameWnd)

 public:
  CQORPFrameWnd() = default;
  ~CQORPFrameWnd() override { m_commandBars.DetachFromFrame(); }

  CQORPCommandBars* GetCommandBars() { return &m_commandBars; }

  // Attaches the command bars to this frame (bUpdatePass: their own pass joins the idle pass; a
  // ribbon that runs the pass itself passes FALSE). Captions come from `loader` when given.
  BOOL InitCommandBars(CQORPCommandBars::StringLoader loader = nullptr, BOOL bUpdatePass = TRUE) {
    if (loader) m_commandBars.SetStringLoader(std::move(loader));
    m_commandBars.AttachToFrame(this, bUpdatePass);
    return TRUE;
  }

 protected:
  CQORPCommandBars m_commandBars;
};
