// Paths kept in the fixed path fields of the document's sections ("Dibs" and "avst" entries hold
// 260 UTF-16 units, the last always zero).
//
// A path that fits is kept as it is. A longer one (deep folders are common) is kept as a
// reference made from it: "*", 16 lower-case hexadecimal digits of the FNV-1a hash (64-bit) of
// the path's UTF-16 units folded to lower case, 16 more of the hash of the units as given, "*",
// then as many of the path's last units as fit (never half of a surrogate pair). The object
// records always carry the whole path, so a reader that meets a reference recognises it from
// the path of the object it resolves.
#pragma once

#include <string>

namespace Vectorloom {
class CStreamReader;
}

namespace Quirebook {

// UTF-16 units of a path field; at most kStoredPathUnits - 1 of them hold text.
inline constexpr unsigned kStoredPathUnits = 260;

// The units to store for a path: the path itself when it fits, otherwise its reference.
std::u16string FitStoredPath(const std::wstring& path);
// True when a field's text stands for the path: the same text, or the path's reference.
bool StoredPathMatches(const std::wstring& field, const std::wstring& path);
// True when a field's text stands for the path up to case: the same text folded, or a
// reference made from a path of the same fold.
bool StoredPathMatchesFolded(const std::wstring& field, const std::wstring& path);
// Reads one field of kStoredPathUnits units (its text ends at the first zero unit); false, with
// nothing read, when the field does not fit in what is left.
bool ReadStoredPath(Vectorloom::CStreamReader& in, std::wstring& text);

}  // namespace Quirebook
