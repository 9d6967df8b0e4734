#pragma once
// The command line of ShuBiaoCmd: one verb, its one operand and its options.
// Portable: no Windows header; arguments and messages are UTF-8.
//
//   ShuBiaoCmd install <pack> [--scheme <name in the pack>] [--name <name>] [--fill-sizes]
//   ShuBiaoCmd use <name> [--system | --user] [--fill-sizes]
//   ShuBiaoCmd apply <pack> [--scheme <name in the pack>] [--fill-sizes]
//   ShuBiaoCmd restore
//   ShuBiaoCmd undo
//   ShuBiaoCmd export <folder>
//   ShuBiaoCmd list
//   ShuBiaoCmd check <pack> [--scheme <name in the pack>] | check --scheme <listed name>
//   ShuBiaoCmd --help | -h | /?
//
// Verbs and option names are matched without regard to ASCII case, as
// Windows' own tools match theirs. An option's value follows it as the next
// argument or after '=' (--scheme=Name). After "--" every argument is an
// operand, so that a name beginning with '-' can be given. --help (or -h,
// /?) anywhere before "--" asks for the help text, whatever else is there.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace shubiao::cli {

// The process's exit codes.
enum ExitCode : int {
    kDone = 0,            // everything done
    kPartly = 1,          // done in part: some roles were skipped, each named
    kNothingDone = 2,     // nothing done: the pack or the name was of no use
    kBadCommandLine = 3,  // unknown verb or option, missing argument, conflicting options
    kRefused = 4,         // the system refused, or administrator rights are missing
};

enum class Verb { Help, Install, Use, Apply, Restore, Export, List, Check, Undo };

// Which of Windows' two lists a name is looked up in.
enum class SchemeSource { Either, System, User };

struct Command {
    Verb verb = Verb::Help;
    std::string operand;                // install/apply/check: the pack; use: the name; export: the folder
    std::optional<std::string> scheme;  // --scheme: which scheme of the pack; check without a pack: a listed scheme
    std::optional<std::string> name;    // --name: the name it is installed under
    SchemeSource source = SchemeSource::Either;  // use: --system or --user
    bool fillSizes = false;  // install, use, apply: --fill-sizes (补齐尺寸)
};

struct Parsed {
    bool ok = false;
    Command command;   // ok: what to do
    std::string error; // not ok: one line saying what was wrong (Chinese, no newline)
};

// Arguments longer than this, or more arguments than kMaxArguments, are
// refused as a bad command line: nothing a person or a script types is that long.
inline constexpr std::size_t kMaxArgumentBytes = 32 * 1024;
inline constexpr std::size_t kMaxArguments = 64;

// `arguments` without the program's own name.
Parsed Parse(std::span<const std::string> arguments);

// The usage text, in Chinese, ending in a newline.
std::string HelpText();

// The verb as typed on the command line ("install", ...).
std::string_view VerbName(Verb verb);

}  // namespace shubiao::cli
