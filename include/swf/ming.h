// SWF movie writer with Ming's object model: movies, movie clips, display items, shapes and
// fills, bitmaps, fonts built glyph by glyph, static text, video streams and ActionScript actions.
//
// Units. Coordinates, widths, heights and translations given to the calls below are pixels (1/20 of
// the twips that the file stores), except in the "Scaled" shape calls, which take the shape's own
// units as they are (twips for a shape, 1024-per-em units for a glyph shape).
//
// Ownership. Every handle that a newSWF... call returns carries one reference, which belongs to the
// caller and is given up with the matching destroySWF... call. Handing a block to another object
// (SWFMovie_add, SWFMovieClip_add, SWFShape_setRightFill, SWFText_setFont, SWFFont_addGlyph,
// SWFFontCollection_addFont, newSWFFill, newSWF...FillStyle) makes that object take a reference of
// its own, so the caller may destroy its handle right after the call; the block lives on until
// the last holder lets it go. A change made to a block after it was handed over (a fill's matrix,
// a font's glyphs, a display item's matrix) is seen when the movie is saved. Display items belong
// to the movie or clip that returned them and are never destroyed by the caller; they stay valid
// as long as that movie or clip lives.
//
// Errors. A call that cannot do its work returns a null handle or a failure result and leaves the
// process running; Ming_getLastError() tells why in a short English text (per thread).
//
// Threads. Objects are not locked: one object graph is used by one thread at a time. Separate
// movies may be built on separate threads. Character ids are given per movie when it is saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

typedef struct SWFMovie_s* SWFMovie;
typedef struct SWFMovieClip_s* SWFMovieClip;
typedef struct SWFDisplayItem_s* SWFDisplayItem;
typedef struct SWFShape_s* SWFShape;
typedef struct SWFFillStyle_s* SWFFillStyle;
typedef struct SWFFill_s* SWFFill;
typedef struct SWFGradient_s* SWFGradient;
typedef struct SWFInput_s* SWFInput;
typedef struct SWFBitmap_s* SWFBitmap;
typedef struct SWFFont_s* SWFFont;
typedef struct SWFFontCollection_s* SWFFontCollection;
typedef struct SWFText_s* SWFText;
typedef struct SWFTextField_s* SWFTextField;
typedef struct SWFVideoStream_s* SWFVideoStream;
typedef struct SWFAction_s* SWFAction;

// Fill style kinds (the SWF fill type byte).
enum {
    SWFFILL_SOLID = 0x00,
    SWFFILL_LINEAR_GRADIENT = 0x10,
    SWFFILL_RADIAL_GRADIENT = 0x12,
    SWFFILL_TILED_BITMAP = 0x40,
    SWFFILL_CLIPPED_BITMAP = 0x41,
    SWFFILL_NONSMOOTHED_TILED_BITMAP = 0x42,
    SWFFILL_NONSMOOTHED_CLIPPED_BITMAP = 0x43,
};

// Font flags (the DefineFont2 flag byte). The writer always sets SWF_FONT_HASLAYOUT and
// SWF_FONT_WIDECODES, clears the ANSI and Shift-JIS flags and decides SWF_FONT_WIDEOFFSETS from
// the size of the glyph table it writes; bold, italic and small text are written as given.
enum {
    SWF_FONT_ISBOLD = 0x01,
    SWF_FONT_ISITALIC = 0x02,
    SWF_FONT_WIDECODES = 0x04,
    SWF_FONT_WIDEOFFSETS = 0x08,
    SWF_FONT_ANSI = 0x10,
    SWF_FONT_SMALLTEXT = 0x20,
    SWF_FONT_SHIFTJIS = 0x40,
    SWF_FONT_HASLAYOUT = 0x80,
};

// Memory layouts of the pixels handed to newSWFBitmap_fromPixels (bytes in memory order, as a
// little-endian 32-bit ARGB or 24-bit RGB scan line holds them).
enum SWFPixelFormat : int {
    SWF_PIXELS_BGRA32 = 1,  // blue, green, red, alpha (straight, not premultiplied)
    SWF_PIXELS_BGRX32 = 2,  // blue, green, red, unused: opaque
    SWF_PIXELS_BGR24 = 3,   // blue, green, red: opaque
};

