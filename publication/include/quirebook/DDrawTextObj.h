// The page text object: a render object of the core library and an editable text at once.
//
// Stream (little-endian): the render object's data as the core library writes it (type word
// first), the layout box width and height (f32 each), the byte length L (u32) of the text record,
// then the L bytes of the text record.
#pragma once

#include <cstdlib>
#include <memory>

#include <gdiplus/gdiplus.h>
#include <glyphweave/EditableTextObj.h>
#include <mfc/afxbinio.h>
#include <vectorloom/RenderObj.h>
#include <vectorloom/StreamReader.h>
#include <vectorloom/TransMatrix.h>
#include <vectorloom/VariableStream.h>

namespace Quirebook {

// Draws the glyphs of a laid-out text, row by row: each character with a glyph that is filled or
// stroked, then its underline and strike-through. objectMatrix places the text box on the page,
// viewMatrix maps the page to the device. The graphics' world transform is restored afterwards.
void DrawEditableTextGlyphs(const GlyphweaveLib::CEditableTextObj& text, const Vectorloom::CQorTransMatrix& objectMatrix,
                            Gdiplus::Graphics* graphics, const Gdiplus::Matrix& viewMatrix);

template <class TBase>
class CDDrawTextObjT : public TBase, public GlyphweaveLib::CEditableTextObj {
 public:
  static constexpr int kInitialRecordRoom = 8192;

  CDDrawTextObjT() : TBase(Vectorloom::RENDER_OBJ_TEXT) {}
  CDDrawTextObjT(const CDDrawTextObjT& other) : TBase(other), GlyphweaveLib::CEditableTextObj() {
    Duplicate(other);
    m_szLayoutBox = other.m_szLayoutBox;
  }
  CDDrawTextObjT& operator=(const CDDrawTextObjT& other) {
    Copy(other);
    return *this;
  }
  ~CDDrawTextObjT() override = default;

  // The layout box the rows are laid out in.
  const Vectorloom::CQorVectorSize<float>& GetLayoutBox() const { return m_szLayoutBox; }
  void SetLayoutBox(float width, float height) { m_szLayoutBox = {width, height}; }

  // The layout box in the object's own coordinates: what hit tests, handles and bounds use.
  Vectorloom::CQorVectorRect<float> GetObjectBox() const override {
    return {0.0f, 0.0f, m_szLayoutBox.cx, m_szLayoutBox.cy};
  }

  Vectorloom::CQorVectorSize<float> GetTextOccurArea() const override {
    return {m_szLayoutBox.cx + 0.5f, m_szLayoutBox.cy + 0.5f};
  }

  void Draw(Gdiplus::Graphics* graphics, const Gdiplus::Matrix& viewMatrix) override {
    DrawEditableTextGlyphs(*this, this->GetTransMatrix(), graphics, viewMatrix);
  }

  // Writes the stream; the version string goes to the core library's writer and to the text
  // record. Returns 1; 0 when the text record cannot be built. A failing file throws. This
  // overrides the library's writer, so a text saved through a base pointer (inside a group, for
  // one) writes the same stream that Load reads.
  int Save(CFile& file, const CString& version) override {
    if (!TBase::Save(file, version)) return 0;
    lw::bin::WriteF32(file, m_szLayoutBox.cx);
    lw::bin::WriteF32(file, m_szLayoutBox.cy);
    Vectorloom::CVariableStream record(kInitialRecordRoom);
    if (!PutBinaryContent(&record, version.GetString())) return 0;
    const int length = record.GetLength();
    lw::bin::WriteU32(file, static_cast<uint32_t>(length));
    if (length > 0) file.Write(record.GetBuffer(), static_cast<UINT>(length));
    return 1;
  }

  // Reads the stream that follows the type word. Nonzero only when every field was read whole
  // and the text record was accepted; the record's length is checked against what is left in
  // the file before anything is allocated.
  int Load(CFile& file, const Vectorloom::CResourceModule* module, Vectorloom::CBitmapResObjsList& bitmaps,
           const CString& version) override {
    if (!TBase::Load(file, module, bitmaps, version)) return 0;
    float width = 0, height = 0;
    uint32_t length = 0;
    if (!lw::bin::ReadF32(file, width) || !lw::bin::ReadF32(file, height) || !lw::bin::ReadU32(file, length))
      return 0;
    m_szLayoutBox = {width, height};
    const ULONGLONG position = file.GetPosition(), size = file.GetLength();
    if (position > size || length > size - position) return 0;
    std::unique_ptr<unsigned char[]> bytes(new (std::nothrow) unsigned char[length ? length : 1]);
    if (!bytes || !lw::bin::ReadBytes(file, bytes.get(), length)) return 0;
    Vectorloom::CStreamReader reader(bytes.get(), length);
    return GetBinaryContent(&reader, version.GetString()) ? 1 : 0;
  }

  // The core library's copy of the render part and a duplicate of the text.
  void Copy(const CDDrawTextObjT& other) {
    if (this == &other) return;
    TBase::Copy(other);
    Duplicate(other);
    m_szLayoutBox = other.m_szLayoutBox;
  }

 protected:
  Vectorloom::CQorVectorSize<float> m_szLayoutBox;
};

class CDDrawTextObj : public CDDrawTextObjT<Vectorloom::CRenderBaseObj> {
 public:
  CDDrawTextObj() = default;
  CDDrawTextObj(const CDDrawTextObj&) = default;
  CDDrawTextObj& operator=(const CDDrawTextObj&) = default;
  ~CDDrawTextObj() override = default;

  Vectorloom::CRenderBaseObj* Clone() const override { return new CDDrawTextObj(*this); }

  // The box becomes the rectangle's size, the matrix moves to its corner (the rectangle is in
  // the object's own coordinates) and the text is laid out again.
  void ResizeObject(const Vectorloom::CQorVectorRect<float>& rect) override;
  // The core library's scaling, then the layout box; no new layout.
  void ScaleLengthParam(const float& sx, const float& sy) override;
  // Turns an imported text into one row whose matrix keeps only its translation (the matrix's
  // scale goes into the characters when the text is not rotated); with moveUp the box moves up by
  // the row's ascent, so the baseline stays where it was.
  void NormalizePDFText(bool moveUp);
  // Joins another text of the same line into this one: the characters of the right-hand text
  // follow those of the left-hand one, shifted so that nothing moves on the page. This object
  // survives; the caller drops the other. Returns true.
  bool ConnectTextObjRunline(CDDrawTextObj* other);
  // Joins another text of the same block: the upper text's rows come first, each row ends in a
  // carriage return, and the gap between the two becomes a row gap. This object survives.
  bool ConnectTextObjInblock(CDDrawTextObj* other);
};

}  // namespace Quirebook

using Quirebook::CDDrawTextObj;
using Quirebook::CDDrawTextObjT;
