#include "ZoomPane.h"

#include <algorithm>
#include <cmath>

float ZoomFromSliderPos(int p) {
  if (p <= 500) return 10.0f + static_cast<float>(p) * 90.0f / 500.0f;
  return 100.0f + static_cast<float>(p - 500) * 700.0f / 500.0f;
}

int SliderPosFromZoom(float z) {
  if (z < 100) return static_cast<int>((z - 10.0f) * 500.0f / 90.0f);
  return 500 + static_cast<int>((z - 100.0f) * 500.0f / 700.0f);
}

CString ZoomPaneText(float z) {
  const long long t = static_cast<long long>(static_cast<double>(z) * 10.0);
  CString s;
  if (t % 10 == 0)
    s.Format(L"%d%%", static_cast<int>(t / 10));
  else
    s.Format(L"%0.1f%%", static_cast<double>(t) / 10.0);
  return s;
}

float ZoomForSliderCode(float z, int nCode, int nPos) {
  switch (nCode) {
    case SB_LINELEFT:
    case SB_PAGELEFT: return std::max(z - 10.0f, 10.0f);
    case SB_LINERIGHT:
    case SB_PAGERIGHT: return std::min(z + 10.0f, 800.0f);
    case SB_THUMBTRACK: {
      const float to = ZoomFromSliderPos(nPos);
      return to > 90.0f && to < 150.0f ? 100.0f : to;
    }
    case SB_LEFT: return 12.5f;
    case SB_RIGHT: return 800.0f;
    default: return z;
  }
}
