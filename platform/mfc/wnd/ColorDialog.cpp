// The colour chooser over the toolkit's colour dialog, with the test hook that answers instead
// of a dialog.
#include <atomic>

#include <wx/app.h>
#include <wx/colordlg.h>
#include <wx/window.h>

#include "wnd_state.h"

#include <afxdlgs.h>

IMPLEMENT_DYNAMIC(CColorDialog, CCmdTarget)

namespace {
std::atomic<lwmfc::PFN_COLORDIALOGHOOK> g_colorHook{nullptr};
}  // namespace

void lwmfc::SetColorDialogHook(PFN_COLORDIALOGHOOK pfn) { g_colorHook = pfn; }

CColorDialog::CColorDialog(COLORREF clrInit, DWORD dwFlags, CWnd* pParentWnd) {
  m_cc.rgbResult = clrInit & 0xFFFFFF;
  m_cc.Flags = dwFlags;
  m_cc.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
}

INT_PTR CColorDialog::DoModal() {
  if (lwmfc::PFN_COLORDIALOGHOOK hook = g_colorHook) {
    COLORREF color = m_cc.rgbResult;
    if (!hook(color)) return IDCANCEL;
    m_cc.rgbResult = color & 0xFFFFFF;
    return IDOK;
  }
  if (!wxTheApp) return IDCANCEL;
  CWnd* pOwner = m_cc.hwndOwner ? CWnd::FromHandle(m_cc.hwndOwner) : nullptr;
  if (!pOwner) pOwner = AfxGetMainWnd();
  wxColourData data;
  data.SetChooseFull(true);
  data.SetColour(wxColour(GetRValue(m_cc.rgbResult), GetGValue(m_cc.rgbResult), GetBValue(m_cc.rgbResult)));
  const lwwnd::RepaintOnClose repaint;
  wxColourDialog dlg(pOwner ? pOwner->GetWxWindow() : nullptr, &data);
  if (dlg.ShowModal() != wxID_OK) return IDCANCEL;
  const wxColour c = dlg.GetColourData().GetColour();
  m_cc.rgbResult = RGB(c.Red(), c.Green(), c.Blue());
  return IDOK;
}
