#include "tools/mkart/raster.h"

#include <math.h>

const double PI = 3.14159265358979323846;

static double clamp01(double t)
{
    return t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
}

Rgb rgbHex(unsigned value)
{
    Rgb c = { double((value >> 16) & 0xFF), double((value >> 8) & 0xFF),
              double(value & 0xFF) };
    return c;
}

Rgb mixRgb(Rgb a, Rgb b, double t)
{
    Rgb c = { a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t,
              a.b + (b.b - a.b) * t };
    return c;
}

double luminance(Rgb c)
{
    return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b;
}

Canvas makeCanvas(int width, int height, Rgb fill)
{
    Canvas canvas;
    canvas.width = width;
    canvas.height = height;
    canvas.pixels.assign(size_t(width) * size_t(height), fill);
    return canvas;
}

Rgb* pixelAt(Canvas* canvas, int x, int y)
{
    if (x < 0 || y < 0 || x >= canvas->width || y >= canvas->height)
        return 0;
    return &canvas->pixels[size_t(y) * size_t(canvas->width) + size_t(x)];
}

Canvas cropCanvas(const Canvas& source, int x, int y, int width, int height)
{
    Canvas out = makeCanvas(width, height, rgbHex(0));
    for (int j = 0; j < height; j++)
        for (int i = 0; i < width; i++) {
            int sx = x + i, sy = y + j;
            if (sx >= 0 && sy >= 0 && sx < source.width && sy < source.height)
                *pixelAt(&out, i, j) =
                    source.pixels[size_t(sy) * size_t(source.width) + size_t(sx)];
        }
    return out;
}

void pasteCanvas(Canvas* dest, const Canvas& source, int x, int y)
{
    for (int j = 0; j < source.height; j++)
        for (int i = 0; i < source.width; i++) {
            Rgb* p = pixelAt(dest, x + i, y + j);
            if (p)
                *p = source.pixels[size_t(j) * size_t(source.width) + size_t(i)];
        }
}

Paint solid(Rgb colour, double alpha)
{
    return verticalAlpha(colour, alpha, alpha, 0.0, 1.0);
}

Paint vertical(Rgb top, Rgb bottom, double y0, double y1)
{
    Paint p = Paint();
    p.kind = PAINT_VERTICAL;
    p.from = top;
    p.to = bottom;
    p.alphaFrom = p.alphaTo = 1.0;
    p.y0 = y0;
    p.y1 = y1;
    return p;
}

Paint verticalAlpha(Rgb colour, double alphaTop, double alphaBottom,
                    double y0, double y1)
{
    Paint p = vertical(colour, colour, y0, y1);
    p.alphaFrom = alphaTop;
    p.alphaTo = alphaBottom;
    return p;
}

Paint radial(Rgb centre, Rgb edge, double alphaCentre, double alphaEdge,
             double cx, double cy, double radius)
{
    Paint p = Paint();
    p.kind = PAINT_RADIAL;
    p.from = centre;
    p.to = edge;
    p.alphaFrom = alphaCentre;
    p.alphaTo = alphaEdge;
    p.cx = cx;
    p.cy = cy;
    p.radius = radius;
    return p;
}

// A shape given by its box and a corner radius.
static Shape boxShape(ShapeKind kind, double x0, double y0, double x1, double y1, double radius)
{
    Shape s = Shape();
    s.kind = kind;
    s.x0 = x0;
    s.y0 = y0;
    s.x1 = x1;
    s.y1 = y1;
    s.radius = radius;
    return s;
}

Shape roundRect(double x0, double y0, double x1, double y1, double radius)
{
    return boxShape(SHAPE_ROUND_RECT, x0, y0, x1, y1, radius);
}

Shape circle(double cx, double cy, double radius)
{
    Shape s = Shape();
    s.kind = SHAPE_CIRCLE;
    s.cx = cx;
    s.cy = cy;
    s.radius = radius;
    s.x0 = cx - radius;
    s.y0 = cy - radius;
    s.x1 = cx + radius;
    s.y1 = cy + radius;
    return s;
}

Shape ring(double cx, double cy, double outer, double inner)
{
    Shape s = circle(cx, cy, outer);
    s.kind = SHAPE_RING;
    s.inner = inner;
    return s;
}

Shape ellipse(double cx, double cy, double rx, double ry, double angle)
{
    Shape s = circle(cx, cy, rx > ry ? rx : ry);
    s.kind = SHAPE_ELLIPSE;
    s.rx = rx;
    s.ry = ry;
    s.cosA = dcos(angle);
    s.sinA = dsin(angle);
    return s;
}

Shape capsule(double x0, double y0, double x1, double y1, double radius)
{
    return boxShape(SHAPE_CAPSULE, x0, y0, x1, y1, radius);
}

