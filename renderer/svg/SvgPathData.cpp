// Path data: the command letters and numbers of a path's "d" attribute, with elliptical arcs
// converted to cubic segments.

#include "renderer/svg/SvgParser.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kMaxPathArgs = 10;

double svgVectorAngle(double ux, double uy, double vx, double vy)
{
  const double r = (ux * vx + uy * vy) / (std::sqrt(ux * ux + uy * uy) * std::sqrt(vx * vx + vy * vy));
  const double angle = std::acos(std::clamp(r, -1.0, 1.0));
  return ux * vy - uy * vx < 0.0 ? -angle : angle;
}

// An elliptical arc from the current point to (x, y), as at most one cubic per quarter turn.
void svgPathArcTo(SVGParser* p, const float* cp, const float* args)
{
  const double x1 = cp[0], y1 = cp[1], x2 = args[5], y2 = args[6];
  double rx = std::fabs(args[0]), ry = std::fabs(args[1]);
  const double dx = x1 - x2, dy = y1 - y2;
  if (rx < 1e-6 || ry < 1e-6 || std::sqrt(dx * dx + dy * dy) < 1e-6)
  {
    svgLineTo(p, args[5], args[6]);
    return;
  }
  const double rotation = args[2] / 180.0 * 3.1415927;
  const bool largeArc = std::fabs(args[3]) > 1e-6;
  const bool sweep = std::fabs(args[4]) > 1e-6;
  const double sinr = std::sin(rotation), cosr = std::cos(rotation);

  const double x1p = cosr * dx / 2.0 + sinr * dy / 2.0;
  const double y1p = -sinr * dx / 2.0 + cosr * dy / 2.0;
  const double lambda = x1p * x1p / (rx * rx) + y1p * y1p / (ry * ry);
  if (lambda > 1.0)
  {
    rx *= std::sqrt(lambda);
    ry *= std::sqrt(lambda);
  }
  const double sa = std::max(0.0, rx * rx * ry * ry - rx * rx * y1p * y1p - ry * ry * x1p * x1p);
  const double sb = rx * rx * y1p * y1p + ry * ry * x1p * x1p;
  double s = sb > 0.0 ? std::sqrt(sa / sb) : 0.0;
  if (largeArc == sweep)
    s = -s;
  const double cxp = s * rx * y1p / ry, cyp = -s * ry * x1p / rx;
  const double cx = (x1 + x2) / 2.0 + cosr * cxp - sinr * cyp;
  const double cy = (y1 + y2) / 2.0 + sinr * cxp + cosr * cyp;

  const double ux = (x1p - cxp) / rx, uy = (y1p - cyp) / ry;
  const double vx = (-x1p - cxp) / rx, vy = (-y1p - cyp) / ry;
  const double a1 = svgVectorAngle(1.0, 0.0, ux, uy);
  double da = svgVectorAngle(ux, uy, vx, vy);
  if (!sweep && da > 0.0)
    da -= 6.2831855;
  else if (sweep && da < 0.0)
    da += 6.2831855;
  if (!std::isfinite(a1) || !std::isfinite(da) || da == 0.0)
  {  // overflowing radii or no turn at all
    svgLineTo(p, args[5], args[6]);
    return;
  }

  if (p->npts == 0)
    svgMoveTo(p, cp[0], cp[1]);  // as for the other curves before any move
  const int segments = static_cast<int>(std::fabs(da) / 1.5707964 + 1.0);
  const double half = da / segments / 2.0;
  double kappa = std::fabs(4.0 / 3.0 * (1.0 - std::cos(half)) / std::sin(half));
  if (da < 0.0)
    kappa = -kappa;

  double px = 0, py = 0, tx = 0, ty = 0;
  for (int i = 0; i <= segments; ++i)
  {
    const double a = a1 + da * i / segments;
    const double ex = rx * std::cos(a), ey = ry * std::sin(a);
    const double x = cx + cosr * ex - sinr * ey, y = cy + sinr * ex + cosr * ey;
    const double tex = -rx * std::sin(a) * kappa, tey = ry * std::cos(a) * kappa;
    const double tanx = cosr * tex - sinr * tey, tany = sinr * tex + cosr * tey;
    if (i > 0)
    {
      svgCubicTo(p, static_cast<float>(px + tx), static_cast<float>(py + ty), static_cast<float>(x - tanx),
                 static_cast<float>(y - tany), static_cast<float>(x), static_cast<float>(y));
    }
    px = x;
    py = y;
    tx = tanx;
    ty = tany;
  }
}

int svgPathArgCount(char command)
{
  switch (command)
  {
    case 'A':
    case 'a': return 7;
    case 'C':
    case 'c': return 6;
    case 'H':
    case 'h':
    case 'V':
    case 'v': return 1;
    case 'L':
    case 'l':
    case 'M':
    case 'm':
    case 'T':
    case 't': return 2;
    case 'Q':
    case 'q':
    case 'S':
    case 's': return 4;
    default: return 0;
  }
}

struct PathState
{
  float cp[2] = {0, 0};   // current point
  float cp2[2] = {0, 0};  // last control point, for the smooth curve forms
  char command = 0;
  int needed = 0;
  float args[kMaxPathArgs] = {};
  int count = 0;
};

