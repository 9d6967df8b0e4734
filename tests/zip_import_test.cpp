// Importing a downloaded .zip pack as a user drops it or picks it: what the
// grid takes, what it tells, where the unpacked files live and when they go.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "portable/zip_bytes.h"
#include "scheme/CursorRole.h"
#include "scheme/ZipPack.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;
namespace zb = zip_bytes;

constexpr int kArrow = 2;
constexpr int kWait = 15;
constexpr int kHand = 4;
constexpr int kPin = 16;

// The name in the code page Windows' own compressed folders write on
// Chinese Windows (GBK), without the UTF-8 flag.
std::string Gbk(const std::wstring& name) {
    const int n = WideCharToMultiByte(936, 0, name.c_str(), static_cast<int>(name.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(936, 0, name.c_str(), static_cast<int>(name.size()), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

zb::Entry CursorEntry(std::string name, int hot, std::uint16_t flags = 0) {
    zb::Entry entry = zb::Deflated(std::move(name), MakeStaticCursor(hot, hot));
    entry.flags = flags;
    return entry;
}

constexpr const char* kInf = "[DefaultInstall]\r\nAddReg = R\r\n[R]\r\n"
                             "HKCU,\"Control Panel\\Cursors\\Schemes\",\"雪\",,"
                             "\"箭头.cur,,,忙.ani,,,,,,,,,,,链接.cur,位置.cur\"\r\n";

struct ZipCase {
    const char* name;
    std::function<zb::Archive()> archive;
    std::vector<std::pair<int, int>> taken;  // role, hot spot of its file
    const wchar_t* message;                  // a phrase of the one box shown; nullptr: none
};
void PrintTo(const ZipCase& c, std::ostream* os) { *os << c.name; }

const ZipCase kZips[] = {
    {"GbkNamesWithMacJunk",
     [] {
         return zb::Archive{{CursorEntry(Gbk(L"花萝\\花萝-正常选择.ani"), 3), CursorEntry(Gbk(L"花萝\\花萝-忙.ani"), 4),
                             CursorEntry(Gbk(L"花萝\\花萝-链接选择.cur"), 5), CursorEntry(Gbk(L"花萝\\花萝-位置选择.cur"), 6),
                             zb::Stored("__MACOSX/花萝/._花萝-正常选择.ani", zb::Text("junk")),
                             zb::Stored("花萝/._花萝-忙.ani", zb::Text("junk"))}};
     },
     {{kArrow, 3}, {kWait, 4}, {kHand, 5}, {kPin, 6}}, nullptr},
    {"Utf8NamesWithAnInf",
     [] {
         return zb::Archive{{zb::Deflated("雪/install.inf", zb::Text(kInf)), CursorEntry("雪/箭头.cur", 3, zb::kFlagUtf8),
                             CursorEntry("雪/忙.ani", 4, zb::kFlagUtf8), CursorEntry("雪/链接.cur", 5, zb::kFlagUtf8),
                             CursorEntry("雪/位置.cur", 6, zb::kFlagUtf8)}};
     },
     {{kArrow, 3}, {kWait, 4}, {kHand, 5}, {kPin, 6}}, nullptr},
    {"BadEntryIsNamedTheRestImports",
     [] {
         zb::Entry bad = CursorEntry("Busy.ani", 4);
         bad.crc = 1234;
         return zb::Archive{{CursorEntry("Normal Select.cur", 3), bad}};
     },
     {{kArrow, 3}}, L"“pack.zip\\Busy.ani”：校验失败"},
    {"UnsafeEntryNameIsNamed",
     [] { return zb::Archive{{CursorEntry("Normal Select.cur", 3), CursorEntry("../Busy.ani", 4)}}; },
     {{kArrow, 3}}, L"文件名不安全"},
    {"BombEntryIsRefusedTheRestImports",
     [] {
         zb::Entry bomb = zb::Deflated("Busy.ani", {});
         bomb.payload = zb::ZeroBomb(1024);
         bomb.size = 1u << 30;  // 1 GiB of zeros, as it says
         return zb::Archive{{CursorEntry("Normal Select.cur", 3), bomb}};
     },
     {{kArrow, 3}}, L"“pack.zip\\Busy.ani”"},
    {"NotAZipChangesNothing", [] { return zb::Archive{}; }, {}, L"无法读取压缩包“pack.zip”"},
    {"MultiDiskChangesNothing",
     [] {
         zb::Archive a{{CursorEntry("Normal Select.cur", 3)}};
         a.disk = 1;
         return a;
     },
     {}, L"无法读取压缩包“pack.zip”"},
};

class ZipImport : public EditorTest, public testing::WithParamInterface<ZipCase> {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }
    ScratchFolder downloads{L"dl"};
};

TEST_P(ZipImport, TakesWhatTheArchiveSetsAndKeepsTheRest) {
    const ZipCase& c = GetParam();
    const std::wstring zip = downloads / L"pack.zip";
    zb::Bytes bytes = zb::Build(c.archive());
    if (std::string(c.name) == "NotAZipChangesNothing") bytes = zb::Text("this is a text file, not an archive");
    WriteBytes(zip, bytes);
    std::vector<std::wstring> before;
    for (int n = 1; n <= kRoleCount; ++n) before.push_back(editor.Scheme().RoleCursorFile(n));

    desktop.folderAnswers.push_back(zip);
    ClickButton(ShuBiaoKong::kDaoRuId);

    for (int n = 1; n <= kRoleCount; ++n) {
        int hot = 0;
        for (const auto& [role, spot] : c.taken) hot = role == n ? spot : hot;
        SCOPED_TRACE(testing::Message() << "role " << n);
        const std::wstring& file = editor.Scheme().RoleCursorFile(n);
        if (hot == 0) {
            EXPECT_EQ(file, before[static_cast<size_t>(n - 1)]);
            continue;
        }
        EXPECT_EQ(file.rfind(UnpackRoot() + L"\\", 0), 0u) << "read from the private folder: " << ToUtf8(file);
        EXPECT_EQ(ReadBytes(file), MakeStaticCursor(hot, hot));
        if (HasBox(n)) {
            const std::wstring tip = editor.BoxToolTip(n);
            EXPECT_NE(tip.find(L"pack.zip\\"), std::wstring::npos) << ToUtf8(tip);
            EXPECT_EQ(tip.find(UnpackRoot()), std::wstring::npos) << "the private folder is never shown";
        }
    }
    const auto boxes = desktop.Warnings();
    if (c.message == nullptr) {
        EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? std::string() : ToUtf8(boxes[0].text));
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_NE(boxes[0].text.find(c.message), std::wstring::npos) << ToUtf8(boxes[0].text);
        EXPECT_EQ(boxes[0].text.find(UnpackRoot()), std::wstring::npos) << "the private folder is never shown";
    }
}

INSTANTIATE_TEST_SUITE_P(Import, ZipImport, testing::ValuesIn(kZips),
                         [](const testing::TestParamInfo<ZipCase>& info) { return std::string(info.param.name); });

// The unpacked folder stays while a choice names a file in it, and goes when
// none does any more; the last one goes with the editor.
class ZipImportFolder : public EditorTest {
protected:
    ScratchFolder downloads{L"dl"};
};

TEST_F(ZipImportFolder, GoesWhenNoChoiceNamesItAndWithTheEditor) {
    const std::wstring zip = downloads / L"pack.zip";
    WriteBytes(zip, zb::Build(zb::Archive{{CursorEntry("Normal Select.cur", 3)}}));
    editor.ChuShiShuBiao();
    editor.ImportPath(zip);
    const std::wstring first = editor.Scheme().RoleCursorFile(kArrow);
    ASSERT_TRUE(FileExists(first));
    editor.Picture16_MouseMove();
    editor.Picture_MouseMove(kArrow);  // the hover reads it from there too
    EXPECT_TRUE(FileExists(first));

    editor.ImportPath(zip);  // unpacked again: the first folder is no longer named
    const std::wstring second = editor.Scheme().RoleCursorFile(kArrow);
    EXPECT_NE(second, first);
    EXPECT_FALSE(FileExists(first)) << "the folder no choice names went";
    EXPECT_TRUE(FileExists(second));

    editor.ChuShiShuBiao();  // forgets every choice
    EXPECT_FALSE(FileExists(second));

    std::wstring kept;
    {
        ShuBiaoKong other(desktop);
        other.Create(host.hwnd(), layout::kControl.left, layout::kControl.top, layout::kControl.width,
                     layout::kControl.height);
        other.ChuShiShuBiao();
        other.ImportPath(zip);
        kept = other.Scheme().RoleCursorFile(kArrow);
        ASSERT_TRUE(FileExists(kept));
    }
    EXPECT_FALSE(FileExists(kept)) << "an editor takes its folders with it";
}

}  // namespace
}  // namespace shubiao
