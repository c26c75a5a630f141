// What a clip path cuts away does not come: paths are cut to the clip regions in force (curves
// stay curves), text and images the clips hide whole are left out.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "RecordingParser.h"

using namespace pstest;

namespace {

struct P {
  double x, y;
};

// The record's segments with rectangles written out as moves and lines.
std::vector<PdfPathSegment> Expanded(const Path& p) {
  std::vector<PdfPathSegment> out;
  for (const PdfPathSegment& s : p.segs) {
    if (s.op != kPdfRectangle) {
      out.push_back(s);
      continue;
    }
    out.push_back({kPdfMoveTo, s.x1, s.y1, 0, 0, 0, 0});
    out.push_back({kPdfLineTo, s.x1 + s.x2, s.y1, 0, 0, 0, 0});
    out.push_back({kPdfLineTo, s.x1 + s.x2, s.y1 + s.y2, 0, 0, 0, 0});
    out.push_back({kPdfLineTo, s.x1, s.y1 + s.y2, 0, 0, 0, 0});
    out.push_back({kPdfClose, 0, 0, 0, 0, 0, 0});
  }
  return out;
}

// Every point of a record's outline in record space, sampled along its lines and curves; and the
// length of the outline (closing lines included).
double Walk(const Path& p, const std::function<void(P)>& visit) {
  const float* m = p.rec.matrix;
  auto rec = [&](double x, double y) { return P{x * m[0] + y * m[2] + m[4], x * m[1] + y * m[3] + m[5]}; };
  P pen{0, 0}, start{0, 0};
  double length = 0;
  auto line = [&](P to) {
    for (int i = 0; i <= 20; ++i) {
      const double t = i / 20.0;
      visit(rec(pen.x + (to.x - pen.x) * t, pen.y + (to.y - pen.y) * t));
    }
    const P a = rec(pen.x, pen.y), b = rec(to.x, to.y);
    length += std::hypot(b.x - a.x, b.y - a.y);
    pen = to;
  };
  for (const PdfPathSegment& s : Expanded(p)) {
    switch (s.op) {
      case kPdfMoveTo: pen = start = P{s.x1, s.y1}; visit(rec(pen.x, pen.y)); break;
      case kPdfLineTo: line(P{s.x1, s.y1}); break;
      case kPdfCurveTo: {
        P prev = rec(pen.x, pen.y);
        for (int i = 1; i <= 40; ++i) {
          const double t = i / 40.0, u = 1 - t;
          const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
          const P q = rec(a * pen.x + b * s.x1 + c * s.x2 + d * s.x3, a * pen.y + b * s.y1 + c * s.y2 + d * s.y3);
          visit(q);
          length += std::hypot(q.x - prev.x, q.y - prev.y);
          prev = q;
        }
        pen = P{s.x3, s.y3};
        break;
      }
      case kPdfClose: line(start); break;
      default: ADD_FAILURE() << "unexpected operator " << s.op;
    }
  }
  return length;
}

// The area a filled record covers (shoelace over its sampled outline; its sub-paths do not overlap).
double Area(const Path& p) {
  double area = 0;
  P prev{0, 0};
  bool have = false;
  const float* m = p.rec.matrix;
  auto rec = [&](double x, double y) { return P{x * m[0] + y * m[2] + m[4], x * m[1] + y * m[3] + m[5]}; };
  P pen{0, 0}, start{0, 0};
  auto to = [&](P q) {
    if (have) area += prev.x * q.y - q.x * prev.y;
    prev = q;
    have = true;
  };
  for (const PdfPathSegment& s : Expanded(p)) {
    if (s.op == kPdfMoveTo) {
      if (have) to(rec(start.x, start.y));
      have = false;
      pen = start = P{s.x1, s.y1};
      to(rec(pen.x, pen.y));
    } else if (s.op == kPdfLineTo) {
      pen = P{s.x1, s.y1};
      to(rec(pen.x, pen.y));
    } else if (s.op == kPdfCurveTo) {
      for (int i = 1; i <= 200; ++i) {
        const double t = i / 200.0, u = 1 - t;
        const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        to(rec(a * pen.x + b * s.x1 + c * s.x2 + d * s.x3, a * pen.y + b * s.y1 + c * s.y2 + d * s.y3));
      }
      pen = P{s.x3, s.y3};
    } else if (s.op == kPdfClose) {
      to(rec(start.x, start.y));
    }
  }
  if (have) to(rec(start.x, start.y));
  return std::fabs(area) / 2;
}

RecordingParser Parse(const std::string& content, const std::string& resources = "<< >>") {
  lwtest::PdfBuilder b;
  return ParsePage(b.FinishPages({content}, resources));
}

bool InRect(P p, double x0, double y0, double x1, double y1, double eps = 1e-3) {
  return p.x >= x0 - eps && p.x <= x1 + eps && p.y >= y0 - eps && p.y <= y1 + eps;
}

}  // namespace

