// The non-window core of the MFC class library as the program uses it: objects with run-time
// classes, exceptions thrown as pointers, strings, times, files and memory files, and the
// collection templates (afxtempl.h).
#pragma once

#include <cstdint>
#include <ctime>

#include <windows.h>

#include "afxstr.h"

class CObject;
class CArchive;
class CDocument;

typedef int64_t __time64_t;

// ---------------------------------------------------------------------------------------------
// Run-time classes

struct CRuntimeClass {
  const char* m_lpszClassName;
  int m_nObjectSize;
  UINT m_wSchema;                     // 0xFFFF for classes that are not serializable
  CObject* (*m_pfnCreateObject)();    // null when the class cannot be created dynamically
  CRuntimeClass* m_pBaseClass;        // null for CObject
  CRuntimeClass* m_pNextClass;        // link of the class registry

  CObject* CreateObject();
  BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;

  // Classes made with IMPLEMENT_DYNAMIC / IMPLEMENT_DYNCREATE in any loaded library.
  static CRuntimeClass* FromName(const char* lpszClassName);
  static CRuntimeClass* FromName(const wchar_t* lpszClassName);
  static CObject* CreateObject(const char* lpszClassName);
  static CObject* CreateObject(const wchar_t* lpszClassName);
};

// Registers a run-time class for FromName while the library that defines it is loaded.
struct AFX_CLASSINIT {
  explicit AFX_CLASSINIT(CRuntimeClass* pNewClass);
  ~AFX_CLASSINIT();
  AFX_CLASSINIT(const AFX_CLASSINIT&) = delete;
  AFX_CLASSINIT& operator=(const AFX_CLASSINIT&) = delete;

 private:
  CRuntimeClass* m_pClass;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

#define DECLARE_DYNAMIC(class_name)          \
 public:                                     \
  static CRuntimeClass class##class_name;    \
  CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
  DECLARE_DYNAMIC(class_name)         \
  static CObject* CreateObject();

#define IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, wSchema, pfnNew)                             \
  CRuntimeClass class_name::class##class_name = {#class_name, static_cast<int>(sizeof(class_name)),      \
                                                 wSchema, pfnNew, RUNTIME_CLASS(base_class_name), nullptr}; \
  static AFX_CLASSINIT lw_classinit_##class_name(RUNTIME_CLASS(class_name));                                \
  CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                 \
  CObject* class_name::CreateObject() { return new class_name; }        \
  IMPLEMENT_RUNTIMECLASS(class_name, base_class_name, 0xFFFF, class_name::CreateObject)

// For class templates: every instance gets a run-time class record of its own (not registered
// for FromName, since all instances share one name). Use after the template's definition, e.g.
// IMPLEMENT_DYNCREATE_T(CScene, Action, CBaseScene) for template <class Action> class CScene.
#define RUNTIME_CLASS_T(class_name, T1) (&class_name<T1>::class##class_name)

#define IMPLEMENT_RUNTIMECLASS_T(class_name, T1, base_class_name, wSchema, pfnNew)                        \
  template <class T1>                                                                                    \
  CRuntimeClass class_name<T1>::class##class_name = {#class_name, static_cast<int>(sizeof(class_name<T1>)), \
                                                     wSchema, pfnNew, RUNTIME_CLASS(base_class_name), nullptr}; \
  template <class T1>                                                                                    \
  CRuntimeClass* class_name<T1>::GetRuntimeClass() const { return &class_name<T1>::class##class_name; }

#define IMPLEMENT_DYNAMIC_T(class_name, T1, base_class_name) \
  IMPLEMENT_RUNTIMECLASS_T(class_name, T1, base_class_name, 0xFFFF, nullptr)

#define IMPLEMENT_DYNCREATE_T(class_name, T1, base_class_name)                                 \
  template <class T1>                                                                          \
  CObject* class_name<T1>::CreateObject() { return new class_name<T1>; }                       \
  IMPLEMENT_RUNTIMECLASS_T(class_name, T1, base_class_name, 0xFFFF, class_name<T1>::CreateObject)

// ---------------------------------------------------------------------------------------------
// CObject

class CObject {
 public:
  static CRuntimeClass classCObject;
  virtual CRuntimeClass* GetRuntimeClass() const;
  virtual ~CObject() = default;
  virtual void Serialize(CArchive& ar);

  BOOL IsKindOf(const CRuntimeClass* pClass) const;

  CObject(const CObject&) = delete;
  CObject& operator=(const CObject&) = delete;

 protected:
  CObject() = default;
};

// ---------------------------------------------------------------------------------------------
// Exceptions: thrown as pointers (throw new CFileException(...)), caught as CException* and
// released with Delete().

class CException : public CObject {
  DECLARE_DYNAMIC(CException)
 public:
  explicit CException(BOOL bAutoDelete = TRUE) : m_bAutoDelete(bAutoDelete) {}
  void Delete();
  // Copies the message (at most nMaxError - 1 characters and a terminator); FALSE when there is none.
  virtual BOOL GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;
  CString GetErrorMessage() const;

  BOOL m_bAutoDelete;
};

class CMemoryException : public CException {
  DECLARE_DYNAMIC(CMemoryException)
 public:
  CMemoryException() = default;
  BOOL GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;
};

class CNotSupportedException : public CException {
  DECLARE_DYNAMIC(CNotSupportedException)
 public:
  CNotSupportedException() = default;
  BOOL GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;
};

class CInvalidArgException : public CException {
  DECLARE_DYNAMIC(CInvalidArgException)
 public:
  CInvalidArgException() = default;
  BOOL GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
 public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };

  explicit CFileException(int cause = none, LONG lOsError = -1, const wchar_t* lpszArchiveName = nullptr)
      : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszArchiveName) {}

  // Causes from errno values (the operating-system error of this platform).
  static int ErrnoToException(int nErrno);
  [[noreturn]] static void ThrowErrno(int nErrno, const wchar_t* lpszFileName = nullptr);

  BOOL GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;

  int m_cause;
  LONG m_lOsError;  // errno, or -1
  CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, const wchar_t* lpszFileName = nullptr);

