// The GDI+ layer: everything callers of GDI+ include.
#pragma once

#include "GdiplusTypes.h"
#include "GdiplusMatrix.h"
#include "GdiplusPath.h"
#include "GdiplusRegion.h"
#include "GdiplusBrush.h"
#include "GdiplusPen.h"
#include "GdiplusGraphics.h"

#if __has_include("GdiplusImaging.h")
#include "GdiplusImaging.h"
#endif
#if __has_include("GdiplusBitmap.h")
#include "GdiplusBitmap.h"
#endif
#if __has_include("GdiplusInit.h")
#include "GdiplusInit.h"
#endif