// Quadratic curve from the current point through control c to (x, y), as a cubic.
void svgQuadTo(SVGParser* p, PathState& s, float cx, float cy, float x, float y)
{
  const float k = 0.6666667f;
  svgCubicTo(p, s.cp[0] + k * (cx - s.cp[0]), s.cp[1] + k * (cy - s.cp[1]), x + k * (cx - x), y + k * (cy - y), x, y);
  svgSetPoint(s.cp2, cx, cy);
  svgSetPoint(s.cp, x, y);
}

void svgRunPathCommand(SVGParser* p, PathState& s)
{
  float* v = s.args;
  const char c = s.command;
  const bool relative = c >= 'a' && c <= 'z';
  const float ox = relative ? s.cp[0] : 0.0f, oy = relative ? s.cp[1] : 0.0f;
  const char upper = relative ? static_cast<char>(c - 'a' + 'A') : c;
  // A curve before any move starts at the current point, which keeps the point layout intact.
  const bool curve = upper == 'C' || upper == 'S' || upper == 'Q' || upper == 'T';
  if (curve && p->npts == 0)
    svgMoveTo(p, s.cp[0], s.cp[1]);
  switch (upper)
  {
    case 'M':
      svgSetPoint(s.cp, v[0] + ox, v[1] + oy);
      svgMoveTo(p, s.cp[0], s.cp[1]);
      s.command = relative ? 'l' : 'L';
      s.needed = 2;
      svgSetPoint(s.cp2, s.cp[0], s.cp[1]);
      break;
    case 'L':
      svgSetPoint(s.cp, v[0] + ox, v[1] + oy);
      svgLineTo(p, s.cp[0], s.cp[1]);
      svgSetPoint(s.cp2, s.cp[0], s.cp[1]);
      break;
    case 'H':
    case 'V':
      s.cp[upper == 'H' ? 0 : 1] = v[0] + (upper == 'H' ? ox : oy);
      svgLineTo(p, s.cp[0], s.cp[1]);
      svgSetPoint(s.cp2, s.cp[0], s.cp[1]);
      break;
    case 'C':
      svgCubicTo(p, v[0] + ox, v[1] + oy, v[2] + ox, v[3] + oy, v[4] + ox, v[5] + oy);
      svgSetPoint(s.cp2, v[2] + ox, v[3] + oy);
      svgSetPoint(s.cp, v[4] + ox, v[5] + oy);
      break;
    case 'S':
      svgCubicTo(p, 2 * s.cp[0] - s.cp2[0], 2 * s.cp[1] - s.cp2[1], v[0] + ox, v[1] + oy, v[2] + ox, v[3] + oy);
      svgSetPoint(s.cp2, v[0] + ox, v[1] + oy);
      svgSetPoint(s.cp, v[2] + ox, v[3] + oy);
      break;
    case 'Q': svgQuadTo(p, s, v[0] + ox, v[1] + oy, v[2] + ox, v[3] + oy); break;
    case 'T': svgQuadTo(p, s, 2 * s.cp[0] - s.cp2[0], 2 * s.cp[1] - s.cp2[1], v[0] + ox, v[1] + oy); break;
    case 'A':
    {
      const float args[7] = {v[0], v[1], v[2], v[3], v[4], v[5] + ox, v[6] + oy};
      svgPathArcTo(p, s.cp, args);
      svgSetPoint(s.cp, args[5], args[6]);
      svgSetPoint(s.cp2, args[5], args[6]);
      break;
    }
    default:
      if (s.count >= 2)
      {
        svgSetPoint(s.cp, v[s.count - 2], v[s.count - 1]);
        svgSetPoint(s.cp2, s.cp[0], s.cp[1]);
      }
      break;
  }
}

void svgPathCommandLetter(SVGParser* p, PathState& s, char letter)
{
  s.command = letter;
  s.needed = svgPathArgCount(letter);
  if (letter == 'M' || letter == 'm')
  {
    svgFinishSubpath(p, false);
    s.count = 0;
  }
  else if (letter == 'Z' || letter == 'z')
  {
    if (p->npts > 0)
    {
      svgSetPoint(s.cp, p->pts[0], p->pts[1]);
      svgSetPoint(s.cp2, p->pts[0], p->pts[1]);
    }
    svgFinishSubpath(p, true);
    svgMoveTo(p, s.cp[0], s.cp[1]);  // the next sub-path starts where this one began
    s.count = 0;
  }
}

bool svgIsSeparatorOrSpace(char c)
{
  return c == ',' || svgIsSpace(c);
}

}  // namespace

void svgParsePathData(SVGParser* p, const char** attributes)
{
  const char* d = nullptr;
  for (int i = 0; attributes[i]; i += 2)
  {
    if (std::strcmp(attributes[i], "d") == 0)
      d = attributes[i + 1];
    else
      svgApplyAttribute(p, attributes[i], attributes[i + 1]);
  }
  if (d && *d)
  {
    PathState state;
    while (*d)
    {
      while (svgIsSeparatorOrSpace(*d))
        ++d;
      if (!*d)
        break;
      char item[64];
      if (svgIsNumberStart(*d))
      {
        d = svgScanNumber(d, item);
      }
      else
      {
        item[0] = *d++;
        item[1] = '\0';
      }
      if (!std::strchr("0123456789+-.eE", item[0]))
      {
        svgPathCommandLetter(p, state, item[0]);
        continue;
      }
      if (state.count < kMaxPathArgs)
        state.args[state.count++] = static_cast<float>(svgStringToDouble(item));
      if (state.count >= state.needed)
      {
        svgRunPathCommand(p, state);
        state.count = 0;
      }
    }
    svgFinishSubpath(p, false);
  }
  svgFinishShape(p);
}
