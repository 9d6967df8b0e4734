#pragma once
// Apply without a window: making chosen files the user's pointers.
//
// Every role asked for has its file copied into the Windows cursor folder
// under the role's ".ani" name, its registry value pointed at the copy and
// its live pointer replaced (roles with a system cursor id). A role whose file
// cannot be copied or is not a usable cursor is skipped whole, so that the
// settings never name a missing, half-written or unusable file; the outcome
// says which roles were skipped and why. A role at a pending choice of
// Windows' default has its value and its copy deleted instead. The editor's
// Apply and the console program's apply both work through this.
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/Profiler.h"
#include "scheme/WorkingScheme.h"
#include "scheme/WriterLock.h"

namespace shubiao {

// The live pointers: replacing one and having Windows reload them all. The
// editor's Desktop is one; the console program has its own.
class PointerSystem {
public:
    virtual ~PointerSystem() = default;
    // Replaces a system cursor (SetSystemCursor semantics: on success the
    // system owns `cursor`). Returns false on failure; the caller still owns
    // the cursor then.
    virtual bool SetSystemCursor(HCURSOR cursor, DWORD id) = 0;
    // Asks Windows to reload every system cursor from the user's settings
    // (SystemParametersInfoW SPI_SETCURSORS with SPIF_SENDCHANGE). False
    // when it refuses; Wine does not implement it.
    virtual bool ReloadSystemCursors() = 0;
};

// What became of one role.
struct RoleOutcome {
    enum class Kind { Applied, Unchanged, FileOnly };
    Kind kind = Kind::Applied;
    std::wstring reason;  // why it was not applied (Unchanged, FileOnly)
};

// The roles that were not applied, grouped by what became of them and by
// reason, in the order they were met.
class SkipReport {
public:
    void Add(const CursorRole& role, const RoleOutcome& outcome) {
        if (outcome.kind == RoleOutcome::Kind::Applied) {
            ++applied_;
            return;
        }
        auto& groups = outcome.kind == RoleOutcome::Kind::Unchanged ? unchanged_ : fileOnly_;
        for (auto& [text, names] : groups) {
            if (text == outcome.reason) {
                names.push_back(role.Name());
                return;
            }
        }
        groups.push_back({outcome.reason, {role.Name()}});
    }
    bool empty() const { return unchanged_.empty() && fileOnly_.empty(); }
    int applied() const { return applied_; }

    std::wstring Text() const {
        std::wstring text;
        if (!unchanged_.empty()) text += L"以下鼠标指针未能应用，原来的设置保持不变：\n" + List(unchanged_);
        if (!fileOnly_.empty()) {
            if (!text.empty()) text += L"\n";
            text += L"以下鼠标指针只完成了一部分：\n" + List(fileOnly_);
        }
        if (applied_ > 0) text += L"\n其余选定的鼠标指针已经应用。";
        return text;
    }

private:
    using Groups = std::vector<std::pair<std::wstring, std::vector<std::wstring>>>;
    static std::wstring List(const Groups& groups) {
        std::wstring text;
        for (const auto& [reason, names] : groups) {
            text += L"\n";
            for (size_t i = 0; i < names.size(); ++i) {
                if (i > 0) text += L"、";
                text += L"“" + names[i] + L"”";
            }
            text += L"：" + reason + L"\n";
        }
        return text;
    }

    Groups unchanged_;
    Groups fileOnly_;
    int applied_ = 0;
};

// Applies every role that `scheme` marks changed, from the file it holds,
// into SystemSchemeFolder(). `roleDone` is told each role's outcome as soon
// as it is known; `handedOver` receives the last cursor handed to
// SetSystemCursor. When a role without a live pointer id was applied, Windows
// is asked to reload the pointers (a refusal is not reported: the settings
// and the copies are in place). Never throws: a role whose work throws is
// left unchanged with the exception's text.
// Without the lock (its User scope) every role is left unchanged.
SkipReport ApplyChangedRoles(const WriterLock& lock, PointerSystem& system, const WorkingScheme& scheme,
                             HCURSOR& handedOver, Profiler* profiler,
                             const std::function<void(int role, const RoleOutcome&)>& roleDone);

}  // namespace shubiao
