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
// - Vocabulary: Windows' English pointer names, short forms (each also with
//   "select" after it), Windows' Aero file names with their "_l" and "_xl"
//   sizes, the names Windows' Mouse Properties shows in Simplified Chinese
//   and in Japanese, and the grid captions the caller gives. A key that two
//   roles claim (only the caller's captions can make one) matches neither.
//   Traditional Chinese names are not among them: no two independent public
//   sources at hand gave the names Windows shows in that language.
// - Shared words: in a folder of three or more files, a file's stripped stem
//   is its stem without the run of whole words that every file shares at its
//   start and the run every file shares at its end (words are split at the
//   separators, compared without regard to ASCII case), which takes off pack
//   prefixes such as "Adwaita - ", "kc_" or "花萝-". With fewer files a shared
//   word says too little. A prefix glued to the name ("花萝正常选择") is not
//   a word of its own and stays.
// - Numbered copies: a stem that is a vocabulary name followed by a number
//   of up to six digits, 1 or more, is copy N of that name's role: the
//   number after a separator ("Busy 2", "忙_2"), in parentheses ("Busy (2)",
//   "忙(2)", full-width "忙（2）"), or glued to a name that ends in a
//   non-ASCII character ("正常选择2"); full-width digits count as digits.
//   A number glued to an ASCII letter ("Busy2") is not one: short names such
//   as "dgn2" would read wrongly. A stem that is itself a vocabulary name is
//   never a copy, so "Diagonal Resize 1", "沿对角线调整大小 2", "dgn1" keep
//   their roles, and "Diagonal Resize 1 (2)" is copy 2 of SizeNWSE.
// - Four tries per file, in this order: the whole stem as a name, the
//   stripped stem as a name, the whole stem as a copy, the stripped stem as
//   a copy. The first try whose key the vocabulary knows decides (a key two
//   roles claim decides too: the file counts for no role).
// - "hand" is the link-select pointer, unless a file of the folder is named
//   "link" or "link select" (whole or stripped, plain or numbered): such
//   packs follow the .inf variable names, where "hand" is handwriting.
// - Ranks, best first, compared in this order: a name before a copy; the
//   whole stem before the stripped stem; the lower copy number; plain before
//   "_l" before "_xl". A role goes to the one file of the best rank that
//   matches it; two files at that rank (Busy.ani and Wait.ani, or "忙 2.ani"
//   and "忙(2).ani") leave it unset rather than guess.
// - Work is linear in the total length of the names: one pass for words and
//   keys, a number read from each key's end, hash lookups, one pass per
//   role.
#include "scheme/formats/PackNames.h"

#include <algorithm>
#include <array>
#include <compare>
#include <optional>
#include <unordered_map>

#include "scheme/formats/SchemeOrder.h"

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

