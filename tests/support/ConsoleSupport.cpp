#include "support/ConsoleSupport.h"

#include <cwchar>
#include <memory>
#include <thread>

#include "cmd/CommandLine.h"
#include "cmd/Output.h"
#include "cmd/Run.h"
#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "win/Text.h"

namespace shubiao::test {
namespace {

std::string ReadAll(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof(buffer), &n, nullptr) && n > 0) bytes.append(buffer, n);
    return bytes;
}

std::wstring Decode(const std::string& bytes) { return FromUtf8(bytes).value_or(L"<not UTF-8>"); }

// The stand-ins of cmd/TestSeams.cpp for a run in this process, for as long
// as the object lives.
class HereSeams {
public:
    explicit HereSeams(cli::Context& context) {
        if (const auto key = EnvironmentVariable(L"SHUBIAO_TEST_CURSORS_KEY"); key && !key->empty()) {
            redirects_.push_back(std::make_unique<registry::ScopedRedirect>(std::wstring(kCursorsKeyPath), *key));
        }
        if (const auto key = EnvironmentVariable(L"SHUBIAO_TEST_SYSTEM_KEY"); key && !key->empty()) {
            redirects_.push_back(
                std::make_unique<registry::ScopedRedirect>(std::wstring(library::kSystemSchemesKey), *key));
        }
        if (const auto root = EnvironmentVariable(L"SHUBIAO_TEST_SYSTEMROOT"); root && !root->empty()) {
            env_.Set(L"SystemRoot", *root);
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
    }

private:
    std::vector<std::unique_ptr<registry::ScopedRedirect>> redirects_;
    ScopedEnvironment env_;
};

// cmd/main.cpp's wmain, but for the clean-up of ended runs' folders, which
// belongs to a program's start.
int RunCommand(const std::vector<std::wstring>& arguments, cli::Output& out, cli::Output& err) {
    std::vector<std::string> utf8;
    for (const std::wstring& argument : arguments) utf8.push_back(ToUtf8(argument));
    cli::Command command;
    if (const std::optional<int> answered = cli::ParseOrAnswer(utf8, out, err, command)) return *answered;
    cli::Context context{out, err};
    const HereSeams seams(context);
    return cli::Run(command, context);
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& argument) {
    if (!argument.empty() && argument.find_first_of(L" \t\"") == std::wstring::npos) return argument;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

ConsoleProcess::ConsoleProcess(const std::wstring& executable, const std::vector<std::wstring>& arguments) {
    const std::wstring path = AppFolder() + L"\\" + executable;
    std::wstring commandLine = QuoteArgument(path);
    for (const std::wstring& argument : arguments) commandLine += L" " + QuoteArgument(argument);

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 1 << 20)) return;
    out_.reset(outRead);
    const UniqueHandle outChild(outWrite);
    if (!CreatePipe(&errRead, &errWrite, &inherit, 1 << 20)) return;
    err_.reset(errRead);
    const UniqueHandle errChild(errWrite);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    // The store the test plays in (ScopedStore), handed on to the test build
    // (cmd/TestSeams.cpp), so that the program and the test are the same user.
    ScopedEnvironment store;
    store.Set(L"SHUBIAO_TEST_STORE_ROAMING", RoamingStoreFolder());
    store.Set(L"SHUBIAO_TEST_STORE_LOCAL", LocalStoreFolder());
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                        &startup, &info)) {
        return;
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
}

ConsoleProcess::~ConsoleProcess() {
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), 5000);
    }
}

bool ConsoleProcess::WaitForOutput(const std::wstring& text) {
    const std::string wanted = ToUtf8(text);
    char buffer[4096];
    DWORD n = 0;
    while (outRead_.find(wanted) == std::string::npos) {
        // Returns once the program writes, or fails once it has ended.
        if (!out_ || !ReadFile(out_.get(), buffer, sizeof(buffer), &n, nullptr) || n == 0) return false;
        outRead_.append(buffer, n);
    }
    return true;
}

void ConsoleProcess::Kill(UINT code) {
    if (!process_) return;
    TerminateProcess(process_.get(), code);
    WaitForSingleObject(process_.get(), 5000);
}

ConsoleRun ConsoleProcess::Finish(DWORD milliseconds) {
    ConsoleRun run;
    if (!process_) return run;
    // Both pipes are drained while the program runs, so that it never blocks on a full one.
    std::string err;
    std::thread errReader([&] { err = ReadAll(err_.get()); });
    run.outBytes = outRead_ + ReadAll(out_.get());
    errReader.join();
    if (WaitForSingleObject(process_.get(), milliseconds) == WAIT_OBJECT_0) GetExitCodeProcess(process_.get(), &run.code);
    run.out = Decode(run.outBytes);
    run.err = Decode(err);
    return run;
}

ConsoleRun RunConsole(const std::wstring& executable, const std::vector<std::wstring>& arguments) {
    ConsoleProcess process(executable, arguments);
    return process.Finish();
}

ConsoleRun RunVerbHere(const std::vector<std::wstring>& arguments) {
    ConsoleRun run;
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    if (!CreatePipe(&outRead, &outWrite, nullptr, 1 << 16)) return run;
    const UniqueHandle outEnd(outRead);
    UniqueHandle outStart(outWrite);
    if (!CreatePipe(&errRead, &errWrite, nullptr, 1 << 16)) return run;
    const UniqueHandle errEnd(errRead);
    UniqueHandle errStart(errWrite);
    // Read while the command writes, so that it never blocks on a full pipe.
    std::string out, err;
    std::thread outReader([&] { out = ReadAll(outEnd.get()); });
    std::thread errReader([&] { err = ReadAll(errEnd.get()); });
    {
        cli::Output outStream(outStart.get());
        cli::Output errStream(errStart.get());
        run.code = static_cast<DWORD>(RunCommand(arguments, outStream, errStream));
    }
    outStart.reset();  // the readers see the end
    errStart.reset();
    outReader.join();
    errReader.join();
    run.outBytes = out;
    run.out = Decode(out);
    run.err = Decode(err);
    return run;
}

void ScopedEnvironment::Set(const std::wstring& name, const std::optional<std::wstring>& value) {
    old_.emplace_back(name, EnvironmentVariable(name.c_str()));
    SetEnvironmentVariableW(name.c_str(), value ? value->c_str() : nullptr);
}

ScopedEnvironment::~ScopedEnvironment() {
    for (auto it = old_.rbegin(); it != old_.rend(); ++it) {
        SetEnvironmentVariableW(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    }
}

}  // namespace shubiao::test
