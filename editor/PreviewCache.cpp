#include "editor/PreviewCache.h"

#include <algorithm>
#include <span>

#include "editor/CursorLoader.h"
#include "scheme/formats/CursorImages.h"
#include "scheme/Folders.h"
#include "win/Pixels.h"

namespace shubiao {
namespace {

// A strip larger than this keeps the first step's frame only: the preview
// then stands still rather than take memory without end.
constexpr ULONGLONG kMaxStripBytes = 32ull * 1024 * 1024;

// A failure that may pass without the file changing (a file held open by
// another program, permissions): not remembered, the file is tried again.
bool MayPass(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_OUTOFMEMORY || error == ERROR_READ_FAULT;
}

}  // namespace

int PreviewStrip::FrameAt(ULONGLONG elapsed, ULONGLONG* untilChange) const {
    const ULONGLONG cycle = stepEnds_.back();
    const ULONGLONG at = elapsed % cycle;
    const auto step = std::upper_bound(stepEnds_.begin(), stepEnds_.end(), at);
    if (untilChange != nullptr) *untilChange = *step - at;
    return frameOfStep_[static_cast<size_t>(step - stepEnds_.begin())];
}

void PreviewStrip::Draw(HDC dc, int x, int y, int frame, HDC scratch) {
    SelectGuard select(scratch, bitmap_.get());
    if (framesToDraw_ > 0 && !drawn_[static_cast<size_t>(frame)]) DrawFrame(frame, scratch);
    BitBlt(dc, x, y, size_, size_, scratch, frame * size_, 0, SRCCOPY);
}

// Draws one frame into the strip (selected into `scratch`); a frame Windows
// will not make stays white. The file goes once every frame is in.
DWORD PreviewStrip::DrawFrame(int frame, HDC scratch) {
    const auto [offset, length] = frameBytes_[static_cast<size_t>(frame)];
    DWORD error = ERROR_SUCCESS;
    POINT hotSpot{};
    const UniqueIcon icon =
        IconFromImage(std::span<const std::uint8_t>(bytes_).subspan(offset, length), size_, error, &hotSpot);
    if (frame == frameOfStep_.front()) hotSpot_ = hotSpot;
    if (icon) DrawIconEx(scratch, frame * size_, 0, icon.get(), size_, size_, 0, nullptr, DI_NORMAL);
    GdiFlush();
    drawn_[static_cast<size_t>(frame)] = true;
    if (--framesToDraw_ == 0) {
        bytes_ = {};
        frameBytes_ = {};
    }
    return icon ? ERROR_SUCCESS : error;
}

PreviewCache::PreviewCache() : scratch_(CreateCompatibleDC(nullptr)) {}

// A strip for every frame of the checked file, on white, with the steps'
// times: a step's display rate is in 1/60 s; one of 0 ("as fast as
// possible") counts as 1/60 s. The first step's frame is drawn now, to know
// that Windows makes it; the others when they are first shown.
std::unique_ptr<PreviewStrip> PreviewCache::MakeStrip(std::vector<std::uint8_t> bytes, int size,
                                                      std::wstring& problem) {
    auto strip = std::make_unique<PreviewStrip>();
    strip->bytes_ = std::move(bytes);
    const std::vector<std::uint8_t>& file = strip->bytes_;
    auto offsetOf = [&file](std::span<const std::uint8_t> part) {
        return std::pair<size_t, size_t>(static_cast<size_t>(part.data() - file.data()), part.size());
    };
    if (const auto animation = ReadCursorAnimation(file)) {
        for (const auto& frame : animation->frames) strip->frameBytes_.push_back(offsetOf(frame));
        ULONGLONG jiffies = 0;
        for (size_t i = 0; i < animation->frameOfStep.size(); ++i) {
            jiffies += std::max<std::uint32_t>(animation->jiffiesOfStep[i], 1);
            strip->frameOfStep_.push_back(static_cast<int>(animation->frameOfStep[i]));
            strip->stepEnds_.push_back(jiffies * 1000 / 60);
        }
        const ULONGLONG bytesNeeded = static_cast<ULONGLONG>(animation->frames.size()) *
                                      static_cast<ULONGLONG>(size) * static_cast<ULONGLONG>(size) * 4;
        if (bytesNeeded > kMaxStripBytes) {
            strip->frameBytes_ = {strip->frameBytes_[static_cast<size_t>(strip->frameOfStep_.front())]};
            strip->frameOfStep_ = {0};
            strip->stepEnds_ = {1};
        }
    } else {
        strip->frameBytes_ = {{0, file.size()}};
        strip->frameOfStep_ = {0};
        strip->stepEnds_ = {1};
    }
    const int frames = static_cast<int>(strip->frameBytes_.size());

    strip->bitmap_ = MakeTopDownDib(size * frames, size);
    if (!strip->bitmap_) {
        problem = L"内存不足，无法显示这个光标。";
        return nullptr;
    }
    strip->size_ = size;
    strip->frames_ = frames;
    strip->drawn_.assign(static_cast<size_t>(frames), false);
    strip->framesToDraw_ = frames;
    SelectGuard select(scratch_.get(), strip->bitmap_.get());
    RECT all{0, 0, size * frames, size};
    FillRect(scratch_.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    if (const DWORD error = strip->DrawFrame(strip->frameOfStep_.front(), scratch_.get()); error != ERROR_SUCCESS) {
        problem = CursorProblem{CursorFault::None, error}.Describe();
        return nullptr;
    }
    strip->serial_ = ++serials_;
    return strip;
}

PreviewCache::Preview PreviewCache::Get(const std::wstring& path, int size) {
    const std::wstring file = ExpandEnvironment(path);
    // The stamp is taken before the file is read: a change made while it
    // is being read shows as a different stamp at the next round.
    const FileStamp stamp = FileStamp::Of(file);
    auto it = std::find_if(entries_.begin(), entries_.end(),
                           [&](const Entry& e) { return e.size == size && e.file == file; });
    if (it != entries_.end() && it->stamp == stamp) {
        it->used = true;
        return {it->strip.get(), it->problem};
    }
    CursorBytes read;
    if (file.empty()) {
        read.error = ERROR_FILE_NOT_FOUND;
    } else {
        read = ReadCursorBytes(file);
    }
    if (read.error != ERROR_SUCCESS && MayPass(read.error)) {
        if (it != entries_.end()) entries_.erase(it);
        return {nullptr, read.Problem().Describe()};
    }
    if (it == entries_.end()) {
        entries_.push_back(Entry{file, size});
        it = std::prev(entries_.end());
    }
    it->stamp = stamp;
    it->problem.clear();
    it->strip.reset();
    if (read.error != ERROR_SUCCESS || !read.check.ok()) {
        it->problem = read.Problem().Describe();
    } else {
        it->strip = MakeStrip(std::move(read.bytes), size, it->problem);
        if (it->strip) it->strip->sizes_ = std::move(read.check.sizes);
    }
    it->used = true;
    return {it->strip.get(), it->problem};
}

void PreviewCache::BeginRound() {
    for (Entry& e : entries_) e.used = false;
}

void PreviewCache::EndRound() {
    std::erase_if(entries_, [](const Entry& e) { return !e.used; });
}

}  // namespace shubiao
