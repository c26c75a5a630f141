// Glyph outlines: the GDI engine for installed fonts (CFontAccessEngine), the FreeType engine for
// the font programs embedded in a document (CFFTypeFontEngine), the facade that picks one for a
// font descriptor (CAccessTextsOutline), the two outline converters and synthetic bold.
//
// Every outline is made at the reference size: an em of 1024 points at the resolution of the
// device context given (1365.33 pixels at 96 dpi). Path units point down: font y is negated.
//
// Threads: FreeType is not thread-safe. Every FreeType call of this file, on the engine's own
// library and on its faces, is made while holding the process-wide FreeType lock of the GDI layer
// (LwFreeTypeLock, <gdi/ftlibrary.h>), the same recursive lock the GDI font layer and the glyph-id
// lookup of the embedded fonts take. Engines themselves are used by one thread at a time.
#pragma once

#include <windows.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <string>
#include <vector>

#include <gdiplus/GdiplusMatrix.h>
#include <gdiplus/GdiplusPath.h>

namespace GlyphweaveLib {

struct _CharsFontDesc;
class CEmbedFontResouce;
class CEmbedFontResManager;

// Keys from here up ask the engines for the glyph id (key - kGlyphIdKey) of an embedded font's
// program instead of a character's glyph; only the FreeType engine draws them. The glyph cache
// keeps such glyphs under these keys, beyond every character.
constexpr unsigned kGlyphIdKey = 0x110000;

// Appends a GDI native outline (TTPOLYGONHEADER records, each followed by its TTPOLYCURVE records,
// `size` bytes as GetGlyphOutlineW returned them) to path, every point through m. Every record is
// checked against the bytes left; false (with the figures read so far in path) for a malformed
// buffer.
bool AddNativeOutlineToPath(const void* buffer, DWORD size, const Gdiplus::Matrix& m, Gdiplus::GraphicsPath& path);

// Appends a FreeType outline (26.6 units, y negated when flipY) to path, every point through m.
// False for an outline whose contour ends do not increase or leave the points, or whose tags put a
// cubic control where none may stand.
bool AddOutlineToPath(const FT_Outline& outline, const Gdiplus::Matrix& m, bool flipY, Gdiplus::GraphicsPath& path);

// 1 when the signed area over all figures is positive, 0 when negative, 2 when it is zero;
// 0 for a path without points.
int GetOutlineOrientation(const Gdiplus::GraphicsPath& path);

// Synthetic bold: result receives source grown by strengthX / strengthY (path units) and moved
// back by a quarter of the growth. 1 when result received it, and for a source without points
// (result untouched); 0 when both strengths are 0 or the source has no orientation (result
// untouched).
int EmboldenOutlineXY(const Gdiplus::GraphicsPath& source, Gdiplus::GraphicsPath& result, float strengthX,
                      float strengthY);

// Outlines of installed fonts through GDI.
class CFontAccessEngine {
 public:
  // Size in bytes of the outline buffer made with a font; grown when a glyph needs more.
  static constexpr DWORD kOutlineBufferSize = 32736;

  CFontAccessEngine() = default;
  ~CFontAccessEngine();
  CFontAccessEngine(const CFontAccessEngine&) = delete;
  CFontAccessEngine& operator=(const CFontAccessEngine&) = delete;

  // Makes the reference-size font of the descriptor (weight 400, roman) and selects it into dc,
  // after releasing what an earlier call set. False when there is no dc or no font could be
  // made (the metrics are then 0).
  bool SetAccessFont(HDC dc, const _CharsFontDesc& font);
  // The outline of ch appended to path through m (path reset first) and its advance through m.
  // 13 and 10 are taken as a space. A glyph without outline gives an empty path and its advance.
  bool PrepareGlyph(unsigned ch, Gdiplus::Matrix& m, Gdiplus::GraphicsPath& path, float* advanceX,
                    float* advanceY);
  float GetFontAscent() const { return m_fAscent; }
  float GetFontDescent() const { return m_fDescent; }
  float GetFontExternalLeading() const { return m_fExternalLeading; }
  // True when the font maps every character of text. Control characters (below 32: paragraph
  // and line breaks, tabs) are drawn as spaces and count as contained. text holds code points
  // (one per element); one beyond the basic plane counts when the font draws it with a glyph
  // other than its missing-glyph one (the font's ranges cover the basic plane only).
  bool IsContainCharacters(const wchar_t* text);

  // Frees the buffer, puts the previous font back into the context and deletes the font.
  void Release();

 private:
  bool HasGlyphBeyondBasicPlane(uint32_t ch);

  HDC m_hDC = nullptr;
  HGDIOBJ m_hOldFont = nullptr;
  HFONT m_hFont = nullptr;
  float m_fAscent = 0.0f;
  float m_fDescent = 0.0f;
  float m_fExternalLeading = 0.0f;
  std::vector<unsigned char> m_vBuffer;
};

// Outlines of embedded font programs through FreeType.
class CFFTypeFontEngine {
 public:
  // Share of the reference em taken as ascent / descent by a face that reports none.
  static constexpr float kAscentFallback = 0.8f;
  static constexpr float kDescentFallback = 0.2f;
  // The furthest a glyph's outline or advance may reach from its origin, in ems.
  static constexpr double kMaxGlyphEms = 32.0;

