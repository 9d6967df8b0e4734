#include "app/MainWindow.h"

#include <utility>
#include <vector>

#include "app/Skin.h"
#include "app/WindowIcon.h"
#include "editor/Layout.h"
#include "scheme/Folders.h"
#include "win/Dll.h"

namespace shubiao {
namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES;
// Posted to itself once the window is shown: import the command line's path.
constexpr UINT kImportOnStart = WM_APP + 1;
// Posted to itself when its visibility may have changed (WM_SHOWWINDOW comes
// before the change): the editor starts or stops its animation.
constexpr UINT kAnimationCheck = WM_APP + 2;

bool IsCursorFile(const std::wstring& path) {
    if (path.size() <= 4) return false;
    const std::wstring_view extension = std::wstring_view(path).substr(path.size() - 4);
    return EqualNoCase(extension, L".cur") || EqualNoCase(extension, L".ani");
}

}  // namespace

MainWindow::MainWindow(Desktop& desktop) : editor_(desktop) {}

MainWindow::~MainWindow() {
    // The window does not own its icons: take them back before they go.
    if (hwnd() == nullptr) return;
    SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, 0);
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, 0);
}

void MainWindow::Create(int showCommand, std::wstring importPath) {
    RegisterWindowClass(kClassName, LoadCursorW(nullptr, IDC_ARROW), GetSysColorBrush(COLOR_BTNFACE));
    CreateFor(kExStyle, kClassName, kTitle, kStyle, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr);
    SetLargeIcon(GetDpiForWindow(hwnd()));
    SizeAndCentre();
    // An administrator may still start the program elevated; then without these Explorer's
    // drops never reach it (User Interface Privilege Isolation lets a
    // lower-integrity process send only the messages a window allows:
    // ChangeWindowMessageFilterEx). 0x0049 is WM_COPYGLOBALDATA, which
    // carries the dropped files.
    for (const UINT message : {static_cast<UINT>(WM_DROPFILES), static_cast<UINT>(WM_COPYDATA), 0x0049u}) {
        ChangeWindowMessageFilterEx(hwnd(), message, MSGFLT_ALLOW, nullptr);
    }
    editor_.Create(hwnd(), layout::kControl.left, layout::kControl.top, layout::kControl.width,
                   layout::kControl.height);
    Form_Load();
    // Every window of the editor paints all of itself and has no frame, so
    // as the window appears they are only painted, once each: showing them
    // with it would first give each a frame and a background of its own to
    // draw (WM_NCPAINT and WM_ERASEBKGND, one at a time, before the first
    // paint). WM_SETREDRAW keeps the editor out of the showing; each window
    // is then invalidated without erasing.
    SendMessageW(editor_.hwnd(), WM_SETREDRAW, FALSE, 0);
    ShowWindow(hwnd(), showCommand);
    SendMessageW(editor_.hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(editor_.hwnd(), nullptr, FALSE);
    EnumChildWindows(
        editor_.hwnd(),
        [](HWND child, LPARAM) -> BOOL {
            InvalidateRect(child, nullptr, FALSE);
            return TRUE;
        },
        0);
    UpdateWindow(hwnd());
    editor_.UpdateAnimation();
    pendingImport_ = std::move(importPath);
    if (!pendingImport_.empty()) PostMessageW(hwnd(), kImportOnStart, 0, 0);
}

// One cursor file dropped onto a preview box is chosen for that box's role;
// a folder, an .inf file or a .zip archive is imported.
void MainWindow::DropFiles(HDROP drop) {
    auto* queryFile = SystemFunction<decltype(DragQueryFileW)>(L"shell32.dll", "DragQueryFileW");
    auto* queryPoint = SystemFunction<decltype(DragQueryPoint)>(L"shell32.dll", "DragQueryPoint");
    if (queryFile == nullptr || queryPoint == nullptr) return;
    const UINT count = queryFile(drop, 0xFFFFFFFF, nullptr, 0);
    std::vector<std::wstring> paths;
    for (UINT i = 0; i < count; ++i) {
        const UINT length = queryFile(drop, i, nullptr, 0);
        std::wstring path(length + 1, L'\0');
        path.resize(queryFile(drop, i, path.data(), length + 1));
        paths.push_back(std::move(path));
    }
    POINT at{};
    queryPoint(drop, &at);
    ClientToScreen(hwnd(), &at);
    if (paths.size() != 1) {
        throw UserError(L"一次只能拖入一个文件夹、一个 .inf 文件、一个 .zip 压缩包，或者把一个光标文件拖到一个指针上。");
    }
    const std::wstring& path = paths.front();
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!folder && IsCursorFile(path)) {
        const int role = editor_.RoleAt(at);
        if (role == 0) throw UserError(L"请把光标文件拖到要替换的那个指针上。");
        editor_.ChooseFile(role, path);
        return;
    }
    editor_.ImportPath(path);
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
    if (const Skin* skin = ActiveSkin(); skin != nullptr && skin->buttonBorder) {
        editor_.SetMarkColour(*skin->buttonBorder);
    }
    Step(LoadStep::Skin);
    SkinH_SetAero(1);
    Step(LoadStep::Aero);
    iconFile_ = AppFolder() + L"\\Skin\\ico.ico";
    SetSmallIcon(GetDpiForWindow(hwnd()));
    Step(LoadStep::Icon);
    editor_.ChuShiShuBiao();
    Step(LoadStep::ChuShiShuBiao);
}

