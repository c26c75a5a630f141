// The main window's ribbon: built from the tables of RibbonLayout.cpp, with the gallery
// collections of GalleryItems.cpp, the hover preview of the galleries and the update rule of the
// commands whose handlers are still to come.
#include <functional>
#include <map>
#include <vector>

#include <QorpGallery.h>

#include "CommandIcons.h"
#include "LeafwrightApp.h"
#include "LeafwrightView.h"
#include "PreviewScenes.h"
#include "MainFrame.h"
#include "RibbonLayout.h"
#include "ShellIds.h"

namespace {

// The commands of each drop-down's list, by the drop-down's id.
const std::map<UINT, std::vector<UINT>>& ListsById() {
  static const std::map<UINT, std::vector<UINT>> lists = [] {
    std::map<UINT, std::vector<UINT>> m;
    std::function<void(const RibbonItem&)> walk = [&](const RibbonItem& item) {
      for (const RibbonItem& sub : item.list) {
        if (sub.id != 0 && sub.id != item.id) m[item.id].push_back(sub.id);
        walk(sub);
      }
    };
    for (const RibbonTabSpec& tab : RibbonTabs())
      for (const RibbonGroupSpec& group : tab.groups)
        for (const RibbonItem& item : group.items) walk(item);
    return m;
  }();
  return lists;
}

}  // namespace

namespace {

// The editing view as the galleries' preview sees it: the ten preview routines of page editing
// (on the edited text or on the selected objects), the core view's width, dash and angle
// previews, its preview scene, and the flag that keeps the tool's outline away meanwhile.
class CViewGalleryPreview : public IGalleryPreviewView {
 public:
  explicit CViewGalleryPreview(CLeafwrightView* pView) : m_pView(pView) {}
  bool IsEditingText() const override { return m_pView->GetEditingTool() == &CPublicationView::g_EditingTextTool; }
  void PreviewFontSize(bool bText, float fSize) override {
    bText ? PreviewEditingTextFontSize(m_pView, fSize) : PreviewRenderObjsFontSize(m_pView, fSize);
  }
  void PreviewFilledTransparency(bool bText, int nAlpha) override {
    bText ? PreviewEditingTextFilledTransparency(m_pView, nAlpha) : PreviewRenderObjsFilledTransparency(m_pView, nAlpha);
  }
  void PreviewStrokedTransparency(bool bText, int nAlpha) override {
    bText ? PreviewEditingTextStrokenTransparency(m_pView, nAlpha) : PreviewRenderObjsStrokenTransparency(m_pView, nAlpha);
  }
  void PreviewFilledColor(bool bText, const PreviewColor& value) override {
    const Vectorloom::PaintColorValue paint = Paint(value);
    bText ? PreviewEditingTextFilledColor(m_pView, paint) : PreviewRenderObjsFilledColor(m_pView, paint);
  }
  void PreviewOutlineColor(bool bText, const PreviewColor& value) override {
    const Vectorloom::PaintColorValue paint = Paint(value);
    bText ? PreviewEditingTextOutlineColor(m_pView, paint) : PreviewRenderObjsOutlineColor(m_pView, paint);
  }
  void PreviewStrokeWidth(float fPixels) override { m_pView->PreviewModifyShapeObjsStrokeWidth(fPixels); }
  void PreviewDashStyle(int nStyle) override { m_pView->PreviewModifyShapeObjsDashStyle(nStyle); }
  void PreviewRotatedAngle(int nDegrees) override { m_pView->PreviewModifyRenderObjsRotatedAngle(nDegrees); }
  bool HasPreviewScene() const override { return m_pView->GetPreviewScene() != nullptr; }
  void SetPreviewShown(bool bShown) override { m_pView->m_bOutlineSuppressed = bShown ? 1 : 0; }
  void RestorePrevScene() override { m_pView->RestorePrevScene(); }
  void DestroyPreviewScene() override { m_pView->DestroyPreviewScene(); }

 private:
  // A gallery's colour: painted (the first flag) with a solid colour (the second).
  static Vectorloom::PaintColorValue Paint(const PreviewColor& value) {
    return Vectorloom::PaintColorValue(value.bColorSet ? 1u : 0u,
                                       value.bPaintSet ? Vectorloom::RENDER_KIND_SOLID : Vectorloom::RENDER_KIND_NONE,
                                       static_cast<uint32_t>(value.clr));
  }
  CLeafwrightView* m_pView;
};

}  // namespace

IGalleryPreviewView* CMainFrame::GetGalleryPreviewView() const {
  CLeafwrightView* pView = GetLeafwrightView();
  if (!pView) return nullptr;
  m_pViewPreview = std::make_unique<CViewGalleryPreview>(pView);
  return m_pViewPreview.get();
}

