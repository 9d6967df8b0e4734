#include "scheme/CursorSettings.h"

#include <array>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao::registry {
namespace {

struct Redirect {
    unsigned id;
    std::wstring from;
    std::wstring to;
};
std::vector<Redirect> g_redirects;  // in the order made
unsigned g_lastRedirectId = 0;

struct WriteFault {
    std::wstring valueName;
    LSTATUS error;
};
std::optional<WriteFault> g_writeFault;

HKEY RootByName(std::wstring_view name) {
    struct Root {
        std::wstring_view longName;
        std::wstring_view shortName;
        HKEY key;
    };
    static const std::array<Root, 5> roots{{
        {L"HKEY_CURRENT_USER", L"HKCU", HKEY_CURRENT_USER},
        {L"HKEY_LOCAL_MACHINE", L"HKLM", HKEY_LOCAL_MACHINE},
        {L"HKEY_CLASSES_ROOT", L"HKCR", HKEY_CLASSES_ROOT},
        {L"HKEY_USERS", L"HKU", HKEY_USERS},
        {L"HKEY_CURRENT_CONFIG", L"HKCC", HKEY_CURRENT_CONFIG},
    }};
    for (const Root& root : roots) {
        if (EqualNoCase(name, root.longName) || EqualNoCase(name, root.shortName)) return root.key;
    }
    return nullptr;
}

std::wstring ApplyRedirect(std::wstring_view path) {
    for (auto redirect = g_redirects.rbegin(); redirect != g_redirects.rend(); ++redirect) {
        const std::wstring& from = redirect->from;
        if (path.size() > from.size() && path[from.size()] == L'\\' &&
            EqualNoCase(path.substr(0, from.size()), from)) {
            return redirect->to + std::wstring(path.substr(from.size()));
        }
    }
    return std::wstring(path);
}

}  // namespace

ScopedRedirect::ScopedRedirect(std::wstring from, std::wstring to) : id_(++g_lastRedirectId) {
    g_redirects.push_back(Redirect{id_, std::move(from), std::move(to)});
}

ScopedRedirect::~ScopedRedirect() {
    std::erase_if(g_redirects, [this](const Redirect& redirect) { return redirect.id == id_; });
}

ScopedWriteFault::ScopedWriteFault(std::wstring valueName, LSTATUS error) {
    g_writeFault = WriteFault{std::move(valueName), error};
}

ScopedWriteFault::~ScopedWriteFault() { g_writeFault.reset(); }

bool ResolveValuePath(std::wstring_view valuePath, ValueLocation& location) {
    const std::wstring path = ApplyRedirect(valuePath);
    const size_t firstSlash = path.find(L'\\');
    const size_t lastSlash = path.rfind(L'\\');
    if (firstSlash == std::wstring::npos) return false;
    location.root = RootByName(std::wstring_view(path).substr(0, firstSlash));
    if (location.root == nullptr) return false;
    location.subkey = firstSlash == lastSlash ? std::wstring() : path.substr(firstSlash + 1, lastSlash - firstSlash - 1);
    location.valueName = path.substr(lastSlash + 1);
    return true;
}

namespace {

// One REG_SZ, REG_EXPAND_SZ (as stored) or REG_DWORD (as decimal text) value.
// A path fits the first buffer, so one query usually does.
LSTATUS ReadString(HKEY key, const std::wstring& valueName, std::wstring& data) {
    std::wstring text(MAX_PATH + 1, L'\0');
    for (;;) {
        DWORD type = 0;
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LSTATUS status =
            RegQueryValueExW(key, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes);
        if (status == ERROR_MORE_DATA) {  // larger than the buffer (or grew since it was sized)
            text.assign(bytes / sizeof(wchar_t) + 2, L'\0');
            continue;
        }
        if (status != ERROR_SUCCESS) return status;
        if (type == REG_DWORD && bytes == sizeof(DWORD)) {
            DWORD value = 0;
            std::memcpy(&value, text.data(), sizeof(value));
            data = std::to_wstring(value);
            return ERROR_SUCCESS;
        }
        if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_UNSUPPORTED_TYPE;
        text.resize(bytes / sizeof(wchar_t));
        // Stored strings may or may not carry their terminating NULs.
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos) text.resize(nul);
        data = std::move(text);
        return ERROR_SUCCESS;
    }
}

}  // namespace

