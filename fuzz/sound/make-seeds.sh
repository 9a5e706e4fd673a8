#!/usr/bin/env bash
# Writes the seed corpus of the wave fuzz target: short files made by sox in
# every encoding the decoder takes.
set -euo pipefail
out=${1:?usage: make-seeds.sh DIRECTORY}
mkdir -p "$out"
synth=(synth 0.05 sine 200-3000 sine 440 remix - gain -3)
sox -n -r 22050 -c 2 -e unsigned-integer -b 8 "$out/u8.wav" "${synth[@]}" channels 2
sox -n -r 44100 -c 2 -e signed-integer -b 16 "$out/s16.wav" "${synth[@]}" channels 2
sox -n -r 48000 -c 1 -e signed-integer -b 24 "$out/s24.wav" "${synth[@]}"
sox -n -r 32000 -c 2 -e signed-integer -b 32 "$out/s32.wav" "${synth[@]}" channels 2
sox -n -r 44100 -c 2 -e floating-point -b 32 "$out/f32.wav" "${synth[@]}" channels 2
sox -n -r 22050 -c 2 -e ms-adpcm "$out/msadpcm.wav" "${synth[@]}" channels 2
sox -n -r 22050 -c 2 -e ima-adpcm "$out/imaadpcm.wav" "${synth[@]}" channels 2
sox -n -r 8000 -c 1 -e mu-law "$out/mulaw.wav" "${synth[@]}"
sox -n -r 11025 -c 2 -e a-law "$out/alaw.wav" "${synth[@]}" channels 2
sox -n -r 8000 -c 1 -e gsm-full-rate "$out/gsm.wav" "${synth[@]}"
