#!/usr/bin/env bash
# Runs every fuzz target in turn and prints the campaign table:
#   tools/fuzz-campaign.sh SECONDS [PARALLEL [TARGET...]]
# SECONDS per target (each stops earlier at 10 million executions), PARALLEL
# targets at a time (default 1), the TARGETs named (default all). Each run
# goes through tools/fuzz.sh, so it keeps its corpus in
# build-fuzz/fuzz-corpus/NAME and its findings in build-fuzz/fuzz-artifacts/NAME/;
# the logs stay in build-fuzz/fuzz-campaign/.
# Exits non-zero when any target had a finding.
set -euo pipefail
cd "$(dirname "$0")/.."

[ $# -ge 1 ] || { echo "usage: tools/fuzz-campaign.sh SECONDS [PARALLEL [TARGET...]]" >&2; exit 2; }
seconds=$1
parallel=${2:-1}
shift $(($# >= 2 ? 2 : 1))
build=${FER_FUZZ_BUILD:-build-fuzz}
logs=$build/fuzz-campaign
mkdir -p "$logs"
stamp=$logs/started
touch "$stamp"
# Build once before the runs start side by side.
tools/fuzz.sh list >/dev/null
tools/fuzz.sh "$(tools/fuzz.sh list | head -n 1)" 1 -runs=0 >/dev/null 2>&1 || true
if [ $# -gt 0 ]; then
  targets="$*"
  for name in $targets; do
    tools/fuzz.sh list | grep -qx "$name" || { echo "fuzz-campaign: no target $name" >&2; exit 2; }
  done
else
  targets=$(tools/fuzz.sh list)
fi

run() {
  local name=$1
  if tools/fuzz.sh "$name" "$seconds" -runs=10000000 >"$logs/$name.log" 2>&1; then
    echo 0 >"$logs/$name.status"
  else
    echo $? >"$logs/$name.status"
  fi
}

running=0
for name in $targets; do
  run "$name" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true

failed=0
echo "| Target | s | Executions | Exec/s | cov | ft | Findings |"
echo "|---|---|---|---|---|---|---|"
for name in $targets; do
  log=$logs/$name.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  last=$(grep -E '^#[0-9]+[[:space:]]+(DONE|pulse|NEW|REDUCE|INITED)' "$log" | tail -n 1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  took=$(( runs > 0 && rate > 0 ? runs / rate : 0 ))
  findings=0
  if [ "$(cat "$logs/$name.status")" != 0 ]; then
    # What this run found. A timeout that replays alone within the second,
    # twice, was a slow moment of a busy machine, not a hang.
    found=$(find "$build/fuzz-artifacts/$name" -type f -newer "$stamp" 2>/dev/null || true)
    real=0
    slow=0
    binary=$(find "$build/fuzz" -name "fuzz_$name" -type f -perm -u+x | head -n 1)
    for f in $found; do
      case $(basename "$f") in
        timeout-*)
          if "$binary" -timeout=1 "$f" >/dev/null 2>&1 && "$binary" -timeout=1 "$f" >/dev/null 2>&1; then
            slow=$((slow + 1))
          else
            real=$((real + 1))
          fi ;;
        *) real=$((real + 1)) ;;
      esac
    done
    if [ "$real" -gt 0 ]; then
      findings="$real (see $build/fuzz-artifacts/$name/)"
      failed=1
    elif [ "$slow" -gt 0 ]; then
      findings="0 ($slow timeout on a busy machine, replays in time; the run stopped there)"
    else
      findings="run failed (see $log)"
      failed=1
    fi
  fi
  echo "| \`$name\` | ${took} | ${runs:-?} | ${rate:-?} | ${cov:-?} | ${ft:-?} | $findings |"
done
exit $failed
