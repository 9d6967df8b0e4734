// Exporting the applied scheme to a folder and importing a folder of role files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <optional>
#include <ostream>

#include "scheme/CursorRole.h"
#include "scheme/FileOps.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using Bytes = std::vector<std::uint8_t>;

constexpr int kArrow = 2;
constexpr int kHand = 4;
constexpr int kHelp = 5;
constexpr int kIBeam = 6;
constexpr int kNWPen = 8;
constexpr int kWait = 15;

std::wstring AsciiLower(std::wstring text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return c < 128 ? static_cast<wchar_t>(std::towlower(c)) : c; });
    return text;
}

Bytes InstalledCursor(int role) { return ReadBytes(DataStorageFile(std::wstring(Role(role).valueName))); }

class TransferTest : public EditorTest {
protected:
    void SetUp() override { editor.ChuShiShuBiao(); }

    void Export(const std::optional<std::wstring>& answer) {
        desktop.saveAnswers.push_back(answer);
        ClickButton(ShuBiaoKong::kDaoChuId);
    }

    void Import(const std::optional<std::wstring>& answer) {
        desktop.folderAnswers.push_back(answer);
        ClickButton(ShuBiaoKong::kDaoRuId);
    }

    // Puts a role file into the store and its value in force, as Apply would.
    void Applied(int role, const Bytes& bytes) {
        EnsureFolderPath(SchemeFolder());
        WriteBytes(SchemeFolder() + Role(role).FileName(), bytes);
        registry.SetString(std::wstring(Role(role).valueName), SchemeFolder() + Role(role).FileName());
    }

    // A mark in the corner of box 1 that only a redraw wipes.
    void MarkPreview() {
        PictureBox& box = editor.Picture(1);
        HDC dc = box.ImageDC();
        ASSERT_GT(box.ImageWidth() * box.ImageHeight(), 0);
        SetPixelV(dc, box.ImageWidth() - 1, box.ImageHeight() - 1, RGB(1, 2, 3));
        GdiFlush();
    }
    bool PreviewStillMarked() {
        PictureBox& box = editor.Picture(1);
        return box.Pixels()[box.ImageWidth() * box.ImageHeight() - 1] == 0x010203u;
    }

    std::array<std::wstring, kRoleCount> Files() const {
        std::array<std::wstring, kRoleCount> files;
        for (int n = 1; n <= kRoleCount; ++n) files[static_cast<size_t>(n - 1)] = editor.Scheme().RoleCursorFile(n);
        return files;
    }
    std::array<bool, kRoleCount> Changed() const {
        std::array<bool, kRoleCount> changed{};
        for (int n = 1; n <= kRoleCount; ++n) changed[static_cast<size_t>(n - 1)] = editor.Scheme().RoleChanged(n);
        return changed;
    }

    ScratchFolder out{L"xfer"};
};

// --- Export ---

TEST_F(TransferTest, ExportWithoutAppliedFilesCreatesAnEmptyFolder) {
    const auto files = Files();
    const std::wstring target = out / L"新方案\\蓝色";
    Export(target);

    ASSERT_EQ(desktop.saveFilters.size(), 1u);
    EXPECT_EQ(desktop.saveFilters[0], L"资源名称(*.*)|*.*|");
    EXPECT_TRUE(FolderExists(target));
    EXPECT_TRUE(ListFolder(target).empty());
    ASSERT_EQ(desktop.boxes.size(), 1u) << "the user is told there was nothing to export";
    EXPECT_EQ(desktop.boxes[0].title, L"温馨提示");
    EXPECT_NE(desktop.boxes[0].text.find(target), std::wstring::npos);
    EXPECT_EQ(Files(), files);
}

