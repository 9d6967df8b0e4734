#!/usr/bin/env bash
# The packages as a user gets them: builds the ZIP and the installer with
# cpack, checks the ZIP's contents and the shipped executable (size, imports),
# installs silently into the Wine prefix of scripts/test, checks the files, the
# Start-menu shortcut and the Apps & features entry, starts the installed
# program and closes its window, runs the installed ShuBiaoCmd.exe as a script
# would, then uninstalls and checks that only the files the user put into the
# install folder are left. Cleans up after itself.
# Exit code 77 (skipped) when makensis, unzip or the Wine prefix is missing.
set -uo pipefail

usage() {
    echo "usage: install_test.sh --build DIR --cpack CPACK --objdump OBJDUMP --wine WINE-RUN --source DIR" >&2
    exit 2
}
while [ $# -gt 0 ]; do
    case $1 in
        --build) build=$2 ;;
        --cpack) cpack=$2 ;;
        --objdump) objdump=$2 ;;
        --wine) wine=$2 ;;
        --source) source=$2 ;;
        *) usage ;;
    esac
    shift 2 || usage
done
[ -n "${build:-}" ] && [ -n "${cpack:-}" ] && [ -n "${objdump:-}" ] && [ -n "${wine:-}" ] && [ -n "${source:-}" ] || usage

