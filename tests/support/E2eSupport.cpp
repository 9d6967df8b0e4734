#include "support/E2eSupport.h"

#include <wincodec.h>

#include <algorithm>
#include <utility>

#include "win/Pixels.h"
#include "win/Raii.h"
#include "support/TestSupport.h"

namespace shubiao::test {
namespace {

// File-name controls and the OK button of the common file dialogs.
constexpr int kFileNameCombo = 0x47c;  // cmb13
constexpr int kFileNameEdit = 0x480;   // edt1

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    const wchar_t* title;
    std::vector<HWND> found;
};

class ScreenDC {
public:
    ScreenDC() : dc_(GetDC(nullptr)) {}
    ~ScreenDC() {
        if (dc_ != nullptr) ReleaseDC(nullptr, dc_);
    }
    ScreenDC(const ScreenDC&) = delete;
    ScreenDC& operator=(const ScreenDC&) = delete;
    HDC get() const { return dc_; }

private:
    HDC dc_;
};

}  // namespace

bool RunningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool Poll(const std::function<bool()>& done, DWORD milliseconds, DWORD step) {
    return PumpUntil(done, milliseconds, step);
}

bool PollSteady(const std::function<bool()>& done, DWORD holdMilliseconds, DWORD milliseconds, DWORD step) {
    ULONGLONG since = 0;  // when `done` began to hold, 0 while it does not
    return Poll(
        [&] {
            if (!done()) {
                since = 0;
                return false;
            }
            const ULONGLONG now = GetTickCount64();
            if (since == 0) since = now;
            return now - since >= holdMilliseconds;
        },
        milliseconds, step);
}

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT, not GetWindowTextW: that gives only the caption of another
    // process's window, never the text of its controls.
    wchar_t text[1024] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &copied);
    return text;
}

std::vector<HWND> ProcessWindows(DWORD processId, const wchar_t* className, const wchar_t* title) {
    WindowSearch search{processId, className, title, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<WindowSearch*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
            if (lstrcmpiW(ClassOf(window).c_str(), s->className) != 0) return TRUE;
            if (s->title != nullptr && TextOf(window) != s->title) return TRUE;
            s->found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring DescribeProcessWindows(DWORD processId) {
    std::pair<DWORD, std::wstring> search{processId, {}};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<std::pair<DWORD, std::wstring>*>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->first) return TRUE;
            s->second += ClassOf(window) + L" \"" + TextOf(window) + L"\"" +
                         (IsWindowVisible(window) ? L"" : L" (hidden)") + L"\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND DescendantById(HWND parent, int id) {
    for (HWND child : Descendants(parent)) {
        if (GetDlgCtrlID(child) == id) return child;
    }
    return nullptr;
}

HWND FileNameEdit(HWND dialog) {
    for (HWND child : Descendants(dialog)) {
        const int id = GetDlgCtrlID(child);
        if ((id == kFileNameCombo || id == kFileNameEdit) && lstrcmpiW(ClassOf(child).c_str(), L"Edit") == 0) {
            return child;
        }
    }
    return nullptr;
}

bool TypeFileNameAndConfirm(HWND dialog, const std::wstring& text) {
    HWND edit = FileNameEdit(dialog);
    if (edit == nullptr) return false;
    SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    return true;
}

std::wstring DescribeChildren(HWND dialog) {
    std::wstring lines;
    for (HWND child : Descendants(dialog)) {
        lines += std::to_wstring(GetDlgCtrlID(child)) + L" " + ClassOf(child) + L" \"" + TextOf(child) + L"\"" +
                 (IsWindowVisible(child) ? L"" : L" (hidden)") + L"\n";
    }
    return lines;
}

void PostClick(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    const LPARAM at = MAKELPARAM(client.right / 2, client.bottom / 2);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

CountingWindow::CountingWindow(const wchar_t* title, RECT at, bool activate) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = L"ShuBiaoTestCountingWindow";
    RegisterClassW(&wc);  // fails harmlessly once registered
    window_ = CreateWindowExW(activate ? 0 : WS_EX_NOACTIVATE | WS_EX_TOPMOST, wc.lpszClassName, title,
                              WS_POPUP | WS_CAPTION, at.left, at.top, at.right - at.left, at.bottom - at.top, nullptr,
                              nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&counts_));
    ShowWindow(window_, activate ? SW_SHOW : SW_SHOWNOACTIVATE);
}

