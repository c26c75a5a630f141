// Work handed to the user-interface thread from any thread (the toolkit may only draw there).
#pragma once

#include <functional>

namespace lwmfc {

// True on the user-interface thread.
bool OnUIThread();
// Runs fn on the user-interface thread: at once when called there, else queued behind the
// events already waiting. Nothing runs once the toolkit has ended.
void PostToUIThread(std::function<void()> fn);

}  // namespace lwmfc
