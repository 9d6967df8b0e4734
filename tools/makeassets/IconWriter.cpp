#include "IconWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

namespace makeassets {
namespace {

void put16(Bytes& out, std::uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}

void put32(Bytes& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putTag(Bytes& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(tag[i]));
}

void putChunk(Bytes& out, const char (&tag)[5], const Bytes& body) {
    putTag(out, tag);
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    if (body.size() % 2) out.push_back(0);
}

std::uint8_t channel(double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255)); }

int maskStride(int width) { return ((width + 31) / 32) * 4; }

void putInfoHeader(Bytes& out, int w, int h, int bits, std::uint32_t imageSize, std::uint32_t colours) {
    put32(out, 40);
    put32(out, w);
    put32(out, h * 2);
    put16(out, 1);
    put16(out, bits);
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, 0);
    put32(out, 0);
    put32(out, colours);
    put32(out, 0);
}

// AND mask rows, bottom-up: a set bit leaves the screen pixel untouched.
void putMask(Bytes& out, const Canvas& c, double threshold) {
    const int stride = maskStride(c.width());
    for (int y = c.height() - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < c.width(); ++x)
            if (c.at(x, y).a <= threshold) row[x / 8] |= 0x80 >> (x % 8);
        out.insert(out.end(), row.begin(), row.end());
    }
}

// Index 0 is black (transparent pixels use it); the others are the most
// frequent colours of the opaque pixels, bucketed to 5 bits per channel.
std::vector<Rgba> paletteFor(const Canvas& c) {
    std::map<int, std::pair<int, Rgba>> buckets;  // key -> (count, colour sum)
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x) {
            const Rgba p = c.at(x, y);
            if (p.a < 0.5) continue;
            const int key = (channel(p.r) >> 3) << 10 | (channel(p.g) >> 3) << 5 | (channel(p.b) >> 3);
            auto& [count, sum] = buckets[key];
            ++count;
            sum.r += p.r, sum.g += p.g, sum.b += p.b;
        }
    std::vector<std::pair<int, Rgba>> byCount;
    for (const auto& [key, entry] : buckets) byCount.push_back(entry);
    std::stable_sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Rgba> palette{Rgba{0, 0, 0, 1}};
    for (const auto& [count, sum] : byCount) {
        if (palette.size() == 256) break;
        palette.push_back({sum.r / count, sum.g / count, sum.b / count, 1});
    }
    palette.resize(256, Rgba{0, 0, 0, 1});
    return palette;
}

int nearest(const std::vector<Rgba>& palette, Rgba c) {
    int best = 0;
    double bestD = 1e9;
    for (int i = 0; i < static_cast<int>(palette.size()); ++i) {
        const double dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        const double d = 0.3 * dr * dr + 0.59 * dg * dg + 0.11 * db * db;
        if (d < bestD) bestD = d, best = i;
    }
    return best;
}

Bytes directory(const std::vector<DirImage>& images, bool cursor) {
    Bytes out;
    put16(out, 0);
    put16(out, cursor ? 2 : 1);
    put16(out, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (const DirImage& im : images) {
        out.push_back(im.width >= 256 ? 0 : im.width);
        out.push_back(im.height >= 256 ? 0 : im.height);
        out.push_back(0);  // colour count: 0 for 256 colours and more
        out.push_back(0);
        put16(out, cursor ? im.hotX : 1);
        put16(out, cursor ? im.hotY : im.bitCount);
        put32(out, static_cast<std::uint32_t>(im.dib.size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(im.dib.size());
    }
    for (const DirImage& im : images) out.insert(out.end(), im.dib.begin(), im.dib.end());
    return out;
}

}  // namespace

DirImage dib32(const Canvas& c) {
    const int w = c.width(), h = c.height();
    DirImage im{w, h, 32, 0, 0, {}};
    const std::uint32_t size = w * h * 4 + maskStride(w) * h;
    putInfoHeader(im.dib, w, h, 32, size, 0);
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const Rgba p = c.at(x, y);
            const std::uint8_t a = channel(p.a);
            im.dib.push_back(a ? channel(p.b) : 0);
            im.dib.push_back(a ? channel(p.g) : 0);
            im.dib.push_back(a ? channel(p.r) : 0);
            im.dib.push_back(a);
        }
    putMask(im.dib, c, 0.5 / 255);
    return im;
}

DirImage dib8(const Canvas& c) {
    const int w = c.width(), h = c.height();
    DirImage im{w, h, 8, 0, 0, {}};
    const int stride = (w + 3) / 4 * 4;
    putInfoHeader(im.dib, w, h, 8, stride * h + maskStride(w) * h, 256);
    const std::vector<Rgba> pal = paletteFor(c);
    for (const Rgba& p : pal) {
        im.dib.push_back(channel(p.b));
        im.dib.push_back(channel(p.g));
        im.dib.push_back(channel(p.r));
        im.dib.push_back(0);
    }
    for (int y = h - 1; y >= 0; --y) {
        Bytes row(stride, 0);
        for (int x = 0; x < w; ++x) {
            const Rgba p = c.at(x, y);
            row[x] = p.a < 0.5 ? 0 : nearest(pal, p);
        }
        im.dib.insert(im.dib.end(), row.begin(), row.end());
    }
    putMask(im.dib, c, 0.5);
    return im;
}

Bytes iconFile(const std::vector<DirImage>& images) { return directory(images, false); }
Bytes cursorFile(const std::vector<DirImage>& images) { return directory(images, true); }

Bytes aniFile(const AnimatedCursor& cur) {
    const auto frames = static_cast<std::uint32_t>(cur.frames.size());
    if (frames == 0) throw std::runtime_error("an animated cursor needs at least one frame");

    Bytes header;
    put32(header, 36);
    put32(header, frames);
    put32(header, frames);                          // steps: one per frame, no "seq " chunk
    for (int i = 0; i < 4; ++i) put32(header, 0);   // cx, cy, bit count, planes: taken from the frames
    put32(header, cur.jiffies);
    put32(header, 1);                               // AF_ICON

    Bytes body;
    putTag(body, "ACON");
    putChunk(body, "anih", header);
    Bytes list;
    putTag(list, "fram");
    for (const Bytes& f : cur.frames) putChunk(list, "icon", f);
    putChunk(body, "LIST", list);

    Bytes out;
    putTag(out, "RIFF");
    put32(out, static_cast<std::uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

void writeFile(const std::string& path, const Bytes& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
    std::printf("%8zu  %s\n", bytes.size(), path.c_str());
}

}  // namespace makeassets