Shape polygon(const double* xy, int points)
{
    Shape s = Shape();
    s.kind = SHAPE_POLYGON;
    s.points = points < 0 ? 0 : (points > 8 ? 8 : points);
    for (int i = 0; i < 2 * s.points; i++)
        s.xy[i] = xy[i];
    return s;
}

static double polygonDistance(const Shape& s, double px, double py)
{
    double mx = 0.0, my = 0.0;
    for (int i = 0; i < s.points; i++) {
        mx += s.xy[2 * i];
        my += s.xy[2 * i + 1];
    }
    mx /= s.points;
    my /= s.points;
    double d = -1e9;
    for (int i = 0; i < s.points; i++) {
        int k = (i + 1) % s.points;
        double ax = s.xy[2 * i], ay = s.xy[2 * i + 1];
        double ex = s.xy[2 * k] - ax, ey = s.xy[2 * k + 1] - ay;
        double len = sqrt(ex * ex + ey * ey);
        if (len == 0.0)
            continue;
        double nx = ey / len, ny = -ex / len;
        // Point the normal away from the centre, whatever the winding.
        if ((mx - ax) * nx + (my - ay) * ny > 0.0) {
            nx = -nx;
            ny = -ny;
        }
        double e = (px - ax) * nx + (py - ay) * ny;
        if (e > d)
            d = e;
    }
    return d;
}

double shapeDistance(const Shape& s, double px, double py)
{
    switch (s.kind) {
    case SHAPE_ROUND_RECT: {
        double hx = (s.x1 - s.x0) / 2, hy = (s.y1 - s.y0) / 2;
        double r = s.radius;
        if (r > hx) r = hx;
        if (r > hy) r = hy;
        double qx = fabs(px - (s.x0 + hx)) - (hx - r);
        double qy = fabs(py - (s.y0 + hy)) - (hy - r);
        double ox = qx > 0 ? qx : 0, oy = qy > 0 ? qy : 0;
        double inner = qx > qy ? qx : qy;
        return sqrt(ox * ox + oy * oy) + (inner < 0 ? inner : 0) - r;
    }
    case SHAPE_CIRCLE: {
        double dx = px - s.cx, dy = py - s.cy;
        return sqrt(dx * dx + dy * dy) - s.radius;
    }
    case SHAPE_RING: {
        double dx = px - s.cx, dy = py - s.cy;
        double r = sqrt(dx * dx + dy * dy);
        return r - s.radius > s.inner - r ? r - s.radius : s.inner - r;
    }
    case SHAPE_ELLIPSE: {
        // First-order distance: the implicit function over its gradient.
        double dx = px - s.cx, dy = py - s.cy;
        double qx = (dx * s.cosA + dy * s.sinA) / s.rx;
        double qy = (dy * s.cosA - dx * s.sinA) / s.ry;
        double k = sqrt(qx * qx + qy * qy);
        double gx = qx / s.rx, gy = qy / s.ry;
        double g = sqrt(gx * gx + gy * gy);
        return g > 0 ? (k - 1) * k / g : -(s.rx < s.ry ? s.rx : s.ry);
    }
    case SHAPE_CAPSULE: {
        double ex = s.x1 - s.x0, ey = s.y1 - s.y0;
        double len2 = ex * ex + ey * ey;
        double t = len2 > 0 ? clamp01(((px - s.x0) * ex + (py - s.y0) * ey) / len2) : 0;
        double dx = px - (s.x0 + ex * t), dy = py - (s.y0 + ey * t);
        return sqrt(dx * dx + dy * dy) - s.radius;
    }
    case SHAPE_POLYGON:
        return s.points >= 3 ? polygonDistance(s, px, py) : 1e9;
    }
    return 1e9;
}

static void shapeBounds(const Shape& s, double margin, int* x0, int* y0,
                        int* x1, int* y1)
{
    double a = s.x0, b = s.y0, c = s.x1, d = s.y1;
    if (s.kind == SHAPE_CAPSULE) {
        a = (s.x0 < s.x1 ? s.x0 : s.x1) - s.radius;
        c = (s.x0 < s.x1 ? s.x1 : s.x0) + s.radius;
        b = (s.y0 < s.y1 ? s.y0 : s.y1) - s.radius;
        d = (s.y0 < s.y1 ? s.y1 : s.y0) + s.radius;
    } else if (s.kind == SHAPE_POLYGON) {
        a = b = 1e9;
        c = d = -1e9;
        for (int i = 0; i < s.points; i++) {
            double x = s.xy[2 * i], y = s.xy[2 * i + 1];
            if (x < a) a = x;
            if (x > c) c = x;
            if (y < b) b = y;
            if (y > d) d = y;
        }
    }
    *x0 = int(floor(a - margin));
    *y0 = int(floor(b - margin));
    *x1 = int(ceil(c + margin));
    *y1 = int(ceil(d + margin));
}

