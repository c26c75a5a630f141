// How much room a PDF export of a document takes on disk, worked out before the export from what it
// will write: page objects and content, pictures (compressed) and font programs.
#include <zlib.h>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

#include <gdiplus/GdiplusBitmap.h>
#include <glyphweave/EditableTextObj.h>
#include <glyphweave/EmbedFontRes.h>
#include <pagesieve/PdfRecords.h>
#include <pressmark/PdfExport.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/RenderObj.h>
#include <vectorloom/ShapeObj.h>

namespace QorPDFExportingLib {

namespace {

// What the writer spends at the least, in bytes of the file (content streams are compressed):
// the file's header, catalogue, page tree and trailer; a page's dictionary, content stream and
// cross-reference entries; a path segment; a text's block and font resources, and a character
// of it; a face's dictionaries, widths and cut program, and each glyph the cut program keeps.
constexpr uint64_t kFileBytes = 200;
constexpr uint64_t kPageBytes = 150;
constexpr uint64_t kSegmentBytes = 2;
constexpr uint64_t kTextBytes = 120;
constexpr uint64_t kCharacterBytes = 3;
constexpr uint64_t kFaceBytes = 3000;
constexpr uint64_t kGlyphBytes = 80;
constexpr uint64_t kEmbeddedFaceBytes = 2000;
constexpr uint64_t kEmbeddedGlyphBytes = 100;

// What a face the texts use is written as: an installed face (or an imported font that came
// without its program) is cut from the installed file; an embedded program is cut to the glyphs
// shown, and goes out compressed: half its bytes at the most. A Type 1 program keeps its
// encrypted (incompressible) part and its subroutines when cut: half its bytes.
struct FaceUse {
  uint64_t programBytes = 0;  // 0: drawn from an installed face
  bool type1 = false;
  std::set<char16_t> glyphs;

  uint64_t Bytes() const {
    const uint64_t glyphCount = glyphs.size();
    if (programBytes == 0) return kFaceBytes + glyphCount * kGlyphBytes;
    if (type1) return programBytes / 2;
    return std::min(programBytes / 2, kEmbeddedFaceBytes + glyphCount * kEmbeddedGlyphBytes);
  }
};

// Compressed bytes of the rows fed to it (Flate, as the writer compresses streams).
class PackedSize {
 public:
  PackedSize() { m_ok = deflateInit(&m_z, Z_DEFAULT_COMPRESSION) == Z_OK; }
  ~PackedSize() {
    if (m_ok) deflateEnd(&m_z);
  }
  PackedSize(const PackedSize&) = delete;
  PackedSize& operator=(const PackedSize&) = delete;
  void Add(const Bytef* data, size_t size) { Pump(data, size, Z_NO_FLUSH); }
  // The compressed size of everything added; false when compression could not start.
  bool Finish(uint64_t* bytes) {
    if (!m_ok) return false;
    Pump(nullptr, 0, Z_FINISH);
    *bytes = m_packed;
    return true;
  }

 private:
  void Pump(const Bytef* data, size_t size, int flush) {
    if (!m_ok) return;
    m_z.next_in = const_cast<Bytef*>(data);
    m_z.avail_in = static_cast<uInt>(size);
    Bytef out[16384];
    do {
      m_z.next_out = out;
      m_z.avail_out = sizeof out;
      deflate(&m_z, flush);
      m_packed += sizeof out - m_z.avail_out;
    } while (m_z.avail_out == 0);
  }
  z_stream m_z{};
  bool m_ok = false;
  uint64_t m_packed = 0;
};

// The bytes of a picture as the writer stores it: a JPEG the picture still is goes out as its own
// bytes; other pixels are compressed, colours and alpha apart. Bands of rows spread over the
// picture are compressed, and the whole is counted at the rate they reached, less an eighth
// (compression varies across a picture).
uint64_t PictureBytes(Gdiplus::Bitmap& bitmap) {
  if (const std::vector<BYTE>* jpeg = bitmap.LwJpegBytes()) return jpeg->size();
  const UINT width = bitmap.GetWidth(), height = bitmap.GetHeight();
  if (width == 0 || height == 0) return 0;
  const bool alpha = (bitmap.GetFlags() & Gdiplus::ImageFlagsHasAlpha) != 0;
  constexpr UINT kBandRows = 8, kBands = 24;
  const UINT bandRows = std::min(kBandRows, height);
  const UINT bands = std::min<UINT>(kBands, (height + bandRows - 1) / bandRows);
  PackedSize colours, alphas;
  std::vector<Bytef> rgb(static_cast<size_t>(width) * 3), a(width);
  uint64_t sampledRows = 0;
  for (UINT b = 0; b < bands; ++b) {
    const UINT top = bands == 1 ? 0 : static_cast<UINT>(static_cast<uint64_t>(height - bandRows) * b / (bands - 1));
    Gdiplus::Rect rect(0, static_cast<INT>(top), static_cast<INT>(width), static_cast<INT>(bandRows));
    Gdiplus::BitmapData data{};
    if (bitmap.LockBits(&rect, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &data) != Gdiplus::Ok) continue;
    for (UINT y = 0; y < bandRows; ++y) {
      const BYTE* row = static_cast<const BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
      for (UINT x = 0; x < width; ++x) {
        rgb[3 * x] = row[4 * x + 2], rgb[3 * x + 1] = row[4 * x + 1], rgb[3 * x + 2] = row[4 * x];
        a[x] = row[4 * x + 3];
      }
      colours.Add(rgb.data(), rgb.size());
      if (alpha) alphas.Add(a.data(), a.size());
    }
    bitmap.UnlockBits(&data);
    sampledRows += bandRows;
  }
  uint64_t packedColours = 0, packedAlpha = 0;
  if (sampledRows == 0 || !colours.Finish(&packedColours) || !alphas.Finish(&packedAlpha)) return 0;
  return (packedColours + packedAlpha) * height / sampledRows * 7 / 8;
}

struct SizeWalk {
  GlyphweaveLib::CEmbedFontResManager* fonts = nullptr;
  std::set<const Gdiplus::Bitmap*> pictures;
  std::map<GlyphweaveLib::_CharsFontDesc, FaceUse> faces;
  uint64_t bytes = 0;

