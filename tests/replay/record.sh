#!/usr/bin/env bash
# Re-records the golden traces after a deliberate change of the physics or of the data:
#   tests/replay/record.sh [BUILD_DIR] [NAME...]
# Builds kestrelix-replay in BUILD_DIR (default: build), stamps each script's checksum
# line with the checksum of the current data, and rewrites golden/<name>.csv from a replay
# in data/. Without names every script in scripts/ is recorded. Review the diff of
# golden/ before committing it: every changed row is a changed frame of play.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${1:-$root/build}"
shift || true

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target kestrelix-replay >/dev/null
tool="$build/tools/kestrelix-replay"

names=("$@")
if [ "${#names[@]}" -eq 0 ]; then
    for script in "$here"/scripts/*.txt; do
        names+=("$(basename "$script" .txt)")
    done
fi

mkdir -p "$here/golden"
cd "$root/data"
for name in "${names[@]}"; do
    script="$here/scripts/$name.txt"
    level="$(sed -n 's/^level[[:space:]]\+\([^[:space:]#]*\).*/\1/p' "$script" | head -n 1)"
    character="$(sed -n 's/^character[[:space:]]\+\([^[:space:]#]*\).*/\1/p' "$script" | head -n 1)"
    checksum="$("$tool" --checksum --level "${level:-Sablex}" --character "${character:-voltbot1}")"
    if grep -q '^checksum[[:space:]]' "$script"; then
        sed -i "s/^checksum[[:space:]].*/checksum $checksum/" "$script"
    fi
    "$tool" --script "$script" >"$here/golden/$name.csv"
    echo "recorded $name ($(($(wc -l <"$here/golden/$name.csv") - 1)) frames)"
done
