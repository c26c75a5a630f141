// The status bar: panes found by id, laid out left to right, one of them stretching.
// Kinds: text (button), progress (drawn by us, so that it shows during a long operation on the
// user-interface thread), stretch, icon button, slider and control (hosts a child window).
#pragma once

#include <afxwin.h>

#include <memory>
#include <vector>

enum QORPStatusPaneKind : int {
  QORP_STATUS_PANE_TEXT = 0,
  QORP_STATUS_PANE_PROGRESS = 1,
  QORP_STATUS_PANE_STRETCH = 2,
  QORP_STATUS_PANE_ICON_BUTTON = 3,
  QORP_STATUS_PANE_SLIDER = 4,
  QORP_STATUS_PANE_CONTROL = 5,
};

class CQORPStatusBar;

class CQORPStatusBarPane {
 public:
  CQORPStatusBarPane(QORPStatusPaneKind nKind, UINT nID) : m_nKind(nKind), m_nID(nID) {}
  virtual ~CQORPStatusBarPane() = default;
  CQORPStatusBarPane(const CQORPStatusBarPane&) = delete;
  CQORPStatusBarPane& operator=(const CQORPStatusBarPane&) = delete;

  QORPStatusPaneKind GetKind() const { return m_nKind; }
  UINT GetID() const { return m_nID; }

  // The name in the customisation menu, the short value shown there, and the pane's text.
  CString GetCaption() const { return m_strCaption; }
  void SetCaption(const wchar_t* lpsz) { m_strCaption = lpsz; }
  CString GetValue() const { return m_strValue; }
  void SetValue(const wchar_t* lpsz) { m_strValue = lpsz; }
  CString GetText() const { return m_strText; }
  void SetText(const wchar_t* lpsz);
  CString GetTooltip() const { return m_strTooltip; }
  void SetTooltip(const wchar_t* lpsz) { m_strTooltip = lpsz; }

  // Width of the content in pixels; 0 fits the text (or the icon); with a child window, 0 fits
  // the child to show the text (the widest text it will hold, say).
  int GetWidth() const { return m_nWidth; }
  void SetWidth(int nWidth) { m_nWidth = nWidth < 0 ? 0 : nWidth; }
  CRect GetPadding() const { return m_rcPadding; }
  void SetPadding(int cxLeft, int cyTop, int cxRight, int cyBottom);
  BOOL IsVisible() const { return m_bVisible; }
  // Hiding or showing lays the bar out again (the caller repaints).
  void SetVisible(BOOL bVisible);
  BOOL IsEnabled() const { return m_bEnabled; }
  void SetEnabled(BOOL bEnabled);
  // An icon index (-1: none) and a child window placed over the pane's content (not owned).
  int GetIconIndex() const { return m_nIconIndex; }
  void SetIconIndex(int nIndex) { m_nIconIndex = nIndex; }
  CWnd* GetChild() const { return m_pChild; }
  void SetChild(CWnd* pChild) { m_pChild = pChild; }

  // The pane's place in the bar's client area after the last layout (empty when hidden).
  CRect GetRect() const { return m_rcPane; }
  CQORPStatusBar* GetStatusBar() const { return m_pBar; }

 protected:
  void Changed(bool bRelayout);

 private:
  friend class CQORPStatusBar;
  friend void QORPLayoutStatusPanes(const std::vector<CQORPStatusBarPane*>&, int, int,
                                    int (*)(const CQORPStatusBarPane*, void*), void*);
  QORPStatusPaneKind m_nKind;
  UINT m_nID;
  CString m_strCaption, m_strValue, m_strText, m_strTooltip;
  int m_nWidth = 0;
  CRect m_rcPadding{0, 0, 0, 0};
  BOOL m_bVisible = TRUE;
  BOOL m_bEnabled = TRUE;
  int m_nIconIndex = -1;
  CWnd* m_pChild = nullptr;
  CRect m_rcPane{0, 0, 0, 0};
  CQORPStatusBar* m_pBar = nullptr;
};

class CQORPStatusBarProgressPane : public CQORPStatusBarPane {
 public:
  explicit CQORPStatusBarProgressPane(UINT nID) : CQORPStatusBarPane(QORP_STATUS_PANE_PROGRESS, nID) {}
  void SetRange(int nLower, int nUpper);
  void GetRange(int& nLower, int& nUpper) const { nLower = m_nLower, nUpper = m_nUpper; }
  // Clamped to the range.
  void SetPos(int nPos);
  int GetPos() const { return m_nPos; }

 private:
  int m_nLower = 0, m_nUpper = 100, m_nPos = 0;
};

