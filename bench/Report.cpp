#include "bench/Report.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/Profile.h"
#include "bench/Stats.h"
#include "win/Text.h"

namespace shubiao::bench {
namespace {

constexpr double kStartupRatioTarget = 1.5;
constexpr double kStartupRatioGoal = 1.3;
constexpr double kLoadTargetMs = 5;
constexpr double kHoverTargetMs = 1;
constexpr double kApplyTargetMs = 60;
constexpr double kApplyGoalMs = 50;
constexpr double kPackTargetMs = 5;
constexpr double kZipPackTargetMs = 20;
constexpr double kZipBombTargetMs = 50;
constexpr double kAnimationCpuTarget = 1.0;  // percent of one core
constexpr double kParserTargetMs = 50;
constexpr std::uint64_t kSizeTarget = 1024 * 1024;
constexpr double kLibraryTargetMs = 150;
constexpr double kConsoleRatioTarget = 3.0;
constexpr double kDeepZipRatioTarget = 2.0;

std::string Fixed(double value, int decimals = 2) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
    return buffer;
}

struct Figures {
    Summary deepZip, flatZip;
    double deepZipRatio = 0;
    Summary floor, shubiao, floorVisible, shubiaoVisible, load, hover, hoverFirst, apply, pack, zipPack, zipBomb,
        library;
    Summary consoleFloor, consoleUse, consoleApply;
    double ratio = 0;
    double libraryRatio = 0;         // the library's opening / the floor's start-up
    long long libraryGdiGrowth = 0;
    long long libraryPrivateGrowth = 0;  // second round to third
    double consoleRatio = 0;
    long long gdiGrowth = 0;         // start -> end of the third round: handles may not settle
    long long privateSettling = 0;   // start -> end of the warm-up round: not counted
    long long privateGrowth = 0;     // the larger growth of the second and third rounds
};

Figures Compute(const Report& r) {
    Figures f;
    f.floor = Summarise(r.startup.floor.drawnMs);
    f.shubiao = Summarise(r.startup.shubiao.drawnMs);
    f.floorVisible = Summarise(r.startup.floor.visibleMs);
    f.shubiaoVisible = Summarise(r.startup.shubiao.visibleMs);
    f.load = Summarise(r.editor.loadMs);
    f.hover = Summarise(r.editor.hoverMs);
    f.hoverFirst = Summarise(r.editor.hoverFirstMs);
    f.apply = Summarise(r.editor.applyMs);
    f.pack = Summarise(r.editor.packMs);
    f.zipPack = Summarise(r.editor.zipPackMs);
    f.zipBomb = Summarise(r.editor.zipBombMs);
    f.deepZip = Summarise(r.deepZip.deepMs);
    f.flatZip = Summarise(r.deepZip.flatMs);
    f.deepZipRatio = f.flatZip.median > 0 ? f.deepZip.median / f.flatZip.median : 0;
    f.ratio = f.floor.median > 0 ? f.shubiao.median / f.floor.median : 0;
    f.library = Summarise(r.library.openMs);
    f.libraryRatio = f.floor.median > 0 ? f.library.median / f.floor.median : 0;
    f.consoleFloor = Summarise(r.console.floorMs);
    f.consoleUse = Summarise(r.console.useMs);
    f.consoleApply = Summarise(r.console.applyMs);
    f.consoleRatio = f.consoleFloor.median > 0 ? f.consoleUse.median / f.consoleFloor.median : 0;
    auto grew = [](std::uint64_t from, std::uint64_t to) {
        return static_cast<long long>(to) - static_cast<long long>(from);
    };
    const EditorResult& e = r.editor;
    f.gdiGrowth = std::max({grew(e.start.gdi, e.end.gdi), grew(e.start.gdi, e.again.gdi), grew(e.start.gdi, e.third.gdi)});
    f.privateSettling = grew(e.start.privateBytes, e.end.privateBytes);
    f.privateGrowth = std::max(grew(e.end.privateBytes, e.again.privateBytes), grew(e.again.privateBytes, e.third.privateBytes));
    const LibraryResult& l = r.library;
    f.libraryGdiGrowth = std::max(grew(l.start.gdi, l.again.gdi), grew(l.start.gdi, l.third.gdi));
    f.libraryPrivateGrowth = grew(l.again.privateBytes, l.third.privateBytes);
    return f;
}

bool StartupMet(const Figures& f) { return f.shubiao.count > 0 && f.ratio <= kStartupRatioTarget; }
bool LoadMet(const Figures& f) { return f.load.count > 0 && f.load.median < kLoadTargetMs; }
bool ApplyMet(const Figures& f) { return f.apply.count > 0 && f.apply.median < kApplyTargetMs; }
bool HoverMet(const Figures& f) { return f.hover.count > 0 && f.hover.median < kHoverTargetMs; }
bool PackMet(const Figures& f) { return f.pack.count > 0 && f.pack.median < kPackTargetMs; }
bool ZipMet(const Figures& f) {
    return f.zipPack.count > 0 && f.zipPack.median < kZipPackTargetMs && f.zipBomb.count > 0 &&
           f.zipBomb.median < kZipBombTargetMs;
}
bool DeepZipMet(const Report& r, const Figures& f) {
    return r.deepZip.error.empty() && f.deepZip.count > 0 && f.deepZipRatio <= kDeepZipRatioTarget;
}
bool AnimationMet(const Report& r) {
    return r.editor.animationCpuPercent >= 0 && r.editor.animationCpuPercent < kAnimationCpuTarget;
}
bool ParsersMet(const Report& r) {
    if (r.editor.parsers.empty()) return false;
    for (const auto& [name, ms] : r.editor.parsers) {
        if (ms >= kParserTargetMs) return false;
    }
    return true;
}
bool GrowthMet(const Report& r, const Figures& f) {
    const bool user = !r.editor.start.userAvailable || r.editor.end.user == r.editor.start.user;
    return f.hover.count > 0 && f.gdiGrowth <= 0 && f.privateGrowth <= 0 && user;
}
bool LibraryMet(const Figures& f) { return f.library.count > 0 && f.library.median < kLibraryTargetMs; }
bool LibraryGrowthMet(const Report& r, const Figures& f) {
    return !r.library.openMs.empty() && f.libraryGdiGrowth <= 0 && f.libraryPrivateGrowth <= 0;
}
bool ExecutableMet(const Report& r) {
    return r.executable.error.empty() && r.executable.bytes < kSizeTarget && r.executable.foreign.empty();
}

bool ConsoleMet(const Figures& f) { return f.consoleUse.count > 0 && f.consoleRatio <= kConsoleRatioTarget; }

std::string Verdict(bool met) { return met ? "met" : "MISSED"; }

std::string Joined(const std::vector<std::wstring>& names) {
    std::string out;
    for (const std::wstring& n : names) out += (out.empty() ? "" : ", ") + ToUtf8(n);
    return out.empty() ? "none" : out;
}

std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof(buffer), "\\u%04x", c);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string Json(const Summary& s) {
    return "{\"count\": " + std::to_string(s.count) + ", \"median_ms\": " + Fixed(s.median, 4) +
           ", \"p95_ms\": " + Fixed(s.p95, 4) + ", \"min_ms\": " + Fixed(s.min, 4) + ", \"max_ms\": " +
           Fixed(s.max, 4) + "}";
}

