// Merging the text pieces of an imported page into lines and blocks of text.
//
// A page parsed from a PDF holds many small texts, often one per word. IntegrateTexts gathers
// them into runline groups (texts on one line), joins neighbours that are close enough, then
// gathers the lines into block groups (lines of one paragraph) and joins those. Drawings and
// images keep their place in the stacking order: pending texts are flushed onto the page before
// any drawing that overlaps them.
#include <algorithm>
#include <cmath>
#include <cwctype>
#include <memory>
#include <vector>

#include "quirebook/DDrawTextObj.h"
#include "quirebook/PublicationDoc.h"

namespace Quirebook {

namespace {

using GlyphweaveLib::CArrayOfTextCharacters;
using GlyphweaveLib::CCharacterItem;
using GlyphweaveLib::TFontRunInfo;
using Rect = Vectorloom::CQorVectorRect<float>;

constexpr float kEpsilon = 5e-8f;
constexpr float kGutterMinGap = 20.0f;

bool IsWhiteSpace(const CCharacterItem& ch) {
  const char16_t c = ch.GetCharacter();
  return c < 256 && std::iswspace(static_cast<wint_t>(c));
}

// Edges included.
bool Meets(const Rect& a, const Rect& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

// The text's font runs, made to cover its characters exactly.
std::vector<TFontRunInfo> RunsOf(CDDrawTextObj& text) {
  text.NormalizeFontRuns();
  std::vector<TFontRunInfo> runs;
  const auto& set = text.GetFontRuns();
  for (int i = 0; i < set.GetSize(); ++i) runs.push_back(set.GetAt(i));
  return runs;
}

// Takes the character at index out of a character array and its runs.
void RemoveChar(CArrayOfTextCharacters& chars, std::vector<TFontRunInfo>& runs, size_t index) {
  chars.erase(chars.begin() + static_cast<std::ptrdiff_t>(index));
  size_t start = 0;
  for (size_t r = 0; r < runs.size(); ++r) {
    if (index < start + runs[r].m_nLength) {
      if (--runs[r].m_nLength == 0) runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(r));
      return;
    }
    start += runs[r].m_nLength;
  }
}

void SetRuns(CDDrawTextObj& text, const std::vector<TFontRunInfo>& runs) {
  text.ClearFontRuns();
  for (const TFontRunInfo& run : runs) text.AppendFontRun(run);
}

float RowAscent(const CDDrawTextObj& text) {
  const auto& rows = text.GetParagraphsLinesInfo();
  return rows.GetSize() > 0 ? rows.GetAt(0).m_fAscent : 0.0f;
}

float RowHeight(const GlyphweaveLib::TTextLineInfo& row) { return row.m_fAscent + row.m_fDescent + row.m_fLeading; }

// How far below the text's top its last row ends, as the layout stacks rows: each row's height
// and the gap after it, up to the last row. A text without rows gives its box height.
float RowsHeight(const CDDrawTextObj& text) {
  const auto& rows = text.GetParagraphsLinesInfo();
  if (rows.GetSize() == 0) return text.GetLayoutBox().cy;
  float height = 0;
  for (int r = 0; r < rows.GetSize(); ++r) {
    const auto& row = rows.GetAt(r);
    height += std::fabs(row.m_fDescent) + std::fabs(row.m_fAscent) + std::fabs(row.m_fLeading);
    if (r + 1 < rows.GetSize()) height += text.GetRowGap(static_cast<unsigned short>(r));
  }
  return height;
}

}  // namespace

bool CDDrawTextObj::ConnectTextObjRunline(CDDrawTextObj* other) {
  if (!other || other == this) return false;
  CDDrawTextObj* left = this;
  CDDrawTextObj* right = other;
  if (right->GetTransMatrix().dx < left->GetTransMatrix().dx) std::swap(left, right);
  const Vectorloom::CQorTransMatrix leftMatrix = left->GetTransMatrix(), rightMatrix = right->GetTransMatrix();

  CArrayOfTextCharacters leftChars = left->GetArrayOfTextCharacters(), rightChars = right->GetArrayOfTextCharacters();
  std::vector<TFontRunInfo> leftRuns = RunsOf(*left), rightRuns = RunsOf(*right);

  // Page x where the left text's pen stops, and where the right text's pen starts (before the
  // first character's own shift).
  auto leftEnd = [&] {
    if (leftChars.empty()) return leftMatrix.dx;
    const CCharacterItem& ch = leftChars.back();
    return leftMatrix.dx + ch.GetCharOffset().x + ch.GetIncreaseDeltaX();
  };
  auto rightStart = [&] {
    if (rightChars.empty()) return rightMatrix.dx;
    const CCharacterItem& ch = rightChars.front();
    return rightMatrix.dx + ch.GetCharOffset().x - ch.GetHorizontalShift();
  };
  // White space where the two texts overlap is dropped, but only a space that is at least half
  // covered by the overlap: texts that merely touch overlap by a hair (rounding, or glyphs set a
  // little wider than the file placed them), and dropping the space there would run two words
  // together.
  auto covered = [&](const CCharacterItem& ch) {
    const float overlap = leftEnd() - rightStart();
    return overlap > 0 && overlap >= 0.5f * ch.GetIncreaseDeltaX();
  };
  while (!rightChars.empty() && IsWhiteSpace(rightChars.front()) && covered(rightChars.front()))
    RemoveChar(rightChars, rightRuns, 0);
  while (!leftChars.empty() && IsWhiteSpace(leftChars.back()) && covered(leftChars.back()))
    RemoveChar(leftChars, leftRuns, leftChars.size() - 1);

  const float dx = rightStart() - leftEnd();
  const float dy = (RowAscent(*right) + rightMatrix.dy) - (RowAscent(*left) + leftMatrix.dy);
  if (!rightChars.empty()) rightChars[0].SetHorizontalShift(rightChars[0].GetHorizontalShift() + dx);
  rightChars.ChangeFormats(0, rightChars.size(), [dy](CCharacterItem& ch) { ch.SetBaselineShift(ch.GetBaselineShift() + dy); });
  leftChars.insert(leftChars.end(), rightChars.begin(), rightChars.end());
  leftRuns.insert(leftRuns.end(), rightRuns.begin(), rightRuns.end());

  SetArrayOfTextCharacters(leftChars);
  SetRuns(*this, leftRuns);
  Vectorloom::CQorTransMatrix m = GetTransMatrix();
  m.dx = leftMatrix.dx;
  m.dy = std::min(leftMatrix.dy, rightMatrix.dy);
  SetTransMatrix(m, false);
  OptimizationFontDescs(0, -1);
  NormalizePDFText(false);
  return true;
}

bool CDDrawTextObj::ConnectTextObjInblock(CDDrawTextObj* other) {
  if (!other || other == this) return false;
  CDDrawTextObj* upper = this;
  CDDrawTextObj* lower = other;
  if (lower->GetTransMatrix().dy < upper->GetTransMatrix().dy) std::swap(upper, lower);

  auto boxOf = [](const CDDrawTextObj& t) {
    const auto& m = t.GetTransMatrix();
    return Rect(m.dx, m.dy, m.dx + t.GetLayoutBox().cx, m.dy + t.GetLayoutBox().cy);
  };
  const Rect upperBox = boxOf(*upper), lowerBox = boxOf(*lower);
  const Rect u(std::min(upperBox.left, lowerBox.left), std::min(upperBox.top, lowerBox.top),
               std::max(upperBox.right, lowerBox.right), std::max(upperBox.bottom, lowerBox.bottom));

  CArrayOfTextCharacters chars;
  std::vector<TFontRunInfo> runs;
  // Appends a text's characters row by row, each row closed by a carriage return and moved so
  // that it keeps its place once the joined text starts at the union's left edge.
  auto append = [&](CDDrawTextObj& text) {
    const CArrayOfTextCharacters& src = text.GetArrayOfTextCharacters();
    std::vector<TFontRunInfo> own = RunsOf(text);
    const float indent = text.GetTransMatrix().dx - u.left;
    const auto& rows = text.GetParagraphsLinesInfo();
    auto growRunAt = [&](size_t index) {
      size_t start = 0;
      for (TFontRunInfo& run : own) {
        if (index < start + run.m_nLength) {
          ++run.m_nLength;
          return;
        }
        start += run.m_nLength;
      }
    };
    size_t next = 0;
    for (int r = 0; r < rows.GetSize() && next < src.size(); ++r) {
      const size_t count = std::min<size_t>(rows.GetAt(r).m_nCharCount, src.size() - next);
      if (count == 0) continue;
      const size_t first = chars.size();
      for (size_t i = 0; i < count; ++i) chars.push_back(src[next + i]);
      if (indent > 0) chars[first].SetHorizontalShift(chars[first].GetHorizontalShift() + indent);
      const CCharacterItem last = chars.back();
      if (last.GetCharacter() != 13) {
        CCharacterItem cr = last;
        cr.SetCharacter(13);
        cr.SetCharGlyphRes(nullptr);
        cr.SetCharOffset({last.GetCharOffset().x + last.GetIncreaseDeltaX(), last.GetCharOffset().y});
        chars.push_back(cr);
        growRunAt(next + count - 1);
      }
      next += count;
    }
    // Characters beyond the laid-out rows come along unchanged.
    for (; next < src.size(); ++next) chars.push_back(src[next]);
    runs.insert(runs.end(), own.begin(), own.end());
  };
  append(*upper);
  append(*lower);

  // Row gaps: the upper text's stay, the lower text's move down by the upper text's rows, and
  // the space between the two texts becomes the gap after the upper text's last row.
  const int upperRows = upper->GetParagraphsLinesInfo().GetSize();
  std::map<unsigned short, float> gaps = upper->GetMapBetweenRows();
  for (const auto& [row, gap] : lower->GetMapBetweenRows()) {
    const int shifted = row + upperRows;
    if (shifted <= 0xFFFF) gaps[static_cast<unsigned short>(shifted)] = gap;
  }
  // The gap is measured from where the upper text's last row ends, not from its box: a text
  // joined before has a box a little taller than its rows, and measuring from the box would
  // pull every further row of a block up by that much.
  if (upperRows > 0)
    gaps[static_cast<unsigned short>(upperRows - 1)] = lowerBox.top - (upperBox.top + RowsHeight(*upper));

  SetArrayOfTextCharacters(chars);
  SetRuns(*this, runs);
  GetMapBetweenRows() = gaps;
  Vectorloom::CQorTransMatrix m = GetTransMatrix();
  m.dx = u.left;
  m.dy = u.top;
  SetTransMatrix(m, false);
  SetLayoutBox(u.Width() + 0.1f, u.Height() + 0.1f);
  OptimizationFontDescs(0, -1);
  RecalcuLayout(0);
  return true;
}

namespace {

// A counted reference to a page object.
struct ObjRef {
  Vectorloom::CRenderBaseObj* obj = nullptr;
  explicit ObjRef(Vectorloom::CRenderBaseObj* o) : obj(o) {
    if (obj) obj->AddRef();
  }
  ObjRef(const ObjRef&) = delete;
  ObjRef& operator=(const ObjRef&) = delete;
  ~ObjRef() {
    if (obj) obj->Release();
  }
};

struct COptimizedTextItemEx {
  std::shared_ptr<ObjRef> ref;
  CDDrawTextObj* text = nullptr;
  Rect rect;
  bool valid = false;
  bool innerExtent = false;
  int sequence = 0;

