// CQorObjImage: blocks, queries, pixels, colour tables, depth and alpha operations, and the
// filter driver.
#include "QorObjImage.h"

#include <bit>
#include <cstring>

#include "BitmapCreator.h"
#include "QorPixelProcess.h"

static_assert(std::endian::native == std::endian::little, "packed DIB blocks are little-endian in memory");
static_assert(sizeof(BITMAPINFOHEADER) == 40 && sizeof(RGBQUAD) == 4 && sizeof(POINT) == 8 && sizeof(RECT) == 16,
              "Windows record sizes");

namespace QorPixelmill {

namespace {

bool IsDibDepth(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint64_t PitchOf(uint64_t width, uint64_t bits) { return (width * bits + 31) / 32 * 4; }

DWORD ReadDword(const BYTE* p) {
  DWORD v;
  std::memcpy(&v, p, 4);
  return v;
}

}  // namespace

// ---- construction and ownership ----

CQorObjImage::CQorObjImage(int width, int height, int bits) { Create(width, height, bits, 0); }

CQorObjImage::CQorObjImage(const CQorObjImage& other) { *this = other; }

CQorObjImage& CQorObjImage::operator=(const CQorObjImage& other) {
  if (&other == this || !other.m_pBlock) return *this;
  if (other.m_bAttached) {
    Attach(other.m_pBlock);
  } else {
    CopyOwned(other);
  }
  return *this;
}

CQorObjImage::~CQorObjImage() { Destroy(); }

void CQorObjImage::Destroy() {
  if (m_pBlock && !m_bAttached) CBitmapCreator::FreeDibImage(m_pBlock);
  m_pBlock = nullptr;
  m_bAttached = FALSE;
}

bool CQorObjImage::Create(int width, int height, int bits, int colours) {
  Destroy();
  m_pBlock = CBitmapCreator::CreateDibImage(width, height, bits, colours);
  return m_pBlock != nullptr;
}

size_t CQorObjImage::CalcuBlockSize(const BITMAPINFOHEADER* header) {
  if (!header || header->biSize != sizeof(BITMAPINFOHEADER)) return 0;
  if (header->biWidth < 1 || header->biHeight < 1) return 0;
  const int bits = header->biBitCount;
  if (!IsDibDepth(bits)) return 0;
  if (header->biCompression != BI_RGB && header->biCompression != BI_BITFIELDS) return 0;
  if (header->biCompression == BI_BITFIELDS && bits != 16 && bits != 32) return 0;
  if (bits <= 8 && header->biClrUsed > (DWORD{1} << bits)) return 0;
  const uint64_t total = sizeof(BITMAPINFOHEADER) + static_cast<uint64_t>(CalcuPaletteSize(header)) +
                         PitchOf(static_cast<uint64_t>(header->biWidth), static_cast<uint64_t>(bits)) *
                             static_cast<uint64_t>(header->biHeight);
  if (total > CBitmapCreator::kMaxBlockBytes) return 0;
  return static_cast<size_t>(total);
}

bool CQorObjImage::Create(const BITMAPINFOHEADER* header) {
  const size_t bytes = CalcuBlockSize(header);
  if (bytes == 0) return false;
  return Create(header, bytes);
}

bool CQorObjImage::Create(const BITMAPINFOHEADER* header, size_t availableBytes) {
  if (!header || availableBytes < sizeof(BITMAPINFOHEADER)) return false;
  const size_t bytes = CalcuBlockSize(header);
  if (bytes == 0 || bytes > availableBytes) return false;
  BITMAPINFOHEADER* block = CBitmapCreator::AllocateDibBlockForCopy(bytes);
  if (!block) return false;
  std::memcpy(block, header, bytes);  // the header may be this image's own block: copy first
  Destroy();
  m_pBlock = block;
  return true;
}

void CQorObjImage::Attach(BITMAPINFOHEADER* block) {
  if (block == m_pBlock) {
    m_bAttached = block ? TRUE : FALSE;
    return;
  }
  Destroy();
  m_pBlock = block;
  m_bAttached = block ? TRUE : FALSE;
}

BITMAPINFOHEADER* CQorObjImage::Detch() {
  BITMAPINFOHEADER* block = m_pBlock;
  m_pBlock = nullptr;
  m_bAttached = FALSE;
  return block;
}

bool CQorObjImage::CopyOwned(const CQorObjImage& other) {
  if (!other.m_pBlock) return false;
  const size_t bytes = other.BlockBytes();
  BITMAPINFOHEADER* block = CBitmapCreator::AllocateDibBlockForCopy(bytes);
  if (!block) return false;
  std::memcpy(block, other.m_pBlock, bytes);
  Destroy();
  m_pBlock = block;
  return true;
}

void CQorObjImage::TakeBlock(CQorObjImage& other) {
  if (&other == this) return;
  Destroy();
  m_pBlock = other.m_pBlock;
  m_bAttached = other.m_bAttached;
  other.m_pBlock = nullptr;
  other.m_bAttached = FALSE;
}

bool CQorObjImage::CreateSameFormat(CQorObjImage& out, int width, int height) const {
  if (!m_pBlock || &out == this) return false;
  const int bits = ColorBits();
  const bool bitFields = m_pBlock->biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
  const int colours = bits <= 8 ? static_cast<int>(m_pBlock->biClrUsed) : 0;
  if (!bitFields) {
    if (!out.Create(width, height, bits, colours)) return false;
    out.CopyPalette(*this);
    return true;
  }
  // A bit-field image keeps its three masks between the header and the pixels.
  const size_t plain = CBitmapCreator::CalcDibBlockSize(width, height, bits, 0);
  if (plain == 0) return false;
  BITMAPINFOHEADER* block = CBitmapCreator::AllocateDibBlock(plain + 12);
  if (!block) return false;
  *block = BITMAPINFOHEADER{};
  block->biSize = sizeof(BITMAPINFOHEADER);
  block->biWidth = width;
  block->biHeight = height;
  block->biPlanes = 1;
  block->biBitCount = static_cast<WORD>(bits);
  block->biCompression = BI_BITFIELDS;
  std::memcpy(reinterpret_cast<BYTE*>(block) + sizeof(BITMAPINFOHEADER),
              reinterpret_cast<const BYTE*>(m_pBlock) + m_pBlock->biSize, 12);
  out.Destroy();
  out.m_pBlock = block;
  return true;
}

// ---- queries ----

size_t CQorObjImage::BlockBytes() const {
  if (!m_pBlock) return 0;
  return static_cast<size_t>(m_pBlock->biSize) + static_cast<size_t>(CalcuPaletteSize()) +
         static_cast<size_t>(GetPitch()) * static_cast<size_t>(Height());
}

int CQorObjImage::GetPitch() const {
  if (!m_pBlock) return 0;
  return static_cast<int>(PitchOf(static_cast<uint64_t>(Width()), static_cast<uint64_t>(ColorBits())));
}

int CQorObjImage::GetPaletteEntryCount(const BITMAPINFOHEADER* header) {
  if (!header || header->biBitCount > 8) return 0;
  if (header->biClrUsed) return static_cast<int>(header->biClrUsed);
  return 1 << header->biBitCount;
}

int CQorObjImage::CalcuPaletteSize(const BITMAPINFOHEADER* header) {
  if (!header) return 0;
  if (header->biCompression == BI_BITFIELDS && (header->biBitCount == 16 || header->biBitCount == 32)) return 12;
  return GetPaletteEntryCount(header) * 4;
}

DWORD CQorObjImage::GetBitField() const {
  if (!m_pBlock || m_pBlock->biBitCount != 16) return 0;
  if (m_pBlock->biCompression == BI_RGB) return 0x3E0;
  return ReadDword(reinterpret_cast<const BYTE*>(m_pBlock) + m_pBlock->biSize + 4);
}

BYTE* CQorObjImage::GetMemStart() const {
  if (!m_pBlock) return nullptr;
  return reinterpret_cast<BYTE*>(m_pBlock) + m_pBlock->biSize + CalcuPaletteSize();
}

BYTE* CQorObjImage::GetBits(int y) const {
  if (!m_pBlock) return nullptr;
  const ptrdiff_t row = static_cast<ptrdiff_t>(Height()) - 1 - y;
  return GetMemStart() + row * static_cast<ptrdiff_t>(GetPitch());
}

BYTE* CQorObjImage::GetBits(int x, int y) const {
  BYTE* row = GetBits(y);
  if (!row) return nullptr;
  const int bits = ColorBits();
  if (bits == 32) return row + static_cast<ptrdiff_t>(x) * 4;
  if (bits == 8) return row + x;
  return row + static_cast<ptrdiff_t>(bits) * x / 8;
}

void CQorObjImage::BoundRect(RECT& rc) const {
  RECT bounds{0, 0, Width(), Height()};
  RECT clipped;
  IntersectRect(&clipped, &rc, &bounds);
  rc = clipped;
}

// ---- pixels and colour tables ----

DWORD CQorObjImage::GetPixelData(int x, int y) const {
  if (!IsInside(x, y)) return 0;
  const BYTE* p = GetBits(x, y);
  switch (ColorBits()) {
    case 1: return (*p >> (7 - x % 8)) & 1;
    case 4: return (x % 2 == 0) ? (*p >> 4) : (*p & 0x0F);
    case 8: return *p;
    case 16: return static_cast<DWORD>(p[0] | p[1] << 8);
    case 24: return static_cast<DWORD>(p[0] | p[1] << 8 | p[2] << 16);
    case 32: return ReadDword(p);
    default: return 0;
  }
}

void CQorObjImage::SetPixelData(int x, int y, DWORD value) {
  if (!IsInside(x, y)) return;
  BYTE* p = GetBits(x, y);
  switch (ColorBits()) {
    case 1: {
      const BYTE mask = static_cast<BYTE>(1 << (7 - x % 8));
      *p = static_cast<BYTE>((value & 1) ? (*p | mask) : (*p & ~mask));
      break;
    }
    case 4:
      if (x % 2 == 0) {
        *p = static_cast<BYTE>((*p & 0x0F) | (value & 0x0F) << 4);
      } else {
        *p = static_cast<BYTE>((*p & 0xF0) | (value & 0x0F));
      }
      break;
    case 8: *p = static_cast<BYTE>(value); break;
    case 16:
    case 24:
    case 32:
      for (int i = 0; i < ColorBits() / 8; ++i) p[i] = static_cast<BYTE>(value >> (8 * i));
      break;
    default: break;
  }
}

bool CQorObjImage::GetColorTable(int first, int count, RGBQUAD* out) const {
  if (!m_pBlock || ColorBits() > 8 || first < 0 || !out) return false;
  if (count < 1) return true;
  const int64_t entries = GetPaletteEntryCount();
  const RGBQUAD* table = reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(m_pBlock) + m_pBlock->biSize);
  for (int i = 0; i < count; ++i) {
    const int64_t e = static_cast<int64_t>(first) + i;
    if (e >= entries) break;
    std::memcpy(&out[i], &table[e], sizeof(RGBQUAD));
  }
  return true;
}

bool CQorObjImage::SetColorTable(int first, int count, const RGBQUAD* colours) {
  if (!m_pBlock || ColorBits() > 8 || first < 0 || !colours) return false;
  if (count < 1) return true;
  const int64_t entries = GetPaletteEntryCount();
  RGBQUAD* table = reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(m_pBlock) + m_pBlock->biSize);
  for (int i = 0; i < count; ++i) {
    const int64_t e = static_cast<int64_t>(first) + i;
    if (e >= entries) break;
    std::memcpy(&table[e], &colours[i], sizeof(RGBQUAD));
  }
  return true;
}

