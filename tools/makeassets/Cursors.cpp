#include "Cursors.h"

#include <functional>

#include "IconWriter.h"
#include "Shapes.h"

namespace makeassets {
namespace {

using Draw = std::function<Vec2(Canvas&, int frame, int frames)>;

struct Role {
    const char* name;  // value name under the user's Cursors key
    int frames;
    std::uint32_t jiffies;
    Draw draw;
};

Draw still(Vec2 (*f)(Canvas&)) {
    return [f](Canvas& c, int, int) { return f(c); };
}

const Role kRoles[] = {
    {"AppStarting", 8, 6, shapes::appStarting},
    {"Arrow", 1, 10, still(shapes::arrow)},
    {"Crosshair", 1, 10, still(shapes::crosshair)},
    {"Hand", 1, 10, still(shapes::hand)},
    {"Help", 1, 10, still(shapes::help)},
    {"IBeam", 1, 10, still(shapes::iBeam)},
    {"No", 1, 10, still(shapes::no)},
    {"NWPen", 1, 10, still(shapes::pen)},
    {"SizeAll", 1, 10, still(shapes::sizeAll)},
    {"SizeNESW", 1, 10, still(shapes::sizeNESW)},
    {"SizeNS", 1, 10, still(shapes::sizeNS)},
    {"SizeNWSE", 1, 10, still(shapes::sizeNWSE)},
    {"SizeWE", 1, 10, still(shapes::sizeWE)},
    {"UpArrow", 1, 10, still(shapes::upArrow)},
    {"Wait", 8, 6, shapes::wait},
    {"Pin", 1, 10, still(shapes::pin)},
    {"Person", 1, 10, still(shapes::person)},
};

constexpr int kSizes[] = {32, 48, 64};

Bytes frameFile(const Role& role, int frame) {
    std::vector<DirImage> images;
    for (int size : kSizes) {
        Canvas canvas(size, size, size / 32.0);
        const Vec2 hot = role.draw(canvas, frame, role.frames);
        DirImage im = dib32(canvas);
        im.hotX = canvas.pixelX(hot.x);
        im.hotY = canvas.pixelY(hot.y);
        images.push_back(std::move(im));
    }
    return cursorFile(images);
}

}  // namespace

void writeCursors(const std::string& folder) {
    for (const Role& role : kRoles) {
        AnimatedCursor ani;
        ani.jiffies = role.jiffies;
        for (int f = 0; f < role.frames; ++f) ani.frames.push_back(frameFile(role, f));
        writeFile(folder + "/" + role.name + ".ani", aniFile(ani));
    }
}

}  // namespace makeassets
