#include "scheme/PackNames.h"

#include <gtest/gtest.h>

#include "corpus.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/invariants.h"

namespace {

namespace fs = std::filesystem;
using shubiao::pack::RoleCaption;

// The grid's captions as the editor shows them, odd spacing included.
const std::vector<RoleCaption> kGridCaptions{
    {"AppStarting", "后台运行"}, {"Arrow", "正常选择"}, {"Crosshair", "精确定位"}, {"Hand", "链接选择"},
    {"Help", "帮助选择"},        {"IBeam", "选定文本"}, {"No", "不 可 用"},      {"NWPen", "手    写"},
    {"SizeAll", "移    动"},     {"SizeNESW", "沿对角线2"}, {"SizeNS", "垂直调整"}, {"SizeNWSE", "沿对角线1"},
    {"SizeWE", "水平调整"},      {"UpArrow", "候    选"}, {"Wait", "忙"},
};

struct Folder {
    const char* name;
    std::vector<std::string> files;
    std::string expected;   // "Role=file;..." in Windows' order
    std::vector<RoleCaption> captions = kGridCaptions;
};

std::string CaseName(const testing::TestParamInfo<Folder>& info) { return info.param.name; }

const Folder kFolders[] = {
    {"WindowsNamesAnyCaseAndSeparators",
     {"Normal Select.cur", "help-select.cur", "Working In Background.ani", "busy.ani", "Precision_Select.cur", "TEXT SELECT.cur",
      "Handwriting.cur", "Unavailable.cur", "Vertical.Resize.cur", "Horizontal Resize.cur", "Diagonal Resize 1.cur",
      "Diagonal Resize 2.cur", "Move.cur", "Alternate Select.cur", "Link Select.cur"},
     "Arrow=Normal Select.cur;Help=help-select.cur;AppStarting=Working In Background.ani;Wait=busy.ani;"
     "Crosshair=Precision_Select.cur;IBeam=TEXT SELECT.cur;NWPen=Handwriting.cur;No=Unavailable.cur;SizeNS=Vertical.Resize.cur;"
     "SizeWE=Horizontal Resize.cur;SizeNWSE=Diagonal Resize 1.cur;SizeNESW=Diagonal Resize 2.cur;SizeAll=Move.cur;"
     "UpArrow=Alternate Select.cur;Hand=Link Select.cur"},
    {"SharedPrefixBeforeWindowsNames",
     {"Adwaita - Normal Select.cur", "Adwaita - Busy.ani", "Adwaita - Link Select.cur", "adwaita - text select.cur"},
     "Arrow=Adwaita - Normal Select.cur;Wait=Adwaita - Busy.ani;IBeam=adwaita - text select.cur;Hand=Adwaita - Link Select.cur"},
    {"PrefixBeforeInfVariableNamesHandBesideLink",
     {"kc_pointer.cur", "kc_help.cur", "kc_work.ani", "kc_busy.ani", "kc_cross.cur", "kc_text.cur", "kc_hand.cur",
      "kc_unavailiable.cur", "kc_vert.cur", "kc_horz.cur", "kc_dgn1.cur", "kc_dgn2.cur", "kc_move.cur", "kc_alternate.cur",
      "kc_link.cur"},
     "Arrow=kc_pointer.cur;Help=kc_help.cur;AppStarting=kc_work.ani;Wait=kc_busy.ani;Crosshair=kc_cross.cur;IBeam=kc_text.cur;"
     "NWPen=kc_hand.cur;No=kc_unavailiable.cur;SizeNS=kc_vert.cur;SizeWE=kc_horz.cur;SizeNWSE=kc_dgn1.cur;SizeNESW=kc_dgn2.cur;"
     "SizeAll=kc_move.cur;UpArrow=kc_alternate.cur;Hand=kc_link.cur"},
    {"HandWithoutLinkIsLinkSelect", {"pointer.cur", "hand.cur", "wait.ani"}, "Arrow=pointer.cur;Wait=wait.ani;Hand=hand.cur"},
    {"ShortFormsWithSelect", {"alt-select.cur", "link_select.cur", "helpsel.cur", "ew.cur", "nesw.cur"},
     "Help=helpsel.cur;SizeWE=ew.cur;SizeNESW=nesw.cur;UpArrow=alt-select.cur;Hand=link_select.cur"},
    {"AeroNamesPlainBeforeLargeBeforeExtraLarge",
     {"aero_arrow_xl.cur", "aero_arrow.cur", "aero_arrow_l.cur", "aero_busy_xl.ani", "aero_busy_l.ani", "aero_link_xl.cur",
      "aero_helpsel.cur", "aero_ns_l.cur", "aero_ns_xl.cur"},
     "Arrow=aero_arrow.cur;Help=aero_helpsel.cur;Wait=aero_busy_l.ani;SizeNS=aero_ns_l.cur;Hand=aero_link_xl.cur"},
    {"ChineseCaptionsWithoutTheirSpaces", {"正常选择.cur", "不可用.cur", "手写.cur", "忙.ani", "后台运行.ani", "移\u3000动.cur"},
     "Arrow=正常选择.cur;AppStarting=后台运行.ani;Wait=忙.ani;NWPen=手写.cur;No=不可用.cur;SizeAll=移\u3000动.cur"},
    {"SharedWordsAtTheEnd", {"arrow_32.cur", "busy_32.ani", "Help_32.cur"}, "Arrow=arrow_32.cur;Help=Help_32.cur;Wait=busy_32.ani"},
    {"WholeStemBeatsStrippedStem", {"busy.ani", "busy_wait.ani", "busy_arrow.cur"}, "Arrow=busy_arrow.cur;Wait=busy.ani"},
    {"TwoFilesForOneRoleLeaveItUnset", {"Busy.ani", "Wait.ani", "arrow.cur", "Busy.cur"}, "Arrow=arrow.cur"},
    {"FileClaimedByTwoRolesCountsForNeither", {"选择.cur", "help.cur"}, "Help=help.cur",
     {{"Arrow", "选择"}, {"Help", "选择"}}},
    {"FewerThanThreeFilesKeepTheirWords", {"kc_pointer.cur", "kc_busy.ani"}, ""},
    {"UnknownAndEmptyNames", {"readme.cur", ".ani", "", "arrow", "preview.cur.ani"}, "Arrow=arrow"},
    {"PinAndPersonByEnglishAndAeroNames", {"Location Select.cur", "aero_person_xl.cur", "aero_person_l.cur", "arrow.cur"},
     "Arrow=arrow.cur;Pin=Location Select.cur;Person=aero_person_l.cur"},
    {"PinAndPersonByShortForms", {"pin.cur", "person_select.cur", "busy.ani"}, "Wait=busy.ani;Pin=pin.cur;Person=person_select.cur"},
};

class PackFolder : public testing::TestWithParam<Folder> {};

TEST_P(PackFolder, MatchesFilesToRoles) {
    const std::vector<shubiao::pack::NameMatch> matches = shubiao::pack::MatchFileNames(GetParam().files, GetParam().captions);
    std::string described;
    for (const shubiao::pack::NameMatch& match : matches) {
        if (!described.empty()) described += ';';
        described += match.role + "=" + (match.file < GetParam().files.size() ? GetParam().files[match.file] : "?");
    }
    EXPECT_EQ(described, GetParam().expected);
    EXPECT_EQ(fuzz_invariants::NameMatchesBreak(matches, GetParam().files.size()), "");
}

INSTANTIATE_TEST_SUITE_P(PackNames, PackFolder, testing::ValuesIn(kFolders), CaseName);


// The inputs the fuzzer kept keep every promise.
TEST(PackNames, FuzzCorpusKeepsThePromises) {
    const auto inputs = corpus::Inputs("pack_names");
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) {
        const std::vector<std::string> names = fuzz_invariants::SplitNames(std::string(bytes.begin(), bytes.end()));
        EXPECT_EQ(fuzz_invariants::NameMatchesBreak(shubiao::pack::MatchFileNames(names, kGridCaptions), names.size()), "")
            << name;
    }
}

}  // namespace
