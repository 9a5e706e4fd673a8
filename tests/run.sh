#!/usr/bin/env bash
# Builds and runs the whole test suite: the normal build, then the unit tests
# again under AddressSanitizer + UndefinedBehaviorSanitizer, then the threaded
# tests under ThreadSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

jobs=$(nproc)
werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi

echo "== normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFER_WERROR=$werror
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 600)

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFER_SANITIZE=ON -DFER_BENCH=OFF \
  -DFER_WERROR=$werror
cmake --build build-asan -j "$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  SDL_VIDEODRIVER=dummy ctest --output-on-failure -j "$jobs" --timeout 900)

echo "== ThreadSanitizer (threaded tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFER_TSAN=ON -DFER_BENCH=OFF \
  -DFER_WERROR=$werror
cmake --build build-tsan -j "$jobs"
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 SDL_VIDEODRIVER=dummy \
  ctest --output-on-failure -j "$jobs" --timeout 900 -L threaded)
