// ShuBiaoCmd's check: for each role of a pack or a listed scheme, the sizes
// its file holds and whether it holds the size Windows draws the pointer at
// on each display here (the display's DPI and the pointer-size setting).
// Reads only; writes nothing and takes no lock.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "cmd/Verbs.h"
#include "scheme/CursorBytes.h"
#include "scheme/CursorRole.h"
#include "scheme/PointerSizeSetting.h"
#include "scheme/SchemeLibrary.h"
#include "scheme/formats/PointerSize.h"
#include "win/Text.h"

namespace shubiao::cli {
namespace {

std::wstring Quote(const std::wstring& text) { return L"“" + Visible(text) + L"”"; }

std::wstring SizeText(PixelSize size) {
    std::wstring text = std::to_wstring(size.width);
    if (size.height != size.width) text += L"×" + std::to_wstring(size.height);
    return text;
}

// A role to check: its name and its file, or why there is none.
struct RoleFile {
    int role = 0;
    std::wstring file;
    std::wstring problem;
};

// One line per role; true when the role holds every size needed.
bool CheckRole(const RoleFile& item, const std::vector<std::uint32_t>& needed, Context& context) {
    std::wstring line = Visible(Role(item.role).Name()) + L"\t";
    if (!item.problem.empty()) {
        context.out.Line(line + L"无法检查：" + item.problem);
        return false;
    }
    const CursorBytes read = ReadCursorBytes(item.file);
    if (read.error != ERROR_SUCCESS || !read.check.ok()) {
        context.out.Line(line + L"无法检查：" + read.Problem().Describe());
        return false;
    }
    const CursorSizes& sizes = read.check.sizes;
    line += L"含 ";
    for (size_t i = 0; i < sizes.held.size(); ++i) line += (i > 0 ? L"、" : L"") + SizeText(sizes.held[i]);
    line += L" 像素";
    std::vector<std::wstring> lacking;
    for (const std::uint32_t pixels : needed) {
        const SizeFit fit = MatchSize(sizes.held, pixels).fit;
        if (fit == SizeFit::ScaledUp) lacking.push_back(L"缺少 " + std::to_wstring(pixels) + L" 像素，会被放大，可能模糊");
        if (fit == SizeFit::ScaledDown) lacking.push_back(L"缺少 " + std::to_wstring(pixels) + L" 像素，会被缩小");
    }
    line += L"\t";
    if (lacking.empty()) line += L"齐全";
    for (size_t i = 0; i < lacking.size(); ++i) line += (i > 0 ? L"；" : L"") + lacking[i];
    if (sizes.framesDiffer) line += L"（动画各帧所含的大小不同）";
    context.out.Line(line);
    return lacking.empty();
}

}  // namespace

int RunCheck(const Command& command, Context& context) {
    std::vector<RoleFile> roles;
    std::wstring what;
    // Holds an unpacked archive's folder while its files are read.
    std::optional<ChosenPack> chosen;
    if (command.operand.empty()) {
        const std::wstring name = FromUtf8(command.scheme.value_or("")).value_or(L"");
        const library::SchemeListing listing = library::ReadSchemeLists();
        int code = kDone;
        const library::SchemeEntry* found = FindListedScheme(listing, name, command.source, context, L"。", code);
        if (found == nullptr) return code;
        what = found->name;
        for (const CursorRole& role : kRoles) {
            const schemes::Slot& slot = found->SlotOf(role.number);
            if (slot.state == schemes::SlotState::Path) {
                roles.push_back({role.number, found->FileOf(role.number), {}});
            } else if (slot.state == schemes::SlotState::Refused) {
                roles.push_back({role.number, {}, library::SlotProblem(slot)});
            }
        }
    } else {
        chosen = ChoosePack(command, context);
        if (!chosen) return kNothingDone;
        what = chosen->pack.name;
        for (const PackFile& file : chosen->pack.files) {
            const std::wstring name = file.path.substr(file.path.find_last_of(L"\\/") + 1);
            roles.push_back({file.role, file.path, file.present ? L"" : L"包中没有文件" + Quote(name) + L"。"});
        }
    }
    if (roles.empty()) {
        context.err.Line(Quote(what) + L"中没有可以检查的鼠标指针。");
        return kNothingDone;
    }

    std::vector<UINT> dpis = DisplayDpis();
    if (dpis.empty()) {
        context.out.Line(L"没有读到显示器，按 100 %（96 DPI）计算。");
        dpis.push_back(96);
    }
    const std::optional<std::uint32_t> baseSize = ReadCursorBaseSize();
    std::vector<std::uint32_t> needed;
    std::wstring displays = L"本机显示器需要的指针大小：";
    for (size_t i = 0; i < dpis.size(); ++i) {
        const std::uint32_t pixels = PointerPixels(dpis[i], baseSize);
        displays += (i > 0 ? L"；" : L"") + std::wstring(L"显示器 ") + std::to_wstring(i + 1) + L"（" +
                    std::to_wstring(MulDiv(static_cast<int>(dpis[i]), 100, 96)) + L" %）" + std::to_wstring(pixels) +
                    L" 像素";
        if (std::find(needed.begin(), needed.end(), pixels) == needed.end()) needed.push_back(pixels);
    }
    context.out.Line(displays);
    context.out.Line(L"方案" + Quote(what) + L"：");
    bool whole = true;
    for (const RoleFile& item : roles) whole = CheckRole(item, needed, context) && whole;
    return whole ? kDone : kPartly;
}

}  // namespace shubiao::cli
