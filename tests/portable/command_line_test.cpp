#include "cmd/CommandLine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "corpus.h"
#include "tests/fuzz/command_line_invariants.h"

namespace {

using namespace shubiao::cli;
using Args = std::vector<std::string>;

// ---- lines that parse --------------------------------------------------------

struct Accepted {
    const char* name;
    Args args;
    Verb verb;
    std::string operand;
    std::optional<std::string> scheme;
    std::optional<std::string> schemeName;  // --name
    SchemeSource source = SchemeSource::Either;
    bool fillSizes = false;
};

class CommandLineAccepts : public testing::TestWithParam<Accepted> {};

TEST_P(CommandLineAccepts, AsTheVerbItsOperandAndItsOptions) {
    const Accepted& row = GetParam();
    const Parsed parsed = Parse(row.args);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    EXPECT_EQ(parsed.command.verb, row.verb);
    EXPECT_EQ(parsed.command.operand, row.operand);
    EXPECT_EQ(parsed.command.scheme, row.scheme);
    EXPECT_EQ(parsed.command.name, row.schemeName);
    EXPECT_EQ(parsed.command.source, row.source);
    EXPECT_EQ(parsed.command.fillSizes, row.fillSizes);
    EXPECT_TRUE(parsed.error.empty());
}

const std::string kLong(kMaxArgumentBytes, 'x');

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLineAccepts,
    testing::Values(
        Accepted{"InstallPackOnly", {"install", R"(D:\packs\海浪)"}, Verb::Install, R"(D:\packs\海浪)", {}, {}},
        Accepted{"InstallBothOptionsBeforeThePack",
                 {"install", "--scheme", "Ocean", "--name", "海浪", "pack"}, Verb::Install, "pack", "Ocean", "海浪"},
        Accepted{"InstallOptionsWithEquals", {"install", "pack", "--scheme=Ocean Blue", "--NAME=x=y"},
                 Verb::Install, "pack", "Ocean Blue", "x=y"},
        Accepted{"SameOptionTwiceWithTheSameValue", {"install", "p", "--name", "a", "--name=a"}, Verb::Install, "p", {}, "a"},
        Accepted{"VerbInCapitals", {"USE", "Windows 默认"}, Verb::Use, "Windows 默认", {}, {}},
        Accepted{"NameBeginningWithADashAfterDoubleDash", {"use", "--", "-Dark-"}, Verb::Use, "-Dark-", {}, {}},
        Accepted{"SingleDashIsAnOperand", {"export", "-"}, Verb::Export, "-", {}, {}},
        Accepted{"HelpAfterDoubleDashIsAName", {"use", "--", "--help"}, Verb::Use, "--help", {}, {}},
        Accepted{"ApplyWithScheme", {"apply", "C:\\p\\install.inf", "--scheme", "B"}, Verb::Apply, "C:\\p\\install.inf", "B", {}},
        Accepted{"UseTheSystemsScheme", {"use", "海浪", "--system"}, Verb::Use, "海浪", {}, {}, SchemeSource::System},
        Accepted{"UseTheUsersSchemeFlagFirst", {"use", "--USER", "海浪", "--user"}, Verb::Use, "海浪", {}, {},
                 SchemeSource::User},
        Accepted{"ApplyFillingSizes", {"apply", "p", "--fill-sizes"}, Verb::Apply, "p", {}, {}, SchemeSource::Either, true},
        Accepted{"UseFillingSizesFlagFirstInCapitals", {"use", "--Fill-Sizes", "海浪", "--system"}, Verb::Use, "海浪", {},
                 {}, SchemeSource::System, true},
        Accepted{"InstallFillingSizesTwice", {"install", "p", "--fill-sizes", "--name", "n", "--fill-sizes"},
                 Verb::Install, "p", {}, "n", SchemeSource::Either, true},
        Accepted{"FillSizesAfterDoubleDashIsAPack", {"apply", "--", "--fill-sizes"}, Verb::Apply, "--fill-sizes", {}, {}},
        Accepted{"Restore", {"restore"}, Verb::Restore, "", {}, {}},
        Accepted{"List", {"List"}, Verb::List, "", {}, {}},
        Accepted{"CheckPack", {"check", "D:\\海浪.zip"}, Verb::Check, "D:\\海浪.zip", {}, {}},
        Accepted{"CheckSchemeOfAPack", {"check", "p", "--scheme", "B"}, Verb::Check, "p", "B", {}},
        Accepted{"CheckListedScheme", {"check", "--scheme=海浪"}, Verb::Check, "", "海浪", {}},
        Accepted{"Undo", {"Undo"}, Verb::Undo, "", {}, {}},
        Accepted{"ArgumentAtTheBound", {"export", kLong}, Verb::Export, kLong, {}, {}},
        Accepted{"HelpAlone", {"--help"}, Verb::Help, "", {}, {}},
        Accepted{"SlashQuestionMark", {"/?"}, Verb::Help, "", {}, {}},
        Accepted{"HelpWinsOverABadLine", {"frobnicate", "--bogus", "-h"}, Verb::Help, "", {}, {}},
        Accepted{"HelpAfterAVerb", {"install", "--HELP"}, Verb::Help, "", {}, {}}),
    [](const testing::TestParamInfo<Accepted>& info) { return info.param.name; });

