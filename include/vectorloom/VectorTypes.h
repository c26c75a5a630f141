// Points, sizes and rectangles of the core object library.
#pragma once

#include <algorithm>

namespace Vectorloom {

template <typename T>
struct CQorVectorPoint {
  T x{}, y{};
  CQorVectorPoint() = default;
  CQorVectorPoint(T px, T py) : x(px), y(py) {}
  bool operator==(const CQorVectorPoint& o) const { return x == o.x && y == o.y; }
  bool operator!=(const CQorVectorPoint& o) const { return !(*this == o); }
  CQorVectorPoint operator+(const CQorVectorPoint& o) const { return {x + o.x, y + o.y}; }
  CQorVectorPoint operator-(const CQorVectorPoint& o) const { return {x - o.x, y - o.y}; }
};

template <typename T>
struct CQorVectorSize {
  T cx{}, cy{};
  CQorVectorSize() = default;
  CQorVectorSize(T w, T h) : cx(w), cy(h) {}
  bool operator==(const CQorVectorSize& o) const { return cx == o.cx && cy == o.cy; }
  bool operator!=(const CQorVectorSize& o) const { return !(*this == o); }
};

// Left, top, right, bottom.
template <typename T>
struct CQorVectorRect {
  T left{}, top{}, right{}, bottom{};
  CQorVectorRect() = default;
  CQorVectorRect(T l, T t, T r, T b) : left(l), top(t), right(r), bottom(b) {}
  T Width() const { return right - left; }
  T Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // Orders the corners so that left <= right and top <= bottom.
  void Normalize() {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
  }
  bool PtInRect(const CQorVectorPoint<T>& p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
  void Offset(T dx, T dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  void Inflate(T dx, T dy) {
    left -= dx;
    right += dx;
    top -= dy;
    bottom += dy;
  }
  // The smallest rectangle holding both; an empty operand does not count.
  void Union(const CQorVectorRect& o) {
    if (o.IsEmpty()) return;
    if (IsEmpty()) {
      *this = o;
      return;
    }
    left = std::min(left, o.left);
    top = std::min(top, o.top);
    right = std::max(right, o.right);
    bottom = std::max(bottom, o.bottom);
  }
  bool operator==(const CQorVectorRect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const CQorVectorRect& o) const { return !(*this == o); }
};

}  // namespace Vectorloom