// ---------------------------------------------------------------------------------------------
// CTime: seconds since 1970-01-01 00:00 UTC, 64-bit; broken down in local time.

class CTime {
 public:
  CTime() = default;
  CTime(__time64_t time) : m_time(time) {}
  // Local date and time; nDST < 0 lets the C library decide whether daylight saving applies.
  // Out-of-range fields are normalised (day 32 is the next month's first); a date that cannot be
  // represented throws CInvalidArgException*.
  CTime(int nYear, int nMonth, int nDay, int nHour, int nMin, int nSec, int nDST = -1);

  static CTime GetCurrentTime();

  __time64_t GetTime() const { return m_time; }
  // FALSE when the time cannot be broken down.
  BOOL GetLocalTm(struct tm* ptm) const;
  BOOL GetGmtTm(struct tm* ptm) const;
  int GetYear() const;
  int GetMonth() const;      // 1 to 12
  int GetDay() const;        // 1 to 31
  int GetHour() const;
  int GetMinute() const;
  int GetSecond() const;
  int GetDayOfWeek() const;  // 1 = Sunday to 7 = Saturday

  friend bool operator==(CTime a, CTime b) { return a.m_time == b.m_time; }
  friend bool operator!=(CTime a, CTime b) { return a.m_time != b.m_time; }
  friend bool operator<(CTime a, CTime b) { return a.m_time < b.m_time; }
  friend bool operator>(CTime a, CTime b) { return a.m_time > b.m_time; }
  friend bool operator<=(CTime a, CTime b) { return a.m_time <= b.m_time; }
  friend bool operator>=(CTime a, CTime b) { return a.m_time >= b.m_time; }

 private:
  __time64_t m_time = 0;
};

// ---------------------------------------------------------------------------------------------
// Files

struct CFileStatus {
  CTime m_ctime;       // status change time
  CTime m_mtime;       // last modification
  CTime m_atime;       // last access
  ULONGLONG m_size;    // bytes
  BYTE m_attribute;    // CFile::Attribute bits
  wchar_t m_szFullName[MAX_PATH];
};

// A disk file. Paths may use '\' or '/' (backslashes are turned into '/'), and go to the
// operating system as UTF-8. Failures throw CFileException*; Open reports them instead.
//
// Sharing flags are honoured with advisory whole-file locks (flock) on regular files, which bind
// every CFile of every process: shareCompat (exclusive, as in MFC), shareExclusive and
// shareDenyRead take an exclusive lock, shareDenyWrite a shared one; a shareDenyNone opening first
// checks that nobody denies its access. Handles are never inherited by child processes.
class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
    osNoBuffer = 0x10000,
    osWriteThrough = 0x20000,
    osRandomAccess = 0x40000,
    osSequentialScan = 0x80000,
  };
  enum Attribute : BYTE {
    normal = 0x00,
    readOnly = 0x01,
    hidden = 0x02,
    system = 0x04,
    volume = 0x08,
    directory = 0x10,
    archive = 0x20,
  };
  enum SeekPosition : UINT { begin = 0x0, current = 0x1, end = 0x2 };

  static const HANDLE hFileNull;

  CFile();
  // Opens the file or throws CFileException*.
  CFile(const wchar_t* lpszFileName, UINT nOpenFlags);
  ~CFile() override;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // FALSE on failure, with the cause, errno and file name in *pError when given.
  virtual BOOL Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

  // Bytes read; fewer than asked at the end of the file.
  virtual UINT Read(void* lpBuf, UINT nCount);
  // Writes every byte or throws (diskFull when the device is full).
  virtual void Write(const void* lpBuf, UINT nCount);
  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  // Truncates or extends (with zeros); the position moves to the new length.
  virtual void SetLength(ULONGLONG dwNewLen);
  virtual void Flush();
  virtual void Close();
  // Closes without throwing.
  virtual void Abort();

  virtual CString GetFileName() const;   // name with extension
  virtual CString GetFileTitle() const;  // name without extension
  virtual CString GetFilePath() const;   // full path
  virtual void SetFilePath(const wchar_t* lpszNewName);

  BOOL GetStatus(CFileStatus& rStatus) const;
  static BOOL GetStatus(const wchar_t* lpszFileName, CFileStatus& rStatus);
  static void Remove(const wchar_t* lpszFileName);
  // Fails (throws) when the new name exists, as on Windows.
  static void Rename(const wchar_t* lpszOldName, const wchar_t* lpszNewName);

  // The path as the operating system takes it: '/' separators, UTF-8.
  static std::string ToOsPath(const wchar_t* lpszFileName);

  HANDLE m_hFile;
  BOOL m_bCloseOnDelete;

 protected:
  int Fd() const;
  CString m_strFileName;
};

