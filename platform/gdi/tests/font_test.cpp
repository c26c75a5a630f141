// Fonts: face resolution, text metrics by GDI's rules, native glyph outlines, Unicode ranges.
#include <gtest/gtest.h>

#include <fontfiles.h>
#include <ftlibrary.h>
#include <wingdi.h>
#include FT_OUTLINE_H

#include <cmath>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "../gdi_fonts.h"

namespace {

// A screen DC with a font of the given face and em height selected.
struct FontDC {
  FontDC(const wchar_t* face, LONG height, BYTE charset = DEFAULT_CHARSET, LONG weight = FW_NORMAL) {
    dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfCharSet = charset;
    lf.lfQuality = ANTIALIASED_QUALITY;
    std::wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
    font = CreateFontIndirectW(&lf);
    old = SelectObject(dc, font);
  }
  ~FontDC() {
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
  }
  HDC dc;
  HFONT font;
  HGDIOBJ old;
};

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

TEST(GdiFontFiles, WindowsFacesResolveToTheirTwins) {
  struct Case {
    const wchar_t* face;
    int weight;
    bool italic;
    int charset;
    const char* file;
  };
  const Case cases[] = {
      {L"Arial", FW_NORMAL, false, DEFAULT_CHARSET, "LiberationSans-Regular.ttf"},
      {L"arial", FW_BOLD, false, ANSI_CHARSET, "LiberationSans-Bold.ttf"},
      {L"Arial", FW_NORMAL, true, ANSI_CHARSET, "LiberationSans-Italic.ttf"},
      {L"Times New Roman", FW_BOLD, true, ANSI_CHARSET, "LiberationSerif-BoldItalic.ttf"},
      {L"Courier New", 0, false, ANSI_CHARSET, "LiberationMono-Regular.ttf"},
      // Full names carry their style.
      {L"Arial Bold", FW_NORMAL, false, ANSI_CHARSET, "LiberationSans-Bold.ttf"},
      {L"Arial Italic", FW_NORMAL, false, ANSI_CHARSET, "LiberationSans-Italic.ttf"},
      {L"Times New Roman Bold Italic", FW_NORMAL, false, ANSI_CHARSET, "LiberationSerif-BoldItalic.ttf"},
      {L"Calibri", FW_NORMAL, false, ANSI_CHARSET, "Carlito-Regular.ttf"},
      {L"Cambria", FW_NORMAL, false, ANSI_CHARSET, "Caladea-Regular.ttf"},
      {L"SimSun", FW_NORMAL, false, GB2312_CHARSET, "wqy-zenhei.ttc"},
      {L"\u5B8B\u4F53", FW_NORMAL, false, DEFAULT_CHARSET, "wqy-zenhei.ttc"},
      {L"MS Mincho", FW_NORMAL, false, SHIFTJIS_CHARSET, "wqy-zenhei.ttc"},
      // An unknown face with a Chinese character set still gets a face with Chinese glyphs.
      {L"No Such Face", FW_NORMAL, false, GB2312_CHARSET, "wqy-zenhei.ttc"},
  };
  for (const Case& c : cases) {
    std::string path;
    int index = -1;
    ASSERT_TRUE(LwResolveFontFile(c.face, c.weight, c.italic, c.charset, &path, &index));
    EXPECT_EQ(FileName(path), c.file) << static_cast<int>(c.face[0]) << " weight " << c.weight;
    EXPECT_EQ(index, 0);
  }
  EXPECT_TRUE(LwHasFontStyle(L"Arial", true, false));
  EXPECT_TRUE(LwHasFontStyle(L"Times New Roman", true, true));
  EXPECT_FALSE(LwHasFontStyle(L"WenQuanYi Zen Hei", true, false));  // one weight only
  EXPECT_STREQ(LwFontAlias(L"ARIAL"), L"Liberation Sans");
  EXPECT_EQ(LwFontAlias(L"Liberation Sans"), nullptr);
}

TEST(GdiFont, SimSunHasChineseGlyphs) {
  FontDC f(L"SimSun", -16, GB2312_CHARSET);
  const DWORD size = GetFontUnicodeRanges(f.dc, nullptr);
  ASSERT_GE(size, sizeof(GLYPHSET));
  std::vector<uint8_t> buf(size);
  auto* gs = reinterpret_cast<GLYPHSET*>(buf.data());
  ASSERT_EQ(GetFontUnicodeRanges(f.dc, gs), size);
  EXPECT_EQ(gs->cbThis, size);
  EXPECT_EQ(size, sizeof(GLYPHSET) + (gs->cRanges - 1) * sizeof(WCRANGE));
  bool has4E2D = false;
  DWORD total = 0;
  for (DWORD i = 0; i < gs->cRanges; ++i) {
    const WCRANGE& r = gs->ranges[i];
    total += r.cGlyphs;
    if (0x4E2D >= r.wcLow && 0x4E2D < r.wcLow + r.cGlyphs) has4E2D = true;
  }
  EXPECT_TRUE(has4E2D);
  EXPECT_EQ(total, gs->cGlyphsSupported);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(f.dc, &tm));
  EXPECT_EQ(tm.tmCharSet, GB2312_CHARSET);
  wchar_t face[LF_FACESIZE];
  EXPECT_EQ(GetTextFaceW(f.dc, LF_FACESIZE, face), 7);
  EXPECT_STREQ(face, L"SimSun");
}

