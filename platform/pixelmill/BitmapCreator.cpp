#include "BitmapCreator.h"

#include <atomic>
#include <cstdint>
#include <new>

#include "BitmapCreatorTesting.h"

namespace {
std::atomic<int> g_failNext{0};

bool IsDibDepth(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}
}  // namespace

void PixelmillFailNextAllocations(int count) { g_failNext.store(count < 0 ? 0 : count); }

size_t CBitmapCreator::CalcDibBlockSize(int width, int height, int bits, int colours) {
  if (width < 1 || height < 1 || !IsDibDepth(bits) || colours < 0) return 0;
  uint64_t entries = 0;
  if (bits <= 8) {
    const uint64_t full = uint64_t{1} << bits;
    if (static_cast<uint64_t>(colours) > full) return 0;
    entries = colours ? static_cast<uint64_t>(colours) : full;
  }
  const uint64_t pitch = (static_cast<uint64_t>(width) * static_cast<uint64_t>(bits) + 31) / 32 * 4;
  const uint64_t total = sizeof(BITMAPINFOHEADER) + entries * sizeof(RGBQUAD) + pitch * static_cast<uint64_t>(height);
  if (total > kMaxBlockBytes) return 0;
  return static_cast<size_t>(total);
}

namespace {

BITMAPINFOHEADER* AllocateRecords(size_t bytes, bool zero) {
  if (bytes == 0 || bytes > CBitmapCreator::kMaxBlockBytes) return nullptr;
  int pending = g_failNext.load();
  while (pending > 0) {
    if (g_failNext.compare_exchange_weak(pending, pending - 1)) return nullptr;
  }
  const size_t records = (bytes + sizeof(BITMAPINFOHEADER) - 1) / sizeof(BITMAPINFOHEADER);
  if (zero) return new (std::nothrow) BITMAPINFOHEADER[records]();
  BITMAPINFOHEADER* block = new (std::nothrow) BITMAPINFOHEADER[records];
  if (block) block[records - 1] = BITMAPINFOHEADER{};  // the caller writes `bytes`; the rounding is zero
  return block;
}

}  // namespace

BITMAPINFOHEADER* CBitmapCreator::AllocateDibBlock(size_t bytes) { return AllocateRecords(bytes, true); }

BITMAPINFOHEADER* CBitmapCreator::AllocateDibBlockForCopy(size_t bytes) { return AllocateRecords(bytes, false); }

void CBitmapCreator::FreeDibImage(BITMAPINFOHEADER* block) { delete[] block; }

BITMAPINFOHEADER* CBitmapCreator::CreateDibImage(int width, int height, int bits, int colours) {
  const size_t bytes = CalcDibBlockSize(width, height, bits, colours);
  if (bytes == 0) return nullptr;
  BITMAPINFOHEADER* block = AllocateDibBlock(bytes);
  if (!block) return nullptr;
  block->biSize = sizeof(BITMAPINFOHEADER);
  block->biWidth = width;
  block->biHeight = height;
  block->biPlanes = 1;
  block->biBitCount = static_cast<WORD>(bits);
  block->biCompression = BI_RGB;
  block->biClrUsed = static_cast<DWORD>(colours);
  return block;
}
