// Global memory blocks and the memory streams built over them.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <unordered_map>

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_ISequentialStream = {0x0c733a30, 0x2a1c, 0x11ce, {0xad, 0xe5, 0x00, 0xaa, 0x00, 0x44, 0x77, 0x3d}};
const IID IID_IStream = {0x0000000c, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

namespace {

// Streams over global blocks are limited to 32-bit sizes, as on Windows.
constexpr ULONGLONG kMaxStreamSize = 0xFFFFFFFFull;

struct Block {
  BYTE* data = nullptr;  // malloc'ed; null for an empty moveable block
  SIZE_T size = 0;
  SIZE_T capacity = 0;
  bool moveable = false;
  UINT locks = 0;
};

std::mutex g_blocksMutex;
std::unordered_map<void*, Block*>& Blocks() {
  static auto* blocks = new std::unordered_map<void*, Block*>();
  return *blocks;
}

Block* FindLocked(HGLOBAL h) {
  if (!h) return nullptr;
  auto it = Blocks().find(h);
  return it == Blocks().end() ? nullptr : it->second;
}

// Grows or shrinks a block's bytes; keeps spare room so that a growing stream does not copy its
// bytes on every write. Returns false (block unchanged) when memory runs out.
bool ResizeBlock(Block* b, SIZE_T bytes, bool zeroTail, bool allowMove) {
  if (bytes > b->capacity || (b->capacity > 4096 && bytes < b->capacity / 4)) {
    SIZE_T cap = bytes;
    if (bytes > b->capacity && b->moveable) cap = std::max<SIZE_T>(bytes, b->capacity + b->capacity / 2);
    BYTE* p;
    if (!allowMove) {
      if (bytes > b->capacity) return false;
      p = b->data;  // shrinking in place
      cap = b->capacity;
    } else {
      p = static_cast<BYTE*>(std::realloc(b->data, cap ? cap : 1));
      if (!p) return false;
    }
    b->data = p;
    b->capacity = cap;
  }
  if (zeroTail && bytes > b->size) std::memset(b->data + b->size, 0, bytes - b->size);
  b->size = bytes;
  return true;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  if (dwBytes > kMaxStreamSize * 16) return nullptr;
  auto* b = new (std::nothrow) Block();
  if (!b) return nullptr;
  b->moveable = (uFlags & GMEM_MOVEABLE) != 0;
  if (dwBytes > 0 || !b->moveable) {
    b->data = static_cast<BYTE*>((uFlags & GMEM_ZEROINIT) ? std::calloc(dwBytes ? dwBytes : 1, 1)
                                                          : std::malloc(dwBytes ? dwBytes : 1));
    if (!b->data) {
      delete b;
      return nullptr;
    }
    b->capacity = dwBytes ? dwBytes : 1;
  }
  b->size = dwBytes;
  void* handle = b->moveable ? static_cast<void*>(b) : static_cast<void*>(b->data);
  std::lock_guard<std::mutex> lock(g_blocksMutex);
  Blocks()[handle] = b;
  return handle;
}

HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags) {
  if (dwBytes > kMaxStreamSize * 16 || (uFlags & GMEM_MODIFY)) return nullptr;
  std::lock_guard<std::mutex> lock(g_blocksMutex);
  Block* b = FindLocked(hMem);
  if (!b) return nullptr;
  const bool zero = (uFlags & GMEM_ZEROINIT) != 0;
  if (b->moveable) return ResizeBlock(b, dwBytes, zero, b->locks == 0 || (uFlags & GMEM_MOVEABLE)) ? hMem : nullptr;
  const BYTE* old = b->data;
  if (!ResizeBlock(b, dwBytes, zero, (uFlags & GMEM_MOVEABLE) != 0)) return nullptr;
  if (b->data != old) {
    Blocks().erase(hMem);
    Blocks()[b->data] = b;
  }
  return b->data;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  if (!hMem) return nullptr;
  Block* b;
  {
    std::lock_guard<std::mutex> lock(g_blocksMutex);
    b = FindLocked(hMem);
    if (!b) return hMem;
    Blocks().erase(hMem);
  }
  std::free(b->data);
  delete b;
  return nullptr;
}

LPVOID GlobalLock(HGLOBAL hMem) {
  std::lock_guard<std::mutex> lock(g_blocksMutex);
  Block* b = FindLocked(hMem);
  if (!b) return nullptr;
  if (!b->moveable) return b->data;
  if (b->size == 0) return nullptr;
  ++b->locks;
  return b->data;
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  std::lock_guard<std::mutex> lock(g_blocksMutex);
  Block* b = FindLocked(hMem);
  if (!b || !b->moveable || b->locks == 0) return FALSE;
  return --b->locks > 0 ? TRUE : FALSE;
}

SIZE_T GlobalSize(HGLOBAL hMem) {
  std::lock_guard<std::mutex> lock(g_blocksMutex);
  Block* b = FindLocked(hMem);
  return b ? b->size : 0;
}

namespace {

// The block shared by a stream and its clones; frees it with the last of them when asked to.
struct SharedBlock {
  HGLOBAL handle;
  bool deleteOnRelease;
  std::mutex mutex;  // serialises the clones' access to the bytes
  ~SharedBlock() {
    if (deleteOnRelease) GlobalFree(handle);
  }
};

class HGlobalStream final : public IStream {
 public:
  explicit HGlobalStream(std::shared_ptr<SharedBlock> block) : block_(std::move(block)) {}

  HRESULT QueryInterface(REFIID riid, void** ppv) override {
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
      *ppv = static_cast<IStream*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs_; }
  ULONG Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
    if (pcbRead) *pcbRead = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    std::lock_guard<std::mutex> lock(block_->mutex);
    std::lock_guard<std::mutex> blocks(g_blocksMutex);
    Block* b = FindLocked(block_->handle);
    if (!b) return E_FAIL;
    ULONG n = 0;
    if (pos_ < b->size) n = static_cast<ULONG>(std::min<ULONGLONG>(cb, b->size - pos_));
    if (n) std::memcpy(pv, b->data + pos_, n);
    pos_ += n;
    if (pcbRead) *pcbRead = n;
    return n == cb ? S_OK : S_FALSE;
  }

  HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override {
    if (pcbWritten) *pcbWritten = 0;
    if (!pv && cb) return STG_E_INVALIDPOINTER;
    if (cb == 0) return S_OK;
    std::lock_guard<std::mutex> lock(block_->mutex);
    std::lock_guard<std::mutex> blocks(g_blocksMutex);
    Block* b = FindLocked(block_->handle);
    if (!b) return E_FAIL;
    const ULONGLONG end = pos_ + cb;
    if (end > kMaxStreamSize) return STG_E_MEDIUMFULL;
    if (end > b->size && !ResizeBlock(b, static_cast<SIZE_T>(end), true, b->moveable ? true : false))
      return STG_E_MEDIUMFULL;
    std::memcpy(b->data + pos_, pv, cb);
    pos_ = end;
    if (pcbWritten) *pcbWritten = cb;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPos) override {
    std::lock_guard<std::mutex> lock(block_->mutex);
    LONGLONG base;
    switch (origin) {
      case STREAM_SEEK_SET: base = 0; break;
      case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(pos_); break;
      case STREAM_SEEK_END: base = static_cast<LONGLONG>(GlobalSize(block_->handle)); break;
      default: return STG_E_INVALIDFUNCTION;
    }
    // A position before the start, or one that does not fit a 32-bit stream, is refused.
    if ((move.QuadPart < 0 && -move.QuadPart > base) ||
        (move.QuadPart > 0 && static_cast<ULONGLONG>(move.QuadPart) > kMaxStreamSize - static_cast<ULONGLONG>(base)))
      return STG_E_INVALIDFUNCTION;
    pos_ = static_cast<ULONGLONG>(base + move.QuadPart);
    if (newPos) newPos->QuadPart = pos_;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    if (size.QuadPart > kMaxStreamSize) return STG_E_MEDIUMFULL;
    std::lock_guard<std::mutex> lock(block_->mutex);
    std::lock_guard<std::mutex> blocks(g_blocksMutex);
    Block* b = FindLocked(block_->handle);
    if (!b) return E_FAIL;
    if (!ResizeBlock(b, static_cast<SIZE_T>(size.QuadPart), true, b->moveable)) return STG_E_MEDIUMFULL;
    return S_OK;
  }

  HRESULT CopyTo(IStream* dest, ULARGE_INTEGER cb, ULARGE_INTEGER* pcbRead, ULARGE_INTEGER* pcbWritten) override {
    if (pcbRead) pcbRead->QuadPart = 0;
    if (pcbWritten) pcbWritten->QuadPart = 0;
    if (!dest) return STG_E_INVALIDPOINTER;
    BYTE buf[16384];
    ULONGLONG left = cb.QuadPart, read = 0, written = 0;
    while (left > 0) {
      ULONG got = 0;
      const HRESULT hr = Read(buf, static_cast<ULONG>(std::min<ULONGLONG>(left, sizeof(buf))), &got);
      if (FAILED(hr)) return hr;
      if (got == 0) break;
      read += got;
      ULONG put = 0;
      const HRESULT hw = dest->Write(buf, got, &put);
      written += put;
      if (FAILED(hw)) {
        if (pcbRead) pcbRead->QuadPart = read;
        if (pcbWritten) pcbWritten->QuadPart = written;
        return hw;
      }
      left -= got;
    }
    if (pcbRead) pcbRead->QuadPart = read;
    if (pcbWritten) pcbWritten->QuadPart = written;
    return S_OK;
  }

  HRESULT Commit(DWORD) override { return S_OK; }
  HRESULT Revert() override { return S_OK; }
  HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }
  HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return STG_E_INVALIDFUNCTION; }

  HRESULT Stat(STATSTG* st, DWORD) override {
    if (!st) return STG_E_INVALIDPOINTER;
    std::memset(st, 0, sizeof(*st));
    st->type = STGTY_STREAM;
    st->cbSize.QuadPart = GlobalSize(block_->handle);
    return S_OK;
  }

  HRESULT Clone(IStream** out) override {
    if (!out) return STG_E_INVALIDPOINTER;
    auto* s = new (std::nothrow) HGlobalStream(block_);
    if (!s) {
      *out = nullptr;
      return E_OUTOFMEMORY;
    }
    std::lock_guard<std::mutex> lock(block_->mutex);
    s->pos_ = pos_;
    *out = s;
    return S_OK;
  }

  HGLOBAL handle() const { return block_->handle; }

 private:
  ~HGlobalStream() override = default;

  std::shared_ptr<SharedBlock> block_;
  ULONGLONG pos_ = 0;
  std::atomic<ULONG> refs_{1};
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, IStream** ppstm) {
  if (!ppstm) return E_INVALIDARG;
  *ppstm = nullptr;
  bool made = false;
  if (!hGlobal) {
    hGlobal = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!hGlobal) return E_OUTOFMEMORY;
    made = true;
  } else {
    std::lock_guard<std::mutex> lock(g_blocksMutex);
    if (!FindLocked(hGlobal)) return E_INVALIDARG;
  }
  std::shared_ptr<SharedBlock> block;
  try {
    block = std::make_shared<SharedBlock>();
  } catch (const std::bad_alloc&) {
    if (made) GlobalFree(hGlobal);
    return E_OUTOFMEMORY;
  }
  block->handle = hGlobal;
  block->deleteOnRelease = fDeleteOnRelease != FALSE;
  auto* s = new (std::nothrow) HGlobalStream(block);
  if (!s) {
    if (made && !fDeleteOnRelease) GlobalFree(hGlobal);  // otherwise the shared block frees it
    return E_OUTOFMEMORY;
  }
  *ppstm = s;
  return S_OK;
}

IStream* SHCreateMemStream(const BYTE* pInit, UINT cbInit) {
  if (!pInit) cbInit = 0;
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, cbInit);
  if (!h) return nullptr;
  if (cbInit) {
    void* p = GlobalLock(h);
    std::memcpy(p, pInit, cbInit);
    GlobalUnlock(h);
  }
  IStream* s = nullptr;
  if (FAILED(CreateStreamOnHGlobal(h, TRUE, &s))) return nullptr;
  return s;
}

HRESULT GetHGlobalFromStream(IStream* pstm, HGLOBAL* phglobal) {
  if (!phglobal) return E_INVALIDARG;
  *phglobal = nullptr;
  auto* s = dynamic_cast<HGlobalStream*>(pstm);
  if (!s) return E_INVALIDARG;
  *phglobal = s->handle();
  return S_OK;
}
