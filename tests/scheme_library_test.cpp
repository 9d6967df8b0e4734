// Windows' two scheme lists as the library reads and writes them: strange
// values, the bounds, the record of the scheme in force, writing and
// deleting an entry. Both lists and the Cursors key are the scratch
// registry's; %SystemRoot% is a scratch folder.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "scheme/CursorRole.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/Store.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using namespace test;
using library::Source;

const library::SchemeEntry* Find(const library::SchemeListing& listing, const std::wstring& name) {
    for (const library::SchemeEntry& entry : listing.schemes) {
        if (entry.name == name) return &entry;
    }
    return nullptr;
}

class SchemeLibraryTest : public testing::Test {
protected:
    // Everything the library could write to: both lists and the Cursors key.
    std::vector<std::vector<std::wstring>> Everything() const {
        return {ScratchRegistry::Snapshot(registry.CursorsSubkey()),
                ScratchRegistry::Snapshot(registry.UserSchemesSubkey()),
                ScratchRegistry::Snapshot(registry.SystemSchemesSubkey())};
    }
    // A good cursor file in the scratch folder.
    std::wstring Cursor(const std::wstring& name, int hot = 3) {
        const std::wstring path = files / name;
        WriteStaticCursor(path, hot, hot);
        return path;
    }

    ScratchRegistry registry;
    ScratchFolder windows{L"lib"};
    ScopedWindir windir{windows.Path()};
    ScopedStore store;
    ScratchFolder files{L"libfiles"};
};

// ---- strange values ---------------------------------------------------------

enum class Verdict {
    Skipped,        // not listed at all
    Unreadable,     // listed, its data not read
    RefusedText,    // listed; Arrow's slot refused by its text
    RefusedFile,    // listed, its text fine; Arrow's file refused when looked at
};

struct StrangeCase {
    const char* name;
    std::function<void(ScratchRegistry&, const std::wstring& folder)> write;  // writes the value "怪"
    Verdict verdict;
};

void PrintTo(const StrangeCase& c, std::ostream* os) { *os << c.name; }

class StrangeValueTest : public SchemeLibraryTest, public testing::WithParamInterface<StrangeCase> {};

TEST_P(StrangeValueTest, LeavesTheListWorkingMarksTheSchemeAndWritesNothing) {
    const std::wstring good = Cursor(L"good.cur");
    ASSERT_TRUE(registry.SetScheme(false, L"好", good + L",,," + good));
    GetParam().write(registry, files.Path());
    const auto before = Everything();

    const library::SchemeListing listing = library::ReadSchemeLists();
    const library::SchemeEntry* fine = Find(listing, L"好");
    ASSERT_NE(fine, nullptr);
    EXPECT_TRUE(fine->Usable());
    EXPECT_EQ(fine->FileOf(2), good);  // Arrow, first of the list
    EXPECT_EQ(fine->FileOf(15), good);  // Wait, fourth
    for (const std::wstring& problem : library::CheckSchemeFiles(*fine)) EXPECT_EQ(problem, L"");

    const library::SchemeEntry* strange = Find(listing, L"怪");
    if (GetParam().verdict == Verdict::Skipped) {
        EXPECT_EQ(strange, nullptr);
    } else {
        ASSERT_NE(strange, nullptr);
        const auto problems = library::CheckSchemeFiles(*strange);
        EXPECT_NE(problems[1], L"") << "Arrow's problem";
        EXPECT_EQ(strange->Usable(), GetParam().verdict == Verdict::RefusedFile);
        EXPECT_EQ(strange->state == schemes::ValueState::Unreadable, GetParam().verdict == Verdict::Unreadable);
        EXPECT_EQ(strange->FileOf(2).empty(), GetParam().verdict != Verdict::RefusedFile);
    }
    EXPECT_EQ(Everything(), before);
}

void Text(ScratchRegistry& r, const std::wstring& data) { r.SetScheme(false, L"怪", data, REG_EXPAND_SZ); }

