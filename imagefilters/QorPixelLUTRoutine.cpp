// The lookup-table base.
#include "QorPixelLUTRoutine.h"

namespace QorPixelmill {

CQorPixelLUTRoutine::CQorPixelLUTRoutine(IMAGE_CHANNEL channels)
    : m_bRed(channels & CHANNEL_RED), m_bGreen(channels & CHANNEL_GREEN), m_bBlue(channels & CHANNEL_BLUE) {}

void CQorPixelLUTRoutine::OnEnterProcess(CQorObjImage*) {
  for (int i = 0; i < 256; ++i) m_table[i] = InitLUTtable(i);
}

void CQorPixelLUTRoutine::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  if (m_bBlue) pixel[0] = static_cast<BYTE>(m_table[pixel[0]]);
  if (m_bGreen) pixel[1] = static_cast<BYTE>(m_table[pixel[1]]);
  if (m_bRed) pixel[2] = static_cast<BYTE>(m_table[pixel[2]]);
}

}  // namespace QorPixelmill
