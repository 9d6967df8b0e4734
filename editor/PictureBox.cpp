#include "editor/PictureBox.h"

#include <windowsx.h>

#include "win/Pixels.h"

namespace shubiao {

PictureBox::~PictureBox() {
    // The image bitmap can only be deleted once it is no longer selected.
    if (imageDc_ && oldImageBitmap_ != nullptr) SelectObject(imageDc_.get(), oldImageBitmap_);
}

void PictureBox::Create(const CreateArgs& args) {
    RegisterWindowClass(kClassName, LoadCursorW(nullptr, IDC_ARROW), nullptr);
    // Clipping costs every window it is asked of (its visible region is
    // worked out at each show and move): only a box that overlaps a sibling
    // or has children of its own asks for it.
    DWORD style = WS_CHILD | (args.clips ? WS_CLIPSIBLINGS | WS_CLIPCHILDREN : 0);
    if (args.visible) style |= WS_VISIBLE;
    const RECT& r = args.at;
    CreateFor(0, kClassName, args.text, style, r.left, r.top, r.right - r.left, r.bottom - r.top, args.parent,
              reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)));
}

void PictureBox::Move(int x, int y, int width, int height) {
    MoveWindow(hwnd(), x, y, width, height, TRUE);
    if (imageDc_) EnsureImage();
}

void PictureBox::SetPicture(UniqueBitmap picture) {
    picture_ = std::move(picture);
    Cls();
}

void PictureBox::EnsureImage() {
    RECT client{};
    GetClientRect(hwnd(), &client);
    const int width = client.right > 0 ? client.right : 1;
    const int height = client.bottom > 0 ? client.bottom : 1;
    if (imageDc_ && width == width_ && height == height_) return;

    if (imageDc_ && oldImageBitmap_ != nullptr) SelectObject(imageDc_.get(), oldImageBitmap_);
    image_.reset();
    imageDc_.reset();

    void* bits = nullptr;
    image_ = MakeTopDownDib(width, height, &bits);
    if (!image_) throw std::runtime_error("CreateDIBSection failed");
    imageDc_.reset(CreateCompatibleDC(nullptr));
    if (!imageDc_) throw std::runtime_error("CreateCompatibleDC failed");
    oldImageBitmap_ = SelectObject(imageDc_.get(), image_.get());
    pixels_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    Cls();
}

void PictureBox::Cls(bool invalidate) {
    EnsureImage();
    RECT all{0, 0, width_, height_};
    SetDCBrushColor(imageDc_.get(), backColor_);
    FillRect(imageDc_.get(), &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    if (picture_) {
        BITMAP bm{};
        GetObjectW(picture_.get(), sizeof(bm), &bm);
        UniqueMemDC source(CreateCompatibleDC(imageDc_.get()));
        SelectGuard select(source.get(), picture_.get());
        BitBlt(imageDc_.get(), 0, 0, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    if (!invalidate) return;
    GdiFlush();
    Invalidate();
}

HDC PictureBox::ImageDC() {
    EnsureImage();
    return imageDc_.get();
}

// A window that is not on the screen is drawn whole when it comes back, so it
// is not told about changes while it is away.
void PictureBox::Invalidate() {
    if (hwnd() != nullptr && IsWindowVisible(hwnd())) InvalidateRect(hwnd(), nullptr, FALSE);
}

void PictureBox::Paint() {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(hwnd(), &ps);
    if (!imageDc_) {
        SetDCBrushColor(dc, backColor_);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    } else {
        if (onPaintOverlay) {
            // Compose image and overlay off screen so that nothing flickers.
            UniqueMemDC buffer(CreateCompatibleDC(dc));
            UniqueBitmap bitmap(CreateCompatibleBitmap(dc, width_, height_));
            SelectGuard select(buffer.get(), bitmap.get());
            BitBlt(buffer.get(), 0, 0, width_, height_, imageDc_.get(), 0, 0, SRCCOPY);
            onPaintOverlay(buffer.get());
            BitBlt(dc, 0, 0, width_, height_, buffer.get(), 0, 0, SRCCOPY);
        } else {
            // Only what needs painting: an animation step invalidates the
            // preview's square alone.
            const RECT& r = ps.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, imageDc_.get(), r.left, r.top, SRCCOPY);
        }
    }
    if (onPaintOnTop) onPaintOnTop(dc);
    EndPaint(hwnd(), &ps);
}

LRESULT PictureBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (onMessage) {
        if (const std::optional<LRESULT> handled = onMessage(message, wParam, lParam)) return *handled;
    }
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE:
        if (imageDc_) EnsureImage();  // made at the first drawing, at the size then
        return 0;
    case WM_SETCURSOR:
        // Only over the box itself: a child's WM_SETCURSOR asks its parent first.
        if (fixedCursor_ != nullptr && reinterpret_cast<HWND>(wParam) == hwnd() && LOWORD(lParam) == HTCLIENT) {
            SetCursor(fixedCursor_);
            return TRUE;
        }
        break;
    case WM_MOUSEMOVE:
        if (onMouseMove) onMouseMove();
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = true;
        SetCapture(hwnd());
        return 0;
    case WM_LBUTTONUP: {
        const bool wasPressed = pressed_;
        pressed_ = false;
        if (GetCapture() == hwnd()) ReleaseCapture();
        RECT client{};
        GetClientRect(hwnd(), &client);
        const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (wasPressed && PtInRect(&client, at) && onClick) onClick();
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressed_ = false;
        return 0;
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace shubiao
