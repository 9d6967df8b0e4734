// The scheme library from the grid's side: taking a scheme of Windows' lists
// as pending choices (使用), saving the grid as a scheme of the user's list
// (另存为方案), a pending choice of Windows' default for one role, showing a
// role's file in Explorer, and keeping Windows' record of the scheme in force.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "editor/CursorLoader.h"
#include "editor/LibraryActions.h"
#include "editor/SchemeDialogs.h"
#include "editor/SizeFilling.h"
#include "scheme/Actions.h"
#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao {
namespace {

std::wstring NameProblemText(schemes::NameProblem problem) {
    using schemes::NameProblem;
    switch (problem) {
    case NameProblem::InvalidText:
        return L"方案名中有无法识别的字符。";
    case NameProblem::Empty:
        return L"请输入方案名。";
    case NameProblem::TooLong:
        return L"方案名最多 64 个字。";
    case NameProblem::ControlCharacter:
        return L"方案名中不能有控制字符。";
    case NameProblem::ForbiddenCharacter:
        return L"方案名中不能有 \\ / : * ? \" < > | 或逗号。";
    case NameProblem::TrailingDot:
        return L"方案名不能以句点结尾。";
    case NameProblem::ExpandedCharacter:
        return L"方案名中不能有百分号 %。";
    case NameProblem::DeviceName:
        return L"方案名不能是 CON、NUL、COM1 这类设备名。";
    case NameProblem::ApplyFolder:
        return L"“Cursors”是“应用”所用的文件夹，不能用作方案名。";
    case NameProblem::SystemScheme:
        return L"已有同名的系统方案，请另取一个名字。";
    case NameProblem::None:
        break;
    }
    return {};
}

std::wstring Code(DWORD error) { return L"（" + ErrorText(error) + L"）"; }

std::wstring RoleList(const std::vector<std::pair<std::wstring, std::wstring>>& roles) {
    std::wstring text;
    for (const auto& [role, reason] : roles) text += L"\n“" + role + L"”：" + reason;
    return text;
}

}  // namespace

Holding HeldBy(const WorkingScheme& scheme) {
    Holding held;
    for (const CursorRole& role : kRoles) {
        held[RoleIndex(role.number)] = {scheme.RoleCursorFile(role.number), scheme.WindowsDefault(role.number)};
    }
    return held;
}

void LibraryActions::RememberScheme(const std::wstring& name, library::Source source) {
    libraryScheme_.emplace();
    libraryScheme_->scheme.name = name;
    libraryScheme_->scheme.source = source;
    libraryScheme_->held = HeldBy(editor_.Scheme());
}

std::optional<LibraryActions::LibraryMatch> LibraryActions::SchemeShown() const {
    if (!libraryScheme_ || libraryScheme_->held != HeldBy(editor_.Scheme())) return std::nullopt;
    return libraryScheme_->scheme;
}

std::wstring LibraryActions::NameToSaveAs() const {
    if (!wholePack_ || wholePack_->second != HeldBy(editor_.Scheme())) return {};
    return wholePack_->first;
}

void LibraryActions::NoteImport(const std::wstring& pack) {
    if (pack.empty()) {
        wholePack_.reset();
        return;
    }
    wholePack_.emplace(pack, HeldBy(editor_.Scheme()));
}

std::wstring LibraryActions::SaveHint() { return L"要保留这组指针，可在方框上右键，选“另存为方案”。"; }

// Windows' default for a role: the box shows the installed fallback, as
// after a restore; Apply deletes the role's value and its copy.
void LibraryActions::ShiYongMoRen(int role) {
    Role(role);  // throws for a number outside the table
    WorkingScheme scheme = editor_.Scheme();
    scheme.RoleCursorFile(role) = DataStorageFolder() + Role(role).FileName();
    scheme.SetWindowsDefault(role, true);
    scheme.SetRoleChanged(role, true);
    scheme.SetPending(role, true);
    editor_.TakeScheme(std::move(scheme));
}

std::wstring LibraryActions::FileToShow(int role) const {
    const std::wstring file = ExpandEnvironment(editor_.Scheme().RoleCursorFile(role));
    if (file.empty()) return {};
    const DWORD attributes = GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return {};
    return file;
}

bool LibraryActions::DaKaiWeiZhi(int role) {
    const std::wstring file = FileToShow(role);
    if (file.empty()) return false;
    return desktop_.StartProgram(L"explorer.exe /select,\"" + file + L"\"", SW_SHOWNORMAL);
}

