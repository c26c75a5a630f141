// Starting and stopping the GDI+ layer. Nothing in the layer needs it (there is no background
// thread and no codec to load); the calls check their arguments and count the tokens handed out.
#pragma once

#include "GdiplusTypes.h"

namespace Gdiplus {

enum DebugEventLevel { DebugEventLevelFatal, DebugEventLevelWarning };
typedef VOID (*DebugEventProc)(DebugEventLevel level, CHAR* message);
typedef Status (*NotificationHookProc)(ULONG_PTR* token);
typedef VOID (*NotificationUnhookProc)(ULONG_PTR token);

struct GdiplusStartupInput {
  UINT32 GdiplusVersion;
  DebugEventProc DebugEventCallback;
  BOOL SuppressBackgroundThread;
  BOOL SuppressExternalCodecs;

  GdiplusStartupInput(DebugEventProc debugEventCallback = nullptr, BOOL suppressBackgroundThread = FALSE,
                      BOOL suppressExternalCodecs = FALSE)
      : GdiplusVersion(1),
        DebugEventCallback(debugEventCallback),
        SuppressBackgroundThread(suppressBackgroundThread),
        SuppressExternalCodecs(suppressExternalCodecs) {}
};

// Filled when SuppressBackgroundThread is set: the hooks that would run the background work.
struct GdiplusStartupOutput {
  NotificationHookProc NotificationHook;
  NotificationUnhookProc NotificationUnhook;
};

// Ok and a nonzero token; UnsupportedGdiplusVersion for a version other than 1 to 3;
// InvalidParameter for a null token or input.
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, GdiplusStartupOutput* output);
// Ends the start-up that gave `token`; an unknown token is ignored.
VOID GdiplusShutdown(ULONG_PTR token);

}  // namespace Gdiplus
