#include "QorBaseThread.h"

#include <cstdio>
#include <exception>

CQorBaseThread::~CQorBaseThread() {
  if (m_thread.joinable()) {
    std::fputs("CQorBaseThread destroyed with its thread still joinable: the derived class must Stop()\n", stderr);
    std::terminate();
  }
}

bool CQorBaseThread::Start(CQorBaseThread* worker) {
  if (!worker) return false;
  if (worker->m_thread.joinable() || worker->m_nState.load() == kRunning) return true;
  const int before = worker->m_nState.load();
  try {
    if (!worker->Prepare()) return false;
    // Running from here on, so that the owner never sees the state of an earlier run while the
    // new thread starts.
    worker->m_nState.store(kRunning);
    worker->m_thread = std::thread(&CQorBaseThread::ThreadProc, worker);
    return true;
  } catch (...) {
    worker->m_nState.store(before);
    try {
      worker->Cleanup();
    } catch (...) {
    }
    return false;
  }
}

void CQorBaseThread::ThreadProc(CQorBaseThread* worker) {
  DWORD code = 0;
  try {
    code = worker->Run();
  } catch (...) {
    code = 0;
  }
  worker->m_dwExitCode.store(code);
  worker->m_nState.store(kFinished);
}

void CQorBaseThread::Stop() {
  try {
    if (m_thread.joinable()) {
      RequestStop();
      m_thread.join();
    }
  } catch (...) {
  }
  try {
    Cleanup();
  } catch (...) {
  }
}
