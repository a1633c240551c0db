#!/usr/bin/env bash
# ./run starts the editor it has just built: the program it hands over to must be the one
# this build folder makes (a stale path would start an old binary, or nothing on a fresh
# machine).
set -euo pipefail
src="${PIPORAPAD_SOURCE_DIR:?}"
build="${PIPORAPAD_BUILD_DIR:?}"
editor="${PIPORAPAD_EDITOR:?}"
target="$(sed -n 's|^exec "\$here/build/\([^"]*\)".*|\1|p' "$src/run")"
[ -n "$target" ] || { echo "FAIL: ./run hands over to no program in build/" >&2; exit 1; }
[ "$(realpath "$build/$target")" = "$(realpath "$editor")" ] ||
  { echo "FAIL: ./run starts build/$target, the editor is $editor" >&2; exit 1; }
echo "./run starts build/$target"
