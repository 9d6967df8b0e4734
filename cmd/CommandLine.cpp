#include "cmd/CommandLine.h"

#include <array>
#include <vector>

namespace shubiao::cli {
namespace {

enum class Option { Scheme, Name };

struct VerbEntry {
    std::string_view spelling;
    Verb verb;
    bool needsOperand;
    const char* operandName;  // what the missing operand is called in the message
    bool takesScheme;
    bool takesName;
    bool takesSource = false;  // --system, --user
    bool schemeAlone = false;  // --scheme without the operand names a listed scheme
    bool takesFill = false;    // --fill-sizes
};

constexpr std::array<VerbEntry, 8> kVerbs{{
    {"install", Verb::Install, true, "方案包的路径", true, true, false, false, true},
    {"use", Verb::Use, true, "方案名称", false, false, true, false, true},
    {"apply", Verb::Apply, true, "方案包的路径", true, false, false, false, true},
    {"restore", Verb::Restore, false, "", false, false},
    {"export", Verb::Export, true, "导出的文件夹", false, false},
    {"list", Verb::List, false, "", false, false},
    {"check", Verb::Check, true, "方案包的路径或 --scheme <方案名称>", true, false, true, true},
    {"undo", Verb::Undo, false, "", false, false},
}};

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameAscii(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

bool IsHelp(std::string_view argument) {
    return SameAscii(argument, "--help") || SameAscii(argument, "-h") || argument == "/?" || argument == "-?";
}

// What an argument is quoted as in a message: bounded, so that one line stays one line.
std::string Quoted(std::string_view argument) {
    constexpr std::size_t kShown = 60;
    std::string text;
    for (const char c : argument.substr(0, kShown)) {
        text += (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) ? '?' : c;
    }
    // Cut at a whole UTF-8 sequence.
    if (argument.size() > kShown) {
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
        if (!text.empty() && (static_cast<unsigned char>(text.back()) & 0x80) != 0) text.pop_back();
        text += "…";
    }
    return "“" + text + "”";
}

Parsed Fail(std::string error) {
    Parsed parsed;
    parsed.error = std::move(error) + "（用 ShuBiaoCmd --help 查看用法）";
    return parsed;
}

const VerbEntry* FindVerb(std::string_view spelling) {
    for (const VerbEntry& entry : kVerbs) {
        if (SameAscii(spelling, entry.spelling)) return &entry;
    }
    return nullptr;
}

}  // namespace

std::string_view VerbName(Verb verb) {
    for (const VerbEntry& entry : kVerbs) {
        if (entry.verb == verb) return entry.spelling;
    }
    return "--help";
}

Parsed Parse(std::span<const std::string> arguments) {
    if (arguments.size() > kMaxArguments) return Fail("参数太多");
    for (const std::string& argument : arguments) {
        if (argument.size() > kMaxArgumentBytes) return Fail("参数太长");
    }
    // Help first, whatever else the line holds.
    for (const std::string& argument : arguments) {
        if (argument == "--") break;
        if (IsHelp(argument)) return {true, Command{}, {}};
    }
    if (arguments.empty()) return Fail("没有给出命令");

    const std::string& first = arguments[0];
    const VerbEntry* verb = FindVerb(first);
    if (verb == nullptr) {
        if (first.size() > 1 && first[0] == '-') return Fail("命令应在选项之前，" + Quoted(first) + " 之前没有命令");
        return Fail("未知的命令" + Quoted(first) + "，可用的命令有 install、use、apply、restore、undo、export、list、check");
    }

    Parsed parsed;
    Command& command = parsed.command;
    command.verb = verb->verb;
    std::vector<std::string_view> operands;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            operands.push_back(argument);
            continue;
        }
        const std::size_t equals = argument.find('=');
        const std::string_view spelling = argument.substr(0, equals);
        // --system and --user: which list; flags without a value.
        if (SameAscii(argument, "--system") || SameAscii(argument, "--user")) {
            if (!verb->takesSource) {
                return Fail("命令 " + std::string(verb->spelling) + " 没有选项 " + std::string(argument));
            }
            const SchemeSource source = SameAscii(argument, "--system") ? SchemeSource::System : SchemeSource::User;
            if (command.source != SchemeSource::Either && command.source != source) {
                return Fail("--system 和 --user 只能给出一个");
            }
            command.source = source;
            continue;
        }
        // --fill-sizes: a flag without a value.
        if (SameAscii(argument, "--fill-sizes")) {
            if (!verb->takesFill) {
                return Fail("命令 " + std::string(verb->spelling) + " 没有选项 " + std::string(argument));
            }
            command.fillSizes = true;
            continue;
        }
        if (SameAscii(spelling, "--fill-sizes")) return Fail("选项 --fill-sizes 不带值");
        std::optional<Option> option;
        if (SameAscii(spelling, "--scheme")) option = Option::Scheme;
        if (SameAscii(spelling, "--name")) option = Option::Name;
        if (!option) return Fail("未知的选项" + Quoted(spelling));
        const bool allowed = *option == Option::Scheme ? verb->takesScheme : verb->takesName;
        if (!allowed) {
            return Fail("命令 " + std::string(verb->spelling) + " 没有选项 " + std::string(spelling));
        }
        std::string_view value;
        if (equals != std::string_view::npos) {
            value = argument.substr(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return Fail("选项 " + std::string(spelling) + " 后面缺少值");
        }
        if (value.empty()) return Fail("选项 " + std::string(spelling) + " 的值是空的");
        std::optional<std::string>& slot = *option == Option::Scheme ? command.scheme : command.name;
        if (slot && *slot != value) {
            return Fail("选项 " + std::string(spelling) + " 给了两个不同的值：" + Quoted(*slot) + " 和 " + Quoted(value));
        }
        slot = std::string(value);
    }

