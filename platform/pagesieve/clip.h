// Clip regions of a page run and the cutting of path records to them.
//
// Page objects carry no clip, so what a PDF clips away is cut off when the page is read: a path is
// cut to the clip regions in force, exactly where a region is convex (the rectangles of plots and
// frames, circles, any convex polygon: curves are split where they cross the region's edges and
// stay curves), and a stroke also exactly where it is not. A fill under a region that is not
// convex is cut to the region's convex hull.
#pragma once

#include <vector>

extern "C" {
#include <mupdf/fitz.h>
}

#include "PdfRecords.h"

namespace pagesieve {

struct ClipPoint {
  double x = 0, y = 0;
};

// A clip region in record space: closed polygons (curves flattened to within a hundredth of a
// point) filled by the non-zero or even-odd rule.
struct ClipRegion {
  std::vector<std::vector<ClipPoint>> rings;
  bool even_odd = false;
  bool convex = false;  // one ring, convex: cut exactly by its edges' half-planes
  fz_rect bounds = fz_empty_rect;
};

// The region of a clip path drawn with `ctm`. False when the path cannot be walked.
bool ClipRegionOfPath(fz_context* ctx, const fz_path* path, fz_matrix ctm, bool even_odd, ClipRegion* out);
// A rectangle as a region (clips known only by their bounds).
ClipRegion ClipRegionOfRect(fz_rect r);

enum class ClipCut {
  kInside,   // nothing to cut: the record goes as it is
  kCut,      // `out` holds what is left (empty: nothing is)
};

// Cuts the segments of a path record (in the space `ctm` maps to record space) to every region.
// `fill`: the sub-paths are areas, closed and cut as areas; else they are stroked lines, cut
// into the pieces that lie inside. `offsets`, when given, receives for each sub-path of `out` the
// length of its original sub-path before it starts (in the path's own space), so that dashes can
// go on where they were.
ClipCut CutToClips(const std::vector<const ClipRegion*>& regions, fz_matrix ctm,
                   const std::vector<PdfPathSegment>& in, bool fill, std::vector<PdfPathSegment>* out,
                   std::vector<float>* offsets = nullptr);

}  // namespace pagesieve
