// The GDI subset that Leafwright calls: device contexts without a display, bitmaps and blits,
// simple fills and lines, rectangle and polygon regions, and fonts backed by fontconfig and
// FreeType with glyph outlines in GDI's own record layout. Include this header (it includes
// <windows.h>) wherever GDI functions are called.
//
// Threads: a device context belongs to the thread that uses it, as on Windows; handles may be
// created on one thread and used on another. Font objects and the font cache are guarded, so
// glyph outlines can be taken from several threads at once through separate DCs.
#pragma once

#include <windows.h>

// ---------------------------------------------------------------------------------------------
// Constants

#define GDI_ERROR 0xFFFFFFFFu
#define HGDI_ERROR (reinterpret_cast<HGDIOBJ>(static_cast<intptr_t>(-1)))
#define CLR_INVALID 0xFFFFFFFFu

// GetDeviceCaps indexes.
#define DRIVERVERSION 0
#define TECHNOLOGY 2
#define HORZSIZE 4
#define VERTSIZE 6
#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define NUMCOLORS 24
#define ASPECTX 40
#define ASPECTY 42
#define ASPECTXY 44
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define SIZEPALETTE 104
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define DESKTOPVERTRES 117
#define DESKTOPHORZRES 118

#define DT_PLOTTER 0
#define DT_RASDISPLAY 1
#define DT_RASPRINTER 2

// Object types (GetObjectType, GetCurrentObject).
#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_PAL 5
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_REGION 8
#define OBJ_MEMDC 10

// Stock objects.
#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17
#define DC_BRUSH 18
#define DC_PEN 19

// Ternary raster operations.
#define SRCCOPY 0x00CC0020u
#define SRCPAINT 0x00EE0086u
#define SRCAND 0x008800C6u
#define SRCINVERT 0x00660046u
#define SRCERASE 0x00440328u
#define NOTSRCCOPY 0x00330008u
#define NOTSRCERASE 0x001100A6u
#define MERGEPAINT 0x00BB0226u
#define PATCOPY 0x00F00021u
#define PATINVERT 0x005A0049u
#define DSTINVERT 0x00550009u
#define BLACKNESS 0x00000042u
#define WHITENESS 0x00FF0062u

// Binary raster operations (SetROP2).
#define R2_BLACK 1
#define R2_NOTMERGEPEN 2
#define R2_MASKNOTPEN 3
#define R2_NOTCOPYPEN 4
#define R2_MASKPENNOT 5
#define R2_NOT 6
#define R2_XORPEN 7
#define R2_NOTMASKPEN 8
#define R2_MASKPEN 9
#define R2_NOTXORPEN 10
#define R2_NOP 11
#define R2_MERGENOTPEN 12
#define R2_COPYPEN 13
#define R2_MERGEPENNOT 14
#define R2_MERGEPEN 15
#define R2_WHITE 16

// Stretch modes.
#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

// Background modes.
#define ETO_OPAQUE 0x0002
#define ETO_CLIPPED 0x0004
#define DT_TOP 0x0000
#define DT_LEFT 0x0000
#define DT_CENTER 0x0001
#define DT_RIGHT 0x0002
#define DT_VCENTER 0x0004
#define DT_BOTTOM 0x0008
#define DT_SINGLELINE 0x0020
#define DT_NOCLIP 0x0100
#define DT_CALCRECT 0x0400
#define DT_END_ELLIPSIS 0x8000
#define TRANSPARENT 1
#define OPAQUE 2

// Mapping modes (only MM_TEXT is supported).
#define MM_TEXT 1

// Pen styles.
#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_DASHDOT 3
#define PS_DASHDOTDOT 4
#define PS_NULL 5
#define PS_INSIDEFRAME 6

// Brush styles.
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

// Region results and combine modes.
#define ERROR 0
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3
#define RGN_ERROR ERROR
#define RGN_AND 1
#define RGN_OR 2
#define RGN_XOR 3
#define RGN_DIFF 4
#define RGN_COPY 5
#define ALTERNATE 1
#define WINDING 2

