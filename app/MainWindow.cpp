#include "app/MainWindow.h"

#include "app/Skin.h"
#include "app/WindowIcon.h"
#include "editor/Layout.h"
#include "scheme/Folders.h"

namespace shubiao {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

}  // namespace

MainWindow::MainWindow(Desktop& desktop) : editor_(desktop) {}

MainWindow::~MainWindow() {
    // The window does not own its icons: take them back before they go.
    if (hwnd() == nullptr) return;
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, 0);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, 0);
}

void MainWindow::Create(int showCommand) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    RegisterWindowClass(kClassName, LoadCursorW(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
    CreateFor(kExStyle, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr);
    // The large icon is the program's own icon resource.
    largeIcon_.reset(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), 0)));
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon_.get()));
    SizeAndCentre();
    editor_.Create(hwnd(), layout::kControl.left, layout::kControl.top, layout::kControl.width,
                   layout::kControl.height);
    Form_Load();
    ShowWindow(hwnd(), showCommand);
    UpdateWindow(hwnd());
}

void MainWindow::SizeAndCentre() {
    const UINT dpi = GetDpiForWindow(hwnd());
    RECT r{0, 0, layout::Pixels(kClientWidthTwips, dpi), layout::Pixels(kClientHeightTwips, dpi)};
    AdjustWindowRectExForDpi(&r, kStyle, FALSE, kExStyle, dpi);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& area = monitor.rcWork;
    SetWindowPos(hwnd(), nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// Skin, aero, small icon, then the scheme in force; each once. The results
// of the two skin calls are not examined: without a skin the window keeps
// the system's look.
void MainWindow::Form_Load() {
    SkinH_AttachEx(AppFolder() + L"\\Skin\\aero.she", L"");
    Step(LoadStep::Skin);
    SkinH_SetAero(1);
    Step(LoadStep::Aero);
    iconFile_ = AppFolder() + L"\\Skin\\ico.ico";
    smallIcon_ = SetWindowIconFromFile(hwnd(), iconFile_, 0);
    Step(LoadStep::Icon);
    editor_.ChuShiShuBiao();
    Step(LoadStep::ChuShiShuBiao);
}

void MainWindow::Step(LoadStep step) {
    if (onLoadStep) onLoadStep(step);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        const UINT dpi = HIWORD(wParam);
        editor_.SetDpi(dpi);
        MoveWindow(editor_.hwnd(), 0, 0, layout::Pixels(layout::kControl.width, dpi),
                   layout::Pixels(layout::kControl.height, dpi), TRUE);
        return 0;
    }
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void MainWindow::OnFinalDestroy() { PostQuitMessage(0); }

}  // namespace shubiao
