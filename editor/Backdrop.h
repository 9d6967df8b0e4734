#pragma once
// What the editor paints under its children, at the editor's DPI: the skin's
// background picture (decoded once, and a copy scaled for the DPI), the
// 9-point font of its captions and buttons, and the link caption at its foot.
#include <windows.h>

#include <string>

#include "editor/PictureBox.h"
#include "win/Raii.h"

namespace shubiao {

class Backdrop {
public:
    // Decodes the picture file; throws UserError naming it when it cannot be read.
    void LoadPicture(const std::wstring& file);
    // The picture as it is at 96 DPI and scaled by dpi/96 at any other, so
    // that it covers the editor as it grows; `container` (Picture16, a child
    // of the editor) gets a copy of its own. At 96 DPI that is the whole
    // picture from Picture16's origin, as the window has always shown it
    // (offset from the editor's by Picture16's place, so the picture's waves
    // step at the grid's edge). At any other DPI the copy is the part of the
    // scaled picture that lies under Picture16, so that the grid's background
    // meets the editor's without a seam. Both change together or, when a step
    // fails (UserError), neither does.
    void ScaleFor(UINT dpi, PictureBox& container);
    // A 9-point font for `dpi`: a Chinese character is 12 pixels wide at
    // 96 DPI, which is what the caption geometry assumes.
    void MakeFont(UINT dpi);

    // The picture at the current DPI: the decoded one itself at 96 DPI.
    HBITMAP Picture() const { return scaled_ ? scaled_.get() : decoded_.get(); }
    HFONT Font() const { return font_.get(); }
    const std::wstring& LinkCaption() const { return linkCaption_; }
    void SetLinkCaption(std::wstring caption) { linkCaption_ = std::move(caption); }
    // Where the link caption lies in `window` at `dpi`, in pixels of its client area.
    RECT LinkRect(HWND window, UINT dpi) const;

    // WM_PAINT of `window`: the face colour, the picture, the link caption.
    void Paint(HWND window, UINT dpi) const;

private:
    UniqueBitmap decoded_;
    UniqueBitmap scaled_;  // none at 96 DPI
    UniqueFont font_;
    std::wstring linkCaption_;
};

}  // namespace shubiao
