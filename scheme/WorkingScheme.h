#pragma once
// The editor's working scheme: per role the path of the file it holds,
// whether a new file was chosen or imported since the last initialisation
// (what Apply acts on), and whether that choice is still pending: chosen,
// dropped or imported and not yet placed by Apply (what the grid marks).
#include <array>
#include <string>

#include "scheme/CursorRole.h"

namespace shubiao {

// What the working scheme holds for one role.
struct RoleState {
    std::wstring file;     // RoleCursorFile
    bool changed = false;  // RoleChanged
    bool pending = false;
    std::wstring reason;   // why Apply left a pending role as it was; empty when it did not try
};

class WorkingScheme {
public:
    // Role numbers are 1..kRoleCount; any other throws std::out_of_range.
    RoleState& At(int role) { return roles_.at(static_cast<size_t>(role - 1)); }
    const RoleState& At(int role) const { return roles_.at(static_cast<size_t>(role - 1)); }

    std::wstring& RoleCursorFile(int role) { return At(role).file; }
    const std::wstring& RoleCursorFile(int role) const { return At(role).file; }
    bool RoleChanged(int role) const { return At(role).changed; }
    void SetRoleChanged(int role, bool changed) { At(role).changed = changed; }

    bool Pending(int role) const { return At(role).pending; }
    const std::wstring& PendingReason(int role) const { return At(role).reason; }
    void SetPending(int role, bool pending, std::wstring reason = {}) {
        RoleState& state = At(role);
        state.pending = pending;
        state.reason = pending ? std::move(reason) : std::wstring();
    }

    void ClearFiles() {
        for (RoleState& state : roles_) state.file.clear();
    }
    void ClearChanged() {
        for (RoleState& state : roles_) state.changed = false;
    }
    void ClearPending() {
        for (RoleState& state : roles_) {
            state.pending = false;
            state.reason.clear();
        }
    }

private:
    std::array<RoleState, kRoleCount> roles_{};
};

}  // namespace shubiao
