// cpdfEngine over MuPDF: opens the document, loads the fonts of a page and runs the page through
// a device that turns MuPDF's drawing calls into the engine's records.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <memory>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "LatinAccents.h"
#include "clip.h"
#include "engine_internal.h"
#include "lwstr.h"

using pagesieve::FontEntry;

namespace {

constexpr int64_t kMaxImagePixels = int64_t{64} << 20;
constexpr double kMaxRasterPixels = 4.0 * 1024 * 1024;
constexpr float kRasterScale = 2.0f;  // 144 dots per inch
constexpr int kMaxRasterSide = 16384;
// Ids of fonts without an object number start above the largest object number a PDF may use.
constexpr int kFirstSyntheticFontId = 8388608;
// What one page may make the import spend: records, and bytes of path segments and newly decoded
// pixels. Past either, the page keeps what it has and is marked simplified.
constexpr size_t kMaxPageRecords = 50000;
constexpr uint64_t kMaxPageBytes = uint64_t{320} << 20;
// Decoded images kept for the whole document, so that an image drawn again (on this page or
// another) is not decoded again; beyond this many bytes, images are decoded where drawn.
constexpr uint64_t kMaxCachedImageBytes = uint64_t{384} << 20;
// The detail an image is decoded with: pixels a point (300 a inch) at the size it is drawn. A
// larger image is decoded at the power-of-two fraction of its size that still gives that much
// (MuPDF subsamples while it decodes, JPEG in the decoder itself).
constexpr double kImagePixelsPerPoint = 300.0 / 72.0;
constexpr int kMaxImageReduction = 5;  // at most 1/32 of the side

void Quiet(void*, const char*) {}

// Adds an omission unless the list has it already (or is full).
void AddOmission(std::vector<PdfPageOmission>& list, const PdfPageOmission& o) {
  for (const PdfPageOmission& known : list)
    if (known.kind == o.kind && known.width == o.width && known.height == o.height) return;
  try {
    if (list.size() < 64) list.push_back(o);
  } catch (...) {
  }
}

}  // namespace

struct cpdfEngine::Impl {
  fz_context* ctx = nullptr;
  pdf_document* doc = nullptr;
  int pages = 0;
  std::string open_error;  // why the file could not be opened (MuPDF's words)
  int next_synthetic_id = kFirstSyntheticFontId;
  int walk_budget = 0;  // resource dictionaries a page may still visit for its fonts
  std::vector<std::unique_ptr<FontEntry>> fonts;
  std::unordered_map<int, FontEntry*> by_num;
  std::unordered_map<fz_font*, FontEntry*> by_font;

  // Images decoded once per document. The key holds a reference to its image, so that MuPDF's
  // one image object per PDF object stays the same pointer for as long as the document is open.
  struct DecodedImage {
    int32_t id = 0;
    int w = 0, h = 0, bpp = 0;
    std::vector<uint8_t> data;
  };
  // Both by image and reduction (the power of two its sides were divided by when decoded).
  using ImageKey = std::pair<fz_image*, int>;
  std::map<ImageKey, std::shared_ptr<const DecodedImage>> images;
  std::map<ImageKey, int32_t> image_ids;  // every image delivered
  uint64_t cached_image_bytes = 0;
  std::vector<PdfPageOmission> last_omissions;
  // The omissions of the page being drawn, for what MuPDF only tells in its warnings. While the
  // page's fonts are loaded ahead of it, a font program that did not load is only noted
  // (font_warned) and named when its text is drawn.
  std::vector<PdfPageOmission>* run_omissions = nullptr;
  const fz_cookie* run_cookie = nullptr;  // its progress counts the content operators run so far
  bool preloading = false;
  bool font_warned = false;

  int32_t ImageId(fz_image* img, int reduction) {
    auto it = image_ids.find({img, reduction});
    if (it != image_ids.end()) return it->second;
    const int32_t id = static_cast<int32_t>(image_ids.size() + 1);
    image_ids.emplace(ImageKey{fz_keep_image(ctx, img), reduction}, id);
    return id;
  }

  ~Impl() {
    if (!ctx) return;
    images.clear();
    for (auto& [key, id] : image_ids) fz_drop_image(ctx, key.first);
    image_ids.clear();
    for (auto& f : fonts) {
      fz_drop_font(ctx, f->font);
      pdf_drop_font(ctx, f->desc);
      pdf_drop_obj(ctx, f->dict);
    }
    fonts.clear();
    pdf_drop_document(ctx, doc);
    fz_drop_context(ctx);
  }

  // Takes over one reference each to dict and desc (either may be null). Never throws.
  FontEntry* AddFont(pdf_obj* dict, pdf_font_desc* desc, fz_font* font) noexcept {
    int num = dict ? pdf_to_num(ctx, dict) : 0;
    auto it = by_font.find(font);
    if (it != by_font.end()) {
      pdf_drop_obj(ctx, dict);
      pdf_drop_font(ctx, desc);
      return it->second;
    }
    try {
      auto e = std::make_unique<FontEntry>();
      e->id = num > 0 ? num : next_synthetic_id++;
      e->dict = dict;
      e->desc = desc;
      e->font = fz_keep_font(ctx, font);
      FontEntry* p = e.get();
      fonts.push_back(std::move(e));
      if (num > 0) by_num.emplace(num, p);
      by_font.emplace(font, p);
      return p;
    } catch (...) {
      pdf_drop_obj(ctx, dict);
      pdf_drop_font(ctx, desc);
      return nullptr;
    }
  }
};

