// Message maps: tables of handlers that a class declares with DECLARE_MESSAGE_MAP and fills
// between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP. Every entry holds a small function that calls
// the member with its exact signature, so a handler with a wrong signature does not compile.
// A class's map is searched before its base class's map; the first matching entry wins.
// Handlers are named as &CClass::OnSomething.
#pragma once

#include <type_traits>

#include "winuser.h"

class CCmdTarget;
class CCmdUI;
class CWnd;
class CDC;
class CScrollBar;

// Codes of OnCmdMsg besides control notifications.
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

// What a handler is called with: the window message, or the command id, code and extra record
// (CCmdUI* for update handlers, AFX_NOTIFY* for notifications).
struct AFX_MSGARGS {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  UINT nID;
  UINT nCode;
  void* pExtra;
};

typedef LRESULT (*AFX_PMSGTHUNK)(CCmdTarget* pTarget, const AFX_MSGARGS& args);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_COMMAND, WM_NOTIFY or a window message; 0 ends the table
  UINT nCode;     // command or notification code (CN_COMMAND, CN_UPDATE_COMMAND_UI, ...)
  UINT nID;       // first command or control id
  UINT nLastID;   // last id (== nID unless a range)
  AFX_PMSGTHUNK pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// pExtra of a notification.
struct AFX_NOTIFY {
  LRESULT* pResult;
  NMHDR* pNMHDR;
};

// Filled by OnCmdMsg in query mode (a non-null handler-info pointer): who would handle it.
struct AFX_CMDHANDLERINFO {
  CCmdTarget* pTarget;
  const AFX_MSGMAP_ENTRY* pEntry;
};

#define afx_msg

#define DECLARE_MESSAGE_MAP()                     \
 protected:                                       \
  static const AFX_MSGMAP* GetThisMessageMap();   \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                          \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
    typedef theClass ThisClass;                                                        \
    typedef baseClass TheBaseClass;                                                    \
    static_assert(sizeof(ThisClass) > 0 && sizeof(TheBaseClass) > 0);                  \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                     \
    {0, 0, 0, 0, nullptr}};                                                                 \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                      \
  }

// The function of one entry; lw_pThis is the object, lw_args the call.
#define LW_MSG_THUNK(...)                                                                     \
  +[](CCmdTarget* lw_pTarget, const AFX_MSGARGS& lw_args) -> LRESULT {                       \
    ThisClass* lw_pThis = static_cast<ThisClass*>(lw_pTarget);                               \
    (void)lw_args;                                                                            \
    __VA_ARGS__                                                                               \
  }

// A member of the given type, called with the given arguments; returns the given result.
#define LW_MSG_CALL(pmfType, memberFxn, args, result) \
  LW_MSG_THUNK(std::type_identity_t<pmfType> lw_pmf = memberFxn; (lw_pThis->*lw_pmf) args; return result;)

// Commands and update handlers.
#define ON_COMMAND(id, memberFxn)                                \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id),               \
   LW_MSG_CALL(void (ThisClass::*)(), memberFxn, (), 1)},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                  \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast),           \
   LW_MSG_CALL(void (ThisClass::*)(UINT), memberFxn, (lw_args.nID), 1)},
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                      \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id),     \
   LW_MSG_CALL(void (ThisClass::*)(CCmdUI*), memberFxn, (static_cast<CCmdUI*>(lw_args.pExtra)), 1)},
#define ON_UPDATE_COMMAND_UI_RANGE(id, idLast, memberFxn)        \
  {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(idLast), \
   LW_MSG_CALL(void (ThisClass::*)(CCmdUI*), memberFxn, (static_cast<CCmdUI*>(lw_args.pExtra)), 1)},

// Control notifications in WM_COMMAND (button clicks, edit changes...).
#define ON_CONTROL(wNotifyCode, id, memberFxn)                   \
  {WM_COMMAND, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(id), \
   LW_MSG_CALL(void (ThisClass::*)(), memberFxn, (), 1)},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)

