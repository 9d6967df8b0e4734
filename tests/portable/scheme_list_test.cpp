#include "scheme/formats/SchemeList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <array>
#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "corpus.h"
#include "scheme/formats/TextEncoding.h"
#include "tests/fuzz/invariants.h"

namespace {

using namespace shubiao::schemes;
using Bytes = std::vector<std::uint8_t>;

// ---- helpers ----------------------------------------------------------------

Bytes Utf16Le(std::u16string_view text, bool terminated = true) {
    Bytes bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    if (terminated) bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

Bytes Data(std::string_view utf8, bool terminated = true) { return Utf16Le(shubiao::Utf8ToUtf16(utf8), terminated); }

Bytes Joined(Bytes a, std::initializer_list<std::uint8_t> b) {
    a.insert(a.end(), b);
    return a;
}

std::string Repeat(std::string_view piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// The machine the tests read on; names looked up without regard to ASCII
// case, as Windows looks them up.
std::optional<std::string> Variable(std::string_view name) {
    static const std::map<std::string, std::string> kVariables{
        {"systemroot", R"(C:\Windows)"},     {"userprofile", R"(C:\Users\张三)"}, {"empty", ""},
        {"half", std::string(16384, 'x')},   // twice is one over the bound
        {"padded", R"(  C:\Padded)"},        {"unc", R"(\\server\share)"},
    };
    std::string lowered(name);
    for (char& c : lowered) c = shubiao::AsciiLower(c);
    const auto it = kVariables.find(lowered);
    if (it == kVariables.end()) return std::nullopt;
    return it->second;
}

const char* Name(Refusal refusal) {
    switch (refusal) {
    case Refusal::None: return "None";
    case Refusal::UndefinedVariable: return "UndefinedVariable";
    case Refusal::TooLong: return "TooLong";
    case Refusal::LoneSurrogate: return "LoneSurrogate";
    case Refusal::NetworkOrDevice: return "NetworkOrDevice";
    case Refusal::NotAbsolute: return "NotAbsolute";
    case Refusal::ForbiddenCharacter: return "ForbiddenCharacter";
    case Refusal::Folder: return "Folder";
    }
    return "?";
}

const char* Name(NameProblem problem) {
    switch (problem) {
    case NameProblem::None: return "None";
    case NameProblem::InvalidText: return "InvalidText";
    case NameProblem::Empty: return "Empty";
    case NameProblem::TooLong: return "TooLong";
    case NameProblem::ControlCharacter: return "ControlCharacter";
    case NameProblem::ForbiddenCharacter: return "ForbiddenCharacter";
    case NameProblem::TrailingDot: return "TrailingDot";
    case NameProblem::ExpandedCharacter: return "ExpandedCharacter";
    case NameProblem::DeviceName: return "DeviceName";
    case NameProblem::ApplyFolder: return "ApplyFolder";
    case NameProblem::SystemScheme: return "SystemScheme";
    }
    return "?";
}

const char* Name(WriteError error) {
    switch (error) {
    case WriteError::None: return "None";
    case WriteError::Comma: return "Comma";
    case WriteError::NotItself: return "NotItself";
    case WriteError::TooLarge: return "TooLarge";
    }
    return "?";
}

// "N entries" and each slot that is not Windows' default, by its role:
// "Arrow=C:\a.cur", "Help refused UndefinedVariable NAME".
std::string Describe(const SchemeValue& value) {
    if (value.state == ValueState::Skipped) return "skipped";
    if (value.state == ValueState::Unreadable) return "unreadable";
    std::string out = std::to_string(value.entries) + " entries";
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        const Slot& slot = value.slots[i];
        if (slot.state == SlotState::WindowsDefault) continue;
        out += "; " + std::string(shubiao::kSchemeOrder[i]);
        if (slot.state == SlotState::Path) {
            out += "=" + slot.path;
        } else {
            out += std::string(" refused ") + Name(slot.refusal);
            if (!slot.detail.empty()) out += " " + slot.detail;
        }
    }
    return out;
}

template <typename Case>
std::string CaseName(const testing::TestParamInfo<Case>& info) {
    return info.param.name;
}

// ---- reading a value's data -------------------------------------------------

struct ValueCase {
    const char* name;
    std::function<Bytes()> data;
    ValueType type;
    std::string expected;   // Describe()
};

const ValueCase kStrangeValues[] = {
    {"AnotherTypeIsSkipped", [] { return Bytes{1, 0, 0, 0}; }, ValueType::Other, "skipped"},
    {"TextOfAnotherTypeIsSkipped", [] { return Data(R"(C:\a.cur)"); }, ValueType::Other, "skipped"},
    {"HundredThousandCommasAreUnreadable", [] { return Data(std::string(100000, ',')); }, ValueType::Text, "unreadable"},
    {"FortyThousandCharacterPathIsUnreadable", [] { return Data("C:\\" + std::string(40000, 'a')); }, ValueType::Text,
     "unreadable"},
    {"OneByteOver32KiBIsUnreadable", [] { return Joined(Data(std::string(16383, ','), false), {0, 0, 0}); },
     ValueType::Text, "unreadable"},
    {"Exactly32KiBIsRead", [] { return Data(std::string(16383, ',')); }, ValueType::Text, "16384 entries"},
    {"ExpansionPastTheBoundIsTooLong", [] { return Data(R"(C:\%HALF%%HALF%,C:\%HALF%\a.cur)"); }, ValueType::ExpandableText,
     "2 entries; Arrow refused TooLong; Help=C:\\" + std::string(16384, 'x') + "\\a.cur"},
    {"FoldersAreRefused", [] { return Data(R"(C:\Windows\Cursors\,C:\,C:/Windows/,C:\Windows\..,C:\Windows\. .)"); },
     ValueType::Text,
     "5 entries; Arrow refused Folder; Help refused Folder; AppStarting refused Folder; Wait refused Folder; "
     "Crosshair refused Folder"},
    {"UndefinedVariableIsNamed", [] { return Data(R"(%NOSUCH%\a.cur,C:\%SystemRoot%%Other%\b.cur)"); },
     ValueType::ExpandableText, "2 entries; Arrow refused UndefinedVariable NOSUCH; Help refused UndefinedVariable Other"},
    {"NetworkAndDevicePathsAreRefused",
     [] {
         return Data(R"(\\server\share\a.cur,\\.\COM1,\\?\C:\a.cur,//server/a.cur,\??\C:\a.cur,/\server\a.cur,)"
                     R"(C:\x\CON.cur,C:\x\lpt²,C:\x\nul .ani,%UNC%\a.cur)");
     },
     ValueType::ExpandableText,
     "10 entries; Arrow refused NetworkOrDevice; Help refused NetworkOrDevice; AppStarting refused NetworkOrDevice; "
     "Wait refused NetworkOrDevice; Crosshair refused NetworkOrDevice; IBeam refused NetworkOrDevice; "
     "NWPen refused NetworkOrDevice; No refused NetworkOrDevice; SizeNS refused NetworkOrDevice; "
     "SizeWE refused NetworkOrDevice"},
    {"RelativeRootedAndDriveRelativePathsAreRefused",
     [] { return Data(R"(a.cur,Cursors\a.cur,\Windows\a.cur,C:a.cur,..\a.cur,%EMPTY%,1:\a.cur,%EMPTY%a.cur)"); },
     ValueType::ExpandableText,
     "8 entries; Arrow refused NotAbsolute; Help refused NotAbsolute; AppStarting refused NotAbsolute; "
     "Wait refused NotAbsolute; Crosshair refused NotAbsolute; IBeam refused NotAbsolute; NWPen refused NotAbsolute; "
     "No refused NotAbsolute"},
    {"ForbiddenCharactersAreNamed",
     [] { return Data("C:\\a<b.cur,C:\\a>b,C:\\a|b,C:\\a?.cur,C:\\*.cur,C:\\a\"b,C:\\a.cur:s,C:\\a\tb,C:\\a\x7F,C:\\a\xC2\x85"); },
     ValueType::Text,
     "10 entries; Arrow refused ForbiddenCharacter <; Help refused ForbiddenCharacter >; "
     "AppStarting refused ForbiddenCharacter |; Wait refused ForbiddenCharacter ?; Crosshair refused ForbiddenCharacter *; "
     "IBeam refused ForbiddenCharacter \"; NWPen refused ForbiddenCharacter :; No refused ForbiddenCharacter U+0009; "
     "SizeNS refused ForbiddenCharacter U+007F; SizeWE refused ForbiddenCharacter U+0085"},
    {"FifteenSlotsArePadded", [] { return Data(Repeat(",", 14) + R"(C:\hand.cur)"); }, ValueType::Text,
     R"(15 entries; Hand=C:\hand.cur)"},
    {"EntriesPastSeventeenAreCountedNotRead",
     [] { return Data(Repeat(",", 16) + R"(C:\person.cur,C:\18.cur,\\bad,%NOSUCH%)"); }, ValueType::ExpandableText,
     R"(20 entries; Person=C:\person.cur)"},
    {"BlankSlotsAreWindowsDefault", [] { return Data(R"( ,   ,,  C:\a.cur  ,)"); }, ValueType::Text, R"(5 entries; Wait=C:\a.cur)"},
    {"TextEndsAtEmbeddedNul", [] { return Utf16Le(std::u16string_view(u"C:\\a.cur,C:\\b.cur\0,C:\\c.cur", 27)); }, ValueType::Text,
     R"(2 entries; Arrow=C:\a.cur; Help=C:\b.cur)"},
    {"OddByteCountWithoutNul", [] { return Joined(Data(R"(C:\a.cur,C:\b.cur)", false), {'C'}); }, ValueType::Text,
     R"(2 entries; Arrow=C:\a.cur; Help=C:\b.cur)"},
    {"LoneSurrogateIsRefused", [] { return Utf16Le(u"C:\\a\xD800.cur,C:\\\xDC00,C:\\\xD83D\xDE00.cur"); }, ValueType::Text,
     "3 entries; Arrow refused LoneSurrogate; Help refused LoneSurrogate; AppStarting=C:\\\U0001F600.cur"},
    {"EmptyDataListsNothing", [] { return Bytes{}; }, ValueType::Text, "0 entries"},
    {"OnlyNulListsNothing", [] { return Bytes{0, 0, 'C', 0}; }, ValueType::ExpandableText, "0 entries"},
};

const ValueCase kGoodValues[] = {
    {"WindowsOwnSchemeAsExpandableText",
     [] {
         return Data(R"(%SystemRoot%\cursors\aero_arrow.cur,%SystemRoot%\cursors\aero_helpsel.cur,,)"
                     R"(%SystemRoot%\cursors\aero_busy.ani)" +
                     Repeat(",", 12) + R"(%SystemRoot%\cursors\aero_pin.cur,%SystemRoot%\cursors\aero_person.cur)");
     },
     ValueType::ExpandableText,
     R"(17 entries; Arrow=C:\Windows\cursors\aero_arrow.cur; Help=C:\Windows\cursors\aero_helpsel.cur; )"
     R"(Wait=C:\Windows\cursors\aero_busy.ani; Pin=C:\Windows\cursors\aero_pin.cur; Person=C:\Windows\cursors\aero_person.cur)"},
    {"VariablesExpandedInPlainTextToo", [] { return Data(R"(%SystemRoot%\cursors\a.cur,%systemroot%\b.cur)"); },
     ValueType::Text, R"(2 entries; Arrow=C:\Windows\cursors\a.cur; Help=C:\Windows\b.cur)"},
    {"SpacesAroundPathsTrimmedInsideKept", [] { return Data(R"(  C:\My Cursors\a b.cur  , %SystemRoot%\x.cur)"); },
     ValueType::ExpandableText, R"(2 entries; Arrow=C:\My Cursors\a b.cur; Help=C:\Windows\x.cur)"},
    {"SpacesFromAVariableTrimmed", [] { return Data(R"(%PADDED%\a.cur)"); }, ValueType::ExpandableText,
     R"(1 entries; Arrow=C:\Padded\a.cur)"},
    {"ChinesePathsAndVariables", [] { return Data(R"(%USERPROFILE%\光标\正常.ani,D:\方案\忙.ani)"); }, ValueType::ExpandableText,
     R"(2 entries; Arrow=C:\Users\张三\光标\正常.ani; Help=D:\方案\忙.ani)"},
    {"ForwardSlashesAndLowerCaseDrive", [] { return Data(R"(c:/Windows/Cursors/a.cur)"); }, ValueType::Text,
     R"(1 entries; Arrow=c:/Windows/Cursors/a.cur)"},
    {"PercentSignsThatAreNoVariableStayText", [] { return Data(R"(C:\50%\a.cur,C:\%%\b.cur,C:\100%%EMPTY%.cur)"); },
     ValueType::ExpandableText, R"(3 entries; Arrow=C:\50%\a.cur; Help=C:\%%\b.cur; AppStarting=C:\100%%EMPTY%.cur)"},
    {"DotsAndDeviceLikeNamesThatAreNoDevice", [] { return Data(R"(C:\x\..\a.cur,C:\x\CONSOLE.cur,C:\x\COM10.cur,C:\CON\a.cur)"); },
     ValueType::Text,
     R"(4 entries; Arrow=C:\x\..\a.cur; Help=C:\x\CONSOLE.cur; AppStarting=C:\x\COM10.cur; Wait=C:\CON\a.cur)"},
    {"SeventeenDefaults", [] { return Data(Repeat(",", 16)); }, ValueType::Text, "17 entries"},
};

class ReadValue : public testing::TestWithParam<ValueCase> {};

TEST_P(ReadValue, GivesEachSlot) {
    const Bytes data = GetParam().data();
    const SchemeValue value = ReadSchemeValue(data, GetParam().type, Variable);
    EXPECT_EQ(Describe(value), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::scheme_list::SchemeValueBreaks(value, GetParam().type, data.size(), Variable), "");
}

INSTANTIATE_TEST_SUITE_P(StrangeValues, ReadValue, testing::ValuesIn(kStrangeValues), CaseName<ValueCase>);
INSTANTIATE_TEST_SUITE_P(GoodValues, ReadValue, testing::ValuesIn(kGoodValues), CaseName<ValueCase>);

// ---- text beyond what the registry gives: the bounds of the work ------------

struct TextCase {
    const char* name;
    std::function<std::u16string()> text;
    std::string expected;   // Describe()
};

const TextCase kLongTexts[] = {
    {"HundredThousandCommas", [] { return u"C:\\a.cur" + std::u16string(100000, u','); }, R"(100001 entries; Arrow=C:\a.cur)"},
    {"FortyThousandCharacterPath", [] { return u"C:\\" + std::u16string(40000, u'a') + u",C:\\b.cur"; },
     R"(2 entries; Arrow refused TooLong; Help=C:\b.cur)"},
    {"LongestPathKept", [] { return u"C:\\" + std::u16string(32764, u'a'); }, "1 entries; Arrow=C:\\" + std::string(32764, 'a')},
    {"PairsCountAsTwoUnits", [] { return u"C:\\" + std::u16string(32763, u'a') + u"\xD83D\xDE00"; },
     R"(1 entries; Arrow refused TooLong)"},
    {"FortyThousandEmptyVariables", [] { return shubiao::Utf8ToUtf16("C:\\" + Repeat("%EMPTY%", 40000) + "a.cur"); },
     R"(1 entries; Arrow=C:\a.cur)"},
    {"FortyThousandPercentSigns", [] { return u"C:\\" + std::u16string(40000, u'%') + u"\\a.cur"; }, R"(1 entries; Arrow refused TooLong)"},
};

class ReadText : public testing::TestWithParam<TextCase> {};

TEST_P(ReadText, StaysWithinTheBounds) { EXPECT_EQ(Describe(ReadSchemeText(GetParam().text(), Variable)), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(BeyondTheRegistryLimit, ReadText, testing::ValuesIn(kLongTexts), CaseName<TextCase>);

// ---- writing a value --------------------------------------------------------

using Paths = std::map<std::size_t, std::string>;   // slot → path; the others Windows' default

std::array<std::string, kSlotCount> Slots(const Paths& paths) {
    std::array<std::string, kSlotCount> slots;
    for (const auto& [slot, path] : paths) slots.at(slot) = path;
    return slots;
}

// Every slot a path ("C:\" and letters): the first of `firstLength` units,
// the others of 962. With 16 commas and a NUL, 975 fills 32 KiB exactly.
Paths EverySlot(std::size_t firstLength) {
    Paths paths;
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        paths[i] = "C:\\" + std::string((i == 0 ? firstLength : 962) - 3, static_cast<char>('a' + i));
    }
    return paths;
}

struct WriteCase {
    const char* name;
    Paths paths;
    std::string text;   // the text written, when the row gives it
};

const WriteCase kRoundTrips[] = {
    {"AllWindowsDefault", {}, ",,,,,,,,,,,,,,,,"},
    {"ArrowAndPerson", {{0, R"(C:\Windows\Cursors\a.cur)"}, {16, R"(C:\x\person.cur)"}},
     R"(C:\Windows\Cursors\a.cur,,,,,,,,,,,,,,,,C:\x\person.cur)"},
    {"ChineseAndPairsOutsideTheBmp", {{3, R"(D:\光标\忙.ani)"}, {5, "C:\\\U0001F600.cur"}}, ""},
    {"PercentSignsThatAreNoVariable", {{0, R"(C:\50%\a.cur)"}, {1, R"(C:\%%\b.cur)"}, {2, R"(C:\a%b.cur)"}}, ""},
    {"ForwardSlashesAndInnerSpaces", {{9, "c:/My Cursors/a b.cur"}}, ""},
    {"Exactly32KiB", EverySlot(975), ""},
};

class WrittenValueReadsBack : public testing::TestWithParam<WriteCase> {};

TEST_P(WrittenValueReadsBack, AsTheSlotsGiven) {
    const auto slots = Slots(GetParam().paths);
    const WrittenValue written = WriteSchemeValue(slots, Variable);
    ASSERT_EQ(Name(written.error), std::string("None"));
    if (!GetParam().text.empty()) {
        EXPECT_EQ(written.text, shubiao::Utf8ToUtf16(GetParam().text));
    }
    const SchemeValue read = ReadSchemeValue(Utf16Le(written.text), ValueType::ExpandableText, Variable);
    ASSERT_EQ(read.state, ValueState::Read);
    EXPECT_EQ(read.entries, kSlotCount);
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        EXPECT_EQ(read.slots[i].state, slots[i].empty() ? SlotState::WindowsDefault : SlotState::Path) << i;
        EXPECT_EQ(read.slots[i].path, slots[i]) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(SchemeWriter, WrittenValueReadsBack, testing::ValuesIn(kRoundTrips), CaseName<WriteCase>);

struct RefusedWrite {
    const char* name;
    Paths paths;
    std::string expected;   // "error slot refusal"
};

const RefusedWrite kRefusedWrites[] = {
    {"CommaSplitsAPath", {{2, R"(C:\a,b.cur)"}}, "Comma 2 None"},
    {"RelativePath", {{0, "a.cur"}}, "NotItself 0 NotAbsolute"},
    {"VariableReadsAsAnotherPath", {{1, R"(%SystemRoot%\a.cur)"}}, "NotItself 1 None"},
    {"UndefinedVariable", {{1, R"(C:\%NOSUCH%\a.cur)"}}, "NotItself 1 UndefinedVariable"},
    {"SpacesAroundAPath", {{4, R"( C:\a.cur)"}}, "NotItself 4 None"},
    {"OnlySpacesReadAsDefault", {{4, "   "}}, "NotItself 4 None"},
    {"Folder", {{5, R"(C:\Cursors\)"}}, "NotItself 5 Folder"},
    {"NetworkPath", {{6, R"(\\server\a.cur)"}}, "NotItself 6 NetworkOrDevice"},
    {"NulInsideAPath", {{7, std::string("C:\\a\0b.cur", 10)}}, "NotItself 7 ForbiddenCharacter"},
    {"NotUtf8", {{8, "C:\\\xFF.cur"}}, "NotItself 8 None"},
    {"FirstProblemWins", {{3, "a.cur"}, {9, R"(C:\a,b)"}}, "NotItself 3 NotAbsolute"},
    {"OneUnitOver32KiB", EverySlot(976), "TooLarge 0 None"},
};

class SchemeWriterRefuses : public testing::TestWithParam<RefusedWrite> {};

TEST_P(SchemeWriterRefuses, SaysWhichSlotAndWhy) {
    const WrittenValue written = WriteSchemeValue(Slots(GetParam().paths), Variable);
    EXPECT_EQ(std::string(Name(written.error)) + " " + std::to_string(written.slot) + " " + Name(written.refusal),
              GetParam().expected);
    EXPECT_TRUE(written.text.empty());
}

INSTANTIATE_TEST_SUITE_P(SchemeWriter, SchemeWriterRefuses, testing::ValuesIn(kRefusedWrites), CaseName<RefusedWrite>);

// ---- scheme names -----------------------------------------------------------

struct NameCase {
    const char* name;
    std::string typed;
    std::string expected;   // the name kept, or the problem's name
};

const std::vector<std::string> kSystemSchemes{"Windows Default", "Windows 黑色 (大)", "Magnified"};

const NameCase kNames[] = {
    {"Chinese", "我的方案", "我的方案"},
    {"SpacesAroundTrimmed", "  Aero 蓝  ", "Aero 蓝"},
    {"IdeographicSpacesTrimmed", "\u3000 方案\u3000 ", "方案"},
    {"InnerSpacesKept", "a  b\u3000c", "a  b\u3000c"},
    {"DotsInsideKept", ".v1.2 方案", ".v1.2 方案"},
    {"NoBreakSpaceIsNoSpace", "\u00A0方案\u00A0", "\u00A0方案\u00A0"},
    {"NothingTyped", "", "Empty"},
    {"OnlySpaces", "  \u3000 ", "Empty"},
    {"SixtyFourChineseCharacters", Repeat("光", 64), Repeat("光", 64)},
    {"SixtyFourPairsOutsideTheBmp", Repeat("\U0001F600", 64), Repeat("\U0001F600", 64)},
    {"SixtyFiveCharacters", Repeat("a", 65), "TooLong"},
    {"SixtyFiveAfterTrimmingIsTooLong", " " + Repeat("光", 65) + " ", "TooLong"},
    {"EncodedSurrogate", "a\xED\xA0\x80", "InvalidText"},
    {"CutShortUtf8", "方\xE6\xA1", "InvalidText"},
    {"Tab", "a\tb", "ControlCharacter"},
    {"Delete", "a\x7F", "ControlCharacter"},
    {"C1Control", "a\u0085b", "ControlCharacter"},
    {"ControlBeforeForbidden", "a/\tb", "ControlCharacter"},
    {"Backslash", "a\\b", "ForbiddenCharacter"},
    {"Slash", "a/b", "ForbiddenCharacter"},
    {"Colon", "a:b", "ForbiddenCharacter"},
    {"Star", "a*", "ForbiddenCharacter"},
    {"Question", "a?", "ForbiddenCharacter"},
    {"Quote", "\"a\"", "ForbiddenCharacter"},
    {"LessAndGreater", "<a>", "ForbiddenCharacter"},
    {"Bar", "a|b", "ForbiddenCharacter"},
    {"Comma", "a,b", "ForbiddenCharacter"},
    {"FullWidthCharactersAllowed", "方案：１？", "方案：１？"},
    {"TrailingDot", "方案.", "TrailingDot"},
    {"TrailingDotBeforeSpaces", "方案. \u3000", "TrailingDot"},
    {"VariableInside", "a%USERNAME%b", "ExpandedCharacter"},
    {"VariableAfterParentFolder", "..%HOMEPATH%", "ExpandedCharacter"},
    {"LonePercentSign", "50% 透明", "ExpandedCharacter"},
    {"NulLowerCase", "nul", "DeviceName"},
    {"AuxWithExtension", "Aux.txt", "DeviceName"},
    {"PrnSpacesBeforeExtension", "PRN  .方案", "DeviceName"},
    {"Com1", "COM1", "DeviceName"},
    {"Lpt9", "lpt9", "DeviceName"},
    {"ComSuperscriptTwo", "COM²", "DeviceName"},
    {"ConoutDollar", "conout$", "DeviceName"},
    {"Com10IsNoDevice", "COM10", "COM10"},
    {"ConsoleIsNoDevice", "CONSOLE", "CONSOLE"},
    {"DeviceWordInsideIsFine", "My CON", "My CON"},
    {"CursorsFolder", "Cursors", "ApplyFolder"},
    {"CursorsFolderAnyCase", " cURSORS ", "ApplyFolder"},
    {"CursorsWithMoreIsFine", "Cursors 2", "Cursors 2"},
    {"SystemScheme", "Windows Default", "SystemScheme"},
    {"SystemSchemeAnyAsciiCase", "windows DEFAULT", "SystemScheme"},
    {"ChineseSystemScheme", "Windows 黑色 (大)", "SystemScheme"},
    {"SystemSchemeWithMoreIsFine", "Windows Default 2", "Windows Default 2"},
};

class SchemeName : public testing::TestWithParam<NameCase> {};

TEST_P(SchemeName, IsKeptTrimmedOrRefusedForItsFirstProblem) {
    const NameCheck check = CheckSchemeName(GetParam().typed, kSystemSchemes);
    EXPECT_EQ(check.problem == NameProblem::None ? check.name : std::string(Name(check.problem)), GetParam().expected);
    EXPECT_EQ(fuzz_invariants::scheme_list::SchemeNameBreaks(check, GetParam().typed), "");
}

INSTANTIATE_TEST_SUITE_P(SchemeNames, SchemeName, testing::ValuesIn(kNames), CaseName<NameCase>);

// ---- the fuzzer's inputs ------------------------------------------------------

// The inputs the fuzzer kept keep every promise.
TEST(SchemeList, FuzzCorpusKeepsThePromises) {
    namespace fi = fuzz_invariants::scheme_list;
    const auto inputs = corpus::Inputs("scheme_list");
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) {
        if (bytes.empty()) continue;
        const ValueType type = fi::TypeOf(bytes[0]);
        const std::span<const std::uint8_t> data(bytes.data() + 1, bytes.size() - 1);
        EXPECT_EQ(fi::SchemeValueBreaks(ReadSchemeValue(data, type, fi::Variable), type, data.size()), "") << name;
        const std::string_view typed(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        EXPECT_EQ(fi::SchemeNameBreaks(CheckSchemeName(typed, fi::SystemSchemes()), typed), "") << name;
    }
}

}  // namespace
