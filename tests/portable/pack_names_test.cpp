#include "scheme/formats/PackNames.h"

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
    std::string expected;   // "Role=file;..." in Windows' order, "#N" after a numbered copy's file
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

    // Windows' own names in Simplified Chinese and Japanese.
    {"SimplifiedChineseWindowsNames",
     {"正常选择.cur", "帮助选择.cur", "后台运行.ani", "忙.ani", "精确选择.cur", "文本选择.cur", "手写.cur", "不可用.cur",
      "垂直调整大小.cur", "水平调整大小.cur", "沿对角线调整大小 1.cur", "沿对角线调整大小2.cur", "移动.cur", "候选.cur",
      "链接选择.cur", "位置选择.cur", "个人 选择.cur"},
     "Arrow=正常选择.cur;Help=帮助选择.cur;AppStarting=后台运行.ani;Wait=忙.ani;Crosshair=精确选择.cur;IBeam=文本选择.cur;"
     "NWPen=手写.cur;No=不可用.cur;SizeNS=垂直调整大小.cur;SizeWE=水平调整大小.cur;SizeNWSE=沿对角线调整大小 1.cur;"
     "SizeNESW=沿对角线调整大小2.cur;SizeAll=移动.cur;UpArrow=候选.cur;Hand=链接选择.cur;Pin=位置选择.cur;Person=个人 选择.cur"},
    {"JapaneseWindowsNamesSlashDroppedOrReplaced",
     {"通常の選択.cur", "ヘルプの選択.cur", "バックグラウンドで作業中.ani", "待ち状態.ani", "領域選択.cur", "テキスト選択.cur",
      "手書き.cur", "利用不可.cur", "上下に拡大縮小.cur", "左右に拡大-縮小.cur", "斜めに拡大_縮小 1.cur", "斜めに拡大 縮小2.cur",
      "移動.cur", "代替選択.cur", "リンクの選択.cur", "場所の選択.cur", "人の選択.cur"},
     "Arrow=通常の選択.cur;Help=ヘルプの選択.cur;AppStarting=バックグラウンドで作業中.ani;Wait=待ち状態.ani;Crosshair=領域選択.cur;"
     "IBeam=テキスト選択.cur;NWPen=手書き.cur;No=利用不可.cur;SizeNS=上下に拡大縮小.cur;SizeWE=左右に拡大-縮小.cur;"
     "SizeNWSE=斜めに拡大_縮小 1.cur;SizeNESW=斜めに拡大 縮小2.cur;SizeAll=移動.cur;UpArrow=代替選択.cur;Hand=リンクの選択.cur;"
     "Pin=場所の選択.cur;Person=人の選択.cur"},
    {"EnglishChineseJapaneseAndCaptionsMixed",
     {"Normal Select.cur", "帮助选择.cur", "待ち状態.ani", "精确定位.cur", "选定文本.cur", "手    写.cur", "移動.cur", "候\u3000选.cur",
      "Location Select.cur", "aero_person.cur"},
     "Arrow=Normal Select.cur;Help=帮助选择.cur;Wait=待ち状態.ani;Crosshair=精确定位.cur;IBeam=选定文本.cur;NWPen=手    写.cur;"
     "SizeAll=移動.cur;UpArrow=候\u3000选.cur;Pin=Location Select.cur;Person=aero_person.cur"},
    {"SimplifiedAndJapaneseMoveAreOneRole", {"移动.cur", "移動.cur", "arrow.cur"}, "Arrow=arrow.cur"},
    {"ChineseNamesBehindSharedPrefix", {"花萝-正常选择.cur", "花萝-忙.ani", "花萝-移动.cur", "花萝-沿对角线调整大小 1.cur", "花萝-位置选择.cur"},
     "Arrow=花萝-正常选择.cur;Wait=花萝-忙.ani;SizeNWSE=花萝-沿对角线调整大小 1.cur;SizeAll=花萝-移动.cur;Pin=花萝-位置选择.cur"},
    {"ChinesePacksOwnNameForAlternateSelect", {"备用选择.cur", "忙.ani", "正常选择.cur"},
     "Arrow=正常选择.cur;Wait=忙.ani;UpArrow=备用选择.cur"},
    {"PrefixGluedToChineseNamesStays", {"花萝正常选择.cur", "花萝忙.ani", "花萝移动.cur"}, ""},
    // 媨 and 橋 differ from 动 and 手 in one byte by the bit that lowers ASCII.
    {"CjkBytesAreNotLowered", {"候选.cur", "移媨.cur", "橋写.cur"}, "UpArrow=候选.cur"},

    // Numbered copies.
    {"PlainNameBeatsEveryCopy", {"Busy 2.ani", "忙 (1).ani", "Busy.ani", "正常选择2.cur", "正常选择.cur", "aero_arrow 1.cur"},
     "Arrow=正常选择.cur;Wait=Busy.ani"},
    {"LowestCopyNumberWins", {"Busy (3).ani", "busy_10.ani", "Busy 2.ani", "正常选择 12.cur", "正常选择3.cur", "Help Select (1).cur"},
     "Arrow=正常选择3.cur#3;Help=Help Select (1).cur#1;Wait=Busy 2.ani#2"},
    {"TwoCopiesOfTheLowestNumberLeaveItUnset", {"忙 (2).ani", "Busy 2.ani", "忙 3.ani", "arrow.cur"}, "Arrow=arrow.cur"},
    {"CopyAfterSeparatorParenthesesOrCjk",
     {"忙(2).ani", "通常の選択_4.cur", "Help Select（5）.cur", "手写２.cur", "Move2.cur", "Text Select2.cur", "Diagonal Resize 12.cur"},
     "Arrow=通常の選択_4.cur#4;Help=Help Select（5）.cur#5;Wait=忙(2).ani#2;NWPen=手写２.cur#2"},
    {"CopyNumberLimits", {"Busy 0.ani", "Busy 1234567.ani", "Help 000.cur", "Arrow 999999.cur", "Text Select (2.cur", "(2).cur"},
     "Arrow=Arrow 999999.cur#999999"},
    {"DiagonalNumbersAreNamesNotCopies",
     {"Diagonal Resize 1.cur", "沿对角线调整大小2.cur", "Diagonal Resize 3.cur", "dgn12.cur", "沿对角线调整大小12.cur", "diagonal1.cur"},
     "SizeNESW=沿对角线调整大小2.cur"},
    {"DiagonalNamesWithACopyNumber", {"Diagonal Resize 1 (2).cur", "dgn1 4.cur", "沿对角线调整大小 2 3.cur", "斜めに拡大縮小 1.cur"},
     "SizeNWSE=斜めに拡大縮小 1.cur;SizeNESW=沿对角线调整大小 2 3.cur#3"},
    {"CopyNumberBeforeAeroSize", {"aero_arrow_l.cur", "aero_arrow 2.cur", "aero_busy 3.ani", "aero_busy_xl 2.ani", "aero_busy_l (2).ani"},
     "Arrow=aero_arrow_l.cur;Wait=aero_busy_l (2).ani#2"},
    {"CopiesBehindSharedPrefix", {"花萝-正常选择.cur", "花萝-正常选择2.cur", "花萝-忙 3.ani", "花萝-忙 (2).ani", "花萝-移动.ani"},
     "Arrow=花萝-正常选择.cur;Wait=花萝-忙 (2).ani#2;SizeAll=花萝-移动.ani"},
    {"NumberEveryFileSharesIsNoCopy", {"arrow 2.cur", "busy 2.ani", "help 2.cur", "move 2 2.cur"},
     "Arrow=arrow 2.cur;Help=help 2.cur;Wait=busy 2.ani;SizeAll=move 2 2.cur#2"},
    {"LinkCopyMakesHandHandwriting", {"hand.cur", "link (2).cur", "pointer.cur"}, "Arrow=pointer.cur;NWPen=hand.cur;Hand=link (2).cur#2"},
    {"CaptionClashBlocksCopiesToo", {"选择 2.cur", "help.cur"}, "Help=help.cur", {{"Arrow", "选择"}, {"Help", "选择"}}},
};

