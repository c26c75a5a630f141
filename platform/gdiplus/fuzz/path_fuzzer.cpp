// Paths made of arbitrary points and type bytes (as the glyph and PDF importers build them) must
// measure, hit-test, iterate, clip and draw without crashing.
#include <gdiplus.h>

#include <cstdint>
#include <cstring>
#include <vector>

using namespace Gdiplus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Each point: two floats and a type byte. The first byte picks fill mode, pen and clip mode.
  if (size < 1) return 0;
  const uint8_t flags = data[0];
  ++data;
  --size;
  std::vector<PointF> pts;
  std::vector<BYTE> types;
  while (size >= 9 && pts.size() < 256) {
    float x, y;
    std::memcpy(&x, data, 4);
    std::memcpy(&y, data + 4, 4);
    pts.emplace_back(x, y);
    types.push_back(data[8]);
    data += 9;
    size -= 9;
  }
  GraphicsPath path(pts.data(), types.data(), static_cast<INT>(pts.size()),
                    (flags & 1) ? FillModeWinding : FillModeAlternate);

  RectF bounds;
  const Matrix m(1.5f, 0.25f, -0.5f, 2, 3, -4);
  Pen pen(Color(255, 10, 20, 30), (flags & 2) ? 0.0f : 3.0f);
  if (flags & 4) pen.SetDashStyle(DashStyleDashDot);
  if (flags & 8) pen.SetAlignment(PenAlignmentInset);
  path.GetBounds(&bounds, &m, &pen);
  path.IsVisible(1.0f, 2.0f);
  path.IsOutlineVisible(1.0f, 2.0f, &pen);

  GraphicsPathIterator it(&path);
  INT s = 0, e = 0;
  BOOL closed = FALSE;
  while (it.NextSubpath(&s, &e, &closed) > 0) {
  }
  while (it.NextMarker(&s, &e) > 0) {
  }

  GraphicsPath copy;
  copy.AddPath(&path, TRUE);
  copy.Transform(&m);
  Region region(&copy);
  region.Xor(RectF(0, 0, 8, 8));
  region.IsEmpty();
  region.IsVisible(4.0f, 4.0f);

  Bitmap bmp(16, 16, PixelFormat32bppARGB);
  {
    Graphics g(&bmp);
    g.SetSmoothingMode((flags & 16) ? SmoothingModeAntiAlias : SmoothingModeNone);
    if (flags & 32) g.SetClip(&path, (flags & 64) ? CombineModeExclude : CombineModeIntersect);
    SolidBrush brush(Color(128, 200, 0, 0));
    g.FillPath(&brush, &path);
    g.DrawPath(&pen, &path);
    if (path.GetPointCount() >= 2) {
      PathGradientBrush gradient(&path);
      g.FillRectangle(&gradient, 0, 0, 16, 16);
    }
  }
  return 0;
}