TEST(GdiFont, TextMetricsFollowGdiRules) {
  // The text engine's reference size: an em of 1024 points at 96 dpi.
  HDC screen = GetDC(nullptr);
  const LONG em = MulDiv(1024, GetDeviceCaps(screen, LOGPIXELSY), 72);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(em, 1365);
  FontDC f(L"Arial", -em);
  TEXTMETRICW tm{};
  ASSERT_TRUE(GetTextMetricsW(f.dc, &tm));
  EXPECT_EQ(tm.tmAscent, 1236);
  EXPECT_EQ(tm.tmDescent, 289);
  EXPECT_EQ(tm.tmExternalLeading, 45);
  EXPECT_EQ(tm.tmHeight, 1236 + 289);
  EXPECT_EQ(tm.tmInternalLeading, 1236 + 289 - 1365);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_EQ(tm.tmItalic, 0);
  EXPECT_EQ(tm.tmCharSet, ANSI_CHARSET);
  EXPECT_EQ(tm.tmPitchAndFamily, TMPF_VECTOR | TMPF_TRUETYPE | TMPF_FIXED_PITCH | FF_SWISS);
  EXPECT_GT(tm.tmAveCharWidth, 0);
  EXPECT_GT(tm.tmMaxCharWidth, tm.tmAveCharWidth);

  // A positive height asks for the cell: ascent + descent.
  FontDC cell(L"Arial", 1525);
  ASSERT_TRUE(GetTextMetricsW(cell.dc, &tm));
  EXPECT_EQ(tm.tmHeight, 1525);
  EXPECT_EQ(tm.tmInternalLeading, 160);

  FontDC bold(L"Arial", -20, ANSI_CHARSET, FW_BOLD);
  ASSERT_TRUE(GetTextMetricsW(bold.dc, &tm));
  EXPECT_EQ(tm.tmWeight, FW_BOLD);

  wchar_t face[LF_FACESIZE];
  GetTextFaceW(f.dc, LF_FACESIZE, face);
  EXPECT_STREQ(face, L"Arial");
  EXPECT_EQ(GetTextFaceW(f.dc, 0, nullptr), 6);
  FontDC unknown(L"NoSuchFace", -20);
  GetTextFaceW(unknown.dc, LF_FACESIZE, face);
  EXPECT_STRNE(face, L"NoSuchFace");
}

// A segment of a decoded outline: a line to `p`, or a quadratic over `c` to `p`, in 16.16.
struct Seg {
  bool conic;
  int64_t cx, cy, x, y;
};
using Contours = std::vector<std::vector<Seg>>;

