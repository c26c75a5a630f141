// Colour helpers of the toolkit.
#pragma once

#include <windows.h>

class CQORPDrawHelpers {
 public:
  // Hue, saturation and luminance, each in 0..1 (hue 0 and 1 are red).
  static void RGBtoHSL(COLORREF clr, double& h, double& s, double& l);
  // Values outside 0..1 are clamped (hue wraps round).
  static COLORREF HSLtoRGB(double h, double s, double l);
};
