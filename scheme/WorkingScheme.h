#pragma once
// The editor's working scheme: per role the path of the file it holds,
// whether a new file was chosen or imported since the last initialisation
// (what Apply acts on), and whether that choice is still pending: chosen,
// dropped or imported and not yet placed by Apply (what the grid marks).
// A role may also be at Windows' default: it has no setting of its own and
// the box shows the installed fallback, either because the settings have no
// value for it, or because the user chose Windows' default for it, which
// Apply then carries out by deleting the role's value and its copy.
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
    bool windowsDefault = false;  // no setting of its own: `file` is the installed fallback
};

class WorkingScheme {
public:
    // Role numbers are 1..kRoleCount; any other throws std::out_of_range.
    RoleState& At(int role) { return roles_[RoleIndex(role)]; }
    const RoleState& At(int role) const { return roles_[RoleIndex(role)]; }

    std::wstring& RoleCursorFile(int role) { return At(role).file; }
    const std::wstring& RoleCursorFile(int role) const { return At(role).file; }
    bool RoleChanged(int role) const { return At(role).changed; }
    void SetRoleChanged(int role, bool changed) { At(role).changed = changed; }

    bool Pending(int role) const { return At(role).pending; }
    // How many roles hold a choice not yet applied.
    int PendingCount() const {
        int count = 0;
        for (const RoleState& state : roles_) count += state.pending ? 1 : 0;
        return count;
    }
    const std::wstring& PendingReason(int role) const { return At(role).reason; }
    void SetPending(int role, bool pending, std::wstring reason = {}) {
        RoleState& state = At(role);
        state.pending = pending;
        state.reason = pending ? std::move(reason) : std::wstring();
    }

    bool WindowsDefault(int role) const { return At(role).windowsDefault; }
    void SetWindowsDefault(int role, bool windowsDefault) { At(role).windowsDefault = windowsDefault; }

    void ClearFiles() {
        for (RoleState& state : roles_) {
            state.file.clear();
            state.windowsDefault = false;
        }
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