namespace {

using Impl = cpdfEngine::Impl;

// ---------------------------------------------------------------------------------------------
// Font loading before a page runs, so that each font of the page is known with its dictionary
// (object number, embedding) when its text arrives.

int IsKnownFont(Impl* impl, pdf_obj* dict) noexcept {
  int num = pdf_to_num(impl->ctx, dict);
  return num > 0 && impl->by_num.count(num) ? 1 : 0;
}

void WalkFonts(fz_context* ctx, Impl* impl, pdf_obj* res, int depth);

void WalkFormResources(fz_context* ctx, Impl* impl, pdf_obj* dict, int depth) {
  int n = pdf_dict_len(ctx, dict);
  for (int i = 0; i < n; ++i) {
    pdf_obj* obj = pdf_dict_get_val(ctx, dict, i);
    WalkFonts(ctx, impl, pdf_dict_get(ctx, obj, PDF_NAME(Resources)), depth + 1);
  }
}

// MuPDF goes on past a font program it cannot load (drawing its text in a stand-in font) and
// past an object it cannot read (as if it were null), saying so only in a warning: those
// warnings, while a page is read, are what the page left out.
void NoteWarning(void* user, const char* message) {
  auto* impl = static_cast<cpdfEngine::Impl*>(user);
  if (!impl || !message) return;
  static constexpr const char kFont[] = "ignored error when loading embedded font";
  static constexpr const char kObject[] = "cannot load object";
  const bool font = std::strncmp(message, kFont, sizeof(kFont) - 1) == 0;
  if (font) impl->font_warned = true;
  if (impl->preloading || !impl->run_omissions) return;
  // Before the first operator MuPDF looks through the page's resources (for blending), including
  // objects the page never draws: only what the drawing itself could not read is left out.
  if (!impl->run_cookie || impl->run_cookie->progress == 0) return;
  if (font)
    AddOmission(*impl->run_omissions, PdfPageOmission{kPdfFontUnreadable, 0, 0});
  else if (std::strncmp(message, kObject, sizeof(kObject) - 1) == 0)
    AddOmission(*impl->run_omissions, PdfPageOmission{kPdfPartUnreadable, 0, 0});
}

pdf_font_desc* LoadFont(fz_context* ctx, pdf_document* doc, pdf_obj* res, pdf_obj* font) {
  pdf_font_desc* desc = nullptr;
  fz_var(desc);
  fz_try(ctx) { desc = pdf_load_font(ctx, doc, res, font); }
  fz_catch(ctx) { desc = nullptr; }
  return desc;
}

void WalkFonts(fz_context* ctx, Impl* impl, pdf_obj* res, int depth) {
  if (depth > 8 || impl->walk_budget <= 0 || !pdf_is_dict(ctx, res)) return;
  --impl->walk_budget;  // shared forms would otherwise be walked once per path that reaches them
  if (pdf_mark_obj(ctx, res)) return;  // a cycle
  fz_try(ctx) {
    pdf_obj* fonts = pdf_dict_get(ctx, res, PDF_NAME(Font));
    int n = pdf_dict_len(ctx, fonts);
    for (int i = 0; i < n; ++i) {
      pdf_obj* f = pdf_dict_get_val(ctx, fonts, i);
      if (!pdf_is_dict(ctx, f) || IsKnownFont(impl, f)) continue;
      fz_flush_warnings(ctx);  // the same warning for another font must reach us again
      impl->font_warned = false;
      pdf_font_desc* desc = LoadFont(ctx, impl->doc, res, f);
      if (desc && desc->font) {
        if (FontEntry* e = impl->AddFont(pdf_keep_obj(ctx, f), desc, desc->font)) e->stand_in = impl->font_warned;
      } else {
        pdf_drop_font(ctx, desc);
      }
    }
    WalkFormResources(ctx, impl, pdf_dict_get(ctx, res, PDF_NAME(XObject)), depth);
    WalkFormResources(ctx, impl, pdf_dict_get(ctx, res, PDF_NAME(Pattern)), depth);
  }
  fz_always(ctx) { pdf_unmark_obj(ctx, res); }
  fz_catch(ctx) {}  // a damaged resource dictionary only loses its fonts
}

void PreloadFonts(fz_context* ctx, Impl* impl, pdf_page* page) {
  impl->walk_budget = 2000;
  fz_try(ctx) {
    WalkFonts(ctx, impl, pdf_page_resources(ctx, page), 0);
    pdf_obj* annots = pdf_dict_get(ctx, page->obj, PDF_NAME(Annots));
    int n = std::min(pdf_array_len(ctx, annots), 1000);
    for (int i = 0; i < n; ++i) {
      pdf_obj* ap = pdf_dict_getp(ctx, pdf_array_get(ctx, annots, i), "AP/N");
      if (pdf_is_stream(ctx, ap))
        WalkFonts(ctx, impl, pdf_dict_get(ctx, ap, PDF_NAME(Resources)), 1);
      else
        WalkFormResources(ctx, impl, ap, 0);
    }
  }
  fz_catch(ctx) {}
}

// ---------------------------------------------------------------------------------------------
// Small MuPDF calls that may throw, each kept in its own try.

void ToRgb(fz_context* ctx, fz_colorspace* cs, const float* color, float rgb[3]) {
  rgb[0] = rgb[1] = rgb[2] = 0;
  if (!cs || !color) return;
  fz_try(ctx) { fz_convert_color(ctx, cs, color, fz_device_rgb(ctx), rgb, nullptr, fz_default_color_params); }
  fz_catch(ctx) { rgb[0] = rgb[1] = rgb[2] = 0; }
  for (int i = 0; i < 3; ++i) rgb[i] = std::clamp(rgb[i], 0.0f, 1.0f);
}

float Advance(fz_context* ctx, fz_font* font, int gid, int wmode) {
  float a = 0;
  fz_var(a);
  fz_try(ctx) { a = fz_advance_glyph(ctx, font, gid, wmode); }
  fz_catch(ctx) { a = 0; }
  return std::isfinite(a) ? a : 0.0f;
}

// The width in ems the PDF gives a glyph of `e` (its Widths, W or the standard metrics), the
// width MuPDF places the next glyph by; the face's own advance where the code is not known.
float PdfWidth(fz_context* ctx, const FontEntry& e, fz_font* font, int gid, int wmode) {
  if (e.desc && wmode == 0) {
    auto it = e.gid_to_cid.find(gid);
    const bool found = it != e.gid_to_cid.end() || (it = e.gid_to_code.find(gid)) != e.gid_to_code.end();
    if (found) {
      const float w = pdf_lookup_hmtx(ctx, e.desc, it->second).w / 1000.0f;
      if (std::isfinite(w) && w > 0) return w;
    }
  }
  return Advance(ctx, font, gid, wmode);
}

// The font's glyph for a Unicode character through its own character map, or 0.
int GlyphOf(fz_context* ctx, fz_font* font, int unicode) {
  int gid = 0;
  fz_var(gid);
  fz_try(ctx) { gid = fz_encode_character(ctx, font, unicode); }
  fz_catch(ctx) { gid = 0; }
  return gid;
}

fz_rect BoundText(fz_context* ctx, const fz_text* text, const fz_stroke_state* stroke, fz_matrix ctm) {
  fz_rect r = fz_empty_rect;
  fz_try(ctx) { r = fz_bound_text(ctx, text, stroke, ctm); }
  fz_catch(ctx) { r = fz_empty_rect; }
  return r;
}

fz_rect BoundPath(fz_context* ctx, const fz_path* path, const fz_stroke_state* stroke, fz_matrix ctm) {
  fz_rect r = fz_infinite_rect;
  fz_try(ctx) { r = fz_bound_path(ctx, path, stroke, ctm); }
  fz_catch(ctx) { r = fz_infinite_rect; }
  return r;
}

fz_path* KeepPath(fz_context* ctx, const fz_path* path) {
  fz_path* p = nullptr;
  fz_var(p);
  fz_try(ctx) { p = fz_keep_path(ctx, path); }
  fz_catch(ctx) { p = nullptr; }
  return p;
}

bool IsType3(fz_context* ctx, const fz_text* text) {
  for (const fz_text_span* s = text->head; s; s = s->next)
    if (s->font && fz_font_t3_procs(ctx, s->font)) return true;
  return false;
}

// Whether drawing the Type 3 glyphs of `text` would cost more than a page should: MuPDF renders
// each glyph into a pixmap of the glyph's box, so damaged font boxes or huge sizes would clear
// gigabytes. Such text is left out.
bool Type3TooCostly(fz_context* ctx, const fz_text* text, fz_matrix ctm) {
  double total = 0;
  for (const fz_text_span* s = text->head; s; s = s->next) {
    if (!s->font || !fz_font_t3_procs(ctx, s->font)) continue;
    fz_rect gb = fz_transform_rect(fz_font_bbox(ctx, s->font), fz_concat(s->trm, ctm));
    double area = (static_cast<double>(gb.x1) - gb.x0) * (static_cast<double>(gb.y1) - gb.y0) * kRasterScale *
                  kRasterScale;
    if (!std::isfinite(area) || area > kMaxRasterPixels) return true;
    total += area * s->len;
    if (total > 16 * kMaxRasterPixels) return true;
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// Path segments.

struct PathSink {
  std::vector<PdfPathSegment>* segs;
  bool failed;
};

void Push(void* arg, int32_t op, float x1 = 0, float y1 = 0, float x2 = 0, float y2 = 0, float x3 = 0,
          float y3 = 0) noexcept {
  auto* s = static_cast<PathSink*>(arg);
  if (s->failed) return;
  try {
    s->segs->push_back(PdfPathSegment{op, x1, y1, x2, y2, x3, y3});
  } catch (...) {
    s->failed = true;
  }
}

void WMove(fz_context*, void* a, float x, float y) { Push(a, kPdfMoveTo, x, y); }
void WLine(fz_context*, void* a, float x, float y) { Push(a, kPdfLineTo, x, y); }
void WCurve(fz_context*, void* a, float x1, float y1, float x2, float y2, float x3, float y3) {
  Push(a, kPdfCurveTo, x1, y1, x2, y2, x3, y3);
}
void WClose(fz_context*, void* a) { Push(a, kPdfClose); }
void WCurveV(fz_context*, void* a, float x2, float y2, float x3, float y3) { Push(a, kPdfCurveToV, x2, y2, x3, y3); }
void WCurveY(fz_context*, void* a, float x1, float y1, float x3, float y3) { Push(a, kPdfCurveToY, x1, y1, x3, y3); }
void WRect(fz_context*, void* a, float x1, float y1, float x2, float y2) {
  Push(a, kPdfRectangle, x1, y1, x2 - x1, y2 - y1);
}

const fz_path_walker kWalker = {WMove, WLine, WCurve, WClose, nullptr, WCurveV, WCurveY, WRect};

bool WalkPath(fz_context* ctx, const fz_path* path, PathSink* sink) {
  int ok = 1;
  fz_try(ctx) { fz_walk_path(ctx, path, &kWalker, sink); }
  fz_catch(ctx) { ok = 0; }
  return ok && !sink->failed;
}

bool SameSegments(const std::vector<PdfPathSegment>& a, const std::vector<PdfPathSegment>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].op != b[i].op || a[i].x1 != b[i].x1 || a[i].y1 != b[i].y1 || a[i].x2 != b[i].x2 ||
        a[i].y2 != b[i].y2 || a[i].x3 != b[i].x3 || a[i].y3 != b[i].y3)
      return false;
  return true;
}

bool SameMatrix(const fz_matrix& a, const fz_matrix& b) {
  return a.a == b.a && a.b == b.b && a.c == b.c && a.d == b.d && a.e == b.e && a.f == b.f;
}

void SetMatrix(float* dst, const fz_matrix& m) {
  dst[0] = m.a;
  dst[1] = m.b;
  dst[2] = m.c;
  dst[3] = m.d;
  dst[4] = m.e;
  dst[5] = m.f;
}

// ---------------------------------------------------------------------------------------------
// The state of one page run.

struct Clip {
  fz_path* path = nullptr;            // kept; null for clips known only by their bounds
  fz_stroke_state* stroke = nullptr;  // kept
  int even_odd = 0;
  fz_matrix ctm = fz_identity;
  fz_rect rect = fz_infinite_rect;  // the clip region's bounds, within the enclosing clip
  std::shared_ptr<const pagesieve::ClipRegion> region;  // what paths are cut to; null: nothing
};

struct RunChars {
  PdfTextRun run{};
  std::vector<PdfRunChar> chars;
};

struct PageRun {
  Impl* impl;
  fz_context* ctx;
  CPdfParseInterface* parser;
  fz_cookie* cookie = nullptr;
  bool failed = false;
  fz_rect page_rect = fz_infinite_rect;  // crop box in record space
  std::unordered_set<int> delivered;

  // The page's budget (kMaxPageRecords, kMaxPageBytes); once spent the run stops drawing.
  size_t records = 0;
  uint64_t bytes = 0;
  bool simplified = false;
  std::vector<PdfPageOmission> omissions;

  // Takes one record and `cost` bytes from the budget; false (and the page stops) past it.
  bool Spend(uint64_t cost) {
    if (simplified) return false;
    if (++records > kMaxPageRecords || cost > kMaxPageBytes - std::min(bytes, kMaxPageBytes)) {
      simplified = true;
      Omit(PdfPageOmission{kPdfPageSimplified, 0, 0});
      if (cookie) cookie->abort = 1;
      return false;
    }
    bytes += cost;
    return true;
  }
  void Omit(const PdfPageOmission& o) { AddOmission(omissions, o); }

  bool pending = false;
  PdfPathRecord pending_rec{};
  std::vector<PdfPathSegment> pending_segs;
  std::vector<float> pending_dashes;
  fz_matrix pending_ctm = fz_identity;

  const fz_text* last_fill_text = nullptr;  // kept

  std::vector<Clip> clips;
  int mask_def = 0;   // inside a soft-mask definition: nothing is shown
  int skip_tile = 0;  // inside a tile that is not drawn

  // Type 3 glyphs run through this device: the device itself, how deep glyphs nest, and for a
  // glyph that takes the text's colour (d1) that colour.
  fz_device* self = nullptr;
  int t3_depth = 0;
  bool t3_uncoloured = false;
  fz_colorspace* t3_cs = nullptr;
  float t3_color[FZ_MAX_COLORS] = {};
  float t3_alpha = 1;

  // Rasterising: calls go to a draw device over a pixmap instead of becoming records.
  fz_device* cap = nullptr;
  fz_pixmap* cap_pix = nullptr;
  fz_matrix cap_m = fz_identity;
  fz_rect cap_rect = fz_empty_rect;
  float cap_scale = 1;
  int cap_replayed = 0;
  int cap_clip_depth = 0;
  int cap_tile_depth = 0;

  PageRun(Impl* i, CPdfParseInterface* p) : impl(i), ctx(i->ctx), parser(p) {}
  ~PageRun() {
    DropCapture();
    for (Clip& c : clips) {
      fz_drop_path(ctx, c.path);
      fz_drop_stroke_state(ctx, c.stroke);
    }
    fz_drop_text(ctx, last_fill_text);
  }