  void Object(Vectorloom::CRenderBaseObj* obj) {
    if (!obj) return;
    switch (obj->GetObjectType()) {
      case Vectorloom::RENDER_OBJ_GROUP:
        if (auto* group = dynamic_cast<Vectorloom::CRenderGroupObj*>(obj))
          for (Vectorloom::CRenderBaseObj* child : group->GetChildList()) Object(child);
        break;
      case Vectorloom::RENDER_OBJ_SHAPE:
        if (auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(obj)) Shape(*shape);
        break;
      case Vectorloom::RENDER_OBJ_TEXT:
        if (auto* text = dynamic_cast<GlyphweaveLib::CEditableTextObj*>(obj)) Text(*text);
        break;
      default:
        break;
    }
  }

  void Shape(Vectorloom::CBaseShapeObj& shape) {
    // A picture goes out as an image only over a shape of one rectangle (as the export draws it).
    const auto* custom = dynamic_cast<const Vectorloom::CCustomPathObj*>(&shape);
    if (custom && custom->GetSubPathsCount() == 1 && custom->GetSubPath(0).IsRectangularPath() && shape.IsFilled() &&
        shape.GetFillKind() == Vectorloom::RENDER_KIND_BITMAP) {
      Vectorloom::CBitmapResObj* res = shape.GetFillDefinition().GetRenderBitmap();
      if (Gdiplus::Bitmap* bitmap = res ? res->GetGdiBitmap() : nullptr)
        if (pictures.insert(bitmap).second) bytes += PictureBytes(*bitmap);
    }
    uint64_t segments = 4;  // a shape the view outlines (an ellipse, a star) is a few curves at the least
    if (custom) {
      segments = 0;
      for (int i = 0; i < custom->GetSubPathsCount(); ++i)
        segments += static_cast<uint64_t>(custom->GetSubPath(i).GetNodesCount());
    }
    bytes += segments * kSegmentBytes;
  }

  void Text(GlyphweaveLib::CEditableTextObj& text) {
    const GlyphweaveLib::CArrayOfTextCharacters& chars = text.GetArrayOfTextCharacters();
    bytes += kTextBytes + chars.size() * kCharacterBytes;
    const auto& runs = text.GetFontRuns();
    size_t at = 0;
    for (int r = 0; r < runs.GetSize(); ++r) {
      const GlyphweaveLib::_CharsFontDesc& face = runs.GetAt(r).m_FontDesc;
      auto [use, first] = faces.try_emplace(face);
      if (first && face.IsEmbedFont() && fonts) {
        const GlyphweaveLib::CEmbedFontResouce* font = fonts->FindEmbedFontResource(face.GetEmbedFontID());
        if (const GlyphweaveLib::CPdfEmbedFontDesc* program = font ? font->GetEmbedPdfFontContent() : nullptr) {
          use->second.programBytes = program->m_vProgram.size();
          use->second.type1 = program->m_nFirstWord == kPdfProgramType1;
        }
      }
      for (uint32_t k = 0; k < runs.GetAt(r).m_nLength && at < chars.size(); ++k, ++at)
        if (const char16_t c = chars[at].GetCharacter(); c > 32) use->second.glyphs.insert(c);
    }
  }

  uint64_t Total() const {
    uint64_t total = bytes;
    for (const auto& [face, use] : faces) total += use.Bytes();
    return total;
  }
};

}  // namespace

uint64_t EstimatePdfBytes(Quirebook::CPublicationDoc& doc) {
  SizeWalk walk;
  walk.fonts = doc.GetEmbedFontResManager();
  auto lock = doc.LockContent();
  const int pages = doc.GetPagesCount();
  walk.bytes = kFileBytes + static_cast<uint64_t>(std::max(pages, 0)) * kPageBytes;
  for (int i = 0; i < pages; ++i) {
    const Quirebook::CDrawingPage* page = doc.GetDrawingPage(i);
    if (!page || !page->IsPageContentLoaded()) continue;
    for (Vectorloom::CRenderBaseObj* obj : page->GetRenderObjectList()) walk.Object(obj);
  }
  return walk.Total();
}

}  // namespace QorPDFExportingLib
