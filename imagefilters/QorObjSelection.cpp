// The selection weights.
#include "QorObjSelection.h"

#include <new>
#include <stdexcept>

namespace QorPixelmill {

bool CQorObjSelection::Create(int width, int height, BYTE weight) {
  Destroy();
  if (width < 1 || height < 1) return false;
  try {
    m_weights.assign(static_cast<size_t>(width) * static_cast<size_t>(height), weight);
  } catch (const std::bad_alloc&) {
    m_weights.clear();
    return false;
  } catch (const std::length_error&) {
    m_weights.clear();
    return false;
  }
  m_nWidth = width;
  m_nHeight = height;
  return true;
}

void CQorObjSelection::Destroy() {
  m_weights.clear();
  m_weights.shrink_to_fit();
  m_nWidth = m_nHeight = 0;
}

BYTE CQorObjSelection::GetWeight(int x, int y) const {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return 0;
  return m_weights[static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)];
}

void CQorObjSelection::SetWeight(int x, int y, BYTE weight) {
  if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight) return;
  m_weights[static_cast<size_t>(y) * static_cast<size_t>(m_nWidth) + static_cast<size_t>(x)] = weight;
}

}  // namespace QorPixelmill
