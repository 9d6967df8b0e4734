#include "scheme/RegistryQuery.h"

#include "win/Raii.h"

namespace shubiao {

LONG ReadRegValue(HKEY key, const std::wstring& valueName, RegistryVariant& value) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExW(key, valueName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) type = 0;

    if (type == REG_SZ) {
        std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
        DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        const LONG status = RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr,
                                             reinterpret_cast<BYTE*>(text.data()), &bytes);
        if (status != ERROR_SUCCESS) {
            value = std::monostate{};
            return status;
        }
        text.resize(bytes / sizeof(wchar_t));
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos) text.resize(nul);
        value = std::move(text);
        return status;
    }
    if (type == REG_DWORD) {
        DWORD data = 0;
        DWORD bytes = sizeof(data);
        const LONG status =
            RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data), &bytes);
        if (status == ERROR_SUCCESS) value = static_cast<std::int32_t>(data);
        return status;
    }
    return -1;
}

RegistryVariant QueryValue(HKEY root, const std::wstring& keyName, const std::wstring& valueName) {
    RegistryVariant value;
    UniqueHKey key;
    if (RegOpenKeyExW(root, keyName.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return value;
    ReadRegValue(key.get(), valueName, value);
    return value;
}

}  // namespace shubiao
