#include <afx.h>

#include <ctime>

CTime::CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST) {
  struct tm t {};
  t.tm_year = nYear - 1900;
  t.tm_mon = nMonth - 1;
  t.tm_mday = nDay;
  t.tm_hour = nHour;
  t.tm_min = nMin;
  t.tm_sec = nSec;
  t.tm_isdst = nDST < 0 ? -1 : (nDST > 0 ? 1 : 0);
  t.tm_wday = -1;  // mktime sets it only on success (-1 is also a valid time)
  const time_t v = mktime(&t);
  if (t.tm_wday < 0) AfxThrowInvalidArgException();
  m_time = static_cast<__time64_t>(v);
}

CTime CTime::GetCurrentTime() { return CTime(static_cast<__time64_t>(time(nullptr))); }

BOOL CTime::GetLocalTm(struct tm* ptm) const {
  if (!ptm) return FALSE;
  const time_t v = static_cast<time_t>(m_time);
  return localtime_r(&v, ptm) != nullptr;
}

BOOL CTime::GetGmtTm(struct tm* ptm) const {
  if (!ptm) return FALSE;
  const time_t v = static_cast<time_t>(m_time);
  return gmtime_r(&v, ptm) != nullptr;
}

namespace {
struct tm Local(__time64_t t) {
  struct tm r {};
  const time_t v = static_cast<time_t>(t);
  localtime_r(&v, &r);
  return r;
}
}  // namespace

int CTime::GetYear() const { return Local(m_time).tm_year + 1900; }
int CTime::GetMonth() const { return Local(m_time).tm_mon + 1; }
int CTime::GetDay() const { return Local(m_time).tm_mday; }
int CTime::GetHour() const { return Local(m_time).tm_hour; }
int CTime::GetMinute() const { return Local(m_time).tm_min; }
int CTime::GetSecond() const { return Local(m_time).tm_sec; }
int CTime::GetDayOfWeek() const { return Local(m_time).tm_wday + 1; }