  COptimizedTextItemEx(CDDrawTextObj* t, bool inner, int seq)
      : ref(std::make_shared<ObjRef>(t)), text(t), innerExtent(inner), sequence(seq) {
    Measure();
  }

  void Measure() {
    const auto& m = text->GetTransMatrix();
    valid = std::fabs(m.m11 - 1) < kEpsilon && std::fabs(m.m22 - 1) < kEpsilon && std::fabs(m.m12) < kEpsilon &&
            std::fabs(m.m21) < kEpsilon;
    if (!valid) {
      rect = Rect();
      return;
    }
    const Rect box(0, 0, text->GetLayoutBox().cx, text->GetLayoutBox().cy);
    rect = box;
    if (innerExtent) {
      rect = text->CalcuInnerTextExtent();
      // A text whose glyphs are not built has no inner extent: its box stands in.
      if (rect.left == 0 && rect.top == 0 && rect.right == 0 && rect.bottom == 0) rect = box;
    }
    rect.Offset(m.dx, m.dy);
  }

  // Block items are compared without their last row's leading and a margin of 5.
  Rect Reduced() const {
    Rect r = rect;
    if (innerExtent) return r;
    const auto& rows = text->GetParagraphsLinesInfo();
    if (rows.GetSize() > 0)
      r.bottom -= rows.GetAt(rows.GetSize() - 1).m_fLeading + 5;
    else
      r.right -= 5;
    return r;
  }
};
using ItemPtr = std::shared_ptr<COptimizedTextItemEx>;

class COptimizedRunlineTextslist;
using GroupList = std::vector<std::unique_ptr<COptimizedRunlineTextslist>>;

class COptimizedRunlineTextslist {
 public:
  virtual ~COptimizedRunlineTextslist() = default;

