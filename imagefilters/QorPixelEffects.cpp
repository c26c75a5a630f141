#include "QorPixelEffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

#include "QorPixelBlurs.h"

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

int CQorPixelGlasstile::ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = image->Width(), h = image->Height(), bpp = image->ColorBits() / 8;
  const int hx = m_nTileWidth / 2, px = m_nTileWidth % 2, hy = m_nTileHeight / 2, py = m_nTileHeight % 2;
  int64_t ymid = 0, yoff = 0;
  for (int y = 0; y < h; ++y) {
    const int sy = static_cast<int>(std::clamp<int64_t>(ymid + 2 * yoff, 0, h - 1));
    if (++yoff == hy) {
      ymid += m_nTileHeight;
      yoff = -(hy + py);
    }
    int64_t xmid = 0, xoff = 0;
    BYTE* row = image->GetBits(y);
    for (int x = 0; x < w; ++x) {
      const int sx = static_cast<int>(std::clamp<int64_t>(xmid + 2 * xoff, 0, w - 1));
      std::memcpy(row + x * bpp, m_backup.GetBits(sx, sy), static_cast<size_t>(bpp));
      if (++xoff == hx) {
        xmid += m_nTileWidth;
        xoff = -(hx + px);
      }
    }
    if (ReportRowProgress(progress, y, h)) return 0;
  }
  return 1;
}

namespace {

// Each colour channel scaled by the map's alpha in per cent.
class CQorPixelFillInnerBevel : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelFillInnerBevel(const CQorObjImage& map) : m_map(map) {}
  void ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) override {
    const int factor = m_map.GetBits(x, y)[3];
    for (int i = 0; i < 3; ++i) pixel[i] = static_cast<BYTE>(std::min(pixel[i] * factor / 100, 255));
  }

 private:
  const CQorObjImage& m_map;
};

}  // namespace

int CQorPixelInnerBevel::ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = image->Width(), h = image->Height(), b = m_nBevelWidth;
  CQorObjImage map;
  {
    CQorProgressSubRange range(progress, 0.2f);
    if (!map.Create(w, h, 32, 0)) return 0;
    for (int y = 0; y < h; ++y) {
      BYTE* row = map.GetBits(y);
      for (int x = 0; x < w; ++x) {
        int factor = 100;
        if ((x < b && x < y && y < h - x) || (y < b && y < x && x < w - y))
          factor = 160;
        else if (x > w - b && w - x < y && y < h - w + x)
          factor = 40;
        else if (y > h - b)
          factor = 40;
        row[x * 4 + 3] = static_cast<BYTE>(factor);
      }
      if (ReportRowProgress(progress, y, h)) return 0;
    }
  }
  {
    CQorProgressSubRange range(progress, 0.5f);
    CQorPixelBlurBox blur(m_nSoftness, true);
    if (!map.SinglePixelProcessProc(blur, progress)) return 0;
  }
  CQorProgressSubRange range(progress, 0.3f);
  CQorPixelFillInnerBevel fill(map);
  return image->SinglePixelProcessProc(fill, progress);
}

int CQorPixelSmoothEdge::ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) {
  CQorObjImage alpha;
  if (!image->GetAlphaChannel(&alpha)) return 0;
  const int w = alpha.Width(), h = alpha.Height(), r = m_nRadius;
  auto at = [&](int x, int y) -> int { return x < 0 || y < 0 || x >= w || y >= h ? 0 : alpha.GetBits(y)[x]; };
  std::deque<POINT> edges;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int v = at(x, y);
      if (v != at(x - 1, y) || v != at(x + 1, y) || v != at(x, y - 1) || v != at(x, y + 1)) edges.push_back(POINT{x, y});
    }
  if (edges.empty()) return 0;
  const int side = 2 * r + 1;
  std::vector<BYTE> brush(static_cast<size_t>(side) * side);
  {
    CQorProgressSubRange range(progress, 0.3f);
    for (int j = 0; j < side; ++j)
      for (int i = 0; i < side; ++i) {
        const double d = std::sqrt(double(i - r) * (i - r) + double(j - r) * (j - r));
        brush[static_cast<size_t>(j) * side + i] = static_cast<BYTE>(d <= r ? RoundHalfAwayInt(d * 255 / r) : 255);
      }
  }
  std::vector<BYTE> work(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) std::memcpy(&work[static_cast<size_t>(y) * w], alpha.GetBits(y), static_cast<size_t>(w));
  {
    CQorProgressSubRange range(progress, 0.5f);
    const int count = static_cast<int>(edges.size());
    for (int n = 0; n < count; ++n) {
      const POINT p = edges[static_cast<size_t>(n)];
      const int c = at(p.x, p.y);
      for (int y = std::max<int>(p.y - r, 0); y <= std::min<int>(p.y + r, h - 1); ++y)
        for (int x = std::max<int>(p.x - r, 0); x <= std::min<int>(p.x + r, w - 1); ++x) {
          const int b = brush[static_cast<size_t>(y - p.y + r) * side + (x - p.x + r)];
          BYTE& out = work[static_cast<size_t>(y) * w + x];
          out = static_cast<BYTE>(std::min<int>(out, std::max(c, b * at(x, y) / 255)));
        }
      if (ReportRowProgress(progress, n, count)) return 0;
    }
  }
  CQorProgressSubRange range(progress, 0.2f);
  for (int y = 0; y < h; ++y) std::memcpy(alpha.GetBits(y), &work[static_cast<size_t>(y) * w], static_cast<size_t>(w));
  return image->AppendAlphaChannel(alpha) ? 1 : 0;
}

