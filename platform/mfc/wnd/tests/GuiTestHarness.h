// The harness of the window tests that run under Xvfb. GuiTestMain.cpp holds their main: it starts
// the toolkit with an assert handler that prints and fails the run, installs the message-box hook
// before anything can open a box, runs the tests and closes with "N passed, N failed".
#pragma once

#include <chrono>

#include <wx/app.h>
#include <wx/evtloop.h>

#include <afxwin.h>

namespace guitest {

extern int g_wxAsserts;
extern int g_unexpectedBoxes;
extern wxEventLoopBase* g_loop;

// The message-box hook of the run: counts the box (which fails the run) and answers Cancel.
int UnexpectedMessageBox(const wchar_t* text, const wchar_t* caption, UINT type);

// Runs the event loop until cond holds; false when it did not within the bound.
template <class Cond>
bool PumpUntil(Cond cond, int maxMs = 3000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(maxMs);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    g_loop->DispatchTimeout(5);
    wxTheApp->ProcessPendingEvents();
  }
  return true;
}

}  // namespace guitest
