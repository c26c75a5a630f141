// Base of the filters that map each selected channel through one 256-entry table, rebuilt from
// InitLUTtable when a run starts.
#pragma once

#include <array>

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

class CQorPixelLUTRoutine : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelLUTRoutine(IMAGE_CHANNEL channels = CHANNEL_RGB);

  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  // The new value (0..255) of a channel value 0..255.
  virtual int InitLUTtable(int value) = 0;

  const std::array<int, 256>& GetTable() const { return m_table; }

 protected:
  std::array<int, 256> m_table{};
  int m_bRed, m_bGreen, m_bBlue;
};

}  // namespace QorPixelmill
