// The page movies of the flip-book: one SWF movie a page at the document's size, whose clip
// "objects" carries the page script (video count, ctrlVideoObjs), the page's shapes and texts and
// one clip per video object.
#include "flarewing/FlipBook.h"

#include <cstdio>

#include <glyphweave/EditableTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/VideoObj.h>
#include <swf/ming.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/RenderObj.h>
#include <vectorloom/ShapeObj.h>
#include <vectorloom/TransMatrix.h>
#include <win32/lwstr.h>

namespace QorSWFExportingLib {

namespace {

constexpr float kPointsPerPixel = 0.7518797f;  // page pixels (1.33 a point) to points

struct PageBuild {
  SwfExportContext* context = nullptr;
  SWFMovieClip clip = nullptr;
  int videoCounter = 0;
  PageFonts fonts;
};

void AddVideoClip(PageBuild& build, Quirebook::CBaseVideoObj* video) {
  const std::wstring file = build.context->RegisterVideo(video->GetVideoFullPathName());
  const Vectorloom::CQorTransMatrix& m = video->GetTransMatrix();
  const auto size = video->GetVideoObjectSize();
  float sx = 1.0f, sy = 1.0f;
  m.Scaling(sx, sy);
  SWFVideoStream stream = newSWFVideoStream();
  SWFVideoStream_setDimension(stream, static_cast<int>(size.cx * sx / 1.33f), static_cast<int>(size.cy * sy / 1.33f));
  SWFMovieClip inner = newSWFMovieClip();
  SWFDisplayItem_setName(SWFMovieClip_add(inner, stream), "avStream");
  destroySWFVideoStream(stream);
  const std::string script = FlipResourceText("TXT", kResVideoScript);
  if (!script.empty()) {
    SWFAction action = newSWFAction(script.c_str());
    SWFMovieClip_add(inner, action);
    destroySWFAction(action);
    const std::string call = "main(\"../videos/" + lw::WideToUtf8(file) + "\");";
    SWFAction start = newSWFAction(call.c_str());
    SWFMovieClip_add(inner, start);
    destroySWFAction(start);
  }
  SWFMovieClip_nextFrame(inner);
  SWFDisplayItem item = SWFMovieClip_add(build.clip, inner);
  destroySWFMovieClip(inner);
  char name[32];
  std::snprintf(name, sizeof name, "video%d", ++build.videoCounter);
  SWFDisplayItem_setName(item, name);
  Vectorloom::CQorTransMatrix placed = m;
  placed = placed * Vectorloom::CQorTransMatrix::Scale(kPointsPerPixel, kPointsPerPixel);
  SWFDisplayItem_moveTo(item, placed.dx, placed.dy);
}

// Groups are walked into the same clip.
void WalkObjects(PageBuild& build, const Vectorloom::CRenderBaseObjectList& list) {
  for (Vectorloom::CRenderBaseObj* obj : list) {
    if (!obj) continue;
    switch (obj->GetObjectType()) {
      case Vectorloom::RENDER_OBJ_GROUP:
        if (obj->IsGroupObject()) WalkObjects(build, static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList());
        break;
      case Vectorloom::RENDER_OBJ_VIDEO:
        if (auto* video = dynamic_cast<Quirebook::CBaseVideoObj*>(obj)) AddVideoClip(build, video);
        break;
      case Vectorloom::RENDER_OBJ_SHAPE:
        if (auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(obj)) AddShapeToClip(build.clip, *shape);
        break;
      case Vectorloom::RENDER_OBJ_TEXT:
        if (auto* text = dynamic_cast<GlyphweaveLib::CEditableTextObj*>(obj)) {
          Quirebook::CPublicationDoc* doc = build.context->Document();
          AddTextToClip(build.clip, *text, obj->GetTransMatrix(), build.fonts, doc->GetEmbedFontResManager(),
                        doc->GetFontGlyphCacheManager());
        }
        break;
      default:
        break;
    }
  }
}

}  // namespace

bool WritePageMovie(SwfExportContext& context, int pageIndex, const std::string& path) {
  Quirebook::CPublicationDoc* doc = context.Document();
  if (!doc || pageIndex < 0 || pageIndex >= doc->GetPagesCount() || !doc->GetDrawingPage(pageIndex)) return false;
  SWFMovie movie = NewPageMovie(*doc);
  if (!movie) return false;
  const bool saved = AddPageObjects(context, pageIndex, movie) && SWFMovie_save(movie, path.c_str()) > 0;
  destroySWFMovie(movie);
  return saved;
}

SWFMovie NewPageMovie(const Quirebook::CPublicationDoc& document) {
  const auto docSize = document.GetDocLogSize(Vectorloom::UNIT_POINT);
  SWFMovie movie = newSWFMovieWithVersion(8);
  if (!movie) return nullptr;
  SWFMovie_setBackground(movie, 255, 255, 255);
  SWFMovie_setDimension(movie, docSize.cx, docSize.cy);
  SWFMovie_setRate(movie, 20);
  return movie;
}

bool AddPageObjects(SwfExportContext& context, int pageIndex, SWFMovie movie) {
  Quirebook::CPublicationDoc* doc = context.Document();
  if (!doc || !movie || pageIndex < 0 || pageIndex >= doc->GetPagesCount()) return false;
  Quirebook::CDrawingPage* page = doc->GetDrawingPage(pageIndex);
  if (!page) return false;
  auto lock = doc->LockContent();
  const bool loadedHere = !page->IsPageContentLoaded() && page->GetPageContentSource();
  if (loadedHere) page->LoadPageContent(doc);  // a page that cannot be read becomes an empty movie

  const auto docSize = doc->GetDocLogSize(Vectorloom::UNIT_POINT);
  const auto pageSize = page->GetPageSize(Vectorloom::UNIT_POINT);

  PageBuild build;
  build.context = &context;
  build.clip = newSWFMovieClip();
  WalkObjects(build, page->GetRenderObjectList());
  const std::string script = FlipResourceText("TXT", kResPageScript);
  if (!script.empty()) {
    SWFAction action = newSWFAction(script.c_str());
    SWFMovieClip_add(build.clip, action);
    destroySWFAction(action);
    const std::string total = "videoTotal( " + std::to_string(build.videoCounter) + " );";
    SWFAction count = newSWFAction(total.c_str());
    SWFMovieClip_add(build.clip, count);
    destroySWFAction(count);
  }
  SWFMovieClip_nextFrame(build.clip);
  SWFDisplayItem item = SWFMovie_add(movie, build.clip);
  destroySWFMovieClip(build.clip);
  SWFDisplayItem_moveTo(item, (docSize.cx - pageSize.cx) / 2, (docSize.cy - pageSize.cy) / 2);
  SWFDisplayItem_setName(item, "objects");

  if (loadedHere) {
    page->Clear();
    page->SetPageContentLoaded(0);
  }
  return true;
}

}  // namespace QorSWFExportingLib