class PackFolder : public testing::TestWithParam<Folder> {};

TEST_P(PackFolder, MatchesFilesToRoles) {
    const std::vector<shubiao::pack::NameMatch> matches = shubiao::pack::MatchFileNames(GetParam().files, GetParam().captions);
    std::string described;
    for (const shubiao::pack::NameMatch& match : matches) {
        if (!described.empty()) described += ';';
        described += match.role + "=" + (match.file < GetParam().files.size() ? GetParam().files[match.file] : "?");
        if (match.alternate > 0) {
            described += '#';
            described += std::to_string(match.alternate);
        }
    }
    EXPECT_EQ(described, GetParam().expected);
    EXPECT_EQ(fuzz_invariants::NameMatchesBreak(matches, GetParam().files), "");
}

INSTANTIATE_TEST_SUITE_P(PackNames, PackFolder, testing::ValuesIn(kFolders), CaseName);


// The inputs the fuzzer kept keep every promise.
TEST(PackNames, FuzzCorpusKeepsThePromises) {
    const auto inputs = corpus::Inputs("pack_names");
    ASSERT_GT(inputs.size(), 10u);
    for (const auto& [name, bytes] : inputs) {
        const std::vector<std::string> names = fuzz_invariants::SplitNames(std::string(bytes.begin(), bytes.end()));
        EXPECT_EQ(fuzz_invariants::NameMatchesBreak(shubiao::pack::MatchFileNames(names, kGridCaptions), names), "")
            << name;
    }
}

}  // namespace
