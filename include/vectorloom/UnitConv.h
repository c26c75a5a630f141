// Page units and their conversions. Pixels are those of the 96-dpi screen.
#pragma once

namespace Vectorloom {

enum eUnit { UNIT_INCH = 0, UNIT_CENTIMETER = 1, UNIT_MILLIMETER = 2, UNIT_PIXEL = 3, UNIT_POINT = 4 };

constexpr int kScreenDpi = 96;

class CUnitConv {
 public:
  // Inches in one unit (pixels count as 1/96 inch, points as 1/72).
  static double InchesPerUnit(int unit);

  // A length in 'unit' to device pixels at 'dpi'.
  static float It2Pixel(float value, int unit, double dpi);
  static double It2PixelD(double value, int unit, double dpi);
  // Device pixels at 'dpi' to a length in 'unit'.
  static float Pixel2It(float pixels, int unit, double dpi);
  static double Pixel2ItD(double pixels, int unit, double dpi);

  // Stroke widths: points to pixels at 'dpi' and back.
  static float Weight2Pixel(float points, double dpi);
  static float Pixel2Weight(float pixels, double dpi);

  // A length from one unit to another.
  static double ConvertValue(double value, int from, int to);
};

}  // namespace Vectorloom