BOOL CMainFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
  if (CQORPFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  if (nCode != static_cast<int>(CN_UPDATE_COMMAND_UI) || !pExtra) return FALSE;
  const CommandRoute* pRoute = FindCommandRoute(nID);
  if (!pRoute || (!pRoute->awaiting && pRoute->target != CommandTarget::NoHandler)) return FALSE;
  // Nothing answers the command (nor, for a drop-down, any command of its list): it shows
  // disabled. A handler written later, by command or by notification, lifts this at once.
  auto answered = [this](UINT nId) {
    AFX_CMDHANDLERINFO info{nullptr, nullptr};
    return CQORPFrameWnd::OnCmdMsg(nId, static_cast<int>(CN_COMMAND), nullptr, &info) ||
           CQORPFrameWnd::OnCmdMsg(nId, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY), nullptr, &info);
  };
  if (answered(nID)) return FALSE;
  const auto it = ListsById().find(nID);
  if (it != ListsById().end())
    for (UINT nItem : it->second)
      if (answered(nItem)) return FALSE;
  static_cast<CCmdUI*>(pExtra)->Enable(FALSE);
  return TRUE;
}

namespace {

// Adds one control of the tables to a bar (a group's or a drop-down's list), with its list.
class CRibbonBuilder {
 public:
  CRibbonBuilder(CQORPRibbonBar& ribbon, CGalleryCollections& galleries) : m_ribbon(ribbon), m_galleries(galleries) {}

  std::unique_ptr<CQORPControl> Make(const RibbonItem& item) {
    std::unique_ptr<CQORPControl> p;
    const int id = static_cast<int>(item.id);
    switch (item.kind) {
      case RibbonKind::Button:
        p = QORPCreateControl(QORP_CONTROL_BUTTON, id);
        break;
      case RibbonKind::SplitButton:
        p = QORPCreateControl(QORP_CONTROL_SPLIT_BUTTON_POPUP, id);
        break;
      case RibbonKind::DropDown:
        p = QORPCreateControl(QORP_CONTROL_POPUP, id);
        break;
      case RibbonKind::MenuButton:
        p = QORPCreateControl(QORP_CONTROL_BUTTON_POPUP, id);
        break;
      case RibbonKind::ColorDropDown: {
        auto pColor = std::make_unique<CQORPControlPopupColor>(id);
        pColor->SetColor(item.id == ID_FILL_COLOR ? kDefaultFillColor : kDefaultStrokeColor);
        p = std::move(pColor);
        break;
      }
      case RibbonKind::ComboGallery: {
        std::unique_ptr<CQORPControlComboBox> pCombo;
        if (item.id == ID_FONT_SIZE)
          pCombo = std::make_unique<CQORPControlSizeComboBox>(id);
        else
          pCombo = std::make_unique<CQORPControlComboBox>(id);
        // The face is completed as it is typed; the size is typed freely (the view reads it).
        pCombo->EnableAutoComplete(item.id == ID_FONT_FACE);
        p = std::move(pCombo);
        break;
      }
      case RibbonKind::SpinEdit: {
        auto pEdit = std::make_unique<CQORPControlEdit>(id);
        pEdit->ShowSpinButtons(TRUE);
        p = std::move(pEdit);
        break;
      }
      case RibbonKind::Label:
        p = QORPCreateControl(QORP_CONTROL_LABEL, 0);
        break;
      case RibbonKind::CheckBox:
        p = QORPCreateControl(QORP_CONTROL_CHECK_BOX, id);
        break;
      case RibbonKind::Gallery: {
        auto pGallery = std::make_unique<CQORPControlGallery>(id);
        const GalleryPlacement place = PlaceGallery(m_galleries, item.id);
        pGallery->SetItems(place.pItems);
        pGallery->SetControlSize(place.size);
        pGallery->SetResizable(place.bResizable);
        pGallery->SetItemsMargin(0, place.nMarginY, 0, place.nMarginY);
        p = std::move(pGallery);
        break;
      }
      case RibbonKind::ScrollBar: {
        auto pBar = std::make_unique<CQORPControlScrollBar>(id);
        pBar->SetPos(item.pos);
        p = std::move(pBar);
        break;
      }
    }
    if (!p) return p;
    if (item.width > 0) p->SetWidth(item.width);
    return p;
  }