// A file in memory. It grows in steps of nGrowBytes; an attached buffer with nGrowBytes 0 is of
// fixed size and writing past its end throws CMemoryException*. A seek past the end followed by a
// write fills the gap with zeros. Buffers are allocated with malloc.
class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
 public:
  explicit CMemFile(UINT nGrowBytes = 1024);
  CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  ~CMemFile() override;

  // With nGrowBytes 0 the buffer's bytes are the file (length nBufferSize) and its size is fixed;
  // otherwise the file starts empty and may grow, in which case the caller's buffer is copied into
  // a new block and left untouched. The caller keeps ownership of lpBuffer.
  void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  // Hands the buffer over to the caller (free() it when it was grown by this file) and empties
  // the file.
  BYTE* Detach();

  BOOL Open(const wchar_t* lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
  ULONGLONG GetPosition() const override { return m_nPosition; }
  ULONGLONG GetLength() const override { return m_nFileSize; }
  void SetLength(ULONGLONG dwNewLen) override;
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }

  // The bytes of the file (GetLength() of them); valid until the next write or close.
  const BYTE* GetBufferPtr() const { return m_lpBuffer; }
  SIZE_T GetBufferSize() const { return m_nBufferSize; }

 protected:
  void GrowFile(SIZE_T dwNewLen);

  SIZE_T m_nGrowBytes;
  SIZE_T m_nPosition;
  SIZE_T m_nBufferSize;
  SIZE_T m_nFileSize;
  BYTE* m_lpBuffer;
  BOOL m_bAutoDelete;
};

// Walks the files of a folder that match a pattern ('*' and '?' in the last part, "*.*" for
// everything; "." and ".." are listed as on Windows). Call FindNextFile before reading the first
// file's properties; it returns FALSE when the file it moved to is the last one.
class CFileFind : public CObject {
  DECLARE_DYNAMIC(CFileFind)
 public:
  CFileFind();
  ~CFileFind() override;

  // A null pattern means "*.*" in the current folder. FALSE when nothing matches.
  virtual BOOL FindFile(const wchar_t* pstrName = nullptr, DWORD dwUnused = 0);
  virtual BOOL FindNextFile();
  void Close();

  ULONGLONG GetLength() const;
  virtual CString GetFileName() const;
  virtual CString GetFilePath() const;  // the pattern's folder joined with the name by '/'
  virtual CString GetFileTitle() const;
  virtual CString GetRoot() const;
  BOOL IsDirectory() const { return MatchesMask(FILE_ATTRIBUTE_DIRECTORY); }
  BOOL IsReadOnly() const { return MatchesMask(FILE_ATTRIBUTE_READONLY); }
  BOOL IsHidden() const { return MatchesMask(FILE_ATTRIBUTE_HIDDEN); }
  BOOL IsDots() const;
  BOOL MatchesMask(DWORD dwMask) const;

 private:
  HANDLE m_hContext;
  WIN32_FIND_DATAW m_found;
  WIN32_FIND_DATAW m_next;
  BOOL m_bHasFound;
  BOOL m_bHasNext;
  CString m_strRoot;
};

// The archive handed to Serialize: only the file and the direction. The program's documents
// write their content through their own stream code, not through archive operators.
class CArchive {
 public:
  enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2 };

  CArchive(CFile* pFile, UINT nMode) : m_pFile(pFile), m_nMode(nMode) {}
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  CFile* GetFile() const { return m_pFile; }
  void Flush() {}
  void Close() {}
  void Abort() {}

  CDocument* m_pDocument = nullptr;

 private:
  CFile* m_pFile;
  UINT m_nMode;
};

#include "afxtempl.h"
