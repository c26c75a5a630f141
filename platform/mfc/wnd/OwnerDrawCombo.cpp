// Owner-drawn combo boxes: wxOwnerDrawnComboBox asks the bound CComboBox to draw and measure its
// items through a GDI context, whose pixels are then laid into the toolkit's drawing.
#include <algorithm>
#include <cstring>

#include <wx/dc.h>
#include <wx/image.h>
#include <wx/odcombo.h>
#include <wx/bitmap.h>

#include <gdi/wingdi.h>

#include "afxwin.h"
#include "dialog_internal.h"
#include "wnd_state.h"

namespace {

class LwOwnerDrawnCombo : public wxOwnerDrawnComboBox {
 public:
  LwOwnerDrawnCombo(wxWindow* parent, int id, const wxString& text, const wxPoint& pos, const wxSize& size,
                    const wxArrayString& items, long style, bool variable)
      : wxOwnerDrawnComboBox(parent, id, text, pos, size, items, style), m_variable(variable) {}

  void OnDrawItem(wxDC& dc, const wxRect& rect, int item, int flags) const override {
    CComboBox* pCombo = Combo();
    if (!pCombo || rect.width <= 0 || rect.height <= 0) return;
    const int w = rect.width, h = rect.height;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC hdc = CreateCompatibleDC(nullptr);
    HBITMAP hbm = CreateDIBSection(hdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!hdc || !hbm || !bits) {
      if (hbm) DeleteObject(hbm);
      if (hdc) DeleteDC(hdc);
      return;
    }
    HGDIOBJ old = SelectObject(hdc, hbm);
    const wxColour back = GetBackgroundColour();
    auto* px = static_cast<BYTE*>(bits);
    for (int i = 0; i < w * h; ++i) {
      px[4 * i] = back.Blue();
      px[4 * i + 1] = back.Green();
      px[4 * i + 2] = back.Red();
      px[4 * i + 3] = 0xFF;
    }
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_COMBOBOX;
    dis.CtlID = static_cast<UINT>(pCombo->GetDlgCtrlID());
    dis.itemID = item < 0 ? static_cast<UINT>(-1) : static_cast<UINT>(item);
    dis.itemAction = ODA_DRAWENTIRE;
    if (flags & wxODCB_PAINTING_SELECTED) dis.itemState |= ODS_SELECTED;
    if (flags & wxODCB_PAINTING_CONTROL) {
      dis.itemState |= ODS_COMBOBOXEDIT;
      if (HasFocus()) dis.itemState |= ODS_FOCUS | ODS_SELECTED;
    }
    if (!IsEnabled()) dis.itemState |= ODS_DISABLED;
    dis.hwndItem = pCombo->m_hWnd;
    dis.hDC = hdc;
    dis.rcItem = RECT{0, 0, w, h};
    dis.itemData = item >= 0 ? static_cast<ULONG_PTR>(pCombo->GetItemData(item)) : 0;
    pCombo->DrawItem(&dis);
    SelectObject(hdc, old);
    DeleteDC(hdc);
    wxImage image(w, h, false);
    unsigned char* rgb = image.GetData();
    for (int i = 0; i < w * h; ++i) {
      rgb[3 * i] = px[4 * i + 2];
      rgb[3 * i + 1] = px[4 * i + 1];
      rgb[3 * i + 2] = px[4 * i];
    }
    DeleteObject(hbm);
    dc.DrawBitmap(wxBitmap(image), rect.x, rect.y, false);
  }

  wxCoord OnMeasureItem(size_t item) const override {
    const wxCoord base = wxOwnerDrawnComboBox::OnMeasureItem(item);
    if (!m_variable && m_fixedHeight > 0) return m_fixedHeight;
    CComboBox* pCombo = Combo();
    if (!pCombo) return base;
    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_COMBOBOX;
    mis.CtlID = static_cast<UINT>(pCombo->GetDlgCtrlID());
    mis.itemID = m_variable ? static_cast<UINT>(item) : 0;
    mis.itemHeight = static_cast<UINT>(std::max(1, base));
    if (m_variable || item < GetCount()) mis.itemData = static_cast<ULONG_PTR>(pCombo->GetItemData(m_variable ? static_cast<int>(item) : 0));
    pCombo->MeasureItem(&mis);
    const wxCoord h = static_cast<wxCoord>(std::clamp<UINT>(mis.itemHeight, 1u, 255u));
    if (!m_variable) m_fixedHeight = h;
    return h;
  }

 private:
  CComboBox* Combo() const { return dynamic_cast<CComboBox*>(lwwnd::WndFromWx(this)); }

  bool m_variable;
  mutable wxCoord m_fixedHeight = 0;
};

}  // namespace

namespace lwmfc {

wxWindow* MakeOwnerDrawnCombo(wxWindow* parent, int id, const wxString& text, const wxPoint& pos, const wxSize& size,
                              const wxArrayString& items, DWORD style) {
  long wxStyle = (style & CBS_SORT) ? wxCB_SORT : 0;
  if ((style & 3) == CBS_DROPDOWNLIST) wxStyle |= wxCB_READONLY;
  auto* combo = new LwOwnerDrawnCombo(parent, id, text, pos, size, wxArrayString(), wxStyle,
                                      (style & CBS_OWNERDRAWVARIABLE) != 0);
  // Added one by one, not at construction: the toolkit's list keeps no item-data slots for the
  // items it is made with, and SetItemData on them would write past its table.
  for (const wxString& s : items) combo->Append(s);
  return combo;
}

}  // namespace lwmfc

void CComboBox::DrawItem(LPDRAWITEMSTRUCT) {}
void CComboBox::MeasureItem(LPMEASUREITEMSTRUCT) {}
