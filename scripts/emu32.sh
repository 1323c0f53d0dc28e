# The emulated 32-bit Wine: Debian's i386 Wine run by qemu-i386, unpacked into
# build/emu32 from Debian packages and never installed on the system (wine32 would change
# what `wine` runs for everything else). Sourced by lib.sh, not run.
#
#   build/emu32/root                 the i386 packages, unpacked (dpkg -x), with its own
#                                    library cache
#   build/emu32/root/usr/lib/wine    `wine`: the 32-bit loader under qemu (the emulator of the
#                                    i686 tests); `wine64`: a copy of the system's

EMU32_DIR="$ROOT/build/emu32"
EMU32_ROOT="$EMU32_DIR/root"
EMU32_LOADER="$EMU32_ROOT/usr/lib/wine/wine"
EMU32_TEST_RUNNER="$EMU32_DIR/run-test"
# The host side: qemu, and the compiler and linker for the small reservation library.
EMU32_HOST_PACKAGES=(qemu-user gcc binutils)
# Wine and what its 32-bit Unix libraries load: X11 for the windows, FreeType and
# Fontconfig for the text. libz-mingw-w64 holds the zlib1.dll the 32-bit user32 imports.
EMU32_I386_PACKAGES=(
    wine32 libwine libc6 libgcc-s1 zlib1g libx11-6 libxext6 libxcb1 libxau6 libxdmcp6 libbsd0
    libmd0 libxrender1 libxi6 libxrandr2 libxfixes3 libxcursor1 libxinerama1 libxcomposite1
    libxxf86vm1 libfreetype6 libpng16-16 libbrotli1 libbz2-1.0 libfontconfig1 libexpat1
)
EMU32_ALL_PACKAGES=(libz-mingw-w64)

emu32_fail() {
    echo "emu32: $*" >&2
    return 1
}