  void Fail() {
    failed = true;
    if (cookie) cookie->abort = 1;
  }

  bool Suppressed() const { return failed || simplified || mask_def > 0 || skip_tile > 0; }

  fz_rect Scissor() const { return clips.empty() ? page_rect : clips.back().rect; }

  template <class F>
  void Call(F&& f) {
    if (failed) return;
    try {
      f();
    } catch (...) {
      Fail();
    }
  }

  // --- paths ---
  void FlushPending() {
    if (!pending) return;
    pending = false;
    if (CutPendingToClips()) return;
    pending_rec.segment_count = static_cast<int32_t>(pending_segs.size());
    pending_rec.segments = pending_segs.data();
    if (!Spend(pending_segs.size() * sizeof(PdfPathSegment))) return;
    Call([&] { parser->OnPathObject(&pending_rec); });
  }

  // The bounds of the clip regions in force (infinite without any).
  fz_rect ClipBounds() const {
    fz_rect b = fz_infinite_rect;
    for (const Clip& c : clips)
      if (c.region) b = fz_intersect_rect(b, c.region->bounds);
    return b;
  }

  // Sends the pending record cut to the clip regions in force, its fill and its stroke apart
  // when they are cut differently. False when nothing is cut: the record goes as it is.
  bool CutPendingToClips() {
    std::vector<const pagesieve::ClipRegion*> regions;
    for (const Clip& c : clips)
      if (c.region) regions.push_back(c.region.get());
    if (regions.empty()) return false;
    const float* mm = pending_rec.matrix;
    const fz_matrix m{mm[0], mm[1], mm[2], mm[3], mm[4], mm[5]};
    using pagesieve::ClipCut;
    std::vector<PdfPathSegment> fill_segs, stroke_segs;
    std::vector<float> offsets;
    const ClipCut f =
        pending_rec.fill_on ? pagesieve::CutToClips(regions, m, pending_segs, true, &fill_segs) : ClipCut::kInside;
    const ClipCut s = pending_rec.stroke_on
                          ? pagesieve::CutToClips(regions, m, pending_segs, false, &stroke_segs, &offsets)
                          : ClipCut::kInside;
    if (f == ClipCut::kInside && s == ClipCut::kInside) return false;
    auto send = [&](const std::vector<PdfPathSegment>& segs, bool fill) {
      if (segs.empty()) return;
      PdfPathRecord rec = pending_rec;
      (fill ? rec.stroke_on : rec.fill_on) = 0;
      rec.segment_count = static_cast<int32_t>(segs.size());
      rec.segments = segs.data();
      Call([&] { parser->OnPathObject(&rec); });
    };
    if (pending_rec.fill_on) send(f == ClipCut::kInside ? pending_segs : fill_segs, true);
    if (!pending_rec.stroke_on) return true;
    if (s == ClipCut::kInside || pending_rec.dash_count == 0) {
      send(s == ClipCut::kInside ? pending_segs : stroke_segs, false);
      return true;
    }
    // Dashed: each piece its own record, its dashes going on where they were along the line.
    const float phase = pending_rec.dash_phase;
    size_t piece = 0;
    for (size_t i = 0; i < stroke_segs.size();) {
      size_t j = i + 1;
      while (j < stroke_segs.size() && stroke_segs[j].op != kPdfMoveTo) ++j;
      pending_rec.dash_phase = phase + (piece < offsets.size() ? offsets[piece] : 0.0f);
      send(std::vector<PdfPathSegment>(stroke_segs.begin() + static_cast<ptrdiff_t>(i),
                                       stroke_segs.begin() + static_cast<ptrdiff_t>(j)),
           false);
      ++piece;
      i = j;
    }
    pending_rec.dash_phase = phase;
    return true;
  }

  void FillPath(const fz_path* path, int even_odd, fz_matrix ctm, fz_colorspace* cs, const float* color,
                float alpha) {
    FlushPending();
    if (alpha <= 0) return;
    std::vector<PdfPathSegment> segs;
    PathSink sink{&segs, false};
    if (!WalkPath(ctx, path, &sink) || segs.empty()) return;
    pending_rec = PdfPathRecord{};
    SetMatrix(pending_rec.matrix, ctm);
    pending_rec.fill_on = 1;
    pending_rec.even_odd = even_odd ? 1 : 0;
    ToRgb(ctx, cs, color, pending_rec.fill_rgb);
    pending_segs = std::move(segs);
    pending_ctm = ctm;
    pending = true;
  }

  void StrokePath(const fz_path* path, const fz_stroke_state* stroke, fz_matrix ctm, fz_colorspace* cs,
                  const float* color, float alpha) {
    std::vector<PdfPathSegment> segs;
    PathSink sink{&segs, false};
    if (!WalkPath(ctx, path, &sink) || segs.empty() || alpha <= 0) {
      FlushPending();
      return;
    }
    float rgb[3];
    ToRgb(ctx, cs, color, rgb);
    float width = stroke ? stroke->linewidth : 1.0f;
    if (pending && SameMatrix(pending_ctm, ctm) && SameSegments(pending_segs, segs)) {
      pending_rec.stroke_on = 1;
      std::copy(rgb, rgb + 3, pending_rec.stroke_rgb);
      pending_rec.line_width = width;
      SetStrokeStyle(stroke);
      FlushPending();
      return;
    }
    FlushPending();
    pending_rec = PdfPathRecord{};
    SetMatrix(pending_rec.matrix, ctm);
    pending_rec.stroke_on = 1;
    std::copy(rgb, rgb + 3, pending_rec.stroke_rgb);
    pending_rec.line_width = width;
    SetStrokeStyle(stroke);
    pending_segs = std::move(segs);
    pending = true;
    FlushPending();
  }

  // Caps, join, miter limit and dashes of the pending record from the stroke state (MuPDF's
  // defaults without one: butt caps, miter joins, limit 10, solid).
  void SetStrokeStyle(const fz_stroke_state* stroke) {
    pending_dashes.clear();
    pending_rec.miter_limit = 10;
    pending_rec.dash_phase = 0;
    if (stroke) {
      auto cap = [](fz_linecap c) { return static_cast<uint8_t>(c >= FZ_LINECAP_BUTT && c <= FZ_LINECAP_TRIANGLE ? c : 0); };
      pending_rec.start_cap = cap(stroke->start_cap);
      pending_rec.end_cap = cap(stroke->end_cap);
      pending_rec.dash_cap = cap(stroke->dash_cap);
      pending_rec.line_join =
          static_cast<uint8_t>(stroke->linejoin >= FZ_LINEJOIN_MITER && stroke->linejoin <= FZ_LINEJOIN_MITER_XPS ? stroke->linejoin : 0);
      pending_rec.miter_limit = stroke->miterlimit;
      const int n = std::clamp(stroke->dash_len, 0, static_cast<int>(std::size(stroke->dash_list)));
      pending_dashes.assign(stroke->dash_list, stroke->dash_list + n);
      pending_rec.dash_phase = stroke->dash_phase;
    }
    pending_rec.dash_count = static_cast<int32_t>(pending_dashes.size());
    pending_rec.dashes = pending_dashes.empty() ? nullptr : pending_dashes.data();
  }

  // --- fonts ---
  FontEntry* FontFor(fz_font* font) {
    auto it = impl->by_font.find(font);
    FontEntry* e = it != impl->by_font.end() ? it->second : impl->AddFont(nullptr, nullptr, font);
    if (!e) return nullptr;
    if (e->stand_in) Omit(PdfPageOmission{kPdfFontUnreadable, 0, 0});
    if (!e->built) pagesieve::BuildFontRecord(ctx, *e);
    if (!delivered.count(e->id)) {
      delivered.insert(e->id);
      Call([&] { parser->OnFontResource(&e->record); });
    }
    return e;
  }

  // --- text ---
  struct TextState {
    bool open = false;
    fz_matrix m = fz_identity;  // record matrix
    fz_matrix inv = fz_identity;
    float pen = 0;
    int last = 0;  // the last character given
    // The last glyph given as one character, for composing an accent drawn over a letter.
    struct Glyph {
      size_t run = SIZE_MAX, index = 0;
      int ch = 0, font_id = 0;
      float x = 0, width = 0, pen_before = 0, size = 0;
    } glyph;
    std::vector<RunChars> runs;
  };

  // An accent drawn over (or under) the letter before or after it, in one font and size, becomes
  // the precomposed letter where Unicode has one: the character of the two that was given first
  // turns into the composed letter, placed where the letter is, and the pen stands after the
  // letter. An accent raised off the line (TeX raises accents over capitals) composes with the
  // letter below it when it is the text's only character so far: the text then starts at the
  // letter. `rise` is the letter's offset across the line from the text's origin.
  bool ComposeAccent(TextState& t, int ch, int font_id, float x, float rise, float width, float size) {
    TextState::Glyph& g = t.glyph;
    if (g.run != t.runs.size() - 1 || g.font_id != font_id || std::fabs(g.size - size) > 1e-3f * size ||
        width <= 0 || g.width <= 0)
      return false;
    // Glyphs side by side, as nearly all are, do not overlap: that is asked first.
    const float overlap = std::min(x + width, g.x + g.width) - std::max(x, g.x);
    if (!(overlap > 0.3f * std::min(width, g.width))) return false;
    const bool alone = g.run == 0 && g.index == 0 && t.runs[0].chars.size() == 1;
    const char16_t mark_after = latin_accents::MarkOfSpacing(static_cast<char32_t>(ch));
    const char16_t mark_before = latin_accents::MarkOfSpacing(static_cast<char32_t>(g.ch));
    // A raised accent before its letter composes only at the start of a text (TeX's capitals); one
    // raised after its letter (as this program writes a composed capital) composes anywhere.
    if (rise != 0 && !alone && !(mark_after && !mark_before)) return false;
    // The accent goes with the letter under its centre: an accent over a narrow letter reaches
    // into the letter before it, which it must not take.
    auto under = [](float centre, float left, float w) { return centre >= left && centre <= left + w; };
    if (mark_after && !mark_before && !under(x + width / 2, g.x, g.width)) return false;
    if (mark_before && !mark_after && !under(g.x + g.width / 2, x, width)) return false;
    char16_t composed = 0;
    float letter_x = 0, letter_w = 0, letter_y = 0;
    if (mark_before && !mark_after) {
      composed = latin_accents::Compose(static_cast<char32_t>(ch), mark_before);
      letter_x = x;
      letter_y = rise;
      letter_w = width;
    } else if (mark_after && !mark_before) {
      composed = latin_accents::Compose(static_cast<char32_t>(g.ch), mark_after);
      letter_x = g.x;
      letter_w = g.width;
    }
    if (!composed) return false;
    PdfRunChar& entry = t.runs[g.run].chars[g.index];
    entry.character = composed;
    entry.advance = letter_w / size * 1000.0f;
    if (g.run == 0 && g.index == 0) {
      // The text's first character: its origin moves to the letter instead.
      t.m.e += letter_x * t.m.a + letter_y * t.m.c;
      t.m.f += letter_x * t.m.b + letter_y * t.m.d;
      t.pen = letter_w;
      entry.adjustment = 0;
    } else {
      float adj = -(letter_x - g.pen_before) * 1000.0f / size;
      entry.adjustment = std::fabs(adj) < 0.01f ? 0 : adj;
      t.pen = letter_x + letter_w;
    }
    t.last = composed;
    g = TextState::Glyph{};
    return true;
  }

