#!/usr/bin/env bash
# Builds the browser version into build-web/: the engine as a wasm module
# (ferkite.js, ferkite.wasm, ferkite.worker.js), the glyph atlas the native
# build bakes, the demo game with its file list, and the page (web/page/).
# Installs the Debian packages it needs; libsndfile is compiled for wasm from
# Debian's source package once, into build-web/cache/.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
out=$top/build-web
cache=$out/cache
jobs=${FER_JOBS:-2}

tools/install-deps.sh
# Debian's emscripten runs under the Node on PATH; its compiler needs acorn.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# The native build: the demo game, the glyph atlas and the reference engine.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs" --target engine glyphbake demo_game

# libsndfile for wasm, from the source package of the installed suite.
prefix=$cache/prefix
if [ ! -f "$prefix/lib/libsndfile.a" ]; then
    mkdir -p "$cache/apt/lists/partial" "$cache/apt/cache/archives/partial" "$cache/src"
    cat > "$cache/apt/src.sources" <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $(. /etc/os-release && echo "$VERSION_CODENAME")
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    apt=(-o "Dir::Etc::SourceList=$cache/apt/src.sources" -o Dir::Etc::SourceParts=/nonexistent
         -o "Dir::State::Lists=$cache/apt/lists" -o "Dir::Cache=$cache/apt/cache")
    apt-get "${apt[@]}" update -qq
    (cd "$cache/src" && rm -rf sndfile && apt-get "${apt[@]}" source --download-only libsndfile \
        && dpkg-source -x libsndfile_*.dsc sndfile >/dev/null)
    emcmake cmake -S "$cache/src/sndfile" -B "$cache/src/sndfile-build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DBUILD_PROGRAMS=OFF \
        -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF \
        -DENABLE_CPACK=OFF -DBUILD_REGTEST=OFF -DINSTALL_MANPAGES=OFF -DCMAKE_C_FLAGS=-pthread \
        -DCMAKE_INSTALL_PREFIX="$prefix" >/dev/null
    cmake --build "$cache/src/sndfile-build" -j "$jobs"
    cmake --install "$cache/src/sndfile-build" >/dev/null
fi

# The engine for wasm: the interpreter's waits yield to the browser
# (ASYNCIFY); the timer and sound threads are workers (-pthread).
link=(-pthread -sASYNCIFY -sASYNCIFY_STACK_SIZE=262144 -sPTHREAD_POOL_SIZE=8
      -sMODULARIZE -sEXPORT_NAME=createFerkite -sINVOKE_RUN=0 -sEXIT_RUNTIME=1
      -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=134217728 -sTOTAL_STACK=4194304
      -sFORCE_FILESYSTEM=1 -sENVIRONMENT=web,worker
      -sEXPORTED_FUNCTIONS=_main,_ferUserDataFolder,_malloc,_free
      -sEXPORTED_RUNTIME_METHODS=callMain,FS,ENV,UTF8ToString,stringToUTF8)
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
emcmake cmake -S . -B "$out/cmake" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DCMAKE_CXX_FLAGS=-pthread -DCMAKE_C_FLAGS=-pthread -DFER_WEB_PREFIX="$prefix" \
    "-DFER_WEB_LINK_OPTIONS=$(IFS=';'; echo "${link[*]}")" >/dev/null
cmake --build "$out/cmake" -j "$jobs" --target ferkite

# The site.
cp "$out/cmake/ferkite.js" "$out/cmake/ferkite.wasm" "$out/cmake/ferkite.worker.js" "$out/"
mkdir -p "$out/engine"
build/tools/glyphbake/glyphbake gb2312 "$out/engine/glyphs-gb2312.atlas"
rm -rf "$out/demo"
mkdir -p "$out/demo"
cp -r build/demo/. "$out/demo/"
(cd "$out/demo" && find . -type f ! -name files.json | sed 's|^\./||' | sort |
    python3 -c 'import json,sys; print(json.dumps([l.rstrip("\n") for l in sys.stdin]))' > files.json)
cp -r web/page/. "$out/"
echo "Built $out (serve it with web/serve.sh)"
