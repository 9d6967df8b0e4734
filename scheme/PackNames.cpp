// File-name matcher for cursor packs.
//
// A name is compared by its key: the stem (the name without its last
// extension) with ASCII letters lowered and the separators ' ', '-', '_',
// '.', '/' and the ideographic space U+3000 removed; "Diagonal Resize 1" and
// "diagonal-resize_1" share the key "diagonalresize1". Only ASCII bytes are
// lowered or taken for separators, so a UTF-8 character (never made of ASCII
// bytes) goes into a key whole and unchanged. No file name holds '/'; it is a
// separator for the Japanese names that contain one ("上下に拡大/縮小"), whose
// files drop it or put another separator in its place.
//
// Choices made here, and why:
// - Two tries per file. First the whole stem; then, in a folder of three or
//   more files, the stem without the run of whole words that every file
//   shares at its start and the run every file shares at its end (words are
//   split at the separators, compared without regard to ASCII case), which
//   takes off pack prefixes such as "Adwaita - ", "kc_" or "花萝-". With
//   fewer files a shared word says too little. A prefix glued to the name
//   ("花萝正常选择") is not a word of its own and stays. The first try that
//   finds the key in the vocabulary decides.
// - Vocabulary: Windows' English pointer names, short forms (each also with
//   "select" after it), Windows' Aero file names with their "_l" and "_xl"
//   sizes, the names Windows' Mouse Properties shows in Simplified Chinese
//   and in Japanese, and the grid captions the caller gives. A key that two
//   roles claim (only the caller's captions can make one) matches neither.
//   Traditional Chinese names are not among them: no two independent public
//   sources at hand gave the names Windows shows in that language.
// - "hand" is the link-select pointer, unless a file of the folder is named
//   "link" or "link select" (whole or stripped): such packs follow the .inf
//   variable names, where "hand" is handwriting.
// - Ranks: whole stem before stripped stem; within each, plain before "_l"
//   before "_xl". A role goes to the one file of the best rank that matches
//   it; two files at that rank (Busy.ani and Wait.ani) leave it unset rather
//   than guess.
// - Work is linear in the total length of the names: one pass for words and
//   keys, hash lookups, one pass per role.
#include "PackNames.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_map>

#include "SchemeOrder.h"

