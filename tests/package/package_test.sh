#!/usr/bin/env bash
# Checks of the Windows release that scripts/package writes. CTest runs one check per test:
#   build         scripts/package in this checkout (the package the other checks share; after
#                 scripts/test has built build/i686 it only strips and zips)
#   reproducible  package a copy of the sources in another folder: the zips must be
#                 byte-identical
#   contents      the archive's files, their order, times and line ends, the checksum
#   pe            both programs: subsystem, DEP and ASLR, system DLLs only, manifest, stripped
#   version       version.h, the archive's name, the guide, the version records and
#                 tarvell-report --version all say the same
#   unpacked      the programs run from a freshly unpacked folder (needs 32-bit emulation)
# Usage: package_test.sh CHECK WORK_FOLDER [X86_64_BIN_FOLDER]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
source "$ROOT/scripts/package_lib.sh"

check=$1
work=$2
x86_64_bin=${3:-}

version=$(tarvell_version)
name="tarvell-$version-win32"
zip="$ROOT/build/dist/$name.zip"
# Both builds record the time of the commit they come from, as the shared build took it:
# a commit made while the checks run must not change it under them.
if [ "$check" != build ] && [ -f "$work/source_date_epoch" ]; then
    SOURCE_DATE_EPOCH=$(cat "$work/source_date_epoch")
fi
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct)}
export SOURCE_DATE_EPOCH TZ=UTC

failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}
expect_eq() {
    local what=$1 expected=$2 actual=$3
    if [ "$expected" == "$actual" ]; then
        echo "ok: $what: $actual"
    else
        fail "$what: expected '$expected', got '$actual'"
    fi
}