  // Starts the engine's FreeType library once; true when it runs. Called at start-up.
  static bool FFTypeInitialize();
  // Stops the library. No engine may hold a face then.
  static void FFTypeUninitialize();
  static bool IsFFTypeInitialized();

  // The file of a font that is not embedded: "CIDFont/<name>" in the program's folder. The name
  // comes from the document: only a plain file name (read up to its terminator within the
  // 128-byte field; no separators, not "." or "..", no control characters) is accepted.
  static bool GetCIDFontFilePath(const char* fontName, std::string& path);

  CFFTypeFontEngine() = default;
  CFFTypeFontEngine(HDC dc, unsigned faceIndex, const CEmbedFontResouce* resource, bool hinting);
  ~CFFTypeFontEngine();
  CFFTypeFontEngine(const CFFTypeFontEngine&) = delete;
  CFFTypeFontEngine& operator=(const CFFTypeFontEngine&) = delete;

  // Opens the face of the resource (its program for embed flags 0 and 1, the CIDFont file for 2)
  // at the reference size for dc's resolution (96 without dc). False when the library is not
  // started or no face can be opened. The program's hinting word is taken but outlines are never
  // hinted: a font's hinting program does not run.
  bool SetAccessFont(HDC dc, unsigned faceIndex, const CEmbedFontResouce* resource, bool hinting);
  // The outline of ch appended to path through m and its advance through m. 13 and 10 are taken
  // as a space. The outline is the glyph's own, unhinted, scaled from font units to the
  // reference em. A space the program lacks is blank and advances by half the font's "n" (a
  // quarter em without one). False for an unmapped character, a face that is not scalable, and a glyph
  // reaching further than kMaxGlyphEms from its origin (a damaged font matrix or unit size).
  bool PrepareGlyph(unsigned ch, Gdiplus::Matrix& m, Gdiplus::GraphicsPath& path, float* advanceX,
                    float* advanceY);
  // In font units; without values in the face, the fallbacks in pixels at the reference size.
  float GetFontAscent() const;
  float GetFontDescent() const;
  float GetFontExternalLeading() const { return 0.0f; }
  // True when every character has a glyph with contours (a space has none). Control characters
  // count as contained, as in the GDI engine.
  bool IsContainCharacters(const wchar_t* text);

  FT_Face GetFace() const { return m_face; }
  int GetLastError() const { return m_nLastError; }
  int GetResolution() const { return m_nResolution; }

 private:
  void ReleaseFace();
  // The glyph of ch: the face's charmap, else the resource's glyph-id maps; 0 when none.
  FT_UInt GlyphIndexOf(unsigned ch) const;
  // A blank space glyph for a program without one (the lock held).
  bool PrepareBlankSpace(Gdiplus::Matrix& m, Gdiplus::GraphicsPath& path, float* advanceX, float* advanceY);

  static FT_Library m_library;
  static bool m_library_initialized;
  static unsigned m_library_generation;  // counts starts and stops of the library

  unsigned m_nGeneration = 0;  // the library's generation when the face was opened
  int m_nResolution = 96;
  FT_Face m_face = nullptr;
  int m_nLastError = 0;
  unsigned char m_bFlipY = 1;
  const CEmbedFontResouce* m_pResource = nullptr;
};

// Picks the engine for a font descriptor and forwards to it.
class CAccessTextsOutline {
 public:
  enum { kGdiEngine = 0, kFreeTypeEngine = 1 };

  CAccessTextsOutline() = default;
  CAccessTextsOutline(const CAccessTextsOutline&) = delete;
  CAccessTextsOutline& operator=(const CAccessTextsOutline&) = delete;

  // An embedded font whose resource holds its program (embed flag 0 or 1) goes to FreeType; a
  // system font, a font without resource or without program, or another flag goes to GDI by the
  // descriptor's face. True when the chosen engine took the font.
  bool SetAccessFont(HDC dc, const _CharsFontDesc& font, const CEmbedFontResManager* fonts);
  // Draws from an engine whose face is already open (a glyph map's), which must outlive this
  // facade's use of it; the facade's own engine is left alone.
  void UseFreeTypeEngine(CFFTypeFontEngine* engine);
  int GetSelectedEngine() const { return m_nEngine; }

  bool PrepareGlyph(unsigned ch, Gdiplus::Matrix& m, Gdiplus::GraphicsPath& path, float* advanceX,
                    float* advanceY);
  float GetFontAscent() const;
  float GetFontDescent() const;
  float GetFontExternalLeading() const;
  bool IsContainCharacters(const wchar_t* text);

  // The resource whose program FreeType serves font from, or null when GDI serves it.
  static const CEmbedFontResouce* FindFontProgram(const _CharsFontDesc& font, const CEmbedFontResManager* fonts);

 private:
  unsigned char m_nEngine = kGdiEngine;
  CFFTypeFontEngine m_ftEngine;
  CFFTypeFontEngine* m_pFtEngine = &m_ftEngine;  // the engine in use: its own or a borrowed one
  CFontAccessEngine m_gdiEngine;
};

}  // namespace GlyphweaveLib
