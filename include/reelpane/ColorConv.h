// Colour converters between the frame formats of the video renderer (ITU-R BT.601, limited range).
//
// Two families give slightly different results and each converter keeps those of its own family:
//  - portable: 13-bit fixed point through five 256-entry lookup tables (8192 = 1.0);
//  - vector:   16-bit lanes with 6-bit fractional coefficients and saturating adds (the values of
//              the original MMX code, computed here in scalar code).
//
// Every converter stops exactly at the picture's edge: nothing is read or written outside
// width x height pixels of the packed side, nor outside the chroma planes described below.
// A 4:2:0 chroma plane holds (width + 1) / 2 samples a row and (height + 1) / 2 rows (both rounded
// up): pixel (x, y) takes the chroma of block (x / 2, y / 2), so an odd last column or row has
// blocks of its own. (A packed 4:2:2 row of odd width has no V for its last pixel: converted to
// 4:2:0, that block takes the V of the pair beside it.)
// A 4:2:2 packed row holds 2 x width bytes.
//
// Flip (non-zero): one side is walked from its last row upward - the packed or RGB side, or for the
// plane copies the source planes - so the picture comes out mirrored top to bottom.
#pragma once

#include <cstdint>

// Frame format numbers: index of the converter table is input x 10 + surface.
enum ReelpaneFrameFormat {
  RP_FORMAT_YV12 = 1,    // planar 4:2:0: [0] Y, [1] U (Cb), [2] V (Cr)
  RP_FORMAT_UYVY = 2,    // U0 Y0 V0 Y1
  RP_FORMAT_YUY2 = 3,    // Y0 U0 Y1 V0
  RP_FORMAT_NV12 = 4,    // [0] Y, [1] interleaved UV (U first); its UV rows have the luma stride
  RP_FORMAT_RGB32 = 5,   // B G R 0
  RP_FORMAT_RGB24 = 6,   // B G R
  RP_FORMAT_RGB565 = 7,  // little-endian word r<<11 | g<<5 | b
};

// A table entry: destination planes and pitch, source planes and stride, picture size, flip.
// The entry derives the chroma strides (half the luma stride rounded up for YV12, the full stride
// for NV12).
typedef void (*ColorConvertEntry)(uint8_t* const dst[3], int dstPitch, const uint8_t* const src[3],
                                  int srcStride, int width, int height, int flip);

// The 10 x 10 table: null for a pair of formats that is not converted (or out of 1..9).
ColorConvertEntry GetColorConverter(int inputFormat, int surfaceFormat);

// Fills the lookup tables of the portable converters. The tables are complete at compile time,
// so this only exists for hosts that call it at load; calling it is harmless.
void BuildColorConvTables();
// The vector converters leave no processor state behind here; kept for callers that clear it.
void ClearVectorState();

// Parameter list 1: YUV to packed or RGB (for NV12 `u` is the UV plane and `v` is not read).
void ConvertYV12ToUYVY(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                       int yStride, int uvStride, int width, int height, int flip);
void ConvertYV12ToYUY2(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                       int yStride, int uvStride, int width, int height, int flip);
void ConvertYV12ToRGB32(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                        int yStride, int uvStride, int width, int height, int flip);  // vector
void ConvertYV12ToRGB24(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                        int yStride, int uvStride, int width, int height, int flip);  // vector
void ConvertYV12ToRGB565(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                         int yStride, int uvStride, int width, int height, int flip);  // portable
void ConvertNV12ToRGB32(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* uv, const uint8_t* unused,
                        int yStride, int uvStride, int width, int height, int flip);  // portable
void ConvertNV12ToRGB24(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* uv, const uint8_t* unused,
                        int yStride, int uvStride, int width, int height, int flip);  // portable
void ConvertNV12ToRGB565(uint8_t* dst, int dstPitch, const uint8_t* y, const uint8_t* uv, const uint8_t* unused,
                         int yStride, int uvStride, int width, int height, int flip);  // portable

// Parameter list 2: packed or RGB to YV12.
void ConvertUYVYToYV12(const uint8_t* src, int srcStride, uint8_t* y, uint8_t* u, uint8_t* v, int yStride,
                       int uvStride, int width, int height, int flip);
void ConvertYUY2ToYV12(const uint8_t* src, int srcStride, uint8_t* y, uint8_t* u, uint8_t* v, int yStride,
                       int uvStride, int width, int height, int flip);
void ConvertRGB32ToYV12(const uint8_t* src, int srcStride, uint8_t* y, uint8_t* u, uint8_t* v, int yStride,
                        int uvStride, int width, int height, int flip);  // vector
void ConvertRGB24ToYV12(const uint8_t* src, int srcStride, uint8_t* y, uint8_t* u, uint8_t* v, int yStride,
                        int uvStride, int width, int height, int flip);  // vector
void ConvertRGB565ToYV12(const uint8_t* src, int srcStride, uint8_t* y, uint8_t* u, uint8_t* v, int yStride,
                         int uvStride, int width, int height, int flip);  // portable

// Parameter list 3: plane copies. Null source chroma fills the destination chroma with 128.
void CopyYV12Planes(uint8_t* dy, uint8_t* du, uint8_t* dv, int dYStride, int dUVStride, const uint8_t* sy,
                    const uint8_t* su, const uint8_t* sv, int sYStride, int sUVStride, int width, int height,
                    int flip);
void CopyNV12Planes(uint8_t* dy, uint8_t* duv, uint8_t* unused, int dYStride, int dUVStride, const uint8_t* sy,
                    const uint8_t* suv, const uint8_t* unusedSrc, int sYStride, int sUVStride, int width,
                    int height, int flip);

// Planar 4:2:0 to 24-bit B, G, R rows (vector family, as the YV12 -> RGB24 entry); flip 1 writes
// the first source row last, for a bottom-up device-independent bitmap.
void ConvertYUV420ToRGB24(uint8_t* dst, int dstStride, const uint8_t* y, const uint8_t* u, const uint8_t* v,
                          int yStride, int uvStride, int width, int height, int flip);
