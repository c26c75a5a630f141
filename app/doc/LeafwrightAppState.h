// Application state the page objects read. The running program installs its own; without one
// the defaults of a freshly started program apply (96 dpi, the first preset gradient, the default
// colours), so the object classes work headless. What belongs to a view (its zoom, where its page
// lies, its active tool) is read from the view itself (LeafwrightViewMetricsOf, LeafwrightToolOf).
#pragma once

#include <windows.h>

#include <vectorloom/ShapeObj.h>

namespace Vectorloom {
class CWorkspaceView;
}

// The kinds of tool of the editing view that change how shapes are made and measured.
enum class eLeafwrightTool {
  None = 0,        // the selection tool or no view
  Rectangle,
  Oval,
  RoundRect,
  Line,
  Polygon,
  MoveAnchor,
  AddAnchor,
  ConvertAnchor,
  Other,
};

// How a view shows its page: zoom in percent and where the page's (0, 0) lands on the device.
struct LeafwrightViewMetrics {
  double zoomPercent = 100.0;
  int originX = 0;
  int originY = 0;
};

// A view's zoom and where its page lies in the view's logical (scrolled) points (100 %, origin 0
// without a view).
LeafwrightViewMetrics LeafwrightViewMetricsOf(const Vectorloom::CWorkspaceView* view);
// The kind of a view's active tool (None for the selection tool or without a view).
eLeafwrightTool LeafwrightToolOf(const Vectorloom::CWorkspaceView* view);

class ILeafwrightAppState {
 public:
  virtual ~ILeafwrightAppState() = default;
  virtual COLORREF GetDefaultFillColor() const = 0;
  virtual COLORREF GetDefaultStrokeColor() const = 0;
  // Preset gradient 0: the fill and stroke gradient of every new shape.
  virtual const Vectorloom::CLocalGradientColorsDefine& GetDefaultGradient() const = 0;
  virtual int GetScreenDpiX() const = 0;
  virtual int GetScreenDpiY() const = 0;
};

// A settable state with the start-up values: fill RGB(0, 128, 0), stroke RGB(255, 153, 0),
// gradient 0x11D43E at 0 to 0xFFFFFF at 4096, 96 x 96 dpi.
class CDefaultLeafwrightAppState : public ILeafwrightAppState {
 public:
  CDefaultLeafwrightAppState();
  COLORREF GetDefaultFillColor() const override { return m_clrFill; }
  COLORREF GetDefaultStrokeColor() const override { return m_clrStroke; }
  const Vectorloom::CLocalGradientColorsDefine& GetDefaultGradient() const override { return m_gradient; }
  int GetScreenDpiX() const override { return m_nDpiX; }
  int GetScreenDpiY() const override { return m_nDpiY; }

  void SetDefaultFillColor(COLORREF c) { m_clrFill = c; }
  void SetDefaultStrokeColor(COLORREF c) { m_clrStroke = c; }
  void SetDefaultGradient(const Vectorloom::CLocalGradientColorsDefine& g) { m_gradient = g; }
  // Values below 1 are taken as 96.
  void SetScreenDpi(int x, int y);

  static Vectorloom::CLocalGradientColorsDefine MakePresetGradient0();

 private:
  COLORREF m_clrFill;
  COLORREF m_clrStroke;
  Vectorloom::CLocalGradientColorsDefine m_gradient;
  int m_nDpiX = 96;
  int m_nDpiY = 96;
};

// The state in force (a built-in CDefaultLeafwrightAppState until one is installed).
ILeafwrightAppState& GetLeafwrightAppState();
// Installs a state (not owned; it must outlive its use); null goes back to the built-in one.
// Returns the state installed before.
ILeafwrightAppState* SetLeafwrightAppState(ILeafwrightAppState* state);
