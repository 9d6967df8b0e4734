#include "scheme/SchemeLibrary.h"

#include <optional>
#include <span>
#include <utility>

#include "scheme/formats/CursorFileCheck.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/Store.h"
#include "win/Text.h"

namespace shubiao::library {
namespace {

// The process's environment, as Windows expands a REG_EXPAND_SZ value for it.
schemes::VariableLookup EnvironmentLookup() {
    return [](std::string_view name) -> std::optional<std::string> {
        const std::optional<std::wstring> wide = FromUtf8(name);
        if (!wide || wide->find(L'\0') != std::wstring::npos) return std::nullopt;
        const std::optional<std::wstring> value = EnvironmentVariable(wide->c_str());
        if (!value) return std::nullopt;
        return ToUtf8(*value);
    };
}

// Slot index of each role, from the role's value name.
int SlotIndex(int role) { return SchemePosition(ToUtf8(Role(role).valueName)); }

}  // namespace

std::wstring_view ListKey(Source source) { return source == Source::System ? kSystemSchemesKey : kUserSchemesKey; }

const schemes::Slot& SchemeEntry::SlotOf(int role) const { return slots.at(static_cast<size_t>(SlotIndex(role))); }

std::wstring SchemeEntry::FileOf(int role) const {
    const schemes::Slot& slot = SlotOf(role);
    if (slot.state != schemes::SlotState::Path) return {};
    return FromUtf8(slot.path).value_or(std::wstring());
}

bool SchemeEntry::Usable() const {
    if (state != schemes::ValueState::Read) return false;
    for (const schemes::Slot& slot : slots) {
        if (slot.state == schemes::SlotState::Refused) return false;
    }
    return true;
}

void ReadSchemeList(Source source, SchemeListing& listing) {
    const registry::ValueList values = registry::EnumerateValues(ListKey(source), kMaxListedValues,
                                                                 schemes::kMaxValueBytes);
    listing.leftOut = listing.leftOut || values.more;
    const schemes::VariableLookup lookup = EnvironmentLookup();
    for (const registry::ValueData& value : values.values) {
        const schemes::ValueType type = value.type == REG_SZ          ? schemes::ValueType::Text
                                        : value.type == REG_EXPAND_SZ ? schemes::ValueType::ExpandableText
                                                                      : schemes::ValueType::Other;
        schemes::SchemeValue read;
        if (type == schemes::ValueType::Other) {
            read.state = schemes::ValueState::Skipped;
        } else if (value.tooLarge) {
            read.state = schemes::ValueState::Unreadable;
        } else {
            read = schemes::ReadSchemeValue(value.data, type, lookup);
        }
        if (read.state == schemes::ValueState::Skipped) continue;
        // The unnamed value of the key is not a scheme, whatever it holds.
        if (value.name.empty()) continue;
        listing.schemes.push_back(SchemeEntry{value.name, source, read.state, std::move(read.slots)});
    }
}

SchemeListing ReadSchemeLists() {
    SchemeListing listing;
    ReadSchemeList(Source::System, listing);
    ReadSchemeList(Source::User, listing);
    return listing;
}

std::wstring PointerCountText(const std::array<bool, kRoleCount>& has) {
    int classic = 0;
    std::wstring later;
    for (size_t slot = 0; slot < schemes::kSlotCount; ++slot) {
        const CursorRole* role = FindRole(FromUtf8(kSchemeOrder[slot]).value_or(L""));
        if (role == nullptr || !has[RoleIndex(role->number)]) continue;
        if (slot < kClassicRoleCount) {
            ++classic;
        } else {
            later += (later.empty() ? L"" : L"、") + role->Name();
        }
    }
    std::wstring text = std::to_wstring(classic) + L" 个指针";
    if (!later.empty()) text += L"，另有 " + later;
    return text;
}

std::array<bool, kRoleCount> RolesWithFile(const SchemeEntry& entry) {
    std::array<bool, kRoleCount> has{};
    for (const CursorRole& role : kRoles) {
        has[RoleIndex(role.number)] = entry.SlotOf(role.number).state == schemes::SlotState::Path;
    }
    return has;
}

std::wstring SlotProblem(const schemes::Slot& slot) {
    if (slot.state != schemes::SlotState::Refused) return {};
    using schemes::Refusal;
    switch (slot.refusal) {
    case Refusal::UndefinedVariable:
        return L"路径中的环境变量“%" + FromUtf8(slot.detail).value_or(L"?") + L"%”没有定义。";
    case Refusal::TooLong:
        return L"路径太长。";
    case Refusal::LoneSurrogate:
        return L"路径中有无法识别的字符。";
    case Refusal::NetworkOrDevice:
        return L"路径指向网络位置或设备，不予打开。";
    case Refusal::NotAbsolute:
        return L"路径不完整（应以盘符开头，例如 C:\\）。";
    case Refusal::ForbiddenCharacter:
        return L"路径中有不允许的字符“" + FromUtf8(slot.detail).value_or(L"?") + L"”。";
    case Refusal::Folder:
        return L"路径指向文件夹，不是文件。";
    case Refusal::None:
        break;
    }
    return L"路径无法使用。";
}

std::wstring EntryProblem(const SchemeEntry& entry) {
    if (entry.state == schemes::ValueState::Unreadable) return L"方案的数据超过 32 KB，没有读取。";
    for (const schemes::Slot& slot : entry.slots) {
        if (slot.state == schemes::SlotState::Refused) return SlotProblem(slot);
    }
    return {};
}

std::array<std::wstring, kRoleCount> CheckSchemeFiles(const SchemeEntry& entry) {
    std::array<std::wstring, kRoleCount> problems;
    if (entry.state != schemes::ValueState::Read) {
        problems.fill(EntryProblem(entry));
        return problems;
    }
    for (const CursorRole& role : kRoles) {
        std::wstring& problem = problems[RoleIndex(role.number)];
        const schemes::Slot& slot = entry.SlotOf(role.number);
        if (slot.state == schemes::SlotState::WindowsDefault) continue;
        if (slot.state == schemes::SlotState::Refused) {
            problem = SlotProblem(slot);
            continue;
        }
        const std::wstring file = entry.FileOf(role.number);
        const DWORD attributes = GetFileAttributesW(file.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            problem = L"文件不存在。";
        } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            problem = L"路径指向文件夹，不是文件。";
        } else if (const CursorCheck check = CheckCursorFileAt(file.c_str()); !check.ok()) {
            problem = std::wstring(DescribeCursorFault(check.fault));
        }
    }
    return problems;
}

