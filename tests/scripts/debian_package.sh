#!/usr/bin/env bash
# The Debian package: cpack makes piporapad_<version>_amd64.deb, lintian finds no errors
# in it, and unpacked into a scratch root (dpkg -x) its piporapad-cli runs and finds its
# data there. Needs the whole build.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
src="${PIPORAPAD_SOURCE_DIR:?}"
build="${PIPORAPAD_BUILD_DIR:?}"
if grep -q '^PIPORAPAD_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "skipped: a sanitizer build is not packaged"
  exit 0
fi
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"

version="$(sed -n 's/^project(PiporaPad VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")"
(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || die "cpack: $(cat "$work/cpack.log")"
deb="$work/out/piporapad_${version}_$(dpkg --print-architecture).deb"
[ -s "$deb" ] || die "no $deb: $(ls "$work/out")"

depends="$(dpkg-deb -f "$deb" Depends)"
for p in libqt6widgets6 libfluidsynth3 librtmidi6 qt6-qpa-plugins timgm6mb-soundfont fonts-noto-core; do
  grep -q "$p" <<<"$depends" || die "Depends lacks $p: $depends"
done

if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
  if grep -q '^E:' "$work/lintian.txt"; then
    die "lintian errors: $(grep '^E:' "$work/lintian.txt")"
  fi
  grep -E '^[WI]:' "$work/lintian.txt" || true
else
  echo "lintian not installed: package not linted (scripts/install-deps.sh installs it)"
fi

root="$work/root"
dpkg -x "$deb" "$root"
[ -x "$root/usr/bin/piporapad" ] || die "no editor in the package"
[ -f "$root/usr/lib/piporapad/plugins/piporapad-sound.so" ] || die "no sound library in the package"
[ "$("$root/usr/bin/piporapad-cli" --version)" = "piporapad-cli $version" ] || die "--version"
"$root/usr/bin/piporapad-cli" paths | grep -qx "data	$root/usr/share/piporapad" ||
  die "the unpacked program does not find its data: $("$root/usr/bin/piporapad-cli" paths 2>&1)"
echo "package $(basename "$deb") built, lint-free of errors, runs unpacked"
