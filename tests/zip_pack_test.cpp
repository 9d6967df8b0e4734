// Unpacking .zip cursor packs into the private temporary folder: what lands
// on disk, what the user is told about what did not, the folder's lifetime
// and the clean-up of folders left by processes that ended.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "portable/zip_bytes.h"
#include "scheme/PackFolder.h"
#include "scheme/ZipPack.h"
#include "support/TestSupport.h"
#include "win/Raii.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;
using namespace zip_bytes;

Bytes Words(std::string_view word, std::size_t bytes = 300) {
    Bytes out;
    while (out.size() < bytes) {
        Append(out, word);
        out.push_back(' ');
    }
    out.resize(bytes);
    return out;
}

// Every file below `folder` as "sub\name=first word", sorted.
void ListFiles(const std::wstring& folder, const std::wstring& below, std::vector<std::wstring>& files) {
    for (const std::wstring& name : ListFolder(folder)) {
        const std::wstring path = folder + L"\\" + name;
        const std::wstring relative = below.empty() ? name : below + L"\\" + name;
        if (FolderExists(path)) {
            ListFiles(path, relative, files);
            continue;
        }
        const std::vector<std::uint8_t> bytes = ReadBytes(path);
        const auto space = std::find(bytes.begin(), bytes.end(), ' ');
        files.push_back(relative + L"=" + FromUtf8(std::string(bytes.begin(), space)).value_or(L"?"));
    }
}

// "Arrow.cur=arrow; sub\Busy.ani=busy | pack.zip\..\evil.cur:文件名不安全",
// or "error:" and the reason.
std::wstring Describe(const ZipUnpack& unpack) {
    if (!unpack.error.empty()) return L"error:" + unpack.error + (unpack.unpacked ? L" (and a folder)" : L"");
    if (!unpack.unpacked) return L"no folder";
    std::vector<std::wstring> files;
    ListFiles(unpack.unpacked->Folder(), L"", files);
    std::sort(files.begin(), files.end());
    std::wstring out;
    for (const std::wstring& file : files) out += (out.empty() ? L"" : L"; ") + file;
    for (size_t i = 0; i < unpack.skipped.size(); ++i) {
        out += (i == 0 ? L" | " : L"; ") + unpack.skipped[i].first + L":" + unpack.skipped[i].second;
    }
    if (files.size() != unpack.filesWritten) out += L" (count differs)";
    return out;
}

struct UnpackCase {
    const char* name;
    std::function<Bytes()> make;
    std::wstring expected;   // Describe()'s answer
};
void PrintTo(const UnpackCase& c, std::ostream* os) { *os << c.name; }
std::string UnpackName(const testing::TestParamInfo<UnpackCase>& info) { return info.param.name; }

Bytes Zip(std::vector<Entry> entries) { return Build({std::move(entries)}); }

Entry With(Entry e, const std::function<void(Entry&)>& change) {
    change(e);
    return e;
}

Entry Declaring(std::string name, std::uint32_t size, Bytes payload) {
    Entry e = Deflated(std::move(name), {});
    e.size = size;
    e.payload = std::move(payload);
    return e;
}

std::string Repeat(std::string_view piece, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += piece;
    return out;
}

