// COM's stream interface and the global memory blocks it is built over: IUnknown, IStream,
// STATSTG, the memory streams (SHCreateMemStream, CreateStreamOnHGlobal) and the HGLOBAL calls.
// A stream keeps its own reference count; the creator holds the first reference and Release
// frees it. Global memory blocks are plain heap blocks found through a table of live handles:
// an unknown handle makes a call fail instead of touching memory.
#pragma once

#include "wintypes.h"

typedef const IID& REFIID;
typedef const GUID& REFGUID;
typedef const CLSID& REFCLSID;
typedef wchar_t OLECHAR;
typedef OLECHAR* LPOLESTR;
typedef const OLECHAR* LPCOLESTR;

#define STG_E_INVALIDPOINTER ((HRESULT)0x80030009)
#define STG_E_INSUFFICIENTMEMORY ((HRESULT)0x80030008)
#define STG_E_MEDIUMFULL ((HRESULT)0x80030070)
#define STG_E_REVERTED ((HRESULT)0x80030102)

extern const IID IID_IUnknown;
extern const IID IID_ISequentialStream;
extern const IID IID_IStream;

struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  virtual ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;

struct ISequentialStream : public IUnknown {
  // Reads up to cb bytes; S_OK when all were read, S_FALSE when the end came first.
  virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
  virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) = 0;
};

enum STREAM_SEEK { STREAM_SEEK_SET = 0, STREAM_SEEK_CUR = 1, STREAM_SEEK_END = 2 };
enum STGTY { STGTY_STORAGE = 1, STGTY_STREAM = 2, STGTY_LOCKBYTES = 3, STGTY_PROPERTY = 4 };
enum STATFLAG { STATFLAG_DEFAULT = 0, STATFLAG_NONAME = 1, STATFLAG_NOOPEN = 2 };
enum STGC { STGC_DEFAULT = 0, STGC_OVERWRITE = 1, STGC_ONLYIFCURRENT = 2 };
// Lock types of LockRegion; our streams refuse region locks, so the names (which glibc's <fcntl.h>
// also defines as macros) are not needed.

struct STATSTG {
  LPOLESTR pwcsName;
  DWORD type;
  ULARGE_INTEGER cbSize;
  FILETIME mtime;
  FILETIME ctime;
  FILETIME atime;
  DWORD grfMode;
  DWORD grfLocksSupported;
  CLSID clsid;
  DWORD grfStateBits;
  DWORD reserved;
};

struct IStream : public ISequentialStream {
  virtual HRESULT Seek(LARGE_INTEGER dlibMove, DWORD dwOrigin, ULARGE_INTEGER* plibNewPosition) = 0;
  virtual HRESULT SetSize(ULARGE_INTEGER libNewSize) = 0;
  virtual HRESULT CopyTo(IStream* pstm, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) = 0;
  virtual HRESULT Commit(DWORD grfCommitFlags) = 0;
  virtual HRESULT Revert() = 0;
  virtual HRESULT LockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  virtual HRESULT UnlockRegion(ULARGE_INTEGER libOffset, ULARGE_INTEGER cb, DWORD dwLockType) = 0;
  // Fills cbSize and type; the name is never set (pwcsName is null).
  virtual HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) = 0;
  // A second stream over the same bytes with its own position.
  virtual HRESULT Clone(IStream** ppstm) = 0;
};
typedef IStream* LPSTREAM;

// Global memory blocks.
#define GMEM_FIXED 0x0000u
#define GMEM_MOVEABLE 0x0002u
#define GMEM_ZEROINIT 0x0040u
#define GMEM_MODIFY 0x0080u
#define GMEM_DDESHARE 0x2000u
#define GMEM_SHARE 0x2000u
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)

// A fixed block's handle is the address of its bytes; a moveable block's handle is not, and its
// bytes are reached through GlobalLock. Null on failure.
HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// Resizes a block (GMEM_ZEROINIT clears the new tail). A moveable block keeps its handle; a fixed
// block may move (and so change its handle) only when GMEM_MOVEABLE is passed. Null on failure,
// the old block then stays valid.
HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
// Null on success, the handle when it is not a live block.
HGLOBAL GlobalFree(HGLOBAL hMem);
// The block's bytes (null for an unknown handle or an empty moveable block); counts locks of
// moveable blocks.
LPVOID GlobalLock(HGLOBAL hMem);
// TRUE while the block is still locked, FALSE when the last lock went away.
BOOL GlobalUnlock(HGLOBAL hMem);
// The block's size in bytes, 0 for an unknown handle.
SIZE_T GlobalSize(HGLOBAL hMem);

// A stream over a copy of cbInit bytes (none when pInit is null), readable and writable; null
// when memory runs out.
IStream* SHCreateMemStream(const BYTE* pInit, UINT cbInit);
// A stream over a global block; a null hGlobal makes a new, empty moveable block. The stream's
// size starts as the block's size and the block follows the stream's size. With
// fDeleteOnRelease the block is freed when the last stream over it is released.
HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream** ppstm);
// The block under a stream made by CreateStreamOnHGlobal or SHCreateMemStream.
HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal);
