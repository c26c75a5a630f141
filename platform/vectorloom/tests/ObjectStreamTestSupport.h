// Shared by the object stream tests: building sample objects and saving them to bytes.
#pragma once

#include <afx.h>
#include <vectorloom/Vectorloom.h>

#include <cstdint>
#include <vector>

namespace vltest {

using namespace Vectorloom;

inline std::vector<uint8_t> FileBytes(CMemFile& f) {
  const BYTE* p = f.GetBufferPtr();
  return std::vector<uint8_t>(p, p + f.GetLength());
}

// A file over a copy of the bytes, at position 0.
class BytesFile {
 public:
  explicit BytesFile(std::vector<uint8_t> bytes) : m_bytes(std::move(bytes)) {
    if (m_bytes.empty()) m_bytes.reserve(1);
    m_file.Attach(m_bytes.data(), static_cast<UINT>(m_bytes.size()), 0);
  }
  CMemFile& file() { return m_file; }

 private:
  std::vector<uint8_t> m_bytes;
  CMemFile m_file;
};

// A shape with two sub-paths (a rectangle and an open curve) and the given fill.
inline CCustomPathObj* MakeShape(int fillKind, const CString& name = CString(L"Shape-1")) {
  auto* s = new CCustomPathObj;
  s->SetObjectName(name);
  s->SetTransMatrix(CQorTransMatrix(1, 0, 0, 2, 10, 20), false);
  s->AddRectanglePath(CQorVectorRect<float>(0, 0, 40, 30));
  CBaseCustomPath curve;
  CQorVectorEdgeNode a(0, 0), b(50, 10);
  a.ptOut = {10, -5};
  a.bHasOut = 1;
  b.ptIn = {40, 20};
  b.bHasIn = 1;
  curve.AddNode(a);
  curve.AddNode(b);
  s->AddSubPath(curve);
  s->SetFillKind(fillKind);
  s->SetFillColor(RGB(12, 34, 56));
  s->SetStrokeColor(RGB(200, 100, 0));
  s->SetFilledTransparency(64);
  s->SetStrokeTransparency(8);
  s->SetStrokeWidth(2.5f);
  s->SetDashType(DASH_DASHDOT);
  CLocalGradientColorsDefine g;
  g.AddColorStop(0x11D43E, 255, 0);
  g.AddColorStop(0xFFFFFF, 128, 4096);
  g.SetAngle(45);
  s->GetFillDefinition().SetGradientDefiniton(g);
  if (fillKind == RENDER_KIND_BITMAP) {
    auto* res = new CExternalBmpResObj(CString(L"C:\\pics\\a.png"), 1234, 1700000000);
    s->GetFillDefinition().SetRenderBitmap(res);
  }
  s->SetShadowFlag(true);
  return s;
}

// Saves one typed object, and a group's child list after it.
inline std::vector<uint8_t> SaveObject(CRenderBaseObj& obj) {
  CMemFile f;
  EXPECT_TRUE(CLoadingObject::Save(f, obj, CString(L"2010")));
  return FileBytes(f);
}

inline CRenderBaseObj* LoadObject(const std::vector<uint8_t>& bytes, CBitmapResObjsList& bitmaps,
                                  uint64_t* consumed = nullptr) {
  BytesFile bf(bytes);
  CDefaultObjectFactory factory;
  CResourceModule module;
  CRenderBaseObj* obj = CLoadingObject::Load(bf.file(), &module, bitmaps, factory, CString(L"2010"));
  if (consumed) *consumed = bf.file().GetPosition();
  return obj;
}

// Holds a freshly made object (count 0) for the test's lifetime.
struct Held {
  CRenderBaseObj* p;
  explicit Held(CRenderBaseObj* obj) : p(obj) {
    if (p) p->AddRef();
  }
  ~Held() {
    if (p) p->Release();
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  CRenderBaseObj* operator->() const { return p; }
};

}  // namespace vltest
