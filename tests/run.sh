#!/usr/bin/env bash
# Builds and runs the whole test suite: the normal build, then the unit tests
# again under AddressSanitizer + UndefinedBehaviorSanitizer, then the threaded
# tests under ThreadSanitizer, then a short run of every fuzz target. Exits
# non-zero on any failure. Each stage's wall time is printed as it ends, and
# the total at the end (also when a stage fails).
set -euo pipefail
cd "$(dirname "$0")/.."

run_started=$SECONDS
stage_name=""
stage_started=$SECONDS
# stage NAME: ends the stage before, printing its wall time, and begins NAME.
stage() {
  if [ -n "$stage_name" ]; then
    echo "== $stage_name: $((SECONDS - stage_started)) s"
  fi
  stage_name="$1"
  stage_started=$SECONDS
  if [ -n "$stage_name" ]; then echo "== $stage_name"; fi
}
trap 'status=$?; stage ""; echo "== total: $((SECONDS - run_started)) s"; exit $status' EXIT

stage "dependencies"
tools/install-deps.sh
# The node packages of the debugger's client tests and of the browser tests,
# exactly as locked.
(cd tests/dap && npm ci --no-audit --no-fund)
(cd tests/web && npm ci --no-audit --no-fund)

jobs=$(nproc)
werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi

stage "normal build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFER_WERROR=$werror
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs" --timeout 600)

stage "AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFER_SANITIZE=ON -DFER_BENCH=OFF \
  -DFER_WERROR=$werror
cmake --build build-asan -j "$jobs"
# The minute-long underrun test (label realtime) runs in the normal build
# only: the sanitized mixer is not the one players hear.
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  SDL_VIDEODRIVER=dummy ctest --output-on-failure -j "$jobs" --timeout 900 -LE realtime)

stage "ThreadSanitizer (threaded tests)"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFER_TSAN=ON -DFER_BENCH=OFF \
  -DFER_WERROR=$werror
# Only the programs of the tests it runs.
cmake --build build-tsan -j "$jobs" --target threaded_tests
(cd build-tsan && TSAN_OPTIONS=halt_on_error=1 SDL_VIDEODRIVER=dummy \
  ctest --output-on-failure -j "$jobs" --timeout 900 -L threaded)

stage "fuzz targets (a short run of each)"
# Every target runs from its seeds for a few seconds with a fresh corpus, so a
# parser that starts to crash, leak or hang shows here. Any input running over
# a second counts as a hang; a timeout is replayed alone twice first, so a slow
# moment of a busy machine is not taken for one.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFER_FUZZ=ON -DFER_BENCH=OFF -DFER_WERROR=$werror
cmake --build build-fuzz -j "$jobs" --target fuzz_all
fuzz_seconds=${FER_FUZZ_SECONDS:-8}
fuzz_failed=()
for target in $(tools/fuzz.sh list); do
  corpus=$(mktemp -d)
  artifacts=build-fuzz/fuzz-artifacts/$target
  rm -rf "$artifacts"
  log=build-fuzz/fuzz-$target.log
  if FER_FUZZ_BUILD=build-fuzz FER_FUZZ_CORPUS=$corpus tools/fuzz.sh "$target" "$fuzz_seconds" \
      >"$log" 2>&1; then
    result=ok
  else
    result=failed
    found=$(ls "$artifacts" 2>/dev/null || true)
    if [ -n "$found" ] && ! ls "$artifacts" | grep -qv '^timeout-'; then
      result=ok
      binary=$(find build-fuzz/fuzz -name "fuzz_$target" -type f -perm -u+x | head -n 1)
      for input in "$artifacts"/timeout-*; do
        for replay in 1 2; do
          if "$binary" -timeout=1 -rss_limit_mb=2560 "$input" >>"$log" 2>&1; then continue 2; fi
        done
        result=failed
      done
    fi
  fi
  rm -rf "$corpus"
  echo "fuzz_$target: $result ($(grep -E 'stat::number_of_executed_units' "$log" | awk '{print $2}') runs)"
  if [ "$result" != ok ]; then
    tail -n 40 "$log"
    fuzz_failed+=("$target")
  fi
done
if [ ${#fuzz_failed[@]} -ne 0 ]; then
  echo "fuzz targets with findings: ${fuzz_failed[*]}"
  exit 1
fi

stage "browser build and tests"
# The engine for wasm and the page (web/build.sh), then the demo in Debian's
# chromium against the native engine (tests/web/, playwright-core from npm).
FER_JOBS=$jobs web/build.sh
(cd tests/web && npm ci --no-audit --no-fund && timeout 900 npm test)
