#pragma once
// The editor's working scheme: per role the path of the file it holds and
// whether a new file was chosen or imported since the last initialisation.
#include <array>
#include <string>

#include "scheme/CursorRole.h"

namespace shubiao {

class WorkingScheme {
public:
    // Role numbers are 1..15.
    std::wstring& RoleCursorFile(int role) { return files_.at(static_cast<size_t>(role - 1)); }
    const std::wstring& RoleCursorFile(int role) const { return files_.at(static_cast<size_t>(role - 1)); }
    bool RoleChanged(int role) const { return changed_.at(static_cast<size_t>(role - 1)); }
    void SetRoleChanged(int role, bool changed) { changed_.at(static_cast<size_t>(role - 1)) = changed; }

    void ClearFiles() { files_.fill(std::wstring()); }
    void ClearChanged() { changed_.fill(false); }

private:
    std::array<std::wstring, kRoleCount> files_{};
    std::array<bool, kRoleCount> changed_{};
};

}  // namespace shubiao
