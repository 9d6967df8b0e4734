#pragma once
// Runs one verb of ShuBiaoCmd and says what became of it: lines on the
// output and an exit code (cmd/CommandLine.h). Reading and writing go
// through the window-less layer, which the window program shares.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cmd/CommandLine.h"
#include "cmd/Output.h"

namespace shubiao::cli {

struct Context {
    Output& out;
    Output& err;
    // Whether the process may write what install writes (%SystemRoot%\Cursors,
    // HKLM): an administrator's token, elevated.
    std::function<bool()> isAdministrator;
    // How long to wait for another ShuBiao that is changing the pointers.
    DWORD lockWaitMilliseconds = 10000;
    // Tests only: how long a write holds the lock before it starts, so that
    // a second writer can be started meanwhile.
    DWORD holdLockMilliseconds = 0;
    // Entries of the pack's .zip that were refused (a bad CRC, encrypted, an
    // unsafe name, ...) and named on the output: the pack was not read whole,
    // so a verb that did everything else ends with kPartly.
    int entriesRefused = 0;
};

int Run(const Command& command, Context& context);

// Parses `arguments` (UTF-8) into `command`. A bad command line is answered
// on `err`, a request for help on `out`; either way the exit code is
// returned, and nullopt when `command` is ready to run.
std::optional<int> ParseOrAnswer(const std::vector<std::string>& arguments, Output& out, Output& err,
                                 Command& command);

// True when this process's token is in the Administrators group and not
// only as a deny-only member (an administrator without elevation).
bool RunsAsAdministrator();

#ifdef SHUBIAO_TEST_SEAMS
// The test build's stand-ins, read from the environment (cmd/TestSeams.cpp).
void ApplyTestSeams(Context& context);
#endif

}  // namespace shubiao::cli
