# What the Windows release holds and how its pieces are made; shared by scripts/package
# and the package tests. Sourced after lib.sh, not run.

# In the archive's order: the programs, the user's guide, the notices.
PACKAGED_PROGRAMS=(tarvell.exe tarvell-report.exe)
PACKAGED_FILES=("${PACKAGED_PROGRAMS[@]}" README.txt NOTICES.txt)

# The version, as src/resources/version.h gives it to the version record and the build.
tarvell_version() {
    sed -n 's/^#define TARVELL_VERSION_TEXT "\(.*\)"$/\1/p' "$ROOT/src/resources/version.h"
}

# Strips SOURCE into TARGET. strip stamps the PE header with the current time unless
# SOURCE_DATE_EPOCH fixes it.
strip_program() {
    : "${SOURCE_DATE_EPOCH:?}"
    i686-w64-mingw32-strip --strip-all -o "$2" "$1"
}

to_crlf() {
    sed -e 's/\r$//' -e 's/$/\r/'
}

# The libraries that -static puts into the programs, found where the i686 compiler takes them.
STATIC_LIBRARIES=(crt2.o libmingwex.a libmsvcrt.a libwinpthread.a libgcc.a libgcc_eh.a libstdc++.a)

# The licence texts of the statically linked runtime, from the Debian packages that installed
# it, one section per distinct copyright file.
write_notices() {
    local library path package copyright
    local -A libraries_of=() packages_of=()
    local order=()
    for library in "${STATIC_LIBRARIES[@]}"; do
        path=$(realpath "$(i686-w64-mingw32-g++-posix -print-file-name="$library")")
        package=$(dpkg -S "$path" | cut -d: -f1)
        copyright=$(realpath "/usr/share/doc/$package/copyright")
        if [ -z "${libraries_of[$copyright]:-}" ]; then
            order+=("$copyright")
        fi
        libraries_of[$copyright]+=" $library"
        case " ${packages_of[$copyright]:-} " in
        *" $package "*) ;;
        *) packages_of[$copyright]+=" $package $(dpkg-query -W -f='${Version}' "$package")" ;;
        esac
    done
    cat <<'EOF'
Tarvell's programs are linked statically with the runtime of the mingw-w64 GCC
compiler: the mingw-w64 C runtime and its winpthreads library, and GCC's libgcc and
libstdc++, which the GCC Runtime Library Exception (below) lets programs carry under
terms of their own. Their copyright and licence notices follow, as the Debian packages
that supplied them state them.
EOF
    for copyright in "${order[@]}"; do
        printf '\n%s\n' "========================================================================"
        printf 'Libraries:%s\n' "${libraries_of[$copyright]}"
        printf 'From the Debian packages (name version):%s\n' "${packages_of[$copyright]}"
        printf '%s\n\n' "========================================================================"
        cat "$copyright"
    done
}
