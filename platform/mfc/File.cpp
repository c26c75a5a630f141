#include <afx.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <lwstr.h>
#include <winfile.h>

IMPLEMENT_DYNAMIC(CFile, CObject)

const HANDLE CFile::hFileNull = INVALID_HANDLE_VALUE;

namespace {

HANDLE FdToHandle(int fd) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd)); }

void FillError(CFileException* pError, int err, const wchar_t* name) {
  if (!pError) return;
  pError->m_cause = CFileException::ErrnoToException(err);
  pError->m_lOsError = err;
  pError->m_strFileName = name;
}

std::wstring FullPath(const std::string& osPath) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(osPath), ec);
  if (ec) return lw::Utf8ToWide(osPath);
  return lw::Utf8ToWide(p.lexically_normal().string());
}

int RetryOpen(const char* path, int flags, mode_t mode) {
  int fd;
  do fd = ::open(path, flags, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

int RetryFlock(int fd, int op) {
  int r;
  do r = ::flock(fd, op);
  while (r != 0 && errno == EINTR);
  return r;
}

CTime StatTime(const struct timespec& ts) { return CTime(static_cast<__time64_t>(ts.tv_sec)); }

void FillStatus(const struct stat& st, const std::wstring& fullName, CFileStatus& rStatus) {
  rStatus.m_ctime = StatTime(st.st_ctim);
  rStatus.m_mtime = StatTime(st.st_mtim);
  rStatus.m_atime = StatTime(st.st_atim);
  rStatus.m_size = S_ISREG(st.st_mode) ? static_cast<ULONGLONG>(st.st_size) : 0;
  BYTE attr = CFile::normal;
  if (S_ISDIR(st.st_mode)) attr |= CFile::directory;
  if (!(st.st_mode & S_IWUSR)) attr |= CFile::readOnly;
  const size_t slash = fullName.find_last_of(L'/');
  const size_t nameAt = slash == std::wstring::npos ? 0 : slash + 1;
  if (nameAt < fullName.size() && fullName[nameAt] == L'.') attr |= CFile::hidden;
  rStatus.m_attribute = attr;
  const size_t n = std::min<size_t>(fullName.size(), MAX_PATH - 1);
  std::wmemcpy(rStatus.m_szFullName, fullName.data(), n);
  rStatus.m_szFullName[n] = L'\0';
}

}  // namespace

std::string CFile::ToOsPath(const wchar_t* lpszFileName) {
  return lw::NativePath(lpszFileName ? lpszFileName : L"");
}

CFile::CFile() : m_hFile(INVALID_HANDLE_VALUE), m_bCloseOnDelete(FALSE) {}

CFile::CFile(const wchar_t* lpszFileName, UINT nOpenFlags) : CFile() {
  CFileException e;
  if (!Open(lpszFileName, nOpenFlags, &e)) throw new CFileException(e.m_cause, e.m_lOsError, e.m_strFileName);
}

CFile::~CFile() {
  if (m_hFile != INVALID_HANDLE_VALUE && m_bCloseOnDelete) Abort();
}

int CFile::Fd() const { return m_hFile == INVALID_HANDLE_VALUE ? -1 : static_cast<int>(reinterpret_cast<intptr_t>(m_hFile)); }

BOOL CFile::Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_hFile != INVALID_HANDLE_VALUE) Abort();
  m_strFileName.Empty();
  if (!lpszFileName || !*lpszFileName) {
    FillError(pError, ENOENT, lpszFileName);
    return FALSE;
  }
  const std::string os = ToOsPath(lpszFileName);

  int flags = O_CLOEXEC;
  switch (nOpenFlags & 3) {
    case modeRead: flags |= O_RDONLY; break;
    case modeWrite: flags |= O_WRONLY; break;
    case modeReadWrite: flags |= O_RDWR; break;
    default: FillError(pError, EINVAL, lpszFileName); return FALSE;
  }
  if (nOpenFlags & modeCreate) flags |= O_CREAT;
  const int fd = RetryOpen(os.c_str(), flags, 0666);
  if (fd < 0) {
    FillError(pError, errno, lpszFileName);
    return FALSE;
  }
  auto fail = [&](int err) {
    ::close(fd);
    FillError(pError, err, lpszFileName);
    return FALSE;
  };

  struct stat st {};
  if (::fstat(fd, &st) != 0) return fail(errno);
  if (S_ISDIR(st.st_mode)) return fail(EISDIR);

  // Sharing, for regular files only (devices and pipes are shared by everyone): the lock this
  // handle keeps, or else a probe that nobody denies our access.
  if (S_ISREG(st.st_mode)) {
    const UINT share = nOpenFlags & 0x70;
    int keep = 0;
    // As in MFC, the compatibility mode is exclusive.
    if (share == shareCompat || share == shareExclusive || share == shareDenyRead) keep = LOCK_EX;
    else if (share == shareDenyWrite) keep = LOCK_SH;
    if (keep != LOCK_EX) {
      const int probe = (nOpenFlags & 3) != modeRead ? LOCK_EX : LOCK_SH;
      if (RetryFlock(fd, probe | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) return fail(EWOULDBLOCK);
      } else if (!keep) {
        RetryFlock(fd, LOCK_UN);
      }
    }
    if (keep && RetryFlock(fd, keep | LOCK_NB) != 0 && errno == EWOULDBLOCK) return fail(EWOULDBLOCK);
  }

  // Truncate only once the sharing rules allow us in.
  if ((nOpenFlags & modeCreate) && !(nOpenFlags & modeNoTruncate) && S_ISREG(st.st_mode) && st.st_size != 0) {
    const int r = (nOpenFlags & 3) == modeRead ? ::truncate(os.c_str(), 0) : ::ftruncate(fd, 0);
    if (r != 0) return fail(errno);
  }

  m_hFile = FdToHandle(fd);
  m_bCloseOnDelete = TRUE;
  m_strFileName = FullPath(os);
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  if (nCount == 0) return 0;
  if (!lpBuf) AfxThrowInvalidArgException();
  size_t done = 0;
  while (done < nCount) {
    const ssize_t r = ::read(Fd(), static_cast<char*>(lpBuf) + done, nCount - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      CFileException::ThrowErrno(errno, m_strFileName);
    }
    if (r == 0) break;
    done += static_cast<size_t>(r);
  }
  return static_cast<UINT>(done);
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (!lpBuf) AfxThrowInvalidArgException();
  size_t done = 0;
  while (done < nCount) {
    const ssize_t r = ::write(Fd(), static_cast<const char*>(lpBuf) + done, nCount - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      CFileException::ThrowErrno(errno, m_strFileName);
    }
    if (r == 0) AfxThrowFileException(CFileException::diskFull, -1, m_strFileName);
    done += static_cast<size_t>(r);
  }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  int whence;
  switch (nFrom) {
    case begin: whence = SEEK_SET; break;
    case current: whence = SEEK_CUR; break;
    case end: whence = SEEK_END; break;
    default: AfxThrowInvalidArgException();
  }
  const off_t r = ::lseek(Fd(), static_cast<off_t>(lOff), whence);
  if (r < 0) {
    const int err = errno;
    AfxThrowFileException(err == EBADF ? CFileException::invalidFile : CFileException::badSeek, err, m_strFileName);
  }
  return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetPosition() const {
  const off_t r = ::lseek(Fd(), 0, SEEK_CUR);
  if (r < 0) CFileException::ThrowErrno(errno, m_strFileName);
  return static_cast<ULONGLONG>(r);
}

