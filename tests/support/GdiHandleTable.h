#pragma once
// Live GDI objects of this process, where GetGuiResources cannot tell.
//
// Under Wine GetGuiResources answers 0. Wine keeps the process's GDI handle
// table where Windows does (PEB->GdiSharedHandleTable), one table per
// process, so the live entries are this process's GDI objects. Cursors and
// icons hold their images as GDI bitmaps there, so a leaked cursor shows up
// in this count too. Used by the tests and the benchmark.
#include <windows.h>
#include <winternl.h>

namespace shubiao {

inline DWORD CountGdiHandleTable() {
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

}  // namespace shubiao
