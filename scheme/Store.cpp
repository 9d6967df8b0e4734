#include "scheme/Store.h"

#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <atomic>
#include <mutex>

#include "win/Dll.h"

namespace shubiao {
namespace {

struct StoreOverride {
    std::mutex guard;
    std::wstring roaming;
    std::wstring local;
};

StoreOverride& Override() {
    static StoreOverride value;
    return value;
}

std::wstring WithBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    return folder;
}

std::atomic<KnownFolderFunction>& TestKnownFolder() {
    static std::atomic<KnownFolderFunction> known{nullptr};
    return known;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    // Shell32 is loaded when a store folder is first asked for, not when
    // the program starts (win/Dll.h).
    static const auto shell = SystemFunction<decltype(::SHGetKnownFolderPath)>(L"shell32.dll", "SHGetKnownFolderPath");
    const KnownFolderFunction replaced = TestKnownFolder().load();
    const KnownFolderFunction known = replaced != nullptr ? replaced : shell;
    if (known == nullptr) return {};
    // KF_FLAG_DONT_VERIFY: the path is wanted even when the folder is not
    // there yet; the actions make what they need and report what fails.
    const HRESULT hr = known(id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::wstring folder = SUCCEEDED(hr) && path != nullptr ? std::wstring(path) : std::wstring();
    CoTaskMemFree(path);
    return folder;
}

std::wstring StoreIn(const std::wstring& overridden, REFKNOWNFOLDERID id) {
    if (!overridden.empty()) return WithBackslash(overridden);
    const std::wstring base = KnownFolder(id);
    if (base.empty()) return {};
    return WithBackslash(base) + L"ShuBiao\\";
}

}  // namespace

std::wstring RoamingStoreFolder() {
    std::wstring overridden;
    {
        std::lock_guard lock(Override().guard);
        overridden = Override().roaming;
    }
    return StoreIn(overridden, FOLDERID_RoamingAppData);
}

std::wstring LocalStoreFolder() {
    std::wstring overridden;
    {
        std::lock_guard lock(Override().guard);
        overridden = Override().local;
    }
    return StoreIn(overridden, FOLDERID_LocalAppData);
}

std::wstring AppliedFolder() {
    const std::wstring store = RoamingStoreFolder();
    return store.empty() ? store : store + L"Applied\\";
}

std::wstring UserSchemeFolder(std::wstring_view name) {
    const std::wstring store = RoamingStoreFolder();
    if (store.empty()) return store;
    std::wstring folder = store + L"Schemes\\";
    folder += name;
    folder += L'\\';
    return folder;
}

std::wstring HistoryFolder() {
    const std::wstring store = LocalStoreFolder();
    return store.empty() ? store : store + L"History\\";
}

void SetStoreFolders(std::wstring roaming, std::wstring local) {
    std::lock_guard lock(Override().guard);
    Override().roaming = std::move(roaming);
    Override().local = std::move(local);
}

void SetKnownFolderFunction(KnownFolderFunction known) { TestKnownFolder().store(known); }

}  // namespace shubiao