TEST_F(TransferTest, ExportOverAnEarlierExportReplacesRoleFilesAndKeepsOthers) {
    Applied(kArrow, InstalledCursor(kWait));
    Applied(kNWPen, InstalledCursor(kHelp));
    Applied(kWait, InstalledCursor(kArrow));
    const std::wstring target = out / L"scheme";
    CreateDirectoryW(target.c_str(), nullptr);
    WriteBytes(target + L"\\Arrow.ani", {1, 2, 3});
    WriteBytes(target + L"\\Hand.ani", {4, 5, 6});
    WriteBytes(target + L"\\readme.txt", {7});
    MarkPreview();
    const auto files = Files();
    const auto changed = Changed();

    Export(target);

    EXPECT_EQ(ReadBytes(target + L"\\Arrow.ani"), InstalledCursor(kWait));
    EXPECT_EQ(ReadBytes(target + L"\\NWPen.ani"), InstalledCursor(kHelp));
    EXPECT_EQ(ReadBytes(target + L"\\Wait.ani"), InstalledCursor(kArrow));
    EXPECT_EQ(ReadBytes(target + L"\\Hand.ani"), (Bytes{4, 5, 6}));  // not applied: left alone
    EXPECT_EQ(ReadBytes(target + L"\\readme.txt"), (Bytes{7}));
    EXPECT_EQ(ListFolder(target), (std::vector<std::wstring>{L"Arrow.ani", L"Hand.ani", L"NWPen.ani",
                                                                L"Wait.ani", L"install.inf", L"readme.txt"}));
    EXPECT_TRUE(desktop.boxes.empty()) << "roles never applied are skipped without a word";
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(Changed(), changed);
    EXPECT_TRUE(PreviewStillMarked());
}

TEST_F(TransferTest, ExportThatCannotReplaceARoleFileNamesItAndCopiesTheRest) {
    Applied(kArrow, InstalledCursor(kWait));
    Applied(kWait, InstalledCursor(kArrow));
    const std::wstring target = out / L"locked";
    CreateDirectoryW(target.c_str(), nullptr);
    // A folder where the role file would go cannot be replaced by a copy.
    ASSERT_TRUE(CreateDirectoryW((target + L"\\Arrow.ani").c_str(), nullptr));

    Export(target);

    EXPECT_TRUE(FolderExists(target + L"\\Arrow.ani"));
    EXPECT_EQ(ReadBytes(target + L"\\Wait.ani"), InstalledCursor(kArrow));
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].title, L"温馨提示");
    EXPECT_EQ(desktop.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_NE(desktop.boxes[0].text.find(L"Arrow.ani"), std::wstring::npos);
    EXPECT_EQ(desktop.boxes[0].text.find(L"Wait.ani"), std::wstring::npos);
}

TEST_F(TransferTest, CancelledExportCreatesNothingWhateverTheDialogHeld) {
    Applied(kArrow, InstalledCursor(kWait));
    const std::wstring preset = out / L"preset";
    editor.ShuBianXZ().FileName = preset;

    Export(std::nullopt);

    ASSERT_EQ(desktop.saveStartNames.size(), 1u);
    EXPECT_EQ(desktop.saveStartNames[0], preset);
    EXPECT_FALSE(FolderExists(preset));
    EXPECT_FALSE(FileExists(preset));
    EXPECT_TRUE(desktop.boxes.empty());
}

TEST_F(TransferTest, ExportOntoAnExistingFileTellsTheUserAndCopiesNothing) {
    Applied(kArrow, InstalledCursor(kWait));
    const std::wstring picked = out / L"我的指针.cur";
    WriteBytes(picked, {9, 9, 9});
    editor.ShuBianXZ().FileName = picked;  // left there by the last pick for a box

    Export(picked);  // confirmed unchanged

    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_EQ(desktop.boxes[0].title, L"温馨提示");
    EXPECT_EQ(desktop.boxes[0].style, static_cast<UINT>(MB_OK | MB_ICONWARNING));
    EXPECT_NE(desktop.boxes[0].text.find(picked), std::wstring::npos);
    EXPECT_EQ(ReadBytes(picked), (Bytes{9, 9, 9}));
    EXPECT_FALSE(FileExists(picked + L"\\Arrow.ani"));
    EXPECT_EQ(ListFolder(out.Path()), (std::vector<std::wstring>{L"我的指针.cur"}));
}

// --- Import ---

