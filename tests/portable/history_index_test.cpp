// The history's index read back as written, and a damaged one refused whole.
#include "scheme/formats/HistoryIndex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace shubiao::history {
namespace {

std::vector<RecordedState> Sample() {
    std::vector<RecordedState> states(2);
    states[0].time = 133000000000000000ull;
    states[0].scheme = {true, u"我的方案", 1};
    states[0].roles[1] = {ValueKind::ExpandSz, u"%SystemRoot%\\cursors\\箭头.cur", std::string(64, 'a')};
    states[0].roles[4] = {ValueKind::Sz, u"", {}};
    states[0].roles[6] = {ValueKind::Other, u"", {}};
    states[1].time = 133000000000000001ull;
    // Text with a newline, a colon and an unpaired surrogate: kept as stored.
    states[1].roles[1] = {ValueKind::Sz, std::u16string(u"C:\\a:b\n") + char16_t(0xD800), std::string(64, '0')};
    return states;
}

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(HistoryIndex, ReadsBackWhatWasWritten) {
    const std::vector<RecordedState> states = Sample();
    const IndexRead read = ReadIndex(Bytes(WriteIndex(states)));
    ASSERT_TRUE(read.ok()) << static_cast<int>(read.fault) << " line " << read.line;
    ASSERT_EQ(read.states.size(), states.size());
    for (size_t i = 0; i < states.size(); ++i) {
        EXPECT_EQ(read.states[i].time, states[i].time);
        EXPECT_TRUE(read.states[i].SameAs(states[i])) << i;
        EXPECT_EQ(read.states[i].scheme, states[i].scheme) << i;
    }
}

// An index written before the scheme in force was kept: its states read with
// the scheme not recorded, the pointers as they were.
TEST(HistoryIndex, ReadsAnIndexOfTheFirstVersion) {
    std::string index = WriteIndex(Sample());
    index.replace(index.find("history 2\n"), 10, "history 1\n");
    for (size_t at; (at = index.find("\nscheme ")) != std::string::npos;) {
        index.erase(at + 1, index.find('\n', index.find(':', at)) - at);
    }
    std::string body = index.substr(0, index.rfind("end "));
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : body) hash = (hash ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
    char sum[17];
    std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(hash));
    const IndexRead read = ReadIndex(Bytes(body + "end " + sum + "\n"));
    ASSERT_TRUE(read.ok()) << static_cast<int>(read.fault) << " line " << read.line;
    ASSERT_EQ(read.states.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_TRUE(read.states[i].SameAs(Sample()[i])) << i;
        EXPECT_FALSE(read.states[i].scheme.recorded) << i;
    }
}

struct Damage {
    const char* name;
    std::function<void(std::string& index)> damage;
    IndexFault fault;
};

void PrintTo(const Damage& row, std::ostream* os) { *os << row.name; }

class HistoryIndexDamaged : public testing::TestWithParam<Damage> {};

TEST_P(HistoryIndexDamaged, IsRefusedWhole) {
    std::string index = WriteIndex(Sample());
    GetParam().damage(index);
    const IndexRead read = ReadIndex(Bytes(index));
    EXPECT_EQ(read.fault, GetParam().fault);
    EXPECT_TRUE(read.states.empty());
}

// Replaces the first `from` with `to`; the checksum is made to match again,
// so that the row tests the line's own check.
std::function<void(std::string&)> Edit(std::string from, std::string to) {
    return [from, to](std::string& index) {
        const size_t at = index.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        index.replace(at, from.size(), to);
        const size_t end = index.rfind("end ");
        std::string body = index.substr(0, end);
        std::uint64_t hash = 14695981039346656037ull;
        for (const char c : body) hash = (hash ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
        char sum[17];
        std::snprintf(sum, sizeof sum, "%016llx", static_cast<unsigned long long>(hash));
        index = body + "end " + sum + "\n";
    };
}

INSTANTIATE_TEST_SUITE_P(
    Rows, HistoryIndexDamaged,
    testing::Values(
        Damage{"Empty", [](std::string& index) { index.clear(); }, IndexFault::NotAnIndex},
        Damage{"SomethingElse", [](std::string& index) { index = "[Version]\nSignature=$CHICAGO$\n"; },
               IndexFault::NotAnIndex},
        Damage{"NewerVersion", Edit("history 2\n", "history 3\n"), IndexFault::NewerVersion},
        Damage{"CutShort", [](std::string& index) { index.resize(index.size() / 2); }, IndexFault::BadLine},
        Damage{"CutBeforeTheChecksum", [](std::string& index) { index.resize(index.rfind("end ")); },
               IndexFault::BadLine},
        Damage{"DigitChanged", [](std::string& index) { index[index.find("time 1") + 5] = '2'; },
               IndexFault::BadChecksum},
        Damage{"BytesAfterTheEnd", [](std::string& index) { index += "x"; }, IndexFault::BadLine},
        Damage{"MoreStatesThanKept", Edit("states 2", "states 11"), IndexFault::BadLine},
        Damage{"ALineTooMany", Edit("time 133000000000000001\n", "time 1\nE - 0:\n"),
               IndexFault::BadLine},
        Damage{"UnknownKind", Edit("\nS - 0:\n", "\nX - 0:\n"), IndexFault::BadLine},
        Damage{"ContentNotHex", Edit(std::string(64, 'a'), std::string(63, 'a') + "G"), IndexFault::BadLine},
        Damage{"LengthPastTheEnd", Edit("\nS - 0:\n", "\nS - 99999999:\n"), IndexFault::BadLine},
        Damage{"OddLength", Edit("\nS - 0:\n", "\nS - 1:x\n"), IndexFault::BadLine},
        Damage{"AbsentWithText", Edit("\nS - 0:\n", "\nA - 2:xx\n"), IndexFault::BadLine},
        Damage{"FileKeptForNoText", Edit("\nS - 0:\n", "\nS " + std::string(64, 'b') + " 0:\n"),
               IndexFault::BadLine},
        Damage{"SchemeLineMissing", Edit("scheme 1 ", "S - "), IndexFault::BadLine},
        Damage{"SchemeNameWithoutSource", Edit("scheme - 0:", "scheme - 2:xx"), IndexFault::BadLine},
        Damage{"SchemeSourcePast32Bits", Edit("scheme 1 ", "scheme 4294967296 "), IndexFault::BadLine},
        Damage{"TooLarge", [](std::string& index) { index.resize(kMaxIndexBytes + 1, '\n'); }, IndexFault::TooLarge}),
    [](const testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao::history
