#pragma once
// Points, sizes and rectangles in the platform's coordinate units.

typedef double CGFloat;

struct CGPoint
{
  CGFloat x;
  CGFloat y;
};

struct CGSize
{
  CGFloat width;
  CGFloat height;
};

struct CGRect
{
  CGPoint origin;
  CGSize size;
};

inline CGPoint CGPointMake(CGFloat x, CGFloat y)
{
  return {x, y};
}
inline CGSize CGSizeMake(CGFloat width, CGFloat height)
{
  return {width, height};
}
inline CGRect CGRectMake(CGFloat x, CGFloat y, CGFloat width, CGFloat height)
{
  return {{x, y}, {width, height}};
}

inline CGFloat CGRectGetMinX(CGRect r)
{
  return r.size.width < 0 ? r.origin.x + r.size.width : r.origin.x;
}
inline CGFloat CGRectGetMinY(CGRect r)
{
  return r.size.height < 0 ? r.origin.y + r.size.height : r.origin.y;
}
inline CGFloat CGRectGetMaxX(CGRect r)
{
  return r.size.width < 0 ? r.origin.x : r.origin.x + r.size.width;
}
inline CGFloat CGRectGetMaxY(CGRect r)
{
  return r.size.height < 0 ? r.origin.y : r.origin.y + r.size.height;
}

// Left and bottom edges inside, right and top edges outside; an empty rectangle holds nothing.
inline bool CGRectContainsPoint(CGRect r, CGPoint p)
{
  return p.x >= CGRectGetMinX(r) && p.x < CGRectGetMaxX(r) && p.y >= CGRectGetMinY(r) && p.y < CGRectGetMaxY(r);
}
