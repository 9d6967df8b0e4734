// ShuBiao: replace the current user's mouse pointers, one role at a time.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <stdlib.h>

#include "app/MainWindow.h"
#include "scheme/ZipPack.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    using namespace shubiao;
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    int exitCode = 0;
    {
        const std::unique_ptr<Desktop> desktop = MakeWindowsDesktop();
        MainWindow main(*desktop);
        // A folder, an .inf or a .zip file given as the argument ("Open with") is
        // imported once the window is up.
        // The C runtime has split the command line already (wWinMain's own
        // startup fills __wargv).
        const std::wstring importPath = __argc > 1 && __wargv != nullptr ? __wargv[1] : L"";
        try {
            main.Create(showCommand, importPath);
        } catch (...) {
            const std::wstring reason = L"程序无法启动。\n" + DescribeCurrentException();
            MessageBoxW(nullptr, reason.c_str(), MainWindow::kTitle, MB_OK | MB_ICONERROR);
            exitCode = 1;
        }
        if (exitCode == 0) {
            // Unpacked archives that an earlier run left behind (ended
            // without cleaning up) go, once the window is up and painted.
            RemoveStaleUnpackFolders();
            MSG msg{};
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (main.PreTranslate(msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            exitCode = static_cast<int>(msg.wParam);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}
