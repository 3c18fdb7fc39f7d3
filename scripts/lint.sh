#!/usr/bin/env bash
# The lint checks of CI: every C++ file as clang-format writes it (the repo's .clang-format),
# and clang-tidy (the checks in .clang-tidy) over the game and its tools. Takes the build
# folder whose compile_commands.json names the flags (default: build-test, as test.sh makes
# it); the build must have run, so that generated files exist. Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-test}"
jobs="$(nproc)"

status=0
echo "lint: clang-format"
if ! git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror; then
    echo "lint: clang-format: the files above are not formatted (clang-format -i FILE)" >&2
    status=1
fi

echo "lint: clang-tidy over src/ and tools/"
if [ ! -f "$build/compile_commands.json" ]; then
    echo "lint: $build/compile_commands.json is missing: configure and build first" >&2
    exit 1
fi
if ! run-clang-tidy -quiet -p "$build" -j "$jobs" "$PWD/(src|tools)/" >"$build/clang-tidy.log" 2>&1; then
    grep -E '(warning|error):' "$build/clang-tidy.log" | sort -u >&2 || cat "$build/clang-tidy.log" >&2
    echo "lint: clang-tidy: the findings above (full log: $build/clang-tidy.log)" >&2
    status=1
fi
exit "$status"