// Names that Chinese packs give their files beside the ones Windows shows.
// Sources: the name "备用选择" for Alternate Select was met in a Chinese pack
// (Windows' own is "候选"); searches of public Chinese packs' file lists
// (GitHub code search for "文本选择.ani", "备用选择", "备选.ani", "忙碌.ani",
// "链接.ani") found only Windows' own Simplified Chinese names otherwise, as
// in a public conversion script's table of a pack's files ("正常选择.ani" …
// "候选.ani", "个人选择.ani"), and names of the form "PRTS - beam 文本选择.ani",
// a short form and the Chinese name in one stem, which are not matched.
struct PackName {
    std::string_view role;
    std::string_view name;
};
constexpr std::array<PackName, 1> kPackChineseNames{{
    {"UpArrow", "备用选择"},
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
constexpr std::string_view kFullWidthOpen = "\xEF\xBC\x88";    // （
constexpr std::string_view kFullWidthClose = "\xEF\xBC\x89";   // ）
constexpr int kMaxNumberDigits = 6;

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

std::string Joined(const std::vector<std::string>& words, std::size_t begin, std::size_t end) {
    std::string key;
    for (std::size_t i = begin; i < end; ++i) key += words[i];
    return key;
}

std::string Key(std::string_view s) {
    const std::vector<std::string> words = Words(s);
    return Joined(words, 0, words.size());
}

std::string_view Stem(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? name : name.substr(0, dot);
}

// The decimal digit, ASCII or full-width, that ends s; its value, and s
// without it.
std::optional<unsigned> TakeLastDigit(std::string_view& s) {
    if (!s.empty() && s.back() >= '0' && s.back() <= '9') {
        const auto digit = static_cast<unsigned>(s.back() - '0');
        s.remove_suffix(1);
        return digit;
    }
    // U+FF10..U+FF19: EF BC 90..99
    if (s.size() >= 3 && s.substr(s.size() - 3, 2) == "\xEF\xBC") {
        const auto last = static_cast<unsigned char>(s.back());
        if (last >= 0x90 && last <= 0x99) {
            s.remove_suffix(3);
            return last - 0x90u;
        }
    }
    return std::nullopt;
}

// The copy number that ends s, taken off it: up to kMaxNumberDigits digits,
// worth 1 or more.
std::optional<unsigned> TakeNumber(std::string_view& s) {
    std::string_view rest = s;
    unsigned value = 0;
    unsigned place = 1;
    int digits = 0;
    while (const std::optional<unsigned> digit = TakeLastDigit(rest)) {
        if (++digits > kMaxNumberDigits) return std::nullopt;
        value += *digit * place;
        place *= 10;
    }
    if (value == 0) return std::nullopt;
    s = rest;
    return value;
}

bool TakeSuffix(std::string_view& s, std::string_view ascii, std::string_view fullWidth) {
    for (const std::string_view suffix : {ascii, fullWidth}) {
        if (s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix) {
            s.remove_suffix(suffix.size());
            return true;
        }
    }
    return false;
}

struct Numbered {
    std::string key;   // of the name before the number
    unsigned number = 0;
};

// words[begin, end) read as a name and a copy number (see the header).
std::optional<Numbered> SplitNumber(const std::vector<std::string>& words, std::size_t begin, std::size_t end) {
    if (begin >= end) return std::nullopt;
    std::string_view last = words[end - 1];
    std::optional<unsigned> number;
    if (TakeSuffix(last, ")", kFullWidthClose)) {
        number = TakeNumber(last);
        if (!number || !TakeSuffix(last, "(", kFullWidthOpen)) return std::nullopt;
    } else {
        number = TakeNumber(last);
        if (!number) return std::nullopt;
        // Glued to the name only after a non-ASCII character; otherwise the
        // number is a word of its own.
        if (!last.empty() && static_cast<unsigned char>(last.back()) < 0x80) return std::nullopt;
    }
    Numbered numbered{Joined(words, begin, end - 1), *number};
    numbered.key += last;
    if (numbered.key.empty()) return std::nullopt;
    return numbered;
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
        for (const PackName& name : kPackChineseNames) Add(Key(name.name), SchemePosition(name.role), 0);
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

// The keys of one file, in the order they are tried.
struct FileKeys {
    std::string whole;
    std::optional<std::string> stripped;   // only when a shared run was taken off
    std::optional<Numbered> wholeNumbered;
    std::optional<Numbered> strippedNumbered;
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
        const std::vector<std::string>& w = words[f];
        keys[f].whole = Joined(w, 0, w.size());
        keys[f].wholeNumbered = SplitNumber(w, 0, w.size());
        if (prefix == 0 && suffix == 0) continue;
        const std::size_t end = prefix + suffix < w.size() ? w.size() - suffix : prefix;
        keys[f].stripped = Joined(w, prefix, end);
        keys[f].strippedNumbered = SplitNumber(w, prefix, end);
    }
    return keys;
}

bool NamesLink(const std::string& key) { return key == "link" || key == "linkselect"; }

bool NamesLink(const FileKeys& k) {
    return NamesLink(k.whole) || (k.stripped && NamesLink(*k.stripped)) ||
           (k.wholeNumbered && NamesLink(k.wholeNumbered->key)) ||
           (k.strippedNumbered && NamesLink(k.strippedNumbered->key));
}

// Lower is better; see "Ranks" in the header.
struct Rank {
    bool numbered = false;
    bool stripped = false;
    unsigned number = 0;
    int variant = 0;
    auto operator<=>(const Rank&) const = default;
};

struct FileMatch {
    Match match;
    Rank rank;
};

// The first of the file's four tries that the vocabulary knows.
FileMatch Lookup(const Vocabulary& vocabulary, const FileKeys& keys, bool handIsHandwriting) {
    struct Try {
        const std::string* key;
        bool stripped;
        unsigned number;
    };
    const Try tries[] = {
        {&keys.whole, false, 0},
        {keys.stripped ? &*keys.stripped : nullptr, true, 0},
        {keys.wholeNumbered ? &keys.wholeNumbered->key : nullptr, false, keys.wholeNumbered ? keys.wholeNumbered->number : 0},
        {keys.strippedNumbered ? &keys.strippedNumbered->key : nullptr, true,
         keys.strippedNumbered ? keys.strippedNumbered->number : 0},
    };
    for (const Try& t : tries) {
        if (t.key == nullptr) continue;
        const Match match = vocabulary.Find(*t.key, handIsHandwriting);
        if (match.kind != Match::None) return {match, {t.number > 0, t.stripped, t.number, match.variant}};
    }
    return {};
}

}  // namespace

std::vector<NameMatch> MatchFileNames(std::span<const std::string> fileNames, std::span<const RoleCaption> captions,
                                      std::vector<std::string>* roleOfFile) {
    const Vocabulary vocabulary(captions);
    const std::vector<FileKeys> keys = KeysOf(fileNames);
    const bool handIsHandwriting =
        std::any_of(keys.begin(), keys.end(), [](const FileKeys& k) { return NamesLink(k); });

    // Best rank per role, and how many files reach it.
    std::array<std::optional<Rank>, kSchemeRoleCount> bestRank;
    std::array<std::size_t, kSchemeRoleCount> bestFile{};
    std::array<int, kSchemeRoleCount> filesAtBest{};
    if (roleOfFile != nullptr) roleOfFile->assign(keys.size(), std::string());
    for (std::size_t f = 0; f < keys.size(); ++f) {
        const FileMatch found = Lookup(vocabulary, keys[f], handIsHandwriting);
        if (found.match.kind != Match::Found) continue;
        if (roleOfFile != nullptr) (*roleOfFile)[f] = kSchemeOrder[static_cast<std::size_t>(found.match.role)];
        const auto role = static_cast<std::size_t>(found.match.role);
        if (!bestRank[role] || found.rank < *bestRank[role]) {
            bestRank[role] = found.rank;
            bestFile[role] = f;
            filesAtBest[role] = 1;
        } else if (found.rank == *bestRank[role]) {
            ++filesAtBest[role];
        }
    }

    std::vector<NameMatch> matches;
    for (std::size_t role = 0; role < kSchemeRoleCount; ++role) {
        if (filesAtBest[role] == 1) {
            matches.push_back({std::string(kSchemeOrder[role]), bestFile[role], bestRank[role]->number});
        }
    }
    return matches;
}

}  // namespace shubiao::pack
