// Small documents for the exporter's tests: a document that makes page texts, pages of a size in
// points, texts in a system face, and helpers to run tools on written files.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include <win32/lwstr.h>

#include <gdi/wingdi.h>
#include <glyphweave/CharsFontDesc.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/RenderObj.h>

namespace exporttest {

class TextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

// A loaded page of width x height points at the end of the document.
inline CDrawingPage* MakePage(CPublicationDoc& doc, float width, float height) {
  auto* page = new CDrawingPage;
  page->SetLogWidth(width);
  page->SetLogHeight(height);
  page->SetPageLogUnit(Vectorloom::UNIT_POINT);
  page->SetPageContentLoaded(1);
  doc.GetRenderPagesArray().AddPage(page);
  return page;
}

// Hands a new object to the page (the page holds the only reference).
inline void Own(CDrawingPage* page, Vectorloom::CRenderBaseObj* obj) {
  obj->AddRef();
  page->AddShapeObject(obj);
  obj->Release();
}

// A laid-out text at (50, 60) on the page, in a system face, black, glyphs from the document's cache.
inline CDDrawTextObj* MakeText(CPublicationDoc& doc, const wchar_t* str, const wchar_t* face, float size,
                               float x = 50, float y = 60, float boxWidth = 400) {
  auto* text = new CDDrawTextObj;
  text->SetLayoutBox(boxWidth, 400);
  GlyphweaveLib::CRichFontDesc font;
  font.SetFontFaceName(face);
  font.m_fFontSize = size;
  font.m_crRenderColor = RGB(0, 0, 0);
  HDC dc = GetDC(nullptr);
  text->InsertString(0, str, -1, dc, font, doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
  ReleaseDC(nullptr, dc);
  text->RecalcuLayout(0);
  text->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), false);
  return text;
}

inline std::string Shell(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = pclose(p);
  if (status) *status = rc;
  return out;
}

inline bool IsWordChar(uint32_t c) {
  if (c < 0x80) return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  if (c < 0xC0 || c == 0xD7 || c == 0xF7) return false;
  return !((c >= 0x2B0 && c <= 0x2FF) || (c >= 0x2000 && c <= 0x206F) || (c >= 0xE000 && c <= 0xF8FF));
}

// Words of two characters or more, as pdf-producers/words.py splits them.
inline std::vector<std::wstring> Words(const std::wstring& text) {
  std::vector<std::wstring> out;
  std::wstring cur;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && IsWordChar(static_cast<uint32_t>(text[i]))) {
      cur += text[i];
      continue;
    }
    if (cur.size() >= 2) out.push_back(cur);
    cur.clear();
  }
  return out;
}

inline std::vector<std::wstring> PageWords(const std::string& pdf, int page) {
  const std::string n = std::to_string(page);
  return Words(lw::Utf8ToWide(Shell("pdftotext -f " + n + " -l " + n + " '" + pdf + "' -")));
}

}  // namespace exporttest
