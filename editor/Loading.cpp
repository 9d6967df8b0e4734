// Loading the scheme in force into the previews.
#include "editor/PreviewCache.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"

namespace shubiao {

void ShuBiaoKong::ChuShiShuBiao() {
    scheme_.ClearFiles();
    scheme_.ClearChanged();
    scheme_.ClearPending();
    ShuaXinYuLan();
}

void ShuBiaoKong::ChuShi_SB_Click() { ChuShiShuBiao(); }

// XianShi is shown here and hidden again by JiaZaiFangAn within the same
// call, before anything is painted: the screen never changes in between, so
// neither step asks for a repaint (the previews invalidate their boxes).
void ShuBiaoKong::SetXianShiVisible(bool visible) {
    SetWindowPos(xianShi_.hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                     (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void ShuBiaoKong::ShuaXinYuLan() {
    SetXianShiVisible(true);
    scheme_.ClearFiles();
    JiaZaiFangAn();
}

// Never fails to its caller: a step that fails is skipped and the remaining
// roles are still loaded and drawn.
void ShuBiaoKong::JiaZaiFangAn() {
    for (int n = 1; n <= kRoleCount; ++n) {
        try {
            Picture(n).Cls();
        } catch (...) {
        }
    }
    SetXianShiVisible(false);
    const std::wstring dataStorage = DataStorageFolder();
    // Files no role names after this run leave the preview cache at its end.
    previews_.BeginRound();
    struct EndRound {
        PreviewCache& cache;
        ~EndRound() { cache.EndRound(); }
    } endRound{previews_};

    for (const CursorRole& role : kRoles) {
        try {
            std::wstring& file = scheme_.RoleCursorFile(role.number);
            if (file.empty()) {
                std::wstring data;
                if (registry::RegRead(role.ValuePath(), data) != ERROR_SUCCESS) {
                    const std::wstring fallback = dataStorage + role.FileName();
                    DrawPreview(role.number, fallback);
                    file = fallback;
                    continue;
                }
                file = std::move(data);
            }
            DrawPreview(role.number, file);
        } catch (...) {
        }
    }
}

// Draws the cursor in `path` into box `role` as Windows loads it: the first
// frame of an animated cursor, at the large-icon size, at the box's top-left
// corner, transparently. A file that does not load leaves the box blank.
// The cursor comes from the preview cache: an unchanged file is not read again.
void ShuBiaoKong::DrawPreview(int role, const std::wstring& path) {
    const int size = GetSystemMetricsForDpi(SM_CXICON, dpi_);
    const PreviewCache::Preview preview = previews_.Get(path, size);
    previewProblems_[static_cast<size_t>(role - 1)] = preview.problem;
    HCURSOR cursor = preview.cursor;
    if (cursor == nullptr) return;
    PictureBox& box = Picture(role);
    DrawIconEx(box.ImageDC(), 0, 0, cursor, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    box.Invalidate();
}

}  // namespace shubiao
