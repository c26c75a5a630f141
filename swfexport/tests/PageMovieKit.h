// Pages with shapes, pictures and texts for the page movie tests, and the written movie read back:
// what the clip "objects" places (shapes and texts with their placements), its fonts and bitmaps.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <flarewing/FlipBook.h>
#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/CharsFontDesc.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <swf/ming.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>

#include "swf_reader_support.h"

namespace pagemovie {

// A document whose text tool makes page texts.
class PageDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
  // A loaded page of width x height points; the document takes the size of its first page.
  CDrawingPage* Page(float width, float height) {
    if (GetPagesCount() == 0) SetDocLogSize(width, height, Vectorloom::UNIT_POINT);
    auto* page = new CDrawingPage;
    page->SetLogWidth(width);
    page->SetLogHeight(height);
    page->SetPageLogUnit(Vectorloom::UNIT_POINT);
    page->SetPageContentLoaded(1);
    GetRenderPagesArray().AddPage(page);
    return page;
  }
};

inline void Own(CDrawingPage* page, Vectorloom::CRenderBaseObj* obj) {
  obj->AddRef();
  page->AddShapeObject(obj);
  obj->Release();
}

// A rectangle (left, top, right, bottom in its own coordinates) filled black, stroked 1 px.
inline Vectorloom::CCustomPathObj* AddRect(CDrawingPage* page, float l, float t, float r, float b,
                                           const Vectorloom::CQorTransMatrix& m) {
  auto* shape = new Vectorloom::CCustomPathObj;
  shape->AddRectanglePath({l, t, r, b});
  shape->SetTransMatrix(m, false);
  shape->SetFillKind(Vectorloom::RENDER_KIND_SOLID);
  Own(page, shape);
  return shape;
}

// A picture of w x h pixels in `format` (a colour ramp, opaque) over the box of boxW x boxH pixels
// at (x, y) of the shape's own coordinates (its matrix the identity).
inline Vectorloom::CCustomPathObj* AddPicture(CDrawingPage* page, float x, float y, Gdiplus::PixelFormat format, int w,
                                              int h, float boxW, float boxH) {
  auto* bmp = new Gdiplus::Bitmap(w, h, format);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i)
      bmp->SetPixel(i, j, Gdiplus::Color(255, static_cast<BYTE>(i * 255 / w), static_cast<BYTE>(j * 255 / h), 90));
  auto* res = new Vectorloom::CBitmapResObj;
  res->SetGdiBitmap(bmp, nullptr, 1);
  auto* shape = new Vectorloom::CCustomPathObj;
  shape->AddRectanglePath({x, y, x + boxW, y + boxH});
  shape->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
  shape->GetFillDefinition().SetRenderBitmap(res);  // the only holder of the new resource
  shape->SetStrokeOutlineFlag(0);
  Own(page, shape);
  return shape;
}

// A laid-out text at (x, y) in a system face, black.
inline CDDrawTextObj* AddText(CPublicationDoc& doc, CDrawingPage* page, const wchar_t* str, const wchar_t* face,
                              float size, float x, float y, float boxWidth = 400, bool bold = false,
                              bool italic = false, COLORREF color = RGB(0, 0, 0)) {
  auto* text = new CDDrawTextObj;
  text->SetLayoutBox(boxWidth, 400);
  GlyphweaveLib::CRichFontDesc font;
  font.SetFontFaceName(face);
  font.m_fFontSize = size;
  font.m_crRenderColor = color;
  font.m_bBold = bold ? 1 : 0;
  font.m_bItalic = italic ? 1 : 0;
  HDC dc = GetDC(nullptr);
  text->InsertString(0, str, -1, dc, font, doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
  ReleaseDC(nullptr, dc);
  text->RecalcuLayout(0);
  text->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), false);
  Own(page, text);
  return text;
}

struct Placed {
  swftest::Place place;
  swftest::Shape shape;
  swftest::Text text;
};

struct MovieContent {
  std::string error;
  swftest::Movie movie;
  std::vector<Placed> shapes, texts;  // in the order the clip places them
  std::vector<swftest::Font> fonts;
  std::vector<swftest::Bitmap> bitmaps;
};

// Reads a movie's definitions and what its clip "objects" (or, without one, its root) places.
inline MovieContent ReadContent(const std::vector<uint8_t>& bytes) {
  MovieContent out;
  if (!swftest::ParseMovie(bytes, &out.movie, &out.error)) return out;
  std::map<int, swftest::Shape> shapes;
  std::map<int, swftest::Text> texts;
  std::vector<swftest::Tag> placements;
  auto walk = [&](const std::vector<swftest::Tag>& tags, auto&& self) -> bool {
    for (const swftest::Tag& tag : tags) {
      switch (tag.code) {
        case swftest::kDefineShape4: {
          swftest::Shape s;
          if (!swftest::ParseShape4(tag, &s, &out.error)) return false;
          shapes[s.id] = s;
          break;
        }
        case swftest::kDefineText:
        case swftest::kDefineText2: {
          swftest::Text t;
          if (!swftest::ParseText(tag, &t, &out.error)) return false;
          texts[t.id] = t;
          break;
        }
        case swftest::kDefineFont2: {
          swftest::Font f;
          if (!swftest::ParseFont2(tag, &f, &out.error)) return false;
          out.fonts.push_back(f);
          break;
        }
        case swftest::kDefineBitsJPEG2:
        case swftest::kDefineBitsLossless2: {
          swftest::Bitmap b;
          if (!swftest::ParseBitmap(tag, &b, &out.error)) return false;
          out.bitmaps.push_back(b);
          break;
        }
        case swftest::kDefineSprite: {
          swftest::Sprite sp;
          if (!swftest::ParseSprite(tag, &sp, &out.error)) return false;
          if (!self(sp.tags, self)) return false;
          for (const swftest::Tag& t : sp.tags)
            if (t.code == swftest::kPlaceObject2) placements.push_back(t);
          break;
        }
        default:
          break;
      }
    }
    return true;
  };
  if (!walk(out.movie.tags, walk)) return out;
  for (const swftest::Tag& t : placements) {
    Placed p;
    if (!swftest::ParsePlace2(t, &p.place, &out.error)) return out;
    if (shapes.count(p.place.characterId)) {
      p.shape = shapes[p.place.characterId];
      out.shapes.push_back(p);
    } else if (texts.count(p.place.characterId)) {
      p.text = texts[p.place.characterId];
      out.texts.push_back(p);
    }
  }
  return out;
}

// The page movie of page `index`, read back.
inline MovieContent Export(CPublicationDoc& doc, int index) {
  QorSWFExportingLib::SwfExportContext context(&doc);
  SWFMovie movie = QorSWFExportingLib::NewPageMovie(doc);
  std::vector<uint8_t> bytes;
  const bool ok = QorSWFExportingLib::AddPageObjects(context, index, movie) && SWFMovie_saveToBuffer(movie, &bytes);
  destroySWFMovie(movie);
  if (!ok) {
    MovieContent failed;
    failed.error = "the page movie was not made";
    return failed;
  }
  return ReadContent(bytes);
}

}  // namespace pagemovie
