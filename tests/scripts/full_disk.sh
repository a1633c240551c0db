#!/usr/bin/env bash
# convert onto a disk with no room left: exit 3 with the system's message, and the file
# that was there before keeps every byte. As root on a filled 64 KB tmpfs; otherwise in a
# folder the user may not write to.
set -euo pipefail
cli="${PIPORAPAD_CLI:?}"
# shellcheck source-path=SCRIPTDIR source=lib/common.sh
source "$(dirname "$0")/lib/common.sh"
mounted=""
unmount_and_unlock() {
  [ -n "$mounted" ] && umount -l "$mounted" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
}
at_exit unmount_and_unlock
cd "$work"

printf 'abc\033$D!$6\017\r\n' >good.smd
printf 'an older song, to be kept\r\n' >old.bytes

full="$work/full"
mkdir "$full"
if [ "$(id -u)" = 0 ]; then
  if ! mount -t tmpfs -o size=64k tmpfs "$full" 2>mount.err; then
    echo "SKIP: mounting a tmpfs is not allowed here: $(cat mount.err)"
    exit 77
  fi
  mounted="$full"
  cp old.bytes "$full/song.smd"
  cp old.bytes "$full/song.mid"
  dd if=/dev/zero of="$full/filler" bs=4k 2>/dev/null || true
  dd if=/dev/zero of="$full/filler" bs=1 oflag=append conv=notrunc 2>/dev/null || true
  expected="No space left on device"
else
  cp old.bytes "$full/song.smd"
  cp old.bytes "$full/song.mid"
  chmod a-w "$full"
  expected="Permission denied"
fi

for target in song.smd song.mid; do
  got=0
  "$cli" convert good.smd "$full/$target" >out 2>err || got=$?
  [ "$got" = 3 ] || fail "convert to $target exited $got, expected 3"
  grep -q "$expected" err || fail "convert to $target said: $(cat err)"
  cmp -s old.bytes "$full/$target" || fail "$target changed"
done
leftover=$(find "$full" -name '.*' -newer old.bytes | wc -l)
[ "$leftover" = 0 ] || fail "temporary files left: $(ls -A "$full")"

finish "full-disk convert: old files kept"
