#pragma once
// Starting ShuBiaoCmd as a script does: its output through pipes, its exit
// code, and the environment the test build reads its stand-ins from.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "win/Raii.h"

namespace shubiao::test {

struct ConsoleRun {
    DWORD code = STILL_ACTIVE;  // STILL_ACTIVE: did not start, or did not end in time
    std::string outBytes;       // stdout as written
    std::wstring out;           // stdout read as UTF-8
    std::wstring err;           // stderr read as UTF-8
};

// Quotes one argument as the C runtime splits a command line.
std::wstring QuoteArgument(const std::wstring& argument);

// A started console program with stdout and stderr on pipes of their own.
// It plays the same user as the test: the store in use (ScopedStore) is
// passed on in SHUBIAO_TEST_STORE_ROAMING and SHUBIAO_TEST_STORE_LOCAL.
class ConsoleProcess {
public:
    // `executable` beside the test executable (e.g. L"ShuBiaoCmd.exe").
    ConsoleProcess(const std::wstring& executable, const std::vector<std::wstring>& arguments);
    ~ConsoleProcess();
    ConsoleProcess(const ConsoleProcess&) = delete;
    ConsoleProcess& operator=(const ConsoleProcess&) = delete;

    bool started() const { return static_cast<bool>(process_); }
    // Reads stdout as the program writes it until `text` has come (true) or
    // the program has ended without it (false). Finish() still gives all it wrote.
    bool WaitForOutput(const std::wstring& text);
    // Ends the program where it is, as Task Manager's End task does
    // (TerminateProcess, exit code `code`), and waits until it has gone.
    void Kill(UINT code);
    // Waits for the end and collects what it wrote.
    ConsoleRun Finish(DWORD milliseconds = 30000);

private:
    UniqueHandle process_;
    UniqueHandle out_;
    UniqueHandle err_;
    std::string outRead_;  // stdout read by WaitForOutput
};

// Runs to the end: Finish() of a fresh ConsoleProcess.
ConsoleRun RunConsole(const std::wstring& executable, const std::vector<std::wstring>& arguments);

// Runs one ShuBiaoCmd command in this process, as its wmain runs it: the same
// parsing, the output written to pipes (UTF-8, CR LF) and the exit code. The
// stand-ins ShuBiaoCmdTest.exe reads from the environment (cmd/TestSeams.cpp:
// the registry keys, %SystemRoot%, the administrator answer, the lock's
// timing) are read from this process's environment and undone on return;
// the store and the lock's name are this process's already. For what a verb
// does; a program start costs Wine a process, so what only a process shows
// (its start, its command line, a second writer) goes through ConsoleProcess.
ConsoleRun RunVerbHere(const std::vector<std::wstring>& arguments);

// Sets environment variables (inherited by programs started meanwhile) for
// the life of the object, putting the old values back afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    void Set(const std::wstring& name, const std::optional<std::wstring>& value);

private:
    std::vector<std::pair<std::wstring, std::optional<std::wstring>>> old_;
};

}  // namespace shubiao::test
