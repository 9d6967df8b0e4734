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
//   SHUBIAO_TEST_STORE_ROAMING, SHUBIAO_TEST_STORE_LOCAL
//                             the folders that stand for the user's roaming and
//                             local store (scheme/Store.h: SetStoreFolders)
//   SHUBIAO_TEST_SYSTEMROOT   the folder that stands for %SystemRoot% (Wine gives
//                             every new process its own SystemRoot, whatever
//                             the parent's environment says)
//   SHUBIAO_TEST_STOP_AT      a step the writing actions mark (scheme/Profiler.h):
//                             the program ends itself there, at once and with
//                             exit code 99, as if killed
//   SHUBIAO_TEST_STOP_AT_COUNT at which time that step ends (1 when not set)
// %windir% is taken from the environment by the shipped program as well, so
// the tests set it to a scratch folder directly.
#include <cwchar>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cmd/Run.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/Profiler.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "scheme/WriterLock.h"
#include "win/Text.h"

namespace shubiao::cli {
namespace {

// Ends the process without a word at the `count`-th end of `step`: no
// destructor, no clean-up, as a kill or a power cut would.
class StopAtStep : public Profiler {
public:
    StopAtStep(std::string step, unsigned count) : step_(std::move(step)), left_(count) {}
    void Step(const char* name) override {
        if (step_ == name && --left_ == 0) TerminateProcess(GetCurrentProcess(), 99);
    }

private:
    std::string step_;
    unsigned left_;
};

}  // namespace

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
    const auto roaming = EnvironmentVariable(L"SHUBIAO_TEST_STORE_ROAMING");
    const auto local = EnvironmentVariable(L"SHUBIAO_TEST_STORE_LOCAL");
    if ((roaming && !roaming->empty()) || (local && !local->empty())) {
        SetStoreFolders(roaming.value_or(L""), local.value_or(L""));
    }
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
    if (const auto step = EnvironmentVariable(L"SHUBIAO_TEST_STOP_AT"); step && !step->empty()) {
        const auto count = EnvironmentVariable(L"SHUBIAO_TEST_STOP_AT_COUNT");
        const unsigned times = count ? static_cast<unsigned>(std::wcstoul(count->c_str(), nullptr, 10)) : 1;
        static StopAtStep stop(ToUtf8(*step), times == 0 ? 1 : times);
        stepWatcher = &stop;
    }
}

}  // namespace shubiao::cli
