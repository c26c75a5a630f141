// Colour helpers of the toolkit.
#pragma once

#include <windows.h>

class CQORPDrawHelpers {
 public:
  // Hue, saturation and luminance, each in 0..1 (hue 0 and 1 are red).
  static void RGBtoHSL(COLORREF clr, double& h, double& s, double& l);
  // Values outside 0..1 are clamped (hue wraps round).
  static COLORREF HSLtoRGB(double h, double s, double l);
  // The contrast ratio of two colours by their relative luminance (1 to 21).
  static double ContrastRatio(COLORREF a, COLORREF b);
  // A text colour dimmed toward its background (fraction t of the way, 0..1), but never so far
  // that it reads below 4.5:1 against the background (nor further than the text itself, when
  // even the text does not reach it).
  static COLORREF DimmedText(COLORREF clrText, COLORREF clrBack, double t);
  // The text colour itself when it reads at fMin:1 or more against the background; otherwise the
  // text taken toward black or white (whichever stands out more from the background) just far
  // enough to reach it. Dimmed (disabled) text asks for 4.5, full-strength text for more.
  static COLORREF ReadableText(COLORREF clrText, COLORREF clrBack, double fMin = 4.5);
};
