// The verbs of ShuBiaoCmd. Each says in one line per point what it did and
// what it skipped, and ends with the exit code of cmd/CommandLine.h:
//   list     both Schemes lists, and which scheme is in force
//   use      a listed scheme becomes the user's pointers (HKCU only)
//   install  a pack's checked files into %SystemRoot%\Cursors\<name>\, listed in HKLM
//            (the only verb that needs an administrator)
//   apply    import and Apply as the window does them, without prompts, into
//            the user's own store
//   restore  Restore as the window does it, without Mouse Properties
//   undo     the pointers in force before the last change, from the history
//   export   the pointers in force into a folder, as the window exports them
//   check    the sizes each role's file holds against the displays' (cmd/Check.cpp)
// Every write holds the writer lock of its scope (scheme/WriterLock.h): the
// user's for all but install, the machine's for install.
#include "cmd/Run.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cmd/Verbs.h"
#include "scheme/Actions.h"
#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/FileOps.h"
#include "scheme/ImportPlan.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/formats/SchemeList.h"
#include "scheme/WriterLock.h"
#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao::cli {
namespace {

// Every name from the user's data is printed through Visible().
std::wstring Quote(const std::wstring& text) { return L"“" + Visible(text) + L"”"; }

// Lines of a multi-line message, each written as a line of its own.
void Lines(Output& output, const std::wstring& text) {
    size_t at = 0;
    while (at <= text.size()) {
        const size_t end = text.find(L'\n', at);
        const std::wstring line = text.substr(at, end == std::wstring::npos ? std::wstring::npos : end - at);
        if (!line.empty()) output.Line(line);
        if (end == std::wstring::npos) break;
        at = end + 1;
    }
}

// ---- list ---------------------------------------------------------------------

int RunList(Context& context) {
    const library::SchemeListing listing = library::ReadSchemeLists();
    const library::InForce inForce = library::ReadInForce();
    bool marked = false;
    for (const library::SchemeEntry& entry : listing.schemes) {
        std::wstring line = Visible(entry.name) + L"\t" + (entry.source == library::Source::System ? L"系统" : L"用户") + L"\t";
        line += entry.state == schemes::ValueState::Read ? library::PointerCountText(library::RolesWithFile(entry))
                                                         : std::wstring(L"无法读取");
        if (!marked && !inForce.name.empty() && EqualNoCase(entry.name, inForce.name) &&
            inForce.source == static_cast<DWORD>(entry.source)) {
            line += L"\t正在使用";
            marked = true;
        }
        context.out.Line(line);
    }
    if (listing.schemes.empty()) context.out.Line(L"Windows 没有列出任何鼠标指针方案。");
    if (listing.leftOut) context.out.Line(L"（列表太长，只列出了前 1000 个方案。）");
    if (inForce.name.empty()) {
        context.out.Line(L"正在使用：Windows 默认方案");
    } else if (!marked) {
        context.out.Line(L"正在使用：" + Quote(inForce.name) + L"（不在列表中）");
    }
    return kDone;
}

// ---- use ----------------------------------------------------------------------

}  // namespace

const library::SchemeEntry* FindListedScheme(const library::SchemeListing& listing, const std::wstring& name,
                                             SchemeSource source, Context& context, const wchar_t* tail, int& code) {
    const library::SchemeEntry* inList[2] = {nullptr, nullptr};  // system, user
    for (const library::SchemeEntry& entry : listing.schemes) {
        const bool system = entry.source == library::Source::System;
        if (source == (system ? SchemeSource::User : SchemeSource::System)) continue;
        if (EqualNoCase(entry.name, name) && inList[system ? 0 : 1] == nullptr) inList[system ? 0 : 1] = &entry;
    }
    if (inList[0] != nullptr && inList[1] != nullptr) {
        context.err.Line(L"系统的方案" + Quote(inList[0]->name) + L"和用户的方案" + Quote(inList[1]->name) +
                         L"同名，请加 --system 或 --user 指定其中一个" + tail);
        code = kBadCommandLine;
        return nullptr;
    }
    const library::SchemeEntry* found = inList[0] != nullptr ? inList[0] : inList[1];
    if (found == nullptr) {
        context.err.Line(L"没有名为" + Quote(name) + L"的方案（用 ShuBiaoCmd list 查看已列出的方案）" + tail);
        code = kNothingDone;
    }
    return found;
}

