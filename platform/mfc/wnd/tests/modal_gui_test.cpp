// Modal dialogs and message boxes under Xvfb, as the window system sees them: a tooltip on screen
// goes away while a modal dialog is open and comes back to its window after; a message box never
// offers minimise or maximise (it belongs to a shown window, or says so through its hints when no
// window is shown yet) and puts its affirmative button last.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/timer.h>
#include <wx/tooltip.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <afxdlgs.h>
#include <afxwin.h>
#include <shlobj.h>

#include <TestSupport.h>

#include "GuiTestHarness.h"

using namespace guitest;

namespace {

// Whether a tooltip window is mapped on the display (the window system's own view).
bool TooltipOnScreen() {
  Display* d = XOpenDisplay(nullptr);
  if (!d) return false;
  const Atom type = XInternAtom(d, "_NET_WM_WINDOW_TYPE", False);
  const Atom tooltip = XInternAtom(d, "_NET_WM_WINDOW_TYPE_TOOLTIP", False);
  Window root = 0, parent = 0, *children = nullptr;
  unsigned int n = 0;
  bool found = false;
  if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &n)) {
    for (unsigned int i = 0; i < n && !found; ++i) {
      XWindowAttributes a;
      if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
      Atom actual = 0;
      int format = 0;
      unsigned long count = 0, after = 0;
      unsigned char* data = nullptr;
      if (XGetWindowProperty(d, children[i], type, 0, 8, False, XA_ATOM, &actual, &format, &count, &after, &data) ==
              Success &&
          data) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long k = 0; k < count; ++k) found = found || atoms[k] == tooltip;
        XFree(data);
      }
    }
    if (children) XFree(children);
  }
  XCloseDisplay(d);
  return found;
}

// A command's standard output.
std::string Run(const std::string& cmd) {
  std::string out;
  if (FILE* f = popen(cmd.c_str(), "r")) {
    char buf[512];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
    pclose(f);
  }
  return out;
}

// What the window manager is told about the top-level window titled `title` (found: on screen).
struct WmView {
  bool bFound = false;
  bool bTransient = false;     // belongs to another window
  bool bMayMinimise = true;    // as far as the Motif hints say
  bool bMayMaximise = true;
  wxRect rc;
};

WmView LookAt(const std::string& title) {
  WmView v;
  const std::string info = Run("xwininfo -name '" + title + "' 2>/dev/null");
  int x = 0, y = 0, w = 0, h = 0;
  auto field = [&](const char* key, int& out) {
    const size_t at = info.find(key);
    if (at != std::string::npos) out = std::atoi(info.c_str() + at + std::strlen(key));
    return at != std::string::npos;
  };
  v.bFound = field("Absolute upper-left X:", x) && field("Absolute upper-left Y:", y) && field("Width:", w) &&
             field("Height:", h) && info.find("IsViewable") != std::string::npos;
  v.rc = wxRect(x, y, w, h);
  const std::string props = Run("xprop -name '" + title + "' WM_TRANSIENT_FOR _MOTIF_WM_HINTS 2>/dev/null");
  v.bTransient = props.find("WM_TRANSIENT_FOR(WINDOW)") != std::string::npos;
  const size_t at = props.find("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = ");
  if (at != std::string::npos) {
    const char* p = props.c_str() + at + std::strlen("_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = ");
    unsigned long f[3] = {0, 0, 0};
    for (unsigned long& value : f) {
      char* end = nullptr;
      value = std::strtoul(p, &end, 0);
      p = end;
      while (*p == ',' || *p == ' ') ++p;
    }
    // flags: 1 functions given, 2 decorations given; in each, bit 1 means "all but those listed".
    const unsigned long funcs = (f[0] & 1) ? ((f[1] & 1) ? ~f[1] : f[1]) : ~0ul;
    const unsigned long decor = (f[0] & 2) ? ((f[2] & 1) ? ~f[2] : f[2]) : ~0ul;
    v.bMayMinimise = (funcs & 8) && (decor & 32);
    v.bMayMaximise = (funcs & 16) && (decor & 64);
  }
  return v;
}

// Runs `during` once from a timer, inside whatever modal loop is running by then.
void Later(int ms, std::function<void()> during) {
  auto* timer = new wxTimer;
  timer->Bind(wxEVT_TIMER, [timer, during](wxTimerEvent&) {
    during();
    wxTheApp->CallAfter([timer] { delete timer; });  // not inside its own event
  });
  timer->StartOnce(ms);
}

bool AnyWindowShown() {
  for (wxWindow* w : wxTopLevelWindows)
    if (w->IsShownOnScreen() && !w->IsBeingDeleted()) return true;
  return false;
}