ULONGLONG CFile::GetLength() const {
  struct stat st {};
  if (::fstat(Fd(), &st) != 0) CFileException::ThrowErrno(errno, m_strFileName);
  return S_ISREG(st.st_mode) ? static_cast<ULONGLONG>(st.st_size) : 0;
}

void CFile::SetLength(ULONGLONG dwNewLen) {
  if (dwNewLen > static_cast<ULONGLONG>(INT64_MAX)) AfxThrowFileException(CFileException::badSeek, EINVAL, m_strFileName);
  if (::ftruncate(Fd(), static_cast<off_t>(dwNewLen)) != 0) CFileException::ThrowErrno(errno, m_strFileName);
  Seek(static_cast<LONGLONG>(dwNewLen), begin);
}

void CFile::Flush() {
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  if (::fsync(Fd()) != 0 && errno != EINVAL && errno != EROFS) CFileException::ThrowErrno(errno, m_strFileName);
}

void CFile::Close() {
  if (m_hFile == INVALID_HANDLE_VALUE) return;
  const int fd = Fd();
  const CString name = m_strFileName;
  m_hFile = INVALID_HANDLE_VALUE;
  m_bCloseOnDelete = FALSE;
  m_strFileName.Empty();
  if (::close(fd) != 0 && errno != EINTR) CFileException::ThrowErrno(errno, name);
}

void CFile::Abort() {
  if (m_hFile != INVALID_HANDLE_VALUE) ::close(Fd());
  m_hFile = INVALID_HANDLE_VALUE;
  m_bCloseOnDelete = FALSE;
  m_strFileName.Empty();
}

CString CFile::GetFileName() const {
  const int slash = m_strFileName.ReverseFind(L'/');
  return m_strFileName.Mid(slash + 1);
}

CString CFile::GetFileTitle() const {
  CString name = GetFileName();
  const int dot = name.ReverseFind(L'.');
  return dot > 0 ? name.Left(dot) : name;
}

CString CFile::GetFilePath() const { return m_strFileName; }

void CFile::SetFilePath(const wchar_t* lpszNewName) { m_strFileName = lpszNewName; }

BOOL CFile::GetStatus(CFileStatus& rStatus) const {
  struct stat st {};
  if (m_hFile == INVALID_HANDLE_VALUE || ::fstat(Fd(), &st) != 0) return FALSE;
  FillStatus(st, m_strFileName.str(), rStatus);
  return TRUE;
}

BOOL CFile::GetStatus(const wchar_t* lpszFileName, CFileStatus& rStatus) {
  if (!lpszFileName || !*lpszFileName) return FALSE;
  const std::string os = ToOsPath(lpszFileName);
  struct stat st {};
  if (::stat(os.c_str(), &st) != 0) return FALSE;
  FillStatus(st, FullPath(os), rStatus);
  return TRUE;
}

void CFile::Remove(const wchar_t* lpszFileName) {
  const std::string os = ToOsPath(lpszFileName);
  if (::unlink(os.c_str()) != 0) CFileException::ThrowErrno(errno, lpszFileName);
}

void CFile::Rename(const wchar_t* lpszOldName, const wchar_t* lpszNewName) {
  const std::string from = ToOsPath(lpszOldName), to = ToOsPath(lpszNewName);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) CFileException::ThrowErrno(errno, lpszOldName);
  // The file system cannot refuse to replace by itself.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) CFileException::ThrowErrno(EEXIST, lpszOldName);
  if (::rename(from.c_str(), to.c_str()) != 0) CFileException::ThrowErrno(errno, lpszOldName);
}