class CQORPStatusBarSliderPane : public CQORPStatusBarPane {
 public:
  explicit CQORPStatusBarSliderPane(UINT nID) : CQORPStatusBarPane(QORP_STATUS_PANE_SLIDER, nID) {}
  void SetRange(int nMin, int nMax);
  int GetRangeMin() const { return m_nMin; }
  int GetRangeMax() const { return m_nMax; }
  void SetPos(int nPos);
  int GetPos() const { return m_nPos; }
  // Tooltips of the minus (left) and plus (right) buttons.
  void SetButtonTooltips(const wchar_t* lpszLeft, const wchar_t* lpszRight) {
    m_strLeftTip = lpszLeft;
    m_strRightTip = lpszRight;
  }
  CString GetLeftTooltip() const { return m_strLeftTip; }
  CString GetRightTooltip() const { return m_strRightTip; }

  // The scroll code (SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT, SB_PAGERIGHT, SB_THUMBTRACK) of a
  // click at x in client coordinates, or -1 outside the pane; for SB_THUMBTRACK nPos is the
  // position under x, otherwise the current position.
  int HitTest(int x, int& nPos) const;
  // The position the thumb takes when dragged to x (clamped to the track).
  int PosFromX(int x) const;
  static constexpr int kButtonWidth = 16;
  static constexpr int kThumbWidth = 8;

 private:
  int m_nMin = 0, m_nMax = 100, m_nPos = 0;
  CString m_strLeftTip, m_strRightTip;
};

// Places the visible panes of the bar from left to right within cx; the first visible stretch
// pane takes what is left (at least its own width). Panes that do not fit are placed past cx.
// pfnMeasure gives the content width of a pane whose width is 0.
void QORPLayoutStatusPanes(const std::vector<CQORPStatusBarPane*>& panes, int cx, int cy,
                           int (*pfnMeasure)(const CQORPStatusBarPane*, void*), void* pContext);

// The panes with an id take part in the frame's idle update pass (their update handlers may
// enable, disable and retitle them) from Create until the window is destroyed.
class CQORPStatusBar : public CWnd, public CStatusPaneSource {
 public:
  CQORPStatusBar();
  ~CQORPStatusBar() override;

  // A child of the frame, along its bottom edge (the frame places it).
  using CWnd::Create;
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle = WS_CHILD | WS_VISIBLE, UINT nID = 59393);
  static constexpr int kHeight = 24;

  // Appends a pane of the kind; returns it (owned by the bar).
  CQORPStatusBarPane* AddPane(QORPStatusPaneKind nKind, UINT nID);
  int GetPaneCount() const { return static_cast<int>(m_panes.size()); }
  CQORPStatusBarPane* GetPane(int nIndex) const;
  // The first pane with the id, or null.
  CQORPStatusBarPane* FindPane(UINT nID) const;
  int CommandToIndex(UINT nID) const;
  BOOL RemovePane(UINT nID);

  // Lays the panes out for the current size and places child windows.
  void RecalcLayout();
  // Repaints the bar now, while the caller keeps the user-interface thread busy: handles paint
  // and size events only (no input, no timers, no posted messages). Runs at most once per 50 ms;
  // bForce skips that limit.
  void RedrawNow(BOOL bForce = FALSE);

  // Colours: the paint manager's status-bar colours, taken again whenever the theme changes.
  void SetColors(COLORREF clrBack, COLORREF clrText);
  COLORREF GetBackColor() const { return m_clrBack; }
  COLORREF GetTextColor() const { return m_clrText; }

  // The panes as the frame's update pass sees them (index as in GetPane).
  int GetStatusPaneCount() const override { return GetPaneCount(); }
  UINT GetStatusPaneID(int nIndex) const override;
  BOOL IsStatusPaneEnabled(int nIndex) const override;
  void SetStatusPaneEnabled(int nIndex, BOOL bEnabled) override;
  CString GetStatusPaneText(int nIndex) const override;
  void SetStatusPaneText(int nIndex, const wchar_t* lpszText) override;

  void OnPaint();
  void OnSize(UINT nType, int cx, int cy);
  void OnLButtonDown(UINT nFlags, CPoint point);
  // Dragging the slider's thumb: each move sends SB_THUMBTRACK, the release SB_THUMBPOSITION
  // and then SB_ENDSCROLL, each with the thumb's position.
  void OnMouseMove(UINT nFlags, CPoint point);
  void OnLButtonUp(UINT nFlags, CPoint point);
  void OnDestroy();

 protected:
  DECLARE_MESSAGE_MAP()

 private:
  friend class CQORPStatusBarPane;
  void PaneChanged(CQORPStatusBarPane* pPane, bool bRelayout);
  std::vector<std::unique_ptr<CQORPStatusBarPane>> m_panes;
  COLORREF m_clrBack, m_clrText;
  void DetachFromFrame();
  long long m_nLastRedrawMs = 0;
  int m_nThemeCookie = 0;
  HWND m_hUpdateFrame = nullptr;  // the frame whose update pass reaches the panes
  UINT m_nDragSlider = 0;         // id of the slider whose thumb is being dragged, or 0
  void SendSlider(CQORPStatusBarSliderPane* pPane, int nCode, int nPos);
  int SliderPosAt(const CQORPStatusBarSliderPane* pPane, int x) const;
};