  static bool IsSpace(int ch) { return ch == 32 || ch == 0xA0 || ch == 9 || (ch >= 0x2000 && ch <= 0x200B) || ch == 0x3000; }

  // The smallest gap between two glyphs, in ems, that is a word space: half the font's own space
  // (where it has one), kept between 0.1 and 0.2 em; 0.15 em without a space. Kerning and letter
  // spacing stay below it, the narrowest word spaces of justified lines above.
  float WordGap(fz_font* font, FontEntry& fe) {
    if (fe.word_gap < 0) {
      float space = 0;
      int gid = GlyphOf(ctx, font, 32);
      if (gid > 0) space = Advance(ctx, font, gid, 0);
      fe.word_gap = space > 0 ? std::clamp(space / 2, 0.1f, 0.2f) : 0.15f;
    }
    return fe.word_gap;
  }

  void FlushText(TextState& t) {
    if (!t.open) return;
    t.open = false;
    std::vector<const PdfTextRun*> ptrs;
    for (RunChars& rc : t.runs) {
      rc.run.char_count = static_cast<int32_t>(rc.chars.size());
      rc.run.chars = rc.chars.data();
      if (!rc.chars.empty()) ptrs.push_back(&rc.run);
    }
    if (!ptrs.empty()) {
      PdfTextRecord rec{};
      SetMatrix(rec.matrix, t.m);
      rec.run_count = static_cast<int32_t>(ptrs.size());
      rec.runs = ptrs.data();
      size_t chars = 0;
      for (const RunChars& rc : t.runs) chars += rc.chars.size();
      if (Spend(chars * sizeof(PdfRunChar))) Call([&] { parser->OnTextObject(&rec); });
    }
    t.runs.clear();
    t.glyph = TextState::Glyph{};
  }

  void EmitText(const fz_text* text, fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha) {
    if (alpha <= 0) return;
    float rgb[3];
    ToRgb(ctx, cs, color, rgb);
    const fz_rect clip = ClipBounds();
    TextState t;
    for (const fz_text_span* span = text->head; span && !failed; span = span->next) {
      // Type 3 glyphs are drawn as shapes and pictures (RunType3Glyphs); they leave a gap here.
      if (!span->font || span->len <= 0 || fz_font_t3_procs(ctx, span->font)) continue;
      FontEntry* fe = FontFor(span->font);
      if (!fe) continue;
      fz_matrix g = fz_concat(span->trm, ctm);
      float s = std::hypot(g.c, g.d), sx = std::hypot(g.a, g.b);
      if (!(s > 1e-4f) || !(sx > 1e-4f) || !std::isfinite(s) || !std::isfinite(sx)) continue;
      float th = sx / s;
      fz_matrix u = {g.a / sx, g.b / sx, g.c / s, g.d / s, 0, 0};
      for (int i = 0; i < span->len; ++i) {
        const fz_text_item& it = span->items[i];
        fz_point p = fz_transform_point(fz_make_point(it.x, it.y), ctm);
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
        if (it.gid < 0) continue;  // a further character of a glyph before, taken with it
        const float advance = PdfWidth(ctx, *fe, span->font, it.gid, span->wmode) * s * th;
        if (OutsideClip(clip, p, u, advance, s)) continue;  // a glyph the clips cut away whole
        // The characters of the glyph: its own, those of further items (a ligature with a
        // multi-character mapping), or the letters of a Unicode ligature.
        int seq[kMaxGlyphChars];
        int n = 0;
        {
          int ch = it.ucs;
          if (pagesieve::IsUnmappedCharacter(ch)) ch = pagesieve::UnmappedCharacter(*fe, it.gid);
          n = LigatureLetters(ch, seq);
        }
        for (; i + 1 < span->len && span->items[i + 1].gid < 0; ++i)
          if (span->items[i + 1].ucs >= 0 && n < kMaxGlyphChars) seq[n++] = span->items[i + 1].ucs;
        const bool single = n == 1 && seq[0] <= 0xFFFF && span->wmode == 0;

        float tx = 0, adj = 0;
        if (t.open) {
          bool same = std::fabs(u.a - t.m.a) < 1e-3f && std::fabs(u.b - t.m.b) < 1e-3f &&
                      std::fabs(u.c - t.m.c) < 1e-3f && std::fabs(u.d - t.m.d) < 1e-3f;
          float dx = p.x - t.m.e, dy = p.y - t.m.f;
          tx = dx * t.inv.a + dy * t.inv.c;
          float ty = dx * t.inv.b + dy * t.inv.d;
          adj = -(tx - t.pen) * 1000.0f / (s * th);
          if (std::fabs(adj) < 0.01f) adj = 0;  // rounding noise of the writer
          const bool on_line = std::fabs(ty) <= 0.02f * s + 0.01f;
          if (same && single && std::fabs(ty) < s && ComposeAccent(t, seq[0], fe->id, tx, on_line ? 0 : ty, advance, s * th))
            continue;
          if (!same || !on_line || adj < -3000.0f || adj > 1000.0f) FlushText(t);
        }
        if (!t.open) {
          t.open = true;
          t.m = fz_matrix{u.a, u.b, u.c, u.d, p.x, p.y};
          t.inv = fz_invert_matrix(fz_matrix{u.a, u.b, u.c, u.d, 0, 0});
          t.pen = 0;
          tx = 0;
          adj = 0;
        }
        if (t.runs.empty() || t.runs.back().run.font_id != fe->id ||
            std::fabs(t.runs.back().run.font_size - s) > 1e-3f * s ||
            std::fabs(t.runs.back().run.horizontal_scale - th) > 1e-3f) {
          RunChars rc;
          rc.run.font_id = fe->id;
          rc.run.font_size = s;
          rc.run.horizontal_scale = th;
          rc.run.fill_given = 1;
          rc.run.advances_given = 1;
          std::copy(rgb, rgb + 3, rc.run.fill_rgb);
          t.runs.push_back(std::move(rc));
        }
        std::vector<PdfRunChar>& chars = t.runs.back().chars;
        const float next = tx + advance;
        const float pen_before = t.pen;
        if (n > 0) {
          const bool first = chars.empty() && t.runs.size() == 1;
          // A gap wide enough to be a word space becomes one, unless a space is already there.
          if (!first && span->wmode == 0 && !IsSpace(seq[0]) && !IsSpace(t.last) &&
              tx - t.pen > WordGap(span->font, *fe) * s * th)
            chars.push_back(PdfRunChar{0, 32 | kPdfCharWordSpace, 0});
          const float own = n > 1 ? LetterWidth(span->font, seq[0]) : advance / (s * th);
          AddChar(chars, first ? 0.0f : adj, seq[0], own * 1000.0f);
          if (n > 1) PlaceLigatureLetters(span, seq, n, tx, next, s * th, chars);
          t.last = seq[n - 1];
        }
        t.glyph = TextState::Glyph{};
        if (single) t.glyph = TextState::Glyph{t.runs.size() - 1, chars.size() - 1, seq[0], fe->id, tx, advance, pen_before, s * th};
        t.pen = next;
      }
    }
    FlushText(t);
  }

  static constexpr int kMaxGlyphChars = 8;

  // Whether the em box of a glyph at `p` (baseline direction and up from `u`, `advance` wide, font
  // size `size`) lies wholly outside the clip bounds.
  static bool OutsideClip(const fz_rect& clip, fz_point p, const fz_matrix& u, float advance, float size) {
    if (fz_is_infinite_rect(clip)) return false;
    fz_rect box{p.x, p.y, p.x, p.y};
    for (float x : {0.0f, advance})
      for (float y : {-0.3f * size, size})
        box = fz_include_point_in_rect(box, fz_point{p.x + x * u.a + y * u.c, p.y + x * u.b + y * u.d});
    return box.x1 < clip.x0 || box.x0 > clip.x1 || box.y1 < clip.y0 || box.y0 > clip.y1;
  }

  // The letters of a Unicode ligature (U+FB00 to U+FB06), else the character itself.
  static int LigatureLetters(int ch, int* out) {
    static const char* const kLetters[] = {"ff", "fi", "fl", "ffi", "ffl", "st", "st"};
    if (ch < 0xFB00 || ch > 0xFB06) {
      out[0] = ch;
      return 1;
    }
    int n = 0;
    for (const char* p = kLetters[ch - 0xFB00]; *p; ++p) out[n++] = *p;
    return n;
  }

  // The second and later letters of a ligature glyph drawn from `x` to `end` (points along the
  // baseline, `size` the font size x horizontal scale): each letter follows the one before at its
  // own width, the last one ends where the ligature ends, so that the glyph after the ligature
  // keeps its place.
  void PlaceLigatureLetters(const fz_text_span* span, const int* seq, int n, float x, float end, float size,
                            std::vector<PdfRunChar>& chars) {
    float pen = x + LetterWidth(span->font, seq[0]) * size;
    for (int k = 1; k < n; ++k) {
      const float em = LetterWidth(span->font, seq[k]), w = em * size;
      float adj = 0;
      if (k == n - 1) {
        adj = -((end - w) - pen) * 1000.0f / size;
        if (std::fabs(adj) < 0.01f) adj = 0;
      }
      AddChar(chars, adj, seq[k], em * 1000.0f);
      pen += w - adj * size / 1000.0f;
    }
  }