TEST_F(TransferTest, ImportMarksOnlyTheRolesFoundAndRefillsTheOthers) {
    // A first import leaves IBeam marked; the second folder lacks it.
    const std::wstring first = out / L"first";
    CreateDirectoryW(first.c_str(), nullptr);
    WriteBytes(first + L"\\IBeam.ani", InstalledCursor(kHelp));
    Import(first);
    ASSERT_TRUE(editor.Scheme().RoleChanged(kIBeam));

    registry.SetString(L"Hand", DataStorageFile(L"Help"));
    const std::wstring second = out / L"second";
    CreateDirectoryW(second.c_str(), nullptr);
    WriteBytes(second + L"\\Arrow.ani", InstalledCursor(kWait));
    WriteBytes(second + L"\\Wait.ani", InstalledCursor(kArrow));
    WriteBytes(second + L"\\notes.txt", {1});
    WriteBytes(second + L"\\Arrow.cur", {2});
    const BoxImage arrowBefore = Box(kArrow);

    desktop.boxAnswers.push_back(IDNO);  // the first import's pending IBeam is dropped
    Import(second);

    const std::wstring prefix = AsciiLower(second) + L"\\";
    for (const CursorRole& role : kRoles) {
        const int n = role.number;
        SCOPED_TRACE(std::wstring(role.valueName));
        if (n == kArrow || n == kWait) {
            EXPECT_EQ(editor.Scheme().RoleCursorFile(n), prefix + role.FileName());
            EXPECT_TRUE(editor.Scheme().RoleChanged(n));
            continue;
        }
        const std::wstring current = n == kHand ? DataStorageFile(L"Help") : DataStorageFile(std::wstring(role.valueName));
        EXPECT_EQ(editor.Scheme().RoleCursorFile(n), current);
        EXPECT_EQ(editor.Scheme().RoleChanged(n), n == kIBeam);
    }
    // The previews show what the roles hold now.
    EXPECT_EQ(Box(kHand), Box(kHelp)) << "Hand is refilled from its setting";
    EXPECT_NE(Box(kArrow), arrowBefore) << "Arrow shows the imported file";
}

struct EntryCase {
    const char* what;
    bool folder;
    DWORD attributes;
    bool counts;
};
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.what; }

class ImportEntryTest : public TransferTest, public testing::WithParamInterface<EntryCase> {};

TEST_P(ImportEntryTest, FollowsTheDirectoryQueryRule) {
    const EntryCase& c = GetParam();
    const std::wstring folder = out / L"entries";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring entry = folder + L"\\Hand.ani";
    if (c.folder) {
        ASSERT_TRUE(CreateDirectoryW(entry.c_str(), nullptr));
    } else {
        WriteBytes(entry, InstalledCursor(kHelp));
    }
    if (c.attributes != 0) {
        ASSERT_TRUE(SetFileAttributesW(entry.c_str(), c.attributes));
    }

    Import(folder);

    EXPECT_EQ(editor.Scheme().RoleChanged(kHand), c.counts);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kHand),
              c.counts ? AsciiLower(folder) + L"\\Hand.ani" : DataStorageFile(L"Hand"));
    SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
}

INSTANTIATE_TEST_SUITE_P(
    Import, ImportEntryTest,
    testing::Values(EntryCase{"plain file", false, 0, true},
                    EntryCase{"read-only file", false, FILE_ATTRIBUTE_READONLY, true},
                    EntryCase{"archive file", false, FILE_ATTRIBUTE_ARCHIVE, true},
                    EntryCase{"subfolder", true, 0, true},
                    EntryCase{"hidden file", false, FILE_ATTRIBUTE_HIDDEN, false},
                    EntryCase{"system file", false, FILE_ATTRIBUTE_SYSTEM, false},
                    EntryCase{"hidden subfolder", true, FILE_ATTRIBUTE_HIDDEN, false}),
    [](const testing::TestParamInfo<EntryCase>& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// An export carries an install.inf naming the scheme after its folder; the
// import reads it back, the folder's name and the files' names as they are.
class FolderNameTest : public TransferTest, public testing::WithParamInterface<const wchar_t*> {};

TEST_P(FolderNameTest, ExportsAndImportsUnderTheName) {
    const std::wstring folder = out / GetParam();
    Applied(kArrow, InstalledCursor(kWait));
    Applied(kHelp, InstalledCursor(kNWPen));
    const std::wstring hand = editor.Scheme().RoleCursorFile(kHand);

    Export(folder);
    ASSERT_EQ(ListFolder(folder), (std::vector<std::wstring>{L"Arrow.ani", L"Help.ani", L"install.inf"}));
    EXPECT_EQ(ReadBytes(folder + L"\\Arrow.ani"), InstalledCursor(kWait));

    Import(folder);
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kArrow), folder + L"\\Arrow.ani");
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kHelp), folder + L"\\Help.ani");
    EXPECT_TRUE(editor.Scheme().RoleChanged(kArrow));
    EXPECT_TRUE(editor.Scheme().RoleChanged(kHelp));
    EXPECT_FALSE(editor.Scheme().RoleChanged(kHand));
    EXPECT_EQ(editor.Scheme().RoleCursorFile(kHand), hand) << "a role not exported keeps what it had";
    // Taken whole: the editor's first such import says how to keep it, and nothing else.
    ASSERT_EQ(desktop.boxes.size(), 1u);
    EXPECT_NE(desktop.boxes[0].text.find(L"另存为方案"), std::wstring::npos) << desktop.boxes[0].text;
    EXPECT_TRUE(desktop.packChoosers.empty());
}

