#!/usr/bin/env bash
# Installs the Debian packages the engine needs to build, run and test.
# Does nothing when they are all there already.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libimgui-dev libfreetype-dev libfontconfig-dev fonts-unifont
  xvfb xauth imagemagick xdotool openbox sox
  pulseaudio pulseaudio-utils espeak-ng
  libsndfile1-dev
  groff desktop-file-utils
  clang llvm libclang-rt-dev
  # speech of the messages (speech-dispatcher), its real-server test, the clipboard test
  libspeechd-dev speech-dispatcher speech-dispatcher-espeak-ng xclip
  # the browser build (web/build.sh) and its tests: wasm compiler, browser, source packages
  emscripten node-acorn chromium dpkg-dev
)

# Node and npm for the debugger's and the browser's tests: Debian's, unless
# the machine has a node of its own.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
