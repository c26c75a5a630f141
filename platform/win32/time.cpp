#include <sys/time.h>
#include <time.h>

#include "wintime.h"

namespace {

void FillSystemTime(SYSTEMTIME* out, const struct tm& t, long nanoseconds) {
  out->wYear = static_cast<WORD>(t.tm_year + 1900);
  out->wMonth = static_cast<WORD>(t.tm_mon + 1);
  out->wDayOfWeek = static_cast<WORD>(t.tm_wday);
  out->wDay = static_cast<WORD>(t.tm_mday);
  out->wHour = static_cast<WORD>(t.tm_hour);
  out->wMinute = static_cast<WORD>(t.tm_min);
  out->wSecond = static_cast<WORD>(t.tm_sec > 59 ? 59 : t.tm_sec);  // no leap second in a SYSTEMTIME
  out->wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
}

}  // namespace

DWORD GetTickCount() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  uint64_t ms = static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

void GetLocalTime(SYSTEMTIME* time) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm t {};
  localtime_r(&ts.tv_sec, &t);
  FillSystemTime(time, t, ts.tv_nsec);
}

void GetSystemTime(SYSTEMTIME* time) {
  struct timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  struct tm t {};
  gmtime_r(&ts.tv_sec, &t);
  FillSystemTime(time, t, ts.tv_nsec);
}
