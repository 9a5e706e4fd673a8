#!/usr/bin/env bash
# Plays the demo headless with scripted input for a long time and checks that
# the engine holds steady:
#   - resident memory flat: never more than 5 % above the highest it was while
#     both acts were played once (the first two rounds);
#   - no error: exit status 0 and nothing on standard error;
#   - waiting for the player costs less than 5 % of a core.
# Usage: tools/soak.sh [SECONDS] (default 3600)
#   ENGINE=path/to/engine DEMO=path/to/demo-folder override the built ones.
# Rounds of 36 s take turns. The first act's round goes from the title to the
# choice, waits there 20 s without input (the idle measurement), takes the
# hill way to the end, reads the save back and returns to the title. The
# second act's round starts the village from the title, walks to the door by
# a click, reads the festival's messages and comes back to the title.
set -euo pipefail

seconds=${1:-3600}
root="$(cd "$(dirname "$0")/.." && pwd)"
engine=${ENGINE:-$root/build/engine}
demo=${DEMO:-$root/build/demo}
[[ -x $engine ]] || { echo "soak: no engine at $engine" >&2; exit 2; }
[[ -f $demo/MES.ARC ]] || { echo "soak: no demo game in $demo" >&2; exit 2; }
((seconds >= 100)) || { echo "soak: at least 100 seconds" >&2; exit 2; }

work="$(mktemp -d)"
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp "$demo"/* "$work/" 2>/dev/null || true
rm -f "$work"/SAVE* "$work"/input.txt

round=36000
rounds=$(((seconds * 1000 + round - 1) / round))
{
    echo "0 down shift"
    for ((r = 0; r < rounds; ++r)); do
        t=$((r * round))
        if ((r % 2 == 1)); then
            # The title, the friend's line, then a click in front of the
            # door (cell 26, 9), a walk of some 8 s at a person's pace, and
            # the messages of the door and the festival.
            for c in 1200 3000 4200; do
                echo "$((t + c)) down enter"
                echo "$((t + c + 500)) up enter"
            done
            echo "$((t + 6000)) mouse 424 152"
            echo "$((t + 6100)) down rbutton"
            echo "$((t + 6250)) up rbutton"
            for c in 20000 21200 22400 23600; do
                echo "$((t + c)) down enter"
                echo "$((t + c + 500)) up enter"
            done
            continue
        fi
        for c in 1 2 3; do
            echo "$((t + c * 1200)) down enter"
            echo "$((t + c * 1200 + 500)) up enter"
        done
        # The choice waits from about 4 s to 24 s into the round.
        echo "$((t + 24000)) mouse 100 324"
        echo "$((t + 25200)) down lbutton"
        echo "$((t + 25700)) up lbutton"
        for c in 1 2 3 4; do
            echo "$((t + 25200 + c * 1200)) down enter"
            echo "$((t + 25200 + c * 1200 + 500)) up enter"
        done
    done
} >"$work/input.txt"

quit=$((seconds * 1000))
"$engine" --headless --input "$work/input.txt" --quit-after "$quit" "$work" \
    >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
start=$(date +%s%N)

now_ms() { echo $((($(date +%s%N) - start) / 1000000)); }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo 0; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0; }
hz=$(getconf CLK_TCK)

base_rss=0
max_rss=0
last_rss=0
idle_ticks=0
idle_ms=0
# Sample every second; measure the processor in each first-act round's quiet
# stretch (8 s to 22 s into the round, well inside the wait at the choice).
window_start=-1
ticks_at_start=0
while kill -0 "$pid" 2>/dev/null; do
    sleep 1
    t=$(now_ms)
    ((t < quit - 2000)) || continue
    rss=$(rss_kb)
    ((rss > 0)) || continue
    last_rss=$rss
    if ((t < 2 * round)); then
        ((rss > base_rss)) && base_rss=$rss
    else
        ((rss > max_rss)) && max_rss=$rss
    fi
    in_round=$((t % round))
    if (((t / round) % 2 == 0 && in_round >= 8000 && in_round < 22000)); then
        if ((window_start < 0)); then
            window_start=$t
            ticks_at_start=$(cpu_ticks)
        fi
        window_end=$t
        ticks_at_end=$(cpu_ticks)
    elif ((window_start >= 0)); then
        if ((window_end > window_start)); then
            idle_ticks=$((idle_ticks + ticks_at_end - ticks_at_start))
            idle_ms=$((idle_ms + window_end - window_start))
        fi
        window_start=-1
    fi
done
status=0
wait "$pid" || status=$?
pid=

fail=0
echo "soak: ${seconds} s, exit status $status"
if ((status != 0)); then
    echo "soak: FAIL: the engine ended with status $status" >&2
    fail=1
fi
# Standard error also carries the quit box the end of the run answers, and
# notes of the virtual sound output running dry when the machine is busy;
# anything else is an error.
grep -v -e '^游戏的结束: 结束游戏吗？$' -e 'the sound output ran dry' "$work/err.txt" \
    >"$work/errors.txt" || true
if grep -q 'ran dry' "$work/err.txt"; then grep 'ran dry' "$work/err.txt"; fi
if [[ -s $work/errors.txt ]]; then
    echo "soak: FAIL: the engine reported:" >&2
    head -20 "$work/errors.txt" >&2
    fail=1
fi
echo "soak: resident memory at most ${base_rss} kB in the first two rounds, ${max_rss} kB after them, ${last_rss} kB at the end"
if ((base_rss == 0 || max_rss == 0)); then
    echo "soak: FAIL: no memory readings after the first two rounds" >&2
    fail=1
elif ((max_rss * 100 > base_rss * 105)); then
    echo "soak: FAIL: resident memory grew more than 5 %" >&2
    fail=1
fi
if ((idle_ms > 0)); then
    # Per mille of a core, to keep to integers.
    permille=$((idle_ticks * 1000 * 1000 / hz / idle_ms))
    echo "soak: processor while waiting for the player: $((permille / 10)).$((permille % 10)) % of a core over $((idle_ms / 1000)) s"
    if ((permille >= 50)); then
        echo "soak: FAIL: waiting takes 5 % of a core or more" >&2
        fail=1
    fi
else
    echo "soak: FAIL: no idle stretch was measured" >&2
    fail=1
fi
exit $fail
