#include "bench/GuiCount.h"

#include <psapi.h>
#include <winternl.h>

namespace shubiao::bench {
namespace {

// Under Wine GetGuiResources answers 0. Wine keeps the process's GDI handle
// table where Windows does (PEB->GdiSharedHandleTable), one table per
// process, so the live entries are this process's GDI objects. Cursors and
// icons hold their images as GDI bitmaps there, so a leaked cursor shows up
// in this count too. (The same count as the tests' support library; the
// benchmark does not link that library.)
DWORD CountGdiHandleTable() {
    struct Entry {
        unsigned long long object;
        unsigned long owner;
        unsigned short unique;
        unsigned char type;
        unsigned char flags;
        unsigned long long user;
    };
    static_assert(sizeof(Entry) == 24);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
    const auto* peb = reinterpret_cast<const BYTE*>(NtCurrentTeb()->ProcessEnvironmentBlock);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    const auto* table = *reinterpret_cast<const Entry* const*>(peb + 0xF8);
    if (table == nullptr) return 0;
    DWORD live = 0;
    for (int i = 0; i < 0x10000; ++i) {
        if (table[i].type != 0) ++live;
    }
    return live;
}

// Committed private memory, added up region by region (Wine leaves
// PrivateUsage at 0).
std::uint64_t CommittedPrivateBytes() {
    std::uint64_t total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const BYTE* at = nullptr; VirtualQuery(at, &region, sizeof(region)) == sizeof(region);
         at = static_cast<const BYTE*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
        if (region.RegionSize == 0) break;
    }
    return total;
}

}  // namespace

Holdings CountHoldings() {
    Holdings h;
    h.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (h.gdi == 0) h.gdi = CountGdiHandleTable();
    h.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    h.userAvailable = h.user != 0;  // a process with windows always holds some
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
        h.privateBytes = memory.PrivateUsage;
    }
    if (h.privateBytes == 0) h.privateBytes = CommittedPrivateBytes();
    return h;
}

}  // namespace shubiao::bench
