# Shared by the scripts: package installs and the project's Wine prefix.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the Debian packages that are missing. Never wine32: its loader cannot run here.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -q >/dev/null
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" >/dev/null
}

BUILD_PACKAGES=(
    cmake ninja-build clang-format
    gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
    mingw-w64-tools googletest
)
WINE_PACKAGES=(wine wine64 fonts-wine fonts-croscore xvfb xauth x11-utils)
# The demo speaks its own corpus.
DEMO_PACKAGES=(flite sox)
# scripts/bench plots the soak.
BENCH_PACKAGES=(gnuplot-nox)
# scripts/package zips the release; its tests unpack it.
PACKAGE_PACKAGES=(zip unzip)
# The recogniser service, a native program built with the host compiler; ALSA for live capture.
RECOGNISER_PACKAGES=(g++ pkg-config pocketsphinx pocketsphinx-en-us libpocketsphinx-dev libasound2-dev)
# tarvell-report natively with its tests: zlib to read the browser's PNG, chromium to render
# the HTML report, time for the bench's peak memory.
REPORT_PACKAGES=(g++ zlib1g-dev chromium time)

# Configures and builds one architecture into build/<arch>.
build_arch() {
    local arch=$1
    shift
    cmake -S "$ROOT" -B "$ROOT/build/$arch" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
    ninja -C "$ROOT/build/$arch"
}

# The Wine prefix of one build folder. Its server runs persistent with its output
# detached, so that pipes inherited by Wine's background processes never hold up a
# pipeline; stop_wine ends it.
use_wine_prefix() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEARCH=win64
    # No prompts to install Mono or Gecko, which these programs never use.
    export WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
}

start_wine() {
    wineserver -p </dev/null >/dev/null 2>&1
    wineboot -i </dev/null >/dev/null 2>&1
    # Wine draws the windows' frames and captions itself, so screenshots show them even
    # where no window manager runs.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
    # Wine waits up to two seconds for a window manager to withdraw each window it hides, so
    # on a display without one (Xvfb) every program took four seconds more to end. There
    # Wine places its windows itself; on a desktop with a window manager, that one does.
    local managed=Y
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || managed=N
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d "$managed" /f </dev/null >/dev/null 2>&1
    use_dialog_face
    use_caption_symbols
}

# Wine draws the caption's buttons with its own symbol font, Marlett, which fonts-wine puts in
# Wine's data folder; this Wine reads no font from there, only those of the prefix's Fonts
# folder, so the close button showed the letter "r" where its cross belongs. Both the 64-bit
# Wine and the emulated 32-bit one read the prefix's copy. Only Marlett: the texts' faces are
# settled by use_dialog_face, and the tests that measure them were made against that.
use_caption_symbols() {
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    [ -f "$fonts/marlett.ttf" ] || cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
}

# The dialog asks for "Microsoft Sans Serif" by name (DS_SETFONT, not the MS Shell Dlg of
# DS_SHELLFONT). No font substitute names it and no face of that name exists here, so Wine fell
# back past its defaults (Arial, Liberation Sans, Bitstream Vera Sans; none installed) to DejaVu
# Sans, wider than the dialog was laid out for, and texts were cut. A replacement is skipped
# unless its face is loaded, and this Wine loads none of its own (/usr/share/wine/fonts), so
# Wine's Tahoma and MS Sans Serif (bitmap-only besides) never took. Arimo has Arial's widths,
# which the Windows face shares (Liberation Sans has them too, but its hinted "t" inks a pixel
# past its advance, cut at a right-aligned edge). Read at each program's start.
use_dialog_face() {
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft Sans Serif' \
        /d Arimo /f </dev/null >/dev/null 2>&1
}

# A display of the prefix's own, a second Xvfb, for a prefix whose programs run beside those
# of another prefix: on one display, a window one Wine activates takes the keyboard focus from
# the other Wine's windows. Its number is kept in the prefix, where use_prefix_display and the
# tests' runner read it.
start_prefix_display() {
    stop_prefix_display
    local number="$WINEPREFIX/.display"
    rm -f "$number"
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$number" </dev/null >/dev/null 2>&1 &
    echo $! >"$WINEPREFIX/.display.pid"
    local i
    for i in $(seq 100); do
        [ -s "$number" ] && break
        sleep 0.1
    done
    [ -s "$number" ] || return 1
    use_prefix_display
}

use_prefix_display() {
    if [ -s "$WINEPREFIX/.display" ]; then
        DISPLAY=":$(cat "$WINEPREFIX/.display")"
        export DISPLAY
    fi
}

