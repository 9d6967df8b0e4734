#pragma once
// The editor's working scheme: per role the path of the file it holds,
// whether a new file was chosen or imported since the last initialisation
// (what Apply acts on), and whether that choice is still pending: chosen,
// dropped or imported and not yet placed by Apply (what the grid marks).
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

    bool Pending(int role) const { return pending_.at(static_cast<size_t>(role - 1)); }
    // Why Apply left a pending role as it was; empty when it did not try.
    const std::wstring& PendingReason(int role) const { return reasons_.at(static_cast<size_t>(role - 1)); }
    void SetPending(int role, bool pending, std::wstring reason = {}) {
        pending_.at(static_cast<size_t>(role - 1)) = pending;
        reasons_.at(static_cast<size_t>(role - 1)) = pending ? std::move(reason) : std::wstring();
    }

    void ClearFiles() { files_.fill(std::wstring()); }
    void ClearChanged() { changed_.fill(false); }
    void ClearPending() {
        pending_.fill(false);
        reasons_.fill(std::wstring());
    }

private:
    std::array<std::wstring, kRoleCount> files_{};
    std::array<bool, kRoleCount> changed_{};
    std::array<bool, kRoleCount> pending_{};
    std::array<std::wstring, kRoleCount> reasons_{};
};

}  // namespace shubiao
