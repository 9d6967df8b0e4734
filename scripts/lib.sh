# Shared set-up for scripts/test, scripts/run and friends. Sourced, not run.
# Everything lives under BUILD_DIR (default: build/ in the repository):
#   cross/        the Windows build (MinGW-w64), executables in cross/bin/
#   native/       the native Linux build of the portable code and its tests
#   wineprefix/   a throwaway Wine prefix (zh_CN.UTF-8, one shared virtual desktop)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
mkdir -p "$BUILD_DIR"
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
export BUILD_DIR
JOBS=${JOBS:-2}

log() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

# Packages the project needs, as Debian names them, with a command or file that
# shows each is there.
_needed_packages() {
    local -a missing=()
    command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
    command -v x86_64-w64-mingw32-windres >/dev/null || missing+=(binutils-mingw-w64-x86-64)
    command -v cmake >/dev/null || missing+=(cmake)
    command -v ninja >/dev/null || missing+=(ninja-build)
    command -v g++ >/dev/null || missing+=(g++)
    command -v wine >/dev/null || missing+=(wine)
    [ -e /usr/lib/wine/wine64 ] || [ -e /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/kernel32.dll ] || missing+=(wine64)
    command -v Xvfb >/dev/null || missing+=(xvfb)
    command -v xdotool >/dev/null || missing+=(xdotool)
    command -v import >/dev/null || missing+=(imagemagick)
    command -v xwd >/dev/null || missing+=(x11-apps)
    [ -e /usr/share/fonts/truetype/wqy/wqy-microhei.ttc ] || missing+=(fonts-wqy-microhei)
    # Wine's own fonts: Marlett draws the title-bar buttons.
    [ -e /usr/share/wine/fonts/marlett.ttf ] || missing+=(fonts-wine)
    [ -e /usr/src/googletest/CMakeLists.txt ] || missing+=(googletest)
    command -v locale-gen >/dev/null || missing+=(locales)
    command -v makensis >/dev/null || missing+=(nsis)
    command -v unzip >/dev/null || missing+=(unzip)
    # zlib, linked statically: the MinGW build for the program, the native
    # one for the portable tests and the fuzzer.
    [ -e /usr/x86_64-w64-mingw32/lib/libz.a ] || missing+=(libz-mingw-w64-dev)
    [ -e /usr/include/zlib.h ] || missing+=(zlib1g-dev)
    # stb: PNG decoding and writing and the resampler of 补齐尺寸, header-only,
    # compiled into both builds (scheme/formats/StbLibraries.cpp).
    [ -e /usr/include/stb/stb_image_resize.h ] || missing+=(libstb-dev)
    printf '%s\n' "${missing[@]}"
}

ensure_packages() {
    local missing
    missing=$(_needed_packages)
    if [ -n "$missing" ]; then
        log "Installing: $(echo $missing)"
        local sudo=""
        [ "$(id -u)" = 0 ] || sudo=sudo
        $sudo apt-get update -qq
        # shellcheck disable=SC2086
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
    fi
    if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
        log "Generating the zh_CN.UTF-8 locale"
        local sudo=""
        [ "$(id -u)" = 0 ] || sudo=sudo
        $sudo sed -i 's/^# *\(zh_CN.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen || echo 'zh_CN.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
        $sudo locale-gen >/dev/null
    fi
}

# ccache, where the machine has it, keeps compiled objects across build
# folders and checkouts of the same tree (paths taken relative to the tree).
_launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR="$ROOT"
    _launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

# Builds for Windows: every target, or only the ones named (scripts/run
# builds just the program, its assets and winwait).
build_cross() {
    log "Building for Windows (MinGW-w64)"
    if [ ! -f "$BUILD_DIR/cross/build.ninja" ]; then
        cmake -S "$ROOT" -B "$BUILD_DIR/cross" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
            -DCMAKE_BUILD_TYPE=Release "${_launcher[@]}" >/dev/null
    fi
    local targets=()
    for target in "$@"; do targets+=(--target "$target"); done
    cmake --build "$BUILD_DIR/cross" -j "$JOBS" "${targets[@]}"
}

build_native() {
    log "Building the portable code natively"
    if [ ! -f "$BUILD_DIR/native/build.ninja" ]; then
        cmake -S "$ROOT" -B "$BUILD_DIR/native" -G Ninja -DCMAKE_BUILD_TYPE=Release "${_launcher[@]}" >/dev/null
    fi
    cmake --build "$BUILD_DIR/native" -j "$JOBS"
}