namespace {

int UseUnderLock(const WriterLock& lock, const Command& command, Context& context) {
    const std::wstring name = FromUtf8(command.operand).value_or(L"");
    const library::SchemeListing listing = library::ReadSchemeLists();
    int code = kDone;
    const library::SchemeEntry* found =
        FindListedScheme(listing, name, command.source, context, L"，什么也没有改。", code);
    if (found == nullptr) return code;
    const library::SchemeEntry& entry = *found;
    LivePointers live;
    SizeFill fill;
    const SchemeUsed used = command.fillSizes ? UseScheme(lock, entry, &fill, &live) : UseScheme(lock, entry);
    switch (used.kind) {
    case SchemeUsed::Kind::NotLocked:
        context.err.Line(L"没有取得更改鼠标指针的锁，什么也没有改。");
        return kRefused;
    case SchemeUsed::Kind::Unreadable:
        context.err.Line(L"方案" + Quote(entry.name) + L"无法使用：" + library::EntryProblem(entry) + L"什么也没有改。");
        return kNothingDone;
    case SchemeUsed::Kind::NothingUsable:
        context.err.Line(L"方案" + Quote(entry.name) + L"中没有可以使用的鼠标指针，什么也没有改：");
        for (const CursorRole& role : kRoles) {
            const std::wstring& problem = used.unusable[RoleIndex(role.number)];
            if (!problem.empty()) context.err.Line(Quote(role.Name()) + L"：" + problem);
        }
        return kNothingDone;
    case SchemeUsed::Kind::Used:
    case SchemeUsed::Kind::Refused:
        break;
    }
    int skipped = 0;
    for (const CursorRole& role : kRoles) {
        const size_t index = RoleIndex(role.number);
        if (!used.unusable[index].empty()) {
            context.out.Line(L"跳过" + Quote(role.Name()) + L"：" + used.unusable[index] + L"原来的设置保持不变。");
            ++skipped;
        } else if (used.status[index] != ERROR_SUCCESS) {
            context.out.Line(L"跳过" + Quote(role.Name()) + L"：无法写入注册表（" +
                             ErrorText(static_cast<DWORD>(used.status[index])) + L"）。");
            ++skipped;
        }
    }
    // With --fill-sizes, Apply's outcome of each role.
    for (const auto& [role, outcome] : used.applied.skipped()) {
        const wchar_t* what = outcome.kind == RoleOutcome::Kind::FileOnly ? L"只完成了一部分" : L"未能应用";
        context.out.Line(Quote(Role(role).Name()) + what + L"：" + DescribeOutcome(outcome));
        ++skipped;
    }
    SayUnfilled(context, used.applied.unfilled());
    if (used.kind == SchemeUsed::Kind::Refused) {
        context.err.Line(L"系统拒绝写入，一个鼠标指针也没有改。");
        return kRefused;
    }
    if (used.inForce != ERROR_SUCCESS) {
        context.out.Line(L"未能记下正在使用的方案名称（" + ErrorText(static_cast<DWORD>(used.inForce)) + L"）。");
        ++skipped;
    }
    ReloadPointers();
    context.out.Line(L"已把方案" + Quote(entry.name) + L"设为当前用户的鼠标指针（" +
                     library::PointerCountText(library::RolesWithFile(entry)) + L"）。");
    return skipped == 0 ? kDone : kPartly;
}


// The lists are read under the user's lock. A scheme another ShuBiao is
// installing right now is listed only once its files are in place
// (SaveScheme writes the entry last), so it is used whole or not at all.
int RunUse(const Command& command, Context& context) {
    return WithWriterLock(context, [&](const WriterLock& lock) { return UseUnderLock(lock, command, context); });
}

// ---- install --------------------------------------------------------------------

int RunInstall(const Command& command, Context& context) {
    if (!RequireAdministrator(context, L"install")) return kRefused;
    const std::optional<ChosenPack> chosen = ChoosePack(command, context);
    if (!chosen) return kNothingDone;
    const Pack* pack = &chosen->pack;

    const bool named = command.name.has_value();
    const std::wstring wanted = named ? FromUtf8(*command.name).value_or(L"") : pack->name;
    // Installing again under the same name replaces the earlier install, so
    // the system's own names are no obstacle here.
    const schemes::NameCheck check = schemes::CheckSchemeName(ToUtf8(wanted), {});
    if (check.problem != schemes::NameProblem::None) {
        context.err.Line(Quote(wanted) + L"不能用作方案名称" +
                         (named ? std::wstring(L"。") : std::wstring(L"，请用 --name 另取一个名称。")));
        return named ? kBadCommandLine : kNothingDone;
    }
    const std::wstring name = FromUtf8(check.name).value_or(wanted);

    CheckedPack checked = CheckPackFiles(*pack);
    if (checked.files.empty()) {
        context.err.Line(Quote(pack->name) + L"中没有可以安装的鼠标指针，什么也没有做：");
        for (const auto& [role, reason] : checked.skipped) context.err.Line(Quote(role) + L"：" + reason);
        return kNothingDone;
    }
    // 补齐尺寸: filled before the lock is taken, the pack's files only read.
    std::vector<std::pair<int, FillNote>> unfilled;
    if (command.fillSizes) {
        SizeFill fill;
        for (const RoleFillNote& note : FillFiles(checked.files, fill)) unfilled.emplace_back(note.role, note.note);
    }

    return WithWriterLock(context, WriteScope::Machine, [&](const WriterLock& lock) -> int {
        const SchemeSaved saved = SaveScheme(lock, library::Source::System, name, checked.files, Placing::EachOnItsOwn);
        const std::wstring& folder = saved.folder;
        switch (saved.problem.kind) {
        case WriteProblem::Kind::NoWindowsFolder:
            context.err.Line(L"没有设置环境变量 SystemRoot，无法确定 Windows 文件夹，什么也没有做。");
            return kRefused;
        case WriteProblem::Kind::FolderNotMade:
            context.err.Line(L"无法建立文件夹" + Quote(folder) + L"（" + ErrorText(saved.problem.error) + L"），什么也没有做。");
            return kRefused;
        case WriteProblem::Kind::NotLocked:
            context.err.Line(L"没有取得更改鼠标指针的锁，什么也没有做。");
            return kRefused;
        default:
            break;
        }
        std::vector<std::pair<std::wstring, std::wstring>> skipped = checked.skipped;
        for (const PlacedRole& role : saved.roles) {
            if (role.problem.ok()) continue;
            std::wstring why = L"无法写入" + Quote(folder) + L"（" + ErrorText(role.problem.error) + L"）。";
            if (role.problem.kind == WriteProblem::Kind::ReadBackDiffers) {
                why = L"写入" + Quote(folder) + L"的文件读回时与原文件不同。";
            } else if (role.problem.kind == WriteProblem::Kind::NotACursor) {
                why = L"写入" + Quote(folder) + L"的文件读回时不是可用的光标文件：" + role.problem.cursor.Describe();
            } else if (role.problem.kind == WriteProblem::Kind::FolderInTheWay) {
                why = Quote(role.file) + L"是一个文件夹。";
            }
            skipped.emplace_back(Role(role.role).Name(), why);
        }
        for (const auto& [role, reason] : skipped) context.out.Line(L"跳过" + Quote(role) + L"：" + reason);
        SayUnfilled(context, unfilled);
        switch (saved.problem.kind) {
        case WriteProblem::Kind::None:
            break;
        case WriteProblem::Kind::NothingPlaced:
            context.err.Line(L"系统拒绝写入，一个鼠标指针也没有安装。");
            return kRefused;
        case WriteProblem::Kind::EntryNamesOther:
            context.err.Line(L"文件已复制到" + Quote(folder) + L"，但方案中的路径读回时指向" + Quote(saved.problem.path) +
                             L"，不是复制的文件，方案没有列入系统的方案列表。");
            return kRefused;
        default:
            context.err.Line(L"文件已复制到" + Quote(folder) + L"，但无法把方案列入系统的方案列表（" +
                             ErrorText(saved.problem.error) + L"）。");
            return kRefused;
        }
        std::array<bool, kRoleCount> placed{};
        for (const PlacedRole& role : saved.roles) placed[RoleIndex(role.role)] = role.problem.ok();
        context.out.Line(L"已安装方案" + Quote(name) + L"：" + library::PointerCountText(placed) + L"，文件在" +
                         Quote(folder) + L"。");
        return skipped.empty() ? kDone : kPartly;
    });
}

}  // namespace

