#include "ClipboardParts.h"

#include <mfc/afxbinio.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <gdiplus/gdiplus.h>
#include <glyphweave/EditableTextObj.h>
#include <quirebook/StoredPath.h>

#include "LfwSections.h"
#include "PageObjectRecords.h"

using namespace Vectorloom;

// ---------------------------------------------------------------------------------------------
// "Objs" writer

CZipSavingClipedObjects::CZipSavingClipedObjects(const CRenderBaseObjectList& objects)
    : CZipSavingInterface("Objs"), m_objects(objects) {}

bool CZipSavingClipedObjects::SavingIndexs(CFile* file) const {
  lw::bin::WriteU32(*file, 1);
  for (int k = 0; k < 3; ++k) lw::bin::WriteU32(*file, 0);
  return true;
}

unsigned char* CZipSavingClipedObjects::MakeBlockContent(int index, unsigned long& rawLength, const CString&,
                                                         const CString& s2) {
  rawLength = 0;
  if (index != 0) return nullptr;
  CMemFile block(1024);
  uint32_t wanted = 0;
  for (CRenderBaseObj* obj : m_objects)
    if (PageObjectTypeBit(obj->GetObjectType()) & kClipboardObjectTypes) ++wanted;
  if (SaveObjectList(block, m_objects, s2, kClipboardObjectTypes) != wanted) return nullptr;
  const ULONGLONG length = block.GetLength();
  BYTE* bytes = block.Detach();
  if (!bytes) return nullptr;
  rawLength = static_cast<unsigned long>(length);
  return bytes;
}

// ---------------------------------------------------------------------------------------------
// "Objs" reader

CZipExtractClipedObjects::CZipExtractClipedObjects(CPublicationDoc* doc, CRenderBaseObjectList& target)
    : CZipExtractorInterface("Objs"), m_pDoc(doc), m_target(target) {}

CString CZipExtractClipedObjects::MakePastedName(const CString& name) {
  CString pasted = CString(L"Copy Of ") + name;
  if (pasted.GetLength() > kMaxPastedNameLength) pasted = pasted.Left(kMaxPastedNameLength);
  return pasted;
}

bool CZipExtractClipedObjects::ExtractBlockContent(const unsigned*, const unsigned char* data, unsigned length,
                                                   const CString&, const CString& s2) {
  if (m_bFailed) return false;
  CRenderBaseObjectList read;
  bool ok = data != nullptr && length >= 4;
  if (ok) {
    CMemFile block(const_cast<BYTE*>(data), length);
    ok = LoadObjectList(block, read, nullptr, m_loadedBitmaps, s2, kClipboardObjectTypes) &&
         block.GetPosition() == block.GetLength();
  }
  if (!ok) {
    m_bFailed = true;
    m_target.RemoveAllElements();
    return false;
  }
  for (CRenderBaseObj* obj : read) {
    obj->SetObjectName(MakePastedName(obj->GetObjectName()));
    m_target.AddElement(obj);
  }
  return true;
}

void CZipExtractClipedObjects::FinishExtracting() {
  if (m_bFailed || !m_pDoc) return;
  FinishLoadedObjects(m_target, *m_pDoc);
}

// ---------------------------------------------------------------------------------------------
// "Dibs" reader

namespace {

// Words of a "Dibs" entry behind the 12-byte head: id, size, time (low, high), 130 path words.
constexpr unsigned kDibsTailBytes = kLfwDibsEntrySize - Quirebook::kBlockEntryHeadSize;

}  // namespace

CZipExtractBitmapResObjs::CZipExtractBitmapResObjs(CPublicationDoc* doc, CRenderBaseObjectList& target)
    : CZipExtractorInterface("Dibs", kDibsTailBytes), m_pDoc(doc), m_target(target) {}

bool CZipExtractBitmapResObjs::ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length,
                                                   const CString&, const CString&) {
  const uint32_t size = tail[1];
  const int64_t time = static_cast<int64_t>(static_cast<uint64_t>(tail[2]) | (static_cast<uint64_t>(tail[3]) << 32));
  uint8_t field[kLfwPathUnits * 2];
  for (unsigned k = 0; k < kLfwPathUnits / 2; ++k) lw::bin::PutLE32(field + 4 * k, tail[4 + k]);
  CString path = DecodeLfwPathField(field);
  // A path too long for the field was stored as its reference: the pasted objects carry it whole.
  if (path.GetLength() > 0 && path[0] == L'*') {
    CBitmapResObjsList used;
    for (CRenderBaseObj* obj : m_target) obj->CollectExternalBmpResObjs(used);
    for (CBitmapResObj* res : used) {
      if (res->GetResourceKind() != BITMAP_RES_EXTERNAL) continue;
      const auto* ext = static_cast<CExternalBmpResObj*>(res);
      if (ext->GetFileSize() == size && ext->GetFileTime() == time &&
          Quirebook::StoredPathMatches(path.str(), ext->GetPathName().str())) {
        path = ext->GetPathName();
        break;
      }
    }
  }

  if (m_decoded.FindExternal(path, size, time) || m_shared.FindExternal(path, size, time)) return true;
  // A picture the document shows already is shared, not decoded again.
  if (m_pDoc) {
    CExternalBmpResObj* held = m_pDoc->FindBitmapResObject(path, size, time);
    if (held && held->HasBitmap()) {
      m_shared.Add(held);
      return true;
    }
  }
  Gdiplus::Bitmap* bitmap = DecodePictureBytes(data, length);
  if (!bitmap) {
    ++m_nSkipped;
    return false;
  }
  auto* res = new CExternalBmpResObj(path, size, time);
  res->SetGdiBitmap(bitmap, nullptr, 1);
  m_decoded.Add(res);
  return true;
}

