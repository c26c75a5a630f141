// The small-control strip of a ribbon group: check boxes and labels drawn here (so the theme
// applies), edits as the toolkit's spin edit (label, native edit, drawn arrows), combo boxes and
// scroll bars as native controls; three items to a column.
#include <algorithm>

#include <wx/combobox.h>
#include <wx/dcbuffer.h>
#include <wx/ribbon/art.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

#include "GalleryView.h"
#include "QorpGalleryWindows.h"
#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "ribbon_internal.h"
#include "spin_edit.h"

namespace {

constexpr int kRows = 3;
constexpr int kRowHeight = 24;
constexpr int kBox = 13;
constexpr int kSpinWidth = 14;  // the spin edit's arrows
constexpr int kGap = 4;

wxString ToWx(const CString& s) { return wxString(static_cast<const wchar_t*>(s)); }

CString Shown(const CString& s) { return QORPStripMnemonic(s); }

HWND FrameHandle(CFrameWnd* pFrame) { return pFrame ? pFrame->GetSafeHwnd() : nullptr; }

int CheckedOf(const CQORPControl* p) {
  int n = p->GetChecked();
  if (n == -1 && p->GetAction()) n = p->GetAction()->GetChecked();
  return n;
}

}  // namespace

std::vector<int> QorpStripColumns(const std::vector<int>& widths, int nRows, int* pTotalWidth) {
  std::vector<int> lefts(widths.size(), 0);
  if (nRows < 1) nRows = 1;
  int x = 0;
  for (size_t first = 0; first < widths.size(); first += static_cast<size_t>(nRows)) {
    const size_t last = std::min(widths.size(), first + static_cast<size_t>(nRows));
    int w = 0;
    for (size_t i = first; i < last; ++i) {
      lefts[i] = x;
      w = std::max(w, std::max(widths[i], 0));
    }
    x += w + (last < widths.size() ? kGap * 2 : 0);
  }
  if (pTotalWidth) *pTotalWidth = x;
  return lefts;
}

struct QorpStrip::Item {
  CQORPControl* p = nullptr;
  wxRect rc;        // the whole item
  wxRect rcLabel;   // the label (edits, combos) or caption (check boxes, labels)
  wxWindow* pSpin = nullptr;   // an edit: the spin edit window
  wxTextCtrl* pEdit = nullptr;  // and its native edit
  wxComboBox* pCombo = nullptr;
  wxSlider* pSlider = nullptr;
  wxWindow* pGalleryCombo = nullptr;  // a combo box whose list is a gallery
  wxRect rcUp, rcDown;  // spin arrows
  bool bEnabled = true;
  int nChecked = 0;
  CString strCaption;
};