INSTANTIATE_TEST_SUITE_P(
    SchemeLibrary, StrangeValueTest,
    testing::Values(
        StrangeCase{"Binary",
                    [](ScratchRegistry& r, const std::wstring&) {
                        const BYTE bytes[] = {'C', 0, ':', 0, '\\', 0};
                        ScratchRegistry::SetRaw(r.UserSchemesSubkey(), L"怪", REG_BINARY, bytes, sizeof(bytes));
                    },
                    Verdict::Skipped},
        StrangeCase{"Dword",
                    [](ScratchRegistry& r, const std::wstring&) {
                        const DWORD one = 1;
                        ScratchRegistry::SetRaw(r.UserSchemesSubkey(), L"怪", REG_DWORD, &one, sizeof(one));
                    },
                    Verdict::Skipped},
        StrangeCase{"MultiString",
                    [](ScratchRegistry& r, const std::wstring& folder) {
                        r.SetScheme(false, L"怪", folder + L"\\good.cur", REG_MULTI_SZ);
                    },
                    Verdict::Skipped},
        StrangeCase{"HundredThousandCommas",
                    [](ScratchRegistry& r, const std::wstring&) { Text(r, std::wstring(100000, L',')); },
                    Verdict::Unreadable},
        StrangeCase{"FortyThousandCharacterPath",
                    [](ScratchRegistry& r, const std::wstring&) { Text(r, L"C:\\" + std::wstring(40000, L'a')); },
                    Verdict::Unreadable},
        StrangeCase{"PathToAFolder", [](ScratchRegistry& r, const std::wstring& folder) { Text(r, folder); },
                    Verdict::RefusedFile},
        StrangeCase{"PathEndingInASeparator",
                    [](ScratchRegistry& r, const std::wstring& folder) { Text(r, folder + L"\\"); },
                    Verdict::RefusedText},
        StrangeCase{"DeviceName",
                    [](ScratchRegistry& r, const std::wstring& folder) { Text(r, folder + L"\\CON.cur"); },
                    Verdict::RefusedText},
        StrangeCase{"DevicePath", [](ScratchRegistry& r, const std::wstring&) { Text(r, L"\\\\.\\COM1"); },
                    Verdict::RefusedText},
        StrangeCase{"UndefinedVariable",
                    [](ScratchRegistry& r, const std::wstring&) { Text(r, L"%SHUBIAO_NOT_SET_ANYWHERE%\\a.cur"); },
                    Verdict::RefusedText},
        StrangeCase{"UncPath", [](ScratchRegistry& r, const std::wstring&) { Text(r, L"\\\\server\\share\\a.cur"); },
                    Verdict::RefusedText},
        StrangeCase{"MissingFile",
                    [](ScratchRegistry& r, const std::wstring& folder) { Text(r, folder + L"\\gone.cur"); },
                    Verdict::RefusedFile},
        StrangeCase{"NotACursor",
                    [](ScratchRegistry& r, const std::wstring& folder) {
                        WriteBytes(folder + L"\\text.cur", {'h', 'e', 'l', 'l', 'o'});
                        Text(r, folder + L"\\text.cur");
                    },
                    Verdict::RefusedFile}),
    [](const testing::TestParamInfo<StrangeCase>& info) { return std::string(info.param.name); });

// ---- slots and lists --------------------------------------------------------

TEST_F(SchemeLibraryTest, ShortListsArePaddedLongOnesCutAndVariablesExpanded) {
    const std::wstring arrow = Cursor(L"arrow.cur");
    // Fifteen entries (an older list): Hand last, Help blank, Pin and Person
    // Windows' default.
    std::vector<std::wstring> entries(15);
    entries[0] = arrow;
    entries[1] = L"   ";
    entries[14] = arrow;
    std::wstring classic;
    for (size_t i = 0; i < entries.size(); ++i) classic += (i > 0 ? L"," : L"") + entries[i];
    ASSERT_TRUE(registry.SetScheme(true, L"经典", classic, REG_SZ));
    std::wstring twenty = L"%SystemRoot%\\a.cur";
    for (int i = 1; i < 20; ++i) twenty += L",%SystemRoot%\\x" + std::to_wstring(i) + L".cur";
    ASSERT_TRUE(registry.SetScheme(false, L"二十", twenty));

    const library::SchemeListing listing = library::ReadSchemeLists();
    ASSERT_EQ(listing.schemes.size(), 2u);
    EXPECT_EQ(listing.schemes[0].name, L"经典");  // the system's list first
    EXPECT_EQ(listing.schemes[0].source, Source::System);
    EXPECT_EQ(listing.schemes[1].source, Source::User);
    const library::SchemeEntry& old = listing.schemes[0];
    EXPECT_EQ(old.FileOf(2), arrow);
    EXPECT_EQ(old.FileOf(4), arrow);  // Hand, the fifteenth
    EXPECT_EQ(old.SlotOf(5).state, schemes::SlotState::WindowsDefault);  // a blank entry
    EXPECT_EQ(old.SlotOf(16).state, schemes::SlotState::WindowsDefault);
    EXPECT_EQ(old.SlotOf(17).state, schemes::SlotState::WindowsDefault);
    const library::SchemeEntry& many = listing.schemes[1];
    EXPECT_EQ(many.FileOf(2), windows.Path() + L"\\a.cur");
    EXPECT_EQ(many.FileOf(17), windows.Path() + L"\\x16.cur");  // Person, the seventeenth
    EXPECT_TRUE(many.Usable());
}

