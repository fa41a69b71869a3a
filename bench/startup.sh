#!/usr/bin/env bash
# Start-up of the desktop program on the offscreen platform: the time from the
# start of main() to the painted main window and the peak memory, as the program
# reports them, and the whole-process time of a start that exits once shown.
# Run by hand: bench/startup.sh [RUNS]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${TORVANE_BUILD_DIR:-$here/build-release}"
runs=${1:-10}
if [ ! -x "$build/torvane" ]; then
    cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTORVANE_TESTS=OFF >/dev/null
    cmake --build "$build" -j "$(nproc)" --target torvane >/dev/null
fi
export QT_QPA_PLATFORM=offscreen
for _ in 1 2 3; do "$build/torvane" --startup-probe; done
if command -v hyperfine >/dev/null; then
    hyperfine -N --warmup 2 --runs "$runs" "$build/torvane --startup-probe"
fi