LSTATUS RegRead(std::wstring_view valuePath, std::wstring& data) {
    ValueLocation where;
    if (!ResolveValuePath(valuePath, where)) return ERROR_INVALID_PARAMETER;
    UniqueHKey key;
    const LSTATUS status = RegOpenKeyExW(where.root, where.subkey.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (status != ERROR_SUCCESS) return status;
    return ReadString(key.get(), where.valueName, data);
}

KeyReader::KeyReader(std::wstring_view keyPath) {
    ValueLocation where;
    if (!ResolveValuePath(std::wstring(keyPath) + L"\\-", where)) {
        opened_ = ERROR_INVALID_PARAMETER;
        return;
    }
    opened_ = RegOpenKeyExW(where.root, where.subkey.c_str(), 0, KEY_QUERY_VALUE, key_.put());
}

LSTATUS KeyReader::Read(std::wstring_view valueName, std::wstring& data) const {
    if (opened_ != ERROR_SUCCESS) return opened_;
    return ReadString(key_.get(), std::wstring(valueName), data);
}

LSTATUS KeyReader::ReadDword(std::wstring_view valueName, DWORD& value) const {
    if (opened_ != ERROR_SUCCESS) return opened_;
    DWORD bytes = sizeof(value);
    return RegGetValueW(key_.get(), nullptr, std::wstring(valueName).c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                        &bytes);
}

namespace {

LSTATUS SetValue(HKEY key, const std::wstring& valueName, DWORD type, const void* data, DWORD bytes) {
    if (g_writeFault && EqualNoCase(g_writeFault->valueName, valueName)) return g_writeFault->error;
    return RegSetValueExW(key, valueName.c_str(), 0, type, static_cast<const BYTE*>(data), bytes);
}

LSTATUS WriteString(HKEY key, const std::wstring& valueName, std::wstring_view data, DWORD type = REG_SZ) {
    const std::wstring text(data);
    return SetValue(key, valueName, type, text.c_str(), static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LSTATUS CreateKey(const ValueLocation& where, UniqueHKey& key) {
    return RegCreateKeyExW(where.root, where.subkey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                           nullptr, key.put(), nullptr);
}

}  // namespace

LSTATUS RegWrite(std::wstring_view valuePath, std::wstring_view data) {
    ValueLocation where;
    if (!ResolveValuePath(valuePath, where)) return ERROR_INVALID_PARAMETER;
    UniqueHKey key;
    if (const LSTATUS status = CreateKey(where, key); status != ERROR_SUCCESS) return status;
    return WriteString(key.get(), where.valueName, data);
}

KeyWriter::KeyWriter(std::wstring_view keyPath) : keyPath_(keyPath) {}

LSTATUS KeyWriter::Open() {
    if (!tried_) {
        tried_ = true;
        ValueLocation where;
        opened_ = ResolveValuePath(keyPath_ + L"\\-", where) ? CreateKey(where, key_) : ERROR_INVALID_PARAMETER;
    }
    return opened_;
}

LSTATUS KeyWriter::Write(std::wstring_view valueName, std::wstring_view data) {
    if (const LSTATUS status = Open(); status != ERROR_SUCCESS) return status;
    return WriteString(key_.get(), std::wstring(valueName), data);
}

LSTATUS KeyWriter::WriteExpandable(std::wstring_view valueName, std::wstring_view data) {
    if (const LSTATUS status = Open(); status != ERROR_SUCCESS) return status;
    return WriteString(key_.get(), std::wstring(valueName), data, REG_EXPAND_SZ);
}

LSTATUS KeyWriter::WriteDword(std::wstring_view valueName, DWORD data) {
    if (const LSTATUS status = Open(); status != ERROR_SUCCESS) return status;
    return SetValue(key_.get(), std::wstring(valueName), REG_DWORD, &data, sizeof(data));
}

LSTATUS KeyWriter::Delete(std::wstring_view valueName) {
    if (const LSTATUS status = Open(); status != ERROR_SUCCESS) return status;
    return RegDeleteValueW(key_.get(), std::wstring(valueName).c_str());
}

LSTATUS RegDelete(std::wstring_view valuePath) {
    ValueLocation where;
    if (!ResolveValuePath(valuePath, where)) return ERROR_INVALID_PARAMETER;
    UniqueHKey key;
    LSTATUS status = RegOpenKeyExW(where.root, where.subkey.c_str(), 0, KEY_SET_VALUE, key.put());
    if (status != ERROR_SUCCESS) return status;
    return RegDeleteValueW(key.get(), where.valueName.c_str());
}

ValueList EnumerateValues(std::wstring_view keyPath, std::size_t maxValues, std::size_t maxBytes) {
    ValueList list;
    ValueLocation where;
    if (!ResolveValuePath(std::wstring(keyPath) + L"\\-", where)) {
        list.status = ERROR_INVALID_PARAMETER;
        return list;
    }
    UniqueHKey key;
    list.status = RegOpenKeyExW(where.root, where.subkey.c_str(), 0, KEY_QUERY_VALUE, key.put());
    if (list.status != ERROR_SUCCESS) return list;
    // Value names are at most 16,383 characters.
    std::vector<wchar_t> name(16384);
    std::vector<std::uint8_t> data(maxBytes + 2);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = static_cast<DWORD>(name.size());
        DWORD type = REG_NONE;
        DWORD bytes = static_cast<DWORD>(data.size());
        const LSTATUS status = RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type, data.data(), &bytes);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) continue;  // a name that does not fit: not ours
        if (list.values.size() == maxValues) {
            list.more = true;
            break;
        }
        ValueData value;
        value.type = type;
        value.tooLarge = status == ERROR_MORE_DATA || bytes > maxBytes;
        if (status == ERROR_MORE_DATA) {
            // The data did not fit, and the name is not promised then: ask
            // for the name alone.
            nameLength = static_cast<DWORD>(name.size());
            if (RegEnumValueW(key.get(), index, name.data(), &nameLength, nullptr, &type, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                continue;
            }
            value.type = type;
        } else if (!value.tooLarge) {
            value.data.assign(data.begin(), data.begin() + bytes);
        }
        value.name.assign(name.data(), nameLength);
        list.values.push_back(std::move(value));
    }
    return list;
}

}  // namespace shubiao::registry