  virtual bool AddItem(const ItemPtr& item, const GroupList& all);
  virtual float Score(const ItemPtr&, const GroupList&) const { return 0; }
  void UpdateBounds(const ItemPtr& item) {
    if (m_items.size() == 1) {
      m_bounds = item->rect;
      m_minSeq = m_maxSeq = item->sequence;
    } else {
      m_bounds = Rect(std::min(m_bounds.left, item->rect.left), std::min(m_bounds.top, item->rect.top),
                      std::max(m_bounds.right, item->rect.right), std::max(m_bounds.bottom, item->rect.bottom));
      m_minSeq = std::min(m_minSeq, item->sequence);
      m_maxSeq = std::max(m_maxSeq, item->sequence);
    }
  }

  // Whether a group that meets this one holds an item numbered between a and b that meets both
  // rectangles: joining a and b would then pass over a text stacked between them.
  bool Interleaved(const ItemPtr& a, const ItemPtr& b, const GroupList& all) const {
    const int lo = std::min(a->sequence, b->sequence), hi = std::max(a->sequence, b->sequence);
    for (const auto& group : all) {
      if (group.get() == this || group->m_items.empty() || !Meets(group->m_bounds, m_bounds)) continue;
      if (group->m_minSeq <= lo || group->m_minSeq >= hi) continue;
      for (const ItemPtr& it : group->m_items)
        if (it->sequence > lo && it->sequence < hi && Meets(it->rect, a->rect) && Meets(it->rect, b->rect)) return true;
    }
    return false;
  }

