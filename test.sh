#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs the whole
# test suite, the lint checks (scripts/lint.sh: clang-format, clang-tidy) and the web
# build's browser test; then builds again with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the same tests.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh --web
jobs="$(nproc)"

export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-test -j"$jobs"
(cd build-test && ctest --output-on-failure -j"$jobs")
scripts/lint.sh build-test

# The web build in headless Chromium, against the desktop pictures of build-test.
web/test.sh build-test

cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DKESTRELIX_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j"$jobs"
(cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j"$jobs")
