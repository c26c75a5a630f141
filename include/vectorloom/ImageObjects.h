// Image objects: a rectangle shape filled with a picture and without outline, made from a picture
// file or from a packed device-independent bitmap (the clipboard's bitmap format).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ShapeObj.h"
#include "WorkspaceDoc.h"

namespace Gdiplus {
class Bitmap;
}

namespace Vectorloom {

// A new image object (CreateNewObject(0)) of width x height pixels at the page's origin showing
// the resource; null when the document makes no custom path shape for code 0.
CCustomPathObj* CreateImageObject(CWorkspaceDoc* pDoc, CBitmapResObj* pRes, float width, float height);

// The picture file as an external resource known by its path, size and time; one already used on
// a page of the document with the same triple and a picture is reused. Null when the file cannot
// be read or decoded, or is larger than 256 MB. The caller gets a reference.
CExternalBmpResObj* LoadExternalBitmapRes(CWorkspaceDoc* pDoc, const wchar_t* lpszPath);

// Decodes a packed DIB: a BITMAPINFOHEADER (or a larger V4/V5 header), the bit masks and colour
// table it announces, then the pixels. Null for a header that is short, of an unknown size, of
// another bit count than 1, 4, 8, 16, 24 or 32, of no extent, wider or taller than 32768 or of
// more than 2^26 pixels, whose tables reach past the data, or whose uncompressed rows are not all
// there. The caller owns the bitmap.
Gdiplus::Bitmap* DecodePackedDib(const uint8_t* pData, size_t nSize);

// An external resource for the DIB, named by a hash of its bytes (so that pasting the same
// picture twice gives one picture to the document writer); null when it does not decode. The
// caller gets a reference.
CExternalBmpResObj* CreateDibBitmapRes(const uint8_t* pData, size_t nSize);

// The size a width x height picture takes on a page: shrunk (never enlarged) to fit 80 % of the
// page each way; the page size 0 x 0 keeps the picture's size.
CQorVectorSize<float> FitImageToPage(float width, float height, const CQorVectorSize<float>& page);

}  // namespace Vectorloom