// Strokes and fills against a rectangular clip, in several spaces: what crosses it is cut at its
// edges; what lies inside comes as it was; what lies outside does not come.
TEST(PagesieveClip, RectangularClipCutsPathsAtItsEdges) {
  struct Case {
    const char* what;
    std::string content;      // drawn inside the clip 100 100 200 200 re (record space)
    int records;              // path records that come
    double length;            // stroke: length of what is left; fill: area (0: not checked)
    int segments;             // segments of the first record (0: not checked)
  };
  const std::string clip = "100 100 200 200 re W n\n";
  const Case cases[] = {
      {"a line across", clip + "50 150 m 400 150 l S", 1, 200, 2},
      {"a slanted line into a corner", clip + "0 0 m 400 400 l S", 1, 200 * std::sqrt(2.0), 2},
      {"a line outside", clip + "20 20 m 90 400 l S", 0, 0, 0},
      {"a line inside", clip + "120 120 m 280 280 l S", 1, 160 * std::sqrt(2.0), 2},
      {"a polyline leaving and coming back", clip + "50 150 m 250 150 l 250 400 l 350 400 l 350 250 l 150 250 l S", 1,
       200 + 50 + 50 + 150, 0},
      {"a filled square over a corner", clip + "250 250 100 100 re f", 1, 50 * 50, 0},
      {"a filled square outside", clip + "400 400 50 50 re f", 0, 0, 0},
      {"a filled square inside", clip + "150 150 50 50 re f", 1, 50 * 50, 1},
      {"a clip and a path in other spaces", "2 0 0 2 0 0 cm 50 50 100 100 re W n 0.5 0 0 0.5 0 0 cm 0 300 m 800 300 l S",
       1, 200, 2},
      {"two clips: their intersection", clip + "150 50 400 150 re W n 0 150 m 600 150 l S 0 220 m 600 220 l S", 1, 150,
       2},
      {"a clip that ended", "q " + clip + "Q 50 150 m 400 150 l S", 1, 350, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RecordingParser rec = Parse(c.content);
    ASSERT_EQ(static_cast<int>(rec.paths.size()), c.records);
    if (c.records == 0) continue;
    double measure = 0;
    const bool fill = rec.paths[0].rec.fill_on != 0;
    for (const Path& p : rec.paths) {
      const double len = Walk(p, [&](P q) {
        if (std::string(c.what) != "a clip that ended") {
          EXPECT_TRUE(InRect(q, 100, 100, 300, 300)) << q.x << "," << q.y;
        }
      });
      measure += fill ? Area(p) : len;
    }
    EXPECT_NEAR(measure, c.length, 0.01 * c.length);
    if (c.segments) {
      EXPECT_EQ(static_cast<int>(rec.paths[0].segs.size()), c.segments);
    }
  }
}

// A filled and stroked path over a clip's edge comes as two records: the fill cut as an area,
// closed along the clip's edge, and the stroke cut into the lines inside (no stroke along the
// clip's edge).
TEST(PagesieveClip, FillAndStrokeAreCutApart) {
  RecordingParser rec = Parse("0 0 1 rg 1 0 0 RG 4 w 100 100 200 200 re W n 50 50 100 100 re B");
  ASSERT_EQ(rec.paths.size(), 2u);
  const Path& fill = rec.paths[0];
  const Path& stroke = rec.paths[1];
  EXPECT_TRUE(fill.rec.fill_on && !fill.rec.stroke_on);
  EXPECT_TRUE(stroke.rec.stroke_on && !stroke.rec.fill_on);
  EXPECT_EQ(stroke.rec.line_width, 4);
  EXPECT_NEAR(Area(fill), 50 * 50, 1);
  EXPECT_EQ(fill.segs.back().op, kPdfClose);
  EXPECT_NEAR(Walk(stroke, [](P) {}), 100, 0.01);  // the two sides of the square inside
  for (const PdfPathSegment& s : stroke.segs) EXPECT_NE(s.op, kPdfClose);
}

// Clips that are not rectangles: a disc (curves, convex) cuts fills and strokes exactly, curves
// staying curves; an L-shaped clip (not convex) cuts strokes exactly.
TEST(PagesieveClip, CurvedAndConcaveClips) {
  // A disc of radius 100 round (300, 300), made of four curves.
  const std::string disc =
      "400 300 m 400 355.23 355.23 400 300 400 c 244.77 400 200 355.23 200 300 c "
      "200 244.77 244.77 200 300 200 c 355.23 200 400 244.77 400 300 c h W n\n";
  auto in_disc = [](P q) { return std::hypot(q.x - 300, q.y - 300) <= 100.05; };
  {
    SCOPED_TRACE("a line through the disc");
    RecordingParser rec = Parse(disc + "0 300 m 600 300 l S");
    ASSERT_EQ(rec.paths.size(), 1u);
    EXPECT_NEAR(Walk(rec.paths[0], [&](P q) { EXPECT_TRUE(in_disc(q)) << q.x << "," << q.y; }), 200, 0.5);
  }
  {
    SCOPED_TRACE("a circle of radius 60 round the disc's edge: curves cut, still curves");
    RecordingParser rec = Parse(disc +
                                "460 300 m 460 333.14 433.14 360 400 360 c 366.86 360 340 333.14 340 300 c "
                                "340 266.86 366.86 240 400 240 c 433.14 240 460 266.86 460 300 c h S");
    ASSERT_EQ(rec.paths.size(), 1u);
    bool curves = false;
    for (const PdfPathSegment& s : rec.paths[0].segs) curves = curves || s.op == kPdfCurveTo;
    EXPECT_TRUE(curves);
    // The arc of the small circle inside the big one: from -x to +x where they cross, 2 * 60 * acos(0.3).
    EXPECT_NEAR(Walk(rec.paths[0], [&](P q) { EXPECT_TRUE(in_disc(q)) << q.x << "," << q.y; }),
                2 * 60 * std::acos(0.3), 1.0);
  }
  {
    SCOPED_TRACE("a square filled over the disc: a quarter of it");
    RecordingParser rec = Parse(disc + "300 300 200 200 re f");
    ASSERT_EQ(rec.paths.size(), 1u);
    Walk(rec.paths[0], [&](P q) { EXPECT_TRUE(in_disc(q)) << q.x << "," << q.y; });
    EXPECT_NEAR(Area(rec.paths[0]), M_PI * 100 * 100 / 4, 30);
  }
  {
    SCOPED_TRACE("an L-shaped clip: a line across its notch comes in two pieces");
    // The L: (100,100)-(300,100)-(300,200)-(200,200)-(200,300)-(100,300).
    RecordingParser rec = Parse("100 100 m 300 100 l 300 200 l 200 200 l 200 300 l 100 300 l h W n "
                                "0 150 m 400 150 l S 0 250 m 400 250 l S 150 0 m 150 400 l S 250 400 m 250 0 l S");
    ASSERT_EQ(rec.paths.size(), 4u);
    const double want[] = {200, 100, 200, 100};
    for (int i = 0; i < 4; ++i) {
      EXPECT_NEAR(Walk(rec.paths[i],
                       [&](P q) {
                         const bool in = InRect(q, 100, 100, 300, 200) || InRect(q, 100, 100, 200, 300);
                         EXPECT_TRUE(in) << q.x << "," << q.y;
                       }),
                  want[i], 0.01)
          << i;
    }
  }
}

// Text and pictures the clips hide whole are left out; of a picture in part shown, the pixels
// shown stay; of a text, the glyphs.
TEST(PagesieveClip, HiddenTextAndPicturesAreLeftOut) {
  const std::string res = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> "
                          "/XObject << /Im1 IMAGE >> >>";
  lwtest::PdfBuilder b;
  const int image = b.AddStream(
      "/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceRGB /BitsPerComponent 8",
      std::vector<uint8_t>(12, 0x80));
  std::string resources = res;
  resources.replace(resources.find("IMAGE"), 5, std::to_string(image) + " 0 R");
  const std::vector<uint8_t> pdf = b.FinishPages(
      {"q 100 100 200 200 re W n\n"
       "BT /F1 12 Tf 120 200 Td (Inside) Tj ET\n"
       "BT /F1 12 Tf 400 200 Td (Outside) Tj ET\n"
       "BT /F1 12 Tf 250 200 Td (Across the edge) Tj ET\n"
       "q 50 0 0 50 150 150 cm /Im1 Do Q\n"
       "q 50 0 0 50 350 150 cm /Im1 Do Q\n"
       "q 100 0 0 50 250 150 cm /Im1 Do Q\n"
       "Q BT /F1 12 Tf 400 500 Td (After the clip) Tj ET\n"},
      resources);
  RecordingParser rec = ParsePage(pdf);
  std::vector<std::u16string> texts;
  for (const Text& t : rec.texts) texts.push_back(t.str());
  // The glyphs of a text the clip hides whole are left out, those it shows in part stay.
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], u"Inside");
  EXPECT_EQ(texts[1].substr(0, 7), u"Across ");
  EXPECT_LT(texts[1].size(), std::u16string(u"Across the edge").size());
  EXPECT_EQ(texts[2], u"After the clip");
  // The picture across the clip's edge is cut to the pixels the clip shows: one column of two.
  ASSERT_EQ(rec.images.size(), 2u);
  EXPECT_EQ(rec.images[0].rec.width, 2);
  const Image& cut = rec.images[1];
  EXPECT_EQ(cut.rec.width, 1);
  EXPECT_EQ(cut.rec.height, 2);
  EXPECT_EQ(cut.rec.data_length, 8);  // one 3-byte pixel a row, rows of 4 bytes
  auto [x0, y0] = Apply(cut.rec.matrix, 0, 0);
  auto [x1, y1] = Apply(cut.rec.matrix, 1, 1);
  EXPECT_NEAR(std::min(x0, x1), 250, 1e-3);
  EXPECT_NEAR(std::max(x0, x1), 300, 1e-3);
  EXPECT_NEAR(std::min(y0, y1), 150, 1e-3);
  EXPECT_NEAR(std::max(y0, y1), 200, 1e-3);
}

