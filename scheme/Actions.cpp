#include "scheme/Actions.h"

#include <optional>
#include <utility>

#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/History.h"
#include "scheme/Profiler.h"
#include "scheme/formats/SchemeOrder.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao {
namespace {

WriteProblem Problem(WriteProblem::Kind kind, DWORD error = ERROR_SUCCESS, std::wstring path = {}) {
    return MakeProblem<WriteProblem>(kind, error, std::move(path));
}

std::wstring FolderOf(const std::wstring& path) { return path.substr(0, path.find_last_of(L"\\/") + 1); }
std::wstring NameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/") + 1); }

// A value of a list exactly as stored (type and bytes), to be put back.
struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

// Where the values of `keyPath` lie once redirected (the tests' scratch keys).
bool KeyOf(std::wstring_view keyPath, registry::ValueLocation& where) {
    return registry::ResolveValuePath(std::wstring(keyPath) + L"\\-", where);
}

std::optional<StoredValue> ReadStored(std::wstring_view keyPath, std::wstring_view name) {
    registry::ValueLocation where;
    if (!KeyOf(keyPath, where)) return std::nullopt;
    UniqueHKey key;
    if (RegOpenKeyExW(where.root, where.subkey.c_str(), 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    const std::wstring valueName(name);
    StoredValue value;
    for (;;) {
        DWORD bytes = static_cast<DWORD>(value.data.size());
        const LSTATUS status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &value.type,
                                                value.data.empty() ? nullptr : value.data.data(), &bytes);
        if (status == ERROR_MORE_DATA || (status == ERROR_SUCCESS && value.data.empty() && bytes > 0)) {
            value.data.resize(bytes);
            continue;
        }
        if (status != ERROR_SUCCESS) return std::nullopt;
        value.data.resize(bytes);
        return value;
    }
}

// Puts back the value `name` as it was before this save wrote it, or removes
// it when there was none.
void PutBack(std::wstring_view keyPath, std::wstring_view name, const std::optional<StoredValue>& before) {
    if (!before) {
        registry::KeyWriter(keyPath).Delete(name);
        return;
    }
    registry::ValueLocation where;
    if (!KeyOf(keyPath, where)) return;
    UniqueHKey key;
    if (RegOpenKeyExW(where.root, where.subkey.c_str(), 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    RegSetValueExW(key.get(), std::wstring(name).c_str(), 0, before->type, before->data.data(),
                   static_cast<DWORD>(before->data.size()));
}

// The slots of an entry as stored, split at its commas.
std::vector<std::wstring> Slots(const std::wstring& text) {
    std::vector<std::wstring> slots(1);
    for (const wchar_t c : text) {
        if (c == L',') {
            slots.emplace_back();
        } else {
            slots.back() += c;
        }
    }
    return slots;
}

// The slot a role's file takes in an entry, from the role's value name.
size_t SlotOf(int role) { return static_cast<size_t>(SchemePosition(ToUtf8(Role(role).valueName))); }

// The first slot of the entry as written that does not name exactly what
// `expected` says once expanded; nullopt when all do.
std::optional<std::wstring> SlotNamingOther(const std::wstring& written, const std::vector<std::wstring>& expected,
                                            const SlotExpansion& expand) {
    const std::vector<std::wstring> slots = Slots(written);
    if (slots.size() != expected.size()) return written;
    for (size_t i = 0; i < slots.size(); ++i) {
        const std::wstring named = expand ? expand(slots[i]) : ExpandEnvironment(slots[i]);
        if (named != expected[i]) return named;
    }
    return std::nullopt;
}

int CountPlaced(const std::vector<PlacedRole>& roles) {
    int placed = 0;
    for (const PlacedRole& role : roles) placed += role.problem.ok() ? 1 : 0;
    return placed;
}

// 使用 with 补齐尺寸: the usable roles applied as Apply applies them (the
// history recorded by Apply), then the scheme recorded in force.
SchemeUsed UseThroughApply(const WriterLock& lock, const library::SchemeEntry& entry, SizeFill& fill,
                           PointerSystem& system, SchemeUsed used) {
    WorkingScheme scheme;
    for (const CursorRole& role : kRoles) {
        if (!used.unusable[RoleIndex(role.number)].empty()) continue;
        const bool windowsDefault = entry.SlotOf(role.number).state == schemes::SlotState::WindowsDefault;
        if (!windowsDefault) scheme.RoleCursorFile(role.number) = entry.FileOf(role.number);
        scheme.SetWindowsDefault(role.number, windowsDefault);
        scheme.SetRoleChanged(role.number, true);
    }
    HCURSOR handedOver = nullptr;
    used.applied = ApplyChangedRoles(lock, system, scheme, handedOver, nullptr, {}, &fill);
    used.written = used.applied.applied();
    if (used.written == 0) {
        used.kind = SchemeUsed::Kind::Refused;
        return used;
    }
    used.inForce = library::SetInForce(entry.name, static_cast<DWORD>(entry.source));
    return used;
}

}  // namespace

int Placement::Placed() const { return CountPlaced(roles); }
int SchemeSaved::Placed() const { return CountPlaced(roles); }

std::vector<StagedFile> StageAll(std::span<const StageRequest> requests, const std::function<void()>& whileFlushing) {
    std::vector<StagedFile> staged;
    staged.reserve(requests.size());
    std::vector<UniqueFile> writers(requests.size());
    std::vector<DWORD> errors(requests.size(), ERROR_SUCCESS);
    for (size_t i = 0; i < requests.size(); ++i) {
        const StageRequest& request = requests[i];
        staged.push_back({TemporaryFile(FolderOf(request.destination) + L"~" + NameOf(request.destination) + L".tmp"), {}, {}});
        errors[i] = WriteFileOpen(staged.back().file.path(), *request.bytes, writers[i]);
    }
    // The caller's own work while the copies' bytes are on their way to the
    // disk; then each is flushed. Flushing on threads of their own was
    // slower under Wine: making the threads cost more than the flushes
    // waited together saved.
    if (whileFlushing) whileFlushing();
    for (size_t i = 0; i < requests.size(); ++i) {
        if (writers[i] && !FlushFileBuffers(writers[i].get())) errors[i] = GetLastError();
        writers[i].reset();
    }
    for (size_t i = 0; i < requests.size(); ++i) {
        const StageRequest& request = requests[i];
        StagedFile& file = staged[i];
        if (errors[i] != ERROR_SUCCESS) {
            file.problem = Problem(WriteProblem::Kind::NotWritten, errors[i], request.destination);
            continue;
        }
        UniqueFile held(CreateFileW(file.file.path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!held) {
            file.problem = Problem(WriteProblem::Kind::ReadBackDiffers, GetLastError(), request.destination);
            continue;
        }
        const CursorBytes back = ReadCursorBytes(file.file.path(), held.get(), request.checkCursor);
        if (back.error != ERROR_SUCCESS || back.bytes != *request.bytes) {
            file.problem = Problem(WriteProblem::Kind::ReadBackDiffers, back.error, request.destination);
        } else if (request.checkCursor && !back.check.ok()) {
            file.problem = Problem(WriteProblem::Kind::NotACursor, ERROR_SUCCESS, request.destination);
            file.problem.cursor = back.Problem();
        } else if (request.keepHeld) {
            file.held = std::move(held);
        }
    }
    return staged;
}

StagedFile StageBytes(const std::wstring& destination, const std::vector<std::uint8_t>& bytes, bool checkCursor,
                      bool keepHeld) {
    const StageRequest request{destination, &bytes, checkCursor, keepHeld};
    return std::move(StageAll(std::span(&request, 1)).front());
}

WriteProblem MoveIn(StagedFile& staged, const std::wstring& destination) {
    const DWORD attributes = GetFileAttributesW(destination.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Problem(WriteProblem::Kind::FolderInTheWay, ERROR_ACCESS_DENIED, destination);
    }
    staged.held.reset();
    if (!MoveFileExW(staged.file.path().c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return Problem(WriteProblem::Kind::NotMoved, GetLastError(), destination);
    }
    staged.file.Keep();
    return {};
}

Placement PlaceFiles(const std::wstring& folder, const std::vector<RoleBytes>& files, Placing placing) {
    Placement placement;
    for (const RoleBytes& file : files) placement.roles.push_back({file.role, folder + Role(file.role).FileName(), {}});
    if (const DWORD error = EnsureFolderPath(folder); error != ERROR_SUCCESS) {
        placement.problem = Problem(WriteProblem::Kind::FolderNotMade, error, folder);
        for (PlacedRole& role : placement.roles) role.problem = placement.problem;
        return placement;
    }
    std::vector<StageRequest> requests;
    requests.reserve(files.size());
    for (size_t i = 0; i < files.size(); ++i) requests.push_back({placement.roles[i].file, &files[i].bytes});
    std::vector<StagedFile> staged = StageAll(requests);
    if (placing == Placing::EachOnItsOwn) {
        for (size_t i = 0; i < files.size(); ++i) {
            PlacedRole& role = placement.roles[i];
            role.problem = staged[i].problem.ok() ? MoveIn(staged[i], role.file) : staged[i].problem;
        }
        return placement;
    }
    // Every copy staged and checked before any moves in; then each move
    // replaces a whole file with a whole one.
    for (size_t i = 0; i < files.size(); ++i) {
        if (!staged[i].problem.ok()) {
            placement.problem = staged[i].problem;
            placement.roles[i].problem = placement.problem;
            return placement;
        }
    }
    for (size_t i = 0; i < files.size(); ++i) {
        placement.roles[i].problem = MoveIn(staged[i], placement.roles[i].file);
        if (!placement.roles[i].problem.ok()) {
            placement.problem = placement.roles[i].problem;
            return placement;
        }
    }
    return placement;
}

SchemeSaved SaveScheme(const WriterLock& lock, library::Source source, std::wstring_view name,
                       const std::vector<RoleBytes>& files, Placing placing, const SlotExpansion& expand) {
    SchemeSaved saved;
    const WriteScope scope = source == library::Source::System ? WriteScope::Machine : WriteScope::User;
    if (!lock.Covers(scope)) {
        saved.problem = Problem(WriteProblem::Kind::NotLocked, ERROR_NOT_LOCKED);
        return saved;
    }
    saved.folder = library::SchemeFolder(name, source);
    if (saved.folder.empty()) {
        saved.problem = source == library::Source::System
                            ? Problem(WriteProblem::Kind::NoWindowsFolder, ERROR_ENVVAR_NOT_FOUND)
                            : Problem(WriteProblem::Kind::NoStore, ERROR_PATH_NOT_FOUND);
        return saved;
    }
    Placement placement = PlaceFiles(saved.folder, files, placing);
    saved.roles = std::move(placement.roles);
    if (!placement.problem.ok()) {
        saved.problem = placement.problem;
        return saved;
    }
    if (!files.empty() && saved.Placed() == 0) {
        saved.problem = Problem(WriteProblem::Kind::NothingPlaced);
        return saved;
    }

    std::array<bool, kRoleCount> withFile{};
    std::vector<std::wstring> expected(schemes::kSlotCount);
    for (const PlacedRole& role : saved.roles) {
        if (!role.problem.ok()) continue;
        withFile[RoleIndex(role.role)] = true;
        expected[SlotOf(role.role)] = role.file;
    }
    const std::wstring_view list = library::ListKey(source);
    const std::optional<StoredValue> before = ReadStored(list, name);
    if (const LSTATUS status = library::WriteScheme(source, name, withFile); status != ERROR_SUCCESS) {
        saved.problem = status == ERROR_INVALID_NAME
                            ? Problem(WriteProblem::Kind::InvalidName, static_cast<DWORD>(status))
                            : Problem(WriteProblem::Kind::RegistryNotWritten, static_cast<DWORD>(status));
        return saved;
    }
    // Read back as Windows reads it for a user: every slot expanded must
    // name exactly the file placed, or the list would send Windows elsewhere.
    std::wstring written;
    if (const LSTATUS status = registry::KeyReader(list).Read(name, written); status != ERROR_SUCCESS) {
        PutBack(list, name, before);
        saved.problem = Problem(WriteProblem::Kind::RegistryNotWritten, static_cast<DWORD>(status));
        return saved;
    }
    if (const std::optional<std::wstring> other = SlotNamingOther(written, expected, expand)) {
        PutBack(list, name, before);
        saved.problem = Problem(WriteProblem::Kind::EntryNamesOther, ERROR_INVALID_DATA, *other);
    }
    return saved;
}

SchemeUsed UseScheme(const WriterLock& lock, const library::SchemeEntry& entry, SizeFill* fill,
                     PointerSystem* system) {
    SchemeUsed used;
    if (!lock.Covers(WriteScope::User)) {
        used.kind = SchemeUsed::Kind::NotLocked;
        return used;
    }
    if (entry.state != schemes::ValueState::Read) {
        used.kind = SchemeUsed::Kind::Unreadable;
        return used;
    }
    used.unusable = library::CheckSchemeFiles(entry);
    // A scheme that names files, none of which can be used, holds nothing
    // usable; one that names none is Windows' own pointers, and usable.
    int named = 0;
    int usable = 0;
    for (const CursorRole& role : kRoles) {
        if (entry.SlotOf(role.number).state == schemes::SlotState::WindowsDefault) continue;
        ++named;
        if (used.unusable[RoleIndex(role.number)].empty()) ++usable;
    }
    if (named > 0 && usable == 0) {
        used.kind = SchemeUsed::Kind::NothingUsable;
        return used;
    }
    if (fill != nullptr && system != nullptr) return UseThroughApply(lock, entry, *fill, *system, std::move(used));
    RecordPointersInForce(lock);
    Mark(nullptr, "record the pointers in force (history)");
    registry::KeyWriter writer(kCursorsKeyPath);
    for (const CursorRole& role : kRoles) {
        const size_t index = RoleIndex(role.number);
        if (!used.unusable[index].empty()) continue;
        // An empty value is Windows' own pointer for the role.
        used.status[index] = writer.Write(role.valueName, entry.FileOf(role.number));
        if (used.status[index] == ERROR_SUCCESS) ++used.written;
        Mark(nullptr, "write the setting");
    }
    if (used.written == 0) {
        used.kind = SchemeUsed::Kind::Refused;
        return used;
    }
    used.inForce = library::SetInForce(entry.name, static_cast<DWORD>(entry.source));
    return used;
}

LSTATUS DeleteScheme(const WriterLock& lock, std::wstring_view name) {
    if (!lock.Covers(WriteScope::User)) return ERROR_NOT_LOCKED;
    return library::DeleteUserScheme(name);
}

LSTATUS RecordInForce(const WriterLock& lock, std::wstring_view name, library::Source source) {
    if (!lock.Covers(WriteScope::User)) return ERROR_NOT_LOCKED;
    return library::SetInForce(name, static_cast<DWORD>(source));
}

}  // namespace shubiao
