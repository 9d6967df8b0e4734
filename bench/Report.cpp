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
constexpr double kSizesTargetMs = 5;
constexpr double kZipBombTargetMs = 50;
constexpr double kAnimationCpuTarget = 1.0;  // percent of one core
constexpr double kParserTargetMs = 50;
constexpr std::uint64_t kSizeTarget = 1536 * 1024;
constexpr double kLibraryTargetMs = 150;
constexpr double kConsoleRatioTarget = 3.0;
constexpr double kDeepZipRatioTarget = 2.0;
// The window's longest answer while it fills: under this, no pause a user
// would take for a hang.
constexpr double kFillAnswerTargetMs = 100;
// Growth: the least-squares slope (GuiCount.h) of GDI and USER objects over
// the rounds after the first, of private bytes over the second half of the
// rounds: the heap and Wine's caches were seen to settle over the first
// four. A handle leaked once a round shows as 1; 16 KiB a round is
// under two bytes a hover or 17 a refresh (10,000 and 1,000 a round), 1.6 KiB
// an Apply (10 a round, each reading about 900 KiB of files) or 330 bytes an
// opening of the 方案库 (50 a round). What the heap settles once moves the
// slope by a fraction of the step: 64 KiB after the fifth of ten rounds by
// 9.7 KiB.
constexpr double kObjectSlopeLimit = 0.5;          // GDI or USER objects per round
constexpr double kPrivateSlopeLimit = 16 * 1024;   // bytes per round

std::string Fixed(double value, int decimals = 2) {
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*f", decimals, value);
    return buffer;
}

// Growth per round over the rounds after the first, and what the first settled.
struct Slopes {
    double gdi = 0;
    double user = 0;
    double privateBytes = 0;      // over the rounds after the first: reported
    double privateLate = 0;       // over the second half of the rounds: judged
    size_t lateFrom = 0;          // the round after which that counts
    long long settling = 0;  // private bytes: before the first round -> after it
};

Slopes SlopesOf(const Rounds& rounds) {
    Slopes s;
    s.gdi = SlopePerRound(rounds, [](const Holdings& h) { return static_cast<double>(h.gdi); });
    s.user = SlopePerRound(rounds, [](const Holdings& h) { return static_cast<double>(h.user); });
    const auto bytes = [](const Holdings& h) { return static_cast<double>(h.privateBytes); };
    s.privateBytes = SlopePerRound(rounds, bytes);
    s.lateFrom = rounds.size() / 2;
    s.privateLate = SlopePerRound(rounds, bytes, s.lateFrom);
    if (rounds.size() >= 2) {
        s.settling = static_cast<long long>(rounds[1].privateBytes) - static_cast<long long>(rounds[0].privateBytes);
    }
    return s;
}

// Enough rounds for a slope, and no figure growing faster than its limit.
bool NoLeak(const Rounds& rounds, const Slopes& s) {
    const bool user = rounds.empty() || !rounds.front().userAvailable || s.user <= kObjectSlopeLimit;
    return rounds.size() >= 3 && s.gdi <= kObjectSlopeLimit && user && s.privateLate <= kPrivateSlopeLimit;
}

struct Figures {
    Summary deepZip, flatZip;
    double deepZipRatio = 0;
    Summary floor, shubiao, floorVisible, shubiaoVisible, load, hover, hoverFirst, apply, undo, pack, sizes, zipPack,
        zipBomb, library;
    Summary consoleFloor, consoleUse, consoleApply;
    Summary fillStaticPlain, fillStatic, fillAnimatedPlain, fillAnimated, windowFill, fillAnswers;
    double ratio = 0;
    double libraryRatio = 0;         // the library's opening / the floor's start-up
    double consoleRatio = 0;
    Slopes editorGrowth;
    Slopes libraryGrowth;
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
    f.undo = Summarise(r.editor.undoMs);
    f.pack = Summarise(r.editor.packMs);
    f.zipPack = Summarise(r.editor.zipPackMs);
    f.sizes = Summarise(r.editor.sizesMs);
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
    f.fillStaticPlain = Summarise(r.fill.staticPlainMs);
    f.fillStatic = Summarise(r.fill.staticFilledMs);
    f.fillAnimatedPlain = Summarise(r.fill.animatedPlainMs);
    f.fillAnimated = Summarise(r.fill.animatedFilledMs);
    f.windowFill = Summarise(r.fill.windowFillMs);
    f.fillAnswers = Summarise(r.fill.answerMs);
    f.editorGrowth = SlopesOf(r.editor.growth);
    f.libraryGrowth = SlopesOf(r.library.growth);
    return f;
}