int32_t Raw(const FIXED& f) { return static_cast<int32_t>((static_cast<uint32_t>(static_cast<uint16_t>(f.value)) << 16) | f.fract); }

// Reads GGO_NATIVE records the way the text engine does (implied midpoints made explicit) and
// closes each contour with a line when it does not end at its start.
Contours DecodeNative(const uint8_t* buf, size_t size) {
  Contours out;
  size_t off = 0;
  while (off + sizeof(TTPOLYGONHEADER) <= size) {
    TTPOLYGONHEADER h;
    std::memcpy(&h, buf + off, sizeof h);
    EXPECT_EQ(h.dwType, static_cast<DWORD>(TT_POLYGON_TYPE));
    EXPECT_LE(off + h.cb, size);
    const int64_t sx = Raw(h.pfxStart.x), sy = Raw(h.pfxStart.y);
    int64_t curX = sx, curY = sy;
    std::vector<Seg> segs;
    size_t p = off + sizeof h;
    while (p < off + h.cb) {
      WORD type, count;
      std::memcpy(&type, buf + p, 2);
      std::memcpy(&count, buf + p + 2, 2);
      std::vector<POINTFX> pts(count);
      std::memcpy(pts.data(), buf + p + 4, count * sizeof(POINTFX));
      p += 4 + count * sizeof(POINTFX);
      if (type == TT_PRIM_LINE) {
        for (auto& q : pts) {
          segs.push_back({false, 0, 0, Raw(q.x), Raw(q.y)});
          curX = Raw(q.x);
          curY = Raw(q.y);
        }
      } else {
        EXPECT_EQ(type, TT_PRIM_QSPLINE);
        for (WORD i = 0; i + 1 < count; ++i) {
          int64_t ex = Raw(pts[i + 1].x), ey = Raw(pts[i + 1].y);
          if (i + 2 < count) {
            ex = (Raw(pts[i].x) + ex) / 2;
            ey = (Raw(pts[i].y) + ey) / 2;
          }
          segs.push_back({true, Raw(pts[i].x), Raw(pts[i].y), ex, ey});
          curX = ex;
          curY = ey;
        }
      }
    }
    if (curX != sx || curY != sy) segs.push_back({false, 0, 0, sx, sy});
    out.push_back(segs);
    off += h.cb;
  }
  EXPECT_EQ(off, size);
  return out;
}

// FreeType's own decomposition of the same glyph, in 16.16.
Contours DecomposeWithFreeType(const std::string& path, int ppem, FT_ULong ch) {
  Contours out;
  LwFreeTypeLock lock;
  FT_Face face = nullptr;
  EXPECT_EQ(FT_New_Face(LwFreeType::Acquire(), path.c_str(), 0, &face), 0);
  if (!face) return out;
  FT_Set_Pixel_Sizes(face, 0, ppem);
  EXPECT_EQ(FT_Load_Char(face, ch, FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING), 0);
  FT_Outline_Funcs funcs{};
  funcs.move_to = [](const FT_Vector*, void* user) {
    static_cast<Contours*>(user)->emplace_back();
    return 0;
  };
  funcs.line_to = [](const FT_Vector* to, void* user) {
    static_cast<Contours*>(user)->back().push_back({false, 0, 0, to->x * 1024, to->y * 1024});
    return 0;
  };
  funcs.conic_to = [](const FT_Vector* c, const FT_Vector* to, void* user) {
    static_cast<Contours*>(user)->back().push_back({true, c->x * 1024, c->y * 1024, to->x * 1024, to->y * 1024});
    return 0;
  };
  funcs.cubic_to = [](const FT_Vector*, const FT_Vector*, const FT_Vector*, void*) { return 1; };
  EXPECT_EQ(FT_Outline_Decompose(&face->glyph->outline, &funcs, &out), 0);
  FT_Done_Face(face);
  return out;
}