skip() { echo "SKIPPED: $*"; exit 77; }
command -v makensis >/dev/null || skip "makensis (Debian package nsis) is not installed"
command -v unzip >/dev/null || skip "unzip is not installed"
[ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c" ] && [ -n "${DISPLAY:-}" ] ||
    skip "no Wine prefix or display; run through scripts/test"

# Start-menu shortcuts must not become menu entries of the Linux desktop.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree=;mshtml=;winemenubuilder.exe=d}"

readonly title="鼠标指针方案"
readonly max_exe_bytes=$((1536 * 1024))
readonly drive_c="$WINEPREFIX/drive_c"
readonly instdir="$drive_c/Program Files/ShuBiao"
readonly instdir_win='C:\Program Files\ShuBiao'
readonly menu_dir="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$title"
readonly uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\ShuBiao'
readonly vendor_key='HKLM\Software\Velmora\ShuBiao'
readonly scratch="$build/install_test"
readonly user_files=("我的笔记.txt" "Data storage/Cursors/我的指针.cur")

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
die() { echo "FAIL: $*" >&2; exit 1; }
step() { echo "== $*"; }

# Text printed by Wine's console programs, as UTF-8.
wine_text() { "$wine" "$@" 2>/dev/null | tr -d '\r' | iconv -f GB18030 -t UTF-8; }
key_exists() { "$wine" reg query "$1" >/dev/null 2>&1; }

# Removes whatever an interrupted run may have left in the prefix.
clean_prefix() {
    rm -rf "$instdir" "$menu_dir"
    # Both keys with one regedit (each start of a Wine program costs about
    # half a second); a key that is not there is no error.
    mkdir -p "$scratch"
    printf 'REGEDIT4\r\n\r\n[-%s]\r\n\r\n[-%s]\r\n' "${uninstall_key/HKLM/HKEY_LOCAL_MACHINE}" \
        "${vendor_key/HKLM/HKEY_LOCAL_MACHINE}" >"$scratch/clean.reg"
    "$wine" regedit /s "Z:${scratch//\//\\}\\clean.reg" >/dev/null 2>&1
    return 0
}
trap clean_prefix EXIT

# Files a package holds, relative to its top folder, from the source tree.
expected_files() {
    (cd "$source/assets" && find . -type f | sed 's|^\./||')
    echo ShuBiao.exe
    echo ShuBiaoCmd.exe
}

step "Building the packages with cpack"
rm -rf "$scratch"
mkdir -p "$scratch"
"$cpack" --config "$build/CPackConfig.cmake" -G "ZIP;NSIS" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
    { cat "$scratch/cpack.log"; die "cpack failed"; }
zips=("$scratch"/ShuBiao-*-win64.zip)
installers=("$scratch"/ShuBiao-*-win64.exe)
[ ${#zips[@]} = 1 ] && [ -f "${zips[0]}" ] || die "cpack made no ZIP"
[ ${#installers[@]} = 1 ] && [ -f "${installers[0]}" ] || die "cpack made no installer"
zip=${zips[0]}
installer=${installers[0]}
echo "ZIP $(stat -c %s "$zip") bytes, installer $(stat -c %s "$installer") bytes"

step "ZIP contents"
top=$(basename "$zip" .zip)
listing=$(unzip -Z1 "$zip") || die "unzip cannot read $zip"
if outside=$(grep -v "^$top/" <<<"$listing"); then
    fail "ZIP entries outside the top folder $top/: $outside"
fi
if ! diff <(expected_files | sed "s|^|$top/|" | sort) <(grep -v '/$' <<<"$listing" | sort); then
    fail "the ZIP does not hold exactly the program and its assets (diff: expected, found)"
fi

step "The shipped executables"
allowed='^(kernel32|user32|gdi32|advapi32|shell32|comctl32|comdlg32|ole32|oleaut32|shlwapi|windowscodecs|dwmapi|uxtheme|bcrypt|msvcrt|api-ms-win-crt-[a-z0-9-]+)\.dll$'
for program in ShuBiao.exe ShuBiaoCmd.exe; do
    unzip -q -o "$zip" "$top/$program" -d "$scratch/unzipped" || die "cannot unpack $program"
    file="$scratch/unzipped/$top/$program"
    size=$(stat -c %s "$file")
    echo "$program: $size bytes ($((size * 100 / max_exe_bytes))% of 1.5 MiB)"
    [ "$size" -lt "$max_exe_bytes" ] || fail "$program is $size bytes, not under 1.5 MiB"
    imports=$("$objdump" -p "$file" | sed -n 's/^[[:space:]]*DLL Name: //p')
    [ -n "$imports" ] || fail "objdump lists no imported DLLs of $program"
    echo "imports: $(echo $imports)"
    if foreign=$(tr 'A-Z' 'a-z' <<<"$imports" | grep -Ev "$allowed"); then
        fail "$program imports DLLs that are not Windows' own: $(echo $foreign)"
    fi
done
exe="$scratch/unzipped/$top/ShuBiao.exe"
cmd_exe="$scratch/unzipped/$top/ShuBiaoCmd.exe"
subsystem=$("$objdump" -p "$cmd_exe" | sed -n 's/^Subsystem[[:space:]]*//p')
[[ "$subsystem" == *"(Windows CUI)"* ]] || fail "ShuBiaoCmd.exe is not a console program (subsystem: $subsystem)"
grep -aq 'level="asInvoker"' "$cmd_exe" || fail "ShuBiaoCmd.exe's manifest does not ask for asInvoker"
# No UAC prompt: the window program runs with the rights it was started with.
grep -aq 'level="asInvoker"' "$exe" || fail "ShuBiao.exe's manifest does not ask for asInvoker"
grep -aq 'highestAvailable\|requireAdministrator' "$exe" && fail "ShuBiao.exe's manifest asks for administrator rights"

step "Installing silently"
clean_prefix
"$wine" "$installer" /S || die "the installer failed (exit code $?)"
installed=$( (expected_files; echo Uninstall.exe) | sort)
[ -d "$instdir" ] || die "nothing was installed in $instdir_win"
if ! diff <(echo "$installed") <(cd "$instdir" && find . -type f | sed 's|^\./||' | sort); then
    fail "$instdir_win does not hold exactly the program, its assets and the uninstaller"
fi
while IFS= read -r file; do
    cmp -s "$source/assets/$file" "$instdir/$file" || fail "installed $file differs from assets/$file"
done < <(cd "$source/assets" && find . -type f | sed 's|^\./||')
cmp -s "$exe" "$instdir/ShuBiao.exe" || fail "the installed ShuBiao.exe differs from the ZIP's"
cmp -s "$cmd_exe" "$instdir/ShuBiaoCmd.exe" || fail "the installed ShuBiaoCmd.exe differs from the ZIP's"

shortcut="$menu_dir/$title.lnk"
[ -f "$shortcut" ] || fail "no Start-menu shortcut $shortcut"
[ -f "$shortcut" ] && ! grep -aq 'ShuBiao.exe' "$shortcut" && fail "the shortcut does not point at ShuBiao.exe"

key_exists "$uninstall_key" || die "no Apps & features entry $uninstall_key"
# The entry's values, read with one reg.exe.
uninstall_values=$(wine_text reg query "$uninstall_key")
check_value() {
    local got
    got=$(sed -n "s/^ *$1 *REG_[A-Z_]* *//p" <<<"$uninstall_values")
    [ "$got" = "$2" ] || fail "$1 is '$got', expected '$2'"
}
check_value DisplayName "$title"
check_value Publisher Velmora
check_value DisplayVersion "$(sed -n 's/^ShuBiao-\(.*\)-win64$/\1/p' <<<"$top")"
check_value DisplayIcon "$instdir_win\\ShuBiao.exe"
check_value UninstallString "\"$instdir_win\\Uninstall.exe\""

step "Starting the installed program"
"$wine" "$instdir_win\\ShuBiao.exe" &
program=$!
if "$wine" "$build/bin/winwait.exe" "$title" 60 >/dev/null; then
    "$wine" "$build/bin/winwait.exe" "$title" 5 --close >/dev/null || fail "could not close the window"
else
    fail "the installed program showed no window \"$title\" within 60 s"
    kill "$program" 2>/dev/null
fi
for _ in $(seq 300); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$program" 2>/dev/null; then
    fail "the program did not end within 30 s of WM_CLOSE"
    kill "$program" 2>/dev/null
fi
wait "$program"
status=$?
[ "$status" = 0 ] || fail "the program ended with exit code $status"

step "Running the installed ShuBiaoCmd.exe as a script does"
help=$("$wine" "$instdir_win\\ShuBiaoCmd.exe" --help 2>/dev/null | tr -d '\r')
status=$?
[ "$status" = 0 ] || fail "ShuBiaoCmd.exe --help ended with $status"
grep -q '^ShuBiaoCmd：' <<<"$help" || fail "ShuBiaoCmd.exe --help did not print its UTF-8 help: $(head -c 200 <<<"$help")"
"$wine" "$instdir_win\\ShuBiaoCmd.exe" frobnicate >/dev/null 2>&1
status=$?
[ "$status" = 3 ] || fail "ShuBiaoCmd.exe with an unknown verb ended with $status, not 3"

step "Uninstalling silently, with files of the user's own in the install folder and in the user's store"
for file in "${user_files[@]}"; do
    mkdir -p "$(dirname "$instdir/$file")"
    echo "kept by the user" >"$instdir/$file"
done
# The user's roaming store (%APPDATA%\ShuBiao) with an applied copy in it.
roaming=$(find "$WINEPREFIX/drive_c/users" -mindepth 3 -maxdepth 3 -type d -path '*/AppData/Roaming' \
    ! -path '*/Public/*' | head -n 1)
[ -n "$roaming" ] || die "no roaming application data folder in the prefix"
store_file="$roaming/ShuBiao/Applied/~install-test.ani"
mkdir -p "$(dirname "$store_file")"
echo "applied by the user" >"$store_file"
"$wine" "$instdir_win\\Uninstall.exe" /S || fail "the uninstaller failed (exit code $?)"
# The uninstaller returns at once and runs on from a copy of itself in TEMP,
# started with "_?=<install folder>": wait until that process of this prefix ends.
# One pgrep over every command line (two programs per process of the machine
# at each look cost seconds); only the processes it finds are asked for their
# prefix.
uninstaller_pattern=$(sed 's/[][\\.*^$?+(){}|]/\\&/g' <<<"_?=$instdir_win")
uninstaller_running() {
    local pid
    for pid in $(pgrep -f -- "$uninstaller_pattern"); do
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX" && return 0
    done
    return 1
}
for _ in $(seq 600); do uninstaller_running || break; sleep 0.1; done
uninstaller_running && die "the uninstaller was still running after 60 s"

left=$(cd "$instdir" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)
if ! diff <(printf '%s\n' "${user_files[@]}" | sort) <(echo "$left"); then
    fail "after uninstalling, $instdir_win should hold exactly the user's own files"
fi
[ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut $shortcut"
[ ! -e "$menu_dir" ] || fail "the uninstaller left the Start-menu folder $menu_dir"
key_exists "$uninstall_key" && fail "the uninstaller left $uninstall_key"
key_exists "$vendor_key" && fail "the uninstaller left $vendor_key"
[ -f "$store_file" ] || fail "the uninstaller removed the user's store ($store_file)"
rm -f "$store_file"

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "All package checks passed"