// WM_NOTIFY: void OnX(NMHDR*, LRESULT*).
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                   \
  {WM_NOTIFY, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(id),                                \
   LW_MSG_THUNK(void (ThisClass::*lw_pmf)(NMHDR*, LRESULT*) = memberFxn;                        \
                AFX_NOTIFY* lw_n = static_cast<AFX_NOTIFY*>(lw_args.pExtra);                    \
                (lw_pThis->*lw_pmf)(lw_n->pNMHDR, lw_n->pResult); return 1;)},
#define ON_NOTIFY_RANGE(wNotifyCode, id, idLast, memberFxn)                                     \
  {WM_NOTIFY, (UINT)(WORD)(wNotifyCode), (UINT)(id), (UINT)(idLast),                            \
   LW_MSG_THUNK(void (ThisClass::*lw_pmf)(UINT, NMHDR*, LRESULT*) = memberFxn;                  \
                AFX_NOTIFY* lw_n = static_cast<AFX_NOTIFY*>(lw_args.pExtra);                    \
                (lw_pThis->*lw_pmf)(lw_args.nID, lw_n->pNMHDR, lw_n->pResult); return 1;)},

// Any window message: LRESULT OnX(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                          \
  {(UINT)(message), 0, 0, 0,                                                                    \
   LW_MSG_THUNK(LRESULT (ThisClass::*lw_pmf)(WPARAM, LPARAM) = memberFxn;                       \
                return (lw_pThis->*lw_pmf)(lw_args.wParam, lw_args.lParam);)},

// Standard window messages, each with its handler's fixed name and signature.
#define LW_ON_WM(message, pmfType, memberFxn, args, result) \
  {message, 0, 0, 0, LW_MSG_CALL(pmfType, &ThisClass::memberFxn, args, result)},
#define LW_MOUSE_ARGS (static_cast<UINT>(lw_args.wParam), CPoint(lw_args.lParam))

#define ON_WM_CREATE()                                                                          \
  {WM_CREATE, 0, 0, 0,                                                                          \
   LW_MSG_THUNK(int (ThisClass::*lw_pmf)(LPCREATESTRUCT) = &ThisClass::OnCreate;                \
                return (lw_pThis->*lw_pmf)(reinterpret_cast<LPCREATESTRUCT>(lw_args.lParam));)},
#define ON_WM_DESTROY() LW_ON_WM(WM_DESTROY, void (ThisClass::*)(), OnDestroy, (), 0)
#define ON_WM_CLOSE() LW_ON_WM(WM_CLOSE, void (ThisClass::*)(), OnClose, (), 0)
#define ON_WM_PAINT() LW_ON_WM(WM_PAINT, void (ThisClass::*)(), OnPaint, (), 0)
#define ON_WM_ERASEBKGND()                                                                      \
  {WM_ERASEBKGND, 0, 0, 0,                                                                      \
   LW_MSG_THUNK(BOOL (ThisClass::*lw_pmf)(CDC*) = &ThisClass::OnEraseBkgnd;                     \
                return (lw_pThis->*lw_pmf)(reinterpret_cast<CDC*>(lw_args.wParam));)},
#define ON_WM_SIZE()                                                                            \
  LW_ON_WM(WM_SIZE, void (ThisClass::*)(UINT, int, int), OnSize,                                \
           (static_cast<UINT>(lw_args.wParam), static_cast<SHORT>(LOWORD(lw_args.lParam)),      \
            static_cast<SHORT>(HIWORD(lw_args.lParam))), 0)