QorpStrip::QorpStrip(wxWindow* pParent, CQORPRibbonBarImpl* pImpl, std::vector<CQORPControl*> controls)
    : wxWindow(pParent, wxID_ANY), m_pImpl(pImpl), m_controls(std::move(controls)) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  for (CQORPControl* p : m_controls) {
    auto item = std::make_unique<Item>();
    item->p = p;
    item->strCaption = Shown(p->GetCaption());
    CFrameWnd* pFrame = pImpl->pOwner->GetFrame();
    switch (p->GetType()) {
      case QORP_CONTROL_EDIT: {
        // The toolkit's one spin edit: it sends 100 on Enter and when left after typing, and
        // the arrows' steps; the strip places it and gives it its background.
        auto* pEdit = static_cast<CQORPControlEdit*>(p);
        item->pSpin = QORPCreateSpinEditWindow(pEdit, this, std::max(p->GetWidth(), 40));
        item->pEdit = dynamic_cast<wxTextCtrl*>(QORPGetSpinEditTextWindow(item->pSpin));
        QORPSetSpinEditBackground(item->pSpin, Back());
        break;
      }
      case QORP_CONTROL_COMBO_BOX: {
        auto* pCombo = static_cast<CQORPControlComboBox*>(p);
        const CQORPCommandBar* pListBar = static_cast<const CQORPControl*>(p)->GetCommandBar();
        if (pListBar && pListBar->GetCount() > 0 && pListBar->GetAt(0)->GetType() == QORP_CONTROL_GALLERY) {
          // The gallery drop-down with its own edit comes from the gallery windows.
          item->pGalleryCombo = QORPCreateComboWindow(pCombo, this, std::max(p->GetWidth(), 40),
                                                      pCombo->IsAutoCompleteEnabled());
          if (item->pGalleryCombo) break;
        }
        wxArrayString choices;
        if (const CQORPCommandBar* pList = static_cast<const CQORPControl*>(p)->GetCommandBar())
          for (int i = 0; i < pList->GetCount(); ++i)
            if (pList->GetAt(i)->GetType() != QORP_CONTROL_GALLERY && !pList->GetAt(i)->GetCaption().IsEmpty())
              choices.Add(ToWx(Shown(pList->GetAt(i)->GetCaption())));
        item->pCombo = new wxComboBox(this, wxID_ANY, ToWx(pCombo->GetEditText()), wxDefaultPosition, wxDefaultSize,
                                      choices, wxTE_PROCESS_ENTER);
        auto notify = [pCombo, pFrame, w = item->pCombo](wxCommandEvent&) {
          pCombo->SetEditText(w->GetValue().wc_str());
          if (pCombo->GetEnabled()) qorp::SendControlNotify(FrameHandle(pFrame), pCombo, QORP_CN_EXECUTE);
        };
        item->pCombo->Bind(wxEVT_COMBOBOX, notify);
        item->pCombo->Bind(wxEVT_TEXT_ENTER, notify);
        item->pCombo->Bind(wxEVT_TEXT, [pCombo, w = item->pCombo](wxCommandEvent&) {
          pCombo->SetEditText(w->GetValue().wc_str());
        });
        item->pCombo->Bind(wxEVT_SET_FOCUS, [pCombo](wxFocusEvent& e) {
          pCombo->SetFocused(TRUE);
          e.Skip();
        });
        item->pCombo->Bind(wxEVT_KILL_FOCUS, [pCombo](wxFocusEvent& e) {
          pCombo->SetFocused(FALSE);
          e.Skip();
        });
        break;
      }
      case QORP_CONTROL_SCROLL_BAR: {
        auto* pBar = static_cast<CQORPControlScrollBar*>(p);
        item->pSlider = new wxSlider(this, wxID_ANY, std::clamp(pBar->GetPos(), 0, 100), 0, 100);
        item->pSlider->Bind(wxEVT_SCROLL_CHANGED, [pBar, pFrame, w = item->pSlider](wxScrollEvent&) {
          pBar->SetPos(w->GetValue());
          if (pBar->GetEnabled()) qorp::SendControlNotify(FrameHandle(pFrame), pBar, QORP_CN_EXECUTE);
        });
        break;
      }
      default:
        break;
    }
    m_items.push_back(std::move(item));
  }
  Bind(wxEVT_PAINT, &QorpStrip::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &QorpStrip::OnLeftDown, this);
  Layout_();
}

QorpStrip::~QorpStrip() = default;

void QorpStrip::Layout_() {
  std::vector<int> widths;
  std::vector<int> labelWidths;
  for (auto& item : m_items) {
    const CQORPControl* p = item->p;
    const CString strLabel = Shown(p->GetLabel());
    const int nLabel = strLabel.IsEmpty() ? 0 : GetTextExtent(ToWx(strLabel)).x + kGap;
    int w = 0;
    switch (p->GetType()) {
      case QORP_CONTROL_EDIT: {
        const bool bSpin = static_cast<const CQORPControlEdit*>(p)->IsSpinButtonsVisible() != FALSE;
        w = p->GetWidth() > 0 ? p->GetWidth() : nLabel + 60 + (bSpin ? kSpinWidth : 0);
        w = std::max(w, nLabel + 24 + (bSpin ? kSpinWidth : 0));
        break;
      }
      case QORP_CONTROL_COMBO_BOX:
        w = std::max(p->GetWidth() > 0 ? p->GetWidth() : nLabel + 120, nLabel + 40);
        break;
      case QORP_CONTROL_SCROLL_BAR:
        w = p->GetWidth() > 0 ? p->GetWidth() : 100;
        break;
      case QORP_CONTROL_CHECK_BOX:
      case QORP_CONTROL_RADIO_BUTTON:
        w = kBox + kGap + GetTextExtent(ToWx(item->strCaption)).x + kGap;
        break;
      default:
        w = GetTextExtent(ToWx(item->strCaption)).x + kGap * 2;
        break;
    }
    widths.push_back(w);
    labelWidths.push_back(nLabel);
  }
  int total = 0;
  const std::vector<int> lefts = QorpStripColumns(widths, kRows, &total);
  for (size_t i = 0; i < m_items.size(); ++i) {
    Item& item = *m_items[i];
    const int y = static_cast<int>(i % kRows) * kRowHeight + 2;
    item.rc = wxRect(lefts[i], y, widths[i], kRowHeight - 2);
    item.rcLabel = wxRect(lefts[i], y, labelWidths[i], kRowHeight - 2);
    const int x0 = lefts[i] + labelWidths[i];
    if (item.pSpin) {
      item.pSpin->SetSize(lefts[i], y, widths[i], kRowHeight - 2);
      for (int k = 0; k < 2; ++k) {
        const CRect r = QORPGetSpinArrowRect(item.pSpin, k == 0);
        (k == 0 ? item.rcUp : item.rcDown) =
            r.IsRectEmpty() ? wxRect() : wxRect(lefts[i] + r.left, y + r.top, r.Width(), r.Height());
      }
    } else if (item.pCombo) {
      item.pCombo->SetSize(x0, y, std::max(widths[i] - labelWidths[i], 16), kRowHeight - 2);
    } else if (item.pGalleryCombo) {
      item.pGalleryCombo->SetSize(x0, y, std::max(widths[i] - labelWidths[i], 16), kRowHeight - 2);
    } else if (item.pSlider) {
      item.pSlider->SetSize(x0, y, std::max(widths[i], 16), kRowHeight - 2);
    }
  }
  const wxSize sz(std::max(total, 1), kRows * kRowHeight + 2);
  SetMinSize(sz);
  SetSize(sz);
}

