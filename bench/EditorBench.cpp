#include "bench/EditorBench.h"

#include <algorithm>
#include <string>

#include "bench/Sandbox.h"
#include "bench/Stats.h"
#include "editor/CursorLoader.h"
#include "scheme/ImportPlan.h"
#include "editor/Layout.h"
#include "editor/ShuBiaoKong.h"
#include "portable/cursor_bytes.h"
#include "portable/inf_cases.h"
#include "scheme/formats/CursorFileCheck.h"
#include "scheme/CursorRole.h"
#include "scheme/Folders.h"
#include "scheme/CursorBytes.h"
#include "scheme/PackFolder.h"
#include "scheme/Store.h"
#include "scheme/ZipPack.h"
#include "portable/cursor_bytes.h"
#include "portable/zip_bytes.h"
#include "win/Text.h"

#include <filesystem>
#include <fstream>
#include <algorithm>
#include "win/Errors.h"

namespace shubiao::bench {
namespace {

bool AllPreviewsDrawn(ShuBiaoKong& editor) {
    for (const int n : layout::kBoxRoles) {
        if (editor.FrameShown(n) < 0) return false;
    }
    return true;
}

// The role of the grid's box number i (counting on past the last box).
int BoxRole(int i) { return layout::kBoxRoles[static_cast<size_t>(i % layout::kBoxCount)]; }

void Hover(ShuBiaoKong& editor, int role) {
    editor.Picture16_MouseMove();
    editor.Picture_MouseMove(role);
}

// Every box's role chosen, as a user clicks through the grid: its installed
// file, except Arrow, which gets the busy pointer, so that three previews are
// animated.
void ChooseEveryRole(ShuBiaoKong& editor, BenchDesktop& desktop) {
    for (const int n : layout::kBoxRoles) {
        const CursorRole& role = Role(n);
        const std::wstring file = DataStorageFolder() + (role.number == 2 ? Role(15).FileName() : role.FileName());
        desktop.openAnswers.push_back(file);
        editor.Picture_Click(role.number);
        DrainMessages();
    }
}

void MeasureHovers(ShuBiaoKong& editor, const EditorSettings& settings, StepTimer& steps, EditorResult& result) {
    for (int i = 0; i < layout::kBoxCount; ++i) {
        const Stopwatch clock;
        Hover(editor, BoxRole(i));
        result.hoverFirstMs.push_back(clock.Ms());
        DrainMessages();
    }
    result.hoverMs.reserve(static_cast<size_t>(settings.hovers));
    for (int i = 0; i < settings.hovers; ++i) {
        const Stopwatch clock;
        Hover(editor, BoxRole(i));
        result.hoverMs.push_back(clock.Ms());
        DrainMessages();
    }
    editor.SetProfiler(&steps);
    for (int i = 0; i < settings.profileRounds; ++i) {
        editor.Picture16_MouseMove();
        steps.Begin();
        editor.Picture_MouseMove(BoxRole(i));
        steps.End();
    }
    editor.SetProfiler(nullptr);
    result.hoverSteps = steps.Medians();
}

void MeasureLoads(ShuBiaoKong& editor, const EditorSettings& settings, StepTimer& steps, EditorResult& result) {
    result.loadMs.reserve(static_cast<size_t>(settings.refreshes));
    for (int i = 0; i < settings.refreshes; ++i) {
        const Stopwatch clock;
        editor.ChuShiShuBiao();
        result.loadMs.push_back(clock.Ms());
        DrainMessages();  // the boxes repaint, untimed
    }
    editor.SetProfiler(&steps);
    for (int i = 0; i < settings.profileRounds; ++i) {
        steps.Begin();
        editor.ChuShiShuBiao();
        steps.End();
        DrainMessages();
    }
    editor.SetProfiler(nullptr);
    result.loadSteps = steps.Medians();
    if (!AllPreviewsDrawn(editor)) result.problems.push_back(L"after the refreshes not every preview is drawn");
}

void MeasureApply(ShuBiaoKong& editor, BenchDesktop& desktop, Sandbox& sandbox, const EditorSettings& settings,
                  StepTimer& steps, EditorResult& result) {
    ChooseEveryRole(editor, desktop);
    int handedOver = 0;
    for (const int n : layout::kBoxRoles) handedOver += Role(n).HasSystemCursor() ? 1 : 0;
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
    editor.SetProfiler(&steps);
    for (int i = 0; i < settings.profileRounds / 10; ++i) {
        // Apply asks first: the step timer starts when it has been answered.
        desktop.onConfirm = [&steps] { steps.Begin(); };
        editor.YingYong_SB_Click();
        steps.End();
        DrainMessages();
    }
    desktop.onConfirm = nullptr;
    editor.SetProfiler(nullptr);
    result.applySteps = steps.Medians();
    for (const std::wstring& text : desktop.warnings) result.problems.push_back(L"Apply warned: " + text);
    const std::wstring folder = AppliedFolder();  // the sandbox's scratch store
    for (const int n : layout::kBoxRoles) {
        const CursorRole& role = Role(n);
        if (sandbox.Value(std::wstring(role.valueName)) != folder + role.FileName()) {
            result.problems.push_back(L"after Apply the value " + std::wstring(role.valueName) +
                                      L" does not name the copied file");
        }
    }
}

// 撤销上次更改 after an Apply of the fifteen roles (choosing and Apply not
// timed): from the call until the grid shows the pointers of before and the
// message saying so is answered.
void MeasureUndo(ShuBiaoKong& editor, BenchDesktop& desktop, Sandbox& sandbox, const EditorSettings& settings,
                 EditorResult& result) {
    for (int i = 0; i < settings.undos; ++i) {
        ChooseEveryRole(editor, desktop);
        editor.YingYong_SB_Click();
        DrainMessages();
        const size_t told = desktop.warnings.size();
        const Stopwatch clock;
        editor.CheXiaoGengGai();
        result.undoMs.push_back(clock.Ms());
        DrainMessages();
        if (desktop.warnings.size() != told + 1 || desktop.warnings.back().rfind(L"已撤销上次更改", 0) != 0) {
            result.problems.push_back(L"an undo did not say it was done: " +
                                      (desktop.warnings.size() > told ? desktop.warnings.back() : std::wstring()));
            return;
        }
        desktop.warnings.pop_back();
        for (const int n : layout::kBoxRoles) {
            const CursorRole& role = Role(n);
            if (sandbox.Value(std::wstring(role.valueName)) != DataStorageFolder() + role.FileName()) {
                result.problems.push_back(L"after undo the value " + std::wstring(role.valueName) +
                                          L" does not name its file of before");
                return;
            }
        }
    }
}

// Minutes of animation on the editor's clock, ticked as the timer would.
void PlayAnimation(ShuBiaoKong& editor, BenchDesktop& desktop, int minutes) {
    const ULONGLONG until = desktop.ahead + static_cast<ULONGLONG>(minutes) * 60000;
    while (desktop.ahead < until) {
        desktop.ahead += 20;
        editor.AnimationTick();
        if (desktop.ahead % 2000 == 0) DrainMessages();
    }
    DrainMessages();
}

double ProcessMs() {
    FILETIME created{}, ended{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// The process's time while the message loop runs for real with three
// animations playing and nothing else to do.
void MeasureAnimationCpu(ShuBiaoKong& editor, const EditorSettings& settings, EditorResult& result) {
    editor.UpdateAnimation();
    if (!editor.Animating()) {
        result.problems.push_back(L"no animation plays for the processor measurement");
        return;
    }
    const double before = ProcessMs();
    const Stopwatch clock;
    const double limit = settings.cpuSeconds * 1000.0;
    while (clock.Ms() < limit) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        DrainMessages();
    }
    result.animationSeconds = clock.Ms() / 1000.0;
    result.animationCpuPercent = (ProcessMs() - before) / clock.Ms() * 100.0;
}

// A downloaded pack: install.inf with a Schemes list of seventeen entries
// (the fifteen roles, Pin and Person) and its files.
std::wstring MakePack(const Sandbox& sandbox) {
    const std::wstring folder = sandbox.Windows() + L"\\pack";
    CreateDirectoryW(folder.c_str(), nullptr);
    const char* const order[] = {"Arrow", "Help", "AppStarting", "Wait", "Crosshair", "IBeam", "NWPen", "No", "SizeNS",
                                 "SizeWE", "SizeNWSE", "SizeNESW", "SizeAll", "UpArrow", "Hand", "Pin", "Person"};
    std::string list;
    for (const char* name : order) {
        std::string file = "pack-";
        file += name;
        file += ".cur";
        if (!list.empty()) list += ',';
        list += "%10%\\%CUR_DIR%\\";
        list += file;
        const CursorRole* role = FindRole(std::wstring(name, name + std::char_traits<char>::length(name)));
        const std::wstring source = DataStorageFolder() + (role != nullptr ? role->FileName() : L"Arrow.ani");
        CopyFileW(source.c_str(), (folder + L"\\" + std::wstring(file.begin(), file.end())).c_str(), FALSE);
    }
    const std::string inf = "[Version]\r\nsignature=\"$CHICAGO$\"\r\n[DefaultInstall]\r\nAddReg = Scheme.Reg\r\n"
                            "[Scheme.Reg]\r\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"%SCHEME_NAME%\",,\"" + list +
                            "\"\r\n[Strings]\r\nCUR_DIR = \"Cursors\\Pack\"\r\nSCHEME_NAME = \"Pack\"\r\n";
    const UniqueFile file(CreateFileW((folder + L"\\install.inf").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), inf.data(), static_cast<DWORD>(inf.size()), &written, nullptr);
    return folder;
}

void MeasurePack(ShuBiaoKong& editor, const Sandbox& sandbox, const EditorSettings& settings, EditorResult& result) {
    const std::wstring folder = MakePack(sandbox);
    for (int i = 0; i < settings.profileRounds; ++i) {
        const Stopwatch clock;
        const PackScan scan = ScanForPacks(folder);
        if (scan.packs.size() != 1) {
            result.problems.push_back(L"the pack folder gave " + std::to_wstring(scan.packs.size()) + L" packs");
            return;
        }
        const ImportPlan plan = PlanImport(scan.packs.front(), editor.Scheme());
        result.packMs.push_back(clock.Ms());
        if (plan.taken != kRoleCount || !plan.skipped.empty()) {
            result.problems.push_back(L"the pack gave " + std::to_wstring(plan.taken) + L" roles");
            return;
        }
    }
}

// The sizes of the pack's seventeen files as ShuBiaoCmd check and the
// previews get them: each file read once and checked, its sizes from that
// pass.
void MeasureSizes(const Sandbox& sandbox, const EditorSettings& settings, EditorResult& result) {
    const PackScan scan = ScanForPacks(sandbox.Windows() + L"\\pack");
    if (scan.packs.size() != 1) {
        result.problems.push_back(L"no pack for the sizes");
        return;
    }
    for (int i = 0; i < settings.profileRounds; ++i) {
        const Stopwatch clock;
        size_t sizes = 0;
        for (const PackFile& file : scan.packs.front().files) sizes += ReadCursorBytes(file.path).check.sizes.held.size();
        result.sizesMs.push_back(clock.Ms());
        if (sizes < kRoleCount) {
            result.problems.push_back(L"the pack's files gave " + std::to_wstring(sizes) + L" sizes");
            return;
        }
    }
}

// The same pack as downloaded: a .zip of its files and install.inf, read
// from the file as an import reads it; and a bomb, one entry that inflates
// to 1 GiB of zeros, which must be refused at once.
void MeasureZipPack(ShuBiaoKong& editor, const Sandbox& sandbox, const EditorSettings& settings, EditorResult& result) {
    const std::wstring folder = sandbox.Windows() + L"\\pack";
    zip_bytes::Archive archive;
    WIN32_FIND_DATAW found{};
    const UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!find) {
        result.problems.push_back(L"no pack folder to zip");
        return;
    }
    // Each cursor a 128-pixel image of noise, which deflate cannot shrink, so
    // that the archive holds about 1 MiB as real packs of large pointers do.
    std::uint32_t noise = 2463534242u;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        std::vector<std::uint8_t> bytes;
        if (EqualNoCase(found.cFileName, L"install.inf")) {
            std::ifstream in(std::filesystem::path(folder + L"\\" + found.cFileName), std::ios::binary | std::ios::ate);
            bytes.resize(static_cast<size_t>(std::max<std::streamoff>(in.tellg(), 1)));
            in.seekg(0);
            in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            bytes.resize(static_cast<size_t>(in.gcount()));
        } else {
            bytes = cursor_bytes::MakeCursor(128);
            const size_t pixels = cursor_bytes::kFirstImage + 40;
            for (size_t i = pixels; i < pixels + 128 * 128 * 4; ++i) {
                noise ^= noise << 13;
                noise ^= noise >> 17;
                noise ^= noise << 5;
                bytes[i] = static_cast<std::uint8_t>(noise);
            }
        }
        archive.entries.push_back(zip_bytes::Deflated("Pack/" + ToUtf8(found.cFileName), std::move(bytes)));
    } while (FindNextFileW(find.get(), &found));
    const std::wstring zip = sandbox.Windows() + L"\\pack.zip";
    const std::vector<std::uint8_t> zipBytes = zip_bytes::Build(archive);
    result.zipPackBytes = static_cast<double>(zipBytes.size());
    std::ofstream(std::filesystem::path(zip), std::ios::binary).write(reinterpret_cast<const char*>(zipBytes.data()),
                                               static_cast<std::streamsize>(zipBytes.size()));
    for (int i = 0; i < settings.profileRounds; ++i) {
        const Stopwatch clock;
        const ZipUnpack unpack = UnpackZip(zip);
        const PackScan scan = unpack.unpacked ? ScanForPacks(unpack.unpacked->Folder()) : PackScan{};
        if (scan.packs.size() != 1) {
            result.problems.push_back(L"the zipped pack gave " + std::to_wstring(scan.packs.size()) + L" packs");
            return;
        }
        const ImportPlan plan = PlanImport(scan.packs.front(), editor.Scheme());
        result.zipPackMs.push_back(clock.Ms());
        if (plan.taken != kRoleCount || !plan.skipped.empty()) {
            result.problems.push_back(L"the zipped pack gave " + std::to_wstring(plan.taken) + L" roles");
            return;
        }
    }