bool StartupMet(const Figures& f) { return f.shubiao.count > 0 && f.ratio <= kStartupRatioTarget; }
bool LoadMet(const Figures& f) { return f.load.count > 0 && f.load.median < kLoadTargetMs; }
bool ApplyMet(const Figures& f) { return f.apply.count > 0 && f.apply.median < kApplyTargetMs; }
// Undo puts back as many roles as Apply writes, and is held to the same time.
bool FillAnswerMet(const Figures& f) { return f.fillAnswers.count > 0 && f.fillAnswers.max < kFillAnswerTargetMs; }
bool UndoMet(const Figures& f) { return f.undo.count > 0 && f.undo.median < kApplyTargetMs; }
bool HoverMet(const Figures& f) { return f.hover.count > 0 && f.hover.median < kHoverTargetMs; }
bool PackMet(const Figures& f) { return f.pack.count > 0 && f.pack.median < kPackTargetMs; }
bool SizesMet(const Figures& f) { return f.sizes.count > 0 && f.sizes.median < kSizesTargetMs; }
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
    return f.hover.count > 0 && NoLeak(r.editor.growth, f.editorGrowth);
}
bool LibraryMet(const Figures& f) { return f.library.count > 0 && f.library.median < kLibraryTargetMs; }
bool LibraryGrowthMet(const Report& r, const Figures& f) {
    return !r.library.openMs.empty() && NoLeak(r.library.growth, f.libraryGrowth);
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

// The figures after each round, as "a -> b -> ...".
std::string Series(const Rounds& rounds, std::uint64_t (*figure)(const Holdings&)) {
    std::string out;
    for (const Holdings& h : rounds) out += (out.empty() ? "" : " -> ") + std::to_string(figure(h));
    return out;
}
std::uint64_t Gdi(const Holdings& h) { return h.gdi; }
std::uint64_t User(const Holdings& h) { return h.user; }
std::uint64_t PrivateKiB(const Holdings& h) { return h.privateBytes / 1024; }
std::uint64_t PrivateBytes(const Holdings& h) { return h.privateBytes; }

std::string GrowthJson(const Rounds& rounds, const Slopes& s, bool met) {
    const bool user = !rounds.empty() && rounds.front().userAvailable;
    auto list = [&](std::uint64_t (*figure)(const Holdings&)) {
        std::string out = "[";
        for (size_t i = 0; i < rounds.size(); ++i) out += (i > 0 ? ", " : "") + std::to_string(figure(rounds[i]));
        return out + "]";
    };
    return "\"rounds\": " + std::to_string(rounds.empty() ? 0 : rounds.size() - 1) +
           ", \"counted\": \"before the first round, then after each\", \"gdi\": " + list(Gdi) +
           ", \"user\": " + (user ? list(User) : std::string("null")) + ", \"private_bytes\": " + list(PrivateBytes) +
           ", \"settling_bytes\": " + std::to_string(s.settling) +
           ", \"slope_per_round\": {\"what\": \"least squares over the figures after rounds 1..n\", \"gdi\": " +
           Fixed(s.gdi, 3) + ", \"user\": " + (user ? Fixed(s.user, 3) : std::string("null")) +
           ", \"private_bytes\": " + Fixed(s.privateBytes, 0) + ", \"private_bytes_second_half\": " +
           Fixed(s.privateLate, 0) + ", \"second_half_from_round\": " + std::to_string(s.lateFrom) +
           "}, \"limits\": {\"objects\": " +
           Fixed(kObjectSlopeLimit, 2) + ", \"private_bytes\": " + Fixed(kPrivateSlopeLimit, 0) +
           "}, \"met\": " + (met ? "true" : "false");
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
    // 补齐尺寸: each filled Apply beside the plain one of the same files (information), then the
    // window's answers while it fills (a target).
    auto fillRows = [&] {
        const auto pair = [&](const std::string& what, const Summary& plain, const Summary& filled, double before,
                              double after) {
            row("Apply, 17 roles, " + what + ", without filling (" + std::to_string(plain.count) + ")",
                "median " + Fixed(plain.median, 1) + " ms", "", "");
            row("Apply, 17 roles, " + what + ", 补齐尺寸 (" + std::to_string(filled.count) + ")",
                "median " + Fixed(filled.median, 1) + " ms (" +
                    Fixed(plain.median > 0 ? filled.median / plain.median : 0, 1) + "x); a file " + Fixed(before, 0) +
                    " -> " + Fixed(after, 0) + " bytes",
                "", "");
        };
        pair("32 px static", f.fillStaticPlain, f.fillStatic, r.fill.staticBytes, r.fill.staticFilledBytes);
        pair("32 px animated, " + std::to_string(r.fill.frames) + " frames", f.fillAnimatedPlain, f.fillAnimated,
             r.fill.animatedBytes, r.fill.animatedFilledBytes);
        row("the window's fill, 15 boxes animated (" + std::to_string(f.windowFill.count) + ")",
            "median " + Fixed(f.windowFill.median, 1) + " ms", "", "");
        row("its answers to WM_NULL during the fill (" + std::to_string(f.fillAnswers.count) + ")",
            "longest " + Fixed(f.fillAnswers.max, 1) + " ms (median " + Fixed(f.fillAnswers.median, 2) + ", p95 " +
                Fixed(f.fillAnswers.p95, 2) + ")",
            "< " + Fixed(kFillAnswerTargetMs, 0) + " ms", Verdict(FillAnswerMet(f)));
        if (!r.fill.error.empty()) out << "fill: " << ToUtf8(r.fill.error) << "\n";
    };
    if (r.fillOnly) {
        row("Measure", "Figure", "Target", "");
        fillRows();
        const std::string text = out.str();
        std::fwrite(text.data(), 1, text.size(), stdout);
        std::fflush(stdout);
        return;
    }
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
    row("undo after Apply, 15 roles (" + std::to_string(f.undo.count) + ")",
        "median " + Fixed(f.undo.median) + " ms, p95 " + Fixed(f.undo.p95) + " ms", "< 60 ms", Verdict(UndoMet(f)));
    fillRows();
    row("read and map a 17-entry pack (" + std::to_string(f.pack.count) + ")",
        "median " + Fixed(f.pack.median, 3) + " ms, p95 " + Fixed(f.pack.p95, 3) + " ms", "< 5 ms",
        Verdict(PackMet(f)));
    row("sizes of the 17-entry pack's files (" + std::to_string(f.sizes.count) + ")",
        "median " + Fixed(f.sizes.median, 3) + " ms, p95 " + Fixed(f.sizes.p95, 3) + " ms", "< 5 ms",
        Verdict(SizesMet(f)));
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
    auto growthRows = [&](const std::string& what, const Rounds& rounds, const Slopes& slopes, bool met) {
        const std::string n = std::to_string(rounds.empty() ? 0 : rounds.size() - 1);
        row(what + "GDI objects, before and after " + n + " rounds", Series(rounds, Gdi), "", "");
        row(what + "GDI objects, slope over rounds 2-" + n, Fixed(slopes.gdi, 2) + " per round",
            "<= " + Fixed(kObjectSlopeLimit, 1) + "/round", "");
        if (!rounds.empty() && rounds.front().userAvailable) {
            row(what + "USER objects, slope over rounds 2-" + n, Fixed(slopes.user, 2) + " per round (" +
                Series(rounds, User) + ")", "<= " + Fixed(kObjectSlopeLimit, 1) + "/round", "");
        } else {
            row(what + "USER objects", "unavailable under Wine", "", "");
        }
        out << "  " << what << "private KiB, before and after each round: " << Series(rounds, PrivateKiB) << "\n";
        row(what + "private bytes, first round (settling)", std::to_string(slopes.settling), "", "");
        row(what + "private bytes, slope over rounds 2-" + n, Fixed(slopes.privateBytes, 0) + " bytes per round", "",
            "");
        row(what + "private bytes, slope over rounds " + std::to_string(slopes.lateFrom + 1) + "-" + n,
            Fixed(slopes.privateLate, 0) + " bytes per round",
            "<= " + Fixed(kPrivateSlopeLimit / 1024, 0) + " KiB/round", Verdict(met));
    };
    out << "growth: rounds of " << r.settings.hovers << " hovers, " << r.settings.refreshes << " refreshes, "
        << r.settings.applies / 10 << " Applies, " << r.settings.animationMinutes << " min of animation\n";
    growthRows("", r.editor.growth, f.editorGrowth, GrowthMet(r, f));
    row("方案库 opened, " + std::to_string(r.librarySettings.schemes) + " schemes, " +
            std::to_string(r.library.rowsShown) + " rows' previews (" + std::to_string(f.library.count) + ")",
        "median " + Fixed(f.library.median) + " ms, p95 " + Fixed(f.library.p95) + " ms", "< 150 ms",
        Verdict(LibraryMet(f)));
    row("方案库 opening / floor start-up", Fixed(f.libraryRatio, 2) + "x", "", "");
    out << "growth: rounds of " << r.librarySettings.openings << " openings of the 方案库\n";
    growthRows("方案库 ", r.library.growth, f.libraryGrowth, LibraryGrowthMet(r, f));
    consoleRows();
    row("ShuBiao.exe size", std::to_string(r.executable.bytes) + " bytes", "< 1.5 MiB", "");
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
    j << "  \"pointer_sizes\": {\"what\": \"the sizes each file of a 17-role pack holds, read and checked\", \"timing\": "
      << Json(f.sizes) << ", \"target_ms\": " << kSizesTargetMs << ", \"met\": " << (SizesMet(f) ? "true" : "false")
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
    j << "  \"fill\": {\"what\": \"Apply of 17 roles from 32-pixel files, without filling and with 补齐尺寸, "
         "alternately\", \"frames\": "
      << r.fill.frames << ", \"static\": " << Json(f.fillStaticPlain) << ", \"static_filled\": " << Json(f.fillStatic)
      << ", \"animated\": " << Json(f.fillAnimatedPlain) << ", \"animated_filled\": " << Json(f.fillAnimated)
      << ", \"file_bytes\": [" << Fixed(r.fill.staticBytes, 0) << ", " << Fixed(r.fill.staticFilledBytes, 0) << ", "
      << Fixed(r.fill.animatedBytes, 0) << ", " << Fixed(r.fill.animatedFilledBytes, 0) << "]"
      << ",\n    \"window\": {\"what\": \"Apply in the window of the 15 boxes' animated files with 补齐尺寸 on; WM_NULL "
         "sent to it every ~10 ms from another thread, the answers to those sent during the fill\", \"fill\": "
      << Json(f.windowFill) << ", \"answers\": " << Json(f.fillAnswers) << ", \"target_longest_ms\": "
      << Fixed(kFillAnswerTargetMs, 0) << ", \"met\": " << (FillAnswerMet(f) ? "true" : "false") << "}},\n";
    j << "  \"undo\": {\"what\": \"CheXiaoGengGai of 15 roles after an Apply, prompt and message answered\", \"timing\": "
      << Json(f.undo) << ", \"target_ms\": " << kApplyTargetMs << ", \"met\": " << (UndoMet(f) ? "true" : "false")
      << "},\n";
    j << "  \"growth\": {\"hovers\": " << r.settings.hovers << ", \"refreshes\": " << r.settings.refreshes
      << ", \"applies\": " << r.settings.applies / 10 << ", \"animation_minutes\": " << r.settings.animationMinutes
      << ", " << GrowthJson(r.editor.growth, f.editorGrowth, GrowthMet(r, f)) << "},\n";
    j << "  \"library\": {\"what\": \"FangAnKu_Click until the dialog is shown with its first screen of previews drawn\""
      << ", \"schemes\": " << r.librarySettings.schemes << ", \"rows_shown\": " << r.library.rowsShown
      << ", \"timing\": " << Json(f.library) << ", \"target_ms\": " << kLibraryTargetMs
      << ", \"ratio_to_floor_startup\": " << Fixed(f.libraryRatio, 3) << ", \"met\": "
      << (LibraryMet(f) ? "true" : "false") << ",\n    \"growth\": {\"openings_per_round\": "
      << r.librarySettings.openings << ", " << GrowthJson(r.library.growth, f.libraryGrowth, LibraryGrowthMet(r, f))
      << "}, \"problems\": " << Json(r.library.problems) << "},\n";
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
    if (r.fillOnly) return r.fill.error.empty() && FillAnswerMet(f);
    return r.startup.error.empty() && r.startupSteps.error.empty() && r.editor.problems.empty() && StartupMet(f) &&
           LoadMet(f) && HoverMet(f) && ApplyMet(f) && UndoMet(f) && PackMet(f) && SizesMet(f) && ZipMet(f) && AnimationMet(r) && ParsersMet(r) &&
           GrowthMet(r, f) && ExecutableMet(r) && r.library.problems.empty() && LibraryMet(f) &&
           LibraryGrowthMet(r, f) && r.console.error.empty() && ConsoleMet(f) && DeepZipMet(r, f) && FillAnswerMet(f);
}

}  // namespace shubiao::bench
