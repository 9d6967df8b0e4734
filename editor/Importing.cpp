// Importing a scheme: a folder the user picks, drops or names on the command
// line, or an .inf file. The folder is searched for packs (PackFolder.h); with
// several the user chooses one. The whole result is worked out before
// anything is assigned (scheme/ImportPlan.h), so an import happens whole or
// not at all. Nothing reaches the system before Apply.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/ImportPlan.h"
#include "scheme/PackFolder.h"

namespace shubiao {
namespace {

// Pin and Person: roles a pack sets that the grid has no box for.
bool HasBox(int role) {
    for (const int shown : layout::kBoxRoles) {
        if (shown == role) return true;
    }
    return false;
}

}  // namespace

void ShuBiaoKong::DaoRu__SB_Click() {
    const std::optional<std::wstring> folder = desktop_.BrowseForFolder(hwnd());
    if (!folder || folder->empty()) return;
    ImportScan(ScanForPacks(*folder), *folder);
}

void ShuBiaoKong::ImportPath(const std::wstring& path) { ImportScan(ScanPath(path), path); }

void ShuBiaoKong::ImportScan(const PackScan& scan, const std::wstring& place) {
    if (scan.error != ERROR_SUCCESS) {
        desktop_.MessageBox(hwnd(),
                            L"无法读取“" + scan.failedFolder + L"”（" + ErrorText(scan.error) +
                                L"），没有导入任何鼠标指针。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    if (scan.packs.empty()) {
        desktop_.MessageBox(hwnd(), NothingFoundText(place, scan), kMessageTitle, MB_OK | MB_ICONINFORMATION);
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

// Works the whole import out on a copy of the working scheme, then takes it
// and redraws; tells the user what was not taken.
void ShuBiaoKong::ImportPack(const Pack& pack) {
    ImportPlan plan = PlanImport(pack, scheme_);
    std::vector<std::wstring> unseen;
    for (const int role : plan.takenRoles) {
        if (!HasBox(role)) unseen.push_back(Role(role).Name());
    }
    if (plan.taken == 0 && pack.kind != PackKind::RoleNamed) {
        std::wstring text = L"“" + pack.name + L"”中没有可以导入的鼠标指针：\n";
        for (const auto& [role, reason] : plan.skipped) text += L"\n“" + role + L"”：" + reason;
        desktop_.MessageBox(hwnd(), text, kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    scheme_ = std::move(plan.result);
    JiaZaiFangAn();
    NoteImport(plan.skipped.empty() ? pack.name : std::wstring());
    if (plan.skipped.empty() && plan.copies.empty()) return;
    std::wstring text = L"从“" + pack.name + L"”导入了 " + std::to_wstring(plan.taken) + L" 个鼠标指针。";
    if (!plan.skipped.empty()) {
        text += L"以下几个没有导入，原来的选择保持不变：\n";
        for (const auto& [role, reason] : plan.skipped) text += L"\n“" + role + L"”：" + reason;
    }
    if (!plan.copies.empty()) {
        text += L"\n\n包中没有以下指针原名的文件，用了带编号的同名文件：\n";
        for (const auto& [role, file] : plan.copies) text += L"\n“" + role + L"”：" + file;
    }
    if (!unseen.empty()) text += L"\n\n" + UnseenRolesNote(unseen);
    if (plan.skipped.empty() && TakeSaveHint()) text += L"\n\n" + SaveHint();
    desktop_.MessageBox(hwnd(), text, kMessageTitle,
                        MB_OK | (plan.skipped.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
}

}  // namespace shubiao