  std::vector<ItemPtr> m_items;
  Rect m_bounds;
  int m_minSeq = 0, m_maxSeq = 0;

 protected:
  void TakeBand(const COptimizedTextItemEx& item) {
    float h = item.rect.Height();
    if (h < 10) h = 15;
    m_bandTop = item.rect.top - h;
    m_bandBottom = item.rect.bottom + h;
  }
  float m_bandTop = 0, m_bandBottom = 0;
};

bool COptimizedRunlineTextslist::AddItem(const ItemPtr& item, const GroupList& all) {
  if (m_items.empty()) {
    m_items.push_back(item);
    TakeBand(*item);
    UpdateBounds(item);
    return true;
  }
  const Rect& r = item->rect;
  if (r.top < m_bandTop || r.bottom > m_bandBottom || r.Height() > m_bandBottom - m_bandTop) return false;
  for (const ItemPtr& it : m_items)
    if (Meets(it->Reduced(), item->Reduced())) return false;
  size_t pos = 0;
  while (pos < m_items.size() && m_items[pos]->rect.left < r.right) ++pos;
  auto fits = [&](const ItemPtr& n) {
    if (!n->valid || !item->valid) return false;
    if (!(n->rect.top <= r.bottom && r.top <= n->rect.bottom)) return false;
    if (n->rect.left < r.right - 5 && r.left < n->rect.right - 5) return false;
    return !Interleaved(n, item, all);
  };
  if (pos < m_items.size() && !fits(m_items[pos])) return false;
  if (pos > 0 && !fits(m_items[pos - 1])) return false;
  m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(pos), item);
  UpdateBounds(item);
  if (pos == 0) TakeBand(*item);
  return true;
}

class COptimizedTextBlockslist : public COptimizedRunlineTextslist {
 public:
  bool AddItem(const ItemPtr& item, const GroupList&) override {
    m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(PlaceOf(*item)), item);
    UpdateBounds(item);
    return true;
  }

