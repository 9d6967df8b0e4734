// Loading the scheme in force into the previews.
#include <algorithm>
#include <optional>
#include <utility>

#include "editor/PreviewCache.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/PointerSizeSetting.h"
#include "scheme/formats/PointerSize.h"
#include "editor/SizeMark.h"

namespace shubiao {

void ShuBiaoKong::ChuShiShuBiao() {
    scheme_.ClearFiles();
    scheme_.ClearChanged();
    scheme_.ClearPending();
    ShuaXinYuLan();
}

// XianShi covers the grid from ShuaXinYuLan until JiaZaiFangAn uncovers it,
// within the same call: nothing is painted in between, so a cover that is
// not on the screen is only noted, not shown (showing and hiding a window
// that covers sixteen others is the dearest part of a refresh); a cover on
// the screen (from construction to the first load) is hidden for real.

void ShuBiaoKong::SetXianShiVisible(bool visible) {
    if (!visible && (GetWindowLongPtrW(xianShi_.hwnd(), GWL_STYLE) & WS_VISIBLE) != 0) {
        SetWindowPos(xianShi_.hwnd(), nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW | SWP_HIDEWINDOW);
    }
}

void ShuBiaoKong::ShuaXinYuLan() {
    SetXianShiVisible(true);
    Mark(profiler_, "show the cover (XianShi)");
    scheme_.ClearFiles();
    JiaZaiFangAn();
}

// Never fails to its caller: a step that fails is skipped and the remaining
// roles are still loaded and drawn. The settings' key is opened once for all
// the reads. Every role of the model is loaded; the roles the grid has a box
// for are drawn.
//
// Each box is wiped and drawn anew (a box whose step fails stays wiped); a
// box whose picture would come out as it is now, pixel for pixel, is left as
// it is, so that a refresh with unchanged files repaints nothing.
void ShuBiaoKong::JiaZaiFangAn() {
    SetXianShiVisible(false);
    Mark(profiler_, "hide the cover (XianShi)");
    // The Cursors key is opened once for the pointer-size setting and every role.
    std::optional<registry::KeyReader> settings(std::in_place, kCursorsKeyPath);
    cursorBaseSize_ = ReadCursorBaseSize(*settings);
    const std::wstring dataStorage = DataStorageFolder();
    // Files no role names after this run leave the preview cache at its end.
    previews_.BeginRound();
    struct EndRound {
        PreviewCache& cache;
        ~EndRound() { cache.EndRound(); }
    } endRound{previews_};

    for (const CursorRole& role : kRoles) {
        BoxView* view = boxes_.Find(role.number);
        try {
            std::wstring& file = scheme_.RoleCursorFile(role.number);
            if (file.empty() && scheme_.WindowsDefault(role.number)) file = dataStorage + role.FileName();
            if (file.empty()) {
                std::wstring data;
                const LSTATUS read = settings->Read(role.valueName, data);
                Mark(profiler_, "read the settings (one key, a value per role)");
                if (read != ERROR_SUCCESS) {
                    const std::wstring fallback = dataStorage + role.FileName();
                    if (view != nullptr) DrawPreview(*view, fallback);
                    file = fallback;
                    scheme_.SetWindowsDefault(role.number, true);
                    continue;
                }
                file = std::move(data);
            }
            if (view != nullptr) DrawPreview(*view, file);
        } catch (...) {
            if (view != nullptr) view->Wipe();
        }
    }
    ScheduleAnimation(desktop_.Milliseconds());
    Mark(profiler_, "set the animation timer");
    import_.ReleaseUnusedArchives();
}

void ShuBiaoKong::TakeScheme(WorkingScheme scheme) {
    scheme_ = std::move(scheme);
    JiaZaiFangAn();
}

// Box `role` shows its file's preview, as Windows loads the file: the first
// frame, at the large-icon size, at the box's top-left corner, over the
// box's white. Every animation keeps time from one moment (the editor's
// construction), so that animations of equal rates step together and one
// tick of the timer serves them all. A file that does not load
// leaves the box blank. The preview comes from the cache: an unchanged file
// is not read again, and an animation that was playing goes on.
//
// With 实际大小 the preview is made at the size Windows draws the pointer
// here instead, and a preview larger than its box is cut to it. Its frames
// come from IconFromImage: LookupIconIdFromDirectoryEx picks the image for
// that size ("the image closest but not exceed the requested size", its
// reference page) and CreateIconFromResourceEx makes the cursor at
// cxDesired x cyDesired, stretching the image when it is another size (its
// reference page: "the desired width, in pixels, of the icon or cursor").
// These are the functions LoadImage and the cursor loader use for a file's
// images, so the scaling matched is the system's own stretching in user32,
// not ours; DrawIconEx then draws the cursor at the size it was made, with
// no second stretch. Under Wine the stretching is Wine's user32 (a
// StretchBlt of the image), which may differ from Windows' pixel for pixel;
// the size and the place are the same. The choice lasts for the session:
// it is a way to look at the pointers, not a setting of the program.
void ShuBiaoKong::DrawPreview(BoxView& view, const std::wstring& path) {
    const int size = actualSize_ ? static_cast<int>(PointerPixelsShown()) : GetSystemMetricsForDpi(SM_CXICON, dpi_);
    const PreviewCache::Preview preview = previews_.Get(path, size);
    Mark(profiler_, "find the previews (file stamp; a changed file is read and its frames drawn)");
    view.previewProblem = preview.problem;
    Playing& play = view.playing;
    if (preview.strip == nullptr) {
        play = {};
    } else if (play.serial != preview.strip->serial()) {
        play = {preview.strip, preview.strip->serial(), animationEpoch_, -1};
    }
    RedrawBox(view);
}

std::uint32_t ShuBiaoKong::PointerPixelsShown() const { return PointerPixels(dpi_, cursorBaseSize_); }

void ShuBiaoKong::SetActualSize(bool on) {
    if (actualSize_ == on) return;
    actualSize_ = on;
    previews_.BeginRound();
    for (BoxView& view : boxes_) {
        const std::wstring& file = scheme_.RoleCursorFile(view.role);
        if (file.empty()) continue;
        DrawPreview(view, file);
    }
    previews_.EndRound();
    ScheduleAnimation(desktop_.Milliseconds());
}

// Where a strip's frames go in a box: at its top-left corner, as the
// previews have always been; a strip larger than the box is moved left and
// up just enough to bring its hot spot to the box's middle, never so far
// that the box shows past the strip's edge.
static POINT StripPlace(const PreviewStrip& strip, int width, int height) {
    auto shift = [](int hot, int size, int room) {
        if (size <= room || hot < room) return 0;
        return -std::clamp(hot - room / 2, 0, size - room);
    };
    const POINT hot = strip.hotSpot();
    return {shift(hot.x, strip.size(), width), shift(hot.y, strip.size(), height)};
}

// The box's persistent image: white, the preview's frame due now, and for a
// pending choice its mark (a warning sign in place of a preview that cannot
// be made).
void ShuBiaoKong::RedrawBox(BoxView& view) {
    PictureBox& box = view.picture;
    Playing& play = view.playing;
    const bool pending = scheme_.Pending(view.role);
    const int frame = play.strip != nullptr ? play.strip->FrameAt(desktop_.Milliseconds() - play.start) : -1;
    const BoxLook look{play.serial, frame, pending, markColour_, box.ImageWidth(), play.strip != nullptr && LacksSize(play.strip->sizes(), PointerPixelsShown())};
    BoxLook& drawn = view.look;
    if (look == drawn) {
        Mark(profiler_, "draw the boxes");
        return;
    }
    drawn = look;
    box.Cls(false);
    HDC dc = box.ImageDC();
    play.frame = frame;
    if (play.strip != nullptr) {
        play.at = StripPlace(*play.strip, box.ImageWidth(), box.ImageHeight());
        play.strip->Draw(dc, play.at.x, play.at.y, play.frame, previews_.ScratchDC());
    } else if (pending) {
        const int size = GetSystemMetricsForDpi(SM_CXSMICON, dpi_);
        if (HICON warning = static_cast<HICON>(LoadImageW(nullptr, IDI_WARNING, IMAGE_ICON, size, size, LR_SHARED))) {
            DrawIconEx(dc, 0, 0, warning, size, size, 0, nullptr, DI_NORMAL);
        }
    }
    DrawBoxMarks(view, dpi_);
    GdiFlush();
    box.Invalidate();
    Mark(profiler_, "draw the boxes");
}

}  // namespace shubiao
