// ShuBiaoCmd's apply, restore, undo and export: what the window's 导入方案 +
// 应用, 还 原, 撤销上次更改 and 导出方案 do, through the same window-less code (scheme/Apply.h,
// scheme/Restore.h, scheme/Export.h), without prompts and without Mouse
// Properties.
#include <string>

#include "cmd/Verbs.h"
#include "scheme/Apply.h"
#include "scheme/CursorRole.h"
#include "scheme/Export.h"
#include "scheme/Folders.h"
#include "scheme/History.h"
#include "scheme/ImportPlan.h"
#include "scheme/Restore.h"
#include "scheme/WorkingScheme.h"
#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao::cli {
namespace {

std::wstring Quote(const std::wstring& text) { return L"“" + Visible(text) + L"”"; }

}  // namespace

int RunApply(const Command& command, Context& context) {
    const std::optional<ChosenPack> chosen = ChoosePack(command, context);
    if (!chosen) return kNothingDone;
    const Pack* pack = &chosen->pack;
    const ImportPlan plan = PlanImport(*pack, WorkingScheme{});
    // An earlier export's files are checked by Apply itself; none usable is
    // still nothing to apply, not a refusal of the system.
    const bool nothingUsable = pack->kind == PackKind::RoleNamed ? CheckPackFiles(*pack).files.empty() : plan.taken == 0;
    if (nothingUsable) {
        context.err.Line(Quote(pack->name) + L"中没有可以导入的鼠标指针，什么也没有做：");
        for (const auto& [role, reason] : plan.skipped) context.err.Line(Quote(role) + L"：" + reason);
        return kNothingDone;
    }
    for (const auto& [role, reason] : plan.skipped) context.out.Line(L"跳过" + Quote(role) + L"：" + reason);
    for (const auto& [role, file] : plan.copies) {
        context.out.Line(Quote(role) + L"：包中没有原名的文件，用了带编号的同名文件" + Quote(file) + L"。");
    }

    // 补齐尺寸: every file filled before the lock is taken and anything is
    // written, so that a run ended meanwhile changes nothing.
    SizeFill fill;
    if (command.fillSizes) {
        context.out.Line(L"正在补齐尺寸…");
        FillChosenFiles(plan.result, fill);
    }
    return WithWriterLock(context, [&](const WriterLock& lock) -> int {
        LivePointers live;
        HCURSOR handedOver = nullptr;
        int skipped = 0;
        const SkipReport report =
            ApplyChangedRoles(lock, live, plan.result, handedOver, nullptr, [&](int role, const RoleOutcome& outcome) {
                if (outcome.kind == RoleOutcome::Kind::Applied) return;
                ++skipped;
                const wchar_t* what = outcome.kind == RoleOutcome::Kind::FileOnly ? L"只完成了一部分" : L"未能应用";
                context.out.Line(Quote(Role(role).Name()) + what + L"：" + DescribeOutcome(outcome));
            }, command.fillSizes ? &fill : nullptr);
        SayUnfilled(context, report.unfilled());
        if (report.applied() == 0) {
            context.err.Line(L"一个鼠标指针也没有应用，原来的设置保持不变。");
            return kRefused;
        }
        context.out.Line(L"已应用" + Quote(pack->name) + L"中的 " + std::to_wstring(report.applied()) + L" 个鼠标指针。");
        return skipped == 0 && plan.skipped.empty() ? kDone : kPartly;
    });
}

int RunRestore(Context& context) {
    return WithWriterLock(context, [&](const WriterLock& lock) -> int {
        ClearRoleSettings(lock);
        ReloadPointers();
        RemoveAppliedFiles(lock);
        context.out.Line(L"已恢复 Windows 默认的鼠标指针。");
        return kDone;
    });
}

int RunUndo(Context& context) {
    return WithWriterLock(context, [&](const WriterLock& lock) -> int {
        LivePointers live;
        const UndoOutcome outcome = UndoLastChange(lock, live);
        switch (outcome.kind) {
        case UndoOutcome::Kind::NothingToUndo:
            context.err.Line(L"没有可以撤销的更改，什么也没有改。");
            return kNothingDone;
        case UndoOutcome::Kind::History:
            context.err.Line(DescribeHistoryProblem(outcome.history) + L"什么也没有改。");
            return outcome.history.kind == HistoryProblem::Kind::Damaged ? kNothingDone : kRefused;
        case UndoOutcome::Kind::FilesLost:
            context.err.Line(L"无法撤销上次更改：以下鼠标指针在 " + LocalTimeText(outcome.time) +
                             L" 时的文件已丢失或损坏，什么也没有改：");
            for (const auto& [role, why] : outcome.lost) context.err.Line(Quote(Role(role).Name()) + L"：" + why);
            return kNothingDone;
        case UndoOutcome::Kind::NotPlaced:
            context.err.Line(L"无法把留存的文件放回" + Quote(outcome.placement.path) + L"（" +
                             ErrorText(outcome.placement.error) + L"），什么也没有改。");
            return kRefused;
        case UndoOutcome::Kind::Refused:
            context.err.Line(L"系统拒绝写入，一个鼠标指针也没有改。");
            return kRefused;
        case UndoOutcome::Kind::Undone:
        case UndoOutcome::Kind::Partly:
            break;
        }
        for (const auto& [role, status] : outcome.notWritten) {
            context.out.Line(L"跳过" + Quote(Role(role).Name()) + L"：无法写入注册表（" +
                             ErrorText(static_cast<DWORD>(status)) + L"）。");
        }
        context.out.Line(L"已撤销上次更改：鼠标指针已恢复为 " + LocalTimeText(outcome.time) + L" 时的样子。");
        if (outcome.schemeNotWritten != ERROR_SUCCESS) {
            context.out.Line(L"方案名称未能恢复（" + ErrorText(static_cast<DWORD>(outcome.schemeNotWritten)) + L"）。");
        }
        if (!outcome.history.ok()) context.out.Line(L"更改记录未能保存：" + DescribeHistoryProblem(outcome.history));
        return outcome.kind == UndoOutcome::Kind::Undone && outcome.history.ok() ? kDone : kPartly;
    });
}

int RunExport(const Command& command, Context& context) {
    const std::wstring folder = FromUtf8(command.operand).value_or(L"");
    // Under the lock: what another ShuBiao is applying now is in force once it is done.
    return WithWriterLock(context, [&](const WriterLock& lock) -> int {
        if (RolesInForce() == 0) {
            context.err.Line(L"当前用户的鼠标指针都是 Windows 默认的，没有指针文件可以导出，什么也没有做。");
            return kNothingDone;
        }
        const ExportResult result = ExportInForce(lock, folder);
        if (result.folderError != ERROR_SUCCESS) {
            context.err.Line(L"无法创建导出文件夹" + Quote(folder) + L"（" + ErrorText(result.folderError) +
                             L"），方案没有导出。");
            return kRefused;
        }
        for (const ExportFailure& failure : result.failures) {
            const std::wstring from = failure.source.empty() ? std::wstring() : L"（" + Quote(failure.source) + L"）";
            context.out.Line(L"未能导出 " + failure.file + from + L"：" + failure.Why());
        }
        if (result.exported == 0) return kRefused;
        context.out.Line(L"已把 " + std::to_wstring(result.exported) + L" 个鼠标指针导出到" + Quote(folder) + L"。");
        return result.failures.empty() ? kDone : kPartly;
    });
}

}  // namespace shubiao::cli
