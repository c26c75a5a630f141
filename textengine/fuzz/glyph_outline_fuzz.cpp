// Untrusted outline data: the first byte picks the reader.
//   0: GDI native outline records (what GetGlyphOutlineW hands back) into a path;
//   1: a FreeType outline whose counts, contour ends, tags and points come from the bytes;
//   2: the bytes as an embedded font program, glyphs made through the FreeType engine.
// Whatever path results is emboldened, as bold text drawing does.
#include <cstdint>
#include <cstring>
#include <vector>

#include "glyphweave/AccessTextsOutline.h"
#include "glyphweave/EmbedFontRes.h"

using namespace GlyphweaveLib;

namespace {

void Embolden(const Gdiplus::GraphicsPath& path) {
  Gdiplus::GraphicsPath bold;
  EmboldenOutlineXY(path, bold, 24.0f, 24.0f);
}

void FreeTypeOutline(const uint8_t* data, size_t size) {
  if (size < 4) return;
  const int nPoints = data[0] | (data[1] << 8);
  const int nContours = data[2] | (data[3] << 8);
  data += 4;
  size -= 4;
  // Arrays as large as the counts claim, filled from the bytes (zeros when they run out).
  std::vector<short> contours(static_cast<size_t>(nContours) + 1);
  std::vector<char> tags(static_cast<size_t>(nPoints) + 1);
  std::vector<FT_Vector> points(static_cast<size_t>(nPoints) + 1);
  size_t at = 0;
  auto next = [&]() -> uint8_t { return at < size ? data[at++] : 0; };
  for (auto& c : contours) c = static_cast<short>(next() | (next() << 8));
  for (auto& t : tags) t = static_cast<char>(next());
  for (auto& p : points) {
    p.x = static_cast<int8_t>(next()) * 64 + next();
    p.y = static_cast<int8_t>(next()) * 64 + next();
  }
  FT_Outline outline{};
  outline.n_points = static_cast<short>(nPoints);
  outline.n_contours = static_cast<short>(nContours);
  outline.points = points.data();
  outline.tags = tags.data();
  outline.contours = contours.data();
  Gdiplus::GraphicsPath path;
  AddOutlineToPath(outline, Gdiplus::Matrix(), true, path);
  Embolden(path);
}

void FontProgram(const uint8_t* data, size_t size) {
  static const bool started = CFFTypeFontEngine::FFTypeInitialize();
  if (!started) return;
  CEmbedFontResouce res;
  res.SetFontID(1);
  res.SetEmbedFontFlag(0);
  CPdfEmbedFontDesc program;
  program.m_vProgram.assign(data, data + size);
  res.SetEmbedPdfFontContent(&program);
  CFFTypeFontEngine engine;
  if (!engine.SetAccessFont(nullptr, 0, &res, true)) return;
  for (unsigned ch : {65u, 13u, 0x4E2Du}) {
    Gdiplus::GraphicsPath path;
    Gdiplus::Matrix m;
    float x = 0, y = 0;
    if (engine.PrepareGlyph(ch, m, path, &x, &y)) Embolden(path);
  }
  engine.IsContainCharacters(L"AB");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t mode = data[0] % 3;
  ++data;
  --size;
  if (mode == 0) {
    Gdiplus::GraphicsPath path;
    AddNativeOutlineToPath(data, static_cast<DWORD>(size), Gdiplus::Matrix(), path);
    Embolden(path);
  } else if (mode == 1) {
    FreeTypeOutline(data, size);
  } else {
    FontProgram(data, size);
  }
  return 0;
}
