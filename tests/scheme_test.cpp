// The role table, the two folders and registry access by value path.
#include <gtest/gtest.h>

#include "scheme/CursorRole.h"
#include "scheme/CursorSettings.h"
#include "scheme/Folders.h"
#include "scheme/Store.h"
#include "scheme/RegistryQuery.h"
#include "support/TestSupport.h"

namespace shubiao {
namespace {

using test::ScratchRegistry;

// The role numbers and every per-role array follow this order: the first
// fifteen by their value names; the two roles Windows added later come after
// them, so that no earlier number (kept in stored files and box ids) moves.
TEST(RoleTable, IsInCaseInsensitiveOrderOfValueNamesNumberedFromOne) {
    constexpr size_t kFirstRoles = 15;
    for (size_t i = 0; i < kRoles.size(); ++i) {
        EXPECT_EQ(kRoles[i].number, static_cast<int>(i + 1));
        if (i == 0 || i >= kFirstRoles) continue;
        const std::wstring_view a = kRoles[i - 1].valueName;
        const std::wstring_view b = kRoles[i].valueName;
        EXPECT_EQ(CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                       TRUE),
                  CSTR_LESS_THAN)
            << "role " << i;
    }
}

struct FindCase {
    const wchar_t* name;
    const wchar_t* found;  // value name of the role found; nullptr: none
};

class FindRoleTest : public testing::TestWithParam<FindCase> {};

TEST_P(FindRoleTest, IgnoresCaseAndNothingElse) {
    const CursorRole* role = FindRole(GetParam().name);
    if (GetParam().found == nullptr) {
        EXPECT_EQ(role, nullptr);
    } else {
        ASSERT_NE(role, nullptr);
        EXPECT_EQ(role->valueName, GetParam().found);
    }
}

INSTANTIATE_TEST_SUITE_P(RoleTable, FindRoleTest,
                         testing::Values(FindCase{L"nwpen", L"NWPen"}, FindCase{L"ARROW", L"Arrow"},
                                         FindCase{L"Arrow.ani", nullptr}, FindCase{L"Arrow ", nullptr},
                                         FindCase{L"", nullptr}, FindCase{L"pin", L"Pin"},
                                         FindCase{L"PERSON", L"Person"}));

struct FolderCase {
    const wchar_t* appFolder;
    const wchar_t* expected;
};

class DataStorageFolderTest : public testing::TestWithParam<FolderCase> {};

TEST_P(DataStorageFolderTest, AppendsWithoutTestingTheSeparator) {
    EXPECT_EQ(DataStorageFolderOf(GetParam().appFolder), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Folders, DataStorageFolderTest,
                         testing::Values(FolderCase{L"C:\\Program Files\\ShuBiao",
                                                    L"C:\\Program Files\\ShuBiao\\Data storage\\Cursors\\"},
                                         FolderCase{L"D:\\", L"D:\\\\Data storage\\Cursors\\"},
                                         FolderCase{L"C:\\工具\\鼠标", L"C:\\工具\\鼠标\\Data storage\\Cursors\\"}));

TEST(Folders, SystemSchemeFolderFollowsWindir) {
    EXPECT_EQ(SystemSchemeFolderOf(std::wstring(L"C:\\Windows")), L"C:\\Windows\\Cursors\\Cursors\\");
    EXPECT_EQ(SystemSchemeFolderOf(std::nullopt), L"\\Cursors\\Cursors\\");
    {
        test::ScopedWindir windir(L"E:\\Win");
        EXPECT_EQ(SystemSchemeFolder(), L"E:\\Win\\Cursors\\Cursors\\");
    }
    const auto saved = EnvironmentVariable(L"windir");
    SetEnvironmentVariableW(L"windir", nullptr);
    EXPECT_EQ(SystemSchemeFolder(), L"\\Cursors\\Cursors\\");
    SetEnvironmentVariableW(L"windir", saved ? saved->c_str() : nullptr);
}

TEST(Folders, TheStoreIsTheUsersOwnOrTheTestsStandIn) {
    const std::wstring roaming = RoamingStoreFolder();
    const std::wstring local = LocalStoreFolder();
    ASSERT_FALSE(roaming.empty());
    ASSERT_FALSE(local.empty());
    EXPECT_NE(roaming, local);
    for (const std::wstring& store : {roaming, local}) {
        EXPECT_TRUE(store.ends_with(L"\\ShuBiao\\")) << store;
        EXPECT_EQ(store.find(SystemSchemeFolder()), std::wstring::npos) << store;
    }
    {
        test::ScopedStore store;
        EXPECT_EQ(AppliedFolder(), store.Roaming() + L"\\Applied\\");
        EXPECT_EQ(UserSchemeFolder(L"蓝"), store.Roaming() + L"\\Schemes\\蓝\\");
        EXPECT_EQ(HistoryFolder(), store.Local() + L"\\History\\");
    }
    EXPECT_EQ(AppliedFolder(), roaming + L"Applied\\");
    EXPECT_EQ(HistoryFolder(), local + L"History\\");
}

TEST(Folders, AppFolderHoldsTheExecutable) {
    const std::wstring folder = AppFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), L'\\');
    EXPECT_EQ(ExecutablePath().rfind(folder + L"\\", 0), 0u);
    EXPECT_EQ(DataStorageFolder(), folder + L"\\Data storage\\Cursors\\");
}

TEST(Folders, ExpandEnvironmentLeavesPlainTextAlone) {
    SetEnvironmentVariableW(L"SHUBIAO_TEST_ROOT", L"X:\\根");
    EXPECT_EQ(ExpandEnvironment(L"%SHUBIAO_TEST_ROOT%\\a.cur"), L"X:\\根\\a.cur");
    EXPECT_EQ(ExpandEnvironment(L"C:\\100%\\a.cur"), L"C:\\100%\\a.cur");
    EXPECT_EQ(ExpandEnvironment(L""), L"");
    SetEnvironmentVariableW(L"SHUBIAO_TEST_ROOT", nullptr);
}

