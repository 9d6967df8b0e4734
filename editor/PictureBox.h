#pragma once
// A picture box: a child window with a persistent image. What is drawn into
// ImageDC() stays until Cls() wipes it, also while the box is covered, hidden
// or not yet shown. All picture boxes share one window class, so replacing the
// class cursor changes the pointer over every one of them.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>

#include "win/Window.h"
#include "win/Raii.h"

namespace shubiao {

class PictureBox : public Window {
public:
    static constexpr const wchar_t* kClassName = L"ShuBiaoPictureBox";

    PictureBox() = default;
    explicit PictureBox(COLORREF backColor) : backColor_(backColor) {}
    ~PictureBox() override;

    struct CreateArgs {
        HWND parent = nullptr;
        RECT at{};            // pixels, in the parent's client area
        int id = 0;           // control id
        // WS_CLIPSIBLINGS | WS_CLIPCHILDREN, for a box that overlaps a
        // sibling or holds children.
        bool clips = true;
        const wchar_t* text = L"";  // the window text (screen readers announce it)
        bool visible = true;
    };
    void Create(const CreateArgs& args);
    void Move(int x, int y, int width, int height);

    // The picture drawn at the box's origin under the persistent image (owned).
    void SetPicture(UniqueBitmap picture);
    // Wipes the persistent image to the background colour and the picture;
    // `invalidate` false when more drawing follows before the box is shown.
    void Cls(bool invalidate = true);
    // DC of the persistent image; draw into it, then call Invalidate().
    HDC ImageDC();
    void Invalidate();

    // The persistent image's pixels (0x00RRGGBB, top-down rows), for tests.
    // The image is made at its first use, at the box's size then.
    const std::uint32_t* Pixels() {
        EnsureImage();
        return pixels_;
    }
    int ImageWidth() {
        EnsureImage();
        return width_;
    }
    int ImageHeight() {
        EnsureImage();
        return height_;
    }
    COLORREF BackColor() const { return backColor_; }

    // A pointer of the box's own that overrides the class cursor (nullptr: none).
    void SetFixedCursor(HCURSOR cursor) { fixedCursor_ = cursor; }

    std::function<void()> onClick;
    std::function<void()> onMouseMove;
    // Drawn over the persistent image on every paint (windowless captions).
    std::function<void(HDC)> onPaintOverlay;
    // Drawn on the screen after the image, with no buffer between (a focus
    // rectangle); cheap when it draws nothing.
    std::function<void(HDC)> onPaintOnTop;
    // Sees each message before the box does; a result means it was handled.
    std::function<std::optional<LRESULT>(UINT message, WPARAM wParam, LPARAM lParam)> onMessage;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void EnsureImage();
    void Paint();

    COLORREF backColor_ = RGB(255, 255, 255);
    HCURSOR fixedCursor_ = nullptr;
    UniqueBitmap picture_;
    UniqueMemDC imageDc_;
    UniqueBitmap image_;
    HGDIOBJ oldImageBitmap_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    bool pressed_ = false;
};

}  // namespace shubiao