// Why the last failing call of this thread failed ("" when none has).
const char* Ming_getLastError();

// Tolerance (twips, or glyph units for glyph shapes) within which a cubic curve is replaced by
// quadratic curves: the largest distance |dx| + |dy| between the cubic and its quadratic
// stand-ins. Taken by each later SWFShape_drawCubicTo; default 10; values below 1 are 1.
void Ming_setCubicThreshold(int threshold);
int Ming_getCubicThreshold();

// ---- Movies ---------------------------------------------------------------------------------
// A movie of the given SWF version (8 or later; anything else gives null). The movie is owned by
// the caller and released with destroySWFMovie, which also lets go of every block added to it.
SWFMovie newSWFMovieWithVersion(int version);
void destroySWFMovie(SWFMovie movie);
void SWFMovie_setBackground(SWFMovie movie, int r, int g, int b);
void SWFMovie_setDimension(SWFMovie movie, double width, double height);  // pixels
void SWFMovie_setRate(SWFMovie movie, double rate);                        // frames per second
// zlib level 1..9 writes a compressed ("CWS") file; 0 (the default) an uncompressed one ("FWS").
void SWFMovie_setCompression(SWFMovie movie, int level);
// Places a character on the root timeline (one frame) or adds an action to it. Returns the
// display item of the placed character; null for an action, and null when the block is null.
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFShape shape);
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFMovieClip clip);
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFText text);
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFTextField field);
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFVideoStream stream);
SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFAction action);
// Writes the whole file: header, FileAttributes, SetBackgroundColor (when set), definitions and
// placements in the order added, one ShowFrame and End. The file replaces the target as
// lw::FileReplacement does (written beside it, synced, renamed over it; a link there is followed),
// so an old file survives a failed save. Returns the file's size in bytes, or -1.
int SWFMovie_save(SWFMovie movie, const char* path);
// Exports a clip under a linkage name (UTF-8), for ActionScript's attachMovie: ExportAssets,
// written after the definitions and before the root timeline's first placement. A name given
// twice keeps its first clip.
void SWFMovie_addExport(SWFMovie movie, SWFMovieClip clip, const char* name);
// The same bytes into memory (previous contents replaced). Returns false on failure.
bool SWFMovie_saveToBuffer(SWFMovie movie, std::vector<uint8_t>* out);

// ---- Movie clips (sprites) --------------------------------------------------------------------
SWFMovieClip newSWFMovieClip();
void destroySWFMovieClip(SWFMovieClip clip);
// Adding a clip to itself or to one of the clips inside it is refused (null).
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFShape shape);
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFMovieClip inner);
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFText text);
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFTextField field);
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFVideoStream stream);
SWFDisplayItem SWFMovieClip_add(SWFMovieClip clip, SWFAction action);
// Ends the clip's current frame. A clip whose last frame was not ended gets one more at save.
void SWFMovieClip_nextFrame(SWFMovieClip clip);

// ---- Display items ------------------------------------------------------------------------------
// Translation in pixels; the scale, rotation and skew of the matrix are kept.
void SWFDisplayItem_moveTo(SWFDisplayItem item, double x, double y);
// The instance name (UTF-8); an empty or null name removes it.
void SWFDisplayItem_setName(SWFDisplayItem item, const char* name);
// The whole matrix: x' = a x + c y + x0, y' = b x + d y + y0, with x0 and y0 in pixels.
void SWFDisplayItem_setMatrix(SWFDisplayItem item, double a, double b, double c, double d,
                              double x, double y);