TEST(ModalGui, TooltipLeavesTheScreenWhileAModalDialogIsOpenAndComesBackAfter) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Tooltip owner", wxPoint(40, 40), wxSize(500, 300));
  auto* panel = new wxPanel(frame);
  auto* button = new wxButton(panel, wxID_ANY, "Hover me", wxPoint(20, 20), wxSize(140, 40));
  button->SetToolTip("Tip under test");
  frame->Show();
  frame->Raise();
  ASSERT_TRUE(PumpUntil([&] { return button->IsShownOnScreen(); }));
  PumpUntil([] { return false; }, 200);
  wxUIActionSimulator sim;
  const wxPoint on = button->GetScreenRect().GetPosition() + wxPoint(70, 20);
  sim.MouseMove(on + wxPoint(-3, 0));
  PumpUntil([] { return false; }, 50);
  sim.MouseMove(on);
  ASSERT_TRUE(PumpUntil(TooltipOnScreen, 5000)) << "the tooltip never showed";

  bool bShownDuring = true, bRan = false;
  wxDialog dlg(frame, wxID_ANY, "Modal over a tooltip", wxPoint(300, 200), wxSize(240, 120));
  Later(300, [&] {
    // Give the toolkit time to hide it, then look.
    PumpUntil([] { return !TooltipOnScreen(); }, 1500);
    bShownDuring = TooltipOnScreen();
    bRan = true;
    dlg.EndModal(wxID_OK);
  });
  dlg.ShowModal();
  ASSERT_TRUE(bRan);
  EXPECT_FALSE(bShownDuring) << "the tooltip stays on screen under the modal dialog";
  ASSERT_NE(button->GetToolTip(), nullptr) << "the button lost its tooltip";
  EXPECT_EQ(button->GetToolTip()->GetTip(), "Tip under test");
  sim.MouseMove(600, 500);
  frame->Destroy();
  PumpUntil([] { return !AnyWindowShown(); }, 2000);
}