  // The width in ems of the font's glyph for a character, or 0.
  float LetterWidth(fz_font* font, int ch) {
    const int gid = GlyphOf(ctx, font, ch);
    return gid > 0 ? Advance(ctx, font, gid, 0) : 0.0f;
  }

  // The Type 3 glyphs of a text, each run through this device: the paths of its procedure become
  // shapes, its bitmaps pictures. A glyph that leaves its colour to the text (d1) is drawn in the
  // text's colour.
  void RunType3Glyphs(const fz_text* text, fz_matrix ctm, fz_colorspace* cs, const float* color, float alpha);

  static void AddChar(std::vector<PdfRunChar>& chars, float adj, int ch, float advance) {
    if (ch > 0xFFFF && ch <= 0x10FFFF) {
      ch -= 0x10000;
      chars.push_back(PdfRunChar{adj, 0xD800 + (ch >> 10), advance});
      chars.push_back(PdfRunChar{0, 0xDC00 + (ch & 0x3FF), 0});
    } else {
      chars.push_back(PdfRunChar{adj, ch & 0xFFFF, advance});
    }
  }

  // --- images ---
  // `id`: the document's id of the image (0 for pixels drawn here, such as shadings); `cost` the
  // bytes this page spends on it (0 for an image decoded before).
  void EmitRaw(const fz_matrix& m, int w, int h, int bpp, const std::vector<uint8_t>& data, int32_t id = 0,
               uint64_t cost = UINT64_MAX) {
    if (!Spend(cost == UINT64_MAX ? data.size() : cost)) return;
    PdfImageRecord rec{};
    rec.kind = kPdfImageRaw;
    rec.image_id = id;
    SetMatrix(rec.matrix, m);
    rec.width = w;
    rec.height = h;
    rec.bytes_per_pixel = bpp;
    rec.data_length = static_cast<int32_t>(data.size());
    rec.data = data.data();
    Call([&] { parser->OnImageObject(&rec); });
  }

  // Packs a MuPDF RGB pixmap (premultiplied when it has alpha) into bottom-up B, G, R(, A) rows.
  // `mask`, when given, is a grey pixmap whose values become the alpha.
  bool Pack(const fz_pixmap* pix, const fz_pixmap* mask, int* bpp_out, std::vector<uint8_t>& out) {
    if (!pix || pix->w <= 0 || pix->h <= 0 || pix->n < 3) return false;
    bool alpha = pix->alpha || mask;
    int bpp = alpha ? 4 : 3;
    size_t stride = (static_cast<size_t>(pix->w) * bpp * 8 + 31) / 32 * 4;
    out.assign(stride * static_cast<size_t>(pix->h), 0);
    bool any = !alpha;
    for (int y = 0; y < pix->h; ++y) {
      const uint8_t* src = pix->samples + static_cast<ptrdiff_t>(y) * pix->stride;
      uint8_t* dst = out.data() + static_cast<size_t>(pix->h - 1 - y) * stride;
      const uint8_t* mrow = nullptr;
      if (mask) {
        int my = static_cast<int>(static_cast<int64_t>(y) * mask->h / pix->h);
        mrow = mask->samples + static_cast<ptrdiff_t>(my) * mask->stride;
      }
      for (int x = 0; x < pix->w; ++x, src += pix->n, dst += bpp) {
        int r = src[0], g = src[1], b = src[2];
        if (pix->alpha) {
          int a = src[pix->n - 1];
          if (a > 0 && a < 255) {
            r = std::min(255, r * 255 / a);
            g = std::min(255, g * 255 / a);
            b = std::min(255, b * 255 / a);
          }
          dst[3] = static_cast<uint8_t>(a);
        }
        if (mrow) {
          int mx = static_cast<int>(static_cast<int64_t>(x) * mask->w / pix->w);
          int a = mrow[static_cast<ptrdiff_t>(mx) * mask->n];
          dst[3] = static_cast<uint8_t>(pix->alpha ? dst[3] * a / 255 : a);
        }
        dst[0] = static_cast<uint8_t>(b);
        dst[1] = static_cast<uint8_t>(g);
        dst[2] = static_cast<uint8_t>(r);
        if (alpha && dst[3]) any = true;
      }
    }
    *bpp_out = bpp;
    return any;
  }

  void EmitImage(fz_image* img, fz_matrix ctm, float alpha);

  // The pixels of a w x h image drawn upright (not turned) by `ctm` that the clip bounds show,
  // when that is less than the whole image: columns crop[0] to crop[2], rows crop[1] to crop[3]
  // (row 0 at v = 0), pixels cut by the clips' edges included.
  bool CropToClip(const fz_matrix& ctm, int w, int h, int crop[4]) const {
    const fz_rect clip = ClipBounds();
    if (fz_is_infinite_rect(clip) || ctm.b != 0 || ctm.c != 0 || ctm.a == 0 || ctm.d == 0) return false;
    for (float v : {ctm.a, ctm.d, ctm.e, ctm.f})
      if (!std::isfinite(v)) return false;
    auto span = [](float lo, float hi, float scale, float origin, int n, int* a, int* b) {
      double t0 = (lo - origin) / static_cast<double>(scale), t1 = (hi - origin) / static_cast<double>(scale);
      if (t0 > t1) std::swap(t0, t1);
      t0 = std::isfinite(t0) ? std::clamp(t0, 0.0, 1.0) : 0.0;
      t1 = std::isfinite(t1) ? std::clamp(t1, 0.0, 1.0) : 1.0;
      *a = std::clamp(static_cast<int>(std::floor(t0 * n)), 0, n);
      *b = std::clamp(static_cast<int>(std::ceil(t1 * n)), 0, n);
    };
    span(clip.x0, clip.x1, ctm.a, ctm.e, w, &crop[0], &crop[2]);
    span(clip.y0, clip.y1, ctm.d, ctm.f, h, &crop[1], &crop[3]);
    if (crop[2] <= crop[0] || crop[3] <= crop[1]) return false;
    return crop[0] > 0 || crop[1] > 0 || crop[2] < w || crop[3] < h;
  }

