#include "QorPixelEffects.h"

#include <utility>

#include "QorPixelFilters.h"
#include "QorPixelLUTFilters.h"

namespace QorPixelmill {

namespace {

// The printable characters in keyboard order with the ink weight of each.
constexpr std::pair<char, char> kInk[] = {
    {' ', 0},   {'`', 7},   {'1', 22}, {'2', 28}, {'3', 31}, {'4', 31}, {'5', 27}, {'6', 32}, {'7', 22}, {'8', 38},
    {'9', 32},  {'0', 40},  {'-', 6},  {'=', 12}, {'\\', 20}, {'q', 38}, {'w', 32}, {'e', 26}, {'r', 20}, {'t', 24},
    {'y', 40},  {'u', 29},  {'i', 24}, {'o', 28}, {'p', 38}, {'[', 32}, {']', 32}, {'a', 26}, {'s', 22}, {'d', 34},
    {'f', 24},  {'g', 44},  {'h', 33}, {'j', 32}, {'k', 32}, {'l', 24}, {';', 16}, {'\'', 6}, {'z', 22}, {'x', 26},
    {'c', 22},  {'v', 26},  {'b', 34}, {'n', 29}, {'m', 35}, {',', 10}, {'.', 6},  {'/', 20}, {'~', 14}, {'!', 22},
    {'@', 47},  {'#', 42},  {'$', 34}, {'%', 40}, {'^', 10}, {'&', 35}, {'*', 21}, {'(', 22}, {')', 22}, {'_', 16},
    {'+', 14},  {'|', 26},  {'Q', 40}, {'W', 39}, {'E', 29}, {'R', 38}, {'T', 22}, {'Y', 28}, {'U', 36}, {'I', 22},
    {'O', 36},  {'P', 30},  {'{', 22}, {'}', 22}, {'A', 36}, {'S', 26}, {'D', 36}, {'F', 25}, {'G', 34}, {'H', 38},
    {'J', 24},  {'K', 36},  {'L', 22}, {':', 12}, {'"', 12}, {'Z', 26}, {'X', 30}, {'C', 30}, {'V', 34}, {'B', 39},
    {'N', 42},  {'M', 41},  {'<', 18}, {'>', 18}, {'?', 22},
};
static_assert(sizeof(kInk) / sizeof(kInk[0]) == 95);

}  // namespace

CQorPixelExportAscII::CQorPixelExportAscII(const char* path) {
  if (path) m_file.open(path, std::ios::binary | std::ios::out | std::ios::trunc);
  if (!m_file.is_open()) return;
  for (const auto& [c, w] : kInk) {
    m_ramp.push_back(c);
    m_weights.push_back(w);
  }
  // The exchange sort fixes the order of characters of equal weight.
  for (size_t i = 0; i + 1 < m_ramp.size(); ++i)
    for (size_t j = i + 1; j < m_ramp.size(); ++j)
      if (m_weights[i] > m_weights[j]) {
        std::swap(m_weights[i], m_weights[j]);
        std::swap(m_ramp[i], m_ramp[j]);
      }
}

int CQorPixelExportAscII::ProcessCopy(CQorObjImage*, CQorCommonProgress* progress) {
  if (!m_file.is_open() || !m_file.good() || m_ramp.empty()) return 0;
  {
    CQorProgressSubRange range(progress, 0.3f);
    CQorPixelInvert invert(CHANNEL_RGB);
    if (!m_backup.SinglePixelProcessProc(invert, progress)) return 0;
  }
  {
    CQorProgressSubRange range(progress, 0.3f);
    CQorPixelConvertTo8BitGray grey;
    if (!m_backup.SinglePixelProcessProc(grey, progress)) return 0;
  }
  CQorProgressSubRange range(progress, 0.4f);
  const int columns = m_backup.Width() / 8, rows = m_backup.Height() / 16;
  const int heaviest = static_cast<unsigned char>(m_weights.back());
  std::string line;
  for (int r = 0; r < rows; ++r) {
    line.clear();
    for (int c = 0; c < columns; ++c) {
      int s = 0;
      for (int y = r * 16; y < r * 16 + 16; ++y) {
        const BYTE* p = m_backup.GetBits(c * 8, y);
        for (int x = 0; x < 8; ++x) s += p[x];
      }
      const int target = s / 128 * heaviest / 255;
      size_t k = 0;
      while (k + 1 < m_weights.size() && m_weights[k] < target) ++k;
      line.push_back(m_ramp[k]);
    }
    line += "\r\n";
    if (!m_file.write(line.data(), static_cast<std::streamsize>(line.size())) || !m_file.flush()) return 0;
    if (ReportRowProgress(progress, r, rows)) return 0;
  }
  return m_file.flush() ? 1 : 0;
}

}  // namespace QorPixelmill