CountingWindow::~CountingWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK CountingWindow::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* counts = reinterpret_cast<Counts*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (counts != nullptr && message == WM_KEYDOWN && wParam == VK_RETURN) {
        ++counts->enters;
        return 0;
    }
    if (counts != nullptr && message == WM_MOUSEMOVE) ++counts->moves;
    return DefWindowProcW(window, message, wParam, lParam);
}

ScreenCapture::ScreenCapture()
    : ScreenCapture(RECT{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                         GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                         GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)}) {}

ScreenCapture::ScreenCapture(const RECT& area)
    : left_(area.left), top_(area.top), width_(area.right - area.left), height_(area.bottom - area.top) {
    const ScreenDC screen;
    pixels_ = ReadPixels(screen.get(), area);
}

std::uint32_t ScreenCapture::Pixel(int x, int y) const {
    x -= left_;
    y -= top_;
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || pixels_.empty()) return 0;
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

std::vector<std::uint32_t> ScreenCapture::Region(const RECT& rect) const {
    std::vector<std::uint32_t> region;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) region.push_back(Pixel(x, y));
    }
    return region;
}

bool ScreenCapture::SavePng(const std::wstring& path, const RECT* crop) const {
    if (pixels_.empty()) return false;
    RECT all{left_, top_, left_ + width_, top_ + height_};
    RECT part = all;
    if (crop != nullptr && !IntersectRect(&part, crop, &all)) return false;
    const int w = part.right - part.left;
    const int h = part.bottom - part.top;
    std::vector<std::uint32_t> rows = Region(part);
    for (std::uint32_t& p : rows) p |= 0xFF000000u;  // opaque

    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                factory.put_void())))
        return false;
    if (FAILED(factory->CreateStream(stream.put()))) return false;
    if (FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE))) return false;
    if (FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put()))) return false;
    if (FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache))) return false;
    if (FAILED(encoder->CreateNewFrame(frame.put(), nullptr))) return false;
    if (FAILED(frame->Initialize(nullptr))) return false;
    if (FAILED(frame->SetSize(static_cast<UINT>(w), static_cast<UINT>(h)))) return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(frame->SetPixelFormat(&format)) || format != GUID_WICPixelFormat32bppBGRA) return false;
    const UINT stride = static_cast<UINT>(w) * 4;
    if (FAILED(frame->WritePixels(static_cast<UINT>(h), stride, stride * static_cast<UINT>(h),
                                  reinterpret_cast<BYTE*>(rows.data()))))
        return false;
    return SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

bool ScreenCapture::SameExcept(const ScreenCapture& other, const std::vector<RECT>& ignore) const {
    if (width_ != other.width_ || height_ != other.height_ || left_ != other.left_ || top_ != other.top_) return false;
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x);
            if (pixels_[i] == other.pixels_[i]) continue;
            const POINT at{left_ + x, top_ + y};
            if (std::none_of(ignore.begin(), ignore.end(), [&](const RECT& r) { return PtInRect(&r, at) != FALSE; })) {
                return false;
            }
        }
    }
    return true;
}

ScreenCapture StillScreen(DWORD holdMilliseconds, DWORD milliseconds, const std::vector<RECT>& moving) {
    ScreenCapture last;
    PollSteady(
        [&] {
            ScreenCapture now;
            const bool same = now.SameExcept(last, moving);
            last = std::move(now);
            return same;
        },
        holdMilliseconds, milliseconds, 100);
    return last;
}

int NonWhitePixels(const std::vector<std::uint32_t>& pixels) {
    const auto marked = std::count_if(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p != 0xFFFFFFu; });
    return static_cast<int>(marked);
}

int DifferentPixels(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b) {
    const size_t n = std::min(a.size(), b.size());
    int differing = static_cast<int>(std::max(a.size(), b.size()) - n);
    for (size_t i = 0; i < n; ++i) differing += a[i] != b[i] ? 1 : 0;
    return differing;
}

}  // namespace shubiao::test
