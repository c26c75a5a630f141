// Toolkit controls by command id, the command bars that hold them, and the update pass that
// brings their enabled, checked and caption state up to date. No toolkit header here: the
// windows that show these controls live in the layer's sources.
#pragma once

#include <afxwin.h>

#include <functional>
#include <memory>
#include <vector>

// Control kinds (the number FindControl takes).
enum QORPControlType : int {
  QORP_CONTROL_ERROR = 0,
  QORP_CONTROL_BUTTON = 1,
  QORP_CONTROL_POPUP = 2,
  QORP_CONTROL_BUTTON_POPUP = 3,
  QORP_CONTROL_SPLIT_BUTTON_POPUP = 4,
  QORP_CONTROL_COMBO_BOX = 5,
  QORP_CONTROL_EDIT = 6,
  QORP_CONTROL_CUSTOM = 7,
  QORP_CONTROL_LABEL = 8,
  QORP_CONTROL_CHECK_BOX = 9,
  QORP_CONTROL_GALLERY = 10,
  QORP_CONTROL_RADIO_BUTTON = 11,
  QORP_CONTROL_SCROLL_BAR = 12,
};

// Notifications the controls send.
enum : UINT {
  QORP_CN_EXECUTE = 100,        // WM_NOTIFY: a value was picked or entered
  QORP_CN_SLIDER = 4103,        // WM_NOTIFY from the status bar's slider pane
  QORP_CN_SPINUP = 4104,        // WM_NOTIFY: spin button up
  QORP_CN_SPINDOWN = 4105,      // WM_NOTIFY: spin button down
  QORP_GN_HIGHLIGHTEND = 4113,  // gallery message: the highlighting ended
  QORP_GN_HIGHLIGHT = 4115,     // gallery message: the highlighted item changed
  QORP_WM_GALLERYNOTIFY = 0x2862,
  QORP_WM_QUERYFRAME = 0x285e,  // answered with 0
};

class CQORPControl;
class CQORPCommandBar;
class CQORPCommandBars;

// The notification record: the standard header, the sending control and, for spin codes, a
// signed step. The status bar's slider puts its scroll code (SB_*) in nStep and the thumb
// position that goes with it in nPos, so a code and a position never share a field.
struct NMQORPCONTROL {
  NMHDR hdr;
  CQORPControl* pControl;
  int nStep;
  int nPos;
};

// The state that controls of one command id share (a toggle that sits on two bars shows one
// checked state). -1 means "not set" for enabled and checked.
class CQORPControlAction {
 public:
  explicit CQORPControlAction(int nId) : m_nId(nId) {}
  int GetId() const { return m_nId; }
  int GetChecked() const { return m_nChecked; }
  void SetChecked(int nChecked) { m_nChecked = nChecked; }
  BOOL GetEnabled() const { return m_bEnabled; }
  void SetEnabled(BOOL bEnabled) { m_bEnabled = bEnabled; }

 private:
  int m_nId;
  int m_nChecked = -1;
  BOOL m_bEnabled = TRUE;
};

// Splits a string-table entry "description\ncaption[\nlabel]". An entry without a newline is
// the caption alone (and the description). Returns false for an empty entry.
bool QORPSplitCommandString(const CString& strEntry, CString& strDescription, CString& strCaption,
                            CString& strLabel);

class CQORPControl : public CCmdTarget {
  DECLARE_DYNAMIC(CQORPControl)
 public:
  CQORPControl(QORPControlType nType, int nId);
  ~CQORPControl() override;
  CQORPControl(const CQORPControl&) = delete;
  CQORPControl& operator=(const CQORPControl&) = delete;

  // The control that a CCmdUI of the toolkit's update pass stands for; null for any other CCmdUI.
  static CQORPControl* FromUI(CCmdUI* pCmdUI);

  QORPControlType GetType() const { return m_nType; }
  int GetID() const { return m_nId; }
  CQORPCommandBar* GetParent() const { return m_pParent; }

  BOOL GetEnabled() const { return m_bEnabled; }
  void SetEnabled(BOOL bEnabled);
  // 0 clear, 1 checked, 2 indeterminate, -1 not set (the shared action decides).
  int GetChecked() const { return m_nChecked; }
  void SetChecked(int nChecked);
  BOOL IsVisible() const { return m_bVisible; }
  void SetVisible(BOOL bVisible) { m_bVisible = bVisible; }

  CString GetCaption() const { return m_strCaption; }
  void SetCaption(const wchar_t* lpsz) { m_strCaption = lpsz; }
  CString GetTooltip() const { return m_strTooltip; }
  void SetTooltip(const wchar_t* lpsz) { m_strTooltip = lpsz; }
  CString GetDescription() const { return m_strDescription; }
  void SetDescription(const wchar_t* lpsz) { m_strDescription = lpsz; }
  // The label beside an edit or combo box.
  CString GetLabel() const { return m_strLabel; }
  void SetLabel(const wchar_t* lpsz) { m_strLabel = lpsz; }
  // Caption, tooltip title, description and label from a string-table entry of the id.
  void SetCommandString(const CString& strEntry);