  // --- rasterising ---
  bool BeginCapture(fz_rect bbox);
  void EndCapture();
  void DropCapture();
};

struct SieveDevice {
  fz_device super;
  PageRun* run;
};

PageRun* RunOf(fz_device* dev) { return reinterpret_cast<SieveDevice*>(dev)->run; }

// The power of two an image's sides may be divided by when it is drawn by `ctm` (points), so that
// it keeps kImagePixelsPerPoint at its drawn size.
int ImageReduction(const fz_image* img, const fz_matrix& ctm) {
  const double dw = std::hypot(ctm.a, ctm.b) * kImagePixelsPerPoint;
  const double dh = std::hypot(ctm.c, ctm.d) * kImagePixelsPerPoint;
  if (!std::isfinite(dw) || !std::isfinite(dh)) return 0;
  int l2 = 0;
  while (l2 < kMaxImageReduction && (img->w >> (l2 + 1)) >= std::max(dw, 1.0) && (img->h >> (l2 + 1)) >= std::max(dh, 1.0))
    ++l2;
  return l2;
}

// A side of `n` pixels divided by 2^reduction, rounded up.
int ReducedSide(int n, int reduction) { return static_cast<int>((static_cast<int64_t>(n) + (1 << reduction) - 1) >> reduction); }

// The C-side of images: decoding into RGB pixmaps, the image (and its mask) subsampled by MuPDF
// while decoding, its sides divided by 2^reduction (rounded up).
void DecodeImage(fz_context* ctx, fz_image* img, int reduction, fz_pixmap** pix_out, fz_pixmap** mask_out) {
  fz_pixmap* pix = nullptr;
  fz_pixmap* conv = nullptr;
  fz_pixmap* mask = nullptr;
  fz_var(pix);
  fz_var(conv);
  fz_var(mask);
  *pix_out = *mask_out = nullptr;
  fz_try(ctx) {
    // MuPDF halves an image's sides while the result stays at least 2 pixels above the size the
    // transform asks for: asking for 2 pixels less than the sides divided by 2^reduction gives
    // exactly that reduction. (A finer decoding MuPDF still holds is given as it is.)
    const auto want = [&](const fz_image* of) {
      return fz_scale(static_cast<float>(std::max((of->w >> reduction) - 2, 1)),
                      static_cast<float>(std::max((of->h >> reduction) - 2, 1)));
    };
    fz_matrix m = reduction > 0 ? want(img) : fz_identity;
    int w = 0, h = 0;
    pix = reduction > 0 ? fz_get_pixmap_from_image(ctx, img, nullptr, &m, &w, &h)
                        : fz_get_pixmap_from_image(ctx, img, nullptr, nullptr, nullptr, nullptr);
    if (pix->colorspace && (fz_colorspace_type(ctx, pix->colorspace) != FZ_COLORSPACE_RGB || pix->s)) {
      conv = fz_convert_pixmap(ctx, pix, fz_device_rgb(ctx), nullptr, nullptr, fz_default_color_params, 1);
      fz_drop_pixmap(ctx, pix);
      pix = conv;
      conv = nullptr;
    }
    if (img->mask) {
      fz_try(ctx) {
        fz_matrix mm = reduction > 0 ? want(img->mask) : fz_identity;
        mask = reduction > 0 ? fz_get_pixmap_from_image(ctx, img->mask, nullptr, &mm, &w, &h)
                             : fz_get_pixmap_from_image(ctx, img->mask, nullptr, nullptr, nullptr, nullptr);
        if (mask->n < 1 || mask->w <= 0 || mask->h <= 0) {
          fz_drop_pixmap(ctx, mask);
          mask = nullptr;
        }
      }
      fz_catch(ctx) { mask = nullptr; }
    }
    *pix_out = pix;
    *mask_out = mask;
    pix = nullptr;
    mask = nullptr;
  }
  fz_catch(ctx) {
    fz_drop_pixmap(ctx, pix);
    fz_drop_pixmap(ctx, conv);
    fz_drop_pixmap(ctx, mask);
  }
}

bool IsPlainJpeg(fz_context* ctx, fz_image* img, fz_compressed_buffer* cb) {
  if (!cb || !cb->buffer || cb->params.type != FZ_IMAGE_JPEG) return false;
  if (img->mask || img->use_decode || img->use_colorkey || img->imagemask || !img->colorspace) return false;
  enum fz_colorspace_type t = fz_colorspace_type(ctx, img->colorspace);
  if (!((t == FZ_COLORSPACE_GRAY && img->n == 1) || (t == FZ_COLORSPACE_RGB && img->n == 3))) return false;
  return cb->params.u.jpeg.color_transform != 0;
}

void PageRun::EmitImage(fz_image* img, fz_matrix ctm, float alpha) {
  if (!img || alpha <= 0 || img->w <= 0 || img->h <= 0) return;
  // An image, or its soft mask, over the size cap is left out (decoding it would take gigabytes).
  const fz_image* over = static_cast<int64_t>(img->w) * img->h > kMaxImagePixels ? img
                         : img->mask && static_cast<int64_t>(img->mask->w) * img->mask->h > kMaxImagePixels
                             ? img->mask
                             : nullptr;
  if (over) {
    Omit(PdfPageOmission{kPdfImageTooLarge, over->w, over->h});
    return;
  }
  if (simplified) return;
  {
    const fz_rect clip = ClipBounds(), b = fz_transform_rect(fz_unit_rect, ctm);
    if (!fz_is_infinite_rect(clip) && (b.x1 < clip.x0 || b.x0 > clip.x1 || b.y1 < clip.y0 || b.y0 > clip.y1))
      return;  // cut away whole by the clips
  }
  int crop[4];
  const bool cut = CropToClip(ctm, img->w, img->h, crop);
  fz_compressed_buffer* cb = fz_compressed_image_buffer(ctx, img);
  // A JPEG drawn at no more than the size it has is handed on as its bytes; a larger one is
  // decoded at the size the drawing needs, as every other image.
  const int needed = ImageReduction(img, ctm);
  const bool passed = !cut && needed == 0 && IsPlainJpeg(ctx, img, cb);
  const int reduction = passed ? 0 : needed;
  int32_t id = 0;
  try {
    id = impl->ImageId(img, reduction);
  } catch (...) {
    Fail();
    return;
  }
  if (passed) {
    unsigned char* data = nullptr;
    size_t len = fz_buffer_storage(ctx, cb->buffer, &data);
    if (data && len > 0 && len < 0x7FFFFFFF) {
      if (!Spend(len)) return;
      PdfImageRecord rec{};
      rec.kind = kPdfImageEncoded;
      SetMatrix(rec.matrix, ctm);
      rec.width = img->w;
      rec.height = img->h;
      rec.data_length = static_cast<int32_t>(len);
      rec.data = data;
      rec.image_id = id;
      Call([&] { parser->OnImageObject(&rec); });
      return;
    }
  }
  // Drawn before in this document: the pixels decoded then, and nothing more to spend on them
  // but the record.
  std::shared_ptr<const Impl::DecodedImage> d;
  bool decodedNow = false;
  const auto cached = impl->images.find({img, reduction});
  if (cached != impl->images.end()) {
    d = cached->second;
  } else {
    // The decoded size, known before decoding: past the page's budget the page is simplified.
    const uint64_t expected = static_cast<uint64_t>(ReducedSide(img->w, reduction)) *
                              static_cast<uint64_t>(ReducedSide(img->h, reduction)) * 4;
    if (expected > kMaxPageBytes - std::min(bytes, kMaxPageBytes)) {
      Spend(expected);
      return;
    }
    fz_pixmap* pix = nullptr;
    fz_pixmap* mask = nullptr;
    DecodeImage(ctx, img, reduction, &pix, &mask);
    try {
      auto fresh = std::make_shared<Impl::DecodedImage>();
      if (pix && static_cast<int64_t>(pix->w) * pix->h <= kMaxImagePixels && Pack(pix, mask, &fresh->bpp, fresh->data)) {
        fresh->id = id;
        fresh->w = pix->w;
        fresh->h = pix->h;
        d = fresh;
        decodedNow = true;
        if (impl->cached_image_bytes + fresh->data.size() <= kMaxCachedImageBytes) {
          impl->cached_image_bytes += fresh->data.size();
          impl->images.emplace(Impl::ImageKey{img, reduction}, std::move(fresh));
        }
      }
    } catch (...) {
      Fail();
    }
    fz_drop_pixmap(ctx, pix);
    fz_drop_pixmap(ctx, mask);
  }
  if (!d) return;
  try {
    if (cut && CropToClip(ctm, d->w, d->h, crop)) {
      // Only the part inside the clips, a picture of its own. Rows are bottom-up: image row r is
      // buffer row h - 1 - r.
      const int bpp = d->bpp;
      const int w = crop[2] - crop[0], h = crop[3] - crop[1];
      const size_t stride = (static_cast<size_t>(d->w) * bpp * 8 + 31) / 32 * 4;
      const size_t cut_stride = (static_cast<size_t>(w) * bpp * 8 + 31) / 32 * 4;
      std::vector<uint8_t> part(cut_stride * static_cast<size_t>(h), 0);
      for (int r = 0; r < h; ++r)
        std::copy_n(d->data.data() + static_cast<size_t>(d->h - 1 - (crop[1] + r)) * stride +
                        static_cast<size_t>(crop[0]) * bpp,
                    static_cast<size_t>(w) * bpp, part.data() + static_cast<size_t>(h - 1 - r) * cut_stride);
      const fz_matrix m{ctm.a * w / d->w, 0, 0, ctm.d * h / d->h, ctm.e + ctm.a * crop[0] / d->w,
                        ctm.f + ctm.d * crop[1] / d->h};
      EmitRaw(m, w, h, bpp, part);
    } else {
      EmitRaw(ctm, d->w, d->h, d->bpp, d->data, id, decodedNow ? UINT64_MAX : 0);
    }
  } catch (...) {
    Fail();
  }
}

int RunType3Glyph(fz_context* ctx, fz_font* font, int gid, fz_matrix trm, fz_device* dev) {
  int ok = 1;
  fz_try(ctx) { fz_run_t3_glyph(ctx, font, gid, trm, dev); }
  fz_catch(ctx) { ok = 0; }
  return ok;
}

void PageRun::RunType3Glyphs(const fz_text* text, fz_matrix ctm, fz_colorspace* cs, const float* color,
                             float alpha) {
  if (!self || t3_depth >= 2 || alpha <= 0) return;  // glyphs drawing Type 3 text draw no deeper
  ++t3_depth;
  const bool outer_uncoloured = t3_uncoloured;
  fz_colorspace* outer_cs = t3_cs;
  float outer_color[FZ_MAX_COLORS];
  std::copy(t3_color, t3_color + FZ_MAX_COLORS, outer_color);
  const float outer_alpha = t3_alpha;
  for (const fz_text_span* span = text->head; span && !failed; span = span->next) {
    fz_font* font = span->font;
    if (!font || !fz_font_t3_procs(ctx, font)) continue;
    for (int i = 0; i < span->len && !failed; ++i) {
      const fz_text_item& it = span->items[i];
      if (it.gid < 0 || it.gid > 255) continue;
      // A glyph that leaves its colour to the text takes the text's; one inside such a glyph keeps
      // the colour it was given.
      if (!outer_uncoloured) {
        t3_uncoloured = font->t3flags && (font->t3flags[it.gid] & FZ_DEVFLAG_MASK);
        t3_cs = cs;
        const int n = cs ? std::min(fz_colorspace_n(ctx, cs), static_cast<int>(FZ_MAX_COLORS)) : 0;
        for (int c = 0; c < FZ_MAX_COLORS; ++c) t3_color[c] = c < n && color ? color[c] : 0;
        t3_alpha = alpha;
      }
      const fz_matrix trm = fz_concat(fz_matrix{span->trm.a, span->trm.b, span->trm.c, span->trm.d, it.x, it.y}, ctm);
      FlushPending();
      if (!RunType3Glyph(ctx, font, it.gid, trm, self)) continue;
    }
  }
  FlushPending();
  t3_uncoloured = outer_uncoloured;
  t3_cs = outer_cs;
  std::copy(outer_color, outer_color + FZ_MAX_COLORS, t3_color);
  t3_alpha = outer_alpha;
  --t3_depth;
}

// The colour a call draws in: the text's for the procedures of Type 3 glyphs that take it.
void Type3Colour(PageRun* r, fz_colorspace** cs, const float** color, float* alpha) {
  if (!r->t3_uncoloured) return;
  *cs = r->t3_cs;
  *color = r->t3_color;
  *alpha = r->t3_alpha;
}

// C-side of a capture: pixmap, draw device and the clips in force replayed onto it.
int StartRaster(fz_context* ctx, int w, int h, fz_pixmap** pix_out, fz_device** dev_out) {
  fz_pixmap* pix = nullptr;
  fz_device* dev = nullptr;
  fz_var(pix);
  fz_var(dev);
  *pix_out = nullptr;
  *dev_out = nullptr;
  fz_try(ctx) {
    pix = fz_new_pixmap(ctx, fz_device_rgb(ctx), w, h, nullptr, 1);
    fz_clear_pixmap(ctx, pix);
    dev = fz_new_draw_device(ctx, fz_identity, pix);
    *pix_out = pix;
    *dev_out = dev;
  }
  fz_catch(ctx) {
    fz_drop_device(ctx, dev);
    fz_drop_pixmap(ctx, pix);
    return 0;
  }
  return 1;
}

int ReplayClip(fz_context* ctx, fz_device* dev, const Clip* c, fz_matrix m) {
  int ok = 1;
  fz_try(ctx) {
    fz_rect scissor = fz_transform_rect(c->rect, m);
    if (c->stroke)
      fz_clip_stroke_path(ctx, dev, c->path, c->stroke, fz_concat(c->ctm, m), scissor);
    else
      fz_clip_path(ctx, dev, c->path, c->even_odd, fz_concat(c->ctm, m), scissor);
  }
  fz_catch(ctx) { ok = 0; }
  return ok;
}

void FinishRaster(fz_context* ctx, fz_device* dev, int pops) {
  fz_try(ctx) {
    for (int i = 0; i < pops; ++i) fz_pop_clip(ctx, dev);
    fz_close_device(ctx, dev);
  }
  fz_catch(ctx) {}
}

bool PageRun::BeginCapture(fz_rect bbox) {
  bbox = fz_intersect_rect(bbox, Scissor());
  if (fz_is_empty_rect(bbox) || fz_is_infinite_rect(bbox)) return false;
  double w = bbox.x1 - bbox.x0, h = bbox.y1 - bbox.y0;
  if (!(w > 0) || !(h > 0) || !std::isfinite(w * h)) return false;
  double k = kRasterScale;
  if (w * h * k * k > kMaxRasterPixels) k = std::sqrt(kMaxRasterPixels / (w * h));
  int pw = static_cast<int>(std::ceil(w * k)), ph = static_cast<int>(std::ceil(h * k));
  if (pw < 1 || ph < 1 || pw > kMaxRasterSide || ph > kMaxRasterSide) return false;
  if (!StartRaster(ctx, pw, ph, &cap_pix, &cap)) return false;
  float kf = static_cast<float>(k);
  cap_scale = kf;
  cap_m = fz_matrix{kf, 0, 0, -kf, -kf * bbox.x0, kf * bbox.y1};
  cap_rect = fz_rect{bbox.x0, bbox.y1 - ph / kf, bbox.x0 + pw / kf, bbox.y1};
  cap_replayed = 0;
  cap_clip_depth = 0;
  cap_tile_depth = 0;
  for (const Clip& c : clips)
    if (c.path && ReplayClip(ctx, cap, &c, cap_m)) ++cap_replayed;
  return true;
}

void PageRun::DropCapture() {
  if (!cap) return;
  fz_drop_device(ctx, cap);
  fz_drop_pixmap(ctx, cap_pix);
  cap = nullptr;
  cap_pix = nullptr;
}

void PageRun::EndCapture() {
  if (!cap) return;
  FinishRaster(ctx, cap, cap_replayed + cap_clip_depth);
  try {
    std::vector<uint8_t> data;
    int bpp = 0;
    if (Pack(cap_pix, nullptr, &bpp, data)) {
      fz_matrix m{cap_pix->w / cap_scale, 0, 0, -(cap_pix->h / cap_scale), cap_rect.x0, cap_rect.y1};
      EmitRaw(m, cap_pix->w, cap_pix->h, bpp, data);
    }
  } catch (...) {
    Fail();
  }
  DropCapture();
}

// ---------------------------------------------------------------------------------------------
// Device callbacks. None lets a MuPDF error or a C++ exception out.

template <class F>
void Forward(fz_context* ctx, F&& f) {
  fz_try(ctx) { f(); }
  fz_catch(ctx) {}
}

void DevFillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int even_odd, fz_matrix ctm,
                 fz_colorspace* cs, const float* color, float alpha, fz_color_params cp) {
  PageRun* r = RunOf(dev);
  Type3Colour(r, &cs, &color, &alpha);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    Forward(ctx, [&] { fz_fill_path(ctx, r->cap, path, even_odd, m, cs, color, alpha, cp); });
    return;
  }
  if (r->Suppressed()) return;
  r->Call([&] { r->FillPath(path, even_odd, ctm, cs, color, alpha); });
}

void DevStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* st, fz_matrix ctm,
                   fz_colorspace* cs, const float* color, float alpha, fz_color_params cp) {
  PageRun* r = RunOf(dev);
  Type3Colour(r, &cs, &color, &alpha);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    Forward(ctx, [&] { fz_stroke_path(ctx, r->cap, path, st, m, cs, color, alpha, cp); });
    return;
  }
  if (r->Suppressed()) return;
  r->Call([&] { r->StrokePath(path, st, ctm, cs, color, alpha); });
}

void PushClip(PageRun* r, const fz_path* path, const fz_stroke_state* st, int even_odd, fz_matrix ctm,
              fz_rect bounds) {
  r->Call([&] { r->FlushPending(); });  // a path drawn before the clip is not cut by it
  Clip c;
  c.rect = fz_intersect_rect(bounds, r->Scissor());
  try {
    auto region = std::make_shared<pagesieve::ClipRegion>();
    if (path && !st && pagesieve::ClipRegionOfPath(r->ctx, path, ctm, even_odd != 0, region.get()))
      c.region = std::move(region);
    else if (!fz_is_infinite_rect(bounds))  // strokes, text and masks: their bounds
      c.region = std::make_shared<pagesieve::ClipRegion>(pagesieve::ClipRegionOfRect(bounds));
  } catch (...) {
    r->Fail();
    return;
  }
  if (path) {
    c.path = KeepPath(r->ctx, path);
    if (c.path && st) c.stroke = fz_keep_stroke_state(r->ctx, st);
  }
  c.even_odd = even_odd;
  c.ctm = ctm;
  try {
    r->clips.push_back(c);
  } catch (...) {
    fz_drop_path(r->ctx, c.path);
    fz_drop_stroke_state(r->ctx, c.stroke);
    r->Fail();
  }
}

void DevClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int even_odd, fz_matrix ctm, fz_rect sc) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    fz_rect s = fz_transform_rect(sc, r->cap_m);
    ++r->cap_clip_depth;
    Forward(ctx, [&] { fz_clip_path(ctx, r->cap, path, even_odd, m, s); });
    return;
  }
  PushClip(r, path, nullptr, even_odd, ctm, BoundPath(ctx, path, nullptr, ctm));
}

void DevClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* st,
                       fz_matrix ctm, fz_rect sc) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    fz_rect s = fz_transform_rect(sc, r->cap_m);
    ++r->cap_clip_depth;
    Forward(ctx, [&] { fz_clip_stroke_path(ctx, r->cap, path, st, m, s); });
    return;
  }
  PushClip(r, path, st, 0, ctm, BoundPath(ctx, path, st, ctm));
}

void DevClipText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_rect sc) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    fz_rect s = fz_transform_rect(sc, r->cap_m);
    ++r->cap_clip_depth;
    Forward(ctx, [&] { fz_clip_text(ctx, r->cap, text, m, s); });
    return;
  }
  PushClip(r, nullptr, nullptr, 0, ctm, BoundText(ctx, text, nullptr, ctm));
}

void DevClipStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* st,
                       fz_matrix ctm, fz_rect sc) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    fz_rect s = fz_transform_rect(sc, r->cap_m);
    ++r->cap_clip_depth;
    Forward(ctx, [&] { fz_clip_stroke_text(ctx, r->cap, text, st, m, s); });
    return;
  }
  PushClip(r, nullptr, nullptr, 0, ctm, BoundText(ctx, text, st, ctm));
}

void DevClipImageMask(fz_context* ctx, fz_device* dev, fz_image* img, fz_matrix ctm, fz_rect sc) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    fz_rect s = fz_transform_rect(sc, r->cap_m);
    ++r->cap_clip_depth;
    Forward(ctx, [&] { fz_clip_image_mask(ctx, r->cap, img, m, s); });
    return;
  }
  PushClip(r, nullptr, nullptr, 0, ctm, fz_transform_rect(fz_unit_rect, ctm));
}

void DevPopClip(fz_context* ctx, fz_device* dev) {
  PageRun* r = RunOf(dev);
  if (r->cap && r->cap_clip_depth > 0) {
    --r->cap_clip_depth;
    Forward(ctx, [&] { fz_pop_clip(ctx, r->cap); });
    return;
  }
  if (r->clips.empty()) return;
  r->Call([&] { r->FlushPending(); });  // a path drawn inside the clip is cut by it
  fz_drop_path(ctx, r->clips.back().path);
  fz_drop_stroke_state(ctx, r->clips.back().stroke);
  r->clips.pop_back();
}

void RasterCall(PageRun* r, fz_rect bounds, const std::function<void()>& draw);

void DevFillText(fz_context* ctx, fz_device* dev, const fz_text* text, fz_matrix ctm, fz_colorspace* cs,
                 const float* color, float alpha, fz_color_params cp) {
  PageRun* r = RunOf(dev);
  Type3Colour(r, &cs, &color, &alpha);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    if (!Type3TooCostly(ctx, text, ctm))
      Forward(ctx, [&] { fz_fill_text(ctx, r->cap, text, m, cs, color, alpha, cp); });
    return;
  }
  if (r->Suppressed()) return;
  r->Call([&] {
    r->FlushPending();
    fz_drop_text(ctx, r->last_fill_text);
    r->last_fill_text = fz_keep_text(ctx, text);
    r->EmitText(text, ctm, cs, color, alpha);
    if (IsType3(ctx, text)) r->RunType3Glyphs(text, ctm, cs, color, alpha);
  });
}

void DevStrokeText(fz_context* ctx, fz_device* dev, const fz_text* text, const fz_stroke_state* st, fz_matrix ctm,
                   fz_colorspace* cs, const float* color, float alpha, fz_color_params cp) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    if (!Type3TooCostly(ctx, text, ctm))
      Forward(ctx, [&] { fz_stroke_text(ctx, r->cap, text, st, m, cs, color, alpha, cp); });
    return;
  }
  if (r->Suppressed() || text == r->last_fill_text) return;  // fill and stroke: the fill stands
  r->Call([&] {
    r->FlushPending();
    if (IsType3(ctx, text)) {
      if (Type3TooCostly(ctx, text, ctm)) return;
      RasterCall(r, BoundText(ctx, text, st, ctm), [&] {
        fz_matrix m = fz_concat(ctm, r->cap_m);
        Forward(ctx, [&] { fz_stroke_text(ctx, r->cap, text, st, m, cs, color, alpha, cp); });
      });
      return;
    }
    r->EmitText(text, ctm, cs, color, alpha);
  });
}

void DevIgnoreText(fz_context*, fz_device*, const fz_text*, fz_matrix) {}  // invisible text

void DevFillShade(fz_context* ctx, fz_device* dev, fz_shade* shade, fz_matrix ctm, float alpha, fz_color_params cp) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    Forward(ctx, [&] { fz_fill_shade(ctx, r->cap, shade, m, alpha, cp); });
    return;
  }
  if (r->Suppressed()) return;
  fz_rect bounds = fz_infinite_rect;
  Forward(ctx, [&] { bounds = fz_bound_shade(ctx, shade, ctm); });
  r->Call([&] {
    r->FlushPending();
    RasterCall(r, bounds, [&] {
      fz_matrix m = fz_concat(ctm, r->cap_m);
      Forward(ctx, [&] { fz_fill_shade(ctx, r->cap, shade, m, alpha, cp); });
    });
  });
}

void DevFillImage(fz_context* ctx, fz_device* dev, fz_image* img, fz_matrix ctm, float alpha, fz_color_params cp) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    Forward(ctx, [&] { fz_fill_image(ctx, r->cap, img, m, alpha, cp); });
    return;
  }
  if (r->Suppressed()) return;
  r->Call([&] {
    r->FlushPending();
    r->EmitImage(img, ctm, alpha);
  });
}