INSTANTIATE_TEST_SUITE_P(Transfer, FolderNameTest,
                         testing::Values(L"My Schemes\\Blue", L"Схема Синяя", L"指针🖱️方案", L"ΣΧΗΜΑ 100%"),
                         [](const testing::TestParamInfo<const wchar_t*>& info) {
                             return std::to_string(info.index);
                         });

TEST_F(TransferTest, ImportCancelledOrWithoutAPathChangesNothing) {
    const std::wstring folder = out / L"full";
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(folder + L"\\IBeam.ani", InstalledCursor(kHelp));
    Import(folder);
    MarkPreview();
    const auto files = Files();
    const auto changed = Changed();

    Import(std::nullopt);
    Import(std::wstring());

    EXPECT_EQ(desktop.folderDialogs, 3);
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(Changed(), changed);
    EXPECT_TRUE(PreviewStillMarked());
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

// A drive root already ends in a backslash. Under Wine the drive C: of the
// throwaway prefix serves; on Windows a spare drive letter is mapped to a
// scratch folder for the test.
TEST_F(TransferTest, ImportFromADriveRootAddsNoSecondBackslash) {
    std::wstring root = L"C:\\";
    std::optional<ScratchFolder> mapped;
    if (!UnderWine()) {
        mapped.emplace(L"drive");
        root = L"S:\\";
        for (; root[0] < L'Z' && GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR; ++root[0]) {
        }
        const std::wstring letter = root.substr(0, 2);
        if (!DefineDosDeviceW(0, letter.c_str(), mapped->Path().c_str())) GTEST_SKIP() << "no spare drive letter";
    }
    struct Cleanup {
        std::wstring root;
        std::wstring target;
        ~Cleanup() {
            DeleteFileW((root + L"Wait.ani").c_str());
            if (!target.empty()) {
                DefineDosDeviceW(DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE, root.substr(0, 2).c_str(),
                                 target.c_str());
            }
        }
    } cleanup{root, mapped ? mapped->Path() : std::wstring()};
    WriteBytes(root + L"Wait.ani", InstalledCursor(kArrow));

    Import(root);

    EXPECT_EQ(editor.Scheme().RoleCursorFile(kWait), AsciiLower(root) + L"Wait.ani");
    EXPECT_TRUE(editor.Scheme().RoleChanged(kWait));
}

// A folder that cannot be read changes nothing: not the files, not the
// marks, not the previews; the user is told.
TEST_F(TransferTest, AFolderThatCannotBeReadChangesNothing) {
    const std::wstring folder = out / L"full";
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteBytes(folder + L"\\IBeam.ani", InstalledCursor(kHelp));
    Import(folder);
    MarkPreview();
    const auto files = Files();
    const auto changed = Changed();

    Import(out / L"bad<name>");

    const auto warnings = desktop.Warnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].text.find(L"bad<name>"), std::wstring::npos) << warnings[0].text;
    EXPECT_NE(warnings[0].text.find(L"没有导入任何鼠标指针"), std::wstring::npos) << warnings[0].text;
    EXPECT_EQ(Files(), files);
    EXPECT_EQ(Changed(), changed);
    EXPECT_TRUE(PreviewStillMarked());
}

// --- Round trip through the system ---

// Apply, export, restore, import, apply: the same bytes under the same names
// in the system scheme folder, and the same registry values; with Pin and
// Person too, which the grid shows no box for.
struct RoundTrip {
    const char* name;
    std::vector<std::pair<int, int>> files;  // role, role whose installed cursor it gets
    size_t schemeEntries;                   // in the exported install.inf's Schemes line
};
void PrintTo(const RoundTrip& r, std::ostream* os) { *os << r.name; }

class RoundTripTest : public TransferTest, public testing::WithParamInterface<RoundTrip> {};

