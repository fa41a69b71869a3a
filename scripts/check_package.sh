#!/usr/bin/env bash
# The Debian package as its user gets it:
#   scripts/check_package.sh [BUILD]   BUILD defaults to build/ and must be built
# makes the .deb with cpack from the built folder (no second build), checks its
# control fields and its file list, unpacks it into a scratch root, runs the
# unpacked programs (the window through its desktop entry's Exec on a virtual
# display, as a user who cannot write the program's folder where that can be
# arranged) and validates the desktop entry, the metainfo, the man pages and
# the bash completion. Any problem stops it with "package check: FAILED".
set -euo pipefail

icon_sizes=(16 24 32 48 64 128 256)

fail() {
    echo "package check: FAILED: $*" >&2
    exit 1
}

# Internal: runs inside xvfb-run. Starts the desktop entry's command, reads the
# class of its window, stops it, then starts it again for a screenshot.
if [ "${1:-}" = "--on-display" ]; then
    shift
    shot=$1
    shift
    "$@" >/dev/null 2>&1 &
    pid=$!
    window=
    for _ in $(seq 150); do
        window=$(xwininfo -root -tree 2>/dev/null | awk '/"Torvane V[0-9]+"/ { print $1; exit }')
        [ -n "$window" ] && break
        sleep 0.1
    done
    wm_class=
    [ -n "$window" ] && wm_class=$(xprop -id "$window" WM_CLASS 2>/dev/null || true)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$window" ] || { echo "no window appeared" >&2; exit 1; }
    echo "$wm_class"
    "$@" --screenshot "$shot" >/dev/null
    exit 0
fi

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
[ -x "$build/torvane" ] && [ -x "$build/torvane-cli" ] || fail "$build holds no built torvane and torvane-cli"

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"
# The reverse-DNS name, as CMakeLists.txt sets it once for the build.
app_id=$(sed -n 's/^#define TORVANE_APP_ID "\(.*\)"$/\1/p' "$build/generated/torvane/version.h")
[[ "$app_id" == *.*.* && "$app_id" != org.example.* ]] || fail "the app id '$app_id' is no reverse-DNS name of the project"
arch=$(dpkg --print-architecture)
deb="$build/torvane_${version}_${arch}.deb"

scratch=$(mktemp -d)
cleanup() {
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
# A user without rights of its own must reach the unpacked tree.
chmod 0755 "$scratch"

echo "== package: cpack -G DEB"
rm -f "$deb"
(cd "$build" && cpack -G DEB) >"$scratch/cpack.log" 2>&1 || { cat "$scratch/cpack.log"; fail "cpack"; }
[ -f "$deb" ] || fail "cpack made no $deb"

echo "== package: control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = torvane ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', the project's is $version"
case "$(field Section)" in devel | electronics) ;; *) fail "Section is '$(field Section)'" ;; esac
[[ "$(field Maintainer)" == *"<"*"@"*">" ]] || fail "Maintainer is '$(field Maintainer)'"
depends=$(field Depends)
for d in fonts-wqy-microhei qt6-translations-l10n libqt6widgets6 libc6 libstdc++6; do
    [[ ", $depends," == *", $d"[\ ,]* ]] || fail "Depends lacks $d: $depends"
done
# Every dependency is satisfiable here, where the package was built.
apt-get install -s -qq "$deb" >"$scratch/apt.log" 2>&1 || { cat "$scratch/apt.log"; fail "the package would not install"; }

echo "== package: files"
expected=(
    usr/bin/torvane
    usr/bin/torvane-cli
    "usr/share/applications/$app_id.desktop"
    "usr/share/metainfo/$app_id.metainfo.xml"
    "usr/share/mime/packages/$app_id.xml"
    "usr/share/icons/hicolor/scalable/apps/$app_id.svg"
    usr/share/man/man1/torvane-cli.1.gz
    usr/share/man/man1/torvane.1.gz
    usr/share/bash-completion/completions/torvane-cli
    usr/share/doc/torvane/copyright
    usr/share/doc/torvane/changelog.Debian.gz
)
for s in "${icon_sizes[@]}"; do expected+=("usr/share/icons/hicolor/${s}x${s}/apps/$app_id.png"); done
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' | sort >"$scratch/files"
printf '%s\n' "${expected[@]}" | sort >"$scratch/expected"
diff -u "$scratch/expected" "$scratch/files" || fail "the package's files differ from the expected list (- missing, + unexpected)"

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
share="$root/usr/share"

for s in "${icon_sizes[@]}"; do
    png="$share/icons/hicolor/${s}x${s}/apps/$app_id.png"
    # PNG signature, then the IHDR chunk's width and height, big-endian.
    read -r -a b <<<"$(od -An -tu1 -w24 -N24 "$png")"
    [ "${b[1]}${b[2]}${b[3]}" = 807871 ] || fail "$png is not a PNG"
    w=$(((b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19]))
    h=$(((b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23]))
    [ "$w" = "$s" ] && [ "$h" = "$s" ] || fail "$png is ${w}x${h}, not ${s}x${s}"
