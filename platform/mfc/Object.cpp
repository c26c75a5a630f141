#include <afx.h>

#include <cerrno>
#include <cstring>
#include <mutex>

#include <lwstr.h>

// ---------------------------------------------------------------------------------------------
// Run-time classes and their registry (one list for every loaded library, since they all share
// this one).

namespace {

struct ClassRegistry {
  std::mutex lock;
  CRuntimeClass* first = nullptr;
};

ClassRegistry& Registry() {
  static ClassRegistry* r = new ClassRegistry;  // never destroyed: libraries may unregister late
  return *r;
}

}  // namespace

CRuntimeClass CObject::classCObject = {"CObject", static_cast<int>(sizeof(CObject)), 0xFFFF, nullptr, nullptr, nullptr};
static AFX_CLASSINIT lw_classinit_CObject(&CObject::classCObject);

CRuntimeClass* CObject::GetRuntimeClass() const { return &CObject::classCObject; }

void CObject::Serialize(CArchive&) {}

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const { return GetRuntimeClass()->IsDerivedFrom(pClass); }

AFX_CLASSINIT::AFX_CLASSINIT(CRuntimeClass* pNewClass) : m_pClass(pNewClass) {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  pNewClass->m_pNextClass = r.first;
  r.first = pNewClass;
}

AFX_CLASSINIT::~AFX_CLASSINIT() {
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  for (CRuntimeClass** pp = &r.first; *pp; pp = &(*pp)->m_pNextClass) {
    if (*pp == m_pClass) {
      *pp = m_pClass->m_pNextClass;
      m_pClass->m_pNextClass = nullptr;
      break;
    }
  }
}

CObject* CRuntimeClass::CreateObject() { return m_pfnCreateObject ? m_pfnCreateObject() : nullptr; }

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const {
  if (!pBaseClass) return FALSE;
  for (const CRuntimeClass* p = this; p; p = p->m_pBaseClass)
    if (p == pBaseClass) return TRUE;
  return FALSE;
}

CRuntimeClass* CRuntimeClass::FromName(const char* lpszClassName) {
  if (!lpszClassName) return nullptr;
  ClassRegistry& r = Registry();
  std::lock_guard<std::mutex> g(r.lock);
  for (CRuntimeClass* p = r.first; p; p = p->m_pNextClass)
    if (std::strcmp(p->m_lpszClassName, lpszClassName) == 0) return p;
  return nullptr;
}

CRuntimeClass* CRuntimeClass::FromName(const wchar_t* lpszClassName) {
  if (!lpszClassName) return nullptr;
  return FromName(lw::WideToUtf8(lpszClassName).c_str());
}

CObject* CRuntimeClass::CreateObject(const char* lpszClassName) {
  CRuntimeClass* p = FromName(lpszClassName);
  return p ? p->CreateObject() : nullptr;
}

CObject* CRuntimeClass::CreateObject(const wchar_t* lpszClassName) {
  CRuntimeClass* p = FromName(lpszClassName);
  return p ? p->CreateObject() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Exceptions

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)

namespace {

BOOL CopyMessage(const CString& text, wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext) {
  if (pnHelpContext) *pnHelpContext = 0;
  if (!lpszError || nMaxError == 0) return FALSE;
  const size_t n = std::min<size_t>(static_cast<size_t>(text.GetLength()), nMaxError - 1);
  std::wmemcpy(lpszError, text.GetString(), n);
  lpszError[n] = L'\0';
  return TRUE;
}

}  // namespace

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext) *pnHelpContext = 0;
  if (lpszError && nMaxError) *lpszError = L'\0';
  return FALSE;
}

CString CException::GetErrorMessage() const {
  wchar_t buf[1024];
  if (!GetErrorMessage(buf, 1024)) return CString();
  return CString(buf);
}

BOOL CMemoryException::GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  return CopyMessage(L"Out of memory.", lpszError, nMaxError, pnHelpContext);
}

BOOL CNotSupportedException::GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  return CopyMessage(L"The operation is not supported.", lpszError, nMaxError, pnHelpContext);
}

BOOL CInvalidArgException::GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  return CopyMessage(L"An invalid argument was given.", lpszError, nMaxError, pnHelpContext);
}

int CFileException::ErrnoToException(int nErrno) {
  switch (nErrno) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EINVAL: return badPath;
    case EMFILE:
    case ENFILE: return tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case EEXIST:
    case ETXTBSY: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY: return removeCurrentDir;
    case ESPIPE:
    case EOVERFLOW: return badSeek;
    case EIO:
    case ENXIO:
    case ENODEV: return hardIO;
    case EWOULDBLOCK: return sharingViolation;
    case EDEADLK:
    case ENOLCK: return lockViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return diskFull;
    default: return genericException;
  }
}

void CFileException::ThrowErrno(int nErrno, const wchar_t* lpszFileName) {
  throw new CFileException(ErrnoToException(nErrno), nErrno, lpszFileName);
}

BOOL CFileException::GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  const wchar_t* what = nullptr;
  switch (m_cause) {
    case none: what = L"No error occurred with %s."; break;
    case fileNotFound: what = L"%s was not found."; break;
    case badPath: what = L"The path of %s is not valid."; break;
    case tooManyOpenFiles: what = L"%s could not be opened: too many files are open."; break;
    case accessDenied: what = L"Access to %s was denied."; break;
    case invalidFile: what = L"%s is not an open file."; break;
    case removeCurrentDir: what = L"%s is in use and cannot be removed."; break;
    case directoryFull: what = L"The folder of %s is full."; break;
    case badSeek: what = L"A seek in %s failed."; break;
    case hardIO: what = L"A hardware error occurred while accessing %s."; break;
    case sharingViolation: what = L"%s is in use by another program."; break;
    case lockViolation: what = L"A locked region of %s could not be used."; break;
    case diskFull: what = L"The disk is full while writing %s."; break;
    case endOfFile: what = L"An attempt was made to read past the end of %s."; break;
    default: what = L"An unknown error occurred while accessing %s."; break;
  }
  CString text;
  text.Format(what, m_strFileName.IsEmpty() ? L"an unnamed file" : m_strFileName.GetString());
  return CopyMessage(text, lpszError, nMaxError, pnHelpContext);
}

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowInvalidArgException() { throw new CInvalidArgException; }
void AfxThrowFileException(int cause, LONG lOsError, const wchar_t* lpszFileName) {
  throw new CFileException(cause, lOsError, lpszFileName);
}
