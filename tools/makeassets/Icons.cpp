#include "Icons.h"

#include "IconWriter.h"

namespace makeassets {
namespace {

// The motif on a 48-unit grid.
Canvas motif(int size) {
    Canvas c(size, size, size / 48.0);
    const Sdf tile = grow(polygon({{13, 13}, {41, 13}, {41, 41}, {13, 41}}), 5);
    const Rgba top = rgb(0x5AA9F0), bottom = rgb(0x1F5FB8);
    c.fillOutlined(tile, top, rgb(0x123F7A), 1.5);
    c.fill(tile, [=](Vec2 p) {
        const double t = (p.y - 8) / 38;
        return Rgba{top.r + (bottom.r - top.r) * t, top.g + (bottom.g - top.g) * t, top.b + (bottom.b - top.b) * t, 1};
    });
    c.fillOutlined(circle({37, 19}, 3.6), rgb(0xF2C230), kWhite, 1.2);
    c.fillOutlined(circle({38, 30}, 3.6), rgb(0xE4483C), kWhite, 1.2);
    c.fillOutlined(circle({29, 37}, 3.6), rgb(0x4CBF5A), kWhite, 1.2);

    const Vec2 t{3, 3};
    const Vec2 v[] = {{0, 0}, {0, 25}, {6.3, 19}, {11, 29.5}, {14.8, 27.9}, {10.1, 17.4}, {18.5, 17.4}};
    std::vector<Vec2> arrow;
    for (Vec2 p : v) arrow.push_back(t + p);
    c.fillOutlined(polygon(arrow), kWhite, kBlack, 2.0);
    return c;
}

}  // namespace

void writeWindowIcon(const std::string& path) {
    writeFile(path, iconFile({dib32(motif(16)), dib32(motif(32))}));
}

void writeProgramIcon(const std::string& path) {
    const Canvas c = motif(48);
    writeFile(path, iconFile({dib8(c), dib32(c)}));
}

}  // namespace makeassets