// ---- Shapes ---------------------------------------------------------------------------------------
// Shapes are written as DefineShape4. SWFShape_useVersion accepts 4 only (returns 0 otherwise).
SWFShape newSWFShape();
// A glyph outline for SWFFont_addGlyph: one fill, no lines, coordinates in 1024-per-em units.
SWFShape newSWFGlyphShape();
void destroySWFShape(SWFShape shape);
int SWFShape_useVersion(SWFShape shape, int version);
// How the shape's fills find their inside where its outline crosses itself: even-odd (what every
// player does by default) or nonzero winding (the DefineShape4 fill winding rule flag, which
// players from SWF 10 on honour, Ruffle included; older ones fill even-odd). Not for glyphs.
enum { SWF_FILL_RULE_EVEN_ODD = 0, SWF_FILL_RULE_NONZERO = 1 };
void SWFShape_setFillRule(SWFShape shape, int rule);
// The fill on the right of the edges drawn from now on (null: none). Adds the fill's style to the
// shape's style table the first time it is used.
void SWFShape_setRightFill(SWFShape shape, SWFFill fill);
// The line style of the edges drawn from now on: width in pixels (0: no line), round caps and
// joins.
void SWFShape_setLine(SWFShape shape, unsigned short width, int r, int g, int b, int a);
// Cap and join kinds of SWFShape_setLineTwips (the LINESTYLE2 values).
enum { SWF_LINE_CAP_ROUND = 0, SWF_LINE_CAP_NONE = 1, SWF_LINE_CAP_SQUARE = 2 };
enum { SWF_LINE_JOIN_ROUND = 0, SWF_LINE_JOIN_BEVEL = 1, SWF_LINE_JOIN_MITER = 2 };
// The same with the width in twips (1/20 pixel; at most 65535, 0: no line), for lines thinner
// than a pixel or between whole pixels, and the caps of both ends and the join of corners (other
// values: round); a miter join is cut where it reaches past miterLimit (1 to 255) line widths.
void SWFShape_setLineTwips(SWFShape shape, int width, int r, int g, int b, int a, int startCap = SWF_LINE_CAP_ROUND,
                           int endCap = SWF_LINE_CAP_ROUND, int join = SWF_LINE_JOIN_ROUND, double miterLimit = 3);
void SWFShape_movePenTo(SWFShape shape, double x, double y);
void SWFShape_drawLineTo(SWFShape shape, double x, double y);
void SWFShape_drawCurveTo(SWFShape shape, double controlx, double controly, double anchorx,
                          double anchory);
void SWFShape_drawCubicTo(SWFShape shape, double bx, double by, double cx, double cy, double dx,
                          double dy);
void SWFShape_moveScaledPenTo(SWFShape shape, double x, double y);
void SWFShape_drawScaledLineTo(SWFShape shape, double x, double y);
void SWFShape_drawScaledCurveTo(SWFShape shape, double controlx, double controly, double anchorx,
                                double anchory);
void SWFShape_drawScaledCubicTo(SWFShape shape, double bx, double by, double cx, double cy,
                                double dx, double dy);

// ---- Fills --------------------------------------------------------------------------------------
// A fill style is the SWF FILLSTYLE (kind, colour, gradient or bitmap, matrix); a fill is the
// handle through which a shape uses a style and through which its matrix is changed (fills made
// from one style share that style's matrix).
SWFFillStyle newSWFSolidFillStyle(int r, int g, int b, int a);
// kind SWFFILL_LINEAR_GRADIENT or SWFFILL_RADIAL_GRADIENT; null for another kind or gradient.
// The gradient's matrix maps the gradient square (-819.2 .. 819.2 pixels on both axes, the linear
// ramp running along x) into the shape: to fit a linear ramp to a box of width w and height h
// pixels at (x, y), scale by (w / 1638.4, h / 1638.4) and move to (x + w / 2, y + h / 2).
SWFFillStyle newSWFGradientFillStyle(SWFGradient gradient, int kind);
// kind SWFFILL_*_BITMAP; null for another kind or a null bitmap. The identity matrix draws one
// bitmap pixel per twip (1/20 pixel) with the bitmap's top left corner at the shape's origin.
SWFFillStyle newSWFBitmapFillStyle(SWFBitmap bitmap, int kind);
void destroySWFFillStyle(SWFFillStyle style);
SWFFill newSWFFill(SWFFillStyle style);  // null for a null style
void destroySWFFill(SWFFill fill);
// The fill matrix is rotation x scale, then the translation; each call sets its part.
void SWFFill_moveTo(SWFFill fill, double x, double y);       // translation, pixels
void SWFFill_scaleXYTo(SWFFill fill, double sx, double sy);  // scale factors
void SWFFill_scaleXY(SWFFill fill, double sx, double sy);    // multiplies the scale factors
void SWFFill_rotateTo(SWFFill fill, double degrees);         // counter-clockwise on screen
// The whole matrix (a, b, c, d as in SWFDisplayItem_setMatrix; x, y in pixels); later calls of
// the part setters above rebuild it from their parts.
void SWFFill_setMatrix(SWFFill fill, double a, double b, double c, double d, double x, double y);