bool RunsAsAdministrator() {
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                  0, &administrators)) {
        return false;
    }
    BOOL member = FALSE;
    // A deny-only membership (an administrator's filtered token, not
    // elevated) does not count.
    if (!CheckTokenMembership(nullptr, administrators, &member)) member = FALSE;
    FreeSid(administrators);
    return member != FALSE;
}

void SayUnfilled(Context& context, const std::vector<std::pair<int, FillNote>>& unfilled) {
    for (const auto& [role, note] : unfilled) {
        context.out.Line(Quote(Role(role).Name()) + L"：" + DescribeFillNote(note));
    }
}

void ReloadPointers() {
    // Wine does not implement it (error 1439); Windows reads the settings at
    // the next sign-in at the latest, so a refusal is not reported.
    SystemParametersInfoW(SPI_SETCURSORS, 0, nullptr, SPIF_SENDCHANGE);
}

bool RequireAdministrator(Context& context, const wchar_t* verb) {
    const bool administrator = context.isAdministrator ? context.isAdministrator() : RunsAsAdministrator();
    if (administrator) return true;
    context.err.Line(std::wstring(verb) +
                     L" 需要管理员权限：请以管理员身份（或由部署工具以 SYSTEM）运行，什么也没有做。");
    return false;
}

int WithWriterLock(Context& context, const std::function<int(const WriterLock&)>& write) {
    return WithWriterLock(context, WriteScope::User, write);
}

