// Apply: making the chosen files the user's pointers (scheme/Apply.h does
// the work, a pending choice of Windows' default included), after the user
// confirms; each role's box shows its outcome, and the user is told which
// roles were skipped and why. When the grid held exactly a scheme of the
// library and every role was applied, Windows' record of the scheme in force
// names it (Library.cpp).
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/ShuBiaoKong.h"
#include "scheme/Actions.h"
#include "scheme/Apply.h"
#include "scheme/CursorRole.h"

namespace shubiao {
namespace {

constexpr const wchar_t* kApplyPrompt = L"是否应用当前鼠标指针";
constexpr const wchar_t* kAnotherWriter = L"另一个 ShuBiao 正在更改鼠标指针，等了 10 秒仍未结束。\n这次没有做任何更改，请等它结束后再试。";

// The roles an Apply left, grouped by what became of them and by reason, in
// the order they were met; then whether the others were applied.
std::wstring SkipText(const SkipReport& report) {
    using Groups = std::vector<std::pair<std::wstring, std::vector<std::wstring>>>;
    Groups unchanged;
    Groups fileOnly;
    for (const auto& [role, outcome] : report.skipped()) {
        Groups& groups = outcome.kind == RoleOutcome::Kind::FileOnly ? fileOnly : unchanged;
        const std::wstring reason = DescribeOutcome(outcome);
        auto group = std::find_if(groups.begin(), groups.end(), [&](const auto& g) { return g.first == reason; });
        if (group == groups.end()) group = groups.insert(groups.end(), {reason, {}});
        group->second.push_back(Role(role).Name());
    }
    const auto list = [](const Groups& groups) {
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
    };
    std::wstring text;
    if (!unchanged.empty()) text += L"以下鼠标指针未能应用，原来的设置保持不变：\n" + list(unchanged);
    if (!fileOnly.empty()) {
        if (!text.empty()) text += L"\n";
        text += L"以下鼠标指针只完成了一部分：\n" + list(fileOnly);
    }
    if (report.applied() > 0) text += L"\n其余选定的鼠标指针已经应用。";
    return text;
}

// The applied roles whose original file was placed although 补齐尺寸 was on, and why.
std::wstring UnfilledText(const SkipReport& report) {
    if (report.unfilled().empty()) return {};
    std::wstring text = L"以下鼠标指针没有补齐尺寸，用的是原文件：\n";
    for (const auto& [role, note] : report.unfilled()) {
        text += L"\n“" + Role(role).Name() + L"”：" + DescribeFillNote(note) + L"\n";
    }
    return text;
}

}  // namespace

std::wstring UnseenRolesNote(const std::vector<std::wstring>& names) {
    std::wstring list;
    for (const std::wstring& name : names) list += L"“" + name + L"”";
    return L"其中" + list + L"在窗口中没有对应的方框，按“应用”时与其他指针一并应用。";
}

std::wstring ApplyNotes(const WorkingScheme& scheme, const BoxGrid& boxes) {
    std::wstring reset;
    std::vector<std::wstring> unseen;
    for (const CursorRole& role : kRoles) {
        if (!scheme.RoleChanged(role.number)) continue;
        if (scheme.WindowsDefault(role.number)) {
            if (!reset.empty()) reset += L"、";
            reset += role.Name();
        } else if (boxes.Find(role.number) == nullptr) {
            unseen.push_back(role.Name());
        }
    }
    std::wstring notes;
    if (!reset.empty()) notes += L"\n\n" + reset + L" 将恢复为 Windows 默认指针。";
    if (!unseen.empty()) notes += L"\n\n" + UnseenRolesNote(unseen);
    return notes;
}

// The prompt names the roles that would change unseen, the grid having no
// box for them, and those that go back to Windows' default.
void ShuBiaoKong::YingYong_SB_Click() {
    if (waitingForLock_) return;
    if (desktop_.MessageBox(hwnd(), kApplyPrompt + ApplyNotes(scheme_, boxes_), kMessageTitle, MB_OKCANCEL) != IDOK) return;
    YingYongFangAn();
}

// Never fails to its caller. RoleChanged is kept: applying again repeats the
// work for the same roles.
// With 补齐尺寸 on, every file is filled off the window's thread first; a
// cancelled fill changes nothing.
void ShuBiaoKong::YingYongFangAn() {
    std::optional<SizeFill> fill;
    if (library_.Filling().On()) {
        fill = library_.Filling().Fill(hwnd(), ChosenFileBytes(scheme_));
        if (!fill) {
            status_.Show(L"已取消补齐尺寸，没有做任何更改");
            return;
        }
    }
    const std::unique_ptr<WriterLock> lock = TakeWriterLock();
    if (!lock) return;
    const SkipReport report = ApplyChangedRoles(*lock, desktop_, scheme_, applyCursor_, profiler_,
                                                [this](int role, const RoleOutcome& outcome) {
        // Placed: no longer pending. Left as it was: still pending, and why.
        if (outcome.kind != RoleOutcome::Kind::Applied) {
            scheme_.SetPending(role, true, DescribeOutcome(outcome));
        } else {
            scheme_.SetPending(role, false);
        }
        if (BoxView* view = boxes_.Find(role)) RedrawBox(*view);
    }, fill ? &*fill : nullptr);
    library_.RecordSchemeInForce(*lock, report.empty());
    if (report.applied() > 0) status_.Show(L"已应用 " + std::to_wstring(report.applied()) + L" 个鼠标指针");
    if (report.empty() && report.unfilled().empty()) return;
    std::wstring text = report.empty() ? std::wstring() : SkipText(report);
    if (!report.unfilled().empty()) text += (text.empty() ? L"" : L"\n") + UnfilledText(report);
    desktop_.MessageBox(hwnd(), text, kMessageTitle, MB_OK | MB_ICONWARNING);
}

std::unique_ptr<WriterLock> ShuBiaoKong::TakeWriterLock() {
    if (waitingForLock_) return nullptr;  // a click while waiting: the first one goes on
    waitingForLock_ = true;
    const HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    auto lock = std::make_unique<WriterLock>(writerLockWait_, true);
    waitingForLock_ = false;
    SetCursor(before);
    if (lock->held()) return lock;
    // The lock file lies in the user's store: a store that cannot be written
    // is said as such.
    std::wstring text = kAnotherWriter;
    if (lock->state() != WriterLock::State::TimedOut) {
        text = lock->where().empty() ? std::wstring(kNoStoreText)
                                     : L"无法在 ShuBiao 的用户文件夹中建立锁文件“" + lock->where() + L"”（" +
                                           ErrorText(lock->error()) + L"），没有做任何更改。";
    }
    desktop_.MessageBox(hwnd(), text, kMessageTitle, MB_OK | MB_ICONWARNING);
    return nullptr;
}

}  // namespace shubiao