// ---- Gradients -----------------------------------------------------------------------------
SWFGradient newSWFGradient();
void destroySWFGradient(SWFGradient gradient);
// ratio 0..1 (stored as floor(255 x ratio)); at most 15 entries: returns 0 when refused.
int SWFGradient_addEntry(SWFGradient gradient, double ratio, int r, int g, int b, int a);

// ---- Bitmaps ----------------------------------------------------------------------------------------
// A copy of the bytes; the caller destroys the input (a bitmap made from it keeps its own copy).
SWFInput newSWFInput_bufferCopy(const unsigned char* bytes, int length);
void destroySWFInput(SWFInput input);
// A bitmap from encoded image bytes. A baseline JPEG is written as it is (DefineBitsJPEG2).
// Progressive, lossless, arithmetic-coded and CMYK JPEGs, other encodings and broken data give
// null (see Ming_getLastError).
SWFBitmap newSWFBitmap_fromInput(SWFInput input);
// A bitmap from pixels (rows top down, stride in bytes), written losslessly with premultiplied
// alpha (DefineBitsLossless2). Sizes of 1 to 65535 pixels. Null on bad arguments.
SWFBitmap newSWFBitmap_fromPixels(const uint8_t* pixels, int width, int height, int stride,
                                  SWFPixelFormat format);
void destroySWFBitmap(SWFBitmap bitmap);
int SWFBitmap_getWidth(SWFBitmap bitmap);
int SWFBitmap_getHeight(SWFBitmap bitmap);

// ---- Fonts --------------------------------------------------------------------------------------
// A font built glyph by glyph, written as DefineFont2 when a text that uses it is saved.
SWFFont newSWFFont();
void destroySWFFont(SWFFont font);
void SWFFont_setFlags(SWFFont font, int flags);
void SWFFont_setName(SWFFont font, const char* name);  // UTF-8, at most 255 bytes are kept
// Ascent, descent and leading in 1024-per-em units.
void SWFFont_setMetrics(SWFFont font, int ascent, int descent, int leading);
// Adds the glyph of a character code (a UTF-16 unit) at its sorted place in the code table:
// glyph outline (a glyph shape; the font takes a reference) and advance in 1024-per-em units.
// Returns the glyph's index now, or -1 when the code is already in the font or the shape is
// null or not a glyph shape. Indices shift as glyphs are inserted; texts resolve theirs at save.
int SWFFont_addGlyph(SWFFont font, unsigned short code, SWFShape glyph, int advance);
int SWFFont_findGlyph(SWFFont font, unsigned short code);  // index or -1
int SWFFont_getGlyphCount(SWFFont font);
// Kept for callers written against Ming: the code table is always sorted and glyph indices are
// looked up when the movie is saved, so this does nothing more than check the table.
void SWFFont_buildReverseMapping(SWFFont font);

// A list of fonts kept for one font description; it holds a reference on each font.
SWFFontCollection newSWFFontCollection();
void destroySWFFontCollection(SWFFontCollection collection);
void SWFFontCollection_addFont(SWFFontCollection collection, SWFFont font);
int SWFFontCollection_getFontCount(SWFFontCollection collection);
SWFFont SWFFontCollection_getFont(SWFFontCollection collection, int index);  // borrowed