// The entries of the Schemes line of an install.inf (UTF-16LE with a BOM).
size_t SchemesEntries(const Bytes& inf) {
    std::wstring text;
    for (size_t i = 2; i + 1 < inf.size(); i += 2) text.push_back(static_cast<wchar_t>(inf[i] | (inf[i + 1] << 8)));
    const size_t line = text.find(L"Cursors\\Schemes");
    if (line == std::wstring::npos) return 0;
    const size_t end = text.find(L'\n', line);
    const std::wstring list = text.substr(line, end - line);
    const size_t open = list.find(L",,\"");
    if (open == std::wstring::npos) return 0;
    return static_cast<size_t>(std::count(list.begin() + static_cast<std::ptrdiff_t>(open) + 3, list.end(), L',')) + 1;
}

TEST_P(RoundTripTest, ThroughAnExportedFolderRestoresTheAppliedScheme) {
    const std::wstring chosen = out / L"chosen";
    CreateDirectoryW(chosen.c_str(), nullptr);
    for (const auto& [role, from] : GetParam().files) {
        WriteBytes(chosen + L"\\" + Role(role).FileName(), InstalledCursor(from));
    }
    Import(chosen);

    desktop.boxAnswers.push_back(IDOK);
    ClickButton(ShuBiaoKong::kYingYongId);
    const bool unseen = GetParam().schemeEntries == 17;
    ASSERT_FALSE(desktop.boxes.empty());
    EXPECT_EQ(desktop.boxes.back().text.find(L"“位置选择”“个人选择”在窗口中没有对应的方框") != std::wstring::npos, unseen)
        << "the prompt names the roles without a box";
    EXPECT_EQ(desktop.reloads, 1) << "Windows reloads for NWPen, Pin and Person, which have no live pointer id";
    std::vector<std::wstring> expected;
    for (const auto& [role, from] : GetParam().files) expected.push_back(Role(role).FileName());
    std::sort(expected.begin(), expected.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    const std::vector<std::wstring> appliedNames = ListFolder(SchemeFolder());
    ASSERT_EQ(appliedNames, expected);
    std::vector<Bytes> appliedBytes;
    std::vector<std::optional<std::wstring>> appliedValues;
    for (const std::wstring& name : appliedNames) appliedBytes.push_back(ReadBytes(SchemeFolder() + name));
    for (const CursorRole& role : kRoles) appliedValues.push_back(registry.GetString(std::wstring(role.valueName)));

    const std::wstring exported = out / L"导出 Схема 🖱️";
    Export(exported);
    std::vector<std::wstring> withInf = appliedNames;
    withInf.push_back(L"install.inf");
    EXPECT_EQ(ListFolder(exported), withInf);
    EXPECT_EQ(SchemesEntries(ReadBytes(exported + L"\\install.inf")), GetParam().schemeEntries);

    desktop.boxAnswers.push_back(IDOK);
    ClickButton(ShuBiaoKong::kHuanYuanId);
    ASSERT_FALSE(FolderExists(SchemeFolder())) << "the restore removes the applied files";
    ASSERT_TRUE(registry.ValueNames().empty());

    Import(exported);
    desktop.boxAnswers.push_back(IDOK);
    ClickButton(ShuBiaoKong::kYingYongId);

    EXPECT_EQ(ListFolder(SchemeFolder()), appliedNames);
    for (size_t i = 0; i < appliedNames.size(); ++i) {
        EXPECT_EQ(ReadBytes(SchemeFolder() + appliedNames[i]), appliedBytes[i]) << appliedNames[i];
    }
    for (const CursorRole& role : kRoles) {
        EXPECT_EQ(registry.GetString(std::wstring(role.valueName)), appliedValues[static_cast<size_t>(role.number - 1)]);
    }
}

constexpr int kPin = 16;
constexpr int kPerson = 17;

INSTANTIATE_TEST_SUITE_P(
    Transfer, RoundTripTest,
    testing::Values(RoundTrip{"GridRoles", {{kArrow, kWait}, {kHand, kHelp}, {kNWPen, kIBeam}, {kWait, kArrow}}, 15},
                    RoundTrip{"WithPinAndPerson",
                              {{kArrow, kWait}, {kHand, kHelp}, {kNWPen, kIBeam}, {kWait, kArrow}, {kPin, kHand},
                               {kPerson, kPin}},
                              17}),
    [](const testing::TestParamInfo<RoundTrip>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao
