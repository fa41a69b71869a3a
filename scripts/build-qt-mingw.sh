#!/usr/bin/env bash
# Builds the Qt that the Windows window (torvane.exe) is linked with: qtbase
# from Debian's own source package, the same version as the host's Qt, with
# Debian's patches, cross-compiled by MinGW-w64 for win32-g++, static,
# Release, with only what the window and its tests need. Debian's Qt of the
# host provides the build tools (moc, rcc, uic).
#
#   scripts/build-qt-mingw.sh            build it unless cached; print its prefix
#   scripts/build-qt-mingw.sh --prefix   print where it is (or would be) cached
#
# The result lives outside every build tree, in
#   ${XDG_CACHE_HOME:-$HOME/.cache}/torvane/qt-<Debian version>-<hash>
# where <hash> is this script's own, so a changed recipe builds afresh and
# an unchanged one is reused by every later run. The first build takes about
# 20 minutes on two cores. Progress goes to stderr, the prefix to stdout.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${TORVANE_QT_JOBS:-$(nproc 2>/dev/null || echo 2)}

host_qt=qt6-base-dev
src_package=$(dpkg-query -W -f='${source:Package}' "$host_qt")
src_version=$(dpkg-query -W -f='${source:Version}' "$host_qt")
script_hash=$(sha256sum "${BASH_SOURCE[0]}" | cut -c1-12)
cache="${XDG_CACHE_HOME:-$HOME/.cache}/torvane"
prefix="$cache/qt-$src_version-$script_hash"
stamp="$prefix/torvane-qt-complete"

if [ "${1:-}" = "--prefix" ]; then
    echo "$prefix"
    exit 0
fi
if [ -f "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

say() { echo "build-qt-mingw: $*" >&2; }
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# apt-get source needs a deb-src entry. Where the system has none, one is
# added beside its sources (the same archives, Types: deb-src) in a file of
# its own that can be deleted afterwards.
have_deb_src() {
    grep -Eqs '^[[:space:]]*deb-src[[:space:]]' /etc/apt/sources.list /etc/apt/sources.list.d/*.list ||
        grep -Eqs '^Types:.*deb-src' /etc/apt/sources.list.d/*.sources
}
if ! have_deb_src; then
    added=""
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        case "$f" in *torvane-deb-src*) continue ;; esac
        sed -E 's/^Types:.*/Types: deb-src/' "$f" | $sudo tee -a /etc/apt/sources.list.d/torvane-deb-src.sources >/dev/null
        echo | $sudo tee -a /etc/apt/sources.list.d/torvane-deb-src.sources >/dev/null
        added=/etc/apt/sources.list.d/torvane-deb-src.sources
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        case "$f" in *torvane-deb-src*) continue ;; esac
        sed -nE 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" | $sudo tee -a /etc/apt/sources.list.d/torvane-deb-src.list >/dev/null
        added="$added /etc/apt/sources.list.d/torvane-deb-src.list"
    done
    [ -n "$added" ] || { say "no apt sources found to add a deb-src entry beside"; exit 1; }
    say "added deb-src entries (source packages of the same archives) in:$added"
    $sudo apt-get update -qq
fi

work="$cache/work-$src_version-$script_hash"
rm -rf "$work"
mkdir -p "$work"
started=$SECONDS

say "fetching the source of $src_package $src_version (Debian's patches are applied as it unpacks)"
(cd "$work" && apt-get source -qq "$src_package=$src_version" >&2)
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "$src_package-*" | head -n 1)
[ -n "$src" ] && [ -f "$src/CMakeLists.txt" ] || { say "no unpacked source in $work"; exit 1; }
# dpkg-source applies debian/patches/series; make sure every one of them is in.
if [ -f "$src/debian/patches/series" ]; then
    want=$(grep -Evc '^[[:space:]]*(#|$)' "$src/debian/patches/series" || true)
    have=$(grep -Evc '^[[:space:]]*(#|$)' "$src/.pc/applied-patches" 2>/dev/null || echo 0)
    [ "$want" = "$have" ] || { say "only $have of Debian's $want patches are applied"; exit 1; }
    say "Debian's $have patches applied"
fi

launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
generator=()
command -v ninja >/dev/null && generator=(-G Ninja)

say "configuring qtbase for win32-g++ into $prefix"
rm -rf "$prefix"
cmake -S "$src" -B "$work/build" "${generator[@]}" "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DQT_QMAKE_TARGET_MKSPEC=win32-g++ \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_gui=ON -DFEATURE_widgets=ON -DFEATURE_testlib=ON \
    -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF -DFEATURE_icu=OFF -DFEATURE_zstd=OFF \
    -DFEATURE_opengl=OFF -DINPUT_opengl=no -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON -DFEATURE_png=ON \
    -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=ON -DFEATURE_direct2d1_1=OFF \
    >"$work/configure.log" 2>&1 || { tail -n 60 "$work/configure.log" >&2; exit 1; }
say "configured in $((SECONDS - started)) s; building with $jobs jobs (log: $work/build.log)"
cmake --build "$work/build" -j "$jobs" >"$work/build.log" 2>&1 || { tail -n 60 "$work/build.log" >&2; exit 1; }
cmake --install "$work/build" >"$work/install.log" 2>&1 || { tail -n 30 "$work/install.log" >&2; exit 1; }
echo "$src_package $src_version, built by $(basename "${BASH_SOURCE[0]}") $script_hash" >"$stamp"
say "built and installed in $((SECONDS - started)) s ($(du -sh "$prefix" | cut -f1))"
rm -rf "$work"
echo "$prefix"
