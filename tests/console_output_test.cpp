// ShuBiaoCmd's output to a file or a pipe: UTF-8 bytes, lines ending in CR LF,
// never UTF-16 and never a byte-order mark.
#include <gtest/gtest.h>

#include <string>

#include "cmd/Output.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;

struct OutputCase {
    const char* name;
    std::wstring text;
    std::string bytes;
};

class RedirectedOutput : public testing::TestWithParam<OutputCase> {};

TEST_P(RedirectedOutput, IsUtf8WithWindowsLineEndsThroughAPipe) {
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 1 << 16));
    {
        cli::Output output(write);
        EXPECT_FALSE(output.IsConsole());
        EXPECT_TRUE(output.Write(GetParam().text));
    }
    CloseHandle(write);
    std::string got;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(read, buffer, sizeof(buffer), &n, nullptr) && n > 0) got.append(buffer, n);
    CloseHandle(read);
    EXPECT_EQ(got, GetParam().bytes);
}

TEST_P(RedirectedOutput, IsUtf8WithWindowsLineEndsIntoAFile) {
    ScratchFolder folder(L"out");
    const std::wstring path = folder / L"out.txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    {
        cli::Output output(file);
        EXPECT_FALSE(output.IsConsole());
        EXPECT_TRUE(output.Write(GetParam().text));
    }
    CloseHandle(file);
    const std::vector<std::uint8_t> bytes = ReadBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, RedirectedOutput,
    testing::Values(OutputCase{"Ascii", L"list\n", "list\r\n"},
                    OutputCase{"Chinese", L"正常选择", "\xE6\xAD\xA3\xE5\xB8\xB8\xE9\x80\x89\xE6\x8B\xA9"},
                    OutputCase{"OutsideTheBasicPlane", L"\U0001F5B1\n", "\xF0\x9F\x96\xB1\r\n"},
                    OutputCase{"LineEndAlreadyWindows", L"a\r\nb\n", "a\r\nb\r\n"},
                    OutputCase{"Nothing", L"", ""}),
    [](const testing::TestParamInfo<OutputCase>& info) { return info.param.name; });

// A name from the user's data as ShuBiaoCmd prints it: nothing in it can end
// a line, move the cursor or start an escape sequence.
struct NameCase {
    const char* name;
    std::wstring text;
    std::wstring shown;
};

class VisibleName : public testing::TestWithParam<NameCase> {};

TEST_P(VisibleName, ShowsEveryControlCharacterAsAnEscape) {
    EXPECT_EQ(cli::Visible(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, VisibleName,
    testing::Values(NameCase{"Plain", L"蓝色 Ocean-2 (旧).ani", L"蓝色 Ocean-2 (旧).ani"},
                    NameCase{"APathKeepsItsBackslashes", L"C:\\Windows\\Cursors\\a", L"C:\\Windows\\Cursors\\a"},
                    NameCase{"ForgedLine", L"假\n正在使用\t系统", L"假\\n正在使用\\t系统"},
                    NameCase{"CarriageReturn", L"a\rb", L"a\\rb"},
                    NameCase{"ColourEscape", L"\x1B[31m红", L"\\x1B[31m红"},
                    NameCase{"NulAndBell", std::wstring(L"a\0b\a", 4), L"a\\x00b\\x07"},
                    NameCase{"DeleteAndSingleByteControlSequenceIntroducer", L"\x7F\x9B" L"2J", L"\\x7F\\x9B2J"},
                    NameCase{"LineAndParagraphSeparators", L"a\u2028b\u2029", L"a\\u2028b\\u2029"},
                    NameCase{"RightToLeftOverride", L"\u202Egpj.exe", L"\\u202Egpj.exe"},
                    NameCase{"OutsideTheBasicPlaneStays", L"\U0001F5B1", L"\U0001F5B1"}),
    [](const testing::TestParamInfo<NameCase>& info) { return info.param.name; });

}  // namespace
}  // namespace shubiao
