#!/usr/bin/env bash
# Line coverage of one fuzz target's corpus: tools/fuzz-coverage.sh TARGET [FILE...]
#   TARGET  the target's name with or without "fuzz_" (tools/fuzz.sh list)
#   FILE    source files to report (default: the files the target is about)
# Builds the targets for coverage in build-cov (clang, -DFER_FUZZ=ON
# -DFER_FUZZ_COVERAGE=ON: -fprofile-instr-generate -fcoverage-mapping, no
# sanitizers), replays the target's seeds and the corpus tools/fuzz.sh kept
# (build-fuzz/fuzz-corpus/NAME), merges the profiles with llvm-profdata and
# prints llvm-cov's report of lines, regions and branches per file. The
# profile stays in build-cov/fuzz-coverage/NAME.profdata for `llvm-cov show`.
#
# Environment: FER_COV_BUILD (the build directory), FER_FUZZ_BUILD (where the
# fuzzing corpus is), FER_FUZZ_JOBS (build jobs, default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -ge 1 ] || { echo "usage: tools/fuzz-coverage.sh TARGET [FILE...]" >&2; exit 2; }
name=${1#fuzz_}
shift
build=${FER_COV_BUILD:-build-cov}
fuzzBuild=${FER_FUZZ_BUILD:-build-fuzz}
jobs=${FER_FUZZ_JOBS:-2}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
if ! tools/fuzz.sh list | grep -qx "$name"; then
  echo "fuzz-coverage.sh: no target $name" >&2
  exit 2
fi

tool() {
  for t in "$1" "$1-14" "$1-15" "$1-16"; do
    command -v "$t" >/dev/null && { echo "$t"; return; }
  done
  echo "fuzz-coverage.sh: $1 is missing (Debian package llvm)" >&2
  exit 1
}
profdata=$(tool llvm-profdata)
cov=$(tool llvm-cov)

if [ $# -eq 0 ]; then
  case $name in
    script|save_load) set -- src/script/Interpreter.cpp src/script/Evaluator.cpp \
      src/script/SystemCommands.cpp src/script/ExternalCommands.cpp src/script/SaveGame.cpp \
      src/graphics/GraphicsCommands.cpp src/graphics/PaletteCommands.cpp \
      src/graphics/TextCommands.cpp ;;
    wave_stream) set -- src/sound/Wave*.cpp src/sound/SampleLoops.cpp ;;
    map) set -- src/map/*.cpp ;;
    animation) set -- src/graphics/Animation*.cpp src/graphics/Particle*.cpp ;;
    *) set -- ;;
  esac
fi

if [ ! -f "$build/build.ninja" ]; then
  launcher=()
  if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DFER_FUZZ=ON -DFER_FUZZ_COVERAGE=ON -DFER_BENCH=OFF "${launcher[@]}" >/dev/null
fi
if ! log=$(cmake --build "$build" -j "$jobs" --target "fuzz_$name" fuzz_seed_corpora 2>&1); then
  echo "$log" >&2
  echo "fuzz-coverage.sh: the coverage build failed" >&2
  exit 1
fi

binary=$(find "$build/fuzz" -name "fuzz_$name" -type f -perm -u+x | head -n 1)
inputs=()
for d in fuzz/*/seeds/"$name" "$build/fuzz-seeds/$name" "$fuzzBuild/fuzz-corpus/$name"; do
  [ -d "$d" ] && inputs+=("$d")
done
[ ${#inputs[@]} -gt 0 ] || { echo "fuzz-coverage.sh: no seeds or corpus for $name" >&2; exit 1; }
work=$build/fuzz-coverage
mkdir -p "$work"
rm -f "$work/$name".*.profraw
count=$(find "${inputs[@]}" -type f | wc -l)
echo "fuzz-coverage.sh: replaying $count inputs from ${inputs[*]}" >&2
# Each input once; a finding would stop the replay, so the fuzzing run must
# have been clean.
LLVM_PROFILE_FILE="$work/$name.%p.profraw" "$binary" -runs=0 -timeout=10 \
  -rss_limit_mb=2560 "${inputs[@]}" >"$work/$name.log" 2>&1 || {
  tail -20 "$work/$name.log" >&2
  echo "fuzz-coverage.sh: the replay failed" >&2
  exit 1
}
"$profdata" merge -sparse "$work/$name".*.profraw -o "$work/$name.profdata"
rm -f "$work/$name".*.profraw
# The files as the build names them (relative when ccache rewrote the paths):
# the report of every file, then the lines asked for.
"$cov" report "$binary" -instr-profile="$work/$name.profdata" >"$work/$name.report"
echo "| File | Lines | Lines covered | Branches | Branches covered |"
echo "|---|---|---|---|---|"
awk -v wanted="$*" '
  BEGIN { n = split(wanted, w, " ") }
  $1 ~ /^-+$/ || $1 == "Filename" { next }
  {
    show = (n == 0)
    for (i = 1; i <= n; ++i) {
      f = w[i]; sub(/^\.\//, "", f)
      if ($1 == f || substr($1, length($1) - length(f) + 1) == f || ("/" $1) ~ ("/" f "$")) show = 1
    }
    if (show && $8 > 0)
      printf "| `%s` | %d | %d (%s) | %s | %s |\n", $1, $8, $8 - $9, $10, $11, ($11 > 0 ? ($11 - $12) " (" $13 ")" : "-")
  }' "$work/$name.report"
awk '$1 == "TOTAL" { print "Every file the target links: " $10 " of the lines, " $13 " of the branches." }' \
  "$work/$name.report"
