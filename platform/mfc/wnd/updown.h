// The dialogs' up-down control: two small arrow buttons stacked like Windows' one (the desktop's
// own spin button lays its buttons side by side and is far wider). Clicking or holding an arrow
// sends wxEVT_SPIN_UP / wxEVT_SPIN_DOWN (vetoable), then wxEVT_SPIN with the new value.
#pragma once

#include <wx/spinbutt.h>
#include <wx/timer.h>

class LwUpDown : public wxSpinButtonBase {
 public:
  LwUpDown(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);

  int GetValue() const override { return m_value; }
  void SetValue(int val) override;
  void SetRange(int minVal, int maxVal) override;

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void OnPaint(wxPaintEvent& e);
  void OnMouseDown(wxMouseEvent& e);
  void OnMouseUp(wxMouseEvent& e);
  void OnTimer(wxTimerEvent& e);
  void OnCaptureLost(wxMouseCaptureLostEvent& e);
  // One step up (+1) or down (-1), as the user asked it.
  void Step(int nDir);
  void StopRepeat();

  int m_value = 0;
  int m_pressed = 0;  // +1 upper arrow held, -1 lower arrow held
  wxTimer m_repeat;
};