namespace shubiao::pack {
namespace {

struct RoleWords {
    std::string_view role;
    std::string_view englishName;    // Windows' own name of the pointer
    std::string_view shortForms;     // separated by spaces; each also counts with "select" after it
    std::string_view aeroName;       // Windows' Aero file stem; empty when there is none
    std::string_view chineseName;    // Windows' name in Simplified Chinese
    std::string_view japaneseName;   // Windows' name in Japanese
};

constexpr std::array<RoleWords, kSchemeRoleCount> kRoleWords{{
    {"Arrow", "Normal Select", "normal pointer arrow", "aero_arrow", "正常选择", "通常の選択"},
    {"Help", "Help Select", "help helpsel", "aero_helpsel", "帮助选择", "ヘルプの選択"},
    {"AppStarting", "Working in Background", "working work background appstarting", "aero_working", "后台运行",
     "バックグラウンドで作業中"},
    {"Wait", "Busy", "busy wait", "aero_busy", "忙", "待ち状態"},
    {"Crosshair", "Precision Select", "precision cross crosshair", "", "精确选择", "領域選択"},
    {"IBeam", "Text Select", "text beam ibeam", "", "文本选择", "テキスト選択"},
    {"NWPen", "Handwriting", "handwriting pen nwpen", "aero_pen", "手写", "手書き"},
    {"No", "Unavailable", "unavailable unavailiable unavail no", "aero_unavail", "不可用", "利用不可"},
    {"SizeNS", "Vertical Resize", "vertical vert ns", "aero_ns", "垂直调整大小", "上下に拡大/縮小"},
    {"SizeWE", "Horizontal Resize", "horizontal horz we ew", "aero_ew", "水平调整大小", "左右に拡大/縮小"},
    {"SizeNWSE", "Diagonal Resize 1", "diagonal1 dgn1 nwse", "aero_nwse", "沿对角线调整大小 1", "斜めに拡大/縮小 1"},
    {"SizeNESW", "Diagonal Resize 2", "diagonal2 dgn2 nesw", "aero_nesw", "沿对角线调整大小 2", "斜めに拡大/縮小 2"},
    {"SizeAll", "Move", "move sizeall", "aero_move", "移动", "移動"},
    {"UpArrow", "Alternate Select", "alternate alt up uparrow", "aero_up", "候选", "代替選択"},
    {"Hand", "Link Select", "link", "aero_link", "链接选择", "リンクの選択"},
    {"Pin", "Location Select", "pin location", "aero_pin", "位置选择", "場所の選択"},
    {"Person", "Person Select", "person", "aero_person", "个人选择", "人の選択"},
}};

// Row i is the role at position i, so a row's index is its role's position.
constexpr bool RowsFollowTheSchemeOrder() {
    for (std::size_t i = 0; i < kRoleWords.size(); ++i) {
        if (kRoleWords[i].role != kSchemeOrder[i]) return false;
    }
    return true;
}
static_assert(RowsFollowTheSchemeOrder());

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
constexpr int kVariants = 3;   // plain, "_l", "_xl"

// Length of the separator at `at`, 0 when there is none.
std::size_t SeparatorAt(std::string_view s, std::size_t at) {
    const char c = s[at];
    if (c == ' ' || c == '-' || c == '_' || c == '.' || c == '/') return 1;
    if (s.substr(at, kIdeographicSpace.size()) == kIdeographicSpace) return kIdeographicSpace.size();
    return 0;
}

// Words lowered, in order.
std::vector<std::string> Words(std::string_view s) {
    std::vector<std::string> words;
    std::string word;
    for (std::size_t at = 0; at < s.size();) {
        if (const std::size_t sep = SeparatorAt(s, at)) {
            if (!word.empty()) words.push_back(std::move(word));
            word.clear();
            at += sep;
        } else {
            word.push_back(AsciiLower(s[at]));
            ++at;
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

std::string Key(std::string_view s) {
    std::string key;
    for (const std::string& word : Words(s)) key += word;
    return key;
}

std::string_view Stem(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

struct Match {
    enum Kind { None, Ambiguous, Found } kind = None;
    int role = -1;
    int variant = 0;
};

class Vocabulary {
public:
    explicit Vocabulary(std::span<const RoleCaption> captions) {
        for (std::size_t row = 0; row < kRoleWords.size(); ++row) {
            const RoleWords& words = kRoleWords[row];
            const int role = static_cast<int>(row);
            for (const std::string_view name : {words.englishName, words.chineseName, words.japaneseName}) {
                Add(Key(name), role, 0);
            }
            std::string_view forms = words.shortForms;
            while (!forms.empty()) {
                const std::size_t space = forms.find(' ');
                const std::string_view form = forms.substr(0, space);
                Add(std::string(form), role, 0);
                Add(std::string(form) + "select", role, 0);
                forms.remove_prefix(space == std::string_view::npos ? forms.size() : space + 1);
            }
            if (!words.aeroName.empty()) {
                Add(Key(words.aeroName), role, 0);
                Add(Key(words.aeroName) + "l", role, 1);
                Add(Key(words.aeroName) + "xl", role, 2);
            }
        }
        for (const RoleCaption& caption : captions) {
            const int role = SchemePosition(caption.role);
            if (role >= 0) Add(Key(caption.caption), role, 0);
        }
    }

    Match Find(const std::string& key, bool handIsHandwriting) const {
        if (key == "hand") return {Match::Found, SchemePosition(handIsHandwriting ? "NWPen" : "Hand"), 0};
        const auto it = entries_.find(key);
        if (it == entries_.end()) return {};
        return it->second;
    }

private:
    void Add(std::string key, int role, int variant) {
        if (key.empty()) return;
        const auto [it, added] = entries_.try_emplace(std::move(key), Match{Match::Found, role, variant});
        if (added) return;
        Match& known = it->second;
        if (known.role != role) known.kind = Match::Ambiguous;
        known.variant = std::min(known.variant, variant);
    }

    std::unordered_map<std::string, Match> entries_;
};

struct FileKeys {
    std::string whole;
    std::optional<std::string> stripped;   // only when a shared run was taken off
};

std::vector<FileKeys> KeysOf(std::span<const std::string> fileNames) {
    std::vector<std::vector<std::string>> words;
    words.reserve(fileNames.size());
    for (const std::string& name : fileNames) words.push_back(Words(Stem(name)));

    std::size_t prefix = 0;
    std::size_t suffix = 0;
    if (fileNames.size() >= 3) {
        prefix = words[0].size();
        suffix = words[0].size();
        for (const std::vector<std::string>& w : words) {
            const std::vector<std::string>& first = words[0];
            std::size_t p = 0;
            while (p < prefix && p < w.size() && w[p] == first[p]) ++p;
            prefix = p;
            std::size_t s = 0;
            while (s < suffix && s < w.size() && w[w.size() - 1 - s] == first[first.size() - 1 - s]) ++s;
            suffix = s;
        }
    }

    std::vector<FileKeys> keys(fileNames.size());
    for (std::size_t f = 0; f < fileNames.size(); ++f) {
        for (const std::string& word : words[f]) keys[f].whole += word;
        if (prefix == 0 && suffix == 0) continue;
        std::string stripped;
        for (std::size_t i = prefix; i + suffix < words[f].size(); ++i) stripped += words[f][i];
        keys[f].stripped = std::move(stripped);
    }
    return keys;
}

bool NamesLink(const std::string& key) { return key == "link" || key == "linkselect"; }

}  // namespace

std::vector<NameMatch> MatchFileNames(std::span<const std::string> fileNames, std::span<const RoleCaption> captions) {
    const Vocabulary vocabulary(captions);
    const std::vector<FileKeys> keys = KeysOf(fileNames);
    const bool handIsHandwriting = std::any_of(keys.begin(), keys.end(), [](const FileKeys& k) {
        return NamesLink(k.whole) || (k.stripped && NamesLink(*k.stripped));
    });

    // Best (lowest) rank per role, and how many files reach it.
    constexpr int kNoRank = 2 * kVariants;
    std::array<int, kSchemeRoleCount> bestRank;
    bestRank.fill(kNoRank);
    std::array<std::size_t, kSchemeRoleCount> bestFile{};
    std::array<int, kSchemeRoleCount> filesAtBest{};
    for (std::size_t f = 0; f < keys.size(); ++f) {
        Match match = vocabulary.Find(keys[f].whole, handIsHandwriting);
        int rank = match.variant;
        if (match.kind == Match::None && keys[f].stripped) {
            match = vocabulary.Find(*keys[f].stripped, handIsHandwriting);
            rank = kVariants + match.variant;
        }
        if (match.kind != Match::Found) continue;
        const auto role = static_cast<std::size_t>(match.role);
        if (rank < bestRank[role]) {
            bestRank[role] = rank;
            bestFile[role] = f;
            filesAtBest[role] = 1;
        } else if (rank == bestRank[role]) {
            ++filesAtBest[role];
        }
    }

    std::vector<NameMatch> matches;
    for (std::size_t role = 0; role < kSchemeRoleCount; ++role) {
        if (filesAtBest[role] == 1) matches.push_back({std::string(kSchemeOrder[role]), bestFile[role]});
    }
    return matches;
}

}  // namespace shubiao::pack
