// The editor's parts on their own, with a fake editor behind the interface
// they reach it through: each action hands the editor one whole new scheme,
// or none and the user is told why; the editor's scheme is never changed
// in part.
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

#include "editor/ImportFlow.h"
#include "editor/LibraryActions.h"
#include "scheme/SchemeLibrary.h"
#include "support/CursorFilesSupport.h"
#include "support/TestSupport.h"
#include "win/Text.h"

namespace shubiao {
namespace {

using namespace test;

constexpr int kArrow = 2;

class FakeSchemeHolder final : public SchemeHolder {
public:
    HWND Owner() const override { return nullptr; }
    const WorkingScheme& Scheme() const override { return scheme; }
    void TakeScheme(WorkingScheme taken) override {
        scheme = std::move(taken);
        ++takes;
    }
    std::unique_ptr<WriterLock> TakeWriterLock() override { return nullptr; }
    bool SettlePending(PendingLoss, int) override { return true; }
    void Confirm(const std::wstring&, const std::wstring&) override {}

    WorkingScheme scheme;
    int takes = 0;
};

class EditorPartsTest;
struct PartsCase {
    const char* name;
    std::function<void(EditorPartsTest&)> act;
    bool taken;          // one scheme handed over (else none, and a message)
    bool windowsDefault;  // Arrow, in the scheme handed over
};

void PrintTo(const PartsCase& c, std::ostream* os) { *os << c.name; }

class EditorPartsTest : public testing::TestWithParam<PartsCase> {
public:
    // A folder holding `files` cursor files of ours, by name.
    std::wstring Folder(std::initializer_list<const wchar_t*> files) {
        const std::wstring folder = scratch / L"pack";
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const wchar_t* file : files) WriteStaticCursor(folder + L"\\" + file, 3, 3);
        return folder;
    }
    // A user scheme that names `file` in every slot.
    static library::SchemeEntry Entry(const std::wstring& file) {
        library::SchemeEntry entry;
        entry.name = L"方案";
        for (schemes::Slot& slot : entry.slots) {
            slot.state = schemes::SlotState::Path;
            slot.path = ToUtf8(file);
        }
        return entry;
    }

    ScratchFolder scratch{L"parts"};
    FakeDesktop desktop;
    FakeSchemeHolder editor;
    LibraryActions library{editor, desktop};
    ImportFlow import{editor, desktop, library};
};

TEST_P(EditorPartsTest, HandTheEditorOneWholeSchemeOrNone) {
    const PartsCase& c = GetParam();
    c.act(*this);
    if (!c.taken) {
        EXPECT_EQ(editor.takes, 0);
        EXPECT_EQ(desktop.boxes.size(), 1u) << "the user is told why";
        EXPECT_FALSE(editor.scheme.Pending(kArrow));
        return;
    }
    ASSERT_EQ(editor.takes, 1);
    EXPECT_TRUE(editor.scheme.Pending(kArrow));
    EXPECT_TRUE(editor.scheme.RoleChanged(kArrow));
    EXPECT_EQ(editor.scheme.WindowsDefault(kArrow), c.windowsDefault);
    EXPECT_FALSE(editor.scheme.RoleCursorFile(kArrow).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Parts, EditorPartsTest,
    testing::Values(
        PartsCase{"WindowsDefaultForARole", [](EditorPartsTest& t) { t.library.ShiYongMoRen(kArrow); }, true, true},
        PartsCase{"UseASchemeWithAUsableFile",
                  [](EditorPartsTest& t) {
                      t.library.ShiYongFangAn(t.Entry(t.Folder({L"a.cur"}) + L"\\a.cur"));
                  },
                  true, false},
        PartsCase{"UseASchemeWhoseFileIsGone",
                  [](EditorPartsTest& t) { t.library.ShiYongFangAn(t.Entry(t.scratch / L"gone.cur")); }, false,
                  false},
        PartsCase{"ImportAFolderOfPointers",
                  [](EditorPartsTest& t) { t.import.ImportPath(t.Folder({L"Normal Select.cur"})); }, true, false},
        PartsCase{"ImportAFolderWithoutPointers", [](EditorPartsTest& t) { t.import.ImportPath(t.Folder({})); },
                  false, false},
        PartsCase{"ImportAPathThatIsNotThere",
                  [](EditorPartsTest& t) { t.import.ImportPath(t.scratch / L"nowhere"); }, false, false}),
    [](const testing::TestParamInfo<PartsCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace shubiao