  float Score(const ItemPtr& item, const GroupList& all) const override {
    if (m_items.empty() || item->rect.top <= m_bounds.top) return -1;
    for (const ItemPtr& it : m_items)
      if (Meets(it->Reduced(), item->Reduced())) return -1;
    const size_t pos = PlaceOf(*item);
    float sum = 0;
    int pairs = 0;
    for (const ItemPtr* n : {pos < m_items.size() ? &m_items[pos] : nullptr, pos > 0 ? &m_items[pos - 1] : nullptr}) {
      if (!n) continue;
      const float s = PairScore(item, *n, all);
      if (s < 0) return -1;
      sum += s;
      ++pairs;
    }
    return pairs ? sum / static_cast<float>(pairs) : -1;
  }

 private:
  size_t PlaceOf(const COptimizedTextItemEx& item) const {
    size_t pos = 0;
    while (pos < m_items.size() && m_items[pos]->rect.top < item.rect.bottom) ++pos;
    return pos;
  }

  float PairScore(const ItemPtr& item, const ItemPtr& n, const GroupList& all) const {
    if (!item->valid || !n->valid) return -1;
    const Rect a = item->Reduced(), b = n->Reduced();
    if (Meets(a, b)) return -1;
    if ((b.top >= a.top && b.top <= a.bottom) || (b.bottom >= a.top && b.bottom <= a.bottom)) return -1;
    const float width = a.Width(), height = a.Height();
    // A text without width has no share of overlap to speak of.
    if (!(width > kEpsilon)) return -1;
    const float overlap = std::max(0.0f, std::min(a.right, b.right) - std::max(a.left, b.left)) / width;
    const float gap = b.top > a.bottom ? b.top - a.bottom : a.top - b.bottom;
    const float nearness = height > kEpsilon ? std::max(0.0f, 1 - gap / (10 * height)) : 0.0f;
    const float score = overlap + nearness;
    if (score < 0 || Interleaved(item, n, all)) return -1;
    return score;
  }
};

struct Gutter {
  Rect rect;
  int count = 1;
};

class CTextIntegrator {
 public:
  CTextIntegrator(Vectorloom::CRenderPage& page, std::vector<Vectorloom::CRenderBaseObj*> obstacles)
      : m_page(page), m_obstacles(std::move(obstacles)) {}

  void Offer(CDDrawTextObj* text) {
    ItemPtr item = std::make_shared<COptimizedTextItemEx>(text, true, m_nextSequence++);
    for (const auto& group : m_runlines)
      if (group->AddItem(item, m_runlines)) return;
    m_runlines.push_back(std::make_unique<COptimizedRunlineTextslist>());
    m_runlines.back()->AddItem(item, m_runlines);
  }

  bool IsPending() const { return !m_runlines.empty(); }

  bool MeetsPending(const Rect& r) const {
    for (const auto& group : m_runlines)
      for (const ItemPtr& it : group->m_items)
        if (it->valid && Meets(r, it->rect)) return true;
    return false;
  }

