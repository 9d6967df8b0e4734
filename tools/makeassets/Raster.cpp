#include "Raster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace makeassets {

double dot(Vec2 a, Vec2 b) { return a.x * b.x + a.y * b.y; }
double length(Vec2 a) { return std::sqrt(dot(a, a)); }

Rgba rgb(unsigned hex, double alpha) {
    return {((hex >> 16) & 0xFF) / 255.0, ((hex >> 8) & 0xFF) / 255.0, (hex & 0xFF) / 255.0, alpha};
}

Sdf polygon(std::vector<Vec2> v) {
    return [v = std::move(v)](Vec2 p) {
        double best = dot(p - v[0], p - v[0]);
        double sign = 1.0;
        for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
            const Vec2 e = v[j] - v[i];
            const Vec2 w = p - v[i];
            const double t = std::clamp(dot(w, e) / dot(e, e), 0.0, 1.0);
            const Vec2 b = w - e * t;
            best = std::min(best, dot(b, b));
            const bool c1 = p.y >= v[i].y;
            const bool c2 = p.y < v[j].y;
            const bool c3 = e.x * w.y > e.y * w.x;
            if ((c1 && c2 && c3) || (!c1 && !c2 && !c3)) sign = -sign;
        }
        return sign * std::sqrt(best);
    };
}

Sdf circle(Vec2 c, double r) {
    return [=](Vec2 p) { return length(p - c) - r; };
}

Sdf capsule(Vec2 a, Vec2 b, double r) {
    return [=](Vec2 p) {
        const Vec2 pa = p - a;
        const Vec2 ba = b - a;
        const double h = std::clamp(dot(pa, ba) / dot(ba, ba), 0.0, 1.0);
        return length(pa - ba * h) - r;
    };
}

Sdf arc(Vec2 c, double radius, double half, double start, double sweep) {
    const Vec2 e0 = c + Vec2{std::cos(start), std::sin(start)} * radius;
    const Vec2 e1 = c + Vec2{std::cos(start + sweep), std::sin(start + sweep)} * radius;
    return [=](Vec2 p) {
        const Vec2 d = p - c;
        double t = std::fmod(std::atan2(d.y, d.x) - start, 2 * std::numbers::pi);
        if (t < 0) t += 2 * std::numbers::pi;
        if (t <= sweep) return std::abs(length(d) - radius) - half;
        return std::min(length(p - e0), length(p - e1)) - half;
    };
}

Sdf unite(std::vector<Sdf> parts) {
    return [parts = std::move(parts)](Vec2 p) {
        double d = 1e9;
        for (const auto& s : parts) d = std::min(d, s(p));
        return d;
    };
}

Sdf subtract(Sdf shape, Sdf hole) {
    return [=](Vec2 p) { return std::max(shape(p), -hole(p)); };
}

Sdf grow(Sdf shape, double by) {
    return [=](Vec2 p) { return shape(p) - by; };
}

Sdf translate(Sdf shape, Vec2 by) {
    return [=](Vec2 p) { return shape(p - by); };
}

Canvas::Canvas(int width, int height, double pixelsPerUnit)
    : width_(width), height_(height), scale_(pixelsPerUnit),
      pixels_(static_cast<std::size_t>(width) * height) {}

void Canvas::blend(int x, int y, Rgba c, double coverage) {
    const double a = c.a * coverage;
    if (a <= 0) return;
    Rgba& d = pixels_[static_cast<std::size_t>(y) * width_ + x];
    d.r = c.r * a + d.r * (1 - a);
    d.g = c.g * a + d.g * (1 - a);
    d.b = c.b * a + d.b * (1 - a);
    d.a = a + d.a * (1 - a);
}

static double coverage(double distancePx) { return std::clamp(0.5 - distancePx, 0.0, 1.0); }

void Canvas::fill(const Sdf& shape, Rgba colour) {
    fill(shape, [colour](Vec2) { return colour; });
}

void Canvas::fill(const Sdf& shape, const std::function<Rgba(Vec2)>& colour) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const Vec2 p{(x + 0.5) / scale_, (y + 0.5) / scale_};
            const double cov = coverage(shape(p) * scale_);
            if (cov > 0) blend(x, y, colour(p), cov);
        }
}

void Canvas::fillOutlined(const Sdf& shape, Rgba inside, Rgba outlineColour, double outline) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const Vec2 p{(x + 0.5) / scale_, (y + 0.5) / scale_};
            const double d = shape(p) * scale_;
            blend(x, y, outlineColour, coverage(d - outline * scale_));
            blend(x, y, inside, coverage(d));
        }
}

Rgba Canvas::at(int x, int y) const {
    const Rgba& p = pixels_[static_cast<std::size_t>(y) * width_ + x];
    if (p.a <= 0) return {};
    return {p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

double Canvas::snap(double v) const { return (std::floor(v * scale_) + 0.5) / scale_; }

int Canvas::pixelX(double v) const { return std::clamp(static_cast<int>(std::floor(v * scale_)), 0, width_ - 1); }
int Canvas::pixelY(double v) const { return std::clamp(static_cast<int>(std::floor(v * scale_)), 0, height_ - 1); }

}  // namespace makeassets
