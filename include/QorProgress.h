// Progress reporting of long operations (document open and save, the exporters, the image filter
// driver). A caller splits its work into nested ranges, each a share of the range around it, and
// reports positions 0..1 inside the innermost one; the object maps them to one overall fraction.
//
// The same object crosses the program and its libraries, which open and close ranges themselves,
// so the range arithmetic is inline here and the fields are public, in this order.
// Objects live on their caller's stack and are destroyed as their own type: the bases have
// protected destructors, so nothing can delete a reporter through a base pointer.
#pragma once

#include <deque>

class CString;

class CQorProgressInterface {
 public:
  // Reports a position inside the innermost range; returns the overall fraction.
  virtual float SetProgress(float fraction) = 0;

 protected:
  CQorProgressInterface() = default;
  CQorProgressInterface(const CQorProgressInterface&) = default;
  CQorProgressInterface& operator=(const CQorProgressInterface&) = default;
  ~CQorProgressInterface() = default;
};

class CQorBaseProgress : public CQorProgressInterface {
 public:
  CQorBaseProgress() { m_ranges.push_back(1.0f); }

  // result = ((top x fraction) + offset) x scale, each step in float.
  float SetProgress(float fraction) override {
    float v = TopRange() * fraction;
    v = v + m_fOffset;
    v = v * m_fScale;
    return v;
  }

  // Opens a nested range covering `span` of the current one: nested spans multiply.
  void PushRange(float span) { m_ranges.push_back(TopRange() * span); }

  // Closes the innermost range and adds its span to the offset. Extra pops find an empty stack,
  // which counts as a span of 1.0.
  void PopRange() {
    const float top = TopRange();
    if (!m_ranges.empty()) m_ranges.pop_back();
    m_fOffset = m_fOffset + top;
  }

  float m_fScale = 1.0f;          // overall factor; nothing changes it
  float m_fOffset = 0.0f;         // sum of the spans of the ranges closed so far
  std::deque<float> m_ranges;     // spans of the open ranges, outermost first

 protected:
  CQorBaseProgress(const CQorBaseProgress&) = default;
  CQorBaseProgress& operator=(const CQorBaseProgress&) = default;
  ~CQorBaseProgress() = default;

  float TopRange() const { return m_ranges.empty() ? 1.0f : m_ranges.back(); }
};

class CQorInterruptibleProgress : public CQorBaseProgress {
 public:
  // Set by whoever wants the operation to stop; long operations that can stop read it after
  // each step and end with failure.
  bool m_bInterrupted = false;

 protected:
  CQorInterruptibleProgress() = default;
  CQorInterruptibleProgress(const CQorInterruptibleProgress&) = default;
  CQorInterruptibleProgress& operator=(const CQorInterruptibleProgress&) = default;
  ~CQorInterruptibleProgress() = default;
};

// The progress object handed to the libraries; on its own it only computes the fractions.
class CQorCommonProgress : public CQorInterruptibleProgress {
 public:
  CQorCommonProgress() = default;
  CQorCommonProgress(const CQorCommonProgress&) = default;
  CQorCommonProgress& operator=(const CQorCommonProgress&) = default;
  ~CQorCommonProgress() = default;
};

// What a status-bar progress needs of the window that shows it (the main frame).
class CQorProgressStatusBar {
 public:
  // Shows the message in the tip pane and the progress pane at 0, lays out and repaints the bar.
  virtual void ShowProgress(const CString* message) = 0;
  // Hides both panes, lays out and repaints the bar.
  virtual void HideProgress() = 0;
  // Sets the position (0..100) of pane `paneId` when it is a progress pane; false when the bar
  // has no such pane or the pane is of another kind.
  virtual bool SetProgressPanePos(int paneId, int position) = 0;
  // Repaints the status bar at once, while the caller keeps the message loop busy.
  virtual void UpdateWindow() = 0;

 protected:
  CQorProgressStatusBar() = default;
  CQorProgressStatusBar(const CQorProgressStatusBar&) = default;
  CQorProgressStatusBar& operator=(const CQorProgressStatusBar&) = default;
  ~CQorProgressStatusBar() = default;
};

// Shows the progress of a document operation in the status bar: the message in pane 1021, the
// percentage in pane 1022.
class CLocalIOProgress : public CQorCommonProgress {
 public:
  static constexpr int kMessagePaneId = 1021;
  static constexpr int kProgressPaneId = 1022;

  // `message` is borrowed: the caller keeps it alive while the progress shows. A null status bar
  // reports nothing and only computes the fractions.
  explicit CLocalIOProgress(const CString* message, CQorProgressStatusBar* statusBar = nullptr)
      : m_pMessage(message), m_pStatusBar(statusBar) {}

  float SetProgress(float fraction) override {
    const float v = CQorCommonProgress::SetProgress(fraction);
    if (m_pStatusBar) {
      m_pStatusBar->SetProgressPanePos(kProgressPaneId, PercentOf(v));
      m_pStatusBar->UpdateWindow();
    }
    return v;
  }
  virtual void Begin() {
    if (m_pStatusBar) m_pStatusBar->ShowProgress(m_pMessage);
  }
  virtual void End() {
    if (m_pStatusBar) m_pStatusBar->HideProgress();
  }

  // The pane's position for a fraction: rounded half up in double, kept within 0..100 (pops that
  // outnumber pushes can take the fraction above 1).
  static int PercentOf(float fraction) {
    const double percent = static_cast<double>(fraction) * 100.0 + 0.5;
    if (!(percent > 0.0)) return 0;
    if (percent >= 100.0) return 100;
    return static_cast<int>(percent);
  }

  const CString* m_pMessage;

 private:
  CQorProgressStatusBar* m_pStatusBar;
};
