// One rule for device names, seen through every reader that takes a name:
// the zip reader (a file and a folder of an entry), the .inf reader (a file
// of a Schemes list), the scheme list (the last component of a slot's path)
// and the scheme-name check.
#include "scheme/formats/NameRules.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "scheme/formats/InfReader.h"
#include "scheme/formats/SchemeList.h"
#include "scheme/formats/TextEncoding.h"
#include "scheme/formats/ZipReader.h"
#include "zip_bytes.h"

namespace {

struct NameCase {
    std::string name;
    bool device;
};
void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

std::vector<NameCase> AllCases() {
    std::vector<NameCase> cases;
    // Every device Windows keeps, in upper, lower and mixed case, alone, with
    // an extension, two extensions, or spaces before the extension.
    for (const char* name : {"CON", "prn", "Aux", "nul", "NUL.txt", "nul.tar.gz", "Con .ani", "CONIN$", "conout$", "CONOUT$.log", "COM0",
                             "com1", "COM2", "cOm3", "COM4", "COM5.txt", "COM6", "COM7", "com8", "COM9", "COM\u00B9", "com\u00B2",
                             "COM\u00B3.txt", "LPT0", "lpt1", "LPT2", "LPT3", "Lpt4", "LPT5", "LPT6.x", "lpt7", "LPT8", "LPT9",
                             "LPT\u00B9", "lpt\u00B2.a.b", "LPT\u00B3"}) {
        cases.push_back({name, true});
    }
    // Near misses: names that only look like a device's.
    for (const char* name : {"COM10", "LPT", "CONSOLE", "CON1", "NULL", "COM1x", "LPT\u2074", "COM\u2081", "CONIN", "My CON"}) {
        cases.push_back({name, false});
    }
    return cases;
}

// Files read and entries refused of an archive holding "pack/NAME.cur" and
// "NAME/Arrow.ani", as "2 read, 0 refused".
std::string ZipVerdict(const std::string& name) {
    using namespace zip_bytes;
    Entry file = Deflated("pack/" + name + ".cur", Content("file"));
    Entry folder = Deflated(name + "/Arrow.ani", Content("folder"));
    file.flags = folder.flags = kFlagUtf8;
    const Bytes zip = Build({{file, folder}});
    shubiao::zip::SpanSource source(zip);
    int read = 0;
    const shubiao::zip::ArchiveRead result =
        shubiao::zip::ReadArchive(source, nullptr, [&](const shubiao::zip::Entry&, std::span<const std::uint8_t>) { ++read; });
    int refused = 0;
    for (const shubiao::zip::Skipped& skipped : result.skipped) refused += skipped.problem == shubiao::zip::EntryProblem::UnsafeName ? 1 : 0;
    return std::to_string(read) + " read, " + std::to_string(refused) + " refused";
}

// The file an install.inf's Schemes list gives Help when its entry is NAME.cur.
std::string InfHelpFile(const std::string& name) {
    const std::string text = "\xEF\xBB\xBF[Scheme.Reg]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"X\",,\"a.cur,%10%\\Cursors\\X\\" + name +
                             ".cur\"\r\n";
    const shubiao::inf::InfResult result = shubiao::inf::ReadCursorInf(zip_bytes::Text(text), nullptr);
    if (result.schemes.empty()) return "no scheme";
    for (const shubiao::inf::RoleFile& file : result.schemes[0].files) {
        if (file.role == "Help") return file.fileName;
    }
    return "";
}

class DeviceName : public testing::TestWithParam<NameCase> {};

TEST_P(DeviceName, IsRefusedOrTakenAlikeByEveryReader) {
    const std::string& name = GetParam().name;
    const bool device = GetParam().device;
    EXPECT_EQ(shubiao::names::IsDeviceName(name), device);

    EXPECT_EQ(ZipVerdict(name), device ? "0 read, 2 refused" : "2 read, 0 refused");
    EXPECT_EQ(InfHelpFile(name), device ? "" : name + ".cur");

    const shubiao::schemes::SchemeValue value = shubiao::schemes::ReadSchemeText(shubiao::Utf8ToUtf16("C:\\x\\" + name + ".cur"), nullptr);
    EXPECT_EQ(value.slots[0].refusal, device ? shubiao::schemes::Refusal::NetworkOrDevice : shubiao::schemes::Refusal::None);

    const shubiao::schemes::NameCheck check = shubiao::schemes::CheckSchemeName(name, {});
    EXPECT_EQ(check.problem, device ? shubiao::schemes::NameProblem::DeviceName : shubiao::schemes::NameProblem::None);
}

// "3_cOm3", "20_COMsup": the index keeps rows apart that differ only in case.
std::string RowName(const testing::TestParamInfo<NameCase>& info) {
    std::string out = std::to_string(info.index) + "_";
    for (const char c : info.param.name) {
        if (std::isalnum(static_cast<unsigned char>(c))) out += c;
        if (static_cast<unsigned char>(c) == 0xC2) out += "sup";
    }
    return out;
}

INSTANTIATE_TEST_SUITE_P(NameRules, DeviceName, testing::ValuesIn(AllCases()), RowName);

}  // namespace
