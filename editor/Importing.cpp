// Importing a scheme: a folder the user picks, drops or names on the command
// line, an .inf file or a .zip. What the path holds is read as packs without a
// window (scheme/ImportPlan.h: OpenPacks); with several the user chooses one.
// The whole result is worked out before anything is assigned (PlanImport),
// so an import happens whole or not at all. Nothing reaches the system
// before Apply.
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "editor/ImportFlow.h"
#include "editor/LibraryActions.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/ImportPlan.h"
#include "scheme/PackFolder.h"
#include "scheme/PointerSizeSetting.h"
#include "scheme/formats/PointerSize.h"

namespace shubiao {
namespace {

// Pin and Person: roles a pack sets that the grid has no box for.
bool HasBox(int role) {
    for (const int shown : layout::kBoxRoles) {
        if (shown == role) return true;
    }
    return false;
}

// The file's path starts with the folder's, followed by a separator.
bool LiesIn(const std::wstring& file, const std::wstring& folder) {
    return file.size() > folder.size() && EqualNoCase(std::wstring_view(file).substr(0, folder.size()), folder) &&
           (file[folder.size()] == L'\\' || file[folder.size()] == L'/');
}

// The pointer files a pack did not use, and why: the first few by name,
// then how many there are in all.
std::wstring UnusedFilesText(const std::vector<std::pair<std::wstring, std::wstring>>& unused) {
    constexpr size_t kNamed = 5;
    if (unused.empty()) return {};
    std::wstring text = L"\n\n包中以下指针文件没有用到：\n";
    for (size_t i = 0; i < unused.size() && i < kNamed; ++i) {
        text += L"\n“" + unused[i].first + L"”：" + unused[i].second;
    }
    if (unused.size() > kNamed) text += L"\n等 " + std::to_wstring(unused.size()) + L" 个文件";
    return text;
}

// The pending choices of `before` that `after` replaces or forgets; the same
// file of the same pack (a .zip unpacked again) replaces nothing.
int PendingReplaced(const WorkingScheme& before, const WorkingScheme& after, const ImportSource& source,
                    const ImportFlow& flow) {
    int count = 0;
    for (const CursorRole& role : kRoles) {
        const int n = role.number;
        if (!before.Pending(n)) continue;
        if (!after.Pending(n) || after.WindowsDefault(n) != before.WindowsDefault(n) ||
            !EqualNoCase(source.Shown(after.RoleCursorFile(n)), flow.ShownFile(before.RoleCursorFile(n)))) {
            ++count;
        }
    }
    return count;
}

}  // namespace

void ShuBiaoKong::DaoRu__SB_Click() {
    const std::optional<std::wstring> picked = desktop_.BrowseForFolder(hwnd());
    if (!picked || picked->empty()) return;
    ImportPath(*picked);
}

void ShuBiaoKong::ImportPath(const std::wstring& path) { import_.ImportPath(path); }

// A .zip is unpacked into a private folder and read as a folder is; the
// folder stays for as long as a role's file lies in it, and goes with the
// editor at the latest.
void ImportFlow::ImportPath(const std::wstring& path) {
    OpenedPacks opened = OpenPacks(path);
    if (!opened.zipError.empty()) {
        desktop_.MessageBox(hwnd(),
                            L"无法读取压缩包“" + opened.archiveName + L"”：" + opened.zipError +
                                L"。没有导入任何鼠标指针。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    ImportScan(std::move(opened.scan), opened.source);
}

void ImportFlow::ImportScan(PackScan scan, const ImportSource& source) {
    if (scan.error != ERROR_SUCCESS) {
        desktop_.MessageBox(hwnd(),
                            L"无法读取“" + source.Shown(scan.failedFolder) + L"”（" + ErrorText(scan.error) +
                                L"），没有导入任何鼠标指针。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    if (scan.packs.empty()) {
        for (auto& [file, reason] : scan.refused) file = source.Shown(file);
        std::wstring text = NothingFoundText(source.place, scan);
        for (const auto& [entry, reason] : source.entriesSkipped) text += L"\n\n没有读取“" + entry + L"”：" + reason + L"。";
        desktop_.MessageBox(hwnd(), text, kMessageTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    size_t chosen = 0;
    if (scan.packs.size() > 1) {
        std::vector<Desktop::PackChoice> choices;
        for (const Pack& pack : scan.packs) {
            std::wstring where = pack.relative.empty() ? source.Shown(pack.folder) : pack.relative;
            Desktop::PackChoice& choice = choices.emplace_back(Desktop::PackChoice{pack.name, where});
            for (const PackFile& file : pack.files) {
                if (file.present) choice.files[RoleIndex(file.role)] = file.path;
            }
        }
        const std::optional<size_t> answer = desktop_.ChoosePack(hwnd(), choices);
        if (!answer || *answer >= scan.packs.size()) return;
        chosen = *answer;
    }
    ImportPack(scan.packs[chosen], source);
}

// The summary's line on the pack's files that lack the size Windows draws
// the pointer at on this display; empty when none does.
static std::wstring LackingSizeLine(const ImportPlan& plan, HWND window) {
    const std::uint32_t needed = PointerPixelsHere(window != nullptr ? GetDpiForWindow(window) : 96);
    int up = 0;
    int down = 0;
    for (const CursorSizes& sizes : plan.takenSizes) {
        const SizeFit fit = MatchSize(sizes.held, needed).fit;
        up += fit == SizeFit::ScaledUp ? 1 : 0;
        down += fit == SizeFit::ScaledDown ? 1 : 0;
    }
    const std::wstring pixels = std::to_wstring(needed) + L" 像素";
    std::wstring line;
    if (up > 0) line += L"有 " + std::to_wstring(up) + L" 个指针缺少本屏幕所需的 " + pixels + L"，会被放大，可能模糊。";
    if (down > 0) {
        line += L"有 " + std::to_wstring(down) + L" 个指针缺少本屏幕所需的 " + pixels + L"，会被缩小。";
    }
    return line;
}

// Works the whole import out on a copy of the working scheme, then takes it
// and redraws; tells the user what was not taken.
void ImportFlow::ImportPack(const Pack& pack, const ImportSource& source) {
    ImportPlan plan = PlanImport(pack, editor_.Scheme());
    std::vector<std::wstring> unseen;
    for (const int role : plan.takenRoles) {
        if (!HasBox(role)) unseen.push_back(Role(role).Name());
    }
    std::wstring entries;
    for (const auto& [entry, reason] : source.entriesSkipped) entries += L"\n“" + entry + L"”：" + reason;
    if (!entries.empty()) entries = L"\n\n压缩包中以下文件没有读取：\n" + entries;
    if (plan.taken == 0 && pack.kind != PackKind::RoleNamed) {
        std::wstring text = L"“" + pack.name + L"”中没有可以导入的鼠标指针：\n";
        for (const auto& [role, reason] : plan.skipped) text += L"\n“" + role + L"”：" + reason;
        desktop_.MessageBox(hwnd(), text + UnusedFilesText(pack.unused) + entries, kMessageTitle,
                            MB_OK | MB_ICONWARNING);
        return;
    }
    if (const int replaced = PendingReplaced(editor_.Scheme(), plan.result, source, *this); replaced > 0) {
        if (!editor_.SettlePending(PendingLoss::Import, replaced)) return;
        plan = PlanImport(pack, editor_.Scheme());  // Apply may have changed what is pending
    }
    if (source.zip) archives_.push_back(source.zip);
    editor_.TakeScheme(std::move(plan.result));
    library_.NoteImport(plan.skipped.empty() ? pack.name : std::wstring());
    // The first pack taken whole says, once, how to keep it (files named
    // after the roles are no pack with a name of its own).
    const bool hint = plan.skipped.empty() && pack.kind != PackKind::RoleNamed && TakeSaveHint();
    const std::wstring lacking = LackingSizeLine(plan, hwnd());
    if (plan.skipped.empty() && plan.copies.empty() && entries.empty() && !hint && pack.unused.empty() &&
        lacking.empty()) {
        return;
    }
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
    text += UnusedFilesText(pack.unused);
    if (!lacking.empty()) text += L"\n\n" + lacking;
    text += entries;
    if (hint) text += L"\n\n" + LibraryActions::SaveHint();
    desktop_.MessageBox(hwnd(), text, kMessageTitle,
                        MB_OK | (plan.skipped.empty() && entries.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
}

void ImportFlow::ReleaseUnusedArchives() {
    std::erase_if(archives_, [this](const std::shared_ptr<const UnpackedZip>& archive) {
        for (const CursorRole& role : kRoles) {
            if (LiesIn(editor_.Scheme().RoleCursorFile(role.number), archive->Folder())) return false;
        }
        return true;
    });
}

std::wstring ImportFlow::ShownFile(const std::wstring& path) const {
    for (const auto& archive : archives_) {
        if (LiesIn(path, archive->Folder())) return archive->ShownPath(path);
    }
    return path;
}

}  // namespace shubiao
