// The values behind the ribbon's property galleries of the editing view, and which gallery item
// shows a value of the selection.
#pragma once

#include "ShellIds.h"  // Fill/Stroke Needed and the Group split button

// Stroke widths in points, by gallery item id.
inline constexpr int kStrokeWidthPoints[9] = {1, 2, 3, 4, 5, 6, 7, 10, 15};
// Alphas (255 opaque), by gallery item id.
inline constexpr int kTransparencyAlphas[6] = {0, 32, 64, 128, 192, 255};
// Rotation angles in degrees, by gallery item id.
inline constexpr int kRotationAngles[16] = {5, 25, 45, 70, 90, 115, 135, 155, 180, 200, 225, 245, 270, 290, 315, 345};

// The first item of a stroke width given in pixels at `dpi` (whole points, cut toward zero); -1
// when no item has it.
int StrokeWidthGalleryIndex(float pixels, int dpi);
// The first item of an angle or an alpha; -1 when none.
int RotationGalleryIndex(int angle);
int TransparencyGalleryIndex(int alpha);
// The value of a gallery item id; false for an id outside the table.
bool StrokeWidthOfItem(int id, int& points);
bool RotationOfItem(int id, int& angle);

// A number of the ribbon's edit boxes as a person types it: at most two decimals, no trailing
// zeros, no sign on zero ("0", "1.5", "-2.25", "11.9").
CString FormatControlNumber(float value);

// What Print and Quick Print print: the document's print layout, its grid at least 1 x 1 and its
// pages those still in the document; every page when it names none (a document never printed).
class CLeafwrightDoc;
struct CPrintLayout;
CPrintLayout DocumentPrintLayout(const CLeafwrightDoc& doc);

// Command ids of the ribbon's editing controls.
inline constexpr unsigned ID_STROKE_WIDTH_GALLERY = 32784;
inline constexpr unsigned ID_DASH_TYPE_GALLERY = 32786;
inline constexpr unsigned ID_FILLED_COLOR = 32777;
inline constexpr unsigned ID_STROKED_COLOR = 32783;
inline constexpr unsigned ID_ROTATE_GALLERY = 32807;
inline constexpr unsigned ID_NO_OPERATION = 32881;
inline constexpr unsigned ID_ROUNDNESS_BAR = 1003;
inline constexpr unsigned ID_FILL_TRANSPARENCY_GALLERY = 32779;
inline constexpr unsigned ID_STROKE_TRANSPARENCY_GALLERY = 32788;
inline constexpr unsigned ID_FILL_COLOR_GALLERY = 32791;
inline constexpr unsigned ID_STROKE_COLOR_GALLERY = 32883;
#ifndef ID_FILE_PRINT_DIRECT
#define ID_FILE_PRINT_DIRECT 0xE108  // Quick Print
#endif
#ifndef ID_FILE_PRINT_PREVIEW
#define ID_FILE_PRINT_PREVIEW 0xE109
#endif
