// Tooltips under modal dialogs. A tooltip shown when a modal dialog or message box opens would
// stay on screen under it, since the dialog's grab keeps the pointer from leaving its window: as
// the dialog opens, the window under the pointer and its parents give up their tooltips, and
// get them back when it closes.
#include <utility>
#include <vector>

#include <wx/dialog.h>
#include <wx/modalhook.h>
#include <wx/tooltip.h>
#include <wx/utils.h>
#include <wx/weakref.h>
#include <wx/window.h>

namespace {

class TipsUnderModalDialogs : public wxModalDialogHook {
 public:
  TipsUnderModalDialogs() { Register(); }

 protected:
  int Enter(wxDialog*) override {
    std::vector<Hidden> hidden;
    wxPoint pt;
    for (wxWindow* w = wxFindWindowAtPointer(pt); w; w = w->GetParent()) {
      if (const wxToolTip* tip = w->GetToolTip()) {
        hidden.push_back({wxWeakRef<wxWindow>(w), tip->GetTip()});
        w->UnsetToolTip();
      }
      if (w->IsTopLevel()) break;
    }
    m_open.push_back(std::move(hidden));
    return wxID_NONE;
  }

  void Exit(wxDialog*) override {
    if (m_open.empty()) return;
    for (const Hidden& h : m_open.back())
      if (h.window && !h.window->GetToolTip()) h.window->SetToolTip(h.tip);
    m_open.pop_back();
  }

 private:
  struct Hidden {
    wxWeakRef<wxWindow> window;
    wxString tip;
  };
  std::vector<std::vector<Hidden>> m_open;  // one entry per open modal dialog
};

TipsUnderModalDialogs g_tips;

}  // namespace