TEST(GdiGlyphOutline, NativeOutlineDecodesIntoFreeTypesContours) {
  std::string path;
  ASSERT_TRUE(LwResolveFontFile(L"Arial", FW_NORMAL, false, ANSI_CHARSET, &path, nullptr));
  MAT2 identity{};
  identity.eM11.value = 1;
  identity.eM22.value = 1;
  FontDC f(L"Arial", -1365);
  for (wchar_t ch : {L'A', L'S', L'g', L'8'}) {
    SCOPED_TRACE(static_cast<char>(ch));
    GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineW(f.dc, ch, GGO_NATIVE, &gm, 0, nullptr, &identity);
    ASSERT_NE(size, GDI_ERROR);
    ASSERT_GT(size, 0u);
    ASSERT_LE(size, 32736u);
    std::vector<uint8_t> buf(32736);
    ASSERT_EQ(GetGlyphOutlineW(f.dc, ch, GGO_NATIVE, &gm, 32736, buf.data(), &identity), size);
    EXPECT_EQ(GetGlyphOutlineW(f.dc, ch, GGO_NATIVE, &gm, size - 1, buf.data(), &identity), GDI_ERROR);
    const Contours got = DecodeNative(buf.data(), size);
    const Contours want = DecomposeWithFreeType(path, 1365, ch);
    ASSERT_EQ(got.size(), want.size());
    for (size_t c = 0; c < got.size(); ++c) {
      ASSERT_EQ(got[c].size(), want[c].size()) << "contour " << c;
      for (size_t s = 0; s < got[c].size(); ++s) {
        const Seg &a = got[c][s], &b = want[c][s];
        EXPECT_EQ(a.conic, b.conic);
        // Midpoints are halved in 16.16 by the reader and in 26.6 by FreeType.
        EXPECT_NEAR(a.x, b.x, 512);
        EXPECT_NEAR(a.y, b.y, 512);
        EXPECT_NEAR(a.cx, b.cx, 512);
        EXPECT_NEAR(a.cy, b.cy, 512);
      }
    }
    // The black box holds the outline; y is up, so the top of 'A' is the ascent of the box.
    EXPECT_GT(gm.gmBlackBoxX, 0u);
    EXPECT_GT(gm.gmCellIncX, 0);
    EXPECT_EQ(gm.gmCellIncY, 0);
  }
}

TEST(GdiGlyphOutline, MetricsSpacesMatricesAndErrors) {
  FontDC f(L"Arial", -1365);
  MAT2 identity{};
  identity.eM11.value = 1;
  identity.eM22.value = 1;
  GLYPHMETRICS a{}, space{};
  ASSERT_NE(GetGlyphOutlineW(f.dc, 'A', GGO_METRICS, &a, 0, nullptr, &identity), GDI_ERROR);
  // Liberation Sans 'A' advances 1366 of 2048 units.
  EXPECT_EQ(a.gmCellIncX, 910);
  EXPECT_GT(a.gmptGlyphOrigin.y, 900);
  // A space has an advance but no outline.
  EXPECT_EQ(GetGlyphOutlineW(f.dc, ' ', GGO_NATIVE, &space, 0, nullptr, &identity), 0u);
  EXPECT_EQ(space.gmCellIncX, 379);

  // The matrix applies to points and advance: a scale by 2 doubles both.
  MAT2 twice = identity;
  twice.eM11.value = 2;
  twice.eM22.value = 2;
  std::vector<uint8_t> one(32736), two(32736);
  GLYPHMETRICS g2{};
  const DWORD n1 = GetGlyphOutlineW(f.dc, 'A', GGO_NATIVE, nullptr, 32736, one.data(), &identity);
  const DWORD n2 = GetGlyphOutlineW(f.dc, 'A', GGO_NATIVE, &g2, 32736, two.data(), &twice);
  ASSERT_EQ(n1, n2);
  TTPOLYGONHEADER h1, h2;
  std::memcpy(&h1, one.data(), sizeof h1);
  std::memcpy(&h2, two.data(), sizeof h2);
  EXPECT_NEAR(Raw(h2.pfxStart.x), 2.0 * Raw(h1.pfxStart.x), 2);
  EXPECT_NEAR(Raw(h2.pfxStart.y), 2.0 * Raw(h1.pfxStart.y), 2);
  EXPECT_EQ(g2.gmCellIncX, 1821);  // 2 x 1366 x 1365 / 2048 = 1820.9

  // Formats this layer does not make, and a DC without a usable font, fail with GDI_ERROR.
  EXPECT_EQ(GetGlyphOutlineW(f.dc, 'A', GGO_BITMAP, &a, 0, nullptr, &identity), GDI_ERROR);
  EXPECT_EQ(GetGlyphOutlineW(nullptr, 'A', GGO_NATIVE, &a, 0, nullptr, &identity), GDI_ERROR);
  // Glyph indexes beyond the font are refused.
  EXPECT_EQ(GetGlyphOutlineW(f.dc, 0xFFFF, GGO_NATIVE | GGO_GLYPH_INDEX, &a, 0, nullptr, &identity), GDI_ERROR);
}

