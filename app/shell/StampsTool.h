// Stamps: prepared artwork placed on the page from the three stamp galleries. After a gallery
// pick the stamps tool is current; the stamp appears under the pointer once it moves over the
// page, follows it, and a click drops it as one undoable "Add Stamp". The DYNAMIC stamps get a
// line of text when they are dropped: the date and time, or the user's name.
#pragma once

#include <afxwin.h>

#include <ctime>
#include <functional>

#include <vectorloom/DefaultTool.h>
#include <vectorloom/RenderObj.h>
#include <vectorloom/WorkspaceDoc.h>

namespace Vectorloom {
class CTextObj;
}

// Gallery command ids.
namespace ViewCmd {
inline constexpr UINT kStampsDynamic = 32900;
inline constexpr UINT kStampsSignHere = 32904;
inline constexpr UINT kStampsBusiness = 32907;
}  // namespace ViewCmd

// The galleries: resource type and the resource ids of the items, in gallery order.
struct StampGallery {
  UINT nCommand;
  const wchar_t* pszType;
  int nIds[12];
  int nCount;
};
const StampGallery* FindStampGallery(UINT nCommand);
const StampGallery* FindStampGalleryByType(const CString& type);

// The stamp stored under (type, id) in the program's resources, made through the document's
// factory; no reference taken. Null when there is no such stamp or its stream is bad.
Vectorloom::CRenderBaseObj* LoadObjectsFromResource(const wchar_t* type, int id, Vectorloom::CWorkspaceDoc* doc);

class CDrawStampsTool : public Vectorloom::CDefaultTool {
 public:
  ~CDrawStampsTool() override;

  void SetStamp(const CString& type, int id) {
    m_strType = type;
    m_nId = id;
  }
  const CString& GetResourceType() const { return m_strType; }
  int GetResourceId() const { return m_nId; }
  // The stamp following the pointer (null when none).
  Vectorloom::CRenderBaseObj* GetHeldStamp() const { return m_pStamp; }

  int OnLButtonDown(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(Vectorloom::CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  void DrawOutline(Vectorloom::CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                   float y) override;
  // Leaving the tool while a stamp follows the pointer takes the stamp off the page again.
  void ToolUnInitalize(Vectorloom::CWorkspaceView* pView) override;

  // The line a DYNAMIC stamp gets: "%m/%d/%Y %H:%M:%S %p" of the local time for 363 to 366 (in the
  // "C" locale, so AM/PM), the user's name for 367.
  CString GetDynamicText() const;
  static CString FormatStampTime(std::time_t t);
  // The user's login name (at most 260 characters).
  static CString GetLoginUserName();
  // What the clock and the user are (tests put their own).
  static std::function<std::time_t()> s_clock;
  static std::function<CString()> s_user;
  // The colour the dynamic text takes: of the stamp's first member (the stamp itself when it is
  // a single shape); red (255) when a group has no member.
  static COLORREF GetStampColor(const Vectorloom::CRenderBaseObj* stamp);

 private:
  // The text object of the dynamic line, placed on the stamp; null for other stamps.
  Vectorloom::CTextObj* MakeDynamicText() const;
  void Drop(Vectorloom::CWorkspaceView* pView);

  CString m_strType;
  int m_nId = 0;
  Vectorloom::CRenderBaseObj* m_pStamp = nullptr;  // one reference while held
};

extern CDrawStampsTool g_DrawStampsTool;