    if (!verb->needsOperand) {
        if (!operands.empty()) {
            return Fail("命令 " + std::string(verb->spelling) + " 不需要参数，多出了" + Quoted(operands[0]));
        }
    } else {
        if (operands.empty() && verb->schemeAlone && command.scheme) {
            parsed.ok = true;
            return parsed;
        }
        if (operands.empty() || operands[0].empty()) {
            return Fail("命令 " + std::string(verb->spelling) + " 缺少" + verb->operandName);
        }
        if (operands.size() > 1) {
            return Fail("命令 " + std::string(verb->spelling) + " 只需要一个参数，多出了" + Quoted(operands[1]));
        }
        command.operand = std::string(operands[0]);
    }
    parsed.ok = true;
    return parsed;
}

std::string HelpText() {
    return "ShuBiaoCmd：在命令行中安装和更换鼠标指针方案（供脚本和部署工具使用）。\n"
           "\n"
           "用法：\n"
           "  ShuBiaoCmd install <方案包> [--scheme <包中的方案名>] [--name <名称>] [--fill-sizes]\n"
           "      把方案包中检查通过的指针文件复制到 %SystemRoot%\\Cursors\\<名称>\\，\n"
           "      并列入系统的方案列表，本机的每个用户都能选用。只有这个命令需要管理员权限。\n"
           "      名称默认取包中方案的名称。\n"
           "  ShuBiaoCmd use <名称> [--fill-sizes]\n"
           "      把一个已列出的方案（系统的或用户的）设为当前用户的鼠标指针。\n"
           "      只写当前用户的设置，适合登录脚本。\n"
           "  ShuBiaoCmd apply <方案包> [--scheme <包中的方案名>] [--fill-sizes]\n"
           "      与窗口程序的“导入方案”加“应用”相同，不作询问。指针文件复制到当前用户的\n"
           "      ShuBiao 用户文件夹（%APPDATA%\\ShuBiao\\Applied\\）。\n"
           "  ShuBiaoCmd restore\n"
           "      与“还 原”相同：恢复 Windows 默认的鼠标指针。\n"
           "  ShuBiaoCmd undo\n"
           "      与“撤销上次更改”相同：把鼠标指针恢复为上次更改之前的样子；\n"
           "      再次运行则继续往前恢复（最多保留 10 次更改前的记录）。\n"
           "  ShuBiaoCmd export <文件夹>\n"
           "      与“导出方案”相同：把当前用户正在使用的指针文件导出到文件夹。\n"
           "  ShuBiaoCmd list\n"
           "      列出 Windows 的方案：名称、系统/用户、设置了几个指针，并标出正在使用的方案。\n"
           "  ShuBiaoCmd check <方案包> [--scheme <包中的方案名>]\n"
           "  ShuBiaoCmd check --scheme <名称> [--system | --user]\n"
           "      检查方案包或已列出的方案：每个指针文件含哪些大小，本机每个显示器\n"
           "      按其缩放和“指针大小”设置需要多大。只读取，不作更改。都齐全时退出代码\n"
           "      为 0，有指针缺少所需大小（或无法读取）时为 1，没有可检查的指针时为 2。\n"
           "  ShuBiaoCmd --help（或 /?）\n"
           "      显示本说明。\n"
           "\n"
           "除 install 之外，所有命令都以当前用户的权限运行，不需要管理员权限，\n"
           "只更改当前用户自己的鼠标指针。\n"
           "\n"
           "方案包可以是文件夹、.inf 文件、.zip 压缩包，或者以前导出的方案文件夹。\n"
           "包中有多个方案时，用 --scheme 指定其中一个。以“-”开头的名称写在 -- 之后。\n"
           "系统和用户的列表中都有同名的方案时，用 use <名称> --system 或 --user 指定其中一个。\n"
           "\n"
           "--fill-sizes（补齐尺寸）：install、use 和 apply 放置的是补齐了 32、48、64、96、128 像素的\n"
           "副本，缺少的大小由文件中最大的图像缩放而成，原有的大小原样保留。use 加此选项时，\n"
           "指针文件像 apply 一样复制到 ShuBiao 用户文件夹。无法补齐的文件原样放置，并说明原因。\n"
           "方案包和方案中原来的文件只读取，从不更改。\n"
           "\n"
           "退出代码：\n"
           "  0  全部完成\n"
           "  1  部分完成：包中有些指针被跳过，每个都已列出原因\n"
           "  2  什么也没做：方案包无法读取、没有可用的指针，或者包中有多个方案而没有用\n"
           "     --scheme 选定；use 的名称不在列表中；export 时所有指针都是 Windows 默认的；\n"
           "     undo 时没有可以撤销的更改，或记录中的文件已丢失或损坏\n"
           "  3  命令行有误：未知的命令或选项、缺少参数、选项互相冲突\n"
           "  4  系统拒绝：一个指针也写不进去，或 install 没有管理员权限，\n"
           "     或另一个 ShuBiao 正在更改指针（等待 10 秒后放弃）\n";
}

}  // namespace shubiao::cli
