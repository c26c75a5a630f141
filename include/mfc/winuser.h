// Window messages, their records and the Win32 functions on window handles.
//
// Window handles come from one process-wide table and are never reused in a run, so a handle
// of a destroyed window fails at once everywhere. IsWindow, PostMessage, SendMessage and
// SendMessageTimeout may be called from any thread; every other function here, and every CWnd
// member, belongs to the user-interface thread.
//
// Threads other than the user-interface thread use PostMessage or SendMessageTimeout only,
// never plain SendMessage: the user-interface thread may wait for a worker (joining it when it
// stops), and only a time-out keeps that wait from deadlocking against a pending send. A handler
// must never wait for the thread that sent its message.
//
// SendMessageTimeout differs from Win32 in what happens on time-out: a message that has not
// started yet is cancelled and never delivered (Win32 delivers it later, after the sender may
// have reused the buffers it pointed to); a message whose handler is already running makes the
// sender wait until it returns.
#pragma once

#include <windows.h>

#ifndef ERROR_INVALID_WINDOW_HANDLE
#define ERROR_INVALID_WINDOW_HANDLE 1400L
#endif

// Messages.
#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_SETCURSOR 0x0020
#define WM_NOTIFY 0x004E
#define WM_NCDESTROY 0x0082
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MOUSEWHEEL 0x020A
#define WM_CAPTURECHANGED 0x0215
#define WM_DROPFILES 0x0233
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_INITIALUPDATE 0x0364
#define WM_USER 0x0400
#define WM_APP 0x8000

#define WHEEL_DELTA 120

// Key and button state in the wParam of mouse messages.
#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

// Virtual keys (letters and digits are their upper-case ASCII codes).
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_CLEAR 0x0C
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B

// Scroll bar codes.
#define SB_HORZ 0
#define SB_VERT 1
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

// A window's scroll bar (GetScrollInfo): which fields are asked for, and the fields.
#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_DISABLENOSCROLL 0x0008
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)
struct SCROLLINFO {
  UINT cbSize;
  UINT fMask;
  int nMin;
  int nMax;
  UINT nPage;
  int nPos;
  int nTrackPos;
};
typedef SCROLLINFO* LPSCROLLINFO;

// WM_SIZE kinds.
#define SIZE_RESTORED 0
#define SIZE_MINIMIZED 1
#define SIZE_MAXIMIZED 2

// ShowWindow.
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWMINIMIZED 2
#define SW_SHOWMAXIMIZED 3
#define SW_MAXIMIZE 3
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_MINIMIZE 6
#define SW_SHOWNA 8
#define SW_RESTORE 9

// SetWindowPos.
#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080

// RedrawWindow.
#define RDW_INVALIDATE 0x0001
#define RDW_ERASE 0x0004
#define RDW_ALLCHILDREN 0x0080
#define RDW_UPDATENOW 0x0100

// SendMessageTimeout.
#define SMTO_NORMAL 0x0000
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002
#define SMTO_NOTIMEOUTIFNOTHUNG 0x0008

// Message boxes and the answers of dialogs.
#define MB_OK 0x00000000u
#define MB_OKCANCEL 0x00000001u
#define MB_ABORTRETRYIGNORE 0x00000002u
#define MB_YESNOCANCEL 0x00000003u
#define MB_YESNO 0x00000004u
#define MB_RETRYCANCEL 0x00000005u
#define MB_ICONHAND 0x00000010u
#define MB_ICONQUESTION 0x00000020u
#define MB_ICONEXCLAMATION 0x00000030u
#define MB_ICONASTERISK 0x00000040u
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON2 0x00000100u
#define MB_TYPEMASK 0x0000000Fu
#define MB_ICONMASK 0x000000F0u
#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

// Control notifications carried by WM_COMMAND (high word of wParam).
#define BN_CLICKED 0
#define CBN_SELCHANGE 1
#define LBN_SELCHANGE 1
#define EN_CHANGE 0x0300

// Menus.
#define MF_STRING 0x0000u
#define MF_ENABLED 0x0000u
#define MF_BYCOMMAND 0x0000u
#define MF_UNCHECKED 0x0000u
#define MF_GRAYED 0x0001u
#define MF_DISABLED 0x0002u
#define MF_CHECKED 0x0008u
#define MF_BYPOSITION 0x0400u
#define MF_SEPARATOR 0x0800u
#define TPM_LEFTALIGN 0x0000u
#define TPM_LEFTBUTTON 0x0000u
#define TPM_RIGHTBUTTON 0x0002u
#define TPM_NONOTIFY 0x0080u
#define TPM_RETURNCMD 0x0100u
#define MF_POPUP 0x0010u
#define MF_END 0x0080u

// Resource ids passed where a name is expected.
#ifndef MAKEINTRESOURCEW
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)
#endif

