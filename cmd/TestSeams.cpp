// The test build's stand-ins (compiled only into ShuBiaoCmdTest.exe, never
// into the shipped ShuBiaoCmd.exe). The tests start the program with these
// environment variables:
//   SHUBIAO_TEST_CURSORS_KEY  a key path that stands for HKCU\Control Panel\Cursors
//                             (and so for the user's Schemes list beneath it)
//   SHUBIAO_TEST_SYSTEM_KEY   a key path that stands for HKLM's Schemes list
//   SHUBIAO_TEST_ADMIN        "1" or "0": the answer of the administrator check
//   SHUBIAO_TEST_HOLD_MS      how long each write holds the lock before it starts
//   SHUBIAO_TEST_LOCK_WAIT_MS how long to wait for another writer (instead of 10 s)
//   SHUBIAO_TEST_LOCK_NAME    the writer lock's name (the test run's own, not the
//                             shipped Global\ShuBiao.PointerWriter)
//   SHUBIAO_TEST_ROAMING_STORE, SHUBIAO_TEST_LOCAL_STORE
//                             the folders that stand for the user's roaming and
//                             local store (scheme/Store.h)
//   SHUBIAO_TEST_SYSTEMROOT   the folder that stands for %SystemRoot% (Wine gives
//                             every new process its own SystemRoot, whatever
//                             the parent's environment says)
// %windir% is taken from the environment by the shipped program as well, so
// the tests set it to a scratch folder directly.
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "cmd/Run.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "scheme/WriterLock.h"

namespace shubiao::cli {

void ApplyTestSeams(Context& context) {
    static std::vector<std::unique_ptr<registry::ScopedRedirect>> redirects;
    if (const auto key = EnvironmentVariable(L"SHUBIAO_TEST_CURSORS_KEY"); key && !key->empty()) {
        redirects.push_back(std::make_unique<registry::ScopedRedirect>(std::wstring(kCursorsKeyPath), *key));
    }
    if (const auto key = EnvironmentVariable(L"SHUBIAO_TEST_SYSTEM_KEY"); key && !key->empty()) {
        redirects.push_back(
            std::make_unique<registry::ScopedRedirect>(std::wstring(library::kSystemSchemesKey), *key));
    }
    if (const auto root = EnvironmentVariable(L"SHUBIAO_TEST_SYSTEMROOT"); root && !root->empty()) {
        SetEnvironmentVariableW(L"SystemRoot", root->c_str());
    }
    const auto roaming = EnvironmentVariable(L"SHUBIAO_TEST_ROAMING_STORE");
    const auto local = EnvironmentVariable(L"SHUBIAO_TEST_LOCAL_STORE");
    if (roaming || local) SetStoreFolders(roaming.value_or(L""), local.value_or(L""));
    if (const auto admin = EnvironmentVariable(L"SHUBIAO_TEST_ADMIN"); admin && !admin->empty()) {
        const bool answer = *admin == L"1";
        context.isAdministrator = [answer] { return answer; };
    }
    if (const auto hold = EnvironmentVariable(L"SHUBIAO_TEST_HOLD_MS"); hold && !hold->empty()) {
        context.holdLockMilliseconds = static_cast<DWORD>(std::wcstoul(hold->c_str(), nullptr, 10));
    }
    if (const auto wait = EnvironmentVariable(L"SHUBIAO_TEST_LOCK_WAIT_MS"); wait && !wait->empty()) {
        context.lockWaitMilliseconds = static_cast<DWORD>(std::wcstoul(wait->c_str(), nullptr, 10));
    }
    if (const auto name = EnvironmentVariable(L"SHUBIAO_TEST_LOCK_NAME"); name && !name->empty()) {
        SetWriterLockName(*name);
    }
}

}  // namespace shubiao::cli
