#!/usr/bin/env bash
# Builds the calculator and starts it. Its texts are Shift-JIS: on a UTF-8
# terminal they are shown through luit (x11-utils, with its charsets from
# xfonts-encodings). The script ends with the calculator's exit status.
# OROWAN_PROGRAM=path starts that built program instead of building one.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${OROWAN_PROGRAM:-}
if [ -z "$program" ]; then
  bash scripts/install-packages.sh
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build --target orowan >/dev/null
  program=./build/orowan
fi

# luit can show the texts only if it converts Shift-JIS here: without its
# charset files it crashes. The trial converts one katakana and reads no
# terminal input.
luitWorks() {
  command -v luit >/dev/null || return 1
  local shown
  shown=$(printf '\203I' | luit -c -encoding SJIS 2>/dev/null) || return 1
  [ "$shown" = $'\343\202\252' ]
}

charmap=$(locale charmap 2>/dev/null || true)
if [ "$charmap" != "UTF-8" ] || ! [ -t 0 ] || ! [ -t 1 ]; then
  exec "$program"
fi
if ! luitWorks; then
  echo "run.sh: luit cannot convert Shift-JIS here, so the Japanese texts show garbled; install x11-utils and xfonts-encodings (bash scripts/install-packages.sh) or use a Shift-JIS terminal." >&2
  exec "$program"
fi
# luit always ends with status 0: the program's own status comes back
# through a file.
statusFile=$(mktemp)
trap 'rm -f "$statusFile"' EXIT
luit -encoding SJIS -- /bin/sh -c '"$0"; echo $? >"$1"' "$program" "$statusFile"
status=$(cat "$statusFile")
exit "${status:-1}"