TEST(CursorSettings, ReadsStringsAsStoredAndFailsOnMissingValues) {
    ScratchRegistry reg;
    reg.SetString(L"Arrow", L"C:\\a.cur");
    reg.SetString(L"Hand", L"%SystemRoot%\\cursors\\hand.cur", REG_EXPAND_SZ);
    reg.SetString(L"Wait", L"");
    std::wstring data;
    EXPECT_EQ(registry::RegRead(Role(2).ValuePath(), data), ERROR_SUCCESS);
    EXPECT_EQ(data, L"C:\\a.cur");
    EXPECT_EQ(registry::RegRead(Role(4).ValuePath(), data), ERROR_SUCCESS);
    EXPECT_EQ(data, L"%SystemRoot%\\cursors\\hand.cur");
    EXPECT_EQ(registry::RegRead(Role(15).ValuePath(), data), ERROR_SUCCESS);
    EXPECT_EQ(data, L"");
    EXPECT_NE(registry::RegRead(Role(3).ValuePath(), data), ERROR_SUCCESS);
    EXPECT_NE(registry::RegRead(L"HKEY_CURRENT_USER\\Software\\ShuBiaoTests\\NoSuchKey\\X", data), ERROR_SUCCESS);
    EXPECT_EQ(registry::RegRead(L"NOT_A_ROOT\\X", data), ERROR_INVALID_PARAMETER);
}

TEST(CursorSettings, WriteLeavesAPlainStringWhateverTheTypeWas) {
    ScratchRegistry reg;
    reg.SetString(L"Arrow", L"%SystemRoot%\\cursors\\old.cur", REG_EXPAND_SZ);
    EXPECT_EQ(registry::RegWrite(Role(2).ValuePath(), L"C:\\Windows\\Cursors\\Cursors\\Arrow.ani"), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(reg.GetString(L"Arrow", &type), L"C:\\Windows\\Cursors\\Cursors\\Arrow.ani");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(registry::RegWrite(Role(3).ValuePath(), L"新的.cur"), ERROR_SUCCESS);
    EXPECT_EQ(reg.GetString(L"Crosshair", &type), L"新的.cur");
}

TEST(CursorSettings, DeleteRemovesOnlyTheValueAndFailsWhenMissing) {
    ScratchRegistry reg;
    reg.SetString(L"Arrow", L"a");
    reg.SetString(L"Scheme Source", L"2");
    EXPECT_EQ(registry::RegDelete(Role(2).ValuePath()), ERROR_SUCCESS);
    EXPECT_FALSE(reg.Exists(L"Arrow"));
    EXPECT_NE(registry::RegDelete(Role(2).ValuePath()), ERROR_SUCCESS);
    EXPECT_EQ(reg.ValueNames(), std::vector<std::wstring>{L"Scheme Source"});
}

TEST(CursorSettings, RedirectEndsWithItsScope) {
    registry::ValueLocation where;
    {
        ScratchRegistry reg;
        ASSERT_TRUE(registry::ResolveValuePath(Role(2).ValuePath(), where));
        EXPECT_EQ(where.subkey, reg.CursorsSubkey());
    }
    ASSERT_TRUE(registry::ResolveValuePath(Role(2).ValuePath(), where));
    EXPECT_EQ(where.root, HKEY_CURRENT_USER);
    EXPECT_EQ(where.subkey, L"Control Panel\\Cursors");
    EXPECT_EQ(where.valueName, L"Arrow");
}

TEST(QueryValue, ReadsStringsAndDwordsOnly) {
    ScratchRegistry reg;
    reg.SetString(L"Text", L"abc");
    reg.SetDword(L"Number", 0xFFFFFFFE);
    reg.SetString(L"Expand", L"%TEMP%", REG_EXPAND_SZ);
    reg.SetString(L"", L"default");
    const std::wstring key = reg.CursorsSubkey();
    EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, key, L"Text"), RegistryVariant(std::wstring(L"abc")));
    EXPECT_EQ(std::get<std::wstring>(QueryValue(HKEY_CURRENT_USER, key, L"Text")).size(), 3u);
    EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, key, L"Number"), RegistryVariant(std::int32_t{-2}));
    EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, key, L"Expand"), RegistryVariant());
    EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, key, L""), RegistryVariant(std::wstring(L"default")));
    EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, key, L"Missing"), RegistryVariant());
    EXPECT_EQ(QueryValue(HKEY_CURRENT_USER, key + L"\\Nope", L"Text"), RegistryVariant());
}

TEST(QueryValue, ReadRegValueReportsStatus) {
    ScratchRegistry reg;
    reg.SetString(L"Expand", L"x", REG_EXPAND_SZ);
    reg.SetString(L"Text", L"abc");
    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, reg.CursorsSubkey().c_str(), 0, KEY_READ, key.put()), ERROR_SUCCESS);
    RegistryVariant value = std::int32_t{7};
    EXPECT_EQ(ReadRegValue(key.get(), L"Expand", value), -1);
    EXPECT_EQ(value, RegistryVariant(std::int32_t{7}));  // untouched
    EXPECT_EQ(ReadRegValue(key.get(), L"Missing", value), -1);
    EXPECT_EQ(ReadRegValue(key.get(), L"Text", value), 0);
    EXPECT_EQ(value, RegistryVariant(std::wstring(L"abc")));
}

}  // namespace
}  // namespace shubiao
