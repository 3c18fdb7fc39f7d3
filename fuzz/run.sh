#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UndefinedBehaviorSanitizer)
# and fuzzes one target for a while, starting from its seed corpus.
#
#   fuzz/run.sh <target> <seconds> [extra libFuzzer flags...]
#   targets: ini tilemap sprite font bmp character
#
# Needs clang and libFuzzer's runtime (Debian: apt-get install clang libclang-rt-14-dev).
# Build directory: $KESTRELIX_FUZZ_BUILD (default /tmp/kestrelix-fuzz-build). New inputs
# go to a work corpus there; crashes are written to fuzz/crashes/ — copy a crash into
# tests/fuzz/regressions/<target>/ once it is fixed, so the test suite keeps replaying it.
set -euo pipefail

if [ $# -lt 2 ]; then
    sed -n '2,11p' "$0"
    exit 2
fi
target=$1
seconds=$2
shift 2

root=$(cd "$(dirname "$0")/.." && pwd)
build=${KESTRELIX_FUZZ_BUILD:-/tmp/kestrelix-fuzz-build}

cmake -S "$root" -B "$build" -DKESTRELIX_FUZZ=ON -DKESTRELIX_TESTS=OFF \
    -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target "fuzz_$target"

work="$build/corpus/$target"
crashes="$root/fuzz/crashes/$target"
mkdir -p "$work" "$crashes" "$root/tests/fuzz/regressions/$target"

# Every input is written to a scratch file; on a disk file system each truncation can cost
# a block discard, which slows the loaders' targets several times over. Memory is enough.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
export SDL_VIDEODRIVER=dummy SDL_RENDER_DRIVER=software SDL_AUDIODRIVER=dummy
# Leaks are real faults here: a refused load must release what it loaded.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

dict=()
if [ -f "$root/fuzz/dict/$target.dict" ]; then
    dict=(-dict="$root/fuzz/dict/$target.dict")
fi
cd "$build"
exec "./fuzz/fuzz_$target" -max_total_time="$seconds" -artifact_prefix="$crashes/" \
    -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 "${dict[@]}" "$@" \
    "$work" "$root/fuzz/corpus/$target" "$root/tests/fuzz/regressions/$target"