  CQORPControlAction* GetAction() const { return m_pAction.get(); }

  // The pop-up bar of pop-up kinds (created on first use); null for the others.
  CQORPCommandBar* GetCommandBar();
  CQORPCommandBar* GetCommandBar() const { return m_pPopupBar.get(); }

  // Whether the control works by notification (WM_NOTIFY 100) rather than by WM_COMMAND: such a
  // control is enabled when its id has a notification handler.
  virtual BOOL IsValueControl() const { return FALSE; }

  // The width the control takes in a ribbon group (0: its natural width); for edits and combo
  // boxes the whole item, label included.
  int GetWidth() const { return m_nWidth; }
  void SetWidth(int nWidth) { m_nWidth = nWidth < 0 ? 0 : nWidth; }

 private:
  friend class CQORPCommandBar;
  friend class CQORPCommandBars;
  QORPControlType m_nType;
  int m_nId;
  CQORPCommandBar* m_pParent = nullptr;
  BOOL m_bEnabled = TRUE;
  int m_nChecked = -1;
  BOOL m_bVisible = TRUE;
  CString m_strCaption, m_strTooltip, m_strDescription, m_strLabel;
  int m_nWidth = 0;
  std::shared_ptr<CQORPControlAction> m_pAction;
  std::unique_ptr<CQORPCommandBar> m_pPopupBar;
};

class CQORPControlButton : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlButton)
 public:
  explicit CQORPControlButton(int nId, QORPControlType nType = QORP_CONTROL_BUTTON) : CQORPControl(nType, nId) {}
};

class CQORPControlCheckBox : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlCheckBox)
 public:
  explicit CQORPControlCheckBox(int nId) : CQORPControl(QORP_CONTROL_CHECK_BOX, nId) {}
};

class CQORPControlLabel : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlLabel)
 public:
  explicit CQORPControlLabel(int nId) : CQORPControl(QORP_CONTROL_LABEL, nId) {}
};

class CQORPControlEdit : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlEdit)
 public:
  explicit CQORPControlEdit(int nId) : CQORPControl(QORP_CONTROL_EDIT, nId) {}
  BOOL IsValueControl() const override { return TRUE; }
  CString GetEditText() const { return m_strEdit; }
  void SetEditText(const wchar_t* lpsz) { m_strEdit = lpsz; }
  BOOL HasFocus() const { return m_bFocus; }
  void SetFocused(BOOL bFocus) { m_bFocus = bFocus; }
  // Up and down arrows beside the edit: they send QORP_CN_SPINUP / QORP_CN_SPINDOWN with
  // nStep +step / -step.
  void ShowSpinButtons(BOOL bShow = TRUE) { m_bSpin = bShow; }
  BOOL IsSpinButtonsVisible() const { return m_bSpin; }
  void SetSpinStep(int nStep) { m_nSpinStep = nStep == 0 ? 1 : (nStep < 0 ? -nStep : nStep); }
  int GetSpinStep() const { return m_nSpinStep; }

 private:
  CString m_strEdit;
  BOOL m_bFocus = FALSE;
  BOOL m_bSpin = FALSE;
  int m_nSpinStep = 1;
};

class CQORPControlComboBox : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlComboBox)
 public:
  explicit CQORPControlComboBox(int nId) : CQORPControl(QORP_CONTROL_COMBO_BOX, nId) {}
  BOOL IsValueControl() const override { return TRUE; }
  CString GetEditText() const { return m_strEdit; }
  void SetEditText(const wchar_t* lpsz) { m_strEdit = lpsz; }
  BOOL HasFocus() const { return m_bFocus; }
  void SetFocused(BOOL bFocus) { m_bFocus = bFocus; }
  int GetStyle() const { return m_nStyle; }
  void SetStyle(int nStyle) { m_nStyle = nStyle; }
  // Typing completes to the first list entry that starts with the typed text.
  void EnableAutoComplete(BOOL bEnable = TRUE) { m_bAutoComplete = bEnable; }
  BOOL IsAutoCompleteEnabled() const { return m_bAutoComplete; }

 private:
  CString m_strEdit;
  BOOL m_bFocus = FALSE;
  int m_nStyle = 0;
  BOOL m_bAutoComplete = FALSE;
};

