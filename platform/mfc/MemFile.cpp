#include <afx.h>

#include <cstdlib>
#include <cstring>
#include <limits>

IMPLEMENT_DYNAMIC(CMemFile, CFile)

CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes), m_nPosition(0), m_nBufferSize(0), m_nFileSize(0), m_lpBuffer(nullptr), m_bAutoDelete(TRUE) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : CMemFile(nGrowBytes) {
  Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
  Close();
  if (!lpBuffer && nBufferSize != 0) AfxThrowInvalidArgException();
  m_nGrowBytes = nGrowBytes;
  m_nPosition = 0;
  m_nBufferSize = nBufferSize;
  m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
  m_lpBuffer = lpBuffer;
  m_bAutoDelete = FALSE;
}

BYTE* CMemFile::Detach() {
  BYTE* lpBuffer = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nFileSize = 0;
  m_nBufferSize = 0;
  m_nPosition = 0;
  m_bAutoDelete = TRUE;
  return lpBuffer;
}

BOOL CMemFile::Open(const wchar_t*, UINT, CFileException* pError) {
  // A memory file has no name to open.
  if (pError) {
    pError->m_cause = CFileException::genericException;
    pError->m_lOsError = -1;
  }
  return FALSE;
}

void CMemFile::Close() {
  if (m_bAutoDelete) std::free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nGrowBytes = 0;
  m_nPosition = 0;
  m_nBufferSize = 0;
  m_nFileSize = 0;
  m_bAutoDelete = TRUE;
}

void CMemFile::GrowFile(SIZE_T dwNewLen) {
  if (dwNewLen <= m_nBufferSize) return;
  // A fixed buffer cannot grow.
  if (m_nGrowBytes == 0) AfxThrowMemoryException();
  const SIZE_T steps = (dwNewLen - m_nBufferSize + m_nGrowBytes - 1) / m_nGrowBytes;
  if (steps > (std::numeric_limits<SIZE_T>::max() - m_nBufferSize) / m_nGrowBytes) AfxThrowMemoryException();
  const SIZE_T newSize = m_nBufferSize + steps * m_nGrowBytes;
  BYTE* p;
  if (m_bAutoDelete) {
    p = static_cast<BYTE*>(std::realloc(m_lpBuffer, newSize));
    if (!p) AfxThrowMemoryException();
  } else {
    // The caller's buffer stays untouched; from now on the file owns a block of its own.
    p = static_cast<BYTE*>(std::malloc(newSize));
    if (!p) AfxThrowMemoryException();
    if (m_nFileSize) std::memcpy(p, m_lpBuffer, m_nFileSize);
    m_bAutoDelete = TRUE;
  }
  m_lpBuffer = p;
  m_nBufferSize = newSize;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0 || m_nPosition >= m_nFileSize) return 0;
  if (!lpBuf) AfxThrowInvalidArgException();
  const SIZE_T n = std::min<SIZE_T>(nCount, m_nFileSize - m_nPosition);
  std::memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (!lpBuf) AfxThrowInvalidArgException();
  if (nCount > std::numeric_limits<SIZE_T>::max() - m_nPosition) AfxThrowMemoryException();
  const SIZE_T end = m_nPosition + nCount;
  GrowFile(end);
  // Bytes between the old end and a position seeked past it read as zeros.
  if (m_nPosition > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  std::memmove(m_lpBuffer + m_nPosition, lpBuf, nCount);
  m_nPosition = end;
  if (m_nPosition > m_nFileSize) m_nFileSize = m_nPosition;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
  LONGLONG base;
  switch (nFrom) {
    case begin: base = 0; break;
    case current: base = static_cast<LONGLONG>(m_nPosition); break;
    case end: base = static_cast<LONGLONG>(m_nFileSize); break;
    default: AfxThrowInvalidArgException();
  }
  if ((lOff > 0 && base > std::numeric_limits<LONGLONG>::max() - lOff) || base + lOff < 0)
    AfxThrowFileException(CFileException::badSeek);
  m_nPosition = static_cast<SIZE_T>(base + lOff);
  return m_nPosition;
}

void CMemFile::SetLength(ULONGLONG dwNewLen) {
  if (dwNewLen > std::numeric_limits<SIZE_T>::max()) AfxThrowMemoryException();
  const SIZE_T n = static_cast<SIZE_T>(dwNewLen);
  if (n > m_nBufferSize) GrowFile(n);
  if (n > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, n - m_nFileSize);
  if (n < m_nPosition) m_nPosition = n;
  m_nFileSize = n;
}
