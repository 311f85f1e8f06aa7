#pragma once

// 2-D affine transforms as six numbers {a, b, c, d, e, f}: (x, y) -> (a x + c y + e, b x + d y + f).
// The SVG parser and the vector core keep them in float, the back end's pattern matrices in
// double; all three share these bodies and the one rule that says which transforms have no
// inverse. They live with the SVG parser, the lowest of the three libraries.

#include <cmath>

namespace transform2d {

// Below this determinant a transform squashes the plane too flat to be undone usefully: its
// inverse would blow drawing coordinates up to sizes no path or paint can use.
constexpr double kSingularDeterminant = 1e-6;

inline bool IsSingular(double det)
{
  return !std::isfinite(det) || std::abs(det) < kSingularDeterminant;
}

template <typename T>
void Identity(T* t)
{
  t[0] = 1;
  t[1] = 0;
  t[2] = 0;
  t[3] = 1;
  t[4] = 0;
  t[5] = 0;
}

// t = t then s.
template <typename T>
void Multiply(T* t, const T* s)
{
  const T t0 = t[0] * s[0] + t[1] * s[2];
  const T t2 = t[2] * s[0] + t[3] * s[2];
  const T t4 = t[4] * s[0] + t[5] * s[2] + s[4];
  t[1] = t[0] * s[1] + t[1] * s[3];
  t[3] = t[2] * s[1] + t[3] * s[3];
  t[5] = t[4] * s[1] + t[5] * s[3] + s[5];
  t[0] = t0;
  t[2] = t2;
  t[4] = t4;
}

// t = s then t.
template <typename T>
void Premultiply(T* t, const T* s)
{
  T product[6] = {s[0], s[1], s[2], s[3], s[4], s[5]};
  Multiply(product, t);
  for (int i = 0; i < 6; ++i)
  {
    t[i] = product[i];
  }
}

// The inverse, worked in double whatever T is; a singular transform gets the identity, so that
// whatever is drawn through it stays where it was. Returns whether t had an inverse.
template <typename T>
bool Invert(T* inverse, const T* t)
{
  const double det = static_cast<double>(t[0]) * t[3] - static_cast<double>(t[2]) * t[1];
  if (IsSingular(det))
  {
    Identity(inverse);
    return false;
  }
  const double invdet = 1.0 / det;
  inverse[0] = static_cast<T>(t[3] * invdet);
  inverse[1] = static_cast<T>(-t[1] * invdet);
  inverse[2] = static_cast<T>(-t[2] * invdet);
  inverse[3] = static_cast<T>(t[0] * invdet);
  inverse[4] = static_cast<T>((static_cast<double>(t[2]) * t[5] - static_cast<double>(t[3]) * t[4]) * invdet);
  inverse[5] = static_cast<T>((static_cast<double>(t[1]) * t[4] - static_cast<double>(t[0]) * t[5]) * invdet);
  return true;
}

template <typename T>
void Point(T* x, T* y, T px, T py, const T* t)
{
  *x = px * t[0] + py * t[2] + t[4];
  *y = px * t[1] + py * t[3] + t[5];
}

}  // namespace transform2d
