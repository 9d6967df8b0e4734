#include "Shapes.h"

#include <cmath>
#include <numbers>

namespace makeassets::shapes {
namespace {

constexpr double kPi = std::numbers::pi;

Sdf rect(double x0, double y0, double x1, double y1) { return polygon({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}); }

// Half width (design units) of a line about `units` wide whose pixel width
// is odd, so a line centred on a pixel centre has sharp edges.
double crispHalf(const Canvas& c, double units) {
    int px = static_cast<int>(std::floor(units * c.scale()));
    if (px % 2 == 0) ++px;
    return px / c.scale() / 2;
}

// Centre of the image, on a pixel centre.
Vec2 centre(const Canvas& c) { return {c.snap(15.5), c.snap(15.5)}; }

// The outline reaches past a sharp tip; the hot spot sits on its outer pixel.
Vec2 outerTip(Vec2 tip) { return tip - Vec2{0.5, 0.5}; }

Sdf arrowShape(Vec2 tip) {
    const Vec2 v[] = {{0, 0}, {0, 16}, {4, 12.2}, {7, 19}, {9.3, 18}, {6.3, 11.2}, {11.3, 11.2}};
    std::vector<Vec2> pts;
    for (Vec2 p : v) pts.push_back(tip + p);
    return polygon(pts);
}

// A straight arrow with heads at both ends, centred on `c`, pointing along
// `angle`; `reach` is the distance from the centre to each tip.
Sdf doubleArrow(Vec2 c, double angle, double reach, double head, double headHalf, double shaftHalf) {
    const double u[] = {-reach, -reach + head, -reach + head, reach - head, reach - head, reach,
                        reach - head, reach - head, -reach + head, -reach + head};
    const double v[] = {0, headHalf, shaftHalf, shaftHalf, headHalf, 0, -headHalf, -shaftHalf, -shaftHalf, -headHalf};
    const Vec2 along{std::cos(angle), std::sin(angle)};
    const Vec2 across{-along.y, along.x};
    std::vector<Vec2> pts;
    for (int i = 0; i < 10; ++i) pts.push_back(c + along * u[i] + across * v[i]);
    return polygon(pts);
}

Vec2 sizeArrow(Canvas& c, double angle, double reach) {
    const Vec2 mid = centre(c);
    c.fillOutlined(doubleArrow(mid, angle, reach, 5, 4.5, crispHalf(c, 1)), kWhite, kBlack);
    return mid;
}

// Grey track with a blue segment that turns clockwise as `frame` advances.
void busyRing(Canvas& c, Vec2 mid, double radius, double half, int frame, int frames) {
    c.fillOutlined(arc(mid, radius, half, 0, 2 * kPi), rgb(0xE6ECF3), kBlack);
    const double sweep = 0.4 * 2 * kPi;
    const double start = 2 * kPi * frame / frames - kPi / 2;
    const Rgba tail = rgb(0xA9CFF2), head = rgb(0x1565C0);
    c.fill(arc(mid, radius, half, start, sweep), [=](Vec2 p) {
        double t = std::fmod(std::atan2(p.y - mid.y, p.x - mid.x) - start, 2 * kPi);
        if (t < 0) t += 2 * kPi;
        t = std::fmin(t / sweep, 1.0);
        return Rgba{tail.r + (head.r - tail.r) * t, tail.g + (head.g - tail.g) * t, tail.b + (head.b - tail.b) * t, 1};
    });
}

}  // namespace

Vec2 arrow(Canvas& c) {
    const Vec2 tip{1, 1};
    c.fillOutlined(arrowShape(tip), kWhite, kBlack);
    return outerTip(tip);
}

Vec2 appStarting(Canvas& c, int frame, int frames) {
    const Vec2 tip = arrow(c);
    busyRing(c, {21.5, 22}, 4.6, 1.6, frame, frames);
    return tip;
}

Vec2 crosshair(Canvas& c) {
    const Vec2 m = centre(c);
    const double h = crispHalf(c, 1);
    const Sdf cross = unite({rect(m.x - 10, m.y - h, m.x + 10, m.y + h), rect(m.x - h, m.y - 10, m.x + h, m.y + 10)});
    c.fillOutlined(cross, kWhite, kBlack);
    return m;
}

Vec2 hand(Canvas& c) {
    const Sdf palm = grow(polygon({{10.5, 14}, {24, 14.5}, {24, 22}, {21, 26.5}, {13, 26.5}, {10.5, 22}}), 1.2);
    const Sdf shape = unite({
        capsule({11.5, 3.6}, {11.5, 15}, 2),    // index finger
        capsule({15.5, 11}, {15.5, 17}, 2),     // middle finger
        capsule({19.5, 12}, {19.5, 18}, 2),     // ring finger
        capsule({23.3, 13.5}, {23.3, 18.5}, 1.8),  // little finger
        capsule({6, 16.5}, {11, 23}, 2),        // thumb
        palm,
    });
    c.fillOutlined(shape, kWhite, kBlack);
    const double gap = 0.35;
    c.fill(unite({capsule({13.5, 12.5}, {13.5, 16}, gap), capsule({17.5, 13}, {17.5, 17.5}, gap),
                  capsule({21.5, 14.5}, {21.5, 18.5}, gap)}),
           kBlack);
    return {11.5, 1.6};
}

Vec2 help(Canvas& c) {
    const Vec2 tip = arrow(c);
    const Vec2 o{20.5, 6.5};
    const double r = 3.2, half = 1.15;
    const Vec2 hook = o + Vec2{std::cos(kPi / 4), std::sin(kPi / 4)} * r;
    const Sdf mark = unite({
        arc(o, r, half, kPi, 1.25 * kPi),
        capsule(hook, {o.x, o.y + 4.5}, half),
        capsule({o.x, o.y + 4.5}, {o.x, o.y + 6}, half),
        circle({o.x, o.y + 9.4}, 1.35),
    });
    c.fillOutlined(mark, kBlack, kWhite);
    return tip;
}

Vec2 iBeam(Canvas& c) {
    const Vec2 m = centre(c);
    const double h = crispHalf(c, 1);
    const double top = m.y - 8, bottom = m.y + 8;
    const Sdf beam = unite({
        rect(m.x - h, top, m.x + h, bottom),
        rect(m.x - 3 - h, top - h, m.x + 3 + h, top + h),
        rect(m.x - 3 - h, bottom - h, m.x + 3 + h, bottom + h),
    });
    c.fillOutlined(beam, kWhite, kBlack);
    return m;
}

Vec2 no(Canvas& c) {
    const Vec2 m = centre(c);
    const double d = 8.5 * std::sqrt(0.5);
    const Sdf sign = unite({arc(m, 8.5, 2, 0, 2 * kPi), capsule(m - Vec2{d, d}, m + Vec2{d, d}, 2)});
    c.fillOutlined(sign, kWhite, kBlack);
    return m;
}

Vec2 pen(Canvas& c) {
    const Vec2 tip{1.1, 1.1};
    const Vec2 d{std::sqrt(0.5), std::sqrt(0.5)};
    const Vec2 n{std::sqrt(0.5), -std::sqrt(0.5)};
    const double w = 2.6;
    const Sdf body = unite({
        polygon({tip, tip + d * 5 + n * w, tip + d * 23 + n * w, tip + d * 23 - n * w, tip + d * 5 - n * w}),
        circle(tip + d * 23, w),
    });
    c.fillOutlined(body, kWhite, kBlack);
    c.fill(unite({
               polygon({tip, tip + d * 2.2 + n * 1.1, tip + d * 2.2 - n * 1.1}),   // lead
               capsule(tip + d * 5 + n * w, tip + d * 5 - n * w, 0.4),             // end of the cone
               capsule(tip + d * 19 + n * w, tip + d * 19 - n * w, 0.4),           // cap band
           }),
           kBlack);
    return outerTip(tip);
}

Vec2 sizeAll(Canvas& c) {
    const Vec2 m = centre(c);
    const double h = crispHalf(c, 1);
    c.fillOutlined(unite({doubleArrow(m, 0, 11, 4.5, 3.5, h), doubleArrow(m, kPi / 2, 11, 4.5, 3.5, h)}), kWhite,
                   kBlack);
    return m;
}

Vec2 sizeNESW(Canvas& c) { return sizeArrow(c, -kPi / 4, 10.5); }
Vec2 sizeNS(Canvas& c) { return sizeArrow(c, kPi / 2, 11); }
Vec2 sizeNWSE(Canvas& c) { return sizeArrow(c, kPi / 4, 10.5); }
Vec2 sizeWE(Canvas& c) { return sizeArrow(c, 0, 11); }

Vec2 upArrow(Canvas& c) {
    const Vec2 m = centre(c);
    const double h = crispHalf(c, 3);
    const Vec2 tip{m.x, 1.5};
    c.fillOutlined(polygon({tip, {m.x + 5.5, 7.5}, {m.x + h, 7.5}, {m.x + h, 24}, {m.x - h, 24}, {m.x - h, 7.5},
                            {m.x - 5.5, 7.5}}),
                   kWhite, kBlack);
    return tip;
}

Vec2 wait(Canvas& c, int frame, int frames) {
    const Vec2 m = centre(c);
    busyRing(c, m, 9, 2.6, frame, frames);
    return m;
}

// The arrow with a map pin below and to its right.
Vec2 pin(Canvas& c) {
    const Vec2 hot = arrow(c);
    const Sdf marker = unite({capsule({21, 17}, {21, 17.1}, 4.6), polygon({{17, 19.5}, {25, 19.5}, {21, 28}})});
    c.fillOutlined(marker, kWhite, kBlack);
    c.fill(capsule({21, 17}, {21, 17.1}, 1.7), kBlack);
    return hot;
}

// The arrow with a person, head and shoulders, below and to its right.
Vec2 person(Canvas& c) {
    const Vec2 hot = arrow(c);
    const Sdf figure = unite({capsule({21, 16.5}, {21, 16.6}, 3.4),
                              grow(polygon({{15.5, 28}, {15.5, 25}, {18, 21.5}, {24, 21.5}, {26.5, 25}, {26.5, 28}}), 0.8)});
    c.fillOutlined(figure, kWhite, kBlack);
    return hot;
}

}  // namespace makeassets::shapes