wxWindow* QorpStrip::GetItemWindow(const CQORPControl* pControl) const {
  for (const auto& item : m_items)
    if (item->p == pControl) {
      if (item->pEdit) return item->pEdit;
      if (item->pSpin) return item->pSpin;
      if (item->pCombo) return item->pCombo;
      if (item->pGalleryCombo) return item->pGalleryCombo;
      if (item->pSlider) return item->pSlider;
      return const_cast<QorpStrip*>(this);
    }
  return nullptr;
}

wxRect QorpStrip::GetItemRect(const CQORPControl* pControl) const {
  for (const auto& item : m_items)
    if (item->p == pControl) return item->rc;
  return wxRect();
}

wxRect QorpStrip::GetSpinRect(const CQORPControl* pControl, bool bUp) const {
  for (const auto& item : m_items)
    if (item->p == pControl) return bUp ? item->rcUp : item->rcDown;
  return wxRect();
}

void QorpStrip::Refresh_() {
  bool bRepaint = false;
  for (auto& item : m_items) {
    CQORPControl* p = item->p;
    const bool bEnabled = p->GetEnabled() != FALSE;
    if (bEnabled != item->bEnabled) {
      item->bEnabled = bEnabled;
      if (item->pCombo) item->pCombo->Enable(bEnabled);
      if (item->pSlider) item->pSlider->Enable(bEnabled);
      if (item->pGalleryCombo) item->pGalleryCombo->Enable(bEnabled);
      bRepaint = true;
    }
    const int nChecked = CheckedOf(p);
    if (nChecked != item->nChecked) {
      item->nChecked = nChecked;
      bRepaint = true;
    }
    const CString strCaption = Shown(p->GetCaption());
    if (strCaption != item->strCaption) {
      item->strCaption = strCaption;
      bRepaint = true;
    }
    // Text the program set; what the user types reaches the control as it is typed.
    if (item->pSpin) {
      QORPSyncSpinEdit(item->pSpin);
    } else if (item->pCombo) {
      const wxString s = ToWx(static_cast<CQORPControlComboBox*>(p)->GetEditText());
      if (item->pCombo->GetValue() != s) item->pCombo->ChangeValue(s);
    } else if (item->pSlider) {
      const int nPos = static_cast<CQORPControlScrollBar*>(p)->GetPos();
      if (item->pSlider->GetValue() != nPos) item->pSlider->SetValue(nPos);
    }
  }
  if (bRepaint) Refresh(false);
}

wxColour QorpStrip::BackColour() const {
  if (m_pImpl->pRibbon && m_pImpl->pRibbon->GetArtProvider())
    return m_pImpl->pRibbon->GetArtProvider()->GetColour(wxRIBBON_ART_PAGE_BACKGROUND_COLOUR);
  return QorpWx(CQORPPaintManager::Get()->GetColor(QORP_CLR_RIBBON_PRIMARY));
}

