#include "editor/Backdrop.h"

#include <cstdlib>
#include <utility>

#include "editor/ImageFile.h"
#include "editor/Layout.h"
#include "win/Errors.h"

namespace shubiao {

void Backdrop::LoadPicture(const std::wstring& file) { decoded_ = LoadPictureFile(file); }

void Backdrop::ScaleFor(UINT dpi, PictureBox& container) {
    UniqueBitmap scaled;
    if (dpi != 96 && decoded_) {
        BITMAP bm{};
        GetObjectW(decoded_.get(), sizeof(bm), &bm);
        const int scale = static_cast<int>(dpi);
        scaled = ScalePicture(decoded_.get(), static_cast<UINT>(MulDiv(bm.bmWidth, scale, 96)),
                              static_cast<UINT>(MulDiv(std::abs(bm.bmHeight), scale, 96)));
    }
    POINT under{};
    if (scaled) {
        RECT grid{};
        GetWindowRect(container.hwnd(), &grid);
        MapWindowPoints(nullptr, GetParent(container.hwnd()), reinterpret_cast<POINT*>(&grid), 2);
        under = {grid.left, grid.top};
    }
    UniqueBitmap copy = CopyPicture(scaled ? scaled.get() : decoded_.get(), under);
    if (!copy) throw UserError(L"内存不足，无法显示背景图片。");
    scaled_ = std::move(scaled);
    container.SetPicture(std::move(copy));
}

void Backdrop::MakeFont(UINT dpi) {
    font_.reset(CreateFontW(-MulDiv(9, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                            GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, layout::FontFace().c_str()));
}

RECT Backdrop::LinkRect(HWND window, UINT dpi) const {
    RECT r{layout::Pixels(layout::kLianJieLeft, dpi), layout::Pixels(layout::kLianJieTop, dpi), 0, 0};
    HDC dc = GetDC(window);
    SIZE size{};
    {
        SelectGuard select(dc, font_.get());
        GetTextExtentPoint32W(dc, linkCaption_.c_str(), static_cast<int>(linkCaption_.size()), &size);
    }
    ReleaseDC(window, dc);
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
    return r;
}

void Backdrop::Paint(HWND window, UINT dpi) const {
    PAINTSTRUCT ps{};
    HDC dc = BeginPaint(window, &ps);
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (HBITMAP picture = Picture()) {
        BITMAP bm{};
        GetObjectW(picture, sizeof(bm), &bm);
        UniqueMemDC source(CreateCompatibleDC(dc));
        SelectGuard select(source.get(), picture);
        BitBlt(dc, 0, 0, bm.bmWidth, bm.bmHeight, source.get(), 0, 0, SRCCOPY);
    }
    {
        // The old font goes back into the DC before the DC is handed back.
        SelectGuard font(dc, font_.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 255));
        TextOutW(dc, layout::Pixels(layout::kLianJieLeft, dpi), layout::Pixels(layout::kLianJieTop, dpi),
                 linkCaption_.c_str(), static_cast<int>(linkCaption_.size()));
    }
    EndPaint(window, &ps);
}

}  // namespace shubiao
