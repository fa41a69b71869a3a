#!/usr/bin/env bash
# Set-up, build and run in one place.
#   scripts/torvane.sh start   install what is missing, build, start the program
#   scripts/torvane.sh test    install what is missing, build, run every test; then
#                              the same tests in an AddressSanitizer and
#                              UndefinedBehaviorSanitizer build, and a short
#                              fuzzing pass over every fuzz target
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TORVANE_BUILD_DIR:-$here/build}"
jobs=$(nproc 2>/dev/null || echo 2)

# Debian packages the build and the tests need.
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev qt6-base-dev fonts-wqy-microhei xvfb xauth
          clang libclang-rt-14-dev)
# Qt's own texts in Chinese: the file dialogs and the edit fields' context menu.
packages+=(qt6-translations-l10n)

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

        echo "== The tests again, with AddressSanitizer and UndefinedBehaviorSanitizer"
        configure_and_build "$build-asan" -DTORVANE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
        ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
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