struct CountCase {
    const char* name;
    int values;
    size_t listed;
    bool leftOut;
};

class ValueBoundTest : public SchemeLibraryTest, public testing::WithParamInterface<CountCase> {};

TEST_P(ValueBoundTest, TheFirstThousandValuesAreRead) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, registry.UserSchemesSubkey().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    const wchar_t data[] = L"C:\\a.cur";
    for (int i = 0; i < GetParam().values; ++i) {
        const std::wstring name = L"s" + std::to_wstring(i);
        RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof(data));
    }
    const library::SchemeListing listing = library::ReadSchemeLists();
    EXPECT_EQ(listing.schemes.size(), GetParam().listed);
    EXPECT_EQ(listing.leftOut, GetParam().leftOut);
}

INSTANTIATE_TEST_SUITE_P(SchemeLibrary, ValueBoundTest,
                         testing::Values(CountCase{"None", 0, 0, false}, CountCase{"Thousand", 1000, 1000, false},
                                         CountCase{"ThousandAndOne", 1001, 1000, true}),
                         [](const testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST_F(SchemeLibraryTest, DataAtTheBoundIsReadAndOneUnitMoreIsNot) {
    // 32 KiB with the terminating NUL: 16,383 characters and the NUL.
    std::wstring atBound = L"C:\\" + std::wstring(16383 - 3, L'a');
    ASSERT_TRUE(registry.SetScheme(false, L"边界", atBound));
    ASSERT_TRUE(registry.SetScheme(false, L"过界", atBound + L"a"));
    const library::SchemeListing listing = library::ReadSchemeLists();
    ASSERT_NE(Find(listing, L"边界"), nullptr);
    EXPECT_EQ(Find(listing, L"边界")->state, schemes::ValueState::Read);
    EXPECT_EQ(Find(listing, L"边界")->FileOf(2), atBound);
    ASSERT_NE(Find(listing, L"过界"), nullptr);
    EXPECT_EQ(Find(listing, L"过界")->state, schemes::ValueState::Unreadable);
}

// ---- the scheme in force ----------------------------------------------------

TEST_F(SchemeLibraryTest, InForceIsWrittenAsStringAndDwordAndReadBack) {
    EXPECT_EQ(library::ReadInForce().name, L"");
    EXPECT_EQ(library::ReadInForce().source, 0u);
    ASSERT_EQ(library::SetInForce(L"我的方案", 1), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(registry.GetString(L"", &type), L"我的方案");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_TRUE(registry.GetString(L"Scheme Source", &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    const library::InForce read = library::ReadInForce();
    EXPECT_EQ(read.name, L"我的方案");
    EXPECT_EQ(read.source, 1u);
    ASSERT_EQ(library::ClearInForce(), ERROR_SUCCESS);
    EXPECT_EQ(registry.GetString(L""), L"");
    EXPECT_EQ(library::ReadInForce().source, 0u);
}

// ---- writing and deleting ---------------------------------------------------

TEST_F(SchemeLibraryTest, WrittenEntryIsExpandableSeventeenSlotsNamingTheSchemeFolder) {
    std::array<bool, kRoleCount> withFile{};
    withFile[2 - 1] = true;   // Arrow
    withFile[17 - 1] = true;  // Person
    ASSERT_EQ(library::WriteScheme(Source::User, L"我的 方案", withFile), ERROR_SUCCESS);
    ASSERT_EQ(library::WriteScheme(Source::System, L"装的", withFile), ERROR_SUCCESS);

    const std::vector<std::wstring> user = ScratchRegistry::Snapshot(registry.UserSchemesSubkey());
    ASSERT_EQ(user.size(), 1u);
    EXPECT_TRUE(user[0].starts_with(L"我的 方案|" + std::to_wstring(REG_EXPAND_SZ) + L"|"));
    const library::SchemeListing listing = library::ReadSchemeLists();
    for (const auto& [name, source] : {std::pair{L"我的 方案", Source::User}, std::pair{L"装的", Source::System}}) {
        const library::SchemeEntry* entry = Find(listing, name);
        ASSERT_NE(entry, nullptr) << name;
        EXPECT_EQ(entry->source, source);
        for (const CursorRole& role : kRoles) {
            const bool has = role.number == 2 || role.number == 17;
            // The machine's schemes under %SystemRoot%, the user's in the user's store.
            const std::wstring folder = source == Source::System ? windows.Path() + L"\\Cursors\\" + name + L"\\"
                                                                 : UserSchemeFolder(name);
            EXPECT_EQ(entry->FileOf(role.number), has ? folder + role.FileName() : L"") << role.number;
        }
    }
}

TEST_F(SchemeLibraryTest, RawTextOfAWrittenEntry) {
    std::array<bool, kRoleCount> withFile{};
    withFile[4 - 1] = true;  // Hand: the fifteenth slot
    ASSERT_EQ(library::WriteScheme(Source::User, L"A", withFile), ERROR_SUCCESS);
    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, registry.UserSchemesSubkey().c_str(), 0, KEY_QUERY_VALUE, key.put()),
              ERROR_SUCCESS);
    wchar_t data[512] = {};
    DWORD bytes = sizeof(data);
    DWORD type = 0;
    ASSERT_EQ(RegQueryValueExW(key.get(), L"A", nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(std::wstring(data), L",,,,,,,,,,,,,," + UserSchemeFolder(L"A") + L"Hand.ani,,");
}

struct NameCase {
    const char* name;
    const wchar_t* scheme;
};

class RefusedNameTest : public SchemeLibraryTest, public testing::WithParamInterface<NameCase> {};

TEST_P(RefusedNameTest, WritesNothing) {
    ASSERT_TRUE(registry.SetScheme(true, L"Windows Default", L""));
    const auto before = Everything();
    std::array<bool, kRoleCount> withFile{};
    withFile.fill(true);
    EXPECT_EQ(library::WriteScheme(Source::User, GetParam().scheme, withFile), ERROR_INVALID_NAME);
    EXPECT_EQ(Everything(), before);
}

INSTANTIATE_TEST_SUITE_P(SchemeLibrary, RefusedNameTest,
                         testing::Values(NameCase{"SystemSchemeOtherCase", L"windows default"},
                                         NameCase{"ApplyFolder", L"CURSORS"}, NameCase{"Comma", L"a,b"},
                                         NameCase{"Backslash", L"a\\b"}, NameCase{"Device", L"COM1"},
                                         NameCase{"Untrimmed", L" 方案"}, NameCase{"Empty", L""}),
                         [](const testing::TestParamInfo<NameCase>& info) { return std::string(info.param.name); });

struct DeleteCase {
    const char* name;
    const wchar_t* inForce;  // "(Default)" before
    DWORD source;            // "Scheme Source" before
    bool cleared;            // Windows' default recorded afterwards
};

class DeleteTest : public SchemeLibraryTest, public testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, RemovesTheEntryAndClearsTheRecordThatNamedIt) {
    const std::wstring file = Cursor(L"keep.cur");
    ASSERT_TRUE(registry.SetScheme(false, L"旧方案", file));
    ASSERT_TRUE(registry.SetScheme(false, L"别的", file));
    registry.SetString(L"", GetParam().inForce);
    registry.SetDword(L"Scheme Source", GetParam().source);

    ASSERT_EQ(library::DeleteUserScheme(L"旧方案"), ERROR_SUCCESS);
    const library::SchemeListing listing = library::ReadSchemeLists();
    EXPECT_EQ(Find(listing, L"旧方案"), nullptr);
    EXPECT_NE(Find(listing, L"别的"), nullptr);
    EXPECT_TRUE(FileExists(file));
    const library::InForce after = library::ReadInForce();
    EXPECT_EQ(after.name, GetParam().cleared ? L"" : GetParam().inForce);
    EXPECT_EQ(after.source, GetParam().cleared ? 0u : GetParam().source);
}

INSTANTIATE_TEST_SUITE_P(SchemeLibrary, DeleteTest,
                         testing::Values(DeleteCase{"InForce", L"旧方案", 1, true},
                                         DeleteCase{"InForceSourceMissing", L"旧方案", 0, true},
                                         DeleteCase{"AnotherInForce", L"别的", 1, false},
                                         DeleteCase{"SystemSchemeOfThatName", L"旧方案", 2, false}),
                         [](const testing::TestParamInfo<DeleteCase>& info) { return std::string(info.param.name); });

TEST_F(SchemeLibraryTest, DeletingAMissingEntrySaysSo) {
    ASSERT_TRUE(registry.SetScheme(false, L"有", L""));
    EXPECT_EQ(library::DeleteUserScheme(L"没有"), ERROR_FILE_NOT_FOUND);
    EXPECT_NE(Find(library::ReadSchemeLists(), L"有"), nullptr);
}

}  // namespace
}  // namespace shubiao
