// Drawing on an RGB canvas of doubles: shapes given by signed distances,
// anti-aliased by their distance to the edge, filled with vertical or radial
// gradients. Only +, -, *, / and sqrt are used, so that the same sources
// give the same bytes with any C library.
#ifndef TOOLS_MKART_RASTER_H
#define TOOLS_MKART_RASTER_H

#include <vector>

struct Rgb {
    double r, g, b;  // 0-255
};

struct Canvas {
    int width;
    int height;
    std::vector<Rgb> pixels;  // top row first
};

enum PaintKind { PAINT_VERTICAL, PAINT_RADIAL };

// Colour and opacity from `from` at the start to `to` at the end: along y
// (y0 to y1) or by distance from (cx, cy) (0 to radius).
struct Paint {
    PaintKind kind;
    Rgb from, to;
    double alphaFrom, alphaTo;
    double y0, y1;
    double cx, cy, radius;
};

enum ShapeKind {
    SHAPE_ROUND_RECT, SHAPE_CIRCLE, SHAPE_RING, SHAPE_ELLIPSE, SHAPE_POLYGON,
    SHAPE_CAPSULE
};

// Coordinates are in pixels with pixel (i, j) covering [i, i+1) x [j, j+1).
struct Shape {
    ShapeKind kind;
    double x0, y0, x1, y1;  // rectangle; capsule segment ends
    double radius;          // corner, circle, capsule or outer ring radius
    double inner;           // inner ring radius
    double cx, cy;          // circle, ring or ellipse centre
    double rx, ry;          // ellipse radii...
    double cosA, sinA;      // ...and its turn
    int points;             // convex polygon, clockwise on screen
    double xy[16];
};

Rgb rgbHex(unsigned value);  // 0xRRGGBB
Rgb mixRgb(Rgb a, Rgb b, double t);
double luminance(Rgb c);     // 0-255, Rec. 601 weights

Canvas makeCanvas(int width, int height, Rgb fill);
Canvas cropCanvas(const Canvas& source, int x, int y, int width, int height);
void pasteCanvas(Canvas* dest, const Canvas& source, int x, int y);
Rgb* pixelAt(Canvas* canvas, int x, int y);  // null outside

Paint solid(Rgb colour, double alpha = 1.0);
Paint vertical(Rgb top, Rgb bottom, double y0, double y1);
Paint verticalAlpha(Rgb colour, double alphaTop, double alphaBottom,
                    double y0, double y1);
Paint radial(Rgb centre, Rgb edge, double alphaCentre, double alphaEdge,
             double cx, double cy, double radius);

Shape roundRect(double x0, double y0, double x1, double y1, double radius);
Shape circle(double cx, double cy, double radius);
Shape ring(double cx, double cy, double outer, double inner);
Shape ellipse(double cx, double cy, double rx, double ry, double angle);
Shape capsule(double x0, double y0, double x1, double y1, double radius);
Shape polygon(const double* xy, int points);  // at most 8 points

double shapeDistance(const Shape& shape, double px, double py);

// Coverage of a pixel: 1 well inside, 0 well outside; feather widens the
// soft edge (1 for a crisp anti-aliased edge, more for shadows and glows).
void fillShape(Canvas* canvas, const Shape& shape, const Paint& paint,
               double feather = 1.0);
// The shape less the cut-out.
void fillShapeMinus(Canvas* canvas, const Shape& shape, const Shape& cut,
                    const Paint& paint);
// A band of the given width just inside the shape's edge.
void strokeShape(Canvas* canvas, const Shape& shape, double width,
                 const Paint& paint);

// Deterministic replacements for the C library's transcendental functions,
// good to about 1e-12 over the ranges used here.
double dsin(double x);
double dcos(double x);
double datan2(double y, double x);
double dexp(double x);
extern const double PI;

#endif