// The large icon is the program's own icon resource, at the DPI's size. The
// window gets a new icon before the old one is destroyed; when none loads it
// keeps the one it has.
void MainWindow::SetLargeIcon(UINT dpi) {
    UniqueIcon icon(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                  GetSystemMetricsForDpi(SM_CXICON, dpi),
                                                  GetSystemMetricsForDpi(SM_CYICON, dpi), 0)));
    if (!icon) return;
    SendMessageW(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon.get()));
    largeIcon_ = std::move(icon);
}

// The small icon from iconFile_ (or its fallback), at the DPI's size.
void MainWindow::SetSmallIcon(UINT dpi) {
    UniqueIcon icon = SetWindowIconFromFile(hwnd(), iconFile_, 0, dpi);
    if (icon) smallIcon_ = std::move(icon);
}

bool MainWindow::PreTranslate(MSG& msg) {
    if (Shortcut(msg)) return true;
    return IsDialogMessageW(hwnd(), &msg) != FALSE;
}

// Ctrl+Z asks for 撤销上次更改 whichever of the window's controls has the
// focus, once for a held key. Only keys meant for this window count: while a
// modal dialog of ours is up the window is disabled, and the dialog's keys
// are the dialog's.
bool MainWindow::Shortcut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN || msg.wParam != 'Z') return false;
    if (GetKeyState(VK_CONTROL) >= 0 || GetKeyState(VK_MENU) < 0) return false;
    if (msg.hwnd != hwnd() && IsChild(hwnd(), msg.hwnd) == FALSE) return false;
    if (IsWindowEnabled(hwnd()) == FALSE) return false;
    const bool repeat = (msg.lParam & (LPARAM{1} << 30)) != 0;
    if (!repeat) editor_.CheXiaoGengGai();
    return true;
}

void MainWindow::Step(LoadStep step) {
    if (onLoadStep) onLoadStep(step);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DROPFILES: {
        const auto drop = reinterpret_cast<HDROP>(wParam);
        struct Finish {
            HDROP drop;
            ~Finish() {
                if (auto* finish = SystemFunction<decltype(DragFinish)>(L"shell32.dll", "DragFinish")) finish(drop);
            }
        } finish{drop};
        DropFiles(drop);
        return 0;
    }
    case WM_SIZE:
    case WM_SHOWWINDOW:
        // Minimised, restored, hidden or shown: the previews play only when seen.
        PostMessageW(hwnd(), kAnimationCheck, 0, 0);
        break;
    case WM_CLOSE:
        // Pending choices are applied or dropped first, or the window stays.
        if (!editor_.QueryClose()) return 0;
        break;
    case kAnimationCheck:
        editor_.UpdateAnimation();
        return 0;
    case kImportOnStart:
        if (!pendingImport_.empty()) editor_.ImportPath(std::exchange(pendingImport_, std::wstring()));
        return 0;
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
        const UINT dpi = HIWORD(wParam);
        SetLargeIcon(dpi);
        SetSmallIcon(dpi);
        // The editor takes its new size before SetDpi, which throws when its
        // pictures cannot be scaled.
        MoveWindow(editor_.hwnd(), 0, 0, layout::Pixels(layout::kControl.width, dpi),
                   layout::Pixels(layout::kControl.height, dpi), TRUE);
        editor_.SetDpi(dpi);
        return 0;
    }
    default:
        break;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

void MainWindow::OnFinalDestroy() { PostQuitMessage(0); }

}  // namespace shubiao
