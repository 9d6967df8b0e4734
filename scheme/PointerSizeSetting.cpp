#include "scheme/PointerSizeSetting.h"

#include <shellscalingapi.h>

#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/formats/PointerSize.h"
#include "win/Dll.h"

namespace shubiao {

std::optional<std::uint32_t> ReadCursorBaseSize() { return ReadCursorBaseSize(registry::KeyReader(kCursorsKeyPath)); }

std::optional<std::uint32_t> ReadCursorBaseSize(const registry::KeyReader& cursors) {
    DWORD value = 0;
    if (cursors.ReadDword(L"CursorBaseSize", value) != ERROR_SUCCESS) return std::nullopt;
    return value;
}

std::uint32_t PointerPixelsHere(UINT dpi) { return PointerPixels(dpi, ReadCursorBaseSize()); }

// GetDpiForMonitor answers with the display's own effective DPI only to a
// thread that is per-monitor aware; to one that is not it answers 96 or the
// system's DPI ("GetDpiForMonitor function", Remarks, Microsoft Learn). The
// console program is not DPI aware, so the thread is made per-monitor aware
// for the enumeration and set back after it. shcore.dll is loaded only here.
std::vector<UINT> DisplayDpis() {
    std::vector<UINT> dpis;
    auto* dpiOf = SystemFunction<decltype(GetDpiForMonitor)>(L"shcore.dll", "GetDpiForMonitor");
    if (dpiOf == nullptr) return dpis;
    struct Enumeration {
        decltype(GetDpiForMonitor)* dpiOf;
        std::vector<UINT>* dpis;
    } enumeration{dpiOf, &dpis};
    const DPI_AWARENESS_CONTEXT before = SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM data) -> BOOL {
            auto& e = *reinterpret_cast<Enumeration*>(data);
            UINT x = 0;
            UINT y = 0;
            if (SUCCEEDED(e.dpiOf(monitor, MDT_EFFECTIVE_DPI, &x, &y)) && x != 0) e.dpis->push_back(x);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&enumeration));
    if (before != nullptr) SetThreadDpiAwarenessContext(before);
    return dpis;
}

}  // namespace shubiao
