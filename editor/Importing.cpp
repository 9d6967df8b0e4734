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

bool HasExtension(const std::wstring& path, std::wstring_view extension) {
    return path.size() > extension.size() &&
           EqualNoCase(std::wstring_view(path).substr(path.size() - extension.size()), extension);
}

// The file's path starts with the folder's, followed by a separator.
bool LiesIn(const std::wstring& file, const std::wstring& folder) {
    return file.size() > folder.size() && EqualNoCase(std::wstring_view(file).substr(0, folder.size()), folder) &&
           (file[folder.size()] == L'\\' || file[folder.size()] == L'/');
}

}  // namespace

void ShuBiaoKong::DaoRu__SB_Click() {
    const std::optional<std::wstring> picked = desktop_.BrowseForFolder(hwnd());
    if (!picked || picked->empty()) return;
    ImportPath(*picked);
}

void ShuBiaoKong::ImportPath(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool file = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (file && HasExtension(path, L".zip")) {
        ImportZip(path);
    } else if (file && HasExtension(path, L".inf")) {
        ImportScan(ScanInfFile(path), {path});
    } else {
        ImportScan(ScanForPacks(path), {path});
    }
}

// The archive is unpacked into a private folder and read as a folder is; the
// folder stays for as long as a role's file lies in it, and goes with the
// editor at the latest.
void ShuBiaoKong::ImportZip(const std::wstring& path) {
    ZipUnpack unpack = UnpackZip(path);
    if (!unpack.unpacked) {
        desktop_.MessageBox(hwnd(),
                            L"无法读取压缩包“" + unpack.archiveName + L"”：" + unpack.error +
                                L"。没有导入任何鼠标指针。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    ImportSource source{path, unpack.unpacked, std::move(unpack.skipped)};
    PackScan scan = ScanForPacks(source.zip->Folder());
    // A pack at the archive's top is named after the archive, not after the
    // private folder.
    const std::wstring folderName = source.zip->Folder().substr(source.zip->Folder().find_last_of(L"\\/") + 1);
    std::wstring archiveStem = unpack.archiveName.substr(0, unpack.archiveName.size() - 4);
    for (Pack& pack : scan.packs) {
        if (pack.name == folderName) pack.name = archiveStem;
    }
    ImportScan(std::move(scan), source);
}

void ShuBiaoKong::ImportScan(PackScan scan, const ImportSource& source) {
    if (scan.error != ERROR_SUCCESS) {
        desktop_.MessageBox(hwnd(),
                            L"无法读取“" + source.Shown(scan.failedFolder) + L"”（" + ErrorText(scan.error) +
                                L"），没有导入任何鼠标指针。",
                            kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    if (scan.packs.empty()) {
        for (auto& [file, reason] : scan.refused) file = source.Shown(file);
        std::wstring text = NothingFound(source.place, scan);
        for (const auto& [entry, reason] : source.entriesSkipped) text += L"\n\n没有读取“" + entry + L"”：" + reason + L"。";
        desktop_.MessageBox(hwnd(), text, kMessageTitle, MB_OK | MB_ICONINFORMATION);
        return;
    }
    size_t chosen = 0;
    if (scan.packs.size() > 1) {
        std::vector<Desktop::PackChoice> choices;
        for (const Pack& pack : scan.packs) {
            std::wstring where = pack.relative.empty() ? source.Shown(pack.folder) : pack.relative;
            choices.push_back({pack.name, where});
        }
        const std::optional<size_t> answer = desktop_.ChoosePack(hwnd(), choices);
        if (!answer || *answer >= scan.packs.size()) return;
        chosen = *answer;
    }
    ImportPack(scan.packs[chosen], source);
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
void ShuBiaoKong::ImportPack(const Pack& pack, const ImportSource& source) {
    ImportPlan plan = PlanImport(pack, scheme_);
    std::wstring entries;
    for (const auto& [entry, reason] : source.entriesSkipped) entries += L"\n“" + entry + L"”：" + reason;
    if (!entries.empty()) entries = L"\n\n压缩包中以下文件没有读取：\n" + entries;
    if (plan.taken == 0 && pack.kind != PackKind::RoleNamed) {
        std::wstring text = L"“" + pack.name + L"”中没有可以导入的鼠标指针：\n";
        for (const auto& [role, reason] : plan.skipped) text += L"\n“" + role + L"”：" + reason;
        desktop_.MessageBox(hwnd(), text + entries, kMessageTitle, MB_OK | MB_ICONWARNING);
        return;
    }
    if (source.zip) archives_.push_back(source.zip);
    scheme_ = std::move(plan.result);
    JiaZaiFangAn();
    NoteImport(plan.skipped.empty() ? pack.name : std::wstring());
    // The first pack taken whole says, once, how to keep it (files named
    // after the roles are no pack with a name of its own).
    const bool hint = plan.skipped.empty() && pack.kind != PackKind::RoleNamed && TakeSaveHint();
    if (plan.skipped.empty() && plan.copies.empty() && entries.empty() && !hint) return;
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
    text += entries;
    if (hint) text += L"\n\n" + SaveHint();
    desktop_.MessageBox(hwnd(), text, kMessageTitle,
                        MB_OK | (plan.skipped.empty() && entries.empty() ? MB_ICONINFORMATION : MB_ICONWARNING));
}

void ShuBiaoKong::ReleaseUnusedArchives() {
    std::erase_if(archives_, [this](const std::shared_ptr<const UnpackedZip>& archive) {
        for (const CursorRole& role : kRoles) {
            if (LiesIn(scheme_.RoleCursorFile(role.number), archive->Folder())) return false;
        }
        return true;
    });
}

std::wstring ShuBiaoKong::ShownFile(const std::wstring& path) const {
    for (const auto& archive : archives_) {
        if (LiesIn(path, archive->Folder())) return archive->ShownPath(path);
    }
    return path;
}

}  // namespace shubiao