// Accelerator tables: fVirt says how key is read (FVIRTKEY: a virtual key of WM_KEYDOWN, with
// the modifiers that must be down, and only those; otherwise a character of WM_CHAR); cmd is
// the command id sent as WM_COMMAND (high word of wParam 1, lParam 0).
#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10
struct ACCEL {
  BYTE fVirt;
  WORD key;
  WORD cmd;
};
typedef ACCEL* LPACCEL;

typedef void (*TIMERPROC)(HWND hwnd, UINT message, UINT_PTR idEvent, DWORD dwTime);

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;

struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
typedef NMHDR* LPNMHDR;

struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};
typedef CREATESTRUCTW CREATESTRUCT;
typedef CREATESTRUCTW* LPCREATESTRUCT;

// Files dropped on a window (WM_DROPFILES); the receiver ends with DragFinish.
struct HDROP__;
typedef struct HDROP__* HDROP;
// With iFile 0xFFFFFFFF the number of files; otherwise copies name iFile (at most cch - 1
// characters and a terminator; a null buffer asks for the length) and returns its length.
UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch);
inline UINT DragQueryFile(HDROP h, UINT i, LPWSTR f, UINT c) { return DragQueryFileW(h, i, f, c); }
void DragFinish(HDROP hDrop);

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

// Window styles the program passes (most are accepted and ignored).
#define WS_OVERLAPPED 0x00000000L
#define WS_CHILD 0x40000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_BORDER 0x00800000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_TABSTOP 0x00010000L
#define WS_OVERLAPPEDWINDOW 0x00CF0000L

// Any thread. Handles of destroyed windows fail with ERROR_INVALID_WINDOW_HANDLE.
BOOL IsWindow(HWND hWnd);
BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// On the user-interface thread the window procedure is called directly; elsewhere the message
// is queued and the caller waits for it without time-out (see the rule at the top).
LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Nonzero when the message was handled (the result in *lpdwResult); 0 with ERROR_TIMEOUT when
// it was cancelled, with ERROR_INVALID_WINDOW_HANDLE when the window is gone. With
// SMTO_ABORTIFHUNG the call fails at once when the oldest queued message has waited more than
// five seconds.
LRESULT SendMessageTimeoutW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                            DWORD_PTR* lpdwResult);
inline BOOL PostMessage(HWND h, UINT m, WPARAM w, LPARAM l) { return PostMessageW(h, m, w, l); }
inline LRESULT SendMessage(HWND h, UINT m, WPARAM w, LPARAM l) { return SendMessageW(h, m, w, l); }
inline LRESULT SendMessageTimeout(HWND h, UINT m, WPARAM w, LPARAM l, UINT f, UINT t, DWORD_PTR* r) {
  return SendMessageTimeoutW(h, m, w, l, f, t, r);
}

// User-interface thread only.
UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);
BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL UpdateWindow(HWND hWnd);
HWND SetCapture(HWND hWnd);
BOOL ReleaseCapture();
HWND GetCapture();
// GetWindow: GW_CHILD gives the first child window, GW_HWNDNEXT the next sibling, in creation
// order (children of the toolkit's helper panels count as children); null when there is none.
#define GW_HWNDNEXT 2
#define GW_CHILD 5
HWND GetWindow(HWND hWnd, UINT uCmd);
// Returns nonzero when the window was disabled before.
BOOL EnableWindow(HWND hWnd, BOOL bEnable);
BOOL IsWindowEnabled(HWND hWnd);

// Accelerator tables (user-interface thread). A table made here is the caller's to destroy;
// one from LoadAcceleratorsW (a table registered under the id, lwmfc::RegisterAcceleratorTable)
// lives as long as the process and DestroyAcceleratorTable refuses it. Tables are copies:
// entries with a zero command or key are dropped.
HACCEL CreateAcceleratorTableW(const ACCEL* paccel, int cAccel);
BOOL DestroyAcceleratorTable(HACCEL hAccel);
// With a null buffer the number of entries; otherwise copies up to cAccelEntries of them.
int CopyAcceleratorTableW(HACCEL hAccelSrc, ACCEL* lpAccelDst, int cAccelEntries);
HACCEL LoadAcceleratorsW(HINSTANCE hInstance, LPCWSTR lpTableName);
// A WM_KEYDOWN/WM_SYSKEYDOWN (virtual-key entries) or WM_CHAR/WM_SYSCHAR (character entries)
// that matches the table: WM_COMMAND is sent to hWnd and the result is nonzero (the key is
// used up even when the command is refused as disabled). The modifiers are those of the key
// being handled (GetKeyState).
int TranslateAcceleratorW(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);
inline int TranslateAccelerator(HWND h, HACCEL a, LPMSG m) { return TranslateAcceleratorW(h, a, m); }
inline HACCEL CreateAcceleratorTable(const ACCEL* a, int n) { return CreateAcceleratorTableW(a, n); }
inline HACCEL LoadAccelerators(HINSTANCE h, LPCWSTR n) { return LoadAcceleratorsW(h, n); }
// The state of a key: the high bit set while it is down. For VK_SHIFT, VK_CONTROL and VK_MENU
// inside the handling of a key message, the modifiers that came with that key; otherwise the
// keyboard and mouse state now.
SHORT GetKeyState(int nVirtKey);

