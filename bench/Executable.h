#pragma once
// Size of an executable and the DLLs it imports (plain and delay-loaded).
#include <cstdint>
#include <string>
#include <vector>

namespace shubiao::bench {

struct ExecutableFacts {
    std::uint64_t bytes = 0;
    std::vector<std::wstring> imports;  // DLL names as the import table spells them
    std::vector<std::wstring> foreign;  // imports not found in the system folder
    std::wstring error;                 // why the file could not be read; empty when it was
};

ExecutableFacts InspectExecutable(const std::wstring& path);

}  // namespace shubiao::bench