  void Flush() {
    BuildGutters();
    for (const auto& group : m_runlines) JoinRunline(*group);

    std::vector<ItemPtr> lines;
    for (const auto& group : m_runlines)
      for (const ItemPtr& it : group->m_items) lines.push_back(it);
    std::stable_sort(lines.begin(), lines.end(), [](const ItemPtr& a, const ItemPtr& b) { return a->sequence < b->sequence; });

    GroupList blocks;
    for (const ItemPtr& line : lines) {
      ItemPtr item = std::make_shared<COptimizedTextItemEx>(line->text, false, line->sequence);
      COptimizedRunlineTextslist* best = nullptr;
      float bestScore = -1;
      for (const auto& group : blocks) {
        const float s = group->Score(item, blocks);
        if (s >= 0 && s > bestScore) {
          best = group.get();
          bestScore = s;
        }
      }
      if (!best) {
        blocks.push_back(std::make_unique<COptimizedTextBlockslist>());
        best = blocks.back().get();
      }
      best->AddItem(item, blocks);
    }
    for (const auto& group : blocks) JoinBlock(*group);

    std::vector<ItemPtr> survivors;
    for (const auto& group : blocks)
      for (const ItemPtr& it : group->m_items) survivors.push_back(it);
    std::stable_sort(survivors.begin(), survivors.end(),
                     [](const ItemPtr& a, const ItemPtr& b) { return a->sequence < b->sequence; });
    for (const ItemPtr& it : survivors) m_page.AddShapeObject(it->text);
    m_runlines.clear();
  }

 private:
  bool Blocked(const Rect& r) const {
    for (Vectorloom::CRenderBaseObj* obj : m_obstacles)
      if (Meets(obj->CalcuBoundRect(), r)) return true;
    return false;
  }

  void BuildGutters() {
    m_gutters.clear();
    for (const auto& group : m_runlines) {
      for (size_t i = 0; i + 1 < group->m_items.size(); ++i) {
        const Rect& l = group->m_items[i]->rect;
        const Rect& r = group->m_items[i + 1]->rect;
        if (r.left - l.right < kGutterMinGap) continue;
        const Rect gap(l.right, std::min(l.top, r.top), r.left, std::max(l.bottom, r.bottom));
        Gutter* best = nullptr;
        float bestShare = 0;
        for (Gutter& g : m_gutters) {
          if (g.rect.bottom > gap.top + 5 || g.rect.bottom < gap.top - 15) continue;
          if (g.rect.left < gap.left - 50 || g.rect.right > gap.right + 50) continue;
          const float common = std::min(g.rect.right, gap.right) - std::max(g.rect.left, gap.left);
          if (!(common > 0) || !(gap.Width() > 0)) continue;
          const float share = common / gap.Width();
          if (share > bestShare) {
            bestShare = share;
            best = &g;
          }
        }
        if (best) {
          best->rect = Rect(std::max(best->rect.left, gap.left), std::min(best->rect.top, gap.top),
                            std::min(best->rect.right, gap.right), std::max(best->rect.bottom, gap.bottom));
          ++best->count;
        } else {
          m_gutters.push_back({gap, 1});
        }
      }
    }
    std::erase_if(m_gutters, [](const Gutter& g) { return g.count < 3; });
  }

  bool StayApartOnLine(const COptimizedTextItemEx& l, const COptimizedTextItemEx& r) const {
    const auto& lm = l.text->GetTransMatrix();
    const auto& rm = r.text->GetTransMatrix();
    const float lw = l.text->GetLayoutBox().cx, rw = r.text->GetLayoutBox().cx;
    const float gap = rm.dx - (lm.dx + lw);
    const size_t chars = l.text->GetArrayOfTextCharacters().size() + r.text->GetArrayOfTextCharacters().size();
    if (chars == 0 || gap > 6 * (lw + rw) / static_cast<float>(chars)) return true;
    if (gap > kEpsilon) {
      const Rect between(lm.dx + lw, std::min(lm.dy, rm.dy), rm.dx,
                         std::max(lm.dy + l.text->GetLayoutBox().cy, rm.dy + r.text->GetLayoutBox().cy));
      if (Blocked(between)) return true;
    }
    if (r.rect.left - l.rect.right >= kGutterMinGap) {
      const float middleTop = (l.rect.top + r.rect.top) / 2;
      for (const Gutter& g : m_gutters)
        if (g.rect.top <= middleTop && g.rect.bottom >= r.rect.bottom && g.rect.left >= l.rect.right - 15 &&
            g.rect.right <= r.rect.left + 15)
          return true;
    }
    return false;
  }

