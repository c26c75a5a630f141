// The wait cursor's count; the window layer shows and hides the cursor itself.
#include <atomic>

#include "afxwin.h"

namespace {
int g_depth = 0;
void (*g_show)() = nullptr;
void (*g_hide)() = nullptr;
}  // namespace

namespace lwmfc {
int GetWaitCursorDepth() { return g_depth; }
void SetWaitCursorHooks(void (*pfnShow)(), void (*pfnHide)()) {
  g_show = pfnShow;
  g_hide = pfnHide;
}
}  // namespace lwmfc

void CCmdTarget::BeginWaitCursor() {
  if (g_depth++ == 0 && g_show) g_show();
}

void CCmdTarget::EndWaitCursor() {
  if (g_depth == 0) return;
  if (--g_depth == 0 && g_hide) g_hide();
}

void CCmdTarget::RestoreWaitCursor() {
  if (g_depth > 0 && g_show) g_show();
}

CWaitCursor::CWaitCursor() { CCmdTarget().BeginWaitCursor(); }
CWaitCursor::~CWaitCursor() { CCmdTarget().EndWaitCursor(); }
void CWaitCursor::Restore() { CCmdTarget().RestoreWaitCursor(); }
