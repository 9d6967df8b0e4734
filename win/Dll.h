#pragma once
// Functions of system DLLs that the program needs only now and then (the
// file dialogs, the folder picker, drag and drop): loaded on first use, from
// the system folder only, so that starting the program does not load them.
#include <windows.h>

namespace shubiao {

// The function `name` of the system DLL `dll` (e.g. L"comdlg32.dll"), or
// nullptr when it cannot be had. F is the function's type:
// SystemFunction<decltype(GetOpenFileNameW)>(L"comdlg32.dll", "GetOpenFileNameW").
template <typename F>
F* SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    // LOAD_LIBRARY_SEARCH_SYSTEM32: only %windir%\System32 is searched, never
    // the program's folder or the current one.
    if (module == nullptr) module = LoadLibraryExW(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return nullptr;
    return reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace shubiao
