// GdiplusStartup and GdiplusShutdown: tokens are counted, nothing else is needed.
#include <GdiplusInit.h>

#include <mutex>
#include <set>

namespace Gdiplus {

namespace {

std::mutex g_tokensMutex;
std::set<ULONG_PTR>& Tokens() {
  static auto* tokens = new std::set<ULONG_PTR>();
  return *tokens;
}
ULONG_PTR g_nextToken = 1;

Status HookNothing(ULONG_PTR* token) {
  if (!token) return InvalidParameter;
  *token = 1;
  return Ok;
}
VOID UnhookNothing(ULONG_PTR) {}

}  // namespace

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output) {
  if (!token || !input) return InvalidParameter;
  if (input->GdiplusVersion < 1 || input->GdiplusVersion > 3) return UnsupportedGdiplusVersion;
  if (input->SuppressBackgroundThread) {
    if (!output) return InvalidParameter;
    output->NotificationHook = HookNothing;
    output->NotificationUnhook = UnhookNothing;
  }
  std::lock_guard<std::mutex> lock(g_tokensMutex);
  *token = g_nextToken++;
  Tokens().insert(*token);
  return Ok;
}

VOID GdiplusShutdown(ULONG_PTR token) {
  std::lock_guard<std::mutex> lock(g_tokensMutex);
  Tokens().erase(token);
}

}  // namespace Gdiplus
