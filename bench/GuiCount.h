#pragma once
// What the process holds: GDI objects, USER objects and private bytes.
#include <windows.h>

#include <cstdint>

namespace shubiao::bench {

struct Holdings {
    DWORD gdi = 0;
    DWORD user = 0;
    bool userAvailable = false;  // GetGuiResources answers 0 for USER under Wine
    std::uint64_t privateBytes = 0;  // PrivateUsage, or committed private regions where that is 0
};

Holdings CountHoldings();

}  // namespace shubiao::bench
