// Little-endian record fields over a CFile (or CMemFile). Writers go through CFile::Write and so
// throw CFileException* when the data cannot be written; readers return false when the file
// ends before the field is complete and never throw on bad data (a failing device still throws
// from CFile::Read). Strings are a u32 count of UTF-16 code units followed by the units (UTF-16LE).
#pragma once

#include <cstdint>
#include <string>

#include "afx.h"
#include "lwbytes.h"

namespace lw::bin {

void WriteU8(CFile& f, uint8_t v);
void WriteU16(CFile& f, uint16_t v);
void WriteU32(CFile& f, uint32_t v);
void WriteI32(CFile& f, int32_t v);
void WriteU64(CFile& f, uint64_t v);
void WriteI64(CFile& f, int64_t v);
void WriteF32(CFile& f, float v);  // IEEE-754 bit pattern
void WriteBytes(CFile& f, const void* data, size_t n);
void WriteString16(CFile& f, const CString& s);
void WriteString16(CFile& f, const std::u16string& s);

bool ReadU8(CFile& f, uint8_t& v);
bool ReadU16(CFile& f, uint16_t& v);
bool ReadU32(CFile& f, uint32_t& v);
bool ReadI32(CFile& f, int32_t& v);
bool ReadU64(CFile& f, uint64_t& v);
bool ReadI64(CFile& f, int64_t& v);
bool ReadF32(CFile& f, float& v);
// Exactly n bytes, or false.
bool ReadBytes(CFile& f, void* data, size_t n);
// The count is checked against what is left in the file before anything is allocated.
bool ReadString16(CFile& f, std::u16string& s);
bool ReadString16(CFile& f, CString& s);

// What is left of the file after its position (0 when the position is past the end): sizes and
// counts read from a file are checked against it before anything is allocated.
uint64_t BytesLeft(CFile& f);
// Whether count records of at least minSize bytes each can still follow (always, for minSize 0).
bool CountFits(CFile& f, uint64_t count, uint64_t minSize);

// Little-endian encoding into and out of byte buffers (lwbytes.h).
using lw::GetLE16;
using lw::GetLE32;
using lw::GetLE64;
using lw::PutLE16;
using lw::PutLE32;
using lw::PutLE64;

}  // namespace lw::bin
