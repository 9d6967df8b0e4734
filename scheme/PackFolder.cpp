#include "scheme/PackFolder.h"

#include <deque>
#include <span>
#include <string_view>

#include "scheme/CursorRole.h"
#include "scheme/formats/InfReader.h"
#include "scheme/formats/PackNames.h"
#include "win/Errors.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao {
namespace {

// Bounds on what one import looks at: a folder with more entries is read
// up to this many, and the search of subfolders stops after this many.
constexpr size_t kMaxEntries = 20000;
constexpr size_t kMaxSubfolders = 2000;
constexpr int kMaxDepth = 3;

struct Entry {
    std::wstring name;
    DWORD attributes = 0;
    ULONGLONG bytes = 0;

    bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A link leads out of the folder: it is never followed.
    bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
    bool IsHidden() const { return (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0; }
    bool IsPlainFile() const { return !IsFolder() && !IsLink(); }
};

struct Listing {
    DWORD error = ERROR_SUCCESS;
    std::vector<Entry> entries;
};

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) return folder + name;
    return folder + L"\\" + name;
}

std::wstring LastName(const std::wstring& path) {
    std::wstring trimmed = path;
    while (trimmed.size() > 1 && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
    const size_t slash = trimmed.find_last_of(L"\\/");
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

bool HasExtension(const std::wstring& name, std::wstring_view extension) {
    return name.size() > extension.size() &&
           EqualNoCase(std::wstring_view(name).substr(name.size() - extension.size()), extension);
}

Listing List(const std::wstring& folder) {
    Listing listing;
    WIN32_FIND_DATAW found{};
    const UniqueFind find(FindFirstFileExW(Join(folder, L"*").c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!find) {
        listing.error = GetLastError();
        if (listing.error == ERROR_FILE_NOT_FOUND) listing.error = ERROR_SUCCESS;  // nothing in it
        return listing;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        listing.entries.push_back(
            {name, found.dwFileAttributes, (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow});
        if (listing.entries.size() >= kMaxEntries) return listing;
    } while (FindNextFileW(find.get(), &found));
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES) listing.error = error;
    return listing;
}

// The plain file of this name in the listing, letter case ignored.
const Entry* FindFile(const Listing& listing, const std::wstring& name) {
    for (const Entry& entry : listing.entries) {
        if (entry.IsPlainFile() && EqualNoCase(entry.name, name)) return &entry;
    }
    return nullptr;
}

// Bytes in the system's ANSI code page (GBK on Chinese Windows) as UTF-8.
bool DecodeAnsi(std::string_view bytes, std::string& utf8) {
    if (bytes.empty()) return true;
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0) return false;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n);
    utf8 = ToUtf8(wide);
    return true;
}

// Reads an .inf of at most the reader's limit; the reason it was not read
// otherwise.
std::wstring ReadInfBytes(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
    const UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return ErrorText(GetLastError());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) return ErrorText(GetLastError());
    if (static_cast<std::uint64_t>(size.QuadPart) > inf::kMaxInfBytes) return L"文件超过 1 MB，不是鼠标指针的安装文件";
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
                           got != bytes.size())) {
        return ErrorText(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_READ_FAULT);
    }
    return {};
}

bool IsPointerFile(const Entry& entry) {
    return entry.IsPlainFile() && !entry.IsHidden() &&
           (HasExtension(entry.name, L".cur") || HasExtension(entry.name, L".ani"));
}

// The pointer files of the folder that none of the pack's files is, each
// with `why(index in the listing)`.
template <typename Why>
void NoteUnused(Pack& pack, const Listing& listing, Why why) {
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        const Entry& entry = listing.entries[i];
        if (!IsPointerFile(entry)) continue;
        bool used = false;
        for (const PackFile& file : pack.files) used = used || EqualNoCase(LastName(file.path), entry.name);
        if (!used) pack.unused.emplace_back(entry.name, why(i));
    }
}

// Step 1 for one .inf of the folder.
void PacksOfInf(const std::wstring& folder, const Listing& listing, const Entry& inf, PackScan& scan,
                std::vector<Pack>& found) {
    std::vector<std::uint8_t> bytes;
    const std::wstring path = Join(folder, inf.name);
    if (std::wstring reason = ReadInfBytes(path, bytes); !reason.empty()) {
        scan.refused.emplace_back(path, reason);
        return;
    }
    const inf::InfResult read = inf::ReadCursorInf(bytes, DecodeAnsi);
    if (read.error == inf::InfError::TooLarge) {
        scan.refused.emplace_back(path, L"文件超过 1 MB，不是鼠标指针的安装文件");
        return;
    }
    if (read.error == inf::InfError::NotText) {
        scan.refused.emplace_back(path, L"文件不是可以识别的文本");
        return;
    }
    for (const inf::Scheme& scheme : read.schemes) {
        Pack pack{PackKind::Inf, FromUtf8(scheme.name).value_or(std::wstring()), folder, {}, {}};
        if (pack.name.empty()) pack.name = LastName(folder);
        for (const CursorRole& role : kRoles) {
            for (const inf::RoleFile& file : scheme.files) {
                if (!EqualNoCase(FromUtf8(file.role).value_or(std::wstring()), role.valueName)) continue;
                const std::wstring name = FromUtf8(file.fileName).value_or(std::wstring());
                const Entry* entry = name.empty() ? nullptr : FindFile(listing, name);
                pack.files.push_back({role.number, Join(folder, entry != nullptr ? entry->name : name), entry != nullptr});
            }
        }
        if (pack.files.empty()) continue;
        NoteUnused(pack, listing, [](size_t) { return std::wstring(kNotInInf); });
        found.push_back(std::move(pack));
    }
}