TEST(ModalGui, MessageBoxesOfferNoMinimiseOrMaximiseAndPutYesLast) {
  const lwmfc::PFN_MESSAGEBOXHOOK saved = lwmfc::GetMessageBoxHook();
  lwmfc::SetMessageBoxHook(nullptr);
  const struct {
    const char* name;
    bool bShownOwner;
  } cases[] = {{"before any window is shown", false}, {"over a shown frame", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string title = std::string("Question ") + (c.bShownOwner ? "owned" : "alone");
    CFrameWnd* pFrame = nullptr;
    if (c.bShownOwner) {
      pFrame = new CFrameWnd;
      ASSERT_TRUE(pFrame->Create(nullptr, L"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 400)));
      ASSERT_TRUE(PumpUntil([&] { return pFrame->GetWxWindow()->IsShownOnScreen(); }));
    }
    // As during start-up: no window on screen (what earlier tests left is set aside).
    std::vector<wxWeakRef<wxWindow>> setAside;
    if (!c.bShownOwner) {
      for (wxWindow* w : wxTopLevelWindows)
        if (w->IsShown() && !w->IsBeingDeleted()) setAside.emplace_back(w);
      for (wxWindow* w : setAside) w->Hide();
      ASSERT_TRUE(PumpUntil([] { return !AnyWindowShown(); }));
    }
    WmView seen;
    int nYes = -1, nNo = -1, nCancel = -1;
    Later(300, [&] {
      PumpUntil([&] { return LookAt(title).bFound; }, 2000);
      seen = LookAt(title);
      for (wxWindow* w : wxTopLevelWindows) {
        auto* dlg = dynamic_cast<wxDialog*>(w);
        if (!dlg || !dlg->IsModal() || dlg->GetTitle() != title) continue;
        auto x = [&](int id) {
          wxWindow* b = dlg->FindWindow(id);
          return b ? b->GetScreenPosition().x : -1;
        };
        nYes = x(wxID_YES), nNo = x(wxID_NO), nCancel = x(wxID_CANCEL);
      }
      // Escape answers Cancel, in the native box as in the toolkit's own.
      wxUIActionSimulator sim;
      sim.MouseMove(seen.rc.GetPosition() + wxPoint(seen.rc.width / 2, 8));
      PumpUntil([] { return false; }, 100);
      sim.Char(WXK_ESCAPE);
    });
    CWnd none;
    CWnd* pOwner = pFrame ? static_cast<CWnd*>(pFrame) : &none;
    const int nAnswer = pOwner->MessageBox(L"Keep the changes?", CString(title.c_str()), MB_YESNOCANCEL | MB_ICONQUESTION);
    EXPECT_EQ(nAnswer, IDCANCEL);
    ASSERT_TRUE(seen.bFound) << "the box was not seen on screen";
    EXPECT_TRUE(seen.bTransient || !seen.bMayMinimise) << "the window manager may offer minimise";
    EXPECT_TRUE(seen.bTransient || !seen.bMayMaximise) << "the window manager may offer maximise";
    if (!c.bShownOwner) {
      // The toolkit's own box: its buttons are ours to read (GTK's native box orders them alike).
      ASSERT_GE(nYes, 0);
      EXPECT_LT(nNo, nYes);
      EXPECT_LT(nCancel, nYes);
    }
    for (wxWindow* w : setAside)
      if (w) w->Show();
    if (pFrame) {
      pFrame->DestroyWindow();
      delete pFrame;
    }
    PumpUntil([] { return false; }, 100);
  }
  lwmfc::SetMessageBoxHook(saved);
}

// The text of the entry that has the keyboard in the toolkit's window titled `title` ("" when
// there is none). The chooser is the toolkit's own dialog, so it is asked through the toolkit,
// which the process has loaded already.
std::string FocusedEntryText(const char* title) {
  struct List {
    void* data;
    List* next;
    List* prev;
  };
  using ListToplevels = List* (*)();
  using FreeList = void (*)(List*);
  using GetString = const char* (*)(void*);
  using GetWidget = void* (*)(void*);
  using GetType = unsigned long (*)();
  using IsA = int (*)(void*, unsigned long);
  const auto toplevels = reinterpret_cast<ListToplevels>(dlsym(RTLD_DEFAULT, "gtk_window_list_toplevels"));
  const auto freeList = reinterpret_cast<FreeList>(dlsym(RTLD_DEFAULT, "g_list_free"));
  const auto windowTitle = reinterpret_cast<GetString>(dlsym(RTLD_DEFAULT, "gtk_window_get_title"));
  const auto focus = reinterpret_cast<GetWidget>(dlsym(RTLD_DEFAULT, "gtk_window_get_focus"));
  const auto entryType = reinterpret_cast<GetType>(dlsym(RTLD_DEFAULT, "gtk_entry_get_type"));
  const auto isA = reinterpret_cast<IsA>(dlsym(RTLD_DEFAULT, "g_type_check_instance_is_a"));
  const auto entryText = reinterpret_cast<GetString>(dlsym(RTLD_DEFAULT, "gtk_entry_get_text"));
  if (!toplevels || !freeList || !windowTitle || !focus || !entryType || !isA || !entryText) return {};
  std::string text;
  List* all = toplevels();
  for (List* l = all; l; l = l->next) {
    const char* t = windowTitle(l->data);
    if (!t || std::strcmp(t, title) != 0) continue;
    void* widget = focus(l->data);
    if (widget && isA(widget, entryType())) text = entryText(widget);
  }
  freeList(all);
  return text;
}

// The folder chooser as a user drives it: it opens on the document's folder (Enter at once takes
// that folder) and takes a folder whose path is typed, then Enter.
std::wstring g_startFolder;
TEST(ModalGui, FolderChooserOpensOnTheDocumentFolderAndTakesATypedPath) {
  setenv("GSETTINGS_BACKEND", "memory", 1);  // the chooser keeps its settings to itself
  lwtest::TempDir dir;
  std::filesystem::create_directories(dir.path() / "document");
  std::filesystem::create_directories(dir.path() / "output");
  g_startFolder = (dir.path() / "document").wstring();
  lwmfc::SetDialogStartFolderHook([] { return g_startFolder; });
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, L"Publisher", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 700, 500)));
  ASSERT_TRUE(PumpUntil([&] { return frame->GetWxWindow()->IsShownOnScreen(); }));
  const struct {
    const char* typed;  // nothing: Enter at once
    std::filesystem::path chosen;
  } cases[] = {{"", dir.path() / "document"}, {"output", dir.path() / "output"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    const std::string typed = *c.typed ? (dir.path() / c.typed).string() + "/" : std::string();
    bool bSeen = false, bTyped = typed.empty();
    Later(500, [&] {
      PumpUntil([&] { return LookAt("Please select a folder").bFound; }, 3000);
      const WmView seen = LookAt("Please select a folder");
      bSeen = seen.bFound;
      wxUIActionSimulator sim;
      sim.MouseMove(seen.rc.GetPosition() + wxPoint(seen.rc.width / 2, seen.rc.height / 2));
      PumpUntil([] { return false; }, 300);
      if (!typed.empty()) {
        sim.Text(typed.c_str());
        // Enter only once the chooser's location entry holds what was typed (it may add a
        // completion behind it).
        bTyped = PumpUntil([&] { return FocusedEntryText("Please select a folder").rfind(typed, 0) == 0; }, 10000);
      }
      sim.Char(WXK_RETURN);
      // A chooser that does not take Enter is closed with Escape, so the test ends.
      PumpUntil([&] { return !LookAt("Please select a folder").bFound; }, 2000);
      if (LookAt("Please select a folder").bFound) sim.Char(WXK_ESCAPE);
    });
    wchar_t name[MAX_PATH] = L"";
    BROWSEINFOW bi{};
    bi.hwndOwner = frame->GetSafeHwnd();
    bi.pszDisplayName = name;
    bi.lpszTitle = L"Please select a folder";
    bi.ulFlags = 0x50;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&bi);
    EXPECT_TRUE(bSeen);
    EXPECT_TRUE(bTyped) << "the chooser's entry never held the typed path";
    ASSERT_NE(item, nullptr) << "nothing was chosen";
    wchar_t path[MAX_PATH] = L"";
    EXPECT_TRUE(SHGetPathFromIDListW(item, path));
    ILFree(item);
    EXPECT_EQ(std::filesystem::path(path), c.chosen);
  }
  lwmfc::SetDialogStartFolderHook(nullptr);
  frame->DestroyWindow();
  delete frame;
  PumpUntil([] { return false; }, 100);
}

}  // namespace
