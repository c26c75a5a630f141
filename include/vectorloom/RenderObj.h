// Page objects: the reference-counted base of shapes, groups, texts and videos, and the ordered
// list of objects that pages and groups hold.
//
// Every object has a transformation matrix (object coordinates to page coordinates, pixels of
// the 96-dpi screen while the document is open), a 32-bit type word whose low 16 bits are the
// object type code, and a name. Objects write themselves into object streams with Save (which
// begins with the u32 type word) and read themselves back with Load (which starts after it); the
// byte layout is in docs/formats.md.
#pragma once

#include <afx.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "RefObj.h"
#include "TransMatrix.h"
#include "VectorTypes.h"

namespace Gdiplus {
class Graphics;
class Matrix;
class GraphicsPath;
}  // namespace Gdiplus

namespace Vectorloom {

class CWorkspaceView;
class CResourceModule;
class CBitmapResObjsList;
class CRenderBaseObj;

// Object type codes: the low 16 bits of the type word and the u32 written before each object.
enum eRenderObjType : uint32_t {
  RENDER_OBJ_SHAPE = 0,
  RENDER_OBJ_CORETEXT = 1,  // this library's own text; never made by the program
  RENDER_OBJ_GROUP = 2,
  RENDER_OBJ_TEXT = 3,
  RENDER_OBJ_VIDEO = 4,
};

// Version of the object record layout that Save writes (docs/formats.md, "Object streams").
// Version 2 adds the stroke style and fill rule to shapes; Load reads versions 1 and 2.
constexpr uint32_t kObjectRecordVersion = 2;

// Handle codes of HitTestHandles: the eight resize handles of the object's box, clockwise from
// the top-left corner, then the rotation handle; -1 for none.
enum eHandleCode {
  HANDLE_NONE = -1,
  HANDLE_TOPLEFT = 0,
  HANDLE_TOP,
  HANDLE_TOPRIGHT,
  HANDLE_RIGHT,
  HANDLE_BOTTOMRIGHT,
  HANDLE_BOTTOM,
  HANDLE_BOTTOMLEFT,
  HANDLE_LEFT,
  HANDLE_ROTATE,
};

// An ordered list of objects. The list holds one reference to each object it keeps: adding or
// inserting takes one, removing releases it, detaching hands it to the caller.
class CRenderBaseObjectList {
 public:
  CRenderBaseObjectList() = default;
  ~CRenderBaseObjectList();
  // A copy holds its own references to the same objects.
  CRenderBaseObjectList(const CRenderBaseObjectList& other);
  CRenderBaseObjectList& operator=(const CRenderBaseObjectList& other);

  int GetCount() const { return static_cast<int>(m_items.size()); }
  int GetSize() const { return GetCount(); }
  bool IsEmpty() const { return m_items.empty(); }
  CRenderBaseObj* GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)] : nullptr;
  }
  CRenderBaseObj* operator[](int index) const { return GetAt(index); }
  CRenderBaseObj* GetHead() const { return m_items.empty() ? nullptr : m_items.front(); }
  CRenderBaseObj* GetTail() const { return m_items.empty() ? nullptr : m_items.back(); }

  // Appends (null is ignored) and takes a reference.
  void AddElement(CRenderBaseObj* pObj);
  // Inserts before index (clamped to 0..count) and takes a reference.
  void InsertElement(int index, CRenderBaseObj* pObj);
  // Index of the object in this list, or -1.
  int Find(const CRenderBaseObj* pObj) const;
  // Whether the object is in this list or, at any depth, in a group of it.
  bool FindObject(const CRenderBaseObj* pObj) const;
  // Removes the object (its first occurrence) and releases it; false when it is not here.
  bool RemoveElement(CRenderBaseObj* pObj);
  bool RemoveElementAt(int index);
  // Takes the object out without releasing: the caller gets the list's reference.
  CRenderBaseObj* DetachElementAt(int index);
  bool DetachElement(CRenderBaseObj* pObj);
  // Releases every object.
  void RemoveAllElements();
  // Forgets every object without releasing (their references go to whoever holds them now).
  void DetachAllElements() { m_items.clear(); }
  bool SwapElements(int i, int j);
  void ReverseOrder();

  std::vector<CRenderBaseObj*>::const_iterator begin() const { return m_items.begin(); }
  std::vector<CRenderBaseObj*>::const_iterator end() const { return m_items.end(); }

 private:
  std::vector<CRenderBaseObj*> m_items;
};

class CRenderBaseObj : public CRefObj {
 public:
  explicit CRenderBaseObj(uint32_t typeWord = RENDER_OBJ_SHAPE);
  CRenderBaseObj(const CRenderBaseObj& other);
  CRenderBaseObj& operator=(const CRenderBaseObj& other);
  ~CRenderBaseObj() override;

