// A CPdfParseInterface that copies every record it receives, for checking what the engine hands
// out and in which order.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "PdfFixtures.h"
#include "TestSupport.h"
#include "cpdfEngine.h"
#include "lwstr.h"

namespace pstest {

struct Text {
  std::vector<float> matrix;
  struct Run {
    PdfTextRun rec;
    std::vector<PdfRunChar> chars;
    std::u16string str() const {
      std::u16string s;
      for (const PdfRunChar& c : chars) s += static_cast<char16_t>(c.character & 0xFFFF);
      return s;
    }
  };
  std::vector<Run> runs;
  std::u16string str() const {
    std::u16string s;
    for (const Run& r : runs) s += r.str();
    return s;
  }
};

struct Image {
  PdfImageRecord rec;
  std::vector<uint8_t> data;
};

struct Path {
  PdfPathRecord rec;
  std::vector<PdfPathSegment> segs;
};

struct Font {
  PdfFontRecord rec;
  PdfFontProgram program;
  std::vector<std::string> glyph_names;  // 256 entries for simple fonts
  std::vector<uint16_t> cid_to_gid, cid_to_ucs;
  std::vector<qv_cmap_range_s> unicode_ranges;
  std::vector<uint16_t> unicode_table;
  size_t program_length = 0;
  // Code of a Unicode value in the to-Unicode map (single and range entries), or -1.
  int CodeOf(uint16_t u) const {
    for (const qv_cmap_range_s& r : unicode_ranges) {
      int kind = r.extent_flags & 3, extent = r.extent_flags >> 2;
      if (kind <= 1 && u >= r.offset && u <= r.offset + extent) return r.low + (u - r.offset);
    }
    for (size_t c = 0; c < cid_to_ucs.size(); ++c)
      if (cid_to_ucs[c] == u) return static_cast<int>(c);
    return -1;
  }
};

// One event per callback, in order: 'P' page, 'T' text, 'I' image, 'F' font, 'A' path.
class RecordingParser : public CPdfParseInterface {
 public:
  std::string events;
  std::vector<PdfPageRecord> pages;
  std::vector<Text> texts;
  std::vector<Image> images;
  std::vector<Path> paths;
  std::vector<Font> fonts;
  std::vector<int> fonts_before_text;  // font ids delivered so far on this page
  bool text_font_missing = false;      // a run used a font not delivered before it

  void OnPageBegin(const PdfPageRecord* p) override {
    events += 'P';
    pages.push_back(*p);
    fonts_before_text.clear();
  }
  void OnTextObject(const PdfTextRecord* t) override {
    events += 'T';
    Text x;
    x.matrix.assign(t->matrix, t->matrix + 6);
    for (int i = 0; i < t->run_count; ++i) {
      const PdfTextRun* r = t->runs[i];
      if (!r) continue;
      bool known = false;
      for (int id : fonts_before_text) known = known || id == r->font_id;
      text_font_missing = text_font_missing || !known;
      x.runs.push_back({*r, std::vector<PdfRunChar>(r->chars, r->chars + r->char_count)});
    }
    texts.push_back(std::move(x));
  }
  void OnImageObject(const PdfImageRecord* im) override {
    events += 'I';
    images.push_back({*im, std::vector<uint8_t>(im->data, im->data + im->data_length)});
  }
  void OnPathObject(const PdfPathRecord* p) override {
    events += 'A';
    paths.push_back({*p, std::vector<PdfPathSegment>(p->segments, p->segments + p->segment_count)});
  }
  void OnFontResource(const PdfFontRecord* f) override {
    events += 'F';
    fonts_before_text.push_back(f->font_id);
    Font x;
    x.rec = *f;
    x.program = *f->program;
    x.program_length = static_cast<size_t>(f->program->program_length);
    for (int i = 0; i < f->glyph_name_count && i < 256; ++i)
      x.glyph_names.push_back(f->glyph_names[i] ? f->glyph_names[i] : "");
    const PdfFontProgram& p = *f->program;
    if (p.cid_to_gid) x.cid_to_gid.assign(p.cid_to_gid, p.cid_to_gid + p.cid_to_gid_count);
    if (p.cid_to_ucs) x.cid_to_ucs.assign(p.cid_to_ucs, p.cid_to_ucs + p.cid_to_ucs_count);
    if (const qv_cmap_s* u = f->unicode_cmap) {
      if (u->ranges) x.unicode_ranges.assign(u->ranges, u->ranges + u->rlen);
      if (u->table) x.unicode_table.assign(u->table, u->table + u->tlen);
    }
    fonts.push_back(std::move(x));
  }

  const Font* FontById(int id) const {
    for (const Font& f : fonts)
      if (f.rec.font_id == id) return &f;
    return nullptr;
  }
};

// Writes `bytes` into a file of `dir` and opens an engine on it.
inline std::unique_ptr<cpdfEngine> OpenBytes(const lwtest::TempDir& dir, const std::vector<uint8_t>& bytes,
                                             const std::string& name = "doc.pdf") {
  std::filesystem::path p = dir / name;
  lwtest::WriteFileBytes(p, bytes);
  return std::make_unique<cpdfEngine>(lw::Utf8ToWide(p.string()).c_str(), false);
}

// Parses page `page` of `bytes` into a fresh recorder; `ok` receives the engine's result.
inline RecordingParser ParsePage(const std::vector<uint8_t>& bytes, int page = 1, bool* ok = nullptr) {
  lwtest::TempDir dir;
  auto engine = OpenBytes(dir, bytes);
  RecordingParser rec;
  bool r = engine->parse_pdf_page(page, &rec);
  if (ok) *ok = r;
  return rec;
}

// Maps (x, y) by a record matrix.
inline std::pair<float, float> Apply(const float* m, float x, float y) {
  return {x * m[0] + y * m[2] + m[4], x * m[1] + y * m[3] + m[5]};
}

}  // namespace pstest