  // Fills in what needs the control in its bar: a label's text, the list, the key tip.
  void Finish(CQORPControl* p, const RibbonItem& item) {
    if (!p) return;
    if (item.kind == RibbonKind::Label) p->SetCaption(item.text);
    if (!item.list.empty())
      if (CQORPCommandBar* pList = p->GetCommandBar())
        for (const RibbonItem& sub : item.list) Finish(pList->Add(Make(sub)), sub);
    if (item.keyTip) m_ribbon.SetKeyTip(p, item.keyTip);
  }

 private:
  CQORPRibbonBar& m_ribbon;
  CGalleryCollections& m_galleries;
};

}  // namespace

BOOL CMainFrame::CreateRibbonBar() {
  InitCommandBars(
      [](UINT nId, CString& entry) { return LoadRibbonString(nId, entry); },
      FALSE);
  m_galleries.Create();
  if (!m_wndRibbon.Create(this, &m_commandBars)) return FALSE;
  const std::vector<UINT>& large = RibbonLargeIcons();
  m_wndRibbon.SetLargeIcons(large.data(), static_cast<int>(large.size()));
  LoadCommandIcons();

  // The File button and its backstage view come next (MainFrameBackstage.cpp).
  m_wndRibbon.AddSystemButton(static_cast<int>(ID_FILE_BUTTON));

  CRibbonBuilder builder(m_wndRibbon, m_galleries);
  for (const RibbonTabSpec& tabSpec : RibbonTabs()) {
    CQORPRibbonTab* pTab = m_wndRibbon.AddTab(static_cast<int>(tabSpec.id));
    for (const RibbonGroupSpec& groupSpec : tabSpec.groups) {
      CQORPRibbonGroup* pGroup = pTab->AddGroup(static_cast<int>(groupSpec.id));
      if (groupSpec.optionId) pGroup->SetOptionButton(static_cast<int>(groupSpec.optionId));
      for (const RibbonItem& item : groupSpec.items) builder.Finish(pGroup->Add(builder.Make(item)), item);
    }
  }

  // The tab row, right-aligned: the Style drop-down with the three themes, then About.
  CQORPControl* pStyle = m_wndRibbon.AddTabRowControl(QORP_CONTROL_POPUP, 0);
  pStyle->SetCaption(L"Style");
  std::vector<QORP_MENU_ENTRY> styleEntries;
  for (const RibbonMenuEntry& e : StyleMenu()) styleEntries.push_back({e.id, e.text});
  CMenu styleMenu;
  QORPMenuFromTable(styleMenu, styleEntries.data(), static_cast<int>(styleEntries.size()));
  QORPLoadPopupFromMenu(pStyle->GetCommandBar(), styleMenu);
  m_wndRibbon.AddTabRowControl(QORP_CONTROL_BUTTON, static_cast<int>(ID_APP_ABOUT));

  for (UINT id : RibbonQuickAccess()) m_wndRibbon.AddQuickAccessControl(static_cast<int>(id));
  m_wndRibbon.RecalcLayout();
  return TRUE;
}

void CMainFrame::LoadCommandIcons() {
  // The compiled-in Breeze icons; the ribbon draws their one-colour parts in the colour of the
  // buttons' captions of the current theme.
  size_t n = 0;
  const LwCommandIcon* icons = LwGetCommandIcons(&n);
  for (size_t i = 0; i < n; ++i) m_wndRibbon.SetIconSvg(icons[i].nId, icons[i].pszSvg16, icons[i].pszSvg32);
}

LRESULT CMainFrame::OnGalleryNotify(WPARAM wParam, LPARAM lParam) {
  const auto* pNotify = reinterpret_cast<const NMQORPCONTROL*>(lParam);
  switch (static_cast<UINT>(wParam)) {
    case QORP_GN_HIGHLIGHT:
      if (pNotify) PreviewGalleryItem(GetGalleryPreviewView(), dynamic_cast<const CQORPControlGallery*>(pNotify->pControl));
      break;
    case QORP_GN_HIGHLIGHTEND:
      EndGalleryPreview(GetGalleryPreviewView());
      break;
    default:
      Default();
      break;
  }
  return 0;
}

void CMainFrame::OnViewStatusBar() {
  if (!m_wndStatusBar.GetSafeHwnd()) return;
  m_wndStatusBar.ShowWindow(m_wndStatusBar.IsWindowVisible() ? SW_HIDE : SW_SHOW);
  RecalcLayout();
}

void CMainFrame::OnUpdateViewStatusBar(CCmdUI* pCmdUI) {
  const BOOL bBar = m_wndStatusBar.GetSafeHwnd() != nullptr;
  pCmdUI->Enable(bBar);
  pCmdUI->SetCheck(bBar && m_wndStatusBar.IsWindowVisible() ? 1 : 0);
}
