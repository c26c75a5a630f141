// A worker thread object: Start runs Prepare on the caller's thread and then Run on a thread of
// its own; Stop asks Run to end, joins the thread and always runs Cleanup. A stopped worker can
// be started again.
//
// A derived class whose Run uses its own members must call Stop() in its own destructor: by the
// time this base destructor runs, the derived operations are gone, so the base can only check
// that no thread is left (it ends the process when one is, rather than let it run on freed
// members).
#pragma once

#include <atomic>
#include <thread>

#include <windows.h>

class CQorBaseThread {
 public:
  enum { kNeverRun = 0, kRunning = 1, kFinished = 2 };

  CQorBaseThread() = default;
  virtual ~CQorBaseThread();
  CQorBaseThread(const CQorBaseThread&) = delete;
  CQorBaseThread& operator=(const CQorBaseThread&) = delete;

  // Does nothing and returns true while the worker runs or its thread has not been joined.
  // Otherwise Prepare (false: no thread, false returned), then the thread. An exception from
  // Prepare or from making the thread runs Cleanup and returns false, leaving no thread, so a
  // later Start tries again.
  static bool Start(CQorBaseThread* worker);
  // RequestStop and join when there is a thread; Cleanup in every case. Exceptions are dropped.
  void Stop();

  int GetState() const { return m_nState.load(); }
  bool HasThread() const { return m_thread.joinable(); }
  // Run's result of the last finished thread (0 when Run threw).
  DWORD GetExitCode() const { return m_dwExitCode.load(); }

 protected:
  // On the caller's thread before the thread is made; false cancels the start.
  virtual bool Prepare() = 0;
  // The thread's body.
  virtual DWORD Run() = 0;
  // Asks a running Run to return (called on the owner's thread).
  virtual void RequestStop() = 0;
  // Releases what a run left behind (also when no thread ran).
  virtual void Cleanup() = 0;

 private:
  static void ThreadProc(CQorBaseThread* worker);

  std::thread m_thread;
  std::atomic<int> m_nState{kNeverRun};
  std::atomic<DWORD> m_dwExitCode{0};
};
