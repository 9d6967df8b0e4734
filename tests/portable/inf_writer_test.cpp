#include "scheme/formats/InfWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "inf_cases.h"
#include "scheme/formats/InfReader.h"
#include "scheme/formats/TextEncoding.h"

namespace {

struct RoundTrip {
    const char* name;
    std::string folder;
    std::vector<std::string_view> roles;
    std::string expected;   // inf_cases::Describe() of reading the written file back
};

std::string CaseName(const testing::TestParamInfo<RoundTrip>& info) { return info.param.name; }

const RoundTrip kRoundTrips[] = {
    {"AllRoles", "Aero Plus",
     {"AppStarting", "Arrow", "Crosshair", "Hand", "Help", "IBeam", "No", "NWPen", "SizeAll", "SizeNESW", "SizeNS", "SizeNWSE", "SizeWE", "UpArrow", "Wait"},
     "Aero Plus{Arrow=Arrow.ani;Help=Help.ani;AppStarting=AppStarting.ani;Wait=Wait.ani;Crosshair=Crosshair.ani;IBeam=IBeam.ani;"
     "NWPen=NWPen.ani;No=No.ani;SizeNS=SizeNS.ani;SizeWE=SizeWE.ani;SizeNWSE=SizeNWSE.ani;SizeNESW=SizeNESW.ani;"
     "SizeAll=SizeAll.ani;UpArrow=UpArrow.ani;Hand=Hand.ani}"},
    {"SomeRoles", "Pack", {"Wait", "Hand", "Arrow"}, "Pack{Arrow=Arrow.ani;Wait=Wait.ani;Hand=Hand.ani}"},
    {"PercentInFolderName", "100% 纯净", {"Arrow"}, "100% 纯净{Arrow=Arrow.ani}"},
    {"ChineseWithSpaces", "我的 光标 方案", {"Help", "SizeAll"}, "我的 光标 方案{Help=Help.ani;SizeAll=SizeAll.ani}"},
    {"UnknownAndRepeatedRolesLeftOut", "Pack", {"Arrow", "arrow", "Cursor", "Bogus", ""}, "Pack{Arrow=Arrow.ani}"},
    {"PinAndPerson", "Pack", {"person", "Wait", "PIN"}, "Pack{Wait=Wait.ani;Pin=Pin.ani;Person=Person.ani}"},
    {"PersonWithoutPin", "Pack", {"Person", "Hand"}, "Pack{Hand=Hand.ani;Person=Person.ani}"},
    {"AllSeventeenRoles", "Alle",
     {"Person", "Pin", "AppStarting", "Arrow", "Crosshair", "Hand", "Help", "IBeam", "No", "NWPen", "SizeAll", "SizeNESW", "SizeNS",
      "SizeNWSE", "SizeWE", "UpArrow", "Wait"},
     "Alle{Arrow=Arrow.ani;Help=Help.ani;AppStarting=AppStarting.ani;Wait=Wait.ani;Crosshair=Crosshair.ani;IBeam=IBeam.ani;"
     "NWPen=NWPen.ani;No=No.ani;SizeNS=SizeNS.ani;SizeWE=SizeWE.ani;SizeNWSE=SizeNWSE.ani;SizeNESW=SizeNESW.ani;"
     "SizeAll=SizeAll.ani;UpArrow=UpArrow.ani;Hand=Hand.ani;Pin=Pin.ani;Person=Person.ani}"},
};

class WrittenInf : public testing::TestWithParam<RoundTrip> {};

TEST_P(WrittenInf, ReadsBackAsExported) {
    const std::vector<std::uint8_t> bytes = shubiao::inf::WriteCursorInf(GetParam().folder, GetParam().roles);
    const shubiao::inf::InfResult read = shubiao::inf::ReadCursorInf(bytes, {});
    EXPECT_EQ(inf_cases::Describe(read), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(InfWriter, WrittenInf, testing::ValuesIn(kRoundTrips), CaseName);

// The Schemes list is as long as Windows versions without Pin and Person
// read it unless one of them is exported.
struct ListCase {
    const char* name;
    std::vector<std::string_view> roles;
    std::string expectedList;   // the Schemes value, "%10%\%CUR_DIR%\" written as "*"
};

std::string ListCaseName(const testing::TestParamInfo<ListCase>& info) { return info.param.name; }

const ListCase kListCases[] = {
    {"NeitherPinNorPersonFifteenEntries", {"Arrow", "Hand"}, "*Arrow.ani,,,,,,,,,,,,,,*Hand.ani"},
    {"NoRoleFifteenEntries", {}, ",,,,,,,,,,,,,,"},
    {"PinSeventeenEntries", {"Pin", "Arrow"}, "*Arrow.ani,,,,,,,,,,,,,,,*Pin.ani,"},
    {"PersonSeventeenEntries", {"Person"}, ",,,,,,,,,,,,,,,,*Person.ani"},
    {"BothSeventeenEntries", {"Person", "Pin", "Hand"}, ",,,,,,,,,,,,,,*Hand.ani,*Pin.ani,*Person.ani"},
};

class WrittenSchemesList : public testing::TestWithParam<ListCase> {};

TEST_P(WrittenSchemesList, HasAnEntryPerPosition) {
    const std::vector<std::uint8_t> bytes = shubiao::inf::WriteCursorInf("Pack", GetParam().roles);
    ASSERT_GE(bytes.size(), 2u);
    std::string text;
    shubiao::AppendUtf16BytesAsUtf8(std::span(bytes).subspan(2), false, text);
    const std::string prefix = "HKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\"";
    const std::size_t start = text.find(prefix);
    ASSERT_NE(start, std::string::npos) << text;
    const std::size_t end = text.find("\"\r\n", start + prefix.size());
    ASSERT_NE(end, std::string::npos) << text;
    const std::string_view folder = "%10%\\%CUR_DIR%\\";
    std::string list;
    for (std::size_t at = start + prefix.size(); at < end;) {
        if (text.compare(at, folder.size(), folder) == 0) {
            list += '*';
            at += folder.size();
        } else {
            list += text[at++];
        }
    }
    EXPECT_EQ(list, GetParam().expectedList);
}

INSTANTIATE_TEST_SUITE_P(InfWriter, WrittenSchemesList, testing::ValuesIn(kListCases), ListCaseName);

// The whole file for one export, as Windows' setup is to read it.
TEST(InfWriter, WritesWindowsFormInUtf16WithBomAndCrLf) {
    const std::vector<std::string_view> roles{"Hand", "Arrow"};
    const std::vector<std::uint8_t> bytes = shubiao::inf::WriteCursorInf("50% \"方案\"", roles);
    const std::u16string expected =
        u"[Version]\r\n"
        u"signature=\"$CHICAGO$\"\r\n"
        u"\r\n"
        u"[DefaultInstall]\r\n"
        u"CopyFiles = Scheme.Cur\r\n"
        u"AddReg    = Scheme.Reg\r\n"
        u"\r\n"
        u"[DestinationDirs]\r\n"
        u"Scheme.Cur = 10,\"%CUR_DIR%\"\r\n"
        u"\r\n"
        u"[Scheme.Reg]\r\n"
        u"HKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\"%10%\\%CUR_DIR%\\Arrow.ani,,,,,,,,,,,,,,%10%\\%CUR_DIR%\\Hand.ani\"\r\n"
        u"\r\n"
        u"[Scheme.Cur]\r\n"
        u"Arrow.ani\r\n"
        u"Hand.ani\r\n"
        u"\r\n"
        u"[Strings]\r\n"
        u"CUR_DIR     = \"Cursors\\50% \"\"方案\"\"\"\r\n"
        u"SCHEME_NAME = \"50% \"\"方案\"\"\"\r\n";
    EXPECT_EQ(bytes, inf_cases::Utf16(expected, false));
}

}  // namespace