std::string Json(const std::vector<double>& values) {
    std::string out = "[";
    for (size_t i = 0; i < values.size(); ++i) out += (i > 0 ? ", " : "") + Fixed(values[i], 3);
    return out + "]";
}

std::string Json(const std::vector<std::wstring>& texts) {
    std::string out = "[";
    for (size_t i = 0; i < texts.size(); ++i) out += (i > 0 ? ", " : "") + Quoted(ToUtf8(texts[i]));
    return out + "]";
}

std::string Json(const Steps& steps) {
    std::string out = "[";
    for (size_t i = 0; i < steps.size(); ++i) {
        out += (i > 0 ? ", " : "") + std::string("{\"step\": ") + Quoted(steps[i].first) +
               ", \"median_ms\": " + Fixed(steps[i].second, 4) + "}";
    }
    return out + "]";
}

bool WriteText(const std::wstring& path, const std::string& text) {
    std::ofstream file(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return file.good();
}

std::string DeepZipJson(const Report& r, const Figures& f) {
    std::ostringstream j;
    j << "  \"zip_deep\": {\"what\": \"UnpackZip of small cursor files in one folder this many folders deep against none\", \"entries\": "
      << r.deepZip.entries << ", \"depth\": " << r.deepZip.depth << ", \"deep_bytes\": " << Fixed(r.deepZip.deepBytes, 0)
      << ", \"flat_bytes\": " << Fixed(r.deepZip.flatBytes, 0) << ", \"deep\": " << Json(f.deepZip) << ", \"flat\": "
      << Json(f.flatZip) << ", \"ratio\": " << Fixed(f.deepZipRatio, 3) << ", \"target_ratio\": " << kDeepZipRatioTarget
      << ", \"met\": " << (DeepZipMet(r, f) ? "true" : "false") << ", \"error\": " << Quoted(ToUtf8(r.deepZip.error)) << "}";
    return j.str();
}

std::string ConsoleJson(const Report& r, const Figures& f) {
    std::ostringstream j;
    j << "  \"console\": {\"what\": \"whole processes from CreateProcessW to their end; ShuBiaoCmd as ShuBiaoCmdTest.exe with scratch keys and folders\", \"floor\": "
      << Json(f.consoleFloor) << ", \"use_17_slots\": " << Json(f.consoleUse) << ", \"ratio\": "
      << Fixed(f.consoleRatio, 3) << ", \"target_ratio\": " << kConsoleRatioTarget << ", \"apply_15_roles\": "
      << Json(f.consoleApply) << ", \"met\": " << (ConsoleMet(f) ? "true" : "false") << ", \"error\": "
      << Quoted(ToUtf8(r.console.error)) << "}";
    return j.str();
}

}  // namespace

