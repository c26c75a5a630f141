// Cutting path records to the clip regions in force.
#include "clip.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace pagesieve {
namespace {

using Pt = ClipPoint;

Pt Lerp(Pt a, Pt b, double t) { return Pt{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
double Cross(Pt o, Pt a, Pt b) { return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x); }
bool Same(Pt a, Pt b) { return a.x == b.x && a.y == b.y; }

// A line (p[0] to p[3]) or a cubic curve (p[0], controls p[1], p[2], end p[3]).
struct Seg {
  bool curve = false;
  Pt p[4];
  Pt At(double t) const {
    if (!curve) return Lerp(p[0], p[3], t);
    const double u = 1 - t;
    const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
    return Pt{a * p[0].x + b * p[1].x + c * p[2].x + d * p[3].x, a * p[0].y + b * p[1].y + c * p[2].y + d * p[3].y};
  }
  // The part from t0 to t1.
  Seg Part(double t0, double t1) const {
    Seg s;
    s.curve = curve;
    if (!curve) {
      s.p[0] = t0 == 0 ? p[0] : At(t0);
      s.p[3] = t1 == 1 ? p[3] : At(t1);
      return s;
    }
    // Split at t1, keep the first half; then split that at t0 / t1.
    auto split = [](const Pt* q, double t, Pt* lo, Pt* hi) {
      Pt ab = Lerp(q[0], q[1], t), bc = Lerp(q[1], q[2], t), cd = Lerp(q[2], q[3], t);
      Pt abc = Lerp(ab, bc, t), bcd = Lerp(bc, cd, t), m = Lerp(abc, bcd, t);
      if (lo) *lo = q[0], lo[1] = ab, lo[2] = abc, lo[3] = m;
      if (hi) *hi = m, hi[1] = bcd, hi[2] = cd, hi[3] = q[3];
    };
    Pt a[4], b[4];
    if (t1 < 1) split(p, t1, a, nullptr);
    else std::copy(p, p + 4, a);
    if (t0 > 0 && t1 > 0) split(a, t0 / t1, nullptr, b);
    else std::copy(a, a + 4, b);
    if (t0 > 0) b[0] = At(t0);
    if (t1 < 1) b[3] = At(t1);
    std::copy(b, b + 4, s.p);
    return s;
  }
};

struct Sub {
  Pt start;
  std::vector<Seg> segs;
  bool closed = false;
  double offset = 0;  // length of the original sub-path before this one starts (for dashes)
};

double Length(const Seg& s) {
  if (!s.curve) return std::hypot(s.p[3].x - s.p[0].x, s.p[3].y - s.p[0].y);
  double len = 0;
  Pt prev = s.p[0];
  for (int i = 1; i <= 32; ++i) {
    const Pt q = s.At(i / 32.0);
    len += std::hypot(q.x - prev.x, q.y - prev.y);
    prev = q;
  }
  return len;
}

// The parameters in (0, 1) where f(seg(t)) = 0, f affine: f(P) = a x + b y + c.
void Roots(const Seg& s, double a, double b, double c, std::vector<double>* ts) {
  auto f = [&](Pt q) { return a * q.x + b * q.y + c; };
  if (!s.curve) {
    const double f0 = f(s.p[0]), f1 = f(s.p[3]);
    if ((f0 < 0 && f1 > 0) || (f0 > 0 && f1 < 0)) ts->push_back(f0 / (f0 - f1));
    return;
  }
  const double f0 = f(s.p[0]), f1 = f(s.p[1]), f2 = f(s.p[2]), f3 = f(s.p[3]);
  auto val = [&](double t) {
    const double u = 1 - t;
    return u * u * u * f0 + 3 * u * u * t * f1 + 3 * u * t * t * f2 + t * t * t * f3;
  };
  // Monotone stretches between the roots of the derivative, then bisection on each.
  double br[4] = {0, 0, 0, 1};
  int n = 1;
  const double d0 = f1 - f0, d1 = f2 - f1, d2 = f3 - f2;
  const double qa = d0 - 2 * d1 + d2, qb = 2 * (d1 - d0), qc = d0;
  auto add = [&](double t) {
    if (t > 0 && t < 1) br[n++] = t;
  };
  if (std::fabs(qa) < 1e-12 * (std::fabs(qb) + std::fabs(qc) + 1e-300)) {
    if (qb != 0) add(-qc / qb);
  } else {
    const double disc = qb * qb - 4 * qa * qc;
    if (disc >= 0) {
      const double r = std::sqrt(disc);
      add((-qb - r) / (2 * qa));
      add((-qb + r) / (2 * qa));
    }
  }
  if (n == 3 && br[1] > br[2]) std::swap(br[1], br[2]);
  br[n++] = 1;
  for (int i = 0; i + 1 < n; ++i) {
    double lo = br[i], hi = br[i + 1];
    double vlo = val(lo), vhi = val(hi);
    if (!((vlo < 0 && vhi > 0) || (vlo > 0 && vhi < 0))) continue;
    for (int k = 0; k < 60 && hi - lo > 1e-12; ++k) {
      const double mid = (lo + hi) / 2, vm = val(mid);
      if ((vm < 0) == (vlo < 0)) lo = mid, vlo = vm;
      else hi = mid;
    }
    ts->push_back((lo + hi) / 2);
  }
}

// Cuts one sub-path to the parts where `inside(seg, t0, t1)` holds, splitting each segment at the
// parameters `cuts` gives. Sub-paths wholly inside come back as they were. With `area`, the
// parts of each sub-path are joined again by straight lines into one closed sub-path (right for
// a half-plane: the joins lie on its edge).
template <class CutsFn, class InsideFn>
bool CutSubs(std::vector<Sub>& subs, bool area, CutsFn&& cuts, InsideFn&& inside) {
  std::vector<Sub> out;
  bool any = false;
  std::vector<double> ts;
  for (Sub& sub : subs) {
    if (sub.segs.empty()) {
      Seg dot;
      dot.p[0] = dot.p[3] = sub.start;
      if (inside(dot)) out.push_back(std::move(sub));
      else any = true;
      continue;
    }
    struct Piece {
      std::vector<Seg> segs;
      double offset = 0;
    };
    std::vector<Piece> pieces;
    Piece cur;
    double run = sub.offset;
    bool cut = false, first_in = false, last_in = false;
    for (size_t i = 0; i < sub.segs.size(); ++i) {
      const Seg& s = sub.segs[i];
      ts.clear();
      cuts(s, &ts);
      std::sort(ts.begin(), ts.end());
      ts.erase(std::unique(ts.begin(), ts.end()), ts.end());
      double t0 = 0;
      for (size_t k = 0; k <= ts.size(); ++k) {
        const double t1 = k < ts.size() ? ts[k] : 1.0;
        if (t1 - t0 <= 0) continue;
        Seg part = (t0 == 0 && t1 == 1) ? s : s.Part(t0, t1);
        const bool in = inside(part);
        if (i == 0 && t0 == 0) first_in = in;
        if (i + 1 == sub.segs.size() && t1 == 1) last_in = in;
        if (in) {
          if (cur.segs.empty()) cur.offset = run;
          cur.segs.push_back(part);
        } else {
          cut = true;
          if (!cur.segs.empty()) pieces.push_back(std::move(cur));
          cur = Piece{};
        }
        if (!area) run += Length(part);
        t0 = t1;
      }
    }
    if (!cut) {
      out.push_back(std::move(sub));
      continue;
    }
    any = true;
    if (!cur.segs.empty()) pieces.push_back(std::move(cur));
    if (pieces.empty()) continue;
    // A closed sub-path inside at its start and its end runs on through its start.
    if (sub.closed && first_in && last_in && pieces.size() > 1) {
      pieces.back().segs.insert(pieces.back().segs.end(), pieces.front().segs.begin(), pieces.front().segs.end());
      pieces.erase(pieces.begin());
    }
    if (area) {
      Sub s;
      s.start = pieces.front().segs.front().p[0];
      s.closed = true;
      Pt pen = s.start;
      for (auto& piece : pieces) {
        if (!Same(pen, piece.segs.front().p[0])) {
          Seg join;
          join.p[0] = pen;
          join.p[3] = piece.segs.front().p[0];
          s.segs.push_back(join);
        }
        s.segs.insert(s.segs.end(), piece.segs.begin(), piece.segs.end());
        pen = piece.segs.back().p[3];
      }
      if (!Same(pen, s.start)) {
        Seg join;
        join.p[0] = pen;
        join.p[3] = s.start;
        s.segs.push_back(join);
      }
      out.push_back(std::move(s));
    } else {
      for (auto& piece : pieces) {
        Sub s;
        s.start = piece.segs.front().p[0];
        s.segs = std::move(piece.segs);
        s.offset = piece.offset;
        out.push_back(std::move(s));
      }
    }
  }
  subs = std::move(out);
  return any;
}

// Whether a point lies in the region filled by `rings` under the rule.
bool InRings(const std::vector<std::vector<Pt>>& rings, bool even_odd, Pt p) {
  int winding = 0, crossings = 0;
  for (const auto& ring : rings) {
    const size_t n = ring.size();
    for (size_t i = 0; i < n; ++i) {
      const Pt a = ring[i], b = ring[(i + 1) % n];
      if (a.y <= p.y) {
        if (b.y > p.y && Cross(a, b, p) > 0) ++winding, ++crossings;
      } else if (b.y <= p.y && Cross(a, b, p) < 0) {
        --winding, ++crossings;
      }
    }
  }
  return even_odd ? (crossings & 1) != 0 : winding != 0;
}

std::vector<Pt> ConvexHull(std::vector<Pt> pts) {
  std::sort(pts.begin(), pts.end(), [](Pt a, Pt b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  pts.erase(std::unique(pts.begin(), pts.end(), Same), pts.end());
  if (pts.size() < 3) return pts;
  std::vector<Pt> h(2 * pts.size());
  size_t k = 0;
  for (size_t i = 0; i < pts.size(); ++i) {
    while (k >= 2 && Cross(h[k - 2], h[k - 1], pts[i]) <= 0) --k;
    h[k++] = pts[i];
  }
  for (size_t i = pts.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && Cross(h[k - 2], h[k - 1], pts[i - 1]) <= 0) --k;
    h[k++] = pts[i - 1];
  }
  h.resize(k - 1);
  return h;
}

// Cuts to a convex polygon, one edge's half-plane after the other.
bool CutConvex(std::vector<Sub>& subs, const std::vector<Pt>& poly, bool area) {
  if (poly.size() < 3) {
    const bool any = !subs.empty();
    subs.clear();
    return any;
  }
  double sarea = 0;
  for (size_t i = 0; i < poly.size(); ++i) {
    const Pt a = poly[i], b = poly[(i + 1) % poly.size()];
    sarea += a.x * b.y - b.x * a.y;
  }
  const double sign = sarea >= 0 ? 1 : -1;
  bool any = false;
  for (size_t i = 0; i < poly.size() && !subs.empty(); ++i) {
    const Pt q0 = poly[i], q1 = poly[(i + 1) % poly.size()];
    if (Same(q0, q1)) continue;
    // Inside: left of the edge for a counter-clockwise polygon.
    const double a = -(q1.y - q0.y) * sign, b = (q1.x - q0.x) * sign, c = -(a * q0.x + b * q0.y);
    const double scale = std::hypot(a, b);
    any |= CutSubs(
        subs, area, [&](const Seg& s, std::vector<double>* ts) { Roots(s, a, b, c, ts); },
        [&](const Seg& s) {
          const Pt m = s.At(0.5);
          return (a * m.x + b * m.y + c) >= -1e-9 * scale;
        });
  }
  return any;
}

// Cuts stroked lines to any region: split where they cross its edges, keep the parts inside.
bool CutLines(std::vector<Sub>& subs, const std::vector<std::vector<Pt>>& rings, bool even_odd) {
  return CutSubs(
      subs, false,
      [&](const Seg& s, std::vector<double>* ts) {
        std::vector<double> cand;
        for (const auto& ring : rings)
          for (size_t i = 0; i < ring.size(); ++i) {
            const Pt q0 = ring[i], q1 = ring[(i + 1) % ring.size()];
            const double ex = q1.x - q0.x, ey = q1.y - q0.y, len2 = ex * ex + ey * ey;
            if (len2 <= 0) continue;
            cand.clear();
            Roots(s, -ey, ex, ey * q0.x - ex * q0.y, &cand);
            for (double t : cand) {
              const Pt p = s.At(t);
              const double u = ((p.x - q0.x) * ex + (p.y - q0.y) * ey) / len2;
              if (u >= -1e-9 && u <= 1 + 1e-9) ts->push_back(t);
            }
          }
      },
      [&](const Seg& s) { return InRings(rings, even_odd, s.At(0.5)); });
}

std::vector<Sub> ToSubs(const std::vector<PdfPathSegment>& in, bool area) {
  std::vector<Sub> subs;
  Pt pen, start;
  bool open = false;
  auto line = [&](Pt to) {
    Seg s;
    s.p[0] = pen;
    s.p[3] = to;
    subs.back().segs.push_back(s);
    pen = to;
  };
  auto curve = [&](Pt c1, Pt c2, Pt to) {
    Seg s;
    s.curve = true;
    s.p[0] = pen;
    s.p[1] = c1;
    s.p[2] = c2;
    s.p[3] = to;
    subs.back().segs.push_back(s);
    pen = to;
  };
  auto begin = [&](Pt at) {
    subs.push_back(Sub{});
    subs.back().start = start = pen = at;
    open = true;
  };
  auto close = [&] {
    if (!open) return;
    if (!Same(pen, start)) line(start);
    subs.back().closed = true;
    open = false;
    pen = start;
  };
  for (const PdfPathSegment& g : in) {
    const Pt p1{g.x1, g.y1}, p2{g.x2, g.y2}, p3{g.x3, g.y3};
    switch (g.op) {
      case kPdfMoveTo: begin(p1); break;
      case kPdfLineTo:
      case kPdfCurveTo:
      case kPdfCurveToV:
      case kPdfCurveToY:
        if (subs.empty()) break;
        if (!open) begin(pen);  // drawing on after a close starts at the closed sub-path's start
        if (g.op == kPdfLineTo) line(p1);
        else if (g.op == kPdfCurveTo) curve(p1, p2, p3);
        else if (g.op == kPdfCurveToV) curve(pen, p1, p2);
        else curve(p1, p2, p2);
        break;
      case kPdfClose:
      case kPdfCloseWithSegment: close(); break;
      case kPdfRectangle:
        begin(p1);
        line(Pt{g.x1 + g.x2, g.y1});
        line(Pt{g.x1 + g.x2, g.y1 + g.y2});
        line(Pt{g.x1, g.y1 + g.y2});
        close();
        break;
      default: break;
    }
  }
  if (area)
    for (Sub& s : subs)
      if (!s.segs.empty() && !s.closed) {
        if (!Same(s.segs.back().p[3], s.start)) {
          Seg back;
          back.p[0] = s.segs.back().p[3];
          back.p[3] = s.start;
          s.segs.push_back(back);
        }
        s.closed = true;
      }
  return subs;
}

void FromSubs(const std::vector<Sub>& subs, std::vector<PdfPathSegment>* out, std::vector<float>* offsets) {
  auto f = [](double v) { return static_cast<float>(v); };
  for (const Sub& s : subs) {
    if (offsets) offsets->push_back(f(s.offset));
    out->push_back(PdfPathSegment{kPdfMoveTo, f(s.start.x), f(s.start.y), 0, 0, 0, 0});
    for (const Seg& g : s.segs) {
      if (g.curve)
        out->push_back(PdfPathSegment{kPdfCurveTo, f(g.p[1].x), f(g.p[1].y), f(g.p[2].x), f(g.p[2].y), f(g.p[3].x),
                                      f(g.p[3].y)});
      else
        out->push_back(PdfPathSegment{kPdfLineTo, f(g.p[3].x), f(g.p[3].y), 0, 0, 0, 0});
    }
    if (s.closed) out->push_back(PdfPathSegment{kPdfClose, 0, 0, 0, 0, 0, 0});
  }
}

Pt Apply(fz_matrix m, Pt p) { return Pt{p.x * m.a + p.y * m.c + m.e, p.x * m.b + p.y * m.d + m.f}; }

// --- flattening a clip path ---

// Clip paths with more points than this count by their bounds, and cutting a path whose segments
// times the clip's edges pass kMaxCutWork cuts it to the clip's bounds: a damaged or hostile file
// costs no more than that.
constexpr size_t kMaxClipPoints = 65536;
constexpr double kMaxCutWork = 4e6;

struct Flattener {
  fz_matrix ctm;
  std::vector<std::vector<Pt>>* rings;
  Pt pen, start;
  bool failed = false;
  size_t points = 0;
  void Add(Pt p) noexcept {
    if (failed || rings->empty()) return;
    if (++points > kMaxClipPoints) {
      failed = true;
      return;
    }
    try {
      if (rings->back().empty() || !Same(rings->back().back(), p)) rings->back().push_back(p);
    } catch (...) {
      failed = true;
    }
  }
};

void FMove(fz_context*, void* a, float x, float y) {
  auto* f = static_cast<Flattener*>(a);
  f->pen = f->start = Apply(f->ctm, Pt{x, y});
  if (f->failed) return;
  try {
    f->rings->emplace_back();
  } catch (...) {
    f->failed = true;
  }
  f->Add(f->pen);
}
void FLine(fz_context*, void* a, float x, float y) {
  auto* f = static_cast<Flattener*>(a);
  f->pen = Apply(f->ctm, Pt{x, y});
  f->Add(f->pen);
}
void FCurve(fz_context*, void* a, float x1, float y1, float x2, float y2, float x3, float y3) {
  auto* f = static_cast<Flattener*>(a);
  Seg s;
  s.curve = true;
  s.p[0] = f->pen;
  s.p[1] = Apply(f->ctm, Pt{x1, y1});
  s.p[2] = Apply(f->ctm, Pt{x2, y2});
  s.p[3] = Apply(f->ctm, Pt{x3, y3});
  // Enough steps to keep within a hundredth of a point of the curve.
  const double l = std::hypot(s.p[1].x - s.p[0].x, s.p[1].y - s.p[0].y) +
                   std::hypot(s.p[2].x - s.p[1].x, s.p[2].y - s.p[1].y) +
                   std::hypot(s.p[3].x - s.p[2].x, s.p[3].y - s.p[2].y);
  const int n = std::isfinite(l) ? static_cast<int>(std::clamp(std::ceil(std::sqrt(l * 25)), 1.0, 256.0)) : 1;
  for (int i = 1; i <= n; ++i) f->Add(s.At(static_cast<double>(i) / n));
  f->pen = s.p[3];
}
void FClose(fz_context*, void* a) {
  auto* f = static_cast<Flattener*>(a);
  f->pen = f->start;
}

const fz_path_walker kFlatten = {FMove, FLine, FCurve, FClose, nullptr, nullptr, nullptr, nullptr};

}  // namespace

bool ClipRegionOfPath(fz_context* ctx, const fz_path* path, fz_matrix ctm, bool even_odd, ClipRegion* out) {
  *out = ClipRegion{};
  out->even_odd = even_odd;
  Flattener f{ctm, &out->rings, {}, {}, false};
  int ok = 1;
  fz_try(ctx) { fz_walk_path(ctx, path, &kFlatten, &f); }
  fz_catch(ctx) { ok = 0; }
  if (!ok || f.failed) return false;
  std::vector<std::vector<Pt>>& rings = out->rings;
  for (auto& r : rings)
    if (r.size() > 1 && Same(r.front(), r.back())) r.pop_back();
  rings.erase(std::remove_if(rings.begin(), rings.end(), [](const auto& r) { return r.size() < 3; }), rings.end());
  out->bounds = fz_empty_rect;
  bool first = true;
  for (const auto& r : rings)
    for (Pt p : r) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
      if (first) out->bounds = fz_rect{float(p.x), float(p.y), float(p.x), float(p.y)};
      else out->bounds = fz_include_point_in_rect(out->bounds, fz_make_point(float(p.x), float(p.y)));
      first = false;
    }
  if (rings.size() == 1) {
    // Convex: every turn the same way, and the edges go round once.
    const auto& r = rings[0];
    int sign = 0;
    bool convex = true;
    double turned = 0;
    for (size_t i = 0; i < r.size() && convex; ++i) {
      const Pt a = r[i], b = r[(i + 1) % r.size()], c = r[(i + 2) % r.size()];
      const double cr = Cross(a, b, c);
      if (cr != 0) {
        const int s = cr > 0 ? 1 : -1;
        if (sign && s != sign) convex = false;
        sign = s;
      }
      const double a1 = std::atan2(b.y - a.y, b.x - a.x), a2 = std::atan2(c.y - b.y, c.x - b.x);
      double d = a2 - a1;
      while (d > M_PI) d -= 2 * M_PI;
      while (d < -M_PI) d += 2 * M_PI;
      turned += d;
    }
    out->convex = convex && std::fabs(std::fabs(turned) - 2 * M_PI) < 1e-3;
  }
  return true;
}

ClipRegion ClipRegionOfRect(fz_rect r) {
  ClipRegion c;
  c.bounds = r;
  c.convex = true;
  c.rings.push_back({Pt{r.x0, r.y0}, Pt{r.x1, r.y0}, Pt{r.x1, r.y1}, Pt{r.x0, r.y1}});
  return c;
}

ClipCut CutToClips(const std::vector<const ClipRegion*>& regions, fz_matrix ctm,
                   const std::vector<PdfPathSegment>& in, bool fill, std::vector<PdfPathSegment>* out,
                   std::vector<float>* offsets) {
  out->clear();
  if (offsets) offsets->clear();
  std::vector<Sub> subs = ToSubs(in, fill);
  // The record-space bounds of the path's points and control points.
  fz_rect box = fz_empty_rect;
  bool first = true;
  for (const Sub& s : subs) {
    auto include = [&](Pt p) {
      const Pt q = Apply(ctm, p);
      const fz_point fp = fz_make_point(float(q.x), float(q.y));
      box = first ? fz_rect{fp.x, fp.y, fp.x, fp.y} : fz_include_point_in_rect(box, fp);
      first = false;
    };
    include(s.start);
    for (const Seg& g : s.segs)
      for (int k = g.curve ? 1 : 3; k < 4; ++k) include(g.p[k]);
  }
  if (first) return ClipCut::kInside;
  const fz_matrix inv = fz_invert_matrix(ctm);
  const double det = static_cast<double>(ctm.a) * ctm.d - static_cast<double>(ctm.b) * ctm.c;
  if (!(std::fabs(det) > 1e-12) || !std::isfinite(det)) return ClipCut::kInside;  // a flat path
  size_t seg_count = 0;
  for (const Sub& s : subs) seg_count += s.segs.size() + 1;
  bool any = false;
  for (const ClipRegion* region : regions) {
    if (!region || fz_is_infinite_rect(region->bounds)) continue;
    const ClipRegion* r = region;
    size_t edges = 0;
    for (const auto& ring : r->rings) edges += ring.size();
    ClipRegion box_region;
    if (static_cast<double>(edges) * static_cast<double>(seg_count) > kMaxCutWork) {
      box_region = ClipRegionOfRect(r->bounds);
      r = &box_region;
    }
    if (r->rings.empty() || box.x1 < r->bounds.x0 || box.x0 > r->bounds.x1 || box.y1 < r->bounds.y0 ||
        box.y0 > r->bounds.y1)
      return ClipCut::kCut;  // nothing of the path is inside
    if (r->convex) {
      // Wholly inside a convex region when the corners of its bounds are.
      const auto& ring = r->rings[0];
      double sarea = 0;
      for (size_t i = 0; i < ring.size(); ++i)
        sarea += ring[i].x * ring[(i + 1) % ring.size()].y - ring[(i + 1) % ring.size()].x * ring[i].y;
      bool inside = true;
      const Pt corners[4] = {{box.x0, box.y0}, {box.x1, box.y0}, {box.x1, box.y1}, {box.x0, box.y1}};
      for (size_t i = 0; i < ring.size() && inside; ++i)
        for (Pt c : corners)
          if (Cross(ring[i], ring[(i + 1) % ring.size()], c) * (sarea >= 0 ? 1 : -1) < -1e-6) {
            inside = false;
            break;
          }
      if (inside) continue;
    }
    // The region in the path's own space.
    std::vector<std::vector<Pt>> rings = r->rings;
    for (auto& ring : rings)
      for (Pt& p : ring) p = Apply(inv, p);
    if (r->convex) {
      any |= CutConvex(subs, rings[0], fill);
    } else if (!fill) {
      any |= CutLines(subs, rings, r->even_odd);
    } else {
      std::vector<Pt> all;
      for (const auto& ring : rings) all.insert(all.end(), ring.begin(), ring.end());
      any |= CutConvex(subs, ConvexHull(std::move(all)), true);
    }
    if (subs.empty()) return ClipCut::kCut;
  }
  if (!any) return ClipCut::kInside;
  FromSubs(subs, out, offsets);
  return ClipCut::kCut;
}

}  // namespace pagesieve