const UnpackCase kArchives[] = {
    {"PackWithFolders",
     [] { return Zip({Stored("Arrow.cur", Words("arrow")), Stored("sub/", {}), Deflated("sub/Busy.ani", Words("busy")), Deflated("install.inf", Words("inf"))}); },
     L"Arrow.cur=arrow; install.inf=inf; sub\\Busy.ani=busy"},
    // 鼠标 in GBK, Wine's OEM code page in the zh_CN prefix as Windows' on Chinese Windows.
    {"OemCodePageNames", [] { return Zip({Deflated("\xCA\xF3\xB1\xEA\\\xD5\xFD\xB3\xA3.cur", Words("arrow"))}); }, L"鼠标\\正常.cur=arrow"},
    {"Utf8NamesWithoutTheFlag", [] { return Zip({Deflated("鼠标/正常.cur", Words("arrow"))}); }, L"鼠标\\正常.cur=arrow"},
    {"Utf8NamesWithTheFlag", [] { return Zip({With(Deflated("鼠标/忙.ani", Words("busy")), [](Entry& e) { e.flags = kFlagUtf8; })}); },
     L"鼠标\\忙.ani=busy"},
    {"MacJunkAndOtherFiles",
     [] { return Zip({Deflated("__MACOSX/._a.cur", Words("junk")), Deflated("._a.cur", Words("junk")), Deflated("readme.txt", Words("txt")), Deflated("a.cur", Words("a"))}); },
     L"a.cur=a"},
    {"EveryEntryReason",
     [] {
         return Zip({Deflated("a.cur", Words("a")), Deflated("../evil.cur", Words("evil")), Deflated("C:/evil.cur", Words("evil")),
                     Declaring("big.ani", 5 * 1024 * 1024, Bytes(6000, 0xFF)), Declaring("bomb.cur", 4000, Bytes(3, 0xFF)),
                     With(Stored("lzma.cur", Words("x")), [](Entry& e) { e.method = 14; }),
                     With(Deflated("secret.cur", Words("x")), [](Entry& e) { e.flags = kFlagEncrypted; }),
                     With(Deflated("crc.cur", Words("x")), [](Entry& e) { e.crc = 1; }),
                     With(Deflated("short.ani", Words("x")), [](Entry& e) { e.size = 301; }), Deflated("A.CUR", Words("again")),
                     Deflated(std::string(1100, 'n') + ".cur", Words("long"))});
     },
     L"a.cur=a | pack.zip\\..\\evil.cur:文件名不安全; pack.zip\\C:\\evil.cur:文件名不安全; pack.zip\\big.ani:文件过大; "
     L"pack.zip\\bomb.cur:压缩比异常; pack.zip\\lzma.cur:不支持的压缩方式; pack.zip\\secret.cur:已加密; "
     L"pack.zip\\crc.cur:校验失败; pack.zip\\short.ani:数据损坏; pack.zip\\A.CUR:文件名重复; "
     L"pack.zip\\" + std::wstring(200, L'n') + L"…:文件名过长"},
    // Windows takes "a.cur" and "a.cur\b.cur" for a file and a folder of one name.
    {"FileWhereAFolderGoes", [] { return Zip({Deflated("a.cur", Words("a")), Deflated("a.cur/b.cur", Words("b"))}); },
     L"a.cur=a | pack.zip\\a.cur\\b.cur:已有同名的文件"},
    // Folders that several entries share, in one letter case or another, are one folder.
    {"FoldersSharedByEntries",
     [] {
         return Zip({Deflated("Pack/a.cur", Words("a")), Deflated("Pack/sub/b.cur", Words("b")), Deflated("pack/c.ani", Words("c")),
                     Deflated("Pack/sub/deeper/d.cur", Words("d"))});
     },
     L"Pack\\a.cur=a; Pack\\c.ani=c; Pack\\sub\\b.cur=b; Pack\\sub\\deeper\\d.cur=d"},
    // An entry halfway up a chain of folders made for a deeper one.
    {"NinetyFoldersDeep",
     [] { return Zip({Deflated(Repeat("d/", 90) + "a.cur", Words("a")), Deflated(Repeat("d/", 45) + "b.ani", Words("b"))}); },
     *FromUtf8(Repeat("d\\", 45) + "b.ani=b; " + Repeat("d\\", 90) + "a.cur=a")},
    // A folder that could not be made is not taken for made by the next entry.
    {"FileWhereAFolderGoesForTwoEntries",
     [] { return Zip({Deflated("a.cur", Words("a")), Deflated("a.cur/b.cur", Words("b")), Deflated("a.cur/c.cur", Words("c"))}); },
     L"a.cur=a | pack.zip\\a.cur\\b.cur:已有同名的文件; pack.zip\\a.cur\\c.cur:已有同名的文件"},
    {"NotAZip", [] { return Text("not a zip at all"); }, L"error:不是 ZIP 文件"},
    {"HalfADownload", [] { const Bytes zip = Zip({Deflated("a.cur", Words("a")), Deflated("b.cur", Words("b"))}); return Cut(zip, zip.size() / 2); },
     L"error:文件不完整"},
    {"DamagedDirectory",
     [] {
         Archive a{{Deflated("a.cur", Words("a"))}};
         a.directoryOffset = 0;
         return Build(a);
     },
     L"error:ZIP 文件已损坏"},
    {"SplitArchive",
     [] {
         Archive a{{Deflated("a.cur", Words("a"))}};
         a.disk = a.directoryDisk = 2;
         return Build(a);
     },
     L"error:不支持分卷压缩"},
    {"Zip64",
     [] {
         Archive a{{Deflated("a.cur", Words("a"))}};
         a.zip64Locator = true;
         return Build(a);
     },
     L"error:不支持 ZIP64 格式"},
    {"TooManyEntries",
     [] {
         Archive a;
         for (int i = 0; i < 10001; ++i) a.entries.push_back(Stored(std::to_string(i), {}));
         return Build(a);
     },
     L"error:条目过多（超过 10000 个）"},
    {"TooLargeInAll",
     [] {
         Archive a;
         for (int i = 0; i < 17; ++i) a.entries.push_back(Declaring(std::to_string(i) + ".ani", 4 * 1024 * 1024, Bytes(5000, 0xFF)));
         return Build(a);
     },
     L"error:解压后过大（超过 64 MB）"},
};