void PrintTable(const Report& r) {
    const Figures f = Compute(r);
    std::ostringstream out;
    auto row = [&out](const std::string& what, const std::string& figure, const std::string& target,
                      const std::string& verdict) {
        char line[512];
        std::snprintf(line, sizeof(line), "%-46s %-34s %-18s %s\n", what.c_str(), figure.c_str(), target.c_str(),
                      verdict.c_str());
        out << line;
    };
    const std::string runs = std::to_string(r.startupRuns);
    auto deepZipRows = [&] {
        const std::string what = std::to_string(r.deepZip.entries) + " entries";
        row("unpack " + what + " flat (" + Fixed(r.deepZip.flatBytes / 1024.0 / 1024.0, 2) + " MiB, " +
                std::to_string(f.flatZip.count) + ")",
            "median " + Fixed(f.flatZip.median, 1) + " ms", "", "");
        row("unpack " + what + " " + std::to_string(r.deepZip.depth) + " folders deep (" +
                Fixed(r.deepZip.deepBytes / 1024.0 / 1024.0, 2) + " MiB)",
            "median " + Fixed(f.deepZip.median, 1) + " ms", "", "");
        row("ratio deep / flat", Fixed(f.deepZipRatio, 2) + "x", "<= 2x", Verdict(DeepZipMet(r, f)));
        if (!r.deepZip.error.empty()) out << "deep zip: " << ToUtf8(r.deepZip.error) << "\n";
    };
    if (r.zipOnly) {
        row("Measure", "Figure", "Target", "");
        deepZipRows();
        const std::string text = out.str();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return;
    }
    auto consoleRows = [&] {
        row("console_floor.exe, start to end (median of " + std::to_string(f.consoleFloor.count) + ")",
            Fixed(f.consoleFloor.median, 1) + " ms", "", "");
        row("ShuBiaoCmd use, 17-slot scheme, start to end", Fixed(f.consoleUse.median, 1) + " ms (p95 " +
            Fixed(f.consoleUse.p95, 1) + ")", "", "");
        row("ratio ShuBiaoCmd use / console floor", Fixed(f.consoleRatio, 2) + "x", "<= 3x", Verdict(ConsoleMet(f)));
        row("ShuBiaoCmd apply, 15-role folder pack (" + std::to_string(f.consoleApply.count) + ")",
            "median " + Fixed(f.consoleApply.median, 1) + " ms, p95 " + Fixed(f.consoleApply.p95, 1) + " ms", "", "");
        if (!r.console.error.empty()) out << "console: " << ToUtf8(r.console.error) << "\n";
    };
    if (r.consoleOnly) {
        out << "CPUs: " << (r.wineCpus.empty() ? std::string("as the system places them") : r.wineCpus) << "\n";
        row("Measure", "Figure", "Target", "");
        consoleRows();
        const std::string text = out.str();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return;
    }
    out << "CPUs: " << (r.wineCpus.empty() ? std::string("as the system places them") : r.wineCpus) << "\n";
    row("Measure", "Figure", "Target", "");
    row("start-up floor.exe, drawn (median of " + runs + ")", Fixed(f.floor.median, 1) + " ms (visible " +
        Fixed(f.floorVisible.median, 1) + ")", "", "");
    row("start-up ShuBiao.exe, 15 previews drawn", Fixed(f.shubiao.median, 1) + " ms (visible " +
        Fixed(f.shubiaoVisible.median, 1) + ")", "", "");
    row("start-up ratio ShuBiao / floor", Fixed(f.ratio, 2) + "x", "<= 1.5x (goal 1.3x)", Verdict(StartupMet(f)));
    if (r.startupOnly) {
        if (!r.startup.error.empty()) out << "\nstart-up: " << ToUtf8(r.startup.error) << "\n";
        const std::string text = out.str();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return;
    }
    row("refresh: ChuShiShuBiao, 15 roles (" + std::to_string(f.load.count) + ")",
        "median " + Fixed(f.load.median) + " ms, p95 " + Fixed(f.load.p95) + " ms", "< 5 ms", Verdict(LoadMet(f)));
    row("hover, pointer loaded before (" + std::to_string(f.hover.count) + ")",
        "median " + Fixed(f.hover.median, 3) + " ms, p95 " + Fixed(f.hover.p95, 3) + " ms", "< 1 ms",
        Verdict(HoverMet(f)));
    row("hover_first, pointer file read (" + std::to_string(f.hoverFirst.count) + ")",
        "median " + Fixed(f.hoverFirst.median, 3) + " ms, max " + Fixed(f.hoverFirst.max, 3) + " ms", "", "");
    row("Apply, 15 roles (" + std::to_string(f.apply.count) + ")",
        "median " + Fixed(f.apply.median) + " ms, p95 " + Fixed(f.apply.p95) + " ms", "< 60 ms (goal 50)",
        Verdict(ApplyMet(f)));
    row("read and map a 17-entry pack (" + std::to_string(f.pack.count) + ")",
        "median " + Fixed(f.pack.median, 3) + " ms, p95 " + Fixed(f.pack.p95, 3) + " ms", "< 5 ms",
        Verdict(PackMet(f)));
    row("read and map the same pack zipped (" + Fixed(r.editor.zipPackBytes / 1024.0 / 1024.0, 2) + " MiB, " +
            std::to_string(f.zipPack.count) + ")",
        "median " + Fixed(f.zipPack.median, 3) + " ms, p95 " + Fixed(f.zipPack.p95, 3) + " ms", "< 20 ms",
        Verdict(f.zipPack.count > 0 && f.zipPack.median < kZipPackTargetMs));
    row("refuse a 1 GiB zip bomb (" + std::to_string(f.zipBomb.count) + ")",
        "median " + Fixed(f.zipBomb.median, 3) + " ms, max " + Fixed(f.zipBomb.max, 3) + " ms", "< 50 ms",
        Verdict(f.zipBomb.count > 0 && f.zipBomb.median < kZipBombTargetMs));
    deepZipRows();
    row("3 animations playing, idle: process time", Fixed(r.editor.animationCpuPercent, 2) + "% of " +
        Fixed(r.editor.animationSeconds, 1) + " s", "< 1% of a core", Verdict(AnimationMet(r)));
    for (const auto& [name, ms] : r.editor.parsers) {
        row(name, "median " + Fixed(ms, 3) + " ms", "< 50 ms", ms < kParserTargetMs ? "met" : "MISSED");
    }
    const std::string after = "after " + std::to_string(r.settings.hovers) + " hovers, " +
                              std::to_string(r.settings.refreshes) + " refreshes, " +
                              std::to_string(r.settings.applies / 10) + " Applies, " +
                              std::to_string(r.settings.animationMinutes) + " min of animation";
    row("GDI objects " + after + ", 3 rounds", std::to_string(r.editor.start.gdi) + " -> " +
        std::to_string(r.editor.end.gdi) + " -> " + std::to_string(r.editor.again.gdi) + " -> " +
        std::to_string(r.editor.third.gdi), "no growth", "");
    row("USER objects", r.editor.start.userAvailable ? std::to_string(r.editor.start.user) + " -> " +
        std::to_string(r.editor.end.user) : "unavailable under Wine", "no growth", "");
    row("private bytes, warm-up round (settling)", std::to_string(r.editor.start.privateBytes) + " -> " +
        std::to_string(r.editor.end.privateBytes) + " (" + std::to_string(f.privateSettling) + ")", "", "");
    row("private bytes, 2nd and 3rd rounds", std::to_string(r.editor.again.privateBytes) + " -> " +
        std::to_string(r.editor.third.privateBytes) + " (max growth " + std::to_string(f.privateGrowth) + ")",
        "no growth", Verdict(GrowthMet(r, f)));
    row("方案库 opened, " + std::to_string(r.librarySettings.schemes) + " schemes, " +
            std::to_string(r.library.rowsShown) + " rows' previews (" + std::to_string(f.library.count) + ")",
        "median " + Fixed(f.library.median) + " ms, p95 " + Fixed(f.library.p95) + " ms", "< 150 ms",
        Verdict(LibraryMet(f)));
    row("方案库 opening / floor start-up", Fixed(f.libraryRatio, 2) + "x", "", "");
    row("方案库 GDI objects, 3 rounds of " + std::to_string(r.librarySettings.openings) + " openings",
        std::to_string(r.library.start.gdi) + " -> " + std::to_string(r.library.again.gdi) + " -> " +
            std::to_string(r.library.third.gdi),
        "no growth", "");
    row("方案库 private bytes, 2nd and 3rd rounds", std::to_string(r.library.again.privateBytes) + " -> " +
            std::to_string(r.library.third.privateBytes) + " (growth " + std::to_string(f.libraryPrivateGrowth) + ")",
        "no growth", Verdict(LibraryGrowthMet(r, f)));
    consoleRows();
    row("ShuBiao.exe size", std::to_string(r.executable.bytes) + " bytes", "< 1 MiB", "");
    row("imports not in the system folder", Joined(r.executable.foreign), "none", Verdict(ExecutableMet(r)));
    out << "imports: " << Joined(r.executable.imports) << "\n";
    out << "\nwhere start-up goes in the program (first in this process / median of the rest):\n";
    for (const auto& [step, ms] : r.startupSteps.steps) {
        out << "  " << Fixed(ms.first, 2) << " / " << Fixed(ms.second, 2) << " ms  " << step << "\n";
    }
    out << "where one refresh goes (median per step, as the editor marks them, over 15 roles):\n";
    for (const auto& [step, ms] : r.editor.loadSteps) out << "  " << Fixed(ms, 3) << " ms  " << step << "\n";
    out << "where one hover goes (median per step):\n";
    for (const auto& [step, ms] : r.editor.hoverSteps) out << "  " << Fixed(ms, 3) << " ms  " << step << "\n";
    out << "where one Apply goes (median per step, 15 roles):\n";
    for (const auto& [step, ms] : r.editor.applySteps) out << "  " << Fixed(ms, 3) << " ms  " << step << "\n";
    if (!r.startupSteps.error.empty()) out << "start-up steps: " << ToUtf8(r.startupSteps.error) << "\n";
    if (!r.startup.error.empty()) out << "\nstart-up: " << ToUtf8(r.startup.error) << "\n";
    for (const std::wstring& p : r.editor.problems) out << "problem: " << ToUtf8(p) << "\n";
    for (const std::wstring& p : r.library.problems) out << "problem: " << ToUtf8(p) << "\n";
    if (!r.executable.error.empty()) out << "executable: " << ToUtf8(r.executable.error) << "\n";
    const std::string text = out.str();
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

bool WriteJson(const Report& r, const std::wstring& path) {
    const Figures f = Compute(r);
    std::ostringstream j;
    j << "{\n";
    j << "  \"wine_cpus\": " << Quoted(r.wineCpus) << ",\n";
    if (r.consoleOnly) {
        j << ConsoleJson(r, f) << "\n}\n";
        return WriteText(path, j.str());
    }
    if (r.zipOnly) {
        j << DeepZipJson(r, f) << "\n}\n";
        return WriteText(path, j.str());
    }
    j << "  \"startup\": {\"runs\": " << r.startupRuns << ", \"floor_drawn\": " << Json(f.floor)
      << ", \"shubiao_drawn\": " << Json(f.shubiao) << ",\n    \"floor_visible\": " << Json(f.floorVisible)
      << ", \"shubiao_visible\": " << Json(f.shubiaoVisible) << ",\n    \"floor_drawn_runs_ms\": "
      << Json(r.startup.floor.drawnMs) << ", \"shubiao_drawn_runs_ms\": " << Json(r.startup.shubiao.drawnMs)
      << ",\n    \"ratio\": " << Fixed(f.ratio, 3) << ", \"target_ratio\": " << kStartupRatioTarget
      << ", \"goal_ratio\": " << kStartupRatioGoal << ", \"met\": " << (StartupMet(f) ? "true" : "false")
      << ", \"error\": " << Quoted(ToUtf8(r.startup.error))
      << ",\n    \"steps_in_process\": [";
    for (size_t i = 0; i < r.startupSteps.steps.size(); ++i) {
        const auto& [step, ms] = r.startupSteps.steps[i];
        j << (i > 0 ? ", " : "") << "{\"step\": " << Quoted(step) << ", \"first_ms\": " << Fixed(ms.first, 3)
          << ", \"median_ms\": " << Fixed(ms.second, 3) << "}";
    }
    j << "]}";
    if (r.startupOnly) {
        j << "\n}\n";
        return WriteText(path, j.str());
    }
    j << ",\n";
    if (!r.embeddedName.empty()) j << "  " << Quoted(r.embeddedName) << ": " << r.embeddedJson << ",\n";
    j << "  \"load\": {\"timing\": " << Json(f.load) << ", \"target_ms\": " << kLoadTargetMs
      << ", \"met\": " << (LoadMet(f) ? "true" : "false") << ", \"steps\": " << Json(r.editor.loadSteps)
      << "},\n";
    j << "  \"hover\": {\"timing\": " << Json(f.hover) << ", \"target_ms\": " << kHoverTargetMs
      << ", \"met\": " << (HoverMet(f) ? "true" : "false") << ", \"steps\": " << Json(r.editor.hoverSteps) << "},\n";
    j << "  \"hover_first\": {\"timing\": " << Json(f.hoverFirst) << "},\n";
    j << "  \"pack\": {\"what\": \"scan a pack folder (install.inf, 17 entries) and plan the import\", \"timing\": "
      << Json(f.pack) << ", \"target_ms\": " << kPackTargetMs << ", \"met\": " << (PackMet(f) ? "true" : "false")
      << "},\n";
    j << "  \"zip_pack\": {\"what\": \"unpack, scan and plan the same pack as a .zip\", \"bytes\": "
      << Fixed(r.editor.zipPackBytes, 0) << ", \"timing\": " << Json(f.zipPack) << ", \"target_ms\": " << kZipPackTargetMs
      << "},\n";
    j << "  \"zip_bomb\": {\"what\": \"refuse a .zip whose entry inflates to 1 GiB\", \"timing\": " << Json(f.zipBomb)
      << ", \"target_ms\": " << kZipBombTargetMs << ", \"met\": " << (ZipMet(f) ? "true" : "false") << "},\n";
    j << "  \"animation\": {\"cpu_percent\": " << Fixed(r.editor.animationCpuPercent, 3) << ", \"seconds\": "
      << Fixed(r.editor.animationSeconds, 2) << ", \"target_percent\": " << kAnimationCpuTarget
      << ", \"met\": " << (AnimationMet(r) ? "true" : "false") << "},\n";
    j << "  \"parsers\": {\"target_ms\": " << kParserTargetMs << ", \"met\": " << (ParsersMet(r) ? "true" : "false")
      << ", \"medians\": " << Json(r.editor.parsers) << "},\n";
    j << "  \"apply\": {\"timing\": " << Json(f.apply) << ", \"target_ms\": " << kApplyTargetMs
      << ", \"goal_ms\": " << kApplyGoalMs << ", \"met\": " << (ApplyMet(f) ? "true" : "false")
      << ", \"steps\": " << Json(r.editor.applySteps)
      << "},\n";
    j << "  \"growth\": {\"hovers\": " << r.settings.hovers << ", \"refreshes\": " << r.settings.refreshes
      << ", \"applies\": " << r.settings.applies / 10 << ", \"animation_minutes\": " << r.settings.animationMinutes
      << ", \"gdi\": {\"start\": " << r.editor.start.gdi << ", \"end\": " << r.editor.end.gdi << "}"
      << ", \"user\": " << (r.editor.start.userAvailable ? "{\"start\": " + std::to_string(r.editor.start.user) +
                                                             ", \"end\": " + std::to_string(r.editor.end.user) + "}"
                                                       : std::string("null"))
      << ", \"user_note\": " << Quoted(r.editor.start.userAvailable ? "" : "GetGuiResources gives 0 under Wine")
      << ", \"private_bytes\": {\"start\": " << r.editor.start.privateBytes << ", \"end\": "
      << r.editor.end.privateBytes << "}, \"second_round\": {\"gdi\": " << r.editor.again.gdi
      << ", \"private_bytes\": " << r.editor.again.privateBytes << "}, \"third_round\": {\"gdi\": "
      << r.editor.third.gdi << ", \"private_bytes\": " << r.editor.third.privateBytes
      << "}, \"counted_from\": \"GDI from the start, private bytes after the warm-up round\", \"met\": " << (GrowthMet(r, f) ? "true" : "false") << "},\n";
    j << "  \"library\": {\"what\": \"FangAnKu_Click until the dialog is shown with its first screen of previews drawn\""
      << ", \"schemes\": " << r.librarySettings.schemes << ", \"rows_shown\": " << r.library.rowsShown
      << ", \"timing\": " << Json(f.library) << ", \"target_ms\": " << kLibraryTargetMs
      << ", \"ratio_to_floor_startup\": " << Fixed(f.libraryRatio, 3) << ", \"met\": "
      << (LibraryMet(f) ? "true" : "false") << ",\n    \"growth\": {\"openings_per_round\": "
      << r.librarySettings.openings << ", \"gdi\": [" << r.library.start.gdi << ", " << r.library.again.gdi << ", "
      << r.library.third.gdi << "], \"private_bytes\": [" << r.library.start.privateBytes << ", "
      << r.library.again.privateBytes << ", " << r.library.third.privateBytes
      << "], \"counted_from\": \"GDI from the first round, private bytes from the second\", \"met\": "
      << (LibraryGrowthMet(r, f) ? "true" : "false") << "}, \"problems\": " << Json(r.library.problems) << "},\n";
    j << DeepZipJson(r, f) << ",\n";
    j << ConsoleJson(r, f) << ",\n";
    j << "  \"executable\": {\"path\": " << Quoted(ToUtf8(r.executablePath)) << ", \"bytes\": " << r.executable.bytes
      << ", \"target_bytes\": " << kSizeTarget << ", \"imports\": " << Json(r.executable.imports)
      << ", \"not_windows_own\": " << Json(r.executable.foreign) << ", \"met\": "
      << (ExecutableMet(r) ? "true" : "false") << "},\n";
    j << "  \"problems\": " << Json(r.editor.problems) << "\n}\n";
    return WriteText(path, j.str());
}

bool AllTargetsMet(const Report& r) {
    const Figures f = Compute(r);
    if (r.consoleOnly) return r.console.error.empty() && ConsoleMet(f);
    if (r.startupOnly) return r.startup.error.empty() && StartupMet(f);
    if (r.zipOnly) return DeepZipMet(r, f);
    return r.startup.error.empty() && r.startupSteps.error.empty() && r.editor.problems.empty() && StartupMet(f) &&
           LoadMet(f) && HoverMet(f) && ApplyMet(f) && PackMet(f) && ZipMet(f) && AnimationMet(r) && ParsersMet(r) &&
           GrowthMet(r, f) && ExecutableMet(r) && r.library.problems.empty() && LibraryMet(f) &&
           LibraryGrowthMet(r, f) && r.console.error.empty() && ConsoleMet(f) && DeepZipMet(r, f);
}

}  // namespace shubiao::bench
