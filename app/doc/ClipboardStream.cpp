#include "ClipboardStream.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include <mfc/afxbinio.h>
#include <quirebook/ZipSections.h>

#include "ClipboardParts.h"
#include "LfwSections.h"

namespace {

const wchar_t* const kFirstVersion = L"2000";
const wchar_t* const kSecondVersion = L"2010";

}  // namespace

bool WriteClipboardStream(const Vectorloom::CRenderBaseObjectList& objects, CPublicationDoc& from,
                          std::vector<uint8_t>& out) {
  Vectorloom::CBitmapResObjsList pictures;
  for (Vectorloom::CRenderBaseObj* obj : objects) obj->CollectExternalBmpResObjs(pictures);
  std::vector<int> fontIds;
  CollectEmbedFontIDs(objects, fontIds);
  std::sort(fontIds.begin(), fontIds.end());
  fontIds.erase(std::unique(fontIds.begin(), fontIds.end()), fontIds.end());

  CZipSavingClipedObjects objs(objects);
  CZipSavingBitmapResObjs dibs(pictures);
  CZipSavingEmbedFont fonts(*from.GetEmbedFontResManager(), fontIds);
  const CString v1(kFirstVersion), v2(kSecondVersion);
  CMemFile f;
  try {
    lw::bin::WriteBytes(f, "EPDF", 4);
    lw::bin::WriteBytes(f, "2000", 4);
    lw::bin::WriteBytes(f, "2010", 4);
    for (CZipSavingInterface* w : std::initializer_list<CZipSavingInterface*>{&objs, &dibs, &fonts})
      if (!w->SavingBlockTag(&f)) return false;
    for (CZipSavingInterface* w : std::initializer_list<CZipSavingInterface*>{&objs, &dibs, &fonts})
      if (!w->SavingBlocks(&f, v1, v2, nullptr)) return false;
  } catch (CException* e) {
    e->Delete();
    return false;
  } catch (...) {
    return false;
  }
  const ULONGLONG n = f.GetLength();
  out.resize(static_cast<size_t>(n));
  f.SeekToBegin();
  return f.Read(out.data(), static_cast<UINT>(n)) == n;
}

bool ReadClipboardStream(const uint8_t* data, size_t size, CPublicationDoc& into, Vectorloom::CRenderBaseObjectList& out,
                         int* skippedPictures) {
  if (!data || size < 12 || size > 0xFFFFFFFFu) return false;
  if (std::memcmp(data, "EPDF", 4) != 0 || std::memcmp(data + 4, "2000", 4) != 0) return false;
  Vectorloom::CRenderBaseObjectList pasted;
  try {
    std::vector<uint8_t> copy(data, data + size);  // the memory file reads from a buffer of its own
    CMemFile f(copy.data(), static_cast<UINT>(copy.size()));
    f.Seek(12, CFile::begin);
    const CString v1(kFirstVersion), v2(kSecondVersion);
    CZipExtractClipedObjects objs(&into, pasted);
    CZipExtractBitmapResObjs dibs(&into, pasted);
    CZipExtractorEmbedFont fonts(&into, pasted);
    if (!objs.ReadBlocksTag(&f) || !dibs.ReadBlocksTag(&f) || !fonts.ReadBlocksTag(&f)) return false;
    if (!objs.ReadBlocks(&f, v1, v2) || objs.HasFailed() || pasted.IsEmpty()) {
      pasted.RemoveAllElements();
      return false;
    }
    dibs.ReadBlocks(&f, v1, v2);
    fonts.ReadBlocks(&f, v1, v2);
    if (skippedPictures) *skippedPictures = dibs.GetSkippedCount();
    FinishClipboardExtracting(&fonts, &dibs, &objs);
  } catch (CException* e) {
    e->Delete();
    pasted.RemoveAllElements();
    return false;
  } catch (...) {
    pasted.RemoveAllElements();
    return false;
  }
  for (Vectorloom::CRenderBaseObj* obj : pasted) out.AddElement(obj);
  pasted.RemoveAllElements();
  return true;
}

std::u16string ReadClipboardText(const void* data, size_t size) {
  std::u16string text;
  if (!data) return text;
  const auto* p = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i + 1 < size; i += 2) {
    const char16_t unit = static_cast<char16_t>(p[i] | (p[i + 1] << 8));
    if (!unit) break;
    text.push_back(unit);
  }
  return text;
}
