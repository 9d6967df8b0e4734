#include "bench/ConsoleBench.h"

#include <windows.h>

#include <optional>
#include <utility>

#include "bench/Stats.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "support/Scratch.h"
#include "win/Raii.h"

namespace shubiao::bench {
namespace {

constexpr const wchar_t* kSchemeName = L"基准方案";

// Sets environment variables for the programs started while it lives.
class Environment {
public:
    void Set(const wchar_t* name, const std::wstring& value) {
        old_.emplace_back(name, EnvironmentVariable(name));
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~Environment() {
        for (auto it = old_.rbegin(); it != old_.rend(); ++it) {
            SetEnvironmentVariableW(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
        }
    }

private:
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> old_;
};

// Starts `commandLine` with its output to NUL and waits for its end: the
// milliseconds from CreateProcessW to the end, or a negative number when it
// did not start or did not end with 0.
double RunOnce(const std::wstring& commandLine, unsigned long long cpus) {
    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    const UniqueHandle nul(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                       OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = nul.get();
    startup.hStdError = nul.get();
    PROCESS_INFORMATION info{};
    std::wstring line = commandLine;
    const Stopwatch clock;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW | CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info)) {
        return -1;
    }
    if (cpus != 0) SetProcessAffinityMask(info.hProcess, static_cast<DWORD_PTR>(cpus));
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    const UniqueHandle process(info.hProcess);
    WaitForSingleObject(process.get(), 60000);
    const double ms = clock.Ms();
    DWORD code = 1;
    GetExitCodeProcess(process.get(), &code);
    return code == 0 ? ms : -1;
}

// A folder of role-named files (an earlier export) from the installed
// fallbacks: roles 1..count.
bool MakePack(const std::wstring& folder, int count) {
    if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
    for (int role = 1; role <= count; ++role) {
        const std::wstring name = Role(role).FileName();
        const std::wstring installed = DataStorageFolder() + name;
        if (!CopyFileW(installed.c_str(), (folder + L"\\" + name).c_str(), FALSE)) return false;
    }
    return true;
}

}  // namespace

ConsoleResult MeasureConsole(int runs, unsigned long long programCpus) {
    ConsoleResult result;
    test::ScratchRegistry registry;
    test::ScratchFolder windows{L"cbench"};
    test::ScratchFolder packs{L"cpacks"};
    const test::ScopedStore store{L"cstore"};
    if (!registry.ok() || !windows.ok() || !packs.ok() || !store.ok()) {
        result.error = L"no scratch key or folder";
        return result;
    }
    Environment environment;
    environment.Set(L"windir", windows.Path());
    environment.Set(L"SHUBIAO_TEST_SYSTEMROOT", windows.Path());
    environment.Set(L"SHUBIAO_TEST_CURSORS_KEY", L"HKEY_CURRENT_USER\\" + registry.CursorsSubkey());
    environment.Set(L"SHUBIAO_TEST_SYSTEM_KEY", L"HKEY_CURRENT_USER\\" + registry.SystemSchemesSubkey());
    environment.Set(L"SHUBIAO_TEST_ADMIN", L"1");
    environment.Set(L"SHUBIAO_TEST_STORE_ROAMING", store.Roaming());
    environment.Set(L"SHUBIAO_TEST_STORE_LOCAL", store.Local());

    const std::wstring bin = AppFolder();
    const std::wstring cmd = L"\"" + bin + L"\\ShuBiaoCmdTest.exe\" ";
    const std::wstring floor = L"\"" + bin + L"\\console_floor.exe\"";
    const std::wstring seventeen = packs / L"seventeen";
    const std::wstring fifteen = packs / L"fifteen";
    if (!MakePack(seventeen, kRoleCount) || !MakePack(fifteen, 15)) {
        result.error = L"cannot lay out the packs from Data storage";
        return result;
    }
    if (RunOnce(cmd + L"install \"" + seventeen + L"\" --name " + kSchemeName, programCpus) < 0) {
        result.error = L"ShuBiaoCmd install of the 17-slot scheme failed";
        return result;
    }
    const std::wstring use = cmd + L"use " + kSchemeName;
    const std::wstring apply = cmd + L"apply \"" + fifteen + L"\"";
    RunOnce(floor, programCpus);  // warm-up
    RunOnce(use, programCpus);
    for (int i = 0; i < runs; ++i) {
        const double floorMs = RunOnce(floor, programCpus);
        const double useMs = RunOnce(use, programCpus);
        if (floorMs < 0 || useMs < 0) {
            result.error = L"a run of console_floor.exe or ShuBiaoCmd use did not end with 0";
            return result;
        }
        result.floorMs.push_back(floorMs);
        result.useMs.push_back(useMs);
    }
    RunOnce(apply, programCpus);  // warm-up
    for (int i = 0; i < runs; ++i) {
        const double ms = RunOnce(apply, programCpus);
        if (ms < 0) {
            result.error = L"a run of ShuBiaoCmd apply did not end with 0";
            return result;
        }
        result.applyMs.push_back(ms);
    }
    return result;
}

}  // namespace shubiao::bench
