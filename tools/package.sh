#!/usr/bin/env bash
# tools/package.sh [BUILD_DIR] [OUT_DIR]: builds the Debian package of the
# engine and its demo game from a configured build directory (default:
# build), installed with the prefix /usr: the programs in /usr/games and
# /usr/bin, the demo in /usr/share/games/ferkite/demo, manual pages, desktop
# file and icon. The dependencies are the packages that hold the shared
# libraries the programs load (looked up with dpkg -S), and the font.
# Writes OUT_DIR/ferkite_VERSION_ARCH.deb (default OUT_DIR: BUILD_DIR) and
# prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(realpath "${1:-build}")"
out="$(realpath -m "${2:-$build}")"
version="${FER_VERSION:-0.2.0}"
arch="$(dpkg --print-architecture)"
for tool in dpkg-deb objdump; do
  command -v "$tool" >/dev/null || { echo "package.sh: $tool is missing (apt-get install dpkg-dev binutils)" >&2; exit 1; }
done

# FER_PACKAGE_NO_BUILD=1: the build directory is known to be up to date
# (the install test, which runs after the build).
if [ -z "${FER_PACKAGE_NO_BUILD:-}" ]; then
  cmake --build "$build" -j2 --target engine engine-sjis mesasm mesdis arctool mapgen demo_game ferkite_icon >&2
fi
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
root="$stage/root"
# Stripped, as Debian ships programs (and much quicker to compress).
DESTDIR="$root" cmake --install "$build" --prefix /usr --strip >&2

# Shared libraries -> the packages that hold them (one dpkg -S for all).
declare -A libraries=() depends=()
for program in "$root"/usr/games/engine "$root"/usr/games/engine-sjis "$root"/usr/bin/*; do
  [ -x "$program" ] && [ ! -L "$program" ] || continue
  for lib in $(objdump -p "$program" | awk '/NEEDED/ {print $2}'); do
    # (awk reads to the end: ldconfig must not die of a closed pipe.)
    path="$(ldconfig -p | awk -v l="$lib" '$1 == l && !found {print $NF; found = 1}')"
    # dpkg knows a library by one of its names (/lib or /usr/lib): ask both.
    if [ -n "$path" ]; then libraries["$path"]=1; libraries["$(realpath "$path")"]=1; fi
  done
done
if [ ${#libraries[@]} -ne 0 ]; then
  while read -r package; do
    depends["$package"]=1
  done < <(dpkg -S "${!libraries[@]}" 2>/dev/null | cut -d: -f1 | sort -u)
fi
depends[fonts-unifont]=1
dependsLine="$(printf '%s\n' "${!depends[@]}" | sort | paste -sd, - | sed 's/,/, /g')"

mkdir -p "$root/DEBIAN" "$root/usr/share/doc/ferkite"
gzip -9n "$root"/usr/share/man/man*/*.[16] 2>/dev/null || true
# The sjis page is a link to the engine's; follow the compression.
if [ -L "$root/usr/share/man/man6/engine-sjis.6" ]; then
  rm "$root/usr/share/man/man6/engine-sjis.6"
  ln -s engine.6.gz "$root/usr/share/man/man6/engine-sjis.6.gz"
fi
cp README.md "$root/usr/share/doc/ferkite/README.md"
size="$(du -sk "$root/usr" | cut -f1)"
cat > "$root/DEBIAN/control" <<CONTROL
Package: ferkite
Version: $version
Section: games
Priority: optional
Architecture: $arch
Maintainer: FerKite developers <ferkite@localhost>
Installed-Size: $size
Depends: $dependsLine
Description: engine for 8-bit-palette adventure games, with a demo game
 Runs games made of compiled MES scripts, ARC archives and LZSS-coded data:
 640x400 pictures through a 256-colour palette, double-byte text, music and
 voices from wave files, tile maps with walking characters, saved games.
 .
 Includes the authors' tools (mesasm, mesdis, arctool, mapgen) and the demo
 game "the little kite" in two acts; run it with ferkite-demo.
CONTROL
mkdir -p "$out"
deb="$out/ferkite_${version}_${arch}.deb"
dpkg-deb --root-owner-group --build "$root" "$deb" >&2
echo "$deb"