// ---- lines that are refused: code 3, one line that says what was wrong ----------

struct Refused {
    const char* name;
    Args args;
    std::vector<std::string> says;  // the line holds each of these
};

class CommandLineRefuses : public testing::TestWithParam<Refused> {};

TEST_P(CommandLineRefuses, WithOneLineNamingTheFault) {
    const Refused& row = GetParam();
    const Parsed parsed = Parse(row.args);
    ASSERT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
    for (const std::string& part : row.says) EXPECT_NE(parsed.error.find(part), std::string::npos) << parsed.error;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLineRefuses,
    testing::Values(
        Refused{"Nothing", {}, {"没有给出命令"}},
        Refused{"UnknownVerb", {"instal", "pack"}, {"未知的命令", "“instal”"}},
        Refused{"OptionBeforeTheVerb", {"--scheme", "a", "install", "p"}, {"命令应在选项之前", "--scheme"}},
        Refused{"UnknownOption", {"install", "p", "--force"}, {"未知的选项", "--force"}},
        Refused{"UnknownOptionWithValue", {"install", "p", "--force=yes"}, {"未知的选项", "“--force”"}},
        Refused{"OptionOfAnotherVerb", {"apply", "p", "--name", "x"}, {"apply", "没有选项 --name"}},
        Refused{"OptionOnUse", {"use", "x", "--scheme", "y"}, {"use", "--scheme"}},
        Refused{"SystemAndUser", {"use", "x", "--system", "--user"}, {"--system", "--user"}},
        Refused{"SystemOnApply", {"apply", "p", "--system"}, {"apply", "没有选项 --system"}},
        Refused{"FillSizesOnExport", {"export", "d", "--fill-sizes"}, {"export", "没有选项 --fill-sizes"}},
        Refused{"FillSizesOnCheck", {"check", "p", "--fill-sizes"}, {"check", "没有选项 --fill-sizes"}},
        Refused{"FillSizesWithAValue", {"apply", "p", "--fill-sizes=yes"}, {"--fill-sizes", "不带值"}},
        Refused{"OptionWithoutValue", {"install", "p", "--scheme"}, {"--scheme", "缺少值"}},
        Refused{"OptionWithEmptyValue", {"install", "p", "--name="}, {"--name", "空"}},
        Refused{"ConflictingValues", {"install", "p", "--scheme", "A", "--scheme=B"}, {"--scheme", "“A”", "“B”"}},
        Refused{"InstallWithoutPack", {"install", "--scheme", "A"}, {"install", "方案包的路径"}},
        Refused{"UseWithoutName", {"use"}, {"use", "方案名称"}},
        Refused{"CheckWithNothingToCheck", {"check"}, {"check", "方案包的路径", "--scheme"}},
        Refused{"CheckWithAName", {"check", "p", "--name", "x"}, {"check", "没有选项 --name"}},
        Refused{"UseWithEmptyName", {"use", ""}, {"use", "方案名称"}},
        Refused{"ExportWithoutFolder", {"export"}, {"export", "文件夹"}},
        Refused{"TwoPacks", {"apply", "a", "b"}, {"多出了", "“b”"}},
        Refused{"RestoreWithOperand", {"restore", "now"}, {"restore", "“now”"}},
        Refused{"UndoWithOperand", {"undo", "2"}, {"undo", "“2”"}},
        Refused{"ControlCharactersShownAsMarks", {"use", "a", "b\nc"}, {"“b?c”"}},
        Refused{"LongArgumentCutInTheMessage", {"frob" + std::string(200, 'z')}, {"…”"}},
        Refused{"ArgumentOverTheBound", {"export", kLong + "x"}, {"参数太长"}},
        Refused{"TooManyArguments", Args(kMaxArguments + 1, "list"), {"参数太多"}}),
    [](const testing::TestParamInfo<Refused>& info) { return info.param.name; });

// The help names every verb and every exit code a script may meet.
TEST(CommandLineHelp, NamesEveryVerbAndExitCode) {
    const std::string help = HelpText();
    for (const Verb verb : {Verb::Install, Verb::Use, Verb::Apply, Verb::Restore, Verb::Export, Verb::List, Verb::Check,
                            Verb::Undo}) {
        EXPECT_NE(help.find("ShuBiaoCmd " + std::string(VerbName(verb))), std::string::npos) << VerbName(verb);
    }
    for (const char* code : {"  0  ", "  1  ", "  2  ", "  3  ", "  4  "}) {
        EXPECT_NE(help.find(code), std::string::npos) << code;
    }
    EXPECT_EQ(help.back(), '\n');
}

// Every input the fuzzer kept still keeps the parser's promises.
TEST(CommandLineCorpus, KeepsThePromisesForEveryKeptInput) {
    const auto inputs = corpus::Inputs("command_line");
    ASSERT_FALSE(inputs.empty());
    for (const auto& [name, bytes] : inputs) {
        const char* broken = fuzz_invariants::command_line::Breaks(
            fuzz_invariants::command_line::Arguments(bytes.data(), bytes.size()));
        EXPECT_EQ(broken, nullptr) << name << ": " << broken;
    }
}

}  // namespace
