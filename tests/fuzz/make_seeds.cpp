// Writes well-formed cursor files from the test builder into a folder, as the
// fuzzer's starting corpus.
#include <cstdio>
#include <fstream>
#include <string>

#include "cursor_bytes.h"

using namespace cursor_bytes;

namespace {
void Write(const std::string& folder, const char* name, const Bytes& b) {
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}
}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    const std::string dir = argv[1];
    Write(dir, "cursor1.cur", MakeIcon(kCur, {DibImage({8, 8, 1}, 3, 4)}));
    Write(dir, "cursor4.cur", MakeIcon(kCur, {DibImage({16, 16, 4}, 1, 1)}));
    Write(dir, "cursor8.cur", MakeIcon(kCur, {DibImage({16, 16, 8, 40, 16})}));
    Write(dir, "cursor32.cur", MakeCursor(16));
    Write(dir, "cursor_png.cur", MakeIcon(kCur, {{MakePng(8, 8), 8, 8, 2, 2}}));
    Write(dir, "icon_mixed.ico", MakeIcon(kIco, {DibImage({8, 8, 24}), DibImage({4, 4, 16, 124}), PngImage(4, 4)}));
    Write(dir, "anim.ani", MakeAnimation(2, 8));
    Write(dir, "anim_plain.ani", Riff({Anih(2, 2, kFlagIcon), Chunk("rate", Table({3, 9})), FrameList({MakeCursor(8), MakeIcon(kIco, {DibImage({4, 4, 4})})})}));
    Write(dir, "anim_odd.ani", Riff({Chunk("junk", {1, 2, 3}), Anih(1, 1, kFlagIcon), FrameList({MakeCursor(4, 1)}), Chunk("tail", {7}, false)}));
    Write(dir, "cursor_sizes.cur", MakeIcon(kCur, {DibImage({4, 4, 8}, 3, 0), DibImage({8, 8, 24}, 1, 7), {MakePng(6, 6, kPngRgb), 6, 6, 5, 5}}));
    Write(dir, "icon_png_grey.ico", MakeIcon(kIco, {{MakePng(4, 4, kPngGrey), 4, 4, 0, 0}, {MakePng(3, 5, kPngGreyAlpha), 3, 5, 0, 0}}));
    Write(dir, "anim_repeat.ani", Riff({Anih(2, 5, kFlagIcon | kFlagSequence, 0), Chunk("seq ", Table({1, 1, 0, 1, 0})), Chunk("rate", Table({0, 3, 0, 60, 1})),
                                         FrameList({MakeCursor(4, 4), MakeIcon(kCur, {DibImage({2, 2, 1}, 1, 1), DibImage({4, 4, 32}, 0, 3)})})}));
    return 0;
}
