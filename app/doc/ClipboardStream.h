// The program's clipboard stream: "EPDF" "2000" "2010", the headers of the three sections
// "Objs", "Dibs" and "Font" (at offsets 12, 24 and 36), then the three sections in that order.
// The stream comes from other running programs, so reading it trusts none of its offsets or
// lengths, and no fault in it gets past the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FinishLoadedObjects.h"

// The stream of a copy of `objects` (shapes, texts and groups; videos at the top are left out)
// with their pictures and the embedded fonts of `from` that their texts use. False when a part
// could not be written.
bool WriteClipboardStream(const Vectorloom::CRenderBaseObjectList& objects, CPublicationDoc& from,
                          std::vector<uint8_t>& out);

// Reads a stream into new objects appended to `out`, named "Copy Of " + name; their pictures and
// fonts are moved into `into` (clashing font ids renamed in texts at every depth). False, with
// nothing appended and the document left alone, for a stream that is not ours (tag or first
// version), a damaged object section or any exception while reading; the second version is not
// checked. Pictures whose blocks are damaged are left out and counted in *skippedPictures.
bool ReadClipboardStream(const uint8_t* data, size_t size, CPublicationDoc& into, Vectorloom::CRenderBaseObjectList& out,
                         int* skippedPictures = nullptr);

// The UTF-16 text of a clipboard block of `size` bytes: up to the first zero unit, never past the
// block's end (a block from another program may carry no terminator; an odd last byte is dropped).
std::u16string ReadClipboardText(const void* data, size_t size);
