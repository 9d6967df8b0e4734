#pragma once
// What the .inf reader and the name matcher promise for any input at all.
// The fuzz targets abort when a promise is broken; the portable tests replay
// the inputs the fuzzer kept and check the same promises. Each check returns
// an empty string, or says which promise was broken.
#include <cstddef>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "scheme/InfReader.h"
#include "scheme/PackNames.h"
#include "scheme/SchemeOrder.h"

namespace fuzz_invariants {

inline bool IsGridRoleSpelling(std::string_view role) {
    const int pos = shubiao::GridPosition(role);
    return pos >= 0 && shubiao::kSchemeOrder[static_cast<std::size_t>(pos)].valueName == role;
}

inline std::string InfResultBreaks(const shubiao::inf::InfResult& result) {
    if (result.error != shubiao::inf::InfError::None) return result.schemes.empty() ? "" : "schemes with an error";
    for (const shubiao::inf::Scheme& scheme : result.schemes) {
        if (scheme.files.empty()) return "a scheme without files";
        std::set<std::string> roles;
        for (const shubiao::inf::RoleFile& file : scheme.files) {
            if (!IsGridRoleSpelling(file.role)) return "unknown role " + file.role;
            if (!roles.insert(file.role).second) return "role twice: " + file.role;
            const std::string& name = file.fileName;
            if (name.empty() || name == "." || name == "..") return "no file name for " + file.role;
            if (name.find_first_of("\\/") != std::string::npos) return "a path, not a name: " + name;
        }
    }
    return "";
}

inline std::string NameMatchesBreak(const std::vector<shubiao::pack::NameMatch>& matches, std::size_t fileCount) {
    std::set<std::string> roles;
    std::set<std::size_t> files;
    for (const shubiao::pack::NameMatch& match : matches) {
        if (!IsGridRoleSpelling(match.role)) return "unknown role " + match.role;
        if (!roles.insert(match.role).second) return "role twice: " + match.role;
        if (match.file >= fileCount) return "file index out of range";
        if (!files.insert(match.file).second) return "file twice: " + std::to_string(match.file);
    }
    return "";
}

// The name matcher's fuzz input: one file name a line.
inline std::vector<std::string> SplitNames(std::string_view bytes) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at <= bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        names.emplace_back(bytes.substr(at, end == std::string_view::npos ? std::string_view::npos : end - at));
        if (end == std::string_view::npos) break;
        at = end + 1;
    }
    return names;
}

}  // namespace fuzz_invariants