// Font weights.
#define FW_DONTCARE 0
#define FW_THIN 100
#define FW_EXTRALIGHT 200
#define FW_LIGHT 300
#define FW_NORMAL 400
#define FW_REGULAR 400
#define FW_MEDIUM 500
#define FW_SEMIBOLD 600
#define FW_BOLD 700
#define FW_EXTRABOLD 800
#define FW_HEAVY 900

// Character sets.
#define ANSI_CHARSET 0
#define DEFAULT_CHARSET 1
#define SYMBOL_CHARSET 2
#define MAC_CHARSET 77
#define SHIFTJIS_CHARSET 128
#define HANGEUL_CHARSET 129
#define HANGUL_CHARSET 129
#define JOHAB_CHARSET 130
#define GB2312_CHARSET 134
#define CHINESEBIG5_CHARSET 136
#define GREEK_CHARSET 161
#define TURKISH_CHARSET 162
#define VIETNAMESE_CHARSET 163
#define HEBREW_CHARSET 177
#define ARABIC_CHARSET 178
#define BALTIC_CHARSET 186
#define RUSSIAN_CHARSET 204
#define THAI_CHARSET 222
#define EASTEUROPE_CHARSET 238
#define OEM_CHARSET 255

// Precision, quality, pitch and family.
#define OUT_DEFAULT_PRECIS 0
#define OUT_TT_PRECIS 4
#define OUT_OUTLINE_PRECIS 8
#define CLIP_DEFAULT_PRECIS 0
#define DEFAULT_QUALITY 0
#define DRAFT_QUALITY 1
#define PROOF_QUALITY 2
#define NONANTIALIASED_QUALITY 3
#define ANTIALIASED_QUALITY 4
#define CLEARTYPE_QUALITY 5
#define DEFAULT_PITCH 0
#define FIXED_PITCH 1
#define VARIABLE_PITCH 2
#define FF_DONTCARE (0 << 4)
#define FF_ROMAN (1 << 4)
#define FF_SWISS (2 << 4)
#define FF_MODERN (3 << 4)
#define FF_SCRIPT (4 << 4)
#define FF_DECORATIVE (5 << 4)

// TEXTMETRIC tmPitchAndFamily bits. TMPF_FIXED_PITCH set means a variable-pitch font.
#define TMPF_FIXED_PITCH 0x01
#define TMPF_VECTOR 0x02
#define TMPF_DEVICE 0x08
#define TMPF_TRUETYPE 0x04

#define LF_FACESIZE 32
#define LF_FULLFACESIZE 64

// GetGlyphOutline formats.
#define GGO_METRICS 0
#define GGO_BITMAP 1
#define GGO_NATIVE 2
#define GGO_BEZIER 3
#define GGO_GRAY2_BITMAP 4
#define GGO_GRAY4_BITMAP 5
#define GGO_GRAY8_BITMAP 6
#define GGO_GLYPH_INDEX 0x0080
#define GGO_UNHINTED 0x0100

#define TT_POLYGON_TYPE 24
#define TT_PRIM_LINE 1
#define TT_PRIM_QSPLINE 2
#define TT_PRIM_CSPLINE 3

// GetFontResourceInfoW query types.
#define QFR_DESCRIPTION 1
#define QFR_LOGFONT 2

// ---------------------------------------------------------------------------------------------
// Records. Layouts are the Windows ones (the outline records are read at fixed offsets).

struct LOGFONTW {
  LONG lfHeight;  // < 0: character (em) height in pixels; > 0: cell height; 0: default size
  LONG lfWidth;
  LONG lfEscapement;
  LONG lfOrientation;
  LONG lfWeight;
  BYTE lfItalic;
  BYTE lfUnderline;
  BYTE lfStrikeOut;
  BYTE lfCharSet;
  BYTE lfOutPrecision;
  BYTE lfClipPrecision;
  BYTE lfQuality;
  BYTE lfPitchAndFamily;
  WCHAR lfFaceName[LF_FACESIZE];  // code points, zero-terminated
};
typedef LOGFONTW* LPLOGFONTW;
typedef LOGFONTW LOGFONT;