done

echo "== package: copyright and changelog"
doc="$share/doc/torvane"
head -n 1 "$doc/copyright" | grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "the copyright file is not in the machine-readable format"
grep -q '^Files: \*$' "$doc/copyright" || fail "the copyright file has no Files: * paragraph"
top=$(zcat "$doc/changelog.Debian.gz" | head -n 1)
[[ "$top" == "torvane ($version) "* ]] || fail "the changelog's newest entry is '$top', the project is $version"
if command -v lintian >/dev/null; then
    # Errors fail the check; the warnings kept are listed in the README.
    lintian --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1 || true
    cat "$scratch/lintian.log"
    ! grep -q '^E: ' "$scratch/lintian.log" || fail "lintian reports errors"
else
    fail "lintian is not installed (Debian package lintian)"
fi

echo "== package: desktop entry and metainfo"
desktop="$share/applications/$app_id.desktop"
metainfo="$share/metainfo/$app_id.metainfo.xml"
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$metainfo" >"$scratch/as.log" 2>&1 || { cat "$scratch/as.log"; fail "appstreamcli validate"; }
# The tree as a whole: the metainfo's launchable, the entry and its icon.
appstreamcli validate-tree --no-net "$root" >"$scratch/as.log" 2>&1 || { cat "$scratch/as.log"; fail "appstreamcli validate-tree"; }
release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -n 1)
[ "$release" = "$version" ] || fail "the metainfo's newest release is '$release', the project is $version"
entry() { sed -n "s/^$1=//p" "$desktop"; }
exec_line=$(entry Exec)
[ -x "$bin/${exec_line%% *}" ] || fail "Exec=$exec_line names no program of the package"
[ "$(entry Icon)" = "$app_id" ] || fail "Icon=$(entry Icon) is not the installed icon $app_id"

echo "== package: MIME types"
# The entry's types are known once the package's MIME file joins the shared
# database (as the database's own trigger makes it join when installed), and
# the names of the formats the rows read map to them.
mime="$scratch/mime"
mkdir -p "$mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/$app_id.xml" "$mime/packages/"
xmllint --noout "$share/mime/packages/$app_id.xml" || fail "the MIME file is not well-formed XML"
XDG_DATA_DIRS="$scratch" update-mime-database "$mime" >"$scratch/mime.log" 2>&1 ||
    { cat "$scratch/mime.log"; fail "update-mime-database"; }
