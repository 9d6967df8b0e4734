#pragma once
// The previews of the roles' files, each made once per version of its file.
//
// A preview is a strip: every frame of the file drawn once, at the icon size,
// on the boxes' white, side by side in one bitmap, with the time each step of
// the animation shows which frame (a static cursor is a strip of one frame).
// So a box is drawn, and an animation played, by copying a square out of the
// strip; a file holds one GDI object however many frames it has.
//
// An entry is keyed by the expanded path and the size, and remembers the
// file's size, creation and last-write times as GetFileAttributesExW gave
// them when it was read. While those stay the same the entry (or its failure
// to load) is used again without reading the file; a file that was changed,
// replaced, deleted or created is read and checked afresh. Only the entries
// used since the last BeginRound() survive EndRound(), so the cache never
// holds more than the roles' files.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "editor/FileStamp.h"
#include "scheme/formats/CursorFileCheck.h"
#include "win/Raii.h"

namespace shubiao {

class PreviewStrip {
public:
    int size() const { return size_; }
    int frames() const { return frames_; }
    bool animated() const { return stepEnds_.size() > 1; }
    // A number no other strip of this run has had: tells a new version of a
    // file from the one it replaced.
    std::uint64_t serial() const { return serial_; }
    // The sizes the file holds, as the check that let it in read them.
    const CursorSizes& sizes() const { return sizes_; }
    // The hot spot of the first step's frame, in the strip's pixels.
    POINT hotSpot() const { return hotSpot_; }

    // The frame shown `elapsed` ms after the animation started, and in
    // `untilChange` how many ms it stays shown.
    int FrameAt(ULONGLONG elapsed, ULONGLONG* untilChange = nullptr) const;

    // Copies frame `frame` to `dc` at (x, y); `scratch` is a memory DC to
    // select the strip into. A frame is drawn into the strip the first time
    // it is shown, so that a file's first picture costs one frame.
    void Draw(HDC dc, int x, int y, int frame, HDC scratch);

private:
    friend class PreviewCache;
    // Windows' error when it would not make the frame, else ERROR_SUCCESS.
    DWORD DrawFrame(int frame, HDC scratch);

    UniqueBitmap bitmap_;
    // The checked file, kept until every frame is in the strip; where each
    // frame lies in it.
    std::vector<std::uint8_t> bytes_;
    std::vector<std::pair<size_t, size_t>> frameBytes_;
    std::vector<bool> drawn_;
    int framesToDraw_ = 0;
    int size_ = 0;
    int frames_ = 0;
    std::uint64_t serial_ = 0;
    CursorSizes sizes_;
    POINT hotSpot_{};
    std::vector<int> frameOfStep_;
    std::vector<ULONGLONG> stepEnds_;  // ms from the cycle's start to the end of each step
};

class PreviewCache {
public:
    struct Preview {
        PreviewStrip* strip = nullptr;  // nullptr when the file does not load
        std::wstring problem;                 // why not, in plain Chinese
    };

    PreviewCache();

    // The preview of `path` (a role's file, environment references not yet
    // expanded) at `size` x `size`. The strip stays valid until EndRound()
    // drops it or Clear().
    Preview Get(const std::wstring& path, int size);

    // Marks every entry unused; EndRound() then drops those not asked for
    // in between.
    void BeginRound();
    void EndRound();
    void Clear() { entries_.clear(); }
    size_t size() const { return entries_.size(); }

    // A memory DC for drawing strips.
    HDC ScratchDC() const { return scratch_.get(); }

private:
    struct Entry {
        std::wstring file;  // expanded path
        int size = 0;
        FileStamp stamp;
        std::unique_ptr<PreviewStrip> strip;  // empty: the file did not load
        std::wstring problem;
        bool used = false;
    };
    std::unique_ptr<PreviewStrip> MakeStrip(std::vector<std::uint8_t> bytes, int size, std::wstring& problem);

    std::vector<Entry> entries_;
    UniqueMemDC scratch_;
    std::uint64_t serials_ = 0;
};

}  // namespace shubiao
