// Point, size and rectangle with the few operations the dialogs use.
#pragma once

#include <windows.h>

struct CPoint : POINT {
  CPoint() : POINT{0, 0} {}
  CPoint(LONG px, LONG py) : POINT{px, py} {}
  CPoint(const POINT& p) : POINT(p) {}
  // From a mouse message's lParam: signed client coordinates.
  explicit CPoint(LPARAM lParam)
      : POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))} {}
  void Offset(LONG dx, LONG dy) { x += dx; y += dy; }
  bool operator==(const POINT& o) const { return x == o.x && y == o.y; }
  bool operator!=(const POINT& o) const { return !(*this == o); }
};

struct CSize : SIZE {
  CSize() : SIZE{0, 0} {}
  CSize(LONG w, LONG h) : SIZE{w, h} {}
};

struct CRect : RECT {
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}
  LONG Width() const { return right - left; }
  LONG Height() const { return bottom - top; }
  CPoint TopLeft() const { return CPoint(left, top); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool PtInRect(const POINT& p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void OffsetRect(LONG dx, LONG dy) { left += dx; right += dx; top += dy; bottom += dy; }
  operator RECT*() { return this; }
  operator const RECT*() const { return this; }
};
