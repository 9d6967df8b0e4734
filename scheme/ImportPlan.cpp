#include "scheme/ImportPlan.h"

#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "win/Text.h"

namespace shubiao {
namespace {

bool HasExtension(const std::wstring& path, std::wstring_view extension) {
    return path.size() > extension.size() &&
           EqualNoCase(std::wstring_view(path).substr(path.size() - extension.size()), extension);
}

}  // namespace

PackFileRead ReadPackFile(const PackFile& file) {
    PackFileRead result;
    const std::wstring name = file.path.substr(file.path.find_last_of(L"\\/") + 1);
    if (!file.present) {
        result.refusal = L"包中没有文件“" + name + L"”。";
        return result;
    }
    CursorBytes read = ReadCursorBytes(file.path);
    if (read.error != ERROR_SUCCESS || !read.check.ok()) {
        result.refusal = L"“" + name + L"”" + read.Problem().Describe();
        return result;
    }
    result.bytes = std::move(read.bytes);
    result.sizes = std::move(read.check.sizes);
    return result;
}

OpenedPacks OpenPacks(const std::wstring& path) {
    OpenedPacks opened;
    opened.source.place = path;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    const bool file = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (file && HasExtension(path, L".zip")) {
        ZipUnpack unpack = UnpackZip(path);
        opened.archiveName = unpack.archiveName;
        if (!unpack.unpacked) {
            opened.zipError = unpack.error.empty() ? std::wstring(L"无法解压") : unpack.error;
            return opened;
        }
        opened.source.zip = unpack.unpacked;
        opened.source.entriesSkipped = std::move(unpack.skipped);
        opened.scan = ScanForPacks(unpack.unpacked->Folder());
        // A pack at the archive's top is named after the archive, not after
        // the private folder.
        const std::wstring& folder = unpack.unpacked->Folder();
        const std::wstring folderName = folder.substr(folder.find_last_of(L"\\/") + 1);
        const std::wstring archiveStem = unpack.archiveName.substr(0, unpack.archiveName.size() - 4);
        for (Pack& pack : opened.scan.packs) {
            if (pack.name == folderName) pack.name = archiveStem;
        }
    } else if (file && HasExtension(path, L".inf")) {
        opened.scan = ScanInfFile(path);
    } else {
        opened.scan = ScanForPacks(path);
    }
    return opened;
}

std::wstring NothingFoundText(const std::wstring& place, const PackScan& scan) {
    std::wstring text = L"在“" + place + L"”中没有找到可以导入的鼠标指针。\n\n"
                        L"可以导入的是：带有 install.inf 的鼠标指针包，或者按用途命名的 .cur、.ani 文件"
                        L"（例如“Normal Select.cur”“Busy.ani”）。";
    for (const auto& [file, reason] : scan.refused) text += L"\n\n没有读取“" + file + L"”：" + reason + L"。";
    return text;
}

// Files named after the roles are taken as they are (their content is
// checked when they are drawn and applied), and the roles without such a file
// are emptied, to be filled from the settings in force: the import of an
// exported scheme. A pack's files are checked here: a role whose file is
// missing or not a usable cursor keeps what it had, with the reason.
ImportPlan PlanImport(const Pack& pack, const WorkingScheme& current) {
    ImportPlan plan{current, {}, 0, {}, {}};
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
        PackFileRead read = ReadPackFile(file);
        if (!read.refusal.empty()) {
            plan.skipped.emplace_back(Role(file.role).Name(), std::move(read.refusal));
            continue;
        }
        result.RoleCursorFile(file.role) = file.path;
        result.SetWindowsDefault(file.role, false);
        result.SetRoleChanged(file.role, true);
        result.SetPending(file.role, true);
        ++plan.taken;
        plan.takenRoles.push_back(file.role);
        plan.takenSizes.push_back(std::move(read.sizes));
        if (file.alternate != 0) {
            plan.copies.emplace_back(Role(file.role).Name(), file.path.substr(file.path.find_last_of(L"\\/") + 1));
        }
    }
    return plan;
}

}  // namespace shubiao
