#pragma once
// What ShuBiaoCmd's command-line parser promises for any arguments at all.
// The fuzz target aborts when a promise is broken; the portable tests replay
// the inputs the fuzzer kept through the same check.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cmd/CommandLine.h"

namespace fuzz_invariants::command_line {

using namespace shubiao::cli;

// The input split at NUL bytes into arguments; no bytes, no arguments.
inline std::vector<std::string> Arguments(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    if (size == 0) return args;
    args.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back() += static_cast<char>(data[i]);
        }
    }
    return args;
}

inline bool NeedsOperand(Verb verb) {
    return verb == Verb::Install || verb == Verb::Use || verb == Verb::Apply || verb == Verb::Export;
}

// nullptr, or which promise Parse(args) breaks.
inline const char* Breaks(const std::vector<std::string>& args) {
    const Parsed parsed = Parse(args);
    const Parsed again = Parse(args);
    if (again.ok != parsed.ok || again.error != parsed.error || again.command.operand != parsed.command.operand) {
        return "two parses of the same line differ";
    }
    if (!parsed.ok) {
        if (parsed.error.empty()) return "refused without a message";
        if (parsed.error.find('\n') != std::string::npos) return "a message of more than one line";
        if (parsed.error.size() > 1024) return "a message longer than one line can show";
        return nullptr;
    }
    if (!parsed.error.empty()) return "accepted with a message";
    const Command& c = parsed.command;
    if (c.verb == Verb::Help) return nullptr;
    if (args.empty()) return "a verb from no arguments";
    if (c.verb == Verb::Check) {
        if (c.operand.empty() && !c.scheme) return "check of nothing";
    } else if (NeedsOperand(c.verb) == c.operand.empty()) {
        return "an operand missing or not asked for";
    }
    if (!c.operand.empty() && std::find(args.begin(), args.end(), c.operand) == args.end()) {
        return "an operand that is no argument";
    }
    if ((c.scheme && c.scheme->empty()) || (c.name && c.name->empty())) return "an option with an empty value";
    if (c.name && c.verb != Verb::Install) return "--name for a verb other than install";
    if (c.scheme && c.verb != Verb::Install && c.verb != Verb::Apply && c.verb != Verb::Check) {
        return "--scheme for a verb without packs";
    }
    if (c.source != SchemeSource::Either && c.verb != Verb::Use && c.verb != Verb::Check) {
        return "--system or --user for a verb other than use and check";
    }
    return nullptr;
}

}  // namespace fuzz_invariants::command_line
