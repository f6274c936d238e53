#!/usr/bin/env bash
# Starts the program from the build tree, from an install into a folder of its own and from its Debian package
# unpacked into another, on the virtual camera: each must show its window and load its translation from its
# own files. Also validates the desktop entry and the AppStream metadata, and checks that the package depends
# on the package of every library the program links.
#
#   installedProgramStarts.sh <build folder>
set -euo pipefail
build=$1
app_id=org.quillo.Quillo
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

# Starts <program> as a first start of a user of its own and checks that it found the translation under
# <expected language folder>.
start_from() {
  local program=$1 languages=$2 user=$scratch/user-$3
  mkdir -p "$user/home" && install -d -m 700 "$user/run"
  local output
  output=$(cd "$user/home" && env HOME="$user/home" XDG_RUNTIME_DIR="$user/run" \
    XDG_DATA_HOME="$user/home/.local/share" XDG_CONFIG_HOME="$user/home/.config" \
    QT_QPA_PLATFORM=offscreen QUILLO_V4L2=0 QUILLO_VIRTUAL_CAMERA=1 QUILLO_STARTUP_PROBE=quit \
    timeout 60 "$program" 2>"$user/stderr") || { cat "$user/stderr" >&2; fail "$program did not start and quit"; }
  echo "$output"
  grep -q '^window shown after' <<<"$output" || fail "$program showed no window"
  # A first start writes "eng" and loads nothing; the second loads the language it wrote.
  output=$(cd "$user/home" && env HOME="$user/home" XDG_RUNTIME_DIR="$user/run" \
    XDG_DATA_HOME="$user/home/.local/share" XDG_CONFIG_HOME="$user/home/.config" \
    QT_QPA_PLATFORM=offscreen QUILLO_V4L2=0 QUILLO_VIRTUAL_CAMERA=1 QUILLO_STARTUP_PROBE=quit \
    timeout 60 "$program" 2>"$user/stderr") || { cat "$user/stderr" >&2; fail "$program did not start again"; }
  echo "$output"
  local loaded
  loaded=$(sed -n 's/^translation: //p' <<<"$output")
  [ "$(realpath -m "$loaded")" = "$(realpath -m "$languages/Lang_eng.qm")" ] ||
    fail "$program loaded the translation '$loaded', not the one in $languages"
}

echo "== the build tree"
start_from "$build/bin/quillo" "$build/bin/language" build

echo "== cmake --install"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in bin/quillo share/quillo/language/Lang_eng.qm share/applications/$app_id.desktop \
         share/metainfo/$app_id.metainfo.xml share/icons/hicolor/48x48/apps/$app_id.png \
         share/icons/hicolor/256x256/apps/$app_id.png; do
  [ -f "$prefix/$f" ] || fail "the install has no $f"
done
desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" || fail "AppStream metadata"
# The build folder must play no part: the program runs from the copy, with nothing of the build beside it.
start_from "$prefix/bin/quillo" "$prefix/share/quillo/language" install

echo "== cpack -G DEB"
(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1) ||
  { cat "$scratch/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$scratch"/package/*.deb)
dpkg-deb -I "$deb"
# The names alone, one a line: "libqt6core6 (>= 6.4.0), libc6 (>= 2.34)" -> libqt6core6, libc6.
depends=$(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g')
root=$scratch/root
dpkg-deb -x "$deb" "$root"
# Every library the program links comes from a package the package depends on.
while read -r library; do
  path=$(ldconfig -p | awk -v lib="$library" '$1 == lib && /x86-64/ && !found { print $NF; found = 1 }')
  [ -n "$path" ] || fail "cannot find the linked library $library"
  owner=$(dpkg -S "$(realpath "$path")" 2>/dev/null || dpkg -S "$path") || fail "no package owns $path"
  owner=${owner%%:*}
  grep -Fxq "$owner" <<<"$depends" || fail "the package links $library of $owner but does not depend on $owner"
done < <(readelf -d "$root/usr/bin/quillo" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
start_from "$root/usr/bin/quillo" "$root/usr/share/quillo/language" deb
echo "installed program starts: passed"
