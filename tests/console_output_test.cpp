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

}  // namespace
}  // namespace shubiao