void CZipExtractBitmapResObjs::FinishExtracting() {
  for (CRenderBaseObj* obj : m_target) {
    if (!m_decoded.IsEmpty()) obj->AssignExternalBmpRes(m_decoded);
    if (!m_shared.IsEmpty()) obj->AssignExternalBmpRes2(m_shared);
  }
  // The objects' own resources share the decoded pictures now; these resources let go.
  for (CBitmapResObj* res : m_decoded) res->SetGdiBitmap(nullptr, nullptr, 0);
  m_decoded.RemoveAll();
  m_shared.RemoveAll();
}

// ---------------------------------------------------------------------------------------------
// "Font" reader

CZipExtractorEmbedFont::CZipExtractorEmbedFont(CPublicationDoc* doc, CRenderBaseObjectList& target)
    : CZipExtractorInterface("Font", 4), m_pDoc(doc), m_target(target) {}

bool CZipExtractorEmbedFont::ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length,
                                                 const CString&, const CString&) {
  const int id = static_cast<int32_t>(tail[0]);
  if (id < 0 || !data) return false;
  for (const auto& f : m_fonts)
    if (f->GetFontID() == id) return false;
  auto font = std::make_unique<GlyphweaveLib::CEmbedFontResouce>();
  if (!font->SetByBinaryContent(data, length)) return false;
  font->SetFontID(id);
  m_fonts.push_back(std::move(font));
  return true;
}

std::map<int, int> CZipExtractorEmbedFont::MoveFontsIntoDocument() {
  if (m_fonts.empty() || !m_pDoc) return m_remap;
  std::vector<int> incoming;
  for (const auto& f : m_fonts) incoming.push_back(f->GetFontID());
  GlyphweaveLib::CEmbedFontResManager& manager = *m_pDoc->GetEmbedFontResManager();
  // Which ids end up naming a pasted font: those the document lacked, and the fresh ones.
  std::vector<int> lacking;
  for (int id : incoming)
    if (!manager.FindEmbedFontResource(id)) lacking.push_back(id);
  const std::map<int, int> remap = MergeEmbedFonts(manager, m_fonts);
  for (int id : lacking) m_pastedIds.push_back(id);
  for (const auto& [from, to] : remap) m_pastedIds.push_back(to);
  for (const auto& [from, to] : remap) m_remap[from] = to;
  RemapEmbedFontIDs(m_target, remap);
  return m_remap;
}

void CZipExtractorEmbedFont::FinishExtracting() {
  MoveFontsIntoDocument();
  if (!m_pDoc || m_pastedIds.empty()) return;
  // Texts finished before the fonts came in are built again.
  GlyphweaveLib::CEmbedFontResManager* fonts = m_pDoc->GetEmbedFontResManager();
  GlyphweaveLib::CFontCacheManager* cache = m_pDoc->GetFontGlyphCacheManager();
  WalkRenderObjects(m_target, [&](CRenderBaseObj* obj) {
    if (obj->GetObjectType() != RENDER_OBJ_TEXT) return;
    auto* text = dynamic_cast<GlyphweaveLib::CEditableTextObj*>(obj);
    if (!text) return;
    std::vector<int> used;
    text->CollectEmbedFonts(used);
    const bool affected = std::any_of(used.begin(), used.end(), [&](int id) {
      return std::find(m_pastedIds.begin(), m_pastedIds.end(), id) != m_pastedIds.end();
    });
    if (!affected) return;
    text->BuildAllGlypths(fonts, cache);
    text->RecalcuLayout(0);
  });
}

void FinishClipboardExtracting(CZipExtractorEmbedFont* fonts, CZipExtractBitmapResObjs* pictures,
                               CZipExtractClipedObjects* objects) {
  // A failed paste leaves the document as it was.
  if (objects && objects->HasFailed()) return;
  if (fonts) fonts->MoveFontsIntoDocument();
  if (pictures) pictures->FinishExtracting();
  if (objects) objects->FinishExtracting();
}