// Steps 1-3 for one folder; nothing when it holds no pack.
std::vector<Pack> PacksIn(const std::wstring& folder, const Listing& listing, PackScan& scan) {
    std::vector<Pack> found;
    for (const Entry& entry : listing.entries) {
        if (entry.IsPlainFile() && HasExtension(entry.name, L".inf")) PacksOfInf(folder, listing, entry, scan, found);
    }
    if (!found.empty()) return found;

    // Files named after the roles: plain files and folders count, hidden and
    // system entries do not (the directory query of earlier exports).
    Pack named{PackKind::RoleNamed, LastName(folder), folder, {}, {}};
    const std::wstring prefix = LowerCaseFolderPrefix(folder);
    for (const CursorRole& role : kRoles) {
        const std::wstring fileName = role.FileName();
        for (const Entry& entry : listing.entries) {
            if (entry.IsLink() || entry.IsHidden() || !EqualNoCase(entry.name, fileName)) continue;
            named.files.push_back({role.number, prefix + fileName, true});
            break;
        }
    }
    if (!named.files.empty()) {
        NoteUnused(named, listing, [](size_t) { return std::wstring(kUnknownFileName); });
        return {named};
    }

    // Cursor files named by purpose.
    std::vector<const Entry*> cursors;
    std::vector<std::string> names;
    for (const Entry& entry : listing.entries) {
        if (!IsPointerFile(entry)) continue;
        cursors.push_back(&entry);
        names.push_back(ToUtf8(entry.name));
    }
    if (cursors.empty()) return {};
    std::vector<std::string> captionText;
    for (const CursorRole& role : kRoles) captionText.push_back(ToUtf8(role.Name()));
    std::vector<std::string> roleNames;
    for (const CursorRole& role : kRoles) roleNames.push_back(ToUtf8(role.valueName));
    std::vector<pack::RoleCaption> captions;
    for (size_t i = 0; i < kRoles.size(); ++i) captions.push_back({roleNames[i], captionText[i]});
    std::vector<std::string> roleOfFile;
    const std::vector<pack::NameMatch> matches = pack::MatchFileNames(names, captions, &roleOfFile);
    Pack byName{PackKind::Named, LastName(folder), folder, {}, {}};
    for (const CursorRole& role : kRoles) {
        for (const pack::NameMatch& match : matches) {
            if (EqualNoCase(FromUtf8(match.role).value_or(std::wstring()), role.valueName)) {
                byName.files.push_back({role.number, Join(folder, cursors[match.file]->name), true,
                                         static_cast<int>(match.alternate)});
            }
        }
    }
    if (byName.files.empty()) return {};
    for (size_t f = 0; f < cursors.size(); ++f) {
        bool used = false;
        for (const pack::NameMatch& match : matches) used = used || match.file == f;
        if (!used) byName.unused.emplace_back(cursors[f]->name, roleOfFile[f].empty() ? kUnknownFileName : kRoleTaken);
    }
    return {byName};
}

}  // namespace

std::wstring LowerCaseFolderPrefix(const std::wstring& folder) {
    std::wstring lower = folder;
    const int size = static_cast<int>(folder.size());
    if (size > 0 && LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, folder.c_str(), size, lower.data(), size,
                                  nullptr, nullptr, 0) != size) {
        CharLowerBuffW(lower.data(), static_cast<DWORD>(size));
    }
    if (lower.empty() || lower.back() != L'\\') lower.push_back(L'\\');
    return lower;
}

PackScan ScanForPacks(const std::wstring& folder) {
    PackScan scan;
    const Listing top = List(folder);
    if (top.error != ERROR_SUCCESS) {
        scan.error = top.error;
        scan.failedFolder = folder;
        return scan;
    }
    scan.packs = PacksIn(folder, top, scan);
    if (!scan.packs.empty()) return scan;

    // Packs in the subfolders, level by level. A subfolder that cannot be
    // read, and hidden or system ones, are passed over.
    struct Pending {
        std::wstring path;
        std::wstring relative;
        int depth;
    };
    std::deque<Pending> pending;
    auto queueSubfolders = [&](const Listing& listing, const std::wstring& path, const std::wstring& relative,
                               int depth) {
        if (depth >= kMaxDepth) return;
        for (const Entry& entry : listing.entries) {
            if (!entry.IsFolder() || entry.IsLink() || entry.IsHidden()) continue;
            pending.push_back({Join(path, entry.name), relative.empty() ? entry.name : relative + L"\\" + entry.name,
                               depth + 1});
        }
    };
    queueSubfolders(top, folder, L"", 0);
    for (size_t visited = 0; !pending.empty() && visited < kMaxSubfolders; ++visited) {
        const Pending next = std::move(pending.front());
        pending.pop_front();
        const Listing listing = List(next.path);
        if (listing.error != ERROR_SUCCESS) continue;
        for (Pack& pack : PacksIn(next.path, listing, scan)) {
            pack.relative = next.relative;
            scan.packs.push_back(std::move(pack));
        }
        queueSubfolders(listing, next.path, next.relative, next.depth);
    }
    return scan;
}

PackScan ScanInfFile(const std::wstring& infPath) {
    PackScan scan;
    const size_t slash = infPath.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? std::wstring(L".") : infPath.substr(0, slash);
    const Listing listing = List(folder);
    if (listing.error != ERROR_SUCCESS) {
        scan.error = listing.error;
        scan.failedFolder = folder;
        return scan;
    }
    const Entry* inf = FindFile(listing, LastName(infPath));
    if (inf == nullptr) {
        scan.error = ERROR_FILE_NOT_FOUND;
        scan.failedFolder = folder;
        return scan;
    }
    PacksOfInf(folder, listing, *inf, scan, scan.packs);
    return scan;
}

}  // namespace shubiao