# Packages the working tree's sources (tracked and new files, as scripts/test sees them)
# from a copy in DEST.
package_copy() {
    local dest=$1
    rm -rf "$dest"
    mkdir -p "$dest"
    (cd "$ROOT" && git ls-files -co --exclude-standard -z | grep -zv '^build/' |
        tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$dest"
    "$dest/scripts/package"
}

unpack() {
    local into=$1
    rm -rf "$into"
    mkdir -p "$into"
    unzip -q "$zip" -d "$into"
}

# The programs' resources, as windres writes them back out as a script.
resources_of() {
    i686-w64-mingw32-windres -i "$1" -O rc
}

check_build() {
    rm -rf "$work"
    mkdir -p "$work"
    echo "$SOURCE_DATE_EPOCH" >"$work/source_date_epoch"
    "$ROOT/scripts/package"
    [ -f "$zip" ] || fail "no $zip"
}

check_reproducible() {
    local second="$work/a folder elsewhere/src"
    package_copy "$second"
    local other="$second/build/dist/$name.zip"
    if cmp "$zip" "$other"; then
        echo "ok: $zip and $other are byte-identical"
    else
        fail "two builds of the same sources differ"
        unpack "$work/first-unpacked"
        rm -rf "$work/second-unpacked" && mkdir -p "$work/second-unpacked"
        unzip -q "$other" -d "$work/second-unpacked"
        diff -r "$work/first-unpacked" "$work/second-unpacked" || true
        zipinfo "$zip" && zipinfo "$other"
    fi
    expect_eq "checksum of the second build" "$(cut -d' ' -f1 "$zip.sha256")" \
        "$(cut -d' ' -f1 "$other.sha256")"
}

check_contents() {
    local expected=("$name/")
    local file
    for file in "${PACKAGED_FILES[@]}"; do
        expected+=("$name/$file")
    done
    expect_eq "entries in order" "${expected[*]}" "$(zipinfo -1 "$zip" | tr '\n' ' ' | sed 's/ $//')"
    (cd "$(dirname "$zip")" && sha256sum --quiet -c "$name.zip.sha256") || fail "checksum file"

    # DOS times have two-second steps; zip rounds an odd second up.
    local stamp
    stamp=$(date -u -d "@$(((SOURCE_DATE_EPOCH + 1) / 2 * 2))" +%Y%m%d.%H%M%S)
    expect_eq "entry times" "$stamp" "$(zipinfo -T -l "$zip" | awk '/^[-d]/ {print $8}' | sort -u)"
    # Extra fields carry owner ids and further times, which differ between machines.
    expect_eq "extra fields" "0 bytes" \
        "$(zipinfo -v "$zip" | sed -n 's/^ *length of extra field: *//p' | sort -u)"

    local unpacked="$work/contents"
    unpack "$unpacked"
    local program
    for program in "${PACKAGED_PROGRAMS[@]}"; do
        strip_program "$ROOT/build/i686/bin/$program" "$work/stripped-$program"
        cmp "$work/stripped-$program" "$unpacked/$name/$program" ||
            fail "$program in the zip is not the build's, stripped"
    done

    for file in README.txt NOTICES.txt; do
        local path="$unpacked/$name/$file"
        expect_eq "$file: lines without CR LF" 0 "$(grep -c -v $'\r$' "$path" || true)"
        [ "$(tail -c 2 "$path" | od -An -tx1 | tr -d ' ')" == "0d0a" ] || fail "$file: last line end"
        if LC_ALL=C grep -n '@[A-Z_]*@' "$path"; then
            fail "$file: placeholder left"
        fi
    done
    local notice
    for notice in "GCC RUNTIME LIBRARY EXCEPTION" "winpthreads" "Upstream-Name: mingw-w64" \
        "libstdc++.a"; do
        grep -q -F "$notice" "$unpacked/$name/NOTICES.txt" || fail "NOTICES.txt lacks '$notice'"
    done
}

# Windows' own DLLs; anything else would have to be shipped beside the programs.
SYSTEM_DLLS=(ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL GDI32.DLL KERNEL32.DLL MSVCRT.DLL OLE32.DLL
    OLEAUT32.DLL SHELL32.DLL SHLWAPI.DLL USER32.DLL WS2_32.DLL)

check_pe() {
    local unpacked="$work/pe"
    unpack "$unpacked"
    # program, subsystem number, subsystem name
    local row program subsystem kind
    for row in "tarvell.exe 2 GUI" "tarvell-report.exe 3 console"; do
        read -r program subsystem kind <<<"$row"
        local exe="$unpacked/$name/$program" header
        header=$(i686-w64-mingw32-objdump -p "$exe")
        expect_eq "$program: format" "pei-i386" "$(i686-w64-mingw32-objdump -f "$exe" |
            sed -n 's/.*file format //p')"
        expect_eq "$program: subsystem ($kind)" "$subsystem" \
            "$((16#$(awk '$1 == "Subsystem" {print $2}' <<<"$header")))"
        local characteristics
        characteristics=$((16#$(awk '$1 == "DllCharacteristics" {print $2}' <<<"$header")))
        expect_eq "$program: DYNAMIC_BASE and NX_COMPAT" 320 $((characteristics & 0x140))
        local relocations
        relocations=$(awk '$1 == "Entry" && $2 == "5" {print $4}' <<<"$header")
        [ -n "$relocations" ] && [ $((16#$relocations)) -gt 0 ] ||
            fail "$program: no relocations, so ASLR cannot move it"
        expect_eq "$program: link time" "$(date -u -d "@$SOURCE_DATE_EPOCH" '+%a %b %e %H:%M:%S %Y')" \
            "$(awk -F'\t+' '$1 == "Time/Date" {print $2}' <<<"$header")"
        if i686-w64-mingw32-objdump -f "$exe" | grep -q -E 'HAS_SYMS|HAS_DEBUG'; then
            fail "$program: not stripped"
        fi
        local imports others
        imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$header" | tr '[:lower:]' '[:upper:]')
        [ -n "$imports" ] || fail "$program: no import table read"
        others=$(grep -v -x -F -f <(printf '%s\n' "${SYSTEM_DLLS[@]}") <<<"$imports" || true)
        expect_eq "$program: imports of DLLs that Windows lacks" "" "$others"
        local resources
        resources=$(resources_of "$exe")
        grep -q 'requestedExecutionLevel level=""asInvoker""' <<<"$resources" ||
            fail "$program: no manifest asking for asInvoker"
        expect_eq "$program: version record's file name" "$program" \
            "$(sed -n 's/.*VALUE "OriginalFilename", "\(.*\)"/\1/p' <<<"$resources")"
    done
}

check_version() {
    local header="$ROOT/src/resources/version.h" part numbers=()
    for part in MAJOR MINOR PATCH BUILD; do
        numbers+=("$(sed -n "s/^#define TARVELL_VERSION_$part \([0-9]*\)$/\1/p" "$header")")
    done
    expect_eq "version.h: the text and the numbers" "$(IFS=.; echo "${numbers[*]}")" "$version"
    [ -f "$zip" ] && echo "ok: archive name $(basename "$zip")" || fail "no archive named for $version"

    local unpacked="$work/version"
    unpack "$unpacked"
    local guide
    guide=$(tr -d '\r' <"$unpacked/$name/README.txt")
    expect_eq "guide's title" "Tarvell $version - user's guide" "$(head -1 <<<"$guide")"
    grep -q -F "prints \"tarvell-report $version\"" <<<"$guide" || fail "guide: report's version"

    local program resources
    for program in "${PACKAGED_PROGRAMS[@]}"; do
        resources=$(resources_of "$unpacked/$name/$program")
        expect_eq "$program: FILEVERSION" "${numbers[*]}" \
            "$(sed -n 's/^ FILEVERSION //p' <<<"$resources" | tr -d ',')"
        expect_eq "$program: PRODUCTVERSION" "${numbers[*]}" \
            "$(sed -n 's/^ PRODUCTVERSION //p' <<<"$resources" | tr -d ',')"
        expect_eq "$program: FileVersion" "$version" \
            "$(sed -n 's/.*VALUE "FileVersion", "\(.*\)"/\1/p' <<<"$resources")"
        expect_eq "$program: ProductVersion" "$version" \
            "$(sed -n 's/.*VALUE "ProductVersion", "\(.*\)"/\1/p' <<<"$resources")"
    done
    # The caption is fixed text of the dialog template; it names the first three numbers.
    expect_eq "dialog caption's version" "${version%.*}" \
        "$(resources_of "$unpacked/$name/tarvell.exe" | sed -n 's/^CAPTION ".*Version \(.*\)"$/\1/p')"

    local said
    if emulation_available; then
        said=$(run_32bit "$unpacked/$name/tarvell-report.exe" --version)
        echo "ran the packaged 32-bit tarvell-report.exe"
    else
        echo "NOTE: no 32-bit emulation here; --version of the x86_64 build of the same sources"
        : "${WINEPREFIX:?run under CTest from scripts/test, which sets up the Wine prefix}"
        said=$(wine "$x86_64_bin/tarvell-report.exe" --version </dev/null)
    fi
    expect_eq "tarvell-report --version" "tarvell-report $version" "$(tr -d '\r' <<<"$said")"
}

# A short saved session log: two utterances and the save marker, in the program's format.
write_saved_log() {
    printf '%s\r\n' \
        "Mirelle Session Started: Wednesday, December 9, 2026 15:00:00" \
        "Mirelle Log File Service, Tarvell's record of this session." "" \
        "Utterance #: 1      RTF: 0.412      2 alternate phrases in result" \
        "3 words in utterance, each with individual confidence scores:" "" \
        "87 : the" "91 : quick" "62 : fox" "" \
        "91 : quick <---> Maximum Score" "62 : fox <---> Minimum Score" "80 : <---> Average Score" \
        "-------------------------------------------------" "" \
        "Utterance #: 2      RTF: 0.250      1 alternate phrases in result" \
        "1 words in utterance, each with individual confidence scores:" "" "70 : jumps" "" \
        "70 : jumps <---> Maximum Score" "70 : jumps <---> Minimum Score" "70 : <---> Average Score" \
        "-------------------------------------------------" "" "" \
        "Session saved at: 15:01:00" "------------------------------------------" >"$1"
}

check_unpacked() {
    if ! emulation_available; then
        echo "NOT RUN: the packaged programs are 32-bit and this machine has no 32-bit"
        echo "emulation; only their bytes were checked (package_contents)."
        exit 77
    fi
    local unpacked="$work/unpacked"
    unpack "$unpacked"
    local folder="$unpacked/$name"
    write_saved_log "$folder/session.txt"

    # The packaged report on a saved log, from its own folder, against the x86_64 build.
    local packaged expected
    packaged=$(cd "$folder" && run_32bit tarvell-report.exe session.txt | tr -d '\r') ||
        fail "the packaged tarvell-report.exe failed on a saved log"
    expected=$(cd "$folder" && wine "$x86_64_bin/tarvell-report.exe" session.txt </dev/null |
        tr -d '\r')
    expect_eq "the packaged report of a saved log" "$expected" "$packaged"
    grep -q "^session.txt  *1  *2  *4 " <<<"$packaged" || fail "report: 1 segment, 2 utts, 4 words"

    # The program from the unpacked folder: its start-up, then OK on the box that says no
    # engine answers (none is registered for 32-bit programs here) or Exit on its dialog.
    wine "$x86_64_bin/package_end_tarvell.exe" --desktop </dev/null || fail "no Wine desktop"
    env -C "$folder" timeout 200 "$EMU32_LOADER" tarvell.exe </dev/null >/dev/null 2>&1 &
    local program=$!
    if ! wine "$x86_64_bin/package_end_tarvell.exe" </dev/null | tr -d '\r'; then
        fail "the packaged tarvell.exe was not ended as a user would"
        kill "$program" 2>/dev/null || true
    fi
    local code=0
    wait "$program" || code=$?
    expect_eq "the packaged tarvell.exe's exit code" 0 "$code"
}

# The emulated 32-bit Wine of scripts/emu32.sh, when scripts/test has set it up.
emulation_available() {
    declare -F emu32_check >/dev/null && [ -x "${EMU32_LOADER:-}" ] &&
        [ -d "${EMU32_ROOT:-}/usr/lib/wine" ] && emu32_fill_prefix && emu32_check
}

run_32bit() {
    "$EMU32_LOADER" "$@" </dev/null
}

"check_$check"
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) of '$check' failed"
    exit 1
fi