void CQorObjImage::CopyPalette(const CQorObjImage& other) {
  if (!m_pBlock || !other.m_pBlock || other.m_pBlock == m_pBlock) return;
  if (ColorBits() != other.ColorBits() || ColorBits() > 8) return;
  // Tables of different lengths: copy what both hold.
  const int count = other.GetPaletteEntryCount();
  const RGBQUAD* table =
      reinterpret_cast<const RGBQUAD*>(reinterpret_cast<const BYTE*>(other.m_pBlock) + other.m_pBlock->biSize);
  SetColorTable(0, count, table);
}

RGBQUAD CQorObjImage::__Split16Bit_565(WORD w) {
  return RGBQUAD{static_cast<BYTE>((w << 3) & 0xF8), static_cast<BYTE>((w >> 3) & 0xFC),
                 static_cast<BYTE>((w >> 8) & 0xF8), 0};
}

RGBQUAD CQorObjImage::__Split16Bit_555(WORD w) {
  return RGBQUAD{static_cast<BYTE>((w << 3) & 0xF8), static_cast<BYTE>((w >> 2) & 0xF8),
                 static_cast<BYTE>((w >> 7) & 0xF8), 0};
}

// ---- depth conversion ----

void CQorObjImage::ConvertTo24Bit() { __ConvertToTrueColor(24); }

