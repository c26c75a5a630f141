// The device area a page object occupies (what CalcuObjectOccurArea returns, for redrawing), and
// where its rotation handle sits.
//
// Every page object class states its own rule (which bounds, which margin, whether a rotation grip
// and a shadow count) and ComputeOccurArea applies it: bounds scaled by the view's zoom, widened
// by the margin, the rotation grip 20 pixels beyond the middle of the top edge, rounded outwards,
// the shadow united, then moved by the view's origin.
#pragma once

#include <windows.h>

#include <vectorloom/RenderObj.h>

#include "LeafwrightAppState.h"

// The page object classes' shared part of the rule; not for other callers.
namespace lw::occur {

struct OccurRule {
  Vectorloom::CQorVectorRect<float> bounds;  // unscaled
  float margin = 0;                          // already in device pixels
  bool rotation = false;                     // selected and the class draws a rotation grip
  float e = 1;                               // added to right and bottom before rounding up
  bool shadow = false;                       // unite the shadow rectangle
  bool shadowFromBounds = false;             // CalcuShadowBoundRect(&bounds) rather than (null)
};

// The margin of a selected object's handles, in device pixels.
inline constexpr float kHandleMargin = 4;

// The view's zoom as a factor (1 for a zoom that is not a positive number).
double ZoomOf(const LeafwrightViewMetrics& view);
// A view's metrics (100 %, origin 0 without a view).
LeafwrightViewMetrics MetricsOf(Vectorloom::CWorkspaceView* view);
RECT ComputeOccurArea(const Vectorloom::CRenderBaseObj& obj, const LeafwrightViewMetrics& view, const OccurRule& rule);

}  // namespace lw::occur