# Unpacks the root and writes the loader, unless a complete one for this list is there.
setup_emu32() {
    local stamp="$EMU32_ROOT/.complete"
    local want
    want=$(printf '%s\n' "${EMU32_I386_PACKAGES[@]}" "${EMU32_ALL_PACKAGES[@]}" |
        cat - "$ROOT"/scripts/emu32/*.c "$ROOT/scripts/emu32.sh" | sha256sum | cut -d' ' -f1)
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && [ -x "$EMU32_LOADER" ]; then
        return 0
    fi
    ensure_packages "${EMU32_HOST_PACKAGES[@]}" || emu32_fail "could not install ${EMU32_HOST_PACKAGES[*]}" || return 1
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386 || emu32_fail "could not add the i386 architecture" || return 1
    fi
    if ! apt-cache show wine32:i386 >/dev/null 2>&1; then
        # A mirror that is mid-sync fails some indexes; the ones needed are checked below.
        $sudo apt-get update -q >/dev/null 2>&1 || true
    fi
    local pkgs=() pkg
    for pkg in "${EMU32_I386_PACKAGES[@]}"; do pkgs+=("$pkg:i386"); done
    pkgs+=("${EMU32_ALL_PACKAGES[@]}")
    rm -rf "$EMU32_ROOT" "$EMU32_DIR/debs"
    mkdir -p "$EMU32_DIR/debs" "$EMU32_ROOT"
    # _apt cannot write under build/ when run as root; apt then downloads as root.
    (cd "$EMU32_DIR/debs" && apt-get download -q "${pkgs[@]}" >/dev/null 2>"$EMU32_DIR/download.log") ||
        emu32_fail "apt-get download of the i386 packages failed (see $EMU32_DIR/download.log)" || return 1
    local deb
    for deb in "$EMU32_DIR"/debs/*.deb; do
        dpkg -x "$deb" "$EMU32_ROOT" || emu32_fail "could not unpack $deb" || return 1
    done
    [ -f "$EMU32_ROOT/usr/lib/wine/wine" ] || emu32_fail "no 32-bit loader in the packages" || return 1

    # The guest's ld.so reads /etc inside the root (qemu -L looks there first): its own cache,
    # or it takes the host's, which points at the host's /lib32 and misses the root's
    # libraries (FreeType among them).
    printf '/lib/i386-linux-gnu\n/usr/lib/i386-linux-gnu\n' >"$EMU32_ROOT/etc/ld.so.conf"
    ldconfig -r "$EMU32_ROOT" -X || emu32_fail "ldconfig for the root failed" || return 1
    # The libraries every 32-bit process loads first (each file says why it is there).
    local preload name
    : >"$EMU32_ROOT/etc/ld.so.preload"
    for preload in "$ROOT"/scripts/emu32/*.c; do
        name=$(basename "$preload" .c)
        gcc -m32 -O2 -fPIC -ffreestanding -c "$preload" -o "$EMU32_DIR/$name.o" &&
            ld -m elf_i386 -shared -o "$EMU32_ROOT/usr/lib/wine/$name.so" \
                "$EMU32_DIR/$name.o" "$EMU32_ROOT/lib/i386-linux-gnu/libc.so.6" ||
            emu32_fail "could not build $name.so" || return 1
        echo "/usr/lib/wine/$name.so" >>"$EMU32_ROOT/etc/ld.so.preload"
    done
    # Both loaders must agree on wine.inf's time, or each start counts as a prefix update.
    touch -r /usr/share/wine/wine.inf "$EMU32_ROOT/usr/share/wine/wine.inf"
    # Wine starts a program through the loader in its own folder, the one the running loader
    # was started from: there `wine` must be this script (the 32-bit file itself cannot be
    # exec'd here), `wine64` a copy of the system's, so that its own folder is this one too.
    mv "$EMU32_ROOT/usr/lib/wine/wine" "$EMU32_ROOT/usr/lib/wine/wine-i386"
    cp /usr/lib/wine/wine64 "$EMU32_ROOT/usr/lib/wine/wine64"
    ln -sf /usr/lib/wine/wineserver "$EMU32_ROOT/usr/lib/wine/wineserver"
    # That copy finds its ntdll.so beside its folder, as the system one does.
    mkdir -p "$EMU32_ROOT/usr/lib/x86_64-linux-gnu"
    ln -sfn /usr/lib/x86_64-linux-gnu/wine "$EMU32_ROOT/usr/lib/x86_64-linux-gnu/wine"
    cat >"$EMU32_LOADER" <<EOF
#!/bin/sh
# The 32-bit Wine loader under qemu-i386 (written by scripts/emu32.sh).
if [ ! -x "$EMU32_ROOT/usr/lib/wine/wine-i386" ] || [ ! -x /usr/bin/qemu-i386 ]; then
    echo "emu32: the emulated 32-bit Wine is not set up (qemu-user or $EMU32_ROOT missing); scripts/test sets it up" >&2
    exit 127
fi
# 64-bit Wine looks for the 32-bit builtin programs it starts here.
export WINEDLLPATH="$EMU32_ROOT/usr/lib/i386-linux-gnu/wine"
# Debian ships no preloader to exec first.
export WINELOADERNOEXEC=1
exec /usr/bin/qemu-i386 -L "$EMU32_ROOT" -0 "$EMU32_LOADER" "$EMU32_ROOT/usr/lib/wine/wine-i386" "\$@"
EOF
    chmod +x "$EMU32_LOADER"
    cat >"$EMU32_TEST_RUNNER" <<EOF
#!/bin/sh
# CTest's emulator for the 32-bit tests (written by scripts/emu32.sh). A test that CTest
# kills at its time limit leaves its program running, and one copy runs per session: end
# it first, so that one hung test fails alone. Wine no longer lists a program hung under
# qemu, so taskkill cannot end it; its Linux process still holds the one-copy mutex.
# Only the programs of these tests are ended: each test carries this tree's mark in its
# environment, which Wine hands on to every process it starts, so a Tarvell of any other
# run (another clone's tests, a user's own session) is left alone.
mark="TARVELL_TESTS_OF=$EMU32_TESTS_DIR"
for proc in /proc/[0-9]*; do
    tr '\\0' '\\n' 2>/dev/null <"\$proc/environ" | grep -qxF "\$mark" || continue
    tr '\\0' ' ' 2>/dev/null <"\$proc/cmdline" | grep -q '[\\\\/]tarvell\.exe *\$' || continue
    kill -KILL "\${proc#/proc/}" 2>/dev/null
done
export "\$mark"
# The tests leave out what only the in-process probe can read: its hook hangs the program here.
export TARVELL_EMULATED=1
exec "$EMU32_LOADER" "\$@"
EOF
    chmod +x "$EMU32_TEST_RUNNER"
    echo "$want" >"$stamp"
}

# Makes the current prefix ready for 32-bit programs: syswow64 holds Wine's i386 DLLs
# (links into the root) and zlib1.dll. Run after start_wine.
emu32_fill_prefix() {
    local wow="$WINEPREFIX/drive_c/windows/syswow64" dll name
    mkdir -p "$wow"
    for dll in "$EMU32_ROOT"/usr/lib/i386-linux-gnu/wine/i386-windows/*; do
        name=$(basename "$dll")
        [ -e "$wow/$name" ] || ln -s "$dll" "$wow/$name"
    done
    cp "$EMU32_ROOT/usr/i686-w64-mingw32/lib/zlib1.dll" "$wow/"
}

# Runs a quick 32-bit program and says why when the emulation cannot start.
emu32_check() {
    local out
    if ! out=$(timeout 60 "$EMU32_LOADER" 'C:\windows\syswow64\cmd.exe' /c echo emu32-ready 2>&1 </dev/null) ||
        ! grep -q emu32-ready <<<"$out"; then
        emu32_fail "the emulated 32-bit Wine cannot start a program: $out"
        return 1
    fi
}

# The scenarios the 32-bit program runs: the end-to-end suites, among them one session
# through every main path written out on both builds and compared (start-up fields and the
# engine's journal, report lines, saved and exported files, Reset All, a file
# transcription, failure boxes, exit with nothing left); every engine failure at every step
# (the failure sweep, its icons left to the x86_64 run); the screenshot scripts/run takes of
# it; and a Tarvell of another prefix that must outlive them all.
EMU32_SCENARIOS='^(StartUp|Ending|SingleInstance|ResultsList|Profile|SpeedAccuracy|DictationTarget|Measuring|Audio|SignalToNoise|Records|SaveLog|Export|Comparison|FailureSweep)\.|^(standin_register|compare_with_x86_64|demo_corpus|demo_screenshot|bystander_start|bystander_survives)$'
# Left out: the tests that ask the in-process probe for what they check. Under qemu the
# 32-bit program hangs each time the probe's message hook loads into it (its one thread waits
# on the server for good), and the test times out.
EMU32_LEFT_OUT='^(Profile\.WithoutAUser|Audio\.TranscribingKeepsTheDialogBusy|Audio\.AnEmptyPathIsRefused|Measuring\.HundredsOfResults)'

# The i686 tree with the end-to-end tests (driver, probe and stand-in all 32-bit), whose
# CTest emulator is the emulated loader.
EMU32_TESTS_DIR="$ROOT/build/i686-tests"
configure_emu32_tests() {
    cmake -S "$ROOT" -B "$EMU32_TESTS_DIR" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_CROSSCOMPILING_EMULATOR="$EMU32_TEST_RUNNER" >/dev/null
}

build_emu32_tests() {
    configure_emu32_tests &&
        ninja -C "$EMU32_TESTS_DIR" tarvell tarvell_standin tarvell_probe wine_desktop tarvell_demo \
            shell_tests engine_session_tests measuring_tests audio_tests records_tests comparison_tests \
            failure_sweep_tests
}

# What scripts/run takes its screenshot with: the program, its stand-in and the demo.
build_emu32_demo() {
    configure_emu32_tests && ninja -C "$EMU32_TESTS_DIR" tarvell tarvell_standin tarvell_demo
}