// A dashed line cut by a clip keeps its dashes where they were: each piece starts its pattern as
// far into it as the line had come.
TEST(PagesieveClip, DashesGoOnWhereTheyWere) {
  RecordingParser rec = Parse("100 100 200 200 re W n [10 6] 3 d 2 0 0 2 0 0 cm "
                              "25 75 m 200 75 l 200 200 l S");  // from (50, 150) right, then up out of the clip
  ASSERT_EQ(rec.paths.size(), 1u);
  const Path& p = rec.paths[0];
  ASSERT_EQ(p.rec.dash_count, 2);
  // The clip's left edge is 25 units (in the path's space) along the line.
  EXPECT_NEAR(p.rec.dash_phase, 3 + 25, 1e-3);
  EXPECT_NEAR(Walk(p, [](P) {}), 200, 0.01);

  RecordingParser two = Parse("100 100 200 200 re W n [10 6] 0 d 50 150 m 400 150 l 400 250 l 0 250 l S");
  ASSERT_EQ(two.paths.size(), 2u);  // the line's two pieces inside, each with its own phase
  EXPECT_NEAR(two.paths[0].rec.dash_phase, 50, 1e-3);
  EXPECT_NEAR(two.paths[1].rec.dash_phase, 350 + 100 + 100, 1e-3);
}
