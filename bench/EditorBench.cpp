#include "bench/EditorBench.h"

#include "bench/Profile.h"
#include "bench/Sandbox.h"
#include "bench/Stats.h"
#include "editor/Layout.h"
#include "editor/ShuBiaoKong.h"
#include "win/Window.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"

namespace shubiao::bench {
namespace {

bool AllPreviewsDrawn(ShuBiaoKong& editor) {
    for (int n = 1; n <= kRoleCount; ++n) {
        PictureBox& box = editor.Picture(n);
        const std::uint32_t* p = box.Pixels();
        const int count = box.ImageWidth() * box.ImageHeight();
        if (p == nullptr || count == 0) return false;
        bool drawn = false;
        for (int i = 1; i < count && !drawn; ++i) drawn = p[i] != p[0];
        if (!drawn) return false;
    }
    return true;
}

void Hover(ShuBiaoKong& editor, int role) {
    editor.Picture16_MouseMove();
    editor.Picture_MouseMove(role);
}

void MeasureHoversAndRefreshes(ShuBiaoKong& editor, const EditorSettings& settings, EditorResult& result) {
    for (int n = 1; n <= kRoleCount; ++n) Hover(editor, n);  // warm-up: every role once
    editor.ChuShiShuBiao();
    DrainMessages();
    result.start = CountHoldings();

    result.hoverMs.reserve(static_cast<size_t>(settings.hovers));
    for (int i = 0; i < settings.hovers; ++i) {
        const Stopwatch clock;
        Hover(editor, i % kRoleCount + 1);
        result.hoverMs.push_back(clock.Ms());
        DrainMessages();
    }
    result.loadMs.reserve(static_cast<size_t>(settings.refreshes));
    for (int i = 0; i < settings.refreshes; ++i) {
        const Stopwatch clock;
        editor.ChuShiShuBiao();
        result.loadMs.push_back(clock.Ms());
        DrainMessages();  // the boxes repaint, untimed
    }
    result.end = CountHoldings();
    // The first round settles what the process keeps once (heap and Wine's
    // own caches); the next two rounds show a leak as growth.
    for (Holdings* after : {&result.again, &result.third}) {
        for (int i = 0; i < settings.hovers; ++i) {
            Hover(editor, i % kRoleCount + 1);
            DrainMessages();
        }
        for (int i = 0; i < settings.refreshes; ++i) {
            editor.ChuShiShuBiao();
            DrainMessages();
        }
        *after = CountHoldings();
    }
    if (!AllPreviewsDrawn(editor)) result.problems.push_back(L"after the refreshes not every preview is drawn");
}

void MeasureApply(ShuBiaoKong& editor, BenchDesktop& desktop, Sandbox& sandbox, const EditorSettings& settings,
                  EditorResult& result) {
    for (const CursorRole& role : kRoles) {
        desktop.openAnswers.push_back(DataStorageFolder() + role.FileName());
        editor.Picture_Click(role.number);
        DrainMessages();
    }
    for (const CursorRole& role : kRoles) {
        if (!editor.Scheme().RoleChanged(role.number)) {
            result.problems.push_back(L"role " + std::wstring(role.valueName) + L" was not chosen");
            return;
        }
    }
    int handedOver = 0;
    for (const CursorRole& role : kRoles) handedOver += role.HasSystemCursor() ? 1 : 0;

    for (int i = 0; i < settings.applies; ++i) {
        const int before = desktop.systemCursors;
        const Stopwatch clock;
        editor.YingYong_SB_Click();
        result.applyMs.push_back(clock.Ms());
        DrainMessages();
        if (desktop.systemCursors - before != handedOver) {
            result.problems.push_back(L"an Apply replaced " + std::to_wstring(desktop.systemCursors - before) +
                                      L" pointers instead of " + std::to_wstring(handedOver));
            return;
        }
    }
    if (desktop.confirmations != settings.applies) result.problems.push_back(L"Apply did not ask once per click");
    for (const std::wstring& text : desktop.warnings) result.problems.push_back(L"Apply warned: " + text);
    const std::wstring folder = sandbox.Windows() + L"\\Cursors\\Cursors\\";
    for (const CursorRole& role : kRoles) {
        if (sandbox.Value(std::wstring(role.valueName)) != folder + role.FileName()) {
            result.problems.push_back(L"after Apply the value " + std::wstring(role.valueName) +
                                      L" does not name the copied file");
        }
    }
}

// Apply's steps one by one, into a folder of their own beside the one Apply used.
void ProfileApplySteps(Sandbox& sandbox, const EditorSettings& settings, EditorResult& result) {
    const std::wstring folder = sandbox.Windows() + L"\\profile\\";
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        result.problems.push_back(L"cannot make a folder to profile Apply in");
        return;
    }
    std::array<std::wstring, kRoleCount> files;
    for (const CursorRole& role : kRoles) files[static_cast<size_t>(role.number - 1)] = DataStorageFolder() + role.FileName();
    ProfileApply(folder, files, settings.applies, result.applySteps);
}

}  // namespace

EditorResult MeasureEditor(const EditorSettings& settings) {
    EditorResult result;
    Sandbox sandbox;
    if (!sandbox.ok()) {
        result.problems.push_back(L"cannot make the scratch registry key and Windows folder");
        return result;
    }
    // As an installed system would have it: every role names a cursor file.
    for (const CursorRole& role : kRoles) {
        if (!sandbox.SetValue(std::wstring(role.valueName), DataStorageFolder() + role.FileName())) {
            result.problems.push_back(L"cannot write the scratch registry values");
            return result;
        }
    }
    std::vector<std::wstring> errors;
    SetErrorReporter([&errors](HWND, const std::wstring& message) { errors.push_back(message); });
    {
        BenchDesktop desktop;
        BenchHost host;
        ShuBiaoKong editor(desktop);
        try {
            editor.Create(host.hwnd(), layout::kControl.left, layout::kControl.top, layout::kControl.width,
                          layout::kControl.height);
        } catch (...) {
            result.problems.push_back(L"the editor could not be made: " + DescribeCurrentException());
            SetErrorReporter(nullptr);
            return result;
        }
        editor.ChuShiShuBiao();
        DrainMessages();
        if (!AllPreviewsDrawn(editor)) result.problems.push_back(L"the first load did not draw every preview");

        MeasureHoversAndRefreshes(editor, settings, result);
        ProfileLoad(editor, settings.profileRounds, result.loadSteps, result.hoverSteps, result.roleLoads);
        MeasureApply(editor, desktop, sandbox, settings, result);
        ProfileApplySteps(sandbox, settings, result);
    }
    SetErrorReporter(nullptr);
    for (const std::wstring& e : errors) result.problems.push_back(L"the editor reported: " + e);
    return result;
}

}  // namespace shubiao::bench
