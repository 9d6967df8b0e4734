#include "bench/LibraryBench.h"

#include <windows.h>
#include <commctrl.h>

#include "bench/Sandbox.h"
#include "bench/Stats.h"
#include "editor/SchemeDialogs.h"
#include "editor/ShuBiaoKong.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/formats/SchemeOrder.h"
#include "win/Errors.h"
#include "win/Text.h"

namespace shubiao::bench {
namespace {

// Scheme N's files: the installed cursors copied to %SystemRoot%\Cursors\BenchN,
// so that every scheme's previews are read and made afresh.
bool MakeSchemes(Sandbox& sandbox, int count) {
    for (int n = 0; n < count; ++n) {
        const std::wstring name = L"Bench" + std::to_wstring(n + 1);
        const std::wstring folder = library::SchemeFolder(name);
        CreateDirectoryW((sandbox.Windows() + L"\\Cursors").c_str(), nullptr);
        if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        std::wstring data;
        for (size_t slot = 0; slot < kSchemeOrder.size(); ++slot) {
            const std::wstring role = FromUtf8(kSchemeOrder[slot]).value_or(L"");
            const std::wstring file = role + L".ani";
            if (!CopyFileW((DataStorageFolder() + file).c_str(), (folder + file).c_str(), FALSE)) return false;
            data += (slot > 0 ? L"," : L"") + library::RecordedPath(name, FindRole(role)->number);
        }
        if (!sandbox.AddScheme(name, data)) return false;
    }
    return true;
}

// One opening: the time until the probe sees the dialog shown and drawn.
double OpenOnce(ShuBiaoKong& editor, int* rows) {
    Stopwatch clock;
    double ms = -1;
    ScopedDialogProbe probe([&](HWND dialog) {
        ms = clock.Ms();
        if (rows != nullptr) *rows = ListView_GetCountPerPage(GetDlgItem(dialog, kLibraryListId));
        SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    });
    editor.Library().FangAnKu_Click();
    DrainMessages();
    return ms;
}

}  // namespace

LibraryResult MeasureLibrary(const LibrarySettings& settings) {
    LibraryResult result;
    Sandbox sandbox;
    if (!sandbox.ok() || !MakeSchemes(sandbox, settings.schemes)) {
        result.problems.push_back(L"cannot make the scratch schemes");
        return result;
    }
    std::vector<std::wstring> errors;
    SetErrorReporter([&errors](HWND, const std::wstring& message) { errors.push_back(message); });
    {
        BenchDesktop desktop;
        BenchHost host;
        ShuBiaoKong editor(desktop);
        if (!CreateEditor(editor, host, result.problems)) {
            SetErrorReporter(nullptr);
            return result;
        }
        OpenOnce(editor, nullptr);  // warm-up: the code and the system's caches
        for (int i = 0; i < settings.timed; ++i) {
            const double ms = OpenOnce(editor, &result.rowsShown);
            if (ms < 0) {
                result.problems.push_back(L"the library dialog did not open");
                break;
            }
            result.openMs.push_back(ms);
        }
        result.growth.push_back(CountHoldings());
        for (int round = 0; round < settings.rounds; ++round) {
            for (int i = 0; i < settings.openings; ++i) OpenOnce(editor, nullptr);
            result.growth.push_back(CountHoldings());
        }
    }
    SetErrorReporter(nullptr);
    for (const std::wstring& e : errors) result.problems.push_back(L"the editor reported: " + e);
    return result;
}

}  // namespace shubiao::bench
