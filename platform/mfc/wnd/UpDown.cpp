// The up-down control of dialogs, drawn by us.
#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/renderer.h>
#include <wx/settings.h>

#include "updown.h"

namespace {
constexpr int kFirstDelayMs = 400;
constexpr int kRepeatMs = 80;
}  // namespace

LwUpDown::LwUpDown(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style)
    : m_repeat(this) {
  Create(parent, id, pos, size, style | wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE);
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &LwUpDown::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &LwUpDown::OnMouseDown, this);
  Bind(wxEVT_LEFT_DCLICK, &LwUpDown::OnMouseDown, this);
  Bind(wxEVT_LEFT_UP, &LwUpDown::OnMouseUp, this);
  Bind(wxEVT_TIMER, &LwUpDown::OnTimer, this);
  Bind(wxEVT_MOUSE_CAPTURE_LOST, &LwUpDown::OnCaptureLost, this);
}

void LwUpDown::SetValue(int val) {
  const int v = std::clamp(val, std::min(m_min, m_max), std::max(m_min, m_max));
  if (v == m_value) return;
  m_value = v;
  Refresh();
}

void LwUpDown::SetRange(int minVal, int maxVal) {
  wxSpinButtonBase::SetRange(minVal, maxVal);
  m_value = std::clamp(m_value, std::min(m_min, m_max), std::max(m_min, m_max));
  Refresh();
}

wxSize LwUpDown::DoGetBestSize() const { return FromDIP(wxSize(16, 24)); }

void LwUpDown::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize sz = GetClientSize();
  const bool enabled = IsEnabled();
  dc.SetBackground(wxBrush(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)));
  dc.Clear();
  const int half = sz.y / 2;
  wxRendererNative& r = wxRendererNative::Get();
  const wxRect up(0, 0, sz.x, half), down(0, half, sz.x, sz.y - half);
  r.DrawPushButton(this, dc, up, (m_pressed > 0 ? wxCONTROL_PRESSED : 0) | (enabled ? 0 : wxCONTROL_DISABLED));
  r.DrawPushButton(this, dc, down, (m_pressed < 0 ? wxCONTROL_PRESSED : 0) | (enabled ? 0 : wxCONTROL_DISABLED));
  const wxColour ink = wxSystemSettings::GetColour(enabled ? wxSYS_COLOUR_BTNTEXT : wxSYS_COLOUR_GRAYTEXT);
  dc.SetBrush(wxBrush(ink));
  dc.SetPen(wxPen(ink));
  const int w = std::max(3, std::min(sz.x - 6, 9) / 2 * 2 + 1);  // an odd width, centred
  auto arrow = [&](const wxRect& rc, bool pointsUp) {
    const int cx = rc.x + rc.width / 2, cy = rc.y + rc.height / 2;
    const int h = w / 2 + 1;
    wxPoint pts[3];
    if (pointsUp) {
      pts[0] = wxPoint(cx - w / 2, cy + h / 2);
      pts[1] = wxPoint(cx + w / 2, cy + h / 2);
      pts[2] = wxPoint(cx, cy + h / 2 - h + 1);
    } else {
      pts[0] = wxPoint(cx - w / 2, cy - h / 2);
      pts[1] = wxPoint(cx + w / 2, cy - h / 2);
      pts[2] = wxPoint(cx, cy - h / 2 + h - 1);
    }
    dc.DrawPolygon(3, pts);
  };
  arrow(up, true);
  arrow(down, false);
}

void LwUpDown::Step(int nDir) {
  wxSpinEvent ev(nDir > 0 ? wxEVT_SPIN_UP : wxEVT_SPIN_DOWN, GetId());
  ev.SetEventObject(this);
  ev.SetPosition(m_value);
  if (ProcessWindowEvent(ev) && !ev.IsAllowed()) return;  // refused (or done by the handler)
  const int lo = std::min(m_min, m_max), hi = std::max(m_min, m_max);
  const int v = std::clamp(m_value + nDir, lo, hi);
  if (v == m_value) return;
  m_value = v;
  Refresh();
  wxSpinEvent changed(wxEVT_SPIN, GetId());
  changed.SetEventObject(this);
  changed.SetPosition(m_value);
  ProcessWindowEvent(changed);
}

void LwUpDown::OnMouseDown(wxMouseEvent& e) {
  if (!IsEnabled()) return;
  m_pressed = e.GetY() < GetClientSize().y / 2 ? +1 : -1;
  // Holding an arrow repeats; a window not on screen (yet) cannot take the pointer.
  if (IsShownOnScreen() && !HasCapture()) CaptureMouse();
  Refresh();
  Step(m_pressed);
  m_repeat.StartOnce(kFirstDelayMs);
}

void LwUpDown::OnMouseUp(wxMouseEvent&) { StopRepeat(); }

void LwUpDown::OnCaptureLost(wxMouseCaptureLostEvent&) {
  m_pressed = 0;
  m_repeat.Stop();
  Refresh();
}

void LwUpDown::StopRepeat() {
  m_repeat.Stop();
  if (HasCapture()) ReleaseMouse();
  m_pressed = 0;
  Refresh();
}

void LwUpDown::OnTimer(wxTimerEvent&) {
  if (!m_pressed) return;
  Step(m_pressed);
  m_repeat.StartOnce(kRepeatMs);
}