class ZipUnpackTest : public testing::TestWithParam<UnpackCase> {
protected:
    ScratchFolder downloads{L"zip"};
};

TEST_P(ZipUnpackTest, WritesTheCursorFilesAndSaysWhatItLeftOut) {
    const std::wstring zip = downloads / L"pack.zip";
    WriteBytes(zip, GetParam().make());
    const ZipUnpack unpack = UnpackZip(zip);
    EXPECT_EQ(Describe(unpack), GetParam().expected);
    EXPECT_EQ(unpack.archiveName, L"pack.zip");
    // Nothing lands beside the archive.
    EXPECT_EQ(ListFolder(downloads.Path()), std::vector<std::wstring>{L"pack.zip"});
}

INSTANTIATE_TEST_SUITE_P(ZipPack, ZipUnpackTest, testing::ValuesIn(kArchives), UnpackName);

TEST(ZipPack, ArchiveThatCannotBeOpenedGivesTheWindowsReason) {
    ScratchFolder downloads{L"zip"};
    EXPECT_EQ(Describe(UnpackZip(downloads / L"missing.zip")), L"error:文件不存在");
    // Still being written by the browser: no one else may read it.
    const std::wstring zip = downloads / L"pack.zip";
    WriteBytes(zip, Zip({Deflated("a.cur", Words("a"))}));
    const UniqueFile writer(CreateFileW(zip.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(writer);
    EXPECT_EQ(Describe(UnpackZip(zip)), L"error:文件正被其他程序使用");
}

// The folder is private to one archive, lies under %TEMP%\ShuBiao and goes
// with its last owner, whatever it holds.
TEST(ZipPack, FolderGoesWithItsLastOwner) {
    ScratchFolder downloads{L"zip"};
    const std::wstring zip = downloads / L"pack.zip";
    WriteBytes(zip, Zip({Deflated("sub/deeper/a.cur", Words("a")), Deflated("b.inf", Words("b"))}));
    ZipUnpack first = UnpackZip(zip);
    ZipUnpack second = UnpackZip(zip);
    ASSERT_TRUE(first.unpacked && second.unpacked);
    const std::wstring folder = first.unpacked->Folder();
    EXPECT_NE(folder, second.unpacked->Folder());
    EXPECT_TRUE(EqualNoCase(folder.substr(0, UnpackRoot().size() + 1), UnpackRoot() + L"\\")) << folder;
    SetFileAttributesW((folder + L"\\b.inf").c_str(), FILE_ATTRIBUTE_READONLY);

    std::shared_ptr<const UnpackedZip> kept = first.unpacked;
    first.unpacked.reset();
    EXPECT_TRUE(FileExists(folder + L"\\sub\\deeper\\a.cur"));
    kept.reset();
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_TRUE(FolderExists(second.unpacked->Folder()));
}

// The folder read as a pack, as the import will.
TEST(ZipPack, UnpackedFolderScansAsAPack) {
    ScratchFolder downloads{L"zip"};
    const std::wstring zip = downloads / L"pack.zip";
    const std::string inf = "[DefaultInstall]\r\nAddReg = R\r\n[R]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"Zipped\",,\"a.cur,,,b.ani\"\r\n";
    WriteBytes(zip, Zip({Deflated("Zipped/install.inf", Text(inf)), Deflated("Zipped/a.cur", Words("a")), Deflated("Zipped/b.ani", Words("b"))}));
    const ZipUnpack unpack = UnpackZip(zip);
    ASSERT_TRUE(unpack.unpacked);
    const PackScan scan = ScanForPacks(unpack.unpacked->Folder());
    ASSERT_EQ(scan.packs.size(), 1u);
    EXPECT_EQ(scan.packs[0].name, L"Zipped");
    std::vector<std::wstring> shown;
    for (const PackFile& file : scan.packs[0].files) shown.push_back(unpack.unpacked->ShownPath(file.path));
    EXPECT_EQ(shown, (std::vector<std::wstring>{L"pack.zip\\Zipped\\a.cur", L"pack.zip\\Zipped\\b.ani"}));
}

struct ShownCase {
    const char* name;
    std::function<std::wstring(const std::wstring& folder)> path;
    std::function<std::wstring(const std::wstring& folder)> shown;
};
void PrintTo(const ShownCase& c, std::ostream* os) { *os << c.name; }
std::string ShownName(const testing::TestParamInfo<ShownCase>& info) { return info.param.name; }

const ShownCase kShown[] = {
    {"FileInASubfolder", [](const std::wstring& f) { return f + L"\\sub\\Arrow.ani"; }, [](const std::wstring&) { return L"下载.zip\\sub\\Arrow.ani"; }},
    {"TheFolderItself", [](const std::wstring& f) { return f; }, [](const std::wstring&) { return L"下载.zip"; }},
    {"FolderInLowerCase", [](const std::wstring& f) { return LowerCaseFolderPrefix(f) + L"Arrow.cur"; }, [](const std::wstring&) { return L"下载.zip\\Arrow.cur"; }},
    {"FileElsewhere", [](const std::wstring&) { return std::wstring(L"C:\\Cursors\\Arrow.cur"); }, [](const std::wstring&) { return L"C:\\Cursors\\Arrow.cur"; }},
    {"FolderOfALongerName", [](const std::wstring& f) { return f + L"0\\Arrow.cur"; }, [](const std::wstring& f) { return f + L"0\\Arrow.cur"; }},
};

class ZipShownPath : public testing::TestWithParam<ShownCase> {};

TEST_P(ZipShownPath, NamesTheArchiveAndTheEntry) {
    ScratchFolder downloads{L"zip"};
    const std::wstring zip = downloads / L"下载.zip";
    WriteBytes(zip, Zip({Deflated("sub/Arrow.ani", Words("a"))}));
    const ZipUnpack unpack = UnpackZip(zip);
    ASSERT_TRUE(unpack.unpacked);
    const std::wstring folder = unpack.unpacked->Folder();
    EXPECT_EQ(unpack.unpacked->ShownPath(GetParam().path(folder)), GetParam().shown(folder));
}

INSTANTIATE_TEST_SUITE_P(ZipPack, ZipShownPath, testing::ValuesIn(kShown), ShownName);

// ---- folders left behind ------------------------------------------------------

// A folder under %TEMP%\ShuBiao named as a given variant of a folder this
// process made ("<pid>-<start>-<n>"), holding a read-only file in a subfolder.
struct StaleCase {
    const char* name;
    std::function<std::wstring(const std::wstring& own)> folderName;
    bool removed;
    bool asFile = false;   // a file of that name instead of a folder
};
void PrintTo(const StaleCase& c, std::ostream* os) { *os << c.name; }
std::string StaleName(const testing::TestParamInfo<StaleCase>& info) { return info.param.name; }

std::wstring Part(const std::wstring& own, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = own.find(L'-', start) + 1;
    const size_t end = own.find(L'-', start);
    return own.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
}

// A pid no process has: Windows' are multiples of four.
constexpr const wchar_t* kNoSuchPid = L"4294967291";

const StaleCase kStale[] = {
    {"EndedProcess", [](const std::wstring& own) { return kNoSuchPid + (L"-" + Part(own, 1)) + L"-7"; }, true},
    {"PidTakenByAnotherProcess",
     [](const std::wstring& own) { return Part(own, 0) + L"-0000000000000001-" + Part(own, 2); }, true},
    {"ThisProcess", [](const std::wstring& own) { return Part(own, 0) + L"-" + Part(own, 1) + L"-9999"; }, false},
    {"OtherName", [](const std::wstring&) { return std::wstring(L"notes"); }, false},
    {"AlmostOurName", [](const std::wstring& own) { return kNoSuchPid + (L"-" + Part(own, 1)) + L"-x"; }, false},
    {"ShortTime", [](const std::wstring&) { return std::wstring(kNoSuchPid) + L"-abc-0"; }, false},
    {"FileOfOurName", [](const std::wstring& own) { return kNoSuchPid + (L"-" + Part(own, 1)) + L"-8"; }, false, true},
};

class ZipStaleFolder : public testing::TestWithParam<StaleCase> {};

TEST_P(ZipStaleFolder, IsRemovedOnlyWhenItsProcessEnded) {
    ScratchFolder downloads{L"zip"};
    WriteBytes(downloads / L"pack.zip", Zip({Deflated("a.cur", Words("a"))}));
    const ZipUnpack own = UnpackZip(downloads / L"pack.zip");
    ASSERT_TRUE(own.unpacked);
    const std::wstring ownName = own.unpacked->Folder().substr(UnpackRoot().size() + 1);

    const std::wstring path = UnpackRoot() + L"\\" + GetParam().folderName(ownName);
    if (GetParam().asFile) {
        WriteBytes(path, {1, 2, 3});
    } else {
        ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryW((path + L"\\sub").c_str(), nullptr));
        WriteBytes(path + L"\\sub\\a.cur", {1, 2, 3});
        SetFileAttributesW((path + L"\\sub\\a.cur").c_str(), FILE_ATTRIBUTE_READONLY);
    }

    RemoveStaleUnpackFolders();
    EXPECT_EQ(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES, GetParam().removed);
    EXPECT_TRUE(FileExists(own.unpacked->Folder() + L"\\a.cur"));
    RemoveTree(path);
    DeleteFileW(path.c_str());
}

INSTANTIATE_TEST_SUITE_P(ZipPack, ZipStaleFolder, testing::ValuesIn(kStale), StaleName);

// A link inside a stale folder is removed itself; what it points to stays.
TEST(ZipPack, StaleFolderLinksAreNotFollowed) {
    ScratchFolder outside{L"zip-outside"};
    WriteBytes(outside / L"keep.cur", {1});
    const std::wstring stale = UnpackRoot() + L"\\" + kNoSuchPid + L"-0000000000000002-0";
    CreateDirectoryW(UnpackRoot().c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW(stale.c_str(), nullptr));
    const std::wstring link = stale + L"\\link";
    // Wine 8 has no reparse points (its CreateSymbolicLinkW succeeds and
    // makes nothing): this runs on Windows only, where the user needs the
    // right to make symbolic links (Developer Mode or an administrator).
    CreateSymbolicLinkW(link.c_str(), outside.Path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    const DWORD attributes = GetFileAttributesW(link.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        RemoveTree(stale);
        GTEST_SKIP() << "no directory links can be made here";
    }
    RemoveStaleUnpackFolders();
    EXPECT_FALSE(FolderExists(stale));
    EXPECT_TRUE(FileExists(outside / L"keep.cur"));
}

}  // namespace
}  // namespace shubiao