int WithWriterLock(Context& context, WriteScope scope, const std::function<int(const WriterLock&)>& write) {
    const WriterLock lock(context.lockWaitMilliseconds, false, scope);
    if (lock.state() == WriterLock::State::TimedOut) {
        context.err.Line(L"另一个 ShuBiao 正在更改鼠标指针，等了 " + std::to_wstring(context.lockWaitMilliseconds / 1000) +
                         L" 秒仍未结束，什么也没有改。");
        return kRefused;
    }
    if (!lock.held() && scope == WriteScope::User) {
        if (lock.where().empty()) {
            context.err.Line(kNoStoreText);
        } else {
            context.err.Line(L"无法在 ShuBiao 的用户文件夹中建立锁文件" + Quote(lock.where()) + L"（" +
                             ErrorText(lock.error()) + L"），什么也没有改。");
        }
        return kRefused;
    }
    if (!lock.held()) {
        context.err.Line(L"无法取得更改鼠标指针的锁（" + ErrorText(lock.error()) + L"），什么也没有改。");
        return kRefused;
    }
    if (context.holdLockMilliseconds > 0) Sleep(context.holdLockMilliseconds);
    return write(lock);
}

std::optional<ChosenPack> ChoosePack(const Command& command, Context& context) {
    const std::wstring place = FromUtf8(command.operand).value_or(L"");
    OpenedPacks opened = OpenPacks(place);
    if (!opened.zipError.empty()) {
        context.err.Line(L"无法读取压缩包" + Quote(opened.archiveName) + L"：" + opened.zipError + L"，什么也没有做。");
        return std::nullopt;
    }
    const PackScan& scan = opened.scan;
    const ImportSource& source = opened.source;
    if (scan.error != ERROR_SUCCESS) {
        context.err.Line(L"无法读取" + Quote(source.Shown(scan.failedFolder)) + L"（" + ErrorText(scan.error) +
                         L"），什么也没有做。");
        return std::nullopt;
    }
    // The list holds only .cur, .ani and .inf entries that were refused;
    // what is no pointer (__MACOSX/, "._" files, a readme, a picture) was
    // passed over by the reader and is not in it.
    context.entriesRefused += static_cast<int>(source.entriesSkipped.size());
    for (const auto& [entry, reason] : source.entriesSkipped) {
        context.out.Line(L"压缩包中的" + Quote(entry) + L"没有读取：" + reason);
    }
    if (scan.packs.empty()) {
        PackScan shown = scan;
        for (auto& [file, reason] : shown.refused) file = source.Shown(file);
        Lines(context.err, NothingFoundText(place, shown));
        return std::nullopt;
    }
    // The pointer files of the chosen pack that it does not use are named;
    // extras do not change the exit code.
    const auto chosen = [&](const Pack& pack) {
        for (const auto& [file, reason] : pack.unused) context.out.Line(L"没有用到" + Quote(file) + L"：" + reason);
        return ChosenPack{pack, source};
    };
    if (command.scheme) {
        const std::wstring wanted = FromUtf8(*command.scheme).value_or(L"");
        for (const Pack& pack : scan.packs) {
            if (EqualNoCase(pack.name, wanted)) return chosen(pack);
        }
        context.err.Line(Quote(place) + L"中没有名为" + Quote(wanted) + L"的方案。其中的方案有：");
    } else if (scan.packs.size() == 1) {
        return chosen(scan.packs.front());
    } else {
        context.err.Line(Quote(place) + L"中有 " + std::to_wstring(scan.packs.size()) +
                         L" 个方案，请用 --scheme 选定其中一个：");
    }
    for (const Pack& pack : scan.packs) {
        const std::wstring where = pack.relative.empty() ? source.Shown(pack.folder) : pack.relative;
        context.err.Line(L"  " + Visible(pack.name) + L"\t" + Visible(where));
    }
    return std::nullopt;
}

