// Animated previews: one timer for the whole grid. Each tick draws, in the
// boxes whose frame is due to change, the frame the elapsed time calls for
// (a step due sooner than a tick is skipped, so the animation keeps time),
// and sets the timer for the next change anywhere in the grid, never sooner
// than kMinTick. The timer runs only while the grid can be seen.
#include <algorithm>
#include <limits>

#include "editor/ShuBiaoKong.h"

namespace shubiao {
namespace {

constexpr ULONGLONG kMinTick = 16;  // ms: no step is drawn more often

}  // namespace

void ShuBiaoKong::AnimationTick() {
    const ULONGLONG now = desktop_.Milliseconds();
    for (BoxView& view : boxes_) {
        Playing& play = view.playing;
        if (play.strip == nullptr || !play.strip->animated()) continue;
        const int frame = play.strip->FrameAt(now - play.start);
        if (frame == play.frame) continue;
        PictureBox& box = view.picture;
        play.strip->Draw(box.ImageDC(), play.at.x, play.at.y, frame, previews_.ScratchDC());
        play.frame = frame;
        DrawBoxMarks(view, dpi_);
        // The box's look follows, so that the next redraw knows this frame is drawn.
        view.look.frame = frame;
        GdiFlush();
        InvalidateRect(box.hwnd(), nullptr, FALSE);
    }
    ScheduleAnimation(now);
}

void ShuBiaoKong::UpdateAnimation() { ScheduleAnimation(desktop_.Milliseconds()); }

void ShuBiaoKong::ScheduleAnimation(ULONGLONG now) {
    HWND root = hwnd() != nullptr ? GetAncestor(hwnd(), GA_ROOT) : nullptr;
    const bool seen = root != nullptr && IsWindowVisible(hwnd()) && !IsIconic(root);
    ULONGLONG next = std::numeric_limits<ULONGLONG>::max();
    if (seen) {
        for (const BoxView& view : boxes_) {
            const Playing& play = view.playing;
            if (play.strip == nullptr || !play.strip->animated()) continue;
            ULONGLONG until = 0;
            play.strip->FrameAt(now - play.start, &until);
            next = std::min(next, until);
        }
    }
    if (next == std::numeric_limits<ULONGLONG>::max()) {
        if (animating_) KillTimer(hwnd(), kAnimationTimerId);
        animating_ = false;
        return;
    }
    SetTimer(hwnd(), kAnimationTimerId, static_cast<UINT>(std::max(next, kMinTick)), nullptr);
    animating_ = true;
}

}  // namespace shubiao
