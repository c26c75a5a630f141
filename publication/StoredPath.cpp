// Paths in fixed fields: kept whole when they fit, as a reference made from them otherwise.
#include "quirebook/StoredPath.h"

#include <lwstr.h>
#include <vectorloom/StreamReader.h>

#include "quirebook/VideoStore.h"

namespace Quirebook {

namespace {

constexpr unsigned kHashDigits = 16;
// "*", two hashes, "*".
constexpr size_t kReferenceHead = 2 + 2 * kHashDigits;

uint64_t HashUnits(const std::u16string& units) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (char16_t c : units) {
    h = (h ^ (static_cast<uint16_t>(c) & 0xFF)) * 0x100000001b3ull;
    h = (h ^ (static_cast<uint16_t>(c) >> 8)) * 0x100000001b3ull;
  }
  return h;
}

std::u16string Hex(uint64_t v) {
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  std::u16string s(kHashDigits, u'0');
  for (unsigned i = 0; i < kHashDigits; ++i) s[kHashDigits - 1 - i] = kDigits[(v >> (4 * i)) & 0xF];
  return s;
}

std::u16string Reference(const std::u16string& units) {
  const std::u16string folded = lw::WideToUtf16(FoldVideoPath(lw::Utf16ToWide(units)));
  std::u16string ref = u"*" + Hex(HashUnits(folded)) + Hex(HashUnits(units)) + u"*";
  size_t from = units.size() - (kStoredPathUnits - 1 - ref.size());
  // Never start inside a surrogate pair.
  if (from < units.size() && units[from] >= 0xDC00 && units[from] <= 0xDFFF) ++from;
  ref.append(units, from, std::u16string::npos);
  return ref;
}

bool LooksLikeReference(const std::u16string& field) {
  return field.size() >= kReferenceHead && field[0] == u'*' && field[kReferenceHead - 1] == u'*';
}

}  // namespace

std::u16string FitStoredPath(const std::wstring& path) {
  std::u16string units = lw::WideToUtf16(path);
  if (units.size() < kStoredPathUnits) return units;
  return Reference(units);
}

bool StoredPathMatches(const std::wstring& field, const std::wstring& path) {
  if (field == path) return true;
  const std::u16string units = lw::WideToUtf16(path);
  return units.size() >= kStoredPathUnits && lw::WideToUtf16(field) == Reference(units);
}

bool StoredPathMatchesFolded(const std::wstring& field, const std::wstring& path) {
  if (FoldVideoPath(field) == FoldVideoPath(path)) return true;
  const std::u16string units = lw::WideToUtf16(path), stored = lw::WideToUtf16(field);
  if (units.size() < kStoredPathUnits || !LooksLikeReference(stored)) return false;
  // The first hash is that of the folded path.
  return stored.compare(0, 1 + kHashDigits, Reference(units), 0, 1 + kHashDigits) == 0;
}

bool ReadStoredPath(Vectorloom::CStreamReader& in, std::wstring& text) {
  if (in.GetRemainLength() < kStoredPathUnits * 2) return false;
  std::u16string units;
  bool ended = false;
  for (unsigned i = 0; i < kStoredPathUnits; ++i) {
    uint16_t c = 0;
    in.ReadU16(c);
    ended = ended || c == 0;
    if (!ended) units.push_back(static_cast<char16_t>(c));
  }
  text = lw::Utf16ToWide(units);
  return true;
}

}  // namespace Quirebook
