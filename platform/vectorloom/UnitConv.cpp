#include "UnitConv.h"

namespace Vectorloom {

double CUnitConv::InchesPerUnit(int unit) {
  switch (unit) {
    case UNIT_INCH:
      return 1.0;
    case UNIT_CENTIMETER:
      return 1.0 / 2.54;
    case UNIT_MILLIMETER:
      return 1.0 / 25.4;
    case UNIT_POINT:
      return 1.0 / 72.0;
    case UNIT_PIXEL:
    default:  // an unknown unit is taken as screen pixels
      return 1.0 / kScreenDpi;
  }
}

double CUnitConv::It2PixelD(double value, int unit, double dpi) { return value * InchesPerUnit(unit) * dpi; }

float CUnitConv::It2Pixel(float value, int unit, double dpi) {
  return static_cast<float>(It2PixelD(value, unit, dpi));
}

double CUnitConv::Pixel2ItD(double pixels, int unit, double dpi) {
  if (dpi == 0) return 0;
  return pixels / dpi / InchesPerUnit(unit);
}

float CUnitConv::Pixel2It(float pixels, int unit, double dpi) {
  return static_cast<float>(Pixel2ItD(pixels, unit, dpi));
}

float CUnitConv::Weight2Pixel(float points, double dpi) { return static_cast<float>(points * dpi / 72.0); }

float CUnitConv::Pixel2Weight(float pixels, double dpi) {
  if (dpi == 0) return 0;
  return static_cast<float>(pixels * 72.0 / dpi);
}

double CUnitConv::ConvertValue(double value, int from, int to) {
  if (from == to) return value;
  return value * InchesPerUnit(from) / InchesPerUnit(to);
}

}  // namespace Vectorloom
