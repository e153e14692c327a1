#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang, so that the
# libFuzzer targets build in the same tree) and runs every test, fuzz smoke runs included.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=build-test
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DTARVIK_SANITIZE=ON -DTARVIK_FUZZ=ON -DTARVIK_TESTS=ON
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