  // A new object of the same class holding the same content (references to the same pictures).
  virtual CRenderBaseObj* Clone() const;
  // Draws the object; the matrix maps page coordinates to the device (the view's matrix).
  virtual void Draw(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix);
  // The rectangle the object covers on a view, in the view's logical (scrolled) pixels, handles
  // included when selected; the program's classes fill it in. The base knows no view and gives
  // the bounds rounded outwards.
  virtual RECT CalcuObjectOccurArea(CWorkspaceView* pView, int bSelected);
  // Bounds of the object on the page (after its matrix).
  virtual CQorVectorRect<float> CalcuBoundRect() const;
  // Marks the object's area of a view for repainting (bSelected: with its handles); nothing
  // without a view. Part of the view half of the library (VectorloomView).
  void InvalidateObjRect(CWorkspaceView* pView, int bSelected);
  // The object's own box (before its matrix): what its handles frame.
  virtual CQorVectorRect<float> GetObjectBox() const;
  // Whether a page point hits the object; tolerance in page units.
  virtual bool HitTest(const CQorVectorPoint<float>& pt, float tolerance) const;
  // The handle under a page point (eHandleCode), or -1.
  virtual int HitTestHandles(const CQorVectorPoint<float>& pt, float radius) const;
  // Whether a page point lies on an inner element of the object (e.g. a video's control band).
  virtual bool HitTestInnerElements(const CQorVectorPoint<float>& pt) const;
  // Rebuilds cached geometry after a change of the object's data or matrix.
  virtual void CreatePathStorage();
  // Rebuilds effect bitmaps (shadows and the like); nonzero on success. Shadows are made as they
  // are drawn (DrawShadow), at the resolution of the view: nothing is kept between draws.
  virtual int CreateEffectsDIBs(int nFlags, int nReserved);
  // Sets the matrix; bRebuild rebuilds the cached geometry (CreatePathStorage).
  virtual void SetTransMatrix(const CQorTransMatrix& matrix, bool bRebuild);
  // Applies a transformation after the object's matrix (matrix = matrix x m).
  virtual void TransformObject(const CQorTransMatrix& m, bool bRebuild);
  // Adds the external picture resources the object uses to the list (each once).
  virtual void CollectExternalBmpResObjs(CBitmapResObjsList& list) const;
  // Gives the object's external pictures the picture of the resource in the list with the same
  // path, size and time; the object keeps its own resource objects.
  virtual void AssignExternalBmpRes(const CBitmapResObjsList& list);
  // Replaces the object's external resources by the resources in the list with the same path,
  // size and time (the object then shares them).
  virtual void AssignExternalBmpRes2(const CBitmapResObjsList& list);
  // The object's shadow rectangle on the page, from the given bounds or the object's own.
  virtual CQorVectorRect<float> CalcuShadowBoundRect(const CQorVectorRect<float>* pBounds = nullptr) const;
  // Writes the u32 type word and the object's record; nonzero on success (a failing file throws
  // as CFile does).
  virtual int Save(CFile& file, const CString& version);
  // Reads the record that follows the type word; nonzero on success, 0 on a short or malformed
  // record (the object is then left partly filled).
  virtual int Load(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps, const CString& version);
  // Fits the object's box to a rectangle given in its own coordinates.
  virtual void ResizeObject(const CQorVectorRect<float>& rect);
  // Whether the object is a group whose children walkers descend into.
  virtual bool IsGroupObject() const { return false; }
  // Multiplies the object's lengths: x lengths by sx, y lengths by sy (object streams keep
  // lengths in page units, the open document in pixels).
  virtual void ScaleLengthParam(const float& sx, const float& sy);

  // Type word and code.
  uint32_t GetTypeWord() const { return m_dwType; }
  void SetTypeWord(uint32_t type) { m_dwType = type; }
  int GetObjectType() const { return static_cast<int>(m_dwType & 0xFFFF); }

  const CQorTransMatrix& GetTransMatrix() const { return m_matTrans; }

  const CString& GetObjectName() const { return m_strName; }
  void SetObjectName(const CString& name) { m_strName = name; }

  // Rotation of the object's x axis in whole degrees, 0 to 359.
  int GetRotatedAngle() const;
  CQorVectorRect<float> GetBoundRect() const { return CalcuBoundRect(); }
  // The eight handle points of the object's box on the page (eHandleCode order).
  void GetHandlePoints(CQorVectorPoint<float> pts[8]) const;

  // Two lengths an object may keep (a text keeps its inner margins here).
  float GetLengthX() const { return m_fLengthX; }
  float GetLengthY() const { return m_fLengthY; }
  void SetLengths(float x, float y) { m_fLengthX = x, m_fLengthY = y; }

  // Shadow: a copy of the object moved by the offset, in a colour with a transparency.
  bool GetShadowFlag() const { return m_bShadow; }
  void SetShadowFlag(bool on) { m_bShadow = on; }
  CQorVectorPoint<float> GetShadowOffset() const { return m_ptShadowOffset; }
  void SetShadowOffset(const CQorVectorPoint<float>& offset) { m_ptShadowOffset = offset; }
  COLORREF GetShadowColor() const { return m_crShadow; }
  void SetShadowColor(COLORREF color) { m_crShadow = color; }
  int GetShadowTransparency() const { return m_nShadowTransparency; }
  void SetShadowTransparency(int t) { m_nShadowTransparency = t; }

  // The library's copy of the base part (used by Clone and by derived classes' Copy).
  void Copy(const CRenderBaseObj& other) { *this = other; }

  // When the shadow flag is on, draws the shadow: the object's silhouette (what Draw covers,
  // with its coverage) moved by the shadow offset, in the shadow colour at the shadow's
  // transparency. Shapes and groups call it from Draw before drawing themselves; the object is
  // drawn off screen for it, and while a silhouette is drawn (on this thread) no object draws a
  // shadow: a group's shadow holds no shadows of its children.
  void DrawShadow(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix);
  static bool IsDrawingSilhouette();

 protected:
  uint32_t m_dwType;
  CQorTransMatrix m_matTrans;
  CString m_strName;
  float m_fLengthX = 0;
  float m_fLengthY = 0;
  bool m_bShadow = false;
  CQorVectorPoint<float> m_ptShadowOffset{5, 5};
  COLORREF m_crShadow = 0x808080;
  int m_nShadowTransparency = 128;
  // The record version the last Load read (what follows the base record depends on it).
  uint32_t m_nLoadedVersion = kObjectRecordVersion;
};

}  // namespace Vectorloom