TEST(GdiGlyphOutline, OutlinesFromManyThreads) {
  // Render workers take glyphs through their own DCs while the UI thread does too.
  std::vector<std::thread> threads;
  std::vector<DWORD> sizes(4);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t, &sizes] {
      FontDC f(t % 2 ? L"Times New Roman" : L"Arial", -1365);
      MAT2 m{};
      m.eM11.value = 1;
      m.eM22.value = 1;
      std::vector<uint8_t> buf(32736);
      DWORD total = 0;
      for (wchar_t c = L'a'; c <= L'z'; ++c) {
        GLYPHMETRICS gm;
        const DWORD n = GetGlyphOutlineW(f.dc, c, GGO_NATIVE, &gm, 32736, buf.data(), &m);
        if (n != GDI_ERROR) total += n;
      }
      sizes[t] = total;
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(sizes[0], sizes[2]);
  EXPECT_EQ(sizes[1], sizes[3]);
  EXPECT_GT(sizes[0], 0u);
}

TEST(GdiFont, FontDataAndFileDescriptions) {
  FontDC f(L"Arial", -12);
  const DWORD head = 'h' | ('e' << 8) | ('a' << 16) | ('d' << 24);
  EXPECT_EQ(GetFontData(f.dc, head, 0, nullptr, 0), 54u);
  uint8_t buf[4];
  ASSERT_EQ(GetFontData(f.dc, head, 12, buf, 4), 4u);
  EXPECT_EQ(buf[0], 0x5F);  // the magic number 0x5F0F3CF5
  EXPECT_EQ(buf[3], 0xF5);
  const DWORD missing = 'z' | ('z' << 8) | ('z' << 16) | ('z' << 24);
  EXPECT_EQ(GetFontData(f.dc, missing, 0, nullptr, 0), GDI_ERROR);

  std::string path;
  ASSERT_TRUE(LwResolveFontFile(L"Arial", FW_BOLD, false, ANSI_CHARSET, &path, nullptr));
  const std::wstring wpath(path.begin(), path.end());
  wchar_t name[64];
  DWORD size = sizeof name;
  ASSERT_TRUE(GetFontResourceInfoW(wpath.c_str(), &size, name, QFR_DESCRIPTION));
  EXPECT_STREQ(name, L"Liberation Sans Bold");
  EXPECT_EQ(size, (std::wcslen(name) + 1) * sizeof(wchar_t));
  size = sizeof name;
  EXPECT_FALSE(GetFontResourceInfoW(L"/nonexistent/font.ttf", &size, name, QFR_DESCRIPTION));
}

