#!/usr/bin/env bash
# Set-up, build and run in one place.
#   scripts/torvane.sh start   install what is missing, build, start the program
#   scripts/torvane.sh test    install what is missing, build, run every test and
#                              check the Debian package; then the core and
#                              torvane-cli tests of a Windows build under Wine
#                              (ANSI code pages 936 and 1252) with the
#                              window's UI tests, the window end to end
#                              under Wine on a virtual display, the
#                              Windows installer and zip made and checked
#                              (the first run builds Qt for Windows, about
#                              20-40 minutes, then cached), the same
#                              tests in an AddressSanitizer and
#                              UndefinedBehaviorSanitizer build, and a short
#                              fuzzing pass over every fuzz target
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TORVANE_BUILD_DIR:-$here/build}"
jobs=$(nproc 2>/dev/null || echo 2)

# Debian packages the build and the tests need.
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev qt6-base-dev fonts-wqy-microhei xvfb xauth
          clang libclang-rt-14-dev
          dpkg-dev librsvg2-bin desktop-file-utils shared-mime-info appstream qt6-translations-l10n qt6-l10n-tools x11-utils bash-completion man-db lintian
          libxml2-utils libssl-dev python3
          g++-mingw-w64-x86-64-posix googletest wine64 locales
          srecord python3-intelhex python3-crcmod binutils-arm-none-eabi
          ninja-build nsis icoutils xdotool x11-apps netpbm)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    local dir=$1
    shift
    cmake -S "$here" -B "$dir" "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

# The programs built for Windows, their tests (core, CLI and the window's)
# run under Wine once with the ANSI code page 936 (GBK, a Chinese Windows) and
# once with 1252 (an English one), the Windows torvane-cli compared with the
# Linux one, the window run end to end, the installer and the zip checked.
# The window needs a Qt for Windows: TORVANE_WINDOWS_QT names one, else
# scripts/build-qt-mingw.sh builds it once from Debian's source and caches it.
windows_pass() {
    echo "== The programs for Windows, under Wine"
    local win="$build-win" qt started=$SECONDS
    if [ -n "${TORVANE_WINDOWS_QT:-}" ]; then
        qt=$TORVANE_WINDOWS_QT
    else
        qt=$(nice -n "${TORVANE_QT_NICE:-10}" "$here/scripts/build-qt-mingw.sh")
    fi
    echo "Qt for Windows in $qt (ready after $((SECONDS - started)) s)"
    started=$SECONDS
    configure_and_build "$win" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_PREFIX_PATH="$qt" -DTORVANE_GUI=ON \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    echo "Windows build took $((SECONDS - started)) s"
    # Wine takes the code page from the locale, which must exist for the
    # names of files to stay UTF-8 on the Linux side.
    local locales="$win/locales"
    if [ ! -f "$locales/zh_CN.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$locales"
        localedef -i zh_CN -f UTF-8 "$locales/zh_CN.UTF-8" || [ -f "$locales/zh_CN.UTF-8/LC_CTYPE" ]
    fi
    export LOCPATH="$locales" WINEPREFIX="$win/wine-prefix" WINEDEBUG=-all
    local started=$SECONDS
    LC_ALL=C.UTF-8 "$here/scripts/wine-run.sh" "$win/torvane-cli.exe" --version >/dev/null 2>&1
    echo "Wine started in $((SECONDS - started)) s"
    local locale
    for locale in zh_CN.UTF-8 C.UTF-8; do
        echo "== Windows tests under Wine, LC_ALL=$locale"
        started=$SECONDS
        LC_ALL=$locale ctest --test-dir "$win" --output-on-failure -j "$jobs"
        LC_ALL=$locale "$here/scripts/compare-windows-cli.sh" "$build" "$win"
        echo "took $((SECONDS - started)) s"
    done
    # In Chinese under code page 936 and in English under 1252, from the same program.
    for locale in zh_CN.UTF-8 C.UTF-8; do
        echo "== The window under Wine, end to end, LC_ALL=$locale"
        started=$SECONDS
        LC_ALL=$locale "$here/scripts/windows-window.sh" "$build" "$win" "${locale%%.*}"
        echo "took $((SECONDS - started)) s"
    done
    # The installer's pages and the Start-menu entry in Chinese, then in English.
    for locale in zh_CN.UTF-8 C.UTF-8; do
        echo "== The Windows installer and zip, LC_ALL=$locale"
        started=$SECONDS
        LC_ALL=$locale "$here/scripts/windows-package.sh" "$win" "$build/screenshots"
        echo "took $((SECONDS - started)) s"
    done
    unset LOCPATH WINEPREFIX WINEDEBUG
}

case "${1:-}" in
    start)
        install_missing
        configure_and_build "$build"
        if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
            exec "$build/torvane"
        fi
        # No display: show the window on a virtual one, keep a picture of it, stop.
        shot="$build/torvane-screenshot.png"
        echo "No display found: starting Torvane on a virtual display."
        xvfb-run -a -s "-screen 0 1280x800x24" "$build/torvane" --screenshot "$shot"
        echo "The main window is pictured in $shot"
        ;;
    test)
        install_missing
        configure_and_build "$build"
        ctest --test-dir "$build" --output-on-failure -j "$jobs"
        "$here/scripts/check_package.sh" "$build"

        windows_pass

        echo "== The tests again, with AddressSanitizer and UndefinedBehaviorSanitizer"
        configure_and_build "$build-asan" -DTORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
            LSAN_OPTIONS=suppressions="$here/tests/lsan-suppressions.txt" \
            ctest --test-dir "$build-asan" --output-on-failure -j "$jobs"

        echo "== A short fuzzing pass"
        CC=clang CXX=clang++ configure_and_build "$build-fuzz" -DTORVANE_FUZZ=ON -DTORVANE_GUI=OFF \
            -DTORVANE_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
        runs="${TORVANE_FUZZ_RUNS:-50000}"
        failed=0
        for target in "$build-fuzz"/fuzz_*; do
            name=$(basename "$target")
            name=${name#fuzz_}
            work=$(mktemp -d)
            mkdir -p "$build-fuzz/artifacts"
            # New inputs go to a scratch folder; the kept corpus is only read.
            if "$target" -runs="$runs" -max_total_time=60 -artifact_prefix="$build-fuzz/artifacts/$name-" \
                "$work" "$here/tests/fuzz/corpus/$name" >"$work.log" 2>&1; then
                echo "fuzz $name: $(grep -E '^Done' "$work.log" | tail -n 1)"
            else
                echo "fuzz $name: FAILED (see $build-fuzz/artifacts)"
                tail -n 40 "$work.log"
                failed=1
            fi
            rm -rf "$work" "$work.log"
        done
        [ "$failed" -eq 0 ] || exit 1
        echo "fuzzing: all targets passed"
        ;;
    *)
        echo "usage: $0 start|test" >&2
        exit 2
        ;;
esac