COLORREF QorpStrip::Back() const {
  const wxColour c = BackColour();
  return RGB(c.Red(), c.Green(), c.Blue());
}

void QorpStrip::ApplyTheme() {
  for (auto& item : m_items)
    if (item->pSpin) QORPSetSpinEditBackground(item->pSpin, Back());
  Refresh(false);
}


void QorpStrip::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const CQORPThemeColors& c = CQORPPaintManager::Get()->GetColors();
  const wxColour back = BackColour();
  dc.SetBackground(wxBrush(back));
  dc.Clear();
  // Labels and captions keep 4.5:1 against the page in every theme, disabled ones too.
  const COLORREF clrBack = RGB(back.Red(), back.Green(), back.Blue());
  const wxColour text = QorpWx(CQORPDrawHelpers::ReadableText(c.GetColor(QORP_CLR_TAB_LABEL), clrBack, 7.0));
  // Disabled captions are the enabled ink taken as far toward the page as 4.5:1 allows: still
  // readable, and clearly apart from the enabled ones (7:1 and more).
  const wxColour disabled =
      QorpWx(CQORPDrawHelpers::DimmedText(RGB(text.Red(), text.Green(), text.Blue()), clrBack, 1.0));
  const wxColour frame = QorpWx(c.GetColor(QORP_CLR_RIBBON_TERTIARY));
  dc.SetFont(GetFont());
  for (const auto& pItem : m_items) {
    const Item& item = *pItem;
    dc.SetTextForeground(item.bEnabled ? text : disabled);
    const int midY = item.rc.y + item.rc.height / 2;
    switch (item.p->GetType()) {
      case QORP_CONTROL_CHECK_BOX:
      case QORP_CONTROL_RADIO_BUTTON: {
        const wxRect box(item.rc.x + 1, midY - kBox / 2, kBox, kBox);
        dc.SetPen(wxPen(item.bEnabled ? frame : disabled));
        dc.SetBrush(*wxWHITE_BRUSH);
        dc.DrawRectangle(box);
        // The box stays white in every theme, so its mark is dark.
        const wxColour mark = item.bEnabled ? wxColour(0x20, 0x20, 0x20) : disabled;
        if (item.nChecked == 1) {
          dc.SetPen(wxPen(mark, 2));
          dc.DrawLine(box.x + 3, box.y + 6, box.x + 5, box.y + 9);
          dc.DrawLine(box.x + 5, box.y + 9, box.x + 10, box.y + 3);
        } else if (item.nChecked == 2) {
          dc.SetBrush(wxBrush(mark));
          dc.SetPen(*wxTRANSPARENT_PEN);
          dc.DrawRectangle(box.x + 3, box.y + 3, kBox - 6, kBox - 6);
        }
        const wxString s = ToWx(item.strCaption);
        dc.DrawText(s, box.GetRight() + kGap + 1, midY - dc.GetTextExtent(s).y / 2);
        break;
      }
      case QORP_CONTROL_EDIT:
        break;  // the spin edit draws its label and arrows
      case QORP_CONTROL_COMBO_BOX:
      case QORP_CONTROL_SCROLL_BAR: {
        const wxString s = ToWx(Shown(item.p->GetLabel()));
        if (!s.empty()) dc.DrawText(s, item.rcLabel.x, midY - dc.GetTextExtent(s).y / 2);
        break;
      }
      default: {
        const wxString s = ToWx(item.strCaption);
        dc.DrawText(s, item.rc.x + kGap, midY - dc.GetTextExtent(s).y / 2);
        break;
      }
    }
  }
}

void QorpStrip::ClickAt(const wxPoint& pt) {
  CFrameWnd* pFrame = m_pImpl->pOwner->GetFrame();
  for (const auto& pItem : m_items) {
    Item& item = *pItem;
    CQORPControl* p = item.p;
    if (!p->GetEnabled()) continue;
    if (item.pSpin && (item.rcUp.Contains(pt) || item.rcDown.Contains(pt))) {
      QORPClickSpinArrow(item.pSpin, item.rcUp.Contains(pt) ? TRUE : FALSE);
      return;
    }
    if ((p->GetType() == QORP_CONTROL_CHECK_BOX || p->GetType() == QORP_CONTROL_RADIO_BUTTON) && item.rc.Contains(pt)) {
      QorpPostCommand(pFrame, p->GetID());
      return;
    }
  }
}

void QorpStrip::OnLeftDown(wxMouseEvent& e) { ClickAt(e.GetPosition()); }