struct TEXTMETRICW {
  LONG tmHeight;
  LONG tmAscent;
  LONG tmDescent;
  LONG tmInternalLeading;
  LONG tmExternalLeading;
  LONG tmAveCharWidth;
  LONG tmMaxCharWidth;
  LONG tmWeight;
  LONG tmOverhang;
  LONG tmDigitizedAspectX;
  LONG tmDigitizedAspectY;
  WCHAR tmFirstChar;
  WCHAR tmLastChar;
  WCHAR tmDefaultChar;
  WCHAR tmBreakChar;
  BYTE tmItalic;
  BYTE tmUnderlined;
  BYTE tmStruckOut;
  BYTE tmPitchAndFamily;
  BYTE tmCharSet;
};
typedef TEXTMETRICW* LPTEXTMETRICW;
typedef TEXTMETRICW TEXTMETRIC;

// 16.16 fixed-point number: fraction in the low word, signed integer part in the high word.
struct FIXED {
  WORD fract;
  SHORT value;
};
static_assert(sizeof(FIXED) == 4, "FIXED is 4 bytes");

struct MAT2 {
  FIXED eM11;
  FIXED eM12;
  FIXED eM21;
  FIXED eM22;
};
static_assert(sizeof(MAT2) == 16, "MAT2 is 16 bytes");

struct POINTFX {
  FIXED x;
  FIXED y;
};
static_assert(sizeof(POINTFX) == 8, "POINTFX is 8 bytes");

struct TTPOLYCURVE {
  WORD wType;  // TT_PRIM_LINE, TT_PRIM_QSPLINE or TT_PRIM_CSPLINE
  WORD cpfx;   // number of points that follow
  POINTFX apfx[1];
};
static_assert(sizeof(TTPOLYCURVE) == 12, "TTPOLYCURVE is a 4-byte head and the points");

struct TTPOLYGONHEADER {
  DWORD cb;  // bytes of this header and of its curve records
  DWORD dwType;  // TT_POLYGON_TYPE
  POINTFX pfxStart;
};
static_assert(sizeof(TTPOLYGONHEADER) == 16, "TTPOLYGONHEADER is 16 bytes");

struct GLYPHMETRICS {
  UINT gmBlackBoxX;
  UINT gmBlackBoxY;
  POINT gmptGlyphOrigin;
  SHORT gmCellIncX;
  SHORT gmCellIncY;
};
static_assert(sizeof(GLYPHMETRICS) == 20, "GLYPHMETRICS is 20 bytes");

// Unicode ranges of a font. As on Windows the ranges cover the Basic Multilingual Plane only and
// their characters are 16-bit, so the record has the Windows layout.
struct WCRANGE {
  uint16_t wcLow;
  USHORT cGlyphs;
};
static_assert(sizeof(WCRANGE) == 4, "WCRANGE is 4 bytes");

struct GLYPHSET {
  DWORD cbThis;
  DWORD flAccel;
  DWORD cGlyphsSupported;
  DWORD cRanges;
  WCRANGE ranges[1];
};
static_assert(sizeof(GLYPHSET) == 20, "GLYPHSET is 20 bytes");
typedef GLYPHSET* LPGLYPHSET;
#define GS_8BIT_INDICES 0x00000001

struct LOGPEN {
  UINT lopnStyle;
  POINT lopnWidth;
  COLORREF lopnColor;
};

struct LOGBRUSH {
  UINT lbStyle;
  COLORREF lbColor;
  ULONG_PTR lbHatch;
};

// ---------------------------------------------------------------------------------------------
// Functions

inline FIXED LwDoubleToFixed(double v) {
  const int32_t raw = static_cast<int32_t>(v * 65536.0 + (v < 0 ? -0.5 : 0.5));
  FIXED f;
  f.fract = static_cast<WORD>(static_cast<uint32_t>(raw) & 0xFFFFu);
  f.value = static_cast<SHORT>(raw >> 16);
  return f;
}
inline double LwFixedToDouble(FIXED f) { return f.value + f.fract / 65536.0; }

extern "C" {

// Device contexts. GetDC(NULL) gives the screen context (96 dots per inch, no drawing surface);
// window contexts come with the window layer.
HDC GetDC(HWND hwnd);
int ReleaseDC(HWND hwnd, HDC hdc);
HDC CreateCompatibleDC(HDC hdc);
BOOL DeleteDC(HDC hdc);
int GetDeviceCaps(HDC hdc, int index);

// Objects.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
BOOL DeleteObject(HGDIOBJ obj);
HGDIOBJ GetStockObject(int index);
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
DWORD GetObjectType(HGDIOBJ obj);
int GetObjectW(HGDIOBJ obj, int size, LPVOID out);

// Bitmaps and blits.
HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits);
int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info,
              UINT usage);
