#include "FinishLoadedObjects.h"

#include <algorithm>
#include <set>
#include <utility>

#include <glyphweave/EditableTextObj.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

using namespace Vectorloom;

namespace {

GlyphweaveLib::CEditableTextObj* AsText(CRenderBaseObj* obj) {
  return obj->GetObjectType() == RENDER_OBJ_TEXT ? dynamic_cast<GlyphweaveLib::CEditableTextObj*>(obj) : nullptr;
}

}  // namespace

void BuildTextsGlyphs(const CRenderBaseObjectList& list, const GlyphweaveLib::CEmbedFontResManager* fonts,
                      GlyphweaveLib::CFontCacheManager* cache) {
  WalkRenderObjects(list, [&](CRenderBaseObj* obj) {
    if (GlyphweaveLib::CEditableTextObj* text = AsText(obj)) {
      text->BuildAllGlypths(fonts, cache);
      text->RecalcuLayout(0);
    }
  });
}

void FinishLoadedObjects(CRenderBaseObjectList& list, CPublicationDoc& doc) {
  for (CRenderBaseObj* obj : list) {
    switch (obj->GetObjectType()) {
      case RENDER_OBJ_SHAPE:
      case RENDER_OBJ_VIDEO:
        obj->CreatePathStorage();
        if (auto* shape = dynamic_cast<CBaseShapeObj*>(obj)) shape->CreateStrokenPathStorage();
        break;
      case RENDER_OBJ_GROUP:
        if (auto* group = dynamic_cast<CRenderGroupObj*>(obj)) group->BuildAllShapeObjectsPath();
        break;
      default:
        break;
    }
  }
  BuildTextsGlyphs(list, doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
  for (CRenderBaseObj* obj : list) obj->CreateEffectsDIBs(3, 0);
}

void CollectEmbedFontIDs(const CRenderBaseObjectList& list, std::vector<int>& ids) {
  WalkRenderObjects(list, [&](CRenderBaseObj* obj) {
    if (GlyphweaveLib::CEditableTextObj* text = AsText(obj)) text->CollectEmbedFonts(ids);
  });
}

void RemapEmbedFontIDs(const CRenderBaseObjectList& list, const std::map<int, int>& oldToNew) {
  if (oldToNew.empty()) return;
  WalkRenderObjects(list, [&](CRenderBaseObj* obj) {
    GlyphweaveLib::CEditableTextObj* text = AsText(obj);
    if (!text) return;
    const int runs = text->GetFontRuns().GetSize();
    for (int r = 0; r < runs; ++r) {
      GlyphweaveLib::TFontRunInfo run = text->GetFontRuns().GetAt(r);
      const auto it = oldToNew.find(run.m_FontDesc.GetEmbedFontID());
      if (it == oldToNew.end() || it->second == it->first) continue;
      run.m_FontDesc.SetEmbedFontID(it->second);
      text->SetFontRunAt(r, run);
    }
  });
}

std::map<int, int> MergeEmbedFonts(GlyphweaveLib::CEmbedFontResManager& into,
                                   std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>>& fonts) {
  std::map<int, int> remap;
  std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>> incoming = std::move(fonts);
  fonts.clear();
  std::sort(incoming.begin(), incoming.end(), [](const auto& a, const auto& b) {
    if (!a || !b) return b != nullptr;
    return a->GetFontID() < b->GetFontID();
  });
  // Decide every font against the fonts the document held before any was moved in.
  std::set<int> seen;
  std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>> kept, renamed;
  for (auto& font : incoming) {
    if (!font || font->GetFontID() < 0 || !seen.insert(font->GetFontID()).second) continue;
    const GlyphweaveLib::CEmbedFontResouce* held = into.FindEmbedFontResource(font->GetFontID());
    if (!held)
      kept.push_back(std::move(font));
    else if (!held->IsEqualEmbedFont(*font))
      renamed.push_back(std::move(font));
  }
  for (auto& font : kept)
    if (into.AddEmbedFontResouce(font.get()) >= 0) font.release();
  // Fresh ids are taken once every kept id is in, so none of them can be handed out twice.
  for (auto& font : renamed) {
    const int oldId = font->GetFontID();
    const int newId = into.CreateNewEmbedFontID();
    font->SetFontID(newId);
    if (into.AddEmbedFontResouce(font.get()) >= 0) {
      font.release();
      remap[oldId] = newId;
    }
  }
  return remap;
}