// Planned whole on a copy of the working scheme, as an import is.
bool LibraryActions::ShiYongFangAn(const library::SchemeEntry& entry) {
    if (entry.state != schemes::ValueState::Read) {
        desktop_.MessageBox(hwnd(), L"方案“" + entry.name + L"”无法使用：" + library::EntryProblem(entry), kMessageTitle,
                            MB_OK | MB_ICONWARNING);
        return false;
    }
    WorkingScheme result = editor_.Scheme();
    std::vector<std::pair<std::wstring, std::wstring>> skipped;
    int taken = 0;
    const std::wstring fallbacks = DataStorageFolder();
    const std::array<std::wstring, kRoleCount> problems = library::CheckSchemeFiles(entry);
    for (const CursorRole& role : kRoles) {
        if (const std::wstring& problem = problems[RoleIndex(role.number)]; !problem.empty()) {
            skipped.emplace_back(role.Name(), problem);
            continue;
        }
        const bool windowsDefault = entry.SlotOf(role.number).state == schemes::SlotState::WindowsDefault;
        result.RoleCursorFile(role.number) = windowsDefault ? fallbacks + role.FileName() : entry.FileOf(role.number);
        result.SetWindowsDefault(role.number, windowsDefault);
        result.SetRoleChanged(role.number, true);
        result.SetPending(role.number, true);
        ++taken;
    }
    if (taken == 0) {
        desktop_.MessageBox(hwnd(), L"方案“" + entry.name + L"”中没有可以使用的鼠标指针：\n" + RoleList(skipped),
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return false;
    }
    editor_.TakeScheme(std::move(result));
    wholePack_.reset();
    if (skipped.empty()) {
        RememberScheme(entry.name, entry.source);
        return true;
    }
    libraryScheme_.reset();
    desktop_.MessageBox(hwnd(),
                        L"从方案“" + entry.name + L"”取用了 " + std::to_wstring(taken) +
                            L" 个鼠标指针。以下几个的文件缺失或无法使用，原来的选择保持不变：\n" + RoleList(skipped),
                        kMessageTitle, MB_OK | MB_ICONWARNING);
    return true;
}

void LibraryActions::FangAnKu_Click() {
    ShowSchemeLibrary(editor_, desktop_, [this](const library::SchemeEntry& entry) { ShiYongFangAn(entry); });
}

void LibraryActions::LingCunFangAn_Click() {
    std::wstring name = NameToSaveAs();
    for (;;) {
        const std::optional<std::wstring> typed = desktop_.AskSchemeName(hwnd(), name);
        if (!typed) return;
        if (LingCunFangAn(*typed)) return;
        name = *typed;  // asked again, with what was typed
        // A refused replacement ends the save; a name that broke a rule asks again.
        if (!askAgain_) return;
    }
}

void LibraryActions::ToggleFillSizes() {
    const bool on = !filling_.On();
    filling_.SetOn(on);
    editor_.Confirm(on ? SizeFilling::Explanation() : std::wstring(L"补齐尺寸已关闭：放置的是原文件的副本。"), {});
}

// Crash-safe in the way Apply is: every file is read and checked first (so
// a file of the scheme being replaced is read before anything is written);
// then, holding the writer lock, SaveScheme writes each beside its
// destination, flushes, reads back and checks it, moves each into place and
// writes the entry last. At no moment does the old or the new entry name a
// file that is not whole.
bool LibraryActions::LingCunFangAn(const std::wstring& typed) {
    askAgain_ = false;
    const library::SchemeListing listing = library::ReadSchemeLists();
    const schemes::NameCheck check = schemes::CheckSchemeName(ToUtf8(typed), library::SystemSchemeNames(listing));
    if (check.problem != schemes::NameProblem::None) {
        askAgain_ = true;
        desktop_.MessageBox(hwnd(), NameProblemText(check.problem), kMessageTitle, MB_OK | MB_ICONWARNING);
        return false;
    }
    const std::wstring name = FromUtf8(check.name).value_or(std::wstring());
    for (const library::SchemeEntry& entry : listing.schemes) {
        if (entry.source != library::Source::User || !EqualNoCase(entry.name, name)) continue;
        if (desktop_.MessageBox(hwnd(), L"已有名为“" + entry.name + L"”的方案，是否替换？", kMessageTitle,
                                MB_OKCANCEL | MB_ICONQUESTION) != IDOK) {
            return false;
        }
        break;
    }
    auto fail = [&](const std::wstring& why) {
        desktop_.MessageBox(hwnd(), L"没有保存方案“" + name + L"”：" + why, kMessageTitle, MB_OK | MB_ICONWARNING);
        return false;
    };

    // Every file read and checked before anything is written.
    std::vector<RoleBytes> copies;
    std::vector<std::pair<std::wstring, std::wstring>> skipped;
    for (const CursorRole& role : kRoles) {
        if (editor_.Scheme().WindowsDefault(role.number)) continue;
        const std::wstring file = ExpandEnvironment(editor_.Scheme().RoleCursorFile(role.number));
        if (file.empty()) continue;
        CursorBytes read = ReadCursorBytes(file);
        if (read.error != ERROR_SUCCESS || !read.check.ok()) {
            skipped.emplace_back(role.Name(), read.Problem().Describe());
            continue;
        }
        copies.push_back({role.number, std::move(read.bytes)});
    }
    // 补齐尺寸: every copy filled off the window's thread before anything is written.
    std::vector<RoleFillNote> unfilled;
    if (FillSizesOn()) {
        std::vector<std::vector<std::uint8_t>> originals;
        for (const RoleBytes& copy : copies) originals.push_back(copy.bytes);
        std::optional<SizeFill> fill = filling_.Fill(hwnd(), std::move(originals));
        if (!fill) {
            editor_.Confirm(L"已取消补齐尺寸，方案“" + name + L"”没有保存", {});
            return false;
        }
        unfilled = FillFiles(copies, *fill);
    }
    const std::unique_ptr<WriterLock> lock = editor_.TakeWriterLock();
    if (!lock) return false;
    const SchemeSaved saved = SaveScheme(*lock, library::Source::User, name, copies, Placing::AllOrNothing);
    const std::wstring& folder = saved.folder;
    const WriteProblem& problem = saved.problem;
    switch (problem.kind) {
    case WriteProblem::Kind::None:
        break;
    case WriteProblem::Kind::NoStore:
        return fail(kNoStoreText);
    case WriteProblem::Kind::FolderNotMade:
        if (problem.error == ERROR_ALREADY_EXISTS) {
            return fail(L"无法建立 ShuBiao 的用户文件夹“" + problem.path + L"”：该位置上已有同名的文件。");
        }
        return fail(L"无法建立 ShuBiao 的用户文件夹“" + problem.path + L"”" + Code(problem.error) + L"。");
    case WriteProblem::Kind::ReadBackDiffers:
    case WriteProblem::Kind::NotACursor:
        return fail(L"写入“" + folder + L"”的文件读回时与原文件不同。");
    case WriteProblem::Kind::FolderInTheWay:
        return fail(L"“" + problem.path + L"”是一个文件夹。");
    case WriteProblem::Kind::NotWritten:
    case WriteProblem::Kind::NotMoved:
        return fail(L"无法写入 ShuBiao 的用户文件夹“" + folder + L"”" + Code(problem.error) + L"。");
    case WriteProblem::Kind::EntryNamesOther:
        return fail(L"方案中的路径读回时指向“" + problem.path + L"”，不是保存的文件，方案没有写入。");
    default:
        return fail(L"无法写入注册表" + Code(problem.error) + L"。");
    }
    RememberScheme(name, library::Source::User);
    editor_.Confirm(L"已保存方案“" + name + L"”", {});
    std::wstring text;
    if (!skipped.empty()) {
        text = L"已保存方案“" + name + L"”。以下鼠标指针的文件无法使用，方案中该项为 Windows 默认：\n" + RoleList(skipped);
    }
    if (!unfilled.empty()) {
        std::vector<std::pair<std::wstring, std::wstring>> originals;
        for (const RoleFillNote& note : unfilled) originals.emplace_back(Role(note.role).Name(), DescribeFillNote(note.note));
        if (text.empty()) text = L"已保存方案“" + name + L"”。";
        text += L"\n\n以下鼠标指针没有补齐尺寸，方案中用的是原文件：\n" + RoleList(originals);
    }
    if (!text.empty()) desktop_.MessageBox(hwnd(), text, kMessageTitle, MB_OK | MB_ICONWARNING);
    return true;
}

// "(Default)" and "Scheme Source" say which scheme of the lists is in force
// (SchemeList.h names the public pages that describe them); they change
// only when what Apply made live is exactly that scheme.
void LibraryActions::RecordSchemeInForce(const WriterLock& lock, bool allApplied) {
    const std::optional<LibraryMatch> shown = SchemeShown();
    if (!allApplied || !shown) return;
    RecordInForce(lock, shown->name, shown->source);
}

}  // namespace shubiao