[ ! -s "$scratch/mime.log" ] || { cat "$scratch/mime.log"; fail "update-mime-database warns about the MIME file"; }
mime_types=$(entry MimeType)
[ -n "$mime_types" ] || fail "the desktop entry declares no MimeType"
for type in ${mime_types//;/ }; do
    grep -qx "$type" "$mime/types" || fail "MimeType $type is in no MIME package"
done
for pair in text/x-hex:hex text/x-hex:ihx text/x-srecord:srec text/x-srecord:s19 text/x-srecord:s28 \
    text/x-srecord:s37 text/x-srecord:mot; do
    type=${pair%%:*}
    grep -q ":$type:\*\.${pair#*:}\(:\|$\)" "$mime/globs2" || fail "*.${pair#*:} is not $type"
    [[ ";$mime_types" == *";$type;"* ]] || fail "the desktop entry does not open $type"
done
[[ ";$mime_types" == *";application/x-executable;"* ]] || fail "the desktop entry does not open ELF files"
# The project file is not the program's to claim.
! grep -qi 'ini' <<<"$mime_types" || fail "the desktop entry claims project files: $mime_types"

echo "== package: torvane-cli --version, man pages, bash completion"
cli_version=$("$bin/torvane-cli" --version)
[ "$cli_version" = "torvane-cli $version" ] || fail "torvane-cli --version says '$cli_version'"
for page in torvane-cli torvane; do
    man_file="$root/usr/share/man/man1/$page.1.gz"
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$man_file" 2>&1 >/dev/null) || fail "man $page: $warnings"
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
# Every command and option of the usage text has its place in the man page and
# in the completion, so a new one cannot be forgotten there.
usage=$("$bin/torvane-cli" --help)
man_text=$(zcat "$root/usr/share/man/man1/torvane-cli.1.gz")
completion="$share/bash-completion/completions/torvane-cli"
for cmd in $(sed -n 's/^  torvane-cli \([a-z][a-z0-9-]*\).*/\1/p' <<<"$usage"); do
    grep -qxF ".B torvane\\-cli ${cmd//-/\\-}" <<<"$man_text" || fail "the man page has no synopsis line for $cmd"
    grep -qw -- "$cmd" "$completion" || fail "the completion does not offer $cmd"
done
for option in -o $(grep -o -- '--[a-z][a-z-]*' <<<"$usage" | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$man_text" || fail "the man page does not name $option"
    grep -qw -- "$option" "$completion" || fail "the completion does not offer $option"
done
# bash-completion finds the file through the installed tree, as it would in /usr.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    offered=$(XDG_DATA_DIRS="$share" PATH="$bin:$PATH" bash -c '
        source /usr/share/bash-completion/bash_completion
        __load_completion torvane-cli || exit 1
        COMP_WORDS=(torvane-cli merge --on-overlap ""); COMP_CWORD=3
        _torvane_cli; echo "${COMPREPLY[*]}"') || fail "bash-completion does not load the completion"
    [ "$offered" = "force append cancel" ] || fail "completion of --on-overlap offers '$offered'"
fi

echo "== package: defaults of the installed window"
# As /usr/bin is for its users, the unpacked program's folder is made
# read-only; the defaults then go to the documents folder user-dirs.dirs names.
chmod a-w "$bin"
run_as() { "$@"; }
users=("$(id -un)")
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
    users+=(nobody)
fi
for user in "${users[@]}"; do
    home="$scratch/home-$user"
    mkdir -p "$home/.config" "$home/文档"
    printf 'XDG_DESKTOP_DIR="$HOME/Desktop"\nXDG_DOCUMENTS_DIR="$HOME/文档"\n' >"$home/.config/user-dirs.dirs"
    printf '\x11\x22' >"$home/a.bin"
    printf '\x33' >"$home/b.bin"
    if [ "$user" = nobody ]; then
        chown -R 65534:65534 "$home"
        run_as() { setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"; }
    fi
    as_user=(run_as env -u XDG_CONFIG_HOME HOME="$home")

    defaults=$(cd "$home" && "${as_user[@]}" "$bin/torvane" --print-defaults) || fail "torvane --print-defaults as $user"
    merge_out=$(sed -n 's/^merge output: //p' <<<"$defaults")
    test_file=$(sed -n 's/^test file: //p' <<<"$defaults")
    [ "$merge_out" = "$home/文档/Merge.Bin" ] || fail "as $user the merge output defaults to '$merge_out'"
    [ "$test_file" = "$home/文档/Test.bin" ] || fail "as $user the test file defaults to '$test_file'"
    (cd "$home" && "${as_user[@]}" "$bin/torvane-cli" merge -o "$merge_out" a.bin --offset 4 --fill FF b.bin) \
        >"$scratch/merge.log" 2>&1 || { cat "$scratch/merge.log"; fail "as $user the merge into '$merge_out' failed"; }
    [ "$(od -An -tx1 "$merge_out" | tr -d ' \n')" = 1122ffff33 ] || fail "as $user the merge wrote a wrong image"
    (cd "$home" && "${as_user[@]}" "$bin/torvane-cli" testbin -o "$test_file" --length 16 --fill 5A) \
        >"$scratch/testbin.log" 2>&1 || { cat "$scratch/testbin.log"; fail "as $user the test file '$test_file' failed"; }
    [ "$(stat -c %s "$test_file")" = 16 ] || fail "as $user the test file is not 16 bytes"
    echo "as $user: Merge.Bin and Test.bin go to $home/文档 and are written"
done

echo "== package: the desktop entry's Exec on a virtual display, as ${users[-1]}"
# The window runs as the last user above, with that user's home.
shot_dir="$scratch/shot"
mkdir -p "$shot_dir/runtime"
chmod 0700 "$shot_dir/runtime"
[ "${users[-1]}" = nobody ] && chown -R 65534:65534 "$shot_dir"
# This script runs itself on the display, from a copy that user can reach.
cp "${BASH_SOURCE[0]}" "$scratch/check_package.sh"
chmod 0755 "$scratch/check_package.sh"
# shellcheck disable=SC2086 # Exec is a command line: its words are split.
wm_class=$(cd "$shot_dir" && "${as_user[@]}" TMPDIR="$shot_dir" XDG_RUNTIME_DIR="$shot_dir/runtime" PATH="$bin:$PATH" \
    timeout 120 xvfb-run -a -s "-screen 0 1280x800x24" "$scratch/check_package.sh" --on-display "$shot_dir/window.png" \
    $exec_line) || fail "the desktop entry's Exec did not show its window"
wm_class_expected=$(entry StartupWMClass)
[[ "$wm_class" == *"\"$wm_class_expected\"" ]] || fail "StartupWMClass=$wm_class_expected, but the window has $wm_class"
[ -s "$shot_dir/window.png" ] || fail "the window's screenshot is missing"
cp "$shot_dir/window.png" "$build/torvane-package-screenshot.png"
echo "window class: ${wm_class#*= }; the installed window is pictured in $build/torvane-package-screenshot.png"

echo "package check: $deb passed"
