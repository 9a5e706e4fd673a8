#!/usr/bin/env bash
# Runs one fuzz target for a while: tools/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   TARGET   the target's name with or without "fuzz_" (tools/fuzz.sh list: all names)
#   SECONDS  how long it runs
# Configures and builds the fuzz build (clang, -DFER_FUZZ=ON) in build-fuzz if
# needed, starts from the target's seeds (kept in fuzz/*/seeds/NAME, generated
# in build-fuzz/fuzz-seeds/NAME) and its dictionary (fuzz/*/NAME.dict), keeps
# what it learns in build-fuzz/fuzz-corpus/NAME and crash, leak and timeout
# inputs in build-fuzz/fuzz-artifacts/NAME/, and prints libFuzzer's final
# statistics. Any input running longer than a second counts as a hang.
# Exits non-zero on a finding.
#
# Environment: FER_FUZZ_BUILD (the build directory), FER_FUZZ_JOBS (build
# jobs, default 2), FER_FUZZ_CORPUS (the working corpus directory).
set -euo pipefail
cd "$(dirname "$0")/.."

usage() { echo "usage: tools/fuzz.sh TARGET SECONDS [libFuzzer options...]" >&2; exit 2; }
[ $# -ge 1 ] || usage
build=${FER_FUZZ_BUILD:-build-fuzz}
jobs=${FER_FUZZ_JOBS:-2}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}

targets() { ls fuzz/*/fuzz_*.cpp | sed 's|.*/fuzz_||; s|\.cpp$||' | sort; }
if [ "$1" = list ]; then targets; exit 0; fi
[ $# -ge 2 ] || usage
name=${1#fuzz_}
seconds=$2
shift 2
if ! targets | grep -qx "$name"; then
  echo "fuzz.sh: no target $name; there are: $(targets | tr '\n' ' ')" >&2
  exit 2
fi

if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DFER_FUZZ=ON -DFER_BENCH=OFF "${launcher[@]}" >/dev/null
fi
if ! log=$(cmake --build "$build" -j "$jobs" --target fuzz_all 2>&1); then
  echo "$log" >&2
  echo "fuzz.sh: the fuzz build failed" >&2
  exit 1
fi

binary=$(find "$build/fuzz" -name "fuzz_$name" -type f -perm -u+x | head -n 1)
corpus=${FER_FUZZ_CORPUS:-$build/fuzz-corpus/$name}
artifacts=$build/fuzz-artifacts/$name/
mkdir -p "$corpus" "$artifacts"
seeds=()
for d in fuzz/*/seeds/"$name" "$build/fuzz-seeds/$name"; do
  [ -d "$d" ] && seeds+=("$d")
done
options=(-print_final_stats=1 -max_total_time="$seconds" -timeout=1 -rss_limit_mb=2560
  -artifact_prefix="$artifacts")
for dict in fuzz/*/"$name.dict"; do
  [ -f "$dict" ] && options+=(-dict="$dict")
done

echo "fuzz.sh: $binary for $seconds s, seeds: ${seeds[*]:-none}" >&2
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
exec "$binary" "${options[@]}" "$@" "$corpus" "${seeds[@]}"
