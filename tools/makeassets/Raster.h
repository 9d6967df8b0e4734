// Small anti-aliased rasteriser for the pointer and icon artwork.
// Shapes are signed distance functions in "design units" (negative inside);
// a Canvas maps design units to pixels and composites shapes over itself.
#pragma once

#include <functional>
#include <vector>

namespace makeassets {

struct Vec2 {
    double x = 0;
    double y = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b) { return {a.x + b.x, a.y + b.y}; }
inline Vec2 operator-(Vec2 a, Vec2 b) { return {a.x - b.x, a.y - b.y}; }
inline Vec2 operator*(Vec2 a, double k) { return {a.x * k, a.y * k}; }
double dot(Vec2 a, Vec2 b);
double length(Vec2 a);

// Straight (not premultiplied) colour, channels 0..1.
struct Rgba {
    double r = 0, g = 0, b = 0, a = 0;
};
Rgba rgb(unsigned hex, double alpha = 1.0);
inline const Rgba kBlack{0, 0, 0, 1};
inline const Rgba kWhite{1, 1, 1, 1};

using Sdf = std::function<double(Vec2)>;

Sdf polygon(std::vector<Vec2> points);
Sdf circle(Vec2 centre, double radius);
Sdf capsule(Vec2 a, Vec2 b, double radius);
// A ring segment with round ends; angles in radians, y pointing down.
Sdf arc(Vec2 centre, double radius, double halfThickness, double start, double sweep);
Sdf unite(std::vector<Sdf> parts);
Sdf subtract(Sdf shape, Sdf hole);
Sdf grow(Sdf shape, double by);
Sdf translate(Sdf shape, Vec2 by);

class Canvas {
public:
    Canvas(int width, int height, double pixelsPerUnit);

    int width() const { return width_; }
    int height() const { return height_; }
    double scale() const { return scale_; }

    void fill(const Sdf& shape, Rgba colour);
    void fill(const Sdf& shape, const std::function<Rgba(Vec2)>& colour);
    // Outline drawn outside the shape, `outline` design units wide.
    void fillOutlined(const Sdf& shape, Rgba inside, Rgba outlineColour, double outline = 1.0);

    Rgba at(int x, int y) const;  // straight colour

    // Design coordinate of the centre of the pixel holding `v`.
    double snap(double v) const;
    // Pixel holding a design-space point, clamped into the image.
    int pixelX(double v) const;
    int pixelY(double v) const;

private:
    void blend(int x, int y, Rgba colour, double coverage);

    int width_;
    int height_;
    double scale_;
    std::vector<Rgba> pixels_;  // premultiplied
};

}  // namespace makeassets
