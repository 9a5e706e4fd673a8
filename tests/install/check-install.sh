#!/usr/bin/env bash
# check-install.sh BUILD_DIR SOURCE_DIR: installs the build into a scratch
# prefix and checks that every file is where it belongs and that the
# installed demo plays headless through its launcher; then builds the Debian
# package and checks its contents and control data (dpkg-deb -c, -I). The
# system is never touched: everything lies in a temporary directory.
set -euo pipefail
build="$1"
source="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# A check whose tool is missing is left out, except where CI is set: there
# tools/install-deps.sh has installed it, and its absence is a failure.
missing() {
  [ -z "${CI:-}" ] || fail "$1 missing (CI is set: no check is left out)"
  echo "$1 missing: $2 not checked"
}

prefix="$work/prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log" >&2; fail "cmake --install"; }
for f in games/engine games/engine-sjis games/ferkite-demo bin/mesasm bin/mesdis bin/arctool bin/mapgen; do
  [ -x "$prefix/$f" ] || fail "$f is not installed as a program"
done
for f in share/man/man6/engine.6 share/man/man1/mesasm.1 share/man/man1/mesdis.1 share/man/man1/arctool.1 \
         share/applications/ferkite.desktop share/icons/hicolor/64x64/apps/ferkite.png \
         share/games/ferkite/demo/KITE5HAN.INI share/games/ferkite/demo/MES.ARC share/games/ferkite/demo/BG.ARC \
         share/games/ferkite/demo/VILLAGE.DAT share/games/ferkite/demo/VILLAGE.WAV share/games/ferkite/demo/VOICE2.WAV; do
  [ -s "$prefix/$f" ] || fail "$f is missing"
done
# The manual pages are valid roff; the desktop file names the launcher and icon.
command -v groff >/dev/null || missing groff "the manual pages' roff"
for page in "$prefix"/share/man/man*/*.[16]; do
  if command -v groff >/dev/null; then
    groff -man -Tutf8 -ww -z "$page" 2>"$work/groff.log" || fail "$page does not format"
    [ -s "$work/groff.log" ] && { cat "$work/groff.log" >&2; fail "$page has roff warnings"; }
  fi
  head -c 4 "$page" | grep -q '^.TH' || fail "$page has no .TH line"
done
grep -qx 'Exec=ferkite-demo' "$prefix/share/applications/ferkite.desktop" || fail "desktop Exec"
grep -qx 'Icon=ferkite' "$prefix/share/applications/ferkite.desktop" || fail "desktop Icon"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/ferkite.desktop" || fail "desktop file"
else
  missing desktop-file-validate "the desktop file"
fi
head -c 8 "$prefix/share/icons/hicolor/64x64/apps/ferkite.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' || fail "icon is not a PNG"
"$prefix/games/engine" --help | grep -q '^usage: engine' || fail "installed engine --help"
# The launcher: the game copied into the player's data directory and
# played headless there (the title's text).
export XDG_DATA_HOME="$work/home-data"
out="$(timeout -k 5 120 "$prefix/games/ferkite-demo" --headless --print-text --quit-after 2500 2>/dev/null)" || fail "launcher run"
grep -q '点击或按回车键开始' <<<"$out" || fail "the installed demo did not show its title: $out"
[ -s "$XDG_DATA_HOME/ferkite/demo/MES.ARC" ] || fail "the launcher did not copy the game"

# The Debian package.
if ! command -v dpkg-deb >/dev/null; then
  missing dpkg-deb "the package"
  exit 0
fi
deb="$(FER_PACKAGE_NO_BUILD=1 "$source/tools/package.sh" "$build" "$work/deb" 2>"$work/package.log")" || { tail -30 "$work/package.log" >&2; fail "package.sh"; }
[ -s "$deb" ] || fail "no package written"
dpkg-deb -c "$deb" > "$work/contents"
for f in ./usr/games/engine ./usr/games/engine-sjis ./usr/games/ferkite-demo ./usr/bin/mesasm ./usr/bin/mesdis \
         ./usr/bin/arctool ./usr/share/man/man6/engine.6.gz ./usr/share/man/man1/mesasm.1.gz \
         ./usr/share/man/man1/mesdis.1.gz ./usr/share/man/man1/arctool.1.gz \
         ./usr/share/applications/ferkite.desktop ./usr/share/icons/hicolor/64x64/apps/ferkite.png \
         ./usr/share/games/ferkite/demo/MES.ARC ./usr/share/games/ferkite/demo/VOICE3.WAV; do
  grep -q " $f\$" "$work/contents" || grep -q " $f -> " "$work/contents" || fail "package lacks $f"
done
grep -q 'root/root' "$work/contents" || fail "files not owned by root in the package"
dpkg-deb -I "$deb" > "$work/info"
grep -q '^ Package: ferkite$' "$work/info" || fail "package name"
grep -q '^ Section: games$' "$work/info" || fail "section"
grep -Eq '^ Depends: .*libsdl2' "$work/info" || fail "no SDL dependency: $(grep Depends "$work/info")"
grep -Eq '^ Depends: .*libsndfile1' "$work/info" || fail "no libsndfile dependency"
# Unpacked into a scratch root, the packaged launcher plays the demo.
dpkg-deb -x "$deb" "$work/root"
out="$(XDG_DATA_HOME="$work/deb-data" timeout -k 5 120 "$work/root/usr/games/ferkite-demo" --headless --print-text --quit-after 2500 2>/dev/null)" ||
  fail "packaged launcher run"
grep -q '点击或按回车键开始' <<<"$out" || fail "the packaged demo did not show its title"
echo "install and package: all good ($deb)"