CQorPixelAddShadow::CQorPixelAddShadow(const SHADOWDATA& shadow) : m_shadow(shadow) {
  m_shadow.nSize = shadow.nSize < 3 ? 2 : std::min(shadow.nSize, kMaxWindowSide);
  m_shadow.nOpacity = BoundInt(shadow.nOpacity, 1, 100);
  m_shadow.nOffsetX = BoundInt(shadow.nOffsetX, -65536, 65536);
  m_shadow.nOffsetY = BoundInt(shadow.nOffsetY, -65536, 65536);
}

int CQorPixelAddShadow::ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = m_backup.Width(), h = m_backup.Height(), s = m_shadow.nSize;
  const int ox = m_shadow.nOffsetX, oy = m_shadow.nOffsetY;
  const int left = std::min(0, ox - s), top = std::min(0, oy - s);
  const int right = std::max(w, w + ox + s), bottom = std::max(h, h + oy + s);
  CQorObjImage joined;
  if (!joined.Create(right - left, bottom - top, 32, 0)) return 0;
  ReplaceImage(*image, joined);
  {
    CQorProgressSubRange range(progress, 0.2f);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        BYTE* p = image->GetBits(x + ox - left, y + oy - top);
        p[0] = m_shadow.crColor.rgbBlue;
        p[1] = m_shadow.crColor.rgbGreen;
        p[2] = m_shadow.crColor.rgbRed;
        p[3] = static_cast<BYTE>(m_backup.GetBits(x, y)[3] * m_shadow.nOpacity / 100);
      }
      if (ReportRowProgress(progress, y, h)) return 0;
    }
  }
  {
    CQorProgressSubRange range(progress, 0.5f);
    CQorPixelBlurBox blur(s, false);
    if (!image->SinglePixelProcessProc(blur, progress)) return 0;
  }
  CQorProgressSubRange range(progress, 0.3f);
  return image->CombineImage(m_backup, -left, -top, 100) ? 1 : 0;
}

bool CQorPixelKnockout::ValidateColorBits(const CQorObjImage* image) {
  return Is32BitImage(image) && Is32BitImage(&m_mask) && m_mask.Width() == image->Width() &&
         m_mask.Height() == image->Height();
}

int CQorPixelKnockout::ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = image->Width(), h = image->Height();
  for (int y = 0; y < h; ++y) {
    BYTE* row = image->GetBits(y);
    const BYTE* mask = m_mask.GetBits(y);
    for (int x = 0; x < w; ++x) row[x * 4 + 3] = static_cast<BYTE>(((255 - mask[x * 4 + 3]) * row[x * 4 + 3]) >> 8);
    if (ReportRowProgress(progress, y, h)) return 0;
  }
  return 1;
}

void CQorPixelGetOptimizedRect::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  if (pixel[3] == 0) return;
  if (m_bFirst) {
    m_rect = RECT{x, y, x + 1, y + 1};
    m_bFirst = false;
    return;
  }
  m_rect.left = std::min<LONG>(m_rect.left, x);
  m_rect.top = std::min<LONG>(m_rect.top, y);
  m_rect.right = std::max<LONG>(m_rect.right, x + 1);
  m_rect.bottom = std::max<LONG>(m_rect.bottom, y + 1);
}

void CQorPixelFindEdge::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  pixel[3] = static_cast<BYTE>(m_bSoft && pixel[3] < 24 ? pixel[3] * 10 : 255);
}

bool CQorPixelAdjustRange::ValidateColorBits(const CQorObjImage* image) {
  return Is32BitImage(image) && m_nRange >= 1 && m_nRange <= 99;
}

void CQorPixelAdjustRange::OnEnterProcess(CQorObjImage*) {
  for (int i = 0; i < 256; ++i) m_table[i] = static_cast<BYTE>(std::min(i * 100 / m_nRange, 255));
}

void CQorPixelAdjustRange::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) { pixel[3] = m_table[pixel[3]]; }

}  // namespace QorPixelmill