    zip_bytes::Entry bomb = zip_bytes::Deflated("Busy.ani", zip_bytes::Bytes(16, 0));
    bomb.payload = zip_bytes::ZeroBomb(1024);
    bomb.size = 1u << 30;
    const std::vector<std::uint8_t> bombBytes = zip_bytes::Build(zip_bytes::Archive{{bomb}});
    const std::wstring bombZip = sandbox.Windows() + L"\\bomb.zip";
    std::ofstream(std::filesystem::path(bombZip), std::ios::binary).write(reinterpret_cast<const char*>(bombBytes.data()),
                                                   static_cast<std::streamsize>(bombBytes.size()));
    for (int i = 0; i < settings.profileRounds; ++i) {
        const Stopwatch clock;
        const ZipUnpack unpack = UnpackZip(bombZip);
        result.zipBombMs.push_back(clock.Ms());
        if (unpack.filesWritten != 0 || unpack.skipped.size() != 1) {
            result.problems.push_back(L"the bomb was not refused as it should be");
            return;
        }
    }
}

// The cursor check on a 100 KiB animation, and the .inf reader on the
// largest of its test inputs (a line of 100,000 commas, 10,000 sections, ...).
void MeasureParsers(EditorResult& result) {
    const std::vector<std::uint8_t> animation = cursor_bytes::MakeAnimation(24);
    std::vector<double> check;
    for (int i = 0; i < 301; ++i) {
        const Stopwatch clock;
        const CursorCheck verdict = CheckCursorBytes(animation);
        check.push_back(clock.Ms());
        if (!verdict.ok()) result.problems.push_back(L"the benchmark's animation does not pass the check");
    }
    result.parsers.emplace_back("cursor check, " + std::to_string(animation.size() / 1024) + " KiB animation",
                                Summarise(check).median);
    for (const inf_cases::Case& c : inf_cases::Cases()) {
        const inf_cases::Bytes bytes = c.make();
        if (bytes.size() < 256 * 1024) continue;
        std::vector<double> times;
        for (int i = 0; i < 5; ++i) {
            const Stopwatch clock;
            inf::ReadCursorInf(bytes, inf_cases::FakeGbk);
            times.push_back(clock.Ms());
        }
        result.parsers.emplace_back(std::string(".inf reader, ") + c.name + " (" +
                                        std::to_string(bytes.size() / 1024) + " KiB)",
                                    Summarise(times).median);
    }
}

// A round of everything a session does, for the growth check. Apply comes
// first, so that every round after the first hovers over, refreshes and
// plays the same files (the copies Apply made) and a cache filling up with
// them is not counted as growth.
void Round(ShuBiaoKong& editor, BenchDesktop& desktop, const EditorSettings& settings) {
    ChooseEveryRole(editor, desktop);
    for (int i = 0; i < settings.applies / 10; ++i) {
        editor.YingYong_SB_Click();
        DrainMessages();
    }
    editor.ChuShiShuBiao();
    DrainMessages();
    for (int i = 0; i < settings.hovers; ++i) {
        Hover(editor, BoxRole(i));
        if (i % 100 == 0) DrainMessages();
    }
    for (int i = 0; i < settings.refreshes; ++i) {
        editor.ChuShiShuBiao();
        DrainMessages();
    }
    PlayAnimation(editor, desktop, settings.animationMinutes);
    editor.ChuShiShuBiao();
    DrainMessages();
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
        if (!CreateEditor(editor, host, result.problems)) {
            SetErrorReporter(nullptr);
            return result;
        }
        if (!AllPreviewsDrawn(editor)) result.problems.push_back(L"the first load did not draw every preview");

        StepTimer loadSteps, hoverSteps, applySteps;
        MeasureHovers(editor, settings, hoverSteps, result);
        MeasureLoads(editor, settings, loadSteps, result);
        MeasureApply(editor, desktop, sandbox, settings, applySteps, result);
        MeasureUndo(editor, desktop, sandbox, settings, result);
        MeasureAnimationCpu(editor, settings, result);
        MeasurePack(editor, sandbox, settings, result);
        MeasureSizes(sandbox, settings, result);
        MeasureZipPack(editor, sandbox, settings, result);
        MeasureParsers(result);

        // Growth: the first round warms up (every file once in the caches,
        // the heap and Wine's own caches settled); a leak shows as the
        // slope over the rounds after it.
        result.growth.push_back(CountHoldings());
        for (int i = 0; i < settings.growthRounds; ++i) {
            Round(editor, desktop, settings);
            result.growth.push_back(CountHoldings());
        }
    }
    SetErrorReporter(nullptr);
    for (const std::wstring& e : errors) result.problems.push_back(L"the editor reported: " + e);
    return result;
}

}  // namespace shubiao::bench
