// Small helpers of the document-file tests: a counted holder, an application state for one test,
// object makers, byte helpers and a one-line description of object trees.
#pragma once

#include <vectorloom/WorkspaceView.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include <glyphweave/EmbedFontRes.h>
#include <mfc/afxbinio.h>
#include <win32/lwstr.h>

#include "LeafwrightAppState.h"
#include "PageGroupObj.h"
#include "PageObjectRecords.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"

namespace doctest {

using Bytes = std::vector<unsigned char>;
inline const CString kVersion(L"2010");

// Holds one reference to a counted object.
template <class T>
class Ref {
 public:
  Ref() = default;
  explicit Ref(T* p) : m_p(p) {
    if (m_p) m_p->AddRef();
  }
  template <class U>
  Ref(Ref<U>&& o) : m_p(o.release()) {}
  Ref(Ref&& o) noexcept : m_p(o.release()) {}
  Ref& operator=(Ref&& o) noexcept {
    if (this != &o) {
      reset();
      m_p = o.release();
    }
    return *this;
  }
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }

  T* get() const { return m_p; }
  T* operator->() const { return m_p; }
  T& operator*() const { return *m_p; }
  explicit operator bool() const { return m_p != nullptr; }
  void reset() {
    if (m_p) {
      T* p = m_p;
      m_p = nullptr;
      p->Release();
    }
  }
  // Hands the reference over.
  T* release() {
    T* p = m_p;
    m_p = nullptr;
    return p;
  }
  friend bool operator==(const Ref& r, std::nullptr_t) { return r.m_p == nullptr; }
  friend bool operator!=(const Ref& r, std::nullptr_t) { return r.m_p != nullptr; }
  friend void PrintTo(const Ref& r, std::ostream* os) { *os << static_cast<const void*>(r.m_p); }

 private:
  T* m_p = nullptr;
};

// A fresh application state for the lifetime of the scope.
struct AppStateScope {
  AppStateScope() : previous(SetLeafwrightAppState(&state)) {}
  ~AppStateScope() { SetLeafwrightAppState(previous); }
  CDefaultLeafwrightAppState state;
  ILeafwrightAppState* previous;
};

// A workspace view without a window: at a zoom, its page's origin at a client point, with the
// tool of a kind active.
class MetricsView : public Vectorloom::CWorkspaceView {
 public:
  MetricsView(double zoomPercent = 100, int originX = 0, int originY = 0,
              eLeafwrightTool tool = eLeafwrightTool::None) {
    m_fZoom = static_cast<float>(zoomPercent);
    m_rcPage = CRect(originX, originY, originX, originY);
    UpdateEditingTool(ToolFor(tool));
  }
  static Vectorloom::CDefaultTool* ToolFor(eLeafwrightTool kind) {
    switch (kind) {
      case eLeafwrightTool::Rectangle: return &g_DrawRectangleTool;
      case eLeafwrightTool::Oval: return &g_DrawOvalTool;
      case eLeafwrightTool::RoundRect: return &g_DrawRoundRectTool;
      case eLeafwrightTool::Line: return &g_DrawLineTool;
      case eLeafwrightTool::Polygon: return &g_DrawPolygonTool2;
      case eLeafwrightTool::MoveAnchor: return &g_MoveAnchorTool;
      case eLeafwrightTool::AddAnchor: return &g_AddAnchorTool;
      case eLeafwrightTool::ConvertAnchor: return &g_ConvertAnchorTool;
      case eLeafwrightTool::Other: return &g_CustomShapeTool;
      default: return nullptr;
    }
  }
};

inline CPageShapeObj* MakeShape(float l, float t, float r, float b, const wchar_t* name) {
  auto* s = new CPageShapeObj;
  s->AddRectanglePath({l, t, r, b});
  s->SetObjectName(name);
  s->CreatePathStorage();
  s->CreateStrokenPathStorage();
  return s;
}