static double paintAt(const Paint& p, double px, double py, Rgb* colour)
{
    double t;
    if (p.kind == PAINT_RADIAL) {
        double dx = px - p.cx, dy = py - p.cy;
        t = p.radius > 0 ? clamp01(sqrt(dx * dx + dy * dy) / p.radius) : 1.0;
    } else {
        t = p.y1 != p.y0 ? clamp01((py - p.y0) / (p.y1 - p.y0)) : 0.0;
    }
    *colour = mixRgb(p.from, p.to, t);
    return p.alphaFrom + (p.alphaTo - p.alphaFrom) * t;
}

static double edgeCoverage(double distance, double feather)
{
    double t = clamp01(0.5 - distance / feather);
    if (feather > 1.0)
        t = t * t * (3 - 2 * t);  // soft edges fade smoothly
    return t;
}

static void blend(Canvas* canvas, int x, int y, const Paint& paint,
                  double coverage)
{
    Rgb* p = pixelAt(canvas, x, y);
    if (!p || coverage <= 0.0)
        return;
    Rgb c;
    double a = paintAt(paint, x + 0.5, y + 0.5, &c) * coverage;
    *p = mixRgb(*p, c, clamp01(a));
}

void fillShape(Canvas* canvas, const Shape& shape, const Paint& paint,
               double feather)
{
    int x0, y0, x1, y1;
    shapeBounds(shape, feather + 1, &x0, &y0, &x1, &y1);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++)
            blend(canvas, x, y, paint,
                  edgeCoverage(shapeDistance(shape, x + 0.5, y + 0.5), feather));
}

void fillShapeMinus(Canvas* canvas, const Shape& shape, const Shape& cut,
                    const Paint& paint)
{
    int x0, y0, x1, y1;
    shapeBounds(shape, 2, &x0, &y0, &x1, &y1);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            double inside = edgeCoverage(shapeDistance(shape, x + 0.5, y + 0.5), 1);
            double cutOut = edgeCoverage(shapeDistance(cut, x + 0.5, y + 0.5), 1);
            blend(canvas, x, y, paint, inside * (1 - cutOut));
        }
}

void strokeShape(Canvas* canvas, const Shape& shape, double width,
                 const Paint& paint)
{
    int x0, y0, x1, y1;
    shapeBounds(shape, 2, &x0, &y0, &x1, &y1);
    for (int y = y0; y <= y1; y++)
        for (int x = x0; x <= x1; x++) {
            double d = shapeDistance(shape, x + 0.5, y + 0.5);
            blend(canvas, x, y, paint, edgeCoverage(d, 1) - edgeCoverage(d + width, 1));
        }
}

// --- Deterministic maths ----------------------------------------------------

double dsin(double x)
{
    // Reduce to [-pi/2, pi/2], where the series converges quickly.
    x -= 2 * PI * floor((x + PI) / (2 * PI));
    if (x > PI / 2)
        x = PI - x;
    else if (x < -PI / 2)
        x = -PI - x;
    double term = x, sum = x, x2 = x * x;
    for (int n = 1; n < 12; n++) {
        term *= -x2 / ((2 * n) * (2 * n + 1));
        sum += term;
    }
    return sum;
}

double dcos(double x)
{
    return dsin(x + PI / 2);
}

static double atanSeries(double z)
{
    // Two halvings bring |z| below 0.2: atan z = 2 atan(z / (1 + sqrt(1 + z^2))).
    z = z / (1 + sqrt(1 + z * z));
    z = z / (1 + sqrt(1 + z * z));
    double term = z, sum = z, z2 = z * z;
    for (int n = 1; n < 14; n++) {
        term *= -z2;
        sum += term / (2 * n + 1);
    }
    return 4 * sum;
}

double datan2(double y, double x)
{
    if (x == 0.0 && y == 0.0)
        return 0.0;
    double ax = fabs(x), ay = fabs(y);
    double a = ay <= ax ? atanSeries(ay / ax) : PI / 2 - atanSeries(ax / ay);
    if (x < 0)
        a = PI - a;
    return y < 0 ? -a : a;
}

double dexp(double x)
{
    if (x < -700)
        return 0.0;
    const double ln2 = 0.69314718055994530942;
    double k = floor(x / ln2 + 0.5);
    double r = x - k * ln2;
    double term = 1, sum = 1;
    for (int n = 1; n < 18; n++) {
        term *= r / n;
        sum += term;
    }
    return ldexp(sum, int(k));
}
