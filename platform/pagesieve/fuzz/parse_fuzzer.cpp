// Opens arbitrary bytes as a PDF and parses its first pages with a parser that only walks the
// records it is given, so that every pointer and count the engine hands out is read.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "cpdfEngine.h"
#include "lwstr.h"

namespace {

struct Walker : CPdfParseInterface {
  unsigned sum = 0;
  void OnPageBegin(const PdfPageRecord* p) override { sum += static_cast<unsigned>(p->box[2]); }
  void OnTextObject(const PdfTextRecord* t) override {
    for (int i = 0; i < t->run_count; ++i)
      for (int k = 0; t->runs[i] && k < t->runs[i]->char_count; ++k) sum += t->runs[i]->chars[k].character;
  }
  void OnImageObject(const PdfImageRecord* im) override {
    for (int i = 0; i < im->data_length; i += 61) sum += im->data[i];
    if (im->data_length > 0) sum += im->data[im->data_length - 1];
  }
  void OnPathObject(const PdfPathRecord* p) override {
    for (int i = 0; i < p->segment_count; ++i) sum += static_cast<unsigned>(p->segments[i].op);
  }
  void OnFontResource(const PdfFontRecord* f) override {
    for (int i = 0; i < f->glyph_name_count && i < 256; ++i)
      if (f->glyph_names[i]) sum += static_cast<unsigned>(std::string(f->glyph_names[i]).size());
    for (int i = 0; i < f->hmetric_count; ++i) sum += static_cast<unsigned>(f->hmetrics[i].w);
    for (int i = 0; i < f->vmetric_count; ++i) sum += static_cast<unsigned>(f->vmetrics[i].w);
    for (const qv_cmap_s* m : {f->to_ttf_cmap, f->encoding_cmap, f->unicode_cmap}) {
      if (!m) continue;
      for (int i = 0; i < m->rlen; ++i) sum += m->ranges[i].offset;
      for (int i = 0; i < m->tlen; ++i) sum += m->table[i];
    }
    const PdfFontProgram* p = f->program;
    if (p->program_length > 0) sum += p->program[p->program_length - 1];
    for (int i = 0; i < p->cid_to_gid_count; ++i) sum += p->cid_to_gid[i];
    for (int i = 0; i < p->cid_to_ucs_count; ++i) sum += p->cid_to_ucs[i];
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char path[] = "/tmp/pagesieve_fuzz_XXXXXX";
  int fd = mkstemp(path);
  if (fd < 0) return 0;
  bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
  close(fd);
  if (written) {
    cpdfEngine engine(lw::Utf8ToWide(path).c_str(), false);
    int pages = engine.Get_Pages_Counts();
    for (int page = 1; page <= pages && page <= 3; ++page) {
      Walker w;
      engine.parse_pdf_page(page, &w);
    }
  }
  unlink(path);
  return 0;
}
