#include "bench/Sandbox.h"

#include "win/Errors.h"

#include "editor/ShuBiaoKong.h"

namespace shubiao::bench {
namespace {

LRESULT CALLBACK HostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int BenchDesktop::MessageBox(HWND, const std::wstring& text, const std::wstring&, UINT style) {
    if ((style & MB_ICONMASK) == 0 && (style & MB_TYPEMASK) == MB_OKCANCEL) {
        ++confirmations;
        if (onConfirm) onConfirm();
    } else {
        warnings.push_back(text);
    }
    return IDOK;
}

bool BenchDesktop::ShowOpen(HWND, const std::wstring&, std::wstring& fileName) {
    if (openAnswers.empty()) return false;
    fileName = openAnswers.front();
    openAnswers.pop_front();
    return true;
}

bool BenchDesktop::ShowSave(HWND, const std::wstring&, std::wstring&) { return false; }

std::optional<std::wstring> BenchDesktop::BrowseForFolder(HWND) { return std::nullopt; }

bool BenchDesktop::SetSystemCursor(HCURSOR cursor, DWORD) {
    ++systemCursors;
    DestroyCursor(cursor);  // the system would own it now
    return true;
}

bool BenchDesktop::StartProgram(const std::wstring&, int) { return false; }

BenchHost::BenchHost() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = HostProcedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"ShuBiaoBenchHost";
    RegisterClassExW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"ShuBiao benchmark", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE |
                            WS_CLIPCHILDREN, 40, 40, 420, 380, nullptr, nullptr, wc.hInstance, nullptr);
}

BenchHost::~BenchHost() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

void DrainMessages() {
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool CreateEditor(ShuBiaoKong& editor, const BenchHost& host, std::vector<std::wstring>& problems) {
    try {
        editor.Create(host.hwnd(), layout::kControl.left, layout::kControl.top, layout::kControl.width,
                      layout::kControl.height);
    } catch (...) {
        problems.push_back(L"the editor could not be made: " + DescribeCurrentException());
        return false;
    }
    editor.ChuShiShuBiao();
    DrainMessages();
    return true;
}

}  // namespace shubiao::bench