void CQorObjImage::ConvertTo32Bit() { __ConvertToTrueColor(32); }

void CQorObjImage::__ConvertToTrueColor(int bits) {
  if (!m_pBlock || (bits != 24 && bits != 32) || ColorBits() == bits) return;
  // The new picture is built beside the old one, which stays intact until the new one is done.
  CQorObjImage out;
  if (!out.Create(Width(), Height(), bits, 0)) return;
  const int w = Width(), h = Height();
  const int srcBits = ColorBits();
  const int outBpp = bits / 8;
  const bool is565 = srcBits == 16 && GetBitField() == 0x7E0;
  RGBQUAD table[256] = {};
  int entries = 0;
  if (srcBits <= 8) {
    entries = GetPaletteEntryCount();
    if (entries > 256) entries = 256;
    GetColorTable(0, entries, table);
  }
  for (int y = 0; y < h; ++y) {
    BYTE* dst = out.GetBits(y);
    const BYTE* src = GetBits(y);
    for (int x = 0; x < w; ++x, dst += outBpp) {
      switch (srcBits) {
        case 1:
        case 4:
        case 8: {
          // An index beyond a short table reads as black.
          const DWORD index = GetPixelData(x, y);
          if (index < static_cast<DWORD>(entries)) {
            dst[0] = table[index].rgbBlue;
            dst[1] = table[index].rgbGreen;
            dst[2] = table[index].rgbRed;
          }
          break;
        }
        case 16: {
          const WORD word = static_cast<WORD>(src[2 * x] | src[2 * x + 1] << 8);
          const RGBQUAD c = is565 ? __Split16Bit_565(word) : __Split16Bit_555(word);
          dst[0] = c.rgbBlue;
          dst[1] = c.rgbGreen;
          dst[2] = c.rgbRed;
          break;
        }
        default: {
          const BYTE* s = src + static_cast<ptrdiff_t>(x) * (srcBits / 8);
          dst[0] = s[0];
          dst[1] = s[1];
          dst[2] = s[2];
          break;
        }
      }
    }
  }
  if (bits == 32) out.SetAlphaChannelValue(255);
  TakeBlock(out);
}

