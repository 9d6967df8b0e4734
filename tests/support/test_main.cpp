// Entry point of the Windows test executables: per-monitor DPI awareness as
// the program's manifest asks, COM for the imaging component and dialogs,
// and a writer lock of this run's own, for the tests and for every
// ShuBiaoCmdTest.exe they start (runs side by side never wait for each other).
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <string>

#include "scheme/WriterLock.h"

int main(int argc, char** argv) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    const std::wstring lockName =
        std::wstring(shubiao::kWriterLockName) + L".Test." + std::to_wstring(GetCurrentProcessId());
    shubiao::SetWriterLockName(lockName);
    SetEnvironmentVariableW(L"SHUBIAO_TEST_LOCK_NAME", lockName.c_str());
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
