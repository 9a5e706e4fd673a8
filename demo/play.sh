#!/usr/bin/env bash
# Installs what is missing, builds the engine and the bundled demo game, and
# plays it in a window. Extra arguments go to the engine, e.g.
#   demo/play.sh --headless --print-text --input my-input.txt
# Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) and without
# arguments, it plays the demo headless through to its end with built-in
# input and prints the game's text.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target engine engine-sjis demo_game sample_main sample_sub

if [[ $# -gt 0 || -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
    exec build/engine "$@" build/demo
fi

echo "No display found: playing the demo headless (text below, screenshot at the end)."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp build/demo/KITE5HAN.INI build/demo/*.ARC build/demo/*.DAT build/demo/*.WAV "$work/"
# First act, Shift held: the text appears at once. A click every 1.2 s: the
# title, two messages, the first item by the mouse, its message, the save,
# the ending, the saved game read back; then the title again.
# Second act, Shift let go (it would silence the voices): a click into the
# village, one for the friend's line, a click with the right button in front
# of the house's door (the player walks there), the festival's two messages;
# then the title once more.
{
    echo "0 down shift"
    t=0
    click() { t=$((t + 1200)); echo "$t down ${1:-enter}"; echo "$((t + 500)) up ${1:-enter}"; }
    click; click; click
    t=$((t + 1200)); echo "$t mouse 100 324"
    click lbutton
    click; click; click; click
    echo "$((t + 600)) up shift"
    click
    t=$((t + 3000)); click
    t=$((t + 600)); echo "$t mouse 424 152"
    click rbutton
    t=$((t + 12000)); click
    t=$((t + 1500)); click
    echo "# quit: $((t + 3000))"
} > "$work/input.txt"
quit=$(sed -n 's/^# quit: //p' "$work/input.txt")
status=0
build/engine --headless --print-text --input "$work/input.txt" --quit-after "$quit" \
    --screenshot build/demo-last-screen.png "$work" || status=$?
echo "Last screen: build/demo-last-screen.png"
exit "$status"