class CQORPControlScrollBar : public CQORPControl {
  DECLARE_DYNAMIC(CQORPControlScrollBar)
 public:
  explicit CQORPControlScrollBar(int nId) : CQORPControl(QORP_CONTROL_SCROLL_BAR, nId) {}
  BOOL IsValueControl() const override { return TRUE; }
  int GetPos() const { return m_nPos; }
  void SetPos(int nPos) { m_nPos = nPos; }

 private:
  int m_nPos = 0;
};

// A row of controls: a ribbon group, a pop-up bar, the quick access bar.
class CQORPCommandBar {
 public:
  explicit CQORPCommandBar(CQORPControl* pOwner = nullptr) : m_pOwner(pOwner) {}
  CQORPCommandBar(const CQORPCommandBar&) = delete;
  CQORPCommandBar& operator=(const CQORPCommandBar&) = delete;

  // Takes ownership; returns the control.
  CQORPControl* Add(std::unique_ptr<CQORPControl> pControl);
  int GetCount() const { return static_cast<int>(m_controls.size()); }
  CQORPControl* GetAt(int nIndex) const;
  CQORPControl* GetOwner() const { return m_pOwner; }
  BOOL IsVisible() const { return m_bVisible; }
  void SetVisible(BOOL bVisible) { m_bVisible = bVisible; }
  CQORPCommandBars* GetCommandBars() const;

 private:
  friend class CQORPCommandBars;
  CQORPControl* m_pOwner;
  CQORPCommandBars* m_pCommandBars = nullptr;
  BOOL m_bVisible = TRUE;
  std::vector<std::unique_ptr<CQORPControl>> m_controls;
};

// The CCmdUI of the update pass: applies what the update handlers ask to the control.
class CQORPCmdUI : public CCmdUI {
 public:
  explicit CQORPCmdUI(CQORPControl* pControl);
  void Enable(BOOL bOn = TRUE) override;
  void SetCheck(int nCheck = 1) override;
  void SetText(const wchar_t* lpszText) override;
  BOOL HasCommandHandler(CCmdTarget* pTarget) override;
  CQORPControl* GetControl() const { return m_pControl; }

 private:
  CQORPControl* m_pControl;
};

// Every command bar of a frame; the registry of controls by kind and id.
class CQORPCommandBars {
 public:
  CQORPCommandBars();
  ~CQORPCommandBars();
  CQORPCommandBars(const CQORPCommandBars&) = delete;
  CQORPCommandBars& operator=(const CQORPCommandBars&) = delete;

  CQORPCommandBar* AddBar();
  int GetCount() const { return static_cast<int>(m_bars.size()); }
  CQORPCommandBar* GetAt(int nIndex) const;

  // The first control of the kind (QORP_CONTROL_ERROR: any kind) and id. bVisible skips hidden
  // controls and controls on hidden bars; bRecursive also searches the pop-up bars.
  CQORPControl* FindControl(int nType, int nId, BOOL bVisible = TRUE, BOOL bRecursive = TRUE) const;
  static CQORPControl* FindControl(const CQORPCommandBars* pCommandBars, int nType, int nId,
                                   BOOL bVisible = TRUE, BOOL bRecursive = TRUE);

  // Where captions come from: the string-table entry of an id ("description\ncaption[\nlabel]").
  // Controls added afterwards, and those added before on RefreshCommandStrings, take it.
  using StringLoader = std::function<bool(UINT nId, CString& strEntry)>;
  void SetStringLoader(StringLoader loader);
  const StringLoader& GetStringLoader() const { return m_loader; }
  // The caption of an id's string-table entry; "#<id>" when the id has none.
  CString LoadCaption(int nId) const;
  void RefreshCommandStrings();

  // Runs the update handlers of every control with an id, with pTarget (the frame) routing.
  // Controls of hidden bars are updated too, so that a bar shows current state when it opens.
  void UpdateCommandUI(CCmdTarget* pTarget);
  // Registers UpdateCommandUI as an update pass of the frame (the idle pass reaches it). With
  // bUpdatePass FALSE the frame is only recorded: a ribbon that runs the pass itself does so.
  void AttachToFrame(CFrameWnd* pFrame, BOOL bUpdatePass = TRUE);
  void DetachFromFrame();
  // The frame the command bars are attached to (null when none).
  CFrameWnd* GetFrame() const { return m_pFrame; }

  // The shared action of an id (created on first use).
  std::shared_ptr<CQORPControlAction> GetAction(int nId);
  // Called when a control joins a bar of these command bars.
  void OnControlAdded(CQORPControl* pControl);

 private:
  static void UpdatePass(CFrameWnd* pFrame, void* pContext);
  std::vector<std::unique_ptr<CQORPCommandBar>> m_bars;
  std::vector<std::shared_ptr<CQORPControlAction>> m_actions;
  StringLoader m_loader;
  CFrameWnd* m_pFrame = nullptr;
};
