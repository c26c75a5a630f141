#include "QorPixelColorsCount.h"

#include <cstring>

namespace QorPixelmill {

CQorPixelColorsCount::CQorPixelColorsCount(const CQorPixelColorsCount& other)
    : CQorSinglePixelProcessBase(other), m_nCount(other.m_nCount) {}

CQorPixelColorsCount& CQorPixelColorsCount::operator=(const CQorPixelColorsCount& other) {
  m_nCount = other.m_nCount;
  return *this;
}

void CQorPixelColorsCount::OnEnterProcess(CQorObjImage*) {
  m_table.reset();
  m_table.reset(new BYTE[kTableSize]());
  m_nCount = 0;
}

void CQorPixelColorsCount::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  const size_t k = pixel[0] + (size_t{pixel[1]} << 8) + (size_t{pixel[2]} << 16);
  if (m_table[k] == 0) {
    m_table[k] = 1;
    ++m_nCount;
  }
}

void CQorPixelGetKeyColor::OnLeaveProcess(CQorObjImage*) {
  m_bFind = false;
  if (!m_table) return;
  const void* hole = std::memchr(m_table.get(), 0, kTableSize - 1);
  if (!hole) return;
  const size_t index = static_cast<size_t>(static_cast<const BYTE*>(hole) - m_table.get());
  m_key = RGBQUAD{static_cast<BYTE>(index % 256), static_cast<BYTE>(index / 256 % 256), static_cast<BYTE>(index / 65536), 0};
  m_bFind = true;
}

}  // namespace QorPixelmill
