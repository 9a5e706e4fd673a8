#!/usr/bin/env bash
# Installs what is missing, builds the engine and plays the bundled sample
# game headless, printing what it shows.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target engine engine-sjis sample_main sample_sub
exec build/engine --headless --print-text "$@" build/sample
