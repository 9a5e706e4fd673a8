#!/usr/bin/env bash
# make-sounds.sh OUT_DIR WAVLOOP: makes the demo's music and voices.
# Music: sine tunes made by sox, each an intro and a loop (a "smpl" chunk
# added by wavloop). Every note fades in and out over 10 ms, so that notes
# join without a click and the loop's end (silent) meets its start (silent).
# Voices: lines spoken by espeak-ng, converted by sox into the three
# encodings the engine reads: PCM, MS-ADPCM and IMA ADPCM.
set -euo pipefail
out="$1"
wavloop="$2"
missing=()
command -v sox >/dev/null || missing+=(sox)
command -v espeak-ng >/dev/null || missing+=(espeak-ng)
if [ ${#missing[@]} -ne 0 ]; then
  echo "error: the demo's sounds need the Debian packages: ${missing[*]}" >&2
  echo "       install them with tools/install-deps.sh (apt-get install ${missing[*]})" >&2
  exit 1
fi
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
tone() { # tone FILE SECONDS FREQUENCY GAIN
  sox -q -n -r 22050 -c 1 -b 16 "$1" synth "$2" sine "$3" vol "$4" fade h 0.01 "$2" 0.01
}
# tune OUT INTRO_FILE LOOP_FILES...: the intro, then the loop repeated for ever.
tune() {
  local target="$1" intro="$2"
  shift 2
  sox -q "$intro" "$@" "$work/joined.wav"
  local frames
  frames=$(soxi -s "$intro")
  "$wavloop" "$work/joined.wav" "$target" "$frames"
}
# The title: A4 for a second, then F5 and C5 by turns (channel 0).
tone "$work/t0.wav" 1.0 440.00 0.15
tone "$work/t1.wav" 0.5 698.46 0.15
tone "$work/t2.wav" 0.5 523.25 0.15
tune "$out/TITLE.WAV" "$work/t0.wav" "$work/t1.wav" "$work/t2.wav"
# The story: G4 for half a second, then B4 and D5 by turns (channel 0).
tone "$work/k0.wav" 0.5 392.00 0.15
tone "$work/k1.wav" 0.5 493.88 0.15
tone "$work/k2.wav" 0.5 587.33 0.15
tune "$out/STORY.WAV" "$work/k0.wav" "$work/k1.wav" "$work/k2.wav"
# The village: C5 for a second, then E5 and G5 by turns (channel 0); under it
# C3 for half a second, then G3 (channel 1).
tone "$work/v0.wav" 1.0 523.25 0.15
tone "$work/v1.wav" 0.5 659.25 0.15
tone "$work/v2.wav" 0.5 783.99 0.15
tune "$out/VILLAGE.WAV" "$work/v0.wav" "$work/v1.wav" "$work/v2.wav"
tone "$work/b0.wav" 0.5 130.81 0.15
tone "$work/b1.wav" 1.0 196.00 0.15
tune "$out/VBASS.WAV" "$work/b0.wav" "$work/b1.wav"
# The festival: A4 for half a second, then A5 and B5 by turns (channel 1).
tone "$work/s0.wav" 0.5 440.00 0.15
tone "$work/s1.wav" 0.5 880.00 0.15
tone "$work/s2.wav" 0.5 987.77 0.15
tune "$out/FESTIVAL.WAV" "$work/s0.wav" "$work/s1.wav" "$work/s2.wav"
# The voices: the story's first line, then the village's three.
# Spoken a little quicker than espeak-ng's default, and brought up to 3 dB
# below full scale so that they stand out over the music.
say() {
  espeak-ng -v cmn -s 165 -w "$work/spoken.wav" "$1"
  sox -q "$work/spoken.wav" "$work/say.wav" norm -3
}
say "春天的午后，小林在山坡上放风筝。"
sox -q "$work/say.wav" -r 22050 -c 1 -b 16 -e signed-integer "$out/VOICE0.WAV"
say "小林，去村子里看看吧！"
sox -q "$work/say.wav" -r 22050 -c 1 -b 16 -e signed-integer "$out/VOICE1.WAV"
say "有人在家吗？"
sox -q "$work/say.wav" -r 22050 -c 1 -e ms-adpcm "$out/VOICE2.WAV"
say "欢迎你们来参加花节！"
sox -q "$work/say.wav" -r 22050 -c 1 -e ima-adpcm "$out/VOICE3.WAV"