BOOL BitBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int cx, int cy, HDC src, int xSrc, int ySrc, int cxSrc,
                int cySrc, DWORD rop);
BOOL PatBlt(HDC hdc, int x, int y, int cx, int cy, DWORD rop);
int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc,
                      UINT startScan, UINT lines, const void* bits, const BITMAPINFO* info,
                      UINT usage);
int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const BITMAPINFO* info,
                  UINT usage, DWORD rop);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
COLORREF GetPixel(HDC hdc, int x, int y);
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);

// Coordinates (MM_TEXT only: device = logical - window origin + viewport origin).
BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT out);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT old);
BOOL GetWindowOrgEx(HDC hdc, LPPOINT out);
BOOL OffsetViewportOrgEx(HDC hdc, int dx, int dy, LPPOINT old);
BOOL SetBrushOrgEx(HDC hdc, int x, int y, LPPOINT old);
int SetMapMode(HDC hdc, int mode);
int GetMapMode(HDC hdc);

// Pens, brushes and drawing.
HPEN CreatePen(int style, int width, COLORREF color);
HBRUSH CreateSolidBrush(COLORREF color);
int FillRect(HDC hdc, const RECT* rect, HBRUSH brush);
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Polygon(HDC hdc, const POINT* points, int count);
BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
BOOL LineTo(HDC hdc, int x, int y);
int SetROP2(HDC hdc, int mode);
int GetROP2(HDC hdc);
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);

// Regions (unions of rectangles) and clipping.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* rect);
HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode);
int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL PtInRegion(HRGN rgn, int x, int y);
int GetRgnBox(HRGN rgn, LPRECT rect);
BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush);
BOOL PaintRgn(HDC hdc, HRGN rgn);
int SelectClipRgn(HDC hdc, HRGN rgn);
int GetClipBox(HDC hdc, LPRECT rect);

// Fonts.
// Text on memory contexts with the selected font and text colour; OPAQUE fills the text's cell
// (or, with ETO_OPAQUE, the rectangle) in the background colour first. DrawTextW draws one line
// (single-line text, or the text up to its first line break) aligned in the rectangle.
BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR text, int count);
BOOL ExtTextOutW(HDC hdc, int x, int y, UINT options, const RECT* rect, LPCWSTR text, UINT count, const INT* dx);
BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR text, int count, LPSIZE size);
int DrawTextW(HDC hdc, LPCWSTR text, int count, LPRECT rect, UINT format);
HFONT CreateFontIndirectW(const LOGFONTW* lf);
HFONT CreateFontW(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily,
                  LPCWSTR face);
BOOL GetTextMetricsW(HDC hdc, LPTEXTMETRICW tm);
int GetTextFaceW(HDC hdc, int count, LPWSTR name);
DWORD GetGlyphOutlineW(HDC hdc, UINT ch, UINT format, GLYPHMETRICS* metrics, DWORD bufferSize,
                       LPVOID buffer, const MAT2* matrix);
DWORD GetFontUnicodeRanges(HDC hdc, LPGLYPHSET glyphSet);
// Size of a font table (table tag as four bytes read little-endian, 0 for the whole file) or
// copies it; GDI_ERROR on failure.
DWORD GetFontData(HDC hdc, DWORD table, DWORD offset, PVOID buffer, DWORD size);
// Describes a font file: QFR_DESCRIPTION gives the full name of its first face (UTF-32 here,
// *size in bytes of the buffer on input, of the result including the terminator on output).
BOOL GetFontResourceInfoW(LPCWSTR path, LPDWORD size, LPVOID buffer, DWORD type);

}  // extern "C"

#define GetTextMetrics GetTextMetricsW
#define GetTextFace GetTextFaceW
#define GetGlyphOutline GetGlyphOutlineW
#define CreateFontIndirect CreateFontIndirectW
#define CreateFont CreateFontW
#define GetObject GetObjectW
