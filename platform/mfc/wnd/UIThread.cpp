// Work handed to the user-interface thread (lwuithread.h).
#include <wx/app.h>

#include "lwuithread.h"
#include "msgqueue.h"

namespace lwmfc {

bool OnUIThread() { return lwwnd::HandleTable::Instance().OnUIThread(); }

void PostToUIThread(std::function<void()> fn) {
  if (!fn) return;
  if (OnUIThread()) {
    fn();
    return;
  }
  if (wxTheApp) wxTheApp->CallAfter(std::move(fn));  // queues a thread-safe event
}

}  // namespace lwmfc