void DevFillImageMask(fz_context* ctx, fz_device* dev, fz_image* img, fz_matrix ctm, fz_colorspace* cs,
                      const float* color, float alpha, fz_color_params cp) {
  PageRun* r = RunOf(dev);
  Type3Colour(r, &cs, &color, &alpha);
  if (r->cap) {
    fz_matrix m = fz_concat(ctm, r->cap_m);
    Forward(ctx, [&] { fz_fill_image_mask(ctx, r->cap, img, m, cs, color, alpha, cp); });
    return;
  }
  if (r->Suppressed()) return;
  r->Call([&] {
    r->FlushPending();
    RasterCall(r, fz_transform_rect(fz_unit_rect, ctm), [&] {
      fz_matrix m = fz_concat(ctm, r->cap_m);
      Forward(ctx, [&] { fz_fill_image_mask(ctx, r->cap, img, m, cs, color, alpha, cp); });
    });
  });
}

void DevBeginMask(fz_context* ctx, fz_device* dev, fz_rect area, int lum, fz_colorspace* cs, const float* bc,
                  fz_color_params cp) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    fz_rect a = fz_transform_rect(area, r->cap_m);
    Forward(ctx, [&] { fz_begin_mask(ctx, r->cap, a, lum, cs, bc, cp); });
    return;
  }
  r->Call([&] { r->FlushPending(); });
  ++r->mask_def;
}

void DevEndMask(fz_context* ctx, fz_device* dev) {
  PageRun* r = RunOf(dev);
  if (r->cap) {
    ++r->cap_clip_depth;  // the mask acts as a clip until its pop
    Forward(ctx, [&] { fz_end_mask(ctx, r->cap); });
    return;
  }
  if (r->mask_def > 0) --r->mask_def;
  // Soft-masked content is delivered unmasked; the mask still needs its place on the clip stack.
  PushClip(r, nullptr, nullptr, 0, fz_identity, fz_infinite_rect);
}

void DevBeginGroup(fz_context* ctx, fz_device* dev, fz_rect area, fz_colorspace* cs, int isolated, int knockout,
                   int blend, float alpha) {
  PageRun* r = RunOf(dev);
  if (!r->cap) return;
  fz_rect a = fz_transform_rect(area, r->cap_m);
  Forward(ctx, [&] { fz_begin_group(ctx, r->cap, a, cs, isolated, knockout, blend, alpha); });
}

void DevEndGroup(fz_context* ctx, fz_device* dev) {
  PageRun* r = RunOf(dev);
  if (!r->cap) return;
  Forward(ctx, [&] { fz_end_group(ctx, r->cap); });
}

int DevBeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                 fz_matrix ctm, int id) {
  PageRun* r = RunOf(dev);
  int cached = 0;
  if (r->cap) {
    ++r->cap_tile_depth;
    fz_rect a = fz_transform_rect(area, r->cap_m);
    fz_matrix m = fz_concat(ctm, r->cap_m);
    Forward(ctx, [&] { cached = fz_begin_tile_id(ctx, r->cap, a, view, xstep, ystep, m, id); });
    return cached;
  }
  if (r->Suppressed()) {
    ++r->skip_tile;
    return 0;
  }
  bool started = false;
  r->Call([&] {
    r->FlushPending();
    started = r->BeginCapture(area);
  });
  if (!started) {
    ++r->skip_tile;
    return 0;
  }
  r->cap_tile_depth = 1;
  fz_rect a = fz_transform_rect(area, r->cap_m);
  fz_matrix m = fz_concat(ctm, r->cap_m);
  Forward(ctx, [&] { cached = fz_begin_tile_id(ctx, r->cap, a, view, xstep, ystep, m, id); });
  return cached;
}

void DevEndTile(fz_context* ctx, fz_device* dev) {
  PageRun* r = RunOf(dev);
  if (r->cap && r->cap_tile_depth > 0) {
    Forward(ctx, [&] { fz_end_tile(ctx, r->cap); });
    if (--r->cap_tile_depth == 0) r->Call([&] { r->EndCapture(); });
    return;
  }
  if (r->skip_tile > 0) --r->skip_tile;
}

void RasterCall(PageRun* r, fz_rect bounds, const std::function<void()>& draw) {
  if (!r->BeginCapture(bounds)) return;
  draw();
  r->EndCapture();
}

fz_device* NewSieveDevice(fz_context* ctx, PageRun* run) {
  SieveDevice* d = fz_new_derived_device(ctx, SieveDevice);
  d->run = run;
  run->self = &d->super;
  d->super.fill_path = DevFillPath;
  d->super.stroke_path = DevStrokePath;
  d->super.clip_path = DevClipPath;
  d->super.clip_stroke_path = DevClipStrokePath;
  d->super.fill_text = DevFillText;
  d->super.stroke_text = DevStrokeText;
  d->super.clip_text = DevClipText;
  d->super.clip_stroke_text = DevClipStrokeText;
  d->super.ignore_text = DevIgnoreText;
  d->super.fill_shade = DevFillShade;
  d->super.fill_image = DevFillImage;
  d->super.fill_image_mask = DevFillImageMask;
  d->super.clip_image_mask = DevClipImageMask;
  d->super.pop_clip = DevPopClip;
  d->super.begin_mask = DevBeginMask;
  d->super.end_mask = DevEndMask;
  d->super.begin_group = DevBeginGroup;
  d->super.end_group = DevEndGroup;
  d->super.begin_tile = DevBeginTile;
  d->super.end_tile = DevEndTile;
  return &d->super;
}

void BeginPage(PageRun* r, fz_rect crop, fz_matrix page_ctm) noexcept {
  fz_rect shown = fz_transform_rect(crop, page_ctm);
  PdfPageRecord rec{};
  SetMatrix(rec.matrix, page_ctm);
  rec.box[0] = crop.x0;
  rec.box[1] = crop.y0;
  rec.box[2] = crop.x0 + (shown.x1 - shown.x0);
  rec.box[3] = crop.y0 + (shown.y1 - shown.y0);
  r->page_rect = crop;
  r->Call([&] { r->parser->OnPageBegin(&rec); });
}

// Runs one page; only plain values live inside the try.
int RunPage(fz_context* ctx, Impl* impl, int index, PageRun* run) {
  pdf_page* page = nullptr;
  fz_device* dev = nullptr;
  fz_cookie cookie = {};
  int ok = 1;
  fz_var(page);
  fz_var(dev);
  run->cookie = &cookie;
  fz_try(ctx) {
    page = pdf_load_page(ctx, impl->doc, index);
    // A page object that could not be read loads as an empty page: it is a damaged page.
    if (!pdf_is_dict(ctx, page->obj)) fz_throw(ctx, FZ_ERROR_GENERIC, "the page object cannot be read");
    fz_rect crop;
    fz_matrix page_ctm;
    pdf_page_transform(ctx, page, &crop, &page_ctm);
    impl->preloading = true;
    PreloadFonts(ctx, impl, page);
    impl->preloading = false;
    fz_flush_warnings(ctx);  // what the preload was told, the drawing must be told again
    BeginPage(run, crop, page_ctm);
    dev = NewSieveDevice(ctx, run);
    impl->run_cookie = &cookie;
    pdf_run_page(ctx, page, dev, fz_invert_matrix(page_ctm), &cookie);
    fz_close_device(ctx, dev);
  }
  fz_always(ctx) {
    impl->preloading = false;
    impl->run_cookie = nullptr;
    fz_drop_device(ctx, dev);
    fz_drop_page(ctx, reinterpret_cast<fz_page*>(page));
  }
  fz_catch(ctx) { ok = 0; }
  run->cookie = nullptr;
  return ok;
}

pdf_document* OpenDocument(fz_context* ctx, const char* path, int* pages, std::string* error) {
  pdf_document* doc = nullptr;
  fz_var(doc);
  *pages = 0;
  fz_try(ctx) {
    doc = pdf_open_document(ctx, path);
    if (pdf_needs_password(ctx, doc) && !pdf_authenticate_password(ctx, doc, ""))
      fz_throw(ctx, FZ_ERROR_GENERIC, "document is protected by a password");
    *pages = pdf_count_pages(ctx, doc);
  }
  fz_catch(ctx) {
    const char* why = fz_caught_message(ctx);
    *error = why && *why ? why : "the file cannot be read";
    pdf_drop_document(ctx, doc);
    doc = nullptr;
    *pages = 0;
  }
  return doc;
}

}  // namespace

cpdfEngine::cpdfEngine(const wchar_t* path, bool) : impl_(std::make_unique<Impl>()) {
  if (!path) return;
  std::string utf8 = lw::WideToUtf8(path);
  fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
  if (!ctx) {
    impl_->open_error = "out of memory";
    return;
  }
  impl_->ctx = ctx;
  fz_set_error_callback(ctx, Quiet, nullptr);
  fz_set_warning_callback(ctx, NoteWarning, impl_.get());
  impl_->doc = OpenDocument(ctx, utf8.c_str(), &impl_->pages, &impl_->open_error);
  if (impl_->pages < 0) impl_->pages = 0;
}

const char* cpdfEngine::Open_Error() const { return impl_->open_error.c_str(); }

cpdfEngine::~cpdfEngine() = default;

int cpdfEngine::Get_Pages_Counts() { return impl_->doc ? impl_->pages : 0; }

bool cpdfEngine::parse_pdf_page(int oneBased, CPdfParseInterface* parser) {
  if (!parser || !impl_->doc || oneBased < 1 || oneBased > impl_->pages) return false;
  impl_->last_omissions.clear();
  PageRun run(impl_.get(), parser);
  // A warning repeated from the last page must reach the callback again.
  fz_flush_warnings(impl_->ctx);
  impl_->run_omissions = &run.omissions;
  int ok = RunPage(impl_->ctx, impl_.get(), oneBased - 1, &run);
  fz_flush_warnings(impl_->ctx);
  impl_->run_omissions = nullptr;
  run.Call([&] { run.FlushPending(); });
  run.DropCapture();
  impl_->last_omissions = std::move(run.omissions);
  // A page stopped at its budget keeps what it has.
  return (ok || run.simplified) && !run.failed;
}

std::vector<PdfPageOmission> cpdfEngine::last_page_omissions() const { return impl_->last_omissions; }
