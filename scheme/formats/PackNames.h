#pragma once
// Matches the cursor files of a pack folder to cursor roles by their names
// alone, for packs without a usable install.inf: "Busy.ani" → Wait,
// "Adwaita - Normal Select.cur" → Arrow, "kc_pointer.cur" → Arrow,
// "aero_helpsel.cur" → Help, "正常选择.cur" → Arrow, "通常の選択.cur" → Arrow,
// "忙 (2).ani" → Wait when there is no "忙.ani". All seventeen roles of
// SchemeOrder.h are matched. Portable: no Windows header; names are UTF-8.
// The rules are in PackNames.cpp.
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace shubiao::pack {

// A role's caption in the editor's grid; the caller owns the list.
struct RoleCaption {
    std::string_view role;      // registry value name, e.g. "Arrow"
    std::string_view caption;   // UTF-8, e.g. "正常选择"
};

struct NameMatch {
    std::string role;          // registry value name, spelt as in kSchemeOrder
    std::size_t file;          // index into the file names given
    unsigned alternate = 0;    // 0: the file bears the role's plain name; N: it is the numbered copy N ("Busy 2.ani")
};

// `fileNames`: the .cur/.ani files of one folder, with their extensions.
// Each role and each file appears at most once in the result, which is in
// Windows' order of the roles (SchemeOrder.h).
// With `roleOfFile`, it receives for each file the role its name names,
// taken or not ("" for a name the matcher does not know, or one two roles
// claim): a file named for a role and not in the result lost that role to
// another file of the folder.
std::vector<NameMatch> MatchFileNames(std::span<const std::string> fileNames, std::span<const RoleCaption> captions,
                                      std::vector<std::string>* roleOfFile = nullptr);

}  // namespace shubiao::pack
