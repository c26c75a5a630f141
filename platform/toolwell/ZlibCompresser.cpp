#include "ZlibCompresser.h"

#include <zlib.h>

#include <climits>
#include <cstdint>

namespace {

// Deflate cannot expand data by more than about 1032 to 1; a raw length beyond this bound
// cannot come from the packed bytes, so it is refused before anything is allocated.
constexpr uint64_t kMaxInflateRatio = 1032;
constexpr uint64_t kSmallStreamAllowance = 1024;

}  // namespace

bool CZlibCompresser::Compress(const unsigned char* data, int length) {
  m_nPackedLength = 0;
  if (length < 0 || (!data && length > 0)) return false;
  static const unsigned char kEmpty = 0;
  if (!data) data = &kEmpty;
  const uLong bound = compressBound(static_cast<uLong>(length));
  if (bound > UINT_MAX) return false;
  if (m_nPackedCapacity < bound) {
    auto* grown = static_cast<unsigned char*>(std::malloc(bound));
    if (!grown) return false;
    std::free(m_pPacked);
    m_pPacked = grown;
    m_nPackedCapacity = static_cast<unsigned>(bound);
  }
  uLongf packed = m_nPackedCapacity;
  if (compress2(m_pPacked, &packed, data, static_cast<uLong>(length), Z_DEFAULT_COMPRESSION) != Z_OK) return false;
  m_nPackedLength = static_cast<unsigned>(packed);
  return true;
}

bool CZlibUnCompresser::UnCompress(const unsigned char* packed, unsigned packedLength, unsigned rawLength) {
  m_nUnpackedLength = 0;
  if (!packed || packedLength == 0 ||
      static_cast<uint64_t>(rawLength) > static_cast<uint64_t>(packedLength) * kMaxInflateRatio + kSmallStreamAllowance) {
    Clear();
    return false;
  }
  // One byte more than expected, so that a stream that runs on past rawLength is noticed.
  const uint64_t room = static_cast<uint64_t>(rawLength) + 1;
  if (room > UINT_MAX) {
    Clear();
    return false;
  }
  if (m_nUnpackedCapacity < room) {
    Clear();
    m_pUnpacked = static_cast<unsigned char*>(std::malloc(room));
    if (!m_pUnpacked) return false;
    m_nUnpackedCapacity = static_cast<unsigned>(room);
  }
  z_stream zs{};
  if (inflateInit(&zs) != Z_OK) {
    Clear();
    return false;
  }
  zs.next_in = const_cast<Bytef*>(packed);
  zs.avail_in = packedLength;
  zs.next_out = m_pUnpacked;
  zs.avail_out = static_cast<uInt>(room);
  const int rc = inflate(&zs, Z_FINISH);
  const uLong produced = zs.total_out;
  inflateEnd(&zs);
  if (rc != Z_STREAM_END || produced != rawLength) {
    Clear();
    return false;
  }
  m_nUnpackedLength = rawLength;
  return true;
}
