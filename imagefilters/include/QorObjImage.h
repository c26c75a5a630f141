// The image of the QorPixelmill library: a device-independent bitmap held in one packed block.
//
// Block layout (Windows packed DIB): the 40-byte BITMAPINFOHEADER (biSize 40, biHeight > 0 =
// bottom-up rows), then the colour table (depths up to 8 bits: biClrUsed entries, or 2^bits when
// it is 0, each blue, green, red, 0), or for bit-field images (biCompression 3, 16 or 32 bits)
// the three masks red, green, blue; then the rows, bottom row first, each padded to 4 bytes.
// Row y = 0 is the top row of the picture, the last row in memory. Pixel bytes: blue, green,
// red (, alpha); 16-bit pixels are 5-5-5, or 5-6-5 when the green mask is 0x7E0.
//
// An image is empty, owning its block, or attached to a caller's block (never freed by the
// image). Blocks come from CBitmapCreator's allocator and are freed with delete[].
#pragma once

#include <cstddef>
#include <cstdint>

#include "QorProgress.h"
#include "windows.h"

namespace QorPixelmill {

class CQorInterfacePixelProcess;
class CQorPixelBackupProcess;

enum LOGICAL_OP : int {
  LOGICAL_AND = 0,
  LOGICAL_OR = 1,
  LOGICAL_XOR = 2,
  LOGICAL_SET_WHERE_FULL = 12,    // 255 where the source byte is 255
  LOGICAL_CLEAR_WHERE_FULL = 13,  // 0 where the source byte is 255
};

class CQorObjImage {
 public:
  CQorObjImage() = default;
  CQorObjImage(int width, int height, int bits);
  // Copying an attached image attaches the copy to the same block; an owned one is copied deep.
  // Copying from an empty image (or from itself) leaves the target as it was.
  CQorObjImage(const CQorObjImage& other);
  CQorObjImage& operator=(const CQorObjImage& other);
  virtual ~CQorObjImage();

  // A new zero-filled owned block (see CBitmapCreator::CreateDibImage). On refused arguments or
  // when memory runs out the image is left empty and the result is false.
  bool Create(int width, int height, int bits, int colours);
  // An owned copy of a packed DIB whose size is known to match its header (a block of this
  // library). Refuses a damaged header (see CalcuBlockSize) and then leaves the image as it was.
  bool Create(const BITMAPINFOHEADER* header);
  // An owned copy of a packed DIB read from outside (files, clipboard, streams): refused unless
  // the header is sound and the whole block lies within `availableBytes`.
  bool Create(const BITMAPINFOHEADER* header, size_t availableBytes);
  // Uses the caller's block without owning it; the caller keeps it valid while attached.
  void Attach(BITMAPINFOHEADER* block);
  // Hands the block back (the caller now frees it) and leaves the image empty.
  BITMAPINFOHEADER* Detch();
  void Destroy();

  bool IsValidImage() const { return m_pBlock != nullptr; }
  int Width() const { return m_pBlock ? m_pBlock->biWidth : 0; }
  int Height() const { return m_pBlock ? m_pBlock->biHeight : 0; }
  int ColorBits() const { return m_pBlock ? m_pBlock->biBitCount : 0; }
  int GetPitch() const;
  bool IsInside(int x, int y) const { return x >= 0 && y >= 0 && x < Width() && y < Height(); }

  int GetPaletteEntryCount() const { return GetPaletteEntryCount(m_pBlock); }
  static int GetPaletteEntryCount(const BITMAPINFOHEADER* header);
  // Bytes between the header and the pixels: the colour table, or 12 for the masks of a
  // bit-field image (16 or 32 bits).
  int CalcuPaletteSize() const { return CalcuPaletteSize(m_pBlock); }
  static int CalcuPaletteSize(const BITMAPINFOHEADER* header);
  // The whole block a header describes, or 0 when the header is damaged: null, biSize not 40,
  // a size below 1, a depth other than 1, 4, 8, 16, 24, 32, a compression other than 0 or 3 (3
  // only at 16 or 32 bits), more colours than the depth holds, or a block above 2 GiB - 1.
  static size_t CalcuBlockSize(const BITMAPINFOHEADER* header);
  // 16-bit images: the green mask (0x3E0 for 5-5-5, 0x7E0 for 5-6-5); 0 for other depths.
  DWORD GetBitField() const;

  BYTE* GetMemStart() const;
  BYTE* GetBits(int y) const;
  BYTE* GetBits(int x, int y) const;
  void BoundRect(RECT& rc) const;

  DWORD GetPixelData(int x, int y) const;
  void SetPixelData(int x, int y, DWORD value);
  bool GetColorTable(int first, int count, RGBQUAD* out) const;
  bool SetColorTable(int first, int count, const RGBQUAD* colours);
  void CopyPalette(const CQorObjImage& other);

  // Depth conversions keep the picture unchanged when memory runs out.
  void ConvertTo24Bit();
  void ConvertTo32Bit();

  bool GetAlphaChannel(CQorObjImage* out) const;
  bool AppendAlphaChannel(const CQorObjImage& alpha);
  void SetAlphaChannelValue(int value);

  // Runs a filter over the image; 1 on success, 0 when the filter refuses the image, fails or is
  // cancelled through `progress` (which may be null).
  int SinglePixelProcessProc(CQorInterfacePixelProcess& process, CQorCommonProgress* progress);

  // Blocks: the source's top-left corner lands at (x, y); everything clips to this image.
  bool GetSubBlock(CQorObjImage* out, RECT rc) const;
  bool CoverBlock(const CQorObjImage& src, int x, int y);
  bool CoverBlock(const CQorObjImage& src, int x, int y, int width, int height);
  bool CoverBlockAlphaChannel(const CQorObjImage& src, int x, int y);
  void TileBlock(const CQorObjImage& src, int x, int y);
  bool CombineImage(const CQorObjImage& src, int x, int y, int percent);
  bool AlphaBlend(const CQorObjImage& src, const RECT& dst, const RECT& srcRect, int percent);
  bool LogicalBlend(const CQorObjImage& src, LOGICAL_OP op, int x, int y);

  // Size changes; each leaves the image unchanged when refused or when memory runs out.
  void ExpandFrame(bool replicate, int left, int top, int right, int bottom);
  void Stretch(int width, int height);
  int Stretch_Smooth(int width, int height, CQorCommonProgress* progress);

 private:
  friend class CQorPixelBackupProcess;

  static RGBQUAD __Split16Bit_565(WORD w);
  static RGBQUAD __Split16Bit_555(WORD w);
  void __ConvertToTrueColor(int bits);
  static void __FillImageRect(const CQorObjImage& image, const RECT& rc, const void* pixel);

  // An owned block of the given size in this image's format: same depth, colour table copied,
  // bit-field masks kept. The image `out` is replaced; false when memory runs out.
  bool CreateSameFormat(CQorObjImage& out, int width, int height) const;
  // An owned deep copy of `other` (even when `other` is attached); false when memory runs out.
  bool CopyOwned(const CQorObjImage& other);
  // Frees this image's block if owned and takes over `other`'s block, leaving `other` empty.
  void TakeBlock(CQorObjImage& other);
  bool BuildExpanded(CQorObjImage& out, bool replicate, int left, int top, int right, int bottom) const;
  int BytesPerPixel() const { return ColorBits() / 8; }
  size_t BlockBytes() const;

  BITMAPINFOHEADER* m_pBlock = nullptr;
  BOOL m_bAttached = FALSE;
};

}  // namespace QorPixelmill
