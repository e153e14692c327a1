#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (clang, so that the
# libFuzzer targets build in the same tree) and runs every test, fuzz smoke runs included; then
# builds everything with GCC, whose warnings clang does not all give, each warning an error.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build=build-test
cmake -S . -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DTARVIK_SANITIZE=ON -DTARVIK_FUZZ=ON -DTARVIK_TESTS=ON
cmake --build "$build" -j "$(nproc)"
(cd "$build" && ctest --output-on-failure -j "$(nproc)")

cmake -S . -B build-test-gcc -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=g++ \
    -DTARVIK_TESTS=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
cmake --build build-test-gcc -j "$(nproc)"