// A text of the given characters in one run of Arial 12 pt, or of the embedded font fontId.
inline CPageTextObj* MakeText(const wchar_t* chars, int fontId, const wchar_t* name) {
  auto* t = new CPageTextObj;
  auto& items = t->GetArrayOfTextCharacters();
  for (const wchar_t* p = chars; *p; ++p) {
    GlyphweaveLib::CCharacterItem c;
    c.SetCharacter(static_cast<char16_t>(*p));
    c.SetFontPointSize(12.0f);
    items.push_back(c);
  }
  GlyphweaveLib::TFontRunInfo run;
  run.m_nLength = static_cast<uint32_t>(items.size());
  run.m_FontDesc = GlyphweaveLib::_CharsFontDesc(L"Arial", 0, 0, fontId);
  t->AppendFontRun(run);
  t->SetLayoutBox(100.0f, 20.0f);
  t->SetObjectName(name);
  return t;
}

inline CPageGroupObj* MakeGroup(const wchar_t* name) {
  auto* g = new CPageGroupObj;
  g->SetObjectName(name);
  return g;
}

inline CPageVideoObj* MakeVideo(const wchar_t* path) {
  auto* v = new CPageVideoObj;
  v->SetVideoFullPathName(path);
  v->SetVideoObjectSize({160.0f, 120.0f});
  return v;
}

// A font whose content differs by its type string.
inline GlyphweaveLib::CEmbedFontResouce* MakeFont(int id, const char* content) {
  auto* f = new GlyphweaveLib::CEmbedFontResouce;
  f->SetFontID(id);
  f->SetFontType(content);
  f->SetFontAscent(0.75f);
  return f;
}

inline Bytes FileBytes(const CMemFile& f) { return Bytes(f.GetBufferPtr(), f.GetBufferPtr() + f.GetLength()); }

// One typed object as page blocks and the clipboard carry it.
inline Bytes SaveObject(Vectorloom::CRenderBaseObj& obj) {
  CMemFile f;
  EXPECT_TRUE(SavePageObject(f, obj, kVersion));
  return FileBytes(f);
}

inline Ref<Vectorloom::CRenderBaseObj> LoadObject(Bytes bytes, uint32_t allowed = kPageObjectTypes) {
  bytes.push_back(0);  // room for a pointer even when empty; not part of the file
  CMemFile f(bytes.data(), static_cast<UINT>(bytes.size() - 1));
  Vectorloom::CBitmapResObjsList bitmaps;
  return Ref<Vectorloom::CRenderBaseObj>(LoadPageObject(f, nullptr, bitmaps, kVersion, allowed));
}

// The library's base record of an object (type word first), without anything of its class.
inline Bytes BaseRecord(Vectorloom::CRenderBaseObj& obj) {
  CMemFile f;
  obj.Vectorloom::CRenderBaseObj::Save(f, kVersion);
  return FileBytes(f);
}

inline void Append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }
inline void AppendU32(Bytes& to, uint32_t v) {
  for (int i = 0; i < 4; ++i) to.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
inline void AppendTag(Bytes& to, const char* tag) { to.insert(to.end(), tag, tag + 4); }

// Hex digits to bytes; anything else is ignored.
inline Bytes Hex(const std::string& text) {
  Bytes out;
  int half = -1;
  for (char ch : text) {
    if (!std::isxdigit(static_cast<unsigned char>(ch))) continue;
    const int v = std::isdigit(static_cast<unsigned char>(ch)) ? ch - '0' : (std::tolower(ch) - 'a' + 10);
    if (half < 0) {
      half = v;
    } else {
      out.push_back(static_cast<unsigned char>(half * 16 + v));
      half = -1;
    }
  }
  return out;
}

// "Group:Outer(Shape:Box,Text:Words)": the program's class and the name of every object.
inline std::string DescribeTree(Vectorloom::CRenderBaseObj& obj) {
  std::string kind = "Other";
  if (dynamic_cast<CPageShapeObj*>(&obj)) kind = "Shape";
  if (dynamic_cast<CPageTextObj*>(&obj)) kind = "Text";
  if (dynamic_cast<CPageVideoObj*>(&obj)) kind = "Video";
  if (dynamic_cast<CPageGroupObj*>(&obj)) kind = "Group";
  std::string s = kind + ":" + lw::WideToUtf8(obj.GetObjectName().GetString());
  if (auto* g = dynamic_cast<CPageGroupObj*>(&obj)) {
    s += "(";
    bool first = true;
    for (Vectorloom::CRenderBaseObj* child : g->GetChildList()) {
      if (!first) s += ",";
      first = false;
      s += DescribeTree(*child);
    }
    s += ")";
  }
  return s;
}

}  // namespace doctest
