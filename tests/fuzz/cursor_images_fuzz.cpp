// fuzz-sources: scheme/CursorFileCheck.cpp scheme/CursorImages.cpp
// libFuzzer target for the cursor image reader. Any crash, sanitizer report or
// broken invariant here is a bug in scheme/CursorImages.cpp or in the parts of
// scheme/CursorFileCheck.cpp it shares.
#include "scheme/CursorFileCheck.h"
#include "scheme/CursorImages.h"

#include <cstdlib>

namespace {

using Span = std::span<const std::uint8_t>;

void Require(bool condition) {
    if (!condition) std::abort();
}

std::uint32_t Word(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}

std::uint32_t Dword(const std::vector<std::uint8_t>& b, std::size_t at) {
    return Word(b, at) | (Word(b, at + 2) << 16);
}

bool Inside(Span part, Span whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// The group directory and the images agree, and the resource bits are as large
// as the directory says.
void CheckResource(const shubiao::CursorResource& r, Span file) {
    const std::size_t n = r.images.size();
    Require(n >= 1 && n <= 0xFFFF);
    Require(r.directory.size() == 6 + 14 * n);
    Require(Word(r.directory, 0) == 0 && Word(r.directory, 2) == (r.cursor ? 2u : 1u) && Word(r.directory, 4) == n);
    for (std::size_t i = 0; i < n; ++i) {
        const shubiao::ResourceImage& image = r.images[i];
        const std::size_t entry = 6 + 14 * i;
        Require(Dword(r.directory, entry + 8) == image.image.size() + (r.cursor ? 4 : 0));
        Require(Word(r.directory, entry + 12) == i + 1);
        Require(Word(r.directory, entry + 6) == image.bitCount && image.bitCount != 0);
        Require(image.width >= 1 && image.width <= 256 && image.height >= 1 && image.height <= 256);
        Require(!r.cursor || (image.hotX < image.width && image.hotY < image.height));
        Require(Inside(image.image, file));
    }
    // Building bits copies one image; the first and the last are enough to
    // cover the layout without copying a directory's worth of overlapping images.
    for (const std::size_t id : {std::size_t{1}, n}) {
        Require(r.ResourceBits(static_cast<int>(id)).size() == Dword(r.directory, 6 + 14 * (id - 1) + 8));
    }
    Require(r.ResourceBits(0).empty() && r.ResourceBits(static_cast<int>(n + 1)).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Span bytes{data, size};
    const shubiao::CursorCheck check = shubiao::CheckCursorBytes(bytes);
    const auto first = shubiao::FirstFrame(bytes);
    const auto resource = shubiao::ToCursorResource(bytes);
    const auto animation = shubiao::ReadCursorAnimation(bytes);

    // Each reader accepts exactly what the check passes, of its own kind.
    Require(first.has_value() == check.ok());
    Require(resource.has_value() == (check.ok() && check.kind == shubiao::CursorFileKind::Static));
    Require(animation.has_value() == (check.ok() && check.kind == shubiao::CursorFileKind::Animated));
    if (!check.ok()) return 0;

    Require(Inside(*first, bytes));
    const auto preview = shubiao::ToCursorResource(*first);
    Require(preview.has_value());
    CheckResource(*preview, *first);
    if (resource) CheckResource(*resource, bytes);

    if (animation) {
        const std::size_t frames = animation->frames.size();
        const std::size_t steps = animation->frameOfStep.size();
        Require(frames >= 1 && frames <= shubiao::kMaxAnimationFrames);
        Require(steps >= 1 && steps <= shubiao::kMaxAnimationSteps);
        Require(animation->jiffiesOfStep.size() == steps);
        for (const std::uint32_t frame : animation->frameOfStep) Require(frame < frames);
        Require(first->data() == animation->frames[animation->frameOfStep[0]].data());
        for (const Span frame : animation->frames) {
            Require(Inside(frame, bytes));
            Require(shubiao::ToCursorResource(frame).has_value());
        }
    }
    return 0;
}
