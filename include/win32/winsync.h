// Threads, kernel objects (events, semaphores, thread handles), waits and critical sections.
// A HANDLE of these calls names one reference-counted object of the process; CloseHandle drops
// the caller's reference, and an object that a thread is still waiting on lives until the wait ends.
#pragma once

#include "wintypes.h"

#define WINAPI
#define CALLBACK
#define APIENTRY
#define __stdcall
#define __cdecl

struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;
typedef SECURITY_ATTRIBUTES* PSECURITY_ATTRIBUTES;

typedef DWORD (*LPTHREAD_START_ROUTINE)(LPVOID parameter);
typedef LPTHREAD_START_ROUTINE PTHREAD_START_ROUTINE;

#define WAIT_OBJECT_0 0x00000000u
#define WAIT_ABANDONED 0x00000080u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 0x00000103u
#define CREATE_SUSPENDED 0x00000004u
#define STACK_SIZE_PARAM_IS_A_RESERVATION 0x00010000u

// Kernel objects. Names are not supported: a non-null name fails with ERROR_NOT_SUPPORTED.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
// A counting semaphore: 0 <= initialCount <= maximumCount and maximumCount > 0, else
// ERROR_INVALID_PARAMETER. A wait that succeeds takes one count.
HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES attributes, LONG initialCount, LONG maximumCount, LPCWSTR name);
// Adds releaseCount (> 0). Fails with ERROR_TOO_MANY_POSTS, leaving the count as it was, when the
// count would pass the maximum. previousCount (may be null) receives the count before the call.
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount);

// Threads. The thread's handle is signalled when its procedure returns; its exit code is the
// procedure's result. CREATE_SUSPENDED is not supported (ERROR_NOT_SUPPORTED); the stack size is
// only a hint.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE startAddress,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId);
// STILL_ACTIVE while the thread runs.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD GetCurrentThreadId();
DWORD GetCurrentProcessId();

// WAIT_OBJECT_0 when the object was signalled (and, for an auto-reset event or a semaphore,
// taken), WAIT_TIMEOUT after `milliseconds` (INFINITE waits for ever), WAIT_FAILED for a handle
// that names no waitable object.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL CloseHandle(HANDLE handle);

void Sleep(DWORD milliseconds);

// A recursive lock the caller embeds, as on Windows: the owning thread may enter it again and
// must leave it as often as it entered.
struct CRITICAL_SECTION {
  void* lwLock;  // the lock object, made by InitializeCriticalSection
};
typedef CRITICAL_SECTION* LPCRITICAL_SECTION;
typedef CRITICAL_SECTION* PCRITICAL_SECTION;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