CheckedPack CheckPackFiles(const Pack& pack) {
    CheckedPack checked;
    for (const PackFile& file : pack.files) {
        PackFileRead read = ReadPackFile(file);
        if (!read.refusal.empty()) {
            checked.skipped.emplace_back(Role(file.role).Name(), std::move(read.refusal));
            continue;
        }
        checked.files.push_back({file.role, std::move(read.bytes)});
    }
    return checked;
}

namespace {

int RunVerb(const Command& command, Context& context) {
    try {
        switch (command.verb) {
        case Verb::List:
            return RunList(context);
        case Verb::Use:
            return RunUse(command, context);
        case Verb::Install:
            return RunInstall(command, context);
        case Verb::Apply:
            return RunApply(command, context);
        case Verb::Restore:
            return RunRestore(context);
        case Verb::Undo:
            return RunUndo(context);
        case Verb::Export:
            return RunExport(command, context);
        case Verb::Check:
            return RunCheck(command, context);
        case Verb::Help:
            break;
        }
    } catch (...) {
        context.err.Line(DescribeCurrentException());
        return kRefused;
    }
    return kDone;
}

}  // namespace

std::optional<int> ParseOrAnswer(const std::vector<std::string>& arguments, Output& out, Output& err,
                                 Command& command) {
    const Parsed parsed = Parse(arguments);
    if (!parsed.ok) {
        err.Line(FromUtf8(parsed.error).value_or(L"命令行有误"));
        return kBadCommandLine;
    }
    if (parsed.command.verb == Verb::Help) {
        out.Write(FromUtf8(HelpText()).value_or(L""));
        return kDone;
    }
    command = parsed.command;
    return std::nullopt;
}

int Run(const Command& command, Context& context) {
    const int code = RunVerb(command, context);
    // Done, but from a .zip some of whose entries were refused: in part.
    return code == kDone && context.entriesRefused > 0 ? kPartly : code;
}

}  // namespace shubiao::cli
