// The system's mouse cursors over the toolkit's stock cursors, and the cursor shown over a
// window (SetCursor, LwSetWindowCursor).
#include <wx/cursor.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "afxwin.h"

namespace {

struct StockCursor {
  WORD id;
  wxStockCursor stock;
};

constexpr StockCursor kStock[] = {
    {32512, wxCURSOR_ARROW},    {32513, wxCURSOR_IBEAM},    {32514, wxCURSOR_WAIT},
    {32515, wxCURSOR_CROSS},    {32642, wxCURSOR_SIZENWSE}, {32643, wxCURSOR_SIZENESW},
    {32644, wxCURSOR_SIZEWE},   {32645, wxCURSOR_SIZENS},   {32646, wxCURSOR_SIZING},
    {32648, wxCURSOR_NO_ENTRY}, {32649, wxCURSOR_HAND},
};
constexpr size_t kStockCount = sizeof(kStock) / sizeof(kStock[0]);

// The handle of entry i is the address of its slot here; the toolkit cursor is made on first use
// and kept for the whole run (never freed, so nothing is released after the toolkit has ended).
wxCursor* g_cursors[kStockCount] = {};
HCURSOR g_current = nullptr;

HCURSOR HandleOf(size_t i) { return reinterpret_cast<HCURSOR>(&g_cursors[i]); }

int IndexOf(HCURSOR h) {
  for (size_t i = 0; i < kStockCount; ++i)
    if (HandleOf(i) == h) return static_cast<int>(i);
  return -1;
}

void ShowOver(wxWindow* w, HCURSOR h) {
  if (!w) return;
  const wxCursor* c = lwmfc::WxCursorOf(h);
  w->SetCursor(c ? *c : wxNullCursor);
}

}  // namespace

const wxCursor* lwmfc::WxCursorOf(HCURSOR hCursor) {
  const int i = IndexOf(hCursor);
  if (i < 0) return nullptr;
  wxCursor*& slot = g_cursors[static_cast<size_t>(i)];
  if (!slot) slot = new wxCursor(kStock[i].stock);
  return slot;
}

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName) {
  if (hInstance || !lpCursorName || !IS_INTRESOURCE(lpCursorName)) return nullptr;
  const auto id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpCursorName));
  for (size_t i = 0; i < kStockCount; ++i)
    if (kStock[i].id == id) return HandleOf(i);
  return nullptr;
}

HCURSOR SetCursor(HCURSOR hCursor) {
  const HCURSOR previous = g_current;
  g_current = hCursor;
  wxWindow* target = wxWindow::GetCapture();
  if (!target) {
    wxPoint pt;
    target = wxFindWindowAtPointer(pt);
  }
  ShowOver(target, hCursor);
  return previous;
}

HCURSOR GetCursor() { return g_current; }

BOOL LwSetWindowCursor(HWND hWnd, HCURSOR hCursor) {
  CWnd* p = CWnd::FromHandle(hWnd);
  wxWindow* w = p ? p->GetWxWindow() : nullptr;
  if (!w) return FALSE;
  ShowOver(w, hCursor);
  return TRUE;
}