  void JoinRunline(COptimizedRunlineTextslist& group) {
    auto& items = group.m_items;
    size_t i = 0;
    while (i + 1 < items.size()) {
      if (StayApartOnLine(*items[i], *items[i + 1])) {
        ++i;
        continue;
      }
      const bool leftSurvives = items[i]->sequence < items[i + 1]->sequence;
      ItemPtr survivor = leftSurvives ? items[i] : items[i + 1];
      ItemPtr absorbed = leftSurvives ? items[i + 1] : items[i];
      survivor->text->ConnectTextObjRunline(absorbed->text);
      survivor->Measure();
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      items[i] = survivor;
    }
  }

  bool JoinsInBlock(const COptimizedTextItemEx& up, const COptimizedTextItemEx& down) const {
    if (down.text->IsStartingAsParagraph() || up.text->IsEndingAsParagraph()) return false;
    const auto& um = up.text->GetTransMatrix();
    const auto& dm = down.text->GetTransMatrix();
    const auto& upRows = up.text->GetParagraphsLinesInfo();
    const auto& downRows = down.text->GetParagraphsLinesInfo();
    const float upBottom = um.dy + up.text->GetLayoutBox().cy;
    const float upLast = upRows.GetSize() > 0 ? RowHeight(upRows.GetAt(upRows.GetSize() - 1)) : 0;
    const float downFirst = downRows.GetSize() > 0 ? RowHeight(downRows.GetAt(0)) : 0;
    if (dm.dy - upBottom > (upLast + downFirst) / 2) return false;
    const float upRight = um.dx + up.text->GetLayoutBox().cx, downRight = dm.dx + down.text->GetLayoutBox().cx;
    if (dm.dx > upRight || downRight < um.dx) return false;
    const Rect between(std::min(um.dx, dm.dx), upBottom - 5, std::max(upRight, downRight), dm.dy + 5);
    return !(between.Height() > kEpsilon && Blocked(between));
  }

  void JoinBlock(COptimizedRunlineTextslist& group) {
    auto& items = group.m_items;
    size_t i = 0;
    while (i + 1 < items.size()) {
      if (!JoinsInBlock(*items[i], *items[i + 1])) {
        ++i;
        continue;
      }
      const bool upperSurvives = items[i]->sequence < items[i + 1]->sequence;
      ItemPtr survivor = upperSurvives ? items[i] : items[i + 1];
      ItemPtr absorbed = upperSurvives ? items[i + 1] : items[i];
      survivor->text->ConnectTextObjInblock(absorbed->text);
      survivor->Measure();
      items.erase(items.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      items[i] = survivor;
    }
  }

  Vectorloom::CRenderPage& m_page;
  std::vector<Vectorloom::CRenderBaseObj*> m_obstacles;
  GroupList m_runlines;
  std::vector<Gutter> m_gutters;
  int m_nextSequence = 0;
};

}  // namespace

void CDrawingPage::IntegrateTexts() {
  // The page's references move to `objects`; each object goes back in turn.
  Vectorloom::CRenderBaseObjectList objects = GetRenderObjectList();
  GetRenderObjectList().RemoveAllElements();

  std::vector<Vectorloom::CRenderBaseObj*> obstacles;
  for (Vectorloom::CRenderBaseObj* obj : objects)
    if (!dynamic_cast<CDDrawTextObj*>(obj)) obstacles.push_back(obj);

  CTextIntegrator integrator(*this, obstacles);
  for (Vectorloom::CRenderBaseObj* obj : objects) {
    auto* text = dynamic_cast<CDDrawTextObj*>(obj);
    if (text) {
      const auto& box = text->GetLayoutBox();
      if (box.cx > kEpsilon && box.cy > kEpsilon) {
        integrator.Offer(text);
        continue;
      }
      // A text without a box and without characters is an empty leftover of the import. One that
      // holds characters stays where it is, like any other object.
      if (text->GetArrayOfTextCharacters().empty()) continue;
    }
    if (integrator.IsPending() && integrator.MeetsPending(obj->CalcuBoundRect())) integrator.Flush();
    AddShapeObject(obj);
  }
  if (integrator.IsPending()) integrator.Flush();
}

}  // namespace Quirebook