// ---- alpha channel ----

bool CQorObjImage::GetAlphaChannel(CQorObjImage* out) const {
  if (ColorBits() != 32 || !out || out == this) return false;
  CQorObjImage alpha;
  if (!alpha.Create(Width(), Height(), 8, 256)) return false;
  for (int y = 0; y < Height(); ++y) {
    const BYTE* src = GetBits(y);
    BYTE* dst = alpha.GetBits(y);
    for (int x = 0; x < Width(); ++x) dst[x] = src[4 * static_cast<ptrdiff_t>(x) + 3];
  }
  out->TakeBlock(alpha);
  return true;
}

bool CQorObjImage::AppendAlphaChannel(const CQorObjImage& alpha) {
  if (ColorBits() != 32 || alpha.ColorBits() != 8 || alpha.Width() != Width() || alpha.Height() != Height())
    return false;
  for (int y = 0; y < Height(); ++y) {
    BYTE* dst = GetBits(y);
    const BYTE* src = alpha.GetBits(y);
    for (int x = 0; x < Width(); ++x) dst[4 * static_cast<ptrdiff_t>(x) + 3] = src[x];
  }
  return true;
}

void CQorObjImage::SetAlphaChannelValue(int value) {
  if (ColorBits() != 32) return;
  for (int y = 0; y < Height(); ++y) {
    BYTE* row = GetBits(y);
    for (int x = 0; x < Width(); ++x) row[4 * static_cast<ptrdiff_t>(x) + 3] = static_cast<BYTE>(value);
  }
}

// ---- the filter driver ----

int CQorObjImage::SinglePixelProcessProc(CQorInterfacePixelProcess& process, CQorCommonProgress* progress) {
  if (!process.ValidateColorBits(this)) return 0;
  process.OnEnterProcess(this);
  const PROCESS_TYPE type = process.QueryProcessType();
  if (type == PROCESS_TYPE_WHOLE_IMAGE) {
    const int result = process.ProcessWholeImage(this, progress);
    process.OnLeaveProcess(this);
    return result;
  }
  if (type != PROCESS_TYPE_SINGLE_PIXEL) {
    process.OnLeaveProcess(this);
    return 1;
  }
  // The enter hook may have re-created the image: read its shape only now, and stop when the
  // re-creation left nothing to work on.
  if (!m_pBlock) {
    process.OnLeaveProcess(this);
    return 0;
  }
  const int width = Width(), height = Height();
  const ptrdiff_t pitch = GetPitch();
  const int bpp = BytesPerPixel();
  BYTE* topRow = GetBits(0);
  int result = 1;
  for (int y = 0; y < height; ++y) {
    BYTE* pixel = topRow - static_cast<ptrdiff_t>(y) * pitch;
    for (int x = 0; x < width; ++x, pixel += bpp) process.ProcessPixel(this, x, y, pixel);
    if (progress) {
      const int64_t percent = int64_t{100} * (y + 1) / height;
      progress->SetProgress(static_cast<float>(static_cast<double>(percent) / 100.0));
      if (progress->m_bInterrupted) {
        result = 0;
        break;
      }
    }
  }
  process.OnLeaveProcess(this);
  return result;
}

}  // namespace QorPixelmill
