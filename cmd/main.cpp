// ShuBiaoCmd: the console companion of ShuBiao, for scripts and deployment
// tools. Parses the command line, runs one verb and ends with its exit code
// (cmd/CommandLine.h). Nothing here opens a window.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "cmd/CommandLine.h"
#include "cmd/Output.h"
#include "cmd/Run.h"
#include "scheme/ZipPack.h"
#include "win/Text.h"

int wmain(int argc, wchar_t** argv) {
    using namespace shubiao;
    cli::Output out(GetStdHandle(STD_OUTPUT_HANDLE));
    cli::Output err(GetStdHandle(STD_ERROR_HANDLE));

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.push_back(ToUtf8(argv[i]));
    cli::Command command;
    if (const std::optional<int> answered = cli::ParseOrAnswer(arguments, out, err, command)) return *answered;
    cli::Context context{out, err};
#ifdef SHUBIAO_TEST_SEAMS
    cli::ApplyTestSeams(context);
#endif
    // Unpacked archives that an earlier run of either program left behind
    // (killed, or ended without cleaning up) go, as the window's start
    // removes them; those of runs still going stay.
    RemoveStaleUnpackFolders();
    return cli::Run(command, context);
}
