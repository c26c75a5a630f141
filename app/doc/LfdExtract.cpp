#include "LfdExtract.h"

#include <algorithm>

#include <QorProgress.h>
#include <glyphweave/EmbedFontRes.h>
#include <quirebook/VideoStore.h>
#include <quirebook/ZipSections.h>

#include "LfwSections.h"

bool WriteExtractedPages(CPublicationDoc* doc, const std::vector<int>& pages, CFile& file,
                         CQorCommonProgress* progress, CString* error) {
  auto fail = [&](const wchar_t* why) {
    if (error) *error = why;
    return false;
  };
  if (!doc) return fail(L"There is no document to extract from.");
  if (pages.empty()) return fail(L"No pages were chosen.");
  for (int index : pages)
    if (index < 0 || index >= doc->GetPagesCount()) return fail(L"A chosen page is not in the document.");

  // Whether the clips section is needed is known before any header is written: the chosen pages
  // are read now (they stay in memory) and their video objects counted.
  CVideoFilePathsMap probe;
  for (int index : pages) {
    CDrawingPage* page = doc->GetDrawingPage(index);
    page->LoadPageContent(doc);
    page->CollectVideoObjects(&probe);
  }
  const bool withClips = probe.GetCount() > 0;

  Vectorloom::CBitmapResObjsList bitmaps;
  CVideoFilePathsMap videos;
  std::vector<int> fontIds;
  CZipSavingPdfCustomPages pageWriter(doc, bitmaps, pages, fontIds, withClips ? &videos : nullptr);
  CZipSavingBitmapResObjs pictureWriter(bitmaps);
  CDeflateSavingVideos clipWriter(videos);
  const CString v1(kLfwVersion1), v2(kLfwVersion2);

  const ULONGLONG start = file.GetPosition();
  file.Write(kLfdFileTag, 4);
  file.Write(kLfwVersion1, 4);
  file.Write(kLfwVersion2, 4);
  // The font section's header is written now; its writer is made once the pages named the fonts.
  const ULONGLONG fontHeaderPos = start + 36;
  if (!pageWriter.SavingBlockTag(&file) || !pictureWriter.SavingBlockTag(&file)) return fail(L"The file is too large.");
  {
    CZipSavingEmbedFont placeholder(*doc->GetEmbedFontResManager(), {});
    if (!placeholder.SavingBlockTag(&file)) return fail(L"The file is too large.");
  }
  if (withClips && !clipWriter.SavingBlockTag(&file)) return fail(L"The file is too large.");

  auto section = [&](float share, auto&& body) {
    if (progress) progress->PushRange(share);
    const bool ok = body();
    if (progress) progress->PopRange();
    return ok;
  };
  if (!section(withClips ? 0.6f : 0.7f, [&] { return pageWriter.SavingBlocks(&file, v1, v2, progress); }))
    return fail(pageWriter.GetSaveError().IsEmpty() ? L"The pages cannot be saved." : pageWriter.GetSaveError().GetString());
  if (!section(0.15f, [&] { return pictureWriter.SavingBlocks(&file, v1, v2, progress); }))
    return fail(L"The pictures cannot be saved.");

  // The fonts the pages use, each once, read from the document's own manager (never copied
  // into, or taken over by, another manager).
  const GlyphweaveLib::CEmbedFontResManager& fonts = *doc->GetEmbedFontResManager();
  std::vector<int> ids;
  for (int id : fontIds)
    if (fonts.FindEmbedFontResource(id) && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  std::sort(ids.begin(), ids.end());
  CZipSavingEmbedFont fontWriter(fonts, ids);
  const ULONGLONG resume = file.GetPosition();
  file.Seek(static_cast<LONGLONG>(fontHeaderPos), CFile::begin);
  if (!fontWriter.SavingBlockTag(&file)) return fail(L"The file is too large.");
  file.Seek(static_cast<LONGLONG>(resume), CFile::begin);
  if (!section(0.15f, [&] { return fontWriter.SavingBlocks(&file, v1, v2, progress); }))
    return fail(L"The embedded fonts cannot be saved.");
  if (withClips && !section(0.1f, [&] { return clipWriter.SavingBlocks(&file, v1, v2, progress); }))
    return fail(L"The video clips cannot be saved (a clip cannot be read, or its path is too long).");
  return true;
}

CString ChooseExtractFileName(const CString& docPath, const CString& currentDir, bool (*exists)(const CString& path)) {
  const int cut = std::max(docPath.ReverseFind(L'/'), docPath.ReverseFind(L'\\'));
  CString folder = cut >= 0 ? docPath.Left(cut) : currentDir;
  CString name = cut >= 0 ? docPath.Mid(cut + 1) : docPath;
  if (const int dot = name.ReverseFind(L'.'); dot >= 0) name = name.Left(dot);
  if (docPath.IsEmpty() || name.IsEmpty()) name = L"untitled";
  const CString base = folder + L"/Pages From " + name;
  CString path = base + L".lfd";
  for (int n = 1; exists && exists(path) && n < 1000000; ++n) path.Format(L"%s%d.lfd", base.GetString(), n);
  return path;
}