// ---------------------------------------------------------------------------------------------
// Mouse cursors, user-interface thread only. The system's cursors below come from the toolkit's
// stock cursors; LoadCursorW gives one handle per id for the whole run (nothing to destroy) and
// null for any other name or an instance other than null (no cursor resources here).
// SetCursor shows the cursor over the window holding the mouse capture, or else the window under
// the pointer, and gives back the cursor set before; null there, and in LwSetWindowCursor, gives
// the window's default arrow. The toolkit keeps a cursor per window, so a window's cursor stays
// until it is set again.
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define IDC_IBEAM MAKEINTRESOURCEW(32513)
#define IDC_WAIT MAKEINTRESOURCEW(32514)
#define IDC_CROSS MAKEINTRESOURCEW(32515)
#define IDC_SIZENWSE MAKEINTRESOURCEW(32642)
#define IDC_SIZENESW MAKEINTRESOURCEW(32643)
#define IDC_SIZEWE MAKEINTRESOURCEW(32644)
#define IDC_SIZENS MAKEINTRESOURCEW(32645)
#define IDC_SIZEALL MAKEINTRESOURCEW(32646)
#define IDC_NO MAKEINTRESOURCEW(32648)
#define IDC_HAND MAKEINTRESOURCEW(32649)
HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
inline HCURSOR LoadCursor(HINSTANCE h, LPCWSTR n) { return LoadCursorW(h, n); }
HCURSOR SetCursor(HCURSOR hCursor);
HCURSOR GetCursor();
// This layer's own call: the cursor shown while the pointer is over hWnd. FALSE for no window.
BOOL LwSetWindowCursor(HWND hWnd, HCURSOR hCursor);

// ---------------------------------------------------------------------------------------------
// Bitmaps and icons from the resource table (winres.h), user-interface thread or not.
//
// A bitmap resource (RT_BITMAP) holds a whole image file - BMP, PNG, JPEG or GIF - or, as the
// Windows resource compiler stores it, a BMP without its 14-byte file header. An icon is found
// under RT_GROUP_ICON, then under RT_ICON, and holds an image file the same way (PNG for icons
// with an alpha channel). Differences from Windows worth knowing:
// - LoadBitmapW gives a 32-bit top-down DIB section with the picture's alpha channel; it is the
//   caller's to delete with DeleteObject.
// - LoadIconW (and LoadImageW with LR_SHARED) gives the one icon of that id for the whole run;
//   DestroyIcon leaves such an icon alone. Other icons from LoadImageW are the caller's.
// - Names are resource ids or names only; the system's own images (OIC_*, IDI_*) are not here.
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define LR_DEFAULTCOLOR 0x0000
#define LR_LOADFROMFILE 0x0010
#define LR_DEFAULTSIZE 0x0040
#define LR_CREATEDIBSECTION 0x2000
#define LR_SHARED 0x8000
#define DI_MASK 0x0001
#define DI_IMAGE 0x0002
#define DI_NORMAL 0x0003

// Null when there is no such resource or its data are not an image that can be read.
HBITMAP LoadBitmapW(HINSTANCE hInstance, LPCWSTR lpBitmapName);
HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName);
// IMAGE_BITMAP or IMAGE_ICON. A nonzero cx/cy scales the picture to that size; both zero keep
// its own size, or give an icon SM_CXICON by SM_CYICON with LR_DEFAULTSIZE. With
// LR_LOADFROMFILE, lpszName is the path of an image file.
HANDLE LoadImageW(HINSTANCE hInst, LPCWSTR lpszName, UINT uType, int cx, int cy, UINT fuLoad);
inline HBITMAP LoadBitmap(HINSTANCE h, LPCWSTR n) { return LoadBitmapW(h, n); }
inline HICON LoadIcon(HINSTANCE h, LPCWSTR n) { return LoadIconW(h, n); }
inline HANDLE LoadImage(HINSTANCE h, LPCWSTR n, UINT t, int cx, int cy, UINT f) { return LoadImageW(h, n, t, cx, cy, f); }
// FALSE for a handle that is not a live icon.
BOOL DestroyIcon(HICON hIcon);
// Draws the icon blended over what is there by its alpha channel, scaled to cx by cy (0: its
// own size). istepIfAniCur and hbrFlickerFreeDraw are not looked at; diFlags without DI_IMAGE
// draws nothing.
BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT istepIfAniCur,
                HBRUSH hbrFlickerFreeDraw, UINT diFlags);
BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);
