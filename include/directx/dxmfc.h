// Presenting to the windows of the MFC layer: after UseMfcWindows(), a handle of a live window
// gets a window target whose back store is shown by the user-interface thread. Frames drawn on a
// player thread are copied into the store under its lock; the user-interface thread is asked to
// lay the store over the window (through a client context), so the toolkit is only touched there.
// The window's geometry is read on the user-interface thread and kept for other threads; the first
// ask from another thread waits for it at most 200 ms.
#pragma once

namespace lwdx {

void UseMfcWindows();

}  // namespace lwdx
