// Importing a scheme: a folder the user picks, drops or names on the command
// line, or an .inf file. The folder is searched for packs (PackFolder.h); with
// several the user chooses one. The whole result is worked out before
// anything is assigned, so an import happens whole or not at all. Nothing
// reaches the system before Apply.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/CursorLoader.h"
#include "editor/ImportPlan.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/PackFolder.h"

namespace shubiao {
namespace {

std::wstring NothingFound(const std::wstring& place, const PackScan& scan) {
    std::wstring text = L"在“" + place + L"”中没有找到可以导入的鼠标指针。\n\n"
                        L"可以导入的是：带有 install.inf 的鼠标指针包，或者按用途命名的 .cur、.ani 文件"
                        L"（例如“Normal Select.cur”“Busy.ani”）。";
    for (const auto& [file, reason] : scan.refused) text += L"\n\n没有读取“" + file + L"”：" + reason + L"。";
    return text;
}

// Pin and Person: roles a pack sets that the grid has no box for.
bool HasBox(int role) {
    for (const int shown : layout::kBoxRoles) {
        if (shown == role) return true;
    }
    return false;
}

bool IsInfFile(const std::wstring& path) {
    return path.size() > 4 && EqualNoCase(std::wstring_view(path).substr(path.size() - 4), L".inf");
}

}  // namespace

void ShuBiaoKong::DaoRu__SB_Click() {
    const std::optional<std::wstring> folder = desktop_.BrowseForFolder(hwnd());
    if (!folder || folder->empty()) return;
    ImportScan(ScanForPacks(*folder), *folder);
}

void ShuBiaoKong::ImportPath(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && IsInfFile(path)) {
        ImportScan(ScanInfFile(path), path);
    } else {
        ImportScan(ScanForPacks(path), path);
    }
}

void ShuBiaoKong::ImportScan(const PackScan& scan, const std::wstring& place) {
    if (scan.error != ERROR_SUCCESS) {
        desktop_.MessageBox(hwnd(),
                            L"无法读取“" + scan.failedFolder + L"”（" + ErrorText(scan.error) +
                                L"），没有导入任何鼠标指针。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    if (scan.packs.empty()) {
        desktop_.MessageBox(hwnd(), NothingFound(place, scan), kMessageTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    size_t chosen = 0;
    if (scan.packs.size() > 1) {
        std::vector<Desktop::PackChoice> choices;
        for (const Pack& pack : scan.packs) {
            std::wstring where = pack.relative.empty() ? pack.folder : pack.relative;
            choices.push_back({pack.name, where});
        }
        const std::optional<size_t> answer = desktop_.ChoosePack(hwnd(), choices);
        if (!answer || *answer >= scan.packs.size()) return;
        chosen = *answer;
    }
    ImportPack(scan.packs[chosen]);
}

// Files named after the roles are taken as they are (their content is
// checked when they are drawn and applied), and the roles without such a file
// are emptied, to be filled from the settings in force: the import of an
// exported scheme. A pack's files are checked here: a role whose file is
// missing or not a usable cursor keeps what it had, with the reason.
ImportPlan PlanImport(const Pack& pack, const WorkingScheme& current) {
    ImportPlan plan{current, {}, 0};
    WorkingScheme& result = plan.result;
    if (pack.kind == PackKind::RoleNamed) {
        for (const int n : kImportOrder) {
            result.RoleCursorFile(n).clear();
            result.SetWindowsDefault(n, false);
            result.SetPending(n, false);
            for (const PackFile& file : pack.files) {
                if (file.role != n) continue;
                result.RoleCursorFile(n) = file.path;
                result.SetRoleChanged(n, true);
                result.SetPending(n, true);
                ++plan.taken;
            }
        }
        return plan;
    }
    for (const PackFile& file : pack.files) {
        const std::wstring name = file.path.substr(file.path.find_last_of(L"\\/") + 1);
        if (!file.present) {
            plan.skipped.emplace_back(Role(file.role).Name(), L"包中没有文件“" + name + L"”。");
            continue;
        }
        const CursorBytes read = ReadCursorBytes(file.path);
        if (read.error != ERROR_SUCCESS || !read.check.ok()) {
            plan.skipped.emplace_back(Role(file.role).Name(), L"“" + name + L"”" + read.Problem().Describe());
            continue;
        }
        result.RoleCursorFile(file.role) = file.path;
        result.SetWindowsDefault(file.role, false);
        result.SetRoleChanged(file.role, true);
        result.SetPending(file.role, true);
        ++plan.taken;
        if (file.alternate != 0) plan.copies.emplace_back(Role(file.role).Name(), name);
        if (!HasBox(file.role)) plan.unseen.push_back(Role(file.role).Name());
    }
    return plan;
}

// Works the whole import out on a copy of the working scheme, then takes it
// and redraws; tells the user what was not taken.
void ShuBiaoKong::ImportPack(const Pack& pack) {
    ImportPlan plan = PlanImport(pack, scheme_);
    if (plan.taken == 0 && pack.kind != PackKind::RoleNamed) {
        std::wstring text = L"“" + pack.name + L"”中没有可以导入的鼠标指针：\n";
        for (const auto& [role, reason] : plan.skipped) text += L"\n“" + role + L"”：" + reason;
        desktop_.MessageBox(hwnd(), text, kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    scheme_ = std::move(plan.result);
    JiaZaiFangAn();
    NoteImport(plan.skipped.empty() ? pack.name : std::wstring());
    // The first pack taken whole says, once, how to keep it (files named
    // after the roles are no pack with a name of its own).
    const bool hint = plan.skipped.empty() && pack.kind != PackKind::RoleNamed && TakeSaveHint();
    if (plan.skipped.empty() && plan.copies.empty() && !hint) return;
    std::wstring text = L"从“" + pack.name + L"”导入了 " + std::to_wstring(plan.taken) + L" 个鼠标指针。";
    if (!plan.skipped.empty()) {
        text += L"以下几个没有导入，原来的选择保持不变：\n";
        for (const auto& [role, reason] : plan.skipped) text += L"\n“" + role + L"”：" + reason;
    }
    if (!plan.copies.empty()) {
        text += L"\n\n包中没有以下指针原名的文件，用了带编号的同名文件：\n";
        for (const auto& [role, file] : plan.copies) text += L"\n“" + role + L"”：" + file;
    }
    if (!plan.unseen.empty()) text += L"\n\n" + UnseenRolesNote(plan.unseen);
    if (hint) text += L"\n\n" + SaveHint();
    desktop_.MessageBox(hwnd(), text, kMessageTitle,
                        MB_OK | (plan.skipped.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
}

}  // namespace shubiao