#define ON_WM_MOUSEMOVE() LW_ON_WM(WM_MOUSEMOVE, void (ThisClass::*)(UINT, CPoint), OnMouseMove, LW_MOUSE_ARGS, 0)
#define ON_WM_LBUTTONDOWN() LW_ON_WM(WM_LBUTTONDOWN, void (ThisClass::*)(UINT, CPoint), OnLButtonDown, LW_MOUSE_ARGS, 0)
#define ON_WM_LBUTTONUP() LW_ON_WM(WM_LBUTTONUP, void (ThisClass::*)(UINT, CPoint), OnLButtonUp, LW_MOUSE_ARGS, 0)
#define ON_WM_LBUTTONDBLCLK() LW_ON_WM(WM_LBUTTONDBLCLK, void (ThisClass::*)(UINT, CPoint), OnLButtonDblClk, LW_MOUSE_ARGS, 0)
#define ON_WM_RBUTTONDOWN() LW_ON_WM(WM_RBUTTONDOWN, void (ThisClass::*)(UINT, CPoint), OnRButtonDown, LW_MOUSE_ARGS, 0)
#define ON_WM_RBUTTONUP() LW_ON_WM(WM_RBUTTONUP, void (ThisClass::*)(UINT, CPoint), OnRButtonUp, LW_MOUSE_ARGS, 0)
#define ON_WM_RBUTTONDBLCLK() LW_ON_WM(WM_RBUTTONDBLCLK, void (ThisClass::*)(UINT, CPoint), OnRButtonDblClk, LW_MOUSE_ARGS, 0)
#define ON_WM_MOUSEWHEEL()                                                                      \
  LW_ON_WM(WM_MOUSEWHEEL, BOOL (ThisClass::*)(UINT, short, CPoint), OnMouseWheel,               \
           (static_cast<UINT>(LOWORD(lw_args.wParam)), static_cast<short>(HIWORD(lw_args.wParam)), \
            CPoint(lw_args.lParam)), 1)
#define LW_KEY_ARGS \
  (static_cast<UINT>(lw_args.wParam), static_cast<UINT>(LOWORD(lw_args.lParam)), static_cast<UINT>(HIWORD(lw_args.lParam)))
#define ON_WM_KEYDOWN() LW_ON_WM(WM_KEYDOWN, void (ThisClass::*)(UINT, UINT, UINT), OnKeyDown, LW_KEY_ARGS, 0)
#define ON_WM_KEYUP() LW_ON_WM(WM_KEYUP, void (ThisClass::*)(UINT, UINT, UINT), OnKeyUp, LW_KEY_ARGS, 0)
#define ON_WM_CHAR() LW_ON_WM(WM_CHAR, void (ThisClass::*)(UINT, UINT, UINT), OnChar, LW_KEY_ARGS, 0)
#define LW_SCROLL_ARGS \
  (static_cast<UINT>(LOWORD(lw_args.wParam)), static_cast<UINT>(HIWORD(lw_args.wParam)), reinterpret_cast<CScrollBar*>(lw_args.lParam))
#define ON_WM_VSCROLL() LW_ON_WM(WM_VSCROLL, void (ThisClass::*)(UINT, UINT, CScrollBar*), OnVScroll, LW_SCROLL_ARGS, 0)
#define ON_WM_HSCROLL() LW_ON_WM(WM_HSCROLL, void (ThisClass::*)(UINT, UINT, CScrollBar*), OnHScroll, LW_SCROLL_ARGS, 0)
#define ON_WM_CAPTURECHANGED() \
  LW_ON_WM(WM_CAPTURECHANGED, void (ThisClass::*)(CWnd*), OnCaptureChanged, (CWnd::FromHandle(reinterpret_cast<HWND>(lw_args.lParam))), 0)
#define ON_WM_SETFOCUS() \
  LW_ON_WM(WM_SETFOCUS, void (ThisClass::*)(CWnd*), OnSetFocus, (CWnd::FromHandle(reinterpret_cast<HWND>(lw_args.wParam))), 0)
#define ON_WM_KILLFOCUS() \
  LW_ON_WM(WM_KILLFOCUS, void (ThisClass::*)(CWnd*), OnKillFocus, (CWnd::FromHandle(reinterpret_cast<HWND>(lw_args.wParam))), 0)
#define ON_WM_TIMER() LW_ON_WM(WM_TIMER, void (ThisClass::*)(UINT_PTR), OnTimer, (static_cast<UINT_PTR>(lw_args.wParam)), 0)
#define ON_WM_DROPFILES() \
  LW_ON_WM(WM_DROPFILES, void (ThisClass::*)(HDROP), OnDropFiles, (reinterpret_cast<HDROP>(lw_args.wParam)), 0)
