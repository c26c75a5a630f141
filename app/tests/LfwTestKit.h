// Helpers of the document-file tests: a private home folder, pictures, shapes, documents written
// to bytes and opened again.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <lwstr.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>
#include <vectorloom/UnitConv.h>

#include "LeafwrightDoc.h"
#include "LfwReader.h"
#include "LfwSections.h"
#include "PageBusiPage.h"
#include "PageShapeObj.h"
#include "TestSupport.h"

namespace lfwtest {

using Bytes = std::vector<uint8_t>;
namespace fs = std::filesystem;

// HOME (and so the documents folder) points at a folder of this test program; the videos folder
// is inside it. Called by every fixture before anything touches the documents folder.
inline const fs::path& TestHome() {
  static lwtest::TempDir home;
  static bool set = [] {
    setenv("HOME", home.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home.path() / ".config").c_str(), 1);
    fs::create_directories(home.path() / ".config");
    fs::create_directories(home.path() / "Documents");
    return true;
  }();
  (void)set;
  return home.path();
}

inline fs::path VideoFolder() { return TestHome() / "Documents" / "Leafwright Videos"; }

inline std::wstring W(const fs::path& p) { return lw::Utf8ToWide(p.string()); }

// A 32-bit picture of w x h pixels: pixel (x, y) has red x * 40, green y * 60, blue `blue`.
inline Gdiplus::Bitmap* MakeBitmap(int w, int h, BYTE blue) {
  auto* bmp = new Gdiplus::Bitmap(w, h, Gdiplus::PixelFormat32bppARGB);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      bmp->SetPixel(x, y, Gdiplus::Color(255, static_cast<BYTE>(x * 40), static_cast<BYTE>(y * 60), blue));
  return bmp;
}

inline Vectorloom::CExternalBmpResObj* MakePicture(const wchar_t* path, uint32_t size, int64_t time, BYTE blue) {
  auto* res = new Vectorloom::CExternalBmpResObj(CString(path), size, time);
  res->SetGdiBitmap(MakeBitmap(5, 3, blue), nullptr, 1);
  return res;
}

// A rectangle shape at (x, y) of w x h with the given fill kind (a picture fill uses `picture`).
inline CPageShapeObj* MakeShape(float x, float y, float w, float h, int fillKind,
                                Vectorloom::CBitmapResObj* picture = nullptr) {
  auto* shape = new CPageShapeObj;
  shape->AddRectanglePath({0, 0, w, h});
  shape->SetTransMatrix(Vectorloom::CQorTransMatrix::Translation(x, y), false);
  shape->SetFillKind(fillKind);
  if (fillKind == Vectorloom::RENDER_KIND_BITMAP) shape->GetFillDefinition().SetRenderBitmap(picture);
  shape->SetStrokeWidth(Vectorloom::CUnitConv::Weight2Pixel(2.0f, 96));
  shape->CreatePathStorage();
  return shape;
}

// Writes the whole document into bytes; fails the test when the save fails.
inline Bytes WriteToBytes(CPublicationDoc& doc, CString* error = nullptr) {
  CMemFile mem(1024);
  CString why;
  const bool ok = WriteLfwDocument(&doc, mem, nullptr, &why);
  if (error) *error = why;
  if (!ok) {
    if (!error) ADD_FAILURE() << "save failed: " << lw::WideToUtf8(why.GetString());
    return {};
  }
  const auto* p = mem.GetBufferPtr();
  return Bytes(p, p + mem.GetLength());
}

inline CCacheLfwPageContent* OpenBytes(const Bytes& bytes) {
  auto mem = std::make_unique<CMemFile>(1024);
  if (!bytes.empty()) mem->Write(bytes.data(), static_cast<UINT>(bytes.size()));
  mem->SeekToBegin();
  return new CCacheLfwPageContent(std::move(mem));
}

// A document whose pages are bound, lazily, to a source over the bytes.
struct OpenedDoc {
  explicit OpenedDoc(const Bytes& bytes, CLeafwrightDoc* into = nullptr) : doc(into ? into : new CLeafwrightDoc) {
    source = OpenBytes(bytes);
    source->AddRef();
    for (int i = 0; i < source->GetPagesCount(); ++i) {
      auto* page = new CPageBusiPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc->GetRenderPagesArray().AddPage(page);
    }
  }
  ~OpenedDoc() {
    doc.reset();
    source->Release();
  }
  CDrawingPage* Page(int i) { return doc->GetDrawingPage(i); }
  CDrawingPage* Load(int i) {
    CDrawingPage* page = Page(i);
    EXPECT_TRUE(page->LoadPageContent(doc.get())) << "page " << i + 1;
    return page;
  }

  std::unique_ptr<CLeafwrightDoc> doc;
  CCacheLfwPageContent* source = nullptr;
};

inline uint32_t Le32(const Bytes& b, size_t at) {
  return static_cast<uint32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24));
}
inline void PutLe32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace lfwtest
