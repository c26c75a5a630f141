// Reads arbitrary bytes as a CMap record with its chain; an accepted map must write back to the
// length it was read from, convert to an engine record and back, and answer lookups.
#include <pagesieve/qv_cmap.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

#include "glyphweave/EmbedFontMapWrap.h"

namespace {

void FreeEngineMap(qv_cmap_s* p) {
  while (p) {
    qv_cmap_s* next = p->usecmap;
    std::free(p->ranges);
    std::free(p->table);
    std::free(p);
    p = next;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GlyphweaveLib::CEmbedFontMapWrap map;
  Vectorloom::CStreamReader in(data, static_cast<unsigned>(size));
  if (!map.GetByBinaryContent(&in)) return 0;

  int out[8];
  for (int code : {-1, 0, 1, 0x41, 0x100, 0x8140, 0xFFFF, 0x10000, 0x13FFF}) {
    map.LookupCMap(code);
    map.LookupCMapFully(code, out, 8);
  }
  int code = 0;
  map.DecodeCMap(data, static_cast<int>(size), &code);

  Vectorloom::CVariableStream written;
  if (!map.PutBinaryContent(&written)) abort();
  const size_t used = in.GetPosition();
  if (static_cast<size_t>(written.GetLength()) != used) abort();

  // Through the engine record and back: the lookups stay the same (names are cut to the
  // engine's 30 characters), and a second trip changes nothing.
  qv_cmap_s* engine = map.Convert2PdfMap();
  if (!engine) return 0;
  GlyphweaveLib::CEmbedFontMapWrap back;
  if (!back.SetWithCMap(engine)) abort();
  FreeEngineMap(engine);
  for (int c : {0, 0x41, 0x100, 0x8140, 0xFFFF})
    if (back.LookupCMap(c) != map.LookupCMap(c)) abort();
  qv_cmap_s* engine2 = back.Convert2PdfMap();
  if (!engine2) return 0;
  GlyphweaveLib::CEmbedFontMapWrap back2;
  if (!back2.SetWithCMap(engine2) || !back2.IsEqualFontCMapWrap(back)) abort();
  FreeEngineMap(engine2);
  return 0;
}