# Wine environment for this build folder. Never the user's own ~/.wine.
wine_env() {
    export WINEPREFIX="$BUILD_DIR/wineprefix"
    export WINEARCH=win64
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono/Gecko prompts; no menu entries written into the Linux desktop.
    export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
}

XVFB_PID=""
# Starts a private Xvfb on a free display and exports DISPLAY.
start_xvfb() {
    _new_xvfb "$BUILD_DIR/.xvfb-display" || return 1
    XVFB_PID=$_xvfb_pid
    export DISPLAY=$_xvfb_display
}

# Starts an Xvfb on a free display, its number written to the file $1; sets
# _xvfb_pid and _xvfb_display.
_new_xvfb() {
    local fifo=$1
    rm -f "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
        3>"$fifo" >/dev/null 2>&1 &
    _xvfb_pid=$!
    local n=0
    until [ -s "$fifo" ]; do
        sleep 0.1
        n=$((n + 1))
        if [ $n -gt 100 ] || ! kill -0 "$_xvfb_pid" 2>/dev/null; then
            echo "Xvfb did not start" >&2
            return 1
        fi
    done
    _xvfb_display=":$(tr -d '[:space:]' <"$fifo")"
}

# Keeps one wineserver running for the prefix until stop_wine_and_xvfb, so
# that each Wine start does not start a server of its own. Arguments are a
# command that runs it (e.g. taskset -c 0).
start_wineserver() {
    wine_env
    "$@" wineserver -p
}

# Wine places for tests that run side by side (ctest -j): slot N is its own
# copy of the prefix (made once from the ready one), its own Xvfb and its
# own wineserver, so nothing is shared with another slot: not the desktop
# and its windows, not the pointer, not the registry, not named objects.
# cmake/wine-run takes slot N when SHUBIAO_WINE_SLOT=N (the tests' ctest
# properties say which slot each uses); without it, the prefix above.
# Arguments: how many slots besides the prefix itself, then optionally a
# command that runs each wineserver (as for start_wineserver).
SLOT_XVFB_PIDS=()
SLOT_PREFIXES=()
start_wine_slots() {
    local count=$1 slot prefix
    shift
    wine_env
    local main=$WINEPREFIX
    for ((slot = 1; slot <= count; slot++)); do
        prefix="$main-slot$slot"
        if [ ! -f "$prefix/.shubiao-ready" ] || [ "$prefix/.shubiao-ready" -ot "$main/.shubiao-ready" ]; then
            rm -rf "$prefix"
            cp -a "$main" "$prefix"
        fi
        _new_xvfb "$BUILD_DIR/.xvfb-display-slot$slot" || return 1
        SLOT_XVFB_PIDS+=("$_xvfb_pid")
        SLOT_PREFIXES+=("$prefix")
        echo "$_xvfb_display" >"$prefix/.shubiao-display"
        WINEPREFIX=$prefix "$@" wineserver -p
    done
}

stop_wine_and_xvfb() {
    local prefix pid
    for prefix in "${SLOT_PREFIXES[@]}"; do
        WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
        rm -f "$prefix/.shubiao-display"
    done
    SLOT_PREFIXES=()
    for pid in "${SLOT_XVFB_PIDS[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    SLOT_XVFB_PIDS=()
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
}

# Creates the throwaway prefix once: the virtual-desktop keys are written into
# user.reg before any Wine process starts, so every window of every process
# lands on one shared desktop.
ensure_prefix() {
    wine_env
    if [ -f "$WINEPREFIX/.shubiao-ready" ]; then
        _link_wine_fonts
        return 0
    fi
    log "Creating the Wine prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    cat >"$WINEPREFIX/user.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\User\\S-1-5-21-0-0-0-1000

#arch=win64

[Software\\Wine\\Explorer] 1700000000
"Desktop"="Default"

[Software\\Wine\\Explorer\\Desktops] 1700000000
"Default"="1024x768"
REG
    wineboot -i >/dev/null 2>&1
    wineserver -w
    grep -q '"Desktop"="Default"' "$WINEPREFIX/user.reg" || {
        echo "The Wine prefix lost its virtual-desktop setting" >&2
        return 1
    }
    _link_wine_fonts
    touch "$WINEPREFIX/.shubiao-ready"
}

# Debian's Wine does not look into its own font folder; the title-bar
# buttons need Marlett from it, so the prefix's Fonts folder gets a link.
_link_wine_fonts() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -e /usr/share/wine/fonts/marlett.ttf ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
        ln -s /usr/share/wine/fonts/marlett.ttf "$fonts/marlett.ttf"
    fi
}