// ---- Static text ------------------------------------------------------------------------------
// Written as DefineText (DefineText2 when some colour is not opaque). The font, colour, height,
// spacing and position set apply to the strings added after them.
SWFText newSWFText();
void destroySWFText(SWFText text);
void SWFText_setFont(SWFText text, SWFFont font);
void SWFText_setColor(SWFText text, int r, int g, int b, int a);
void SWFText_setHeight(SWFText text, double height);    // pixels (the em size)
void SWFText_setSpacing(SWFText text, double spacing);  // pixels added to every advance
void SWFText_moveTo(SWFText text, double x, double y);  // baseline start of the next string
// Characters (UTF-16 units) drawn with the current font; a character the font has no glyph for
// when the movie is saved, or added while no font was set, is left out. Each advance is the
// glyph's advance x height / 1024 plus the spacing, unless advances is given: then advances[i]
// (twips) is the advance of character i.
void SWFText_addWideString(SWFText text, const unsigned short* string, int length,
                           const int* advances);
void SWFText_addWideString(SWFText text, const char16_t* string, int length, const int* advances);

// ---- Text fields ------------------------------------------------------------------------------
// A text field (DefineEditText) that scripts may fill: bounds from (0, 0), the font (a font without
// glyphs named "_sans", "_serif" or "_typewriter" is the player's own face; the field then draws
// with it unless SWFTEXTFIELD_USEFONT is set), height, colour, alignment, flags and the first text.
enum {
    SWFTEXTFIELD_WORDWRAP = 1 << 6,
    SWFTEXTFIELD_MULTILINE = 1 << 5,
    SWFTEXTFIELD_NOEDIT = 1 << 3,
    SWFTEXTFIELD_USEFONT = 1 << 8,
    SWFTEXTFIELD_HTML = 1 << 9,
    SWFTEXTFIELD_DRAWBOX = 1 << 11,
    SWFTEXTFIELD_NOSELECT = 1 << 12,
    SWFTEXTFIELD_AUTOSIZE = 1 << 14,
};
enum SWFTextFieldAlignment {
    SWFTEXTFIELD_ALIGN_LEFT = 0,
    SWFTEXTFIELD_ALIGN_RIGHT = 1,
    SWFTEXTFIELD_ALIGN_CENTER = 2,
    SWFTEXTFIELD_ALIGN_JUSTIFY = 3,
};
SWFTextField newSWFTextField();
void destroySWFTextField(SWFTextField field);
void SWFTextField_setFont(SWFTextField field, SWFFont font);
void SWFTextField_setBounds(SWFTextField field, double width, double height);  // pixels
void SWFTextField_setHeight(SWFTextField field, double height);                // pixels
void SWFTextField_setColor(SWFTextField field, int r, int g, int b, int a);
void SWFTextField_setAlignment(SWFTextField field, SWFTextFieldAlignment alignment);
void SWFTextField_setFlags(SWFTextField field, int flags);  // SWFTEXTFIELD_... or-ed
void SWFTextField_addString(SWFTextField field, const char* text);  // UTF-8, appended

// ---- Video streams ----------------------------------------------------------------------------
// An empty video stream (no frames) for NetStream playback: DefineVideoStream.
SWFVideoStream newSWFVideoStream();
void destroySWFVideoStream(SWFVideoStream stream);
void SWFVideoStream_setDimension(SWFVideoStream stream, int width, int height);  // pixels

// ---- Actions ----------------------------------------------------------------------------------------
// ActionScript 1/2 source (UTF-8), compiled at once into SWF 8 action records (DoAction). A
// script that does not compile still gives an action, which adds nothing to a movie or clip;
// SWFAction_getError tells why. A null source is an error too.
SWFAction newSWFAction(const char* source);
void destroySWFAction(SWFAction action);
// Null when the script compiled; else the message, with its line and column (from 1).
const char* SWFAction_getError(SWFAction action, int* line, int* column);
