// What readers do once a page's or a paste's objects are read and the document's fonts are
// settled, and the embedded-font ids of texts at every depth (inside groups too).
//
//   FinishLoadedObjects                         paths, glyphs of texts at every depth, layout and
//                                               effects. A group load builds no glyphs itself,
//                                               because fonts of a page or paste are resolved
//                                               after its objects are read; readers call this
//                                               once fonts are in.
//   CollectEmbedFontIDs / RemapEmbedFontIDs     font ids of texts at every depth, and one
//                                               old -> new map applied to them in one pass.
//   MergeEmbedFonts                             moves read fonts into a document's manager and
//                                               returns the one map that RemapEmbedFontIDs takes.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include <glyphweave/EmbedFontRes.h>
#include <glyphweave/FontCacheManager.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/RenderObj.h>

// After objects were read and the document's fonts settled: shapes and videos rebuild their
// paths, groups BuildAllShapeObjectsPath, texts at every depth BuildAllGlypths with the document's
// fonts and glyph cache and RecalcuLayout(0), every listed object CreateEffectsDIBs(3, 0).
void FinishLoadedObjects(Vectorloom::CRenderBaseObjectList& list, CPublicationDoc& doc);
// Only the glyphs and layout of texts at every depth.
void BuildTextsGlyphs(const Vectorloom::CRenderBaseObjectList& list, const GlyphweaveLib::CEmbedFontResManager* fonts,
                      GlyphweaveLib::CFontCacheManager* cache);

// Embedded-font ids (>= 0) used by texts at every depth, each once, appended to ids.
void CollectEmbedFontIDs(const Vectorloom::CRenderBaseObjectList& list, std::vector<int>& ids);
// Renames font ids of texts at every depth through one map, each run looked up once, so a new id
// that equals another old id is never renamed again.
void RemapEmbedFontIDs(const Vectorloom::CRenderBaseObjectList& list, const std::map<int, int>& oldToNew);

// Moves fonts into a document's manager. A font whose id the manager does not hold keeps its id;
// one equal to the manager's font of its id is dropped; one that differs gets a fresh id
// (CreateNewEmbedFontID, after every kept font is in) and an entry old -> new in the returned
// map. Comparisons are made against the fonts the manager held before the call. `fonts` is
// emptied; fonts with a negative or repeated id are dropped.
std::map<int, int> MergeEmbedFonts(GlyphweaveLib::CEmbedFontResManager& into,
                                   std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>>& fonts);