InForce ReadInForce() {
    InForce inForce;
    const registry::KeyReader reader(kCursorsKeyPath);
    if (reader.Read(L"", inForce.name) != ERROR_SUCCESS) inForce.name.clear();
    std::wstring source;
    if (reader.Read(kSchemeSourceValue, source) == ERROR_SUCCESS && !source.empty() &&
        source.find_first_not_of(L"0123456789") == std::wstring::npos && source.size() <= 10) {
        inForce.source = static_cast<DWORD>(std::stoull(source));
    }
    return inForce;
}

LSTATUS SetInForce(std::wstring_view name, DWORD source) {
    registry::KeyWriter writer(kCursorsKeyPath);
    if (const LSTATUS status = writer.Write(L"", name); status != ERROR_SUCCESS) return status;
    return writer.WriteDword(kSchemeSourceValue, source);
}

std::wstring SchemeFolder(std::wstring_view name, Source source) {
    if (source == Source::User) return UserSchemeFolder(name);
    const std::optional<std::wstring> root = EnvironmentVariable(L"SystemRoot");
    if (!root || root->empty()) return {};
    return *root + L"\\Cursors\\" + std::wstring(name) + L"\\";
}

std::wstring RecordedPath(std::wstring_view name, int role, Source source) {
    if (source == Source::User) return UserSchemeFolder(name) + Role(role).FileName();
    return L"%SystemRoot%\\Cursors\\" + std::wstring(name) + L"\\" + Role(role).FileName();
}

std::vector<std::string> SystemSchemeNames(const SchemeListing& listing) {
    std::vector<std::string> names;
    for (const SchemeEntry& entry : listing.schemes) {
        if (entry.source == Source::System) names.push_back(ToUtf8(entry.name));
    }
    return names;
}

LSTATUS WriteScheme(Source source, std::wstring_view name, const std::array<bool, kRoleCount>& withFile) {
    std::vector<std::string> systemNames;
    if (source == Source::User) {
        SchemeListing system;
        ReadSchemeList(Source::System, system);
        systemNames = SystemSchemeNames(system);
    }
    const schemes::NameCheck check = schemes::CheckSchemeName(ToUtf8(name), systemNames);
    if (check.problem != schemes::NameProblem::None || FromUtf8(check.name) != std::wstring(name)) {
        return ERROR_INVALID_NAME;
    }
    if (SchemeFolder(name, source).empty()) {
        return source == Source::User ? ERROR_PATH_NOT_FOUND : ERROR_ENVVAR_NOT_FOUND;
    }
    std::array<std::wstring, schemes::kSlotCount> entries;
    for (const CursorRole& role : kRoles) {
        if (withFile[RoleIndex(role.number)]) {
            entries[static_cast<size_t>(SlotIndex(role.number))] = RecordedPath(name, role.number, source);
        }
    }
    std::wstring text;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (i > 0) text += L',';
        text += entries[i];
    }
    // What is written must read back as the files meant: every path whole
    // once SystemRoot is expanded (a store path with a comma in it is not),
    // nothing past the reader's bound.
    const schemes::SchemeValue back = schemes::ReadSchemeValue(
        std::span(reinterpret_cast<const std::uint8_t*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t)),
        schemes::ValueType::ExpandableText, EnvironmentLookup());
    if (back.state != schemes::ValueState::Read) return ERROR_INVALID_DATA;
    for (size_t i = 0; i < entries.size(); ++i) {
        const schemes::SlotState expected =
            entries[i].empty() ? schemes::SlotState::WindowsDefault : schemes::SlotState::Path;
        if (back.slots[i].state != expected) return ERROR_INVALID_DATA;
    }
    registry::KeyWriter writer(ListKey(source));
    return writer.WriteExpandable(name, text);
}

LSTATUS DeleteUserScheme(std::wstring_view name) {
    registry::KeyWriter writer(kUserSchemesKey);
    if (const LSTATUS status = writer.Delete(name); status != ERROR_SUCCESS) return status;
    const InForce inForce = ReadInForce();
    if (EqualNoCase(inForce.name, name) && inForce.source != static_cast<DWORD>(Source::System)) {
        return ClearInForce();
    }
    return ERROR_SUCCESS;
}

}  // namespace shubiao::library
