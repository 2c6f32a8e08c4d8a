#!/usr/bin/env bash
# Builds the Debian package from a built tree, unpacks it into a scratch folder and checks it as
# installed: the layout, the programs' dependencies, moriva-cli --version, the .mrv file type as
# shared-mime-info reads it, and the window started with HOME and the XDG folders in the scratch
# folder, which must keep its settings there and nothing beside the program.
#   package-test.sh BUILD_DIR VERSION
set -euo pipefail
build=${1:?build folder}
version=${2:?version}
scratch=$(mktemp -d /tmp/moriva-package.XXXXXX)
window=""
cleanup() {
  [ -n "$window" ] && kill "$window" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$scratch"/pkg/*.deb)
[ "$(dpkg-deb -f "$deb" Package)" = moriva ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6dbus6 libc6; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for f in bin/moriva bin/moriva-cli share/applications/moriva.desktop \
         share/mime/packages/moriva.xml share/metainfo/org.example.moriva.metainfo.xml \
         share/man/man1/moriva-cli.1 share/icons/hicolor/scalable/apps/moriva.svg \
         share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/moriva.png; do
  [ -f "$root/usr/$f" ] || fail "missing /usr/$f"
done
file "$root/usr/share/icons/hicolor/48x48/apps/moriva.png" | grep -q '48 x 48' || fail "icon size"
desktop-file-validate "$root/usr/share/applications/moriva.desktop" || fail "desktop entry"
[ "$("$root/usr/bin/moriva-cli" --version)" = "moriva-cli $version" ] || fail "moriva-cli --version"

# The .mrv extension maps to the schedule type once the desktop's database takes the file in.
mkdir -p "$scratch/mime/packages"
cp "$root/usr/share/mime/packages/moriva.xml" "$scratch/mime/packages/"
update-mime-database "$scratch/mime"
grep -q '^50:application/x-moriva-schedule:\*\.mrv$' "$scratch/mime/globs2" || fail "mime glob"

# An installed copy keeps its files in the user's folders, and tells where.
home=$scratch/home
mkdir -p "$home"
help=$(env HOME="$home" XDG_CONFIG_HOME= XDG_DATA_HOME= "$root/usr/bin/moriva-cli" --help)
[[ $help == *"settings (hs110.ini): $home/.config/moriva"* ]] || fail "help: $help"
[[ $help == *"outgoing, incoming): $home/.local/share/moriva"* ]] || fail "help: $help"

env HOME="$home" XDG_CONFIG_HOME="$scratch/cli" "$root/usr/bin/moriva-cli" config smtp mail.example.jp
grep -q '^smtp=mail.example.jp' "$scratch/cli/moriva/hs110.ini" || fail "moriva-cli config"

printf '2026,2026,12,7,,,"a- b- 9:0:0- FALSE"\r\n' >"$scratch/s.mrv"
env HOME="$home" XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" \
  QT_QPA_PLATFORM=offscreen "$root/usr/bin/moriva" "$scratch/s.mrv" >"$scratch/window.log" 2>&1 &
window=$!
for _ in $(seq 200); do [ -d "$scratch/data/moriva" ] && break; sleep 0.1; done
[ -d "$scratch/config/moriva" ] && [ -d "$scratch/data/moriva" ] || fail "folders not made"
sleep 3  # the window shows and reads its settings
kill -TERM "$window"
status=0
wait "$window" || status=$?
window=""
[ "$status" -eq 0 ] || { cat "$scratch/window.log" >&2; fail "window ended with $status"; }
grep -q "^mrvfile=$scratch/s.mrv" "$scratch/config/moriva/hs110.ini" || fail "settings not written"
# A first run makes its folders and settings for the user alone.
for f in config config/moriva data/moriva; do
  [ "$(stat -c %a "$scratch/$f")" = 700 ] || fail "$f is $(stat -c %a "$scratch/$f")"
done
[ "$(stat -c %a "$scratch/config/moriva/hs110.ini")" = 600 ] || fail "hs110.ini not private"
[ "$(ls "$root/usr/bin")" = "$(printf 'moriva\nmoriva-cli')" ] || fail "files beside the program"
echo "package ok: $(basename "$deb")"