# Ends the prefix's display, by the process id it recorded, and only if that is still an Xvfb.
stop_prefix_display() {
    local pidfile="$WINEPREFIX/.display.pid" pid
    [ -f "$pidfile" ] || return 0
    pid=$(cat "$pidfile")
    if [ -n "$pid" ] && grep -qa Xvfb "/proc/$pid/cmdline" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
    fi
    rm -f "$pidfile" "$WINEPREFIX/.display"
}

stop_wine() {
    [ -n "${WINEPREFIX:-}" ] || return 0
    wineserver -k </dev/null >/dev/null 2>&1 || true
    wineserver -w </dev/null >/dev/null 2>&1 || true
}

# Registers the stand-in engine in the current prefix (it refuses anywhere but in Wine).
register_standin() {
    wine regsvr32 /s "$(winepath -w "$ROOT/build/x86_64/bin/tarvell_standin.dll")" </dev/null >/dev/null 2>&1
}

# The Windows paths of a spoken corpus's files (DIR/files.txt), one a line.
corpus_windows_paths() {
    local name
    while IFS= read -r name; do
        winepath -w "$1/$name" </dev/null
    done <"$1/files.txt"
}

# Builds the recogniser service into build/recogniser (host compiler, not the cross build).
build_recogniser() {
    cmake -S "$ROOT/recogniser" -B "$ROOT/build/recogniser" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null &&
        ninja -C "$ROOT/build/recogniser" >/dev/null
}

# Builds tarvell-report natively (host compiler) into build/report, or with "sanitize" the
# variant under AddressSanitizer and UndefinedBehaviorSanitizer into build/report-sanitize.
build_report() {
    local dir="$ROOT/build/report" flags=(-DCMAKE_BUILD_TYPE=Release)
    if [ "${1:-}" = sanitize ]; then
        dir="$ROOT/build/report-sanitize"
        flags=(-DCMAKE_BUILD_TYPE=Debug -DTARVELL_REPORT_SANITIZE=ON)
    fi
    cmake -S "$ROOT/report" -B "$dir" -G Ninja "${flags[@]}" >/dev/null &&
        ninja --quiet -C "$dir"
}

# Renders an HTML page (tarvell-report --html) to a PNG with headless chromium, as the report's
# browser test does. Helpers that outlive the browser for a moment are waited for, and ended
# by their process ids, found by this run's own profile folder.
render_page() {
    local page=$1 png=$2 profile status=0 pids
    profile=$(mktemp -d)
    timeout -k 5 90 chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
        --no-first-run --disable-crash-reporter --user-data-dir="$profile" \
        --window-size=1300,4200 --screenshot="$png" "file://$(realpath "$page")" \
        </dev/null >/dev/null 2>&1 || status=$?
    for _ in $(seq 50); do
        pids=$(pgrep -f -- "--user-data-dir=$profile" || true)
        [ -z "$pids" ] && break
        sleep 0.1
    done
    [ -n "$pids" ] && kill -9 $pids 2>/dev/null
    rm -rf "$profile"
    return $status
}

# Starts the recogniser service with its files in DIR and waits until its model is loaded.
# The kernel picks a free loopback port, so runs side by side never collide; it is written to
# DIR/port and set as RECOGNISER_PORT, the process id as RECOGNISER_PID and in DIR/pid.
start_recogniser() {
    local dir=$1
    mkdir -p "$dir"
    rm -f "$dir/port" "$dir/pid"
    "$ROOT/build/recogniser/tarvell_recogniser" --serve --port-file "$dir/port" \
        --log "$dir/service.log" </dev/null >"$dir/stdout.log" 2>"$dir/stderr.log" &
    RECOGNISER_PID=$!
    echo "$RECOGNISER_PID" >"$dir/pid"
    local tries
    for tries in $(seq 600); do
        [ -s "$dir/port" ] && break
        kill -0 "$RECOGNISER_PID" 2>/dev/null || return 1
        sleep 0.1
    done
    if [ ! -s "$dir/port" ]; then
        stop_recogniser "$dir"
        return 1
    fi
    RECOGNISER_PORT=$(cat "$dir/port")
}

# Stops the service that start_recogniser started with this DIR.
stop_recogniser() {
    local dir=$1 pid
    [ -s "$dir/pid" ] || return 0
    pid=$(cat "$dir/pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    rm -f "$dir/pid" "$dir/port"
}

# The emulated 32-bit Wine for the shipped program's tests (its own file, for clarity).
source "$ROOT/scripts/emu32.sh"