// Hand-made outlines for the record builder: a contour starting off-curve, and a cubic one.
TEST(GdiNativeRecords, BuilderHandlesOffCurveStartsAndCubics) {
  FT_Vector pts[] = {{0, 0}, {64, 0}, {64, 64}, {0, 64},           // contour 0: all conic
                     {0, 0}, {128, 0}, {128, 128}, {0, 128}};      // contour 1: on, cubic, cubic, on
  char tags[] = {FT_CURVE_TAG_CONIC, FT_CURVE_TAG_CONIC, FT_CURVE_TAG_CONIC, FT_CURVE_TAG_CONIC,
                 FT_CURVE_TAG_ON,    FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_ON};
  short contours[] = {3, 7};
  FT_Outline o{};
  o.n_contours = 2;
  o.n_points = 8;
  o.points = pts;
  o.tags = tags;
  o.contours = contours;
  std::vector<uint8_t> recs;
  ASSERT_TRUE(lwgdi::BuildNativeOutline(o, &recs));
  const Contours c = DecodeNative(recs.data(), recs.size());
  ASSERT_EQ(c.size(), 2u);
  // Contour 0 starts at the midpoint of its last and first points and is four quadratics.
  ASSERT_EQ(c[0].size(), 4u);
  EXPECT_TRUE(c[0][0].conic);
  EXPECT_EQ(c[0][3].x, 0);
  EXPECT_EQ(c[0][3].y, 32 * 1024);
  // Contour 1: quadratics approximating the cubic, ending on (0, 128); then the closing line.
  ASSERT_GE(c[1].size(), 3u);
  EXPECT_FALSE(c[1].back().conic);
  const Seg& last = c[1][c[1].size() - 2];
  EXPECT_EQ(last.x, 0);
  EXPECT_EQ(last.y, 128 * 1024);

  // Malformed: a contour starting with a cubic control; an end index past the points.
  char bad[] = {FT_CURVE_TAG_CUBIC, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON, FT_CURVE_TAG_ON};
  short one[] = {3};
  FT_Outline b{};
  b.n_contours = 1;
  b.n_points = 4;
  b.points = pts;
  b.tags = bad;
  b.contours = one;
  EXPECT_FALSE(lwgdi::BuildNativeOutline(b, &recs));
  short past[] = {9};
  b.tags = tags;
  b.contours = past;
  EXPECT_FALSE(lwgdi::BuildNativeOutline(b, &recs));
}

TEST(GdiNativeRecords, CubicApproximationStaysOnTheCurve) {
  const FT_Vector p0{0, 0}, c1{0, 6400}, c2{6400, 6400}, p3{6400, 0};
  std::vector<FT_Vector> q;
  lwgdi::CubicToQuadratics(p0, c1, c2, p3, &q);
  ASSERT_GE(q.size(), 4u);
  ASSERT_EQ(q.size() % 2, 0u);
  EXPECT_EQ(q.back().x, p3.x);
  EXPECT_EQ(q.back().y, p3.y);
  // Each quadratic's midpoint lies within 1/8 pixel of the cubic's nearest sampled point.
  auto cubic = [&](double t, double a, double b, double c, double d) {
    const double u = 1 - t;
    return u * u * u * a + 3 * u * u * t * b + 3 * u * t * t * c + t * t * t * d;
  };
  FT_Vector start = p0;
  for (size_t k = 0; k < q.size(); k += 2) {
    const double mx = 0.25 * start.x + 0.5 * q[k].x + 0.25 * q[k + 1].x;
    const double my = 0.25 * start.y + 0.5 * q[k].y + 0.25 * q[k + 1].y;
    double best = 1e18;
    for (int i = 0; i <= 2000; ++i) {
      const double t = i / 2000.0;
      const double dx = cubic(t, p0.x, c1.x, c2.x, p3.x) - mx, dy = cubic(t, p0.y, c1.y, c2.y, p3.y) - my;
      best = std::min(best, std::sqrt(dx * dx + dy * dy));
    }
    EXPECT_LT(best, 8.0) << k;
    start = q[k + 1];
  }
}

}  // namespace
